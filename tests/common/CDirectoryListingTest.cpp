#include <gtest/gtest.h>

#include <cctype>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <vector>

#include "common/CDirectoryListing.h"
#include "common/CNarrowString.h"
#include "common/CWideString.h"

using namespace common;
namespace fs = std::filesystem;

namespace {

// A fresh folder below KORVET_TEST_TEMP named after the running test.
fs::path MakeFolder() {
    const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name = std::string("dirlist_") + info->name();
    for (char& c : name)
        if (!std::isalnum(static_cast<unsigned char>(c)))
            c = '_';
    const fs::path folder = fs::path(KORVET_TEST_TEMP) / name;
    std::error_code error;
    fs::remove_all(folder, error);
    fs::create_directories(folder, error);
    return folder;
}

void Touch(const fs::path& file) {
    std::ofstream(file) << "x";
}

// The folder as the listing takes it, with or without a closing separator.
CPath PathOf(const fs::path& folder, bool closed = true) {
    CPath path;
    const std::u16string text = folder.generic_u16string() + (closed ? u"/" : u"");
    path.AssignWide(text.c_str());
    return path;
}

struct Entry {
    std::u16string name;
    bool isFolder;
    bool operator<(const Entry& other) const { return isFolder != other.isFolder ? isFolder : name < other.name; }
    bool operator==(const Entry& other) const { return name == other.name && isFolder == other.isFolder; }
};

std::vector<Entry> Entries(CDirectoryListing& listing) {
    std::vector<Entry> entries;
    CWideString name;
    bool isFolder = false;
    for (uint32_t i = 0; listing.GetEntry(i, name, isFolder); ++i)
        entries.push_back({std::u16string(name.GetWide()), isFolder});
    EXPECT_EQ(entries.size(), listing.GetEntryCount());
    return entries;
}

std::set<std::u16string> Files(CDirectoryListing& listing) {
    std::set<std::u16string> names;
    for (const Entry& e : Entries(listing))
        if (!e.isFolder)
            names.insert(e.name);
    return names;
}

// a.dsk, B.DSK, c.txt, .hidden, and the folders sub and .dotdir.
fs::path MakeSampleFolder() {
    const fs::path folder = MakeFolder();
    for (const char* file : {"a.dsk", "B.DSK", "c.txt", ".hidden"})
        Touch(folder / file);
    fs::create_directory(folder / "sub");
    fs::create_directory(folder / ".dotdir");
    return folder;
}

} // namespace

TEST(CDirectoryListing, ScanShowsParentThenFoldersThenFiles) {
    const fs::path folder = MakeSampleFolder();
    CDirectoryListing listing;
    ASSERT_TRUE(listing.Scan(PathOf(folder), CNarrowString("")));
    EXPECT_TRUE(listing.HasParentEntry());
    EXPECT_EQ(listing.GetFolderCount(), 2u);
    EXPECT_EQ(listing.GetFileCount(), 4u);
    const std::vector<Entry> entries = Entries(listing);
    ASSERT_EQ(entries.size(), 7u);
    EXPECT_EQ(entries[0], (Entry{u"..", true}));
    // Folders in the host's order, then files in the host's order.
    EXPECT_EQ(std::set<Entry>(entries.begin() + 1, entries.begin() + 3),
              (std::set<Entry>{{u"sub", true}, {u".dotdir", true}}));
    EXPECT_EQ(std::set<Entry>(entries.begin() + 3, entries.end()),
              (std::set<Entry>{{u"a.dsk", false}, {u"B.DSK", false}, {u"c.txt", false}, {u".hidden", false}}));
    CWideString name;
    bool isFolder = true;
    EXPECT_FALSE(listing.GetEntry(7, name, isFolder));
    EXPECT_FALSE(listing.GetEntry(0xFFFFFFFFu, name, isFolder));
}

TEST(CDirectoryListing, FolderWithoutClosingSeparatorListsItsOwnEntries) {
    const fs::path folder = MakeSampleFolder();
    CDirectoryListing listing;
    ASSERT_TRUE(listing.Scan(PathOf(folder, false), CNarrowString("*")));
    EXPECT_EQ(listing.GetFolderCount(), 2u);
    EXPECT_EQ(listing.GetFileCount(), 4u);
    EXPECT_TRUE(listing.HasParentEntry());
}

TEST(CDirectoryListing, EmptyFolderListsOnlyTheParentEntry) {
    const fs::path folder = MakeFolder();
    CDirectoryListing listing;
    ASSERT_TRUE(listing.Scan(PathOf(folder), CNarrowString("")));
    const std::vector<Entry> entries = Entries(listing);
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0], (Entry{u"..", true}));
}

