#pragma once
// Base of every emulated processor: a device that owns the processor clock and
// cycle totals, the cycle-timed event list on which devices schedule their work
// (video lines, the bus tick "_BusFreqEvent", timers), the slice bookkeeping
// that the run loop and the execution core share, the run flags the execution
// core reads, the memory accessors with the direct page path, and the state
// chunk "_CPU".
//
// Cycle time:
//   GetCycleCount = CYCL + SCYCL + (MCYCL - ECYCL)
//     CYCL   cycles of the completed slices (the execution core adds each slice)
//     MCYCL  budget of the running slice, ECYCL what it still has (both 0
//            outside a slice), SCYCL wait cycles added outside a slice
//   An event's period is in base-frequency cycles. They equal processor cycles
//   unless time scaling is on (the machine runs at maximum speed); then
//   CFREQ = base frequency / FFREQ and a period converts to period / CFREQ
//   processor cycles, rounded, at least 1.
//
// Events: a doubly linked list in insertion order; records are recycled
// through a free list, so scheduling, firing and dropping allocate nothing
// once the list has grown. Due cycles compare on their low 32 bits.
//
// State chunk "_CPU" (after the device data "_CFP", "_DEV"):
//   "VER" u8 0, "FREQ" i64, "CYCL" u64, "FFREQ" i64, "LCYCL" u64, "LSCYCL" u64,
//   "CFREQ" blob 8 (IEEE double), "IFFREQ" bool, "MCYCL" "ECYCL" "SCYCL" "PCYCL"
//   i32, "AMSK" u64, "NMI" bool, "CRID" u32, "CHWI" bool, "AHWI" bool,
//   "HWID" i32, "FMSK" u64, "WFLT" bool, "STEVT" bool, "CNEVT" u32, then per
//   event n: "DVEVT<n>" string (dotted name of its user), "NMEVT<n>" string
//   (its name), "DTEVT<n>" blob 36 (reserved 1, reserved 2 u32; remaining u64
//   in base-frequency cycles, 0 when overdue; reserved 3, reserved 4 u32;
//   period i32; data0, data1 u32; little-endian), "CBEVT" i32.
//   Loading binds each event again through the bus's registry by owner and
//   name; an unknown name fails the load. So do fields that no save writes:
//   MCYCL other than ECYCL (states are taken between slices), an event due
//   more than one period ahead, HWID outside 0 to the delay after an entry,
//   LCYCL past the cycle count, a bus tick period other than the bus's rate
//   gives and any other event's period other than that of the live event of
//   the same user, callback and name. CBEVT is cut back to the nearest
//   event's due time.
//
// Memory accessors: every address is ANDed with the process-wide address mask.
// The direct path reads the memory map's page table (shared by all processors
// of the process) and costs one compare, one look-up and one test; anything
// else goes through the map's ReadByte/WriteByte. An accessor answers false
// when the fault flag WFLT is set after the access (a watch or StopSlice asked
// to abandon the instruction); its output is then left unchanged.
//
// Emulation thread only.
#include <cstdint>

#include "common/CNarrowString.h"
#include "emu/framework/CDevice.h"
#include "emu/framework/CMemory.h"
#include "emu/framework/CProcessorInterface.h"

namespace emu {

class CProcessor : public CDevice, public CProcessorInterface {
public:
    // One scheduled event. Owned by the processor; recycled through its free list.
    struct CCycleEvent {
        uint32_t m_reserved1; // carried through the state, never set here
        uint32_t m_reserved2;
        uint64_t m_due; // GetCycleCount at which it fires
        CCycleEvent* m_next;
        CCycleEvent* m_previous;
        CObject* m_user; // the callback's first argument; not owned
        EventCallback m_callback;
        uint32_t m_reserved3;
        uint32_t m_reserved4;
        const char* m_name;        // not owned (the caller's or the bus registry's text)
        int32_t m_convertedPeriod; // processor cycles, at least 1 once scheduled
        int32_t m_period;          // base-frequency cycles, at least 1
        uint32_t m_data[2];
    };

    // Run flags as the state and the execution core use them.
    static constexpr int32_t kInterruptDelayAfterEntry = 50;

