#pragma once
// The emulation screen: a child window that fills the rest of the main window
// and into which the renderer draws directly. It paints nothing itself; its
// paint callback (the main window's) asks the computer for the current frame,
// and its mouse events go to the main window's mouse callback.
//
// The window class has CS_DBLCLKS, so a double click (which takes the mouse
// for the emulated computer) arrives as its own event.
#include <cstdint>

#include "gui/windows/CControl.h"

// <windows.h> maps CompareString to its W form, which hides the string
// family's own CompareString.
#undef CompareString

namespace emu {

class CEmulationScreen : public gui::Windows::CControl {
public:
    typedef bool (*PaintCallback)(gui::CWidgetInterface* widget, gui::CPainter* painter);

    // Docked with the given alignment code (6 fills what the others leave).
    CEmulationScreen(int32_t x, int32_t y, int32_t width, int32_t height, int32_t alignment, bool visible);
    ~CEmulationScreen() override;

    // Makes the child window in the parent's window, then attaches it.
    bool Create() override;
    // Destroys the window and makes a fresh one in the same place. A window
    // keeps the first pixel format set on it for life, and Wine leaves a child
    // window that has one out of the surface its top-level window draws
    // through, so its GDI drawing never reaches the display again: each
    // renderer starts on a fresh window.
    bool Recreate();
    // Runs the paint callback; the renderer does the drawing.
    bool Paint(gui::CPainter* painter, const gui::CRect& widgetRect, const gui::CRect& updateRect,
               gui::CRect* measure) override;

    PaintCallback& OnPaintCallback() { return m_onPaint; }

private:
    static bool RegisterScreenClass(HINSTANCE instance);

    PaintCallback m_onPaint = nullptr;
};

} // namespace emu
