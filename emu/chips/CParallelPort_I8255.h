#pragma once
// The Intel 8255 programmable peripheral interface as a framework device:
// three 8-bit ports and a control register at four consecutive addresses.
//
//   Offset  Register   Write                               Read
//   +0      port A     output latch A                      pins (machine) or latch A
//   +1      port B     output latch B                      pins (machine) or latch B
//   +2      port C     output latch C, per 4-bit half      pins (machine) or latch C
//   +3      control    mode word (bit 7 = 1) or            the last mode word
//                      port C bit set/reset (bit 7 = 0)
//
//   Mode word   bit 7  1                 bit 3  port C upper half input
//               6..5   group A mode      bit 2  group B mode
//                      (1x = 2, 01 = 1)  bit 1  port B input
//               bit 4  port A input      bit 0  port C lower half input
//   Bit set/reset: bits 3..1 the bit of port C, bit 0 its level.
//
// A mode word clears all three output latches, as the chip does, and the
// machine is told the new level of every port (or half of port C) that is an
// output. Modes 1 and 2 are decoded, kept and named in trace lines, but every
// port works as a plain latched port in every mode: no strobe or acknowledge
// on port C and no interrupt request.
//
// The chip holds latches and directions; whatever hangs on its pins is the
// machine's. The machine attaches one context and a read and a write callback
// (ConnectPorts), which every access to ports A, B and C reaches with size 1
// and the line number base + 0, 1 or 2; a read comes preset with the port's
// latch. The machine either calls the register operations from its own I/O
// decoding (the Korvet machine does, from its memory-mapped I/O page, with
// three of these devices) or has the four ports put on the port space. Until
// ConnectPorts the device's own dispatchers stand in, which makes it a set of
// plain latches.
//
// State (after the device base's "_CFP" and "_DEV"): "VER" u8 0, "CTRL" i32,
// "A" i32, "B" i32, "C" i32. Directions and modes follow from "CTRL".
//
// Settings: the sixteen trace and break flags "TraceReadCTRL" .. "BreakWriteC".
//
// Emulation thread only; the flag bytes are also set by the Debug menu and
// the settings, one byte store each.
#include <cstdint>

#include "emu/framework/CDevice.h"
#include "emu/framework/CPorts.h"

namespace emu {

class CParallelPort_I8255 : public CDevice {
public:
    // The port-space handler shapes, so the dispatchers serve in both places.
    // A read answers true with the value left in *value; false: not taken.
    typedef CPorts::InputHandler ReadCallback;
    typedef CPorts::OutputHandler WriteCallback;

    // Register indexes, also the offsets from the base line.
    enum : uint32_t { kRegA = 0, kRegB = 1, kRegC = 2, kRegCtrl = 3, kRegisterCount = 4 };

    // Trace and break flags, in settings order: CTRL, A, B, C; read, write.
    enum Flag : uint32_t {
        kTraceReadCTRL = 0,
        kBreakReadCTRL,
        kTraceWriteCTRL,
        kBreakWriteCTRL,
        kTraceReadA,
        kBreakReadA,
        kTraceWriteA,
        kBreakWriteA,
        kTraceReadB,
        kBreakReadB,
        kTraceWriteB,
        kBreakWriteB,
        kTraceReadC,
        kBreakReadC,
        kTraceWriteC,
        kBreakWriteC,
        kFlagCount
    };

    static constexpr uint8_t kModeWord = 0x80;
    static constexpr const char* kPortsParameter = "Ports";

    CParallelPort_I8255();
    ~CParallelPort_I8255() override;

    // Attaches the machine's lines. "Ports" is withdrawn first (false when the
    // list refuses). A negative base leaves the device without callbacks and
    // answers true only for a disconnect request (all three null). Otherwise
    // the callbacks and base are kept; with mapOnBus the four ports are
    // declared as the port parameter "Ports" (boundValue is the parameter's
    // flag, parameterFlag its unconditional flag) and the answer is the
    // declaration's, else the machine calls the register operations itself.
    bool ConnectPorts(void* context, ReadCallback read, WriteCallback write, int32_t base, bool mapOnBus,
                      uint8_t boundValue, uint8_t parameterFlag);