    CProcessor();
    ~CProcessor() override;

    // --- Device operations ------------------------------------------------------
    // Device start, then the run flags and cycle totals from zero; false when the
    // device start fails or the clock is 0. Hands the memory map the addresses
    // of the direct-path size words.
    bool Start(int32_t* value) override;
    // Device reset; with kResetMemoryChanged also FullResetHook and a reload of
    // the direct-path words from the memory map.
    bool Reset(uint32_t flags) override;
    // FullResetHook, ResetRegisters when started, every event record freed, device stop.
    void Stop() override;
    bool IsProcessor() const override;
    bool SaveData(common::CStreamHolder& holder) override;
    bool LoadData(common::CStreamHolder& holder, common::CNarrowString* errorText) override;

    // --- Processor operations (CProcessorInterface) ----------------------------
    void ResetRegisters() override;
    int32_t GetKindCode() override;
    void ResetProgramCounter() override;
    // The base runs nothing: answers the budget.
    int32_t Execute(int32_t budget) override;
    uint32_t EndSlice() override;
    bool StopSlice() override;
    uint32_t GetProgramCounter() override;
    void NotifyValue(int32_t value) override;
    void FullResetHook() override;
    // Inline and final: every timer update asks for the nominal count below.
    uint64_t GetCycleCount() final {
        return m_cycles + static_cast<uint64_t>(static_cast<int64_t>(m_waitCycles)) +
               static_cast<uint64_t>(static_cast<int64_t>(m_sliceBudget) - static_cast<int64_t>(m_sliceLeft));
    }
    uint32_t GetAddressMask() override;
    void SetAddressMask(uint32_t mask) override;
    void SetChwiFlag() override;
    // SetChwiFlag; an instruction set may route the request its own way.
    void CallSetChwiFlag() override;
    int32_t GetFrequency() override;
    bool SetFrequency(int32_t hz) override;
    int32_t GetEffectiveFrequency() override;
    void SetEffectiveFrequency(int32_t hz) override;
    int32_t GetBaseFrequency() final { return s_baseFrequency; }
    uint64_t GetNominalCycleCount() final {
        const uint64_t elapsed = GetCycleCount() - m_lastCycles;
        // Equal rates need no floating point: below 2^53 the product with
        // 1.0 is exact, so the answer is the same.
        if (m_ratio == 1.0 && elapsed <= kExactDoubleLimit)
            return m_lastNominalCycles + elapsed;
        return GetScaledNominalCycleCount(elapsed);
    }
    bool GetNmiFlag() override;
    bool SetNmiFlag(bool value) override;
    uintptr_t QueryHook(uintptr_t a, uintptr_t b, uintptr_t c) override;
    uint32_t QueryZero() override;
    void AddWaitCycles(int32_t cycles) override;
    bool UsesBaseFrequency() override;
    int32_t Disassemble(common::CString* const* columns, uint32_t* kind, uint32_t* widths) override;
    bool FormatRegisters(common::CStringList* list, bool perRegister) override;
    // The two register views: the dump lines for kEventDumpState, the
    // per-register column for kEventPopupLines (argument: the list).
    bool HandleEvent(uint32_t event, uint8_t flag, uintptr_t argument) override;
    void GetTwoValues(uint32_t* a, uint32_t* b) override;
    // While the bus's registering flag is set (machine start) the callback is
    // also registered under the name, and the answer is the registry's.
    bool AddEvent(int32_t period, EventCallback callback, CObject* user, const char* name, uint32_t data0,
                  uint32_t data1) override;
    void StartEvents() override;
    void RunDueEvents() override;
    int32_t GetClockFrequency() override;
    int32_t RemoveEvents(EventCallback callback, CObject* user) override;

    // --- Process-wide settings (the emulator core) -----------------------------
    static int32_t GetProcessBaseFrequency() { return s_baseFrequency; }
    static void SetProcessBaseFrequency(int32_t hz) { s_baseFrequency = hz; }
    // Set at power-on when the machine runs at maximum speed; event periods
    // and wait cycles are then converted by CFREQ.
    bool IsTimeScaling() const { return m_timeScaling; }
    void SetTimeScaling(bool on) { m_timeScaling = on; }

