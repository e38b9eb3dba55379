#include "common/CRgbImage_24Bpp.h"

namespace common {

namespace {

void Store(uint8_t* dest, uint32_t value) {
    dest[0] = static_cast<uint8_t>(value);
    dest[1] = static_cast<uint8_t>(value >> 8);
    dest[2] = static_cast<uint8_t>(value >> 16);
}

uint32_t Fetch(const uint8_t* src) {
    return src[0] | static_cast<uint32_t>(src[1]) << 8 | static_cast<uint32_t>(src[2]) << 16;
}

} // namespace

void CopyRgb24(uint8_t* dest, const uint8_t* src) {
    dest[0] = src[0];
    dest[1] = src[1];
    dest[2] = src[2];
}

bool Rgb24EqualsARGB(const uint8_t* pixel, ARGB argb) {
    return (kOpaqueBlack | Fetch(pixel)) == argb;
}

CImage* CRgbImage_24Bpp::CreateEmpty() const {
    return new CRgbImage_24Bpp;
}

int CRgbImage_24Bpp::GetBitsPerPixel() const {
    return 24;
}

uint32_t CRgbImage_24Bpp::GetPixel(int32_t y, int32_t x) const {
    return InRange(y, x) ? Fetch(GetRow(y) + 3 * x) : 0;
}

void CRgbImage_24Bpp::SetPixel(int32_t y, int32_t x, uint32_t value) {
    if (InRange(y, x))
        Store(GetRow(y) + 3 * x, value);
}

void CRgbImage_24Bpp::GetPixelARGB(int32_t y, int32_t x, ARGB& argb) const {
    argb = InRange(y, x) ? kOpaqueBlack | GetPixel(y, x) : 0;
}

void CRgbImage_24Bpp::SetPixelARGB(int32_t y, int32_t x, const ARGB& argb) {
    SetPixel(y, x, argb);
}

void CRgbImage_24Bpp::SetRowFromIndices(int32_t y, const uint8_t* indices) {
    uint8_t* row = GetRow(y);
    if (!row || !indices)
        return;
    const ARGB* palette = GetPalette();
    for (int32_t x = 0; x < m_width; ++x)
        Store(row + 3 * x, palette[indices[x]]);
}

} // namespace common
