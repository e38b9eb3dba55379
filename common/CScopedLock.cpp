#include "common/CScopedLock.h"

namespace common {

CScopedLock::CScopedLock(CCriticalSection* lock) : m_lock(lock) {
    if (m_lock != nullptr)
        m_lock->Enter();
}

CScopedLock::~CScopedLock() {
    if (m_lock != nullptr)
        m_lock->Leave();
}

} // namespace common
