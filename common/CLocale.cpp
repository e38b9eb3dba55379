#include "common/CLocale.h"

namespace common {

namespace {

struct CLocaleState {
    int m_language;
    int m_instanceCount;
    CLocale* m_table[CLocale::kLanguageCount]; // owned
};

CLocaleState& State() {
    static CLocaleState s_state = {0, 0, {nullptr, nullptr}};
    return s_state;
}

bool IsValidIndex(int index) {
    return index >= 0 && index < CLocale::kLanguageCount;
}

const bool s_globalLocaleMade = (InitGlobalLocale(), true);

} // namespace

CLocale::CLocale() {
    CLocaleState& s = State();
    if (s.m_instanceCount++ == 0) {
        s.m_table[kEnglish] = nullptr;
        s.m_table[kRussian] = nullptr;
        s.m_language = DetectUserLanguage();
    }
}

CLocale::~CLocale() {
    CLocaleState& s = State();
    // A registered language deleted by someone else must not stay in the table.
    for (CLocale*& entry : s.m_table)
        if (entry == this)
            entry = nullptr;
    if (--s.m_instanceCount == 0)
        ReleaseLanguages();
}

bool CLocale::LookupText(int32_t, CWideString&) const {
    return false;
}

void CLocale::RegisterLanguage(int index, CLocale* language) {
    CLocaleState& s = State();
    if (!IsValidIndex(index) || !language || s.m_table[index])
        return;
    // One object in two entries would be deleted twice.
    for (CLocale* entry : s.m_table)
        if (entry == language)
            return;
    s.m_table[index] = language;
}

void CLocale::SelectLanguage(int index) {
    CLocaleState& s = State();
    if (IsValidIndex(index) && s.m_table[index])
        s.m_language = index;
}

int CLocale::GetLanguage() {
    return State().m_language;
}

const char* CLocale::GetLanguageName(int index) {
    static const char* const kNames[kLanguageCount] = {"English", "Russian"};
    if (!IsValidIndex(index) || !State().m_table[index])
        return nullptr;
    return kNames[index];
}

CWideString CLocale::GetText(int32_t id, const char* defaultText) {
    CLocaleState& s = State();
    const CLocale* language = s.m_table[s.m_language];
    if (!language)
        language = s.m_table[kEnglish];
    if (!language)
        return CWideString(defaultText);
    CWideString scratch;
    if (language->LookupText(id, scratch))
        return scratch;
    if (defaultText)
        return CWideString(defaultText);
    const CLocale* english = s.m_table[kEnglish];
    if (english && english != language && english->LookupText(id, scratch))
        return scratch;
    return CWideString();
}

void CLocale::ResetLanguageTable() {
    ReleaseLanguages();
    State().m_language = DetectUserLanguage();
}

int CLocale::LanguageFromLangId(uint32_t langId) {
    return (langId & 0xFF) == 0x19 ? kRussian : kEnglish;
}

int CLocale::LanguageFromLocaleName(const char* name) {
    if (!name)
        return kEnglish;
    const bool ru = (name[0] == 'r' || name[0] == 'R') && (name[1] == 'u' || name[1] == 'U');
    const char next = ru ? name[2] : 'x';
    return ru && (next == 0 || next == '_' || next == '.' || next == '@' || next == '-') ? kRussian : kEnglish;
}

void CLocale::ReleaseLanguages() {
    CLocaleState& s = State();
    CLocale* held[kLanguageCount] = {s.m_table[kEnglish], s.m_table[kRussian]};
    s.m_table[kEnglish] = nullptr;
    s.m_table[kRussian] = nullptr;
    for (CLocale* language : held)
        delete language;
}

void InitGlobalLocale() {
    static CLocale s_global;
}

} // namespace common
