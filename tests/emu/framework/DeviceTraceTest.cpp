#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/CNarrowString.h"
#include "common/CTextConsole.h"
#include "emu/framework/CDevice.h"
#include "emu/framework/ConsoleColors.h"
#include "emu/framework/FrameworkTestSupport.h"

namespace {

// How the machine's break check answers.
enum class Check {
    NoHook,         // the interface's default: print, no break
    Breaks,         // the debugger breaks in and rewinds the processor
    BreaksNoRewind, // breaks in, but the processor was not inside an instruction
    Declines,       // answers no and leaves the print flag alone
    DeclinesQuiet   // answers no and clears the print flag
};

// A machine whose break check answers as told and records what it was asked.
class CTraceMachine : public test::CFakeMachine {
public:
    uint32_t CheckBreak(bool* request, bool* print) override {
        ++m_checks;
        m_requestIn = *request;
        m_printIn = *print;
        switch (m_check) {
        case Check::NoHook:
            return CMachineInterface::CheckBreak(request, print);
        case Check::Breaks:
            *print = false;
            return 1;
        case Check::BreaksNoRewind:
            *request = false;
            *print = false;
            return 1;
        case Check::Declines:
            return 0;
        case Check::DeclinesQuiet:
            *print = false;
            return 0;
        }
        return 0;
    }
    common::CTextConsole* GetConsole() override { return m_console; }

    Check m_check = Check::NoHook;
    int m_checks = 0;
    bool m_requestIn = false;
    bool m_printIn = false;
    common::CTextConsole* m_console = nullptr; // not owned
};

enum class Op { Read, Write, RegRead, RegWrite, Output, OutputNoStop, State, Interrupt, Status, Info, Break };

const char* const kMessage = "=>MODE[2] = 5Ah";

// Calls one trace operation with the message above; the operations without a
// result answer false.
bool Invoke(emu::CDevice& device, Op op, bool trace, bool brk, bool peek) {
    const char* format = "=>MODE[%ld] = %.2lXh";
    const long index = 2;
    const long value = 0x5A;
    switch (op) {
    case Op::Read:
        return device.TraceRead(trace, brk, peek, format, index, value);
    case Op::Write:
        return device.TraceWrite(trace, brk, peek, format, index, value);
    case Op::RegRead:
        return device.TraceRegisterRead(trace, brk, peek, format, index, value);
    case Op::RegWrite:
        return device.TraceRegisterWrite(trace, brk, format, index, value);
    case Op::Output:
        return device.TraceOutput(trace, brk, true, peek, format, index, value);
    case Op::OutputNoStop:
        return device.TraceOutput(trace, brk, false, peek, format, index, value);
    case Op::State:
        device.TraceState(trace, brk, peek, format, index, value);
        return false;
    case Op::Interrupt:
        device.TraceInterrupt(trace, brk, format, index, value);
        return false;
    case Op::Status:
        device.TraceStatus(trace, peek, format, index, value);
        return false;
    case Op::Info:
        device.TraceInfo(trace, format, index, value);
        return false;
    case Op::Break:
        return device.TraceBreak(brk, format, index, value);
    }
    return false;
}

struct CLine {
    std::string m_text;
    common::ARGB m_colour;
};

std::vector<CLine> TakeLines(common::CTextConsole& console) {
    console.FlushPendingLines();
    std::vector<CLine> lines;
    common::CNarrowString text;
    common::ARGB colour = 0;
    for (int32_t i = 0; console.GetLine(i, text, colour); ++i)
        lines.push_back({text.GetNarrow(), colour});
    console.Clear();
    return lines;
}

class DeviceTraceTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_device.SetName("PPI_1 I8255");
        m_device.SetShortName("PPI_1");
        m_device.SetConsole(&m_console);
        m_machine.SetTraceLevel(&m_level);
        m_machine.m_console = &m_console;
        m_machine.Connect(&m_device);
    }

    common::CTextConsole m_console;
    CTraceMachine m_machine;
    emu::CDevice m_device;
    int32_t m_level = 0;
};

// One row: the call (flags, host level, how the check answers) and what must
// come of it. An empty line means nothing is printed; checks counts the
// questions put to the machine and stop is the stop request it was handed.
struct CTraceRow {
    Op m_op;
    bool m_trace, m_break, m_peek;
    int32_t m_level;
    Check m_check;
    const char* m_line;
    int m_colour;
    bool m_result;
    int m_checks;
    bool m_stop;
};

const char* const kPlain = "[PPI_1] =>MODE[2] = 5Ah";
const char* const kBreak = "[PPI_1 BREAK] =>MODE[2] = 5Ah";
const char* const kNone = "";

