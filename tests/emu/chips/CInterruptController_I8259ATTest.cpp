#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "I8259TestSupport.h"
#include "emu/chips/CInterruptController_I8259.h"
#include "emu/chips/CInterruptController_I8259AT.h"
#include "emu/framework/COptionTree.h"

namespace {

using emu::CInterruptController_I8259;
using emu::CInterruptController_I8259AT;
using pictest::CAck;

constexpr uint32_t kMasterPort = 0x20;
constexpr uint32_t kSlavePort = 0xA0;

CAck Offered(int32_t line, int32_t vector) {
    CAck ack;
    ack.taken = true;
    ack.line = line;
    ack.vector = vector;
    ack.address = vector * 4;
    return ack;
}
const CAck kNone;

// A started machine with the pair, the master on ports 20h/21h and the slave
// on A0h/A1h, both initialised for x86 vectors 08h and 70h.
class CPairMachine : public pictest::CControllerMachine<CInterruptController_I8259AT> {
public:
    CPairMachine() : CControllerMachine(Connected(new CInterruptController_I8259AT())) {
        EXPECT_TRUE(Slave()->CollectProperties(&m_slaveSettings, false));
        EXPECT_TRUE(Start());
        Init(kMasterPort, 0x08, 0x04);
        Init(kSlavePort, 0x70, 0x02);
    }

    static CInterruptController_I8259AT* Connected(CInterruptController_I8259AT* pair) {
        pair->GetMaster()->ConnectPorts(kMasterPort);
        pair->GetSlave()->ConnectPorts(kSlavePort);
        return pair;
    }

    CInterruptController_I8259* Master() { return m_controller->GetMaster(); }
    CInterruptController_I8259* Slave() { return m_controller->GetSlave(); }

    void Init(uint32_t port, uint8_t icw2, uint8_t icw3) {
        Ports().OutputByte(port, 0x11); // cascade mode, ICW4 follows
        Ports().OutputByte(port + 1, icw2);
        Ports().OutputByte(port + 1, icw3);
        Ports().OutputByte(port + 1, 0x01); // x86
    }
    void Eoi(uint32_t port) { Ports().OutputByte(port, 0x20); }