TEST(CDirectoryListing, ScanRefusesFilesAndMissingFoldersLeavingTheListingEmpty) {
    const fs::path folder = MakeSampleFolder();
    CDirectoryListing listing;
    ASSERT_TRUE(listing.Scan(PathOf(folder), CNarrowString("")));
    CPath file;
    file.AssignWide((folder / "a.dsk").generic_u16string().c_str());
    EXPECT_FALSE(listing.Scan(file, CNarrowString("")));
    EXPECT_EQ(listing.GetEntryCount(), 0u);
    EXPECT_FALSE(listing.HasParentEntry());
    EXPECT_TRUE(listing.GetFolder().IsEmpty());
    EXPECT_FALSE(listing.Scan(PathOf(folder / "missing"), CNarrowString("")));
    EXPECT_EQ(listing.GetEntryCount(), 0u);
}

TEST(CDirectoryListing, PatternNarrowsTheScan) {
    const fs::path folder = MakeSampleFolder();
    CDirectoryListing listing;
    ASSERT_TRUE(listing.Scan(PathOf(folder), CWideString(u"*.dsk")));
    EXPECT_FALSE(listing.HasParentEntry()); // ".." does not match, so a rescan forgets it
    EXPECT_EQ(listing.GetFolderCount(), 0u);
    EXPECT_EQ(Files(listing), (std::set<std::u16string>{u"a.dsk", u"B.DSK"}));
    EXPECT_FALSE(listing.Scan(PathOf(folder), CNarrowString("*.none")));
    EXPECT_EQ(listing.GetEntryCount(), 0u);
}

TEST(CDirectoryListing, BuildOrderNarrowsFilesByEnding) {
    const fs::path folder = MakeSampleFolder();
    CDirectoryListing listing;
    ASSERT_TRUE(listing.Scan(PathOf(folder), CNarrowString("")));
    const std::vector<Entry> all = Entries(listing);
    CStringList endings;
    endings.Add(CNarrowString(".dsk"));
    endings.Add(CNarrowString(".none"));

    ASSERT_TRUE(listing.BuildOrder(endings, true, true, true));
    EXPECT_EQ(Files(listing), (std::set<std::u16string>{u"a.dsk", u"B.DSK"}));
    EXPECT_EQ(listing.GetFolderCount(), 2u); // folders are never narrowed
    // The kept files keep the host's relative order.
    std::vector<Entry> kept = Entries(listing);
    std::vector<Entry> expected;
    for (const Entry& e : all)
        if (e.isFolder || e.name == u"a.dsk" || e.name == u"B.DSK")
            expected.push_back(e);
    EXPECT_EQ(kept, expected);

    listing.ResetOrder(false, true);
    EXPECT_EQ(Entries(listing), all);
    ASSERT_TRUE(listing.BuildOrder(endings, false, false, true));
    EXPECT_EQ(Files(listing), (std::set<std::u16string>{u"a.dsk"}));
}

TEST(CDirectoryListing, BuildOrderRefusesWithoutEndingsFilesOrMatches) {
    const fs::path folder = MakeSampleFolder();
    CDirectoryListing listing;
    ASSERT_TRUE(listing.Scan(PathOf(folder), CNarrowString("")));
    CStringList none;
    EXPECT_FALSE(listing.BuildOrder(none, true, true, true));
    CStringList endings;
    endings.Add(CNarrowString(".txt"));
    EXPECT_FALSE(listing.BuildOrder(endings, true, true, false));
    EXPECT_EQ(listing.GetFileCount(), 4u);

    CStringList other;
    other.Add(CWideString(u".rom"));
    EXPECT_FALSE(listing.BuildOrder(other, true, true, true));
    EXPECT_EQ(listing.GetFileCount(), 0u);
    EXPECT_FALSE(listing.BuildOrder(endings, true, true, true)); // no files left to narrow
    listing.ResetOrder(true, true);
    EXPECT_EQ(listing.GetFileCount(), 4u);
}

TEST(CDirectoryListing, NonAsciiNamesComeBackAsUtf16) {
    const fs::path folder = MakeFolder();
    const std::u16string name = u"\u0444\u0430\u0439\u043B.dsk";
    Touch(folder / fs::path(name));
    fs::create_directory(folder / fs::path(u"\u043F\u0430\u043F\u043A\u0430"));
    CDirectoryListing listing;
    ASSERT_TRUE(listing.Scan(PathOf(folder), CNarrowString("")));
    EXPECT_EQ(Files(listing), (std::set<std::u16string>{name}));
    CWideString entry;
    bool isFolder = false;
    ASSERT_TRUE(listing.GetEntry(1, entry, isFolder));
    EXPECT_TRUE(isFolder);
    EXPECT_EQ(std::u16string(entry.GetWide()), u"\u043F\u0430\u043F\u043A\u0430");
}

TEST(CDirectoryListing, ClearEmptiesEverything) {
    const fs::path folder = MakeSampleFolder();
    CDirectoryListing listing;
    ASSERT_TRUE(listing.Scan(PathOf(folder), CNarrowString("")));
    listing.Clear();
    EXPECT_EQ(listing.GetEntryCount(), 0u);
    EXPECT_TRUE(listing.GetFolder().IsEmpty());
    CNarrowString name;
    bool isFolder = false;
    EXPECT_FALSE(listing.GetEntry(0, name, isFolder));
}
