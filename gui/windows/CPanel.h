#pragma once
// The Win32 panel: an owner-drawn STATIC child window that holds other
// widgets, fills itself with the button face and draws its border; its client
// area leaves 2 pixels for each bordered side so docked children stay inside.
#include <cstdint>

#include "gui/CPanel.h"
#include "gui/windows/CControlContainer.h"

namespace gui {
namespace Windows {

class CPanel : public gui::CPanel, public CControlContainer {
public:
    CPanel(int32_t x, int32_t y, int32_t width, int32_t height, int32_t alignment, int32_t borderStyle, bool visible);
    CPanel(const gui::CRect& rect, int32_t alignment, int32_t borderStyle, bool visible, int32_t unit);
    ~CPanel() override;

    // Lay the children out again and redraw when anything changed.
    void SetBorderStyle(int32_t style) override;
    void SetBorderSides(bool left, bool top, bool right, bool bottom) override;
    bool Create() override;
    bool GetClientRect(int32_t* x, int32_t* y, int32_t* width, int32_t* height) const override;
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    bool Paint(gui::CPainter* painter, const gui::CRect& widgetRect, const gui::CRect& updateRect,
               gui::CRect* measure) override;

    // The DrawEdge edge of a border style; 0 for none.
    static UINT EdgeOf(int32_t style);

private:
    bool m_painting = false;
    bool m_destroying = false;
};

} // namespace Windows
} // namespace gui
