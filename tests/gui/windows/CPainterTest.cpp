// The GDI painter, its fonts, pens and brushes: drawing read back pixel by
// pixel from a memory DC, object selection and the sharing of GDI handles.
#include "gui/windows/CPainter.h"

#include <gtest/gtest.h>

#include "common/CIndexedImage_1Bpp.h"
#include "common/CRgbImage_32Bpp.h"
#include "gui/windows/CBrush.h"
#include "gui/windows/CFont.h"
#include "gui/windows/CPen.h"
#include "tests/gui/windows/Win32TestSupport.h"

namespace {

constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr COLORREF kGreen = RGB(0, 255, 0);
constexpr COLORREF kBlue = RGB(0, 0, 255);

class PainterTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_window = guitest::MakeTopWindow(nullptr, 0, 0, 120, 120);
        ASSERT_NE(m_window, nullptr);
        HDC screen = GetDC(nullptr);
        m_dc = CreateCompatibleDC(screen);
        m_bitmap = CreateCompatibleBitmap(screen, 64, 64);
        ReleaseDC(nullptr, screen);
        ASSERT_NE(m_dc, nullptr);
        ASSERT_NE(m_bitmap, nullptr);
        m_previous = SelectObject(m_dc, m_bitmap);
        RECT all = {0, 0, 64, 64};
        FillRect(m_dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    }
    void TearDown() override {
        SelectObject(m_dc, m_previous);
        DeleteObject(m_bitmap);
        DeleteDC(m_dc);
        DestroyWindow(m_window);
    }
    COLORREF At(int x, int y) const { return GetPixel(m_dc, x, y); }

    HWND m_window = nullptr;
    HDC m_dc = nullptr;
    HBITMAP m_bitmap = nullptr;
    HGDIOBJ m_previous = nullptr;
};

TEST_F(PainterTest, RectangleCoversRightAndBottomEdges) {
    gui::Windows::CDcPainter painter(m_window, m_dc);
    painter.GetPen()->Set(gui::CColor::FromArgb(0xFFFF0000), 1, gui::CPenInterface::kStyleSolid,
                          gui::CPenInterface::kModeCopy);
    painter.GetBrush()->SetSolidColor(gui::CColor::FromArgb(0xFF00FF00));
    ASSERT_TRUE(painter.Begin());
    EXPECT_TRUE(painter.Rectangle(0, 0, 9, 9));
    painter.End();
    EXPECT_EQ(At(0, 0), kRed);
    EXPECT_EQ(At(9, 9), kRed);
    EXPECT_EQ(At(5, 5), kGreen);
    EXPECT_EQ(At(10, 10), kWhite);
    EXPECT_EQ(At(10, 5), kWhite);
}

TEST_F(PainterTest, FillRectNeedsABrushAndIsInclusive) {
    gui::Windows::CDcPainter painter(m_window, m_dc);
    ASSERT_TRUE(painter.Begin());
    EXPECT_FALSE(painter.FillRect(0, 0, 3, 3));
    painter.GetBrush()->SetSolidColor(gui::CColor::FromArgb(0xFF0000FF));
    EXPECT_TRUE(painter.FillRect(2, 2, 4, 4));
    painter.End();
    EXPECT_EQ(At(2, 2), kBlue);
    EXPECT_EQ(At(4, 4), kBlue);
    EXPECT_EQ(At(5, 5), kWhite);
    EXPECT_EQ(At(1, 1), kWhite);
}

TEST_F(PainterTest, OutlineRectDrawsEdgesAndKeepsThePosition) {
    gui::Windows::CDcPainter painter(m_window, m_dc);
    painter.GetPen()->SetColor(gui::CColor::FromArgb(0xFFFF0000));
    ASSERT_TRUE(painter.Begin());
    ASSERT_TRUE(painter.MoveTo(30, 31));
    EXPECT_TRUE(painter.OutlineRect(0, 0, 9, 9));
    POINT position = {};
    GetCurrentPositionEx(m_dc, &position);
    painter.End();
    EXPECT_EQ(position.x, 30);
    EXPECT_EQ(position.y, 31);
    for (int i = 0; i <= 9; ++i) {
        EXPECT_EQ(At(i, 0), kRed) << i;
        EXPECT_EQ(At(9, i), kRed) << i;
        EXPECT_EQ(At(i, 9), kRed) << i;
        EXPECT_EQ(At(0, i), kRed) << i;
    }
    EXPECT_EQ(At(5, 5), kWhite);
}

