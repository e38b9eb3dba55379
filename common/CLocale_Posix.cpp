// The user's language on a POSIX host: the locale variables that choose the
// language of messages, in their order of precedence.
#include <cstdlib>

#include "common/CLocale.h"

namespace common {

int CLocale::DetectUserLanguage() {
    for (const char* variable : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* value = std::getenv(variable);
        if (value && value[0])
            return LanguageFromLocaleName(value);
    }
    return kEnglish;
}

} // namespace common
