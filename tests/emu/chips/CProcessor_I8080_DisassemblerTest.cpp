#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/CNarrowString.h"
#include "emu/chips/CProcessor_I8080.h"
#include "emu/framework/CMachine.h"
#include "emu/framework/CMemory.h"

namespace {

typedef std::vector<uint8_t> Bytes;

// The 8080 with its fault flag reachable, so that a memory hook can refuse an access.
class CTestI8080 : public emu::CProcessor_I8080 {
public:
    void SetFault(bool on) { m_fault = on; }
};

// One disassembled line.
struct CLine {
    int32_t length = 0;
    uint32_t kind = 0;
    std::string columns[emu::CProcessorInterface::kDisassemblyColumns];
    uint32_t widths[emu::CProcessorInterface::kDisassemblyColumns] = {};
};

CLine Disassemble(emu::CProcessorInterface& cpu) {
    common::CNarrowString texts[emu::CProcessorInterface::kDisassemblyColumns];
    common::CString* columns[emu::CProcessorInterface::kDisassemblyColumns];
    for (int i = 0; i < emu::CProcessorInterface::kDisassemblyColumns; ++i) {
        texts[i].AssignNarrow("stale");
        columns[i] = &texts[i];
    }
    CLine line;
    line.kind = 0xFFFF;
    line.length = cpu.Disassemble(columns, &line.kind, line.widths);
    for (int i = 0; i < emu::CProcessorInterface::kDisassemblyColumns; ++i)
        line.columns[i] = texts[i].GetNarrow();
    return line;
}

constexpr uint32_t kCall = emu::CProcessorInterface::kDisassembledCall;
constexpr uint32_t kTransfer = emu::CProcessorInterface::kDisassembledTransfer;

// A framework machine holding the 8080 over 64 KB of RAM. Page 3 (0C00..0FFF)
// is unmapped and its reads go to a hook that refuses peeks by faulting.
class I8080DisassemblerTest : public ::testing::Test {
protected:
    static constexpr uint16_t kStart = 0x0100;
    static constexpr uint16_t kRefusingPage = 0x0C00;

    void SetUp() override {
        ASSERT_TRUE(m_machine.Build());
        m_cpu = new CTestI8080();
        ASSERT_TRUE(m_machine.AddDevice(m_cpu, "CPU", "CPU"));
        int32_t rate = 4900;
        ASSERT_TRUE(m_machine.Start(&rate));
        emu::CMemory* memory = m_machine.GetMemoryService();
        ASSERT_TRUE(memory->Allocate(0x10000, 0, 0));
        ASSERT_TRUE(memory->SetPageAccess(0, kRefusingPage >> emu::CMemory::kPageShift, 1));
        memory->SetUnmappedHooks(this, RefusePeek, nullptr, nullptr);

        // Live values the explanations show.
        m_cpu->SetA(0x12);
        m_cpu->SetF(emu::CProcessor_I8080::kFlagP | emu::CProcessor_I8080::kFlagCY);
        m_cpu->SetBC(0x1234);
        m_cpu->SetDE(0x2345);
        m_cpu->SetHL(0x3000);
        m_cpu->SetSP(0x4000);
        m_cpu->SetPC(kStart);
        Poke(0x1234, {0x77});
        Poke(0x2345, {0x88});
        Poke(0x3000, {0x5A});
        Poke(0x4000, {0x03, 0x02});
        Poke(0x5000, {0x9A, 0xBC});
    }
    void TearDown() override {
        m_machine.GetMemoryService()->SetUnmappedHooks(nullptr, nullptr, nullptr, nullptr);
        m_machine.Stop();
    }

    static bool RefusePeek(void* context, uint32_t, uint32_t, uint8_t*, uint8_t flag) {
        auto* self = static_cast<I8080DisassemblerTest*>(context);
        self->m_hookFlags.push_back(flag);
        if (flag == 1)
            self->m_cpu->SetFault(true);
        return false;
    }

    void Poke(uint32_t address, const Bytes& bytes) {
        uint8_t* ram = m_machine.GetMemoryService()->GetRamBase();
        for (size_t i = 0; i < bytes.size(); ++i)
            ram[(address + i) & 0xFFFF] = bytes[i];
    }

    // Disassembles, then clears a fault that a refused peek left.
    CLine At(uint16_t pc) {
        m_cpu->SetPC(pc);
        CLine line = Disassemble(*m_cpu);
        m_cpu->SetFault(false);
        return line;
    }

