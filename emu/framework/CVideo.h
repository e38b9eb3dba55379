#pragma once
// The raster display base. A video device is its own page 0 of video memory
// (CVideoMemory) and may own a page 1 as a child. On top of the page it keeps
// the emulated screen (width in pixels, height in visible lines), the frame
// timing (lines per frame, frames per second), the beam's scan line, nine
// optional display parameters (-1 when unset), the aspect factor handed to the
// renderer with every frame and a font store.
//
// A derived display draws one scan line in RenderLine and installs its timing
// with SetTiming, which puts one render event on a clock:
//   kind 0  bus event "_FrRenderEvent0" at 4 x frames per second (frame phases)
//   kind 1  bus event "_LoRenderEvent0" at lines x frames per second
//   kind 2  processor event "_HiRenderEvent0" every clock / (lines x fps) cycles
// Each event carries a tag (its data words, low word first) equal to the
// render generation it was made for; a new timing bumps the generation, so the
// previous event answers false at its next firing and the scheduler drops it.
//
// Rendering modes ("RenderMode"): 1 scanline (each visible line is drawn as the
// beam passes it, unless already drawn), 0 frame (every undrawn line at the
// frame end; the frame ends only when something was drawn). The renderer's
// line record says which lines are drawn; a write to the displayed page
// invalidates it (CVideoMemory::InvalidateLines).
//
// State chunk "_VIDD", after the page's "_VIDP":
//   "VER" u8 1, "PID" u8 current page, "SCSW" "SCSH" "SCLN" i32, "RNDT" i64
//   render generation, "APCT" blob 8 (aspect factor as a little-endian double),
//   "ENBL" bool, "GMOD" bool, "VPAR" i32 presence mask (bit 0 VMOD .. bit 8
//   LINS), the present parameters as i32 in that order, "TMOD" i32, with TMOD 0
//   "T0SC" "T0FR" i32, "FSIZ" i32 font bytes, "FDAT" blob (FSIZ above 0 only).
// The render event itself travels with the processor's or the bus's state.
//
// Emulation thread only; the renderer's line record is written without its locks.
#include <cstdint>

#include "common/CMemoryStream.h"
#include "emu/framework/CVideoMemory.h"

namespace common {
class CStream;
}

namespace emu {

class CProcessorInterface;

class CVideo : public CVideoMemory {
public:
    static constexpr uint8_t kVideoStateVersion = 1;
    static constexpr int32_t kPageCount = 2;
    static constexpr int32_t kRenderFrame = 0;
    static constexpr int32_t kRenderScanline = 1;
    static constexpr int32_t kAspectCount = 5; // fixed ratios 1 to 5
    // Timing kinds of SetTiming.
    static constexpr int32_t kTimingFrameEvent = 0;
    static constexpr int32_t kTimingBusLineEvent = 1;
    static constexpr int32_t kTimingCpuLineEvent = 2;
    static constexpr int32_t kMenuVideo = 3;
    // UI text ids of the Video menu.
    static constexpr int32_t kTextFrameRendering = 40;
    static constexpr int32_t kTextScanlineRendering = 41;
    static constexpr int32_t kTextAspectRatio = 42;
    static constexpr int32_t kTextAspectDefault = 43;

    CVideo();
    ~CVideo() override;

    // --- Settings and menus (CVideo_Settings.cpp) ---------------------------------
    // "RenderMode" and "AspectIndex" as signed 32-bit bound values (unless
    // another device owns them, or enabledOnly), then the children.
    bool CollectProperties(common::CSettingsRegistry* registry, bool enabledOnly) override;
    // The children's check, then render mode above 1 -> 1 and aspect index
    // above 5 -> 0 (negative values too); false when a value was corrected.
    bool ValidateProperties(bool enabledOnly) override;
    // The device's menus; the Video menu (kind 3) gets the render modes and the
    // "Aspect Ratio" sub-menu, usable only while the device is stopped.
    void BuildMenu(COptionTree* menu, int32_t kind) override;

    // --- Device operations ---------------------------------------------------------
    // Page start, then timing, geometry and beam from zero, page 0 displayed
    // (its writes invalidate the lines), the aspect factor from the aspect
    // index, the parameters unset, and the three render callbacks registered
    // with the bus. False without a bus or when a step fails.
    bool Start(int32_t* value) override;
    void Stop() override;
    // The page reset; a full reset also invalidates the drawn lines.
    bool Reset(uint32_t flags) override;
    bool SaveData(common::CStreamHolder& holder) override;
    bool LoadData(common::CStreamHolder& holder, common::CNarrowString* errorText) override;

