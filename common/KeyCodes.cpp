#include "common/KeyCodes.h"

#include <array>

namespace common {

namespace {

// Indexed by virtual key + 256 for an extended key.
constexpr int kTableSize = 368;
constexpr int kExtended = 256;
constexpr uint32_t kExtendedFlag = 1u << 16;

constexpr std::array<uint8_t, kTableSize> BuildTable() {
    std::array<uint8_t, kTableSize> t{};
    for (int i = 0; i < kTableSize; ++i)
        t[i] = kKeyCodeNone;
    // Keys whose code is their virtual key: Backspace, Tab, Enter, Pause, Caps
    // Lock, Escape, Space, Print Screen, Num Lock, Scroll Lock.
    for (int vk : {8, 9, 13, 19, 20, 27, 32, 44, 144, 145})
        t[vk] = static_cast<uint8_t>(vk);
    for (int vk = 48; vk <= 57; ++vk) // digits
        t[vk] = static_cast<uint8_t>(vk);
    for (int vk = 65; vk <= 90; ++vk) // letters
        t[vk] = static_cast<uint8_t>(vk);
    for (int vk = 96; vk <= 111; ++vk) // numeric pad 0-9 and operators (108 has no key)
        if (vk != 108)
            t[vk] = static_cast<uint8_t>(vk);
    for (int vk = 112; vk <= 123; ++vk) // F1 to F12
        t[vk] = static_cast<uint8_t>(vk);

    t[12] = 101; // Clear: numeric-pad 5 without Num Lock
    t[16] = kKeyCodeLeftShift;
    t[17] = kKeyCodeLeftCtrl;
    t[18] = kKeyCodeLeftAlt;
    t[kExtended + 16] = kKeyCodeRightShift;
    t[kExtended + 17] = kKeyCodeRightCtrl;
    t[kExtended + 18] = kKeyCodeRightAlt;

    // Navigation keys of the numeric pad (not extended) give the pad digit's code:
    // Page Up, Page Down, End, Home, Left, Up, Right, Down.
    const uint8_t padDigits[8] = {105, 99, 97, 103, 100, 104, 102, 98};
    for (int i = 0; i < 8; ++i) {
        t[33 + i] = padDigits[i];
        t[kExtended + 33 + i] = static_cast<uint8_t>(33 + i); // the separate block keeps its code
    }
    t[45] = 96;  // pad Insert
    t[46] = 110; // pad Delete
    t[kExtended + 45] = 45;
    t[kExtended + 46] = 46;

    t[kExtended + 13] = 108; // pad Enter
    t[kExtended + 106] = 106;
    t[kExtended + 107] = 107;
    t[kExtended + 109] = 109;
    t[kExtended + 111] = 111;

    // Punctuation: ; = , - . / ` [ \ ] '
    const int punctuationKeys[11] = {186, 187, 188, 189, 190, 191, 192, 219, 220, 221, 222};
    const uint8_t punctuationCodes[11] = {234, 231, 235, 230, 236, 239, 241, 232, 238, 233, 240};
    for (int i = 0; i < 11; ++i)
        t[punctuationKeys[i]] = punctuationCodes[i];
    return t;
}

constexpr std::array<uint8_t, kTableSize> kTranslation = BuildTable();

// Characters of the keys other than digits and letters.
struct CKeyChar {
    int m_keyCode;
    char m_character;
};
constexpr CKeyChar kKeyChars[] = {
    {32, ' '},  {106, '*'}, {107, '+'}, {109, '-'}, {110, '.'}, {111, '/'},  {152, '_'}, {230, '-'}, {231, '+'},
    {232, '['}, {233, ']'}, {234, ':'}, {235, ','}, {236, '.'}, {238, '\\'}, {239, '/'}, {240, '"'},
};

} // namespace

uint8_t TranslateVirtualKey(uint32_t keyData) {
    const int index = static_cast<int>(keyData & 0xFF) + ((keyData & kExtendedFlag) ? kExtended : 0);
    if (index < 8 || index >= kTableSize)
        return kKeyCodeNone;
    return kTranslation[index];
}

bool GetArrowKeyCode(uint8_t keyCode, uint8_t& arrowCode) {
    if (keyCode < 37 || keyCode > 40)
        return false;
    arrowCode = keyCode;
    return true;
}

bool KeyCodeToChar(int keyCode, char& character) {
    if ((keyCode >= '0' && keyCode <= '9') || (keyCode >= 'A' && keyCode <= 'Z')) {
        character = static_cast<char>(keyCode);
        return true;
    }
    for (const CKeyChar& entry : kKeyChars) {
        if (entry.m_keyCode == keyCode) {
            character = entry.m_character;
            return true;
        }
    }
    return false;
}

} // namespace common
