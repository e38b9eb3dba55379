#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/CMemoryStream.h"
#include "common/CSettingsRegistry.h"
#include "common/CStreamHolder.h"
#include "common/CTextConsole.h"
#include "emu/chips/CParallelPort_I8255.h"
#include "emu/framework/CMachine.h"
#include "emu/framework/COptionTree.h"
#include "emu/framework/CPorts.h"
#include "emu/framework/ConsoleColors.h"
#include "emu/framework/FrameworkTestSupport.h"

using emu::CParallelPort_I8255;

namespace {

constexpr uint32_t kBase = 0x38;

// The machine's side of the port lines: records every call and answers reads
// as told.
struct CLines {
    struct CCall {
        uint32_t line;
        uint32_t value; // written byte, or the read's quiet flag
        bool operator==(const CCall& other) const { return line == other.line && value == other.value; }
    };
    std::vector<CCall> writes;
    std::vector<CCall> reads;
    bool answerReads = false;
    bool fillReads = true;
    uint8_t readValue = 0xA5;

    static bool Read(void* context, uint32_t line, uint32_t size, uint8_t* value, uint8_t quiet) {
        auto* self = static_cast<CLines*>(context);
        EXPECT_EQ(1u, size);
        self->reads.push_back({line, quiet});
        if (self->fillReads)
            *value = self->readValue;
        return self->answerReads;
    }
    static bool Write(void* context, uint32_t line, uint32_t size, uint8_t* value) {
        auto* self = static_cast<CLines*>(context);
        EXPECT_EQ(1u, size);
        self->writes.push_back({line, *value});
        return true;
    }
};

struct CLine {
    std::string text;
    common::ARGB colour;
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

std::vector<std::string> Texts(common::CTextConsole& console) {
    std::vector<std::string> texts;
    for (const CLine& line : TakeLines(console))
        texts.push_back(line.text);
    return texts;
}

uint32_t BreakingHook(void*, bool*, bool* print, int32_t) {
    *print = false;
    return 1; // the debugger breaks in; the stop request stays set
}

// A started machine with one parallel port whose four ports sit on the port
// space from kBase, wired to the recorder above.
class I8255Test : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_machine.Build());
        m_machine.SetConsole(&m_console);
        m_ppi = new CParallelPort_I8255();
        ASSERT_TRUE(m_machine.AddDevice(m_ppi, "PPI_1 I8255", "PPI_1"));
        ASSERT_TRUE(m_ppi->ConnectPorts(&m_lines, &CLines::Read, &CLines::Write, kBase, true, 1, 0));
        int32_t rate = 4900;
        ASSERT_TRUE(m_machine.Start(&rate));
        m_ports = m_machine.GetPortsService();
        TakeLines(m_console);
    }
    void TearDown() override { m_machine.Stop(); }

    void Out(uint32_t offset, uint8_t value) { m_ports->OutputByte(kBase + offset, value); }
    uint8_t In(uint32_t offset) { return m_ports->InputByte(kBase + offset, 0, nullptr); }
    // The latch as the port reads it when the machine does not answer.
    uint8_t Latch(uint32_t offset) {
        const bool answer = m_lines.answerReads;
        m_lines.answerReads = false;
        const uint8_t value =
            m_ppi->ReadPortCallback(static_cast<emu::CDevice*>(m_ppi), kBase + offset, 1, &m_scratch, 1) ? m_scratch
                                                                                                         : 0xEE;
        m_lines.answerReads = answer;
        m_lines.reads.clear();
        return value;
    }
    void TraceAll() {
        for (uint32_t flag = 0; flag < CParallelPort_I8255::kFlagCount; flag += 2)
            m_ppi->SetFlag(flag, true);
    }

    common::CTextConsole m_console;
    emu::CMachine m_machine;
    CParallelPort_I8255* m_ppi = nullptr; // owned by the machine
    emu::CPorts* m_ports = nullptr;
    CLines m_lines;
    uint8_t m_scratch = 0;
};

