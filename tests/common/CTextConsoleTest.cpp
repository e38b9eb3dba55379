// The text console: line store (cap, duplicates, open lines, threads), command
// line editing from key codes, and pixels of its drawing into a frame surface.
#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "common/CNarrowString.h"
#include "common/CStringList.h"
#include "common/CSurface.h"
#include "common/CTextConsole.h"
#include "common/ConsoleFont.h"

using common::ARGB;
using common::CNarrowString;
using common::CTextConsole;

namespace {

constexpr ARGB kUntouched = 0x12345678u;
constexpr ARGB kBlack = CTextConsole::kBlack;
constexpr ARGB kAccent = CTextConsole::kAccent;
constexpr ARGB kGrey = CTextConsole::kGrey;
constexpr ARGB kDefault = CTextConsole::kDefaultColour;

// A surface over its own pixel vector, so that any write outside it trips ASan.
class CTestSurface : public common::CSurface {
public:
    CTestSurface(int32_t width, int32_t height, ARGB fill = kUntouched) : m_stride(width) {
        if (width < 1 || height < 1)
            return;
        m_pixels.assign(static_cast<size_t>(width) * height, fill);
        ARGB** rows = new ARGB*[height];
        for (int32_t y = 0; y < height; ++y)
            rows[y] = &m_pixels[static_cast<size_t>(y) * width];
        SetRows(width, height, rows);
    }
    ARGB At(int32_t x, int32_t y) const { return m_pixels[static_cast<size_t>(y) * m_stride + x]; }
    bool AllAre(ARGB colour) const {
        for (ARGB p : m_pixels)
            if (p != colour)
                return false;
        return true;
    }

private:
    int32_t m_stride;
    std::vector<ARGB> m_pixels;
};

bool GlyphBit(uint8_t c, int row, int column) {
    return (common::GetConsoleGlyph(c)[row] >> (7 - column)) & 1;
}

// Checks the cell at (x, y): set bits in fg; clear bits in bg, or untouched in
// blank rows when the background is black.
void ExpectGlyphAt(const CTestSurface& surface, int32_t x, int32_t y, uint8_t c, ARGB bg, ARGB fg,
                   ARGB blankRow = kBlack) {
    for (int row = 0; row < 16; ++row) {
        const bool blank = common::GetConsoleGlyph(c)[row] == 0;
        for (int column = 0; column < 8; ++column) {
            ARGB expected = GlyphBit(c, row, column) ? fg : bg;
            if (blank && (bg & 0xFFFFFF) == 0)
                expected = blankRow;
            ASSERT_EQ(expected, surface.At(x + column, y + row))
                << "char " << int(c) << " row " << row << " column " << column;
        }
    }
}

std::string LineText(CTextConsole& console, int32_t index) {
    CNarrowString text;
    ARGB colour;
    return console.GetLine(index, text, colour) ? text.GetNarrow() : "<none>";
}

void Append(CTextConsole& console, const char* text, bool lineEnds = true) {
    console.AppendLine(CNarrowString(text), lineEnds);
}

void Press(CTextConsole& console, uint8_t key) {
    console.KeyEvent(key, true, false);
    console.KeyEvent(key, false, false);
}

void Type(CTextConsole& console, const char* keys) {
    for (const char* k = keys; *k; ++k)
        Press(console, static_cast<uint8_t>(*k));
}

void PressShifted(CTextConsole& console, uint8_t key) {
    console.KeyEvent(0xE0, true, false);
    Press(console, key);
    console.KeyEvent(0xE0, false, false);
}

constexpr uint8_t kBackspace = 0x08, kTab = 0x09, kEnter = 0x0D, kEscape = 0x1B, kPageUp = 0x21, kPageDown = 0x22,
                  kEnd = 0x23, kHome = 0x24, kLeft = 0x25, kUp = 0x26, kRight = 0x27, kDelete = 0x2E, kLeftCtrl = 0xE2;

// ---- lines ----

TEST(CTextConsoleTest, ScrollBackKeepsTheLastTenThousandLines) {
    for (int extra : {0, 1}) {
        CTextConsole console;
        for (int i = 0; i < 10000 + extra; ++i)
            Append(console, std::to_string(i).c_str());
        console.FlushPendingLines();
        EXPECT_EQ(10000, console.GetLineCount());
        EXPECT_EQ(std::to_string(extra), LineText(console, 0));
        EXPECT_EQ(std::to_string(9999 + extra), LineText(console, 9999));
    }
    CTextConsole console;
    for (int batch = 0; batch < 2; ++batch) {
        for (int i = 0; i < 6000; ++i)
            Append(console, std::to_string(batch * 6000 + i).c_str());
        console.FlushPendingLines();
    }
    EXPECT_EQ(10000, console.GetLineCount());
    EXPECT_EQ("2000", LineText(console, 0));
}

TEST(CTextConsoleTest, DuplicateLinesAreDroppedOnlyWhenAsked) {
    for (bool ignore : {false, true}) {
        CTextConsole console;
        *console.GetIgnoreDuplicateLinesFlag() = ignore;
        Append(console, "same");
        Append(console, "same");
        EXPECT_EQ(ignore ? 1 : 2, console.GetPendingLineCount());
        console.FlushPendingLines();
        Append(console, "same"); // compared with the scroll-back's last line
        console.FlushPendingLines();
        EXPECT_EQ(ignore ? 1 : 3, console.GetLineCount());
    }
}

TEST(CTextConsoleTest, OpenLineIsContinuedWithoutDuplicateTest) {
    CTextConsole console;
    *console.GetIgnoreDuplicateLinesFlag() = true;
    Append(console, "ab", false);
    Append(console, "ab", true);
    Append(console, "cd", true);
    console.FlushPendingLines();
    ASSERT_EQ(2, console.GetLineCount());
    EXPECT_EQ("abab", LineText(console, 0));
    EXPECT_EQ("cd", LineText(console, 1));
}

TEST(CTextConsoleTest, OpenLineMovedByARedrawIsNotContinued) {
    CTextConsole console;
    CTestSurface surface(100, 100);
    Append(console, "first", false);
    console.Redraw(&surface);
    Append(console, "second");
    console.FlushPendingLines();
    ASSERT_EQ(2, console.GetLineCount());
    EXPECT_EQ("second", LineText(console, 1));
}

TEST(CTextConsoleTest, AppendLinesAddsEachStringAndKeepsTheOpenState) {
    common::CStringList list;
    list.Add(CNarrowString("one"));
    list.Add(CNarrowString("two"));
    CTextConsole ended;
    ended.AppendLines(list);
    EXPECT_EQ(2, ended.GetPendingLineCount());

    CTextConsole open;
    Append(open, "x", false);
    open.AppendLines(list);
    Append(open, "!", true);
    Append(open, "next", true);
    open.FlushPendingLines();
    ASSERT_EQ(2, open.GetLineCount());
    EXPECT_EQ("xonetwo!", LineText(open, 0));
}

TEST(CTextConsoleTest, ClearDeletesEveryLineAndEndsTheOpenOne) {
    CTextConsole console;
    Append(console, "old");
    console.FlushPendingLines();
    Append(console, "open", false);
    console.Clear();
    Append(console, "new");
    console.FlushPendingLines();
    ASSERT_EQ(1, console.GetLineCount());
    EXPECT_EQ("new", LineText(console, 0));
}

void CountChange(void* context) {
    ++*static_cast<int*>(context);
}

TEST(CTextConsoleTest, ChangeCallbackRunsOnceBetweenRedraws) {
    CTextConsole console;
    CTestSurface surface(100, 100);
    int calls = 0;
    console.SetChangeCallback(&CountChange, &calls);
    EXPECT_TRUE(console.IsChanged());
    Append(console, "a");
    EXPECT_EQ(0, calls) << "a new console is already marked changed";
    console.Redraw(&surface);
    EXPECT_FALSE(console.IsChanged());
    Append(console, "b");
    Append(console, "c");
    Press(console, 'X');
    EXPECT_EQ(1, calls);
    console.Redraw(&surface);
    *console.GetIgnoreDuplicateLinesFlag() = true;
    Append(console, "c"); // dropped, still signalled
    EXPECT_EQ(2, calls);
}

TEST(CTextConsoleTest, AppendsFromSeveralThreadsAllArrive) {
    CTextConsole console;
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&console, t] {
            for (int i = 0; i < 500; ++i)
                Append(console, (std::to_string(t) + ":" + std::to_string(i)).c_str());
        });
    }
    for (std::thread& thread : threads)
        thread.join();
    console.FlushPendingLines();
    EXPECT_EQ(2000, console.GetLineCount());
}

