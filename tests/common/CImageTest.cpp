#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <memory>
#include <vector>

#include "common/CImage.h"
#include "common/CIndexedImage_1Bpp.h"
#include "common/CIndexedImage_2Bpp.h"
#include "common/CIndexedImage_4Bpp.h"
#include "common/CIndexedImage_8Bpp.h"
#include "common/CIndexedImage_8BppGrey.h"
#include "common/CMemoryStream.h"
#include "common/CRgbImage_16Bpp.h"
#include "common/CRgbImage_24Bpp.h"
#include "common/CRgbImage_32Bpp.h"

using namespace common;

namespace {

std::unique_ptr<CImage> MakeImage(int bits, bool grey = false) {
    switch (bits) {
    case 1:
        return std::make_unique<CIndexedImage_1Bpp>();
    case 2:
        return std::make_unique<CIndexedImage_2Bpp>();
    case 4:
        return std::make_unique<CIndexedImage_4Bpp>();
    case 8:
        if (grey)
            return std::make_unique<CIndexedImage_8BppGrey>();
        return std::make_unique<CIndexedImage_8Bpp>();
    case 16:
        return std::make_unique<CRgbImage_16Bpp>();
    case 24:
        return std::make_unique<CRgbImage_24Bpp>();
    default:
        return std::make_unique<CRgbImage_32Bpp>();
    }
}

// A raw pixel that uses the format's whole width and differs from pixel to pixel.
uint32_t Pattern(int bits, int32_t y, int32_t x) {
    const uint32_t v = static_cast<uint32_t>(y * 131 + x * 37 + 5) * 2654435761u;
    return bits == 32 ? v : v & ((1u << bits) - 1);
}

void FillPattern(CImage& image) {
    for (int32_t y = 0; y < image.GetHeight(); ++y)
        for (int32_t x = 0; x < image.GetWidth(); ++x)
            image.SetPixel(y, x, Pattern(image.GetBitsPerPixel(), y, x));
}

std::vector<uint8_t> Contents(CMemoryStream& stream) {
    return std::vector<uint8_t>(stream.GetBuffer(), stream.GetBuffer() + stream.GetSize());
}

std::vector<uint8_t> WriteToBytes(CImage& image) {
    CMemoryStream stream;
    EXPECT_TRUE(stream.Create(0, -1));
    EXPECT_TRUE(WriteBmpFile(stream, image));
    EXPECT_EQ(stream.GetPosition(), stream.GetSize());
    return Contents(stream);
}

std::unique_ptr<CImage> ReadFromBytes(std::vector<uint8_t> bytes, int model = CImage::kModelNone) {
    CMemoryStream stream;
    if (bytes.empty())
        bytes.push_back(0);
    EXPECT_TRUE(stream.Attach(bytes.data(), static_cast<int64_t>(bytes.size())));
    return std::unique_ptr<CImage>(CImage::CreateFromBitmapInfo(stream, model));
}

uint32_t Get32(const std::vector<uint8_t>& b, size_t at) {
    return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | static_cast<uint32_t>(b[at + 3]) << 24;
}

void Put32(std::vector<uint8_t>& b, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i)
        b[at + i] = static_cast<uint8_t>(v >> (8 * i));
}

// A bare 40-byte-header BMP, as a foreign writer would make it.
std::vector<uint8_t> MakeBmp(int32_t width, int32_t height, int bits, uint32_t compression,
                             const std::vector<uint8_t>& afterHeader, const std::vector<uint8_t>& pixels) {
    std::vector<uint8_t> b(54, 0);
    b[0] = 'B';
    b[1] = 'M';
    Put32(b, 10, static_cast<uint32_t>(54 + afterHeader.size()));
    Put32(b, 14, 40);
    Put32(b, 18, static_cast<uint32_t>(width));
    Put32(b, 22, static_cast<uint32_t>(height));
    b[26] = 1;
    b[28] = static_cast<uint8_t>(bits);
    Put32(b, 30, compression);
    b.insert(b.end(), afterHeader.begin(), afterHeader.end());
    b.insert(b.end(), pixels.begin(), pixels.end());
    Put32(b, 2, static_cast<uint32_t>(b.size()));
    return b;
}

void CountRelease(void* context, CImage*) {
    ++*static_cast<int*>(context);
}

} // namespace

// ---- Layout -------------------------------------------------------------------

