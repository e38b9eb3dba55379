#include <cstdint>

#include <gtest/gtest.h>

#include "app/LanguageSwitch.h"
#include "app/TextIds.h"
#include "common/CLocale.h"

namespace {

using common::CLocale;
using common::WideText;

class LanguageSwitchTest : public ::testing::Test {
protected:
    void SetUp() override {
        CLocale::ResetLanguageTable();
        emu::RegisterLanguages();
        CLocale::SelectLanguage(CLocale::kEnglish);
    }
    void TearDown() override { CLocale::ResetLanguageTable(); }

    static WideText Text(int32_t id) { return CLocale::GetText(id).GetText(); }
};

TEST_F(LanguageSwitchTest, RegistersEnglishAsZeroAndRussianAsOne) {
    EXPECT_STREQ(CLocale::GetLanguageName(0), "English");
    EXPECT_STREQ(CLocale::GetLanguageName(1), "Russian");
    EXPECT_EQ(Text(emu::TextId::kHelp), WideText(u"Help"));
    CLocale::SelectLanguage(CLocale::kRussian);
    EXPECT_EQ(Text(emu::TextId::kHelp), WideText(u"Справка"));
}

TEST_F(LanguageSwitchTest, RegisteringAgainKeepsTheTablesAndLeaksNothing) {
    emu::RegisterLanguages();
    EXPECT_STREQ(CLocale::GetLanguageName(1), "Russian");
    EXPECT_EQ(Text(emu::TextId::kExit), WideText(u"Exit"));
}

// The captions of the real window are checked by the window test of the same suite.
TEST_F(LanguageSwitchTest, SwitchingToRussianTakesTheSettingAndTheTexts) {
    int32_t setting = CLocale::kEnglish;
    ASSERT_TRUE(emu::SwitchLanguage(setting, CLocale::kRussian));
    EXPECT_EQ(setting, CLocale::kRussian);
    EXPECT_EQ(CLocale::GetLanguage(), CLocale::kRussian);
    EXPECT_EQ(Text(emu::TextId::kEmulation), WideText(u"Эмуляция"));
    EXPECT_EQ(Text(emu::TextId::kStart), WideText(u"Старт"));
    EXPECT_EQ(Text(emu::TextId::kPause), WideText(u"Пауза"));
    EXPECT_EQ(Text(emu::TextId::kStop), WideText(u"Стоп"));
    // The language items show the names as they are, in either language.
    EXPECT_STREQ(CLocale::GetLanguageName(0), "English");

    ASSERT_TRUE(emu::SwitchLanguage(setting, CLocale::kEnglish));
    EXPECT_EQ(Text(emu::TextId::kEmulation), WideText(u"Emulation"));
}

TEST_F(LanguageSwitchTest, ChoosingTheCurrentLanguageChangesNothing) {
    int32_t setting = CLocale::kRussian;
    EXPECT_FALSE(emu::SwitchLanguage(setting, CLocale::kRussian));
    EXPECT_EQ(setting, CLocale::kRussian);
    // The locale is not touched either: it stays English here.
    EXPECT_EQ(CLocale::GetLanguage(), CLocale::kEnglish);
}

TEST_F(LanguageSwitchTest, UnregisteredLanguageTakesTheSettingButNotTheLocale) {
    int32_t setting = CLocale::kEnglish;
    EXPECT_TRUE(emu::SwitchLanguage(setting, 2));
    EXPECT_EQ(setting, 2);
    EXPECT_EQ(CLocale::GetLanguage(), CLocale::kEnglish);
}

TEST_F(LanguageSwitchTest, ItemIsCheckedForTheSettingsLanguage) {
    EXPECT_TRUE(emu::IsLanguageChecked(1, 1));
    EXPECT_FALSE(emu::IsLanguageChecked(0, 1));
    EXPECT_FALSE(emu::IsLanguageChecked(2, 0));
}

} // namespace
