#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "emu/framework/CInterruptController.h"
#include "emu/framework/CInterrupts.h"
#include "emu/framework/MemoryTestSupport.h"

namespace {

using emu::CInterrupts;

typedef std::vector<std::string> Log;

// A controller that owns a set of lines, logs every call and offers its
// lowest pending line.
class CTestController : public emu::CInterruptController {
public:
    CTestController(const char* name, Log* log, uint32_t firstLine, uint32_t lineCount)
        : m_label(name), m_log(log), m_first(firstLine), m_count(lineCount) {
        SetName(name);
    }

    bool Acknowledge(bool commit, int32_t* line, int32_t* vector, int32_t* address) override {
        m_log->push_back(m_label + (commit ? " ack1" : " ack0"));
        for (uint32_t i = 0; i < m_count; ++i) {
            if (m_pending & (1u << i)) {
                *line = static_cast<int32_t>(m_first + i);
                *vector = static_cast<int32_t>(0x20 + m_first + i);
                *address = 0x38;
                if (commit)
                    m_pending &= ~(1u << i);
                return true;
            }
        }
        return false;
    }
    bool SetRequestLine(uint32_t line, bool raise) override {
        m_log->push_back(m_label + (raise ? " raise " : " lower ") + std::to_string(line));
        if (line < m_first || line >= m_first + m_count)
            return false;
        const uint32_t bit = 1u << (line - m_first);
        if (raise)
            m_pending |= bit;
        else
            m_pending &= ~bit;
        return true;
    }
    bool IsRequestPending(int32_t line) override {
        m_log->push_back(m_label + " pending " + std::to_string(line));
        if (line < 0)
            return m_pending != 0;
        const uint32_t l = static_cast<uint32_t>(line);
        return l >= m_first && l < m_first + m_count && (m_pending & (1u << (l - m_first))) != 0;
    }

    std::string m_label;
    Log* m_log;
    uint32_t m_first;
    uint32_t m_count;
    uint32_t m_pending = 0;
};

// Plain callbacks for registrations made by hand.
bool AckNone(void*, bool, int32_t*, int32_t*, int32_t*) {
    return false;
}
bool AckOther(void*, bool, int32_t*, int32_t*, int32_t*) {
    return true;
}
bool LineNone(void*, uint32_t, bool) {
    return false;
}

struct CHookProbe {
    uint32_t vector = 0;
    uint32_t a = 0;
    uint32_t b = 0;
    emu::CProcessorInterface* processor = nullptr;
    int calls = 0;

    static bool Hook(void* context, uint32_t vector, uint32_t a, uint32_t b, emu::CProcessorInterface* processor,
                     uint64_t* out) {
        CHookProbe* self = static_cast<CHookProbe*>(context);
        self->vector = vector;
        self->a = a;
        self->b = b;
        self->processor = processor;
        ++self->calls;
        *out += 5;
        return true;
    }
};

class InterruptsTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_interrupts.SetOwner(&m_machine);
        ASSERT_TRUE(m_first.RegisterWith(&m_interrupts));
        ASSERT_TRUE(m_second.RegisterWith(&m_interrupts));
    }

    Log m_log;
    memtest::CRecordingMachine m_machine;
    CInterrupts m_interrupts;
    CTestController m_first{"first", &m_log, 0, 8};
    CTestController m_second{"second", &m_log, 8, 8};
};

TEST(InterruptsAlone, LinesWithoutControllersStillRequestAnInterruptCheck) {
    memtest::CRecordingMachine machine;
    CInterrupts interrupts;
    EXPECT_FALSE(interrupts.SetRequestLine(3, true)); // no owner yet: nothing to tell
    interrupts.SetOwner(&machine);
    EXPECT_FALSE(interrupts.SetRequestLine(3, true));
    EXPECT_EQ(1, machine.m_interruptChecks);
    EXPECT_FALSE(interrupts.SetRequestLine(3, false));
    EXPECT_EQ(1, machine.m_interruptChecks);
    int32_t line = -7, vector = -7, address = -7;
    EXPECT_FALSE(interrupts.AcknowledgeInterrupt(false, &line, &vector, &address));
    EXPECT_EQ(-7, line);
    EXPECT_FALSE(interrupts.IsInterruptPending(-1));
}

