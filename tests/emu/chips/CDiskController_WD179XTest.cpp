#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "FloppyTestSupport.h"

using floppytest::Bytes;
using floppytest::CFloppyRig;
using floppytest::kCommand;
using floppytest::kData;
using floppytest::kDrive;
using floppytest::kSector;
using floppytest::kStatus;
using floppytest::kSystemSectorSize;
using floppytest::kTrack;
using floppytest::SystemOffset;
typedef emu::CDiskController_WD179X::CommandState State;

namespace {

std::string Hex(uint8_t value) {
    char text[4];
    std::snprintf(text, sizeof(text), "%02X", value);
    return text;
}

// A started machine whose drive 0 holds a scratch copy of the system disk.
class WD179XTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_folder = test::MakeMediaFolder();
        m_image = floppytest::CopySystemDisk(m_folder);
        ASSERT_EQ(floppytest::kSystemSize, std::filesystem::file_size(m_image));
        ASSERT_TRUE(m_rig.Mount(0, m_image));
        ASSERT_TRUE(m_rig.Start());
        m_fdc = m_rig.controller;
    }

    Bytes FileSector(uint32_t track, uint32_t head, uint32_t sector) {
        return disktest::FileBytes(m_image, SystemOffset(track, head, sector), kSystemSectorSize);
    }
    bool* TraceWrite() { return m_fdc->GetTraceWriteFlags(); }

    CFloppyRig m_rig;
    std::string m_folder;
    std::string m_image;
    emu::CDiskController_WD179X* m_fdc = nullptr;
};

TEST_F(WD179XTest, TheSystemDiskIsRecognised) {
    emu::CDiskDrive* drive = m_rig.Drive(0);
    EXPECT_STREQ("FDC WD179X", m_fdc->GetName());
    EXPECT_STREQ("FDC", m_fdc->GetShortName());
    EXPECT_TRUE(drive->IsReady());
    EXPECT_TRUE(drive->IsWritable());
    EXPECT_EQ(80u, drive->GetCylinders());
    EXPECT_EQ(2u, drive->GetHeads());
    EXPECT_EQ(5u, drive->GetSectors());
    EXPECT_EQ(1024u, drive->GetSectorSize());
    EXPECT_FALSE(m_rig.Drive(1)->IsReady());
}

TEST_F(WD179XTest, WithoutADriveStatusBlinksNotReady) {
    int busy = 0;
    int idle = 0;
    for (int i = 0; i < 16; ++i) {
        const uint8_t status = m_rig.In(kStatus);
        busy += status == 0x29;
        idle += status == 0x28;
    }
    EXPECT_EQ(7, busy);
    EXPECT_EQ(9, idle);
    // A peek changes nothing: the same value twice.
    EXPECT_EQ(m_rig.In(kStatus, true), m_rig.In(kStatus, true));
}

TEST_F(WD179XTest, RestoreShowsTheBusyHandshake) {
    struct {
        uint8_t sector;
        uint8_t first, second;
    } const rows[] = {{3, 0x05, 0x24}, {1, 0x07, 0x26}};
    for (const auto& row : rows) {
        m_rig.Select(0);
        m_rig.Out(kSector, row.sector);
        m_rig.Out(kCommand, 0x08);
        EXPECT_EQ(row.first, m_rig.In(kStatus));
        EXPECT_EQ(State::Handshake, m_fdc->GetCommandState());
        EXPECT_EQ(row.second, m_rig.In(kStatus));
        EXPECT_EQ(State::Idle, m_fdc->GetCommandState());
        EXPECT_EQ(0x20, m_rig.In(kStatus));
    }
}

