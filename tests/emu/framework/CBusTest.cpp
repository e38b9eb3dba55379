#include <gtest/gtest.h>

#include "emu/framework/ProcessorTestSupport.h"

using proctest::CFakeSoundOutput;
using proctest::CRecorder;
using proctest::CRig;

namespace {

class BusTest : public ::testing::Test {
protected:
    void SetUp() override { m_rig.Power(); }
    void TearDown() override { emu::CProcessor::SetProcessBaseFrequency(CRig::kClock); }

    emu::CBus& Bus() { return *m_rig.m_bus; }
    void Ticks(int count) {
        for (int i = 0; i < count; ++i)
            Bus().Tick();
    }
    emu::CBus::CPeriodicEvent* Last() {
        emu::CBus::CPeriodicEvent* node = Bus().GetFirstEvent();
        while (node != nullptr && node->m_next != nullptr)
            node = node->m_next;
        return node;
    }

    CFakeSoundOutput::CShared m_sound; // outlives the rig's stream outputs
    CRig m_rig;
};

TEST_F(BusTest, RateSnapsUpToTheSupportedRates) {
    const struct {
        int32_t asked;
        int32_t rate;
        int32_t samplesPerFiftieth;
    } cases[] = {{0, 4900, 98},       {4000, 4900, 98},    {4900, 4900, 98},
                 {4901, 11050, 221},  {11050, 11050, 221}, {14000, 14700, 294},
                 {22050, 22050, 441}, {30000, 44100, 882}, {100000, 44100, 882}};
    for (const auto& c : cases) {
        EXPECT_EQ(Bus().SetRate(c.asked, nullptr), c.samplesPerFiftieth) << c.asked;
        EXPECT_EQ(Bus().GetSampleRate(), c.rate) << c.asked;
        EXPECT_EQ(Bus().GetTickCounter(), 0u);
    }
}

TEST_F(BusTest, EventsGetWholeTickDividers) {
    Bus().SetRate(44100, nullptr);
    const struct {
        int32_t asked;
        int32_t requested;
        int32_t divider;
        int32_t effective;
    } cases[] = {{50, 50, 882, 50},         {300, 300, 147, 300},       {70000, 70000, 1, 44100},
                 {0, 0x7FFFFFFF, 1, 44100}, {-3, 0x7FFFFFFF, 1, 44100}, {1000, 1000, 44, 1002}};
    for (const auto& c : cases) {
        ASSERT_TRUE(Bus().AddEvent(c.asked, CRecorder::OnBusEvent, m_rig.m_timer, "E", 0, 0, false));
        const emu::CBus::CPeriodicEvent* node = Last();
        EXPECT_EQ(node->m_requestedFrequency, c.requested) << c.asked;
        EXPECT_EQ(node->m_divider, c.divider) << c.asked;
        EXPECT_EQ(node->m_effectiveFrequency, c.effective) << c.asked;
        EXPECT_EQ(node->m_countdown, c.divider) << c.asked;
    }
    // A new rate re-times every event.
    Bus().SetRate(4900, nullptr);
    EXPECT_EQ(Bus().GetFirstEvent()->m_divider, 98);
    EXPECT_EQ(Bus().GetFirstEvent()->m_effectiveFrequency, 50);
}

TEST_F(BusTest, StartNowFiresOnTheFirstTickOthersWaitAPeriod) {
    Bus().SetRate(4900, nullptr);
    ASSERT_TRUE(Bus().AddEvent(4900, CRecorder::OnBusEvent, m_rig.m_timer, "Now", 0, 0, true));
    ASSERT_TRUE(Bus().AddEvent(4900, CRecorder::OnBusEvent, m_rig.m_video, "Later", 0, 0, false));
    Ticks(1);
    EXPECT_EQ(m_rig.m_timer->m_busFirings.size(), 1u);
    EXPECT_TRUE(m_rig.m_video->m_busFirings.empty());
    Ticks(1);
    EXPECT_EQ(m_rig.m_timer->m_busFirings.size(), 2u);
    EXPECT_EQ(m_rig.m_video->m_busFirings.size(), 1u);
    // Every tick, with the fire count before each call.
    Ticks(3);
    EXPECT_EQ(m_rig.m_timer->m_busFirings, (std::vector<uint64_t>{0, 1, 2, 3, 4}));

    // At a rate of 4900 a 490 Hz event fires every 10 ticks.
    CRig rig;
    rig.Power();
    rig.m_bus->SetRate(4900, nullptr);
    ASSERT_TRUE(rig.m_bus->AddEvent(490, CRecorder::OnBusEvent, rig.m_timer, "E", 5, 6, false));
    for (int i = 0; i < 100; ++i)
        rig.m_bus->Tick();
    EXPECT_EQ(rig.m_timer->m_busFirings.size(), 9u); // tick 0 is not counted
    EXPECT_EQ(rig.m_timer->m_lastData[0], 5u);
    EXPECT_EQ(rig.m_timer->m_lastData[1], 6u);
}

TEST_F(BusTest, EventThatAnswersFalseIsGoneAndItsNodeReused) {
    Bus().SetRate(4900, nullptr);
    m_rig.m_timer->m_keepFor = 1;
    ASSERT_TRUE(Bus().AddEvent(0, CRecorder::OnBusEvent, m_rig.m_timer, "Once", 0, 0, true));
    ASSERT_TRUE(Bus().AddEvent(0, CRecorder::OnBusEvent, m_rig.m_video, "Always", 0, 0, true));
    emu::CBus::CPeriodicEvent* first = Bus().GetFirstEvent();
    Ticks(5);
    EXPECT_EQ(m_rig.m_timer->m_busFirings.size(), 1u);
    EXPECT_EQ(m_rig.m_video->m_busFirings.size(), 5u);
    EXPECT_EQ(Bus().GetEventCount(), 1);
    ASSERT_TRUE(Bus().AddEvent(0, CRecorder::OnBusEvent, m_rig.m_board, "New", 0, 0, false));
    EXPECT_EQ(Last(), first);
}

TEST_F(BusTest, RegistryKeysByObjectNameAndCallbackName) {
    const int base = Bus().GetCallbackCount(); // "_BusFreqEvent" from Start
    EXPECT_EQ(base, 1);
    int32_t rate = 4900;
    EXPECT_TRUE(Bus().Start(&rate));
    EXPECT_TRUE(Bus().RegisterCpuEventCallback("_BusFreqEvent", emu::CBus::OnBusFreqEvent, &Bus()));
    EXPECT_EQ(Bus().GetCallbackCount(), base);

    EXPECT_TRUE(Bus().RegisterBusEventCallback("E", CRecorder::OnBusEvent, m_rig.m_timer));
    EXPECT_TRUE(Bus().RegisterBusEventCallback("E", CRecorder::OnBusEvent, m_rig.m_timer));
    // The same name with another kind or function.
    EXPECT_FALSE(Bus().RegisterSoundCallback("E", CRecorder::OnSound, m_rig.m_timer));
    EXPECT_FALSE(Bus().RegisterCpuEventCallback("E", CRecorder::OnCycleEvent, m_rig.m_timer));
    // Another object bearing the same object name.
    CRecorder twin;
    twin.SetName("Timer");
    EXPECT_FALSE(Bus().RegisterBusEventCallback("F", CRecorder::OnBusEvent, &twin));
    // Missing pieces.
    EXPECT_FALSE(Bus().RegisterBusEventCallback(nullptr, CRecorder::OnBusEvent, m_rig.m_timer));
    EXPECT_FALSE(Bus().RegisterBusEventCallback("G", nullptr, m_rig.m_timer));
    EXPECT_FALSE(Bus().RegisterBusEventCallback("G", CRecorder::OnBusEvent, nullptr));
    EXPECT_EQ(Bus().GetCallbackCount(), base + 1);

    emu::CBus::CEvent entry = {};
    const char* name = nullptr;
    EXPECT_TRUE(Bus().FindCallback("Timer.Board", "E", &entry, &name));
    EXPECT_EQ(entry.m_target, m_rig.m_timer);
    EXPECT_EQ(entry.m_kind, emu::CBus::kCallbackBusEvent);
    EXPECT_STREQ(name, "E");
    EXPECT_FALSE(Bus().FindCallback("Timer", "E", &entry, &name));
    EXPECT_FALSE(Bus().FindCpuEventCallback("Timer.Board", "E", &entry, &name));
    EXPECT_TRUE(Bus().FindCpuEventCallback("_BUS", "_BusFreqEvent", &entry, &name));
}

TEST_F(BusTest, AddEventRegistersWhileTheMachineStarts) {
    Bus().SetRegistering(true);
    EXPECT_TRUE(Bus().AddEvent(50, CRecorder::OnBusEvent, m_rig.m_timer, "E", 0, 0, false));
    EXPECT_EQ(Bus().GetCallbackCount(), 2);
    EXPECT_TRUE(Bus().AddEvent(50, CRecorder::OnBusEvent, nullptr, "E", 0, 0, false));
    EXPECT_FALSE(Bus().AddEvent(50, CRecorder::OnBusEvent, m_rig.m_timer, nullptr, 0, 0, false));
    EXPECT_EQ(Bus().GetEventCount(), 3); // added even when the registry refused
    Bus().SetRegistering(false);
}

// A host without a working device: the stream plays into a silent output
// and the bus names the output that failed until it is cleared.
TEST_F(BusTest, AnOutputThatCannotOpenGivesASilentStreamAndIsNamed) {
    CFakeSoundOutput prototype(&m_sound);
    Bus().SetSoundOutput(&prototype);
    m_sound.openResult = false;
    Bus().SetRate(4900, nullptr);
    EXPECT_EQ(Bus().GetFailedSoundOutput(), nullptr);
    EXPECT_TRUE(Bus().AddSoundStream(44100, 8, CRecorder::OnSound, m_rig.m_timer, "Sound", 0, 0));
    EXPECT_EQ(m_sound.created, 1);
    EXPECT_EQ(m_sound.deleted, 1);
    EXPECT_STREQ(Bus().GetFailedSoundOutput(), prototype.GetName());
    Ticks(4900);
    EXPECT_EQ(m_rig.m_timer->m_soundCalls.size(), 50u) << "the producer still runs";
    EXPECT_EQ(m_sound.queued, 0);
    Bus().ClearFailedSoundOutput();
    EXPECT_EQ(Bus().GetFailedSoundOutput(), nullptr);
}

TEST_F(BusTest, SoundStreamsPumpFiftyBlocksASecond) {
    CFakeSoundOutput prototype(&m_sound);
    EXPECT_FALSE(Bus().AddSoundStream(44100, 8, CRecorder::OnSound, m_rig.m_timer, "Sound", 0, 0));
    Bus().SetSoundOutput(&prototype);

    Bus().SetRate(4900, nullptr);
    ASSERT_TRUE(Bus().AddSoundStream(44100, 8, CRecorder::OnSound, m_rig.m_timer, "Sound", 0, 0));
    EXPECT_EQ(m_sound.lastRate, 44100u);
    EXPECT_EQ(m_sound.lastBits, 8u);
    EXPECT_EQ(m_sound.lastBlocks, 50u);
    EXPECT_EQ(Last()->m_divider, 98);
    Ticks(4900); // one emulated second
    EXPECT_EQ(m_rig.m_timer->m_soundCalls.size(), 50u);
    EXPECT_EQ(m_rig.m_timer->m_soundCalls[0], 50);
    EXPECT_EQ(m_sound.queued, 50);

    Bus().SetSoundPaused(true);
    EXPECT_EQ(m_sound.silenced, 1);
    Bus().SetSoundPaused(true);
    EXPECT_EQ(m_sound.silenced, 1);
    Ticks(98);
    EXPECT_EQ(m_rig.m_timer->m_soundCalls.size(), 51u); // the producer still runs
    EXPECT_EQ(m_sound.queued, 50);
    Bus().SetSoundPaused(false);

    m_rig.m_timer->m_keepFor = 52; // the next block ends the stream
    Ticks(98);
    EXPECT_EQ(Bus().GetEventCount(), 0);
    EXPECT_EQ(m_sound.deleted, 1);
    Bus().Stop();
}

TEST_F(BusTest, StopDeletesStreamOutputs) {
    CFakeSoundOutput prototype(&m_sound);
    Bus().SetSoundOutput(&prototype);
    Bus().SetRate(4900, nullptr);
    ASSERT_TRUE(Bus().AddSoundStream(22050, 16, CRecorder::OnSound, m_rig.m_timer, "Sound", 0, 0));
    ASSERT_TRUE(Bus().AddEvent(50, CRecorder::OnBusEvent, m_rig.m_video, "E", 0, 0, false));
    Bus().Stop();
    EXPECT_EQ(Bus().GetEventCount(), 0);
    EXPECT_EQ(Bus().GetSampleRate(), 0);
    EXPECT_EQ(m_sound.deleted, 1);
}

TEST_F(BusTest, ProcessorTicksTheBusThroughItsEvent) {
    CFakeSoundOutput prototype(&m_sound);
    Bus().SetSoundOutput(&prototype);
    emu::CProcessor& cpu = *m_rig.m_cpu;
    EXPECT_EQ(Bus().SetRate(4900, &cpu), 1);
    EXPECT_EQ(Bus().SetRate(4900, &cpu), 1); // set again: still one tick event
    ASSERT_EQ(cpu.GetEventCount(), 1);
    const emu::CProcessor::CCycleEvent* tick = cpu.FindEvent("_BusFreqEvent", &Bus());
    ASSERT_NE(tick, nullptr);
    EXPECT_EQ(tick->m_period, 510); // 2,500,000 / 4900 rounded
    ASSERT_TRUE(Bus().AddEvent(490, CRecorder::OnBusEvent, m_rig.m_video, "E", 0, 0, false));
    ASSERT_TRUE(Bus().AddSoundStream(44100, 8, CRecorder::OnSound, m_rig.m_timer, "Sound", 0, 0));

    // One emulated second of slices as the run loop cuts them.
    cpu.StartEvents();
    uint64_t total = 0;
    while (total < 510u * 4900u) {
        const int32_t used = cpu.Execute(cpu.GetCyclesToEvent());
        total += static_cast<uint64_t>(used);
        if (cpu.DebitCyclesToEvent(used) <= 0)
            cpu.RunDueEvents();
    }
    EXPECT_EQ(Bus().GetTickCounter(), 4901u); // one at once, then every 510 cycles
    EXPECT_EQ(m_rig.m_video->m_busFirings.size(), 490u);
    EXPECT_EQ(m_rig.m_timer->m_soundCalls.size(), 51u);
    EXPECT_EQ(m_sound.queued, 51);

    EXPECT_EQ(Bus().SetRate(44100, &cpu), 1);
    EXPECT_EQ(cpu.FindEvent("_BusFreqEvent", &Bus())->m_period, 57);
    EXPECT_EQ(cpu.GetEventCount(), 1);
    Bus().Stop();
}

// --- State ---------------------------------------------------------------------------

class BusStateTest : public BusTest {
protected:
    void SetUp() override {
        BusTest::SetUp();
        Register(m_rig);
        Bus().SetSoundOutput(&m_prototype);
        Bus().SetRate(4900, nullptr);
        ASSERT_TRUE(Bus().AddEvent(490, CRecorder::OnBusEvent, m_rig.m_timer, "E", 1, 2, true));
        ASSERT_TRUE(Bus().AddSoundStream(44100, 16, CRecorder::OnSound, m_rig.m_video, "Sound", 3, 4));
        Ticks(37);
        ASSERT_TRUE(Bus().AddEvent(50, CRecorder::OnBusEvent, m_rig.m_board, "F", 5, 6, false));
    }
    static void Register(CRig& rig) {
        ASSERT_TRUE(rig.m_bus->RegisterBusEventCallback("E", CRecorder::OnBusEvent, rig.m_timer));
        ASSERT_TRUE(rig.m_bus->RegisterBusEventCallback("F", CRecorder::OnBusEvent, rig.m_board));
        ASSERT_TRUE(rig.m_bus->RegisterSoundCallback("Sound", CRecorder::OnSound, rig.m_video));
    }

