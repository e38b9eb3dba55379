#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "I8080MachineSupport.h"
#include "common/CSettingsRegistry.h"
#include "common/CStringList.h"
#include "common/CTextConsole.h"
#include "emu/framework/COptionTree.h"
#include "emu/framework/CPorts.h"

using i8080test::CTestMachine;
typedef std::vector<uint8_t> Bytes;

namespace {

constexpr uint16_t kStack = 0xF000;

// A started machine with `program` at 0100h, PC there and SP at F000h, whose
// stack holds 1234h.
struct CRig {
    explicit CRig(const Bytes& program) : cpu(*machine.m_cpu) {
        EXPECT_TRUE(machine.PowerOn());
        machine.Poke(0x100, program);
        machine.Poke(kStack, {0x34, 0x12});
        cpu.SetPC(0x100);
        cpu.SetSP(kStack);
    }
    int32_t Step() { return cpu.Execute(0); }

    CTestMachine machine;
    emu::CProcessor_I8080& cpu;
};

// Every console line's text.
std::vector<std::string> Lines(common::CTextConsole& console) {
    console.FlushPendingLines();
    std::vector<std::string> lines;
    for (int32_t i = 0; i < console.GetLineCount(); ++i) {
        common::CNarrowString text;
        common::ARGB colour = 0;
        console.GetLine(i, text, colour);
        lines.push_back(text.GetNarrow());
    }
    return lines;
}

common::COptionNodeInterface* Child(common::COptionNodeInterface* node, const char* name) {
    for (int32_t i = 0; node != nullptr && i < node->GetChildCount(); ++i) {
        common::COptionNodeInterface* child = node->GetChildAt(i);
        if (std::string(child->GetName().GetNarrow()) == name)
            return child;
    }
    return nullptr;
}

// The debugger's break hook: it breaks in and, for a stop request, stops the
// processor's instruction.
uint32_t BreakIn(void* user, bool* request, bool* print, int32_t /*mode*/) {
    auto* cpu = static_cast<emu::CProcessor_I8080*>(user);
    if (*request)
        *request = cpu->StopSlice();
    *print = false;
    return 1;
}

// A write handler that stops the processor's slice at its first call and
// lets later writes into RAM.
struct CStopOnce {
    emu::CProcessor_I8080* cpu;
    int calls;
    static bool Write(void* context, uint32_t, uint32_t, uint8_t*) {
        auto* self = static_cast<CStopOnce*>(context);
        if (self->calls++ == 0) {
            self->cpu->StopSlice();
            return true;
        }
        return false;
    }
};

} // namespace

TEST(I8080, ConstructsAsAn8080At25MHz) {
    emu::CProcessor_I8080 cpu;
    EXPECT_STREQ("CPU I8080", cpu.GetName());
    EXPECT_STREQ("CPU", cpu.GetShortName());
    EXPECT_EQ(2500000, cpu.GetFrequency());
    EXPECT_EQ(3, cpu.GetKindCode());
    EXPECT_EQ(0x02, cpu.GetF());

    CTestMachine machine;
    ASSERT_TRUE(machine.PowerOn());
    EXPECT_EQ(0xFFFFu, machine.m_cpu->GetAddressMask());
    EXPECT_EQ(0xFFFFFFFFFFFFFFD5ull, machine.m_cpu->GetFlagMask());
    EXPECT_TRUE(machine.m_cpu->GetInterruptEnable());
    EXPECT_EQ(0, machine.m_cpu->GetA());
    EXPECT_EQ(0u, machine.m_cpu->GetProgramCounter());
}

