#pragma once
// The user-interface language and the texts of string ids. Each language is an
// object of a class derived from CLocale that overrides LookupText; the front end
// registers English as language 0 and Russian as language 1. All state is
// class-wide: the current language, the table of registered languages (which
// owns them) and the number of live CLocale objects.
//
// A text is looked up in the current language; when that has none, the caller's
// default text is used, else the English text, else the empty string. One global
// instance lives for the whole run; it picks the start language from the host
// (Russian host language: 1, anything else: 0).
//
// No lock: registration, selection and look-ups happen on the user-interface thread.
#include <cstdint>

#include "common/CWideString.h"

namespace common {

class CLocale {
public:
    static constexpr int kEnglish = 0;
    static constexpr int kRussian = 1;
    static constexpr int kLanguageCount = 2;

    // Counts the instance; the first live instance clears the table and picks the
    // current language from the host.
    CLocale();
    virtual ~CLocale();
    CLocale(const CLocale&) = delete;
    CLocale& operator=(const CLocale&) = delete;

    // Sets text to the language's text for the id and answers true; false, text
    // untouched, when the language has none. The base has no texts.
    virtual bool LookupText(int32_t id, CWideString& text) const;

    // 1 when the host's user language is Russian, else 0.
    static int DetectUserLanguage();
    // Takes ownership of the language object for the index. Ignored for an index
    // outside 0..1, a null object, or an index already registered (the first stays;
    // the caller keeps and deletes an ignored object).
    static void RegisterLanguage(int index, CLocale* language);
    // Makes the index current when a language is registered for it.
    static void SelectLanguage(int index);
    static int GetLanguage();
    // "English" or "Russian" for a registered index; null otherwise.
    static const char* GetLanguageName(int index);
    // The id's text in the current language (English when none is registered);
    // failing that the default text when given, else the English text, else "".
    static CWideString GetText(int32_t id, const char* defaultText = nullptr);

    // Deletes every registered language and picks the current language from the
    // host again, as at start. Lets tests begin from a clean table.
    static void ResetLanguageTable();

    // The host rules behind DetectUserLanguage. A Windows language id is Russian
    // when its primary language (low 8 bits) is 0x19; a POSIX locale name such as
    // "ru_RU.UTF-8" when its language part is "ru".
    static int LanguageFromLangId(uint32_t langId);
    static int LanguageFromLocaleName(const char* name);

private:
    // Empties the table, then deletes the objects it held.
    static void ReleaseLanguages();
};

// Makes the global instance; run by a static initialiser before main, and safe
// to call again. The instance's exit-time destruction is its release.
void InitGlobalLocale();

} // namespace common
