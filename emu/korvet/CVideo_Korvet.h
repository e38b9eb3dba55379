#pragma once
// The Korvet video: a 512 x 256 graphics screen of 3-bit pixels in 1 to 4
// pages of 64 KB, a 64 x 16 text screen laid over it through an 8 x 16
// character generator, a 16-entry palette, and the small text terminal that
// the emulated BIOS prints through.
//
//   Register  Reached through              Bits
//   VIREG     PPI_1 port C (write)         7-6 processor page, 5-4 inversion
//                                          control, 3 32 columns, 2 second
//                                          character set, 1-0 displayed page
//   VISTS     PPI_1 port A (read)          0xF4 | 0x08 inversion bit | 0x02 VBLANK
//   NCREG     system page (read, write)    7 solid mode, 6-4 read colour,
//                                          3-1 write colour c, 0 planes value
//   LUT       system page (write)          value & 0x0F entry, value >> 4 colour
//   TEXT      1 KB window                  one byte per character cell
//   GRAPH     16 KB window                 one bit per pixel, through NCREG
//
// Video memory byte at line y, position i: bits 6-4 the colour of pixel 2i,
// bits 2-0 of pixel 2i + 1. A text cell holds the code in bits 7-0 and the
// inversion flag in bit 15. A screen pixel is the palette index
// (text bit << 3) | graphics colour.
//
// Raster: a frame is 306 lines of 164 processor cycles; lines 0 to 49 are the
// blank interval (VBLANK status 0), lines 50 to 305 carry display lines 0 to
// 255 (status 2). One processor event "RenderEvent" per line keeps the status,
// draws (in scanline rendering), ends the frame at line 305 and raises the
// interrupt once per frame.
//
// The machine's wiring:
//   AddDevice(video, "Video Device", "VID"); SetVramPageCount(4); ConnectIrq(4, 1, true)
//   PPI_1 port C write -> WriteVireg(byte)     PPI_1 port A read -> ReadVists(quiet)
//   NCREG write -> WriteNcreg(byte)            NCREG read -> ReadNcreg(quiet)
//   LUT write -> WriteLut(value & 0x0F, value >> 4)
//   TEXT window -> ReadText(offset, quiet) / WriteText(offset, byte)
//   GRAPH window -> ReadGraph(offset, quiet) / WriteGraph(offset, byte)
//   BIOS console output -> PutChar(character)
//
// State, after the video base's "_CFP", "_DEV", "_VIDP", "_VIDD", no chunk of
// its own: "VER" u8 0, "MEMS" i32, "MEMD" blob (MEMS above 0), "SPGI" "MPGI"
// i32, "LUTD" blob 16, "LUTP" blob 64, "VIRG" "NCRG" "VBLN" i32, "LVBC" u64,
// "INVB" u16, "RINV" "GCLM" bool, "WCLL" "WCLH" "RCLL" "RCLH" i32, "SYMD" blob
// 2048, "SCLN" "CNLN" "CNPS" i32, "CNLS" u32, "CNCN" i32, "CNCR" "CNCL" bool.
//
// Emulation thread only; pixels and line flags of the renderer's surface are
// written without its locks.
#include <cstdint>

#include "emu/framework/CVideo.h"

namespace emu {

class CVideo_Korvet : public CVideo {
public:
    // Screen and raster.
    static constexpr int32_t kScreenWidth = 512;
    static constexpr int32_t kScreenHeight = 256;
    static constexpr int32_t kLineCycles = 164;
    static constexpr int32_t kFrameLines = 306;
    static constexpr int32_t kBlankLines = 50;
    static constexpr int32_t kFrameCycles = kLineCycles * kFrameLines; // 50184
    static constexpr int32_t kVblankBlank = 0;                         // lines 0 to 49
    static constexpr int32_t kVblankDisplay = 2;                       // lines 50 to 305; the VISTS bit

