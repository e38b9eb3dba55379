#pragma once
// The Korvet keyboard: a matrix of 11 rows by 8 columns of key switches,
// driven by the program's key codes and read by the processor through the
// 512-byte keyboard window of the memory maps.
//
//   Row  col 0     1     2     3     4     5     6     7      (blank: no key)
//    0   \         A     B     C     D     E     F     G
//    1   H         I     J     K     L     M     N     O
//    2   P         Q     R     S     T     U     V     W
//    3   X         Y     Z     [     '     ]     F6    F7 (0x98)
//    4   0         1     2     3     4     5     6     7 `
//    5   8         9     ; *   =     ,     -     .     /
//    6   Enter     PrtSc Pause Del   Ins   BkSp  Tab   Space
//    7   LShift    LAlt  RAlt  Esc   RCtrl LCtrl Caps  RShift
//    8   Pad0      Pad1  Pad2  Pad3  Pad4  Pad5  Pad6  Pad7
//    9   Pad8      Pad9
//   10   F1        F2    F3    F4    F5
//   F6 and F7 press the Korvet's ^ and _ keys (Russian Ch and the hard
//   sign), which have no host key in their place. The extended navigation
//   keys share the keypad digits' cells; back-quote and keypad '*' also press
//   the left Shift cell; Down arrow presses Pad5 instead of Pad2 while
//   "DownKeyAsNum5" is set.
//
// Window read (ReadMatrix, offset from the window start):
//   0x000-0x0FF  offset bit k selects row k (0-7); result bit c = column c of
//                any selected row pressed
//   0x100-0x1FF  bits 4-7 select rows 0-3, read from column 1 up (column c to
//                bit c-1, column 0 unseen); bits 0-2 select rows 8-10, all
//                columns; bit 3 selects nothing
//   0x200-       0
//   Each read goes through the read trace "<=Keys[0x%.4X]=0x%.2X" (a quiet
//   read prints nothing); "KeyTrace"/"KeyBreak": 0 never, 1 only a non-zero
//   result, 2 every read.
//
// Key changes reach the matrix only where no scan is half read: a change
// waits for the first read of the next scan (a read after at least
// kScanGap cycles without one), so that every read of one scan sees the same
// matrix, and a cell changed there stays until that whole scan has read it.
// A press also waits for a scan that saw the release before it, so a key
// tapped and released inside one frame still reaches the program once; and a
// modifier (row 7 but Escape) goes up only after the presses typed before its
// release, and stays down while another key pressed less than kLongestWait
// ago is down, so a chord whose modifier goes up first still arrives whole.
// Keys typed faster than the scans take them wait their turn: late, never
// lost. Only changes that came while the program did not read at all, and
// that it still had not read kLongestWait later, apply at once where it reads
// again, as a tap that no read sees is lost on the machine too.
// Without a processor (no scans to keep whole) changes apply at once.
//
// State (after the keyboard base's data): "VER" u8 2; then the waiting
// changes: "PNDN" u32, their count; "MTRX", the 88 cells as the program
// reads them while changes wait (empty when none does); "PNDG", PNDN records
// of due cycle u64, cell and state; "LRDC" and "SSTC" u64, the cycle counts
// of the last read and of the scan's first; "RDSN" bool; "VER" 2 adds "LPRC"
// u64, the cycle count of the last key press the program could see.
// The load rebuilds the matrix from the key-state service's held keys, or
// takes the saved one while changes wait. Version 0, without the waiting
// changes, still loads with none waiting; version 1 with LPRC 0.
//
// Emulation thread only; the settings bytes are also set by the Input menu.
#include <cstdint>

#include "emu/framework/CKeyboard.h"

namespace emu {

class CProcessorInterface;

class CKeyboard_Korvet : public CKeyboard {
public:
    static constexpr int32_t kRows = 11;
    static constexpr int32_t kColumns = 8;
    static constexpr int32_t kCells = kRows * kColumns;
    static constexpr int32_t kWindowSize = 0x200;

    // "KeyTrace" and "KeyBreak" modes.
    enum : uint32_t { kTraceNever = 0, kTraceNonZero = 1, kTraceEvery = 2 };

    // Key codes with a meaning of their own.
    static constexpr uint32_t kKeyDown = 0x28;
    static constexpr uint32_t kKeyPadMultiply = 0x6A;
    static constexpr uint32_t kKeyBackQuote = 0xF1;
    static constexpr uint32_t kFirstKey = 0x08;
    static constexpr uint32_t kLastKey = 0xF1;

