#include "common/CIndexedImage.h"

#include <cstring>

namespace common {

namespace {

// Where pixel x lies: its byte and the shift of its bits in that byte.
struct PackedPosition {
    int32_t byte;
    int shift;
};

PackedPosition Locate(int32_t x, int bits) {
    const int perByte = 8 / bits;
    return {x / perByte, 8 - bits * (x % perByte + 1)};
}

} // namespace

bool CIndexedImage::LoadRows(CStream& stream) {
    return LoadPixelArray(stream);
}

bool CIndexedImage::SaveRows(CStream& stream) {
    return SavePixelArray(stream);
}

int CIndexedImage::GetColourModel() const {
    return kModelIndexed;
}

int CIndexedImage::GetChannelBits(int& red, int& green, int& blue) const {
    red = green = blue = 8;
    return 24;
}

uint32_t CIndexedImage::GetPixel(int32_t y, int32_t x) const {
    if (!InRange(y, x))
        return 0;
    const int bits = GetBitsPerPixel();
    const PackedPosition at = Locate(x, bits);
    return (GetRow(y)[at.byte] >> at.shift) & ((1u << bits) - 1);
}

void CIndexedImage::SetPixel(int32_t y, int32_t x, uint32_t value) {
    if (!InRange(y, x))
        return;
    const int bits = GetBitsPerPixel();
    const PackedPosition at = Locate(x, bits);
    const unsigned mask = ((1u << bits) - 1) << at.shift;
    uint8_t& byte = GetRow(y)[at.byte];
    byte = static_cast<uint8_t>((byte & ~mask) | ((value << at.shift) & mask));
}

void CIndexedImage::GetPixelARGB(int32_t y, int32_t x, ARGB& argb) const {
    argb = InRange(y, x) ? GetPalette()[GetPixel(y, x)] : 0;
}

void CIndexedImage::SetPixelARGB(int32_t, int32_t, const ARGB&) {}

int CIndexedImage::GetPaletteSize(bool) const {
    return 1 << GetBitsPerPixel();
}

void CIndexedImage::SetRowFromIndices(int32_t y, const uint8_t* indices) {
    uint8_t* row = GetRow(y);
    if (!row || !indices)
        return;
    const int bits = GetBitsPerPixel();
    if (bits == 8) {
        std::memcpy(row, indices, static_cast<size_t>(m_width));
        return;
    }
    // Whole bytes at a time, so a trailing partial byte ends up cleared and filled.
    const int perByte = 8 / bits;
    const unsigned mask = (1u << bits) - 1;
    for (int32_t x = 0; x < m_width; x += perByte) {
        unsigned byte = 0;
        for (int k = 0; k < perByte && x + k < m_width; ++k)
            byte |= (indices[x + k] & mask) << (8 - bits * (k + 1));
        row[x / perByte] = static_cast<uint8_t>(byte);
    }
}

void CIndexedImage::FreeBuffers() {
    FreePixels();
}

} // namespace common
