#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>

#include "MediaTestSupport.h"
#include "common/CFileStream.h"
#include "common/CSettingsRegistry.h"
#include "common/ProgramFolders.h"
#include "emu/framework/CDrives.h"
#include "emu/framework/CMediaSlot.h"

using emu::CDrives;
using emu::CDrivesInterface;
using emu::CMediaSlot;
using test::NoticePairs;
using test::PathOf;

namespace {

constexpr int kFloppy = CDrivesInterface::kFloppy;

// Reads a saved drive list back through a registry: the bound entries of one
// kind, with "-" for a path or maximum the file does not hold.
struct CSavedList {
    explicit CSavedList(const std::string& file) {
        common::CSettingsRegistry registry;
        registry.BindString("lastPath", &lastPath);
        registry.BindUInt8("fddMax", &max);
        for (int i = 0; i < 8; ++i) {
            paths[i] = common::CPath("-");
            common::CNarrowString key;
            key.Format("fdd%dLatch", i);
            registry.BindBool(key, &latches[i]);
            key.Format("fdd%dPath", i);
            registry.BindString(key, &paths[i]);
        }
        common::CFileStream stream;
        loaded = stream.OpenExisting(PathOf(file), false) && registry.Load(&stream, "NUVINI", "");
    }
    bool loaded = false;
    common::CPath lastPath;
    uint8_t max = 0xFF;
    bool latches[8] = {};
    common::CPath paths[8];
};

bool SameText(const common::CString& a, const std::string& b) {
    return a.CompareNarrow(b.c_str()) == 0;
}

} // namespace

TEST(CDriveList, RoundTripRemountsImagesRestoresLatchesAndTheLastFolder) {
    const std::string folder = test::MakeMediaFolder();
    const std::string pick = folder + "pick/";
    std::filesystem::create_directories(pick);
    test::WriteImage(folder + "a.img", 100);
    test::WriteImage(folder + "b.img", 200);
    test::WriteImage(folder + "h.img", 300);
    const std::string file = folder + "korvet.drv";
    {
        CDrives source;
        ASSERT_TRUE(source.SetFloppyCount(2));
        ASSERT_TRUE(source.SetHardDiskCount(1));
        ASSERT_TRUE(source.GetSlot(0)->Open(PathOf(folder + "a.img")));
        ASSERT_TRUE(source.GetSlot(1)->Open(PathOf(folder + "b.img")));
        ASSERT_TRUE(source.GetSlot(2)->Open(PathOf(folder + "h.img")));
        source.GetSlot(1)->SetLatch(false);
        source.SetLastPath(PathOf(pick));
        ASSERT_TRUE(source.SaveSettings(PathOf(file)));
    }
    const CSavedList saved(file);
    ASSERT_TRUE(saved.loaded);
    EXPECT_EQ(2, saved.max);
    EXPECT_TRUE(SameText(saved.lastPath, pick));
    EXPECT_TRUE(saved.latches[0]);
    EXPECT_FALSE(saved.latches[1]);
    EXPECT_TRUE(SameText(saved.paths[1], folder + "b.img"));
    EXPECT_TRUE(SameText(saved.paths[2], "-"));

    CDrives target;
    ASSERT_TRUE(target.SetFloppyCount(2));
    ASSERT_TRUE(target.SetHardDiskCount(1));
    test::CNoticeRecorder recorder(target);
    ASSERT_TRUE(target.LoadSettings(PathOf(file)));
    CMediaSlot* a = target.GetSlot(0);
    CMediaSlot* b = target.GetSlot(1);
    CMediaSlot* h = target.GetSlot(2);
    EXPECT_EQ(100, a->GetImageSize());
    EXPECT_TRUE(a->GetLatch());
    EXPECT_EQ(200, b->GetImageSize());
    EXPECT_FALSE(b->GetLatch());
    EXPECT_EQ(300, h->GetImageSize());
    // The images' own folder does not replace the one the list names.
    EXPECT_TRUE(SameText(target.GetLastPath(), pick));
    // The unlatched entry mounts, then unlatches with a pair of its own.
    EXPECT_EQ(NoticePairs({{a, 0}, {b, 0}, {b, 1}, {b, 0}, {h, 0}}), recorder.Pairs());
}