TEST_F(WD179XTest, TheFirstCommandAfterASelectionIsRefused) {
    TraceWrite()[emu::CDiskController_WD179X::kRegCommand] = true;
    m_rig.Out(kDrive, 0x21);
    EXPECT_EQ(State::Handshake, m_fdc->GetCommandState());
    m_rig.Out(kCommand, 0x08);
    EXPECT_EQ(0x00, m_fdc->GetCommand());
    m_rig.Out(kCommand, 0x08);
    EXPECT_EQ(0x08, m_fdc->GetCommand());
    const std::vector<std::string> expected = {"[FDC] =>COMMAND = 08h (unready, ignored)",
                                               "[FDC] =>COMMAND = 08h (Seek to zero track)"};
    EXPECT_EQ(expected, m_rig.TakeLines());
}

TEST_F(WD179XTest, SectorsOfTheSystemDiskReadThroughThePorts) {
    struct {
        uint8_t track, head, sector;
    } const places[] = {{0, 0, 1}, {0, 1, 5}, {3, 0, 2}, {40, 1, 3}, {79, 1, 5}};
    for (const auto& place : places) {
        m_rig.Select(0, place.head);
        EXPECT_EQ(FileSector(place.track, place.head, place.sector), m_rig.ReadSector(place.track, place.sector))
            << int(place.track) << "/" << int(place.head) << "/" << int(place.sector);
        EXPECT_EQ(State::Idle, m_fdc->GetCommandState());
        EXPECT_EQ(0x20, m_rig.In(kStatus));
        EXPECT_EQ(place.track, m_rig.In(kTrack));
        EXPECT_EQ(place.sector, m_rig.In(kSector));
    }
    EXPECT_TRUE(m_rig.Slot(0)->IsInUse());
    EXPECT_TRUE(m_rig.Slot(0)->IsRead());
}

TEST_F(WD179XTest, ATransferShowsBusyAndDataRequestUntilTheLastByte) {
    m_rig.Select(0);
    m_rig.Seek(2);
    m_rig.Out(kSector, 2);
    m_rig.Out(kCommand, 0x80);
    EXPECT_EQ(0x03, m_rig.In(kStatus));
    m_rig.ReadBytes(kSystemSectorSize - 1);
    EXPECT_EQ(0x03, m_rig.In(kStatus));
    EXPECT_EQ(1, m_fdc->GetBytesToDo());
    m_rig.ReadBytes(1);
    EXPECT_EQ(0x20, m_rig.In(kStatus));
    // Past the end the data register answers 0.
    EXPECT_EQ(0, m_rig.In(kData));
}

TEST_F(WD179XTest, AMultiSectorReadStopsAtTheEndOfTheTrack) {
    m_rig.Select(0, 1);
    m_rig.Seek(7);
    m_rig.Out(kSector, 4);
    m_rig.Out(kCommand, 0x90);
    EXPECT_EQ(2, m_fdc->GetSectorsToDo());
    Bytes expected = FileSector(7, 1, 4);
    const Bytes fifth = FileSector(7, 1, 5);
    expected.insert(expected.end(), fifth.begin(), fifth.end());
    EXPECT_EQ(expected, m_rig.ReadBytes(2 * kSystemSectorSize));
    EXPECT_EQ(5, m_rig.In(kSector));
    EXPECT_EQ(State::Idle, m_fdc->GetCommandState());
    EXPECT_EQ(0x20, m_rig.In(kStatus));
}

TEST_F(WD179XTest, ReadingTheSameSectorAgainStartsAtItsFirstByte) {
    m_rig.Select(0);
    const Bytes first = m_rig.ReadSector(5, 3);
    m_rig.Out(kCommand, 0x80); // no new SECTOR: a retry
    EXPECT_EQ(first, m_rig.ReadBytes(kSystemSectorSize));
    EXPECT_EQ(0x20, m_rig.In(kStatus));
}

