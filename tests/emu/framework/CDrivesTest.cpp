#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "FrameworkTestSupport.h"
#include "MediaTestSupport.h"
#include "common/CNarrowString.h"
#include "common/CStreamHolder.h"
#include "common/CTextConsole.h"
#include "emu/framework/CDrives.h"
#include "emu/framework/CMediaSlot.h"

using emu::CDrives;
using emu::CDrivesInterface;
using emu::CMediaSlot;
using test::Bytes;
using test::CTestStream;
using test::NoticePairs;
using test::PathOf;

namespace {

Bytes SaveDrives(CDrives& drives) {
    CTestStream stream;
    common::CStreamHolder holder(&stream.Stream());
    EXPECT_TRUE(drives.SaveData(holder));
    return stream.GetBytes();
}

bool LoadDrives(CDrives& drives, const Bytes& bytes) {
    CTestStream stream(bytes);
    common::CStreamHolder holder(&stream.Stream());
    return drives.LoadData(holder, nullptr);
}

std::vector<std::string> ConsoleLines(common::CTextConsole& console) {
    std::vector<std::string> lines;
    console.FlushPendingLines();
    for (int32_t i = 0; i < console.GetLineCount(); ++i) {
        common::CNarrowString text;
        common::ARGB colour = 0;
        if (console.GetLine(i, text, colour))
            lines.push_back(text.GetNarrow());
    }
    return lines;
}

// Record helpers for the field types the section uses beyond FrameworkTestSupport's.
void AppendI32Field(Bytes& out, const std::string& name, int32_t value) {
    out.push_back(0xF8);
    test::AppendName(out, name);
    out.push_back(0x43);
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<uint8_t>(static_cast<uint32_t>(value) >> (8 * i)));
}
void AppendU64Field(Bytes& out, const std::string& name, uint64_t value) {
    out.push_back(0xF8);
    test::AppendName(out, name);
    out.push_back(0x07);
    for (int i = 0; i < 8; ++i)
        out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}
void AppendWideField(Bytes& out, const std::string& name, const std::string& text) {
    out.push_back(0xF8);
    test::AppendName(out, name);
    out.push_back(0x81);
    const uint32_t count = static_cast<uint32_t>(text.size()) + 1;
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<uint8_t>(count >> (8 * i)));
    for (char c : text) {
        out.push_back(static_cast<uint8_t>(c));
        out.push_back(0);
    }
    out.push_back(0);
    out.push_back(0);
}

} // namespace

TEST(CDrives, CountSettersRefuseNegativeAndCurrentCountsWithoutNotices) {
    CDrives drives;
    test::CNoticeRecorder recorder(drives);
    EXPECT_FALSE(drives.SetFloppyCount(0));
    EXPECT_FALSE(drives.SetHardDiskCount(-1));
    EXPECT_TRUE(recorder.notices.empty());
    ASSERT_TRUE(drives.SetCartridgeCount(2));
    EXPECT_FALSE(drives.SetCartridgeCount(2));
    EXPECT_EQ(NoticePairs({{nullptr, 1}, {nullptr, 0}}), recorder.Pairs());
}

TEST(CDrives, GrowingAppendsEmptySlotsInKindOrderOfCreation) {
    CDrives drives;
    ASSERT_TRUE(drives.SetFloppyCount(2));
    ASSERT_TRUE(drives.SetCdromCount(1));
    ASSERT_TRUE(drives.SetFloppyCount(3));
    ASSERT_EQ(4, drives.GetSlotCount());
    EXPECT_EQ(drives.GetKindSlot(CDrivesInterface::kFloppy, 0), drives.GetSlot(0));
    EXPECT_EQ(drives.GetKindSlot(CDrivesInterface::kFloppy, 1), drives.GetSlot(1));
    EXPECT_EQ(drives.GetKindSlot(CDrivesInterface::kCdrom, 0), drives.GetSlot(2));
    EXPECT_EQ(drives.GetKindSlot(CDrivesInterface::kFloppy, 2), drives.GetSlot(3));
    EXPECT_EQ(3, drives.GetKindCount(CDrivesInterface::kFloppy));
    EXPECT_EQ(1, drives.GetKindCount(CDrivesInterface::kCdrom));
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(&drives, static_cast<CDrives*>(drives.GetSlot(i)->GetOwner()));
        EXPECT_FALSE(drives.GetSlot(i)->IsOpen());
    }
}

