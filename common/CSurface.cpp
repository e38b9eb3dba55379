#include "common/CSurface.h"

#include "common/CRgbImage_SurfaceView.h"

namespace common {

CSurface::CSurface() = default;

CSurface::~CSurface() = default;

void CSurface::Free() {
    m_width = 0;
    m_height = 0;
    m_rows.reset();
}

CRgbImage_SurfaceView* CSurface::GetImageView() {
    if (!m_view)
        m_view.reset(new CRgbImage_SurfaceView(this));
    m_view->Refresh();
    return m_view.get();
}

ARGB* CSurface::GetRow(int32_t y) const {
    return m_rows && y >= 0 && y < m_height ? m_rows[y] : nullptr;
}

bool CSurface::RowRange(int32_t row, int32_t& first, int32_t& end) const {
    if (!m_rows || m_width < 1 || row >= m_height)
        return false;
    first = row < 0 ? 0 : row;
    end = row < 0 ? m_height : row + 1;
    return true;
}

void CSurface::Fill(const ARGB& colour, int32_t row) {
    int32_t first, end;
    if (!RowRange(row, first, end))
        return;
    const ARGB value = colour;
    for (int32_t y = first; y < end; ++y) {
        ARGB* pixels = m_rows[y];
        for (int32_t x = 0; x < m_width; ++x)
            pixels[x] = value;
    }
}

void CSurface::AndOr(uint32_t keep, uint32_t set, int32_t row) {
    int32_t first, end;
    if (!RowRange(row, first, end))
        return;
    for (int32_t y = first; y < end; ++y) {
        ARGB* pixels = m_rows[y];
        for (int32_t x = 0; x < m_width; ++x)
            pixels[x] = (pixels[x] & keep) | set;
    }
}

void CSurface::SetAlpha(bool opaque, int32_t row) {
    SetAlphaValue(opaque ? 0xFF : 0, row);
}

void CSurface::SetAlphaValue(uint8_t alpha, int32_t row) {
    AndOr(0x00FFFFFFu, static_cast<uint32_t>(alpha) << 24, row);
}

void CSurface::SetRows(int32_t width, int32_t height, ARGB** rows) {
    m_rows.reset(rows);
    m_width = rows ? width : 0;
    m_height = rows ? height : 0;
}

} // namespace common
