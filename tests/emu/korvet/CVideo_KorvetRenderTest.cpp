// The Korvet video's raster: line event timing, VBLANK, frame ends with the
// interrupt, and the pixels of a frame composed from graphics, text and palette.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "VideoKorvetTestSupport.h"
#include "emu/korvet/KorvetCharGen.h"

namespace {

using emu::CVideo_Korvet;
using kvideotest::CKorvetVideoRig;

constexpr common::ARGB kBlack = 0xFF000000u;
constexpr common::ARGB kWhite = 0xFFFFFFFFu;
constexpr uint64_t kFrame = CVideo_Korvet::kFrameCycles;

class CVideo_KorvetRenderTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_rig.Start()); }

    CVideo_Korvet& Video() { return *m_rig.m_video; }
    size_t FrameEnds() const { return m_rig.m_renderer.m_endFrameAspects.size(); }
    // Glyph row g of code k in the first set, as 8 text bits.
    static uint8_t Glyph(int32_t code, int32_t g, int32_t set = 0) {
        return emu::kKorvetCharGen[set * 4096 + code * 16 + g];
    }

    CKorvetVideoRig m_rig;
};

// --- Timing ------------------------------------------------------------------------------------------

TEST_F(CVideo_KorvetRenderTest, FrameRenderingFollowsTheCycleCount) {
    Video().SetFlag(CVideo_Korvet::kTraceSetVBLANK, true);
    Video().SetFlag(CVideo_Korvet::kTraceResetVBLANK, true);
    m_rig.RunTo(8200 - 1);
    EXPECT_EQ(49, Video().GetLineCounter());
    EXPECT_EQ(0, Video().GetVblankStatus());
    m_rig.RunTo(8200);
    EXPECT_EQ(50, Video().GetLineCounter());
    EXPECT_EQ(2, Video().GetVblankStatus());
    EXPECT_EQ(8200u, Video().GetLastVblankChange());
    EXPECT_EQ(std::vector<std::string>{"[VID] VBLANK = 1 (after 8200 cycles)"}, m_rig.TakeLines());

    // The frame ends at the first event in line 305, with one interrupt.
    m_rig.RunTo(305 * 164 - 1);
    EXPECT_EQ(0u, FrameEnds());
    EXPECT_TRUE(m_rig.m_irq.raised.empty());
    m_rig.RunTo(305 * 164);
    EXPECT_EQ(305, Video().GetLineCounter());
    ASSERT_EQ(1u, FrameEnds());
    EXPECT_FLOAT_EQ(Video().GetAspectFactor(), m_rig.m_renderer.m_endFrameAspects[0]);
    EXPECT_EQ(std::vector<uint32_t>{kvideotest::kIrqLine}, m_rig.m_irq.raised);
    EXPECT_TRUE(m_rig.m_renderer.IsSize(512, 256));

    m_rig.RunTo(kFrame);
    EXPECT_EQ(0, Video().GetLineCounter());
    EXPECT_EQ(0, Video().GetVblankStatus());
    EXPECT_EQ(std::vector<std::string>{"[VID] VBLANK = 0 (after 41984 cycles)"}, m_rig.TakeLines());
}

TEST_F(CVideo_KorvetRenderTest, UnchangedScreenEndsNoFrameButStillInterrupts) {
    m_rig.RunFrame();
    ASSERT_EQ(1u, FrameEnds());
    m_rig.RunFrame();
    m_rig.RunFrame();
    EXPECT_EQ(1u, FrameEnds());
    EXPECT_EQ(3u, m_rig.m_irq.raised.size());
    Video().WriteText(0, 0x41);
    m_rig.RunFrame();
    EXPECT_EQ(2u, FrameEnds());
}

TEST(CVideo_KorvetScanline, ScanlineRenderingCountsItsOwnLines) {
    CKorvetVideoRig rig;
    rig.m_video->SetRenderMode(CVideo_Korvet::kRenderScanline);
    ASSERT_TRUE(rig.Start());
    CVideo_Korvet& video = *rig.m_video;
    // The first event (line 0) opened the blank interval.
    EXPECT_EQ(0, video.GetVblankStatus());
    EXPECT_EQ(1, video.GetLineCounter());
    rig.RunTo(49 * 164);
    EXPECT_EQ(0, video.GetVblankStatus());
    rig.RunTo(50 * 164);
    EXPECT_EQ(2, video.GetVblankStatus());
    EXPECT_EQ(51, video.GetLineCounter());
    rig.RunTo(305 * 164);
    EXPECT_EQ(0, video.GetLineCounter());
    // The first frame end sized the surface: nothing could be drawn before.
    EXPECT_EQ(1u, rig.m_renderer.m_endFrameAspects.size());
    EXPECT_EQ(1u, rig.m_irq.raised.size());
    EXPECT_TRUE(rig.m_renderer.IsSize(512, 256));
    // Display line 0 is drawn by the event of frame line 50.
    rig.RunTo(305 * 164 + 50 * 164);
    EXPECT_FALSE(rig.m_renderer.IsLineDrawn(0));
    rig.RunTo(305 * 164 + 51 * 164);
    EXPECT_TRUE(rig.m_renderer.IsLineDrawn(0));
    EXPECT_FALSE(rig.m_renderer.IsLineDrawn(1));
    // 306 events make every frame, whatever the cycle count says.
    rig.RunTo(305 * 164 + 306 * 164);
    EXPECT_EQ(2u, rig.m_irq.raised.size());
}

