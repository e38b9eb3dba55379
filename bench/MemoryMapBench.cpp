// Memory-map throughput: bytes read, written and fetched per second over
// 64 KB of plain RAM pages and over pages answered by a device handler, on
// the processor's direct path (one table look-up and one flags test per
// access, as the processor accessors do it) and on the map's slow path.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

#include "emu/framework/CMemory.h"

namespace {

using emu::CMemory;

constexpr uint32_t kSize = 0x10000;
constexpr uint32_t kMask = 0xFFFF;
constexpr uint32_t kPages = kSize >> CMemory::kPageShift;
// Accesses per benchmark iteration: a stride that visits every page.
constexpr uint32_t kBurst = 4096;
constexpr uint32_t kStep = 0x3D1; // odd, so that every address comes round

// A device register file behind a handler page.
struct CRegisterFile {
    uint8_t bytes[kSize];
};

bool DeviceRead(void* context, uint32_t address, uint32_t size, uint8_t* value, uint8_t /*flag*/) {
    const uint8_t* bytes = static_cast<CRegisterFile*>(context)->bytes;
    for (uint32_t i = 0; i < size; ++i)
        value[i] = bytes[(address + i) & kMask];
    return true;
}

bool DeviceWrite(void* context, uint32_t address, uint32_t size, uint8_t* value) {
    uint8_t* bytes = static_cast<CRegisterFile*>(context)->bytes;
    for (uint32_t i = 0; i < size; ++i)
        bytes[(address + i) & kMask] = value[i];
    return true;
}

// The processor's direct path over the published page table.
template <uint32_t kTest>
inline uint8_t DirectRead(CMemory& memory, const CMemory::CPageDescriptor* table, const uint8_t* ram,
                          uint32_t address) {
    const uint32_t a = address & kMask;
    if (a < kSize) {
        const CMemory::CPageDescriptor& d = table[a >> CMemory::kPageShift];
        const uint32_t test = d.flags & kTest;
        if (test == CMemory::kDirectRead)
            return static_cast<const uint8_t*>(d.readContext)[a & CMemory::kPageOffsetMask];
        if (test == CMemory::kHandlerRead) {
            uint8_t value = 0;
            return d.readHandler(d.readContext, a, 1, &value, 0) ? value : ram[a];
        }
    }
    return memory.ReadByte(a, 0);
}

inline void DirectWrite(CMemory& memory, const CMemory::CPageDescriptor* table, uint8_t* ram, uint32_t address,
                        uint8_t value) {
    const uint32_t a = address & kMask;
    if (a < kSize) {
        const CMemory::CPageDescriptor& d = table[a >> CMemory::kPageShift];
        const uint32_t test = d.flags & CMemory::kTestWrite;
        if (test == CMemory::kDirectWrite) {
            static_cast<uint8_t*>(d.writeContext)[a & CMemory::kPageOffsetMask] = value;
            return;
        }
        if (test == CMemory::kHandlerWrite) {
            if (!d.writeHandler(d.writeContext, a, 1, &value))
                ram[a] = value;
            return;
        }
    }
    memory.WriteByte(a, value);
}

enum class Pages { kRam, kHandler };

struct CFixture {
    explicit CFixture(Pages pages) {
        memory.Allocate(kSize, 0, 0);
        if (pages == Pages::kHandler) {
            memory.SetReadHandler(0, kPages, &device, DeviceRead, false);
            memory.SetWriteHandler(0, kPages, &device, DeviceWrite, false);
        }
        for (uint32_t a = 0; a < kSize; ++a)
            memory.WriteByte(a, static_cast<uint8_t>(a));
    }
    CMemory memory;
    CRegisterFile device = {};
};

template <uint32_t kTest> void ReadLoop(benchmark::State& state, Pages pages, bool slow) {
    CFixture f(pages);
    const CMemory::CPageDescriptor* table = f.memory.GetPageTable();
    const uint8_t* ram = f.memory.GetRamBase();
    uint32_t address = 0;
    for (auto _ : state) {
        uint32_t sum = 0;
        for (uint32_t i = 0; i < kBurst; ++i) {
            sum += slow ? f.memory.ReadByte(address, 0) : DirectRead<kTest>(f.memory, table, ram, address);
            address += kStep;
        }
        benchmark::DoNotOptimize(sum);
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * kBurst);
}

void WriteLoop(benchmark::State& state, Pages pages, bool slow) {
    CFixture f(pages);
    const CMemory::CPageDescriptor* table = f.memory.GetPageTable();
    uint8_t* ram = f.memory.GetRamBase();
    uint32_t address = 0;
    for (auto _ : state) {
        for (uint32_t i = 0; i < kBurst; ++i) {
            if (slow)
                f.memory.WriteByte(address, static_cast<uint8_t>(i));
            else
                DirectWrite(f.memory, table, ram, address, static_cast<uint8_t>(i));
            address += kStep;
        }
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * kBurst);
}

void BM_ReadRamDirect(benchmark::State& s) {
    ReadLoop<CMemory::kTestDataRead>(s, Pages::kRam, false);
}
void BM_FetchRamDirect(benchmark::State& s) {
    ReadLoop<CMemory::kTestFetch>(s, Pages::kRam, false);
}
void BM_WriteRamDirect(benchmark::State& s) {
    WriteLoop(s, Pages::kRam, false);
}
void BM_ReadHandlerDirect(benchmark::State& s) {
    ReadLoop<CMemory::kTestDataRead>(s, Pages::kHandler, false);
}
void BM_FetchHandlerDirect(benchmark::State& s) {
    ReadLoop<CMemory::kTestFetch>(s, Pages::kHandler, false);
}
void BM_WriteHandlerDirect(benchmark::State& s) {
    WriteLoop(s, Pages::kHandler, false);
}
void BM_ReadRamSlow(benchmark::State& s) {
    ReadLoop<CMemory::kTestDataRead>(s, Pages::kRam, true);
}
void BM_WriteRamSlow(benchmark::State& s) {
    WriteLoop(s, Pages::kRam, true);
}
void BM_ReadHandlerSlow(benchmark::State& s) {
    ReadLoop<CMemory::kTestDataRead>(s, Pages::kHandler, true);
}
void BM_WriteHandlerSlow(benchmark::State& s) {
    WriteLoop(s, Pages::kHandler, true);
}

} // namespace

BENCHMARK(BM_ReadRamDirect);
BENCHMARK(BM_FetchRamDirect);
BENCHMARK(BM_WriteRamDirect);
BENCHMARK(BM_ReadHandlerDirect);
BENCHMARK(BM_FetchHandlerDirect);
BENCHMARK(BM_WriteHandlerDirect);
BENCHMARK(BM_ReadRamSlow);
BENCHMARK(BM_WriteRamSlow);
BENCHMARK(BM_ReadHandlerSlow);
BENCHMARK(BM_WriteHandlerSlow);
