// The Korvet video's state records, settings keys, settings check and menus.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "VideoKorvetTestSupport.h"
#include "common/CBoundValue.h"
#include "common/COptionNode.h"
#include "common/CSettingsRegistry.h"
#include "emu/framework/COptionTree.h"

namespace {

using emu::CVideo_Korvet;
using kvideotest::Bytes;
using kvideotest::CKorvetVideoRig;

const char* const kRecords[] = {"VER",  "MEMS", "MEMD", "SPGI", "MPGI", "LUTD", "LUTP", "VIRG", "NCRG",
                                "VBLN", "LVBC", "INVB", "RINV", "GCLM", "WCLL", "WCLH", "RCLL", "RCLH",
                                "SYMD", "SCLN", "CNLN", "CNPS", "CNLS", "CNCN", "CNCR", "CNCL"};

// Where the device's own records begin: after the end of the base's "_VIDD".
size_t OwnRecords(const Bytes& bytes) {
    return videotest::FindField(bytes, "_VIDD", 0, 0xFF);
}

// The value bytes of one of the device's own records.
size_t OwnValue(const Bytes& bytes, const std::string& name) {
    const size_t start = OwnRecords(bytes);
    return start == std::string::npos ? start : kvideotest::FieldValue(bytes, name, start);
}

void PatchInt32(Bytes& bytes, const std::string& name, int32_t value) {
    const size_t at = OwnValue(bytes, name);
    ASSERT_NE(std::string::npos, at) << name;
    for (int i = 0; i < 4; ++i)
        bytes[at + static_cast<size_t>(i)] = static_cast<uint8_t>(static_cast<uint32_t>(value) >> (8 * i));
}

int32_t ReadInt32(const Bytes& bytes, size_t at) {
    uint32_t value = 0;
    for (int i = 0; i < 4; ++i)
        value |= static_cast<uint32_t>(bytes[at + static_cast<size_t>(i)]) << (8 * i);
    return static_cast<int32_t>(value);
}

// Puts the device into a state with something in every part.
void Scribble(CVideo_Korvet& video) {
    video.WriteVireg(0x5D);
    video.WriteNcreg(0x8C);
    for (int32_t i = 0; i < 64; ++i)
        video.WriteGraph(i * 67, 0xA5);
    video.WriteLut(2, 12);
    video.WriteLut(15, 1);
    for (char c : std::string("\x1b"
                              "6Korvet\x0d\x0a\x01\x27\x30state\x1b;"))
        video.PutChar(static_cast<int8_t>(c));
}

TEST(CVideo_KorvetState, SaveLoadSaveGivesTheSameBytes) {
    CKorvetVideoRig rig;
    ASSERT_TRUE(rig.Start());
    Scribble(*rig.m_video);
    rig.Run(30000);
    const Bytes saved = rig.SaveVideo();

    // The records follow the base's chunks, in order.
    size_t at = OwnRecords(saved);
    ASSERT_NE(std::string::npos, at);
    for (const char* name : kRecords) {
        const size_t next = videotest::FindField(saved, name, at);
        ASSERT_NE(std::string::npos, next) << name;
        at = next;
    }
    EXPECT_EQ(4 * 65536, ReadInt32(saved, OwnValue(saved, "MEMS")));

    // Into the same device after more changes, and into a fresh one.
    rig.m_video->PutChar(0x1F);
    rig.m_video->WriteVireg(0x02);
    rig.m_video->WriteLut(0, 7);
    ASSERT_TRUE(rig.LoadVideo(saved));
    EXPECT_EQ(saved, rig.SaveVideo());
    EXPECT_EQ(0x5Du, rig.m_video->GetVireg());
    EXPECT_FALSE(rig.m_video->IsCursorEnabled());

    CKorvetVideoRig other;
    ASSERT_TRUE(other.Start());
    ASSERT_TRUE(other.LoadVideo(saved));
    EXPECT_EQ(saved, other.SaveVideo());
    EXPECT_EQ(0, std::memcmp(rig.m_video->GetVideoMemory(), other.m_video->GetVideoMemory(), 4 * 65536));
}

TEST(CVideo_KorvetState, StoppedDeviceSavesNoMemory) {
    CKorvetVideoRig rig(4, false);
    const Bytes saved = rig.SaveVideo();
    EXPECT_EQ(0, ReadInt32(saved, OwnValue(saved, "MEMS")));
    EXPECT_EQ(std::string::npos, OwnValue(saved, "MEMD"));
}

TEST(CVideo_KorvetState, LoadRedrawsAndEndsOneFrameInEveryMode) {
    for (int32_t mode : {CVideo_Korvet::kRenderFrame, CVideo_Korvet::kRenderScanline}) {
        CKorvetVideoRig source;
        ASSERT_TRUE(source.Start());
        source.m_video->PutChar('A');
        const Bytes saved = source.SaveVideo();

        CKorvetVideoRig rig;
        rig.m_video->SetRenderMode(mode);
        ASSERT_TRUE(rig.Start());
        rig.RunTo(CVideo_Korvet::kFrameCycles);
        const size_t ends = rig.m_renderer.m_endFrameAspects.size();
        rig.m_renderer.Present();
        ASSERT_TRUE(rig.LoadVideo(saved));
        EXPECT_EQ(ends + 1, rig.m_renderer.m_endFrameAspects.size()) << mode;
        EXPECT_EQ(mode, rig.m_video->GetRenderMode());
        EXPECT_EQ(0xFFFFFFFFu, rig.Pixel(3, 3)) << mode; // the glyph of 'A'
        EXPECT_EQ(256, rig.m_renderer.GetChangedLineCount()) << mode;
        // The screen is stale again for the next frame.
        EXPECT_FALSE(rig.m_renderer.IsLineDrawn(0)) << mode;
    }
}

TEST(CVideo_KorvetState, LoadRefusesWhatDoesNotFit) {
    CKorvetVideoRig source;
    ASSERT_TRUE(source.Start());
    source.m_video->WriteVireg(0xC3);
    const Bytes saved = source.SaveVideo();

    // Four pages do not go into two.
    CKorvetVideoRig two(2);
    ASSERT_TRUE(two.Start());
    EXPECT_FALSE(two.LoadVideo(saved));

    const struct {
        const char* name;
        int32_t value;
    } cases[] = {
        {"MEMS", -1}, {"MEMS", 65536}, {"SPGI", 4},  {"MPGI", -1}, {"SCLN", 306},
        {"SCLN", -1}, {"CNLN", 16},    {"CNPS", 64}, {"CNPS", -2},
    };
    for (const auto& c : cases) {
        Bytes bytes = saved;
        PatchInt32(bytes, c.name, c.value);
        CKorvetVideoRig rig;
        ASSERT_TRUE(rig.Start());
        EXPECT_FALSE(rig.LoadVideo(bytes)) << c.name << " " << c.value;
    }
    Bytes version = saved;
    ASSERT_EQ(0, version[OwnValue(version, "VER")]);
    version[OwnValue(version, "VER")] = 1;
    CKorvetVideoRig rig;
    ASSERT_TRUE(rig.Start());
    EXPECT_FALSE(rig.LoadVideo(version));
    EXPECT_FALSE(rig.LoadVideo(Bytes(saved.begin(), saved.end() - 3)));
    EXPECT_TRUE(rig.LoadVideo(saved));
}

// --- Settings ---------------------------------------------------------------------------------------

TEST(CVideo_KorvetSettings, KeysInOrder) {
    CKorvetVideoRig rig(4, false);
    common::CSettingsRegistry registry;
    EXPECT_TRUE(rig.m_video->CollectProperties(&registry, false));
    EXPECT_EQ(25u, registry.GetValues().size());
    auto* pages = static_cast<common::CBoundValue*>(registry.FindValue(common::CNarrowString("VRAMPageCount")));
    ASSERT_NE(nullptr, pages);
    int32_t value = -1;
    EXPECT_TRUE(pages->GetInt32(value));
    EXPECT_EQ(3, value);
    for (uint32_t flag = 0; flag < CVideo_Korvet::kFlagCount; ++flag) {
        auto* bound = static_cast<common::CBoundValue*>(
            registry.FindValue(common::CNarrowString(CVideo_Korvet::GetFlagName(flag))));
        ASSERT_NE(nullptr, bound) << flag;
        EXPECT_TRUE(bound->SetBool(true));
        EXPECT_TRUE(rig.m_video->GetFlag(flag)) << CVideo_Korvet::GetFlagName(flag);
    }
    EXPECT_STREQ("TraceSetVBLANK", CVideo_Korvet::GetFlagName(CVideo_Korvet::kTraceSetVBLANK));
    EXPECT_STREQ("BreakResetVBLANK", CVideo_Korvet::GetFlagName(CVideo_Korvet::kBreakResetVBLANK));
    EXPECT_EQ(nullptr, CVideo_Korvet::GetFlagName(CVideo_Korvet::kFlagCount));
    EXPECT_NE(nullptr, registry.FindValue(common::CNarrowString("RenderMode")));
    EXPECT_NE(nullptr, registry.FindValue(common::CNarrowString("AspectIndex")));

    // Without the debug keys only the page count; a present name keeps its binding.
    common::CSettingsRegistry enabled;
    EXPECT_TRUE(rig.m_video->CollectProperties(&enabled, true));
    EXPECT_EQ(1u, enabled.GetValues().size());
    rig.m_video->CollectProperties(&enabled, true);
    EXPECT_EQ(1u, enabled.GetValues().size());
}

TEST(CVideo_KorvetSettings, CheckCorrectsThePageCount) {
    const struct {
        int32_t stored;
        int32_t after;
        bool valid;
    } cases[] = {{0, 0, true}, {3, 3, true}, {4, 0, false}, {-1, 0, false}, {7, 0, false}};
    for (const auto& c : cases) {
        CKorvetVideoRig rig(4, false);
        common::CSettingsRegistry registry;
        rig.m_video->CollectProperties(&registry, false);
        registry.FindValue(common::CNarrowString("VRAMPageCount"))->SetInt32(c.stored);
        EXPECT_EQ(c.valid, rig.m_video->ValidateProperties(false)) << c.stored;
        EXPECT_EQ(c.after, rig.m_video->GetVramPageCountMinusOne()) << c.stored;
    }
}

TEST(CVideo_KorvetSettings, CheckWhileRunningKeepsMemoryOfTheRightSize) {
    CKorvetVideoRig rig;
    ASSERT_TRUE(rig.Start());
    rig.m_video->WriteVireg(0xC3);
    rig.m_video->WriteNcreg(0x8E);
    rig.m_video->WriteGraph(0, 0xFF);
    EXPECT_TRUE(rig.m_video->ValidateProperties(false));
    EXPECT_EQ(0x77, rig.m_video->GetVideoMemory()[3 * 65536]);
    // A new count from the settings reallocates and clamps both pages.
    common::CSettingsRegistry registry;
    rig.m_video->CollectProperties(&registry, false);
    registry.FindValue(common::CNarrowString("VRAMPageCount"))->SetInt32(0);
    EXPECT_TRUE(rig.m_video->ValidateProperties(false));
    EXPECT_EQ(65536, rig.m_video->GetVideoMemorySize());
    EXPECT_EQ(0, rig.m_video->GetDisplayedPage());
    EXPECT_EQ(0, rig.m_video->GetProcessorPage());
    rig.m_video->WriteGraph(0x3FFF, 0xFF);
    EXPECT_EQ(0x77, rig.m_video->GetVideoMemory()[65535]);
}

// --- Menus -------------------------------------------------------------------------------------------

std::vector<std::string> Names(common::COptionNodeInterface* node) {
    std::vector<std::string> names;
    for (int32_t i = 0; i < node->GetChildCount(); ++i)
        names.push_back(node->GetChildAt(i)->GetName().GetNarrow());
    return names;
}

TEST(CVideo_KorvetMenus, DebugMenuOffersEveryFlag) {
    CKorvetVideoRig rig(4, false);
    CVideo_Korvet& video = *rig.m_video;
    emu::COptionTree menu;
    video.BuildMenu(&menu, 7);
    const std::vector<std::string> top = {
        "Trace Registers", "Trace Memory",    "Trace Events", "Trace All", "",           "Break On Registers",
        "Break On Memory", "Break On Events", "Break On All", "",          "Select All", "Clear All"};
    ASSERT_EQ(top, Names(&menu));
    const std::vector<std::string> registers = {"Write VIREG (configuration)",
                                                "Read VISTS (state)",
                                                "Write NCREG (graph color)",
                                                "Read NCREG (graph color)",
                                                "Write LUT (palette)",
                                                "",
                                                "Select All",
                                                "Clear All"};
    EXPECT_EQ(registers, Names(menu.GetChildAt(0)));
    const std::vector<std::string> memory = {"Write TEXT (symbols)",
                                             "Read TEXT (symbols)",
                                             "Write GRAPH (pixels)",
                                             "Read GRAPH (pixels)",
                                             "",
                                             "Select All",
                                             "Clear All"};
    EXPECT_EQ(memory, Names(menu.GetChildAt(6)));
    const std::vector<std::string> events = {"VBLANK=1", "VBLANK=0", "", "Select All", "Clear All"};
    EXPECT_EQ(events, Names(menu.GetChildAt(2)));

    // A check item toggles its flag; the submenu and the menu show it.
    common::COptionNodeInterface* traceEvents = menu.GetChildAt(2);
    EXPECT_FALSE(menu.IsChecked());
    traceEvents->GetChildAt(0)->Activate();
    EXPECT_TRUE(video.GetFlag(CVideo_Korvet::kTraceSetVBLANK));
    EXPECT_TRUE(traceEvents->IsChecked());
    EXPECT_TRUE(menu.IsChecked());
    traceEvents->GetChildAt(4)->Activate(); // its Clear All
    EXPECT_FALSE(video.GetFlag(CVideo_Korvet::kTraceSetVBLANK));
    EXPECT_FALSE(menu.IsChecked());

    menu.GetChildAt(3)->Activate(); // Trace All
    for (uint32_t flag = 0; flag < CVideo_Korvet::kFlagCount; ++flag)
        EXPECT_EQ(flag % 2 == 0, video.GetFlag(flag)) << CVideo_Korvet::GetFlagName(flag);
    menu.GetChildAt(11)->Activate(); // Clear All
    menu.GetChildAt(8)->Activate();  // Break On All
    for (uint32_t flag = 0; flag < CVideo_Korvet::kFlagCount; ++flag)
        EXPECT_EQ(flag % 2 == 1, video.GetFlag(flag)) << CVideo_Korvet::GetFlagName(flag);
    menu.GetChildAt(10)->Activate(); // Select All
    for (uint32_t flag = 0; flag < CVideo_Korvet::kFlagCount; ++flag)
        EXPECT_TRUE(video.GetFlag(flag));
    common::CSettingsRegistry registry;
    video.CollectProperties(&registry, false);
    for (uint32_t flag = 0; flag < CVideo_Korvet::kFlagCount; ++flag) {
        bool value = false;
        EXPECT_TRUE(registry.FindValue(common::CNarrowString(CVideo_Korvet::GetFlagName(flag)))->GetBool(value));
        EXPECT_TRUE(value);
    }
}

TEST(CVideo_KorvetMenus, PageCountItemsWorkWhileStopped) {
    CKorvetVideoRig rig;
    CVideo_Korvet& video = *rig.m_video;
    emu::COptionTree menu;
    video.BuildMenu(&menu, 3);
    // The base's render and aspect items, then a separator and the submenu.
    ASSERT_GE(menu.GetChildCount(), 2);
    common::COptionNodeInterface* pages = menu.GetChildAt(menu.GetChildCount() - 1);
    EXPECT_EQ("", Names(&menu)[static_cast<size_t>(menu.GetChildCount() - 2)]);
    const std::vector<std::string> items = {"1=48Kb", "2=96Kb", "3=144Kb", "4=192Kb"};
    ASSERT_EQ(items, Names(pages));
    EXPECT_TRUE(pages->GetChildAt(3)->IsChecked());
    EXPECT_TRUE(pages->GetChildAt(1)->IsEnabled());
    pages->GetChildAt(1)->Activate();
    EXPECT_EQ(1, video.GetVramPageCountMinusOne());
    ASSERT_TRUE(rig.Start());
    EXPECT_EQ(2 * 65536, video.GetVideoMemorySize());
    EXPECT_FALSE(pages->GetChildAt(2)->IsEnabled());
}

} // namespace