TEST(CVideo_KorvetIrq, WithdrawnOutputRaisesNothing) {
    CKorvetVideoRig rig;
    rig.m_video->ConnectIrq(-1, 1, true);
    ASSERT_TRUE(rig.Start());
    EXPECT_FALSE(rig.m_video->IsIrqEnabled());
    rig.RunFrame();
    EXPECT_EQ(1u, rig.m_renderer.m_endFrameAspects.size());
    EXPECT_TRUE(rig.m_irq.raised.empty());
}

TEST(CVideo_KorvetIrq, RestartKeepsOneRenderEvent) {
    CKorvetVideoRig rig;
    ASSERT_TRUE(rig.Start());
    rig.RunFrame();
    rig.m_machine.Stop();
    EXPECT_EQ(nullptr, rig.m_video->GetVideoMemory());
    ASSERT_TRUE(rig.Start());
    rig.m_irq.raised.clear();
    rig.RunTo(2 * kFrame);
    EXPECT_EQ(2u, rig.m_irq.raised.size());
    EXPECT_EQ(4 * 65536, rig.m_video->GetVideoMemorySize());
}

TEST(CVideo_KorvetIrq, FramesWithoutARendererStillInterrupt) {
    CKorvetVideoRig rig(4, false);
    ASSERT_TRUE(rig.Start());
    rig.m_video->WriteText(0, 0x41);
    rig.RunFrame();
    EXPECT_FALSE(rig.m_video->RenderFrame());
    EXPECT_EQ(1u, rig.m_irq.raised.size());
}

// --- Pixels ------------------------------------------------------------------------------------------

TEST_F(CVideo_KorvetRenderTest, TextCellShowsItsGlyphOverTheGraphics) {
    Video().WriteText(0, 0x41);
    Video().WriteNcreg(0x82); // solid colour 1 on the first 8 pixels of line 5
    Video().WriteGraph(5 * 64, 0xFF);
    m_rig.RunFrame();
    for (int32_t y = 0; y < 16; ++y) {
        const uint8_t glyph = Glyph(0x41, y);
        const common::ARGB ground = y == 5 ? CVideo_Korvet::kFixedColours[1] : kBlack;
        for (int32_t x = 0; x < 8; ++x) {
            const bool text = (glyph & (0x80 >> x)) != 0;
            EXPECT_EQ(text ? kWhite : ground, m_rig.Pixel(x, y)) << x << "," << y;
        }
        EXPECT_EQ(kBlack, m_rig.Pixel(8, y));
    }
    // Rows 3 to 11 hold the glyph; the rest of the cell is blank.
    EXPECT_EQ(kWhite, m_rig.Pixel(3, 3));
    EXPECT_EQ(kBlack, m_rig.Pixel(3, 2));
    EXPECT_EQ(kWhite, m_rig.Pixel(0, 11));
    EXPECT_EQ(m_rig.m_renderer.GetBorderColour(), kBlack);
}

TEST_F(CVideo_KorvetRenderTest, WideTextDoublesTheGlyphAndHidesOddCells) {
    Video().WriteText(64 + 0, 0x41); // row 1
    Video().WriteText(64 + 1, 0x30);
    Video().WriteVireg(0x08);
    m_rig.RunFrame();
    for (int32_t g = 0; g < 16; ++g) {
        const uint8_t glyph = Glyph(0x41, g);
        for (int32_t x = 0; x < 16; ++x) {
            const bool text = (glyph & (0x80 >> (x / 2))) != 0;
            EXPECT_EQ(text ? kWhite : kBlack, m_rig.Pixel(x, 16 + g)) << x << "," << g;
        }
    }
}

TEST_F(CVideo_KorvetRenderTest, SecondCharacterSetAndInvertedCells) {
    Video().WriteText(0, 0xC1);
    Video().WriteVireg(0x10); // inverted writing
    Video().WriteText(1, 0x20);
    Video().WriteVireg(0x04); // second set, inversion kept
    m_rig.RunFrame();
    for (int32_t g = 0; g < 16; ++g) {
        const uint8_t glyph = Glyph(0xC1, g, 1);
        for (int32_t x = 0; x < 8; ++x) {
            EXPECT_EQ((glyph & (0x80 >> x)) != 0 ? kWhite : kBlack, m_rig.Pixel(x, g));
            // An inverted blank is a solid block.
            EXPECT_EQ(kWhite, m_rig.Pixel(8 + x, g));
        }
    }
}

