#pragma once
// Palette image of 8 bits per pixel.
#include "common/CIndexedImage.h"

namespace common {

class CIndexedImage_8Bpp : public CIndexedImage {
public:
    CIndexedImage_8Bpp() = default;

    CImage* CreateEmpty() const override;
    int GetBitsPerPixel() const override;
};

} // namespace common
