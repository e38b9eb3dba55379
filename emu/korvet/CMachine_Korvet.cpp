// The Korvet machine: models and names, the device tree and its wiring, the
// status texts, the SYSREG settings and Debug menu, and the machine's state.
#include "emu/korvet/CMachine_Korvet.h"

#include "common/COptionNode.h"
#include "common/CSettingsRegistry.h"
#include "common/CStreamHolder.h"
#include "common/CStringList.h"
#include "common/CWideString.h"
#include "emu/chips/CDiskController_WD179X.h"
#include "emu/chips/CInterruptController_I8259.h"
#include "emu/chips/CParallelPort_I8255.h"
#include "emu/chips/CProcessor_I8080.h"
#include "emu/chips/CTimer_I8253.h"
#include "emu/framework/CBus.h"
#include "emu/framework/CDrives.h"
#include "emu/framework/CMediaSlot.h"
#include "emu/framework/COptionTree.h"
#include "emu/korvet/CKeyboard_Korvet.h"
#include "emu/korvet/CSoftware_Korvet.h"
#include "emu/korvet/CVideo_Korvet.h"

namespace emu {

namespace {

struct CModelNames {
    const char* name;
    const char* configName;
    const char* identity;
};

const CModelNames kModels[CMachine_Korvet::kModelCount] = {
    {"Korvet w/BIOS", "korvet", "Generic \"Korvet\" with Emulated BIOS"},
    {"Korvet 1.1", "korvet11", "School Computer \"%s\""},
    {"Korvet 2.0", "korvet20", "School Computer \"%s\""},
    {"Kontur 2.0", "kontur20", "Home Computer \"%s\""},
};

const char kModelTag[] = "korvet";
const uint8_t kStateVersion = 0;
const int32_t kVideoPages = 4;
const int32_t kRamKilobytes = 64;
// Bits of the published status word beside the two register bytes.
constexpr uint32_t kStatusSoundOn = 1u << 16;
constexpr uint32_t kStatusTaken = 1u << 31;

// Timer clocks, Hz.
const uint32_t kSoundClock = 2000000;
const uint32_t kChannel1Clock = 2000000;
const uint32_t kChannel2Clock = 50;

// Adds the device; deletes it when the tree refuses it.
template <typename T>
bool AddOwned(CMachine_Korvet* machine, T*& slot, T* device, const char* name, const char* shortName) {
    if (!machine->AddDevice(device, name, shortName)) {
        delete device;
        slot = nullptr;
        return false;
    }
    slot = device;
    return true;
}

} // namespace

CMachine_Korvet::CMachine_Korvet() : CMachine_Korvet(kModelBios) {}

CMachine_Korvet::CMachine_Korvet(uint32_t model)
    : m_traceWriteSysreg(false), m_breakWriteSysreg(false), m_traceReadSysreg(false), m_breakReadSysreg(false),
      m_model(model), m_cpu(nullptr), m_timer(nullptr), m_pic(nullptr), m_ppi1(nullptr), m_ppi2(nullptr),
      m_ppi3(nullptr), m_fdc(nullptr), m_keyboard(nullptr), m_video(nullptr), m_software(nullptr), m_mapNumber(0),
      m_soundControl(0), m_currentTypes(nullptr), m_currentWindows(nullptr), m_romBase(kNoWindow),
      m_systemBase(kNoWindow), m_ioBase(kNoWindow), m_keyboardBase(kNoWindow), m_textBase(kNoWindow),
      m_graphBase(kNoWindow) {
    SetName(kModels[model < kModelCount ? model : kModelBios].name);
    // The maps are shared tables; the machine starts out pointing at map 0.
    SelectMemoryMap(0);
}

CMachine_Korvet::~CMachine_Korvet() {}

CMachine_Korvet* CMachine_Korvet::CreateModel(uint32_t model) {
    return model < kModelCount ? new CMachine_Korvet(model) : nullptr;
}

CComputer* CMachine_Korvet::CreateSameModel() {
    return CreateModel(m_model);
}

CComputer* CMachine_Korvet::CreateNextModel() {
    return CreateModel(m_model + 1);
}

const char* CMachine_Korvet::GetConfigName() {
    return m_model < kModelCount ? kModels[m_model].configName : kModelTag;
}

const char* CMachine_Korvet::GetModelTag() {
    return kModelTag;
}

void CMachine_Korvet::GetIdentityText(common::CStringList& list) {
    common::CWideString text;
    const uint32_t model = m_model < kModelCount ? m_model : kModelKorvet20;
    text.Format(kModels[model].identity, GetName());
    list.Add(text);
}

void CMachine_Korvet::GetFrequencyText(common::CString& out, int32_t argument) {
    CComputer::GetFrequencyText(out, argument);
    const uint32_t status = m_publishedStatus.load(std::memory_order_acquire);
    if (argument < 0 || !IsStarted() || (status & kStatusTaken) == 0) {
        out.AppendFormat(", RAM=%d Kb", kRamKilobytes);
        return;
    }
    out.AppendFormat(", SYSREG=%.2X, VIREG=%.2X", static_cast<unsigned>(status & 0xFF),
                     static_cast<unsigned>((status >> 8) & 0xFF));
    out.AppendFormat((status & kStatusSoundOn) != 0 ? ", SOUND=On" : ", SOUND=Off");
}

void CMachine_Korvet::PublishStatus() {
    if (!IsStarted() || m_video == nullptr || m_timer == nullptr) {
        m_publishedStatus.store(0, std::memory_order_release);
        return;
    }
    uint32_t status = kStatusTaken | (m_mapNumber & 0xFFu) | ((m_video->GetVireg() & 0xFFu) << 8);
    // Without an output that opened nothing is heard, whatever the timer does.
    const CBus* bus = GetBusService();
    if (m_timer->GetChannel(0)->IsSoundEnabled() && (bus == nullptr || bus->GetFailedSoundOutput() == nullptr))
        status |= kStatusSoundOn;
    m_publishedStatus.store(status, std::memory_order_release);
}

bool CMachine_Korvet::ValidateProperties(bool /*enabledOnly*/) {
    return true;
}

// --- Device tree --------------------------------------------------------------------

bool CMachine_Korvet::Build() {
    if (!CComputer::Build())
        return false;

    if (!AddOwned(this, m_cpu, new CProcessor_I8080(), nullptr, nullptr))
        return false;
    m_cpu->SetFrequency(CProcessor_I8080::kClock);

    if (!AddOwned(this, m_video, new CVideo_Korvet(), "Video Device", "VID"))
        return false;
    if (!m_video->SetVramPageCount(kVideoPages))
        return false;
    m_video->ConnectIrq(kIrqVideo, 1, true);

    if (!AddOwned(this, m_keyboard, new CKeyboard_Korvet(), nullptr, nullptr))
        return false;

    if (!AddOwned(this, m_timer, new CTimer_I8253(), nullptr, nullptr))
        return false;
    CTimerChannel_I8253* speaker = m_timer->GetChannel(0);
    speaker->SetClockFrequency(kSoundClock);
    speaker->SetSoundGeneration(true);
    speaker->SetKeepWaveformOnSameCount(true);
    m_timer->GetChannel(1)->SetClockFrequency(kChannel1Clock);
    m_timer->GetChannel(2)->SetClockFrequency(kChannel2Clock);
    if (!m_timer->GetChannel(2)->ConnectIrq(kIrqTimer))
        return false;

    // The program initialises the controller itself.
    if (!AddOwned(this, m_pic, new CInterruptController_I8259(), nullptr, nullptr))
        return false;

    if (!AddOwned(this, m_ppi1, new CParallelPort_I8255(), "PPI_1 I8255", "PPI_1") ||
        !AddOwned(this, m_ppi2, new CParallelPort_I8255(), "PPI_2 I8255", "PPI_2") ||
        !AddOwned(this, m_ppi3, new CParallelPort_I8255(), "PPI_3 I8255", "PPI_3"))
        return false;
    // The processor reaches the PPIs only through the I/O page, never the port space.
    if (!m_ppi1->ConnectPorts(this, ReadPpiPort, WritePpiPort, kPpi1Base, false, 0, 0) ||
        !m_ppi2->ConnectPorts(this, ReadPpiPort, WritePpiPort, kPpi2Base, false, 0, 0) ||
        !m_ppi3->ConnectPorts(this, ReadPpiPort, WritePpiPort, kPpi3Base, false, 0, 0))
        return false;

    if (!AddOwned(this, m_fdc, new CDiskController_WD179X(), nullptr, nullptr))
        return false;
    CDrives* drives = GetDrivesService();
    if (drives == nullptr || !drives->SetFloppyCount(4))
        return false;
    if (!m_fdc->ConnectIrq(kIrqFloppy, true, true))
        return false;
    CDrivesInterface::SlotList* floppies = drives->GetKindSlots(CDrivesInterface::kFloppy);
    if (floppies == nullptr)
        return false;
    for (size_t i = 0; i < floppies->size() && i < 4; ++i) {
        CMediaSlot* slot = (*floppies)[i];
        if (slot == nullptr || !m_fdc->AddDrive(slot))
            return false;
        slot->AddFileType(common::CNarrowString("kdi"), common::CNarrowString("Korvet Disk Images"));
        slot->AddFileType(common::CNarrowString("img"), common::CNarrowString("Raw Disk Images"));
        slot->AddFileType(common::CNarrowString("ima"), common::CNarrowString("Raw Disk Images"));
        slot->AddFileType(common::CNarrowString("dsk"), common::CNarrowString("Raw Disk Images"));
    }

    if (!AddOwned(this, m_software, new CSoftware_Korvet(), nullptr, nullptr))
        return false;
    m_software->Connect(m_cpu, m_video);
    return true;
}

// --- Settings and Debug menu ---------------------------------------------------------

bool CMachine_Korvet::CollectProperties(common::CSettingsRegistry* registry, bool enabledOnly) {
    if (!enabledOnly && registry != nullptr) {
        registry->BindBool(common::CNarrowString("TraceWriteSYSREG"), &m_traceWriteSysreg);
        registry->BindBool(common::CNarrowString("BreakWriteSYSREG"), &m_breakWriteSysreg);
        registry->BindBool(common::CNarrowString("TraceReadSYSREG"), &m_traceReadSysreg);
        registry->BindBool(common::CNarrowString("BreakReadSYSREG"), &m_breakReadSysreg);
    }
    return CComputer::CollectProperties(registry, enabledOnly);
}

void CMachine_Korvet::BuildMenu(COptionTree* menu, int32_t kind) {
    if (kind == kMenuDebug && menu != nullptr) {
        common::COptionNode* board = menu->CreateChild(common::CNarrowString("Motherboard"));
        if (board != nullptr) {
            auto byte = [](bool& flag) { return reinterpret_cast<uint8_t*>(&flag); };
            bool* const all[] = {&m_traceWriteSysreg, &m_traceReadSysreg, &m_breakWriteSysreg, &m_breakReadSysreg};
            auto check = [&](const char* caption, bool& flag) {
                if (common::COptionNode* item =
                        board->CreateCheckItem(common::CNarrowString(caption), byte(flag), 1, nullptr, 0))
                    board->AddCheckedWhenNode(item, true);
            };
            auto setter = [&](const char* caption, bool* const* flags, int count, uint8_t value) {
                common::COptionNode* item = board->CreateChild(common::CNarrowString(caption));
                for (int i = 0; item != nullptr && i < count; ++i)
                    item->AddActionSetByte(byte(*flags[i]), value);
            };
            check("Trace Write SYSREG", m_traceWriteSysreg);
            check("Trace Read SYSREG", m_traceReadSysreg);
            setter("Trace All", all, 2, 1);
            board->CreateUnnamedChild();
            check("Break On Write SYSREG", m_breakWriteSysreg);
            check("Break On Read SYSREG", m_breakReadSysreg);
            setter("Break On All", all + 2, 2, 1);
            board->CreateUnnamedChild();
            setter("Select All", all, 4, 1);
            setter("Clear All", all, 4, 0);
            menu->AddCheckedWhenNode(board, true);
        }
    }
    CComputer::BuildMenu(menu, kind);
}

// --- State ----------------------------------------------------------------------------

bool CMachine_Korvet::SaveData(common::CStreamHolder& holder) {
    return CComputer::SaveData(holder) && holder.WriteUInt8Field(kStateVersion, common::CNarrowString("VER")) &&
           holder.WriteUInt8Field(static_cast<uint8_t>(m_model), common::CNarrowString("MMDL")) &&
           holder.WriteUInt16Field(m_mapNumber, common::CNarrowString("SYSR")) &&
           holder.WriteUInt16Field(m_soundControl, common::CNarrowString("SNDC"));
}

bool CMachine_Korvet::LoadData(common::CStreamHolder& holder, common::CNarrowString* errorText) {
    if (!CComputer::LoadData(holder, errorText))
        return false;
    uint8_t version = 0xFF;
    if (!holder.ReadUInt8Field(version, common::CNarrowString("VER")) || version != kStateVersion)
        return false;
    // A state of another model would meet other ROMs and windows.
    uint8_t model = 0xFF;
    if (!holder.ReadUInt8Field(model, common::CNarrowString("MMDL")) || model != m_model)
        return false;
    uint16_t map = 0;
    if (!holder.ReadUInt16Field(map, common::CNarrowString("SYSR")))
        return false;
    // The map number and the selected tables always agree, also when a later
    // field fails; a number beyond the 32 maps wraps into them.
    SelectMemoryMap(static_cast<uint32_t>(map) << 2);
    return holder.ReadUInt16Field(m_soundControl, common::CNarrowString("SNDC"));
}

} // namespace emu
