#pragma once
// Holds a CCriticalSection for the length of a scope: enters it on construction
// and leaves it on destruction. A null lock makes the holder do nothing.
#include "common/CCriticalSection.h"

namespace common {

class CScopedLock {
public:
    explicit CScopedLock(CCriticalSection* lock);
    ~CScopedLock();
    CScopedLock(const CScopedLock&) = delete;
    CScopedLock& operator=(const CScopedLock&) = delete;

private:
    CCriticalSection* m_lock; // not owned
};

} // namespace common
