#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "emu/framework/CBus.h"
#include "emu/framework/CVideo.h"
#include "emu/framework/VideoTestSupport.h"

using videotest::Bytes;
using videotest::CTestDisplay;
using videotest::CVideoRig;

namespace {

constexpr uint32_t kWindow = CVideoRig::kWindowAddress;
// The rig's default timing: 16 x 8 visible, 10 lines a frame, 50 frames a
// second on a 2.5 MHz clock: a line every 5000 cycles.
constexpr uint64_t kLineCycles = 5000;
constexpr uint64_t kFrameCycles = 10 * kLineCycles;

std::vector<int32_t> Range(int32_t first, int32_t end) {
    std::vector<int32_t> lines;
    for (int32_t line = first; line < end; ++line)
        lines.push_back(line);
    return lines;
}

int CountCpuEvents(emu::CProcessor* cpu, const char* name) {
    int count = 0;
    for (auto* event = cpu->GetFirstEvent(); event != nullptr; event = event->m_next)
        if (std::strcmp(event->m_name, name) == 0)
            ++count;
    return count;
}

int CountBusEvents(emu::CBus* bus, const char* name) {
    int count = 0;
    for (auto* event = bus->GetFirstEvent(); event != nullptr; event = event->m_next)
        if (event->m_name != nullptr && std::strcmp(event->m_name, name) == 0)
            ++count;
    return count;
}

// The aspect factor stored in the state's "APCT" blob replaced by `value`.
void PatchAspect(Bytes& bytes, double value) {
    uint64_t bits = 0;
    std::memcpy(&bits, &value, sizeof(bits));
    const size_t at = videotest::FindFieldInChunk(bytes, "_VIDD", "APCT");
    ASSERT_NE(at, std::string::npos);
    for (int i = 0; i < 8; ++i)
        bytes[at + 5 + static_cast<size_t>(i)] = static_cast<uint8_t>(bits >> (8 * i));
}

} // namespace

TEST(Video, StartShowsPageZeroWithTheParametersUnsetAndRegistersTheRenderCallbacks) {
    CVideoRig rig;
    ASSERT_TRUE(rig.Start());
    emu::CVideo& video = *rig.m_display;
    EXPECT_EQ(video.GetCurrentPage(), 0);
    EXPECT_EQ(video.GetCurrentPageMemory(), video.GetPageMemory());
    EXPECT_TRUE(video.GetMarkLinesOnWrite());
    EXPECT_TRUE(video.IsDisplayEnabled());
    EXPECT_TRUE(video.IsTextMode());
    EXPECT_EQ(video.GetTimingIndex(), 0);
    EXPECT_EQ(video.GetRenderGeneration(), 1u);
    for (int i = 0; i < emu::CVideo::kDisplayParameterCount; ++i)
        EXPECT_EQ(video.GetDisplayParameter(static_cast<emu::CVideo::DisplayParameter>(i)), -1);

    int32_t values[7] = {9, 9, 9, 9, 9, 9, 9};
    EXPECT_TRUE(
        video.GetScreenGeometry(&values[0], &values[1], &values[2], &values[3], &values[4], &values[5], &values[6]));
    EXPECT_EQ(std::vector<int32_t>(values, values + 7), (std::vector<int32_t>{-1, 16, 8, -1, -1, 0, 0}));

    emu::CBus* bus = rig.m_machine.GetBusService();
    emu::CBus::CEvent entry{};
    const char* name = nullptr;
    EXPECT_TRUE(bus->FindCpuEventCallback("Video", "_HiRenderEvent0", &entry, &name));
    EXPECT_TRUE(bus->FindCallback("Video", "_LoRenderEvent0", &entry, &name));
    EXPECT_EQ(entry.m_kind, emu::CBus::kCallbackBusEvent);
    EXPECT_TRUE(bus->FindCallback("Video", "_FrRenderEvent0", &entry, &name));
    EXPECT_EQ(entry.m_target, rig.m_display);
}

