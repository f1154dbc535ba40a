// How the twelve controls reach the engine: the normalised-to-engine mapping,
// the derived gains and coefficients, the components' settings and the
// choice of signal flow. Everything is derived here, when a control changes;
// the block steps only read the results.
#include "engine/ReverbEngine.h"

#include "engine/NetworkTables.h"
#include "engine/components/Coefficients.h"

#include <algorithm>
#include <cmath>

namespace corvane
{

namespace
{
    constexpr float pi = 3.1415927f;

    // Networks 0..3 run at slightly different modulation rates so their
    // wanders never line up.
    constexpr float modRateSpreadPerNetwork = 1.0673f;

    // Size 0..1 scales every delay by 0.1 .. 1.
    float sizeFactor (float size) noexcept { return size * 0.9f + 0.1f; }

    bool isModeParameter (int index) noexcept { return index >= reverbModeIndex; }
    bool isValidIndex (int index) noexcept { return index >= 0 && index < numParameters; }

    int modeCount (int index) noexcept
    {
        switch (index)
        {
            case reverbModeIndex: return 4;
            case shiftModeIndex: return 5;
            default: return 2;
        }
    }
} // namespace

float ReverbEngine::getParameter (int index) const noexcept
{
    return isValidIndex (index) ? parameters[index].normalised : 0.0f;
}

float ReverbEngine::normalisedDefault (int index) const noexcept
{
    return isValidIndex (index) ? normalisedDefaultOf (parameters[index]) : 0.0f;
}

void ReverbEngine::setParameter (int index, float normalised) noexcept
{
    // A value that is not finite (a corrupt project, a host's bad automation)
    // would poison every derived coefficient: ignore it.
    if (! isValidIndex (index) || ! std::isfinite (normalised))
        return;

    EngineParameter& p = parameters[index];
    if (normalised == p.normalised)
        return;

    p.normalised = normalised;
    p.value = mapNormalised (p, isModeParameter (index) ? p.curve : ParameterCurve::linear, normalised);

    if (isModeParameter (index))
    {
        const std::int32_t mode = modeNumber (normalised, modeCount (index));
        (index == reverbModeIndex ? reverbMode : index == shiftModeIndex ? shiftMode : colourMode) = mode;
    }

    parameterChanged (index);
}

void ReverbEngine::updateDelayTimeTargets() noexcept
{
    const float s = sizeFactor (parameters[sizeIndex].value);
    for (int t = 0; t < 6; ++t)
        delayTimeTargets[t] = ((sampleRate * NetworkTables::delayTimesMs[t]) / 1000.0f) * s;
}

void ReverbEngine::selectAlgorithm() noexcept
{
    PitchFlow pitchFlow = PitchFlow::bypass;
    if (shiftMode == 0 || shiftMode == 2)
        pitchFlow = PitchFlow::single;
    else if (shiftMode == 1 || shiftMode == 3)
        pitchFlow = PitchFlow::dual;

    if (pitchFlow == PitchFlow::bypass)
    {
        lowCutFloor = 10.0f;
    }
    else
    {
        lowCutFloor = 30.0f;
        // "single" and "dual" play their grains backwards, the two "Reverse"
        // modes forwards; the factory programs are voiced on exactly this.
        const float reverse = shiftMode <= 1 ? 1.0f : 0.0f;
        for (auto& shifter : pitchShifters)
            shifter.setReverse (0, reverse);
    }

    const auto room = static_cast<ReverbMode> (std::min (reverbMode, static_cast<std::int32_t> (ReverbMode::smallStereo)));
    const Colour colour = colourMode != 0 ? Colour::dark : Colour::bright;
    algorithmIndex = FlowDescription { room, pitchFlow, colour }.index();
    // The low cut is redesigned for a new floor only at the next Low Cut or rate change.
}

void ReverbEngine::parameterChanged (int index) noexcept
{
    if (! isValidIndex (index))
        return;

    const float v = parameters[index].value;
    switch (index)
    {
        case wetDryIndex:
        {
            const float angle = v * pi * 0.5f;
            wetGain = std::sin (angle);
            dryGain = std::cos (angle);
            break;
        }
        case shiftIndex:
            // The second shifter always moves by the opposite interval.
            pitchShifters[0].setShift (0, v);
            pitchShifters[1].setShift (0, -v);
            break;
        case feedbackIndex:
            // Never exactly 0: at the bottom the loop still returns -80 dB.
            feedbackGain = v * 0.9999f + 0.0001f;
            break;
        case diffusionIndex:
            for (auto& network : networks)
                network.setDiffusion (v);
            break;
        case sizeIndex:
        {
            const float s = sizeFactor (v);
            networks[4].setSize (s);
            networks[5].setSize (s);
            for (int k = 0; k < 4; ++k)
                networks[k].setSize (s);
            updateDelayTimeTargets();
            break;
        }
        case lowCutIndex:
            lowCutDesign = designHighpass (std::max (v, lowCutFloor), sampleRate);
            lowCutLeft.loadDesign (lowCutDesign);
            lowCutRight.loadDesign (lowCutDesign);
            break;
        case highCutIndex:
            highCutCoefficient = onePoleCoefficient (v, sampleRate);
            break;
        case modRateIndex:
            for (int k = 0; k < 4; ++k)
                networks[k].setModRate (v * std::pow (modRateSpreadPerNetwork, static_cast<float> (k)));
            networks[4].setModRate (v);
            networks[5].setModRate (v);
            break;
        case modDepthIndex:
            // Depth in ms: 2 ms at full depth for the small networks, 3 ms for the large.
            for (int k = 0; k < 4; ++k)
                networks[k].setModDepth (2.0f * v);
            networks[4].setModDepth (3.0f * v);
            networks[5].setModDepth (3.0f * v);
            break;
        case reverbModeIndex:
            selectAlgorithm();
            parameterChanged (shiftIndex);
            clear(); // a new room starts silent
            break;
        case shiftModeIndex:
        case colourModeIndex:
            selectAlgorithm();
            break;
        default:
            break;
    }
}

} // namespace corvane
