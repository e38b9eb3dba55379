#include "gui/windows/CWidget.h"

#include "common/KeyCodes.h"
#include "gui/CFrameWindowInterface.h"
#include "gui/CRect.h"
#include "gui/Units.h"
#include "gui/windows/CCursor.h"
#include "gui/windows/CFrameWindow.h"
#include "gui/windows/CPainter.h"

namespace gui {
namespace Windows {

namespace {

constexpr uint32_t kExtendedKey = 0x10000;
constexpr LPARAM kExtendedKeyBit = 1 << 24;
constexpr LPARAM kRightShiftScanCode = 0x36;

KeyStateReader& KeyReader() {
    static KeyStateReader s_reader = nullptr;
    return s_reader;
}

// The key as it stood when the message being handled was sent, not as it is
// now: a busy thread handles a Shift release after the next Shift press, and
// the state of now would swallow that release.
bool IsKeyPressed(int virtualKey) {
    KeyStateReader reader = KeyReader();
    const SHORT state = reader != nullptr ? reader(virtualKey) : GetKeyState(virtualKey);
    return (state & 0x8000) != 0;
}

int32_t MouseCode(UINT message) {
    switch (message) {
    case WM_LBUTTONDBLCLK:
        return CWidgetInterface::kMouseLeftDoubleClick;
    case WM_LBUTTONDOWN:
        return CWidgetInterface::kMouseLeftDown;
    case WM_LBUTTONUP:
        return CWidgetInterface::kMouseLeftUp;
    case WM_RBUTTONDBLCLK:
        return CWidgetInterface::kMouseRightDoubleClick;
    case WM_RBUTTONDOWN:
        return CWidgetInterface::kMouseRightDown;
    case WM_RBUTTONUP:
        return CWidgetInterface::kMouseRightUp;
    case WM_MOUSEMOVE:
        return CWidgetInterface::kMouseMove;
    case WM_MBUTTONDBLCLK:
        return CWidgetInterface::kMouseMiddleDoubleClick;
    case WM_MBUTTONDOWN:
        return CWidgetInterface::kMouseMiddleDown;
    case WM_MBUTTONUP:
        return CWidgetInterface::kMouseMiddleUp;
    default:
        return -1;
    }
}

} // namespace

void SetKeyStateReader(KeyStateReader reader) {
    KeyReader() = reader;
}

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    CWidget* widget = CWidget::FromWindow(window);
    if (widget != nullptr)
        return widget->HandleMessage(message, wParam, lParam);
    return CallWindowProcW(DefWindowProcW, window, message, wParam, lParam);
}

CWidget* CWidget::FromWindow(HWND window) {
    if (window == nullptr)
        return nullptr;
    CWidget* widget = reinterpret_cast<CWidget*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (widget == nullptr || widget->m_window != window)
        return nullptr;
    return widget;
}

CWidget::~CWidget() {
    BeginTeardown();
    delete m_cursor;
    m_cursor = nullptr;
}

void CWidget::BeginTeardown() {
    SetEventsDisabled(true);
    DetachWindow();
}

void CWidget::DetachWindow() {
    if (m_window == nullptr)
        return;
    if (IsWindow(m_window)) {
        if (FromWindow(m_window) == this)
            SetWindowLongPtrW(m_window, GWLP_USERDATA, 0);
        // A subclassed control gets its own procedure back, so that what is left
        // of its life (WM_NCDESTROY) reaches it.
        if (m_previousProc != nullptr && m_previousProc != DefWindowProcW &&
            reinterpret_cast<WNDPROC>(GetWindowLongPtrW(m_window, GWLP_WNDPROC)) == WindowProc)
            SetWindowLongPtrW(m_window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_previousProc));
    }
    m_window = nullptr;
}

// ---- Life cycle ------------------------------------------------------------------

bool CWidget::Create() {
    if (IsCreated())
        return true;
    if (m_window == nullptr) {
        Destroy();
        return false;
    }
    const LONG_PTR self = reinterpret_cast<LONG_PTR>(this);
    SetWindowLongPtrW(m_window, GWLP_USERDATA, self);
    if (GetWindowLongPtrW(m_window, GWLP_USERDATA) != self) {
        Destroy();
        return false;
    }
    if (m_previousProc == nullptr) {
        const WNDPROC current = reinterpret_cast<WNDPROC>(GetWindowLongPtrW(m_window, GWLP_WNDPROC));
        if (current == WindowProc)
            m_previousProc = DefWindowProcW;
        else
            m_previousProc = reinterpret_cast<WNDPROC>(
                SetWindowLongPtrW(m_window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(WindowProc)));
    }
    m_destroyed = false;
    return gui::CWidget::Create();
}

