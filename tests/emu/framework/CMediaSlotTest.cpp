#include <gtest/gtest.h>

#include <string>

#include "MediaTestSupport.h"
#include "common/CNarrowString.h"
#include "emu/framework/CDrives.h"
#include "emu/framework/CMediaSlot.h"

using emu::CMediaSlot;
using test::CNotice;
using test::NoticePairs;
using test::PathOf;

namespace {

// A drive set with one floppy slot whose notices are recorded from here on.
struct CFixture {
    CFixture() : recorder(drives) {
        drives.SetFloppyCount(1);
        slot = drives.GetSlot(0);
        recorder.notices.clear();
    }
    emu::CDrives drives;
    test::CNoticeRecorder recorder;
    CMediaSlot* slot = nullptr;
};

} // namespace

TEST(CMediaSlot, OpenMountsLatchedWithOnlyTheAfterNotice) {
    const std::string folder = test::MakeMediaFolder();
    test::WriteImage(folder + "a.img", 300);
    CFixture f;
    f.slot->SetRead(true);
    f.slot->SetWritten(true);
    f.slot->SetModified(true);
    f.slot->SetExamined(true);
    f.slot->SetMediaValid(true);
    f.slot->SetInUse(true);

    ASSERT_TRUE(f.slot->Open(PathOf(folder + "a.img")));
    EXPECT_EQ(std::vector<CNotice>({{f.slot, 0, true, true, true, false}}), f.recorder.notices);
    EXPECT_TRUE(f.slot->IsOpen());
    EXPECT_EQ(0, f.slot->GetPath().CompareNarrow((folder + "a.img").c_str()));
    EXPECT_EQ(300, f.slot->GetImageSize());
    EXPECT_TRUE(f.slot->GetLatch());
    EXPECT_TRUE(f.slot->IsChanged());
    EXPECT_FALSE(f.slot->IsRead());
    EXPECT_FALSE(f.slot->IsWritten());
    EXPECT_FALSE(f.slot->IsModified());
    EXPECT_FALSE(f.slot->IsExamined());
    EXPECT_FALSE(f.slot->IsMediaValid());
    EXPECT_FALSE(f.slot->IsInUse());
    EXPECT_FALSE(f.slot->IsReadOnly());
    EXPECT_EQ(0, f.drives.GetLastPath().CompareNarrow(folder.c_str()));
}

TEST(CMediaSlot, SecondOpenFailsKeepsTheImageButMovesTheLastPath) {
    const std::string folder = test::MakeMediaFolder();
    const std::string other = folder + "other/";
    std::filesystem::create_directories(other);
    test::WriteImage(folder + "a.img", 300);
    test::WriteImage(other + "b.img", 500);
    CFixture f;
    ASSERT_TRUE(f.slot->Open(PathOf(folder + "a.img")));
    f.recorder.notices.clear();

    EXPECT_FALSE(f.slot->Open(PathOf(other + "b.img"), 0, 0));
    EXPECT_TRUE(f.recorder.notices.empty());
    EXPECT_EQ(300, f.slot->GetImageSize());
    EXPECT_EQ(0, f.slot->GetPath().CompareNarrow((folder + "a.img").c_str()));
    EXPECT_EQ(0, f.drives.GetLastPath().CompareNarrow(other.c_str()));
}

// A refused file, whichever the reason, leaves the mounted image, its latch
// and its flags alone; an accepted one takes its place.
TEST(CMediaSlot, ReplaceChecksTheNewFileBeforeTheOldImageGoes) {
    const std::string folder = test::MakeMediaFolder();
    test::WriteImage(folder + "a.img", 300);
    test::WriteImage(folder + "small.img", 100);
    test::WriteImage(folder + "b.img", 500);
    CFixture f;
    f.drives.SetImageCheckCallback([](void*, CMediaSlot*, uint64_t size) { return size >= 300; }, nullptr);
    ASSERT_TRUE(f.slot->Open(PathOf(folder + "a.img")));
    f.slot->SetLatch(false);
    f.slot->SetMediaValid(true);
    f.recorder.notices.clear();
    struct CCase {
        const char* file;
        CMediaSlot::MountResult result;
        int64_t size;
    };
    const CCase refused[] = {{"missing.img", CMediaSlot::kCannotOpen, 0},
                             {"small.img", CMediaSlot::kFitsNoFormat, 100}};
    for (const CCase& c : refused) {
        SCOPED_TRACE(c.file);
        int64_t size = -1;
        EXPECT_EQ(c.result, f.slot->Replace(PathOf(folder + c.file), &size));
        EXPECT_EQ(c.size, size);
        EXPECT_TRUE(f.recorder.notices.empty());
        EXPECT_EQ(0, f.slot->GetPath().CompareNarrow((folder + "a.img").c_str()));
        EXPECT_FALSE(f.slot->GetLatch());
        EXPECT_TRUE(f.slot->IsMediaValid());
    }
    int64_t size = 0;
    EXPECT_EQ(CMediaSlot::kMounted, f.slot->Replace(PathOf(folder + "b.img"), &size));
    EXPECT_EQ(500, f.slot->GetImageSize());
    EXPECT_TRUE(f.slot->GetLatch());
    EXPECT_EQ(0, f.slot->GetPath().CompareNarrow((folder + "b.img").c_str()));
}

