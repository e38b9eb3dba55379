// The Computer menu of a configuration with sub-models, in the real window:
// a submenu of radio items whose data carry the sub-model above the
// configuration index, a switch to the configuration and between its
// sub-models, and the machine's option items that rename their levels and
// grey out while hidden.
#include <gtest/gtest.h>

#include <string>

#include "common/CNarrowString.h"
#include "emu/core/CEmulator.h"
#include "emu/framework/CComputer.h"
#include "emu/framework/COptionTree.h"
#include "gui/CPopupMenu.h"
#include "tests/app/AppTestSupport.h"

namespace {

using apptest::CProgramFolder;
using apptest::MenuText;

// Renames the submenu node and the item that runs it.
struct CRenamePair {
    common::COptionNodeInterface* level = nullptr;
    common::COptionNodeInterface* item = nullptr;
};

bool RenameLevels(uintptr_t argument) {
    auto* pair = reinterpret_cast<CRenamePair*>(argument);
    pair->level->SetName(common::CNarrowString("Level 1"));
    pair->item->SetName(common::CNarrowString("Renamed"));
    return true;
}

// A machine with two sub-models ("BIOS B" behind a separator) and, in its
// Computer option menu, a submenu holding a renaming item and a hidden one.
class CTwinMachine : public emu::CComputer {
public:
    CTwinMachine() { SetName("Twin"); }
    emu::CComputer* CreateSameModel() override { return new CTwinMachine(); }
    const char* GetConfigName() override { return "twin"; }
    const char* QueryFalse33(int32_t index, bool* separatorBefore) override {
        static const char* const kNames[] = {"BIOS A", "BIOS B"};
        if (index < 0 || index > 1)
            return nullptr;
        *separatorBefore = index == 1;
        return kNames[index];
    }
    int32_t QueryFalse34(int32_t submodel) override {
        if (submodel >= 0)
            m_submodel = submodel;
        return m_submodel;
    }
    void BuildMenu(emu::COptionTree* menu, int32_t kind) override {
        emu::CComputer::BuildMenu(menu, kind);
        if (kind != emu::CEmulator::kMenuComputer)
            return;
        m_rename.level = menu->CreateChild(common::CNarrowString("Level 0"));
        m_rename.item = m_rename.level->CreateChild(common::CNarrowString("Rename"));
        m_rename.item->AddActionCall(&RenameLevels, reinterpret_cast<uintptr_t>(&m_rename));
        m_rename.level->CreateChild(common::CNarrowString("Hidden"))->SetVisible(false);
    }

private:
    int32_t m_submodel = 0;
    CRenamePair m_rename;
};

bool MenuChecked(gui::CMenuItem* item) {
    return (GetMenuState(item->GetOwnerMenu()->GetHandle(), static_cast<UINT>(item->GetPosition()), MF_BYPOSITION) &
            MF_CHECKED) != 0;
}

gui::CMenuItem* FindByText(gui::CPopupMenu* menu, const char16_t* text) {
    for (int32_t i = 0; i < menu->GetItemCount(); ++i) {
        if (menu->GetItem(i)->GetText().GetText() == std::u16string(text))
            return menu->GetItem(i);
    }
    return nullptr;
}

TEST(CMainMenuTest, SubmodelsFormASubmenuThatSwitchesMachineAndSubmodel) {
    CProgramFolder folder("app-submodel");
    ASSERT_TRUE(folder.AddRoms());
    apptest::CStartedProgram program;
    ASSERT_TRUE(program.Start("korvet20"));
    emu::CMainWindow* window = program.Window();
    window->GetManager().AddConfigs(new CTwinMachine());
    ASSERT_EQ(window->GetManager().GetConfigCount(), 5);
    emu::CMainMenu* menu = window->GetMainMenu();
    ASSERT_TRUE(menu->BuildMenuBar());

    auto* twin = dynamic_cast<gui::CPopupMenu*>(FindByText(menu->m_computerMenu, u"Twin"));
    ASSERT_NE(twin, nullptr);
    ASSERT_EQ(twin->GetItemCount(), 3);
    gui::CMenuItem* biosA = twin->GetItem(0);
    gui::CMenuItem* biosB = twin->GetItem(2);
    EXPECT_TRUE(twin->GetItem(1)->IsSeparator());
    EXPECT_EQ(MenuText(twin, 0), u"BIOS A");
    EXPECT_EQ(MenuText(twin, 2), u"BIOS B");
    EXPECT_EQ(biosA->DataValue(), 4);
    EXPECT_EQ(biosB->DataValue(), (1 << 10) | 4);
    gui::CMenuItem* korvet20 = FindByText(menu->m_computerMenu, u"Korvet 2.0");
    ASSERT_NE(korvet20, nullptr);
    EXPECT_TRUE(MenuChecked(korvet20));
    EXPECT_FALSE(MenuChecked(twin));

    // Its second sub-model: the machine switches, then its sub-model.
    EXPECT_TRUE(biosB->Command(-1));
    EXPECT_EQ(window->GetSelectedConfig(), 4);
    ASSERT_NE(window->GetComputer()->GetMachine(), nullptr);
    EXPECT_EQ(window->GetComputer()->GetMachine()->QueryFalse34(-1), 1);
    EXPECT_TRUE(MenuChecked(twin));
    EXPECT_TRUE(MenuChecked(biosB));
    EXPECT_FALSE(MenuChecked(biosA));
    EXPECT_FALSE(MenuChecked(korvet20));
    // The first sub-model of the same machine: only the sub-model changes.
    emu::CComputer* machine = window->GetComputer()->GetMachine();
    EXPECT_TRUE(biosA->Command(-1));
    EXPECT_EQ(window->GetComputer()->GetMachine(), machine);
    EXPECT_EQ(machine->QueryFalse34(-1), 0);
    EXPECT_TRUE(MenuChecked(biosA));
    EXPECT_FALSE(MenuChecked(biosB));

    // The machine's option items: a hidden node greys its item; running an
    // item that renames itself and its submenu re-captions both levels.
    auto* level = dynamic_cast<gui::CPopupMenu*>(FindByText(menu->m_computerMenu, u"Level 0"));
    ASSERT_NE(level, nullptr);
    gui::CMenuItem* rename = FindByText(level, u"Rename");
    gui::CMenuItem* hidden = FindByText(level, u"Hidden");
    ASSERT_TRUE(rename != nullptr && hidden != nullptr);
    EXPECT_FALSE(hidden->IsVisible());
    EXPECT_NE(GetMenuState(level->GetHandle(), static_cast<UINT>(hidden->GetPosition()), MF_BYPOSITION) & MF_GRAYED,
              0u);
    EXPECT_TRUE(rename->Command(-1));
    EXPECT_EQ(MenuText(level, rename->GetPosition()), u"Renamed");
    EXPECT_EQ(MenuText(menu->m_computerMenu, level->GetPosition()), u"Level 1");
}

} // namespace
