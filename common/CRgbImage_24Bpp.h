#pragma once
// Direct-colour image of 24 bits per pixel: bytes blue, green, red; always opaque.
#include "common/CRgbImage.h"

namespace common {

class CRgbImage_24Bpp : public CRgbImage {
public:
    CRgbImage_24Bpp() = default;

    CImage* CreateEmpty() const override;
    int GetBitsPerPixel() const override;
    // blue + green << 8 + red << 16.
    uint32_t GetPixel(int32_t y, int32_t x) const override;
    void SetPixel(int32_t y, int32_t x, uint32_t value) override;
    void GetPixelARGB(int32_t y, int32_t x, ARGB& argb) const override;
    // Alpha is dropped.
    void SetPixelARGB(int32_t y, int32_t x, const ARGB& argb) override;
    void SetRowFromIndices(int32_t y, const uint8_t* indices) override;
};

// Copies one three-byte pixel.
void CopyRgb24(uint8_t* dest, const uint8_t* src);
// Whether the opaque colour of a three-byte pixel equals the ARGB value.
bool Rgb24EqualsARGB(const uint8_t* pixel, ARGB argb);

} // namespace common
