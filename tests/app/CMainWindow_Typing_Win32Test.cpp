// Typing into the whole program under the window system: the Korvet w/BIOS
// boots the CP/M system floppy in drive 1, and a line of key messages posted
// to the window that has the keyboard focus, each key down and up at once and
// the next key 12 ms later (as a typing tool sends them, far faster than the
// machine's keyboard scans take them), appears after the prompt whole and in
// order. How late the last key showed is printed, not checked.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <string>
#include <thread>

#include "emu/core/CEmulator.h"
#include "emu/korvet/CMachine_Korvet.h"
#include "tests/app/AppTestSupport.h"
#include "tests/emu/korvet/KorvetScreenText.h"

namespace {

const char kLine[] = "PACMAN BOOKKEEPER 0123456789 QUICK BROWN FOX";
const DWORD kKeyIntervalMs = 12;
// Generous for a loaded machine: the boot, and the line after its last key.
const DWORD kBootLimitMs = 120000;
const DWORD kLineLimitMs = 60000;

using korvettest::PromptRow;
using korvettest::ScreenRow;

double NowMs() {
    LARGE_INTEGER count;
    LARGE_INTEGER frequency;
    QueryPerformanceCounter(&count);
    QueryPerformanceFrequency(&frequency);
    return 1000.0 * static_cast<double>(count.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// A key message as the window system makes it: repeat count 1 and the scan
// code, with the previous-state and transition bits set on the release.
void PostKey(HWND window, UINT virtualKey, bool down) {
    LPARAM data = 1 | static_cast<LPARAM>(MapVirtualKeyW(virtualKey, MAPVK_VK_TO_VSC) << 16);
    if (!down)
        data |= static_cast<LPARAM>(0xC0000000u);
    PostMessageW(window, down ? WM_KEYDOWN : WM_KEYUP, virtualKey, data);
}

// What the typist saw; the test reads it after the message loop ended.
struct CTypingRecord {
    bool prompted = false;
    std::string expected;
    std::string typed;
    double lateMs = -1.0; // from the last key's release to the whole line on the screen
};

// Runs beside the program's message loop: waits for the prompt, types the
// line into the focus window of the loop's thread, watches the row, then
// closes the window.
void Type(emu::CMainWindow* window, DWORD loopThread, CTypingRecord* record) {
    emu::CMachine_Korvet* machine = dynamic_cast<emu::CMachine_Korvet*>(window->GetComputer()->GetMachine());
    emu::CVideo_Korvet* video = machine != nullptr ? machine->GetVideo() : nullptr;
    const double bootStart = NowMs();
    int32_t row = -1;
    while (video != nullptr && row < 0 && NowMs() - bootStart < kBootLimitMs) {
        Sleep(100);
        row = PromptRow(video);
    }
    // The BIOS settles into its keyboard scans after drawing the prompt.
    Sleep(1000);
    record->prompted = row >= 0 && PromptRow(video) == row;
    // The focus window of the loop's thread; while another program (a test
    // beside this one) holds the foreground it has none, and the main window,
    // where the focus rests while the program is active, takes the keys.
    GUITHREADINFO info = {};
    info.cbSize = sizeof(info);
    const HWND focus =
        GetGUIThreadInfo(loopThread, &info) && info.hwndFocus != nullptr ? info.hwndFocus : window->GetWindowHandle();
    if (record->prompted) {
        record->expected = ScreenRow(video, row);
        record->expected.replace(record->expected.find_last_of('>') + 1, sizeof(kLine) - 1, kLine);
        const double start = NowMs();
        double lastKey = start;
        for (size_t i = 0; i + 1 < sizeof(kLine); ++i) {
            while (NowMs() < start + static_cast<double>(i * kKeyIntervalMs))
                Sleep(1);
            PostKey(focus, static_cast<UINT>(kLine[i]), true);
            PostKey(focus, static_cast<UINT>(kLine[i]), false);
            lastKey = NowMs();
        }
        while (NowMs() - lastKey < kLineLimitMs && ScreenRow(video, row) != record->expected)
            Sleep(1);
        if (ScreenRow(video, row) == record->expected)
            record->lateMs = NowMs() - lastKey;
        // A while longer for anything that should not come.
        Sleep(500);
        record->typed = ScreenRow(video, row);
    }
    PostMessageW(window->GetWindowHandle(), WM_CLOSE, 0, 0);
}

TEST(CMainWindowTypingTest, LineTypedAtMachineSpeedArrivesWhole) {
    apptest::DropPendingQuit();
    apptest::CProgramFolder folder("app-typing");
    const std::string disk = folder.GetFolder() + "system.kdi";
    ASSERT_TRUE(apptest::CopyBinaryFile(std::string(KORVET_SHARED_DATA) + "/disks/system.kdi", disk));
    auto windowed = [](emu::CEmulatorManager& settings) {
        apptest::WithoutAutoStart(settings);
        settings.guiMaximizeOnStartup = false;
    };
    CTypingRecord record;
    {
        apptest::CStartedProgram program;
        ASSERT_TRUE(program.Start("korvet", windowed, SW_SHOWNORMAL));
        emu::CMainWindow* window = program.Window();
        emu::CEmulator* computer = window->GetComputer();
        ASSERT_NE(computer, nullptr);
        computer->ExecuteConsoleCommand(common::CNarrowString(("mount fdd \"" + disk + "\"").c_str()));
        ASSERT_TRUE(computer->Start(false, false));
        ASSERT_TRUE(computer->IsActive());
        SetForegroundWindow(window->GetWindowHandle());
        SetFocus(window->GetWindowHandle());
        std::thread typist(&Type, window, GetCurrentThreadId(), &record);
        program.Run();
        typist.join();
    }
    ASSERT_TRUE(record.prompted) << "no steady CP/M prompt";
    EXPECT_EQ(record.typed, record.expected);
    if (record.lateMs >= 0.0)
        std::printf("The last key showed %.0f ms after it was sent\n", record.lateMs);
}

} // namespace