TEST(CImage, StrideIsRowBytesRoundedToFourBytes) {
    struct Case {
        int bits;
        int32_t width;
        int32_t stride;
    } cases[] = {{1, 1, 4}, {1, 33, 8}, {2, 5, 4},   {2, 17, 8},  {4, 9, 8},
                 {8, 3, 4}, {16, 3, 8}, {24, 3, 12}, {24, 4, 12}, {32, 3, 12}};
    for (const Case& c : cases) {
        auto image = MakeImage(c.bits);
        ASSERT_TRUE(image->Allocate(c.width, 2));
        EXPECT_EQ(image->GetStride(), c.stride) << c.bits << " bits, width " << c.width;
        EXPECT_EQ(image->GetRow(1) - image->GetRow(0), c.stride);
        EXPECT_EQ(image->GetBits(), image->GetRow(0));
        EXPECT_EQ(image->GetRow(2), nullptr);
        EXPECT_EQ(image->GetRow(-1), nullptr);
    }
}

TEST(CImage, FormatsDescribeThemselves) {
    struct Case {
        int bits;
        bool grey;
        int model, paletteSize, conversionPalette, channelSum;
    } cases[] = {{1, false, 1, 2, 2, 24},     {2, false, 1, 4, 4, 24},    {4, false, 1, 16, 16, 24},
                 {8, false, 1, 256, 256, 24}, {8, true, 2, 256, 256, 24}, {16, false, 3, 0, 256, 16},
                 {24, false, 3, 0, 256, 24},  {32, false, 3, 0, 256, 24}};
    for (const Case& c : cases) {
        auto image = MakeImage(c.bits, c.grey);
        int r, g, b;
        EXPECT_EQ(image->GetBitsPerPixel(), c.bits);
        EXPECT_EQ(image->GetColourModel(), c.model) << c.bits;
        EXPECT_EQ(image->GetPaletteSize(false), c.paletteSize) << c.bits;
        EXPECT_EQ(image->GetPaletteSize(true), c.conversionPalette) << c.bits;
        EXPECT_EQ(image->GetChannelBits(r, g, b), c.channelSum);
        EXPECT_EQ(r + g + b, c.channelSum);
        EXPECT_FALSE(image->GetViewFlag());
        std::unique_ptr<CImage> empty(image->CreateEmpty());
        ASSERT_TRUE(empty);
        EXPECT_EQ(empty->GetBitsPerPixel(), c.bits);
        EXPECT_EQ(empty->GetColourModel(), c.model);
        EXPECT_EQ(empty->GetWidth(), 0);
    }
}

// ---- Allocation -----------------------------------------------------------------

TEST(CImage, AllocateSameSizeKeepsPixelsAndTellsNobody) {
    CIndexedImage_8Bpp image;
    int releases = 0;
    image.SetReleaseCallback(CountRelease, &releases);
    ASSERT_TRUE(image.Allocate(3, 2));
    EXPECT_EQ(releases, 1);
    image.SetPixel(1, 2, 77);
    ASSERT_TRUE(image.Allocate(3, 2));
    EXPECT_EQ(image.GetPixel(1, 2), 77u);
    EXPECT_EQ(releases, 1);
    ASSERT_TRUE(image.Allocate(4, 2));
    EXPECT_EQ(releases, 2);
    image.Release();
    EXPECT_EQ(releases, 3);
}

TEST(CImage, AllocateRefusesNegativeAndOversizedImagesUnchanged) {
    struct Case {
        int bits;
        int32_t width, height;
    } cases[] = {{8, -1, 4},
                 {8, 4, -1},
                 {32, 0x7FFFFFFF, 0x7FFFFFFF},
                 {32, 0x10000, 0x8000},
                 {24, 0x7FFFFFFF, 1},
                 {1, 0x7FFFFFFF, 0x7FFFFFFF}};
    for (const Case& c : cases) {
        auto image = MakeImage(c.bits);
        ASSERT_TRUE(image->Allocate(2, 2));
        image->SetPixel(1, 1, 1);
        EXPECT_FALSE(image->Allocate(c.width, c.height)) << c.width << " x " << c.height;
        EXPECT_EQ(image->GetWidth(), 2);
        EXPECT_EQ(image->GetPixel(1, 1), 1u);
    }
}

TEST(CImage, FreeBuffersEmptiesTheImage) {
    CIndexedImage_4Bpp indexed;
    CRgbImage_24Bpp rgb;
    ASSERT_TRUE(indexed.Allocate(5, 5));
    ASSERT_TRUE(rgb.Allocate(5, 5));
    indexed.FreeBuffers();
    rgb.FreeBuffers();
    for (CImage* image : {static_cast<CImage*>(&indexed), static_cast<CImage*>(&rgb)}) {
        EXPECT_EQ(image->GetWidth(), 0);
        EXPECT_EQ(image->GetHeight(), 0);
        EXPECT_EQ(image->GetStride(), 0);
        EXPECT_EQ(image->GetBits(), nullptr);
        EXPECT_EQ(image->GetRowARGB(0), nullptr);
    }
}

