#pragma once
// The declarations a device makes of its resources. Every add operation takes
// the parameter's name and the unconditional flag first and answers whether
// the parameter was declared; a null name, a name already declared or a
// declaration without a handler is refused and changes nothing.
//
// The target variants bind the device's variables: a flag (its value at
// declaration is the fixed flag; it is then cleared and later mirrors whether
// the parameter is applied) and the 64-bit values. The value variants take the
// values themselves and have no targets. A count of 0 is declared as 1.
#include <cstdint>

#include "emu/framework/CInterrupts.h"
#include "emu/framework/CMemory.h"
#include "emu/framework/CPorts.h"

namespace emu {

class CDeviceParameter;

class CDeviceParameterListInterface {
public:
    CDeviceParameterListInterface();
    virtual ~CDeviceParameterListInterface();

    CDeviceParameterListInterface(const CDeviceParameterListInterface&) = delete;
    CDeviceParameterListInterface& operator=(const CDeviceParameterListInterface&) = delete;

    // A window of 1 KB memory pages (type 4).
    virtual bool AddMemoryWindow(const char* name, bool unconditional, bool* flagTarget, uint64_t* firstPageTarget,
                                 uint64_t* pageCountTarget, CMemory::ReadHandler read, CMemory::WriteHandler write) = 0;
    // I/O ports (type 8) with plain input handlers.
    virtual bool AddPorts(const char* name, bool unconditional, bool* flagTarget, uint64_t* firstPortTarget,
                          uint64_t* countTarget, CPorts::InputHandler input, CPorts::OutputHandler output) = 0;
    virtual bool AddPorts2(const char* name, bool unconditional, bool fixed, uint64_t firstPort, uint64_t count,
                           CPorts::InputHandler input, CPorts::OutputHandler output) = 0;
    // I/O ports with status-reporting input handlers.
    virtual bool AddPorts3(const char* name, bool unconditional, bool* flagTarget, uint64_t* firstPortTarget,
                           uint64_t* countTarget, CPorts::InputHandlerWithStatus input,
                           CPorts::OutputHandler output) = 0;
    virtual bool AddPortRange(const char* name, bool unconditional, bool fixed, uint64_t firstPort, uint64_t count,
                              CPorts::InputHandlerWithStatus input, CPorts::OutputHandler output) = 0;
    // Output-only ports.
    virtual bool AddPorts5(const char* name, bool unconditional, bool fixed, uint64_t firstPort, uint64_t count,
                           CPorts::OutputHandler output) = 0;
    // Plain values (types 1 and 2); refused without a flag target unless unconditional.
    virtual bool AddValue(const char* name, bool unconditional, bool* flagTarget, uint64_t* valueTarget) = 0;
    virtual bool AddValue2(const char* name, bool unconditional, bool* flagTarget, uint64_t* firstTarget,
                           uint64_t* secondTarget) = 0;
    // Interrupt vectors of the first table (type 16); the by-value form is fixed.
    virtual bool AddInterruptVector(const char* name, bool unconditional, bool* flagTarget, uint64_t* firstVectorTarget,
                                    uint64_t* countTarget, CInterrupts::VectorHook hook) = 0;
    virtual bool AddInterruptVector2(const char* name, bool unconditional, uint64_t firstVector, uint64_t count,
                                     CInterrupts::VectorHook hook) = 0;
    // Interrupt vectors of the second table (type 32).
    virtual bool AddInterruptTableEntry(const char* name, bool unconditional, bool* flagTarget,
                                        uint64_t* firstVectorTarget, uint64_t* countTarget,
                                        CInterrupts::VectorHook hook) = 0;
    virtual bool AddInterruptTableEntry2(const char* name, bool unconditional, uint64_t firstVector, uint64_t count,
                                         CInterrupts::VectorHook hook) = 0;
    // Withdraws a declaration; true when no parameter has the name.
    virtual bool Remove(const char* name) = 0;
    virtual CDeviceParameter* FindByName(const char* name) = 0;
};

} // namespace emu
