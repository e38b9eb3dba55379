#include "gui/windows/CControl.h"

#include <commctrl.h>

#include "gui/CContainerInterface.h"
#include "gui/Units.h"

namespace gui {
namespace Windows {

namespace {

// The tooltip class lives in the common controls, which register it once loaded.
void LoadCommonControls() {
    static bool s_loaded = false;
    if (s_loaded)
        return;
    INITCOMMONCONTROLSEX init = {};
    init.dwSize = sizeof(init);
    init.dwICC = ICC_WIN95_CLASSES;
    s_loaded = InitCommonControlsEx(&init) != FALSE;
}

} // namespace

CControl::CControl(int32_t x, int32_t y, int32_t width, int32_t height, int32_t alignment, bool visible, int32_t unit) {
    UnitsToPixels(&x, &y, unit);
    UnitsToPixels(&width, &height, unit);
    SetConstructionRect(x, y, width, height);
    m_alignment = alignment;
    m_visible = visible;
    SetRect(x, y, width, height, kUnitPixels);
}

CControl::~CControl() {
    BeginTeardown();
}

bool CControl::GetParentFrame(HWND* window, int32_t* originX, int32_t* originY) const {
    CWidget* parent = dynamic_cast<CWidget*>(m_parent);
    HWND parentWindow = parent != nullptr ? parent->GetWindowHandle() : nullptr;
    if (parentWindow == nullptr && m_window != nullptr)
        parentWindow = ::GetParent(m_window);
    if (parentWindow == nullptr)
        return false;
    int32_t x = 0;
    int32_t y = 0;
    int32_t width = 0;
    int32_t height = 0;
    if (m_parent == nullptr || !m_parent->GetClientRect(&x, &y, &width, &height)) {
        x = 0;
        y = 0;
    }
    *window = parentWindow;
    *originX = x;
    *originY = y;
    return true;
}

bool CControl::ReadWindowRect(int32_t* x, int32_t* y, int32_t* width, int32_t* height) const {
    RECT rect;
    if (m_window == nullptr || !GetWindowRect(m_window, &rect))
        return false;
    HWND parentWindow = nullptr;
    int32_t originX = 0;
    int32_t originY = 0;
    POINT topLeft = {rect.left, rect.top};
    if (GetParentFrame(&parentWindow, &originX, &originY) && !ScreenToClient(parentWindow, &topLeft))
        return false;
    *x = topLeft.x - originX;
    *y = topLeft.y - originY;
    *width = rect.right - rect.left;
    *height = rect.bottom - rect.top;
    return true;
}

void CControl::PlaceWindow(int32_t x, int32_t y, int32_t width, int32_t height) {
    HWND parentWindow = nullptr;
    int32_t originX = 0;
    int32_t originY = 0;
    if (!GetParentFrame(&parentWindow, &originX, &originY)) {
        originX = 0;
        originY = 0;
    }
    MoveWindow(m_window, x + originX, y + originY, width, height, TRUE);
}

bool CControl::Create() {
    if (IsCreated())
        return true;
    CWidgetInterface* parent = GetParent();
    if (parent == nullptr || !parent->IsCreated()) {
        Destroy();
        return false;
    }
    if (m_windowless) {
        m_destroyed = false;
        return gui::CWidget::Create();
    }
    UpdateTooltip();
    return CWidget::Create();
}

void CControl::Destroy() {
    if (m_tooltip != nullptr) {
        DestroyWindow(m_tooltip);
        m_tooltip = nullptr;
    }
    CWidget::Destroy();
}

void CControl::SetVisible(bool visible) {
    if (IsVisible(false) == visible)
        return;
    gui::CWidget::SetVisible(visible);
    if (IsCreated() && m_window != nullptr) {
        if (visible) {
            ShowWindow(m_window, SW_SHOW);
            UpdateWindow(m_window);
        } else {
            ShowWindow(m_window, SW_HIDE);
        }
    }
    if (m_parent != nullptr && m_alignment != 0)
        m_parent->Layout();
    if (m_windowless && m_priorityGroup == 0)
        InvalidateAll();
}

void CControl::OnMove() {
    gui::CWidget::OnMove();
    if (m_parent != nullptr && m_alignment != 0)
        m_parent->Layout();
}

void CControl::OnSize() {
    gui::CWidget::OnSize();
    if (m_parent != nullptr && m_alignment != 0)
        m_parent->Layout();
}

void CControl::SetEnabled(bool enabled) {
    gui::CControl::SetEnabled(enabled);
    if (m_window != nullptr)
        EnableWindow(m_window, enabled ? TRUE : FALSE);
}

void CControl::SetTooltipText(const common::CWideString& text) {
    if (text.CompareWideString(m_tooltipText) == 0)
        return;
    m_tooltipText = text;
    UpdateTooltip();
}

void CControl::Refresh() {
    InvalidateAll();
}

HINSTANCE CControl::GetInstance() {
    CWidget* parent = dynamic_cast<CWidget*>(m_parent);
    return parent != nullptr ? parent->GetInstance() : nullptr;
}

void CControl::UpdateTooltip() {
    if (m_window == nullptr)
        return;
    if (m_tooltipText.IsEmpty() && m_tooltip == nullptr)
        return;
    if (m_tooltip == nullptr) {
        LoadCommonControls();
        m_tooltip =
            CreateWindowExW(0, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP, CW_USEDEFAULT,
                            CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, m_window, nullptr, GetInstance(), nullptr);
        if (m_tooltip == nullptr)
            return;
        SetWindowPos(m_tooltip, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE);
    }
    TOOLINFOW tool = {};
    tool.cbSize = TTTOOLINFOW_V2_SIZE;
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.uId = reinterpret_cast<UINT_PTR>(m_window);
    tool.lpszText = const_cast<LPWSTR>(reinterpret_cast<LPCWSTR>(m_tooltipText.GetWide()));
    // The old text goes first, so that a change does not leave two tools behind.
    SendMessageW(m_tooltip, TTM_DELTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
    if (!m_tooltipText.IsEmpty())
        SendMessageW(m_tooltip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
}

} // namespace Windows
} // namespace gui
