#pragma once
// The host screen as the machine sees it: the frame surface that the video
// devices draw into, plus the link back to the machine. The host renderers
// (no drawing, GDI, OpenGL) derive from it, allocate the pixel rows and
// present them; this class holds what every one of them shares.
//
// Pixels are 32-bit ARGB values (bytes blue, green, red, alpha in memory).
//
// Reset callback (the resize hook): the machine installs one when the renderer
// becomes its host screen; the renderer calls it after it has changed its
// output size, so that the devices redraw. The machine clears it again when it
// lets the renderer go, so a renderer never calls into a machine that no
// longer holds it.
//
// Repaint hook: the core installs one; EndFrame calls it, and a true answer
// (the console text was drawn over the surface) makes every line count as
// changed.
//
// Line record: one flag byte per display line (index line & 0x7FF). The video
// writes it on the emulation thread without the renderer's locks: it sets
// kLineDrawn when it draws a line (kLineChanged too, counted once, for a line
// inside the surface), counts the lines to draw down and widens the drawn
// range; a write to video memory clears kLineDrawn over the drawn range so the
// lines are drawn again. The windowed renderers clear kLineChanged at the end
// of each frame. Every line loop runs over height & 0x7FF lines.
//
// Threads and locks: the emulation thread draws and ends frames, the
// user-interface thread presents. The present lock and the frame lock are
// recursive and always taken present lock first. The present holds the
// present lock throughout and the frame lock only while it claims the frame;
// EndFrame takes the frame lock alone. Once the destructor has set the
// destroying flag every locked operation refuses.
#include <cstdint>

#include "common/CCriticalSection.h"
#include "common/CSurface.h"

namespace emu {

class CRenderer : public common::CSurface {
public:
    typedef void (*ResetCallback)(void* user);
    typedef bool (*RepaintHook)(void* user);
    // A host window (HWND on Windows); null for none.
    typedef void* WindowHandle;

    static constexpr common::ARGB kDefaultBorderColour = 0xFF000000u;

    static constexpr int32_t kLineRecordSize = 2048;
    static constexpr int32_t kLineIndexMask = 0x7FF;
    static constexpr uint8_t kLineDrawn = 0x01;   // drawn since the video last invalidated the screen
    static constexpr uint8_t kLineChanged = 0x02; // changed since the last frame end

    // Stretch modes of SetStretchMode.
    static constexpr int32_t kStretchFit = 0;     // fill the window keeping the aspect
    static constexpr int32_t kStretchInteger = 1; // whole multiples when the frame fits

    CRenderer();
    ~CRenderer() override;

    // The surface's Free is the renderer's Reset.
    void Free() override { Reset(); }

    // --- Operations every renderer answers -----------------------------------
    // Border colour back to black (a change makes the frame dirty), then the
    // rows and the size go as in the surface.
    virtual void Reset();
    // Whether the renderer can work on this host; the manager keeps only those
    // that answer true.
    virtual bool Initialize() { return true; }
    // Ends an emulated frame: after a forced present every line counts as
    // changed; the frame is dirty when any line changed; the aspect factor
    // (width to height, 0 or less for none) is kept for presentation; then the
    // repaint hook runs. The flag has no effect.
    virtual void EndFrame(bool flag, float aspect);
    // The base stores no size: it starts a new line record for the height it
    // already has. A renderer that owns pixel rows sets them first, then calls this.
    virtual bool SetSize(int32_t width, int32_t height, bool clientSized);
    virtual bool IsSize(int32_t width, int32_t height) { return m_width == width && m_height == height; }
    // Window coordinates to frame coordinates; the base keeps them.
    virtual bool MapPoint(int32_t x, int32_t y, double* fx, double* fy);
    // clear false: the vertical-sync flag; clear true: clears it, answers false.
    virtual bool IsVSync(bool clear);
    virtual void SetVSync(bool on) { m_vsync = on; }
    virtual bool GetClientRect(int32_t* left, int32_t* top, int32_t* right, int32_t* bottom);
    virtual bool Open() { return false; }
    virtual void Close() {}
    virtual bool FillBackground(const common::ARGB& colour);
    // Attaches the renderer to a window (null detaches). The headless layers answer false.
    virtual bool SetWindow(WindowHandle window);
    // Asks for the current frame to be shown; force shows it even when nothing
    // changed and makes the next frame end redraw every line. True when a
    // frame was presented.
    virtual bool RequestPresent(bool force);
    // A new renderer of the same kind, owned by the caller; null for none.
    virtual CRenderer* CreateInstance() { return nullptr; }
    virtual const char* GetName() { return "No Draw"; }
    virtual bool IsSlot19Set() { return false; }
    // The window's background is to be painted again at the next present.
    virtual void InvalidateBackground() {}
    // kStretchFit or kStretchInteger; the windowed renderers read it when
    // they compute the output rectangle.
    virtual void SetStretchMode(int32_t mode) { m_stretchMode = mode; }
    int32_t GetStretchMode() const { return m_stretchMode; }

    // --- Shared, not overridden ------------------------------------------------
    // Takes both locks when the colour differs: a new border repaints everything.
    void SetBorderColour(common::ARGB colour);
    common::ARGB GetBorderColour() const { return m_borderColour; }
    // Sizes the surface to the window's client area; false when there is no
    // client area or the size already matches.
    bool FitToClient();

