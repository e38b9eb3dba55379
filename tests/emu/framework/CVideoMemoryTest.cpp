#include <gtest/gtest.h>

#include <string>

#include "emu/framework/CVideoMemory.h"
#include "emu/framework/VideoTestSupport.h"

using videotest::Bytes;
using videotest::CTestDisplay;
using videotest::CVideoRig;

namespace {

constexpr uint32_t kWindow = CVideoRig::kWindowAddress;
constexpr uint32_t kKb = 1024;

// One frame of the rig's default timing: 10 lines of 5000 cycles.
constexpr uint64_t kFrameCycles = 50000;

} // namespace

TEST(VideoMemory, WritesThroughTheWindowLandInThePageAndReadBack) {
    CVideoRig rig;
    ASSERT_TRUE(rig.Start());
    EXPECT_TRUE(rig.m_display->IsWindowPresent());
    EXPECT_EQ(rig.m_display->GetWindowBase(), kWindow);
    rig.Write(kWindow + 5, 0xAB);
    rig.m_machine.GetMemoryService()->WriteWord(kWindow + 0x10, 0x1234);
    const uint8_t* page = rig.m_display->GetPageMemory();
    ASSERT_NE(page, nullptr);
    EXPECT_TRUE(rig.m_display->IsOwnMemory());
    EXPECT_EQ(page[5], 0xAB);
    // A word is refused whole and split into bytes by the memory map.
    EXPECT_EQ(page[0x10], 0x34);
    EXPECT_EQ(page[0x11], 0x12);
    EXPECT_EQ(rig.Read(kWindow + 5), 0xAB);
    EXPECT_EQ(rig.m_machine.GetMemoryService()->ReadWord(kWindow + 0x10, 0), 0x1234);
}

TEST(VideoMemory, HooksAnswerSingleBytesOnly) {
    CVideoRig rig;
    ASSERT_TRUE(rig.Start());
    uint8_t value[2] = {1, 2};
    emu::CDevice* context = rig.m_display;
    EXPECT_FALSE(emu::CVideoMemory::WriteHook(context, kWindow, 2, value));
    EXPECT_FALSE(emu::CVideoMemory::ReadHook(context, kWindow, 2, value, 0));
    EXPECT_TRUE(emu::CVideoMemory::WriteHook(context, kWindow, 1, value));
    EXPECT_EQ(rig.m_display->GetPageMemory()[0], 1);
}

TEST(VideoMemory, OffsetsBeyondThePageReadFFAndDropWrites) {
    CVideoRig rig;
    // Two pages of window over one page of memory: the mask lets the second through.
    ASSERT_TRUE(rig.m_display->SetPageSizeAt(0, 1, 0xFFFF));
    ASSERT_TRUE(rig.m_display->SetPageMemoryWindow(0, kWindow / kKb, 2, true, 0));
    ASSERT_TRUE(rig.Start());
    rig.Write(kWindow + kKb + 3, 0x55);
    EXPECT_EQ(rig.Read(kWindow + kKb + 3), 0xFF);
    EXPECT_EQ(rig.m_display->GetPageMemory()[kKb + 3], 0); // the slack behind the page stays untouched
    EXPECT_EQ(rig.m_display->ReadPageByte(kWindow + kKb + 3, 0), 0xFF);
}

TEST(VideoMemory, PageOfSizeZeroStartsWithoutMemoryAndSavesNoBytes) {
    CVideoRig rig;
    ASSERT_TRUE(rig.m_display->SetPageSizeAt(0, 0, 0xFFFFFFFF));
    ASSERT_TRUE(rig.Start());
    EXPECT_EQ(rig.m_display->GetPageMemory(), nullptr);
    // The window is still mapped: its accesses must not reach a null block.
    rig.Write(kWindow + 1, 0x12);
    EXPECT_EQ(rig.Read(kWindow + 1), 0xFF);
    const Bytes bytes = rig.SaveDisplay();
    EXPECT_NE(videotest::FindFieldInChunk(bytes, "_VIDP", "MSZ"), std::string::npos);
    EXPECT_EQ(videotest::FindFieldInChunk(bytes, "_VIDP", "MEM"), std::string::npos);
}

TEST(VideoMemory, ExtraAreaHostsAPageThatFitsAndRefusesALargerOne) {
    {
        CVideoRig rig(new CTestDisplay(), 16 * kKb);
        ASSERT_TRUE(rig.m_display->SetPageSizeAt(0, 16, 0x3FFF));
        ASSERT_TRUE(rig.Start());
        EXPECT_FALSE(rig.m_display->IsOwnMemory());
        EXPECT_EQ(rig.m_display->GetPageMemory(), rig.m_machine.GetMemoryService()->GetExtraArea());
        // The memory map saves the extra area; the page saves no bytes of it.
        EXPECT_EQ(videotest::FindFieldInChunk(rig.SaveDisplay(), "_VIDP", "MEM"), std::string::npos);
    }
    {
        CVideoRig rig(new CTestDisplay(), 16 * kKb);
        ASSERT_TRUE(rig.m_display->SetPageSizeAt(0, 17, 0x7FFF));
        EXPECT_FALSE(rig.Start());
        EXPECT_EQ(rig.m_display->GetPageMemory(), nullptr);
    }
}

