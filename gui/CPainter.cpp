#include "gui/CPainter.h"

namespace gui {

CPainter::~CPainter() = default;

void CPainter::SetClip(const CRect& clip) {
    m_clip = clip;
    if (m_clip.m_right < m_clip.m_left) {
        m_clip.m_left = clip.m_right;
        m_clip.m_right = clip.m_left;
    }
    if (m_clip.m_bottom < m_clip.m_top) {
        m_clip.m_top = clip.m_bottom;
        m_clip.m_bottom = clip.m_top;
    }
    m_clipSet = true;
}

bool CPainter::GetClip(CRect* clip) const {
    if (!m_clipSet)
        return false;
    if (clip != nullptr)
        *clip = m_clip;
    return true;
}

} // namespace gui
