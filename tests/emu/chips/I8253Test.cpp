// The I8253 timer counted through its ports in a small machine: each mode,
// the byte protocols, latches and read-back, the gate, interrupt requests and
// trace lines.
#include <gtest/gtest.h>

#include "I8253TestSupport.h"
#include "common/CSettingsRegistry.h"
#include "common/CValue.h"

using pittest::CTimerRig;
using pittest::kPortData;
using pittest::kPortMode;

namespace {

class I8253Test : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_rig.Start()); }

    // Sets a channel's trace or break flag through its settings key.
    void SetFlag(int channel, const char* key, bool on = true) {
        common::CSettingsRegistry registry;
        m_rig.Channel(channel)->CollectProperties(&registry, false);
        common::CValue* value = registry.FindValue(common::CNarrowString(key));
        ASSERT_NE(value, nullptr) << key;
        value->SetBool(on);
    }

    CTimerRig m_rig;
};

TEST_F(I8253Test, StartLeavesChannelsUnsetWithTheCountWaiting) {
    EXPECT_GE(m_rig.m_startRate, emu::CTimerChannel_I8253::kMinimumRate);
    for (int n = 0; n < 3; ++n) {
        EXPECT_EQ(m_rig.In(kPortData + n), 0) << n; // no read/load mode: reads 0
        EXPECT_EQ(m_rig.Status(n), 0x40) << n;      // output low, null count
    }
    EXPECT_EQ(m_rig.In(kPortMode), 0); // the control register reads 0
    EXPECT_TRUE(m_rig.TakeLines().empty());
}

TEST_F(I8253Test, TheChipRaisesASlowRateTo2000) {
    int32_t rate = 1000;
    emu::CMachine machine;
    ASSERT_TRUE(machine.Build());
    auto* pit = new emu::CTimer_I8253();
    pit->GetChannel(1)->SetClockFrequency(1);
    ASSERT_TRUE(machine.AddDevice(pit, nullptr, nullptr));
    ASSERT_TRUE(machine.Start(&rate));
    EXPECT_EQ(rate, 2000);
    EXPECT_EQ(pit->GetChannel(1)->GetClockFrequency(), 1u);
    EXPECT_EQ(pit->GetChannel(2)->GetClockFrequency(), emu::CTimerChannel_I8253::kDefaultClock);
    machine.Stop();
}

TEST_F(I8253Test, Mode0CountsDownAndRaisesTheOutputAtTerminalCount) {
    m_rig.Program(1, 0, 100); // 10 base cycles per input pulse
    EXPECT_EQ(m_rig.Count(1), 100);
    EXPECT_EQ(m_rig.Status(1), 0x30); // output low, count taken, RL 3, mode 0
    const struct {
        uint64_t at;
        uint16_t count;
        bool output;
    } steps[] = {{250, 75, false}, {255, 75, false}, {990, 1, false}, {1000, 0, true}, {6000, 0, true}};
    uint64_t now = 0;
    for (const auto& step : steps) {
        m_rig.Run(step.at - now);
        now = step.at;
        EXPECT_EQ(m_rig.Count(1), step.count) << step.at;
        EXPECT_EQ(m_rig.Output(1), step.output) << step.at;
    }
    // A new count starts it again with the output low.
    m_rig.Out(kPortData + 1, 10);
    m_rig.Out(kPortData + 1, 0);
    EXPECT_FALSE(m_rig.Output(1));
    m_rig.Run(100);
    EXPECT_TRUE(m_rig.Output(1));
}

