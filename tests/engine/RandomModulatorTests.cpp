#include "engine/components/RandomModulator.h"

#include <gtest/gtest.h>

#include <limits>

using namespace corvane;

namespace
{
// Multiplicative inverse modulo 2^32 (Newton's iteration).
std::uint32_t inverseMod2To32 (std::uint32_t a)
{
    std::uint32_t x = a;
    for (int i = 0; i < 5; ++i)
        x *= 2u - a * x;
    return x;
}

// A source whose next draw is exactly `draw31` (0 .. 2^31 - 1).
RandomSource sourceWhoseNextDrawIs (std::uint32_t draw31)
{
    const std::uint32_t nextState = draw31 << 1;
    return RandomSource ((nextState - 1013904223u) * inverseMod2To32 (1664525u));
}

void tickUntilFirstDecision (RandomModulator& m, RandomSource& random)
{
    for (int i = 0; i < RandomModulator::initialFlipPeriod; ++i)
        m.tick (random);
}
} // namespace

TEST (RandomModulator, TestSourceReallyDrawsWhatItClaims)
{
    auto source = sourceWhoseNextDrawIs (1u << 30);
    EXPECT_EQ (source.nextUnit(), 0.5);
}

TEST (RandomModulator, TriangleBeforeTheFirstDecision)
{
    // 48 kHz: 3000 blocks per second, so a rate r moves 2r/3000 per block.
    RandomSource random;
    RandomModulator m;
    m.setRate (15.0f, 3000.0f); // 0.01 per block: 100 blocks from 0 to 1
    EXPECT_FLOAT_EQ (m.getSpeed(), 0.01f);

    float highest = 0.0f, lowest = 0.0f;
    int turns = 0;
    float previousStep = m.getStep();
    for (int i = 0; i < 1000; ++i)
    {
        const float before = m.getPosition();
        const float after = m.tick (random);
        EXPECT_NEAR (std::abs (after - before), 0.01f, 1e-6f);
        highest = std::max (highest, after);
        lowest = std::min (lowest, after);
        if ((m.getStep() > 0) != (previousStep > 0))
            ++turns;
        previousStep = m.getStep();
    }
    EXPECT_LT (highest, 1.01f);
    EXPECT_GE (highest, 1.0f - 1e-4f);
    EXPECT_GT (lowest, -1.01f);
    EXPECT_LE (lowest, -1.0f + 1e-4f);
    EXPECT_EQ (turns, 5) << "reflections at +1, -1, +1, -1, +1 within 1000 blocks";
    EXPECT_EQ (m.getCountdown(), RandomModulator::initialFlipPeriod - 1000);
}

TEST (RandomModulator, DecisionFlipsOnlyAboveOneHalf)
{
    struct Case { const char* why; std::uint32_t draw; bool flips; };
    const Case cases[] = {
        { "exactly one half keeps the direction", 1u << 30, false },
        { "just above one half flips", (1u << 30) + 1, true },
        { "zero keeps", 0u, false },
        { "largest draw flips", (1u << 31) - 1, true },
    };
    for (const auto& c : cases)
    {
        RandomSource quiet (12345);
        RandomModulator m;
        m.setRate (0.0f, 3000.0f); // stand still, so only the decision can change the step
        m.setFlipPeriod (1000.0f, 3000.0f);
        tickUntilFirstDecision (m, quiet);
        const float stepBefore = m.getStep();

        auto decisive = sourceWhoseNextDrawIs (c.draw);
        m.setRate (1.0f, 3000.0f);
        const float expectedStep = (c.flips ? -1.0f : 1.0f) * (stepBefore < 0 ? -m.getSpeed() : m.getSpeed());
        m.tick (decisive);
        EXPECT_EQ (m.getStep(), expectedStep) << c.why;
        EXPECT_EQ (m.getCountdown(), 3 - 1) << c.why << ": a new countdown starts from the flip period";
    }
}

TEST (RandomModulator, RateChangeKeepsDirection)
{
    RandomSource random;
    RandomModulator m;
    m.setRate (1500.0f, 3000.0f); // step 1: reaches +1 at once and turns
    m.tick (random);
    ASSERT_LT (m.getStep(), 0.0f);
    m.setRate (3.0f, 3000.0f);
    EXPECT_FLOAT_EQ (m.getStep(), -0.002f);
}

TEST (RandomModulator, RateZeroStandsStillWithoutOverflow)
{
    RandomSource random;
    RandomModulator m;
    m.setRate (30.0f, 3000.0f);
    for (int i = 0; i < 7; ++i)
        m.tick (random);
    const float position = m.getPosition();

    m.setRate (0.0f, 3000.0f);
    m.setFlipPeriod (0.0f, 3000.0f);
    EXPECT_EQ (m.getFlipPeriod(), std::numeric_limits<std::int32_t>::max());
    m.setFlipPeriod (1e-9f, 3000.0f);
    EXPECT_EQ (m.getFlipPeriod(), std::numeric_limits<std::int32_t>::max()) << "3e12 blocks do not fit";
    for (int i = 0; i < 50000; ++i)
        m.tick (random);
    EXPECT_EQ (m.getPosition(), position);
}
