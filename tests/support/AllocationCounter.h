#pragma once

#include <cstddef>

namespace corvane::test
{

// Counts heap allocations made on the current thread while an instance is
// alive (the test executable replaces the global operator new).
class ScopedAllocationCounter
{
public:
    ScopedAllocationCounter() noexcept;
    ~ScopedAllocationCounter();

    ScopedAllocationCounter (const ScopedAllocationCounter&) = delete;
    ScopedAllocationCounter& operator= (const ScopedAllocationCounter&) = delete;

    std::size_t allocations() const noexcept;

private:
    std::size_t startCount;
    bool wasCounting;
};

} // namespace corvane::test