// ---- Pixels -------------------------------------------------------------------

TEST(CImage, PixelsOutsideTheImageReadZeroAndWriteNothing) {
    for (int bits : {1, 2, 4, 8, 16, 24, 32}) {
        auto image = MakeImage(bits);
        ASSERT_TRUE(image->Allocate(3, 3));
        std::memset(image->GetBits(), 0xFF, static_cast<size_t>(image->GetStride() * 3));
        const std::vector<uint8_t> before(image->GetBits(), image->GetBits() + image->GetStride() * 3);
        for (auto yx : {std::make_pair(-1, 0), std::make_pair(0, -1), std::make_pair(3, 0), std::make_pair(0, 3)}) {
            ARGB argb = 1;
            image->GetPixelARGB(yx.first, yx.second, argb);
            EXPECT_EQ(argb, 0u);
            EXPECT_EQ(image->GetPixel(yx.first, yx.second), 0u);
            image->SetPixel(yx.first, yx.second, 0);
            image->SetPixelARGB(yx.first, yx.second, argb);
        }
        EXPECT_EQ(std::vector<uint8_t>(image->GetBits(), image->GetBits() + image->GetStride() * 3), before);
    }
}

TEST(CImage, IndexedPixelsPackLeftmostInTheHighBitsAndLeaveNeighbours) {
    struct Case {
        int bits;
        std::vector<uint8_t> row; // bytes after setting pixel 1 to all ones on a zero row
    } cases[] = {{1, {0x40}}, {2, {0x30}}, {4, {0x0F}}, {8, {0x00, 0xFF}}};
    for (const Case& c : cases) {
        auto image = MakeImage(c.bits);
        ASSERT_TRUE(image->Allocate(8, 1));
        std::memset(image->GetRow(0), 0, 4);
        image->SetPixel(0, 1, 0xFFFFFFFF);
        for (size_t i = 0; i < c.row.size(); ++i)
            EXPECT_EQ(image->GetRow(0)[i], c.row[i]) << c.bits;
        EXPECT_EQ(image->GetPixel(0, 1), (1u << c.bits) - 1);
        EXPECT_EQ(image->GetPixel(0, 0), 0u);
        EXPECT_EQ(image->GetPixel(0, 2), 0u);
    }
}

TEST(CImage, IndexedColourComesFromThePaletteExceptOnGreyscale) {
    CIndexedImage_2Bpp image;
    CIndexedImage_8BppGrey grey;
    ASSERT_TRUE(image.Allocate(2, 1));
    ASSERT_TRUE(grey.Allocate(1, 1));
    image.GetPalette()[3] = 0x80123456;
    grey.GetPalette()[0x40] = 0xFF0000FF;
    image.SetPixel(0, 0, 3);
    grey.SetPixel(0, 0, 0x40);
    image.SetPixelARGB(0, 0, 0xFFFFFFFF); // ignored by indexed formats
    ARGB argb = 0;
    image.GetPixelARGB(0, 0, argb);
    EXPECT_EQ(argb, 0x80123456u);
    EXPECT_EQ(image.GetPixel(0, 0), 3u);
    grey.GetPixelARGB(0, 0, argb);
    EXPECT_EQ(argb, 0xFF404040u);
}

TEST(CImage, Rgb565PacksWithoutReplicatingLowBits) {
    CRgbImage_16Bpp image;
    ASSERT_TRUE(image.Allocate(2, 1));
    image.SetPixel(0, 0, 0xFFFF);
    ARGB argb = 0;
    image.GetPixelARGB(0, 0, argb);
    EXPECT_EQ(argb, 0xFFF8FCF8u);
    image.SetPixelARGB(0, 1, 0x00123456);
    EXPECT_EQ(image.GetPixel(0, 1), 0x11AAu);
    EXPECT_EQ(image.GetRow(0)[2], 0xAA); // little-endian
    EXPECT_EQ(image.GetRow(0)[3], 0x11);
    const uint8_t bgr[3] = {0x56, 0x34, 0x12};
    EXPECT_EQ(PackRgb565(bgr), 0x11AA);
    uint8_t out[2];
    PackRgb565Copy(out, bgr);
    EXPECT_EQ(out[0], 0xAA);
    EXPECT_EQ(out[1], 0x11);
    EXPECT_EQ(UnpackRgb565(0x11AA), 0xFF103450u);
}