TEST_F(PainterTest, PolylineAndXorMode) {
    gui::Windows::CDcPainter painter(m_window, m_dc);
    painter.GetPen()->Set(gui::CColor::FromArgb(0xFFFFFFFF), 0, gui::CPenInterface::kStyleSolid,
                          gui::CPenInterface::kModeXor);
    ASSERT_TRUE(painter.Begin());
    const gui::CPoint points[] = {{0, 20}, {10, 20}, {10, 30}};
    EXPECT_FALSE(painter.Polyline(points, 0));
    EXPECT_TRUE(painter.Polyline(points, 3));
    painter.End();
    // White xor white is black; the pen of width 0 draws one pixel wide.
    EXPECT_EQ(At(5, 20), RGB(0, 0, 0));
    EXPECT_EQ(At(5, 21), kWhite);
    EXPECT_EQ(At(10, 25), RGB(0, 0, 0));
    EXPECT_EQ(GetROP2(m_dc), R2_COPYPEN);
}

TEST_F(PainterTest, PenOfUnknownStyleIsNeverSelected) {
    gui::Windows::CDcPainter painter(m_window, m_dc);
    gui::Windows::CPen* pen = static_cast<gui::Windows::CPen*>(painter.GetPen());
    pen->SetStyle(3);
    ASSERT_TRUE(painter.Begin());
    EXPECT_EQ(pen->GetHandle(), nullptr);
    painter.End();
}

TEST_F(PainterTest, FontColourChangeKeepsTheHandleAndNoneRestoresTheSavedColour) {
    SetTextColor(m_dc, RGB(1, 2, 3));
    gui::Windows::CDcPainter painter(m_window, m_dc);
    gui::CFontInterface* font = painter.GetFont();
    font->SetFamilyAndSize(gui::CFontInterface::kFamilyArial, 12);
    ASSERT_TRUE(painter.Begin());
    HFONT handle = static_cast<gui::Windows::CFont*>(font)->GetHandle();
    ASSERT_NE(handle, nullptr);
    EXPECT_EQ(GetCurrentObject(m_dc, OBJ_FONT), handle);
    font->SetColor(gui::CColor::FromArgb(0xFF102030));
    EXPECT_EQ(GetTextColor(m_dc), RGB(0x10, 0x20, 0x30));
    EXPECT_EQ(static_cast<gui::Windows::CFont*>(font)->GetHandle(), handle);
    font->SetColor(gui::CColor());
    EXPECT_EQ(GetTextColor(m_dc), RGB(1, 2, 3));
    painter.End();
}

TEST_F(PainterTest, FontSizeChangeSelectsANewHandleAndFreesTheOld) {
    gui::Windows::CDcPainter painter(m_window, m_dc);
    gui::CFontInterface* font = painter.GetFont();
    font->SetSize(10);
    ASSERT_TRUE(painter.Begin());
    HFONT old = static_cast<gui::Windows::CFont*>(font)->GetHandle();
    ASSERT_NE(old, nullptr);
    font->SetSize(20);
    HFONT now = static_cast<gui::Windows::CFont*>(font)->GetHandle();
    EXPECT_NE(now, nullptr);
    EXPECT_EQ(GetCurrentObject(m_dc, OBJ_FONT), now);
    EXPECT_EQ(GetObjectType(old), 0u);
    EXPECT_EQ(static_cast<gui::Windows::CFont*>(font)->GetUseCount(), 1);
    painter.End();
    EXPECT_EQ(static_cast<gui::Windows::CFont*>(font)->GetUseCount(), 0);
    // Nobody uses it now: the next change deletes the handle and tells nobody.
    font->SetSize(30);
    EXPECT_EQ(static_cast<gui::Windows::CFont*>(font)->GetHandle(), nullptr);
    EXPECT_EQ(GetObjectType(now), 0u);
}

TEST(FontHandleSharing, StaleHandleLivesUntilTheLastUserLetsGo) {
    gui::Windows::CFont font;
    font.SetSize(10);
    HFONT first = font.Acquire();
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(font.Acquire(), first);
    font.SetSize(11); // two users: kept pending
    EXPECT_EQ(font.GetHandle(), first);
    font.Release();
    EXPECT_NE(GetObjectType(first), 0u);
    font.Release();
    EXPECT_EQ(font.GetHandle(), nullptr);
    EXPECT_EQ(GetObjectType(first), 0u);
}

TEST(TextAlignment, FlagsByAlignmentCode) {
    struct Row {
        int32_t alignment;
        UINT flags;
    };
    const Row rows[] = {
        {0, DT_CENTER | DT_VCENTER},
        {1, DT_LEFT | DT_VCENTER},
        {2, DT_CENTER | DT_TOP},
        {3, DT_LEFT | DT_TOP},
        {4, DT_RIGHT | DT_VCENTER},
        {5, DT_LEFT | DT_TOP},
        {6, DT_RIGHT | DT_TOP},
        {7, DT_LEFT | DT_TOP},
        {8, DT_CENTER | DT_BOTTOM},
        {9, DT_LEFT | DT_BOTTOM},
        {10, DT_LEFT | DT_TOP},
        {11, DT_LEFT | DT_TOP},
        {12, DT_RIGHT | DT_BOTTOM},
        {13, 0},
        {99, 0},
    };
    for (const Row& row : rows)
        EXPECT_EQ(gui::Windows::CPainter::TextFlagsOf(row.alignment), row.flags | DT_SINGLELINE) << row.alignment;
}

