// The Korvet video's registers, palette, page count and memory windows,
// driven through the operations the machine calls.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <vector>

#include "VideoKorvetTestSupport.h"
#include "emu/korvet/KorvetCharGen.h"

namespace {

using emu::CVideo_Korvet;
using kvideotest::CKorvetVideoRig;

class CVideo_KorvetTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_rig.Start()); }

    CVideo_Korvet& Video() { return *m_rig.m_video; }
    const uint8_t* Memory() { return Video().GetVideoMemory(); }
    // Byte of the processor page 0.
    uint8_t PageByte(size_t offset) { return Memory()[offset]; }
    // Lets a frame draw every line, so that the next invalidation shows.
    void DrawAll() {
        Video().RenderFrame();
        m_rig.m_renderer.Present();
    }
    bool AnyLineStale() {
        for (int32_t y = 0; y < kvideotest::kHeight; ++y)
            if (!m_rig.m_renderer.IsLineDrawn(y))
                return true;
        return false;
    }

    CKorvetVideoRig m_rig;
};

TEST(CVideo_KorvetCharGen, TableMatchesTheDataFileAndKnownGlyphs) {
    const uint8_t glyph41[16] = {0, 0, 0, 0x10, 0x38, 0x6C, 0xC6, 0xC6, 0xFE, 0xC6, 0xC6, 0xC6, 0, 0, 0, 0};
    const uint8_t glyph30[16] = {0, 0, 0, 0x7C, 0xC6, 0xCE, 0xDE, 0xF6, 0xE6, 0xC6, 0xC6, 0x7C, 0, 0, 0, 0};
    const uint8_t glyphC1[16] = {0, 0, 0, 0x3C, 0x66, 0xC2, 0xC0, 0xC0, 0xC0, 0xC2, 0x66, 0x3C, 0, 0, 0, 0};
    for (int32_t g = 0; g < 16; ++g) {
        EXPECT_EQ(glyph41[g], emu::kKorvetCharGen[0x41 * 16 + g]);
        EXPECT_EQ(glyph41[g], emu::kKorvetCharGen[4096 + 0x41 * 16 + g]);
        EXPECT_EQ(glyph30[g], emu::kKorvetCharGen[0x30 * 16 + g]);
        EXPECT_EQ(glyphC1[g], emu::kKorvetCharGen[4096 + 0xC1 * 16 + g]);
    }
    // Both sets agree below 0x80.
    for (int32_t i = 0; i < 0x80 * 16; ++i)
        ASSERT_EQ(emu::kKorvetCharGen[i], emu::kKorvetCharGen[4096 + i]) << i;

    const std::string path = std::string(KORVET_SHARED_DATA) + "/korvet-chargen.bin";
    std::FILE* file = std::fopen(path.c_str(), "rb");
    ASSERT_NE(nullptr, file) << "no " << path;
    std::vector<uint8_t> bytes(emu::kKorvetCharGenSize + 1);
    const size_t read = std::fread(bytes.data(), 1, bytes.size(), file);
    std::fclose(file);
    ASSERT_EQ(static_cast<size_t>(emu::kKorvetCharGenSize), read);
    for (int32_t i = 0; i < emu::kKorvetCharGenSize; ++i)
        ASSERT_EQ(bytes[static_cast<size_t>(i)], emu::kKorvetCharGen[i]) << "byte " << i;
}

TEST_F(CVideo_KorvetTest, StartGivesThePowerOnState) {
    EXPECT_EQ(100, m_rig.m_startRate);
    EXPECT_EQ(0u, Video().GetVireg());
    EXPECT_EQ(0u, Video().GetNcreg());
    EXPECT_EQ(3, Video().GetVramPageCountMinusOne());
    EXPECT_EQ(4 * 65536, Video().GetVideoMemorySize());
    EXPECT_TRUE(Video().IsIrqEnabled());
    for (int32_t entry = 0; entry < 16; ++entry) {
        const int32_t colour = entry < 8 ? entry : 15;
        EXPECT_EQ(colour, Video().GetPaletteEntry(entry));
        EXPECT_EQ(CVideo_Korvet::kFixedColours[colour], Video().GetPaletteColour(entry));
    }
    ASSERT_NE(nullptr, Video().GetCharGen());
    EXPECT_EQ(0, std::memcmp(Video().GetCharGen(), emu::kKorvetCharGen, emu::kKorvetCharGenSize));
    // The first render event came at cycle 0, in the blank interval.
    EXPECT_EQ(0, Video().GetVblankStatus());
    EXPECT_EQ(0xF4, Video().GetVists());
}