std::vector<uint8_t> Save(emu::CMachine& machine) {
    common::CMemoryStream stream;
    stream.Create(0, -1);
    common::CStreamHolder holder(&stream);
    EXPECT_TRUE(machine.SaveState(holder));
    return std::vector<uint8_t>(stream.GetBuffer(), stream.GetBuffer() + stream.GetSize());
}

bool Load(emu::CMachine& machine, const std::vector<uint8_t>& bytes) {
    common::CMemoryStream stream;
    stream.Create(0, -1);
    stream.Write(bytes.data(), static_cast<int64_t>(bytes.size()));
    stream.Seek(0);
    common::CStreamHolder holder(&stream);
    common::CNarrowString error;
    return machine.LoadState(holder, &error);
}

// The device's data: base chunks, "VER", then the first `count` of the four
// i32 fields "CTRL", "A", "B", "C".
test::Bytes StateBytes(uint8_t version, const std::vector<uint32_t>& values, size_t count = 4) {
    test::Bytes bytes;
    test::AppendDeviceData(bytes);
    test::AppendU8Field(bytes, "VER", version);
    const char* const names[] = {"CTRL", "A", "B", "C"};
    for (size_t n = 0; n < count; ++n) {
        bytes.push_back(0xF8);
        test::AppendName(bytes, names[n]);
        bytes.push_back(0x43);
        for (int i = 0; i < 4; ++i)
            bytes.push_back(static_cast<uint8_t>(values[n] >> (8 * i)));
    }
    return bytes;
}

} // namespace

TEST_F(I8255Test, StartsWithEveryPortAnOutputInModeZero) {
    TraceAll();
    EXPECT_EQ(0, In(3));
    EXPECT_EQ(0, In(0)); // the machine declines: the latch
    const std::vector<CLine> lines = TakeLines(m_console);
    ASSERT_EQ(2u, lines.size());
    EXPECT_EQ("[PPI_1] <=CTRL = 00h", lines[0].text);
    EXPECT_EQ(emu::ConsoleColors[emu::kColourTrace], lines[0].colour);
    EXPECT_EQ("[PPI_1] <=RegA = 00h (*)", lines[1].text);
    EXPECT_EQ(emu::ConsoleColors[emu::kColourRead], lines[1].colour);
    // The control register never reaches the machine.
    ASSERT_EQ(1u, m_lines.reads.size());
    EXPECT_EQ(kBase, m_lines.reads[0].line);

    // A start asks for a bus rate of at least 50 Hz.
    CParallelPort_I8255 alone;
    int32_t rate = 10;
    EXPECT_TRUE(alone.Start(&rate));
    EXPECT_EQ(50, rate);
    rate = 4900;
    EXPECT_TRUE(alone.Start(&rate));
    EXPECT_EQ(4900, rate);
}

TEST_F(I8255Test, ModeWordsAreDecodedAndNamedButEveryPortStaysLatched) {
    struct CCase {
        uint8_t word;
        const char* line;
    };
    const CCase cases[] = {
        {0x9B, "=>CTRL = 9Bh (ModeACh=basicIO, RegA=in, RegCh=in, ModeBCl=basicIO, RegB=in, RegCl=in)"},
        {0x80, "=>CTRL = 80h (ModeACh=basicIO, RegA=out, RegCh=out, ModeBCl=basicIO, RegB=out, RegCl=out)"},
        {0xA0, "=>CTRL = A0h (ModeACh=strobedIO, RegA=out, RegCh=out, ModeBCl=basicIO, RegB=out, RegCl=out)"},
        {0xC0, "=>CTRL = C0h (ModeACh=bidirectBus, RegA=out, RegCh=out, ModeBCl=basicIO, RegB=out, RegCl=out)"},
        {0xE0, "=>CTRL = E0h (ModeACh=bidirectBus, RegA=out, RegCh=out, ModeBCl=basicIO, RegB=out, RegCl=out)"},
        {0x86, "=>CTRL = 86h (ModeACh=basicIO, RegA=out, RegCh=out, ModeBCl=strobedIO, RegB=in, RegCl=out)"},
    };
    m_ppi->SetFlag(CParallelPort_I8255::kTraceWriteCTRL, true);
    for (const CCase& c : cases) {
        SCOPED_TRACE(c.line);
        Out(3, c.word);
        const std::vector<CLine> lines = TakeLines(m_console);
        ASSERT_EQ(1u, lines.size());
        EXPECT_EQ(std::string("[PPI_1] ") + c.line, lines[0].text);
        EXPECT_EQ(emu::ConsoleColors[emu::kColourWrite], lines[0].colour);
        EXPECT_EQ(c.word, In(3));
        // Strobed and bidirectional modes behave as plain latches.
        if ((c.word & 0x10) == 0) {
            m_lines.writes.clear();
            Out(0, 0x5A);
            EXPECT_EQ(0x5A, Latch(0));
            ASSERT_EQ(1u, m_lines.writes.size());
            EXPECT_EQ((CLines::CCall{kBase, 0x5A}), m_lines.writes[0]);
        }
        TakeLines(m_console);
    }
}

