#pragma once
// Binds a device's declared parameters into the machine's services: memory
// windows into the memory map, port ranges into the port space, interrupt
// vectors into the interrupt tables. The declaring device is the handlers'
// context (passed as a CDevice* turned into void*).
//
// Every binding first restores the parameter; a disabled parameter stops there
// (true). A failing service call ends the binding with false, leaving what was
// installed so far in place (it comes out with the parameter's next restore)
// and the parameter not applied. A successful binding applies the declared
// values: flag target true, targets = declared values.
#include <cstdint>

namespace emu {

class CDevice;
class CDeviceParameter;
class CInterrupts;
class CMemory;
class CPorts;

class CParameterBinder {
public:
    CParameterBinder();
    virtual ~CParameterBinder();

    CParameterBinder(const CParameterBinder&) = delete;
    CParameterBinder& operator=(const CParameterBinder&) = delete;

    // Type 4: the read handler, then the write handler, on every page of the window.
    virtual bool BindMemoryWindow(CMemory* memory, CDeviceParameter* parameter, CDevice* device);
    // Type 8: every port's input handler (or status input handler), then every
    // port's output handler. A count of 0 fails.
    virtual bool BindPorts(CPorts* ports, CDeviceParameter* parameter, CDevice* device);
    // Types 1 and 2: nothing to install; the parameter only becomes applied.
    virtual bool BindValue(CDeviceParameter* parameter);
    virtual bool BindValue2(CDeviceParameter* parameter);
    // Types 16 and 32: the hook on every vector of the range in table A or B.
    // A count below 1 fails.
    virtual bool BindInterruptVector(CInterrupts* interrupts, CDeviceParameter* parameter, CDevice* device);
    virtual bool BindInterruptTableEntry(CInterrupts* interrupts, CDeviceParameter* parameter, CDevice* device);

private:
    // Steps shared by every binding: the type must match; the parameter is
    // restored. The answer says whether the caller goes on to install it.
    static bool Prepare(CDeviceParameter* parameter, uint32_t type, bool& result);
    static bool BindVectors(CInterrupts* interrupts, CDeviceParameter* parameter, CDevice* device, bool tableB);
};

} // namespace emu
