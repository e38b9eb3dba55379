#pragma once
// A point in painter coordinates.
#include <cstdint>

namespace gui {

struct CPoint {
    int32_t m_x = 0;
    int32_t m_y = 0;

    CPoint() = default;
    CPoint(int32_t x, int32_t y) : m_x(x), m_y(y) {}
};

} // namespace gui
