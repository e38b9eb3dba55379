#include "gui/CWindow.h"

#include "gui/CFrameWindowInterface.h"
#include "gui/CMenuBar.h"

namespace gui {

CWindow::~CWindow() {
    delete m_menuBar;
    m_menuBar = nullptr;
}

bool CWindow::SetMenuBar(CMenuBar* menuBar) {
    if (menuBar == m_menuBar)
        return true;
    if (IsCreated())
        return false;
    delete m_menuBar;
    m_menuBar = menuBar;
    return true;
}

CFrameWindowInterface* CWindow::GetFrameWindow() {
    CWidgetInterface* parent = GetParent();
    return parent != nullptr ? parent->GetFrameWindow() : nullptr;
}

} // namespace gui
