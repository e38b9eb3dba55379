#include "common/CImage.h"

#include <cstring>
#include <new>
#include <vector>

#include "common/CIndexedImage_1Bpp.h"
#include "common/CIndexedImage_2Bpp.h"
#include "common/CIndexedImage_4Bpp.h"
#include "common/CIndexedImage_8Bpp.h"
#include "common/CIndexedImage_8BppGrey.h"
#include "common/CRgbImage_16Bpp.h"
#include "common/CRgbImage_24Bpp.h"
#include "common/CRgbImage_32Bpp.h"
#include "common/CStream.h"

namespace common {

namespace {

constexpr int kPaletteEntries = 256;

// BMP layout: a 14-byte file header, then an information header of at least
// 40 bytes, an optional colour table, and the pixel array.
constexpr int kFileHeaderBytes = 14;
constexpr int kInfoHeaderBytes = 40;
constexpr int kMaskBytes = 12;          // red, green and blue bit-field masks
constexpr uint32_t kInfoHeaderV2 = 52;  // the smallest header holding the masks itself
constexpr uint16_t kSignature = 0x4D42; // "BM"
constexpr uint32_t kCompressionNone = 0;
constexpr uint32_t kCompressionBitFields = 3;
constexpr uint32_t kRedMask565 = 0xF800, kGreenMask565 = 0x07E0, kBlueMask565 = 0x001F;
constexpr uint32_t kRedMask555 = 0x7C00, kGreenMask555 = 0x03E0, kBlueMask555 = 0x001F;

uint16_t Get16(const uint8_t* p) {
    return static_cast<uint16_t>(p[0] | p[1] << 8);
}

uint32_t Get32(const uint8_t* p) {
    return p[0] | static_cast<uint32_t>(p[1]) << 8 | static_cast<uint32_t>(p[2]) << 16 |
           static_cast<uint32_t>(p[3]) << 24;
}

void Put16(uint8_t* p, uint32_t value) {
    p[0] = static_cast<uint8_t>(value);
    p[1] = static_cast<uint8_t>(value >> 8);
}

void Put32(uint8_t* p, uint32_t value) {
    Put16(p, value);
    Put16(p + 2, value >> 16);
}

// Bytes of one row of a BMP pixel array, padding included.
int64_t PaddedRowBytes(int64_t width, int bits) {
    return (width * bits + 31) / 32 * 4;
}

// The class a BMP of that depth becomes under the colour model; null when the
// model does not accept the depth.
CImage* CreateForDepth(int bits, int colourModel) {
    const bool indexed = colourModel == CImage::kModelNone || colourModel == CImage::kModelIndexed;
    const bool direct = colourModel == CImage::kModelNone || colourModel == CImage::kModelDirect;
    switch (bits) {
    case 1:
        return indexed ? new CIndexedImage_1Bpp : nullptr;
    case 2:
        return indexed ? new CIndexedImage_2Bpp : nullptr;
    case 4:
        return indexed ? new CIndexedImage_4Bpp : nullptr;
    case 8:
        if (colourModel == CImage::kModelGreyscale)
            return new CIndexedImage_8BppGrey;
        return indexed ? new CIndexedImage_8Bpp : nullptr;
    case 16:
        return direct ? new CRgbImage_16Bpp : nullptr;
    case 24:
        return direct ? new CRgbImage_24Bpp : nullptr;
    case 32:
        return direct ? new CRgbImage_32Bpp : nullptr;
    default:
        return nullptr;
    }
}

// A 5-5-5 pixel as 5-6-5; green gains a low 0 bit, so the colour is the same.
uint32_t Widen555(uint32_t pixel) {
    return (pixel & 0x7C00) << 1 | (pixel & 0x03E0) << 1 | (pixel & 0x001F);
}

} // namespace

CImage::CImage() = default;

CImage::~CImage() = default;

bool CImage::LoadRows(CStream&) {
    return false;
}

bool CImage::SaveRows(CStream&) {
    return false;
}

void CImage::Release() {
    m_scratchRow.reset();
    m_scratchLength = 0;
    if (m_releaseCallback)
        m_releaseCallback(m_releaseContext, this);
}

int CImage::GetColourModel() const {
    return kModelNone;
}

CImage* CImage::CreateEmpty() const {
    return nullptr;
}

CImage* CImage::Clone(bool copyPixels) const {
    std::unique_ptr<CImage> copy(CreateEmpty());
    if (!copy || !copy->Allocate(m_width, m_height))
        return nullptr;
    copy->m_colourKey = m_colourKey;
    copy->m_hasColourKey = m_hasColourKey;
    const int entries = GetPaletteSize(true);
    if (entries > 0)
        std::memcpy(copy->GetPalette(), GetPalette(), sizeof(ARGB) * static_cast<size_t>(entries));
    if (copyPixels) {
        const int64_t rowBytes = GetRowBytes();
        for (int32_t y = 0; y < m_height && rowBytes > 0; ++y)
            std::memcpy(copy->GetRow(y), GetRow(y), static_cast<size_t>(rowBytes));
    }
    return copy.release();
}

bool CImage::Allocate(int32_t width, int32_t height) {
    return GetBitsPerPixel() > 0 && AllocatePixels(width, height);
}

int CImage::GetBitsPerPixel() const {
    return 0;
}

int CImage::GetChannelBits(int& red, int& green, int& blue) const {
    red = green = blue = 0;
    return 0;
}

uint8_t* CImage::GetBits() const {
    return reinterpret_cast<uint8_t*>(m_pixels.get());
}

uint8_t* CImage::GetRow(int32_t y) const {
    return m_rows && y >= 0 && y < m_height ? m_rows[y] : nullptr;
}

uint32_t CImage::GetPixel(int32_t, int32_t) const {
    return 0;
}

void CImage::SetPixel(int32_t, int32_t, uint32_t) {}

void CImage::GetPixelARGB(int32_t, int32_t, ARGB& argb) const {
    argb = 0;
}

void CImage::SetPixelARGB(int32_t, int32_t, const ARGB&) {}

bool CImage::GetViewFlag() const {
    return false;
}

int CImage::GetPaletteSize(bool) const {
    return 0;
}

void CImage::SetRowFromIndices(int32_t, const uint8_t*) {}

const ARGB* CImage::GetRowARGB(int32_t y) const {
    if (m_width < 1 || y < 0 || y >= m_height)
        return nullptr;
    if (!m_scratchRow || m_scratchLength != m_width) {
        m_scratchRow.reset(new (std::nothrow) ARGB[static_cast<size_t>(m_width)]);
        m_scratchLength = m_scratchRow ? m_width : 0;
        if (!m_scratchRow)
            return nullptr;
    }
    ARGB* row = m_scratchRow.get();
    for (int32_t x = 0; x < m_width; ++x)
        GetPixelARGB(y, x, row[x]);
    return row;
}

ARGB* CImage::GetPalette() {
    return const_cast<ARGB*>(static_cast<const CImage*>(this)->GetPalette());
}

const ARGB* CImage::GetPalette() const {
    if (!m_palette) {
        m_palette.reset(new ARGB[kPaletteEntries]);
        for (int i = 0; i < kPaletteEntries; ++i)
            m_palette[i] = kOpaqueBlack;
    }
    return m_palette.get();
}

void CImage::SetColourKey(ARGB key) {
    m_colourKey = key;
    m_hasColourKey = true;
}

void CImage::ClearColourKey() {
    m_hasColourKey = false;
}

void CImage::SetReleaseCallback(ReleaseCallback callback, void* context) {
    m_releaseCallback = callback;
    m_releaseContext = context;
}

bool CImage::InRange(int32_t y, int32_t x) const {
    return y >= 0 && y < m_height && x >= 0 && x < m_width;
}

int64_t CImage::GetRowBytes() const {
    return (static_cast<int64_t>(m_width) * GetBitsPerPixel() + 7) / 8;
}

bool CImage::AllocatePixels(int32_t width, int32_t height) {
    if (width == m_width && height == m_height)
        return true;
    if (width < 0 || height < 0)
        return false;
    const int64_t rowBytes = (static_cast<int64_t>(width) * GetBitsPerPixel() + 7) / 8;
    const int64_t stride = (rowBytes + 3) & ~int64_t(3);
    // Checked before anything is freed or allocated: the product cannot wrap.
    if (stride > kMaxPixelBytes || stride * height > kMaxPixelBytes)
        return false;
    FreePixels();
    const size_t words = static_cast<size_t>(stride / 4 * height);
    if (words > 0) {
        m_pixels.reset(new (std::nothrow) uint32_t[words]);
        m_rows.reset(new (std::nothrow) uint8_t*[static_cast<size_t>(height)]);
        if (!m_pixels || !m_rows) {
            FreePixels();
            return false;
        }
        uint8_t* base = reinterpret_cast<uint8_t*>(m_pixels.get());
        for (int32_t y = 0; y < height; ++y)
            m_rows[y] = base + static_cast<size_t>(y) * static_cast<size_t>(stride);
    }
    m_width = width;
    m_height = height;
    m_stride = static_cast<int32_t>(stride);
    Release();
    return true;
}

void CImage::FreePixels() {
    m_rows.reset();
    m_pixels.reset();
    m_width = 0;
    m_height = 0;
    m_stride = 0;
}

bool CImage::LoadPixelArray(CStream& stream) {
    const int64_t rowBytes = GetRowBytes();
    if (rowBytes == 0)
        return true;
    const int64_t padding = (4 - rowBytes % 4) % 4;
    for (int32_t y = m_height - 1; y >= 0; --y) {
        uint8_t* row = GetRow(y);
        if (!row || stream.Read(row, rowBytes) != rowBytes)
            return false;
        if (padding && !stream.Seek(stream.GetPosition() + padding))
            return false;
    }
    return true;
}

bool CImage::SavePixelArray(CStream& stream) {
    const int64_t rowBytes = GetRowBytes();
    if (rowBytes == 0)
        return true;
    const int64_t padding = (4 - rowBytes % 4) % 4;
    static const uint8_t kZeros[3] = {0, 0, 0};
    for (int32_t y = m_height - 1; y >= 0; --y) {
        const uint8_t* row = GetRow(y);
        if (!row || stream.Write(row, rowBytes) != rowBytes)
            return false;
        if (padding && stream.Write(kZeros, padding) != padding)
            return false;
    }
    return true;
}

CImage* CImage::CreateFromBitmapInfo(CStream& stream, int colourModel) {
    const int64_t start = stream.GetPosition();
    const int64_t available = stream.GetSize() - start;
    if (start < 0 || available < kFileHeaderBytes + kInfoHeaderBytes)
        return nullptr;

    uint8_t header[kFileHeaderBytes + kInfoHeaderBytes];
    if (stream.Read(header, sizeof header) != static_cast<int64_t>(sizeof header))
        return nullptr;
    const int32_t fileSize = static_cast<int32_t>(Get32(header + 2));
    const int32_t pixelOffset = static_cast<int32_t>(Get32(header + 10));
    if (Get16(header) != kSignature || fileSize < 0 || pixelOffset < 0 || available < fileSize ||
        available < pixelOffset)
        return nullptr;

    const uint8_t* info = header + kFileHeaderBytes;
    const uint32_t infoSize = Get32(info);
    const int32_t width = static_cast<int32_t>(Get32(info + 4));
    const int32_t height = static_cast<int32_t>(Get32(info + 8));
    const int bits = Get16(info + 14);
    const uint32_t compression = Get32(info + 16);
    // Only bottom-up files: a negative height means top-down rows.
    if (infoSize < kInfoHeaderBytes || width < 1 || height < 1 || Get16(info + 12) != 1)
        return nullptr;

    // Where the colour table starts, counted from the file start.
    int64_t tableStart = kFileHeaderBytes + static_cast<int64_t>(infoSize);
    bool from555 = false;
    if (compression == kCompressionNone) {
        from555 = bits == 16; // an uncompressed 16-bit BMP is 5-5-5
    } else if (compression == kCompressionBitFields && bits == 16) {
        // The masks follow a 40-byte header, or lie inside a longer one; either
        // way they sit right after the first 40 header bytes.
        if (infoSize > kInfoHeaderBytes && infoSize < kInfoHeaderV2)
            return nullptr;
        if (infoSize == kInfoHeaderBytes)
            tableStart += kMaskBytes;
        uint8_t masks[kMaskBytes];
        if (stream.Read(masks, kMaskBytes) != kMaskBytes)
            return nullptr;
        const uint32_t red = Get32(masks), green = Get32(masks + 4), blue = Get32(masks + 8);
        if (red == kRedMask555 && green == kGreenMask555 && blue == kBlueMask555)
            from555 = true;
        else if (red != kRedMask565 || green != kGreenMask565 || blue != kBlueMask565)
            return nullptr;
    } else {
        return nullptr;
    }

    // Everything is measured against the bytes present before any allocation.
    // The row is measured before the product, which could pass 64 bits.
    const int64_t rowBytes = PaddedRowBytes(width, bits);
    if (rowBytes > kMaxPixelBytes / height)
        return nullptr;
    const int64_t arrayBytes = rowBytes * height;
    const int64_t tableBytes = bits <= 8 ? int64_t(4) << bits : 0;
    if (tableStart + tableBytes > pixelOffset || pixelOffset + arrayBytes > available)
        return nullptr;

    std::unique_ptr<CImage> image(CreateForDepth(bits, colourModel));
    if (!image || !image->Allocate(width, height))
        return nullptr;

    const int entries = image->GetPaletteSize(false);
    if (entries > 0) {
        uint8_t table[4 * kPaletteEntries];
        if (!stream.Seek(start + tableStart) || stream.Read(table, 4 * entries) != 4 * entries)
            return nullptr;
        ARGB* palette = image->GetPalette();
        for (int i = 0; i < entries; ++i) {
            const uint8_t* entry = table + 4 * i;
            palette[i] = kOpaqueBlack | static_cast<ARGB>(entry[2]) << 16 | static_cast<ARGB>(entry[1]) << 8 | entry[0];
        }
    }

    if (!stream.Seek(start + pixelOffset) || !image->LoadRows(stream))
        return nullptr;
    if (from555) {
        for (int32_t y = 0; y < height; ++y)
            for (int32_t x = 0; x < width; ++x)
                image->SetPixel(y, x, Widen555(image->GetPixel(y, x)));
    }
    return image.release();
}

CIndexedImage_1Bpp* CImage::CreateMask(const ARGB* key) const {
    if (!key && !m_hasColourKey)
        return nullptr;
    std::unique_ptr<CIndexedImage_1Bpp> mask(new CIndexedImage_1Bpp);
    if (!ExtractMask(*mask, key ? *key : m_colourKey))
        return nullptr;
    return mask.release();
}

bool CImage::ExtractMask(CImage& mask, const ARGB& key) const {
    if (!mask.Allocate(m_width, m_height))
        return false;
    const ARGB match = key;
    for (int32_t y = 0; y < m_height; ++y) {
        const ARGB* row = GetRowARGB(y);
        for (int32_t x = 0; row && x < m_width; ++x)
            mask.SetPixel(y, x, row[x] != match ? 1 : 0);
    }
    return true;
}

bool CImage::ConvertToARGB(CImage& target) const {
    // The rows are copied as ARGB values: anything narrower would overflow.
    if (target.GetBitsPerPixel() != 32)
        return false;
    if (!target.Allocate(m_width, m_height)) {
        target.Allocate(0, 0);
        return false;
    }
    if (target.GetWidth() == 0 || target.GetHeight() == 0)
        return true;
    for (int32_t y = 0; y < m_height; ++y) {
        const ARGB* source = GetRowARGB(y);
        uint8_t* dest = target.GetRow(y);
        if (source && dest)
            std::memmove(dest, source, sizeof(ARGB) * static_cast<size_t>(m_width));
    }
    return true;
}

bool WriteBmpFile(CStream& stream, CImage& image) {
    const int32_t width = image.GetWidth();
    const int32_t height = image.GetHeight();
    const int bits = image.GetBitsPerPixel();
    const int64_t start = stream.GetPosition();
    if (width < 1 || height < 1 || bits < 1 || start < 0)
        return false;

    const bool bitFields = bits == 16;
    const int entries = bits <= 8 ? image.GetPaletteSize(false) : 0;
    std::vector<uint8_t> head(kFileHeaderBytes + kInfoHeaderBytes + (bitFields ? kMaskBytes : 0) + 4 * entries, 0);
    Put16(&head[0], kSignature);
    uint8_t* info = &head[kFileHeaderBytes];
    Put32(info, kInfoHeaderBytes);
    Put32(info + 4, static_cast<uint32_t>(width));
    Put32(info + 8, static_cast<uint32_t>(height)); // positive: bottom-up
    Put16(info + 12, 1);
    Put16(info + 14, static_cast<uint32_t>(bits));
    Put32(info + 16, bitFields ? kCompressionBitFields : kCompressionNone);
    Put32(info + 32, static_cast<uint32_t>(entries));
    Put32(info + 36, static_cast<uint32_t>(entries));
    uint8_t* next = info + kInfoHeaderBytes;
    if (bitFields) {
        // Without masks a 16-bit BMP means 5-5-5; these say 5-6-5.
        Put32(next, kRedMask565);
        Put32(next + 4, kGreenMask565);
        Put32(next + 8, kBlueMask565);
        next += kMaskBytes;
    }
    // A greyscale image shows its pixel values, not its palette: its table is a grey ramp.
    const bool grey = image.GetColourModel() == CImage::kModelGreyscale;
    ARGB* palette = entries > 0 ? image.GetPalette() : nullptr;
    for (int i = 0; i < entries; ++i, next += 4) {
        const ARGB colour = kOpaqueBlack | (grey ? static_cast<ARGB>(i) * 0x010101u : palette[i]);
        Put32(next, colour & 0x00FFFFFFu);
        palette[i] = colour;
    }
    const int64_t pixelOffset = static_cast<int64_t>(head.size());
    if (stream.Write(head.data(), pixelOffset) != pixelOffset || !image.SaveRows(stream))
        return false;

    const int64_t end = stream.GetPosition();
    const int64_t fileSize = end - start;
    if (end < 0 || fileSize > 0x7FFFFFFF)
        return false;
    Put32(&head[2], static_cast<uint32_t>(fileSize));
    Put32(&head[10], static_cast<uint32_t>(pixelOffset));
    return stream.WriteAt(head.data(), start, kFileHeaderBytes) == kFileHeaderBytes && stream.Seek(end);
}

} // namespace common