    common::CSettingsRegistry m_slaveSettings;
};

TEST(I8259AT, OnlyThePairIsRegistered) {
    CPairMachine m;
    EXPECT_STREQ("PIC I8259AT", m.m_controller->GetName());
    EXPECT_STREQ("PIC_A", m.Master()->GetName());
    EXPECT_STREQ("PIC_B", m.Slave()->GetShortName());
    EXPECT_EQ(8, m.Slave()->GetLineBase());
    EXPECT_EQ(1, m.Interrupts().GetControllerCount());
    EXPECT_TRUE(m.Raise(12));
    EXPECT_TRUE(m.Slave()->IsRequestPending(4));
}

TEST(I8259AT, SlaveRequestIsAnsweredByTheSlave) {
    CPairMachine m;
    m.SetFlag("TraceRaiseIRQ2"); // the master's flags
    common::CValue* slaveRaise = m.m_slaveSettings.FindValue(common::CNarrowString("TraceRaiseIRQ2"));
    common::CValue* slaveProcess = m.m_slaveSettings.FindValue(common::CNarrowString("TraceProcessIRQ2"));
    ASSERT_NE(nullptr, slaveRaise);
    slaveRaise->SetBool(true);
    slaveProcess->SetBool(true);
    EXPECT_TRUE(m.Raise(10));
    EXPECT_TRUE(m.Master()->IsRequestPending(2));
    EXPECT_EQ(Offered(2, 0x72), m.Ack(false)) << "the slave's own line, vector and address";
    EXPECT_EQ(Offered(2, 0x72), m.Ack(true));
    EXPECT_EQ(0x04u, m.Master()->GetISR());
    EXPECT_EQ(0x04u, m.Slave()->GetISR());
    EXPECT_EQ(0u, m.Master()->GetIRR());
    const std::vector<std::string> expected = {
        "[PIC_B] Raise IRQ_10 (vector 72h, count 1)",
        "[PIC_A] Raise IRQ_2 (vector 0Ah, count 1)",
        "[PIC_B] Process IRQ_10 (vector 72h, address=01C8h, pending 0)",
    };
    EXPECT_EQ(expected, m.TakeTexts());
}

TEST(I8259AT, CascadeLineIsRaisedAgainWhileTheSlaveHasRequests) {
    CPairMachine m;
    EXPECT_TRUE(m.Raise(9));
    EXPECT_TRUE(m.Raise(10)) << "the slave takes it; the master's line 2 is already up";
    EXPECT_EQ(Offered(1, 0x71), m.Ack(true));
    EXPECT_TRUE(m.Master()->IsRequestPending(2)) << "raised again for line 10";
    EXPECT_EQ(kNone, m.Ack(false)) << "master line 2 in service blocks its own new request";
    m.Eoi(kSlavePort);
    m.Eoi(kMasterPort);
    EXPECT_EQ(Offered(2, 0x72), m.Ack(true));
    EXPECT_FALSE(m.Master()->IsRequestPending(2));
}

TEST(I8259AT, LoweringOneSlaveLineKeepsTheOthersReachable) {
    CPairMachine m;
    m.Raise(9);
    m.Raise(10);
    EXPECT_TRUE(m.Lower(9));
    EXPECT_TRUE(m.Master()->IsRequestPending(2));
    EXPECT_EQ(Offered(2, 0x72), m.Ack(false));
    EXPECT_TRUE(m.Lower(10));
    EXPECT_FALSE(m.Master()->IsRequestPending(-1));
    EXPECT_EQ(kNone, m.Ack(false));
}

TEST(I8259AT, PairLineTwoArrivesAsSlaveLineOne) {
    CPairMachine m;
    EXPECT_TRUE(m.Raise(2));
    EXPECT_TRUE(m.Slave()->IsRequestPending(1));
    EXPECT_EQ(Offered(1, 0x71), m.Ack(true));
    EXPECT_TRUE(m.Raise(2));
    EXPECT_TRUE(m.Lower(2));
    EXPECT_FALSE(m.Master()->IsRequestPending(2));
    EXPECT_FALSE(m.Slave()->IsRequestPending(-1));
}

TEST(I8259AT, SlaveWithNothingToOfferDoesNotHoldBackTheMaster) {
    for (bool unfinishedInit : {false, true}) {
        CPairMachine m;
        if (unfinishedInit)
            m.Ports().OutputByte(kSlavePort, 0x11);
        else
            m.Ports().OutputByte(kSlavePort + 1, 0x04); // mask slave line 2
        m.Raise(10);
        m.Raise(5);
        EXPECT_EQ(Offered(5, 0x0D), m.Ack(false));
        EXPECT_EQ(Offered(5, 0x0D), m.Ack(true));
        EXPECT_EQ(0x20u, m.Master()->GetISR());
        EXPECT_TRUE(m.Master()->IsRequestPending(2)) << "the cascade request waits";
        m.Eoi(kMasterPort);
        if (unfinishedInit) {
            m.Ports().OutputByte(kSlavePort + 1, 0x70);
            m.Ports().OutputByte(kSlavePort + 1, 0x02);
            m.Ports().OutputByte(kSlavePort + 1, 0x01);
        } else {
            m.Ports().OutputByte(kSlavePort + 1, 0x00);
        }
        EXPECT_EQ(Offered(2, 0x72), m.Ack(true));
    }
}

TEST(I8259AT, LineRangeAndPendingQueries) {
    CPairMachine m;
    EXPECT_FALSE(m.Raise(16));
    EXPECT_FALSE(m.m_controller->SetRequestLine(0xFFFFFFFF, true));
    EXPECT_TRUE(m.Raise(12));
    EXPECT_TRUE(m.Interrupts().IsInterruptPending(12));
    EXPECT_FALSE(m.Interrupts().IsInterruptPending(4));
    EXPECT_FALSE(m.Interrupts().IsInterruptPending(16));
    EXPECT_TRUE(m.Interrupts().IsInterruptPending(2)) << "the cascade line";
    m.Slave()->SetRequestLine(5, true); // a slave request the master has not heard of
    m.Lower(12);
    EXPECT_TRUE(m.Interrupts().IsInterruptPending(13));
    m.Master()->SetRequestLine(2, false);
    EXPECT_FALSE(m.Interrupts().IsInterruptPending(-1)) << "-1 asks only the master";
}

TEST(I8259AT, StateHoldsBothControllers) {
    CPairMachine m;
    m.Raise(10);
    m.Raise(3);
    m.Ack(true);
    const pictest::Bytes saved = m.SaveController();
    const std::string text(saved.begin(), saved.end());
    EXPECT_NE(std::string::npos, text.find("PIC_A"));
    EXPECT_NE(std::string::npos, text.find("PIC_B"));

    CPairMachine other;
    ASSERT_TRUE(other.LoadController(saved));
    EXPECT_EQ(saved, other.SaveController());
    EXPECT_EQ(m.Ack(true), other.Ack(true));
}

TEST(I8259AT, DebugMenuHasOneSubmenuPerController) {
    CPairMachine m;
    emu::COptionTree menu;
    m.m_controller->BuildMenu(&menu, 7);
    ASSERT_EQ(2, menu.GetChildCount());
    EXPECT_STREQ("PIC_A", menu.GetChildAt(0)->GetName().GetNarrow());
    EXPECT_STREQ("PIC_B", menu.GetChildAt(1)->GetName().GetNarrow());
    EXPECT_EQ(14, menu.GetChildAt(1)->GetChildCount());
}

} // namespace
