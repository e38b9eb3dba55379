#pragma once
// The popup that serves as a window's menu bar. The frame window gives the
// bar's menu to the window system when it makes its window; the window then
// owns that menu.
#include "gui/CPopupMenu.h"

namespace gui {

class CMenuBar : public CPopupMenu {
public:
    // owner: the widget the bar belongs to (may be null).
    explicit CMenuBar(CWidgetInterface* owner = nullptr) : m_ownerWidget(owner) {}
    ~CMenuBar() override;

    HMENU__* CreateHandle() override;
    void Redraw() override;
    HWND__* GetOwner() override;
    CWidgetInterface* GetOwnerWidget() override { return m_ownerWidget; }

    // Stores the window and redraws the bar on it when the menu exists; true.
    bool AttachToWindow(HWND__* window);
    // Every text of the tree, then a redraw on the second window.
    void ReloadText() override;
    // The window on which ReloadText draws the bar (set by the main window).
    void SetSecondWindow(HWND__* window) { m_secondWindow = window; }

private:
    HWND__* m_ownerWindow = nullptr;           // not owned
    CWidgetInterface* m_ownerWidget = nullptr; // not owned
    HWND__* m_secondWindow = nullptr;          // not owned
};

} // namespace gui
