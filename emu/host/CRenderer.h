#pragma once
// The host screen as the machine sees it: the frame surface that the video
// devices draw into, plus the link back to the machine. The host renderers
// (no drawing, GDI, OpenGL) derive from it, allocate the pixel rows and
// present them; this class holds what every one of them shares.
//
// Reset callback: the machine installs one when the renderer becomes its host
// screen; the renderer calls it after it has changed its output size, so that
// the devices redraw. The machine clears it again when it lets the renderer go,
// so a renderer never calls into a machine that no longer holds it.
//
// Line record: one flag byte per display line (index line & 0x7FF). The video
// writes it on the emulation thread without the renderer's locks: it sets
// kLineDrawn when it draws a line (kLineChanged too, counted once, for a line
// inside the surface), counts the lines to draw down and widens the drawn
// range; a write to video memory clears kLineDrawn over the drawn range so the
// lines are drawn again. The renderer clears kLineChanged when it presents.
#include <cstdint>

#include "common/CSurface.h"

namespace emu {

class CRenderer : public common::CSurface {
public:
    typedef void (*ResetCallback)(void* user);

    static constexpr common::ARGB kDefaultBorderColour = 0xFF000000u;

    static constexpr int32_t kLineRecordSize = 2048;
    static constexpr int32_t kLineIndexMask = 0x7FF;
    static constexpr uint8_t kLineDrawn = 0x01;   // drawn since the video last invalidated the screen
    static constexpr uint8_t kLineChanged = 0x02; // changed since the last presentation

    CRenderer() = default;
    ~CRenderer() override = default;

    // Border colour back to black, then the rows and the size go as in the surface.
    void Free() override {
        m_borderColour = kDefaultBorderColour;
        common::CSurface::Free();
    }

    // 0 stretches the frame to the window, 1 keeps its proportions; the
    // windowed renderers read it when they compute the output rectangle.
    virtual void SetStretchMode(int32_t mode) { m_stretchMode = mode; }
    int32_t GetStretchMode() const { return m_stretchMode; }

    // A null callback or user unhooks the machine.
    void SetResetCallback(ResetCallback callback, void* user) {
        m_resetCallback = callback;
        m_resetUser = user;
    }
    ResetCallback GetResetCallback() const { return m_resetCallback; }
    void* GetResetUser() const { return m_resetUser; }

    common::ARGB GetBorderColour() const { return m_borderColour; }
    void SetBorderColour(common::ARGB colour) { m_borderColour = colour; }

    // Ends an emulated frame: after a forced present every line counts as
    // changed; the frame is dirty when any line changed; the aspect factor
    // (width to height, 0 or less for none) is kept for presentation. The flag
    // has no effect here.
    virtual void EndFrame(bool /*flag*/, float aspect) {
        if (m_resizePending) {
            m_resizePending = false;
            MarkAllLinesChanged();
            m_frameDirty = true;
        } else if (m_changedLineCount > 0) {
            m_frameDirty = true;
        }
        m_aspectFactor = aspect;
    }
    // The base stores no size: it starts a new line record for the height it
    // already has. A renderer that owns pixel rows sets them first, then calls this.
    virtual bool SetSize(int32_t /*width*/, int32_t /*height*/, bool /*clientSized*/) {
        for (uint8_t& flags : m_lineFlags)
            flags = 0;
        m_changedLineCount = 0;
        m_linesToDraw = m_height & kLineIndexMask;
        m_firstDrawnLine = kLineRecordSize;
        m_lastDrawnLine = -1;
        return true;
    }
    virtual bool IsSize(int32_t width, int32_t height) { return m_width == width && m_height == height; }

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
    int32_t GetChangedLineCount() const { return m_changedLineCount; }
    int32_t GetLinesToDraw() const { return m_linesToDraw; }
    int32_t GetFirstDrawnLine() const { return m_firstDrawnLine; }
    int32_t GetLastDrawnLine() const { return m_lastDrawnLine; }
    float GetAspectFactor() const { return m_aspectFactor; }
    bool IsFrameDirty() const { return m_frameDirty; }

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

    uint8_t m_lineFlags[kLineRecordSize] = {};
    bool m_resizePending = false; // the next EndFrame marks every line changed
    int32_t m_changedLineCount = 0;
    int32_t m_linesToDraw = 0;
    int32_t m_firstDrawnLine = kLineRecordSize; // empty drawn range
    int32_t m_lastDrawnLine = -1;
    float m_aspectFactor = 0.0f;
    bool m_frameDirty = true;

    // Tells the machine that the output size changed (when one is hooked).
    void NotifyReset() {
        if (m_resetCallback != nullptr && m_resetUser != nullptr)
            m_resetCallback(m_resetUser);
    }

    int32_t m_stretchMode = 0;
    common::ARGB m_borderColour = kDefaultBorderColour;

private:
    ResetCallback m_resetCallback = nullptr;
    void* m_resetUser = nullptr; // the machine; not owned
};

} // namespace emu
