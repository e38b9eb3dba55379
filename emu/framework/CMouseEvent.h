#pragma once
// The mouse event record that senders hand to the mouse service: the emulator
// core from the host pointer (positions mapped onto the emulated screen) and
// the keyboard base from the numeric keypad (steps of +-10 per event). Both
// coordinate forms are filled; the 16-bit ones hold the raw or step values.
#include <cstdint>

namespace emu {

struct CMouseEvent {
    static constexpr uint32_t kLeftButton = 0x01;
    static constexpr uint32_t kRightButton = 0x02;

    uint32_t m_buttons = 0; // the buttons held
    double m_x = 0.0;
    double m_y = 0.0;
    int16_t m_x16 = 0; // the core stores the host's unsigned x here
    int16_t m_y16 = 0;
};

} // namespace emu