TEST_F(WD179XTest, AWrittenSectorReadsBackAndReachesTheImage) {
    m_rig.Select(0, 1);
    m_rig.Seek(3);
    m_rig.Out(kSector, 2);
    m_rig.Out(kCommand, 0xA0);
    EXPECT_EQ(State::Writing, m_fdc->GetCommandState());
    Bytes written;
    for (uint32_t i = 0; i < kSystemSectorSize; ++i) {
        written.push_back(static_cast<uint8_t>(i * 13 + 5));
        m_rig.Out(kData, written.back());
    }
    EXPECT_EQ(State::Idle, m_fdc->GetCommandState());
    EXPECT_EQ(0x20, m_rig.In(kStatus));
    const Bytes neighbour = FileSector(3, 1, 3);

    m_rig.Out(kSector, 2);
    m_rig.Out(kCommand, 0x80);
    EXPECT_EQ(written, m_rig.ReadBytes(kSystemSectorSize));
    m_rig.Slot(0)->Close();
    EXPECT_EQ(written, FileSector(3, 1, 2));
    EXPECT_EQ(neighbour, FileSector(3, 1, 3));
    EXPECT_EQ(floppytest::kSystemSize, std::filesystem::file_size(m_image));
}

TEST_F(WD179XTest, AWriteProtectedDiskRefusesWriteSector) {
    const Bytes before = FileSector(0, 0, 1);
    m_rig.Slot(0)->SetReadOnly(true);
    m_rig.Slot(0)->NotifyChanged(false);
    ASSERT_TRUE(m_rig.Drive(0)->IsReady());
    ASSERT_FALSE(m_rig.Drive(0)->IsWritable());
    TraceWrite()[emu::CDiskController_WD179X::kRegCommand] = true;
    m_rig.Select(0);
    m_rig.Out(kSector, 1);
    m_rig.Out(kCommand, 0xA0);
    // Not busy, write protect: the software sees the error at once.
    EXPECT_EQ(0x60, m_rig.In(kStatus));
    EXPECT_EQ(State::Idle, m_fdc->GetCommandState());
    for (int i = 0; i < 16; ++i)
        m_rig.Out(kData, 0xE5);
    EXPECT_EQ(0x60, m_rig.In(kStatus));
    EXPECT_EQ(std::vector<std::string>{"[FDC] =>COMMAND = A0h (Write protected, ignored)"}, m_rig.TakeLines());
    // The next command shows the plain status again; the image is unchanged.
    EXPECT_EQ(before, m_rig.ReadSector(0, 1));
    EXPECT_EQ(0x20, m_rig.In(kStatus));
    m_rig.Slot(0)->Close();
    EXPECT_EQ(before, FileSector(0, 0, 1));
}

TEST_F(WD179XTest, TypeOneCommandsMoveTheHeadAndTrack) {
    m_rig.Select(0);
    struct {
        uint8_t data, command;
        uint8_t track;
        int32_t direction;
    } const steps[] = {
        {10, 0x18, 10, 1}, // Seek
        {0, 0x48, 11, 1},  // Step In
        {0, 0x28, 12, 1},  // Step (the last direction)
        {0, 0x68, 11, -1}, // Step Out
        {0, 0x28, 10, -1}, // Step
        {0, 0x08, 0, -1},  // Restore
    };
    for (const auto& step : steps) {
        m_rig.Out(kData, step.data);
        const uint8_t status = m_rig.Run(step.command);
        EXPECT_EQ(0, status & 0x10) << std::hex << int(step.command);
        EXPECT_EQ(step.track, m_rig.In(kTrack));
        EXPECT_EQ(step.track, m_rig.Drive(0)->GetCylinder());
        EXPECT_EQ(step.direction, m_fdc->GetStepDirection());
    }
    // Nothing below track 0, nothing beyond the disk: seek error, TRACK stays.
    EXPECT_EQ(0x10, m_rig.Run(0x68) & 0x10);
    EXPECT_EQ(0, m_rig.In(kTrack));
    m_rig.Out(kData, 80);
    EXPECT_EQ(0x10, m_rig.Run(0x18) & 0x10);
    EXPECT_EQ(0, m_rig.In(kTrack));
}

