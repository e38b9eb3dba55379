#pragma once
// One running emulated computer: the machine, its emulation thread with the
// real-time run loop, the run control that the user interface and the
// debugger console drive, the keyboard and mouse input queue, the two views
// (emulated screen and debugger console) and whole-state save and load.
//
// Ownership: the core owns the machine, the debugger console, the thread, the
// sound output, the console-view renderer, an owned screen renderer and the
// seven option-menu models. The host view (a prototype renderer) and the
// manager are the front end's.
//
// Threads. The user-interface thread calls every public operation; the
// emulation thread runs the thread body, the run loop and the callbacks the
// machine makes (BreakRequestCallback). The emulation code never runs on the
// user-interface thread: an operation takes coreLock, raises the pause,
// waits until the run loop stands parked at a slice boundary (the safe
// point), changes the run-control fields or posts a state writer or reader
// that the parked loop serves, and releases the pause.
//
// Locks (all recursive): coreLock is taken by every user-interface operation
// and never by the emulation thread, so its holder may wait for the loop to
// park. The emulation thread nests threadLock (the body's whole life),
// powerLock (power-on and the loop's set-up) and inputLock (the input
// buffers), in that order. The run-control flags shared by the two threads
// are atomic; plain fields are written only by the side that owns them or
// while the loop is parked.
//
// Run-loop pass (emulation thread): a clear attention flag runs the next slice
// at once; otherwise the loop leaves on stopRequested, prints a requested
// instruction line, parks while pauseCount > 0 or inBreak, serves a posted
// state job while parked, then steps, runs to an address or runs the slice.
//
// Input words (16 bits), queued by the user-interface thread into one of two
// buffers of 512 words and consumed by the loop at every frame end:
//   key      low byte 2 (released) or 3 (pressed), high byte the key code
//   mouse    low byte 8, high byte the action (0/1 first button down/up,
//            2/3 second button down/up, 4 move), then x, then y
//   special  low byte 4; 0x100 releases every key, 0x200 resets the mouse
// A buffer that fills up ends with 0xFF04, so no key stays stuck. The queue is
// no part of a saved state: reading "_EMUCORE" resets it, so a loaded machine
// starts with every key let go; a save leaves it alone, losing no typed key.
//
// Whole-state file (one model's state; "<settings name>.sav" in the "states"
// folder of the program's writable folder):
//   F0 "NUVSTATE", "_MAXCPU_" i8 (the loop kind), the machine configuration
//   "_EMUINIT", the loop timing "_EMUCORE" (CRunLoopTiming.h), the machine
//   part (CMachine.h), FF "NUVSTATE"
#include <atomic>
#include <cstdint>
#include <vector>

#include "common/CCriticalSection.h"
#include "common/CNarrowString.h"
#include "common/CPath.h"
#include "common/CTokenList.h"
#include "common/CWorkerThread.h"
#include "emu/core/CDebugConsole.h"
#include "emu/core/CRunLoopTiming.h"
#include "emu/framework/CMouseEvent.h"
#include "emu/framework/COptionTree.h"
#include "emu/host/CRenderer.h"

namespace common {
class CImage;
class CPath;
class CStream;
class CStreamHolder;
class CString;
class CStringList;
} // namespace common

namespace emu {

class CComputer;
class CEmulatorManagerInterface;
class CMediaSlot;
class CProcessor;
class CSoundOutput;

class CEmulator {
public:
    // Installed by the front end: waits at most timeoutMs for the user
    // interface to become idle; the run loop ignores the answer.
    typedef bool (*WaitCallback)(uint32_t timeoutMs);

    // One input buffer.
    static constexpr int32_t kInputBufferWords = 512;
    struct CInputBuffer {
        uint16_t m_words[kInputBufferWords];
        int32_t m_count;
    };

    // Input words.
    static constexpr uint16_t kInputKey = 0x02;
    static constexpr uint16_t kInputKeyPressed = 0x01;
    static constexpr uint16_t kInputSpecial = 0x04;
    static constexpr uint16_t kInputMouse = 0x08;
    static constexpr uint16_t kInputReleaseKeys = 0x100;
    static constexpr uint16_t kInputResetMouse = 0x200;
    static constexpr uint16_t kInputReleaseAll = 0x304;
    static constexpr uint16_t kInputMouseReset = 0x204;
    static constexpr uint16_t kInputOverflow = 0xFF04;
    // Mouse actions.
    enum : int32_t {
        kMouseFirstDown = 0,
        kMouseFirstUp = 1,
        kMouseSecondDown = 2,
        kMouseSecondUp = 3,
        kMouseMove = 4,
    };

