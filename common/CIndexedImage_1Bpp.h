#pragma once
// Palette image of 1 bit per pixel.
#include "common/CIndexedImage.h"

namespace common {

class CIndexedImage_1Bpp : public CIndexedImage {
public:
    CIndexedImage_1Bpp() = default;

    CImage* CreateEmpty() const override;
    int GetBitsPerPixel() const override;
};

} // namespace common
