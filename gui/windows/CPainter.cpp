#include "gui/windows/CPainter.h"

namespace gui {
namespace Windows {

CPainter::~CPainter() {
    if (m_dcOwned && m_dc != nullptr)
        ReleaseDC(m_window, m_dc);
}

void CPainter::OnFontChanged(uint32_t) {}

bool CPainter::Begin() {
    if (m_window == nullptr)
        return false;
    m_painting = true;
    if (m_dc == nullptr) {
        m_dcOwned = true;
        m_dc = GetDC(m_window);
        if (m_dc == nullptr) {
            m_dcOwned = false;
            m_painting = false;
            return false;
        }
    } else {
        m_dcOwned = false;
    }
    m_savedBackgroundMode = GetBkMode(m_dc);
    SetBkMode(m_dc, TRANSPARENT);
    return true;
}

void CPainter::End() {
    if (!m_painting)
        return;
    if (m_savedBackgroundMode != 0 && m_dc != nullptr)
        SetBkMode(m_dc, m_savedBackgroundMode);
    m_savedBackgroundMode = 0;
    if (m_dcOwned && m_dc != nullptr)
        ReleaseDC(m_window, m_dc);
    m_dcOwned = false;
    m_dc = nullptr;
    m_painting = false;
}

void CPainter::SetWindow(HWND window) {
    if (m_dcOwned && m_dc != nullptr)
        ReleaseDC(m_window, m_dc);
    m_window = window;
    m_dc = nullptr;
    m_dcOwned = false;
}

} // namespace Windows
} // namespace gui
