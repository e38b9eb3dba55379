#include "common/CIndexedImage_4Bpp.h"

namespace common {

CImage* CIndexedImage_4Bpp::CreateEmpty() const {
    return new CIndexedImage_4Bpp;
}

int CIndexedImage_4Bpp::GetBitsPerPixel() const {
    return 4;
}

} // namespace common
