// The OpenGL renderer in a real window. The test machine's display offers a
// usable OpenGL (software Mesa under Wine on Xvfb); a window whose pixel
// format is already taken makes the renderer fall back to GDI.
//
// The windows are top-level ones: Wine 8.0 on the test machine's Xvfb draws a
// child window's OpenGL into an offscreen X window whose contents never reach
// the screen (a top-level window shows them), so a child-window case, like the
// program's emulation screen, cannot pass there.
#include "HostWindowTestSupport.h"

#include <GL/gl.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "emu/host/CRenderer_OpenGL.h"

namespace {

constexpr int32_t kWidth = 64;
constexpr int32_t kHeight = 32;

// OpenGL output reaches the window through the X server, so these windows
// keep to the lower right of the 1024 x 768 test screen, away from the others.
constexpr int32_t kWindowX = 800;
constexpr int32_t kWindowY = 640;

// A window there; GL drawing is finished before anything is read back.
class CGlWindow : public hosttest::CTestWindow {
public:
    CGlWindow(int32_t width, int32_t height) : CTestWindow(width, height, kWindowX, kWindowY) {}
    std::vector<uint32_t> ReadFinishedPixels(int32_t width, int32_t height) const {
        glFinish();
        return ReadPixels(width, height);
    }
};

constexpr const char* kNoOpenGL =
    "no usable OpenGL on this display (pixel format, context, GL_ARB_texture_non_power_of_two, GL_EXT_bgra, texture "
    "size or a swap interval of 0 missing): install the 32-bit Mesa drivers (scripts/install-deps.sh)";

// A window keeps the first pixel format set on it: giving it a single-buffered
// one leaves the renderer's double-buffered format refused.
bool TakePixelFormatOtherThanTheRenderers(HWND window) {
    HDC dc = GetDC(window);
    PIXELFORMATDESCRIPTOR format = {};
    const int count = DescribePixelFormat(dc, 1, sizeof(format), &format);
    bool taken = false;
    for (int index = 1; index <= count && !taken; ++index)
        if (DescribePixelFormat(dc, index, sizeof(format), &format) != 0 && (format.dwFlags & PFD_DOUBLEBUFFER) == 0 &&
            (format.dwFlags & PFD_DRAW_TO_WINDOW) != 0)
            taken = SetPixelFormat(dc, index, &format) != FALSE;
    ReleaseDC(window, dc);
    return taken;
}

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

TEST(CRenderer_OpenGL, NamesItselfOpenGLInEitherMode) {
    CGlWindow window(kWidth, kHeight);
    emu::CRenderer_OpenGL renderer;
    EXPECT_STREQ("OpenGL", renderer.GetName());
    ASSERT_TRUE(renderer.SetWindow(window.Get()));
    EXPECT_STREQ("OpenGL", renderer.GetName());
    EXPECT_NE(renderer.IsGdiFallback(), renderer.HasGlContext());
    std::unique_ptr<emu::CRenderer> copy(renderer.CreateInstance());
    ASSERT_NE(nullptr, copy);
    EXPECT_STREQ("OpenGL", copy->GetName());
}

TEST(CRenderer_OpenGL, InitialisesOpenGLAndPresentsAFrame) {
    CGlWindow window(kWidth, kHeight);
    emu::CRenderer_OpenGL renderer;
    ASSERT_TRUE(renderer.SetWindow(window.Get()));
    ASSERT_FALSE(renderer.IsGdiFallback()) << kNoOpenGL;
    EXPECT_FALSE(renderer.IsVSync(false));
    ASSERT_TRUE(renderer.SetSize(kWidth, kHeight, true));
    FillPattern(renderer);
    renderer.EndFrame(true, 0.0f);
    ASSERT_TRUE(renderer.RequestPresent(false));
    // OpenGL keeps the 1.0 scale factors.
    double fx = 0.0, fy = 0.0;
    renderer.MapPoint(10, 20, &fx, &fy);
    EXPECT_EQ(10.0, fx);
    EXPECT_EQ(20.0, fy);

    // The window shows the frame, row 0 at the top.
    const std::vector<uint32_t> pixels = window.ReadFinishedPixels(kWidth, kHeight);
    int mismatches = 0;
    for (int32_t y = 0; y < kHeight; ++y)
        for (int32_t x = 0; x < kWidth; ++x) {
            const uint32_t got = pixels[static_cast<size_t>(y * kWidth + x)];
            if (got != PatternColour(x, y) && ++mismatches <= 5)
                ADD_FAILURE() << "pixel " << x << "," << y << ": " << std::hex << got << " != " << PatternColour(x, y);
        }
    EXPECT_EQ(0, mismatches);
}

TEST(CRenderer_OpenGL, ZoomsTheFrameOntoTheOutputRectangleInsideTheBorder) {
    CGlWindow window(200, 100);
    emu::CRenderer_OpenGL renderer;
    ASSERT_TRUE(renderer.SetWindow(window.Get()));
    ASSERT_FALSE(renderer.IsGdiFallback()) << kNoOpenGL;
    renderer.SetStretchMode(emu::CRenderer::kStretchInteger);
    ASSERT_TRUE(renderer.SetSize(kWidth, kHeight, true));
    renderer.SetBorderColour(0xFF00FF00u);
    FillPattern(renderer);
    renderer.EndFrame(true, 0.0f);
    ASSERT_TRUE(renderer.RequestPresent(false));
    // Three times over: (4, 2) to (196, 98), green around it.
    const std::vector<uint32_t> pixels = window.ReadFinishedPixels(200, 100);
    auto at = [&](int32_t x, int32_t y) { return pixels[static_cast<size_t>(y * 200 + x)]; };
    EXPECT_EQ(0x0000FF00u, at(2, 50));
    EXPECT_EQ(0x0000FF00u, at(198, 50));
    EXPECT_EQ(0x0000FF00u, at(100, 0));
    EXPECT_EQ(0x0000FF00u, at(100, 99));
    for (int32_t y : {0, 1, 15, 31})
        for (int32_t x : {0, 1, 40, 63})
            EXPECT_EQ(PatternColour(x, y), at(4 + 3 * x + 1, 2 + 3 * y + 1)) << x << "," << y;
}

TEST(CRenderer_OpenGL, FallbackDrawsAsTheGdiRenderer) {
    CGlWindow window(kWidth, kHeight);
    ASSERT_TRUE(TakePixelFormatOtherThanTheRenderers(window.Get()));
    emu::CRenderer_OpenGL renderer;
    ASSERT_TRUE(renderer.SetWindow(window.Get()));
    ASSERT_TRUE(renderer.IsGdiFallback());
    EXPECT_TRUE(renderer.IsVSync(false) || !renderer.HasGlContext());
    ASSERT_TRUE(renderer.SetSize(kWidth, kHeight, true));
    FillPattern(renderer);
    renderer.EndFrame(true, 0.0f);
    ASSERT_TRUE(renderer.RequestPresent(false));
    const std::vector<uint32_t> pixels = window.ReadFinishedPixels(kWidth, kHeight);
    for (int32_t y = 0; y < kHeight; y += 7)
        for (int32_t x = 0; x < kWidth; x += 9)
            EXPECT_EQ(PatternColour(x, y), pixels[static_cast<size_t>(y * kWidth + x)]) << x << "," << y;
    // Closing clears the fallback: the next attachment tries OpenGL again.
    ASSERT_TRUE(renderer.SetWindow(nullptr));
    EXPECT_FALSE(renderer.IsGdiFallback());
}

TEST(CRenderer_OpenGL, DestroyedWindowIsNoticedAtTheNextPresent) {
    CGlWindow window(kWidth, kHeight);
    emu::CRenderer_OpenGL renderer;
    ASSERT_TRUE(renderer.SetWindow(window.Get()));
    ASSERT_TRUE(renderer.SetSize(kWidth, kHeight, true));
    window.Destroy();
    EXPECT_FALSE(renderer.RequestPresent(true));
    EXPECT_EQ(nullptr, renderer.GetWindow());
    EXPECT_FALSE(renderer.HasGlContext());
}

} // namespace
