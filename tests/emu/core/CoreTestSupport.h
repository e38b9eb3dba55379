#pragma once
// Shared pieces of the emulator core tests: a small computer around the 8080
// with a probe device, counters that the emulation thread bumps and the test
// thread waits on (no sleeping), console capture, whole files as bytes, and a
// Korvet 2.0 on the emulation thread.
//
// The probe's program, loaded at power-on:
//   0000  3E 00      MVI A,0
//   0002  3C         INR A          <- loop
//   0003  32 00 80   STA 8000h      the probe's page: counted, may break or exit
//   0006  CD 10 00   CALL 0010h
//   0009  C3 02 00   JMP 0002h
//   0010  00         NOP
//   0011  C9         RET
#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "common/CNarrowString.h"
#include "common/CTextConsole.h"
#include "emu/chips/CProcessor_I8080.h"
#include "emu/core/CEmulator.h"
#include "emu/core/CEmulatorManagerInterface.h"
#include "emu/framework/CComputer.h"
#include "emu/framework/CDrives.h"
#include "emu/framework/CKeys.h"
#include "emu/framework/CMemory.h"
#include "emu/framework/CMouse.h"
#include "emu/framework/MachineTestSupport.h"
#include "emu/host/CSoundOutput.h"
#include "emu/korvet/CMachine_Korvet.h"

