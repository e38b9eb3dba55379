// Where the DirectSound output copies a block in its looping buffer, and the
// waveOut output's volume rule: both plain arithmetic.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "emu/host/CSoundOutput_DirectSound.h"
#include "emu/host/CSoundOutput_WaveSound.h"

namespace {

constexpr int32_t kLength = 100; // bytes per block
constexpr int32_t kBlocks = 50;

struct CPlan {
    std::vector<int32_t> slots;
    int32_t cursor;
};

// Play and write cursors given as block numbers (a little into each block).
CPlan Plan(int32_t playBlock, int32_t writeBlock, int32_t cursor) {
    int32_t slots[emu::CSoundOutput_DirectSound::kMaxPlannedSlots];
    const int32_t count = emu::CSoundOutput_DirectSound::PlanSlots(static_cast<uint32_t>(playBlock * kLength + 17),
                                                                   static_cast<uint32_t>(writeBlock * kLength + 3),
                                                                   kLength, kBlocks, &cursor, slots);
    return CPlan{std::vector<int32_t>(slots, slots + count), cursor};
}

TEST(CSoundOutput_DirectSoundPlacement, FirstBlockGoesSixPastThePlayBlock) {
    CPlan plan = Plan(12, 14, -1);
    EXPECT_EQ(std::vector<int32_t>{18}, plan.slots);
    EXPECT_EQ(19, plan.cursor);
    plan = Plan(47, 48, -1); // wraps
    EXPECT_EQ(std::vector<int32_t>{3}, plan.slots);
    EXPECT_EQ(4, plan.cursor);
}

TEST(CSoundOutput_DirectSoundPlacement, SteadyStateFillsOneSlotAndStaysSixAhead) {
    int32_t cursor = -1;
    for (int32_t play = 0; play < 120; ++play) {
        CPlan plan = Plan(play % kBlocks, (play + 1) % kBlocks, cursor);
        ASSERT_EQ(1u, plan.slots.size()) << play;
        EXPECT_EQ((play + 6) % kBlocks, plan.slots[0]) << play;
        cursor = plan.cursor;
    }
}

TEST(CSoundOutput_DirectSoundPlacement, CursorTwelveAheadMovesBackByTwo) {
    CPlan plan = Plan(10, 11, 22);
    EXPECT_EQ(std::vector<int32_t>{20}, plan.slots);
    EXPECT_EQ(21, plan.cursor); // 11 ahead
}

TEST(CSoundOutput_DirectSoundPlacement, CursorTwentyAheadRestartsAtThePlayBlock) {
    CPlan plan = Plan(10, 12, 30);
    EXPECT_EQ((std::vector<int32_t>{12, 13, 14, 15}), plan.slots); // distances from the gap (2) to 5
    EXPECT_EQ(16, plan.cursor);                                    // 6 ahead
}

TEST(CSoundOutput_DirectSoundPlacement, CursorFallenBehindFillsUpToFiveAhead) {
    CPlan plan = Plan(47, 48, 49);
    EXPECT_EQ((std::vector<int32_t>{49, 0, 1, 2}), plan.slots);
    EXPECT_EQ(3, plan.cursor);
    plan = Plan(20, 23, 21); // slots nearer than the write cursor are skipped
    EXPECT_EQ((std::vector<int32_t>{23, 24, 25}), plan.slots);
    EXPECT_EQ(26, plan.cursor);
}

TEST(CSoundOutput_DirectSoundPlacement, CursorNineAheadStaysWhereItIs) {
    CPlan plan = Plan(5, 6, 14);
    EXPECT_EQ(std::vector<int32_t>{14}, plan.slots);
    EXPECT_EQ(15, plan.cursor);
}

TEST(CSoundOutput_DirectSoundPlacement, EmptyRingPlansNothing) {
    int32_t cursor = 7;
    int32_t slots[emu::CSoundOutput_DirectSound::kMaxPlannedSlots];
    EXPECT_EQ(0, emu::CSoundOutput_DirectSound::PlanSlots(0, 0, 0, kBlocks, &cursor, slots));
    EXPECT_EQ(0, emu::CSoundOutput_DirectSound::PlanSlots(0, 0, kLength, 0, &cursor, slots));
    EXPECT_EQ(7, cursor);
}

TEST(CSoundOutput_WaveSoundVolume, SilentChannelsComeBackAudible) {
    struct CCase {
        uint32_t saved, remembered, expected;
    };
    const CCase cases[] = {
        {0, 0, 0x10001000u},           {0x80008000u, 0x12345678u, 0x80008000u}, {0, 0x12345678u, 0x12345678u},
        {0, 0xFFFF0000u, 0xFFFF1000u}, {0x0000ABCDu, 0, 0x1000ABCDu},
    };
    for (const CCase& c : cases)
        EXPECT_EQ(c.expected, emu::CSoundOutput_WaveSound::VolumeToGiveBack(c.saved, c.remembered)) << c.saved;
}

} // namespace
