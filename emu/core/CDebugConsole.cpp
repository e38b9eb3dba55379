#include "emu/core/CDebugConsole.h"

#include <algorithm>

#include "common/CImage.h"
#include "common/CScopedLock.h"
#include "common/CSurface.h"
#include "common/KeyCodes.h"

namespace emu {

namespace {

// A console cell: 8 x 16 pixels, the grid starting 3 pixels in.
constexpr int32_t kCellWidth = 8;
constexpr int32_t kCellHeight = 16;
constexpr int32_t kMargin = 3;

bool StartsWithTilde(const common::CString* line) {
    return line != nullptr && !line->IsEmpty() && line->GetCharAt(0) == '~';
}

} // namespace

CDebugConsole::CDebugConsole() = default;

CDebugConsole::~CDebugConsole() = default;

void CDebugConsole::SetPopupHook(DebugPopupHook hook, void* context) {
    m_popupHook = hook;
    m_popupContext = context;
}

void CDebugConsole::SetCentred(bool centred) {
    {
        common::CScopedLock lock(&m_linesLock);
        m_centred = centred;
    }
    SignalChange();
}

bool CDebugConsole::IsCtrlDown() const {
    return m_keys[common::kKeyCodeLeftCtrl] || m_keys[common::kKeyCodeRightCtrl];
}

bool CDebugConsole::IsShiftDown() const {
    return m_keys[common::kKeyCodeLeftShift] || m_keys[common::kKeyCodeRightShift];
}

bool CDebugConsole::IsAltDown() const {
    return m_keys[common::kKeyCodeLeftAlt] || m_keys[common::kKeyCodeRightAlt];
}

bool CDebugConsole::SendCommand(const char* command) {
    if (m_commandCallback == nullptr)
        return false;
    const common::CNarrowString text(command);
    m_commandCallback(m_commandContext, text);
    return true;
}

// ---- hot keys ----

bool CDebugConsole::OnKey(uint8_t keyCode, bool down, bool wasDown, bool hotKeysOnly) {
    const bool ctrl = IsCtrlDown();
    const bool alt = IsAltDown();
    if (hotKeysOnly) {
        // Ctrl+F12 breaks from the emulation screen too; the answer false lets
        // the main window see the key, which it then leaves alone.
        if (down && keyCode == kKeyF12 && ctrl && m_commandCallback != nullptr) {
            SendCommand("BREAK");
            return false;
        }
        // Plain F11 and F12 belong to the main window's state save and load:
        // taken here so that they never reach the emulated machine.
        if (down && (keyCode == kKeyF11 || keyCode == kKeyF12) && !ctrl && !alt)
            return true;
        return common::CTextConsole::OnKey(keyCode, down, wasDown, true);
    }

    switch (keyCode) {
    case kKeyF5:
        if (down) {
            if (ctrl) {
                // GO keeps the console shown: make sure it is drawn again.
                if (SendCommand("GO"))
                    SignalChange();
            } else {
                SendCommand("START");
            }
        }
        return true;
    case kKeyF7:
        if (down)
            SendCommand("STEP");
        return true;
    case kKeyF8:
        if (down)
            SendCommand(IsShiftDown() ? "STEPOVEROVER" : "STEPOVER");
        return true;
    case kKeyF11:
        if (down && !ctrl && !alt)
            return m_commandCallback == nullptr;
        return true;
    case kKeyF12:
        if (down) {
            if (ctrl) {
                SendCommand("BREAK");
                return true;
            }
            if (!alt)
                return m_commandCallback == nullptr;
        }
        return true;
    default:
        return common::CTextConsole::OnKey(keyCode, down, wasDown, false);
    }
}

// ---- popup ----

void CDebugConsole::DrawCell(common::CSurface* surface, int32_t column, int32_t row, uint8_t c) {
    const int32_t x = column * kCellWidth + kMargin;
    const int32_t y = row * kCellHeight + kMargin;
    // The font leaves blank glyph rows untouched on a black background, so the
    // cell is blanked first.
    FillRect(surface, x, y, x + kCellWidth - 1, y + kCellHeight - 1, kPopupBackground);
    const CColourPair pair = {kPopupBackground, kPopupForeground};
    DrawText(surface, column, row, c, pair);
}

int32_t CDebugConsole::DrawFramedPopup(common::CStringList& lines, const common::CNarrowString& title, int32_t first,
                                       int32_t last, common::CSurface* surface, int32_t top, int32_t available,
                                       int32_t columns) {
    // The title's text follows its '~' mark (or a doubled "~~").
    const int32_t titleLength = title.GetLength();
    int32_t t = titleLength - 1;
    int32_t titleStart = 1;
    if (t > 0 && title.GetCharAt(1) == '~') {
        t = titleLength - 2;
        titleStart = 2;
    }
    if (first > last)
        return 0;

    int32_t m = t;
    for (int32_t index = first; index <= last; ++index) {
        const common::CString* line = lines.GetAt(index);
        if (line != nullptr)
            m = std::max(m, static_cast<int32_t>(line->GetLength()));
    }
    if (m < 1)
        return 0;
    const int32_t n = last - first + 1;
    const int32_t w = std::min(m + 4, columns);
    const int32_t inner = w - 4;
    if (inner < 1)
        return 0;
    const int32_t h = std::min(n + 2, available);
    if (h - 2 < 1)
        return 0;

    const int32_t l = columns - w;
    const int32_t r = l + w - 1;
    const int32_t b = top + h - 1;

    DrawCell(surface, l, top, kBoxTopLeft);
    DrawCell(surface, r, top, kBoxTopRight);
    DrawCell(surface, l, b, kBoxBottomLeft);
    DrawCell(surface, r, b, kBoxBottomRight);

    int32_t lineFrom = l + 1;
    if (t >= 1) {
        int32_t column = l + 1;
        if (t <= inner)
            DrawCell(surface, column++, top, kBoxHorizontal);
        for (int32_t k = 0; k < t; ++k, ++column) {
            if (column < columns)
                DrawCell(surface, column, top, static_cast<uint8_t>(title.GetCharAt(titleStart + k)));
        }
        lineFrom = column;
    }
    for (int32_t column = lineFrom; column <= r - 1; ++column)
        DrawCell(surface, column, top, kBoxHorizontal);
    for (int32_t column = l + 1; column <= r - 1; ++column)
        DrawCell(surface, column, b, kBoxHorizontal);
    for (int32_t row = top + 1; row < b; ++row) {
        DrawCell(surface, l, row, kBoxVertical);
        DrawCell(surface, l + 1, row, ' ');
        DrawCell(surface, r - 1, row, ' ');
        DrawCell(surface, r, row, kBoxVertical);
    }

    const int32_t rows = GetRows();
    if (l >= 0 && r < columns && b >= 0 && b < rows)
        FillRowRun(surface, l * kCellWidth + kMargin, r * kCellWidth + 10, b * kCellHeight + 18, kPopupBackground);

    for (int32_t k = 0; k <= h - 3; ++k) {
        const common::CString* line = lines.GetAt(first + k);
        if (line == nullptr || line->IsEmpty())
            continue;
        const int32_t row = top + 1 + k;
        const int32_t shown = std::min(static_cast<int32_t>(line->GetLength()), inner);
        int32_t column = l + 2;
        for (int32_t c = 0; c < shown; ++c, ++column)
            DrawCell(surface, column, row, static_cast<uint8_t>(line->GetCharAt(c)));
        for (; column <= r - 2; ++column)
            DrawCell(surface, column, row, ' ');
    }
    return h;
}

void CDebugConsole::DrawOverlay(common::CSurface* surface, int32_t rows, int32_t columns, const CColourPair*) {
    m_popupLines.DeleteAll();
    common::CImage* image = nullptr;
    if (m_popupHook != nullptr)
        m_popupHook(m_popupContext, &m_popupLines, &image);
    const int32_t count = m_popupLines.GetCount();
    if (count == 0)
        return;

    int32_t available = rows;
    int32_t groupStart = 0;
    while (groupStart < count && available > 0) {
        int32_t groupEnd = groupStart + 1;
        while (groupEnd < count && !StartsWithTilde(m_popupLines.GetAt(groupEnd)))
            ++groupEnd;
        const int32_t last = groupEnd - 1;
        const int32_t top = rows - available;
        const common::CString* head = m_popupLines.GetAt(groupStart);
        int32_t height = 0;
        if (StartsWithTilde(head)) {
            common::CNarrowString title;
            title.AssignString(*head);
            height = DrawFramedPopup(m_popupLines, title, groupStart + 1, last, surface, top, available, columns);
        } else {
            height = DrawFramedPopup(m_popupLines, m_defaultTitle, groupStart, last, surface, top, available, columns);
        }
        available -= height;
        groupStart = groupEnd;
    }

    if (image == nullptr || surface == nullptr || image->GetWidth() == 0 || image->GetHeight() == 0)
        return;
    const int32_t width = std::min(image->GetWidth(), surface->GetWidth());
    const int32_t height = std::min(image->GetHeight(), surface->GetHeight());
    for (int32_t y = 0; y < height; ++y) {
        const common::ARGB* source = image->GetRowARGB(y);
        common::ARGB* target = surface->GetRow(y);
        if (source != nullptr && target != nullptr && width > 0)
            std::copy(source, source + width, target);
    }
}

} // namespace emu