TEST_F(I8253Test, PeriodicModesFollowTheirWaveforms) {
    // Output level across one period, 10 base cycles per input pulse.
    const struct {
        int mode;
        uint16_t count;
        std::vector<std::pair<uint64_t, bool>> levels;
    } cases[] = {
        {2, 5, {{0, true}, {39, true}, {41, false}, {49, false}, {51, true}, {91, false}}},
        {6, 5, {{0, true}, {41, false}, {51, true}}},
        {3, 5, {{5, true}, {29, true}, {31, false}, {49, false}, {51, true}, {81, false}}},
        {3, 4, {{5, true}, {19, true}, {21, false}, {39, false}, {41, true}}},
        {7, 4, {{5, true}, {21, false}, {41, true}}},
    };
    for (const auto& c : cases) {
        m_rig.Program(1, c.mode, c.count);
        const uint64_t start = m_rig.Now();
        for (const auto& level : c.levels) {
            m_rig.Run(start + level.first - m_rig.Now());
            EXPECT_EQ(m_rig.Output(1), level.second)
                << "mode " << c.mode << " count " << c.count << " at " << level.first;
        }
    }
}

TEST_F(I8253Test, Mode2CountsEachPeriodDown) {
    m_rig.Program(1, 2, 5);
    const uint64_t start = m_rig.Now();
    const struct {
        uint64_t at;
        uint16_t count;
    } steps[] = {{0, 5}, {1, 5}, {10, 4}, {41, 1}, {50, 5}, {51, 5}, {99, 1}};
    for (const auto& step : steps) {
        m_rig.Run(start + step.at - m_rig.Now());
        EXPECT_EQ(m_rig.Count(1), step.count) << step.at;
    }
    // A count of 1 stays 1 with the output low.
    m_rig.Program(1, 2, 1);
    m_rig.Run(35);
    EXPECT_EQ(m_rig.Count(1), 1);
    EXPECT_FALSE(m_rig.Output(1));
}

TEST_F(I8253Test, Mode4StrobesLowForOnePulseAfterTheCount) {
    m_rig.Program(1, 4, 4); // 5 pulses: 50 cycles
    const uint64_t start = m_rig.Now();
    const struct {
        uint64_t at;
        uint16_t count;
        bool output;
    } steps[] = {{0, 4, true}, {40, 1, true}, {50, 0, false}, {55, 0, false}, {63, 0, true}, {500, 0, true}};
    for (const auto& step : steps) {
        m_rig.Run(start + step.at - m_rig.Now());
        EXPECT_EQ(m_rig.Count(1), step.count) << step.at;
        EXPECT_EQ(m_rig.Output(1), step.output) << step.at;
    }
}

TEST_F(I8253Test, GateTriggersModes1And5) {
    emu::CTimerChannel_I8253* channel = m_rig.Channel(1);
    // Mode 1: nothing before a rising gate, then low for the count.
    m_rig.Program(1, 1, 10);
    m_rig.Run(300);
    EXPECT_TRUE(m_rig.Output(1));
    EXPECT_EQ(m_rig.Count(1), 0);
    channel->WriteGate(false);
    channel->WriteGate(true);
    EXPECT_FALSE(m_rig.Output(1));
    EXPECT_EQ(m_rig.Count(1), 10);
    m_rig.Run(50);
    EXPECT_EQ(m_rig.Count(1), 5);
    m_rig.Run(50);
    EXPECT_TRUE(m_rig.Output(1));
    EXPECT_EQ(m_rig.Count(1), 0);

    // Mode 5: a strobe of one pulse after count + 1 pulses from the trigger.
    m_rig.Program(1, 5, 10);
    m_rig.Run(300);
    EXPECT_TRUE(m_rig.Output(1));
    channel->WriteGate(false);
    channel->WriteGate(true);
    EXPECT_EQ(m_rig.Count(1), 10);
    m_rig.Run(112);
    EXPECT_FALSE(m_rig.Output(1));
    m_rig.Run(10);
    EXPECT_TRUE(m_rig.Output(1));
}

