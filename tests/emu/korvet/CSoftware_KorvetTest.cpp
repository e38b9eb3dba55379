#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/CMemoryStream.h"
#include "common/CNarrowString.h"
#include "common/CStreamHolder.h"
#include "emu/chips/CProcessor_I8080.h"
#include "emu/framework/CBus.h"
#include "emu/framework/CComputer.h"
#include "emu/framework/CDeviceParameterList.h"
#include "emu/framework/CMemory.h"
#include "emu/korvet/CSoftware_Korvet.h"
#include "emu/korvet/CVideo_Korvet.h"

using emu::CSoftware_Korvet;

namespace {

typedef std::vector<uint8_t> Bytes;

constexpr uint16_t kProgram = 0x1000;
constexpr uint32_t kRomPage = CSoftware_Korvet::kRomImageBase >> emu::CMemory::kPageShift;
// A console routine of the ROM: MOV A,C; OUT 2; RET.
const Bytes kRomRoutine = {0x79, 0xD3, 0x02, 0xC9};

// Bytes written by `save` into a fresh memory stream, and a load of such bytes.
template <typename Save> Bytes SaveWith(Save save) {
    common::CMemoryStream stream;
    stream.Create(0, -1);
    common::CStreamHolder holder(&stream);
    EXPECT_TRUE(save(holder));
    return Bytes(stream.GetBuffer(), stream.GetBuffer() + stream.GetSize());
}
template <typename Load> bool LoadWith(const Bytes& bytes, Load load) {
    common::CMemoryStream stream;
    stream.Create(0, -1);
    stream.Write(bytes.data(), static_cast<int64_t>(bytes.size()));
    stream.Seek(0);
    common::CStreamHolder holder(&stream);
    return load(holder);
}

// Port 0 ends the program; port 2 is what the ROM's own routine prints on.
class CTestPorts : public emu::CDevice {
public:
    CTestPorts() { GetParameters()->AddPorts2("PORTS", true, true, 0, 3, nullptr, Output); }

    static bool Output(void* context, uint32_t port, uint32_t /*size*/, uint8_t* value) {
        auto* self = static_cast<CTestPorts*>(static_cast<emu::CDevice*>(context));
        if (port == 0) {
            self->m_done = true;
            self->m_cpu->EndSlice();
        } else if (port == 2) {
            self->m_printed.push_back(*value);
        }
        return true;
    }

    emu::CProcessor_I8080* m_cpu = nullptr; // the machine's
    Bytes m_printed;
    bool m_done = false;
};

// The 8080 with the Korvet video and the BIOS device over 64 KB of RAM and
// the ROM image behind it; the first 1 KB of the address space reads the ROM
// image, as the Korvet's ROM pages do.
class CBiosMachine : public emu::CComputer {
public:
    CBiosMachine() {
        SetName("BIOS test");
        EXPECT_TRUE(Build());
        m_cpu = new emu::CProcessor_I8080();
        m_video = new emu::CVideo_Korvet();
        m_ports = new CTestPorts();
        m_software = new CSoftware_Korvet();
        m_ports->m_cpu = m_cpu;
        EXPECT_TRUE(AddDevice(m_cpu, nullptr, nullptr));
        EXPECT_TRUE(AddDevice(m_video, "Video Device", "VID"));
        EXPECT_TRUE(AddDevice(m_ports, "Ports", "PRT"));
        EXPECT_TRUE(AddDevice(m_software, nullptr, nullptr));
        m_software->Connect(m_cpu, m_video);
    }
    ~CBiosMachine() override {
        if (m_running)
            Stop();
    }

    const char* GetConfigName() override { return "biostest"; }