namespace coretest {

typedef std::vector<uint8_t> Bytes;

inline Bytes ReadFile(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

inline void WriteFile(const std::string& path, const Bytes& bytes) {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

// A count that one thread raises and another waits for.
class CCounter {
public:
    void Bump() {
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            ++m_count;
        }
        m_changed.notify_all();
    }
    int64_t Get() {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_count;
    }
    // Whether the count reached `target` within the (generous) limit.
    bool WaitFor(int64_t target, int32_t limitMs = 20000) {
        std::unique_lock<std::mutex> lock(m_mutex);
        return m_changed.wait_for(lock, std::chrono::milliseconds(limitMs), [&] { return m_count >= target; });
    }
    // Waits for `more` bumps after now.
    bool WaitForMore(int64_t more, int32_t limitMs = 20000) { return WaitFor(Get() + more, limitMs); }

private:
    std::mutex m_mutex;
    std::condition_variable m_changed;
    int64_t m_count = 0;
};

constexpr uint32_t kProbeAddress = 0x8000;
constexpr uint32_t kLoopAddress = 0x0002;
constexpr uint32_t kStoreAddress = 0x0003;
constexpr uint32_t kCallAddress = 0x0006;
constexpr uint32_t kAfterCallAddress = 0x0009;
constexpr uint32_t kSubroutineAddress = 0x0010;

inline const std::vector<uint8_t>& Program() {
    static const std::vector<uint8_t> s_program = {0x3E, 0x00, 0x3C, 0x32, 0x00, 0x80, 0xCD, 0x10, 0x00,
                                                   0xC3, 0x02, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0xC9};
    return s_program;
}

// The processor that tells the tests when the debugger looked at it.
class CProbeProcessor : public emu::CProcessor_I8080 {
public:
    int32_t Disassemble(common::CString* const* columns, uint32_t* kind, uint32_t* widths) override {
        const int32_t length = CProcessor_I8080::Disassemble(columns, kind, widths);
        m_disassembled.Bump();
        return length;
    }
    CCounter m_disassembled;
};

// Counts the stores into its page, may ask for a break before one or for the
// machine's exit, and records the keys and mouse events that reach the machine.
class CProbe : public emu::CDevice {
public:
    enum class Mode { kCount, kBreakBefore, kExit };

    bool Start(int32_t* value) override {
        if (!CDevice::Start(value))
            return false;
        m_keys->AddListener(this, &CProbe::OnKey);
        m_mouse->AddListener(this, &CProbe::OnMouse);
        return m_memory->SetWriteHandler(kProbeAddress >> 10, 1, this, &CProbe::OnWrite, 0);
    }

    static bool OnWrite(void* context, uint32_t /*address*/, uint32_t /*size*/, uint8_t* /*value*/) {
        CProbe* self = static_cast<CProbe*>(context);
        const Mode mode = self->m_mode.load();
        if (mode == Mode::kBreakBefore) {
            bool request = true;
            bool result = true;
            if (self->m_machine->CheckBreak(&request, &result) != 0 && request) {
                self->m_breaks.Bump();
                return true; // abandoned: not written
            }
        } else if (mode == Mode::kExit) {
            self->m_mode = Mode::kCount;
            self->m_machine->PollBreak(0);
        }
        self->m_writes.Bump();
        return false;
    }
    static void OnKey(void* context, uint32_t key, uint32_t pressed) {
        CProbe* self = static_cast<CProbe*>(context);
        std::lock_guard<std::mutex> lock(self->m_mutex);
        self->m_keyEvents.push_back(static_cast<int32_t>(pressed ? key : key | 0x1000));
    }
    static void OnMouse(void* context, emu::CMouseEvent* event) {
        CProbe* self = static_cast<CProbe*>(context);
        std::lock_guard<std::mutex> lock(self->m_mutex);
        self->m_mouseEvents.push_back(*event);
    }
    std::vector<int32_t> KeyEvents() {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_keyEvents;
    }
    std::vector<emu::CMouseEvent> MouseEvents() {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_mouseEvents;
    }

    std::atomic<Mode> m_mode{Mode::kCount};
    CCounter m_writes;
    CCounter m_breaks;
    std::mutex m_mutex;
    std::vector<int32_t> m_keyEvents; // key codes; 0x1000 added for a release
    std::vector<emu::CMouseEvent> m_mouseEvents;
};

// The computer: 64 KB of RAM, the 8080 and the probe; counts frames (the
// run loop's interrupt poll at every frame end) and starts.
class CCoreTestComputer : public emu::CComputer {
public:
    explicit CCoreTestComputer(bool withProcessor = true) : m_withProcessor(withProcessor) {
        SetName("Core Test Computer");
    }

    const char* GetConfigName() override { return "coretest"; }

    bool Build() override {
        if (!CComputer::Build())
            return false;
        m_cpu = nullptr;
        if (m_withProcessor) {
            m_cpu = new CProbeProcessor();
            AddDevice(m_cpu, "CPU I8080", "CPU");
        }
        m_probe = new CProbe();
        AddDevice(m_probe, "Probe", "PRB");
        GetDrivesService()->SetFloppyCount(2);
        return true;
    }
    bool Start(int32_t* value) override {
        if (!GetMemoryService()->Allocate(0x10000, 0, 0) || !CComputer::Start(value))
            return false;
        // A state being loaded brings its own memory and registers.
        if (!GetStateFlag()) {
            const std::vector<uint8_t>& program = Program();
            GetMemoryService()->WriteBlock(0, program.data(), static_cast<uint32_t>(program.size()), 0);
            if (m_cpu != nullptr)
                m_cpu->SetPC(0);
        }
        m_starts.Bump();
        return true;
    }
    void NotifyInterruptRequest() override {
        CComputer::NotifyInterruptRequest();
        m_frames.Bump();
    }

    bool m_withProcessor;
    CProbeProcessor* m_cpu = nullptr; // owned by the machine
    CProbe* m_probe = nullptr;        // owned by the machine
    CCounter m_frames;
    CCounter m_starts;
};

// The front end's two settings.
class CTestManager : public emu::CEmulatorManagerInterface {
public:
    uint32_t* GetSyncFrequencySetting() override { return &m_syncFrequency; }
    uint8_t* GetIgnoreConsoleDuplicatesSetting() override { return &m_ignoreDuplicates; }
    uint32_t m_syncFrequency = 0;
    uint8_t m_ignoreDuplicates = 0;
};

// Every console line as text ("!" in front of one in the error colour).
inline std::vector<std::string> ConsoleLines(common::CTextConsole& console) {
    console.FlushPendingLines();
    std::vector<std::string> lines;
    for (int32_t i = 0; i < console.GetLineCount(); ++i) {
        common::CNarrowString text;
        common::ARGB colour = 0;
        console.GetLine(i, text, colour);
        lines.push_back((colour == emu::CObject::kErrorColour ? "!" : "") + std::string(text.GetNarrow()));
    }
    return lines;
}

inline bool HasLine(common::CTextConsole& console, const std::string& line) {
    for (const std::string& text : ConsoleLines(console))
        if (text == line)
            return true;
    return false;
}

inline int CountLinesStartingWith(common::CTextConsole& console, const std::string& prefix) {
    int count = 0;
    for (const std::string& text : ConsoleLines(console))
        if (text.compare(0, prefix.size(), prefix) == 0)
            ++count;
    return count;
}

inline std::string LastLine(common::CTextConsole& console) {
    const std::vector<std::string> lines = ConsoleLines(console);
    return lines.empty() ? std::string() : lines.back();
}

// A core with a test computer whose thread runs, unpaced, ready to start.
class CCoreFixture : public ::testing::Test {
protected:
    void SetUp() override { MakeCore(true); }
    void TearDown() override {
        if (m_core != nullptr)
            m_core->ShutdownThread();
        delete m_core;
        m_core = nullptr;
    }
    void MakeCore(bool withProcessor) {
        m_computer = new CCoreTestComputer(withProcessor);
        m_core = new emu::CEmulator(&m_manager, m_computer, nullptr, nullptr, nullptr);
        m_core->SetSynchronization(false);
        ASSERT_TRUE(m_core->StartThreadOrRun());
    }
    // Runs the command line as the console's Enter does.
    void Command(const char* line) { m_core->ExecuteConsoleCommand(common::CNarrowString(line)); }
    // Holds the loop at its safe point for a moment, so that what it was asked
    // to do before has happened or is parked.
    void Settle() {
        m_core->PauseAndWait();
        m_core->ReleasePause();
    }
    uint32_t Pc() { return m_computer->m_cpu->GetProgramCounter(); }
    CProbe& Probe() { return *m_computer->m_probe; }

    CTestManager m_manager;
    CCoreTestComputer* m_computer = nullptr; // owned by the core
    emu::CEmulator* m_core = nullptr;
};

// A Korvet 2.0 on the emulation thread, unsynchronised, in a scratch program
// folder that holds its ROM; the front end's wait callback counts its frame ends.
class CKorvetCoreFixture : public ::testing::Test {
protected:
    void SetUp() override {
        m_location = std::make_unique<machinetest::CProgramLocation>(false);
        const Bytes rom = ReadFile(std::string(KORVET_SHARED_DATA) + "/roms/korvet20.rom");
        ASSERT_FALSE(rom.empty());
        WriteFile(m_location->ProgramFolder() + "korvet20.rom", rom);
        s_frames = &m_frames;
    }
    void TearDown() override {
        DeleteCore();
        s_frames = nullptr;
        m_location.reset();
    }
    void MakeCore(emu::CSoundOutput* sound = new emu::CSoundOutput()) {
        m_core = new emu::CEmulator(&m_manager, emu::CMachine_Korvet::CreateModel(m_model), nullptr, sound, nullptr);
        m_core->SetSynchronization(false);
        m_core->SetWaitCallback(&CountFrame);
        ASSERT_TRUE(m_core->StartThreadOrRun());
    }
    void DeleteCore() {
        if (m_core == nullptr)
            return;
        m_core->ShutdownThread();
        delete m_core;
        m_core = nullptr;
    }
    std::string StateFile() const { return m_location->ProgramFolder() + "states/korvet20.sav"; }

    std::unique_ptr<machinetest::CProgramLocation> m_location;
    uint32_t m_model = emu::CMachine_Korvet::kModelKorvet20; // of the next MakeCore
    CTestManager m_manager;
    CCounter m_frames;
    emu::CEmulator* m_core = nullptr;

private:
    // Frame ends seen through the front end's wait callback.
    static bool CountFrame(uint32_t /*timeoutMs*/) {
        if (s_frames != nullptr)
            s_frames->Bump();
        return true;
    }
    static inline CCounter* s_frames = nullptr;
};

} // namespace coretest
