// The 24 signal flows: a conditioning chain (low cut, high cut,
// pre-emphasis), diffusion networks arranged by the reverb mode, de-emphasis,
// the wet tap with the room's short delays, and a return stage that rotates
// the channels into sum and difference and pitch-shifts them. The rooms are
// data; the steps are shared. Networks and shifters keep state and draw
// random numbers, so the order of calls below is part of the sound.
#include "engine/ReverbEngine.h"

#include <array>

namespace corvane
{

namespace
{
    enum class Side { left, right };

    struct NetworkStage
    {
        int network;
        Side side;
        bool linearWhenDark; // dark rooms read these networks' stages linearly
        bool lastOfSide;     // in bypass it writes straight into the side's return
    };

    struct DelayTap
    {
        int line;
        int target; // index into the size-scaled delay times
        Side side;
    };

    struct StereoRoom
    {
        std::array<NetworkStage, 6> networks;
        int numNetworks;
        std::array<DelayTap, 2> beforeTap; // heard in the wet output and fed back
        int numBeforeTap;
        std::array<DelayTap, 2> afterTap;  // only in the feedback path
        int numAfterTap;
        bool afterTapOnlyInBypass;
        bool linearDelayReadsWhenDark;
    };

    constexpr auto L = Side::left;
    constexpr auto R = Side::right;

    // Targets: 0 37.8 ms, 1 39.1 ms, 2 43.6 ms, 3 45.3 ms, 4 83.056 ms, 5 86.3 ms.
    constexpr StereoRoom bigStereo {
        { { { 0, L, true, false }, { 3, L, true, false }, { 1, R, true, false }, { 2, R, true, false },
            { 4, L, false, true }, { 5, R, false, true } } },
        6,
        {}, 0,
        { { { 2, 4, L }, { 3, 5, R } } }, 2, false,
        true,
    };

    constexpr StereoRoom mediumStereo {
        { { { 4, L, true, true }, { 5, R, true, true } } },
        2,
        { { { 0, 0, L }, { 1, 1, R } } }, 2,
        { { { 2, 2, L }, { 3, 3, R } } }, 2, true,
        false,
    };

    constexpr StereoRoom smallStereo {
        { { { 0, L, true, true }, { 1, R, true, true } } },
        2,
        { { { 0, 2, L }, { 1, 3, R } } }, 2,
        {}, 0, false,
        false,
    };

    const StereoRoom& stereoRoom (ReverbMode mode) noexcept
    {
        switch (mode)
        {
            case ReverbMode::bigStereo: return bigStereo;
            case ReverbMode::mediumStereo: return mediumStereo;
            default: return smallStereo;
        }
    }

    // Mono: four networks in series inside the loop, then two output
    // networks with different stage delays make the two channels.
    constexpr int monoSeries[] = { 0, 1, 2, 3 };
    constexpr int monoOutputLeft = 4, monoOutputRight = 5;
    constexpr int monoBypassLine = 2, monoBypassTarget = 4; // 83.056 ms

