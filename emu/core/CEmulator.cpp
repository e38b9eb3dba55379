// The emulated computer's construction, destruction and the hand-over of a
// machine; run control lives in CEmulator_Thread.cpp, the run loop in
// CEmulator_RunLoop.cpp.
#include "emu/core/CEmulator.h"

#include "common/CScopedLock.h"
#include "common/CStringList.h"
#include "common/OsHelpers.h"
#include "emu/core/CEmulatorManagerInterface.h"
#include "emu/framework/CComputer.h"
#include "emu/host/CRenderer_NoRendering.h"
#include "emu/host/CSoundOutput.h"

namespace emu {

namespace {

std::atomic<int32_t>& EmulatorCount() {
    static std::atomic<int32_t> s_count{0};
    return s_count;
}

} // namespace

int32_t CEmulator::GetEmulatorCount() {
    return EmulatorCount().load();
}

CEmulator::CEmulator(CEmulatorManagerInterface* manager, CComputer* machine, CRenderer* renderer,
                     CSoundOutput* soundOutput, CRenderer* hostView)
    : m_manager(manager), m_machine(machine), m_hostView(hostView), m_consoleView(nullptr), m_renderer(renderer),
      m_rendererOwned(true), m_menus(), m_soundOutput(soundOutput), m_thread(&CEmulator::ThreadEntry, this),
      m_threadAlive(false), m_threadExit(true), m_singleProcessorHost(common::GetProcessorCount() <= 1),
      m_inputBuffers(), m_inputWriteIndex(0), m_mouseState(), m_configIndex(0), m_synchronization(true),
      m_fastInit(false), m_pacing(true), m_syncRate(kDefaultSyncRate), m_speedPercent(0), m_uiLateness(0),
      m_soundFailure(nullptr), m_active(false), m_inRunLoop(false), m_inBreak(false), m_stopRequested(false),
      m_loopKind(-1), m_exitRequest(0), m_restartRequested(false), m_pauseCount(0), m_parked(false),
      m_statusChanged(false), m_stateLoaded(false), m_attention(false), m_stateWriter(nullptr), m_stateReader(nullptr),
      m_stateOperationFailed(false), m_stepsLeft(0), m_traceLevel(0), m_savedSliceBudget(0),
      m_sliceBudgetPointer(nullptr), m_sliceBudgetSaved(false), m_runToMode(0), m_runToAddress(0),
      m_cancelStepRequest(false), m_showInstructionLine(false), m_consoleShown(true), m_waitCallback(nullptr),
      m_outputWindow(nullptr), m_processor(nullptr), m_consumeIndex(1), m_keySeen(false), m_fastInitFrames(0),
      m_ownSyncFrequency(0), m_ownIgnoreDuplicates(0) {
    // The screen renderer is never missing: headless when none was given.
    if (m_renderer == nullptr)
        m_renderer = new CRenderer_NoRendering();
    if (m_machine != nullptr)
        AdoptMachine(m_machine);

    m_consoleShown = true;
    if (m_hostView != nullptr)
        m_consoleView = m_hostView->CreateInstance();
    m_console.SetCommandCallback(&CEmulator::ConsoleCommandCallback, this);
    m_console.SetPopupHook(&CEmulator::ForwardMachineCallInBreak, this);
    m_console.SetCentred(true);
    if (m_consoleView != nullptr)
        HookConsoleView();

    m_stepsLeft = 0;
    m_traceLevel = 0;
    if (m_machine != nullptr) {
        // A machine whose build fails runs empty: its power-on fails later.
        if (!m_machine->Build())
            m_machine->Shutdown();
        m_machine->LoadSettings();
        RemoveStaleStateTemporary();
        PrintBanner();
    }

    for (int i = 0; i < kMenuCount; ++i) {
        m_menus[i] = new COptionTree();
        m_menuRoot.AddChild(m_menus[i]);
    }
    RefreshOptionMenus();
    m_stateLoaded = false;
    m_drivesChanged = false;
    m_statusChanged = false;
    EmulatorCount().fetch_add(1);
}

CEmulator::~CEmulator() {
    m_console.SetPopupHook(nullptr, nullptr);
    // The machine goes below; a thread still running would use it.
    if (m_threadAlive)
        ShutdownThread();
    if (m_machine != nullptr) {
        common::CScopedLock lock(&m_coreLock);
        if (!m_active) {
            ReleaseMachine(m_machine);
            delete m_machine;
            m_machine = nullptr;
            RefreshOptionMenus();
        }
    }
    // No machine holds the outputs any more; the host view may already be gone,
    // so no console view is made again here.
    delete m_soundOutput;
    m_soundOutput = nullptr;
    if (m_rendererOwned)
        delete m_renderer;
    m_renderer = nullptr;
    delete m_consoleView;
    m_consoleView = nullptr;
    EmulatorCount().fetch_sub(1);
    if (!m_thread.Stop(-1))
        m_thread.Terminate();
}

void CEmulator::AdoptMachine(CComputer* machine) {
    machine->AttachHost(m_renderer);
    machine->SetSoundOutput(m_soundOutput);
    machine->SetConsole(&m_console);
    machine->SetBreakHookUser(this);
    machine->SetBreakHook(nullptr);
    machine->SetTraceLevel(&m_traceLevel);
}

void CEmulator::ReleaseMachine(CComputer* machine) {
    machine->SetBreakHook(nullptr);
    machine->SetTraceLevel(nullptr);
    machine->AttachHost(nullptr);
    machine->SetSoundOutput(nullptr);
}

void CEmulator::PrintBanner() {
    if (m_machine == nullptr)
        return;
    common::CStringList lines;
    m_machine->GetIdentityText(lines);
    for (int i = 0; i < lines.GetCount(); ++i) {
        const common::CString* line = lines.GetAt(i);
        if (line != nullptr)
            m_console.AppendColoredLine(*line, i == 0 ? nullptr : &kBannerColour, true);
    }
}

void CEmulator::HookConsoleView() {
    m_consoleView->SetRepaintHook(&CEmulator::OnRendererRepaint, this);
    MarkConsoleChanged();
}

uint32_t CEmulator::GetSyncFrequencyChoice() const {
    if (m_manager != nullptr && m_manager->GetSyncFrequencySetting() != nullptr)
        return *m_manager->GetSyncFrequencySetting();
    return m_ownSyncFrequency;
}

} // namespace emu
