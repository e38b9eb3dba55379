#include "gui/CFontInterface.h"

#include "gui/CPainter.h"

namespace gui {

CFontInterface::~CFontInterface() = default;

void CFontInterface::Changed(uint32_t mask) {
    if (m_owner != nullptr)
        m_owner->OnFontChanged(mask);
}

} // namespace gui