    // --- Operations for the derived display ------------------------------------------
    // Draws `line` into `row` (width = screen width) and answers true when it
    // drew; called with width 0 and a null row for every line not drawn, so a
    // display can keep per-line state. The base draws nothing.
    virtual bool RenderLine(int32_t line, int32_t reserved, int32_t width, uint32_t* row, bool force);
    // Sizes the renderer's surface to the screen; true when it was resized.
    virtual bool EnsureSurfaceSize();
    // Called by the frame event four times a frame (phase 0 to 3 of `count`).
    virtual void OnFramePhase(int32_t phase, int32_t count);
    // Page 0 by address through the window: offsets outside the page read 0xFF
    // and drop writes.
    virtual void WritePageByte(uint32_t address, uint8_t value);
    virtual uint8_t ReadPageByte(uint32_t address, uint8_t flag);
    // Mode (VMOD), width, height, columns (COLC), rows (ROWC), colours
    // (1 << PIXS, 0 while PIXS is unset) and 0; any pointer may be null.
    // Answers whether the device is started.
    virtual bool GetScreenGeometry(int32_t* mode, int32_t* width, int32_t* height, int32_t* columns, int32_t* rows,
                                   int32_t* colours, int32_t* reserved);
    virtual bool IsTextMode();

    // Screen size and render event. A negative lines or rate keeps the current
    // one. The screen size is taken even when a later step fails; the same
    // lines and rate as the installed timing change nothing else (whatever the
    // kind). A rate of 0 installs no event. False for negative values, an
    // unknown kind, a rate beyond 32 bits or a refused event.
    bool SetTiming(int32_t width, int32_t height, int32_t linesPerFrame, int32_t framesPerSecond, int32_t kind);
    // Draws every visible line not drawn yet; true when a line was drawn or the
    // surface resized. False without a renderer or when the surface cannot take
    // the screen size.
    bool RenderStep();
    // As RenderStep; with force every line is drawn again (and the display is
    // told so), and lines not drawn get no call.
    bool Redraw(bool force);
    // Marks a line of the renderer's record drawn (nothing without a renderer).
    void MarkLineDrawn(int32_t line);

    // --- Pages -------------------------------------------------------------------------
    // Adds page 1 (a new CVideoMemory for a null page) named "<name> Page 1",
    // short "<short name>_PAGE1" unless names are given. Answers 1, or -1 while
    // started, when page 1 exists or the child cannot be added (a page made
    // here is deleted then).
    int32_t CreatePage(CVideoMemory* page, const char* name, const char* shortName);
    // Page 0 or 1 (created when missing); false while started or for another index.
    bool SetPageMemoryWindow(int32_t index, int32_t firstPage, int32_t pageCount, bool present, uint8_t flag);
    bool SetPageSizeAt(int32_t index, int32_t sizeKb, uint32_t mask);
    CVideoMemory* GetPage(int32_t index) const;

    // --- Pixel unpacking and font store (CVideo_Pixels.cpp) ----------------------------
    // Packed pixels to palette colours, leftmost pixel in the low bits unless
    // msbFirst; `count` pixels are written, the last byte may be partly used.
    static void UnpackPixels1(const uint8_t* source, uint32_t* destination, const uint32_t* palette, int32_t count,
                              bool msbFirst);
    static void UnpackPixels2(const uint8_t* source, uint32_t* destination, const uint32_t* palette, int32_t count,
                              bool msbFirst);
    static void UnpackPixels4(const uint8_t* source, uint32_t* destination, const uint32_t* palette, int32_t count,
                              bool msbFirst);
    // Puts `size` bytes into the font store, cut to the maximum size; false
    // below the minimum size, for a negative size or when the bytes cannot be
    // stored (the store then keeps what it had, or its new size). Invalidates
    // the drawn lines.
    bool SetFontData(const uint8_t* data, int32_t size);
    // The same with the whole stream, read from its position 0.
    bool SetFontDataFromStream(common::CStream* stream);
    // -1: no bound.
    void SetFontSizeLimits(int32_t minimum, int32_t maximum) {
        m_fontMinSize = minimum;
        m_fontMaxSize = maximum;
    }
    const uint8_t* GetFontData() { return m_font.GetBuffer(); }
    int32_t GetFontSize() const { return static_cast<int32_t>(m_font.GetSize()); }

