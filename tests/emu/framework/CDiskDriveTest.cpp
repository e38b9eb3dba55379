#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "emu/framework/DiskTestSupport.h"

using disktest::Bytes;
using disktest::CTestController;
using disktest::kImageSize;
using disktest::kSectorSize;

namespace {

typedef disktest::CDiskRig<CTestController> CRig;

uint64_t OffsetOf(uint64_t cylinder, uint64_t head, uint64_t sector) {
    return ((cylinder * disktest::kHeads + head) * disktest::kSectors + sector) * kSectorSize;
}

// A started rig whose drive 0 holds a fresh writable image of the test geometry.
class DiskDriveTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_folder = test::MakeMediaFolder();
        m_image = disktest::MakeImage(m_folder, "a.img", kImageSize);
        ASSERT_TRUE(m_rig.Mount(0, m_image));
        ASSERT_TRUE(m_rig.Start());
        m_drive = m_rig.Drive(0);
        ASSERT_NE(nullptr, m_drive);
    }

    Bytes ReadSector() {
        Bytes bytes(kSectorSize);
        EXPECT_EQ(static_cast<int32_t>(kSectorSize),
                  m_drive->Read(bytes.data(), static_cast<int32_t>(bytes.size()), 0));
        return bytes;
    }

    CRig m_rig;
    std::string m_folder;
    std::string m_image;
    emu::CDiskDrive* m_drive = nullptr;
};

TEST_F(DiskDriveTest, RecognisesTheImageAndMarksTheSlot) {
    EXPECT_TRUE(m_drive->IsSupported());
    EXPECT_TRUE(m_drive->IsDetected());
    EXPECT_FALSE(m_drive->IsFixed());
    EXPECT_TRUE(m_drive->IsReady());
    EXPECT_TRUE(m_drive->IsWritable());
    EXPECT_EQ(kImageSize, m_drive->GetImageSize());
    EXPECT_EQ(4u, m_drive->GetCylinders());
    EXPECT_EQ(2u, m_drive->GetHeads());
    EXPECT_EQ(3u, m_drive->GetSectors());
    EXPECT_EQ(16u, m_drive->GetSectorSize());
    emu::CMediaSlot* slot = m_rig.Slot(0);
    EXPECT_TRUE(slot->IsMediaValid());
    EXPECT_TRUE(slot->IsExamined());
    EXPECT_FALSE(slot->IsChanged());
    // Both drives examined their slots when the controller started.
    EXPECT_EQ((std::vector<int32_t>{0, 1}), m_rig.controller->m_mediaChanges);
}

TEST_F(DiskDriveTest, AnUnknownImageRefusesEveryPosition) {
    const std::string odd = disktest::MakeImage(m_folder, "odd.img", kImageSize + 1);
    ASSERT_TRUE(m_rig.Mount(1, odd));
    emu::CDiskDrive* drive = m_rig.Drive(1);
    EXPECT_FALSE(drive->IsSupported());
    EXPECT_FALSE(drive->IsReady());
    EXPECT_FALSE(m_rig.Slot(1)->IsMediaValid());
    EXPECT_TRUE(m_rig.Slot(1)->IsExamined());
    EXPECT_FALSE(drive->SetPosition(0, 0, 0));
    uint8_t value = 0;
    EXPECT_EQ(0, drive->ReadByte(&value, 0));
}

TEST_F(DiskDriveTest, ReadsSectorsAtTheirFlatOffsets) {
    ASSERT_TRUE(m_drive->SetPosition(2, 1, 2));
    EXPECT_EQ(OffsetOf(2, 1, 2), m_drive->GetSectorOffset());
    EXPECT_EQ(disktest::FileBytes(m_image, OffsetOf(2, 1, 2), kSectorSize), ReadSector());
    EXPECT_TRUE(m_rig.Slot(0)->IsRead());
    // Past the last byte nothing more comes.
    uint8_t value = 0xAA;
    EXPECT_EQ(0, m_drive->ReadByte(&value, -1));
    EXPECT_EQ(0xAA, value);
    EXPECT_EQ(0, m_drive->ReadByte(&value, 16));
    EXPECT_EQ(16, m_drive->GetBytePosition());
    // A negative position reads on from the byte position.
    ASSERT_TRUE(m_drive->SetSector(0));
    ASSERT_EQ(1, m_drive->ReadByte(&value, -1));
    ASSERT_EQ(1, m_drive->ReadByte(&value, -1));
    EXPECT_EQ(disktest::FileBytes(m_image, OffsetOf(2, 1, 0) + 1, 1)[0], value);
}