TEST_F(WD179XTest, RegisterWritesMoveTheHeadOrReportASeekError) {
    m_rig.Select(0);
    m_rig.Out(kTrack, 33);
    EXPECT_EQ(33, m_rig.In(kTrack));
    EXPECT_EQ(33u, m_rig.Drive(0)->GetCylinder());
    EXPECT_EQ(1, m_fdc->GetStepDirection());
    m_rig.Out(kTrack, 80);
    EXPECT_EQ(33, m_rig.In(kTrack));
    EXPECT_EQ(0x10, m_fdc->GetStoredStatus());
    m_rig.Out(kSector, 4);
    EXPECT_EQ(3u, m_rig.Drive(0)->GetSector());
    m_rig.Out(kSector, 0);
    EXPECT_EQ(4, m_rig.In(kSector));
    EXPECT_EQ(0x10, m_fdc->GetStoredStatus());
    m_rig.Out(kSector, 6);
    EXPECT_EQ(4, m_rig.In(kSector));
}

TEST_F(WD179XTest, ReadAddressIsIgnoredButRemembered) {
    TraceWrite()[emu::CDiskController_WD179X::kRegCommand] = true;
    m_rig.Select(0);
    m_rig.Out(kCommand, 0xC4);
    EXPECT_EQ(0xC4, m_fdc->GetCommand());
    EXPECT_EQ(State::Idle, m_fdc->GetCommandState());
    EXPECT_EQ(std::vector<std::string>{"[FDC] =>COMMAND = C4h (unknown command, ignored)"}, m_rig.TakeLines());
    EXPECT_EQ(0x20, m_rig.In(kStatus));
}

TEST_F(WD179XTest, ForceInterruptRaisesNowOrAtTheNextReadyDrive) {
    m_rig.Select(0);
    m_rig.Out(kCommand, 0xD8);
    EXPECT_TRUE(m_rig.lines.raised);
    EXPECT_TRUE(m_fdc->IsIrqActive());
    EXPECT_EQ(0x00, m_fdc->GetInterruptMask());
    m_rig.In(kStatus); // a status read takes the interrupt
    EXPECT_FALSE(m_rig.lines.raised);
    EXPECT_FALSE(m_fdc->IsIrqActive());

    m_rig.Out(kCommand, 0xD1);
    EXPECT_FALSE(m_rig.lines.raised);
    EXPECT_EQ(0x01, m_fdc->GetInterruptMask());
    ASSERT_TRUE(m_rig.Mount(1, floppytest::CopySystemDisk(m_folder, "second.kdi")));
    m_rig.Out(kDrive, 0x22);
    EXPECT_EQ(1, m_fdc->GetSelectedIndex());
    EXPECT_TRUE(m_rig.lines.raised);
    EXPECT_EQ(0x00, m_fdc->GetInterruptMask());
}

TEST_F(WD179XTest, ANotReadyDriveCannotBeSelected) {
    m_rig.Select(0);
    m_rig.Out(kDrive, 0x22); // drive 1 is empty: the selection stays
    EXPECT_EQ(0, m_fdc->GetSelectedIndex());
    EXPECT_TRUE(m_rig.Slot(1)->IsInUse());
    m_rig.Out(kDrive, 0x30); // no drive bit: the head of the selected drive changes
    EXPECT_EQ(0, m_fdc->GetSelectedIndex());
    EXPECT_EQ(1u, m_rig.Drive(0)->GetHead());
}

