#pragma once
// The texts and font sizes of the About box, apart from the dialog that shows
// them: the title's size follows its length, the three text lines take their
// captions from the current language.
#include <cstdint>

#include "common/CWideString.h"

namespace emu {

// The version shown in the box.
constexpr const char* kAboutVersion = "0.95";

// True when the layout DPI has been computed and the screen's DPI is above 130:
// the box then uses its smaller fonts.
bool IsAboutHighDpi(bool layoutDpiComputed, int32_t screenDpi);

// The title's font size by its length in characters: more than 25 the
// smallest, 24..25, 22..23, 18..21, below 18 the largest.
int32_t GetAboutTitleFontSize(int32_t titleLength, bool highDpi);
// The size of the three text lines.
int32_t GetAboutTextFontSize(bool highDpi);

// "Author: " and the author; "Version 0.95" with " (description)" when the
// build description is not empty; the author's country and the years.
common::CWideString FormatAboutAuthorLine();
common::CWideString FormatAboutVersionLine(const char* buildDescription);
common::CWideString FormatAboutOriginLine();

} // namespace emu