    // Menu kinds of the seven option-menu models, and the kinds the machine
    // fills into them besides.
    enum : int32_t {
        kMenuComputer = 1,
        kMenuComputerTail = 2,
        kMenuVideo = 3,
        kMenuSound = 4,
        kMenuInput = 5,
        kMenuDebugMiddle = 6,
        kMenuDebug = 7,
        kMenuDebugTail = 9,
        kMenuSettings = 10,
        kMenuDrives = 11,
    };
    static constexpr int kMenuCount = 7;

    // UI text ids of the core's own menu entries and of the status text.
    static constexpr int32_t kTextSyncFrequency = 33; // "Sync Frequency"; 34..38 the five rates
    static constexpr int32_t kTextFirstSyncRate = 34;
    static constexpr int32_t kTextIgnoreConsoleDuplicates = 39;
    static constexpr int32_t kTextSpeed = 85;

    // Bus sample rates per "EmuSyncFreq" value, in samples per 1/50 s.
    static constexpr int32_t kSyncRateCount = 5;
    static constexpr int32_t kDefaultSyncRate = 4900;

    // What a break request writes into the slice budget so that the loop goes
    // on to its next flag check instead of ending the frame.
    static constexpr int32_t kBreakSliceMarker = 0x7FFFFFF;
    // The frame-end wait for the user interface after it reported falling behind.
    static constexpr uint32_t kUiCatchUpWaitMs = 10;
    // Fast initialisation ends after this many frames at the latest (15 s of
    // emulated time; a boot takes about 10 s): a machine that never reads a
    // disk nor gets a key must not run unpaced for ever.
    static constexpr int32_t kFastInitFrameLimit = 15 * 50;
    // The longest console command line: no word or number of it outgrows its
    // 16-bit token length.
    static constexpr int kMaxCommandLineLength = common::CTextConsole::kMaxCommandLineLength;

    // Banner lines after the first one.
    static constexpr common::ARGB kBannerColour = 0xFFBE8080u;

    // The core takes over machine, renderer and soundOutput (each may be
    // null; a null renderer becomes an own "No Rendering" one). hostView, the
    // manager's first renderer or null, only serves as the prototype of the
    // console view. manager may be null: the core then keeps the two settings
    // itself.
    CEmulator(CEmulatorManagerInterface* manager, CComputer* machine, CRenderer* renderer, CSoundOutput* soundOutput,
              CRenderer* hostView);
    // Ends a thread that still runs, then frees everything the core owns.
    virtual ~CEmulator();

    CEmulator(const CEmulator&) = delete;
    CEmulator& operator=(const CEmulator&) = delete;

    // --- Thread and run control (CEmulator_Thread.cpp) ---------------------------
    // From outside: starts the emulation thread and waits until it is alive;
    // false when it cannot start or does not come alive within about 5 s. On
    // the emulation thread: the thread body.
    bool StartThreadOrRun();
    // The thread function: 1 for a null context, else 0 when the body ended well.
    static uint32_t ThreadEntry(void* context);
    // Raises the pause and, while the run loop runs, waits until it parks.
    void PauseAndWait();
    // Lowers the pause (never below 0).
    void ReleasePause();
    // Powers the machine on and runs it; with breakFirst it stops in the
    // debugger before the first instruction; showConsole picks the view.
    // True when already running or the thread is not alive; false when
    // power-on failed.
    bool Start(bool breakFirst, bool showConsole);
    // Stops in the debugger; deepPause also blocks the parked thread on its
    // wake event (the menu's Pause).
    void Break(bool deepPause);
    // Leaves the debugger break (and a deep pause).
    void Resume();
    // Cancels pending stepping.
    void CancelStep();
    // Powers the machine off and shows the console.
    void Stop();
    // Ends the emulation thread for good (settings saved, machine shut down).
    void ShutdownThread();
    // The machine's break hook (emulation thread): code 0 for a break asked
    // by a device or the processor, -1 from the machine's poll.
    static uint32_t BreakRequestCallback(void* context, bool* breakFlag, bool* result, int32_t code);
    // The console's popup hook; offers the popup to the machine only while
    // stopped in the debugger.
    static void ForwardMachineCallInBreak(void* context, common::CStringList* lines, common::CImage** image);