TEST(I8080, ChargesThe8080CycleCounts) {
    struct CCase {
        const char* name;
        Bytes program;
        uint8_t flags;
        int32_t cycles;
        uint16_t pc;
    };
    const CCase cases[] = {
        {"NOP", {0x00}, 0x02, 4, 0x101},
        {"undocumented NOP", {0x38}, 0x02, 4, 0x101},
        {"undocumented JMP", {0xCB, 0x00, 0x20}, 0x02, 10, 0x2000},
        {"undocumented RET", {0xD9}, 0x02, 10, 0x1234},
        {"undocumented CALL DD", {0xDD, 0x00, 0x20}, 0x02, 17, 0x2000},
        {"undocumented CALL ED", {0xED, 0x00, 0x20}, 0x02, 17, 0x2000},
        {"undocumented CALL FD", {0xFD, 0x00, 0x20}, 0x02, 17, 0x2000},
        {"CALL", {0xCD, 0x00, 0x20}, 0x02, 17, 0x2000},
        {"CNZ taken", {0xC4, 0x00, 0x20}, 0x02, 17, 0x2000},
        {"CNZ not taken", {0xC4, 0x00, 0x20}, 0x42, 11, 0x103},
        {"RNZ taken", {0xC0}, 0x02, 11, 0x1234},
        {"RNZ not taken", {0xC0}, 0x42, 5, 0x101},
        {"JNZ not taken", {0xC2, 0x00, 0x20}, 0x42, 10, 0x103},
        {"RST 1", {0xCF}, 0x02, 11, 0x0008},
        {"HLT", {0x76}, 0x02, 7, 0x100},
        {"MOV A,B", {0x78}, 0x02, 5, 0x101},
        {"MOV A,M", {0x7E}, 0x02, 7, 0x101},
        {"MOV M,A", {0x77}, 0x02, 7, 0x101},
        {"XTHL", {0xE3}, 0x02, 18, 0x101},
        {"XCHG", {0xEB}, 0x02, 4, 0x101},
        {"SHLD", {0x22, 0x00, 0x30}, 0x02, 16, 0x103},
        {"LDA", {0x3A, 0x00, 0x30}, 0x02, 13, 0x103},
        {"INX B", {0x03}, 0x02, 5, 0x101},
        {"DAD B", {0x09}, 0x02, 10, 0x101},
        {"INR M", {0x34}, 0x02, 10, 0x101},
        {"MVI M", {0x36, 0x55}, 0x02, 10, 0x102},
        {"PUSH B", {0xC5}, 0x02, 11, 0x101},
        {"POP B", {0xC1}, 0x02, 10, 0x101},
        {"PCHL", {0xE9}, 0x02, 5, 0x0000},
        {"SPHL", {0xF9}, 0x02, 5, 0x101},
        {"IN", {0xDB, 0x40}, 0x02, 10, 0x102},
        {"OUT", {0xD3, 0x40}, 0x02, 10, 0x102},
        {"ADD M", {0x86}, 0x02, 7, 0x101},
        {"ADI", {0xC6, 0x01}, 0x02, 7, 0x102},
        {"DAA", {0x27}, 0x02, 4, 0x101},
        {"EI", {0xFB}, 0x02, 4, 0x101},
    };
    for (const CCase& c : cases) {
        CRig rig(c.program);
        rig.cpu.SetF(c.flags);
        EXPECT_EQ(c.cycles, rig.Step()) << c.name;
        EXPECT_EQ(c.pc, rig.cpu.GetPC()) << c.name;
        EXPECT_EQ(static_cast<uint64_t>(c.cycles), rig.cpu.GetCycleCount()) << c.name;
    }
}

TEST(I8080, UndocumentedCallsPushTheReturnAddress) {
    for (uint8_t opcode : {0xCD, 0xDD, 0xED, 0xFD}) {
        CRig rig({opcode, 0x00, 0x20});
        rig.Step();
        EXPECT_EQ(kStack - 2, rig.cpu.GetSP());
        EXPECT_EQ(0x103, rig.machine.PeekRamWord(kStack - 2));
    }
}

