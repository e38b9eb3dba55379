#pragma once
// The base of the Win32 controls: a portable control over the Win32 widget. A
// control with a window is a child window of its parent container's window; a
// windowless control draws into its parent. A control's rectangle is relative
// to its parent's client origin (inside the padding), and moving, sizing or
// showing a docked control lays its parent out again.
//
// The derived control creates its window (a standard control's class) and then
// calls Create, which also makes the tooltip window when there is a tooltip text.
#include <cstdint>

#include "gui/CControl.h"
#include "gui/Units.h"
#include "gui/windows/CWidget.h"

namespace gui {
namespace Windows {

class CControl : public gui::CControl, public virtual CWidget {
public:
    // The rectangle in the given unit (pixels by default), the dock alignment and
    // the initial visibility; the parent is set when a container takes the control.
    CControl(int32_t x, int32_t y, int32_t width, int32_t height, int32_t alignment, bool visible,
             int32_t unit = kUnitPixels);
    ~CControl() override;

    // Needs a created parent; false (and destroyed) otherwise.
    bool Create() override;
    // The tooltip window too.
    void Destroy() override;
    void SetVisible(bool visible) override;
    void OnMove() override;
    void OnSize() override;
    void SetEnabled(bool enabled) override;
    void SetTooltipText(const common::CWideString& text) override;
    // Invalidates the whole control.
    void Refresh() override;
    bool IsWindowless() const override { return m_windowless; }
    gui::CWidgetInterface* GetParent() override { return gui::CControl::GetParent(); }
    // The parent container's instance; null without a parent.
    HINSTANCE GetInstance() override;

    HWND GetTooltipWindow() const { return m_tooltip; }

protected:
    bool ReadWindowRect(int32_t* x, int32_t* y, int32_t* width, int32_t* height) const override;
    void PlaceWindow(int32_t x, int32_t y, int32_t width, int32_t height) override;
    // Creates, fills or empties the tooltip after a change of its text.
    void UpdateTooltip();
    // The parent's window and client origin; false without a parent window.
    bool GetParentFrame(HWND* window, int32_t* originX, int32_t* originY) const;

    HWND m_tooltip = nullptr; // owned; a popup owned by the control's window
};

} // namespace Windows
} // namespace gui