    // Starts with fresh memory and the ROM routine in the ROM image.
    bool PowerOn() {
        if (m_running)
            Stop();
        GetBusService()->SetRegistering(true);
        int32_t rate = 4900;
        emu::CMemory* memory = GetMemoryService();
        m_running = Start(&rate) && memory->Allocate(0x18000, 0xFFFF, 0) && memory->SetReadAlias(0, kRomPage, 1);
        GetBusService()->SetRegistering(false);
        if (!m_running)
            return false;
        m_cpu->StartEvents();
        RomImage(0x4C, kRomRoutine);
        return true;
    }

    uint8_t* Ram() { return GetMemoryService()->GetRamBase(); }
    void RomImage(uint32_t offset, const Bytes& bytes) {
        for (size_t i = 0; i < bytes.size(); ++i)
            Ram()[CSoftware_Korvet::kRomImageBase + offset + i] = bytes[i];
    }

    // Calls 004Ch once per character with it in C, then ends on port 0.
    void LoadPrintProgram(const Bytes& text) {
        Bytes program = {0x31, 0x00, 0x80}; // LXI SP,8000h
        for (uint8_t c : text) {
            program.insert(program.end(), {0x0E, c});          // MVI C,c
            program.insert(program.end(), {0xCD, 0x4C, 0x00}); // CALL 004Ch
        }
        program.insert(program.end(), {0xD3, 0x00, 0x76}); // OUT 0; HLT
        for (size_t i = 0; i < program.size(); ++i)
            Ram()[kProgram + i] = program[i];
        m_cpu->SetPC(kProgram);
        m_ports->m_done = false;
    }

    bool Run() {
        for (int guard = 0; !m_ports->m_done && guard < 1000; ++guard) {
            const int32_t counter = m_cpu->GetCyclesToEvent();
            const int32_t used = m_cpu->Execute(counter < 5000 ? counter : 5000);
            if (m_cpu->DebitCyclesToEvent(used) <= 0)
                m_cpu->RunDueEvents();
        }
        return m_ports->m_done;
    }

    Bytes SaveMachine() {
        return SaveWith([this](common::CStreamHolder& h) { return SaveState(h); });
    }
    bool LoadMachine(const Bytes& bytes) {
        common::CNarrowString error;
        return LoadWith(bytes, [&](common::CStreamHolder& h) { return LoadState(h, &error); });
    }

    emu::CProcessor_I8080* m_cpu; // owned by the machine
    emu::CVideo_Korvet* m_video;  // owned by the machine
    CTestPorts* m_ports;          // owned by the machine
    CSoftware_Korvet* m_software; // owned by the machine
    bool m_running = false;
};

std::string Mnemonic(emu::CProcessorInterface& cpu) {
    common::CNarrowString texts[emu::CProcessorInterface::kDisassemblyColumns];
    common::CString* columns[emu::CProcessorInterface::kDisassemblyColumns];
    for (int i = 0; i < emu::CProcessorInterface::kDisassemblyColumns; ++i)
        columns[i] = &texts[i];
    uint32_t kind = 0;
    uint32_t widths[emu::CProcessorInterface::kDisassemblyColumns] = {};
    cpu.Disassemble(columns, &kind, widths);
    return texts[2].GetNarrow() != nullptr ? texts[2].GetNarrow() : "";
}

class BiosConsoleTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_machine.PowerOn()); }

    int32_t Cursor() { return m_machine.m_video->GetCursorRow() * 64 + m_machine.m_video->GetCursorColumn(); }
    uint16_t Cell(int32_t index) { return m_machine.m_video->GetTextCell(index); }

    Bytes SaveSoftwareData() {
        return SaveWith([this](common::CStreamHolder& h) { return m_machine.m_software->SaveData(h); });
    }
    bool LoadSoftwareData(const Bytes& bytes) {
        return LoadWith(bytes, [this](common::CStreamHolder& h) { return m_machine.m_software->LoadData(h, nullptr); });
    }

    CBiosMachine m_machine;
};