TEST(I8080, ComputesFlagsAsThe8080Does) {
    struct CCase {
        const char* name;
        Bytes program;
        uint8_t a;
        uint8_t f;
        uint8_t resultA;
        uint8_t resultF;
    };
    const CCase cases[] = {
        {"ADI carry, half carry, zero", {0xC6, 0xC6}, 0x3A, 0x02, 0x00, 0x57},
        {"ADI plain", {0xC6, 0x01}, 0x01, 0x03, 0x02, 0x02},
        {"ACI adds the carry", {0xCE, 0x00}, 0xFF, 0x03, 0x00, 0x57},
        {"SUI borrow", {0xD6, 0x01}, 0x00, 0x02, 0xFF, 0x87},
        {"SUI borrow out of bit 3", {0xD6, 0x01}, 0x10, 0x02, 0x0F, 0x06},
        {"SUI no borrow out of bit 3", {0xD6, 0x01}, 0x05, 0x02, 0x04, 0x12},
        {"SBI subtracts the carry", {0xDE, 0x00}, 0x00, 0x03, 0xFF, 0x87},
        {"ANI half carry from bit 3 of the OR", {0xE6, 0x0F}, 0xF0, 0x03, 0x00, 0x56},
        {"ANI without bit 3", {0xE6, 0x01}, 0x01, 0x02, 0x01, 0x02},
        {"XRI clears CY and AC", {0xEE, 0xFF}, 0xFF, 0x13, 0x00, 0x46},
        {"ORI", {0xF6, 0x80}, 0x01, 0x03, 0x81, 0x86},
        {"CPI equal", {0xFE, 0x05}, 0x05, 0x02, 0x05, 0x56},
        {"CPI below", {0xFE, 0x06}, 0x05, 0x02, 0x05, 0x87},
        {"INR keeps CY", {0x3C}, 0x0F, 0x03, 0x10, 0x13},
        {"DCR to FF", {0x3D}, 0x00, 0x02, 0xFF, 0x86},
        {"DCR borrow into bit 4", {0x3D}, 0x10, 0x02, 0x0F, 0x06},
        {"DCR without borrow", {0x3D}, 0x11, 0x02, 0x10, 0x12},
        {"DAA 9Ah", {0x27}, 0x9A, 0x02, 0x00, 0x57},
        {"DAA after a half carry", {0x27}, 0x15, 0x12, 0x1B, 0x06},
        {"RLC", {0x07}, 0x80, 0x02, 0x01, 0x03},
        {"RRC", {0x0F}, 0x01, 0x02, 0x80, 0x03},
        {"RAL", {0x17}, 0x80, 0x02, 0x00, 0x03},
        {"RAR", {0x1F}, 0x01, 0x03, 0x80, 0x03},
        {"STC", {0x37}, 0x00, 0x02, 0x00, 0x03},
        {"CMC", {0x3F}, 0x00, 0x03, 0x00, 0x02},
        {"CMA changes no flag", {0x2F}, 0x55, 0x02, 0xAA, 0x02},
    };
    for (const CCase& c : cases) {
        CRig rig(c.program);
        rig.cpu.SetA(c.a);
        rig.cpu.SetF(c.f);
        rig.Step();
        EXPECT_EQ(c.resultA, rig.cpu.GetA()) << c.name;
        EXPECT_EQ(c.resultF, rig.cpu.GetF()) << c.name;
    }
}

TEST(I8080, PopPswKeepsTheFixedFlagBits) {
    for (uint16_t word : {0xFFFF, 0x0000, 0x28AA}) {
        CRig rig({0xF1, 0xF5});
        rig.machine.Poke(kStack, {static_cast<uint8_t>(word), static_cast<uint8_t>(word >> 8)});
        rig.Step();
        EXPECT_EQ(word >> 8, rig.cpu.GetA());
        EXPECT_EQ((word & 0xD5) | 0x02, rig.cpu.GetF());
        rig.Step(); // PUSH PSW writes F as it reads
        EXPECT_EQ(((word & 0xFF00) | (word & 0xD5) | 0x02), rig.machine.PeekRamWord(kStack));
    }
}

TEST(I8080, ExecuteZeroRunsExactlyOneInstruction) {
    CRig rig({0xCD, 0x00, 0x20});
    EXPECT_EQ(17, rig.cpu.Execute(0));
    EXPECT_EQ(0x2000, rig.cpu.GetPC());
    // The NMI flag's step costs 7 and runs nothing.
    rig.cpu.SetNmiFlag(true);
    EXPECT_EQ(7, rig.cpu.Execute(0));
    EXPECT_EQ(0x2000, rig.cpu.GetPC());
    EXPECT_FALSE(rig.cpu.GetNmiFlag());
}

