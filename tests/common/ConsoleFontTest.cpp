// The built-in console font: code-page-437 glyphs at their places.
#include "common/ConsoleFont.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <utility>

namespace {

int CountPixels(uint8_t c) {
    int n = 0;
    const uint8_t* glyph = common::GetConsoleGlyph(c);
    for (int row = 0; row < common::kConsoleFontHeight; ++row)
        for (int bit = 0; bit < 8; ++bit)
            n += (glyph[row] >> bit) & 1;
    return n;
}

bool RowIs(uint8_t c, int row, uint8_t bits) {
    return common::GetConsoleGlyph(c)[row] == bits;
}

TEST(ConsoleFontTest, BlankCharactersHaveNoPixels) {
    for (int c : {0x00, 0x20, 0xFF})
        EXPECT_EQ(0, CountPixels(static_cast<uint8_t>(c))) << "character " << c;
}

TEST(ConsoleFontTest, EveryOtherCharacterHasAGlyph) {
    for (int c = 1; c < 0xFF; ++c) {
        if (c != 0x20) {
            EXPECT_GT(CountPixels(static_cast<uint8_t>(c)), 0) << "character " << c;
        }
    }
}

TEST(ConsoleFontTest, GlyphsAreAddressedSixteenBytesApart) {
    EXPECT_EQ(common::kConsoleFont + 16 * 'A', common::GetConsoleGlyph('A'));
    EXPECT_EQ(common::kConsoleFont + 16 * 0xFF, common::GetConsoleGlyph(0xFF));
}

TEST(ConsoleFontTest, GlyphsHaveTheirCodePage437Shapes) {
    // 'A' has an empty top row and a full-width cross bar.
    EXPECT_TRUE(RowIs('A', 0, 0x00));
    // '_' is one horizontal run near the bottom of the cell.
    int underscoreRows = 0;
    for (int row = 0; row < 16; ++row)
        underscoreRows += common::GetConsoleGlyph('_')[row] != 0;
    EXPECT_EQ(1, underscoreRows);
    // 0xDB full block, 0xDC lower half, 0xDF upper half.
    for (int row = 0; row < 16; ++row) {
        EXPECT_TRUE(RowIs(0xDB, row, 0xFF)) << row;
        EXPECT_TRUE(RowIs(0xDC, row, row >= 8 ? 0xFF : 0x00)) << row;
        EXPECT_TRUE(RowIs(0xDF, row, row < 8 ? 0xFF : 0x00)) << row;
    }
    // 0xC4 single and 0xCD double horizontal lines span the whole cell width.
    int single = 0, dbl = 0;
    for (int row = 0; row < 16; ++row) {
        single += RowIs(0xC4, row, 0xFF);
        dbl += RowIs(0xCD, row, 0xFF);
    }
    EXPECT_EQ(1, single);
    EXPECT_EQ(2, dbl);
    // 0xB3 vertical line reaches the top and bottom rows.
    EXPECT_NE(0, common::GetConsoleGlyph(0xB3)[0]);
    EXPECT_NE(0, common::GetConsoleGlyph(0xB3)[15]);
}

TEST(ConsoleFontTest, DistinctCharactersHaveDistinctGlyphs) {
    for (auto pair : {std::make_pair('0', 'O'), std::make_pair('l', '1'), std::make_pair('A', 'a'),
                      std::make_pair('\xB0', '\xB1'), std::make_pair('\xC9', '\xDA')}) {
        const uint8_t* a = common::GetConsoleGlyph(static_cast<uint8_t>(pair.first));
        const uint8_t* b = common::GetConsoleGlyph(static_cast<uint8_t>(pair.second));
        EXPECT_FALSE(std::equal(a, a + 16, b)) << int(uint8_t(pair.first)) << " vs " << int(uint8_t(pair.second));
    }
}

} // namespace
