#include "common/CIndexedImage_2Bpp.h"

namespace common {

CImage* CIndexedImage_2Bpp::CreateEmpty() const {
    return new CIndexedImage_2Bpp;
}

int CIndexedImage_2Bpp::GetBitsPerPixel() const {
    return 2;
}

} // namespace common