TEST_F(I8255Test, ModeWordClearsTheOutputLatchesAndTellsTheMachine) {
    Out(0, 0x12);
    Out(1, 0x34);
    Out(2, 0x56);
    m_lines.writes.clear();
    // Port C's lower half becomes an input; the machine hears every output drop to 0.
    Out(3, 0x81);
    const std::vector<CLines::CCall> dropped = {{kBase, 0}, {kBase + 1, 0}, {kBase + 2, 0}};
    EXPECT_EQ(dropped, m_lines.writes);
    EXPECT_EQ(0, Latch(0));
    EXPECT_EQ(0, Latch(1));
    EXPECT_EQ(0, Latch(2));

    // With every port an input no line is driven, so nobody is told.
    Out(0, 0x77);
    m_lines.writes.clear();
    Out(3, 0x9B);
    EXPECT_TRUE(m_lines.writes.empty());
    EXPECT_EQ(0, Latch(0));
}

TEST_F(I8255Test, WriteToAnInputPortOnlyShowsInTheTrace) {
    Out(3, 0x9B);
    TraceAll();
    m_lines.writes.clear();
    Out(0, 0x12);
    Out(1, 0x34);
    Out(2, 0x56);
    EXPECT_TRUE(m_lines.writes.empty());
    EXPECT_EQ(0, Latch(0));
    EXPECT_EQ(0, Latch(1));
    EXPECT_EQ(0, Latch(2));
    const std::vector<std::string> expected = {"[PPI_1] >RegA = 12h (*)", "[PPI_1] =>RegB = 34h (*)",
                                               "[PPI_1] =>RegC = 56h (*)"};
    EXPECT_EQ(expected, Texts(m_console));
}

TEST_F(I8255Test, PortCHalvesFollowTheirOwnDirections) {
    TraceAll();
    struct CCase {
        uint8_t word;
        const char* line;
        uint8_t latch;
    };
    const CCase cases[] = {
        {0x81, "[PPI_1] =>RegCh = FFh", 0xF0}, // upper half output
        {0x88, "[PPI_1] =>RegCl = FFh", 0x0F}, // lower half output
        {0x80, "[PPI_1] =>RegC = FFh", 0xFF},
    };
    for (const CCase& c : cases) {
        SCOPED_TRACE(c.line);
        Out(3, c.word);
        TakeLines(m_console);
        m_lines.writes.clear();
        Out(2, 0xFF);
        ASSERT_EQ(1u, m_lines.writes.size());
        EXPECT_EQ((CLines::CCall{kBase + 2, c.latch}), m_lines.writes[0]); // the whole latch, not the byte written
        EXPECT_EQ(std::vector<std::string>{c.line}, Texts(m_console));
        EXPECT_EQ(c.latch, Latch(2));
    }
}

