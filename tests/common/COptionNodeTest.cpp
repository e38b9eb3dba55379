#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "common/CLocale.h"
#include "common/CNarrowString.h"
#include "common/COptionNode.h"
#include "common/CWideString.h"

using common::CLocale;
using common::CNarrowString;
using common::COptionNode;
using common::COptionNodeInterface;
using common::CWideString;

namespace {

std::string Name(const COptionNodeInterface* node) {
    return node->GetName().GetNarrow();
}

// Records every call and answers from its table.
struct CCallLog {
    std::vector<int> calls;
    bool answer = true;
};
struct CCallArgument {
    CCallLog* log;
    int id;
};
bool LoggedCall(uintptr_t argument) {
    CCallArgument* a = reinterpret_cast<CCallArgument*>(argument);
    a->log->calls.push_back(a->id);
    return a->log->answer;
}
uintptr_t Arg(CCallArgument& a) {
    return reinterpret_cast<uintptr_t>(&a);
}

class CTestLanguage : public CLocale {
public:
    bool LookupText(int32_t id, CWideString& text) const override {
        static const std::map<int32_t, const char*> kTexts = {{44, "Stretch to Window"}, {88, "Num5"}};
        const auto it = kTexts.find(id);
        if (it == kTexts.end())
            return false;
        text.AssignNarrow(it->second);
        return true;
    }
};

} // namespace

TEST(COptionNode, SeparatorIgnoresFlagsAndRefusesEverything) {
    COptionNode root;
    COptionNode* sep = root.CreateUnnamedChild();
    ASSERT_NE(nullptr, sep);
    EXPECT_TRUE(sep->IsLocked());
    EXPECT_EQ("", Name(sep));
    sep->SetChecked(true);
    sep->SetEnabled(true);
    EXPECT_FALSE(sep->IsChecked());
    EXPECT_FALSE(sep->IsEnabled());
    EXPECT_TRUE(sep->IsVisible());
    sep->SetVisible(false);
    EXPECT_FALSE(sep->IsVisible());
    sep->SetVisible(true);

    uint8_t byte = 0;
    uint32_t word = 0;
    CCallLog log;
    CCallArgument a{&log, 1};
    COptionNode other;
    EXPECT_EQ(nullptr, sep->CreateChild(CNarrowString("x")));
    EXPECT_EQ(nullptr, sep->CreateUnnamedChild());
    EXPECT_EQ(nullptr, sep->CreateCheckItem(CNarrowString("x"), &byte, 1, nullptr, 0));
    EXPECT_EQ(nullptr, sep->CreateRadioItem(CNarrowString("x"), &word, 1, nullptr, 0));
    const bool added[] = {
        sep->AddCheckedWhenNode(&other, true),
        sep->AddCheckedWhenNode(sep, true),
        sep->AddCheckedWhenCall(LoggedCall, Arg(a), 1),
        sep->AddCheckedWhenByte(&byte, 0),
        sep->AddCheckedWhenU32(&word, 0),
        sep->AddEnabledWhenNode(&other, true),
        sep->AddEnabledWhenCall(LoggedCall, Arg(a), 1),
        sep->AddEnabledWhenByte(&byte, 0),
        sep->AddEnabledWhenU32(&word, 0),
        sep->AddVisibleWhenNode(&other, true),
        sep->AddVisibleWhenByte(&byte, 1),
        sep->AddVisibleWhenU32(&word, 1),
        sep->AddActionActivate(&other),
        sep->AddActionCall(LoggedCall, Arg(a)),
        sep->AddActionSetChecked(&other, true),
        sep->AddActionToggleByte(&byte),
        sep->AddActionSetByte(&byte, 1),
        sep->AddActionSetBytes(&byte, 1, 1),
        sep->AddActionSetU32(&word, 1),
    };
    for (bool b : added)
        EXPECT_FALSE(b);
    EXPECT_TRUE(sep->IsVisible()); // the refused visible-when conditions play no part
    EXPECT_FALSE(sep->IsCheckable());
    EXPECT_FALSE(sep->Activate());
    EXPECT_TRUE(log.calls.empty());
    // A locked node still takes an existing node as a child.
    EXPECT_TRUE(sep->AddChild(root.NewNode(CNarrowString("adopted"))));
    EXPECT_EQ(1, sep->GetChildCount());
}

