#include "common/CIndexedImage_8Bpp.h"

namespace common {

CImage* CIndexedImage_8Bpp::CreateEmpty() const {
    return new CIndexedImage_8Bpp;
}

int CIndexedImage_8Bpp::GetBitsPerPixel() const {
    return 8;
}

} // namespace common
