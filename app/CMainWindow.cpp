#include "app/CMainWindow.h"

#include <windows.h>

#include "app/CApplication.h"
#include "app/CEmulationScreen.h"
#include "app/CMainMenu.h"
#include "app/TextIds.h"
#include "common/CLocale.h"
#include "common/CScopedLock.h"
#include "common/CWideString.h"
#include "emu/core/CEmulator.h"
#include "emu/host/CRenderer.h"
#include "emu/host/CSoundOutput.h"
#include "gui/CBrushInterface.h"
#include "gui/CCursor.h"
#include "gui/CPainter.h"
#include "gui/Units.h"
#include "gui/windows/CMessageBox.h"

namespace emu {

CMainWindow::CMainWindow(int32_t x, int32_t y, int32_t width, int32_t height, int32_t unit)
    : gui::Windows::CFrameWindow(x, y, width, height, unit) {
    m_title.Format("%s Emulator", m_manager.GetTitle().GetNarrow());
}

CMainWindow::~CMainWindow() {
    // The widget tree (with the screen) goes with the frame window; the
    // manager deletes whatever computer is still listed.
    m_screen = nullptr;
}

CMainWindow* CMainWindow::FromWidget(gui::CWidgetInterface* widget) {
    if (widget == nullptr)
        return nullptr;
    gui::CWindowInterface* window = widget->GetWindow();
    CMainWindow* main = dynamic_cast<CMainWindow*>(window);
    if (main == nullptr)
        main = dynamic_cast<CMainWindow*>(widget);
    return main;
}

CMainWindow* CMainWindow::FromMenuItem(gui::CMenuItem* item) {
    return item != nullptr ? FromWidget(item->GetOwnerWidget()) : nullptr;
}

CMainMenu* CMainWindow::GetMainMenu() {
    return dynamic_cast<CMainMenu*>(GetMenuBar());
}

bool CMainWindow::OnCreate() {
    CEmulatorSettings::Load(m_manager);
    SetShowState(m_manager.guiMaximizeOnStartup ? kShowMaximised : kShowCentred);
    if (!SetRect(0, 0, 800, 600, gui::Windows::kUnitPixels))
        return false;
    SetSizeLimits(520, 390, 0, 2048);
    SetCaption(common::CWideString(m_title.GetNarrow()));
    OnKeyCallback() = &CMainWindow::OnKeyHook;
    m_firstPaintPending = true;

    if (!BuildToolbar())
        return false;
    CEmulationScreen* screen = new CEmulationScreen(0, 0, 0, 0, 6, true);
    if (!AddChild(screen)) {
        delete screen;
        return false;
    }
    m_screen = screen;
    screen->OnPaintCallback() = &CMainWindow::OnPaintScreen;
    screen->OnMouseCallback() = &CMainWindow::OnScreenMouse;

    if (m_computer == nullptr) {
        m_computer = m_manager.CreateCore(-1);
        if (m_computer != nullptr) {
            m_computer->SetWaitCallback(&CMainWindow::OnCoreWait);
            m_selectedConfig = m_computer->GetConfigIndex();
        }
    }

    CMainMenu* menu = GetMainMenu();
    if (menu != nullptr && !menu->BuildMenuBar())
        return false;

    m_timer = AddTimer(1, &CMainWindow::OnTimer, 0);
    return m_timer != 0;
}

bool CMainWindow::Create() {
    const bool created = gui::Windows::CFrameWindow::Create();
    if (!created || m_computer == nullptr)
        return created;
    if (GetMenuBar() != nullptr)
        GetMenuBar()->SetSecondWindow(GetWindowHandle());
    if (m_screen != nullptr)
        m_computer->SetOutputWindow(m_screen->GetWindowHandle());
    HandWindowToSound(m_computer->GetSoundOutput());
    if (!m_computer->IsActive() && m_manager.guiAutoStartEmulation)
        m_computer->Start(false, false);
    SyncWithCore(true);
    UpdateToolbar();
    UpdateTitle();
    return true;
}

void CMainWindow::Destroy() {
    if (m_computer != nullptr) {
        m_manager.RemoveCore(m_computer);
        m_computer = nullptr;
    }
    const common::CPath settings = CEmulatorSettings::GetWritePath(false);
    ReportUnsavedSettings(CEmulatorSettings::Save(m_manager) ? common::CPath() : settings);
    gui::Windows::CFrameWindow::Destroy();
}

void CMainWindow::ReportUnsavedSettings(const common::CPath& extra) {
    std::vector<common::CPath> files = m_manager.TakeUnsavedSettingsFiles();
    if (!extra.IsEmpty())
        files.push_back(extra);
    if (files.empty())
        return;
    common::CWideString text(common::CLocale::GetText(TextId::kSettingsNotSaved));
    for (const common::CPath& file : files) {
        text.AppendWide(u"\n");
        text.AppendString(file);
    }
    common::CWideString caption;
    caption.AssignString(m_manager.GetTitle());
    ShowWarning(text, caption);
}

void CMainWindow::ShowWarning(const common::CWideString& text, const common::CWideString& caption) {
    gui::Windows::CMessageBox box;
    box.SetKind(gui::CMessageBoxInterface::kKindWarning);
    box.Show(this, text, caption);
}

void CMainWindow::SetVisible(bool visible) {
    gui::Windows::CFrameWindow::SetVisible(visible);
}

void CMainWindow::OnActivate(bool) {
    try {
        SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_ABOVE_NORMAL);
        SetPriorityClass(GetCurrentProcess(), NORMAL_PRIORITY_CLASS);
    } catch (...) {
    }
}