TEST(I8080, DefersAnInstructionThatDoesNotFit) {
    CRig rig({0x00, 0xCD, 0x00, 0x20});
    EXPECT_EQ(9, rig.cpu.Execute(9)); // NOP, then 5 cycles paid towards the CALL
    EXPECT_EQ(0x101u, rig.cpu.GetProgramCounter());
    EXPECT_EQ(5, rig.cpu.GetPaidCycles());
    EXPECT_EQ(0xCD, rig.cpu.GetPendingOpcode());
    EXPECT_EQ(0x102, rig.cpu.GetPendingPC());
    EXPECT_EQ(9u, rig.cpu.GetCycleCount());
    EXPECT_EQ(3, rig.cpu.Execute(3)); // still short: 8 paid
    EXPECT_EQ(8, rig.cpu.GetPaidCycles());
    EXPECT_EQ(9, rig.cpu.Execute(9)); // the rest exactly
    EXPECT_EQ(0x2000, rig.cpu.GetPC());
    EXPECT_EQ(0, rig.cpu.GetPaidCycles());
    EXPECT_EQ(0x104, rig.machine.PeekRamWord(kStack - 2));
    EXPECT_EQ(21u, rig.cpu.GetCycleCount());
}

TEST(I8080, RunsADeferredInstructionFirstForWhatItOwes) {
    CRig rig({0x00, 0xCD, 0x00, 0x20});
    rig.cpu.Execute(9);
    EXPECT_EQ(12, rig.cpu.Execute(0));
    EXPECT_EQ(0x2000, rig.cpu.GetPC());
    EXPECT_EQ(0, rig.cpu.GetPaidCycles());
    // A longer slice goes on after it.
    CRig other({0x00, 0xCD, 0x00, 0x20});
    other.cpu.Execute(9);
    EXPECT_EQ(20, other.cpu.Execute(20)); // 12 for the CALL, two NOPs at 2000h
    EXPECT_EQ(0x2002, other.cpu.GetPC());
    EXPECT_EQ(0, other.cpu.GetPaidCycles());
}

TEST(I8080, ResetProgramCounterDropsADeferredInstruction) {
    CRig rig({0x00, 0xCD, 0x00, 0x20});
    rig.cpu.Execute(9);
    rig.cpu.ResetProgramCounter();
    EXPECT_EQ(0, rig.cpu.GetPaidCycles());
    EXPECT_EQ(4, rig.Step()); // the NOP at 0000h, not the CALL
    EXPECT_EQ(0x0001, rig.cpu.GetPC());
}

TEST(I8080, EndSliceFromAPortCompletesTheInstruction) {
    CRig rig({0x00, 0xD3, 0x00, 0x00, 0x00});
    EXPECT_EQ(14, rig.cpu.Execute(1000)); // NOP and OUT 0, whose handler ends the slice
    EXPECT_EQ(0x103, rig.cpu.GetPC());
    EXPECT_FALSE(rig.cpu.IsInSlice());
}

TEST(I8080, StopSliceFromAWriteLeavesTheInstructionUndone) {
    CRig rig({0x3E, 0x77, 0x32, 0x00, 0x40, 0x00});
    CStopOnce stopper{&rig.cpu, 0};
    ASSERT_TRUE(rig.machine.GetMemoryService()->SetWriteHandler(0x4000 >> 10, 1, &stopper, CStopOnce::Write, false));
    EXPECT_EQ(7, rig.cpu.Execute(100)); // MVI A; STA stopped and not charged
    EXPECT_EQ(0x102, rig.cpu.GetPC());
    EXPECT_EQ(0, rig.machine.PeekRam(0x4000));
    EXPECT_EQ(17, rig.cpu.Execute(17)); // STA again, then a NOP
    EXPECT_EQ(0x77, rig.machine.PeekRam(0x4000));
    EXPECT_EQ(0x106, rig.cpu.GetPC());
}

