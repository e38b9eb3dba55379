#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "common/CNarrowString.h"
#include "common/OsHelpers.h"

#if defined(_WIN32)
#include <windows.h>
#endif

namespace {

using namespace common;

std::string TempFolder() {
    const std::string folder = std::string(KORVET_TEST_TEMP) + "/os_helpers";
    std::filesystem::create_directories(folder);
    return folder;
}

std::string WriteTempFile(const char* name, const std::vector<unsigned char>& bytes) {
    const std::string path = TempFolder() + "/" + name;
    FILE* file = std::fopen(path.c_str(), "wb");
    EXPECT_NE(nullptr, file);
    if (file != nullptr) {
        if (!bytes.empty())
            std::fwrite(bytes.data(), 1, bytes.size(), file);
        std::fclose(file);
    }
    return path;
}

int64_t s_fakeCounter = 0;
bool FakeCounter(int64_t* value) {
    *value = s_fakeCounter;
    return true;
}
bool FakeFrequency(int64_t* value) {
    *value = 12345;
    return true;
}
bool FailingReader(int64_t*) {
    return false;
}

TEST(OsHelpers, PerformanceCounterIsMonotonicWithPositiveFrequency) {
    int64_t frequency = 0;
    ASSERT_TRUE(GetPerformanceFrequency(&frequency));
    EXPECT_GT(frequency, 0);
    int64_t previous = 0;
    ASSERT_TRUE(GetPerformanceCounter(&previous));
    for (int i = 0; i < 1000; ++i) {
        int64_t now = 0;
        ASSERT_TRUE(GetPerformanceCounter(&now));
        ASSERT_GE(now, previous);
        previous = now;
    }
}

TEST(OsHelpers, CounterOverrideReplacesHostUntilCleared) {
    s_fakeCounter = 777;
    SetPerformanceCounterOverride(FakeCounter, FakeFrequency);
    int64_t counter = 0;
    int64_t frequency = 0;
    EXPECT_TRUE(GetPerformanceCounter(&counter));
    EXPECT_TRUE(GetPerformanceFrequency(&frequency));
    EXPECT_EQ(777, counter);
    EXPECT_EQ(12345, frequency);

    SetPerformanceCounterOverride(FakeCounter, nullptr); // the host's frequency stays
    int64_t hostFrequency = 0;
    HostPerformanceFrequency(&hostFrequency);
    EXPECT_TRUE(GetPerformanceFrequency(&frequency));
    EXPECT_EQ(hostFrequency, frequency);
    SetPerformanceCounterOverride(FailingReader, FailingReader);
    EXPECT_FALSE(GetPerformanceCounter(&counter));
    EXPECT_FALSE(GetPerformanceFrequency(&frequency));

    SetPerformanceCounterOverride(nullptr, nullptr);
    EXPECT_TRUE(GetPerformanceCounter(&counter));
    EXPECT_NE(777, counter);
}

TEST(OsHelpers, RawMemoryHelpers) {
    unsigned char buffer[16];
    FillMemory(buffer, sizeof(buffer), 0xA5);
    for (unsigned char b : buffer)
        EXPECT_EQ(0xA5, b);
    ZeroMemory(buffer + 4, 8);
    EXPECT_EQ(0xA5, buffer[3]);
    EXPECT_EQ(0, buffer[4]);
    EXPECT_EQ(0, buffer[11]);
    EXPECT_EQ(0xA5, buffer[12]);

    const unsigned char source[4] = {1, 2, 3, 4};
    CopyMemory(buffer, source, 4);
    EXPECT_EQ(0, std::memcmp(buffer, source, 4));
    // Same source and destination: nothing is copied (a real overlapping copy
    // would be caught by the address sanitizer).
    CopyMemory(buffer, buffer, sizeof(buffer));
    EXPECT_EQ(4, buffer[3]);
    // Zero counts touch nothing.
    FillMemory(buffer, 0, 0xFF);
    ZeroMemory(buffer, 0);
    EXPECT_EQ(1, buffer[0]);
}

TEST(OsHelpers, VirtualMemoryIsZeroedAndWritable) {
    EXPECT_EQ(nullptr, AllocateVirtualMemory(0, false));
    EXPECT_EQ(nullptr, AllocateVirtualMemory(-4096, false));
    FreeVirtualMemory(nullptr, 4096);

    const int64_t size = 70000; // not a whole number of pages
    unsigned char* block = static_cast<unsigned char*>(AllocateVirtualMemory(size, false));
    ASSERT_NE(nullptr, block);
    for (int64_t i = 0; i < size; ++i)
        ASSERT_EQ(0, block[i]);
    block[0] = 1;
    block[size - 1] = 2;
    FreeVirtualMemory(block, 0); // size 0: nothing happens, the block stays usable
    EXPECT_EQ(2, block[size - 1]);
    FreeVirtualMemory(block, size);

    void* executable = AllocateVirtualMemory(4096, true);
    EXPECT_NE(nullptr, executable);
    FreeVirtualMemory(executable, 4096);
}

TEST(OsHelpers, FilePositionAndWholeFileHelpers) {
    std::vector<unsigned char> bytes(1000);
    for (size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<unsigned char>(i * 7);
    const std::string path = WriteTempFile("thousand.bin", bytes);

    EXPECT_EQ(-1, GetFilePosition(nullptr));
    FILE* file = std::fopen(path.c_str(), "rb");
    ASSERT_NE(nullptr, file);
    EXPECT_EQ(0, GetFilePosition(file));
    std::fseek(file, 123, SEEK_SET);
    EXPECT_EQ(123, GetFilePosition(file));
    std::fclose(file);

    EXPECT_EQ(1000, GetFileSizeByName(path.c_str()));
    EXPECT_EQ(0, GetFileSizeByName(nullptr));
    EXPECT_EQ(0, GetFileSizeByName((TempFolder() + "/missing.bin").c_str()));
    EXPECT_EQ(0, GetFileSizeByName(WriteTempFile("empty.bin", {}).c_str()));

    std::vector<unsigned char> read(2000, 0xEE);
    EXPECT_EQ(1000, ReadFileBytes(path.c_str(), read.data(), 2000));
    EXPECT_EQ(0, std::memcmp(read.data(), bytes.data(), 1000));
    EXPECT_EQ(0xEE, read[1000]);
    EXPECT_EQ(10, ReadFileBytes(path.c_str(), read.data(), 10));
    EXPECT_EQ(0, ReadFileBytes(nullptr, read.data(), 10));
    EXPECT_EQ(0, ReadFileBytes(path.c_str(), nullptr, 10));
    EXPECT_EQ(0, ReadFileBytes(path.c_str(), read.data(), 0));
    EXPECT_EQ(0, ReadFileBytes((TempFolder() + "/missing.bin").c_str(), read.data(), 10));
}

TEST(OsHelpers, RoundUpToPowerOfTwo) {
    const struct {
        uint32_t n, expected;
    } cases[] = {{0, 0},           {1, 1},          {2, 2},
                 {3, 4},           {5, 8},          {1000, 1024},
                 {1024, 1024},     {1025, 2048},    {0x80000000u, 0x80000000u},
                 {0x80000001u, 0}, {0xFFFFFFFFu, 0}};
    for (const auto& c : cases)
        EXPECT_EQ(c.expected, RoundUpToPowerOfTwo(c.n)) << c.n;
}

TEST(OsHelpers, Sha1MatchesPublishedVectors) {
    const struct {
        std::string text;
        uint32_t digest[5];
    } cases[] = {
        {"", {0xda39a3ee, 0x5e6b4b0d, 0x3255bfef, 0x95601890, 0xafd80709}},
        {"abc", {0xa9993e36, 0x4706816a, 0xba3e2571, 0x7850c26c, 0x9cd0d89d}},
        // 56 bytes: the length no longer fits the first padded block.
        {"abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq",
         {0x84983e44, 0x1c3bd26e, 0xbaae4aa1, 0xf95129e5, 0xe54670f1}},
        {std::string(1000000, 'a'), {0x34aa973c, 0xd4c4daa4, 0xf61eeb2b, 0xdbad2731, 0x6534016f}},
    };
    for (const auto& c : cases) {
        uint32_t digest[5] = {};
        Sha1Digest(c.text.data(), static_cast<uint32_t>(c.text.size()), digest);
        for (int i = 0; i < 5; ++i)
            EXPECT_EQ(c.digest[i], digest[i]) << "length " << c.text.size() << " word " << i;
    }
    uint32_t digest[5] = {};
    Sha1Digest(nullptr, 10, digest);
    EXPECT_EQ(0xda39a3eeu, digest[0]);
}

TEST(OsHelpers, BuildDescriptionReplacesText) {
    CNarrowString text;
    text.AssignNarrow("old text");
    GetBuildDescription(text);
    const std::string description = text.GetNarrow();
#if defined(__x86_64__)
    const std::string expectedStart = "Unicode, x64, GCC ";
#else
    const std::string expectedStart = "Unicode, x86, GCC ";
#endif
    EXPECT_EQ(0u, description.find(expectedStart)) << description;
    const std::string version =
        std::to_string(__GNUC__) + "." + std::to_string(__GNUC_MINOR__) + "." + std::to_string(__GNUC_PATCHLEVEL__);
    EXPECT_EQ(expectedStart + version, description);
}

TEST(OsHelpers, HostFacts) {
    EXPECT_TRUE(InitializeSystem());
    EXPECT_GE(GetProcessorCount(), 1u);

    int32_t width = 0;
    int32_t height = 0;
    EXPECT_TRUE(GetScreenSize(&width, &height));
#if defined(_WIN32)
    // The display mode, read another way, has the same size.
    DEVMODEW mode{};
    mode.dmSize = sizeof(mode);
    ASSERT_TRUE(EnumDisplaySettingsW(nullptr, ENUM_CURRENT_SETTINGS, &mode));
    EXPECT_EQ(static_cast<int32_t>(mode.dmPelsWidth), width);
    EXPECT_EQ(static_cast<int32_t>(mode.dmPelsHeight), height);
#else
    EXPECT_EQ(1920, width); // no screen of its own: the documented stand-in
    EXPECT_EQ(1080, height);
#endif
    int32_t widthAlone = 0;
    EXPECT_TRUE(GetScreenSize(&widthAlone, nullptr));
    EXPECT_EQ(width, widthAlone);
    int32_t heightAlone = 0;
    EXPECT_TRUE(GetScreenSize(nullptr, &heightAlone));
    EXPECT_EQ(height, heightAlone);

    uint32_t major = 0xFFFFFFFFu;
    uint32_t minor = 0xFFFFFFFFu;
    ASSERT_TRUE(GetOsVersion(&major, &minor));
    EXPECT_NE(0xFFFFFFFFu, major);
    EXPECT_EQ(major, GetOsMajorVersion());

    uint32_t total = 0;
    uint32_t available = 0;
    GetMemoryStatus(&total, &available);
    EXPECT_NE(0xFFFFFFFFu, total);
    EXPECT_GT(total, 0u);
    EXPECT_LE(available, total);

#if defined(_WIN32)
    EXPECT_EQ(2u, GetPlatformId()); // the NT family
    EXPECT_EQ(2u, GetPlatformId()); // cached
#else
    EXPECT_EQ(0u, GetPlatformId());
#endif
    SleepMs(0);
}

} // namespace
