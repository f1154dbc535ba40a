#pragma once

#include <cstdint>

namespace corvane
{

// The uniform generator behind the modulators' direction decisions. One per
// engine, so an engine never disturbs the host's or another instance's random
// sequence, and it takes no lock. A 32-bit linear congruential generator whose
// top 31 bits are used: the decisions only ask whether a draw lies above one
// half, which depends on the well-mixed high bits.
class RandomSource
{
public:
    explicit RandomSource (std::uint32_t seed = 1) noexcept : state (seed) {}

    void setSeed (std::uint32_t seed) noexcept { state = seed; }
    std::uint32_t getState() const noexcept { return state; }

    // 0 .. 2^31 - 1
    std::uint32_t next31() noexcept
    {
        state = state * 1664525u + 1013904223u;
        return state >> 1;
    }

    // Uniform in 0 .. 1 - 2^-31; exact, computed in double.
    double nextUnit() noexcept { return static_cast<double> (next31()) * (1.0 / 2147483648.0); }

    // A seed that differs from run to run, for engines nobody asked to make reproducible.
    static std::uint32_t seedFromClock() noexcept;

private:
    std::uint32_t state;
};

} // namespace corvane
