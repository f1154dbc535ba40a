#include "support/LockCounter.h"

#include <dlfcn.h>
#include <pthread.h>

namespace
{
thread_local bool counting = false;
thread_local std::size_t lockCount = 0;

template <typename Function>
Function next (const char* name)
{
    return reinterpret_cast<Function> (dlsym (RTLD_NEXT, name));
}
} // namespace

#ifndef CORVANE_THREAD_SANITIZER
extern "C" int pthread_mutex_lock (pthread_mutex_t* mutex)
{
    static const auto real = next<int (*) (pthread_mutex_t*)> ("pthread_mutex_lock");
    if (counting)
        ++lockCount;
    return real (mutex);
}

extern "C" int pthread_mutex_trylock (pthread_mutex_t* mutex)
{
    static const auto real = next<int (*) (pthread_mutex_t*)> ("pthread_mutex_trylock");
    if (counting)
        ++lockCount;
    return real (mutex);
}

extern "C" int pthread_rwlock_rdlock (pthread_rwlock_t* lock)
{
    static const auto real = next<int (*) (pthread_rwlock_t*)> ("pthread_rwlock_rdlock");
    if (counting)
        ++lockCount;
    return real (lock);
}

extern "C" int pthread_rwlock_wrlock (pthread_rwlock_t* lock)
{
    static const auto real = next<int (*) (pthread_rwlock_t*)> ("pthread_rwlock_wrlock");
    if (counting)
        ++lockCount;
    return real (lock);
}
#endif

namespace corvane::test
{

ScopedLockCounter::ScopedLockCounter() noexcept : startCount (lockCount), wasCounting (counting) { counting = true; }
ScopedLockCounter::~ScopedLockCounter() { counting = wasCounting; }
std::size_t ScopedLockCounter::locks() const noexcept { return lockCount - startCount; }

bool ScopedLockCounter::available() noexcept
{
#ifdef CORVANE_THREAD_SANITIZER
    return false;
#else
    return true;
#endif
}

} // namespace corvane::test
