// The waveOut output on the host's wave mapper. The Windows tests run with a
// sound device of their own (scripts/wine-run.sh); without one opening fails.
#include "HostWindowTestSupport.h"

#include <cstdint>
#include <memory>

#include "emu/host/CSoundOutput_WaveSound.h"

namespace {

constexpr const char* kNoDevice =
    "the host refuses to open the wave mapper (no sound device): run the Windows tests through scripts/wine-run.sh";

void QueueSquareBlock(emu::CSoundOutput& output, int32_t period) {
    uint32_t count = 0;
    int32_t low = 0, high = 0;
    int32_t* samples = output.NextStagingBuffer(&count, &low, &high);
    ASSERT_NE(nullptr, samples);
    for (uint32_t i = 0; i < count; ++i)
        samples[i] = (i / static_cast<uint32_t>(period)) % 2 != 0 ? high : low;
    output.QueueStagingBuffer();
}

TEST(CSoundOutput_WaveSound, DescribesItselfAndClonesTheWindowHandle) {
    hosttest::CTestWindow window(16, 16);
    emu::CSoundOutput_WaveSound output;
    EXPECT_STREQ("WaveSound", output.GetName());
    EXPECT_FALSE(output.IsWindowless());
    output.SetWindowHandle(window.Get());
    std::unique_ptr<emu::CSoundOutput> clone(output.CreateInstance());
    ASSERT_NE(nullptr, clone);
    EXPECT_STREQ("WaveSound", clone->GetName());
    EXPECT_EQ(static_cast<void*>(window.Get()), clone->GetWindowHandle());
}

TEST(CSoundOutput_WaveSound, RefusesARateThatIsNotAMultipleOfTheBlockCount) {
    emu::CSoundOutput_WaveSound output;
    EXPECT_FALSE(output.Open(44100, 8, 64));
    EXPECT_FALSE(output.Open(44100, 8, 0));
    EXPECT_FALSE(output.Open(0, 8, 50));
    EXPECT_FALSE(output.IsOpen());
}

TEST(CSoundOutput_WaveSound, OpensAndQueuesBlocks) {
    emu::CSoundOutput_WaveSound output;
    ASSERT_TRUE(output.Open(44100, 16, 50)) << kNoDevice;
    EXPECT_TRUE(output.IsOpen());
    EXPECT_EQ(1764, output.GetBlockLength());
    EXPECT_FALSE(output.Open(44100, 16, 50)); // a second Open without Close
    QueueSquareBlock(output, 50);
    // Nothing was in flight: this block and five copies.
    EXPECT_EQ(6u, output.GetSubmittedBlocks());
    QueueSquareBlock(output, 25);
    QueueSquareBlock(output, 25);
    EXPECT_GE(output.GetSubmittedBlocks(), 7u);
    EXPECT_LE(output.GetCompletedBlocks(), output.GetSubmittedBlocks());
    output.Close();
    EXPECT_FALSE(output.IsOpen());
    EXPECT_FALSE(output.IsVolumeSaved());
    // A closed output opens again.
    ASSERT_TRUE(output.Open(22050, 8, 50));
    QueueSquareBlock(output, 10);
    EXPECT_EQ(6u, output.GetSubmittedBlocks());
}

} // namespace
