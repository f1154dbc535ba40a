#include "engine/EngineParameters.h"

#include <cmath>

namespace corvane
{

std::array<EngineParameter, numParameters> makeParameterTable() noexcept
{
    auto record = [] (const char* name, float min, float max, float defaultValue, ParameterCurve curve) {
        EngineParameter p;
        p.name = name;
        p.min = min;
        p.max = max;
        p.defaultValue = defaultValue;
        p.curve = curve;
        return p;
    };
    constexpr auto linear = ParameterCurve::linear;
    constexpr auto span = ParameterCurve::span;

    return { {
        record (" Wet Dry ", 0.0f, 1.0f, 0.5f, linear),
        record (" Shift ", -12.0f, 12.0f, 12.0f, linear),
        record (" Feedback ", 0.0f, 1.0f, 0.0f, linear),
        record (" Diffusion ", 0.0f, 0.99f, 0.91f, linear),
        record (" Size ", 0.0f, 1.0f, 0.5f, linear),
        record (" Low Cut ", 10.0f, 2000.0f, 10.0f, linear),
        record (" High Cut ", 100.0f, 15000.0f, 8000.0f, linear),
        record (" Mod Rate ", 0.0f, 5.0f, 0.5f, linear),
        record (" Mod Depth ", 0.0f, 1.0f, 0.3f, linear),
        record (" Reverb Mode ", 1.0f, 4.0f, 1.0f, span),
        record (" Shift Mode ", 1.0f, 5.0f, 1.0f, span),
        record (" Color Mode ", 1.0f, 2.0f, 1.0f, span),
    } };
}

float mapNormalised (const EngineParameter& p, ParameterCurve curve, float n) noexcept
{
    switch (curve)
    {
        case ParameterCurve::power:
        {
            const float t = n > 0.0f ? static_cast<float> (std::exp (std::log (static_cast<double> (n)) / p.exponent)) : n;
            return p.min + (p.max - p.min) * t;
        }
        case ParameterCurve::bipolarPower:
            if (n > 0.5f)
                return p.max * static_cast<float> (std::pow (static_cast<double> (2.0f * n - 1.0f), 1.0 / p.exponent));
            if (n < 0.5f)
                return -p.max * static_cast<float> (std::pow (static_cast<double> (1.0f - 2.0f * n), 1.0 / p.exponent));
            return 0.0f;
        case ParameterCurve::span:
            return (p.max - p.min) * n;
        case ParameterCurve::linear:
        default:
            return p.min + (p.max - p.min) * n;
    }
}

float normalisedDefaultOf (const EngineParameter& p) noexcept
{
    const float ratio = (p.defaultValue - p.min) / (p.max - p.min);
    if (p.curve == ParameterCurve::power)
        return static_cast<float> (std::pow (static_cast<double> (ratio), static_cast<double> (p.exponent)));
    return ratio;
}

std::int32_t modeNumber (float normalised, int modeCount) noexcept
{
    const float m = std::ceil (static_cast<float> (modeCount) * normalised) - 1.0f;
    // No upper bound in the mapping itself (callers treat large modes as the
    // last one); the clamp only keeps the conversion defined for huge values.
    if (! (m > 0.0f))
        return 0;
    return m < 1.0e9f ? static_cast<std::int32_t> (m) : 1000000000;
}

} // namespace corvane
