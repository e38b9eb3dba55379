#include "gui/windows/CPanel.h"

#include "gui/windows/CPainter.h"

namespace gui {
namespace Windows {

CPanel::CPanel(int32_t x, int32_t y, int32_t width, int32_t height, int32_t alignment, int32_t borderStyle,
               bool visible)
    : gui::CPanel(borderStyle), CControlContainer(x, y, width, height, alignment, visible) {}

CPanel::CPanel(const gui::CRect& rect, int32_t alignment, int32_t borderStyle, bool visible, int32_t unit)
    : gui::CPanel(borderStyle),
      CControlContainer(rect.m_left, rect.m_top, rect.m_right, rect.m_bottom, alignment, visible, unit) {}

CPanel::~CPanel() {
    m_destroying = true;
}

void CPanel::SetBorderStyle(int32_t style) {
    if (style == m_borderStyle)
        return;
    m_borderStyle = style;
    Layout();
    Invalidate(0, 0, -1, -1);
}

void CPanel::SetBorderSides(bool left, bool top, bool right, bool bottom) {
    if (left == m_left && top == m_top && right == m_right && bottom == m_bottom)
        return;
    gui::CPanel::SetBorderSides(left, top, right, bottom);
    Layout();
    Invalidate(0, 0, -1, -1);
}

bool CPanel::Create() {
    if (IsCreated())
        return true;
    CWidget* parent = dynamic_cast<CWidget*>(GetParent());
    if (parent == nullptr || !parent->IsCreated() || parent->GetWindowHandle() == nullptr ||
        parent->GetInstance() == nullptr)
        return false;
    m_window = CreateWindowExW(0, L"STATIC", nullptr, WS_CHILD | WS_CLIPSIBLINGS | SS_NOTIFY | SS_OWNERDRAW, m_x, m_y,
                               m_width, m_height, parent->GetWindowHandle(), nullptr, parent->GetInstance(), nullptr);
    return CControlContainer::Create();
}

bool CPanel::GetClientRect(int32_t* x, int32_t* y, int32_t* width, int32_t* height) const {
    int32_t cx = 0;
    int32_t cy = 0;
    int32_t cw = 0;
    int32_t ch = 0;
    const bool result = CControlContainer::GetClientRect(&cx, &cy, &cw, &ch);
    if (m_borderStyle != kBorderNone) {
        const int32_t x0 = cx;
        const int32_t y0 = cy;
        if (m_left) {
            cx += 2;
            cw -= 2;
        }
        if (m_right)
            cw -= 2;
        if (m_top) {
            cy += 2;
            ch -= 2;
        }
        if (m_bottom)
            ch -= 2;
        if (cw < 0) {
            cw = 0;
            cx = x0;
        }
        if (ch < 0) {
            ch = 0;
            cy = y0;
        }
    }
    if (x != nullptr)
        *x = cx;
    if (y != nullptr)
        *y = cy;
    if (width != nullptr)
        *width = cw;
    if (height != nullptr)
        *height = ch;
    return result;
}

LRESULT CPanel::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_ERASEBKGND)
        return 1;
    return CControlContainer::HandleMessage(message, wParam, lParam);
}

UINT CPanel::EdgeOf(int32_t style) {
    switch (style) {
    case kBorderRaised:
        return EDGE_RAISED;
    case kBorderSunken:
        return EDGE_SUNKEN;
    case kBorderEtched:
        return EDGE_ETCHED;
    case kBorderBump:
        return EDGE_BUMP;
    default:
        return 0;
    }
}

bool CPanel::Paint(gui::CPainter* painter, const gui::CRect& widgetRect, const gui::CRect& updateRect,
                   gui::CRect* measure) {
    if (measure != nullptr || m_painting || m_destroying)
        return false;
    m_painting = true;
    CPainter* gdi = dynamic_cast<CPainter*>(painter);
    HDC dc = gdi != nullptr ? gdi->GetDeviceContext() : nullptr;
    if (dc == nullptr) {
        m_painting = false;
        return false;
    }
    HRGN clip = CreateRectRgn(updateRect.m_left, updateRect.m_top, updateRect.m_right + 1, updateRect.m_bottom + 1);
    SelectClipRgn(dc, clip);
    RECT rect = {widgetRect.m_left, widgetRect.m_top, widgetRect.m_right + 1, widgetRect.m_bottom + 1};
    HBRUSH face = GetSysColorBrush(COLOR_BTNFACE);
    HGDIOBJ previous = SelectObject(dc, face);
    ::FillRect(dc, &rect, face);
    SelectObject(dc, previous);
    const UINT edge = EdgeOf(m_borderStyle);
    if (edge != 0) {
        const UINT sides =
            (m_left ? BF_LEFT : 0u) | (m_top ? BF_TOP : 0u) | (m_right ? BF_RIGHT : 0u) | (m_bottom ? BF_BOTTOM : 0u);
        DrawEdge(dc, &rect, edge, sides);
    }
    SelectClipRgn(dc, nullptr);
    if (clip != nullptr)
        DeleteObject(clip);
    m_painting = false;
    return true;
}

} // namespace Windows
} // namespace gui
