#include "emu/framework/CDevice.h"

#include "common/CStreamHolder.h"
#include "emu/framework/CDeviceParameterList.h"
#include "emu/framework/COptionTree.h"

namespace emu {

namespace {

const char kChunkName[] = "_DEV";
const uint8_t kChunkVersion = 0;

} // namespace

CDevice::CDevice()
    : m_parameters(new CDeviceParameterList()), m_machine(nullptr), m_bus(nullptr), m_memory(nullptr), m_ports(nullptr),
      m_interrupts(nullptr), m_hostLink(nullptr), m_keys(nullptr), m_mouse(nullptr), m_drives(nullptr),
      m_started(false), m_irqFlag(false), m_irqLine(0) {}

CDevice::~CDevice() {
    delete m_parameters;
    m_parameters = nullptr;
}

bool CDevice::Start(int32_t* value) {
    m_started = true;
    return CObjectContainer::Start(value);
}

void CDevice::Stop() {
    CObjectContainer::Stop();
    m_parameters->RestoreAll();
    m_started = false;
}

void CDevice::BuildMenu(COptionTree* menu, int32_t kind) {
    if (kind != kMenuDebug) {
        CObjectContainer::BuildMenu(menu, kind);
        return;
    }
    if (menu == nullptr)
        return;
    // A node that a child left empty is kept for the next child.
    COptionTree* node = nullptr;
    for (CObject* child : m_children) {
        if (child == nullptr)
            continue;
        if (child->IsDevice() && static_cast<CDevice*>(child)->IsSelector()) {
            child->BuildMenu(menu, kind);
            continue;
        }
        if (node == nullptr)
            node = new COptionTree();
        child->BuildMenu(node, kind);
        if (node->GetChildCount() > 0) {
            node->SetName(child->GetNameString());
            if (menu->AddChildChecked(node) != nullptr)
                menu->AddCheckedWhenNode(node, true);
            else
                delete node;
            node = nullptr;
        }
        child->BuildMenu(menu, kMenuDebugParent);
    }
    delete node;
}

bool CDevice::IsDevice() const {
    return true;
}

bool CDevice::SaveData(common::CStreamHolder& holder) {
    const common::CNarrowString chunk(kChunkName);
    const common::CNarrowString version("VER");
    return m_parameters->SaveData(holder) && holder.WriteMarker(common::CStreamHolder::kChunkBegin, chunk) &&
           holder.WriteUInt8Field(kChunkVersion, version) &&
           holder.WriteMarker(common::CStreamHolder::kChunkEnd, chunk);
}

bool CDevice::LoadData(common::CStreamHolder& holder, common::CNarrowString* errorText) {
    const common::CNarrowString chunk(kChunkName);
    const common::CNarrowString versionName("VER");
    uint8_t version = 0xFF;
    return m_parameters->LoadData(holder, errorText) &&
           holder.ReadMarker(chunk, common::CStreamHolder::kChunkBegin, nullptr) &&
           holder.ReadUInt8Field(version, versionName) && version == kChunkVersion &&
           holder.ReadMarker(chunk, common::CStreamHolder::kChunkEnd, nullptr);
}

bool CDevice::Reset(uint32_t flags) {
    for (CObject* child : m_children) {
        if (child == nullptr || !child->IsDevice() || !child->IsEnabled())
            continue;
        if (!static_cast<CDevice*>(child)->Reset(flags))
            return false;
    }
    return true;
}

uint32_t CDevice::HandleRequest(uintptr_t /*request*/, uintptr_t /*a*/, uintptr_t /*b*/, uintptr_t /*c*/,
                                uintptr_t /*d*/, uintptr_t /*e*/, uintptr_t /*f*/, uintptr_t /*g*/) {
    return 0;
}

bool CDevice::IsSelector() const {
    return false;
}

bool CDevice::HandleEvent(uint32_t /*event*/, uint8_t /*flag*/, uint32_t /*argument*/) {
    return false;
}

void CDevice::SetServices(CMachineInterface* machine, CBus* bus, CMemory* memory, CPorts* ports,
                          CInterrupts* interrupts, CRenderer* hostLink, CKeys* keys, CDrives* drives, CMouse* mouse) {
    m_machine = machine;
    m_bus = bus;
    m_memory = memory;
    m_ports = ports;
    m_interrupts = interrupts;
    m_hostLink = hostLink;
    m_keys = keys;
    m_mouse = mouse;
    m_drives = drives;
    m_parameters->SetMachine(machine);
}

void CDevice::SetIrq(int32_t line, bool flag, uint8_t parameterFlags) {
    if (!m_parameters->Remove("IRQ") || line < 0)
        return;
    m_irqFlag = flag;
    m_irqLine = static_cast<uint64_t>(static_cast<int64_t>(line));
    m_parameters->AddValue("IRQ", parameterFlags != 0, &m_irqFlag, &m_irqLine);
}

} // namespace emu