TEST_F(I8253Test, LowGateHoldsMode2AndARisingGateStartsAFreshPeriod) {
    emu::CTimerChannel_I8253* channel = m_rig.Channel(1);
    m_rig.Program(1, 2, 5);
    m_rig.Run(45);
    EXPECT_FALSE(m_rig.Output(1));
    channel->WriteGate(false);
    EXPECT_TRUE(m_rig.Output(1));
    m_rig.Run(100);
    EXPECT_TRUE(m_rig.Output(1));
    channel->WriteGate(true);
    EXPECT_EQ(m_rig.Count(1), 5);
    m_rig.Run(41);
    EXPECT_FALSE(m_rig.Output(1));
    m_rig.Run(10);
    EXPECT_TRUE(m_rig.Output(1));
    EXPECT_EQ(m_rig.Count(1), 5);
}

TEST_F(I8253Test, LowGateHoldsMode0) {
    m_rig.Program(1, 0, 100);
    m_rig.Run(200);
    m_rig.Channel(1)->WriteGate(false);
    m_rig.Run(500);
    EXPECT_EQ(m_rig.Count(1), 80);
    EXPECT_FALSE(m_rig.Output(1));
    // Back high: the terminal time is still measured from the start.
    m_rig.Channel(1)->WriteGate(true);
    EXPECT_EQ(m_rig.Count(1), 30);
}

TEST_F(I8253Test, ByteProtocolsLoadTheCount) {
    // LSB only, MSB only.
    m_rig.Mode(0x50); // channel 1, LSB only, mode 0
    m_rig.Out(kPortData + 1, 0x34);
    EXPECT_EQ(m_rig.In(kPortData + 1), 0x34);
    EXPECT_EQ(m_rig.In(kPortData + 1), 0x34);
    m_rig.Mode(0x60); // MSB only
    m_rig.Out(kPortData + 1, 0x12);
    EXPECT_EQ(m_rig.In(kPortData + 1), 0x12);

    // LSB then MSB: the first byte alone loads nothing, and a mode word in
    // between starts the pair again.
    SetFlag(1, "TraceWriteDATA");
    m_rig.Mode(0x70);
    m_rig.Out(kPortData + 1, 0x34);
    EXPECT_EQ(m_rig.TakeLines(), std::vector<std::string>{"[PIT] =>DATA[1] = 34h (counter value LSB, need MSB)"});
    m_rig.Mode(0x70);
    m_rig.Out(kPortData + 1, 0x10);
    m_rig.Out(kPortData + 1, 0x00);
    EXPECT_EQ(m_rig.TakeLines(),
              (std::vector<std::string>{"[PIT] =>DATA[1] = 10h (counter value LSB, need MSB)",
                                        "[PIT] =>DATA[1] = 00h (counter value=MSB and previous LSB, CR=CE=16)"}));
    EXPECT_EQ(m_rig.Count(1), 16);
    // Unlatched reads also go LSB, then MSB.
    m_rig.Run(10);
    EXPECT_EQ(m_rig.In(kPortData + 1), 15);
    EXPECT_EQ(m_rig.In(kPortData + 1), 0);
}

TEST_F(I8253Test, ZeroCountsLoadTheLargestCount) {
    m_rig.Program(1, 0, 0);
    EXPECT_EQ(m_rig.Count(1), 0); // 65535 with the zero flag reads as 0
    m_rig.Run(15);
    EXPECT_EQ(m_rig.Count(1), 65534);
    // Decimal: 0 loads 9999.
    m_rig.Program(1, 0, 0, true);
    EXPECT_EQ(m_rig.Count(1), 0x9999);
}

TEST_F(I8253Test, DecimalCountsLoadAndReadAsBcd) {
    m_rig.Mode(0x51); // channel 1, LSB only, mode 0, BCD
    m_rig.Out(kPortData + 1, 0x25);
    EXPECT_EQ(m_rig.In(kPortData + 1), 0x25);
    m_rig.Run(100);
    EXPECT_EQ(m_rig.In(kPortData + 1), 0x15);
    m_rig.Program(1, 0, 0x1234, true);
    EXPECT_EQ(m_rig.Count(1), 0x1234);
    m_rig.Run(340);
    EXPECT_EQ(m_rig.Count(1), 0x1200);
    // A digit above 9 folds into 0-5: 0x00F5 loads 55.
    m_rig.Program(1, 0, 0x00F5, true);
    EXPECT_EQ(m_rig.Count(1), 0x55);
}