    // Text screen and terminal.
    static constexpr int32_t kTextColumns = 64;
    static constexpr int32_t kTextRows = 16;
    static constexpr int32_t kTextCells = kTextColumns * kTextRows;
    static constexpr uint16_t kInversionBit = 0x8000;

    // Video memory.
    static constexpr int32_t kVramPageBytes = 65536;
    static constexpr int32_t kMaxVramPages = 4;

    // Register bits.
    static constexpr uint32_t kViregDisplayedPage = 0x03;
    static constexpr uint32_t kViregSecondCharSet = 0x04;
    static constexpr uint32_t kViregWideText = 0x08; // 32 columns of double width
    static constexpr uint32_t kViregProcessorPage = 0xC0;
    static constexpr uint32_t kNcregSolidMode = 0x80;
    static constexpr uint8_t kVistsFixedBits = 0xF4;
    static constexpr uint8_t kVistsInversion = 0x08;

    static constexpr int32_t kPaletteEntries = 16;
    // The fixed colours by colour number (bit 3 intensity, bits 2-0 red,
    // green, blue), ARGB.
    static constexpr uint32_t kFixedColours[kPaletteEntries] = {
        0xFF000000u, 0xFF0000ADu, 0xFF00AA00u, 0xFF00AAADu, 0xFFAD0000u, 0xFFAD00ADu, 0xFFADAA00u, 0xFFADAAADu,
        0xFF525552u, 0xFF5255FFu, 0xFF52FF52u, 0xFF52FFFFu, 0xFFFF5552u, 0xFFFF55FFu, 0xFFFFFF52u, 0xFFFFFFFFu};

    // Trace and break flags, in settings order (trace before break). The
    // SetVBLANK pair governs "VBLANK = 1" (display lines begin), the
    // ResetVBLANK pair "VBLANK = 0" (blank interval begins).
    enum Flag : uint32_t {
        kTraceWriteVIREG = 0,
        kBreakWriteVIREG,
        kTraceReadVISTS,
        kBreakReadVISTS,
        kTraceWriteNCREG,
        kBreakWriteNCREG,
        kTraceReadNCREG,
        kBreakReadNCREG,
        kTraceWriteLUT,
        kBreakWriteLUT,
        kTraceWriteTEXT,
        kBreakWriteTEXT,
        kTraceReadTEXT,
        kBreakReadTEXT,
        kTraceWriteGRAPH,
        kBreakWriteGRAPH,
        kTraceReadGRAPH,
        kBreakReadGRAPH,
        kTraceSetVBLANK,
        kBreakSetVBLANK,
        kTraceResetVBLANK,
        kBreakResetVBLANK,
        kFlagCount
    };

    // UI text id of the "VRAM Page Count" submenu.
    static constexpr int32_t kTextVramPageCount = 87;

    CVideo_Korvet();
    ~CVideo_Korvet() override;

    // --- Registers and palette (CVideo_Korvet_Registers.cpp) ----------------------------
    // VIREG: inversion control, then the pages (a page beyond the allocated
    // ones is ignored); a displayed page change redraws the screen.
    void WriteVireg(int32_t value);
    // NCREG: solid or planes mode and the write and read colours.
    void WriteNcreg(int32_t value);
    // Palette entry 0 to 15 takes colour number 0 to 15; false (and a trace
    // line "incorrect, ignored") for anything else.
    bool WriteLut(uint32_t entry, uint32_t colour);
    // 1 to 4 pages of 64 KB; false outside. Reallocates (zeroed) while started.
    bool SetVramPageCount(int32_t count);
    // Declares the "IRQ" parameter (line, parameter flags, enabled).
    void ConnectIrq(int32_t line, uint8_t flags, bool enabled);
    // The status byte and NCREG as the processor reads them, with their trace
    // lines (none when quiet).
    uint8_t ReadVists(bool quiet);
    uint8_t ReadNcreg(bool quiet);
    // VISTS without a trace line.
    uint8_t GetVists() const {
        return static_cast<uint8_t>(kVistsFixedBits | (m_inversionBit != 0 ? kVistsInversion : 0) |
                                    (m_vblankStatus & kVblankDisplay));
    }