TEST(CImage, Rgb24StoresBlueGreenRedAndDropsAlpha) {
    CRgbImage_24Bpp image;
    ASSERT_TRUE(image.Allocate(2, 1));
    image.SetPixelARGB(0, 1, 0x00ABCDEF);
    const uint8_t* p = image.GetRow(0) + 3;
    EXPECT_EQ(p[0], 0xEF);
    EXPECT_EQ(p[1], 0xCD);
    EXPECT_EQ(p[2], 0xAB);
    EXPECT_EQ(image.GetPixel(0, 1), 0xABCDEFu);
    ARGB argb = 0;
    image.GetPixelARGB(0, 1, argb);
    EXPECT_EQ(argb, 0xFFABCDEFu);
    EXPECT_TRUE(Rgb24EqualsARGB(p, 0xFFABCDEF));
    EXPECT_FALSE(Rgb24EqualsARGB(p, 0x00ABCDEF));
    uint8_t copy[3];
    CopyRgb24(copy, p);
    EXPECT_EQ(std::memcmp(copy, p, 3), 0);
}

TEST(CImage, SetRowFromIndicesPacksIndexedRows) {
    CIndexedImage_4Bpp four;
    ASSERT_TRUE(four.Allocate(3, 1));
    const uint8_t a[] = {1, 2, 3};
    four.GetRow(0)[1] = 0xFF; // the trailing partial byte is cleared first
    four.SetRowFromIndices(0, a);
    EXPECT_EQ(four.GetRow(0)[0], 0x12);
    EXPECT_EQ(four.GetRow(0)[1], 0x30);

    CIndexedImage_2Bpp two;
    ASSERT_TRUE(two.Allocate(5, 1));
    const uint8_t b[] = {1, 2, 3, 0, 1};
    two.SetRowFromIndices(0, b);
    EXPECT_EQ(two.GetRow(0)[0], 0x6C);
    EXPECT_EQ(two.GetRow(0)[1], 0x40);

    CIndexedImage_1Bpp one;
    ASSERT_TRUE(one.Allocate(10, 1));
    const uint8_t c[] = {1, 0, 1, 1, 0, 0, 0, 3, 1, 2};
    one.SetRowFromIndices(0, c);
    EXPECT_EQ(one.GetRow(0)[0], 0xB1);
    EXPECT_EQ(one.GetRow(0)[1], 0x80);
}

TEST(CImage, SetRowFromIndicesConvertsThroughThePaletteOnDirectFormats) {
    const uint8_t indices[] = {0, 7, 255};
    for (int bits : {16, 24, 32}) {
        auto image = MakeImage(bits);
        ASSERT_TRUE(image->Allocate(3, 2));
        image->GetPalette()[7] = 0xFF808080;
        image->GetPalette()[255] = 0xFFFFFFFF;
        image->SetRowFromIndices(1, indices);
        ARGB argb[3];
        for (int x = 0; x < 3; ++x)
            image->GetPixelARGB(1, x, argb[x]);
        EXPECT_EQ(argb[0], kOpaqueBlack) << bits;
        EXPECT_EQ(argb[1], 0xFF808080u) << bits;
        EXPECT_EQ(argb[2], bits == 16 ? 0xFFF8FCF8u : 0xFFFFFFFFu) << bits;
    }
}

TEST(CImage, GetRowARGBConvertsIntoAScratchRowExceptAt32Bits) {
    CRgbImage_32Bpp direct;
    ASSERT_TRUE(direct.Allocate(2, 2));
    EXPECT_EQ(reinterpret_cast<const uint8_t*>(direct.GetRowARGB(1)), direct.GetRow(1));

    CIndexedImage_1Bpp indexed;
    ASSERT_TRUE(indexed.Allocate(3, 2));
    indexed.GetPalette()[1] = 0xFFFFFFFF;
    const uint8_t row[] = {1, 0, 1};
    indexed.SetRowFromIndices(0, row);
    const ARGB* argb = indexed.GetRowARGB(0);
    ASSERT_NE(argb, nullptr);
    EXPECT_EQ(argb[0], 0xFFFFFFFFu);
    EXPECT_EQ(argb[1], kOpaqueBlack);
    EXPECT_EQ(argb[2], 0xFFFFFFFFu);
    EXPECT_EQ(indexed.GetRowARGB(2), nullptr);

    CIndexedImage_8Bpp empty;
    EXPECT_EQ(empty.GetRowARGB(0), nullptr);
}

// ---- Clone, mask, conversion ------------------------------------------------------

