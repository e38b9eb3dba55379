#pragma once
// 8-bit greyscale image: pixel v shows as 0xFF000000 + v x 0x010101; the
// palette is kept but plays no part in the colours.
#include "common/CIndexedImage_8Bpp.h"

namespace common {

class CIndexedImage_8BppGrey : public CIndexedImage_8Bpp {
public:
    CIndexedImage_8BppGrey() = default;

    int GetColourModel() const override;
    CImage* CreateEmpty() const override;
    void GetPixelARGB(int32_t y, int32_t x, ARGB& argb) const override;
};

} // namespace common
