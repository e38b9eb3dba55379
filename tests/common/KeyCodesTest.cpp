#include <gtest/gtest.h>

#include <map>

#include "common/KeyCodes.h"

using common::GetArrowKeyCode;
using common::KeyCodeToChar;
using common::TranslateVirtualKey;

namespace {

constexpr uint32_t kExtended = 1u << 16;

// Every translation that is not 255, keyed by virtual key + 256 when extended.
std::map<int, int> ExpectedTable() {
    std::map<int, int> m;
    for (int vk : {8, 9, 13, 19, 20, 27, 32, 44, 144, 145})
        m[vk] = vk;
    for (int vk = 48; vk <= 57; ++vk)
        m[vk] = vk;
    for (int vk = 65; vk <= 90; ++vk)
        m[vk] = vk;
    for (int vk = 96; vk <= 111; ++vk)
        if (vk != 108)
            m[vk] = vk;
    for (int vk = 112; vk <= 123; ++vk)
        m[vk] = vk;
    const std::map<int, int> rest = {
        {12, 101},  {16, 224},  {17, 226},  {18, 228},  {272, 225}, {273, 227}, {274, 229}, {33, 105},  {34, 99},
        {35, 97},   {36, 103},  {37, 100},  {38, 104},  {39, 102},  {40, 98},   {45, 96},   {46, 110},  {289, 33},
        {290, 34},  {291, 35},  {292, 36},  {293, 37},  {294, 38},  {295, 39},  {296, 40},  {301, 45},  {302, 46},
        {269, 108}, {362, 106}, {363, 107}, {365, 109}, {367, 111}, {186, 234}, {187, 231}, {188, 235}, {189, 230},
        {190, 236}, {191, 239}, {192, 241}, {219, 232}, {220, 238}, {221, 233}, {222, 240},
    };
    m.insert(rest.begin(), rest.end());
    return m;
}

} // namespace

TEST(KeyCodes, TranslationTableMatchesEveryIndex) {
    const std::map<int, int> expected = ExpectedTable();
    for (int index = 0; index < 512; ++index) {
        const uint32_t keyData = static_cast<uint32_t>(index & 0xFF) | (index >= 256 ? kExtended : 0);
        const auto it = expected.find(index);
        const int want = it == expected.end() ? 255 : it->second;
        EXPECT_EQ(want, TranslateVirtualKey(keyData)) << "index " << index;
    }
}

TEST(KeyCodes, ExtendedFlagSelectsTheOtherKey) {
    struct Case {
        uint32_t keyData;
        int code;
    } cases[] = {
        {37, 100},
        {37 | kExtended, 37},
        {13, 13},
        {13 | kExtended, 108},
        {16, 224},
        {16 | kExtended, 225},
        {7, 255},
        {108, 255},
        {0, 255},
        // Bits other than 0-7 and 16 play no part.
        {0x01FE0000u | 65, 65},
        {0xFF00u | 37, 100},
        {0x80000000u | kExtended | 37, 37},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.code, TranslateVirtualKey(c.keyData)) << std::hex << c.keyData;
}

TEST(KeyCodes, ArrowKeysAreRecognised) {
    for (int code = 0; code < 256; ++code) {
        uint8_t out = 0;
        const bool arrow = code >= 37 && code <= 40;
        EXPECT_EQ(arrow, GetArrowKeyCode(static_cast<uint8_t>(code), out)) << code;
        EXPECT_EQ(arrow ? code : 0, out);
    }
}

TEST(KeyCodes, PrintableCharacters) {
    std::map<int, char> expected = {{32, ' '},  {106, '*'}, {107, '+'},  {109, '-'}, {110, '.'}, {111, '/'},
                                    {152, '_'}, {230, '-'}, {231, '+'},  {232, '['}, {233, ']'}, {234, ':'},
                                    {235, ','}, {236, '.'}, {238, '\\'}, {239, '/'}, {240, '"'}};
    for (int c = '0'; c <= '9'; ++c)
        expected[c] = static_cast<char>(c);
    for (int c = 'A'; c <= 'Z'; ++c)
        expected[c] = static_cast<char>(c);
    for (int code = -1; code <= 256; ++code) {
        char out = '?';
        const auto it = expected.find(code);
        if (it == expected.end()) {
            EXPECT_FALSE(KeyCodeToChar(code, out)) << code; // pad digits, 237 and 241 among them
            EXPECT_EQ('?', out);
        } else {
            EXPECT_TRUE(KeyCodeToChar(code, out)) << code;
            EXPECT_EQ(it->second, out) << code;
        }
    }
}
