#pragma once
// Palette image of 4 bits per pixel.
#include "common/CIndexedImage.h"

namespace common {

class CIndexedImage_4Bpp : public CIndexedImage {
public:
    CIndexedImage_4Bpp() = default;

    CImage* CreateEmpty() const override;
    int GetBitsPerPixel() const override;
};

} // namespace common