// ---- command line ----

void RecordCommand(void* context, const common::CString& line) {
    static_cast<std::vector<std::string>*>(context)->push_back(line.GetNarrow());
}

TEST(CTextConsoleTest, EnterWithoutCallbackAnswersUnknownAndSelectsTheLine) {
    CTextConsole console;
    Type(console, "DASM");
    Press(console, kEnter);
    console.FlushPendingLines();
    ASSERT_EQ(1, console.GetLineCount());
    EXPECT_EQ("Unknown command: DASM", LineText(console, 0));
    EXPECT_STREQ("DASM", console.GetCommandLine().GetNarrow());
    EXPECT_EQ(4, console.GetCursor());
    EXPECT_EQ(-4, console.GetSelection());
    Type(console, "S");
    EXPECT_STREQ("S", console.GetCommandLine().GetNarrow());
    EXPECT_EQ(1, console.GetCursor());
    EXPECT_EQ(0, console.GetSelection());
}

TEST(CTextConsoleTest, EnterHandsTheLineToTheCommandCallback) {
    CTextConsole console;
    std::vector<std::string> commands;
    console.SetCommandCallback(&RecordCommand, &commands);
    Type(console, "GO 100");
    Press(console, kEnter);
    Press(console, 0x6C); // numeric-pad Enter
    EXPECT_EQ((std::vector<std::string>{"GO 100", "GO 100"}), commands);
    EXPECT_EQ(0, console.GetPendingLineCount());
}

