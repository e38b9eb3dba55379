#pragma once
// Shared helpers of the Korvet machine tests: a silent sound output for the
// speaker channel, a scratch program folder holding copies of the shared ROM
// images, and a rig that builds, powers on and runs one machine the way the
// emulator core does (bus registration around the start, the bus tick on the
// processor, slices up to the next event).
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "common/CMemoryStream.h"
#include "common/CStreamHolder.h"
#include "common/CTextConsole.h"
#include "emu/chips/CProcessor_I8080.h"
#include "emu/framework/CBus.h"
#include "emu/framework/CDrives.h"
#include "emu/framework/CMediaSlot.h"
#include "emu/framework/CMemory.h"
#include "emu/framework/MachineTestSupport.h"
#include "emu/framework/VideoTestSupport.h"
#include "emu/host/CSoundOutput.h"
#include "emu/korvet/CMachine_Korvet.h"

namespace korvettest {

typedef std::vector<uint8_t> Bytes;

inline const std::string& SharedData() {
    static const std::string s_folder = std::string(KORVET_SHARED_DATA) + "/";
    return s_folder;
}

inline Bytes ReadFile(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

inline void WriteFile(const std::string& path, const Bytes& bytes) {
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

// A sound output that opens and takes every block without playing it.
class CSilentSoundOutput : public emu::CSoundOutput {
public:
    emu::CSoundOutput* CreateInstance() override { return new CSilentSoundOutput(); }
    bool Open(uint32_t rate, uint32_t /*bits*/, uint32_t blocks) override {
        m_samples.assign(blocks != 0 ? rate / blocks : 0, kNoSample);
        return !m_samples.empty();
    }
    void Silence() override {}
    int32_t* NextStagingBuffer(uint32_t* count, int32_t* low, int32_t* high) override {
        *count = static_cast<uint32_t>(m_samples.size());
        *low = 0;
        *high = 255;
        return m_samples.data();
    }
    void QueueStagingBuffer() override {
        for (int32_t& sample : m_samples)
            sample = kNoSample;
    }

private:
    std::vector<int32_t> m_samples;
};

// One Korvet machine of a model in a scratch program folder, with its console,
// a silent sound output and a renderer with pixel rows.
class CKorvetRig {
public:
    explicit CKorvetRig(uint32_t model) : m_location(false) {
        m_machine.reset(emu::CMachine_Korvet::CreateModel(model));
        m_machine->SetConsole(&m_console);
        m_machine->SetSoundOutput(&m_sound);
        m_machine->AttachHost(&m_renderer);
    }
    ~CKorvetRig() {
        if (m_machine->IsStarted())
            m_machine->Stop();
        m_machine->AttachHost(nullptr);
        m_machine.reset();
    }
    CKorvetRig(const CKorvetRig&) = delete;
    CKorvetRig& operator=(const CKorvetRig&) = delete;

    // A copy of a shared ROM image in the program folder, under `name`.
    void InstallRom(const std::string& shared, const std::string& name) {
        WriteFile(m_location.ProgramFolder() + name, ReadFile(SharedData() + "roms/" + shared));
    }
    // The file in the program folder with the given bytes.
    void InstallFile(const std::string& name, const Bytes& bytes) {
        WriteFile(m_location.ProgramFolder() + name, bytes);
    }
    // The standard ROM of the machine's model.
    void InstallModelRom() {
        switch (m_machine->GetModel()) {
        case emu::CMachine_Korvet::kModelKorvet11:
            InstallRom("korvet11.rom", "korvet11.rom");
            break;
        case emu::CMachine_Korvet::kModelKorvet20:
            InstallRom("korvet20.rom", "korvet20.rom");
            break;
        case emu::CMachine_Korvet::kModelKontur20:
            InstallRom("kontur.rom", "kontur.rom");
            break;
        default:
            break;
        }
    }
    // A writable disk image in the scratch folder; its path.
    std::string MakeImage(const std::string& name, const Bytes& bytes) {
        const std::string path = m_location.Base() + "disks/" + name;
        WriteFile(path, bytes);
        return path;
    }
    // Mounts an image in floppy drive `index`.
    bool Mount(int index, const std::string& path) {
        emu::CMediaSlot* slot = FloppySlot(index);
        return slot != nullptr && slot->Open(common::CPath(machinetest::Wide(path).c_str()));
    }
    emu::CMediaSlot* FloppySlot(int index) {
        return m_machine->GetDrivesService()->GetKindSlot(emu::CDrivesInterface::kFloppy, index);
    }

    bool Build() { return m_machine->Build(); }
    // As the core powers a machine on: registration around the start, then
    // the bus tick on the processor and the processor's events.
    bool PowerOn(int32_t rate = 4900) {
        m_rate = rate;
        m_machine->GetBusService()->SetRegistering(true);
        const bool started = m_machine->Start(&m_rate);
        m_machine->GetBusService()->SetRegistering(false);
        if (!started)
            return false;
        m_machine->SetSoundRate(m_rate);
        m_machine->GetCpu()->StartEvents();
        return true;
    }
    bool BuildAndPowerOn() { return Build() && PowerOn(); }

    // Runs slices as the run loop does until `cycles` more cycles have passed.
    void Run(uint64_t cycles) {
        emu::CProcessor_I8080* cpu = m_machine->GetCpu();
        const uint64_t end = cpu->GetCycleCount() + cycles;
        while (cpu->GetCycleCount() < end) {
            const int32_t counter = cpu->GetCyclesToEvent();
            const int32_t used = cpu->Execute(counter < kSlice ? counter : kSlice);
            if (cpu->DebitCyclesToEvent(used) <= 0)
                cpu->RunDueEvents();
        }
    }

    // Processor-side accesses through the memory service (the mapped handlers).
    uint8_t Read(uint16_t address) { return m_machine->GetMemoryService()->ReadByte(address, 0); }
    uint8_t Peek(uint16_t address) { return m_machine->GetMemoryService()->ReadByte(address, 1); }
    void Write(uint16_t address, uint8_t value) { m_machine->GetMemoryService()->WriteByte(address, value); }
    uint8_t* Ram() { return m_machine->GetMemoryService()->GetRamBase(); }

    // The drives' activity lamps are cleared first: they are no machine state
    // (a restored slot lights its read lamp).
    Bytes Save() {
        m_machine->GetDrivesService()->ClearActivity();
        common::CMemoryStream stream;
        stream.Create(0, -1);
        common::CStreamHolder holder(&stream);
        EXPECT_TRUE(m_machine->SaveState(holder));
        return Bytes(stream.GetBuffer(), stream.GetBuffer() + stream.GetSize());
    }
    bool Load(const Bytes& bytes) {
        common::CMemoryStream stream;
        stream.Create(0, -1);
        stream.Write(bytes.data(), static_cast<int64_t>(bytes.size()));
        stream.Seek(0);
        common::CStreamHolder holder(&stream);
        common::CNarrowString error;
        return m_machine->LoadState(holder, &error);
    }

    // The console lines since the last call ("!" before an error line).
    std::vector<std::string> TakeLines() {
        std::vector<std::string> lines = machinetest::ConsoleLines(m_console);
        m_console.Clear();
        return lines;
    }

    emu::CMachine_Korvet& Machine() { return *m_machine; }
    const std::string& ProgramFolder() const { return m_location.ProgramFolder(); }
    int32_t Rate() const { return m_rate; }
    videotest::CRowRenderer& Renderer() { return m_renderer; }

private:
    static constexpr int32_t kSlice = 50000;

    machinetest::CProgramLocation m_location;
    common::CTextConsole m_console;
    CSilentSoundOutput m_sound;
    videotest::CRowRenderer m_renderer;
    std::unique_ptr<emu::CMachine_Korvet> m_machine;
    int32_t m_rate = 0;
};

} // namespace korvettest
