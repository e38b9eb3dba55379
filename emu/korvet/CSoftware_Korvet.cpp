#include "emu/korvet/CSoftware_Korvet.h"

#include "common/CNarrowString.h"
#include "common/CStreamHolder.h"
#include "emu/chips/CProcessor_I8080.h"
#include "emu/framework/CMemory.h"
#include "emu/korvet/CVideo_Korvet.h"

namespace emu {

namespace {

constexpr uint8_t kVersion = 0;

} // namespace

CSoftware_Korvet::CSoftware_Korvet()
    : m_installed(false), m_outputOn(false), m_savedByte(0), m_captureRequested(false), m_processor(nullptr),
      m_video(nullptr) {
    SetName("SOFTWARE");
    SetShortName("SOFT");
}

CSoftware_Korvet::~CSoftware_Korvet() = default;

void CSoftware_Korvet::Connect(CProcessor_I8080* processor, CVideo_Korvet* video) {
    m_processor = processor;
    m_video = video;
}

void CSoftware_Korvet::InstallTrap() {
    if (!m_installed) {
        m_outputOn = false;
        PlaceTrap();
    }
    m_captureRequested = true;
}

void CSoftware_Korvet::InstallTrapAtStart(uint8_t outputOn) {
    m_outputOn = outputOn != 0;
    if (!m_installed)
        PlaceTrap();
    m_captureRequested = true;
}

bool CSoftware_Korvet::OnTrap(void* context, CProcessorInterface* /*processor*/, uint16_t address, uint8_t* opcode,
                              uint8_t query) {
    return static_cast<CSoftware_Korvet*>(context)->HandleTrap(address, opcode, query);
}

bool CSoftware_Korvet::HandleTrap(uint16_t address, uint8_t* opcode, uint8_t query) {
    // Another D9, or one left over from an earlier run: the processor's own RET.
    if (address != kTrapAddress || !m_installed)
        return true;
    if (query == 0 && m_outputOn && m_video != nullptr && m_processor != nullptr)
        m_video->PutChar(static_cast<int8_t>(m_processor->GetBC() & 0xFF));
    // Active: return to the caller at once; passive: the ROM's routine runs.
    *opcode = m_outputOn ? kOpcodeRet : m_savedByte;
    return true;
}

uint8_t* CSoftware_Korvet::GetTrapByte() const {
    if (m_memory == nullptr || m_memory->GetRamBase() == nullptr || m_memory->GetSize() <= kRomImageBase + kTrapAddress)
        return nullptr;
    return m_memory->GetRamBase() + kRomImageBase + kTrapAddress;
}

bool CSoftware_Korvet::PlaceTrap() {
    uint8_t* trapByte = GetTrapByte();
    if (m_processor == nullptr || trapByte == nullptr)
        return false;
    m_processor->SetTrapHook(this, &OnTrap);
    m_savedByte = *trapByte;
    *trapByte = kOpcodeTrap;
    m_installed = true;
    return true;
}

bool CSoftware_Korvet::CollectProperties(common::CSettingsRegistry* registry, bool enabledOnly) {
    return CDevice::CollectProperties(registry, enabledOnly);
}

bool CSoftware_Korvet::ValidateProperties(bool /*enabledOnly*/) {
    return true;
}

bool CSoftware_Korvet::Start(int32_t* value) {
    if (!CDevice::Start(value))
        return false;
    m_installed = false;
    m_captureRequested = false;
    return true;
}

bool CSoftware_Korvet::SaveData(common::CStreamHolder& holder) {
    return CDevice::SaveData(holder) && holder.WriteUInt8Field(kVersion, common::CNarrowString("VER")) &&
           holder.WriteBoolField(m_captureRequested, common::CNarrowString("WCAP")) &&
           holder.WriteUInt8Field(m_savedByte, common::CNarrowString("VT1O"));
}

bool CSoftware_Korvet::LoadData(common::CStreamHolder& holder, common::CNarrowString* errorText) {
    uint8_t version = 0xFF;
    if (!CDevice::LoadData(holder, errorText) || !holder.ReadUInt8Field(version, common::CNarrowString("VER")) ||
        version != kVersion)
        return false;
    bool captureRequested = false;
    if (!holder.ReadBoolField(captureRequested, common::CNarrowString("WCAP")))
        return false;
    m_captureRequested = captureRequested;
    uint8_t savedByte = 0;
    if (!holder.ReadUInt8Field(savedByte, common::CNarrowString("VT1O")))
        return false;
    m_savedByte = savedByte;
    // The loaded memory may hold the trap byte of the saved run while this run
    // has not installed it (a load right after a start), and the machine asks
    // no more once capture was requested: without the hook the ROM's console
    // routine would run as a bare RET. Take the trap over with the saved byte.
    if (m_captureRequested && !m_installed) {
        uint8_t* trapByte = GetTrapByte();
        if (m_processor != nullptr && trapByte != nullptr) {
            m_processor->SetTrapHook(this, &OnTrap);
            *trapByte = kOpcodeTrap;
            m_installed = true;
        }
    }
    return true;
}

} // namespace emu