TEST(Video, ProcessorLineEventFiresOncePerLinePeriod) {
    CVideoRig rig;
    ASSERT_TRUE(rig.Start());
    auto* event = rig.m_cpu->FindEvent("_HiRenderEvent0", rig.m_display);
    ASSERT_NE(event, nullptr);
    EXPECT_EQ(event->m_period, 5000);
    rig.Run(3 * kLineCycles);
    ASSERT_EQ(rig.m_display->m_calls.size(), 3u);
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(rig.m_display->m_calls[i].line, static_cast<int32_t>(i));
        EXPECT_EQ(rig.m_display->m_calls[i].cycle, (i + 1) * kLineCycles);
    }
    EXPECT_EQ(rig.m_display->GetScanLine(), 3);
}

TEST(Video, ScanlineRenderingWaitsForTheSurfaceThenDrawsEachVisibleLineOnce) {
    CVideoRig rig;
    ASSERT_TRUE(rig.Start());
    CTestDisplay& video = *rig.m_display;
    auto& renderer = rig.m_renderer;

    // The surface is not 16 wide yet: nothing is drawn, the frame end sizes it.
    rig.Run(kFrameCycles);
    EXPECT_TRUE(video.DrawnLines().empty());
    EXPECT_EQ(video.m_calls.size(), 10u);
    EXPECT_TRUE(renderer.IsSize(16, 8));
    EXPECT_EQ(renderer.m_endFrameAspects.size(), 1u);

    video.ClearRecords();
    rig.Run(kFrameCycles);
    EXPECT_EQ(video.DrawnLines(), Range(0, 8));
    EXPECT_FALSE(video.m_calls[8].row); // the invisible lines get the null call
    EXPECT_FALSE(video.m_calls[9].row);
    EXPECT_EQ(renderer.m_endFrameAspects.size(), 2u);
    EXPECT_EQ(renderer.GetChangedLineCount(), 8);
    EXPECT_TRUE(renderer.IsFrameDirty());
    EXPECT_EQ(renderer.GetRow(5)[15], 0xFF000500u);

    // A frame with no writes draws nothing; the frame still ends.
    renderer.Present();
    video.ClearRecords();
    rig.Run(kFrameCycles);
    EXPECT_TRUE(video.DrawnLines().empty());
    EXPECT_EQ(renderer.m_endFrameAspects.size(), 3u);
    EXPECT_FALSE(renderer.IsFrameDirty());

    rig.Write(kWindow + 3, 0x77);
    video.ClearRecords();
    rig.Run(kFrameCycles);
    EXPECT_EQ(video.DrawnLines(), Range(0, 8));
    EXPECT_EQ(renderer.GetRow(3)[0], 0xFF000377u);
}

TEST(Video, FrameRenderingDrawsAtTheFrameEndAndEndsOnlyFramesThatChanged) {
    auto* display = new CTestDisplay();
    display->SetRenderMode(emu::CVideo::kRenderFrame);
    CVideoRig rig(display);
    ASSERT_TRUE(rig.Start());
    auto& renderer = rig.m_renderer;

    rig.Run(kFrameCycles - 1);
    EXPECT_TRUE(display->m_calls.empty()); // no line calls in frame rendering
    rig.Run(1);
    // Render step: every visible line, then the invisible ones without a row.
    EXPECT_EQ(display->DrawnLines(), Range(0, 8));
    ASSERT_EQ(display->m_calls.size(), 10u);
    EXPECT_EQ(display->m_calls[9].line, 9);
    EXPECT_EQ(renderer.m_endFrameAspects.size(), 1u);

    display->ClearRecords();
    rig.Run(kFrameCycles);
    EXPECT_TRUE(display->DrawnLines().empty());
    EXPECT_EQ(renderer.m_endFrameAspects.size(), 1u);

    rig.Write(kWindow + 6, 0x42);
    rig.Run(kFrameCycles);
    EXPECT_EQ(display->DrawnLines(), Range(0, 8));
    EXPECT_EQ(renderer.m_endFrameAspects.size(), 2u);
    EXPECT_EQ(renderer.GetRow(6)[7], 0xFF000642u);
}

