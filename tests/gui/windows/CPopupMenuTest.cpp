// Menus: building a Win32 menu tree, dispatching choices and updates through
// the items' callbacks, texts by id across a language switch, removals.
#include "gui/CPopupMenu.h"

#include <gtest/gtest.h>

#include <vector>

#include "common/CLocale.h"
#include "gui/CMenuBar.h"
#include "gui/windows/Win32Api.h"

namespace {

std::vector<int32_t> g_calls; // data values of the items whose handler ran

bool RecordingHandler(gui::CMenuItem* item, int32_t index, int32_t mode, uintptr_t) {
    g_calls.push_back(item->DataValue() * 10 + (index + 1) + mode * 1000);
    return mode == gui::CMenuItem::kModeCommand;
}

bool Decline(gui::CMenuItem*, int32_t) {
    return false;
}

bool Claim(gui::CMenuItem*, int32_t) {
    return true;
}

common::CWideString Text(const char16_t* text) {
    return common::CWideString(text);
}

std::u16string EntryText(HMENU menu, UINT position) {
    wchar_t buffer[64] = {};
    GetMenuStringW(menu, position, buffer, 64, MF_BYPOSITION);
    return std::u16string(reinterpret_cast<const char16_t*>(buffer));
}

TEST(PopupMenuTest, SeparatorOnlyAfterAnItem) {
    gui::CPopupMenu menu;
    EXPECT_EQ(menu.AddSeparator(true), nullptr);
    ASSERT_NE(menu.AddItem(Text(u"One")), nullptr);
    gui::CMenuItem* separator = menu.AddSeparator(true);
    ASSERT_NE(separator, nullptr);
    EXPECT_TRUE(separator->IsSeparator());
    EXPECT_EQ(menu.AddSeparator(true), nullptr);
    EXPECT_NE(menu.AddSeparator(false), nullptr);
    EXPECT_EQ(menu.GetItemCount(), 3);
    EXPECT_EQ(GetMenuItemCount(menu.GetHandle()), 3);
    EXPECT_FALSE(separator->Command(-1));
}

TEST(PopupMenuTest, CommandGoesToTheChosenItemWhenTheMenuDeclines) {
    g_calls.clear();
    gui::CPopupMenu menu;
    menu.GetCommandCallback() = &Decline;
    for (int32_t i = 0; i < 3; ++i) {
        gui::CMenuItem* item = menu.AddItem(Text(u"Item"));
        ASSERT_NE(item, nullptr);
        item->DataValue() = i;
        item->GetHandler() = &RecordingHandler;
    }
    EXPECT_TRUE(menu.Command(2));
    ASSERT_EQ(g_calls.size(), 1u);
    EXPECT_EQ(g_calls[0], 20); // item 2, index -1, command mode
    EXPECT_FALSE(menu.Command(3));
    menu.GetCommandCallback() = &Claim;
    g_calls.clear();
    EXPECT_TRUE(menu.Command(1));
    EXPECT_TRUE(g_calls.empty());
}

TEST(PopupMenuTest, UpdatePassesThroughASubmenuThatClaimsIt) {
    g_calls.clear();
    gui::CMenuBar bar;
    gui::CPopupMenu* sub = bar.AddSubmenu(Text(u"Sub"), true, false, true);
    ASSERT_NE(sub, nullptr);
    EXPECT_TRUE(sub->IsSubmenu());
    sub->GetUpdateCallback() = &Claim;
    for (int32_t i = 1; i <= 2; ++i) {
        gui::CMenuItem* item = sub->AddCheckItem(Text(u"Check"), i == 2);
        ASSERT_NE(item, nullptr);
        EXPECT_TRUE(item->IsCheckable());
        item->DataValue() = i;
        item->GetHandler() = &RecordingHandler;
    }
    sub->GetItem(0)->UpdateAll(); // from any item, the pass starts at the root
    EXPECT_EQ(g_calls, (std::vector<int32_t>{1010, 1020}));
    EXPECT_EQ(GetSubMenu(bar.GetHandle(), 0), sub->GetHandle());
}

TEST(PopupMenuTest, UpdateAppliesEnabledAndChecked) {
    gui::CPopupMenu menu;
    gui::CMenuItem* item = menu.AddCheckItem(Text(u"Check"), false);
    ASSERT_NE(item, nullptr);
    item->SetEnabled(false);
    item->SetChecked(true);
    item->Update(true, false);
    const UINT state = GetMenuState(menu.GetHandle(), 0, MF_BYPOSITION);
    EXPECT_NE(state & MF_GRAYED, 0u);
    EXPECT_NE(state & MF_CHECKED, 0u);
    item->SetEnabled(true);
    item->SetChecked(false);
    item->Update(true, false);
    EXPECT_EQ(GetMenuState(menu.GetHandle(), 0, MF_BYPOSITION) & (MF_GRAYED | MF_CHECKED), 0u);
}

TEST(PopupMenuTest, SetTextAppliesOnlyChangesAndKeepsSubmenusAttached) {
    gui::CPopupMenu menu;
    gui::CMenuItem* item = menu.AddItem(Text(u"Old"));
    gui::CPopupMenu* sub = menu.AddSubmenu(Text(u"Sub"), true, false, true);
    ASSERT_NE(item, nullptr);
    ASSERT_NE(sub, nullptr);
    item->SetText(Text(u"New"));
    EXPECT_EQ(EntryText(menu.GetHandle(), 0), u"New");
    // Setting the same text again leaves the Win32 entry alone.
    ModifyMenuW(menu.GetHandle(), 0, MF_BYPOSITION | MF_STRING, 0, L"Outside");
    item->SetText(Text(u"New"));
    EXPECT_EQ(EntryText(menu.GetHandle(), 0), u"Outside");
    sub->SetText(Text(u"Renamed"));
    EXPECT_EQ(EntryText(menu.GetHandle(), 1), u"Renamed");
    EXPECT_EQ(GetSubMenu(menu.GetHandle(), 1), sub->GetHandle());
}

class TwoLanguages : public common::CLocale {
public:
    explicit TwoLanguages(bool russian) : m_russian(russian) {}
    bool LookupText(int32_t id, common::CWideString& text) const override {
        if (id == 7)
            text = common::CWideString(m_russian ? u"Файл" : u"File");
        else if (id == 8)
            text = common::CWideString(u"Same");
        else if (id == 9 && !m_russian)
            text = common::CWideString(u"Only English");
        else
            return false;
        return true;
    }
    bool m_russian;
};

TEST(PopupMenuTest, ReloadTextFollowsTheLanguage) {
    common::CLocale::ResetLanguageTable();
    common::CLocale::RegisterLanguage(0, new TwoLanguages(false));
    common::CLocale::RegisterLanguage(1, new TwoLanguages(true));
    common::CLocale::SelectLanguage(0);
    {
        gui::CMenuBar bar;
        gui::CPopupMenu* file = bar.AddSubmenuByTextId(7);
        ASSERT_NE(file, nullptr);
        gui::CMenuItem* same = file->AddItemByTextId(8);
        gui::CMenuItem* english = file->AddCheckItemByTextId(9);
        ASSERT_NE(same, nullptr);
        ASSERT_NE(english, nullptr);
        EXPECT_EQ(EntryText(bar.GetHandle(), 0), u"File");
        common::CLocale::SelectLanguage(1);
        bar.ReloadText();
        EXPECT_EQ(EntryText(bar.GetHandle(), 0), u"Файл");
        EXPECT_EQ(EntryText(file->GetHandle(), 0), u"Same");
        // An empty text for the id leaves the old one.
        EXPECT_EQ(EntryText(file->GetHandle(), 1), u"Only English");
        EXPECT_EQ(GetSubMenu(bar.GetHandle(), 0), file->GetHandle());
    }
    common::CLocale::ResetLanguageTable();
}

TEST(PopupMenuTest, RemovalsByTagGoFromTheEnd) {
    gui::CPopupMenu menu;
    const uintptr_t tags[] = {0, 5, 0, 6};
    for (uintptr_t tag : tags) {
        gui::CMenuItem* item = menu.AddItem(Text(tag == 0 ? u"Fixed" : u"Tagged"));
        ASSERT_NE(item, nullptr);
        item->Tag() = tag;
    }
    menu.RemoveItemsByTag(0, false);
    ASSERT_EQ(menu.GetItemCount(), 2);
    EXPECT_EQ(GetMenuItemCount(menu.GetHandle()), 2);
    EXPECT_EQ(EntryText(menu.GetHandle(), 0), u"Fixed");
    EXPECT_EQ(EntryText(menu.GetHandle(), 1), u"Fixed");
    // The remaining items still reach their own entries.
    menu.GetItem(1)->SetText(Text(u"Second"));
    EXPECT_EQ(EntryText(menu.GetHandle(), 1), u"Second");
    menu.RemoveItem(5); // outside: nothing
    menu.RemoveItem(0);
    EXPECT_EQ(menu.GetItemCount(), 1);
    EXPECT_EQ(EntryText(menu.GetHandle(), 0), u"Second");
    EXPECT_EQ(menu.GetItem(0)->GetPosition(), 0);
    menu.RemoveAllItems();
    EXPECT_EQ(menu.GetItemCount(), 0);
    EXPECT_EQ(GetMenuItemCount(menu.GetHandle()), 0);
}

} // namespace