TEST(CImage, CloneCopiesSizeKeyPaletteAndOptionallyPixels) {
    for (int bits : {1, 2, 4, 8, 16, 24, 32}) {
        auto image = MakeImage(bits);
        ASSERT_TRUE(image->Allocate(7, 3));
        FillPattern(*image);
        image->SetColourKey(0xFF00FF00);
        image->GetPalette()[1] = 0xFF123456;
        std::unique_ptr<CImage> copy(image->Clone(true));
        ASSERT_TRUE(copy);
        EXPECT_EQ(copy->GetBitsPerPixel(), bits);
        EXPECT_EQ(copy->GetWidth(), 7);
        EXPECT_EQ(copy->GetHeight(), 3);
        EXPECT_TRUE(copy->HasColourKey());
        EXPECT_EQ(copy->GetColourKey(), 0xFF00FF00u);
        EXPECT_EQ(copy->GetPalette()[1], 0xFF123456u) << bits;
        for (int32_t y = 0; y < 3; ++y)
            for (int32_t x = 0; x < 7; ++x)
                ASSERT_EQ(copy->GetPixel(y, x), image->GetPixel(y, x)) << bits;
        std::unique_ptr<CImage> shape(image->Clone(false));
        ASSERT_TRUE(shape);
        EXPECT_EQ(shape->GetWidth(), 7);
    }
}

TEST(CImage, MaskMarksPixelsThatDifferFromTheKey) {
    CRgbImage_24Bpp image;
    ASSERT_TRUE(image.Allocate(3, 2));
    for (int32_t y = 0; y < 2; ++y)
        for (int32_t x = 0; x < 3; ++x)
            image.SetPixelARGB(y, x, (x + y) % 2 ? 0xFFFF00FF : 0xFF000000);

    EXPECT_EQ(image.CreateMask(nullptr), nullptr); // no key given, none set

    const ARGB magenta = 0xFFFF00FF;
    std::unique_ptr<CIndexedImage_1Bpp> mask(image.CreateMask(&magenta));
    ASSERT_TRUE(mask);
    EXPECT_EQ(mask->GetWidth(), 3);
    for (int32_t y = 0; y < 2; ++y)
        for (int32_t x = 0; x < 3; ++x)
            EXPECT_EQ(mask->GetPixel(y, x), (x + y) % 2 ? 0u : 1u);

    image.SetColourKey(kOpaqueBlack);
    mask.reset(image.CreateMask(nullptr));
    ASSERT_TRUE(mask);
    EXPECT_EQ(mask->GetPixel(0, 0), 0u);
    EXPECT_EQ(mask->GetPixel(0, 1), 1u);

    CIndexedImage_8Bpp other;
    EXPECT_TRUE(image.ExtractMask(other, magenta));
    EXPECT_EQ(other.GetWidth(), 3);
    EXPECT_EQ(other.GetPixel(1, 0), 0u);
    EXPECT_EQ(other.GetPixel(1, 1), 1u);
}

TEST(CImage, ConvertToARGBCopiesEveryRowIntoA32BitImage) {
    CIndexedImage_4Bpp image;
    ASSERT_TRUE(image.Allocate(5, 2));
    for (int i = 0; i < 16; ++i)
        image.GetPalette()[i] = 0xFF000000u + static_cast<ARGB>(i) * 0x10101u;
    FillPattern(image);
    CRgbImage_32Bpp target;
    ASSERT_TRUE(image.ConvertToARGB(target));
    ASSERT_EQ(target.GetWidth(), 5);
    for (int32_t y = 0; y < 2; ++y)
        for (int32_t x = 0; x < 5; ++x) {
            ARGB expected;
            image.GetPixelARGB(y, x, expected);
            EXPECT_EQ(target.GetPixel(y, x), expected);
        }
}

TEST(CImage, ConvertToARGBRefusesTargetsNarrowerThan32Bits) {
    CRgbImage_32Bpp image;
    ASSERT_TRUE(image.Allocate(4, 4));
    CRgbImage_24Bpp target;
    EXPECT_FALSE(image.ConvertToARGB(target));
    EXPECT_EQ(target.GetWidth(), 0);
}

// ---- Pixel arrays and BMP files -----------------------------------------------------

TEST(CImage, SaveRowsWritesBottomRowFirstWithZeroPadding) {
    CIndexedImage_8Bpp image;
    ASSERT_TRUE(image.Allocate(3, 2));
    const uint8_t top[] = {1, 2, 3}, bottom[] = {4, 5, 6};
    image.SetRowFromIndices(0, top);
    image.SetRowFromIndices(1, bottom);
    image.GetRow(0)[3] = 0xEE; // stride padding in memory never reaches the file
    CMemoryStream stream;
    ASSERT_TRUE(stream.Create(0, -1));
    ASSERT_TRUE(image.SaveRows(stream));
    EXPECT_EQ(Contents(stream), (std::vector<uint8_t>{4, 5, 6, 0, 1, 2, 3, 0}));

    CIndexedImage_8Bpp back;
    ASSERT_TRUE(back.Allocate(3, 2));
    ASSERT_TRUE(stream.Seek(0));
    ASSERT_TRUE(back.LoadRows(stream));
    EXPECT_EQ(back.GetPixel(0, 2), 3u);
    EXPECT_EQ(back.GetPixel(1, 0), 4u);
    ASSERT_TRUE(stream.Seek(1));
    EXPECT_FALSE(back.LoadRows(stream)); // one byte short
}

