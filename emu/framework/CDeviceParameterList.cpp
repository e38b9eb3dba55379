#include "emu/framework/CDeviceParameterList.h"

#include <iterator>

#include "common/CStreamHolder.h"
#include "emu/framework/CDeviceParameter.h"
#include "emu/framework/CMachineInterface.h"

namespace emu {

namespace {

const char kChunkName[] = "_CFP";
const uint8_t kChunkVersion = 0;

} // namespace

CDeviceParameterList::CDeviceParameterList()
    : m_cursorNode(m_parameters.end()), m_cursorIndex(-1), m_machine(nullptr) {}

CDeviceParameterList::~CDeviceParameterList() {
    Clear();
}

bool CDeviceParameterList::CanDeclare(const char* name) const {
    return name != nullptr && Find(name) == nullptr;
}

bool CDeviceParameterList::Declare(CDeviceParameter* parameter, bool typeAccepted, bool* flagTarget) {
    if (!typeAccepted) {
        if (flagTarget != nullptr)
            *flagTarget = parameter->IsFixed();
        delete parameter;
        return false;
    }
    parameter->SetEnabled(true);
    if (!Insert(parameter, parameter->GetName().GetNarrow())) {
        delete parameter;
        return false;
    }
    return m_machine != nullptr ? m_machine->BindParameters(parameter) : true;
}

bool CDeviceParameterList::AddMemoryWindow(const char* name, bool unconditional, bool* flagTarget,
                                           uint64_t* firstPageTarget, uint64_t* pageCountTarget,
                                           CMemory::ReadHandler read, CMemory::WriteHandler write) {
    if (!CanDeclare(name))
        return false;
    auto* parameter = new CDeviceParameter(name, unconditional, flagTarget, firstPageTarget, pageCountTarget);
    return Declare(parameter, parameter->SetMemoryWindowType(read, write), flagTarget);
}

bool CDeviceParameterList::AddPorts(const char* name, bool unconditional, bool* flagTarget, uint64_t* firstPortTarget,
                                    uint64_t* countTarget, CPorts::InputHandler input, CPorts::OutputHandler output) {
    if (!CanDeclare(name))
        return false;
    auto* parameter = new CDeviceParameter(name, unconditional, flagTarget, firstPortTarget, countTarget);
    return Declare(parameter, parameter->SetPortType(input, output), flagTarget);
}

bool CDeviceParameterList::AddPorts2(const char* name, bool unconditional, bool fixed, uint64_t firstPort,
                                     uint64_t count, CPorts::InputHandler input, CPorts::OutputHandler output) {
    if (!CanDeclare(name))
        return false;
    auto* parameter = new CDeviceParameter(name, unconditional, fixed, firstPort, count);
    return Declare(parameter, parameter->SetPortType(input, output), nullptr);
}

bool CDeviceParameterList::AddPorts3(const char* name, bool unconditional, bool* flagTarget, uint64_t* firstPortTarget,
                                     uint64_t* countTarget, CPorts::InputHandlerWithStatus input,
                                     CPorts::OutputHandler output) {
    if (!CanDeclare(name))
        return false;
    auto* parameter = new CDeviceParameter(name, unconditional, flagTarget, firstPortTarget, countTarget);
    return Declare(parameter, parameter->SetStatusPortType(input, output), flagTarget);
}

bool CDeviceParameterList::AddPortRange(const char* name, bool unconditional, bool fixed, uint64_t firstPort,
                                        uint64_t count, CPorts::InputHandlerWithStatus input,
                                        CPorts::OutputHandler output) {
    if (!CanDeclare(name))
        return false;
    auto* parameter = new CDeviceParameter(name, unconditional, fixed, firstPort, count);
    return Declare(parameter, parameter->SetStatusPortType(input, output), nullptr);
}

bool CDeviceParameterList::AddPorts5(const char* name, bool unconditional, bool fixed, uint64_t firstPort,
                                     uint64_t count, CPorts::OutputHandler output) {
    if (!CanDeclare(name))
        return false;
    auto* parameter = new CDeviceParameter(name, unconditional, fixed, firstPort, count);
    return Declare(parameter, parameter->SetPortType(nullptr, output), nullptr);
}

bool CDeviceParameterList::AddValue(const char* name, bool unconditional, bool* flagTarget, uint64_t* valueTarget) {
    if (!CanDeclare(name))
        return false;
    auto* parameter = new CDeviceParameter(name, unconditional, flagTarget, valueTarget, nullptr);
    return Declare(parameter, parameter->SetValueType(), flagTarget);
}

bool CDeviceParameterList::AddValue2(const char* name, bool unconditional, bool* flagTarget, uint64_t* firstTarget,
                                     uint64_t* secondTarget) {
    if (!CanDeclare(name))
        return false;
    auto* parameter = new CDeviceParameter(name, unconditional, flagTarget, firstTarget, secondTarget);
    return Declare(parameter, parameter->SetValue2Type(), flagTarget);
}

bool CDeviceParameterList::AddInterruptVector(const char* name, bool unconditional, bool* flagTarget,
                                              uint64_t* firstVectorTarget, uint64_t* countTarget,
                                              CInterrupts::VectorHook hook) {
    if (!CanDeclare(name))
        return false;
    auto* parameter = new CDeviceParameter(name, unconditional, flagTarget, firstVectorTarget, countTarget);
    return Declare(parameter, parameter->SetInterruptVectorType(hook), flagTarget);
}

bool CDeviceParameterList::AddInterruptVector2(const char* name, bool unconditional, uint64_t firstVector,
                                               uint64_t count, CInterrupts::VectorHook hook) {
    if (!CanDeclare(name))
        return false;
    auto* parameter = new CDeviceParameter(name, unconditional, true, firstVector, count);
    return Declare(parameter, parameter->SetInterruptVectorType(hook), nullptr);
}

bool CDeviceParameterList::AddInterruptTableEntry(const char* name, bool unconditional, bool* flagTarget,
                                                  uint64_t* firstVectorTarget, uint64_t* countTarget,
                                                  CInterrupts::VectorHook hook) {
    if (!CanDeclare(name))
        return false;
    auto* parameter = new CDeviceParameter(name, unconditional, flagTarget, firstVectorTarget, countTarget);
    return Declare(parameter, parameter->SetInterruptTableType(hook), flagTarget);
}

bool CDeviceParameterList::AddInterruptTableEntry2(const char* name, bool unconditional, uint64_t firstVector,
                                                   uint64_t count, CInterrupts::VectorHook hook) {
    if (!CanDeclare(name))
        return false;
    auto* parameter = new CDeviceParameter(name, unconditional, true, firstVector, count);
    return Declare(parameter, parameter->SetInterruptTableType(hook), nullptr);
}

bool CDeviceParameterList::Remove(const char* name) {
    CDeviceParameter* parameter = Take(name);
    if (parameter == nullptr)
        return true;
    if (parameter->IsApplied())
        parameter->Restore();
    else
        parameter->RemoveBinding();
    const bool result = m_machine != nullptr ? m_machine->BindParameters(nullptr) : true;
    delete parameter;
    return result;
}

CDeviceParameter* CDeviceParameterList::FindByName(const char* name) {
    return Find(name);
}

CDeviceParameter* CDeviceParameterList::Find(const char* name) const {
    if (name == nullptr)
        return nullptr;
    const auto it = m_parameters.find(common::CNarrowString(name));
    return it != m_parameters.end() ? it->second : nullptr;
}

CDeviceParameter* CDeviceParameterList::Take(const char* name) {
    if (name == nullptr)
        return nullptr;
    const auto it = m_parameters.find(common::CNarrowString(name));
    if (it == m_parameters.end())
        return nullptr;
    CDeviceParameter* parameter = it->second;
    m_cursorNode = m_parameters.end();
    m_cursorIndex = -1;
    m_parameters.erase(it);
    return parameter;
}

bool CDeviceParameterList::Insert(CDeviceParameter* parameter, const char* name) {
    if (parameter == nullptr || name == nullptr)
        return false;
    m_cursorNode = m_parameters.end();
    m_cursorIndex = -1;
    return m_parameters.emplace(common::CNarrowString(name), parameter).second;
}

CDeviceParameter* CDeviceParameterList::GetAt(int index) {
    if (index < 0 || index >= GetCount())
        return nullptr;
    if (m_cursorIndex < 0) {
        m_cursorNode = m_parameters.begin();
        m_cursorIndex = 0;
    }
    std::advance(m_cursorNode, index - m_cursorIndex);
    m_cursorIndex = index;
    return m_cursorNode->second;
}

void CDeviceParameterList::Clear() {
    for (auto& entry : m_parameters)
        delete entry.second;
    m_parameters.clear();
    m_cursorNode = m_parameters.end();
    m_cursorIndex = -1;
}

void CDeviceParameterList::RestoreAll() {
    for (auto& entry : m_parameters)
        entry.second->Restore();
}

bool CDeviceParameterList::SaveData(common::CStreamHolder& holder) {
    const common::CNarrowString chunk(kChunkName);
    const common::CNarrowString version("VER");
    return holder.WriteMarker(common::CStreamHolder::kChunkBegin, chunk) &&
           holder.WriteUInt8Field(kChunkVersion, version) &&
           holder.WriteMarker(common::CStreamHolder::kChunkEnd, chunk);
}

bool CDeviceParameterList::LoadData(common::CStreamHolder& holder, common::CNarrowString* /*errorText*/) {
    const common::CNarrowString chunk(kChunkName);
    const common::CNarrowString versionName("VER");
    uint8_t version = 0xFF;
    return holder.ReadMarker(chunk, common::CStreamHolder::kChunkBegin, nullptr) &&
           holder.ReadUInt8Field(version, versionName) && version == kChunkVersion &&
           holder.ReadMarker(chunk, common::CStreamHolder::kChunkEnd, nullptr);
}

} // namespace emu
