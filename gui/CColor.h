#pragma once
// A colour as the toolkit passes it around: a "none" flag (no colour at all,
// e.g. a widget without a background of its own) and a 32-bit ARGB value
// 0xAARRGGBB. GDI colours are built from the red, green and blue bytes.
#include <cstdint>

namespace gui {

struct CColor {
    static constexpr uint32_t kOpaqueBlack = 0xFF000000u;

    bool m_none = true;
    uint32_t m_argb = kOpaqueBlack;

    CColor() = default;
    CColor(bool none, uint32_t argb) : m_none(none), m_argb(argb) {}
    // A set colour.
    static CColor FromArgb(uint32_t argb) { return CColor(false, argb); }

    // Equal when both are none, or both are set with the same ARGB value.
    bool SameAs(const CColor& other) const {
        if (m_none || other.m_none)
            return m_none == other.m_none;
        return m_argb == other.m_argb;
    }
};

} // namespace gui