TEST_F(CVideo_KorvetTest, ViregInversionControl) {
    const struct {
        int32_t value;
        uint16_t inversion;
        bool readInversion;
        uint8_t vists;
    } steps[] = {
        {0x10, 0x8000, false, 0xFC}, {0x20, 0, false, 0xF4},     {0x10, 0x8000, false, 0xFC},
        {0x30, 0x8000, true, 0xFC},  {0x00, 0x8000, true, 0xFC}, {0x20, 0, false, 0xF4},
    };
    for (const auto& step : steps) {
        Video().WriteVireg(step.value);
        EXPECT_EQ(step.inversion, Video().GetInversionBit()) << step.value;
        EXPECT_EQ(step.readInversion, Video().GetReadInversion()) << step.value;
        EXPECT_EQ(step.vists, Video().ReadVists(false)) << step.value;
    }
    // During the display lines the VBLANK bit reads 1.
    m_rig.RunTo(8200);
    EXPECT_EQ(0xF6, Video().GetVists());
    Video().WriteVireg(0x10);
    EXPECT_EQ(0xFE, Video().GetVists());
}

TEST_F(CVideo_KorvetTest, ViregTraceLineShowsTheNewInversionState) {
    Video().SetFlag(CVideo_Korvet::kTraceWriteVIREG, true);
    Video().WriteVireg(0x30);
    Video().WriteVireg(0x00);
    Video().WriteVireg(0xCB);
    const std::vector<std::string> expected = {
        "[VID] =>VIREG = 30h (MemPage=0, GraphPage=0, TextMode=64, InversBit=0, ReadTextInvBit=TRUE)",
        "[VID] =>VIREG = 00h (MemPage=0, GraphPage=0, TextMode=64, InversBit=0, ReadTextInvBit=TRUE)",
        "[VID] =>VIREG = CBh (MemPage=3, GraphPage=3, TextMode=32, InversBit=0, ReadTextInvBit=TRUE)",
    };
    EXPECT_EQ(expected, m_rig.TakeLines());
}

TEST_F(CVideo_KorvetTest, ViregSelectsPagesAndOnlyTheDisplayedPageRedraws) {
    DrawAll();
    Video().WriteVireg(0x80); // processor page 2
    EXPECT_EQ(2, Video().GetProcessorPage());
    EXPECT_EQ(0, Video().GetDisplayedPage());
    EXPECT_FALSE(AnyLineStale());
    Video().WriteVireg(0x81); // displayed page 1 as well
    EXPECT_EQ(1, Video().GetDisplayedPage());
    EXPECT_TRUE(AnyLineStale());
    // A GRAPH write lands in the processor page.
    Video().WriteNcreg(0x8E); // solid, colour 7
    Video().WriteGraph(0, 0x80);
    EXPECT_EQ(0x70, Memory()[2 * 65536]);
    EXPECT_EQ(0x00, Memory()[0]);
}

TEST(CVideo_KorvetPages, PageNumbersBeyondTheMemoryAreIgnored) {
    CKorvetVideoRig rig(1);
    ASSERT_TRUE(rig.Start());
    rig.m_video->WriteVireg(0x41);
    EXPECT_EQ(0x41u, rig.m_video->GetVireg());
    EXPECT_EQ(0, rig.m_video->GetDisplayedPage());
    EXPECT_EQ(0, rig.m_video->GetProcessorPage());
    EXPECT_EQ(65536, rig.m_video->GetVideoMemorySize());
}

TEST_F(CVideo_KorvetTest, PageCountReallocatesAndClampsThePages) {
    Video().WriteVireg(0xC3);
    EXPECT_EQ(3, Video().GetProcessorPage());
    for (int32_t count : {0, 5, -1})
        EXPECT_FALSE(Video().SetVramPageCount(count)) << count;
    EXPECT_EQ(3, Video().GetVramPageCountMinusOne());
    EXPECT_TRUE(Video().SetVramPageCount(2));
    EXPECT_EQ(1, Video().GetProcessorPage());
    EXPECT_EQ(1, Video().GetDisplayedPage());
    EXPECT_EQ(2 * 65536, Video().GetVideoMemorySize());
    EXPECT_TRUE(Video().SetVramPageCount(2));
}