    // --- Memory windows (CVideo_Korvet_Memory.cpp) --------------------------------------
    // TEXT: offset & 0x3FF selects the cell. A read answers the code; with
    // the read-inversion flag set (and not quiet) it takes the cell's
    // inversion flag as the inversion bit. A write keeps bits 14-8 of the cell.
    uint8_t ReadText(int32_t offset, bool quiet);
    void WriteText(uint32_t offset, uint8_t value);
    // GRAPH: offset >> 6 the line, offset & 63 the 8-pixel column of the
    // processor page; offsets of 0x4000 and above are folded into the 16 KB
    // window. Reads compare with the read colour, writes apply the write colour.
    uint8_t ReadGraph(int32_t offset, bool quiet);
    void WriteGraph(int32_t offset, int32_t value);

    // --- Raster and rendering (CVideo_Korvet_Render.cpp) --------------------------------
    // Base start, bus rate at least 100 Hz, memory, registers, palette and
    // terminal to their power-on values, the character generator, and the
    // "RenderEvent" every 164 cycles. Stop frees the video memory.
    bool Start(int32_t* value) override;
    void Stop() override;
    static bool OnRenderEvent(CObject* user, int32_t* period, uint32_t* data, CProcessorInterface* processor);
    // Brings the surface up to date (512 x 256); true when the frame must be ended.
    bool RenderFrame();

    // --- Text terminal (CVideo_Korvet_Terminal.cpp) -------------------------------------
    // One character, control code or escape-sequence byte.
    void PutChar(int8_t character);
    // Wraps and scrolls the cursor position, then shows or hides the cursor
    // mark (bit 15 of the cell under it).
    void AdvanceCursor(bool show);

    // --- Settings, menus and state (CVideo_Korvet_Settings.cpp) -------------------------
    bool CollectProperties(common::CSettingsRegistry* registry, bool enabledOnly) override;
    bool ValidateProperties(bool enabledOnly) override;
    void BuildMenu(COptionTree* menu, int32_t kind) override;
    bool SaveData(common::CStreamHolder& holder) override;
    bool LoadData(common::CStreamHolder& holder, common::CNarrowString* errorText) override;

    // The settings key of a flag ("TraceWriteVIREG"...); null outside the table.
    static const char* GetFlagName(uint32_t flag);
    bool GetFlag(uint32_t flag) const { return flag < kFlagCount && m_flags[flag]; }
    void SetFlag(uint32_t flag, bool on) {
        if (flag < kFlagCount)
            m_flags[flag] = on;
    }

    // --- Fields the machine and the tests read -------------------------------------------
    uint32_t GetVireg() const { return m_regs.VIREG; }
    uint32_t GetNcreg() const { return m_regs.NCREG; }
    uint16_t GetInversionBit() const { return m_inversionBit; }
    bool GetReadInversion() const { return m_readInversion; }
    int32_t GetVblankStatus() const { return m_vblankStatus; }
    uint64_t GetLastVblankChange() const { return m_lastVblankChange; }
    bool IsSolidMode() const { return m_solidMode; }
    int32_t GetWriteColourLow() const { return m_writeColourLow; }
    int32_t GetWriteColourHigh() const { return m_writeColourHigh; }
    int32_t GetReadColour() const { return m_readColour; }
    int32_t GetReadMask() const { return m_readMask; }
    int32_t GetPaletteEntry(int32_t entry) const { return m_paletteEntries[entry & 15]; }
    uint32_t GetPaletteColour(int32_t entry) const { return m_paletteColours[entry & 15]; }
    int32_t GetVramPageCountMinusOne() const { return m_pageCountMinusOne; }
    int32_t GetDisplayedPage() const { return m_displayedPage; }
    int32_t GetProcessorPage() const { return m_processorPage; }
    const uint8_t* GetVideoMemory() const { return m_videoMemory; }
    int32_t GetVideoMemorySize() const { return m_videoMemorySize; }
    uint16_t GetTextCell(int32_t index) const { return m_text[index & (kTextCells - 1)]; }
    const uint8_t* GetCharGen() const { return m_charGen; }
    int32_t GetLineCounter() const { return m_lineCounter; }
    bool GetLineDrawn() const { return m_lineDrawn; }
    bool IsIrqEnabled() const { return m_irqFlag; }
    int32_t GetCursorRow() const { return m_cursorRow; }
    int32_t GetCursorColumn() const { return m_cursorColumn; }
    uint32_t GetTerminalState() const { return m_terminalState; }
    int32_t GetAddressingStep() const { return m_addressingStep; }
    bool IsCursorEnabled() const { return m_cursorEnabled; }
    bool IsCursorShown() const { return m_cursorShown; }

private:
    struct CRegisters {
        uint32_t VIREG = 0;
        uint32_t NCREG = 0;
    };

