// The input queue: producers on the user-interface thread fill the buffer
// that bit 0 of the write index selects, under inputLock; at each frame end
// the run loop hands the other buffer to the machine (reading it without the
// lock, since no producer writes it until the next flip) and swaps them. A
// word posted during frame n therefore reaches the machine at the end of
// frame n + 1.
#include "common/CScopedLock.h"
#include "emu/core/CEmulator.h"
#include "emu/framework/CComputer.h"

namespace emu {

namespace {

constexpr int32_t kKeyF11 = 0x7A;
constexpr int32_t kKeyF12 = 0x7B;
constexpr int32_t kNoKey = 0xFF;
// A mouse event is refused this early so that its three words always fit.
constexpr int32_t kMouseRoomLimit = 508;

} // namespace

void CEmulator::PostInputWord(uint16_t word) {
    common::CScopedLock lock(&m_inputLock);
    CInputBuffer& buffer = m_inputBuffers[m_inputWriteIndex & 1];
    const int32_t count = buffer.m_count;
    if (count < 0 || count >= kInputBufferWords)
        return;
    // The last slot always releases everything: a full buffer leaves no key stuck.
    buffer.m_words[count] = count == kInputBufferWords - 1 ? kInputOverflow : word;
    buffer.m_count = count + 1;
}

void CEmulator::ClearInputBuffers() {
    common::CScopedLock lock(&m_inputLock);
    for (CInputBuffer& buffer : m_inputBuffers) {
        for (uint16_t& word : buffer.m_words)
            word = 0;
        buffer.m_count = 0;
    }
}

bool CEmulator::PostKeyEvent(int32_t key, bool pressed) {
    common::CScopedLock lock(&m_coreLock);
    if (!m_threadAlive)
        return true;
    const uint8_t code = static_cast<uint8_t>(key & 0xFF);
    if (m_consoleShown)
        return m_console.KeyEvent(code, pressed, false);
    if (m_console.KeyEvent(code, pressed, true))
        return false;
    // F11 and F12 belong to the front end's state save and load.
    if (key == kKeyF11 || key == kKeyF12 || !m_active || m_inBreak || key == kNoKey || key < 0 || key > kNoKey)
        return true;
    PostInputWord(static_cast<uint16_t>((key << 8) | kInputKey | (pressed ? kInputKeyPressed : 0)));
    return true;
}

bool CEmulator::PostMouseEvent(uint16_t x, uint16_t y, int32_t action) {
    if (!m_threadAlive || m_pauseCount != 0 || m_consoleShown)
        return true;
    common::CScopedLock lock(&m_inputLock);
    CInputBuffer& buffer = m_inputBuffers[m_inputWriteIndex & 1];
    if (buffer.m_count > kMouseRoomLimit) {
        PostInputWord(kInputMouseReset);
        return true;
    }
    // The three words stand together: the lock is held across them.
    PostInputWord(static_cast<uint16_t>(((action & 0xFF) << 8) | kInputMouse));
    PostInputWord(x);
    PostInputWord(y);
    return true;
}

void CEmulator::PostInputReset(bool releaseKeys, bool resetMouse) {
    common::CScopedLock lock(&m_coreLock);
    if (!m_threadAlive)
        return;
    PostInputWord(static_cast<uint16_t>(kInputSpecial | (releaseKeys ? kInputReleaseKeys : 0) |
                                        (resetMouse ? kInputResetMouse : 0)));
    m_console.ReleaseAllKeys(releaseKeys);
}

void CEmulator::ResetInputQueue() {
    common::CScopedLock lock(&m_inputLock);
    for (CInputBuffer& buffer : m_inputBuffers) {
        buffer.m_words[0] = kInputOverflow;
        buffer.m_count = 1;
    }
}

void CEmulator::ProcessInputEvents(CInputBuffer* buffer, bool* keySeen) {
    if (buffer == nullptr || m_machine == nullptr)
        return;
    int32_t left = buffer->m_count;
    if (left > kInputBufferWords)
        left = kInputBufferWords;
    const uint16_t* word = buffer->m_words;
    while (left > 0) {
        const uint16_t value = *word;
        const uint32_t high = value >> 8;
        if ((value & kInputMouse) != 0) {
            if (left <= 2) {
                // x and y are missing: the event lands at the origin.
                m_mouseState.m_x16 = 0;
                m_mouseState.m_y16 = 0;
                m_mouseState.m_x = 0.0;
                m_mouseState.m_y = 0.0;
                left = 1;
            } else {
                const uint16_t x = word[1];
                const uint16_t y = word[2];
                word += 2;
                left -= 2;
                m_mouseState.m_x16 = static_cast<int16_t>(x);
                m_mouseState.m_y16 = static_cast<int16_t>(y);
                if (m_renderer == nullptr || !m_renderer->MapPoint(static_cast<int16_t>(x), static_cast<int16_t>(y),
                                                                   &m_mouseState.m_x, &m_mouseState.m_y)) {
                    m_mouseState.m_x = static_cast<int16_t>(x);
                    m_mouseState.m_y = static_cast<int16_t>(y);
                }
            }
            switch (high) {
            case kMouseFirstDown:
                m_mouseState.m_buttons |= CMouseEvent::kLeftButton;
                break;
            case kMouseFirstUp:
                m_mouseState.m_buttons &= ~CMouseEvent::kLeftButton;
                break;
            case kMouseSecondDown:
                m_mouseState.m_buttons |= CMouseEvent::kRightButton;
                break;
            case kMouseSecondUp:
                m_mouseState.m_buttons &= ~CMouseEvent::kRightButton;
                break;
            default:
                break;
            }
            if (high <= static_cast<uint32_t>(kMouseMove))
                m_machine->MouseEvent(&m_mouseState);
        } else if ((value & kInputKey) != 0) {
            if (keySeen != nullptr)
                *keySeen = true;
            m_machine->KeyEvent(static_cast<int32_t>(high), (value & kInputKeyPressed) != 0);
        } else if ((value & kInputSpecial) != 0) {
            if ((value & kInputReleaseKeys) != 0)
                m_machine->KeyEvent(-1, false);
            if ((value & kInputResetMouse) != 0) {
                m_mouseState = CMouseEvent();
                m_machine->MouseEvent(&m_mouseState);
            }
        }
        ++word;
        --left;
    }
    buffer->m_count = 0;
}

} // namespace emu
