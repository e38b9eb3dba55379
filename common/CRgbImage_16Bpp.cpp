#include "common/CRgbImage_16Bpp.h"

namespace common {

namespace {

uint16_t Pack(unsigned red, unsigned green, unsigned blue) {
    return static_cast<uint16_t>((red >> 3) << 11 | (green >> 2) << 5 | (blue >> 3));
}

void Store(uint8_t* dest, uint16_t value) {
    dest[0] = static_cast<uint8_t>(value);
    dest[1] = static_cast<uint8_t>(value >> 8);
}

} // namespace

uint16_t PackRgb565(ARGB argb) {
    return Pack((argb >> 16) & 0xFF, (argb >> 8) & 0xFF, argb & 0xFF);
}

uint16_t PackRgb565(const uint8_t* bgr) {
    return Pack(bgr[2], bgr[1], bgr[0]);
}

void PackRgb565Copy(uint8_t* dest, const uint8_t* bgr) {
    Store(dest, PackRgb565(bgr));
}

ARGB UnpackRgb565(uint16_t pixel) {
    const ARGB blue = (pixel & 0x1Fu) << 3;
    const ARGB green = ((pixel >> 5) & 0x3Fu) << 2;
    const ARGB red = static_cast<ARGB>(pixel >> 11) << 3;
    return kOpaqueBlack | red << 16 | green << 8 | blue;
}

CImage* CRgbImage_16Bpp::CreateEmpty() const {
    return new CRgbImage_16Bpp;
}

int CRgbImage_16Bpp::GetBitsPerPixel() const {
    return 16;
}

int CRgbImage_16Bpp::GetChannelBits(int& red, int& green, int& blue) const {
    red = 5;
    green = 6;
    blue = 5;
    return 16;
}

uint32_t CRgbImage_16Bpp::GetPixel(int32_t y, int32_t x) const {
    if (!InRange(y, x))
        return 0;
    const uint8_t* p = GetRow(y) + 2 * x;
    return p[0] | static_cast<uint32_t>(p[1]) << 8;
}

void CRgbImage_16Bpp::SetPixel(int32_t y, int32_t x, uint32_t value) {
    if (InRange(y, x))
        Store(GetRow(y) + 2 * x, static_cast<uint16_t>(value));
}

void CRgbImage_16Bpp::GetPixelARGB(int32_t y, int32_t x, ARGB& argb) const {
    argb = InRange(y, x) ? UnpackRgb565(static_cast<uint16_t>(GetPixel(y, x))) : 0;
}

void CRgbImage_16Bpp::SetPixelARGB(int32_t y, int32_t x, const ARGB& argb) {
    SetPixel(y, x, PackRgb565(argb));
}

void CRgbImage_16Bpp::SetRowFromIndices(int32_t y, const uint8_t* indices) {
    uint8_t* row = GetRow(y);
    if (!row || !indices)
        return;
    const ARGB* palette = GetPalette();
    for (int32_t x = 0; x < m_width; ++x)
        Store(row + 2 * x, PackRgb565(palette[indices[x]]));
}

} // namespace common
