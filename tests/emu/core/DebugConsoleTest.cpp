// The debugger console: hot keys turned into command words in both views, the
// change notification of Ctrl+F5, and the popup boxes and image drawn over the
// console text.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/CNarrowString.h"
#include "common/CRgbImage_32Bpp.h"
#include "common/CStringList.h"
#include "common/CSurface.h"
#include "common/ConsoleFont.h"
#include "common/KeyCodes.h"
#include "emu/core/CDebugConsole.h"

using common::ARGB;
using common::CNarrowString;
using emu::CDebugConsole;

namespace {

constexpr ARGB kUntouched = 0x12345678u;
constexpr ARGB kFg = CDebugConsole::kPopupForeground;
constexpr ARGB kBg = CDebugConsole::kPopupBackground;

class CTestSurface : public common::CSurface {
public:
    CTestSurface(int32_t width, int32_t height) : m_stride(width) {
        m_pixels.assign(static_cast<size_t>(width) * height, kUntouched);
        ARGB** rows = new ARGB*[height];
        for (int32_t y = 0; y < height; ++y)
            rows[y] = &m_pixels[static_cast<size_t>(y) * width];
        SetRows(width, height, rows);
    }
    ARGB At(int32_t x, int32_t y) const { return m_pixels[static_cast<size_t>(y) * m_stride + x]; }
    // Whether cell (column, row) shows c opaquely in the popup colours.
    bool CellIs(int32_t column, int32_t row, uint8_t c) const {
        const uint8_t* glyph = common::GetConsoleGlyph(c);
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 8; ++x) {
                const ARGB expected = ((glyph[y] >> (7 - x)) & 1) ? kFg : kBg;
                if (At(column * 8 + 3 + x, row * 16 + 3 + y) != expected)
                    return false;
            }
        return true;
    }
    bool CellUntouched(int32_t column, int32_t row) const {
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 8; ++x)
                if (At(column * 8 + 3 + x, row * 16 + 3 + y) != kUntouched)
                    return false;
        return true;
    }
    bool AllUntouched() const {
        for (ARGB p : m_pixels)
            if (p != kUntouched)
                return false;
        return true;
    }

private:
    int32_t m_stride;
    std::vector<ARGB> m_pixels;
};

// A surface for a console of the given cells.
CTestSurface SurfaceFor(int32_t columns, int32_t rows) {
    return CTestSurface(columns * 8 + 6, rows * 16 + 6);
}

// ---- hot keys ----

struct CRecorder {
    std::vector<std::string> commands;
    int changes = 0;
};

void Record(void* context, const common::CString& line) {
    static_cast<CRecorder*>(context)->commands.push_back(line.GetNarrow());
}

void CountChange(void* context) {
    ++static_cast<CRecorder*>(context)->changes;
}

constexpr uint8_t kNone = 0;
constexpr uint8_t kCtrl = common::kKeyCodeLeftCtrl;
constexpr uint8_t kRightCtrl = common::kKeyCodeRightCtrl;
constexpr uint8_t kShift = common::kKeyCodeLeftShift;
constexpr uint8_t kRightShift = common::kKeyCodeRightShift;
constexpr uint8_t kAlt = common::kKeyCodeLeftAlt;

struct CHotKeyCase {
    uint8_t modifier; // held while the key is pressed; kNone for none
    uint8_t key;
    bool hotKeysOnly;
    const char* sent; // "" when nothing is sent
    bool result;
};

// Presses the modifier (in the view under test), then the key, and answers the
// key's result; the modifier is released again afterwards.
bool PressWith(CDebugConsole& console, uint8_t modifier, uint8_t key, bool hotKeysOnly) {
    if (modifier != kNone)
        console.KeyEvent(modifier, true, hotKeysOnly);
    const bool result = console.KeyEvent(key, true, hotKeysOnly);
    if (modifier != kNone)
        console.KeyEvent(modifier, false, hotKeysOnly);
    return result;
}

