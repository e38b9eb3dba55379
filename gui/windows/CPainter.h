#pragma once
// The GDI painter over the device context of one window. A widget hands it out
// through GetPainter, aimed at its window while the painter is idle; Begin
// takes the window's DC (unless its owner gave one) and End releases it. The
// font, pen and brush are selected into the DC while they are not in their
// default state and reselected at once when their properties change; their
// GDI handles are shared by use counts (see CFont, CPen, CBrush).
#include <cstdint>

#include "gui/CPainter.h"
#include "gui/windows/Win32Api.h"

namespace gui {
namespace Windows {

class CFont;
class CPen;
class CBrush;

class CPainter : public gui::CPainter {
public:
    CPainter() = default;
    // Drops its holds on the selected handles (without putting the previous
    // objects back), releases a DC it took itself, then deletes the objects.
    ~CPainter() override;
    CPainter(const CPainter&) = delete;
    CPainter& operator=(const CPainter&) = delete;

    void OnFontChanged(uint32_t mask) override;
    void OnPenChanged(uint32_t mask) override;
    void OnBrushChanged(uint32_t mask) override;
    gui::CFontInterface* GetFont() override;
    gui::CPenInterface* GetPen() override;
    gui::CBrushInterface* GetBrush() override;
    // False without a window or when its DC cannot be had.
    bool Begin() override;
    void End() override;
    bool IsPainting() const override { return m_painting; }
    bool MoveTo(int32_t x, int32_t y) override;
    bool LineTo(int32_t x, int32_t y) override;
    bool Polyline(const gui::CPoint* points, int32_t count) override;
    bool GetTextExtent(const common::CWideString& text, int32_t* width, int32_t* height) override;
    int DrawText(const common::CWideString& text, int32_t x, int32_t y) override;
    int DrawTextFlags(const common::CWideString& text, int32_t left, int32_t top, int32_t right, int32_t bottom,
                      int32_t alignment) override;
    bool Rectangle(int32_t left, int32_t top, int32_t right, int32_t bottom) override;
    bool OutlineRect(int32_t left, int32_t top, int32_t right, int32_t bottom) override;
    bool FillRect(int32_t left, int32_t top, int32_t right, int32_t bottom) override;
    bool DrawImage(const common::CImage* image, const gui::CRect* source, const gui::CRect* target,
                   const common::CImage* mask) override;

    // Aims the painter at a window and forgets the DC; callers do it only while idle.
    void SetWindow(HWND window);
    // Aims it at a window and a DC that its owner holds (Begin keeps it; End
    // does not release it); only while idle.
    void SetWindowAndDc(HWND window, HDC dc);
    HWND GetWindowHandle() const { return m_window; }
    HDC GetDeviceContext() const { return m_dc; }

    // The DrawTextW flags of an alignment code.
    static UINT TextFlagsOf(int32_t alignment);

protected:
    void SelectFont();
    void DeselectFont(bool restore);
    void SelectPen();
    void DeselectPen(bool restore);
    void SelectBrush();
    void DeselectBrush(bool restore);
    CFont* Font() const;
    CPen* Pen() const;
    CBrush* Brush() const;

    HWND m_window = nullptr; // the window painted into; not owned
    HDC m_dc = nullptr;      // while painting; released by End when m_dcOwned
    bool m_dcOwned = false;
    HFONT m_selectedFont = nullptr;
    HGDIOBJ m_previousFont = nullptr;
    COLORREF m_savedTextColor = 0;
    int m_savedRop2 = 0;
    HPEN m_selectedPen = nullptr;
    HGDIOBJ m_previousPen = nullptr;
    HBRUSH m_selectedBrush = nullptr;
    HGDIOBJ m_previousBrush = nullptr;
    int m_savedBackgroundMode = 0; // 0 = nothing to put back
    bool m_painting = false;
};

// The painter over a DC that its owner already holds (the DC of an owner-drawn
// control's WM_DRAWITEM): End never releases that DC.
class CDcPainter : public CPainter {
public:
    CDcPainter(HWND window, HDC dc) { SetWindowAndDc(window, dc); }
    ~CDcPainter() override;
};

} // namespace Windows
} // namespace gui
