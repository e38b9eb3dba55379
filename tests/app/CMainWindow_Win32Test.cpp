// The whole program under the window system: the application starts, the
// main window creates the computer, the menu's run-control items drive it, the
// Korvet 2.0 draws its screen, and a WM_CLOSE ends the loop with exit code 0
// and the settings saved.
#include <gtest/gtest.h>

#include <windows.h>
// The common dialog messages and control ids; they need windows.h first.
#include <commdlg.h>
#include <dlgs.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "app/TextIds.h"
#include "common/CPath.h"
#include "emu/core/CEmulator.h"
#include "emu/framework/CMediaSlot.h"
#include "emu/host/CRenderer.h"
#include "gui/CPopupMenu.h"
#include "gui/windows/CButton.h"
#include "gui/windows/CPanel.h"
#include "gui/windows/CPicture.h"
#include "tests/app/AppTestSupport.h"

namespace {

using apptest::Boxes;
using apptest::CProgramFolder;
using apptest::CStartedProgram;

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
    auto windowed = [](emu::CEmulatorManager& settings) {
        settings.guiMaximizeOnStartup = false;
        settings.EmuCaptureMouseOnDblClick = false;
    };

    int32_t exitCode = -1;
    {
        CStartedProgram program;
        ASSERT_TRUE(program.Start("korvet20", windowed, SW_SHOWNORMAL));
        EXPECT_EQ(g_pApplication, &program.Application());
        emu::CMainWindow* window = program.Window();
        ASSERT_NE(window->GetComputer(), nullptr);
        EXPECT_EQ(window->GetSelectedConfig(), 2);
        EXPECT_FALSE(window->GetComputer()->IsActive());
        // The title, then the status text of the stopped Korvet 2.0.
        const common::WideText caption = window->GetCaption().GetText();
        EXPECT_EQ(caption.rfind(u"Korvet Emulator - Korvet 2.0", 0), 0u);

        Record().window = window;
        const UINT_PTR timer = SetTimer(nullptr, 0, 50, &DriveTheWindow);
        ASSERT_NE(timer, 0u);
        exitCode = program.Run();
        KillTimer(nullptr, timer);
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

    CStartedProgram program;
    ASSERT_TRUE(program.Start());
    emu::CMainWindow* window = program.Window();
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

    // Help/About is always enabled; modes other than command and update are refused.
    gui::CMenuItem* about = menu->m_helpMenu->GetItem(0);
    ASSERT_NE(about, nullptr);
    EXPECT_EQ(about->GetHandler(), &emu::CMainWindow::OnMenuAbout);
    EXPECT_TRUE(emu::CMainWindow::OnMenuAbout(about, -1, gui::CMenuItem::kModeUpdate, 0));
    EXPECT_FALSE(emu::CMainWindow::OnMenuAbout(about, -1, 2, 0));
}

// The toolbar's buttons run the computer like the Emulation menu's items and
// follow their states; View/Toolbar hides and shows the whole bar.
TEST(CMainWindowTest, ToolbarMirrorsRunControlAndFollowsTheViewItem) {
    CProgramFolder folder("app-toolbar");
    ASSERT_TRUE(folder.AddRoms());
    CStartedProgram program;
    ASSERT_TRUE(program.Start("korvet20", &apptest::WithoutAutoStart));
    emu::CMainWindow* window = program.Window();
    emu::CEmulator* computer = window->GetComputer();
    ASSERT_NE(computer, nullptr);
    gui::Windows::CPanel* toolbar = window->GetToolbar();
    ASSERT_NE(toolbar, nullptr);
    // Three buttons, three dividers and the drive-row area.
    EXPECT_EQ(toolbar->GetChildCount(), 7);
    EXPECT_TRUE(toolbar->IsVisible(false));
    ASSERT_NE(window->GetDriveArea(), nullptr);
    gui::Windows::CButton* start = window->GetStartButton();
    gui::Windows::CButton* pause = window->GetPauseButton();
    gui::Windows::CButton* stop = window->GetStopButton();
    ASSERT_TRUE(start != nullptr && pause != nullptr && stop != nullptr);
    // Only the Pause button and the divider after it give way on a narrow bar.
    for (int32_t i = 0; i < toolbar->GetChildCount(); ++i)
        EXPECT_EQ(toolbar->GetChild(i)->GetPriorityGroup(), i == 2 || i == 3 ? 4 : 0) << i;

    struct CState {
        bool startEnabled, pauseEnabled, pausePushed, stopEnabled;
    };
    auto expectButtons = [&](const CState& want, const char* when) {
        EXPECT_EQ(start->IsEnabled(false), want.startEnabled) << when;
        EXPECT_EQ(pause->IsEnabled(false), want.pauseEnabled) << when;
        EXPECT_EQ(pause->IsPushed(), want.pausePushed) << when;
        EXPECT_EQ(stop->IsEnabled(false), want.stopEnabled) << when;
    };
    expectButtons({true, false, false, false}, "stopped");
    start->Click();
    EXPECT_TRUE(computer->IsActive());
    expectButtons({false, true, false, true}, "running");
    pause->Click();
    EXPECT_TRUE(computer->IsInBreak());
    expectButtons({false, true, true, true}, "paused");
    stop->Click();
    EXPECT_FALSE(computer->IsActive());
    expectButtons({true, false, false, false}, "stopped again");

    emu::CMainMenu* menu = window->GetMainMenu();
    gui::CMenuItem* toolbarItem = apptest::ItemWithHandler(menu->m_viewMenu, &emu::CMainWindow::OnMenuToolbar);
    ASSERT_NE(toolbarItem, nullptr);
    EXPECT_TRUE(toolbarItem->Command(-1));
    EXPECT_FALSE(window->GetManager().guiShowToolbar);
    EXPECT_FALSE(toolbar->IsVisible(false));
    EXPECT_TRUE(toolbarItem->Command(-1));
    EXPECT_TRUE(toolbar->IsVisible(false));
}

// The Korvet's four floppy drives appear in the toolbar's row as one group:
// label, four pictures with gaps, divider. A right click on a picture toggles
// the drive's latch; drive activity lights the lamp for one blink.
TEST(CMainWindowTest, DriveRowShowsEachDriveAndAnswersItsMouse) {
    CProgramFolder folder("app-driverow");
    ASSERT_TRUE(folder.AddRoms());
    CStartedProgram program;
    ASSERT_TRUE(program.Start("korvet20", &apptest::WithoutAutoStart));
    emu::CMainWindow* window = program.Window();
    emu::CEmulator* computer = window->GetComputer();
    ASSERT_NE(computer, nullptr);
    gui::Windows::CPanel* area = window->GetDriveArea();
    ASSERT_NE(area, nullptr);
    // Spacer, "FDD:", picture, gap, picture, gap, picture, gap, picture, spacer, divider.
    EXPECT_EQ(area->GetChildCount(), 11);
    EXPECT_EQ(window->GetDrivePicture(4), nullptr);

    for (int32_t drive = 0; drive < 4; ++drive) {
        gui::Windows::CPicture* picture = window->GetDrivePicture(drive);
        ASSERT_NE(picture, nullptr) << drive;
        EXPECT_EQ(picture->GetUserData(), static_cast<uintptr_t>(drive));
        EXPECT_NE(picture->GetImage(11), nullptr);
        EXPECT_EQ(picture->GetPriorityGroup(), drive == 0 ? 0 : 3);
        emu::CMediaSlot* slot = computer->GetDrive(drive);
        ASSERT_NE(slot, nullptr);
        EXPECT_EQ(picture->GetCurrentImage(), emu::CMainWindow::GetDriveIconIndex(slot, drive, false));
    }

    gui::Windows::CPicture* picture = window->GetDrivePicture(1);
    emu::CMediaSlot* slot = computer->GetDrive(1);
    const bool latched = slot->GetLatch();
    EXPECT_FALSE(emu::CMainWindow::OnDriveIconMouse(picture, 0, 0, gui::CWidgetInterface::kMouseMove));
    EXPECT_EQ(slot->GetLatch(), latched);
    EXPECT_TRUE(emu::CMainWindow::OnDriveIconMouse(picture, 0, 0, gui::CWidgetInterface::kMouseRightDown));
    EXPECT_NE(slot->GetLatch(), latched);
    const int32_t dark = emu::CMainWindow::GetDriveIconIndex(slot, 1, false);
    EXPECT_EQ(picture->GetCurrentImage(), dark);

    // Activity lights the lamp at the next blink; a blink without activity darkens it.
    slot->SetInUse(true);
    window->BlinkDriveActivity(false);
    EXPECT_LT(window->GetLampPhase(1), 0);
    EXPECT_EQ(picture->GetCurrentImage(), dark + 4);
    window->BlinkDriveActivity(false);
    EXPECT_EQ(window->GetLampPhase(1), 1);
    EXPECT_EQ(picture->GetCurrentImage(), dark);
}

// Synchronization sets the pace the run loop follows, not only the setting;
// turning Fast Initialization off ends an unpaced start.
TEST(CMainWindowTest, SynchronizationItemsSetThePaceOfTheLoop) {
    CProgramFolder folder("app-sync");
    CStartedProgram program;
    ASSERT_TRUE(program.Start());
    emu::CMainWindow* window = program.Window();
    emu::CEmulator* computer = window->GetComputer();
    ASSERT_NE(computer, nullptr);
    gui::CMenuItem* sync =
        apptest::ItemWithHandler(window->GetMainMenu()->m_emulationMenu, &emu::CMainWindow::OnMenuSynchronization);
    gui::CMenuItem* fastInit =
        apptest::ItemWithHandler(window->GetMainMenu()->m_emulationMenu, &emu::CMainWindow::OnMenuFastInit);
    ASSERT_TRUE(sync != nullptr && fastInit != nullptr);
    ASSERT_TRUE(computer->IsSynchronized() && computer->IsPacing());

    EXPECT_TRUE(sync->Command(-1));
    EXPECT_FALSE(computer->IsSynchronized());
    EXPECT_FALSE(computer->IsPacing());
    EXPECT_TRUE(sync->Command(-1));
    EXPECT_TRUE(computer->IsSynchronized());
    EXPECT_TRUE(computer->IsPacing());
    // On: only the flag. Off while a fast start runs unpaced: paced again.
    EXPECT_TRUE(fastInit->Command(-1));
    EXPECT_TRUE(computer->IsFastInit());
    computer->SetPacing(false);
    EXPECT_TRUE(fastInit->Command(-1));
    EXPECT_FALSE(computer->IsFastInit());
    EXPECT_TRUE(computer->IsPacing());
}

// The drive row shows what the core mounted itself at once: a console MOUNT
// at the next sync, a state load as soon as Load State ends.
TEST(CMainWindowTest, DriveRowFollowsMountAndStateLoad) {
    CProgramFolder folder("app-drivesync");
    ASSERT_TRUE(folder.AddRoms());
    const std::string disk = folder.GetFolder() + "disk.kdi";
    ASSERT_TRUE(apptest::CopyBinaryFile(std::string(KORVET_SHARED_DATA) + "/disks/system.kdi", disk));
    CStartedProgram program;
    ASSERT_TRUE(program.Start("korvet20", &apptest::WithoutAutoStart));
    emu::CMainWindow* window = program.Window();
    emu::CEmulator* computer = window->GetComputer();
    ASSERT_NE(computer, nullptr);
    emu::CMediaSlot* slot = computer->GetDrive(0);
    gui::Windows::CPicture* picture = window->GetDrivePicture(0);
    ASSERT_TRUE(slot != nullptr && picture != nullptr);
    const common::CWideString path(disk.c_str());
    auto expectRow = [&](bool mounted, const char* when) {
        EXPECT_EQ(picture->GetTooltipText().CompareWideString(mounted ? path : common::CWideString()), 0) << when;
        EXPECT_EQ(picture->GetCurrentImage(),
                  emu::CMainWindow::GetDriveIconIndex(slot, window->GetLampPhase(0), computer->IsActive()))
            << when;
        EXPECT_EQ(slot->IsOpen(), mounted) << when;
    };

    computer->ExecuteConsoleCommand(common::CNarrowString(("mount fdd \"" + disk + "\"").c_str()));
    window->SyncWithCore(false);
    expectRow(true, "after the mount");

    computer->Start(false, false);
    ASSERT_TRUE(computer->IsActive());
    ASSERT_TRUE(computer->SaveStateToFile(common::CPath(), false));
    computer->Stop();
    emu::CMainMenu* menu = window->GetMainMenu();
    gui::CPopupMenu* drive0 = dynamic_cast<gui::CPopupMenu*>(menu->m_drivesMenu->GetItem(0));
    ASSERT_NE(drive0, nullptr);
    gui::CMenuItem* unload = drive0->GetItem(1);
    ASSERT_TRUE(unload != nullptr && unload->GetHandler() == &emu::CMainWindow::OnMenuDriveUnload);
    EXPECT_TRUE(unload->Command(-1));
    expectRow(false, "after Unload");

    // Not running: Load State asks nothing and loads at once.
    EXPECT_TRUE(menu->m_loadStateItem->Command(-1));
    expectRow(true, "after Load State");
}

// A running Korvet 2.0 in a shown window, as the modal-box tests want it, with
// a thread timer that answers the boxes (apptest::AnswerBoxes).
class CRunningInAShownWindow {
public:
    explicit CRunningInAShownWindow(const std::string& folder) : m_folder(folder) {}
    ~CRunningInAShownWindow() {
        if (m_timer != 0)
            KillTimer(nullptr, m_timer);
    }