    // --- Input (CEmulator_Input.cpp) -----------------------------------------------
    // A host key (program key code): to the console while it is shown, else
    // through the console's hot keys to the machine. False when a hot key
    // took it; the console's answer while the console is shown; true otherwise.
    bool PostKeyEvent(int32_t key, bool pressed);
    // A mouse action at window coordinates; always true.
    bool PostMouseEvent(uint16_t x, uint16_t y, int32_t action);
    // Queues a special word and clears the console's key table.
    void PostInputReset(bool releaseKeys, bool resetMouse);
    // Emulation thread: hands the buffer's words to the machine and empties it.
    void ProcessInputEvents(CInputBuffer* buffer, bool* keySeen);
    // Both buffers become the single overflow word (everything released); after
    // every state read.
    void ResetInputQueue();

    // --- Views and status (CEmulator_View.cpp) ----------------------------------------
    // The console view's repaint hook: draws the console text when it changed.
    static bool OnRendererRepaint(void* context);
    void ShowConsole(bool on, bool pause);
    // Presents the current view into the output window; always true.
    bool PresentFrame(bool refreshBanner, bool force);
    // "<machine> (<frequency text>, Speed=<n>)"; empty without a thread or machine.
    void FormatStatusText(common::CString& out);

    // --- Machine and host outputs, menus, drives (CEmulator_Outputs.cpp) --------------
    // False while the machine is powered on.
    bool SetSoundOutput(CSoundOutput* output);
    // Null installs an own "No Rendering" renderer.
    void SetRenderer(CRenderer* renderer, bool owned);
    // False while the machine is powered on; null leaves the core without one.
    bool SetMachine(CComputer* machine);
    void RefreshOptionMenus();
    // The model of kind 1, 3, 4, 5, 7, 10 or 11; null for any other kind.
    COptionTree* GetOptionMenu(int32_t kind);
    // Media slots per kind (each capped by its maximum); the total.
    int32_t GetDriveCounts(int32_t* floppies, int32_t* hardDisks, int32_t* cartridges, int32_t* cdDrives);
    // Slot index of the machine's list of all slots; null outside it.
    CMediaSlot* GetDrive(int32_t index);

    // --- Whole state (CEmulator_StateFile.cpp) -----------------------------------------
    // lockHeld: the caller already holds coreLock (the console's commands).
    bool SaveStateToStream(common::CStream* stream, bool lockHeld);
    // An empty folder means the default place.
    bool SaveStateToFile(const common::CPath& folder, bool lockHeld);
    // An empty folder searches the default places; true also when there is no
    // state file.
    bool LoadStateFromFile(const common::CPath& folder, bool lockHeld);

    // --- Debugger console command language (CEmulator_Commands.cpp) -------------------
    // Runs one command line (user-interface thread) with coreLock held and the
    // loop parked; every answer is a console line.
    void ExecuteConsoleCommand(const common::CString& line);
    // The console's command callback; context is the core.
    static void ConsoleCommandCallback(void* context, const common::CString& line);
    // The lexer: the recogniser for a token starting at c, or null when no
    // token may start there (an illegal symbol).
    static common::TokenRecognizer SelectTokenScanner(const char* c);
    // The recognisers (a null c is the end of the line, never accepted).
    static bool ScanLineEnd(const char* c, const char* start, int accepted, int32_t* kind);
    static bool ScanSpaces(const char* c, const char* start, int accepted, int32_t* kind);
    static bool ScanNumber(const char* c, const char* start, int accepted, int32_t* kind);
    static bool ScanWord(const char* c, const char* start, int accepted, int32_t* kind);
    static bool ScanPunctuation(const char* c, const char* start, int accepted, int32_t* kind);
    static bool ScanQuotedString(const char* c, const char* start, int accepted, int32_t* kind);
    // The instruction at the program counter as one line of fixed-width
    // columns ("[addr] bytes  mnemonic flags  effect"); false (line untouched)
    // while powered off or without a processor.
    bool FormatCurrentInstruction(common::CNarrowString& line);

