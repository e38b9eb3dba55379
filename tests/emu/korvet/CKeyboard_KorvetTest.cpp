#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "TakeConsoleTexts.h"
#include "common/CMemoryStream.h"
#include "common/CNarrowString.h"
#include "common/CSettingsRegistry.h"
#include "common/CStreamHolder.h"
#include "common/CTextConsole.h"
#include "emu/framework/CKeys.h"
#include "emu/framework/CMachine.h"
#include "emu/framework/COptionTree.h"
#include "emu/korvet/CKeyboard_Korvet.h"

using emu::CKeyboard_Korvet;

namespace {

typedef std::vector<uint8_t> Bytes;

// Bytes written by `save` into a fresh memory stream, and a load of such bytes.
template <typename Save> Bytes SaveWith(Save save) {
    common::CMemoryStream stream;
    stream.Create(0, -1);
    common::CStreamHolder holder(&stream);
    EXPECT_TRUE(save(holder));
    return Bytes(stream.GetBuffer(), stream.GetBuffer() + stream.GetSize());
}
template <typename Load> bool LoadWith(const Bytes& bytes, Load load) {
    common::CMemoryStream stream;
    stream.Create(0, -1);
    stream.Write(bytes.data(), static_cast<int64_t>(bytes.size()));
    stream.Seek(0);
    common::CStreamHolder holder(&stream);
    return load(holder);
}

// The byte that selects exactly one row: the low half for rows 0-7, the
// upper half (bits 0-2) for rows 8-10.
int32_t RowOffset(int32_t row) {
    return row < 8 ? (1 << row) : 0x100 | (1 << (row - 8));
}

// A started machine with the keyboard, its keys coming through the machine's
// key service as the core delivers them.
class KorvetKeyboardTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_machine.Build());
        m_machine.SetConsole(&m_console);
        m_machine.SetTraceLevel(&m_traceLevel);
        m_keyboard = new CKeyboard_Korvet();
        ASSERT_TRUE(m_machine.AddDevice(m_keyboard, nullptr, nullptr));
        int32_t rate = 4900;
        ASSERT_TRUE(m_machine.Start(&rate));
    }
    void TearDown() override { m_machine.Stop(); }

    void Key(uint32_t key, bool pressed) { m_machine.KeyEvent(static_cast<int32_t>(key), pressed); }
    void Tap(uint32_t key) {
        Key(key, true);
        Key(key, false);
    }
    uint8_t Read(int32_t offset) { return m_keyboard->ReadMatrix(offset, 0); }
    int PressedCells() const {
        int count = 0;
        for (int32_t row = 0; row < CKeyboard_Korvet::kRows; ++row)
            for (int32_t column = 0; column < CKeyboard_Korvet::kColumns; ++column)
                count += m_keyboard->IsCellPressed(row, column) ? 1 : 0;
        return count;
    }
    std::vector<std::string> TakeLines() { return testconsole::TakeConsoleTexts(m_console); }
    Bytes Save() {
        return SaveWith([this](common::CStreamHolder& h) { return m_machine.SaveState(h); });
    }
    bool Load(const Bytes& bytes) {
        common::CNarrowString error;
        return LoadWith(bytes, [&](common::CStreamHolder& h) { return m_machine.LoadState(h, &error); });
    }
    // The keyboard's own data alone.
    Bytes SaveKeyboardData() {
        return SaveWith([this](common::CStreamHolder& h) { return m_keyboard->SaveData(h); });
    }
    bool LoadKeyboardData(const Bytes& bytes) {
        return LoadWith(bytes, [this](common::CStreamHolder& h) { return m_keyboard->LoadData(h, nullptr); });
    }

    common::CTextConsole m_console;
    int32_t m_traceLevel = 0;
    emu::CMachine m_machine;
    CKeyboard_Korvet* m_keyboard = nullptr; // owned by the machine
};

struct CKeyCell {
    uint32_t key;
    int32_t row;
    int32_t column;
};