// A full command line refuses characters as they are typed and says so once
// (in place of the centred banner); a selection still makes room, and a
// shorter line takes keys again.
TEST(CTextConsoleTest, AFullCommandLineRefusesFurtherCharacters) {
    CTextConsole console;
    Append(console, "banner");
    console.SetCentred(true);
    const int32_t full = CTextConsole::kMaxCommandLineLength;
    for (int32_t i = 0; i < full; ++i)
        Press(console, 'A');
    Type(console, "BC");
    const CNarrowString& line = console.GetCommandLine();
    EXPECT_EQ(full, line.GetLength());
    EXPECT_EQ(std::string::npos, std::string(line.GetNarrow()).find_first_of("BC"));
    console.FlushPendingLines();
    ASSERT_EQ(1, console.GetLineCount()) << "the banner gives way";
    EXPECT_EQ("Error: Command line too long", LineText(console, 0));

    PressShifted(console, kLeft);
    Type(console, "D");
    EXPECT_EQ(full, line.GetLength());
    EXPECT_EQ('D', line.GetCharAt(full - 1));
    Press(console, kBackspace);
    Type(console, "EF");
    EXPECT_EQ(full, line.GetLength());
    EXPECT_EQ('E', line.GetCharAt(full - 1));
    console.FlushPendingLines();
    EXPECT_EQ(2, console.GetLineCount()) << "told again after the line was shorter";
}

TEST(CTextConsoleTest, ShiftHomeSelectsAndDeleteErasesTheSelection) {
    CTextConsole console;
    Type(console, "ABC");
    PressShifted(console, kHome);
    EXPECT_EQ(0, console.GetCursor());
    EXPECT_EQ(3, console.GetSelection());
    Press(console, kDelete);
    EXPECT_STREQ("", console.GetCommandLine().GetNarrow());
    EXPECT_EQ(0, console.GetCursor());
    EXPECT_EQ(0, console.GetSelection());
}

