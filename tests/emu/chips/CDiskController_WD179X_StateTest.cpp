#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "FloppyTestSupport.h"
#include "common/CSettingsRegistry.h"
#include "emu/framework/COptionTree.h"
#include "emu/framework/FrameworkTestSupport.h"

using floppytest::Bytes;
using floppytest::CFloppyRig;
using floppytest::kCommand;
using floppytest::kData;
using floppytest::kDrive;
using floppytest::kSector;
using floppytest::kStatus;
using floppytest::kSystemSectorSize;
typedef emu::CDiskController_WD179X WD179X;

namespace {

class WD179XStateTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_folder = test::MakeMediaFolder();
        m_image = floppytest::CopySystemDisk(m_folder);
    }

    std::string m_folder;
    std::string m_image;
};

TEST_F(WD179XStateTest, AStateTakenMidTransferContinuesTheSame) {
    CFloppyRig rig;
    ASSERT_TRUE(rig.Mount(0, m_image));
    ASSERT_TRUE(rig.Start());
    rig.Select(0, 1);
    rig.Seek(12);
    rig.Out(kSector, 3);
    rig.Out(kCommand, 0x90);
    rig.ReadBytes(700);
    const Bytes fdc = disktest::SaveData(*rig.controller);
    const Bytes drive = disktest::SaveData(*rig.Drive(0));
    const Bytes rest = rig.ReadBytes(3 * kSystemSectorSize - 700);
    EXPECT_EQ(0x20, rig.In(kStatus));

    ASSERT_TRUE(disktest::LoadData(*rig.Drive(0), drive));
    ASSERT_TRUE(disktest::LoadData(*rig.controller, fdc));
    EXPECT_EQ(fdc, disktest::SaveData(*rig.controller));
    EXPECT_EQ(drive, disktest::SaveData(*rig.Drive(0)));
    EXPECT_EQ(WD179X::CommandState::Reading, rig.controller->GetCommandState());
    EXPECT_EQ(rest, rig.ReadBytes(3 * kSystemSectorSize - 700));
    EXPECT_EQ(0x20, rig.In(kStatus));
}

TEST_F(WD179XStateTest, TheSelectedDriveIsSavedByIndexAndChecked) {
    CFloppyRig rig;
    ASSERT_TRUE(rig.Mount(2, m_image));
    ASSERT_TRUE(rig.Start());
    rig.Select(2);
    ASSERT_EQ(2, rig.controller->GetSelectedIndex());
    rig.Out(kCommand, 0xC4);
    const Bytes saved = disktest::SaveData(*rig.controller);

    Bytes expected;
    test::AppendDeviceData(expected);
    test::AppendU8Field(expected, "VER", 1);
    test::AppendU8Field(expected, "DIDX", 3);
    test::AppendU8Field(expected, "WMOD", 0);
    ASSERT_LT(expected.size(), saved.size());
    EXPECT_EQ(expected, Bytes(saved.begin(), saved.begin() + static_cast<std::ptrdiff_t>(expected.size())));

    struct {
        const char* field;
        Bytes value;
        bool loads;
    } const rows[] = {
        {"DIDX", {5}, false}, // beyond the four drives
        {"DIDX", {4}, true},  // drive 3
        {"DIDX", {0}, true},  // none
        {"WMOD", {4}, false}, // no such command state
        {"VER", {2}, false},  // another version (the controller's, after "_DEV"'s)
    };
    for (const auto& row : rows) {
        Bytes bytes = saved;
        if (std::string(row.field) == "VER") {
            // The third "VER" of the data is the controller's own.
            size_t found = 0;
            for (size_t i = 0; i + 9 < bytes.size(); ++i) {
                if (bytes[i] == 0xF8 && bytes[i + 3] == 3 && bytes[i + 5] == 'V' && bytes[i + 6] == 'E' &&
                    bytes[i + 7] == 'R' && ++found == 3) {
                    bytes[i + 9] = row.value[0];
                    break;
                }
            }
            ASSERT_EQ(3u, found);
        } else {
            ASSERT_TRUE(disktest::PatchField(bytes, row.field, row.value)) << row.field;
        }
        EXPECT_EQ(row.loads, disktest::LoadData(*rig.controller, bytes)) << row.field << int(row.value[0]);
    }
    ASSERT_TRUE(disktest::LoadData(*rig.controller, saved));
    EXPECT_EQ(2, rig.controller->GetSelectedIndex());
    EXPECT_EQ(0xC4, rig.controller->GetCommand());
    EXPECT_EQ(saved, disktest::SaveData(*rig.controller));
}

