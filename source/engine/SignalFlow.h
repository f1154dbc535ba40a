#pragma once

#include <cstdint>

namespace corvane
{

enum class ReverbMode : std::int32_t
{
    mono = 0,     // four networks in series, two output networks make the stereo image
    bigStereo,    // three networks per channel, long delays in the feedback path only
    mediumStereo, // one eight-stage network per channel, short delays before the tap
    smallStereo,  // one four-stage network per channel, short delays before the tap
};

enum class PitchFlow : std::int32_t
{
    single = 0, // the sum (mid) is shifted
    dual,       // the sum is shifted up, the difference down (or the other way)
    bypass,     // plain delayed returns, no shifter
};

enum class Colour : std::int32_t
{
    bright = 0, // allpass-interpolated networks
    dark,       // linear interpolation: a little high-frequency loss on every pass
};

// What one of the 24 flows does; algorithmIndex = 12 colour + 3 reverb + pitch.
struct FlowDescription
{
    ReverbMode reverbMode;
    PitchFlow pitchFlow;
    Colour colour;

    static constexpr int count = 24;

    static constexpr FlowDescription fromIndex (int algorithmIndex) noexcept
    {
        return { static_cast<ReverbMode> ((algorithmIndex % 12) / 3),
                 static_cast<PitchFlow> (algorithmIndex % 3),
                 static_cast<Colour> (algorithmIndex / 12) };
    }

    constexpr int index() const noexcept
    {
        return 12 * static_cast<int> (colour) + 3 * static_cast<int> (reverbMode) + static_cast<int> (pitchFlow);
    }
};

} // namespace corvane