// Every key code with a cell (Down arrow in its default meaning).
const CKeyCell kKeyCells[] = {
    {0xEE, 0, 0}, {0x41, 0, 1}, {0x42, 0, 2}, {0x43, 0, 3},  {0x44, 0, 4},  {0x45, 0, 5},  {0x46, 0, 6},  {0x47, 0, 7},
    {0x48, 1, 0}, {0x49, 1, 1}, {0x4A, 1, 2}, {0x4B, 1, 3},  {0x4C, 1, 4},  {0x4D, 1, 5},  {0x4E, 1, 6},  {0x4F, 1, 7},
    {0x50, 2, 0}, {0x51, 2, 1}, {0x52, 2, 2}, {0x53, 2, 3},  {0x54, 2, 4},  {0x55, 2, 5},  {0x56, 2, 6},  {0x57, 2, 7},
    {0x58, 3, 0}, {0x59, 3, 1}, {0x5A, 3, 2}, {0xE8, 3, 3},  {0xF0, 3, 4},  {0xE9, 3, 5},  {0x98, 3, 7},  {0x30, 4, 0},
    {0x31, 4, 1}, {0x32, 4, 2}, {0x33, 4, 3}, {0x34, 4, 4},  {0x35, 4, 5},  {0x36, 4, 6},  {0x37, 4, 7},  {0xF1, 4, 7},
    {0x38, 5, 0}, {0x39, 5, 1}, {0xEA, 5, 2}, {0x6A, 5, 2},  {0xE7, 5, 3},  {0xEB, 5, 4},  {0xE6, 5, 5},  {0xEC, 5, 6},
    {0xEF, 5, 7}, {0x0D, 6, 0}, {0x2C, 6, 1}, {0x13, 6, 2},  {0x2E, 6, 3},  {0x2D, 6, 4},  {0x08, 6, 5},  {0x09, 6, 6},
    {0x20, 6, 7}, {0xE0, 7, 0}, {0xE4, 7, 1}, {0xE5, 7, 2},  {0x1B, 7, 3},  {0xE3, 7, 4},  {0xE2, 7, 5},  {0x14, 7, 6},
    {0xE1, 7, 7}, {0x60, 8, 0}, {0x61, 8, 1}, {0x23, 8, 1},  {0x62, 8, 2},  {0x28, 8, 2},  {0x63, 8, 3},  {0x22, 8, 3},
    {0x64, 8, 4}, {0x25, 8, 4}, {0x65, 8, 5}, {0x66, 8, 6},  {0x27, 8, 6},  {0x67, 8, 7},  {0x24, 8, 7},  {0x68, 9, 0},
    {0x26, 9, 0}, {0x69, 9, 1}, {0x21, 9, 1}, {0x70, 10, 0}, {0x71, 10, 1}, {0x72, 10, 2}, {0x73, 10, 3}, {0x74, 10, 4},
    {0x75, 3, 6}, {0x76, 3, 7},
};

TEST_F(KorvetKeyboardTest, EveryKeyPressesItsCellAndReleaseClearsIt) {
    for (const CKeyCell& entry : kKeyCells) {
        SCOPED_TRACE(testing::Message() << "key 0x" << std::hex << entry.key);
        Key(entry.key, true);
        EXPECT_TRUE(m_keyboard->IsCellPressed(entry.row, entry.column));
        const uint8_t bit = static_cast<uint8_t>(1 << entry.column);
        EXPECT_EQ(bit, Read(RowOffset(entry.row)) & bit);
        // The shifted-only keys also hold Shift; nothing else is pressed.
        const bool shifted = entry.key == 0x6A || entry.key == 0xF1;
        EXPECT_EQ(shifted ? 2 : 1, PressedCells());
        Key(entry.key, false);
        EXPECT_EQ(0, PressedCells());
    }
}

TEST_F(KorvetKeyboardTest, CodesWithoutCellChangeNothing) {
    for (uint32_t key : {0x00u, 0x07u, 0x0Au, 0x2Fu, 0x5Bu, 0x6Bu, 0x77u, 0xEDu, 0xF2u, 0xFEu, 0x1F1u}) {
        SCOPED_TRACE(key);
        m_keyboard->OnKeyEvent(key, 1);
        EXPECT_EQ(0, PressedCells());
    }
}

