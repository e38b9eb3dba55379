#pragma once
// The machine as its devices and the emulator core see it. The machine base
// implements it; a device reaches it through the pointer that SetServices hands
// over, and a device's parameter list asks it to bind parameters again when a
// declaration changes while the machine runs.
#include <cstdint>

namespace common {
class CTextConsole;
}

namespace emu {

class CDeviceParameter;
class CProcessorInterface;

class CMachineInterface {
public:
    CMachineInterface();
    virtual ~CMachineInterface();

    CMachineInterface(const CMachineInterface&) = delete;
    CMachineInterface& operator=(const CMachineInterface&) = delete;

    // The first processor of the machine; null when there is none.
    virtual CProcessorInterface* GetMainProcessor() = 0;
    virtual common::CTextConsole* GetConsole() = 0;
    // True while a machine state is being loaded.
    virtual bool GetStateFlag() = 0;
    // Whether the emulation may go on (the core's break hook decides).
    virtual bool PollBreak(uint32_t argument) = 0;
    // The main processor's base frequency in Hz and its cycle count in
    // base-frequency units; 0 without a processor.
    virtual void GetBaseFrequency(int64_t* out) = 0;
    virtual void GetBaseCycleCount(int64_t* out) = 0;
    // Both of the above in one call, for devices that ask on every tick.
    virtual void GetBaseTime(int64_t* frequency, int64_t* cycles);
    // Binds the parameters of the device tree again: every parameter of the
    // given one's type, or all of them for null. While the machine is not
    // running it does nothing and answers true.
    virtual bool BindParameters(CDeviceParameter* parameter) = 0;
    // A line was raised: every processor looks for an interrupt before its next instruction.
    virtual void NotifyInterruptRequest() = 0;
    // Asked by a traced access whose break flag is set. Without a host break
    // hook: *result becomes true and the answer is 0 (no break).
    virtual uint32_t CheckBreak(bool* request, bool* result);
    // on raises the suspend count, off lowers it (never below 0).
    virtual void Suspend(bool on) = 0;

    // The core's trace level; devices print trace lines only while it is 1 or
    // more. Null until the core takes the machine.
    int32_t* GetTraceLevel() const { return m_traceLevel; }
    void SetTraceLevel(int32_t* traceLevel) { m_traceLevel = traceLevel; }

protected:
    int32_t* m_traceLevel; // owned by the emulator core
};

} // namespace emu
