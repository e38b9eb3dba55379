#include "emu/korvet/CKeyboard_Korvet.h"

#include <vector>

#include "common/CBoundValue.h"
#include "common/CNarrowString.h"
#include "common/CSettingsRegistry.h"
#include "common/CStreamHolder.h"
#include "common/LittleEndian.h"
#include "emu/framework/CKeys.h"
#include "emu/framework/COptionTree.h"
#include "emu/framework/CProcessorInterface.h"

namespace emu {

namespace {

// Version 1 adds the key changes waiting for a scan (PNDN to RDSN), version 2
// the last key press (LPRC); a version 0 record loads with none waiting, a
// version 1 record with no press for a long time.
constexpr uint8_t kVersion = 2;
constexpr uint8_t kVersionWithoutLastPress = 1;
constexpr uint8_t kVersionWithoutPending = 0;

constexpr int32_t Cell(int32_t row, int32_t column) {
    return row * CKeyboard_Korvet::kColumns + column;
}

constexpr int32_t kLeftShiftCell = Cell(7, 0);
constexpr int32_t kModifierRow = 7;
constexpr int32_t kEscapeCell = Cell(7, 3);
constexpr int32_t kPad2Cell = Cell(8, 2);
constexpr int32_t kPad5Cell = Cell(8, 5);

// The cell of every program key code; -1 for a code without one.
struct CKeyTable {
    int8_t cell[256];

    constexpr CKeyTable() : cell() {
        for (int8_t& c : cell)
            c = -1;
        Set(0xEE, 0, 0); // backslash
        for (int32_t i = 0; i < 7; ++i)
            Set(0x41 + i, 0, 1 + i); // A-G
        for (int32_t i = 0; i < 8; ++i) {
            Set(0x48 + i, 1, i); // H-O
            Set(0x50 + i, 2, i); // P-W
            Set(0x30 + i, 4, i); // 0-7
        }
        Set(0x58, 3, 0); // X
        Set(0x59, 3, 1); // Y
        Set(0x5A, 3, 2); // Z
        Set(0xE8, 3, 3); // [
        Set(0xF0, 3, 4); // '
        Set(0xE9, 3, 5); // ]
        Set(0x75, 3, 6); // F6: ^
        Set(0x76, 3, 7); // F7: _
        Set(0x98, 3, 7);
        Set(0xF1, 4, 7); // ` (with Shift)
        Set(0x38, 5, 0);
        Set(0x39, 5, 1);
        Set(0xEA, 5, 2); // ;
        Set(0x6A, 5, 2); // keypad * (with Shift)
        Set(0xE7, 5, 3); // =
        Set(0xEB, 5, 4); // ,
        Set(0xE6, 5, 5); // -
        Set(0xEC, 5, 6); // .
        Set(0xEF, 5, 7); // /
        Set(0x0D, 6, 0); // Enter
        Set(0x2C, 6, 1); // Print Screen
        Set(0x13, 6, 2); // Pause
        Set(0x2E, 6, 3); // Delete
        Set(0x2D, 6, 4); // Insert
        Set(0x08, 6, 5); // Backspace
        Set(0x09, 6, 6); // Tab
        Set(0x20, 6, 7); // Space
        Set(0xE0, 7, 0); // left Shift
        Set(0xE4, 7, 1); // left Alt
        Set(0xE5, 7, 2); // right Alt
        Set(0x1B, 7, 3); // Escape
        Set(0xE3, 7, 4); // right Ctrl
        Set(0xE2, 7, 5); // left Ctrl
        Set(0x14, 7, 6); // Caps Lock
        Set(0xE1, 7, 7); // right Shift
        for (int32_t i = 0; i < 10; ++i)
            Set(0x60 + i, 8 + i / 8, i % 8); // keypad 0-9
        Set(0x23, 8, 1);                     // End
        Set(0x28, 8, 2);                     // Down (or keypad 5, see "DownKeyAsNum5")
        Set(0x22, 8, 3);                     // Page Down
        Set(0x25, 8, 4);                     // Left
        Set(0x27, 8, 6);                     // Right
        Set(0x24, 8, 7);                     // Home
        Set(0x26, 9, 0);                     // Up
        Set(0x21, 9, 1);                     // Page Up
        for (int32_t i = 0; i < 5; ++i)
            Set(0x70 + i, 10, i); // F1-F5
    }

