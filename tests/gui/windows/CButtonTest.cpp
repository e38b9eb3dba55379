// The Win32 button: clicks by mouse and Space, focus, the window text, the
// image mask, ending a dialog, and the owner-drawn face.
#include "gui/windows/CButton.h"

#include "common/CRgbImage_32Bpp.h"
#include "gui/windows/CDialog.h"
#include "tests/gui/windows/ControlTestSupport.h"

namespace {

int g_clicks = 0;

void CountClick(gui::CWidgetInterface*) {
    ++g_clicks;
}

class Win32ButtonTest : public guitest::ControlFixture {
protected:
    void SetUp() override {
        ControlFixture::SetUp();
        g_clicks = 0;
    }
    // A created button in the frame; the caller removes it.
    void Add(gui::Windows::CButton& button) {
        ASSERT_TRUE(m_frame->AddChild(&button));
        ASSERT_TRUE(button.Create());
    }
    void Remove(gui::Windows::CButton& button) {
        m_frame->RemoveChild(&button);
        button.Destroy();
    }
    // The face drawn for the item state into the memory DC.
    void DrawFace(gui::Windows::CButton& button, UINT state) {
        DRAWITEMSTRUCT item = {};
        item.CtlType = ODT_BUTTON;
        item.hwndItem = button.GetWindowHandle();
        item.hDC = m_dc;
        item.rcItem = {0, 0, 60, 24};
        item.itemState = state;
        EXPECT_EQ(SendMessageW(button.GetWindowHandle(), WM_DRAWITEM, 0, reinterpret_cast<LPARAM>(&item)), 1);
    }
};

TEST_F(Win32ButtonTest, ReleaseAfterAPressClicksOnce) {
    gui::Windows::CButton button(0, 0, 60, 24, common::CWideString(u"OK"), 0, 0, true);
    button.GetClickAction().m_callback = &CountClick;
    Add(button);
    HWND window = button.GetWindowHandle();
    SendMessageW(window, WM_LBUTTONUP, 0, MAKELPARAM(200, 200));
    EXPECT_EQ(g_clicks, 0);
    SendMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    EXPECT_TRUE(button.IsPressed());
    SendMessageW(window, WM_LBUTTONUP, 0, MAKELPARAM(500, 500)); // where the mouse is does not matter
    EXPECT_EQ(g_clicks, 1);
    EXPECT_FALSE(button.IsPressed());
    Remove(button);
}

TEST_F(Win32ButtonTest, SpaceClicksOnlyAfterItsOwnPress) {
    gui::Windows::CButton button(0, 0, 60, 24, common::CWideString(u"OK"), 0, 0, true);
    button.GetClickAction().m_callback = &CountClick;
    Add(button);
    HWND window = button.GetWindowHandle();
    SetFocus(window);
    ASSERT_EQ(GetFocus(), window) << "the hidden test window cannot take the focus";
    SendMessageW(window, WM_KEYUP, VK_SPACE, 0);
    EXPECT_EQ(g_clicks, 0);
    SendMessageW(window, WM_KEYDOWN, VK_SPACE, 0);
    SendMessageW(window, WM_KEYUP, VK_SPACE, 0);
    EXPECT_EQ(g_clicks, 1);
    Remove(button);
}

TEST_F(Win32ButtonTest, SameTextIsNotAppliedAgain) {
    gui::Windows::CButton button(0, 0, 60, 24, common::CWideString(u"Go"), 0, 0, true);
    Add(button);
    wchar_t text[16] = {};
    GetWindowTextW(button.GetWindowHandle(), text, 16);
    EXPECT_EQ(std::wstring(text), L"Go");
    SetWindowTextW(button.GetWindowHandle(), L"Outside");
    button.SetText(common::CWideString(u"Go"));
    GetWindowTextW(button.GetWindowHandle(), text, 16);
    EXPECT_EQ(std::wstring(text), L"Outside");
    button.SetText(common::CWideString(u"Stop"));
    GetWindowTextW(button.GetWindowHandle(), text, 16);
    EXPECT_EQ(std::wstring(text), L"Stop");
    Remove(button);
}

TEST_F(Win32ButtonTest, ImageMaskFollowsTheTopLeftColour) {
    gui::Windows::CButton button(0, 0, 60, 24, common::CWideString(u""), 0, 0, true);
    common::CRgbImage_32Bpp* image = new common::CRgbImage_32Bpp();
    ASSERT_TRUE(image->Allocate(4, 4));
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x)
            image->SetPixelARGB(y, x, x == y && x > 0 ? 0xFF0000FF : 0xFFFF00FF);
    button.SetImage(image);
    const common::CIndexedImage_1Bpp& mask = button.GetImageMask();
    ASSERT_EQ(mask.GetWidth(), 4);
    EXPECT_EQ(mask.GetPixel(0, 1), 0u);
    EXPECT_EQ(mask.GetPixel(2, 2), 1u);
    button.SetImage(nullptr);
    EXPECT_EQ(button.GetImageMask().GetWidth(), 0);
}

TEST_F(Win32ButtonTest, ClassicAndFlatFaces) {
    gui::Windows::CButton button(0, 0, 60, 24, common::CWideString(u""), 0, 0, true);
    Add(button);
    DrawFace(button, 0);
    const COLORREF face = GetSysColor(COLOR_BTNFACE);
    EXPECT_EQ(At(30, 12), face);
    EXPECT_NE(At(59, 23), face); // the frame's dark edge
    Clear();
    button.SetFlat(true);
    DrawFace(button, 0);
    EXPECT_EQ(At(59, 23), face); // no frame until hovered or pressed
    EXPECT_EQ(At(0, 0), face);
    Clear();
    DrawFace(button, ODS_SELECTED);
    EXPECT_EQ(At(0, 0), GetSysColor(COLOR_3DSHADOW));
    Remove(button);
}

gui::Windows::CButton* g_dialogButton = nullptr;

void CALLBACK PressDialogButton(HWND, UINT, UINT_PTR id, DWORD) {
    KillTimer(nullptr, id);
    SendMessageW(g_dialogButton->GetWindowHandle(), WM_LBUTTONDOWN, MK_LBUTTON, 0);
    SendMessageW(g_dialogButton->GetWindowHandle(), WM_LBUTTONUP, 0, 0);
}

TEST_F(Win32ButtonTest, DialogButtonEndsTheDialogWithItsEndCode) {
    gui::Windows::CDialog dialog(200, 100);
    gui::Windows::CButton* button = new gui::Windows::CButton(10, 10, 60, 24, common::CWideString(u"Four"),
                                                              gui::CButtonInterface::kDialogEndCode, 0, true);
    button->GetClickAction().m_endCode = 4;
    ASSERT_TRUE(dialog.AddChild(button)); // the dialog owns it
    g_dialogButton = button;
    SetTimer(nullptr, 0, 10, &PressDialogButton);
    EXPECT_TRUE(dialog.RunModal(m_frame));
    EXPECT_EQ(dialog.GetResult(), 4);
}

} // namespace
