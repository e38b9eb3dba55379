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
//
// Trace lines. A chip keeps one trace and one break flag per traced event and
// hands them, with the peek flag of the access, to one of the Trace operations:
//
//   if (TraceWrite(m_traceWriteMode, m_breakWriteMode, peek, "=>MODE[%ld] = %.2lXh",
//                  static_cast<long>(channel), static_cast<long>(value)))
//       return true; // the debugger broke in: leave the write undone
//
// The line reads "[label] message" (the label is the short name, else the full
// name) in the colour of its kind (ConsoleColors.h). It is printed when a flag
// is set or the host single-steps (trace level 1 or more, for the operations
// that honour it), never for a peek. With the break flag set the machine's
// break check decides: when it breaks in, the label gets " BREAK" and an access
// answers true, which tells the caller to return at once without the access,
// so that the instruction repeats it after the break. A device without a
// machine prints nothing and never breaks.
#include <cstdarg>
#include <cstdint>

#include "common/CImage.h"
#include "common/CPath.h"
#include "common/Types.h"
#include "emu/framework/CMachineInterface.h"
#include "emu/framework/CObjectContainer.h"

namespace common {
class CFileStream;
}

namespace emu {

class CBus;
class CDeviceParameterList;
class CDrives;
class CInterrupts;
class CKeys;
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
    // Device events. The argument is pointer-sized so that it can carry a
    // common::CStringList*: kEventDumpState asks for the state lines that the
    // debugger's CPU command prints, kEventPopupLines for the lines of the
    // debugger's break popup (a "~" line heads each box).
    static constexpr uint32_t kEventDumpState = 0;
    static constexpr uint32_t kEventPopupLines = 1;
    // Takes no event; false.
    virtual bool HandleEvent(uint32_t event, uint8_t flag, uintptr_t argument);

    // Stores the machine's services (note the order: drives before mouse) and
    // gives the machine to the parameter list.
    void SetServices(CMachineInterface* machine, CBus* bus, CMemory* memory, CPorts* ports, CInterrupts* interrupts,
                     CRenderer* hostLink, CKeys* keys, CDrives* drives, CMouse* mouse);

    // Re-declares the device's "IRQ" parameter over its own line and flag
    // fields: removes "IRQ"; unless that fails or the line is negative, stores
    // the flag and the line and declares "IRQ" again as a plain value.
    void SetIrq(int32_t line, bool flag, uint8_t parameterFlags);

    // Device files (CDevice_Files.cpp): a file of the emulated hardware found by
    // its bare name in the program's "configs" folders and copied into the
    // machine's memory. Up to five alternative names are tried in order (an
    // empty one ends the list); every outcome is one log line naming the file
    // and the description.
    // The full path of the file; false (out cleared) when none is found.
    bool FindFile(const common::CPath& name, common::CPath& out);
    // Leaves the first non-empty file found open in `stream`; the number of the
    // name used (1 to 5), or 0 after an error line.
    int FindFileLogged(common::CFileStream& stream, const common::CNarrowString& description,
                       const common::CPath& name1, const common::CPath& name2, const common::CPath& name3,
                       const common::CPath& name4, const common::CPath& name5, bool logLoaded);
    // Copies the file to `position` after checking its size against the limits
    // (0: none); the number of the name used, or 0.
    int LoadFileToMemory(uint32_t position, uint32_t minimumSize, uint32_t maximumSize,
                         const common::CNarrowString& description, const common::CPath& name1,
                         const common::CPath& name2 = common::CPath(), const common::CPath& name3 = common::CPath(),
                         const common::CPath& name4 = common::CPath(), const common::CPath& name5 = common::CPath());
    // The same, answering the file's size (0 on failure).
    int64_t LoadFileToMemoryAt(uint32_t position, uint32_t minimumSize, uint32_t maximumSize,
                               const common::CNarrowString& description, const common::CPath& name1,
                               const common::CPath& name2 = common::CPath(),
                               const common::CPath& name3 = common::CPath(),
                               const common::CPath& name4 = common::CPath(),
                               const common::CPath& name5 = common::CPath());
    // Loads the file so that it ends just below endPosition; 0 (silently) when
    // it is larger than endPosition.
    int FindAndLoadFile(uint32_t endPosition, uint32_t minimumSize, uint32_t maximumSize,
                        const common::CNarrowString& description, const common::CPath& name1,
                        const common::CPath& name2 = common::CPath(), const common::CPath& name3 = common::CPath(),
                        const common::CPath& name4 = common::CPath(), const common::CPath& name5 = common::CPath());
    // Two files of equal size into one area: the first at the even offsets from
    // position, the second at the odd ones.
    bool LoadInterleavedFiles(uint32_t position, const common::CNarrowString& description,
                              const common::CPath& nameEven, const common::CPath& nameOdd,
                              const common::CPath& alternativeEven, const common::CPath& alternativeOdd);