TEST(COptionNode, AddersRefuseNullTargets) {
    COptionNode node;
    EXPECT_FALSE(node.AddCheckedWhenNode(nullptr, true));
    EXPECT_FALSE(node.AddCheckedWhenCall(nullptr, 0, 1));
    EXPECT_FALSE(node.AddCheckedWhenByte(nullptr, 1));
    EXPECT_FALSE(node.AddEnabledWhenU32(nullptr, 1));
    EXPECT_FALSE(node.AddActionActivate(nullptr));
    EXPECT_FALSE(node.AddActionActivate(&node));
    EXPECT_FALSE(node.AddActionSetChecked(&node, true));
    EXPECT_FALSE(node.AddActionToggleByte(nullptr));
    EXPECT_FALSE(node.IsCheckable()); // refused checked-when entries leave it plain
    EXPECT_EQ(nullptr, node.CreateCheckItem(CNarrowString("x"), nullptr, 1, nullptr, 0));
    EXPECT_EQ(nullptr, node.CreateRadioItem(CNarrowString("x"), nullptr, 1, nullptr, 0));
    EXPECT_EQ(0, node.GetChildCount());
}

TEST(COptionNode, CheckItemFollowsAndTogglesItsByte) {
    COptionNode root;
    uint8_t flag = 2;
    uint8_t enable = 0;
    COptionNode* item = root.CreateCheckItem(CNarrowString("Trace"), &flag, 3, &enable, 1);
    ASSERT_NE(nullptr, item);
    EXPECT_EQ("Trace", Name(item));
    EXPECT_EQ(&root, item->GetParent());
    EXPECT_TRUE(item->IsCheckable());
    EXPECT_FALSE(item->GetCheckableFlag());
    EXPECT_FALSE(item->IsChecked());
    EXPECT_FALSE(item->IsEnabled());
    EXPECT_FALSE(item->Activate()); // disabled: the byte stays
    EXPECT_EQ(2, flag);
    enable = 1;
    EXPECT_TRUE(item->IsEnabled());
    EXPECT_TRUE(item->Activate());
    EXPECT_EQ(3, flag); // bit 0 flipped
    EXPECT_TRUE(item->IsChecked());
    EXPECT_TRUE(item->Activate());
    EXPECT_EQ(2, flag);
    EXPECT_FALSE(item->IsChecked());
    // Without an enable variable the item is always enabled.
    uint8_t plain = 1;
    COptionNode* always = root.CreateCheckItem(CNarrowString("Plain"), &plain, 1, nullptr, 1);
    EXPECT_TRUE(always->IsEnabled());
    EXPECT_TRUE(always->IsChecked());
}

TEST(COptionNode, RadioGroupShowsOneMarkAndReportsChangeOnce) {
    COptionNode root;
    uint32_t selected = 0x100;
    uint8_t started = 0;
    COptionNode* items[3];
    for (uint32_t i = 0; i < 3; ++i)
        items[i] = root.CreateRadioItem(CNarrowString("Selected"), &selected, 0x100 + i, &started, 0);
    EXPECT_TRUE(items[0]->GetCheckableFlag());
    EXPECT_TRUE(items[0]->IsCheckable());
    EXPECT_TRUE(items[0]->IsChecked());
    EXPECT_FALSE(items[1]->IsChecked());
    EXPECT_TRUE(items[2]->Activate());
    EXPECT_EQ(0x102u, selected);
    EXPECT_FALSE(items[2]->Activate()); // already holds the value
    EXPECT_FALSE(items[0]->IsChecked());
    EXPECT_TRUE(items[2]->IsChecked());
    selected = 0x2; // the whole 32-bit value is compared, not its low byte
    EXPECT_FALSE(items[2]->IsChecked());
    started = 1;
    EXPECT_FALSE(items[1]->Activate());
    EXPECT_EQ(0x2u, selected);
}

TEST(COptionNode, StoredFlagsApplyOnlyWithoutConditions) {
    COptionNode plain;
    plain.SetChecked(true);
    EXPECT_FALSE(plain.IsChecked()); // not checkable
    COptionNode self;
    EXPECT_TRUE(self.AddCheckedWhenNode(&self, true));
    EXPECT_TRUE(self.IsCheckable());
    EXPECT_FALSE(self.IsChecked());
    self.SetChecked(true);
    EXPECT_TRUE(self.IsChecked());
    COptionNode inverted;
    EXPECT_TRUE(inverted.AddCheckedWhenNode(&inverted, false));
    EXPECT_TRUE(inverted.IsChecked());
    inverted.SetChecked(true);
    EXPECT_FALSE(inverted.IsChecked());

    // With conditions the stored flag plays no part.
    uint8_t byte = 0;
    COptionNode node;
    node.AddEnabledWhenByte(&byte, 1);
    node.AddVisibleWhenByte(&byte, 1);
    EXPECT_FALSE(node.IsEnabled());
    EXPECT_FALSE(node.IsVisible());
    byte = 1;
    node.SetEnabled(false);
    node.SetVisible(false);
    EXPECT_TRUE(node.IsEnabled());
    EXPECT_TRUE(node.IsVisible());
    COptionNode self2;
    EXPECT_TRUE(self2.AddEnabledWhenNode(&self2, false));
    EXPECT_FALSE(self2.IsEnabled()); // the enabled flag starts true
    EXPECT_TRUE(self2.AddVisibleWhenNode(&self2, true));
    self2.SetVisible(false);
    EXPECT_FALSE(self2.IsVisible());
}

