// Pixel unpacking and the font store of the video base.
#include <cstdint>

#include "common/CStream.h"
#include "emu/framework/CVideo.h"

namespace emu {

namespace {

// kBits per pixel, 8 / kBits pixels per byte; the leftmost pixel is the lowest
// field, or the highest with msbFirst.
template <int kBits>
void Unpack(const uint8_t* source, uint32_t* destination, const uint32_t* palette, int32_t count, bool msbFirst) {
    constexpr int kPerByte = 8 / kBits;
    constexpr uint32_t kField = (1u << kBits) - 1;
    if (count <= 0)
        return;
    const int32_t wholeBytes = count / kPerByte;
    for (int32_t i = 0; i < wholeBytes; ++i) {
        const uint32_t byte = source[i];
        if (msbFirst) {
            for (int k = 0; k < kPerByte; ++k)
                *destination++ = palette[(byte >> (8 - (k + 1) * kBits)) & kField];
        } else {
            for (int k = 0; k < kPerByte; ++k)
                *destination++ = palette[(byte >> (k * kBits)) & kField];
        }
    }
    const int32_t rest = count - wholeBytes * kPerByte;
    if (rest == 0)
        return;
    const uint32_t byte = source[wholeBytes];
    for (int k = 0; k < rest; ++k) {
        const int shift = msbFirst ? 8 - (k + 1) * kBits : k * kBits;
        *destination++ = palette[(byte >> shift) & kField];
    }
}

} // namespace

void CVideo::UnpackPixels1(const uint8_t* source, uint32_t* destination, const uint32_t* palette, int32_t count,
                           bool msbFirst) {
    Unpack<1>(source, destination, palette, count, msbFirst);
}

void CVideo::UnpackPixels2(const uint8_t* source, uint32_t* destination, const uint32_t* palette, int32_t count,
                           bool msbFirst) {
    Unpack<2>(source, destination, palette, count, msbFirst);
}

void CVideo::UnpackPixels4(const uint8_t* source, uint32_t* destination, const uint32_t* palette, int32_t count,
                           bool msbFirst) {
    Unpack<4>(source, destination, palette, count, msbFirst);
}

bool CVideo::SetFontData(const uint8_t* data, int32_t size) {
    if (m_fontMaxSize >= 0 && size > m_fontMaxSize)
        size = m_fontMaxSize;
    if (m_fontMinSize >= 0 && size < m_fontMinSize)
        return false;
    if (size < 0 || (data == nullptr && size > 0))
        return false;
    if (GetFontSize() != size && !m_font.SetSize(size))
        return false;
    if (size > 0 && m_font.WriteAt(data, 0, size) < size)
        return false;
    // Every line is drawn again with the new characters.
    InvalidateLines();
    return true;
}

bool CVideo::SetFontDataFromStream(common::CStream* stream) {
    if (stream == nullptr)
        return false;
    int64_t size = stream->GetSize();
    if (m_fontMaxSize >= 0 && size > m_fontMaxSize)
        size = m_fontMaxSize;
    if (m_fontMinSize >= 0 && size < m_fontMinSize)
        return false;
    if (size < 0 || size > 0x7FFFFFFF)
        return false;
    if (m_font.GetSize() != size && !m_font.SetSize(size))
        return false;
    if (size > 0 && stream->ReadAt(m_font.GetBuffer(), 0, size) < size)
        return false;
    InvalidateLines();
    return true;
}

} // namespace emu
