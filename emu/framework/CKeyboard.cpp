#include "emu/framework/CKeyboard.h"

#include "common/CBoundValue.h"
#include "common/CNarrowString.h"
#include "common/CSettingsRegistry.h"
#include "common/CStreamHolder.h"
#include "emu/framework/CBus.h"
#include "emu/framework/CKeys.h"
#include "emu/framework/CMouse.h"
#include "emu/framework/COptionTree.h"

namespace emu {

namespace {

const char* const kChunkName = "_KEYBD";
constexpr uint8_t kVersion = 0;

// Steps of the keypad keys 1 to 9 (key - 97); the 5 is the left button.
constexpr int32_t kStepX[9] = {-CKeyboard::kStep, 0, CKeyboard::kStep, -CKeyboard::kStep, 0, CKeyboard::kStep,
                               -CKeyboard::kStep, 0, CKeyboard::kStep};
constexpr int32_t kStepY[9] = {CKeyboard::kStep,  CKeyboard::kStep,  CKeyboard::kStep, 0, 0, 0,
                               -CKeyboard::kStep, -CKeyboard::kStep, -CKeyboard::kStep};

bool IsMovementKey(uint32_t key) {
    return key >= CKeyboard::kKeyPad1 && key <= CKeyboard::kKeyPad9 && key != CKeyboard::kKeyPad5;
}

} // namespace

CKeyboard::CKeyboard()
    : m_repeatCountdown(0), m_numpadMode(kNumpadKeys), m_numpadMouseAvailable(false), m_lastMovementKey(kNoKey) {}

CKeyboard::~CKeyboard() = default;

void CKeyboard::OnKeyEvent(uint32_t /*key*/, uint32_t /*pressed*/) {}

void CKeyboard::OnHostKey(void* context, uint32_t key, uint32_t pressed) {
    static_cast<CKeyboard*>(static_cast<CDevice*>(context))->HandleHostKey(key, pressed);
}

void CKeyboard::HandleHostKey(uint32_t key, uint32_t pressed) {
    if (m_numpadMode == kNumpadKeys) {
        m_lastMovementKey = kNoKey;
        OnKeyEvent(key, pressed);
        return;
    }
    if (IsMovementKey(key)) {
        if (pressed == 0) {
            if (key == m_lastMovementKey)
                m_lastMovementKey = kNoKey;
            OnKeyEvent(key, 0);
            return;
        }
        if (key != m_lastMovementKey) {
            m_lastMovementKey = key;
            m_repeatCountdown = kRepeatDelay;
        }
        SendStep(key);
        return;
    }
    if (key == kKeyPad5 || key == kKeyPadEnter) {
        const uint32_t button = key == kKeyPad5 ? CMouseEvent::kLeftButton : CMouseEvent::kRightButton;
        if (pressed != 0)
            m_mouseEvent.m_buttons |= button;
        else
            m_mouseEvent.m_buttons &= ~button;
        SendRecord();
        // A release is passed on as well, in case the key went down before the
        // keypad became the mouse.
        if (pressed == 0)
            OnKeyEvent(key, 0);
        return;
    }
    OnKeyEvent(key, pressed);
}

bool CKeyboard::OnNumpadRepeat(CObject* user, uint64_t* /*fireCount*/, uint32_t* /*data*/) {
    static_cast<CKeyboard*>(user)->HandleRepeat();
    return true;
}

void CKeyboard::HandleRepeat() {
    if (m_numpadMode == kNumpadKeys || m_lastMovementKey == kNoKey)
        return;
    if (m_repeatCountdown > 0 && --m_repeatCountdown > 0)
        return;
    SendStep(m_lastMovementKey);
}

void CKeyboard::SendStep(uint32_t key) {
    if (!IsMovementKey(key))
        return;
    const int32_t dx = kStepX[key - kKeyPad1];
    const int32_t dy = kStepY[key - kKeyPad1];
    m_mouseEvent.m_x = dx;
    m_mouseEvent.m_y = dy;
    m_mouseEvent.m_x16 = static_cast<int16_t>(dx);
    m_mouseEvent.m_y16 = static_cast<int16_t>(dy);
    SendRecord();
    m_mouseEvent.m_x = 0.0;
    m_mouseEvent.m_y = 0.0;
    m_mouseEvent.m_x16 = 0;
    m_mouseEvent.m_y16 = 0;
}

void CKeyboard::SendRecord() {
    if (m_mouse != nullptr)
        m_mouse->DeliverMouseEvent(&m_mouseEvent);
}

bool CKeyboard::SetNumpadMouseAvailable(bool available) {
    if (m_started)
        return false;
    m_numpadMouseAvailable = available;
    return true;
}

bool CKeyboard::Start(int32_t* value) {
    if (!CDevice::Start(value))
        return false;
    m_mouseEvent = CMouseEvent();
    m_lastMovementKey = kNoKey;
    m_repeatCountdown = 0;
    if (m_keys != nullptr)
        m_keys->AddListener(static_cast<CDevice*>(this), &OnHostKey);
    if (!m_numpadMouseAvailable)
        return true;
    return m_bus != nullptr && m_bus->AddEvent(kRepeatFrequency, &OnNumpadRepeat, this, kRepeatEventName, 0, 0, false);
}

bool CKeyboard::ValidateProperties(bool enabledOnly) {
    const bool result = CDevice::ValidateProperties(enabledOnly);
    if (static_cast<uint32_t>(m_numpadMode) > static_cast<uint32_t>(kNumpadMouse) ||
        (m_numpadMode == kNumpadMouse && !m_numpadMouseAvailable)) {
        m_numpadMode = kNumpadKeys;
        return false;
    }
    return result;
}

bool CKeyboard::CollectProperties(common::CSettingsRegistry* registry, bool enabledOnly) {
    if (registry != nullptr && !enabledOnly) {
        if (common::CBoundValue* value = registry->AddBinding(common::CNarrowString("NumpadMode")))
            value->BindInt32(&m_numpadMode);
    }
    return CDevice::CollectProperties(registry, enabledOnly);
}

void CKeyboard::BuildMenu(COptionTree* menu, int32_t kind) {
    CDevice::BuildMenu(menu, kind);
    if (kind != kMenuInput || !m_numpadMouseAvailable || menu == nullptr)
        return;
    common::COptionNode* usage = menu->CreateChildById(kTextNumpadUsage);
    if (usage == nullptr)
        return;
    menu->AddCheckedWhenNode(usage, true);
    uint32_t* mode = reinterpret_cast<uint32_t*>(&m_numpadMode);
    usage->CreateRadioItemById(kTextDefault, mode, kNumpadKeys, nullptr, 0);
    usage->CreateUnnamedChild();
    if (common::COptionNode* asMouse = usage->CreateRadioItemById(kTextAsMouse, mode, kNumpadMouse, nullptr, 0))
        usage->AddCheckedWhenNode(asMouse, true);
}

bool CKeyboard::SaveData(common::CStreamHolder& holder) {
    const common::CNarrowString chunk(kChunkName);
    return CDevice::SaveData(holder) && holder.WriteMarker(common::CStreamHolder::kChunkBegin, chunk) &&
           holder.WriteUInt8Field(kVersion, common::CNarrowString("VER")) &&
           holder.WriteMarker(common::CStreamHolder::kChunkEnd, chunk);
}

bool CKeyboard::LoadData(common::CStreamHolder& holder, common::CNarrowString* errorText) {
    const common::CNarrowString chunk(kChunkName);
    uint8_t version = 0xFF;
    return CDevice::LoadData(holder, errorText) &&
           holder.ReadMarker(chunk, common::CStreamHolder::kChunkBegin, nullptr) &&
           holder.ReadUInt8Field(version, common::CNarrowString("VER")) && version == kVersion &&
           holder.ReadMarker(chunk, common::CStreamHolder::kChunkEnd, nullptr);
}

} // namespace emu
