#include "gui/CPenInterface.h"

#include "gui/CPainter.h"

namespace gui {

CPenInterface::~CPenInterface() = default;

void CPenInterface::Changed(uint32_t mask) {
    if (m_owner != nullptr)
        m_owner->OnPenChanged(mask);
}

} // namespace gui
