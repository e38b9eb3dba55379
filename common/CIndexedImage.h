#pragma once
// Base of the palette images: pixels are indices packed leftmost-first into
// the most significant bits of each byte; a pixel's colour is its palette entry.
#include "common/CImage.h"

namespace common {

class CIndexedImage : public CImage {
public:
    bool LoadRows(CStream& stream) override;
    bool SaveRows(CStream& stream) override;
    int GetColourModel() const override;
    int GetChannelBits(int& red, int& green, int& blue) const override;
    uint32_t GetPixel(int32_t y, int32_t x) const override;
    // Stores the value's low bits; the other pixels of the byte stay.
    void SetPixel(int32_t y, int32_t x, uint32_t value) override;
    void GetPixelARGB(int32_t y, int32_t x, ARGB& argb) const override;
    void SetPixelARGB(int32_t y, int32_t x, const ARGB& argb) override;
    // 2, 4, 16 or 256 whatever is asked.
    int GetPaletteSize(bool includeConversion) const override;
    void SetRowFromIndices(int32_t y, const uint8_t* indices) override;

    // Drops the pixels: width, height and stride 0.
    void FreeBuffers();

protected:
    CIndexedImage() = default;
};

} // namespace common
