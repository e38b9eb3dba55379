#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "common/CIndexedImage_1Bpp.h"
#include "common/CMemoryStream.h"
#include "common/CRgbImage_32Bpp.h"
#include "common/CRgbImage_SurfaceView.h"
#include "common/CSurface.h"

using namespace common;

namespace {

// A renderer-like surface that owns one pixel block and lays its rows out
// top-down or bottom-up, as a DIB section would.
class TestSurface : public CSurface {
public:
    void Build(int32_t width, int32_t height, bool bottomUp, int32_t padWords = 0) {
        const int32_t pitch = width + padWords;
        m_pixels.assign(static_cast<size_t>(pitch) * static_cast<size_t>(height), 0);
        ARGB** rows = new ARGB*[static_cast<size_t>(height)];
        for (int32_t y = 0; y < height; ++y)
            rows[y] = m_pixels.data() + static_cast<size_t>(bottomUp ? height - 1 - y : y) * pitch;
        SetRows(width, height, rows);
    }
    ARGB At(int32_t y, int32_t x) const { return GetRow(y)[x]; }
    const ARGB* Block() const { return m_pixels.data(); }

private:
    std::vector<ARGB> m_pixels;
};

bool AllRows(const TestSurface& s, ARGB value, int32_t except = -1) {
    for (int32_t y = 0; y < s.GetHeight(); ++y)
        for (int32_t x = 0; x < s.GetWidth(); ++x)
            if (y != except && s.At(y, x) != value)
                return false;
    return true;
}

} // namespace

TEST(CSurface, FillCoversOneRowOrEveryRow) {
    TestSurface s;
    s.Build(4, 3, false);
    s.Fill(0xFF112233, -1);
    EXPECT_TRUE(AllRows(s, 0xFF112233));
    s.Fill(0xFFFFFFFF, 1);
    EXPECT_TRUE(AllRows(s, 0xFF112233, 1));
    EXPECT_EQ(s.At(1, 3), 0xFFFFFFFFu);
    s.Fill(0xFF000000, 3); // the height: no row
    EXPECT_EQ(s.At(2, 0), 0xFF112233u);
}

TEST(CSurface, AlphaOperationsChangeOnlyTheAlphaByte) {
    TestSurface s;
    s.Build(2, 2, true);
    s.Fill(0x80ABCDEF, -1);
    s.SetAlpha(true, 0);
    EXPECT_EQ(s.At(0, 1), 0xFFABCDEFu);
    EXPECT_EQ(s.At(1, 1), 0x80ABCDEFu);
    s.SetAlpha(false, -1);
    EXPECT_TRUE(AllRows(s, 0x00ABCDEF));
    s.SetAlphaValue(0x42, 1);
    EXPECT_EQ(s.At(1, 0), 0x42ABCDEFu);
    EXPECT_EQ(s.At(0, 0), 0x00ABCDEFu);
}

TEST(CSurface, OperationsWithoutRowsDoNothing) {
    TestSurface s;
    s.Fill(0xFFFFFFFF, -1);
    s.SetAlpha(true, -1);
    EXPECT_EQ(s.GetRow(0), nullptr);
    s.Build(2, 2, false);
    s.Free();
    EXPECT_EQ(s.GetWidth(), 0);
    EXPECT_EQ(s.GetHeight(), 0);
    EXPECT_EQ(s.GetRow(0), nullptr);
    s.Fill(0xFFFFFFFF, -1);
}

TEST(CSurface, ViewOfTopDownRowsStartsAtRowZero) {
    TestSurface s;
    s.Build(5, 4, false, 3);
    CRgbImage_SurfaceView* view = s.GetImageView();
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(view->GetWidth(), 5);
    EXPECT_EQ(view->GetHeight(), 4);
    EXPECT_EQ(view->GetStride(), 8 * 4);
    EXPECT_EQ(view->GetBase(), reinterpret_cast<const uint8_t*>(s.GetRow(0)));
    EXPECT_EQ(view->GetBits(), reinterpret_cast<const uint8_t*>(s.Block()));
}

TEST(CSurface, ViewOfBottomUpRowsStartsAtTheLastRowWithPositiveStride) {
    TestSurface s;
    s.Build(5, 4, true);
    CRgbImage_SurfaceView* view = s.GetImageView();
    EXPECT_EQ(view->GetStride(), 5 * 4);
    EXPECT_EQ(view->GetBase(), reinterpret_cast<const uint8_t*>(s.GetRow(3)));
    EXPECT_EQ(view->GetBits(), reinterpret_cast<const uint8_t*>(s.Block()));
}

