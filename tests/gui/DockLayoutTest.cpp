// The dock layout of containers: placement by alignment code, priority groups
// hidden when the children do not fit, fill children, measured widths.
#include <gtest/gtest.h>

#include "gui/CContainer.h"
#include "tests/gui/WidgetTestSupport.h"

namespace {

using guitest::FakeContainer;
using guitest::FakeControl;
using guitest::FakePainter;

struct Rect {
    int32_t x, y, w, h;
};

Rect RectOf(gui::CWidgetInterface* widget) {
    Rect r{};
    widget->GetRect(&r.x, &r.y, &r.w, &r.h);
    return r;
}

void ExpectRect(gui::CWidgetInterface* widget, Rect expected, const char* what) {
    const Rect r = RectOf(widget);
    EXPECT_EQ(r.x, expected.x) << what;
    EXPECT_EQ(r.y, expected.y) << what;
    EXPECT_EQ(r.w, expected.w) << what;
    EXPECT_EQ(r.h, expected.h) << what;
}

FakeControl* Add(FakeContainer& container, int32_t width, int32_t height, int32_t alignment, int32_t group = 0) {
    FakeControl* child = new FakeControl(width, height, alignment);
    child->SetPriorityGroup(group);
    EXPECT_TRUE(container.AddChild(child));
    return child;
}

TEST(DockLayoutTest, EdgesTakeFromTheFreeAreaAndFillTakesTheRest) {
    FakeContainer container(400, 300);
    FakeControl* top = Add(container, 0, 50, 3);
    FakeControl* left = Add(container, 40, 0, 1);
    FakeControl* right = Add(container, 30, 0, 2);
    FakeControl* bottom = Add(container, 0, 20, 4);
    FakeControl* fill = Add(container, 0, 0, 6);
    container.Layout();
    ExpectRect(top, {0, 0, 400, 50}, "top");
    ExpectRect(left, {0, 50, 40, 250}, "left");
    ExpectRect(right, {370, 50, 30, 250}, "right");
    ExpectRect(bottom, {40, 280, 330, 20}, "bottom");
    ExpectRect(fill, {40, 50, 330, 230}, "fill");
}

TEST(DockLayoutTest, KeepSizeCodesPlaceByTheirCorners) {
    struct Case {
        int32_t m_code;
        Rect m_expected;
    };
    // Free area 400 x 300, child 40 x 20.
    const Case cases[] = {
        {7, {0, 140, 40, 20}},    {8, {360, 140, 40, 20}},  {9, {180, 0, 40, 20}},
        {10, {180, 280, 40, 20}}, {11, {0, 0, 40, 20}},     {12, {360, 0, 40, 20}},
        {13, {0, 280, 40, 20}},   {14, {360, 280, 40, 20}}, {5, {180, 140, 40, 20}},
    };
    for (const Case& c : cases) {
        FakeContainer container(400, 300);
        FakeControl* child = Add(container, 40, 20, c.m_code);
        container.Layout();
        ExpectRect(child, c.m_expected, ("code " + std::to_string(c.m_code)).c_str());
    }
}

TEST(DockLayoutTest, BottomChildrenStackUpward) {
    FakeContainer container(100, 100);
    FakeControl* first = Add(container, 0, 10, 4);
    FakeControl* second = Add(container, 0, 15, 4);
    ExpectRect(first, {0, 90, 100, 10}, "first");
    ExpectRect(second, {0, 75, 100, 15}, "second");
}

TEST(DockLayoutTest, CentredChildIgnoresDockedSpaceAndTakesNone) {
    FakeContainer container(400, 300);
    Add(container, 0, 100, 3);
    FakeControl* centred = Add(container, 100, 50, 5);
    FakeControl* below = Add(container, 0, 10, 3);
    ExpectRect(centred, {150, 125, 100, 50}, "centred");
    ExpectRect(below, {0, 100, 400, 10}, "below");
}

TEST(DockLayoutTest, EdgeMovesByTheSizeTheChildActuallyTook) {
    FakeContainer container(200, 200);
    FakeControl* limited = new FakeControl(0, 80, 3);
    limited->SetSizeLimits(0, 0, 0, 30);
    container.AddChild(limited);
    FakeControl* next = Add(container, 0, 10, 3);
    ExpectRect(limited, {0, 0, 200, 30}, "limited");
    ExpectRect(next, {0, 30, 200, 10}, "next");
}

TEST(DockLayoutTest, StoredRectangleChildKeepsItsOwnPlace) {
    FakeContainer container(200, 200);
    FakeControl* free = Add(container, 20, 20, 0);
    free->SetRect(33, 44, 20, 20, 0);
    Add(container, 0, 10, 3);
    container.Layout();
    ExpectRect(free, {33, 44, 20, 20}, "free");
}

TEST(DockLayoutTest, PriorityGroupsAreHiddenInTurnUntilTheRestFits) {
    FakeContainer container(100, 50);
    FakeControl* keep = Add(container, 40, 0, 1, 0);
    FakeControl* g1 = Add(container, 40, 0, 1, 1);
    FakeControl* g2 = Add(container, 40, 0, 1, 2);
    FakeControl* g3 = Add(container, 40, 0, 1, 3);
    FakeControl* g4 = Add(container, 40, 0, 1, 4);

    // 200 wanted, 150 there: group 1 goes (160 still too wide), then group 2.
    container.SetRect(0, 0, 150, 50, 0);
    container.Layout();
    EXPECT_TRUE(keep->IsVisible(false));
    EXPECT_FALSE(g1->IsVisible(false));
    EXPECT_FALSE(g2->IsVisible(false));
    EXPECT_TRUE(g3->IsVisible(false));
    EXPECT_TRUE(g4->IsVisible(false));
    ExpectRect(g3, {40, 0, 40, 50}, "g3 moves up to the kept child");

    // Wide enough again: the next layout shows every group.
    container.SetRect(0, 0, 400, 50, 0);
    container.Layout();
    for (FakeControl* child : {g1, g2, g3, g4})
        EXPECT_TRUE(child->IsVisible(false));

    // Too narrow for anything but the ungrouped child: every group goes, it stays.
    container.SetRect(0, 0, 10, 50, 0);
    container.Layout();
    EXPECT_TRUE(keep->IsVisible(false));
    for (FakeControl* child : {g1, g2, g3, g4})
        EXPECT_FALSE(child->IsVisible(false));
    ExpectRect(keep, {0, 0, 40, 50}, "the last placement stays in force");
}

TEST(DockLayoutTest, NonDockingAlignmentsKeepNoPriorityGroup) {
    FakeControl child(10, 10, 5);
    EXPECT_FALSE(child.SetPriorityGroup(2));
    EXPECT_EQ(child.GetPriorityGroup(), 0);
    child.SetAlignment(1);
    EXPECT_TRUE(child.SetPriorityGroup(2));
    EXPECT_FALSE(child.SetPriorityGroup(5));
    child.SetAlignment(6);
    EXPECT_EQ(child.GetPriorityGroup(), 0);
}

TEST(DockLayoutTest, TwoFillChildrenOverlap) {
    FakeContainer container(100, 80);
    Add(container, 0, 20, 3);
    FakeControl* a = Add(container, 0, 0, 6);
    FakeControl* b = Add(container, 0, 0, 6);
    ExpectRect(a, {0, 20, 100, 60}, "a");
    ExpectRect(b, {0, 20, 100, 60}, "b");
}

TEST(DockLayoutTest, MeasuredWidthStartsFromTheConstructionRectangle) {
    FakeContainer container(400, 100);
    FakeControl* fixed = Add(container, 0, 0, 15);
    fixed->SetConstruction(43, 0, 86, 0); // x acts as the least width
    FakeControl* narrow = Add(container, 0, 0, 15);
    narrow->SetConstruction(50, 0, 20, 0);
    container.Layout();
    ExpectRect(fixed, {0, 0, 86, 100}, "fixed");
    ExpectRect(narrow, {86, 0, 50, 100}, "narrow");

    // A control that measures itself is asked in the first pass when there is a painter.
    FakePainter painter;
    container.m_ownPainter = &painter;
    narrow->m_measures = true;
    narrow->m_measure = gui::CRect(10, 0, 70, 0);
    container.Layout();
    ExpectRect(narrow, {86, 0, 70, 100}, "measured");
}

TEST(DockLayoutTest, EmptyContainerOnlyTouchesItsOwnLock) {
    FakeContainer container(10, 10);
    container.Layout();
    EXPECT_EQ(container.GetRedrawLockCount(), 0);
    EXPECT_FALSE(container.IsRedrawLocked(false));
}

TEST(DockLayoutTest, RequestsDuringALayoutAreDropped) {
    static FakeContainer* s_container = nullptr;
    FakeContainer container(100, 100);
    s_container = &container;
    FakeControl* child = Add(container, 0, 10, 3);
    child->OnSizeCallback() = [](gui::CWidgetInterface*) {
        s_container->Layout();
        return true;
    };
    const int before = container.m_clientRectReads;
    container.SetRect(0, 0, 150, 100, 0);
    container.Layout();
    EXPECT_EQ(container.m_clientRectReads, before + 1);
    ExpectRect(child, {0, 0, 150, 10}, "child");
    EXPECT_FALSE(child->IsRedrawLocked(false));
    s_container = nullptr;
}

TEST(DockLayoutTest, NoClientAreaMeansNoLayout) {
    FakeContainer container(100, 100);
    container.m_hasClient = false;
    FakeControl* child = Add(container, 0, 10, 3);
    ExpectRect(child, {0, 0, 0, 10}, "untouched");
}

} // namespace
