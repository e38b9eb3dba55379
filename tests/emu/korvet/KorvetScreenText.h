#pragma once
// The Korvet's text screen as the typing tests read it: a row as a string and
// the row of the CP/M prompt.
#include <cstdint>
#include <string>

#include "emu/korvet/CVideo_Korvet.h"

namespace korvettest {

// A row's characters, anything outside printable ASCII as '?'.
inline std::string ScreenRow(emu::CVideo_Korvet* video, int32_t row) {
    std::string text;
    for (int32_t i = 0; i < emu::CVideo_Korvet::kTextColumns; ++i) {
        const int code = video->GetTextCell(row * emu::CVideo_Korvet::kTextColumns + i) & 0xFF;
        text.push_back(code >= 0x20 && code < 0x7F ? static_cast<char>(code) : '?');
    }
    return text;
}

// The lowest row that starts with the prompt; -1 when none does.
inline int32_t PromptRow(emu::CVideo_Korvet* video) {
    for (int32_t row = emu::CVideo_Korvet::kTextRows - 1; row >= 0; --row) {
        if (ScreenRow(video, row).compare(0, 2, "A>") == 0)
            return row;
    }
    return -1;
}

} // namespace korvettest