    // --- Run-control requests of the debugger's commands -------------------------------
    // Made with coreLock held and the loop parked; the loop acts on them after
    // the pause is released.
    // steps > 0: instructions to step; -1: run to (mode 1: until the program
    // counter equals address; mode 0: while it equals address).
    void RequestSteps(int32_t steps, int32_t runToMode, uint32_t runToAddress);
    // Lets the instruction at address run once without breaking again
    // (toggling the pass answer when a guard was already armed).
    void ArmReentryGuard(uint32_t address);
    void SetAttention() { m_attention = true; }

    // --- State for the front end and the console ----------------------------------------
    common::CCriticalSection& GetCoreLock() { return m_coreLock; }
    CDebugConsole& GetConsole() { return m_console; }
    CComputer* GetMachine() const { return m_machine; }
    CRenderer* GetRenderer() const { return m_renderer; }
    CSoundOutput* GetSoundOutput() const { return m_soundOutput; }
    CRenderer* GetConsoleView() const { return m_consoleView; }
    bool IsThreadAlive() const { return m_threadAlive; }
    bool IsActive() const { return m_active; }
    bool IsInRunLoop() const { return m_inRunLoop; }
    bool IsInBreak() const { return m_inBreak; }
    bool IsParked() const { return m_parked; }
    bool IsStopRequested() const { return m_stopRequested; }
    bool IsConsoleShown() const { return m_consoleShown; }
    int32_t GetPauseCount() const { return m_pauseCount; }
    int32_t GetStepsLeft() const { return m_stepsLeft; }
    int32_t GetLoopKind() const { return m_loopKind; }
    int32_t GetSpeedPercent() const { return m_speedPercent; }
    // The name of the sound output that could not open when the machine last
    // powered on (the machine then runs without sound), handed out once; null
    // when there is nothing new to tell.
    const char* TakeSoundFailure() { return m_soundFailure.exchange(nullptr); }
    // The front end counts here each time it falls behind (a slow timer pass
    // or a slow presentation); the run loop takes the count after a frame and
    // then gives the user-interface thread a longer wait.
    void RaiseUiLateness() { m_uiLateness.fetch_add(1, std::memory_order_relaxed); }
    int32_t GetUiLateness() const { return m_uiLateness.load(std::memory_order_relaxed); }
    // Set whenever the run state changes visibly; the front end clears it.
    bool IsStatusChanged() const { return m_statusChanged; }
    void SetStatusChanged(bool changed) { m_statusChanged = changed; }
    // Set after every state load; the front end clears it.
    bool IsStateLoaded() const { return m_stateLoaded; }
    void SetStateLoaded(bool loaded) { m_stateLoaded = loaded; }
    // Set when the core itself changed what the drives hold (a state load, the
    // console's MOUNT), together with the status flag; the front end clears it.
    bool IsDrivesChanged() const { return m_drivesChanged; }
    void SetDrivesChanged(bool changed) { m_drivesChanged = changed; }
    const common::CNarrowString& GetErrorText() const { return m_errorText; }
    // The machine settings files that a save (at the thread's end or when the
    // machine was replaced) could not write, appended to `files`; true once
    // when there were any.
    bool TakeUnsavedSettingsFiles(std::vector<common::CPath>& files);
    int32_t GetConfigIndex() const { return m_configIndex; }
    void SetConfigIndex(int32_t index) { m_configIndex = index; }
    bool IsFastInit() const { return m_fastInit; }
    void SetFastInit(bool on) { m_fastInit = on; }
    bool IsSynchronized() const { return m_synchronization; }
    void SetSynchronization(bool on) { m_synchronization = on; }
    // The effective synchronization the run loop follows (it notices a change
    // at its next slice end); the two settings above only pick its value at
    // power-on.
    bool IsPacing() const { return m_pacing; }
    void SetPacing(bool on) { m_pacing = on; }
    int32_t GetSyncRate() const { return m_syncRate; }
    void SetWaitCallback(WaitCallback callback) { m_waitCallback = callback; }
    void SetOutputWindow(CRenderer::WindowHandle window) { m_outputWindow = window; }
    // The input buffers as they stand (read them while the loop is parked or
    // not running) and the write index whose bit 0 picks the producers' buffer.
    const CInputBuffer& GetInputBuffer(int index) const { return m_inputBuffers[index & 1]; }
    uint32_t GetInputWriteIndex() const { return m_inputWriteIndex; }
    // Live emulated computers of the process.
    static int32_t GetEmulatorCount();

