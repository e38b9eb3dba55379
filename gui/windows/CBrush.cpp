#include "gui/windows/CBrush.h"

namespace gui {
namespace Windows {

CBrush::~CBrush() {
    if (m_handle != nullptr)
        DeleteObject(m_handle);
}

void CBrush::Changed(uint32_t mask) {
    if (m_handle != nullptr && m_useCount != 0) {
        m_pending |= mask;
        gui::CBrush::Changed(mask);
        return;
    }
    if (m_handle != nullptr) {
        DeleteObject(m_handle);
        m_handle = nullptr;
        m_pending = 0;
        return;
    }
    gui::CBrush::Changed(mask);
}

HBRUSH CBrush::Acquire() {
    if (m_handle == nullptr) {
        m_handle = CreateHandle();
        if (m_handle == nullptr)
            return nullptr;
        m_useCount = 0;
        m_pending = 0;
    }
    ++m_useCount;
    return m_handle;
}

void CBrush::Release() {
    if (m_useCount > 0)
        --m_useCount;
    if (m_useCount == 0 && m_pending != 0) {
        const uint32_t pending = m_pending;
        m_pending = 0;
        Changed(pending);
    }
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
