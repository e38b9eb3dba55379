#pragma once
// The Win32 push button: an owner-drawn "BUTTON" child window whose face the
// toolkit draws (DrawItem) with a painter over the WM_DRAWITEM DC. Mouse hover
// is tracked with TrackMouseEvent for flat buttons. A left-button or Space
// press on the button followed by its release clicks it.
#include <cstdint>

#include "common/CIndexedImage_1Bpp.h"
#include "gui/CButton.h"
#include "gui/windows/CControl.h"
#include "gui/windows/CPainter.h"

namespace gui {
namespace Windows {

class CButton : public gui::CButton, public CControl {
public:
    // The rectangle (x, y, width, height) in the unit, the text, the dialog
    // result code, the dock alignment and the visibility.
    CButton(int32_t x, int32_t y, int32_t width, int32_t height, const common::CWideString& text, int32_t dialogResult,
            int32_t alignment, bool visible, int32_t unit = kUnitPixels);
    ~CButton() override;

    // Also the window's text.
    void SetText(const common::CWideString& text) override;
    // Also rebuilds the mask: 1 where a pixel differs from the top-left pixel.
    void SetImage(common::CImage* image) override;
    void SetFlat(bool flat) override;
    void SetPushed(bool pushed) override;
    void SetDialogResult(int32_t code) override;
    // The button's own font (its painter's), made on first use.
    gui::CFontInterface* GetFont();
    // The own font unless it is in its default state, else the parent's.
    gui::CFont* GetPaintFont() override;
    void Redraw();
    // The callback, else the dialog ending, else nothing.
    void Click();

    bool Create() override;
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    bool Paint(gui::CPainter* painter, const gui::CRect& widgetRect, const gui::CRect& updateRect,
               gui::CRect* measure) override;

    bool IsPressed() const { return m_pressed; }
    int32_t GetHoverState() const { return m_hover; }
    const common::CIndexedImage_1Bpp& GetImageMask() const { return m_mask; }

protected:
    void DrawItem(const DRAWITEMSTRUCT* item);

    bool m_destroying = false;
    bool m_painting = false;
    bool m_pressed = false;
    int32_t m_hover = 0; // 0 unknown, 1 over the button, -1 not
    common::CIndexedImage_1Bpp m_mask;
    CPainter m_painter;
};

} // namespace Windows
} // namespace gui
