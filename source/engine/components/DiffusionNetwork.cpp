#include "engine/components/DiffusionNetwork.h"

#include "engine/components/Coefficients.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace corvane
{

namespace
{
    // Lines of unused stages are never run; they start (and stay) tiny
    // instead of holding a full-size buffer each.
    constexpr std::int64_t idleLineLength = 2;

    template <size_t... index>
    std::array<DelayLine, sizeof...(index)> makeIdleLines (std::index_sequence<index...>)
    {
        return { { ((void) index, DelayLine (idleLineLength))... } };
    }

    // A per-stage modulator's direction decisions come about 3.14 times per
    // travel from -1 to +1.
    constexpr float flipsPerTravel = 3.14159f;

    // Beyond the line length plus this slack a gliding size would read stale
    // memory (wrapped around the line) for a noticeable time.
    constexpr float wrapSlackSamples = 15.0f;
} // namespace

DiffusionNetwork::DiffusionNetwork (RandomSource& randomSource)
    : random (randomSource),
      stages (makeIdleLines (std::make_index_sequence<maxStages> {}))
{
    updateSmoothingCoefficient();
}

void DiffusionNetwork::updateModulators() noexcept
{
    const float perBlock = blockRate();
    for (int i = 0; i < numStages; ++i)
    {
        const float rate = modRate * std::pow (rateSpread, static_cast<float> (i));
        modulators[i].setRate (rate, perBlock);
        modulators[i].setFlipPeriod (rate * flipsPerTravel, perBlock);
    }
}

void DiffusionNetwork::updateSmoothingCoefficient() noexcept
{
    smoothingCoefficientPerBlock = smoothingCoefficient (smoothingMs, blockRate());
}

void DiffusionNetwork::resizeLines()
{
    for (int i = 0; i < maxStages; ++i)
        stages[i].setLength (i < numStages ? maxDelay : idleLineLength);
}

void DiffusionNetwork::clearActiveLines() noexcept
{
    for (int i = 0; i < numStages; ++i)
        stages[i].clear();
}

void DiffusionNetwork::snapSizeToTarget() noexcept
{
    sizeTarget = static_cast<float> (maxDelay) * size;
    sizeSmoother.set (sizeTarget);
}

void DiffusionNetwork::setSampleRate (float newSampleRate)
{
    if (newSampleRate == sampleRate)
        return;

    sampleRate = newSampleRate;
    updateModulators();
    modDepthSamples = modDepthMs * sampleRate / 1000.0f;
    updateSmoothingCoefficient();
    clearActiveLines();
    snapSizeToTarget();
}

void DiffusionNetwork::setBlockSize (int n) noexcept
{
    if (static_cast<float> (n) == blockLength)
        return;

    blockLength = static_cast<float> (n);
    updateModulators();
    updateSmoothingCoefficient();
}

void DiffusionNetwork::setNumStages (int n)
{
    n = std::clamp (n, 0, maxStages);
    if (n == numStages)
        return;

    numStages = n;
    clearActiveLines();
    snapSizeToTarget();
    resizeLines();
    updateModulators();

    // Evenly spread placeholder ratios; the owner always follows with setDelayTimes.
    for (int i = 0; i < numStages; ++i)
        stageRatio[i] = static_cast<float> (i + 1) / static_cast<float> (numStages);
}

void DiffusionNetwork::setDelayTimes (const float* delaysMs)
{
    std::array<float, maxStages> delaySamples {};
    float longest = 0.0f;
    for (int i = 0; i < numStages; ++i)
    {
        stageDelayMs[i] = delaysMs[i];
        delaySamples[i] = (sampleRate * delaysMs[i]) / 1000.0f;
        longest = std::max (longest, delaySamples[i]);
    }

    if (longest > 0.0f)
        for (int i = 0; i < numStages; ++i)
            stageRatio[i] = delaySamples[i] / longest;

    maxDelay = static_cast<std::int32_t> (longest);
    resizeLines();
    sizeTarget = static_cast<float> (maxDelay) * size;

    // After the lines shrank (a lower rate), a size still gliding from the old
    // rate's length would read far beyond them for most of a second: jump.
    const float lineLength = numStages > 0 ? static_cast<float> (stages[0].getLength()) : 0.0f;
    if (sizeSmoother.getValue() + depthSmoother.getValue() > lineLength + wrapSlackSamples)
        sizeSmoother.set (sizeTarget);
}

void DiffusionNetwork::setSize (float s) noexcept
{
    size = s;
    sizeTarget = static_cast<float> (maxDelay) * s;
}

void DiffusionNetwork::setSizeImmediate (float s) noexcept
{
    setSize (s);
    sizeSmoother.set (sizeTarget);
}

void DiffusionNetwork::setModDepth (float ms) noexcept
{
    modDepthMs = ms;
    modDepthSamples = ms * sampleRate / 1000.0f;
}

void DiffusionNetwork::setModRate (float rateHz) noexcept
{
    modRate = rateHz;
    updateModulators();
}

void DiffusionNetwork::setRateSpread (float spread) noexcept
{
    rateSpread = spread;
    updateModulators();
}

void DiffusionNetwork::setSmoothingTime (float ms) noexcept
{
    smoothingMs = ms;
    updateSmoothingCoefficient();
}

void DiffusionNetwork::clear() noexcept
{
    clearActiveLines();
    snapSizeToTarget();
}

template <bool linear>
void DiffusionNetwork::process (const float* input, float* output, int n) noexcept
{
    const float k = smoothingCoefficientPerBlock;
    const float s = sizeSmoother.smoothTowards (sizeTarget, k);
    const float g = diffusionSmoother.smoothTowards (diffusionTarget, k);
    const float depth = depthSmoother.smoothTowards (modDepthSamples, k);

    // All modulators step before any stage runs.
    std::array<float, maxStages> wander;
    for (int i = 0; i < numStages; ++i)
        wander[i] = modulators[i].tick (random) * depth;

    if (numStages == 0 && input != output)
        std::copy (input, input + n, output);

    const float* stageInput = input;
    for (int i = 0; i < numStages; ++i)
    {
        const float delay = stageRatio[i] * s + wander[i];
        if constexpr (linear)
            stages[i].allpassBlockLinear (stageInput, output, n, delay, g);
        else
            stages[i].allpassBlock (stageInput, output, n, delay, g);
        stageInput = output;
    }

    for (int i = 0; i < numStages; ++i)
        stages[i].advance (n);
}

void DiffusionNetwork::processBlock (const float* input, float* output, int n) noexcept
{
    process<false> (input, output, n);
}

void DiffusionNetwork::processBlockLinear (const float* input, float* output, int n) noexcept
{
    process<true> (input, output, n);
}

} // namespace corvane
