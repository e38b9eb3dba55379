#pragma once
// The drawing interface that widgets see. A painter is idle or painting
// (between a successful Begin and End). It keeps a clip rectangle for the
// repaint walk of the widget tree (CContainer); nothing of it is applied to the
// device. It owns one font, one pen and one brush, made on first use, whose
// properties callers change directly; each reports its changes back here so
// that a painting painter reselects it at once. Rectangles are inclusive.
// gui::Windows::CPainter draws with GDI into one window.
#include <cstdint>

#include "common/CWideString.h"
#include "gui/CPoint.h"
#include "gui/CRect.h"

namespace common {
class CImage;
}

namespace gui {

class CFontInterface;
class CPenInterface;
class CBrushInterface;

class CPainter {
public:
    // Alignment codes of DrawTextFlags: one bit per side; 0 centres both ways.
    enum : int32_t { kAlignLeft = 1, kAlignTop = 2, kAlignRight = 4, kAlignBottom = 8 };

    // The font, pen or brush object reports a change of its properties (their masks).
    virtual void OnFontChanged(uint32_t mask) = 0;
    virtual void OnPenChanged(uint32_t mask) = 0;
    virtual void OnBrushChanged(uint32_t mask) = 0;
    // Deletes the font, pen and brush objects.
    virtual ~CPainter();
    // The owned objects, made on first use with this painter as their owner.
    virtual CFontInterface* GetFont() = 0;
    virtual CPenInterface* GetPen() = 0;
    virtual CBrushInterface* GetBrush() = 0;
    // Starts painting; false when it cannot.
    virtual bool Begin() = 0;
    // Ends painting; nothing when not painting.
    virtual void End() = 0;
    virtual bool IsPainting() const = 0;
    // Stores the rectangle, reversed edges swapped.
    virtual void SetClip(const CRect& clip);
    // False when no clip was set.
    virtual bool GetClip(CRect* clip) const;
    // Takes a value and answers true; it has no effect.
    virtual bool QueryTrue13(int32_t value);
    virtual bool MoveTo(int32_t x, int32_t y) = 0;
    virtual bool LineTo(int32_t x, int32_t y) = 0;
    // False for fewer than one point; else a move to the first and lines to the others.
    virtual bool Polyline(const CPoint* points, int32_t count);
    // 0 by 0 and true for an empty text.
    virtual bool GetTextExtent(const common::CWideString& text, int32_t* width, int32_t* height) = 0;
    // One line at (x, y), unclipped.
    virtual int DrawText(const common::CWideString& text, int32_t x, int32_t y) = 0;
    // One line in the rectangle, placed by the alignment code.
    virtual int DrawTextFlags(const common::CWideString& text, int32_t left, int32_t top, int32_t right, int32_t bottom,
                              int32_t alignment) = 0;
    // Outlined with the pen, filled with the brush.
    virtual bool Rectangle(int32_t left, int32_t top, int32_t right, int32_t bottom) = 0;
    // The four edges; the current position stays where it was.
    virtual bool OutlineRect(int32_t left, int32_t top, int32_t right, int32_t bottom) = 0;
    // Filled with the brush; false when no brush is selected.
    virtual bool FillRect(int32_t left, int32_t top, int32_t right, int32_t bottom) = 0;
    // The image's source part (whole without one) stretched to the target (the
    // client area without one); where a mask is given, only its 1 pixels are drawn.
    virtual bool DrawImage(const common::CImage* image, const CRect* source, const CRect* target,
                           const common::CImage* mask) = 0;
    // Sets *drawn to false, then DrawImage.
    virtual bool DrawImageEx(bool* drawn, const common::CImage* image, const CRect* source, const CRect* target,
                             const common::CImage* mask);

    CPainter(const CPainter&) = delete;
    CPainter& operator=(const CPainter&) = delete;

protected:
    CPainter() = default;

    CFontInterface* m_font = nullptr;   // owned
    CPenInterface* m_pen = nullptr;     // owned
    CBrushInterface* m_brush = nullptr; // owned

private:
    CRect m_clip;
    bool m_clipSet = false;
};

} // namespace gui
