// The Win32 panel: its client area inside the border, its face and edge.
#include "gui/windows/CPanel.h"

#include "gui/windows/CPainter.h"
#include "tests/gui/windows/ControlTestSupport.h"

namespace {

class Win32PanelTest : public guitest::ControlFixture {};

struct ClientCase {
    int32_t width;
    int32_t style;
    bool left, top, right, bottom;
    int32_t x, y, w, h;
};

TEST_F(Win32PanelTest, ClientAreaLeavesRoomForTheBorder) {
    const ClientCase cases[] = {
        {40, gui::CPanelInterface::kBorderNone, true, true, true, true, 0, 0, 40, 30},
        {40, gui::CPanelInterface::kBorderSunken, false, true, false, true, 0, 2, 40, 26},
        {40, gui::CPanelInterface::kBorderRaised, true, true, true, true, 2, 2, 36, 26},
        {3, gui::CPanelInterface::kBorderEtched, true, false, true, false, 0, 0, 0, 30},
    };
    for (const ClientCase& c : cases) {
        gui::Windows::CPanel panel(0, 0, c.width, 30, 0, c.style, true);
        panel.SetBorderSides(c.left, c.top, c.right, c.bottom);
        ASSERT_TRUE(m_frame->AddChild(&panel));
        ASSERT_TRUE(panel.Create());
        int32_t x = -1, y = -1, w = -1, h = -1;
        panel.GetClientRect(&x, &y, &w, &h);
        EXPECT_EQ(x, c.x) << c.width << " " << c.style;
        EXPECT_EQ(y, c.y) << c.width << " " << c.style;
        EXPECT_EQ(w, c.w) << c.width << " " << c.style;
        EXPECT_EQ(h, c.h) << c.width << " " << c.style;
        m_frame->RemoveChild(&panel);
        panel.Destroy();
    }
}

TEST_F(Win32PanelTest, FillsWithTheFaceAndDrawsTheEdge) {
    gui::Windows::CPanel panel(0, 0, 20, 20, 0, gui::CPanelInterface::kBorderSunken, true);
    ASSERT_TRUE(m_frame->AddChild(&panel));
    ASSERT_TRUE(panel.Create());
    EXPECT_EQ(SendMessageW(panel.GetWindowHandle(), WM_ERASEBKGND, 0, 0), 1);
    gui::Windows::CDcPainter painter(panel.GetWindowHandle(), m_dc);
    ASSERT_TRUE(painter.Begin());
    EXPECT_TRUE(panel.Paint(&painter, gui::CRect(0, 0, 19, 19), gui::CRect(0, 0, 19, 19), nullptr));
    painter.End();
    EXPECT_EQ(At(10, 10), GetSysColor(COLOR_BTNFACE));
    EXPECT_NE(At(0, 10), GetSysColor(COLOR_BTNFACE)); // the sunken edge
    EXPECT_EQ(At(20, 20), RGB(255, 255, 255));
    panel.SetBorderStyle(gui::CPanelInterface::kBorderNone);
    Clear();
    painter.SetWindowAndDc(panel.GetWindowHandle(), m_dc); // End forgot the given DC
    ASSERT_TRUE(painter.Begin());
    EXPECT_TRUE(panel.Paint(&painter, gui::CRect(0, 0, 19, 19), gui::CRect(0, 0, 19, 19), nullptr));
    painter.End();
    EXPECT_EQ(At(0, 10), GetSysColor(COLOR_BTNFACE));
    m_frame->RemoveChild(&panel);
    panel.Destroy();
}

} // namespace