// clang-format off
const CTraceRow kTraceTable[] = {
    // Nothing set: nothing printed, nothing asked.
    {Op::Read,        false, false, false, 0, Check::Breaks,        kNone,  0, false, 0, false},
    {Op::Write,       false, false, false, 0, Check::Breaks,        kNone,  0, false, 0, false},
    {Op::Output,      false, false, false, 0, Check::Breaks,        kNone,  0, false, 0, false},
    {Op::Interrupt,   false, false, false, 0, Check::Breaks,        kNone,  0, false, 0, false},
    {Op::Break,       false, false, false, 1, Check::Breaks,        kNone,  0, false, 0, false},
    // The trace flag alone: the plain line in the kind's colour.
    {Op::Read,        true,  false, false, 0, Check::Breaks,        kPlain, 0, false, 0, false},
    {Op::Write,       true,  false, false, 0, Check::Breaks,        kPlain, 1, false, 0, false},
    {Op::RegRead,     true,  false, false, 0, Check::Breaks,        kPlain, 2, false, 0, false},
    {Op::RegWrite,    true,  false, false, 0, Check::Breaks,        kPlain, 2, false, 0, false},
    {Op::Output,      true,  false, false, 0, Check::Breaks,        kPlain, 2, false, 0, false},
    {Op::State,       true,  false, false, 0, Check::Breaks,        kPlain, 2, false, 0, false},
    {Op::Interrupt,   true,  false, false, 0, Check::Breaks,        kPlain, 2, false, 0, false},
    {Op::Status,      true,  false, false, 0, Check::Breaks,        kPlain, 2, false, 0, false},
    {Op::Info,        true,  false, false, 0, Check::Breaks,        kPlain, 2, false, 0, false},
    // Single-stepping (level 1 or more) traces what honours the level.
    {Op::Read,        false, false, false, 1, Check::Breaks,        kPlain, 0, false, 0, false},
    {Op::Write,       false, false, false, 3, Check::Breaks,        kPlain, 1, false, 0, false},
    {Op::RegRead,     false, false, false, 1, Check::Breaks,        kPlain, 2, false, 0, false},
    {Op::Output,      false, false, false, 1, Check::Breaks,        kPlain, 2, false, 0, false},
    {Op::State,       false, false, false, 1, Check::Breaks,        kPlain, 2, false, 0, false},
    {Op::Status,      false, false, false, 1, Check::Breaks,        kPlain, 2, false, 0, false},
    {Op::RegWrite,    false, false, false, 1, Check::Breaks,        kNone,  0, false, 0, false},
    {Op::Interrupt,   false, false, false, 1, Check::Breaks,        kNone,  0, false, 0, false},
    {Op::Info,        false, false, false, 1, Check::Breaks,        kNone,  0, false, 0, false},
    // Running to a step-over target (negative level) traces nothing extra.
    {Op::Read,        false, false, false, -1, Check::Breaks,       kNone,  0, false, 0, false},
    {Op::Status,      false, false, false, -1, Check::Breaks,       kNone,  0, false, 0, false},
    // Peek: nothing printed and no break asked, whatever the flags and level.
    {Op::Read,        true,  true,  true,  1, Check::Breaks,        kNone,  0, false, 0, false},
    {Op::Write,       true,  true,  true,  1, Check::Breaks,        kNone,  0, false, 0, false},
    {Op::RegRead,     true,  true,  true,  1, Check::Breaks,        kNone,  0, false, 0, false},
    {Op::Output,      true,  true,  true,  1, Check::Breaks,        kNone,  0, false, 0, false},
    {Op::State,       true,  true,  true,  1, Check::Breaks,        kNone,  0, false, 0, false},
    {Op::Status,      true,  false, true,  1, Check::Breaks,        kNone,  0, false, 0, false},
    // The debugger breaks in at an access: BREAK in the label, the access stops.
    {Op::Read,        false, true,  false, 0, Check::Breaks,        kBreak, 4, true,  1, true},
    {Op::Write,       true,  true,  false, 0, Check::Breaks,        kBreak, 4, true,  1, true},
    {Op::RegRead,     false, true,  false, 0, Check::Breaks,        kBreak, 4, true,  1, true},
    {Op::RegWrite,    false, true,  false, 0, Check::Breaks,        kBreak, 4, true,  1, true},
    {Op::Output,      false, true,  false, 0, Check::Breaks,        kBreak, 4, true,  1, true},
    // ... at an event that asks no stop: BREAK, the event colour, no stop.
    {Op::OutputNoStop, false, true, false, 0, Check::Breaks,        kBreak, 3, false, 1, false},
    {Op::State,       false, true,  false, 0, Check::Breaks,        kBreak, 3, false, 1, false},
    {Op::Interrupt,   false, true,  false, 0, Check::Breaks,        kBreak, 3, false, 1, false},
    // ... but the processor could not be set back: the access goes ahead.
    {Op::Write,       false, true,  false, 0, Check::BreaksNoRewind, kBreak, 4, false, 1, true},
    // No debugger: the line in the break colour without BREAK, never a stop.
    {Op::Read,        false, true,  false, 0, Check::NoHook,        kPlain, 4, false, 1, true},
    {Op::Write,       false, true,  false, 0, Check::NoHook,        kPlain, 4, false, 1, true},
    {Op::Interrupt,   false, true,  false, 0, Check::NoHook,        kPlain, 3, false, 1, false},
    {Op::OutputNoStop, false, true, false, 0, Check::NoHook,        kPlain, 3, false, 1, false},
    // The check declines: its print flag decides, starting from "print".
    {Op::Read,        true,  true,  false, 0, Check::DeclinesQuiet, kNone,  0, false, 1, true},
    {Op::Read,        true,  true,  false, 0, Check::Declines,      kPlain, 4, false, 1, true},
    // The break operation prints first, whatever the check then says.
    {Op::Break,       false, true,  false, 0, Check::Breaks,        kBreak, 4, true,  1, true},
    {Op::Break,       false, true,  false, 0, Check::BreaksNoRewind, kBreak, 4, false, 1, true},
    {Op::Break,       false, true,  false, 0, Check::NoHook,        kBreak, 4, false, 1, true},
    {Op::Break,       false, true,  false, 0, Check::DeclinesQuiet, kBreak, 4, false, 1, true},
};
// clang-format on

