#pragma once
// The program's text console: a scroll-back of coloured lines that any thread
// may append to, one editable command line, and a renderer that draws both into
// a frame surface with the built-in 8x16 font.
//
// Lines first go to a short pending list (appends never wait for drawing) and
// move into the scroll-back at the next redraw; either holds at most 10000
// lines and drops its oldest silently. The console never interprets a command:
// Enter hands the command line to the owner's command callback.
//
// Threads: appending from any thread; keys, redraw and the command line on the
// user-interface thread. Locks are taken pending before lines, never the other way.
#include <atomic>
#include <cstdint>
#include <deque>

#include "common/CCriticalSection.h"
#include "common/CImage.h"
#include "common/CNarrowString.h"
#include "common/CValueList.h"

namespace common {

class CList;
class CString;
class CSurface;

// Called on Enter with the command line (user-interface thread).
typedef void (*ConsoleCommandCallback)(void* context, const CString& commandLine);
// Called when what the console shows changes, at most once between two redraws
// (from whichever thread made the change).
typedef void (*ConsoleChangeCallback)(void* context);

class CTextConsole {
public:
    struct CColourPair {
        ARGB m_background;
        ARGB m_foreground;
    };

    static constexpr ARGB kDefaultColour = 0xFFC8C8C8u; // light grey
    static constexpr ARGB kBlack = 0xFF000000u;
    static constexpr ARGB kGrey = 0xFF969696u;
    static constexpr ARGB kAccent = 0xFFAAAAAAu;
    static constexpr int32_t kMaxLines = 10000;
    // How an error line begins: the reason follows the tag.
    static constexpr char kErrorTag[] = "[ERROR] ";
    // The longest command line: a key that would make it longer is refused.
    static constexpr int32_t kMaxCommandLineLength = 0xFFFF;
    // The pairs handed to DrawOverlay, in this order.
    enum { kPairNormal, kPairDim, kPairInverse, kPairDimInverse, kPairCount };

    CTextConsole();
    virtual ~CTextConsole();
    CTextConsole(const CTextConsole&) = delete;
    CTextConsole& operator=(const CTextConsole&) = delete;

    // Input, user-interface thread. The key table holds each key's down state.
    // Returns whether the key was consumed. The base consumes nothing when
    // hotKeysOnly is set, else every key, and edits the command line and view.
    virtual bool OnKey(uint8_t keyCode, bool down, bool wasDown, bool hotKeysOnly);
    // Drawn at the end of Redraw when rows and columns are above 0; pairs holds
    // kPairCount colour pairs. The base draws nothing.
    virtual void DrawOverlay(CSurface* surface, int32_t rows, int32_t columns, const CColourPair* pairs);

    void SetCommandCallback(ConsoleCommandCallback callback, void* context);
    void SetChangeCallback(ConsoleChangeCallback callback, void* context);

    // Appending, any thread. With lineEnds false the next append continues this
    // line (as long as it has not been moved to the scroll-back yet).
    void AppendLine(const CString& text, bool lineEnds);
    // colour: 0xAARRGGBB; null means the default colour.
    void AppendColoredLine(const CString& text, const ARGB* colour, bool lineEnds);
    // Every string of the list in the default colour; the line-ended state stays.
    void AppendLines(CList& list);
    // Deletes every line, pending ones included.
    void Clear();
    // Moves the pending lines into the scroll-back and shows its end
    // (user-interface thread; Redraw calls it).
    void FlushPendingLines();

    // Stores the key's state and, unless an up key is released again, passes it
    // to OnKey. hotKeysOnly while the emulation screen is shown.
    bool KeyEvent(uint8_t keyCode, bool down, bool hotKeysOnly);
    // Clears the key table when doIt is set.
    void ReleaseAllKeys(bool doIt);

    // Draws the whole console; false (nothing drawn) when the surface has no
    // pixels.
    bool Redraw(CSurface* surface);

    // Drawing for overlays. The character operations make pair the current
    // colours; no pixel outside the surface is written. A black background
    // leaves blank glyph rows (and spaces) untouched.
    void DrawText(CSurface* surface, int32_t column, int32_t row, uint8_t c, const CColourPair& pair);
    int32_t DrawGlyph(CSurface* surface, int32_t x, int32_t y, uint8_t c, const CColourPair& pair);
    void DrawTextRun(CSurface* surface, int32_t x, int32_t y, const char* chars, int32_t length1, int32_t length2,
                     const CColourPair& pair);
    // Pixels x0..x1 (either order) of row y, clipped.
    static void FillRowRun(CSurface* surface, int32_t x0, int32_t x1, int32_t y, ARGB colour);
    // The rectangle between the two corners (either order), clipped.
    static void FillRect(CSurface* surface, int32_t x0, int32_t y0, int32_t x1, int32_t y1, ARGB colour);

