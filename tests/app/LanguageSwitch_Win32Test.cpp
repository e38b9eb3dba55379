// The language command in the real window: after it, the menu bar, the
// Emulation and Drives menus and the toolbar's buttons read, through the
// window system, in the language chosen, both ways and without a restart.
#include <gtest/gtest.h>

#include <string>

#include "common/CLocale.h"
#include "gui/windows/CButton.h"
#include "tests/app/AppTestSupport.h"

namespace {

using apptest::CProgramFolder;
using apptest::LanguageItem;
using apptest::MenuText;

std::u16string WindowText(gui::Windows::CButton* button) {
    return apptest::WindowText(button->GetWindowHandle());
}

TEST(LanguageSwitchTest, SwitchingToRussianRecaptionsMenusAndToolbar) {
    CProgramFolder folder("app-language");
    apptest::CStartedProgram program;
    ASSERT_TRUE(program.Start(
        "korvet", [](emu::CEmulatorManager& settings) { settings.guiLanguadge = common::CLocale::kEnglish; }));
    emu::CMainWindow* window = program.Window();
    emu::CMainMenu* menu = window->GetMainMenu();
    ASSERT_NE(menu, nullptr);
    ASSERT_TRUE(window->GetStartButton() != nullptr && window->GetPauseButton() != nullptr &&
                window->GetStopButton() != nullptr);

    struct CCase {
        int32_t language;
        const char16_t* emulation;
        const char16_t* start;
        const char16_t* pause;
        const char16_t* stop;
        const char16_t* drives;
        const char16_t* floppy1;
        const char16_t* loadFromFile;
    };
    const CCase cases[] = {
        {common::CLocale::kRussian, u"Эмуляция", u"Старт", u"Пауза", u"Стоп", u"Дисководы", u"Гибкий диск 1",
         u"Загрузить из файла"},
        {common::CLocale::kEnglish, u"Emulation", u"Start", u"Pause", u"Stop", u"Drives", u"Floppy Drive 1",
         u"Load From File"},
    };
    for (const CCase& c : cases) {
        gui::CMenuItem* item = LanguageItem(menu, c.language);
        ASSERT_NE(item, nullptr) << c.language;
        EXPECT_TRUE(item->Command(-1)) << c.language;
        EXPECT_EQ(window->GetManager().guiLanguadge, c.language);

        HMENU bar = GetMenu(window->GetWindowHandle());
        ASSERT_NE(bar, nullptr);
        EXPECT_EQ(MenuText(bar, 0), c.emulation) << c.language;
        EXPECT_EQ(MenuText(bar, 2), c.drives) << c.language;
        // Menu items carry their hot key after a tab.
        EXPECT_EQ(MenuText(GetSubMenu(bar, 0), 0).rfind(c.start, 0), 0u) << c.language;
        HMENU drives = GetSubMenu(bar, 2);
        EXPECT_EQ(MenuText(drives, 0), c.floppy1) << c.language;
        EXPECT_EQ(MenuText(GetSubMenu(drives, 0), 0), c.loadFromFile) << c.language;

        EXPECT_EQ(WindowText(window->GetStartButton()), c.start) << c.language;
        EXPECT_EQ(WindowText(window->GetPauseButton()), c.pause) << c.language;
        EXPECT_EQ(WindowText(window->GetStopButton()), c.stop) << c.language;
    }
}

} // namespace
