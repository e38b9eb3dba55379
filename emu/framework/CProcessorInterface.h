#pragma once
// The processor as the emulator core's run loop, the bus, the interrupt-line
// service and the devices drive it. The processor base implements every
// operation; this interface only adds the cycles-until-next-event counter,
// which the run loop reads and debits directly between slices:
//
//   counter = GetCyclesToEvent()
//   used = Execute(min(counter, frame budget))
//   if (DebitCyclesToEvent(used) <= 0) RunDueEvents()
#include <cstdint>

namespace common {
class CString;
class CStringList;
} // namespace common

namespace emu {

class CObject;

class CProcessorInterface {
public:
    // Cycle-timed event callback: (the event's user, its period in base-frequency
    // cycles, its two data words, the processor). The callback may change the
    // period (0 or less counts as 1) and the data; false drops the event.
    typedef bool (*EventCallback)(CObject* user, int32_t* period, uint32_t* data, CProcessorInterface* processor);

    // Columns of a disassembled line: address, bytes, mnemonic, flags, effect
    // text and two spare columns.
    static constexpr int kDisassemblyColumns = 7;
    // Kind word of a disassembled instruction.
    static constexpr uint32_t kDisassembledCall = 0x01;     // comes back to the next instruction
    static constexpr uint32_t kDisassembledTransfer = 0x02; // may jump, or could not be decoded

    // Counter value when no event is scheduled.
    static constexpr int32_t kNoEvent = 0x7FFFFFFF;

    CProcessorInterface();
    virtual ~CProcessorInterface();

    CProcessorInterface(const CProcessorInterface&) = delete;
    CProcessorInterface& operator=(const CProcessorInterface&) = delete;

    // Registers back to their power-on values (also the run flags: interrupts
    // enabled, an interrupt check requested, no delay, nothing pending).
    virtual void ResetRegisters() = 0;
    // 0 for the base; each instruction set has its own code (the 8080: 3).
    virtual int32_t GetKindCode() = 0;
    // As ResetRegisters for the run flags, then the program counter to its start value.
    virtual void ResetProgramCounter() = 0;
    // Runs instructions for `budget` cycles (0: exactly one instruction);
    // returns the cycles the slice counted, overshoot included.
    virtual int32_t Execute(int32_t budget) = 0;
    // Ends the running slice after the current instruction; answers the program counter.
    virtual uint32_t EndSlice() = 0;
    // Ends the running slice at once and abandons the current instruction,
    // which runs again from its start; false outside a slice.
    virtual bool StopSlice() = 0;
    // Inside a slice the start of the current instruction, else the program counter.
    virtual uint32_t GetProgramCounter() = 0;
    // The memory map tells the processor a changed page (-1: every page).
    virtual void NotifyValue(int32_t value) = 0;
    virtual void FullResetHook() = 0;
    // Cycles executed so far, including the running slice's and wait cycles.
    virtual uint64_t GetCycleCount() = 0;
    virtual uint32_t GetAddressMask() = 0;
    virtual void SetAddressMask(uint32_t mask) = 0;
    // Makes the processor look for an interrupt at its next instruction boundary.
    virtual void SetChwiFlag() = 0;
    // The same request as the instruction set implements it.
    virtual void CallSetChwiFlag() = 0;
    virtual int32_t GetFrequency() = 0;
    // False for a negative frequency; restarts the cycle time base.
    virtual bool SetFrequency(int32_t hz) = 0;
    virtual int32_t GetEffectiveFrequency() = 0;
    // The run loop's measured rate; rescales the pending events while time scaling is on.
    virtual void SetEffectiveFrequency(int32_t hz) = 0;
    // The process-wide base frequency in Hz.
    virtual int32_t GetBaseFrequency() = 0;
    // Cycles so far in base-frequency units.
    virtual uint64_t GetNominalCycleCount() = 0;
    virtual bool GetNmiFlag() = 0;
    virtual bool SetNmiFlag(bool value) = 0;
    virtual uintptr_t QueryHook(uintptr_t a, uintptr_t b, uintptr_t c) = 0;
    virtual uint32_t QueryZero() = 0;
    // Stalls the processor for `cycles` base-frequency cycles: inside a slice
    // the slice ends that much earlier, outside it the cycle count advances.
    virtual void AddWaitCycles(int32_t cycles) = 0;
    virtual bool UsesBaseFrequency() = 0;
    // Fills up to seven column texts (null entries are skipped), the kind word
    // and the seven column widths for the instruction at the program counter;
    // answers its length in bytes, -1 when it cannot be read, 0 when the
    // processor cannot disassemble (every output cleared).
    virtual int32_t Disassemble(common::CString* const* columns, uint32_t* kind, uint32_t* widths) = 0;
    // Appends the register view to the list; false when the processor has none.
    virtual bool FormatRegisters(common::CStringList* list, bool perRegister) = 0;
    virtual void GetTwoValues(uint32_t* a, uint32_t* b) = 0;
    // Schedules `callback` every |period| base-frequency cycles; a period of 0
    // or less fires at the next RunDueEvents (or StartEvents) first. The name
    // is kept, not copied, and binds the event again when a state is loaded.
    virtual bool AddEvent(int32_t period, EventCallback callback, CObject* user, const char* name, uint32_t data0,
                          uint32_t data1) = 0;
    // Starts the event time base: fires the events added with a period of 0 or
    // less once and schedules every event.
    virtual void StartEvents() = 0;
    // Fires every due event (a late one repeatedly until it has caught up) and
    // recomputes the counter.
    virtual void RunDueEvents() = 0;
    // The base frequency when the processor uses it, else its own clock.
    virtual int32_t GetClockFrequency() = 0;
    // Drops every event with this callback and user; answers how many went.
    // Safe from inside an event callback.
    virtual int32_t RemoveEvents(EventCallback callback, CObject* user) = 0;

    int32_t GetCyclesToEvent() const { return m_cyclesToEvent; }
    void SetCyclesToEvent(int32_t cycles) { m_cyclesToEvent = cycles; }
    // Subtracts the cycles a slice used; answers the new counter.
    int32_t DebitCyclesToEvent(int32_t cycles) {
        m_cyclesToEvent -= cycles;
        return m_cyclesToEvent;
    }

protected:
    // Cycles until the next event is due ("CBEVT" in the state).
    int32_t m_cyclesToEvent;
};

} // namespace emu