    // Holds the emulation thread at its safe point for the holder's life:
    // coreLock taken, the pause raised and the loop parked (at once while the
    // machine is off or already parked). A drive's medium or latch changed
    // meanwhile never meets a half-done instruction or device access.
    class CSafePoint {
    public:
        explicit CSafePoint(CEmulator* core);
        ~CSafePoint();
        CSafePoint(const CSafePoint&) = delete;
        CSafePoint& operator=(const CSafePoint&) = delete;

    private:
        CEmulator* m_core; // not owned; may be null
    };

private:
    // --- Emulation thread ---------------------------------------------------------
    bool RunThreadBody();
    // The machine's settings saved; the files it could not write are kept for
    // the front end (TakeUnsavedSettingsFiles).
    void SaveMachineSettings();
    // Waits in the idle state until a flag changes (no lost wake-up).
    void WaitIdle();
    bool PowerOn();
    void PowerOff();
    void RunSynchronized();
    // The loop's parts (CEmulator_RunLoop.cpp); each answers what comes next.
    enum class Next { kPass, kRunSlice, kSliceEnd, kLeave };
    Next RunPass();
    Next Park();
    Next Step();
    Next RunTo();
    Next RunSlice();
    Next EndSlice();
    // One instruction: its cycles come off the slice; the re-entry guard is
    // released once the program counter has moved on.
    void ExecuteOne();
    void EndFrame();
    // Stops in the debugger after a completed step or run-to.
    void EnterStepBreak();
    // The console view on, from the emulation thread: takes no coreLock (the
    // user-interface thread may hold it while it waits for the loop).
    void ShowConsoleOnThread();
    // The slice value a break left: the saved budget less what ran before it.
    int32_t RemainingBrokenSlice() const;
    // Parked: serves a posted writer or reader; false when the job failed.
    bool ServeStateJob();
    bool WriteCoreSection(common::CStreamHolder& holder);
    bool ReadCoreSection(common::CStreamHolder& holder);

    // --- Debugger commands (CEmulator_Commands.cpp) -------------------------------------
    class CCommandLine;
    void PrintLine(const char* text);
    void PrintStateError();
    void RunCommand(CCommandLine& command);
    void CommandHelp();
    void CommandCpu(CCommandLine& command);
    void CommandStep(CCommandLine& command);
    void CommandStepOver(CCommandLine& command, bool always);
    void CommandBreak(CCommandLine& command);
    void CommandStart(CCommandLine& command);
    void CommandGo(CCommandLine& command);
    void CommandMount(CCommandLine& command);

    // --- Shared helpers ------------------------------------------------------------------
    // Posting rule of the input queue (inputLock taken here).
    void PostInputWord(uint16_t word);
    void ClearInputBuffers();
    // Marks the console changed (the change callback runs once).
    void MarkConsoleChanged() { m_console.MarkChanged(); }
    // The machine's identity text into the console: the first line plain, the
    // rest in the banner colour.
    void PrintBanner();
    // Installs the repaint hook on the console view and marks the console changed.
    void HookConsoleView();
    // Hands the core's outputs, console and hooks to a machine it takes.
    void AdoptMachine(CComputer* machine);
    // Takes the core's hooks and outputs out of the machine.
    void ReleaseMachine(CComputer* machine);
    // Waits until a posted state job was taken; false when it failed.
    bool PostStateJob(std::atomic<common::CStreamHolder*>& slot, common::CStreamHolder* holder);
    // Pause handshake of the state operations.
    void BeginStateHandshake();
    void EndStateHandshake();
    // Default state file of the machine in folder (or the default folder).
    common::CPath MakeStateFilePath(const common::CPath& folder, bool create);
    common::CPath FindStateFile(const common::CPath& folder);
    // The default state file's leftover temporary goes (a start, a new machine).
    void RemoveStaleStateTemporary();
    bool LoadStateBody(common::CStream& stream, bool lockHeld, bool* startedHere, common::CNarrowString& reason);
    // Menu conditions: bound through a call because the flags are atomic.
    static bool IsActiveCondition(uintptr_t core);
    uint32_t GetSyncFrequencyChoice() const;

