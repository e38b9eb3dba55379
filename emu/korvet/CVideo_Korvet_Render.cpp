// The Korvet video's raster: start and stop, the line event that keeps the
// VBLANK status and ends the frames, and the drawing of a display line from
// the graphics page, the text cells, the character generator and the palette.
#include <cstring>
#include <new>

#include "emu/framework/CInterrupts.h"
#include "emu/framework/CMachineInterface.h"
#include "emu/framework/CProcessorInterface.h"
#include "emu/host/CRenderer.h"
#include "emu/korvet/CVideo_Korvet.h"
#include "emu/korvet/KorvetCharGen.h"

namespace emu {

namespace {

const char kRenderEventName[] = "RenderEvent";
constexpr int32_t kMinimumBusRate = 100;
constexpr int32_t kLastFrameLine = CVideo_Korvet::kFrameLines - 1;
constexpr int32_t kCharSetBytes = 4096;
constexpr int32_t kGlyphBytes = 16;
constexpr common::ARGB kBorderColour = 0xFF000000u;

// A 4-bit glyph half spread over 8 pixels, each bit twice (32-column mode).
constexpr uint8_t kDoubledNibble[16] = {0x00, 0x03, 0x0C, 0x0F, 0x30, 0x33, 0x3C, 0x3F,
                                        0xC0, 0xC3, 0xCC, 0xCF, 0xF0, 0xF3, 0xFC, 0xFF};

} // namespace

// --- Start and stop -----------------------------------------------------------------------------

bool CVideo_Korvet::AllocateCharGen() {
    if (m_charGenSize != kKorvetCharGenSize) {
        delete[] m_charGen;
        m_charGenSize = 0;
        m_charGen = new (std::nothrow) uint8_t[kKorvetCharGenSize];
        if (m_charGen == nullptr)
            return false;
        m_charGenSize = kKorvetCharGenSize;
    }
    std::memcpy(m_charGen, kKorvetCharGen, kKorvetCharGenSize);
    return true;
}

bool CVideo_Korvet::Start(int32_t* value) {
    if (!CVideo::Start(value))
        return false;
    if (value != nullptr && *value < kMinimumBusRate)
        *value = kMinimumBusRate;

    // The page count again from scratch: clamps both pages. A count that the
    // settings check did not correct falls back to one page.
    const int32_t pages = m_pageCountMinusOne + 1;
    m_pageCountMinusOne = -1;
    if (!SetVramPageCount(pages))
        SetVramPageCount(1);
    if (!AllocateVideoMemory())
        return false;

    for (uint16_t& cell : m_text)
        cell = 0;
    for (int32_t entry = 0; entry < kPaletteEntries; ++entry)
        SetPaletteEntry(entry, entry < 8 ? entry : 15);

    m_regs = CRegisters();
    m_writeColourLow = 0;
    m_writeColourHigh = 0;
    m_readColour = 0;
    m_readMask = 0;
    m_inversionBit = 0;
    m_readInversion = false;
    m_solidMode = false;
    // The parameter binding after the start of the device tree sets it again.
    m_irqFlag = false;
    m_vblankStatus = kVblankDisplay;
    m_lastVblankChange = 0;
    m_lineCounter = 0;
    m_lineDrawn = true;
    m_cursorRow = 0;
    m_cursorColumn = 0;
    m_terminalState = 0x20;
    m_addressingStep = 0;
    m_cursorEnabled = true;
    m_cursorShown = false;

    if (!AllocateCharGen())
        return false;
    InvalidateLines();

    CProcessorInterface* processor = m_machine != nullptr ? m_machine->GetMainProcessor() : nullptr;
    if (processor == nullptr)
        return false;
    // A negative period fires at once, then every 164 cycles.
    return processor->AddEvent(-kLineCycles, OnRenderEvent, this, kRenderEventName, 0, 0);
}

void CVideo_Korvet::Stop() {
    FreeVideoMemory();
    CVideo::Stop();
}

// --- Line event ------------------------------------------------------------------------------------

bool CVideo_Korvet::OnRenderEvent(CObject* user, int32_t* /*period*/, uint32_t* /*data*/,
                                  CProcessorInterface* processor) {
    if (user == nullptr)
        return false;
    auto* video = static_cast<CVideo_Korvet*>(static_cast<CVideo*>(user));
    return video->RunRenderEvent(processor);
}

void CVideo_Korvet::SetVblank(int32_t status, uint64_t cycles) {
    if (status == m_vblankStatus)
        return;
    const long elapsed = static_cast<long>(
        static_cast<int32_t>(static_cast<uint32_t>(cycles) - static_cast<uint32_t>(m_lastVblankChange)));
    // The flag pairs follow their menu items: "VBLANK=1" is the set pair.
    if (status == kVblankBlank)
        TraceState(m_flags[kTraceResetVBLANK], m_flags[kBreakResetVBLANK], false, "VBLANK = 0 (after %ld cycles)",
                   elapsed);
    else
        TraceState(m_flags[kTraceSetVBLANK], m_flags[kBreakSetVBLANK], false, "VBLANK = 1 (after %ld cycles)", elapsed);
    m_lastVblankChange = cycles;
    m_vblankStatus = status;
}

bool CVideo_Korvet::RunRenderEvent(CProcessorInterface* processor) {
    if (processor == nullptr && m_machine != nullptr)
        processor = m_machine->GetMainProcessor();
    switch (GetRenderMode()) {
    case kRenderFrame: {
        const uint64_t cycles = processor != nullptr ? processor->GetCycleCount() : 0;
        const int32_t line = static_cast<int32_t>((cycles % kFrameCycles) / kLineCycles);
        m_lineCounter = line;
        if (line < kBlankLines) {
            SetVblank(kVblankBlank, cycles);
            return true;
        }
        SetVblank(kVblankDisplay, cycles);
        if (line != kLastFrameLine)
            return true;
        break;
    }
    case kRenderScanline: {
        const int32_t n = m_lineCounter;
        if (n == 0 && m_vblankStatus != kVblankBlank)
            SetVblank(kVblankBlank, processor != nullptr ? processor->GetCycleCount() : 0);
        else if (n == kBlankLines && m_vblankStatus == kVblankBlank)
            SetVblank(kVblankDisplay, processor != nullptr ? processor->GetCycleCount() : 0);
        m_lineCounter = n + 1;
        if (DrawDisplayLine(n - kBlankLines))
            m_lineDrawn = true;
        if (m_lineCounter != kFrameLines)
            return true;
        m_lineCounter = 0;
        break;
    }
    default:
        return false;
    }
    EndRasterFrame();
    return true;
}

void CVideo_Korvet::EndRasterFrame() {
    if (RenderFrame() && m_hostLink != nullptr)
        m_hostLink->EndFrame(true, GetAspectFactor());
    if (m_irqFlag && m_interrupts != nullptr)
        m_interrupts->RaiseInterrupt(static_cast<uint32_t>(m_irqLine), true);
}

// --- Frame ------------------------------------------------------------------------------------------

bool CVideo_Korvet::RenderFrame() {
    if (m_hostLink == nullptr)
        return false;
    // Resizing starts a fresh line record, so it happens only when the size differs.
    const bool sized = m_hostLink->IsSize(kScreenWidth, kScreenHeight);
    if (!sized && !m_hostLink->SetSize(kScreenWidth, kScreenHeight, true))
        return true;
    m_hostLink->SetBorderColour(kBorderColour);
    if (GetRenderMode() == kRenderScanline) {
        const bool result = m_lineDrawn || !sized;
        m_lineDrawn = false;
        return result;
    }
    bool drawn = false;
    for (int32_t y = 0; y < kScreenHeight; ++y)
        drawn |= DrawDisplayLine(y);
    return drawn || !sized;
}

bool CVideo_Korvet::DrawDisplayLine(int32_t y) {
    CRenderer* surface = m_hostLink;
    if (surface == nullptr || y < 0 || y >= surface->GetHeight() || surface->IsLineDrawn(y) ||
        surface->GetWidth() != kScreenWidth)
        return false;
    surface->MarkLineDrawn(y);
    common::ARGB* row = surface->GetRow(y);
    if (row == nullptr)
        return false;

    static const uint8_t kNoGraphics[kScreenWidth / 2] = {};
    const uint8_t* graphics = m_displayedMemory != nullptr && y < kScreenHeight
                                  ? m_displayedMemory + static_cast<size_t>(y) * 256
                                  : kNoGraphics;
    const uint16_t* cells = m_text + (y >> 4) * kTextColumns;
    const int32_t setOffset = (m_regs.VIREG & kViregSecondCharSet) != 0 ? kCharSetBytes : 0;
    const uint8_t* glyphRows = m_charGen != nullptr ? m_charGen + setOffset + (y & 15) : nullptr;
    const bool wide = (m_regs.VIREG & kViregWideText) != 0;

    for (int32_t column = 0; column < kTextColumns; ++column) {
        // In 32-column mode an even cell spans its own and the odd column.
        const uint16_t cell = cells[wide ? column & ~1 : column];
        uint32_t glyph = glyphRows != nullptr ? glyphRows[(cell & 0xFF) * kGlyphBytes] : 0;
        if ((cell & kInversionBit) != 0)
            glyph ^= 0xFF;
        if (wide)
            glyph = kDoubledNibble[(column & 1) == 0 ? glyph >> 4 : glyph & 0x0F];
        const uint8_t* bytes = graphics + column * 4;
        common::ARGB* pixels = row + column * 8;
        for (int32_t k = 0; k < 8; k += 2) {
            const uint32_t byte = bytes[k >> 1];
            const uint32_t textLeft = (glyph >> (7 - k)) & 1;
            const uint32_t textRight = (glyph >> (6 - k)) & 1;
            pixels[k] = m_paletteColours[(textLeft << 3) | ((byte >> 4) & 7)];
            pixels[k + 1] = m_paletteColours[(textRight << 3) | (byte & 7)];
        }
    }
    return true;
}

} // namespace emu
