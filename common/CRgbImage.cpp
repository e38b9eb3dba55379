#include "common/CRgbImage.h"

namespace common {

bool CRgbImage::LoadRows(CStream& stream) {
    return LoadPixelArray(stream);
}

bool CRgbImage::SaveRows(CStream& stream) {
    return SavePixelArray(stream);
}

int CRgbImage::GetColourModel() const {
    return kModelDirect;
}

int CRgbImage::GetChannelBits(int& red, int& green, int& blue) const {
    red = green = blue = 8;
    return 24;
}

int CRgbImage::GetPaletteSize(bool includeConversion) const {
    return includeConversion ? 256 : 0;
}

void CRgbImage::FreeBuffers() {
    FreePixels();
}

} // namespace common
