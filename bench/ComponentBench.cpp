// Cost of each component's block operation, per 16-sample block.
#include "engine/components/DelayLine.h"
#include "engine/components/DiffusionNetwork.h"
#include "engine/components/PitchShifter.h"

#include <benchmark/benchmark.h>

#include <vector>

using namespace corvane;

namespace
{
constexpr int blockLength = 16;

std::vector<float> noiseBlock()
{
    RandomSource r (99);
    std::vector<float> v (blockLength);
    for (auto& x : v)
        x = static_cast<float> (r.nextUnit() - 0.5);
    return v;
}

void delayLineAllpassStage (benchmark::State& state, bool linear)
{
    DelayLine line (4096);
    auto in = noiseBlock();
    std::vector<float> out (blockLength);
    for (auto _ : state)
    {
        if (linear)
            line.allpassBlockLinear (in.data(), out.data(), blockLength, 3000.37f, 0.7f);
        else
            line.allpassBlock (in.data(), out.data(), blockLength, 3000.37f, 0.7f);
        line.advance (blockLength);
        benchmark::DoNotOptimize (out.data());
    }
    state.SetItemsProcessed (state.iterations());
}

void diffusionNetwork (benchmark::State& state, int stages, bool linear)
{
    const float delaysMs[] = { 90.6f, 98.0f, 106.2f, 115.2f, 125.0f, 135.6f, 147.2f, 159.4f };
    RandomSource random;
    DiffusionNetwork network (random);
    network.setSampleRate (48000.0f);
    network.setNumStages (stages);
    network.setDelayTimes (delaysMs);
    network.setSizeImmediate (0.55f);
    network.setDiffusion (0.91f);
    network.setModRate (0.5f);
    network.setRateSpread (1.0491f);
    network.setModDepth (0.9f);
    auto in = noiseBlock();
    std::vector<float> out (blockLength);
    for (auto _ : state)
    {
        if (linear)
            network.processBlockLinear (in.data(), out.data(), blockLength);
        else
            network.processBlock (in.data(), out.data(), blockLength);
        benchmark::DoNotOptimize (out.data());
    }
    state.SetItemsProcessed (state.iterations());
}

void pitchShifterVoice (benchmark::State& state)
{
    PitchShifter shifter;
    shifter.setSampleRate (48000.0f);
    shifter.setBufferLength (16300);
    shifter.setJitter (0, 3.0f);
    shifter.setWindowLength (0, 149.25f);
    shifter.setShift (0, 7.0f);
    auto in = noiseBlock();
    std::vector<float> out (blockLength);
    for (auto _ : state)
    {
        shifter.getInputLine().writeBlock (in.data(), blockLength);
        shifter.processVoice (out.data(), blockLength, 0);
        shifter.getInputLine().advance (blockLength);
        benchmark::DoNotOptimize (out.data());
    }
    state.SetItemsProcessed (state.iterations());
}
} // namespace

// Items are 16-sample blocks: time per iteration is the cost of one block.
BENCHMARK_CAPTURE (delayLineAllpassStage, allpassInterpolated, false);
BENCHMARK_CAPTURE (delayLineAllpassStage, linear, true);
BENCHMARK_CAPTURE (diffusionNetwork, fourStages, 4, false);
BENCHMARK_CAPTURE (diffusionNetwork, fourStagesLinear, 4, true);
BENCHMARK_CAPTURE (diffusionNetwork, eightStages, 8, false);
BENCHMARK_CAPTURE (diffusionNetwork, eightStagesLinear, 8, true);
BENCHMARK (pitchShifterVoice);
