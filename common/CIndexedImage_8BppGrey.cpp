#include "common/CIndexedImage_8BppGrey.h"

namespace common {

int CIndexedImage_8BppGrey::GetColourModel() const {
    return kModelGreyscale;
}

CImage* CIndexedImage_8BppGrey::CreateEmpty() const {
    return new CIndexedImage_8BppGrey;
}

void CIndexedImage_8BppGrey::GetPixelARGB(int32_t y, int32_t x, ARGB& argb) const {
    argb = InRange(y, x) ? kOpaqueBlack + GetPixel(y, x) * 0x010101u : 0;
}

} // namespace common
