// The Korvet video's text terminal: control codes, escape sequences, cursor,
// wrap-around and scrolling, seen in the text cells.
#include <gtest/gtest.h>

#include <string>

#include "VideoKorvetTestSupport.h"

namespace {

using emu::CVideo_Korvet;
using kvideotest::CKorvetVideoRig;

constexpr uint16_t kCursor = 0x8000;

class CVideo_KorvetTerminalTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_rig.Start()); }

    CVideo_Korvet& Video() { return *m_rig.m_video; }
    void Put(const std::string& bytes) {
        for (char c : bytes)
            Video().PutChar(static_cast<int8_t>(c));
    }
    void Put(std::initializer_list<int> bytes) {
        for (int c : bytes)
            Video().PutChar(static_cast<int8_t>(c));
    }
    uint16_t Cell(int32_t row, int32_t column) { return Video().GetTextCell(row * 64 + column); }
    void ExpectCursorAt(int32_t row, int32_t column) {
        EXPECT_EQ(row, Video().GetCursorRow());
        EXPECT_EQ(column, Video().GetCursorColumn());
    }
    void MoveTo(int32_t row, int32_t column) { Put({0x01, 0x20 + row, 0x20 + column}); }

    CKorvetVideoRig m_rig;
};

TEST_F(CVideo_KorvetTerminalTest, CharactersAdvanceAndCarryTheCursorMark) {
    Put("AB");
    EXPECT_EQ(0x41, Cell(0, 0));
    EXPECT_EQ(0x42, Cell(0, 1));
    EXPECT_EQ(kCursor, Cell(0, 2));
    ExpectCursorAt(0, 2);
    EXPECT_TRUE(Video().IsCursorShown());
    EXPECT_EQ(0x42u, Video().GetTerminalState());
    Video().PutChar(static_cast<int8_t>(0xC1));
    EXPECT_EQ(0xC1, Cell(0, 2));
    EXPECT_EQ(0xFFFFFFC1u, Video().GetTerminalState());
}

TEST_F(CVideo_KorvetTerminalTest, CursorAddressing) {
    Put("X");
    Put({0x01, 0x25});
    // The old position lost its mark before the row changed.
    EXPECT_EQ(0, Cell(0, 1));
    EXPECT_EQ(1u, Video().GetTerminalState() & 0xFF);
    Put({0x2A});
    ExpectCursorAt(5, 10);
    EXPECT_EQ(kCursor, Cell(5, 10));
    EXPECT_EQ(0x20u, Video().GetTerminalState());
    MoveTo(15, 63);
    ExpectCursorAt(15, 63);
}

TEST_F(CVideo_KorvetTerminalTest, WrapAndScroll) {
    for (int i = 0; i < 64; ++i)
        Put("a");
    ExpectCursorAt(1, 0);
    MoveTo(15, 62);
    Put("yz");
    // Column 63 of row 15 scrolled the screen up one row.
    ExpectCursorAt(15, 0);
    EXPECT_EQ(0, Cell(0, 0)); // the row of 'a' went off the top
    EXPECT_EQ(0x79, Cell(14, 62));
    EXPECT_EQ(0x7A, Cell(14, 63));
    EXPECT_EQ(0x8020, Cell(15, 0));
    for (int32_t column = 1; column < 64; ++column)
        EXPECT_EQ(0x0020, Cell(15, column)) << column;
}

TEST_F(CVideo_KorvetTerminalTest, LineFeedAtTheBottomScrollsInSpaces) {
    MoveTo(15, 5);
    Put("Q");
    Put({0x0A});
    ExpectCursorAt(15, 0);
    EXPECT_EQ(0x51, Cell(14, 5));
    for (int32_t column = 1; column < 64; ++column)
        EXPECT_EQ(0x0020, Cell(15, column));
    Put({0x0D});
    ExpectCursorAt(15, 0);
}

TEST_F(CVideo_KorvetTerminalTest, BackSpace) {
    Put({0x08});
    ExpectCursorAt(0, 0);
    MoveTo(3, 0);
    Put({0x08});
    ExpectCursorAt(2, 63);
    Put({0x08});
    ExpectCursorAt(2, 62);
    EXPECT_EQ(kCursor, Cell(2, 62));
    EXPECT_EQ(0, Cell(2, 63));
}

TEST_F(CVideo_KorvetTerminalTest, EraseToEndOfLine) {
    for (int i = 0; i < 64; ++i)
        Put("#");
    MoveTo(0, 10);
    Put({0x15});
    for (int32_t column = 0; column < 10; ++column)
        EXPECT_EQ(0x23, Cell(0, column));
    for (int32_t column = 10; column < 64; ++column)
        EXPECT_EQ(0, Cell(0, column)) << column;
    ExpectCursorAt(1, 0);
    EXPECT_EQ(kCursor, Cell(1, 0));
}