    // State for the owner and the menus.
    void SetCentred(bool centred) { m_centred = centred; }
    void SetCommandLineShown(bool shown) { m_commandLineShown = shown; }
    void SetEditable(bool editable) { m_editable = editable; }
    // The field a menu check item binds to; the owner sets it from its settings.
    bool* GetIgnoreDuplicateLinesFlag() { return &m_ignoreDuplicateLines; }
    bool IsChanged() const { return m_changed.load(); }

    // The scroll-back (pending lines not included), under the lines lock.
    int32_t GetLineCount();
    // Copies line index's text into text; false when there is no such line.
    bool GetLine(int32_t index, CString& text, ARGB& colour);
    int32_t GetPendingLineCount();
    // The newest line, pending ones included, that begins with tag, without
    // the tag and with the untagged lines after it (a list of names, say)
    // joined on; false when no line begins with it (any thread).
    bool FindLastMessage(const char* tag, CNarrowString& message);

    // The command line and its editing state (user-interface thread). The
    // selection runs from the cursor to cursor + selection.
    const CNarrowString& GetCommandLine() const { return m_commandLine; }
    int32_t GetCursor() const { return m_cursor; }
    int32_t GetSelection() const { return m_selection; }

    // The layout of the last redraw.
    int32_t GetTopLine() const { return m_topLine; }
    int32_t GetShownLines() const { return m_shownLines; }
    int32_t GetRows() const { return m_rows; }
    int32_t GetColumns() const { return m_columns; }

protected:
    struct CPendingLine {
        CString* m_text; // owned
        ARGB m_colour;
    };

    // Marks the console changed; the change callback runs on the first change
    // after a redraw.
    void SignalChange();
    // Under the pending lock: adds text as a new line or continues the open one.
    void AddPendingLine(const CString& text, ARGB colour);
    // Characters the selection covers, clamped to the text.
    int32_t SelectedLength() const;
    // Command-line editing helpers; each answers whether anything changed.
    bool EraseSelection();
    bool DropSelection(bool shift);
    void EnterCommand();
    void DrawCommandLine(CSurface* surface);
    void DrawScrollBar(CSurface* surface, int32_t barX, int32_t top, int32_t lineCount);

    ConsoleCommandCallback m_commandCallback = nullptr;
    void* m_commandContext = nullptr; // not owned
    ConsoleChangeCallback m_changeCallback = nullptr;
    void* m_changeContext = nullptr; // not owned

    // Scroll-back, oldest first: each name is a line, each value its colour in
    // the low 32 bits.
    CValueList<long long> m_lines;
    // Lines appended since the last redraw, oldest first (a deque, so that the
    // last one is at hand for continuing and duplicate tests).
    std::deque<CPendingLine> m_pending;

    int32_t m_maxLines = kMaxLines;
    int32_t m_topLine = -1;      // first line shown; negative: the view shows the end
    int32_t m_scrollRequest = 0; // lines the next redraw moves the view by
    int32_t m_shownLines = 0;
    int32_t m_columns = 0;
    int32_t m_rows = 0;
    std::atomic<bool> m_changed{true};
    bool m_lineEnded = true;
    bool m_centred = false;

    CCriticalSection m_linesLock;
    CCriticalSection m_pendingLock;
    CCriticalSection m_keyLock;

    CNarrowString m_commandLine;
    int32_t m_cursor = 0;
    int32_t m_selection = 0;
    bool m_commandLineShown = true;
    bool m_editable = true;
    bool m_lineFullTold = false; // the full line's refusal is printed once

    // The current drawing pair, and per byte value the eight pixel colours of a
    // glyph row as references to it (bit 7 first; a set bit is the foreground),
    // so changing the pair needs no table rebuild.
    ARGB m_background = kBlack;
    ARGB m_foreground = kBlack;
    const ARGB* m_glyphLookup[256][8];

    bool m_keys[256] = {};
    bool m_ignoreDuplicateLines = false;
};

} // namespace common
