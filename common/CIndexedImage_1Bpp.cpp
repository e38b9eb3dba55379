#include "common/CIndexedImage_1Bpp.h"

namespace common {

CImage* CIndexedImage_1Bpp::CreateEmpty() const {
    return new CIndexedImage_1Bpp;
}

int CIndexedImage_1Bpp::GetBitsPerPixel() const {
    return 1;
}

} // namespace common
