#include "engine/components/RandomSource.h"

#include <chrono>

namespace corvane
{

std::uint32_t RandomSource::seedFromClock() noexcept
{
    const auto ticks = std::chrono::steady_clock::now().time_since_epoch().count()
                       ^ std::chrono::system_clock::now().time_since_epoch().count();
    return static_cast<std::uint32_t> (ticks) ^ static_cast<std::uint32_t> (static_cast<std::uint64_t> (ticks) >> 32);
}

} // namespace corvane
