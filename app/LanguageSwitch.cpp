#include "app/LanguageSwitch.h"

#include "app/CLocale_Eng.h"
#include "app/CLocale_Rus.h"

namespace emu {

void RegisterLanguages() {
    // Registration ignores a taken index and would leave the new object with
    // the caller, so a table is only made for a free index.
    if (!common::CLocale::GetLanguageName(common::CLocale::kEnglish))
        common::CLocale::RegisterLanguage(common::CLocale::kEnglish, new CLocale_Eng);
    if (!common::CLocale::GetLanguageName(common::CLocale::kRussian))
        common::CLocale::RegisterLanguage(common::CLocale::kRussian, new CLocale_Rus);
}

bool IsLanguageChecked(int32_t languageSetting, int32_t language) {
    return languageSetting == language;
}

bool SwitchLanguage(int32_t& languageSetting, int32_t language) {
    if (languageSetting == language)
        return false;
    languageSetting = language;
    common::CLocale::SelectLanguage(language);
    return true;
}

} // namespace emu