TEST_F(BiosConsoleTest, ActiveTrapPrintsOnTheTerminalAndReturnsToTheCaller) {
    m_machine.m_software->InstallTrapAtStart(1);
    // 'A', inverted writing on (ESC '6'), 'B', then ESC 'Y' which the terminal ignores.
    m_machine.LoadPrintProgram({0x41, 0x1B, 0x36, 0x42, 0x1B, 0x59});
    ASSERT_TRUE(m_machine.Run());

    EXPECT_EQ(0x0041, Cell(0));
    EXPECT_EQ(0x8042, Cell(1));
    EXPECT_EQ(2, Cursor());
    EXPECT_EQ(0x20u, m_machine.m_video->GetTerminalState() & 0xFF);
    EXPECT_TRUE(m_machine.m_ports->m_printed.empty()); // the ROM routine never ran
    EXPECT_EQ(0x8000u, m_machine.m_cpu->GetSP());      // every call returned
}

TEST_F(BiosConsoleTest, EscapeAndItsFollowerReachTheTerminalInOrder) {
    m_machine.m_software->InstallTrapAtStart(1);
    m_machine.LoadPrintProgram({0x1B});
    ASSERT_TRUE(m_machine.Run());
    EXPECT_EQ(0x1Bu, m_machine.m_video->GetTerminalState() & 0xFF);

    m_machine.LoadPrintProgram({0x59});
    ASSERT_TRUE(m_machine.Run());
    EXPECT_EQ(0x20u, m_machine.m_video->GetTerminalState() & 0xFF);
    EXPECT_EQ(0, Cursor());
}

TEST_F(BiosConsoleTest, PassiveTrapRunsTheRomRoutine) {
    m_machine.m_software->InstallTrap();
    m_machine.LoadPrintProgram({0x41, 0x1B, 0x59});
    ASSERT_TRUE(m_machine.Run());

    EXPECT_EQ((Bytes{0x41, 0x1B, 0x59}), m_machine.m_ports->m_printed);
    EXPECT_EQ(0, Cursor());
    EXPECT_NE(0x41, Cell(0) & 0xFF);
    EXPECT_FALSE(m_machine.m_software->IsOutputOn());
}

TEST_F(BiosConsoleTest, TrapByteReadsAsD9AndDisassemblesAsWhatRuns) {
    emu::CMemory* memory = m_machine.GetMemoryService();
    EXPECT_EQ(0x79, memory->ReadByte(0x4C, 1));

    m_machine.m_software->InstallTrap();
    EXPECT_EQ(0xD9, memory->ReadByte(0x4C, 1));
    EXPECT_EQ(0x79, m_machine.m_software->GetSavedByte());
    m_machine.m_cpu->SetPC(0x4C);
    m_machine.m_cpu->SetBC(0x0041);
    EXPECT_EQ("MOV A,C", Mnemonic(*m_machine.m_cpu));

    m_machine.m_software->InstallTrapAtStart(1);
    EXPECT_EQ("RET", Mnemonic(*m_machine.m_cpu));
    // A query prints nothing.
    EXPECT_EQ(0, Cursor());
    EXPECT_NE(0x41, Cell(0) & 0xFF);
}

TEST_F(BiosConsoleTest, SecondInstallKeepsTheFirstSavedByte) {
    CSoftware_Korvet* software = m_machine.m_software;
    software->InstallTrap();
    EXPECT_TRUE(software->IsInstalled());
    EXPECT_TRUE(software->IsCaptureRequested());

    software->InstallTrapAtStart(1);
    EXPECT_TRUE(software->IsOutputOn());
    software->InstallTrap(); // installed already: output stays on
    EXPECT_TRUE(software->IsOutputOn());
    EXPECT_EQ(0x79, software->GetSavedByte());
    EXPECT_EQ(0xD9, m_machine.Ram()[CSoftware_Korvet::kRomImageBase + 0x4C]);

    software->InstallTrapAtStart(0);
    EXPECT_FALSE(software->IsOutputOn());
    EXPECT_EQ(0x79, software->GetSavedByte());
}