TEST(CDrives, ShrinkingClosesTheLastSlotsAndKeepsThemReadableAsRemoved) {
    const std::string folder = test::MakeMediaFolder();
    test::WriteImage(folder + "a.img", 100);
    test::WriteImage(folder + "c.img", 300);
    CDrives drives;
    test::CNoticeRecorder recorder(drives);
    ASSERT_TRUE(drives.SetFloppyCount(3));
    CMediaSlot* first = drives.GetSlot(0);
    CMediaSlot* middle = drives.GetSlot(1);
    CMediaSlot* last = drives.GetSlot(2);
    ASSERT_TRUE(first->Open(PathOf(folder + "a.img")));
    ASSERT_TRUE(last->Open(PathOf(folder + "c.img")));
    recorder.notices.clear();

    ASSERT_TRUE(drives.SetFloppyCount(1));
    // The list notice, the last slot's removal with its eject inside, the empty
    // middle slot's removal alone, and the list notice again.
    const NoticePairs expected = {{nullptr, 1}, {last, 1},   {last, 1},   {last, 0},
                                  {last, 0},    {middle, 1}, {middle, 0}, {nullptr, 0}};
    EXPECT_EQ(expected, recorder.Pairs());
    EXPECT_EQ(1, drives.GetSlotCount());
    EXPECT_EQ(1, drives.GetKindCount(CDrivesInterface::kFloppy));
    EXPECT_EQ(first, drives.GetSlot(0));
    EXPECT_TRUE(first->IsOpen());
    // A drive still holding a removed slot reads it safely (ASan would report
    // a freed one): closed, changed and removed.
    for (CMediaSlot* gone : {middle, last}) {
        EXPECT_TRUE(gone->IsRemoved());
        EXPECT_TRUE(gone->IsChanged());
        EXPECT_FALSE(gone->IsOpen());
        EXPECT_EQ(0, gone->GetImageSize());
    }
}

TEST(CDrives, RemoveSlotTakesTheSlotOutOfEveryList) {
    CDrives drives;
    ASSERT_TRUE(drives.SetFloppyCount(2));
    ASSERT_TRUE(drives.SetHardDiskCount(1));
    CMediaSlot* floppy = drives.GetSlot(1);
    CMediaSlot* hard = drives.GetSlot(2);
    CMediaSlot stranger(nullptr);

    EXPECT_FALSE(drives.RemoveSlot(nullptr, floppy));
    EXPECT_FALSE(drives.RemoveSlot(drives.GetAllSlots(), nullptr));
    EXPECT_FALSE(drives.RemoveSlot(drives.GetAllSlots(), &stranger));
    EXPECT_FALSE(drives.RemoveSlot(drives.GetKindSlots(CDrivesInterface::kHardDisk), floppy));
    EXPECT_EQ(3, drives.GetSlotCount());

    ASSERT_TRUE(drives.RemoveSlot(drives.GetKindSlots(CDrivesInterface::kFloppy), floppy));
    EXPECT_EQ(2, drives.GetSlotCount());
    EXPECT_EQ(1, drives.GetKindCount(CDrivesInterface::kFloppy));
    EXPECT_TRUE(floppy->IsRemoved());

    // Through the all-slots list the kind's list lets go of it as well.
    ASSERT_TRUE(drives.RemoveSlot(drives.GetAllSlots(), hard));
    EXPECT_EQ(1, drives.GetSlotCount());
    EXPECT_EQ(0, drives.GetKindCount(CDrivesInterface::kHardDisk));
    EXPECT_TRUE(drives.GetKindSlots(CDrivesInterface::kHardDisk)->empty());
    EXPECT_TRUE(hard->IsRemoved());
}

TEST(CDrives, FindFirstSlotOfKindMatchesWholeNamesInAnyCase) {
    CDrives drives;
    ASSERT_TRUE(drives.SetFloppyCount(2));
    ASSERT_TRUE(drives.SetCdromCount(2));
    CMediaSlot* floppy = drives.GetKindSlot(CDrivesInterface::kFloppy, 0);
    CMediaSlot* cdrom = drives.GetKindSlot(CDrivesInterface::kCdrom, 0);
    struct CCase {
        const char* name;
        CMediaSlot* expected;
    };
    const CCase cases[] = {
        {"fdd", floppy},   {"FdD", floppy},  {"cdrom", cdrom},  {"FD", nullptr},
        {"FDD1", nullptr}, {"HDD", nullptr}, {"CART", nullptr}, {"TAPE", nullptr},
    };
    for (const CCase& c : cases) {
        SCOPED_TRACE(c.name);
        common::CNarrowString name(c.name);
        EXPECT_EQ(c.expected, drives.FindFirstSlotOfKind(name));
    }
    common::CNarrowString name("disk");
    EXPECT_EQ(cdrom, drives.FindFirstSlotOfKind(name, "A", "B", "C", "DISK"));
    EXPECT_EQ(0, name.CompareNarrow("DISK")); // upper-cased in place
}

