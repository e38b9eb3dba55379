#pragma once
// The Intel 8259 programmable interrupt controller as a framework interrupt
// controller: eight request lines, offered to the processor by priority.
//
//   Port  Write                                   Read
//   0     ICW1 (bit 4 = 1)                        IRR or ISR (as OCW3 chose),
//         OCW2 (bits 4-3 = 00): EOI, rotation     or the poll byte 80h | line
//         OCW3 (bits 4-3 = 01): read register,
//               poll, special mask
//   1     ICW2, ICW3, ICW4 while initialising,    IMR
//         else OCW1 (IMR)
//
//   ICW1  bit 0 ICW4 follows   bit 1 single (no ICW3)   bit 2 call interval 4
//         bits 7-5 call address A7-A5 (8080 mode)
//   ICW2  8080 mode: call address A15-A8; x86 mode: vector base (bits 7-3)
//   ICW4  bit 0 x86 mode       bit 1 automatic EOI
//   OCW2  bits 7-5: 000 autorotate off, 001 EOI, 011 specific EOI,
//         100 autorotate on, 101 EOI and rotate, 110 set priority,
//         111 specific EOI and set priority; bits 2-0 the line
//   OCW3  bits 1-0 = 1x read IRR (10) or ISR (11); bit 2 poll;
//         bit 6 = 1: special mask = bit 5
//
// Initialisation: ICW1 restarts the sequence ICW2, then ICW3 (cascade mode
// only), then ICW4 (when ICW1 announced it); port-1 writes take the next
// expected word. Until the sequence is complete no request is offered. An
// ICW1 without ICW4 leaves every ICW4 function off (8080 mode, no AutoEOI).
//
// Requests are latches: a raise is taken once and stays pending until the
// processor's acknowledge (or a poll read) consumes it or the device lowers
// the line again; the trigger-mode bit of ICW1 has no effect. A line in
// service blocks every request of equal or lower priority unless special
// mask mode is on. The acknowledge gives the line, the vector (8080 mode: the
// line; x86 mode: ICW2 base + line) and the call address: 8080 mode
// ICW2 * 256 + ICW1 bits 7-5 + line * 4 (interval 4) or ICW2 * 256 + ICW1
// bits 7-6 + line * 8 (interval 8); x86 mode vector * 4.
//
// The machine reaches the two ports either by calling ReadPort0/1 and
// WritePort0/1 from its own I/O decoding (the Korvet machine does) or by
// putting them on the port space with ConnectPorts (A0 = port bit 0).
//
// State (after the controller base's "_CFP", "_DEV", "_INTRD"): "VER" u8 0,
// then i32 fields "IRR" "ISR" "IMR" "IRR0".."IRR7" (request counts) "ICW1"
// "ICW2" "ICW3" "ICW4" "ICWF" (words still expected: bit 0 ICW2, bit 1 ICW3,
// bit 2 ICW4) "OCW1" "OCW2" "OCW3" "MPI" "IVI" "PRM" "WMD".
//
// Settings: the 60 trace and break flags ("TraceRaiseIRQ0".."BreakReadIMR").
//
// Emulation thread only; the flag bytes are also set by the Debug menu and
// the settings, one byte store each.
#include <cstdint>

#include "emu/framework/CInterruptController.h"

namespace common {
class CNarrowString;
class CSettingsRegistry;
class CStreamHolder;
} // namespace common

namespace emu {

class COptionTree;

class CInterruptController_I8259 : public CInterruptController {
public:
    static constexpr int32_t kLines = 8;
    static constexpr const char* kPortsParameter = "Ports";
    // ICW4 bit 0: x86 vectors instead of 8080 call addresses.
    static constexpr uint32_t kIcw4X86Mode = 0x01;

    CInterruptController_I8259();
    ~CInterruptController_I8259() override;

    bool CollectProperties(common::CSettingsRegistry* registry, bool enabledOnly) override;
    // Checks nothing; true.
    bool ValidateProperties(bool enabledOnly) override;
    // Registers with the interrupt service, then clears every register.
    bool Start(int32_t* value) override;
    void BuildMenu(COptionTree* menu, int32_t kind) override;
    bool SaveData(common::CStreamHolder& holder) override;
    bool LoadData(common::CStreamHolder& holder, common::CNarrowString* errorText) override;

    // The controller interface. Lines are folded into 0..7.
    bool Acknowledge(bool commit, int32_t* line, int32_t* vector, int32_t* address) override;
    bool SetRequestLine(uint32_t line, bool raise) override;
    bool IsRequestPending(int32_t line) override;
    // The same as IsRequestPending.
    bool IsIrqPending(int32_t line);
    // Acknowledge as if the lines in the mask had no request: what a cascade
    // master offers when its slave has nothing behind the cascade line.
    bool AcknowledgeExcept(uint32_t excludedLines, bool commit, int32_t* line, int32_t* vector, int32_t* address);

