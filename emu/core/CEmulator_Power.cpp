// Power-on and power-off of the machine, both on the emulation thread: the run
// loop powers on under powerLock before its first frame and powers off when
// it leaves.
#include "emu/core/CEmulator.h"
#include "emu/framework/CBus.h"
#include "emu/framework/CComputer.h"
#include "emu/framework/CDrives.h"
#include "emu/framework/CProcessor.h"

namespace emu {

namespace {

// Bus samples per 1/50 s for the "EmuSyncFreq" values 0 to 4; the rate is 50 times that.
constexpr int32_t kSyncRates[CEmulator::kSyncRateCount] = {98, 221, 294, 441, 882};

} // namespace

bool CEmulator::PowerOn() {
    m_console.Clear();
    m_inRunLoop = false;
    m_stopRequested = false;
    m_active = true;
    if (m_renderer != nullptr)
        m_renderer->Reset();
    m_inBreak = false;
    m_pacing = m_synchronization && !m_fastInit;
    CDrives* drives = m_machine->GetDrivesService();
    if (drives != nullptr)
        drives->ClearActivity();

    const uint32_t choice = GetSyncFrequencyChoice();
    m_syncRate = kDefaultSyncRate;
    if (m_machine->UsesSyncFrequencySetting() && choice >= 1 && choice < static_cast<uint32_t>(kSyncRateCount))
        m_syncRate = kSyncRates[choice] * CRunLoopTiming::kFramesPerSecond;

    m_machine->AttachHost(m_renderer);
    m_machine->SetSoundOutput(m_soundOutput);
    m_machine->SetConsole(&m_console);
    CBus* bus = m_machine->GetBusService();
    if (bus == nullptr) {
        PowerOff();
        return false;
    }
    CProcessor* processor = m_machine->GetProcessor(0);
    if (processor != nullptr)
        CProcessor::SetProcessBaseFrequency(processor->GetFrequency());

    // Bus events added during the start enter the registry, so that a loaded
    // state can bind them again.
    bus->SetRegistering(true);
    bus->ClearFailedSoundOutput();
    const bool started = m_machine->Start(&m_syncRate);
    bus->SetRegistering(false);
    const char* soundFailure = bus->GetFailedSoundOutput();
    if (started && soundFailure != nullptr) {
        common::CNarrowString line;
        line.Format("[WARN] Sound output \"%s\" cannot be opened: running without sound (the Sound menu offers "
                    "another output)",
                    soundFailure);
        m_console.AppendLine(line, true);
        m_soundFailure = soundFailure;
        m_statusChanged = true;
    }
    if (!started || m_machine->GetProcessorCount() != 1 || processor == nullptr) {
        // Kept so that a load which started the machine can give the start's
        // own reason rather than call the state file damaged.
        if (!started)
            m_console.FindLastMessage(common::CTextConsole::kErrorTag, m_errorText);
        PowerOff();
        return false;
    }
    m_speedPercent = 0;
    if (processor->GetFrequency() <= 0) {
        PowerOff();
        return false;
    }
    m_stateWriter = nullptr;
    m_stateReader = nullptr;
    m_mouseState = CMouseEvent();
    return true;
}

void CEmulator::PowerOff() {
    m_loopKind = -1;
    m_inBreak = false;
    m_machine->SetBreakHook(nullptr);
    m_machine->Stop();
    m_sliceBudgetPointer = nullptr;
    m_processor = nullptr;
    m_inRunLoop = false;
    m_speedPercent = 0;
    m_attention = true;
    m_stopRequested = true;
    m_active = false;
    m_statusChanged = true;
}

} // namespace emu