TEST(Video, SameLinesAndRateInstallNothingWhateverTheKind) {
    CVideoRig rig;
    ASSERT_TRUE(rig.Start());
    emu::CBus* bus = rig.m_machine.GetBusService();
    const int busEvents = bus->GetEventCount();
    ASSERT_TRUE(rig.m_display->SetTiming(32, 4, 10, 50, emu::CVideo::kTimingBusLineEvent));
    EXPECT_EQ(rig.m_display->GetRenderGeneration(), 1u);
    EXPECT_EQ(bus->GetEventCount(), busEvents);
    EXPECT_EQ(CountCpuEvents(rig.m_cpu, "_HiRenderEvent0"), 1);
    EXPECT_EQ(rig.m_display->GetScreenWidth(), 32); // the geometry is taken all the same
    EXPECT_EQ(rig.m_display->GetScreenHeight(), 4);
    // Negative lines and rate keep the current ones.
    ASSERT_TRUE(rig.m_display->SetTiming(16, 8, -1, -1, emu::CVideo::kTimingFrameEvent));
    EXPECT_EQ(rig.m_display->GetRenderGeneration(), 1u);
}

TEST(Video, ANewRateRetiresThePreviousEventAtItsNextFiring) {
    CVideoRig rig;
    ASSERT_TRUE(rig.Start());
    rig.Run(kLineCycles / 2);
    ASSERT_TRUE(rig.m_display->SetTiming(16, 8, 20, 50, emu::CVideo::kTimingCpuLineEvent));
    EXPECT_EQ(rig.m_display->GetRenderGeneration(), 2u);
    EXPECT_EQ(CountCpuEvents(rig.m_cpu, "_HiRenderEvent0"), 2);
    // The old event comes at 5000 and goes; the new one (2500 cycles) at 5000, 7500.
    rig.Run(kLineCycles);
    EXPECT_EQ(CountCpuEvents(rig.m_cpu, "_HiRenderEvent0"), 1);
    EXPECT_EQ(rig.m_display->m_calls.size(), 2u);
    EXPECT_EQ(rig.m_display->GetLinesPerFrame(), 20);
}

TEST(Video, BusLineEventRunsAtLinesTimesFrames) {
    auto* display = new CTestDisplay();
    display->m_timing = {16, 8, 10, 49, emu::CVideo::kTimingBusLineEvent};
    CVideoRig rig(display);
    ASSERT_TRUE(rig.Start());
    emu::CBus* bus = rig.m_machine.GetBusService();
    ASSERT_EQ(CountBusEvents(bus, "_LoRenderEvent0"), 1);
    EXPECT_EQ(CountCpuEvents(rig.m_cpu, "_HiRenderEvent0"), 0);
    EXPECT_EQ(bus->GetFirstEvent()->m_effectiveFrequency, 490);
    rig.Run(CVideoRig::kClock / 10); // a tenth of a second: 49 lines
    EXPECT_NEAR(static_cast<double>(display->m_calls.size()), 49.0, 1.0);
    EXPECT_EQ(display->m_calls[12].line, 2);
}

