// The floppy controller's life cycle, state record, settings keys, Debug menu
// and image geometry rules.
#include <cstring>

#include "common/CNarrowString.h"
#include "common/CSettingsRegistry.h"
#include "common/CStreamHolder.h"
#include "common/CWideString.h"
#include "emu/chips/CDiskController_WD179X.h"
#include "emu/framework/CDiskDrive.h"
#include "emu/framework/CMediaSlot.h"
#include "emu/framework/COptionTree.h"

namespace emu {

namespace {

// Version 1 adds the blink count (BLNK); version 0 states still load and
// keep the count the controller has.
const uint8_t kVersion = 1;
const uint8_t kVersionWithoutBlink = 0;

// Images in the machine's own format that lost their tail are grown back to
// the full 819,200 bytes in interface mode 0.
constexpr uint64_t kShortImageMinimum = 740000;
constexpr uint64_t kFullImageSize = 819200;
constexpr uint64_t kHalfImageSize = 409600;
// Bytes an image may carry beyond its geometry and still be recognised.
constexpr uint64_t kFullImageSlack = 102399;
constexpr uint64_t kHalfImageSlack = 51199;

struct CGeometryEntry {
    uint64_t size;
    uint64_t cylinders;
    uint64_t heads;
    uint64_t sectors;
    uint64_t sectorSize;
};

const CGeometryEntry kGeometries[] = {
    {163840, 40, 1, 8, 512},   {184320, 40, 1, 9, 512},  {204800, 40, 1, 10, 512},  {327680, 40, 2, 8, 512},
    {368640, 40, 2, 9, 512},   {409600, 40, 2, 10, 512}, {655360, 80, 2, 8, 512},   {737280, 80, 2, 9, 512},
    {819200, 80, 2, 5, 1024},  {839680, 82, 2, 20, 256}, {1228800, 80, 2, 15, 512}, {1474560, 80, 2, 18, 512},
    {2949120, 80, 2, 36, 512},
};

void SetGeometry(uint64_t* cylinders, uint64_t* heads, uint64_t* sectors, uint64_t* sectorSize, uint64_t c, uint64_t h,
                 uint64_t s, uint64_t z) {
    *cylinders = c;
    *heads = h;
    *sectors = s;
    *sectorSize = z;
}

// One menu item per register direction, in menu order: {write, register, caption}.
struct CMenuItem {
    bool write;
    int32_t reg;
    const char* caption;
};

const CMenuItem kMenuItems[] = {
    {true, CDiskController_WD179X::kRegCommand, "Write COMMAND"},
    {false, CDiskController_WD179X::kRegCommand, "Read STATUS"},
    {true, CDiskController_WD179X::kRegData, "Write DATA"},
    {false, CDiskController_WD179X::kRegData, "Read DATA"},
    {true, CDiskController_WD179X::kRegDrive, "Write DRIVE"},
    {false, CDiskController_WD179X::kRegDrive, "Read DRIVE"},
    {true, CDiskController_WD179X::kRegTrack, "Write TRACK"},
    {false, CDiskController_WD179X::kRegTrack, "Read TRACK"},
    {true, CDiskController_WD179X::kRegSector, "Write SECTOR"},
    {false, CDiskController_WD179X::kRegSector, "Read SECTOR"},
};

uint8_t* Bytes(bool* flags) {
    return reinterpret_cast<uint8_t*>(flags);
}

common::COptionNodeInterface* AddItem(common::COptionNodeInterface* menu, const char* caption) {
    return menu->CreateChild(common::CWideString(caption));
}

// Ten (or twelve) check items over the read and write flags, a separator and
// Select All / Clear All over the fourteen flags from `first`; the Select All item.
common::COptionNodeInterface* AddRegisterItems(common::COptionNodeInterface* menu, bool* readFlags, bool* writeFlags,
                                               bool* first, bool mode2, bool motor) {
    for (const CMenuItem& item : kMenuItems) {
        const char* caption = item.caption;
        if (mode2 && !item.write && item.reg == CDiskController_WD179X::kRegDrive)
            caption = "Read IRQSTS";
        bool* flag = item.write ? &writeFlags[item.reg] : &readFlags[item.reg];
        menu->CreateCheckItem(common::CWideString(caption), Bytes(flag), 1, nullptr, 1);
    }
    if (motor) {
        menu->CreateCheckItem(common::CWideString("Write MOTOR"), Bytes(&writeFlags[CDiskController_WD179X::kRegMotor]),
                              1, nullptr, 1);
        menu->CreateCheckItem(common::CWideString("Read MOTOR"), Bytes(&readFlags[CDiskController_WD179X::kRegMotor]),
                              1, nullptr, 1);
    }
    menu->CreateUnnamedChild();
    const int32_t count = 2 * CDiskController_WD179X::kRegisterCount;
    common::COptionNodeInterface* selectAll = AddItem(menu, "Select All");
    if (selectAll != nullptr)
        selectAll->AddActionSetBytes(Bytes(first), 1, count);
    common::COptionNodeInterface* clearAll = AddItem(menu, "Clear All");
    if (clearAll != nullptr)
        clearAll->AddActionSetBytes(Bytes(first), 0, count);
    return selectAll;
}

} // namespace

// --- Life cycle ------------------------------------------------------------------------

bool CDiskController_WD179X::Start(int32_t* value) {
    m_selected = nullptr;
    if (!CDiskController::Start(value))
        return false;
    // The transfer counters keep their values; nothing reads them while idle.
    m_reg.DRVR = m_reg.CMDR = m_reg.STSR = m_reg.TRKR = m_reg.DATR = 0;
    m_reg.IMSK = m_reg.HIDX = m_reg.TSTP = 0;
    m_reg.SECR = 1;
    m_reg.WIRQ = false;
    m_state = CommandState::Idle;
    m_blink.store(0, std::memory_order_relaxed);
    // Bound again by the "IRQ" parameter when the machine binds parameters.
    m_irqFlag = false;
    return true;
}

int32_t CDiskController_WD179X::GetSelectedIndex() const {
    for (int32_t i = 0; i < GetDriveCount(); ++i) {
        if (m_drives[static_cast<size_t>(i)] == m_selected && m_selected != nullptr)
            return i;
    }
    return -1;
}

// --- State -----------------------------------------------------------------------------

bool CDiskController_WD179X::SaveData(common::CStreamHolder& holder) {
    const uint8_t driveIndex = static_cast<uint8_t>(GetSelectedIndex() + 1);
    const uint8_t state = static_cast<uint8_t>(m_state);
    return CDiskController::SaveData(holder) && holder.WriteUInt8Field(kVersion, common::CNarrowString("VER")) &&
           holder.WriteUInt8Field(driveIndex, common::CNarrowString("DIDX")) &&
           holder.WriteUInt8Field(state, common::CNarrowString("WMOD")) &&
           holder.WriteInt32Field(m_reg.DRVR, common::CNarrowString("DRVR")) &&
           holder.WriteInt32Field(m_reg.CMDR, common::CNarrowString("CMDR")) &&
           holder.WriteInt32Field(m_reg.STSR, common::CNarrowString("STSR")) &&
           holder.WriteInt32Field(m_reg.TRKR, common::CNarrowString("TRKR")) &&
           holder.WriteInt32Field(m_reg.SECR, common::CNarrowString("SECR")) &&
           holder.WriteInt32Field(m_reg.DATR, common::CNarrowString("DATR")) &&
           holder.WriteInt32Field(m_reg.IMSK, common::CNarrowString("IMSK")) &&
           holder.WriteInt32Field(m_reg.HIDX, common::CNarrowString("HIDX")) &&
           holder.WriteInt32Field(m_reg.TSTP, common::CNarrowString("TSTP")) &&
           holder.WriteInt32Field(m_reg.SCTD, common::CNarrowString("SCTD")) &&
           holder.WriteInt32Field(m_reg.BYTD, common::CNarrowString("BYTD")) &&
           holder.WriteBoolField(m_reg.WIRQ, common::CNarrowString("WIRQ")) &&
           holder.WriteUInt32Field(m_blink.load(std::memory_order_relaxed), common::CNarrowString("BLNK"));
}

bool CDiskController_WD179X::LoadData(common::CStreamHolder& holder, common::CNarrowString* errorText) {
    uint8_t version = 0xFF;
    if (!CDiskController::LoadData(holder, errorText) ||
        !holder.ReadUInt8Field(version, common::CNarrowString("VER")) ||
        (version != kVersion && version != kVersionWithoutBlink))
        return false;
    uint8_t driveIndex = 0;
    if (!holder.ReadUInt8Field(driveIndex, common::CNarrowString("DIDX")) || driveIndex > GetDriveCount())
        return false;
    CDiskDrive* selected = nullptr;
    if (driveIndex != 0) {
        selected = GetDrive(driveIndex - 1);
        if (selected == nullptr)
            return false;
    }
    m_selected = selected;
    uint8_t state = 0;
    if (!holder.ReadUInt8Field(state, common::CNarrowString("WMOD")) ||
        state > static_cast<uint8_t>(CommandState::Handshake))
        return false;
    m_state = static_cast<CommandState>(state);
    return holder.ReadInt32Field(m_reg.DRVR, common::CNarrowString("DRVR")) &&
           holder.ReadInt32Field(m_reg.CMDR, common::CNarrowString("CMDR")) &&
           holder.ReadInt32Field(m_reg.STSR, common::CNarrowString("STSR")) &&
           holder.ReadInt32Field(m_reg.TRKR, common::CNarrowString("TRKR")) &&
           holder.ReadInt32Field(m_reg.SECR, common::CNarrowString("SECR")) &&
           holder.ReadInt32Field(m_reg.DATR, common::CNarrowString("DATR")) &&
           holder.ReadInt32Field(m_reg.IMSK, common::CNarrowString("IMSK")) &&
           holder.ReadInt32Field(m_reg.HIDX, common::CNarrowString("HIDX")) &&
           holder.ReadInt32Field(m_reg.TSTP, common::CNarrowString("TSTP")) &&
           holder.ReadInt32Field(m_reg.SCTD, common::CNarrowString("SCTD")) &&
           holder.ReadInt32Field(m_reg.BYTD, common::CNarrowString("BYTD")) &&
           holder.ReadBoolField(m_reg.WIRQ, common::CNarrowString("WIRQ")) && LoadBlink(holder, version);
}

bool CDiskController_WD179X::LoadBlink(common::CStreamHolder& holder, uint8_t version) {
    if (version == kVersionWithoutBlink)
        return true;
    uint32_t blink = 0;
    if (!holder.ReadUInt32Field(blink, common::CNarrowString("BLNK")))
        return false;
    m_blink.store(blink, std::memory_order_relaxed);
    return true;
}

// --- Settings --------------------------------------------------------------------------

void CDiskController_WD179X::RegisterIndexedKey(common::CSettingsRegistry* registry, const char* name, bool* flags) {
    if (registry == nullptr)
        return;
    common::CNarrowString key;
    for (int32_t i = 0; i < kRegisterCount; ++i) {
        key.Format("%s[%ld]", name, static_cast<long>(i));
        registry->BindBool(key, &flags[i]);
    }
}

bool CDiskController_WD179X::CollectProperties(common::CSettingsRegistry* registry, bool enabledOnly) {
    if (!enabledOnly) {
        RegisterIndexedKey(registry, "TraceReadREG", m_flags[kTraceRead]);
        RegisterIndexedKey(registry, "BreakReadREG", m_flags[kBreakRead]);
        RegisterIndexedKey(registry, "TraceWriteREG", m_flags[kTraceWrite]);
        RegisterIndexedKey(registry, "BreakWriteREG", m_flags[kBreakWrite]);
    }
    return CDiskController::CollectProperties(registry, enabledOnly);
}

bool CDiskController_WD179X::ValidateProperties(bool enabledOnly) {
    const bool result = CDiskController::ValidateProperties(enabledOnly);
    // Registers 5 and 6 exist only in the wide port layout.
    if (m_interfaceMode != 2) {
        for (bool* flags : m_flags) {
            flags[kRegNone] = false;
            flags[kRegMotor] = false;
        }
    }
    return result;
}

// --- Debug menu ------------------------------------------------------------------------

void CDiskController_WD179X::BuildMenu(COptionTree* menu, int32_t kind) {
    CDiskController::BuildMenu(menu, kind);
    if (kind != kMenuDebug || menu == nullptr)
        return;
    const bool mode2 = m_interfaceMode == 2;

    common::COptionNodeInterface* traceMenu = AddItem(menu, "Trace Registers");
    common::COptionNodeInterface* traceAll = nullptr;
    if (traceMenu != nullptr)
        traceAll =
            AddRegisterItems(traceMenu, m_flags[kTraceRead], m_flags[kTraceWrite], m_flags[kTraceRead], mode2, mode2);
    common::COptionNodeInterface* traceAllItem = AddItem(menu, "Trace All");
    if (traceAllItem != nullptr && traceAll != nullptr)
        traceAllItem->AddActionActivate(traceAll);
    menu->CreateUnnamedChild();

    common::COptionNodeInterface* breakMenu = AddItem(menu, "Break On Registers");
    common::COptionNodeInterface* breakAll = nullptr;
    if (breakMenu != nullptr)
        breakAll =
            AddRegisterItems(breakMenu, m_flags[kBreakRead], m_flags[kBreakWrite], m_flags[kBreakRead], mode2, false);
    common::COptionNodeInterface* breakAllItem = AddItem(menu, "Break On All");
    if (breakAllItem != nullptr && breakAll != nullptr)
        breakAllItem->AddActionActivate(breakAll);
    menu->CreateUnnamedChild();

    const int32_t all = kFlagArrays * kRegisterCount;
    common::COptionNodeInterface* selectAll = AddItem(menu, "Select All");
    if (selectAll != nullptr)
        selectAll->AddActionSetBytes(Bytes(&m_flags[0][0]), 1, all);
    common::COptionNodeInterface* clearAll = AddItem(menu, "Clear All");
    if (clearAll != nullptr)
        clearAll->AddActionSetBytes(Bytes(&m_flags[0][0]), 0, all);
}

// --- Image geometry --------------------------------------------------------------------

bool CDiskController_WD179X::FitsImageSize(int32_t drive, uint64_t size) {
    if (GetDrive(drive) == nullptr)
        return false;
    // A slightly short image is grown to the full format when the drive examines it.
    if (m_interfaceMode == 0 && size >= kShortImageMinimum && size < kFullImageSize)
        return true;
    for (const CGeometryEntry& entry : kGeometries) {
        if (entry.size == size)
            return true;
    }
    return (size > kFullImageSize && size - kFullImageSize <= kFullImageSlack) ||
           (size > kHalfImageSize && size - kHalfImageSize <= kHalfImageSlack);
}

bool CDiskController_WD179X::GetGeometry(int32_t drive, bool validate, uint64_t* cylinders, uint64_t* heads,
                                         uint64_t* sectors, uint64_t* sectorSize) {
    CDiskDrive* target = GetDrive(drive);
    if (target == nullptr)
        return false;
    if (validate) {
        return *sectors == 5 && *sectorSize == 1024 &&
               ((*cylinders == 80 && (*heads == 1 || *heads == 2)) || (*cylinders == 40 && *heads == 2));
    }
    CMediaSlot* slot = target->GetMediaSlot();
    if (slot == nullptr) {
        target->SetImageSize(0);
        return false;
    }
    uint64_t size = target->GetImageSize();
    if (m_interfaceMode == 0 && size >= kShortImageMinimum && size < kFullImageSize) {
        if (!slot->GetImage()->SetSize(static_cast<int64_t>(kFullImageSize)))
            return false;
        target->SetImageSize(static_cast<uint64_t>(slot->GetImage()->GetSize()));
        size = target->GetImageSize();
    }
    for (const CGeometryEntry& entry : kGeometries) {
        if (entry.size != size)
            continue;
        if (size == kFullImageSize && m_interfaceMode == 2)
            SetGeometry(cylinders, heads, sectors, sectorSize, 80, 2, 10, 512);
        else if (size == 839680 && m_interfaceMode == 1)
            SetGeometry(cylinders, heads, sectors, sectorSize, 82, 2, 5, 1024);
        else
            SetGeometry(cylinders, heads, sectors, sectorSize, entry.cylinders, entry.heads, entry.sectors,
                        entry.sectorSize);
        return true;
    }
    if (size > kFullImageSize && size - kFullImageSize <= kFullImageSlack) {
        SetGeometry(cylinders, heads, sectors, sectorSize, 80, 2, 5, 1024);
        return true;
    }
    if (size > kHalfImageSize && size - kHalfImageSize <= kHalfImageSlack) {
        SetGeometry(cylinders, heads, sectors, sectorSize, 40, 2, 5, 1024);
        return true;
    }
    return false;
}

} // namespace emu
