#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <string>

#include "common/CLocale.h"

using common::CLocale;
using common::CWideString;

namespace {

// A small language table that counts its deletions.
class CTestLanguage : public CLocale {
public:
    CTestLanguage(std::map<int32_t, std::string> texts, int* deletions)
        : m_texts(std::move(texts)), m_deletions(deletions) {}
    ~CTestLanguage() override {
        if (m_deletions)
            ++*m_deletions;
    }
    bool LookupText(int32_t id, CWideString& text) const override {
        const auto it = m_texts.find(id);
        if (it == m_texts.end())
            return false;
        text.AssignNarrow(it->second.c_str());
        return true;
    }

private:
    std::map<int32_t, std::string> m_texts;
    int* m_deletions;
};

std::string Text(const CWideString& s) {
    return s.GetNarrow();
}

class LocaleTest : public ::testing::Test {
protected:
    void SetUp() override { CLocale::ResetLanguageTable(); }
    void TearDown() override { CLocale::ResetLanguageTable(); }

    // English knows 1 and 2, Russian only 1.
    void RegisterBoth() {
        CLocale::RegisterLanguage(0, new CTestLanguage({{1, "File"}, {2, "Exit"}}, &m_deletions));
        CLocale::RegisterLanguage(1, new CTestLanguage({{1, "Fajl"}}, &m_deletions));
    }

    int m_deletions = 0;
};

} // namespace

TEST_F(LocaleTest, LookupFallsBackToDefaultThenEnglish) {
    RegisterBoth();
    CLocale::SelectLanguage(1);
    ASSERT_EQ(1, CLocale::GetLanguage());
    EXPECT_EQ("Fajl", Text(CLocale::GetText(1)));
    EXPECT_EQ("Fajl", Text(CLocale::GetText(1, "default")));
    EXPECT_EQ("Exit", Text(CLocale::GetText(2)));               // only English knows it
    EXPECT_EQ("default", Text(CLocale::GetText(2, "default"))); // the caller's text comes first
    EXPECT_EQ("", Text(CLocale::GetText(3)));
    EXPECT_EQ("default", Text(CLocale::GetText(3, "default")));
    CLocale::SelectLanguage(0);
    EXPECT_EQ("File", Text(CLocale::GetText(1)));
    EXPECT_EQ("", Text(CLocale::GetText(3)));
}

TEST_F(LocaleTest, WithoutTablesOnlyTheDefaultText) {
    EXPECT_EQ("", Text(CLocale::GetText(1)));
    EXPECT_EQ("dflt", Text(CLocale::GetText(1, "dflt")));
    // Only Russian registered while English is current: Russian is not consulted.
    CLocale::RegisterLanguage(1, new CTestLanguage({{1, "Fajl"}}, &m_deletions));
    CLocale::SelectLanguage(0);
    EXPECT_EQ("dflt", Text(CLocale::GetText(1, "dflt")));
}

TEST_F(LocaleTest, SelectNeedsARegisteredLanguage) {
    CLocale::RegisterLanguage(0, new CTestLanguage({}, &m_deletions));
    CLocale::SelectLanguage(0);
    for (int index : {1, 2, -1}) {
        CLocale::SelectLanguage(index);
        EXPECT_EQ(0, CLocale::GetLanguage()) << index;
    }
    CLocale::RegisterLanguage(1, new CTestLanguage({}, &m_deletions));
    CLocale::SelectLanguage(1);
    EXPECT_EQ(1, CLocale::GetLanguage());
}

TEST_F(LocaleTest, LanguageNamesOnlyForRegisteredIndices) {
    EXPECT_EQ(nullptr, CLocale::GetLanguageName(0));
    RegisterBoth();
    EXPECT_STREQ("English", CLocale::GetLanguageName(0));
    EXPECT_STREQ("Russian", CLocale::GetLanguageName(1));
    EXPECT_EQ(nullptr, CLocale::GetLanguageName(2));
    EXPECT_EQ(nullptr, CLocale::GetLanguageName(-1));
}

TEST_F(LocaleTest, FirstRegistrationStaysAndTableOwnsIt) {
    RegisterBoth();
    CTestLanguage* second = new CTestLanguage({{1, "Second"}}, &m_deletions);
    CLocale::RegisterLanguage(0, second);
    CLocale::RegisterLanguage(5, second);
    CLocale::RegisterLanguage(0, nullptr);
    CLocale::SelectLanguage(0);
    EXPECT_EQ("File", Text(CLocale::GetText(1)));
    delete second; // refused, so still the caller's
    EXPECT_EQ(1, m_deletions);
    CLocale::ResetLanguageTable();
    EXPECT_EQ(3, m_deletions);
    EXPECT_EQ(nullptr, CLocale::GetLanguageName(0));
}

