#include "engine/ReverbEngine.h"

#include "engine/NetworkTables.h"
#include "engine/components/Coefficients.h"

#include <algorithm>
#include <cmath>

namespace corvane
{

namespace
{
    struct NetworkSettings
    {
        float modRateHz;
        float rateSpread; // stage i runs at rate * spread^i
    };
    constexpr NetworkSettings smallNetworkSettings { 0.7f, 1.047f };
    constexpr NetworkSettings largeNetworkSettings { 0.43f, 1.0491f };

    constexpr float shifterWindowMs[2] = { 149.25f, 163.1f };
    constexpr float shifterJitterMs = 3.0f;
    constexpr std::int64_t designShifterLineLength = 16300; // 16384 samples
    constexpr std::int64_t designFreeLineLength = 20000;    // 32768 samples

    // Longest read of a shifter: 163.1 ms window + 5 ms base delay (+ jitter);
    // longest free delay: 86.3 ms. Both plus a block and the interpolator's
    // neighbour, so that reads never wrap around their lines at high rates.
    constexpr double longestShifterReadSeconds = 0.1681;
    constexpr double longestFreeDelaySeconds = 0.0863;
    constexpr std::int64_t readSlackSamples = ReverbEngine::blockLength + 1;

    // Starting engine values of controls 0..8, before the owner sets defaults.
    constexpr float startingValues[9] = { 0.5f, 0.0f, 0.0f, 0.91f, 0.5f, 200.0f, 8000.0f, 0.5f, 0.3f };

    // The stage tables in ms, as handed to the networks at every rate change.
    struct StageTables
    {
        float small[4][4];
        float large[2][8];
    };

    const StageTables& stageTables() noexcept
    {
        static const StageTables tables = [] {
            StageTables t {};
            for (int k = 0; k < 4; ++k)
                for (int i = 0; i < 4; ++i)
                    t.small[k][i] = NetworkTables::stageDelayMs (k, i);
            for (int k = 0; k < 2; ++k)
                for (int i = 0; i < 8; ++i)
                    t.large[k][i] = NetworkTables::stageDelayMs (4 + k, i);
            return t;
        }();
        return tables;
    }

