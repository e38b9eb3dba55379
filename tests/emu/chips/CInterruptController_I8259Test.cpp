#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "I8259TestSupport.h"
#include "common/CLocale.h"
#include "common/CWideString.h"
#include "emu/chips/CInterruptController_I8259.h"
#include "emu/framework/COptionTree.h"

namespace {

using emu::CInterruptController_I8259;
using pictest::Bytes;
using pictest::CAck;

CAck Offered(int32_t line, int32_t vector, int32_t address) {
    CAck ack;
    ack.taken = true;
    ack.line = line;
    ack.vector = vector;
    ack.address = address;
    return ack;
}
const CAck kNone;

// A started machine with one controller on ports 20h and 21h.
class CPicMachine : public pictest::CControllerMachine<CInterruptController_I8259> {
public:
    CPicMachine() : CControllerMachine(Connected(new CInterruptController_I8259())) { EXPECT_TRUE(Start()); }

    static CInterruptController_I8259* Connected(CInterruptController_I8259* pic) {
        pic->ConnectPorts(kBasePort);
        return pic;
    }

    // ICW1, then the port-1 words that follow it.
    void Init(uint8_t icw1, std::vector<uint8_t> words) {
        Out(0, icw1);
        for (uint8_t word : words)
            Out(1, word);
    }
    uint8_t ReadIRR() {
        Out(0, 0x0A);
        return In(0);
    }
    uint8_t ReadISR() {
        Out(0, 0x0B);
        return In(0);
    }
    // Raises the line and acknowledges it: the line goes into service.
    void Serve(uint32_t line) {
        EXPECT_TRUE(Raise(line));
        EXPECT_EQ(static_cast<int32_t>(line), Ack(true).line);
    }
};

// The 8080 setup of the machine's software: call interval 4, table at 0200h.
void InitKorvet(CPicMachine& m) {
    m.Init(0xF6, {0x02});
}

TEST(I8259, InitialisationWordsFollowTheSequenceIcw1Announces) {
    struct Row {
        uint8_t icw1;
        std::vector<uint32_t> expected; // ICWF after ICW1 and after each port-1 word
    };
    const Row rows[] = {
        {0xF6, {1, 0}},       // single, no ICW4
        {0x14, {3, 2, 0}},    // cascade: ICW3
        {0x17, {5, 4, 0}},    // single with ICW4
        {0x15, {7, 6, 4, 0}}, // cascade with ICW4
    };
    for (const Row& row : rows) {
        CPicMachine m;
        m.Out(0, row.icw1);
        EXPECT_EQ(row.expected[0], m.m_controller->GetICWF());
        for (size_t i = 1; i < row.expected.size(); ++i) {
            m.Out(1, 0x5A);
            EXPECT_EQ(0, m.In(1)) << "an initialisation word never reaches the mask";
            EXPECT_EQ(row.expected[i], m.m_controller->GetICWF()) << std::hex << int(row.icw1);
        }
        m.Out(1, 0xA5);
        EXPECT_EQ(0xA5, m.In(1)) << "after the sequence port 1 is OCW1";
    }
}

TEST(I8259, AcknowledgeGivesVectorAndCallAddress) {
    struct Row {
        std::vector<uint8_t> init; // ICW1 then the port-1 words
        uint32_t line;
        CAck expected;
    };
    const Row rows[] = {
        {{0xF6, 0x02}, 3, Offered(3, 3, 0x2EC)},          // interval 4: ICW1 A7-A5 + line * 4
        {{0xF2, 0x02}, 3, Offered(3, 3, 0x2D8)},          // interval 8: ICW1 A7-A6 + line * 8
        {{0xF2, 0x02}, 7, Offered(7, 7, 0x2F8)},          // stays inside the table's page
        {{0x16, 0x80}, 0, Offered(0, 0, 0x8000)},         // table at 8000h
        {{0x17, 0x4D, 0x01}, 2, Offered(2, 0x4A, 0x128)}, // x86: ICW2 & F8h + line, vector * 4
    };
    for (const Row& row : rows) {
        CPicMachine m;
        m.Init(row.init[0], std::vector<uint8_t>(row.init.begin() + 1, row.init.end()));
        ASSERT_TRUE(m.Raise(row.line));
        EXPECT_EQ(row.expected, m.Ack(false));
        EXPECT_EQ(row.expected, m.Ack(true));
        EXPECT_EQ(kNone, m.Ack(false));
    }
}

TEST(I8259, Icw1WithoutIcw4LeavesX86ModeBehind) {
    CPicMachine m;
    m.Init(0x17, {0x48, 0x03}); // x86 with AutoEOI
    m.Raise(1);
    EXPECT_EQ(Offered(1, 0x49, 0x124), m.Ack(true));
    m.Init(0x16, {0x40});
    m.Raise(1);
    EXPECT_EQ(Offered(1, 1, 0x4004), m.Ack(true));
    EXPECT_EQ(0x02, m.ReadISR()) << "AutoEOI went with the old ICW4";
}

TEST(I8259, RequestIsALatchUntilAcknowledgedOrLowered) {
    CPicMachine m;
    InitKorvet(m);
    m.SetFlag("TraceRaiseIRQ5");
    EXPECT_FALSE(m.Lower(5)) << "never raised";
    EXPECT_TRUE(m.Raise(5));
    EXPECT_FALSE(m.Raise(5)) << "a second raise is refused";
    EXPECT_EQ(1u, m.TakeLines().size());
    EXPECT_EQ(0x20, m.ReadIRR());
    EXPECT_TRUE(m.Ack(true).taken);
    EXPECT_EQ(0, m.ReadIRR());
    EXPECT_TRUE(m.Raise(13)) << "lines are folded into 0..7";
    EXPECT_TRUE(m.m_controller->IsRequestPending(5));
    EXPECT_TRUE(m.m_controller->IsIrqPending(-1));
    EXPECT_TRUE(m.Lower(5));
    EXPECT_EQ(0, m.ReadIRR());
    EXPECT_FALSE(m.Interrupts().IsInterruptPending(-1));
}

TEST(I8259, AcknowledgeWithoutCommitChangesNothing) {
    CPicMachine m;
    InitKorvet(m);
    m.Raise(4);
    const CAck offer = Offered(4, 4, 0x2F0);
    EXPECT_EQ(offer, m.Ack(false));
    EXPECT_EQ(offer, m.Ack(false));
    EXPECT_EQ(0x10, m.ReadIRR());
    EXPECT_EQ(0, m.ReadISR());
    EXPECT_EQ(offer, m.Ack(true));
    EXPECT_EQ(0, m.ReadIRR());
    EXPECT_EQ(0x10, m.ReadISR());
}

TEST(I8259, LineInServiceBlocksEqualAndLowerPriority) {
    CPicMachine m;
    InitKorvet(m);
    m.Serve(2);
    m.Raise(1);
    m.Raise(5);
    EXPECT_EQ(1, m.Ack(true).line);
    EXPECT_EQ(kNone, m.Ack(false)) << "5 is below 1 and 2 in service";
    m.Out(0, 0x20);
    EXPECT_EQ(0x04, m.ReadISR());
    EXPECT_EQ(kNone, m.Ack(false));
    m.Out(0, 0x20);
    EXPECT_EQ(5, m.Ack(false).line);
}

TEST(I8259, NextLowerLineWaitsWhileOneIsInService) {
    struct CCase {
        uint8_t lowest; // OCW2 set-priority: this line gets the lowest priority
        uint32_t served;
        uint32_t nextLower;
    };
    for (const CCase& c : {CCase{7, 2, 3}, CCase{3, 7, 0}}) {
        CPicMachine m;
        InitKorvet(m);
        m.Out(0, static_cast<uint8_t>(0xC0 | c.lowest));
        m.Serve(c.served);
        m.Raise(c.nextLower);
        EXPECT_EQ(kNone, m.Ack(false)) << c.nextLower << " is just below " << c.served;
        m.Out(0, 0x20);
        EXPECT_EQ(static_cast<int32_t>(c.nextLower), m.Ack(false).line) << "after the EOI of " << c.served;
    }
}

TEST(I8259, SpecialMaskLetsLowerRequestsThrough) {
    CPicMachine m;
    InitKorvet(m);
    m.Serve(2);
    m.Serve(1);
    m.Raise(5);
    EXPECT_EQ(kNone, m.Ack(false));
    m.Out(0, 0x68); // OCW3: set special mask
    EXPECT_EQ(5, m.Ack(false).line);
    m.Out(0, 0x48); // OCW3: clear special mask
    EXPECT_EQ(kNone, m.Ack(false));
}

TEST(I8259, MaskedRequestWaitsInIrr) {
    CPicMachine m;
    InitKorvet(m);
    m.Out(1, 0x40);
    m.Raise(6);
    EXPECT_EQ(kNone, m.Ack(false));
    EXPECT_EQ(0x40, m.ReadIRR());
    m.Out(1, 0x00);
    EXPECT_EQ(6, m.Ack(false).line);
}

TEST(I8259, InitialisationHoldsRequestsBack) {
    CPicMachine m;
    m.Raise(2);
    m.Out(0, 0x15); // cascade with ICW4: ICW1 drops the request
    EXPECT_EQ(0, m.ReadIRR());
    m.Raise(2);
    for (uint8_t word : {0x00, 0x00}) {
        m.Out(1, word);
        EXPECT_EQ(kNone, m.Ack(false));
    }
    m.Out(1, 0x00);
    EXPECT_EQ(2, m.Ack(false).line);
}

TEST(I8259, EndOfInterruptAndPriorityCommands) {
    struct Row {
        const char* what;
        std::vector<uint8_t> setup; // port-0 words before serving
        std::vector<uint32_t> served;
        uint8_t command;
        uint8_t isr;
        uint32_t mpi;
    };
    const Row rows[] = {
        {"EOI finishes the highest in service", {}, {5, 2}, 0x20, 0x20, 0},
        {"EOI with autorotate", {0x80}, {6}, 0x20, 0x00, 7},
        {"autorotate off", {0x80, 0x00}, {6}, 0x20, 0x00, 0},
        {"specific EOI", {}, {5, 2}, 0x65, 0x04, 0},
        {"EOI and rotate: the line finished becomes the lowest", {}, {3}, 0xA0, 0x00, 4},
        {"EOI and rotate with nothing in service", {}, {}, 0xA0, 0x00, 0},
        {"set priority", {}, {}, 0xC4, 0x00, 5},
        {"specific EOI and set priority", {}, {5, 2}, 0xE2, 0x20, 3},
        {"no operation", {}, {2}, 0x40, 0x04, 0},
    };
    for (const Row& row : rows) {
        CPicMachine m;
        InitKorvet(m);
        for (uint8_t word : row.setup)
            m.Out(0, word);
        for (uint32_t line : row.served)
            m.Serve(line);
        m.Out(0, row.command);
        EXPECT_EQ(row.isr, m.ReadISR()) << row.what;
        EXPECT_EQ(row.mpi, m.m_controller->GetMPI()) << row.what;
    }
    // The priority order follows MPI: after "set priority 4", 6 outranks 3.
    CPicMachine m;
    InitKorvet(m);
    m.Out(0, 0xC4);
    m.Raise(3);
    m.Raise(6);
    EXPECT_EQ(6, m.Ack(false).line);
}

TEST(I8259, AutoEoiNeverEntersService) {
    for (bool autorotate : {false, true}) {
        CPicMachine m;
        m.Init(0x17, {0x00, 0x02});
        if (autorotate)
            m.Out(0, 0x80);
        m.Serve(3);
        EXPECT_EQ(0, m.ReadISR());
        EXPECT_EQ(autorotate ? 4u : 0u, m.m_controller->GetMPI());
    }
}

TEST(I8259, PortZeroReadsTheRegisterOcw3Chose) {
    CPicMachine m;
    InitKorvet(m);
    m.Serve(1);
    m.Raise(4);
    EXPECT_EQ(0x10, m.In(0)) << "IRR after initialisation";
    m.Out(0, 0x0B);
    m.Out(0, 0x08); // OCW3 without a read command keeps the choice
    EXPECT_EQ(0x02, m.In(0));
    m.Out(0, 0x0A);
    EXPECT_EQ(0x10, m.In(0));
}

TEST(I8259, PollReadTakesTheBestRequestOnly) {
    CPicMachine m;
    InitKorvet(m);
    m.Serve(4);
    m.Raise(0);
    m.Raise(2);
    m.Out(0, 0x0C);
    EXPECT_EQ(kNone, m.Ack(false)) << "a pending poll holds the requests back";
    EXPECT_EQ(0, m.In(0, true)) << "a peek finds nothing";
    EXPECT_EQ(0x80, m.In(0)) << "the peek left the poll pending";
    EXPECT_EQ(0x04, m.ReadIRR()) << "line 0 was taken";
    EXPECT_EQ(0x10, m.ReadISR()) << "line 4 is still in service";
    m.Out(0, 0x0C);
    EXPECT_EQ(0x82, m.In(0));
    m.Out(0, 0x0C);
    EXPECT_EQ(0x00, m.In(0)) << "nothing left";
    EXPECT_EQ(0x10, m.ReadISR());
}

TEST(I8259, StartClearsTheRegistersButAResetDoesNot) {
    CPicMachine m;
    InitKorvet(m);
    m.Out(1, 0x33);
    m.Serve(2);
    ASSERT_TRUE(m.m_machine.Reset(emu::CDevice::kResetStarted));
    EXPECT_EQ(0x33, m.In(1));
    m.m_machine.Stop();
    ASSERT_TRUE(m.Start());
    EXPECT_EQ(0, m.In(1));
    EXPECT_EQ(0, m.ReadISR());
    EXPECT_EQ(0u, m.m_controller->GetICWF());
    EXPECT_EQ(1, m.Interrupts().GetControllerCount());
}

TEST(I8259, PortsFollowConnectPorts) {
    CPicMachine m;
    m.Out(1, 0x77);
    uint8_t value = 0;
    emu::CDevice* context = m.m_controller;
    EXPECT_FALSE(CInterruptController_I8259::ReadPortCallback(context, 0x21, 2, &value, 0));
    EXPECT_FALSE(CInterruptController_I8259::WritePortCallback(context, 0x21, 2, &value));
    m.m_controller->ConnectPorts(0x40);
    EXPECT_EQ(0xFF, m.In(1)) << "the old ports are withdrawn";
    EXPECT_EQ(0x77, m.Ports().InputByte(0x41, 0, nullptr));
    m.m_controller->ConnectPorts(-1);
    EXPECT_EQ(0xFF, m.Ports().InputByte(0x41, 0, nullptr));
}

// --- State ------------------------------------------------------------------------

TEST(I8259, StateChunkLayout) {
    CPicMachine m;
    Bytes expected;
    test::AppendObjectHead(expected, "PIC I8259", true);
    test::AppendDeviceData(expected);
    test::AppendVersionChunk(expected, "_INTRD");
    test::AppendU8Field(expected, "VER", 0);
    const char* names[] = {"IRR",  "ISR",  "IMR",  "IRR0", "IRR1", "IRR2", "IRR3", "IRR4",
                           "IRR5", "IRR6", "IRR7", "ICW1", "ICW2", "ICW3", "ICW4", "ICWF",
                           "OCW1", "OCW2", "OCW3", "MPI",  "IVI",  "PRM",  "WMD"};
    for (const char* name : names)
        pictest::AppendI32Field(expected, name, std::string(name) == "PRM" ? 2 : 0);
    test::AppendEnd(expected, "PIC I8259");
    EXPECT_EQ(expected, m.SaveController());
}

TEST(I8259, SaveLoadSaveGivesTheSameBytes) {
    CPicMachine m;
    m.Init(0x15, {0x0B, 0x00, 0x03}); // cascade, x86, AutoEOI
    m.Out(0, 0x80);                   // autorotate
    m.Out(0, 0x68);                   // special mask
    m.Out(1, 0x10);
    m.Raise(4);
    m.Raise(6);
    m.Out(0, 0xC1);
    m.Out(0, 0x0B);
    m.Out(0, 0x0C); // poll pending
    const Bytes saved = m.SaveController();

    CPicMachine other;
    ASSERT_TRUE(other.LoadController(saved));
    EXPECT_EQ(saved, other.SaveController());
    EXPECT_EQ(m.In(0), other.In(0)) << "the same poll answer";
    EXPECT_EQ(m.Ack(true), other.Ack(true));
}

TEST(I8259, LoadInTheMiddleOfInitialisationKeepsTheExpectedWords) {
    CPicMachine m;
    m.Init(0x15, {0x08}); // ICW3 and ICW4 still to come
    CPicMachine other;
    ASSERT_TRUE(other.LoadController(m.SaveController()));
    EXPECT_EQ(6u, other.m_controller->GetICWF());
    other.Out(1, 0x04); // ICW3
    other.Out(1, 0x01); // ICW4
    other.Out(1, 0x99); // OCW1
    EXPECT_EQ(0x99, other.In(1));
}

TEST(I8259, LoadRefusesAnotherVersionAndKeepsWhatItReadBeforeABreak) {
    CPicMachine m;
    m.Out(1, 0x5A);
    const Bytes saved = m.SaveController();
    const std::string marker = "VER";
    // The chip's own "VER" is the last one before "IRR".
    Bytes wrongVersion = saved;
    const std::string text(saved.begin(), saved.end());
    const size_t irr = text.find("IRR");
    const size_t version = text.rfind(marker, irr);
    ASSERT_NE(std::string::npos, version);
    wrongVersion[version + marker.size() + 1] = 1;
    CPicMachine other;
    EXPECT_FALSE(other.LoadController(wrongVersion));
    EXPECT_EQ(0, other.In(1));

    const size_t cut = text.find("IRR0"); // after "IRR", "ISR" and "IMR"
    EXPECT_FALSE(other.LoadController(Bytes(saved.begin(), saved.begin() + static_cast<long>(cut))));
    EXPECT_EQ(0x5A, other.In(1)) << "IMR was read before the break";
}

TEST(I8259, LoadRepairsRequestCountsThatDisagreeWithIrr) {
    CPicMachine m;
    InitKorvet(m);
    m.Raise(3);
    Bytes saved = m.SaveController();
    // IRR says line 3, the counts say line 5.
    const std::string text(saved.begin(), saved.end());
    saved[text.find("IRR3") + 5] = 0; // value byte follows name and type
    saved[text.find("IRR5") + 5] = 1;
    CPicMachine other;
    ASSERT_TRUE(other.LoadController(saved));
    EXPECT_EQ(0x20, other.ReadIRR());
    EXPECT_EQ(5, other.Ack(true).line);
    EXPECT_EQ(kNone, other.Ack(false)) << "no request left that nothing can clear";
}

// --- Trace, break, settings and menu -------------------------------------------------

TEST(I8259, InterruptTraceLines) {
    CPicMachine m;
    InitKorvet(m);
    m.SetFlag("TraceRaiseIRQ3");
    m.SetFlag("TraceProcessIRQ3");
    m.Raise(3);
    m.Ack(false);
    m.Ack(true);
    m.Raise(4); // its flags are off
    m.Ack(true);
    const std::vector<pictest::CTraceLine> lines = m.TakeLines();
    ASSERT_EQ(2u, lines.size());
    EXPECT_EQ("[PIC] Raise IRQ_3 (vector 03h, count 1)", lines[0].text);
    EXPECT_EQ("[PIC] Process IRQ_3 (vector 03h, address=02ECh, pending 0)", lines[1].text);
    EXPECT_EQ(emu::ConsoleColors[emu::kColourTrace], lines[1].colour);
}

TEST(I8259, PortTraceLines) {
    CPicMachine m;
    m.m_cpu->m_kind = 1;
    m.SetFlag("TraceWritePorts0");
    m.SetFlag("TraceWritePorts1");
    m.SetFlag("TraceReadPorts0");
    m.SetFlag("TraceReadPorts1");
    m.Init(0x15, {0x4D, 0x04, 0x03});
    m.Out(1, 0xFE);
    for (uint8_t word : {0x00, 0x20, 0x62, 0x80, 0xA0, 0xC3, 0xE1, 0x40, 0x08, 0x0B, 0x0C})
        m.Out(0, word);
    m.m_cpu->m_kind = 3;
    m.Out(0, 0x16);
    m.Out(1, 0x02);
    m.Raise(3);
    m.In(0);
    m.In(1);
    m.In(0, true); // a peek leaves no trace
    m.Out(0, 0x0B);
    m.In(0);
    m.Out(0, 0x0C);
    m.In(0);
    m.Out(0, 0x0C);
    m.In(0);
    const std::vector<std::string> expected = {
        "[PIC] =>Port0 = ICW1 = 15h (start init, reset)",
        "[PIC] =>Port1 = ICW2 = 4Dh (IRQ base index)",
        "[PIC] =>Port1 = ICW3 = 04h (cascading)",
        "[PIC] =>Port1 = ICW4 = 03h (x86,enable AutoEOI etc.)",
        "[PIC] =>Port1 = OCW1 = FEh (IMR interrupt mask)",
        "[PIC] =>Port0 = OCW2 = 00h (disable autorotate priority mode)",
        "[PIC] =>Port0 = OCW2 = 20h (finish hi-priority interrupt and set priority)",
        "[PIC] =>Port0 = OCW2 = 62h (finish specified interrupt)",
        "[PIC] =>Port0 = OCW2 = 80h (enable autorotate priority mode)",
        "[PIC] =>Port0 = OCW2 = A0h (finish hi-priority interrupt and rotate priority)",
        "[PIC] =>Port0 = OCW2 = C3h (set priority)",
        "[PIC] =>Port0 = OCW2 = E1h (finish specified interrupt and set priority)",
        "[PIC] =>Port0 = OCW2 = 40h",
        "[PIC] =>Port0 = OCW3 = 08h",
        "[PIC] =>Port0 = OCW3 = 0Bh (set port0 read mode)",
        "[PIC] =>Port0 = OCW3 = 0Ch (enable polling mode)",
        "[PIC] =>Port0 = ICW1 = 16h (start init, reset)",
        "[PIC] =>Port1 = ICW2 = 02h (interrupt table MSB)",
        "[PIC] <=Port0 = IRR = 08h (interrupt request register)",
        "[PIC] <=Port1 = IMR = 00h (interrupt mask register)",
        "[PIC] =>Port0 = OCW3 = 0Bh (set port0 read mode)",
        "[PIC] <=Port0 = ISR = 00h (interrupt service register)",
        "[PIC] =>Port0 = OCW3 = 0Ch (enable polling mode)",
        "[PIC] <=Port0 = 83h (Polling, IRR[3]=off)",
        "[PIC] =>Port0 = OCW3 = 0Ch (enable polling mode)",
        "[PIC] <=Port0 = 00h (Polling)",
    };
    EXPECT_EQ(expected, m.TakeTexts());
}

TEST(I8259, WordFlagsTraceOnlyTheirWord) {
    CPicMachine m;
    m.SetFlag("TraceWriteICW0");
    m.SetFlag("TraceWriteOCW0");
    m.SetFlag("TraceReadISR");
    m.Init(0x16, {0x02});
    m.Out(1, 0x01);
    m.Out(0, 0x20);
    m.In(0); // IRR
    m.Out(0, 0x0B);
    m.In(0);
    const std::vector<std::string> expected = {
        "[PIC] =>Port0 = ICW1 = 16h (start init, reset)",
        "[PIC] =>Port1 = OCW1 = 01h (IMR interrupt mask)",
        "[PIC] <=Port0 = ISR = 00h (interrupt service register)",
    };
    EXPECT_EQ(expected, m.TakeTexts());
    m.m_level = 1; // the debugger single-steps: every port access shows
    m.Out(1, 0x02);
    m.Raise(1);
    EXPECT_EQ(std::vector<std::string>{"[PIC] =>Port1 = OCW1 = 02h (IMR interrupt mask)"}, m.TakeTexts());
}

TEST(I8259, BreakLeavesTheWriteUndone) {
    CPicMachine m;
    InitKorvet(m);
    m.Serve(2);
    m.SetFlag("BreakWritePorts1");
    m.SetFlag("BreakWriteICW0");
    m.m_breaks = true;
    m.Out(1, 0x55);
    m.Out(0, 0x13); // ICW1
    const std::vector<pictest::CTraceLine> lines = m.TakeLines();
    ASSERT_EQ(2u, lines.size());
    EXPECT_EQ("[PIC BREAK] =>Port1 = OCW1 = 55h (IMR interrupt mask)", lines[0].text);
    EXPECT_EQ(emu::ConsoleColors[emu::kColourAccessBreak], lines[0].colour);
    EXPECT_EQ(0, m.In(1));
    EXPECT_EQ(0x04, m.ReadISR());
    EXPECT_EQ(0u, m.m_controller->GetICWF());
    m.m_breaks = false; // the instruction repeats the write
    m.Out(1, 0x55);
    EXPECT_EQ(0x55, m.In(1));
}

TEST(I8259, BreakOnAPollReadKeepsThePollPending) {
    CPicMachine m;
    InitKorvet(m);
    m.Raise(3);
    m.SetFlag("BreakReadPorts0");
    m.Out(0, 0x0C);
    m.m_breaks = true;
    EXPECT_EQ(0x83, m.In(0));
    m.m_breaks = false;
    EXPECT_EQ(0x83, m.In(0)) << "the repeated read polls again";
    EXPECT_EQ(2, m.m_breakChecks);
    m.Out(0, 0x0A);
    EXPECT_EQ(0, m.In(0)) << "the request was taken this time";
}

TEST(I8259, SettingsBindSixtyFlags) {
    CPicMachine m;
    EXPECT_EQ(60u, m.m_settings.GetValues().size());
    for (const char* key : {"TraceRaiseIRQ7", "TraceProcessIRQ0", "BreakRaiseIRQ4", "BreakProcessIRQ7",
                            "BreakWritePorts1", "TraceWriteICW3", "BreakWriteICW0", "TraceWriteOCW2", "BreakWriteOCW0",
                            "TraceReadIRR", "BreakReadISR", "BreakReadIMR"})
        EXPECT_FALSE(m.GetFlag(key)) << key;
    common::CSettingsRegistry enabledOnly;
    EXPECT_TRUE(m.m_controller->CollectProperties(&enabledOnly, true));
    EXPECT_TRUE(enabledOnly.GetValues().empty());
    EXPECT_TRUE(m.m_controller->ValidateProperties(false));
}

std::string NameOf(const common::COptionNodeInterface* node) {
    return node->GetName().GetNarrow();
}

common::COptionNodeInterface* ChildNamed(common::COptionNodeInterface* node, const std::string& name) {
    for (int32_t i = 0; i < node->GetChildCount(); ++i)
        if (NameOf(node->GetChildAt(i)) == name)
            return node->GetChildAt(i);
    return nullptr;
}

// The two UI texts the menu names by id, registered as the only language for
// the test's lifetime.
class CMenuTexts : public common::CLocale {
public:
    bool LookupText(int32_t id, common::CWideString& text) const override {
        if (id != 78 && id != 79)
            return false;
        text.AssignNarrow(id == 78 ? "Select All" : "Clear All");
        return true;
    }
};

struct CMenuTextsInstalled {
    CMenuTextsInstalled() {
        common::CLocale::ResetLanguageTable();
        common::CLocale::RegisterLanguage(0, new CMenuTexts());
        common::CLocale::SelectLanguage(0);
    }
    ~CMenuTextsInstalled() { common::CLocale::ResetLanguageTable(); }
};

TEST(I8259, DebugMenuOffersTheFlags) {
    CMenuTextsInstalled texts;
    CPicMachine m;
    emu::COptionTree other;
    m.m_controller->BuildMenu(&other, 3);
    EXPECT_EQ(0, other.GetChildCount());

    emu::COptionTree menu;
    m.m_controller->BuildMenu(&menu, 7);
    ASSERT_EQ(14, menu.GetChildCount());
    std::vector<std::string> names;
    for (int32_t i = 0; i < menu.GetChildCount(); ++i)
        names.push_back(NameOf(menu.GetChildAt(i)));
    const std::vector<std::string> top = {
        "Trace Registers",    "Trace Ports",    "Trace Raise IRQ",    "Trace Process IRQ",    "Trace All",    "",
        "Break On Registers", "Break On Ports", "Break On Raise IRQ", "Break On Process IRQ", "Break On All", "",
        "Select All",         "Clear All"};
    EXPECT_EQ(top, names);
    EXPECT_EQ(78, menu.GetChildAt(12)->GetTag());
    EXPECT_EQ(79, menu.GetChildAt(13)->GetTag());

    common::COptionNodeInterface* ports = ChildNamed(&menu, "Trace Ports");
    ASSERT_NE(nullptr, ports);
    EXPECT_EQ(7, ports->GetChildCount());
    common::COptionNodeInterface* read1 = ChildNamed(ports, "Read Port 1 (IMR)");
    ASSERT_NE(nullptr, read1);
    EXPECT_FALSE(ports->IsChecked());
    EXPECT_TRUE(read1->Activate());
    EXPECT_TRUE(m.GetFlag("TraceReadPorts1"));
    EXPECT_TRUE(ports->IsChecked()) << "a submenu shows checked while an item is";
    EXPECT_TRUE(menu.IsChecked());

    common::COptionNodeInterface* lines = ChildNamed(&menu, "Break On Process IRQ");
    ASSERT_NE(nullptr, lines);
    EXPECT_TRUE(ChildNamed(lines, "IRQ Line 7")->Activate());
    EXPECT_TRUE(m.GetFlag("BreakProcessIRQ7"));
    ASSERT_NE(nullptr, ChildNamed(ChildNamed(&menu, "Trace Registers"), "Read IRM (Interrupt Mask Register)"));

    ChildNamed(&menu, "Trace All")->Activate();
    for (const auto& entry : m.m_settings.GetValues()) {
        bool on = false;
        entry.second->GetBool(on);
        const std::string key = entry.first.GetNarrow();
        EXPECT_EQ(key.rfind("Trace", 0) == 0 || key == "BreakProcessIRQ7", on) << key;
    }
    menu.GetChildAt(12)->Activate(); // Select All
    for (const auto& entry : m.m_settings.GetValues())
        EXPECT_TRUE(m.GetFlag(entry.first.GetNarrow())) << entry.first.GetNarrow();
    menu.GetChildAt(13)->Activate(); // Clear All
    for (const auto& entry : m.m_settings.GetValues())
        EXPECT_FALSE(m.GetFlag(entry.first.GetNarrow())) << entry.first.GetNarrow();
}

} // namespace