TEST(CDrives, ActivityIsClearedAtStartAndOnRequest) {
    CDrives drives;
    ASSERT_TRUE(drives.SetFloppyCount(2));
    EXPECT_FALSE(drives.IsAnyActive());
    drives.GetSlot(1)->SetWritten(true);
    EXPECT_TRUE(drives.IsAnyActive());
    drives.ClearActivity();
    EXPECT_FALSE(drives.IsAnyActive());
    drives.GetSlot(0)->SetRead(true);
    drives.GetSlot(0)->SetModified(true);
    int32_t rate = 4900;
    EXPECT_TRUE(drives.Start(&rate));
    EXPECT_EQ(4900, rate);
    EXPECT_FALSE(drives.IsAnyActive());
    EXPECT_TRUE(drives.GetSlot(0)->IsModified());
}

TEST(CDrives, DestructionSendsNoNotice) {
    const std::string folder = test::MakeMediaFolder();
    test::WriteImage(folder + "a.img", 100);
    std::vector<int> calls;
    {
        CDrives drives;
        drives.SetMediaChangeCallback(
            [](void* user, CMediaSlot*, uint8_t about) { static_cast<std::vector<int>*>(user)->push_back(about); },
            &calls);
        ASSERT_TRUE(drives.SetFloppyCount(2));
        ASSERT_TRUE(drives.GetSlot(0)->Open(PathOf(folder + "a.img")));
        ASSERT_TRUE(drives.SetFloppyCount(1)); // a removed slot waits for the end too
        calls.clear();
    }
    EXPECT_TRUE(calls.empty());
    // The interface on its own frees its slots as well (ASan reports leaks).
    CDrivesInterface* plain = new CDrivesInterface();
    plain->SetHardDiskCount(3);
    plain->SetHardDiskCount(1);
    delete plain;
}

TEST(CDrives, StateSectionHasTheDocumentedLayout) {
    const std::string folder = test::MakeMediaFolder();
    const std::string image = folder + "a.img";
    test::WriteImage(image, 1234);
    CDrives drives;
    ASSERT_TRUE(drives.SetFloppyCount(2));
    ASSERT_TRUE(drives.SetCartridgeCount(1));
    ASSERT_TRUE(drives.GetSlot(1)->Open(PathOf(image)));
    drives.GetSlot(1)->SetRead(true);
    drives.GetSlot(2)->SetLatch(true);

    Bytes expected;
    test::AppendU8Field(expected, "VER", 0);
    test::AppendBegin(expected, "_DRIVES");
    AppendI32Field(expected, "DCNT", 3);
    AppendI32Field(expected, "FDCNT", 2);
    AppendWideField(expected, "FDFLE0", "");
    AppendU64Field(expected, "FDSIZ0", 0);
    test::AppendBoolField(expected, "FDLCH0", false);
    test::AppendBoolField(expected, "FDRDD0", false);
    AppendWideField(expected, "FDFLE1", image);
    AppendU64Field(expected, "FDSIZ1", 1234);
    test::AppendBoolField(expected, "FDLCH1", true);
    test::AppendBoolField(expected, "FDRDD1", true);
    AppendI32Field(expected, "HDCNT", 0);
    AppendI32Field(expected, "CRCNT", 1);
    AppendWideField(expected, "CRFLE0", "");
    AppendU64Field(expected, "CRSIZ0", 0);
    test::AppendBoolField(expected, "CRLCH0", true);
    test::AppendBoolField(expected, "CRRDD0", false);
    AppendI32Field(expected, "CDCNT", 0);
    test::AppendEnd(expected, "_DRIVES");
    EXPECT_EQ(expected, SaveDrives(drives));
}