TEST_F(DiskDriveTest, MovingToTheSamePlaceRewindsAndKeepsTheBuffer) {
    ASSERT_TRUE(m_drive->SetPosition(1, 0, 1));
    uint8_t value = 0;
    ASSERT_EQ(1, m_drive->ReadByte(&value, 5));
    ASSERT_TRUE(m_drive->IsLoaded());
    EXPECT_TRUE(m_drive->SetCylinder(1));
    EXPECT_EQ(0, m_drive->GetBytePosition());
    EXPECT_TRUE(m_drive->IsLoaded());
    // A refused move still rewinds.
    ASSERT_EQ(1, m_drive->ReadByte(&value, 5));
    EXPECT_FALSE(m_drive->SetCylinder(4));
    EXPECT_EQ(0, m_drive->GetBytePosition());
    EXPECT_EQ(1u, m_drive->GetCylinder());
}

TEST_F(DiskDriveTest, NextSectorWalksCylinderHeadSectorOrder) {
    struct {
        uint64_t c, h, s;
    } const expected[] = {{0, 0, 1}, {0, 0, 2}, {0, 1, 0}, {0, 1, 1}, {0, 1, 2}, {1, 0, 0}};
    for (const auto& step : expected) {
        ASSERT_TRUE(m_drive->NextSector());
        EXPECT_EQ(step.c, m_drive->GetCylinder());
        EXPECT_EQ(step.h, m_drive->GetHead());
        EXPECT_EQ(step.s, m_drive->GetSector());
    }
    ASSERT_TRUE(m_drive->SetPosition(3, 1, 2));
    uint8_t value = 0;
    ASSERT_EQ(1, m_drive->ReadByte(&value, 3));
    EXPECT_FALSE(m_drive->NextSector());
    EXPECT_EQ(3u, m_drive->GetCylinder());
    EXPECT_EQ(1u, m_drive->GetHead());
    EXPECT_EQ(2u, m_drive->GetSector());
    EXPECT_EQ(4, m_drive->GetBytePosition());
}

TEST_F(DiskDriveTest, AChangedSectorGoesOutWhenTheHeadMovesAway) {
    ASSERT_TRUE(m_drive->SetPosition(1, 1, 1));
    const uint8_t data[3] = {0x11, 0x22, 0x33};
    EXPECT_EQ(3, m_drive->Write(data, 3, 4));
    EXPECT_TRUE(m_drive->IsDirty());
    EXPECT_EQ(7, m_drive->GetBytePosition());
    // Still buffered: the file is unchanged.
    Bytes before = disktest::FileBytes(m_image, OffsetOf(1, 1, 1), kSectorSize);
    EXPECT_NE(0x11, before[4]);

    ASSERT_TRUE(m_drive->SetSector(2));
    EXPECT_FALSE(m_drive->IsDirty());
    EXPECT_TRUE(m_rig.Slot(0)->IsModified());
    EXPECT_TRUE(m_rig.Slot(0)->IsWritten());
    // Read again from the image, and from the file once it is closed.
    ASSERT_TRUE(m_drive->SetSector(1));
    Bytes reread = ReadSector();
    m_rig.Slot(0)->Close();
    Bytes after = disktest::FileBytes(m_image, OffsetOf(1, 1, 1), kSectorSize);
    EXPECT_EQ(after, reread);
    EXPECT_EQ((Bytes{0x11, 0x22, 0x33}), Bytes(after.begin() + 4, after.begin() + 7));
    // The rest of the sector was read before it was changed.
    EXPECT_EQ(Bytes(before.begin(), before.begin() + 4), Bytes(after.begin(), after.begin() + 4));
    EXPECT_EQ(Bytes(before.begin() + 7, before.end()), Bytes(after.begin() + 7, after.end()));
}

TEST_F(DiskDriveTest, EjectingWritesTheBufferBackFirst) {
    ASSERT_TRUE(m_drive->SetPosition(3, 0, 0));
    ASSERT_EQ(1, m_drive->WriteByte(0xEE, 0));
    m_rig.Slot(0)->Close();
    EXPECT_EQ(0xEE, disktest::FileBytes(m_image, OffsetOf(3, 0, 0), 1)[0]);
    EXPECT_FALSE(m_drive->IsReady());
    EXPECT_FALSE(m_drive->IsSupported());
    EXPECT_EQ(0u, m_drive->GetImageSize());
}

TEST_F(DiskDriveTest, MediaChangingResetWritesBackAndStoppingToo) {
    ASSERT_TRUE(m_drive->SetPosition(0, 1, 0));
    ASSERT_EQ(1, m_drive->WriteByte(0x5A, 2));
    ASSERT_TRUE(m_rig.machine.Reset(emu::CDevice::kResetMediaChanging));
    EXPECT_FALSE(m_drive->IsDirty());
    EXPECT_TRUE(m_rig.Slot(0)->IsModified());

    ASSERT_EQ(1, m_drive->WriteByte(0xA5, 3));
    m_rig.Stop();
    m_rig.Slot(0)->Close();
    EXPECT_EQ((Bytes{0x5A, 0xA5}), disktest::FileBytes(m_image, OffsetOf(0, 1, 0) + 2, 2));
}