TEST(CTextConsoleTest, CursorKeysMoveSelectAndStopAtTheEnds) {
    struct Step {
        uint8_t key;
        bool shift;
        int cursor;
        int selection;
    };
    // Starting from "ABCD" with the cursor at the end.
    const std::vector<Step> steps = {
        {kLeft, true, 3, 1},   {kLeft, true, 2, 2},  {kRight, true, 3, 1},  {kHome, true, 0, 4},
        {kLeft, true, 0, 4},   {kLeft, false, 0, 0}, {kLeft, false, 0, 0},  {kEnd, true, 4, -4},
        {kRight, false, 4, 0}, {kHome, false, 0, 0}, {0x61, false, 4, 0},   {kLeft, false, 3, 0},
        {kHome, true, 0, 3},   {kEnd, true, 4, -1},  {kRight, true, 4, -1}, {kEnd, false, 4, 0},
    };
    CTextConsole console;
    Type(console, "ABCD");
    int i = 0;
    for (const Step& step : steps) {
        if (step.shift)
            PressShifted(console, step.key);
        else
            Press(console, step.key);
        EXPECT_EQ(step.cursor, console.GetCursor()) << "step " << i;
        EXPECT_EQ(step.selection, console.GetSelection()) << "step " << i;
        ++i;
    }
}

TEST(CTextConsoleTest, EditingKeys) {
    CTextConsole console;
    Type(console, "AB");
    Press(console, kLeft);
    Type(console, "X"); // inserted at the cursor
    EXPECT_STREQ("AXB", console.GetCommandLine().GetNarrow());
    Press(console, kBackspace);
    EXPECT_STREQ("AB", console.GetCommandLine().GetNarrow());
    EXPECT_EQ(1, console.GetCursor());
    Press(console, kDelete);
    EXPECT_STREQ("A", console.GetCommandLine().GetNarrow());
    Press(console, kDelete); // at the end: nothing
    Press(console, kHome);
    Press(console, kBackspace); // at the start: nothing
    EXPECT_STREQ("A", console.GetCommandLine().GetNarrow());
    Press(console, kEnd);
    Press(console, 0xEA); // ":" key
    Press(console, 0xF0); // quote key
    Press(console, ' ');
    EXPECT_STREQ("A:\" ", console.GetCommandLine().GetNarrow());
    Press(console, kTab); // no character of its own
    EXPECT_STREQ("A:\" ", console.GetCommandLine().GetNarrow());
    PressShifted(console, kLeft);
    PressShifted(console, kLeft);
    Press(console, kBackspace);
    EXPECT_STREQ("A:", console.GetCommandLine().GetNarrow());
    Press(console, kEscape);
    EXPECT_STREQ("", console.GetCommandLine().GetNarrow());
    EXPECT_EQ(0, console.GetCursor());
}

TEST(CTextConsoleTest, KeyConsumption) {
    CTextConsole console;
    EXPECT_FALSE(console.KeyEvent('A', true, true)) << "hot keys only: the base has none";
    EXPECT_FALSE(console.KeyEvent('A', false, true)) << "release of a key that was down";
    EXPECT_TRUE(console.KeyEvent('B', false, false)) << "release of a key that was not down";
    EXPECT_TRUE(console.KeyEvent(kTab, true, false));
    EXPECT_TRUE(console.KeyEvent(kTab, true, false)) << "auto-repeat";
    EXPECT_STREQ("", console.GetCommandLine().GetNarrow());

    console.SetEditable(false);
    EXPECT_TRUE(console.KeyEvent('C', true, false));
    EXPECT_STREQ("", console.GetCommandLine().GetNarrow());
}

TEST(CTextConsoleTest, ReleaseAllKeysForgetsModifiers) {
    CTextConsole console;
    Type(console, "AB");
    console.KeyEvent(0xE1, true, false); // right Shift stays down
    console.ReleaseAllKeys(false);
    Press(console, kLeft);
    EXPECT_EQ(1, console.GetSelection());
    console.ReleaseAllKeys(true);
    Press(console, kLeft);
    EXPECT_EQ(0, console.GetSelection());
}

// ---- drawing ----