TEST(Video, FrameEventRunsFourPhasesAndDrawsOnPhaseZero) {
    auto* display = new CTestDisplay();
    display->m_timing = {16, 8, 10, 50, emu::CVideo::kTimingFrameEvent};
    display->SetRenderMode(emu::CVideo::kRenderScanline); // the frame event draws whole frames anyway
    CVideoRig rig(display);
    ASSERT_TRUE(rig.Start());
    ASSERT_EQ(CountBusEvents(rig.m_machine.GetBusService(), "_FrRenderEvent0"), 1);
    rig.Run(CVideoRig::kClock / 100); // a hundredth of a second: two frame events
    ASSERT_GE(display->m_phases.size(), 2u);
    EXPECT_EQ(display->m_phases[0], 0);
    EXPECT_EQ(display->m_phases[1], 1);
    // The very first firing is phase 0 and so draws a frame.
    EXPECT_EQ(display->DrawnLines(), Range(0, 8));
    EXPECT_EQ(rig.m_renderer.m_endFrameAspects.size(), 1u);
    rig.Run(CVideoRig::kClock / 25);
    ASSERT_GE(display->m_phases.size(), 6u);
    EXPECT_EQ(std::vector<int32_t>(display->m_phases.begin(), display->m_phases.begin() + 6),
              (std::vector<int32_t>{0, 1, 2, 3, 0, 1}));
}

TEST(Video, TimingRefusesBadValuesAndAZeroRateInstallsNoEvent) {
    CVideoRig rig;
    rig.m_display->m_installTiming = false;
    ASSERT_TRUE(rig.Start());
    emu::CVideo& video = *rig.m_display;
    EXPECT_FALSE(video.SetTiming(-1, 8, 10, 50, 2));
    EXPECT_FALSE(video.SetTiming(16, 8, 10, 50, 3));
    EXPECT_EQ(video.GetTimingIndex(), -1);
    EXPECT_FALSE(video.SetTiming(16, 8, 100000, 100000, 1)); // more lines a second than 32 bits hold

    const int busEvents = rig.m_machine.GetBusService()->GetEventCount();
    for (int32_t kind = 0; kind <= 2; ++kind) {
        ASSERT_TRUE(video.SetTiming(16, 8, 10 + kind, 0, kind)) << kind;
        EXPECT_EQ(video.GetTimingIndex(), 0);
    }
    // A rate of 0 would be an event at every bus tick: none is installed.
    EXPECT_EQ(rig.m_machine.GetBusService()->GetEventCount(), busEvents);
    EXPECT_EQ(CountCpuEvents(rig.m_cpu, "_HiRenderEvent0"), 0);
    EXPECT_EQ(video.GetRenderGeneration(), 3u);
}

TEST(Video, AutomaticAspectFactorFollowsTheHostScreen) {
    struct {
        int32_t width, height;
        float factor;
    } const cases[] = {
        {1920, 1080, 1.4933f}, {1280, 1024, 1.3333334f}, {320, 200, 1.4166666f}, {3840, 1080, 1.6666666f}};
    for (const auto& c : cases)
        EXPECT_NEAR(emu::CVideo::ComputeAutomaticAspectFactor(c.width, c.height), c.factor, 1e-4)
            << c.width << "x" << c.height;
}

TEST(Video, StartTakesTheFactorOfTheChosenRatio) {
    const struct {
        int32_t index;
        float factor;
    } cases[] = {{0, 0}, {1, 1.3333334f}, {2, 1.4333333f}, {3, 1.5f}, {4, 1.5666667f}, {5, 1.6333333f}, {7, 0}};
    for (const auto& c : cases) {
        auto* display = new CTestDisplay();
        display->SetAspectIndex(c.index);
        CVideoRig rig(display);
        ASSERT_TRUE(rig.Start());
        const float expected = c.factor != 0 ? c.factor : display->GetAutomaticAspectFactor();
        EXPECT_FLOAT_EQ(display->GetAspectFactor(), expected) << c.index;
        rig.Run(kFrameCycles);
        ASSERT_EQ(rig.m_renderer.m_endFrameAspects.size(), 1u);
        EXPECT_FLOAT_EQ(rig.m_renderer.m_endFrameAspects[0], expected);
    }
}

