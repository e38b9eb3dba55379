#pragma once
// A window: a container with a caption and a menu bar. Top-level windows and
// dialogs are containers but never controls, so they are never children.
#include "common/CWideString.h"
#include "gui/CContainerInterface.h"

namespace gui {

class CMenuBar;

class CWindowInterface : public virtual CContainerInterface {
public:
    // Called once before the window system's window is made; false stops the creation.
    virtual bool OnCreate() = 0;
    virtual common::CWideString GetCaption() const = 0;
    virtual void SetCaption(const common::CWideString& caption) = 0;
    virtual CMenuBar* GetMenuBar() = 0;
    // Takes ownership of the bar (deleting the old one); refused once the window is created.
    virtual bool SetMenuBar(CMenuBar* menuBar) = 0;
};

} // namespace gui
