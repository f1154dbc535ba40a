#pragma once

#include "engine/components/DelayLine.h"
#include "engine/components/RandomModulator.h"
#include "engine/components/RandomSource.h"
#include "engine/components/SmoothedValue.h"

#include <array>
#include <cstdint>

namespace corvane
{

// A chain of Schroeder allpass stages in series. Each stage's delay is its
// share of the longest stage, scaled by a gliding size, plus a slow random
// wander; all stages share one gliding allpass coefficient (the diffusion).
// Size, diffusion and depth glide with one-pole smoothers stepped per block.
class DiffusionNetwork
{
public:
    static constexpr int maxStages = 32;

    explicit DiffusionNetwork (RandomSource& randomSource);

    DiffusionNetwork (const DiffusionNetwork&) = delete;
    DiffusionNetwork& operator= (const DiffusionNetwork&) = delete;

    void setSampleRate (float newSampleRate);
    void setBlockSize (int n) noexcept;
    void setNumStages (int n);
    // Stage delays in ms for the active stages; resizes their lines.
    void setDelayTimes (const float* delaysMs);
    void setSize (float s) noexcept;
    void setSizeImmediate (float s) noexcept;
    void setDiffusion (float g) noexcept { diffusionTarget = g; }
    void setModDepth (float ms) noexcept;
    void setModRate (float rateHz) noexcept;
    void setRateSpread (float spread) noexcept;
    void setSmoothingTime (float ms) noexcept;

    // Silences the lines (write positions survive) and snaps the size to its
    // target; modulators and the diffusion and depth glides carry on.
    void clear() noexcept;

    // One block, allpass- or linear-interpolated stages. Input and output may
    // be the same vector; otherwise the input is left unchanged.
    void processBlock (const float* input, float* output, int n) noexcept;
    void processBlockLinear (const float* input, float* output, int n) noexcept;

    int getNumStages() const noexcept { return numStages; }
    std::int32_t getMaxDelay() const noexcept { return maxDelay; }
    float getStageRatio (int i) const noexcept { return stageRatio[i]; }
    float getSizeTarget() const noexcept { return sizeTarget; }
    float getSmoothedSize() const noexcept { return sizeSmoother.getValue(); }
    float getSmoothedDiffusion() const noexcept { return diffusionSmoother.getValue(); }
    float getSmoothedDepth() const noexcept { return depthSmoother.getValue(); }
    float getModDepthSamples() const noexcept { return modDepthSamples; }
    float getSmoothingCoefficient() const noexcept { return smoothingCoefficientPerBlock; }
    const DelayLine& getStage (int i) const noexcept { return stages[i]; }
    const RandomModulator& getModulator (int i) const noexcept { return modulators[i]; }

private:
    float blockRate() const noexcept { return sampleRate / blockLength; }
    void updateModulators() noexcept;
    void updateSmoothingCoefficient() noexcept;
    void resizeLines();
    void clearActiveLines() noexcept;
    void snapSizeToTarget() noexcept;

    template <bool linear>
    void process (const float* input, float* output, int n) noexcept;

    RandomSource& random;

    float sampleRate = 48000.0f;
    float blockLength = 16.0f;
    int numStages = 0;
    float modRate = 0.0f;          // Hz, stage 0; stage i runs at modRate * rateSpread^i
    float modDepthMs = 0.0f;
    float modDepthSamples = 0.0f;
    float rateSpread = 0.0f;
    float diffusionTarget = 0.0f;
    float size = 0.0f;             // fraction of the table delays, 0.1 .. 1
    float sizeTarget = 0.0f;       // samples: maxDelay * size
    std::int32_t maxDelay = 0;     // longest stage delay, samples
    float smoothingMs = 200.0f;
    float smoothingCoefficientPerBlock = 0.0f;

    std::array<float, maxStages> stageRatio {};
    std::array<float, maxStages> stageDelayMs {};
    std::array<DelayLine, maxStages> stages;
    std::array<RandomModulator, maxStages> modulators {};

    SmoothedValue sizeSmoother, diffusionSmoother, depthSmoother;
};

} // namespace corvane