    emu::CMachine m_machine;
    CTestI8080* m_cpu = nullptr; // owned by the machine
    std::vector<uint8_t> m_hookFlags;
};

struct CCase {
    Bytes code;
    const char* bytes;
    const char* mnemonic;
    const char* trace;
    uint32_t kind;
    int32_t length;
};

// A = 12h, F: P and CY set, BC = 1234h, DE = 2345h, HL = 3000h, SP = 4000h, PC = 0100h;
// [1234h] = 77h, [2345h] = 88h, [3000h] = 5Ah, the word at SP 0203h, the word at 5000h BC9Ah.
const CCase kCases[] = {
    {{0x00}, "00", "NOP", "nop (skip)", 0, 1},
    {{0x38}, "38", "*NOP (undoc)", "nop (skip)", 0, 1},
    {{0x01, 0x34, 0x12}, "013412", "LXI B,1234h", "BC:=1234h", 0, 3},
    {{0x31, 0x00, 0x50}, "310050", "LXI SP,5000h", "SP:=5000h", 0, 3},
    {{0x02}, "02", "STAX B", "[BC]=[1234h]:=(A=12h)", 0, 1},
    {{0x1A}, "1A", "LDAX D", "A:=([DE]=[2345h]=88h)", 0, 1},
    {{0x23}, "23", "INX H", "inc HL+1:=3001h", 0, 1},
    {{0x0B}, "0B", "DCX B", "dec BC-1:=1233h", 0, 1},
    {{0x34}, "34", "INR [HL]", "inc [HL=3000h]+1:=5Bh", 0, 1},
    {{0x0D}, "0D", "DCR C", "dec C-1:=33h", 0, 1},
    {{0x36, 0x99}, "3699", "MVI [HL],99h", "[HL=3000h]:=99h", 0, 2},
    {{0x3E, 0x0D}, "3E0D", "MVI A,0Dh", "A:=0Dh", 0, 2},
    {{0x07}, "07", "RLC", "rol A<<1=12h<<1:=24h", 0, 1},
    {{0x1F}, "1F", "RAR", "rcr A>>1=12h>>1:=89h", 0, 1},
    {{0x09}, "09", "DAD B", "add HL+BC=3000h+1234h:=4234h", 0, 1},
    {{0x39}, "39", "DAD SP", "add HL+SP=3000h+4000h:=7000h", 0, 1},
    {{0x22, 0x00, 0x50}, "220050", "SHLD 5000h", "[5000h]:=(HL=3000h)", 0, 3},
    {{0x2A, 0x00, 0x50}, "2A0050", "LHLD 5000h", "HL:=([5000h]=BC9Ah)", 0, 3},
    {{0x32, 0x00, 0x50}, "320050", "STA 5000h", "[5000h]:=(A=12h)", 0, 3},
    {{0x3A, 0x00, 0x50}, "3A0050", "LDA 5000h", "A:=([5000h]=9Ah)", 0, 3},
    {{0x27}, "27", "DAA", "daa (A=12h):=72h", 0, 1},
    {{0x2F}, "2F", "CMA", "not ~A:=EDh", 0, 1},
    {{0x37}, "37", "STC", "C_FLAG:=1", 0, 1},
    {{0x3F}, "3F", "CMC", "C_FLAG^1:=0", 0, 1},
    {{0x78}, "78", "MOV A,B", "A:=B=12h", 0, 1},
    {{0x7E}, "7E", "MOV A,[HL]", "A:=[HL]=[3000h]=5Ah", 0, 1},
    {{0x77}, "77", "MOV [HL],A", "[HL]=[3000h]:=(A=12h)", 0, 1},
    {{0x76}, "76", "HLT", "halt (until h/w interrupt)", kCall, 1},
    {{0x80}, "80", "ADD B", "add A+B=12h+12h:=24h", 0, 1},
    {{0x8E}, "8E", "ADC [HL]", "adc A+[HL=3000h]=12h+5Ah+1:=6Dh", 0, 1},
    {{0x9A}, "9A", "SBB D", "sbc A-D=12h-23h-1:=EEh", 0, 1},
    {{0xA1}, "A1", "ANA C", "and A & C=12h & 34h:=10h", 0, 1},
    {{0xAF}, "AF", "XRA A", "xor A^A=12h^12h:=00h", 0, 1},
    {{0xB3}, "B3", "ORA E", "or A|E=12h|45h:=57h", 0, 1},
    {{0xB8}, "B8", "CMP B", "cmp A-B=12h-12h ? sZAPc", 0, 1},
    {{0xBE}, "BE", "CMP [HL]", "cmp A-[HL=3000h]=12h-5Ah ? SzaPC", 0, 1},
    {{0xC6, 0x34}, "C634", "ADI A,34h", "add A+34h=12h+34h:=46h", 0, 2},
    {{0xDE, 0x01}, "DE01", "SBI A,01h", "sbc A-01h=12h-01h-1:=10h", 0, 2},
    {{0xE6, 0x0F}, "E60F", "ANI A,0Fh", "and A & 0Fh=12h & 0Fh:=02h", 0, 2},
    {{0xFE, 0x12}, "FE12", "CPI A,12h", "cmp A-12h=12h-12h ? sZAPc", 0, 2},
    {{0xC2, 0x00, 0x02}, "C20002", "JNZ 0200h", "+jnz 0200h (z ? YES)", kTransfer, 3},
    {{0xCA, 0x00, 0x02}, "CA0002", "JZ 0200h", "jz 0200h (Z ? no)", kTransfer, 3},
    {{0xDA, 0x03, 0x01}, "DA0301", "JC 0103h", "jc 0103h (C ? YES)", kTransfer, 3},
    {{0xEA, 0x00, 0x01}, "EA0001", "JPE 0100h", "-jp 0100h (P ? YES)", kTransfer, 3},
    {{0xE2, 0x00, 0x01}, "E20001", "JPO 0100h", "jnp 0100h (p ? no)", kTransfer, 3},
    {{0xC4, 0x00, 0x02}, "C40002", "CNZ 0200h", "+callnz 0200h (z ? YES)", kCall, 3},
    {{0xFC, 0x00, 0x02}, "FC0002", "CM 0200h", "calls 0200h (S ? no)", kCall, 3},
    {{0xD4, 0x00, 0x02}, "D40002", "CNC 0200h", "callnc 0200h (c ? no)", kCall, 3},
    {{0xC0}, "C0", "RNZ", "+retnz 0203h (z ? YES)", kTransfer, 1},
    {{0xF0}, "F0", "RP", "+retns 0203h (s ? YES)", kTransfer, 1},
    {{0xC8}, "C8", "RZ", "retz 0203h (Z ? no)", kTransfer, 1},
    {{0xC3, 0x00, 0x02}, "C30002", "JMP 0200h", "*jmp 0200h", kTransfer, 3},
    {{0xCB, 0x00, 0x02}, "CB0002", "*JMP (undoc) 0200h", "*jmp 0200h", kTransfer, 3},
    {{0xCD, 0x00, 0x02}, "CD0002", "CALL 0200h", "*call 0200h", kCall, 3},
    {{0xDD, 0x00, 0x02}, "DD0002", "*CALL (undoc) 0200h", "*call 0200h", kCall, 3},
    {{0xED, 0x34, 0x12}, "ED3412", "*CALL (undoc) 1234h", "*call 1234h", kCall, 3},
    {{0xFD, 0x00, 0x02}, "FD0002", "*CALL (undoc) 0200h", "*call 0200h", kCall, 3},
    {{0xC9}, "C9", "RET", "*ret 0203h", 0, 1},
    {{0xD9}, "D9", "*RET (undoc)", "*ret 0203h", 0, 1},
    {{0xC7}, "C7", "RST 0", "*int 0 (00h)", 0, 1},
    {{0xFF}, "FF", "RST 7", "*int 7 (38h)", 0, 1},
    {{0xC5}, "C5", "PUSH B", "push BC=1234h =>([SP-2]=[3FFEh])", 0, 1},
    {{0xF5}, "F5", "PUSH PSW", "push AF=1207h =>([SP-2]=[3FFEh])", 0, 1},
    {{0xE1}, "E1", "POP H", "pop HL:=0203h <=([SP]=[4000h])+2", 0, 1},
    {{0xF1}, "F1", "POP PSW", "pop AF:=0203h <=([SP]=[4000h])+2", 0, 1},
    {{0xE3}, "E3", "XTHL", "xchg [SP]=[4000h]=0203h, HL=3000h", 0, 1},
    {{0xEB}, "EB", "XCHG", "xchg DE=2345h, HL=3000h", 0, 1},
    {{0xF9}, "F9", "SPHL", "SP:=(HL=3000h)", 0, 1},
    {{0xE9}, "E9", "PCHL", "*jmp HL=3000h", kTransfer, 1},
    {{0xD3, 0x10}, "D310", "OUT 10h", "out 10h,A=12h", 0, 2},
    {{0xDB, 0x20}, "DB20", "IN 20h", "in A,20h", 0, 2},
    {{0xF3}, "F3", "DI", "I_FLAG:=0 (disable hwint)", 0, 1},
    {{0xFB}, "FB", "EI", "I_FLAG:=1 (enable hwint)", 0, 1},
};

TEST_F(I8080DisassemblerTest, DecodesEachOperandKindWithLiveValues) {
    for (const CCase& c : kCases) {
        Poke(kStart, c.code);
        const CLine line = At(kStart);
        SCOPED_TRACE(c.mnemonic);
        EXPECT_EQ(line.length, c.length);
        EXPECT_EQ(line.columns[1], c.bytes);
        EXPECT_EQ(line.columns[2], c.mnemonic);
        EXPECT_EQ(line.columns[4], c.trace);
        EXPECT_EQ(line.kind, c.kind);
    }
}

TEST_F(I8080DisassemblerTest, FillsAddressFlagsAndWidthsAndLeavesTheSpareColumnsEmpty) {
    Poke(0xABCD, {0x00});
    m_cpu->SetF(emu::CProcessor_I8080::kFlagS | emu::CProcessor_I8080::kFlagZ | emu::CProcessor_I8080::kFlagAC);
    CLine line = At(0xABCD);
    EXPECT_EQ(line.columns[0], "ABCD");
    EXPECT_EQ(line.columns[3], "SZA--");
    EXPECT_EQ(line.columns[5], "");
    EXPECT_EQ(line.columns[6], "");
    const uint32_t widths[] = {4, 6, 28, 5, 48, 0, 3};
    for (int i = 0; i < emu::CProcessorInterface::kDisassemblyColumns; ++i)
        EXPECT_EQ(line.widths[i], widths[i]) << i;

    m_cpu->SetF(0);
    line = At(0xABCD);
    EXPECT_EQ(line.columns[3], "-----");
}

TEST_F(I8080DisassemblerTest, ExplanationFollowsTheRegistersAndLeavesTheProcessorAlone) {
    Poke(kStart, {0xC2, 0x00, 0x02}); // JNZ 0200h
    EXPECT_EQ(At(kStart).columns[4], "+jnz 0200h (z ? YES)");
    m_cpu->SetF(emu::CProcessor_I8080::kFlagZ);
    EXPECT_EQ(At(kStart).columns[4], "jnz 0200h (z ? no)");

    Poke(kStart, {0xC1}); // POP B
    m_cpu->SetSP(0x5000);
    m_cpu->SetA(0x99);
    const CLine line = At(kStart);
    EXPECT_EQ(line.columns[4], "pop BC:=BC9Ah <=([SP]=[5000h])+2");
    EXPECT_EQ(m_cpu->GetPC(), kStart);
    EXPECT_EQ(m_cpu->GetSP(), 0x5000);
    EXPECT_EQ(m_cpu->GetBC(), 0x1234);
    EXPECT_EQ(m_cpu->GetA(), 0x99);
}

TEST_F(I8080DisassemblerTest, UnreadableBytesEndTheLineAsAFailure) {
    struct CFailure {
        uint16_t pc;
        Bytes code;
        const char* bytes;
        const char* mnemonic;
    };
    const CFailure failures[] = {
        {kRefusingPage, {}, "", "???"},                       // the opcode
        {kRefusingPage - 1, {0x01}, "01", "LXI B,im16"},      // an operand
        {kRefusingPage - 1, {0xCD}, "CD", "CALL im16"},       // a call target
        {kRefusingPage - 1, {0xFE}, "FE", "CPI A,im8"},       // an immediate byte
        {kRefusingPage - 1, {0xDB}, "DB", "IN im8"},          // a port
        {kStart, {0x3A, 0x00, 0x0C}, "3A000C", "LDA 0C00h"},  // a direct memory operand
        {kStart, {0x2A, 0xFF, 0x0B}, "2AFF0B", "LHLD 0BFFh"}, // a word across into the page
    };
    for (const CFailure& f : failures) {
        Poke(f.pc, f.code);
        const CLine line = At(f.pc);
        SCOPED_TRACE(f.mnemonic);
        EXPECT_EQ(line.length, -1);
        EXPECT_EQ(line.columns[1], f.bytes);
        EXPECT_EQ(line.columns[2], f.mnemonic);
        EXPECT_EQ(line.columns[4], "*(todo)");
        // A call that cannot be read is not offered for stepping over.
        EXPECT_EQ(line.kind, kTransfer);
    }

    // Memory operands at HL and stack words at SP.
    Poke(kStart, {0x7E}); // MOV A,[HL]
    m_cpu->SetHL(kRefusingPage);
    CLine line = At(kStart);
    EXPECT_EQ(line.columns[2], "MOV A,[HL]");
    EXPECT_EQ(line.columns[4], "*(todo)");
    EXPECT_EQ(line.length, -1);
    Poke(kStart, {0xC9}); // RET
    m_cpu->SetSP(kRefusingPage + 2);
    line = At(kStart);
    EXPECT_EQ(line.columns[2], "RET");
    EXPECT_EQ(line.columns[1], "C9");
    EXPECT_EQ(line.length, -1);

    // Every look went to memory as a peek.
    ASSERT_FALSE(m_hookFlags.empty());
    for (uint8_t flag : m_hookFlags)
        EXPECT_EQ(flag, 1);
}

TEST_F(I8080DisassemblerTest, TrapHookMayShowAnotherOpcodeInPlaceOfD9) {
    struct CTrap {
        uint8_t replacement;
        std::vector<uint32_t> addresses;
        std::vector<uint8_t> displays;
        static bool Hook(void* context, emu::CProcessorInterface*, uint16_t address, uint8_t* opcode, uint8_t display) {
            auto* self = static_cast<CTrap*>(context);
            self->addresses.push_back(address);
            self->displays.push_back(display);
            EXPECT_EQ(*opcode, 0xD9);
            *opcode = self->replacement;
            return true;
        }
    };
    Poke(0x2000, {0xD9, 0x34, 0x12});
    CTrap trap{0xC3, {}, {}};
    m_cpu->SetTrapHook(&trap, CTrap::Hook);
    CLine line = At(0x2000);
    EXPECT_EQ(line.columns[1], "D93412");
    EXPECT_EQ(line.columns[2], "JMP 1234h");
    EXPECT_EQ(line.kind, kTransfer);
    EXPECT_EQ(line.length, 3);
    EXPECT_EQ(trap.addresses, std::vector<uint32_t>{0x2000});
    EXPECT_EQ(trap.displays, std::vector<uint8_t>{1});

    trap.replacement = 0xD9; // left alone: the undocumented RET
    line = At(0x2000);
    EXPECT_EQ(line.columns[2], "*RET (undoc)");
    EXPECT_EQ(line.columns[4], "*ret 0203h");
    EXPECT_EQ(line.length, 1);
    m_cpu->SetTrapHook(nullptr, nullptr);
}

TEST(I8080DisassemblerStandalone, ProcessorNotStartedGivesAnEmptyLine) {
    emu::CProcessor_I8080 cpu;
    const CLine line = Disassemble(cpu);
    EXPECT_EQ(line.length, 0);
    EXPECT_EQ(line.kind, 0u);
    for (int i = 0; i < emu::CProcessorInterface::kDisassemblyColumns; ++i) {
        EXPECT_EQ(line.columns[i], "");
        EXPECT_EQ(line.widths[i], 0u);
    }
}

TEST_F(I8080DisassemblerTest, NullOutputsAreSkipped) {
    Poke(kStart, {0x01, 0x34, 0x12});
    common::CNarrowString mnemonic;
    common::CString* columns[emu::CProcessorInterface::kDisassemblyColumns] = {nullptr, nullptr, &mnemonic};
    EXPECT_EQ(m_cpu->Disassemble(columns, nullptr, nullptr), 3);
    EXPECT_STREQ(mnemonic.GetNarrow(), "LXI B,1234h");
    EXPECT_EQ(m_cpu->Disassemble(nullptr, nullptr, nullptr), 3);
}

} // namespace
