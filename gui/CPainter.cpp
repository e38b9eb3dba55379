#include "gui/CPainter.h"

#include "gui/CBrushInterface.h"
#include "gui/CFontInterface.h"
#include "gui/CPenInterface.h"

namespace gui {

CPainter::~CPainter() {
    delete m_font;
    delete m_pen;
    delete m_brush;
}

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

bool CPainter::QueryTrue13(int32_t) {
    return true;
}

bool CPainter::Polyline(const CPoint* points, int32_t count) {
    if (points == nullptr || count < 1)
        return false;
    if (!MoveTo(points[0].m_x, points[0].m_y))
        return false;
    for (int32_t i = 1; i < count; ++i)
        if (!LineTo(points[i].m_x, points[i].m_y))
            return false;
    return true;
}

bool CPainter::DrawImageEx(bool* drawn, const common::CImage* image, const CRect* source, const CRect* target,
                           const common::CImage* mask) {
    if (drawn != nullptr)
        *drawn = false;
    return DrawImage(image, source, target, mask);
}

} // namespace gui
