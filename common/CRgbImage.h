#pragma once
// Base of the direct-colour images. Their palette (256 entries) serves only
// SetRowFromIndices, which converts palette indices into the image's pixels.
#include "common/CImage.h"

namespace common {

class CRgbImage : public CImage {
public:
    bool LoadRows(CStream& stream) override;
    bool SaveRows(CStream& stream) override;
    int GetColourModel() const override;
    int GetChannelBits(int& red, int& green, int& blue) const override;
    // 0, or the 256 conversion entries when they are asked for.
    int GetPaletteSize(bool includeConversion) const override;

    // Drops the pixels: width, height and stride 0.
    void FreeBuffers();

protected:
    CRgbImage() = default;
};

} // namespace common
