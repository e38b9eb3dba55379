#pragma once
// WD179X floppy-disk controller, reduced to what the machine's disk software
// needs. Commands complete at once: there is no rotation, index or step
// timing; the processor sees only a busy handshake in STATUS. Sector bytes
// stream between the processor and the selected drive's one-sector buffer,
// one DATA access at a time. The drive's position is the only truth: no ID
// field is compared with TRACK or SECTOR.
//
// Registers by port offset (the low three bits):
//
//   offset | modes 0, 1 read | write    | mode 2 read | write
//   -------+-----------------+----------+-------------+--------
//     0    | DATA            | DATA     | STATUS      | COMMAND
//     1    | SECTOR          | SECTOR   | TRACK       | TRACK
//     2    | TRACK           | TRACK    | SECTOR      | SECTOR
//     3    | STATUS          | COMMAND  | DATA        | DATA
//     4    | DRIVE           | DRIVE    | IRQSTS      | DRIVE
//     6    | -               | -        | 1           | (ignored)
//
// STATUS bits: 0x01 BUSY, 0x02 DRQ (index in type I status), 0x04 TRACK 0,
// 0x08 drive not ready, 0x10 seek error, 0x20 head loaded, 0x40 write
// protect (after a refused Write Sector), 0x80 failed selection (stored only).
//
// DRIVE register, mode 0 (the machine's): bits 0-3 select drive 0-3 (the
// lowest set bit wins), bit 4 the head, bit 5 the motor (shown in traces
// only). Mode 1: bit 0 the drive, bit 2 clear selects head 1. Mode 2: bit 0
// drive 0, else bit 1 drive 1; bit 4 the head.
//
// The Korvet machine reaches the registers through its memory-mapped I/O page
// (the register operations below) and writes DRIVE through a parallel-port
// line with WriteDriveExternal; its interrupt output is line 7.
//
// State data, after the device base's: "VER" u8 1, "DIDX" u8 (selected drive
// + 1, 0 for none), "WMOD" u8 (command state), "DRVR" "CMDR" "STSR" "TRKR"
// "SECR" "DATR" "IMSK" "HIDX" "TSTP" "SCTD" "BYTD" i32, "WIRQ" bool, "BLNK"
// u32 (the not-ready blink count). Version 0, without "BLNK", still loads.
//
// Settings: "TraceReadREG[n]", "BreakReadREG[n]", "TraceWriteREG[n]",
// "BreakWriteREG[n]" for register index n: 0 DATA, 1 SECTOR, 2 TRACK,
// 3 COMMAND/STATUS, 4 DRIVE (IRQSTS read in mode 2), 5 none, 6 MOTOR (5 and 6
// in mode 2 only).
#include <atomic>
#include <cstdint>

#include "emu/framework/CDiskController.h"

namespace emu {

class CDiskDrive;

class CDiskController_WD179X : public CDiskController {
public:
    // Register indices of the trace and break flags.
    enum Register : int32_t {
        kRegData = 0,
        kRegSector = 1,
        kRegTrack = 2,
        kRegCommand = 3, // STATUS when read
        kRegDrive = 4,   // IRQSTS when read in mode 2
        kRegNone = 5,
        kRegMotor = 6,
        kRegisterCount = 7,
    };

    // The phase of the current command.
    enum class CommandState : int32_t {
        Idle = 0,
        Reading = 1,   // Read Sector: DATA reads deliver sector bytes
        Writing = 2,   // Write Sector: DATA writes fill sector bytes
        Handshake = 3, // a type I command or a drive selection: BUSY shows once
    };

    static constexpr uint8_t kStatusBusy = 0x01;
    static constexpr uint8_t kStatusIndex = 0x02; // DRQ during a transfer
    static constexpr uint8_t kStatusTrack0 = 0x04;
    static constexpr uint8_t kStatusNotReady = 0x08;
    static constexpr uint8_t kStatusSeekError = 0x10;
    static constexpr uint8_t kStatusHeadLoaded = 0x20;
    static constexpr uint8_t kStatusWriteProtect = 0x40;
    static constexpr uint8_t kStatusFailed = 0x80;

    CDiskController_WD179X();
    ~CDiskController_WD179X() override;

    // --- Wiring --------------------------------------------------------------------------
    // Declares the "IRQ" value parameter over the line (after removing an old
    // one); a negative line only removes. The removal's or declaration's result.
    bool ConnectIrq(int32_t line, bool declareArg, bool connected);
    // Declares "PORTS" at the port: 5 ports (modes 0, 1) or 7 (mode 2).
    bool ConnectPorts(int32_t port);
    // Refused while the device runs.
    bool SetInterfaceMode(int32_t mode);
    int32_t GetInterfaceMode() const { return m_interfaceMode; }
    void ClearIrq();
    void RaiseIrq();

    // --- Registers (quiet: a debugger look that changes nothing) -----------------------------
    void WriteCommand(uint8_t value);
    void WriteTrack(uint8_t value);
    uint8_t ReadTrack(bool quiet);
    void WriteSector(uint8_t value);
    uint8_t ReadSector(bool quiet);
    void WriteData(uint8_t value);
    uint8_t ReadData(bool quiet);
    // silent: no break check and no trace line.
    uint8_t ReadStatus(bool quiet, bool silent);
    void WriteDrive(uint8_t value);
    void WriteDriveMode1(uint8_t value);
    void WriteDriveMode2(uint8_t value);
    // The DRIVE layout of the interface mode.
    void WriteDriveExternal(uint8_t value);
    uint8_t ReadDrive(bool quiet);
    // Sets *status to 1 (repeat the input) while nothing is pending for the reader.
    uint8_t ReadIrqStatus(bool quiet, uint8_t* status);

