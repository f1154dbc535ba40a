#include "EngineRig.h"

#include <gtest/gtest.h>

#include <limits>

using namespace corvane;
using namespace corvane::test;

namespace
{
void processZeros (ReverbEngine& engine, int n)
{
    std::vector<float> in ((size_t) std::max (n, 1)), l ((size_t) std::max (n, 1)), r ((size_t) std::max (n, 1));
    engine.processSamples (in.data(), in.data(), l.data(), r.data(), n);
}
} // namespace

TEST (BlockFrame, BlockStepRunsEverySixteenSamplesAcrossHostBuffers)
{
    struct Case { const char* why; std::vector<int> buffers; std::vector<std::uint64_t> blocksAfter; std::vector<int> positionAfter; };
    const Case cases[] = {
        { "5 then 11: one block, after the 11th", { 5, 11 }, { 0, 1 }, { 5, 0 } },
        { "40 then 40: after 16 and 32, then 8, 24 and 40 of the second", { 40, 40 }, { 2, 5 }, { 8, 0 } },
        { "single samples", { 1, 1, 1, 13, 1 }, { 0, 0, 0, 1, 1 }, { 1, 2, 3, 0, 1 } },
        { "zero and negative counts touch nothing", { 7, 0, -3, 9 }, { 0, 0, 0, 1 }, { 7, 7, 7, 0 } },
    };
    for (const auto& c : cases)
    {
        EngineRig rig;
        for (size_t i = 0; i < c.buffers.size(); ++i)
        {
            processZeros (*rig, c.buffers[i]);
            EXPECT_EQ (rig->getBlockCount(), c.blocksAfter[i]) << c.why << ", buffer " << i;
            EXPECT_EQ (rig->getBlockPosition(), c.positionAfter[i]) << c.why << ", buffer " << i;
        }
    }
}

TEST (BlockFrame, ZeroCountWritesNoOutput)
{
    EngineRig rig;
    float in = 1.0f, outL = 123.0f, outR = 456.0f;
    rig->processSamples (&in, &in, &outL, &outR, 0);
    EXPECT_EQ (outL, 123.0f);
    EXPECT_EQ (outR, 456.0f);
}

TEST (BlockFrame, MixZeroReturnsTheInputExactly)
{
    EngineRig rig;
    rig->setParameter (wetDryIndex, 0.0f);
    rig->setParameter (feedbackIndex, 1.0f);
    const auto input = noiseBurst (20000, 20000);
    const auto output = rig.process (input, 333);
    EXPECT_EQ (output.left, input.left);
    EXPECT_EQ (output.right, input.right);
}

TEST (BlockFrame, WetSignalTrailsByExactlyOneBlock)
{
    // With diffusion every allpass stage passes -g x at once, so the wet
    // block made from an impulse holds it at the same position: it is heard
    // exactly 16 samples after the impulse.
    EngineRig rig;
    rig->setParameter (wetDryIndex, 1.0f);
    rig.silence (48000); // let the diffusion glide settle

    const size_t offset = 48000 % 16 + 3;
    Stereo impulse { std::vector<float> (64), std::vector<float> (64) };
    impulse.left[offset] = impulse.right[offset] = 1.0f;
    const auto out = rig.process (impulse, 7);

    // Before it only the dry residue (cos of the single-precision pi/2, -4.4e-8) shows.
    for (size_t i = 0; i < offset + 16; ++i)
        EXPECT_LT (std::abs (out.left[i]), 1e-6f) << "sample " << i;
    EXPECT_GT (std::abs (out.left[offset + 16]), 0.05f);
}

TEST (BlockFrame, InPlaceAndMonoPointerPairingGiveTheSameResult)
{
    for (float reverb : { modes::mono, modes::bigStereo })
    {
        const auto input = noiseBurst (9600, 24000);
        EngineRig separate, inPlace;
        separate.setModes (reverb, modes::dual, modes::bright);
        inPlace.setModes (reverb, modes::dual, modes::bright);
        const auto expected = separate.process (input, 100);

        Stereo buffers = input;
        for (size_t start = 0; start < buffers.size(); start += 100)
            inPlace->processSamples (buffers.left.data() + start, buffers.right.data() + start,
                                     buffers.left.data() + start, buffers.right.data() + start, 100);
        EXPECT_EQ (buffers.left, expected.left) << "reverb mode " << reverb;
        EXPECT_EQ (buffers.right, expected.right) << "reverb mode " << reverb;
    }

    // One input channel serving as both: the mono sum is the input itself.
    const auto input = noiseBurst (9600, 24000);
    EngineRig paired, duplicated;
    Stereo twice { input.left, input.left };
    const auto expected = duplicated.process (twice, 64);
    Stereo out { std::vector<float> (input.size()), std::vector<float> (input.size()) };
    for (size_t start = 0; start < input.size(); start += 64)
        paired->processSamples (input.left.data() + start, input.left.data() + start, out.left.data() + start,
                                out.right.data() + start, 64);
    EXPECT_EQ (out.left, expected.left);
    EXPECT_EQ (out.right, expected.right);
}

TEST (BlockFrame, NonFiniteInputStaysOutOfTheLoop)
{
    EngineRig rig;
    rig->setParameter (feedbackIndex, 0.9f);
    auto input = noiseBurst (48000, 96000);
    input.left[1000] = std::numeric_limits<float>::quiet_NaN();
    input.right[2000] = std::numeric_limits<float>::infinity();
    input.left[30000] = -std::numeric_limits<float>::infinity();

    const auto out = rig.process (input, 256);
    for (size_t i = 0; i < out.size(); ++i)
    {
        EXPECT_EQ (std::isfinite (out.left[i]), std::isfinite (input.left[i])) << "left " << i;
        EXPECT_EQ (std::isfinite (out.right[i]), std::isfinite (input.right[i])) << "right " << i;
    }
    EXPECT_GT (rms (out.left, 60000), 1e-3) << "the tail carries on";
    EXPECT_EQ (rig->getRunawayResets(), 0u);
}