void CWidget::Destroy() {
    if (m_window != nullptr && !m_detached && IsWindow(m_window)) {
        // Its WM_DESTROY comes back here with the detached flag set.
        if (DestroyWindow(m_window))
            return;
    }
    DetachWindow();
    m_detached = false;
    m_previousProc = nullptr;
    delete m_cursor;
    m_cursor = nullptr;
    gui::CWidget::Destroy();
    m_destroyed = true;
}

// ---- Geometry --------------------------------------------------------------------

bool CWidget::ReadWindowRect(int32_t* x, int32_t* y, int32_t* width, int32_t* height) const {
    RECT rect;
    if (m_window == nullptr || !GetWindowRect(m_window, &rect))
        return false;
    *x = rect.left;
    *y = rect.top;
    *width = rect.right - rect.left;
    *height = rect.bottom - rect.top;
    return true;
}

void CWidget::PlaceWindow(int32_t x, int32_t y, int32_t width, int32_t height) {
    MoveWindow(m_window, x, y, width, height, TRUE);
}

bool CWidget::SetRect(int32_t x, int32_t y, int32_t width, int32_t height, int32_t unit) {
    UnitsToPixels(&x, &y, unit);
    UnitsToPixels(&width, &height, unit);
    int32_t oldX = 0;
    int32_t oldY = 0;
    int32_t oldWidth = 0;
    int32_t oldHeight = 0;
    GetRect(&oldX, &oldY, &oldWidth, &oldHeight);
    // The portable step stores and limits the rectangle; the move and size
    // reports come once, below, after the window has followed. The stored
    // rectangle is read back even when nothing changed: a negative size given
    // to keep a size must not reach the window.
    SetRectPixels(x, y, width, height, false);
    GetRect(&x, &y, &width, &height);
    if (IsWindowless()) {
        if (x != oldX || y != oldY || width != oldWidth || height != oldHeight)
            InvalidateAll();
    } else if (m_window != nullptr) {
        int32_t windowX = 0;
        int32_t windowY = 0;
        int32_t windowWidth = 0;
        int32_t windowHeight = 0;
        if (ReadWindowRect(&windowX, &windowY, &windowWidth, &windowHeight) &&
            (windowX != x || windowY != y || windowWidth != width || windowHeight != height)) {
            m_moving = true;
            PlaceWindow(x, y, width, height);
            m_moving = false;
            SyncFromWindow(true, true, false);
            GetRect(&x, &y, &width, &height);
        }
    }
    if (x != oldX || y != oldY)
        OnMove();
    if (width != oldWidth || height != oldHeight)
        OnSize();
    return true;
}

bool CWidget::SyncFromWindow(bool position, bool size, bool visibility) {
    if (m_window == nullptr || !IsWindow(m_window))
        return false;
    if (!position && !size && !visibility)
        return false;
    int32_t x = 0;
    int32_t y = 0;
    int32_t width = 0;
    int32_t height = 0;
    GetRect(&x, &y, &width, &height);
    bool visible = m_visible;
    if (visibility)
        visible = (GetWindowLongW(m_window, GWL_STYLE) & WS_VISIBLE) != 0;
    if (position || size) {
        int32_t windowX = 0;
        int32_t windowY = 0;
        int32_t windowWidth = 0;
        int32_t windowHeight = 0;
        if (ReadWindowRect(&windowX, &windowY, &windowWidth, &windowHeight)) {
            x = windowX;
            y = windowY;
            width = windowWidth;
            height = windowHeight;
        }
    }
    return StorePlacement(x, y, width, height, visible);
}

bool CWidget::GetClientRect(int32_t* x, int32_t* y, int32_t* width, int32_t* height) const {
    if (m_window != nullptr) {
        RECT rect;
        if (!::GetClientRect(m_window, &rect))
            return false;
        *x = rect.left;
        *y = rect.top;
        *width = rect.right - rect.left;
        *height = rect.bottom - rect.top;
        return true;
    }
    if (!IsWindowless())
        return false;
    GetRect(x, y, width, height);
    *x = 0;
    *y = 0;
    return true;
}

void CWidget::SetVisible(bool visible) {
    if (IsVisible(false) == visible)
        return;
    gui::CWidget::SetVisible(visible);
    if (!IsCreated() || m_window == nullptr)
        return;
    if (visible) {
        ShowWindow(m_window, SW_SHOW);
        UpdateWindow(m_window);
    } else {
        ShowWindow(m_window, SW_HIDE);
    }
}

