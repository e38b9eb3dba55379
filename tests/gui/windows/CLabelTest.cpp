// The Win32 label: a windowless control that draws its text with its own or
// its parent's font, embossed when disabled.
#include "gui/windows/CLabel.h"

#include "gui/windows/CPainter.h"
#include "tests/gui/windows/ControlTestSupport.h"

namespace {

class Win32LabelTest : public guitest::ControlFixture {};

TEST_F(Win32LabelTest, EmptyTextPaintsNothing) {
    gui::Windows::CLabel label(0, 0, 60, 20, common::CWideString(u""), 0, true);
    gui::Windows::CDcPainter painter(m_frame->GetWindowHandle(), m_dc);
    ASSERT_TRUE(painter.Begin());
    EXPECT_FALSE(label.Paint(&painter, gui::CRect(0, 0, 59, 19), gui::CRect(0, 0, 59, 19), nullptr));
    painter.End();
}

TEST_F(Win32LabelTest, DisabledTextIsEmbossed) {
    gui::Windows::CLabel label(0, 0, 60, 20, common::CWideString(u"WWW"), 0, true);
    label.GetFont().Set(gui::CFontInterface::kFamilyArial, 14, gui::CColor::FromArgb(0xFF000000));
    ASSERT_TRUE(m_frame->AddChild(&label));
    ASSERT_TRUE(label.Create());
    EXPECT_TRUE(label.IsWindowless());
    gui::Windows::CDcPainter painter(m_frame->GetWindowHandle(), m_dc);
    ASSERT_TRUE(painter.Begin());
    label.SetTextAlignment(3);
    EXPECT_TRUE(label.Paint(&painter, gui::CRect(0, 0, 59, 19), gui::CRect(0, 0, 59, 19), nullptr));
    painter.End();
    EXPECT_GT(Count(RGB(0, 0, 0), 0, 0, 60, 20), 0);
    Clear();
    label.SetEnabled(false);
    painter.SetWindowAndDc(m_frame->GetWindowHandle(), m_dc); // End forgot the given DC
    ASSERT_TRUE(painter.Begin());
    EXPECT_TRUE(label.Paint(&painter, gui::CRect(0, 0, 59, 19), gui::CRect(0, 0, 59, 19), nullptr));
    painter.End();
    EXPECT_EQ(Count(RGB(0, 0, 0), 0, 0, 60, 20), 0);
    // Grey text (smoothed edges may blend it with the background).
    EXPECT_GT(Count(RGB(255, 255, 255), 0, 0, 60, 20), 0);
    EXPECT_LT(Count(RGB(255, 255, 255), 0, 0, 60, 20), 60 * 20);
    m_frame->RemoveChild(&label);
    label.Destroy();
}

TEST_F(Win32LabelTest, UnchangedFontIsTheParents) {
    gui::Windows::CLabel label(0, 0, 60, 20, common::CWideString(u"A"), 0, true);
    ASSERT_TRUE(m_frame->AddChild(&label));
    m_frame->GetFont().SetSize(12);
    EXPECT_EQ(label.GetPaintFont(), &m_frame->GetFont());
    label.GetFont().SetSize(9);
    EXPECT_EQ(label.GetPaintFont(), &label.GetFont());
    m_frame->RemoveChild(&label);
}

} // namespace
