#pragma once
// The GDI painter over the device context of one window. A widget hands it out
// through GetPainter, aimed at its window while the painter is idle; Begin
// takes the window's DC (unless its owner gave one) and End releases it.
//
// So far it holds the painting state that the widget tree needs (window, DC,
// background mode); fonts, pens, brushes and the drawing operations join it
// with the complete GDI painter.
#include <cstdint>

#include "gui/CPainter.h"
#include "gui/windows/Win32Api.h"

namespace gui {
namespace Windows {

class CPainter : public gui::CPainter {
public:
    CPainter() = default;
    // Releases a DC it took itself.
    ~CPainter() override;
    CPainter(const CPainter&) = delete;
    CPainter& operator=(const CPainter&) = delete;

    // This painter selects no font of its own yet, so a change needs nothing.
    void OnFontChanged(uint32_t mask) override;
    // False without a window or when its DC cannot be had.
    bool Begin() override;
    void End() override;
    bool IsPainting() const override { return m_painting; }

    // Aims the painter at a window and forgets the DC; callers do it only while idle.
    void SetWindow(HWND window);
    HWND GetWindowHandle() const { return m_window; }
    HDC GetDeviceContext() const { return m_dc; }

protected:
    HWND m_window = nullptr; // the window painted into; not owned
    HDC m_dc = nullptr;      // while painting; released by End when m_dcOwned
    bool m_dcOwned = false;
    int m_savedBackgroundMode = 0; // 0 = nothing to put back
    bool m_painting = false;
};

} // namespace Windows
} // namespace gui