TEST_F(I8255Test, BitSetResetGoesThroughThePortCWrite) {
    TraceAll();
    Out(3, 0x80);
    Out(3, 0x0F); // bit 7 on
    Out(3, 0x03); // bit 1 on
    Out(3, 0x0E); // bit 7 off
    EXPECT_EQ(0x02, Latch(2));
    EXPECT_EQ(0x80, In(3)); // a bit set/reset is no mode word
    TakeLines(m_console);

    // A bit in a half set as input changes nothing, yet the port C write runs
    // with its line and the machine's call.
    Out(3, 0x81);
    Out(3, 0x0F); // upper half: bit 7 on
    TakeLines(m_console);
    m_lines.writes.clear();
    Out(3, 0x07); // lower half (input): bit 3
    const std::vector<std::string> expected = {"[PPI_1] =>CTRL = 07h (RegC[3]=1)", "[PPI_1] =>RegCh = 88h"};
    EXPECT_EQ(expected, Texts(m_console));
    EXPECT_EQ(0x80, Latch(2));
    ASSERT_EQ(1u, m_lines.writes.size());
    EXPECT_EQ((CLines::CCall{kBase + 2, 0x80}), m_lines.writes[0]);
}

TEST_F(I8255Test, ReadsAskTheMachineFirst) {
    TraceAll();
    // Answered: the machine's byte, traced as a register line.
    m_lines.answerReads = true;
    EXPECT_EQ(0xA5, In(1));
    // Answered without touching the byte: the latch.
    Out(1, 0x3C);
    m_lines.fillReads = false;
    EXPECT_EQ(0x3C, In(1));
    // Declined after scribbling on the byte: still the latch.
    m_lines.fillReads = true;
    m_lines.answerReads = false;
    EXPECT_EQ(0x3C, In(1));
    const std::vector<CLine> lines = TakeLines(m_console);
    ASSERT_EQ(4u, lines.size());
    EXPECT_EQ("[PPI_1] <=RegB = A5h (*)", lines[0].text);
    EXPECT_EQ(emu::ConsoleColors[emu::kColourTrace], lines[0].colour);
    EXPECT_EQ("[PPI_1] <=RegB = 3Ch (*)", lines[2].text);
    EXPECT_EQ("[PPI_1] <=RegB = 3Ch (*)", lines[3].text);
    EXPECT_EQ(emu::ConsoleColors[emu::kColourRead], lines[3].colour);

    // An input port reads without the output mark; a peek leaves no line.
    Out(3, 0x9B);
    TakeLines(m_console);
    EXPECT_EQ(0, In(2));
    EXPECT_EQ(0, m_ports->InputByte(kBase + 2, 1, nullptr));
    EXPECT_EQ(std::vector<std::string>{"[PPI_1] <=RegC = 00h  "}, Texts(m_console));
    ASSERT_EQ(5u, m_lines.reads.size());
    EXPECT_EQ(1u, m_lines.reads.back().value);
}

TEST_F(I8255Test, ArmedReadBreakAsksTheMachineQuietly) {
    m_ppi->SetFlag(CParallelPort_I8255::kBreakReadA, true);
    In(0);
    ASSERT_EQ(1u, m_lines.reads.size());
    EXPECT_EQ(1u, m_lines.reads[0].value);
    // Without a debugger the line prints, coloured as a break line, without BREAK.
    const std::vector<CLine> lines = TakeLines(m_console);
    ASSERT_EQ(1u, lines.size());
    EXPECT_EQ("[PPI_1] <=RegA = 00h (*)", lines[0].text);
    EXPECT_EQ(emu::ConsoleColors[emu::kColourAccessBreak], lines[0].colour);
}

TEST_F(I8255Test, WriteBreakLeavesTheAccessUndone) {
    m_machine.SetBreakHook(&BreakingHook);
    m_ppi->SetFlag(CParallelPort_I8255::kBreakWriteA, true);
    m_ppi->SetFlag(CParallelPort_I8255::kBreakWriteCTRL, true);
    Out(0, 0x42);
    Out(3, 0x9B);
    EXPECT_TRUE(m_lines.writes.empty());
    EXPECT_EQ(0, Latch(0));
    EXPECT_EQ(0, In(3));
    const std::vector<std::string> lines = Texts(m_console);
    ASSERT_EQ(2u, lines.size());
    EXPECT_EQ("[PPI_1 BREAK] =>RegA = 42h", lines[0]);
    EXPECT_EQ(0u, lines[1].find("[PPI_1 BREAK] =>CTRL = 9Bh"));
}

