#include <gtest/gtest.h>

#include <cstring>

#include "common/CNarrowString.h"
#include "emu/framework/ProcessorTestSupport.h"

using proctest::CCountingProcessor;
using proctest::CRecorder;
using proctest::CRig;

namespace {

constexpr int32_t kNoEvent = emu::CProcessorInterface::kNoEvent;

class ProcessorTest : public ::testing::Test {
protected:
    void SetUp() override { m_rig.Power(); }
    void TearDown() override {
        // The base frequency is process-wide; leave it as the next test expects.
        emu::CProcessor::SetProcessBaseFrequency(CRig::kClock);
    }

    CCountingProcessor& Cpu() { return *m_rig.m_cpu; }
    std::vector<uint64_t> FiredAt(const CRecorder& recorder) {
        std::vector<uint64_t> cycles;
        for (const CRecorder::CFiring& f : recorder.m_firings)
            cycles.push_back(f.cycle);
        return cycles;
    }

    CRig m_rig;
};

TEST(ProcessorBaseTest, DefaultsOfTheBase) {
    CCountingProcessor cpu;
    EXPECT_STREQ(cpu.GetName(), "CPU");
    EXPECT_STREQ(cpu.GetShortName(), "CPU");
    EXPECT_TRUE(cpu.IsProcessor());
    EXPECT_EQ(cpu.GetFrequency(), 0);
    EXPECT_EQ(cpu.GetKindCode(), 0);
    EXPECT_EQ(cpu.emu::CProcessor::Execute(123), 123);
    EXPECT_EQ(cpu.EndSlice(), 0u);
    EXPECT_FALSE(cpu.StopSlice());
    EXPECT_EQ(cpu.GetProgramCounter(), 0u);
    EXPECT_EQ(cpu.QueryHook(1, 2, 3), 0u);
    EXPECT_EQ(cpu.QueryZero(), 0u);
    EXPECT_FALSE(cpu.UsesBaseFrequency());
    uint32_t a = 7, b = 9;
    cpu.GetTwoValues(&a, &b);
    EXPECT_EQ(a, 0u);
    EXPECT_EQ(b, 0u);

    common::CNarrowString texts[7];
    common::CString* columns[7];
    for (int i = 0; i < 7; ++i) {
        texts[i].AssignNarrow("x");
        columns[i] = &texts[i];
    }
    uint32_t kind = 5, widths[7] = {1, 1, 1, 1, 1, 1, 1};
    EXPECT_EQ(cpu.Disassemble(columns, &kind, widths), 0);
    for (int i = 0; i < 7; ++i) {
        EXPECT_TRUE(texts[i].IsEmpty());
        EXPECT_EQ(widths[i], 0u);
    }
    EXPECT_EQ(kind, 0u);
}

TEST(ProcessorBaseTest, StartNeedsAClockAndNegativeClocksAreRefused) {
    CCountingProcessor cpu;
    int32_t rate = 4900;
    EXPECT_FALSE(cpu.Start(&rate));
    EXPECT_FALSE(cpu.SetFrequency(-1));
    EXPECT_EQ(cpu.GetFrequency(), 0);
    EXPECT_TRUE(cpu.SetFrequency(1000000));
    EXPECT_TRUE(cpu.Start(&rate));
    EXPECT_EQ(cpu.GetEffectiveFrequency(), 1000000);
    EXPECT_EQ(cpu.GetBaseFrequency(), 1000000);
    EXPECT_EQ(cpu.GetClockFrequency(), 1000000);
    EXPECT_TRUE(cpu.GetInterruptEnable());
    EXPECT_TRUE(cpu.GetChwiFlag());
    EXPECT_EQ(cpu.GetAddressMask(), 0xFFFFFFFFu);
    EXPECT_EQ(cpu.GetFlagMask(), ~static_cast<uint64_t>(0));
    EXPECT_DOUBLE_EQ(cpu.GetRatio(), 1.0);
    cpu.Stop();
    emu::CProcessor::SetProcessBaseFrequency(CRig::kClock);
}

TEST_F(ProcessorTest, CycleCountAddsSliceProgressAndWaitCycles) {
    Cpu().Advance(1000);
    Cpu().AddWaitCycles(5); // outside a slice: counted at once
    EXPECT_EQ(Cpu().GetCycleCount(), 1005u);
    Cpu().EnterSlice(100);
    Cpu().SpendInSlice(30);
    EXPECT_EQ(Cpu().GetCycleCount(), 1035u);
    Cpu().AddWaitCycles(20); // inside: the slice ends earlier, the count moves on
    EXPECT_EQ(Cpu().GetSliceLeft(), 50);
    EXPECT_EQ(Cpu().GetCycleCount(), 1055u);
    Cpu().AddWaitCycles(0);
    Cpu().AddWaitCycles(-4);
    EXPECT_EQ(Cpu().GetCycleCount(), 1055u);
}

// Waits added between slices bring the next event as much nearer; one they
// made overdue fires at the next RunDueEvents, catching up.
TEST_F(ProcessorTest, WaitsOutsideASliceBringTheNextEventNearer) {
    ASSERT_TRUE(Cpu().AddEvent(100, CRecorder::OnCycleEvent, m_rig.m_timer, "Tick", 0, 0));
    Cpu().StartEvents();
    Cpu().AddWaitCycles(30);
    EXPECT_EQ(Cpu().GetCyclesToEvent(), 70);
    Cpu().AddWaitCycles(500);
    EXPECT_EQ(Cpu().GetCyclesToEvent(), 0);
    Cpu().RunDueEvents();
    EXPECT_EQ(m_rig.m_timer->m_firings.size(), 5u);
    EXPECT_EQ(Cpu().GetCyclesToEvent(), 70);
}

TEST_F(ProcessorTest, PositivePeriodFiresEveryPeriodAndKeepsTheCounter) {
    ASSERT_TRUE(Cpu().AddEvent(100, CRecorder::OnCycleEvent, m_rig.m_timer, "Tick", 7, 8));
    Cpu().StartEvents();
    EXPECT_EQ(Cpu().GetCyclesToEvent(), 100);
    for (int slice = 0; slice < 3; ++slice) {
        const int32_t used = Cpu().Execute(Cpu().GetCyclesToEvent());
        if (Cpu().DebitCyclesToEvent(used) <= 0)
            Cpu().RunDueEvents();
    }
    EXPECT_EQ(FiredAt(*m_rig.m_timer), (std::vector<uint64_t>{100, 200, 300}));
    EXPECT_EQ(m_rig.m_timer->m_firings[0].data0, 7u);
    EXPECT_EQ(m_rig.m_timer->m_firings[0].data1, 8u);
    EXPECT_EQ(Cpu().GetCyclesToEvent(), 100);
}

TEST_F(ProcessorTest, PeriodOfZeroOrLessFiresAtOnceThenEveryMagnitude) {
    struct Case {
        int32_t period;
        std::vector<uint64_t> expected;
    };
    const Case cases[] = {{0, {0, 1, 2, 3}}, {-100, {0, 100, 200, 300}}, {-1, {0, 1, 2, 3}}};
    for (const Case& c : cases) {
        CRig rig;
        rig.Power();
        rig.m_cpu->StartEvents();
        ASSERT_TRUE(rig.m_cpu->AddEvent(c.period, CRecorder::OnCycleEvent, rig.m_timer, "Tick", 0, 0));
        EXPECT_EQ(rig.m_cpu->GetCyclesToEvent(), 0) << c.period;
        rig.m_cpu->RunDueEvents();
        for (int i = 0; i < 3; ++i) {
            rig.m_cpu->Advance(static_cast<uint64_t>(rig.m_cpu->GetCyclesToEvent()));
            rig.m_cpu->RunDueEvents();
        }
        std::vector<uint64_t> fired;
        for (const CRecorder::CFiring& f : rig.m_timer->m_firings)
            fired.push_back(f.cycle);
        EXPECT_EQ(fired, c.expected) << c.period;
    }
}

TEST_F(ProcessorTest, EventsAddedBeforeTheStartAreTimedFromIt) {
    ASSERT_TRUE(Cpu().AddEvent(-50, CRecorder::OnCycleEvent, m_rig.m_timer, "Now", 0, 0));
    ASSERT_TRUE(Cpu().AddEvent(30, CRecorder::OnCycleEvent, m_rig.m_video, "Later", 0, 0));
    Cpu().StartEvents();
    // The event of period -50 fired once to learn its period; the counter
    // stops at the positive event, which is due first.
    EXPECT_EQ(FiredAt(*m_rig.m_timer), (std::vector<uint64_t>{0}));
    EXPECT_TRUE(m_rig.m_video->m_firings.empty());
    EXPECT_EQ(Cpu().GetCyclesToEvent(), 30);
}

TEST_F(ProcessorTest, LateEventCatchesUpInOneRun) {
    ASSERT_TRUE(Cpu().AddEvent(100, CRecorder::OnCycleEvent, m_rig.m_timer, "Tick", 0, 0));
    Cpu().StartEvents();
    Cpu().Advance(100 + 1000); // due at 100, now 1000 cycles past it
    Cpu().RunDueEvents();
    EXPECT_EQ(m_rig.m_timer->m_firings.size(), 10u);
    EXPECT_EQ(Cpu().GetCyclesToEvent(), 0); // due exactly now
    Cpu().RunDueEvents();
    EXPECT_EQ(m_rig.m_timer->m_firings.size(), 11u);
    EXPECT_EQ(Cpu().GetCyclesToEvent(), 100);
}

TEST_F(ProcessorTest, CallbackPeriodOfZeroOrLessBecomesOne) {
    for (int32_t newPeriod : {0, -5}) {
        CRig rig;
        rig.Power();
        ASSERT_TRUE(rig.m_cpu->AddEvent(100, CRecorder::OnCycleEvent, rig.m_timer, "Tick", 0, 0));
        rig.m_cpu->StartEvents();
        rig.m_timer->m_changePeriod = true;
        rig.m_timer->m_newPeriod = newPeriod;
        rig.m_cpu->Advance(100);
        rig.m_cpu->RunDueEvents();
        const emu::CProcessor::CCycleEvent* e = rig.m_cpu->FindEvent("Tick", rig.m_timer);
        ASSERT_NE(e, nullptr);
        EXPECT_EQ(e->m_period, 1);
        EXPECT_EQ(e->m_convertedPeriod, 1);
        EXPECT_EQ(rig.m_cpu->GetCyclesToEvent(), 1);
    }
}

TEST_F(ProcessorTest, DroppedEventsAreRecycled) {
    m_rig.m_timer->m_keepFor = 2;
    ASSERT_TRUE(Cpu().AddEvent(10, CRecorder::OnCycleEvent, m_rig.m_timer, "Tick", 0, 0));
    const emu::CProcessor::CCycleEvent* record = Cpu().GetFirstEvent();
    Cpu().StartEvents();
    Cpu().Advance(100);
    Cpu().RunDueEvents();
    EXPECT_EQ(m_rig.m_timer->m_firings.size(), 2u); // the second firing said false
    EXPECT_EQ(Cpu().GetEventCount(), 0);
    EXPECT_EQ(Cpu().GetCyclesToEvent(), kNoEvent);
    ASSERT_TRUE(Cpu().AddEvent(10, CRecorder::OnCycleEvent, m_rig.m_video, "Next", 0, 0));
    EXPECT_EQ(Cpu().GetFirstEvent(), record);
}

TEST_F(ProcessorTest, RemoveEventsAlsoFromInsideACallback) {
    ASSERT_TRUE(Cpu().AddEvent(10, CRecorder::OnCycleEvent, m_rig.m_timer, "A", 0, 0));
    ASSERT_TRUE(Cpu().AddEvent(10, CRecorder::OtherCycleEvent, m_rig.m_timer, "B", 0, 0));
    ASSERT_TRUE(Cpu().AddEvent(10, CRecorder::OnCycleEvent, m_rig.m_video, "C", 0, 0));
    EXPECT_EQ(Cpu().RemoveEvents(CRecorder::OnCycleEvent, m_rig.m_timer), 1);
    EXPECT_EQ(Cpu().GetEventCount(), 2);

    // A callback that removes itself and the next event: the walk goes on safely.
    struct Remover : emu::CDevice {
        static bool OnEvent(emu::CObject* user, int32_t*, uint32_t*, emu::CProcessorInterface* cpu) {
            auto* self = static_cast<Remover*>(user);
            ++self->calls;
            cpu->RemoveEvents(OnEvent, user);
            cpu->RemoveEvents(CRecorder::OnCycleEvent, self->victim);
            return true;
        }
        int calls = 0;
        emu::CObject* victim = nullptr;
    } remover;
    remover.victim = m_rig.m_video;
    CCountingProcessor& cpu = Cpu();
    cpu.RemoveEvents(CRecorder::OtherCycleEvent, m_rig.m_timer);
    cpu.RemoveEvents(CRecorder::OnCycleEvent, m_rig.m_video);
    ASSERT_TRUE(cpu.AddEvent(10, Remover::OnEvent, &remover, "R", 0, 0));
    ASSERT_TRUE(cpu.AddEvent(10, CRecorder::OnCycleEvent, m_rig.m_video, "C", 0, 0));
    ASSERT_TRUE(cpu.AddEvent(10, CRecorder::OnCycleEvent, m_rig.m_board, "D", 0, 0));
    cpu.StartEvents();
    cpu.Advance(10);
    cpu.RunDueEvents();
    EXPECT_EQ(remover.calls, 1);
    EXPECT_TRUE(m_rig.m_video->m_firings.empty());
    EXPECT_EQ(m_rig.m_board->m_firings.size(), 1u);
    EXPECT_EQ(cpu.GetEventCount(), 1);
}

TEST_F(ProcessorTest, TimeScalingConvertsPeriodsAndNeverGivesZero) {
    Cpu().SetTimeScaling(true);
    emu::CProcessor::SetProcessBaseFrequency(2500);
    Cpu().SetEffectiveFrequency(1000); // CFREQ = 2.5
    EXPECT_DOUBLE_EQ(Cpu().GetRatio(), 2.5);
    ASSERT_TRUE(Cpu().AddEvent(3, CRecorder::OnCycleEvent, m_rig.m_timer, "Three", 0, 0));
    ASSERT_TRUE(Cpu().AddEvent(1, CRecorder::OnCycleEvent, m_rig.m_video, "One", 0, 0));
    ASSERT_TRUE(Cpu().AddEvent(1000, CRecorder::OnCycleEvent, m_rig.m_board, "Thousand", 0, 0));
    EXPECT_EQ(Cpu().FindEvent("Three", m_rig.m_timer)->m_convertedPeriod, 1);
    EXPECT_EQ(Cpu().FindEvent("One", m_rig.m_video)->m_convertedPeriod, 1);
    EXPECT_EQ(Cpu().FindEvent("Thousand", m_rig.m_board)->m_convertedPeriod, 400);
}

TEST_F(ProcessorTest, HalvingTheRatioDoublesWhatIsLeft) {
    Cpu().SetTimeScaling(true);
    emu::CProcessor::SetProcessBaseFrequency(4000);
    Cpu().SetEffectiveFrequency(1000); // CFREQ = 4
    ASSERT_TRUE(Cpu().AddEvent(400, CRecorder::OnCycleEvent, m_rig.m_timer, "Tick", 0, 0));
    Cpu().StartEvents();
    const uint64_t now = Cpu().GetCycleCount();
    EXPECT_EQ(Cpu().FindEvent("Tick", m_rig.m_timer)->m_due, now + 100);
    Cpu().SetEffectiveFrequency(2000); // CFREQ = 2
    const emu::CProcessor::CCycleEvent* e = Cpu().FindEvent("Tick", m_rig.m_timer);
    EXPECT_EQ(e->m_due, now + 200);
    EXPECT_EQ(e->m_convertedPeriod, 200);
    EXPECT_EQ(Cpu().GetCyclesToEvent(), 200);
}

TEST_F(ProcessorTest, NominalCyclesFollowTheRatio) {
    Cpu().SetTimeScaling(true);
    emu::CProcessor::SetProcessBaseFrequency(3000);
    Cpu().SetEffectiveFrequency(1000); // CFREQ = 3
    Cpu().Advance(100);
    EXPECT_EQ(Cpu().GetNominalCycleCount(), 300u);
    Cpu().SetEffectiveFrequency(3000); // CFREQ = 1 from here on
    Cpu().Advance(50);
    EXPECT_EQ(Cpu().GetNominalCycleCount(), 350u);
    Cpu().AddWaitCycles(3); // converted like a period
    EXPECT_EQ(Cpu().GetCycleCount(), 153u);
}

TEST_F(ProcessorTest, AddEventRegistersWhileTheBusRegisters) {
    m_rig.m_bus->SetRegistering(true);
    const int before = m_rig.m_bus->GetCallbackCount();
    EXPECT_TRUE(Cpu().AddEvent(10, CRecorder::OnCycleEvent, m_rig.m_timer, "Tick", 0, 0));
    EXPECT_EQ(m_rig.m_bus->GetCallbackCount(), before + 1);
    // The same name with another function is refused, but the event is scheduled.
    EXPECT_FALSE(Cpu().AddEvent(10, CRecorder::OtherCycleEvent, m_rig.m_timer, "Tick", 0, 0));
    EXPECT_EQ(Cpu().GetEventCount(), 2);
    EXPECT_FALSE(Cpu().AddEvent(10, CRecorder::OnCycleEvent, nullptr, "Tick", 0, 0));
    m_rig.m_bus->SetRegistering(false);
    EXPECT_TRUE(Cpu().AddEvent(10, CRecorder::OnCycleEvent, nullptr, "Tick", 0, 0));
    EXPECT_FALSE(Cpu().AddEvent(10, nullptr, m_rig.m_timer, "Null", 0, 0));
}

// --- State ---------------------------------------------------------------------------

class ProcessorStateTest : public ProcessorTest {
protected:
    void SetUp() override {
        ProcessorTest::SetUp();
        m_rig.m_bus->SetRegistering(true);
        ASSERT_TRUE(Cpu().AddEvent(100, CRecorder::OnCycleEvent, m_rig.m_timer, "Tick", 1, 2));
        ASSERT_TRUE(Cpu().AddEvent(-40, CRecorder::OnCycleEvent, m_rig.m_video, "Tick", 3, 4));
        m_rig.m_bus->SetRegistering(false);
        Cpu().StartEvents();
        Cpu().Advance(130);
        Cpu().RunDueEvents();
    }
};

TEST_F(ProcessorStateTest, SaveLoadSaveGivesIdenticalBytes) {
    const test::Bytes first = proctest::SaveBytes(Cpu());
    Cpu().Advance(7);
    Cpu().RunDueEvents();
    ASSERT_TRUE(proctest::LoadBytes(Cpu(), first));
    EXPECT_EQ(proctest::SaveBytes(Cpu()), first);
}

TEST_F(ProcessorStateTest, LoadRestoresEventsByOwnerAndName) {
    // At cycle 130 the timer is due at 200 (70 to go) and the video event at 160 (30 to go).
    const test::Bytes saved = proctest::SaveBytes(Cpu());
    CRig other;
    other.Power();
    other.m_bus->SetRegistering(true);
    ASSERT_TRUE(other.m_cpu->AddEvent(100, CRecorder::OnCycleEvent, other.m_timer, "Tick", 0, 0));
    ASSERT_TRUE(other.m_cpu->AddEvent(40, CRecorder::OnCycleEvent, other.m_video, "Tick", 0, 0));
    other.m_bus->SetRegistering(false);
    other.m_cpu->Advance(1000);
    ASSERT_TRUE(proctest::LoadBytes(*other.m_cpu, saved));
    EXPECT_EQ(other.m_cpu->GetCycleCount(), 130u);
    ASSERT_EQ(other.m_cpu->GetEventCount(), 2);
    const emu::CProcessor::CCycleEvent* timer = other.m_cpu->FindEvent("Tick", other.m_timer);
    const emu::CProcessor::CCycleEvent* video = other.m_cpu->FindEvent("Tick", other.m_video);
    ASSERT_NE(timer, nullptr);
    ASSERT_NE(video, nullptr);
    EXPECT_EQ(timer->m_due, 200u);
    EXPECT_EQ(timer->m_period, 100);
    EXPECT_EQ(timer->m_data[0], 1u);
    EXPECT_EQ(timer->m_data[1], 2u);
    EXPECT_EQ(video->m_due, 160u);
    EXPECT_EQ(video->m_period, 40);
    EXPECT_EQ(video->m_data[0], 3u);
    EXPECT_EQ(other.m_cpu->GetCyclesToEvent(), 30);
}

TEST_F(ProcessorStateTest, LoadFailsOnUnknownNamesVersionsAndEmptyOwners) {
    const test::Bytes saved = proctest::SaveBytes(Cpu());
    CRig fresh; // nothing registered
    fresh.Power();
    EXPECT_FALSE(proctest::LoadBytes(*fresh.m_cpu, saved));

    test::Bytes badVersion = saved;
    test::Bytes marker;
    test::AppendU8Field(marker, "VER", 0);
    // The "_CPU" chunk's version follows the device data; find the second "VER" field.
    size_t found = 0;
    int seen = 0;
    for (size_t i = 0; i + marker.size() <= badVersion.size(); ++i) {
        if (std::memcmp(&badVersion[i], marker.data(), marker.size()) == 0 && ++seen == 3) {
            found = i;
            break;
        }
    }
    ASSERT_NE(found, 0u);
    badVersion[found + marker.size() - 1] = 1;
    EXPECT_FALSE(proctest::LoadBytes(Cpu(), badVersion));

    // An event whose owner name is empty cannot be bound.
    CCountingProcessor& cpu = Cpu();
    cpu.RemoveEvents(CRecorder::OnCycleEvent, m_rig.m_video);
    ASSERT_TRUE(cpu.AddEvent(10, CRecorder::OnCycleEvent, nullptr, "Tick", 0, 0));
    const test::Bytes ownerless = proctest::SaveBytes(cpu);
    EXPECT_FALSE(proctest::LoadBytes(cpu, ownerless));
}

TEST_F(ProcessorStateTest, OverdueEventIsRestoredDueAtOnceUnderTimeScaling) {
    // Make the timer event 30 cycles overdue, then save.
    Cpu().Advance(100); // now 230, timer due at 200
    const test::Bytes saved = proctest::SaveBytes(Cpu());
    CRig other;
    other.Power();
    other.m_bus->SetRegistering(true);
    ASSERT_TRUE(other.m_cpu->AddEvent(100, CRecorder::OnCycleEvent, other.m_timer, "Tick", 0, 0));
    ASSERT_TRUE(other.m_cpu->AddEvent(40, CRecorder::OnCycleEvent, other.m_video, "Tick", 0, 0));
    other.m_bus->SetRegistering(false);
    other.m_cpu->SetTimeScaling(true);
    ASSERT_TRUE(proctest::LoadBytes(*other.m_cpu, saved));
    const emu::CProcessor::CCycleEvent* timer = other.m_cpu->FindEvent("Tick", other.m_timer);
    ASSERT_NE(timer, nullptr);
    EXPECT_EQ(timer->m_due, other.m_cpu->GetCycleCount());
    other.m_cpu->RunDueEvents();
    EXPECT_EQ(other.m_timer->m_firings.size(), 1u);
}

// --- Memory accessors -------------------------------------------------------------------

struct CHandlerLog {
    struct CCall {
        uint32_t address;
        uint32_t size;
        uint8_t flag;
    };
    std::vector<CCall> reads;
    std::vector<CCall> writes;
    bool answer = true;
    uint8_t value = 0xA5;
    CCountingProcessor* faultOn = nullptr; // sets the processor's fault flag when called
};

bool LoggingRead(void* context, uint32_t address, uint32_t size, uint8_t* value, uint8_t flag) {
    auto* log = static_cast<CHandlerLog*>(context);
    log->reads.push_back({address, size, flag});
    if (log->faultOn != nullptr)
        log->faultOn->SetFault(true);
    for (uint32_t i = 0; i < size; ++i)
        value[i] = log->value;
    return log->answer;
}

bool LoggingWrite(void* context, uint32_t address, uint32_t size, uint8_t* /*value*/) {
    auto* log = static_cast<CHandlerLog*>(context);
    log->writes.push_back({address, size, 0});
    if (log->faultOn != nullptr)
        log->faultOn->SetFault(true);
    return log->answer;
}

class AccessorTest : public ProcessorTest {
protected:
    void SetUp() override {
        ProcessorTest::SetUp();
        Cpu().SetAddressMask(0xFFFF);
    }
    uint8_t* Ram() { return m_rig.m_memory->GetRamBase(); }
    void InstallHandlers(uint32_t page) {
        ASSERT_TRUE(m_rig.m_memory->SetReadHandler(page, 1, &m_log, LoggingRead, false));
        ASSERT_TRUE(m_rig.m_memory->SetWriteHandler(page, 1, &m_log, LoggingWrite, false));
        ASSERT_TRUE(Cpu().Reset(emu::CDevice::kResetMemoryChanged));
    }

