// The Korvet video's settings keys, its Video and Debug menu items, and its
// state records.
#include "common/CBoundValue.h"
#include "common/CNarrowString.h"
#include "common/COptionNode.h"
#include "common/CSettingsRegistry.h"
#include "common/CStreamHolder.h"
#include "common/CWideString.h"
#include "emu/framework/COptionTree.h"
#include "emu/host/CRenderer.h"
#include "emu/korvet/CVideo_Korvet.h"

namespace emu {

namespace {

const char* const kFlagNames[CVideo_Korvet::kFlagCount] = {
    "TraceWriteVIREG", "BreakWriteVIREG", "TraceReadVISTS",   "BreakReadVISTS",  "TraceWriteNCREG", "BreakWriteNCREG",
    "TraceReadNCREG",  "BreakReadNCREG",  "TraceWriteLUT",    "BreakWriteLUT",   "TraceWriteTEXT",  "BreakWriteTEXT",
    "TraceReadTEXT",   "BreakReadTEXT",   "TraceWriteGRAPH",  "BreakWriteGRAPH", "TraceReadGRAPH",  "BreakReadGRAPH",
    "TraceSetVBLANK",  "BreakSetVBLANK",  "TraceResetVBLANK", "BreakResetVBLANK"};

const char kPageCountKey[] = "VRAMPageCount";
constexpr uint8_t kOwnStateVersion = 0;
const char kSelectAll[] = "Select All";
const char kClearAll[] = "Clear All";
constexpr int32_t kTextBytes = CVideo_Korvet::kTextCells * 2;

common::CNarrowString Name(const char* text) {
    return common::CNarrowString(text);
}

uint8_t* FlagByte(bool* flag) {
    return reinterpret_cast<uint8_t*>(flag);
}

// One item of a trace or break submenu: its text and its flag's trace index
// (the break flag follows it).
struct CMenuItem {
    const char* text;
    uint32_t traceFlag;
};

const CMenuItem kRegisterItems[] = {
    {"Write VIREG (configuration)", CVideo_Korvet::kTraceWriteVIREG},
    {"Read VISTS (state)", CVideo_Korvet::kTraceReadVISTS},
    {"Write NCREG (graph color)", CVideo_Korvet::kTraceWriteNCREG},
    {"Read NCREG (graph color)", CVideo_Korvet::kTraceReadNCREG},
    {"Write LUT (palette)", CVideo_Korvet::kTraceWriteLUT},
};
const CMenuItem kMemoryItems[] = {
    {"Write TEXT (symbols)", CVideo_Korvet::kTraceWriteTEXT},
    {"Read TEXT (symbols)", CVideo_Korvet::kTraceReadTEXT},
    {"Write GRAPH (pixels)", CVideo_Korvet::kTraceWriteGRAPH},
    {"Read GRAPH (pixels)", CVideo_Korvet::kTraceReadGRAPH},
};
const CMenuItem kEventItems[] = {
    {"VBLANK=1", CVideo_Korvet::kTraceSetVBLANK},
    {"VBLANK=0", CVideo_Korvet::kTraceResetVBLANK},
};

// An action item that sets the listed flags (trace or break) to the value.
void AddSetAction(common::COptionNode* item, bool* flags, const CMenuItem* items, int32_t count, bool brk,
                  uint8_t value) {
    if (item == nullptr)
        return;
    for (int32_t i = 0; i < count; ++i)
        item->AddActionSetByte(FlagByte(&flags[items[i].traceFlag + (brk ? 1 : 0)]), value);
}

// A submenu of check items with "Select All" and "Clear All"; answers its
// "Select All" item. The submenu is checked while any item is, the parent
// while any submenu is.
common::COptionNode* AddFlagSubmenu(common::COptionNode* parent, const char* name, bool* flags, const CMenuItem* items,
                                    int32_t count, bool brk) {
    common::COptionNode* node = parent->CreateChild(common::CWideString(name));
    if (node == nullptr)
        return nullptr;
    parent->AddCheckedWhenNode(node, true);
    for (int32_t i = 0; i < count; ++i) {
        bool* flag = &flags[items[i].traceFlag + (brk ? 1 : 0)];
        common::COptionNode* item =
            node->CreateCheckItem(common::CWideString(items[i].text), FlagByte(flag), 1, nullptr, 1);
        if (item != nullptr)
            node->AddCheckedWhenNode(item, true);
    }
    node->CreateUnnamedChild();
    common::COptionNode* selectAll = node->CreateChild(common::CWideString(kSelectAll));
    AddSetAction(selectAll, flags, items, count, brk, 1);
    AddSetAction(node->CreateChild(common::CWideString(kClearAll)), flags, items, count, brk, 0);
    return selectAll;
}

} // namespace

const char* CVideo_Korvet::GetFlagName(uint32_t flag) {
    return flag < kFlagCount ? kFlagNames[flag] : nullptr;
}

// --- Settings ---------------------------------------------------------------------------------------

bool CVideo_Korvet::CollectProperties(common::CSettingsRegistry* registry, bool enabledOnly) {
    if (registry != nullptr) {
        // A name already present keeps its first binding.
        if (common::CBoundValue* value = registry->AddBinding(Name(kPageCountKey)))
            value->BindInt32(&m_pageCountMinusOne);
        if (!enabledOnly)
            for (uint32_t flag = 0; flag < kFlagCount; ++flag)
                registry->BindBool(Name(kFlagNames[flag]), &m_flags[flag]);
    }
    return CVideo::CollectProperties(registry, enabledOnly);
}

bool CVideo_Korvet::ValidateProperties(bool enabledOnly) {
    bool result = CVideo::ValidateProperties(enabledOnly);
    if (static_cast<uint32_t>(m_pageCountMinusOne) > static_cast<uint32_t>(kMaxVramPages - 1)) {
        m_pageCountMinusOne = 0;
        result = false;
    }
    // Running memory follows the page count; memory of the right size keeps
    // its contents.
    const int32_t size = (m_pageCountMinusOne + 1) * kVramPageBytes;
    if (m_videoMemory != nullptr && m_videoMemorySize != size)
        AllocateVideoMemory(size);
    ClampPages();
    return result;
}

// --- Menus --------------------------------------------------------------------------------------------

void CVideo_Korvet::BuildMenu(COptionTree* menu, int32_t kind) {
    CVideo::BuildMenu(menu, kind);
    if (menu == nullptr)
        return;
    if (kind == kMenuVideo) {
        menu->CreateUnnamedChild();
        common::COptionNode* pages = menu->CreateChildById(kTextVramPageCount);
        if (pages == nullptr)
            return;
        // One page holds 512 x 256 pixels of 3 bits: 48 KB of screen data.
        const char* const texts[kMaxVramPages] = {"1=48Kb", "2=96Kb", "3=144Kb", "4=192Kb"};
        auto* count = reinterpret_cast<uint32_t*>(&m_pageCountMinusOne);
        uint8_t* started = reinterpret_cast<uint8_t*>(&m_started);
        for (int32_t i = 0; i < kMaxVramPages; ++i)
            pages->CreateRadioItem(common::CWideString(texts[i]), count, static_cast<uint32_t>(i), started, 0);
        return;
    }
    if (kind != kMenuDebug)
        return;
    for (int32_t pass = 0; pass < 2; ++pass) {
        const bool brk = pass == 1;
        common::COptionNode* selects[3] = {
            AddFlagSubmenu(menu, brk ? "Break On Registers" : "Trace Registers", m_flags, kRegisterItems, 5, brk),
            AddFlagSubmenu(menu, brk ? "Break On Memory" : "Trace Memory", m_flags, kMemoryItems, 4, brk),
            AddFlagSubmenu(menu, brk ? "Break On Events" : "Trace Events", m_flags, kEventItems, 2, brk),
        };
        common::COptionNode* all = menu->CreateChild(common::CWideString(brk ? "Break On All" : "Trace All"));
        if (all != nullptr)
            for (common::COptionNode* select : selects)
                if (select != nullptr)
                    all->AddActionActivate(select);
        menu->CreateUnnamedChild();
    }
    common::COptionNode* selectAll = menu->CreateChild(common::CWideString(kSelectAll));
    common::COptionNode* clearAll = menu->CreateChild(common::CWideString(kClearAll));
    for (uint32_t flag = 0; flag < kFlagCount; ++flag) {
        if (selectAll != nullptr)
            selectAll->AddActionSetByte(FlagByte(&m_flags[flag]), 1);
        if (clearAll != nullptr)
            clearAll->AddActionSetByte(FlagByte(&m_flags[flag]), 0);
    }
}

// --- State ----------------------------------------------------------------------------------------------

bool CVideo_Korvet::SaveData(common::CStreamHolder& holder) {
    if (!CVideo::SaveData(holder))
        return false;
    uint8_t lutd[kPaletteEntries];
    uint8_t lutp[kPaletteEntries * 4];
    for (int32_t i = 0; i < kPaletteEntries; ++i) {
        lutd[i] = static_cast<uint8_t>(m_paletteEntries[i]);
        for (int32_t b = 0; b < 4; ++b)
            lutp[i * 4 + b] = static_cast<uint8_t>(m_paletteColours[i] >> (8 * b));
    }
    uint8_t symd[kTextBytes];
    for (int32_t i = 0; i < kTextCells; ++i) {
        symd[i * 2] = static_cast<uint8_t>(m_text[i]);
        symd[i * 2 + 1] = static_cast<uint8_t>(m_text[i] >> 8);
    }
    const int32_t memorySize = m_videoMemory != nullptr ? m_videoMemorySize : 0;
    if (!holder.WriteUInt8Field(kOwnStateVersion, Name("VER")) || !holder.WriteInt32Field(memorySize, Name("MEMS")))
        return false;
    if (memorySize > 0 && !holder.WriteBlobField(m_videoMemory, memorySize, Name("MEMD")))
        return false;
    const int32_t vireg = static_cast<int32_t>(m_regs.VIREG);
    const int32_t ncreg = static_cast<int32_t>(m_regs.NCREG);
    return holder.WriteInt32Field(m_displayedPage, Name("SPGI")) &&
           holder.WriteInt32Field(m_processorPage, Name("MPGI")) &&
           holder.WriteBlobField(lutd, sizeof(lutd), Name("LUTD")) &&
           holder.WriteBlobField(lutp, sizeof(lutp), Name("LUTP")) && holder.WriteInt32Field(vireg, Name("VIRG")) &&
           holder.WriteInt32Field(ncreg, Name("NCRG")) && holder.WriteInt32Field(m_vblankStatus, Name("VBLN")) &&
           holder.WriteUInt64Field(m_lastVblankChange, Name("LVBC")) &&
           holder.WriteUInt16Field(m_inversionBit, Name("INVB")) &&
           holder.WriteBoolField(m_readInversion, Name("RINV")) && holder.WriteBoolField(m_solidMode, Name("GCLM")) &&
           holder.WriteInt32Field(m_writeColourLow, Name("WCLL")) &&
           holder.WriteInt32Field(m_writeColourHigh, Name("WCLH")) &&
           holder.WriteInt32Field(m_readColour, Name("RCLL")) && holder.WriteInt32Field(m_readMask, Name("RCLH")) &&
           holder.WriteBlobField(symd, sizeof(symd), Name("SYMD")) &&
           holder.WriteInt32Field(m_lineCounter, Name("SCLN")) && holder.WriteInt32Field(m_cursorRow, Name("CNLN")) &&
           holder.WriteInt32Field(m_cursorColumn, Name("CNPS")) &&
           holder.WriteUInt32Field(m_terminalState, Name("CNLS")) &&
           holder.WriteInt32Field(m_addressingStep, Name("CNCN")) &&
           holder.WriteBoolField(m_cursorEnabled, Name("CNCR")) && holder.WriteBoolField(m_cursorShown, Name("CNCL"));
}

bool CVideo_Korvet::LoadData(common::CStreamHolder& holder, common::CNarrowString* errorText) {
    if (!CVideo::LoadData(holder, errorText))
        return false;
    // Each record is checked and taken as soon as it is read; a failure keeps
    // what came before.
    uint8_t version = 0xFF;
    if (!holder.ReadUInt8Field(version, Name("VER")) || version != kOwnStateVersion)
        return false;
    int32_t memorySize = -1;
    if (!holder.ReadInt32Field(memorySize, Name("MEMS")) || memorySize < 0)
        return false;
    if (m_videoMemory != nullptr) {
        if (memorySize != m_videoMemorySize)
            return false;
    } else if (memorySize > 0) {
        // Only memory of the configured page count can hold the stored pages.
        if (memorySize != (m_pageCountMinusOne + 1) * kVramPageBytes || !AllocateVideoMemory(memorySize))
            return false;
    }
    if (m_videoMemory != nullptr && !holder.ReadBlobField(m_videoMemory, m_videoMemorySize, Name("MEMD")))
        return false;

    // Numbers that index the memory, the text cells or the raster must lie
    // inside them.
    const auto readIndex = [&holder](const char* name, int32_t& target, int32_t last) {
        int32_t number = 0;
        if (!holder.ReadInt32Field(number, Name(name)) || number < 0 || number > last)
            return false;
        target = number;
        return true;
    };
    if (!readIndex("SPGI", m_displayedPage, m_pageCountMinusOne) ||
        !readIndex("MPGI", m_processorPage, m_pageCountMinusOne))
        return false;
    UpdatePagePointers();

    uint8_t lutd[kPaletteEntries];
    uint8_t lutp[kPaletteEntries * 4];
    if (!holder.ReadBlobField(lutd, sizeof(lutd), Name("LUTD")))
        return false;
    for (int32_t i = 0; i < kPaletteEntries; ++i)
        m_paletteEntries[i] = lutd[i];
    if (!holder.ReadBlobField(lutp, sizeof(lutp), Name("LUTP")))
        return false;
    for (int32_t i = 0; i < kPaletteEntries; ++i)
        m_paletteColours[i] = static_cast<uint32_t>(lutp[i * 4]) | (static_cast<uint32_t>(lutp[i * 4 + 1]) << 8) |
                              (static_cast<uint32_t>(lutp[i * 4 + 2]) << 16) |
                              (static_cast<uint32_t>(lutp[i * 4 + 3]) << 24);

    int32_t number = 0;
    if (!holder.ReadInt32Field(number, Name("VIRG")))
        return false;
    m_regs.VIREG = static_cast<uint32_t>(number);
    if (!holder.ReadInt32Field(number, Name("NCRG")))
        return false;
    m_regs.NCREG = static_cast<uint32_t>(number);
    uint16_t inversion = 0;
    uint8_t symd[kTextBytes];
    if (!holder.ReadInt32Field(m_vblankStatus, Name("VBLN")) ||
        !holder.ReadUInt64Field(m_lastVblankChange, Name("LVBC")) || !holder.ReadUInt16Field(inversion, Name("INVB")))
        return false;
    m_inversionBit = inversion;
    if (!holder.ReadBoolField(m_readInversion, Name("RINV")) || !holder.ReadBoolField(m_solidMode, Name("GCLM")) ||
        !holder.ReadInt32Field(m_writeColourLow, Name("WCLL")) ||
        !holder.ReadInt32Field(m_writeColourHigh, Name("WCLH")) || !holder.ReadInt32Field(m_readColour, Name("RCLL")) ||
        !holder.ReadInt32Field(m_readMask, Name("RCLH")) || !holder.ReadBlobField(symd, sizeof(symd), Name("SYMD")))
        return false;
    for (int32_t i = 0; i < kTextCells; ++i)
        m_text[i] = static_cast<uint16_t>(symd[i * 2] | (symd[i * 2 + 1] << 8));
    if (!readIndex("SCLN", m_lineCounter, kFrameLines - 1) || !readIndex("CNLN", m_cursorRow, kTextRows - 1) ||
        !readIndex("CNPS", m_cursorColumn, kTextColumns - 1) ||
        !holder.ReadUInt32Field(m_terminalState, Name("CNLS")) ||
        !holder.ReadInt32Field(m_addressingStep, Name("CNCN")) ||
        !holder.ReadBoolField(m_cursorEnabled, Name("CNCR")) || !holder.ReadBoolField(m_cursorShown, Name("CNCL")))
        return false;

    // The whole screen again, drawn at once and ended as one frame, whatever
    // the render mode.
    InvalidateLines();
    m_lineDrawn = true;
    const int32_t renderMode = GetRenderMode();
    SetRenderMode(kRenderFrame);
    RenderFrame();
    SetRenderMode(renderMode);
    if (m_hostLink != nullptr)
        m_hostLink->EndFrame(true, GetAspectFactor());
    InvalidateLines();
    return true;
}

} // namespace emu
