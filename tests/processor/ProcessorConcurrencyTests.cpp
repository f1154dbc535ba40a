// Audio on one thread while parameters, programs and states change on
// others. Built under ThreadSanitizer as well, where any race fails the run.
#include "ProcessorRig.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

using namespace corvane;
using namespace corvane::test;

TEST (ProcessorConcurrency, AudioRunsWhileEverythingElseChanges)
{
    ProcessorRig rig;
    const auto state = rig.state();
    std::atomic<bool> running { true };
    std::atomic<int> blocks { 0 };

    std::thread audio ([&] {
        juce::AudioBuffer<float> buffer (2, 256);
        juce::MidiBuffer midi;
        juce::Random random (1);
        while (running)
        {
            for (int c = 0; c < 2; ++c)
                for (int i = 0; i < 256; ++i)
                    buffer.setSample (c, i, random.nextFloat() - 0.5f);
            const juce::ScopedLock lock (rig->getCallbackLock());
            rig->processBlock (buffer, midi);
            for (int c = 0; c < 2; ++c)
                for (int i = 0; i < 256; ++i)
                    ASSERT_TRUE (std::isfinite (buffer.getSample (c, i)));
            ++blocks;
        }
    });

    std::atomic<bool> changing { true };
    auto automation = [&] (unsigned seed) {
        juce::Random random ((juce::int64) seed);
        while (changing)
        {
            rig->getParameters()[random.nextInt (numParameters)]->setValue (random.nextFloat());
            (void) rig->getParameter (random.nextInt (numParameters));
        }
    };
    std::thread hostA (automation, 1u), hostB (automation, 2u);

    for (int i = 0; i < 200; ++i)
    {
        rig.now += 500;
        rig->setCurrentProgram (i % 8);
        juce::MemoryBlock saved;
        rig->getStateInformation (saved);
        rig->setStateInformation (i % 3 == 0 ? state.getData() : saved.getData(), (int) saved.getSize());
        rig->changeProgramName (i % 8, "p" + juce::String (i));
        (void) rig->getProgramName (i % 8);
        (void) rig->getTailLengthSeconds();
        if (i % 50 == 0)
            rig->reset();
    }

    while (blocks < 200)
        std::this_thread::yield();
    changing = false;
    hostA.join();
    hostB.join();
    running = false;
    audio.join();
    EXPECT_GT (blocks.load(), 0);
}