TEST_F(WD179XStateTest, AMultiSectorReadFromBeyondTheTrackStillEnds) {
    CFloppyRig rig;
    ASSERT_TRUE(rig.Mount(0, m_image));
    ASSERT_TRUE(rig.Start());
    rig.Select(0);
    Bytes bytes = disktest::SaveData(*rig.controller);
    ASSERT_TRUE(disktest::PatchField(bytes, "SECR", disktest::LittleEndian(9, 4)));
    ASSERT_TRUE(disktest::LoadData(*rig.controller, bytes));
    rig.Out(kCommand, 0x90);
    EXPECT_EQ(1, rig.controller->GetSectorsToDo());
    rig.ReadBytes(kSystemSectorSize);
    EXPECT_EQ(0x20, rig.In(kStatus));
}

TEST_F(WD179XStateTest, SettingsKeysBindEveryFlag) {
    CFloppyRig rig;
    common::CSettingsRegistry registry;
    EXPECT_TRUE(rig.controller->CollectProperties(&registry, false));
    int found = 0;
    for (const char* name : {"TraceReadREG", "BreakReadREG", "TraceWriteREG", "BreakWriteREG"}) {
        for (int i = 0; i < 7; ++i) {
            const std::string key = std::string(name) + "[" + std::to_string(i) + "]";
            found += registry.FindValue(common::CNarrowString(key.c_str())) != nullptr;
        }
    }
    EXPECT_EQ(28, found);
    common::CSettingsRegistry enabledOnly;
    rig.controller->CollectProperties(&enabledOnly, true);
    EXPECT_EQ(nullptr, enabledOnly.FindValue(common::CNarrowString("TraceWriteREG[3]")));
}

TEST_F(WD179XStateTest, ValidationClearsTheWideLayoutFlagsOutsideMode2) {
    for (int32_t mode : {0, 1, 2}) {
        CFloppyRig rig(mode);
        rig.controller->GetTraceWriteFlags()[6] = true;
        rig.controller->GetBreakReadFlags()[5] = true;
        rig.controller->GetTraceReadFlags()[4] = true;
        rig.controller->ValidateProperties(false);
        EXPECT_EQ(mode == 2, rig.controller->GetTraceWriteFlags()[6]) << mode;
        EXPECT_EQ(mode == 2, rig.controller->GetBreakReadFlags()[5]) << mode;
        EXPECT_TRUE(rig.controller->GetTraceReadFlags()[4]) << mode;
    }
}

// The captions of the node's children ("-" for a separator).
std::vector<std::string> Captions(common::COptionNodeInterface* node) {
    std::vector<std::string> captions;
    for (int32_t i = 0; i < node->GetChildCount(); ++i) {
        common::COptionNodeInterface* child = node->GetChildAt(i);
        captions.push_back(child->IsLocked() ? "-" : std::string(child->GetName().GetNarrow()));
    }
    return captions;
}

common::COptionNodeInterface* Child(common::COptionNodeInterface* node, const std::string& caption) {
    for (int32_t i = 0; i < node->GetChildCount(); ++i) {
        common::COptionNodeInterface* child = node->GetChildAt(i);
        if (!child->IsLocked() && caption == std::string(child->GetName().GetNarrow()))
            return child;
    }
    return nullptr;
}

int CountSet(const bool* flags) {
    int count = 0;
    for (int i = 0; i < 7; ++i)
        count += flags[i];
    return count;
}