    // The two ports. A write the debugger stops is left undone; quiet is a
    // look by the debugger that leaves no trace and changes nothing.
    void WritePort0(uint8_t value);
    void WritePort1(uint8_t value);
    uint8_t ReadPort0(bool quiet);
    uint8_t ReadPort1(bool quiet);
    // Port-space handlers; the context is the controller. Size 1 only; port
    // bit 0 selects port 1.
    static bool ReadPortCallback(void* context, uint32_t port, uint32_t size, uint8_t* value, uint8_t quiet);
    static bool WritePortCallback(void* context, uint32_t port, uint32_t size, uint8_t* value);
    // Withdraws the "Ports" parameter and, for port >= 0, declares it again
    // over the two ports from there.
    void ConnectPorts(int32_t port);

    // One command word each, as the ports carry them out.
    void WriteIcw1(uint8_t value);
    void WriteIcw2(uint8_t value);
    void WriteIcw3(uint8_t value);
    void WriteIcw4(uint8_t value);
    void WriteOcw1(uint8_t value);
    void WriteOcw2(uint8_t value, bool quiet);
    void WriteOcw3(uint8_t value);

    // Added to the line numbers of trace lines only (8 for a cascade slave).
    void SetLineBase(int32_t base) { m_lineBase = base; }
    int32_t GetLineBase() const { return m_lineBase; }

    // Register view (low bytes; for tests and the debugger).
    uint32_t GetIRR() const { return m_regs.IRR; }
    uint32_t GetISR() const { return m_regs.ISR; }
    uint32_t GetIMR() const { return m_regs.IMR; }
    uint32_t GetMPI() const { return m_regs.MPI; }
    uint32_t GetWMD() const { return m_regs.WMD; }
    // The "ICWF" bits of the words still expected.
    uint32_t GetICWF() const;

private:
    // Where the initialisation sequence stands: the word the next port-1 write is.
    enum class InitStep : uint8_t { Ready, Icw2, Icw3, Icw4 };

    struct Registers {
        uint32_t IRR = 0;
        uint32_t ISR = 0;
        uint32_t IMR = 0;
        int32_t count[kLines] = {}; // 1 while the line's request is latched
        uint32_t ICW1 = 0;
        uint32_t ICW2 = 0;
        uint32_t ICW3 = 0;
        uint32_t ICW4 = 0;
        InitStep init = InitStep::Ready;
        uint32_t OCW1 = 0;
        uint32_t OCW2 = 0;
        uint32_t OCW3 = 0;
        uint32_t MPI = 0; // the line of highest priority
        uint32_t IVI = 0; // x86 vector base, ICW2 & F8h
        uint32_t PRM = 2; // what a plain port-0 read returns: 2 IRR, 3 ISR
        uint32_t WMD = 0; // kMode* bits
    };

    bool FindHighestRequest(uint32_t excludedLines, uint32_t& line) const;
    bool FindHighestInService(uint32_t& line) const;
    uint32_t GetPriorityRank(uint32_t line) const { return (line - m_regs.MPI) & 7; }
    bool IsX86Mode() const { return (m_regs.ICW4 & kIcw4X86Mode) != 0; }
    void GetVectorAndAddress(uint32_t line, int32_t& vector, int32_t& address) const;
    // Takes one latched request of the line away.
    void ConsumeRequest(uint32_t line);
    // The word after the one just written, as ICW1 announced the sequence.
    InitStep StepAfter(InitStep step) const;
    // After a load: the invariants a state file cannot be trusted to keep.
    void RederiveState();
    void BuildFlagMenus(COptionTree* menu, bool brk);

    // Trace and break flags (settings and Debug menu).
    bool m_traceReadPorts0;
    bool m_traceReadPorts1;
    bool m_breakReadPorts0;
    bool m_breakReadPorts1;
    bool m_traceWritePorts0;
    bool m_traceWritePorts1;
    bool m_breakWritePorts0;
    bool m_breakWritePorts1;
    bool m_traceRaiseIRQ[kLines];
    bool m_breakRaiseIRQ[kLines];
    bool m_traceProcessIRQ[kLines];
    bool m_breakProcessIRQ[kLines];
    bool m_traceWriteICW[4];
    bool m_breakWriteICW[4];
    bool m_traceWriteOCW[3];
    bool m_breakWriteOCW[3];
    bool m_traceReadIMR;
    bool m_breakReadIMR;
    bool m_traceReadIRR;
    bool m_breakReadIRR;
    bool m_traceReadISR;
    bool m_breakReadISR;

    Registers m_regs;
    int32_t m_lineBase;
};

} // namespace emu