TEST_F(LocaleTest, OneObjectCannotFillBothEntries) {
    CTestLanguage* english = new CTestLanguage({{1, "File"}}, &m_deletions);
    CLocale::RegisterLanguage(0, english);
    CLocale::RegisterLanguage(1, english);
    EXPECT_EQ(nullptr, CLocale::GetLanguageName(1));
    CLocale::ResetLanguageTable();
    EXPECT_EQ(1, m_deletions);
}

TEST_F(LocaleTest, DeletedLanguageLeavesTheTable) {
    CTestLanguage* english = new CTestLanguage({{1, "File"}}, &m_deletions);
    CLocale::RegisterLanguage(0, english);
    delete english;
    EXPECT_EQ(nullptr, CLocale::GetLanguageName(0));
    EXPECT_EQ("", Text(CLocale::GetText(1)));
    CLocale::ResetLanguageTable();
    EXPECT_EQ(1, m_deletions);
}

TEST(LocaleDetection, RussianPrimaryLanguageIdGivesOne) {
    struct Case {
        uint32_t langId;
        int language;
    } cases[] = {{0x0419, 1}, {0x0819, 1}, {0x0019, 1}, {0xFC19, 1}, {0x0409, 0},
                 {0x0009, 0}, {0x0422, 0}, {0x1900, 0}, {0x0000, 0}};
    for (const Case& c : cases)
        EXPECT_EQ(c.language, CLocale::LanguageFromLangId(c.langId)) << std::hex << c.langId;
}

TEST(LocaleDetection, RussianLocaleNameGivesOne) {
    struct Case {
        const char* name;
        int language;
    } cases[] = {{"ru_RU.UTF-8", 1}, {"ru", 1},   {"RU_ru", 1}, {"ru.KOI8-R", 1}, {"ru@latin", 1}, {"ru-RU", 1},
                 {"en_US.UTF-8", 0}, {"C", 0},    {"POSIX", 0}, {"rus", 0},       {"r", 0},        {"", 0},
                 {nullptr, 0},       {"uk_UA", 0}};
    for (const Case& c : cases)
        EXPECT_EQ(c.language, CLocale::LanguageFromLocaleName(c.name)) << (c.name ? c.name : "null");
}

TEST(LocaleDetection, AnswersZeroOrOne) {
    const int language = CLocale::DetectUserLanguage();
    EXPECT_TRUE(language == 0 || language == 1);
}

#ifndef _WIN32
// The host's locale variables pick the start language, LC_ALL first.
TEST(LocaleDetection, HostVariablesPickStartLanguage) {
    struct Saved {
        const char* name;
        std::string value;
        bool set;
    } saved[] = {{"LC_ALL", "", false}, {"LC_MESSAGES", "", false}, {"LANG", "", false}};
    for (Saved& s : saved) {
        const char* v = std::getenv(s.name);
        s.set = v != nullptr;
        s.value = v ? v : "";
    }
    struct Case {
        const char* all;
        const char* messages;
        const char* lang;
        int language;
    } cases[] = {
        {"ru_RU.UTF-8", nullptr, nullptr, 1}, {"", "ru_RU", "en_US", 1},      {nullptr, nullptr, "ru_RU", 1},
        {"en_US", "ru_RU", "ru_RU", 0},       {nullptr, nullptr, nullptr, 0}, {"", "", "", 0},
    };
    for (const Case& c : cases) {
        const char* values[3] = {c.all, c.messages, c.lang};
        for (int i = 0; i < 3; ++i) {
            if (values[i])
                setenv(saved[i].name, values[i], 1);
            else
                unsetenv(saved[i].name);
        }
        EXPECT_EQ(c.language, CLocale::DetectUserLanguage());
        CLocale::ResetLanguageTable();
        EXPECT_EQ(c.language, CLocale::GetLanguage());
    }
    for (const Saved& s : saved) {
        if (s.set)
            setenv(s.name, s.value.c_str(), 1);
        else
            unsetenv(s.name);
    }
    CLocale::ResetLanguageTable();
}
#endif
