#include "engine/components/RandomModulator.h"

#include <cmath>
#include <limits>

namespace corvane
{

void RandomModulator::init() noexcept
{
    position = 0.0f;
    speed = 0.001f;
    step = 0.001f;
    flipPeriod = initialFlipPeriod;
    countdown = initialFlipPeriod;
}

void RandomModulator::setRate (float rateHz, float blockRate) noexcept
{
    speed = 2.0f * rateHz / blockRate;
    step = step < 0.0f ? -speed : speed;
}

void RandomModulator::setFlipPeriod (float x, float blockRate) noexcept
{
    constexpr std::int32_t longest = std::numeric_limits<std::int32_t>::max();

    // A rate of 0 (or one so slow the period overflows) never decides; its
    // step is 0 anyway. Nothing infinite is ever converted to an integer.
    if (! (x > 0.0f))
    {
        flipPeriod = longest;
        return;
    }

    const float blocks = std::floor (blockRate / x);
    flipPeriod = blocks < 2147483648.0f ? static_cast<std::int32_t> (blocks) : longest;
}

float RandomModulator::tick (RandomSource& random) noexcept
{
    if (countdown <= 0)
    {
        if (random.nextUnit() > 0.5)
            step = -step;
        countdown = flipPeriod;
    }

    position += step;

    if (position >= 1.0f)
        step = -speed;
    if (! (position > -1.0f))
        step = speed;

    --countdown;
    return position;
}

} // namespace corvane