    CFakeSoundOutput m_prototype{&m_sound};
};

TEST_F(BusStateTest, SaveLoadSaveGivesIdenticalBytes) {
    const test::Bytes first = proctest::SaveBytes(Bus());
    Ticks(5);
    ASSERT_TRUE(proctest::LoadBytes(Bus(), first));
    EXPECT_EQ(proctest::SaveBytes(Bus()), first);
    EXPECT_EQ(m_sound.deleted, 1); // the old stream's output went with the load
    Bus().Stop();
}

TEST_F(BusStateTest, LoadRebindsEventsToTheirOwners) {
    const test::Bytes saved = proctest::SaveBytes(Bus());
    CRig other;
    other.Power();
    Register(other);
    other.m_bus->SetSoundOutput(&m_prototype);
    ASSERT_TRUE(proctest::LoadBytes(*other.m_bus, saved));
    EXPECT_EQ(other.m_bus->GetSampleRate(), 4900);
    EXPECT_EQ(other.m_bus->GetTickCounter(), 37u);
    ASSERT_EQ(other.m_bus->GetEventCount(), 3);
    const emu::CBus::CPeriodicEvent* e = other.m_bus->GetFirstEvent();
    EXPECT_EQ(e->m_user, other.m_timer);
    EXPECT_EQ(e->m_fireCount, 4u); // ticks 0, 10, 20, 30
    EXPECT_EQ(e->m_countdown, 4);  // ticks 31 to 36 since
    const emu::CBus::CPeriodicEvent* stream = e->m_next;
    EXPECT_EQ(stream->m_kind, emu::CBus::kKindSoundStream);
    EXPECT_EQ(stream->m_producerUser, other.m_video);
    EXPECT_EQ(stream->m_streamRate, 44100u);
    EXPECT_EQ(stream->m_streamBits, 16u);
    EXPECT_EQ(stream->m_data[0], 3u);
    for (int i = 0; i < 4; ++i)
        other.m_bus->Tick();
    EXPECT_EQ(other.m_timer->m_busFirings, (std::vector<uint64_t>{4}));
    other.m_bus->Stop();
    Bus().Stop();
}

TEST_F(BusStateTest, LoadFailsOnUnknownNamesAndWrongKinds) {
    const test::Bytes saved = proctest::SaveBytes(Bus());
    CRig bare;
    bare.Power();
    bare.m_bus->SetSoundOutput(&m_prototype);
    EXPECT_FALSE(proctest::LoadBytes(*bare.m_bus, saved));

    // The names known, but as another kind of callback.
    CRig crossed;
    crossed.Power();
    crossed.m_bus->SetSoundOutput(&m_prototype);
    ASSERT_TRUE(crossed.m_bus->RegisterSoundCallback("E", CRecorder::OnSound, crossed.m_timer));
    EXPECT_FALSE(proctest::LoadBytes(*crossed.m_bus, saved));
    crossed.m_bus->Stop();
    bare.m_bus->Stop();
    Bus().Stop();
}

} // namespace