TEST_F(I8255Test, SingleSteppingTracesWithoutFlags) {
    int32_t level = 1;
    m_machine.SetTraceLevel(&level);
    In(0);
    Out(0, 0x11); // a register write follows its own flags only
    EXPECT_EQ(std::vector<std::string>{"[PPI_1] <=RegA = 00h (*)"}, Texts(m_console));
    m_machine.SetTraceLevel(nullptr);
}

TEST_F(I8255Test, DispatchersFoldEveryPortOntoTheFourRegisters) {
    void* self = static_cast<emu::CDevice*>(m_ppi);
    uint8_t byte = 0x92;
    EXPECT_TRUE(CParallelPort_I8255::WritePortCallback(self, kBase + 7, 1, &byte));
    byte = 0;
    EXPECT_TRUE(CParallelPort_I8255::ReadPortCallback(self, kBase + 7, 1, &byte, 0));
    EXPECT_EQ(0x92, byte);
    EXPECT_TRUE(CParallelPort_I8255::ReadPortCallback(self, kBase - 1, 1, &byte, 0)); // (-1) & 3 = control
    EXPECT_EQ(0x92, byte);
    // Only single bytes.
    uint8_t word[2] = {0x80, 0x00};
    EXPECT_FALSE(CParallelPort_I8255::WritePortCallback(self, kBase + 3, 2, word));
    EXPECT_FALSE(CParallelPort_I8255::ReadPortCallback(self, kBase + 3, 2, word, 0));
    EXPECT_EQ(0x92, In(3));
}

TEST(I8255Connect, LinesCanBeDecodedByTheMachineOrLeftOpen) {
    common::CTextConsole console;
    emu::CMachine machine;
    ASSERT_TRUE(machine.Build());
    machine.SetConsole(&console);
    auto* ppi = new CParallelPort_I8255();
    ASSERT_TRUE(machine.AddDevice(ppi, "PPI_3 I8255", "PPI_3"));
    CLines lines;
    // The machine's own decoding: nothing on the port space.
    ASSERT_TRUE(ppi->ConnectPorts(&lines, &CLines::Read, &CLines::Write, 0x08, false, 0, 0));
    int32_t rate = 4900;
    ASSERT_TRUE(machine.Start(&rate));
    EXPECT_EQ(0xFF, machine.GetPortsService()->InputByte(0x0B, 0, nullptr));
    ppi->WriteRegC(0x40);
    ASSERT_EQ(1u, lines.writes.size());
    EXPECT_EQ((CLines::CCall{0x0A, 0x40}), lines.writes[0]);

    // A negative base disconnects; only a request without callbacks succeeds.
    EXPECT_FALSE(ppi->ConnectPorts(&lines, &CLines::Read, &CLines::Write, -1, false, 0, 0));
    EXPECT_TRUE(ppi->ConnectPorts(nullptr, nullptr, nullptr, -1, false, 0, 0));
    ppi->SetFlag(CParallelPort_I8255::kTraceWriteA, true);
    ppi->WriteRegA(0x21);
    EXPECT_EQ(0x21, ppi->ReadRegA(1));
    EXPECT_EQ(1u, lines.writes.size());
    std::vector<CLine> traced = TakeLines(console);
    ASSERT_EQ(1u, traced.size());
    EXPECT_EQ("[PPI_3] =>RegA = 21h", traced[0].text);
    EXPECT_EQ(emu::ConsoleColors[emu::kColourWrite], traced[0].colour); // no callback: a plain write line

    // Put on the port space while running, then taken off again.
    ASSERT_TRUE(ppi->ConnectPorts(&lines, &CLines::Read, &CLines::Write, 0x30, true, 1, 0));
    machine.GetPortsService()->OutputByte(0x31, 0x66);
    ASSERT_EQ(2u, lines.writes.size());
    EXPECT_EQ((CLines::CCall{0x31, 0x66}), lines.writes[1]);
    ASSERT_TRUE(ppi->ConnectPorts(nullptr, nullptr, nullptr, -1, false, 0, 0));
    EXPECT_EQ(0xFF, machine.GetPortsService()->InputByte(0x31, 0, nullptr));
    machine.Stop();
}

