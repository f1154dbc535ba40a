#include "engine/components/Coefficients.h"
#include "engine/components/FirstOrderFilter.h"

#include <gtest/gtest.h>

using namespace corvane;

namespace
{
struct CoefficientCase
{
    const char* why;
    float argument, rate;
    double expected; // as quoted, to seven decimals
};

// The figures are quoted to seven decimals; allow half a unit of the last one.
constexpr double quotedTolerance = 5e-8;
} // namespace

TEST (Coefficients, HighpassPoleMatchesTunedFigures)
{
    const CoefficientCase cases[] = {
        { "default floor of the pitch modes", 30.0f, 48000.0f, -0.9960807 },
        { "floor of the bypass mode", 10.0f, 48000.0f, -0.9986919 },
        { "a low cut in the voice range", 200.0f, 48000.0f, -0.9741583 },
    };
    for (const auto& c : cases)
    {
        const FirstOrderDesign design = designHighpass (c.argument, c.rate);
        EXPECT_NEAR ((double) design.a1, c.expected, quotedTolerance) << c.why;
        EXPECT_EQ (design.b0, 1.0f) << c.why;
        EXPECT_EQ (design.b1, -1.0f) << c.why;
    }
}

TEST (Coefficients, EmphasisAllpassAt25HzIsDesignedAt44100)
{
    const FirstOrderDesign design = designAllpass (25.0f, 44100.0f);
    EXPECT_NEAR ((double) design.a1, -0.9964445, quotedTolerance);
    EXPECT_EQ (design.b0, design.a1);
    EXPECT_EQ (design.b1, 1.0f);
}

TEST (Coefficients, OnePoleHighCutCoefficients)
{
    const CoefficientCase cases[] = {
        { "default high cut", 8000.0f, 48000.0f, 0.6490802 },
        { "highest high cut", 15000.0f, 48000.0f, 0.8596331 },
        { "lowest high cut", 100.0f, 48000.0f, 0.0130047 },
    };
    for (const auto& c : cases)
        EXPECT_NEAR ((double) onePoleCoefficient (c.argument, c.rate), c.expected, quotedTolerance) << c.why;
}

TEST (Coefficients, BlockRateGlideOf200Ms)
{
    const CoefficientCase cases[] = {
        { "48 kHz, one step per 16-sample block", 200.0f, 48000.0f / 16.0f, 0.0016653 },
        { "44.1 kHz, one step per 16-sample block", 200.0f, 44100.0f / 16.0f, 0.0018124 },
    };
    for (const auto& c : cases)
        EXPECT_NEAR ((double) smoothingCoefficient (c.argument, c.rate), c.expected, quotedTolerance) << c.why;
}
