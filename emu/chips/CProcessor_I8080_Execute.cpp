// The 8080's slice loop: computed-goto dispatch over 256 handlers, each
// charging its own cycles and ending with its own step to the next
// instruction; the working set and its helpers are in CProcessor_I8080_Slice.h.
#include "emu/chips/CProcessor_I8080.h"

#include "emu/chips/CProcessor_I8080_Slice.h"
#include "emu/framework/CPorts.h"

namespace emu {

namespace {

// Intel 8080 state counts. Conditional calls and returns stand at their
// not-taken cost; the instruction adds 6 when it is taken.
// clang-format off
constexpr int32_t kCycles[256] = {
    //  0   1   2   3   4   5   6   7   8   9   A   B   C   D   E   F
    4,  10, 7,  5,  5,  5,  7,  4,  4,  10, 7,  5,  5,  5,  7,  4,  // 0x
    4,  10, 7,  5,  5,  5,  7,  4,  4,  10, 7,  5,  5,  5,  7,  4,  // 1x
    4,  10, 16, 5,  5,  5,  7,  4,  4,  10, 16, 5,  5,  5,  7,  4,  // 2x
    4,  10, 13, 5,  10, 10, 10, 4,  4,  10, 13, 5,  5,  5,  7,  4,  // 3x
    5,  5,  5,  5,  5,  5,  7,  5,  5,  5,  5,  5,  5,  5,  7,  5,  // 4x
    5,  5,  5,  5,  5,  5,  7,  5,  5,  5,  5,  5,  5,  5,  7,  5,  // 5x
    5,  5,  5,  5,  5,  5,  7,  5,  5,  5,  5,  5,  5,  5,  7,  5,  // 6x
    7,  7,  7,  7,  7,  7,  7,  7,  5,  5,  5,  5,  5,  5,  7,  5,  // 7x
    4,  4,  4,  4,  4,  4,  7,  4,  4,  4,  4,  4,  4,  4,  7,  4,  // 8x
    4,  4,  4,  4,  4,  4,  7,  4,  4,  4,  4,  4,  4,  4,  7,  4,  // 9x
    4,  4,  4,  4,  4,  4,  7,  4,  4,  4,  4,  4,  4,  4,  7,  4,  // Ax
    4,  4,  4,  4,  4,  4,  7,  4,  4,  4,  4,  4,  4,  4,  7,  4,  // Bx
    5,  10, 10, 10, 11, 11, 7,  11, 5,  10, 10, 10, 11, 17, 7,  11, // Cx
    5,  10, 10, 10, 11, 11, 7,  11, 5,  10, 10, 10, 11, 17, 7,  11, // Dx
    5,  10, 10, 18, 11, 11, 7,  11, 5,  5,  10, 4,  11, 17, 7,  11, // Ex
    5,  10, 10, 4,  11, 11, 7,  11, 5,  5,  10, 4,  11, 17, 7,  11, // Fx
};
// clang-format on

constexpr CProcessor_I8080::CFlagTables BuildFlagTables() {
    CProcessor_I8080::CFlagTables tables = {};
    for (uint32_t v = 0; v < 256; ++v) {
        uint32_t ones = 0;
        for (uint32_t bits = v; bits != 0; bits >>= 1)
            ones += bits & 1;
        uint32_t flags = (v & 0x80) != 0 ? CProcessor_I8080::kFlagS : 0;
        if (v == 0)
            flags |= CProcessor_I8080::kFlagZ;
        if ((ones & 1) == 0)
            flags |= CProcessor_I8080::kFlagP;
        tables.szp[v] = static_cast<uint8_t>(flags);
    }
    // Decimal adjust: +06h for a low digit above 9 or AC, +60h (setting CY)
    // for A above 99h or CY; AC is the carry out of bit 3 of the low step.
    for (uint32_t index = 0; index < 1024; ++index) {
        const uint32_t a = index & 0xFF;
        const bool carry = (index & 0x100) != 0;
        const bool halfCarry = (index & 0x200) != 0;
        uint32_t add = 0;
        if ((a & 0x0F) > 9 || halfCarry)
            add = 0x06;
        if (a > 0x99 || carry)
            add |= 0x60;
        const uint32_t result = (a + add) & 0xFF;
        uint32_t flags = tables.szp[result];
        if ((a & 0x0F) + (add & 0x0F) > 0x0F)
            flags |= CProcessor_I8080::kFlagAC;
        if ((add & 0x60) != 0)
            flags |= CProcessor_I8080::kFlagCY;
        tables.daa[index] = static_cast<uint16_t>((result << 8) | flags);
    }
    return tables;
}

} // namespace

// Built by the compiler: one copy for every processor of the process.
const CProcessor_I8080::CFlagTables CProcessor_I8080::s_flagTables = BuildFlagTables();

const uint8_t* CProcessor_I8080::GetSzpTable() {
    return s_flagTables.szp;
}

const uint16_t* CProcessor_I8080::GetDaaTable() {
    return s_flagTables.daa;
}

const int32_t* CProcessor_I8080::GetCycleTable() {
    return kCycles;
}

int32_t CProcessor_I8080::Execute(int32_t budget) {
    BindFastPathWords();
    return CSlice::Run(*this, budget);
}

int32_t CProcessor_I8080::CSlice::Run(CProcessor_I8080& cpu, int32_t budget) {
    // Computed-goto dispatch. Each handler begins by charging its own cycles
    // as a constant (I8080_CHARGE) and ends with its own copy of the step to
    // the next instruction (I8080_NEXT), so that the host predicts every
    // handler's successor on its own. kBodies enters a handler past its
    // charge (a deferred instruction, D9's substitute, the slow path).
    // clang-format off
    static const void* const kHandlers[256] = {
        &&op00, &&op01, &&op02, &&op03, &&op04, &&op05, &&op06, &&op07,
        &&op08, &&op09, &&op0A, &&op0B, &&op0C, &&op0D, &&op0E, &&op0F,
        &&op10, &&op11, &&op12, &&op13, &&op14, &&op15, &&op16, &&op17,
        &&op18, &&op19, &&op1A, &&op1B, &&op1C, &&op1D, &&op1E, &&op1F,
        &&op20, &&op21, &&op22, &&op23, &&op24, &&op25, &&op26, &&op27,
        &&op28, &&op29, &&op2A, &&op2B, &&op2C, &&op2D, &&op2E, &&op2F,
        &&op30, &&op31, &&op32, &&op33, &&op34, &&op35, &&op36, &&op37,
        &&op38, &&op39, &&op3A, &&op3B, &&op3C, &&op3D, &&op3E, &&op3F,
        &&op40, &&op41, &&op42, &&op43, &&op44, &&op45, &&op46, &&op47,
        &&op48, &&op49, &&op4A, &&op4B, &&op4C, &&op4D, &&op4E, &&op4F,
        &&op50, &&op51, &&op52, &&op53, &&op54, &&op55, &&op56, &&op57,
        &&op58, &&op59, &&op5A, &&op5B, &&op5C, &&op5D, &&op5E, &&op5F,
        &&op60, &&op61, &&op62, &&op63, &&op64, &&op65, &&op66, &&op67,
        &&op68, &&op69, &&op6A, &&op6B, &&op6C, &&op6D, &&op6E, &&op6F,
        &&op70, &&op71, &&op72, &&op73, &&op74, &&op75, &&op76, &&op77,
        &&op78, &&op79, &&op7A, &&op7B, &&op7C, &&op7D, &&op7E, &&op7F,
        &&op80, &&op81, &&op82, &&op83, &&op84, &&op85, &&op86, &&op87,
        &&op88, &&op89, &&op8A, &&op8B, &&op8C, &&op8D, &&op8E, &&op8F,
        &&op90, &&op91, &&op92, &&op93, &&op94, &&op95, &&op96, &&op97,
        &&op98, &&op99, &&op9A, &&op9B, &&op9C, &&op9D, &&op9E, &&op9F,
        &&opA0, &&opA1, &&opA2, &&opA3, &&opA4, &&opA5, &&opA6, &&opA7,
        &&opA8, &&opA9, &&opAA, &&opAB, &&opAC, &&opAD, &&opAE, &&opAF,
        &&opB0, &&opB1, &&opB2, &&opB3, &&opB4, &&opB5, &&opB6, &&opB7,
        &&opB8, &&opB9, &&opBA, &&opBB, &&opBC, &&opBD, &&opBE, &&opBF,
        &&opC0, &&opC1, &&opC2, &&opC3, &&opC4, &&opC5, &&opC6, &&opC7,
        &&opC8, &&opC9, &&opCA, &&opCB, &&opCC, &&opCD, &&opCE, &&opCF,
        &&opD0, &&opD1, &&opD2, &&opD3, &&opD4, &&opD5, &&opD6, &&opD7,
        &&opD8, &&opD9, &&opDA, &&opDB, &&opDC, &&opDD, &&opDE, &&opDF,
        &&opE0, &&opE1, &&opE2, &&opE3, &&opE4, &&opE5, &&opE6, &&opE7,
        &&opE8, &&opE9, &&opEA, &&opEB, &&opEC, &&opED, &&opEE, &&opEF,
        &&opF0, &&opF1, &&opF2, &&opF3, &&opF4, &&opF5, &&opF6, &&opF7,
        &&opF8, &&opF9, &&opFA, &&opFB, &&opFC, &&opFD, &&opFE, &&opFF,
    };
    static const void* const kBodies[256] = {
        &&body00, &&body01, &&body02, &&body03, &&body04, &&body05, &&body06, &&body07,
        &&body08, &&body09, &&body0A, &&body0B, &&body0C, &&body0D, &&body0E, &&body0F,
        &&body10, &&body11, &&body12, &&body13, &&body14, &&body15, &&body16, &&body17,
        &&body18, &&body19, &&body1A, &&body1B, &&body1C, &&body1D, &&body1E, &&body1F,
        &&body20, &&body21, &&body22, &&body23, &&body24, &&body25, &&body26, &&body27,
        &&body28, &&body29, &&body2A, &&body2B, &&body2C, &&body2D, &&body2E, &&body2F,
        &&body30, &&body31, &&body32, &&body33, &&body34, &&body35, &&body36, &&body37,
        &&body38, &&body39, &&body3A, &&body3B, &&body3C, &&body3D, &&body3E, &&body3F,
        &&body40, &&body41, &&body42, &&body43, &&body44, &&body45, &&body46, &&body47,
        &&body48, &&body49, &&body4A, &&body4B, &&body4C, &&body4D, &&body4E, &&body4F,
        &&body50, &&body51, &&body52, &&body53, &&body54, &&body55, &&body56, &&body57,
        &&body58, &&body59, &&body5A, &&body5B, &&body5C, &&body5D, &&body5E, &&body5F,
        &&body60, &&body61, &&body62, &&body63, &&body64, &&body65, &&body66, &&body67,
        &&body68, &&body69, &&body6A, &&body6B, &&body6C, &&body6D, &&body6E, &&body6F,
        &&body70, &&body71, &&body72, &&body73, &&body74, &&body75, &&body76, &&body77,
        &&body78, &&body79, &&body7A, &&body7B, &&body7C, &&body7D, &&body7E, &&body7F,
        &&body80, &&body81, &&body82, &&body83, &&body84, &&body85, &&body86, &&body87,
        &&body88, &&body89, &&body8A, &&body8B, &&body8C, &&body8D, &&body8E, &&body8F,
        &&body90, &&body91, &&body92, &&body93, &&body94, &&body95, &&body96, &&body97,
        &&body98, &&body99, &&body9A, &&body9B, &&body9C, &&body9D, &&body9E, &&body9F,
        &&bodyA0, &&bodyA1, &&bodyA2, &&bodyA3, &&bodyA4, &&bodyA5, &&bodyA6, &&bodyA7,
        &&bodyA8, &&bodyA9, &&bodyAA, &&bodyAB, &&bodyAC, &&bodyAD, &&bodyAE, &&bodyAF,
        &&bodyB0, &&bodyB1, &&bodyB2, &&bodyB3, &&bodyB4, &&bodyB5, &&bodyB6, &&bodyB7,
        &&bodyB8, &&bodyB9, &&bodyBA, &&bodyBB, &&bodyBC, &&bodyBD, &&bodyBE, &&bodyBF,
        &&bodyC0, &&bodyC1, &&bodyC2, &&bodyC3, &&bodyC4, &&bodyC5, &&bodyC6, &&bodyC7,
        &&bodyC8, &&bodyC9, &&bodyCA, &&bodyCB, &&bodyCC, &&bodyCD, &&bodyCE, &&bodyCF,
        &&bodyD0, &&bodyD1, &&bodyD2, &&bodyD3, &&bodyD4, &&bodyD5, &&bodyD6, &&bodyD7,
        &&bodyD8, &&bodyD9, &&bodyDA, &&bodyDB, &&bodyDC, &&bodyDD, &&bodyDE, &&bodyDF,
        &&bodyE0, &&bodyE1, &&bodyE2, &&bodyE3, &&bodyE4, &&bodyE5, &&bodyE6, &&bodyE7,
        &&bodyE8, &&bodyE9, &&bodyEA, &&bodyEB, &&bodyEC, &&bodyED, &&bodyEE, &&bodyEF,
        &&bodyF0, &&bodyF1, &&bodyF2, &&bodyF3, &&bodyF4, &&bodyF5, &&bodyF6, &&bodyF7,
        &&bodyF8, &&bodyF9, &&bodyFA, &&bodyFB, &&bodyFC, &&bodyFD, &&bodyFE, &&bodyFF,
    };
    // clang-format on

    const int32_t run = budget != 0 ? budget : 1;
    // Execute(0) runs one instruction whatever it costs.
    const bool mayDefer = budget != 0;
    cpu.m_inSlice = true;
    cpu.m_fault = false;
    cpu.m_sliceBudget = cpu.m_sliceLeft = run;

    CPageView& view = cpu.m_view;
    CSlice s;
    s.view = &view;
    s.start = cpu.m_pc;
    s.cost = 0;
    s.pending = cpu.m_paidCycles != 0;
    Reload(cpu, s);
    uint32_t opcode = 0;
    uint32_t t = 0;

    // A deferred instruction runs first, for the cycles it still owes.
    if (s.pending) {
        opcode = cpu.m_pendingOpcode;
        s.pc = cpu.m_pendingPC;
        s.cost = kCycles[opcode] - cpu.m_paidCycles;
        s.left -= s.cost;
        if (s.left < 0 && mayDefer)
            goto defer;
        goto* kBodies[opcode];
    }
    goto boundary;

    // The step to the next instruction: fetch the opcode and run its handler.
    // The memory map's slow path takes over when the page needs it.
#define I8080_NEXT                                                                                                     \
    do {                                                                                                               \
        s.start = s.pc;                                                                                                \
        const uintptr_t page = view.fetch[s.pc >> CMemory::kPageShift];                                                \
        if (__builtin_expect(page == 0, 0))                                                                            \
            goto fetchSlow;                                                                                            \
        opcode = *CPageView::At(page, s.pc);                                                                           \
        s.pc = (s.pc + 1) & 0xFFFF;                                                                                    \
        goto* kHandlers[opcode];                                                                                       \
    } while (false)

    // A handler's charge. Below the floor the slow path looks: the slice is
    // spent (the instruction is deferred or the slice ends) or a boundary
    // task is due.
#define I8080_CHARGE(op)                                                                                               \
    s.cost = kCycles[0x##op];                                                                                          \
    s.left -= s.cost;                                                                                                  \
    if (__builtin_expect(s.left < s.floor, 0)) {                                                                       \
        opcode = 0x##op;                                                                                               \
        goto charged;                                                                                                  \
    }                                                                                                                  \
    body##op:

charged:
    if (s.pending) {
        // The deferred instruction is done.
        s.pending = false;
        cpu.m_paidCycles = 0;
        s.floor = Floor(cpu, s);
    }
    if (s.floor == 0 && s.left + s.cost > 0) {
        // No boundary task: run it unless the budget ran short.
        if (s.left < 0 && mayDefer)
            goto defer;
        goto* kBodies[opcode];
    }
    // The slice is spent or a boundary task is due: take the fetch back.
    s.left += s.cost;
    s.pc = s.start;
fetchSlow:
    s.cost = 0;
boundary:
    if (s.pending) {
        s.pending = false;
        cpu.m_paidCycles = 0;
    }
    s.start = s.pc;
    if (s.left <= 0)
        goto stop;
    if (s.floor != 0) {
        const int32_t action = Boundary(cpu, s);
        if (action == kBoundaryStop)
            goto stop;
        if (action == kBoundaryTaken)
            goto boundary;
    }
    if (!FetchByte(cpu, s, opcode))
        goto fault;
    s.cost = kCycles[opcode];
    s.left -= s.cost;
    if (s.left < 0 && mayDefer)
        goto defer;
    goto* kBodies[opcode];

defer:
    // Pays what is left towards it and runs it first in the next slice.
    cpu.m_pendingOpcode = static_cast<uint8_t>(opcode);
    cpu.m_pendingPC = static_cast<uint16_t>(s.pc);
    cpu.m_paidCycles += s.left + s.cost;
    s.left = 0;
    s.cost = 0;
    s.pc = s.start;
    goto end;

op00: // NOP
    I8080_CHARGE(00)
    I8080_NEXT;
op01: // LXI B
    I8080_CHARGE(01)
    if (!FetchWord(cpu, s, t))
        goto fault;
    s.bc = t;
    I8080_NEXT;
op02: // STAX B
    I8080_CHARGE(02)
    if (!Write(cpu, s, s.bc, s.a))
        goto fault;
    I8080_NEXT;
op03: // INX B
    I8080_CHARGE(03)
    s.bc = (s.bc + 1) & 0xFFFF;
    I8080_NEXT;
op04: // INR B
    I8080_CHARGE(04)
    t = ((s.bc >> 8) + 1) & 0xFF;
    s.bc = (s.bc & 0x00FF) | (t << 8);
    s.f = IncrementFlags(s, t);
    I8080_NEXT;
op05: // DCR B
    I8080_CHARGE(05)
    t = ((s.bc >> 8) - 1) & 0xFF;
    s.bc = (s.bc & 0x00FF) | (t << 8);
    s.f = DecrementFlags(s, t);
    I8080_NEXT;
op06: // MVI B
    I8080_CHARGE(06)
    if (!FetchByte(cpu, s, t))
        goto fault;
    s.bc = (s.bc & 0x00FF) | (t << 8);
    I8080_NEXT;
op07: // RLC
    I8080_CHARGE(07)
    s.a = ((s.a << 1) | (s.a >> 7)) & 0xFF;
    s.f = (s.f & ~kFlagCY) | (s.a & kFlagCY);
    I8080_NEXT;
op08: // *NOP
    I8080_CHARGE(08)
    I8080_NEXT;
op09: // DAD B
    I8080_CHARGE(09)
    t = s.hl + s.bc;
    s.f = (s.f & ~kFlagCY) | (t >> 16);
    s.hl = t & 0xFFFF;
    I8080_NEXT;
op0A: // LDAX B
    I8080_CHARGE(0A)
    if (!Read(cpu, s, s.bc, t))
        goto fault;
    s.a = t;
    I8080_NEXT;
op0B: // DCX B
    I8080_CHARGE(0B)
    s.bc = (s.bc - 1) & 0xFFFF;
    I8080_NEXT;
op0C: // INR C
    I8080_CHARGE(0C)
    t = ((s.bc & 0xFF) + 1) & 0xFF;
    s.bc = (s.bc & 0xFF00) | t;
    s.f = IncrementFlags(s, t);
    I8080_NEXT;
op0D: // DCR C
    I8080_CHARGE(0D)
    t = ((s.bc & 0xFF) - 1) & 0xFF;
    s.bc = (s.bc & 0xFF00) | t;
    s.f = DecrementFlags(s, t);
    I8080_NEXT;
op0E: // MVI C
    I8080_CHARGE(0E)
    if (!FetchByte(cpu, s, t))
        goto fault;
    s.bc = (s.bc & 0xFF00) | t;
    I8080_NEXT;
op0F: // RRC
    I8080_CHARGE(0F)
    s.f = (s.f & ~kFlagCY) | (s.a & kFlagCY);
    s.a = ((s.a >> 1) | (s.a << 7)) & 0xFF;
    I8080_NEXT;
op10: // *NOP
    I8080_CHARGE(10)
    I8080_NEXT;
op11: // LXI D
    I8080_CHARGE(11)
    if (!FetchWord(cpu, s, t))
        goto fault;
    s.de = t;
    I8080_NEXT;
op12: // STAX D
    I8080_CHARGE(12)
    if (!Write(cpu, s, s.de, s.a))
        goto fault;
    I8080_NEXT;
op13: // INX D
    I8080_CHARGE(13)
    s.de = (s.de + 1) & 0xFFFF;
    I8080_NEXT;
op14: // INR D
    I8080_CHARGE(14)
    t = ((s.de >> 8) + 1) & 0xFF;
    s.de = (s.de & 0x00FF) | (t << 8);
    s.f = IncrementFlags(s, t);
    I8080_NEXT;
op15: // DCR D
    I8080_CHARGE(15)
    t = ((s.de >> 8) - 1) & 0xFF;
    s.de = (s.de & 0x00FF) | (t << 8);
    s.f = DecrementFlags(s, t);
    I8080_NEXT;
op16: // MVI D
    I8080_CHARGE(16)
    if (!FetchByte(cpu, s, t))
        goto fault;
    s.de = (s.de & 0x00FF) | (t << 8);
    I8080_NEXT;
op17: // RAL
    I8080_CHARGE(17)
    t = s.a >> 7;
    s.a = ((s.a << 1) | (s.f & kFlagCY)) & 0xFF;
    s.f = (s.f & ~kFlagCY) | t;
    I8080_NEXT;
op18: // *NOP
    I8080_CHARGE(18)
    I8080_NEXT;
op19: // DAD D
    I8080_CHARGE(19)
    t = s.hl + s.de;
    s.f = (s.f & ~kFlagCY) | (t >> 16);
    s.hl = t & 0xFFFF;
    I8080_NEXT;
op1A: // LDAX D
    I8080_CHARGE(1A)
    if (!Read(cpu, s, s.de, t))
        goto fault;
    s.a = t;
    I8080_NEXT;
op1B: // DCX D
    I8080_CHARGE(1B)
    s.de = (s.de - 1) & 0xFFFF;
    I8080_NEXT;
op1C: // INR E
    I8080_CHARGE(1C)
    t = ((s.de & 0xFF) + 1) & 0xFF;
    s.de = (s.de & 0xFF00) | t;
    s.f = IncrementFlags(s, t);
    I8080_NEXT;
op1D: // DCR E
    I8080_CHARGE(1D)
    t = ((s.de & 0xFF) - 1) & 0xFF;
    s.de = (s.de & 0xFF00) | t;
    s.f = DecrementFlags(s, t);
    I8080_NEXT;
op1E: // MVI E
    I8080_CHARGE(1E)
    if (!FetchByte(cpu, s, t))
        goto fault;
    s.de = (s.de & 0xFF00) | t;
    I8080_NEXT;
op1F: // RAR
    I8080_CHARGE(1F)
    t = s.a & kFlagCY;
    s.a = (s.a >> 1) | ((s.f & kFlagCY) << 7);
    s.f = (s.f & ~kFlagCY) | t;
    I8080_NEXT;
op20: // *NOP
    I8080_CHARGE(20)
    I8080_NEXT;
op21: // LXI H
    I8080_CHARGE(21)
    if (!FetchWord(cpu, s, t))
        goto fault;
    s.hl = t;
    I8080_NEXT;
op22: // SHLD
    I8080_CHARGE(22)
    if (!FetchWord(cpu, s, t) || !WriteWord(cpu, s, t, s.hl))
        goto fault;
    I8080_NEXT;
op23: // INX H
    I8080_CHARGE(23)
    s.hl = (s.hl + 1) & 0xFFFF;
    I8080_NEXT;
op24: // INR H
    I8080_CHARGE(24)
    t = ((s.hl >> 8) + 1) & 0xFF;
    s.hl = (s.hl & 0x00FF) | (t << 8);
    s.f = IncrementFlags(s, t);
    I8080_NEXT;
op25: // DCR H
    I8080_CHARGE(25)
    t = ((s.hl >> 8) - 1) & 0xFF;
    s.hl = (s.hl & 0x00FF) | (t << 8);
    s.f = DecrementFlags(s, t);
    I8080_NEXT;
op26: // MVI H
    I8080_CHARGE(26)
    if (!FetchByte(cpu, s, t))
        goto fault;
    s.hl = (s.hl & 0x00FF) | (t << 8);
    I8080_NEXT;
op27: // DAA
    I8080_CHARGE(27)
    t = s_flagTables.daa[s.a | ((s.f & kFlagCY) << 8) | ((s.f & kFlagAC) << 5)];
    s.a = t >> 8;
    s.f = MergeFlags(s, t);
    I8080_NEXT;
op28: // *NOP
    I8080_CHARGE(28)
    I8080_NEXT;
op29: // DAD H
    I8080_CHARGE(29)
    t = s.hl + s.hl;
    s.f = (s.f & ~kFlagCY) | (t >> 16);
    s.hl = t & 0xFFFF;
    I8080_NEXT;
op2A: // LHLD
    I8080_CHARGE(2A)
    if (!FetchWord(cpu, s, t) || !ReadWord(cpu, s, t, t))
        goto fault;
    s.hl = t;
    I8080_NEXT;
op2B: // DCX H
    I8080_CHARGE(2B)
    s.hl = (s.hl - 1) & 0xFFFF;
    I8080_NEXT;
op2C: // INR L
    I8080_CHARGE(2C)
    t = ((s.hl & 0xFF) + 1) & 0xFF;
    s.hl = (s.hl & 0xFF00) | t;
    s.f = IncrementFlags(s, t);
    I8080_NEXT;
op2D: // DCR L
    I8080_CHARGE(2D)
    t = ((s.hl & 0xFF) - 1) & 0xFF;
    s.hl = (s.hl & 0xFF00) | t;
    s.f = DecrementFlags(s, t);
    I8080_NEXT;
op2E: // MVI L
    I8080_CHARGE(2E)
    if (!FetchByte(cpu, s, t))
        goto fault;
    s.hl = (s.hl & 0xFF00) | t;
    I8080_NEXT;
op2F: // CMA
    I8080_CHARGE(2F)
    s.a ^= 0xFF;
    I8080_NEXT;
op30: // *NOP
    I8080_CHARGE(30)
    I8080_NEXT;
op31: // LXI SP
    I8080_CHARGE(31)
    if (!FetchWord(cpu, s, t))
        goto fault;
    s.sp = t;
    I8080_NEXT;
op32: // STA
    I8080_CHARGE(32)
    if (!FetchWord(cpu, s, t) || !Write(cpu, s, t, s.a))
        goto fault;
    I8080_NEXT;
op33: // INX SP
    I8080_CHARGE(33)
    s.sp = (s.sp + 1) & 0xFFFF;
    I8080_NEXT;
op34: // INR M
    I8080_CHARGE(34)
    if (!Read(cpu, s, s.hl, t))
        goto fault;
    t = (t + 1) & 0xFF;
    if (!Write(cpu, s, s.hl, t))
        goto fault;
    s.f = IncrementFlags(s, t);
    I8080_NEXT;
op35: // DCR M
    I8080_CHARGE(35)
    if (!Read(cpu, s, s.hl, t))
        goto fault;
    t = (t - 1) & 0xFF;
    if (!Write(cpu, s, s.hl, t))
        goto fault;
    s.f = DecrementFlags(s, t);
    I8080_NEXT;
op36: // MVI M
    I8080_CHARGE(36)
    if (!FetchByte(cpu, s, t) || !Write(cpu, s, s.hl, t))
        goto fault;
    I8080_NEXT;
op37: // STC
    I8080_CHARGE(37)
    s.f |= kFlagCY;
    I8080_NEXT;
op38: // *NOP
    I8080_CHARGE(38)
    I8080_NEXT;
op39: // DAD SP
    I8080_CHARGE(39)
    t = s.hl + s.sp;
    s.f = (s.f & ~kFlagCY) | (t >> 16);
    s.hl = t & 0xFFFF;
    I8080_NEXT;
op3A: // LDA
    I8080_CHARGE(3A)
    if (!FetchWord(cpu, s, t) || !Read(cpu, s, t, t))
        goto fault;
    s.a = t;
    I8080_NEXT;
op3B: // DCX SP
    I8080_CHARGE(3B)
    s.sp = (s.sp - 1) & 0xFFFF;
    I8080_NEXT;
op3C: // INR A
    I8080_CHARGE(3C)
    t = (s.a + 1) & 0xFF;
    s.a = t;
    s.f = IncrementFlags(s, t);
    I8080_NEXT;
op3D: // DCR A
    I8080_CHARGE(3D)
    t = (s.a - 1) & 0xFF;
    s.a = t;
    s.f = DecrementFlags(s, t);
    I8080_NEXT;
op3E: // MVI A
    I8080_CHARGE(3E)
    if (!FetchByte(cpu, s, t))
        goto fault;
    s.a = t;
    I8080_NEXT;
op3F: // CMC
    I8080_CHARGE(3F)
    s.f ^= kFlagCY;
    I8080_NEXT;
op40: // MOV B,B
    I8080_CHARGE(40)
    I8080_NEXT;
op41: // MOV B,C
    I8080_CHARGE(41)
    s.bc = (s.bc & 0x00FF) | ((s.bc & 0xFF) << 8);
    I8080_NEXT;
op42: // MOV B,D
    I8080_CHARGE(42)
    s.bc = (s.bc & 0x00FF) | ((s.de >> 8) << 8);
    I8080_NEXT;
op43: // MOV B,E
    I8080_CHARGE(43)
    s.bc = (s.bc & 0x00FF) | ((s.de & 0xFF) << 8);
    I8080_NEXT;
op44: // MOV B,H
    I8080_CHARGE(44)
    s.bc = (s.bc & 0x00FF) | ((s.hl >> 8) << 8);
    I8080_NEXT;
op45: // MOV B,L
    I8080_CHARGE(45)
    s.bc = (s.bc & 0x00FF) | ((s.hl & 0xFF) << 8);
    I8080_NEXT;
op46: // MOV B,M
    I8080_CHARGE(46)
    if (!Read(cpu, s, s.hl, t))
        goto fault;
    s.bc = (s.bc & 0x00FF) | (t << 8);
    I8080_NEXT;
op47: // MOV B,A
    I8080_CHARGE(47)
    s.bc = (s.bc & 0x00FF) | (s.a << 8);
    I8080_NEXT;
op48: // MOV C,B
    I8080_CHARGE(48)
    s.bc = (s.bc & 0xFF00) | (s.bc >> 8);
    I8080_NEXT;
op49: // MOV C,C
    I8080_CHARGE(49)
    I8080_NEXT;
op4A: // MOV C,D
    I8080_CHARGE(4A)
    s.bc = (s.bc & 0xFF00) | (s.de >> 8);
    I8080_NEXT;
op4B: // MOV C,E
    I8080_CHARGE(4B)
    s.bc = (s.bc & 0xFF00) | (s.de & 0xFF);
    I8080_NEXT;
op4C: // MOV C,H
    I8080_CHARGE(4C)
    s.bc = (s.bc & 0xFF00) | (s.hl >> 8);
    I8080_NEXT;
op4D: // MOV C,L
    I8080_CHARGE(4D)
    s.bc = (s.bc & 0xFF00) | (s.hl & 0xFF);
    I8080_NEXT;
op4E: // MOV C,M
    I8080_CHARGE(4E)
    if (!Read(cpu, s, s.hl, t))
        goto fault;
    s.bc = (s.bc & 0xFF00) | t;
    I8080_NEXT;
op4F: // MOV C,A
    I8080_CHARGE(4F)
    s.bc = (s.bc & 0xFF00) | s.a;
    I8080_NEXT;
op50: // MOV D,B
    I8080_CHARGE(50)
    s.de = (s.de & 0x00FF) | ((s.bc >> 8) << 8);
    I8080_NEXT;
op51: // MOV D,C
    I8080_CHARGE(51)
    s.de = (s.de & 0x00FF) | ((s.bc & 0xFF) << 8);
    I8080_NEXT;
op52: // MOV D,D
    I8080_CHARGE(52)
    I8080_NEXT;
op53: // MOV D,E
    I8080_CHARGE(53)
    s.de = (s.de & 0x00FF) | ((s.de & 0xFF) << 8);
    I8080_NEXT;
op54: // MOV D,H
    I8080_CHARGE(54)
    s.de = (s.de & 0x00FF) | ((s.hl >> 8) << 8);
    I8080_NEXT;
op55: // MOV D,L
    I8080_CHARGE(55)
    s.de = (s.de & 0x00FF) | ((s.hl & 0xFF) << 8);
    I8080_NEXT;
op56: // MOV D,M
    I8080_CHARGE(56)
    if (!Read(cpu, s, s.hl, t))
        goto fault;
    s.de = (s.de & 0x00FF) | (t << 8);
    I8080_NEXT;
op57: // MOV D,A
    I8080_CHARGE(57)
    s.de = (s.de & 0x00FF) | (s.a << 8);
    I8080_NEXT;
op58: // MOV E,B
    I8080_CHARGE(58)
    s.de = (s.de & 0xFF00) | (s.bc >> 8);
    I8080_NEXT;
op59: // MOV E,C
    I8080_CHARGE(59)
    s.de = (s.de & 0xFF00) | (s.bc & 0xFF);
    I8080_NEXT;
op5A: // MOV E,D
    I8080_CHARGE(5A)
    s.de = (s.de & 0xFF00) | (s.de >> 8);
    I8080_NEXT;
op5B: // MOV E,E
    I8080_CHARGE(5B)
    I8080_NEXT;
op5C: // MOV E,H
    I8080_CHARGE(5C)
    s.de = (s.de & 0xFF00) | (s.hl >> 8);
    I8080_NEXT;
op5D: // MOV E,L
    I8080_CHARGE(5D)
    s.de = (s.de & 0xFF00) | (s.hl & 0xFF);
    I8080_NEXT;
op5E: // MOV E,M
    I8080_CHARGE(5E)
    if (!Read(cpu, s, s.hl, t))
        goto fault;
    s.de = (s.de & 0xFF00) | t;
    I8080_NEXT;
op5F: // MOV E,A
    I8080_CHARGE(5F)
    s.de = (s.de & 0xFF00) | s.a;
    I8080_NEXT;
op60: // MOV H,B
    I8080_CHARGE(60)
    s.hl = (s.hl & 0x00FF) | ((s.bc >> 8) << 8);
    I8080_NEXT;
op61: // MOV H,C
    I8080_CHARGE(61)
    s.hl = (s.hl & 0x00FF) | ((s.bc & 0xFF) << 8);
    I8080_NEXT;
op62: // MOV H,D
    I8080_CHARGE(62)
    s.hl = (s.hl & 0x00FF) | ((s.de >> 8) << 8);
    I8080_NEXT;
op63: // MOV H,E
    I8080_CHARGE(63)
    s.hl = (s.hl & 0x00FF) | ((s.de & 0xFF) << 8);
    I8080_NEXT;
op64: // MOV H,H
    I8080_CHARGE(64)
    I8080_NEXT;
op65: // MOV H,L
    I8080_CHARGE(65)
    s.hl = (s.hl & 0x00FF) | ((s.hl & 0xFF) << 8);
    I8080_NEXT;
op66: // MOV H,M
    I8080_CHARGE(66)
    if (!Read(cpu, s, s.hl, t))
        goto fault;
    s.hl = (s.hl & 0x00FF) | (t << 8);
    I8080_NEXT;
op67: // MOV H,A
    I8080_CHARGE(67)
    s.hl = (s.hl & 0x00FF) | (s.a << 8);
    I8080_NEXT;
op68: // MOV L,B
    I8080_CHARGE(68)
    s.hl = (s.hl & 0xFF00) | (s.bc >> 8);
    I8080_NEXT;
op69: // MOV L,C
    I8080_CHARGE(69)
    s.hl = (s.hl & 0xFF00) | (s.bc & 0xFF);
    I8080_NEXT;
op6A: // MOV L,D
    I8080_CHARGE(6A)
    s.hl = (s.hl & 0xFF00) | (s.de >> 8);
    I8080_NEXT;
op6B: // MOV L,E
    I8080_CHARGE(6B)
    s.hl = (s.hl & 0xFF00) | (s.de & 0xFF);
    I8080_NEXT;
op6C: // MOV L,H
    I8080_CHARGE(6C)
    s.hl = (s.hl & 0xFF00) | (s.hl >> 8);
    I8080_NEXT;
op6D: // MOV L,L
    I8080_CHARGE(6D)
    I8080_NEXT;
op6E: // MOV L,M
    I8080_CHARGE(6E)
    if (!Read(cpu, s, s.hl, t))
        goto fault;
    s.hl = (s.hl & 0xFF00) | t;
    I8080_NEXT;
op6F: // MOV L,A
    I8080_CHARGE(6F)
    s.hl = (s.hl & 0xFF00) | s.a;
    I8080_NEXT;
op70: // MOV M,B
    I8080_CHARGE(70)
    if (!Write(cpu, s, s.hl, (s.bc >> 8)))
        goto fault;
    I8080_NEXT;
op71: // MOV M,C
    I8080_CHARGE(71)
    if (!Write(cpu, s, s.hl, (s.bc & 0xFF)))
        goto fault;
    I8080_NEXT;
op72: // MOV M,D
    I8080_CHARGE(72)
    if (!Write(cpu, s, s.hl, (s.de >> 8)))
        goto fault;
    I8080_NEXT;
op73: // MOV M,E
    I8080_CHARGE(73)
    if (!Write(cpu, s, s.hl, (s.de & 0xFF)))
        goto fault;
    I8080_NEXT;
op74: // MOV M,H
    I8080_CHARGE(74)
    if (!Write(cpu, s, s.hl, (s.hl >> 8)))
        goto fault;
    I8080_NEXT;
op75: // MOV M,L
    I8080_CHARGE(75)
    if (!Write(cpu, s, s.hl, (s.hl & 0xFF)))
        goto fault;
    I8080_NEXT;
op76: // HLT
    I8080_CHARGE(76)
    // Stays on the HLT until an interrupt is taken.
    s.pc = s.start;
    I8080_NEXT;
op77: // MOV M,A
    I8080_CHARGE(77)
    if (!Write(cpu, s, s.hl, s.a))
        goto fault;
    I8080_NEXT;
op78: // MOV A,B
    I8080_CHARGE(78)
    s.a = (s.bc >> 8);
    I8080_NEXT;
op79: // MOV A,C
    I8080_CHARGE(79)
    s.a = (s.bc & 0xFF);
    I8080_NEXT;
op7A: // MOV A,D
    I8080_CHARGE(7A)
    s.a = (s.de >> 8);
    I8080_NEXT;
op7B: // MOV A,E
    I8080_CHARGE(7B)
    s.a = (s.de & 0xFF);
    I8080_NEXT;
op7C: // MOV A,H
    I8080_CHARGE(7C)
    s.a = (s.hl >> 8);
    I8080_NEXT;
op7D: // MOV A,L
    I8080_CHARGE(7D)
    s.a = (s.hl & 0xFF);
    I8080_NEXT;
op7E: // MOV A,M
    I8080_CHARGE(7E)
    if (!Read(cpu, s, s.hl, t))
        goto fault;
    s.a = t;
    I8080_NEXT;
op7F: // MOV A,A
    I8080_CHARGE(7F)
    I8080_NEXT;
op80: // ADD B
    I8080_CHARGE(80)
    Add(s, (s.bc >> 8));
    I8080_NEXT;
op81: // ADD C
    I8080_CHARGE(81)
    Add(s, (s.bc & 0xFF));
    I8080_NEXT;
op82: // ADD D
    I8080_CHARGE(82)
    Add(s, (s.de >> 8));
    I8080_NEXT;
op83: // ADD E
    I8080_CHARGE(83)
    Add(s, (s.de & 0xFF));
    I8080_NEXT;
op84: // ADD H
    I8080_CHARGE(84)
    Add(s, (s.hl >> 8));
    I8080_NEXT;
op85: // ADD L
    I8080_CHARGE(85)
    Add(s, (s.hl & 0xFF));
    I8080_NEXT;
op86: // ADD M
    I8080_CHARGE(86)
    if (!Read(cpu, s, s.hl, t))
        goto fault;
    Add(s, t);
    I8080_NEXT;
op87: // ADD A
    I8080_CHARGE(87)
    Add(s, s.a);
    I8080_NEXT;
op88: // ADC B
    I8080_CHARGE(88)
    Adc(s, (s.bc >> 8));
    I8080_NEXT;
op89: // ADC C
    I8080_CHARGE(89)
    Adc(s, (s.bc & 0xFF));
    I8080_NEXT;
op8A: // ADC D
    I8080_CHARGE(8A)
    Adc(s, (s.de >> 8));
    I8080_NEXT;
op8B: // ADC E
    I8080_CHARGE(8B)
    Adc(s, (s.de & 0xFF));
    I8080_NEXT;
op8C: // ADC H
    I8080_CHARGE(8C)
    Adc(s, (s.hl >> 8));
    I8080_NEXT;
op8D: // ADC L
    I8080_CHARGE(8D)
    Adc(s, (s.hl & 0xFF));
    I8080_NEXT;
op8E: // ADC M
    I8080_CHARGE(8E)
    if (!Read(cpu, s, s.hl, t))
        goto fault;
    Adc(s, t);
    I8080_NEXT;
op8F: // ADC A
    I8080_CHARGE(8F)
    Adc(s, s.a);
    I8080_NEXT;
op90: // SUB B
    I8080_CHARGE(90)
    Sub(s, (s.bc >> 8));
    I8080_NEXT;
op91: // SUB C
    I8080_CHARGE(91)
    Sub(s, (s.bc & 0xFF));
    I8080_NEXT;
op92: // SUB D
    I8080_CHARGE(92)
    Sub(s, (s.de >> 8));
    I8080_NEXT;
op93: // SUB E
    I8080_CHARGE(93)
    Sub(s, (s.de & 0xFF));
    I8080_NEXT;
op94: // SUB H
    I8080_CHARGE(94)
    Sub(s, (s.hl >> 8));
    I8080_NEXT;
op95: // SUB L
    I8080_CHARGE(95)
    Sub(s, (s.hl & 0xFF));
    I8080_NEXT;
op96: // SUB M
    I8080_CHARGE(96)
    if (!Read(cpu, s, s.hl, t))
        goto fault;
    Sub(s, t);
    I8080_NEXT;
op97: // SUB A
    I8080_CHARGE(97)
    Sub(s, s.a);
    I8080_NEXT;
op98: // SBB B
    I8080_CHARGE(98)
    Sbb(s, (s.bc >> 8));
    I8080_NEXT;
op99: // SBB C
    I8080_CHARGE(99)
    Sbb(s, (s.bc & 0xFF));
    I8080_NEXT;
op9A: // SBB D
    I8080_CHARGE(9A)
    Sbb(s, (s.de >> 8));
    I8080_NEXT;
op9B: // SBB E
    I8080_CHARGE(9B)
    Sbb(s, (s.de & 0xFF));
    I8080_NEXT;
op9C: // SBB H
    I8080_CHARGE(9C)
    Sbb(s, (s.hl >> 8));
    I8080_NEXT;
op9D: // SBB L
    I8080_CHARGE(9D)
    Sbb(s, (s.hl & 0xFF));
    I8080_NEXT;
op9E: // SBB M
    I8080_CHARGE(9E)
    if (!Read(cpu, s, s.hl, t))
        goto fault;
    Sbb(s, t);
    I8080_NEXT;
op9F: // SBB A
    I8080_CHARGE(9F)
    Sbb(s, s.a);
    I8080_NEXT;
opA0: // ANA B
    I8080_CHARGE(A0)
    Ana(s, (s.bc >> 8));
    I8080_NEXT;
opA1: // ANA C
    I8080_CHARGE(A1)
    Ana(s, (s.bc & 0xFF));
    I8080_NEXT;
opA2: // ANA D
    I8080_CHARGE(A2)
    Ana(s, (s.de >> 8));
    I8080_NEXT;
opA3: // ANA E
    I8080_CHARGE(A3)
    Ana(s, (s.de & 0xFF));
    I8080_NEXT;
opA4: // ANA H
    I8080_CHARGE(A4)
    Ana(s, (s.hl >> 8));
    I8080_NEXT;
opA5: // ANA L
    I8080_CHARGE(A5)
    Ana(s, (s.hl & 0xFF));
    I8080_NEXT;
opA6: // ANA M
    I8080_CHARGE(A6)
    if (!Read(cpu, s, s.hl, t))
        goto fault;
    Ana(s, t);
    I8080_NEXT;
opA7: // ANA A
    I8080_CHARGE(A7)
    Ana(s, s.a);
    I8080_NEXT;
opA8: // XRA B
    I8080_CHARGE(A8)
    Xra(s, (s.bc >> 8));
    I8080_NEXT;
opA9: // XRA C
    I8080_CHARGE(A9)
    Xra(s, (s.bc & 0xFF));
    I8080_NEXT;
opAA: // XRA D
    I8080_CHARGE(AA)
    Xra(s, (s.de >> 8));
    I8080_NEXT;
opAB: // XRA E
    I8080_CHARGE(AB)
    Xra(s, (s.de & 0xFF));
    I8080_NEXT;
opAC: // XRA H
    I8080_CHARGE(AC)
    Xra(s, (s.hl >> 8));
    I8080_NEXT;
opAD: // XRA L
    I8080_CHARGE(AD)
    Xra(s, (s.hl & 0xFF));
    I8080_NEXT;
opAE: // XRA M
    I8080_CHARGE(AE)
    if (!Read(cpu, s, s.hl, t))
        goto fault;
    Xra(s, t);
    I8080_NEXT;
opAF: // XRA A
    I8080_CHARGE(AF)
    Xra(s, s.a);
    I8080_NEXT;
opB0: // ORA B
    I8080_CHARGE(B0)
    Ora(s, (s.bc >> 8));
    I8080_NEXT;
opB1: // ORA C
    I8080_CHARGE(B1)
    Ora(s, (s.bc & 0xFF));
    I8080_NEXT;
opB2: // ORA D
    I8080_CHARGE(B2)
    Ora(s, (s.de >> 8));
    I8080_NEXT;
opB3: // ORA E
    I8080_CHARGE(B3)
    Ora(s, (s.de & 0xFF));
    I8080_NEXT;
opB4: // ORA H
    I8080_CHARGE(B4)
    Ora(s, (s.hl >> 8));
    I8080_NEXT;
opB5: // ORA L
    I8080_CHARGE(B5)
    Ora(s, (s.hl & 0xFF));
    I8080_NEXT;
opB6: // ORA M
    I8080_CHARGE(B6)
    if (!Read(cpu, s, s.hl, t))
        goto fault;
    Ora(s, t);
    I8080_NEXT;
opB7: // ORA A
    I8080_CHARGE(B7)
    Ora(s, s.a);
    I8080_NEXT;
opB8: // CMP B
    I8080_CHARGE(B8)
    Cmp(s, (s.bc >> 8));
    I8080_NEXT;
opB9: // CMP C
    I8080_CHARGE(B9)
    Cmp(s, (s.bc & 0xFF));
    I8080_NEXT;
opBA: // CMP D
    I8080_CHARGE(BA)
    Cmp(s, (s.de >> 8));
    I8080_NEXT;
opBB: // CMP E
    I8080_CHARGE(BB)
    Cmp(s, (s.de & 0xFF));
    I8080_NEXT;
opBC: // CMP H
    I8080_CHARGE(BC)
    Cmp(s, (s.hl >> 8));
    I8080_NEXT;
opBD: // CMP L
    I8080_CHARGE(BD)
    Cmp(s, (s.hl & 0xFF));
    I8080_NEXT;
opBE: // CMP M
    I8080_CHARGE(BE)
    if (!Read(cpu, s, s.hl, t))
        goto fault;
    Cmp(s, t);
    I8080_NEXT;
opBF: // CMP A
    I8080_CHARGE(BF)
    Cmp(s, s.a);
    I8080_NEXT;
opC0: // RNZ
    I8080_CHARGE(C0)
    if ((s.f & kFlagZ) == 0) {
        if (!Pop(cpu, s, t))
            goto fault;
        s.pc = t;
        s.left -= kTakenExtra;
    }
    I8080_NEXT;
opC1: // POP B
    I8080_CHARGE(C1)
    if (!Pop(cpu, s, t))
        goto fault;
    s.bc = t;
    I8080_NEXT;
opC2: // JNZ
    I8080_CHARGE(C2)
    if (!FetchWord(cpu, s, t))
        goto fault;
    if ((s.f & kFlagZ) == 0)
        s.pc = t;
    I8080_NEXT;
opC3: // JMP
    I8080_CHARGE(C3)
    if (!FetchWord(cpu, s, t))
        goto fault;
    s.pc = t;
    I8080_NEXT;
opC4: // CNZ
    I8080_CHARGE(C4)
    if (!FetchWord(cpu, s, t))
        goto fault;
    if ((s.f & kFlagZ) == 0) {
        if (!Push(cpu, s, s.pc))
            goto fault;
        s.pc = t;
        s.left -= kTakenExtra;
    }
    I8080_NEXT;
opC5: // PUSH B
    I8080_CHARGE(C5)
    if (!Push(cpu, s, s.bc))
        goto fault;
    I8080_NEXT;
opC6: // ADI
    I8080_CHARGE(C6)
    if (!FetchByte(cpu, s, t))
        goto fault;
    Add(s, t);
    I8080_NEXT;
opC7: // RST 0
    I8080_CHARGE(C7)
    if (!Restart(cpu, s, 0)) {
        s.pc = s.start;
        goto stop;
    }
    I8080_NEXT;
opC8: // RZ
    I8080_CHARGE(C8)
    if ((s.f & kFlagZ) != 0) {
        if (!Pop(cpu, s, t))
            goto fault;
        s.pc = t;
        s.left -= kTakenExtra;
    }
    I8080_NEXT;
opC9: // RET
    I8080_CHARGE(C9)
    if (!Pop(cpu, s, t))
        goto fault;
    s.pc = t;
    I8080_NEXT;
opCA: // JZ
    I8080_CHARGE(CA)
    if (!FetchWord(cpu, s, t))
        goto fault;
    if ((s.f & kFlagZ) != 0)
        s.pc = t;
    I8080_NEXT;
opCB: // *JMP
    I8080_CHARGE(CB)
    if (!FetchWord(cpu, s, t))
        goto fault;
    s.pc = t;
    I8080_NEXT;
opCC: // CZ
    I8080_CHARGE(CC)
    if (!FetchWord(cpu, s, t))
        goto fault;
    if ((s.f & kFlagZ) != 0) {
        if (!Push(cpu, s, s.pc))
            goto fault;
        s.pc = t;
        s.left -= kTakenExtra;
    }
    I8080_NEXT;
opCD: // CALL
    I8080_CHARGE(CD)
    if (!FetchWord(cpu, s, t) || !Push(cpu, s, s.pc))
        goto fault;
    s.pc = t;
    I8080_NEXT;
opCE: // ACI
    I8080_CHARGE(CE)
    if (!FetchByte(cpu, s, t))
        goto fault;
    Adc(s, t);
    I8080_NEXT;
opCF: // RST 1
    I8080_CHARGE(CF)
    if (!Restart(cpu, s, 1)) {
        s.pc = s.start;
        goto stop;
    }
    I8080_NEXT;
opD0: // RNC
    I8080_CHARGE(D0)
    if ((s.f & kFlagCY) == 0) {
        if (!Pop(cpu, s, t))
            goto fault;
        s.pc = t;
        s.left -= kTakenExtra;
    }
    I8080_NEXT;
opD1: // POP D
    I8080_CHARGE(D1)
    if (!Pop(cpu, s, t))
        goto fault;
    s.de = t;
    I8080_NEXT;
opD2: // JNC
    I8080_CHARGE(D2)
    if (!FetchWord(cpu, s, t))
        goto fault;
    if ((s.f & kFlagCY) == 0)
        s.pc = t;
    I8080_NEXT;
opD3: // OUT
    I8080_CHARGE(D3)
    if (!FetchByte(cpu, s, t) || !Output(cpu, s, t))
        goto fault;
    I8080_NEXT;
opD4: // CNC
    I8080_CHARGE(D4)
    if (!FetchWord(cpu, s, t))
        goto fault;
    if ((s.f & kFlagCY) == 0) {
        if (!Push(cpu, s, s.pc))
            goto fault;
        s.pc = t;
        s.left -= kTakenExtra;
    }
    I8080_NEXT;
opD5: // PUSH D
    I8080_CHARGE(D5)
    if (!Push(cpu, s, s.de))
        goto fault;
    I8080_NEXT;
opD6: // SUI
    I8080_CHARGE(D6)
    if (!FetchByte(cpu, s, t))
        goto fault;
    Sub(s, t);
    I8080_NEXT;
opD7: // RST 2
    I8080_CHARGE(D7)
    if (!Restart(cpu, s, 2)) {
        s.pc = s.start;
        goto stop;
    }
    I8080_NEXT;
opD8: // RC
    I8080_CHARGE(D8)
    if ((s.f & kFlagCY) != 0) {
        if (!Pop(cpu, s, t))
            goto fault;
        s.pc = t;
        s.left -= kTakenExtra;
    }
    I8080_NEXT;
opD9: // *RET, or the trap
    I8080_CHARGE(D9)
    if (cpu.m_trapHook != nullptr) {
        const int32_t substitute = Trap(cpu, s);
        if (substitute < 0) {
            // Whoever stopped it, D9 runs again from its start.
            s.pc = s.start;
            goto stop;
        }
        if (substitute != kOpcodeTrap) {
            // Runs in this step at D9's cost plus its own extras.
            goto* kBodies[substitute];
        }
    }
    if (!Pop(cpu, s, t))
        goto fault;
    s.pc = t;
    I8080_NEXT;
opDA: // JC
    I8080_CHARGE(DA)
    if (!FetchWord(cpu, s, t))
        goto fault;
    if ((s.f & kFlagCY) != 0)
        s.pc = t;
    I8080_NEXT;
opDB: // IN
    I8080_CHARGE(DB)
    if (!FetchByte(cpu, s, t) || !Input(cpu, s, t))
        goto fault;
    I8080_NEXT;
opDC: // CC
    I8080_CHARGE(DC)
    if (!FetchWord(cpu, s, t))
        goto fault;
    if ((s.f & kFlagCY) != 0) {
        if (!Push(cpu, s, s.pc))
            goto fault;
        s.pc = t;
        s.left -= kTakenExtra;
    }
    I8080_NEXT;
opDD: // *CALL
    I8080_CHARGE(DD)
    if (!FetchWord(cpu, s, t) || !Push(cpu, s, s.pc))
        goto fault;
    s.pc = t;
    I8080_NEXT;
opDE: // SBI
    I8080_CHARGE(DE)
    if (!FetchByte(cpu, s, t))
        goto fault;
    Sbb(s, t);
    I8080_NEXT;
opDF: // RST 3
    I8080_CHARGE(DF)
    if (!Restart(cpu, s, 3)) {
        s.pc = s.start;
        goto stop;
    }
    I8080_NEXT;
opE0: // RPO
    I8080_CHARGE(E0)
    if ((s.f & kFlagP) == 0) {
        if (!Pop(cpu, s, t))
            goto fault;
        s.pc = t;
        s.left -= kTakenExtra;
    }
    I8080_NEXT;
opE1: // POP H
    I8080_CHARGE(E1)
    if (!Pop(cpu, s, t))
        goto fault;
    s.hl = t;
    I8080_NEXT;
opE2: // JPO
    I8080_CHARGE(E2)
    if (!FetchWord(cpu, s, t))
        goto fault;
    if ((s.f & kFlagP) == 0)
        s.pc = t;
    I8080_NEXT;
opE3: // XTHL
    I8080_CHARGE(E3)
    if (!ReadWord(cpu, s, s.sp, t) || !WriteWord(cpu, s, s.sp, s.hl))
        goto fault;
    s.hl = t;
    I8080_NEXT;
opE4: // CPO
    I8080_CHARGE(E4)
    if (!FetchWord(cpu, s, t))
        goto fault;
    if ((s.f & kFlagP) == 0) {
        if (!Push(cpu, s, s.pc))
            goto fault;
        s.pc = t;
        s.left -= kTakenExtra;
    }
    I8080_NEXT;
opE5: // PUSH H
    I8080_CHARGE(E5)
    if (!Push(cpu, s, s.hl))
        goto fault;
    I8080_NEXT;
opE6: // ANI
    I8080_CHARGE(E6)
    if (!FetchByte(cpu, s, t))
        goto fault;
    Ana(s, t);
    I8080_NEXT;
opE7: // RST 4
    I8080_CHARGE(E7)
    if (!Restart(cpu, s, 4)) {
        s.pc = s.start;
        goto stop;
    }
    I8080_NEXT;
opE8: // RPE
    I8080_CHARGE(E8)
    if ((s.f & kFlagP) != 0) {
        if (!Pop(cpu, s, t))
            goto fault;
        s.pc = t;
        s.left -= kTakenExtra;
    }
    I8080_NEXT;
opE9: // PCHL
    I8080_CHARGE(E9)
    s.pc = s.hl;
    I8080_NEXT;
opEA: // JPE
    I8080_CHARGE(EA)
    if (!FetchWord(cpu, s, t))
        goto fault;
    if ((s.f & kFlagP) != 0)
        s.pc = t;
    I8080_NEXT;
opEB: // XCHG
    I8080_CHARGE(EB)
    t = s.de;
    s.de = s.hl;
    s.hl = t;
    I8080_NEXT;
opEC: // CPE
    I8080_CHARGE(EC)
    if (!FetchWord(cpu, s, t))
        goto fault;
    if ((s.f & kFlagP) != 0) {
        if (!Push(cpu, s, s.pc))
            goto fault;
        s.pc = t;
        s.left -= kTakenExtra;
    }
    I8080_NEXT;
opED: // *CALL
    I8080_CHARGE(ED)
    if (!FetchWord(cpu, s, t) || !Push(cpu, s, s.pc))
        goto fault;
    s.pc = t;
    I8080_NEXT;
opEE: // XRI
    I8080_CHARGE(EE)
    if (!FetchByte(cpu, s, t))
        goto fault;
    Xra(s, t);
    I8080_NEXT;
opEF: // RST 5
    I8080_CHARGE(EF)
    if (!Restart(cpu, s, 5)) {
        s.pc = s.start;
        goto stop;
    }
    I8080_NEXT;
opF0: // RP
    I8080_CHARGE(F0)
    if ((s.f & kFlagS) == 0) {
        if (!Pop(cpu, s, t))
            goto fault;
        s.pc = t;
        s.left -= kTakenExtra;
    }
    I8080_NEXT;
opF1: // POP PSW
    I8080_CHARGE(F1)
    if (!Pop(cpu, s, t))
        goto fault;
    s.a = t >> 8;
    s.f = MergeFlags(s, t & 0xFF);
    I8080_NEXT;
opF2: // JP
    I8080_CHARGE(F2)
    if (!FetchWord(cpu, s, t))
        goto fault;
    if ((s.f & kFlagS) == 0)
        s.pc = t;
    I8080_NEXT;
opF3: // DI
    I8080_CHARGE(F3)
    cpu.m_ahwi = false;
    s.floor = Floor(cpu, s);
    I8080_NEXT;
opF4: // CP
    I8080_CHARGE(F4)
    if (!FetchWord(cpu, s, t))
        goto fault;
    if ((s.f & kFlagS) == 0) {
        if (!Push(cpu, s, s.pc))
            goto fault;
        s.pc = t;
        s.left -= kTakenExtra;
    }
    I8080_NEXT;
opF5: // PUSH PSW
    I8080_CHARGE(F5)
    if (!Push(cpu, s, (s.a << 8) | s.f))
        goto fault;
    I8080_NEXT;
opF6: // ORI
    I8080_CHARGE(F6)
    if (!FetchByte(cpu, s, t))
        goto fault;
    Ora(s, t);
    I8080_NEXT;
opF7: // RST 6
    I8080_CHARGE(F7)
    if (!Restart(cpu, s, 6)) {
        s.pc = s.start;
        goto stop;
    }
    I8080_NEXT;
opF8: // RM
    I8080_CHARGE(F8)
    if ((s.f & kFlagS) != 0) {
        if (!Pop(cpu, s, t))
            goto fault;
        s.pc = t;
        s.left -= kTakenExtra;
    }
    I8080_NEXT;
opF9: // SPHL
    I8080_CHARGE(F9)
    s.sp = s.hl;
    I8080_NEXT;
opFA: // JM
    I8080_CHARGE(FA)
    if (!FetchWord(cpu, s, t))
        goto fault;
    if ((s.f & kFlagS) != 0)
        s.pc = t;
    I8080_NEXT;
opFB: // EI
    I8080_CHARGE(FB)
    // The instruction after EI runs before an interrupt is taken.
    cpu.m_ahwi = true;
    cpu.m_hwid = 1;
    s.floor = Floor(cpu, s);
    I8080_NEXT;
opFC: // CM
    I8080_CHARGE(FC)
    if (!FetchWord(cpu, s, t))
        goto fault;
    if ((s.f & kFlagS) != 0) {
        if (!Push(cpu, s, s.pc))
            goto fault;
        s.pc = t;
        s.left -= kTakenExtra;
    }
    I8080_NEXT;
opFD: // *CALL
    I8080_CHARGE(FD)
    if (!FetchWord(cpu, s, t) || !Push(cpu, s, s.pc))
        goto fault;
    s.pc = t;
    I8080_NEXT;
opFE: // CPI
    I8080_CHARGE(FE)
    if (!FetchByte(cpu, s, t))
        goto fault;
    Cmp(s, t);
    I8080_NEXT;
opFF: // RST 7
    I8080_CHARGE(FF)
    if (!Restart(cpu, s, 7)) {
        s.pc = s.start;
        goto stop;
    }
    I8080_NEXT;

#undef I8080_NEXT
#undef I8080_CHARGE
#undef I8080_INLINE

fault:
    // A faulting access leaves the instruction undone; WFLT brings PC back below.
stop:
    // The instruction that stopped the slice is not charged; a deferred one
    // keeps what it had paid.
    s.left += s.cost;
    s.cost = 0;
end:
    Flush(cpu, s);
    int64_t counted = static_cast<int64_t>(cpu.m_sliceBudget) - cpu.m_sliceLeft;
    if (counted == 0 && !cpu.m_fault)
        counted = 1;
    cpu.m_cycles += static_cast<uint64_t>(counted);
    cpu.m_sliceBudget = cpu.m_sliceLeft = 0;
    if (cpu.m_fault) {
        cpu.m_pc = static_cast<uint16_t>(cpu.m_instructionStart);
        cpu.m_fault = false;
    }
    cpu.m_inSlice = false;
    return counted > INT32_MAX ? INT32_MAX : static_cast<int32_t>(counted);
}

} // namespace emu
