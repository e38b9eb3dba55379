#pragma once
// Key codes: one byte naming a host key. Close to the Windows virtual-key codes,
// but the left and right modifiers differ, the numeric pad and the navigation
// block have codes of their own, and the punctuation keys sit at 230..241.
// The window procedure translates each key message once; everything after it
// works on key codes only. The virtual-key numbers are plain numbers here, so
// the table is the same on every build.
#include <cstdint>

namespace common {

constexpr uint8_t kKeyCodeNone = 255;
constexpr uint8_t kKeyCodeLeftShift = 224;
constexpr uint8_t kKeyCodeRightShift = 225;
constexpr uint8_t kKeyCodeLeftCtrl = 226;
constexpr uint8_t kKeyCodeRightCtrl = 227;
constexpr uint8_t kKeyCodeLeftAlt = 228;
constexpr uint8_t kKeyCodeRightAlt = 229;

// The key code of a key message: keyData holds the virtual key in bits 0-7 and
// the extended-key flag in bit 16; other bits are ignored. 255 for a key
// without a code. A plain modifier gives the left code, an extended one the right.
uint8_t TranslateVirtualKey(uint32_t keyData);

// For the arrow keys (37 to 40) stores the same code and answers true.
bool GetArrowKeyCode(uint8_t keyCode, uint8_t& arrowCode);

// The printable character a key types into a command line; false when it has none.
bool KeyCodeToChar(int keyCode, char& character);

} // namespace common