TEST_F(CVideo_KorvetRenderTest, GraphicsPixelsThroughThePalette) {
    Video().WriteNcreg(0x8C); // solid colour 6
    Video().WriteGraph(200 * 64 + 63, 0x81);
    Video().WriteNcreg(0x86); // solid colour 3
    Video().WriteGraph(200 * 64 + 63, 0x40);
    m_rig.RunFrame();
    EXPECT_EQ(CVideo_Korvet::kFixedColours[6], m_rig.Pixel(504, 200));
    EXPECT_EQ(CVideo_Korvet::kFixedColours[3], m_rig.Pixel(505, 200));
    EXPECT_EQ(kBlack, m_rig.Pixel(506, 200));
    EXPECT_EQ(CVideo_Korvet::kFixedColours[6], m_rig.Pixel(511, 200));
    // Entry 9 holds colour 4: text over graphics colour 1 turns red.
    EXPECT_TRUE(Video().WriteLut(9, 4));
    Video().WriteNcreg(0x82);
    Video().WriteGraph(3 * 64, 0xFF);
    Video().WriteText(0, 0x41);
    m_rig.RunFrame();
    EXPECT_EQ(CVideo_Korvet::kFixedColours[4], m_rig.Pixel(3, 3));
    EXPECT_EQ(CVideo_Korvet::kFixedColours[1], m_rig.Pixel(0, 3));
}

TEST_F(CVideo_KorvetRenderTest, OnlyStaleLinesAreDrawn) {
    m_rig.RunFrame();
    m_rig.m_renderer.Present();
    // The same palette value twice: nothing to draw.
    EXPECT_TRUE(Video().WriteLut(3, 3));
    EXPECT_FALSE(Video().RenderFrame());
    EXPECT_EQ(0, m_rig.m_renderer.GetChangedLineCount());
    // A new colour: all 256 lines.
    EXPECT_TRUE(Video().WriteLut(3, 12));
    EXPECT_TRUE(Video().RenderFrame());
    EXPECT_EQ(256, m_rig.m_renderer.GetChangedLineCount());
}

TEST_F(CVideo_KorvetRenderTest, GraphicsWriteRedrawsOnlyItsOwnLine) {
    m_rig.RunFrame();
    m_rig.m_renderer.Present();
    Video().WriteNcreg(0x8E);
    Video().WriteGraph(77 * 64, 0x80);
    EXPECT_TRUE(Video().RenderFrame());
    EXPECT_EQ(1, m_rig.m_renderer.GetChangedLineCount());
    EXPECT_EQ(CVideo_Korvet::kFixedColours[7], m_rig.Pixel(0, 77));
}

TEST_F(CVideo_KorvetRenderTest, DisplayedPageDecidesWhatIsShown) {
    Video().WriteVireg(0x40); // processor page 1, displayed page 0
    Video().WriteNcreg(0x8E);
    Video().WriteGraph(0, 0x80);
    m_rig.RunFrame();
    EXPECT_EQ(kBlack, m_rig.Pixel(0, 0));
    Video().WriteVireg(0x41);
    m_rig.RunFrame();
    EXPECT_EQ(CVideo_Korvet::kFixedColours[7], m_rig.Pixel(0, 0));
}

TEST_F(CVideo_KorvetRenderTest, SurfaceOfAnotherWidthIsNotDrawnInto) {
    m_rig.RunFrame();
    m_rig.m_renderer.SetSize(320, 256, false);
    const int sizes = m_rig.m_renderer.m_setSizeCalls;
    // The frame resizes it back to 512 x 256 and draws.
    Video().WriteText(0, 0x41);
    m_rig.RunFrame();
    EXPECT_EQ(sizes + 1, m_rig.m_renderer.m_setSizeCalls);
    EXPECT_TRUE(m_rig.m_renderer.IsLineDrawn(0));
    EXPECT_EQ(kWhite, m_rig.Pixel(3, 3));
}

TEST(CVideo_KorvetScanline, ScanlineSkipsLinesOfAWrongWidth) {
    CKorvetVideoRig rig;
    rig.m_video->SetRenderMode(CVideo_Korvet::kRenderScanline);
    ASSERT_TRUE(rig.Start());
    rig.m_renderer.SetSize(320, 200, false);
    rig.RunTo(305 * 164);
    // No line was drawn into the odd surface; the frame end resized it.
    EXPECT_TRUE(rig.m_renderer.IsSize(512, 256));
    EXPECT_EQ(1u, rig.m_renderer.m_endFrameAspects.size());
    EXPECT_EQ(-1, rig.m_renderer.GetLastDrawnLine());
    rig.m_video->WriteText(0, 0x41);
    rig.RunTo(305 * 164 + kFrame);
    EXPECT_EQ(0xFFFFFFFFu, rig.Pixel(3, 3));
}

} // namespace
