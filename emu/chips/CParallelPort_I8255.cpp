#include "emu/chips/CParallelPort_I8255.h"

#include "common/CNarrowString.h"
#include "common/CSettingsRegistry.h"
#include "common/CStreamHolder.h"
#include "emu/framework/CDeviceParameterList.h"
#include "emu/framework/COptionTree.h"

namespace emu {

namespace {

constexpr uint8_t kVersion = 0;
constexpr int32_t kMinimumBusRate = 50;

// Mode word fields.
constexpr uint32_t kLowerCInput = 0x01;
constexpr uint32_t kPortBInput = 0x02;
constexpr uint32_t kGroupBMode = 0x04;
constexpr uint32_t kUpperCInput = 0x08;
constexpr uint32_t kPortAInput = 0x10;
constexpr uint32_t kGroupAMode1 = 0x20;
constexpr uint32_t kGroupAMode2 = 0x40; // bit 5 is then "don't care"
constexpr uint32_t kUpperCMask = 0xF0;
constexpr uint32_t kLowerCMask = 0x0F;

constexpr const char* kFlagNames[CParallelPort_I8255::kFlagCount] = {
    "TraceReadCTRL", "BreakReadCTRL", "TraceWriteCTRL", "BreakWriteCTRL", "TraceReadA",  "BreakReadA",
    "TraceWriteA",   "BreakWriteA",   "TraceReadB",     "BreakReadB",     "TraceWriteB", "BreakWriteB",
    "TraceReadC",    "BreakReadC",    "TraceWriteC",    "BreakWriteC",
};
constexpr const char* kModeNames[3] = {"basicIO", "strobedIO", "bidirectBus"};
constexpr const char* kDirectionNames[2] = {"out", "in"};
constexpr const char* kRegisterCaptions[CParallelPort_I8255::kRegisterCount] = {"A", "B", "C", "CTRL"};

// Menu order of the registers: CTRL first, then A, B, C.
constexpr uint32_t kMenuRegisters[CParallelPort_I8255::kRegisterCount] = {
    CParallelPort_I8255::kRegCtrl, CParallelPort_I8255::kRegA, CParallelPort_I8255::kRegB, CParallelPort_I8255::kRegC};

// The flag of a register's access as the flag table numbers it (CTRL is row 0).
uint32_t FlagIndex(uint32_t reg, bool write, bool brk) {
    const uint32_t row = reg == CParallelPort_I8255::kRegCtrl ? 0 : reg + 1;
    return row * 4 + (write ? 2 : 0) + (brk ? 1 : 0);
}

} // namespace

CParallelPort_I8255::CParallelPort_I8255()
    : m_portsBound(false), m_basePort(0), m_portCount(0), m_read(&ReadPortCallback), m_write(&WritePortCallback),
      m_context(static_cast<CDevice*>(this)) {
    for (bool& flag : m_flags)
        flag = false;
    SetName("PPI I8255");
    SetShortName("PPI");
}

CParallelPort_I8255::~CParallelPort_I8255() = default;

const char* CParallelPort_I8255::GetFlagName(uint32_t flag) {
    return flag < kFlagCount ? kFlagNames[flag] : nullptr;
}

bool CParallelPort_I8255::ConnectPorts(void* context, ReadCallback read, WriteCallback write, int32_t base,
                                       bool mapOnBus, uint8_t boundValue, uint8_t parameterFlag) {
    if (!m_parameters->Remove(kPortsParameter))
        return false;
    m_context = nullptr;
    m_read = nullptr;
    m_write = nullptr;
    if (base < 0)
        return context == nullptr && read == nullptr && write == nullptr;
    m_context = context;
    m_read = read;
    m_write = write;
    m_basePort = static_cast<uint64_t>(static_cast<int64_t>(base));
    m_portCount = kRegisterCount;
    if (!mapOnBus) {
        m_portsBound = true;
        return true;
    }
    m_portsBound = boundValue != 0;
    return m_parameters->AddPorts(kPortsParameter, parameterFlag != 0, &m_portsBound, &m_basePort, &m_portCount,
                                  &ReadPortCallback, &WritePortCallback);
}

// --- Control register ------------------------------------------------------------

void CParallelPort_I8255::DecodeModeWord(uint32_t word) {
    m_regs.dirCL = (word & kLowerCInput) != 0 ? 1 : 0;
    m_regs.dirB = (word & kPortBInput) != 0 ? 1 : 0;
    m_regs.modeB = (word & kGroupBMode) != 0 ? 1 : 0;
    m_regs.dirCH = (word & kUpperCInput) != 0 ? 1 : 0;
    m_regs.dirA = (word & kPortAInput) != 0 ? 1 : 0;
    m_regs.modeA = (word & kGroupAMode2) != 0 ? 2 : ((word & kGroupAMode1) != 0 ? 1 : 0);
}

void CParallelPort_I8255::WriteCtrl(uint8_t value) {
    const bool trace = m_flags[kTraceWriteCTRL];
    const bool brk = m_flags[kBreakWriteCTRL];
    if ((value & kModeWord) == 0) {
        const uint32_t bit = (value >> 1) & 7;
        const uint32_t level = value & 1;
        if (TraceWrite(trace, brk, false, "=>CTRL = %.2lXh (RegC[%ld]=%ld)", static_cast<long>(value),
                       static_cast<long>(bit), static_cast<long>(level)))
            return;
        WriteRegC(static_cast<uint8_t>((m_regs.PC & ~(1u << bit)) | (level << bit)));
        return;
    }
    const uint32_t modeA = (value & kGroupAMode2) != 0 ? 2 : ((value & kGroupAMode1) != 0 ? 1 : 0);
    if (TraceWrite(trace, brk, false, "=>CTRL = %.2lXh (ModeACh=%s, RegA=%s, RegCh=%s, ModeBCl=%s, RegB=%s, RegCl=%s)",
                   static_cast<long>(value), kModeNames[modeA], kDirectionNames[(value & kPortAInput) != 0],
                   kDirectionNames[(value & kUpperCInput) != 0], kModeNames[(value & kGroupBMode) != 0],
                   kDirectionNames[(value & kPortBInput) != 0], kDirectionNames[(value & kLowerCInput) != 0]))
        return;
    DecodeModeWord(value);
    m_regs.CW = value;
    // A mode word clears all output latches, so the output pins drop to 0.
    m_regs.PA = 0;
    m_regs.PB = 0;
    m_regs.PC = 0;
    NotifyOutputs();
}

uint8_t CParallelPort_I8255::ReadCtrl(uint8_t quiet) {
    TraceRegisterRead(m_flags[kTraceReadCTRL], m_flags[kBreakReadCTRL], quiet != 0, "<=CTRL = %.2lXh",
                      static_cast<long>(m_regs.CW));
    return static_cast<uint8_t>(m_regs.CW);
}

void CParallelPort_I8255::NotifyOutputs() {
    if (m_regs.dirA == 0)
        CallWrite(kRegA, static_cast<uint8_t>(m_regs.PA));
    if (m_regs.dirB == 0)
        CallWrite(kRegB, static_cast<uint8_t>(m_regs.PB));
    if (m_regs.dirCH == 0 || m_regs.dirCL == 0)
        CallWrite(kRegC, static_cast<uint8_t>(m_regs.PC));
}

void CParallelPort_I8255::CallWrite(uint32_t index, uint8_t value) {
    if (!HasForeignWrite())
        return;
    uint8_t byte = value;
    m_write(m_context, LineOf(index), 1, &byte);
}

// --- Ports -------------------------------------------------------------------------

void CParallelPort_I8255::WriteRegA(uint8_t value) {
    WritePortAB(kRegA, value);
}

void CParallelPort_I8255::WriteRegB(uint8_t value) {
    WritePortAB(kRegB, value);
}

void CParallelPort_I8255::WritePortAB(uint32_t index, uint8_t value) {
    const bool trace = m_flags[FlagIndex(index, true, false)];
    const bool brk = m_flags[FlagIndex(index, true, true)];
    const long shown = value;
    if ((index == kRegA ? m_regs.dirA : m_regs.dirB) != 0) {
        // A write to an input port only shows up in the trace.
        if (index == kRegA)
            TraceRegisterRead(trace, brk, false, ">RegA = %.2lXh (*)", shown);
        else
            TraceRegisterRead(trace, brk, false, "=>RegB = %.2lXh (*)", shown);
        return;
    }
    const char name = index == kRegA ? 'A' : 'B';
    const bool stop = m_write != nullptr ? TraceRegisterWrite(trace, brk, "=>Reg%c = %.2lXh", name, shown)
                                         : TraceWrite(trace, brk, false, "=>Reg%c = %.2lXh", name, shown);
    if (stop)
        return;
    (index == kRegA ? m_regs.PA : m_regs.PB) = value;
    CallWrite(index, value);
}

void CParallelPort_I8255::WriteRegC(uint8_t value) {
    const bool trace = m_flags[kTraceWriteC];
    const bool brk = m_flags[kBreakWriteC];
    const long shown = value;
    const bool upperOut = m_regs.dirCH == 0;
    const bool lowerOut = m_regs.dirCL == 0;
    if (!upperOut && !lowerOut) {
        TraceRegisterRead(trace, brk, false, "=>RegC = %.2lXh (*)", shown);
        return;
    }
    const char* half = upperOut && lowerOut ? "" : (upperOut ? "h" : "l");
    const bool stop = m_write != nullptr ? TraceRegisterWrite(trace, brk, "=>RegC%s = %.2lXh", half, shown)
                                         : TraceWrite(trace, brk, false, "=>RegC%s = %.2lXh", half, shown);
    if (stop)
        return;
    if (upperOut)
        m_regs.PC = (m_regs.PC & ~kUpperCMask) | (value & kUpperCMask);
    if (lowerOut)
        m_regs.PC = (m_regs.PC & ~kLowerCMask) | (value & kLowerCMask);
    // The machine sees the whole port, input half included.
    CallWrite(kRegC, static_cast<uint8_t>(m_regs.PC));
}

uint8_t CParallelPort_I8255::ReadRegA(uint8_t quiet) {
    return ReadPort(kRegA, quiet);
}

uint8_t CParallelPort_I8255::ReadRegB(uint8_t quiet) {
    return ReadPort(kRegB, quiet);
}

uint8_t CParallelPort_I8255::ReadRegC(uint8_t quiet) {
    return ReadPort(kRegC, quiet);
}

uint8_t CParallelPort_I8255::ReadPort(uint32_t index, uint8_t quiet) {
    const uint32_t latch = index == kRegA ? m_regs.PA : (index == kRegB ? m_regs.PB : m_regs.PC);
    const bool input = index == kRegA ? m_regs.dirA != 0
                                      : (index == kRegB ? m_regs.dirB != 0 : m_regs.dirCH != 0 && m_regs.dirCL != 0);
    // "(*)" marks a port that drives its pins, wholly or in part.
    const char* mark = input ? " " : "(*)";
    const char name = static_cast<char>('A' + index);
    const bool trace = m_flags[FlagIndex(index, false, false)];
    const bool brk = m_flags[FlagIndex(index, false, true)];
    uint8_t value = static_cast<uint8_t>(latch);
    if (HasForeignRead()) {
        // With a break armed the peripheral is asked without side effects,
        // since the instruction may be repeated after the break.
        const uint8_t peripheralQuiet = brk ? 1 : quiet;
        if (m_read(m_context, LineOf(index), 1, &value, peripheralQuiet)) {
            TraceRegisterWrite(trace && quiet == 0, brk && quiet == 0, "<=Reg%c = %.2lXh %s", name,
                               static_cast<long>(value), mark);
            return value;
        }
        value = static_cast<uint8_t>(latch);
    }
    TraceRead(trace, brk, quiet != 0, "<=Reg%c = %.2lXh %s", name, static_cast<long>(value), mark);
    return value;
}

// --- Dispatchers ---------------------------------------------------------------------

bool CParallelPort_I8255::ReadPortCallback(void* context, uint32_t port, uint32_t size, uint8_t* value, uint8_t quiet) {
    if (size != 1 || context == nullptr || value == nullptr)
        return false;
    auto* self = static_cast<CParallelPort_I8255*>(static_cast<CDevice*>(context));
    const uint32_t index = ((port & 0xFF) - (static_cast<uint32_t>(self->m_basePort) & 0xFF)) & 3;
    switch (index) {
    case kRegA:
        *value = self->ReadRegA(quiet);
        break;
    case kRegB:
        *value = self->ReadRegB(quiet);
        break;
    case kRegC:
        *value = self->ReadRegC(quiet);
        break;
    default:
        *value = self->ReadCtrl(quiet);
        break;
    }
    return true;
}

bool CParallelPort_I8255::WritePortCallback(void* context, uint32_t port, uint32_t size, uint8_t* value) {
    if (size != 1 || context == nullptr || value == nullptr)
        return false;
    auto* self = static_cast<CParallelPort_I8255*>(static_cast<CDevice*>(context));
    const uint32_t index = ((port & 0xFF) - (static_cast<uint32_t>(self->m_basePort) & 0xFF)) & 3;
    switch (index) {
    case kRegA:
        self->WriteRegA(*value);
        break;
    case kRegB:
        self->WriteRegB(*value);
        break;
    case kRegC:
        self->WriteRegC(*value);
        break;
    default:
        self->WriteCtrl(*value);
        break;
    }
    return true;
}

// --- Life cycle and state ----------------------------------------------------------------

bool CParallelPort_I8255::Start(int32_t* value) {
    if (!CDevice::Start(value))
        return false;
    if (value != nullptr && *value < kMinimumBusRate)
        *value = kMinimumBusRate;
    m_regs = CRegisters();
    return true;
}

bool CParallelPort_I8255::SaveData(common::CStreamHolder& holder) {
    return CDevice::SaveData(holder) && holder.WriteUInt8Field(kVersion, common::CNarrowString("VER")) &&
           holder.WriteInt32Field(static_cast<int32_t>(m_regs.CW), common::CNarrowString("CTRL")) &&
           holder.WriteInt32Field(static_cast<int32_t>(m_regs.PA), common::CNarrowString("A")) &&
           holder.WriteInt32Field(static_cast<int32_t>(m_regs.PB), common::CNarrowString("B")) &&
           holder.WriteInt32Field(static_cast<int32_t>(m_regs.PC), common::CNarrowString("C"));
}

bool CParallelPort_I8255::LoadData(common::CStreamHolder& holder, common::CNarrowString* errorText) {
    if (!CDevice::LoadData(holder, errorText))
        return false;
    uint8_t version = 0xFF;
    if (!holder.ReadUInt8Field(version, common::CNarrowString("VER")) || version != kVersion)
        return false;
    // Each value is kept as soon as it is read; the directions follow the
    // control word at once, so a load cut short never leaves them behind it.
    int32_t field = 0;
    if (!holder.ReadInt32Field(field, common::CNarrowString("CTRL")))
        return false;
    m_regs.CW = static_cast<uint32_t>(field) & 0xFF;
    DecodeModeWord(m_regs.CW);
    if (!holder.ReadInt32Field(field, common::CNarrowString("A")))
        return false;
    m_regs.PA = static_cast<uint32_t>(field) & 0xFF;
    if (!holder.ReadInt32Field(field, common::CNarrowString("B")))
        return false;
    m_regs.PB = static_cast<uint32_t>(field) & 0xFF;
    if (!holder.ReadInt32Field(field, common::CNarrowString("C")))
        return false;
    m_regs.PC = static_cast<uint32_t>(field) & 0xFF;
    return true;
}

// --- Settings and menu -------------------------------------------------------------------

bool CParallelPort_I8255::CollectProperties(common::CSettingsRegistry* registry, bool enabledOnly) {
    if (registry != nullptr && !enabledOnly) {
        for (uint32_t i = 0; i < kFlagCount; ++i)
            registry->BindBool(common::CNarrowString(kFlagNames[i]), &m_flags[i]);
    }
    return CDevice::CollectProperties(registry, enabledOnly);
}

void CParallelPort_I8255::BuildMenu(COptionTree* menu, int32_t kind) {
    CDevice::BuildMenu(menu, kind);
    if (kind != kMenuDebug || menu == nullptr)
        return;
    auto byte = [this](uint32_t flag) { return reinterpret_cast<uint8_t*>(&m_flags[flag]); };

    // One sub-menu of four check items with "Select All" and "Clear All".
    auto addGroup = [&](const char* caption, const char* verb, bool write, bool brk) {
        common::COptionNode* group = menu->CreateChild(common::CNarrowString(caption));
        if (group == nullptr)
            return;
        for (uint32_t reg : kMenuRegisters) {
            common::CNarrowString text(verb);
            text.AppendFormat(" %s", kRegisterCaptions[reg]);
            if (common::COptionNode* item =
                    group->CreateCheckItem(text, byte(FlagIndex(reg, write, brk)), 1, nullptr, 0))
                group->AddCheckedWhenNode(item, true);
        }
        group->CreateUnnamedChild();
        common::COptionNode* all = group->CreateChild(common::CNarrowString("Select All"));
        common::COptionNode* none = group->CreateChild(common::CNarrowString("Clear All"));
        for (uint32_t reg : kMenuRegisters) {
            if (all != nullptr)
                all->AddActionSetByte(byte(FlagIndex(reg, write, brk)), 1);
            if (none != nullptr)
                none->AddActionSetByte(byte(FlagIndex(reg, write, brk)), 0);
        }
        menu->AddCheckedWhenNode(group, true);
    };
    // An action item setting every flag of one kind (or both kinds) to the value.
    auto addSetter = [&](const char* caption, int kinds, uint8_t value) {
        common::COptionNode* item = menu->CreateChild(common::CNarrowString(caption));
        if (item == nullptr)
            return;
        for (uint32_t flag = 0; flag < kFlagCount; ++flag) {
            const bool isBreak = (flag & 1) != 0;
            if (kinds == 2 || (kinds == 1) == isBreak)
                item->AddActionSetByte(byte(flag), value);
        }
    };

    addGroup("Trace Write Registers", "Write", true, false);
    addGroup("Trace Read Registers", "Read", false, false);
    addSetter("Trace All", 0, 1);
    menu->CreateUnnamedChild();
    addGroup("Break On Write Registers", "Write", true, true);
    addGroup("Break On Read Registers", "Read", false, true);
    addSetter("Break On All", 1, 1);
    menu->CreateUnnamedChild();
    addSetter("Select All", 2, 1);
    addSetter("Clear All", 2, 0);
}

} // namespace emu
