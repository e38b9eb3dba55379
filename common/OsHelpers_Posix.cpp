// The host layer over POSIX: the monotonic clock, nanosleep, anonymous mappings,
// 64-bit stdio positions and the kernel's own facts.
#include "common/OsHelpers.h"

#include <sched.h>
#include <sys/mman.h>
#include <sys/types.h>
#include <sys/utsname.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <limits>

namespace common {

namespace {
constexpr int64_t kNanosecondsPerSecond = 1000000000;
} // namespace

bool HostPerformanceFrequency(int64_t* ticksPerSecond) {
    *ticksPerSecond = kNanosecondsPerSecond;
    return true;
}

bool HostPerformanceCounter(int64_t* ticks) {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    *ticks = static_cast<int64_t>(now.tv_sec) * kNanosecondsPerSecond + now.tv_nsec;
    return true;
}

void SleepMs(uint32_t milliseconds) {
    if (milliseconds == 0) {
        sched_yield();
        return;
    }
    timespec wait{};
    wait.tv_sec = static_cast<time_t>(milliseconds / 1000);
    wait.tv_nsec = static_cast<long>(milliseconds % 1000) * 1000000L;
    while (nanosleep(&wait, &wait) != 0 && errno == EINTR) {
    }
}

void* AllocateVirtualMemory(int64_t size, bool executable) {
    if (size <= 0 || static_cast<uint64_t>(size) > std::numeric_limits<size_t>::max())
        return nullptr;
    const int protection = PROT_READ | PROT_WRITE | (executable ? PROT_EXEC : 0);
    void* p = mmap(nullptr, static_cast<size_t>(size), protection, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    return p == MAP_FAILED ? nullptr : p;
}

void FreeVirtualMemory(void* p, int64_t size) {
    if (p == nullptr || size <= 0)
        return;
    munmap(p, static_cast<size_t>(size));
}

int64_t GetFilePosition(FILE* file) {
    if (file == nullptr)
        return -1;
    const off_t position = ftello(file);
    return position < 0 ? -1 : static_cast<int64_t>(position);
}

uint32_t GetProcessorCount() {
    const long count = sysconf(_SC_NPROCESSORS_ONLN);
    return count < 1 ? 1u : static_cast<uint32_t>(count);
}

uint32_t GetPlatformId() {
    return 0;
}

bool GetScreenSize(int32_t* width, int32_t* height) {
    if (width != nullptr)
        *width = 1920;
    if (height != nullptr)
        *height = 1080;
    return true;
}

bool GetOsVersion(uint32_t* major, uint32_t* minor) {
    utsname name{};
    if (uname(&name) != 0)
        return false;
    // The kernel release reads "<major>.<minor>[.<patch>][-suffix]".
    char* end = nullptr;
    const unsigned long majorValue = std::strtoul(name.release, &end, 10);
    if (end == name.release)
        return false;
    unsigned long minorValue = 0;
    if (*end == '.')
        minorValue = std::strtoul(end + 1, nullptr, 10);
    if (major != nullptr)
        *major = static_cast<uint32_t>(majorValue);
    if (minor != nullptr)
        *minor = static_cast<uint32_t>(minorValue);
    return true;
}

void GetMemoryStatus(uint32_t* totalMB, uint32_t* availableMB) {
    if (totalMB != nullptr)
        *totalMB = 0xFFFFFFFFu;
    if (availableMB != nullptr)
        *availableMB = 0xFFFFFFFFu;
    const long pageSize = sysconf(_SC_PAGESIZE);
    const long pages = sysconf(_SC_PHYS_PAGES);
    const long freePages = sysconf(_SC_AVPHYS_PAGES);
    if (pageSize <= 0 || pages <= 0 || freePages < 0)
        return;
    if (totalMB != nullptr)
        *totalMB = static_cast<uint32_t>((static_cast<uint64_t>(pages) * static_cast<uint64_t>(pageSize)) >> 20);
    if (availableMB != nullptr)
        *availableMB =
            static_cast<uint32_t>((static_cast<uint64_t>(freePages) * static_cast<uint64_t>(pageSize)) >> 20);
}

} // namespace common
