#pragma once
// The machine's key-state service "_KEYB": which host keys are held down, and
// a list of listeners told about every change (never about repeats). Key
// events arrive from the machine on the emulation thread; no lock is taken.
//
// State data (record format of CStreamHolder.h), inside the object's chunk:
//   F0 "_KEYS", "VER" u8 0, "L0".."L7" u32 (bit n of "Lk": key 32k+n is
//   down), FF "_KEYS". Loading calls no listener.
#include <cstdint>
#include <vector>

#include "emu/framework/CKeysInterface.h"
#include "emu/framework/CObject.h"

namespace common {
class CString;
}

namespace emu {

class CKeys : public CKeysInterface, public CObject {
public:
    // Told (context, key, pressed) after each change; the result is unused.
    // A listener must not add or remove listeners while it is called.
    typedef void (*KeyListener)(void* context, uint32_t key, uint32_t pressed);

    static constexpr uint8_t kNoKey = 255;
    static constexpr int kKeyCount = 256;

    CKeys();
    ~CKeys() override;

    // Key 255 is ignored; a press of a key that is down or a release of one
    // that is up changes nothing and calls nobody.
    void SetKeyState(uint8_t key, bool pressed) override;
    bool IsKeyDown(uint8_t key) const override;
    bool IsEitherKeyDown(uint8_t key1, uint8_t key2) const override;
    bool IsAnyOfThreeKeysDown(uint8_t key1, uint8_t key2, uint8_t key3) const override;
    bool IsAnyKeyDown() const override;

    // Power-on: no key down, no listener (devices register in their own starts).
    bool Start(int32_t* value) override;
    // Drops the listeners; the key table stays.
    void Stop() override;
    bool SaveData(common::CStreamHolder& holder) override;
    bool LoadData(common::CStreamHolder& holder, common::CNarrowString* errorText) override;

    // Appends the pair unless the same pair is listed; always true.
    bool AddListener(void* context, KeyListener listener);
    // Removes the pair when it is listed.
    void RemoveListener(void* context, KeyListener listener);
    // Releases every key that is down, lowest code first, each through SetKeyState.
    void ReleaseAllKeys();
    // The state field name of mask `index` ("L0".."L7").
    static void FormatKeyTag(common::CString& out, int32_t index);

    int32_t GetPressedCount() const { return m_pressedCount; }
    int GetListenerCount() const { return static_cast<int>(m_listeners.size()); }

private:
    struct CListener {
        void* context;
        KeyListener callback;
    };

    uint8_t m_keys[kKeyCount]; // non-zero while the key is down
    int32_t m_pressedCount;
    std::vector<CListener> m_listeners;
};

} // namespace emu