TEST(DebugConsoleTest, HotKeysSendTheirCommandWords) {
    const CHotKeyCase cases[] = {
        // the console view
        {kNone, CDebugConsole::kKeyF5, false, "START", true},
        {kCtrl, CDebugConsole::kKeyF5, false, "GO", true},
        {kRightCtrl, CDebugConsole::kKeyF5, false, "GO", true},
        {kNone, CDebugConsole::kKeyF7, false, "STEP", true},
        {kNone, CDebugConsole::kKeyF8, false, "STEPOVER", true},
        {kShift, CDebugConsole::kKeyF8, false, "STEPOVEROVER", true},
        {kRightShift, CDebugConsole::kKeyF8, false, "STEPOVEROVER", true},
        {kCtrl, CDebugConsole::kKeyF8, false, "STEPOVER", true},
        {kCtrl, CDebugConsole::kKeyF12, false, "BREAK", true},
        {kAlt, CDebugConsole::kKeyF12, false, "", true},
        {kNone, CDebugConsole::kKeyF12, false, "", false},
        {kNone, CDebugConsole::kKeyF11, false, "", false},
        {kCtrl, CDebugConsole::kKeyF11, false, "", true},
        {kAlt, CDebugConsole::kKeyF11, false, "", true},
        {kNone, CDebugConsole::kKeyF6, false, "", true}, // the base takes every key in the console
        {kNone, CDebugConsole::kKeyF9, false, "", true},
        // the emulation screen
        {kCtrl, CDebugConsole::kKeyF12, true, "BREAK", false},
        {kNone, CDebugConsole::kKeyF12, true, "", true},
        {kNone, CDebugConsole::kKeyF11, true, "", true},
        {kCtrl, CDebugConsole::kKeyF11, true, "", false},
        {kAlt, CDebugConsole::kKeyF12, true, "", false},
        {kNone, CDebugConsole::kKeyF5, true, "", false},
        {kCtrl, CDebugConsole::kKeyF5, true, "", false},
        {kNone, CDebugConsole::kKeyF7, true, "", false},
        {kShift, CDebugConsole::kKeyF8, true, "", false},
        {kNone, 'A', true, "", false},
    };
    for (const CHotKeyCase& c : cases) {
        CDebugConsole console;
        CRecorder recorder;
        console.SetCommandCallback(Record, &recorder);
        const bool result = PressWith(console, c.modifier, c.key, c.hotKeysOnly);
        const std::string where = "key " + std::to_string(c.key) + " modifier " + std::to_string(c.modifier) +
                                  (c.hotKeysOnly ? " screen" : " console");
        EXPECT_EQ(c.result, result) << where;
        if (c.sent[0] == '\0') {
            EXPECT_TRUE(recorder.commands.empty()) << where;
        } else {
            ASSERT_EQ(1u, recorder.commands.size()) << where;
            EXPECT_EQ(c.sent, recorder.commands[0]) << where;
        }
    }
}

TEST(DebugConsoleTest, ReleasedHotKeysAreTakenInTheConsoleAndSendNothing) {
    for (uint8_t key : {CDebugConsole::kKeyF5, CDebugConsole::kKeyF7, CDebugConsole::kKeyF8, CDebugConsole::kKeyF11,
                        CDebugConsole::kKeyF12}) {
        CDebugConsole console;
        CRecorder recorder;
        console.KeyEvent(key, true, false); // pressed with no callback yet
        console.SetCommandCallback(Record, &recorder);
        EXPECT_TRUE(console.KeyEvent(key, false, false)) << int(key);
        EXPECT_TRUE(recorder.commands.empty()) << int(key);
    }
}

TEST(DebugConsoleTest, WithoutCommandCallbackHotKeysSendNothingAndAreTaken) {
    for (uint8_t key : {CDebugConsole::kKeyF5, CDebugConsole::kKeyF7, CDebugConsole::kKeyF8, CDebugConsole::kKeyF11,
                        CDebugConsole::kKeyF12}) {
        CDebugConsole console;
        CRecorder recorder;
        console.SetChangeCallback(CountChange, &recorder);
        console.Redraw(nullptr); // no surface: the changed mark stays
        EXPECT_TRUE(PressWith(console, kNone, key, false)) << int(key);
        EXPECT_TRUE(PressWith(console, kCtrl, key, false)) << int(key);
        EXPECT_EQ(0, recorder.changes) << "a console that starts changed calls no change callback";
    }
    // From the emulation screen, Ctrl+F12 without a callback is an ordinary key.
    CDebugConsole console;
    EXPECT_FALSE(PressWith(console, kCtrl, CDebugConsole::kKeyF12, true));
}