TEST(CTextConsoleTest, GlyphIsDrawnAtItsPixelAndCell) {
    CTextConsole console;
    CTestSurface surface(64, 64);
    const CTextConsole::CColourPair onBlack = {kBlack, 0xFF00FF00u};
    EXPECT_EQ(16, console.DrawGlyph(&surface, 5, 7, 'A', onBlack));
    ExpectGlyphAt(surface, 5, 7, 'A', kBlack, 0xFF00FF00u, kUntouched);
    const CTextConsole::CColourPair onBlue = {0xFF0000FFu, 0xFFFFFFFFu};
    console.DrawText(&surface, 2, 1, 0xC9, onBlue); // cell (2, 1) starts at pixel (19, 19)
    ExpectGlyphAt(surface, 19, 19, 0xC9, 0xFF0000FFu, 0xFFFFFFFFu);
    console.DrawGlyph(&surface, 40, 40, ' ', onBlack);
    for (int y = 40; y < 56; ++y)
        for (int x = 40; x < 48; ++x)
            ASSERT_EQ(kUntouched, surface.At(x, y));
}

TEST(CTextConsoleTest, DrawingIsClippedToTheSurface) {
    CTextConsole console;
    const CTextConsole::CColourPair pair = {0xFF0000FFu, 0xFFFFFFFFu};
    CTestSurface surface(10, 10);
    for (int x : {-7, -1, 5, 9, 20})
        for (int y : {-15, -3, 4, 9, 30})
            console.DrawGlyph(&surface, x, y, 0xDB, pair); // full block
    EXPECT_TRUE(surface.AllAre(0xFFFFFFFFu));

    CTestSurface run(20, 20);
    console.DrawTextRun(&run, -4, 2, "ABCDEF", 6, 2, pair); // only "AB"
    EXPECT_NE(kUntouched, run.At(11, 2));
    EXPECT_EQ(kUntouched, run.At(12, 2));

    CTestSurface fill(10, 10);
    CTextConsole::FillRowRun(&fill, 7, 2, 3, kAccent);
    CTextConsole::FillRowRun(&fill, -5, 20, 9, kAccent);
    CTextConsole::FillRowRun(&fill, 0, 9, 10, kAccent);
    CTextConsole::FillRowRun(&fill, 0, 9, -1, kAccent);
    CTextConsole::FillRect(&fill, 8, 8, 20, -20, kGrey);
    for (int y = 0; y < 10; ++y) {
        for (int x = 0; x < 10; ++x) {
            ARGB expected = kUntouched;
            if ((y == 3 && x >= 2 && x <= 7) || y == 9)
                expected = kAccent;
            if (x >= 8 && y <= 8)
                expected = kGrey;
            ASSERT_EQ(expected, fill.At(x, y)) << x << "," << y;
        }
    }
}

TEST(CTextConsoleTest, RedrawRefusesAnEmptySurface) {
    CTextConsole console;
    CTestSurface empty(0, 0);
    EXPECT_FALSE(console.Redraw(&empty));
    EXPECT_FALSE(console.Redraw(nullptr));
}

TEST(CTextConsoleTest, RedrawDrawsLinesInTheirColours) {
    CTextConsole console;
    CTestSurface surface(200, 100);
    const ARGB red = 0xFFFF0000u;
    console.AppendColoredLine(CNarrowString("A"), &red, true);
    console.AppendColoredLine(CNarrowString("xyz"), nullptr, true); // the default colour
    ASSERT_TRUE(console.Redraw(&surface));
    EXPECT_EQ(4, console.GetRows()); // (100 - 24 - 6) / 16
    EXPECT_EQ(24, console.GetColumns());
    EXPECT_EQ(2, console.GetShownLines());
    ExpectGlyphAt(surface, 3, 3, 'A', kBlack, red);
    ExpectGlyphAt(surface, 3 + 16, 19, 'z', kBlack, kDefault);
}

TEST(CTextConsoleTest, CentredLinesSitInTheMiddle) {
    CTextConsole console;
    CTestSurface surface(200, 100); // 4 rows, 24 columns
    console.SetCentred(true);
    Append(console, "AB");
    console.Redraw(&surface);
    ExpectGlyphAt(surface, 11 * 8 + 3, 16 + 3, 'A', kBlack, kDefault);
}