TEST(CImage, BmpWrittenAtEveryDepthReadsBackEqual) {
    struct Case {
        int bits;
        bool grey;
        int model;
    } cases[] = {{1, false, 0}, {2, false, 0},  {4, false, 1},  {8, false, 0},
                 {8, true, 2},  {16, false, 0}, {24, false, 3}, {32, false, 0}};
    for (const Case& c : cases) {
        for (int32_t width : {1, 5, 13}) {
            auto image = MakeImage(c.bits, c.grey);
            ASSERT_TRUE(image->Allocate(width, 3));
            FillPattern(*image);
            for (int i = 0; i < image->GetPaletteSize(false); ++i)
                image->GetPalette()[i] = 0xFF000000u | static_cast<ARGB>(i * 0x10305u);
            const std::vector<uint8_t> bytes = WriteToBytes(*image);
            std::unique_ptr<CImage> back = ReadFromBytes(bytes, c.model);
            ASSERT_TRUE(back) << c.bits << " bits, width " << width;
            EXPECT_EQ(back->GetBitsPerPixel(), c.bits);
            EXPECT_EQ(back->GetColourModel(), image->GetColourModel());
            ASSERT_EQ(back->GetWidth(), width);
            ASSERT_EQ(back->GetHeight(), 3);
            for (int i = 0; i < image->GetPaletteSize(false); ++i)
                EXPECT_EQ(back->GetPalette()[i], image->GetPalette()[i]) << i;
            for (int32_t y = 0; y < 3; ++y)
                for (int32_t x = 0; x < width; ++x) {
                    ASSERT_EQ(back->GetPixel(y, x), image->GetPixel(y, x)) << c.bits << " at " << y << "," << x;
                    ARGB a, b;
                    image->GetPixelARGB(y, x, a);
                    back->GetPixelARGB(y, x, b);
                    ASSERT_EQ(a, b);
                }
        }
    }
}

TEST(CImage, WriteBmpFileLaysOutHeadersAndTable) {
    CIndexedImage_1Bpp image;
    ASSERT_TRUE(image.Allocate(3, 2));
    image.GetPalette()[1] = 0x00112233; // written back with alpha 0xFF
    const std::vector<uint8_t> b = WriteToBytes(image);
    ASSERT_EQ(b.size(), 14u + 40u + 8u + 8u);
    EXPECT_EQ(b[0], 'B');
    EXPECT_EQ(b[1], 'M');
    EXPECT_EQ(Get32(b, 2), b.size());
    EXPECT_EQ(Get32(b, 6), 0u);
    EXPECT_EQ(Get32(b, 10), 62u);
    EXPECT_EQ(Get32(b, 14), 40u);
    EXPECT_EQ(Get32(b, 18), 3u);
    EXPECT_EQ(Get32(b, 22), 2u);
    EXPECT_EQ(b[26] | b[27] << 8, 1);
    EXPECT_EQ(b[28] | b[29] << 8, 1);
    EXPECT_EQ(Get32(b, 30), 0u);
    EXPECT_EQ(Get32(b, 46), 2u);
    EXPECT_EQ(Get32(b, 50), 2u);
    EXPECT_EQ(Get32(b, 58), 0x00112233u);
    EXPECT_EQ(image.GetPalette()[1], 0xFF112233u);
}

TEST(CImage, WriteBmpFileStartsAtTheStreamPosition) {
    CRgbImage_24Bpp image;
    ASSERT_TRUE(image.Allocate(2, 2));
    FillPattern(image);
    CMemoryStream stream;
    ASSERT_TRUE(stream.Create(0, -1));
    ASSERT_EQ(stream.Write("xyz", 3), 3);
    ASSERT_TRUE(WriteBmpFile(stream, image));
    const std::vector<uint8_t> b = Contents(stream);
    EXPECT_EQ(Get32(b, 3 + 2), b.size() - 3);
    EXPECT_EQ(Get32(b, 3 + 10), 54u);
    ASSERT_TRUE(stream.Seek(3));
    std::unique_ptr<CImage> back(CImage::CreateFromBitmapInfo(stream, CImage::kModelNone));
    ASSERT_TRUE(back);
    EXPECT_EQ(back->GetPixel(1, 1), image.GetPixel(1, 1));
}

