#include "gui/windows/CPen.h"

namespace gui {
namespace Windows {

namespace {

COLORREF ToColorRef(const gui::CColor& colour) {
    if (colour.m_none)
        return RGB(0, 0, 0);
    return RGB((colour.m_argb >> 16) & 0xFF, (colour.m_argb >> 8) & 0xFF, colour.m_argb & 0xFF);
}

} // namespace

void CPen::Changed(uint32_t mask) {
    // A colour or mode change alone needs no new handle.
    if (mask == kChangedMode) {
        gui::CPen::Changed(mask);
        return;
    }
    if (m_gdi.OnChanged(mask) != CSharedGdiHandle<HPEN>::Change::Deleted)
        gui::CPen::Changed(mask);
}

HPEN CPen::Acquire() {
    return m_gdi.Acquire([this] { return CreateHandle(); });
}

void CPen::Release() {
    if (const uint32_t pending = m_gdi.Release())
        Changed(pending);
}

HPEN CPen::CreateHandle() const {
    int style;
    switch (GetStyle()) {
    case kStyleDefault:
    case kStyleSolid:
        style = PS_SOLID;
        break;
    case kStyleDot:
        style = PS_DOT;
        break;
    default:
        return nullptr;
    }
    gui::CColor colour;
    if (!GetColor(&colour))
        colour = gui::CColor();
    return CreatePen(style, GetWidth() < 1 ? 1 : GetWidth(), ToColorRef(colour));
}

} // namespace Windows
} // namespace gui
