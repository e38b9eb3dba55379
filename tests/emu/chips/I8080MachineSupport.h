#pragma once
// A framework computer around the 8080 for the processor tests: the real
// memory map (64 KB of RAM), port space and interrupt service, the 8080 and a
// CP/M stand-in on ports 0 and 1, driven slice by slice as the emulator
// core's run loop drives it.
//
// Interrupts come from a one-request controller stand-in (CTestController).
//
// CP/M stand-in, as the classic exercisers expect it:
//   0000h  OUT 0        the program is done (warm boot)
//   0005h  OUT 1; RET   BDOS: function 2 prints E, function 9 the text at DE up to '$'
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "common/CMemoryStream.h"
#include "common/CStreamHolder.h"
#include "emu/chips/CProcessor_I8080.h"
#include "emu/framework/CBus.h"
#include "emu/framework/CComputer.h"
#include "emu/framework/CDeviceParameterList.h"
#include "emu/framework/CInterruptController.h"
#include "emu/framework/CInterrupts.h"
#include "emu/framework/CMemory.h"

namespace i8080test {

// Ports 0 (end of run) and 1 (BDOS console output).
class CCpmPorts : public emu::CDevice {
public:
    CCpmPorts() { GetParameters()->AddPorts2("PORTS", true, true, 0, 2, nullptr, Output); }

    static bool Output(void* context, uint32_t port, uint32_t /*size*/, uint8_t* /*value*/) {
        auto* self = static_cast<CCpmPorts*>(static_cast<emu::CDevice*>(context));
        emu::CProcessor_I8080* cpu = self->m_cpu;
        if (port == 0) {
            self->m_done = true;
            cpu->EndSlice();
            return true;
        }
        const uint8_t function = static_cast<uint8_t>(cpu->GetBC());
        if (function == 2) {
            self->m_text.push_back(static_cast<char>(cpu->GetDE() & 0xFF));
        } else if (function == 9) {
            for (uint32_t address = cpu->GetDE(), n = 0; n < 0x10000; ++address, ++n) {
                uint8_t byte = 0;
                cpu->PeekByte(address & 0xFFFF, &byte);
                if (byte == '$')
                    break;
                self->m_text.push_back(static_cast<char>(byte));
            }
        }
        return true;
    }

    emu::CProcessor_I8080* m_cpu = nullptr; // the machine's
    std::string m_text;
    bool m_done = false;
};

// An interrupt controller with one request at a time: Raise offers request
// `line` entering at `address` until an acknowledge commits it.
class CTestController : public emu::CInterruptController {
public:
    void Raise(int32_t line, int32_t address) {
        m_line = line;
        m_address = address;
        GetInterrupts()->SetRequestLine(static_cast<uint32_t>(line), true);
    }
    bool Acknowledge(bool commit, int32_t* line, int32_t* vector, int32_t* address) override {
        if (m_line < 0)
            return false;
        *line = m_line;
        *vector = m_line;
        *address = m_address;
        ++m_offers;
        if (commit) {
            m_line = -1;
            ++m_commits;
        }
        return true;
    }
    bool SetRequestLine(uint32_t line, bool raise) override { return raise && static_cast<int32_t>(line) == m_line; }
    bool IsRequestPending(int32_t line) override { return m_line >= 0 && (line < 0 || line == m_line); }

    int32_t m_line = -1;
    int32_t m_address = 0;
    int m_offers = 0;
    int m_commits = 0;
};

class CTestMachine : public emu::CComputer {
public:
    static constexpr uint32_t kMemorySize = 0x10000;
    // The run loop's frame: 1/50 s at 2.5 MHz.
    static constexpr int32_t kFrameCycles = 50000;

    CTestMachine() {
        SetName("Test 8080");
        EXPECT_TRUE(Build());
        m_cpu = new emu::CProcessor_I8080();
        m_cpm = new CCpmPorts();
        m_pic = new CTestController();
        m_cpm->m_cpu = m_cpu;
        EXPECT_TRUE(AddDevice(m_cpu, "CPU I8080", "CPU"));
        EXPECT_TRUE(AddDevice(m_cpm, "CP/M", "CPM"));
        EXPECT_TRUE(AddDevice(m_pic, "PIC", "PIC"));
    }
    ~CTestMachine() override {
        if (m_running)
            Stop();
    }

    const char* GetConfigName() override { return "test8080"; }

    // Starts the machine with 64 KB of RAM, as the core powers one on.
    bool PowerOn() {
        GetBusService()->SetRegistering(true);
        int32_t rate = 4900;
        m_running = Start(&rate) && GetMemoryService()->Allocate(kMemorySize, 0, 0);
        GetBusService()->SetRegistering(false);
        if (m_running)
            m_cpu->StartEvents();
        return m_running;
    }

