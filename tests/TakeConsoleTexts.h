#pragma once
// The lines a test's text console holds, taken out: pending lines are
// flushed first, and the console is left empty for the next step.
#include <string>
#include <vector>

#include "common/CNarrowString.h"
#include "common/CTextConsole.h"

namespace testconsole {

inline std::vector<std::string> TakeConsoleTexts(common::CTextConsole& console) {
    console.FlushPendingLines();
    std::vector<std::string> lines;
    common::CNarrowString text;
    common::ARGB colour = 0;
    for (int32_t i = 0; console.GetLine(i, text, colour); ++i)
        lines.push_back(text.GetNarrow());
    console.Clear();
    return lines;
}

} // namespace testconsole