bool CMainWindow::OnCoreWait(uint32_t limit) {
    if (g_pApplication == nullptr)
        return true;
    return g_pApplication->WaitForIdle(static_cast<int32_t>(limit));
}

void CMainWindow::HandWindowToSound(CSoundOutput* output) {
    if (output != nullptr && !output->IsWindowless())
        output->SetWindowHandle(GetWindowHandle());
}

bool CMainWindow::OnKeyHook(gui::CWidgetInterface* widget, int32_t keyCode, bool pressed) {
    CMainWindow* main = FromWidget(widget);
    if (main == nullptr || main->m_computer == nullptr)
        return false;
    const bool queued = main->m_computer->PostKeyEvent(keyCode, pressed);
    CMainMenu* menu = main->GetMainMenu();
    if (!queued && menu != nullptr) {
        if (keyCode == kKeyF11 && menu->m_saveStateItem != nullptr)
            menu->m_saveStateItem->Command(-1);
        else if (keyCode == kKeyF12 && menu->m_loadStateItem != nullptr)
            menu->m_loadStateItem->Command(-1);
    }
    return true;
}

CRenderer* CMainWindow::PickRenderer() {
    if (m_computer == nullptr)
        return nullptr;
    common::CScopedLock lock(&m_computer->GetCoreLock());
    if (!m_computer->IsThreadAlive())
        return nullptr;
    if (m_computer->IsConsoleShown() && m_computer->GetConsoleView() != nullptr)
        return m_computer->GetConsoleView();
    return m_computer->GetRenderer();
}

bool CMainWindow::OnPaintScreen(gui::CWidgetInterface* widget, gui::CPainter* painter) {
    CEmulationScreen* screen = dynamic_cast<CEmulationScreen*>(widget);
    if (screen == nullptr || screen->GetWindowHandle() == nullptr)
        return false;
    CMainWindow* main = FromWidget(widget);
    if (main == nullptr)
        return false;
    int32_t x = 0;
    int32_t y = 0;
    int32_t width = 0;
    int32_t height = 0;
    const bool haveRect = screen->GetClientRect(&x, &y, &width, &height);
    auto fillBlack = [&]() {
        painter->GetBrush()->SetSolidColor(gui::CColor::FromArgb(gui::CColor::kOpaqueBlack));
        painter->FillRect(x, y, x + width - 1, y + height - 1);
    };
    CRenderer* renderer = main->PickRenderer();
    if (renderer != nullptr) {
        if (main->m_firstPaintPending && haveRect && painter != nullptr) {
            fillBlack();
            main->m_firstPaintPending = false;
        }
        main->m_computer->PresentFrame(false, true);
        main->SetEraseBackground(false);
        return true;
    }
    if (haveRect && painter != nullptr)
        fillBlack();
    return true;
}

void CMainWindow::RenewScreenWindow() {
    if (m_screen == nullptr)
        return;
    if (m_computer != nullptr) {
        common::CScopedLock lock(&m_computer->GetCoreLock());
        if (m_computer->GetConsoleView() != nullptr)
            m_computer->GetConsoleView()->SetWindow(nullptr);
        if (m_computer->GetRenderer() != nullptr)
            m_computer->GetRenderer()->SetWindow(nullptr);
    }
    if (!m_screen->Recreate())
        return;
    m_firstPaintPending = true;
    if (m_computer != nullptr)
        m_computer->SetOutputWindow(m_screen->GetWindowHandle());
}