TEST(CSurface, ViewOfOneRowUsesTheWidthAsStride) {
    TestSurface s;
    s.Build(7, 1, false, 1);
    EXPECT_EQ(s.GetImageView()->GetStride(), 7 * 4);
    s.Free();
    CRgbImage_SurfaceView* view = s.GetImageView();
    EXPECT_EQ(view->GetStride(), 0);
    EXPECT_EQ(view->GetBase(), nullptr);
    EXPECT_EQ(view->GetBits(), nullptr);
    EXPECT_EQ(view->GetWidth(), 0);
}

TEST(CSurface, ViewIsOneObjectThatFollowsTheRows) {
    TestSurface s;
    s.Build(2, 2, false);
    CRgbImage_SurfaceView* first = s.GetImageView();
    s.Build(3, 5, true);
    CRgbImage_SurfaceView* second = s.GetImageView();
    EXPECT_EQ(first, second);
    EXPECT_EQ(second->GetWidth(), 3);
    EXPECT_EQ(second->GetHeight(), 5);
}

TEST(CSurface, DrawingIntoTheViewDrawsIntoTheSurface) {
    TestSurface s;
    s.Build(3, 2, true);
    CRgbImage_SurfaceView* view = s.GetImageView();
    view->SetPixel(1, 2, 0xFF0000FF);
    EXPECT_EQ(s.At(1, 2), 0xFF0000FFu);
    view->SetPixelARGB(0, 0, 0x12345678);
    ARGB argb = 0;
    view->GetPixelARGB(0, 0, argb);
    EXPECT_EQ(argb, 0x12345678u);
    EXPECT_EQ(view->GetRowARGB(1), s.GetRow(1));
    EXPECT_EQ(view->GetRow(1), reinterpret_cast<uint8_t*>(s.GetRow(1)));

    view->GetPalette()[9] = 0xFF999999;
    const uint8_t indices[] = {9, 0, 9};
    view->SetRowFromIndices(0, indices);
    EXPECT_EQ(s.At(0, 0), 0xFF999999u);
    EXPECT_EQ(s.At(0, 1), kOpaqueBlack);
    EXPECT_EQ(s.At(0, 2), 0xFF999999u);
}

TEST(CSurface, ViewCannotAllocateLoadSaveOrClone) {
    TestSurface s;
    s.Build(2, 2, false);
    CRgbImage_SurfaceView* view = s.GetImageView();
    CMemoryStream stream;
    ASSERT_TRUE(stream.Create(64, -1));
    EXPECT_FALSE(view->Allocate(4, 4));
    EXPECT_FALSE(view->LoadRows(stream));
    EXPECT_FALSE(view->SaveRows(stream));
    EXPECT_EQ(view->CreateEmpty(), nullptr);
    EXPECT_EQ(view->Clone(true), nullptr);
    EXPECT_FALSE(view->GetViewFlag());
    EXPECT_EQ(view->GetBitsPerPixel(), 32);
    EXPECT_EQ(view->GetWidth(), 2);
}

TEST(CSurface, StaleViewStaysInsideTheCurrentRows) {
    TestSurface s;
    s.Build(4, 4, false);
    CRgbImage_SurfaceView* view = s.GetImageView();
    s.Build(2, 2, false); // the view still believes 4 x 4 until asked again
    view->SetPixel(3, 3, 1);
    view->SetPixel(1, 3, 1);
    EXPECT_EQ(view->GetPixel(3, 3), 0u);
    EXPECT_EQ(view->GetRow(3), nullptr);
    EXPECT_TRUE(AllRows(s, 0));
    s.Free();
    EXPECT_EQ(view->GetRowARGB(0), nullptr);
    EXPECT_EQ(view->GetBits(), nullptr);
}

TEST(CSurface, ViewConvertsIntoAndMasksLikeAnyImage) {
    TestSurface s;
    s.Build(3, 2, true);
    s.Fill(0xFF00FF00, -1);
    s.GetRow(1)[1] = 0xFFFF0000;
    CRgbImage_SurfaceView* view = s.GetImageView();
    CRgbImage_32Bpp copy;
    ASSERT_TRUE(view->ConvertToARGB(copy));
    EXPECT_EQ(copy.GetPixel(1, 1), 0xFFFF0000u);
    const ARGB green = 0xFF00FF00;
    std::unique_ptr<CImage> mask(view->CreateMask(&green));
    ASSERT_TRUE(mask);
    EXPECT_EQ(mask->GetPixel(1, 1), 1u);
    EXPECT_EQ(mask->GetPixel(1, 0), 0u);

    CRgbImage_32Bpp source;
    ASSERT_TRUE(source.Allocate(3, 2));
    EXPECT_FALSE(source.ConvertToARGB(*view)); // the view cannot be resized
}