TEST(CDriveList, LoadingReplacesWhatTheSlotsHeld) {
    const std::string folder = test::MakeMediaFolder();
    test::WriteImage(folder + "a.img", 100);
    test::WriteImage(folder + "old.img", 50);
    const std::string file = folder + "list.drv";
    {
        CDrives source;
        ASSERT_TRUE(source.SetFloppyCount(2));
        ASSERT_TRUE(source.GetSlot(0)->Open(PathOf(folder + "a.img")));
        ASSERT_TRUE(source.SaveSettings(PathOf(file)));
    }
    CDrives target;
    ASSERT_TRUE(target.SetFloppyCount(2));
    ASSERT_TRUE(target.GetSlot(0)->Open(PathOf(folder + "old.img")));
    ASSERT_TRUE(target.GetSlot(1)->Open(PathOf(folder + "old.img")));
    ASSERT_TRUE(target.LoadSettings(PathOf(file)));
    EXPECT_EQ(100, target.GetSlot(0)->GetImageSize());
    // An empty entry leaves its slot empty and unlatched, without a message.
    EXPECT_FALSE(target.GetSlot(1)->IsOpen());
    EXPECT_FALSE(target.GetSlot(1)->GetLatch());
}

TEST(CDriveList, MissingListResetsTheDefaultsAndKeepsTheSlots) {
    const std::string folder = test::MakeMediaFolder();
    test::WriteImage(folder + "a.img", 100);
    CDrives drives;
    ASSERT_TRUE(drives.SetFloppyCount(1));
    ASSERT_TRUE(drives.GetSlot(0)->Open(PathOf(folder + "a.img")));
    CDrivesInterface::CKindRecord* floppy = drives.GetKindRecord(kFloppy);
    floppy->listMax = 5;
    floppy->listLatch[3] = true;
    floppy->listPath[3] = common::CPath("x.img");

    EXPECT_FALSE(drives.LoadSettings(PathOf(folder + "none.drv")));
    EXPECT_FALSE(drives.LoadSettings(common::CPath()));
    EXPECT_EQ(0, floppy->listMax);
    EXPECT_FALSE(floppy->listLatch[3]);
    EXPECT_TRUE(floppy->listPath[3].IsEmpty());
    EXPECT_EQ(0, drives.GetLastPath().CompareString(common::ProgramFolder()));
    EXPECT_EQ(100, drives.GetSlot(0)->GetImageSize());
    EXPECT_FALSE(drives.SaveSettings(common::CPath()));
}

TEST(CDriveList, AbsentOrVanishedLastFolderFallsBackToTheProgramFolder) {
    const std::string folder = test::MakeMediaFolder();
    struct CCase {
        const char* name;
        bool withLastPath;
        std::string lastPath;
    };
    const CCase cases[] = {
        {"absent", false, ""},
        {"empty", true, ""},
        {"vanished", true, folder + "gone/"},
    };
    for (const CCase& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string file = folder + c.name + ".drv";
        {
            common::CSettingsRegistry registry;
            common::CPath lastPath = PathOf(c.lastPath);
            uint8_t max = 0;
            if (c.withLastPath)
                registry.BindString("lastPath", &lastPath);
            registry.BindUInt8("fddMax", &max);
            ASSERT_TRUE(registry.SaveToFile(PathOf(file), "NUVINI", ""));
        }
        CDrives drives;
        drives.SetLastPath(PathOf(folder));
        EXPECT_TRUE(drives.LoadSettings(PathOf(file)));
        EXPECT_EQ(0, drives.GetLastPath().CompareString(common::ProgramFolder()));
    }
}

