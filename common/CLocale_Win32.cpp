// The user's language on Windows: the user default language id.
#include <windows.h>

#include "common/CLocale.h"

namespace common {

int CLocale::DetectUserLanguage() {
    return LanguageFromLangId(GetUserDefaultLangID());
}

} // namespace common
