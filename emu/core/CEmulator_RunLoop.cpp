// The real-time run loop: the main processor runs in slices that end at its
// next event, 1/50 s of emulated time per frame, paced against the host's
// performance counter. Between slices the loop honours run control (pause,
// break, step, run to, stop) at its safe point and serves the state jobs
// posted there. Nothing here allocates per slice or per frame.
#include "common/CScopedLock.h"
#include "common/OsHelpers.h"
#include "emu/core/CEmulator.h"
#include "emu/framework/CBus.h"
#include "emu/framework/CComputer.h"
#include "emu/framework/CDrives.h"
#include "emu/framework/CProcessor.h"

namespace emu {

void CEmulator::RunSynchronized() {
    m_powerLock.Enter();
    if (!PowerOn()) {
        m_powerLock.Leave();
        return;
    }
    bool powerHeld = true;
    try {
        CRunLoopTiming& t = m_timing;
        m_keySeen = false;
        m_fastInitFrames = 0;
        t.m_pacingCopy = m_pacing;
        m_processor = m_machine->GetProcessor(0);
        // The bus puts its sample event on the processor's list: one slice per frame.
        const int32_t slices = m_machine->GetBusService()->SetRate(m_syncRate, m_processor);
        t.StartFrames(m_processor->GetFrequency(), slices);
        t.StartPacing(t.MeasureHostClock());

        m_attention = true;
        m_statusChanged = true;
        m_cancelStepRequest = true;
        m_inRunLoop = true;
        m_stepsLeft = 0;
        m_traceLevel = 0;
        m_showInstructionLine = false;
        m_sliceBudgetSaved = false;
        m_savedSliceBudget = 0;
        m_timing.m_reentryGuard.armed = false;
        m_sliceBudgetPointer = &t.m_sliceCycles;

        m_processor->StartEvents();
        t.CutAtEvent(m_processor);
        m_machine->SetBreakHook(&CEmulator::BreakRequestCallback);
        {
            common::CScopedLock input(&m_inputLock);
            m_consumeIndex = static_cast<int32_t>((m_inputWriteIndex & 1) ^ 1);
        }
        ClearInputBuffers();
        m_loopKind = 0;
        powerHeld = false;
        m_powerLock.Leave();
        t.m_frameIndex = 0;
        m_exitRequest = 0;
        t.m_slicesLeft = t.m_slicesPerFrame;

        Next next = Next::kPass;
        while (next != Next::kLeave) {
            switch (next) {
            case Next::kPass:
                next = RunPass();
                break;
            case Next::kRunSlice:
                next = RunSlice();
                break;
            case Next::kSliceEnd:
                next = EndSlice();
                break;
            case Next::kLeave:
                break;
            }
        }
    } catch (...) {
        if (powerHeld)
            m_powerLock.Leave();
        PowerOff();
        throw;
    }
    PowerOff();
    if (m_exitRequest.exchange(0) < 0)
        m_restartRequested = true;
}

CEmulator::Next CEmulator::RunPass() {
    // The doorbell: without it the next slice runs at once.
    if (!m_attention.exchange(false))
        return Next::kRunSlice;
    if (m_stopRequested)
        return Next::kLeave;
    if (m_showInstructionLine) {
        m_showInstructionLine = false;
        common::CNarrowString line;
        if (FormatCurrentInstruction(line))
            m_console.AppendLine(line, true);
    }
    if (m_pauseCount > 0 || m_inBreak)
        return Park();

    CRunLoopTiming& t = m_timing;
    if (m_sliceBudgetSaved) {
        // Back from a break inside a slice: the slice goes on with what it had left.
        t.m_sliceCycles = RemainingBrokenSlice();
        m_sliceBudgetSaved = false;
    }
    if (m_parked) {
        m_parked = false;
        int64_t now = 0;
        common::GetPerformanceCounter(&now);
        // Time spent parked is neither caught up nor counted as speed.
        t.m_deadline = now;
        t.RestartSpeedWindow(now);
        if (m_pauseCount > 0 || m_inBreak) {
            m_parked = true;
            m_attention = true;
            common::SleepMs(1);
            return Next::kPass;
        }
    }
    if (m_cancelStepRequest) {
        m_cancelStepRequest = false;
        m_stepsLeft = 0;
    }
    const int32_t steps = m_stepsLeft;
    m_traceLevel = steps;
    if (steps > 0)
        return Step();
    if (steps < 0)
        return RunTo();
    if (m_timing.m_reentryGuard.armed) {
        if (m_processor->GetProgramCounter() == m_timing.m_reentryGuard.address) {
            // The instruction that asked for a break before it ran now runs once.
            t.m_sliceCycles -= m_processor->Execute(0);
            m_attention = true;
            return t.m_sliceCycles <= 0 ? Next::kSliceEnd : Next::kPass;
        }
        m_timing.m_reentryGuard.armed = false;
    }
    return t.m_sliceCycles > 0 ? Next::kRunSlice : Next::kSliceEnd;
}

CEmulator::Next CEmulator::Park() {
    if (m_exitRequest != 0) {
        m_stopRequested = true;
        return Next::kLeave;
    }
    m_parked = true;
    m_attention = true;
    if (m_stateWriter != nullptr || m_stateReader != nullptr) {
        if (!ServeStateJob())
            return Next::kPass;
    }
    // A deep pause blocks here until the worker is resumed.
    if (m_inBreak)
        m_thread.PausePoint(true);
    common::SleepMs(1);
    return Next::kPass;
}

bool CEmulator::ServeStateJob() {
    common::CStreamHolder* writer = m_stateWriter;
    if (writer != nullptr) {
        const bool done = WriteCoreSection(*writer);
        if (done)
            m_stateOperationFailed = false;
        m_stateWriter = nullptr;
        return done;
    }
    common::CStreamHolder* reader = m_stateReader;
    if (reader == nullptr)
        return true;
    const bool done = ReadCoreSection(*reader);
    if (done) {
        ResetInputQueue();
        m_stateOperationFailed = false;
    }
    m_stateReader = nullptr;
    return done;
}

int32_t CEmulator::RemainingBrokenSlice() const {
    // The break wrote the marker into the slice value; whatever ran of the
    // slice after it has been taken off since.
    const int64_t ran = static_cast<int64_t>(kBreakSliceMarker) - m_timing.m_sliceCycles;
    const int64_t left = static_cast<int64_t>(m_savedSliceBudget) - (ran > 0 ? ran : 0);
    return left < INT32_MIN ? INT32_MIN : static_cast<int32_t>(left);
}

void CEmulator::ExecuteOne() {
    m_timing.m_sliceCycles -= m_processor->Execute(0);
    if (m_timing.m_reentryGuard.armed) {
        if (m_processor->GetProgramCounter() == m_timing.m_reentryGuard.address)
            m_attention = true;
        else
            m_timing.m_reentryGuard.armed = false;
    }
}

CEmulator::Next CEmulator::Step() {
    ExecuteOne();
    // A break during the instruction has already cleared the count and
    // stopped in the debugger.
    const int32_t steps = m_stepsLeft;
    if (steps > 0) {
        m_stepsLeft = steps - 1;
        m_traceLevel = steps - 1;
        if (steps - 1 != 0)
            m_attention = true;
        else
            EnterStepBreak();
    }
    return m_timing.m_sliceCycles <= 0 ? Next::kSliceEnd : Next::kPass;
}

CEmulator::Next CEmulator::RunTo() {
    const uint32_t pc = m_processor->GetProgramCounter();
    bool goOn = false;
    if (m_runToMode == 0)
        goOn = pc == m_runToAddress;
    else if (m_runToMode == 1)
        goOn = pc != m_runToAddress;
    if (!goOn) {
        m_stepsLeft = 0;
        m_traceLevel = 0;
        EnterStepBreak();
        return Next::kPass;
    }
    ExecuteOne();
    m_attention = true;
    return m_timing.m_sliceCycles <= 0 ? Next::kSliceEnd : Next::kPass;
}

void CEmulator::EnterStepBreak() {
    // The title shows the registers as the step left them.
    m_machine->PublishStatus();
    if (!m_inBreak) {
        m_inBreak = true;
        m_attention = true;
        m_statusChanged = true;
        m_machine->SetSoundPaused(true);
    }
    if (!m_consoleShown) {
        ShowConsoleOnThread();
        m_statusChanged = true;
    }
    common::CNarrowString line;
    if (!FormatCurrentInstruction(line))
        line.AssignNarrow("Disassembling error");
    m_console.AppendLine(line, true);
}

CEmulator::Next CEmulator::RunSlice() {
    CRunLoopTiming& t = m_timing;
    t.m_sliceCycles -= m_processor->Execute(t.m_sliceCycles);
    // Still positive: the processor ended the slice early (a break).
    return t.m_sliceCycles > 0 ? Next::kPass : Next::kSliceEnd;
}

CEmulator::Next CEmulator::EndSlice() {
    CRunLoopTiming& t = m_timing;
    const int32_t counter = m_processor->DebitCyclesToEvent(-t.m_sliceCycles);
    t.m_sliceCycles += t.m_deferredCycles;
    t.m_deferredCycles = 0;
    if (counter <= 0)
        m_processor->RunDueEvents();
    if (m_sliceBudgetSaved) {
        // An event asked for a break: what remains of the slice waits, cut
        // at the next event, until the break is left.
        if (m_savedSliceBudget > 0) {
            CRunLoopTiming::CutAtEvent(m_processor, &m_savedSliceBudget, &t.m_deferredCycles);
            return Next::kPass;
        }
        // Nothing remains: the slice is complete and the break waits for the
        // next pass, so its overshoot is carried once only.
        t.m_sliceCycles = m_savedSliceBudget;
        m_sliceBudgetSaved = false;
    } else if (t.m_sliceCycles > 0) {
        t.CutAtEvent(m_processor);
        return Next::kPass;
    }

    const bool frameDone = t.NextSlice(m_processor);
    if (m_pacing != t.m_pacingCopy) {
        int64_t now = 0;
        common::GetPerformanceCounter(&now);
        t.m_deadline = now + t.m_ticksPerFrame;
        t.m_pacingCopy = m_pacing;
    }
    if (frameDone)
        EndFrame();
    return t.m_sliceCycles > 0 ? Next::kPass : Next::kSliceEnd;
}

void CEmulator::EndFrame() {
    CRunLoopTiming& t = m_timing;
    CInputBuffer& consumed = m_inputBuffers[m_consumeIndex];
    if (consumed.m_count > 0)
        ProcessInputEvents(&consumed, &m_keySeen);
    {
        common::CScopedLock input(&m_inputLock);
        m_inputWriteIndex ^= 1;
        m_consumeIndex = static_cast<int32_t>((m_inputWriteIndex & 1) ^ 1);
    }
    m_machine->NotifyInterruptRequest();
    m_machine->PublishStatus();
    ++t.m_frameIndex;
    // Fast initialisation runs unpaced until the first disk activity, a drive
    // asked for that cannot be read, or a key; and for a bounded time only.
    if (!m_pacing && m_synchronization) {
        CDrives* drives = m_machine->GetDrivesService();
        const bool reachedDisks =
            m_fastInit && drives != nullptr && (drives->IsAnyActive() || drives->WasUnreadyDriveAsked());
        if (reachedDisks || m_keySeen || ++m_fastInitFrames >= kFastInitFrameLimit)
            m_pacing = true;
    }
    if (GetEmulatorCount() > 1)
        common::SleepMs(0);
    if (m_singleProcessorHost)
        common::SleepMs(1);
    // A user interface that fell behind since the last frame gets the longer
    // wait of the unpaced loop to catch up; otherwise the usual 1 ms.
    const bool uiLate = m_uiLateness.exchange(0, std::memory_order_relaxed) > 0;
    const WaitCallback wait = m_waitCallback;
    if (wait != nullptr)
        wait(uiLate ? kUiCatchUpWaitMs : 1);
    int64_t now = 0;
    common::GetPerformanceCounter(&now);
    now = t.Pace(now);
    t.m_slicesLeft = t.m_slicesPerFrame;
    if (t.m_frameIndex >= CRunLoopTiming::kSpeedWindowFrames) {
        if (GetEmulatorCount() > 1)
            common::SleepMs(0);
        int32_t speed = m_speedPercent;
        t.MeasureSpeed(now, &speed);
        m_speedPercent = speed;
    }
}

bool CEmulator::WriteCoreSection(common::CStreamHolder& holder) {
    // A slice broken into holds the break marker: the state gets what the
    // slice really has left.
    CRunLoopTiming timing = m_timing;
    if (m_sliceBudgetSaved)
        timing.m_sliceCycles = RemainingBrokenSlice();
    return timing.Write(holder, m_processor != nullptr && m_processor->UsesBaseFrequency());
}

bool CEmulator::ReadCoreSection(common::CStreamHolder& holder) {
    if (!m_timing.Read(holder, &m_errorText))
        return false;
    // The loaded slice value is a real budget, no longer a break marker.
    m_sliceBudgetSaved = false;
    return true;
}

} // namespace emu
