#include "emu/chips/CInterruptController_I8259.h"

#include "common/CNarrowString.h"
#include "common/CStreamHolder.h"
#include "emu/framework/CDeviceParameterList.h"
#include "emu/framework/CProcessorInterface.h"

namespace emu {

namespace {

constexpr uint8_t kStateVersion = 0;
constexpr uint32_t kLineMask = 7;
constexpr uint32_t kByteMask = 0xFF;

// ICW1 bits.
constexpr uint32_t kIcw1NeedIcw4 = 0x01;
constexpr uint32_t kIcw1Single = 0x02;
constexpr uint32_t kIcw1Interval4 = 0x04;
constexpr uint32_t kIcw1Address4 = 0xE0; // A7-A5 of the call address, interval 4
constexpr uint32_t kIcw1Address8 = 0xC0; // A7-A6, interval 8 (A5 comes from the line)
// ICW2 bits that form the x86 vector base.
constexpr uint32_t kIcw2VectorBase = 0xF8;
// ICW4 bits.
constexpr uint32_t kIcw4AutoEoi = 0x02;
// The "ICWF" bits of the words still expected.
constexpr uint32_t kExpectIcw2 = 0x01;
constexpr uint32_t kExpectIcw3 = 0x02;
constexpr uint32_t kExpectIcw4 = 0x04;
// Mode flags (WMD).
constexpr uint32_t kModeAutorotate = 0x01;
constexpr uint32_t kModeAutoEoi = 0x02;
constexpr uint32_t kModeSpecialMask = 0x04;
constexpr uint32_t kModePoll = 0x08;
constexpr uint32_t kModeMask = 0x0F;
// Port 0 decoding: bits 4-3 of the value.
constexpr uint8_t kWordSelect = 0x18;
constexpr uint8_t kSelectOcw2 = 0x00;
constexpr uint8_t kSelectOcw3 = 0x08;
// OCW2 commands (value & F8h).
constexpr uint8_t kOcw2CommandMask = 0xF8;
constexpr uint8_t kOcw2AutorotateOff = 0x00;
constexpr uint8_t kOcw2Eoi = 0x20;
constexpr uint8_t kOcw2SpecificEoi = 0x60;
constexpr uint8_t kOcw2AutorotateOn = 0x80;
constexpr uint8_t kOcw2EoiRotate = 0xA0;
constexpr uint8_t kOcw2SetPriority = 0xC0;
constexpr uint8_t kOcw2SpecificEoiPriority = 0xE0;
// OCW3 bits.
constexpr uint8_t kOcw3ReadRegister = 0x02;
constexpr uint8_t kOcw3Poll = 0x04;
constexpr uint8_t kOcw3SetSpecialMask = 0x40;
constexpr uint8_t kOcw3SpecialMask = 0x20;
// PRM values.
constexpr uint32_t kReadIRR = 2;
constexpr uint32_t kReadISR = 3;
// A poll byte with a request.
constexpr uint8_t kPollRequest = 0x80;
// The processor kind whose ICW2 is a vector base.
constexpr int32_t kKindX86 = 1;

uint32_t Bit(uint32_t line) {
    return 1u << line;
}

bool WriteField(common::CStreamHolder& holder, const char* name, uint32_t value) {
    return holder.WriteInt32Field(static_cast<int32_t>(value), common::CNarrowString(name));
}

bool ReadField(common::CStreamHolder& holder, const char* name, uint32_t& target) {
    int32_t value = 0;
    if (!holder.ReadInt32Field(value, common::CNarrowString(name)))
        return false;
    target = static_cast<uint32_t>(value);
    return true;
}

common::CNarrowString CountName(int32_t line) {
    common::CNarrowString name;
    name.Format("IRR%.1ld", static_cast<long>(line));
    return name;
}

const char* Ocw2Detail(uint8_t command) {
    switch (command) {
    case kOcw2AutorotateOff:
        return " (disable autorotate priority mode)";
    case kOcw2Eoi:
        return " (finish hi-priority interrupt and set priority)";
    case kOcw2SpecificEoi:
        return " (finish specified interrupt)";
    case kOcw2AutorotateOn:
        return " (enable autorotate priority mode)";
    case kOcw2EoiRotate:
        return " (finish hi-priority interrupt and rotate priority)";
    case kOcw2SetPriority:
        return " (set priority)";
    case kOcw2SpecificEoiPriority:
        return " (finish specified interrupt and set priority)";
    default:
        return "";
    }
}

} // namespace

CInterruptController_I8259::CInterruptController_I8259()
    : m_traceReadPorts0(false), m_traceReadPorts1(false), m_breakReadPorts0(false), m_breakReadPorts1(false),
      m_traceWritePorts0(false), m_traceWritePorts1(false), m_breakWritePorts0(false), m_breakWritePorts1(false),
      m_traceRaiseIRQ(), m_breakRaiseIRQ(), m_traceProcessIRQ(), m_breakProcessIRQ(), m_traceWriteICW(),
      m_breakWriteICW(), m_traceWriteOCW(), m_breakWriteOCW(), m_traceReadIMR(false), m_breakReadIMR(false),
      m_traceReadIRR(false), m_breakReadIRR(false), m_traceReadISR(false), m_breakReadISR(false), m_lineBase(0) {
    SetName("PIC I8259");
    SetShortName("PIC");
}

CInterruptController_I8259::~CInterruptController_I8259() {}

bool CInterruptController_I8259::ValidateProperties(bool /*enabledOnly*/) {
    return true;
}

// --- Life cycle and state ----------------------------------------------------------------

bool CInterruptController_I8259::Start(int32_t* value) {
    if (!CInterruptController::Start(value))
        return false;
    m_regs = Registers();
    return true;
}

uint32_t CInterruptController_I8259::GetICWF() const {
    const uint32_t icw4 = (m_regs.ICW1 & kIcw1NeedIcw4) != 0 ? kExpectIcw4 : 0;
    switch (m_regs.init) {
    case InitStep::Icw2:
        return kExpectIcw2 | ((m_regs.ICW1 & kIcw1Single) != 0 ? 0 : kExpectIcw3) | icw4;
    case InitStep::Icw3:
        return kExpectIcw3 | icw4;
    case InitStep::Icw4:
        return kExpectIcw4;
    case InitStep::Ready:
        break;
    }
    return 0;
}

bool CInterruptController_I8259::SaveData(common::CStreamHolder& holder) {
    if (!CInterruptController::SaveData(holder) ||
        !holder.WriteUInt8Field(kStateVersion, common::CNarrowString("VER")) ||
        !WriteField(holder, "IRR", m_regs.IRR) || !WriteField(holder, "ISR", m_regs.ISR) ||
        !WriteField(holder, "IMR", m_regs.IMR))
        return false;
    for (int32_t n = 0; n < kLines; ++n) {
        if (!holder.WriteInt32Field(m_regs.count[n], CountName(n)))
            return false;
    }
    return WriteField(holder, "ICW1", m_regs.ICW1) && WriteField(holder, "ICW2", m_regs.ICW2) &&
           WriteField(holder, "ICW3", m_regs.ICW3) && WriteField(holder, "ICW4", m_regs.ICW4) &&
           WriteField(holder, "ICWF", GetICWF()) && WriteField(holder, "OCW1", m_regs.OCW1) &&
           WriteField(holder, "OCW2", m_regs.OCW2) && WriteField(holder, "OCW3", m_regs.OCW3) &&
           WriteField(holder, "MPI", m_regs.MPI) && WriteField(holder, "IVI", m_regs.IVI) &&
           WriteField(holder, "PRM", m_regs.PRM) && WriteField(holder, "WMD", m_regs.WMD);
}

bool CInterruptController_I8259::LoadData(common::CStreamHolder& holder, common::CNarrowString* errorText) {
    if (!CInterruptController::LoadData(holder, errorText))
        return false;
    uint8_t version = 0xFF;
    if (!holder.ReadUInt8Field(version, common::CNarrowString("VER")) || version != kStateVersion)
        return false;
    // Each field is stored as soon as it is read; a load that breaks off keeps them.
    bool complete = ReadField(holder, "IRR", m_regs.IRR) && ReadField(holder, "ISR", m_regs.ISR) &&
                    ReadField(holder, "IMR", m_regs.IMR);
    for (int32_t n = 0; complete && n < kLines; ++n)
        complete = holder.ReadInt32Field(m_regs.count[n], CountName(n));
    uint32_t expected = GetICWF();
    complete = complete && ReadField(holder, "ICW1", m_regs.ICW1) && ReadField(holder, "ICW2", m_regs.ICW2) &&
               ReadField(holder, "ICW3", m_regs.ICW3) && ReadField(holder, "ICW4", m_regs.ICW4) &&
               ReadField(holder, "ICWF", expected);
    if (complete) {
        // The lowest word still expected comes next.
        m_regs.init = (expected & kExpectIcw2) != 0   ? InitStep::Icw2
                      : (expected & kExpectIcw3) != 0 ? InitStep::Icw3
                      : (expected & kExpectIcw4) != 0 ? InitStep::Icw4
                                                      : InitStep::Ready;
    }
    complete = complete && ReadField(holder, "OCW1", m_regs.OCW1) && ReadField(holder, "OCW2", m_regs.OCW2) &&
               ReadField(holder, "OCW3", m_regs.OCW3) && ReadField(holder, "MPI", m_regs.MPI) &&
               ReadField(holder, "IVI", m_regs.IVI) && ReadField(holder, "PRM", m_regs.PRM) &&
               ReadField(holder, "WMD", m_regs.WMD);
    RederiveState();
    return complete;
}

void CInterruptController_I8259::RederiveState() {
    // A request count is 0 or 1 (a second raise is refused), and IRR shows
    // exactly the latched requests: a file that disagrees must not leave a
    // request that no acknowledge can ever clear.
    m_regs.IRR = 0;
    for (int32_t n = 0; n < kLines; ++n) {
        if (m_regs.count[n] < 0)
            m_regs.count[n] = 0;
        if (m_regs.count[n] > 1)
            m_regs.count[n] = 1;
        if (m_regs.count[n] != 0)
            m_regs.IRR |= Bit(static_cast<uint32_t>(n));
    }
    m_regs.ISR &= kByteMask;
    m_regs.IMR &= kByteMask;
    m_regs.MPI &= kLineMask;
    m_regs.IVI = m_regs.ICW2 & kIcw2VectorBase;
    m_regs.WMD &= kModeMask;
}

// --- Requests and acknowledge ------------------------------------------------------------

bool CInterruptController_I8259::SetRequestLine(uint32_t line, bool raise) {
    const uint32_t n = line & kLineMask;
    int32_t& count = m_regs.count[n];
    if (!raise) {
        if (count <= 0)
            return false;
        ConsumeRequest(n);
        return true;
    }
    // A request is latched once; a second raise before it is consumed is refused.
    if (count > 0)
        return false;
    ++count;
    m_regs.IRR |= Bit(n);
    const uint32_t vector = IsX86Mode() ? m_regs.IVI + n : n;
    TraceInterrupt(m_traceRaiseIRQ[n], m_breakRaiseIRQ[n], "Raise IRQ_%ld (vector %.2lXh, count %ld)",
                   static_cast<long>(m_lineBase + static_cast<int32_t>(n)), static_cast<long>(vector),
                   static_cast<long>(count));
    return true;
}

void CInterruptController_I8259::ConsumeRequest(uint32_t line) {
    int32_t& count = m_regs.count[line];
    if (count > 0)
        --count;
    if (count <= 0) {
        count = 0;
        m_regs.IRR &= ~Bit(line);
    }
}

bool CInterruptController_I8259::IsRequestPending(int32_t line) {
    if (line < 0)
        return m_regs.IRR != 0;
    return (m_regs.IRR & Bit(static_cast<uint32_t>(line) & kLineMask)) != 0;
}

bool CInterruptController_I8259::IsIrqPending(int32_t line) {
    return IsRequestPending(line);
}

bool CInterruptController_I8259::FindHighestInService(uint32_t& line) const {
    for (uint32_t i = 0; i < static_cast<uint32_t>(kLines); ++i) {
        const uint32_t n = (m_regs.MPI + i) & kLineMask;
        if ((m_regs.ISR & Bit(n)) != 0) {
            line = n;
            return true;
        }
    }
    return false;
}

bool CInterruptController_I8259::FindHighestRequest(uint32_t excludedLines, uint32_t& line) const {
    const uint32_t candidates = m_regs.IRR & ~(m_regs.ISR | m_regs.IMR | excludedLines) & kByteMask;
    if (candidates == 0 || m_regs.init != InitStep::Ready || (m_regs.WMD & kModePoll) != 0)
        return false;
    uint32_t found = 0;
    for (uint32_t i = 0;; ++i) {
        if (i == static_cast<uint32_t>(kLines))
            return false;
        found = (m_regs.MPI + i) & kLineMask;
        if ((candidates & Bit(found)) != 0)
            break;
    }
    // A line in service blocks every request of equal or lower priority,
    // unless special mask mode lets the others through.
    uint32_t inService = 0;
    if ((m_regs.WMD & kModeSpecialMask) == 0 && FindHighestInService(inService) &&
        GetPriorityRank(found) >= GetPriorityRank(inService))
        return false;
    line = found;
    return true;
}

void CInterruptController_I8259::GetVectorAndAddress(uint32_t line, int32_t& vector, int32_t& address) const {
    if (IsX86Mode()) {
        vector = static_cast<int32_t>(m_regs.IVI + line);
        address = vector * 4;
        return;
    }
    vector = static_cast<int32_t>(line);
    const uint32_t page = (m_regs.ICW2 & kByteMask) << 8;
    if ((m_regs.ICW1 & kIcw1Interval4) != 0)
        address = static_cast<int32_t>(page + (m_regs.ICW1 & kIcw1Address4) + line * 4);
    else
        address = static_cast<int32_t>(page + (m_regs.ICW1 & kIcw1Address8) + line * 8);
}

bool CInterruptController_I8259::Acknowledge(bool commit, int32_t* line, int32_t* vector, int32_t* address) {
    return AcknowledgeExcept(0, commit, line, vector, address);
}

bool CInterruptController_I8259::AcknowledgeExcept(uint32_t excludedLines, bool commit, int32_t* line, int32_t* vector,
                                                   int32_t* address) {
    uint32_t found = 0;
    if (m_regs.IRR == 0 || !FindHighestRequest(excludedLines, found))
        return false;
    int32_t foundVector = 0;
    int32_t foundAddress = 0;
    GetVectorAndAddress(found, foundVector, foundAddress);
    if (line != nullptr)
        *line = static_cast<int32_t>(found);
    if (vector != nullptr)
        *vector = foundVector;
    if (address != nullptr)
        *address = foundAddress;
    if (!commit)
        return true;
    ConsumeRequest(found);
    if ((m_regs.WMD & kModeAutoEoi) == 0)
        m_regs.ISR |= Bit(found);
    else if ((m_regs.WMD & kModeAutorotate) != 0)
        m_regs.MPI = (found + 1) & kLineMask; // the line just served becomes the lowest
    TraceInterrupt(m_traceProcessIRQ[found], m_breakProcessIRQ[found],
                   "Process IRQ_%ld (vector %.2lXh, address=%.4lXh, pending %ld)",
                   static_cast<long>(m_lineBase + static_cast<int32_t>(found)), static_cast<long>(foundVector),
                   static_cast<long>(foundAddress), static_cast<long>(m_regs.count[found]));
    return true;
}

// --- Ports ------------------------------------------------------------------------------

void CInterruptController_I8259::WritePort0(uint8_t value) {
    switch (value & kWordSelect) {
    case kSelectOcw2:
        WriteOcw2(value, false);
        break;
    case kSelectOcw3:
        WriteOcw3(value);
        break;
    default:
        WriteIcw1(value);
        break;
    }
}

void CInterruptController_I8259::WritePort1(uint8_t value) {
    switch (m_regs.init) {
    case InitStep::Ready:
        WriteOcw1(value);
        break;
    case InitStep::Icw2:
        WriteIcw2(value);
        break;
    case InitStep::Icw3:
        WriteIcw3(value);
        break;
    case InitStep::Icw4:
        WriteIcw4(value);
        break;
    }
}

CInterruptController_I8259::InitStep CInterruptController_I8259::StepAfter(InitStep step) const {
    const bool icw4 = (m_regs.ICW1 & kIcw1NeedIcw4) != 0;
    switch (step) {
    case InitStep::Icw2:
        if ((m_regs.ICW1 & kIcw1Single) == 0)
            return InitStep::Icw3;
        return icw4 ? InitStep::Icw4 : InitStep::Ready;
    case InitStep::Icw3:
        return icw4 ? InitStep::Icw4 : InitStep::Ready;
    case InitStep::Icw4:
    case InitStep::Ready:
        break;
    }
    return InitStep::Ready;
}

void CInterruptController_I8259::WriteIcw1(uint8_t value) {
    if (TraceWrite(m_traceWritePorts0 || m_traceWriteICW[0], m_breakWritePorts0 || m_breakWriteICW[0], false,
                   "=>Port0 = ICW1 = %.2lXh (start init, reset)", static_cast<long>(value)))
        return;
    for (int32_t& count : m_regs.count)
        count = 0;
    m_regs.ICW1 = value;
    m_regs.IRR = 0;
    m_regs.ISR = 0;
    m_regs.IMR = 0;
    m_regs.IVI = 0;
    m_regs.WMD = 0;
    m_regs.MPI = 0;
    m_regs.ICW2 = 0;
    m_regs.PRM = kReadIRR;
    if ((value & kIcw1Single) == 0)
        m_regs.ICW3 = 0;
    // Every ICW4 function starts off; without an ICW4 they stay off (8080 mode, no AutoEOI).
    m_regs.ICW4 = 0;
    m_regs.init = InitStep::Icw2;
}

void CInterruptController_I8259::WriteIcw2(uint8_t value) {
    const bool trace = m_traceWritePorts1 || m_traceWriteICW[1];
    const bool brk = m_breakWritePorts1 || m_breakWriteICW[1];
    const char* meaning = "interrupt table MSB";
    if (IsTraceActive(trace, brk)) {
        CProcessorInterface* processor = m_machine->GetMainProcessor();
        if (processor != nullptr && processor->GetKindCode() == kKindX86)
            meaning = "IRQ base index";
    }
    if (TraceWrite(trace, brk, false, "=>Port1 = ICW2 = %.2lXh (%s)", static_cast<long>(value), meaning))
        return;
    m_regs.ICW2 = value;
    m_regs.IVI = value & kIcw2VectorBase;
    if (m_regs.init == InitStep::Icw2)
        m_regs.init = StepAfter(InitStep::Icw2);
}

void CInterruptController_I8259::WriteIcw3(uint8_t value) {
    if (TraceWrite(m_traceWritePorts1 || m_traceWriteICW[2], m_breakWritePorts1 || m_breakWriteICW[2], false,
                   "=>Port1 = ICW3 = %.2lXh (cascading)", static_cast<long>(value)))
        return;
    // Stored only: a cascade's wiring is fixed by the pair that builds it.
    m_regs.ICW3 = value;
    if (m_regs.init == InitStep::Icw3)
        m_regs.init = StepAfter(InitStep::Icw3);
}

void CInterruptController_I8259::WriteIcw4(uint8_t value) {
    if (TraceWrite(m_traceWritePorts1 || m_traceWriteICW[3], m_breakWritePorts1 || m_breakWriteICW[3], false,
                   "=>Port1 = ICW4 = %.2lXh (%s,%s etc.)", static_cast<long>(value),
                   (value & kIcw4X86Mode) != 0 ? "x86" : "i8080",
                   (value & kIcw4AutoEoi) != 0 ? "enable AutoEOI" : "disable AutoEOI"))
        return;
    // The buffering and nesting bits are stored only.
    m_regs.ICW4 = value;
    m_regs.WMD = (m_regs.WMD & ~kModeAutoEoi) | (value & kIcw4AutoEoi);
    if (m_regs.init == InitStep::Icw4)
        m_regs.init = InitStep::Ready;
}

void CInterruptController_I8259::WriteOcw1(uint8_t value) {
    if (TraceWrite(m_traceWritePorts1 || m_traceWriteOCW[0], m_breakWritePorts1 || m_breakWriteOCW[0], false,
                   "=>Port1 = OCW1 = %.2lXh (IMR interrupt mask)", static_cast<long>(value)))
        return;
    m_regs.IMR = value;
    m_regs.OCW1 = value;
}

void CInterruptController_I8259::WriteOcw2(uint8_t value, bool quiet) {
    const uint8_t command = value & kOcw2CommandMask;
    if (TraceWrite(m_traceWritePorts0 || m_traceWriteOCW[1], m_breakWritePorts0 || m_breakWriteOCW[1], quiet,
                   "=>Port0 = OCW2 = %.2lXh%s", static_cast<long>(value), Ocw2Detail(command)))
        return;
    m_regs.OCW2 = value;
    const uint32_t line = value & kLineMask;
    const bool autorotate = (m_regs.WMD & kModeAutorotate) != 0;
    uint32_t inService = 0;
    switch (command) {
    case kOcw2AutorotateOff:
        m_regs.WMD &= ~kModeAutorotate;
        break;
    case kOcw2Eoi:
        m_regs.WMD &= ~kModePoll;
        if (FindHighestInService(inService)) {
            m_regs.ISR &= ~Bit(inService);
            if (autorotate)
                m_regs.MPI = (inService + 1) & kLineMask;
        }
        break;
    case kOcw2SpecificEoi:
        m_regs.ISR &= ~Bit(line);
        if (autorotate)
            m_regs.MPI = (line + 1) & kLineMask;
        break;
    case kOcw2AutorotateOn:
        m_regs.WMD |= kModeAutorotate;
        break;
    case kOcw2EoiRotate:
        // The line just finished becomes the lowest priority; with nothing in
        // service there is nothing to finish and the priority stays.
        m_regs.WMD &= ~kModePoll;
        if (FindHighestInService(inService)) {
            m_regs.ISR &= ~Bit(inService);
            m_regs.MPI = (inService + 1) & kLineMask;
        }
        break;
    case kOcw2SetPriority:
        m_regs.MPI = (line + 1) & kLineMask;
        break;
    case kOcw2SpecificEoiPriority:
        m_regs.ISR &= ~Bit(line);
        m_regs.MPI = (line + 1) & kLineMask;
        break;
    default:
        break;
    }
}

void CInterruptController_I8259::WriteOcw3(uint8_t value) {
    const uint32_t low = value & kLineMask;
    const char* detail = "";
    if ((low & kOcw3Poll) != 0)
        detail = " (enable polling mode)";
    else if ((low & kOcw3ReadRegister) != 0)
        detail = " (set port0 read mode)";
    if (TraceWrite(m_traceWritePorts0 || m_traceWriteOCW[2], m_breakWritePorts0 || m_breakWriteOCW[2], false,
                   "=>Port0 = OCW3 = %.2lXh%s", static_cast<long>(value), detail))
        return;
    m_regs.OCW3 = value;
    if ((low & kOcw3Poll) != 0)
        m_regs.WMD |= kModePoll;
    else if ((low & kOcw3ReadRegister) != 0)
        m_regs.PRM = low;
    if ((value & kOcw3SetSpecialMask) != 0)
        m_regs.WMD = (m_regs.WMD & ~kModeSpecialMask) | ((value & kOcw3SpecialMask) != 0 ? kModeSpecialMask : 0);
}

uint8_t CInterruptController_I8259::ReadPort1(bool quiet) {
    TraceRead(m_traceReadPorts1 || m_traceReadIMR, m_breakReadPorts1 || m_breakReadIMR, quiet,
              "<=Port1 = IMR = %.2lXh (interrupt mask register)", static_cast<long>(m_regs.IMR & kByteMask));
    return static_cast<uint8_t>(m_regs.IMR);
}

uint8_t CInterruptController_I8259::ReadPort0(bool quiet) {
    if ((m_regs.WMD & kModePoll) == 0) {
        switch (m_regs.PRM) {
        case kReadIRR:
            TraceRead(m_traceReadPorts0 || m_traceReadIRR, m_breakReadPorts0 || m_breakReadIRR, quiet,
                      "<=Port0 = IRR = %.2lXh (interrupt request register)", static_cast<long>(m_regs.IRR & kByteMask));
            return static_cast<uint8_t>(m_regs.IRR);
        case kReadISR:
            TraceRead(m_traceReadPorts0 || m_traceReadISR, m_breakReadPorts0 || m_breakReadISR, quiet,
                      "<=Port0 = ISR = %.2lXh (interrupt service register)", static_cast<long>(m_regs.ISR & kByteMask));
            return static_cast<uint8_t>(m_regs.ISR);
        default:
            TraceRead(m_traceReadPorts0 || m_traceReadIRR, m_breakReadPorts0 || m_breakReadIRR, quiet,
                      "<=Port0 = %.2lXh", 0L);
            return 0;
        }
    }
    // A poll read: the best request as an acknowledge would find it once the
    // poll is no longer pending (a quiet look leaves it pending, so finds none).
    if (!quiet)
        m_regs.WMD &= ~kModePoll;
    uint32_t line = 0;
    if (!FindHighestRequest(0, line)) {
        if (TraceRead(m_traceReadPorts0, m_breakReadPorts0, quiet, "<=Port0 = %.2lXh (Polling)", 0L))
            m_regs.WMD |= kModePoll; // the repeated read polls again
        return 0;
    }
    const uint8_t result = static_cast<uint8_t>(kPollRequest | line);
    if (TraceRead(m_traceReadPorts0, m_breakReadPorts0, quiet, "<=Port0 = %.2lXh (Polling, IRR[%d]=off)",
                  static_cast<long>(result), static_cast<int>(line))) {
        m_regs.WMD |= kModePoll;
        return result;
    }
    if (!quiet) {
        // The poll takes the request and finishes it at once: the polled line
        // leaves IRR, nothing else in service is touched, and autorotate makes
        // the polled line the lowest priority.
        ConsumeRequest(line);
        m_regs.ISR &= ~Bit(line);
        if ((m_regs.WMD & kModeAutorotate) != 0)
            m_regs.MPI = (line + 1) & kLineMask;
    }
    return result;
}

bool CInterruptController_I8259::ReadPortCallback(void* context, uint32_t port, uint32_t size, uint8_t* value,
                                                  uint8_t quiet) {
    if (size != 1 || context == nullptr || value == nullptr)
        return false;
    auto* self = static_cast<CInterruptController_I8259*>(static_cast<CDevice*>(context));
    *value = (port & 1) != 0 ? self->ReadPort1(quiet != 0) : self->ReadPort0(quiet != 0);
    return true;
}

bool CInterruptController_I8259::WritePortCallback(void* context, uint32_t port, uint32_t size, uint8_t* value) {
    if (size != 1 || context == nullptr || value == nullptr)
        return false;
    auto* self = static_cast<CInterruptController_I8259*>(static_cast<CDevice*>(context));
    if ((port & 1) != 0)
        self->WritePort1(*value);
    else
        self->WritePort0(*value);
    return true;
}

void CInterruptController_I8259::ConnectPorts(int32_t port) {
    if (!m_parameters->Remove(kPortsParameter) || port < 0)
        return;
    m_parameters->AddPorts2(kPortsParameter, true, true, static_cast<uint64_t>(port), 2, ReadPortCallback,
                            WritePortCallback);
}

} // namespace emu
