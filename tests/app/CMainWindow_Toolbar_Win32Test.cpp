// The toolbar and the captions of the real window: a language switch
// re-captions menus, Drives submenus, toolbar buttons and the title both
// ways without a restart, choosing a renderer greys Start until the next
// toolbar refresh, and a user-interface timer that falls behind tells the
// computer.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "common/CLocale.h"
#include "emu/core/CEmulator.h"
#include "gui/CPopupMenu.h"
#include "gui/windows/CButton.h"
#include "tests/app/AppTestSupport.h"

namespace {

using apptest::CProgramFolder;
using apptest::MenuText;
using apptest::WindowText;

class CMainWindowToolbarTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_folder.AddRoms());
        m_program = std::make_unique<apptest::CStartedProgram>();
        ASSERT_TRUE(m_program->Start("korvet20", [](emu::CEmulatorManager& settings) {
            settings.EmuCaptureMouseOnDblClick = false;
            settings.guiLanguadge = 0;
        }));
        m_window = m_program->Window();
        m_menu = m_window->GetMainMenu();
    }
    void TearDown() override {
        m_program.reset();
        common::CLocale::SelectLanguage(0);
    }
    gui::CMenuItem* LanguageItem(int32_t language) { return apptest::LanguageItem(m_menu, language); }

    CProgramFolder m_folder{"app-captions"};
    std::unique_ptr<apptest::CStartedProgram> m_program;
    emu::CMainWindow* m_window = nullptr;
    emu::CMainMenu* m_menu = nullptr;
};

TEST_F(CMainWindowToolbarTest, LanguageSwitchRecaptionsTheWholeWindowBothWays) {
    emu::CEmulator* computer = m_window->GetComputer();
    ASSERT_NE(computer, nullptr);
    computer->Start(false, false);
    ASSERT_TRUE(computer->IsActive());
    struct CCase {
        int32_t language;
        const char16_t* emulation;
        const char16_t* floppy;
        const char16_t* start;
        const char16_t* pause;
        const char16_t* stop;
        const char16_t* speed;
    };
    const CCase cases[] = {
        {1, u"Эмуляция", u"Гибкий диск 1", u"Старт", u"Пауза", u"Стоп", u", Скорость="},
        {0, u"Emulation", u"Floppy Drive 1", u"Start", u"Pause", u"Stop", u", Speed="},
    };
    for (const CCase& c : cases) {
        gui::CMenuItem* item = LanguageItem(c.language);
        ASSERT_NE(item, nullptr);
        EXPECT_TRUE(item->Command(-1));
        EXPECT_EQ(MenuText(m_menu, 0), c.emulation) << c.language;
        EXPECT_EQ(MenuText(m_menu->m_drivesMenu, 0), c.floppy) << c.language;
        EXPECT_EQ(WindowText(m_window->GetStartButton()->GetWindowHandle()), c.start) << c.language;
        EXPECT_EQ(WindowText(m_window->GetPauseButton()->GetWindowHandle()), c.pause) << c.language;
        EXPECT_EQ(WindowText(m_window->GetStopButton()->GetWindowHandle()), c.stop) << c.language;
        // The title is wide text: the Russian speed caption keeps its letters.
        EXPECT_NE(WindowText(m_window->GetWindowHandle()).find(c.speed), std::u16string::npos) << c.language;
        EXPECT_EQ(LanguageItem(1 - c.language)->GetText().GetText(), c.language == 1 ? u"English" : u"Russian");
    }
    computer->Stop();
}

TEST_F(CMainWindowToolbarTest, ChoosingARendererGreysStartUntilTheToolbarRefresh) {
    gui::Windows::CButton* start = m_window->GetStartButton();
    ASSERT_TRUE(start->IsEnabled(false));
    gui::CMenuItem* other = nullptr;
    for (int32_t i = 0; i < m_menu->m_videoMenu->GetItemCount(); ++i) {
        gui::CMenuItem* item = m_menu->m_videoMenu->GetItem(i);
        if (item->GetHandler() == &emu::CMainWindow::OnMenuSelectRenderer &&
            item->DataValue() != m_window->GetManager().GetSelectedRenderer())
            other = item;
    }
    ASSERT_NE(other, nullptr);
    EXPECT_TRUE(other->Command(-1));
    EXPECT_FALSE(start->IsEnabled(false)) << "greyed while the renderer changes";
    EXPECT_TRUE(m_menu->m_startItem->IsEnabled()) << "the update pass enables the item again";
    m_window->UpdateToolbar();
    EXPECT_TRUE(start->IsEnabled(false));
}

TEST_F(CMainWindowToolbarTest, ATimerThatFallsBehindRaisesTheUiLateness) {
    emu::CEmulator* computer = m_window->GetComputer();
    ASSERT_NE(computer, nullptr);
    const int32_t before = computer->GetUiLateness();
    // Two passes 1/10 s apart: far fewer than 15 calls in the sync period.
    emu::CMainWindow::OnTimer(m_window, 0, nullptr);
    Sleep(100);
    emu::CMainWindow::OnTimer(m_window, 0, nullptr);
    EXPECT_GT(computer->GetUiLateness(), before);
}

} // namespace
