// The block ring shared by the emulation thread (conversions) and a device's
// callback thread (completions): they must never work on the ring at once.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <thread>

#include "common/CEvent.h"
#include "emu/host/CSoundOutput.h"

namespace {

// A device that notices two submissions running at the same time.
class COverlapOutput : public emu::CSoundOutput {
public:
    bool WriteBlock(int32_t /*index*/) override {
        if (m_inside.exchange(true))
            overlaps.fetch_add(1);
        writes.fetch_add(1);
        m_inside.store(false);
        return true;
    }
    void Done() { OnBlockDone(); }

    std::atomic<int> overlaps{0};
    std::atomic<int> writes{0};

private:
    std::atomic<bool> m_inside{false};
};

TEST(CSoundOutputThread, ConversionsAndCompletionsNeverWorkOnTheRingAtOnce) {
    COverlapOutput output;
    ASSERT_TRUE(output.Open(44100, 16, 50));
    constexpr int kRounds = 2000;
    common::CEvent start(false);
    std::atomic<bool> producing{true};
    // The device completes what it was given, as fast as it can; each
    // completion may refill the ring while the next conversion starts.
    std::thread device([&] {
        start.Wait(-1);
        while (producing.load()) {
            if (output.GetCompletedBlocks() < output.GetSubmittedBlocks())
                output.Done();
            else
                std::this_thread::yield();
        }
    });
    start.Set();
    for (int i = 0; i < kRounds; ++i) {
        uint32_t count = 0;
        int32_t low = 0, high = 0;
        int32_t* array = output.NextStagingBuffer(&count, &low, &high);
        array[static_cast<uint32_t>(i) % count] = i & 0x7FFF;
        output.QueueStagingBuffer();
    }
    producing.store(false);
    device.join();
    EXPECT_EQ(0, output.overlaps.load());
    EXPECT_EQ(static_cast<uint64_t>(output.writes.load()), output.GetSubmittedBlocks());
    EXPECT_LE(output.GetCompletedBlocks(), output.GetSubmittedBlocks());
}

} // namespace
