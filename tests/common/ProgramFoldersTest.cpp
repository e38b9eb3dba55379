#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "PathTestFolder.h"
#include "WithoutOverrideRights.h"
#include "common/CNarrowString.h"
#include "common/HostFiles.h"
#include "common/ProgramFolders.h"

using common::CPath;
using common::CWideString;

namespace {

std::string Text(const common::CString& s) {
    return s.GetNarrow();
}

common::WideText Wide(const std::string& text) {
    return common::WideText(text.begin(), text.end());
}

void WriteFile(const std::string& path, const char* contents) {
    std::ofstream(path, std::ios::binary) << contents;
}

// Every test computes the folders from an injected module path and data
// folder, never from the real ones, and leaves no injection behind.
class ProgramFolders : public ::testing::Test {
protected:
    void TearDown() override {
        common::ClearModulePathOverride();
        common::ClearDataFolderOverride();
        common::ResetAppFolders();
    }

    static void Inject(const std::string& modulePath, const std::string& dataFolder) {
        common::SetModulePathOverride(Wide(modulePath));
        common::SetDataFolderOverride(Wide(dataFolder));
        common::ResetAppFolders();
    }
};

} // namespace

TEST_F(ProgramFolders, SplitTheModulePathAndApplyTheProgramFilesRule) {
    struct Case {
        const char* module;
        const char* folder;
        const char* name;
        const char* extension;
        const char* separator;
        bool usesAppData;
    };
    const Case cases[] = {
        {"C:\\Program Files (x86)\\Emu\\emu.exe", "C:\\Program Files (x86)\\Emu\\", "emu", "exe", "\\", true},
        {"C:\\Program Files\\emu.exe", "C:\\Program Files\\", "emu", "exe", "\\", true},
        {"c:\\program files\\Emu\\emu.exe", "c:\\program files\\Emu\\", "emu", "exe", "\\", true},
        {"/Program Files/Emu/emu", "/Program Files/Emu/", "emu", "", "/", true},
        {"D:\\Tools\\Emu\\emu.exe", "D:\\Tools\\Emu\\", "emu", "exe", "\\", false},
        {"C:\\emu.exe", "C:\\", "emu", "exe", "\\", false},
        {"C:\\ProgramFiles\\emu.exe", "C:\\ProgramFiles\\", "emu", "exe", "\\", false},
        {"C:\\Program\\emu.exe", "C:\\Program\\", "emu", "exe", "\\", false},
        {"C:\\Tools\\emu", "C:\\Tools\\", "emu", "", "\\", false},
        {"C:\\my.tools\\emu", "C:\\my.tools\\", "emu", "", "\\", false},
        {"C:\\Tools/emu.tar.gz", "C:\\Tools/", "emu.tar", "gz", "/", false},
        {"emu.exe", "", "emu", "exe", "\\", false}, // a bare name has no folder
    };
    for (const Case& c : cases) {
        const std::string appData = std::string("E:") + c.separator + "AppData" + c.separator;
        Inject(c.module, appData);
        EXPECT_EQ(c.folder, Text(common::ProgramFolder())) << c.module;
        EXPECT_EQ(c.name, Text(common::ProgramName())) << c.module;
        EXPECT_EQ(c.extension, Text(common::ProgramExtension())) << c.module;
        EXPECT_EQ(c.separator, Text(common::PathSeparator())) << c.module;
        EXPECT_EQ(appData, Text(common::AppDataFolder())) << c.module;
        EXPECT_EQ(c.usesAppData ? appData : std::string(c.folder), Text(common::DataFolder())) << c.module;
    }
}

TEST_F(ProgramFolders, AppDataFolderGetsTheProgramSeparatorAppended) {
    Inject("C:\\Program Files\\Emu\\emu.exe", "E:\\AppData");
    EXPECT_EQ("E:\\AppData\\", Text(common::AppDataFolder()));
    Inject("/Program Files/Emu/emu", "/home/u/.local/share");
    EXPECT_EQ("/home/u/.local/share/", Text(common::AppDataFolder()));
    // Only the program's own separator counts as a trailing one.
    Inject("/Program Files/Emu/emu", "E:\\AppData\\");
    EXPECT_EQ("E:\\AppData\\/", Text(common::AppDataFolder()));
}

TEST_F(ProgramFolders, NoModulePathLeavesEveryFolderEmpty) {
    Inject("", "E:\\AppData\\");
    EXPECT_EQ("\\", Text(common::PathSeparator()));
    EXPECT_TRUE(common::ProgramFolder().IsEmpty());
    EXPECT_TRUE(common::ProgramName().IsEmpty());
    EXPECT_TRUE(common::AppDataFolder().IsEmpty());
    EXPECT_TRUE(common::DataFolder().IsEmpty());
    EXPECT_TRUE(common::MakeDataPath("NUVKeltoEmu", true).IsEmpty());
}

