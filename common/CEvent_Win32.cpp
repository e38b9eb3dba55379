// The manual-reset event over a Win32 event.
#include <windows.h>

#include "common/CEvent.h"

namespace common {

CEvent::CEvent(bool initiallySet) : m_handle(CreateEventW(nullptr, TRUE, initiallySet ? TRUE : FALSE, nullptr)) {}

CEvent::~CEvent() {
    if (m_handle != nullptr)
        CloseHandle(m_handle);
}

bool CEvent::Set() {
    return m_handle != nullptr && SetEvent(m_handle) != FALSE;
}

bool CEvent::Reset() {
    return m_handle != nullptr && ResetEvent(m_handle) != FALSE;
}

bool CEvent::Wait(int32_t timeoutMs) {
    if (m_handle == nullptr)
        return false;
    const DWORD limit = timeoutMs < 0 ? INFINITE : static_cast<DWORD>(timeoutMs);
    return WaitForSingleObject(m_handle, limit) == WAIT_OBJECT_0;
}

} // namespace common