TEST_F(I8253Test, LatchHoldsItsValueUntilRead) {
    m_rig.Program(1, 0, 1000);
    m_rig.Mode(0x40);
    m_rig.Run(100);
    m_rig.Mode(0x40); // ignored: the first latch is still unread
    EXPECT_EQ(m_rig.Peek(kPortData + 1), 0xE8);
    EXPECT_EQ(m_rig.Peek(kPortData + 1), 0xE8); // a peek leaves the latch alone
    EXPECT_EQ(m_rig.In(kPortData + 1), 0xE8);
    EXPECT_EQ(m_rig.In(kPortData + 1), 0x03);
    EXPECT_EQ(m_rig.Count(1), 990);
}

TEST_F(I8253Test, ReadBackLatchesStatusBeforeTheCount) {
    SetFlag(1, "TraceReadDATA");
    m_rig.Program(1, 0, 300);
    m_rig.Run(20);
    m_rig.Mode(0xC4); // read-back of channel 1: count and status
    EXPECT_EQ(m_rig.In(kPortData + 1), 0x30);
    EXPECT_EQ(m_rig.In(kPortData + 1), 0x2A); // 298
    EXPECT_EQ(m_rig.In(kPortData + 1), 0x01);
    EXPECT_EQ(m_rig.TakeLines(), (std::vector<std::string>{
                                     "[PIT] <=DATA[1] = 48 (latch state, continue latch)",
                                     "[PIT] <=DATA[1] = 42 (latched data LSB, need MSB)",
                                     "[PIT] <=DATA[1] = 1 (latched data MSB, stop latch)",
                                 }));
    // Status alone.
    m_rig.Run(3000);
    m_rig.Mode(0xE4);
    EXPECT_EQ(m_rig.In(kPortData + 1), 0xB0);
    EXPECT_EQ(m_rig.TakeLines(), std::vector<std::string>{"[PIT] <=DATA[1] = 176 (latch state, stop latch)"});
}

TEST_F(I8253Test, StatusLatchKeepsAWaitingCount) {
    m_rig.Program(1, 2, 50); // 500 cycles a period
    m_rig.Run(100);
    m_rig.Out(kPortData + 1, 20);
    m_rig.Out(kPortData + 1, 0);
    EXPECT_EQ(m_rig.Status(1) & 0x40, 0x40); // the new count waits for the period's end
    m_rig.Run(450);
    EXPECT_EQ(m_rig.Status(1) & 0x40, 0);
    EXPECT_LE(m_rig.Count(1), 20);
}

TEST_F(I8253Test, ReadBackReachesTheSelectedChannelsInOrder) {
    for (int n = 0; n < 3; ++n)
        SetFlag(n, "TraceWriteMODE");
    m_rig.Mode(0xC2);
    EXPECT_EQ(m_rig.TakeLines(), std::vector<std::string>{"[PIT] =>MODE[0] = C2h (latch counter or state)"});
    for (int n = 0; n < 3; ++n)
        m_rig.In(kPortData + n); // read the latches out
    m_rig.TakeLines();
    m_rig.Mode(0xCE);
    EXPECT_EQ(m_rig.TakeLines(), (std::vector<std::string>{"[PIT] =>MODE[0] = CEh (latch counter or state)",
                                                           "[PIT] =>MODE[1] = CEh (latch counter or state)",
                                                           "[PIT] =>MODE[2] = CEh (latch counter or state)"}));
}