TEST(I8080, AFaultInADeferredInstructionKeepsWhatItPaid) {
    CRig rig({0x00, 0x32, 0x00, 0x40});
    CStopOnce stopper{&rig.cpu, 0};
    ASSERT_TRUE(rig.machine.GetMemoryService()->SetWriteHandler(0x4000 >> 10, 1, &stopper, CStopOnce::Write, false));
    EXPECT_EQ(9, rig.cpu.Execute(9)); // NOP, 5 paid towards STA
    EXPECT_EQ(0, rig.cpu.Execute(100));
    EXPECT_EQ(5, rig.cpu.GetPaidCycles());
    EXPECT_EQ(0x101u, rig.cpu.GetProgramCounter());
    EXPECT_EQ(8, rig.cpu.Execute(8)); // what the STA still owes
    EXPECT_EQ(0, rig.cpu.GetPaidCycles());
    EXPECT_EQ(0x104, rig.cpu.GetPC());
    EXPECT_EQ(17u, rig.cpu.GetCycleCount());
}

TEST(I8080, ADeferredEiOrDiIsForgottenOnceDone) {
    for (uint8_t opcode : {0xF3, 0xFB}) {
        // NOP, DI or EI (deferred), NOP, STA 4000h (stopped once), NOP
        CRig rig({0x00, opcode, 0x00, 0x32, 0x00, 0x40, 0x00});
        CStopOnce stopper{&rig.cpu, 0};
        ASSERT_TRUE(
            rig.machine.GetMemoryService()->SetWriteHandler(0x4000 >> 10, 1, &stopper, CStopOnce::Write, false));
        EXPECT_EQ(6, rig.cpu.Execute(6));
        EXPECT_EQ(2, rig.cpu.GetPaidCycles());
        EXPECT_EQ(6, rig.cpu.Execute(100)); // the rest of it and a NOP; STA stopped
        EXPECT_EQ(0, rig.cpu.GetPaidCycles());
        EXPECT_EQ(0x103u, rig.cpu.GetProgramCounter());
        EXPECT_EQ(17, rig.cpu.Execute(17)); // STA and a NOP
        EXPECT_EQ(0x107, rig.cpu.GetPC());
    }
}

TEST(I8080, TakesAnInterruptOnlyAfterTheInstructionBehindEi) {
    CRig rig({0xF3, 0xFB, 0x00, 0x00});
    rig.Step(); // DI
    rig.machine.m_pic->Raise(3, 0x0038);
    EXPECT_TRUE(rig.cpu.GetChwiFlag());
    EXPECT_EQ(4, rig.Step()); // EI
    EXPECT_EQ(4, rig.Step()); // the NOP behind it
    EXPECT_EQ(0x103, rig.cpu.GetPC());
    EXPECT_EQ(7, rig.Step()); // the entry
    EXPECT_EQ(0x0038, rig.cpu.GetPC());
    EXPECT_EQ(0x103, rig.machine.PeekRamWord(kStack - 2));
    EXPECT_EQ(1, rig.machine.m_pic->m_commits);
    // Kept as the machine's software expects: the enable stays set and a delay follows.
    EXPECT_TRUE(rig.cpu.GetInterruptEnable());
    EXPECT_EQ(50, rig.cpu.GetInterruptDelay());
}

TEST(I8080, LooksForInterruptsAgainOnlyAfterFiftyBoundaries) {
    CRig rig({0x00});
    rig.machine.m_pic->Raise(1, 0x0008);
    EXPECT_EQ(7, rig.Step());
    EXPECT_EQ(0x0008, rig.cpu.GetPC());
    rig.machine.m_pic->Raise(1, 0x0008);
    for (int i = 0; i < 50; ++i)
        ASSERT_EQ(4, rig.Step()) << i;
    EXPECT_EQ(0x0008 + 50, rig.cpu.GetPC());
    EXPECT_EQ(7, rig.Step());
    EXPECT_EQ(0x0008, rig.cpu.GetPC());
    // The delay counts only while interrupts are enabled and a check is asked for.
    rig.machine.m_pic->Raise(1, 0x0008);
    rig.cpu.SetInterruptEnable(false);
    for (int i = 0; i < 60; ++i)
        rig.Step();
    EXPECT_EQ(50, rig.cpu.GetInterruptDelay());
}