TEST(VideoMemory, PageOnTheExtraAreaFollowsAReallocatedMemoryMap) {
    CVideoRig rig(new CTestDisplay(), 16 * kKb);
    ASSERT_TRUE(rig.m_display->SetPageSizeAt(0, 16, 0x3FFF));
    ASSERT_TRUE(rig.Start());
    emu::CMemory* memory = rig.m_machine.GetMemoryService();
    ASSERT_TRUE(memory->Allocate(0x20000, 0, 16 * kKb));
    EXPECT_EQ(rig.m_display->GetPageMemory(), memory->GetExtraArea());
    EXPECT_EQ(rig.m_display->GetCurrentPageMemory(), memory->GetExtraArea());
}

TEST(VideoMemory, TwoWritesInARowClearTheDrawnBitsOnce) {
    CVideoRig rig;
    ASSERT_TRUE(rig.Start());
    rig.Run(2 * kFrameCycles); // the first frame sizes the surface, the second draws it
    auto& renderer = rig.m_renderer;
    ASSERT_TRUE(renderer.IsLineDrawn(0));
    ASSERT_TRUE(renderer.IsLineDrawn(7));
    EXPECT_EQ(renderer.GetLinesToDraw(), 0);

    rig.Write(kWindow, 1);
    for (int32_t line = 0; line < 8; ++line)
        EXPECT_FALSE(renderer.IsLineDrawn(line)) << line;
    EXPECT_EQ(renderer.GetLinesToDraw(), 8);

    // Nothing was drawn since: the second write leaves the record alone.
    renderer.ForceDrawnBit(3);
    rig.Write(kWindow + 1, 2);
    EXPECT_TRUE(renderer.IsLineDrawn(3));
}

TEST(VideoMemory, SaveLoadSaveGivesIdenticalBytes) {
    CVideoRig rig;
    ASSERT_TRUE(rig.Start());
    for (uint32_t i = 0; i < kKb; ++i)
        rig.Write(kWindow + i, static_cast<uint8_t>(i * 7));
    const Bytes saved = rig.SaveDisplay();
    rig.Write(kWindow + 9, 0);
    ASSERT_TRUE(rig.LoadDisplay(saved));
    EXPECT_EQ(rig.Read(kWindow + 9), static_cast<uint8_t>(9 * 7));
    EXPECT_EQ(rig.SaveDisplay(), saved);
}

TEST(VideoMemory, LoadRefusesAnotherVersionOrANegativeSize) {
    CVideoRig rig;
    ASSERT_TRUE(rig.Start());
    const Bytes saved = rig.SaveDisplay();
    Bytes wrongVersion = saved;
    videotest::PatchValue(wrongVersion, "_VIDP", "VER", 2, 1);
    EXPECT_FALSE(rig.LoadDisplay(wrongVersion));
    Bytes negative = saved;
    videotest::PatchValue(negative, "_VIDP", "MSZ", 0xFFFFFC00u, 4);
    EXPECT_FALSE(rig.LoadDisplay(negative));
    EXPECT_EQ(rig.m_display->GetPageSize(), static_cast<int32_t>(kKb));
    EXPECT_TRUE(rig.LoadDisplay(saved));
}

TEST(VideoMemory, LoadOfAnotherSizeAcquiresMemoryOfThatSizeBeforeReadingTheBytes) {
    Bytes saved;
    {
        CVideoRig rig;
        ASSERT_TRUE(rig.Start());
        rig.Write(kWindow + 0x3FF, 0x5A);
        saved = rig.SaveDisplay();
    }
    CVideoRig rig;
    ASSERT_TRUE(rig.m_display->SetPageSizeAt(0, 4, 0x3FF));
    ASSERT_TRUE(rig.Start());
    ASSERT_EQ(rig.m_display->GetPageSize(), static_cast<int32_t>(4 * kKb));
    ASSERT_TRUE(rig.LoadDisplay(saved));
    EXPECT_EQ(rig.m_display->GetPageSize(), static_cast<int32_t>(kKb));
    EXPECT_EQ(rig.Read(kWindow + 0x3FF), 0x5A);
    EXPECT_EQ(rig.m_display->GetCurrentPageMemory(), rig.m_display->GetPageMemory());
}

TEST(VideoMemory, SizeAndWindowChangeOnlyWhileStopped) {
    CVideoRig rig;
    EXPECT_FALSE(rig.m_display->SetPageSizeAt(0, -1, 0));
    EXPECT_FALSE(rig.m_display->SetPageSizeAt(0, 0x7FFFFFFF, 0)); // more bytes than 32 bits hold
    EXPECT_FALSE(rig.m_display->SetPageSizeAt(2, 1, 0));
    EXPECT_FALSE(rig.m_display->SetPageSizeAt(-1, 1, 0));
    ASSERT_TRUE(rig.Start());
    EXPECT_FALSE(rig.m_display->SetPageSizeAt(0, 2, 0));
    EXPECT_FALSE(rig.m_display->SetPageSize(2, 0));
    EXPECT_FALSE(rig.m_display->SetPageMemoryWindow(0, 1, 1, true, 0));
    EXPECT_EQ(rig.m_display->GetPageSize(), static_cast<int32_t>(kKb));
}

TEST(VideoMemory, WindowOfNoPagesLeavesTheAddressSpaceAlone) {
    CVideoRig rig;
    ASSERT_TRUE(rig.m_display->SetPageMemoryWindow(0, kWindow / kKb, 0, true, 0));
    EXPECT_FALSE(rig.m_display->IsWindowPresent());
    ASSERT_TRUE(rig.Start());
    rig.Write(kWindow + 2, 0x66);
    EXPECT_EQ(rig.m_display->GetPageMemory()[2], 0);
    EXPECT_EQ(rig.Read(kWindow + 2), 0x66); // plain RAM
}
