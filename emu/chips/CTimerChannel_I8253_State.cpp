// The channel's state section, its settings keys and its Debug menu.
#include <cmath>
#include <new>
#include <vector>

#include "common/CSettingsRegistry.h"
#include "common/CStreamHolder.h"
#include "common/CWideString.h"
#include "common/LittleEndian.h"
#include "emu/chips/CTimerChannel_I8253.h"
#include "emu/framework/COptionTree.h"

namespace emu {

namespace {

// Version 1 adds the sound block in progress (SBFQ to SSLT); version 0
// states still load, their first block after the load left silent.
constexpr uint8_t kStateVersion = 1;
constexpr uint8_t kStateVersionWithoutBlock = 0;
// A slot in the state: changed, level, enabled, then high, low, remaining.
constexpr int64_t kSlotRecordSize = 3 + 3 * 8;
// Samples of a block at the highest sample rate over the fewest blocks a second.
constexpr int64_t kMaxStateBlockSamples = 44100;
constexpr uint8_t kStatusWaiting = 4; // DRDS bit 2
constexpr int32_t kTextSelectAll = 78;
constexpr int32_t kTextClearAll = 79;
constexpr int kMaxOffered = 13; // 4 port, 2 sound, 1 interrupt and 6 mode flags

typedef common::CNarrowString CName;

bool WriteDouble(common::CStreamHolder& holder, double value, const char* name) {
    uint8_t bytes[8];
    common::StoreLittleDouble(bytes, value);
    return holder.WriteBlobField(bytes, sizeof(bytes), CName(name));
}

bool ReadDouble(common::CStreamHolder& holder, double& value, const char* name) {
    uint8_t bytes[8];
    if (!holder.ReadBlobField(bytes, sizeof(bytes), CName(name)))
        return false;
    value = common::LoadLittleDouble(bytes);
    return true;
}

uint8_t* Byte(bool* flag) {
    return reinterpret_cast<uint8_t*>(flag);
}

} // namespace

// --- State section ----------------------------------------------------------------------------

bool CTimerChannel_I8253::SaveData(common::CStreamHolder& holder) {
    if (!CDevice::SaveData(holder))
        return false;
    const CRegisters& r = m_regs;
    const uint8_t drds = static_cast<uint8_t>(static_cast<uint8_t>(r.DRDS) | (r.statusLatched ? kStatusWaiting : 0));
    bool ok = holder.WriteUInt8Field(kStateVersion, CName("VER"));
    ok = ok && holder.WriteBoolField(m_soundGeneration, CName("SNDG"));
    if (m_soundGeneration) {
        ok = ok && holder.WriteInt64Field(m_SNDH, CName("SNDH"));
        ok = ok && holder.WriteInt64Field(m_SNDL, CName("SNDL"));
        ok = ok && holder.WriteInt64Field(m_SNDR, CName("SNDR"));
        ok = ok && holder.WriteBoolField(m_SNDX, CName("SNDX"));
    }
    ok = ok && holder.WriteBoolField(r.ZCR, CName("ZCR"));
    ok = ok && holder.WriteUInt16Field(r.CR, CName("CR"));
    ok = ok && holder.WriteUInt8Field(r.CRT, CName("CRT"));
    ok = ok && holder.WriteUInt16Field(r.CE, CName("CE"));
    ok = ok && holder.WriteUInt16Field(r.OL, CName("OL"));
    ok = ok && holder.WriteUInt8Field(r.RSTA, CName("RSTA"));
    ok = ok && holder.WriteUInt8Field(r.LSTA, CName("LSTA"));
    ok = ok && holder.WriteUInt8Field(r.CWR, CName("CWR"));
    ok = ok && holder.WriteBoolField(r.LTCH, CName("LTCH"));
    ok = ok && holder.WriteBoolField(r.INPT, CName("INPT"));
    ok = ok && holder.WriteBoolField(r.OUTP, CName("OUTP"));
    ok = ok && holder.WriteBoolField(r.SGNL, CName("SGNL"));
    ok = ok && holder.WriteUInt8Field(static_cast<uint8_t>(r.DWRS), CName("DWRS"));
    ok = ok && holder.WriteUInt8Field(drds, CName("DRDS"));
    ok = ok && holder.WriteUInt16Field(r.CRU, CName("CRU"));
    ok = ok && WriteDouble(holder, m_wave.CEH, "CEH");
    ok = ok && WriteDouble(holder, m_wave.CEL, "CEL");
    ok = ok && WriteDouble(holder, m_wave.CEHX, "CEHX");
    ok = ok && WriteDouble(holder, m_wave.CELX, "CELX");
    ok = ok && holder.WriteBoolField(m_wave.CER, CName("CER"));
    ok = ok && holder.WriteBoolField(m_wave.CES, CName("CES"));
    ok = ok && holder.WriteBoolField(m_wave.CECO, CName("CECO"));
    ok = ok && holder.WriteBoolField(r.LGAT, CName("LGAT"));
    ok = ok && holder.WriteBoolField(r.MNOD, CName("MNOD"));
    ok = ok && holder.WriteUInt32Field(r.INTC, CName("INTC"));
    ok = ok && holder.WriteInt64Field(r.CEFF, CName("CEFF"));
    ok = ok && WriteDouble(holder, r.STTM, "STTM");
    ok = ok && WriteDouble(holder, r.CETM, "CETM");
    ok = ok && holder.WriteUInt32Field(r.BFRQ, CName("BFRQ"));
    ok = ok && holder.WriteUInt32Field(static_cast<uint32_t>(r.BFRO), CName("BFRO"));
    ok = ok && holder.WriteBoolField(r.SWCH, CName("SWCH"));
    if (ok && m_soundGeneration)
        ok = SaveSoundBlock(holder);
    return ok;
}

bool CTimerChannel_I8253::SaveSoundBlock(common::CStreamHolder& holder) {
    // The slots of the block being recorded decide how the phase lengths go
    // on at the next block, so they travel with the state; the slots not yet
    // written this block still hold what the renderer will find there.
    const bool inProgress = m_soundBuffer != nullptr && m_slots != nullptr && m_soundBufferSamples > 0 &&
                            m_soundBufferSamples <= kMaxStateBlockSamples;
    const int64_t samples = inProgress ? m_soundBufferSamples : 0;
    bool ok = holder.WriteInt32Field(m_blockFrequency, CName("SBFQ")) &&
              holder.WriteInt64Field(samples, CName("SBSZ")) &&
              holder.WriteInt32Field(m_firstSampleValue, CName("SFSV")) &&
              holder.WriteInt32Field(m_secondSampleValue, CName("SSSV")) &&
              holder.WriteBoolField(inProgress && m_slotsValid, CName("SSLV"));
    if (!ok || samples == 0)
        return ok;
    std::vector<uint8_t> bytes(static_cast<size_t>(samples * kSlotRecordSize));
    uint8_t* out = bytes.data();
    for (int64_t i = 0; i < samples; ++i, out += kSlotRecordSize) {
        const CSlot& slot = m_slots[i];
        out[0] = slot.changed ? 1 : 0;
        out[1] = slot.level ? 1 : 0;
        out[2] = slot.enabled ? 1 : 0;
        common::StoreLittle<uint64_t>(out + 3, static_cast<uint64_t>(slot.high));
        common::StoreLittle<uint64_t>(out + 11, static_cast<uint64_t>(slot.low));
        common::StoreLittle<uint64_t>(out + 19, static_cast<uint64_t>(slot.remaining));
    }
    return holder.WriteBlobField(bytes.data(), static_cast<int64_t>(bytes.size()), CName("SSLT"));
}

bool CTimerChannel_I8253::LoadSoundBlock(common::CStreamHolder& holder) {
    int32_t blockFrequency = 0;
    int64_t samples = 0;
    int32_t first = 0;
    int32_t second = 0;
    bool slotsValid = false;
    if (!holder.ReadInt32Field(blockFrequency, CName("SBFQ")) || !holder.ReadInt64Field(samples, CName("SBSZ")) ||
        !holder.ReadInt32Field(first, CName("SFSV")) || !holder.ReadInt32Field(second, CName("SSSV")) ||
        !holder.ReadBoolField(slotsValid, CName("SSLV")))
        return false;
    if (blockFrequency < 0 || samples < 0 || samples > kMaxStateBlockSamples)
        return false;
    m_blockFrequency = blockFrequency;
    m_firstSampleValue = first;
    m_secondSampleValue = second;
    if (samples == 0)
        return true;
    std::vector<uint8_t> bytes(static_cast<size_t>(samples * kSlotRecordSize));
    if (!holder.ReadBlobField(bytes.data(), static_cast<int64_t>(bytes.size()), CName("SSLT")))
        return false;
    m_slots = new (std::nothrow) CSlot[static_cast<size_t>(samples)]();
    if (m_slots == nullptr)
        return true; // the block goes unrecorded, as when its slots could not be had at run time
    const uint8_t* in = bytes.data();
    for (int64_t i = 0; i < samples; ++i, in += kSlotRecordSize) {
        CSlot& slot = m_slots[i];
        slot.changed = in[0] != 0;
        slot.level = in[1] != 0;
        slot.enabled = in[2] != 0;
        slot.high = static_cast<int64_t>(common::LoadLittle<uint64_t>(in + 3));
        slot.low = static_cast<int64_t>(common::LoadLittle<uint64_t>(in + 11));
        slot.remaining = static_cast<int64_t>(common::LoadLittle<uint64_t>(in + 19));
    }
    // The block is rendered where no output hears it; the next one goes to
    // the bus's new staging array.
    m_loadedBlock.assign(static_cast<size_t>(samples), 0);
    m_soundBuffer = m_loadedBlock.data();
    m_soundBufferSamples = samples;
    m_slotsValid = slotsValid;
    return true;
}

bool CTimerChannel_I8253::LoadData(common::CStreamHolder& holder, common::CNarrowString* errorText) {
    // The bus has let go of the staging array this channel was to fill next,
    // whether or not this load gets as far as the sound fields.
    if (m_soundGeneration)
        DropSoundBuffer();
    if (!CDevice::LoadData(holder, errorText))
        return false;
    CRegisters& r = m_regs;
    uint8_t version = 0xFF;
    bool soundGeneration = false;
    uint8_t dwrs = 0;
    uint8_t drds = 0;
    uint32_t bfro = 0;
    if (!holder.ReadUInt8Field(version, CName("VER")) ||
        (version != kStateVersion && version != kStateVersionWithoutBlock))
        return false;
    if (!holder.ReadBoolField(soundGeneration, CName("SNDG")) || soundGeneration != m_soundGeneration)
        return false;
    if (m_soundGeneration) {
        if (!holder.ReadInt64Field(m_SNDH, CName("SNDH")))
            return false;
        if (!holder.ReadInt64Field(m_SNDL, CName("SNDL")))
            return false;
        if (!holder.ReadInt64Field(m_SNDR, CName("SNDR")))
            return false;
        if (!holder.ReadBoolField(m_SNDX, CName("SNDX")))
            return false;
    }
    if (!holder.ReadBoolField(r.ZCR, CName("ZCR")))
        return false;
    if (!holder.ReadUInt16Field(r.CR, CName("CR")))
        return false;
    if (!holder.ReadUInt8Field(r.CRT, CName("CRT")))
        return false;
    if (!holder.ReadUInt16Field(r.CE, CName("CE")))
        return false;
    if (!holder.ReadUInt16Field(r.OL, CName("OL")))
        return false;
    if (!holder.ReadUInt8Field(r.RSTA, CName("RSTA")))
        return false;
    if (!holder.ReadUInt8Field(r.LSTA, CName("LSTA")))
        return false;
    if (!holder.ReadUInt8Field(r.CWR, CName("CWR")))
        return false;
    SelectGenerator();
    if (!holder.ReadBoolField(r.LTCH, CName("LTCH")))
        return false;
    if (!holder.ReadBoolField(r.INPT, CName("INPT")))
        return false;
    if (!holder.ReadBoolField(r.OUTP, CName("OUTP")))
        return false;
    if (!holder.ReadBoolField(r.SGNL, CName("SGNL")))
        return false;
    if (!holder.ReadUInt8Field(dwrs, CName("DWRS")))
        return false;
    r.DWRS = static_cast<WriteState>(dwrs);
    if (!holder.ReadUInt8Field(drds, CName("DRDS")))
        return false;
    r.DRDS = static_cast<ReadState>(drds & 3);
    r.statusLatched = (drds & kStatusWaiting) != 0;
    if (!holder.ReadUInt16Field(r.CRU, CName("CRU")))
        return false;
    if (!ReadDouble(holder, m_wave.CEH, "CEH"))
        return false;
    if (!ReadDouble(holder, m_wave.CEL, "CEL"))
        return false;
    if (!ReadDouble(holder, m_wave.CEHX, "CEHX"))
        return false;
    if (!ReadDouble(holder, m_wave.CELX, "CELX"))
        return false;
    if (!holder.ReadBoolField(m_wave.CER, CName("CER")))
        return false;
    if (!holder.ReadBoolField(m_wave.CES, CName("CES")))
        return false;
    if (!holder.ReadBoolField(m_wave.CECO, CName("CECO")))
        return false;
    if (!holder.ReadBoolField(r.LGAT, CName("LGAT")))
        return false;
    if (!holder.ReadBoolField(r.MNOD, CName("MNOD")))
        return false;
    if (!holder.ReadUInt32Field(r.INTC, CName("INTC")))
        return false;
    if (!holder.ReadInt64Field(r.CEFF, CName("CEFF")))
        return false;
    // The count started in the past: a later start would hold the counter,
    // and the interrupts and sound it gives, until the time came.
    if (!ReadDouble(holder, r.STTM, "STTM") || !std::isfinite(r.STTM) || r.STTM > GetNow())
        return false;
    if (!ReadDouble(holder, r.CETM, "CETM"))
        return false;
    if (!holder.ReadUInt32Field(r.BFRQ, CName("BFRQ")))
        return false;
    if (!holder.ReadUInt32Field(bfro, CName("BFRO")))
        return false;
    r.BFRO = bfro; // the high half is not kept
    if (!holder.ReadBoolField(r.SWCH, CName("SWCH")))
        return false;
    return version == kStateVersionWithoutBlock || !m_soundGeneration || LoadSoundBlock(holder);
}

// --- Settings -----------------------------------------------------------------------------------

bool CTimerChannel_I8253::CollectProperties(common::CSettingsRegistry* registry, bool enabledOnly) {
    if (registry == nullptr)
        return false;
    common::CNarrowString key;
    for (int mode = 0; mode < kMenuModes; ++mode) {
        key.Format("TraceModes%ld", static_cast<long>(mode));
        registry->BindBool(key, &m_flags.TraceModes[mode]);
        key.Format("BreakModes%ld", static_cast<long>(mode));
        registry->BindBool(key, &m_flags.BreakModes[mode]);
    }
    struct CBinding {
        const char* name;
        bool* flag;
    };
    const CBinding ports[] = {{"TraceWriteMODE", &m_flags.TraceWriteMODE}, {"BreakWriteMODE", &m_flags.BreakWriteMODE},
                              {"TraceReadMODE", &m_flags.TraceReadMODE},   {"BreakReadMODE", &m_flags.BreakReadMODE},
                              {"TraceWriteDATA", &m_flags.TraceWriteDATA}, {"BreakWriteDATA", &m_flags.BreakWriteDATA},
                              {"TraceReadDATA", &m_flags.TraceReadDATA},   {"BreakReadDATA", &m_flags.BreakReadDATA}};
    for (const CBinding& binding : ports)
        registry->BindBool(CName(binding.name), binding.flag);
    if (m_soundGeneration) {
        const CBinding sound[] = {{"TraceEnableSOUND", &m_flags.TraceEnableSOUND},
                                  {"BreakEnableSOUND", &m_flags.BreakEnableSOUND},
                                  {"TraceDisableSOUND", &m_flags.TraceDisableSOUND},
                                  {"BreakDisableSOUND", &m_flags.BreakDisableSOUND}};
        for (const CBinding& binding : sound)
            registry->BindBool(CName(binding.name), binding.flag);
    }
    if (HasIrq()) {
        registry->BindBool(CName("TraceRaiseIRQ"), &m_flags.TraceRaiseIRQ);
        registry->BindBool(CName("BreakRaiseIRQ"), &m_flags.BreakRaiseIRQ);
    }
    return CDevice::CollectProperties(registry, enabledOnly);
}

bool CTimerChannel_I8253::ValidateProperties(bool /*enabledOnly*/) {
    return true;
}

// --- Debug menu ---------------------------------------------------------------------------------

int CTimerChannel_I8253::GetOfferedFlags(bool breakKind, bool** out) {
    CTraceFlags& f = m_flags;
    int count = 0;
    out[count++] = breakKind ? &f.BreakWriteMODE : &f.TraceWriteMODE;
    out[count++] = breakKind ? &f.BreakReadMODE : &f.TraceReadMODE;
    out[count++] = breakKind ? &f.BreakWriteDATA : &f.TraceWriteDATA;
    out[count++] = breakKind ? &f.BreakReadDATA : &f.TraceReadDATA;
    if (m_soundGeneration) {
        out[count++] = breakKind ? &f.BreakEnableSOUND : &f.TraceEnableSOUND;
        out[count++] = breakKind ? &f.BreakDisableSOUND : &f.TraceDisableSOUND;
    }
    if (HasIrq())
        out[count++] = breakKind ? &f.BreakRaiseIRQ : &f.TraceRaiseIRQ;
    for (int mode = 0; mode < kMenuModes; ++mode)
        out[count++] = breakKind ? &f.BreakModes[mode] : &f.TraceModes[mode];
    return count;
}

void CTimerChannel_I8253::AddTraceAllActions(common::COptionNode* node) {
    bool* flags[kMaxOffered];
    const int count = GetOfferedFlags(false, flags);
    for (int i = 0; node != nullptr && i < count; ++i)
        node->AddActionSetByte(Byte(flags[i]), 1);
}

void CTimerChannel_I8253::AddBreakAllActions(common::COptionNode* node) {
    bool* flags[kMaxOffered];
    const int count = GetOfferedFlags(true, flags);
    for (int i = 0; node != nullptr && i < count; ++i)
        node->AddActionSetByte(Byte(flags[i]), 1);
}

void CTimerChannel_I8253::AddClearAllActions(common::COptionNode* node) {
    bool* flags[kMaxOffered];
    for (int kind = 0; kind < 2; ++kind) {
        const int count = GetOfferedFlags(kind != 0, flags);
        for (int i = 0; node != nullptr && i < count; ++i)
            node->AddActionSetByte(Byte(flags[i]), 0);
    }
}

namespace {

// A sub-menu of check items over the flags, a separator, "Select All" and
// "Clear All"; checked while any item is, and so is the menu holding it.
void AddFlagGroup(common::COptionNode* menu, const char* caption, const common::CNarrowString* texts,
                  bool* const* flags, int count) {
    common::COptionNode* group = menu->CreateChild(common::CWideString(caption));
    if (group == nullptr)
        return;
    for (int i = 0; i < count; ++i) {
        common::COptionNode* item =
            group->CreateCheckItem(common::CWideString(texts[i].GetNarrow()), Byte(flags[i]), 1, nullptr, 1);
        if (item != nullptr)
            group->AddCheckedWhenNode(item, true);
    }
    group->CreateUnnamedChild();
    common::COptionNode* selectAll = group->CreateChildById(kTextSelectAll);
    common::COptionNode* clearAll = group->CreateChildById(kTextClearAll);
    for (int i = 0; i < count; ++i) {
        if (selectAll != nullptr)
            selectAll->AddActionSetByte(Byte(flags[i]), 1);
        if (clearAll != nullptr)
            clearAll->AddActionSetByte(Byte(flags[i]), 0);
    }
    menu->AddCheckedWhenNode(group, true);
}

} // namespace

void CTimerChannel_I8253::BuildFlagMenu(COptionTree* menu, bool breakKind) {
    CTraceFlags& f = m_flags;
    const char* prefix = breakKind ? "Break On " : "Trace ";
    common::CNarrowString caption;
    common::CNarrowString texts[kMenuModes];

    texts[0] = "Write MODE";
    texts[1] = "Read MODE";
    texts[2] = "Write DATA";
    texts[3] = "Read DATA";
    bool* const ports[] = {
        breakKind ? &f.BreakWriteMODE : &f.TraceWriteMODE, breakKind ? &f.BreakReadMODE : &f.TraceReadMODE,
        breakKind ? &f.BreakWriteDATA : &f.TraceWriteDATA, breakKind ? &f.BreakReadDATA : &f.TraceReadDATA};
    caption.Format("%sPorts", prefix);
    AddFlagGroup(menu, caption.GetNarrow(), texts, ports, 4);

    bool* modes[kMenuModes];
    for (int mode = 0; mode < kMenuModes; ++mode) {
        texts[mode].Format("%ld - %s", static_cast<long>(mode), GetModeName(mode));
        modes[mode] = breakKind ? &f.BreakModes[mode] : &f.TraceModes[mode];
    }
    caption.Format("%sModes", prefix);
    AddFlagGroup(menu, caption.GetNarrow(), texts, modes, kMenuModes);

    bool* lines[3];
    int count = 0;
    if (m_soundGeneration) {
        texts[count] = "Enable SOUND";
        lines[count++] = breakKind ? &f.BreakEnableSOUND : &f.TraceEnableSOUND;
        texts[count] = "Disable SOUND";
        lines[count++] = breakKind ? &f.BreakDisableSOUND : &f.TraceDisableSOUND;
    }
    if (HasIrq()) {
        texts[count] = "Raise IRQ";
        lines[count++] = breakKind ? &f.BreakRaiseIRQ : &f.TraceRaiseIRQ;
    }
    if (count > 0) {
        caption.Format("%s%s", prefix,
                       m_soundGeneration && HasIrq() ? "Sound/IRQ"
                       : m_soundGeneration           ? "Sound"
                                                     : "IRQ");
        AddFlagGroup(menu, caption.GetNarrow(), texts, lines, count);
    }

    caption.Format("%sAll", prefix);
    common::COptionNode* all = menu->CreateChild(common::CWideString(caption.GetNarrow()));
    if (breakKind)
        AddBreakAllActions(all);
    else
        AddTraceAllActions(all);
}

void CTimerChannel_I8253::BuildMenu(COptionTree* menu, int32_t kind) {
    CDevice::BuildMenu(menu, kind);
    if (kind != kMenuDebug || menu == nullptr)
        return;
    BuildFlagMenu(menu, false);
    menu->CreateUnnamedChild();
    BuildFlagMenu(menu, true);
}

} // namespace emu
