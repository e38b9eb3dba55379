// The Win32 bitmap view: its own WM_PAINT calls the owner's paint callback,
// straight into the window or through an off-screen bitmap of its size.
#include "gui/windows/CBitmapView.h"

#include "gui/CPainter.h"
#include "tests/gui/windows/ControlTestSupport.h"

namespace {

int g_paints = 0;
bool g_nested = false;

void Callback(gui::CWidgetInterface* view, gui::CPainter* painter) {
    ++g_paints;
    EXPECT_TRUE(painter->IsPainting());
    if (g_nested) {
        // Paint messages that arrive while the callback runs are not served again.
        HWND window = dynamic_cast<gui::Windows::CWidget*>(view)->GetWindowHandle();
        SendMessageW(window, WM_PAINT, 0, 0);
        SendMessageW(window, WM_PAINT, 0, 0);
    }
}

class Win32BitmapViewTest : public guitest::ControlFixture {
protected:
    void SetUp() override {
        ControlFixture::SetUp();
        g_paints = 0;
        g_nested = false;
    }
};

LONG BitmapWidth(HBITMAP bitmap) {
    BITMAP info = {};
    GetObjectW(bitmap, sizeof(info), &info);
    return info.bmWidth;
}

TEST_F(Win32BitmapViewTest, PaintsDirectOrThroughAnOffscreenBitmap) {
    gui::Windows::CBitmapView view(0, 0, 40, 30, 0, true);
    view.GetPaintCallback() = &Callback;
    ASSERT_TRUE(m_frame->AddChild(&view));
    ASSERT_TRUE(view.Create());
    HWND window = view.GetWindowHandle();
    EXPECT_EQ(SendMessageW(window, WM_ERASEBKGND, 0, 0), -1);
    SendMessageW(window, WM_PAINT, 0, 0);
    EXPECT_EQ(g_paints, 1);
    EXPECT_EQ(view.GetMemoryDc(), nullptr);
    view.GetBufferedFlag() = true;
    SendMessageW(window, WM_PAINT, 0, 0);
    EXPECT_EQ(g_paints, 2);
    ASSERT_NE(view.GetMemoryDc(), nullptr);
    ASSERT_NE(view.GetOffscreenBitmap(), nullptr);
    EXPECT_EQ(BitmapWidth(view.GetOffscreenBitmap()), 40);
    ASSERT_TRUE(view.SetRect(0, 0, 50, 30, 0));
    SendMessageW(window, WM_PAINT, 0, 0);
    EXPECT_EQ(BitmapWidth(view.GetOffscreenBitmap()), 50);
    view.GetBufferedFlag() = false;
    SendMessageW(window, WM_PAINT, 0, 0);
    EXPECT_EQ(view.GetMemoryDc(), nullptr);
    EXPECT_EQ(view.GetOffscreenBitmap(), nullptr);
    EXPECT_EQ(view.GetPendingPaints(), 0);
    m_frame->RemoveChild(&view);
    view.Destroy();
}

TEST_F(Win32BitmapViewTest, NestedPaintsAreNotServedReentrantly) {
    gui::Windows::CBitmapView view(0, 0, 40, 30, 0, true);
    view.GetPaintCallback() = &Callback;
    ASSERT_TRUE(m_frame->AddChild(&view));
    ASSERT_TRUE(view.Create());
    g_nested = true;
    SendMessageW(view.GetWindowHandle(), WM_PAINT, 0, 0);
    EXPECT_EQ(g_paints, 1);
    EXPECT_EQ(view.GetPendingPaints(), 2); // counted, left for the next paint
    g_nested = false;
    SendMessageW(view.GetWindowHandle(), WM_PAINT, 0, 0);
    EXPECT_EQ(g_paints, 2);
    EXPECT_EQ(view.GetPendingPaints(), 0);
    m_frame->RemoveChild(&view);
    view.Destroy();
}

} // namespace
