#include "gui/CContainer.h"

#include <gtest/gtest.h>

#include <vector>

#include "tests/gui/WidgetTestSupport.h"

namespace {

using guitest::FakeContainer;
using guitest::FakeControl;
using guitest::FakeControlContainer;
using guitest::FakePainter;
using guitest::PaintCall;

TEST(CContainerTest, AddChildRefusesNullSelfAndChildrenOfOthers) {
    FakeContainer first;
    FakeContainer second;
    FakeControl* child = new FakeControl(10, 10);
    EXPECT_FALSE(first.AddChild(nullptr));
    ASSERT_TRUE(first.AddChild(child));
    EXPECT_FALSE(second.AddChild(child));
    EXPECT_EQ(first.GetChildCount(), 1);
    EXPECT_EQ(second.GetChildCount(), 0);
    EXPECT_EQ(child->GetParent(), static_cast<gui::CWidgetInterface*>(&first));
    // Adding it again to its own container changes nothing.
    EXPECT_TRUE(first.AddChild(child));
    EXPECT_EQ(first.GetChildCount(), 1);

    FakeControlContainer* panel = new FakeControlContainer(50, 50);
    EXPECT_FALSE(panel->AddChild(panel));
    delete panel;
}

TEST(CContainerTest, AddChildRefusesAnAncestorOfTheContainer) {
    FakeControlContainer outer(100, 100);
    FakeControlContainer* inner = new FakeControlContainer(50, 50);
    ASSERT_TRUE(outer.AddChild(inner));
    FakeControlContainer* deeper = new FakeControlContainer(20, 20);
    ASSERT_TRUE(inner->AddChild(deeper));
    // outer has no parent of its own, yet taking it in would make a cycle.
    EXPECT_FALSE(deeper->AddChild(&outer));
    EXPECT_EQ(outer.GetParent(), nullptr);
}

TEST(CContainerTest, RemoveAndDeleteChildren) {
    FakeContainer container;
    bool deletedA = false;
    bool deletedB = false;
    FakeControl* a = new FakeControl(10, 10, 0, &deletedA);
    FakeControl* b = new FakeControl(10, 10, 0, &deletedB);
    FakeControl stranger;
    ASSERT_TRUE(container.AddChild(a));
    ASSERT_TRUE(container.AddChild(b));

    const int layoutsBefore = container.m_clientRectReads;
    EXPECT_FALSE(container.RemoveChild(&stranger));
    EXPECT_FALSE(container.RemoveChild(nullptr));
    EXPECT_EQ(container.m_clientRectReads, layoutsBefore); // no layout for a refused removal

    EXPECT_TRUE(container.RemoveChild(a));
    EXPECT_EQ(a->GetParent(), nullptr);
    EXPECT_EQ(container.GetChild(0), b);
    EXPECT_FALSE(deletedA);
    delete a;

    EXPECT_TRUE(container.DeleteChild(b));
    EXPECT_TRUE(deletedB);
    EXPECT_EQ(container.GetChildCount(), 0);
    EXPECT_EQ(container.GetChild(0), nullptr);
    EXPECT_EQ(container.GetChild(-1), nullptr);
}

TEST(CContainerTest, DestructorAndDeleteAllDeleteEveryChild) {
    bool deleted[3] = {};
    {
        FakeContainer container;
        container.AddChild(new FakeControl(1, 1, 0, &deleted[0]));
        container.AddChild(new FakeControl(1, 1, 0, &deleted[1]));
        container.DeleteAllChildren();
        EXPECT_TRUE(deleted[0]);
        EXPECT_TRUE(deleted[1]);
        container.AddChild(new FakeControl(1, 1, 0, &deleted[2]));
    }
    EXPECT_TRUE(deleted[2]);
}

TEST(CContainerTest, PointLookupFindsTheLastVisibleChild) {
    FakeContainer container;
    FakeControl* under = new FakeControl(50, 50);
    FakeControl* over = new FakeControl(50, 50);
    container.AddChild(under);
    container.AddChild(over);
    over->SetRect(20, 20, 50, 50, 0);
    EXPECT_EQ(container.GetChildAt(30, 30), over);
    EXPECT_EQ(container.GetChildAt(10, 10), under);
    EXPECT_EQ(container.GetChildAt(70, 70), nullptr); // right and bottom edges are outside
    over->SetVisible(false);
    EXPECT_EQ(container.GetChildAt(30, 30), under);
}

TEST(CContainerTest, HitTestDescendsThroughClientOrigins) {
    FakeContainer top(400, 300);
    top.SetRect(100, 100, 400, 300, 0);
    top.m_clientX = 5;
    top.m_clientY = 5;
    FakeControlContainer* panel = new FakeControlContainer(200, 100);
    top.AddChild(panel);
    panel->SetRect(10, 20, 200, 100, 0);
    panel->m_clientX = 2;
    panel->m_clientY = 2;
    FakeControl* leaf = new FakeControl(30, 30);
    panel->AddChild(leaf);
    leaf->SetRect(40, 40, 30, 30, 0);

    // Screen point: top at 100 + client 5 + panel 10 + client 2 + leaf 40 + 3.
    int32_t x = 100 + 5 + 10 + 2 + 40 + 3;
    int32_t y = 100 + 5 + 20 + 2 + 40 + 4;
    EXPECT_EQ(top.HitTest(&x, &y), static_cast<gui::CWidgetInterface*>(leaf));
    EXPECT_EQ(x, 3);
    EXPECT_EQ(y, 4);

    // Inside the panel but beside the leaf: the panel, in its own coordinates.
    x = 100 + 5 + 10 + 1;
    y = 100 + 5 + 20 + 1;
    EXPECT_EQ(top.HitTest(&x, &y), static_cast<gui::CWidgetInterface*>(panel));
    EXPECT_EQ(x, 1);
    EXPECT_EQ(y, 1);

    x = 99;
    y = 150;
    EXPECT_EQ(top.HitTest(&x, &y), nullptr);
    top.SetVisible(false);
    x = 150;
    EXPECT_EQ(top.HitTest(&x, &y), nullptr);
}

TEST(CContainerTest, RepaintWalksTheChildrenOverTheDirtyPart) {
    FakePainter painter;
    std::vector<PaintCall> log;
    FakeContainer top(200, 100);
    top.m_ownPainter = &painter;
    top.m_paintLog = &log;
    FakeControl* left = new FakeControl(50, 50);
    FakeControl* right = new FakeControl(50, 50);
    FakeControl* hidden = new FakeControl(50, 50);
    FakeControl* locked = new FakeControl(50, 50);
    for (FakeControl* child : {left, right, hidden, locked}) {
        child->m_paintLog = &log;
        top.AddChild(child);
    }
    left->SetRect(10, 10, 50, 50, 0);
    right->SetRect(120, 10, 50, 50, 0);
    hidden->SetRect(10, 10, 50, 50, 0);
    hidden->SetVisible(false);
    locked->SetRect(20, 20, 50, 50, 0);
    locked->LockRedraw(true);

    gui::CRect painted;
    // The part from x 40 to 139: the right half of left, the left part of right.
    ASSERT_TRUE(top.Repaint(40, 0, 100, 100, &painted));
    ASSERT_EQ(log.size(), 3u);
    EXPECT_EQ(log[0].m_widget, static_cast<gui::CWidgetInterface*>(&top));
    EXPECT_EQ(log[0].m_dirty, gui::CRect(40, 0, 139, 99));
    EXPECT_EQ(log[0].m_whole, gui::CRect(0, 0, 199, 99));
    EXPECT_EQ(log[1].m_widget, static_cast<gui::CWidgetInterface*>(left));
    EXPECT_EQ(log[1].m_dirty, gui::CRect(30, 0, 49, 49)); // its own coordinates
    EXPECT_EQ(log[2].m_widget, static_cast<gui::CWidgetInterface*>(right));
    EXPECT_EQ(log[2].m_dirty, gui::CRect(0, 0, 19, 49));
    EXPECT_EQ(painted, gui::CRect(0, 0, 139, 99));
    EXPECT_EQ(painter.m_begins, 3);
    EXPECT_FALSE(painter.IsPainting());
}

TEST(CContainerTest, RepaintClipsToTheWidgetAndSkipsEmptyParts) {
    FakePainter painter;
    std::vector<PaintCall> log;
    FakeContainer top(100, 100);
    top.m_ownPainter = &painter;
    top.m_paintLog = &log;
    gui::CRect painted;
    EXPECT_TRUE(top.Repaint(-10, 90, -1, 50, &painted));
    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(log[0].m_dirty, gui::CRect(0, 90, 89, 99));
    EXPECT_FALSE(top.Repaint(100, 0, 10, 10, &painted));
    painter.m_refuse = true;
    EXPECT_FALSE(top.Repaint(0, 0, -1, -1, &painted));
    top.SetVisible(false);
    painter.m_refuse = false;
    EXPECT_FALSE(top.Repaint(0, 0, -1, -1, &painted));
    EXPECT_EQ(log.size(), 1u);
}

TEST(CContainerTest, PaddingChangesLayOutAgain) {
    FakeContainer container;
    const int before = container.m_clientRectReads;
    container.SetPadding(0, 0, 0, 0);
    EXPECT_EQ(container.m_clientRectReads, before);
    container.SetPadding(3, 3, 3, 3);
    EXPECT_EQ(container.m_clientRectReads, before + 1);
    int32_t left = 0;
    container.GetPadding(&left, nullptr, nullptr, nullptr);
    EXPECT_EQ(left, 3);
}

TEST(CContainerTest, BroadcastRefreshesEveryChild) {
    struct RefreshCounter : FakeControl {
        void Refresh() override { ++m_refreshes; }
        int m_refreshes = 0;
    };
    FakeContainer container;
    RefreshCounter* a = new RefreshCounter;
    RefreshCounter* b = new RefreshCounter;
    container.AddChild(a);
    container.AddChild(b);
    container.BroadcastToChildren();
    EXPECT_EQ(a->m_refreshes, 1);
    EXPECT_EQ(b->m_refreshes, 1);
}

} // namespace