    // Trace operations (see the top of this file). The access forms answer true
    // when the debugger broke in and the access must be left undone.
    // Reads out of and writes into the device (colours read and write).
    bool TraceRead(bool trace, bool brk, bool peek, const char* format, ...) COMMON_PRINTF_FORMAT(5, 6);
    bool TraceWrite(bool trace, bool brk, bool peek, const char* format, ...) COMMON_PRINTF_FORMAT(5, 6);
    // Register accesses; a register write is traced only by its own flags, not
    // by the host's single-step level, and has no peek form.
    bool TraceRegisterRead(bool trace, bool brk, bool peek, const char* format, ...) COMMON_PRINTF_FORMAT(5, 6);
    bool TraceRegisterWrite(bool trace, bool brk, const char* format, ...) COMMON_PRINTF_FORMAT(4, 5);
    // An output of the device; the caller says whether a break stops the access.
    bool TraceOutput(bool trace, bool brk, bool stopRequest, bool peek, const char* format, ...)
        COMMON_PRINTF_FORMAT(6, 7);
    // With the break flag set: prints "[label BREAK] message" first, then asks
    // the break check; true when it broke in with the access stopped.
    bool TraceBreak(bool brk, const char* format, ...) COMMON_PRINTF_FORMAT(3, 4);
    // Events that never stop anything: an interrupt (own flags only) and a
    // change of state.
    void TraceInterrupt(bool trace, bool brk, const char* format, ...) COMMON_PRINTF_FORMAT(4, 5);
    void TraceState(bool trace, bool brk, bool peek, const char* format, ...) COMMON_PRINTF_FORMAT(5, 6);
    // Lines without a break: a status (also while single-stepping) and an
    // information line (its flag only).
    void TraceStatus(bool trace, bool peek, const char* format, ...) COMMON_PRINTF_FORMAT(4, 5);
    void TraceInfo(bool trace, const char* format, ...) COMMON_PRINTF_FORMAT(3, 4);
    // Unlabelled lines on the machine's console in the trace or the error
    // colour; an empty text prints nothing.
    void ConsoleMessage(const char* format, ...) COMMON_PRINTF_FORMAT(2, 3);
    void ConsoleError(const char* format, ...) COMMON_PRINTF_FORMAT(2, 3);

    // Whether a trace operation that honours the single-step level would act
    // on these flags: the cheap test a chip may make before preparing costly
    // arguments.
    bool IsTraceActive(bool trace, bool brk) const {
        return m_machine != nullptr && (trace || brk || IsHostStepping());
    }
    // The label of trace lines: the short name, else the full name.
    const char* GetTraceLabel() const;

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
    // The loaders' shared steps; the file's size, and in `used` the number of
    // the name used (0 on failure).
    int64_t LoadFoundFile(uint32_t position, uint32_t minimumSize, uint32_t maximumSize,
                          const common::CNarrowString& description, const common::CPath& name1,
                          const common::CPath& name2, const common::CPath& name3, const common::CPath& name4,
                          const common::CPath& name5, int& used);
    // The host's trace level is 1 or more (the debugger single-steps).
    bool IsHostStepping() const {
        const int32_t* level = m_machine != nullptr ? m_machine->GetTraceLevel() : nullptr;
        return level != nullptr && *level >= 1;
    }
    // The shared steps after the decision to act: the plain line without the
    // break flag, else the break check and the break line; the stop result.
    bool TraceChecked(bool brk, bool stopRequest, common::ARGB plainColour, common::ARGB breakColour,
                      const char* format, va_list args);
    // "[label<mark>] " and the message, in the colour, on the device's console.
    void AppendTraceLine(const char* mark, common::ARGB colour, const char* format, va_list args);

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