struct CReadCase {
    uint32_t key;
    int32_t offset;
    uint8_t expected;
};

TEST_F(KorvetKeyboardTest, WindowReadsSelectRowsByOffsetBits) {
    const CReadCase cases[] = {
        {0x41, 0x001, 0x02}, {0x41, 0x002, 0x00}, {0x41, 0x0FF, 0x02}, {0x41, 0x000, 0x00},  {0x41, 0x110, 0x01},
        {0xEE, 0x110, 0x00}, {0xEE, 0x001, 0x01}, {0x47, 0x110, 0x40}, {0x58, 0x180, 0x00},  {0x59, 0x180, 0x01},
        {0x70, 0x104, 0x01}, {0x70, 0x004, 0x00}, {0x74, 0x104, 0x10}, {0x26, 0x102, 0x01},  {0x67, 0x101, 0x80},
        {0x67, 0x108, 0x00}, {0x41, 0x1FF, 0x01}, {0x41, 0x200, 0x00}, {0x41, 0x7FFF, 0x00}, {0x41, -1, 0x00},
        {0x20, 0x040, 0x80}, {0x20, 0x140, 0x00}, {0x31, 0x0F0, 0x02},
    };
    for (const CReadCase& c : cases) {
        SCOPED_TRACE(testing::Message() << "key 0x" << std::hex << c.key << " offset 0x" << c.offset);
        Key(c.key, true);
        EXPECT_EQ(c.expected, Read(c.offset));
        Key(c.key, false);
    }
}

TEST_F(KorvetKeyboardTest, SelectedRowsAreOred) {
    Key(0x41, true); // 0/1
    Key(0x49, true); // 1/1
    Key(0x4A, true); // 1/2
    Key(0x71, true); // 10/1
    EXPECT_EQ(0x06, Read(0x003));
    EXPECT_EQ(0x02, Read(0x001));
    EXPECT_EQ(0x03, Read(0x134)); // rows 0, 1 from column 1, row 10
}

TEST_F(KorvetKeyboardTest, ShiftedOnlyKeysHoldAndReleaseShift) {
    Key(0x6A, true);
    EXPECT_TRUE(m_keyboard->IsCellPressed(5, 2));
    EXPECT_TRUE(m_keyboard->IsCellPressed(7, 0));
    Key(0x6A, false);
    EXPECT_EQ(0, PressedCells());

    // Their release drops Shift even while the host's left Shift is held.
    Key(0xE0, true);
    Key(0xF1, true);
    Key(0xF1, false);
    EXPECT_FALSE(m_keyboard->IsCellPressed(7, 0));
    EXPECT_FALSE(m_keyboard->IsCellPressed(4, 7));
}

TEST_F(KorvetKeyboardTest, DownArrowFollowsSettingAndSharesTheKeypadCell) {
    // Down and keypad 2 share a cell: releasing either releases it.
    Key(0x28, true);
    Key(0x62, true);
    Key(0x28, false);
    EXPECT_FALSE(m_keyboard->IsCellPressed(8, 2));
    Key(0x62, false);

    m_keyboard->SetDownKeyAsNum5(true);
    Key(0x28, true);
    EXPECT_TRUE(m_keyboard->IsCellPressed(8, 5));
    EXPECT_FALSE(m_keyboard->IsCellPressed(8, 2));
    Key(0x28, false);
    EXPECT_EQ(0, PressedCells());
}

TEST_F(KorvetKeyboardTest, DownArrowReleaseClearsTheCellItPressedAfterSettingChange) {
    Key(0x28, true);
    m_keyboard->SetDownKeyAsNum5(true);
    Key(0x28, false);
    EXPECT_EQ(0, PressedCells());

    Key(0x28, true);
    m_keyboard->SetDownKeyAsNum5(false);
    Key(0x28, false);
    EXPECT_EQ(0, PressedCells());
}

