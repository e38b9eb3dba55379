// The recursive lock over a Win32 critical section.
#include <windows.h>

#include <new>

#include "common/CCriticalSection.h"

namespace common {

namespace {
inline CRITICAL_SECTION* Section(unsigned char* storage) {
    return reinterpret_cast<CRITICAL_SECTION*>(storage);
}
} // namespace

CCriticalSection::CCriticalSection() {
    static_assert(sizeof(CRITICAL_SECTION) <= kStorageSize, "lock storage too small");
    static_assert(alignof(CRITICAL_SECTION) <= 8, "lock storage misaligned");
    InitializeCriticalSection(new (m_storage) CRITICAL_SECTION);
}

CCriticalSection::~CCriticalSection() {
    DeleteCriticalSection(Section(m_storage));
}

void CCriticalSection::Enter() {
    EnterCriticalSection(Section(m_storage));
    m_count.store(m_count.load(std::memory_order_relaxed) + 1, std::memory_order_relaxed);
}

void CCriticalSection::Leave() {
    const int32_t count = m_count.load(std::memory_order_relaxed);
    if (count == 0)
        return;
    m_count.store(count - 1, std::memory_order_relaxed);
    LeaveCriticalSection(Section(m_storage));
}

} // namespace common
