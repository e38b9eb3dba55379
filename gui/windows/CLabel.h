#pragma once
// The Win32 label: a windowless control that draws its text into its parent's
// window with its own font, or its parent's font while its own is in its
// default state. A disabled label draws embossed text.
#include <cstdint>

#include "gui/CFont.h"
#include "gui/CLabel.h"
#include "gui/windows/CControl.h"

namespace gui {
namespace Windows {

class CLabel : public gui::CLabel, public CControl {
public:
    CLabel(int32_t x, int32_t y, int32_t width, int32_t height, const common::CWideString& text, int32_t alignment,
           bool visible);
    ~CLabel() override;

    // The label's own font, which callers change.
    gui::CFont& GetFont() { return m_font; }
    // The own font unless it is in its default state, else the parent's.
    gui::CFont* GetPaintFont() override;
    bool Paint(gui::CPainter* painter, const gui::CRect& widgetRect, const gui::CRect& updateRect,
               gui::CRect* measure) override;

private:
    bool m_destroying = false;
    bool m_painting = false;
    gui::CFont m_font; // no owner
};

} // namespace Windows
} // namespace gui
