#include "gui/windows/CBrush.h"

namespace gui {
namespace Windows {

void CBrush::Changed(uint32_t mask) {
    if (m_gdi.OnChanged(mask) != CSharedGdiHandle<HBRUSH>::Change::Deleted)
        gui::CBrush::Changed(mask);
}

HBRUSH CBrush::Acquire() {
    return m_gdi.Acquire([this] { return CreateHandle(); });
}

void CBrush::Release() {
    if (const uint32_t pending = m_gdi.Release())
        Changed(pending);
}

HBRUSH CBrush::CreateHandle() const {
    gui::CColor colour;
    COLORREF ref = RGB(0, 0, 0);
    if (GetColor(&colour))
        ref = RGB((colour.m_argb >> 16) & 0xFF, (colour.m_argb >> 8) & 0xFF, colour.m_argb & 0xFF);
    switch (GetStyle()) {
    case kStyleDefault:
    case kStyleSolid:
        return CreateSolidBrush(ref);
    case kStyleHollow: {
        LOGBRUSH brush = {};
        brush.lbStyle = BS_NULL;
        brush.lbColor = ref;
        return CreateBrushIndirect(&brush);
    }
    default:
        return nullptr;
    }
}

} // namespace Windows
} // namespace gui
