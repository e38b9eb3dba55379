#include "gui/windows/CLabel.h"

#include "gui/CPainter.h"

namespace gui {
namespace Windows {

CLabel::CLabel(int32_t x, int32_t y, int32_t width, int32_t height, const common::CWideString& text, int32_t alignment,
               bool visible)
    : gui::CLabel(text), CControl(x, y, width, height, alignment, visible) {
    m_windowless = true;
}

CLabel::~CLabel() {
    m_destroying = true;
}

gui::CFont* CLabel::GetPaintFont() {
    if (!m_font.IsDefault())
        return &m_font;
    return gui::CControlInterface::GetPaintFont();
}

bool CLabel::Paint(gui::CPainter* painter, const gui::CRect& widgetRect, const gui::CRect&, gui::CRect* measure) {
    if (measure != nullptr || m_painting || m_destroying || m_text.GetLength() == 0 || painter == nullptr)
        return false;
    m_painting = true;
    gui::CFontInterface* font = painter->GetFont();
    font->Assign(GetPaintFont());
    if (IsEnabled(true)) {
        painter->DrawTextFlags(m_text, widgetRect.m_left, widgetRect.m_top, widgetRect.m_right, widgetRect.m_bottom,
                               m_textAlignment);
    } else {
        font->SetColor(GetSystemColor(2));
        painter->DrawTextFlags(m_text, widgetRect.m_left + 1, widgetRect.m_top + 1, widgetRect.m_right,
                               widgetRect.m_bottom, m_textAlignment);
        font->SetColor(GetSystemColor(1));
        painter->DrawTextFlags(m_text, widgetRect.m_left, widgetRect.m_top, widgetRect.m_right, widgetRect.m_bottom,
                               m_textAlignment);
    }
    m_painting = false;
    return true;
}

} // namespace Windows
} // namespace gui
