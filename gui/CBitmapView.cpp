#include "gui/CBitmapView.h"

#include "gui/CPainter.h"

namespace gui {

CBitmapView::~CBitmapView() {
    m_destroying = true;
    delete m_painter;
    m_painter = nullptr;
}

void CBitmapView::OnPaint(CPainter* painter) {
    if (m_inCallback)
        return;
    m_inCallback = true;
    if (m_callback != nullptr && !m_destroying)
        m_callback(this, painter);
    m_inCallback = false;
}

} // namespace gui