TEST(DebugConsoleTest, CtrlF5RaisesTheChangeNotificationOnce) {
    CDebugConsole console;
    CRecorder recorder;
    console.SetCommandCallback(Record, &recorder);
    console.SetChangeCallback(CountChange, &recorder);
    CTestSurface surface = SurfaceFor(20, 5);
    ASSERT_TRUE(console.Redraw(&surface)); // clears the changed mark
    ASSERT_FALSE(console.IsChanged());

    EXPECT_TRUE(PressWith(console, kCtrl, CDebugConsole::kKeyF5, false));
    EXPECT_EQ(1, recorder.changes);
    EXPECT_TRUE(console.IsChanged());
    EXPECT_TRUE(PressWith(console, kCtrl, CDebugConsole::kKeyF5, false));
    EXPECT_EQ(1, recorder.changes) << "no second call before the next redraw";
    EXPECT_EQ((std::vector<std::string>{"GO", "GO"}), recorder.commands);

    ASSERT_TRUE(console.Redraw(&surface));
    EXPECT_TRUE(PressWith(console, kNone, CDebugConsole::kKeyF5, false));
    EXPECT_EQ(1, recorder.changes) << "plain F5 raises no notification of its own";
}

TEST(DebugConsoleTest, EveryRepeatOfAHeldKeySteps) {
    CDebugConsole console;
    CRecorder recorder;
    console.SetCommandCallback(Record, &recorder);
    for (int i = 0; i < 3; ++i)
        console.KeyEvent(CDebugConsole::kKeyF7, true, false);
    EXPECT_EQ((std::vector<std::string>{"STEP", "STEP", "STEP"}), recorder.commands);
}

TEST(DebugConsoleTest, SetCentredMarksTheConsoleChanged) {
    CDebugConsole console;
    CRecorder recorder;
    console.SetChangeCallback(CountChange, &recorder);
    CTestSurface surface = SurfaceFor(20, 5);
    console.Redraw(&surface);
    console.SetCentred(true);
    EXPECT_TRUE(console.IsCentred());
    EXPECT_EQ(1, recorder.changes);
    console.SetCentred(false);
    EXPECT_FALSE(console.IsCentred());
    EXPECT_EQ(1, recorder.changes);
}

// ---- popup ----

struct CPopupSource {
    std::vector<std::string> lines;
    common::CImage* image = nullptr;
    int calls = 0;
};

void FillPopup(void* context, common::CStringList* lines, common::CImage** image) {
    auto* source = static_cast<CPopupSource*>(context);
    ++source->calls;
    EXPECT_EQ(0, lines->GetCount()) << "the list is emptied before the hook";
    EXPECT_EQ(nullptr, *image);
    for (const std::string& line : source->lines)
        lines->Add(CNarrowString(line.c_str()));
    *image = source->image;
}

// Checks a frame from (l, top) to (r, b) with the title at the top.
void ExpectFrame(const CTestSurface& s, int32_t l, int32_t r, int32_t top, int32_t b, const std::string& title,
                 bool blankLeft = true) {
    EXPECT_TRUE(s.CellIs(l, top, CDebugConsole::kBoxTopLeft));
    EXPECT_TRUE(s.CellIs(r, top, CDebugConsole::kBoxTopRight));
    EXPECT_TRUE(s.CellIs(l, b, CDebugConsole::kBoxBottomLeft));
    EXPECT_TRUE(s.CellIs(r, b, CDebugConsole::kBoxBottomRight));
    int32_t column = l + 1;
    if (!title.empty()) {
        EXPECT_TRUE(s.CellIs(column++, top, CDebugConsole::kBoxHorizontal));
        for (char c : title)
            EXPECT_TRUE(s.CellIs(column++, top, static_cast<uint8_t>(c))) << "title " << title;
    }
    for (; column < r; ++column)
        EXPECT_TRUE(s.CellIs(column, top, CDebugConsole::kBoxHorizontal)) << column;
    for (column = l + 1; column < r; ++column)
        EXPECT_TRUE(s.CellIs(column, b, CDebugConsole::kBoxHorizontal)) << column;
    for (int32_t row = top + 1; row < b; ++row) {
        EXPECT_TRUE(s.CellIs(l, row, CDebugConsole::kBoxVertical)) << row;
        EXPECT_TRUE(s.CellIs(r, row, CDebugConsole::kBoxVertical)) << row;
    }
    if (blankLeft) {
        EXPECT_TRUE(s.CellUntouched(l - 1, top)) << "flush right, nothing left of the box";
    }
}