TEST_F(ProgramFolders, NoAppDataFolderFallsBackToTheProgramFolder) {
    Inject("C:\\Program Files\\Emu\\emu.exe", "");
    EXPECT_TRUE(common::AppDataFolder().IsEmpty());
    EXPECT_TRUE(common::DataFolder().IsEmpty());
    EXPECT_EQ("C:\\Program Files\\Emu\\", Text(common::MakeDataPath("NUVKeltoEmu", true)));
    EXPECT_EQ("C:\\Program Files\\Emu\\", Text(common::MakeUserFolderPath("NUVKeltoEmu", true)));
}

TEST_F(ProgramFolders, FoldersAreComputedOnceUntilReset) {
    Inject("D:\\Tools\\emu.exe", "E:\\AppData\\");
    EXPECT_EQ("D:\\Tools\\", Text(common::ProgramFolder()));
    common::SetModulePathOverride(u"F:\\Other\\emu.exe");
    common::InitAppFolders();
    EXPECT_EQ("D:\\Tools\\", Text(common::ProgramFolder()));
    common::ResetAppFolders();
    EXPECT_EQ("F:\\Other\\", Text(common::ProgramFolder()));
}

TEST_F(ProgramFolders, MakePathComposesWithoutAddingASeparatorAfterTheFolder) {
    Inject("C:\\Tools\\emu.exe", "");
    EXPECT_EQ("C:\\A\\states\\game.sav", Text(common::MakePath("C:\\A\\", "states", "game", "sav")));
    EXPECT_EQ("C:\\A\\game", Text(common::MakePath("C:\\A\\", "", "game", "")));
    EXPECT_EQ("C:\\Agame.sav", Text(common::MakePath("C:\\A", "", "game", "sav")));
    EXPECT_EQ("C:\\A\\states\\", Text(common::MakePath(CPath("C:\\A\\"), "states", "", "")));
}

TEST_F(ProgramFolders, ProgramFilesInstallWritesBelowTheAppDataFolder) {
    const std::string appData = MakeTestFolderText();
    Inject("C:/Program Files (x86)/Emu/emu.exe", appData);
    const CPath expected((appData + "NUVKeltoEmu/").c_str());

    const CPath notCreated = common::MakeDataPath("NUVKeltoEmu", false);
    EXPECT_EQ(Text(expected), Text(notCreated));
    EXPECT_FALSE(common::FolderExists(notCreated));

    const CPath created = common::MakeDataPath("NUVKeltoEmu", true);
    EXPECT_EQ(Text(expected), Text(created));
    EXPECT_TRUE(common::FolderExists(created));
    EXPECT_EQ(Text(expected), Text(common::MakeDataPath("NUVKeltoEmu", true))); // exists already

    // Without a sub-folder the program's name is used.
    EXPECT_EQ(appData + "emu/", Text(common::MakeDataPath("", false)));
}

TEST_F(ProgramFolders, OtherInstallKeepsItsFilesInItsOwnFolder) {
    const std::string programFolder = MakeTestFolderText();
    const std::string appData = programFolder + "appdata/";
    std::filesystem::create_directories(appData);
    Inject(programFolder + "emu.exe", appData);

    EXPECT_EQ(programFolder, Text(common::MakeDataPath("NUVKeltoEmu", true)));
    EXPECT_EQ(programFolder, Text(common::MakeDataPath("", true)));
    EXPECT_FALSE(common::FolderExists(CPath((programFolder + "NUVKeltoEmu").c_str())));
    EXPECT_FALSE(common::FolderExists(CPath((appData + "NUVKeltoEmu").c_str())));

    // The user folder lies below the application-data folder all the same.
    EXPECT_EQ(appData + "NUVKeltoEmu/", Text(common::MakeUserFolderPath("NUVKeltoEmu", true)));
    EXPECT_TRUE(common::FolderExists(CPath((appData + "NUVKeltoEmu").c_str())));
}

TEST_F(ProgramFolders, FailedCreationFallsBackToTheProgramFolder) {
    const std::string missingParent = MakeTestFolderText() + "missing/appdata/";
    Inject("C:/Program Files/Emu/emu.exe", missingParent);
    EXPECT_EQ("C:/Program Files/Emu/", Text(common::MakeDataPath("NUVKeltoEmu", true)));
    EXPECT_EQ("C:/Program Files/Emu/", Text(common::MakeUserFolderPath("NUVKeltoEmu", true)));
}

TEST_F(ProgramFolders, SetProgramLocationReplacesFolderAndName) {
    const std::string base = MakeTestFolderText();
    Inject("D:/Tools/emu.exe", "");

    CPath empty;
    EXPECT_FALSE(common::SetProgramLocation(empty, "other", true));
    EXPECT_EQ("emu", Text(common::ProgramName()));

    CPath folder((base + "new").c_str());
    EXPECT_TRUE(common::SetProgramLocation(folder, "other", true));
    EXPECT_EQ(base + "new/", Text(folder)); // the caller's object gains the separator
    EXPECT_EQ(base + "new/", Text(common::ProgramFolder()));
    EXPECT_EQ("other", Text(common::ProgramName()));
    EXPECT_TRUE(common::FolderExists(folder));

    CPath unreachable((base + "missing/deeper/").c_str());
    EXPECT_FALSE(common::SetProgramLocation(unreachable, "third", true));
    EXPECT_EQ(base + "new/", Text(common::ProgramFolder()));
    EXPECT_EQ("other", Text(common::ProgramName()));

    CPath keep;
    EXPECT_TRUE(common::SetProgramLocation(keep, "fourth", false));
    EXPECT_EQ(base + "new/", Text(common::ProgramFolder()));
    EXPECT_EQ("fourth", Text(common::ProgramName()));
}