TEST_F(CVideo_KorvetTest, NcregColourForms) {
    const struct {
        int32_t value;
        bool solid;
        int32_t low, high, readColour, readMask;
    } cases[] = {
        {0x8A, true, 5, 0x50, 0, 0},     {0x0B, false, 2, 0x20, 0, 0}, {0x0A, false, 0xFD, 0xFDF, 0, 0},
        {0xDA, true, 5, 0x50, 5, 0x50},  {0x03, false, 6, 0x60, 0, 0}, {0x02, false, 0xF9, 0xF9F, 0, 0},
        {0x71, false, 7, 0x70, 7, 0x70}, {0x80, true, 0, 0, 0, 0},
    };
    for (const auto& c : cases) {
        Video().WriteNcreg(c.value);
        EXPECT_EQ(static_cast<uint32_t>(c.value), Video().GetNcreg());
        EXPECT_EQ(c.solid, Video().IsSolidMode()) << c.value;
        EXPECT_EQ(c.low, Video().GetWriteColourLow()) << c.value;
        EXPECT_EQ(c.high, Video().GetWriteColourHigh()) << c.value;
        EXPECT_EQ(c.readColour, Video().GetReadColour()) << c.value;
        EXPECT_EQ(c.readMask, Video().GetReadMask()) << c.value;
    }
}

TEST_F(CVideo_KorvetTest, RegisterReadsAndWritesPrintTheirTraceLines) {
    for (uint32_t flag : {CVideo_Korvet::kTraceWriteNCREG, CVideo_Korvet::kTraceReadNCREG,
                          CVideo_Korvet::kTraceReadVISTS, CVideo_Korvet::kTraceWriteLUT})
        Video().SetFlag(flag, true);
    Video().WriteNcreg(0x8A);
    EXPECT_EQ(0x8A, Video().ReadNcreg(false));
    Video().WriteNcreg(0x0A);
    EXPECT_EQ(0x0A, Video().ReadNcreg(false));
    EXPECT_EQ(0x0A, Video().ReadNcreg(true)); // quiet: no line
    Video().WriteVireg(0x10);
    EXPECT_EQ(0xFC, Video().ReadVists(false));
    EXPECT_TRUE(Video().WriteLut(10, 5));
    EXPECT_FALSE(Video().WriteLut(16, 3));
    EXPECT_FALSE(Video().WriteLut(3, 16));
    const std::vector<std::string> expected = {
        "[VID] =>NCREG = 8Ah (solid mode)",
        "[VID] <=NCREG = 8Ah (solid mode)",
        "[VID] =>NCREG = 0Ah (planes mode)",
        "[VID] <=NCREG = 0Ah (planes mode)",
        "[VID] <=VISTS = FCh (InversBit=1, VBLANK=0)",
        "[VID] =>LUT [10] = 5 (RGB=173,0,173)",
        "[VID] =>LUT [16] = 3 (incorrect, ignored)",
        "[VID] =>LUT [3] = 16 (incorrect, ignored)",
    };
    EXPECT_EQ(expected, m_rig.TakeLines());
}

TEST_F(CVideo_KorvetTest, LutWriteRedrawsOnlyWhenTheColourChanges) {
    DrawAll();
    EXPECT_TRUE(Video().WriteLut(0x5A & 0x0F, 0x5A >> 4));
    EXPECT_EQ(5, Video().GetPaletteEntry(10));
    EXPECT_EQ(0xFFAD00ADu, Video().GetPaletteColour(10));
    EXPECT_TRUE(AnyLineStale());
    DrawAll();
    EXPECT_TRUE(Video().WriteLut(10, 5));
    EXPECT_FALSE(AnyLineStale());
    // Out of range changes nothing.
    EXPECT_FALSE(Video().WriteLut(16, 1));
    EXPECT_FALSE(AnyLineStale());
}