void ExpectItem(const CTestSurface& s, int32_t l, int32_t r, int32_t row, const std::string& text) {
    int32_t column = l + 1;
    EXPECT_TRUE(s.CellIs(column++, row, ' '));
    for (char c : text)
        EXPECT_TRUE(s.CellIs(column++, row, static_cast<uint8_t>(c))) << text;
    for (; column < r; ++column)
        EXPECT_TRUE(s.CellIs(column, row, ' ')) << text << " column " << column;
}

TEST(DebugConsoleTest, PopupGroupsStackDownTheRightEdge) {
    CDebugConsole console;
    CPopupSource source;
    source.lines = {"~Registers", "A=00", "B=01", "~Stack", "0000"};
    console.SetPopupHook(FillPopup, &source);
    CTestSurface s = SurfaceFor(80, 25);
    console.DrawOverlay(&s, 25, 80, nullptr);
    EXPECT_EQ(1, source.calls);

    ExpectFrame(s, 67, 79, 0, 3, "Registers");
    ExpectItem(s, 67, 79, 1, "A=00");
    ExpectItem(s, 67, 79, 2, "B=01");
    ExpectFrame(s, 71, 79, 4, 6, "Stack");
    ExpectItem(s, 71, 79, 5, "0000");
    EXPECT_TRUE(s.CellUntouched(79, 7)) << "nothing below the last box";
    EXPECT_TRUE(s.CellUntouched(0, 0));
    EXPECT_EQ(5, console.GetPopupLines().GetCount());
}

TEST(DebugConsoleTest, PopupWithoutHeaderHasNoTitle) {
    CDebugConsole console;
    CPopupSource source;
    source.lines = {"abc", "~~T", "x"};
    console.SetPopupHook(FillPopup, &source);
    CTestSurface s = SurfaceFor(40, 20);
    console.DrawOverlay(&s, 20, 40, nullptr);
    ExpectFrame(s, 33, 39, 0, 2, "");
    ExpectItem(s, 33, 39, 1, "abc");
    // "~~T" is titled T: the doubled mark is not part of the title.
    ExpectFrame(s, 35, 39, 3, 5, "T");
    ExpectItem(s, 35, 39, 4, "x");
}

TEST(DebugConsoleTest, HeaderWithoutItemsDrawsNoBoxAndTakesNoRows) {
    CDebugConsole console;
    CPopupSource source;
    source.lines = {"~Empty", "~Box", "item"};
    console.SetPopupHook(FillPopup, &source);
    CTestSurface s = SurfaceFor(40, 20);
    console.DrawOverlay(&s, 20, 40, nullptr);
    ExpectFrame(s, 32, 39, 0, 2, "Box");
    ExpectItem(s, 32, 39, 1, "item");
}

TEST(DebugConsoleTest, BoxIsCutToTheRowsLeftAndLaterBoxesAreDropped) {
    CDebugConsole console;
    CPopupSource source;
    source.lines = {"~A", "1", "2", "3", "4", "~B", "5"};
    console.SetPopupHook(FillPopup, &source);
    CTestSurface s = SurfaceFor(20, 6);
    console.DrawOverlay(&s, 4, 20, nullptr);
    ExpectFrame(s, 15, 19, 0, 3, "A");
    ExpectItem(s, 15, 19, 1, "1");
    ExpectItem(s, 15, 19, 2, "2");
    EXPECT_TRUE(s.CellUntouched(19, 4)) << "the box stays inside the console";
}

TEST(DebugConsoleTest, BoxThatDoesNotFitIsSkipped) {
    struct CCase {
        int32_t columns, rows;
        std::vector<std::string> lines;
    };
    const CCase cases[] = {
        {4, 10, {"x"}},     // fewer than five columns
        {40, 2, {"x"}},     // fewer than three rows
        {40, 10, {"", ""}}, // no content
        {40, 10, {"~"}},    // a bare mark is no title and has no items
    };
    for (const CCase& c : cases) {
        CDebugConsole console;
        CPopupSource source;
        source.lines = c.lines;
        console.SetPopupHook(FillPopup, &source);
        CTestSurface s = SurfaceFor(40, 10);
        console.DrawOverlay(&s, c.rows, c.columns, nullptr);
        EXPECT_TRUE(s.AllUntouched()) << c.columns << "x" << c.rows;
    }
}

