#include "gui/CFont.h"

namespace gui {

uint32_t CFont::Apply(int32_t family, int32_t size, bool styleSet, int32_t style, const CColor& colour) {
    if (size < 0)
        size = 0;
    uint32_t mask = 0;
    if (family != m_family) {
        m_family = family;
        mask |= kChangedFamily;
    }
    if (styleSet != m_styleSet || (styleSet && style != m_style)) {
        m_styleSet = styleSet;
        m_style = styleSet ? style : 0;
        mask |= kChangedStyle;
    }
    if (size != m_size) {
        m_size = size;
        mask |= kChangedSize;
    }
    if (!colour.SameAs(m_colour)) {
        m_colour = colour;
        mask |= kChangedColor;
    }
    return mask;
}

void CFont::Assign(const CFontInterface* other) {
    if (other == this)
        return;
    if (other == nullptr) {
        Reset();
        return;
    }
    int32_t style = 0;
    const bool styleSet = other->GetStyle(&style);
    CColor colour;
    if (!other->GetColor(&colour))
        colour = CColor();
    const uint32_t mask = Apply(other->GetFamily(), other->GetSize(), styleSet, style, colour);
    if (mask != 0)
        Changed(mask);
}

void CFont::SetFamily(int32_t family) {
    const uint32_t mask = Apply(family, m_size, m_styleSet, m_style, m_colour);
    if (mask != 0)
        Changed(mask);
}

void CFont::SetSize(int32_t size) {
    const uint32_t mask = Apply(m_family, size, m_styleSet, m_style, m_colour);
    if (mask != 0)
        Changed(mask);
}

bool CFont::GetStyle(int32_t* style) const {
    if (!m_styleSet)
        return false;
    if (style != nullptr)
        *style = m_style;
    return true;
}

void CFont::SetStyle(int32_t style) {
    const uint32_t mask = Apply(m_family, m_size, true, style, m_colour);
    if (mask != 0)
        Changed(mask);
}

void CFont::SetStyleFlags(bool bold, bool italic) {
    int32_t style = m_styleSet ? m_style : 0;
    style = (style & ~(kStyleBold | kStyleItalic)) | (bold ? kStyleBold : 0) | (italic ? kStyleItalic : 0);
    SetStyle(style);
}

bool CFont::GetColor(CColor* colour) const {
    if (m_colour.m_none)
        return false;
    if (colour != nullptr)
        *colour = m_colour;
    return true;
}

void CFont::SetColor(const CColor& colour) {
    const uint32_t mask = Apply(m_family, m_size, m_styleSet, m_style, colour);
    if (mask != 0)
        Changed(mask);
}

void CFont::SetFamilyAndSize(int32_t family, int32_t size) {
    const uint32_t mask = Apply(family, size, m_styleSet, m_style, m_colour);
    if (mask != 0)
        Changed(mask);
}

void CFont::Set(int32_t family, int32_t size, const CColor& colour) {
    const uint32_t mask = Apply(family, size, m_styleSet, m_style, colour);
    if (mask != 0)
        Changed(mask);
}

bool CFont::IsDefault() const {
    return m_family == kFamilyDefault && m_size == 0 && !m_styleSet && m_colour.m_none;
}

void CFont::Reset() {
    const uint32_t mask = Apply(kFamilyDefault, 0, false, 0, CColor());
    if (mask != 0)
        Changed(mask);
}

} // namespace gui