TEST(CMediaSlot, LastPathIsCutAfterTheLastSlashElseBackslashElseWhole) {
    struct CCase {
        const char* path;
        const char* lastPath;
    };
    const CCase cases[] = {
        {"no_separator.img", "no_separator.img"},
        {"C:\\disks\\a.img", "C:\\disks\\"},
        {"/disks/sub/a.img", "/disks/sub/"},
        {"a/b\\c.img", "a/"}, // the slash wins even before a backslash
    };
    for (const CCase& c : cases) {
        SCOPED_TRACE(c.path);
        CFixture f;
        EXPECT_FALSE(f.slot->Open(common::CPath(c.path))); // none of them exists
        EXPECT_EQ(0, f.drives.GetLastPath().CompareNarrow(c.lastPath));
        EXPECT_TRUE(f.recorder.notices.empty());
        EXPECT_FALSE(f.slot->GetLatch());
    }
    CFixture f;
    f.drives.SetLastPath(common::CPath("kept/"));
    EXPECT_FALSE(f.slot->Open(common::CPath()));
    EXPECT_EQ(0, f.drives.GetLastPath().CompareNarrow("kept/"));
}

TEST(CMediaSlot, CloseEjectsBetweenTwoNoticesAndKeepsTheLatch) {
    const std::string folder = test::MakeMediaFolder();
    test::WriteImage(folder + "a.img", 300);
    CFixture f;
    f.slot->Close(); // empty: nothing at all
    EXPECT_TRUE(f.recorder.notices.empty());
    EXPECT_FALSE(f.slot->IsChanged());

    ASSERT_TRUE(f.slot->Open(PathOf(folder + "a.img")));
    f.slot->SetChanged(false);
    f.slot->SetRead(true);
    f.slot->SetMediaValid(true);
    f.recorder.notices.clear();

    f.slot->Close();
    EXPECT_EQ(std::vector<CNotice>({{f.slot, 1, true, true, false, false}, {f.slot, 0, true, false, true, false}}),
              f.recorder.notices);
    EXPECT_FALSE(f.slot->IsOpen());
    EXPECT_TRUE(f.slot->GetPath().IsEmpty());
    EXPECT_EQ(0, f.slot->GetImageSize());
    EXPECT_TRUE(f.slot->GetLatch());
    EXPECT_FALSE(f.slot->IsRead());
    EXPECT_FALSE(f.slot->IsMediaValid());
}

TEST(CMediaSlot, LatchChangesSendAPairAndRepeatsNothing) {
    CFixture f;
    f.slot->SetLatch(false);
    f.slot->SetMounted(false);
    EXPECT_TRUE(f.recorder.notices.empty());
    EXPECT_FALSE(f.slot->IsChanged());

    f.slot->SetLatch(true);
    EXPECT_EQ(std::vector<CNotice>({{f.slot, 1, false, false, false, false}, {f.slot, 0, true, false, true, false}}),
              f.recorder.notices);
    f.recorder.notices.clear();
    f.slot->SetMounted(false);
    EXPECT_EQ(NoticePairs({{f.slot, 1}, {f.slot, 0}}), f.recorder.Pairs());
    EXPECT_FALSE(f.slot->IsMounted());
}

