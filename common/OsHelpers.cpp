// The portable half of the host layer: the counter hook, raw memory, whole-file
// helpers, the build text and the arithmetic helpers. The host calls live in
// OsHelpers_Win32.cpp and OsHelpers_Posix.cpp.
#include "common/OsHelpers.h"

#include <atomic>
#include <cstring>

#include "common/CString.h"

namespace common {

namespace {

std::atomic<PerformanceReader>& CounterOverride() {
    static std::atomic<PerformanceReader> s_reader{nullptr};
    return s_reader;
}

std::atomic<PerformanceReader>& FrequencyOverride() {
    static std::atomic<PerformanceReader> s_reader{nullptr};
    return s_reader;
}

} // namespace

bool GetPerformanceFrequency(int64_t* ticksPerSecond) {
    if (PerformanceReader reader = FrequencyOverride().load(std::memory_order_acquire))
        return reader(ticksPerSecond);
    return HostPerformanceFrequency(ticksPerSecond);
}

bool GetPerformanceCounter(int64_t* ticks) {
    if (PerformanceReader reader = CounterOverride().load(std::memory_order_acquire))
        return reader(ticks);
    return HostPerformanceCounter(ticks);
}

void SetPerformanceCounterOverride(PerformanceReader counter, PerformanceReader frequency) {
    CounterOverride().store(counter, std::memory_order_release);
    FrequencyOverride().store(frequency, std::memory_order_release);
}

void ZeroMemory(void* p, uint32_t count) {
    if (count != 0)
        std::memset(p, 0, count);
}

void FillMemory(void* p, uint32_t count, uint8_t value) {
    if (count != 0)
        std::memset(p, value, count);
}

void CopyMemory(void* dst, const void* src, uint32_t count) {
    if (dst != src && count != 0)
        std::memcpy(dst, src, count);
}

int64_t ReadFileBytes(const char* path, void* buffer, int64_t count) {
    if (path == nullptr || buffer == nullptr || count <= 0)
        return 0;
    FILE* file = std::fopen(path, "rb");
    if (file == nullptr)
        return 0;
    // One fread takes a size_t: read in pieces so that a 32-bit host loses nothing.
    const int64_t kPiece = 0x40000000;
    int64_t total = 0;
    unsigned char* out = static_cast<unsigned char*>(buffer);
    while (total < count) {
        const int64_t want = count - total < kPiece ? count - total : kPiece;
        const size_t got = std::fread(out + total, 1, static_cast<size_t>(want), file);
        total += static_cast<int64_t>(got);
        if (got != static_cast<size_t>(want))
            break;
    }
    std::fclose(file);
    return total;
}

int64_t GetFileSizeByName(const char* path) {
    if (path == nullptr)
        return 0;
    FILE* file = std::fopen(path, "rb");
    if (file == nullptr)
        return 0;
    int64_t size = 0;
    if (std::fseek(file, 0, SEEK_END) == 0)
        size = GetFilePosition(file);
    std::fclose(file);
    return size;
}

bool InitializeSystem() {
    return true;
}

void GetBuildDescription(CString& text) {
    text.AssignNarrow("Unicode");
#if defined(__x86_64__) || defined(_M_X64)
    text.AppendNarrow(", x64");
#else
    text.AppendNarrow(", x86");
#endif
#if defined(__GNUC__)
    text.AppendFormat(", GCC %.ld", static_cast<long>(__GNUC__));
    text.AppendFormat(".%.1ld", static_cast<long>(__GNUC_MINOR__));
    text.AppendFormat(".%.1ld", static_cast<long>(__GNUC_PATCHLEVEL__));
#endif
}

uint32_t GetOsMajorVersion() {
    uint32_t major = 0;
    uint32_t minor = 0;
    return GetOsVersion(&major, &minor) ? major : 0xFFFFFFFFu;
}

uint32_t RoundUpToPowerOfTwo(uint32_t n) {
    n -= 1;
    n |= n >> 1;
    n |= n >> 2;
    n |= n >> 4;
    n |= n >> 8;
    n |= n >> 16;
    return n + 1;
}

namespace {

inline uint32_t Rotl(uint32_t x, int n) {
    return (x << n) | (x >> (32 - n));
}

void Sha1Block(uint32_t h[5], const unsigned char* block) {
    uint32_t w[80];
    for (int i = 0; i < 16; ++i)
        w[i] = (uint32_t(block[4 * i]) << 24) | (uint32_t(block[4 * i + 1]) << 16) | (uint32_t(block[4 * i + 2]) << 8) |
               uint32_t(block[4 * i + 3]);
    for (int i = 16; i < 80; ++i)
        w[i] = Rotl(w[i - 3] ^ w[i - 8] ^ w[i - 14] ^ w[i - 16], 1);
    uint32_t a = h[0], b = h[1], c = h[2], d = h[3], e = h[4];
    for (int i = 0; i < 80; ++i) {
        uint32_t f, k;
        if (i < 20) {
            f = (b & c) | (~b & d);
            k = 0x5A827999;
        } else if (i < 40) {
            f = b ^ c ^ d;
            k = 0x6ED9EBA1;
        } else if (i < 60) {
            f = (b & c) | (b & d) | (c & d);
            k = 0x8F1BBCDC;
        } else {
            f = b ^ c ^ d;
            k = 0xCA62C1D6;
        }
        const uint32_t t = Rotl(a, 5) + f + e + k + w[i];
        e = d;
        d = c;
        c = Rotl(b, 30);
        b = a;
        a = t;
    }
    h[0] += a;
    h[1] += b;
    h[2] += c;
    h[3] += d;
    h[4] += e;
}

} // namespace

void Sha1Digest(const void* data, uint32_t size, uint32_t digest[5]) {
    uint32_t h[5] = {0x67452301, 0xEFCDAB89, 0x98BADCFE, 0x10325476, 0xC3D2E1F0};
    const unsigned char* bytes = static_cast<const unsigned char*>(data);
    if (bytes == nullptr)
        size = 0;
    // Whole blocks straight from the input; only the padded tail is copied.
    uint32_t done = 0;
    for (; size - done >= 64; done += 64)
        Sha1Block(h, bytes + done);
    unsigned char tail[128] = {};
    const uint32_t rest = size - done;
    if (rest != 0)
        std::memcpy(tail, bytes + done, rest);
    tail[rest] = 0x80;
    const uint32_t tailLength = rest < 56 ? 64 : 128;
    const uint64_t bits = uint64_t(size) * 8;
    for (int i = 0; i < 8; ++i)
        tail[tailLength - 1 - i] = static_cast<unsigned char>(bits >> (8 * i));
    Sha1Block(h, tail);
    if (tailLength == 128)
        Sha1Block(h, tail + 64);
    for (int i = 0; i < 5; ++i)
        digest[i] = h[i];
}

} // namespace common
