#include "emu/framework/CMachine.h"

#include "common/CSettingsRegistry.h"
#include "common/CStreamHolder.h"
#include "common/CTextConsole.h"
#include "emu/framework/CBus.h"
#include "emu/framework/CDeviceParameter.h"
#include "emu/framework/CDeviceParameterList.h"
#include "emu/framework/CDiskController.h"
#include "emu/framework/CDrives.h"
#include "emu/framework/CInterrupts.h"
#include "emu/framework/CKeys.h"
#include "emu/framework/CMemory.h"
#include "emu/framework/CMouse.h"
#include "emu/framework/COptionTree.h"
#include "emu/framework/CPorts.h"
#include "emu/framework/CProcessor.h"
#include "emu/host/CRenderer.h"

namespace emu {

namespace {

const uint8_t kStateVersion = 0;
const char kStretchScreen[] = "StretchScreen";

// Stretch mode of the host screen: 0 fills the window, 1 keeps the proportions.
int32_t StretchModeFor(bool stretch) {
    return stretch ? 0 : 1;
}

} // namespace

CMachine::CServices::CServices() {}

CMachine::CServices::~CServices() {}

bool CMachine::CServices::QueryTrue(common::CNarrowString* /*errorText*/) {
    return true;
}

CMachine::CMachine()
    : m_suspendCount(0), m_stretchScreen(true), m_serviceBus(nullptr), m_serviceMemory(nullptr),
      m_servicePorts(nullptr), m_serviceInterrupts(nullptr), m_serviceKeys(nullptr), m_serviceMouse(nullptr),
      m_serviceDrives(nullptr), m_mainCpu(nullptr), m_stateFlag(false), m_statePartlyLoaded(false), m_host(nullptr),
      m_soundOutput(nullptr), m_breakHookUser(nullptr), m_breakHook(nullptr) {
    // The root device belongs to the machine from the start.
    m_machine = this;
}

CMachine::~CMachine() {
    ReleaseHost();
    m_processors.clear();
    m_mainCpu = nullptr;
    // The services go first, then (in the device base) the device tree.
    m_services.DeleteChildren();
    m_serviceBus = nullptr;
    m_serviceMemory = nullptr;
    m_servicePorts = nullptr;
    m_serviceInterrupts = nullptr;
    m_serviceKeys = nullptr;
    m_serviceMouse = nullptr;
    m_serviceDrives = nullptr;
}

// --- The machine interface ------------------------------------------------------

CProcessorInterface* CMachine::GetMainProcessor() {
    return m_processors.empty() ? nullptr : m_processors.front();
}

common::CTextConsole* CMachine::GetConsole() {
    return m_console;
}

bool CMachine::GetStateFlag() {
    return m_stateFlag;
}

bool CMachine::PollBreak(uint32_t /*argument*/) {
    if (m_breakHook == nullptr)
        return true;
    bool request = false;
    bool result = false;
    m_breakHook(m_breakHookUser, &request, &result, -1);
    return !result;
}

void CMachine::GetBaseFrequency(int64_t* out) {
    if (out == nullptr)
        return;
    if (m_mainCpu != nullptr) {
        *out = static_cast<int64_t>(m_mainCpu->GetBaseFrequency());
        return;
    }
    CProcessorInterface* processor = GetMainProcessor();
    *out = processor != nullptr ? static_cast<int64_t>(processor->GetBaseFrequency()) : 0;
}

void CMachine::GetBaseCycleCount(int64_t* out) {
    if (out == nullptr)
        return;
    if (m_mainCpu != nullptr) {
        *out = static_cast<int64_t>(m_mainCpu->GetNominalCycleCount());
        return;
    }
    CProcessorInterface* processor = GetMainProcessor();
    *out = processor != nullptr ? static_cast<int64_t>(processor->GetNominalCycleCount()) : 0;
}

void CMachine::GetBaseTime(int64_t* frequency, int64_t* cycles) {
    GetBaseFrequency(frequency);
    GetBaseCycleCount(cycles);
}

bool CMachine::BindParameters(CDeviceParameter* parameter) {
    if (!m_started)
        return true;
    const uint32_t filter = parameter != nullptr ? parameter->GetType() : 0;
    const bool bound = ApplyParameters(this, filter);
    // The tree hears of the binding even when it stopped half-way.
    if (!Reset(ResetWordFor(filter)))
        return false;
    return bound;
}

void CMachine::NotifyInterruptRequest() {
    for (CProcessorInterface* processor : m_processors)
        processor->SetChwiFlag();
}

uint32_t CMachine::CheckBreak(bool* request, bool* result) {
    if (m_breakHook == nullptr)
        return CMachineInterface::CheckBreak(request, result);
    // No break while the state is being saved or loaded.
    if (request != nullptr)
        *request = *request && m_suspendCount == 0;
    return m_breakHook(m_breakHookUser, request, result, 0);
}

void CMachine::Suspend(bool on) {
    if (on)
        ++m_suspendCount;
    else if (m_suspendCount > 0)
        --m_suspendCount;
}

// --- The root device --------------------------------------------------------------

bool CMachine::CollectProperties(common::CSettingsRegistry* registry, bool enabledOnly) {
    // A host preference: kept in the settings, never part of a configuration snapshot.
    if (!enabledOnly && registry != nullptr)
        registry->BindBool(common::CNarrowString(kStretchScreen), &m_stretchScreen);
    return CDevice::CollectProperties(registry, enabledOnly);
}

bool CMachine::Start(int32_t* value) {
    if (m_serviceMemory != nullptr)
        m_serviceMemory->SetMachine(nullptr);
    m_suspendCount = 0;
    if (m_host != nullptr)
        m_host->SetStretchMode(StretchModeFor(m_stretchScreen));
    if (!m_services.Start(value))
        return false;
    ConnectDevices(this, this, m_serviceBus, m_serviceMemory, m_servicePorts, m_serviceInterrupts, m_host,
                   m_serviceKeys, m_serviceDrives);
    // Nothing is bound before the root device has started.
    if (!BindParameters(nullptr))
        return false;
    if (!CDevice::Start(value))
        return false;
    if (!BindParameters(nullptr))
        return false;
    if (!Reset(kResetStarted))
        return false;
    if (m_serviceMemory != nullptr)
        m_serviceMemory->SetMachine(this);
    m_statePartlyLoaded = false;
    return true;
}

void CMachine::Stop() {
    CDevice::Stop();
    m_services.Stop();
}

void CMachine::BuildMenu(COptionTree* menu, int32_t kind) {
    CDevice::BuildMenu(menu, kind);
    if (kind != kMenuVideo || menu == nullptr)
        return;
    menu->CreateUnnamedChild();
    menu->CreateUnnamedChild();
    // The check item shows and toggles the flag byte itself; the action then
    // passes the new choice to the host screen.
    common::COptionNode* item =
        menu->CreateCheckItemById(kTextStretchToWindow, reinterpret_cast<uint8_t*>(&m_stretchScreen), 1, nullptr, 1);
    if (item != nullptr)
        item->AddActionCall(OnHostLinkHook, reinterpret_cast<uintptr_t>(this));
}

bool CMachine::SaveState(common::CStreamHolder& holder) {
    if (!holder.WriteUInt8Field(kStateVersion, common::CNarrowString("VER")))
        return false;
    Suspend(true);
    bool result = m_services.SaveState(holder);
    if (result)
        result = CDevice::SaveState(holder);
    Suspend(false);
    return result;
}

bool CMachine::LoadState(common::CStreamHolder& holder, common::CNarrowString* errorText) {
    uint8_t version = 0xFF;
    if (!holder.ReadUInt8Field(version, common::CNarrowString("VER")) || version != kStateVersion)
        return false;
    Suspend(true);
    m_stateFlag = true;
    const common::CNarrowString givenReason(errorText != nullptr ? errorText->GetNarrow() : "");
    // The tree hears of a state only once all of it is in.
    bool result =
        m_services.LoadState(holder, errorText) && CDevice::LoadState(holder, errorText) && Reset(kResetStateLoaded);
    m_statePartlyLoaded = !result;
    if (!result) {
        // Part of the state is in the services and devices already: the machine
        // is neither the old one nor the saved one and must be restarted. A
        // part that said what was wrong keeps its reason first.
        const char kPartly[] = "state loaded only in part, the machine must be restarted";
        if (errorText != nullptr && errorText->CompareString(givenReason) != 0)
            errorText->AppendFormat("; %s", kPartly);
        else if (errorText != nullptr)
            errorText->AssignNarrow(kPartly);
        LogError("[ERROR] Machine state loaded only in part; restart the machine or load another state");
    }
    m_stateFlag = false;
    Suspend(false);
    return result;
}

void CMachine::SetConsole(common::CTextConsole* console) {
    if (console == m_console)
        return;
    m_services.SetConsole(console);
    CDevice::SetConsole(console);
}

bool CMachine::AddChild(CObject* child, const char* name, const char* shortName) {
    return AddDevice(child, name, shortName);
}

void CMachine::DeleteChildren() {
    DeleteDevices();
}

bool CMachine::QueryTrue(common::CNarrowString* /*errorText*/) {
    return true;
}

bool CMachine::HandleEvent(uint32_t event, uint8_t flag, uintptr_t argument) {
    return DispatchEvent(event, flag, argument);
}

bool CMachine::AddDevice(CObject* device, const char* name, const char* shortName) {
    if (!CDevice::AddChild(device, name, shortName))
        return false;
    if (device->IsProcessor()) {
        auto* processor = dynamic_cast<CProcessorInterface*>(device);
        if (processor != nullptr) {
            m_processors.push_back(processor);
            if (m_processors.size() == 1)
                m_mainCpu = dynamic_cast<CProcessor*>(processor);
        }
    }
    return true;
}

void CMachine::DeleteDevices() {
    m_processors.clear();
    m_mainCpu = nullptr;
    CDevice::DeleteChildren();
}

void CMachine::Shutdown() {
    ReleaseHost();
    m_host = nullptr;
    DeleteDevices();
}

template <typename T> bool CMachine::AddService(T*& slot) {
    slot = new T();
    if (!m_services.AddChild(slot, nullptr, nullptr)) {
        delete slot;
        slot = nullptr;
        return false;
    }
    return true;
}

bool CMachine::Build() {
    m_services.DeleteChildren();
    m_serviceBus = nullptr;
    m_serviceMemory = nullptr;
    m_servicePorts = nullptr;
    m_serviceInterrupts = nullptr;
    m_serviceKeys = nullptr;
    m_serviceMouse = nullptr;
    m_serviceDrives = nullptr;

    if (!AddService(m_serviceBus))
        return false;
    m_serviceBus->SetSoundOutput(m_soundOutput);
    if (!AddService(m_serviceMemory) || !AddService(m_servicePorts) || !AddService(m_serviceInterrupts) ||
        !AddService(m_serviceKeys) || !AddService(m_serviceMouse) || !AddService(m_serviceDrives))
        return false;
    m_serviceDrives->SetMediaChangeCallback(OnMediaChanged, this);
    m_serviceDrives->SetImageCheckCallback(OnImageCheck, this);
    m_serviceInterrupts->SetOwner(this);
    m_services.SetConsole(m_console);
    return true;
}

bool CMachine::DispatchEvent(uint32_t event, uint8_t flag, uintptr_t argument) {
    bool taken = false;
    for (CObject* child : m_children) {
        if (child == nullptr || !child->IsEnabled() || !child->IsDevice())
            continue;
        if (static_cast<CDevice*>(child)->HandleEvent(event, flag, argument))
            taken = true;
    }
    return taken;
}

// --- Processors ---------------------------------------------------------------------

CProcessor* CMachine::GetProcessor(int32_t index) const {
    if (index < 0 || index >= GetProcessorCount())
        return nullptr;
    return dynamic_cast<CProcessor*>(m_processors[static_cast<size_t>(index)]);
}

// --- Host side ------------------------------------------------------------------------

void CMachine::ReleaseHost() {
    // Another machine may have taken the renderer since; its link stays.
    if (m_host != nullptr && m_host->GetResetUser() == this)
        m_host->SetResetCallback(nullptr, nullptr);
}

void CMachine::AttachHost(CRenderer* host) {
    if (host == m_host)
        return;
    ReleaseHost();
    m_host = host;
    if (host != nullptr)
        host->SetResetCallback(OnHostAttached, this);
    if (m_enabled) {
        SetServices(this, m_serviceBus, m_serviceMemory, m_servicePorts, m_serviceInterrupts, m_host, m_serviceKeys,
                    m_serviceDrives, m_serviceMouse);
        for (CObject* child : m_children) {
            if (child != nullptr && child->IsDevice())
                ConnectDevices(static_cast<CDevice*>(child), this, m_serviceBus, m_serviceMemory, m_servicePorts,
                               m_serviceInterrupts, m_host, m_serviceKeys, m_serviceDrives);
        }
    }
    if (m_started)
        Reset(kResetHostScreen);
}

void CMachine::SetSoundOutput(CSoundOutput* output) {
    m_soundOutput = output;
    if (m_serviceBus != nullptr)
        m_serviceBus->SetSoundOutput(output);
}

void CMachine::SetSoundRate(int32_t rate) {
    if (m_serviceBus != nullptr)
        m_serviceBus->SetRate(rate, GetMainProcessor());
}

void CMachine::TickBus() {
    if (m_serviceBus != nullptr)
        m_serviceBus->Tick();
}

void CMachine::SetSoundPaused(bool paused) {
    if (m_serviceBus != nullptr)
        m_serviceBus->SetSoundPaused(paused);
}

void CMachine::KeyEvent(int32_t code, bool pressed) {
    if (m_serviceKeys == nullptr)
        return;
    if (code < 0 && !pressed)
        m_serviceKeys->ReleaseAllKeys();
    else
        m_serviceKeys->SetKeyState(static_cast<uint8_t>(code & 0xFF), pressed);
}

void CMachine::MouseEvent(CMouseEvent* event) {
    if (m_serviceMouse != nullptr)
        m_serviceMouse->DeliverMouseEvent(event);
}

// --- Callbacks ----------------------------------------------------------------------------

void CMachine::OnMediaChanged(void* machine, CMediaSlot* /*slot*/, uint8_t about) {
    if (machine == nullptr)
        return;
    static_cast<CMachine*>(machine)->Reset(about != 0 ? kResetMediaChanging : kResetMediaChanged);
}

bool CMachine::OnImageCheck(void* machine, CMediaSlot* slot, uint64_t size) {
    return machine == nullptr || CDiskController::CheckSlotImage(static_cast<CMachine*>(machine), slot, size) != 0;
}

void CMachine::OnHostAttached(void* machine) {
    if (machine != nullptr)
        static_cast<CMachine*>(machine)->Reset(kResetHostScreen);
}

bool CMachine::OnHostLinkHook(uintptr_t argument) {
    auto* machine = reinterpret_cast<CMachine*>(argument);
    if (machine != nullptr && machine->m_host != nullptr)
        machine->m_host->SetStretchMode(StretchModeFor(machine->m_stretchScreen));
    return true;
}

// --- Service hand-over and binding -----------------------------------------------------------

void CMachine::ConnectDevices(CDevice* device, CMachineInterface* machine, CBus* bus, CMemory* memory, CPorts* ports,
                              CInterrupts* interrupts, CRenderer* hostLink, CKeys* keys, CDrives* drives) {
    if (device == nullptr || !device->IsEnabled())
        return;
    device->SetServices(machine, bus, memory, ports, interrupts, hostLink, keys, drives, m_serviceMouse);
    for (int i = 0; i < device->GetChildCount(); ++i) {
        CObject* child = device->GetChildAt(i);
        if (child != nullptr && child->IsDevice())
            ConnectDevices(static_cast<CDevice*>(child), machine, bus, memory, ports, interrupts, hostLink, keys,
                           drives);
    }
}

bool CMachine::ApplyParameters(CDevice* device, uint32_t filter) {
    if (device == nullptr)
        return false;
    if (!device->IsEnabled())
        return true;
    CDeviceParameterList* list = device->GetParameters();
    for (int i = 0; list != nullptr && i < list->GetCount(); ++i) {
        CDeviceParameter* parameter = list->GetAt(i);
        if (parameter == nullptr)
            continue;
        const uint32_t type = parameter->GetType();
        if (filter != 0 && type != filter)
            continue;
        bool bound = false;
        switch (type) {
        case CDeviceParameter::kTypeNone:
            bound = true;
            break;
        case CDeviceParameter::kTypeValue:
            bound = m_binder.BindValue(parameter);
            break;
        case CDeviceParameter::kTypeValue2:
            bound = m_binder.BindValue2(parameter);
            break;
        case CDeviceParameter::kTypeMemoryWindow:
            bound = m_binder.BindMemoryWindow(m_serviceMemory, parameter, device);
            break;
        case CDeviceParameter::kTypePorts:
            bound = m_binder.BindPorts(m_servicePorts, parameter, device);
            break;
        case CDeviceParameter::kTypeInterruptVector:
            bound = m_binder.BindInterruptVector(m_serviceInterrupts, parameter, device);
            break;
        case CDeviceParameter::kTypeInterruptTable:
            bound = m_binder.BindInterruptTableEntry(m_serviceInterrupts, parameter, device);
            break;
        default:
            bound = false; // no service takes this type
            break;
        }
        if (!bound)
            return false;
    }
    for (int i = 0; i < device->GetChildCount(); ++i) {
        CObject* child = device->GetChildAt(i);
        if (child != nullptr && child->IsDevice() && !ApplyParameters(static_cast<CDevice*>(child), filter))
            return false;
    }
    return true;
}

uint32_t CMachine::ResetWordFor(uint32_t filter) {
    switch (filter) {
    case 0:
        return kResetAllBound;
    case CDeviceParameter::kTypeMemoryWindow:
        return kResetMemoryWindowBound;
    case CDeviceParameter::kTypePorts:
        return kResetPortsBound;
    case CDeviceParameter::kTypeValue:
    case CDeviceParameter::kTypeInterruptVector:
    case CDeviceParameter::kTypeInterruptTable:
        return kResetValueBound;
    default:
        return kResetParameters;
    }
}

} // namespace emu
