// Processor hot paths: the memory accessors on plain RAM and on a handler
// page (reads, writes and fetches through the processor's own direct path),
// event firing as the run loop drives it, and bus ticks with periodic events.
#include <benchmark/benchmark.h>

#include <cstdint>

#include "emu/framework/CBus.h"
#include "emu/framework/CMemory.h"
#include "emu/framework/CProcessor.h"

namespace {

constexpr uint32_t kSize = 0x10000;
constexpr uint32_t kBurst = 4096;
constexpr uint32_t kStep = 0x3D1; // odd, so that every address comes round

class CBenchProcessor : public emu::CProcessor {
public:
    int32_t Execute(int32_t budget) override {
        m_cycles += static_cast<uint64_t>(budget);
        return budget;
    }
};

bool DeviceRead(void* context, uint32_t address, uint32_t, uint8_t* value, uint8_t) {
    *value = static_cast<const uint8_t*>(context)[address & 0xFF];
    return true;
}
bool DeviceWrite(void* context, uint32_t address, uint32_t, uint8_t* value) {
    static_cast<uint8_t*>(context)[address & 0xFF] = *value;
    return true;
}

bool CountCycleEvent(emu::CObject*, int32_t*, uint32_t* data, emu::CProcessorInterface*) {
    ++data[0];
    return true;
}
bool CountBusEvent(emu::CObject*, uint64_t*, uint32_t* data) {
    ++data[0];
    return true;
}

// A processor over a 64 KB map, optionally with every page behind a handler.
struct CFixture {
    explicit CFixture(bool handlers) {
        int32_t rate = 4900;
        processor.SetServices(nullptr, &bus, &memory, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr);
        processor.SetFrequency(2500000);
        bus.Start(&rate);
        memory.Start(&rate);
        memory.Allocate(kSize, 0, 0);
        if (handlers) {
            memory.SetReadHandler(0, kSize >> emu::CMemory::kPageShift, registers, DeviceRead, false);
            memory.SetWriteHandler(0, kSize >> emu::CMemory::kPageShift, registers, DeviceWrite, false);
        }
        processor.Start(&rate);
        processor.Reset(emu::CDevice::kResetMemoryChanged);
        processor.SetAddressMask(0xFFFF);
    }
    ~CFixture() {
        processor.Stop();
        bus.Stop();
        memory.Stop();
    }
    emu::CBus bus;
    emu::CMemory memory;
    CBenchProcessor processor;
    uint8_t registers[256] = {};
};

void Read(benchmark::State& state, bool handlers) {
    CFixture f(handlers);
    uint32_t address = 0;
    for (auto _ : state) {
        uint32_t sum = 0;
        for (uint32_t i = 0; i < kBurst; ++i) {
            uint8_t b = 0;
            f.processor.ReadByte(address, &b);
            sum += b;
            address += kStep;
        }
        benchmark::DoNotOptimize(sum);
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * kBurst);
}

void Fetch(benchmark::State& state, bool handlers) {
    CFixture f(handlers);
    uint32_t address = 0;
    uint32_t counter = 0;
    for (auto _ : state) {
        uint32_t sum = 0;
        for (uint32_t i = 0; i < kBurst; ++i) {
            uint8_t b = 0;
            f.processor.ReadByteFastCounted(address, &b, &counter);
            sum += b;
            address += kStep;
        }
        benchmark::DoNotOptimize(sum);
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * kBurst);
}

void Write(benchmark::State& state, bool handlers) {
    CFixture f(handlers);
    uint32_t address = 0;
    for (auto _ : state) {
        for (uint32_t i = 0; i < kBurst; ++i) {
            f.processor.WriteByte(address, static_cast<uint8_t>(i));
            address += kStep;
        }
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * kBurst);
}

void BM_ReadRam(benchmark::State& s) {
    Read(s, false);
}
void BM_ReadHandler(benchmark::State& s) {
    Read(s, true);
}
void BM_FetchRam(benchmark::State& s) {
    Fetch(s, false);
}
void BM_FetchHandler(benchmark::State& s) {
    Fetch(s, true);
}
void BM_WriteRam(benchmark::State& s) {
    Write(s, false);
}
void BM_WriteHandler(benchmark::State& s) {
    Write(s, true);
}

// Slices cut at every event: eight cycle events of different periods plus
// the bus tick at 44100 Hz driving eight periodic events.
void BM_EventFiring(benchmark::State& state) {
    CFixture f(false);
    f.bus.SetRate(44100, &f.processor);
    for (int i = 0; i < 8; ++i) {
        f.processor.AddEvent(100 + 37 * i, CountCycleEvent, nullptr, "E", 0, 0);
        f.bus.AddEvent(50 * (i + 1), CountBusEvent, nullptr, "B", 0, 0, false);
    }
    f.processor.StartEvents();
    int64_t runs = 0;
    for (auto _ : state) {
        const int32_t used = f.processor.Execute(f.processor.GetCyclesToEvent());
        if (f.processor.DebitCyclesToEvent(used) <= 0) {
            f.processor.RunDueEvents();
            ++runs;
        }
    }
    state.SetItemsProcessed(runs);
}

} // namespace

BENCHMARK(BM_ReadRam);
BENCHMARK(BM_ReadHandler);
BENCHMARK(BM_FetchRam);
BENCHMARK(BM_FetchHandler);
BENCHMARK(BM_WriteRam);
BENCHMARK(BM_WriteHandler);
BENCHMARK(BM_EventFiring);