// ---- Painting, cursor, colours ------------------------------------------------------

gui::CPainter* CWidget::GetPainter(int32_t* originX, int32_t* originY) {
    gui::CPainter* painter = gui::CWidget::GetPainter(originX, originY);
    if (painter != nullptr && m_window != nullptr) {
        CPainter* windowsPainter = dynamic_cast<CPainter*>(painter);
        if (windowsPainter != nullptr && !windowsPainter->IsPainting())
            windowsPainter->SetWindow(m_window);
    }
    return painter;
}

bool CWidget::Paint(gui::CPainter*, const gui::CRect&, const gui::CRect&, gui::CRect*) {
    return true;
}

void CWidget::Invalidate(int32_t x, int32_t y, int32_t width, int32_t height) {
    if (m_window != nullptr) {
        RedrawWindow(m_window, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
        return;
    }
    // A windowless widget is drawn by its parent's window.
    if (IsWindowless()) {
        if (CWidgetInterface* parent = GetParent())
            parent->Invalidate(x, y, width, height);
    }
}

bool CWidget::Close() {
    if (m_window == nullptr)
        return false;
    SendMessageW(m_window, WM_CLOSE, 0, 0);
    return true;
}

gui::CCursor* CWidget::GetCursor() {
    if (m_cursor == nullptr)
        m_cursor = new CCursor(&CWidget::ApplyCursor, this);
    return m_cursor;
}

void CWidget::ApplyCursor(void* user, CCursor* cursor, bool before) {
    CWidget* widget = static_cast<CWidget*>(user);
    if (widget == nullptr || cursor == nullptr || widget->m_window == nullptr || IsIconic(widget->m_window))
        return;
    POINT point;
    RECT client;
    if (!GetCursorPos(&point) || !ScreenToClient(widget->m_window, &point) ||
        !::GetClientRect(widget->m_window, &client))
        return;
    if (point.x < client.left || point.x >= client.right || point.y < client.top || point.y >= client.bottom)
        return;
    if (before)
        SetCursor(LoadCursorW(nullptr, IDC_ARROW));
    else if (cursor->GetHandle() != nullptr)
        SetCursor(cursor->GetHandle());
}

HINSTANCE CWidget::GetInstance() {
    return nullptr;
}

gui::CColor CWidget::GetSystemColor(int32_t index) {
    CFrameWindow* frame = dynamic_cast<CFrameWindow*>(GetFrameWindow());
    if (frame != nullptr)
        return frame->GetSystemColor(index);
    return gui::CColor::FromArgb(gui::CColor::kOpaqueBlack);
}

bool CWidget::SetCursorPosition(int32_t* x, int32_t* y) {
    RECT rect;
    if (m_window == nullptr || x == nullptr || y == nullptr || !GetWindowRect(m_window, &rect))
        return false;
    const POINT screen = {(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
    POINT centre = screen;
    if (!ScreenToClient(m_window, &centre))
        return false;
    *x -= centre.x;
    *y -= centre.y;
    if (*x == 0 && *y == 0)
        return true;
    return SetCursorPos(screen.x, screen.y) != FALSE;
}

bool CWidget::OnNotify(NMHDR*, LRESULT*) {
    return false;
}

// ---- Messages --------------------------------------------------------------------

LRESULT CWidget::DefaultHandling(UINT message, WPARAM wParam, LPARAM lParam) {
    if (m_previousProc == nullptr)
        return 0;
    return CallWindowProcW(m_previousProc, m_window, message, wParam, lParam);
}

bool CWidget::HandleKey(WPARAM wParam, LPARAM lParam, bool down) {
    const uint32_t virtualKey = LOWORD(wParam);
    if (virtualKey != VK_SHIFT && virtualKey != VK_CONTROL && virtualKey != VK_MENU) {
        const uint32_t keyData = virtualKey | ((lParam & kExtendedKeyBit) != 0 ? kExtendedKey : 0);
        const int32_t code = common::TranslateVirtualKey(keyData);
        if (code <= 0)
            return false;
        return OnKey(code, down);
    }
    // Modifiers are reported per side, from the state of the left and right keys.
    int leftKey = VK_LSHIFT;
    int rightKey = VK_RSHIFT;
    if (virtualKey == VK_CONTROL) {
        leftKey = VK_LCONTROL;
        rightKey = VK_RCONTROL;
    } else if (virtualKey == VK_MENU) {
        leftKey = VK_LMENU;
        rightKey = VK_RMENU;
    }
    const int32_t leftCode = common::TranslateVirtualKey(virtualKey);
    const int32_t rightCode = common::TranslateVirtualKey(virtualKey | kExtendedKey);
    bool leftPressed = IsKeyPressed(leftKey);
    bool rightPressed = IsKeyPressed(rightKey);
    if (down && !leftPressed && !rightPressed) {
        // A posted key message, never typed, leaves the key state as it was:
        // the message itself names the side, so the press still counts. Right
        // Shift has its own scan code, right Ctrl and Alt the extended bit.
        const bool right =
            virtualKey == VK_SHIFT ? ((lParam >> 16) & 0xFF) == kRightShiftScanCode : (lParam & kExtendedKeyBit) != 0;
        leftPressed = !right;
        rightPressed = right;
    }
    // A side that does not apply is reported as -1, which receivers take as no key.
    const int32_t left = (down ? leftPressed : !leftPressed) ? leftCode : -1;
    const bool rightApplies = down ? rightPressed : !rightPressed;
    if (!rightApplies || rightCode <= 0) {
        if (left > 0)
            return OnKey(left, down);
        return false;
    }
    const bool leftTaken = OnKey(left, down);
    const bool rightTaken = OnKey(rightCode, down);
    return leftTaken && rightTaken;
}

LRESULT CWidget::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
        if (HandleKey(wParam, lParam, true))
            return 0;
        break;
    case WM_KEYUP:
    case WM_SYSKEYUP:
        if (HandleKey(wParam, lParam, false))
            return 0;
        break;
    case WM_LBUTTONDBLCLK:
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_RBUTTONDBLCLK:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
    case WM_MOUSEMOVE:
    case WM_MBUTTONDBLCLK:
    case WM_MBUTTONDOWN:
    case WM_MBUTTONUP: {
        const int32_t x = static_cast<int16_t>(LOWORD(lParam));
        const int32_t y = static_cast<int16_t>(HIWORD(lParam));
        if (OnMouse(x, y, MouseCode(message)))
            return 0;
        break;
    }
    case WM_MOVE:
    case WM_SIZE:
        if (!m_moving) {
            int32_t x = 0;
            int32_t y = 0;
            int32_t width = 0;
            int32_t height = 0;
            if (ReadWindowRect(&x, &y, &width, &height))
                SetRect(x, y, width, height, kUnitPixels);
        }
        break;
    case WM_PAINT: {
        if (IsRedrawLocked(true))
            return 0;
        const LRESULT result = DefaultHandling(message, wParam, lParam);
        Repaint(0, 0, -1, -1, nullptr);
        return result;
    }
    case WM_SETCURSOR:
        if (m_cursor != nullptr && m_cursor->GetHandle() != nullptr && m_window != nullptr && !IsIconic(m_window)) {
            SetCursor(m_cursor->GetHandle());
            return TRUE;
        }
        break;
    case WM_GETMINMAXINFO: {
        MINMAXINFO* info = reinterpret_cast<MINMAXINFO*>(lParam);
        if (info == nullptr)
            break;
        int32_t minWidth = 0;
        int32_t minHeight = 0;
        int32_t maxWidth = 0;
        int32_t maxHeight = 0;
        GetSizeLimits(&minWidth, &minHeight, &maxWidth, &maxHeight);
        if (minWidth > 0 && minWidth > info->ptMinTrackSize.x)
            info->ptMinTrackSize.x = minWidth;
        if (minHeight > 0 && minHeight > info->ptMinTrackSize.y)
            info->ptMinTrackSize.y = minHeight;
        if (maxWidth > 0 && maxWidth > info->ptMaxTrackSize.x)
            info->ptMaxTrackSize.x = maxWidth;
        if (maxHeight > 0 && maxHeight > info->ptMaxTrackSize.y)
            info->ptMaxTrackSize.y = maxHeight;
        return 0;
    }
    case WM_NOTIFY: {
        NMHDR* header = reinterpret_cast<NMHDR*>(lParam);
        if (header == nullptr || header->hwndFrom == nullptr)
            break;
        CWidget* source = FromWindow(header->hwndFrom);
        LRESULT result = 0;
        if (source != nullptr && source->OnNotify(header, &result))
            return result;
        break;
    }
    case WM_DESTROY:
        m_detached = true;
        Destroy();
        return 0;
    default:
        break;
    }
    return DefaultHandling(message, wParam, lParam);
}

} // namespace Windows
} // namespace gui
