#include "gui/CControl.h"

#include <gtest/gtest.h>

#include "gui/CFont.h"
#include "tests/gui/WidgetTestSupport.h"

namespace {

using guitest::FakeContainer;
using guitest::FakeControl;
using guitest::FakeControlContainer;

TEST(CControlTest, ParentCanChangeOnlyWhileNotCreated) {
    FakeContainer container;
    FakeControl control;
    EXPECT_TRUE(control.SetParent(&container));
    control.Create();
    EXPECT_FALSE(control.SetParent(nullptr));
    EXPECT_EQ(control.GetParentContainer(), &container);
    control.Destroy();
    EXPECT_TRUE(control.SetParent(nullptr));
}

TEST(CControlTest, EnabledWithAncestorsAsksEveryParentControl) {
    FakeContainer top;
    FakeControlContainer* panel = new FakeControlContainer(100, 100);
    top.AddChild(panel);
    FakeControl* button = new FakeControl(10, 10);
    panel->AddChild(button);
    EXPECT_TRUE(button->IsEnabled(true));
    panel->SetEnabled(false);
    EXPECT_TRUE(button->IsEnabled(false));
    EXPECT_FALSE(button->IsEnabled(true));
}

TEST(CControlTest, PaintFontIsTheNearestAncestorFontThatIsNotDefault) {
    FakeContainer top;
    FakeControlContainer* panel = new FakeControlContainer(100, 100);
    top.AddChild(panel);
    FakeControl* label = new FakeControl(10, 10);
    panel->AddChild(label);
    EXPECT_EQ(label->GetPaintFont(), nullptr);
    top.GetFont().SetSize(12);
    EXPECT_EQ(label->GetPaintFont(), &top.GetFont());
    panel->GetFont().SetStyleFlags(true, false);
    EXPECT_EQ(label->GetPaintFont(), &panel->GetFont());
}

TEST(CControlTest, ChangingAlignmentLaysTheParentOut) {
    FakeContainer container(100, 100);
    FakeControl* child = new FakeControl(20, 20, 0);
    container.AddChild(child);
    child->SetAlignment(3);
    int32_t width = 0;
    child->GetRect(nullptr, nullptr, &width, nullptr);
    EXPECT_EQ(width, 100);
}

TEST(CControlTest, ControlContainerRepaintsAndHitTestsAsContainer) {
    FakeContainer top(200, 200);
    FakeControlContainer* panel = new FakeControlContainer(100, 100);
    top.AddChild(panel);
    FakeControl* leaf = new FakeControl(10, 10);
    panel->AddChild(leaf);
    leaf->SetRect(5, 5, 10, 10, 0);
    int32_t x = 7;
    int32_t y = 7;
    EXPECT_EQ(top.HitTest(&x, &y), static_cast<gui::CWidgetInterface*>(leaf));
    // A locked panel still paints as a container would (only visibility counts).
    guitest::FakePainter painter;
    top.m_ownPainter = &painter;
    panel->LockRedraw(true);
    EXPECT_TRUE(panel->Repaint(0, 0, -1, -1, nullptr));
}

TEST(CFontTest, ChangesAreReportedWithTheirBits) {
    struct Owner : guitest::FakePainter {
        void OnFontChanged(uint32_t mask) override { m_masks.push_back(mask); }
        std::vector<uint32_t> m_masks;
    };
    Owner owner;
    gui::CFont font(&owner);
    EXPECT_TRUE(font.IsDefault());
    font.SetColor(gui::CColor(true, 0x123)); // still none: no change
    font.SetSize(-4);                        // becomes 0: no change
    EXPECT_TRUE(owner.m_masks.empty());
    font.Set(gui::CFontInterface::kFamilyArial, 10, gui::CColor::FromArgb(0xFFFF0000));
    ASSERT_EQ(owner.m_masks.size(), 1u);
    EXPECT_EQ(owner.m_masks[0], gui::CFontInterface::kChangedFamily | gui::CFontInterface::kChangedSize |
                                    gui::CFontInterface::kChangedColor);
    font.SetStyleFlags(true, true);
    int32_t style = 0;
    ASSERT_TRUE(font.GetStyle(&style));
    EXPECT_EQ(style, 3);
    gui::CFont copy;
    copy.Assign(&font);
    EXPECT_FALSE(copy.IsDefault());
    EXPECT_EQ(copy.GetSize(), 10);
    font.Reset();
    EXPECT_TRUE(font.IsDefault());
    EXPECT_EQ(owner.m_masks.back(), 15u);
}

} // namespace
