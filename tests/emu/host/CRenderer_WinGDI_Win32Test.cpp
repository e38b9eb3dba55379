// The GDI renderer in a real window: attaching, sizing, presenting a known
// frame and reading the window's pixels back.
#include "HostWindowTestSupport.h"

#include <cstdint>
#include <memory>
#include <vector>

#include "emu/host/CRenderer_WinGDI.h"

namespace {

using hosttest::CTestWindow;

constexpr int32_t kFrameWidth = 64;
constexpr int32_t kFrameHeight = 32;

// A pattern in which every pixel differs from its neighbours (0x00RRGGBB).
uint32_t PatternColour(int32_t x, int32_t y) {
    return (static_cast<uint32_t>(x * 4) << 16) | (static_cast<uint32_t>(y * 8) << 8) |
           static_cast<uint32_t>((x * 3 + y * 5) & 0xFF);
}

void FillPattern(emu::CRenderer& renderer) {
    for (int32_t y = 0; y < renderer.GetHeight(); ++y) {
        common::ARGB* row = renderer.GetRow(y);
        for (int32_t x = 0; x < renderer.GetWidth(); ++x)
            row[x] = 0xFF000000u | PatternColour(x, y);
        renderer.MarkLineDrawn(y);
    }
}

struct CResetCount {
    static void OnReset(void* user) { ++static_cast<CResetCount*>(user)->calls; }
    int calls = 0;
};

TEST(CRenderer_WinGDI, SetSizeBeforeAnyWindowIsRefused) {
    emu::CRenderer_WinGDI renderer;
    EXPECT_FALSE(renderer.SetSize(512, 256, true));
    EXPECT_EQ(0, renderer.GetWidth());
    EXPECT_EQ(0, renderer.GetHeight());
    EXPECT_STREQ("WinGDI", renderer.GetName());
    std::unique_ptr<emu::CRenderer> copy(renderer.CreateInstance());
    ASSERT_NE(nullptr, copy);
    EXPECT_STREQ("WinGDI", copy->GetName());
}

TEST(CRenderer_WinGDI, AttachesToALiveWindowOnly) {
    CTestWindow window(160, 120);
    ASSERT_NE(nullptr, window.Get());
    emu::CRenderer_WinGDI renderer;
    ASSERT_TRUE(renderer.SetWindow(window.Get()));
    EXPECT_TRUE(renderer.SetWindow(window.Get())); // the same window again
    int32_t left = -1, top = -1, right = -1, bottom = -1;
    ASSERT_TRUE(renderer.GetClientRect(&left, &top, &right, &bottom));
    EXPECT_EQ(0, left);
    EXPECT_EQ(0, top);
    EXPECT_EQ(160, right);
    EXPECT_EQ(120, bottom);
    EXPECT_TRUE(renderer.IsBackgroundInvalid());

    CTestWindow gone(20, 20);
    HWND dead = gone.Get();
    gone.Destroy();
    EXPECT_FALSE(renderer.SetWindow(dead));
    EXPECT_EQ(nullptr, renderer.GetWindow());
    EXPECT_TRUE(renderer.SetWindow(nullptr));
    EXPECT_FALSE(renderer.GetClientRect(&left, &top, &right, &bottom));
}

TEST(CRenderer_WinGDI, SetSizeAllocatesOpaqueBlackRowsAndTellsTheMachine) {
    CTestWindow window(160, 120);
    emu::CRenderer_WinGDI renderer;
    ASSERT_TRUE(renderer.SetWindow(window.Get()));
    CResetCount resets;
    renderer.SetResetCallback(&CResetCount::OnReset, &resets);
    ASSERT_TRUE(renderer.SetSize(kFrameWidth, kFrameHeight, true));
    EXPECT_EQ(1, resets.calls);
    EXPECT_TRUE(renderer.IsSize(kFrameWidth, kFrameHeight));
    EXPECT_EQ(kFrameWidth * 4, renderer.GetRowPitch());
    ASSERT_NE(nullptr, renderer.GetRow(0));
    EXPECT_EQ(renderer.GetRow(0) + kFrameWidth, renderer.GetRow(1));
    EXPECT_EQ(renderer.GetPixelBuffer(), renderer.GetRow(0));
    EXPECT_EQ(0xFF000000u, renderer.GetRow(kFrameHeight - 1)[kFrameWidth - 1]);
    EXPECT_EQ(kFrameHeight, renderer.GetLinesToDraw());
    // The same size and client flag again changes nothing.
    EXPECT_TRUE(renderer.SetSize(kFrameWidth, kFrameHeight, true));
    EXPECT_EQ(1, resets.calls);
    EXPECT_FALSE(renderer.SetSize(-1, 10, true));
}

TEST(CRenderer_WinGDI, PresentsAKnownFramePixelForPixel) {
    CTestWindow window(kFrameWidth, kFrameHeight);
    emu::CRenderer_WinGDI renderer;
    ASSERT_TRUE(renderer.SetWindow(window.Get()));
    ASSERT_TRUE(renderer.SetSize(kFrameWidth, kFrameHeight, true));
    FillPattern(renderer);
    renderer.EndFrame(true, 0.0f);
    ASSERT_TRUE(renderer.RequestPresent(false));

    const emu::CRenderer_Windowed::CRect& out = renderer.GetOutputRect();
    EXPECT_EQ(0, out.left);
    EXPECT_EQ(0, out.top);
    EXPECT_EQ(kFrameWidth, out.right);
    EXPECT_EQ(kFrameHeight, out.bottom);
    const std::vector<uint32_t> pixels = window.ReadPixels(kFrameWidth, kFrameHeight);
    int mismatches = 0;
    for (int32_t y = 0; y < kFrameHeight; ++y)
        for (int32_t x = 0; x < kFrameWidth; ++x)
            if (pixels[static_cast<size_t>(y * kFrameWidth + x)] != PatternColour(x, y) && ++mismatches <= 5)
                ADD_FAILURE() << "pixel " << x << "," << y << ": " << std::hex
                              << pixels[static_cast<size_t>(y * kFrameWidth + x)] << " != " << PatternColour(x, y);
    EXPECT_EQ(0, mismatches);
    EXPECT_EQ(PatternColour(5, 7), window.Pixel(5, 7));

    // Nothing changed since: no present.
    renderer.EndFrame(true, 0.0f);
    EXPECT_FALSE(renderer.RequestPresent(false));
}

TEST(CRenderer_WinGDI, WholeMultiplesLeaveBorderBandsInTheBorderColour) {
    CTestWindow window(200, 100);
    emu::CRenderer_WinGDI renderer;
    ASSERT_TRUE(renderer.SetWindow(window.Get()));
    renderer.SetStretchMode(emu::CRenderer::kStretchInteger);
    ASSERT_TRUE(renderer.SetSize(kFrameWidth, kFrameHeight, true));
    renderer.SetBorderColour(0xFF00FF00u);
    FillPattern(renderer);
    renderer.EndFrame(true, 0.0f);
    ASSERT_TRUE(renderer.RequestPresent(false));

    // 64 x 32 three times over in 200 x 100: (4, 2) to (196, 98).
    const emu::CRenderer_Windowed::CRect& out = renderer.GetOutputRect();
    EXPECT_EQ(4, out.left);
    EXPECT_EQ(2, out.top);
    EXPECT_EQ(196, out.right);
    EXPECT_EQ(98, out.bottom);
    const std::vector<uint32_t> pixels = window.ReadPixels(200, 100);
    auto at = [&](int32_t x, int32_t y) { return pixels[static_cast<size_t>(y * 200 + x)]; };
    const uint32_t green = 0x0000FF00u;
    EXPECT_EQ(green, at(0, 50));
    EXPECT_EQ(green, at(3, 50));
    EXPECT_EQ(green, at(199, 50));
    EXPECT_EQ(green, at(100, 0));
    EXPECT_EQ(green, at(100, 99));
    for (int32_t y : {0, 1, 15, 31})
        for (int32_t x : {0, 1, 40, 63})
            EXPECT_EQ(PatternColour(x, y), at(4 + 3 * x + 1, 2 + 3 * y + 1)) << x << "," << y;
    double fx = 0.0, fy = 0.0;
    EXPECT_TRUE(renderer.MapPoint(30, 60, &fx, &fy));
    EXPECT_DOUBLE_EQ(10.0, fx);
    EXPECT_DOUBLE_EQ(20.0, fy);
}

TEST(CRenderer_WinGDI, AspectFittingScalesMapPoint) {
    // (A window as large as the screen would count as full-screen and slow Wine down.)
    CTestWindow window(512, 384);
    emu::CRenderer_WinGDI renderer;
    ASSERT_TRUE(renderer.SetWindow(window.Get()));
    ASSERT_TRUE(renderer.SetSize(256, 128, true));
    renderer.EndFrame(true, 1.5f);
    ASSERT_TRUE(renderer.RequestPresent(true));
    // 256 x Trunc(256 / 1.5) = 256 x 170 doubled: 512 x 340, 22 lines down.
    const emu::CRenderer_Windowed::CRect& out = renderer.GetOutputRect();
    EXPECT_EQ(22, out.top);
    EXPECT_EQ(362, out.bottom);
    double fx = 0.0, fy = 0.0;
    renderer.MapPoint(100, 200, &fx, &fy);
    EXPECT_DOUBLE_EQ(50.0, fx);
    EXPECT_DOUBLE_EQ(100.0, fy);
}

TEST(CRenderer_WinGDI, PresentWithoutPixelsPaintsTheBorderColour) {
    CTestWindow window(48, 24);
    emu::CRenderer_WinGDI renderer;
    ASSERT_TRUE(renderer.SetWindow(window.Get()));
    renderer.SetBorderColour(0xFFFF0000u);
    ASSERT_TRUE(renderer.RequestPresent(true));
    const std::vector<uint32_t> pixels = window.ReadPixels(48, 24);
    for (uint32_t pixel : pixels)
        ASSERT_EQ(0x00FF0000u, pixel);
}

TEST(CRenderer_WinGDI, FrameEndClearsTheChangedBits) {
    CTestWindow window(80, 40);
    emu::CRenderer_WinGDI renderer;
    ASSERT_TRUE(renderer.SetWindow(window.Get()));
    ASSERT_TRUE(renderer.SetSize(kFrameWidth, kFrameHeight, true));
    renderer.RequestPresent(false);
    renderer.MarkLineDrawn(3);
    EXPECT_EQ(emu::CRenderer::kLineDrawn | emu::CRenderer::kLineChanged, renderer.GetLineFlags(3));
    renderer.EndFrame(false, 0.0f);
    EXPECT_EQ(0, renderer.GetChangedLineCount());
    EXPECT_EQ(emu::CRenderer::kLineDrawn, renderer.GetLineFlags(3));
    EXPECT_TRUE(renderer.IsFrameDirty());
}

TEST(CRenderer_WinGDI, DestroyedWindowIsNoticedAtTheNextPresent) {
    CTestWindow window(80, 40);
    emu::CRenderer_WinGDI renderer;
    ASSERT_TRUE(renderer.SetWindow(window.Get()));
    ASSERT_TRUE(renderer.SetSize(kFrameWidth, kFrameHeight, true));
    window.Destroy();
    EXPECT_FALSE(renderer.RequestPresent(true));
    EXPECT_EQ(nullptr, renderer.GetWindow());
    EXPECT_FALSE(renderer.SetSize(32, 32, true));
}

TEST(CRenderer_WinGDI, ResetFreesTheFrameAndKeepsALiveWindow) {
    CTestWindow window(80, 40);
    emu::CRenderer_WinGDI renderer;
    ASSERT_TRUE(renderer.SetWindow(window.Get()));
    ASSERT_TRUE(renderer.SetSize(kFrameWidth, kFrameHeight, true));
    renderer.SetBorderColour(0xFF0000FFu);
    renderer.Reset();
    EXPECT_TRUE(renderer.IsSize(0, 0));
    EXPECT_EQ(nullptr, renderer.GetPixelBuffer());
    EXPECT_EQ(0xFF000000u, renderer.GetBorderColour());
    EXPECT_EQ(window.Get(), renderer.GetWindow());
    EXPECT_TRUE(renderer.RequestPresent(true));

    // Once the window is gone, a reset detaches.
    window.Destroy();
    renderer.Reset();
    EXPECT_EQ(nullptr, renderer.GetWindow());
}

TEST(CRenderer_WinGDI, FitToClientSizesTheSurfaceToTheWindow) {
    CTestWindow window(120, 90);
    emu::CRenderer_WinGDI renderer;
    ASSERT_TRUE(renderer.SetWindow(window.Get()));
    EXPECT_TRUE(renderer.FitToClient());
    EXPECT_TRUE(renderer.IsSize(120, 90));
    EXPECT_TRUE(renderer.IsClientSized());
    EXPECT_FALSE(renderer.FitToClient()); // already that size
}

} // namespace
