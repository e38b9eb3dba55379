#include "app/SoundFailureNotice.h"

#include "common/CLocale.h"

namespace emu {

common::CWideString FormatSoundFailureNotice(int32_t language, const char* outputName) {
    const char* name = outputName != nullptr ? outputName : "";
    common::CWideString text;
    if (language == common::CLocale::kRussian) {
        text.AppendWide(u"Не удалось открыть звуковой вывод \"");
        text.AppendNarrow(name);
        text.AppendWide(u"\", поэтому эмуляция идёт без звука. Другой вывод можно выбрать в меню \"Звук\".");
    } else {
        text.AppendNarrow("The sound output \"");
        text.AppendNarrow(name);
        text.AppendNarrow("\" cannot be opened, so the emulation runs without sound. "
                          "Another output can be chosen in the Sound menu.");
    }
    return text;
}

} // namespace emu
