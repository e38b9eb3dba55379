#include "common/CRgbImage_SurfaceView.h"

#include "common/CSurface.h"

namespace common {

namespace {

uint8_t* Bytes(ARGB* row) {
    return reinterpret_cast<uint8_t*>(row);
}

int32_t Distance(const ARGB* from, const ARGB* to) {
    return static_cast<int32_t>(reinterpret_cast<intptr_t>(to) - reinterpret_cast<intptr_t>(from));
}

} // namespace

CRgbImage_SurfaceView::CRgbImage_SurfaceView(CSurface* surface) : m_surface(surface) {}

bool CRgbImage_SurfaceView::LoadRows(CStream&) {
    return false;
}

bool CRgbImage_SurfaceView::SaveRows(CStream&) {
    return false;
}

CImage* CRgbImage_SurfaceView::CreateEmpty() const {
    return nullptr;
}

bool CRgbImage_SurfaceView::Allocate(int32_t, int32_t) {
    return false;
}

int CRgbImage_SurfaceView::GetBitsPerPixel() const {
    return 32;
}

uint8_t* CRgbImage_SurfaceView::GetBits() const {
    const int32_t height = m_surface->GetHeight();
    ARGB* first = m_surface->GetRow(0);
    ARGB* last = m_surface->GetRow(height - 1);
    if (!first || !last)
        return nullptr;
    return Bytes(reinterpret_cast<intptr_t>(first) <= reinterpret_cast<intptr_t>(last) ? first : last);
}

uint8_t* CRgbImage_SurfaceView::GetRow(int32_t y) const {
    return y < m_height ? Bytes(m_surface->GetRow(y)) : nullptr;
}

ARGB* CRgbImage_SurfaceView::At(int32_t y, int32_t x) const {
    if (!InRange(y, x) || x >= m_surface->GetWidth())
        return nullptr;
    ARGB* row = m_surface->GetRow(y);
    return row ? row + x : nullptr;
}

uint32_t CRgbImage_SurfaceView::GetPixel(int32_t y, int32_t x) const {
    const ARGB* p = At(y, x);
    return p ? *p : 0;
}

void CRgbImage_SurfaceView::SetPixel(int32_t y, int32_t x, uint32_t value) {
    if (ARGB* p = At(y, x))
        *p = value;
}

void CRgbImage_SurfaceView::GetPixelARGB(int32_t y, int32_t x, ARGB& argb) const {
    argb = GetPixel(y, x);
}

void CRgbImage_SurfaceView::SetPixelARGB(int32_t y, int32_t x, const ARGB& argb) {
    SetPixel(y, x, argb);
}

bool CRgbImage_SurfaceView::GetViewFlag() const {
    return m_viewFlag;
}

void CRgbImage_SurfaceView::SetRowFromIndices(int32_t y, const uint8_t* indices) {
    ARGB* row = y < m_height ? m_surface->GetRow(y) : nullptr;
    if (!row || !indices)
        return;
    const ARGB* palette = GetPalette();
    const int32_t width = m_width < m_surface->GetWidth() ? m_width : m_surface->GetWidth();
    for (int32_t x = 0; x < width; ++x)
        row[x] = palette[indices[x]];
}

const ARGB* CRgbImage_SurfaceView::GetRowARGB(int32_t y) const {
    if (m_surface->GetWidth() < 1 || y >= m_height)
        return nullptr;
    return m_surface->GetRow(y);
}

void CRgbImage_SurfaceView::Refresh() {
    m_width = m_surface->GetWidth();
    m_height = m_surface->GetHeight();
    ARGB* first = m_surface->GetRow(0);
    ARGB* last = m_surface->GetRow(m_height - 1);
    if (!first || !last || m_height < 1) {
        m_base = nullptr;
        m_stride = 0;
    } else if (first == last) {
        m_base = Bytes(first);
        m_stride = m_width * 4;
    } else if (reinterpret_cast<intptr_t>(first) < reinterpret_cast<intptr_t>(last)) {
        m_base = Bytes(first); // top-down
        m_stride = Distance(first, m_surface->GetRow(1));
    } else {
        m_base = Bytes(last); // bottom-up
        m_stride = Distance(m_surface->GetRow(1), first);
    }
}

} // namespace common
