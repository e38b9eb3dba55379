#include "emu/framework/CProcessor.h"

#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

#include "common/CStreamHolder.h"
#include "common/LittleEndian.h"
#include "emu/framework/CBus.h"

namespace emu {

namespace {

const char kChunkName[] = "_CPU";
const uint8_t kChunkVersion = 0;
const int kEventRecordSize = 36;
const int32_t kInt32Max = std::numeric_limits<int32_t>::max();
// Bounds on what a state may hold. Between slices, where states are taken, the
// slice values are 0 and a deferred instruction has paid less than its cost;
// anything far beyond would stall the next slice or make the late events fire
// for minutes to catch up. A budget other than what the slice has left would
// step the cycle count back when the next slice starts, taking every due time
// out of the 32-bit distance.
const int32_t kMaxLoadedSliceCycles = 1 << 20;
const int32_t kMaxPaidCycles = 255;

// floor(v + 0.5), saturated to the 64-bit range (NaN gives 0), so that a
// ratio read from a damaged state cannot make a conversion undefined.
int64_t RoundToInt64(double v) {
    const double r = std::floor(v + 0.5);
    if (!(r == r))
        return 0;
    if (r >= 9.2e18)
        return std::numeric_limits<int64_t>::max();
    if (r <= -9.2e18)
        return std::numeric_limits<int64_t>::min();
    return static_cast<int64_t>(r);
}

// Truncation towards zero into 0 .. 2^64-1.
uint64_t TruncateToUInt64(double v) {
    if (!(v > 0.0))
        return 0;
    if (v >= 1.8e19)
        return std::numeric_limits<uint64_t>::max();
    return static_cast<uint64_t>(v);
}

int32_t ClampToInt32(int64_t v) {
    if (v > kInt32Max)
        return kInt32Max;
    if (v < std::numeric_limits<int32_t>::min())
        return std::numeric_limits<int32_t>::min();
    return static_cast<int32_t>(v);
}

// Due cycles compare on their low 32 bits.
int32_t Distance(uint64_t due, uint64_t now) {
    return static_cast<int32_t>(static_cast<uint32_t>(due) - static_cast<uint32_t>(now));
}

// Adds the width of a successful access to the caller's counter.
template <typename T> bool Counted(bool ok, uint32_t* counter) {
    if (ok)
        *counter += sizeof(T);
    return ok;
}

// Field names are narrow texts; a helper keeps the long field lists readable.
struct CName : common::CNarrowString {
    explicit CName(const char* text) : common::CNarrowString(text) {}
};

} // namespace

const CMemory::CPageDescriptor* CProcessor::s_pageTable = nullptr;
uint8_t* CProcessor::s_ramBase = nullptr;
uint32_t CProcessor::s_memorySize = 0;
uint32_t CProcessor::s_memorySizeMinus1 = 0;
uint32_t CProcessor::s_memorySizeMinus3 = 0;
uint32_t CProcessor::s_addressMask = 0xFFFFFFFF;
int32_t CProcessor::s_baseFrequency = 0;
const CProcessor* CProcessor::s_wordsOwner = nullptr;

CProcessor::CProcessor()
    : m_frequency(0), m_timeScaling(false), m_cycles(0), m_effectiveFrequency(0), m_lastCycles(0),
      m_lastNominalCycles(0), m_ratio(1.0), m_iffreq(false), m_nmi(false), m_chwi(false), m_crid(0), m_ahwi(false),
      m_hwid(0), m_flagMask(~static_cast<uint64_t>(0)), m_inSlice(false), m_instructionStart(0), m_fault(false),
      m_sliceBudget(0), m_sliceLeft(0), m_paidCycles(0), m_waitCycles(0), m_eventsStarted(false), m_dasmCount(0),
      m_firstEvent(nullptr), m_lastEvent(nullptr), m_freeEvents(nullptr), m_firing(nullptr), m_walkNext(nullptr),
      m_firingRemoved(false) {
    SetName("CPU");
    SetShortName("CPU");
    ClearFastPathWords();
}

CProcessor::~CProcessor() {
    if (s_wordsOwner == this)
        ClearFastPathWords();
    FreeRecords();
}

// --- Device operations ----------------------------------------------------------------

bool CProcessor::Start(int32_t* value) {
    m_eventsStarted = false;
    if (m_memory != nullptr)
        m_memory->SetProcessorWords(&s_memorySize, &s_memorySizeMinus1, &s_memorySizeMinus3);
    if (!CDevice::Start(value) || m_frequency == 0)
        return false;
    m_ahwi = true;
    m_chwi = true;
    m_hwid = 0;
    m_nmi = false;
    m_inSlice = false;
    m_fault = false;
    m_instructionStart = 0;
    m_waitCycles = m_paidCycles = m_sliceLeft = m_sliceBudget = 0;
    m_cycles = 0;
    s_addressMask = 0xFFFFFFFF;
    m_flagMask = ~static_cast<uint64_t>(0);
    m_iffreq = false;
    m_effectiveFrequency = m_frequency;
    m_lastNominalCycles = m_lastCycles = m_cycles;
    m_ratio = 1.0;
    ResetRegisters();
    return true;
}

bool CProcessor::Reset(uint32_t flags) {
    const bool ok = CDevice::Reset(flags);
    if (ok && (flags & kResetMemoryChanged) != 0) {
        FullResetHook();
        LoadFastPathWords();
    }
    return ok;
}

void CProcessor::Stop() {
    FullResetHook();
    if (m_started)
        ResetRegisters();
    m_eventsStarted = false;
    FreeRecords();
    // The map frees its table when it stops after the devices.
    if (s_wordsOwner == this)
        ClearFastPathWords();
    CDevice::Stop();
}

bool CProcessor::IsProcessor() const {
    return true;
}

void CProcessor::LoadFastPathWords() {
    const CMemory::CPageDescriptor* table = m_memory != nullptr ? m_memory->GetPageTable() : nullptr;
    if (table == nullptr || m_memory->GetSize() == 0) {
        ClearFastPathWords();
        return;
    }
    const uint32_t limit = m_memory->GetAddressLimit();
    s_wordsOwner = this;
    s_pageTable = table;
    s_ramBase = m_memory->GetRamBase();
    s_memorySize = limit + 1;
    s_memorySizeMinus1 = limit;
    s_memorySizeMinus3 = limit >= 2 ? limit - 2 : 0;
}

void CProcessor::ClearFastPathWords() {
    // A size of 0 sends every access to the slow path.
    s_pageTable = nullptr;
    s_ramBase = nullptr;
    s_memorySize = s_memorySizeMinus1 = s_memorySizeMinus3 = 0;
    s_wordsOwner = nullptr;
}

// --- State ------------------------------------------------------------------------------

bool CProcessor::SaveData(common::CStreamHolder& holder) {
    if (!CDevice::SaveData(holder))
        return false;
    const CName chunk(kChunkName);
    uint8_t ratioBytes[8];
    common::StoreLittleDouble(ratioBytes, m_ratio);
    const uint32_t count = static_cast<uint32_t>(GetEventCount());
    bool ok =
        holder.WriteMarker(common::CStreamHolder::kChunkBegin, chunk) &&
        holder.WriteUInt8Field(kChunkVersion, CName("VER")) &&
        holder.WriteInt64Field(static_cast<int64_t>(m_frequency), CName("FREQ")) &&
        holder.WriteUInt64Field(m_cycles, CName("CYCL")) &&
        holder.WriteInt64Field(static_cast<int64_t>(m_effectiveFrequency), CName("FFREQ")) &&
        holder.WriteUInt64Field(m_lastCycles, CName("LCYCL")) &&
        holder.WriteUInt64Field(m_lastNominalCycles, CName("LSCYCL")) &&
        holder.WriteBlobField(ratioBytes, sizeof(ratioBytes), CName("CFREQ")) &&
        holder.WriteBoolField(m_iffreq, CName("IFFREQ")) && holder.WriteInt32Field(m_sliceBudget, CName("MCYCL")) &&
        holder.WriteInt32Field(m_sliceLeft, CName("ECYCL")) && holder.WriteInt32Field(m_waitCycles, CName("SCYCL")) &&
        holder.WriteInt32Field(m_paidCycles, CName("PCYCL")) &&
        holder.WriteUInt64Field(static_cast<uint64_t>(s_addressMask), CName("AMSK")) &&
        holder.WriteBoolField(m_nmi, CName("NMI")) && holder.WriteUInt32Field(m_crid, CName("CRID")) &&
        holder.WriteBoolField(m_chwi, CName("CHWI")) && holder.WriteBoolField(m_ahwi, CName("AHWI")) &&
        holder.WriteInt32Field(m_hwid, CName("HWID")) && holder.WriteUInt64Field(m_flagMask, CName("FMSK")) &&
        holder.WriteBoolField(m_fault, CName("WFLT")) && holder.WriteBoolField(m_eventsStarted, CName("STEVT")) &&
        holder.WriteUInt32Field(count, CName("CNEVT"));
    if (!ok)
        return false;

    const uint64_t now = GetCycleCount();
    common::CNarrowString fieldName;
    common::CNarrowString owner;
    common::CNarrowString name;
    long index = 0;
    for (const CCycleEvent* e = m_firstEvent; e != nullptr; e = e->m_next, ++index) {
        // An overdue event keeps 0 cycles to go: it fires at the first
        // RunDueEvents after loading, however the ratio changed meanwhile.
        const int64_t left = static_cast<int64_t>(e->m_due - now);
        const uint64_t remaining = left > 0 ? TruncateToUInt64(static_cast<double>(left) * m_ratio) : 0;
        uint8_t record[kEventRecordSize];
        common::StoreLittle<uint32_t>(record + 0, e->m_reserved1);
        common::StoreLittle<uint32_t>(record + 4, e->m_reserved2);
        common::StoreLittle<uint64_t>(record + 8, remaining);
        common::StoreLittle<uint32_t>(record + 16, e->m_reserved3);
        common::StoreLittle<uint32_t>(record + 20, e->m_reserved4);
        common::StoreLittle<uint32_t>(record + 24, static_cast<uint32_t>(e->m_period));
        common::StoreLittle<uint32_t>(record + 28, e->m_data[0]);
        common::StoreLittle<uint32_t>(record + 32, e->m_data[1]);

        CBus::BuildObjectName(e->m_user, owner);
        name.AssignNarrow(e->m_name != nullptr ? e->m_name : "");
        fieldName.Format("DVEVT%ld", index);
        if (!holder.WriteStringField(owner, fieldName))
            return false;
        fieldName.Format("NMEVT%ld", index);
        if (!holder.WriteStringField(name, fieldName))
            return false;
        fieldName.Format("DTEVT%ld", index);
        if (!holder.WriteBlobField(record, kEventRecordSize, fieldName))
            return false;
    }
    return holder.WriteInt32Field(m_cyclesToEvent, CName("CBEVT")) &&
           holder.WriteMarker(common::CStreamHolder::kChunkEnd, chunk);
}

bool CProcessor::LoadData(common::CStreamHolder& holder, common::CNarrowString* errorText) {
    if (!CDevice::LoadData(holder, errorText))
        return false;
    const CName chunk(kChunkName);
    uint8_t version = 0xFF;
    if (!holder.ReadMarker(chunk, common::CStreamHolder::kChunkBegin, nullptr) ||
        !holder.ReadUInt8Field(version, CName("VER")) || version != kChunkVersion)
        return false;

    int64_t frequency = 0;
    int64_t effectiveFrequency = 0;
    uint8_t ratioBytes[8];
    uint64_t addressMask = 0;
    uint32_t count = 0;
    if (!holder.ReadInt64Field(frequency, CName("FREQ")))
        return false;
    if (frequency < 0 || frequency > kInt32Max)
        return false;
    m_frequency = static_cast<int32_t>(frequency);
    if (!holder.ReadUInt64Field(m_cycles, CName("CYCL")) ||
        !holder.ReadInt64Field(effectiveFrequency, CName("FFREQ")) || effectiveFrequency < 0 ||
        effectiveFrequency > kInt32Max)
        return false;
    m_effectiveFrequency = static_cast<int32_t>(effectiveFrequency);
    if (!holder.ReadUInt64Field(m_lastCycles, CName("LCYCL")) ||
        !holder.ReadUInt64Field(m_lastNominalCycles, CName("LSCYCL")) ||
        !holder.ReadBlobField(ratioBytes, sizeof(ratioBytes), CName("CFREQ")))
        return false;
    const double ratio = common::LoadLittleDouble(ratioBytes);
    // Periods are divided by the ratio.
    if (!std::isfinite(ratio) || ratio <= 0)
        return false;
    m_ratio = ratio;
    int32_t budget = 0;
    int32_t left = 0;
    int32_t wait = 0;
    int32_t paid = 0;
    if (!holder.ReadBoolField(m_iffreq, CName("IFFREQ")) || !holder.ReadInt32Field(budget, CName("MCYCL")) ||
        !holder.ReadInt32Field(left, CName("ECYCL")) || !holder.ReadInt32Field(wait, CName("SCYCL")) ||
        !holder.ReadInt32Field(paid, CName("PCYCL")) || !holder.ReadUInt64Field(addressMask, CName("AMSK")))
        return false;
    if (budget != left || budget < -kMaxLoadedSliceCycles || budget > kMaxLoadedSliceCycles || wait < 0 || paid < 0 ||
        paid > kMaxPaidCycles)
        return false;
    m_sliceBudget = budget;
    m_sliceLeft = left;
    m_waitCycles = wait;
    m_paidCycles = paid;
    s_addressMask = static_cast<uint32_t>(addressMask);
    if (!holder.ReadBoolField(m_nmi, CName("NMI")) || !holder.ReadUInt32Field(m_crid, CName("CRID")) ||
        !holder.ReadBoolField(m_chwi, CName("CHWI")) || !holder.ReadBoolField(m_ahwi, CName("AHWI")) ||
        !holder.ReadInt32Field(m_hwid, CName("HWID")) || !holder.ReadUInt64Field(m_flagMask, CName("FMSK")) ||
        !holder.ReadBoolField(m_fault, CName("WFLT")) || !holder.ReadBoolField(m_eventsStarted, CName("STEVT")) ||
        !holder.ReadUInt32Field(count, CName("CNEVT")))
        return false;
    // Interrupts wait at most the delay after an entry; the last frequency
    // change lies in the past, or the nominal time would wrap.
    const uint64_t now = GetCycleCount();
    if (m_hwid < 0 || m_hwid > kInterruptDelayAfterEntry || m_lastCycles > now)
        return false;

    // The devices set their own periods; a loaded period other than the live
    // event's would slow that device down (the video's line event at 2^31
    // cycles leaves the screen and its interrupts standing for minutes).
    struct CLivePeriod {
        EventCallback callback;
        const CObject* user;
        const char* name;
        int32_t period;
    };
    std::vector<CLivePeriod> live;
    for (const CCycleEvent* e = m_firstEvent; e != nullptr; e = e->m_next) {
        if (e->m_user != m_bus)
            live.push_back({e->m_callback, e->m_user, e->m_name != nullptr ? e->m_name : "", e->m_period});
    }
    RecycleAllEvents();
    common::CNarrowString fieldName;
    common::CNarrowString owner;
    common::CNarrowString name;
    for (uint32_t i = 0; i < count; ++i) {
        const long index = static_cast<long>(i);
        fieldName.Format("DVEVT%ld", index);
        if (!holder.ReadStringField(owner, fieldName) || owner.IsEmpty())
            return false;
        fieldName.Format("NMEVT%ld", index);
        if (!holder.ReadStringField(name, fieldName))
            return false;
        // Bound by owner and name, so that two devices' events of one name
        // each find their own object again.
        CBus::CEvent entry = {};
        const char* registryName = nullptr;
        if (m_bus == nullptr ||
            !m_bus->FindCpuEventCallback(owner.GetNarrow(), name.GetNarrow(), &entry, &registryName))
            return false;
        uint8_t record[kEventRecordSize];
        fieldName.Format("DTEVT%ld", index);
        if (!holder.ReadBlobField(record, kEventRecordSize, fieldName))
            return false;
        const int32_t period = static_cast<int32_t>(common::LoadLittle<uint32_t>(record + 24));
        const uint32_t data0 = common::LoadLittle<uint32_t>(record + 28);
        const uint32_t data1 = common::LoadLittle<uint32_t>(record + 32);
        if (!AddEvent(period, reinterpret_cast<EventCallback>(entry.m_function), entry.m_target, registryName, data0,
                      data1))
            return false;
        CCycleEvent* e = m_lastEvent;
        // The bus tick's period follows from the bus's rate.
        if (e->m_user == m_bus && e->m_period != m_bus->GetTickPeriod(m_frequency))
            return false;
        for (const CLivePeriod& l : live) {
            if (l.callback == e->m_callback && l.user == e->m_user && std::strcmp(l.name, name.GetNarrow()) == 0 &&
                l.period != e->m_period)
                return false;
        }
        e->m_reserved1 = common::LoadLittle<uint32_t>(record + 0);
        e->m_reserved2 = common::LoadLittle<uint32_t>(record + 4);
        e->m_reserved3 = common::LoadLittle<uint32_t>(record + 16);
        e->m_reserved4 = common::LoadLittle<uint32_t>(record + 20);
        const uint64_t stored = common::LoadLittle<uint64_t>(record + 8);
        uint64_t remaining = stored;
        if (m_timeScaling) {
            const int64_t rounded = RoundToInt64(static_cast<double>(stored) / m_ratio);
            remaining = rounded > 0 ? static_cast<uint64_t>(rounded) : 0;
        }
        // An event is never due later than one period ahead (one cycle more
        // for the rounding of a scaled save). Farther would silence its device
        // for as long and may lie beyond the 32-bit distance of due times.
        if (remaining > static_cast<uint64_t>(e->m_convertedPeriod) + 1)
            return false;
        if (remaining > static_cast<uint64_t>(kInt32Max))
            remaining = static_cast<uint64_t>(kInt32Max);
        e->m_due = now + remaining;
    }
    int32_t toEvent = 0;
    if (!holder.ReadInt32Field(toEvent, CName("CBEVT")))
        return false;
    // Below zero an event is simply due; the run loop subtracts slices from
    // the counter, which a value near the 32-bit minimum would overflow.
    // Nor does the counter run past the nearest event, whose device (and
    // every one due after it) would otherwise stay silent until it ran out.
    m_cyclesToEvent = toEvent < 0 ? 0 : toEvent;
    for (const CCycleEvent* e = m_firstEvent; e != nullptr; e = e->m_next) {
        const int32_t d = Distance(e->m_due, now);
        if (d < m_cyclesToEvent)
            m_cyclesToEvent = d > 0 ? d : 0;
    }
    return holder.ReadMarker(chunk, common::CStreamHolder::kChunkEnd, nullptr);
}

// --- Processor operations ----------------------------------------------------------------

void CProcessor::ResetRegisters() {
    m_nmi = false;
    m_ahwi = true;
    m_chwi = true;
    m_hwid = 0;
    m_paidCycles = 0;
}

int32_t CProcessor::GetKindCode() {
    return 0;
}

void CProcessor::ResetProgramCounter() {
    m_nmi = false;
    m_ahwi = true;
    m_chwi = true;
    m_hwid = 0;
}

int32_t CProcessor::Execute(int32_t budget) {
    return budget;
}

uint32_t CProcessor::EndSlice() {
    return GetProgramCounter();
}

bool CProcessor::StopSlice() {
    return false;
}

uint32_t CProcessor::GetProgramCounter() {
    return 0;
}

void CProcessor::NotifyValue(int32_t /*value*/) {}

void CProcessor::FullResetHook() {}

uint32_t CProcessor::GetAddressMask() {
    return s_addressMask;
}

void CProcessor::SetAddressMask(uint32_t mask) {
    s_addressMask = mask;
}

void CProcessor::SetChwiFlag() {
    m_chwi = true;
}

void CProcessor::CallSetChwiFlag() {
    SetChwiFlag();
}

int32_t CProcessor::GetFrequency() {
    return m_frequency;
}

bool CProcessor::SetFrequency(int32_t hz) {
    if (hz < 0)
        return false;
    m_lastNominalCycles = m_lastCycles = m_cycles = 0;
    if (!m_timeScaling)
        s_baseFrequency = hz;
    m_frequency = hz;
    SetEffectiveFrequency(m_effectiveFrequency);
    return true;
}

int32_t CProcessor::GetEffectiveFrequency() {
    return m_effectiveFrequency;
}

void CProcessor::SetEffectiveFrequency(int32_t hz) {
    m_lastNominalCycles = GetNominalCycleCount();
    m_lastCycles = GetCycleCount();
    m_effectiveFrequency = hz;
    // No measurement yet (0) keeps processor and base cycles equal.
    const double newRatio =
        m_timeScaling && hz > 0 && s_baseFrequency > 0 ? static_cast<double>(s_baseFrequency) / hz : 1.0;
    RescaleEvents(newRatio);
    m_ratio = newRatio;
}

uint64_t CProcessor::GetScaledNominalCycleCount(uint64_t elapsed) const {
    return m_lastNominalCycles + TruncateToUInt64(static_cast<double>(elapsed) * m_ratio);
}

bool CProcessor::GetNmiFlag() {
    return m_nmi;
}

bool CProcessor::SetNmiFlag(bool value) {
    m_nmi = value;
    return true;
}

uintptr_t CProcessor::QueryHook(uintptr_t /*a*/, uintptr_t /*b*/, uintptr_t /*c*/) {
    return 0;
}

uint32_t CProcessor::QueryZero() {
    return 0;
}

void CProcessor::AddWaitCycles(int32_t cycles) {
    const int32_t c = m_timeScaling ? ClampToInt32(RoundToInt64(cycles / m_ratio)) : cycles;
    if (c < 1)
        return;
    if (m_inSlice) {
        m_sliceLeft = ClampToInt32(static_cast<int64_t>(m_sliceLeft) - c);
        return;
    }
    // Folding the waits into CYCL keeps GetCycleCount unchanged and SCYCL in range.
    if (m_waitCycles > kInt32Max - c) {
        m_cycles += static_cast<uint64_t>(static_cast<int64_t>(m_waitCycles));
        m_waitCycles = 0;
    }
    m_waitCycles += c;
    // The waits bring the next event as much nearer: the counter says so, so
    // that an event they made due fires at the next RunDueEvents.
    m_cyclesToEvent = m_cyclesToEvent > c ? m_cyclesToEvent - c : 0;
}

bool CProcessor::UsesBaseFrequency() {
    return false;
}

int32_t CProcessor::Disassemble(common::CString* const* columns, uint32_t* kind, uint32_t* widths) {
    for (int i = 0; columns != nullptr && i < kDisassemblyColumns; ++i) {
        if (columns[i] != nullptr)
            columns[i]->Clear();
    }
    if (kind != nullptr)
        *kind = 0;
    for (int i = 0; widths != nullptr && i < kDisassemblyColumns; ++i)
        widths[i] = 0;
    return 0;
}

bool CProcessor::FormatRegisters(common::CStringList* /*list*/, bool /*perRegister*/) {
    return false;
}

bool CProcessor::HandleEvent(uint32_t event, uint8_t flag, uintptr_t argument) {
    if ((event == kEventDumpState || event == kEventPopupLines) && argument != 0)
        return FormatRegisters(reinterpret_cast<common::CStringList*>(argument), event == kEventPopupLines);
    return CDevice::HandleEvent(event, flag, argument);
}

void CProcessor::GetTwoValues(uint32_t* a, uint32_t* b) {
    if (a != nullptr)
        *a = 0;
    if (b != nullptr)
        *b = 0;
}

int32_t CProcessor::GetClockFrequency() {
    return UsesBaseFrequency() ? s_baseFrequency : m_frequency;
}

// --- Events ----------------------------------------------------------------------------------

int32_t CProcessor::ConvertPeriod(int32_t period) const {
    int64_t converted = period;
    if (m_timeScaling)
        converted = RoundToInt64(period / m_ratio);
    if (converted > kInt32Max)
        converted = kInt32Max;
    return converted < 1 ? 1 : static_cast<int32_t>(converted);
}

bool CProcessor::AddEvent(int32_t period, EventCallback callback, CObject* user, const char* name, uint32_t data0,
                          uint32_t data1) {
    // A record without a callback could never fire.
    if (callback == nullptr)
        return false;
    CCycleEvent* e = TakeFreeRecord();
    e->m_data[0] = data0;
    e->m_data[1] = data1;
    int64_t magnitude = period < 0 ? -static_cast<int64_t>(period) : period;
    if (magnitude == 0)
        magnitude = 1;
    e->m_period = magnitude > kInt32Max ? kInt32Max : static_cast<int32_t>(magnitude);
    e->m_convertedPeriod = ConvertPeriod(e->m_period);
    e->m_user = user;
    e->m_callback = callback;
    e->m_name = name;
    e->m_reserved1 = e->m_reserved2 = e->m_reserved3 = e->m_reserved4 = 0;
    e->m_due = m_eventsStarted ? GetCycleCount() : 0;
    if (period > 0) {
        e->m_due += static_cast<uint64_t>(e->m_convertedPeriod);
        if (e->m_convertedPeriod < m_cyclesToEvent)
            m_cyclesToEvent = e->m_convertedPeriod;
    } else {
        m_cyclesToEvent = 0;
    }
    e->m_previous = m_lastEvent;
    e->m_next = nullptr;
    if (m_lastEvent != nullptr)
        m_lastEvent->m_next = e;
    else
        m_firstEvent = e;
    m_lastEvent = e;
    if (m_bus != nullptr && m_bus->IsRegistering())
        return m_bus->RegisterCpuEventCallback(name, callback, user);
    return true;
}

bool CProcessor::Fire(CCycleEvent* e) {
    const int32_t before = e->m_period;
    m_firing = e;
    m_firingRemoved = false;
    const bool keep = e->m_callback(e->m_user, &e->m_period, e->m_data, this);
    m_firing = nullptr;
    // Read after the call: the callback may have added or removed events.
    m_walkNext = e->m_next;
    if (!keep || m_firingRemoved) {
        Unlink(e);
        Recycle(e);
        return false;
    }
    if (e->m_period <= 0)
        e->m_period = 1;
    if (e->m_period != before)
        e->m_convertedPeriod = ConvertPeriod(e->m_period);
    return true;
}

void CProcessor::StartEvents() {
    m_eventsStarted = true;
    m_cyclesToEvent = kNoEvent;
    const uint64_t now = GetCycleCount();
    CCycleEvent* e = m_firstEvent;
    while (e != nullptr) {
        if (e->m_due != 0) {
            // Added with a positive period before the start: already scheduled,
            // and the counter must not run past it.
            if (e->m_convertedPeriod < 1)
                e->m_convertedPeriod = 1;
            int32_t d = Distance(e->m_due, now);
            if (d < 0)
                d = 0;
            if (d < m_cyclesToEvent)
                m_cyclesToEvent = d;
            e = e->m_next;
            continue;
        }
        if (Fire(e)) {
            e->m_due = now + static_cast<uint64_t>(e->m_convertedPeriod);
            if (e->m_convertedPeriod < m_cyclesToEvent)
                m_cyclesToEvent = e->m_convertedPeriod;
        }
        e = m_walkNext;
    }
    m_walkNext = nullptr;
}

void CProcessor::RunDueEvents() {
    m_cyclesToEvent = kNoEvent;
    if (m_firstEvent == nullptr)
        return;
    const uint64_t now = GetCycleCount();
    CCycleEvent* e = m_firstEvent;
    while (e != nullptr) {
        int32_t d = Distance(e->m_due, now);
        if (d > 0) {
            if (d < m_cyclesToEvent)
                m_cyclesToEvent = d;
            e = e->m_next;
            continue;
        }
        // A late event fires until it has caught up with now.
        while (Fire(e)) {
            e->m_due += static_cast<uint64_t>(e->m_convertedPeriod);
            d = Distance(e->m_due, now);
            if (d >= 0) {
                if (d < m_cyclesToEvent)
                    m_cyclesToEvent = d;
                break;
            }
        }
        e = m_walkNext;
    }
    m_walkNext = nullptr;
}

void CProcessor::RescaleEvents(double newRatio) {
    m_cyclesToEvent = kNoEvent;
    if (m_firstEvent == nullptr)
        return;
    const uint64_t now = GetCycleCount();
    const double factor = m_ratio / newRatio;
    for (CCycleEvent* e = m_firstEvent; e != nullptr; e = e->m_next) {
        const int32_t remaining = Distance(e->m_due, now);
        const int32_t scaled = ClampToInt32(RoundToInt64(remaining * factor));
        e->m_due = now + static_cast<uint64_t>(static_cast<int64_t>(scaled));
        const int32_t toGo = scaled > 0 ? scaled : 0;
        if (toGo < m_cyclesToEvent)
            m_cyclesToEvent = toGo;
        int64_t converted = RoundToInt64(e->m_period / newRatio);
        if (converted > kInt32Max)
            converted = kInt32Max;
        e->m_convertedPeriod = converted < 1 ? 1 : static_cast<int32_t>(converted);
    }
}

int32_t CProcessor::RemoveEvents(EventCallback callback, CObject* user) {
    int32_t removed = 0;
    CCycleEvent* e = m_firstEvent;
    while (e != nullptr) {
        CCycleEvent* next = e->m_next;
        if (e->m_callback == callback && e->m_user == user) {
            if (e == m_firing) {
                // The walk that fires it unlinks it when its callback returns.
                if (!m_firingRemoved)
                    ++removed;
                m_firingRemoved = true;
            } else {
                Unlink(e);
                Recycle(e);
                ++removed;
            }
        }
        e = next;
    }
    return removed;
}

int32_t CProcessor::GetEventCount() const {
    int32_t count = 0;
    for (const CCycleEvent* e = m_firstEvent; e != nullptr; e = e->m_next)
        ++count;
    return count;
}

CProcessor::CCycleEvent* CProcessor::FindEvent(const char* name, CObject* user) const {
    for (CCycleEvent* e = m_firstEvent; e != nullptr; e = e->m_next) {
        if (e->m_user != user)
            continue;
        if ((e->m_name == nullptr && name == nullptr) ||
            (e->m_name != nullptr && name != nullptr && std::strcmp(e->m_name, name) == 0))
            return e;
    }
    return nullptr;
}

CProcessor::CCycleEvent* CProcessor::TakeFreeRecord() {
    CCycleEvent* e = m_freeEvents;
    if (e == nullptr)
        return new CCycleEvent();
    m_freeEvents = e->m_next;
    return e;
}

void CProcessor::Unlink(CCycleEvent* e) {
    if (e->m_previous != nullptr)
        e->m_previous->m_next = e->m_next;
    else
        m_firstEvent = e->m_next;
    if (e->m_next != nullptr)
        e->m_next->m_previous = e->m_previous;
    else
        m_lastEvent = e->m_previous;
    e->m_next = e->m_previous = nullptr;
}

void CProcessor::Recycle(CCycleEvent* e) {
    e->m_previous = nullptr;
    e->m_next = m_freeEvents;
    m_freeEvents = e;
}

void CProcessor::RecycleAllEvents() {
    while (m_firstEvent != nullptr) {
        CCycleEvent* e = m_firstEvent;
        Unlink(e);
        Recycle(e);
    }
}

void CProcessor::FreeRecords() {
    CCycleEvent* lists[2] = {m_firstEvent, m_freeEvents};
    for (CCycleEvent* head : lists) {
        while (head != nullptr) {
            CCycleEvent* next = head->m_next;
            delete head;
            head = next;
        }
    }
    m_firstEvent = m_lastEvent = m_freeEvents = nullptr;
    m_firing = m_walkNext = nullptr;
}

// --- Memory accessors: slow paths -------------------------------------------------------------

uint8_t CProcessor::SlowReadByte(uint32_t a, uint8_t flag) {
    return m_memory != nullptr ? m_memory->ReadByte(a, flag) : 0xFF;
}

void CProcessor::SlowWriteByte(uint32_t a, uint8_t value) {
    if (m_memory != nullptr)
        m_memory->WriteByte(a, value);
}

bool CProcessor::ReadByteSlow(uint32_t address, uint8_t* value) {
    return ReadSlowValue(address, value, 0);
}
bool CProcessor::ReadWordSlow(uint32_t address, uint16_t* value) {
    return ReadSlowValue(address, value, 0);
}
bool CProcessor::ReadDwordSlow(uint32_t address, uint32_t* value) {
    return ReadSlowValue(address, value, 0);
}
bool CProcessor::ReadQwordSlow(uint32_t address, uint64_t* value) {
    return ReadSlowValue(address, value, 0);
}
bool CProcessor::PeekDwordSlow(uint32_t address, uint32_t* value) {
    return ReadSlowValue(address, value, 1);
}
bool CProcessor::PeekQwordSlow(uint32_t address, uint64_t* value) {
    return ReadSlowValue(address, value, 1);
}

bool CProcessor::ReadByteCounted(uint32_t address, uint8_t* value, uint32_t* counter) {
    return Counted<uint8_t>(ReadSlowValue(address, value, 0), counter);
}
bool CProcessor::ReadWordCounted(uint32_t address, uint16_t* value, uint32_t* counter) {
    return Counted<uint16_t>(ReadSlowValue(address, value, 0), counter);
}
bool CProcessor::ReadDwordCounted(uint32_t address, uint32_t* value, uint32_t* counter) {
    return Counted<uint32_t>(ReadSlowValue(address, value, 0), counter);
}
bool CProcessor::ReadQwordCounted(uint32_t address, uint64_t* value, uint32_t* counter) {
    return Counted<uint64_t>(ReadSlowValue(address, value, 0), counter);
}
bool CProcessor::WriteByteSlow(uint32_t address, uint8_t value) {
    return WriteSlowValue(address, value);
}
bool CProcessor::WriteWordSlow(uint32_t address, uint16_t value) {
    return WriteSlowValue(address, value);
}
bool CProcessor::WriteDwordSlow(uint32_t address, uint32_t value) {
    return WriteSlowValue(address, value);
}
bool CProcessor::WriteQwordSlow(uint32_t address, uint64_t value) {
    return WriteSlowValue(address, value);
}

} // namespace emu
