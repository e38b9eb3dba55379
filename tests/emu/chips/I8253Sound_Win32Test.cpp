// The timer's tone played through each host sound output into the test
// machine's capture device (scripts/wine-run.sh gives every test program an
// ALSA device that records into the file named by KORVET_SOUND_CAPTURE): the
// recorded samples carry the tone's frequency.
#include "emu/host/HostWindowTestSupport.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "I8253TestSupport.h"
#include "emu/host/CSoundOutput_DirectSound.h"
#include "emu/host/CSoundOutput_WaveSound.h"

using pittest::CTimerRig;

namespace {

constexpr uint16_t kToneCount = 2000; // 2 MHz / 2000: a 1000 Hz square wave
constexpr double kToneHz = 1000.0;
constexpr int kBlocks = 50;           // one second of sound
constexpr int kBlockMilliseconds = 20;

// The first channel of a WAV file's samples, and its sample rate; empty when
// the file is not a WAV file of integer or float PCM.
struct CRecording {
    double rate = 0.0;
    std::vector<double> samples;
};

uint32_t Little(const std::string& bytes, size_t at, size_t width) {
    uint32_t value = 0;
    for (size_t i = 0; i < width; ++i)
        value |= static_cast<uint32_t>(static_cast<uint8_t>(bytes[at + i])) << (8 * i);
    return value;
}

CRecording ReadRecording(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    CRecording recording;
    if (bytes.size() < 12 || bytes.compare(0, 4, "RIFF") != 0 || bytes.compare(8, 4, "WAVE") != 0)
        return recording;
    uint32_t tag = 0, channels = 0, rate = 0, bits = 0;
    for (size_t at = 12; at + 8 <= bytes.size();) {
        const std::string id = bytes.substr(at, 4);
        const size_t size = Little(bytes, at + 4, 4);
        const size_t body = at + 8;
        if (id == "fmt " && size >= 16 && body + 16 <= bytes.size()) {
            tag = Little(bytes, body, 2);
            channels = Little(bytes, body + 2, 2);
            rate = Little(bytes, body + 4, 4);
            bits = Little(bytes, body + 14, 2);
        } else if (id == "data" && channels > 0 && (bits == 8 || bits == 16 || bits == 24 || bits == 32)) {
            // A recording cut short keeps a header that claims nothing or too much.
            const size_t end = size == 0 || body + size > bytes.size() ? bytes.size() : body + size;
            const size_t frame = channels * bits / 8;
            recording.rate = rate;
            for (size_t f = body; f + frame <= end; f += frame) {
                const uint32_t raw = Little(bytes, f, bits / 8);
                double value = 0.0;
                if (tag == 3 && bits == 32) {
                    float real = 0.0f;
                    std::memcpy(&real, &raw, sizeof(real));
                    value = real;
                } else if (bits == 8) {
                    value = static_cast<double>(raw) - 128.0; // unsigned bytes
                } else {
                    const uint32_t shift = 32 - bits; // sign-extend
                    value = static_cast<double>(static_cast<int32_t>(raw << shift) >> shift);
                }
                recording.samples.push_back(value);
            }
            break;
        }
        at = body + size + (size & 1);
    }
    return recording;
}

// The frequency of a square wave: rising crossings of the middle level (with
// hysteresis, placed between samples), averaged over the periods of regular
// length; silence between blocks and the breaks around it are left out.
double MeasureFrequency(const CRecording& recording) {
    const std::vector<double>& s = recording.samples;
    if (s.size() < 2 || recording.rate <= 0.0)
        return 0.0;
    const auto range = std::minmax_element(s.begin(), s.end());
    const double low = *range.first, high = *range.second;
    const double middle = (low + high) / 2, lower = low + (high - low) / 4, upper = high - (high - low) / 4;
    std::vector<double> crossings;
    bool armed = false;
    for (size_t i = 1; i < s.size(); ++i) {
        if (s[i] <= lower)
            armed = true;
        if (!armed || s[i] < upper)
            continue;
        armed = false;
        size_t j = i;
        while (j > 1 && s[j - 1] >= middle)
            --j;
        crossings.push_back(static_cast<double>(j - 1) + (middle - s[j - 1]) / (s[j] - s[j - 1]));
    }
    std::vector<double> periods;
    for (size_t i = 1; i < crossings.size(); ++i)
        periods.push_back(crossings[i] - crossings[i - 1]);
    if (periods.empty())
        return 0.0;
    std::vector<double> sorted = periods;
    std::nth_element(sorted.begin(), sorted.begin() + sorted.size() / 2, sorted.end());
    const double median = sorted[sorted.size() / 2];
    double total = 0.0;
    int count = 0;
    for (double period : periods)
        if (period > median * 0.9 && period < median * 1.1) {
            total += period;
            ++count;
        }
    return count > 0 ? recording.rate * count / total : 0.0;
}

TEST(I8253Sound_Win32, EachOutputPlaysTheToneAtItsFrequency) {
    const char* capture = std::getenv("KORVET_SOUND_CAPTURE");
    ASSERT_NE(nullptr, capture) << "no capture device: run the Windows tests through scripts/wine-run.sh";
    // Wine shows the POSIX root as drive Z:.
    const std::string path = std::string("Z:") + capture;

    hosttest::CTestWindow window(16, 16);
    emu::CSoundOutput_WaveSound waveOut;
    emu::CSoundOutput_DirectSound directSound;
    for (emu::CSoundOutput* output : {static_cast<emu::CSoundOutput*>(&waveOut),
                                      static_cast<emu::CSoundOutput*>(&directSound)}) {
        SCOPED_TRACE(output->GetName());
        output->SetWindowHandle(window.Get());
        {
            CTimerRig rig(output);
            rig.WithSound();
            ASSERT_TRUE(rig.Start()) << "the sound output does not open: no sound device";
            rig.Program(0, 3, kToneCount);
            rig.Channel(0)->SetSoundEnabled(true, 1, 0);
            // Blocks at the pace the device plays them, as the run loop makes them.
            for (int block = 0; block < kBlocks; ++block) {
                rig.RunBlocks(1);
                Sleep(kBlockMilliseconds);
            }
        } // the stopped machine closes the device, which completes the recording
        const CRecording recording = ReadRecording(path);
        ASSERT_GT(recording.samples.size(), 0u) << "nothing recorded in " << capture;
        EXPECT_NEAR(kToneHz, MeasureFrequency(recording), kToneHz / 100);
    }
}

} // namespace