TEST(CDrives, StateRoundTripRemountsImagesAndRestoresLatches) {
    const std::string folder = test::MakeMediaFolder();
    test::WriteImage(folder + "a.img", 100);
    test::WriteImage(folder + "b.img", 200);
    Bytes state;
    {
        CDrives source;
        ASSERT_TRUE(source.SetFloppyCount(3));
        ASSERT_TRUE(source.SetHardDiskCount(1));
        ASSERT_TRUE(source.GetSlot(0)->Open(PathOf(folder + "a.img")));
        ASSERT_TRUE(source.GetSlot(3)->Open(PathOf(folder + "b.img")));
        source.GetSlot(3)->SetLatch(false);
        source.GetSlot(2)->SetLatch(true);
        state = SaveDrives(source);
    }

    CDrives target;
    ASSERT_TRUE(target.SetFloppyCount(3));
    ASSERT_TRUE(target.SetHardDiskCount(1));
    target.SetLastPath(common::CPath("unchanged/"));
    test::CNoticeRecorder recorder(target);
    ASSERT_TRUE(LoadDrives(target, state));

    CMediaSlot* a = target.GetSlot(0);
    CMediaSlot* empty = target.GetSlot(1);
    CMediaSlot* latched = target.GetSlot(2);
    CMediaSlot* b = target.GetSlot(3);
    EXPECT_EQ(100, a->GetImageSize());
    EXPECT_TRUE(a->GetLatch());
    EXPECT_FALSE(empty->IsOpen());
    EXPECT_TRUE(latched->GetLatch());
    EXPECT_EQ(200, b->GetImageSize());
    EXPECT_FALSE(b->GetLatch());
    for (int i = 0; i < 4; ++i)
        EXPECT_TRUE(target.GetSlot(i)->IsRead()) << i; // whatever the state held
    EXPECT_EQ(0, target.GetLastPath().CompareNarrow("unchanged/"));
    EXPECT_TRUE(target.GetKindRecord(CDrivesInterface::kFloppy)->listLatch[0]);
    EXPECT_TRUE(target.GetKindRecord(CDrivesInterface::kFloppy)->listLatch[2]);
    EXPECT_FALSE(target.GetKindRecord(CDrivesInterface::kHardDisk)->listLatch[0]);
    EXPECT_EQ(NoticePairs({{a, 0}, {latched, 1}, {latched, 0}, {b, 0}, {b, 1}, {b, 0}}), recorder.Pairs());

    // The same state again: every image is the one mounted, nothing moves.
    recorder.notices.clear();
    ASSERT_TRUE(LoadDrives(target, state));
    EXPECT_TRUE(recorder.notices.empty());
    EXPECT_EQ(100, a->GetImageSize());
}

TEST(CDrives, StateLoadRefusesOtherSlotNumbers) {
    const std::string folder = test::MakeMediaFolder();
    test::WriteImage(folder + "a.img", 100);
    Bytes state;
    {
        CDrives source;
        ASSERT_TRUE(source.SetFloppyCount(1));
        ASSERT_TRUE(source.SetHardDiskCount(1));
        ASSERT_TRUE(source.GetSlot(0)->Open(PathOf(folder + "a.img")));
        state = SaveDrives(source);
    }
    {
        // Another total fails before any slot changes.
        CDrives target;
        ASSERT_TRUE(target.SetFloppyCount(3));
        EXPECT_FALSE(LoadDrives(target, state));
        EXPECT_FALSE(target.GetSlot(0)->IsOpen());
    }
    {
        // The same total split otherwise fails at the first kind that differs,
        // after the kinds before it were restored.
        CDrives target;
        ASSERT_TRUE(target.SetFloppyCount(1));
        ASSERT_TRUE(target.SetCartridgeCount(1));
        target.SetLastPath(common::CPath("kept/"));
        EXPECT_FALSE(LoadDrives(target, state));
        EXPECT_EQ(100, target.GetSlot(0)->GetImageSize());
        EXPECT_EQ(0, target.GetLastPath().CompareNarrow("kept/"));
    }
    {
        // "VER" other than 0, or another section name.
        CDrives target;
        ASSERT_TRUE(target.SetFloppyCount(1));
        ASSERT_TRUE(target.SetHardDiskCount(1));
        Bytes versioned = state;
        ASSERT_EQ(0, versioned[9]); // F8, the name record "VER", the type, the value
        versioned[9] = 1;
        EXPECT_FALSE(LoadDrives(target, versioned));
        Bytes renamed = state;
        renamed[21] = 'X'; // "_DRIVES" -> "_XRIVES"
        EXPECT_FALSE(LoadDrives(target, renamed));
        EXPECT_FALSE(target.GetSlot(0)->IsOpen());
        EXPECT_TRUE(LoadDrives(target, state));
    }
}

TEST(CDrives, StateLoadReportsMissingAndResizedImages) {
    const std::string folder = test::MakeMediaFolder();
    const std::string image = folder + "a.img";
    test::WriteImage(image, 100);
    Bytes state;
    {
        CDrives source;
        ASSERT_TRUE(source.SetFloppyCount(1));
        ASSERT_TRUE(source.SetCdromCount(1));
        ASSERT_TRUE(source.GetSlot(1)->Open(PathOf(image)));
        state = SaveDrives(source);
    }
    common::CTextConsole console;
    CDrives target;
    target.SetConsole(&console);
    ASSERT_TRUE(target.SetFloppyCount(1));
    ASSERT_TRUE(target.SetCdromCount(1));

    test::WriteImage(image, 150);
    EXPECT_FALSE(LoadDrives(target, state));
    target.GetSlot(1)->Close(); // the failed load left the resized image mounted
    std::filesystem::remove(image);
    EXPECT_FALSE(LoadDrives(target, state));
    EXPECT_EQ(std::vector<std::string>({"[CDD_0 ERROR] Incorrect file \"" + image + "\" size (need 100)!",
                                        "[CDD_0 ERROR] Can not load file \"" + image + "\"!"}),
              ConsoleLines(console));
}
