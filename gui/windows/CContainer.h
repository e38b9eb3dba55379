#pragma once
// A Win32 widget that is a container: it has its own painter aimed at its
// window, creates its children when it is created and destroys them first when
// it is destroyed, lays them out when its size changes, and gives windowless
// children the mouse, their cursor and the owner-draw messages of child controls.
//
// The client rectangle is the window's client area less the padding, and the
// children's rectangles are relative to its origin.
#include <cstdint>

#include "gui/CContainer.h"
#include "gui/windows/CPainter.h"
#include "gui/windows/CWidget.h"

namespace gui {
namespace Windows {

class CContainer : public gui::CContainer, public virtual CWidget {
public:
    CContainer() = default;
    ~CContainer() override;

    bool Create() override;
    void Destroy() override;
    // The container's own painter, aimed at its window, with the origin (0, 0).
    gui::CPainter* GetPainter(int32_t* originX, int32_t* originY) override;
    bool GetClientRect(int32_t* x, int32_t* y, int32_t* width, int32_t* height) const override;
    // A windowless child under the point gets the event, in its own coordinates.
    bool OnMouse(int32_t x, int32_t y, int32_t event) override;
    void OnMove() override;
    void OnSize() override;
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

    CPainter& GetOwnPainter() { return m_painter; }

protected:
    void DestroyChildren();
    // WM_SETCURSOR: the cursor of a windowless child under the pointer, else the
    // container's own; false when the generic handler decides.
    bool HandleSetCursor(LRESULT* result);
    // WM_DRAWITEM of a child control goes back to that control; false for menus.
    bool ReflectDrawItem(WPARAM wParam, LPARAM lParam);

    CPainter m_painter;
};

} // namespace Windows
} // namespace gui
