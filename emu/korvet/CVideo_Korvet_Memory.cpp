// The Korvet video's two memory windows: TEXT (one byte per character cell)
// and GRAPH (one bit per pixel of the processor page, through NCREG).
//
//   GRAPH offset: bits 13-6 line y, bits 5-0 byte column x; the byte covers
//   pixels 8x .. 8x+7, which lie in the 4 video memory bytes from y*256 + x*4.
//   Data bit 7 is the leftmost pixel: bits 7,6 -> byte +0 (left 6-4, right
//   2-0), bits 5,4 -> +1, bits 3,2 -> +2, bits 1,0 -> +3.
#include "emu/host/CRenderer.h"
#include "emu/korvet/CVideo_Korvet.h"

namespace emu {

namespace {

constexpr uint32_t kTextOffsetMask = 0x3FF;
constexpr uint32_t kGraphTraceMask = 0xFFFF;
// The window is 16 KB: 256 lines of 64 bytes; larger offsets fold into it so
// that no access reaches beyond the page.
constexpr uint32_t kGraphOffsetMask = 0x3FFF;
constexpr uint16_t kCellKeptBits = 0x7F00;
constexpr uint32_t kLeftPixelKeep = 0x8F;
constexpr uint32_t kRightPixelKeep = 0xF8;

long Printable(uint32_t code) {
    return static_cast<long>(code != 0 ? code : 0x20);
}

} // namespace

// --- TEXT ----------------------------------------------------------------------------------------

uint8_t CVideo_Korvet::ReadText(int32_t offset, bool quiet) {
    const uint32_t n = static_cast<uint32_t>(offset) & kTextOffsetMask;
    const uint8_t value = static_cast<uint8_t>(m_text[n]);
    if (TraceRead(m_flags[kTraceReadTEXT], m_flags[kBreakReadTEXT], quiet, "<=TEXT [%.3lXh] = %.2lXh  \"%c\"",
                  static_cast<long>(n), static_cast<long>(value), static_cast<int>(Printable(value))))
        return value;
    if (m_readInversion && !quiet)
        m_inversionBit = static_cast<uint16_t>(m_text[n] & kInversionBit);
    return value;
}

void CVideo_Korvet::WriteText(uint32_t offset, uint8_t value) {
    const uint32_t n = offset & kTextOffsetMask;
    if (TraceWrite(m_flags[kTraceWriteTEXT], m_flags[kBreakWriteTEXT], false, "=>TEXT [%.3lXh] = %.2lXh  \"%c\"",
                   static_cast<long>(n), static_cast<long>(value), static_cast<int>(Printable(value))))
        return;
    InvalidateLines();
    m_text[n] = static_cast<uint16_t>((m_text[n] & kCellKeptBits) | value | m_inversionBit);
}

// --- GRAPH ---------------------------------------------------------------------------------------

void CVideo_Korvet::InvalidateLine(int32_t line) {
    if (m_hostLink != nullptr)
        m_hostLink->InvalidateLine(line);
}

void CVideo_Korvet::WriteGraph(int32_t offset, int32_t value) {
    const uint32_t traced = static_cast<uint32_t>(offset) & kGraphTraceMask;
    if (TraceWrite(m_flags[kTraceWriteGRAPH], m_flags[kBreakWriteGRAPH], false, "=>GRAPH [%.4lXh] = %.2lXh",
                   static_cast<long>(traced), static_cast<long>(value & 0xFF)))
        return;
    const uint32_t window = static_cast<uint32_t>(offset) & kGraphOffsetMask;
    const int32_t line = static_cast<int32_t>(window >> 6);
    if (m_processorMemory != nullptr) {
        uint8_t* bytes = m_processorMemory + static_cast<size_t>(line) * 256 + (window & 63) * 4;
        const uint32_t low = static_cast<uint32_t>(m_writeColourLow) & 0xFF;
        const uint32_t high = static_cast<uint32_t>(m_writeColourHigh) & 0xFF;
        for (int32_t pixel = 0; pixel < 8; ++pixel) {
            if ((value & (0x80 >> pixel)) == 0)
                continue;
            uint8_t& byte = bytes[pixel >> 1];
            const bool left = (pixel & 1) == 0;
            uint32_t result = byte;
            if (m_solidMode)
                result = left ? (result & kLeftPixelKeep) | high : (result & kRightPixelKeep) | low;
            else if ((m_regs.NCREG & 1) != 0)
                result |= left ? high : low;
            else
                result &= left ? high : low;
            byte = static_cast<uint8_t>(result);
        }
    }
    InvalidateLine(line);
}

uint8_t CVideo_Korvet::ReadGraph(int32_t offset, bool quiet) {
    const uint32_t window = static_cast<uint32_t>(offset) & kGraphOffsetMask;
    uint32_t result = 0;
    if (m_processorMemory != nullptr) {
        const uint8_t* bytes = m_processorMemory + static_cast<size_t>(window >> 6) * 256 + (window & 63) * 4;
        const uint32_t readColour = static_cast<uint32_t>(m_readColour);
        for (int32_t pixel = 0; pixel < 8; ++pixel) {
            const uint32_t byte = bytes[pixel >> 1];
            const uint32_t colour = (pixel & 1) == 0 ? (byte >> 4) & 7 : byte & 7;
            // Solid mode: 1 where the pixel differs from the read colour;
            // planes mode: 1 where any selected plane is set.
            const bool bit = m_solidMode ? colour != readColour : (colour & readColour) != 0;
            if (bit)
                result |= 0x80u >> pixel;
        }
    }
    // A break asked by the trace line still answers the byte.
    TraceRead(m_flags[kTraceReadGRAPH], m_flags[kBreakReadGRAPH], quiet, "<=GRAPH [%.4lXh] = %.2lXh",
              static_cast<long>(static_cast<uint32_t>(offset) & kGraphTraceMask), static_cast<long>(result));
    return static_cast<uint8_t>(result);
}

} // namespace emu
