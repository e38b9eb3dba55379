#pragma once
// The Intel 8080 processor at 2.5 MHz as a framework processor device.
//
//   Registers                    Flag byte F
//   A      accumulator             bit 7  S   sign of the result
//   F      flags                   bit 6  Z   result zero
//   B C    pair BC                 bit 5  -   always 0
//   D E    pair DE                 bit 4  AC  carry out of bit 3
//   H L    pair HL (M = [HL])      bit 3  -   always 0
//   SP     stack pointer           bit 2  P   even parity
//   PC     program counter         bit 1  -   always 1
//                                  bit 0  CY  carry out of bit 7
//   An instruction that writes F keeps bits 5, 3 and 1 from the old F:
//   F = (computed & 0xD5) | (old F & 0x2A).
//
// Timing: the 8080's own state counts (not the 8085's): a conditional call
// costs 11, 17 when taken; a conditional return 5, 11 when taken; RST 11;
// HLT 7 and it executes again every 7 cycles until an interrupt comes. The
// undocumented opcodes 08 10 18 20 28 30 38 are NOPs (4), CB a JMP (10),
// D9 a RET (10) and DD ED FD CALLs (17).
//
// D9 is also the trap opcode: before it runs as RET, the trap hook (the
// machine's emulated BIOS) may answer with another opcode to run in its place
// or stop the slice. A hook, or a break at a traced RST or interrupt entry,
// that stops the slice leaves PC on the stopped instruction, which runs again
// from its start in the next slice.
//
// Slices: Execute(budget) runs instructions until the budget is spent. An
// instruction that does not fit into what is left is deferred: the cycles left
// are paid towards it (PCYCL), its opcode and the PC behind it are kept
// ("PEOP", "PEPC") and it runs first in the next slice for the rest.
//
// Interrupts. Kept as the machine's software expects them, unlike the chip:
//   - interrupts are enabled at reset;
//   - taking an interrupt leaves the interrupt enable set; instead no request
//     is looked for again until 50 checks have passed;
//   - entering an interrupt costs 7 cycles.
//
// State (after the processor base's "_CPU"): "VER" u8 0, "A" u8, "FLAGS" u8,
// "BC" "DE" "HL" "PC" "SP" u16, "PEOP" u8, "PEPC" u16.
//
// Emulation thread only.
#include <cstdint>

#include "emu/framework/CMemory.h"
#include "emu/framework/CProcessor.h"

namespace common {
class CSettingsRegistry;
class CString;
class CStringList;
} // namespace common

namespace emu {

// The 64 pages of the 64 KB address space for fetches, data reads and
// writes, each entry the page's bytes minus the page's address (so that the
// entry plus the address is the byte), or 0 where the access must go through
// the memory map (a handler, an alias, a watch, no access, beyond the size).
// Kept across slices and rebuilt only when the table, the address mask, the
// size or any descriptor changed since it was built.
struct CPageView {
    static constexpr uint32_t kPages = 0x10000 >> CMemory::kPageShift;
    uintptr_t fetch[kPages];
    uintptr_t read[kPages];
    uintptr_t write[kPages];
    const CMemory::CPageDescriptor* table = nullptr; // what it was built from; not owned
    uint32_t mask = 0;
    uint32_t size = 0;
    uint32_t generation = 0; // CMemory::GetLayoutGeneration() then
    bool loaded = false;

    bool IsCurrent(const CMemory::CPageDescriptor* pages, uint32_t addressMask, uint32_t memorySize) const {
        return loaded && generation == CMemory::GetLayoutGeneration() && table == pages && mask == addressMask &&
               size == memorySize;
    }
    static const uint8_t* At(uintptr_t entry, uint32_t address) {
        return reinterpret_cast<const uint8_t*>(entry + address);
    }
    static uint8_t* WritableAt(uintptr_t entry, uint32_t address) {
        return reinterpret_cast<uint8_t*>(entry + address);
    }
};

class CProcessor_I8080 : public CProcessor {
public:
    // Called when opcode D9 executes (display 0) or is disassembled (display 1)
    // at `address`. *opcode comes preset to 0xD9: left so, D9 runs as RET;
    // another value runs (or shows) that opcode instead. False stops the slice
    // with D9 not executed and PC on it.
    typedef bool (*TrapHook)(void* context, CProcessorInterface* processor, uint16_t address, uint8_t* opcode,
                             uint8_t display);