    // The status evaluation behind every STATUS read; not quiet, it lowers the
    // interrupt and advances the busy handshake.
    uint8_t ComputeStatus(bool quiet);
    // Mask bits 0x01 (became ready) and 0x02 (became not ready) raise the
    // interrupt once; force raises it in any case.
    void CheckDriveInterrupts();
    void CheckDriveInterruptsEx(bool force);

    // --- Port handlers (context: the device) ---------------------------------------------------
    static bool ReadPortCallback(void* context, uint32_t port, uint32_t size, uint8_t* value, uint8_t flag);
    static bool WritePortCallback(void* context, uint32_t port, uint32_t size, uint8_t* value);
    static bool ReadPortCallbackMode2(void* context, uint32_t port, uint32_t size, uint8_t* value, uint8_t flag,
                                      uint8_t* status);
    static bool WritePortCallbackMode2(void* context, uint32_t port, uint32_t size, uint8_t* value);

    // --- Device --------------------------------------------------------------------------------
    bool Start(int32_t* value) override;
    bool SaveData(common::CStreamHolder& holder) override;
    bool LoadData(common::CStreamHolder& holder, common::CNarrowString* errorText) override;
    bool CollectProperties(common::CSettingsRegistry* registry, bool enabledOnly) override;
    bool ValidateProperties(bool enabledOnly) override;
    void BuildMenu(COptionTree* menu, int32_t kind) override;
    void OnMediaChanged(int32_t drive) override;
    bool GetGeometry(int32_t drive, bool validate, uint64_t* cylinders, uint64_t* heads, uint64_t* sectors,
                     uint64_t* sectorSize) override;
    bool FitsImageSize(int32_t drive, uint64_t size) override;

    // Binds the seven flags of one register array to "<name>[<index>]".
    static void RegisterIndexedKey(common::CSettingsRegistry* registry, const char* name, bool* flags);

    // --- Inspection ------------------------------------------------------------------------------
    CommandState GetCommandState() const { return m_state; }
    CDiskDrive* GetSelectedDrive() const { return m_selected; }
    int32_t GetSelectedIndex() const;
    uint8_t GetCommand() const { return static_cast<uint8_t>(m_reg.CMDR); }
    int32_t GetStoredStatus() const { return m_reg.STSR; }
    int32_t GetInterruptMask() const { return m_reg.IMSK; }
    int32_t GetSectorsToDo() const { return m_reg.SCTD; }
    int32_t GetBytesToDo() const { return m_reg.BYTD; }
    int32_t GetStepDirection() const { return m_reg.TSTP; }
    bool IsIrqActive() const { return m_reg.WIRQ; }
    bool* GetTraceReadFlags() { return m_flags[kTraceRead]; }
    bool* GetTraceWriteFlags() { return m_flags[kTraceWrite]; }
    bool* GetBreakReadFlags() { return m_flags[kBreakRead]; }
    bool* GetBreakWriteFlags() { return m_flags[kBreakWrite]; }

private:
    // Flag arrays, in this order so that the trace flags and the break flags
    // each lie together for the menu's Select All actions.
    enum FlagArray : int32_t { kTraceRead = 0, kTraceWrite = 1, kBreakRead = 2, kBreakWrite = 3, kFlagArrays = 4 };

    struct CRegisters {
        int32_t DRVR = 0;  // DRIVE, as last written
        int32_t CMDR = 0;  // COMMAND, as last accepted
        int32_t STSR = 0;  // STATUS, as last evaluated
        int32_t TRKR = 0;  // TRACK
        int32_t SECR = 1;  // SECTOR, 1-based
        int32_t DATR = 0;  // DATA outside a transfer; the Seek target
        int32_t IMSK = 0;  // low four bits of the last Force Interrupt
        int32_t HIDX = 0;  // head from the DRIVE register
        int32_t TSTP = 0;  // +1 or -1: direction of the last head movement
        int32_t SCTD = 0;  // sectors left in the transfer, the current one included
        int32_t BYTD = 0;  // bytes left in the current sector
        bool WIRQ = false; // the interrupt is raised and nobody has taken it
    };

    bool IsSelectedDriveReady() const;
    // A status evaluation shows BUSY, or a second one shows not ready: the
    // register writes that move the head are ignored then.
    bool IsBusyOrNotReady();
    // The selected drive refuses writes: a Write Sector ends at once.
    bool IsWriteProtected() const;
    void SetSlotAccess(CDiskDrive* drive);
    // Read or Write Sector: the sector count and the first byte of the current sector.
    int32_t PrepareTransfer(uint8_t command);
    // The next sector of a multi-sector transfer when the current one is done.
    void AdvanceTransfer();
    // Type I commands; false when the head could not move.
    bool ExecuteTypeOne(uint8_t command);
    // The shared steps of the three DRIVE layouts.
    void SelectDrive(int32_t index, int32_t head);
    // The head goes where TRACK, the head bit and SECTOR say after the
    // selected drive examined a new medium.
    void RestoreHeadPosition();
    void RaiseLine(bool raise);
    // The blink count of a version 1 state; a version 0 state has none.
    bool LoadBlink(common::CStreamHolder& holder, uint8_t version);

    bool m_flags[kFlagArrays][kRegisterCount];
    int32_t m_interfaceMode; // 0 (the machine's), 1 or 2
    int32_t m_portBase;      // the first port of "PORTS"
    CommandState m_state;
    CDiskDrive* m_selected; // one of the drive children; not owned, null when none
    CRegisters m_reg;
    // BLNK: status evaluations that found the drive not ready; their count
    // blinks BUSY, so it is part of the state (atomic: quiet status reads
    // come from other threads).
    std::atomic<uint32_t> m_blink;
};

} // namespace emu