    // --- Event list inspection --------------------------------------------------
    CCycleEvent* GetFirstEvent() const { return m_firstEvent; }
    int32_t GetEventCount() const;
    // The record of the first event with this name and user; null when none.
    CCycleEvent* FindEvent(const char* name, CObject* user) const;

    // --- Memory accessors -------------------------------------------------------
    // Data reads and writes: direct page path, else the memory map.
    bool ReadByte(uint32_t address, uint8_t* value);
    bool ReadWord(uint32_t address, uint16_t* value);
    bool ReadDword(uint32_t address, uint32_t* value);
    bool ReadQword(uint32_t address, uint64_t* value);
    bool WriteByte(uint32_t address, uint8_t value);
    bool WriteWord(uint32_t address, uint16_t value);
    bool WriteDword(uint32_t address, uint32_t value);
    bool WriteQword(uint32_t address, uint64_t value);
    // Looks without side effects where the map decides (the slow path passes the
    // peek flag); a page's own read handler is still called as for a read.
    bool PeekByte(uint32_t address, uint8_t* value);
    bool PeekWord(uint32_t address, uint16_t* value);
    bool PeekDword(uint32_t address, uint32_t* value);
    bool PeekQword(uint32_t address, uint64_t* value);
    // Instruction fetches: a read-watched page takes the slow path. On success
    // the width is added to *counter.
    bool ReadByteFastCounted(uint32_t address, uint8_t* value, uint32_t* counter);
    bool ReadWordFastCounted(uint32_t address, uint16_t* value, uint32_t* counter);
    bool ReadDwordFastCounted(uint32_t address, uint32_t* value, uint32_t* counter);
    bool ReadQwordFastCounted(uint32_t address, uint64_t* value, uint32_t* counter);
    // The memory map's paths only.
    bool ReadByteSlow(uint32_t address, uint8_t* value);
    bool ReadWordSlow(uint32_t address, uint16_t* value);
    bool ReadDwordSlow(uint32_t address, uint32_t* value);
    bool ReadQwordSlow(uint32_t address, uint64_t* value);
    bool PeekDwordSlow(uint32_t address, uint32_t* value);
    bool PeekQwordSlow(uint32_t address, uint64_t* value);
    bool ReadByteCounted(uint32_t address, uint8_t* value, uint32_t* counter);
    bool ReadWordCounted(uint32_t address, uint16_t* value, uint32_t* counter);
    bool ReadDwordCounted(uint32_t address, uint32_t* value, uint32_t* counter);
    bool ReadQwordCounted(uint32_t address, uint64_t* value, uint32_t* counter);
    bool WriteByteSlow(uint32_t address, uint8_t value);
    bool WriteWordSlow(uint32_t address, uint16_t value);
    bool WriteDwordSlow(uint32_t address, uint32_t value);
    bool WriteQwordSlow(uint32_t address, uint64_t value);

    // --- Run flags (read and written by the execution core) ---------------------
    bool IsInSlice() const { return m_inSlice; }
    bool GetFaultFlag() const { return m_fault; }
    bool GetChwiFlag() const { return m_chwi; }
    bool GetInterruptEnable() const { return m_ahwi; }
    int32_t GetInterruptDelay() const { return m_hwid; }
    uint64_t GetFlagMask() const { return m_flagMask; }

protected:
    // Every whole number up to it is a double exactly.
    static constexpr uint64_t kExactDoubleLimit = uint64_t{1} << 53;

    // The nominal count under a ratio other than 1.
    uint64_t GetScaledNominalCycleCount(uint64_t elapsed) const;
    // Period in base-frequency cycles to processor cycles (at least 1).
    int32_t ConvertPeriod(int32_t period) const;
    // Converts every pending event to the ratio about to take effect.
    void RescaleEvents(double newRatio);

