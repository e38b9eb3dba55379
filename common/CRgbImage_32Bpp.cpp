#include "common/CRgbImage_32Bpp.h"

namespace common {

namespace {

// Rows start on 4-byte boundaries of a block of 32-bit words.
ARGB* AsArgb(uint8_t* row) {
    return reinterpret_cast<ARGB*>(row);
}

} // namespace

CImage* CRgbImage_32Bpp::CreateEmpty() const {
    return new CRgbImage_32Bpp;
}

int CRgbImage_32Bpp::GetBitsPerPixel() const {
    return 32;
}

uint32_t CRgbImage_32Bpp::GetPixel(int32_t y, int32_t x) const {
    return InRange(y, x) ? AsArgb(GetRow(y))[x] : 0;
}

void CRgbImage_32Bpp::SetPixel(int32_t y, int32_t x, uint32_t value) {
    if (InRange(y, x))
        AsArgb(GetRow(y))[x] = value;
}

void CRgbImage_32Bpp::GetPixelARGB(int32_t y, int32_t x, ARGB& argb) const {
    argb = GetPixel(y, x);
}

void CRgbImage_32Bpp::SetPixelARGB(int32_t y, int32_t x, const ARGB& argb) {
    SetPixel(y, x, argb);
}

void CRgbImage_32Bpp::SetRowFromIndices(int32_t y, const uint8_t* indices) {
    uint8_t* row = GetRow(y);
    if (!row || !indices)
        return;
    const ARGB* palette = GetPalette();
    ARGB* pixels = AsArgb(row);
    for (int32_t x = 0; x < m_width; ++x)
        pixels[x] = palette[indices[x]];
}

const ARGB* CRgbImage_32Bpp::GetRowARGB(int32_t y) const {
    return m_width < 1 ? nullptr : AsArgb(GetRow(y));
}

} // namespace common
