#pragma once

#include "engine/components/DelayLine.h"
#include "engine/components/SmoothedValue.h"

#include <array>
#include <cstdint>

namespace corvane
{

// Delay-line granular pitch shifter. The input is written into its own line;
// two grains, half a sweep apart, read it back through a delay that slides
// across a window of about 150 ms at the speed giving the requested ratio,
// each faded with a half-sine window (their squares sum to 1). At the end of
// a sweep a grain jumps back and takes a new random offset. Run with the
// sweep inverted, each grain plays its material backwards.
class PitchShifter
{
public:
    static constexpr int maxVoices = 4;

    PitchShifter();

    PitchShifter (const PitchShifter&) = delete;
    PitchShifter& operator= (const PitchShifter&) = delete;

    void setSampleRate (float newSampleRate) noexcept;
    void setBlockSize (int n) noexcept;
    // x > 0.5 plays the grains backwards.
    void setReverse (int voice, float x) noexcept;
    void setShift (int voice, float semitones) noexcept;
    void setWindowLength (int voice, float ms) noexcept;
    void setJitter (int voice, float ms) noexcept;
    void setSmoothingTime (int voice, float ms) noexcept;
    void setBufferLength (std::int64_t n) { inputLine.setLength (n); }

    // Silences the input and restarts the grains at phases 0 and 0.5; the
    // offsets, the generator and the glides carry on.
    void clear() noexcept;

    // n samples of `voice` into output. Reads the input line but neither
    // writes it nor moves its write position: the caller writes the block
    // first and advances afterwards.
    void processVoice (float* output, int n, int voice) noexcept;

    DelayLine& getInputLine() noexcept { return inputLine; }
    const DelayLine& getInputLine() const noexcept { return inputLine; }

    struct Voice
    {
        float jitterMs = 0.0f, jitterSamples = 0.0f;
        float baseDelayMs = 0.0f, baseDelaySamples = 0.0f;
        float shiftSemitones = 0.0f;
        float windowMs = 0.0f;
        float windowSamples = 0.0f;
        float direction = 1.0f;          // +1 forward grains, -1 reversed
        float ratePerSecond = 0.0f;
        float phaseIncrement = 0.0f;     // per sample
        float smoothingCoefficient = 0.0f;
        std::array<float, 2> grainPhase { 0.0f, 0.5f };
        std::array<float, 2> grainOffset { 0.0f, 0.0f }; // samples
        SmoothedValue windowSmoother, delaySmoother;
    };

    const Voice& getVoice (int v) const noexcept { return voices[v]; }
    std::int32_t getSeed() const noexcept { return seed; }
    float getSampleRate() const noexcept { return sampleRate; }

private:
    void updateRate (Voice& voice) noexcept;
    void updateSmoothing (Voice& voice) noexcept;
    float msToSamples (float ms) const noexcept { return ms * sampleRate * 0.001f; }
    float nextOffset (float jitterSamples) noexcept;
    void renderGrain (Voice& voice, int grain, float* output, int n, float top, float window) noexcept;

    float sampleRate = 22000.0f;
    float blockLength = 16.0f;
    float smoothingMs = 200.0f;
    std::int32_t seed = 1235;
    int numVoices = 2;
    std::array<Voice, maxVoices> voices;
    DelayLine inputLine { 8192 };
};

} // namespace corvane