TEST_F(I8253Test, ModeWritesTraceTheirModeNames) {
    SetFlag(1, "TraceModes3");
    m_rig.Mode(0x70); // mode 0: its flag is off
    m_rig.Mode(0x76);
    EXPECT_EQ(m_rig.TakeLines(),
              std::vector<std::string>{"[PIT] =>MODE[1] = 76h (set mode 3 \"square wave generator\")"});
    SetFlag(1, "TraceWriteMODE");
    m_rig.Mode(0x7C);
    m_rig.Mode(0x40);
    EXPECT_EQ(m_rig.TakeLines(), (std::vector<std::string>{"[PIT] =>MODE[1] = 7Ch (set mode 6 \"unknown\")",
                                                           "[PIT] =>MODE[1] = 40h (latch counter)"}));
}

TEST_F(I8253Test, PortAccessesOfAnotherSizeAreRefused) {
    uint8_t bytes[2] = {0x12, 0x34};
    void* channel = static_cast<emu::CDevice*>(m_rig.Channel(1));
    void* chip = static_cast<emu::CDevice*>(m_rig.m_pit);
    EXPECT_FALSE(emu::CTimerChannel_I8253::OnDataRead(channel, 0x41, 2, bytes, 0));
    EXPECT_FALSE(emu::CTimerChannel_I8253::OnDataWrite(channel, 0x41, 2, bytes));
    EXPECT_FALSE(emu::CTimer_I8253::OnModeRead(chip, 0x43, 2, bytes, 0));
    EXPECT_FALSE(emu::CTimer_I8253::OnModeWrite(chip, 0x43, 2, bytes));
    EXPECT_EQ(bytes[0], 0x12);
    EXPECT_EQ(bytes[1], 0x34);
}

// --- Interrupt requests --------------------------------------------------------------------

TEST_F(I8253Test, Mode2RaisesOneRequestPerPeriod) {
    CTimerRig rig;
    rig.Channel(2)->SetClockFrequency(CTimerRig::kTestClock);
    ASSERT_TRUE(rig.Start());
    rig.Program(2, 2, 50); // 500 cycles a period
    rig.Run(250);
    const size_t before = rig.m_irq.accepted.size();
    rig.Run(10 * 500);
    EXPECT_EQ(rig.m_irq.accepted.size() - before, 10u);
    for (uint32_t line : rig.m_irq.accepted)
        EXPECT_EQ(line, pittest::kIrqLine);
    EXPECT_EQ(rig.Channel(2)->GetRaisedIrqCount(), rig.m_irq.accepted.size());
}

TEST_F(I8253Test, ReloadingTheCountLosesNoRequest) {
    CTimerRig rig;
    rig.Channel(2)->SetClockFrequency(CTimerRig::kTestClock);
    ASSERT_TRUE(rig.Start());
    rig.Program(2, 2, 50); // 500 cycles a period
    rig.Run(250);
    const size_t before = rig.m_irq.accepted.size();
    rig.Out(kPortData + 2, 50); // the same count again: taken when the period ends
    rig.Out(kPortData + 2, 0);
    rig.Run(400);
    EXPECT_EQ(rig.m_irq.accepted.size() - before, 1u);
    EXPECT_EQ(rig.Status(2) & 0x40, 0);
}

TEST_F(I8253Test, Mode2CountOf1RaisesEveryPeriodWithTheOutputLow) {
    CTimerRig rig;
    rig.Channel(2)->SetClockFrequency(2500); // 1000 cycles a pulse
    ASSERT_TRUE(rig.Start());
    rig.Program(2, 2, 1);
    rig.Run(500);
    const size_t before = rig.m_irq.accepted.size();
    rig.Run(8000);
    EXPECT_EQ(rig.m_irq.accepted.size() - before, 8u);
    EXPECT_FALSE(rig.Output(2));
    EXPECT_EQ(rig.Count(2), 1);
}