    // Points the two page pointers at their pages (null without memory, or
    // for a page beyond it).
    void UpdatePagePointers();
    // Frees the memory and allocates `size` zero bytes (without an argument:
    // page count x 64 KB); false when the allocation fails (no memory then).
    bool AllocateVideoMemory(int32_t size);
    bool AllocateVideoMemory() { return AllocateVideoMemory((m_pageCountMinusOne + 1) * kVramPageBytes); }
    void FreeVideoMemory();
    // Clamps both pages to the page count and redraws the screen.
    void ClampPages();
    // One GRAPH line is stale.
    void InvalidateLine(int32_t line);
    // Palette entry = colour number, with its fixed colour.
    void SetPaletteEntry(int32_t entry, int32_t colour);
    // One render event; false drops it.
    bool RunRenderEvent(CProcessorInterface* processor);
    // The VBLANK status to 0 (blank interval) or 2 (display lines), with its
    // trace line when it changes.
    void SetVblank(int32_t status, uint64_t cycles);
    // The frame end: render, end the frame, raise the interrupt.
    void EndRasterFrame();
    // Draws display line y when it is stale; true when drawn.
    bool DrawDisplayLine(int32_t y);
    // Terminal helpers.
    void PutVisible(uint8_t code);
    void ClearScreenCells();
    bool AllocateCharGen();

    bool m_flags[kFlagCount];
    CRegisters m_regs;
    bool m_solidMode;
    int32_t m_writeColourLow;  // applied to the right pixel of a memory byte
    int32_t m_writeColourHigh; // applied to the left pixel
    int32_t m_readColour;
    int32_t m_readMask;
    uint16_t m_inversionBit; // 0 or 0x8000, ORed into written characters
    bool m_readInversion;
    int32_t m_vblankStatus;
    uint64_t m_lastVblankChange;
    int32_t m_paletteEntries[kPaletteEntries];
    uint32_t m_paletteColours[kPaletteEntries];

    uint8_t* m_videoMemory;    // owned; null while stopped
    int32_t m_videoMemorySize; // bytes of m_videoMemory
    int32_t m_pageCountMinusOne;
    int32_t m_displayedPage;
    uint8_t* m_displayedMemory; // into m_videoMemory; not owned
    int32_t m_processorPage;
    uint8_t* m_processorMemory; // into m_videoMemory; not owned

    uint16_t m_text[kTextCells];
    uint8_t* m_charGen; // owned; a copy of the built-in generator
    int32_t m_charGenSize;

    int32_t m_lineCounter;
    bool m_lineDrawn;

    int32_t m_cursorRow;
    int32_t m_cursorColumn;
    uint32_t m_terminalState;
    int32_t m_addressingStep;
    bool m_cursorEnabled;
    bool m_cursorShown;
};

} // namespace emu
