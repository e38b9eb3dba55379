#include <gtest/gtest.h>

#include <string>

#include "emu/framework/DiskTestSupport.h"

namespace {

typedef disktest::CDiskRig<emu::CDiskController> CBaseRig;
typedef disktest::CDiskRig<disktest::CTestController> CTestRig;

TEST(DiskController, AddDriveNamesTheDrivesInOrder) {
    emu::CMachine machine;
    ASSERT_TRUE(machine.Build());
    ASSERT_TRUE(machine.GetDrivesService()->SetFloppyCount(3));
    auto* controller = new emu::CDiskController();
    ASSERT_TRUE(machine.AddDevice(controller, "CTRL", "CTRL"));
    emu::CDrives* drives = machine.GetDrivesService();
    ASSERT_TRUE(controller->AddDrive(drives->GetSlot(0)));
    ASSERT_TRUE(controller->AddDrive(drives->GetSlot(1), "Left"));
    ASSERT_TRUE(controller->AddDrive(drives->GetSlot(2), "Right", "R"));
    EXPECT_FALSE(controller->AddDrive(nullptr));

    ASSERT_EQ(3, controller->GetDriveCount());
    EXPECT_STREQ("drive0", controller->GetDrive(0)->GetName());
    EXPECT_STREQ("", controller->GetDrive(0)->GetShortName());
    EXPECT_STREQ("drive0", controller->GetDrive(0)->GetTraceLabel());
    EXPECT_STREQ("Left", controller->GetDrive(1)->GetShortName());
    EXPECT_STREQ("R", controller->GetDrive(2)->GetShortName());
    for (int32_t i = 0; i < 3; ++i) {
        EXPECT_EQ(i, controller->GetDrive(i)->GetIndex());
        EXPECT_EQ(static_cast<emu::CObject*>(controller->GetDrive(i)), controller->GetChildAt(i));
    }
    EXPECT_EQ(nullptr, controller->GetDrive(3));
    EXPECT_EQ(nullptr, controller->GetDrive(-1));
}

TEST(DiskController, AddDriveIsRefusedWhileRunning) {
    CBaseRig rig(2);
    ASSERT_TRUE(rig.Drives()->SetFloppyCount(3));
    ASSERT_TRUE(rig.Start());
    EXPECT_FALSE(rig.controller->AddDrive(rig.Slot(2)));
    EXPECT_EQ(2, rig.controller->GetDriveCount());
    EXPECT_EQ(2, rig.controller->GetChildCount());
}

TEST(DiskController, AnEmptySlotIsMarkedChangedSoTheDriveLooksAtStart) {
    emu::CMachine machine;
    ASSERT_TRUE(machine.Build());
    ASSERT_TRUE(machine.GetDrivesService()->SetFloppyCount(1));
    emu::CMediaSlot* slot = machine.GetDrivesService()->GetSlot(0);
    slot->SetChanged(false);
    auto* controller = new emu::CDiskController();
    ASSERT_TRUE(machine.AddDevice(controller, "CTRL", "CTRL"));
    ASSERT_TRUE(controller->AddDrive(slot));
    EXPECT_TRUE(slot->IsChanged());
}

TEST(DiskController, TheBaseKnowsOnlyTheHighDensityFloppy) {
    const std::string folder = test::MakeMediaFolder();
    struct {
        uint64_t size;
        bool supported;
    } const rows[] = {{1474560, true}, {737280, false}, {819200, false}, {1474561, false}, {0, false}};
    for (const auto& row : rows) {
        CBaseRig rig(1);
        const std::string image = disktest::MakeSparseImage(folder, "i" + std::to_string(row.size), row.size);
        ASSERT_TRUE(rig.Mount(0, image));
        ASSERT_TRUE(rig.Start());
        emu::CDiskDrive* drive = rig.Drive(0);
        EXPECT_EQ(row.supported, drive->IsSupported()) << row.size;
        EXPECT_EQ(row.size, drive->GetImageSize()) << row.size;
        if (row.supported) {
            EXPECT_EQ(80u, drive->GetCylinders());
            EXPECT_EQ(2u, drive->GetHeads());
            EXPECT_EQ(18u, drive->GetSectors());
            EXPECT_EQ(512u, drive->GetSectorSize());
        }
    }
}

TEST(DiskController, ADeclaredGeometryIsAcceptedAsItIs) {
    CBaseRig rig(1);
    uint64_t c = 3, h = 1, s = 7, z = 128;
    EXPECT_TRUE(rig.controller->GetGeometry(0, true, &c, &h, &s, &z));
    EXPECT_EQ(3u, c);
    EXPECT_EQ(128u, z);
    EXPECT_FALSE(rig.controller->GetGeometry(1, true, &c, &h, &s, &z));
    EXPECT_FALSE(rig.controller->GetGeometry(-1, false, &c, &h, &s, &z));
}

TEST(DiskController, DriveCallbacksReachTheControllerWithTheDriveIndex) {
    CTestRig rig(2);
    emu::CDiskController::OnDriveCallbackA(rig.controller, rig.Drive(1), true);
    const uint8_t bytes[3] = {1, 2, 3};
    const uint64_t requested = (5ull << 32) | 7;
    const uint64_t done = (1ull << 32) | 2;
    EXPECT_EQ(3, emu::CDiskController::OnDriveCallbackB(rig.controller, rig.Drive(0), bytes, 3, requested, done));
    EXPECT_EQ((std::vector<std::pair<int32_t, bool>>{{1, true}}), rig.controller->m_notices);
    ASSERT_EQ(1u, rig.controller->m_offers.size());
    EXPECT_EQ(0, rig.controller->m_offers[0].drive);
    EXPECT_EQ(requested, rig.controller->m_offers[0].requested);
    EXPECT_EQ(done, rig.controller->m_offers[0].done);
    EXPECT_EQ((disktest::Bytes{1, 2, 3}), rig.controller->m_offers[0].bytes);
}

} // namespace
