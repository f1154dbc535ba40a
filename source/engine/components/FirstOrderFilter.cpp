#include "engine/components/FirstOrderFilter.h"

namespace corvane
{

float firstOrderPole (float cornerHz, float sampleRate)
{
    // The angular constant is 6.28318, slightly below 2 pi; the pole positions
    // of the sound were tuned with it.
    const double omega = static_cast<double> (cornerHz) * 6.28318;
    const float t = static_cast<float> (1.0 / omega);
    return (1.0f + (-2.0f * sampleRate) * t) / (1.0f + (2.0f * sampleRate) * t);
}

FirstOrderDesign designHighpass (float cornerHz, float sampleRate)
{
    const float a = firstOrderPole (cornerHz, sampleRate);
    return { 1.0f, -1.0f, a };
}

FirstOrderDesign designAllpass (float cornerHz, float sampleRate)
{
    const float a = firstOrderPole (cornerHz, sampleRate);
    return { a, 1.0f, a };
}

} // namespace corvane
