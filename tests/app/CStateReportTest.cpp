// The core's report of one state command, taken from its console: the
// operation's error line before its other lines, else its last line.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/CStateReport.h"
#include "common/CNarrowString.h"
#include "common/CTextConsole.h"

namespace {

TEST(CStateReport, TakesTheOperationsErrorElseItsLastLine) {
    struct CCase {
        std::vector<const char*> added;
        const char* report;
    };
    const CCase cases[] = {
        {{"[ERROR] Error while loading state from file \"k.sav\" (bad)", "[DONE] Emulation stopped!"},
         "Error while loading state from file \"k.sav\" (bad)"},
        {{"State not loaded, because file \"k.sav\" does not exist"},
         "State not loaded, because file \"k.sav\" does not exist"},
        // The console's duplicate filter drops a repeated line: the one before it is the report.
        {{"[ERROR] Old failure"}, "Old failure"},
    };
    for (const CCase& c : cases) {
        common::CTextConsole console;
        *console.GetIgnoreDuplicateLinesFlag() = true;
        console.AppendLine(common::CNarrowString("[ERROR] An earlier line"), true);
        console.AppendLine(common::CNarrowString("[ERROR] Old failure"), true);
        emu::CStateReport report(console);
        for (const char* line : c.added)
            console.AppendLine(common::CNarrowString(line), true);
        common::CWideString text;
        ASSERT_TRUE(report.Take(text)) << c.report;
        EXPECT_EQ(std::string(c.report), text.GetNarrow());
    }
    common::CTextConsole empty;
    emu::CStateReport nothing(empty);
    common::CWideString text;
    EXPECT_FALSE(nothing.Take(text));
}

} // namespace
