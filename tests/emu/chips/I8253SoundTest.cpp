// The timer's sound: the stream it registers and the samples it renders from
// the waveforms of its modes.
#include <gtest/gtest.h>

#include <utility>

#include "I8253TestSupport.h"

using pittest::CTimerRig;
using pittest::kPortData;

namespace {

constexpr int32_t kHigh = 0;  // an enabled high phase: the low end of the range
constexpr int32_t kLow = 255; // everything else

typedef std::vector<std::pair<int32_t, int>> Runs;

// Runs of equal samples over the blocks from `first` on.
Runs RunsOf(const CTimerRig& rig, size_t first) {
    Runs runs;
    for (size_t b = first; b < rig.m_sound.blocks.size(); ++b) {
        for (int32_t sample : rig.m_sound.blocks[b]) {
            if (!runs.empty() && runs.back().first == sample)
                ++runs.back().second;
            else
                runs.push_back({sample, 1});
        }
    }
    return runs;
}

// Every run but the first and the last has the length; values alternate high and low.
void ExpectSquareRuns(const Runs& runs, int length) {
    ASSERT_GT(runs.size(), 4u);
    for (size_t i = 1; i + 1 < runs.size(); ++i) {
        EXPECT_EQ(runs[i].second, length) << "run " << i;
        EXPECT_TRUE(runs[i].first == kHigh || runs[i].first == kLow) << runs[i].first;
        EXPECT_NE(runs[i].first, runs[i - 1].first);
    }
}

TEST(I8253Sound, SoundChannelRegistersA44100HzStream) {
    CTimerRig rig;
    rig.WithSound();
    ASSERT_TRUE(rig.Start());
    EXPECT_EQ(rig.m_sound.created, 1);
    EXPECT_EQ(rig.m_sound.rate, 44100u);
    EXPECT_EQ(rig.m_sound.bits, 8u);
    EXPECT_FALSE(rig.Channel(0)->IsSoundEnabled()); // silent until the machine enables it
    EXPECT_TRUE(rig.Channel(1)->IsSoundEnabled());
    rig.RunBlocks(3);
    EXPECT_EQ(rig.m_sound.blocks.size(), 4u);
}

TEST(I8253Sound, ChannelWithoutSoundRegistersNoStream) {
    CTimerRig rig;
    ASSERT_TRUE(rig.Start());
    EXPECT_EQ(rig.m_sound.created, 0);
    EXPECT_EQ(rig.m_machine.GetBusService()->GetEventCount(), 3); // the three update events
    int32_t samples[4] = {1, 2, 3, 4};
    EXPECT_FALSE(emu::CTimerChannel_I8253::OnSoundEvent(rig.Channel(1), samples, 4, 0, 255, 50, nullptr));
    EXPECT_EQ(samples[0], 1);
}

TEST(I8253Sound, SquareWaveOf1000HzHasHalvesOf22Samples) {
    for (int32_t rate : {44100, 22050, 4900}) {
        CTimerRig rig;
        rig.WithSound();
        ASSERT_TRUE(rig.Start(rate));
        rig.Program(0, 3, 2000);
        rig.Channel(0)->SetSoundEnabled(true, 1, 0);
        rig.RunBlocks(4);
        ASSERT_EQ(rig.m_sound.blocks.size(), 5u) << rate;
        EXPECT_EQ(rig.m_sound.blocks[0], std::vector<int32_t>(882, 128)) << rate; // queued before it was rendered
        ExpectSquareRuns(RunsOf(rig, 1), 22);
    }
}

TEST(I8253Sound, PeriodsNearASampleRenderAsTheyRound) {
    const struct {
        uint16_t count;
        Runs pattern; // the runs that repeat through a block
    } cases[] = {
        {2, {{kHigh, 882}}},            // 0 samples a period: a constant level
        {45, {{kHigh, 1}, {kLow, 1}}},  // 1 sample: high 1, and low 0 rendered as 1
        {92, {{kHigh, 1}, {kLow, 1}}},  // 2 samples: 1 and 1
        {138, {{kHigh, 2}, {kLow, 1}}}, // 3 samples: 2 and 1
    };
    for (const auto& c : cases) {
        CTimerRig rig;
        rig.WithSound();
        ASSERT_TRUE(rig.Start());
        rig.Program(0, 3, c.count);
        rig.Channel(0)->SetSoundEnabled(true, 1, 0);
        rig.RunBlocks(3);
        const Runs runs = RunsOf(rig, 3);
        if (c.pattern.size() == 1) {
            EXPECT_EQ(runs, c.pattern) << c.count;
            continue;
        }
        ASSERT_GT(runs.size(), 100u) << c.count;
        const size_t offset = runs[1] == c.pattern[0] ? 0 : 1;
        for (size_t i = 1; i + 1 < runs.size(); ++i)
            ASSERT_EQ(runs[i], c.pattern[(i - 1 + offset) % 2]) << "count " << c.count << " run " << i;
    }
}

TEST(I8253Sound, Mode0IsLowForTheCountThenHigh) {
    CTimerRig rig;
    rig.WithSound();
    ASSERT_TRUE(rig.Start());
    rig.Program(0, 3, 2); // a constant high level first
    rig.Channel(0)->SetSoundEnabled(true, 1, 0);
    rig.RunBlocks(1);
    rig.Run(12345);
    rig.Program(0, 0, 20000); // 10 ms: 441 samples
    rig.RunBlocks(3);
    const Runs runs = RunsOf(rig, 2); // block 1 begins before the output was enabled
    ASSERT_EQ(runs.size(), 3u);
    EXPECT_EQ(runs[0].first, kHigh);
    EXPECT_EQ(runs[1], std::make_pair(kLow, 441));
    EXPECT_EQ(runs[2].first, kHigh);
}

TEST(I8253Sound, ShortOneShotPulseEndsInAConstantLevel) {
    CTimerRig rig;
    rig.WithSound();
    ASSERT_TRUE(rig.Start(4900)); // 9 samples a tick
    rig.Program(0, 1, 30);        // mode 1: 15 us, two thirds of a sample
    rig.Channel(0)->SetSoundEnabled(true, 1, 0);
    rig.RunBlocks(1);
    // Trigger 20 cycles before a tick (every 510 cycles), so that the tick
    // records the pulse while it runs.
    const uint64_t tick = (rig.Now() / 510 + 2) * 510;
    rig.Run(tick - 20 - rig.Now());
    rig.Channel(0)->WriteGate(false);
    rig.Channel(0)->WriteGate(true);
    rig.RunBlocks(3);
    // Low for the one sample, then high for good: a phase that never ends
    // stays so however short the count cycle.
    const Runs runs = RunsOf(rig, 2);
    ASSERT_EQ(runs.size(), 3u);
    EXPECT_EQ(runs[0].first, kHigh);
    EXPECT_EQ(runs[1], std::make_pair(kLow, 1));
    EXPECT_EQ(runs[2].first, kHigh);
}

TEST(I8253Sound, ReloadingTheSameCountKeepsTheWaveformWhenAsked) {
    for (bool keep : {true, false}) {
        CTimerRig rig;
        rig.WithSound(2000000, keep);
        ASSERT_TRUE(rig.Start());
        rig.Program(0, 3, 2000);
        rig.Channel(0)->SetSoundEnabled(true, 1, 0);
        for (int i = 0; i < 200; ++i) {
            rig.Run(1000);
            rig.Out(kPortData, 2000 & 0xFF);
            rig.Out(kPortData, 2000 >> 8);
        }
        const Runs runs = RunsOf(rig, 1);
        int irregular = 0;
        for (size_t i = 1; i + 1 < runs.size(); ++i)
            irregular += runs[i].second != 22 ? 1 : 0;
        if (keep)
            EXPECT_EQ(irregular, 0);
        else
            EXPECT_GT(irregular, 0); // every reload restarts the phase at the tick that takes it
    }
}

TEST(I8253Sound, SwitchingTheOutputGatesTheSamples) {
    CTimerRig rig;
    rig.WithSound();
    ASSERT_TRUE(rig.Start());
    rig.Program(0, 3, 2000);
    rig.Channel(0)->SetSoundEnabled(true, 1, 0);
    rig.RunBlocks(1);
    rig.Channel(0)->SetSoundEnabled(false, 1, 0);
    rig.RunBlocks(2);
    rig.Channel(0)->SetSoundEnabled(true, 1, 0);
    rig.RunBlocks(2);
    // The block rendered while the output was off is silent throughout.
    const std::vector<int32_t>& silent = rig.m_sound.blocks[3];
    EXPECT_EQ(silent, std::vector<int32_t>(882, kLow));
    ExpectSquareRuns(RunsOf(rig, 5), 22);
}

} // namespace