TEST(I8080, ReturnsBehindAHltWhenInterrupted) {
    CRig rig({0x76});
    EXPECT_EQ(7, rig.Step());
    EXPECT_EQ(7, rig.cpu.Execute(7));
    EXPECT_EQ(0x100, rig.cpu.GetPC());
    rig.machine.m_pic->Raise(1, 0x0008);
    EXPECT_EQ(7, rig.Step());
    EXPECT_EQ(0x0008, rig.cpu.GetPC());
    EXPECT_EQ(0x101, rig.machine.PeekRamWord(kStack - 2));
}

TEST(I8080, TracesAnInterruptBySwitchOfItsRequestNumber) {
    common::CTextConsole console;
    CRig rig({0x00});
    rig.machine.SetConsole(&console);
    rig.cpu.m_traceHardware[3] = true;
    rig.machine.m_pic->Raise(11, 0x0038);
    rig.Step();
    bool found = false;
    for (const std::string& line : Lines(console))
        found = found || line == "[CPU] IRQ11 interrupt from PC=0100h to 0038h (cycles=0)";
    EXPECT_TRUE(found);
    EXPECT_EQ(0x0038, rig.cpu.GetPC());
}

TEST(I8080, RepeatsInWhileThePortIsNotReady) {
    CRig rig({0xDB, 0x20});
    struct CPort {
        int reads = 0;
        static bool Read(void* context, uint32_t, uint32_t, uint8_t* value, uint8_t, uint8_t* status) {
            auto* self = static_cast<CPort*>(context);
            if (++self->reads < 3)
                *status = 1;
            *value = 0x5A;
            return true;
        }
    } port;
    ASSERT_TRUE(rig.machine.GetPortsService()->SetInputHandlerWithStatus(0x20, &port, CPort::Read));
    EXPECT_EQ(10, rig.Step());
    EXPECT_EQ(0x100, rig.cpu.GetPC());
    EXPECT_EQ(0, rig.cpu.GetA());
    EXPECT_EQ(10, rig.Step());
    EXPECT_EQ(10, rig.Step());
    EXPECT_EQ(0x102, rig.cpu.GetPC());
    EXPECT_EQ(0x5A, rig.cpu.GetA());
}

TEST(I8080, TrapHookDecidesWhatD9Does) {
    struct CHook {
        int mode;
        int calls = 0;
        uint16_t address = 0;
        uint8_t display = 0xFF;
        static bool Run(void* context, emu::CProcessorInterface* processor, uint16_t address, uint8_t* opcode,
                        uint8_t display) {
            auto* self = static_cast<CHook*>(context);
            ++self->calls;
            self->address = address;
            self->display = display;
            switch (self->mode) {
            case 1:
                *opcode = 0x3C; // INR A
                return true;
            case 2:
                *opcode = 0xCD; // CALL with D9's operand bytes
                return true;
            case 3:
                return false;
            case 4:
                processor->StopSlice();
                return true;
            default:
                return true;
            }
        }
    };
    struct CCase {
        const char* name;
        int mode;
        int32_t cycles;
        uint16_t pc;
        uint8_t a;
    };
    const CCase cases[] = {
        {"left as D9: RET", 0, 10, 0x1234, 0},
        {"INR A in its place", 1, 10, 0x101, 1},
        {"CALL in its place", 2, 10, 0x2000, 0},
        {"stopped by the hook", 3, 1, 0x100, 0},
        {"stopped through the processor", 4, 0, 0x100, 0},
    };
    for (const CCase& c : cases) {
        CRig rig({0xD9, 0x00, 0x20});
        CHook hook{c.mode};
        rig.cpu.SetTrapHook(&hook, CHook::Run);
        EXPECT_EQ(c.cycles, rig.cpu.Execute(c.cycles > 1 ? c.cycles : 100)) << c.name;
        EXPECT_EQ(c.pc, rig.cpu.GetPC()) << c.name;
        EXPECT_EQ(c.a, rig.cpu.GetA()) << c.name;
        EXPECT_EQ(1, hook.calls) << c.name;
        EXPECT_EQ(0x100, hook.address) << c.name;
        EXPECT_EQ(0, hook.display) << c.name;
    }
}