TEST(CDriveList, EntriesBeyondTheSlotNumberSurviveASave) {
    const std::string folder = test::MakeMediaFolder();
    for (const char* name : {"0.img", "1.img", "2.img", "3.img"})
        test::WriteImage(folder + name, 64);
    const std::string file = folder + "list.drv";
    {
        CDrives four;
        ASSERT_TRUE(four.SetFloppyCount(4));
        for (int i = 0; i < 4; ++i)
            ASSERT_TRUE(four.GetSlot(i)->Open(PathOf(folder + std::to_string(i) + ".img")));
        four.GetSlot(3)->SetLatch(false);
        ASSERT_TRUE(four.SaveSettings(PathOf(file)));
    }
    {
        CDrives two;
        ASSERT_TRUE(two.SetFloppyCount(2));
        ASSERT_TRUE(two.LoadSettings(PathOf(file)));
        two.GetSlot(0)->Close();
        ASSERT_TRUE(two.SaveSettings(PathOf(file)));
    }
    const CSavedList saved(file);
    ASSERT_TRUE(saved.loaded);
    EXPECT_EQ(4, saved.max);
    EXPECT_TRUE(saved.paths[0].IsEmpty());
    EXPECT_TRUE(SameText(saved.paths[1], folder + "1.img"));
    EXPECT_TRUE(SameText(saved.paths[2], folder + "2.img"));
    EXPECT_TRUE(SameText(saved.paths[3], folder + "3.img"));
    EXPECT_TRUE(saved.latches[2]);
    EXPECT_FALSE(saved.latches[3]);
}

TEST(CDriveList, SaveWritesOneEntryPerSlotFromAnEmptyList) {
    const std::string folder = test::MakeMediaFolder();
    const std::string file = folder + "list.drv";
    CDrives drives;
    ASSERT_TRUE(drives.SetFloppyCount(3));
    ASSERT_TRUE(drives.SaveSettings(PathOf(file)));
    EXPECT_EQ(3, drives.GetKindRecord(kFloppy)->listMax);
    const CSavedList saved(file);
    ASSERT_TRUE(saved.loaded);
    EXPECT_EQ(3, saved.max);
    for (int i = 0; i < 3; ++i)
        EXPECT_TRUE(saved.paths[i].IsEmpty()) << i;
    EXPECT_TRUE(SameText(saved.paths[3], "-"));
}

TEST(CDriveList, ListMaximaAreKeptWithinEightEntries) {
    const std::string folder = test::MakeMediaFolder();
    const std::string file = folder + "list.drv";
    {
        common::CSettingsRegistry registry;
        uint8_t max = 200;
        registry.BindUInt8("cartMax", &max);
        ASSERT_TRUE(registry.SaveToFile(PathOf(file), "NUVINI", ""));
    }
    CDrives drives;
    ASSERT_TRUE(drives.LoadSettings(PathOf(file)));
    EXPECT_EQ(8, drives.GetKindRecord(CDrivesInterface::kCartridge)->listMax);
    std::unique_ptr<common::CSettingsRegistry> all(drives.BindSettings(true));
    std::unique_ptr<common::CSettingsRegistry> some(drives.BindSettings(false));
    EXPECT_EQ(1u + 4u * 17u, all->GetValues().size());
    EXPECT_EQ(1u + 4u + 2u * 8u, some->GetValues().size()); // only the cartridge entries
    EXPECT_NE(nullptr, some->FindValue("cart7Path"));
    EXPECT_EQ(nullptr, some->FindValue("fdd0Latch"));
}

TEST(CDriveList, FailedSaveKeepsTheLastGoodFile) {
    const std::string folder = test::MakeMediaFolder();
    test::WriteImage(folder + "a.img", 100);
    const std::string file = folder + "list.drv";
    CDrives drives;
    ASSERT_TRUE(drives.SetFloppyCount(1));
    ASSERT_TRUE(drives.GetSlot(0)->Open(PathOf(folder + "a.img")));
    ASSERT_TRUE(drives.SaveSettings(PathOf(file)));
    const std::string good = test::ReadWholeFile(file);
    ASSERT_FALSE(good.empty());

    // A folder where the temporary file must go makes the write fail.
    std::filesystem::create_directories(file + ".tmp");
    drives.GetSlot(0)->Close();
    EXPECT_FALSE(drives.SaveSettings(PathOf(file)));
    EXPECT_EQ(good, test::ReadWholeFile(file));
    std::filesystem::remove(file + ".tmp");
    EXPECT_TRUE(drives.SaveSettings(PathOf(file)));
    EXPECT_NE(good, test::ReadWholeFile(file));
}