TEST_F(WD179XTest, AMediaChangeInterruptsAndKeepsTheHeadOnItsTrack) {
    m_rig.Select(0, 1);
    m_rig.Seek(40);
    m_rig.Out(kSector, 3);
    m_rig.lines.changes.clear();
    m_rig.Slot(0)->Close();
    EXPECT_TRUE(m_rig.lines.raised);
    EXPECT_EQ(0x28, m_rig.In(kStatus) & 0x28);
    const std::string other = floppytest::CopySystemDisk(m_folder, "other.kdi");
    ASSERT_TRUE(m_rig.Mount(0, other));
    EXPECT_EQ(0, m_fdc->GetSelectedIndex());
    // The disk software reads track 40 again without a seek.
    m_rig.Out(kSector, 3);
    m_rig.Out(kCommand, 0x80);
    EXPECT_EQ(FileSector(40, 1, 3), m_rig.ReadBytes(kSystemSectorSize));
}

TEST_F(WD179XTest, RegisterReadsAndWritesAreTraced) {
    std::fill_n(m_fdc->GetTraceReadFlags(), 7, true);
    std::fill_n(m_fdc->GetTraceWriteFlags(), 7, true);
    m_rig.Out(kDrive, 0x31);
    m_rig.In(kDrive);
    m_rig.In(kStatus);
    m_rig.In(kStatus);
    m_rig.Out(kTrack, 2);
    m_rig.In(kTrack);
    m_rig.Out(kSector, 5);
    m_rig.In(kSector);
    m_rig.Out(kData, 0x42);
    m_rig.In(kData);
    m_rig.Out(kDrive, 0x00);
    m_rig.In(kStatus, true); // a peek leaves no line
    const std::vector<std::string> expected = {
        "[FDC] =>DRIVE = 31h (drive=0, head=1, motor=on)",
        "[FDC] <=DRIVE = 31h (drives 1, head=1, motor=on)",
        "[FDC] <=STATUS = 07h (exec cmd)",
        "[FDC] <=STATUS = 26h (ready to cmd)",
        "[FDC] =>TRACK = 02h (track=2)",
        "[FDC] <=TRACK = 02h (track 2)",
        "[FDC] =>SECTOR = 05h (sector=5)",
        "[FDC] <=SECTOR = 05h (sector 5)",
        "[FDC] =>DATA = 42h (1/1, buffer)",
        "[FDC] <=DATA = 00h (ignored)",
        "[FDC] =>DRIVE = 00h (drives 0, head=0, motor=off)",
    };
    EXPECT_EQ(expected, m_rig.TakeLines());
}

TEST_F(WD179XTest, SectorTransfersAreTracedByteByByte) {
    m_rig.Select(0);
    m_rig.Seek(1);
    m_rig.Out(kSector, 2);
    m_fdc->GetTraceWriteFlags()[emu::CDiskController_WD179X::kRegCommand] = true;
    m_fdc->GetTraceReadFlags()[emu::CDiskController_WD179X::kRegData] = true;
    m_fdc->GetTraceWriteFlags()[emu::CDiskController_WD179X::kRegData] = true;
    m_rig.Out(kCommand, 0x80);
    m_rig.In(kData);
    EXPECT_EQ((std::vector<std::string>{"[FDC] =>COMMAND = 80h (Read 1 sectors from sector=2)",
                                        "[FDC] <=DATA = " + Hex(FileSector(1, 0, 2)[0]) + "h (todo=1023 bytes)"}),
              m_rig.TakeLines());
    m_rig.ReadBytes(kSystemSectorSize - 1);
    m_rig.Out(kCommand, 0xB0);
    m_rig.Out(kData, 0x99);
    std::vector<std::string> lines = m_rig.TakeLines();
    ASSERT_EQ(kSystemSectorSize + 1, lines.size());
    EXPECT_EQ("[FDC] <=DATA = " + Hex(FileSector(1, 0, 2)[kSystemSectorSize - 1]) + "h (todo=0 bytes)",
              lines[kSystemSectorSize - 2]);
    EXPECT_EQ("[FDC] =>COMMAND = B0h (Write 4 sectors)", lines[kSystemSectorSize - 1]);
    EXPECT_EQ("[FDC] =>DATA = 99h (1/1024, head=0, track=1, sector=2,)", lines[kSystemSectorSize]);
}

} // namespace
