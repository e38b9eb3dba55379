#pragma once
// Palette image of 2 bits per pixel.
#include "common/CIndexedImage.h"

namespace common {

class CIndexedImage_2Bpp : public CIndexedImage {
public:
    CIndexedImage_2Bpp() = default;

    CImage* CreateEmpty() const override;
    int GetBitsPerPixel() const override;
};

} // namespace common
