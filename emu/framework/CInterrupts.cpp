#include "emu/framework/CInterrupts.h"

#include "common/CNarrowString.h"
#include "common/CStreamHolder.h"
#include "emu/framework/CMachineInterface.h"

namespace emu {

namespace {

constexpr uint8_t kStateVersion = 0;
// Room for the controllers of one machine, so that registering at start does
// not grow the list piecemeal.
constexpr size_t kExpectedControllers = 4;

const common::CNarrowString& ChunkName() {
    static const common::CNarrowString s_name("_INTRS");
    return s_name;
}

} // namespace

CInterrupts::CInterrupts() : m_owner(nullptr) {
    SetName("_INTR");
    ClearHooks();
    m_controllers.reserve(kExpectedControllers);
}

CInterrupts::~CInterrupts() {}

void CInterrupts::ClearHooks() {
    for (uint32_t i = 0; i <= kLastVector; ++i) {
        m_hooksA[i] = {nullptr, nullptr};
        m_hooksB[i] = {nullptr, nullptr};
    }
}

bool CInterrupts::Start(int32_t* /*value*/) {
    ClearHooks();
    m_controllers.clear();
    return true;
}

void CInterrupts::Stop() {
    m_controllers.clear();
}

// ---------------------------------------------------------------------------
// Controllers

bool CInterrupts::RegisterController(void* id, AcknowledgeCallback acknowledge, LineCallback line,
                                     PendingCallback pending) {
    for (const CController& c : m_controllers) {
        if (c.id == id)
            return c.acknowledge == acknowledge && c.line == line && c.pending == pending;
    }
    m_controllers.push_back({id, acknowledge, pending, line});
    return true;
}

void CInterrupts::UnregisterController(void* id) {
    for (auto it = m_controllers.begin(); it != m_controllers.end(); ++it) {
        if (it->id == id) {
            m_controllers.erase(it);
            return;
        }
    }
}

bool CInterrupts::AcknowledgeInterrupt(bool commit, int32_t* line, int32_t* vector, int32_t* address) {
    // By index: a controller may register or leave while it is called.
    for (size_t i = 0; i < m_controllers.size(); ++i) {
        const CController c = m_controllers[i];
        if (c.acknowledge != nullptr && c.acknowledge(c.id, commit, line, vector, address))
            return true;
    }
    return false;
}

void CInterrupts::RequestInterruptCheck() {
    if (m_owner != nullptr)
        m_owner->NotifyInterruptRequest();
}

bool CInterrupts::SetRequestLine(uint32_t line, bool raise) {
    bool taken = false;
    for (size_t i = 0; i < m_controllers.size(); ++i) {
        const CController c = m_controllers[i];
        if (c.line != nullptr && c.line(c.id, line, raise)) {
            taken = true;
            break;
        }
    }
    if (raise)
        RequestInterruptCheck();
    return taken;
}

bool CInterrupts::RaiseInterrupt(uint32_t line, bool check) {
    if (!check)
        return SetRequestLine(line, true);
    RequestInterruptCheck();
    if (IsInterruptPending(static_cast<int32_t>(line)))
        return true;
    return SetRequestLine(line, true);
}

bool CInterrupts::IsInterruptPending(int32_t line) {
    for (size_t i = 0; i < m_controllers.size(); ++i) {
        const CController c = m_controllers[i];
        if (c.pending != nullptr)
            return c.pending(c.id, line);
    }
    return false;
}

// ---------------------------------------------------------------------------
// Vector hooks

bool CInterrupts::SetVectorHookA(uint32_t vector, void* context, VectorHook hook) {
    if (vector > kLastVector)
        return false;
    m_hooksA[vector] = {hook != nullptr ? context : nullptr, hook};
    return true;
}

bool CInterrupts::SetVectorHookB(uint32_t vector, void* context, VectorHook hook) {
    if (vector > kLastVector)
        return false;
    m_hooksB[vector] = {hook != nullptr ? context : nullptr, hook};
    return true;
}

bool CInterrupts::CallHook(const CHook* table, uint32_t vector, uint32_t a, uint32_t b, uint64_t* out,
                           uint64_t preset) {
    uint64_t ignored = 0;
    if (out == nullptr)
        out = &ignored;
    *out = preset;
    if (vector > kLastVector || table[vector].handler == nullptr)
        return false;
    CProcessorInterface* processor = m_owner != nullptr ? m_owner->GetMainProcessor() : nullptr;
    return table[vector].handler(table[vector].context, vector, a, b, processor, out);
}

bool CInterrupts::CallVectorHookA(uint32_t vector, uint32_t a, uint32_t b, uint64_t* out) {
    return CallHook(m_hooksA, vector, a, b, out, kHookADefault);
}

bool CInterrupts::CallVectorHookB(uint32_t vector, uint32_t a, uint32_t b, uint64_t* out) {
    return CallHook(m_hooksB, vector, a, b, out, kHookBDefault);
}

// ---------------------------------------------------------------------------
// State: only the version; controllers register again at every start.

bool CInterrupts::SaveData(common::CStreamHolder& holder) {
    const uint8_t version = kStateVersion;
    return holder.WriteMarker(common::CStreamHolder::kChunkBegin, ChunkName()) &&
           holder.WriteUInt8Field(version, common::CNarrowString("VER")) &&
           holder.WriteMarker(common::CStreamHolder::kChunkEnd, ChunkName());
}

bool CInterrupts::LoadData(common::CStreamHolder& holder, common::CNarrowString* /*errorText*/) {
    uint8_t version = 0xFF;
    return holder.ReadMarker(ChunkName(), common::CStreamHolder::kChunkBegin, nullptr) &&
           holder.ReadUInt8Field(version, common::CNarrowString("VER")) && version == kStateVersion &&
           holder.ReadMarker(ChunkName(), common::CStreamHolder::kChunkEnd, nullptr);
}

} // namespace emu