    // A null callback or user unhooks the machine.
    void SetResetCallback(ResetCallback callback, void* user) {
        m_resetCallback = callback;
        m_resetUser = user;
    }
    ResetCallback GetResetCallback() const { return m_resetCallback; }
    void* GetResetUser() const { return m_resetUser; }
    void SetRepaintHook(RepaintHook hook, void* user) {
        m_repaintHook = hook;
        m_repaintUser = user;
    }

    // --- The video's side of the line record (emulation thread, no locks) -----
    uint8_t GetLineFlags(int32_t line) const { return m_lineFlags[line & kLineIndexMask]; }
    bool IsLineDrawn(int32_t line) const { return (GetLineFlags(line) & kLineDrawn) != 0; }
    void MarkLineDrawn(int32_t line) {
        const int32_t index = line & kLineIndexMask;
        uint8_t& flags = m_lineFlags[index];
        if ((flags & kLineDrawn) != 0)
            return;
        if ((flags & kLineChanged) == 0 && index < (m_height & kLineIndexMask)) {
            flags |= kLineChanged;
            ++m_changedLineCount;
        }
        flags |= kLineDrawn;
        if (m_linesToDraw > 0)
            --m_linesToDraw;
        if (index < m_firstDrawnLine)
            m_firstDrawnLine = index;
        if (index > m_lastDrawnLine)
            m_lastDrawnLine = index;
    }
    // Lines to draw back at full height means nothing was drawn since the last
    // call, so a run of writes costs one comparison each.
    void InvalidateDrawnLines() {
        const int32_t height = m_height & kLineIndexMask;
        if (m_linesToDraw == height)
            return;
        m_linesToDraw = height;
        for (int32_t line = m_firstDrawnLine; line <= m_lastDrawnLine; ++line)
            m_lineFlags[line] &= static_cast<uint8_t>(~kLineDrawn);
    }
    // One line drawn again at its next turn; nothing for a line not drawn.
    void InvalidateLine(int32_t line) {
        uint8_t& flags = m_lineFlags[line & kLineIndexMask];
        if ((flags & kLineDrawn) == 0)
            return;
        flags &= static_cast<uint8_t>(~kLineDrawn);
        ++m_linesToDraw;
    }
    int32_t GetChangedLineCount() const { return m_changedLineCount; }
    int32_t GetLinesToDraw() const { return m_linesToDraw; }
    int32_t GetFirstDrawnLine() const { return m_firstDrawnLine; }
    int32_t GetLastDrawnLine() const { return m_lastDrawnLine; }
    float GetAspectFactor() const { return m_aspectFactor; }
    bool IsFrameDirty() const { return m_frameDirty; }
    bool IsResizePending() const { return m_resizePending; }
    // Present requests so far, starting at 1 and never 0.
    uint32_t GetPresentedFrameCount() const { return m_presentedFrames; }
    // The pixels behind the rows (windowed renderers), and bytes per row.
    const uint32_t* GetPixelBuffer() const { return m_pixelBuffer; }
    int32_t GetRowPitch() const { return m_rowPitch; }

protected:
    // Sets kLineChanged on every line of the height, once until the count changes.
    void MarkAllLinesChanged() {
        const int32_t height = m_height & kLineIndexMask;
        if (m_changedLineCount == height)
            return;
        m_changedLineCount = height;
        for (int32_t line = 0; line < height; ++line)
            m_lineFlags[line] |= kLineChanged;
    }
    // Tells the machine that the output size changed (when one is hooked).
    void NotifyReset() {
        if (m_resetCallback != nullptr && m_resetUser != nullptr)
            m_resetCallback(m_resetUser);
    }

    common::CCriticalSection* GetPresentLock() { return &m_presentLock; }
    common::CCriticalSection* GetFrameLock() { return &m_frameLock; }

    uint8_t m_lineFlags[kLineRecordSize] = {};
    bool m_resizePending = false; // the next EndFrame marks every line changed
    int32_t m_changedLineCount = 0;
    int32_t m_linesToDraw = 0;
    int32_t m_firstDrawnLine = kLineRecordSize; // empty drawn range
    int32_t m_lastDrawnLine = -1;
    bool m_vsync = false;
    uint32_t* m_pixelBuffer = nullptr; // owned by the windowed renderers, which free it
    int32_t m_rowPitch = 0;
    common::ARGB m_borderColour = kDefaultBorderColour;
    float m_aspectFactor = 0.0f;
    bool m_frameDirty = true;
    bool m_destroying = false; // set under both locks by the destructors
    int32_t m_stretchMode = kStretchFit;

    uint32_t m_presentedFrames = 1;

private:
    // Declared in this order so the frame lock goes first on destruction.
    common::CCriticalSection m_presentLock;
    common::CCriticalSection m_frameLock;
    ResetCallback m_resetCallback = nullptr;
    void* m_resetUser = nullptr; // the machine; not owned
    RepaintHook m_repaintHook = nullptr;
    void* m_repaintUser = nullptr; // the core; not owned
};

} // namespace emu
