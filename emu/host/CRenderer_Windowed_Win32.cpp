// The windowed renderer layer over a Win32 window.
#include <windows.h>

#include "common/CScopedLock.h"
#include "emu/host/CRenderer_Windowed.h"

namespace emu {

namespace {
inline HWND AsWindow(CRenderer::WindowHandle window) {
    return static_cast<HWND>(window);
}
} // namespace

CRenderer_Windowed::CRenderer_Windowed() = default;

CRenderer_Windowed::~CRenderer_Windowed() = default;

bool CRenderer_Windowed::IsWindowAlive() const {
    return m_window != nullptr && IsWindow(AsWindow(m_window)) != FALSE;
}

bool CRenderer_Windowed::ReadClientRect(CRect* rect) const {
    RECT client;
    if (m_window == nullptr || ::GetClientRect(AsWindow(m_window), &client) == FALSE)
        return false;
    rect->left = client.left;
    rect->top = client.top;
    rect->right = client.right;
    rect->bottom = client.bottom;
    return true;
}

bool CRenderer_Windowed::GetClientRect(int32_t* left, int32_t* top, int32_t* right, int32_t* bottom) {
    CRect rect;
    if (!ReadClientRect(&rect))
        return false;
    *left = rect.left;
    *top = rect.top;
    *right = rect.right;
    *bottom = rect.bottom;
    return true;
}

bool CRenderer_Windowed::MapPoint(int32_t x, int32_t y, double* fx, double* fy) {
    *fx = x * m_scaleX;
    *fy = y * m_scaleY;
    return true;
}

bool CRenderer_Windowed::SetWindow(WindowHandle window) {
    if (window != nullptr && window == m_window)
        return true;
    common::CScopedLock present(GetPresentLock());
    common::CScopedLock frame(GetFrameLock());
    if (window != nullptr && window == m_window)
        return true;
    if (m_destroying)
        return false;
    m_scaleX = 1.0;
    m_scaleY = 1.0;
    Close();
    m_window = nullptr;
    m_clientRect = CRect();
    if (window == nullptr)
        return true;
    m_window = window;
    if (!IsWindowAlive() || !ReadClientRect(&m_clientRect)) {
        m_window = nullptr;
        m_clientRect = CRect();
        return false;
    }
    bool result = Open();
    if (result)
        result = AllocateBuffers(true, false);
    m_backgroundInvalid = true;
    return result;
}

bool CRenderer_Windowed::SetSize(int32_t width, int32_t height, bool clientSized) {
    if (IsSize(width, height) && clientSized == m_clientSized)
        return true;
    if (width < 0 || height < 0 || m_window == nullptr)
        return false;
    common::CScopedLock present(GetPresentLock());
    common::CScopedLock frame(GetFrameLock());
    if (m_destroying)
        return false;
    m_frameDirty = true;
    m_width = width;
    m_height = height;
    m_clientSized = clientSized;
    const bool result = AllocateBuffers(false, true);
    CRenderer::SetSize(width, height, clientSized);
    NotifyReset();
    return result;
}

bool CRenderer_Windowed::Present(bool force) {
    common::CCriticalSection* presentLock = GetPresentLock();
    common::CCriticalSection* frameLock = GetFrameLock();
    presentLock->Enter();
    if (m_destroying) {
        presentLock->Leave();
        return false;
    }
    frameLock->Enter();
    if (!CRenderer::RequestPresent(force)) {
        frameLock->Leave();
        presentLock->Leave();
        return false;
    }
    if (!IsWindowAlive()) {
        // The window went behind the renderer's back: detach.
        frameLock->Leave();
        Close();
        m_window = nullptr;
        presentLock->Leave();
        return false;
    }
    if (!AllocateBuffers(true, false)) {
        m_frameDirty = true;
        frameLock->Leave();
        presentLock->Leave();
        return false;
    }
    frameLock->Leave();
    const bool drawn = Draw();
    if (!drawn) {
        common::CScopedLock frame(frameLock);
        m_frameDirty = true; // drawn again at the next present
    }
    presentLock->Leave();
    return drawn;
}

} // namespace emu
