#include "EngineRig.h"

#include <gtest/gtest.h>

#include <limits>

using namespace corvane;
using namespace corvane::test;

TEST (EngineParameters, ModeNumbersFromNormalisedValues)
{
    struct Case { const char* why; int index; float n; std::int32_t mode; };
    const Case cases[] = {
        { "0 gives mode 0 (ceil gives -1, raised to 0)", shiftModeIndex, 0.0f, 0 },
        { "0.2 as a float lands in the lower mode", shiftModeIndex, 0.2f, 0 },
        { "just above 0.2 is dual", shiftModeIndex, 0.20003f, 1 },
        { "1/3 is dual", shiftModeIndex, 0.333333343f, 1 },
        { "0.4 lands in the lower mode", shiftModeIndex, 0.4f, 1 },
        { "0.6 lands in the lower mode", shiftModeIndex, 0.6f, 2 },
        { "0.800000012 is the float 0.8: dualReverse, not bypass", shiftModeIndex, 0.800000012f, 3 },
        { "1 is bypass", shiftModeIndex, 1.0f, 4 },
        { "reverb 0.25 is mono", reverbModeIndex, 0.25f, 0 },
        { "reverb 0.5 is bigStereo", reverbModeIndex, 0.5f, 1 },
        { "reverb 0.75 is mediumStereo", reverbModeIndex, 0.75f, 2 },
        { "reverb 1 is smallStereo", reverbModeIndex, 1.0f, 3 },
        { "colour 0.5 is bright", colourModeIndex, 0.5f, 0 },
        { "colour 1 is dark", colourModeIndex, 1.0f, 1 },
    };
    for (const auto& c : cases)
    {
        EngineRig rig;
        rig->setParameter (c.index, c.n);
        const std::int32_t mode = c.index == reverbModeIndex ? rig->getReverbMode()
                                  : c.index == shiftModeIndex ? rig->getShiftMode()
                                                              : rig->getColourMode();
        EXPECT_EQ (mode, c.mode) << c.why;
    }
}

TEST (EngineParameters, AlgorithmIndexOfAllTwentyFourFlows)
{
    struct Case { float colour, reverb, shift; int index; };
    using namespace modes;
    const Case cases[] = {
        { bright, mono, single, 0 },          { bright, mono, dual, 1 },          { bright, mono, bypass, 2 },
        { bright, bigStereo, single, 3 },     { bright, bigStereo, dual, 4 },     { bright, bigStereo, bypass, 5 },
        { bright, mediumStereo, single, 6 },  { bright, mediumStereo, dual, 7 },  { bright, mediumStereo, bypass, 8 },
        { bright, smallStereo, single, 9 },   { bright, smallStereo, dual, 10 },  { bright, smallStereo, bypass, 11 },
        { dark, mono, singleReverse, 12 },    { dark, mono, dualReverse, 13 },    { dark, mono, bypass, 14 },
        { dark, bigStereo, singleReverse, 15 }, { dark, bigStereo, dualReverse, 16 }, { dark, bigStereo, bypass, 17 },
        { dark, mediumStereo, single, 18 },   { dark, mediumStereo, dual, 19 },   { dark, mediumStereo, bypass, 20 },
        { dark, smallStereo, single, 21 },    { dark, smallStereo, dualReverse, 22 }, { dark, smallStereo, bypass, 23 },
    };
    EngineRig rig;
    for (const auto& c : cases)
    {
        rig.setModes (c.reverb, c.shift, c.colour);
        EXPECT_EQ (rig->getAlgorithmIndex(), c.index);
        EXPECT_EQ (FlowDescription::fromIndex (c.index).index(), c.index);
    }
}

TEST (EngineParameters, DerivedGains)
{
    EngineRig rig;
    rig->setParameter (feedbackIndex, 0.0f);
    EXPECT_EQ (rig->getFeedbackGain(), 0.0001f) << "the loop is never cut completely";
    rig->setParameter (feedbackIndex, 1.0f);
    EXPECT_EQ (rig->getFeedbackGain(), 1.0f);

    rig->setParameter (wetDryIndex, 0.0f);
    EXPECT_EQ (rig->getWetGain(), 0.0f);
    EXPECT_EQ (rig->getDryGain(), 1.0f);
    rig->setParameter (wetDryIndex, 1.0f);
    EXPECT_EQ (rig->getWetGain(), 1.0f);
    EXPECT_NEAR (rig->getDryGain(), -4.37e-8f, 1e-10f) << "cosine of the single-precision pi/2";
    rig->setParameter (wetDryIndex, 0.5f);
    EXPECT_FLOAT_EQ (rig->getWetGain(), std::sqrt (0.5f)) << "equal power";
    EXPECT_FLOAT_EQ (rig->getDryGain(), std::sqrt (0.5f));
}