TEST(COptionNode, ConditionsStopAtTheFirstThatHolds) {
    CCallLog log;
    CCallArgument first{&log, 1}, second{&log, 2};
    COptionNode node;
    node.AddCheckedWhenCall(LoggedCall, Arg(first), 1);
    node.AddCheckedWhenCall(LoggedCall, Arg(second), 0);
    EXPECT_TRUE(node.IsChecked());
    EXPECT_EQ((std::vector<int>{1}), log.calls);
    log.calls.clear();
    log.answer = false;
    EXPECT_TRUE(node.IsChecked()); // the second wants false
    EXPECT_EQ((std::vector<int>{1, 2}), log.calls);

    log.calls.clear();
    node.AddEnabledWhenCall(LoggedCall, Arg(first), 1);
    EXPECT_FALSE(node.IsEnabled());
    log.answer = true;
    EXPECT_TRUE(node.IsEnabled());
}

TEST(COptionNode, NodeConditionsReadTheOtherNodesState) {
    COptionNode menu;
    uint8_t a = 0, b = 0;
    COptionNode* sub = menu.CreateChild(CNarrowString("Trace"));
    COptionNode* itemA = sub->CreateCheckItem(CNarrowString("A"), &a, 1, nullptr, 0);
    COptionNode* itemB = sub->CreateCheckItem(CNarrowString("B"), &b, 1, nullptr, 0);
    sub->AddCheckedWhenNode(itemA, true);
    sub->AddCheckedWhenNode(itemB, false); // the value is not compared for another node
    menu.AddCheckedWhenNode(sub, true);
    EXPECT_FALSE(sub->IsChecked());
    EXPECT_FALSE(menu.IsChecked());
    b = 1;
    EXPECT_TRUE(sub->IsChecked());
    EXPECT_TRUE(menu.IsChecked());

    uint8_t on = 0;
    COptionNode gate, follower;
    gate.AddEnabledWhenByte(&on, 1);
    gate.AddVisibleWhenByte(&on, 1);
    follower.AddEnabledWhenNode(&gate, true);
    follower.AddVisibleWhenNode(&gate, true);
    EXPECT_FALSE(follower.IsEnabled());
    EXPECT_FALSE(follower.IsVisible());
    on = 1;
    EXPECT_TRUE(follower.IsEnabled());
    EXPECT_TRUE(follower.IsVisible());
}

TEST(COptionNode, ConditionCycleEndsInsteadOfRecursing) {
    COptionNode a, b;
    a.AddCheckedWhenNode(&b, true);
    b.AddCheckedWhenNode(&a, true);
    EXPECT_FALSE(a.IsChecked());
    b.SetChecked(true);
    b.AddCheckedWhenNode(&b, true);
    EXPECT_TRUE(a.IsChecked());
}

TEST(COptionNode, ActivateRunsActionsInOrderAndReportsChange) {
    uint8_t bytes[4] = {9, 9, 9, 9};
    uint32_t word = 7;
    COptionNode node;
    EXPECT_FALSE(node.AddActionSetBytes(bytes, 1, 0));
    EXPECT_FALSE(node.AddActionSetBytes(nullptr, 1, 3));
    EXPECT_FALSE(node.Activate()); // no actions: nothing changed
    EXPECT_TRUE(node.AddActionSetBytes(bytes, 1, 3));
    EXPECT_TRUE(node.AddActionSetU32(&word, 0x12345678));
    EXPECT_TRUE(node.Activate());
    EXPECT_EQ(1, bytes[0]);
    EXPECT_EQ(1, bytes[1]);
    EXPECT_EQ(1, bytes[2]);
    EXPECT_EQ(9, bytes[3]);
    EXPECT_EQ(0x12345678u, word);
    EXPECT_FALSE(node.Activate()); // every variable already holds its value
    bytes[1] = 0;
    EXPECT_TRUE(node.Activate());

    COptionNode toggler;
    uint8_t flag = 0;
    toggler.AddActionToggleByte(&flag);
    EXPECT_TRUE(toggler.Activate());
    EXPECT_EQ(1, flag);
}

