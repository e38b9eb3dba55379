#include "app/CStateReport.h"

#include <string>

#include "common/CNarrowString.h"
#include "common/CTextConsole.h"

namespace emu {

namespace {

using common::CTextConsole;
constexpr size_t kErrorTagLength = sizeof(CTextConsole::kErrorTag) - 1;

bool IsError(const std::string& line) {
    return line.compare(0, kErrorTagLength, CTextConsole::kErrorTag) == 0;
}

} // namespace

CStateReport::CStateReport(common::CTextConsole& console) : m_console(console) {
    m_console.FlushPendingLines();
}

bool CStateReport::Take(common::CWideString& text) {
    const int32_t added = m_console.GetPendingLineCount();
    m_console.FlushPendingLines();
    const int32_t count = m_console.GetLineCount();
    if (count == 0)
        return false;
    const int32_t first = added < count ? count - added : 0;
    std::string chosen;
    common::CNarrowString line;
    common::ARGB colour = 0;
    for (int32_t i = count - 1; i >= first; --i) {
        if (!m_console.GetLine(i, line, colour))
            continue;
        const std::string narrow = line.GetNarrow();
        if (chosen.empty())
            chosen = narrow;
        if (IsError(narrow)) {
            chosen = narrow;
            break;
        }
    }
    if (added == 0 && m_console.GetLine(count - 1, line, colour))
        chosen = line.GetNarrow();
    if (IsError(chosen))
        chosen = chosen.substr(kErrorTagLength);
    text.AssignNarrow(chosen.c_str());
    return true;
}

} // namespace emu
