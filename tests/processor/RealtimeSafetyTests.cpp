// The audio callback never allocates and never takes a lock, whatever the
// host does around it: parameter changes, mode and program changes,
// restores, resets and announced rate changes.
#include "ProcessorRig.h"
#include "support/AllocationCounter.h"
#include "support/LockCounter.h"

#include <gtest/gtest.h>

using namespace corvane;
using namespace corvane::test;

namespace
{
struct CallbackCost
{
    std::size_t allocations = 0, locks = 0;
};

CallbackCost processCounting (TarnwickCorvane& processor, juce::AudioBuffer<float>& buffer)
{
    juce::MidiBuffer midi;
    ScopedAllocationCounter allocations;
    ScopedLockCounter locks;
    processor.processBlock (buffer, midi);
    return { allocations.allocations(), locks.locks() };
}
} // namespace

TEST (RealtimeSafety, ProcessBlockNeitherAllocatesNorLocks)
{
    ProcessorRig rig;
    juce::AudioBuffer<float> buffer (2, 512);
    juce::Random random (3);
    const auto saved = rig.state();

    using Change = std::function<void()>;
    const std::pair<const char*, Change> changes[] = {
        { "nothing", [] {} },
        { "every parameter", [&] { for (int i = 0; i < numParameters; ++i) rig->setParameter (i, random.nextFloat()); } },
        { "reverb mode (clears the engine)", [&] { rig->setParameter (reverbModeIndex, 0.6f); } },
        { "shift and colour modes", [&] { rig->setParameter (shiftModeIndex, 0.9f); rig->setParameter (colourModeIndex, 1.0f); } },
        { "a program", [&] { rig.now += 1000; rig->setCurrentProgram (6); } },
        { "a restore", [&] { rig.restore (saved); } },
        { "a reset", [&] { rig->reset(); } },
        { "an announced rate change", [&] { rig->setPlayConfigDetails (2, 2, 96000.0, 512); rig->prepareToPlay (96000.0, 512); } },
        { "automation from another thread", [&] { std::thread ([&] { rig->getParameters()[2]->setValue (0.3f); }).join(); } },
    };

    for (const auto& [why, change] : changes)
    {
        change();
        for (int block = 0; block < 4; ++block)
        {
            for (int c = 0; c < 2; ++c)
                for (int i = 0; i < 512; ++i)
                    buffer.setSample (c, i, random.nextFloat() - 0.5f);
            const auto cost = processCounting (*rig, buffer);
            EXPECT_EQ (cost.allocations, 0u) << "after " << why;
            if (ScopedLockCounter::available())
            {
                EXPECT_EQ (cost.locks, 0u) << "after " << why;
            }
        }
    }
}

int* volatile escaped = nullptr;

TEST (RealtimeSafety, TheCountersSeeWhatTheyCount)
{
    juce::CriticalSection section;
    auto lockOnce = [&] { const juce::ScopedLock lock (section); };
    lockOnce(); // first use resolves the interposed functions

    ScopedAllocationCounter allocations;
    ScopedLockCounter locks;
    escaped = new int (3);
    delete escaped;
    lockOnce();
    EXPECT_EQ (allocations.allocations(), 1u);
    if (ScopedLockCounter::available())
    {
        EXPECT_EQ (locks.locks(), 1u);
    }
}