    // Direct-path words shared by every processor of the process; the memory
    // map keeps the size words current while its extra area switches.
    static const CMemory::CPageDescriptor* s_pageTable; // the map's; not owned
    static uint8_t* s_ramBase;                          // the map's; not owned
    static uint32_t s_memorySize;                       // addresses below it may go direct
    static uint32_t s_memorySizeMinus1;                 // a word below it fits
    static uint32_t s_memorySizeMinus3;                 // a double word below it fits
    static uint32_t s_addressMask;
    static int32_t s_baseFrequency; // Hz
    // The processor whose map the words describe; it clears them when it
    // stops or goes, so that no processor reads a freed table.
    static const CProcessor* s_wordsOwner;

    // At a slice's start: when another processor of the process (another
    // machine's) ran since, the words describe its map and are taken back.
    void BindFastPathWords() {
        if (__builtin_expect(s_wordsOwner != this, 0))
            LoadFastPathWords();
    }

    int32_t m_frequency;          // FREQ, Hz
    bool m_timeScaling;           // not saved
    uint64_t m_cycles;            // CYCL
    int32_t m_effectiveFrequency; // FFREQ, Hz
    uint64_t m_lastCycles;        // LCYCL: GetCycleCount at the last FFREQ change
    uint64_t m_lastNominalCycles; // LSCYCL: GetNominalCycleCount then
    double m_ratio;               // CFREQ: base frequency / FFREQ, or 1.0
    bool m_iffreq;                // IFFREQ: carried by the state
    bool m_nmi;                   // NMI: one-shot delay step for the execution core
    bool m_chwi;                  // CHWI: look for an interrupt at the next boundary
    uint32_t m_crid;              // CRID: carried by the state
    bool m_ahwi;                  // AHWI: interrupts enabled
    int32_t m_hwid;               // HWID: boundaries to let pass before the next check
    uint64_t m_flagMask;          // FMSK
    bool m_inSlice;               // not saved
    uint32_t m_instructionStart;  // PC of the current instruction; not saved
    bool m_fault;                 // WFLT: abandon the current instruction
    int32_t m_sliceBudget;        // MCYCL
    int32_t m_sliceLeft;          // ECYCL
    int32_t m_paidCycles;         // PCYCL: already paid towards a deferred instruction
    int32_t m_waitCycles;         // SCYCL
    bool m_eventsStarted;         // STEVT
    // Disassembly scratch: hex dump of the bytes fetched and their count; not saved.
    common::CNarrowString m_dasmDump;
    uint32_t m_dasmCount;

private:
    CCycleEvent* TakeFreeRecord();
    void Unlink(CCycleEvent* event);
    void Recycle(CCycleEvent* event);
    // Calls an event's callback; answers whether the event stays (and no
    // RemoveEvents took it meanwhile). Normalises and reconverts its period.
    bool Fire(CCycleEvent* event);
    void FreeRecords();
    void RecycleAllEvents();
    void LoadFastPathWords();
    void ClearFastPathWords();

    // Outcome of the direct path of one byte.
    enum { kSlowPath = 0, kDone = 1, kFault = 2 };
    template <uint32_t kTest> int ReadDirectByte(uint32_t a, uint8_t* value);
    int WriteDirectByte(uint32_t a, uint8_t value);
    // The direct path of a value inside one plain RAM page, else the slow path.
    template <uint32_t kTest, typename T> bool ReadValue(uint32_t address, T* value, uint32_t limit, uint8_t flag);
    template <typename T> bool WriteValue(uint32_t address, T value, uint32_t limit);
    // Byte by byte through the memory map, lowest address first; false at the
    // first byte after which WFLT is set (a read then leaves *value unchanged).
    template <typename T> bool ReadSlowValue(uint32_t address, T* value, uint8_t flag);
    template <typename T> bool WriteSlowValue(uint32_t address, T value);
    uint8_t SlowReadByte(uint32_t a, uint8_t flag);
    void SlowWriteByte(uint32_t a, uint8_t value);

