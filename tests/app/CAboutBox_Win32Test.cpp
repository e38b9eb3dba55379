#include <memory>

#include <gtest/gtest.h>

#include "app/CAboutBox.h"
#include "app/LanguageSwitch.h"
#include "common/CLocale.h"
#include "gui/windows/CButton.h"
#include "gui/windows/CDialog.h"
#include "gui/windows/CLabel.h"
#include "gui/windows/CPanel.h"

namespace {

using common::CLocale;
using common::WideText;

class AboutBoxTest : public ::testing::Test {
protected:
    void SetUp() override {
        CLocale::ResetLanguageTable();
        emu::RegisterLanguages();
        CLocale::SelectLanguage(CLocale::kEnglish);
    }
    void TearDown() override { CLocale::ResetLanguageTable(); }

    template <typename T> static T* Child(gui::CContainer& container, int32_t index) {
        return dynamic_cast<T*>(container.GetChild(index));
    }
};

TEST_F(AboutBoxTest, BuildsTitleTextLinesAndOkButton) {
    std::unique_ptr<gui::Windows::CDialog> box(emu::CAboutBox::Build(common::CNarrowString("NUVKorvet 2.0 Emulator")));
    ASSERT_TRUE(box);
    EXPECT_EQ(box->GetCaption().GetText(), WideText(u"About"));
    int32_t x, y, width, height;
    box->GetRect(&x, &y, &width, &height);
    EXPECT_EQ(width, 392);
    EXPECT_EQ(height, 236);
    ASSERT_EQ(box->GetChildCount(), 3);

    auto* titlePanel = Child<gui::Windows::CPanel>(*box, 0);
    ASSERT_TRUE(titlePanel);
    EXPECT_EQ(titlePanel->GetBorderStyle(), 0);
    ASSERT_EQ(titlePanel->GetChildCount(), 1);
    auto* title = Child<gui::Windows::CLabel>(*titlePanel, 0);
    ASSERT_TRUE(title);
    EXPECT_EQ(title->GetText().GetText(), WideText(u"NUVKorvet 2.0 Emulator"));
    EXPECT_EQ(title->GetFont().GetFamily(), 1);
    EXPECT_EQ(title->GetFont().GetSize(), 16); // 22 characters, normal DPI before any window measured it
    gui::CColor colour;
    ASSERT_TRUE(title->GetFont().GetColor(&colour));
    EXPECT_EQ(colour.m_argb, 0xFF800000u);

    auto* textPanel = Child<gui::Windows::CPanel>(*box, 1);
    ASSERT_TRUE(textPanel);
    EXPECT_EQ(textPanel->GetBorderStyle(), 3);
    ASSERT_EQ(textPanel->GetChildCount(), 3);
    const char16_t* prefixes[] = {u"Author: ", u"Version 0.95", u"Russia "};
    for (int i = 0; i < 3; ++i) {
        auto* line = Child<gui::Windows::CLabel>(*textPanel, i);
        ASSERT_TRUE(line);
        const WideText prefix(prefixes[i]);
        EXPECT_EQ(line->GetText().GetText().substr(0, prefix.size()), prefix);
        EXPECT_EQ(line->GetFont().GetFamily(), 4);
        EXPECT_EQ(line->GetFont().GetSize(), 9);
    }

    auto* ok = Child<gui::Windows::CButton>(*box, 2);
    ASSERT_TRUE(ok);
    EXPECT_EQ(ok->GetText().GetText(), WideText(u"OK"));
    EXPECT_EQ(ok->GetDialogResult(), 1);
    EXPECT_TRUE(ok->IsFocusable());
}

TEST_F(AboutBoxTest, CaptionFollowsTheLanguageAndLongTitlesGetSmaller) {
    CLocale::SelectLanguage(CLocale::kRussian);
    std::unique_ptr<gui::Windows::CDialog> box(
        emu::CAboutBox::Build(common::CNarrowString("NUVKorvet w/BIOS Emulator (long)")));
    EXPECT_EQ(box->GetCaption().GetText(), WideText(u"О программе"));
    auto* titlePanel = Child<gui::Windows::CPanel>(*box, 0);
    ASSERT_TRUE(titlePanel);
    EXPECT_EQ(Child<gui::Windows::CLabel>(*titlePanel, 0)->GetFont().GetSize(), 14);
}

TEST_F(AboutBoxTest, RunWithoutOwnerOrComputerShowsNothingAndAnswersTrue) {
    EXPECT_TRUE(emu::CAboutBox::Run(nullptr, common::CNarrowString("NUV Emulator"), nullptr));
}

} // namespace
