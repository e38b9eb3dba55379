// The recursive lock over a recursive POSIX mutex.
#include "common/CCriticalSection.h"

#include <pthread.h>

#include <new>

namespace common {

namespace {
inline pthread_mutex_t* Mutex(unsigned char* storage) {
    return reinterpret_cast<pthread_mutex_t*>(storage);
}
} // namespace

CCriticalSection::CCriticalSection() {
    static_assert(sizeof(pthread_mutex_t) <= kStorageSize, "lock storage too small");
    static_assert(alignof(pthread_mutex_t) <= 8, "lock storage misaligned");
    pthread_mutexattr_t attributes;
    pthread_mutexattr_init(&attributes);
    pthread_mutexattr_settype(&attributes, PTHREAD_MUTEX_RECURSIVE);
    pthread_mutex_init(new (m_storage) pthread_mutex_t, &attributes);
    pthread_mutexattr_destroy(&attributes);
}

CCriticalSection::~CCriticalSection() {
    pthread_mutex_destroy(Mutex(m_storage));
}

void CCriticalSection::Enter() {
    pthread_mutex_lock(Mutex(m_storage));
    m_count.store(m_count.load(std::memory_order_relaxed) + 1, std::memory_order_relaxed);
}

void CCriticalSection::Leave() {
    const int32_t count = m_count.load(std::memory_order_relaxed);
    if (count == 0)
        return;
    m_count.store(count - 1, std::memory_order_relaxed);
    pthread_mutex_unlock(Mutex(m_storage));
}

} // namespace common
