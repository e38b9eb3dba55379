#pragma once
// The key-state service as devices query it. Keys are the program's key codes
// (common/KeyCodes.h); 255 means no key.
#include <cstdint>

namespace emu {

class CKeysInterface {
public:
    CKeysInterface();
    virtual ~CKeysInterface();

    CKeysInterface(const CKeysInterface&) = delete;
    CKeysInterface& operator=(const CKeysInterface&) = delete;

    // Records a press or release and tells the listeners when the key's state changed.
    virtual void SetKeyState(uint8_t key, bool pressed) = 0;
    virtual bool IsKeyDown(uint8_t key) const = 0;
    virtual bool IsEitherKeyDown(uint8_t key1, uint8_t key2) const = 0;
    virtual bool IsAnyOfThreeKeysDown(uint8_t key1, uint8_t key2, uint8_t key3) const = 0;
    virtual bool IsAnyKeyDown() const = 0;
};

} // namespace emu