    CEmulatorManagerInterface* m_manager; // the front end's; not owned
    CComputer* m_machine;                 // owned; may be null
    CRenderer* m_hostView;                // the manager's prototype; not owned; may be null
    CDebugConsole m_console;
    CRenderer* m_consoleView; // owned; may be null
    CRenderer* m_renderer;    // never null after construction
    bool m_rendererOwned;
    COptionTree m_menuRoot;
    COptionTree* m_menus[kMenuCount]; // owned by m_menuRoot
    CSoundOutput* m_soundOutput;      // owned; may be null

    common::CCriticalSection m_threadLock;
    common::CCriticalSection m_powerLock;
    common::CCriticalSection m_coreLock;
    common::CCriticalSection m_inputLock;
    common::CWorkerThread m_thread;

    std::atomic<bool> m_threadAlive;
    std::atomic<bool> m_threadExit;
    bool m_singleProcessorHost;

    CInputBuffer m_inputBuffers[2]; // guarded by m_inputLock, see CEmulator_Input.cpp
    uint32_t m_inputWriteIndex;     // bit 0: the producers' buffer
    CMouseEvent m_mouseState;       // emulation thread

    int32_t m_configIndex;
    std::atomic<bool> m_synchronization;
    std::atomic<bool> m_fastInit;
    std::atomic<bool> m_pacing;
    int32_t m_syncRate; // emulation thread
    std::atomic<int32_t> m_speedPercent;
    std::atomic<int32_t> m_uiLateness;
    std::atomic<const char*> m_soundFailure; // the output's static name
    std::atomic<bool> m_active;
    std::atomic<bool> m_inRunLoop;
    std::atomic<bool> m_inBreak;
    std::atomic<bool> m_stopRequested;
    std::atomic<int32_t> m_loopKind;
    std::atomic<int32_t> m_exitRequest;
    std::atomic<bool> m_restartRequested;
    std::atomic<int32_t> m_pauseCount;
    std::atomic<bool> m_parked;
    std::atomic<bool> m_statusChanged;
    std::atomic<bool> m_stateLoaded;
    std::atomic<bool> m_drivesChanged{false};
    std::atomic<bool> m_attention;
    std::atomic<common::CStreamHolder*> m_stateWriter; // the poster's; not owned
    std::atomic<common::CStreamHolder*> m_stateReader; // the poster's; not owned
    std::atomic<bool> m_stateOperationFailed;
    // Why the emulation thread's part of a load failed: its state section, or
    // the machine's start for a load into a stopped emulation.
    common::CNarrowString m_errorText;
    // Written by the emulation thread at its end, read after it was joined.
    std::vector<common::CPath> m_unsavedSettingsFiles;

    // Stepping state. m_stepsLeft is also cleared by CancelStep while the loop
    // runs; the machine's trace level mirrors it on the emulation thread.
    std::atomic<int32_t> m_stepsLeft;
    int32_t m_traceLevel;
    int32_t m_savedSliceBudget;
    int32_t* m_sliceBudgetPointer; // the loop's "PC" while it runs; null otherwise
    bool m_sliceBudgetSaved;
    int32_t m_runToMode;
    uint32_t m_runToAddress;
    std::atomic<bool> m_cancelStepRequest;
    bool m_showInstructionLine;

    std::atomic<bool> m_consoleShown;
    std::atomic<WaitCallback> m_waitCallback; // the front end may install it while the loop runs
    CRenderer::WindowHandle m_outputWindow;   // the front end's window; null for none

    // The run loop's own state (emulation thread).
    CRunLoopTiming m_timing;
    CProcessor* m_processor; // the machine's processor 0 while the loop runs
    int32_t m_consumeIndex;  // the input buffer the loop consumes next
    bool m_keySeen;          // a key event was delivered during this run
    // Frames run unpaced by fast initialisation in this run.
    int32_t m_fastInitFrames;
    // The settings the core keeps when it has no manager.
    uint32_t m_ownSyncFrequency;
    uint8_t m_ownIgnoreDuplicates;
};

} // namespace emu
