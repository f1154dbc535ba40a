#pragma once

#include <cstddef>

namespace corvane::test
{

// Counts mutex locks (pthread_mutex_lock and friends) taken on the current
// thread while an instance is alive. The test executable interposes the
// pthread functions; a build under ThreadSanitizer leaves them to it and
// counts nothing (available() says so).
class ScopedLockCounter
{
public:
    ScopedLockCounter() noexcept;
    ~ScopedLockCounter();

    ScopedLockCounter (const ScopedLockCounter&) = delete;
    ScopedLockCounter& operator= (const ScopedLockCounter&) = delete;

    std::size_t locks() const noexcept;
    static bool available() noexcept;

private:
    std::size_t startCount;
    bool wasCounting;
};

} // namespace corvane::test
