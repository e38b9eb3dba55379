// The 8080's device side: its state fields, the register view, and the trace
// and break switches of the RST and interrupt entries with their Debug menu
// and settings.
#include "emu/chips/CProcessor_I8080.h"

#include "common/CNarrowString.h"
#include "common/CSettingsRegistry.h"
#include "common/CStreamHolder.h"
#include "common/CStringList.h"
#include "common/CWideString.h"
#include "emu/framework/COptionTree.h"

namespace emu {

namespace {

const uint8_t kStateVersion = 0;

struct CName : common::CNarrowString {
    explicit CName(const char* text) : common::CNarrowString(text) {}
};

// The menu stores the switches as bytes of 0 or 1.
uint8_t* AsByte(bool* flag) {
    return reinterpret_cast<uint8_t*>(flag);
}

// A sub-menu of eight switches ("RST 0" ...) with "Select All" and "Clear
// All"; checked while any switch is on. Answers its "Select All" item.
common::COptionNodeInterface* AddSwitchMenu(common::COptionNodeInterface* menu, const char* caption,
                                            const char* itemFormat, bool* flags, int count) {
    common::COptionNodeInterface* sub = menu->CreateChild(common::CNarrowString(caption));
    if (sub == nullptr)
        return nullptr;
    common::CNarrowString text;
    for (int i = 0; i < count; ++i) {
        text.Format(itemFormat, static_cast<long>(i));
        common::COptionNodeInterface* item = sub->CreateCheckItem(text, AsByte(&flags[i]), 1, nullptr, 0);
        if (item != nullptr)
            sub->AddCheckedWhenNode(item, true);
    }
    sub->CreateUnnamedChild();
    common::COptionNodeInterface* selectAll = sub->CreateChild(common::CNarrowString("Select All"));
    if (selectAll != nullptr)
        selectAll->AddActionSetBytes(AsByte(flags), 1, count);
    common::COptionNodeInterface* clearAll = sub->CreateChild(common::CNarrowString("Clear All"));
    if (clearAll != nullptr)
        clearAll->AddActionSetBytes(AsByte(flags), 0, count);
    return selectAll;
}

} // namespace

// --- State ----------------------------------------------------------------------------------------

bool CProcessor_I8080::SaveData(common::CStreamHolder& holder) {
    return CProcessor::SaveData(holder) && holder.WriteUInt8Field(kStateVersion, CName("VER")) &&
           holder.WriteUInt8Field(m_a, CName("A")) && holder.WriteUInt8Field(m_f, CName("FLAGS")) &&
           holder.WriteUInt16Field(m_bc, CName("BC")) && holder.WriteUInt16Field(m_de, CName("DE")) &&
           holder.WriteUInt16Field(m_hl, CName("HL")) && holder.WriteUInt16Field(m_pc, CName("PC")) &&
           holder.WriteUInt16Field(m_sp, CName("SP")) && holder.WriteUInt8Field(m_pendingOpcode, CName("PEOP")) &&
           holder.WriteUInt16Field(m_pendingPC, CName("PEPC"));
}

bool CProcessor_I8080::LoadData(common::CStreamHolder& holder, common::CNarrowString* errorText) {
    if (!CProcessor::LoadData(holder, errorText))
        return false;
    uint8_t version = 0xFF;
    if (!holder.ReadUInt8Field(version, CName("VER")) || version != kStateVersion)
        return false;
    uint8_t flags = 0;
    const bool ok = holder.ReadUInt8Field(m_a, CName("A")) && holder.ReadUInt8Field(flags, CName("FLAGS"));
    if (!ok)
        return false;
    // No instruction can give the fixed bits other values; a file cannot either.
    SetF(flags);
    return holder.ReadUInt16Field(m_bc, CName("BC")) && holder.ReadUInt16Field(m_de, CName("DE")) &&
           holder.ReadUInt16Field(m_hl, CName("HL")) && holder.ReadUInt16Field(m_pc, CName("PC")) &&
           holder.ReadUInt16Field(m_sp, CName("SP")) && holder.ReadUInt8Field(m_pendingOpcode, CName("PEOP")) &&
           holder.ReadUInt16Field(m_pendingPC, CName("PEPC"));
}

// --- Register view ----------------------------------------------------------------------------------

bool CProcessor_I8080::FormatRegisters(common::CStringList* list, bool perRegister) {
    if (list == nullptr)
        return false;
    char flags[6];
    FormatFlags(m_f, flags);
    common::CNarrowString line;
    if (perRegister) {
        line.Format("~%s", GetShortName());
        list->Add(line);
        line.Format("AF=%.4lXh", static_cast<unsigned long>((m_a << 8) | m_f));
        list->Add(line);
        line.Format("BC=%.4lXh", static_cast<unsigned long>(m_bc));
        list->Add(line);
        line.Format("DE=%.4lXh", static_cast<unsigned long>(m_de));
        list->Add(line);
        line.Format("HL=%.4lXh", static_cast<unsigned long>(m_hl));
        list->Add(line);
        line.Format("PC=%.4lXh", static_cast<unsigned long>(m_pc));
        list->Add(line);
        line.Format("SP=%.4lXh", static_cast<unsigned long>(m_sp));
        list->Add(line);
        line.Format("%s I%c", flags, m_ahwi ? '+' : '-');
        list->Add(line);
        return true;
    }
    line.Format("%s, Frequency=%ld, Cycles=%ld (-%ld), Flags: %s (%.2lXh)", GetName(),
                static_cast<long>(GetFrequency()), static_cast<long>(static_cast<uint32_t>(GetCycleCount())),
                static_cast<long>(m_paidCycles), flags, static_cast<unsigned long>(m_f));
    list->Add(line);
    line.Format("    A=%.2lXh, BC=%.4lXh, DE=%.4lXh, HL=%.4lXh, PC=%.4lXh, SP=%.4lXh", static_cast<unsigned long>(m_a),
                static_cast<unsigned long>(m_bc), static_cast<unsigned long>(m_de), static_cast<unsigned long>(m_hl),
                static_cast<unsigned long>(m_pc), static_cast<unsigned long>(m_sp));
    list->Add(line);
    return true;
}

// --- Debug menu and settings ------------------------------------------------------------------------

void CProcessor_I8080::BuildMenu(COptionTree* menu, int32_t kind) {
    CProcessor::BuildMenu(menu, kind);
    if (menu == nullptr || kind != kMenuDebug)
        return;
    common::COptionNodeInterface* traceSoftware =
        AddSwitchMenu(menu, "Trace S/W Interrupts", "RST %ld", m_traceSoftware, kSwitches);
    common::COptionNodeInterface* traceHardware =
        AddSwitchMenu(menu, "Trace H/W Interrupts", "IRQ %ld", m_traceHardware, kSwitches);
    common::COptionNodeInterface* traceAll = menu->CreateChild(common::CNarrowString("Trace All"));
    if (traceAll != nullptr) {
        traceAll->AddActionActivate(traceSoftware);
        traceAll->AddActionActivate(traceHardware);
    }
    menu->CreateUnnamedChild();
    common::COptionNodeInterface* breakSoftware =
        AddSwitchMenu(menu, "Break On S/W Interrupts", "RST %ld", m_breakSoftware, kSwitches);
    common::COptionNodeInterface* breakHardware =
        AddSwitchMenu(menu, "Break On H/W Interrupts", "IRQ %ld", m_breakHardware, kSwitches);
    common::COptionNodeInterface* breakAll = menu->CreateChild(common::CNarrowString("Break On All"));
    if (breakAll != nullptr) {
        breakAll->AddActionActivate(breakSoftware);
        breakAll->AddActionActivate(breakHardware);
    }
}

bool CProcessor_I8080::CollectProperties(common::CSettingsRegistry* registry, bool enabledOnly) {
    if (!enabledOnly && registry != nullptr) {
        common::CNarrowString name;
        for (int n = 0; n < kSwitches; ++n) {
            name.Format("TraceSWInt%.2lX", static_cast<unsigned long>(n));
            registry->BindBool(name, &m_traceSoftware[n]);
            name.Format("BreakSWInt%.2lX", static_cast<unsigned long>(n));
            registry->BindBool(name, &m_breakSoftware[n]);
            name.Format("TraceHWInt%.2lX", static_cast<unsigned long>(n));
            registry->BindBool(name, &m_traceHardware[n]);
            name.Format("BreakHWInt%.2lX", static_cast<unsigned long>(n));
            registry->BindBool(name, &m_breakHardware[n]);
        }
    }
    return CProcessor::CollectProperties(registry, enabledOnly);
}

} // namespace emu