TEST_F(ProgramFolders, HostGivesTheRunningProgramsPath) {
    common::ClearModulePathOverride();
    common::WideText path;
    ASSERT_TRUE(common::GetModuleFilePath(path));
    const std::string name = Text(CPath::GetFileName(CPath(path.c_str())));
    EXPECT_NE(std::string::npos, name.find("ProgramFoldersTest")) << name;
}

TEST(FileSystem, FileAndFolderTestsTellFilesFromFolders) {
    const std::string base = MakeTestFolderText();
    WriteFile(base + "file.bin", "abc");
    const CPath file((base + "file.bin").c_str());
    const CPath folder(base.c_str());
    const CPath missing((base + "missing.bin").c_str());

    EXPECT_TRUE(common::FileExists(file));
    EXPECT_TRUE(common::FileExists(common::CNarrowString((base + "file.bin").c_str())));
    EXPECT_TRUE(common::FileExists_Path(file));
    EXPECT_FALSE(common::FileExists(missing));
    EXPECT_FALSE(common::FileExists(CPath()));
    EXPECT_FALSE(common::FileExists(folder)); // a folder is not a file
#if defined(_WIN32)
    EXPECT_TRUE(common::FileExists(CPath((base + "FILE.bin").c_str())));
#else
    EXPECT_FALSE(common::FileExists(CPath((base + "FILE.bin").c_str()))); // names are case-sensitive
#endif

    EXPECT_TRUE(common::FolderExists(folder));
    EXPECT_FALSE(common::FolderExists(file));
    EXPECT_FALSE(common::FolderExists(missing));
    EXPECT_FALSE(common::FolderExists(CPath()));
}

TEST(FileSystem, WideNamesReachTheHost) {
    const std::string base = MakeTestFolderText();
    CPath name(base.c_str());
    name.AppendWide(u"\u0444\u0430\u0439\u043b");
    ASSERT_TRUE(common::CreateFolder(name));
    EXPECT_TRUE(common::FolderExists(name));
    CPath file = name;
    file.AppendWide(u"/\u0434\u0430\u043d\u043d\u044b\u0435.bin");
    std::FILE* handle = common::HostOpenFile(file.GetWide(), "w+b");
    ASSERT_NE(nullptr, handle);
    std::fclose(handle);
    EXPECT_TRUE(common::FileExists(file));
    EXPECT_TRUE(common::DeleteFileIfExists(file));
    EXPECT_FALSE(common::FileExists(file));
}

TEST(FileSystem, CreateFolderMakesTheLastLevelAndDeleteFileIfExistsReportsAbsence) {
    const std::string base = MakeTestFolderText();
    const CPath fresh((base + "fresh").c_str());
    EXPECT_TRUE(common::CreateFolder(fresh));
    EXPECT_TRUE(common::FolderExists(fresh));
    EXPECT_TRUE(common::CreateFolder(fresh)); // exists already
    EXPECT_FALSE(common::CreateFolder(CPath((base + "missing/child").c_str())));

    WriteFile(base + "doomed.bin", "abc");
    const CPath doomed((base + "doomed.bin").c_str());
    EXPECT_TRUE(common::DeleteFileIfExists(doomed));
    EXPECT_FALSE(common::FileExists(doomed));
    EXPECT_TRUE(common::DeleteFileIfExists(doomed)); // already gone
    EXPECT_TRUE(common::DeleteFileIfExists(CPath()));
}

TEST(FileSystem, DeleteFileIfExistsFailsForAFileThatStays) {
    namespace fs = std::filesystem;
    const std::string base = MakeTestFolderText();
    const std::string locked = base + "locked/";
    fs::create_directories(locked);
    WriteFile(locked + "kept.bin", "abc");
    // A read-only file resists deletion on Windows; a read-only folder keeps
    // its files on POSIX hosts.
    fs::permissions(locked + "kept.bin", fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::remove);
    fs::permissions(locked, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::remove);
    const test::CWithoutOverrideRights rights;

    const CPath kept((locked + "kept.bin").c_str());
    const bool result = common::DeleteFileIfExists(kept);
    const bool stillThere = common::FileExists(kept);

    fs::permissions(locked, fs::perms::owner_all, fs::perm_options::add);
    if (stillThere)
        fs::permissions(locked + "kept.bin", fs::perms::owner_write, fs::perm_options::add);
    EXPECT_TRUE(stillThere) << "deleted; if " << test::kWritesReadOnlyFiles;
    EXPECT_FALSE(result);
}
