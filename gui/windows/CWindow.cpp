#include "gui/windows/CWindow.h"

#include "gui/CFrameWindowInterface.h"

namespace gui {
namespace Windows {

CWindow::~CWindow() {
    BeginTeardown();
}

bool CWindow::Create() {
    if (!CContainer::Create())
        return false;
    if (m_window != nullptr && !m_caption.IsEmpty())
        SetWindowTextW(m_window, reinterpret_cast<LPCWSTR>(m_caption.GetWide()));
    return true;
}

void CWindow::SetCaption(const common::CWideString& caption) {
    if (caption.CompareWideString(m_caption) == 0)
        return;
    m_caption = caption;
    if (m_window != nullptr)
        SetWindowTextW(m_window, reinterpret_cast<LPCWSTR>(m_caption.GetWide()));
}

gui::CFrameWindowInterface* CWindow::GetFrameWindow() {
    return gui::CWindow::GetFrameWindow();
}

} // namespace Windows
} // namespace gui
