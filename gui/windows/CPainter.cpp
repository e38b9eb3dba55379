#include "gui/windows/CPainter.h"

#include <vector>

#include "common/CImage.h"
#include "gui/windows/CBrush.h"
#include "gui/windows/CFont.h"
#include "gui/windows/CPen.h"

namespace gui {
namespace Windows {

namespace {

COLORREF ToColorRef(const gui::CColor& colour) {
    if (colour.m_none)
        return RGB(0, 0, 0);
    return RGB((colour.m_argb >> 16) & 0xFF, (colour.m_argb >> 8) & 0xFF, colour.m_argb & 0xFF);
}

int Rop2OfMode(int32_t mode, int fallback) {
    if (mode == gui::CPenInterface::kModeCopy)
        return R2_COPYPEN;
    if (mode == gui::CPenInterface::kModeXor)
        return R2_XORPEN;
    return fallback;
}

bool FontIsDefault(const gui::CFontInterface* font) {
    int32_t style = 0;
    return font->GetFamily() == 0 && font->GetSize() == 0 && !font->GetStyle(&style);
}

bool PenIsDefault(const gui::CPenInterface* pen) {
    gui::CColor colour;
    return pen->GetStyle() == 0 && pen->GetWidth() == 0 && !pen->GetColor(&colour);
}

bool BrushIsDefault(const gui::CBrushInterface* brush) {
    gui::CColor colour;
    return brush->GetStyle() == 0 && !brush->GetColor(&colour);
}

// A BITMAPINFO with room for 256 palette entries.
struct DibInfo {
    BITMAPINFOHEADER header;
    RGBQUAD colours[256];
};

void Normalise(gui::CRect* rect) {
    if (rect->m_right < rect->m_left) {
        const int32_t t = rect->m_left;
        rect->m_left = rect->m_right;
        rect->m_right = t;
    }
    if (rect->m_bottom < rect->m_top) {
        const int32_t t = rect->m_top;
        rect->m_top = rect->m_bottom;
        rect->m_bottom = t;
    }
}

} // namespace

CPainter::~CPainter() {
    DeselectFont(false);
    DeselectPen(false);
    DeselectBrush(false);
    if (m_dcOwned && m_dc != nullptr)
        ReleaseDC(m_window, m_dc);
    m_dc = nullptr;
    m_dcOwned = false;
    m_painting = false;
    // The base deletes the objects.
}

CDcPainter::~CDcPainter() = default;

CFont* CPainter::Font() const {
    return static_cast<CFont*>(m_font);
}

CPen* CPainter::Pen() const {
    return static_cast<CPen*>(m_pen);
}

CBrush* CPainter::Brush() const {
    return static_cast<CBrush*>(m_brush);
}

gui::CFontInterface* CPainter::GetFont() {
    if (m_font == nullptr)
        m_font = new CFont(this);
    return m_font;
}

gui::CPenInterface* CPainter::GetPen() {
    if (m_pen == nullptr)
        m_pen = new CPen(this);
    return m_pen;
}

gui::CBrushInterface* CPainter::GetBrush() {
    if (m_brush == nullptr)
        m_brush = new CBrush(this);
    return m_brush;
}

void CPainter::SelectFont() {
    if (m_font == nullptr || m_dc == nullptr || m_selectedFont != nullptr)
        return;
    HFONT handle = Font()->Acquire();
    if (handle == nullptr)
        return;
    m_selectedFont = handle;
    m_previousFont = SelectObject(m_dc, handle);
}

void CPainter::DeselectFont(bool restore) {
    if (m_selectedFont == nullptr)
        return;
    m_selectedFont = nullptr;
    if (restore && m_dc != nullptr)
        SelectObject(m_dc, m_previousFont);
    m_previousFont = nullptr;
    if (m_font != nullptr)
        Font()->Release();
}

void CPainter::SelectPen() {
    if (m_pen == nullptr || m_dc == nullptr || m_selectedPen != nullptr)
        return;
    HPEN handle = Pen()->Acquire();
    if (handle == nullptr)
        return;
    m_selectedPen = handle;
    m_previousPen = SelectObject(m_dc, handle);
}

void CPainter::DeselectPen(bool restore) {
    if (m_selectedPen == nullptr)
        return;
    m_selectedPen = nullptr;
    if (restore && m_dc != nullptr)
        SelectObject(m_dc, m_previousPen);
    m_previousPen = nullptr;
    if (m_pen != nullptr)
        Pen()->Release();
}

void CPainter::SelectBrush() {
    if (m_brush == nullptr || m_dc == nullptr || m_selectedBrush != nullptr)
        return;
    HBRUSH handle = Brush()->Acquire();
    if (handle == nullptr)
        return;
    m_selectedBrush = handle;
    m_previousBrush = SelectObject(m_dc, handle);
}

void CPainter::DeselectBrush(bool restore) {
    if (m_selectedBrush == nullptr)
        return;
    m_selectedBrush = nullptr;
    if (restore && m_dc != nullptr)
        SelectObject(m_dc, m_previousBrush);
    m_previousBrush = nullptr;
    if (m_brush != nullptr)
        Brush()->Release();
}

void CPainter::OnFontChanged(uint32_t mask) {
    // While idle (even with a DC given for a later Begin) only stale handles go.
    if ((mask & gui::CFontInterface::kChangedColor) != 0 && m_painting && m_dc != nullptr && m_font != nullptr) {
        gui::CColor colour;
        SetTextColor(m_dc, m_font->GetColor(&colour) ? ToColorRef(colour) : m_savedTextColor);
    }
    if (mask == gui::CFontInterface::kChangedColor)
        return;
    DeselectFont(true);
    if (m_painting && m_dc != nullptr && m_font != nullptr && !FontIsDefault(m_font))
        SelectFont();
}

void CPainter::OnPenChanged(uint32_t mask) {
    if ((mask & gui::CPenInterface::kChangedMode) != 0 && m_painting && m_dc != nullptr && m_pen != nullptr)
        SetROP2(m_dc, Rop2OfMode(m_pen->GetMode(), m_savedRop2));
    if (mask == gui::CPenInterface::kChangedMode)
        return;
    DeselectPen(true);
    if (m_painting && m_dc != nullptr && m_pen != nullptr && !PenIsDefault(m_pen))
        SelectPen();
}

void CPainter::OnBrushChanged(uint32_t) {
    DeselectBrush(true);
    if (m_painting && m_dc != nullptr && m_brush != nullptr && !BrushIsDefault(m_brush))
        SelectBrush();
}

bool CPainter::Begin() {
    if (m_window == nullptr)
        return false;
    m_painting = true;
    if (m_dc == nullptr) {
        m_dcOwned = true;
        m_dc = GetDC(m_window);
        if (m_dc == nullptr) {
            m_dcOwned = false;
            m_painting = false;
            return false;
        }
    } else {
        m_dcOwned = false;
    }
    m_savedTextColor = GetTextColor(m_dc);
    gui::CColor colour;
    if (m_font != nullptr && m_font->GetColor(&colour))
        SetTextColor(m_dc, ToColorRef(colour));
    m_savedRop2 = GetROP2(m_dc);
    const int32_t mode = m_pen != nullptr ? m_pen->GetMode() : gui::CPenInterface::kModeDefault;
    if (mode == gui::CPenInterface::kModeCopy) {
        if (m_savedRop2 != R2_COPYPEN)
            SetROP2(m_dc, R2_COPYPEN);
    } else if (mode == gui::CPenInterface::kModeXor) {
        if (m_savedRop2 != R2_XORPEN)
            SetROP2(m_dc, R2_XORPEN);
    } else if (m_savedRop2 == 0) {
        SetROP2(m_dc, R2_COPYPEN);
    }
    if (m_font != nullptr && !FontIsDefault(m_font))
        SelectFont();
    if (m_pen != nullptr && !PenIsDefault(m_pen))
        SelectPen();
    if (m_brush != nullptr && !BrushIsDefault(m_brush))
        SelectBrush();
    m_savedBackgroundMode = GetBkMode(m_dc);
    SetBkMode(m_dc, TRANSPARENT);
    return true;
}

void CPainter::End() {
    if (!m_painting)
        return;
    if (m_dc != nullptr)
        SetTextColor(m_dc, m_savedTextColor);
    DeselectFont(true);
    if (m_savedRop2 != 0 && m_dc != nullptr)
        SetROP2(m_dc, m_savedRop2);
    DeselectPen(true);
    DeselectBrush(true);
    if (m_savedBackgroundMode != 0 && m_dc != nullptr)
        SetBkMode(m_dc, m_savedBackgroundMode);
    m_savedBackgroundMode = 0;
    if (m_dcOwned && m_dc != nullptr)
        ReleaseDC(m_window, m_dc);
    m_dcOwned = false;
    m_dc = nullptr;
    m_painting = false;
}

void CPainter::SetWindow(HWND window) {
    SetWindowAndDc(window, nullptr);
}

void CPainter::SetWindowAndDc(HWND window, HDC dc) {
    if (m_dcOwned && m_dc != nullptr)
        ReleaseDC(m_window, m_dc);
    m_window = window;
    m_dc = dc;
    m_dcOwned = false;
}

bool CPainter::MoveTo(int32_t x, int32_t y) {
    return m_dc != nullptr && MoveToEx(m_dc, x, y, nullptr) != FALSE;
}

bool CPainter::LineTo(int32_t x, int32_t y) {
    return m_dc != nullptr && ::LineTo(m_dc, x, y) != FALSE;
}

bool CPainter::Polyline(const gui::CPoint* points, int32_t count) {
    if (points == nullptr || count < 1 || m_dc == nullptr)
        return false;
    std::vector<POINT> list(static_cast<size_t>(count));
    for (int32_t i = 0; i < count; ++i) {
        list[static_cast<size_t>(i)].x = points[i].m_x;
        list[static_cast<size_t>(i)].y = points[i].m_y;
    }
    return ::Polyline(m_dc, list.data(), count) != FALSE;
}

bool CPainter::GetTextExtent(const common::CWideString& text, int32_t* width, int32_t* height) {
    int32_t w = 0;
    int32_t h = 0;
    bool ok = true;
    if (text.GetLength() > 0) {
        SIZE size = {};
        ok = m_dc != nullptr && GetTextExtentPoint32W(m_dc, reinterpret_cast<LPCWSTR>(text.GetWide()),
                                                      static_cast<int>(text.GetLength()), &size) != FALSE;
        if (ok) {
            w = size.cx;
            h = size.cy;
        }
    }
    if (width != nullptr)
        *width = w;
    if (height != nullptr)
        *height = h;
    return ok;
}

int CPainter::DrawText(const common::CWideString& text, int32_t x, int32_t y) {
    if (m_dc == nullptr)
        return 0;
    RECT rect = {x, y, x, y};
    return DrawTextW(m_dc, reinterpret_cast<LPCWSTR>(text.GetWide()), static_cast<int>(text.GetLength()), &rect,
                     DT_SINGLELINE | DT_NOCLIP);
}

UINT CPainter::TextFlagsOf(int32_t alignment) {
    UINT flags;
    switch (alignment) {
    case 0:
        flags = DT_CENTER | DT_VCENTER;
        break;
    case 1:
        flags = DT_LEFT | DT_VCENTER;
        break;
    case 2:
        flags = DT_CENTER | DT_TOP;
        break;
    case 4:
        flags = DT_RIGHT | DT_VCENTER;
        break;
    case 6:
        flags = DT_RIGHT | DT_TOP;
        break;
    case 8:
        flags = DT_CENTER | DT_BOTTOM;
        break;
    case 9:
        flags = DT_LEFT | DT_BOTTOM;
        break;
    case 12:
        flags = DT_RIGHT | DT_BOTTOM;
        break;
    case 3:
    case 5:
    case 7:
    case 10:
    case 11:
        flags = DT_LEFT | DT_TOP;
        break;
    default:
        flags = 0;
        break;
    }
    return flags | DT_SINGLELINE;
}

int CPainter::DrawTextFlags(const common::CWideString& text, int32_t left, int32_t top, int32_t right, int32_t bottom,
                            int32_t alignment) {
    if (m_dc == nullptr)
        return 0;
    RECT rect = {left, top, right, bottom};
    return DrawTextW(m_dc, reinterpret_cast<LPCWSTR>(text.GetWide()), static_cast<int>(text.GetLength()), &rect,
                     TextFlagsOf(alignment));
}

bool CPainter::Rectangle(int32_t left, int32_t top, int32_t right, int32_t bottom) {
    if (m_dc != nullptr)
        ::Rectangle(m_dc, left, top, right + 1, bottom + 1);
    return true;
}

bool CPainter::OutlineRect(int32_t left, int32_t top, int32_t right, int32_t bottom) {
    if (m_dc == nullptr)
        return false;
    POINT previous = {};
    if (!MoveToEx(m_dc, left, top, &previous))
        return false;
    ::LineTo(m_dc, right, top);
    ::LineTo(m_dc, right, bottom);
    ::LineTo(m_dc, left, bottom);
    ::LineTo(m_dc, left, top);
    MoveToEx(m_dc, previous.x, previous.y, nullptr);
    return true;
}

bool CPainter::FillRect(int32_t left, int32_t top, int32_t right, int32_t bottom) {
    if (m_selectedBrush == nullptr || m_dc == nullptr)
        return false;
    RECT rect = {left, top, right + 1, bottom + 1};
    ::FillRect(m_dc, &rect, m_selectedBrush);
    return true;
}

bool CPainter::DrawImage(const common::CImage* image, const gui::CRect* source, const gui::CRect* target,
                         const common::CImage* mask) {
    if (m_window == nullptr || m_dc == nullptr || image == nullptr || image->GetWidth() == 0 || image->GetHeight() == 0)
        return false;
    int32_t sx = 0;
    int32_t sy = 0;
    int32_t sw = image->GetWidth();
    int32_t sh = image->GetHeight();
    if (source != nullptr) {
        gui::CRect s = *source;
        Normalise(&s);
        if (s.m_right < 0 || s.m_bottom < 0 || s.m_left >= image->GetWidth() || s.m_top >= image->GetHeight())
            return true;
        sx = s.m_left;
        sy = s.m_top;
        sw = s.m_right - s.m_left + 1;
        sh = s.m_bottom - s.m_top + 1;
    }
    RECT client = {};
    if (!::GetClientRect(m_window, &client))
        return false;
    int32_t tx = client.left;
    int32_t ty = client.top;
    int32_t tw = client.right;
    int32_t th = client.bottom;
    if (target != nullptr) {
        gui::CRect t = *target;
        Normalise(&t);
        if (client.left > t.m_right || client.top > t.m_bottom || client.right <= t.m_left || client.bottom <= t.m_top)
            return true;
        tx = t.m_left;
        ty = t.m_top;
        tw = t.m_right - t.m_left + 1;
        th = t.m_bottom - t.m_top + 1;
    }
    DibInfo info = {};
    info.header.biSize = sizeof(BITMAPINFOHEADER);
    info.header.biWidth = image->GetWidth();
    info.header.biHeight = -image->GetHeight();
    info.header.biPlanes = 1;
    info.header.biBitCount = static_cast<WORD>(image->GetBitsPerPixel());
    info.header.biCompression = BI_RGB;
    const int paletteSize = image->GetPaletteSize(false);
    info.header.biClrUsed = static_cast<DWORD>(paletteSize);
    info.header.biClrImportant = static_cast<DWORD>(paletteSize);
    if (paletteSize > 0) {
        // Made on first use (as opaque black) when the image has none yet.
        const common::ARGB* palette = const_cast<common::CImage*>(image)->GetPalette();
        for (int i = 0; i < paletteSize && i < 256; ++i) {
            const common::ARGB c = palette != nullptr ? palette[i] : common::kOpaqueBlack;
            info.colours[i].rgbBlue = static_cast<BYTE>(c & 0xFF);
            info.colours[i].rgbGreen = static_cast<BYTE>((c >> 8) & 0xFF);
            info.colours[i].rgbRed = static_cast<BYTE>((c >> 16) & 0xFF);
            info.colours[i].rgbReserved = 0;
        }
    }
    SetStretchBltMode(m_dc, COLORONCOLOR);
    const BITMAPINFO* bitmapInfo = reinterpret_cast<const BITMAPINFO*>(&info);
    const int32_t dibY = sy; // the bitmap is top-down, so are its source rows
    if (mask == nullptr) {
        StretchDIBits(m_dc, tx, ty, tw, th, sx, dibY, sw, sh, image->GetBits(), bitmapInfo, DIB_RGB_COLORS, SRCCOPY);
        return true;
    }
    DibInfo maskInfo = {};
    maskInfo.header = info.header;
    maskInfo.header.biWidth = mask->GetWidth();
    maskInfo.header.biHeight = -mask->GetHeight();
    maskInfo.header.biBitCount = 1;
    maskInfo.header.biClrUsed = 2;
    maskInfo.header.biClrImportant = 2;
    maskInfo.colours[0].rgbBlue = maskInfo.colours[0].rgbGreen = maskInfo.colours[0].rgbRed = 0xFF;
    const BITMAPINFO* maskBitmapInfo = reinterpret_cast<const BITMAPINFO*>(&maskInfo);
    const int32_t maskDibY = sy;
    StretchDIBits(m_dc, tx, ty, tw, th, sx, dibY, sw, sh, image->GetBits(), bitmapInfo, DIB_RGB_COLORS, SRCINVERT);
    StretchDIBits(m_dc, tx, ty, tw, th, sx, maskDibY, sw, sh, mask->GetBits(), maskBitmapInfo, DIB_RGB_COLORS, SRCAND);
    StretchDIBits(m_dc, tx, ty, tw, th, sx, dibY, sw, sh, image->GetBits(), bitmapInfo, DIB_RGB_COLORS, SRCINVERT);
    return true;
}

} // namespace Windows
} // namespace gui