    static constexpr int32_t kClock = 2500000;
    static constexpr int32_t kKindCode = 3;

    static constexpr uint8_t kFlagS = 0x80;
    static constexpr uint8_t kFlagZ = 0x40;
    static constexpr uint8_t kFlagAC = 0x10;
    static constexpr uint8_t kFlagP = 0x04;
    static constexpr uint8_t kFlagCY = 0x01;
    static constexpr uint8_t kFlagsComputed = 0xD5; // the bits an instruction may change
    static constexpr uint8_t kFlagsFixed = 0x2A;    // kept from the old F
    static constexpr uint8_t kFlagsReset = 0x02;

    static constexpr uint8_t kOpcodeHlt = 0x76;
    static constexpr uint8_t kOpcodeTrap = 0xD9;

    // Register fields of the instruction encoding.
    enum : uint32_t { kRegB = 0, kRegC, kRegD, kRegE, kRegH, kRegL, kRegM, kRegA };
    enum : uint32_t { kPairBC = 0, kPairDE, kPairHL, kPairSP };

    CProcessor_I8080();
    ~CProcessor_I8080() override;

    // --- Device operations ------------------------------------------------------
    // The base start, then a 16-bit address mask and FMSK's low byte 0xD5.
    bool Start(int32_t* value) override;
    bool CollectProperties(common::CSettingsRegistry* registry, bool enabledOnly) override;
    bool ValidateProperties(bool enabledOnly) override;
    // Debug menu: trace and break switches of the RST and interrupt entries.
    void BuildMenu(COptionTree* menu, int32_t kind) override;
    bool SaveData(common::CStreamHolder& holder) override;
    // F keeps its fixed bits (1 set, 3 and 5 clear) whatever the file holds.
    bool LoadData(common::CStreamHolder& holder, common::CNarrowString* errorText) override;

    // --- Processor operations ---------------------------------------------------
    void ResetRegisters() override;
    int32_t GetKindCode() override;
    void ResetProgramCounter() override;
    int32_t Execute(int32_t budget) override;
    uint32_t EndSlice() override;
    bool StopSlice() override;
    uint32_t GetProgramCounter() override;
    void SetAddressMask(uint32_t mask) override;
    void CallSetChwiFlag() override;
    // The instruction at PC as seven columns (CProcessor_I8080_Disassembler.cpp).
    int32_t Disassemble(common::CString* const* columns, uint32_t* kind, uint32_t* widths) override;
    bool FormatRegisters(common::CStringList* list, bool perRegister) override;

    // --- The machine's trap hook ------------------------------------------------
    void SetTrapHook(void* context, TrapHook hook);
    TrapHook GetTrapHook() const { return m_trapHook; }
    void* GetTrapContext() const { return m_trapContext; }

    // --- Instruction steps (PC and SP move only on success) -----------------------
    bool FetchByte(uint8_t* value);
    bool FetchWord(uint16_t* value);
    bool PopWord(uint16_t* value);
    bool PushWord(uint16_t value);
    // Interrupt entry for request `line` to `address`; false: not taken (a
    // break, or the return address could not be pushed).
    bool ExecuteIrq(int32_t line, uint32_t address, uint64_t* cycles);
    // RST n with PC behind the opcode; false: a break or a push fault.
    bool ExecuteRst(int32_t n, uint64_t* cycles);
    // The undocumented opcodes; any other opcode does nothing.
    bool ExecuteUndocumented(uint8_t opcode);

    // --- Registers ------------------------------------------------------------------
    uint8_t GetA() const { return m_a; }
    uint8_t GetF() const { return m_f; }
    uint16_t GetBC() const { return m_bc; }
    uint16_t GetDE() const { return m_de; }
    uint16_t GetHL() const { return m_hl; }
    uint16_t GetSP() const { return m_sp; }
    // The register itself, also inside a slice (GetProgramCounter gives the
    // start of the running instruction there).
    uint16_t GetPC() const { return m_pc; }
    void SetA(uint8_t value) { m_a = value; }
    // Keeps the fixed bits.
    void SetF(uint8_t value) { m_f = static_cast<uint8_t>((value & kFlagsComputed) | kFlagsReset); }
    void SetBC(uint16_t value) { m_bc = value; }
    void SetDE(uint16_t value) { m_de = value; }
    void SetHL(uint16_t value) { m_hl = value; }
    void SetSP(uint16_t value) { m_sp = value; }
    void SetPC(uint16_t value) { m_pc = value; }
    // By encoding field: B C D E H L (M reads 0) A, and BC DE HL SP.
    uint8_t GetRegister8(uint32_t field) const;
    uint16_t GetRegister16(uint32_t field) const;
    // Interrupt enable (AHWI).
    void SetInterruptEnable(bool on) { m_ahwi = on; }
    // The deferred instruction: its opcode, the PC behind it and the cycles paid.
    uint8_t GetPendingOpcode() const { return m_pendingOpcode; }
    uint16_t GetPendingPC() const { return m_pendingPC; }
    int32_t GetPaidCycles() const { return m_paidCycles; }
    // "S", "Z", "A", "P", "C" or "-" each: "-Z-P-" for F = 0x46.
    static void FormatFlags(uint8_t f, char text[6]);