TEST_F(I8255Test, StateSavesLoadsAndSavesTheSameBytes) {
    Out(3, 0x89); // port C an input
    Out(0, 0x12);
    Out(1, 0x34);
    const std::vector<uint8_t> first = Save(m_machine);

    // Into a fresh machine: the directions follow the control word.
    emu::CMachine other;
    ASSERT_TRUE(other.Build());
    auto* ppi = new CParallelPort_I8255();
    ASSERT_TRUE(other.AddDevice(ppi, "PPI_1 I8255", "PPI_1"));
    CLines lines;
    ASSERT_TRUE(ppi->ConnectPorts(&lines, &CLines::Read, &CLines::Write, kBase, true, 1, 0));
    int32_t rate = 4900;
    ASSERT_TRUE(other.Start(&rate));
    ASSERT_TRUE(Load(other, first));
    EXPECT_EQ(first, Save(other));
    EXPECT_EQ(0x89, ppi->ReadCtrl(1));
    EXPECT_EQ(0x12, ppi->ReadRegA(1));
    ppi->WriteRegC(0x55); // input: dropped
    EXPECT_TRUE(lines.writes.empty());
    other.Stop();
}

TEST_F(I8255Test, StateFieldsAreTheControlWordAndTheLatches) {
    Out(3, 0x80);
    Out(1, 0x34);
    Out(3, 0x9B);
    Out(3, 0x0F); // a bit set/reset keeps the control word
    test::CTestStream out;
    common::CStreamHolder holder(&out.Stream());
    ASSERT_TRUE(m_ppi->SaveData(holder));
    EXPECT_EQ(StateBytes(0, {0x9B, 0, 0, 0}), out.GetBytes());
}

TEST(I8255State, LoadRefusesAnotherVersionAndKeepsWhatItReadBeforeAFailure) {
    auto fields = [](uint8_t version, size_t count) { return StateBytes(version, {0x9B, 0x5A, 0x6B, 0x7C}, count); };
    CParallelPort_I8255 ppi;
    int32_t rate = 4900;
    ASSERT_TRUE(ppi.Start(&rate));
    {
        test::CTestStream stream(fields(1, 4));
        common::CStreamHolder holder(&stream.Stream());
        EXPECT_FALSE(ppi.LoadData(holder, nullptr));
        EXPECT_EQ(0, ppi.ReadCtrl(1));
    }
    {
        test::CTestStream stream(fields(0, 2));
        common::CStreamHolder holder(&stream.Stream());
        EXPECT_FALSE(ppi.LoadData(holder, nullptr));
        EXPECT_EQ(0x9B, ppi.ReadCtrl(1));
        EXPECT_EQ(0x5A, ppi.ReadRegA(1));
        EXPECT_EQ(0, ppi.ReadRegB(1));
        // The directions already follow the restored control word.
        ppi.WriteRegA(0x01);
        EXPECT_EQ(0x5A, ppi.ReadRegA(1));
    }
    {
        test::CTestStream stream(fields(0, 4));
        common::CStreamHolder holder(&stream.Stream());
        EXPECT_TRUE(ppi.LoadData(holder, nullptr));
        EXPECT_EQ(0x7C, ppi.ReadRegC(1));
    }
}

TEST(I8255Settings, SixteenFlagsUnlessOnlyEnabledObjectsAreAsked) {
    CParallelPort_I8255 ppi;
    common::CSettingsRegistry settings;
    EXPECT_TRUE(ppi.CollectProperties(&settings, false));
    EXPECT_EQ(16u, settings.GetValues().size());
    const char* const names[] = {"TraceReadCTRL", "BreakReadCTRL", "TraceWriteCTRL", "BreakWriteCTRL",
                                 "TraceReadA",    "BreakReadA",    "TraceWriteA",    "BreakWriteA",
                                 "TraceReadB",    "BreakReadB",    "TraceWriteB",    "BreakWriteB",
                                 "TraceReadC",    "BreakReadC",    "TraceWriteC",    "BreakWriteC"};
    for (uint32_t flag = 0; flag < CParallelPort_I8255::kFlagCount; ++flag) {
        common::CValue* value = settings.FindValue(common::CNarrowString(names[flag]));
        ASSERT_NE(nullptr, value) << names[flag];
        EXPECT_EQ(0x40u, value->GetType());
        EXPECT_TRUE(value->SetBool(true));
        EXPECT_TRUE(ppi.GetFlag(flag)) << names[flag];
    }

    common::CSettingsRegistry enabled;
    ppi.CollectProperties(&enabled, true);
    EXPECT_TRUE(enabled.GetValues().empty());
}

