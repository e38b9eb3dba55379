#include "emu/framework/CInterruptController.h"

#include "common/CNarrowString.h"
#include "common/CStreamHolder.h"
#include "emu/framework/CInterrupts.h"

namespace emu {

namespace {

constexpr uint8_t kStateVersion = 0;

const common::CNarrowString& ChunkName() {
    static const common::CNarrowString s_name("_INTRD");
    return s_name;
}

CInterruptControllerInterface* AsController(void* id) {
    return static_cast<CInterruptControllerInterface*>(id);
}

} // namespace

CInterruptController::CInterruptController() {}

CInterruptController::~CInterruptController() {}

bool CInterruptController::Start(int32_t* value) {
    if (!CDevice::Start(value))
        return false;
    return RegisterWith(GetInterrupts());
}

bool CInterruptController::RegisterWith(CInterrupts* interrupts) {
    if (interrupts == nullptr)
        return false;
    CInterruptControllerInterface* self = this;
    return interrupts->RegisterController(self, AcknowledgeTrampoline, SetRequestLineTrampoline,
                                          IsRequestPendingTrampoline);
}

bool CInterruptController::Acknowledge(bool /*commit*/, int32_t* /*line*/, int32_t* /*vector*/, int32_t* /*address*/) {
    return false;
}

bool CInterruptController::SetRequestLine(uint32_t /*line*/, bool /*raise*/) {
    return false;
}

bool CInterruptController::AcknowledgeTrampoline(void* id, bool commit, int32_t* line, int32_t* vector,
                                                 int32_t* address) {
    return AsController(id)->Acknowledge(commit, line, vector, address);
}

bool CInterruptController::SetRequestLineTrampoline(void* id, uint32_t line, bool raise) {
    return AsController(id)->SetRequestLine(line, raise);
}

bool CInterruptController::IsRequestPendingTrampoline(void* id, int32_t line) {
    return AsController(id)->IsRequestPending(line);
}

bool CInterruptController::SaveData(common::CStreamHolder& holder) {
    const uint8_t version = kStateVersion;
    return CDevice::SaveData(holder) && holder.WriteMarker(common::CStreamHolder::kChunkBegin, ChunkName()) &&
           holder.WriteUInt8Field(version, common::CNarrowString("VER")) &&
           holder.WriteMarker(common::CStreamHolder::kChunkEnd, ChunkName());
}

bool CInterruptController::LoadData(common::CStreamHolder& holder, common::CNarrowString* errorText) {
    uint8_t version = 0xFF;
    return CDevice::LoadData(holder, errorText) &&
           holder.ReadMarker(ChunkName(), common::CStreamHolder::kChunkBegin, nullptr) &&
           holder.ReadUInt8Field(version, common::CNarrowString("VER")) && version == kStateVersion &&
           holder.ReadMarker(ChunkName(), common::CStreamHolder::kChunkEnd, nullptr);
}

} // namespace emu