TEST_F(KorvetKeyboardTest, ReleasesOfKeysNeverPressedAreAccepted) {
    Key(0x42, true);
    for (uint32_t key : {0x41u, 0x28u, 0x6Au, 0xE0u, 0x74u}) {
        m_keyboard->OnKeyEvent(key, 0);
        Key(key, false);
    }
    EXPECT_EQ(1, PressedCells());
    EXPECT_TRUE(m_keyboard->IsCellPressed(0, 2));
}

TEST_F(KorvetKeyboardTest, ReadTraceFollowsModeAndQuietReadsPrintNothing) {
    struct CTraceCase {
        uint32_t mode;
        int32_t level;
        int32_t offset;
        uint8_t quiet;
        size_t lines;
    };
    Key(0x41, true);
    TakeLines();
    const CTraceCase cases[] = {
        {0, 0, 0x001, 0, 0}, {1, 0, 0x001, 0, 1}, {1, 0, 0x002, 0, 0}, {2, 0, 0x002, 0, 1},
        {2, 0, 0x001, 1, 0}, {0, 1, 0x002, 0, 1}, {0, 1, 0x002, 1, 0}, {1, 1, 0x001, 1, 0},
    };
    for (const CTraceCase& c : cases) {
        SCOPED_TRACE(testing::Message() << "mode " << c.mode << " level " << c.level << " offset " << c.offset
                                        << " quiet " << int(c.quiet));
        m_keyboard->SetKeyTrace(c.mode);
        m_traceLevel = c.level;
        m_keyboard->ReadMatrix(c.offset, c.quiet);
        EXPECT_EQ(c.lines, TakeLines().size());
    }
    m_keyboard->SetKeyTrace(CKeyboard_Korvet::kTraceEvery);
    m_traceLevel = 0;
    EXPECT_EQ(0x02, Read(0x001));
    const std::vector<std::string> lines = TakeLines();
    ASSERT_EQ(1u, lines.size());
    EXPECT_EQ("[KEYB] <=Keys[0x0001]=0x02", lines[0]);
}

TEST_F(KorvetKeyboardTest, BreakModeStillAnswersTheRead) {
    m_keyboard->SetKeyBreak(CKeyboard_Korvet::kTraceEvery);
    Key(0x41, true);
    EXPECT_EQ(0x02, Read(0x001));
    EXPECT_EQ(0x02, m_keyboard->ReadMatrix(0x001, 1));
}

TEST_F(KorvetKeyboardTest, ValidationRepairsModesAboveTwo) {
    struct CModes {
        uint32_t trace, brk;
        int32_t numpad;
        bool result;
        uint32_t traceAfter, breakAfter;
    };
    const CModes cases[] = {
        {0, 0, 0, true, 0, 0},           {2, 1, 0, true, 2, 1},  {3, 0, 0, false, 0, 0},
        {0, 0xFFFFFFFF, 0, false, 0, 0}, {1, 7, 0, false, 1, 0}, {0, 0, 1, false, 0, 0},
    };
    for (const CModes& c : cases) {
        SCOPED_TRACE(testing::Message() << c.trace << "/" << c.brk << "/" << c.numpad);
        m_keyboard->SetKeyTrace(c.trace);
        m_keyboard->SetKeyBreak(c.brk);
        m_keyboard->SetNumpadMode(c.numpad);
        EXPECT_EQ(c.result, m_keyboard->ValidateProperties(false));
        EXPECT_EQ(c.traceAfter, m_keyboard->GetKeyTrace());
        EXPECT_EQ(c.breakAfter, m_keyboard->GetKeyBreak());
        EXPECT_EQ(0, m_keyboard->GetNumpadMode());
    }
}

TEST_F(KorvetKeyboardTest, PropertiesAreBoundUnlessEnabledOnly) {
    common::CSettingsRegistry all;
    ASSERT_TRUE(m_keyboard->CollectProperties(&all, false));
    for (const char* name : {"DownKeyAsNum5", "KeyTrace", "KeyBreak", "NumpadMode"})
        EXPECT_NE(nullptr, all.FindValue(common::CNarrowString(name))) << name;

    common::CSettingsRegistry enabledOnly;
    m_keyboard->CollectProperties(&enabledOnly, true);
    for (const char* name : {"DownKeyAsNum5", "KeyTrace", "KeyBreak"})
        EXPECT_EQ(nullptr, enabledOnly.FindValue(common::CNarrowString(name))) << name;
}