TEST(I8255Menu, DebugMenuOffersEveryFlagWithGroupActions) {
    emu::CMachine machine;
    ASSERT_TRUE(machine.Build());
    auto* ppi = new CParallelPort_I8255();
    ASSERT_TRUE(machine.AddDevice(ppi, "PPI_2 I8255", "PPI_2"));
    emu::COptionTree debug;
    machine.BuildMenu(&debug, 7);
    ASSERT_EQ(1, debug.GetChildCount());
    common::COptionNodeInterface* node = debug.GetChildAt(0);
    EXPECT_STREQ("PPI_2 I8255", node->GetName().GetNarrow());
    const std::vector<std::string> captions = {
        "Trace Write Registers",   "Trace Read Registers", "Trace All", "",           "Break On Write Registers",
        "Break On Read Registers", "Break On All",         "",          "Select All", "Clear All"};
    ASSERT_EQ(static_cast<int32_t>(captions.size()), node->GetChildCount());
    for (int32_t i = 0; i < node->GetChildCount(); ++i)
        EXPECT_EQ(captions[static_cast<size_t>(i)], node->GetChildAt(i)->GetName().GetNarrow());

    common::COptionNodeInterface* readBreaks = node->GetChildAt(5);
    const std::vector<std::string> items = {"Read CTRL", "Read A", "Read B", "Read C", "", "Select All", "Clear All"};
    ASSERT_EQ(static_cast<int32_t>(items.size()), readBreaks->GetChildCount());
    for (int32_t i = 0; i < readBreaks->GetChildCount(); ++i)
        EXPECT_EQ(items[static_cast<size_t>(i)], readBreaks->GetChildAt(i)->GetName().GetNarrow());

    // A check item toggles its flag and marks its sub-menu and the device node.
    EXPECT_FALSE(readBreaks->IsChecked());
    readBreaks->GetChildAt(2)->Activate();
    EXPECT_TRUE(ppi->GetFlag(CParallelPort_I8255::kBreakReadB));
    EXPECT_TRUE(readBreaks->IsChecked());
    EXPECT_TRUE(node->IsChecked());
    readBreaks->GetChildAt(6)->Activate();
    EXPECT_FALSE(ppi->GetFlag(CParallelPort_I8255::kBreakReadB));
    readBreaks->GetChildAt(5)->Activate();
    for (uint32_t flag = 0; flag < CParallelPort_I8255::kFlagCount; ++flag)
        EXPECT_EQ((flag & 3) == 1, ppi->GetFlag(flag)) << CParallelPort_I8255::GetFlagName(flag);

    node->GetChildAt(2)->Activate(); // Trace All
    for (uint32_t flag = 0; flag < CParallelPort_I8255::kFlagCount; flag += 2)
        EXPECT_TRUE(ppi->GetFlag(flag));
    EXPECT_FALSE(ppi->GetFlag(CParallelPort_I8255::kBreakWriteA));
    node->GetChildAt(6)->Activate(); // Break On All
    node->GetChildAt(9)->Activate(); // Clear All
    for (uint32_t flag = 0; flag < CParallelPort_I8255::kFlagCount; ++flag)
        EXPECT_FALSE(ppi->GetFlag(flag));
    node->GetChildAt(8)->Activate(); // Select All
    for (uint32_t flag = 0; flag < CParallelPort_I8255::kFlagCount; ++flag)
        EXPECT_TRUE(ppi->GetFlag(flag));

    // Other menus get nothing from the port.
    emu::COptionTree input;
    machine.BuildMenu(&input, 5);
    EXPECT_EQ(0, input.GetChildCount());
}
