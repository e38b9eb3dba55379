#include "emu/framework/CParameterBinder.h"

#include "emu/framework/CDeviceParameter.h"
#include "emu/framework/CInterrupts.h"
#include "emu/framework/CMemory.h"
#include "emu/framework/CPorts.h"

namespace emu {

CParameterBinder::CParameterBinder() {}

CParameterBinder::~CParameterBinder() {}

bool CParameterBinder::Prepare(CDeviceParameter* parameter, uint32_t type, bool& result) {
    result = false;
    if (parameter == nullptr || parameter->GetType() != type)
        return false;
    parameter->Restore();
    if (!parameter->IsEnabled()) {
        result = true;
        return false;
    }
    return true;
}

bool CParameterBinder::BindMemoryWindow(CMemory* memory, CDeviceParameter* parameter, CDevice* device) {
    bool result = false;
    if (memory == nullptr || !Prepare(parameter, CDeviceParameter::kTypeMemoryWindow, result))
        return result;
    const uint32_t firstPage = static_cast<uint32_t>(parameter->GetDeclaredFirst());
    const uint32_t count = static_cast<uint32_t>(parameter->GetDeclaredSecond());
    void* context = device;
    parameter->RecordBinding(memory, nullptr, nullptr);
    if (parameter->GetReadHandler() != nullptr &&
        !memory->SetReadHandler(firstPage, count, context, parameter->GetReadHandler(), false))
        return false;
    if (parameter->GetWriteHandler() != nullptr &&
        !memory->SetWriteHandler(firstPage, count, context, parameter->GetWriteHandler(), false))
        return false;
    parameter->MarkApplied();
    return true;
}

bool CParameterBinder::BindPorts(CPorts* ports, CDeviceParameter* parameter, CDevice* device) {
    bool result = false;
    if (ports == nullptr || !Prepare(parameter, CDeviceParameter::kTypePorts, result))
        return result;
    const uint32_t firstPort = static_cast<uint32_t>(parameter->GetDeclaredFirst());
    const uint32_t count = static_cast<uint32_t>(parameter->GetDeclaredSecond());
    if (count == 0)
        return false;
    void* context = device;
    parameter->RecordBinding(nullptr, ports, nullptr);
    // The port numbers run on in 32 bits; the port space refuses everything
    // above 65535, and a range that would wrap is refused there as well.
    for (uint32_t i = 0; i < count; ++i) {
        const uint32_t port = firstPort + i;
        if (port < firstPort)
            return false;
        const bool installed =
            parameter->GetInputHandler() != nullptr
                ? ports->SetInputHandler(port, context, parameter->GetInputHandler())
                : ports->SetInputHandlerWithStatus(port, context, parameter->GetStatusInputHandler());
        if (!installed)
            return false;
    }
    if (parameter->GetOutputHandler() != nullptr) {
        for (uint32_t i = 0; i < count; ++i) {
            if (!ports->SetOutputHandler(firstPort + i, context, parameter->GetOutputHandler()))
                return false;
        }
    }
    parameter->MarkApplied();
    return true;
}

bool CParameterBinder::BindValue(CDeviceParameter* parameter) {
    bool result = false;
    if (!Prepare(parameter, CDeviceParameter::kTypeValue, result))
        return result;
    parameter->MarkApplied();
    return true;
}

bool CParameterBinder::BindValue2(CDeviceParameter* parameter) {
    bool result = false;
    if (!Prepare(parameter, CDeviceParameter::kTypeValue2, result))
        return result;
    parameter->MarkApplied();
    return true;
}

bool CParameterBinder::BindVectors(CInterrupts* interrupts, CDeviceParameter* parameter, CDevice* device, bool tableB) {
    bool result = false;
    const uint32_t type = tableB ? CDeviceParameter::kTypeInterruptTable : CDeviceParameter::kTypeInterruptVector;
    if (interrupts == nullptr || !Prepare(parameter, type, result))
        return result;
    const uint32_t firstVector = static_cast<uint32_t>(parameter->GetDeclaredFirst());
    const int32_t count = static_cast<int32_t>(parameter->GetDeclaredSecond());
    if (count < 1)
        return false;
    CInterrupts::VectorHook hook = parameter->GetVectorHook();
    if (hook != nullptr) {
        void* context = device;
        parameter->RecordBinding(nullptr, nullptr, interrupts);
        for (int32_t i = 0; i < count; ++i) {
            const uint32_t vector = firstVector + static_cast<uint32_t>(i);
            if (vector < firstVector)
                return false;
            const bool installed = tableB ? interrupts->SetVectorHookB(vector, context, hook)
                                          : interrupts->SetVectorHookA(vector, context, hook);
            if (!installed)
                return false;
        }
    }
    parameter->MarkApplied();
    return true;
}

bool CParameterBinder::BindInterruptVector(CInterrupts* interrupts, CDeviceParameter* parameter, CDevice* device) {
    return BindVectors(interrupts, parameter, device, false);
}

bool CParameterBinder::BindInterruptTableEntry(CInterrupts* interrupts, CDeviceParameter* parameter, CDevice* device) {
    return BindVectors(interrupts, parameter, device, true);
}

} // namespace emu
