// The emulator's hot paths allocate nothing once warmed up: firing and
// rescheduling processor events, dropping and re-adding them, bus ticks with
// periodic events and sound streams, and the memory accessors. This program
// replaces the global allocation functions to count the calls.
#include <gtest/gtest.h>

#include "AllocationCounter.h"
#include "emu/framework/ProcessorTestSupport.h"

namespace {

using proctest::CFakeSoundOutput;
using proctest::CRecorder;
using proctest::CRig;

// A device whose cycle event drops itself every other firing and adds itself
// back, so that the free list is exercised on every run.
struct CChurner : emu::CDevice {
    static bool OnEvent(emu::CObject* user, int32_t*, uint32_t*, emu::CProcessorInterface* cpu) {
        auto* self = static_cast<CChurner*>(user);
        self->m_odd = !self->m_odd;
        if (self->m_odd)
            return true;
        cpu->AddEvent(37, OnEvent, user, "Churn", 0, 0);
        return false;
    }
    bool m_odd = false;
};

bool Sum(emu::CObject* user, uint64_t*, uint32_t* data) {
    data[0] += user != nullptr ? 1 : 0;
    return true;
}

TEST(HotPathAllocationTest, EventsTicksAndAccessorsAllocateNothingAfterWarmUp) {
    CFakeSoundOutput::CShared sound;
    CFakeSoundOutput prototype(&sound);
    CRig rig;
    rig.Power();
    CChurner churner;
    emu::CProcessor& cpu = *rig.m_cpu;
    rig.m_bus->SetSoundOutput(&prototype);
    rig.m_bus->SetRate(44100, &cpu);
    ASSERT_TRUE(cpu.AddEvent(164, CRecorder::OnCycleEvent, rig.m_video, "Line", 0, 0));
    ASSERT_TRUE(cpu.AddEvent(37, CChurner::OnEvent, &churner, "Churn", 0, 0));
    ASSERT_TRUE(rig.m_bus->AddEvent(1000, Sum, rig.m_timer, "Update", 0, 0, true));
    ASSERT_TRUE(rig.m_bus->AddSoundStream(44100, 8, CRecorder::OnSound, rig.m_board, "Sound", 0, 0));
    rig.m_video->m_firings.reserve(200000);
    rig.m_board->m_soundCalls.reserve(1000);

    uint8_t sink = 0;
    auto run = [&](int slices) {
        for (int i = 0; i < slices; ++i) {
            const int32_t used = cpu.Execute(cpu.GetCyclesToEvent());
            if (cpu.DebitCyclesToEvent(used) <= 0)
                cpu.RunDueEvents();
            uint8_t b = 0;
            uint16_t w = 0;
            cpu.WriteByte(static_cast<uint32_t>(i) * 7, static_cast<uint8_t>(i));
            cpu.ReadByte(static_cast<uint32_t>(i) * 13, &b);
            cpu.ReadWord(static_cast<uint32_t>(i) * 11, &w);
            sink = static_cast<uint8_t>(sink + b + w);
        }
    };
    cpu.StartEvents();
    run(1000); // warm-up: the free lists grow to what the run needs
    const long before = alloctest::g_allocations.load();
    run(100000);
    EXPECT_EQ(alloctest::g_allocations.load(), before);
    EXPECT_GT(rig.m_bus->GetTickCounter(), 1000u);
    EXPECT_GT(rig.m_board->m_soundCalls.size(), 10u);
    rig.m_bus->Stop();
    (void)sink;
}

} // namespace
