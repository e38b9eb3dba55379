#pragma once
// Direct-colour image of 16 bits per pixel, 5-6-5: red in bits 15-11, green in
// 10-5, blue in 4-0, stored little-endian. A channel read as ARGB keeps its low
// bits 0 (0xFFFF reads as 0xFFF8FCF8).
#include "common/CRgbImage.h"

namespace common {

class CRgbImage_16Bpp : public CRgbImage {
public:
    CRgbImage_16Bpp() = default;

    CImage* CreateEmpty() const override;
    int GetBitsPerPixel() const override;
    int GetChannelBits(int& red, int& green, int& blue) const override;
    uint32_t GetPixel(int32_t y, int32_t x) const override;
    void SetPixel(int32_t y, int32_t x, uint32_t value) override;
    void GetPixelARGB(int32_t y, int32_t x, ARGB& argb) const override;
    // Alpha is dropped.
    void SetPixelARGB(int32_t y, int32_t x, const ARGB& argb) override;
    void SetRowFromIndices(int32_t y, const uint8_t* indices) override;
};

// The 5-6-5 value of an ARGB colour, and of a blue, green, red byte triple.
uint16_t PackRgb565(ARGB argb);
uint16_t PackRgb565(const uint8_t* bgr);
// Stores the 5-6-5 value of a blue, green, red triple little-endian at dest.
void PackRgb565Copy(uint8_t* dest, const uint8_t* bgr);
// The opaque ARGB colour of a 5-6-5 value.
ARGB UnpackRgb565(uint16_t pixel);

} // namespace common
