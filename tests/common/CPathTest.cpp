#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "common/CNarrowString.h"
#include "common/CPath.h"
#include "common/HostFiles.h"
#include "common/ProgramFolders.h"

using common::CNarrowString;
using common::CPath;
using common::CWideString;

namespace {

std::string Text(const common::CString& s) {
    return s.GetNarrow();
}

// Makes the separator that MoveToParentFolder looks at a known one.
class PathSeparatorScope {
public:
    explicit PathSeparatorScope(const char16_t* modulePath) {
        common::SetModulePathOverride(modulePath);
        common::SetDataFolderOverride(u"");
        common::ResetAppFolders();
    }
    ~PathSeparatorScope() {
        common::ClearModulePathOverride();
        common::ClearDataFolderOverride();
        common::ResetAppFolders();
    }
};

} // namespace

TEST(CPath, IsAWideStringWhoseSubstringsArePlainWideStrings) {
    CPath path("C:\\dir\\file.txt");
    EXPECT_EQ(2, path.GetKind());
    EXPECT_EQ(2, path.GetCharSize());
    std::unique_ptr<CWideString> part(path.Substring(3, 3));
    EXPECT_EQ("dir", Text(*part));
    EXPECT_EQ(nullptr, dynamic_cast<CPath*>(part.get()));
}

TEST(CPath, CloneCopiesAndCreateEmptyIsEmpty) {
    const CPath path(u"a\\b");
    std::unique_ptr<CPath> clone(path.Clone());
    std::unique_ptr<CPath> empty(path.CreateEmpty());
    EXPECT_EQ(0, clone->CompareWideString(path));
    EXPECT_TRUE(empty->IsEmpty());
    EXPECT_EQ(2, empty->GetKind());
    EXPECT_TRUE(CPath(static_cast<const char*>(nullptr)).IsEmpty());
}

TEST(CPath, ComponentPicksTheStretchBetweenSeparators) {
    struct Case {
        const char* source;
        int index;
        const char* expected;
    };
    const Case cases[] = {
        {"a\\b/c", 0, "a"},
        {"a\\b/c", 1, "b"},
        {"a\\b/c", 2, "c"},
        {"a\\b/c", 3, ""},
        {"a\\b/c", -1, ""},
        {"a\\\\b", 1, ""}, // two adjacent separators
        {"a\\\\b", 2, "b"},
        {"", 0, ""},
        {"C:\\Program Files (x86)\\Emu\\emu.exe", 1, "Program Files (x86)"},
        {"C:\\", 1, ""},
        {"/opt/emu/", 0, ""},
        {"/opt/emu/", 1, "opt"},
        {"/opt/emu/", 2, "emu"},
        {"/opt/emu/", 3, ""},
        {"/opt/emu/", 4, ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.expected, Text(CPath(CPath(c.source), c.index))) << c.source << " #" << c.index;
        EXPECT_EQ(c.expected, Text(CPath(CNarrowString(c.source), c.index))) << "narrow " << c.source;
    }
}

TEST(CPath, GetFileNameTakesTheTextAfterTheLastSeparator) {
    struct Case {
        const char* source;
        const char* expected;
    };
    const Case cases[] = {
        {"C:\\dir/file.txt", "file.txt"},
        {"C:/dir\\file.txt", "file.txt"},
        {"file.txt", "file.txt"},
        {"C:\\dir\\", ""},
        {"", ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.expected, Text(CPath::GetFileName(CPath(c.source)))) << c.source;
        EXPECT_EQ(c.expected, Text(CPath::GetFileName(CNarrowString(c.source)))) << "narrow " << c.source;
    }
}

TEST(CPath, MoveToParentFolderWithBackslashSeparator) {
    PathSeparatorScope scope(u"C:\\Emu\\emu.exe");
    struct Case {
        const char* before;
        bool result;
        const char* after;
    };
    const Case cases[] = {
        {"a\\b\\c.txt", true, "a\\b\\"},
        {"a\\b\\", true, "a\\"},
        {"a\\cd\\", true, "a\\"},
        {"abc\\", true, ""},
        {"a\\..\\", true, "a\\..\\..\\"},
        {"..\\", true, "..\\..\\"},
        {"a\\.\\", true, "a\\.\\..\\"},
        {"a\\.x\\", true, "a\\"},
        {"abc", false, "abc"},
        {"a/b/", false, "a/b/"}, // only the program's own separator counts
        {"", false, ""},
    };
    for (const Case& c : cases) {
        CPath path(c.before);
        EXPECT_EQ(c.result, path.MoveToParentFolder()) << c.before;
        EXPECT_EQ(c.after, Text(path)) << c.before;
    }
}

TEST(CPath, MoveToParentFolderWithSlashSeparator) {
    PathSeparatorScope scope(u"/opt/emu/emu");
    CPath path("/home/user/file");
    EXPECT_TRUE(path.MoveToParentFolder());
    EXPECT_EQ("/home/user/", Text(path));
    EXPECT_TRUE(path.MoveToParentFolder());
    EXPECT_EQ("/home/", Text(path));
    CPath backslashed("a\\b\\");
    EXPECT_FALSE(backslashed.MoveToParentFolder());
}