    // Bytes straight into RAM.
    void Poke(uint32_t address, const std::vector<uint8_t>& bytes) {
        EXPECT_TRUE(GetMemoryService()->WriteBlock(address, bytes.data(), static_cast<uint32_t>(bytes.size()), 0));
    }
    uint8_t PeekRam(uint32_t address) { return GetMemoryService()->GetRamBase()[address & 0xFFFF]; }
    uint16_t PeekRamWord(uint32_t address) {
        return static_cast<uint16_t>(PeekRam(address) | (PeekRam(address + 1) << 8));
    }

    // The program at 0100h and the CP/M stand-in below it; PC at 0100h.
    bool LoadProgram(const std::vector<uint8_t>& program) {
        static const uint8_t kLow[] = {0xD3, 0x00, 0x00, 0x00, 0x00, 0xD3, 0x01, 0xC9};
        emu::CMemory* memory = GetMemoryService();
        if (program.empty() || program.size() > kMemorySize - 0x100 || !memory->WriteBlock(0, kLow, sizeof(kLow), 0) ||
            !memory->WriteBlock(0x100, program.data(), static_cast<uint32_t>(program.size()), 0))
            return false;
        m_cpu->SetPC(0x100);
        return true;
    }

    // One slice as the run loop makes it; the cycles it counted.
    int32_t Slice(int32_t budget) {
        const int32_t counter = m_cpu->GetCyclesToEvent();
        const int32_t used = m_cpu->Execute(budget < counter ? budget : counter);
        if (m_cpu->DebitCyclesToEvent(used) <= 0)
            m_cpu->RunDueEvents();
        return used;
    }

    // Runs until the program is done or `limit` cycles have passed; whether it finished.
    bool RunToEnd(uint64_t limit, int32_t budget = kFrameCycles) {
        while (!m_cpm->m_done && m_cpu->GetCycleCount() < limit)
            Slice(budget);
        return m_cpm->m_done;
    }

    std::vector<uint8_t> SaveMachine() {
        common::CMemoryStream stream;
        stream.Create(0, -1);
        common::CStreamHolder holder(&stream);
        EXPECT_TRUE(SaveState(holder));
        return std::vector<uint8_t>(stream.GetBuffer(), stream.GetBuffer() + stream.GetSize());
    }
    bool LoadMachine(const std::vector<uint8_t>& bytes) {
        common::CMemoryStream stream;
        stream.Create(0, -1);
        stream.Write(bytes.data(), static_cast<int64_t>(bytes.size()));
        stream.Seek(0);
        common::CStreamHolder holder(&stream);
        common::CNarrowString error;
        return LoadState(holder, &error);
    }

    emu::CProcessor_I8080* m_cpu; // owned by the machine
    CCpmPorts* m_cpm;             // owned by the machine
    CTestController* m_pic;       // owned by the machine
    bool m_running = false;
};

inline std::vector<uint8_t> ReadDataFile(const std::string& name) {
    std::vector<uint8_t> bytes;
    const std::string path = std::string(KORVET_SHARED_DATA) + "/cpu/" + name;
    FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr)
        return bytes;
    uint8_t buffer[4096];
    size_t count = 0;
    while ((count = std::fread(buffer, 1, sizeof(buffer), file)) > 0)
        bytes.insert(bytes.end(), buffer, buffer + count);
    std::fclose(file);
    return bytes;
}

// Words that the exercisers print only when something went wrong.
inline bool HasFailureText(const std::string& text) {
    static const char* const kWords[] = {"ERROR", "FAIL", "Fail", "fail", "error"};
    for (const char* word : kWords) {
        if (text.find(word) != std::string::npos)
            return true;
    }
    return false;
}

// Runs one exerciser to its end on a fresh machine; the printed text and the cycle total.
struct CExerciserRun {
    bool finished = false;
    std::string text;
    uint64_t cycles = 0;
};

inline CExerciserRun RunExerciser(const std::string& name, uint64_t limit) {
    CExerciserRun run;
    const std::vector<uint8_t> program = ReadDataFile(name);
    EXPECT_FALSE(program.empty()) << name;
    CTestMachine machine;
    if (program.empty() || !machine.PowerOn() || !machine.LoadProgram(program))
        return run;
    run.finished = machine.RunToEnd(limit);
    run.text = machine.m_cpm->m_text;
    run.cycles = machine.m_cpu->GetCycleCount();
    return run;
}

} // namespace i8080test