TEST_F(WD179XStateTest, TheDebugMenuOffersEveryRegister) {
    CFloppyRig rig;
    WD179X* fdc = rig.controller;
    emu::COptionTree menu;
    fdc->BuildMenu(&menu, WD179X::kMenuDebug);
    EXPECT_EQ((std::vector<std::string>{"Trace Registers", "Trace All", "-", "Break On Registers", "Break On All", "-",
                                        "Select All", "Clear All"}),
              Captions(&menu));
    const std::vector<std::string> items = {
        "Write COMMAND", "Read STATUS",  "Write DATA",  "Read DATA", "Write DRIVE", "Read DRIVE", "Write TRACK",
        "Read TRACK",    "Write SECTOR", "Read SECTOR", "-",         "Select All",  "Clear All"};
    EXPECT_EQ(items, Captions(Child(&menu, "Trace Registers")));
    EXPECT_EQ(items, Captions(Child(&menu, "Break On Registers")));

    Child(Child(&menu, "Trace Registers"), "Write COMMAND")->Activate();
    EXPECT_TRUE(fdc->GetTraceWriteFlags()[WD179X::kRegCommand]);
    EXPECT_TRUE(Child(Child(&menu, "Trace Registers"), "Write COMMAND")->IsChecked());

    Child(&menu, "Trace All")->Activate();
    EXPECT_EQ(7, CountSet(fdc->GetTraceReadFlags()));
    EXPECT_EQ(7, CountSet(fdc->GetTraceWriteFlags()));
    EXPECT_EQ(0, CountSet(fdc->GetBreakReadFlags()));
    Child(&menu, "Break On All")->Activate();
    EXPECT_EQ(7, CountSet(fdc->GetBreakWriteFlags()));
    Child(Child(&menu, "Break On Registers"), "Clear All")->Activate();
    EXPECT_EQ(0, CountSet(fdc->GetBreakReadFlags()) + CountSet(fdc->GetBreakWriteFlags()));
    EXPECT_EQ(14, CountSet(fdc->GetTraceReadFlags()) + CountSet(fdc->GetTraceWriteFlags()));
    Child(&menu, "Clear All")->Activate();
    EXPECT_EQ(0, CountSet(fdc->GetTraceReadFlags()) + CountSet(fdc->GetTraceWriteFlags()));
    Child(&menu, "Select All")->Activate();
    EXPECT_EQ(28, CountSet(fdc->GetTraceReadFlags()) + CountSet(fdc->GetTraceWriteFlags()) +
                      CountSet(fdc->GetBreakReadFlags()) + CountSet(fdc->GetBreakWriteFlags()));

    CFloppyRig wide(2);
    emu::COptionTree wideMenu;
    wide.controller->BuildMenu(&wideMenu, WD179X::kMenuDebug);
    const std::vector<std::string> traceItems = Captions(Child(&wideMenu, "Trace Registers"));
    EXPECT_EQ("Read IRQSTS", traceItems[5]);
    EXPECT_EQ("Write MOTOR", traceItems[10]);
    EXPECT_EQ("Read MOTOR", traceItems[11]);
    EXPECT_EQ(13u, Captions(Child(&wideMenu, "Break On Registers")).size());
}

// --- Image geometry ------------------------------------------------------------------

TEST_F(WD179XStateTest, ImageGeometryFollowsTheFileSize) {
    struct {
        int32_t mode;
        uint64_t size;
        uint64_t c, h, s, z; // 0: refused
        uint64_t sizeAfter;
    } const rows[] = {
        {0, 163840, 40, 1, 8, 512, 163840},    {0, 184320, 40, 1, 9, 512, 184320},
        {0, 204800, 40, 1, 10, 512, 204800},   {0, 327680, 40, 2, 8, 512, 327680},
        {0, 368640, 40, 2, 9, 512, 368640},    {0, 409600, 40, 2, 10, 512, 409600},
        {0, 655360, 80, 2, 8, 512, 655360},    {0, 737280, 80, 2, 9, 512, 737280},
        {0, 819200, 80, 2, 5, 1024, 819200},   {0, 839680, 82, 2, 20, 256, 839680},
        {0, 1228800, 80, 2, 15, 512, 1228800}, {0, 1474560, 80, 2, 18, 512, 1474560},
        {0, 2949120, 80, 2, 36, 512, 2949120}, {0, 800000, 80, 2, 5, 1024, 819200},
        {0, 740000, 80, 2, 5, 1024, 819200},   {0, 739999, 0, 0, 0, 0, 739999},
        {0, 860000, 80, 2, 5, 1024, 860000},   {0, 921599, 80, 2, 5, 1024, 921599},
        {0, 921600, 0, 0, 0, 0, 921600},       {0, 430000, 40, 2, 5, 1024, 430000},
        {0, 100000, 0, 0, 0, 0, 100000},       {1, 800000, 0, 0, 0, 0, 800000},
        {1, 839680, 82, 2, 5, 1024, 839680},   {1, 819200, 80, 2, 5, 1024, 819200},
        {2, 819200, 80, 2, 10, 512, 819200},   {2, 839680, 82, 2, 20, 256, 839680},
    };
    int n = 0;
    for (const auto& row : rows) {
        CFloppyRig rig(row.mode);
        const std::string image = disktest::MakeSparseImage(m_folder, "g" + std::to_string(n++) + ".img", row.size);
        ASSERT_TRUE(rig.Mount(0, image));
        ASSERT_TRUE(rig.Start());
        emu::CDiskDrive* drive = rig.Drive(0);
        const std::string label = std::to_string(row.mode) + "/" + std::to_string(row.size);
        EXPECT_EQ(row.c != 0, drive->IsSupported()) << label;
        EXPECT_EQ(row.c, drive->GetCylinders()) << label;
        EXPECT_EQ(row.h, drive->GetHeads()) << label;
        EXPECT_EQ(row.s, drive->GetSectors()) << label;
        EXPECT_EQ(row.z, drive->GetSectorSize()) << label;
        EXPECT_EQ(row.sizeAfter, drive->GetImageSize()) << label;
        rig.Stop();
        rig.Slot(0)->Close();
        EXPECT_EQ(row.sizeAfter, std::filesystem::file_size(image)) << label;
    }
}

