#pragma once
// The painter's rectangle: left, top, right, bottom with right and bottom
// inclusive, so a rectangle covers right - left + 1 columns. (Widget geometry
// is x, y, width, height instead; see CWidget.)
#include <cstdint>

namespace gui {

struct CRect {
    int32_t m_left = 0;
    int32_t m_top = 0;
    int32_t m_right = 0;
    int32_t m_bottom = 0;

    CRect() = default;
    CRect(int32_t left, int32_t top, int32_t right, int32_t bottom)
        : m_left(left), m_top(top), m_right(right), m_bottom(bottom) {}

    bool IsEmpty() const { return m_right < m_left || m_bottom < m_top; }
    // The common part of both; empty (IsEmpty) when they do not overlap.
    CRect Intersect(const CRect& other) const {
        return CRect(m_left > other.m_left ? m_left : other.m_left, m_top > other.m_top ? m_top : other.m_top,
                     m_right < other.m_right ? m_right : other.m_right,
                     m_bottom < other.m_bottom ? m_bottom : other.m_bottom);
    }
    // The smallest rectangle holding both.
    CRect Union(const CRect& other) const {
        return CRect(m_left < other.m_left ? m_left : other.m_left, m_top < other.m_top ? m_top : other.m_top,
                     m_right > other.m_right ? m_right : other.m_right,
                     m_bottom > other.m_bottom ? m_bottom : other.m_bottom);
    }
    bool operator==(const CRect& other) const {
        return m_left == other.m_left && m_top == other.m_top && m_right == other.m_right && m_bottom == other.m_bottom;
    }
    bool operator!=(const CRect& other) const { return !(*this == other); }
};

} // namespace gui