TEST(I8080, BreakOnRestartStopsAtTheRst) {
    common::CTextConsole console;
    CRig rig({0x00, 0xFF, 0x00});
    rig.machine.SetConsole(&console);
    rig.machine.SetBreakHook(BreakIn);
    rig.machine.SetBreakHookUser(&rig.cpu);
    emu::COptionTree menu;
    rig.cpu.BuildMenu(&menu, emu::CDevice::kMenuDebug);
    common::COptionNodeInterface* selectAll = Child(Child(&menu, "Break On S/W Interrupts"), "Select All");
    ASSERT_NE(nullptr, selectAll);
    EXPECT_TRUE(selectAll->Activate());

    EXPECT_EQ(4, rig.cpu.Execute(100)); // the NOP; RST 7 is left undone
    EXPECT_EQ(0x101, rig.cpu.GetPC());
    EXPECT_EQ(kStack, rig.cpu.GetSP());
    bool found = false;
    for (const std::string& line : Lines(console))
        found = found || line == "[CPU BREAK] RST7 interrupt from PC=0102h to 0038h (cycles=4)";
    EXPECT_TRUE(found);

    rig.machine.SetBreakHook(nullptr);
    EXPECT_EQ(11, rig.Step()); // without the debugger the break only colours the line
    EXPECT_EQ(0x0038, rig.cpu.GetPC());
    EXPECT_EQ(0x102, rig.machine.PeekRamWord(kStack - 2));
}

TEST(I8080, DebugMenuHasTheTraceAndBreakSwitches) {
    emu::CProcessor_I8080 cpu;
    emu::COptionTree menu;
    cpu.BuildMenu(&menu, emu::CDevice::kMenuDebug);
    const char* const names[] = {"Trace S/W Interrupts",    "Trace H/W Interrupts",    "Trace All",   "",
                                 "Break On S/W Interrupts", "Break On H/W Interrupts", "Break On All"};
    ASSERT_EQ(7, menu.GetChildCount());
    for (int i = 0; i < 7; ++i)
        EXPECT_STREQ(names[i], menu.GetChildAt(i)->GetName().GetNarrow());
    common::COptionNodeInterface* traceSoftware = Child(&menu, "Trace S/W Interrupts");
    ASSERT_EQ(11, traceSoftware->GetChildCount());
    EXPECT_STREQ("RST 7", traceSoftware->GetChildAt(7)->GetName().GetNarrow());
    EXPECT_STREQ("IRQ 0", Child(&menu, "Trace H/W Interrupts")->GetChildAt(0)->GetName().GetNarrow());

    EXPECT_FALSE(traceSoftware->IsChecked());
    EXPECT_TRUE(Child(traceSoftware, "RST 3")->Activate());
    EXPECT_TRUE(cpu.m_traceSoftware[3]);
    EXPECT_TRUE(traceSoftware->IsChecked());
    EXPECT_TRUE(Child(traceSoftware, "Clear All")->Activate());
    EXPECT_FALSE(cpu.m_traceSoftware[3]);

    Child(&menu, "Trace All")->Activate();
    Child(&menu, "Break On All")->Activate();
    for (int i = 0; i < 8; ++i) {
        EXPECT_TRUE(cpu.m_traceSoftware[i] && cpu.m_traceHardware[i]) << i;
        EXPECT_TRUE(cpu.m_breakSoftware[i] && cpu.m_breakHardware[i]) << i;
    }
}

TEST(I8080, SettingsBindEverySwitch) {
    emu::CProcessor_I8080 cpu;
    common::CSettingsRegistry registry;
    ASSERT_TRUE(cpu.CollectProperties(&registry, false));
    common::CNarrowString name;
    for (const char* kind : {"TraceSWInt", "BreakSWInt", "TraceHWInt", "BreakHWInt"}) {
        for (long n = 0; n < 8; ++n) {
            name.Format("%s%.2lX", kind, static_cast<unsigned long>(n));
            EXPECT_NE(nullptr, registry.FindValue(name)) << name.GetNarrow();
        }
    }
    common::CSettingsRegistry deviceOnly;
    ASSERT_TRUE(cpu.CollectProperties(&deviceOnly, true));
    EXPECT_EQ(nullptr, deviceOnly.FindValue(common::CNarrowString("TraceSWInt00")));
}

