#pragma once
// The Win32 picture: an owner-drawn STATIC child window that shows its current
// image centred, through the image's mask, on the button face; it draws only
// the image's rectangle.
#include <cstdint>

#include "gui/CPicture.h"
#include "gui/windows/CControl.h"

namespace gui {
namespace Windows {

class CPicture : public gui::CPicture, public CControl {
public:
    // The rectangle (x, y, width, height) in the unit; a first image is added with its mask.
    CPicture(int32_t x, int32_t y, int32_t width, int32_t height, common::CImage* first, int32_t alignment,
             bool visible, int32_t unit = kUnitPixels);
    ~CPicture() override;

    bool QueryFalse49() { return false; }
    bool Create() override;
    bool Paint(gui::CPainter* painter, const gui::CRect& widgetRect, const gui::CRect& updateRect,
               gui::CRect* measure) override;

private:
    bool m_painting = false;
};

} // namespace Windows
} // namespace gui