TEST_F(InterruptsTest, LinesGoToTheFirstControllerThatTakesThem) {
    EXPECT_TRUE(m_interrupts.SetRequestLine(2, true));
    EXPECT_TRUE(m_interrupts.SetRequestLine(9, true));
    EXPECT_FALSE(m_interrupts.SetRequestLine(20, true));
    EXPECT_EQ((Log{"first raise 2", "first raise 9", "second raise 9", "first raise 20", "second raise 20"}), m_log);
    EXPECT_EQ(3, m_machine.m_interruptChecks); // every raise, taken or not
    EXPECT_TRUE(m_interrupts.SetRequestLine(9, false));
    EXPECT_EQ(3, m_machine.m_interruptChecks);
    EXPECT_EQ(0x4u, m_first.m_pending);
    EXPECT_EQ(0u, m_second.m_pending);
}

TEST_F(InterruptsTest, AcknowledgeAsksInOrderUntilOneOffers) {
    m_second.SetRequestLine(10, true);
    m_log.clear();
    int32_t line = 0, vector = 0, address = 0;
    ASSERT_TRUE(m_interrupts.AcknowledgeInterrupt(false, &line, &vector, &address));
    EXPECT_EQ(10, line);
    EXPECT_EQ(0x2A, vector);
    EXPECT_EQ(0x38, address);
    ASSERT_TRUE(m_interrupts.AcknowledgeInterrupt(true, &line, &vector, &address));
    EXPECT_FALSE(m_interrupts.AcknowledgeInterrupt(false, &line, &vector, &address));
    EXPECT_EQ((Log{"first ack0", "second ack0", "first ack1", "second ack1", "first ack0", "second ack0"}), m_log);
}

TEST_F(InterruptsTest, PendingTestIsAnsweredByTheFirstImplementer) {
    m_second.SetRequestLine(9, true);
    m_log.clear();
    EXPECT_FALSE(m_interrupts.IsInterruptPending(9)); // the first says no, and decides
    EXPECT_EQ((Log{"first pending 9"}), m_log);
    // A controller without a pending test is skipped.
    CInterrupts interrupts;
    ASSERT_TRUE(interrupts.RegisterController(&m_log, AckNone, LineNone, nullptr));
    ASSERT_TRUE(m_second.RegisterWith(&interrupts));
    EXPECT_TRUE(interrupts.IsInterruptPending(-1));
}

TEST_F(InterruptsTest, RaiseWithCheckLeavesAPendingLineAlone) {
    m_first.SetRequestLine(4, true);
    m_log.clear();
    EXPECT_TRUE(m_interrupts.RaiseInterrupt(4, true));
    EXPECT_EQ((Log{"first pending 4"}), m_log);
    EXPECT_EQ(1, m_machine.m_interruptChecks);
    m_log.clear();
    EXPECT_TRUE(m_interrupts.RaiseInterrupt(5, true));
    EXPECT_EQ((Log{"first pending 5", "first raise 5"}), m_log);
    EXPECT_EQ(3, m_machine.m_interruptChecks); // the check, then the raise
    m_log.clear();
    EXPECT_TRUE(m_interrupts.RaiseInterrupt(4, false));
    EXPECT_EQ((Log{"first raise 4"}), m_log);
}

TEST_F(InterruptsTest, RegistrationKeepsOneRecordPerId) {
    EXPECT_EQ(2, m_interrupts.GetControllerCount());
    EXPECT_TRUE(m_first.RegisterWith(&m_interrupts));
    EXPECT_EQ(2, m_interrupts.GetControllerCount());
    emu::CInterruptControllerInterface* id = &m_first;
    EXPECT_FALSE(m_interrupts.RegisterController(id, AckOther, emu::CInterruptController::SetRequestLineTrampoline,
                                                 emu::CInterruptController::IsRequestPendingTrampoline));
    EXPECT_EQ(2, m_interrupts.GetControllerCount());
    m_interrupts.UnregisterController(id);
    m_interrupts.UnregisterController(id); // absent: nothing
    EXPECT_EQ(1, m_interrupts.GetControllerCount());
    m_log.clear();
    m_interrupts.SetRequestLine(1, true);
    EXPECT_EQ((Log{"second raise 1"}), m_log);
}

TEST_F(InterruptsTest, StartAndStopEmptyTheList) {
    CHookProbe probe;
    ASSERT_TRUE(m_interrupts.SetVectorHookB(7, &probe, CHookProbe::Hook));
    m_interrupts.Stop();
    EXPECT_EQ(0, m_interrupts.GetControllerCount());
    uint64_t out = 0;
    EXPECT_TRUE(m_interrupts.CallVectorHookB(7, 0, 0, &out)); // Stop keeps the hooks
    int32_t rate = 4900;
    ASSERT_TRUE(m_interrupts.Start(&rate));
    EXPECT_FALSE(m_interrupts.CallVectorHookB(7, 0, 0, &out));
    EXPECT_EQ(1, probe.calls);
}

