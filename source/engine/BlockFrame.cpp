// The 16-sample frame around every signal flow: per sample, the output mixes
// the dry input with the wet result of the previous block while the input is
// staged; every 16th sample the flow's block step turns the staged input into
// the next wet block.
#include "engine/ReverbEngine.h"

#include <cmath>

namespace corvane
{

namespace
{
    // A return beyond +36 dBFS (or not finite) means the loop is running away:
    // stable settings stay near +12 dBFS even at full feedback.
    constexpr float runawayLimit = 64.0f;

    bool withinLimit (const ReverbEngine::Block& block) noexcept
    {
        bool ok = true;
        for (float x : block.samples)
            ok &= std::abs (x) <= runawayLimit; // false for NaN too
        return ok;
    }
} // namespace

void ReverbEngine::processSamples (const float* inLeft, const float* inRight, float* outLeft, float* outRight,
                                   int numSamples) noexcept
{
    // The flow is chosen once per call, so it never changes inside a host buffer.
    const FlowDescription flow = FlowDescription::fromIndex (algorithmIndex);

    for (int i = 0; i < numSamples; ++i)
    {
        // Read both inputs before writing: outputs may alias inputs.
        const float inL = inLeft[i];
        const float inR = inRight[i];

        outLeft[i] = wetGain * stageLeft[blockPos] + dryGain * inL;
        outRight[i] = wetGain * stageRight[blockPos] + dryGain * inR;

        // A sample that is not finite never enters the loop; the dry path
        // still carries it as it came.
        stageLeft[blockPos] = std::isfinite (inL) ? inL : 0.0f;
        stageRight[blockPos] = std::isfinite (inR) ? inR : 0.0f;

        if (++blockPos == blockLength)
        {
            blockPos = 0;
            runBlockStep (flow);
        }
    }
}

void ReverbEngine::runBlockStep (const FlowDescription& flow) noexcept
{
    if (flow.reverbMode == ReverbMode::mono)
        monoBlockStep (flow);
    else
        stereoBlockStep (flow);

    ++blockCount;
    clearIfRunningAway();
}

void ReverbEngine::clearIfRunningAway() noexcept
{
    if (withinLimit (feedback1) && withinLimit (feedback2))
        return;

    ++runawayResets;
    clear(); // discards the wet block just made as well
}

void ReverbEngine::stereoInputStage() noexcept
{
    // The returns cross over: the left return feeds the right input.
    for (int k = 0; k < blockLength; ++k)
    {
        workLeft[k] = feedback2[k] * feedbackGain + stageLeft[k];
        workRight[k] = feedback1[k] * feedbackGain + stageRight[k];
    }

    // A tiny square wave at half the block rate keeps every recursion of the
    // loop out of subnormal numbers once the input falls silent.
    for (int k = 0; k < blockLength; ++k)
        workLeft[k] = workLeft[k] + denormalBiasLeft;
    denormalBiasLeft = -denormalBiasLeft;
    for (int k = 0; k < blockLength; ++k)
        workRight[k] = workRight[k] + denormalBiasRight;
    denormalBiasRight = -denormalBiasRight;
}

void ReverbEngine::monoInputStage() noexcept
{
    for (int k = 0; k < blockLength; ++k)
    {
        workRight[k] = stageLeft[k] * 0.5f;
        workLeft[k] = stageRight[k] * 0.5f + workRight[k];
    }
    for (int k = 0; k < blockLength; ++k)
        workLeft[k] = workLeft[k] + denormalBiasLeft;
    denormalBiasLeft = -denormalBiasLeft;
    for (int k = 0; k < blockLength; ++k)
        workLeft[k] = feedback1[k] * feedbackGain + workLeft[k];
}

} // namespace corvane