TEST(DebugConsoleTest, EmptyItemLineLeavesTheTextUnderneath) {
    CDebugConsole console;
    CPopupSource source;
    source.lines = {"~Title", "", "ab"};
    console.SetPopupHook(FillPopup, &source);
    CTestSurface s = SurfaceFor(30, 10);
    console.DrawOverlay(&s, 10, 30, nullptr);
    // Box 9 wide: columns 21..29.
    EXPECT_TRUE(s.CellIs(21, 1, CDebugConsole::kBoxVertical));
    EXPECT_TRUE(s.CellIs(22, 1, ' '));
    for (int32_t column = 23; column <= 27; ++column)
        EXPECT_TRUE(s.CellUntouched(column, 1)) << column;
    EXPECT_TRUE(s.CellIs(28, 1, ' '));
    ExpectItem(s, 21, 29, 2, "ab");
}

TEST(DebugConsoleTest, NarrowedBoxCutsItsItemsAndTitleAtTheConsoleEdge) {
    CDebugConsole console;
    CPopupSource source;
    source.lines = {"~LongTitle", "0123456789"};
    console.SetPopupHook(FillPopup, &source);
    CTestSurface s = SurfaceFor(12, 5);
    console.DrawOverlay(&s, 5, 8, nullptr);
    // w = 8, inner 4: the title runs from column 1 and stops at the edge.
    EXPECT_TRUE(s.CellIs(0, 0, CDebugConsole::kBoxTopLeft));
    const std::string title = "LongTitle";
    for (int32_t column = 1; column < 8; ++column)
        EXPECT_TRUE(s.CellIs(column, 0, static_cast<uint8_t>(title[column - 1]))) << column;
    EXPECT_TRUE(s.CellUntouched(8, 0)) << "no title character beyond the console's columns";
    ExpectItem(s, 0, 7, 1, "0123");
    EXPECT_TRUE(s.CellIs(0, 2, CDebugConsole::kBoxBottomLeft));
}

TEST(DebugConsoleTest, HookImageIsCopiedOverTheBoxes) {
    common::CRgbImage_32Bpp image;
    ASSERT_TRUE(image.Allocate(4, 3));
    for (int32_t y = 0; y < 3; ++y)
        for (int32_t x = 0; x < 4; ++x)
            image.SetPixel(y, x, 0xFF000100u * (y + 1) + static_cast<uint32_t>(x));
    CDebugConsole console;
    CPopupSource source;
    source.lines = {"~T", "i"};
    source.image = &image;
    console.SetPopupHook(FillPopup, &source);

    CTestSurface s(3, 2); // smaller than the image: clipped both ways
    console.DrawOverlay(&s, 1, 1, nullptr);
    for (int32_t y = 0; y < 2; ++y)
        for (int32_t x = 0; x < 3; ++x)
            EXPECT_EQ(0xFF000100u * (y + 1) + static_cast<uint32_t>(x), s.At(x, y));

    CTestSurface wide = SurfaceFor(20, 5);
    console.DrawOverlay(&wide, 5, 20, nullptr);
    EXPECT_EQ(0xFF000103u, wide.At(3, 0));
    EXPECT_EQ(kUntouched, wide.At(4, 0));
    EXPECT_EQ(kUntouched, wide.At(0, 3));
    ExpectFrame(wide, 15, 19, 0, 2, "T");
}

TEST(DebugConsoleTest, NoLinesMeansNothingAtAllIsDrawn) {
    common::CRgbImage_32Bpp image;
    ASSERT_TRUE(image.Allocate(2, 2));
    CDebugConsole console;
    CPopupSource source;
    source.image = &image;
    console.SetPopupHook(FillPopup, &source);
    CTestSurface s = SurfaceFor(20, 5);
    console.DrawOverlay(&s, 5, 20, nullptr);
    EXPECT_EQ(1, source.calls);
    EXPECT_TRUE(s.AllUntouched());

    CDebugConsole noHook;
    noHook.DrawOverlay(&s, 5, 20, nullptr);
    EXPECT_TRUE(s.AllUntouched());
}

TEST(DebugConsoleTest, RedrawDrawsThePopupOverTheText) {
    CDebugConsole console;
    CPopupSource source;
    source.lines = {"~P", "q"};
    console.SetPopupHook(FillPopup, &source);
    console.AppendLine(CNarrowString("\xDB\xDB\xDB\xDB\xDB\xDB\xDB\xDB\xDB\xDB"), true);
    CTestSurface s = SurfaceFor(10, 6);
    ASSERT_TRUE(console.Redraw(&s));
    // Five columns of box over the full blocks of the line: opaque cells.
    ExpectFrame(s, 5, 9, 0, 2, "P", false);
    ExpectItem(s, 5, 9, 1, "q");
}

} // namespace