TEST_F(CVideo_KorvetTest, BreakLeavesTheRegisterWriteUndone) {
    m_rig.m_machine.SetBreakHook(&kvideotest::BreakingHook);
    for (uint32_t flag :
         {CVideo_Korvet::kBreakWriteVIREG, CVideo_Korvet::kBreakWriteNCREG, CVideo_Korvet::kBreakWriteLUT,
          CVideo_Korvet::kBreakWriteTEXT, CVideo_Korvet::kBreakWriteGRAPH})
        Video().SetFlag(flag, true);
    Video().WriteVireg(0x51);
    Video().WriteNcreg(0x8E);
    EXPECT_TRUE(Video().WriteLut(1, 9));
    Video().WriteText(0, 0x41);
    Video().WriteGraph(0, 0xFF);
    EXPECT_EQ(0u, Video().GetVireg());
    EXPECT_EQ(0, Video().GetInversionBit());
    EXPECT_EQ(0, Video().GetDisplayedPage());
    EXPECT_EQ(0u, Video().GetNcreg());
    EXPECT_EQ(1, Video().GetPaletteEntry(1));
    EXPECT_EQ(0, Video().GetTextCell(0));
    EXPECT_EQ(0, PageByte(0));
    const std::vector<std::string> lines = m_rig.TakeLines();
    ASSERT_EQ(5u, lines.size());
    EXPECT_EQ("[VID BREAK] =>NCREG = 8Eh (solid mode)", lines[1]);
    // A read with its break flag still answers.
    Video().SetFlag(CVideo_Korvet::kBreakReadVISTS, true);
    EXPECT_EQ(0xF4, Video().ReadVists(false));
}

// --- TEXT window -------------------------------------------------------------------------------------

TEST_F(CVideo_KorvetTest, TextWritesCarryTheInversionBit) {
    Video().SetFlag(CVideo_Korvet::kTraceWriteTEXT, true);
    Video().WriteText(0x405, 0); // offset & 0x3FF
    EXPECT_EQ(0, Video().GetTextCell(5));
    Video().WriteVireg(0x10);
    Video().WriteText(0, 0x41);
    EXPECT_EQ(0x8041, Video().GetTextCell(0));
    EXPECT_EQ(0x08, Video().GetVists() & 0x08);
    const std::vector<std::string> expected = {"[VID] =>TEXT [005h] = 00h  \" \"", "[VID] =>TEXT [000h] = 41h  \"A\""};
    EXPECT_EQ(expected, m_rig.TakeLines());
}

TEST_F(CVideo_KorvetTest, TextReadTakesTheInversionBitWhenAsked) {
    Video().WriteVireg(0x10);
    Video().WriteText(7, 0x41);
    Video().WriteVireg(0x20);
    Video().WriteText(8, 0x42);
    EXPECT_EQ(0x41, Video().ReadText(7, false));
    EXPECT_EQ(0, Video().GetInversionBit()); // read-inversion off
    Video().WriteVireg(0x30);                // read-inversion on, inversion bit kept (0)
    EXPECT_EQ(0x41, Video().ReadText(7, true));
    EXPECT_EQ(0, Video().GetInversionBit()); // quiet changes nothing
    EXPECT_EQ(0x41, Video().ReadText(7, false));
    EXPECT_EQ(0x8000, Video().GetInversionBit());
    EXPECT_EQ(0x42, Video().ReadText(8 + 0x400, false));
    EXPECT_EQ(0, Video().GetInversionBit());

    Video().SetFlag(CVideo_Korvet::kTraceReadTEXT, true);
    Video().ReadText(7, false);
    Video().ReadText(7, true);
    EXPECT_EQ(std::vector<std::string>{"[VID] <=TEXT [007h] = 41h  \"A\""}, m_rig.TakeLines());
}

// --- GRAPH window ------------------------------------------------------------------------------------

