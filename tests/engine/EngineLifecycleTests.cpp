#include "EngineRig.h"

#include <gtest/gtest.h>

using namespace corvane;
using namespace corvane::test;

TEST (EngineLifecycle, FreshEngineHoldsItsOwnStartingValues)
{
    auto engine = std::make_unique<ReverbEngine>();
    EXPECT_EQ (engine->getAlgorithmIndex(), 0);
    EXPECT_EQ (engine->getSampleRate(), 44100.0f);
    EXPECT_EQ (engine->getRecord (shiftIndex).value, 0.0f) << "its own start, not the +12 default";
    EXPECT_EQ (engine->getRecord (lowCutIndex).value, 200.0f);
    EXPECT_EQ (engine->getRecord (reverbModeIndex).value, EngineParameter::unsetValue);
    for (int i = 0; i < numParameters; ++i)
        EXPECT_EQ (engine->getParameter (i), -1.0f) << "index " << i << " not set yet";
    EXPECT_EQ (std::string (engine->getRecord (wetDryIndex).name), " Wet Dry ");
    EXPECT_EQ (std::string (engine->getRecord (colourModeIndex).name), " Color Mode ");
}

TEST (EngineLifecycle, RepeatedRateClearsOnlyTheFirstTime)
{
    EngineRig rig (44100);
    rig->setParameter (feedbackIndex, 0.8f);
    rig.process (noiseBurst (4410, 8820));

    rig->setSampleRate (44100);
    EXPECT_GT (rms (rig.silence (4410).left), 1e-4) << "same rate: the tail carries on";

    rig->setSampleRate (48000);
    const auto after = rig.silence (4800);
    EXPECT_LT (peak (after.left), 1e-9f) << "new rate: the tail is gone";
}

TEST (EngineLifecycle, DoublingTheRateDoublesEveryDelay)
{
    EngineRig rig (48000);
    const float a = rig->getEmphasis (0).getB0();
    std::vector<float> targets48;
    for (int t = 0; t < 6; ++t)
        targets48.push_back (rig->getDelayTimeTarget (t));
    std::vector<std::int32_t> longest48;
    for (int k = 0; k < 6; ++k)
        longest48.push_back (rig->getNetwork (k).getMaxDelay());
    const float window48 = rig->getPitchShifter (1).getVoice (0).windowSamples;

    rig->setSampleRate (96000);
    for (int t = 0; t < 6; ++t)
        EXPECT_FLOAT_EQ (rig->getDelayTimeTarget (t), 2.0f * targets48[(size_t) t]) << "target " << t;
    for (int k = 0; k < 6; ++k)
        EXPECT_NEAR (rig->getNetwork (k).getMaxDelay(), 2 * longest48[(size_t) k], 1) << "network " << k;
    EXPECT_NEAR (rig->getPitchShifter (1).getVoice (0).windowSamples, 2.0f * window48, 1.0f);
    EXPECT_EQ (rig->getEmphasis (0).getB0(), a) << "the emphasis stays designed for 44.1 kHz";
    EXPECT_EQ (a, designAllpass (25.0f, 44100.0f).a1);
}

TEST (EngineLifecycle, ResetKeepsTheGridAndTheGlidingDelays)
{
    EngineRig rig;
    rig.setModes (modes::mediumStereo, modes::single, modes::bright);
    rig->setParameter (feedbackIndex, 0.9f);
    rig.process (noiseBurst (4800, 4805));
    const int position = rig->getBlockPosition();
    const float delay = rig->getDelayTime (0);
    ASSERT_GT (delay, 0.0f);

    rig->clear();
    EXPECT_EQ (rig->getBlockPosition(), position);
    EXPECT_EQ (rig->getDelayTime (0), delay);
    EXPECT_LT (peak (rig.silence (48000).left), 1e-9f) << "silent until new input arrives";
}

TEST (EngineLifecycle, RatesOutsideTheSupportedRangeAreIgnored)
{
    EngineRig rig (48000);
    for (int bad : { 0, -44100, 7999, 384001, 2000000000 })
    {
        rig->setSampleRate (bad);
        EXPECT_EQ (rig->getSampleRate(), 48000.0f) << bad;
    }
    rig->setSampleRate (8000);
    EXPECT_EQ (rig->getSampleRate(), 8000.0f);
    rig->setSampleRate (384000);
    EXPECT_EQ (rig->getSampleRate(), 384000.0f);
}

TEST (EngineLifecycle, LinesGrowWithTheRateSoReadsNeverWrap)
{
    struct Case { int rate; std::int64_t shifterLine, freeLine; };
    const Case cases[] = {
        { 44100, 16384, 32768 }, { 96000, 16384, 32768 }, { 192000, 32768, 32768 }, { 384000, 65536, 65536 },
    };
    for (const auto& c : cases)
    {
        EngineRig rig (c.rate);
        EXPECT_EQ (rig->getPitchShifter (1).getInputLine().getLength(), c.shifterLine) << c.rate;
        EXPECT_EQ (rig->getDelayLine (3).getLength(), c.freeLine) << c.rate;
    }

    // Going back down keeps the longer lines: the glides still hold the old lengths.
    EngineRig rig (192000);
    rig->setSampleRate (48000);
    EXPECT_EQ (rig->getPitchShifter (0).getInputLine().getLength(), 32768);
}
