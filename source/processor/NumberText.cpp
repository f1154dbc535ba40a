#include "processor/NumberText.h"

#include <charconv>
#include <cmath>
#include <limits>

namespace corvane::NumberText
{

juce::String twoDecimals (double value)
{
    if (! std::isfinite (value))
        value = 0.0;
    const auto hundredths = static_cast<std::int64_t> (std::abs (value) * 100.0 + 0.5);
    const auto whole = hundredths / 100;
    const auto fraction = hundredths % 100;
    return juce::String (value < 0.0 ? "-" : "") + juce::String (whole) + "."
           + juce::String (fraction).paddedLeft ('0', 2);
}

juce::String real (double value)
{
    char text[64];
    const auto result = std::to_chars (text, text + sizeof (text), value, std::chars_format::general, 20);
    return juce::String (text, (size_t) (result.ptr - text));
}

std::optional<std::int32_t> parseInteger (const juce::String& text)
{
    auto p = text.getCharPointer();
    while (*p == ' ' || *p == '\t' || *p == '\r' || *p == '\n')
        ++p;

    bool negative = false;
    if (*p == '-' || *p == '+')
        negative = (*p++ == '-');

    // Saturate at a value beyond the 32-bit range: anything there is out of range anyway.
    constexpr std::int64_t beyond = std::int64_t (1) << 40;
    std::int64_t magnitude = 0;
    for (; *p >= '0' && *p <= '9'; ++p)
        magnitude = std::min (beyond, magnitude * 10 + (*p - '0'));

    const std::int64_t value = negative ? -magnitude : magnitude;
    if (value < std::numeric_limits<std::int32_t>::min() || value > std::numeric_limits<std::int32_t>::max())
        return std::nullopt;
    return static_cast<std::int32_t> (value);
}

std::optional<double> parseReal (const juce::String& text)
{
    const double value = text.getDoubleValue();
    if (! std::isfinite (value))
        return std::nullopt;
    return value;
}

} // namespace corvane::NumberText
