#pragma once
// What the core reported about one state save or load. The core writes its
// result, with the reason of a failure, as a line in its console, which is
// hidden while the emulation screen shows; the state commands take that line
// out so that the window can show it too.
#include <cstdint>

#include "common/CWideString.h"

namespace common {
class CTextConsole;
}

namespace emu {

class CStateReport {
public:
    // Moves the lines so far into the scroll-back: what is pending afterwards
    // was written by the operation that follows (user-interface thread).
    explicit CStateReport(common::CTextConsole& console);
    CStateReport(const CStateReport&) = delete;
    CStateReport& operator=(const CStateReport&) = delete;

    // After the operation: its last "[ERROR] " line, else its last line, with
    // the bracketed kind dropped. A line equal to the one before is not added
    // again (the console's duplicate filter): then the console's last line is
    // the report. False when the console holds no line at all.
    bool Take(common::CWideString& text);

private:
    common::CTextConsole& m_console; // the core's console, owned by the core
};

} // namespace emu
