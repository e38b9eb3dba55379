#include "gui/CPanel.h"

namespace gui {

CPanel::~CPanel() = default;

void CPanel::SetBorderSides(bool left, bool top, bool right, bool bottom) {
    m_left = left;
    m_top = top;
    m_right = right;
    m_bottom = bottom;
}

} // namespace gui
