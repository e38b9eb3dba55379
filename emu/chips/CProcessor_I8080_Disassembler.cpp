// The 8080's disassembler and tracer: the instruction at PC as one debugger
// line of seven columns, and whether a step-over may run through it.
//
//   column  content                                 example
//   1       address                                 "0100"
//   2       bytes in memory order                   "C33412"
//   3       mnemonic (Intel, memory operand [HL])   "JMP 1234h"
//   4       flags S Z AC P CY                       "-Z-P-"
//   5       what the instruction is about to do     "*jmp 1234h"
//           with the live register and memory values
//   6, 7    empty
//
// Memory is read only through the peek accessors, so a look changes no
// device; the only processor fields written are the disassembly scratch
// (trace address, trace stack pointer, byte dump and count).
#include <cstdio>
#include <cstring>

#include "common/CNarrowString.h"
#include "emu/chips/CProcessor_I8080.h"

namespace emu {

namespace {

constexpr uint32_t kColumnAddress = 0;
constexpr uint32_t kColumnBytes = 1;
constexpr uint32_t kColumnMnemonic = 2;
constexpr uint32_t kColumnFlags = 3;
constexpr uint32_t kColumnTrace = 4;
// Layout widths for the caller; the flags column takes the flags text's length.
constexpr uint32_t kWidths[CProcessorInterface::kDisassemblyColumns] = {4, 6, 28, 0, 48, 0, 3};

constexpr const char* kRegisterNames[8] = {"B", "C", "D", "E", "H", "L", "[HL]", "A"};
constexpr const char* kPairMnemonics[4] = {"B", "D", "H", "SP"};
constexpr const char* kPairNames[4] = {"BC", "DE", "HL", "SP"};
constexpr const char* kStackMnemonics[4] = {"B", "D", "H", "PSW"};
constexpr const char* kStackNames[4] = {"BC", "DE", "HL", "AF"};

// The arithmetic and logic group, by opcode bits 5..3.
struct CAluOperation {
    const char* registerMnemonic;  // ADD r
    const char* immediateMnemonic; // ADI A,n
    const char* name;              // in the trace text
    const char* sign;
};
constexpr CAluOperation kAlu[8] = {
    {"ADD", "ADI", "add", "+"},   {"ADC", "ACI", "adc", "+"}, {"SUB", "SUI", "sub", "-"}, {"SBB", "SBI", "sbc", "-"},
    {"ANA", "ANI", "and", " & "}, {"XRA", "XRI", "xor", "^"}, {"ORA", "ORI", "or", "|"},  {"CMP", "CPI", "cmp", "-"},
};
enum : uint32_t { kAluAdd = 0, kAluAdc, kAluSub, kAluSbb, kAluAnd, kAluXor, kAluOr, kAluCmp };

// Conditions, by opcode bits 5..3: NZ Z NC C PO PE P M.
struct CCondition {
    const char* intel;  // JNZ, CNZ, RNZ
    const char* suffix; // jnz, callnz, retnz
    const char* letter; // the flag tested, upper case when it must be set
    uint8_t flag;
};
constexpr CCondition kConditions[8] = {
    {"NZ", "nz", "z", CProcessor_I8080::kFlagZ},  {"Z", "z", "Z", CProcessor_I8080::kFlagZ},
    {"NC", "nc", "c", CProcessor_I8080::kFlagCY}, {"C", "c", "C", CProcessor_I8080::kFlagCY},
    {"PO", "np", "p", CProcessor_I8080::kFlagP},  {"PE", "p", "P", CProcessor_I8080::kFlagP},
    {"P", "ns", "s", CProcessor_I8080::kFlagS},   {"M", "s", "S", CProcessor_I8080::kFlagS},
};

// Rotations, by opcode bits 4..3: RLC RRC RAL RAR.
struct CRotation {
    const char* mnemonic;
    const char* name;
    const char* shift;
};
constexpr CRotation kRotations[4] = {
    {"RLC", "rol", "<<1"}, {"RRC", "ror", ">>1"}, {"RAL", "rcl", "<<1"}, {"RAR", "rcr", ">>1"}};

// printf arguments: "%lX" takes an unsigned long, "%ld" a long.
inline unsigned long Hex(uint32_t value) {
    return value;
}
inline long Dec(uint32_t value) {
    return static_cast<long>(value);
}

} // namespace

// One decode of the instruction at the trace address into mnemonic, trace
// text and kind word. Every reader answers false when the byte cannot be
// read; the decode then stops and the caller shows the failure.
class CProcessor_I8080::CDisassembly {
public:
    explicit CDisassembly(CProcessor_I8080& cpu) : m_kind(0), m_cpu(cpu) {}

