#include "emu/chips/CTimerChannel_I8253.h"

#include <cmath>
#include <limits>

#include "emu/framework/CDeviceParameterList.h"
#include "emu/framework/CInterrupts.h"

namespace emu {

namespace {

const char* const kModeNames[CTimerChannel_I8253::kModes] = {"terminal counting",
                                                             "waiting multivibrator",
                                                             "impulse frequency generator",
                                                             "square wave generator",
                                                             "software strobe",
                                                             "hardware strobe",
                                                             "unknown",
                                                             "unknown"};

// A description field the situation leaves as it was.
const double kKeep = std::numeric_limits<double>::quiet_NaN();

constexpr uint16_t kZeroCount = 0xFFFF;    // what a binary count of 0 loads
constexpr uint16_t kBcdZeroCount = 0x9999; // what a decimal count of 0 loads (before conversion)

uint16_t FromBcd(uint16_t value) {
    uint16_t result = 0;
    uint16_t scale = 1;
    for (int i = 0; i < 4; ++i) {
        uint16_t digit = (value >> (4 * i)) & 0xF;
        if (digit > 9)
            digit = (digit + 6) & 0xF;
        result = static_cast<uint16_t>(result + digit * scale);
        scale = static_cast<uint16_t>(scale * 10);
    }
    return result;
}

uint16_t ToBcd(uint16_t value) {
    uint16_t result = 0;
    for (int i = 0; i < 4; ++i) {
        result = static_cast<uint16_t>(result | ((value % 10) << (4 * i)));
        value = static_cast<uint16_t>(value / 10);
    }
    return result;
}

// A whole count from ceil(x), kept within 0 .. limit (NaN counts as 0).
uint16_t ClampCount(double x, uint16_t limit) {
    if (!(x > 0.0))
        return 0;
    if (x >= limit)
        return limit;
    return static_cast<uint16_t>(x);
}

// Periods below this times any count multiply to an exact double.
constexpr double kExactPeriods = 68719476736.0; // 2^36
// A quotient below (1 - 2^-50) x (n + 1) cannot round up to n + 1.
constexpr double kBelowOne = 1.0 - 1.0 / 1125899906842624.0;

// The whole periods gone by; huge or undefined values are capped.
int64_t WholePeriods(double p) {
    constexpr double kCap = 4.0e18;
    if (!(p > 0.0))
        return 0;
    if (p >= kCap)
        return static_cast<int64_t>(kCap);
    return static_cast<int64_t>(p); // truncation is the floor of a positive value, without a library call
}

} // namespace

CTimerChannel_I8253::CTimerChannel_I8253()
    : m_channelIndex(-1), m_irqLine(0), m_irqConnected(false), m_connectedIrq(-1), m_dmaLine(0), m_dmaConnected(false),
      m_raisedIrqCount(0), m_soundGeneration(false), m_soundBuffer(nullptr), m_soundBufferSamples(0),
      m_firstSampleValue(0), m_secondSampleValue(0), m_blockFrequency(0), m_positionRate(0),
      m_positionBlockFrequency(0), m_ticksPerBlock(0), m_positionTick(0), m_position(0), m_reciprocalCount(0),
      m_reciprocal(0.0), m_SNDH(0), m_SNDL(0), m_SNDR(0), m_slots(nullptr), m_slotsValid(false), m_SNDX(false),
      m_generator(&CTimerChannel_I8253::GenerateSilence), m_keepWaveformOnSameCount(false), m_clock(0) {}

CTimerChannel_I8253::~CTimerChannel_I8253() {
    FreeSlots();
}

const char* CTimerChannel_I8253::GetModeName(int mode) {
    return mode >= 0 && mode < kModes ? kModeNames[mode] : kModeNames[kModes - 1];
}

// --- Time base and update -----------------------------------------------------------------

double CTimerChannel_I8253::GetNow() const {
    int64_t cycles = 0;
    if (m_machine != nullptr)
        m_machine->GetBaseCycleCount(&cycles);
    return static_cast<double>(cycles);
}

void CTimerChannel_I8253::Rebase(uint64_t frequency, double time) {
    // The running count is taken again under the new time base: the start is
    // put a whole count cycle back so that every mode retakes it at once.
    m_regs.BFRO = frequency;
    m_regs.STTM = time - m_regs.CETM;
    m_regs.RSTA |= kNullCount;
    m_regs.CRU = 0;
    m_regs.BFRQ = static_cast<uint32_t>(frequency);
    m_regs.SGNL = false;
}

void CTimerChannel_I8253::CheckBaseFrequency() {
    int64_t frequency = 0;
    if (m_machine != nullptr)
        m_machine->GetBaseFrequency(&frequency);
    if (static_cast<uint64_t>(frequency) != m_regs.BFRO)
        Rebase(static_cast<uint64_t>(frequency), 0.0);
}

void CTimerChannel_I8253::SetBaseFrequency(uint64_t frequency, int64_t time, bool update) {
    if (update)
        Update();
    Rebase(frequency, static_cast<double>(time));
}

void CTimerChannel_I8253::Update() {
    // CheckBaseFrequency and GetNow in one query of the machine.
    int64_t frequency = 0;
    int64_t cycles = 0;
    if (m_machine != nullptr)
        m_machine->GetBaseTime(&frequency, &cycles);
    if (static_cast<uint64_t>(frequency) != m_regs.BFRO)
        Rebase(static_cast<uint64_t>(frequency), 0.0);
    uint16_t count = m_regs.CE;
    uint64_t toggles = 0;
    const bool level = (this->*m_generator)(static_cast<double>(cycles), count, toggles);
    m_regs.CE = count;
    if (m_regs.ZCR)
        m_regs.ZCR = count == kZeroCount;
    ApplyOutput(level, toggles);
}

void CTimerChannel_I8253::AddEdges(uint64_t edges) {
    const uint64_t room = std::numeric_limits<uint32_t>::max() - m_regs.INTC;
    m_regs.INTC += static_cast<uint32_t>(edges < room ? edges : room);
}

void CTimerChannel_I8253::ApplyOutput(bool level, uint64_t toggles) {
    if (toggles > 0) {
        // Every other flip rises, the first one when the output is low.
        const uint64_t rising = m_regs.SGNL ? toggles / 2 : (toggles + 1) / 2;
        if (m_regs.OUTP)
            AddEdges(rising);
        if ((toggles & 1) != 0)
            m_regs.SGNL = !m_regs.SGNL;
        m_regs.SWCH = true;
    }
    if (level != m_regs.SGNL) {
        if (level && m_regs.OUTP)
            AddEdges(1);
        m_regs.SGNL = level;
        m_regs.SWCH = true;
    }
}

void CTimerChannel_I8253::SetOutput(bool level) {
    ApplyOutput(level, 0);
}

void CTimerChannel_I8253::RaiseInterrupts() {
    if (!m_irqConnected) {
        m_regs.INTC = 0;
        return;
    }
    uint32_t raised = 0;
    while (m_regs.INTC > 0) {
        if (m_interrupts == nullptr || !m_interrupts->SetRequestLine(static_cast<uint32_t>(m_irqLine), true)) {
            // A controller that refuses must not let the backlog grow without end.
            if (m_regs.INTC > 1)
                m_regs.INTC /= 2;
            break;
        }
        --m_regs.INTC;
        ++raised;
        ++m_raisedIrqCount;
    }
    if (raised > 0)
        TraceInterrupt(m_flags.TraceRaiseIRQ, m_flags.BreakRaiseIRQ, "Raised IRQ%ld (%ld times)",
                       static_cast<long>(m_irqLine), static_cast<long>(raised));
}

// --- Registers --------------------------------------------------------------------------------

uint16_t CTimerChannel_I8253::GetReadValue(uint16_t count) const {
    return IsBcd() ? ToBcd(count) : count;
}

void CTimerChannel_I8253::LatchCount() {
    m_regs.OL = m_regs.ZCR && m_regs.CE == kZeroCount ? 0 : m_regs.CE;
    m_regs.LTCH = true;
    m_regs.DRDS = GetReadLoad();
}

void CTimerChannel_I8253::LatchStatus() {
    // The I8254 layout: OUT, null count, then RL, M and BCD of the current
    // control word. RSTA keeps its waiting-count bit for the modes.
    m_regs.LSTA = static_cast<uint8_t>((m_regs.SGNL ? kStatusOutput : 0) | (m_regs.RSTA & kNullCount) |
                                       (m_regs.CWR & kStatusControlMask));
    m_regs.statusLatched = true;
    m_regs.LTCH = true;
}

void CTimerChannel_I8253::SelectGenerator() {
    switch (GetMode()) {
    case 0:
        m_generator = &CTimerChannel_I8253::GenerateSamplesMode0;
        break;
    case 1:
        m_generator = &CTimerChannel_I8253::GenerateSamplesMode1;
        break;
    case 2:
    case 6:
        m_generator = &CTimerChannel_I8253::GenerateSamplesMode2;
        break;
    case 3:
    case 7:
        m_generator = &CTimerChannel_I8253::GenerateSamplesMode3;
        break;
    case 4:
        m_generator = &CTimerChannel_I8253::GenerateSamplesMode4;
        break;
    default:
        m_generator = &CTimerChannel_I8253::GenerateSamplesMode5;
        break;
    }
}

uint8_t CTimerChannel_I8253::WriteMode(uint8_t controlWord) {
    Update();
    const long index = m_channelIndex;
    const unsigned long word = controlWord;
    if ((controlWord & kSelectMask) == kReadBack) {
        // A latch waiting to be read keeps every later latch command out.
        if (!m_regs.LTCH) {
            Update();
            if ((controlWord & kReadBackNoCount) == 0)
                LatchCount();
            else {
                m_regs.DRDS = ReadState::Idle;
                m_regs.statusLatched = false;
            }
            if ((controlWord & kReadBackNoStatus) == 0)
                LatchStatus();
        }
        TraceState(m_flags.TraceWriteMODE, m_flags.BreakWriteMODE, false,
                   "=>MODE[%ld] = %.2lXh (latch counter or state)", index, word);
        return 0;
    }
    if ((controlWord & kReadLoadMask) == 0) {
        if (!m_regs.LTCH) {
            Update();
            LatchCount();
        }
        TraceState(m_flags.TraceWriteMODE, m_flags.BreakWriteMODE, false, "=>MODE[%ld] = %.2lXh (latch counter)", index,
                   word);
        return 0;
    }

    // A mode word stops the counter until a count is written.
    m_regs.CWR = controlWord;
    m_regs.CRU = m_regs.CE = m_regs.CR = 0;
    m_regs.RSTA |= kNullCount;
    m_regs.ZCR = m_regs.LTCH = false;
    m_regs.DWRS = WriteState::Idle;
    m_regs.DRDS = ReadState::Idle;
    m_regs.statusLatched = false;
    m_regs.STTM = GetNow();
    m_regs.LGAT = m_regs.INPT;
    m_regs.CETM = 0.0;
    m_regs.CEFF = 0;
    m_regs.MNOD = true;
    m_wave.CECO = false;
    const int mode = GetMode();
    SelectGenerator();
    if (mode == 0)
        m_regs.SGNL = false; // no edge: the output just goes low
    else if (mode != 3 && mode != 7)
        ApplyOutput(true, 0);
    TraceState(m_flags.TraceWriteMODE || m_flags.TraceModes[mode], m_flags.BreakWriteMODE || m_flags.BreakModes[mode],
               false, "=>MODE[%ld] = %.2lXh (set mode %ld \"%s\")", index, word, static_cast<long>(mode),
               kModeNames[mode]);
    Update();
    m_regs.SWCH = false;
    return 1;
}

void CTimerChannel_I8253::WriteData(uint8_t value) {
    Update();
    if (m_regs.DWRS == WriteState::Idle)
        m_regs.DWRS = GetWriteLoad();
    const long index = m_channelIndex;
    const unsigned long byte = value;
    const char* text = "unknown";
    bool loaded = true;
    switch (m_regs.DWRS) {
    case WriteState::LsbOnly:
        m_regs.CR = value;
        text = "counter value=LSB, MSB=0";
        break;
    case WriteState::MsbOnly:
        m_regs.CR = static_cast<uint16_t>(value << 8);
        text = "counter value=MSB, LSB=0";
        break;
    case WriteState::LsbThenMsb:
        m_regs.CRT = value;
        m_regs.DWRS = WriteState::MsbAwaited;
        TraceState(m_flags.TraceWriteDATA, m_flags.BreakWriteDATA, false, "=>DATA[%ld] = %.2lXh (%s)", index, byte,
                   "counter value LSB, need MSB");
        Update();
        return;
    case WriteState::MsbAwaited:
        m_regs.CR = static_cast<uint16_t>(m_regs.CRT | (value << 8));
        text = "counter value=MSB and previous LSB";
        break;
    default: // a channel never set to a mode
        m_regs.DWRS = WriteState::Idle;
        loaded = false;
        break;
    }
    if (loaded) {
        if (m_regs.CR == 0) {
            // 0 stands for the largest count: 65536 binary, 10000 decimal,
            // one short of each so that it fits the 16-bit count.
            if (IsBcd())
                m_regs.CR = kBcdZeroCount;
            else {
                m_regs.CR = kZeroCount;
                m_regs.ZCR = true;
            }
        }
        m_regs.RSTA |= kNullCount;
        m_regs.DWRS = WriteState::Idle;
        m_regs.MNOD = false;
        if (IsBcd())
            m_regs.CR = FromBcd(m_regs.CR);
    }
    m_regs.CE = m_regs.CR;
    TraceState(m_flags.TraceWriteDATA, m_flags.BreakWriteDATA, false, "=>DATA[%ld] = %.2lXh (%s, CR=CE=%ld)", index,
               byte, text, static_cast<long>(m_regs.CE));
    Update();
}

uint8_t CTimerChannel_I8253::ReadData(bool peek) {
    const long index = m_channelIndex;
    const bool trace = m_flags.TraceReadDATA;
    const bool brk = m_flags.BreakReadDATA;
    if (m_regs.LTCH) {
        // A break or a peek leaves the latch as it is.
        if (m_regs.statusLatched) {
            const uint8_t value = m_regs.LSTA;
            const bool more = m_regs.DRDS != ReadState::Idle;
            if (TraceRead(trace, brk, peek, "<=DATA[%ld] = %ld (latch state, %s latch)", index,
                          static_cast<long>(value), more ? "continue" : "stop") ||
                peek)
                return value;
            Update();
            m_regs.statusLatched = false;
            m_regs.LTCH = more;
            return value;
        }
        const uint16_t latched = GetReadValue(m_regs.OL);
        uint8_t value = 0;
        const char* text = "unknown, stop latch";
        ReadState next = ReadState::Idle;
        switch (m_regs.DRDS) {
        case ReadState::Lsb:
            value = static_cast<uint8_t>(latched);
            text = "latched data LSB, stop latch";
            break;
        case ReadState::Msb:
            value = static_cast<uint8_t>(latched >> 8);
            text = "latched data MSB, stop latch";
            break;
        case ReadState::LsbThenMsb:
            value = static_cast<uint8_t>(latched);
            text = "latched data LSB, need MSB";
            next = ReadState::Msb;
            break;
        default:
            break;
        }
        if (TraceRead(trace, brk, peek, "<=DATA[%ld] = %ld (%s)", index, static_cast<long>(value), text) || peek)
            return value;
        Update();
        m_regs.DRDS = next;
        m_regs.LTCH = next != ReadState::Idle;
        return value;
    }

    const ReadState state = m_regs.DRDS != ReadState::Idle ? m_regs.DRDS : GetReadLoad();
    if (!peek)
        Update();
    const uint16_t count = GetReadValue(m_regs.ZCR && m_regs.CE == kZeroCount ? 0 : m_regs.CE);
    switch (state) {
    case ReadState::Lsb:
    case ReadState::LsbThenMsb: {
        const uint8_t value = static_cast<uint8_t>(count);
        const bool first = state == ReadState::LsbThenMsb;
        TraceState(trace, brk, peek, "<=DATA[%ld] = %ld (%s)", index, static_cast<long>(value),
                   first ? "counter value LSB, need MSB" : "counter value LSB");
        if (!peek)
            m_regs.DRDS = first ? ReadState::Msb : ReadState::Idle;
        return value;
    }
    case ReadState::Msb: {
        const uint8_t value = static_cast<uint8_t>(count >> 8);
        TraceState(trace, brk, peek, "<=DATA[%ld] = %ld (counter value MSB)", index, static_cast<long>(value));
        if (!peek)
            m_regs.DRDS = ReadState::Idle;
        return value;
    }
    default:
        if (TraceRead(trace, brk, peek, "<=DATA[%ld] = %ld (unknown)", index, 0L) || peek)
            return 0;
        Update();
        m_regs.DRDS = ReadState::Idle;
        return 0;
    }
}

void CTimerChannel_I8253::WriteGate(bool level) {
    Update();
    if (level == m_regs.INPT)
        return;
    m_regs.LGAT = m_regs.INPT;
    m_regs.INPT = level;
    const int mode = GetMode();
    if (!level && (mode == 2 || mode == 6)) {
        // The count in use is dropped; a rising gate starts the period again.
        m_regs.CRU = 0;
        ApplyOutput(true, 0);
    }
    // A rising gate triggers modes 1 and 5 now rather than at the next tick.
    Update();
}

void CTimerChannel_I8253::SetSoundEnabled(bool enable, uint8_t stopRequest, uint8_t peek) {
    if (enable != m_regs.OUTP) {
        const bool trace = enable ? m_flags.TraceEnableSOUND : m_flags.TraceDisableSOUND;
        const bool brk = enable ? m_flags.BreakEnableSOUND : m_flags.BreakDisableSOUND;
        if (TraceOutput(trace, brk, stopRequest != 0, peek != 0, "=>SOUND[%ld] = %s", static_cast<long>(m_channelIndex),
                        enable ? "Enabled" : "Disabled"))
            return;
    }
    Update();
    m_regs.OUTP = enable;
}

// --- Declared resources -----------------------------------------------------------------------

bool CTimerChannel_I8253::ConnectIrq(int32_t line) {
    if (!m_parameters->Remove("IRQ"))
        return false;
    m_connectedIrq = -1;
    if (line < 0)
        return true;
    m_irqLine = static_cast<uint64_t>(line);
    m_irqConnected = true;
    if (!m_parameters->AddValue("IRQ", true, &m_irqConnected, &m_irqLine))
        return false;
    m_connectedIrq = line;
    return true;
}

bool CTimerChannel_I8253::ConnectDataPort(int32_t port) {
    if (!m_parameters->Remove("DATA"))
        return false;
    if (port < 0)
        return true;
    return m_parameters->AddPorts2("DATA", true, true, static_cast<uint64_t>(port), 1, OnDataRead, OnDataWrite);
}

bool CTimerChannel_I8253::ConnectDma(int32_t line) {
    if (!m_parameters->Remove("DMA"))
        return false;
    if (line < 0)
        return true;
    m_dmaLine = static_cast<uint64_t>(line);
    m_dmaConnected = true;
    return m_parameters->AddValue2("DMA", true, &m_dmaConnected, &m_dmaLine, nullptr);
}

bool CTimerChannel_I8253::OnDataRead(void* context, uint32_t /*port*/, uint32_t size, uint8_t* value, uint8_t flag) {
    if (size != 1)
        return false;
    *value = static_cast<CTimerChannel_I8253*>(static_cast<CDevice*>(context))->ReadData(flag != 0);
    return true;
}

bool CTimerChannel_I8253::OnDataWrite(void* context, uint32_t /*port*/, uint32_t size, uint8_t* value) {
    if (size != 1)
        return false;
    static_cast<CTimerChannel_I8253*>(static_cast<CDevice*>(context))->WriteData(*value);
    return true;
}

// --- Mode functions ---------------------------------------------------------------------------

void CTimerChannel_I8253::Describe(bool level, double high, double low, double highNext, double lowNext, Square square,
                                   bool always) {
    const bool squareOn = square == Square::On;
    if (!always) {
        // A situation that lasts is described once, when it begins.
        const bool same = m_wave.CES == level && (std::isnan(high) || m_wave.CEH == high) &&
                          (std::isnan(low) || m_wave.CEL == low) && (std::isnan(highNext) || m_wave.CEHX == highNext) &&
                          (std::isnan(lowNext) || m_wave.CELX == lowNext) &&
                          (square == Square::Keep || m_wave.CECO == squareOn);
        if (same)
            return;
    }
    m_wave.CES = level;
    if (!std::isnan(high))
        m_wave.CEH = high;
    if (!std::isnan(low))
        m_wave.CEL = low;
    if (!std::isnan(highNext))
        m_wave.CEHX = highNext;
    if (!std::isnan(lowNext))
        m_wave.CELX = lowNext;
    if (square != Square::Keep)
        m_wave.CECO = squareOn;
    m_wave.CER = true;
}

void CTimerChannel_I8253::TakeCount(double now, bool plusOne) {
    m_regs.CRU = m_regs.CR;
    m_regs.STTM = now;
    m_regs.RSTA &= static_cast<uint8_t>(~kNullCount);
    const double pulses = static_cast<double>(m_regs.CR) + (plusOne ? 1.0 : 0.0);
    m_regs.CETM = m_clock != 0 ? static_cast<double>(m_regs.BFRQ) * pulses / m_clock : 0.0;
}

double CTimerChannel_I8253::GetElapsed(double now) const {
    const double elapsed = now - m_regs.STTM;
    return elapsed > 0.0 ? elapsed : 0.0; // also a time that went back, or a damaged state
}

double CTimerChannel_I8253::GetPulses(double now) const {
    // Multiplied first, so that a whole number of pulses comes out exact.
    return GetElapsed(now) * m_regs.CRU / m_regs.CETM;
}

double CTimerChannel_I8253::GetRemaining(double now) const {
    return std::ceil(m_regs.CRU - GetPulses(now));
}

bool CTimerChannel_I8253::GenerateSilence(double /*now*/, uint16_t& count, uint64_t& /*toggles*/) {
    count = 0;
    return false;
}

bool CTimerChannel_I8253::GenerateSamplesMode0(double now, uint16_t& count, uint64_t& /*toggles*/) {
    if (m_regs.MNOD) {
        count = 0;
        Describe(false, kKeep, -1.0, kKeep, -1.0, Square::Keep, false);
        return false;
    }
    // A low gate, or a count half written, holds the counter.
    if (!m_regs.INPT || m_regs.DWRS == WriteState::MsbAwaited) {
        Describe(m_regs.SGNL, -1.0, -1.0, -1.0, -1.0, Square::Keep, false);
        return m_regs.SGNL;
    }
    if ((m_regs.RSTA & kNullCount) != 0) {
        TakeCount(now, false);
        if (m_regs.CR == 0)
            m_regs.CETM = 0.0;
        if (m_regs.CETM > 0.0)
            Describe(false, -1.0, 1.0, -1.0, kKeep, Square::Keep, true);
        else
            Describe(true, -1.0, kKeep, -1.0, kKeep, Square::Keep, true);
    }
    if (!(m_regs.CETM > 0.0)) {
        count = 0;
        return true;
    }
    const double remaining = GetRemaining(now);
    if (!(remaining > 0.0)) {
        count = 0;
        m_regs.CETM = 0.0; // the counter stops at terminal count
        return true;
    }
    count = ClampCount(remaining, m_regs.CRU);
    return false;
}

bool CTimerChannel_I8253::GenerateSamplesMode1(double now, uint16_t& count, uint64_t& /*toggles*/) {
    if (m_regs.MNOD) {
        count = 0;
        Describe(true, -1.0, kKeep, -1.0, kKeep, Square::Keep, false);
        return true;
    }
    if (!m_regs.LGAT && m_regs.INPT && m_regs.CR != 0) {
        TakeCount(now, false);
        m_regs.LGAT = true;
        Describe(false, -1.0, 1.0, -1.0, 1.0, Square::Keep, true);
    }
    const double remaining = m_regs.CETM > 0.0 ? GetRemaining(now) : 0.0;
    if (!(remaining > 0.0)) {
        count = 0;
        m_regs.CETM = 0.0;
        Describe(true, -1.0, kKeep, -1.0, kKeep, Square::Keep, false);
        return true;
    }
    count = ClampCount(remaining, m_regs.CRU);
    return false;
}

int64_t CTimerChannel_I8253::GetWholePeriods(double pulses) {
    // A product with the kept reciprocal guesses the quotient; the guess is
    // taken when the pulses lie inside its period, where it equals the
    // division's whole part. This runs on every tick: no division then.
    if (m_regs.CRU != 0) {
        if (m_regs.CRU != m_reciprocalCount) {
            m_reciprocalCount = m_regs.CRU;
            m_reciprocal = 1.0 / m_regs.CRU;
        }
        const double guess = pulses * m_reciprocal;
        if (guess >= 0.0 && guess < kExactPeriods) {
            const int64_t periods = static_cast<int64_t>(guess);
            const double start = static_cast<double>(periods) * m_regs.CRU;
            if (pulses >= start && pulses < (start + m_regs.CRU) * kBelowOne)
                return periods;
        }
    }
    return WholePeriods(pulses / m_regs.CRU);
}

double CTimerChannel_I8253::RunPeriodic(double now, uint16_t& count, uint64_t& toggles, bool square) {
    const Square idleSquare = square ? Square::Off : Square::Keep;
    const double elapsed = GetElapsed(now);
    // A waiting count is taken when the running period is over, or at once
    // when no count is in use (after a mode write, or a gate that went low).
    const bool periodOver = !(m_regs.CETM > 0.0) || elapsed >= m_regs.CETM;
    const bool dropped = m_regs.CRU == 0 && m_regs.CR != 0;
    if (((m_regs.RSTA & kNullCount) != 0 && periodOver) || dropped) {
        if (m_regs.CETM > 0.0 && m_regs.CRU != 0) {
            // The periods that ended before the new count still flip the output.
            const int64_t periods = WholePeriods(elapsed / m_regs.CETM);
            if (periods > m_regs.CEFF)
                toggles += static_cast<uint64_t>(periods) - static_cast<uint64_t>(m_regs.CEFF);
        }
        const uint16_t inUse = m_regs.CRU;
        TakeCount(now, false);
        m_regs.CEFF = 0;
        if (m_regs.CR == 0)
            m_regs.CETM = 0.0;
        const double n = m_regs.CR;
        if (m_regs.CETM > 0.0 && m_keepWaveformOnSameCount && m_regs.CR == inUse) {
            // The sound runs on; only the counter restarts its period.
        } else if (!(m_regs.CETM > 0.0)) {
            Describe(true, -1.0, kKeep, -1.0, kKeep, idleSquare, true);
        } else if (!square) {
            Describe(true, 1.0 - 1.0 / n, 1.0 / n, 1.0 - 1.0 / n, 1.0 / n, Square::Keep, true);
        } else if ((m_regs.CR & 1) == 0) {
            Describe(true, 0.5, 0.5, 0.5, 0.5, Square::On, true);
        } else {
            const double high = (n + 1.0) / (2.0 * n);
            const double low = (n - 1.0) / (2.0 * n);
            Describe(true, high, low, high, low, Square::On, true);
        }
    }
    if (!(m_regs.CETM > 0.0)) {
        count = 0;
        Describe(true, -1.0, kKeep, -1.0, kKeep, idleSquare, false);
        return -1.0;
    }
    const double pulses = GetPulses(now);
    const int64_t periods = GetWholePeriods(pulses);
    double within = pulses - static_cast<double>(periods) * m_regs.CRU;
    if (!(within >= 0.0 && within < m_regs.CRU))
        within = 0.0;
    count = ClampCount(std::ceil(m_regs.CRU - within), m_regs.CRU);
    if (count == 0)
        count = 1;
    if (periods > m_regs.CEFF) {
        toggles += static_cast<uint64_t>(periods) - static_cast<uint64_t>(m_regs.CEFF);
        m_regs.CEFF = periods;
    }
    return within;
}

bool CTimerChannel_I8253::GenerateSamplesMode2(double now, uint16_t& count, uint64_t& toggles) {
    if (m_regs.MNOD) {
        count = 0;
        Describe(true, -1.0, kKeep, -1.0, kKeep, Square::Keep, false);
        return true;
    }
    if (!m_regs.INPT) {
        Describe(true, -1.0, kKeep, -1.0, kKeep, Square::Keep, false);
        return true;
    }
    const double within = RunPeriodic(now, count, toggles, false);
    return within < 0.0 || count != 1; // low during the last input pulse of each period
}

bool CTimerChannel_I8253::GenerateSamplesMode3(double now, uint16_t& count, uint64_t& toggles) {
    if (m_regs.MNOD) {
        count = 0;
        Describe(true, -1.0, kKeep, -1.0, kKeep, Square::Keep, false);
        return true;
    }
    if (!m_regs.INPT) {
        Describe(true, -1.0, kKeep, -1.0, kKeep, Square::Off, false);
        return true;
    }
    const double within = RunPeriodic(now, count, toggles, true);
    if (within < 0.0)
        return true;
    // High for the first half of the period, the longer half of an odd count.
    const uint16_t highPulses = static_cast<uint16_t>((m_regs.CRU & 1) == 0 ? m_regs.CRU / 2 : m_regs.CRU / 2 + 1);
    return within <= highPulses;
}

// The strobe: high while counting down, low for the pulse at 0.
bool CTimerChannel_I8253::RunStrobe(double now, uint16_t& count) {
    const double remaining = m_regs.CETM > 0.0 ? GetRemaining(now) : -1.0;
    if (!(remaining >= 0.0)) {
        count = 0;
        m_regs.CETM = 0.0;
        Describe(true, -1.0, kKeep, -1.0, kKeep, Square::Keep, false);
        return true;
    }
    count = ClampCount(remaining, m_regs.CRU);
    return count != 0;
}

bool CTimerChannel_I8253::GenerateSamplesMode4(double now, uint16_t& count, uint64_t& /*toggles*/) {
    if (m_regs.MNOD) {
        count = 0;
        Describe(true, -1.0, kKeep, -1.0, kKeep, Square::Keep, false);
        return true;
    }
    if (!m_regs.INPT) {
        Describe(m_regs.SGNL, -1.0, -1.0, -1.0, -1.0, Square::Keep, false);
        return m_regs.SGNL;
    }
    if ((m_regs.RSTA & kNullCount) != 0) {
        TakeCount(now, true);
        const double n = m_regs.CR;
        Describe(true, n / (n + 1.0), 1.0 / (n + 1.0), -1.0, 0.0, Square::Keep, true);
    }
    return RunStrobe(now, count);
}

bool CTimerChannel_I8253::GenerateSamplesMode5(double now, uint16_t& count, uint64_t& /*toggles*/) {
    if (m_regs.MNOD) {
        count = 0;
        Describe(true, -1.0, kKeep, -1.0, kKeep, Square::Keep, false);
        return true;
    }
    if (!m_regs.INPT)
        return m_regs.SGNL;
    if (!m_regs.LGAT) {
        TakeCount(now, true);
        m_regs.LGAT = true;
        const double n = m_regs.CR;
        Describe(true, n / (n + 1.0), 1.0 / (n + 1.0), -1.0, 0.0, Square::Keep, true);
    }
    return RunStrobe(now, count);
}

} // namespace emu
