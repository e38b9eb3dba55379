#pragma once
// A Win32 control that is also a Win32 container (the panel, for example): it
// is created as a control and then creates and lays out its children; it
// repaints and hit-tests as a container; enabling or disabling it passes the
// new state on to its children, and refreshing it refreshes them.
#include <cstdint>

#include "gui/CControlContainer.h"
#include "gui/windows/CContainer.h"
#include "gui/windows/CControl.h"

namespace gui {
namespace Windows {

class CControlContainer : public gui::CControlContainer, public CContainer, public CControl {
public:
    CControlContainer(int32_t x, int32_t y, int32_t width, int32_t height, int32_t alignment, bool visible,
                      int32_t unit = kUnitPixels);
    ~CControlContainer() override;

    bool Create() override;
    void Destroy() override;
    bool Repaint(int32_t x, int32_t y, int32_t width, int32_t height, gui::CRect* painted) override;
    gui::CWidgetInterface* HitTest(int32_t* x, int32_t* y) override;
    // Its own children first, then its parent when it is docked.
    void OnMove() override;
    void OnSize() override;
    void SetEnabled(bool enabled) override;
    void Refresh() override;
};

} // namespace Windows
} // namespace gui
