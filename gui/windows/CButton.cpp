#include "gui/windows/CButton.h"

#include "common/CImage.h"
#include "gui/CDialogInterface.h"
#include "gui/CFont.h"
#include "gui/CFontInterface.h"
#include "gui/CPenInterface.h"
#include "gui/CWindowInterface.h"

namespace gui {
namespace Windows {

namespace {

gui::CColor SystemColour(int index) {
    const COLORREF colour = GetSysColor(index);
    return gui::CColor::FromArgb(0xFF000000u | (static_cast<uint32_t>(GetRValue(colour)) << 16) |
                                 (static_cast<uint32_t>(GetGValue(colour)) << 8) | GetBValue(colour));
}

void FillWithSysColour(HDC dc, int left, int top, int right, int bottom, int index) {
    RECT rect = {left, top, right, bottom};
    ::FillRect(dc, &rect, GetSysColorBrush(index));
}

} // namespace

CButton::CButton(int32_t x, int32_t y, int32_t width, int32_t height, const common::CWideString& text,
                 int32_t dialogResult, int32_t alignment, bool visible, int32_t unit)
    : gui::CButton(text, dialogResult), CControl(x, y, width, height, alignment, visible, unit) {}

CButton::~CButton() {
    m_destroying = true;
}

void CButton::SetText(const common::CWideString& text) {
    if (text.CompareWideString(m_text) == 0)
        return;
    m_text = text;
    if (m_window != nullptr)
        SetWindowTextW(m_window, reinterpret_cast<LPCWSTR>(m_text.GetWide()));
}

void CButton::SetImage(common::CImage* image) {
    if (image == m_image)
        return;
    gui::CButton::SetImage(image);
    m_mask.Allocate(0, 0);
    if (image == nullptr || image->GetWidth() == 0 || image->GetHeight() == 0)
        return;
    common::ARGB key = 0;
    image->GetPixelARGB(0, 0, key);
    if (!image->ExtractMask(m_mask, key))
        m_mask.Allocate(0, 0);
}

void CButton::SetFlat(bool flat) {
    if (flat == m_flat)
        return;
    m_flat = flat;
    Redraw();
}

void CButton::SetPushed(bool pushed) {
    if (pushed == m_pushed)
        return;
    m_pushed = pushed;
    Redraw();
}

void CButton::SetDialogResult(int32_t code) {
    if (code == m_dialogResult)
        return;
    m_dialogResult = code;
    Invalidate(0, 0, -1, -1);
}

gui::CFontInterface* CButton::GetFont() {
    return m_painter.GetFont();
}

gui::CFont* CButton::GetPaintFont() {
    gui::CFont* own = dynamic_cast<gui::CFont*>(m_painter.GetFont());
    if (own != nullptr && !own->IsDefault())
        return own;
    return gui::CControlInterface::GetPaintFont();
}

void CButton::Redraw() {
    Invalidate(0, 0, -1, -1);
}

void CButton::Click() {
    if (m_clickAction.m_callback != nullptr) {
        m_clickAction.m_callback(this);
        return;
    }
    if (m_dialogResult == kDialogNone)
        return;
    gui::CDialogInterface* dialog = dynamic_cast<gui::CDialogInterface*>(GetWindow());
    if (dialog == nullptr || !dialog->IsDialog())
        return;
    if (m_dialogResult == kDialogOk)
        dialog->EndModal(1);
    else if (m_dialogResult == kDialogCancel)
        dialog->EndModal(2);
    else if (m_dialogResult == kDialogEndCode)
        dialog->EndModal(m_clickAction.m_endCode);
}

bool CButton::Create() {
    if (IsCreated())
        return true;
    CWidget* parent = dynamic_cast<CWidget*>(GetParent());
    if (parent == nullptr || !parent->IsCreated() || parent->GetWindowHandle() == nullptr ||
        parent->GetInstance() == nullptr)
        return false;
    DWORD style = WS_CHILD | WS_CLIPSIBLINGS | WS_TABSTOP | BS_OWNERDRAW;
    if (!IsEnabled(false))
        style |= WS_DISABLED;
    m_window = CreateWindowExW(0, L"BUTTON", nullptr, style, m_x, m_y, m_width, m_height, parent->GetWindowHandle(),
                               nullptr, parent->GetInstance(), nullptr);
    if (m_window != nullptr) {
        SetWindowTextW(m_window, reinterpret_cast<LPCWSTR>(m_text.GetWide()));
        // Fast clicks arrive as single clicks.
        SetClassLongW(m_window, GCL_STYLE, GetClassLongW(m_window, GCL_STYLE) & ~CS_DBLCLKS);
    }
    return CControl::Create();
}

LRESULT CButton::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_KEYDOWN:
        if (wParam == VK_SPACE && GetFocus() == m_window)
            m_pressed = true;
        break;
    case WM_KEYUP:
        if (wParam == VK_SPACE && m_pressed && GetFocus() == m_window) {
            Click();
            m_pressed = false;
        }
        break;
    case WM_LBUTTONDOWN:
        m_pressed = true;
        if (!m_focusable && IsWindowEnabled(m_window)) {
            // Disabled around the default handling so the press takes no focus.
            EnableWindow(m_window, FALSE);
            const LRESULT result = CControl::HandleMessage(message, wParam, lParam);
            EnableWindow(m_window, TRUE);
            return result;
        }
        break;
    case WM_LBUTTONUP:
        if (m_pressed) {
            Click();
            m_pressed = false;
        }
        break;
    case WM_MOUSEMOVE:
        if (m_hover != 1) {
            m_hover = 1;
            TRACKMOUSEEVENT track = {};
            track.cbSize = sizeof(track);
            track.dwFlags = TME_LEAVE;
            track.hwndTrack = m_window;
            if (!TrackMouseEvent(&track))
                m_hover = 0;
            if (m_flat)
                Redraw();
        }
        break;
    case WM_MOUSELEAVE:
        m_hover = -1;
        if (m_flat)
            Redraw();
        break;
    case WM_SETFOCUS:
        if (!m_focusable) {
            SetFocus(reinterpret_cast<HWND>(wParam));
            return 0;
        }
        break;
    case WM_PAINT:
        if (m_previousProc == nullptr)
            return 0;
        return CallWindowProcW(m_previousProc, m_window, message, wParam, lParam);
    case WM_ERASEBKGND:
        return 1;
    case WM_DRAWITEM: {
        const DRAWITEMSTRUCT* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
        if (item != nullptr && item->hwndItem == m_window && item->CtlType == ODT_BUTTON) {
            if (!IsRedrawLocked(true))
                DrawItem(item);
            return 1;
        }
        break;
    }
    default:
        break;
    }
    return CControl::HandleMessage(message, wParam, lParam);
}

