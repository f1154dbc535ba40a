#include "engine/components/FirstOrderFilter.h"
#include "engine/components/OnePoleLowpass.h"
#include "engine/components/SmoothedValue.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

using namespace corvane;

namespace
{
constexpr int blockLength = 16;

// Runs a whole signal through `process` block by block.
template <typename Process>
std::vector<float> runBlocks (std::vector<float> signal, Process&& process)
{
    for (size_t start = 0; start + blockLength <= signal.size(); start += blockLength)
        process (signal.data() + start);
    return signal;
}

std::vector<float> sine (float frequency, float sampleRate, int length)
{
    std::vector<float> s ((size_t) length);
    for (int i = 0; i < length; ++i)
        s[(size_t) i] = (float) std::sin (2.0 * M_PI * frequency * i / sampleRate);
    return s;
}

float peakOfTail (const std::vector<float>& s, size_t from)
{
    float peak = 0.0f;
    for (size_t i = from; i < s.size(); ++i)
        peak = std::max (peak, std::abs (s[i]));
    return peak;
}
} // namespace

TEST (FirstOrderSection, StartsAndResetsAsIdentity)
{
    FirstOrderSection section;
    section.setCoefficients (0.5f, 0.25f, 2.0f);
    section.reset();

    const std::vector<float> input = sine (440.0f, 48000.0f, 64);
    const auto output = runBlocks (input, [&] (float* v) { section.processBlock (v, blockLength); });
    EXPECT_EQ (output, input);
}

TEST (FirstOrderSection, HighpassBlocksDcAndPassesNyquistJustAboveUnity)
{
    FirstOrderSection dc, nyquist;
    dc.loadDesign (designHighpass (30.0f, 48000.0f));
    nyquist.loadDesign (designHighpass (30.0f, 48000.0f));

    const int length = 48000;
    const auto constant = runBlocks (std::vector<float> ((size_t) length, 1.0f),
                                     [&] (float* v) { dc.processBlock (v, blockLength); });
    // Single-precision rounding leaves a residue of about 7.6e-6, not exactly 0.
    EXPECT_LT (std::abs (constant.back()), 2e-5f);

    std::vector<float> alternating ((size_t) length);
    for (int i = 0; i < length; ++i)
        alternating[(size_t) i] = (i % 2 == 0) ? 1.0f : -1.0f;
    const auto high = runBlocks (alternating, [&] (float* v) { nyquist.processBlock (v, blockLength); });
    EXPECT_NEAR (peakOfTail (high, (size_t) length / 2), 1.002f, 5e-4f);
}

TEST (FirstOrderSection, EmphasisPairHasUnitMagnitudeEverywhere)
{
    const float a = designAllpass (25.0f, 44100.0f).a1;
    for (float frequency : { 10.0f, 25.0f, 100.0f, 1000.0f, 15000.0f })
    {
        FirstOrderSection pre, de;
        pre.setCoefficients (0.0f, a, 1.0f);
        de.setCoefficients (a, 1.0f, 0.0f);
        const auto out = runBlocks (sine (frequency, 48000.0f, 96000), [&] (float* v) {
            pre.processBlock (v, blockLength);
            de.processBlock (v, blockLength);
        });
        EXPECT_NEAR (peakOfTail (out, 48000), 1.0f, 2e-3f) << frequency << " Hz";
    }
}

TEST (OnePoleLowpass, CoefficientOnePassesThroughAndNearZeroHolds)
{
    const std::vector<float> input = sine (1000.0f, 48000.0f, 64);

    OnePoleLowpass open;
    EXPECT_EQ (runBlocks (input, [&] (float* v) { open.processBlock (v, blockLength, 1.0f); }), input);

    OnePoleLowpass closed;
    std::vector<float> one (blockLength, 1.0f);
    closed.processBlock (one.data(), blockLength, 1.0f); // state = 1
    std::vector<float> zeros (blockLength, 0.0f);
    closed.processBlock (zeros.data(), blockLength, 1e-9f);
    EXPECT_FLOAT_EQ (zeros.back(), 1.0f);
}

TEST (OnePoleLowpass, UnityGainAtDcAndStateClears)
{
    OnePoleLowpass filter;
    const auto out = runBlocks (std::vector<float> (4800, 0.5f),
                                [&] (float* v) { filter.processBlock (v, blockLength, 0.0130047f); });
    EXPECT_NEAR (out.back(), 0.5f, 5e-6f) << "within single-precision rounding of the recursion";
    filter.clearState();
    EXPECT_EQ (filter.getState(), 0.0f);
}

TEST (SmoothedValue, CoefficientOneJumpsAndZeroNeverMoves)
{
    SmoothedValue jumps, stays;
    jumps.set (3.0f);
    stays.set (3.0f);
    EXPECT_EQ (jumps.smoothTowards (-7.5f, 1.0f), -7.5f);
    for (int i = 0; i < 100; ++i)
        stays.smoothTowards (-7.5f, 0.0f);
    EXPECT_EQ (stays.getValue(), 3.0f);
}

TEST (SmoothedValue, GlideReachesTwoThirdsAfterOneTimeConstant)
{
    // 200 ms at 48 kHz with one step per block: 600 steps per time constant.
    SmoothedValue v;
    for (int i = 0; i < 600; ++i)
        v.smoothTowards (1.0f, 0.0016653f);
    EXPECT_NEAR (v.getValue(), 1.0f - std::exp (-1.0f), 2e-3f);
}
