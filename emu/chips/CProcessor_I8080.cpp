// The 8080's registers, slice control and the steps that the slice loop
// (CProcessor_I8080_Execute.cpp, which also holds the tables) hands out:
// interrupt entry, restarts, ports, the trap hook, the undocumented opcodes
// and the boundary check.
#include "emu/chips/CProcessor_I8080.h"

#include <cstdarg>

#include "emu/framework/CInterrupts.h"
#include "emu/framework/CPorts.h"

namespace emu {

CProcessor_I8080::CProcessor_I8080()
    : m_traceSoftware(), m_breakSoftware(), m_traceHardware(), m_breakHardware(), m_a(0), m_f(kFlagsReset), m_bc(0),
      m_de(0), m_hl(0), m_sp(0), m_pc(0), m_pendingOpcode(0), m_pendingPC(0), m_trapContext(nullptr),
      m_trapHook(nullptr), m_traceAddress(0), m_traceStackPointer(0), m_view() {
    SetName("CPU I8080");
    SetShortName("CPU");
    SetFrequency(kClock);
}

CProcessor_I8080::~CProcessor_I8080() = default;

bool CProcessor_I8080::Start(int32_t* value) {
    if (!CProcessor::Start(value))
        return false;
    SetAddressMask(0xFFFF);
    m_flagMask = (m_flagMask & ~static_cast<uint64_t>(0xFF)) | kFlagsComputed;
    return true;
}

bool CProcessor_I8080::ValidateProperties(bool /*enabledOnly*/) {
    return true;
}

// --- Registers and run flags ----------------------------------------------------------------

void CProcessor_I8080::ResetRegisters() {
    CProcessor::ResetRegisters();
    m_a = 0;
    m_f = kFlagsReset;
    m_bc = m_de = m_hl = m_sp = m_pc = 0;
}

void CProcessor_I8080::ResetProgramCounter() {
    CProcessor::ResetProgramCounter();
    // A deferred instruction would otherwise resume at its old address and
    // undo the reset.
    m_paidCycles = 0;
    m_pc = 0;
}

int32_t CProcessor_I8080::GetKindCode() {
    return kKindCode;
}

void CProcessor_I8080::SetAddressMask(uint32_t mask) {
    CProcessor::SetAddressMask(mask & 0xFFFF);
}

void CProcessor_I8080::CallSetChwiFlag() {
    SetChwiFlag();
}

uint8_t CProcessor_I8080::GetRegister8(uint32_t field) const {
    switch (field & 7) {
    case kRegB:
        return static_cast<uint8_t>(m_bc >> 8);
    case kRegC:
        return static_cast<uint8_t>(m_bc);
    case kRegD:
        return static_cast<uint8_t>(m_de >> 8);
    case kRegE:
        return static_cast<uint8_t>(m_de);
    case kRegH:
        return static_cast<uint8_t>(m_hl >> 8);
    case kRegL:
        return static_cast<uint8_t>(m_hl);
    case kRegA:
        return m_a;
    default:
        return 0;
    }
}

uint16_t CProcessor_I8080::GetRegister16(uint32_t field) const {
    switch (field & 3) {
    case kPairBC:
        return m_bc;
    case kPairDE:
        return m_de;
    case kPairHL:
        return m_hl;
    default:
        return m_sp;
    }
}

void CProcessor_I8080::FormatFlags(uint8_t f, char text[6]) {
    text[0] = (f & kFlagS) != 0 ? 'S' : '-';
    text[1] = (f & kFlagZ) != 0 ? 'Z' : '-';
    text[2] = (f & kFlagAC) != 0 ? 'A' : '-';
    text[3] = (f & kFlagP) != 0 ? 'P' : '-';
    text[4] = (f & kFlagCY) != 0 ? 'C' : '-';
    text[5] = '\0';
}

void CProcessor_I8080::SetTrapHook(void* context, TrapHook hook) {
    m_trapContext = context;
    m_trapHook = hook;
}

// --- Slice control -------------------------------------------------------------------------------

uint32_t CProcessor_I8080::GetProgramCounter() {
    return m_inSlice ? m_instructionStart : m_pc;
}

void CProcessor_I8080::CutSlice() {
    // Both ends move by the same amount, so the cycles counted so far stay;
    // the remainder is left well below zero for the instruction to finish.
    constexpr int64_t kCut = 0x7FFF;
    const int64_t counted = static_cast<int64_t>(m_sliceBudget) - m_sliceLeft;
    const int64_t budget = counted - kCut;
    m_sliceLeft = static_cast<int32_t>(-kCut);
    m_sliceBudget = budget > INT32_MAX ? INT32_MAX : static_cast<int32_t>(budget);
}

uint32_t CProcessor_I8080::EndSlice() {
    if (m_inSlice)
        CutSlice();
    return GetProgramCounter();
}

bool CProcessor_I8080::StopSlice() {
    if (!m_inSlice)
        return false;
    if (m_fault)
        return true;
    m_fault = true;
    CutSlice();
    m_pc = static_cast<uint16_t>(m_instructionStart);
    return true;
}

// --- Instruction steps on the members --------------------------------------------------------------

bool CProcessor_I8080::FetchByte(uint8_t* value) {
    uint32_t counter = 0;
    if (!ReadByteFastCounted(m_pc, value, &counter))
        return false;
    ++m_pc;
    return true;
}

bool CProcessor_I8080::FetchWord(uint16_t* value) {
    uint32_t counter = 0;
    if (!ReadWordFastCounted(m_pc, value, &counter))
        return false;
    m_pc = static_cast<uint16_t>(m_pc + 2);
    return true;
}

bool CProcessor_I8080::PopWord(uint16_t* value) {
    if (!ReadWord(m_sp, value))
        return false;
    m_sp = static_cast<uint16_t>(m_sp + 2);
    return true;
}

bool CProcessor_I8080::PushWord(uint16_t value) {
    const uint16_t top = static_cast<uint16_t>(m_sp - 2);
    if (!WriteWord(top, value))
        return false;
    m_sp = top;
    return true;
}

bool CProcessor_I8080::ReportEntry(bool trace, bool brk, const char* format, ...) {
    // Only the entry's own switches make a line, as for any interrupt event;
    // the break asks for a stop so that the entry can be left undone.
    if (m_machine == nullptr || !(trace || brk))
        return false;
    va_list args;
    va_start(args, format);
    const bool stop =
        TraceChecked(brk, true, ConsoleColors[kColourTrace], ConsoleColors[kColourAccessBreak], format, args);
    va_end(args);
    return stop;
}

bool CProcessor_I8080::ExecuteIrq(int32_t line, uint32_t address, uint64_t* cycles) {
    const uint32_t n = static_cast<uint32_t>(line) & 7;
    if (ReportEntry(m_traceHardware[n], m_breakHardware[n], "IRQ%ld interrupt from PC=%.4lXh to %.4lXh (cycles=%ld)",
                    static_cast<long>(line), static_cast<long>(m_pc), static_cast<long>(address & 0xFFFF),
                    static_cast<long>(GetCycleCount())))
        return false;
    *cycles = 0;
    uint8_t opcode = 0;
    if (!PeekByte(m_pc, &opcode))
        return false;
    // Returns behind a HLT rather than onto it.
    const bool halted = opcode == kOpcodeHlt;
    if (halted)
        ++m_pc;
    if (m_interrupts != nullptr && m_interrupts->CallVectorHookB(static_cast<uint32_t>(line), 0, 0, cycles)) {
        *cycles += kInterruptEntryCycles;
        return true;
    }
    if (!PushWord(m_pc)) {
        if (halted)
            --m_pc;
        return false;
    }
    m_pc = static_cast<uint16_t>(address);
    *cycles += kInterruptEntryCycles;
    return true;
}

bool CProcessor_I8080::ExecuteRst(int32_t n, uint64_t* cycles) {
    const uint32_t index = static_cast<uint32_t>(n) & 7;
    if (ReportEntry(m_traceSoftware[index], m_breakSoftware[index],
                    "RST%ld interrupt from PC=%.4lXh to %.4lXh (cycles=%ld)", static_cast<long>(n),
                    static_cast<long>(m_pc), static_cast<long>(index * 8), static_cast<long>(GetCycleCount())))
        return false;
    *cycles = 0;
    if (!PushWord(m_pc))
        return false;
    m_pc = static_cast<uint16_t>(index * 8);
    return true;
}

bool CProcessor_I8080::ExecuteUndocumented(uint8_t opcode) {
    uint16_t target = 0;
    switch (opcode) {
    case 0x08:
    case 0x10:
    case 0x18:
    case 0x20:
    case 0x28:
    case 0x30:
    case 0x38:
        return true;
    case 0xCB:
        if (!FetchWord(&target))
            return false;
        m_pc = target;
        return true;
    case 0xD9:
        if (!PopWord(&target))
            return false;
        m_pc = target;
        return true;
    case 0xDD:
    case 0xED:
    case 0xFD:
        if (!FetchWord(&target) || !PushWord(m_pc))
            return false;
        m_pc = target;
        return true;
    default:
        return true;
    }
}

void CProcessor_I8080::OutputPort(uint32_t port) {
    if (m_ports != nullptr)
        m_ports->OutputByte(port, m_a);
}

bool CProcessor_I8080::InputPort(uint32_t port, uint32_t start) {
    uint8_t status = 0;
    const uint8_t value = m_ports != nullptr ? m_ports->InputByte(port, 0, &status) : CPorts::kDefaultInput;
    if (m_fault)
        return false;
    // A port that is not ready yet makes the IN run again.
    if (status == 0)
        m_a = value;
    else
        m_pc = static_cast<uint16_t>(start);
    return true;
}

int32_t CProcessor_I8080::CallTrapHook(uint16_t address) {
    uint8_t opcode = kOpcodeTrap;
    const bool ok = m_trapHook(m_trapContext, this, address, &opcode, 0);
    return ok && !m_fault ? opcode : -1;
}

int32_t CProcessor_I8080::ServiceBoundary() {
    if (m_nmi) {
        m_nmi = false;
        m_sliceLeft -= kNmiStepCycles;
        return kBoundaryTaken;
    }
    if (!(m_chwi && m_ahwi))
        return kBoundaryFetch;
    if (m_hwid > 0) {
        --m_hwid;
        return kBoundaryFetch;
    }
    if (m_hwid < 0)
        return kBoundaryFetch;
    int32_t line = 0;
    int32_t vector = 0;
    int32_t address = 0;
    if (m_interrupts == nullptr || !m_interrupts->AcknowledgeInterrupt(false, &line, &vector, &address)) {
        m_chwi = false;
        return kBoundaryFetch;
    }
    uint64_t cycles = 0;
    if (!ExecuteIrq(line, static_cast<uint32_t>(address), &cycles))
        return kBoundaryStop;
    m_interrupts->AcknowledgeInterrupt(true, &line, &vector, &address);
    m_sliceLeft -= static_cast<int32_t>(cycles);
    // The interrupt enable stays set: the delay keeps the handler from being
    // entered again at once.
    m_hwid = kInterruptDelayAfterEntry;
    return kBoundaryTaken;
}

} // namespace emu