TEST(Video, LoadedFactorCountsOnlyWithoutAFixedRatio) {
    Bytes saved;
    {
        CVideoRig rig;
        ASSERT_TRUE(rig.Start());
        saved = rig.SaveDisplay();
    }
    PatchAspect(saved, 1.25);
    {
        CVideoRig rig;
        ASSERT_TRUE(rig.Start());
        ASSERT_TRUE(rig.LoadDisplay(saved));
        EXPECT_FLOAT_EQ(rig.m_display->GetAspectFactor(), 1.25f);
    }
    {
        auto* display = new CTestDisplay();
        display->SetAspectIndex(2);
        CVideoRig rig(display);
        ASSERT_TRUE(rig.Start());
        ASSERT_TRUE(rig.LoadDisplay(saved));
        EXPECT_FLOAT_EQ(display->GetAspectFactor(), 1.4333333f);
    }
    CVideoRig rig;
    ASSERT_TRUE(rig.Start());
    PatchAspect(saved, 0.0);
    EXPECT_FALSE(rig.LoadDisplay(saved));
}

TEST(Video, StateRoundTripKeepsGeometryParametersAndFont) {
    Bytes saved;
    {
        CVideoRig rig;
        ASSERT_TRUE(rig.Start());
        rig.m_display->SetDisplayParameter(emu::CVideo::kVMOD, 3);
        rig.m_display->SetDisplayParameter(emu::CVideo::kPIXS, 2);
        const uint8_t font[5] = {1, 2, 3, 4, 5};
        ASSERT_TRUE(rig.m_display->SetFontData(font, 5));
        rig.Run(kFrameCycles + 3 * kLineCycles);
        rig.Write(kWindow + 1, 0x99);
        saved = rig.SaveDisplay();
    }
    CVideoRig rig;
    ASSERT_TRUE(rig.Start());
    ASSERT_TRUE(rig.LoadDisplay(saved));
    emu::CVideo& video = *rig.m_display;
    EXPECT_EQ(video.GetScanLine(), 3);
    EXPECT_EQ(video.GetDisplayParameter(emu::CVideo::kVMOD), 3);
    EXPECT_EQ(video.GetDisplayParameter(emu::CVideo::kPIXS), 2);
    EXPECT_EQ(video.GetDisplayParameter(emu::CVideo::kCOLC), -1);
    EXPECT_EQ(video.GetFontSize(), 5);
    EXPECT_EQ(video.GetFontData()[4], 5);
    EXPECT_EQ(video.GetLinesPerFrame(), 10);
    EXPECT_EQ(rig.Read(kWindow + 1), 0x99);
    EXPECT_EQ(rig.SaveDisplay(), saved);
}

TEST(Video, LoadRefusesStatesThisDisplayCannotHold) {
    CVideoRig rig;
    ASSERT_TRUE(rig.Start());
    const Bytes saved = rig.SaveDisplay();
    const struct {
        const char* field;
        uint64_t value;
        int bytes;
    } cases[] = {
        {"VER", 2, 1},           // another version
        {"PID", 1, 1},           // no page 1
        {"SCSH", 0xFFFFFFFF, 4}, // negative geometry
        {"SCLN", 0x80000000, 4}, // negative line
        {"VPAR", 0x200, 4},      // a parameter bit above LINS
        {"T0SC", 0xFFFFFFFF, 4}, // negative lines per frame
        {"FSIZ", 0xFFFFFFFF, 4}, // negative font size
    };
    for (const auto& c : cases) {
        Bytes bytes = saved;
        videotest::PatchValue(bytes, "_VIDD", c.field, c.value, c.bytes);
        EXPECT_FALSE(rig.LoadDisplay(bytes)) << c.field;
    }
    EXPECT_TRUE(rig.LoadDisplay(saved));
}

