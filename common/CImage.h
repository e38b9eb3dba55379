#pragma once
// Bitmap images: indexed (1, 2, 4, 8 bits with a palette), 8-bit greyscale and
// direct colour (16-bit 5-6-5, 24-bit, 32-bit ARGB), plus a 32-bit view over a
// frame surface. Every pixel converts to an ARGB value 0xAARRGGBB; row 0 is the
// top row. Images read and write BMP files and bare BMP pixel arrays through
// streams.
//
// Pixel accessors take (y, x). A coordinate outside the image reads 0 (an ARGB
// read gives 0) and writes nothing.
#include <cstdint>
#include <memory>

namespace common {

class CStream;
class CIndexedImage_1Bpp;

// 0xAARRGGBB; in memory (little-endian) the bytes are blue, green, red, alpha.
typedef uint32_t ARGB;

constexpr ARGB kOpaqueBlack = 0xFF000000u;

class CImage {
public:
    // Colour models, as GetColourModel answers and CreateFromBitmapInfo asks.
    enum ColourModel {
        kModelNone = 0, // the base; as a request: any model
        kModelIndexed = 1,
        kModelGreyscale = 2,
        kModelDirect = 3,
    };

    // Told whenever the image drops its cached rows (new size, Release).
    typedef void (*ReleaseCallback)(void* context, CImage* image);

    virtual ~CImage();

    CImage(const CImage&) = delete;
    CImage& operator=(const CImage&) = delete;

    // The rows as a BMP pixel array: bottom row first, each row padded with
    // zeros to a multiple of 4 bytes. False on a short transfer; the base and
    // the surface view always answer false.
    virtual bool LoadRows(CStream& stream);
    virtual bool SaveRows(CStream& stream);
    // Frees the ARGB scratch row, then tells the release callback.
    virtual void Release();
    virtual int GetColourModel() const;
    // A new empty image of the same class (owned by the caller), or null.
    virtual CImage* CreateEmpty() const;
    // A new image of the same class and size with this image's colour key and
    // palette (a direct-colour image passes its conversion palette on), and
    // its pixels when copyPixels is set; null on failure.
    virtual CImage* Clone(bool copyPixels) const;
    // Makes room for width x height pixels (contents undefined) and tells the
    // release callback. The same size again keeps the pixels and tells nobody.
    // False, unchanged, for a negative size or a pixel block beyond
    // kMaxPixelBytes; false, emptied, when memory runs out.
    virtual bool Allocate(int32_t width, int32_t height);
    virtual int GetBitsPerPixel() const;
    // Bits of red, green and blue; the result is their sum.
    virtual int GetChannelBits(int& red, int& green, int& blue) const;
    // The pixel block (its lowest row in memory), or null.
    virtual uint8_t* GetBits() const;
    // The largest pixel block an image allocates.
    static constexpr int64_t kMaxPixelBytes = 0x7FFFFFFF;
    // Row y, or null outside the image.
    virtual uint8_t* GetRow(int32_t y) const;
    // The raw pixel: a palette index, a 16-bit 5-6-5 value, the three bytes of
    // a 24-bit pixel (blue lowest) or an ARGB value.
    virtual uint32_t GetPixel(int32_t y, int32_t x) const;
    virtual void SetPixel(int32_t y, int32_t x, uint32_t value);
    virtual void GetPixelARGB(int32_t y, int32_t x, ARGB& argb) const;
    // Does nothing on the indexed formats.
    virtual void SetPixelARGB(int32_t y, int32_t x, const ARGB& argb);
    virtual bool GetViewFlag() const;
    // Palette entries the format uses; with includeConversion a direct-colour
    // image counts the 256 entries SetRowFromIndices converts through.
    virtual int GetPaletteSize(bool includeConversion) const;
    // Writes row y from width 8-bit palette indices: indexed formats store the
    // index's low bits, the others the palette entry converted.
    virtual void SetRowFromIndices(int32_t y, const uint8_t* indices);
    // Row y as width ARGB values, or null (width below 1, y outside). The
    // 32-bit formats hand out the row itself; the others fill a scratch row
    // that stays valid until the next call, Release or the image's end.
    virtual const ARGB* GetRowARGB(int32_t y) const;

    int32_t GetWidth() const { return m_width; }
    int32_t GetHeight() const { return m_height; }
    // Bytes from one row to the next.
    int32_t GetStride() const { return m_stride; }

    // The 256 palette entries, created on first use as opaque black.
    ARGB* GetPalette();
    const ARGB* GetPalette() const;

    ARGB GetColourKey() const { return m_colourKey; }
    bool HasColourKey() const { return m_hasColourKey; }
    void SetColourKey(ARGB key);
    void ClearColourKey();

    void SetReleaseCallback(ReleaseCallback callback, void* context);

    // Reads a whole BMP file from the stream's position; a new image owned by
    // the caller, or null for a damaged, truncated or unsupported file.
    // Accepted: bottom-up, uncompressed 1, 2, 4, 8, 24 and 32 bits; 16 bits
    // uncompressed (5-5-5, converted) or with 5-6-5 or 5-5-5 bit-field masks.
    // The colour model narrows the accepted depths (greyscale: 8 bits only).
    static CImage* CreateFromBitmapInfo(CStream& stream, int colourModel);

    // A new 1-bit mask (1 = pixel differs from the key, 0 = transparent). The
    // key defaults to the image's colour key; null without either.
    CIndexedImage_1Bpp* CreateMask(const ARGB* key) const;
    // Allocates mask at this image's size and fills it by the same rule;
    // false when the allocation fails.
    bool ExtractMask(CImage& mask, const ARGB& key) const;
    // Allocates the target (a 32-bit format) at this size and copies every row
    // as ARGB values. False, with the target emptied, when the allocation
    // fails; false, untouched, when the target is not 32-bit.
    bool ConvertToARGB(CImage& target) const;

protected:
    CImage();

    // The pixel block of the formats that own their rows. The block is held as
    // 32-bit words so the 32-bit formats may read it as ARGB values.
    bool AllocatePixels(int32_t width, int32_t height);
    void FreePixels();
    // Bytes of one row's pixels before padding, or -1 when it does not fit.
    int64_t GetRowBytes() const;
    // The pixel array transfer shared by the owning formats.
    bool LoadPixelArray(CStream& stream);
    bool SavePixelArray(CStream& stream);
    bool InRange(int32_t y, int32_t x) const;

    int32_t m_width = 0;
    int32_t m_height = 0;
    int32_t m_stride = 0;

private:
    mutable std::unique_ptr<ARGB[]> m_palette; // owned, 256 entries or null
    ARGB m_colourKey = kOpaqueBlack;
    bool m_hasColourKey = false;
    mutable std::unique_ptr<ARGB[]> m_scratchRow; // owned, m_scratchLength values
    mutable int32_t m_scratchLength = 0;
    ReleaseCallback m_releaseCallback = nullptr;
    void* m_releaseContext = nullptr; // the callback's, not owned

    std::unique_ptr<uint32_t[]> m_pixels; // owned pixel block, or null
    std::unique_ptr<uint8_t*[]> m_rows;   // owned, m_height pointers into m_pixels
};

// Writes the image as a BMP file at the stream's position (which must allow
// seeking back) and leaves the stream at the file's end. 16-bit images carry
// 5-6-5 bit-field masks; greyscale images a grey ramp as colour table. False
// for an empty image or a short write.
bool WriteBmpFile(CStream& stream, CImage& image);

} // namespace common
