// The DirectSound output with a real window. The Windows tests run with a
// sound device of their own (scripts/wine-run.sh); without one opening fails.
#include "HostWindowTestSupport.h"

#include <cstdint>
#include <memory>

#include "emu/host/CSoundOutput_DirectSound.h"

namespace {

constexpr const char* kNoDevice =
    "DirectSound cannot be opened on this host (no sound device): run the Windows tests through scripts/wine-run.sh";

void QueueRamp(emu::CSoundOutput& output) {
    uint32_t count = 0;
    int32_t low = 0, high = 0;
    int32_t* samples = output.NextStagingBuffer(&count, &low, &high);
    ASSERT_NE(nullptr, samples);
    for (uint32_t i = 0; i < count; ++i)
        samples[i] = low + static_cast<int32_t>(i % 64) * ((high - low) / 64);
    output.QueueStagingBuffer();
}

TEST(CSoundOutput_DirectSound, OpenWithoutAWindowCreatesNothing) {
    emu::CSoundOutput_DirectSound output;
    EXPECT_FALSE(output.Open(44100, 16, 50));
    EXPECT_FALSE(output.IsOpen());
    EXPECT_STREQ("DirectSound", output.GetName());
    EXPECT_FALSE(output.IsWindowless());
}

TEST(CSoundOutput_DirectSound, RefusesARateThatIsNotAMultipleOfTheBlockCount) {
    hosttest::CTestWindow window(16, 16);
    emu::CSoundOutput_DirectSound output;
    output.SetWindowHandle(window.Get());
    EXPECT_FALSE(output.Open(44100, 8, 64));
    EXPECT_FALSE(output.IsOpen());
}

TEST(CSoundOutput_DirectSound, OpensAndPlacesBlocksAheadOfThePlayCursor) {
    hosttest::CTestWindow window(16, 16);
    emu::CSoundOutput_DirectSound prototype;
    prototype.SetWindowHandle(window.Get());
    std::unique_ptr<emu::CSoundOutput> clone(prototype.CreateInstance());
    ASSERT_NE(nullptr, clone);
    EXPECT_EQ(static_cast<void*>(window.Get()), clone->GetWindowHandle());
    auto* output = static_cast<emu::CSoundOutput_DirectSound*>(clone.get());
    ASSERT_TRUE(output->Open(44100, 16, 50)) << kNoDevice;
    EXPECT_FALSE(output->IsCounting());
    EXPECT_FALSE(output->Open(44100, 16, 50)); // open already
    EXPECT_EQ(-1, output->GetCursor());
    for (int i = 0; i < 3; ++i) {
        QueueRamp(*output);
        EXPECT_EQ(i + 1, output->GetWriteIndex());
        EXPECT_NE(-1, output->GetCursor());
    }
    EXPECT_EQ(0u, output->GetSubmittedBlocks()); // nothing is counted without a callback
    output->Silence();
    QueueRamp(*output); // plays again
    output->Close();
    EXPECT_FALSE(output->IsOpen());
}

} // namespace