    // Reads the opcode at the trace address into the dump.
    bool FetchOpcode(uint8_t* opcode) { return FetchByte(opcode); }
    bool Decode(uint8_t opcode);

    common::CNarrowString m_mnemonic;
    common::CNarrowString m_trace;
    uint32_t m_kind;

private:
    bool DecodeLow(uint8_t opcode);
    bool DecodeMove(uint8_t opcode);
    bool DecodeAluRegister(uint8_t opcode);
    bool DecodeHigh(uint8_t opcode);
    bool DecodeAluImmediate(uint8_t opcode);
    bool DecodeConditional(uint8_t opcode);

    // Instruction bytes at the trace address, appended to the dump.
    bool FetchByte(uint8_t* value);
    bool FetchWord(uint16_t* value);
    // The word at the trace stack pointer, which then moves on.
    bool PopWord(uint16_t* value);
    // A register by encoding field, the memory operand at HL for field 6.
    bool ReadRegister(uint32_t field, uint8_t* value);
    // "A op operand", then ":=result" (with the carry for ADC and SBB) or,
    // for CMP, the flags the compare would leave.
    void AppendAluOutcome(uint32_t operation, uint8_t operand);
    // " ? sZApc": the flags of A - operand, upper case when set.
    void AppendCompareFlags(uint8_t operand);

