#pragma once
// Registering the program's languages and the language command of the
// Settings menu, apart from the window that re-captions itself afterwards.
#include <cstdint>

namespace emu {

// Creates the English table and registers it as language 0, then the Russian
// table as language 1; the locale owns them from then on. A table whose index
// is already taken is deleted again, so a second call leaks nothing.
void RegisterLanguages();

// The language item's update rule: checked when the setting names its language.
bool IsLanguageChecked(int32_t languageSetting, int32_t language);

// The language item's command: false, nothing changed, when the setting already
// names the language; otherwise the setting takes the language, the locale
// selects it (an unregistered language leaves the locale's choice as it was)
// and the answer is true: the caller re-captions the window.
bool SwitchLanguage(int32_t& languageSetting, int32_t language);

} // namespace emu