TEST_F(PainterTest, TextIsDrawnAndMeasured) {
    gui::Windows::CDcPainter painter(m_window, m_dc);
    painter.GetFont()->Set(gui::CFontInterface::kFamilyArial, 12, gui::CColor::FromArgb(0xFF000000));
    ASSERT_TRUE(painter.Begin());
    int32_t width = -1;
    int32_t height = -1;
    EXPECT_TRUE(painter.GetTextExtent(common::CWideString(u""), &width, &height));
    EXPECT_EQ(width, 0);
    EXPECT_EQ(height, 0);
    EXPECT_TRUE(painter.GetTextExtent(common::CWideString(u"WW"), &width, &height));
    EXPECT_GT(width, 0);
    EXPECT_GT(height, 0);
    EXPECT_GT(painter.DrawTextFlags(common::CWideString(u"WW"), 0, 0, 63, 63, 3), 0);
    painter.End();
    int dark = 0;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            dark += At(x, y) != kWhite ? 1 : 0;
    EXPECT_GT(dark, 0);
}

TEST_F(PainterTest, GivenDcIsNotReleasedAtEnd) {
    {
        gui::Windows::CDcPainter painter(m_window, m_dc);
        ASSERT_TRUE(painter.Begin());
        painter.End();
        EXPECT_EQ(painter.GetDeviceContext(), nullptr);
    }
    EXPECT_EQ(GetObjectType(m_dc), static_cast<DWORD>(OBJ_MEMDC));
}

TEST_F(PainterTest, WindowPainterTakesAndReleasesTheWindowDc) {
    gui::Windows::CPainter painter;
    EXPECT_FALSE(painter.Begin());
    painter.SetWindow(m_window);
    ASSERT_TRUE(painter.Begin());
    EXPECT_NE(painter.GetDeviceContext(), nullptr);
    EXPECT_TRUE(painter.IsPainting());
    painter.End();
    EXPECT_FALSE(painter.IsPainting());
    EXPECT_EQ(painter.GetDeviceContext(), nullptr);
}

// A 4 x 2 image: top row red, bottom row blue; the colour key is the blue.
common::CRgbImage_32Bpp* TwoRowImage() {
    common::CRgbImage_32Bpp* image = new common::CRgbImage_32Bpp();
    EXPECT_TRUE(image->Allocate(4, 2));
    for (int x = 0; x < 4; ++x) {
        image->SetPixelARGB(0, x, 0xFFFF0000);
        image->SetPixelARGB(1, x, 0xFF0000FF);
    }
    return image;
}

TEST_F(PainterTest, DrawImageCopiesSourcePartToTarget) {
    common::CRgbImage_32Bpp* image = TwoRowImage();
    gui::Windows::CDcPainter painter(m_window, m_dc);
    ASSERT_TRUE(painter.Begin());
    const gui::CRect whole(0, 0, 3, 1);
    EXPECT_TRUE(painter.DrawImage(image, nullptr, &whole, nullptr));
    const gui::CRect topRow(3, 0, 0, 0); // reversed edges are swapped
    const gui::CRect target(13, 10, 10, 10);
    EXPECT_TRUE(painter.DrawImage(image, &topRow, &target, nullptr));
    const gui::CRect outside(4, 0, 6, 1);
    const gui::CRect elsewhere(20, 20, 23, 21);
    EXPECT_TRUE(painter.DrawImage(image, &outside, &elsewhere, nullptr));
    painter.End();
    EXPECT_EQ(At(0, 0), kRed);
    EXPECT_EQ(At(3, 1), kBlue);
    EXPECT_EQ(At(4, 0), kWhite);
    EXPECT_EQ(At(10, 10), kRed);
    EXPECT_EQ(At(13, 10), kRed);
    EXPECT_EQ(At(10, 11), kWhite);
    EXPECT_EQ(At(20, 20), kWhite);
    delete image;
}

TEST_F(PainterTest, DrawImageThroughMaskKeepsTransparentPixels) {
    common::CRgbImage_32Bpp* image = TwoRowImage();
    image->SetColourKey(0xFF0000FF);
    common::CImage* mask = image->CreateMask(nullptr);
    ASSERT_NE(mask, nullptr);
    gui::Windows::CDcPainter painter(m_window, m_dc);
    ASSERT_TRUE(painter.Begin());
    const gui::CRect target(0, 0, 3, 1);
    EXPECT_TRUE(painter.DrawImage(image, nullptr, &target, mask));
    painter.End();
    EXPECT_EQ(At(1, 0), kRed);
    EXPECT_EQ(At(1, 1), kWhite);
    delete mask;
    delete image;
}

} // namespace
