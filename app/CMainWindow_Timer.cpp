// The user-interface timer: frame presentation, the sync with the computer's
// change flags, drive-lamp blinking and the title refresh, each on its own
// period measured on the performance counter.
#include "app/CMainWindow.h"

#include "app/CEmulationScreen.h"
#include "app/CMainMenu.h"
#include "app/SoundFailureNotice.h"
#include "app/TextIds.h"
#include "common/CScopedLock.h"
#include "common/CLocale.h"
#include "common/CWideString.h"
#include "common/OsHelpers.h"
#include "emu/core/CEmulator.h"
#include "emu/framework/CMediaSlot.h"

namespace emu {

namespace {

// Process-wide state of the timer (performance-counter readings).
struct CTimerState {
    int32_t tickCount = 0;
    int64_t lastTick = 0;
    int64_t lastSync = 0;
    int64_t lastBlink = 0;
    int64_t lastTitle = 0;
    int64_t nextPresent = 0;
};

CTimerState& TimerState() {
    static CTimerState state;
    return state;
}

} // namespace

bool CMainWindow::OnTimer(gui::CWidgetInterface* frame, uintptr_t, void*) {
    CTimerState& state = TimerState();
    int64_t now = 0;
    int64_t frequency = 1;
    common::GetPerformanceCounter(&now);
    common::GetPerformanceFrequency(&frequency);
    ++state.tickCount;
    if (state.lastTitle == 0)
        state.lastSync = state.lastBlink = state.lastTitle = now;
    if (now - state.lastTick < (frequency >> 10))
        return true;
    state.lastTick = now;

    CMainWindow* main = FromWidget(frame);
    if (main == nullptr)
        return true;

    if (now - state.lastSync >= (frequency >> 4)) {
        // Fewer than 15 calls in 1/16 s: the message loop is falling behind.
        if (state.tickCount <= 14 && main->m_computer != nullptr)
            main->m_computer->RaiseUiLateness();
        state.lastSync = now;
        state.tickCount = 0;
        main->SyncWithCore(false);
        main->TellSoundFailure(nullptr);
        main->UpdateToolbar();
    }
    if (now - state.lastBlink >= (frequency >> 2) + (frequency >> 3)) {
        state.lastBlink = now;
        main->BlinkDriveActivity(false);
    }
    if (now - state.lastTitle >= frequency) {
        state.lastSync = state.lastBlink = state.lastTitle = now;
        main->UpdateTitle();
    }

    if (main->m_computer == nullptr || main->PickRenderer() == nullptr)
        return true;
    int64_t start = 0;
    common::GetPerformanceCounter(&start);
    if (start < state.nextPresent)
        return true;
    main->m_computer->PresentFrame(false, false);
    int64_t end = 0;
    common::GetPerformanceCounter(&end);
    const int32_t took = static_cast<int32_t>(static_cast<uint32_t>(end) - static_cast<uint32_t>(start));
    if (took > (frequency >> 6)) {
        state.nextPresent = end + (frequency >> 7);
        main->m_computer->RaiseUiLateness();
    }
    return true;
}

void CMainWindow::UpdateTitle() {
    // Wide all the way: the speed caption is Cyrillic in the Russian UI.
    common::CWideString status;
    if (m_computer != nullptr)
        m_computer->FormatStatusText(status);
    common::CWideString text(m_title.GetNarrow());
    if (!status.IsEmpty()) {
        text.AppendNarrow(" - ");
        text.AppendWideString(status);
        if (m_screen != nullptr && GetCapture() == m_screen->GetWindowHandle())
            text.AppendWideString(common::CLocale::GetText(TextId::kMouseCapturedSuffix));
    }
    if (text.CompareWideString(GetCaption()) != 0)
        SetCaption(text);
}

void CMainWindow::SyncWithCore(bool force) {
    if (m_computer == nullptr)
        return;
    bool refreshDrives = false;
    if (!force) {
        if (!m_computer->IsStatusChanged())
            return;
        m_computer->SetStatusChanged(false);
        refreshDrives = m_computer->IsDrivesChanged();
        m_computer->SetDrivesChanged(false);
    }
    if (m_mouseMode && !m_computer->IsActive())
        ReleaseMouse(true);
    TellSoundFailure(m_computer->TakeSoundFailure());
    if (refreshDrives)
        RefreshDriveRow();
    if (GetMenuBar() != nullptr)
        GetMenuBar()->UpdateAll();
}

void CMainWindow::TellSoundFailure(const char* outputName) {
    // Once per run of the program (of its one main window): the setting
    // stays, so every start would otherwise ask again.
    if (outputName != nullptr && !m_soundFailureTold)
        m_pendingSoundFailure = outputName;
    // The machine runs on without sound meanwhile. The notice waits until the
    // window is shown, and comes from the message loop rather than from this
    // timer, whose frames and title go on while the box is open.
    HWND window = GetWindowHandle();
    if (m_pendingSoundFailure == nullptr || m_soundNoticePosted || window == nullptr || !IsWindowVisible(window))
        return;
    m_soundNoticePosted = PostMessageW(window, kTellSoundFailureMessage, 0, 0) != FALSE;
}

void CMainWindow::ShowPendingSoundFailure() {
    m_soundNoticePosted = false;
    const char* pending = m_pendingSoundFailure;
    if (pending == nullptr)
        return;
    m_pendingSoundFailure = nullptr;
    m_soundFailureTold = true;
    ShowWarning(FormatSoundFailureNotice(common::CLocale::GetLanguage(), pending),
                common::CLocale::GetText(TextId::kSound));
}

LRESULT CMainWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == kTellSoundFailureMessage) {
        ShowPendingSoundFailure();
        return 0;
    }
    return gui::Windows::CFrameWindow::HandleMessage(message, wParam, lParam);
}

int32_t CMainWindow::GetDriveIconIndex(const CMediaSlot* slot, int32_t lampPhase, bool running) {
    if (slot == nullptr)
        return 3;
    int32_t index = 0;
    bool redOrYellow = false;
    if (!slot->IsOpen()) {
        index = slot->GetLatch() ? 2 : 3;
    } else if (!slot->GetLatch()) {
        index = 1;
    } else if (running && !slot->IsMediaValid()) {
        index = slot->IsExamined() ? 8 : 9;
        redOrYellow = true;
    }
    if (lampPhase < 0)
        index += redOrYellow ? 2 : 4;
    return index;
}

} // namespace emu