    // --- Shared tables --------------------------------------------------------------
    struct CFlagTables {
        uint8_t szp[256];   // S, Z and P of a result byte
        uint16_t daa[1024]; // by A | CY << 8 | AC << 9: new A << 8 | new flags
    };
    // S, Z and P of a result byte.
    static const uint8_t* GetSzpTable();
    // Indexed by A | CY << 8 | AC << 9: new A << 8 | new flags (0xD5 bits).
    static const uint16_t* GetDaaTable();
    // Cycles by opcode; conditional calls and returns at their not-taken cost.
    static const int32_t* GetCycleTable();

    // --- Trace and break switches (settings "TraceSWInt00" ...) --------------------
    static constexpr int kSwitches = 8;
    bool m_traceSoftware[kSwitches]; // each executed RST n
    bool m_breakSoftware[kSwitches];
    bool m_traceHardware[kSwitches]; // each taken interrupt request n & 7
    bool m_breakHardware[kSwitches];

protected:
    // Built by the compiler; one copy for every processor of the process.
    static const CFlagTables s_flagTables;

    // Taken conditional call or return.
    static constexpr int32_t kTakenExtra = 6;
    static constexpr int32_t kInterruptEntryCycles = 7;
    static constexpr int32_t kNmiStepCycles = 7;

    // What an instruction boundary did (ServiceBoundary).
    enum : int32_t {
        kBoundaryFetch = 0, // nothing taken: fetch the next instruction
        kBoundaryTaken = 1, // an NMI step or an interrupt entry used the boundary
        kBoundaryStop = 2,  // an interrupt entry was refused: end the slice
    };

    // The NMI step and the interrupt check at a boundary, on the members.
    int32_t ServiceBoundary();
    // OUT and IN on the members; IN answers false when its access faulted and
    // moves PC back to `start` while the port reports that it is not ready.
    void OutputPort(uint32_t port);
    bool InputPort(uint32_t port, uint32_t start);
    // The trap hook for D9 at `address`: the opcode to run, or -1 when the
    // hook (or a fault) stopped the slice.
    int32_t CallTrapHook(uint16_t address);
    // An entry report with the switch pair; true when the debugger broke in
    // here (the entry is then left undone).
    bool ReportEntry(bool trace, bool brk, const char* format, ...) COMMON_PRINTF_FORMAT(4, 5);
    // Ends the slice leaving the remainder non-positive and MCYCL - ECYCL unchanged.
    void CutSlice();

    uint8_t m_a;
    uint8_t m_f;
    uint16_t m_bc;
    uint16_t m_de;
    uint16_t m_hl;
    uint16_t m_sp;
    uint16_t m_pc;
    uint8_t m_pendingOpcode; // PEOP
    uint16_t m_pendingPC;    // PEPC: behind the pending opcode
    void* m_trapContext;     // the hook's installer's; not owned
    TrapHook m_trapHook;

    // Disassembly scratch, used by Disassemble only; not saved. The byte dump
    // and byte count are the base's m_dasmDump and m_dasmCount.
    uint16_t m_traceAddress;      // next byte to decode
    uint16_t m_traceStackPointer; // next stack word to peek

    // The slice loop's direct path through the memory map; not saved.
    CPageView m_view;

private:
    // The slice loop's working set and helpers (CProcessor_I8080_Slice.h).
    struct CSlice;
    // The disassembler's own helpers (CProcessor_I8080_Disassembler.cpp).
    class CDisassembly;
    friend class CDisassembly;
};

} // namespace emu
