// The emulation thread's life and the run control of the user-interface
// thread: every operation here takes coreLock and reaches the emulation
// thread only through the run-control flags and the pause handshake.
#include "common/CScopedLock.h"
#include "common/OsHelpers.h"
#include "emu/core/CEmulator.h"
#include "emu/framework/CComputer.h"
#include "emu/framework/CProcessor.h"

namespace emu {

namespace {

constexpr int32_t kThreadStartWaits = 5000; // 1 ms each
constexpr int kParkYields = 100;

} // namespace

// --- The thread ----------------------------------------------------------------------

bool CEmulator::StartThreadOrRun() {
    if (m_threadAlive)
        return true;
    // The emulation thread comes here with threadExit already cleared.
    if (!m_threadExit)
        return RunThreadBody();

    {
        common::CScopedLock lock(&m_threadLock);
        m_threadExit = false;
        m_stopRequested = true;
        if (!m_thread.Start(false, common::CWorkerThread::kPriorityNormal)) {
            m_threadExit = true;
            return false;
        }
    }
    for (int32_t i = 0; i < kThreadStartWaits && !m_threadAlive; ++i)
        common::SleepMs(1);
    if (m_threadAlive)
        return true;
    m_threadExit = true;
    m_stopRequested = false;
    // Waits until a body that came alive late has finished.
    common::CScopedLock wait(&m_threadLock);
    return false;
}

uint32_t CEmulator::ThreadEntry(void* context) {
    CEmulator* core = static_cast<CEmulator*>(context);
    if (core == nullptr)
        return 1;
    return core->StartThreadOrRun() ? 0 : 1;
}

bool CEmulator::RunThreadBody() {
    if (!m_stopRequested)
        return false;
    common::CScopedLock lock(&m_threadLock);
    if (m_threadExit)
        return false;
    m_active = false;
    m_stopRequested = true;
    m_restartRequested = false;
    m_threadAlive = true;
    try {
        while (!m_threadExit) {
            if (m_active || m_stopRequested) {
                if (m_restartRequested) {
                    m_restartRequested = false;
                    m_stopRequested = false;
                    continue;
                }
                WaitIdle();
                continue;
            }
            if (m_machine != nullptr && m_machine->GetProcessor(0) != nullptr) {
                RunSynchronized();
                continue;
            }
            // Nothing can run: answer the start as a failed power-on, so that
            // Start (which waits for the loop or for this flag) returns.
            m_stopRequested = true;
            m_statusChanged = true;
        }
    } catch (...) {
        // Nothing may leave the thread function; the machine is already off.
        m_threadAlive = false;
        m_stopRequested = true;
        return false;
    }
    m_threadAlive = false;
    if (m_machine != nullptr) {
        SaveMachineSettings();
        m_machine->Shutdown();
    }
    return true;
}

void CEmulator::WaitIdle() {
    // The request is made before the flags are looked at, so a Start or a
    // shutdown that comes in between withdraws it (Resume) and the thread
    // does not park on a wake-up that has already happened.
    m_thread.RequestPause();
    if (!m_threadExit && !m_restartRequested && (m_active || m_stopRequested))
        m_thread.PausePoint(true);
    else
        m_thread.Resume();
}

// --- The pause handshake -------------------------------------------------------------

void CEmulator::PauseAndWait() {
    // The request before the doorbell: a loop that answers the doorbell
    // between the two would otherwise find no request and run on, deaf.
    m_pauseCount.fetch_add(1);
    m_attention = true;
    if (!m_inRunLoop)
        return;
    // A loop that leaves instead of parking (it powered off) ends the wait too.
    for (int i = 0; i < kParkYields && !m_parked && m_inRunLoop; ++i)
        common::SleepMs(0);
    while (!m_parked && m_inRunLoop)
        common::SleepMs(1);
}

void CEmulator::ReleasePause() {
    int32_t count = m_pauseCount.load();
    while (count > 0 && !m_pauseCount.compare_exchange_weak(count, count - 1)) {
    }
    m_attention = true;
}

// --- Run control ---------------------------------------------------------------------

bool CEmulator::Start(bool breakFirst, bool showConsole) {
    m_coreLock.Enter();
    if (!m_threadAlive || (m_active && !m_stopRequested)) {
        m_coreLock.Leave();
        return true;
    }
    PauseAndWait();
    if (m_console.IsCentred()) {
        m_console.Clear();
        m_console.SetCentred(false);
    }
    m_stopRequested = false;
    m_thread.Resume();
    while (!m_stopRequested && !m_inRunLoop && m_threadAlive)
        common::SleepMs(1);
    if (m_inRunLoop) {
        // Waits for the loop's set-up.
        m_powerLock.Enter();
        m_powerLock.Leave();
    }
    if (!m_active) {
        m_coreLock.Leave();
        ReleasePause();
        return false;
    }
    if (m_console.IsCentred())
        m_console.SetCentred(false);
    m_coreLock.Leave();

    ShowConsole(showConsole, false);
    // The pause still holds the loop before its first slice, so a break here
    // stops the machine before its first instruction.
    if (breakFirst)
        Break(false);
    ReleasePause();
    return true;
}

void CEmulator::Break(bool deepPause) {
    if (m_inBreak || !m_active) {
        if (deepPause) {
            common::CScopedLock lock(&m_coreLock);
            m_thread.RequestPause();
        }
        return;
    }
    common::CScopedLock lock(&m_coreLock);
    if (!m_threadAlive) {
        if (deepPause)
            m_thread.RequestPause();
        return;
    }
    // The request before the doorbell, as in PauseAndWait.
    m_inBreak = true;
    m_attention = true;
    // The menus, the toolbar and the title follow the run state.
    m_statusChanged = true;
    m_thread.Resume();
    while (m_inRunLoop && !m_parked)
        common::SleepMs(1);
    // Keys held on the emulated keyboard are released.
    if (m_inRunLoop && m_threadAlive)
        PostInputWord(kInputReleaseAll);
    if (m_active) {
        if (m_consoleShown)
            MarkConsoleChanged();
        if (m_inRunLoop && m_machine != nullptr)
            m_machine->SetSoundPaused(true);
    }
    if (!m_active)
        m_inBreak = false;
    if (deepPause)
        m_thread.RequestPause();
}

void CEmulator::Resume() {
    m_thread.Resume();
    if (!m_inBreak)
        return;
    common::CScopedLock lock(&m_coreLock);
    if (!m_threadAlive)
        return;
    // A break that a device asked for may not have parked the loop yet; the
    // machine is touched only once it has.
    while (m_inRunLoop && !m_parked && m_inBreak)
        common::SleepMs(1);
    if (m_machine != nullptr)
        m_machine->SetSoundPaused(false);
    m_inBreak = false;
    m_attention = true;
    // A step or run-to resumes here too: the window shows the machine running.
    m_statusChanged = true;
    if (m_inRunLoop) {
        PostInputWord(kInputReleaseAll);
        if (m_consoleShown)
            MarkConsoleChanged();
    }
}

void CEmulator::CancelStep() {
    m_cancelStepRequest = true;
    m_attention = true;
    m_thread.Resume();
    while (m_inRunLoop && !m_parked && m_cancelStepRequest)
        common::SleepMs(1);
    m_stepsLeft = 0;
    m_cancelStepRequest = false;
}

void CEmulator::Stop() {
    ShowConsole(true, false);
    common::CScopedLock lock(&m_coreLock);
    if (!m_threadAlive)
        return;
    PauseAndWait();
    m_stopRequested = true;
    m_attention = true;
    m_thread.Resume();
    while (m_active && m_threadAlive)
        common::SleepMs(1);
    ReleasePause();
    if (m_threadAlive && m_stopRequested && m_renderer != nullptr) {
        // Blanks the screen.
        m_renderer->Reset();
        m_renderer->RequestPresent(true);
    }
}

void CEmulator::ShutdownThread() {
    if (m_threadExit)
        return;
    m_coreLock.Enter();
    PauseAndWait();
    m_attention = true;
    m_stopRequested = true;
    m_threadExit = true;
    m_thread.Resume();
    // Returns once the body has saved the settings and shut the machine down.
    // coreLock stays held meanwhile, so the two locks are always taken in the
    // order coreLock, threadLock.
    m_threadLock.Enter();
    if (m_renderer != nullptr) {
        m_renderer->Reset();
        m_renderer->RequestPresent(true);
        if (m_machine != nullptr)
            m_machine->AttachHost(nullptr);
        SetRenderer(nullptr, false);
    }
    if (!m_thread.Stop(100) && !m_thread.Stop(400) && !m_thread.Stop(1500))
        m_thread.Terminate();
    m_threadLock.Leave();
    m_coreLock.Leave();
}

// --- Callbacks ------------------------------------------------------------------------

uint32_t CEmulator::BreakRequestCallback(void* context, bool* breakFlag, bool* result, int32_t code) {
    CEmulator* core = static_cast<CEmulator*>(context);
    if (core == nullptr || !core->m_inRunLoop)
        return 0;
    CProcessor* processor = core->m_processor;
    if (processor == nullptr) {
        if (result != nullptr)
            *result = true;
        return 0;
    }
    if (core->m_sliceBudgetPointer == nullptr)
        return 0;
    if (breakFlag != nullptr && *breakFlag) {
        // A break before a device access: the instruction is abandoned and
        // runs again from its start after the break, then without breaking.
        const uint32_t pc = processor->GetProgramCounter();
        if (core->m_timing.m_reentryGuard.armed && pc == core->m_timing.m_reentryGuard.address) {
            if (result != nullptr)
                *result = core->m_timing.m_reentryGuard.pass;
            return 0;
        }
        core->m_timing.m_reentryGuard.address = pc;
        core->m_timing.m_reentryGuard.armed = *breakFlag = processor->StopSlice();
        core->m_timing.m_reentryGuard.pass = false;
        if (result != nullptr)
            *result = false;
    } else {
        processor->EndSlice();
    }
    if (!core->m_sliceBudgetSaved) {
        core->m_sliceBudgetSaved = true;
        core->m_savedSliceBudget = *core->m_sliceBudgetPointer;
    }
    *core->m_sliceBudgetPointer = kBreakSliceMarker;
    if (!core->m_inBreak) {
        core->m_statusChanged = true;
        core->m_attention = true;
        core->m_inBreak = true;
        if (core->m_machine != nullptr)
            core->m_machine->SetSoundPaused(true);
    }
    core->m_stepsLeft = 0;
    core->m_traceLevel = 0;
    if (code != 0) {
        core->m_showInstructionLine = false;
        core->m_exitRequest = code;
        return 1;
    }
    if (!core->m_consoleShown) {
        core->ShowConsoleOnThread();
        core->m_statusChanged = true;
    }
    core->m_showInstructionLine = true;
    return 1;
}

CEmulator::CSafePoint::CSafePoint(CEmulator* core) : m_core(core) {
    if (m_core == nullptr)
        return;
    m_core->m_coreLock.Enter();
    m_core->PauseAndWait();
}

CEmulator::CSafePoint::~CSafePoint() {
    if (m_core == nullptr)
        return;
    m_core->ReleasePause();
    m_core->m_coreLock.Leave();
}

void CEmulator::ForwardMachineCallInBreak(void* context, common::CStringList* lines, common::CImage** image) {
    CEmulator* core = static_cast<CEmulator*>(context);
    if (core == nullptr || lines == nullptr || !core->m_active || !core->m_inRunLoop || !core->m_inBreak)
        return;
    // A break asked on the emulation thread is set before the loop reaches
    // its safe point; the devices are read only once it stands there.
    if (!core->m_parked || core->m_machine == nullptr)
        return;
    // No device of these machines supplies a picture: the image stays null.
    (void)image;
    core->m_machine->DispatchEvent(CDevice::kEventPopupLines, 0, reinterpret_cast<uintptr_t>(lines));
}

} // namespace emu
