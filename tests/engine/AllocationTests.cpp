#include "engine/components/DelayLine.h"
#include "engine/components/DiffusionNetwork.h"
#include "engine/components/PitchShifter.h"
#include "support/AllocationCounter.h"

#include <gtest/gtest.h>

#include <vector>

using namespace corvane;

TEST (Allocation, BlockOperationsOfTheComponentsNeverAllocate)
{
    constexpr int n = 16;
    DelayLine line (4096);
    RandomSource random;
    DiffusionNetwork network (random);
    network.setSampleRate (48000.0f);
    network.setNumStages (8);
    const float delaysMs[] = { 90.6f, 98.0f, 106.2f, 115.2f, 125.0f, 135.6f, 147.2f, 159.4f };
    network.setDelayTimes (delaysMs);
    network.setModDepth (3.0f);
    network.setModRate (0.5f);
    PitchShifter shifter;
    shifter.setSampleRate (48000.0f);
    shifter.setWindowLength (0, 149.25f);
    shifter.setShift (0, 7.0f);

    std::vector<float> block (n, 0.5f), out (n);

    corvane::test::ScopedAllocationCounter counter;
    for (int i = 0; i < 1000; ++i)
    {
        line.writeBlock (block.data(), n);
        line.readAllpassInterpolated (100.5f, out.data(), n);
        line.readLinear (99.25f, out.data(), n);
        line.allpassBlock (block.data(), out.data(), n, 300.3f, 0.6f);
        line.allpassBlockLinear (out.data(), out.data(), n, 200.7f, 0.6f);
        line.advance (n);

        network.processBlock (block.data(), out.data(), n);
        network.processBlockLinear (out.data(), out.data(), n);

        shifter.getInputLine().writeBlock (block.data(), n);
        shifter.processVoice (out.data(), n, 0);
        shifter.getInputLine().advance (n);
    }
    line.clear();
    network.clear();
    shifter.clear();
    EXPECT_EQ (counter.allocations(), 0u);
}