TEST_F(DeviceTraceTest, DecisionTable) {
    for (size_t i = 0; i < sizeof kTraceTable / sizeof kTraceTable[0]; ++i) {
        const CTraceRow& row = kTraceTable[i];
        SCOPED_TRACE("row " + std::to_string(i));
        m_level = row.m_level;
        m_machine.m_check = row.m_check;
        m_machine.m_checks = 0;
        m_machine.m_requestIn = !row.m_stop;

        EXPECT_EQ(Invoke(m_device, row.m_op, row.m_trace, row.m_break, row.m_peek), row.m_result);

        EXPECT_EQ(m_machine.m_checks, row.m_checks);
        if (row.m_checks > 0) {
            EXPECT_EQ(m_machine.m_requestIn, row.m_stop);
            EXPECT_TRUE(m_machine.m_printIn);
        }
        const std::vector<CLine> lines = TakeLines(m_console);
        ASSERT_EQ(lines.size(), row.m_line[0] == 0 ? 0u : 1u);
        for (const CLine& line : lines) {
            EXPECT_EQ(line.m_text, row.m_line);
            EXPECT_EQ(line.m_colour, emu::ConsoleColors[row.m_colour]);
        }
    }
}

TEST_F(DeviceTraceTest, DeviceWithoutMachineNeitherPrintsNorBreaks) {
    emu::CDevice loose;
    loose.SetShortName("LOOSE");
    loose.SetConsole(&m_console);
    m_level = 1;
    m_machine.m_check = Check::Breaks;
    for (Op op : {Op::Read, Op::Write, Op::RegRead, Op::RegWrite, Op::Output, Op::OutputNoStop, Op::State,
                  Op::Interrupt, Op::Status, Op::Info, Op::Break})
        EXPECT_FALSE(Invoke(loose, op, true, true, false));
    loose.ConsoleMessage("text");
    loose.ConsoleError("text");
    EXPECT_TRUE(TakeLines(m_console).empty());
    EXPECT_EQ(m_machine.m_checks, 0);
}

TEST_F(DeviceTraceTest, LabelIsTheShortNameElseTheFullName) {
    m_device.TraceInfo(true, "<=%s = %.4lXh", "STAT", static_cast<long>(0x1F));
    m_device.SetShortName("");
    m_device.TraceInfo(true, "x");
    m_device.SetName("");
    m_device.TraceInfo(true, "y");
    const std::vector<CLine> lines = TakeLines(m_console);
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0].m_text, "[PPI_1] <=STAT = 001Fh");
    EXPECT_EQ(lines[1].m_text, "[PPI_1 I8255] x");
    EXPECT_EQ(lines[2].m_text, "[] y");
}

