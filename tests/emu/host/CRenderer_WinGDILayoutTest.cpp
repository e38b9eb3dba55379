// Where the GDI and OpenGL renderers put the frame in the window: fitting with
// the aspect factor, or scaling in whole multiples.
#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

#include "emu/host/CRenderer_WinGDI.h"

namespace {

typedef emu::CRenderer_Windowed::CRect CRect;

CRect Rect(int32_t left, int32_t top, int32_t right, int32_t bottom) {
    CRect rect;
    rect.left = left;
    rect.top = top;
    rect.right = right;
    rect.bottom = bottom;
    return rect;
}

struct CLayoutCase {
    const char* what;
    CRect client;
    int32_t width, height;
    float aspect;
    int32_t mode;
    CRect expected;
    double scaleX, scaleY;
};

TEST(CRenderer_WinGDILayout, PlacesTheFrameAsDescribed) {
    const CLayoutCase cases[] = {
        {"fit 1.5 letterbox", Rect(0, 0, 1024, 768), 512, 256, 1.5f, 0, Rect(0, 43, 1024, 725), 0.5, 0.5},
        {"whole multiples", Rect(0, 0, 1100, 900), 512, 256, 1.5f, 1, Rect(38, 194, 1062, 706), 0.5, 0.5},
        {"too large for whole multiples", Rect(0, 0, 400, 300), 512, 256, 0.0f, 1, Rect(0, 50, 400, 250), 512.0 / 400,
         256.0 / 200},
        {"exact cover", Rect(0, 0, 512, 256), 512, 256, 0.0f, 0, Rect(0, 0, 512, 256), 1.0, 1.0},
        {"pillarbox", Rect(0, 0, 1024, 256), 512, 256, 0.0f, 0, Rect(256, 0, 768, 256), 1.0, 1.0},
        {"portrait frame widens", Rect(0, 0, 400, 400), 100, 200, 2.0f, 0, Rect(0, 100, 400, 300), 1.0, 1.0},
        {"aspect in whole lines", Rect(0, 0, 1000, 900), 320, 200, 0.8f, 1, Rect(180, 50, 820, 850), 0.5, 0.5},
        {"aspect multiple overshoots", Rect(0, 0, 330, 300), 320, 200, 0.8f, 1, Rect(5, 50, 325, 250), 1.0, 1.0},
        {"client away from the origin", Rect(10, 20, 522, 276), 512, 256, 0.0f, 0, Rect(10, 20, 522, 276), 1.0, 1.0},
    };
    for (const CLayoutCase& c : cases) {
        CRect out;
        double scaleX = 0.0, scaleY = 0.0;
        emu::CRenderer_WinGDI::CalculateOutputRect(c.client, c.width, c.height, c.aspect, c.mode, &out, &scaleX,
                                                   &scaleY);
        EXPECT_EQ(c.expected.left, out.left) << c.what;
        EXPECT_EQ(c.expected.top, out.top) << c.what;
        EXPECT_EQ(c.expected.right, out.right) << c.what;
        EXPECT_EQ(c.expected.bottom, out.bottom) << c.what;
        EXPECT_DOUBLE_EQ(c.scaleX, scaleX) << c.what;
        EXPECT_DOUBLE_EQ(c.scaleY, scaleY) << c.what;
    }
}

TEST(CRenderer_WinGDILayout, EmptyFrameKeepsTheClientRectangle) {
    CRect out;
    double scaleX = 0.0, scaleY = 0.0;
    emu::CRenderer_WinGDI::CalculateOutputRect(Rect(0, 0, 640, 480), 0, 256, 1.5f, 0, &out, &scaleX, &scaleY);
    EXPECT_EQ(640, out.right);
    EXPECT_EQ(480, out.bottom);
    EXPECT_EQ(1.0, scaleX);
    EXPECT_EQ(1.0, scaleY);
}

// Such factors never come from the video; the arithmetic must still stay
// defined (the sanitizers watch) and give an ordered rectangle.
TEST(CRenderer_WinGDILayout, AbsurdAspectFactorsGiveAnOrderedRectangle) {
    const float aspects[] = {1e30f, 1e-30f, std::numeric_limits<float>::infinity(),
                             std::numeric_limits<float>::quiet_NaN(), -2.0f};
    for (float aspect : aspects) {
        for (int32_t mode = 0; mode < 2; ++mode) {
            for (int32_t height : {100, 300}) {
                CRect out;
                double scaleX = 0.0, scaleY = 0.0;
                emu::CRenderer_WinGDI::CalculateOutputRect(Rect(0, 0, 640, 480), 200, height, aspect, mode, &out,
                                                           &scaleX, &scaleY);
                EXPECT_LE(out.left, out.right) << aspect;
                EXPECT_LE(out.top, out.bottom) << aspect;
            }
        }
    }
}

} // namespace
