// The Korvet video's registers (VIREG, NCREG, VISTS), its palette, its video
// memory pages and its interrupt output.
#include <new>

#include "emu/korvet/CVideo_Korvet.h"

namespace emu {

namespace {

// VIREG bits 5-4: the inversion control.
constexpr uint32_t kViregInversionShift = 4;
constexpr uint32_t kInversionKeep = 0;
constexpr uint32_t kInversionOn = 1;
constexpr uint32_t kInversionOff = 2;
constexpr uint32_t kInversionReadBack = 3;

constexpr uint32_t kNcregPlanesValue = 0x01;
constexpr uint32_t kNcregColourBits = 0x0F; // bits 3-1 after the shift
constexpr uint32_t kNcregReadBits = 0x70;

long Component(uint32_t argb, int shift) {
    return static_cast<long>((argb >> shift) & 0xFF);
}

} // namespace

CVideo_Korvet::CVideo_Korvet()
    : m_flags{}, m_solidMode(false), m_writeColourLow(0), m_writeColourHigh(0), m_readColour(0), m_readMask(0),
      m_inversionBit(0), m_readInversion(false), m_vblankStatus(kVblankDisplay),
      m_lastVblankChange(0), m_paletteEntries{}, m_videoMemory(nullptr), m_videoMemorySize(0), m_pageCountMinusOne(0),
      m_displayedPage(0), m_displayedMemory(nullptr), m_processorPage(0), m_processorMemory(nullptr), m_text{},
      m_charGen(nullptr), m_charGenSize(0), m_lineCounter(0), m_lineDrawn(true), m_cursorRow(0), m_cursorColumn(0),
      m_terminalState(0x20), m_addressingStep(0), m_cursorEnabled(true), m_cursorShown(false) {
    for (uint32_t& colour : m_paletteColours)
        colour = kFixedColours[0];
    m_irqFlag = false;
    SetRenderMode(kRenderFrame);
    m_automaticAspectFactor = 1.5f;
    m_aspectFactor = m_automaticAspectFactor;
}

CVideo_Korvet::~CVideo_Korvet() {
    FreeVideoMemory();
    delete[] m_charGen;
}

// --- Registers ----------------------------------------------------------------------------------

void CVideo_Korvet::WriteVireg(int32_t value) {
    uint16_t inversionBit = m_inversionBit;
    bool readInversion = m_readInversion;
    switch ((static_cast<uint32_t>(value) >> kViregInversionShift) & 3) {
    case kInversionKeep:
        break;
    case kInversionOn:
        inversionBit = kInversionBit;
        readInversion = false;
        break;
    case kInversionOff:
        inversionBit = 0;
        readInversion = false;
        break;
    case kInversionReadBack:
        readInversion = true;
        break;
    }
    if (TraceWrite(m_flags[kTraceWriteVIREG], m_flags[kBreakWriteVIREG], false,
                   "=>VIREG = %.2lXh (MemPage=%ld, GraphPage=%ld, TextMode=%ld, InversBit=%ld, ReadTextInvBit=%s)",
                   static_cast<long>(value), static_cast<long>((value >> 6) & 3), static_cast<long>(value & 3),
                   static_cast<long>((value & kViregWideText) != 0 ? 32 : 64), static_cast<long>(inversionBit != 0),
                   readInversion ? "TRUE" : "FALSE"))
        return;
    m_regs.VIREG = static_cast<uint32_t>(value) & 0xFF;
    m_inversionBit = inversionBit;
    m_readInversion = readInversion;

    // A page beyond the allocated ones is ignored.
    const int32_t displayed = static_cast<int32_t>(m_regs.VIREG & kViregDisplayedPage);
    if (displayed <= m_pageCountMinusOne && displayed != m_displayedPage) {
        m_displayedPage = displayed;
        UpdatePagePointers();
        InvalidateLines();
    }
    const int32_t processor = static_cast<int32_t>((m_regs.VIREG & kViregProcessorPage) >> 6);
    if (processor <= m_pageCountMinusOne && processor != m_processorPage) {
        m_processorPage = processor;
        UpdatePagePointers();
    }
}

void CVideo_Korvet::WriteNcreg(int32_t value) {
    const bool solid = (value & kNcregSolidMode) != 0;
    if (TraceWrite(m_flags[kTraceWriteNCREG], m_flags[kBreakWriteNCREG], false, "=>NCREG = %.2lXh (%s)",
                   static_cast<long>(value), solid ? "solid mode" : "planes mode"))
        return;
    m_regs.NCREG = static_cast<uint32_t>(value) & 0xFF;
    m_solidMode = solid;
    const int32_t c = static_cast<int32_t>((m_regs.NCREG & kNcregColourBits) >> 1);
    if (solid) {
        // The pixel takes colour c.
        m_writeColourLow = c;
        m_writeColourHigh = c << 4;
    } else if ((m_regs.NCREG & kNcregPlanesValue) != 0) {
        // ORed in: the planes whose bit in c is 0 are set.
        m_writeColourLow = ~c & 7;
        m_writeColourHigh = m_writeColourLow << 4;
    } else {
        // ANDed in: the planes whose bit in c is 0 are cleared.
        m_writeColourLow = c | 0xF8;
        m_writeColourHigh = (m_writeColourLow << 4) | 0x0F;
    }
    m_readColour = static_cast<int32_t>((m_regs.NCREG & kNcregReadBits) >> 4);
    m_readMask = static_cast<int32_t>(m_regs.NCREG & kNcregReadBits);
}

uint8_t CVideo_Korvet::ReadVists(bool quiet) {
    const uint8_t value = GetVists();
    // A break asked by the trace line still answers the value.
    TraceRead(m_flags[kTraceReadVISTS], m_flags[kBreakReadVISTS], quiet, "<=VISTS = %.2lXh (InversBit=%ld, VBLANK=%ld)",
              static_cast<long>(value), static_cast<long>(m_inversionBit != 0),
              static_cast<long>((m_vblankStatus & kVblankDisplay) != 0));
    return value;
}

uint8_t CVideo_Korvet::ReadNcreg(bool quiet) {
    const uint8_t value = static_cast<uint8_t>(m_regs.NCREG);
    TraceRead(m_flags[kTraceReadNCREG], m_flags[kBreakReadNCREG], quiet, "<=NCREG = %.2lXh (%s)",
              static_cast<long>(value), (value & kNcregSolidMode) != 0 ? "solid mode" : "planes mode");
    return value;
}

// --- Palette ----------------------------------------------------------------------------------------

void CVideo_Korvet::SetPaletteEntry(int32_t entry, int32_t colour) {
    m_paletteEntries[entry] = colour;
    m_paletteColours[entry] = kFixedColours[colour];
}

bool CVideo_Korvet::WriteLut(uint32_t entry, uint32_t colour) {
    if (entry >= static_cast<uint32_t>(kPaletteEntries) || colour >= static_cast<uint32_t>(kPaletteEntries)) {
        TraceWrite(m_flags[kTraceWriteLUT], m_flags[kBreakWriteLUT], false, "=>LUT [%ld] = %ld (incorrect, ignored)",
                   static_cast<long>(entry), static_cast<long>(colour));
        return false;
    }
    const uint32_t argb = kFixedColours[colour];
    if (TraceWrite(m_flags[kTraceWriteLUT], m_flags[kBreakWriteLUT], false, "=>LUT [%ld] = %ld (RGB=%ld,%ld,%ld)",
                   static_cast<long>(entry), static_cast<long>(colour), Component(argb, 16), Component(argb, 8),
                   Component(argb, 0)))
        return true;
    // The same colour again draws nothing.
    if (m_paletteEntries[entry] == static_cast<int32_t>(colour))
        return true;
    SetPaletteEntry(static_cast<int32_t>(entry), static_cast<int32_t>(colour));
    InvalidateLines();
    return true;
}

// --- Video memory pages -------------------------------------------------------------------------------

void CVideo_Korvet::UpdatePagePointers() {
    const auto page = [this](int32_t index) -> uint8_t* {
        if (m_videoMemory == nullptr || index < 0 || index >= m_videoMemorySize / kVramPageBytes)
            return nullptr;
        return m_videoMemory + static_cast<size_t>(index) * kVramPageBytes;
    };
    m_displayedMemory = page(m_displayedPage);
    m_processorMemory = page(m_processorPage);
}

void CVideo_Korvet::FreeVideoMemory() {
    delete[] m_videoMemory;
    m_videoMemory = nullptr;
    m_videoMemorySize = 0;
    m_displayedMemory = nullptr;
    m_processorMemory = nullptr;
}

bool CVideo_Korvet::AllocateVideoMemory(int32_t size) {
    FreeVideoMemory();
    if (size > 0) {
        m_videoMemory = new (std::nothrow) uint8_t[static_cast<size_t>(size)]();
        if (m_videoMemory != nullptr)
            m_videoMemorySize = size;
    }
    UpdatePagePointers();
    return m_videoMemory != nullptr;
}

void CVideo_Korvet::ClampPages() {
    if (m_displayedPage > m_pageCountMinusOne)
        m_displayedPage = m_pageCountMinusOne;
    if (m_processorPage > m_pageCountMinusOne)
        m_processorPage = m_pageCountMinusOne;
    UpdatePagePointers();
    InvalidateLines();
}

bool CVideo_Korvet::SetVramPageCount(int32_t count) {
    if (count < 1 || count > kMaxVramPages)
        return false;
    if (count - 1 == m_pageCountMinusOne)
        return true;
    m_pageCountMinusOne = count - 1;
    // A running device gets fresh memory of the new size; its contents are lost.
    bool allocated = true;
    if (m_videoMemory != nullptr)
        allocated = AllocateVideoMemory();
    ClampPages();
    return allocated;
}

// --- Interrupt output ------------------------------------------------------------------------------------

void CVideo_Korvet::ConnectIrq(int32_t line, uint8_t flags, bool enabled) {
    SetIrq(line, enabled, flags);
}

} // namespace emu
