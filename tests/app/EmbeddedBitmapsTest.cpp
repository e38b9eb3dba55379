#include <cstdint>
#include <memory>

#include <gtest/gtest.h>

#include "app/EmbeddedBitmaps.h"
#include "common/CIndexedImage_1Bpp.h"

namespace {

using common::ARGB;
using common::CImage;
using emu::EmbeddedPicture;

constexpr ARGB kMagenta = 0xFFFC02FCu;
constexpr ARGB kKey = emu::kDriveIconColourKey;
constexpr ARGB kGreen = 0xFF00D000u, kRed = 0xFFE80000u, kYellow = 0xFFFFE000u, kWhite = 0xFFFFFFFFu;

uint32_t Get32(const uint8_t* at) {
    return at[0] | at[1] << 8 | at[2] << 16 | static_cast<uint32_t>(at[3]) << 24;
}

ARGB Pixel(const CImage& image, int32_t y, int32_t x) {
    ARGB argb = 0;
    image.GetPixelARGB(y, x, argb);
    return argb;
}

typedef CImage* (*StripLoader)(int);
const StripLoader kStrips[] = {emu::LoadDriveIconA, emu::LoadDriveIconB, emu::LoadDriveIconC};

TEST(EmbeddedBitmapsTest, StoredFilesAre4BitBmpsOfTheirSizes) {
    struct Case {
        EmbeddedPicture which;
        int index;
        int32_t bytes;
        int32_t width;
        int32_t height;
    };
    const Case cases[] = {
        {EmbeddedPicture::kStartIcon, 0, 230, 15, 14}, {EmbeddedPicture::kPauseIcon, 0, 238, 13, 15},
        {EmbeddedPicture::kStopIcon, 0, 222, 14, 13},  {EmbeddedPicture::kDriveA, 0, 502, 47, 16},
        {EmbeddedPicture::kDriveB, 11, 502, 47, 16},   {EmbeddedPicture::kDriveC, 5, 502, 47, 16},
    };
    for (const Case& c : cases) {
        int32_t size = 0;
        const uint8_t* file = emu::GetEmbeddedBitmapFile(c.which, c.index, size);
        ASSERT_NE(file, nullptr);
        EXPECT_EQ(size, c.bytes);
        EXPECT_EQ(file[0], 'B');
        EXPECT_EQ(file[1], 'M');
        EXPECT_EQ(Get32(file + 2), static_cast<uint32_t>(c.bytes));
        EXPECT_EQ(Get32(file + 14), 40u);
        EXPECT_EQ(Get32(file + 18), static_cast<uint32_t>(c.width));
        EXPECT_EQ(Get32(file + 22), static_cast<uint32_t>(c.height));
        EXPECT_EQ(file[26] | file[27] << 8, 1); // planes
        EXPECT_EQ(file[28] | file[29] << 8, 4); // bits per pixel
        EXPECT_EQ(Get32(file + 30), 0u);        // BI_RGB
        EXPECT_EQ(Get32(file + 46), 16u);       // palette entries
    }
}

TEST(EmbeddedBitmapsTest, StripPicturesLie512BytesApart) {
    int32_t size = 0;
    const uint8_t* first = emu::GetEmbeddedBitmapFile(EmbeddedPicture::kDriveA, 0, size);
    const uint8_t* second = emu::GetEmbeddedBitmapFile(EmbeddedPicture::kDriveA, 1, size);
    EXPECT_EQ(second - first, 512);
}

TEST(EmbeddedBitmapsTest, ToolbarIconsHaveMagentaCornersAndNoColourKey) {
    struct Case {
        CImage* (*load)();
        int32_t width;
        int32_t height;
    };
    const Case cases[] = {{emu::LoadStartIcon, 15, 14}, {emu::LoadPauseIcon, 13, 15}, {emu::LoadStopIcon, 14, 13}};
    for (const Case& c : cases) {
        std::unique_ptr<CImage> icon(c.load());
        ASSERT_TRUE(icon);
        EXPECT_EQ(icon->GetWidth(), c.width);
        EXPECT_EQ(icon->GetHeight(), c.height);
        EXPECT_EQ(icon->GetBitsPerPixel(), 4);
        EXPECT_FALSE(icon->HasColourKey());
        EXPECT_EQ(Pixel(*icon, 0, 0), kMagenta);
    }
}

TEST(EmbeddedBitmapsTest, ToolbarIconsShowTheirDrawings) {
    std::unique_ptr<CImage> start(emu::LoadStartIcon());
    std::unique_ptr<CImage> pause(emu::LoadPauseIcon());
    std::unique_ptr<CImage> stop(emu::LoadStopIcon());
    ASSERT_TRUE(start && pause && stop);
    // The arrow: green shaft at the left, head narrowing to a tip on the right.
    EXPECT_GT((Pixel(*start, 6, 1) >> 8) & 0xFF, 0x80u);
    EXPECT_GT((Pixel(*start, 6, 12) >> 8) & 0xFF, 0x80u);
    EXPECT_EQ(Pixel(*start, 0, 13), kMagenta);
    // The pause bars alternate dark and bright blue columns, shadow in grey.
    EXPECT_EQ(Pixel(*pause, 5, 1) & 0xFFFF0000u, 0xFF000000u);
    EXPECT_NE(Pixel(*pause, 5, 1), Pixel(*pause, 5, 2));
    EXPECT_EQ(Pixel(*pause, 13, 3), 0xFF808080u);
    // The stop square with a black shadow right and below.
    EXPECT_EQ(Pixel(*stop, 1, 1), 0xFF900000u);
    EXPECT_EQ(Pixel(*stop, 6, 13), 0xFF181818u);
    EXPECT_EQ(Pixel(*stop, 12, 6), 0xFF181818u);
    EXPECT_EQ(Pixel(*stop, 12, 0), kMagenta);
}

TEST(EmbeddedBitmapsTest, StripsHoldTwelvePicturesThenNull) {
    for (StripLoader load : kStrips) {
        for (int i = 0; i < emu::kDrivePictureCount; ++i) {
            std::unique_ptr<CImage> picture(load(i));
            ASSERT_TRUE(picture) << i;
            EXPECT_EQ(picture->GetWidth(), 47);
            EXPECT_EQ(picture->GetHeight(), 16);
            EXPECT_TRUE(picture->HasColourKey());
            EXPECT_EQ(picture->GetColourKey(), kKey);
        }
        for (int i : {12, 13, -1, -12, 0x7FFFFFFF})
            EXPECT_EQ(std::unique_ptr<CImage>(load(i)), nullptr) << i;
    }
}

TEST(EmbeddedBitmapsTest, LampAndFaceFollowThePictureScheme) {
    struct Case {
        int picture;
        ARGB lamp;
        bool faceFilled;
    };
    const Case cases[] = {
        {0, kGreen, false}, {1, kRed, false},    {2, kWhite, false}, {3, kWhite, false},
        {4, kGreen, true},  {5, kRed, true},     {6, kWhite, true},  {7, kWhite, true},
        {8, kRed, false},   {9, kYellow, false}, {10, kRed, true},   {11, kYellow, true},
    };
    for (StripLoader load : kStrips) {
        for (const Case& c : cases) {
            std::unique_ptr<CImage> picture(load(c.picture));
            ASSERT_TRUE(picture);
            EXPECT_EQ(Pixel(*picture, 7, 6), c.lamp) << c.picture;
            EXPECT_EQ(Pixel(*picture, 3, 3), c.faceFilled ? c.lamp : kKey) << c.picture;
            // The ring around the drive is never drawn.
            EXPECT_EQ(Pixel(*picture, 0, 0), kKey);
            EXPECT_EQ(Pixel(*picture, 15, 46), kKey);
        }
    }
}

TEST(EmbeddedBitmapsTest, LeverAndMediumChangeThePicture) {
    for (StripLoader load : kStrips) {
        std::unique_ptr<CImage> pictures[4];
        for (int i = 0; i < 4; ++i)
            pictures[i].reset(load(i));
        // Pictures 0..3 differ beyond the lamp: lever open or closed, medium in or out.
        for (int a = 0; a < 4; ++a) {
            for (int b = a + 1; b < 4; ++b) {
                int differing = 0;
                for (int32_t y = 0; y < 16; ++y)
                    for (int32_t x = 10; x < 47; ++x)
                        differing += Pixel(*pictures[a], y, x) != Pixel(*pictures[b], y, x);
                EXPECT_GT(differing, 0) << a << " " << b;
            }
        }
    }
}

TEST(EmbeddedBitmapsTest, KeyMaskLetsTheBackgroundShowAroundTheDrive) {
    for (StripLoader load : kStrips) {
        std::unique_ptr<CImage> picture(load(0));
        std::unique_ptr<common::CIndexedImage_1Bpp> mask(picture->CreateMask(nullptr));
        ASSERT_TRUE(mask);
        EXPECT_EQ(mask->GetPixel(0, 0), 0u); // key: not drawn
        EXPECT_EQ(mask->GetPixel(1, 1), 1u); // the bezel is drawn
        EXPECT_EQ(mask->GetPixel(7, 6), 1u); // the lamp is drawn
    }
    // The floppy body grey is close to the key but is drawn.
    std::unique_ptr<CImage> floppy(emu::LoadDriveIconA(4));
    EXPECT_NE(Pixel(*floppy, 5, 2), kKey);
}

TEST(EmbeddedBitmapsTest, EveryCallDecodesANewImage) {
    std::unique_ptr<CImage> a(emu::LoadStopIcon());
    std::unique_ptr<CImage> b(emu::LoadStopIcon());
    ASSERT_TRUE(a && b);
    EXPECT_NE(a.get(), b.get());
    a->SetPixel(1, 1, 0);
    EXPECT_EQ(Pixel(*b, 1, 1), 0xFF900000u);
}

} // namespace