TEST_F(DiskDriveTest, AReadOnlySlotIsReadyButRefusesWrites) {
    emu::CMediaSlot* slot = m_rig.Slot(0);
    slot->SetReadOnly(true);
    slot->NotifyChanged(false); // the drive examines the slot again
    EXPECT_TRUE(m_drive->IsReady());
    EXPECT_FALSE(m_drive->IsWritable());
    ASSERT_TRUE(m_drive->SetPosition(0, 0, 1));
    EXPECT_EQ(0, m_drive->WriteByte(0x77, 0));
    EXPECT_EQ(disktest::FileBytes(m_image, OffsetOf(0, 0, 1), kSectorSize), ReadSector());
}

TEST(DiskDriveFile, AFileTheHostWillNotWriteIsReadOnly) {
    const std::string folder = test::MakeMediaFolder();
    const std::string image = disktest::MakeImage(folder, "ro.img", kImageSize);
    test::CReadOnlyFile readOnly(image);
    ASSERT_FALSE(readOnly.Privileged()) << test::kWritesReadOnlyFiles;
    CRig rig;
    ASSERT_TRUE(rig.Mount(0, image));
    ASSERT_TRUE(rig.Start());
    EXPECT_TRUE(rig.Slot(0)->IsReadOnly());
    EXPECT_TRUE(rig.Drive(0)->IsReady());
    EXPECT_FALSE(rig.Drive(0)->IsWritable());
    EXPECT_EQ(0, rig.Drive(0)->WriteByte(1, 0));
}

// --- Timed services ------------------------------------------------------------------

TEST_F(DiskDriveTest, ATimedSeekStepsOneCylinderPerEvent) {
    ASSERT_TRUE(m_drive->SetCylinder(3));
    ASSERT_TRUE(m_drive->StartSeek(0));
    EXPECT_EQ(emu::CDiskDrive::SeekState::SteppingDown, m_drive->GetSeekState());
    EXPECT_FALSE(m_drive->StartSeek(2)); // one at a time

    std::vector<int> steps;
    int noticeTick = -1;
    uint64_t cylinder = 3;
    for (int tick = 1; tick <= 200 && noticeTick < 0; ++tick) {
        m_rig.Tick();
        if (m_drive->GetCylinder() != cylinder) {
            cylinder = m_drive->GetCylinder();
            steps.push_back(tick);
        }
        if (!m_rig.controller->m_notices.empty())
            noticeTick = tick;
    }
    // Three steps and the report at the fourth event, one event per
    // millisecond as near as 4900 Hz ticks allow (every fourth tick).
    ASSERT_EQ(3u, steps.size());
    EXPECT_EQ(4, steps[1] - steps[0]);
    EXPECT_EQ(4, steps[2] - steps[1]);
    EXPECT_EQ(4, noticeTick - steps[2]);
    EXPECT_EQ(0u, m_drive->GetCylinder());
    EXPECT_EQ((std::vector<std::pair<int32_t, bool>>{{0, true}}), m_rig.controller->m_notices);
    EXPECT_EQ(emu::CDiskDrive::SeekState::Idle, m_drive->GetSeekState());
    EXPECT_EQ(0, m_rig.machine.GetBusService()->GetEventCount());
}

TEST_F(DiskDriveTest, ATimedSeekPastTheLastCylinderFails) {
    ASSERT_TRUE(m_drive->StartSeek(9));
    m_rig.Tick(100);
    EXPECT_EQ(3u, m_drive->GetCylinder());
    EXPECT_EQ((std::vector<std::pair<int32_t, bool>>{{0, false}}), m_rig.controller->m_notices);
    EXPECT_TRUE(m_drive->StartSeek(1)); // free again
}

TEST_F(DiskDriveTest, ATimedReadOffersTheBytesSectorBySector) {
    ASSERT_TRUE(m_drive->StartRead(40));
    EXPECT_FALSE(m_drive->StartRead(4));
    m_rig.Tick(100);
    const auto& offers = m_rig.controller->m_offers;
    ASSERT_EQ(4u, offers.size());
    const int32_t counts[] = {16, 16, 8, 0};
    const uint64_t done[] = {0, 16, 32, 40};
    for (size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(counts[i], offers[i].count) << i;
        EXPECT_EQ(40u, offers[i].requested) << i;
        EXPECT_EQ(done[i], offers[i].done) << i;
    }
    EXPECT_EQ(disktest::FileBytes(m_image, 0, 16), offers[0].bytes);
    EXPECT_EQ(disktest::FileBytes(m_image, 16, 16), offers[1].bytes);
    EXPECT_EQ(disktest::FileBytes(m_image, 32, 8), offers[2].bytes);
    EXPECT_EQ(0u, m_drive->GetReadRequest());
    EXPECT_EQ(40u, m_drive->GetReadDone());
}

