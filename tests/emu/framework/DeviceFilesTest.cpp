#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "MachineTestSupport.h"
#include "common/CFileStream.h"
#include "common/CTextConsole.h"
#include "emu/framework/CMemory.h"

using machinetest::CProgramLocation;
using machinetest::CRecordingDevice;
using machinetest::CTestComputer;

namespace {

typedef std::vector<uint8_t> Bytes;
typedef std::vector<std::string> Lines;

const std::string kRoms = std::string(KORVET_SHARED_DATA) + "/roms/";

Bytes ReadFile(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

void WriteFile(const std::string& path, const Bytes& bytes) {
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    std::ofstream file(path, std::ios::binary);
    file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

// Copies one of the shared ROM images (read in place, never changed) to the
// path as a plain writable file, so that the scratch folder can be emptied.
void CopyRom(const std::string& rom, const std::string& path) {
    WriteFile(path, ReadFile(kRoms + rom));
}

// A running Korvet 2.0 computer with 64 KB of memory and a device that loads
// files, its log lines on a console.
class DeviceFiles : public ::testing::Test {
protected:
    void Start(bool programFiles) {
        m_location.reset(new CProgramLocation(programFiles));
        m_computer.SetConsole(&m_console);
        ASSERT_TRUE(m_computer.Build());
        m_device = new CRecordingDevice();
        ASSERT_TRUE(m_computer.AddDevice(m_device, "ROM", "ROM"));
        int32_t rate = 4900;
        ASSERT_TRUE(m_computer.Start(&rate));
        ASSERT_TRUE(m_computer.GetMemoryService()->Allocate(0x10000, 0, 0));
        m_console.Clear();
    }
    void TearDown() override {
        m_computer.Stop();
        m_location.reset();
    }

    const std::string& Program() const { return m_location->ProgramFolder(); }
    // The lines logged since the last call.
    Lines TakeLines() {
        Lines lines = machinetest::ConsoleLines(m_console);
        m_console.Clear();
        return lines;
    }
    // The path FindFile gives, relative to the program folder; "" for none.
    std::string Found(emu::CDevice* device, const char* name) {
        common::CPath path("stale");
        if (!device->FindFile(common::CPath(name), path)) {
            EXPECT_TRUE(path.IsEmpty());
            return "";
        }
        std::string text = path.GetNarrow();
        if (text.compare(0, Program().size(), Program()) == 0)
            text.erase(0, Program().size());
        return text;
    }
    Bytes Memory(uint32_t address, uint32_t count) {
        const uint8_t* ram = m_computer.GetMemoryService()->GetRamBase() + address;
        return Bytes(ram, ram + count);
    }

    std::unique_ptr<CProgramLocation> m_location;
    common::CTextConsole m_console;
    CTestComputer m_computer;
    CRecordingDevice* m_device = nullptr;
};

} // namespace

TEST_F(DeviceFiles, SearchTriesConfigurationModelConfigsThenTheFolder) {
    Start(false);
    // Placed in every candidate folder, the first one wins; removed from it, the next.
    const char* folders[] = {"configs/korvet20/", "configs/korvet/", "configs/", ""};
    for (const char* folder : folders)
        CopyRom("kontur.rom", Program() + folder + "x.rom");
    for (const char* folder : folders) {
        EXPECT_EQ(std::string(folder) + "x.rom", Found(m_device, "x.rom"));
        std::filesystem::remove(Program() + folder + "x.rom");
    }
    EXPECT_EQ("", Found(m_device, "x.rom"));
    EXPECT_EQ("", Found(m_device, ""));
    EXPECT_TRUE(TakeLines().empty()); // the search itself logs nothing
}

TEST_F(DeviceFiles, WritableFolderIsSearchedAfterTheProgramFolder) {
    Start(true);
    const std::string data = m_location->DataFolder();
    EXPECT_EQ("", Found(m_device, "x.rom")); // no writable folder yet: nothing found, nothing made
    EXPECT_FALSE(std::filesystem::exists(data));

    CopyRom("kontur.rom", data + "configs/korvet/x.rom");
    EXPECT_EQ(data + "configs/korvet/x.rom", Found(m_device, "x.rom"));
    CopyRom("kontur.rom", Program() + "x.rom");
    EXPECT_EQ("x.rom", Found(m_device, "x.rom"));
}

TEST_F(DeviceFiles, DeviceOutsideAComputerSearchesWithoutModelNames) {
    Start(false);
    CopyRom("kontur.rom", Program() + "configs/korvet20/only-model.rom");
    CopyRom("kontur.rom", Program() + "configs/plain.rom");

    emu::CDevice loose; // no machine at all
    EXPECT_EQ("", Found(&loose, "only-model.rom"));
    EXPECT_EQ("configs/plain.rom", Found(&loose, "plain.rom"));

    emu::CMachine machine; // a machine that is not a computer
    auto* device = new CRecordingDevice();
    ASSERT_TRUE(machine.Build());
    ASSERT_TRUE(machine.AddDevice(device, "DEV", "DEV"));
    int32_t rate = 4900;
    ASSERT_TRUE(machine.Start(&rate));
    EXPECT_EQ(&machine, device->GetMachine());
    EXPECT_EQ("configs/plain.rom", Found(device, "plain.rom"));
    EXPECT_EQ("", Found(device, "only-model.rom"));
    machine.Stop();

    EXPECT_EQ("configs/korvet20/only-model.rom", Found(m_device, "only-model.rom"));
}

TEST_F(DeviceFiles, RealRomLoadsIntoMemoryWithItsLogLine) {
    Start(false);
    CopyRom("korvet20.rom", Program() + "configs/korvet20/korvet20.rom");
    const Bytes rom = ReadFile(kRoms + "korvet20.rom");
    ASSERT_EQ(24578u, rom.size());

    EXPECT_EQ(1, m_device->LoadFileToMemory(0x2000, 0, 0x8000, "ROM", "korvet20.rom"));
    EXPECT_EQ(rom, Memory(0x2000, static_cast<uint32_t>(rom.size())));
    const Lines loaded = {"[INIT] File \"korvet20.rom\" loaded to memory at position 2000h (ROM)"};
    EXPECT_EQ(loaded, TakeLines());

    EXPECT_EQ(24578, m_device->LoadFileToMemoryAt(0, 0, 0, "ROM", "korvet20.rom"));
    TakeLines();

    // Files from different models stay apart.
    CopyRom("korvet11.rom", Program() + "configs/korvet11.rom");
    EXPECT_EQ(2, m_device->LoadFileToMemory(0, 0, 0, "ROM", "missing.rom", "korvet11.rom"));
    EXPECT_EQ(ReadFile(kRoms + "korvet11.rom"), Memory(0, 24576));
}

TEST_F(DeviceFiles, EmptyOrMissingNamesFallThroughToTheNext) {
    Start(false);
    WriteFile(Program() + "empty.rom", Bytes());
    CopyRom("kontur.rom", Program() + "kontur.rom");
    common::CFileStream stream;
    EXPECT_EQ(2, m_device->FindFileLogged(stream, "ROM", "empty.rom", "kontur.rom", "", "", "", true));
    EXPECT_TRUE(stream.IsOpen());
    EXPECT_EQ(0, stream.GetPosition());
    EXPECT_EQ(8192, stream.GetSize());
    const Lines loaded = {"[INIT] Loaded file \"kontur.rom\" (ROM)"};
    EXPECT_EQ(loaded, TakeLines());

    EXPECT_EQ(0, m_device->FindFileLogged(stream, "ROM", "", "kontur.rom", "", "", "", true));
    EXPECT_FALSE(stream.IsOpen());
    EXPECT_TRUE(TakeLines().empty());

    struct Case {
        const char* names[5];
        Lines lines;
    };
    const Case cases[] = {
        {{"a.rom", "", "", "", ""}, {"![ERROR] File \"a.rom\" (ROM) not found!"}},
        {{"a.rom", "b.rom", "", "", ""},
         {"![ERROR] No one of files found (ROM): ", "!   \"a.rom\" or ", "!   \"b.rom\""}},
        {{"a.rom", "b.rom", "c.rom", "d.rom", "e.rom"},
         {"![ERROR] No one of files found (ROM): ", "!   \"a.rom\" or ", "!   \"b.rom\" or ", "!   \"c.rom\" or ",
          "!   \"d.rom\" or ", "!   \"e.rom\""}},
        // The list ends at the first empty name.
        {{"a.rom", "b.rom", "", "kontur.rom", ""},
         {"![ERROR] No one of files found (ROM): ", "!   \"a.rom\" or ", "!   \"b.rom\""}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(
            0, m_device->LoadFileToMemory(0, 0, 0, "ROM", c.names[0], c.names[1], c.names[2], c.names[3], c.names[4]));
        EXPECT_EQ(c.lines, TakeLines()) << c.names[0] << " " << c.names[1];
    }
}

TEST_F(DeviceFiles, SizeLimitsAreChecked) {
    Start(false);
    WriteFile(Program() + "big.rom", Bytes(32769, 0x55));
    CopyRom("kontur.rom", Program() + "kontur.rom");

    EXPECT_EQ(0, m_device->LoadFileToMemory(0, 0, 32768, "ROM", "big.rom"));
    const Lines big = {"![ERROR] File \"big.rom\" is too big to be loaded (>32768)!"};
    EXPECT_EQ(big, TakeLines());
    EXPECT_EQ(Bytes(16, 0), Memory(0, 16)); // nothing copied

    EXPECT_EQ(0, m_device->LoadFileToMemoryAt(0, 16384, 0, "ROM", "kontur.rom"));
    const Lines small = {"![ERROR] File \"kontur.rom\" is too small to be loaded (<16384)!"};
    EXPECT_EQ(small, TakeLines());

    EXPECT_EQ(1, m_device->LoadFileToMemory(0, 0, 32769, "ROM", "big.rom")); // limits are inclusive
    EXPECT_EQ(1, m_device->LoadFileToMemory(0, 8192, 8192, "ROM", "kontur.rom"));
}

TEST_F(DeviceFiles, MemoryEndRefusesOrCutsTheFile) {
    Start(false);
    CopyRom("kontur.rom", Program() + "kontur.rom");
    const Bytes rom = ReadFile(kRoms + "kontur.rom");

    EXPECT_EQ(0, m_device->LoadFileToMemory(0x10000, 0, 0, "BIOS", "kontur.rom"));
    const Lines refused = {"![ERROR] Can not load file \"kontur.rom\" to memory at position 10000h (BIOS)!"};
    EXPECT_EQ(refused, TakeLines());

    // Crossing the end: cut there and reported as loaded.
    EXPECT_EQ(1, m_device->LoadFileToMemory(0xF000, 0, 0, "BIOS", "kontur.rom"));
    EXPECT_EQ(Bytes(rom.begin(), rom.begin() + 0x1000), Memory(0xF000, 0x1000));
    const Lines cut = {"[INIT] File \"kontur.rom\" loaded to memory at position F000h (BIOS)"};
    EXPECT_EQ(cut, TakeLines());

    // A device without the memory service cannot load.
    emu::CDevice loose;
    EXPECT_EQ(0, loose.LoadFileToMemory(0, 0, 0, "BIOS", "kontur.rom"));
}

TEST_F(DeviceFiles, FindAndLoadPlacesTheFileBelowTheEnd) {
    Start(false);
    CopyRom("kontur.rom", Program() + "kontur.rom");
    EXPECT_EQ(1, m_device->FindAndLoadFile(0x10000, 0, 0, "ROM", "kontur.rom"));
    EXPECT_EQ(ReadFile(kRoms + "kontur.rom"), Memory(0xE000, 0x2000));
    const Lines loaded = {"[INIT] File \"kontur.rom\" loaded to memory at position E000h (ROM)"};
    EXPECT_EQ(loaded, TakeLines());

    EXPECT_EQ(0, m_device->FindAndLoadFile(0x1000, 0, 0, "ROM", "kontur.rom")); // larger than the end
    EXPECT_TRUE(TakeLines().empty());
}

TEST_F(DeviceFiles, InterleavedFilesShareOneArea) {
    Start(false);
    WriteFile(Program() + "even.bin", {1, 3, 5, 7});
    WriteFile(Program() + "odd.bin", {2, 4, 6, 8});
    WriteFile(Program() + "odd5.bin", {2, 4, 6, 8, 10});

    EXPECT_TRUE(m_device->LoadInterleavedFiles(0x100, "FONT", "even.bin", "odd.bin", "", ""));
    EXPECT_EQ(Bytes({1, 2, 3, 4, 5, 6, 7, 8}), Memory(0x100, 8));
    const Lines loaded = {"[INIT] Files \"even.bin\" and \"odd.bin\" loaded to memory at position 100h (FONT)"};
    EXPECT_EQ(loaded, TakeLines());

    // The alternative is used, the messages keep the primary names.
    EXPECT_FALSE(m_device->LoadInterleavedFiles(0x200, "FONT", "missing.bin", "odd5.bin", "even.bin", ""));
    const Lines unequal = {"![ERROR] Files \"missing.bin\" and \"odd5.bin\" should have equal sizes!"};
    EXPECT_EQ(unequal, TakeLines());
    EXPECT_EQ(Bytes(10, 0), Memory(0x200, 10));

    EXPECT_FALSE(m_device->LoadInterleavedFiles(0x10000, "FONT", "even.bin", "odd.bin", "", ""));
    const Lines refused = {"![ERROR] Can not load file \"even.bin\" to memory at position 10000h (FONT)!"};
    EXPECT_EQ(refused, TakeLines());
}