bool CButton::Paint(gui::CPainter*, const gui::CRect& widgetRect, const gui::CRect&, gui::CRect* measure) {
    if (measure != nullptr || m_painting || m_destroying || m_window == nullptr)
        return false;
    m_painting = true;
    RECT rect = {widgetRect.m_left, widgetRect.m_top, widgetRect.m_right + 1, widgetRect.m_bottom + 1};
    RedrawWindow(m_window, &rect, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    m_painting = false;
    return true;
}

void CButton::DrawItem(const DRAWITEMSTRUCT* item) {
    CDcPainter painter(m_window, item->hDC);
    if (m_text.GetLength() != 0)
        painter.GetFont()->Assign(GetPaintFont());
    painter.Begin();
    HDC dc = item->hDC;
    const bool enabled = IsEnabled(true);
    const bool pressed = (item->itemState & ODS_SELECTED) != 0 || m_pushed;
    int32_t x = item->rcItem.left;
    int32_t y = item->rcItem.top;
    int32_t w = item->rcItem.right;
    int32_t h = item->rcItem.bottom;
    gui::CPenInterface* pen = painter.GetPen();
    if ((item->itemState & ODS_DEFAULT) != 0) {
        pen->Set(SystemColour(COLOR_3DDKSHADOW), 1, gui::CPenInterface::kStyleSolid, gui::CPenInterface::kModeCopy);
        painter.OutlineRect(x, y, x + w - 1, y + h - 1);
        x += 1;
        y += 1;
        w -= 2;
        h -= 2;
    }
    if (!m_flat) {
        RECT face = {x, y, x + w, y + h};
        DrawFrameControl(dc, &face, DFC_BUTTON,
                         DFCS_BUTTONPUSH | (pressed ? DFCS_PUSHED : 0u) | (enabled ? 0u : DFCS_INACTIVE));
        x += 2;
        y += 2;
        w -= 4;
        h -= 4;
    } else {
        bool over = m_hover == 1;
        if (m_hover == 0) {
            POINT point = {};
            over = GetCursorPos(&point) && ScreenToClient(m_window, &point) &&
                   ChildWindowFromPoint(m_window, point) == m_window;
        }
        const bool hot = over && enabled;
        if (!hot && !pressed) {
            FillWithSysColour(dc, x, y, x + w, y + h, COLOR_BTNFACE);
        } else {
            const int first = pressed ? COLOR_3DSHADOW : COLOR_3DHILIGHT;
            const int second = pressed ? COLOR_3DHILIGHT : COLOR_3DSHADOW;
            pen->Set(SystemColour(first), 1, gui::CPenInterface::kStyleSolid, gui::CPenInterface::kModeCopy);
            painter.MoveTo(x, y + h - 1);
            painter.LineTo(x, y);
            painter.LineTo(x + w - 1, y);
            pen->SetColor(SystemColour(second));
            painter.LineTo(x + w - 1, y + h - 1);
            painter.LineTo(x, y + h - 1);
            x += 1;
            y += 1;
            w -= 2;
            h -= 2;
            if (m_pushed && enabled && !over) {
                static const WORD kDither[8] = {0xAA, 0x55, 0xAA, 0x55, 0xAA, 0x55, 0xAA, 0x55};
                HBITMAP bitmap = CreateBitmap(8, 8, 1, 1, kDither);
                HBRUSH brush = bitmap != nullptr ? CreatePatternBrush(bitmap) : nullptr;
                if (brush != nullptr) {
                    const COLORREF oldText = SetTextColor(dc, GetSysColor(COLOR_3DHILIGHT));
                    const COLORREF oldBack = SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
                    RECT rect = {x, y, x + w, y + h};
                    ::FillRect(dc, &rect, brush);
                    SetTextColor(dc, oldText);
                    SetBkColor(dc, oldBack);
                    DeleteObject(brush);
                }
                if (bitmap != nullptr)
                    DeleteObject(bitmap);
            } else {
                FillWithSysColour(dc, x, y, x + w, y + h, COLOR_BTNFACE);
            }
        }
    }
    const bool hasImage = m_image != nullptr && m_image->GetWidth() > 0 && m_image->GetHeight() > 0;
    const bool hasText = m_text.GetLength() != 0;
    if (hasImage || hasText) {
        int32_t textWidth = 0;
        int32_t textHeight = 0;
        if (hasText && !painter.GetTextExtent(m_text, &textWidth, &textHeight)) {
            textWidth = 0;
            textHeight = 0;
        }
        const int32_t gap = hasText ? textWidth / m_text.GetLength() : 0;
        int32_t contentWidth = hasImage ? m_image->GetWidth() : 0;
        if (textWidth != 0)
            contentWidth += textWidth + (hasImage ? gap : 0);
        const int32_t cx = x + w / 2 + (pressed ? 1 : 0);
        const int32_t cy = y + h / 2 + (pressed ? 1 : 0);
        const int32_t left = cx - contentWidth / 2;
        if (hasImage) {
            const int32_t top = cy - m_image->GetHeight() / 2;
            const gui::CRect target(left, top, left + m_mask.GetWidth() - 1, top + m_mask.GetHeight() - 1);
            if (enabled) {
                const gui::CRect imageTarget(left, top, left + m_image->GetWidth() - 1, top + m_image->GetHeight() - 1);
                painter.DrawImage(m_image, nullptr, &imageTarget, m_mask.GetWidth() > 0 ? &m_mask : nullptr);
            } else if (m_mask.GetWidth() > 0) {
                common::ARGB* palette = m_mask.GetPalette();
                const gui::CRect moved(target.m_left + 1, target.m_top + 1, target.m_right + 1, target.m_bottom + 1);
                palette[1] = SystemColour(COLOR_3DHILIGHT).m_argb;
                painter.DrawImage(&m_mask, nullptr, &moved, &m_mask);
                palette[1] = SystemColour(COLOR_GRAYTEXT).m_argb;
                painter.DrawImage(&m_mask, nullptr, &target, &m_mask);
            }
        }
        if (hasText) {
            const int32_t right = left + contentWidth - 1;
            const int32_t textLeft = right - textWidth;
            const int32_t top = cy - textHeight / 2;
            const int32_t bottom = top + textHeight - 1;
            if (enabled) {
                painter.DrawTextFlags(m_text, textLeft, top, right, bottom, 3);
            } else {
                gui::CFontInterface* font = painter.GetFont();
                font->SetColor(SystemColour(COLOR_3DHILIGHT));
                painter.DrawTextFlags(m_text, textLeft + 1, top + 1, right + 1, bottom + 1, 3);
                font->SetColor(SystemColour(COLOR_GRAYTEXT));
                painter.DrawTextFlags(m_text, textLeft, top, right, bottom, 3);
            }
        }
    }
    if ((item->itemState & ODS_FOCUS) != 0 && enabled) {
        RECT focus = {x, y, x + w, y + h};
        InflateRect(&focus, -1, -1);
        DrawFocusRect(dc, &focus);
    }
    painter.End();
}

} // namespace Windows
} // namespace gui