TEST(CImage, WriteBmpFileRefusesAnEmptyImageAndFailsOnAShortWrite) {
    CRgbImage_24Bpp image;
    CMemoryStream growing;
    ASSERT_TRUE(growing.Create(0, -1));
    EXPECT_FALSE(WriteBmpFile(growing, image));
    ASSERT_TRUE(image.Allocate(8, 8));
    std::vector<uint8_t> room(100);
    CMemoryStream fixed;
    ASSERT_TRUE(fixed.Attach(room.data(), static_cast<int64_t>(room.size())));
    EXPECT_FALSE(WriteBmpFile(fixed, image));
}

TEST(CImage, Bmp16BitCarries565MasksSoColoursSurviveBothWays) {
    CRgbImage_16Bpp image;
    ASSERT_TRUE(image.Allocate(2, 1));
    image.SetPixelARGB(0, 0, 0xFF00FC00); // pure green uses the sixth green bit
    image.SetPixelARGB(0, 1, 0xFFF80000);
    const std::vector<uint8_t> b = WriteToBytes(image);
    EXPECT_EQ(Get32(b, 30), 3u); // bit fields
    EXPECT_EQ(Get32(b, 54), 0xF800u);
    EXPECT_EQ(Get32(b, 58), 0x07E0u);
    EXPECT_EQ(Get32(b, 62), 0x001Fu);
    EXPECT_EQ(Get32(b, 10), 66u);
    EXPECT_EQ(b[66] | b[67] << 8, 0x07E0);
}

TEST(CImage, Bmp16BitWithout565MasksIsRead555) {
    // Pure green, pure red and white in 5-5-5.
    const std::vector<uint8_t> pixels = {0xE0, 0x03, 0x00, 0x7C, 0xFF, 0x7F, 0, 0};
    const std::vector<uint8_t> masks555 = {0x00, 0x7C, 0, 0, 0xE0, 0x03, 0, 0, 0x1F, 0, 0, 0};
    for (const std::vector<uint8_t>& bytes :
         {MakeBmp(3, 1, 16, 0, {}, pixels), MakeBmp(3, 1, 16, 3, masks555, pixels)}) {
        std::unique_ptr<CImage> image = ReadFromBytes(bytes);
        ASSERT_TRUE(image);
        ARGB argb[3];
        for (int x = 0; x < 3; ++x)
            image->GetPixelARGB(0, x, argb[x]);
        EXPECT_EQ(argb[0], 0xFF00F800u);
        EXPECT_EQ(argb[1], 0xFFF80000u);
        EXPECT_EQ(argb[2], 0xFFF8F8F8u);
    }
}

TEST(CImage, GreyscaleBmpCarriesAGreyRamp) {
    CIndexedImage_8BppGrey image;
    ASSERT_TRUE(image.Allocate(2, 1));
    image.SetPixel(0, 0, 0x20);
    image.SetPixel(0, 1, 0xC0);
    // Read as a plain 8-bit image the colours still match the greyscale view.
    std::unique_ptr<CImage> back = ReadFromBytes(WriteToBytes(image), CImage::kModelIndexed);
    ASSERT_TRUE(back);
    ARGB argb;
    back->GetPixelARGB(0, 1, argb);
    EXPECT_EQ(argb, 0xFFC0C0C0u);
}

TEST(CImage, ReaderHonoursColourModel) {
    CRgbImage_24Bpp rgb;
    CIndexedImage_8Bpp indexed;
    CIndexedImage_4Bpp four;
    ASSERT_TRUE(rgb.Allocate(2, 2));
    ASSERT_TRUE(indexed.Allocate(2, 2));
    ASSERT_TRUE(four.Allocate(2, 2));
    const auto rgbBytes = WriteToBytes(rgb);
    const auto indexedBytes = WriteToBytes(indexed);
    const auto fourBytes = WriteToBytes(four);
    EXPECT_FALSE(ReadFromBytes(rgbBytes, CImage::kModelIndexed));
    EXPECT_FALSE(ReadFromBytes(rgbBytes, CImage::kModelGreyscale));
    EXPECT_TRUE(ReadFromBytes(rgbBytes, CImage::kModelDirect));
    EXPECT_FALSE(ReadFromBytes(indexedBytes, CImage::kModelDirect));
    EXPECT_FALSE(ReadFromBytes(fourBytes, CImage::kModelGreyscale));
    EXPECT_FALSE(ReadFromBytes(indexedBytes, 7));
    auto grey = ReadFromBytes(indexedBytes, CImage::kModelGreyscale);
    ASSERT_TRUE(grey);
    EXPECT_EQ(grey->GetColourModel(), CImage::kModelGreyscale);
}