void CMainWindow::ReleaseMouse(bool leaveMouseMode) {
    if (leaveMouseMode) {
        m_mouseMode = false;
        if (m_screen != nullptr)
            m_screen->GetCursor()->SetStandard(0);
    }
    if (m_screen != nullptr && GetCapture() == m_screen->GetWindowHandle()) {
        ReleaseCapture();
        ClipCursor(nullptr);
    }
    int count = ShowCursor(TRUE);
    if (count > 0) {
        ShowCursor(FALSE);
    } else {
        while (count < 0)
            count = ShowCursor(TRUE);
    }
}

bool CMainWindow::OnScreenMouse(gui::CWidgetInterface* widget, int32_t x, int32_t y, int32_t event) {
    CMainWindow* main = FromWidget(widget);
    if (main == nullptr || main->m_computer == nullptr)
        return false;
    CEmulator* computer = main->m_computer;
    if (!computer->IsActive()) {
        if (main->m_mouseMode)
            main->ReleaseMouse(true);
        return false;
    }
    gui::Windows::CWidget* screen = dynamic_cast<gui::Windows::CWidget*>(widget);
    if (screen == nullptr)
        return false;
    const bool captured = GetCapture() == screen->GetWindowHandle();
    if (event != gui::CWidgetInterface::kMouseLeftDoubleClick && !captured)
        return false;
    auto post = [&](int32_t action) {
        computer->PostMouseEvent(static_cast<uint16_t>(x), static_cast<uint16_t>(y), action);
    };
    switch (event) {
    case gui::CWidgetInterface::kMouseLeftDoubleClick:
        if (captured) {
            if (screen->SetCursorPosition(&x, &y)) {
                post(CEmulator::kMouseFirstDown);
                post(CEmulator::kMouseFirstUp);
            }
            return true;
        }
        if (!main->m_manager.EmuCaptureMouseOnDblClick)
            return false;
        main->m_mouseMode = true;
        computer->PostInputReset(false, true);
        SetCapture(screen->GetWindowHandle());
        ClipCursor(nullptr);
        {
            int count = ShowCursor(FALSE);
            if (count < -1) {
                ShowCursor(TRUE);
            } else {
                while (count >= 0)
                    count = ShowCursor(FALSE);
            }
        }
        screen->SetCursorPosition(&x, &y);
        return true;
    case gui::CWidgetInterface::kMouseLeftDown:
    case gui::CWidgetInterface::kMouseLeftUp:
    case gui::CWidgetInterface::kMouseRightDown:
    case gui::CWidgetInterface::kMouseRightUp: {
        const int32_t action = event == gui::CWidgetInterface::kMouseLeftDown   ? CEmulator::kMouseFirstDown
                               : event == gui::CWidgetInterface::kMouseLeftUp   ? CEmulator::kMouseFirstUp
                               : event == gui::CWidgetInterface::kMouseRightDown ? CEmulator::kMouseSecondDown
                                                                                 : CEmulator::kMouseSecondUp;
        if (screen->SetCursorPosition(&x, &y))
            post(action);
        return true;
    }
    case gui::CWidgetInterface::kMouseRightDoubleClick:
        if (screen->SetCursorPosition(&x, &y)) {
            post(CEmulator::kMouseSecondDown);
            post(CEmulator::kMouseSecondUp);
        }
        return true;
    case gui::CWidgetInterface::kMouseMove:
        if (screen->SetCursorPosition(&x, &y) && (x != 0 || y != 0))
            post(CEmulator::kMouseMove);
        return true;
    case gui::CWidgetInterface::kMouseMiddleDown:
    case gui::CWidgetInterface::kMouseMiddleUp:
        computer->PostInputReset(false, true);
        main->ReleaseMouse(false);
        return true;
    default:
        return false;
    }
}

void CMainWindow::InvalidateScreen() {
    if (m_screen != nullptr)
        m_screen->Invalidate(0, 0, -1, -1);
}

int32_t CMainWindow::GetLampPhase(int32_t drive) const {
    if (drive < 0 || static_cast<size_t>(drive) >= m_lampPhases.size())
        return drive;
    return m_lampPhases[static_cast<size_t>(drive)];
}

common::CPath CMainWindow::MakeEmptyPath() {
    return common::CPath("");
}

} // namespace emu
