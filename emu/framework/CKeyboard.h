#pragma once
// Device base of the machines' keyboards. It listens to the key-state service
// and hands every key change to OnKeyEvent, which a machine's keyboard
// overrides to drive its emulated keys.
//
// Numeric keypad as mouse: a keyboard that offers it (SetNumpadMouseAvailable
// before the machine starts) lets the user choose it in the Input menu
// ("NumpadMode" 1). The keypad then sends mouse events through the mouse
// service instead of key presses:
//
//   7 8 9     steps of 10:  (-10,-10) ( 0,-10) (+10,-10)
//   4 5 6                   (-10,  0)  left    (+10,  0)
//   1 2 3                   (-10,+10) ( 0,+10) (+10,+10)
//   Enter = right button
//
// A held movement key moves once at the press, again on the fifth tick of the
// 50 Hz bus event "NumpadMouse" and then on every tick, until it is released
// or another movement key takes over. Releases of keypad keys still reach
// OnKeyEvent, so a key pressed before the mode changed is never left down.
//
// State (after the device base's data): F0 "_KEYBD", "VER" u8 0, FF "_KEYBD";
// a derived keyboard appends its own fields. The mode and the repetition are
// not saved.
//
// Emulation thread only; the mode is also set by the Input menu and the settings.
#include <cstdint>

#include "emu/framework/CDevice.h"
#include "emu/framework/CMouseEvent.h"

namespace emu {

class CKeyboard : public CDevice {
public:
    enum : int32_t { kNumpadKeys = 0, kNumpadMouse = 1 };

    // Program key codes of the keypad.
    static constexpr uint32_t kKeyPad1 = 97;
    static constexpr uint32_t kKeyPad5 = 101;
    static constexpr uint32_t kKeyPad9 = 105;
    static constexpr uint32_t kKeyPadEnter = 108;
    static constexpr uint32_t kNoKey = 0xFF;

    static constexpr int32_t kMenuInput = 5;
    static constexpr int32_t kTextNumpadUsage = 96;
    static constexpr int32_t kTextDefault = 97;
    static constexpr int32_t kTextAsMouse = 98;

    static constexpr int32_t kRepeatFrequency = 50;
    static constexpr int32_t kRepeatDelay = 5; // ticks before a held key repeats
    static constexpr int32_t kStep = 10;
    static constexpr const char* kRepeatEventName = "NumpadMouse";

    ~CKeyboard() override;

    // A key change for the emulated keyboard; the base ignores it.
    virtual void OnKeyEvent(uint32_t key, uint32_t pressed);

    // The key-state listener; context is the keyboard.
    static void OnHostKey(void* context, uint32_t key, uint32_t pressed);
    // The repeat event; user is the keyboard. Always true (the event stays).
    static bool OnNumpadRepeat(CObject* user, uint64_t* fireCount, uint32_t* data);

    // False and no change while the device is started.
    bool SetNumpadMouseAvailable(bool available);
    bool IsNumpadMouseAvailable() const { return m_numpadMouseAvailable; }
    int32_t GetNumpadMode() const { return m_numpadMode; }
    void SetNumpadMode(int32_t mode) { m_numpadMode = mode; }

    // Clears the mouse record and the repetition, listens to the keys and,
    // when the keypad mouse is offered, adds the repeat event.
    bool Start(int32_t* value) override;
    // A mode outside 0..1, or 1 without the feature, goes back to 0 (false).
    bool ValidateProperties(bool enabledOnly) override;
    // "NumpadMode" (not with enabledOnly), then the children.
    bool CollectProperties(common::CSettingsRegistry* registry, bool enabledOnly) override;
    // Input menu: "Numpad Usage" with "Default" and "As Mouse", when offered.
    void BuildMenu(COptionTree* menu, int32_t kind) override;
    bool SaveData(common::CStreamHolder& holder) override;
    bool LoadData(common::CStreamHolder& holder, common::CNarrowString* errorText) override;

protected:
    // The derived keyboard names the device.
    CKeyboard();

private:
    void HandleHostKey(uint32_t key, uint32_t pressed);
    void HandleRepeat();
    // Sends the record moved by the key's step, then clears the step again.
    void SendStep(uint32_t key);
    void SendRecord();

    int32_t m_repeatCountdown; // ticks of the repeat event
    int32_t m_numpadMode;      // kNumpadKeys or kNumpadMouse
    bool m_numpadMouseAvailable;
    CMouseEvent m_mouseEvent;
    uint32_t m_lastMovementKey; // the key that repeats; kNoKey: none
};

} // namespace emu