TEST(CImage, ReaderAcceptsLongerInfoHeaders) {
    CIndexedImage_4Bpp image;
    ASSERT_TRUE(image.Allocate(3, 2));
    image.GetPalette()[5] = 0xFF102030;
    image.SetPixel(1, 2, 5);
    std::vector<uint8_t> b = WriteToBytes(image);
    // Grow the information header to 108 bytes: the table moves behind it.
    b.insert(b.begin() + 54, 68, 0);
    Put32(b, 14, 108);
    Put32(b, 10, Get32(b, 10) + 68);
    Put32(b, 2, static_cast<uint32_t>(b.size()));
    std::unique_ptr<CImage> back = ReadFromBytes(b);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->GetPixel(1, 2), 5u);
    EXPECT_EQ(back->GetPalette()[5], 0xFF102030u);
}

TEST(CImage, ReaderRefusesDamagedFiles) {
    CIndexedImage_8Bpp image;
    ASSERT_TRUE(image.Allocate(5, 4));
    FillPattern(image);
    const std::vector<uint8_t> good = WriteToBytes(image);
    ASSERT_TRUE(ReadFromBytes(good));

    struct Case {
        const char* what;
        std::function<void(std::vector<uint8_t>&)> damage;
    } cases[] = {
        {"empty", [](std::vector<uint8_t>& b) { b.clear(); }},
        {"file header cut", [](std::vector<uint8_t>& b) { b.resize(10); }},
        {"info header cut", [](std::vector<uint8_t>& b) { b.resize(40); }},
        {"signature", [](std::vector<uint8_t>& b) { b[1] = 'A'; }},
        {"file size beyond data", [](std::vector<uint8_t>& b) { Put32(b, 2, static_cast<uint32_t>(b.size() + 1)); }},
        {"negative file size", [](std::vector<uint8_t>& b) { Put32(b, 2, 0x80000000u); }},
        {"offset beyond data", [](std::vector<uint8_t>& b) { Put32(b, 10, static_cast<uint32_t>(b.size() + 4)); }},
        {"negative offset", [](std::vector<uint8_t>& b) { Put32(b, 10, 0xFFFFFFF0u); }},
        {"short info header", [](std::vector<uint8_t>& b) { Put32(b, 14, 12); }},
        {"zero width", [](std::vector<uint8_t>& b) { Put32(b, 18, 0); }},
        {"negative width", [](std::vector<uint8_t>& b) { Put32(b, 18, 0xFFFFFFFBu); }},
        {"top-down", [](std::vector<uint8_t>& b) { Put32(b, 22, 0xFFFFFFFCu); }},
        {"zero height", [](std::vector<uint8_t>& b) { Put32(b, 22, 0); }},
        {"two planes", [](std::vector<uint8_t>& b) { b[26] = 2; }},
        {"run-length compressed", [](std::vector<uint8_t>& b) { Put32(b, 30, 1); }},
        {"bit fields on 8 bits", [](std::vector<uint8_t>& b) { Put32(b, 30, 3); }},
        {"odd depth", [](std::vector<uint8_t>& b) { b[28] = 7; }},
        {"table past pixel offset", [](std::vector<uint8_t>& b) { Put32(b, 10, 54 + 1020); }},
        {"rows past data",
         [](std::vector<uint8_t>& b) {
             b.pop_back();
             Put32(b, 2, static_cast<uint32_t>(b.size()));
         }},
        {"rows past data, huge height", [](std::vector<uint8_t>& b) { Put32(b, 22, 0x40000000); }},
        {"size product overflows 32 bits",
         [](std::vector<uint8_t>& b) {
             Put32(b, 18, 0x10000);
             Put32(b, 22, 0x10001);
         }},
        {"width x depth overflows 32 bits",
         [](std::vector<uint8_t>& b) {
             Put32(b, 18, 0x7FFFFFFF);
             b[28] = 32;
         }},
        {"row bytes x height overflows 64 bits",
         [](std::vector<uint8_t>& b) {
             Put32(b, 18, 0x7FFFFFFF);
             Put32(b, 22, 0x7FFFFFFF);
             b[28] = 32;
         }},
    };
    for (const Case& c : cases) {
        std::vector<uint8_t> b = good;
        c.damage(b);
        EXPECT_FALSE(ReadFromBytes(b)) << c.what;
    }
}

TEST(CImage, ReaderRefusesUnknownBitFieldMasks) {
    const std::vector<uint8_t> masks = {0x00, 0xF0, 0, 0, 0xF0, 0x0F, 0, 0, 0x0F, 0, 0, 0};
    EXPECT_FALSE(ReadFromBytes(MakeBmp(1, 1, 16, 3, masks, {0, 0, 0, 0})));
    EXPECT_FALSE(ReadFromBytes(MakeBmp(1, 1, 16, 3, {}, {}))); // masks missing
    EXPECT_FALSE(ReadFromBytes(MakeBmp(1, 1, 32, 3, masks, {0, 0, 0, 0})));
}
