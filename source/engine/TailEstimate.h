#pragma once

#include "engine/EngineParameters.h"

#include <array>

namespace corvane
{

// Seconds until the reverb's tail has fallen by about 90 dB for the given
// normalised controls, erring long; infinity when the loop does not decay
// (full feedback). Hosts use it to keep processing after the input ends.
double estimateTailSeconds (const std::array<float, numParameters>& normalised) noexcept;

} // namespace corvane
