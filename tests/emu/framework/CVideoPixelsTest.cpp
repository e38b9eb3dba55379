#include <gtest/gtest.h>

#include <vector>

#include "common/CMemoryStream.h"
#include "emu/framework/CVideo.h"
#include "emu/framework/VideoTestSupport.h"

using videotest::CTestDisplay;
using videotest::CVideoRig;

namespace {

// Palette entry n is the colour n, so the output shows the field values.
const uint32_t kPalette[16] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15};
constexpr uint32_t kUntouched = 0xDEADBEEF;

typedef void (*Unpacker)(const uint8_t*, uint32_t*, const uint32_t*, int32_t, bool);

std::vector<uint32_t> Unpack(Unpacker unpack, std::vector<uint8_t> source, int32_t count, bool msbFirst) {
    std::vector<uint32_t> out(static_cast<size_t>(count) + 2, kUntouched);
    unpack(source.data(), out.data(), kPalette, count, msbFirst);
    return out;
}

std::vector<uint32_t> Expect(std::vector<uint32_t> pixels) {
    pixels.push_back(kUntouched);
    pixels.push_back(kUntouched);
    return pixels;
}

} // namespace

TEST(VideoPixels, UnpackersOrderTheFieldsOfEachByte) {
    const struct {
        Unpacker unpack;
        std::vector<uint8_t> source;
        int32_t count;
        bool msbFirst;
        std::vector<uint32_t> pixels;
    } cases[] = {
        {emu::CVideo::UnpackPixels1, {0xA5}, 8, false, {1, 0, 1, 0, 0, 1, 0, 1}},
        {emu::CVideo::UnpackPixels1, {0xC1}, 8, true, {1, 1, 0, 0, 0, 0, 0, 1}},
        // 13 pixels: 8 from the first byte, 5 from the second.
        {emu::CVideo::UnpackPixels1, {0xFF, 0x15}, 13, false, {1, 1, 1, 1, 1, 1, 1, 1, 1, 0, 1, 0, 1}},
        {emu::CVideo::UnpackPixels1, {0x00, 0xA8}, 13, true, {0, 0, 0, 0, 0, 0, 0, 0, 1, 0, 1, 0, 1}},
        {emu::CVideo::UnpackPixels2, {0xB4}, 4, false, {0, 1, 3, 2}},
        {emu::CVideo::UnpackPixels2, {0xB4}, 4, true, {2, 3, 1, 0}},
        {emu::CVideo::UnpackPixels2, {0x1B, 0xE4}, 6, false, {3, 2, 1, 0, 0, 1}},
        {emu::CVideo::UnpackPixels4, {0x5A}, 2, false, {10, 5}},
        {emu::CVideo::UnpackPixels4, {0x5A}, 2, true, {5, 10}},
        {emu::CVideo::UnpackPixels4, {0x21, 0x43, 0x65}, 5, false, {1, 2, 3, 4, 5}},
        {emu::CVideo::UnpackPixels4, {0x12}, 0, false, {}},
        {emu::CVideo::UnpackPixels1, {0xFF}, -3, false, {}},
    };
    int index = 0;
    for (const auto& c : cases)
        EXPECT_EQ(Unpack(c.unpack, c.source, c.count < 0 ? 0 : c.count, c.msbFirst), Expect(c.pixels))
            << "case " << index++;
    // A negative count writes nothing either.
    uint32_t out = kUntouched;
    const uint8_t byte = 0xFF;
    emu::CVideo::UnpackPixels2(&byte, &out, kPalette, -1, false);
    EXPECT_EQ(out, kUntouched);
}

TEST(VideoPixels, FontStoreRespectsItsLimits) {
    CTestDisplay video;
    std::vector<uint8_t> data(300);
    for (size_t i = 0; i < data.size(); ++i)
        data[i] = static_cast<uint8_t>(i);
    video.SetFontSizeLimits(64, 256);
    ASSERT_TRUE(video.SetFontData(data.data(), 300));
    ASSERT_EQ(video.GetFontSize(), 256);
    EXPECT_EQ(video.GetFontData()[255], 255);
    EXPECT_FALSE(video.SetFontData(data.data(), 10));
    EXPECT_EQ(video.GetFontSize(), 256);
    EXPECT_FALSE(video.SetFontData(nullptr, 100));
    video.SetFontSizeLimits(-1, -1);
    EXPECT_FALSE(video.SetFontData(data.data(), -1));
    ASSERT_TRUE(video.SetFontData(data.data() + 1, 10));
    EXPECT_EQ(video.GetFontSize(), 10);
    EXPECT_EQ(video.GetFontData()[0], 1);
}

TEST(VideoPixels, FontFromAStreamReadsItFromTheStart) {
    CTestDisplay video;
    common::CMemoryStream stream;
    stream.Create(0, -1);
    const uint8_t bytes[6] = {9, 8, 7, 6, 5, 4};
    stream.Write(bytes, 6); // the position is now at the end
    ASSERT_TRUE(video.SetFontDataFromStream(&stream));
    ASSERT_EQ(video.GetFontSize(), 6);
    EXPECT_EQ(video.GetFontData()[0], 9);
    EXPECT_EQ(video.GetFontData()[5], 4);
    video.SetFontSizeLimits(8, -1);
    EXPECT_FALSE(video.SetFontDataFromStream(&stream));
    EXPECT_FALSE(video.SetFontDataFromStream(nullptr));
}

TEST(VideoPixels, NewFontRedrawsTheScreenAndTravelsWithTheState) {
    CVideoRig rig;
    ASSERT_TRUE(rig.Start());
    // An empty store saves its size 0 and no bytes.
    const videotest::Bytes empty = rig.SaveDisplay();
    EXPECT_NE(videotest::FindFieldInChunk(empty, "_VIDD", "FSIZ"), std::string::npos);
    EXPECT_EQ(videotest::FindFieldInChunk(empty, "_VIDD", "FDAT"), std::string::npos);

    rig.Run(100000);
    ASSERT_TRUE(rig.m_renderer.IsLineDrawn(2));
    const uint8_t font[3] = {0x10, 0x20, 0x30};
    ASSERT_TRUE(rig.m_display->SetFontData(font, 3));
    EXPECT_FALSE(rig.m_renderer.IsLineDrawn(2));
    const videotest::Bytes saved = rig.SaveDisplay();
    EXPECT_NE(videotest::FindFieldInChunk(saved, "_VIDD", "FDAT"), std::string::npos);

    // A saved size of 0 leaves the font as it is.
    ASSERT_TRUE(rig.LoadDisplay(empty));
    EXPECT_EQ(rig.m_display->GetFontSize(), 3);

    CVideoRig other;
    ASSERT_TRUE(other.Start());
    ASSERT_TRUE(other.LoadDisplay(saved));
    EXPECT_EQ(other.m_display->GetFontSize(), 3);
    EXPECT_EQ(other.m_display->GetFontData()[2], 0x30);
}
