// The Video menu's renderer switch in the running program: the Korvet 2.0 runs
// with OpenGL (which sets its pixel format on the emulation screen), then with
// WinGDI again, and the WinGDI frames reach the screen at once, as the
// display's pixels read back through GDI show.
#include <gtest/gtest.h>

#include <string>

#include "app/CEmulationScreen.h"
#include "emu/core/CEmulator.h"
#include "emu/host/CRenderer_OpenGL.h"
#include "emu/host/CRenderer_WinGDI.h"
#include "tests/app/AppTestSupport.h"

namespace {

using apptest::CProgramFolder;
using apptest::CStartedProgram;

constexpr common::ARGB kFillColour = 0xFF3366CCu;
constexpr COLORREF kFillShown = RGB(0x33, 0x66, 0xCC);
constexpr int kMaxTicks = 400; // 20 s at 50 ms: a stuck step fails instead of hanging

enum class Step { SelectOpenGl, RunOpenGl, SelectWinGdi, RunWinGdi, ReadBack, Done };

struct CSwitchRecord {
    emu::CMainWindow* window = nullptr;
    Step step = Step::SelectOpenGl;
    int ticks = 0;
    int stepTicks = 0;
    bool openGlTookTheWindow = false;
    std::string rendererAfterSwitch;
    bool pausedForReading = false;
    int pixelsRead = 0;
    int pixelsShown = 0;
    COLORREF firstMismatch = 0;
};

CSwitchRecord& Record() {
    static CSwitchRecord record;
    return record;
}

// The Video menu's item that selects the renderer of that name.
gui::CMenuItem* RendererItem(emu::CMainWindow* window, const char* name) {
    emu::CMainMenu* menu = window->GetMainMenu();
    emu::CEmulatorManager& manager = window->GetManager();
    for (int32_t i = 0; i < menu->m_videoMenu->GetItemCount(); ++i) {
        gui::CMenuItem* item = menu->m_videoMenu->GetItem(i);
        if (item == nullptr || item->GetHandler() != &emu::CMainWindow::OnMenuSelectRenderer)
            continue;
        emu::CRenderer* renderer = manager.GetRenderer(item->DataValue());
        if (renderer != nullptr && std::string(renderer->GetName()) == name)
            return item;
    }
    return nullptr;
}

// Paints the paused frame one colour and presents it.
bool FillAndPresent(emu::CEmulator* computer) {
    computer->ShowConsole(false, false);
    emu::CRenderer* renderer = computer->GetRenderer();
    if (renderer == nullptr || renderer->GetHeight() == 0)
        return false;
    for (int32_t y = 0; y < renderer->GetHeight(); ++y) {
        common::ARGB* row = renderer->GetRow(y);
        for (int32_t x = 0; x < renderer->GetWidth(); ++x)
            row[x] = kFillColour;
    }
    computer->PresentFrame(false, true);
    return true;
}

// Reads nine points of the output rectangle from the screen itself (the X
// display under Wine), not from the window's own surface: a window can hold
// pixels that the display never shows.
void ReadScreen(CSwitchRecord& record, emu::CEmulator* computer) {
    emu::CRenderer_WinGDI* renderer = dynamic_cast<emu::CRenderer_WinGDI*>(computer->GetRenderer());
    if (renderer == nullptr)
        return;
    // Raised above the windows of tests running beside this one.
    SetWindowPos(record.window->GetWindowHandle(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    HWND screenWindow = record.window->GetScreen()->GetWindowHandle();
    const emu::CRenderer_Windowed::CRect& out = renderer->GetOutputRect();
    record.pixelsRead = 0;
    record.pixelsShown = 0;
    HDC screen = GetDC(nullptr);
    for (int i = 1; i <= 3; ++i)
        for (int j = 1; j <= 3; ++j) {
            POINT point = {out.left + (out.right - out.left) * i / 4, out.top + (out.bottom - out.top) * j / 4};
            ClientToScreen(screenWindow, &point);
            const COLORREF shown = GetPixel(screen, point.x, point.y);
            ++record.pixelsRead;
            if (shown == kFillShown)
                ++record.pixelsShown;
            else if (record.pixelsRead - record.pixelsShown == 1)
                record.firstMismatch = shown;
        }
    ReleaseDC(nullptr, screen);
}

// Runs on the user-interface thread from the message loop, every 50 ms.
void CALLBACK DriveTheSwitch(HWND, UINT, UINT_PTR, DWORD) {
    CSwitchRecord& record = Record();
    emu::CMainWindow* window = record.window;
    if (window == nullptr || record.step == Step::Done)
        return;
    emu::CEmulator* computer = window->GetComputer();
    emu::CMainMenu* menu = window->GetMainMenu();
    ++record.ticks;
    ++record.stepTicks;
    auto next = [&](Step step) {
        record.step = step;
        record.stepTicks = 0;
    };
    switch (record.step) {
    case Step::SelectOpenGl:
        RendererItem(window, "OpenGL")->Command(-1);
        menu->m_startItem->Command(-1);
        next(Step::RunOpenGl);
        break;
    case Step::RunOpenGl: {
        // Running until OpenGL has drawn into the screen window a while.
        emu::CRenderer_OpenGL* gl = dynamic_cast<emu::CRenderer_OpenGL*>(computer->GetRenderer());
        if (gl != nullptr && gl->HasGlContext())
            record.openGlTookTheWindow = true;
        if (record.stepTicks >= 20 && record.openGlTookTheWindow) {
            menu->m_stopItem->Command(-1);
            next(Step::SelectWinGdi);
        }
        break;
    }
    case Step::SelectWinGdi:
        RendererItem(window, "WinGDI")->Command(-1);
        record.rendererAfterSwitch = computer->GetRenderer()->GetName();
        menu->m_startItem->Command(-1);
        next(Step::RunWinGdi);
        break;
    case Step::RunWinGdi:
        if (record.stepTicks < 30)
            break;
        menu->m_pauseItem->Command(-1);
        record.pausedForReading = computer->IsInBreak() && FillAndPresent(computer);
        next(record.pausedForReading ? Step::ReadBack : Step::Done);
        break;
    case Step::ReadBack:
        // The display may take a moment to show what the window drew.
        ReadScreen(record, computer);
        if (record.pixelsShown == record.pixelsRead || record.stepTicks >= 60)
            next(Step::Done);
        break;
    case Step::Done:
        break;
    }
    if (record.step == Step::Done || record.ticks >= kMaxTicks) {
        record.step = Step::Done;
        PostMessageW(window->GetWindowHandle(), WM_CLOSE, 0, 0);
    }
}

TEST(CMainWindowRendererTest, WinGdiFramesReachTheScreenAtOnceAfterOpenGl) {
    CProgramFolder folder("app-renderer");
    ASSERT_TRUE(folder.AddRoms());
    auto windowed = [](emu::CEmulatorManager& settings) {
        settings.guiMaximizeOnStartup = false;
        settings.EmuCaptureMouseOnDblClick = false;
    };
    {
        CStartedProgram program;
        ASSERT_TRUE(program.Start("korvet20", windowed, SW_SHOWNORMAL));
        ASSERT_NE(nullptr, RendererItem(program.Window(), "OpenGL"));
        ASSERT_NE(nullptr, RendererItem(program.Window(), "WinGDI"));
        Record().window = program.Window();
        const UINT_PTR timer = SetTimer(nullptr, 0, 50, &DriveTheSwitch);
        ASSERT_NE(timer, 0u);
        EXPECT_EQ(0, program.Run());
        KillTimer(nullptr, timer);
    }
    const CSwitchRecord& record = Record();
    EXPECT_TRUE(record.openGlTookTheWindow);
    EXPECT_EQ("WinGDI", record.rendererAfterSwitch);
    ASSERT_TRUE(record.pausedForReading);
    EXPECT_EQ(9, record.pixelsRead);
    EXPECT_EQ(record.pixelsRead, record.pixelsShown) << "first pixel shown: " << std::hex << record.firstMismatch;
}

} // namespace
