#include "gui/CWidget.h"

#include <gtest/gtest.h>

#include "gui/Units.h"
#include "tests/gui/WidgetTestSupport.h"

namespace {

using guitest::FakeContainer;
using guitest::FakeControl;
using guitest::FakePainter;

struct Counters {
    int m_moves = 0;
    int m_sizes = 0;
};

Counters* g_counters = nullptr;

bool CountMove(gui::CWidgetInterface*) {
    ++g_counters->m_moves;
    return true;
}

bool CountSize(gui::CWidgetInterface*) {
    ++g_counters->m_sizes;
    return true;
}

class CWidgetTest : public ::testing::Test {
protected:
    void SetUp() override {
        g_counters = &m_counters;
        m_savedDpi = gui::Windows::Dpi();
    }
    void TearDown() override {
        g_counters = nullptr;
        gui::Windows::Dpi() = m_savedDpi;
    }
    void Watch(gui::CWidgetInterface& widget) {
        widget.OnMoveCallback() = &CountMove;
        widget.OnSizeCallback() = &CountSize;
    }

    Counters m_counters;
    gui::Windows::CDpiValues m_savedDpi;
};

void ExpectRect(gui::CWidgetInterface& widget, int32_t x, int32_t y, int32_t width, int32_t height) {
    int32_t ax = 0;
    int32_t ay = 0;
    int32_t aw = 0;
    int32_t ah = 0;
    widget.GetRect(&ax, &ay, &aw, &ah);
    EXPECT_EQ(ax, x);
    EXPECT_EQ(ay, y);
    EXPECT_EQ(aw, width);
    EXPECT_EQ(ah, height);
}

TEST_F(CWidgetTest, SetRectReportsMoveAndSizeSeparately) {
    FakeControl widget(10, 10);
    Watch(widget);
    EXPECT_TRUE(widget.SetRect(5, 6, 10, 10, 0));
    EXPECT_EQ(m_counters.m_moves, 1);
    EXPECT_EQ(m_counters.m_sizes, 0);
    EXPECT_TRUE(widget.SetRect(5, 6, 20, 10, 0));
    EXPECT_EQ(m_counters.m_moves, 1);
    EXPECT_EQ(m_counters.m_sizes, 1);
    EXPECT_FALSE(widget.SetRect(5, 6, 20, 10, 0));
    ExpectRect(widget, 5, 6, 20, 10);
}

TEST_F(CWidgetTest, NegativeSizeKeepsThatSize) {
    FakeControl widget(30, 40);
    EXPECT_TRUE(widget.SetRect(7, 8, -1, 50, 0));
    ExpectRect(widget, 7, 8, 30, 50);
    widget.SetStoredRect(1, 2, 3, 4);
    int32_t x = 0;
    EXPECT_EQ(widget.GetStoredRect(&x, nullptr, nullptr, nullptr), 1);
    EXPECT_EQ(x, 1);
    // Nothing changes, but the stored rectangle is no longer valid.
    EXPECT_FALSE(widget.SetRect(7, 8, -1, -1, 0));
    EXPECT_EQ(widget.GetStoredRect(&x, nullptr, nullptr, nullptr), 0);
    EXPECT_EQ(x, 7);
}

TEST_F(CWidgetTest, SetRectConvertsUnitsWithTheLayoutDpi) {
    gui::Windows::SetupDpi(96, 96);
    FakeControl widget;
    widget.SetRect(1, 2, 10, 10, gui::Windows::kUnitMillimetres);
    ExpectRect(widget, 5, 11, 54, 54);
    widget.SetRect(0, 0, 10, 10, gui::Windows::kUnitTenthMillimetres);
    ExpectRect(widget, 0, 0, 5, 5);
}

TEST_F(CWidgetTest, SizeLimitsClampAndSwap) {
    FakeControl widget(200, 20);
    EXPECT_TRUE(widget.SetSizeLimits(100, 0, 50, 0));
    int32_t minWidth = 0;
    int32_t maxWidth = 0;
    widget.GetSizeLimits(&minWidth, nullptr, &maxWidth, nullptr);
    EXPECT_EQ(minWidth, 50);
    EXPECT_EQ(maxWidth, 100);
    ExpectRect(widget, 0, 0, 100, 20); // the current size follows at once
    widget.SetRect(0, 0, 10, 20, 0);
    ExpectRect(widget, 0, 0, 50, 20);

    // A maximum of 0 is no maximum; negative limits become 0 and report failure.
    EXPECT_FALSE(widget.SetSizeLimits(-5, 10, 0, 0));
    int32_t minHeight = 0;
    widget.GetSizeLimits(&minWidth, &minHeight, &maxWidth, nullptr);
    EXPECT_EQ(minWidth, 0);
    EXPECT_EQ(minHeight, 10);
    widget.SetRect(0, 0, 5000, 1, 0);
    ExpectRect(widget, 0, 0, 5000, 10);
}

TEST_F(CWidgetTest, BackgroundColourInvalidatesOnlyWhenItChanges) {
    FakeControl widget;
    gui::CColor colour;
    EXPECT_FALSE(widget.GetBackgroundColor(&colour));
    // Still none, though the value differs: nothing happens.
    widget.SetBackgroundColor(gui::CColor(true, 0x12345678));
    EXPECT_EQ(widget.m_invalidations, 0);
    widget.SetBackgroundColor(gui::CColor::FromArgb(0xFF102030));
    EXPECT_EQ(widget.m_invalidations, 1);
    ASSERT_TRUE(widget.GetBackgroundColor(&colour));
    EXPECT_FALSE(colour.m_none);
    EXPECT_EQ(colour.m_argb, 0xFF102030u);
    widget.SetBackgroundColor(gui::CColor::FromArgb(0xFF102030));
    EXPECT_EQ(widget.m_invalidations, 1);
    widget.SetBackgroundColor(gui::CColor());
    EXPECT_EQ(widget.m_invalidations, 2);
}

TEST_F(CWidgetTest, VisibilityWithAncestorsWalksUpToTheTop) {
    FakeContainer top;
    FakeControl* child = new FakeControl(10, 10);
    ASSERT_TRUE(top.AddChild(child));
    EXPECT_TRUE(child->IsVisible(true));
    top.SetVisible(false);
    EXPECT_TRUE(child->IsVisible(false));
    EXPECT_FALSE(child->IsVisible(true));
    top.SetVisible(true);
    child->SetVisible(false);
    EXPECT_FALSE(child->IsVisible(true));
}

TEST_F(CWidgetTest, DisabledEventsCallNoCallback) {
    FakeControl widget;
    Watch(widget);
    widget.SetEventsDisabled(true);
    widget.SetRect(1, 1, 5, 5, 0);
    EXPECT_EQ(m_counters.m_moves, 0);
    EXPECT_EQ(m_counters.m_sizes, 0);
    EXPECT_FALSE(widget.OnKey(65, true));
    EXPECT_FALSE(widget.OnMouse(0, 0, 1));
}

TEST_F(CWidgetTest, RedrawLockCountsAndNeverGoesNegative) {
    FakeControl widget;
    widget.LockRedraw(false);
    EXPECT_FALSE(widget.IsRedrawLocked(true));
    widget.LockRedraw(true);
    widget.LockRedraw(true);
    widget.LockRedraw(false);
    EXPECT_TRUE(widget.IsRedrawLocked(false));
    widget.LockRedraw(false);
    EXPECT_FALSE(widget.IsRedrawLocked(false));
}

TEST_F(CWidgetTest, WindowlessChildGetsTheParentsPainterAtItsOffset) {
    FakePainter painter;
    FakeContainer top;
    top.m_ownPainter = &painter;
    top.m_clientX = 3;
    top.m_clientY = 4;
    FakeControl* windowless = new FakeControl(10, 10);
    windowless->SetWindowless(true);
    FakeControl* windowed = new FakeControl(10, 10);
    ASSERT_TRUE(top.AddChild(windowless));
    ASSERT_TRUE(top.AddChild(windowed));
    windowless->SetRect(20, 30, 10, 10, 0);
    windowed->SetRect(20, 30, 10, 10, 0);
    int32_t x = -1;
    int32_t y = -1;
    EXPECT_EQ(windowless->GetPainter(&x, &y), &painter);
    EXPECT_EQ(x, 23);
    EXPECT_EQ(y, 34);
    EXPECT_EQ(windowed->GetPainter(&x, &y), &painter);
    EXPECT_EQ(x, 0);
    EXPECT_EQ(y, 0);
    FakeControl orphan;
    EXPECT_EQ(orphan.GetPainter(&x, &y), nullptr);
}

} // namespace