TEST_F(I8253Test, RefusedRequestsHalveTheBacklog) {
    emu::CTimerChannel_I8253* channel = m_rig.Channel(2); // never set to a mode: its output falls back low
    for (int i = 0; i < 10; ++i) {
        channel->SetOutput(true);
        channel->SetOutput(false);
    }
    m_rig.m_irq.accept = false;
    m_rig.Run(57); // one tick: refused, 10 -> 5
    m_rig.Run(57); // 5 -> 2
    EXPECT_EQ(m_rig.m_irq.calls.size(), 2u);
    m_rig.m_irq.accept = true;
    m_rig.Run(57);
    EXPECT_EQ(m_rig.m_irq.accepted.size(), 2u);
    EXPECT_EQ(channel->GetRaisedIrqCount(), 2u);
}

TEST_F(I8253Test, UnconnectedChannelDropsItsEdges) {
    m_rig.Program(1, 2, 5);
    m_rig.Run(5000);
    EXPECT_TRUE(m_rig.m_irq.calls.empty());
    EXPECT_EQ(m_rig.Channel(1)->GetConnectedIrq(), -1);
    EXPECT_EQ(m_rig.Channel(2)->GetConnectedIrq(), static_cast<int32_t>(pittest::kIrqLine));
}

TEST_F(I8253Test, RaisedRequestsAndSoundSwitchesAreTraced) {
    SetFlag(2, "TraceRaiseIRQ");
    emu::CTimerChannel_I8253* channel = m_rig.Channel(2);
    channel->SetOutput(true);
    m_rig.Run(57);
    EXPECT_EQ(m_rig.TakeLines(), std::vector<std::string>{"[PIT] Raised IRQ5 (1 times)"});

    // Channel 1 has no sound generation, so its enable flags are not settings;
    // they still trace through the flags themselves.
    emu::CTimerChannel_I8253* speaker = m_rig.Channel(1);
    speaker->GetTraceFlags().TraceDisableSOUND = true;
    speaker->GetTraceFlags().TraceEnableSOUND = true;
    speaker->SetSoundEnabled(false, 1, 0);
    speaker->SetSoundEnabled(false, 1, 0); // unchanged: no line
    speaker->SetSoundEnabled(true, 1, 0);
    EXPECT_EQ(m_rig.TakeLines(),
              (std::vector<std::string>{"[PIT] =>SOUND[1] = Disabled", "[PIT] =>SOUND[1] = Enabled"}));
    EXPECT_TRUE(speaker->IsSoundEnabled());
}

// --- Breaks ----------------------------------------------------------------------------------

uint32_t BreakingHook(void*, bool*, bool* print, int32_t) {
    *print = false;
    return 1;
}

TEST_F(I8253Test, BreakOnReadLeavesTheLatchForTheRepeatedRead) {
    m_rig.Program(1, 0, 1000);
    m_rig.Mode(0x40);
    SetFlag(1, "BreakReadDATA");
    m_rig.m_machine.SetBreakHook(BreakingHook);
    EXPECT_EQ(m_rig.In(kPortData + 1), 0xE8);
    EXPECT_EQ(m_rig.TakeLines(), std::vector<std::string>{"[PIT BREAK] <=DATA[1] = 232 (latched data LSB, need MSB)"});
    SetFlag(1, "BreakReadDATA", false);
    EXPECT_EQ(m_rig.In(kPortData + 1), 0xE8);
    EXPECT_EQ(m_rig.In(kPortData + 1), 0x03);

    // A break on enabling the output leaves it as it was.
    SetFlag(1, "BreakWriteDATA");
    m_rig.Out(kPortData + 1, 5); // a data write always takes effect
    m_rig.Out(kPortData + 1, 0);
    EXPECT_EQ(m_rig.Count(1), 5);
    m_rig.Channel(1)->GetTraceFlags().BreakDisableSOUND = true;
    m_rig.Channel(1)->SetSoundEnabled(false, 1, 0);
    EXPECT_TRUE(m_rig.Channel(1)->IsSoundEnabled());
    m_rig.m_machine.SetBreakHook(nullptr);
}

} // namespace
