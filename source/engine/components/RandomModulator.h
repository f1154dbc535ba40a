#pragma once

#include "engine/components/RandomSource.h"

#include <cstdint>

namespace corvane
{

// Slow control signal for one diffusion stage's delay: a triangle walking
// between -1 and +1 that, every flip period, reverses its direction with
// probability one half. Stepped once per 16-sample block.
class RandomModulator
{
public:
    // The first decision comes after this many blocks (about 7.6 s at 44.1 kHz),
    // so every modulator starts as a plain triangle from 0 moving upwards.
    static constexpr std::int32_t initialFlipPeriod = 20869;

    RandomModulator() noexcept { init(); }

    void init() noexcept;

    // Travel from -1 to +1 takes 1 / rateHz seconds; the direction survives.
    void setRate (float rateHz, float blockRate) noexcept;

    // Decisions every blockRate / x blocks; the countdown in progress is kept.
    void setFlipPeriod (float x, float blockRate) noexcept;

    float tick (RandomSource& random) noexcept;

    float getPosition() const noexcept { return position; }
    float getSpeed() const noexcept { return speed; }
    float getStep() const noexcept { return step; }
    std::int32_t getFlipPeriod() const noexcept { return flipPeriod; }
    std::int32_t getCountdown() const noexcept { return countdown; }

private:
    float position = 0.0f;
    float speed = 0.001f;
    float step = 0.001f;
    std::int32_t flipPeriod = initialFlipPeriod;
    std::int32_t countdown = initialFlipPeriod;
};

} // namespace corvane
