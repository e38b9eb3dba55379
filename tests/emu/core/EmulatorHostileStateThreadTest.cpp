// States with hostile values in their counts, cycle values and sizes, loaded
// into a running Korvet 2.0: each is refused, or runs on with Break answering
// at once and without the process growing by the size the state asked for.
#include <algorithm>
#include <chrono>
#include <cstring>
#include <fstream>
#include <utility>

#include "CoreTestSupport.h"
#include "common/CPath.h"

#ifndef _WIN32
#include <unistd.h>
#endif

namespace {

using coretest::Bytes;
using coretest::ReadFile;
using coretest::WriteFile;

// The process's resident bytes (0 where the host does not tell).
int64_t ResidentBytes() {
#ifndef _WIN32
    std::ifstream statm("/proc/self/statm");
    int64_t total = 0;
    int64_t resident = 0;
    statm >> total >> resident;
    return resident * sysconf(_SC_PAGESIZE);
#else
    return 0;
#endif
}

// One field of a state given another value: the `occurrence`-th field of that
// name (0 the first), its value replaced by the low `width` bytes of `value`
// (for a blob, its first bytes).
struct CHostileField {
    const char* name;
    int occurrence;
    int width;
    uint64_t value;
    bool blob = false;
};

// Every field of the name when occurrence is -1. False when none is found.
bool SetField(Bytes& bytes, const CHostileField& field) {
    const size_t length = std::strlen(field.name);
    Bytes record{0xF8, 0x81, static_cast<uint8_t>(0x81 ^ length), static_cast<uint8_t>(length), 0x00};
    record.insert(record.end(), field.name, field.name + length);
    int seen = 0;
    bool found = false;
    for (auto at = bytes.begin();; ++at) {
        at = std::search(at, bytes.end(), record.begin(), record.end());
        if (at == bytes.end())
            return found;
        if (field.occurrence < 0 || seen++ == field.occurrence) {
            auto value = at + static_cast<std::ptrdiff_t>(record.size()) + (field.blob ? 5 : 1);
            for (int i = 0; i < field.width; ++i)
                value[i] = static_cast<uint8_t>(field.value >> (8 * i));
            found = true;
            if (field.occurrence >= 0)
                return true;
        }
    }
}

// `width` bytes at `offset` of the "DTEVT<n>" record that follows the event
// name `name` (its first one in the state: the bus's events come before the
// processor's). False when there is no such event.
bool SetEventWord(Bytes& bytes, const char* name, int offset, int width, uint64_t value) {
    const std::string text(name);
    auto at = std::search(bytes.begin(), bytes.end(), text.begin(), text.end());
    const std::string record("DTEVT");
    if (at != bytes.end())
        at = std::search(at, bytes.end(), record.begin(), record.end());
    if (at == bytes.end())
        return false;
    // The field name's length byte stands two before it; then the type byte
    // and the blob's byte count.
    const std::ptrdiff_t nameLength = at[-2];
    auto word = at + nameLength + 5 + offset;
    for (int i = 0; i < width; ++i)
        word[i] = static_cast<uint8_t>(value >> (8 * i));
    return true;
}

uint64_t DoubleBits(double value) {
    uint64_t bits = 0;
    std::memcpy(&bits, &value, sizeof(bits));
    return bits;
}

class EmulatorHostileStateThreadTest : public coretest::CKorvetCoreFixture {
protected:
    void SetUp() override {
        ASSERT_NO_FATAL_FAILURE(CKorvetCoreFixture::SetUp());
        MakeCore();
    }
    // A valid state, saved in a break after ten frames of running.
    Bytes RunAndSave() {
        EXPECT_TRUE(m_core->Start(false, false));
        EXPECT_TRUE(m_frames.WaitForMore(10));
        m_core->Break(false);
        EXPECT_TRUE(m_core->SaveStateToFile(common::CPath(), false));
        return ReadFile(StateFile());
    }
};

TEST_F(EmulatorHostileStateThreadTest, HostileValuesNeitherStallBreakNorTakeMemory) {
    const Bytes valid = RunAndSave();
    ASSERT_FALSE(valid.empty());
    const uint64_t kInt32Max = 0x7FFFFFFF;
    const uint64_t kInt32Min = 0x80000000;
    const CHostileField fields[] = {
        {"PC", 0, 4, 536870911},                   // the run loop's slice budget
        {"PCR", 0, 4, 536870911},                  // what the slice defers
        {"CPF", 0, 8, 0x41bfffffff000000, true},   // cycles per frame: 536870911.0
        {"CFREQ", 0, 8, 0x7ff8000000000000, true}, // the clock ratio: not a number
        {"MCYCL", 0, 4, kInt32Max},
        {"ECYCL", 0, 4, kInt32Min},
        {"SCYCL", 0, 4, kInt32Max},
        {"PCYCL", 0, 4, kInt32Max},
        {"CBEVT", 0, 4, kInt32Min},
        {"CBEVT", 0, 4, kInt32Max},
        {"FREQ", 0, 8, 0x7FFFFFFFFFFFFFFF},
        {"FSIZ", -1, 4, kInt32Max},
        {"MSZ", -1, 4, kInt32Max},
        {"MSZ", -1, 8, 0xFFFFFFFF},
        {"RDTG", -1, 8, 0x7FFFFFFFFFFFFFFF},
        {"SKTG", -1, 8, 0x7FFFFFFFFFFFFFFF},
    };
    for (const CHostileField& field : fields) {
        SCOPED_TRACE(std::string(field.name) + " = " + std::to_string(field.value));
        Bytes hostile = valid;
        ASSERT_TRUE(SetField(hostile, field));
        WriteFile(StateFile(), hostile);
        if (!m_core->IsActive()) {
            ASSERT_TRUE(m_core->Start(false, false));
        }
        const int64_t before = ResidentBytes();
        if (m_core->LoadStateFromFile(common::CPath(), false)) {
            m_core->Resume();
            m_frames.WaitForMore(3, 2000);
            const auto asked = std::chrono::steady_clock::now();
            m_core->Break(false);
            const auto waited = std::chrono::steady_clock::now() - asked;
            EXPECT_TRUE(m_core->IsInBreak());
            EXPECT_LT(waited, std::chrono::seconds(2)) << "Break waited for a stalled slice";
            // Powering off runs every device's stop on the loaded values.
            m_core->Stop();
        }
        EXPECT_LT(ResidentBytes() - before, int64_t(100) << 20);
        EXPECT_FALSE(m_core->IsInBreak() && !m_core->IsActive());
    }
}

// Values that no save writes, each of which held the machine or a device
// still: a slice budget that the slice has not spent (MCYCL above ECYCL)
// stepped the cycle count back, and with the bus tick due far ahead its due
// time lay beyond the 32-bit distance, so that the tick fired millions of
// times before the first frame; an interrupt delay, a bus tick period or
// countdown, a video line period, a timer start in the future, a last
// frequency change ahead of the cycle count, a bus rate of 1 Hz, frames of
// half the cycles or slices of none kept interrupts, timers, sound, the
// screen or the whole machine waiting for minutes. Each is refused.
TEST_F(EmulatorHostileStateThreadTest, ValuesThatNoSaveWritesAreRefused) {
    const Bytes valid = RunAndSave();
    ASSERT_FALSE(valid.empty());
    using Patch = bool (*)(Bytes&);
    const std::pair<const char*, Patch> cases[] = {
        {"MCYCL and bus tick",
         [](Bytes& b) {
             return SetField(b, {"MCYCL", 0, 4, 65535}) && SetEventWord(b, "_BusFreqEvent", 8, 8, uint64_t{1} << 40);
         }},
        {"MCYCL 65535",
         [](Bytes& b) {
             return SetField(b, {"MCYCL", 0, 4, 65535});
         }},
        {"bus tick due 2^40 ahead", [](Bytes& b) { return SetEventWord(b, "_BusFreqEvent", 8, 8, uint64_t{1} << 40); }},
        {"bus tick period", [](Bytes& b) { return SetEventWord(b, "_BusFreqEvent", 24, 4, 0x7FFFFFFF); }},
        {"HWID",
         [](Bytes& b) {
             return SetField(b, {"HWID", 0, 4, 0x7FFFFFFF});
         }},
        {"LCYCL",
         [](Bytes& b) {
             return SetField(b, {"LCYCL", 0, 8, uint64_t{1} << 40});
         }},
        {"bus rate",
         [](Bytes& b) {
             return SetField(b, {"CRFRQ", 0, 4, 1});
         }},
        {"video line period", [](Bytes& b) { return SetEventWord(b, "RenderEvent", 24, 4, 0x7FFFFFFF); }},
        {"timer update countdown", [](Bytes& b) { return SetEventWord(b, "UpdateEvent", 12, 4, 0x7FFFFFFF); }},
        {"timer start",
         [](Bytes& b) {
             return SetField(b, {"STTM", -1, 8, DoubleBits(1e18), true});
         }},
        {"CPF",
         [](Bytes& b) {
             return SetField(b, {"CPF", 0, 8, DoubleBits(24999.0), true});
         }},
        {"IPF",
         [](Bytes& b) {
             return SetField(b, {"IPF", 0, 4, 1000000});
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.first);
        Bytes hostile = valid;
        ASSERT_TRUE(c.second(hostile));
        WriteFile(StateFile(), hostile);
        if (!m_core->IsActive()) {
            ASSERT_TRUE(m_core->Start(false, false));
        }
        EXPECT_FALSE(m_core->LoadStateFromFile(common::CPath(), false));
        // The run loop's section comes before the machine's: refused there, nothing is loaded.
        const bool loop = std::string(c.first) == "CPF" || std::string(c.first) == "IPF";
        EXPECT_TRUE(coretest::HasLine(
            m_core->GetConsole(),
            std::string("![ERROR] Error while loading state from file \"korvet20.sav\" (") +
                (loop ? "incorrect version or format)" : "state loaded only in part, the machine must be restarted)")))
            << ::testing::PrintToString(coretest::ConsoleLines(m_core->GetConsole()));
        EXPECT_FALSE(m_core->IsActive()) << "a refused load leaves the emulation stopped";
    }
}

} // namespace