    bool Start() {
        apptest::DropPendingQuit(); // an earlier window's quit would end the modal loops at once
        if (!m_folder.AddRoms() || !m_program.Start("korvet20", &apptest::WithoutAutoStart, SW_SHOWNORMAL))
            return false;
        m_window = m_program.Window();
        m_computer = m_window->GetComputer();
        m_menu = m_window->GetMainMenu();
        if (m_computer == nullptr)
            return false;
        m_menu->m_startItem->Command(-1);
        if (!m_computer->IsActive())
            return false;
        m_timer = SetTimer(nullptr, 0, 100, &apptest::AnswerBoxes);
        return m_timer != 0;
    }

    CProgramFolder m_folder;
    CStartedProgram m_program;
    emu::CMainWindow* m_window = nullptr;
    emu::CEmulator* m_computer = nullptr;
    emu::CMainMenu* m_menu = nullptr;

private:
    UINT_PTR m_timer = 0;
};

// The state confirmations, the About box and the drive picture's file dialog
// are the toolkit's modal boxes: a running machine is held while they are open and goes on after
// a No or a Cancel, which changes nothing.
TEST(CMainWindowTest, ModalBoxesHoldTheMachineAndRefuseChangesOnNo) {
    CRunningInAShownWindow run("app-confirm");
    ASSERT_TRUE(run.Start());
    emu::CEmulator* computer = run.m_computer;
    emu::CMainMenu* menu = run.m_menu;
    struct CCase {
        const char* name;
        gui::CMenuItem* item;
        int button;
    };
    const CCase cases[] = {{"save state", menu->m_saveStateItem, IDNO}, {"load state", menu->m_loadStateItem, IDNO}};
    for (const CCase& c : cases) {
        apptest::AnswerNextBoxesWith(c.button);
        EXPECT_TRUE(c.item->Command(-1)) << c.name;
        EXPECT_EQ(Boxes().seen.size(), 1u) << c.name;
        EXPECT_EQ(Boxes().LastCaption(), L"Confirmation") << c.name;
        EXPECT_TRUE(computer->IsActive() && !computer->IsInBreak()) << c.name;
    }

    // Help/About holds the machine while its box is open.
    apptest::AnswerNextBoxesWith(0);
    gui::CMenuItem* about = menu->m_helpMenu->GetItem(0);
    EXPECT_TRUE(about->Command(-1));
    EXPECT_EQ(Boxes().seen.size(), 1u);
    EXPECT_EQ(Boxes().LastCaption(), L"About");
    EXPECT_TRUE(computer->IsActive() && !computer->IsInBreak());

    // A double click on a drive picture opens the file dialog; Cancel mounts nothing.
    emu::CMediaSlot* slot = computer->GetDrive(0);
    ASSERT_NE(slot, nullptr);
    const bool wasOpen = slot->IsOpen();
    apptest::AnswerNextBoxesWith(IDCANCEL);
    EXPECT_TRUE(emu::CMainWindow::OnDriveIconMouse(run.m_window->GetDrivePicture(0), 0, 0,
                                                   gui::CWidgetInterface::kMouseLeftDoubleClick));
    EXPECT_EQ(Boxes().seen.size(), 1u);
    EXPECT_EQ(slot->IsOpen(), wasOpen);
    EXPECT_TRUE(computer->IsActive() && !computer->IsInBreak());
}

// The folder each open-file dialog showed, answered from a thread timer inside
// its modal loop: the first dialog confirms `pick` (or is cancelled when it is
// empty); anything shown after it, such as a box about a refused image, closes.
struct CFileDialogVisit {
    std::wstring pick;
    std::wstring folder;
    bool answered = false;
};

CFileDialogVisit& Visit() {
    static CFileDialogVisit visit;
    return visit;
}

BOOL CALLBACK AnswerFileDialog(HWND window, LPARAM) {
    wchar_t className[16] = {};
    GetClassNameW(window, className, 16);
    if (!IsWindowVisible(window) || std::wstring(className) != L"#32770")
        return TRUE;
    CFileDialogVisit& visit = Visit();
    if (visit.answered) {
        PostMessageW(window, WM_CLOSE, 0, 0);
        return FALSE;
    }
    wchar_t folder[MAX_PATH] = {};
    SendMessageW(window, CDM_GETFOLDERPATH, MAX_PATH, reinterpret_cast<LPARAM>(folder));
    visit.folder = folder;
    visit.answered = true;
    if (!visit.pick.empty())
        SendMessageW(window, CDM_SETCONTROLTEXT, cmb13, reinterpret_cast<LPARAM>(visit.pick.c_str()));
    PostMessageW(window, WM_COMMAND, visit.pick.empty() ? IDCANCEL : IDOK, 0);
    return FALSE;
}

void CALLBACK AnswerFileDialogs(HWND, UINT, UINT_PTR, DWORD) {
    EnumThreadWindows(GetCurrentThreadId(), &AnswerFileDialog, 0);
}

// The folder as the window system writes it in full, without a trailing separator.
std::wstring FullFolder(const std::wstring& path) {
    wchar_t full[MAX_PATH] = {};
    GetFullPathNameW(path.c_str(), MAX_PATH, full, nullptr);
    std::wstring text(full);
    while (!text.empty() && text.back() == L'\\')
        text.pop_back();
    return text;
}

// Drive 1's Load From File; the folder its dialog started in.
std::wstring LoadFromFile(emu::CMainWindow* window, const std::string& pick) {
    Visit() = CFileDialogVisit();
    Visit().pick = std::wstring(pick.begin(), pick.end());
    // The dialog takes no "/" in a typed name.
    std::replace(Visit().pick.begin(), Visit().pick.end(), L'/', L'\\');
    gui::CMenuItem* load = apptest::ItemWithHandler(window->GetMainMenu()->m_drivesMenu->GetItem(0),
                                                    &emu::CMainWindow::OnMenuDriveLoadFromFile);
    if (load == nullptr || !load->Command(-1))
        return L"(no Load From File)";
    return FullFolder(Visit().folder);
}

// Load From File starts in the folder of the image picked last, in the same
// run and in the next one, which reads it back from the drive list.
TEST(CMainWindowTest, LoadFromFileStartsInTheFolderOfTheLastPickedImage) {
    apptest::DropPendingQuit(); // an earlier window's quit would end the dialog at once
    CProgramFolder folder("app-lastfolder");
    std::remove((folder.GetFolder() + "settings/korvet.drv").c_str());
    const std::string images = folder.GetFolder() + "images/";
    common::HostCreateFolder(apptest::Widen(images).c_str());
    ASSERT_TRUE(apptest::CopyBinaryFile(std::string(KORVET_SHARED_DATA) + "/disks/system.kdi", images + "pick.kdi"));
    const std::wstring programFolder = FullFolder(std::wstring(folder.GetFolder().begin(), folder.GetFolder().end()));
    const std::wstring imageFolder = FullFolder(std::wstring(images.begin(), images.end()));
    struct CAnswerTimer {
        UINT_PTR id = SetTimer(nullptr, 0, 100, &AnswerFileDialogs);
        ~CAnswerTimer() { KillTimer(nullptr, id); }
    } timer;
    ASSERT_NE(timer.id, 0u);
    {
        CStartedProgram program;
        ASSERT_TRUE(program.Start("korvet", &apptest::WithoutAutoStart, SW_SHOWNORMAL));
        EXPECT_EQ(LoadFromFile(program.Window(), images + "pick.kdi"), programFolder);
        EXPECT_TRUE(program.Window()->GetComputer()->GetDrive(0)->IsOpen());
        EXPECT_EQ(LoadFromFile(program.Window(), ""), imageFolder);
    }
    apptest::DropPendingQuit();
    {
        CStartedProgram program;
        ASSERT_TRUE(program.Start("korvet", &apptest::WithoutAutoStart, SW_SHOWNORMAL));
        EXPECT_EQ(LoadFromFile(program.Window(), ""), imageFolder);
    }
}

// A sound output that failed at the start is told once the window is shown,
// never before: the machine starts and shows first. It is told once.
TEST(CMainWindowTest, TheSoundNoticeWaitsForTheShownWindow) {
    apptest::DropPendingQuit(); // an earlier window's quit would end the box at once
    CProgramFolder folder("app-sound-notice");
    ASSERT_TRUE(folder.AddRoms());
    CStartedProgram program;
    ASSERT_TRUE(program.Start("korvet20", &apptest::WithoutAutoStart));
    emu::CMainWindow* window = program.Window();
    ASSERT_FALSE(IsWindowVisible(window->GetWindowHandle()));
    apptest::AnswerNextBoxesWith(IDOK);
    const UINT_PTR timer = SetTimer(nullptr, 0, 100, &apptest::AnswerBoxes);
    ASSERT_NE(timer, 0u);
    // The message loop shows the notice that the timer's calls post.
    auto pump = [] {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    };
    window->TellSoundFailure("DirectSound");
    pump();
    EXPECT_TRUE(Boxes().seen.empty());
    ShowWindow(window->GetWindowHandle(), SW_SHOWNORMAL);
    window->TellSoundFailure(nullptr); // as the user-interface timer does
    window->TellSoundFailure(nullptr);
    pump();
    window->TellSoundFailure("DirectSound");
    pump();
    KillTimer(nullptr, timer);
    ASSERT_EQ(Boxes().seen.size(), 1u);
    EXPECT_EQ(Boxes().LastCaption(), L"Sound");
}

// A state save or load that fails shows the core's reason in a box of its own
// (the console that logs it is hidden behind the screen); a save that works stays quiet.
TEST(CMainWindowTest, FailedStateCommandsShowTheirReason) {
    CRunningInAShownWindow run("app-state-report");
    const std::string states = run.m_folder.GetFolder() + "states/"; // the program keeps its files beside itself
    const std::string stateFile = states + "korvet20.sav";
    CreateDirectoryA(states.c_str(), nullptr);
    ASSERT_TRUE(run.Start());
    emu::CEmulator* computer = run.m_computer;
    emu::CMainMenu* menu = run.m_menu;

    struct CCase {
        const char* name;
        gui::CMenuItem* item;
        const char* fileContent; // null: no state file; "/": a folder in its place
        const wchar_t* caption;  // of the last box; null: only the confirmation shows
        const wchar_t* reason;
    };
    const CCase cases[] = {
        {"load without a state file", menu->m_loadStateItem, nullptr, L"Load State", L"korvet20.sav"},
        {"load of a damaged file", menu->m_loadStateItem, "not a state", L"Load State", L"incorrect version or format"},
        {"save where the file cannot be made", menu->m_saveStateItem, "/", L"Save State", L"korvet20.sav"},
        {"save that works", menu->m_saveStateItem, nullptr, nullptr, nullptr},
    };
    for (const CCase& c : cases) {
        std::remove(stateFile.c_str());
        RemoveDirectoryA(stateFile.c_str());
        if (c.fileContent != nullptr && std::string(c.fileContent) == "/") {
            CreateDirectoryA(stateFile.c_str(), nullptr);
        } else if (c.fileContent != nullptr) {
            std::FILE* file = std::fopen(stateFile.c_str(), "wb");
            ASSERT_NE(file, nullptr) << c.name;
            std::fputs(c.fileContent, file);
            std::fclose(file);
        }
        if (!computer->IsActive())
            menu->m_startItem->Command(-1);
        ASSERT_TRUE(computer->IsActive()) << c.name;
        apptest::AnswerNextBoxesWith(apptest::CBoxAnswers::kYesOrOk);
        EXPECT_TRUE(c.item->Command(-1)) << c.name;
        ASSERT_FALSE(Boxes().seen.empty()) << c.name;
        EXPECT_EQ(Boxes().seen.front().caption, L"Confirmation") << c.name;
        if (c.caption == nullptr) {
            EXPECT_EQ(Boxes().seen.size(), 1u) << c.name;
            continue;
        }
        ASSERT_EQ(Boxes().seen.size(), 2u) << c.name;
        EXPECT_EQ(Boxes().seen.back().caption, c.caption) << c.name;
        EXPECT_NE(Boxes().seen.back().text.find(c.reason), std::wstring::npos)
            << c.name << ": " << std::string(Boxes().seen.back().text.begin(), Boxes().seen.back().text.end());
    }
    RemoveDirectoryA(stateFile.c_str());
}

} // namespace