TEST_F(CVideo_KorvetTest, SolidWriteAndReadBack) {
    Video().WriteNcreg(0x8A); // solid, colour 5
    Video().WriteGraph(0, 0xA0);
    EXPECT_EQ(0x50, PageByte(0));
    EXPECT_EQ(0x50, PageByte(1));
    EXPECT_EQ(0x00, PageByte(2));
    EXPECT_EQ(0x00, PageByte(3));
    Video().WriteNcreg(0xDA); // read colour 5
    EXPECT_EQ(0x5F, Video().ReadGraph(0, false));
    Video().WriteNcreg(0x80); // read colour 0: the others differ
    EXPECT_EQ(0xA0, Video().ReadGraph(0, false));
    // Solid writes replace a pixel without touching its neighbour.
    Video().WriteNcreg(0x8C); // colour 6
    Video().WriteGraph(0, 0x40);
    EXPECT_EQ(0x56, PageByte(0));
}

TEST_F(CVideo_KorvetTest, PlanesWritesSetAndClearPlanes) {
    Video().WriteNcreg(0x03); // c = 1, write ones
    Video().WriteGraph(1, 0xFF);
    for (size_t i = 4; i < 8; ++i)
        EXPECT_EQ(0x66, PageByte(i)) << i;
    Video().WriteNcreg(0x8B); // solid colour 5 on the two leftmost pixels
    Video().WriteGraph(2, 0xC0);
    Video().WriteNcreg(0x03);
    Video().WriteGraph(2, 0xC0);
    EXPECT_EQ(0x77, PageByte(8));
    Video().WriteNcreg(0x02); // c = 1, write zeros
    Video().WriteGraph(1, 0xFF);
    for (size_t i = 4; i < 8; ++i)
        EXPECT_EQ(0x00, PageByte(i)) << i;
    Video().WriteGraph(2, 0x80);
    EXPECT_EQ(0x17, PageByte(8));
    // Planes read: 1 where any selected plane is set.
    Video().WriteNcreg(0x40); // read colour 4: plane 2
    EXPECT_EQ(0x40, Video().ReadGraph(2, false));
    Video().WriteNcreg(0x10); // plane 0
    EXPECT_EQ(0xC0, Video().ReadGraph(2, false));
}

TEST_F(CVideo_KorvetTest, GraphAddressing) {
    Video().WriteNcreg(0x8E); // solid colour 7
    Video().WriteGraph(0x3FFF, 0x01);
    EXPECT_EQ(0x07, PageByte(255 * 256 + 255));
    Video().WriteGraph(0x0041, 0x80); // line 1, column 1
    EXPECT_EQ(0x70, PageByte(256 + 4));
    // Offsets beyond the 16 KB window fold into it.
    Video().WriteGraph(0x4000, 0x80);
    EXPECT_EQ(0x70, PageByte(0));
    Video().WriteGraph(0xFFFF, 0x02);
    EXPECT_EQ(0x77, PageByte(255 * 256 + 255));
    Video().SetFlag(CVideo_Korvet::kTraceWriteGRAPH, true);
    Video().SetFlag(CVideo_Korvet::kTraceReadGRAPH, true);
    Video().WriteGraph(0x12345, 0x1FF);
    Video().ReadGraph(0x3FFF, false);
    Video().ReadGraph(0x3FFF, true);
    const std::vector<std::string> expected = {"[VID] =>GRAPH [2345h] = FFh", "[VID] <=GRAPH [3FFFh] = 03h"};
    EXPECT_EQ(expected, m_rig.TakeLines());
}

TEST_F(CVideo_KorvetTest, GraphWriteMakesItsLineStale) {
    DrawAll();
    ASSERT_FALSE(AnyLineStale());
    Video().WriteNcreg(0x8E);
    Video().WriteGraph(10 * 64 + 3, 0xFF);
    // Only the written line is drawn again; every other line stays as drawn.
    for (int32_t y = 0; y < kvideotest::kHeight; ++y)
        EXPECT_EQ(y != 10, m_rig.m_renderer.IsLineDrawn(y)) << "line " << y;
}

TEST(CVideo_KorvetStopped, WindowsWithoutMemoryAreHarmless) {
    CKorvetVideoRig rig(4, false);
    CVideo_Korvet& video = *rig.m_video;
    video.WriteNcreg(0x8E);
    video.WriteGraph(0, 0xFF);
    EXPECT_EQ(0, video.ReadGraph(0, false));
    EXPECT_EQ(nullptr, video.GetVideoMemory());
    video.WriteVireg(0xC3);
    EXPECT_EQ(3, video.GetProcessorPage());
}

} // namespace