    constexpr void Set(int32_t key, int32_t row, int32_t column) { cell[key] = static_cast<int8_t>(Cell(row, column)); }
};

constexpr CKeyTable kKeyTable;

// Shifts, the Russian/Latin and graphics keys, the two controls and the lock:
// the keys that change what another key types.
bool IsModifierCell(int32_t cell) {
    return cell / CKeyboard_Korvet::kColumns == kModifierRow && cell != kEscapeCell;
}

// One waiting change as the state keeps it: due cycle (little-endian), cell, state.
constexpr int32_t kChangeRecord = 10;

bool TraceWanted(uint32_t mode, uint8_t result) {
    return mode == CKeyboard_Korvet::kTraceEvery || (mode == CKeyboard_Korvet::kTraceNonZero && result != 0);
}

} // namespace

CKeyboard_Korvet::CKeyboard_Korvet()
    : m_downKeyAsNum5(false), m_keyTrace(kTraceNever), m_keyBreak(kTraceNever), m_matrix(), m_downArrowCell(-1),
      m_processor(nullptr), m_lastReadCycle(0), m_scanStartCycle(0), m_lastPressCycle(0), m_readSeen(false),
      m_pending(), m_pendingHead(0), m_pendingCount(0) {
    SetName("Keyboard");
    SetShortName("KEYB");
}

CKeyboard_Korvet::~CKeyboard_Korvet() = default;

bool CKeyboard_Korvet::CollectProperties(common::CSettingsRegistry* registry, bool enabledOnly) {
    if (registry != nullptr && !enabledOnly) {
        registry->BindBool(common::CNarrowString("DownKeyAsNum5"), &m_downKeyAsNum5);
        if (common::CBoundValue* value = registry->AddBinding(common::CNarrowString("KeyTrace")))
            value->BindUInt32(&m_keyTrace);
        if (common::CBoundValue* value = registry->AddBinding(common::CNarrowString("KeyBreak")))
            value->BindUInt32(&m_keyBreak);
    }
    return CKeyboard::CollectProperties(registry, enabledOnly);
}

bool CKeyboard_Korvet::ValidateProperties(bool enabledOnly) {
    bool result = true;
    if (m_keyTrace > kTraceEvery) {
        m_keyTrace = kTraceNever;
        result = false;
    }
    if (m_keyBreak > kTraceEvery) {
        m_keyBreak = kTraceNever;
        result = false;
    }
    // The base brings a stored "NumpadMode" back to keys: this keyboard offers
    // no keypad mouse, and in mouse mode the keypad would never reach the matrix.
    if (!CKeyboard::ValidateProperties(enabledOnly))
        result = false;
    return result;
}

bool CKeyboard_Korvet::Start(int32_t* value) {
    const bool started = CKeyboard::Start(value);
    if (started) {
        ClearMatrix();
        m_processor = GetMachine() != nullptr ? GetMachine()->GetMainProcessor() : nullptr;
    }
    return started;
}

void CKeyboard_Korvet::BuildMenu(COptionTree* menu, int32_t kind) {
    CKeyboard::BuildMenu(menu, kind);
    if (kind == kMenuInput && menu != nullptr)
        menu->CreateCheckItemById(kTextDownKeyAsNum5, reinterpret_cast<uint8_t*>(&m_downKeyAsNum5), 1, nullptr, 0);
}

bool CKeyboard_Korvet::SaveData(common::CStreamHolder& holder) {
    return CKeyboard::SaveData(holder) && holder.WriteUInt8Field(kVersion, common::CNarrowString("VER")) &&
           SavePending(holder);
}

bool CKeyboard_Korvet::LoadData(common::CStreamHolder& holder, common::CNarrowString* errorText) {
    uint8_t version = 0xFF;
    if (!CKeyboard::LoadData(holder, errorText) || !holder.ReadUInt8Field(version, common::CNarrowString("VER")) ||
        version > kVersion)
        return false;
    if (version == kVersionWithoutPending) {
        // Nothing waits and no scan has begun (RebuildMatrix clears both).
        RebuildMatrix();
        m_lastReadCycle = 0;
        m_scanStartCycle = 0;
        return true;
    }
    if (!LoadPending(holder))
        return false;
    return version == kVersionWithoutLastPress ||
           holder.ReadUInt64Field(m_lastPressCycle, common::CNarrowString("LPRC"));
}

bool CKeyboard_Korvet::SavePending(common::CStreamHolder& holder) {
    std::vector<uint8_t> records(static_cast<size_t>(m_pendingCount) * kChangeRecord);
    for (int32_t i = 0; i < m_pendingCount; ++i) {
        const CCellChange& change = m_pending[(m_pendingHead + i) % kPendingCapacity];
        uint8_t* record = &records[i * kChangeRecord];
        common::StoreLittle<uint64_t>(record, change.due);
        record[8] = change.cell;
        record[9] = change.down;
    }
    const uint32_t count = static_cast<uint32_t>(m_pendingCount);
    return holder.WriteUInt32Field(count, common::CNarrowString("PNDN")) &&
           holder.WriteBlobField(m_matrix, count > 0 ? kCells : 0, common::CNarrowString("MTRX")) &&
           holder.WriteBlobField(records.data(), m_pendingCount * kChangeRecord, common::CNarrowString("PNDG")) &&
           holder.WriteUInt64Field(m_lastReadCycle, common::CNarrowString("LRDC")) &&
           holder.WriteUInt64Field(m_scanStartCycle, common::CNarrowString("SSTC")) &&
           holder.WriteBoolField(m_readSeen, common::CNarrowString("RDSN")) &&
           holder.WriteUInt64Field(m_lastPressCycle, common::CNarrowString("LPRC"));
}

bool CKeyboard_Korvet::LoadPending(common::CStreamHolder& holder) {
    uint32_t count = 0;
    if (!holder.ReadUInt32Field(count, common::CNarrowString("PNDN")) || count > kPendingCapacity)
        return false;
    std::vector<uint8_t> records(static_cast<size_t>(count) * kChangeRecord);
    uint64_t lastRead = 0;
    uint64_t scanStart = 0;
    bool readSeen = false;
    uint8_t matrix[kCells] = {};
    if (!holder.ReadBlobField(matrix, count > 0 ? kCells : 0, common::CNarrowString("MTRX")) ||
        !holder.ReadBlobField(records.data(), static_cast<int64_t>(records.size()), common::CNarrowString("PNDG")) ||
        !holder.ReadUInt64Field(lastRead, common::CNarrowString("LRDC")) ||
        !holder.ReadUInt64Field(scanStart, common::CNarrowString("SSTC")) ||
        !holder.ReadBoolField(readSeen, common::CNarrowString("RDSN")))
        return false;
    for (int32_t i = 0; i < kCells; ++i) {
        if (matrix[i] > 1)
            return false;
    }
    for (uint32_t i = 0; i < count; ++i) {
        if (records[i * kChangeRecord + 8] >= kCells || records[i * kChangeRecord + 9] > 1)
            return false;
    }
    RebuildMatrix();
    // While changes wait, the program sees what it saw, not the keys held now.
    if (count > 0) {
        for (int32_t i = 0; i < kCells; ++i)
            m_matrix[i] = matrix[i];
    }
    for (uint32_t i = 0; i < count; ++i) {
        const uint8_t* record = &records[i * kChangeRecord];
        CCellChange& change = m_pending[i];
        change.due = common::LoadLittle<uint64_t>(record);
        change.cell = record[8];
        change.down = record[9];
    }
    m_pendingHead = 0;
    m_pendingCount = static_cast<int32_t>(count);
    m_lastReadCycle = lastRead;
    m_scanStartCycle = scanStart;
    m_readSeen = readSeen;
    return true;
}

void CKeyboard_Korvet::OnKeyEvent(uint32_t key, uint32_t pressed) {
    int32_t cell = GetKeyCell(key);
    if (cell < 0)
        return;
    const uint8_t down = pressed != 0 ? 1 : 0;
    if (key == kKeyDown) {
        // The release clears what the press set, whatever the setting is now.
        if (down != 0)
            m_downArrowCell = cell;
        else if (m_downArrowCell >= 0)
            cell = m_downArrowCell;
        if (down == 0)
            m_downArrowCell = -1;
    } else if (key == kKeyPadMultiply || key == kKeyBackQuote) {
        // The emulated keyboard has these only as shifted keys.
        ChangeCell(kLeftShiftCell, down);
    }
    ChangeCell(cell, down);
}

void CKeyboard_Korvet::ChangeCell(int32_t cell, uint8_t down) {
    if (m_processor == nullptr) {
        m_matrix[cell] = down;
        return;
    }
    if (m_pendingCount == kPendingCapacity) {
        // A flood the program does not read: the oldest change goes in now.
        const CCellChange& oldest = m_pending[m_pendingHead];
        m_matrix[oldest.cell] = oldest.down;
        m_pendingHead = (m_pendingHead + 1) % kPendingCapacity;
        --m_pendingCount;
    }
    CCellChange& slot = m_pending[(m_pendingHead + m_pendingCount) % kPendingCapacity];
    slot.due = m_processor->GetCycleCount() + kLongestWait;
    slot.cell = static_cast<uint8_t>(cell);
    slot.down = down;
    ++m_pendingCount;
}

void CKeyboard_Korvet::ApplyPending(uint64_t now) {
    // One change per cell per scan, and no press in the scan that first sees
    // a release (the program sees every tap go down and come up). A modifier
    // goes up only after every press typed before its release, and not while
    // another key is down that went down less than kLongestWait ago. A change
    // that waits holds back every later change of its cell and every later
    // press; later releases of other cells go on.
    uint8_t touched[kCells] = {};
    bool holdPresses = false;
    bool pressWaits = false;
    int32_t kept = 0;
    for (int32_t i = 0; i < m_pendingCount; ++i) {
        const CCellChange change = m_pending[(m_pendingHead + i) % kPendingCapacity];
        const bool modifier = IsModifierCell(change.cell);
        bool wait = touched[change.cell] != 0;
        if (!wait && m_matrix[change.cell] == change.down)
            continue;
        if (!wait && change.down != 0)
            wait = holdPresses;
        else if (!wait && modifier)
            wait = pressWaits || (now - m_lastPressCycle < kLongestWait && IsKeyHeld());
        if (wait) {
            m_pending[(m_pendingHead + kept) % kPendingCapacity] = change;
            ++kept;
            holdPresses = true;
            pressWaits = pressWaits || change.down != 0;
        } else {
            m_matrix[change.cell] = change.down;
            holdPresses = holdPresses || change.down == 0;
            if (change.down != 0 && !modifier)
                m_lastPressCycle = now;
        }
        touched[change.cell] = 1;
    }
    m_pendingCount = kept;
}

void CKeyboard_Korvet::ApplyUnseen(uint64_t now) {
    // Only when the program had taken every change before it stopped reading:
    // a backlog it was still working through is typed ahead, and stays.
    const uint64_t pauseStart = m_readSeen ? m_lastReadCycle : 0;
    if (m_pending[m_pendingHead].due - kLongestWait < pauseStart)
        return;
    // Changes wait in arrival order, so the overdue ones lead.
    while (m_pendingCount > 0 && m_pending[m_pendingHead].due <= now) {
        const CCellChange& change = m_pending[m_pendingHead];
        m_matrix[change.cell] = change.down;
        m_pendingHead = (m_pendingHead + 1) % kPendingCapacity;
        --m_pendingCount;
    }
}

bool CKeyboard_Korvet::IsKeyHeld() const {
    for (int32_t cell = 0; cell < kCells; ++cell) {
        if (m_matrix[cell] != 0 && !IsModifierCell(cell))
            return true;
    }
    return false;
}

uint8_t CKeyboard_Korvet::ReadMatrix(int32_t offset, uint8_t quiet) {
    // The debugger's quiet reads are no scan. Inside a slice the count stands
    // where the slice began; the video's line event keeps slices to 164
    // cycles, far below the gap between two scans.
    if (m_processor != nullptr && quiet == 0) {
        const uint64_t now = m_processor->GetCycleCount();
        if (!m_readSeen || now - m_lastReadCycle >= kScanGap || now - m_scanStartCycle >= kLongestScan) {
            if (m_pendingCount > 0) {
                ApplyUnseen(now);
                ApplyPending(now);
            }
            m_scanStartCycle = now;
            m_readSeen = true;
        }
        m_lastReadCycle = now;
    }
    uint8_t result = 0;
    if (offset >= 0 && offset < 0x100) {
        for (int32_t row = 0; row < 8; ++row) {
            if ((offset & (1 << row)) == 0)
                continue;
            const uint8_t* cells = &m_matrix[Cell(row, 0)];
            for (int32_t column = 0; column < kColumns; ++column)
                result |= static_cast<uint8_t>(cells[column] << column);
        }
    } else if (offset >= 0x100 && offset < kWindowSize) {
        // Rows 0-3 from column 1 up on bits 4-7.
        for (int32_t row = 0; row < 4; ++row) {
            if ((offset & (0x10 << row)) == 0)
                continue;
            const uint8_t* cells = &m_matrix[Cell(row, 0)];
            for (int32_t column = 1; column < kColumns; ++column)
                result |= static_cast<uint8_t>(cells[column] << (column - 1));
        }
        // Rows 8-10 on bits 0-2.
        for (int32_t row = 8; row < kRows; ++row) {
            if ((offset & (1 << (row - 8))) == 0)
                continue;
            const uint8_t* cells = &m_matrix[Cell(row, 0)];
            for (int32_t column = 0; column < kColumns; ++column)
                result |= static_cast<uint8_t>(cells[column] << column);
        }
    }
    // The debugger's break leaves the read done: the matrix has no side effect.
    TraceRead(TraceWanted(m_keyTrace, result), TraceWanted(m_keyBreak, result), quiet != 0, "<=Keys[0x%.4X]=0x%.2X",
              static_cast<unsigned>(offset), static_cast<unsigned>(result));
    return result;
}

int32_t CKeyboard_Korvet::GetKeyCell(uint32_t key) const {
    if (key < kFirstKey || key > kLastKey)
        return -1;
    if (key == kKeyDown)
        return m_downKeyAsNum5 ? kPad5Cell : kPad2Cell;
    return kKeyTable.cell[key];
}

bool CKeyboard_Korvet::IsCellPressed(int32_t row, int32_t column) const {
    if (row < 0 || row >= kRows || column < 0 || column >= kColumns)
        return false;
    return m_matrix[Cell(row, column)] != 0;
}

void CKeyboard_Korvet::ClearMatrix() {
    for (uint8_t& cell : m_matrix)
        cell = 0;
    m_downArrowCell = -1;
    m_pendingHead = 0;
    m_pendingCount = 0;
    m_lastPressCycle = 0;
    m_readSeen = false;
}

void CKeyboard_Korvet::RebuildMatrix() {
    ClearMatrix();
    if (m_keys == nullptr)
        return;
    // A cell shared by several keys stays pressed while any of them is held.
    // The shifted-only keys set their own cell; the Shift cell follows Shift.
    for (uint32_t key = kFirstKey; key <= kLastKey; ++key) {
        const int32_t cell = GetKeyCell(key);
        if (cell < 0 || !m_keys->IsKeyDown(static_cast<uint8_t>(key)))
            continue;
        m_matrix[cell] = 1;
        if (key == kKeyDown)
            m_downArrowCell = cell;
    }
}

} // namespace emu