TEST(CTextConsoleTest, ScrollBarShowsTheViewsShareOfTheLines) {
    CTextConsole console;
    CTestSurface surface(200, 100); // 4 rows
    for (int i = 0; i < 10; ++i)
        Append(console, std::to_string(i).c_str());
    console.Redraw(&surface);
    EXPECT_EQ(22, console.GetColumns()); // (200 - 17) / 8
    EXPECT_EQ(6, console.GetTopLine());
    ExpectGlyphAt(surface, 3, 3, '6', kBlack, kDefault);
    // Track: the light shade in grey at x = 189 on every row; thumb rows 41..66 in the accent.
    const int barX = 200 - 11;
    ExpectGlyphAt(surface, barX, 3, 0xB0, kBlack, kGrey);
    for (int y = 3; y < 67; ++y) {
        const bool thumb = y >= 41;
        EXPECT_EQ(thumb, surface.At(barX, y) == kAccent) << y;
        EXPECT_EQ(thumb, surface.At(barX + 8, y) == kAccent) << y;
        EXPECT_NE(kAccent, surface.At(barX - 1, y)) << y;
        EXPECT_NE(kAccent, surface.At(barX + 9, y)) << y;
    }

    Press(console, kPageUp);
    console.Redraw(&surface);
    EXPECT_EQ(2, console.GetTopLine());
    EXPECT_EQ(kAccent, surface.At(barX, 16)); // floor(0.2 * 63 + 0.5) + 3
    EXPECT_NE(kAccent, surface.At(barX, 15));
    EXPECT_EQ(kAccent, surface.At(barX, 41));
    EXPECT_NE(kAccent, surface.At(barX, 42));
}

TEST(CTextConsoleTest, ScrollKeysMoveTheViewAndNewOutputReturnsToTheEnd) {
    CTextConsole console;
    CTestSurface surface(200, 6 + 20 * 16 + 24); // 20 rows
    for (int i = 0; i < 100; ++i)
        Append(console, std::to_string(i).c_str());
    console.Redraw(&surface);
    EXPECT_EQ(20, console.GetRows());
    EXPECT_EQ(80, console.GetTopLine());
    struct {
        uint8_t key;
        bool ctrl;
        int top;
    } const steps[] = {{kPageUp, false, 60}, {kUp, false, 59}, {kPageDown, false, 79}, {kPageDown, false, 80},
                       {kPageUp, true, 0},   {kUp, false, 0},  {kPageDown, true, 80},  {0x28 /* Down */, false, 80}};
    for (const auto& step : steps) {
        if (step.ctrl)
            console.KeyEvent(kLeftCtrl, true, false);
        Press(console, step.key);
        if (step.ctrl)
            console.KeyEvent(kLeftCtrl, false, false);
        console.Redraw(&surface);
        EXPECT_EQ(step.top, console.GetTopLine()) << int(step.key);
    }
    Press(console, kPageUp);
    console.Redraw(&surface);
    Append(console, "new");
    console.Redraw(&surface);
    EXPECT_EQ(81, console.GetTopLine());
}

TEST(CTextConsoleTest, CommandLineWithPromptCursorAndSelection) {
    CTextConsole console;
    CTestSurface surface(200, 100); // 4 rows: separator at y 72, line top at 76
    Type(console, "AB");
    console.Redraw(&surface);
    for (int x = 0; x < 200; ++x)
        EXPECT_EQ(x >= 3 && x <= 197, surface.At(x, 72) == kAccent) << x;
    ExpectGlyphAt(surface, 3, 79, '>', kBlack, kDefault);
    ExpectGlyphAt(surface, 11, 79, 'A', kBlack, kDefault);
    ExpectGlyphAt(surface, 19, 79, 'B', kBlack, kDefault);
    // Cursor after "AB": two accent rows from x 27 to 34.
    for (int y : {95, 96}) {
        for (int x = 20; x < 45; ++x)
            EXPECT_EQ(x >= 27 && x <= 34, surface.At(x, y) == kAccent) << x << "," << y;
    }
    EXPECT_NE(kAccent, surface.At(27, 94));
    EXPECT_NE(kAccent, surface.At(27, 97));

    Press(console, kEnter); // selects the whole line
    console.Redraw(&surface);
    ExpectGlyphAt(surface, 11, 79, 'A', kDefault, kBlack);
    ExpectGlyphAt(surface, 19, 79, 'B', kDefault, kBlack);
    ExpectGlyphAt(surface, 3, 79, '>', kBlack, kDefault);
}

