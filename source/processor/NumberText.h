#pragma once

#include <juce_core/juce_core.h>

#include <cstdint>
#include <optional>

namespace corvane
{

// Numbers as text, independent of the C locale a host may have set.
namespace NumberText
{
    // Two decimals, rounded half up on the magnitude: 0.125 gives "0.13".
    juce::String twoDecimals (double value);

    // Twenty significant digits, trailing zeros dropped, exponent form only
    // below 1e-4 or from 1e20 up ("0.80000001192092895508",
    // "9.9999997473787516356e-05"): every float reads back exactly.
    juce::String real (double value);

    // Leading blanks, an optional sign, digits up to the first other
    // character; no digits reads as 0. Read in 64 bits: a value outside the
    // 32-bit range counts as absent.
    std::optional<std::int32_t> parseInteger (const juce::String& text);

    // The toolkit's decimal reader ("0.", "1e-5" ...); absent when not finite.
    std::optional<double> parseReal (const juce::String& text);
} // namespace NumberText

} // namespace corvane
