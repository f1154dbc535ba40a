#include "engine/components/PitchShifter.h"

#include "engine/components/Coefficients.h"

#include <algorithm>
#include <cmath>

namespace corvane
{

namespace
{
    // ln 2 / 12: one semitone as a natural-log ratio (+12 gives 1.99995).
    constexpr float semitoneLog = 0.05776f;
    constexpr float pi = 3.1415927f;
    constexpr float twoToMinus31 = 1.0f / 2147483648.0f;
} // namespace

PitchShifter::PitchShifter()
{
    const float placeholderWindow = 4800.0f;
    const float construction[2][3] = { // base delay ms, jitter ms, semitones
        { 5.0f, 3.0f, 0.05f },
        { 5.0f, 3.0f, -0.05f },
    };

    for (int v = 0; v < maxVoices; ++v)
    {
        Voice& voice = voices[v];
        voice.windowSamples = placeholderWindow;
        if (v < numVoices)
        {
            voice.baseDelayMs = construction[v][0];
            voice.jitterMs = construction[v][1];
            voice.shiftSemitones = construction[v][2];
        }
        updateRate (voice);
        updateSmoothing (voice);
    }
}

void PitchShifter::updateRate (Voice& voice) noexcept
{
    if (! (voice.windowSamples >= 1.0f))
    {
        // A window shorter than a sample cannot sweep: the grains stand still.
        voice.ratePerSecond = 0.0f;
        voice.phaseIncrement = 0.0f;
        return;
    }

    const float logRatio = semitoneLog * voice.shiftSemitones;
    const double sweepRatio = std::exp (static_cast<double> (logRatio)) * voice.direction - 1.0;
    voice.ratePerSecond = static_cast<float> (static_cast<double> (sampleRate) * sweepRatio / voice.windowSamples);
    voice.phaseIncrement = voice.ratePerSecond / sampleRate;
}

void PitchShifter::updateSmoothing (Voice& voice) noexcept
{
    voice.smoothingCoefficient = smoothingCoefficient (smoothingMs, sampleRate / blockLength);
}

void PitchShifter::setSampleRate (float newSampleRate) noexcept
{
    if (newSampleRate == sampleRate)
        return;

    sampleRate = newSampleRate;
    for (int v = 0; v < numVoices; ++v)
    {
        Voice& voice = voices[v];
        voice.windowSamples = std::floor (msToSamples (voice.windowMs));
        updateRate (voice);
        voice.baseDelaySamples = msToSamples (voice.baseDelayMs);
        updateSmoothing (voice);
    }
}

void PitchShifter::setBlockSize (int n) noexcept
{
    if (static_cast<float> (n) == blockLength)
        return;

    blockLength = static_cast<float> (n);
    for (int v = 0; v < numVoices; ++v)
    {
        updateRate (voices[v]);
        updateSmoothing (voices[v]);
    }
}

void PitchShifter::setReverse (int v, float x) noexcept
{
    Voice& voice = voices[v];
    voice.direction = x > 0.5f ? -1.0f : 1.0f;
    updateRate (voice);
}

void PitchShifter::setShift (int v, float semitones) noexcept
{
    Voice& voice = voices[v];
    voice.shiftSemitones = semitones;
    updateRate (voice);
    voice.baseDelaySamples = msToSamples (voice.baseDelayMs);
}

void PitchShifter::setWindowLength (int v, float ms) noexcept
{
    Voice& voice = voices[v];
    voice.windowMs = ms;
    voice.windowSamples = std::floor (msToSamples (ms));
    for (int i = 0; i < numVoices; ++i)
        updateRate (voices[i]);
}

void PitchShifter::setJitter (int v, float ms) noexcept
{
    Voice& voice = voices[v];
    voice.jitterMs = ms;
    voice.jitterSamples = msToSamples (ms);
}

void PitchShifter::setSmoothingTime (int v, float ms) noexcept
{
    smoothingMs = ms;
    updateSmoothing (voices[v]);
}

void PitchShifter::clear() noexcept
{
    inputLine.clear();
    for (Voice& voice : voices)
        voice.grainPhase = { 0.0f, 0.5f };
}

float PitchShifter::nextOffset (float jitterSamples) noexcept
{
    // 32-bit linear congruential step; read as signed, the offset covers
    // -jitter .. +jitter.
    seed = static_cast<std::int32_t> (static_cast<std::uint32_t> (seed) * 214013u + 2531011u);
    return static_cast<float> (seed) * twoToMinus31 * jitterSamples;
}

void PitchShifter::renderGrain (Voice& voice, int grain, float* output, int n, float top, float window) noexcept
{
    const float* const mem = inputLine.data();
    const std::int64_t mask = inputLine.getMask();
    const float increment = voice.phaseIncrement;

    float phase = voice.grainPhase[grain];
    float offset = voice.grainOffset[grain];
    std::int64_t p = inputLine.getWriteIndex();

    for (int j = 0; j < n; ++j)
    {
        phase = phase + increment;
        if (phase >= 1.0f)
        {
            offset = nextOffset (voice.jitterSamples);
            phase = phase - 1.0f;
        }
        if (! (phase >= 0.0f))
        {
            offset = nextOffset (voice.jitterSamples);
            phase = phase + 1.0f;
        }

        const float d = (top + offset) - phase * window;
        const std::int64_t k = static_cast<std::int64_t> (d);
        const float f = d - static_cast<float> (k);
        const std::int64_t a = (k + p) & mask;
        const float value = (1.0f - f) * mem[a] + f * mem[(a + 1) & mask];

        const float gain = std::cos ((phase - 0.5f) * pi);
        output[j] = output[j] + gain * value;
        p = (p - 1) & mask;
    }

    voice.grainPhase[grain] = phase;
    voice.grainOffset[grain] = offset;
}

void PitchShifter::processVoice (float* output, int n, int v) noexcept
{
    Voice& voice = voices[v];
    const float window = voice.windowSmoother.smoothTowards (voice.windowSamples, voice.smoothingCoefficient);
    const float baseDelay = voice.delaySmoother.smoothTowards (voice.baseDelaySamples, voice.smoothingCoefficient);

    std::fill (output, output + n, 0.0f);

    const float top = baseDelay + window;
    renderGrain (voice, 0, output, n, top, window);
    renderGrain (voice, 1, output, n, top, window);
}

} // namespace corvane
