// The whole program under the window system: the application starts, the
// main window creates the computer, the menu's run-control items drive it, the
// Korvet 2.0 draws its screen, and a WM_CLOSE ends the loop with exit code 0
// and the settings saved.
#include <gtest/gtest.h>

#include <vector>

#include "app/CApplication.h"
#include "app/CEmulatorManager.h"
#include "app/CEmulatorSettings.h"
#include "app/CMainMenu.h"
#include "app/CMainWindow.h"
#include "app/TextIds.h"
#include "emu/core/CEmulator.h"
#include "emu/host/CRenderer.h"
#include "tests/app/AppTestSupport.h"

namespace {

using apptest::CProgramFolder;

// What the timer callback saw; the test reads it after the loop.
struct CRunRecord {
    emu::CMainWindow* window = nullptr;
    int ticks = 0;
    bool startedRunning = false;
    bool pausedInBreak = false;
    bool resumed = false;
    bool drewSomething = false;
    bool closed = false;
};

CRunRecord& Record() {
    static CRunRecord record;
    return record;
}

bool SurfaceHasColour(emu::CRenderer* renderer) {
    if (renderer == nullptr)
        return false;
    for (int32_t y = 0; y < renderer->GetHeight(); ++y) {
        const common::ARGB* row = renderer->GetRow(y);
        for (int32_t x = 0; row != nullptr && x < renderer->GetWidth(); ++x) {
            if ((row[x] & 0x00FFFFFFu) != 0)
                return true;
        }
    }
    return false;
}

// Runs on the user-interface thread from the message loop, every 50 ms.
void CALLBACK DriveTheWindow(HWND, UINT, UINT_PTR, DWORD) {
    CRunRecord& record = Record();
    emu::CMainWindow* window = record.window;
    if (window == nullptr || record.closed)
        return;
    emu::CEmulator* computer = window->GetComputer();
    emu::CMainMenu* menu = window->GetMainMenu();
    ++record.ticks;
    if (record.ticks == 1) {
        menu->m_startItem->Command(-1);
        record.startedRunning = computer->IsActive();
        return;
    }
    // About two seconds of emulation, then look at the screen while paused.
    if (record.ticks < 40)
        return;
    menu->m_pauseItem->Command(-1);
    record.pausedInBreak = computer->IsInBreak();
    computer->ShowConsole(false, false);
    record.drewSomething = SurfaceHasColour(computer->GetRenderer());
    menu->m_pauseItem->Command(-1);
    record.resumed = computer->IsActive() && !computer->IsInBreak();
    record.closed = true;
    PostMessageW(window->GetWindowHandle(), WM_CLOSE, 0, 0);
}

TEST(CMainWindowTest, RunsTheMachineAndClosesCleanly) {
    CProgramFolder folder("app-run");
    ASSERT_TRUE(folder.AddRoms());
    {
        emu::CEmulatorManager settings;
        settings.EmuDefaultConfig.AssignNarrow("korvet20");
        settings.guiMaximizeOnStartup = false;
        settings.EmuCaptureMouseOnDblClick = false;
        settings.EmuDefaultSound.AssignNarrow("No Sound");
        ASSERT_TRUE(emu::CEmulatorSettings::Save(settings));
    }

    int32_t exitCode = -1;
    {
        emu::CApplication application;
        ASSERT_TRUE(application.Startup(&exitCode, GetModuleHandleW(nullptr), nullptr,
                                        std::vector<common::CWideString>(), SW_SHOWNORMAL));
        EXPECT_EQ(g_pApplication, &application);
        emu::CMainWindow* window = dynamic_cast<emu::CMainWindow*>(application.GetMainFrame());
        ASSERT_NE(window, nullptr);
        ASSERT_NE(window->GetComputer(), nullptr);
        EXPECT_EQ(window->GetSelectedConfig(), 2);
        EXPECT_FALSE(window->GetComputer()->IsActive());
        // The title, then the status text of the stopped Korvet 2.0.
        const common::WideText caption = window->GetCaption().GetText();
        EXPECT_EQ(caption.rfind(u"NUV/Korvet Emulator - Korvet 2.0", 0), 0u);

        Record().window = window;
        const UINT_PTR timer = SetTimer(nullptr, 0, 50, &DriveTheWindow);
        ASSERT_NE(timer, 0u);
        exitCode = application.Run();
        KillTimer(nullptr, timer);
        application.Quit();
        g_pApplication = nullptr;
    }
    EXPECT_EQ(exitCode, 0);
    EXPECT_TRUE(Record().startedRunning);
    EXPECT_TRUE(Record().pausedInBreak);
    EXPECT_TRUE(Record().resumed);
    EXPECT_TRUE(Record().drewSomething);

    emu::CEmulatorManager saved;
    emu::CEmulatorSettings::Load(saved);
    EXPECT_EQ(saved.EmuDefaultConfig.CompareNarrow("korvet20"), 0);
    EXPECT_EQ(saved.GetSelectedSoundOutput(), 0);
}

// Every fixed item of the command table is on the bar with its handler, and
// the update pass follows a computer that is not running.
TEST(CMainWindowTest, CommandTableBuildsTheBar) {
    CProgramFolder folder("app-menu");
    int32_t count = 0;
    const emu::CMainMenu::CCommandEntry* table = emu::CMainMenu::GetCommandTable(&count);
    ASSERT_GT(count, 0);
    int commands = 0;
    for (int32_t i = 0; i < count; ++i) {
        if (table[i].kind == emu::CMainMenu::EntryKind::kSeparator) {
            EXPECT_EQ(table[i].handler, nullptr);
            continue;
        }
        ++commands;
        EXPECT_NE(table[i].handler, nullptr) << table[i].textId;
        EXPECT_GE(table[i].textId, 0);
    }
    EXPECT_EQ(commands, 14);

    int32_t exitCode = -1;
    emu::CApplication application;
    ASSERT_TRUE(application.Startup(&exitCode, GetModuleHandleW(nullptr), nullptr,
                                    std::vector<common::CWideString>(), SW_HIDE));
    emu::CMainWindow* window = dynamic_cast<emu::CMainWindow*>(application.GetMainFrame());
    ASSERT_NE(window, nullptr);
    emu::CMainMenu* menu = window->GetMainMenu();
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(menu->GetItemCount(), 10);
    ASSERT_NE(menu->m_emulationMenu, nullptr);
    EXPECT_EQ(menu->m_emulationMenu->GetItemCount(), 12);
    EXPECT_EQ(menu->m_computerMenu->GetItemCount() >= 4, true);
    EXPECT_EQ(menu->m_startItem->GetHandler(), &emu::CMainWindow::OnMenuStart);
    EXPECT_EQ(menu->m_pauseItem->GetHandler(), &emu::CMainWindow::OnMenuPause);
    EXPECT_EQ(menu->m_stopItem->GetHandler(), &emu::CMainWindow::OnMenuStop);
    EXPECT_EQ(menu->m_saveStateItem->GetHandler(), &emu::CMainWindow::OnMenuSaveState);
    EXPECT_EQ(menu->m_loadStateItem->GetHandler(), &emu::CMainWindow::OnMenuLoadState);
    // Four floppy drives: two submenus, a separator, two more.
    EXPECT_EQ(menu->m_drivesMenu->GetItemCount(), 5);

    // Commands that do not apply change nothing: Pause and Stop on a stopped computer.
    emu::CEmulator* computer = window->GetComputer();
    ASSERT_NE(computer, nullptr);
    EXPECT_TRUE(menu->m_pauseItem->Command(-1));
    EXPECT_TRUE(menu->m_stopItem->Command(-1));
    EXPECT_FALSE(computer->IsActive());
    // A Settings toggle flips its setting (data 1: auto-start).
    const bool autoStart = window->GetManager().guiAutoStartEmulation;
    gui::CMenuItem* autoStartItem = menu->m_settingsMenu->GetItem(1);
    ASSERT_NE(autoStartItem, nullptr);
    EXPECT_TRUE(autoStartItem->Command(-1));
    EXPECT_NE(window->GetManager().guiAutoStartEmulation, autoStart);

    window->Close();
    application.Quit();
    g_pApplication = nullptr;
}

} // namespace