    void WriteRegA(uint8_t value);
    void WriteRegB(uint8_t value);
    void WriteRegC(uint8_t value);
    // A mode word or a port C bit set/reset.
    void WriteCtrl(uint8_t value);
    // `quiet` is set for a look by the debugger: no side effect, no trace line.
    uint8_t ReadRegA(uint8_t quiet);
    uint8_t ReadRegB(uint8_t quiet);
    uint8_t ReadRegC(uint8_t quiet);
    uint8_t ReadCtrl(uint8_t quiet);

    // The port-space dispatchers; context is the device. Any port number falls
    // on one of the four registers ((port - base) & 3 on the low bytes); a size
    // other than 1 is refused.
    static bool ReadPortCallback(void* context, uint32_t port, uint32_t size, uint8_t* value, uint8_t quiet);
    static bool WritePortCallback(void* context, uint32_t port, uint32_t size, uint8_t* value);

    // Power-on: every port an output in mode 0, control word and latches 0;
    // asks for a bus rate of at least 50 Hz. Reset and Stop leave the registers.
    bool Start(int32_t* value) override;
    bool SaveData(common::CStreamHolder& holder) override;
    bool LoadData(common::CStreamHolder& holder, common::CNarrowString* errorText) override;
    // The sixteen flags (not with enabledOnly), then the children.
    bool CollectProperties(common::CSettingsRegistry* registry, bool enabledOnly) override;
    // Debug menu: trace and break sub-menus per access kind, "Trace All",
    // "Break On All", "Select All", "Clear All".
    void BuildMenu(COptionTree* menu, int32_t kind) override;

    // The settings key of a flag ("TraceReadCTRL"...); null outside the table.
    static const char* GetFlagName(uint32_t flag);
    bool GetFlag(uint32_t flag) const { return flag < kFlagCount && m_flags[flag]; }
    void SetFlag(uint32_t flag, bool on) {
        if (flag < kFlagCount)
            m_flags[flag] = on;
    }

private:
    // Datasheet registers; direction 1 = input.
    struct CRegisters {
        uint32_t CW = 0; // control word: the last mode word
        uint32_t PA = 0; // output latches
        uint32_t PB = 0;
        uint32_t PC = 0;
        uint32_t dirA = 0;
        uint32_t dirB = 0;
        uint32_t dirCH = 0; // port C bits 4-7
        uint32_t dirCL = 0; // port C bits 0-3
        uint32_t modeA = 0; // group A: port A and port C upper half; 0, 1 or 2
        uint32_t modeB = 0; // group B: port B and port C lower half; 0 or 1
    };

    // Directions and modes of a mode word.
    void DecodeModeWord(uint32_t word);
    void WritePortAB(uint32_t index, uint8_t value);
    uint8_t ReadPort(uint32_t index, uint8_t quiet);
    // Tells the machine the new level of every output port after a mode word.
    void NotifyOutputs();
    void CallWrite(uint32_t index, uint8_t value);
    bool HasForeignRead() const { return m_read != nullptr && m_read != &ReadPortCallback; }
    bool HasForeignWrite() const { return m_write != nullptr && m_write != &WritePortCallback; }
    uint32_t LineOf(uint32_t index) const { return static_cast<uint32_t>(m_basePort) + index; }

    bool m_flags[kFlagCount];
    bool m_portsBound;    // the "Ports" parameter's flag target
    uint64_t m_basePort;  // line of port A
    uint64_t m_portCount; // 4 once connected
    ReadCallback m_read;  // the machine's, or the own dispatcher
    WriteCallback m_write;
    void* m_context; // the machine's lines; not owned
    CRegisters m_regs;
};

} // namespace emu
