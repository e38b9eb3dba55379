#include <cstdint>

#include <gtest/gtest.h>

#include "app/AboutBoxText.h"
#include "app/LanguageSwitch.h"
#include "common/CLocale.h"

namespace {

using common::CLocale;
using common::WideText;

TEST(AboutBoxTextTest, TitleSizeFollowsTheTitleLength) {
    struct Case {
        int32_t length;
        int32_t normal;
        int32_t high;
    };
    const Case cases[] = {
        {40, 14, 12}, {26, 14, 12}, {25, 15, 13}, {24, 15, 13}, {23, 16, 14},
        {22, 16, 14}, {21, 17, 15}, {18, 17, 15}, {17, 19, 17}, {0, 19, 17},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(emu::GetAboutTitleFontSize(c.length, false), c.normal) << c.length;
        EXPECT_EQ(emu::GetAboutTitleFontSize(c.length, true), c.high) << c.length;
    }
    EXPECT_EQ(emu::GetAboutTextFontSize(false), 9);
    EXPECT_EQ(emu::GetAboutTextFontSize(true), 7);
}

TEST(AboutBoxTextTest, SmallFontsOnlyAbove130DpiOnceTheLayoutDpiIsKnown) {
    EXPECT_FALSE(emu::IsAboutHighDpi(false, 192));
    EXPECT_FALSE(emu::IsAboutHighDpi(true, 130));
    EXPECT_TRUE(emu::IsAboutHighDpi(true, 131));
    EXPECT_FALSE(emu::IsAboutHighDpi(true, 96));
}

class AboutLinesTest : public ::testing::Test {
protected:
    void SetUp() override {
        CLocale::ResetLanguageTable();
        emu::RegisterLanguages();
        CLocale::SelectLanguage(CLocale::kEnglish);
    }
    void TearDown() override { CLocale::ResetLanguageTable(); }
};

TEST_F(AboutLinesTest, VersionLineCarriesTheBuildDescriptionInBrackets) {
    EXPECT_EQ(emu::FormatAboutVersionLine("Unicode, x86, GCC 12.2.0").GetText(),
              WideText(u"Version 0.95 (Unicode, x86, GCC 12.2.0)"));
    EXPECT_EQ(emu::FormatAboutVersionLine("").GetText(), WideText(u"Version 0.95"));
    EXPECT_EQ(emu::FormatAboutVersionLine(nullptr).GetText(), WideText(u"Version 0.95"));
}

TEST_F(AboutLinesTest, LinesTakeTheirCaptionsFromTheCurrentLanguage) {
    EXPECT_EQ(emu::FormatAboutAuthorLine().GetText().substr(0, 8), WideText(u"Author: "));
    EXPECT_EQ(emu::FormatAboutOriginLine().GetText().substr(0, 7), WideText(u"Russia "));
    CLocale::SelectLanguage(CLocale::kRussian);
    EXPECT_EQ(emu::FormatAboutAuthorLine().GetText().substr(0, 7), WideText(u"Автор: "));
    EXPECT_EQ(emu::FormatAboutVersionLine("").GetText(), WideText(u"Версия 0.95"));
    EXPECT_EQ(emu::FormatAboutOriginLine().GetText().substr(0, 7), WideText(u"Россия "));
}

} // namespace
