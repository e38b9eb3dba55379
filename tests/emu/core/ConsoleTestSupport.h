#pragma once
// Pieces of the debugger console tests: a computer with one processor (the
// real 8080 over 64 KB of RAM, or a stand-in whose disassembler answers what
// the test sets) and floppy slots, and an emulated computer around it whose
// thread runs, inside a scratch program folder.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "common/CNarrowString.h"
#include "common/OsHelpers.h"
#include "emu/chips/CProcessor_I8080.h"
#include "emu/core/CEmulator.h"
#include "emu/framework/CComputer.h"
#include "emu/framework/CDrives.h"
#include "emu/framework/CMemory.h"
#include "emu/framework/CProcessor.h"
#include "emu/framework/MachineTestSupport.h"

namespace consoletest {

// A processor whose disassembler fills in the test's columns.
class CFakeProcessor : public emu::CProcessor {
public:
    CFakeProcessor() { SetFrequency(1000000); }

    int32_t Disassemble(common::CString* const* columns, uint32_t* kind, uint32_t* widths) override {
        for (int i = 0; i < emu::CProcessorInterface::kDisassemblyColumns; ++i) {
            if (columns[i] != nullptr)
                columns[i]->AssignNarrow(m_texts[i].c_str());
            widths[i] = m_widths[i];
        }
        *kind = m_kind;
        return m_length;
    }
    uint32_t GetAddressMask() override { return m_mask; }
    uint32_t GetProgramCounter() override { return m_pc; }
    void CallSetChwiFlag() override { SetChwiFlag(); }

    std::string m_texts[emu::CProcessorInterface::kDisassemblyColumns];
    uint32_t m_widths[emu::CProcessorInterface::kDisassemblyColumns] = {};
    uint32_t m_kind = 0;
    int32_t m_length = 1;
    uint32_t m_mask = 0xFFFF;
    uint32_t m_pc = 0;
};

class CConsoleMachine : public emu::CComputer {
public:
    enum class Cpu { k8080, kFake };

    explicit CConsoleMachine(Cpu cpu = Cpu::k8080, int32_t floppies = 2) : m_kind(cpu), m_floppies(floppies) {
        SetName("Console Test");
    }

    const char* GetConfigName() override { return "consoletest"; }

    bool Build() override {
        if (!emu::CComputer::Build())
            return false;
        if (m_kind == Cpu::k8080) {
            m_cpu = new emu::CProcessor_I8080();
            AddDevice(m_cpu, "CPU I8080", "CPU");
        } else {
            m_fake = new CFakeProcessor();
            AddDevice(m_fake, "CPU Fake", "CPU");
        }
        return GetDrivesService()->SetFloppyCount(m_floppies) || m_floppies == 0;
    }
    // 64 KB of RAM, zeroed by the memory's start: NOPs everywhere.
    bool Start(int32_t* value) override {
        return GetMemoryService()->Allocate(0x10000, 0, 0) && emu::CComputer::Start(value);
    }

    // Only while the emulation thread is parked or idle.
    void Poke(uint32_t address, const std::vector<uint8_t>& bytes) {
        EXPECT_TRUE(GetMemoryService()->WriteBlock(address, bytes.data(), static_cast<uint32_t>(bytes.size()), 0));
    }

    Cpu m_kind;
    int32_t m_floppies;
    emu::CProcessor_I8080* m_cpu = nullptr; // owned by the machine
    CFakeProcessor* m_fake = nullptr;       // owned by the machine
};

// Waits (at most about ten seconds) until the emulation thread has brought
// the condition about.
template <typename Condition> bool WaitFor(Condition condition) {
    for (int i = 0; i < 10000; ++i) {
        if (condition())
            return true;
        common::SleepMs(1);
    }
    return condition();
}

// An emulated computer with a running thread in a scratch program folder.
class CConsoleCore {
public:
    explicit CConsoleCore(CConsoleMachine* machine, bool startThread = true)
        : m_location(false), m_machine(machine), m_core(nullptr, machine, nullptr, nullptr, nullptr) {
        if (startThread) {
            EXPECT_TRUE(m_core.StartThreadOrRun());
        }
    }
    ~CConsoleCore() { m_core.ShutdownThread(); }

    // Runs the line on a cleared console; the lines it printed.
    std::vector<std::string> Run(const char* line) {
        m_core.GetConsole().Clear();
        return Execute(line);
    }
    // Runs the line; every console line afterwards.
    std::vector<std::string> Execute(const char* line) {
        m_core.ExecuteConsoleCommand(common::CNarrowString(line));
        return Lines();
    }
    std::vector<std::string> Lines() { return machinetest::ConsoleLines(m_core.GetConsole()); }

    // Powers on with GO: stopped in the debugger before the first instruction.
    bool GoIntoBreak() {
        Run("go");
        return m_core.IsActive() && m_core.IsInBreak() && WaitFor([this] { return m_core.IsParked(); });
    }
    // Waits until a step or run-to has ended in the debugger again.
    bool WaitForBreak() {
        return WaitFor([this] { return m_core.IsInBreak() && m_core.IsParked() && m_core.GetStepsLeft() == 0; });
    }

    machinetest::CProgramLocation m_location;
    CConsoleMachine* m_machine; // owned by the core
    emu::CEmulator m_core;
};

} // namespace consoletest