TEST_F(BiosConsoleTest, TrapElsewhereOrBeforeInstallIsThePlainReturn) {
    m_machine.m_software->InstallTrapAtStart(1);
    // D9 at another address: the processor's own RET, nothing printed.
    m_machine.Ram()[0x2000] = 0xD9;
    m_machine.LoadPrintProgram({0x41});
    m_machine.Ram()[kProgram + 6] = 0x00; // CALL 2000h
    m_machine.Ram()[kProgram + 7] = 0x20;
    ASSERT_TRUE(m_machine.Run());
    EXPECT_EQ(0, Cursor());

    // A restart forgets the installation; a D9 left in the ROM image is a RET.
    ASSERT_TRUE(m_machine.PowerOn());
    EXPECT_FALSE(m_machine.m_software->IsInstalled());
    EXPECT_FALSE(m_machine.m_software->IsCaptureRequested());
    EXPECT_TRUE(m_machine.m_software->IsOutputOn()); // kept across the start
    m_machine.RomImage(0x4C, {0xD9});
    m_machine.LoadPrintProgram({0x41});
    ASSERT_TRUE(m_machine.Run());
    EXPECT_EQ(0, Cursor());
    EXPECT_TRUE(m_machine.m_ports->m_printed.empty());
    EXPECT_EQ(0x8000u, m_machine.m_cpu->GetSP());
}

TEST_F(BiosConsoleTest, SaveLoadSaveGivesIdenticalBytes) {
    m_machine.m_software->InstallTrapAtStart(1);
    m_machine.LoadPrintProgram({0x48, 0x49});
    ASSERT_TRUE(m_machine.Run());
    const Bytes first = m_machine.SaveMachine();
    ASSERT_TRUE(m_machine.LoadMachine(first));
    EXPECT_EQ(first, m_machine.SaveMachine());
}

TEST_F(BiosConsoleTest, LoadRefusesOtherVersionOrMissingFields) {
    m_machine.m_software->InstallTrap();
    const Bytes good = SaveSoftwareData();
    // Tail: "VER" (10 bytes), "WCAP" (11), "VT1O" (11).
    ASSERT_GT(good.size(), 32u);
    Bytes otherVersion = good;
    otherVersion[good.size() - 23] = 1;
    EXPECT_FALSE(LoadSoftwareData(otherVersion));
    EXPECT_FALSE(LoadSoftwareData(Bytes(good.begin(), good.end() - 11)));
    EXPECT_FALSE(LoadSoftwareData(Bytes(good.begin(), good.end() - 22)));
    EXPECT_TRUE(LoadSoftwareData(good));
    EXPECT_EQ(0x79, m_machine.m_software->GetSavedByte());
    EXPECT_TRUE(m_machine.m_software->IsCaptureRequested());
}

TEST_F(BiosConsoleTest, StateLoadedAfterRestartKeepsTheRomRoutineWorking) {
    m_machine.m_software->InstallTrap();
    m_machine.LoadPrintProgram({0x41});
    ASSERT_TRUE(m_machine.Run());
    const Bytes state = m_machine.SaveMachine();

    // A load right after a start: the saved memory brings the trap byte back
    // while this run never installed the trap, and no install follows.
    ASSERT_TRUE(m_machine.PowerOn());
    ASSERT_TRUE(m_machine.LoadMachine(state));
    EXPECT_TRUE(m_machine.m_software->IsInstalled());
    EXPECT_EQ(0x79, m_machine.m_software->GetSavedByte());
    EXPECT_FALSE(m_machine.m_software->IsOutputOn());

    m_machine.m_ports->m_printed.clear();
    m_machine.LoadPrintProgram({0x42, 0x43});
    ASSERT_TRUE(m_machine.Run());
    EXPECT_EQ((Bytes{0x42, 0x43}), m_machine.m_ports->m_printed);
}

} // namespace
