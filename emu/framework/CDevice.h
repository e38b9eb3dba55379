#pragma once
// Base of every emulated device: an object container that receives the
// machine's services when the machine starts, declares its resources as named
// parameters for the machine to bind, keeps a started flag, resets its device
// children in tree order, publishes one Debug sub-menu per child and writes
// the chunks "_CFP" (its parameters) and "_DEV" as its own data.
//
// Reset flag words (the machine sends them; a device tests the bits it knows):
//   0x140  the machine has started          0x8E  all parameters were bound
//   0x82   a memory window was bound again  0x84  I/O ports were bound again
//   0x88   a value or interrupt parameter was bound again
//   0x80   another parameter was bound again
//   0x02   the memory map changed           0x100 a host screen was attached or resized
//   0x200  a media change is coming         0x40  a media change is done
//   0xFFFF a machine state was loaded
#include <cstdint>

#include "emu/framework/CObjectContainer.h"

namespace emu {

class CBus;
class CDeviceParameterList;
class CDrives;
class CInterrupts;
class CKeys;
class CMachineInterface;
class CMemory;
class CMouse;
class CPorts;
class CRenderer;

class CDevice : public CObjectContainer {
public:
    static constexpr uint32_t kResetMemoryChanged = 0x02;
    static constexpr uint32_t kResetMediaChanged = 0x40;
    static constexpr uint32_t kResetParameters = 0x80;
    static constexpr uint32_t kResetMemoryWindowBound = 0x82;
    static constexpr uint32_t kResetPortsBound = 0x84;
    static constexpr uint32_t kResetValueBound = 0x88;
    static constexpr uint32_t kResetAllBound = 0x8E;
    static constexpr uint32_t kResetHostScreen = 0x100;
    static constexpr uint32_t kResetStarted = 0x140;
    static constexpr uint32_t kResetMediaChanging = 0x200;
    static constexpr uint32_t kResetStateLoaded = 0xFFFF;

    // Menu kinds that the device base handles itself.
    static constexpr int32_t kMenuDebug = 7;
    static constexpr int32_t kMenuDebugParent = 8;

    CDevice();
    ~CDevice() override;

    // Marks the device started, then starts the enabled children.
    bool Start(int32_t* value) override;
    // Stops the enabled children last to first, restores every parameter
    // (declared values back in the targets), clears started.
    void Stop() override;
    // Debug (kind 7): one sub-menu per child that adds items, named after the
    // child; a selector child adds its items directly. Other kinds go to every child.
    void BuildMenu(COptionTree* menu, int32_t kind) override;
    bool IsDevice() const override;
    // "_CFP" then "_DEV"; a subclass with state of its own calls these first
    // and appends its own chunk.
    bool SaveData(common::CStreamHolder& holder) override;
    bool LoadData(common::CStreamHolder& holder, common::CNarrowString* errorText) override;

    // Passes the flag word to every enabled device child in order; false at the
    // first child that fails.
    virtual bool Reset(uint32_t flags);
    // Handles nothing; 0.
    virtual uint32_t HandleRequest(uintptr_t request, uintptr_t a, uintptr_t b, uintptr_t c, uintptr_t d, uintptr_t e,
                                   uintptr_t f, uintptr_t g);
    virtual bool IsSelector() const;
    // Takes no event; false.
    virtual bool HandleEvent(uint32_t event, uint8_t flag, uint32_t argument);

    // Stores the machine's services (note the order: drives before mouse) and
    // gives the machine to the parameter list.
    void SetServices(CMachineInterface* machine, CBus* bus, CMemory* memory, CPorts* ports, CInterrupts* interrupts,
                     CRenderer* hostLink, CKeys* keys, CDrives* drives, CMouse* mouse);

    // Re-declares the device's "IRQ" parameter over its own line and flag
    // fields: removes "IRQ"; unless that fails or the line is negative, stores
    // the flag and the line and declares "IRQ" again as a plain value.
    void SetIrq(int32_t line, bool flag, uint8_t parameterFlags);

    CDeviceParameterList* GetParameters() const { return m_parameters; }
    CMachineInterface* GetMachine() const { return m_machine; }
    CBus* GetBus() const { return m_bus; }
    CMemory* GetMemory() const { return m_memory; }
    CPorts* GetPorts() const { return m_ports; }
    CInterrupts* GetInterrupts() const { return m_interrupts; }
    CRenderer* GetHostLink() const { return m_hostLink; }
    CKeys* GetKeys() const { return m_keys; }
    CMouse* GetMouse() const { return m_mouse; }
    CDrives* GetDrives() const { return m_drives; }
    bool IsStarted() const { return m_started; }
    bool GetIrqFlag() const { return m_irqFlag; }
    uint64_t GetIrqLine() const { return m_irqLine; }

protected:
    CDeviceParameterList* m_parameters; // owned
    // The machine and its services; not owned, null until SetServices.
    CMachineInterface* m_machine;
    CBus* m_bus;
    CMemory* m_memory;
    CPorts* m_ports;
    CInterrupts* m_interrupts;
    CRenderer* m_hostLink;
    CKeys* m_keys;
    CMouse* m_mouse;
    CDrives* m_drives;
    bool m_started;
    bool m_irqFlag;     // the "IRQ" parameter's flag target
    uint64_t m_irqLine; // the "IRQ" parameter's value target: the interrupt line
};

} // namespace emu
