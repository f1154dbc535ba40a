#include "engine/TailEstimate.h"

#include "engine/NetworkTables.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

namespace corvane
{

namespace
{
    constexpr double decadesFor90dB = 4.5;

    // Delay through one shifter: its base delay plus half a window, on average.
    constexpr double shifterDelayMs = 5.0 + 163.1 / 2.0;

    double networkPassMs (int network, double size)
    {
        double sum = 0.0;
        for (int i = 0; i < NetworkTables::stageCount (network); ++i)
            sum += NetworkTables::stageDelayMs (network, i);
        return sum * size;
    }

    // An allpass stage with coefficient g keeps ringing: its recirculation
    // falls by g per round trip of its delay. The longest stage rings longest.
    double networkRingMs (int network, double size, double g)
    {
        const double longest = NetworkTables::stageDelayMs (network, NetworkTables::stageCount (network) - 1) * size;
        const double roundTrips = g > 1e-6 ? decadesFor90dB / -std::log10 (g) : 0.0;
        return longest * (1.0 + roundTrips);
    }

    struct Path
    {
        std::vector<int> loopNetworks;   // inside the feedback loop
        std::vector<int> outputNetworks; // after the tap, outside the loop
        double loopDelayMs;              // free delays in the loop, at full size
    };

    Path pathOf (int room, bool bypass)
    {
        switch (room)
        {
            case 0: return { { 0, 1, 2, 3 }, { 4 }, bypass ? NetworkTables::delayTimesMs[4] : 0.0 };
            case 1: return { { 0, 3, 4 }, {}, NetworkTables::delayTimesMs[5] };
            case 2: return { { 4 }, {}, NetworkTables::delayTimesMs[1] + (bypass ? NetworkTables::delayTimesMs[3] : 0.0) };
            default: return { { 0 }, {}, NetworkTables::delayTimesMs[3] };
        }
    }
} // namespace

double estimateTailSeconds (const std::array<float, numParameters>& n) noexcept
{
    const auto table = makeParameterTable();
    auto value = [&] (int i) {
        const float v = std::isfinite (n[(size_t) i]) ? std::clamp (n[(size_t) i], 0.0f, 1.0f) : 0.0f;
        return static_cast<double> (mapNormalised (table[(size_t) i], ParameterCurve::linear, v));
    };

    const double loopGain = value (feedbackIndex) * 0.9999 + 0.0001;
    if (loopGain >= 1.0)
        return std::numeric_limits<double>::infinity();

    const double g = value (diffusionIndex);
    const double size = value (sizeIndex) * 0.9 + 0.1;
    const int room = std::min (modeNumber (std::clamp (n[reverbModeIndex], 0.0f, 1.0f), 4), 3);
    const bool bypass = modeNumber (std::clamp (n[shiftModeIndex], 0.0f, 1.0f), 5) >= 4;

    const Path path = pathOf (room, bypass);
    double passMs = path.loopDelayMs * size + (bypass ? 0.0 : shifterDelayMs);
    double ringMs = 0.0;
    for (int k : path.loopNetworks)
    {
        passMs += networkPassMs (k, size);
        ringMs += networkRingMs (k, size, g);
    }
    for (int k : path.outputNetworks)
        ringMs += networkRingMs (k, size, g);

    // The model runs close to measured decays; a margin keeps it on the long side.
    const double passes = decadesFor90dB / -std::log10 (loopGain);
    return (passes * passMs + ringMs) / 1000.0 * 1.1 + 0.25;
}

} // namespace corvane