    const float* networkTable (int k) noexcept
    {
        return k < 4 ? stageTables().small[k] : stageTables().large[k - 4];
    }
} // namespace

ReverbEngine::ReverbEngine()
    : parameters (makeParameterTable()),
      random (RandomSource::seedFromClock()),
      networks { { DiffusionNetwork (random), DiffusionNetwork (random), DiffusionNetwork (random),
                   DiffusionNetwork (random), DiffusionNetwork (random), DiffusionNetwork (random) } }
{
    sampleRate = 44100.0f;
    smoothingTimeMs = 200.0f;
    lowCutFloor = 30.0f;

    for (int k = 0; k < 2; ++k)
    {
        PitchShifter& shifter = pitchShifters[k];
        shifter.setSampleRate (sampleRate);
        shifter.setBlockSize (blockLength);
        shifter.setReverse (0, 1.0f);
        shifter.setBufferLength (designShifterLineLength);
        shifter.setJitter (0, shifterJitterMs);
        shifter.setSmoothingTime (0, smoothingTimeMs);
    }
    for (int k = 0; k < 2; ++k)
        pitchShifters[k].setWindowLength (0, shifterWindowMs[k]);

    for (auto& line : delayLines)
        line.setLength (designFreeLineLength);

    delayTimeSmoothing = smoothingCoefficient (smoothingTimeMs, sampleRate / blockLength);

    auto configureNetwork = [this] (DiffusionNetwork& network, const NetworkSettings& settings) {
        network.setSize (0.5f);
        network.setSizeImmediate (0.5f);
        network.setDiffusion (0.618f);
        network.setBlockSize (blockLength);
        network.setModRate (settings.modRateHz);
        network.setRateSpread (settings.rateSpread);
        network.setSmoothingTime (smoothingTimeMs);
    };

    for (int k = 0; k < 4; ++k)
    {
        DiffusionNetwork& network = networks[k];
        network.setSampleRate (sampleRate);
        network.setNumStages (4);
        network.setDelayTimes (networkTable (k));
        configureNetwork (network, smallNetworkSettings);
    }
    for (int k = 4; k < 6; ++k)
    {
        // The table comes before the stage count here; the owner's first rate
        // change re-applies it.
        DiffusionNetwork& network = networks[k];
        network.setSampleRate (sampleRate);
        network.setDelayTimes (networkTable (k));
        network.setNumStages (8);
        configureNetwork (network, largeNetworkSettings);
    }

    // The 25 Hz emphasis pair is designed once, for 44.1 kHz, and never again.
    const float a = designAllpass (25.0f, 44100.0f).a1;
    for (auto& section : preEmphasis)
        section.setCoefficients (0.0f, a, 1.0f);
    for (auto& section : deEmphasis)
        section.setCoefficients (a, 1.0f, 0.0f);

    blockPos = 0;
    for (Block* v : { &stageLeft, &stageRight, &workLeft, &workRight, &feedback1, &feedback2, &workTemp })
        v->samples.fill (0.0f);
    algorithmIndex = 0;

    for (int i = 0; i <= modDepthIndex; ++i)
    {
        parameters[i].value = startingValues[i];
        parameterChanged (i);
    }
}

void ReverbEngine::sizeLinesForRate()
{
    const double fs = sampleRate;
    for (auto& shifter : pitchShifters)
    {
        DelayLine& line = shifter.getInputLine();
        const auto needed = static_cast<std::int64_t> (std::ceil (longestShifterReadSeconds * fs + shifter.getVoice (0).jitterSamples))
                            + readSlackSamples;
        line.setLength (std::max ({ designShifterLineLength, needed, line.getLength() }));
    }
    for (auto& line : delayLines)
    {
        const auto needed = static_cast<std::int64_t> (std::ceil (longestFreeDelaySeconds * fs)) + readSlackSamples;
        line.setLength (std::max ({ designFreeLineLength, needed, line.getLength() }));
    }
}

void ReverbEngine::setSampleRate (int rate)
{
    if (rate < minSampleRate || rate > maxSampleRate)
        return;

    const float r = static_cast<float> (rate);
    if (r == sampleRate)
        return;

    sampleRate = r;
    sizeLinesForRate();
    clear();

    for (int k = 0; k < 4; ++k)
    {
        networks[k].setSampleRate (r);
        networks[k].setDelayTimes (networkTable (k));
    }
    for (int k = 0; k < 2; ++k)
    {
        pitchShifters[k].setSampleRate (r);
        networks[4 + k].setSampleRate (r);
        networks[4 + k].setDelayTimes (networkTable (4 + k));
    }

    updateDelayTimeTargets();
    parameterChanged (lowCutIndex);
    parameterChanged (highCutIndex);
    delayTimeSmoothing = smoothingCoefficient (smoothingTimeMs, r / blockLength);
}

void ReverbEngine::clear() noexcept
{
    for (int k = 0; k < 2; ++k)
    {
        (k == 0 ? lowCutLeft : lowCutRight).clearState();
        (k == 0 ? highCutLeft : highCutRight).clearState();
        pitchShifters[k].clear();
        networks[4 + k].clear();
    }
    for (int t = 0; t < 4; ++t)
    {
        preEmphasis[t].clearState();
        deEmphasis[t].clearState();
    }
    for (int k = 0; k < 4; ++k)
        networks[k].clear();
    for (auto& line : delayLines)
        line.clear();
    for (Block* v : { &workLeft, &workRight, &feedback1, &feedback2, &workTemp, &stageLeft, &stageRight })
        v->samples.fill (0.0f);
}

} // namespace corvane
