#include "ProcessorRig.h"

#include <gtest/gtest.h>

using namespace corvane;
using namespace corvane::test;

namespace
{
using Layout = juce::AudioProcessor::BusesLayout;

Layout layout (juce::AudioChannelSet in, juce::AudioChannelSet out)
{
    Layout l;
    l.inputBuses.add (in);
    l.outputBuses.add (out);
    return l;
}
} // namespace

TEST (ProcessorAudio, OnlyMonoOrStereoInWithStereoOut)
{
    ProcessorRig rig;
    const auto mono = juce::AudioChannelSet::mono(), stereo = juce::AudioChannelSet::stereo();
    EXPECT_TRUE (rig->checkBusesLayoutSupported (layout (stereo, stereo)));
    EXPECT_TRUE (rig->checkBusesLayoutSupported (layout (mono, stereo)));
    EXPECT_FALSE (rig->checkBusesLayoutSupported (layout (stereo, mono))) << "the right channel would have nowhere to go";
    EXPECT_FALSE (rig->checkBusesLayoutSupported (layout (mono, mono)));
    EXPECT_FALSE (rig->checkBusesLayoutSupported (layout (juce::AudioChannelSet::disabled(), stereo)));
    EXPECT_FALSE (rig->checkBusesLayoutSupported (layout (juce::AudioChannelSet::create5point1(), stereo)));
}

TEST (ProcessorAudio, MonoInputFeedsBothSidesOfTheEngine)
{
    ProcessorRig monoRig, stereoRig;
    ASSERT_TRUE (monoRig->setBusesLayout (layout (juce::AudioChannelSet::mono(), juce::AudioChannelSet::stereo())));
    monoRig->prepareToPlay (48000.0, 512);
    monoRig->reseed (1);

    const auto input = noise (24000, 1, 4800);
    auto monoBuffer = input;
    monoBuffer.push_back (std::vector<float> (input[0].size(), 0.0f)); // the output-only channel
    const auto monoOut = monoRig.process (monoBuffer);
    const auto stereoOut = stereoRig.process ({ input[0], input[0] });
    EXPECT_EQ (monoOut[0], stereoOut[0]);
    EXPECT_EQ (monoOut[1], stereoOut[1]);

    // Bypassed, the left input goes to both outputs.
    const auto bypassed = monoRig.process (monoBuffer, 512, true);
    EXPECT_EQ (bypassed[1], input[0]);
}

TEST (ProcessorAudio, EmptyBuffersAndTheRateStepStillRun)
{
    ProcessorRig rig (44100.0);
    juce::AudioBuffer<float> empty (2, 0);
    juce::MidiBuffer midi;
    rig->setPlayConfigDetails (2, 2, 96000.0, 512);
    rig->processBlock (empty, midi);
    // A rate the engine cannot run at is refused without harm.
    rig->setPlayConfigDetails (2, 2, std::numeric_limits<double>::quiet_NaN(), 512);
    rig->processBlock (empty, midi);
    rig->setPlayConfigDetails (2, 2, 1e300, 512);
    rig->processBlock (empty, midi);
    SUCCEED();
}

TEST (ProcessorAudio, BypassPausesTheTailAndResumeContinuesIt)
{
    auto render = [] (int bypassBlocks) {
        ProcessorRig rig;
        rig->setParameter (feedbackIndex, 0.8f);
        rig.process (noise (9600, 2, 4800));
        if (bypassBlocks > 0)
        {
            const auto through = rig.process (noise (512 * bypassBlocks), 512, true);
            EXPECT_EQ (through, noise (512 * bypassBlocks)) << "bypassed buffers pass unchanged";
        }
        return rig.process (silence (9600));
    };
    EXPECT_EQ (render (20), render (0)) << "the engine waits where it was";
}

TEST (ProcessorAudio, RateChangeBetweenCallsClearsTheTail)
{
    ProcessorRig rig;
    rig->setParameter (feedbackIndex, 0.8f);
    rig.process (noise (9600, 2, 4800));
    EXPECT_GT (rmsOf (rig.process (silence (2048))[0]), 1e-5);

    rig->setPlayConfigDetails (2, 2, 44100.0, 512); // a host that changes rate without preparing
    EXPECT_LT (rmsOf (rig.process (silence (2048))[0]), 1e-9);
}

TEST (ProcessorAudio, ResetFromAnyThreadTakesEffectAtTheNextBlock)
{
    for (bool resetting : { false, true })
    {
        ProcessorRig rig;
        rig->setParameter (feedbackIndex, 0.8f);
        rig.process (noise (9600, 2, 4800));
        if (resetting)
            std::thread ([&] { rig->reset(); }).join();
        const double tail = rmsOf (rig.process (silence (2048))[0]);
        if (resetting)
            EXPECT_LT (tail, 1e-9);
        else
            EXPECT_GT (tail, 1e-5);
    }
}

TEST (ProcessorAudio, TailReportFollowsTheSettings)
{
    ProcessorRig rig;
    rig->setParameter (feedbackIndex, 0.0f);
    const double dry = rig->getTailLengthSeconds();
    rig->setParameter (feedbackIndex, 0.9f);
    const double long_ = rig->getTailLengthSeconds();
    rig->setParameter (feedbackIndex, 1.0f);
    EXPECT_GT (dry, 0.1);
    EXPECT_GT (long_, dry);
    EXPECT_EQ (rig->getTailLengthSeconds(), std::numeric_limits<double>::infinity());
}
