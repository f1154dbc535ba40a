#pragma once

#include "engine/EngineParameters.h"
#include "engine/SignalFlow.h"
#include "engine/components/DelayLine.h"
#include "engine/components/DiffusionNetwork.h"
#include "engine/components/FirstOrderFilter.h"
#include "engine/components/OnePoleLowpass.h"
#include "engine/components/PitchShifter.h"
#include "engine/components/RandomSource.h"
#include "engine/components/SmoothedValue.h"

#include <array>
#include <cstdint>

namespace corvane
{

// The reverb: twelve controls, the 16-sample block frame with the
// equal-power wet/dry mix, and 24 signal flows that share one set of
// components. Pitch shifters sit in the feedback path, so every pass through
// the loop shifts and filters the tail once more.
//
// Single-threaded: the owner serialises parameter changes, rate changes and
// processing. Memory is obtained at construction and at rate changes only.
class ReverbEngine
{
public:
    static constexpr int blockLength = 16;
    static constexpr int minSampleRate = 8000;
    static constexpr int maxSampleRate = 384000;

    // One audio block of one channel, aligned for four-wide arithmetic.
    struct alignas (16) Block
    {
        std::array<float, blockLength> samples {};
        float* data() noexcept { return samples.data(); }
        const float* data() const noexcept { return samples.data(); }
        float& operator[] (int i) noexcept { return samples[i]; }
        float operator[] (int i) const noexcept { return samples[i]; }
    };

    ReverbEngine();
    ReverbEngine (const ReverbEngine&) = delete;
    ReverbEngine& operator= (const ReverbEngine&) = delete;

    //==============================================================================
    // Controls, in normalised values 0..1.

    float getParameter (int index) const noexcept;
    void setParameter (int index, float normalised) noexcept;
    float normalisedDefault (int index) const noexcept;
    void parameterChanged (int index) noexcept;
    void selectAlgorithm() noexcept;

    //==============================================================================
    // Rate and reset.

    // Hz. Rates outside 8 kHz .. 384 kHz are ignored. A new rate clears the audio state.
    void setSampleRate (int rate);
    // Silences every delay, filter, network and shifter; settings, the block
    // grid and the gliding delay times carry on.
    void clear() noexcept;
    // Restarts the modulators' random decisions from `seed`, for reproducible renders.
    void reseed (std::uint32_t seed) noexcept { random.setSeed (seed); }

    //==============================================================================
    // Audio. Any output pointer may equal any input pointer. The wet signal
    // trails the dry by 16 samples.
    void processSamples (const float* inLeft, const float* inRight, float* outLeft, float* outRight, int numSamples) noexcept;

    //==============================================================================
    // State, for the owner and for tests.

    int getAlgorithmIndex() const noexcept { return algorithmIndex; }
    std::int32_t getReverbMode() const noexcept { return reverbMode; }
    std::int32_t getShiftMode() const noexcept { return shiftMode; }
    std::int32_t getColourMode() const noexcept { return colourMode; }
    float getSampleRate() const noexcept { return sampleRate; }
    float getLowCutFloor() const noexcept { return lowCutFloor; }
    float getWetGain() const noexcept { return wetGain; }
    float getDryGain() const noexcept { return dryGain; }
    float getFeedbackGain() const noexcept { return feedbackGain; }
    float getHighCutCoefficient() const noexcept { return highCutCoefficient; }
    const FirstOrderDesign& getLowCutDesign() const noexcept { return lowCutDesign; }
    const EngineParameter& getRecord (int index) const noexcept { return parameters[index]; }
    int getBlockPosition() const noexcept { return blockPos; }
    float getDelayTimeTarget (int t) const noexcept { return delayTimeTargets[t]; }
    float getDelayTime (int line) const noexcept { return delayTimeSmoothers[line].getValue(); }
    const PitchShifter& getPitchShifter (int k) const noexcept { return pitchShifters[k]; }
    const DiffusionNetwork& getNetwork (int k) const noexcept { return networks[k]; }
    const DelayLine& getDelayLine (int k) const noexcept { return delayLines[k]; }
    const FirstOrderSection& getEmphasis (int k) const noexcept { return preEmphasis[k]; }
    const FirstOrderSection& getLowCut (int channel) const noexcept { return channel == 0 ? lowCutLeft : lowCutRight; }
    const OnePoleLowpass& getHighCut (int channel) const noexcept { return channel == 0 ? highCutLeft : highCutRight; }
    const Block& getReturn (int k) const noexcept { return k == 0 ? feedback1 : feedback2; }
    // Block steps run since construction.
    std::uint64_t getBlockCount() const noexcept { return blockCount; }
    // Number of times the runaway guard has cleared the engine.
    std::uint32_t getRunawayResets() const noexcept { return runawayResets; }

private:
    // Block step of the frame and the flows' composable steps.
    void runBlockStep (const FlowDescription& flow) noexcept;
    void stereoBlockStep (const FlowDescription& flow) noexcept;
    void monoBlockStep (const FlowDescription& flow) noexcept;
    void stereoInputStage() noexcept;
    void monoInputStage() noexcept;
    void runNetwork (int k, const Block& in, Block& out, bool linear) noexcept;
    void delayStep (int line, int target, const Block& in, Block& out, bool linearRead) noexcept;
    void shiftStep (int shifter, const Block& in, Block& out) noexcept;
    void rotate (const Block& a, const Block& b, Block& x, Block& y) noexcept;
    void stereoReturnStage (PitchFlow pitchFlow) noexcept;
    void clearIfRunningAway() noexcept;

    void updateDelayTimeTargets() noexcept;
    void sizeLinesForRate();

    // Members in construction order.
    std::array<EngineParameter, numParameters> parameters;
    FirstOrderSection lowCutLeft, lowCutRight;
    std::array<PitchShifter, 2> pitchShifters;
    OnePoleLowpass highCutLeft, highCutRight;
    std::array<FirstOrderSection, 4> preEmphasis;
    std::array<FirstOrderSection, 4> deEmphasis;
    RandomSource random;
    std::array<DiffusionNetwork, 6> networks;
    std::array<DelayLine, 4> delayLines;
    std::array<SmoothedValue, 4> delayTimeSmoothers;
    float denormalBiasLeft = 1e-15f;
    float denormalBiasRight = 1e-15f;
    Block stageLeft, stageRight, workLeft, workRight, feedback1, feedback2, workTemp;

    float sampleRate = 44100.0f;
    float smoothingTimeMs = 200.0f;
    float lowCutFloor = 30.0f;
    float delayTimeSmoothing = 0.0f;
    std::array<float, 6> delayTimeTargets {};
    std::int32_t algorithmIndex = 0;
    std::int32_t reverbMode = 0, shiftMode = 0, colourMode = 0;
    std::int32_t blockPos = 0;
    float wetGain = 0.0f, dryGain = 1.0f, feedbackGain = 0.0001f;
    float highCutCoefficient = 1.0f;
    FirstOrderDesign lowCutDesign;
    std::uint64_t blockCount = 0;
    std::uint32_t runawayResets = 0;
};

} // namespace corvane
