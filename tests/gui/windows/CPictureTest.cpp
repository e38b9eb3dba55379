// The Win32 picture: created as a child window, its current image drawn
// centred through the colour-key mask on the button face.
#include "gui/windows/CPicture.h"

#include "common/CRgbImage_32Bpp.h"
#include "gui/windows/CPainter.h"
#include "tests/gui/windows/ControlTestSupport.h"

namespace {

class Win32PictureTest : public guitest::ControlFixture {};

common::CRgbImage_32Bpp* Square(uint32_t argb, bool magentaCorner) {
    common::CRgbImage_32Bpp* image = new common::CRgbImage_32Bpp();
    EXPECT_TRUE(image->Allocate(16, 16));
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x)
            image->SetPixelARGB(y, x, magentaCorner && x < 4 && y < 4 ? 0xFFFF00FF : argb);
    if (magentaCorner)
        image->SetColourKey(0xFFFF00FF);
    return image;
}

TEST_F(Win32PictureTest, ImageIsCentredAndOnlyItsRectangleIsDrawn) {
    gui::Windows::CPicture picture(0, 0, 21, 21, Square(0xFF0000FF, true), 0, true);
    EXPECT_FALSE(picture.Create()); // no parent yet
    ASSERT_TRUE(m_frame->AddChild(&picture));
    ASSERT_TRUE(picture.Create());
    EXPECT_NE(picture.GetWindowHandle(), nullptr);
    gui::Windows::CDcPainter painter(picture.GetWindowHandle(), m_dc);
    ASSERT_TRUE(painter.Begin());
    EXPECT_TRUE(picture.Paint(&painter, gui::CRect(0, 0, 20, 20), gui::CRect(0, 0, 20, 20), nullptr));
    gui::CRect measure;
    EXPECT_FALSE(picture.Paint(&painter, gui::CRect(0, 0, 20, 20), gui::CRect(0, 0, 20, 20), &measure));
    painter.End();
    EXPECT_EQ(At(17, 17), RGB(0, 0, 255));
    EXPECT_EQ(At(6, 6), RGB(0, 0, 255));
    EXPECT_EQ(At(2, 2), GetSysColor(COLOR_BTNFACE)); // the magenta corner shows the face
    EXPECT_EQ(At(1, 1), RGB(255, 255, 255));
    EXPECT_EQ(At(18, 18), RGB(255, 255, 255));
    m_frame->RemoveChild(&picture);
    picture.Destroy();
}

TEST_F(Win32PictureTest, NoValidCurrentImagePaintsNothing) {
    gui::Windows::CPicture picture(0, 0, 21, 21, nullptr, 0, true);
    picture.AddImage(Square(0xFF00FF00, false));
    picture.AddImage(Square(0xFFFF0000, false));
    gui::Windows::CDcPainter painter(m_frame->GetWindowHandle(), m_dc);
    ASSERT_TRUE(painter.Begin());
    EXPECT_FALSE(picture.SetCurrentImage(5));
    EXPECT_FALSE(picture.Paint(&painter, gui::CRect(0, 0, 20, 20), gui::CRect(0, 0, 20, 20), nullptr));
    EXPECT_EQ(At(10, 10), RGB(255, 255, 255));
    EXPECT_TRUE(picture.SetCurrentImage(1));
    EXPECT_TRUE(picture.Paint(&painter, gui::CRect(0, 0, 20, 20), gui::CRect(0, 0, 20, 20), nullptr));
    painter.End();
    EXPECT_EQ(At(10, 10), RGB(255, 0, 0));
}

} // namespace
