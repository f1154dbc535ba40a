#pragma once

#include <array>
#include <cstdint>

namespace corvane
{

// Parameter indices, shared by the engine, the processor, the program bank
// and the saved state.
enum ParameterIndex : int
{
    wetDryIndex = 0,
    shiftIndex,
    feedbackIndex,
    diffusionIndex,
    sizeIndex,
    lowCutIndex,
    highCutIndex,
    modRateIndex,
    modDepthIndex,
    reverbModeIndex,
    shiftModeIndex,
    colourModeIndex,
    numParameters
};

enum class ParameterCurve : std::int32_t
{
    linear = 0,       // min + (max - min) n
    power = 1,        // min + (max - min) n^(1/exponent)
    bipolarPower = 2, // +-max |2n - 1|^(1/exponent), 0 at n = 0.5
    span = 3,         // (max - min) n, no offset
};

// One control of the engine. Engine values are in the control's unit:
// semitones for Shift, Hz for the cuts and Mod Rate, fractions otherwise.
struct EngineParameter
{
    // Markers of a record that has never been set: a normalised value of -1
    // never equals a real one, so the first set of every control takes effect.
    static constexpr float unsetValue = -10000.0f;
    static constexpr float unsetNormalised = -1.0f;

    float min = 0.0f;
    float max = 1.0f;
    float defaultValue = 0.0f;
    float value = unsetValue;
    float normalised = unsetNormalised;
    ParameterCurve curve = ParameterCurve::linear;
    float exponent = 1.0f;
    const char* name = "";
    const char* label = " ";
};

// The twelve records in index order, not yet set.
std::array<EngineParameter, numParameters> makeParameterTable() noexcept;

// Engine value of a normalised value along `curve`.
float mapNormalised (const EngineParameter& p, ParameterCurve curve, float normalised) noexcept;

// The normalised value whose engine value is the record's default.
float normalisedDefaultOf (const EngineParameter& p) noexcept;

// Mode number of a mode control with `modeCount` modes: ceil(count n) - 1 in
// single precision (so 0.2, 0.4, ... land in the lower mode), at least 0.
std::int32_t modeNumber (float normalised, int modeCount) noexcept;

} // namespace corvane
