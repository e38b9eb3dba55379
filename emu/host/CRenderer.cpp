#include "emu/host/CRenderer.h"

#include "common/CScopedLock.h"

namespace emu {

CRenderer::CRenderer() = default;

CRenderer::~CRenderer() {
    m_destroying = true;
    m_changedLineCount = 0;
    m_linesToDraw = 0;
}

void CRenderer::Reset() {
    if (m_borderColour != kDefaultBorderColour) {
        m_borderColour = kDefaultBorderColour;
        m_frameDirty = true;
    }
    common::CSurface::Free();
}

void CRenderer::EndFrame(bool /*flag*/, float aspect) {
    // The frame lock keeps a present on the other thread from claiming half a
    // frame end (the windowed renderers already hold it; it is recursive).
    common::CScopedLock frame(&m_frameLock);
    if (m_resizePending) {
        m_resizePending = false;
        MarkAllLinesChanged();
        m_frameDirty = true;
    } else if (m_changedLineCount > 0) {
        m_frameDirty = true;
    }
    m_aspectFactor = aspect;
    if (m_repaintHook != nullptr && m_repaintHook(m_repaintUser)) {
        m_resizePending = false;
        MarkAllLinesChanged();
        m_frameDirty = true;
    }
}

bool CRenderer::SetSize(int32_t /*width*/, int32_t /*height*/, bool /*clientSized*/) {
    for (uint8_t& flags : m_lineFlags)
        flags = 0;
    m_changedLineCount = 0;
    m_linesToDraw = m_height & kLineIndexMask;
    m_firstDrawnLine = kLineRecordSize;
    m_lastDrawnLine = -1;
    return true;
}

bool CRenderer::MapPoint(int32_t x, int32_t y, double* fx, double* fy) {
    *fx = x;
    *fy = y;
    return true;
}

bool CRenderer::IsVSync(bool clear) {
    if (!clear)
        return m_vsync;
    m_vsync = false;
    return false;
}

bool CRenderer::GetClientRect(int32_t* /*left*/, int32_t* /*top*/, int32_t* /*right*/, int32_t* /*bottom*/) {
    return false;
}

bool CRenderer::FillBackground(const common::ARGB& /*colour*/) {
    return false;
}

bool CRenderer::SetWindow(WindowHandle /*window*/) {
    return false;
}

bool CRenderer::RequestPresent(bool force) {
    common::CScopedLock frame(&m_frameLock);
    if (++m_presentedFrames == 0)
        ++m_presentedFrames;
    if (force) {
        m_resizePending = true;
        m_frameDirty = false;
        return true;
    }
    const bool dirty = m_frameDirty;
    m_frameDirty = false;
    return dirty;
}

void CRenderer::SetBorderColour(common::ARGB colour) {
    if (colour == m_borderColour)
        return;
    common::CScopedLock present(&m_presentLock);
    common::CScopedLock frame(&m_frameLock);
    m_resizePending = false;
    m_borderColour = colour;
    MarkAllLinesChanged();
    m_frameDirty = true;
}

bool CRenderer::FitToClient() {
    int32_t left = 0, top = 0, right = 0, bottom = 0;
    if (!GetClientRect(&left, &top, &right, &bottom))
        return false;
    if (IsSize(right, bottom))
        return false;
    return SetSize(right, bottom, true);
}

} // namespace emu
