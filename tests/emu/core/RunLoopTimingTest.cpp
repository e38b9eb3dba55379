// The run loop's timing record: frame and slice budgets, the cut at the next
// event, pacing and speed measurement against an injected counter, and the
// "_EMUCORE" section.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "common/CMemoryStream.h"
#include "common/CNarrowString.h"
#include "common/CStreamHolder.h"
#include "common/LittleEndian.h"
#include "common/OsHelpers.h"
#include "emu/core/CRunLoopTiming.h"
#include "emu/framework/CProcessor.h"

namespace {

using emu::CRunLoopTiming;

// A counter at 1 MHz that moves on by a fixed step at every reading.
int64_t g_now = 0;
int64_t g_step = 0;
bool ReadCounter(int64_t* value) {
    g_now += g_step;
    *value = g_now;
    return true;
}
bool ReadFrequency(int64_t* value) {
    *value = 1000000;
    return true;
}

class CInjectedCounter {
public:
    CInjectedCounter(int64_t start, int64_t step) {
        g_now = start;
        g_step = step;
        common::SetPerformanceCounterOverride(&ReadCounter, &ReadFrequency);
    }
    ~CInjectedCounter() { common::SetPerformanceCounterOverride(nullptr, nullptr); }
};

TEST(RunLoopTimingTest, AFrameAt25MHzIs50000CyclesAndAnOvershootShortensTheNext) {
    emu::CProcessor processor;
    processor.SetCyclesToEvent(emu::CProcessorInterface::kNoEvent);
    CRunLoopTiming t;
    t.StartFrames(2500000, 1);
    EXPECT_EQ(t.m_sliceCycles, 50000);
    EXPECT_EQ(t.m_fractionalCycles, 0.0);
    EXPECT_EQ(t.m_slicesLeft, 1);

    t.m_sliceCycles = 0; // ran exactly
    EXPECT_TRUE(t.NextSlice(&processor));
    EXPECT_EQ(t.m_sliceCycles, 50000);

    t.m_sliceCycles = -3; // the last instruction ran 3 cycles over
    EXPECT_TRUE(t.NextSlice(&processor));
    EXPECT_EQ(t.m_sliceCycles, 49997);
    EXPECT_EQ(t.m_fractionalCycles, 0.0);
}

TEST(RunLoopTimingTest, SeveralSlicesShareTheFrameAndKeepItsTotal) {
    emu::CProcessor processor;
    processor.SetCyclesToEvent(emu::CProcessorInterface::kNoEvent);
    CRunLoopTiming t;
    t.StartFrames(1000000, 3); // 20000 cycles a frame
    int64_t total = t.m_sliceCycles;
    bool frameDone = false;
    while (!frameDone) {
        t.m_sliceCycles = 0;
        frameDone = t.NextSlice(&processor);
        if (!frameDone)
            total += t.m_sliceCycles;
    }
    EXPECT_EQ(total, 20000);
}

TEST(RunLoopTimingTest, AnEventInsideASliceCutsItAndTheRestWaits) {
    emu::CProcessor processor;
    processor.SetCyclesToEvent(300);
    CRunLoopTiming t;
    t.m_sliceCycles = 1000;
    t.CutAtEvent(&processor);
    EXPECT_EQ(t.m_sliceCycles, 300);
    EXPECT_EQ(t.m_deferredCycles, 700);
    EXPECT_EQ(processor.GetCyclesToEvent(), 0);

    processor.SetCyclesToEvent(5000);
    t.m_sliceCycles = 1000;
    t.CutAtEvent(&processor);
    EXPECT_EQ(t.m_sliceCycles, 1000);
    EXPECT_EQ(t.m_deferredCycles, 0);
    EXPECT_EQ(processor.GetCyclesToEvent(), 4000) << "the counter is debited by the slice";
}

TEST(RunLoopTimingTest, MeasuringTheHostClockTimesOneSleep) {
    CInjectedCounter counter(0, 5000);
    CRunLoopTiming t;
    const int64_t now = t.MeasureHostClock();
    EXPECT_EQ(now, 10000);
    EXPECT_EQ(t.m_tickFrequency, 1000000);
    EXPECT_EQ(t.m_ticksPerMs, 1000);
    EXPECT_EQ(t.m_ticksPerFrame, 20000);
    EXPECT_EQ(t.m_sleepEstimate, 5000);
    EXPECT_EQ(t.m_lastSleep, 5000);
}

TEST(RunLoopTimingTest, PacingSleepsWhileTwiceTheSleepCostRemainsAndMovesTheDeadlineOn) {
    CInjectedCounter counter(0, 5000);
    CRunLoopTiming t;
    t.StartPacing(t.MeasureHostClock()); // now 10000, deadline 30000
    t.m_pacingCopy = true;
    int64_t now = 0;
    common::GetPerformanceCounter(&now); // 15000
    now = t.Pace(now);
    EXPECT_EQ(now, 25000) << "two sleeps: 5000 left is less than twice the estimate";
    EXPECT_EQ(t.m_deadline, 50000);
    EXPECT_EQ(t.m_sleepEstimate, 5000 - (5000 >> 4)) << "the estimate decays by a sixteenth";
}

TEST(RunLoopTimingTest, PacingRules) {
    struct CCase {
        const char* name;
        bool pacing;
        int64_t deadline;
        int64_t now;
        int64_t nextDeadline;
    };
    const CCase cases[] = {
        {"unpaced: one frame from now, no sleep", false, 30000, 12000, 32000},
        {"too little left to sleep: the frame starts early", true, 30000, 25000, 50000},
        {"late: the deadline restarts from now", true, 30000, 31000, 51000},
        {"exactly on the deadline counts as late", true, 30000, 30000, 50000},
    };
    for (const CCase& c : cases) {
        SCOPED_TRACE(c.name);
        CInjectedCounter counter(0, 5000);
        CRunLoopTiming t;
        t.MeasureHostClock();
        t.m_pacingCopy = c.pacing;
        t.m_deadline = c.deadline;
        EXPECT_EQ(t.Pace(c.now), c.now) << "no sleep";
        EXPECT_EQ(t.m_deadline, c.nextDeadline);
    }
}

TEST(RunLoopTimingTest, TheSleepEstimateNeverDropsBelowOneMillisecond) {
    CInjectedCounter counter(0, 500);
    CRunLoopTiming t;
    t.MeasureHostClock();
    EXPECT_EQ(t.m_sleepEstimate, 1000);
    t.m_pacingCopy = true;
    t.m_deadline = 100;
    t.Pace(1000);
    EXPECT_EQ(t.m_sleepEstimate, 1000);
}

TEST(RunLoopTimingTest, SpeedOfAWindow) {
    struct CCase {
        const char* name;
        int64_t lateTicks; // at 1 MHz
        int32_t speed;
    };
    const CCase cases[] = {
        {"on time", 0, 100},
        {"one second late: half speed", 1000000, 50},
        {"s = 1019 tenths", -18700, 101},
        {"s = 1018 tenths", -17700, 100},
        {"s = 992 tenths", 8064, 100},
        {"s = 991 tenths", 9100, 99},
        {"twice as fast", -500000, 200},
    };
    for (const CCase& c : cases) {
        SCOPED_TRACE(c.name);
        CRunLoopTiming t;
        t.m_tickFrequency = 1000000;
        t.m_speedWindowEnd = 5000000;
        t.m_frameIndex = 50;
        int32_t speed = -1;
        t.MeasureSpeed(5000000 + c.lateTicks, &speed);
        EXPECT_EQ(speed, c.speed);
        EXPECT_EQ(t.m_frameIndex, 0);
        EXPECT_EQ(t.m_speedWindowEnd, 5000000 + c.lateTicks + 1000000);
    }
}

TEST(RunLoopTimingTest, ASpeedThatCannotBeToldKeepsTheLastOne) {
    CRunLoopTiming t;
    t.m_tickFrequency = 1000000;
    t.m_speedWindowEnd = 5000000;
    int32_t speed = 77;
    t.MeasureSpeed(4000000, &speed); // late + 10000 is 0
    EXPECT_EQ(speed, 77);
    t.m_speedWindowEnd = 0;
    t.MeasureSpeed(INT64_C(1) << 62, &speed); // a huge gap: below 1 % is not shown
    EXPECT_EQ(speed, 77);
}

// --- The "_EMUCORE" section -------------------------------------------------------------

std::vector<uint8_t> WriteSection(const CRunLoopTiming& t, bool maxSpeed) {
    common::CMemoryStream stream;
    stream.Create(0, -1);
    common::CStreamHolder holder(&stream);
    EXPECT_TRUE(t.Write(holder, maxSpeed));
    return std::vector<uint8_t>(stream.GetBuffer(), stream.GetBuffer() + stream.GetSize());
}

bool ReadSection(CRunLoopTiming& t, const std::vector<uint8_t>& bytes, common::CNarrowString* error) {
    common::CMemoryStream stream;
    stream.Create(0, -1);
    stream.Write(bytes.data(), static_cast<int64_t>(bytes.size()));
    stream.Seek(0);
    common::CStreamHolder holder(&stream);
    return t.Read(holder, error);
}

CRunLoopTiming MidFrame() {
    CRunLoopTiming t;
    t.StartFrames(2500000, 1);
    t.m_slicesLeft = 1;
    t.m_sliceCycles = 12000;
    t.m_deferredCycles = 300;
    t.m_fractionalCycles = 0.1 + 0.2;
    t.m_frameIndex = 17;
    t.m_reentryGuard.armed = true;
    t.m_reentryGuard.address = 0xDA13;
    t.m_reentryGuard.pass = true;
    return t;
}

// The bytes of one field's value in a section: after its name and type byte.
size_t ValueOffset(const std::vector<uint8_t>& bytes, const char* name) {
    const size_t length = std::strlen(name);
    for (size_t i = 0; i + length < bytes.size(); ++i)
        if (std::memcmp(&bytes[i], name, length) == 0)
            return i + length + 1;
    return 0;
}

TEST(RunLoopTimingTest, TheSectionRoundTripsBitExactly) {
    CInjectedCounter counter(0, 5000);
    const CRunLoopTiming saved = MidFrame();
    const std::vector<uint8_t> bytes = WriteSection(saved, false);
    CRunLoopTiming loaded;
    common::CNarrowString error;
    ASSERT_TRUE(ReadSection(loaded, bytes, &error));
    EXPECT_EQ(loaded.m_sliceCycles, 12000);
    EXPECT_EQ(loaded.m_deferredCycles, 300);
    EXPECT_EQ(loaded.m_slicesLeft, 1);
    EXPECT_EQ(std::memcmp(&loaded.m_fractionalCycles, &saved.m_fractionalCycles, sizeof(double)), 0);
    EXPECT_EQ(loaded.m_cyclesPerFrame, 50000.0);
    EXPECT_EQ(loaded.m_slicesPerFrame, 1);
    EXPECT_EQ(loaded.m_frameIndex, 17);
    EXPECT_TRUE(loaded.m_reentryGuard.armed);
    EXPECT_EQ(loaded.m_reentryGuard.address, 0xDA13u);
    EXPECT_TRUE(loaded.m_reentryGuard.pass);
    EXPECT_EQ(loaded.m_tickFrequency, 1000000) << "the host clock is measured again";
    EXPECT_EQ(WriteSection(loaded, false), bytes);
}

TEST(RunLoopTimingTest, DamagedSectionsAreRefused) {
    CInjectedCounter counter(0, 5000);
    const std::vector<uint8_t> valid = WriteSection(MidFrame(), false);
    struct CCase {
        const char* name;
        const char* field;
        uint8_t value;
        bool keepsSlice; // refused before the slice values are read
    };
    const CCase cases[] = {
        {"version 0", "VER", 0, true},         {"revision 3", "VERR", 3, true},
        {"MAXS 2", "MAXS", 2, true},           {"no slices per frame", "IPF", 0, false},
        {"frame index 200", "FI", 200, false},
    };
    for (const CCase& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<uint8_t> bytes = valid;
        const size_t at = ValueOffset(bytes, c.field);
        ASSERT_NE(at, 0u);
        bytes[at] = c.value;
        CRunLoopTiming t;
        t.m_sliceCycles = -77;
        common::CNarrowString error;
        EXPECT_FALSE(ReadSection(t, bytes, &error));
        EXPECT_TRUE(error.IsEmpty());
        if (c.keepsSlice) {
            EXPECT_EQ(t.m_sliceCycles, -77);
        }
    }
}

// Revision 1 ends after "FI": it loads, with no instruction waiting to run
// past a break.
TEST(RunLoopTimingTest, ASectionWithoutTheReentryGuardStillLoads) {
    CInjectedCounter counter(0, 5000);
    common::CMemoryStream stream;
    stream.Create(0, -1);
    {
        common::CStreamHolder holder(&stream);
        const CRunLoopTiming saved = MidFrame();
        uint8_t pfc[8];
        uint8_t cpf[8];
        common::StoreLittleDouble(pfc, saved.m_fractionalCycles);
        common::StoreLittleDouble(cpf, saved.m_cyclesPerFrame);
        const common::CNarrowString section("_EMUCORE");
        ASSERT_TRUE(holder.WriteMarker(common::CStreamHolder::kChunkBegin, section) &&
                    holder.WriteUInt8Field(1, common::CNarrowString("VER")) &&
                    holder.WriteUInt8Field(1, common::CNarrowString("VERR")) &&
                    holder.WriteUInt8Field(0, common::CNarrowString("MAXS")) &&
                    holder.WriteInt32Field(saved.m_sliceCycles, common::CNarrowString("PC")) &&
                    holder.WriteInt32Field(saved.m_deferredCycles, common::CNarrowString("PCR")) &&
                    holder.WriteInt32Field(saved.m_slicesLeft, common::CNarrowString("PI")) &&
                    holder.WriteBlobField(pfc, 8, common::CNarrowString("PFC")) &&
                    holder.WriteBlobField(cpf, 8, common::CNarrowString("CPF")) &&
                    holder.WriteInt32Field(saved.m_slicesPerFrame, common::CNarrowString("IPF")) &&
                    holder.WriteInt32Field(saved.m_frameIndex, common::CNarrowString("FI")) &&
                    holder.WriteMarker(common::CStreamHolder::kChunkEnd, section));
    }
    stream.Seek(0);
    common::CStreamHolder holder(&stream);
    CRunLoopTiming t;
    t.m_reentryGuard.armed = true;
    ASSERT_TRUE(t.Read(holder, nullptr));
    EXPECT_EQ(t.m_sliceCycles, 12000);
    EXPECT_EQ(t.m_frameIndex, 17);
    EXPECT_FALSE(t.m_reentryGuard.armed);
}

TEST(RunLoopTimingTest, AMaximumSpeedSectionAsksForThatLoop) {
    const std::vector<uint8_t> bytes = WriteSection(MidFrame(), true);
    CRunLoopTiming t;
    common::CNarrowString error;
    EXPECT_FALSE(ReadSection(t, bytes, &error));
    EXPECT_STREQ(error.GetNarrow(), "Enable \"Max CPU Speed\"!");
}

TEST(RunLoopTimingTest, AnExtraOrMissingFieldIsRefused) {
    CInjectedCounter counter(0, 5000);
    const CRunLoopTiming saved = MidFrame();
    // Missing: the section without "FI".
    {
        common::CMemoryStream stream;
        stream.Create(0, -1);
        common::CStreamHolder holder(&stream);
        holder.WriteMarker(common::CStreamHolder::kChunkBegin, common::CNarrowString("_EMUCORE"));
        holder.WriteUInt8Field(1, common::CNarrowString("VER"));
        holder.WriteUInt8Field(1, common::CNarrowString("VERR"));
        holder.WriteUInt8Field(0, common::CNarrowString("MAXS"));
        holder.WriteInt32Field(1, common::CNarrowString("PC"));
        holder.WriteInt32Field(2, common::CNarrowString("EXTRA"));
        stream.Seek(0);
        CRunLoopTiming t;
        EXPECT_FALSE(t.Read(holder, nullptr));
        EXPECT_EQ(t.m_sliceCycles, 1) << "values read before the failure stay";
    }
    std::vector<uint8_t> bytes = WriteSection(saved, false);
    bytes.resize(bytes.size() - 14); // the end record goes
    CRunLoopTiming t;
    EXPECT_FALSE(ReadSection(t, bytes, nullptr));
}

} // namespace