    // Reads further apart than this start a new scan; the ROM's and the BIOS's
    // scans read for about 500 cycles once a frame.
    static constexpr uint64_t kScanGap = 2500;
    // A program that reads without pause still sees changes once a frame.
    static constexpr uint64_t kLongestScan = 50000;
    // Cell changes that wait for the scans: text of a thousand keys typed ahead
    // fits; beyond this the oldest apply at once.
    static constexpr int32_t kPendingCapacity = 4096;
    // A change that came after the program's last read and stays unread this
    // long (100 ms) is not kept for its next read: a key tapped while nothing
    // reads does not turn up when the program reads again.
    static constexpr uint64_t kLongestWait = 250000;

    // Input menu caption "Down Key As Num5".
    static constexpr int32_t kTextDownKeyAsNum5 = 88;

    CKeyboard_Korvet();
    ~CKeyboard_Korvet() override;

    // "DownKeyAsNum5", "KeyTrace", "KeyBreak" (not with enabledOnly), then the base.
    bool CollectProperties(common::CSettingsRegistry* registry, bool enabledOnly) override;
    // A mode above 2 goes back to 0 (false).
    bool ValidateProperties(bool enabledOnly) override;
    // The base's start (the key listener), then every cell released.
    bool Start(int32_t* value) override;
    // The base's items, then "Down Key As Num5" in the Input menu.
    void BuildMenu(COptionTree* menu, int32_t kind) override;
    bool SaveData(common::CStreamHolder& holder) override;
    // On success the matrix follows the keys the key-state service holds.
    bool LoadData(common::CStreamHolder& holder, common::CNarrowString* errorText) override;

    // Sets or clears the cell of a program key code; codes without a cell are
    // ignored, and so is a release of a key that was never pressed.
    void OnKeyEvent(uint32_t key, uint32_t pressed) override;

    // The byte the processor reads at `offset` in the keyboard window; a quiet
    // read prints no trace line and asks for no break.
    uint8_t ReadMatrix(int32_t offset, uint8_t quiet);

    // The cell of a key code as row * 8 + column; -1 when it has none.
    int32_t GetKeyCell(uint32_t key) const;
    // The cell as the processor reads it now (a waiting change not yet included).
    bool IsCellPressed(int32_t row, int32_t column) const;

    bool GetDownKeyAsNum5() const { return m_downKeyAsNum5; }
    void SetDownKeyAsNum5(bool on) { m_downKeyAsNum5 = on; }
    uint32_t GetKeyTrace() const { return m_keyTrace; }
    void SetKeyTrace(uint32_t mode) { m_keyTrace = mode; }
    uint32_t GetKeyBreak() const { return m_keyBreak; }
    void SetKeyBreak(uint32_t mode) { m_keyBreak = mode; }

private:
    struct CCellChange {
        uint64_t due; // its arrival's cycle count + kLongestWait (see ApplyUnseen)
        uint8_t cell;
        uint8_t down;
    };

    void ClearMatrix();
    // Sets a cell now, or queues the change for the next scan.
    void ChangeCell(int32_t cell, uint8_t down);
    // At the first read of a scan: the waiting changes that this scan may see.
    void ApplyPending(uint64_t now);
    // At the first read after a pause in the reads: the changes that came
    // during it and waited kLongestWait by `now` apply at once, unseen.
    void ApplyUnseen(uint64_t now);
    // A key outside the modifiers is down.
    bool IsKeyHeld() const;
    bool SavePending(common::CStreamHolder& holder);
    bool LoadPending(common::CStreamHolder& holder);
    // The cells as the key-state service holds the keys now.
    void RebuildMatrix();

    bool m_downKeyAsNum5;     // "DownKeyAsNum5"
    uint32_t m_keyTrace;      // "KeyTrace"
    uint32_t m_keyBreak;      // "KeyBreak"
    uint8_t m_matrix[kCells]; // row * 8 + column: 1 pressed, 0 released
    // The cell the held Down arrow pressed, so that its release clears that
    // cell even when "DownKeyAsNum5" changed meanwhile; -1 when it is up.
    int32_t m_downArrowCell;
    CProcessorInterface* m_processor;        // the machine's main processor (not owned); null: no scans
    uint64_t m_lastReadCycle;                // the cycle count at the last processor read
    uint64_t m_scanStartCycle;               // ... at the first read of the current scan
    uint64_t m_lastPressCycle;               // ... at the scan that last saw a key outside the modifiers go down
    bool m_readSeen;                         // a read happened since the start or the last load
    CCellChange m_pending[kPendingCapacity]; // ring of changes in arrival order
    int32_t m_pendingHead;
    int32_t m_pendingCount;
};

} // namespace emu