TEST(CMediaSlot, WithoutAnOwnerOnlyTheFlagsChange) {
    const std::string folder = test::MakeMediaFolder();
    test::WriteImage(folder + "a.img", 10);
    CMediaSlot slot(nullptr);
    slot.SetLatch(true);
    EXPECT_TRUE(slot.GetLatch());
    EXPECT_TRUE(slot.IsChanged());
    EXPECT_TRUE(slot.Open(PathOf(folder + "a.img")));
    EXPECT_TRUE(slot.GetLastPath().IsEmpty());
    slot.NotifyChanged(true);
    slot.Close();
    EXPECT_FALSE(slot.IsOpen());
}

TEST(CMediaSlot, NotifyChangedMarksTheSlotOnlyAfterTheChange) {
    CFixture f;
    f.slot->NotifyChanged(true);
    EXPECT_FALSE(f.slot->IsChanged());
    f.slot->NotifyChanged(false);
    EXPECT_TRUE(f.slot->IsChanged());
    EXPECT_EQ(std::vector<CNotice>({{f.slot, 1, false, false, false, false}, {f.slot, 0, false, false, true, false}}),
              f.recorder.notices);
}

TEST(CMediaSlot, HostReadOnlyImageMountsWriteProtected) {
    const std::string folder = test::MakeMediaFolder();
    const std::string path = folder + "locked.img";
    test::WriteImage(path, 1024);
    test::WriteImage(folder + "open.img", 1024);
    test::CReadOnlyFile locked(path);
    ASSERT_FALSE(locked.Privileged()) << test::kWritesReadOnlyFiles;
    CFixture f;

    ASSERT_TRUE(f.slot->Open(PathOf(path)));
    // The flag always follows what the host granted...
    EXPECT_EQ(!f.slot->GetImage()->CanWrite(), f.slot->IsReadOnly());
    f.slot->Close();
    EXPECT_FALSE(f.slot->IsReadOnly()); // an empty slot protects nothing
    ASSERT_TRUE(f.slot->Open(PathOf(folder + "open.img")));
    EXPECT_FALSE(f.slot->IsReadOnly());
    f.slot->Close();

    ASSERT_TRUE(f.slot->Open(PathOf(path)));
    // ...so a file the host will not let us write is write-protected for the guest.
    EXPECT_TRUE(f.slot->IsReadOnly());
}

TEST(CMediaSlot, FileTypesAndCaptions) {
    CMediaSlot slot(nullptr);
    slot.AddFileType(common::CNarrowString(""), common::CNarrowString("ignored"));
    slot.AddFileType(common::CNarrowString("kdi"), common::CNarrowString("Korvet disk image"));
    slot.AddFileType(common::CNarrowString("img"), common::CNarrowString(""));

    common::CNarrowString extension, description;
    ASSERT_TRUE(slot.GetFileType(0, extension, description));
    EXPECT_EQ(0, extension.CompareNarrow("kdi"));
    EXPECT_EQ(0, description.CompareNarrow("Korvet disk image"));
    ASSERT_TRUE(slot.GetFileType(1, extension, description));
    EXPECT_EQ(0, extension.CompareNarrow("img"));
    EXPECT_EQ(0, description.CompareNarrow("img"));
    EXPECT_FALSE(slot.GetFileType(2, extension, description));
    EXPECT_FALSE(slot.GetFileType(-1, extension, description));

    slot.SetCaptions("Drive A", nullptr);
    EXPECT_EQ(0, slot.GetCaption().CompareNarrow("Drive A"));
    EXPECT_EQ(0, slot.GetShortCaption().CompareNarrow("Drive A"));
    slot.SetCaptions(nullptr, "A");
    EXPECT_TRUE(slot.GetCaption().IsEmpty());
    EXPECT_EQ(0, slot.GetShortCaption().CompareNarrow("A"));
}

TEST(CMediaSlot, DestroyedSlotAnnouncesItsRemovalWhileStillReadable) {
    const std::string folder = test::MakeMediaFolder();
    test::WriteImage(folder + "a.img", 10);
    emu::CDrives drives;
    test::CNoticeRecorder recorder(drives);
    CMediaSlot* slot = new CMediaSlot(&drives);
    ASSERT_TRUE(slot->Open(PathOf(folder + "a.img")));
    slot->SetChanged(false); // as a drive leaves it after examining the medium
    recorder.notices.clear();
    delete slot;
    EXPECT_EQ(std::vector<CNotice>({{slot, 1, true, true, false, false},
                                    {slot, 1, true, true, false, false},
                                    {slot, 0, true, false, true, false},
                                    {slot, 0, true, false, true, true}}),
              recorder.notices);
}
