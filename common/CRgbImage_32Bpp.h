#pragma once
// Direct-colour image of 32 bits per pixel: every pixel is its ARGB value, and
// a row is handed out as ARGB values without conversion.
#include "common/CRgbImage.h"

namespace common {

class CRgbImage_32Bpp : public CRgbImage {
public:
    CRgbImage_32Bpp() = default;

    CImage* CreateEmpty() const override;
    int GetBitsPerPixel() const override;
    uint32_t GetPixel(int32_t y, int32_t x) const override;
    void SetPixel(int32_t y, int32_t x, uint32_t value) override;
    void GetPixelARGB(int32_t y, int32_t x, ARGB& argb) const override;
    void SetPixelARGB(int32_t y, int32_t x, const ARGB& argb) override;
    void SetRowFromIndices(int32_t y, const uint8_t* indices) override;
    // The row itself.
    const ARGB* GetRowARGB(int32_t y) const override;
};

} // namespace common
