#include "gui/CPen.h"

namespace gui {

uint32_t CPen::Apply(int32_t style, int32_t mode, int32_t width, const CColor& colour) {
    if (width < 0)
        width = 0;
    uint32_t mask = 0;
    if (style != m_style) {
        m_style = style;
        mask |= kChangedStyle;
    }
    if (width != m_width) {
        m_width = width;
        mask |= kChangedWidth;
    }
    if (!colour.SameAs(m_colour)) {
        m_colour = colour;
        mask |= kChangedColor;
    }
    if (mode != m_mode) {
        m_mode = mode;
        mask |= kChangedMode;
    }
    return mask;
}

void CPen::Assign(const CPenInterface* other) {
    if (other == this)
        return;
    if (other == nullptr) {
        Reset();
        return;
    }
    CColor colour;
    if (!other->GetColor(&colour))
        colour = CColor();
    const uint32_t mask = Apply(other->GetStyle(), other->GetMode(), other->GetWidth(), colour);
    if (mask != 0)
        Changed(mask);
}

void CPen::SetStyle(int32_t style) {
    if (const uint32_t mask = Apply(style, m_mode, m_width, m_colour))
        Changed(mask);
}

void CPen::SetMode(int32_t mode) {
    if (const uint32_t mask = Apply(m_style, mode, m_width, m_colour))
        Changed(mask);
}

void CPen::SetWidth(int32_t width) {
    if (const uint32_t mask = Apply(m_style, m_mode, width, m_colour))
        Changed(mask);
}

bool CPen::GetColor(CColor* colour) const {
    if (m_colour.m_none)
        return false;
    if (colour != nullptr)
        *colour = m_colour;
    return true;
}

void CPen::SetColor(const CColor& colour) {
    if (const uint32_t mask = Apply(m_style, m_mode, m_width, colour))
        Changed(mask);
}

void CPen::Set(const CColor& colour, int32_t width, int32_t style, int32_t mode) {
    if (const uint32_t mask = Apply(style, mode, width, colour))
        Changed(mask);
}

bool CPen::IsDefault() const {
    return m_style == kStyleDefault && m_mode == kModeDefault && m_width == 0 && m_colour.m_none;
}

void CPen::Reset() {
    if (const uint32_t mask = Apply(kStyleDefault, kModeDefault, 0, CColor()))
        Changed(mask);
}

} // namespace gui