TEST_F(KorvetKeyboardTest, InputMenuTogglesDownKeyAsNum5) {
    emu::COptionTree other;
    m_keyboard->BuildMenu(&other, 4);
    EXPECT_EQ(0, other.GetChildCount());

    emu::COptionTree input;
    m_keyboard->BuildMenu(&input, CKeyboard_Korvet::kMenuInput);
    ASSERT_EQ(1, input.GetChildCount());
    common::COptionNodeInterface* item = input.GetChildAt(0);
    ASSERT_NE(nullptr, item);
    item->Activate();
    EXPECT_TRUE(m_keyboard->GetDownKeyAsNum5());
    item->Activate();
    EXPECT_FALSE(m_keyboard->GetDownKeyAsNum5());
}

TEST_F(KorvetKeyboardTest, StartReleasesEveryCell) {
    Key(0x41, true);
    m_machine.Stop();
    int32_t rate = 4900;
    ASSERT_TRUE(m_machine.Start(&rate));
    EXPECT_EQ(0, PressedCells());
}

TEST_F(KorvetKeyboardTest, SaveLoadSaveGivesIdenticalBytesAndRebuildsMatrix) {
    Key(0x41, true);
    Key(0x23, true); // End, on the cell of keypad 1
    Key(0x6A, true); // keypad '*', which also held Shift
    Key(0x28, true);
    const Bytes first = Save();

    Key(0x41, false);
    Key(0x23, false);
    Key(0x6A, false);
    Key(0x28, false);
    Key(0x5A, true);
    ASSERT_TRUE(Load(first));
    EXPECT_EQ(first, Save());

    EXPECT_TRUE(m_keyboard->IsCellPressed(0, 1));
    EXPECT_TRUE(m_keyboard->IsCellPressed(8, 1)); // End held, keypad 1 not
    EXPECT_TRUE(m_keyboard->IsCellPressed(5, 2));
    EXPECT_TRUE(m_keyboard->IsCellPressed(8, 2));
    EXPECT_FALSE(m_keyboard->IsCellPressed(7, 0)); // Shift follows the Shift key alone
    EXPECT_FALSE(m_keyboard->IsCellPressed(3, 2));
    EXPECT_EQ(4, PressedCells());

    // The Down arrow held across the load is released from the cell the load gave it.
    m_keyboard->SetDownKeyAsNum5(true);
    Key(0x28, false);
    EXPECT_FALSE(m_keyboard->IsCellPressed(8, 2));
}

TEST_F(KorvetKeyboardTest, LoadRefusesOtherVersionOrMissingField) {
    const Bytes good = SaveKeyboardData();
    // The keyboard's own "VER" field (the base's comes first): marker and
    // name head before the name, type and value after it.
    const std::string text(good.begin(), good.end());
    const size_t name = text.rfind("VER");
    ASSERT_NE(std::string::npos, name);
    ASSERT_GT(name, 5u);
    Key(0x41, true);

    Bytes otherVersion = good;
    otherVersion[name + 4] = 3; // versions 0 to 2 load
    EXPECT_FALSE(LoadKeyboardData(otherVersion));
    EXPECT_TRUE(m_keyboard->IsCellPressed(0, 1)); // left as it was

    const Bytes missing(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(name - 5)); // without the field
    EXPECT_FALSE(LoadKeyboardData(missing));
    EXPECT_TRUE(m_keyboard->IsCellPressed(0, 1));

    EXPECT_TRUE(LoadKeyboardData(good));
    EXPECT_TRUE(m_keyboard->IsCellPressed(0, 1)); // A is still held by the key service

    // Version 1 ends before the last press's cycle count.
    const size_t lastPress = text.rfind("LPRC");
    ASSERT_NE(std::string::npos, lastPress);
    Bytes version1(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(lastPress - 5));
    version1[name + 4] = 1;
    EXPECT_TRUE(LoadKeyboardData(version1));
}

} // namespace
