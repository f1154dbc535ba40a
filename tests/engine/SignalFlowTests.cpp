#include "EngineRig.h"

#include <gtest/gtest.h>

using namespace corvane;
using namespace corvane::test;

namespace
{
constexpr size_t second = 48000;

void selectFlow (EngineRig& rig, int index)
{
    const float reverb[] = { modes::mono, modes::bigStereo, modes::mediumStereo, modes::smallStereo };
    const float shift[] = { modes::single, modes::dual, modes::bypass };
    const auto flow = FlowDescription::fromIndex (index);
    rig.setModes (reverb[(int) flow.reverbMode], shift[(int) flow.pitchFlow], flow.colour == Colour::dark ? 1.0f : 0.0f);
}
} // namespace

TEST (SignalFlows, EveryFlowRingsFiniteFromANoiseBurst)
{
    for (int index = 0; index < FlowDescription::count; ++index)
    {
        EngineRig rig;
        selectFlow (rig, index);
        ASSERT_EQ (rig->getAlgorithmIndex(), index);
        rig->setParameter (feedbackIndex, 0.7f);
        const auto out = rig.process (noiseBurst (second / 10, 2 * second));
        EXPECT_TRUE (allFinite (out)) << "flow " << index;
        EXPECT_GT (rms (out.left, second, 2 * second), 1e-3) << "flow " << index << " left tail";
        EXPECT_GT (rms (out.right, second, 2 * second), 1e-3) << "flow " << index << " right tail";
        EXPECT_EQ (rig->getRunawayResets(), 0u) << "flow " << index;
    }
}

TEST (SignalFlows, ReverbModeChangeSilencesTheTailOtherModesDoNot)
{
    struct Case { const char* why; int index; float value; bool silences; };
    const Case cases[] = {
        { "another room starts silent", reverbModeIndex, modes::smallStereo, true },
        { "another shift mode carries the tail on", shiftModeIndex, modes::dual, false },
        { "another colour carries the tail on", colourModeIndex, modes::dark, false },
    };
    for (const auto& c : cases)
    {
        EngineRig rig;
        rig.setModes (modes::bigStereo, modes::single, modes::bright);
        rig->setParameter (feedbackIndex, 0.8f);
        rig.process (noiseBurst (second / 10, second / 2));
        rig->setParameter (c.index, c.value);
        const auto tail = rig.silence (second / 10);
        if (c.silences)
            EXPECT_LT (peak (tail.left), 1e-9f) << c.why;
        else
            EXPECT_GT (rms (tail.left), 1e-3) << c.why;
    }
}

TEST (SignalFlows, BigRoomCrossesLeftIntoRightThroughTheReturn)
{
    EngineRig rig;
    rig.setModes (modes::bigStereo, modes::bypass, modes::bright);
    rig->setParameter (feedbackIndex, 0.8f);
    Stereo input = noiseBurst (second / 100, second);
    std::fill (input.right.begin(), input.right.end(), 0.0f);

    const auto out = rig.process (input);
    // Nothing reaches the right channel until the left signal has come round
    // the loop: the 83 ms return delay plus the networks.
    EXPECT_LT (peak (out.right, 0, second * 8 / 100), 1e-9f);
    EXPECT_GT (rms (out.right, second / 2, second), 1e-3);
}

TEST (SignalFlows, FullFeedbackIsNotLimited)
{
    struct Tail { float peak; double late; };
    auto render = [] (float feedback) {
        EngineRig rig;
        rig.setModes (modes::mediumStereo, modes::bypass, modes::bright);
        rig->setParameter (wetDryIndex, 1.0f);
        rig->setParameter (feedbackIndex, feedback);
        rig->setParameter (highCutIndex, 1.0f);
        const auto out = rig.process (noiseBurst (second / 2, 4 * second, 5, 1.0f));
        return Tail { peak (out.left), rms (out.left, 3 * second, 4 * second) };
    };
    const Tail full = render (1.0f), half = render (0.5f);
    EXPECT_GT (full.peak, 1.0f) << "nothing clips the loop at full scale";
    EXPECT_GT (full.late, 3.0 * half.late) << "the return is not turned down";
}

TEST (SignalFlows, RunawayLoopIsCaughtAndStableLoopsAreLeftAlone)
{
    // With Shift at 0 the frozen grains add two delayed copies of the signal:
    // the dual mono loop gains more than unity at full feedback.
    EngineRig runaway;
    runaway.setModes (modes::mono, modes::dualReverse, modes::bright);
    runaway->setParameter (shiftIndex, 0.5f);
    runaway->setParameter (feedbackIndex, 1.0f);
    const auto out = runaway.process (noiseBurst (second, 30 * second, 5, 1.0f));
    EXPECT_GE (runaway->getRunawayResets(), 1u);
    EXPECT_TRUE (allFinite (out));
    EXPECT_LT (peak (out.left), 200.0f);

    EngineRig stable;
    stable.setModes (modes::bigStereo, modes::single, modes::bright);
    stable->setParameter (feedbackIndex, 1.0f);
    stable.process (noiseBurst (second, 10 * second, 5, 1.0f));
    EXPECT_EQ (stable->getRunawayResets(), 0u);
}

TEST (SignalFlows, SameSeedSameOutputBeyondTheFirstRandomDecision)
{
    // The modulators' first decision comes after 20869 blocks (7 s at 48 kHz).
    auto render = [] (std::uint32_t seed) {
        EngineRig rig (48000, seed);
        rig.setModes (modes::mediumStereo, modes::dual, modes::bright);
        rig->setParameter (feedbackIndex, 0.95f);
        rig->setParameter (modRateIndex, 1.0f);
        rig->setParameter (modDepthIndex, 1.0f);
        return rig.process (noiseBurst (second, 9 * second));
    };
    const auto a = render (42), b = render (42), c = render (43);
    EXPECT_EQ (a.left, b.left);
    EXPECT_EQ (a.right, b.right);
    EXPECT_NE (a.left, c.left) << "the seed does reach the modulators";
}

TEST (SignalFlows, EveryRateRunsEveryFlowFinite)
{
    const int rates[] = { 8000, 11025, 22050, 44100, 48000, 88200, 96000, 176400, 192000, 352800, 384000 };
    for (int rate : rates)
    {
        EngineRig rig (rate);
        ASSERT_EQ (rig->getSampleRate(), (float) rate);
        const auto length = (size_t) rate / 4;
        for (int index = 0; index < FlowDescription::count; ++index)
        {
            selectFlow (rig, index);
            rig->setParameter (feedbackIndex, 0.9f);
            rig->setParameter (shiftIndex, index % 2 == 0 ? 0.0f : 1.0f);
            const auto out = rig.process (noiseBurst (length / 2, length, (std::uint32_t) index));
            ASSERT_TRUE (allFinite (out)) << "flow " << index << " at " << rate << " Hz";
        }
    }
}
