// The 8080 running the 8080EXM exerciser on a framework computer (memory map
// of 1 KB pages, port space, interrupt service, cycle-timed events) in
// slices of one 1/50 s frame, as the emulator core's run loop drives it.
// Reports emulated MHz: emulated cycles per host second.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "emu/chips/CProcessor_I8080.h"
#include "emu/framework/CBus.h"
#include "emu/framework/CComputer.h"
#include "emu/framework/CDeviceParameterList.h"
#include "emu/framework/CMemory.h"

namespace {

constexpr int32_t kFrameCycles = 50000;

// CP/M stand-in: OUT 0 at 0000h ends the run, OUT 1 at 0005h is BDOS (the
// text is dropped; the exerciser's result is the unit tests' business).
class CCpmPorts : public emu::CDevice {
public:
    CCpmPorts() { GetParameters()->AddPorts2("PORTS", true, true, 0, 2, nullptr, Output); }
    static bool Output(void* context, uint32_t port, uint32_t, uint8_t*) {
        auto* self = static_cast<CCpmPorts*>(static_cast<emu::CDevice*>(context));
        if (port == 0) {
            self->m_done = true;
            self->m_cpu->EndSlice();
        }
        return true;
    }
    emu::CProcessor_I8080* m_cpu = nullptr; // the machine's
    bool m_done = false;
};

class CBenchMachine : public emu::CComputer {
public:
    CBenchMachine() {
        Build();
        m_cpu = new emu::CProcessor_I8080();
        m_cpm = new CCpmPorts();
        m_cpm->m_cpu = m_cpu;
        AddDevice(m_cpu, "CPU I8080", "CPU");
        AddDevice(m_cpm, "CP/M", "CPM");
    }
    ~CBenchMachine() override { Stop(); }
    const char* GetConfigName() override { return "bench8080"; }

    bool PowerOn(const std::vector<uint8_t>& program) {
        static const uint8_t kLow[] = {0xD3, 0x00, 0x00, 0x00, 0x00, 0xD3, 0x01, 0xC9};
        int32_t rate = 4900;
        GetBusService()->SetRegistering(true);
        const bool started = Start(&rate) && GetMemoryService()->Allocate(0x10000, 0, 0);
        GetBusService()->SetRegistering(false);
        if (!started || !GetMemoryService()->WriteBlock(0, kLow, sizeof(kLow), 0) ||
            !GetMemoryService()->WriteBlock(0x100, program.data(), static_cast<uint32_t>(program.size()), 0))
            return false;
        m_cpu->StartEvents();
        m_cpu->SetPC(0x100);
        return true;
    }

    // The run loop: slices no longer than a frame or the next event.
    uint64_t Run() {
        while (!m_cpm->m_done) {
            const int32_t counter = m_cpu->GetCyclesToEvent();
            const int32_t used = m_cpu->Execute(counter < kFrameCycles ? counter : kFrameCycles);
            if (m_cpu->DebitCyclesToEvent(used) <= 0)
                m_cpu->RunDueEvents();
        }
        return m_cpu->GetCycleCount();
    }

    emu::CProcessor_I8080* m_cpu; // owned by the machine
    CCpmPorts* m_cpm;             // owned by the machine
};

std::vector<uint8_t> ReadProgram() {
    const char* folder = std::getenv("KORVET_SHARED_DATA");
    const std::string path = std::string(folder != nullptr ? folder : KORVET_SHARED_DATA) + "/cpu/8080EXM.COM";
    std::vector<uint8_t> bytes;
    FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr)
        return bytes;
    uint8_t buffer[4096];
    size_t count = 0;
    while ((count = std::fread(buffer, 1, sizeof(buffer), file)) > 0)
        bytes.insert(bytes.end(), buffer, buffer + count);
    std::fclose(file);
    return bytes;
}

void BM_I8080Exm(benchmark::State& state) {
    const std::vector<uint8_t> program = ReadProgram();
    if (program.empty()) {
        state.SkipWithError("8080EXM.COM not found");
        return;
    }
    uint64_t cycles = 0;
    double seconds = 0.0;
    for (auto _ : state) {
        state.PauseTiming();
        auto* machine = new CBenchMachine();
        const bool ready = machine->PowerOn(program);
        state.ResumeTiming();
        if (!ready) {
            state.SkipWithError("machine did not start");
            delete machine;
            return;
        }
        const auto begin = std::chrono::steady_clock::now();
        cycles += machine->Run();
        seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count();
        state.PauseTiming();
        delete machine;
        state.ResumeTiming();
    }
    // Emulated cycles per host second, in millions: emulated MHz.
    const double mhz = seconds > 0.0 ? static_cast<double>(cycles) / seconds / 1e6 : 0.0;
    state.counters["emulated_MHz"] = mhz;
    state.counters["cycles"] = static_cast<double>(cycles) / static_cast<double>(state.iterations());
    char label[64];
    std::snprintf(label, sizeof(label), "%.0f emulated MHz", mhz);
    state.SetLabel(label);
}

} // namespace

BENCHMARK(BM_I8080Exm)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();
