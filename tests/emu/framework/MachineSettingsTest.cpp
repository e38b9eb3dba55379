#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "MachineTestSupport.h"
#include "common/CMemoryStream.h"
#include "common/CSettingsRegistry.h"
#include "common/CStreamHolder.h"
#include "emu/framework/CDrives.h"
#include "emu/framework/FrameworkTestSupport.h"

using machinetest::CProgramLocation;
using machinetest::CRecordingDevice;
using machinetest::CTestComputer;
using test::Bytes;
using test::CTestStream;

namespace {

// A computer of the family with a device "VIDEO" (property "Mode") and a
// disabled device "SPARE" (property "Mode" as well).
struct CSettingsComputer {
    explicit CSettingsComputer(const char* configName = "korvet20") : computer(configName, "korvet") {
        EXPECT_TRUE(computer.Build());
        video = new CRecordingDevice();
        spare = new CRecordingDevice();
        EXPECT_TRUE(computer.AddDevice(video, "VIDEO", "VID"));
        EXPECT_TRUE(computer.AddDevice(spare, "SPARE", "SPR"));
        spare->SetEnabled(false);
    }
    CTestComputer computer;
    CRecordingDevice* video;
    CRecordingDevice* spare;
};

Bytes ReadFile(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

std::vector<std::string> UnsavedFiles(const emu::CComputer& computer) {
    std::vector<std::string> files;
    for (const common::CPath& file : computer.GetUnsavedSettingsFiles()) {
        common::CNarrowString narrow;
        narrow.AssignString(file);
        files.push_back(narrow.GetNarrow());
    }
    return files;
}

bool Exists(const std::string& path) {
    return std::filesystem::exists(path);
}

void AppendU64Field(Bytes& out, const std::string& name, uint64_t value) {
    out.push_back(0xF8);
    test::AppendName(out, name);
    out.push_back(0x07);
    for (int i = 0; i < 8; ++i)
        out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

void AppendBlobField(Bytes& out, const std::string& name, const Bytes& data) {
    out.push_back(0xF8);
    test::AppendName(out, name);
    out.push_back(0xC0);
    const uint32_t size = static_cast<uint32_t>(data.size());
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<uint8_t>(size >> (8 * i)));
    out.insert(out.end(), data.begin(), data.end());
}

// A snapshot chunk with the given size field and, when data is given, a DATA field.
Bytes MakeSnapshot(uint64_t size, const Bytes* data, const std::string& name = "_EMUINIT") {
    Bytes out;
    test::AppendBegin(out, name);
    AppendU64Field(out, "SIZE", size);
    if (data != nullptr)
        AppendBlobField(out, "DATA", *data);
    test::AppendEnd(out, name);
    return out;
}

Bytes SaveSnapshot(emu::CComputer& computer) {
    CTestStream stream;
    common::CStreamHolder holder(&stream.Stream());
    EXPECT_TRUE(computer.SaveInitState(holder));
    return stream.GetBytes();
}

// Loads the snapshot; *changed starts as `initial` so that a load that leaves it alone shows.
bool LoadSnapshot(emu::CComputer& computer, const Bytes& bytes, bool* changed, bool initial = false) {
    CTestStream stream(bytes);
    common::CStreamHolder holder(&stream.Stream());
    *changed = initial;
    return computer.LoadInitState(holder, changed);
}

} // namespace

// --- Machine settings files ------------------------------------------------------

TEST(MachineSettings, FirstRunKeepsDefaultsAndTheFirstSaveCreatesTheFiles) {
    CProgramLocation location(true);
    CSettingsComputer machine;
    machine.video->m_mode = 4;
    EXPECT_FALSE(machine.computer.LoadSettings());
    EXPECT_EQ(4, machine.video->m_mode);
    EXPECT_FALSE(Exists(location.DataFolder()));

    ASSERT_TRUE(machine.computer.SaveSettings());
    const std::string ini = location.DataFolder() + "settings/korvet.ini";
    EXPECT_TRUE(Exists(ini));
    EXPECT_TRUE(Exists(location.DataFolder() + "settings/korvet.drv"));
    const Bytes bytes = ReadFile(ini);
    ASSERT_GE(bytes.size(), 6u);
    EXPECT_EQ("NUVINI", std::string(bytes.begin(), bytes.begin() + 6));
    EXPECT_EQ(0xFF, bytes.back());
    // No temporary file is left behind.
    EXPECT_FALSE(Exists(ini + ".tmp"));
}

TEST(MachineSettings, SettingsRoundTripThroughTheFiles) {
    CProgramLocation location(false);
    std::string lastPath;
    {
        CSettingsComputer machine;
        machine.video->m_mode = 7;
        machine.spare->m_mode = 5; // disabled devices keep their settings too
        machine.computer.SetStretchScreen(false);
        lastPath = location.Base() + "images/";
        std::filesystem::create_directories(lastPath);
        machine.computer.GetDrivesService()->SetLastPath(common::CPath(lastPath.c_str()));
        ASSERT_TRUE(machine.computer.SaveSettings());
    }
    EXPECT_TRUE(Exists(location.ProgramFolder() + "settings/korvet.ini"));

    CSettingsComputer loaded;
    ASSERT_TRUE(loaded.computer.LoadSettings());
    EXPECT_EQ(7, loaded.video->m_mode);
    EXPECT_EQ(5, loaded.spare->m_mode);
    EXPECT_FALSE(loaded.computer.GetStretchScreen());
    EXPECT_EQ(lastPath, loaded.computer.GetDrivesService()->GetLastPath().GetNarrow());
}

TEST(MachineSettings, EveryModelOfTheFamilySharesTheFiles) {
    CProgramLocation location(false);
    CSettingsComputer korvet11("korvet11");
    korvet11.video->m_mode = 2;
    ASSERT_TRUE(korvet11.computer.SaveSettings());

    CSettingsComputer kontur20("kontur20");
    ASSERT_TRUE(kontur20.computer.LoadSettings());
    EXPECT_EQ(2, kontur20.video->m_mode);
}

TEST(MachineSettings, SettingsBesideTheProgramServeOnlyWhenTheDataFolderHasNone) {
    CProgramLocation location(true);
    CSettingsComputer writer;
    writer.video->m_mode = 1;
    ASSERT_TRUE(writer.computer.SaveSettings());
    std::filesystem::create_directories(location.ProgramFolder() + "settings");
    std::filesystem::copy_file(location.DataFolder() + "settings/korvet.ini",
                               location.ProgramFolder() + "settings/korvet.ini");
    writer.video->m_mode = 2;
    ASSERT_TRUE(writer.computer.SaveSettings());

    CSettingsComputer reader;
    ASSERT_TRUE(reader.computer.LoadSettings());
    EXPECT_EQ(2, reader.video->m_mode);
    std::filesystem::remove(location.DataFolder() + "settings/korvet.ini");
    ASSERT_TRUE(reader.computer.LoadSettings());
    EXPECT_EQ(1, reader.video->m_mode);
}

TEST(MachineSettings, AnotherFamilysSectionChangesNothing) {
    CProgramLocation location(false);
    uint8_t mode = 9;
    common::CSettingsRegistry root;
    auto* section = new common::CSettingsRegistry();
    section->BindUInt8(common::CNarrowString("Mode"), &mode);
    root.InsertChild(common::CNarrowString("other"), section);
    std::filesystem::create_directories(location.ProgramFolder() + "settings");
    ASSERT_TRUE(
        root.SaveToFile(common::CPath((location.ProgramFolder() + "settings/korvet.ini").c_str()), "NUVINI", nullptr));

    CSettingsComputer machine;
    EXPECT_TRUE(machine.computer.LoadSettings());
    EXPECT_EQ(0, machine.video->m_mode);
}

TEST(MachineSettings, DamagedFileFailsTheLoad) {
    CProgramLocation location(false);
    std::filesystem::create_directories(location.ProgramFolder() + "settings");
    std::ofstream(location.ProgramFolder() + "settings/korvet.ini", std::ios::binary) << "NUVXXX";
    CSettingsComputer machine;
    EXPECT_FALSE(machine.computer.LoadSettings());
}

TEST(MachineSettings, FailedExportKeepsTheLastGoodFile) {
    CProgramLocation location(false);
    CSettingsComputer machine;
    machine.video->m_mode = 6;
    ASSERT_TRUE(machine.computer.SaveSettings());
    const std::string ini = location.ProgramFolder() + "settings/korvet.ini";
    const Bytes good = ReadFile(ini);

    // Two devices of one name cannot be told apart in the tree: no export.
    ASSERT_TRUE(machine.computer.AddDevice(new CRecordingDevice(), "VIDEO", "V2"));
    machine.video->m_mode = 8;
    EXPECT_FALSE(machine.computer.SaveSettings());
    EXPECT_EQ(good, ReadFile(ini));
}

// A file that cannot be replaced (a folder stands in its place) fails the
// save and is named, whichever of the two it is; the other is still written.
TEST(MachineSettings, AFileThatCannotBeWrittenFailsTheSaveAndIsNamed) {
    for (const char* blocked : {"korvet.ini", "korvet.drv"}) {
        SCOPED_TRACE(blocked);
        CProgramLocation location(false);
        CSettingsComputer machine;
        ASSERT_TRUE(machine.computer.SaveSettings());
        EXPECT_TRUE(machine.computer.GetUnsavedSettingsFiles().empty());
        const std::string folder = location.ProgramFolder() + "settings/";
        std::filesystem::remove(folder + blocked);
        std::filesystem::create_directories(folder + blocked);
        EXPECT_FALSE(machine.computer.SaveSettings());
        EXPECT_EQ(std::vector<std::string>{folder + blocked}, UnsavedFiles(machine.computer));
        const char* other = blocked[7] == 'i' ? "korvet.drv" : "korvet.ini";
        EXPECT_FALSE(ReadFile(folder + other).empty());
    }
}

TEST(MachineSettings, BothFilesThatCannotBeWrittenAreNamed) {
    CProgramLocation location(false);
    CSettingsComputer machine;
    const std::string folder = location.ProgramFolder() + "settings/";
    std::filesystem::create_directories(folder + "korvet.drv");
    std::filesystem::create_directories(folder + "korvet.ini");
    EXPECT_FALSE(machine.computer.SaveSettings());
    EXPECT_EQ((std::vector<std::string>{folder + "korvet.drv", folder + "korvet.ini"}), UnsavedFiles(machine.computer));
}

// A save killed midway leaves "<file>.tmp" beside each file; the next start
// (the load of the settings) removes them and keeps the files themselves.
TEST(MachineSettings, TemporariesOfAKilledSaveGoAtTheNextStart) {
    CProgramLocation location(false);
    CSettingsComputer machine;
    ASSERT_TRUE(machine.computer.SaveSettings());
    const std::string folder = location.ProgramFolder() + "settings/";
    for (const char* name : {"korvet.ini.tmp", "korvet.drv.tmp"})
        std::ofstream(folder + name, std::ios::binary) << "NUVI";
    EXPECT_TRUE(machine.computer.LoadSettings());
    EXPECT_FALSE(Exists(folder + "korvet.ini.tmp"));
    EXPECT_FALSE(Exists(folder + "korvet.drv.tmp"));
    EXPECT_TRUE(Exists(folder + "korvet.ini"));
    EXPECT_TRUE(Exists(folder + "korvet.drv"));
}

TEST(MachineSettings, ComputerWithoutModelNamesHasNoSettingsFile) {
    CProgramLocation location(false);
    emu::CComputer computer;
    ASSERT_TRUE(computer.Build());
    EXPECT_FALSE(computer.SaveSettings());
    EXPECT_FALSE(computer.LoadSettings());
    EXPECT_FALSE(Exists(location.ProgramFolder() + "settings/.ini"));
}

// --- Configuration snapshot ----------------------------------------------------------

TEST(InitSnapshot, ChunkHoldsTheEnabledDevicesTree) {
    CSettingsComputer machine;
    machine.video->m_mode = 3;
    const Bytes bytes = SaveSnapshot(machine.computer);

    Bytes head;
    test::AppendBegin(head, "_EMUINIT");
    ASSERT_GT(bytes.size(), head.size() + 21);
    EXPECT_EQ(head, Bytes(bytes.begin(), bytes.begin() + head.size()));
    Bytes tail;
    test::AppendEnd(tail, "_EMUINIT");
    EXPECT_EQ(tail, Bytes(bytes.end() - tail.size(), bytes.end()));

    // DATA is the body of a registry with one section "korvet".
    const auto has = [&bytes](const std::string& text) {
        return std::search(bytes.begin(), bytes.end(), text.begin(), text.end()) != bytes.end();
    };
    EXPECT_TRUE(has("korvet"));
    EXPECT_TRUE(has("VIDEO"));
    EXPECT_FALSE(has("SPARE"));
    EXPECT_FALSE(has("StretchScreen"));
}

TEST(InitSnapshot, ReportsWhetherTheConfigurationDiffers) {
    CSettingsComputer machine;
    machine.video->m_mode = 3;
    const Bytes bytes = SaveSnapshot(machine.computer);
    bool changed = true;

    ASSERT_TRUE(LoadSnapshot(machine.computer, bytes, &changed, true));
    EXPECT_FALSE(changed);

    machine.computer.SetStretchScreen(false); // a host preference, not configuration
    ASSERT_TRUE(LoadSnapshot(machine.computer, bytes, &changed, true));
    EXPECT_FALSE(changed);

    machine.video->m_mode = 4;
    ASSERT_TRUE(LoadSnapshot(machine.computer, bytes, &changed));
    EXPECT_TRUE(changed);
    EXPECT_EQ(3, machine.video->m_mode);
}

TEST(InitSnapshot, MalformedChunksAreRefused) {
    CSettingsComputer machine;
    const Bytes good = SaveSnapshot(machine.computer);
    const Bytes tiny = {0x00, 0x00, 0x00, 0x00, 0xFF};
    const Bytes garbage = {0x00, 0x00, 0x00, 0x00, 0x42, 0x42};

    struct Case {
        const char* what;
        Bytes bytes;
        bool loads;
        bool changed;
    };
    Bytes cut = good;
    cut.resize(cut.size() - 2);
    const Case cases[] = {
        {"size 0 without data", MakeSnapshot(0, nullptr), true, false},
        {"a valid empty body", MakeSnapshot(tiny.size(), &tiny), true, false},
        {"a body that does not parse", MakeSnapshot(garbage.size(), &garbage), true, true},
        {"size of 2^32", MakeSnapshot(0x100000000ull, nullptr), false, true},
        {"size beyond the stream", MakeSnapshot(0xFFFFFFF0ull, nullptr), false, true},
        {"data shorter than the size", MakeSnapshot(tiny.size() + 1, &tiny), false, true},
        {"another chunk name", MakeSnapshot(0, nullptr, "_EMUINIX"), false, true},
        {"a truncated end", cut, false, false},
    };
    for (const Case& c : cases) {
        bool changed = true; // a refused chunk may leave it as it was
        EXPECT_EQ(c.loads, LoadSnapshot(machine.computer, c.bytes, &changed, true)) << c.what;
        if (c.loads) {
            EXPECT_EQ(c.changed, changed) << c.what;
        }
    }
    // A chunk refused before its size leaves the flag alone.
    bool changed = true;
    EXPECT_FALSE(LoadSnapshot(machine.computer, MakeSnapshot(0, nullptr, "_OTHER"), &changed, true));
    EXPECT_TRUE(changed);
}
