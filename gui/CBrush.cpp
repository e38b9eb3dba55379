#include "gui/CBrush.h"

namespace gui {

uint32_t CBrush::Apply(int32_t style, const CColor& colour) {
    uint32_t mask = 0;
    if (style != m_style) {
        m_style = style;
        mask |= kChangedStyle;
    }
    if (!colour.SameAs(m_colour)) {
        m_colour = colour;
        mask |= kChangedColor;
    }
    return mask;
}

void CBrush::Assign(const CBrushInterface* other) {
    if (other == this)
        return;
    if (other == nullptr) {
        Reset();
        return;
    }
    CColor colour;
    if (!other->GetColor(&colour))
        colour = CColor();
    if (const uint32_t mask = Apply(other->GetStyle(), colour))
        Changed(mask);
}

void CBrush::SetStyle(int32_t style) {
    if (const uint32_t mask = Apply(style, m_colour))
        Changed(mask);
}

bool CBrush::GetColor(CColor* colour) const {
    if (m_colour.m_none)
        return false;
    if (colour != nullptr)
        *colour = m_colour;
    return true;
}

void CBrush::SetColor(const CColor& colour) {
    if (const uint32_t mask = Apply(m_style, colour))
        Changed(mask);
}

void CBrush::SetSolidColor(const CColor& colour) {
    if (const uint32_t mask = Apply(kStyleSolid, colour))
        Changed(mask);
}

bool CBrush::IsDefault() const {
    return m_style == kStyleDefault && m_colour.m_none;
}

void CBrush::Reset() {
    if (const uint32_t mask = Apply(kStyleDefault, CColor()))
        Changed(mask);
}

} // namespace gui