TEST_F(CVideo_KorvetTerminalTest, ClearingZeroesWhereScrollingWritesSpaces) {
    Put("hello");
    Put({0x1F});
    ExpectCursorAt(0, 0);
    EXPECT_EQ(kCursor, Cell(0, 0));
    for (int32_t i = 1; i < 1024; ++i)
        ASSERT_EQ(0, Video().GetTextCell(i)) << i;
    Put("hi");
    Put({0x1B, 'E'});
    ExpectCursorAt(0, 0);
    EXPECT_EQ(kCursor, Cell(0, 0));
    EXPECT_EQ(0, Cell(0, 1));
    EXPECT_EQ(0x20u, Video().GetTerminalState());
}

TEST_F(CVideo_KorvetTerminalTest, TabWritesEightSpacesWithTheInversionBit) {
    MoveTo(0, 60);
    Put({0x1B, '6', 0x09});
    for (int32_t column = 60; column < 64; ++column)
        EXPECT_EQ(0x8020, Cell(0, column));
    for (int32_t column = 0; column < 4; ++column)
        EXPECT_EQ(0x8020, Cell(1, column));
    ExpectCursorAt(1, 4);
    EXPECT_EQ(0x20u, Video().GetTerminalState());
}

TEST_F(CVideo_KorvetTerminalTest, UnknownControlCodeIsSwallowedOnce) {
    Put({0x07});
    EXPECT_EQ(0, Cell(0, 0)); // nothing shown, not even the cursor yet
    EXPECT_EQ(7u, Video().GetTerminalState());
    Put({0x07});
    EXPECT_EQ(0x07, Cell(0, 0));
    ExpectCursorAt(0, 1);
    // While the last byte was a control code, every further one is shown.
    Put({0x00, 0x00});
    EXPECT_EQ(0x00, Cell(0, 1));
    ExpectCursorAt(0, 3);
    Put("a");
    Put({0x00});
    ExpectCursorAt(0, 4);
    EXPECT_EQ(0u, Video().GetTerminalState());
}

TEST_F(CVideo_KorvetTerminalTest, CursorOnAndOff) {
    Put("A");
    Put({0x1B, ';'});
    EXPECT_FALSE(Video().IsCursorEnabled());
    EXPECT_EQ(0, Cell(0, 1));
    Put("B");
    EXPECT_EQ(0x42, Cell(0, 1));
    EXPECT_EQ(0, Cell(0, 2));
    Put({0x1B, ':'});
    EXPECT_TRUE(Video().IsCursorEnabled());
    EXPECT_EQ(kCursor, Cell(0, 2));
}

TEST_F(CVideo_KorvetTerminalTest, InvertedWritingAndTheCursorMark) {
    Put({0x1B, '6'});
    EXPECT_EQ(0x8000, Video().GetInversionBit());
    Put("AB");
    EXPECT_EQ(0x8041, Cell(0, 0));
    Put({0x1B, '7'});
    EXPECT_EQ(0, Video().GetInversionBit());
    // Passing over an inverted cell with the cursor clears its bit 15.
    MoveTo(0, 0);
    MoveTo(0, 5);
    EXPECT_EQ(0x0041, Cell(0, 0));
    EXPECT_EQ(0x8042, Cell(0, 1));
}

TEST_F(CVideo_KorvetTerminalTest, ColumnModesChangeViregQuietly) {
    Video().SetFlag(CVideo_Korvet::kTraceWriteVIREG, true);
    Put({0x1B, '3'});
    EXPECT_EQ(0x08u, Video().GetVireg() & 0x08);
    Put({0x1B, '2'});
    EXPECT_EQ(0u, Video().GetVireg() & 0x08);
    Put({0x1B, 'Z'});
    EXPECT_EQ(0x20u, Video().GetTerminalState());
    EXPECT_EQ(0, Cell(0, 0));
    EXPECT_TRUE(m_rig.TakeLines().empty());
}

TEST_F(CVideo_KorvetTerminalTest, LineFeedsAtTheBottomScrollRowByRow) {
    Put("top");
    MoveTo(15, 0);
    Put("bottom");
    Put({0x0A, 0x0A});
    EXPECT_EQ(0, Cell(0, 0));
    EXPECT_EQ(0x62, Cell(13, 0));
    for (int32_t column = 0; column < 64; ++column)
        EXPECT_EQ(column == 0 ? 0x8020 : 0x0020, Cell(15, column));
}

} // namespace
