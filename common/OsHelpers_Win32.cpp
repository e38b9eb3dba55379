// The host layer over KERNEL32 and USER32.
#include <windows.h>
// windows.h defines these as macros over the runtime; ours are functions.
#undef ZeroMemory
#undef FillMemory
#undef CopyMemory

#include <cstdio>
#include <limits>

#include "common/OsHelpers.h"

namespace common {

bool HostPerformanceFrequency(int64_t* ticksPerSecond) {
    LARGE_INTEGER value;
    QueryPerformanceFrequency(&value);
    *ticksPerSecond = value.QuadPart;
    return true;
}

bool HostPerformanceCounter(int64_t* ticks) {
    LARGE_INTEGER value;
    QueryPerformanceCounter(&value);
    *ticks = value.QuadPart;
    return true;
}

void SleepMs(uint32_t milliseconds) {
    Sleep(milliseconds);
}

void* AllocateVirtualMemory(int64_t size, bool executable) {
    // A size beyond the address space is refused rather than cut to its low bits.
    if (size <= 0 || static_cast<uint64_t>(size) > std::numeric_limits<SIZE_T>::max())
        return nullptr;
    return VirtualAlloc(nullptr, static_cast<SIZE_T>(size), MEM_COMMIT | MEM_TOP_DOWN,
                        executable ? PAGE_EXECUTE_READWRITE : PAGE_READWRITE);
}

void FreeVirtualMemory(void* p, int64_t size) {
    if (p == nullptr || size <= 0)
        return;
    VirtualFree(p, static_cast<SIZE_T>(size), MEM_DECOMMIT);
    VirtualFree(p, 0, MEM_RELEASE);
}

int64_t GetFilePosition(FILE* file) {
    if (file == nullptr)
        return -1;
    const __int64 position = _ftelli64(file);
    return position < 0 ? -1 : static_cast<int64_t>(position);
}

uint32_t GetProcessorCount() {
    SYSTEM_INFO info;
    GetSystemInfo(&info);
    return info.dwNumberOfProcessors < 1 ? 1u : static_cast<uint32_t>(info.dwNumberOfProcessors);
}

namespace {

bool ReadVersion(OSVERSIONINFOW* info) {
    ZeroMemory(info, sizeof(*info));
    info->dwOSVersionInfoSize = sizeof(*info);
    return GetVersionExW(info) != FALSE;
}

} // namespace

uint32_t GetPlatformId() {
    // Concurrent first calls store the same value, so the cache needs no lock;
    // volatile keeps each call reading it afresh.
    static volatile uint32_t s_platformId = 0;
    if (s_platformId != 0)
        return s_platformId;
    OSVERSIONINFOW info;
    if (!ReadVersion(&info))
        return 0;
    if (info.dwPlatformId == VER_PLATFORM_WIN32_NT || info.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS) {
        s_platformId = info.dwPlatformId;
        return info.dwPlatformId;
    }
    return 0;
}

bool GetScreenSize(int32_t* width, int32_t* height) {
    if (width != nullptr)
        *width = GetSystemMetrics(SM_CXSCREEN);
    if (height != nullptr)
        *height = GetSystemMetrics(SM_CYSCREEN);
    return true;
}

bool GetOsVersion(uint32_t* major, uint32_t* minor) {
    OSVERSIONINFOW info;
    if (!ReadVersion(&info))
        return false;
    if (major != nullptr)
        *major = info.dwMajorVersion;
    if (minor != nullptr)
        *minor = info.dwMinorVersion;
    return true;
}

void GetMemoryStatus(uint32_t* totalMB, uint32_t* availableMB) {
    if (totalMB != nullptr)
        *totalMB = 0xFFFFFFFFu;
    if (availableMB != nullptr)
        *availableMB = 0xFFFFFFFFu;
    MEMORYSTATUSEX status;
    ZeroMemory(&status, sizeof(status));
    status.dwLength = sizeof(status);
    if (!GlobalMemoryStatusEx(&status))
        return;
    if (totalMB != nullptr)
        *totalMB = static_cast<uint32_t>(status.ullTotalPhys >> 20);
    if (availableMB != nullptr)
        *availableMB = static_cast<uint32_t>(status.ullAvailPhys >> 20);
}

} // namespace common
