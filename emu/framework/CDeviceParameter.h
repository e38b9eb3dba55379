#pragma once
// One resource that a device declares for the machine to bind: a plain value
// (an interrupt line), a window of memory pages with read and write handlers,
// a range of I/O ports with input and output handlers, or a range of interrupt
// vectors with a hook.
//
// A parameter is bound to program variables of its device (targets): a flag
// that mirrors "applied" and up to two 64-bit values. Its declared values are
// taken when it is made; a binding writes them to the targets and sets the
// flag; a restore clears the flag and writes the declared values back.
//
//   type  kind                         first value   second value   handlers
//   1     plain value                  the value     1 unless given -
//   2     plain value, second kind     first value   second value   -
//   4     memory window                first page    page count     read, write
//   8     I/O ports                    first port    port count     input, status input, output
//   16    interrupt vectors, table A   first vector  vector count   hook
//   32    interrupt vectors, table B   first vector  vector count   hook
//   64    two words (no binder takes it)
//
// While a parameter is bound into a service it remembers where, so that when
// it is restored (removed, disabled, its device stopped, or bound again) its
// handlers are taken out of that service: a moved window or a withdrawn port
// range leaves no stale handler behind pointing at its device.
#include <cstdint>

#include "common/CNarrowString.h"
#include "emu/framework/CInterrupts.h"
#include "emu/framework/CMemory.h"
#include "emu/framework/CPorts.h"

namespace emu {

class CDeviceParameter {
public:
    static constexpr uint32_t kTypeNone = 0;
    static constexpr uint32_t kTypeValue = 1;
    static constexpr uint32_t kTypeValue2 = 2;
    static constexpr uint32_t kTypeMemoryWindow = 4;
    static constexpr uint32_t kTypePorts = 8;
    static constexpr uint32_t kTypeInterruptVector = 16;
    static constexpr uint32_t kTypeInterruptTable = 32;
    static constexpr uint32_t kType64 = 64;

    // Over targets: the declared values are the targets' values (0 without a
    // first target; 1 for a missing or zero second one); the flag target's value
    // is the fixed flag, and the target is then cleared.
    CDeviceParameter(const char* name, bool unconditional, bool* flagTarget, uint64_t* firstTarget,
                     uint64_t* secondTarget);
    // By value: no targets; a second value of 0 is declared as 1.
    CDeviceParameter(const char* name, bool unconditional, bool fixed, uint64_t firstValue, uint64_t secondValue);
    virtual ~CDeviceParameter();

    CDeviceParameter(const CDeviceParameter&) = delete;
    CDeviceParameter& operator=(const CDeviceParameter&) = delete;

    // Setting the type with its handlers; each refuses a declaration without a
    // handler (or, for the plain values, without a flag target and not unconditional).
    bool SetMemoryWindowType(CMemory::ReadHandler read, CMemory::WriteHandler write);
    bool SetPortType(CPorts::InputHandler input, CPorts::OutputHandler output);
    bool SetStatusPortType(CPorts::InputHandlerWithStatus input, CPorts::OutputHandler output);
    bool SetInterruptVectorType(CInterrupts::VectorHook hook);
    bool SetInterruptTableType(CInterrupts::VectorHook hook);
    bool SetType64(uintptr_t first, uintptr_t second);
    bool SetValueType();
    bool SetValue2Type();

    // Applies new values: a fixed parameter applies only its declared values
    // (anything else leaves it not applied). Applied, the targets get the new
    // values; not applied, the declared ones.
    void SetValue(bool apply, uint64_t first, uint64_t second);
    // Disabling restores the parameter; a disabled parameter is not bound.
    void SetEnabled(bool enable);
    // Not applied, flag target false, targets = declared values, and any
    // handlers it had installed taken out of their service.
    void Restore();
    // The binder's last step: applied with the declared values.
    void MarkApplied();

    // Remembers the service the binder installs this parameter's handlers into
    // (one of the three, matching the type).
    void RecordBinding(CMemory* memory, CPorts* ports, CInterrupts* interrupts);
    // Takes the handlers recorded by RecordBinding out of their service again.
    void RemoveBinding();

    const common::CNarrowString& GetName() const { return m_name; }
    uint32_t GetType() const { return m_type; }
    uint64_t GetDeclaredFirst() const { return m_declaredFirst; }
    uint64_t GetDeclaredSecond() const { return m_declaredSecond; }
    uint64_t GetCurrentFirst() const { return m_currentFirst; }
    uint64_t GetCurrentSecond() const { return m_currentSecond; }
    bool IsApplied() const { return m_applied; }
    bool IsUnconditional() const { return m_unconditional; }
    bool IsFixed() const { return m_fixed; }
    bool IsEnabled() const { return m_enabled; }
    bool HasBinding() const {
        return m_boundMemory != nullptr || m_boundPorts != nullptr || m_boundInterrupts != nullptr;
    }

    CMemory::ReadHandler GetReadHandler() const { return m_read; }
    CMemory::WriteHandler GetWriteHandler() const { return m_write; }
    CPorts::InputHandler GetInputHandler() const { return m_input; }
    CPorts::InputHandlerWithStatus GetStatusInputHandler() const { return m_statusInput; }
    CPorts::OutputHandler GetOutputHandler() const { return m_output; }
    CInterrupts::VectorHook GetVectorHook() const { return m_hook; }
    uintptr_t GetWord(int index) const { return index >= 0 && index < 2 ? m_words[index] : 0; }

private:
    bool SetPlainType(uint32_t type);
    void WriteTargets(uint64_t first, uint64_t second);

    uint32_t m_type;
    common::CNarrowString m_name;
    uint64_t* m_firstTarget;  // the device's variable; not owned
    uint64_t* m_secondTarget; // the device's variable; not owned
    bool* m_flagTarget;       // the device's variable mirroring m_applied; not owned
    uint64_t m_declaredFirst;
    uint64_t m_declaredSecond;
    uint64_t m_currentFirst;
    uint64_t m_currentSecond;
    bool m_applied;
    bool m_unconditional;
    bool m_fixed;
    bool m_enabled;

    // Handlers by type (only those of the parameter's type are set).
    CMemory::ReadHandler m_read;
    CMemory::WriteHandler m_write;
    CPorts::InputHandler m_input;
    CPorts::InputHandlerWithStatus m_statusInput;
    CPorts::OutputHandler m_output;
    CInterrupts::VectorHook m_hook;
    uintptr_t m_words[2];

    // Where the handlers were installed; null when they are not installed. Not owned.
    CMemory* m_boundMemory;
    CPorts* m_boundPorts;
    CInterrupts* m_boundInterrupts;
};

} // namespace emu