    CProcessor_I8080& m_cpu;
};

bool CProcessor_I8080::CDisassembly::FetchByte(uint8_t* value) {
    if (!m_cpu.PeekByte(m_cpu.m_traceAddress, value))
        return false;
    m_cpu.m_traceAddress = static_cast<uint16_t>(m_cpu.m_traceAddress + 1);
    m_cpu.m_dasmDump.AppendFormat("%.2lX", Hex(*value));
    m_cpu.m_dasmCount += 1;
    return true;
}

bool CProcessor_I8080::CDisassembly::FetchWord(uint16_t* value) {
    if (!m_cpu.PeekWord(m_cpu.m_traceAddress, value))
        return false;
    m_cpu.m_traceAddress = static_cast<uint16_t>(m_cpu.m_traceAddress + 2);
    // Bytes swapped, so that the dump keeps memory order.
    m_cpu.m_dasmDump.AppendFormat("%.4lX", Hex(static_cast<uint16_t>((*value << 8) | (*value >> 8))));
    m_cpu.m_dasmCount += 2;
    return true;
}

bool CProcessor_I8080::CDisassembly::PopWord(uint16_t* value) {
    if (!m_cpu.PeekWord(m_cpu.m_traceStackPointer, value))
        return false;
    m_cpu.m_traceStackPointer = static_cast<uint16_t>(m_cpu.m_traceStackPointer + 2);
    return true;
}

bool CProcessor_I8080::CDisassembly::ReadRegister(uint32_t field, uint8_t* value) {
    if (field == kRegM)
        return m_cpu.PeekByte(m_cpu.m_hl, value);
    *value = m_cpu.GetRegister8(field);
    return true;
}

void CProcessor_I8080::CDisassembly::AppendCompareFlags(uint8_t operand) {
    const uint32_t a = m_cpu.m_a;
    const uint32_t difference = a - operand;
    const uint8_t szp = GetSzpTable()[difference & 0xFF];
    const bool carry = (difference & 0x100) != 0;
    const bool auxiliary = ((a ^ operand ^ difference) & 0x10) == 0;
    m_trace.AppendFormat(" ? %c%c%c%c%c", (szp & kFlagS) ? 'S' : 's', (szp & kFlagZ) ? 'Z' : 'z', auxiliary ? 'A' : 'a',
                         (szp & kFlagP) ? 'P' : 'p', carry ? 'C' : 'c');
}

bool CProcessor_I8080::CDisassembly::Decode(uint8_t opcode) {
    if (opcode < 0x40)
        return DecodeLow(opcode);
    if (opcode < 0x80)
        return DecodeMove(opcode);
    if (opcode < 0xC0)
        return DecodeAluRegister(opcode);
    return DecodeHigh(opcode);
}

// 00..3F: NOP, loads and stores, INR/DCR/MVI, INX/DCX, DAD, rotations, DAA...
bool CProcessor_I8080::CDisassembly::DecodeLow(uint8_t opcode) {
    const uint32_t field = (opcode >> 3) & 7; // register of INR, DCR, MVI
    const uint32_t pair = (opcode >> 4) & 3;
    const uint32_t a = m_cpu.m_a;
    const uint32_t hl = m_cpu.m_hl;
    const uint32_t carry = m_cpu.m_f & kFlagCY;

    switch (opcode & 7) {
    case 0:
        m_mnemonic.AssignNarrow(opcode == 0x00 ? "NOP" : "*NOP (undoc)");
        m_trace.AssignNarrow("nop (skip)");
        return true;
    case 1:
        if (opcode & 0x08) {
            const uint32_t value = m_cpu.GetRegister16(pair);
            m_mnemonic.Format("DAD %s", kPairMnemonics[pair]);
            m_trace.Format("add HL+%s=%.4lXh+%.4lXh:=%.4lXh", kPairNames[pair], Hex(hl), Hex(value),
                           Hex((hl + value) & 0xFFFF));
        } else {
            uint16_t value = 0;
            m_mnemonic.Format("LXI %s,im16", kPairMnemonics[pair]);
            if (!FetchWord(&value))
                return false;
            m_mnemonic.Format("LXI %s,%.4lXh", kPairMnemonics[pair], Hex(value));
            m_trace.Format("%s:=%.4lXh", kPairNames[pair], Hex(value));
        }
        return true;
    case 2: {
        const bool load = (opcode & 0x08) != 0;
        if (pair < 2) { // STAX, LDAX
            const char* name = kPairNames[pair];
            const uint32_t address = m_cpu.GetRegister16(pair);
            m_mnemonic.Format("%s %s", load ? "LDAX" : "STAX", kPairMnemonics[pair]);
            if (!load) {
                m_trace.Format("[%s]=[%.4lXh]:=(A=%.2lXh)", name, Hex(address), Hex(a));
                return true;
            }
            uint8_t value = 0;
            if (!m_cpu.PeekByte(address, &value))
                return false;
            m_trace.Format("A:=([%s]=[%.4lXh]=%.2lXh)", name, Hex(address), Hex(value));
            return true;
        }
        // SHLD, LHLD, STA, LDA: a direct address.
        const bool word = pair == 2;
        const char* mnemonic = word ? (load ? "LHLD" : "SHLD") : (load ? "LDA" : "STA");
        uint16_t address = 0;
        m_mnemonic.Format("%s im16", mnemonic);
        if (!FetchWord(&address))
            return false;
        m_mnemonic.Format("%s %.4lXh", mnemonic, Hex(address));
        if (!load) {
            if (word)
                m_trace.Format("[%.4lXh]:=(HL=%.4lXh)", Hex(address), Hex(hl));
            else
                m_trace.Format("[%.4lXh]:=(A=%.2lXh)", Hex(address), Hex(a));
            return true;
        }
        if (word) {
            uint16_t value = 0;
            if (!m_cpu.PeekWord(address, &value))
                return false;
            m_trace.Format("HL:=([%.4lXh]=%.4lXh)", Hex(address), Hex(value));
        } else {
            uint8_t value = 0;
            if (!m_cpu.PeekByte(address, &value))
                return false;
            m_trace.Format("A:=([%.4lXh]=%.2lXh)", Hex(address), Hex(value));
        }
        return true;
    }
    case 3: {
        const bool increment = (opcode & 0x08) == 0;
        const uint32_t value = m_cpu.GetRegister16(pair);
        m_mnemonic.Format("%s %s", increment ? "INX" : "DCX", kPairMnemonics[pair]);
        if (increment)
            m_trace.Format("inc %s+1:=%.4lXh", kPairNames[pair], Hex((value + 1) & 0xFFFF));
        else
            m_trace.Format("dec %s-1:=%.4lXh", kPairNames[pair], Hex((value - 1) & 0xFFFF));
        return true;
    }
    case 4:
    case 5: {
        const bool increment = (opcode & 7) == 4;
        const char* name = increment ? "inc" : "dec";
        const char* step = increment ? "+1" : "-1";
        m_mnemonic.Format("%s %s", increment ? "INR" : "DCR", kRegisterNames[field]);
        uint8_t value = 0;
        if (!ReadRegister(field, &value))
            return false;
        if (field == kRegM)
            m_trace.Format("%s [HL=%.4lXh]%s", name, Hex(hl), step);
        else
            m_trace.Format("%s %s%s", name, kRegisterNames[field], step);
        m_trace.AppendFormat(":=%.2lXh", Hex((increment ? value + 1u : value - 1u) & 0xFF));
        return true;
    }
    case 6: {
        uint8_t value = 0;
        m_mnemonic.Format("MVI %s,im8", kRegisterNames[field]);
        if (!FetchByte(&value))
            return false;
        m_mnemonic.Format("MVI %s,%.2lXh", kRegisterNames[field], Hex(value));
        if (field == kRegM)
            m_trace.Format("[HL=%.4lXh]:=%.2lXh", Hex(hl), Hex(value));
        else
            m_trace.Format("%s:=%.2lXh", kRegisterNames[field], Hex(value));
        return true;
    }
    default:
        break;
    }

    // Column 7: rotations, DAA, CMA, STC, CMC.
    switch (opcode) {
    case 0x27: {
        const uint32_t index = a | (carry << 8) | ((m_cpu.m_f & kFlagAC) ? 0x200u : 0u);
        m_mnemonic.AssignNarrow("DAA");
        m_trace.Format("daa (A=%.2lXh):=%.2lXh", Hex(a), Hex(GetDaaTable()[index] >> 8));
        return true;
    }
    case 0x2F:
        m_mnemonic.AssignNarrow("CMA");
        m_trace.Format("not ~A:=%.2lXh", Hex(~a & 0xFF));
        return true;
    case 0x37:
        m_mnemonic.AssignNarrow("STC");
        m_trace.AssignNarrow("C_FLAG:=1");
        return true;
    case 0x3F:
        m_mnemonic.AssignNarrow("CMC");
        m_trace.Format("C_FLAG^1:=%c", carry ? '0' : '1');
        return true;
    default:
        break;
    }
    const uint32_t kindOfRotation = (opcode >> 3) & 3;
    uint32_t result = 0;
    switch (kindOfRotation) {
    case 0:
        result = (a << 1) | (a >> 7);
        break;
    case 1:
        result = (a >> 1) | (a << 7);
        break;
    case 2:
        result = (a << 1) | carry;
        break;
    default:
        result = (a >> 1) | (carry << 7);
        break;
    }
    const CRotation& rotation = kRotations[kindOfRotation];
    m_mnemonic.AssignNarrow(rotation.mnemonic);
    m_trace.Format("%s A%s=%.2lXh%s:=%.2lXh", rotation.name, rotation.shift, Hex(a), rotation.shift,
                   Hex(result & 0xFF));
    return true;
}

// 40..7F: MOV d,s and HLT.
bool CProcessor_I8080::CDisassembly::DecodeMove(uint8_t opcode) {
    if (opcode == kOpcodeHlt) {
        m_mnemonic.AssignNarrow("HLT");
        m_trace.AssignNarrow("halt (until h/w interrupt)");
        m_kind = kDisassembledCall;
        return true;
    }
    const uint32_t destination = (opcode >> 3) & 7;
    const uint32_t source = opcode & 7;
    const uint32_t hl = m_cpu.m_hl;
    m_mnemonic.Format("MOV %s,%s", kRegisterNames[destination], kRegisterNames[source]);
    uint8_t value = 0;
    if (!ReadRegister(source, &value))
        return false;
    if (source == kRegM)
        m_trace.Format("%s:=[HL]=[%.4lXh]=%.2lXh", kRegisterNames[destination], Hex(hl), Hex(value));
    else if (destination == kRegM)
        m_trace.Format("[HL]=[%.4lXh]:=(%s=%.2lXh)", Hex(hl), kRegisterNames[source], Hex(value));
    else
        m_trace.Format("%s:=%s=%.2lXh", kRegisterNames[destination], kRegisterNames[source], Hex(value));
    return true;
}

// 80..BF: ADD ADC SUB SBB ANA XRA ORA CMP with a register or [HL].
bool CProcessor_I8080::CDisassembly::DecodeAluRegister(uint8_t opcode) {
    const uint32_t operation = (opcode >> 3) & 7;
    const uint32_t field = opcode & 7;
    const CAluOperation& alu = kAlu[operation];
    m_mnemonic.Format("%s %s", alu.registerMnemonic, kRegisterNames[field]);
    uint8_t operand = 0;
    if (!ReadRegister(field, &operand))
        return false;
    if (field == kRegM)
        m_trace.Format("%s A%s[HL=%.4lXh]=", alu.name, alu.sign, Hex(m_cpu.m_hl));
    else
        m_trace.Format("%s A%s%s=", alu.name, alu.sign, kRegisterNames[field]);
    AppendAluOutcome(operation, operand);
    return true;
}

// C6 CE .. FE: the immediate forms, which name the accumulator.
bool CProcessor_I8080::CDisassembly::DecodeAluImmediate(uint8_t opcode) {
    const uint32_t operation = (opcode >> 3) & 7;
    const CAluOperation& alu = kAlu[operation];
    uint8_t operand = 0;
    m_mnemonic.Format("%s A,im8", alu.immediateMnemonic);
    if (!FetchByte(&operand))
        return false;
    m_mnemonic.Format("%s A,%.2lXh", alu.immediateMnemonic, Hex(operand));
    m_trace.Format("%s A%s%.2lXh=", alu.name, alu.sign, Hex(operand));
    AppendAluOutcome(operation, operand);
    return true;
}

void CProcessor_I8080::CDisassembly::AppendAluOutcome(uint32_t operation, uint8_t operand) {
    const CAluOperation& alu = kAlu[operation];
    const uint32_t a = m_cpu.m_a;
    const uint32_t carry = m_cpu.m_f & kFlagCY;
    m_trace.AppendFormat("%.2lXh%s%.2lXh", Hex(a), alu.sign, Hex(operand));
    if (operation == kAluCmp) {
        AppendCompareFlags(operand);
        return;
    }
    uint32_t result = 0;
    switch (operation) {
    case kAluAdd:
        result = a + operand;
        break;
    case kAluAdc:
        result = a + operand + carry;
        break;
    case kAluSub:
        result = a - operand;
        break;
    case kAluSbb:
        result = a - operand - carry;
        break;
    case kAluAnd:
        result = a & operand;
        break;
    case kAluXor:
        result = a ^ operand;
        break;
    default:
        result = a | operand;
        break;
    }
    if (operation == kAluAdc || operation == kAluSbb)
        m_trace.AppendFormat("%s%ld", alu.sign, Dec(carry));
    m_trace.AppendFormat(":=%.2lXh", Hex(result & 0xFF));
}

// Rcc, Jcc and Ccc (columns 0, 2 and 4 of C0..FF).
bool CProcessor_I8080::CDisassembly::DecodeConditional(uint8_t opcode) {
    const CCondition& condition = kConditions[(opcode >> 3) & 7];
    const bool holds = ((m_cpu.m_f & condition.flag) != 0) == ((opcode & 0x08) != 0);
    const uint32_t column = opcode & 7;
    char name[8];
    uint16_t target = 0;
    if (column == 0) {
        std::snprintf(name, sizeof(name), "ret%s", condition.suffix);
        m_mnemonic.Format("R%s", condition.intel);
        m_kind = kDisassembledTransfer;
        if (!PopWord(&target))
            return false;
    } else {
        const bool call = column == 4;
        std::snprintf(name, sizeof(name), "%s%s", call ? "call" : "j", condition.suffix);
        m_mnemonic.Format("%c%s im16", call ? 'C' : 'J', condition.intel);
        m_kind = call ? kDisassembledCall : kDisassembledTransfer;
        if (!FetchWord(&target))
            return false;
        m_mnemonic.Format("%c%s %.4lXh", call ? 'C' : 'J', condition.intel, Hex(target));
    }
    // The next instruction follows the bytes read so far.
    const uint16_t next = m_cpu.m_traceAddress;
    const char* direction = !holds || target == next ? "" : target > next ? "+" : "-";
    m_trace.Format("%s%s %.4lXh (%s ? %s)", direction, name, Hex(target), condition.letter, holds ? "YES" : "no");
    return true;
}

// C0..FF: branches, stack, RST, immediates, I/O and the rest.
bool CProcessor_I8080::CDisassembly::DecodeHigh(uint8_t opcode) {
    const uint32_t column = opcode & 7;
    if (column == 0 || column == 2 || column == 4)
        return DecodeConditional(opcode);
    if (column == 6)
        return DecodeAluImmediate(opcode);
    if (column == 7) {
        const uint32_t n = (opcode >> 3) & 7;
        m_mnemonic.Format("RST %ld", Dec(n));
        m_trace.Format("*int %ld (%.2lXh)", Dec(n), Hex(n * 8));
        return true;
    }

    const uint32_t pair = (opcode >> 4) & 3;
    const uint32_t hl = m_cpu.m_hl;
    const uint32_t sp = m_cpu.m_sp;
    if (column == 5 && (opcode & 0x08) == 0) { // PUSH
        const uint32_t value =
            pair == 3 ? static_cast<uint32_t>((m_cpu.m_a << 8) | m_cpu.m_f) : m_cpu.GetRegister16(pair);
        m_mnemonic.Format("PUSH %s", kStackMnemonics[pair]);
        m_trace.Format("push %s=%.4lXh =>([SP-2]=[%.4lXh])", kStackNames[pair], Hex(value), Hex((sp - 2) & 0xFFFF));
        return true;
    }
    if (column == 1 && (opcode & 0x08) == 0) { // POP
        uint16_t value = 0;
        m_mnemonic.Format("POP %s", kStackMnemonics[pair]);
        if (!PopWord(&value))
            return false;
        m_trace.Format("pop %s:=%.4lXh <=([SP]=[%.4lXh])+2", kStackNames[pair], Hex(value), Hex(sp));
        return true;
    }

    uint16_t word = 0;
    uint8_t byte = 0;
    switch (opcode) {
    case 0xC3: // JMP
    case 0xCB: // undocumented JMP
    case 0xCD: // CALL
    case 0xDD: // undocumented CALLs
    case 0xED:
    case 0xFD: {
        const bool call = opcode != 0xC3 && opcode != 0xCB;
        const char* mnemonic = opcode == 0xC3   ? "JMP"
                               : opcode == 0xCB ? "*JMP (undoc)"
                               : opcode == 0xCD ? "CALL"
                                                : "*CALL (undoc)";
        m_kind = call ? kDisassembledCall : kDisassembledTransfer;
        m_mnemonic.Format("%s im16", mnemonic);
        if (!FetchWord(&word))
            return false;
        m_mnemonic.Format("%s %.4lXh", mnemonic, Hex(word));
        m_trace.Format("*%s %.4lXh", call ? "call" : "jmp", Hex(word));
        return true;
    }
    case 0xC9: // RET
    case 0xD9: // undocumented RET (the trap opcode when no hook replaces it)
        m_mnemonic.AssignNarrow(opcode == 0xC9 ? "RET" : "*RET (undoc)");
        if (!PopWord(&word))
            return false;
        m_trace.Format("*ret %.4lXh", Hex(word));
        return true;
    case 0xD3:
    case 0xDB: {
        const bool out = opcode == 0xD3;
        m_mnemonic.AssignNarrow(out ? "OUT im8" : "IN im8");
        if (!FetchByte(&byte))
            return false;
        m_mnemonic.Format("%s %.2lXh", out ? "OUT" : "IN", Hex(byte));
        if (out)
            m_trace.Format("out %.2lXh,A=%.2lXh", Hex(byte), Hex(m_cpu.m_a));
        else
            m_trace.Format("in A,%.2lXh", Hex(byte));
        return true;
    }
    case 0xE3: // XTHL
        m_mnemonic.AssignNarrow("XTHL");
        if (!m_cpu.PeekWord(sp, &word))
            return false;
        m_trace.Format("xchg [SP]=[%.4lXh]=%.4lXh, HL=%.4lXh", Hex(sp), Hex(word), Hex(hl));
        return true;
    case 0xE9: // PCHL
        m_mnemonic.AssignNarrow("PCHL");
        m_trace.Format("*jmp HL=%.4lXh", Hex(hl));
        m_kind = kDisassembledTransfer;
        return true;
    case 0xEB: // XCHG
        m_mnemonic.AssignNarrow("XCHG");
        m_trace.Format("xchg DE=%.4lXh, HL=%.4lXh", Hex(m_cpu.m_de), Hex(hl));
        return true;
    case 0xF3:
        m_mnemonic.AssignNarrow("DI");
        m_trace.AssignNarrow("I_FLAG:=0 (disable hwint)");
        return true;
    case 0xF9: // SPHL
        m_mnemonic.AssignNarrow("SPHL");
        m_trace.Format("SP:=(HL=%.4lXh)", Hex(hl));
        return true;
    default: // 0xFB
        m_mnemonic.AssignNarrow("EI");
        m_trace.AssignNarrow("I_FLAG:=1 (enable hwint)");
        return true;
    }
}

int32_t CProcessor_I8080::Disassemble(common::CString* const* columns, uint32_t* kind, uint32_t* widths) {
    // The base clears every output.
    CProcessor::Disassemble(columns, kind, widths);
    if (!m_started)
        return 0;
    auto setColumn = [columns](uint32_t index, const char* text) {
        if (columns != nullptr && columns[index] != nullptr)
            columns[index]->AssignNarrow(text);
    };

    char flags[6];
    FormatFlags(m_f, flags);
    common::CNarrowString address;
    address.Format("%.4lX", Hex(m_pc));
    setColumn(kColumnAddress, address.GetNarrow());
    setColumn(kColumnFlags, flags);
    for (uint32_t i = 0; widths != nullptr && i < static_cast<uint32_t>(kDisassemblyColumns); ++i)
        widths[i] = i == kColumnFlags ? static_cast<uint32_t>(std::strlen(flags)) : kWidths[i];

    m_dasmDump.Clear();
    m_dasmCount = 0;
    m_traceAddress = m_pc;
    m_traceStackPointer = m_sp;

    CDisassembly line(*this);
    uint8_t opcode = 0;
    bool decoded = false;
    if (!line.FetchOpcode(&opcode)) {
        line.m_mnemonic.AssignNarrow("???");
    } else {
        // The trap hook may show the trap as the opcode it would run instead.
        if (opcode == kOpcodeTrap && m_trapHook != nullptr) {
            uint8_t replacement = kOpcodeTrap;
            m_trapHook(m_trapContext, this, m_pc, &replacement, 1);
            opcode = replacement;
        }
        decoded = line.Decode(opcode);
    }

    setColumn(kColumnBytes, m_dasmDump.GetNarrow());
    setColumn(kColumnMnemonic, line.m_mnemonic.GetNarrow());
    if (!decoded) {
        // Nothing to step over: only the may-transfer bit, so that a
        // debugger never runs to PC plus a failed length.
        setColumn(kColumnTrace, "*(todo)");
        if (kind != nullptr)
            *kind = kDisassembledTransfer;
        return -1;
    }
    setColumn(kColumnTrace, line.m_trace.GetNarrow());
    if (kind != nullptr)
        *kind = line.m_kind;
    return static_cast<int32_t>(m_dasmCount);
}

} // namespace emu