    // --- Aspect ----------------------------------------------------------------------------
    // 4.25/3 scaled by the root of the host screen's ratio to 1.6, within 4/3
    // and 5/3; 4.25/3 for a screen of 320 x 200 or less.
    static float ComputeAutomaticAspectFactor(int32_t screenWidth, int32_t screenHeight);
    // The factor of a fixed ratio 1 to 5; the automatic factor for any other index.
    float GetAspectFactorFor(int32_t aspectIndex) const;

    // --- Render events ---------------------------------------------------------------------
    static bool OnHiRenderEvent(CObject* user, int32_t* period, uint32_t* data, CProcessorInterface* processor);
    static bool OnLoRenderEvent(CObject* user, uint64_t* fireCount, uint32_t* data);
    static bool OnFrRenderEvent(CObject* user, uint64_t* fireCount, uint32_t* data);

    // --- State -------------------------------------------------------------------------------
    int32_t GetRenderMode() const { return *m_renderModePointer; }
    void SetRenderMode(int32_t mode) { *m_renderModePointer = mode; }
    int32_t GetAspectIndex() const { return *m_aspectIndexPointer; }
    void SetAspectIndex(int32_t index) { *m_aspectIndexPointer = index; }
    // A selector owning the settings points them at its own fields; null: own.
    void SetSettingPointers(int32_t* renderMode, int32_t* aspectIndex);
    float GetAspectFactor() const { return m_aspectFactor; }
    float GetAutomaticAspectFactor() const { return m_automaticAspectFactor; }
    int32_t GetCurrentPage() const { return m_currentPage; }
    uint8_t* GetCurrentPageMemory() const { return m_currentPageMemory; }
    bool IsDisplayEnabled() const { return m_displayEnabled; }
    bool IsGraphicsMode() const { return m_graphicsMode; }
    int32_t GetTimingIndex() const { return m_timingIndex; }
    int32_t GetLinesPerFrame() const { return m_linesPerFrame; }
    int32_t GetFramesPerSecond() const { return m_framesPerSecond; }
    uint64_t GetRenderGeneration() const { return m_renderGeneration; }
    int32_t GetScanLine() const { return m_scanLine; }
    int32_t GetScreenWidth() const { return m_screenWidth; }
    int32_t GetScreenHeight() const { return m_screenHeight; }

    // Display parameters in state order (bit n of "VPAR"); -1 when unset.
    enum DisplayParameter { kVMOD, kCOLC, kROWC, kCOLS, kROWS, kCHRW, kCHRH, kPIXS, kLINS, kDisplayParameterCount };
    int32_t GetDisplayParameter(DisplayParameter which) const { return m_displayParameters[which]; }
    void SetDisplayParameter(DisplayParameter which, int32_t value) { m_displayParameters[which] = value; }

protected:
    // One scan line of a line event.
    bool RunLineEvent();
    // The frame end of frame rendering: render step, invisible lines, EndFrame
    // when anything was drawn.
    void EndRenderedFrame();
    // The render step's loop; `force` as in Redraw.
    bool DrawLines(bool changed, bool force);
    // Checks the event's tag against the render generation.
    bool IsCurrentTag(const uint32_t* data) const;

    int32_t m_renderMode;                                // setting "RenderMode"
    int32_t m_aspectIndex;                               // setting "AspectIndex"
    CVideoMemory* m_pages[kPageCount];                   // page 0 is this device; page 1 a child (owned as such)
    int32_t m_currentPage;                               // displayed page, -1 for none
    uint8_t* m_currentPageMemory;                        // that page's bytes; not owned
    bool m_displayEnabled;                               // "ENBL"
    bool m_graphicsMode;                                 // "GMOD"
    int32_t m_displayParameters[kDisplayParameterCount]; // VMOD .. LINS, -1 when unset
    int32_t* m_renderModePointer;                        // where the render mode is read; not owned
    int32_t* m_aspectIndexPointer;                       // where the aspect index is read; not owned
    int32_t m_timingIndex;                               // -1 without a render event, 0 with timing 0
    int32_t m_linesPerFrame;                             // visible and invisible
    int32_t m_framesPerSecond;
    uint64_t m_renderGeneration; // tag of the current render event
    int32_t m_scanLine;          // the beam's line within the frame
    int32_t m_screenWidth;
    int32_t m_screenHeight; // visible lines; the rest of the frame is invisible
    float m_aspectFactor;
    float m_automaticAspectFactor;
    common::CMemoryStream m_font;
    int32_t m_fontMinSize; // -1: none
    int32_t m_fontMaxSize; // -1: none
};

} // namespace emu