TEST_F(DeviceTraceTest, MachineWithoutTraceLevelCountsAsRunningFreely) {
    m_machine.SetTraceLevel(nullptr);
    EXPECT_FALSE(m_device.IsTraceActive(false, false));
    EXPECT_TRUE(m_device.IsTraceActive(true, false));
    EXPECT_FALSE(m_device.TraceRead(false, false, false, "x"));
    m_device.TraceStatus(false, false, "x");
    EXPECT_TRUE(TakeLines(m_console).empty());
    m_device.TraceStatus(true, false, "x");
    EXPECT_EQ(TakeLines(m_console).size(), 1u);
}

TEST_F(DeviceTraceTest, OverlongMessageStillShowsTheLabelAndBreaks) {
    const std::string huge(2 * 1024 * 1024, 'x');
    m_machine.m_check = Check::Breaks;
    EXPECT_TRUE(m_device.TraceWrite(false, true, false, "%s", huge.c_str()));
    const std::vector<CLine> lines = TakeLines(m_console);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].m_text, "[PPI_1 BREAK] ");
}

// A register as a chip writes one: the write is left undone when the
// debugger breaks in, so the instruction can repeat it after the break.
class CLatchDevice : public emu::CDevice {
public:
    bool Write(uint8_t value, bool peek) {
        if (TraceWrite(m_traceWrite, m_breakWrite, peek, "=>LTCH = %.2lXh", static_cast<long>(value)))
            return false;
        m_latch = value;
        return true;
    }

    bool m_traceWrite = false;
    bool m_breakWrite = false;
    uint8_t m_latch = 0;
};

TEST_F(DeviceTraceTest, BrokenInAccessIsLeftUndoneAndRepeatsAfterwards) {
    CLatchDevice latch;
    latch.SetShortName("LATCH");
    latch.SetConsole(&m_console);
    m_machine.Connect(&latch);
    latch.m_breakWrite = true;

    m_machine.m_check = Check::Breaks;
    EXPECT_FALSE(latch.Write(0x42, false));
    EXPECT_EQ(latch.m_latch, 0);
    // A peek by the debugger neither breaks nor is held back.
    EXPECT_TRUE(latch.Write(0x43, true));
    EXPECT_EQ(latch.m_latch, 0x43);
    // After the break the debugger lets the instruction run on.
    m_machine.m_check = Check::NoHook;
    EXPECT_TRUE(latch.Write(0x42, false));
    EXPECT_EQ(latch.m_latch, 0x42);

    const std::vector<CLine> lines = TakeLines(m_console);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].m_text, "[LATCH BREAK] =>LTCH = 42h");
    EXPECT_EQ(lines[1].m_text, "[LATCH] =>LTCH = 42h");
}

TEST_F(DeviceTraceTest, ConsoleMessagesGoToTheMachineConsoleUnlabelled) {
    common::CTextConsole machineConsole;
    m_machine.m_console = &machineConsole;
    m_device.ConsoleMessage("[INIT] %s", "loaded");
    m_device.ConsoleMessage("%s", "");
    m_device.ConsoleError("[ERROR] %ld", static_cast<long>(7));
    m_device.ConsoleError("%s", "");
    EXPECT_TRUE(TakeLines(m_console).empty());
    const std::vector<CLine> lines = TakeLines(machineConsole);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].m_text, "[INIT] loaded");
    EXPECT_EQ(lines[0].m_colour, emu::ConsoleColors[emu::kColourTrace]);
    EXPECT_EQ(lines[1].m_text, "[ERROR] 7");
    EXPECT_EQ(lines[1].m_colour, emu::ConsoleColors[emu::kColourError]);
}

TEST(ConsoleColorsTest, TableHoldsTheSixLineColours) {
    const common::ARGB expected[] = {0xFFAFAF73u, 0xFF00C896u, 0xFF9696FFu, 0xFFFF4B4Bu, 0xFFFF4B4Bu, 0xFFFF3C3Cu};
    ASSERT_EQ(sizeof emu::ConsoleColors / sizeof emu::ConsoleColors[0], 6u);
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(emu::ConsoleColors[i], expected[i]) << i;
    EXPECT_EQ(emu::CObject::kErrorColour, emu::ConsoleColors[emu::kColourError]);
}

TEST(ObjectLogTest, MessageLinesKeepEmptyTextsAndErrorsDropThem) {
    common::CTextConsole console;
    emu::CObject object;
    object.SetConsole(&console);
    object.LogMessage("%s", "");
    object.LogError("%s", "");
    object.LogError("[ERROR] %s", "x");
    const std::vector<CLine> lines = TakeLines(console);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].m_text, "");
    EXPECT_EQ(lines[0].m_colour, common::CTextConsole::kDefaultColour);
    EXPECT_EQ(lines[1].m_colour, emu::ConsoleColors[emu::kColourError]);
}

} // namespace