TEST(Video, SecondPageIsAChildNamedAfterTheVideo) {
    CVideoRig rig;
    emu::CVideo& video = *rig.m_display;
    EXPECT_EQ(video.CreatePage(nullptr, nullptr, nullptr), 1);
    ASSERT_NE(video.GetPage(1), nullptr);
    EXPECT_STREQ(video.GetPage(1)->GetName(), "Video Page 1");
    EXPECT_STREQ(video.GetPage(1)->GetShortName(), "VID_PAGE1");
    EXPECT_EQ(video.CreatePage(nullptr, nullptr, nullptr), -1);
    ASSERT_TRUE(video.SetPageSizeAt(1, 2, 0x7FF));
    ASSERT_TRUE(video.SetPageMemoryWindow(1, 0x5000 / 1024, 2, true, 0));
    ASSERT_TRUE(rig.Start());
    rig.Write(0x5000 + 0x700, 0x31);
    EXPECT_EQ(video.GetPage(1)->GetPageMemory()[0x700], 0x31);
    // Page 1 is not displayed: its writes leave the drawn lines alone.
    EXPECT_FALSE(video.GetPage(1)->GetMarkLinesOnWrite());
    const Bytes saved = rig.SaveDisplay();
    rig.Write(0x5000 + 0x700, 0);
    ASSERT_TRUE(rig.LoadDisplay(saved));
    EXPECT_EQ(rig.Read(0x5000 + 0x700), 0x31);
    EXPECT_EQ(rig.SaveDisplay(), saved);
    // Pages are set up only while the video is stopped.
    EXPECT_FALSE(video.SetPageSizeAt(1, 1, 0x3FF));
    rig.m_machine.Stop();
    EXPECT_EQ(video.GetPage(1)->GetPageMemory(), nullptr);
    EXPECT_EQ(video.GetCurrentPageMemory(), nullptr);
}

TEST(Video, RedrawWithForceDrawsEveryLineAgain) {
    CVideoRig rig;
    ASSERT_TRUE(rig.Start());
    rig.Run(2 * kFrameCycles);
    CTestDisplay& video = *rig.m_display;
    video.ClearRecords();
    EXPECT_FALSE(video.RenderStep()); // all drawn already
    EXPECT_EQ(video.m_calls.size(), 8u);
    EXPECT_TRUE(video.DrawnLines().empty());
    video.ClearRecords();
    EXPECT_TRUE(video.Redraw(true));
    EXPECT_EQ(video.DrawnLines(), Range(0, 8));
    for (const auto& call : video.m_calls)
        EXPECT_TRUE(call.force);
}

TEST(Video, PageAccessorsUseTheWindowAndTheMask) {
    CVideoRig rig;
    ASSERT_TRUE(rig.Start());
    emu::CVideo& video = *rig.m_display;
    video.WritePageByte(kWindow + 0x401, 0x21); // the mask folds it onto offset 1
    EXPECT_EQ(video.GetPageMemory()[1], 0x21);
    EXPECT_EQ(video.ReadPageByte(kWindow + 1, 1), 0x21);
    // A write through the accessor marks the lines like one from the processor.
    rig.Run(2 * kFrameCycles);
    video.WritePageByte(kWindow + 2, 1);
    EXPECT_FALSE(rig.m_renderer.IsLineDrawn(0));
}

TEST(Video, FullResetInvalidatesTheDrawnLines) {
    CVideoRig rig;
    ASSERT_TRUE(rig.Start());
    rig.Run(2 * kFrameCycles);
    ASSERT_TRUE(rig.m_renderer.IsLineDrawn(4));
    ASSERT_TRUE(rig.m_display->Reset(emu::CDevice::kResetStarted)); // no full reset
    EXPECT_TRUE(rig.m_renderer.IsLineDrawn(4));
    ASSERT_TRUE(rig.m_display->Reset(emu::CDevice::kResetAllBound));
    EXPECT_FALSE(rig.m_renderer.IsLineDrawn(4));
}