TEST(CTextConsoleTest, LinesAndCommandLineAreCutAtTheLastColumn) {
    CTextConsole console;
    CTestSurface surface(6 + 8 * 4, 100); // 4 columns; the command line shows the prompt and 3 characters
    Append(console, "\xDB\xDB\xDB\xDB\xDB\xDB\xDB");
    Type(console, "ABCDE");
    PressShifted(console, kHome);
    console.Redraw(&surface);
    EXPECT_EQ(4, console.GetColumns());
    EXPECT_EQ(kDefault, surface.At(3 + 31, 3));
    EXPECT_EQ(kBlack, surface.At(3 + 32, 3));
    ExpectGlyphAt(surface, 27, 79, 'C', kDefault, kBlack);
    EXPECT_EQ(kBlack, surface.At(35, 79)) << "D is not drawn, selected or not";
}

class COverlayConsole : public CTextConsole {
public:
    void DrawOverlay(common::CSurface* surface, int32_t rows, int32_t columns, const CColourPair* pairs) override {
        ++m_calls;
        m_rows = rows;
        m_columns = columns;
        m_pairs.assign(pairs, pairs + kPairCount);
        DrawText(surface, 0, 0, '#', pairs[kPairInverse]);
    }
    int m_calls = 0;
    int32_t m_rows = -1, m_columns = -1;
    std::vector<CColourPair> m_pairs;
};

TEST(CTextConsoleTest, OverlayIsDrawnLastWithTheFourPairs) {
    COverlayConsole console;
    CTestSurface surface(200, 100);
    Append(console, "line");
    console.Redraw(&surface);
    ASSERT_EQ(1, console.m_calls);
    EXPECT_EQ(4, console.m_rows);
    EXPECT_EQ(24, console.m_columns);
    const ARGB expected[4][2] = {{kBlack, kDefault}, {kBlack, kGrey}, {kDefault, kBlack}, {kGrey, kBlack}};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(expected[i][0], console.m_pairs[i].m_background) << i;
        EXPECT_EQ(expected[i][1], console.m_pairs[i].m_foreground) << i;
    }
    ExpectGlyphAt(surface, 3, 3, '#', kDefault, kBlack);
}

TEST(CTextConsoleTest, SurfaceTooSmallForTheLayoutShowsNoRows) {
    for (bool commandLine : {true, false}) {
        for (int height : {1, 5, 10, 20}) {
            COverlayConsole console;
            console.SetCommandLineShown(commandLine);
            for (int i = 0; i < 30; ++i)
                Append(console, "\xDB\xDB\xDB");
            Type(console, "AB");
            CTestSurface surface(100, height);
            ASSERT_TRUE(console.Redraw(&surface));
            EXPECT_EQ(0, console.GetRows()) << height;
            EXPECT_EQ(0, console.GetShownLines()) << height;
            EXPECT_EQ(0, console.m_calls) << height;
            EXPECT_TRUE(surface.AllAre(kBlack)) << "height " << height << " command line " << commandLine;
        }
    }
}

TEST(CTextConsoleTest, SurfaceTooNarrowForTheScrollBarShowsNoColumns) {
    COverlayConsole console;
    for (int i = 0; i < 30; ++i)
        Append(console, "\xDB\xDB\xDB");
    CTestSurface surface(1, 200);
    ASSERT_TRUE(console.Redraw(&surface));
    EXPECT_EQ(10, console.GetRows());
    EXPECT_EQ(0, console.GetColumns());
    EXPECT_EQ(0, console.m_calls);
}

} // namespace
