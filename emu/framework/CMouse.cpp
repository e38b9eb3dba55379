#include "emu/framework/CMouse.h"

#include "common/CNarrowString.h"
#include "common/CStreamHolder.h"

namespace emu {

namespace {

const char* const kSectionName = "_MOUS";
constexpr uint8_t kVersion = 0;

} // namespace

CMouse::CMouse() {
    SetName("_MOUSE");
}

CMouse::~CMouse() = default;

void CMouse::DeliverMouseEvent(CMouseEvent* event) {
    for (size_t i = 0; i < m_listeners.size(); ++i)
        m_listeners[i].callback(m_listeners[i].context, event);
}

bool CMouse::Start(int32_t* /*value*/) {
    m_listeners.clear();
    return true;
}

void CMouse::Stop() {
    m_listeners.clear();
}

bool CMouse::AddListener(void* context, MouseListener listener) {
    for (const CListener& entry : m_listeners) {
        if (entry.context == context && entry.callback == listener)
            return true;
    }
    m_listeners.push_back(CListener{context, listener});
    return true;
}

void CMouse::RemoveListener(void* context, MouseListener listener) {
    for (auto it = m_listeners.begin(); it != m_listeners.end(); ++it) {
        if (it->context == context && it->callback == listener) {
            m_listeners.erase(it);
            return;
        }
    }
}

bool CMouse::SaveData(common::CStreamHolder& holder) {
    const common::CNarrowString section(kSectionName);
    return holder.WriteMarker(common::CStreamHolder::kChunkBegin, section) &&
           holder.WriteUInt8Field(kVersion, common::CNarrowString("VER")) &&
           holder.WriteMarker(common::CStreamHolder::kChunkEnd, section);
}

bool CMouse::LoadData(common::CStreamHolder& holder, common::CNarrowString* /*errorText*/) {
    const common::CNarrowString section(kSectionName);
    uint8_t version = 0xFF;
    return holder.ReadMarker(section, common::CStreamHolder::kChunkBegin, nullptr) &&
           holder.ReadUInt8Field(version, common::CNarrowString("VER")) && version == kVersion &&
           holder.ReadMarker(section, common::CStreamHolder::kChunkEnd, nullptr);
}

} // namespace emu