TEST_F(WD179XStateTest, ADeclaredGeometryMustBeTheMachineFormat) {
    CFloppyRig rig;
    struct {
        uint64_t c, h, s, z;
        bool accepted;
    } const rows[] = {
        {80, 2, 5, 1024, true},  {80, 1, 5, 1024, true}, {40, 2, 5, 1024, true},
        {40, 1, 5, 1024, false}, {80, 2, 9, 512, false}, {82, 2, 5, 1024, false},
    };
    for (const auto& row : rows) {
        uint64_t c = row.c, h = row.h, s = row.s, z = row.z;
        EXPECT_EQ(row.accepted, rig.controller->GetGeometry(0, true, &c, &h, &s, &z)) << row.c << "/" << row.h;
        EXPECT_EQ(row.c, c);
        EXPECT_EQ(row.z, z);
    }
    uint64_t c = 80, h = 2, s = 5, z = 1024;
    EXPECT_FALSE(rig.controller->GetGeometry(4, true, &c, &h, &s, &z));
}

// --- The wide layout -----------------------------------------------------------------

TEST_F(WD179XStateTest, TheWideLayoutReportsInterruptsThroughIrqStatus) {
    CFloppyRig rig(2);
    ASSERT_TRUE(rig.Mount(0, m_image));
    ASSERT_TRUE(rig.Start());
    EXPECT_FALSE(rig.controller->SetInterfaceMode(0));
    emu::CPorts* ports = rig.machine.GetPortsService();
    uint8_t status = 0xAA;
    EXPECT_EQ(0, ports->InputByte(floppytest::kBase + 4, 0, &status));
    EXPECT_EQ(1, status); // nothing pending: the reader repeats
    EXPECT_EQ(1, ports->InputByte(floppytest::kBase + 6, 0, nullptr));

    rig.Out(4, 0x01); // drive 0, head 0
    EXPECT_EQ(0, rig.controller->GetSelectedIndex());
    EXPECT_EQ(0x07, rig.In(0));
    EXPECT_EQ(0x26, rig.In(0)); // the handshake ends with an interrupt
    EXPECT_TRUE(rig.lines.raised);
    status = 0xAA;
    EXPECT_EQ(0, ports->InputByte(floppytest::kBase + 4, 0, &status));
    EXPECT_EQ(0, status);
    EXPECT_FALSE(rig.controller->IsIrqActive());

    // Sector 1 of track 0 through the wide layout: DATA at offset 3; this
    // layout reads the machine's disks as 10 sectors of 512 bytes.
    ASSERT_EQ(512u, rig.Drive(0)->GetSectorSize());
    rig.Out(2, 1);
    rig.Out(0, 0x80);
    Bytes bytes;
    for (uint32_t i = 0; i < 512; ++i) {
        status = 0xAA;
        EXPECT_EQ(1, ports->InputByte(floppytest::kBase + 4, 0, &status));
        ASSERT_EQ(0, status) << i; // a data byte waits
        bytes.push_back(rig.In(3));
    }
    EXPECT_EQ(disktest::FileBytes(m_image, 0, 512), bytes);
    EXPECT_TRUE(rig.lines.raised); // the last byte interrupts
}

} // namespace