TEST(COptionNode, ActivateRefusesNodesWithChildrenOrHidden) {
    uint8_t flag = 0;
    COptionNode parent;
    parent.AddActionToggleByte(&flag);
    parent.CreateChild(CNarrowString("child"));
    EXPECT_FALSE(parent.Activate());
    EXPECT_EQ(0, flag);
    delete parent.RemoveChildAt(0);
    parent.SetVisible(false);
    EXPECT_FALSE(parent.Activate());
    parent.SetVisible(true);
    parent.SetEnabled(false);
    EXPECT_FALSE(parent.Activate());
    parent.SetEnabled(true);
    EXPECT_TRUE(parent.Activate());
    EXPECT_EQ(1, flag);
}

TEST(COptionNode, ActivateAndSetCheckedActionsDriveOtherNodes) {
    uint8_t flag = 0;
    COptionNode root;
    COptionNode* item = root.CreateCheckItem(CNarrowString("Item"), &flag, 1, nullptr, 0);
    COptionNode selectAll, clearAll, proxy;
    selectAll.AddActionSetChecked(item, true);
    clearAll.AddActionSetChecked(item, false);
    proxy.AddActionActivate(item);
    EXPECT_TRUE(selectAll.Activate());
    EXPECT_EQ(1, flag);
    EXPECT_FALSE(selectAll.Activate()); // already checked: nothing runs
    EXPECT_EQ(1, flag);
    EXPECT_TRUE(clearAll.Activate());
    EXPECT_EQ(0, flag);
    EXPECT_TRUE(proxy.Activate());
    EXPECT_EQ(1, flag);

    // Activating does not reach the wanted state: no change is reported, even
    // after an earlier action changed something.
    uint8_t other = 0;
    COptionNode stuck;
    stuck.AddCheckedWhenByte(&flag, 5);
    COptionNode mixed;
    mixed.AddActionSetByte(&other, 1);
    mixed.AddActionSetChecked(&stuck, true);
    EXPECT_FALSE(mixed.Activate());
    EXPECT_EQ(1, other);
}

TEST(COptionNode, CallActionsPassPointerArgumentsAndCountTheirAnswer) {
    CCallLog log;
    CCallArgument a{&log, 7};
    COptionNode node;
    node.AddActionCall(LoggedCall, Arg(a));
    EXPECT_TRUE(node.Activate());
    log.answer = false;
    EXPECT_FALSE(node.Activate());
    EXPECT_EQ((std::vector<int>{7, 7}), log.calls);
}

TEST(COptionNode, ActivationCycleEnds) {
    uint8_t flag = 0;
    COptionNode a, b;
    a.AddActionActivate(&b);
    b.AddActionActivate(&a);
    b.AddActionToggleByte(&flag);
    EXPECT_TRUE(a.Activate());
    EXPECT_EQ(1, flag);
}

TEST(COptionNode, AddChildOnceAndRemovedChildComesBack) {
    COptionNode root;
    COptionNode* child = root.NewNode(CNarrowString("c"));
    EXPECT_EQ(nullptr, child->GetParent());
    EXPECT_FALSE(root.AddChild(nullptr));
    EXPECT_TRUE(root.AddChild(child));
    EXPECT_TRUE(root.AddChild(child));
    EXPECT_EQ(1, root.GetChildCount());
    EXPECT_EQ(child, root.AddChildChecked(child));
    EXPECT_EQ(nullptr, root.AddChildChecked(nullptr));

    root.CreateChild(CNarrowString("d"));
    COptionNodeInterface* removed = root.RemoveChildAt(0);
    EXPECT_EQ(child, removed);
    EXPECT_EQ(nullptr, removed->GetParent());
    EXPECT_EQ("d", Name(root.GetChildAt(0)));
    EXPECT_TRUE(root.AddChild(removed)); // really added again
    EXPECT_EQ(2, root.GetChildCount());
    EXPECT_EQ(child, root.GetChildAt(1));
    EXPECT_EQ(nullptr, root.GetChildAt(2));
    EXPECT_EQ(nullptr, root.GetChildAt(-1));
    EXPECT_EQ(nullptr, root.RemoveChildAt(2));
}

TEST(COptionNode, SecondParentTakesTheNodeOver) {
    auto first = std::make_unique<COptionNode>();
    auto second = std::make_unique<COptionNode>();
    COptionNode* child = first->CreateChild(CNarrowString("moved"));
    first->CreateChild(CNarrowString("stays"));
    EXPECT_TRUE(second->AddChild(child));
    EXPECT_EQ(second.get(), child->GetParent());
    EXPECT_EQ(1, first->GetChildCount());
    EXPECT_EQ("stays", Name(first->GetChildAt(0)));
    first.reset(); // must not delete the moved child
    EXPECT_EQ("moved", Name(second->GetChildAt(0)));
}