TEST (EngineParameters, ShiftMovesTheShiftersInOppositeDirections)
{
    struct Case { float n; float first, second; };
    const Case cases[] = { { 0.0f, -12.0f, 12.0f }, { 0.5f, 0.0f, 0.0f }, { 1.0f, 12.0f, -12.0f } };
    EngineRig rig;
    for (const auto& c : cases)
    {
        rig->setParameter (shiftIndex, c.n);
        EXPECT_EQ (rig->getPitchShifter (0).getVoice (0).shiftSemitones, c.first) << c.n;
        EXPECT_EQ (rig->getPitchShifter (1).getVoice (0).shiftSemitones, c.second) << c.n;
    }
}

TEST (EngineParameters, ShiftModeSetsGrainDirectionAndLowCutFloor)
{
    struct Case { const char* why; float shiftMode; float direction; float floor; };
    const Case cases[] = {
        { "single plays grains backwards", modes::single, -1.0f, 30.0f },
        { "dual plays grains backwards", modes::dual, -1.0f, 30.0f },
        { "singleReverse plays forwards", modes::singleReverse, 1.0f, 30.0f },
        { "dualReverse plays forwards", modes::dualReverse, 1.0f, 30.0f },
        { "bypass keeps the last direction", modes::bypass, 1.0f, 10.0f },
    };
    EngineRig rig;
    for (const auto& c : cases)
    {
        rig->setParameter (shiftModeIndex, c.shiftMode);
        EXPECT_EQ (rig->getPitchShifter (0).getVoice (0).direction, c.direction) << c.why;
        EXPECT_EQ (rig->getPitchShifter (1).getVoice (0).direction, c.direction) << c.why;
        EXPECT_EQ (rig->getLowCutFloor(), c.floor) << c.why;
    }
}

TEST (EngineParameters, NewLowCutFloorWaitsForTheNextLowCutChange)
{
    EngineRig rig;
    rig->setParameter (lowCutIndex, 0.0f); // 10 Hz, below the 30 Hz floor
    const float at30 = designHighpass (30.0f, 48000.0f).a1;
    EXPECT_EQ (rig->getLowCutDesign().a1, at30);

    rig->setParameter (shiftModeIndex, modes::bypass);
    EXPECT_EQ (rig->getLowCutFloor(), 10.0f);
    EXPECT_EQ (rig->getLowCutDesign().a1, at30) << "not redesigned by the mode change";

    rig->setParameter (lowCutIndex, 0.001f);
    EXPECT_EQ (rig->getLowCutDesign().a1, designHighpass (10.0f + 1990.0f * 0.001f, 48000.0f).a1);
    EXPECT_EQ (rig->getLowCut (1).getA1(), rig->getLowCutDesign().a1);
}

TEST (EngineParameters, SettingTheSameValueAgainChangesNothing)
{
    // A reverb-mode change clears the tail; setting the same mode again must not.
    EngineRig rig;
    rig.setModes (modes::mediumStereo, modes::single, modes::bright);
    rig->setParameter (feedbackIndex, 0.8f);
    rig.process (noiseBurst (4800, 9600));
    rig->setParameter (reverbModeIndex, modes::mediumStereo);
    const auto tail = rig.silence (4800);
    EXPECT_GT (rms (tail.left), 1e-3);
}

TEST (EngineParameters, NonFiniteValuesAreIgnored)
{
    EngineRig rig;
    rig->setParameter (feedbackIndex, 0.25f);
    for (float bad : { std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::infinity(),
                       -std::numeric_limits<float>::infinity() })
    {
        rig->setParameter (feedbackIndex, bad);
        EXPECT_EQ (rig->getParameter (feedbackIndex), 0.25f);
        rig->setParameter (reverbModeIndex, bad);
        EXPECT_EQ (rig->getReverbMode(), 0);
    }
    rig->setParameter (99, 0.5f);
    rig->setParameter (-1, 0.5f);
    EXPECT_EQ (rig->getParameter (99), 0.0f);
}

TEST (EngineParameters, NormalisedDefaults)
{
    const float expected[] = { 0.5f, 1.0f, 0.0f, 0.91f / 0.99f, 0.5f, 0.0f, 7900.0f / 14900.0f, 0.1f, 0.3f, 0.0f, 0.0f, 0.0f };
    EngineRig rig;
    for (int i = 0; i < numParameters; ++i)
        EXPECT_EQ (rig->normalisedDefault (i), expected[i]) << "index " << i;
    EXPECT_FLOAT_EQ (rig->normalisedDefault (diffusionIndex), 0.91919196f);
    EXPECT_FLOAT_EQ (rig->normalisedDefault (highCutIndex), 0.53020132f);
}