    CHandlerLog m_log;
};

TEST_F(AccessorTest, DirectPagesReadAndWriteLittleEndian) {
    EXPECT_TRUE(Cpu().WriteByte(0x1234, 0x5A));
    EXPECT_EQ(Ram()[0x1234], 0x5A);
    EXPECT_TRUE(Cpu().WriteWord(0x2000, 0xBEEF));
    EXPECT_TRUE(Cpu().WriteDword(0x2002, 0x01234567));
    EXPECT_TRUE(Cpu().WriteQword(0x2008, 0x1122334455667788ull));
    uint8_t b = 0;
    uint16_t w = 0;
    uint32_t d = 0;
    uint64_t q = 0;
    EXPECT_TRUE(Cpu().ReadByte(0x1234, &b));
    EXPECT_TRUE(Cpu().ReadWord(0x2000, &w));
    EXPECT_TRUE(Cpu().ReadDword(0x2002, &d));
    EXPECT_TRUE(Cpu().ReadQword(0x2008, &q));
    EXPECT_EQ(b, 0x5A);
    EXPECT_EQ(w, 0xBEEF);
    EXPECT_EQ(d, 0x01234567u);
    EXPECT_EQ(q, 0x1122334455667788ull);
    EXPECT_EQ(Ram()[0x2000], 0xEF);
    // The address mask applies first.
    EXPECT_TRUE(Cpu().ReadByte(0x31234, &b));
    EXPECT_EQ(b, 0x5A);
    uint32_t counter = 0;
    EXPECT_TRUE(Cpu().ReadByteFastCounted(0x1234, &b, &counter));
    EXPECT_TRUE(Cpu().ReadWordFastCounted(0x2000, &w, &counter));
    EXPECT_TRUE(Cpu().ReadDwordCounted(0x2002, &d, &counter));
    EXPECT_EQ(counter, 7u);
    EXPECT_EQ(d, 0x01234567u);
}

TEST_F(AccessorTest, HandlerPagesAreCalledDirectlyAndDeclinedAccessesUseRam) {
    InstallHandlers(4); // 0x1000-0x13FF
    Ram()[0x1010] = 0x77;
    uint8_t b = 0;
    m_log.answer = false;
    EXPECT_TRUE(Cpu().ReadByte(0x1010, &b));
    EXPECT_EQ(b, 0x77);
    EXPECT_TRUE(Cpu().WriteByte(0x1011, 0x66));
    EXPECT_EQ(Ram()[0x1011], 0x66);
    m_log.answer = true;
    EXPECT_TRUE(Cpu().PeekByte(0x1010, &b)); // a peek of a handler page is a read (flag 0)
    EXPECT_EQ(b, 0xA5);
    ASSERT_EQ(m_log.reads.size(), 2u);
    EXPECT_EQ(m_log.reads[1].flag, 0);
    EXPECT_EQ(m_log.reads[1].address, 0x1010u);
    // A word on a handler page goes byte by byte through the map.
    uint16_t w = 0;
    EXPECT_TRUE(Cpu().ReadWord(0x1020, &w));
    EXPECT_EQ(w, 0xA5A5);
    ASSERT_EQ(m_log.reads.size(), 4u);
    EXPECT_EQ(m_log.reads[2].size, 1u);
    EXPECT_EQ(m_log.reads[3].address, 0x1021u);
}

TEST_F(AccessorTest, WordsOnPageEdgesAndTheLastAddressAreSplit) {
    InstallHandlers(5); // 0x1400-0x17FF
    Ram()[0x13FF] = 0x34;
    uint16_t w = 0;
    EXPECT_TRUE(Cpu().ReadWord(0x13FF, &w)); // second byte from the handler page
    EXPECT_EQ(w, 0xA534);
    ASSERT_EQ(m_log.reads.size(), 1u);
    EXPECT_EQ(m_log.reads[0].address, 0x1400u);
    // The last address wraps through the mask for its second byte.
    Ram()[0xFFFF] = 0x12;
    Ram()[0x0000] = 0x9A;
    EXPECT_TRUE(Cpu().ReadWord(0xFFFF, &w));
    EXPECT_EQ(w, 0x9A12);
    EXPECT_TRUE(Cpu().WriteWord(0xFFFF, 0x5678));
    EXPECT_EQ(Ram()[0xFFFF], 0x78);
    EXPECT_EQ(Ram()[0x0000], 0x56);
}

TEST_F(AccessorTest, ReadWatchKeepsFetchesOffTheDirectPathOnly) {
    // A plain page marked read-watched, whose descriptor is given a logging
    // handler: a fetch goes through the map, which calls that handler, while a
    // data read stays on the direct path and never calls it.
    emu::CMemory::CPageDescriptor& page = m_rig.m_memory->GetPageTable()[8];
    page.flags |= emu::CMemory::kPageReadWatch;
    page.readHandler = LoggingRead;
    page.readContext = &m_log;
    m_log.value = 0xC3;
    Ram()[0x2000] = 0x11;
    uint8_t b = 0;
    uint32_t counter = 0;
    EXPECT_TRUE(Cpu().ReadByteFastCounted(0x2000, &b, &counter));
    EXPECT_EQ(b, 0xC3);
    EXPECT_EQ(m_log.reads.size(), 1u);
    page.readContext = Ram() + 0x2000; // the direct path reads the page's own bytes
    EXPECT_TRUE(Cpu().ReadByte(0x2000, &b));
    EXPECT_EQ(b, 0x11);
    EXPECT_EQ(m_log.reads.size(), 1u);
}

TEST_F(AccessorTest, SlowPathPassesThePeekFlag) {
    CRig small;
    small.Power(0x1000); // 4 KB: 0x8000 is out of range
    small.m_memory->SetOutOfRangeHooks(&m_log, LoggingRead, &m_log, LoggingWrite);
    small.m_cpu->SetAddressMask(0xFFFF);
    uint8_t b = 0;
    uint32_t d = 0;
    EXPECT_TRUE(small.m_cpu->PeekByte(0x8000, &b));
    EXPECT_TRUE(small.m_cpu->PeekDwordSlow(0x8000, &d));
    EXPECT_TRUE(small.m_cpu->ReadByte(0x8000, &b));
    ASSERT_EQ(m_log.reads.size(), 6u);
    EXPECT_EQ(m_log.reads[0].flag, 1);
    EXPECT_EQ(m_log.reads[4].flag, 1);
    EXPECT_EQ(m_log.reads[5].flag, 0);
    EXPECT_EQ(d, 0xA5A5A5A5u);
}

TEST_F(AccessorTest, FaultsLeaveTheOutputAndStopMultiByteWrites) {
    InstallHandlers(4);
    m_log.faultOn = &Cpu();
    uint8_t b = 0x42;
    EXPECT_FALSE(Cpu().ReadByte(0x1000, &b));
    EXPECT_EQ(b, 0x42);
    EXPECT_EQ(m_log.reads.size(), 1u); // asked once, not again through the map
    Cpu().SetFault(false);
    EXPECT_FALSE(Cpu().WriteByte(0x1000, 1));
    Cpu().SetFault(false);
    // A word across into the faulting page: the first byte stays written.
    Ram()[0x0FFF] = 0;
    EXPECT_FALSE(Cpu().WriteWord(0x0FFF, 0xAB12));
    EXPECT_EQ(Ram()[0x0FFF], 0x12);
    Cpu().SetFault(false);
    uint16_t w = 0x4242;
    uint32_t counter = 0;
    EXPECT_FALSE(Cpu().ReadWordCounted(0x0FFF, &w, &counter));
    EXPECT_EQ(w, 0x4242);
    EXPECT_EQ(counter, 0u);
}

TEST_F(AccessorTest, UnmappedPagesReadFFAndDropWrites) {
    ASSERT_TRUE(m_rig.m_memory->SetPageAccess(0, 2, 1)); // 0x0800-0x0BFF
    ASSERT_TRUE(Cpu().Reset(emu::CDevice::kResetMemoryChanged));
    Ram()[0x0800] = 0x33;
    uint8_t b = 0;
    EXPECT_TRUE(Cpu().ReadByte(0x0800, &b));
    EXPECT_EQ(b, 0xFF);
    EXPECT_TRUE(Cpu().WriteByte(0x0800, 0x44));
    EXPECT_EQ(Ram()[0x0800], 0x33);
}

} // namespace