TEST(COptionNode, CyclesAreRefused) {
    COptionNode root;
    COptionNode* mid = root.CreateChild(CNarrowString("mid"));
    COptionNode* leaf = mid->CreateChild(CNarrowString("leaf"));
    EXPECT_FALSE(root.AddChild(&root));
    EXPECT_FALSE(leaf->AddChild(mid));
    EXPECT_EQ(mid, leaf->GetParent());
    EXPECT_EQ(1, mid->GetChildCount());
}

TEST(COptionNode, DeletedChildLeavesItsParent) {
    COptionNode root;
    COptionNode* a = root.CreateChild(CNarrowString("a"));
    root.CreateChild(CNarrowString("b"));
    delete a;
    ASSERT_EQ(1, root.GetChildCount());
    EXPECT_EQ("b", Name(root.GetChildAt(0)));
    root.DeleteChildren();
    EXPECT_EQ(0, root.GetChildCount());
}

TEST(COptionNode, NotifyWalksUpToTheNearestHandler) {
    std::vector<std::pair<uintptr_t, COptionNodeInterface*>> seen;
    static std::vector<std::pair<uintptr_t, COptionNodeInterface*>>* s_seen;
    s_seen = &seen;
    auto handler = [](uintptr_t context, COptionNodeInterface* node) { s_seen->push_back({context, node}); };
    COptionNode root;
    COptionNode* mid = root.CreateChild(CNarrowString("mid"));
    COptionNode* leaf = mid->CreateChild(CNarrowString("leaf"));
    EXPECT_FALSE(leaf->Notify(nullptr));
    root.SetNotifyHandler(11, handler);
    EXPECT_TRUE(leaf->Notify(nullptr));
    mid->SetNotifyHandler(22, handler);
    EXPECT_TRUE(leaf->Notify(&root));
    ASSERT_EQ(2u, seen.size());
    EXPECT_EQ(11u, seen[0].first);
    EXPECT_EQ(leaf, seen[0].second);
    EXPECT_EQ(22u, seen[1].first);
    EXPECT_EQ(&root, seen[1].second);
}

TEST(COptionNode, NamesTextsAndTags) {
    CLocale::ResetLanguageTable();
    CLocale::RegisterLanguage(0, new CTestLanguage());
    CLocale::SelectLanguage(0);
    uint8_t flag = 1;
    uint32_t word = 0;
    COptionNode root;
    COptionNode* byId = root.CreateChildById(44);
    EXPECT_EQ("Stretch to Window", Name(byId));
    EXPECT_EQ(44, byId->GetTag());
    COptionNode* check = root.CreateCheckItemById(88, &flag, 1, nullptr, 0);
    EXPECT_EQ("Num5", Name(check));
    EXPECT_EQ(88, check->GetTag());
    EXPECT_TRUE(check->IsChecked());
    COptionNode* radio = root.CreateRadioItemById(99, &word, 0, nullptr, 0);
    EXPECT_EQ("", Name(radio)); // no text for the id
    EXPECT_EQ(99, radio->GetTag());
    EXPECT_EQ(-1, root.CreateChild(CNarrowString("x"))->GetTag());

    radio->SetName(CWideString(u"Named"));
    EXPECT_EQ(99, radio->GetTag());
    radio->SetNameById(-1);
    EXPECT_EQ("Named", Name(radio));
    EXPECT_EQ(-1, radio->GetTag());
    radio->SetNameById(44);
    EXPECT_EQ("Stretch to Window", Name(radio));
    radio->SetName(radio->GetName()); // naming a node after itself keeps the name
    EXPECT_EQ("Stretch to Window", Name(radio));
    radio->SetText(CNarrowString("description"));
    EXPECT_EQ(std::string("description"), radio->GetText().GetNarrow());
    EXPECT_TRUE(radio->GetValue()->SetUInt32(5));
    uint32_t value = 0;
    EXPECT_TRUE(radio->GetValue()->GetUInt32(value));
    EXPECT_EQ(5u, value);
    EXPECT_EQ(nullptr, *root.GetParentSlot());
    COptionNodeInterface** slot = radio->GetParentSlot();
    EXPECT_EQ(&root, *slot);
    *slot = nullptr; // the slot is the parent field itself
    EXPECT_EQ(nullptr, radio->GetParent());
    *slot = &root;
    EXPECT_EQ(&root, radio->GetParent());
    CLocale::ResetLanguageTable();
}
