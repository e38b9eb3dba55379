// The language command in the real window: after it, the menu bar, the
// Emulation and Drives menus and the toolbar's buttons read, through the
// window system, in the language chosen, both ways and without a restart.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/CApplication.h"
#include "app/CEmulatorManager.h"
#include "app/CEmulatorSettings.h"
#include "app/CMainMenu.h"
#include "app/CMainWindow.h"
#include "common/CLocale.h"
#include "gui/windows/CButton.h"
#include "tests/app/AppTestSupport.h"

namespace {

using apptest::CProgramFolder;

std::u16string MenuText(HMENU menu, int position) {
    wchar_t text[128] = {};
    GetMenuStringW(menu, static_cast<UINT>(position), text, 128, MF_BYPOSITION);
    return std::u16string(text, text + wcslen(text));
}

std::u16string WindowText(gui::Windows::CButton* button) {
    wchar_t text[128] = {};
    GetWindowTextW(button->GetWindowHandle(), text, 128);
    return std::u16string(text, text + wcslen(text));
}

// The language submenu's item of the language.
gui::CMenuItem* LanguageItem(emu::CMainMenu* menu, int32_t language) {
    for (int32_t i = 0; i < menu->m_settingsMenu->GetItemCount(); ++i) {
        gui::CMenuItem* submenu = menu->m_settingsMenu->GetItem(i);
        for (int32_t j = 0; submenu != nullptr && j < submenu->GetItemCount(); ++j) {
            gui::CMenuItem* item = submenu->GetItem(j);
            if (item->GetHandler() == &emu::CMainWindow::OnMenuLanguage && item->DataValue() == language)
                return item;
        }
    }
    return nullptr;
}

TEST(LanguageSwitchTest, SwitchingToRussianRecaptionsMenusAndToolbar) {
    CProgramFolder folder("app-language");
    {
        emu::CEmulatorManager settings;
        settings.EmuDefaultConfig.AssignNarrow("korvet");
        settings.guiLanguadge = common::CLocale::kEnglish;
        settings.EmuDefaultSound.AssignNarrow("No Sound");
        ASSERT_TRUE(emu::CEmulatorSettings::Save(settings));
    }
    int32_t exitCode = -1;
    emu::CApplication application;
    ASSERT_TRUE(application.Startup(&exitCode, GetModuleHandleW(nullptr), nullptr, std::vector<common::CWideString>(),
                                    SW_HIDE));
    emu::CMainWindow* window = dynamic_cast<emu::CMainWindow*>(application.GetMainFrame());
    ASSERT_NE(window, nullptr);
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

    window->Close();
    application.Quit();
    g_pApplication = nullptr;
}

} // namespace
