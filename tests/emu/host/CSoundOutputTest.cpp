// The sound-output base ("No Sound") and its block ring: opening, staging,
// conversion, counting and the completion refill.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

#include "emu/host/CSoundOutput.h"

namespace {

// A device that takes (or refuses) every block and remembers the order.
class CRecordingOutput : public emu::CSoundOutput {
public:
    bool WriteBlock(int32_t index) override {
        written.push_back(index);
        return accept;
    }
    void Done() { OnBlockDone(); }
    void UseCounting(bool on) { SetCounting(on); }

    int16_t Sample16(int32_t block, int32_t i) const {
        int16_t value = 0;
        std::memcpy(&value, GetBlock(block) + i * 2, sizeof(value));
        return value;
    }
    bool SameBlocks(int32_t a, int32_t b) const {
        return std::memcmp(GetBlock(a), GetBlock(b), static_cast<size_t>(GetBlockLength())) == 0;
    }

    std::vector<int32_t> written;
    bool accept = true;
};

// Fills the staging array the producer gets next with `values` (the rest stays empty).
void Produce(emu::CSoundOutput& output, const std::vector<int32_t>& values) {
    uint32_t count = 0;
    int32_t low = 0, high = 0;
    int32_t* array = output.NextStagingBuffer(&count, &low, &high);
    ASSERT_NE(nullptr, array);
    ASSERT_LE(values.size(), count);
    for (size_t i = 0; i < values.size(); ++i)
        array[i] = values[i];
}

TEST(CSoundOutput, EightBitRingHoldsBlocksOfTheLowValue) {
    CRecordingOutput output;
    ASSERT_TRUE(output.Open(44100, 8, 50));
    EXPECT_EQ(882, output.GetSamplesPerBlock());
    EXPECT_EQ(882, output.GetBlockLength());
    EXPECT_EQ(0, output.GetLowValue());
    EXPECT_EQ(255, output.GetHighValue());
    EXPECT_TRUE(output.IsCounting());
    EXPECT_FALSE(output.IsStopped());
    for (int32_t b = 0; b < 50; ++b)
        for (int32_t i = 0; i < 882; ++i)
            ASSERT_EQ(0, output.GetBlock(b)[i]);
    uint32_t count = 0;
    int32_t low = -1, high = -1;
    int32_t* array = output.NextStagingBuffer(&count, &low, &high);
    ASSERT_NE(nullptr, array);
    EXPECT_EQ(882u, count);
    EXPECT_EQ(0, low);
    EXPECT_EQ(255, high);
    for (uint32_t i = 0; i < count; ++i)
        ASSERT_EQ(emu::CSoundOutput::kNoSample, array[i]);
}

TEST(CSoundOutput, SixteenBitRingHoldsBlocksOfTheLowestValue) {
    CRecordingOutput output;
    ASSERT_TRUE(output.Open(44100, 16, 50));
    EXPECT_EQ(1764, output.GetBlockLength());
    EXPECT_EQ(-32768, output.GetLowValue());
    EXPECT_EQ(32767, output.GetHighValue());
    for (int32_t i = 0; i < 882; ++i)
        ASSERT_EQ(-32768, output.Sample16(49, i));
}

TEST(CSoundOutput, OpenRefusesBadArguments) {
    struct CCase {
        uint32_t rate, bits, blocks;
    };
    const CCase cases[] = {
        {44100, 12, 50}, {44100, 8, 0}, {100, 8, 101}, {0, 8, 1}, {0x80000000u, 8, 50}, {44100, 8, 0x80000000u},
    };
    for (const CCase& c : cases) {
        CRecordingOutput output;
        EXPECT_FALSE(output.Open(c.rate, c.bits, c.blocks)) << c.rate << " " << c.bits << " " << c.blocks;
        EXPECT_FALSE(output.IsOpen());
        uint32_t count = 1;
        int32_t low = 0, high = 0;
        EXPECT_EQ(nullptr, output.NextStagingBuffer(&count, &low, &high));
    }
}

TEST(CSoundOutput, RefusedSecondOpenLeavesTheRunningRingAlone) {
    CRecordingOutput output;
    ASSERT_TRUE(output.Open(44100, 8, 50));
    output.QueueStagingBuffer();
    ASSERT_EQ(6u, output.GetSubmittedBlocks());
    EXPECT_FALSE(output.Open(22050, 16, 25));
    EXPECT_EQ(50, output.GetBlockCount());
    EXPECT_EQ(882, output.GetBlockLength());
    EXPECT_EQ(6u, output.GetSubmittedBlocks());
}

TEST(CSoundOutput, FirstQueueConvertsTheArrayTheProducerHasNotWritten) {
    CRecordingOutput output;
    ASSERT_TRUE(output.Open(500, 8, 50)); // 10 samples a block
    Produce(output, {10, 20});
    output.QueueStagingBuffer();
    for (int32_t i = 0; i < 10; ++i)
        EXPECT_EQ(0, output.GetBlock(0)[i]) << i;
    Produce(output, {});
    output.QueueStagingBuffer();
    const uint8_t* block = output.GetBlock(6);
    EXPECT_EQ(10, block[0]);
    for (int32_t i = 1; i < 10; ++i)
        EXPECT_EQ(20, block[i]) << i;
}

TEST(CSoundOutput, GapsAndOutOfRangeValuesRepeatTheLastSample) {
    CRecordingOutput output;
    ASSERT_TRUE(output.Open(500, 8, 50));
    output.UseCounting(false);
    const int32_t gap = emu::CSoundOutput::kNoSample;
    Produce(output, {gap, 7, gap, 300, -1, 9, gap, 255, 0, gap});
    output.QueueStagingBuffer(); // the other, empty array: all low
    uint32_t count = 0;
    int32_t low = 0, high = 0;
    int32_t* array = output.NextStagingBuffer(&count, &low, &high);
    output.QueueStagingBuffer(); // converts the filled one
    const uint8_t expected[10] = {0, 7, 7, 7, 7, 9, 9, 255, 0, 0};
    EXPECT_EQ(0, std::memcmp(expected, output.GetBlock(1), sizeof(expected)));
    (void)array;
    // The converted array comes back with its used slots emptied and the
    // out-of-range values left in place.
    int32_t* filled = output.NextStagingBuffer(&count, &low, &high);
    const int32_t left[10] = {gap, gap, gap, 300, -1, gap, gap, gap, gap, gap};
    for (int32_t i = 0; i < 10; ++i)
        EXPECT_EQ(left[i], filled[i]) << i;
}

TEST(CSoundOutput, UntouchedArrayMakesABlockOfTheLastSample) {
    CRecordingOutput output;
    ASSERT_TRUE(output.Open(500, 16, 50));
    output.UseCounting(false);
    Produce(output, {1000, -5});
    output.QueueStagingBuffer();
    Produce(output, {});
    output.QueueStagingBuffer();
    Produce(output, {});
    output.QueueStagingBuffer();
    for (int32_t i = 0; i < 10; ++i)
        EXPECT_EQ(-5, output.Sample16(2, i)) << i;
}

TEST(CSoundOutput, CountingStartsWithSixBlocksAndCapsAtOneSixthOfTheRing) {
    CRecordingOutput output;
    ASSERT_TRUE(output.Open(44100, 8, 50)); // cap 50 / 6 = 8
    output.QueueStagingBuffer();
    EXPECT_EQ((std::vector<int32_t>{0, 1, 2, 3, 4, 5}), output.written);
    EXPECT_EQ(6u, output.GetSubmittedBlocks());
    for (int32_t b = 1; b < 6; ++b)
        EXPECT_TRUE(output.SameBlocks(0, b)) << b;
    output.QueueStagingBuffer();
    output.QueueStagingBuffer();
    EXPECT_EQ(8u, output.GetSubmittedBlocks());
    EXPECT_EQ(8, output.GetWriteIndex());
    output.QueueStagingBuffer(); // 8 in flight: dropped
    EXPECT_EQ(8u, output.GetSubmittedBlocks());
    EXPECT_EQ(8, output.GetWriteIndex());
    EXPECT_EQ(8u, output.written.size());
}

TEST(CSoundOutput, FewBlocksInFlightAreToppedUpToFive) {
    CRecordingOutput output;
    ASSERT_TRUE(output.Open(44100, 8, 50));
    output.QueueStagingBuffer();
    output.accept = false; // the device refuses: nothing counted while the completions go on
    for (int i = 0; i < 4; ++i)
        output.Done();
    output.written.clear();
    output.accept = true;
    // 2 in flight: this block and 5 - 2 copies.
    output.QueueStagingBuffer();
    EXPECT_EQ(4u, output.written.size());
    EXPECT_EQ(10u, output.GetSubmittedBlocks());
}

TEST(CSoundOutput, CompletionRefillsUpToFourInFlightWithTheNewestBlock) {
    CRecordingOutput output;
    ASSERT_TRUE(output.Open(500, 8, 50));
    Produce(output, {});
    output.QueueStagingBuffer(); // blocks 0-5
    output.written.clear();
    output.Done();
    output.Done();
    EXPECT_TRUE(output.written.empty()); // 4 still in flight
    output.Done();                       // 3 in flight: one copy of block 5 into block 6
    EXPECT_EQ(std::vector<int32_t>{6}, output.written);
    EXPECT_TRUE(output.SameBlocks(5, 6));
    EXPECT_EQ(7u, output.GetSubmittedBlocks());
    EXPECT_EQ(3u, output.GetCompletedBlocks());
}

TEST(CSoundOutput, StoppedOutputRefillsNothing) {
    CRecordingOutput output;
    ASSERT_TRUE(output.Open(500, 8, 50));
    output.QueueStagingBuffer();
    output.Silence();
    output.written.clear();
    for (int i = 0; i < 6; ++i)
        output.Done();
    EXPECT_TRUE(output.written.empty());
    EXPECT_EQ(6u, output.GetCompletedBlocks());
}

TEST(CSoundOutput, WithoutCountingEveryBlockGoesStraightToTheDevice) {
    CRecordingOutput output;
    ASSERT_TRUE(output.Open(10, 8, 5));
    output.UseCounting(false);
    output.accept = false;
    for (int i = 0; i < 6; ++i)
        output.QueueStagingBuffer();
    EXPECT_EQ((std::vector<int32_t>{0, 1, 2, 3, 4, 0}), output.written);
    EXPECT_EQ(0u, output.GetSubmittedBlocks());
}

TEST(CSoundOutput, NoSoundNeverCountsASubmission) {
    emu::CSoundOutput output;
    ASSERT_TRUE(output.Open(44100, 8, 50));
    for (int i = 0; i < 3; ++i)
        output.QueueStagingBuffer();
    EXPECT_EQ(0u, output.GetSubmittedBlocks());
    EXPECT_EQ(3, output.GetWriteIndex());
}

TEST(CSoundOutput, SilenceZeroesEveryBlockAndStops) {
    CRecordingOutput output;
    ASSERT_TRUE(output.Open(500, 16, 50));
    output.Silence();
    EXPECT_TRUE(output.IsStopped());
    for (int32_t b = 0; b < 50; ++b)
        for (int32_t i = 0; i < 10; ++i)
            ASSERT_EQ(0, output.Sample16(b, i));
    output.QueueStagingBuffer();
    EXPECT_FALSE(output.IsStopped());
}

TEST(CSoundOutput, ReopenedRingTakesTheRangeOfItsNewBits) {
    CRecordingOutput output;
    ASSERT_TRUE(output.Open(500, 8, 50));
    output.Close();
    EXPECT_FALSE(output.IsOpen());
    EXPECT_TRUE(output.IsStopped());
    uint32_t count = 0;
    int32_t low = 0, high = 0;
    EXPECT_EQ(nullptr, output.NextStagingBuffer(&count, &low, &high));
    ASSERT_TRUE(output.Open(500, 16, 50));
    EXPECT_EQ(-32768, output.GetLowValue());
    EXPECT_EQ(32767, output.GetHighValue());
    EXPECT_EQ(-32768, output.Sample16(0, 0));
    output.Close();
    ASSERT_TRUE(output.Open(500, 8, 50));
    EXPECT_EQ(0, output.GetLowValue());
    EXPECT_EQ(255, output.GetHighValue());
}

TEST(CSoundOutput, QueueOnAClosedOutputDoesNothing) {
    CRecordingOutput output;
    output.QueueStagingBuffer();
    output.Done();
    EXPECT_TRUE(output.written.empty());
}

TEST(CSoundOutput, NoSoundDescribesItself) {
    emu::CSoundOutput output;
    EXPECT_STREQ("No Sound", output.GetName());
    EXPECT_TRUE(output.IsWindowless());
    EXPECT_FALSE(output.NotSupported5(1));
    EXPECT_FALSE(output.NotSupported6(1, 2));
    EXPECT_FALSE(output.WriteBlock(0));
    std::unique_ptr<emu::CSoundOutput> clone(output.CreateInstance());
    ASSERT_NE(nullptr, clone);
    EXPECT_STREQ("No Sound", clone->GetName());
    EXPECT_FALSE(clone->IsOpen());
}

} // namespace