    constexpr float rotationGain = 0.70710677f; // 1 / sqrt 2
    constexpr float monoDualGain = 0.7071f;     // a hair below 1 / sqrt 2
} // namespace

void ReverbEngine::runNetwork (int k, const Block& in, Block& out, bool linear) noexcept
{
    if (linear)
        networks[k].processBlockLinear (in.data(), out.data(), blockLength);
    else
        networks[k].processBlock (in.data(), out.data(), blockLength);
}

void ReverbEngine::delayStep (int line, int target, const Block& in, Block& out, bool linearRead) noexcept
{
    // The block is written before it is read, so a delay shorter than a
    // block still reads exactly that far back.
    const float delay = delayTimeSmoothers[line].smoothTowards (delayTimeTargets[target], delayTimeSmoothing);
    DelayLine& d = delayLines[line];
    d.writeBlock (in.data(), blockLength);
    if (linearRead)
        d.readLinear (delay, out.data(), blockLength);
    else
        d.readAllpassInterpolated (delay, out.data(), blockLength);
    d.advance (blockLength);
}

void ReverbEngine::shiftStep (int shifter, const Block& in, Block& out) noexcept
{
    PitchShifter& s = pitchShifters[shifter];
    s.getInputLine().writeBlock (in.data(), blockLength);
    s.processVoice (out.data(), blockLength, 0);
    s.getInputLine().advance (blockLength);
}

void ReverbEngine::rotate (const Block& a, const Block& b, Block& x, Block& y) noexcept
{
    // workTemp keeps the old A, so X may be A and Y may be B.
    for (int k = 0; k < blockLength; ++k)
        workTemp[k] = a[k] * rotationGain;
    for (int k = 0; k < blockLength; ++k)
        x[k] = b[k] * rotationGain + workTemp[k];
    for (int k = 0; k < blockLength; ++k)
        y[k] = b[k] * -rotationGain + workTemp[k];
}

void ReverbEngine::stereoReturnStage (PitchFlow pitchFlow) noexcept
{
    if (pitchFlow == PitchFlow::bypass)
        return; // the returns already hold the delayed channels

    rotate (workLeft, workRight, workLeft, workRight); // sum, difference
    shiftStep (0, workLeft, workLeft);                 // sum by +Shift
    if (pitchFlow == PitchFlow::dual)
        shiftStep (1, workRight, workRight);           // difference by -Shift
    rotate (workLeft, workRight, feedback1, feedback2);
}

void ReverbEngine::stereoBlockStep (const FlowDescription& flow) noexcept
{
    const StereoRoom& room = stereoRoom (flow.reverbMode);
    const bool dark = flow.colour == Colour::dark;
    const bool bypass = flow.pitchFlow == PitchFlow::bypass;

    stereoInputStage();

    lowCutLeft.processBlock (workLeft.data(), blockLength);
    lowCutRight.processBlock (workRight.data(), blockLength);
    highCutLeft.processBlock (workLeft.data(), blockLength, highCutCoefficient);
    highCutRight.processBlock (workRight.data(), blockLength, highCutCoefficient);
    preEmphasis[0].processBlock (workLeft.data(), blockLength);
    preEmphasis[1].processBlock (workRight.data(), blockLength);

    // Without shifters the channels continue in the return vectors.
    Block& left = bypass ? feedback1 : workLeft;
    Block& right = bypass ? feedback2 : workRight;
    auto channel = [&] (Side side) -> Block& { return side == Side::left ? left : right; };
    auto work = [&] (Side side) -> Block& { return side == Side::left ? workLeft : workRight; };

    for (int i = 0; i < room.numNetworks; ++i)
    {
        const NetworkStage& stage = room.networks[static_cast<std::size_t> (i)];
        Block& in = work (stage.side);
        runNetwork (stage.network, in, stage.lastOfSide ? channel (stage.side) : in, dark && stage.linearWhenDark);
    }

    deEmphasis[0].processBlock (left.data(), blockLength);
    deEmphasis[1].processBlock (right.data(), blockLength);

    const bool linearReads = dark && room.linearDelayReadsWhenDark;
    auto runTaps = [&] (const std::array<DelayTap, 2>& taps, int count) {
        for (int i = 0; i < count; ++i)
        {
            const DelayTap& tap = taps[static_cast<std::size_t> (i)];
            delayStep (tap.line, tap.target, channel (tap.side), channel (tap.side), linearReads);
        }
    };

    runTaps (room.beforeTap, room.numBeforeTap);
    stageLeft = left;
    stageRight = right;
    if (bypass || ! room.afterTapOnlyInBypass)
        runTaps (room.afterTap, room.numAfterTap);

    stereoReturnStage (flow.pitchFlow);
}

void ReverbEngine::monoBlockStep (const FlowDescription& flow) noexcept
{
    const bool dark = flow.colour == Colour::dark;
    Block& x = workLeft;

    monoInputStage();

    lowCutLeft.processBlock (x.data(), blockLength);
    highCutLeft.processBlock (x.data(), blockLength, highCutCoefficient);
    preEmphasis[0].processBlock (x.data(), blockLength);

    for (int k : monoSeries)
        runNetwork (k, x, x, dark);

    deEmphasis[2].processBlock (x.data(), blockLength);

    // The return leaves x itself unchanged; only feedback1 is fed back.
    switch (flow.pitchFlow)
    {
        case PitchFlow::single:
            shiftStep (0, x, feedback1);
            break;
        case PitchFlow::dual:
            shiftStep (0, x, feedback1);
            shiftStep (1, x, feedback2);
            for (int k = 0; k < blockLength; ++k)
                workTemp[k] = feedback1[k] * monoDualGain;
            for (int k = 0; k < blockLength; ++k)
                feedback1[k] = feedback2[k] * monoDualGain + workTemp[k];
            break;
        case PitchFlow::bypass:
            delayStep (monoBypassLine, monoBypassTarget, x, feedback1, false);
            break;
    }

    preEmphasis[1].processBlock (x.data(), blockLength);
    runNetwork (monoOutputLeft, x, stageLeft, false);
    runNetwork (monoOutputRight, x, stageRight, false);
    deEmphasis[0].processBlock (stageLeft.data(), blockLength);
    deEmphasis[1].processBlock (stageRight.data(), blockLength);
}

} // namespace corvane
