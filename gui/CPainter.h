#pragma once
// The drawing interface that widgets see. A painter is idle or painting
// (between a successful Begin and End). It keeps a clip rectangle for the
// repaint walk of the widget tree (CContainer); nothing of it is applied to the
// device. gui::Windows::CPainter draws with GDI into one window.
//
// So far this holds what the widget tree itself calls: painting state, the clip
// and the font change report; the drawing operations join it with the GDI
// painter.
#include <cstdint>

#include "gui/CRect.h"

namespace gui {

class CPainter {
public:
    // The font object reports a change of its properties (CFontInterface masks).
    virtual void OnFontChanged(uint32_t mask) = 0;
    virtual ~CPainter();
    // Starts painting; false when it cannot.
    virtual bool Begin() = 0;
    // Ends painting; nothing when not painting.
    virtual void End() = 0;
    virtual bool IsPainting() const = 0;
    // Stores the rectangle, reversed edges swapped.
    virtual void SetClip(const CRect& clip);
    // False when no clip was set.
    virtual bool GetClip(CRect* clip) const;

protected:
    CPainter() = default;

private:
    CRect m_clip;
    bool m_clipSet = false;
};

} // namespace gui
