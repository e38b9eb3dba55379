// The debugger's current-instruction line: the 8080's fixed 104-character
// layout, and the column rules (fit, cut with two dots, the address filled in
// from the program counter) on a processor whose columns the test chooses.
#include <gtest/gtest.h>

#include <string>

#include "ConsoleTestSupport.h"
#include "common/CNarrowString.h"

using consoletest::CConsoleCore;
using consoletest::CConsoleMachine;

namespace {

std::string Format(CConsoleCore& core) {
    common::CNarrowString line("untouched");
    EXPECT_TRUE(core.m_core.FormatCurrentInstruction(line));
    return line.GetNarrow();
}

TEST(ConsoleInstructionLineTest, PoweredOffLeavesTheLineAlone) {
    CConsoleCore core(new CConsoleMachine());
    common::CNarrowString line("keep");
    EXPECT_FALSE(core.m_core.FormatCurrentInstruction(line));
    EXPECT_STREQ("keep", line.GetNarrow());
}

TEST(ConsoleInstructionLineTest, I8080LineAtANop) {
    CConsoleCore core(new CConsoleMachine());
    ASSERT_TRUE(core.GoIntoBreak());
    const std::string line = Format(core);
    ASSERT_EQ(104u, line.size()) << line;
    EXPECT_EQ("[0000] 00      NOP ", line.substr(0, 19));
    char flags[6];
    emu::CProcessor_I8080::FormatFlags(core.m_machine->m_cpu->GetF(), flags);
    // [addr] (6), bytes (1 + 6), mnemonic (2 + 28), then the flags.
    EXPECT_EQ(" " + std::string(flags), line.substr(43, 6));
    EXPECT_EQ("     ", line.substr(99)) << "columns 5 and 6: one space, then a prefix and three spaces";
}

TEST(ConsoleInstructionLineTest, I8080LinesAreAlways104Characters) {
    CConsoleCore core(new CConsoleMachine());
    ASSERT_TRUE(core.GoIntoBreak());
    emu::CProcessor_I8080* cpu = core.m_machine->m_cpu;
    for (uint32_t opcode = 0; opcode < 256; ++opcode) {
        core.m_machine->Poke(0xFFFE, {static_cast<uint8_t>(opcode), 0xAB});
        core.m_machine->Poke(0x0000, {0xCD});
        cpu->SetPC(0xFFFE);
        const std::string line = Format(core);
        EXPECT_EQ(104u, line.size()) << std::hex << opcode << ": " << line;
        EXPECT_EQ("[FFFE]", line.substr(0, 6)) << std::hex << opcode;
    }
}

// A line of one column: the column's part of the full line.
struct CColumnCase {
    int column;
    const char* text;
    uint32_t width;
    const char* shown; // prefix included
};

class ConsoleInstructionColumnsTest : public ::testing::Test {
protected:
    ConsoleInstructionColumnsTest() : m_core(new CConsoleMachine(CConsoleMachine::Cpu::kFake, 0)) {
        EXPECT_TRUE(m_core.GoIntoBreak());
        m_cpu = m_core.m_machine->m_fake;
        m_cpu->m_texts[0] = "ADDR";
        m_cpu->m_widths[0] = 4;
    }

    CConsoleCore m_core;
    consoletest::CFakeProcessor* m_cpu; // owned by the machine
};

TEST_F(ConsoleInstructionColumnsTest, ColumnsFitOrAreCutWithTwoDots) {
    const std::string thirty = "abcdefghijklmnopqrstuvwxyz0123";
    const CColumnCase cases[] = {
        {1, "12", 6, " 12    "},
        {1, "123456", 6, " 123456"},  // exactly its width: whole
        {1, "1234567", 6, " 1234.."}, // cut: width - 2 characters, two dots
        {2, thirty.c_str(), 28, "  abcdefghijklmnopqrstuvwxyz.."},
        {3, "SZAPC", 5, " SZAPC"},
        {4, "x", 0, "  .."},  // width 0 with text: only the dots
        {5, "xyz", 1, " .."}, // width 1 likewise
        {5, "", 0, " "},      // width 0, empty: only the prefix
        {6, "", 3, "    "},   // width 3, empty: prefix and three spaces
        {6, "ab", 2, " ab"},
        {6, "abc", 2, " .."}, // width 2 cut: no characters left
    };
    for (const CColumnCase& c : cases) {
        for (int i = 1; i < emu::CProcessorInterface::kDisassemblyColumns; ++i) {
            m_cpu->m_texts[i].clear();
            m_cpu->m_widths[i] = 0;
        }
        m_cpu->m_texts[c.column] = c.text;
        m_cpu->m_widths[c.column] = c.width;
        // The other columns are empty with width 0: each leaves only its prefix.
        static const char* const kPrefixes[] = {"", " ", "  ", " ", "  ", " ", " "};
        std::string expected = "[ADDR]";
        for (int i = 1; i < emu::CProcessorInterface::kDisassemblyColumns; ++i)
            expected += i == c.column ? std::string(c.shown) : std::string(kPrefixes[i]);
        EXPECT_EQ(expected, Format(m_core)) << "column " << c.column << " '" << c.text << "' width " << c.width;
    }
}

TEST_F(ConsoleInstructionColumnsTest, AddressColumnIsCutInsideItsBrackets) {
    m_cpu->m_texts[0] = "123456";
    EXPECT_EQ("[12..]        ", Format(m_core)) << "eight prefix spaces follow";
    m_cpu->m_texts[0] = "1234";
    EXPECT_EQ("[1234]        ", Format(m_core));
}

TEST_F(ConsoleInstructionColumnsTest, EmptyAddressColumnShowsTheProgramCounter) {
    struct CCase {
        uint32_t mask;
        uint32_t width;
        uint32_t pc;
        const char* begins;
    };
    const CCase cases[] = {
        {0xFFFF, 0, 0x12AB, "[12AB]"},
        {0xFFFF, 6, 0x12AB, "[12AB  ]"}, // a width of its own stays
        {0x3FF, 0, 0x1F, "[001F]"},
        {0xFFFFFF, 0, 0x12AB, "[000012AB]"}, // above 16 bits: eight digits
        {0xFFFFFFFF, 0, 0xDEADBEEF, "[DEADBEEF]"},
        {0xFFFFFF, 4, 0x12AB, "[00..]"}, // eight digits in a width of 4: cut
    };
    for (const CCase& c : cases) {
        m_cpu->m_texts[0].clear();
        m_cpu->m_widths[0] = c.width;
        m_cpu->m_mask = c.mask;
        m_cpu->m_pc = c.pc;
        const std::string line = Format(m_core);
        EXPECT_EQ(0u, line.find(c.begins)) << line;
    }
}

} // namespace
