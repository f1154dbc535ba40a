#pragma once

// Stage delays of the six diffusion networks, in ms at full size.

namespace corvane::NetworkTables
{

// Networks 0..3, four stages each, before doubling.
constexpr float smallNetworkBaseMs[4][4] = {
    { 30.0f, 31.0f, 33.6f, 37.8f },
    { 30.1f, 31.5f, 34.5f, 39.1f },
    { 30.3f, 32.1f, 35.5f, 40.5f },
    { 30.6f, 32.8f, 36.6f, 42.0f },
};

// Networks 4 and 5, eight stages each.
constexpr float largeNetworkMs[2][8] = {
    { 90.6f, 98.0f, 106.2f, 115.2f, 125.0f, 135.6f, 147.2f, 159.4f },
    { 87.2f, 94.2f, 102.0f, 110.0f, 120.0f, 130.2f, 141.4f, 153.2f },
};

constexpr int stageCount (int network) { return network < 4 ? 4 : 8; }

// Stage i of network k, ms (the small networks' values doubled in single precision).
constexpr float stageDelayMs (int network, int stage)
{
    return network < 4 ? 2.0f * smallNetworkBaseMs[network][stage] : largeNetworkMs[network - 4][stage];
}

// Delays of the free delay lines at full size, ms: 0/1 are the medium
// room's pre-tap delays, 2/3 the small room's (and the medium bypass
// returns), 4/5 the feedback-path delays of the big room and mono bypass.
constexpr float delayTimesMs[6] = { 37.8f, 39.1f, 43.6f, 45.3f, 83.056f, 86.3f };

} // namespace corvane::NetworkTables