TEST_F(InterruptsTest, VectorHooksPresetTheirOutValue) {
    CHookProbe probe;
    memtest::CNotifiedProcessor processor;
    m_machine.m_processor = &processor;
    uint64_t out = 1;
    EXPECT_FALSE(m_interrupts.CallVectorHookA(256, 0, 0, &out));
    EXPECT_EQ(100u, out);
    out = 1;
    EXPECT_FALSE(m_interrupts.CallVectorHookB(3, 0, 0, &out)); // no hook
    EXPECT_EQ(0u, out);
    EXPECT_FALSE(m_interrupts.SetVectorHookA(256, &probe, CHookProbe::Hook));
    ASSERT_TRUE(m_interrupts.SetVectorHookA(255, &probe, CHookProbe::Hook));
    ASSERT_TRUE(m_interrupts.SetVectorHookB(3, &probe, CHookProbe::Hook));
    EXPECT_TRUE(m_interrupts.CallVectorHookA(255, 11, 22, &out));
    EXPECT_EQ(105u, out);
    EXPECT_EQ(255u, probe.vector);
    EXPECT_EQ(11u, probe.a);
    EXPECT_EQ(22u, probe.b);
    EXPECT_EQ(&processor, probe.processor);
    EXPECT_TRUE(m_interrupts.CallVectorHookB(3, 0, 0, &out));
    EXPECT_EQ(5u, out);
    EXPECT_TRUE(m_interrupts.CallVectorHookB(3, 0, 0, nullptr));
    ASSERT_TRUE(m_interrupts.SetVectorHookB(3, &probe, nullptr));
    EXPECT_FALSE(m_interrupts.CallVectorHookB(3, 0, 0, &out));
}

TEST_F(InterruptsTest, StateHoldsOnlyItsVersion) {
    const test::Bytes saved = memtest::SaveBytes(m_interrupts);
    test::Bytes expected;
    test::AppendVersionChunk(expected, "_INTRS");
    EXPECT_EQ(expected, saved);
    ASSERT_TRUE(memtest::LoadBytes(m_interrupts, saved));
    EXPECT_EQ(saved, memtest::SaveBytes(m_interrupts));
    EXPECT_EQ(2, m_interrupts.GetControllerCount());
    test::Bytes wrong;
    test::AppendVersionChunk(wrong, "_INTRS", 1);
    EXPECT_FALSE(memtest::LoadBytes(m_interrupts, wrong));
}

// --- The controller device base ---------------------------------------------------

TEST(InterruptControllerTest, StartRegistersWithTheMachinesService) {
    Log log;
    memtest::CRecordingMachine machine;
    CInterrupts interrupts;
    interrupts.SetOwner(&machine);
    CTestController controller("pic", &log, 0, 8);
    int32_t rate = 4900;
    EXPECT_FALSE(controller.Start(&rate)); // no interrupt service to join
    controller.SetServices(&machine, nullptr, nullptr, nullptr, &interrupts, nullptr, nullptr, nullptr, nullptr);
    ASSERT_TRUE(controller.Start(&rate));
    EXPECT_EQ(1, interrupts.GetControllerCount());
    EXPECT_TRUE(interrupts.SetRequestLine(6, true));
    EXPECT_TRUE(interrupts.IsInterruptPending(6));
    int32_t line = 0, vector = 0, address = 0;
    EXPECT_TRUE(interrupts.AcknowledgeInterrupt(true, &line, &vector, &address));
    EXPECT_EQ(6, line);
    EXPECT_FALSE(interrupts.IsInterruptPending(-1));
}

TEST(InterruptControllerTest, BaseDefaultsOfferNothing) {
    class CBare : public emu::CInterruptController {
    public:
        bool IsRequestPending(int32_t) override { return false; }
    } bare;
    int32_t line = 0, vector = 0, address = 0;
    EXPECT_FALSE(bare.Acknowledge(true, &line, &vector, &address));
    EXPECT_FALSE(bare.SetRequestLine(1, true));
}

TEST(InterruptControllerTest, StateAppendsItsChunkToTheDeviceData) {
    Log log;
    CTestController controller("pic", &log, 0, 8);
    const test::Bytes saved = memtest::SaveBytes(controller);
    test::Bytes expected;
    test::AppendDeviceData(expected);
    test::AppendVersionChunk(expected, "_INTRD");
    EXPECT_EQ(expected, saved);
    ASSERT_TRUE(memtest::LoadBytes(controller, saved));
    EXPECT_EQ(saved, memtest::SaveBytes(controller));
    test::Bytes wrong;
    test::AppendDeviceData(wrong);
    test::AppendVersionChunk(wrong, "_INTRD", 1);
    EXPECT_FALSE(memtest::LoadBytes(controller, wrong));
}

} // namespace