TEST_F(DiskDriveTest, ATimedReadWaitsForATakerAndTakesPartialAnswers) {
    m_rig.controller->m_takeAtMost = 0;
    ASSERT_TRUE(m_drive->StartRead(10));
    m_rig.Tick(20);
    EXPECT_EQ(0u, m_drive->GetReadDone());
    EXPECT_GE(m_rig.controller->m_offers.size(), 3u);
    m_rig.controller->m_takeAtMost = 4;
    m_rig.controller->m_offers.clear();
    m_rig.Tick(100);
    const auto& offers = m_rig.controller->m_offers;
    ASSERT_EQ(4u, offers.size());
    EXPECT_EQ(10, offers[0].count);
    EXPECT_EQ(6, offers[1].count);
    EXPECT_EQ(2, offers[2].count);
    EXPECT_EQ(0, offers[3].count);
    EXPECT_EQ(10u, m_drive->GetReadDone());
}

// --- State ---------------------------------------------------------------------------

TEST_F(DiskDriveTest, StateSavesLoadsAndSavesTheSameBytes) {
    ASSERT_TRUE(m_drive->SetPosition(2, 1, 1));
    uint8_t value = 0;
    ASSERT_EQ(1, m_drive->ReadByte(&value, 6));
    const Bytes first = disktest::SaveData(*m_drive);
    ASSERT_TRUE(m_drive->SetPosition(0, 0, 0));
    ASSERT_TRUE(disktest::LoadData(*m_drive, first));
    EXPECT_EQ(2u, m_drive->GetCylinder());
    EXPECT_EQ(1u, m_drive->GetHead());
    EXPECT_EQ(1u, m_drive->GetSector());
    EXPECT_EQ(7, m_drive->GetBytePosition());
    EXPECT_FALSE(m_drive->IsLoaded());
    EXPECT_TRUE(m_drive->IsReady());
    EXPECT_EQ(first, disktest::SaveData(*m_drive));
    // The sector is read again when it is needed.
    ASSERT_EQ(1, m_drive->ReadByte(&value, -1));
    EXPECT_EQ(disktest::FileBytes(m_image, OffsetOf(2, 1, 1) + 7, 1)[0], value);
}

TEST_F(DiskDriveTest, StateOfAnotherImageSizeIsRefused) {
    const Bytes saved = disktest::SaveData(*m_drive);
    m_rig.Slot(0)->Close();
    ASSERT_TRUE(m_rig.Mount(0, disktest::MakeImage(m_folder, "b.img", kImageSize * 2)));
    EXPECT_FALSE(disktest::LoadData(*m_drive, saved));
}

TEST_F(DiskDriveTest, StateThatPointsOutsideTheSectorIsRefused) {
    struct {
        const char* field;
        uint64_t value;
        size_t size;
    } const damage[] = {
        {"SCP", 0xFFFFFFFF, 4}, // before the buffer
        {"SCP", 17, 4},         // past the sector
        {"SSZ", 1ull << 40, 8}, // a buffer no host can give
        {"CYS", 400, 8},        // more sectors than the image holds
        {"CYI", 4, 8},          // outside the geometry
    };
    const Bytes saved = disktest::SaveData(*m_drive);
    for (const auto& row : damage) {
        Bytes bytes = saved;
        ASSERT_TRUE(disktest::PatchField(bytes, row.field, disktest::LittleEndian(row.value, row.size))) << row.field;
        EXPECT_FALSE(disktest::LoadData(*m_drive, bytes)) << row.field;
        uint8_t value = 0;
        EXPECT_EQ(0, m_drive->ReadByte(&value, -1)) << row.field;
        ASSERT_TRUE(disktest::LoadData(*m_drive, saved)) << row.field;
    }
}

TEST_F(DiskDriveTest, StateLoadRefusesAnotherVersion) {
    Bytes bytes = disktest::SaveData(*m_drive);
    ASSERT_TRUE(disktest::PatchField(bytes, "SEKS", Bytes{5}));
    EXPECT_FALSE(disktest::LoadData(*m_drive, bytes));
    bytes = disktest::SaveData(*m_drive);
    // "VER" of the drive follows "_DEV"'s own "VER": patch the second one.
    size_t found = 0;
    for (size_t i = 0; i + 7 < bytes.size(); ++i) {
        if (bytes[i] == 0xF8 && bytes[i + 3] == 3 && bytes[i + 5] == 'V' && bytes[i + 6] == 'E' &&
            bytes[i + 7] == 'R' && ++found == 3) {
            bytes[i + 9] = 1;
            break;
        }
    }
    ASSERT_EQ(3u, found);
    EXPECT_FALSE(disktest::LoadData(*m_drive, bytes));
}

} // namespace
