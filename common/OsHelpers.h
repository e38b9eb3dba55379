#pragma once
// The thin host layer: time, sleeping, raw memory, file positions and host facts.
// The rest of the system names no host call itself; these functions are the only
// way it reaches the clock, the page allocator and the OS facts. Every function
// may be called from any thread.
#include <cstdint>
#include <cstdio>

#include "common/Types.h"

namespace common {

class CString;

// ---- Time and waiting -------------------------------------------------------

// The performance counter: a monotonic tick count and its ticks per second.
// Both store their value and answer true (false only when a test hook says so).
bool GetPerformanceFrequency(int64_t* ticksPerSecond);
bool GetPerformanceCounter(int64_t* ticks);

// The host's own counter, bypassing any override (benchmarks, the override's own use).
bool HostPerformanceFrequency(int64_t* ticksPerSecond);
bool HostPerformanceCounter(int64_t* ticks);

// Test hook: while set, GetPerformanceCounter / GetPerformanceFrequency answer
// through these readers instead of the host (a null reader keeps the host's for
// that value). SetPerformanceCounterOverride(nullptr, nullptr) restores the host.
// The readers are process-wide; they must be safe to call from any thread.
typedef bool (*PerformanceReader)(int64_t* value);
void SetPerformanceCounterOverride(PerformanceReader counter, PerformanceReader frequency);

// Suspends the calling thread; 0 only yields the rest of the time slice.
void SleepMs(uint32_t milliseconds);

// ---- Raw memory -------------------------------------------------------------

void ZeroMemory(void* p, uint32_t count);
// Note the order: count before value.
void FillMemory(void* p, uint32_t count, uint8_t value);
// Copies nothing when dst == src; otherwise the ranges must not overlap.
void CopyMemory(void* dst, const void* src, uint32_t count);

// A committed, zero-filled block of whole host pages, read-write (and executable
// when asked); null for size <= 0, for a size the host's address space cannot
// express, or when the host refuses. Release with FreeVirtualMemory and the same size.
void* AllocateVirtualMemory(int64_t size, bool executable);
// Nothing for a null pointer or size <= 0.
void FreeVirtualMemory(void* p, int64_t size);

// ---- Files ------------------------------------------------------------------

// The file's current position as a 64-bit byte offset; -1 when it cannot be read
// (also for a null file).
int64_t GetFilePosition(FILE* file);

// Reads up to count bytes of the file into buffer; the number read. 0 for a null
// path or buffer, a count <= 0, or a file that cannot be opened.
int64_t ReadFileBytes(const char* path, void* buffer, int64_t count);
// The file's size; -1 when its end position cannot be read; 0 for a null path,
// a file that cannot be opened or a failed seek.
int64_t GetFileSizeByName(const char* path);

// ---- Host facts -------------------------------------------------------------

// Platform start-up hook; does nothing and answers true.
bool InitializeSystem();
// Number of processors the host reports (at least 1).
uint32_t GetProcessorCount();
// Windows platform id: 2 for the NT family, 1 for the 9x family, 0 for anything
// else (every non-Windows host). A non-zero answer is cached process-wide.
uint32_t GetPlatformId();
// The primary screen's size in pixels; always true. A host without a screen of
// its own (the native build) answers 1920 x 1080.
bool GetScreenSize(int32_t* width, int32_t* height);
// Replaces the string's text by "Unicode, x86, GCC <major>.<minor>.<patch>"
// (", x64" on a 64-bit build).
void GetBuildDescription(CString& text);
// The OS version; false when it cannot be read (both then untouched).
bool GetOsVersion(uint32_t* major, uint32_t* minor);
// The OS major version, or 0xFFFFFFFF when it cannot be read.
uint32_t GetOsMajorVersion();
// Total and available physical memory in MB; both 0xFFFFFFFF when unknown.
void GetMemoryStatus(uint32_t* totalMB, uint32_t* availableMB);

// ---- Arithmetic -------------------------------------------------------------

// The smallest power of two not below n; 0 gives 0, 1 gives 1, and a value above
// 2^31 gives 0 (the power does not fit).
uint32_t RoundUpToPowerOfTwo(uint32_t n);
// SHA-1 (FIPS 180) of a memory buffer; digest[0] holds the first four bytes of
// the digest, big-endian. A null data pointer counts as empty.
void Sha1Digest(const void* data, uint32_t size, uint32_t digest[5]);

} // namespace common
