#include "common/CTextConsole.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "common/CList.h"
#include "common/CScopedLock.h"
#include "common/CString.h"
#include "common/CSurface.h"
#include "common/ConsoleFont.h"
#include "common/KeyCodes.h"

namespace common {

namespace {

constexpr int32_t kCellWidth = kConsoleFontWidth;
constexpr int32_t kCellHeight = kConsoleFontHeight;
constexpr int32_t kMargin = 3;             // text starts 3 pixels in from the edges
constexpr int32_t kCommandLineHeight = 24; // taken off the text area when the command line shows
constexpr int32_t kScrollBarWidth = 11;    // distance of the bar's x from the right edge
constexpr uint8_t kScrollBarChar = 0xB0;   // light shade

// Key codes the command line reacts to.
constexpr uint8_t kKeyBackspace = 0x08;
constexpr uint8_t kKeyEnter = 0x0D;
constexpr uint8_t kKeyPadEnter = 0x6C;
constexpr uint8_t kKeyEscape = 0x1B;
constexpr uint8_t kKeyPageUp = 0x21;
constexpr uint8_t kKeyPageDown = 0x22;
constexpr uint8_t kKeyEnd = 0x23;
constexpr uint8_t kKeyHome = 0x24;
constexpr uint8_t kKeyLeft = 0x25;
constexpr uint8_t kKeyUp = 0x26;
constexpr uint8_t kKeyRight = 0x27;
constexpr uint8_t kKeyDown = 0x28;
constexpr uint8_t kKeyDelete = 0x2E;
constexpr uint8_t kKeyPadEnd = 0x61;

bool IsBlack(ARGB colour) {
    return (colour & 0x00FFFFFFu) == 0;
}

// Characters of a line's narrow text (a wide line's narrow copy may be shorter).
int32_t NarrowLength(const CString& text) {
    if (text.GetCharSize() == 1)
        return text.GetLength();
    return static_cast<int32_t>(std::strlen(text.GetNarrow()));
}

ARGB ColourOf(long long value) {
    return static_cast<ARGB>(static_cast<unsigned long long>(value) & 0xFFFFFFFFu);
}

} // namespace

CTextConsole::CTextConsole() {
    for (int value = 0; value < 256; ++value) {
        for (int bit = 0; bit < 8; ++bit)
            m_glyphLookup[value][bit] = (value & (0x80 >> bit)) ? &m_foreground : &m_background;
    }
}

CTextConsole::~CTextConsole() {
    for (CPendingLine& line : m_pending)
        delete line.m_text;
}

void CTextConsole::SetCommandCallback(ConsoleCommandCallback callback, void* context) {
    m_commandCallback = callback;
    m_commandContext = context;
}

void CTextConsole::SetChangeCallback(ConsoleChangeCallback callback, void* context) {
    m_changeCallback = callback;
    m_changeContext = context;
}

void CTextConsole::SignalChange() {
    if (!m_changed.exchange(true) && m_changeCallback)
        m_changeCallback(m_changeContext);
}

// ---- lines ----

void CTextConsole::AddPendingLine(const CString& text, ARGB colour) {
    if (!m_lineEnded && !m_pending.empty()) {
        m_pending.back().m_text->AppendString(text);
        return;
    }
    while (static_cast<int32_t>(m_pending.size()) >= m_maxLines) {
        delete m_pending.front().m_text;
        m_pending.pop_front();
    }
    if (m_ignoreDuplicateLines) {
        if (!m_pending.empty()) {
            if (text.CompareString(*m_pending.back().m_text) == 0)
                return;
        } else {
            CScopedLock linesLock(&m_linesLock);
            const CString* last = m_lines.GetAt(m_lines.GetCount() - 1);
            if (last && text.CompareString(*last) == 0)
                return;
        }
    }
    m_pending.push_back(CPendingLine{text.Substring(0, text.GetLength()), colour});
}

void CTextConsole::AppendLine(const CString& text, bool lineEnds) {
    AppendColoredLine(text, nullptr, lineEnds);
}

void CTextConsole::AppendColoredLine(const CString& text, const ARGB* colour, bool lineEnds) {
    {
        CScopedLock lock(&m_pendingLock);
        AddPendingLine(text, colour ? *colour : kDefaultColour);
        m_lineEnded = lineEnds;
    }
    SignalChange();
}

void CTextConsole::AppendLines(CList& list) {
    {
        CScopedLock lock(&m_pendingLock);
        const int32_t count = list.GetCount();
        for (int32_t i = 0; i < count; ++i) {
            if (const CString* text = list.GetAt(i))
                AddPendingLine(*text, kDefaultColour);
        }
    }
    SignalChange();
}

void CTextConsole::Clear() {
    {
        CScopedLock pendingLock(&m_pendingLock);
        CScopedLock linesLock(&m_linesLock);
        for (CPendingLine& line : m_pending)
            delete line.m_text;
        m_pending.clear();
        m_lines.RemoveAll();
        m_lineEnded = true;
    }
    SignalChange();
}

void CTextConsole::FlushPendingLines() {
    CScopedLock pendingLock(&m_pendingLock);
    if (m_pending.empty())
        return;
    CScopedLock linesLock(&m_linesLock);
    const int32_t pending = static_cast<int32_t>(m_pending.size());
    const int32_t lines = m_lines.GetCount();
    if (pending >= m_maxLines)
        m_lines.RemoveAll();
    else if (lines + pending > m_maxLines)
        m_lines.RemoveRange(0, lines + pending - m_maxLines);
    for (CPendingLine& line : m_pending) {
        m_lines.AddItem(*line.m_text, static_cast<long long>(line.m_colour));
        delete line.m_text;
    }
    m_pending.clear();
    m_topLine = -1;
    m_scrollRequest = 0;
}

int32_t CTextConsole::GetLineCount() {
    CScopedLock lock(&m_linesLock);
    return m_lines.GetCount();
}

bool CTextConsole::GetLine(int32_t index, CString& text, ARGB& colour) {
    CScopedLock lock(&m_linesLock);
    CValueList<long long>::CItem* item = m_lines.GetItemAt(index);
    if (!item)
        return false;
    text.AssignString(*item->m_name);
    colour = ColourOf(item->m_value);
    return true;
}

bool CTextConsole::FindLastMessage(const char* tag, CNarrowString& message) {
    const std::string wanted(tag);
    // Newest first, until the tagged line.
    std::vector<std::string> newest;
    auto reached = [&](const CString& line) {
        CNarrowString narrow;
        narrow.AssignString(line);
        newest.emplace_back(narrow.GetNarrow());
        return newest.back().compare(0, wanted.size(), wanted) == 0;
    };
    bool found = false;
    {
        CScopedLock pendingLock(&m_pendingLock);
        for (auto it = m_pending.rbegin(); it != m_pending.rend() && !found; ++it)
            found = reached(*it->m_text);
        CScopedLock linesLock(&m_linesLock);
        for (int32_t i = m_lines.GetCount() - 1; i >= 0 && !found; --i) {
            if (const CString* line = m_lines.GetAt(i))
                found = reached(*line);
        }
    }
    if (!found)
        return false;
    std::string text = newest.back().substr(wanted.size());
    for (auto it = newest.rbegin() + 1; it != newest.rend() && it->compare(0, 1, "[") != 0; ++it) {
        const size_t start = it->find_first_not_of(' ');
        if (start == std::string::npos)
            continue;
        if (!text.empty() && text.back() != ' ')
            text += ' ';
        text += it->substr(start);
    }
    while (!text.empty() && text.back() == ' ')
        text.pop_back();
    message.AssignNarrow(text.c_str());
    return true;
}

int32_t CTextConsole::GetPendingLineCount() {
    CScopedLock lock(&m_pendingLock);
    return static_cast<int32_t>(m_pending.size());
}

// ---- keys ----

bool CTextConsole::KeyEvent(uint8_t keyCode, bool down, bool hotKeysOnly) {
    CScopedLock lock(&m_keyLock);
    const bool wasDown = m_keys[keyCode];
    m_keys[keyCode] = down;
    if (!wasDown && !down)
        return true;
    return OnKey(keyCode, down, wasDown, hotKeysOnly);
}

void CTextConsole::ReleaseAllKeys(bool doIt) {
    if (!doIt)
        return;
    CScopedLock lock(&m_keyLock);
    std::fill(std::begin(m_keys), std::end(m_keys), false);
}

int32_t CTextConsole::SelectedLength() const {
    const int32_t length = m_commandLine.GetLength();
    const int32_t anchor = m_cursor + m_selection;
    const int32_t start = std::max(0, std::min(std::min(m_cursor, anchor), length));
    const int32_t end = std::max(0, std::min(std::max(m_cursor, anchor), length));
    return end - start;
}

bool CTextConsole::EraseSelection() {
    if (m_selection == 0)
        return false;
    const int32_t length = m_commandLine.GetLength();
    const int32_t anchor = m_cursor + m_selection;
    const int32_t start = std::max(0, std::min(std::min(m_cursor, anchor), length));
    const int32_t end = std::max(0, std::min(std::max(m_cursor, anchor), length));
    m_commandLine.Erase(start, end - start);
    m_cursor = start;
    m_selection = 0;
    return true;
}

bool CTextConsole::DropSelection(bool shift) {
    if (m_selection == 0 || shift)
        return false;
    m_selection = 0;
    return true;
}

void CTextConsole::EnterCommand() {
    if (m_commandCallback) {
        m_commandCallback(m_commandContext, m_commandLine);
    } else {
        CNarrowString text;
        text.Format("Unknown command: %s", m_commandLine.GetNarrow());
        AppendLine(text, true);
    }
    // The line stays, wholly selected, so that the next character replaces it.
    m_cursor = m_commandLine.GetLength();
    m_selection = -m_cursor;
}

bool CTextConsole::OnKey(uint8_t keyCode, bool down, bool, bool hotKeysOnly) {
    if (hotKeysOnly)
        return false;
    if (!down)
        return true;
    const bool shift = m_keys[kKeyCodeLeftShift] || m_keys[kKeyCodeRightShift];
    const bool ctrl = m_keys[kKeyCodeLeftCtrl] || m_keys[kKeyCodeRightCtrl];
    const int32_t length = m_commandLine.GetLength();
    if (length < kMaxCommandLineLength)
        m_lineFullTold = false;
    bool changed = true;
    switch (keyCode) {
    case kKeyBackspace:
        if (!EraseSelection()) {
            if (m_cursor > 0) {
                m_commandLine.Erase(m_cursor - 1, 1);
                --m_cursor;
            } else {
                changed = false;
            }
        }
        break;
    case kKeyDelete:
        if (!EraseSelection()) {
            if (m_cursor < length)
                m_commandLine.Erase(m_cursor, 1);
            else
                changed = false;
        }
        break;
    case kKeyEnter:
    case kKeyPadEnter:
        EnterCommand();
        break;
    case kKeyEscape:
        m_commandLine.Clear();
        m_cursor = 0;
        m_selection = 0;
        break;
    case kKeyLeft:
        if (m_cursor > 0) {
            --m_cursor;
            m_selection = shift ? m_selection + 1 : 0;
        } else {
            changed = DropSelection(shift);
        }
        break;
    case kKeyRight:
        if (m_cursor < length) {
            ++m_cursor;
            m_selection = shift ? m_selection - 1 : 0;
        } else {
            changed = DropSelection(shift);
        }
        break;
    case kKeyHome:
        if (m_cursor > 0) {
            m_selection = shift ? m_selection + m_cursor : 0;
            m_cursor = 0;
        } else {
            changed = DropSelection(shift);
        }
        break;
    case kKeyEnd:
    case kKeyPadEnd:
        if (m_cursor < length) {
            m_selection = shift ? m_selection + m_cursor - length : 0;
            m_cursor = length;
        } else {
            changed = DropSelection(shift);
        }
        break;
    case kKeyUp:
        --m_scrollRequest;
        break;
    case kKeyDown:
        ++m_scrollRequest;
        break;
    case kKeyPageUp:
        m_scrollRequest -= ctrl ? m_maxLines : m_shownLines;
        break;
    case kKeyPageDown:
        m_scrollRequest += ctrl ? m_maxLines + m_shownLines : m_shownLines;
        break;
    default: {
        char c;
        if (!m_commandLineShown || !m_editable || !KeyCodeToChar(keyCode, c)) {
            changed = false;
            break;
        }
        if (length - SelectedLength() >= kMaxCommandLineLength) {
            // Typing on at a full line would only be refused at Enter. The
            // refusal takes the centred banner away, as a command's output does.
            if (!m_lineFullTold) {
                if (m_centred) {
                    Clear();
                    m_centred = false;
                }
                AppendLine(CNarrowString("Error: Command line too long"), true);
            }
            m_lineFullTold = true;
            changed = false;
            break;
        }
        EraseSelection();
        m_commandLine.InsertChar(c, m_cursor);
        ++m_cursor;
        m_selection = 0;
        break;
    }
    }
    if (changed)
        SignalChange();
    return true;
}

// ---- drawing ----

int32_t CTextConsole::DrawGlyph(CSurface* surface, int32_t x, int32_t y, uint8_t c, const CColourPair& pair) {
    m_background = pair.m_background;
    m_foreground = pair.m_foreground;
    const bool blackBackground = IsBlack(m_background);
    if (!surface || (blackBackground && c == ' '))
        return kCellHeight;
    const int32_t width = surface->GetWidth();
    const int32_t height = surface->GetHeight();
    const bool wholeRow = x >= 0 && x <= width - kCellWidth;
    const uint8_t* glyph = GetConsoleGlyph(c);
    for (int32_t i = 0; i < kCellHeight; ++i) {
        const int32_t py = y + i;
        if (py < 0)
            continue;
        if (py >= height)
            break;
        const uint8_t bits = glyph[i];
        if (blackBackground && bits == 0)
            continue;
        ARGB* row = surface->GetRow(py);
        if (!row)
            continue;
        const ARGB* const* colours = m_glyphLookup[bits];
        if (wholeRow) {
            ARGB* out = row + x;
            for (int bit = 0; bit < kCellWidth; ++bit)
                out[bit] = *colours[bit];
        } else {
            for (int bit = 0; bit < kCellWidth; ++bit) {
                const int32_t px = x + bit;
                if (px >= 0 && px < width)
                    row[px] = *colours[bit];
            }
        }
    }
    return kCellHeight;
}

void CTextConsole::DrawText(CSurface* surface, int32_t column, int32_t row, uint8_t c, const CColourPair& pair) {
    DrawGlyph(surface, column * kCellWidth + kMargin, row * kCellHeight + kMargin, c, pair);
}

void CTextConsole::DrawTextRun(CSurface* surface, int32_t x, int32_t y, const char* chars, int32_t length1,
                               int32_t length2, const CColourPair& pair) {
    m_background = pair.m_background;
    m_foreground = pair.m_foreground;
    if (!chars)
        return;
    const int32_t count = std::min(length1, length2);
    for (int32_t i = 0; i < count; ++i)
        DrawGlyph(surface, x + i * kCellWidth, y, static_cast<uint8_t>(chars[i]), pair);
}

void CTextConsole::FillRowRun(CSurface* surface, int32_t x0, int32_t x1, int32_t y, ARGB colour) {
    if (!surface)
        return;
    ARGB* row = surface->GetRow(y);
    if (!row)
        return;
    if (x0 > x1)
        std::swap(x0, x1);
    x0 = std::max(x0, 0);
    x1 = std::min(x1, surface->GetWidth() - 1);
    for (int32_t x = x0; x <= x1; ++x)
        row[x] = colour;
}

void CTextConsole::FillRect(CSurface* surface, int32_t x0, int32_t y0, int32_t x1, int32_t y1, ARGB colour) {
    if (!surface)
        return;
    if (y0 > y1)
        std::swap(y0, y1);
    y0 = std::max(y0, 0);
    y1 = std::min(y1, surface->GetHeight() - 1);
    for (int32_t y = y0; y <= y1; ++y)
        FillRowRun(surface, x0, x1, y, colour);
}

void CTextConsole::DrawScrollBar(CSurface* surface, int32_t barX, int32_t top, int32_t lineCount) {
    // The thumb spans the shown lines' share of the track, rounded to pixels.
    const float track = static_cast<float>(m_shownLines * kCellHeight - 1);
    const float count = static_cast<float>(lineCount);
    const int32_t y0 = static_cast<int32_t>(std::floor(static_cast<float>(top) / count * track + 0.5f)) + kMargin;
    const int32_t y1 =
        static_cast<int32_t>(std::floor(static_cast<float>(m_shownLines + top) / count * track + 0.5f)) + kMargin;
    for (int32_t y = y0; y <= y1; ++y)
        FillRowRun(surface, barX, barX + kCellWidth, y, kAccent);
}

void CTextConsole::DrawCommandLine(CSurface* surface) {
    const int32_t width = surface->GetWidth();
    const int32_t height = surface->GetHeight();
    const int32_t separatorY = m_rows * kCellHeight + 8;
    if (separatorY + 20 >= height)
        return;
    FillRowRun(surface, kMargin, width - kMargin, separatorY, kAccent);
    const int32_t y = separatorY - 10 + (height - separatorY) / 2;
    const CColourPair normal = {kBlack, kDefaultColour};
    DrawGlyph(surface, kMargin, y + kMargin, '>', normal);
    const int32_t textX = kMargin + kCellWidth;
    const int32_t visible = std::max(0, (width - 2 * kMargin) / kCellWidth - 1);
    const int32_t length = m_commandLine.GetLength();
    const char* text = m_commandLine.GetNarrow();
    DrawTextRun(surface, textX, y + kMargin, text, length, visible, normal);
    FillRowRun(surface, m_cursor * kCellWidth + textX, m_cursor * kCellWidth + textX + 7, y + 19, kAccent);
    FillRowRun(surface, m_cursor * kCellWidth + textX, m_cursor * kCellWidth + textX + 7, y + 20, kAccent);
    if (m_selection != 0) {
        const int32_t anchor = m_cursor + m_selection;
        const int32_t start = std::max(0, std::min(m_cursor, anchor));
        const int32_t end = std::min(std::min(std::max(m_cursor, anchor), length), visible);
        const CColourPair inverse = {kDefaultColour, kBlack};
        if (start < end)
            DrawTextRun(surface, start * kCellWidth + textX, y + kMargin, text + start, end - start, end - start,
                        inverse);
    }
}

bool CTextConsole::Redraw(CSurface* surface) {
    if (!surface || surface->GetWidth() < 1 || surface->GetHeight() < 1)
        return false;
    m_changed = false;
    FlushPendingLines();
    CScopedLock lock(&m_linesLock);
    const ARGB black = kBlack;
    surface->Fill(black, -1);

    const int32_t width = surface->GetWidth();
    const int32_t height = surface->GetHeight();
    const int32_t textHeight = m_commandLineShown ? height - kCommandLineHeight : height;
    // A surface smaller than the layout shows no rows rather than a negative count.
    m_rows = std::max(0, (textHeight - 2 * kMargin) / kCellHeight);
    m_columns = std::max(0, (width - 2 * kMargin) / kCellWidth);
    m_shownLines = 0;

    const int32_t lineCount = m_lines.GetCount();
    if (lineCount > 0 && m_rows > 0) {
        m_shownLines = m_rows;
        const bool scrollBar = lineCount > m_rows;
        const int32_t barX = width - kScrollBarWidth;
        if (scrollBar)
            m_columns = std::max(0, (width - 17) / kCellWidth);
        int32_t top = m_topLine < 0 ? lineCount - m_rows : m_topLine;
        top += m_scrollRequest;
        m_scrollRequest = 0;
        if (top + m_rows > lineCount)
            top = lineCount - m_rows;
        top = std::max(top, 0);
        m_topLine = top;
        int32_t shift = 0;
        if (lineCount < m_rows) {
            m_shownLines = lineCount;
            if (m_centred)
                shift = (m_rows - lineCount) / 2;
        }
        const CColourPair barPair = {kBlack, kGrey};
        for (int32_t r = 0; r < m_shownLines; ++r) {
            CValueList<long long>::CItem* line = m_lines.GetItemAt(top + r);
            if (!line || !line->m_name)
                continue;
            const int32_t y = (r + shift) * kCellHeight + kMargin;
            const int32_t length = NarrowLength(*line->m_name);
            int32_t x = kMargin;
            if (m_centred && length < m_columns)
                x = (m_columns - length) / 2 * kCellWidth + kMargin;
            const CColourPair pair = {kBlack, ColourOf(line->m_value)};
            DrawTextRun(surface, x, y, line->m_name->GetNarrow(), length, m_columns, pair);
            if (scrollBar)
                DrawGlyph(surface, barX, y, kScrollBarChar, barPair);
        }
        if (scrollBar)
            DrawScrollBar(surface, barX, top, lineCount);
    }

    if (m_commandLineShown)
        DrawCommandLine(surface);

    if (m_rows > 0 && m_columns > 0) {
        static const CColourPair kPairs[kPairCount] = {
            {kBlack, kDefaultColour}, {kBlack, kGrey}, {kDefaultColour, kBlack}, {kGrey, kBlack}};
        DrawOverlay(surface, m_rows, m_columns, kPairs);
    }
    return true;
}

void CTextConsole::DrawOverlay(CSurface*, int32_t, int32_t, const CColourPair*) {}

} // namespace common
