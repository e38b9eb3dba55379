#include "emu/chips/CDiskController_WD179X.h"

#include <atomic>
#include <cstring>

#include "emu/framework/CDeviceParameterList.h"
#include "emu/framework/CDiskDrive.h"
#include "emu/framework/CInterrupts.h"
#include "emu/framework/CMediaSlot.h"

namespace emu {

namespace {

// Evaluations out of every 16 that show a not-ready drive as BUSY.
constexpr uint32_t kBlinkBusyPhases = 7;

constexpr uint8_t kCommandTypeMask = 0xE0;
constexpr uint8_t kCommandReadSector = 0x80;
constexpr uint8_t kCommandWriteSector = 0xA0;
constexpr uint8_t kCommandStep = 0x20;
constexpr uint8_t kCommandStepIn = 0x40;
constexpr uint8_t kCommandStepOut = 0x60;
constexpr uint8_t kCommandGroupMask = 0xF0;
constexpr uint8_t kCommandRestore = 0x00;
constexpr uint8_t kCommandSeek = 0x10;
constexpr uint8_t kCommandForceInterrupt = 0xD0;
constexpr uint8_t kFlagMultiple = 0x10;
constexpr uint8_t kForceNow = 0x08;
constexpr int32_t kMaskBecameReady = 0x01;
constexpr int32_t kMaskBecameNotReady = 0x02;

constexpr uint8_t kDriveSelectMask = 0x0F;
constexpr uint8_t kDriveHead = 0x10;
constexpr uint8_t kDriveMotor = 0x20;

constexpr int32_t kPortsNarrow = 5;
constexpr int32_t kPortsWide = 7;

long AsLong(int64_t value) {
    return static_cast<long>(value);
}

// A register value as a cylinder; a negative one names no cylinder of any disk.
uint64_t CylinderOf(int64_t value) {
    return value >= 0 ? static_cast<uint64_t>(value) : UINT64_MAX;
}

CDiskController_WD179X* DeviceOf(void* context) {
    return static_cast<CDiskController_WD179X*>(static_cast<CDevice*>(context));
}

} // namespace

CDiskController_WD179X::CDiskController_WD179X()
    : m_interfaceMode(0), m_portBase(0), m_state(CommandState::Idle), m_selected(nullptr), m_blink(0) {
    std::memset(m_flags, 0, sizeof(m_flags));
    SetName("FDC WD179X");
    SetShortName("FDC");
    m_irqFlag = false;
    m_irqLine = 0;
}

CDiskController_WD179X::~CDiskController_WD179X() = default;

// --- Wiring -----------------------------------------------------------------------------

bool CDiskController_WD179X::ConnectIrq(int32_t line, bool declareArg, bool connected) {
    const bool removed = m_parameters->Remove("IRQ");
    if (!removed || line < 0)
        return removed;
    m_irqFlag = connected;
    m_irqLine = static_cast<uint64_t>(static_cast<int64_t>(line));
    return m_parameters->AddValue("IRQ", declareArg, &m_irqFlag, &m_irqLine);
}

bool CDiskController_WD179X::ConnectPorts(int32_t port) {
    const bool removed = m_parameters->Remove("PORTS");
    if (!removed || port < 0)
        return removed;
    m_portBase = port;
    if (m_interfaceMode == 2)
        return m_parameters->AddPortRange("PORTS", true, true, static_cast<uint64_t>(port), kPortsWide,
                                          ReadPortCallbackMode2, WritePortCallbackMode2);
    return m_parameters->AddPorts2("PORTS", true, true, static_cast<uint64_t>(port), kPortsNarrow, ReadPortCallback,
                                   WritePortCallback);
}

bool CDiskController_WD179X::SetInterfaceMode(int32_t mode) {
    if (IsStarted())
        return false;
    m_interfaceMode = mode;
    return true;
}

void CDiskController_WD179X::RaiseLine(bool raise) {
    if (m_irqFlag && m_interrupts != nullptr)
        m_interrupts->SetRequestLine(static_cast<uint32_t>(m_irqLine), raise);
}

void CDiskController_WD179X::ClearIrq() {
    RaiseLine(false);
    m_reg.WIRQ = false;
}

void CDiskController_WD179X::RaiseIrq() {
    RaiseLine(true);
    m_reg.WIRQ = true;
}

// --- Status ----------------------------------------------------------------------------

bool CDiskController_WD179X::IsSelectedDriveReady() const {
    if (m_selected == nullptr || !m_selected->IsEnabled() || !m_selected->IsSupported())
        return false;
    const CMediaSlot* slot = m_selected->GetMediaSlot();
    return slot != nullptr && slot->IsMounted();
}

bool CDiskController_WD179X::IsWriteProtected() const {
    return m_selected != nullptr && !m_selected->IsWritable();
}

uint8_t CDiskController_WD179X::ComputeStatus(bool quiet) {
    int32_t s = m_reg.STSR;
    if (!quiet)
        ClearIrq();
    switch (m_state) {
    case CommandState::Idle:
        if (m_interfaceMode == 1) {
            // The index pulse flips at every evaluation.
            s = (s & ~0x17) | kStatusHeadLoaded | ((s & kStatusIndex) ^ kStatusIndex);
        } else {
            s = (s & ~0x17) | kStatusHeadLoaded;
        }
        break;
    case CommandState::Reading:
    case CommandState::Writing:
        if (m_reg.SCTD == 1 && m_reg.BYTD == 0) {
            // The last byte has gone: the transfer ends here.
            if (!quiet) {
                m_state = CommandState::Idle;
                m_reg.STSR = 0;
            }
            return 0;
        }
        s = (s & ~0x34) | kStatusBusy | kStatusIndex;
        break;
    case CommandState::Handshake:
        if ((s & kStatusBusy) == 0) {
            s = (s & ~0x26) | kStatusBusy;
        } else {
            s = (s & ~0x07) | kStatusHeadLoaded;
            if (!quiet) {
                m_state = CommandState::Idle;
                if (m_interfaceMode == 2)
                    RaiseIrq();
            }
        }
        if (m_reg.TRKR == 0)
            s |= kStatusTrack0;
        if (m_reg.SECR == 1)
            s |= kStatusIndex;
        break;
    }
    const int32_t t = s & ~(kStatusNotReady | kStatusFailed);
    int32_t v = t;
    if (!IsSelectedDriveReady()) {
        const uint32_t phase = m_blink.load(std::memory_order_relaxed) & 15;
        v = phase < kBlinkBusyPhases ? t | kStatusBusy | kStatusNotReady : (t & ~kStatusBusy) | kStatusNotReady;
        if (!quiet)
            m_blink.fetch_add(1, std::memory_order_relaxed);
    }
    v &= ~kStatusWriteProtect;
    // A Write Sector refused by a write-protected disk shows why until the
    // next command.
    if (m_state == CommandState::Idle && (m_reg.CMDR & kCommandTypeMask) == kCommandWriteSector &&
        IsSelectedDriveReady() && IsWriteProtected())
        v |= kStatusWriteProtect;
    if (!quiet)
        m_reg.STSR = v;
    return static_cast<uint8_t>(v);
}

uint8_t CDiskController_WD179X::ReadStatus(bool quiet, bool silent) {
    if (!silent && !quiet && TraceBreak(m_flags[kBreakRead][kRegCommand], "<=STATUS"))
        return static_cast<uint8_t>(m_reg.STSR);
    const uint8_t v = ComputeStatus(quiet);
    if (!silent)
        TraceStatus(m_flags[kTraceRead][kRegCommand], quiet, "<=STATUS = %.2lXh (%s)", AsLong(v),
                    (v & kStatusBusy) != 0 ? "exec cmd" : "ready to cmd");
    return v;
}

bool CDiskController_WD179X::IsBusyOrNotReady() {
    return (ComputeStatus(false) & kStatusBusy) != 0 || (ComputeStatus(false) & kStatusNotReady) != 0;
}

void CDiskController_WD179X::SetSlotAccess(CDiskDrive* drive) {
    CMediaSlot* slot = drive != nullptr ? drive->GetMediaSlot() : nullptr;
    if (slot != nullptr)
        slot->SetInUse(true);
}

// --- Commands --------------------------------------------------------------------------

int32_t CDiskController_WD179X::PrepareTransfer(uint8_t command) {
    const int32_t sectors = static_cast<int32_t>(m_selected->GetSectors());
    int32_t count = (command & kFlagMultiple) != 0 ? sectors - m_reg.SECR + 1 : 1;
    // A SECTOR beyond the track (a smaller disk since) still transfers one
    // sector instead of leaving the command busy for ever.
    if (count < 1)
        count = 1;
    m_reg.SCTD = count;
    m_reg.BYTD = static_cast<int32_t>(m_selected->GetSectorSize());
    // Every transfer starts at the first byte of the sector, also when the
    // same sector was read or written just before.
    m_selected->SetSector(m_selected->GetSector());
    SetSlotAccess(m_selected);
    return count;
}

bool CDiskController_WD179X::ExecuteTypeOne(uint8_t v) {
    const bool trace = m_flags[kTraceWrite][kRegCommand];
    if ((v & kCommandGroupMask) == kCommandRestore) {
        TraceStatus(trace, false, "=>COMMAND = %.2lXh (Seek to zero track)", AsLong(v));
        if (!m_selected->SetCylinder(0))
            return false;
        m_reg.TSTP = -1;
        m_reg.TRKR = 0;
        return true;
    }
    if ((v & kCommandGroupMask) == kCommandSeek) {
        TraceStatus(trace, false, "=>COMMAND = %.2lXh (Seek to track %ld)", AsLong(v), AsLong(m_reg.DATR));
        if (!m_selected->SetCylinder(CylinderOf(m_reg.DATR)))
            return false;
        m_reg.TSTP = m_reg.DATR >= m_reg.TRKR ? 1 : -1;
        m_reg.TRKR = m_reg.DATR;
        return true;
    }
    const uint8_t type = v & kCommandTypeMask;
    if (type == kCommandStep) {
        const int32_t direction = m_reg.TSTP;
        TraceStatus(trace, false, "=>COMMAND = %.2lXh (Seek to current track %c%ld)", AsLong(v),
                    direction >= 0 ? '+' : '-', AsLong(direction >= 0 ? direction : -direction));
        const int64_t target = static_cast<int64_t>(m_reg.TRKR) + direction;
        if (target < 0 || !m_selected->SetCylinder(CylinderOf(target)))
            return false;
        m_reg.TRKR = static_cast<int32_t>(target);
        return true;
    }
    if (type == kCommandStepIn) {
        TraceStatus(trace, false, "=>COMMAND = %.2lXh (Seek to current track +1)", AsLong(v));
        if (!m_selected->SetCylinder(CylinderOf(static_cast<int64_t>(m_reg.TRKR) + 1)))
            return false;
        m_reg.TSTP = 1;
        m_reg.TRKR += 1;
        return true;
    }
    // Step Out
    TraceStatus(trace, false, "=>COMMAND = %.2lXh (Seek to current track -1)", AsLong(v));
    if (m_reg.TRKR <= 0 || !m_selected->SetCylinder(CylinderOf(static_cast<int64_t>(m_reg.TRKR) - 1)))
        return false;
    m_reg.TSTP = -1;
    m_reg.TRKR -= 1;
    return true;
}

void CDiskController_WD179X::WriteCommand(uint8_t v) {
    if (TraceBreak(m_flags[kBreakWrite][kRegCommand], "=>COMMAND = %.2lXh", AsLong(v)))
        return;
    const bool trace = m_flags[kTraceWrite][kRegCommand];
    ClearIrq();
    if (m_selected == nullptr || IsBusyOrNotReady()) {
        TraceStatus(trace, false, "=>COMMAND = %.2lXh (unready, ignored)", AsLong(v));
        return;
    }
    m_reg.CMDR = v;
    const uint8_t type = v & kCommandTypeMask;
    if (type == kCommandReadSector) {
        const int32_t count = PrepareTransfer(v);
        TraceStatus(trace, false, "=>COMMAND = %.2lXh (Read %ld sectors from sector=%ld)", AsLong(v), AsLong(count),
                    AsLong(static_cast<int64_t>(m_selected->GetSector()) + 1));
        m_state = CommandState::Reading;
        return;
    }
    if (type == kCommandWriteSector) {
        if (IsWriteProtected()) {
            // The chip ends a write to a protected disk at once; the status
            // then shows write protect instead of waiting for bytes for ever.
            TraceStatus(trace, false, "=>COMMAND = %.2lXh (Write protected, ignored)", AsLong(v));
            m_state = CommandState::Idle;
            SetSlotAccess(m_selected);
            if (m_interfaceMode == 2)
                RaiseIrq();
            return;
        }
        const int32_t count = PrepareTransfer(v);
        TraceStatus(trace, false, "=>COMMAND = %.2lXh (Write %ld sectors)", AsLong(v), AsLong(count));
        m_state = CommandState::Writing;
        return;
    }
    const uint8_t group = v & kCommandGroupMask;
    if (group == kCommandRestore || group == kCommandSeek || type == kCommandStep || type == kCommandStepIn ||
        type == kCommandStepOut) {
        m_state = CommandState::Handshake;
        if (ExecuteTypeOne(v))
            m_reg.STSR &= ~kStatusBusy;
        else
            m_reg.STSR = kStatusSeekError;
        return;
    }
    if (group == kCommandForceInterrupt) {
        TraceStatus(trace, false, "=>COMMAND = %.2lXh (Set interrupt mask=%ld%s)", AsLong(v), AsLong(v & 7),
                    (v & kForceNow) != 0 ? ", raise IRQ now" : "");
        m_reg.IMSK = v & 0x0F;
        if ((v & kForceNow) != 0) {
            RaiseLine(true);
            m_reg.IMSK &= ~kForceNow;
            m_reg.WIRQ = true;
        }
        return;
    }
    TraceStatus(trace, false, "=>COMMAND = %.2lXh (unknown command, ignored)", AsLong(v));
}

// --- TRACK and SECTOR ------------------------------------------------------------------

void CDiskController_WD179X::WriteTrack(uint8_t v) {
    if (TraceWrite(m_flags[kTraceWrite][kRegTrack], m_flags[kBreakWrite][kRegTrack], false,
                   "=>TRACK = %.2lXh (track=%ld)", AsLong(v), AsLong(v)))
        return;
    if (m_selected == nullptr) {
        m_reg.TRKR = v;
        return;
    }
    if (IsBusyOrNotReady())
        return;
    if (m_selected->SetCylinder(v)) {
        m_reg.TSTP = v >= m_reg.TRKR ? 1 : -1;
        m_reg.TRKR = v;
    } else {
        m_reg.STSR = kStatusSeekError;
    }
}

uint8_t CDiskController_WD179X::ReadTrack(bool quiet) {
    const uint8_t value = static_cast<uint8_t>(m_reg.TRKR);
    TraceRead(m_flags[kTraceRead][kRegTrack], m_flags[kBreakRead][kRegTrack], quiet, "<=TRACK = %.2lXh (track %ld)",
              AsLong(value), AsLong(m_reg.TRKR));
    return value;
}

void CDiskController_WD179X::WriteSector(uint8_t v) {
    if (TraceWrite(m_flags[kTraceWrite][kRegSector], m_flags[kBreakWrite][kRegSector], false,
                   "=>SECTOR = %.2lXh (sector=%ld)", AsLong(v), AsLong(v)))
        return;
    if (m_selected == nullptr) {
        m_reg.SECR = v;
        return;
    }
    if (IsBusyOrNotReady())
        return;
    if (v != 0 && m_selected->SetSector(static_cast<uint64_t>(v - 1)))
        m_reg.SECR = v;
    else
        m_reg.STSR = kStatusSeekError;
}

uint8_t CDiskController_WD179X::ReadSector(bool quiet) {
    const uint8_t value = static_cast<uint8_t>(m_reg.SECR);
    TraceRead(m_flags[kTraceRead][kRegSector], m_flags[kBreakRead][kRegSector], quiet, "<=SECTOR = %.2lXh (sector %ld)",
              AsLong(value), AsLong(m_reg.SECR));
    return value;
}

// --- DATA ------------------------------------------------------------------------------

void CDiskController_WD179X::AdvanceTransfer() {
    if (m_reg.BYTD != 0)
        return;
    m_reg.SCTD -= 1;
    m_reg.BYTD = static_cast<int32_t>(m_selected->GetSectorSize());
    // A multi-sector command never leaves the track.
    if (m_reg.SECR < static_cast<int32_t>(m_selected->GetSectors())) {
        m_reg.SECR += 1;
        m_selected->NextSector();
        SetSlotAccess(m_selected);
    }
}

void CDiskController_WD179X::WriteData(uint8_t v) {
    const bool trace = m_flags[kTraceWrite][kRegData];
    const bool brk = m_flags[kBreakWrite][kRegData];
    if (m_selected == nullptr || (ComputeStatus(false) & kStatusNotReady) != 0) {
        TraceWrite(trace, brk, false, "=>DATA = %.2lXh (not ready, ignored)", AsLong(v));
        return;
    }
    if (m_state != CommandState::Writing) {
        if (!TraceWrite(trace, brk, false, "=>DATA = %.2lXh (1/1, buffer)", AsLong(v)))
            m_reg.DATR = v;
        return;
    }
    const int32_t size = static_cast<int32_t>(m_selected->GetSectorSize());
    const int32_t number = m_reg.BYTD == 0 ? size : size - m_reg.BYTD + 1;
    if (IsTraceActive(trace, brk) &&
        TraceWrite(trace, brk, false, "=>DATA = %.2lXh (%ld/%ld, head=%ld, track=%ld, sector=%ld,)", AsLong(v),
                   AsLong(number), AsLong(size), AsLong(static_cast<int64_t>(m_selected->GetHead())),
                   AsLong(static_cast<int64_t>(m_selected->GetCylinder())),
                   AsLong(static_cast<int64_t>(m_selected->GetSector()) + 1)))
        return;
    if (m_reg.SCTD == 1 && m_reg.BYTD == 1)
        m_state = CommandState::Idle; // the last byte
    else
        AdvanceTransfer();
    if (m_reg.SCTD <= 0)
        return;
    if (m_selected->WriteByte(v, -1) == 1)
        m_reg.BYTD -= 1;
}

uint8_t CDiskController_WD179X::ReadData(bool quiet) {
    const bool trace = m_flags[kTraceRead][kRegData];
    if (!quiet && TraceBreak(m_flags[kBreakRead][kRegData], "<=DATA (todo=%ld bytes)", AsLong(m_reg.BYTD)))
        return 0;
    if (m_selected == nullptr || (ComputeStatus(quiet) & kStatusNotReady) != 0 ||
        (ComputeStatus(quiet) & kStatusNotReady) != 0 || m_state == CommandState::Idle) {
        TraceStatus(trace, quiet, "<=DATA = %.2lXh (ignored)", AsLong(0));
        return 0;
    }
    if (m_state != CommandState::Reading) {
        const uint8_t value = static_cast<uint8_t>(m_reg.DATR);
        TraceStatus(trace, quiet, "<=DATA = %.2lXh (1/1, buffer)", AsLong(value));
        return value;
    }
    if (quiet)
        return 0;
    if (m_reg.SCTD == 1 && m_reg.BYTD == 1) {
        m_state = CommandState::Idle; // the last byte
        if (m_interfaceMode == 2)
            RaiseIrq();
    } else {
        AdvanceTransfer();
    }
    uint8_t value = 0;
    if (m_reg.SCTD > 0) {
        if (m_selected->ReadByte(&value, -1) == 1)
            m_reg.BYTD -= 1;
        else
            value = 0;
    }
    TraceStatus(trace, false, "<=DATA = %.2lXh (todo=%ld bytes)", AsLong(value), AsLong(m_reg.BYTD));
    return value;
}

// --- DRIVE -----------------------------------------------------------------------------

void CDiskController_WD179X::SelectDrive(int32_t index, int32_t head) {
    CDiskDrive* drive = GetDrive(index);
    if (drive != nullptr) {
        SetSlotAccess(drive);
        if (!drive->IsReady()) {
            drive->NoteAskedWhileNotReady();
            drive = nullptr;
        }
    }
    m_reg.HIDX = head;
    const uint64_t headIndex = static_cast<uint64_t>(head);
    if (drive != nullptr && (drive != m_selected || m_interfaceMode == 2)) {
        m_selected = drive;
        m_reg.TRKR = 0;
        m_reg.SECR = 1;
        if (drive->SetPosition(0, headIndex, 0)) {
            m_reg.STSR &= ~kStatusBusy;
            m_state = CommandState::Handshake;
        } else {
            m_reg.STSR |= kStatusFailed;
        }
        CheckDriveInterrupts();
        return;
    }
    if (drive != nullptr || m_interfaceMode != 2) {
        if (m_selected != nullptr && !m_selected->SetHead(headIndex))
            m_reg.STSR = kStatusSeekError;
        return;
    }
    m_selected = nullptr;
    m_reg.TRKR = 0;
    m_reg.SECR = 1;
    m_reg.STSR |= kStatusFailed;
    CheckDriveInterrupts();
}

void CDiskController_WD179X::WriteDrive(uint8_t v) {
    int32_t index = -1;
    for (int32_t bit = 0; bit < 4; ++bit) {
        if ((v & (1u << bit)) != 0) {
            index = bit;
            break;
        }
    }
    const int32_t head = (v & kDriveHead) != 0 ? 1 : 0;
    const char* motor = (v & kDriveMotor) != 0 ? "on" : "off";
    const bool trace = m_flags[kTraceWrite][kRegDrive];
    const bool brk = m_flags[kBreakWrite][kRegDrive];
    const bool stop = index >= 0 ? TraceWrite(trace, brk, false, "=>DRIVE = %.2lXh (%s%ld, head=%ld, motor=%s)",
                                              AsLong(v), "drive=", AsLong(index), AsLong(head), motor)
                                 : TraceWrite(trace, brk, false, "=>DRIVE = %.2lXh (%s%ld, head=%ld, motor=%s)",
                                              AsLong(v), "drives ", AsLong(v & kDriveSelectMask), AsLong(head), motor);
    if (stop)
        return;
    m_reg.DRVR = v;
    m_state = CommandState::Idle;
    SelectDrive(index, head);
}

void CDiskController_WD179X::WriteDriveMode1(uint8_t v) {
    const int32_t index = v & 1;
    const int32_t head = (v & 0x04) != 0 ? 0 : 1;
    if (TraceWrite(m_flags[kTraceWrite][kRegDrive], m_flags[kBreakWrite][kRegDrive], false,
                   "=>DRIVE = %.2lXh (drive=%ld, head=%ld, motor=on)", AsLong(v), AsLong(index), AsLong(head)))
        return;
    m_reg.DRVR = v;
    m_state = CommandState::Idle;
    SelectDrive(index, head);
}

void CDiskController_WD179X::WriteDriveMode2(uint8_t v) {
    const int32_t index = (v & 0x01) != 0 ? 0 : (v & 0x02) != 0 ? 1 : -1;
    const int32_t head = (v & kDriveHead) != 0 ? 1 : 0;
    const bool trace = m_flags[kTraceWrite][kRegDrive];
    const bool brk = m_flags[kBreakWrite][kRegDrive];
    const bool stop = index >= 0 ? TraceWrite(trace, brk, false, "=>DRIVE = %.2lXh (%s%ld, head=%ld)", AsLong(v),
                                              "drive=", AsLong(index), AsLong(head))
                                 : TraceWrite(trace, brk, false, "=>DRIVE = %.2lXh (%s%ld, head=%ld)", AsLong(v),
                                              "drives ", AsLong(v & 3), AsLong(head));
    if (stop)
        return;
    m_reg.DRVR = v;
    m_state = CommandState::Idle;
    SelectDrive(index, head);
}

void CDiskController_WD179X::WriteDriveExternal(uint8_t v) {
    if (m_interfaceMode == 1)
        WriteDriveMode1(v);
    else if (m_interfaceMode == 2)
        WriteDriveMode2(v);
    else
        WriteDrive(v);
}

uint8_t CDiskController_WD179X::ReadDrive(bool quiet) {
    const uint8_t value = static_cast<uint8_t>(m_reg.DRVR);
    TraceRead(m_flags[kTraceRead][kRegDrive], m_flags[kBreakRead][kRegDrive], quiet,
              "<=DRIVE = %.2lXh (drives %ld, head=%ld, motor=%s)", AsLong(value), AsLong(value & kDriveSelectMask),
              AsLong((value & kDriveHead) != 0 ? 1 : 0), (value & kDriveMotor) != 0 ? "on" : "off");
    return value;
}

uint8_t CDiskController_WD179X::ReadIrqStatus(bool quiet, uint8_t* status) {
    // A data byte waiting for the reader counts as an interrupt.
    if (!quiet && m_state == CommandState::Reading && (m_reg.SCTD > 0 || m_reg.BYTD > 0))
        RaiseIrq();
    uint8_t value = 0;
    const char* text = "no IRQ";
    if (!m_reg.WIRQ)
        ComputeStatus(quiet);
    if (m_reg.WIRQ) {
        value = m_state == CommandState::Reading ? 1 : 0;
        text = "active IRQ";
    }
    if (TraceRead(m_flags[kTraceRead][kRegDrive], m_flags[kBreakRead][kRegDrive], quiet, "<=IRQSTS = %.2lXh (%s)",
                  AsLong(value), text))
        return value;
    if (status != nullptr)
        *status = m_reg.WIRQ ? 0 : 1;
    m_reg.WIRQ = false;
    return value;
}

// --- Interrupts and media --------------------------------------------------------------

void CDiskController_WD179X::CheckDriveInterrupts() {
    CheckDriveInterruptsEx(false);
}

void CDiskController_WD179X::CheckDriveInterruptsEx(bool force) {
    if (force) {
        RaiseIrq();
        return;
    }
    const bool ready = IsSelectedDriveReady();
    const int32_t bit = ready ? kMaskBecameReady : kMaskBecameNotReady;
    if ((m_reg.IMSK & bit) == 0)
        return;
    RaiseLine(true);
    m_reg.IMSK &= ~bit;
    m_reg.WIRQ = true;
}

void CDiskController_WD179X::RestoreHeadPosition() {
    // Without a medium there is nothing to place; the registers wait for the next one.
    if (m_selected == nullptr || !m_selected->IsReady())
        return;
    const uint64_t sector = m_reg.SECR > 0 ? static_cast<uint64_t>(m_reg.SECR - 1) : 0;
    if (m_selected->SetPosition(CylinderOf(m_reg.TRKR), CylinderOf(m_reg.HIDX), sector))
        return;
    // The new medium has no such place: the head and the registers meet at
    // the start, as after a selection.
    m_reg.TRKR = 0;
    m_reg.SECR = 1;
}

void CDiskController_WD179X::OnMediaChanged(int32_t drive) {
    if (GetDrive(drive) != m_selected)
        return;
    // A drive that examines a new medium starts at cylinder 0; the head of
    // the selected drive stays where TRACK says, so that the next access
    // without a seek does not land on another track of the new disk.
    RestoreHeadPosition();
    m_reg.STSR |= kStatusFailed;
    m_state = CommandState::Idle;
    RaiseIrq();
}

// --- Ports -----------------------------------------------------------------------------

bool CDiskController_WD179X::ReadPortCallback(void* context, uint32_t port, uint32_t size, uint8_t* value,
                                              uint8_t flag) {
    CDiskController_WD179X* self = DeviceOf(context);
    if (self == nullptr || size != 1)
        return false;
    const bool quiet = flag != 0;
    switch ((port - static_cast<uint32_t>(self->m_portBase)) & 7) {
    case 0:
        *value = self->ReadData(quiet);
        return true;
    case 1:
        *value = self->ReadSector(quiet);
        return true;
    case 2:
        *value = self->ReadTrack(quiet);
        return true;
    case 3:
        *value = self->ReadStatus(quiet, false);
        return true;
    case 4:
        *value = self->ReadDrive(quiet);
        return true;
    default:
        return false;
    }
}

bool CDiskController_WD179X::WritePortCallback(void* context, uint32_t port, uint32_t size, uint8_t* value) {
    CDiskController_WD179X* self = DeviceOf(context);
    if (self == nullptr || size != 1)
        return false;
    switch ((port - static_cast<uint32_t>(self->m_portBase)) & 7) {
    case 0:
        self->WriteData(*value);
        return true;
    case 1:
        self->WriteSector(*value);
        return true;
    case 2:
        self->WriteTrack(*value);
        return true;
    case 3:
        self->WriteCommand(*value);
        return true;
    case 4:
        self->WriteDriveExternal(*value);
        return true;
    default:
        return false;
    }
}

bool CDiskController_WD179X::ReadPortCallbackMode2(void* context, uint32_t port, uint32_t size, uint8_t* value,
                                                   uint8_t flag, uint8_t* status) {
    CDiskController_WD179X* self = DeviceOf(context);
    if (self == nullptr || size != 1)
        return false;
    const bool quiet = flag != 0;
    switch ((port - static_cast<uint32_t>(self->m_portBase)) & 7) {
    case 0:
        *value = self->ReadStatus(quiet, false);
        return true;
    case 1:
        *value = self->ReadTrack(quiet);
        return true;
    case 2:
        *value = self->ReadSector(quiet);
        return true;
    case 3:
        *value = self->ReadData(quiet);
        return true;
    case 4:
        *value = self->ReadIrqStatus(quiet, status);
        return true;
    case 6:
        *value = 1;
        return true;
    default:
        return false;
    }
}

bool CDiskController_WD179X::WritePortCallbackMode2(void* context, uint32_t port, uint32_t size, uint8_t* value) {
    CDiskController_WD179X* self = DeviceOf(context);
    if (self == nullptr || size != 1)
        return false;
    switch ((port - static_cast<uint32_t>(self->m_portBase)) & 7) {
    case 0:
        self->WriteCommand(*value);
        return true;
    case 1:
        self->WriteTrack(*value);
        return true;
    case 2:
        self->WriteSector(*value);
        return true;
    case 3:
        self->WriteData(*value);
        return true;
    case 4:
        self->WriteDriveExternal(*value);
        return true;
    case 6:
        return true;
    default:
        return false;
    }
}

} // namespace emu
