// The renderer base: start values, frame ends, presents, the border colour and
// the line record's bookkeeping.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "emu/host/CRenderer.h"

namespace {

// A renderer with real rows, as a windowed renderer keeps them.
class CSizedRenderer : public emu::CRenderer {
public:
    bool SetSize(int32_t width, int32_t height, bool clientSized) override {
        m_pixels.assign(static_cast<size_t>(width) * static_cast<size_t>(height), 0u);
        auto* rows = new common::ARGB*[height > 0 ? height : 1];
        for (int32_t y = 0; y < height; ++y)
            rows[y] = m_pixels.data() + static_cast<size_t>(y) * static_cast<size_t>(width);
        SetRows(width, height, rows);
        return emu::CRenderer::SetSize(width, height, clientSized);
    }
    void SetPresentedFrames(uint32_t count) { m_presentedFrames = count; }
    int32_t CountLinesWith(uint8_t bit) const {
        int32_t count = 0;
        for (int32_t line = 0; line < kLineRecordSize; ++line)
            count += (GetLineFlags(line) & bit) != 0 ? 1 : 0;
        return count;
    }

    std::vector<common::ARGB> m_pixels;
};

struct CHook {
    static bool Repaint(void* user) {
        auto* self = static_cast<CHook*>(user);
        ++self->calls;
        return self->answer;
    }
    int calls = 0;
    bool answer = false;
};

TEST(CRenderer, StartsWithDocumentedValues) {
    CSizedRenderer renderer;
    EXPECT_EQ(0, renderer.GetWidth());
    EXPECT_EQ(0, renderer.GetHeight());
    EXPECT_TRUE(renderer.IsSize(0, 0));
    EXPECT_FALSE(renderer.IsSize(512, 256));
    EXPECT_EQ(0xFF000000u, renderer.GetBorderColour());
    EXPECT_EQ(0.0f, renderer.GetAspectFactor());
    EXPECT_TRUE(renderer.IsFrameDirty());
    EXPECT_FALSE(renderer.IsResizePending());
    EXPECT_EQ(1u, renderer.GetPresentedFrameCount());
    EXPECT_EQ(0, renderer.GetChangedLineCount());
    EXPECT_EQ(0, renderer.GetLinesToDraw());
    EXPECT_EQ(emu::CRenderer::kLineRecordSize, renderer.GetFirstDrawnLine());
    EXPECT_EQ(-1, renderer.GetLastDrawnLine());
    EXPECT_EQ(0, renderer.CountLinesWith(0xFF));
    EXPECT_FALSE(renderer.IsVSync(false));
    EXPECT_EQ(0, renderer.GetStretchMode());
    EXPECT_EQ(nullptr, renderer.GetPixelBuffer());
    EXPECT_EQ(0, renderer.GetRowPitch());
}

TEST(CRenderer, BaseOperationsAnswerTheHeadlessDefaults) {
    CSizedRenderer renderer;
    EXPECT_TRUE(renderer.Initialize());
    EXPECT_FALSE(renderer.Open());
    EXPECT_FALSE(renderer.FillBackground(0xFF123456u));
    EXPECT_EQ(nullptr, renderer.CreateInstance());
    EXPECT_STREQ("No Draw", renderer.GetName());
    EXPECT_FALSE(renderer.IsSlot19Set());
    int32_t left = 7, top = 7, right = 7, bottom = 7;
    EXPECT_FALSE(renderer.GetClientRect(&left, &top, &right, &bottom));
    EXPECT_EQ(7, left); // outputs untouched
    EXPECT_EQ(7, bottom);
    EXPECT_FALSE(renderer.FitToClient());
    double fx = 0.0, fy = 0.0;
    EXPECT_TRUE(renderer.MapPoint(-3, 41, &fx, &fy));
    EXPECT_EQ(-3.0, fx);
    EXPECT_EQ(41.0, fy);
    renderer.SetStretchMode(1);
    EXPECT_EQ(1, renderer.GetStretchMode());
}

TEST(CRenderer, PresentedFrameCounterSkipsZeroWhenItWraps) {
    CSizedRenderer renderer;
    renderer.SetPresentedFrames(0xFFFFFFFEu);
    renderer.RequestPresent(false);
    EXPECT_EQ(0xFFFFFFFFu, renderer.GetPresentedFrameCount());
    renderer.RequestPresent(false);
    EXPECT_EQ(1u, renderer.GetPresentedFrameCount());
}

TEST(CRenderer, PresentAnswersAndClearsFrameDirty) {
    CSizedRenderer renderer;
    EXPECT_TRUE(renderer.RequestPresent(false));
    EXPECT_FALSE(renderer.IsFrameDirty());
    EXPECT_FALSE(renderer.RequestPresent(false));
    EXPECT_EQ(3u, renderer.GetPresentedFrameCount());
}

TEST(CRenderer, ForcedPresentAlwaysAnswersTrueAndRedrawsEveryLineAtTheNextFrameEnd) {
    CSizedRenderer renderer;
    ASSERT_TRUE(renderer.SetSize(8, 4, false));
    renderer.RequestPresent(false);
    EXPECT_TRUE(renderer.RequestPresent(true));
    EXPECT_TRUE(renderer.RequestPresent(true));
    EXPECT_TRUE(renderer.IsResizePending());
    EXPECT_FALSE(renderer.IsFrameDirty());

    renderer.EndFrame(false, 1.5f);
    EXPECT_FALSE(renderer.IsResizePending());
    EXPECT_TRUE(renderer.IsFrameDirty());
    EXPECT_EQ(4, renderer.GetChangedLineCount());
    EXPECT_EQ(4, renderer.CountLinesWith(emu::CRenderer::kLineChanged));
    EXPECT_EQ(1.5f, renderer.GetAspectFactor());
}

TEST(CRenderer, FrameEndWithoutChangesLeavesFrameDirtyAsItWas) {
    CSizedRenderer renderer;
    ASSERT_TRUE(renderer.SetSize(8, 4, false));
    CHook hook;
    renderer.SetRepaintHook(&CHook::Repaint, &hook);
    renderer.EndFrame(true, 1.25f);
    EXPECT_TRUE(renderer.IsFrameDirty()); // the start value stays
    renderer.RequestPresent(false);
    renderer.EndFrame(true, 1.0f);
    EXPECT_FALSE(renderer.IsFrameDirty());
    EXPECT_EQ(1.0f, renderer.GetAspectFactor());
    EXPECT_EQ(2, hook.calls);
    EXPECT_EQ(0, renderer.GetChangedLineCount());
}

TEST(CRenderer, FrameEndWithADrawnLineMakesTheFrameDirty) {
    CSizedRenderer renderer;
    ASSERT_TRUE(renderer.SetSize(8, 4, false));
    renderer.RequestPresent(false);
    renderer.MarkLineDrawn(2);
    renderer.EndFrame(false, 0.0f);
    EXPECT_TRUE(renderer.IsFrameDirty());
    EXPECT_EQ(1, renderer.GetChangedLineCount());
}

TEST(CRenderer, RepaintHookAnsweringTrueRedrawsEverything) {
    CSizedRenderer renderer;
    ASSERT_TRUE(renderer.SetSize(8, 5, false));
    renderer.RequestPresent(false);
    CHook hook;
    hook.answer = true;
    renderer.SetRepaintHook(&CHook::Repaint, &hook);
    renderer.EndFrame(false, 0.0f);
    EXPECT_EQ(1, hook.calls);
    EXPECT_TRUE(renderer.IsFrameDirty());
    EXPECT_EQ(5, renderer.GetChangedLineCount());
    EXPECT_EQ(5, renderer.CountLinesWith(emu::CRenderer::kLineChanged));
}

TEST(CRenderer, SameBorderColourChangesNothing) {
    CSizedRenderer renderer;
    ASSERT_TRUE(renderer.SetSize(8, 4, false));
    renderer.RequestPresent(true);
    renderer.SetBorderColour(emu::CRenderer::kDefaultBorderColour);
    EXPECT_FALSE(renderer.IsFrameDirty());
    EXPECT_TRUE(renderer.IsResizePending());
    EXPECT_EQ(0, renderer.GetChangedLineCount());
}

TEST(CRenderer, NewBorderColourRepaintsEveryLine) {
    CSizedRenderer renderer;
    ASSERT_TRUE(renderer.SetSize(8, 4, false));
    renderer.RequestPresent(true);
    renderer.SetBorderColour(0xFF00FF00u);
    EXPECT_EQ(0xFF00FF00u, renderer.GetBorderColour());
    EXPECT_TRUE(renderer.IsFrameDirty());
    EXPECT_FALSE(renderer.IsResizePending());
    EXPECT_EQ(4, renderer.GetChangedLineCount());
    EXPECT_EQ(4, renderer.CountLinesWith(emu::CRenderer::kLineChanged));
}

TEST(CRenderer, HeightOf2048CountsNoLines) {
    CSizedRenderer renderer;
    ASSERT_TRUE(renderer.SetSize(1, 2048, false));
    EXPECT_EQ(0, renderer.GetLinesToDraw());
    renderer.SetBorderColour(0xFF0000FFu);
    EXPECT_EQ(0, renderer.GetChangedLineCount());
    EXPECT_EQ(0, renderer.CountLinesWith(emu::CRenderer::kLineChanged));
    // Lines at or above 2048 fold onto line & 0x7FF.
    renderer.MarkLineDrawn(2048 + 3);
    EXPECT_TRUE(renderer.IsLineDrawn(3));
}

TEST(CRenderer, InvalidatingALineCountsItOnceAndOnlyWhenDrawn) {
    CSizedRenderer renderer;
    ASSERT_TRUE(renderer.SetSize(4, 10, false));
    renderer.MarkLineDrawn(3);
    renderer.MarkLineDrawn(7);
    renderer.InvalidateLine(3);
    renderer.InvalidateLine(3);
    renderer.InvalidateLine(5);
    EXPECT_EQ(9, renderer.GetLinesToDraw());
    EXPECT_FALSE(renderer.IsLineDrawn(3));
    EXPECT_TRUE(renderer.IsLineDrawn(7));
}

TEST(CRenderer, SetSizeStartsANewLineRecord) {
    CSizedRenderer renderer;
    ASSERT_TRUE(renderer.SetSize(4, 10, false));
    EXPECT_EQ(10, renderer.GetLinesToDraw());
    renderer.MarkLineDrawn(3);
    renderer.MarkLineDrawn(7);
    EXPECT_EQ(8, renderer.GetLinesToDraw());
    EXPECT_EQ(3, renderer.GetFirstDrawnLine());
    EXPECT_EQ(7, renderer.GetLastDrawnLine());
    ASSERT_TRUE(renderer.SetSize(4, 6, false));
    EXPECT_EQ(0, renderer.CountLinesWith(0xFF));
    EXPECT_EQ(0, renderer.GetChangedLineCount());
    EXPECT_EQ(6, renderer.GetLinesToDraw());
    EXPECT_EQ(emu::CRenderer::kLineRecordSize, renderer.GetFirstDrawnLine());
    EXPECT_EQ(-1, renderer.GetLastDrawnLine());
}

TEST(CRenderer, ResetRestoresTheBorderAndFreesTheSurface) {
    CSizedRenderer renderer;
    ASSERT_TRUE(renderer.SetSize(4, 4, false));
    renderer.SetBorderColour(0xFF102030u);
    renderer.RequestPresent(false);
    renderer.Reset();
    EXPECT_EQ(emu::CRenderer::kDefaultBorderColour, renderer.GetBorderColour());
    EXPECT_TRUE(renderer.IsFrameDirty());
    EXPECT_TRUE(renderer.IsSize(0, 0));
    EXPECT_EQ(nullptr, renderer.GetRow(0));

    // The surface's Free is the same operation; an unchanged border leaves the frame clean.
    ASSERT_TRUE(renderer.SetSize(4, 4, false));
    renderer.RequestPresent(false);
    common::CSurface& surface = renderer;
    surface.Free();
    EXPECT_FALSE(renderer.IsFrameDirty());
    EXPECT_TRUE(renderer.IsSize(0, 0));
}

TEST(CRenderer, VerticalSyncFlagIsStoredAndClearedOnRequest) {
    CSizedRenderer renderer;
    renderer.SetVSync(true);
    EXPECT_TRUE(renderer.IsVSync(false));
    EXPECT_TRUE(renderer.IsVSync(false));
    EXPECT_FALSE(renderer.IsVSync(true));
    EXPECT_FALSE(renderer.IsVSync(false));
}

} // namespace
