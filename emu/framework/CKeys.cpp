#include "emu/framework/CKeys.h"

#include <cstring>

#include "common/CNarrowString.h"
#include "common/CStreamHolder.h"

namespace emu {

namespace {

const char* const kSectionName = "_KEYS";
constexpr uint8_t kVersion = 0;
constexpr int kMaskCount = CKeys::kKeyCount / 32;

} // namespace

CKeys::CKeys() : m_pressedCount(0) {
    std::memset(m_keys, 0, sizeof(m_keys));
    SetName("_KEYB");
}

CKeys::~CKeys() = default;

void CKeys::SetKeyState(uint8_t key, bool pressed) {
    if (key == kNoKey)
        return;
    if (pressed) {
        if (m_keys[key] != 0)
            return;
        ++m_pressedCount;
    } else {
        if (m_keys[key] == 0)
            return;
        if (m_pressedCount > 0)
            --m_pressedCount;
    }
    m_keys[key] = pressed ? 1 : 0;
    for (size_t i = 0; i < m_listeners.size(); ++i)
        m_listeners[i].callback(m_listeners[i].context, key, pressed ? 1 : 0);
}

bool CKeys::IsKeyDown(uint8_t key) const {
    return m_keys[key] != 0;
}

bool CKeys::IsEitherKeyDown(uint8_t key1, uint8_t key2) const {
    return IsKeyDown(key1) || IsKeyDown(key2);
}

bool CKeys::IsAnyOfThreeKeysDown(uint8_t key1, uint8_t key2, uint8_t key3) const {
    return IsKeyDown(key1) || IsKeyDown(key2) || IsKeyDown(key3);
}

bool CKeys::IsAnyKeyDown() const {
    return m_pressedCount > 0;
}

bool CKeys::Start(int32_t* /*value*/) {
    std::memset(m_keys, 0, sizeof(m_keys));
    m_pressedCount = 0;
    m_listeners.clear();
    return true;
}

void CKeys::Stop() {
    m_listeners.clear();
}

bool CKeys::AddListener(void* context, KeyListener listener) {
    for (const CListener& entry : m_listeners) {
        if (entry.context == context && entry.callback == listener)
            return true;
    }
    m_listeners.push_back(CListener{context, listener});
    return true;
}

void CKeys::RemoveListener(void* context, KeyListener listener) {
    for (auto it = m_listeners.begin(); it != m_listeners.end(); ++it) {
        if (it->context == context && it->callback == listener) {
            m_listeners.erase(it);
            return;
        }
    }
}

void CKeys::ReleaseAllKeys() {
    if (m_pressedCount < 1)
        return;
    for (int key = 0; key < kKeyCount; ++key) {
        if (m_keys[key] != 0)
            SetKeyState(static_cast<uint8_t>(key), false);
    }
}

void CKeys::FormatKeyTag(common::CString& out, int32_t index) {
    out.Format("L%.1ld", static_cast<long>(index));
}

bool CKeys::SaveData(common::CStreamHolder& holder) {
    const common::CNarrowString section(kSectionName);
    if (!holder.WriteMarker(common::CStreamHolder::kChunkBegin, section) ||
        !holder.WriteUInt8Field(kVersion, common::CNarrowString("VER")))
        return false;
    common::CNarrowString tag;
    for (int k = 0; k < kMaskCount; ++k) {
        uint32_t mask = 0;
        for (int n = 0; n < 32; ++n) {
            if (m_keys[32 * k + n] != 0)
                mask |= 1u << n;
        }
        FormatKeyTag(tag, k);
        if (!holder.WriteUInt32Field(mask, tag))
            return false;
    }
    return holder.WriteMarker(common::CStreamHolder::kChunkEnd, section);
}

bool CKeys::LoadData(common::CStreamHolder& holder, common::CNarrowString* /*errorText*/) {
    const common::CNarrowString section(kSectionName);
    uint8_t version = 0xFF;
    if (!holder.ReadMarker(section, common::CStreamHolder::kChunkBegin, nullptr) ||
        !holder.ReadUInt8Field(version, common::CNarrowString("VER")) || version != kVersion)
        return false;
    common::CNarrowString tag;
    bool loaded = true;
    for (int k = 0; k < kMaskCount && loaded; ++k) {
        uint32_t mask = 0;
        FormatKeyTag(tag, k);
        loaded = holder.ReadUInt32Field(mask, tag);
        if (loaded) {
            for (int n = 0; n < 32; ++n)
                m_keys[32 * k + n] = ((mask >> n) & 1u) != 0 ? 1 : 0;
        }
    }
    // Counted from the table, so that a load failing half-way (the masks read
    // so far stay) still leaves the count matching the keys that are down.
    m_pressedCount = 0;
    for (int key = 0; key < kKeyCount; ++key) {
        if (m_keys[key] != 0)
            ++m_pressedCount;
    }
    return loaded && holder.ReadMarker(section, common::CStreamHolder::kChunkEnd, nullptr);
}

} // namespace emu
