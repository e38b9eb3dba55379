#include "emu/framework/CDeviceParameter.h"

namespace emu {

CDeviceParameter::CDeviceParameter(const char* name, bool unconditional, bool* flagTarget, uint64_t* firstTarget,
                                   uint64_t* secondTarget)
    : m_type(kTypeNone), m_name(name), m_firstTarget(firstTarget), m_secondTarget(secondTarget),
      m_flagTarget(flagTarget), m_declaredFirst(firstTarget != nullptr ? *firstTarget : 0),
      m_declaredSecond(secondTarget != nullptr && *secondTarget != 0 ? *secondTarget : 1), m_currentFirst(0),
      m_currentSecond(0), m_applied(false), m_unconditional(unconditional),
      m_fixed(flagTarget != nullptr && *flagTarget), m_enabled(false), m_read(nullptr), m_write(nullptr),
      m_input(nullptr), m_statusInput(nullptr), m_output(nullptr), m_hook(nullptr), m_words{0, 0},
      m_boundMemory(nullptr), m_boundPorts(nullptr), m_boundInterrupts(nullptr) {
    if (m_flagTarget != nullptr)
        *m_flagTarget = false;
}

CDeviceParameter::CDeviceParameter(const char* name, bool unconditional, bool fixed, uint64_t firstValue,
                                   uint64_t secondValue)
    : m_type(kTypeNone), m_name(name), m_firstTarget(nullptr), m_secondTarget(nullptr), m_flagTarget(nullptr),
      m_declaredFirst(firstValue), m_declaredSecond(secondValue != 0 ? secondValue : 1), m_currentFirst(0),
      m_currentSecond(0), m_applied(false), m_unconditional(unconditional), m_fixed(fixed), m_enabled(false),
      m_read(nullptr), m_write(nullptr), m_input(nullptr), m_statusInput(nullptr), m_output(nullptr),
      m_hook(nullptr), m_words{0, 0}, m_boundMemory(nullptr), m_boundPorts(nullptr), m_boundInterrupts(nullptr) {}

CDeviceParameter::~CDeviceParameter() {}

bool CDeviceParameter::SetMemoryWindowType(CMemory::ReadHandler read, CMemory::WriteHandler write) {
    if (read == nullptr && write == nullptr)
        return false;
    m_type = kTypeMemoryWindow;
    m_read = read;
    m_write = write;
    return true;
}

bool CDeviceParameter::SetPortType(CPorts::InputHandler input, CPorts::OutputHandler output) {
    if (input == nullptr && output == nullptr)
        return false;
    m_type = kTypePorts;
    m_input = input;
    m_statusInput = nullptr;
    m_output = output;
    return true;
}

bool CDeviceParameter::SetStatusPortType(CPorts::InputHandlerWithStatus input, CPorts::OutputHandler output) {
    if (input == nullptr && output == nullptr)
        return false;
    m_type = kTypePorts;
    m_input = nullptr;
    m_statusInput = input;
    m_output = output;
    return true;
}

bool CDeviceParameter::SetInterruptVectorType(CInterrupts::VectorHook hook) {
    if (hook == nullptr)
        return false;
    m_type = kTypeInterruptVector;
    m_hook = hook;
    return true;
}

bool CDeviceParameter::SetInterruptTableType(CInterrupts::VectorHook hook) {
    if (hook == nullptr)
        return false;
    m_type = kTypeInterruptTable;
    m_hook = hook;
    return true;
}

bool CDeviceParameter::SetType64(uintptr_t first, uintptr_t second) {
    if (first == 0 && second == 0)
        return false;
    m_type = kType64;
    m_words[0] = first;
    m_words[1] = second;
    return true;
}

bool CDeviceParameter::SetPlainType(uint32_t type) {
    if (!m_unconditional && m_flagTarget == nullptr)
        return false;
    m_type = type;
    return true;
}

bool CDeviceParameter::SetValueType() {
    return SetPlainType(kTypeValue);
}

bool CDeviceParameter::SetValue2Type() {
    return SetPlainType(kTypeValue2);
}

void CDeviceParameter::WriteTargets(uint64_t first, uint64_t second) {
    if (m_firstTarget != nullptr)
        *m_firstTarget = first;
    if (m_secondTarget != nullptr)
        *m_secondTarget = second;
}

void CDeviceParameter::SetValue(bool apply, uint64_t first, uint64_t second) {
    if (apply && m_fixed)
        apply = first == m_declaredFirst && second == m_declaredSecond;
    m_applied = apply;
    if (m_flagTarget != nullptr)
        *m_flagTarget = apply;
    if (m_applied) {
        m_currentFirst = first;
        m_currentSecond = second;
        WriteTargets(first, second);
    } else {
        WriteTargets(m_declaredFirst, m_declaredSecond);
    }
}

void CDeviceParameter::SetEnabled(bool enable) {
    if (m_enabled == enable)
        return;
    m_enabled = enable;
    if (!enable)
        Restore();
}

void CDeviceParameter::Restore() {
    m_applied = false;
    if (m_flagTarget != nullptr)
        *m_flagTarget = false;
    WriteTargets(m_declaredFirst, m_declaredSecond);
    RemoveBinding();
}

void CDeviceParameter::MarkApplied() {
    m_applied = true;
    if (m_flagTarget != nullptr)
        *m_flagTarget = true;
    m_currentFirst = m_declaredFirst;
    m_currentSecond = m_declaredSecond;
    WriteTargets(m_declaredFirst, m_declaredSecond);
}

void CDeviceParameter::RecordBinding(CMemory* memory, CPorts* ports, CInterrupts* interrupts) {
    m_boundMemory = memory;
    m_boundPorts = ports;
    m_boundInterrupts = interrupts;
}

void CDeviceParameter::RemoveBinding() {
    // The binder installs the declared values; the same ranges come out again.
    // A range that reached past the service's end stops at the first refusal,
    // where its installation stopped too.
    const uint32_t first = static_cast<uint32_t>(m_declaredFirst);
    if (m_boundMemory != nullptr) {
        const uint32_t count = static_cast<uint32_t>(m_declaredSecond);
        if (m_read != nullptr)
            m_boundMemory->SetReadHandler(first, count, nullptr, nullptr, false);
        if (m_write != nullptr)
            m_boundMemory->SetWriteHandler(first, count, nullptr, nullptr, false);
    }
    if (m_boundPorts != nullptr) {
        const uint32_t count = static_cast<uint32_t>(m_declaredSecond);
        for (uint32_t i = 0; i < count; ++i) {
            const uint32_t port = first + i;
            if (port > CPorts::kLastPort || port < first)
                break;
            if (m_input != nullptr || m_statusInput != nullptr)
                m_boundPorts->RemoveInputHandler(port);
            if (m_output != nullptr)
                m_boundPorts->RemoveOutputHandler(port);
        }
    }
    if (m_boundInterrupts != nullptr) {
        const int32_t count = static_cast<int32_t>(m_declaredSecond);
        for (int32_t i = 0; i < count; ++i) {
            const uint32_t vector = first + static_cast<uint32_t>(i);
            if (vector > CInterrupts::kLastVector || vector < first)
                break;
            if (m_type == kTypeInterruptTable)
                m_boundInterrupts->SetVectorHookB(vector, nullptr, nullptr);
            else
                m_boundInterrupts->SetVectorHookA(vector, nullptr, nullptr);
        }
    }
    RecordBinding(nullptr, nullptr, nullptr);
}

} // namespace emu
