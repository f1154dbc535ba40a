#include "engine/components/Coefficients.h"

#include <cmath>

namespace corvane
{

float smoothingCoefficient (float ms, float stepsPerSecond)
{
    const float exponent = -1000.0f / (ms * stepsPerSecond);
    return static_cast<float> (1.0 - std::exp (static_cast<double> (exponent)));
}

float onePoleCoefficient (float cutoffHz, float sampleRate)
{
    // 6.2831855 is 2 pi rounded to single precision.
    const float exponent = (cutoffHz * -6.2831855f) / sampleRate;
    return static_cast<float> (1.0 - std::exp (static_cast<double> (exponent)));
}

} // namespace corvane
