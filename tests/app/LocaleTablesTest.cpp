#include <climits>
#include <cstdint>
#include <vector>

#include <gtest/gtest.h>

#include "app/CLocale_Eng.h"
#include "app/CLocale_Rus.h"
#include "app/LanguageSwitch.h"
#include "app/TextIds.h"

namespace {

using common::CWideString;
using common::WideText;

std::vector<int32_t> AllIds() {
    std::vector<int32_t> ids;
    for (int32_t id = 0; id <= emu::TextId::kLastOrdinary; ++id)
        ids.push_back(id);
    ids.push_back(emu::TextId::kAllFiles);
    ids.push_back(emu::TextId::kAllSupportedFiles);
    return ids;
}

bool HasCyrillic(const WideText& text) {
    for (char16_t c : text)
        if (c >= 0x0400 && c <= 0x04FF)
            return true;
    return false;
}

class LocaleTablesTest : public ::testing::Test {
protected:
    void SetUp() override { common::CLocale::ResetLanguageTable(); }
    void TearDown() override { common::CLocale::ResetLanguageTable(); }

    emu::CLocale_Eng m_eng;
    emu::CLocale_Rus m_rus;
};

TEST_F(LocaleTablesTest, EveryIdHasTextInBothLanguages) {
    for (int32_t id : AllIds()) {
        CWideString eng, rus;
        EXPECT_TRUE(m_eng.LookupText(id, eng)) << id;
        EXPECT_TRUE(m_rus.LookupText(id, rus)) << id;
        EXPECT_FALSE(eng.IsEmpty()) << id;
        EXPECT_FALSE(rus.IsEmpty()) << id;
    }
}

TEST_F(LocaleTablesTest, EnglishIsAsciiAndRussianIsCyrillicUtf16) {
    for (int32_t id : AllIds()) {
        CWideString eng, rus;
        m_eng.LookupText(id, eng);
        m_rus.LookupText(id, rus);
        for (char16_t c : eng.GetText())
            EXPECT_LT(c, 0x80) << id;
        // The untranslated ones: two 8-bit English texts and the renderer word.
        const bool latinOnly =
            id == emu::TextId::kSelectAll || id == emu::TextId::kClearAll || id == emu::TextId::kRenderer;
        EXPECT_EQ(HasCyrillic(rus.GetText()), !latinOnly) << id;
        // No byte widened as Latin-1 (what Cyrillic given as 8-bit text becomes).
        for (char16_t c : rus.GetText())
            EXPECT_FALSE(c >= 0x80 && c <= 0xFF) << id;
    }
}

TEST_F(LocaleTablesTest, TextsAreExact) {
    struct Case {
        int32_t id;
        const char16_t* eng;
        const char16_t* rus;
    };
    const Case cases[] = {
        {0, u"Language", u"Язык (Language)"},
        {7, u"Start", u"Старт"},
        {12, u"Save State\tF11", u"Сохранить состояние\tF11"},
        {13, u"Load State\tF12", u"Загрузить состояние\tF12"},
        {34, u"2450 Hz (fastest emulation)", u"2450 Гц (скоростная эмуляция)"},
        {70, u"SAVE emulation state?", u"СОХРАНИТЬ состояние эмулятора?"},
        {78, u"Select All", u"Select All"},
        {79, u"Clear All", u"Clear All"},
        {80, u"renderer", u"renderer"},
        {86, u"   [press middle button or \"Win\" key to release mouse]",
         u"   [нажмите среднюю кнопку или клавишу \"Win\" для освобождения мыши]"},
        {103, u"Tandy / PCjr x16 Modes", u"\u0422andy / PCjr x16 режимы"},
        {104, u"Click  RUS  (Russian)", u"Нажать  РУС (Русский)"},
        {105, u"Click  LAT  (Latin)", u"Нажать  ЛАТ  (Латинский)"},
        {109, u"Submodel/BIOS", u"Модель / БИОС"},
        {10000, u"All Files", u"Все файлы"},
        {10001, u"All Supported Files", u"Все поддерживаемые форматы"},
        {10100, u"The settings could not be saved to these files:", u"Не удалось сохранить настройки в файлы:"},
        {10101, u"The image cannot be opened:", u"Образ не открывается:"},
        {10102, u"The size of the image fits no disk format of the drive:",
         u"Размер образа не подходит ни к одному формату диска:"},
        {10103, u"bytes", u"байт"},
    };
    for (const Case& c : cases) {
        CWideString eng, rus;
        ASSERT_TRUE(m_eng.LookupText(c.id, eng));
        ASSERT_TRUE(m_rus.LookupText(c.id, rus));
        EXPECT_EQ(eng.GetText(), WideText(c.eng)) << c.id;
        EXPECT_EQ(rus.GetText(), WideText(c.rus)) << c.id;
    }
}

TEST_F(LocaleTablesTest, UnknownIdsAnswerFalseAndLeaveTheTextAlone) {
    for (int32_t id : {-1, 110, 5000, 9999, 10002, INT_MIN, INT_MAX}) {
        CWideString eng(u"keep"), rus(u"keep");
        EXPECT_FALSE(m_eng.LookupText(id, eng)) << id;
        EXPECT_FALSE(m_rus.LookupText(id, rus)) << id;
        EXPECT_EQ(eng.GetText(), WideText(u"keep"));
        EXPECT_EQ(rus.GetText(), WideText(u"keep"));
    }
}

TEST_F(LocaleTablesTest, LookupReplacesThePreviousText) {
    CWideString text(u"a much longer previous text than the new one");
    ASSERT_TRUE(m_rus.LookupText(emu::TextId::kStop, text));
    EXPECT_EQ(text.GetText(), WideText(u"Стоп"));
}

class RegisteredLocaleTest : public ::testing::Test {
protected:
    void SetUp() override {
        common::CLocale::ResetLanguageTable();
        emu::RegisterLanguages();
    }
    void TearDown() override { common::CLocale::ResetLanguageTable(); }
};

TEST_F(RegisteredLocaleTest, GetTextFollowsTheCurrentLanguage) {
    common::CLocale::SelectLanguage(common::CLocale::kEnglish);
    EXPECT_EQ(common::CLocale::GetText(emu::TextId::kEmulation).GetText(), WideText(u"Emulation"));
    common::CLocale::SelectLanguage(common::CLocale::kRussian);
    EXPECT_EQ(common::CLocale::GetText(emu::TextId::kEmulation).GetText(), WideText(u"Эмуляция"));
    EXPECT_EQ(common::CLocale::GetText(emu::TextId::kSelectAll).GetText(), WideText(u"Select All"));
}

TEST_F(RegisteredLocaleTest, UnknownIdFallsBackToTheDefaultTextElseEmpty) {
    common::CLocale::SelectLanguage(common::CLocale::kRussian);
    EXPECT_EQ(common::CLocale::GetText(110, "fallback").GetText(), WideText(u"fallback"));
    EXPECT_TRUE(common::CLocale::GetText(110).IsEmpty());
}

} // namespace
