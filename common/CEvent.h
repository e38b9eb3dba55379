#pragma once
// A manual-reset event: once set it stays set, releasing every waiter, until it
// is reset. The host's own event on Win32; a mutex, a condition variable and a
// flag elsewhere.
#include <cstdint>

namespace common {

class CEvent {
public:
    explicit CEvent(bool initiallySet = false);
    // No thread may still wait on the event.
    ~CEvent();
    CEvent(const CEvent&) = delete;
    CEvent& operator=(const CEvent&) = delete;

    // False when the host could not create the event; every other call then fails.
    bool IsValid() const { return m_handle != nullptr; }
    bool Set();
    bool Reset();
    // Waits until the event is set, at most timeoutMs milliseconds (negative: no
    // limit; 0: only looks). True when it is set; false on time-out or failure.
    bool Wait(int32_t timeoutMs = -1);

private:
    void* m_handle; // owned: the Win32 event handle, or the host's mutex-condition-flag record
};

} // namespace common
