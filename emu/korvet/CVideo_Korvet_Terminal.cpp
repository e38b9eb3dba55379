// The Korvet video's text terminal: 64 x 16 cells of the text memory, a
// cursor shown as an inverted cell, wrap-around and scrolling.
//
//   Code     Action                       ESC then   Action
//   01 r c   cursor to row r & 15,        '2'        64 columns
//            column (c + 0x20) & 63       '3'        32 columns of double width
//   08       back space                   '6'        inverted writing on
//   09       eight spaces                 '7'        inverted writing off
//   0A       line feed (column 0)         ':'        cursor on
//   0D       carriage return              ';'        cursor off
//   15       erase to end of line         'E'        clear the screen to 0
//   1B       escape
//   1F       clear the screen to 0
// Any other control code is swallowed once; the same or another one right
// after it is shown as a character.
#include "emu/korvet/CVideo_Korvet.h"

namespace emu {

namespace {

// Low byte of the terminal state while a sequence is under way.
constexpr uint32_t kStateIdle = 0x20;
constexpr uint32_t kStateAddressing = 0x01;
constexpr uint32_t kStateEscape = 0x1B;

constexpr uint8_t kAddress = 0x01;
constexpr uint8_t kBackSpace = 0x08;
constexpr uint8_t kTab = 0x09;
constexpr uint8_t kLineFeed = 0x0A;
constexpr uint8_t kCarriageReturn = 0x0D;
constexpr uint8_t kEraseLine = 0x15;
constexpr uint8_t kEscape = 0x1B;
constexpr uint8_t kClearScreen = 0x1F;
constexpr uint8_t kSpace = 0x20;
constexpr int32_t kTabWidth = 8;

// A scrolled-in row holds spaces, a cleared screen zeroes.
constexpr uint16_t kBlankCell = 0x0020;

} // namespace

void CVideo_Korvet::ClearScreenCells() {
    for (uint16_t& cell : m_text)
        cell = 0;
}

void CVideo_Korvet::AdvanceCursor(bool show) {
    if (m_cursorColumn > kTextColumns - 1) {
        m_cursorRow += m_cursorColumn >> 6;
        m_cursorColumn &= kTextColumns - 1;
    }
    if (m_cursorRow > kTextRows - 1) {
        const int32_t k = m_cursorRow - (kTextRows - 1);
        m_cursorRow = kTextRows - 1;
        if (k < kTextRows) {
            const int32_t kept = (kTextRows - k) * kTextColumns;
            for (int32_t i = 0; i < kept; ++i)
                m_text[i] = m_text[i + k * kTextColumns];
            for (int32_t i = kept; i < kTextCells; ++i)
                m_text[i] = kBlankCell;
        } else {
            for (uint16_t& cell : m_text)
                cell = kBlankCell;
        }
        InvalidateLines();
    }
    if (show == m_cursorShown)
        return;
    uint16_t& cell = m_text[m_cursorRow * kTextColumns + m_cursorColumn];
    cell = static_cast<uint16_t>(show ? cell | kInversionBit : cell & ~kInversionBit);
    InvalidateLines();
    m_cursorShown = show;
}

void CVideo_Korvet::PutVisible(uint8_t code) {
    AdvanceCursor(false);
    m_text[m_cursorRow * kTextColumns + m_cursorColumn] = static_cast<uint16_t>(code | m_inversionBit);
    ++m_cursorColumn;
    InvalidateLines();
    AdvanceCursor(m_cursorEnabled);
    m_terminalState = static_cast<uint32_t>(static_cast<int32_t>(static_cast<int8_t>(code)));
}

void CVideo_Korvet::PutChar(int8_t character) {
    const uint8_t c = static_cast<uint8_t>(character);
    const uint32_t state = m_terminalState & 0xFF;

    if (state == kStateEscape) {
        // These register changes are the terminal's own: no trace line, no redraw.
        switch (c) {
        case '2':
            m_regs.VIREG &= ~kViregWideText;
            break;
        case '3':
            m_regs.VIREG |= kViregWideText;
            break;
        case '6':
            m_inversionBit = kInversionBit;
            m_readInversion = false;
            break;
        case '7':
            m_inversionBit = 0;
            m_readInversion = false;
            break;
        case ':':
            if (!m_cursorEnabled) {
                m_cursorEnabled = true;
                AdvanceCursor(true);
            }
            break;
        case ';':
            if (m_cursorEnabled) {
                m_cursorEnabled = false;
                AdvanceCursor(false);
            }
            break;
        case 'E':
            AdvanceCursor(false);
            ClearScreenCells();
            m_cursorRow = 0;
            m_cursorColumn = 0;
            AdvanceCursor(m_cursorEnabled);
            InvalidateLines();
            break;
        default:
            break;
        }
        m_terminalState = kStateIdle;
        return;
    }

    if (state == kStateAddressing) {
        AdvanceCursor(false);
        if (m_addressingStep == 0) {
            m_cursorRow = c & 0x0F;
            m_addressingStep = 1;
        } else {
            m_terminalState = kStateIdle;
            m_cursorColumn = (c + 0x20) & 0x3F;
            AdvanceCursor(m_cursorEnabled);
        }
        return;
    }

    if (c >= kSpace) {
        PutVisible(c);
        return;
    }

    switch (c) {
    case kAddress:
        m_addressingStep = 0;
        m_terminalState = kStateAddressing;
        return;
    case kEscape:
        m_addressingStep = 0;
        m_terminalState = kStateEscape;
        return;
    case kBackSpace:
        AdvanceCursor(false);
        if (--m_cursorColumn < 0) {
            if (m_cursorRow == 0) {
                m_cursorColumn = 0;
            } else {
                --m_cursorRow;
                m_cursorColumn = kTextColumns - 1;
            }
        }
        AdvanceCursor(m_cursorEnabled);
        break;
    case kTab:
        for (int32_t i = 0; i < kTabWidth; ++i)
            PutVisible(kSpace);
        break;
    case kLineFeed:
        AdvanceCursor(false);
        ++m_cursorRow;
        m_cursorColumn = 0;
        AdvanceCursor(m_cursorEnabled);
        break;
    case kCarriageReturn:
        AdvanceCursor(false);
        m_cursorColumn = 0;
        AdvanceCursor(m_cursorEnabled);
        break;
    case kEraseLine:
        AdvanceCursor(false);
        if (m_cursorColumn <= kTextColumns - 1)
            for (int32_t column = m_cursorColumn; column < kTextColumns; ++column)
                m_text[m_cursorRow * kTextColumns + column] = 0;
        // The cursor goes to the start of the next row, scrolling at the bottom.
        m_cursorColumn = kTextColumns;
        InvalidateLines();
        AdvanceCursor(m_cursorEnabled);
        break;
    case kClearScreen:
        AdvanceCursor(false);
        ClearScreenCells();
        m_cursorRow = 0;
        m_cursorColumn = 0;
        InvalidateLines();
        AdvanceCursor(m_cursorEnabled);
        break;
    default:
        // Swallowed once; right after another swallowed code it is shown.
        if (state > kClearScreen)
            m_terminalState = c;
        else
            PutVisible(c);
        return;
    }
    m_terminalState = kStateIdle;
}

} // namespace emu
