// The whole Korvet 2.0 with the system floppy, unsynchronised: power on, boot
// to the CP/M prompt, then idle at it up to 60 emulated seconds, in slices up
// to the next event as the emulator core's run loop drives it, with video
// drawn into pixel rows and sound produced into a silent output. Reports
// emulated seconds per host second (times real time) and fails when the
// prompt does not appear. The silent sound output and the renderer with pixel
// rows are the machine tests' own.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "common/CTextConsole.h"
#include "common/HostFiles.h"
#include "common/ProgramFolders.h"
#include "emu/chips/CProcessor_I8080.h"
#include "emu/framework/CBus.h"
#include "emu/framework/CDrives.h"
#include "emu/framework/CMediaSlot.h"
#include "emu/korvet/CMachine_Korvet.h"
#include "emu/korvet/CVideo_Korvet.h"
#include "emu/korvet/KorvetTestSupport.h"

namespace {

using machinetest::Wide;

constexpr uint64_t kSecond = 2500000; // emulated cycles
constexpr uint64_t kIdleEnd = 60 * kSecond;
constexpr int32_t kSlice = 50000;

std::string SharedData() {
    const char* folder = std::getenv("KORVET_SHARED_DATA");
    return std::string(folder != nullptr ? folder : KORVET_SHARED_DATA) + "/";
}

// The text screen holds `text` somewhere.
bool Shows(emu::CMachine_Korvet& machine, const char* text) {
    emu::CVideo_Korvet* video = machine.GetVideo();
    std::string screen;
    for (int32_t i = 0; i < emu::CVideo_Korvet::kTextCells; ++i)
        screen.push_back(static_cast<char>(video->GetTextCell(i) & 0xFF));
    return screen.find(text) != std::string::npos;
}

void RunTo(emu::CProcessor_I8080* cpu, uint64_t end) {
    while (cpu->GetCycleCount() < end) {
        const int32_t counter = cpu->GetCyclesToEvent();
        const int32_t used = cpu->Execute(counter < kSlice ? counter : kSlice);
        if (cpu->DebitCyclesToEvent(used) <= 0)
            cpu->RunDueEvents();
    }
}

void BM_Korvet20BootAndIdle(benchmark::State& state) {
    // The ROM beside a scratch program, the disk image as shipped (read only).
    const std::filesystem::path folder = std::filesystem::temp_directory_path() / "korvet-bench";
    std::filesystem::create_directories(folder);
    std::error_code error;
    std::filesystem::copy_file(SharedData() + "roms/korvet20.rom", folder / "korvet20.rom",
                               std::filesystem::copy_options::overwrite_existing, error);
    if (error) {
        state.SkipWithError("korvet20.rom not found");
        return;
    }
    common::SetModulePathOverride(Wide((folder / "emu.exe").string()));
    common::SetDataFolderOverride(Wide((folder / "appdata").string() + "/"));
    common::ResetAppFolders();

    double seconds = 0.0;
    double promptSeconds = 0.0;
    for (auto _ : state) {
        common::CTextConsole console;
        korvettest::CSilentSoundOutput sound;
        videotest::CRowRenderer renderer;
        std::unique_ptr<emu::CMachine_Korvet> machine(
            emu::CMachine_Korvet::CreateModel(emu::CMachine_Korvet::kModelKorvet20));
        machine->SetConsole(&console);
        machine->SetSoundOutput(&sound);
        machine->AttachHost(&renderer);
        int32_t rate = 4900;
        bool ready = machine->Build();
        emu::CMediaSlot* slot =
            ready ? machine->GetDrivesService()->GetKindSlot(emu::CDrivesInterface::kFloppy, 0) : nullptr;
        ready = slot != nullptr && slot->Open(common::CPath(Wide(SharedData() + "disks/system.kdi").c_str()));
        if (ready) {
            machine->GetBusService()->SetRegistering(true);
            ready = machine->Start(&rate);
            machine->GetBusService()->SetRegistering(false);
        }
        if (!ready) {
            state.SkipWithError("the machine did not start");
            machine->AttachHost(nullptr);
            break;
        }
        machine->SetSoundRate(rate);
        emu::CProcessor_I8080* cpu = machine->GetCpu();
        cpu->StartEvents();

        const auto begin = std::chrono::steady_clock::now();
        // Frame by frame to the prompt, then straight on to the end.
        while (!Shows(*machine, "A>") && cpu->GetCycleCount() < kIdleEnd)
            RunTo(cpu, cpu->GetCycleCount() + kSlice);
        promptSeconds = static_cast<double>(cpu->GetCycleCount()) / kSecond;
        const bool prompt = Shows(*machine, "A>");
        RunTo(cpu, kIdleEnd);
        seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count();

        machine->Stop();
        machine->AttachHost(nullptr);
        if (!prompt) {
            state.SkipWithError("no prompt within 60 emulated seconds");
            break;
        }
    }
    common::ClearModulePathOverride();
    common::ClearDataFolderOverride();
    common::ResetAppFolders();
    if (seconds <= 0.0)
        return;
    const double speed = static_cast<double>(kIdleEnd) / kSecond * static_cast<double>(state.iterations()) / seconds;
    state.counters["times_real_time"] = speed;
    state.counters["prompt_at_s"] = promptSeconds;
    char label[64];
    std::snprintf(label, sizeof(label), "%.0f emulated s per host s", speed);
    state.SetLabel(label);
}

} // namespace

BENCHMARK(BM_Korvet20BootAndIdle)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();