    CCycleEvent* m_firstEvent; // owned records, insertion order
    CCycleEvent* m_lastEvent;
    CCycleEvent* m_freeEvents; // owned, linked through m_next
    // The walk of StartEvents/RunDueEvents: the record firing now and the one
    // after it, so that RemoveEvents from a callback keeps the walk intact.
    CCycleEvent* m_firing;
    CCycleEvent* m_walkNext;
    bool m_firingRemoved;
};

// --- Memory accessors: the direct path is inlined into the execution cores --------

template <uint32_t kTest> inline int CProcessor::ReadDirectByte(uint32_t a, uint8_t* value) {
    if (a >= s_memorySize)
        return kSlowPath;
    const CMemory::CPageDescriptor& page = s_pageTable[a >> CMemory::kPageShift];
    const uint32_t test = page.flags & kTest;
    if (test == CMemory::kDirectRead) {
        *value = static_cast<const uint8_t*>(page.readContext)[a & CMemory::kPageOffsetMask];
        return kDone;
    }
    if (test != CMemory::kHandlerRead)
        return kSlowPath;
    // A declined read takes the plain RAM byte. A fault abandons the access at
    // once rather than asking the handler a second time through the map.
    uint8_t byte = 0;
    if (!page.readHandler(page.readContext, a, 1, &byte, 0))
        byte = s_ramBase[a];
    if (m_fault)
        return kFault;
    *value = byte;
    return kDone;
}

inline int CProcessor::WriteDirectByte(uint32_t a, uint8_t value) {
    if (a >= s_memorySize)
        return kSlowPath;
    const CMemory::CPageDescriptor& page = s_pageTable[a >> CMemory::kPageShift];
    const uint32_t test = page.flags & CMemory::kTestWrite;
    if (test == CMemory::kDirectWrite) {
        static_cast<uint8_t*>(page.writeContext)[a & CMemory::kPageOffsetMask] = value;
        return kDone;
    }
    if (test != CMemory::kHandlerWrite)
        return kSlowPath;
    uint8_t byte = value;
    if (!page.writeHandler(page.writeContext, a, 1, &byte))
        s_ramBase[a] = value;
    return m_fault ? kFault : kDone;
}

inline bool CProcessor::ReadByte(uint32_t address, uint8_t* value) {
    const uint32_t a = address & s_addressMask;
    const int result = ReadDirectByte<CMemory::kTestDataRead>(a, value);
    return result == kSlowPath ? ReadSlowValue(a, value, 0) : result == kDone;
}

inline bool CProcessor::PeekByte(uint32_t address, uint8_t* value) {
    const uint32_t a = address & s_addressMask;
    const int result = ReadDirectByte<CMemory::kTestDataRead>(a, value);
    return result == kSlowPath ? ReadSlowValue(a, value, 1) : result == kDone;
}

inline bool CProcessor::ReadByteFastCounted(uint32_t address, uint8_t* value, uint32_t* counter) {
    const uint32_t a = address & s_addressMask;
    const int result = ReadDirectByte<CMemory::kTestFetch>(a, value);
    const bool ok = result == kSlowPath ? ReadSlowValue(a, value, 0) : result == kDone;
    if (ok)
        *counter += 1;
    return ok;
}

inline bool CProcessor::WriteByte(uint32_t address, uint8_t value) {
    const uint32_t a = address & s_addressMask;
    const int result = WriteDirectByte(a, value);
    return result == kSlowPath ? WriteSlowValue(a, value) : result == kDone;
}

template <uint32_t kTest, typename T>
inline bool CProcessor::ReadValue(uint32_t address, T* value, uint32_t limit, uint8_t flag) {
    const uint32_t a = address & s_addressMask;
    if (a < limit && (a & CMemory::kPageOffsetMask) <= CMemory::kPageSize - sizeof(T)) {
        const CMemory::CPageDescriptor& page = s_pageTable[a >> CMemory::kPageShift];
        if ((page.flags & kTest) == CMemory::kDirectRead) {
            const uint8_t* bytes = static_cast<const uint8_t*>(page.readContext) + (a & CMemory::kPageOffsetMask);
            T result = 0;
            for (uint32_t i = 0; i < sizeof(T); ++i)
                result |= static_cast<T>(static_cast<T>(bytes[i]) << (8 * i));
            *value = result;
            return true;
        }
    }
    return ReadSlowValue(address, value, flag);
}

template <typename T> inline bool CProcessor::WriteValue(uint32_t address, T value, uint32_t limit) {
    const uint32_t a = address & s_addressMask;
    if (a < limit && (a & CMemory::kPageOffsetMask) <= CMemory::kPageSize - sizeof(T)) {
        const CMemory::CPageDescriptor& page = s_pageTable[a >> CMemory::kPageShift];
        if ((page.flags & CMemory::kTestWrite) == CMemory::kDirectWrite) {
            uint8_t* bytes = static_cast<uint8_t*>(page.writeContext) + (a & CMemory::kPageOffsetMask);
            for (uint32_t i = 0; i < sizeof(T); ++i)
                bytes[i] = static_cast<uint8_t>(value >> (8 * i));
            return true;
        }
    }
    return WriteSlowValue(address, value);
}

template <typename T> inline bool CProcessor::ReadSlowValue(uint32_t address, T* value, uint8_t flag) {
    T result = 0;
    for (uint32_t i = 0; i < sizeof(T); ++i) {
        const uint8_t byte = SlowReadByte((address + i) & s_addressMask, flag);
        if (m_fault)
            return false;
        result |= static_cast<T>(static_cast<T>(byte) << (8 * i));
    }
    *value = result;
    return true;
}

template <typename T> inline bool CProcessor::WriteSlowValue(uint32_t address, T value) {
    for (uint32_t i = 0; i < sizeof(T); ++i) {
        SlowWriteByte((address + i) & s_addressMask, static_cast<uint8_t>(value >> (8 * i)));
        if (m_fault)
            return false;
    }
    return true;
}

inline bool CProcessor::ReadWord(uint32_t address, uint16_t* value) {
    return ReadValue<CMemory::kTestDataRead>(address, value, s_memorySizeMinus1, 0);
}
inline bool CProcessor::ReadDword(uint32_t address, uint32_t* value) {
    return ReadValue<CMemory::kTestDataRead>(address, value, s_memorySizeMinus3, 0);
}
inline bool CProcessor::ReadQword(uint32_t address, uint64_t* value) {
    return ReadValue<CMemory::kTestDataRead>(address, value, s_memorySize, 0);
}
inline bool CProcessor::PeekWord(uint32_t address, uint16_t* value) {
    return ReadValue<CMemory::kTestDataRead>(address, value, s_memorySizeMinus1, 1);
}
inline bool CProcessor::PeekDword(uint32_t address, uint32_t* value) {
    return ReadValue<CMemory::kTestDataRead>(address, value, s_memorySizeMinus3, 1);
}
inline bool CProcessor::PeekQword(uint32_t address, uint64_t* value) {
    return ReadValue<CMemory::kTestDataRead>(address, value, s_memorySize, 1);
}
inline bool CProcessor::ReadWordFastCounted(uint32_t address, uint16_t* value, uint32_t* counter) {
    const bool ok = ReadValue<CMemory::kTestFetch>(address, value, s_memorySizeMinus1, 0);
    if (ok)
        *counter += 2;
    return ok;
}
inline bool CProcessor::ReadDwordFastCounted(uint32_t address, uint32_t* value, uint32_t* counter) {
    const bool ok = ReadValue<CMemory::kTestFetch>(address, value, s_memorySizeMinus3, 0);
    if (ok)
        *counter += 4;
    return ok;
}
inline bool CProcessor::ReadQwordFastCounted(uint32_t address, uint64_t* value, uint32_t* counter) {
    const bool ok = ReadValue<CMemory::kTestFetch>(address, value, s_memorySize, 0);
    if (ok)
        *counter += 8;
    return ok;
}
inline bool CProcessor::WriteWord(uint32_t address, uint16_t value) {
    return WriteValue(address, value, s_memorySizeMinus1);
}
inline bool CProcessor::WriteDword(uint32_t address, uint32_t value) {
    return WriteValue(address, value, s_memorySizeMinus3);
}
inline bool CProcessor::WriteQword(uint32_t address, uint64_t value) {
    return WriteValue(address, value, s_memorySize);
}

} // namespace emu