TEST(I8080, FormatsTheRegisterView) {
    CRig rig({0x00, 0xCD, 0x00, 0x20});
    rig.cpu.Execute(9); // a deferred CALL with 5 cycles paid
    rig.cpu.SetA(0x12);
    rig.cpu.SetF(0x46);
    rig.cpu.SetBC(0x3456);
    rig.cpu.SetDE(0x789A);
    rig.cpu.SetHL(0xBCDE);

    common::CStringList column;
    ASSERT_TRUE(rig.cpu.FormatRegisters(&column, true));
    const char* const entries[] = {"~CPU",     "AF=1246h", "BC=3456h", "DE=789Ah",
                                   "HL=BCDEh", "PC=0101h", "SP=F000h", "-Z-P- I+"};
    ASSERT_EQ(8, column.GetCount());
    for (int i = 0; i < 8; ++i)
        EXPECT_STREQ(entries[i], column.GetAt(i)->GetNarrow());
    column.DeleteAll();

    common::CStringList lines;
    ASSERT_TRUE(rig.cpu.FormatRegisters(&lines, false));
    ASSERT_EQ(2, lines.GetCount());
    EXPECT_STREQ("CPU I8080, Frequency=2500000, Cycles=9 (-5), Flags: -Z-P- (46h)", lines.GetAt(0)->GetNarrow());
    EXPECT_STREQ("    A=12h, BC=3456h, DE=789Ah, HL=BCDEh, PC=0101h, SP=F000h", lines.GetAt(1)->GetNarrow());
    lines.DeleteAll();
}

TEST(I8080, ASavedRunContinuesAsTheUninterruptedOne) {
    const Bytes program = i8080test::ReadDataFile("8080PRE.COM");
    ASSERT_FALSE(program.empty());
    CTestMachine original;
    ASSERT_TRUE(original.PowerOn());
    ASSERT_TRUE(original.LoadProgram(program));
    // Odd slices leave an instruction deferred now and then; save at one.
    int slices = 0;
    while (slices < 40 || original.m_cpu->GetPaidCycles() == 0) {
        original.Slice(37);
        ++slices;
        ASSERT_LT(slices, 10000);
    }
    const std::vector<uint8_t> state = original.SaveMachine();
    const size_t printed = original.m_cpm->m_text.size();
    const int32_t paid = original.m_cpu->GetPaidCycles();
    ASSERT_TRUE(original.RunToEnd(1000000, 37));

    CTestMachine restored;
    ASSERT_TRUE(restored.PowerOn());
    ASSERT_TRUE(restored.LoadMachine(state));
    EXPECT_EQ(paid, restored.m_cpu->GetPaidCycles());
    ASSERT_TRUE(restored.RunToEnd(1000000, 37));
    EXPECT_EQ(original.m_cpm->m_text.substr(printed), restored.m_cpm->m_text);
    EXPECT_EQ(original.m_cpu->GetCycleCount(), restored.m_cpu->GetCycleCount());
    EXPECT_EQ(7817u, restored.m_cpu->GetCycleCount());
    EXPECT_EQ(original.m_cpu->GetPC(), restored.m_cpu->GetPC());
    EXPECT_EQ(original.m_cpu->GetSP(), restored.m_cpu->GetSP());
    EXPECT_EQ(original.m_cpu->GetF(), restored.m_cpu->GetF());
}

TEST(I8080, LoadedFlagsKeepTheirFixedBits) {
    CTestMachine machine;
    ASSERT_TRUE(machine.PowerOn());
    std::vector<uint8_t> state = machine.SaveMachine();
    // The "FLAGS" field: its name record, the type byte, the value.
    const std::string name = "FLAGS";
    auto at = std::search(state.begin(), state.end(), name.begin(), name.end());
    ASSERT_NE(state.end(), at);
    const size_t value = static_cast<size_t>(at - state.begin()) + name.size() + 1;
    ASSERT_EQ(0x02, state[value]);
    for (uint8_t stored : {0xFF, 0x00}) {
        state[value] = stored;
        CTestMachine loaded;
        ASSERT_TRUE(loaded.PowerOn());
        ASSERT_TRUE(loaded.LoadMachine(state));
        EXPECT_EQ((stored & 0xD5) | 0x02, loaded.m_cpu->GetF());
    }
}