TEST(Video, RunsWithoutARenderer) {
    CVideoRig rig;
    rig.m_machine.AttachHost(nullptr);
    ASSERT_TRUE(rig.Start());
    rig.Write(kWindow, 1);
    rig.Run(3 * kFrameCycles);
    EXPECT_EQ(rig.m_display->m_calls.size(), 30u);
    EXPECT_TRUE(rig.m_display->DrawnLines().empty());
    EXPECT_FALSE(rig.m_display->RenderStep());
    const Bytes saved = rig.SaveDisplay();
    EXPECT_TRUE(rig.LoadDisplay(saved));
}

TEST(Video, LineRecordCountsEachChangedLineOnce) {
    videotest::CRowRenderer renderer;
    ASSERT_TRUE(renderer.SetSize(4, 3, false));
    EXPECT_EQ(renderer.GetLinesToDraw(), 3);
    renderer.Present();
    renderer.MarkLineDrawn(1);
    renderer.MarkLineDrawn(1);
    renderer.MarkLineDrawn(5); // beyond the surface: drawn, not changed
    EXPECT_EQ(renderer.GetChangedLineCount(), 1);
    EXPECT_EQ(renderer.GetLinesToDraw(), 1);
    EXPECT_EQ(renderer.GetFirstDrawnLine(), 1);
    EXPECT_EQ(renderer.GetLastDrawnLine(), 5);
    EXPECT_EQ(renderer.GetLineFlags(5), emu::CRenderer::kLineDrawn);
    renderer.EndFrame(false, 1.5f);
    EXPECT_TRUE(renderer.IsFrameDirty());
    EXPECT_FLOAT_EQ(renderer.GetAspectFactor(), 1.5f);
    renderer.InvalidateDrawnLines();
    EXPECT_EQ(renderer.GetLineFlags(1), emu::CRenderer::kLineChanged);
    EXPECT_EQ(renderer.GetLineFlags(5), 0);
    // A new size starts a new record.
    ASSERT_TRUE(renderer.SetSize(4, 2, false));
    EXPECT_EQ(renderer.GetLineFlags(1), 0);
    EXPECT_EQ(renderer.GetChangedLineCount(), 0);
    EXPECT_EQ(renderer.GetFirstDrawnLine(), emu::CRenderer::kLineRecordSize);
}

TEST(Video, MachineStateBringsTheRenderEventBackUnderItsTag) {
    Bytes saved;
    {
        CVideoRig rig;
        ASSERT_TRUE(rig.Start());
        rig.Run(kFrameCycles + 4 * kLineCycles + 100);
        common::CMemoryStream stream;
        stream.Create(0, -1);
        common::CStreamHolder holder(&stream);
        ASSERT_TRUE(rig.m_machine.SaveState(holder));
        saved.assign(stream.GetBuffer(), stream.GetBuffer() + stream.GetSize());
    }
    CVideoRig rig;
    ASSERT_TRUE(rig.Start());
    rig.Run(kFrameCycles); // sizes the surface
    rig.m_display->ClearRecords();
    common::CMemoryStream stream;
    stream.Create(0, -1);
    stream.Write(saved.data(), static_cast<int64_t>(saved.size()));
    stream.Seek(0);
    common::CStreamHolder holder(&stream);
    ASSERT_TRUE(rig.m_machine.LoadState(holder, nullptr));
    EXPECT_EQ(CountCpuEvents(rig.m_cpu, "_HiRenderEvent0"), 1);
    EXPECT_EQ(rig.m_display->GetScanLine(), 4);
    rig.m_cpu->StartEvents();
    rig.Run(6 * kLineCycles);
    // Lines 4 to 9, then the frame ends; the load invalidated the drawn lines.
    ASSERT_EQ(rig.m_display->m_calls.size(), 6u);
    EXPECT_EQ(rig.m_display->m_calls[0].line, 4);
    EXPECT_EQ(rig.m_display->DrawnLines(), Range(4, 8));
    EXPECT_EQ(rig.m_display->GetScanLine(), 0);
}
