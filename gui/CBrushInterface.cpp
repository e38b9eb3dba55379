#include "gui/CBrushInterface.h"

#include "gui/CPainter.h"

namespace gui {

CBrushInterface::~CBrushInterface() = default;

void CBrushInterface::Changed(uint32_t mask) {
    if (m_owner != nullptr)
        m_owner->OnBrushChanged(mask);
}

} // namespace gui
