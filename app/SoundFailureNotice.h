#pragma once
// The words that tell the user once per run that the selected sound output
// could not open, in the current UI language.
#include <cstdint>

#include "common/CWideString.h"

namespace emu {

// "The sound output "<name>" cannot be opened ..." in English (language 0) or
// Russian (language 1); any other language gets the English text.
common::CWideString FormatSoundFailureNotice(int32_t language, const char* outputName);

} // namespace emu
