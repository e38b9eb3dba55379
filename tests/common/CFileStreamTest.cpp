#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "FileSizeLimit.h"
#include "PathTestFolder.h"
#include "WithoutOverrideRights.h"
#include "common/CFileStream.h"
#include "common/CNarrowString.h"
#include "common/ProgramFolders.h"

using common::CFileStream;
using common::CPath;

namespace {

void WriteFile(const std::string& path, const std::string& contents) {
    std::ofstream(path, std::ios::binary) << contents;
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

CPath P(const std::string& text) {
    return CPath(text.c_str());
}

} // namespace

TEST(CFileStream, OpenWithoutOverwriteRefusesAnExistingFile) {
    const std::string base = MakeTestFolderText();
    WriteFile(base + "old.bin", "keep me");
    CFileStream stream;
    EXPECT_FALSE(stream.Open(P(base + "old.bin"), false));
    EXPECT_FALSE(stream.IsOpen());
    EXPECT_EQ("keep me", ReadFile(base + "old.bin"));

    EXPECT_TRUE(stream.Open(P(base + "new.bin"), false));
    EXPECT_TRUE(stream.IsOpen());
    EXPECT_TRUE(stream.CanRead());
    EXPECT_TRUE(stream.CanWrite());
}

TEST(CFileStream, OpenWithOverwriteEmptiesAnExistingFile) {
    const std::string base = MakeTestFolderText();
    WriteFile(base + "old.bin", "gone soon");
    CFileStream stream;
    ASSERT_TRUE(stream.Open(P(base + "old.bin"), true));
    EXPECT_EQ(0, stream.GetSize());
    stream.Close();
    EXPECT_EQ("", ReadFile(base + "old.bin"));
}

TEST(CFileStream, OpenRefusesEmptyPathsSecondOpensFoldersAndMissingFolders) {
    const std::string base = MakeTestFolderText();
    CFileStream stream;
    EXPECT_FALSE(stream.Open(CPath(), true));
    EXPECT_FALSE(stream.OpenExisting(CPath(), true));
    EXPECT_FALSE(stream.Open(P(base), true));
    EXPECT_FALSE(stream.Open(P(base), false));
    EXPECT_FALSE(stream.OpenExisting(P(base), false));
    EXPECT_FALSE(stream.OpenExisting(P(base), true));
    EXPECT_FALSE(stream.OpenExisting(P(base + "missing.bin"), false));
    EXPECT_FALSE(stream.Open(P(base + "no/such/folder.bin"), true));
    EXPECT_FALSE(stream.OpenExisting(P(base + "no/such/folder.bin"), true));
    EXPECT_FALSE(stream.IsOpen());

    ASSERT_TRUE(stream.Open(P(base + "a.bin"), true));
    EXPECT_FALSE(stream.Open(P(base + "b.bin"), true));
    EXPECT_FALSE(stream.OpenExisting(P(base + "a.bin"), false));
    EXPECT_FALSE(common::FileExists(P(base + "b.bin")));
}

TEST(CFileStream, SizeFollowsWritesSoAFileReadsBackThroughOneStream) {
    const std::string base = MakeTestFolderText();
    std::vector<uint8_t> data(100);
    for (size_t i = 0; i < data.size(); ++i)
        data[i] = static_cast<uint8_t>(i * 7);
    CFileStream stream;
    ASSERT_TRUE(stream.Open(P(base + "round.bin"), true));
    EXPECT_EQ(100, stream.Write(data.data(), 100));
    EXPECT_EQ(100, stream.GetSize());
    EXPECT_EQ(100, stream.GetPosition());

    ASSERT_TRUE(stream.Seek(0));
    std::vector<uint8_t> back(100);
    EXPECT_EQ(100, stream.Read(back.data(), 100));
    EXPECT_EQ(data, back);
    EXPECT_EQ(0, stream.Read(back.data(), 1)); // at the end

    // Overwriting inside the file leaves the size alone.
    EXPECT_EQ(3, stream.WriteAt("xyz", 10, 3));
    EXPECT_EQ(100, stream.GetSize());
}

TEST(CFileStream, ReadingAndWritingMayAlternateWithoutSeeking) {
    const std::string base = MakeTestFolderText();
    CFileStream stream;
    ASSERT_TRUE(stream.Open(P(base + "mixed.bin"), true));
    ASSERT_EQ(10, stream.Write("0123456789", 10));
    ASSERT_TRUE(stream.Seek(0));
    char head[4] = {};
    ASSERT_EQ(4, stream.Read(head, 4));
    EXPECT_EQ(2, stream.Write("ab", 2)); // lands at 4
    char next[2] = {};
    EXPECT_EQ(2, stream.Read(next, 2)); // reads 6 and 7
    EXPECT_EQ(std::string("67"), std::string(next, 2));
    EXPECT_EQ(8, stream.GetPosition());
    stream.Close();
    EXPECT_EQ("0123ab6789", ReadFile(base + "mixed.bin"));
}

TEST(CFileStream, OpenExistingMeasuresTheFileAndCreatesOnlyWhenAsked) {
    const std::string base = MakeTestFolderText();
    WriteFile(base + "twenty.bin", std::string(20, 'q'));
    CFileStream stream;
    ASSERT_TRUE(stream.OpenExisting(P(base + "twenty.bin"), false));
    EXPECT_TRUE(stream.CanRead());
    EXPECT_TRUE(stream.CanWrite());
    EXPECT_EQ(20, stream.GetSize());
    EXPECT_EQ(0, stream.GetPosition());
    char byte = 0;
    EXPECT_EQ(1, stream.Read(&byte, 1));
    EXPECT_EQ('q', byte);

    CFileStream made;
    EXPECT_FALSE(made.OpenExisting(P(base + "made.bin"), false));
    EXPECT_FALSE(common::FileExists(P(base + "made.bin")));
    ASSERT_TRUE(made.OpenExisting(P(base + "made.bin"), true));
    EXPECT_TRUE(made.CanWrite());
    EXPECT_EQ(0, made.GetSize());
}

TEST(CFileStream, OpenExistingFallsBackToReadOnly) {
    namespace fs = std::filesystem;
    const std::string base = MakeTestFolderText();
    const std::string path = base + "readonly.bin";
    WriteFile(path, "fixed");
    fs::permissions(path, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::remove);
    const test::CWithoutOverrideRights rights;
    const bool privileged = static_cast<bool>(std::ofstream(path, std::ios::app));

    CFileStream stream;
    const bool opened = stream.OpenExisting(P(path), false);
    const bool canWrite = stream.CanWrite();
    const int64_t written = stream.Write("x", 1);
    stream.Close();
    fs::permissions(path, fs::perms::owner_write, fs::perm_options::add);

    ASSERT_FALSE(privileged) << test::kWritesReadOnlyFiles;
    EXPECT_TRUE(opened);
    EXPECT_FALSE(canWrite);
    EXPECT_EQ(0, written);
    EXPECT_EQ("fixed", ReadFile(path));
}

TEST(CFileStream, SetSizeOnlyGrowsAndFillsWithZeros) {
    const std::string base = MakeTestFolderText();
    WriteFile(base + "grow.bin", std::string(20, 'a'));
    CFileStream stream;
    ASSERT_TRUE(stream.OpenExisting(P(base + "grow.bin"), false));
    EXPECT_FALSE(stream.SetSize(10));
    EXPECT_EQ(20, stream.GetSize());
    EXPECT_TRUE(stream.SetSize(20));
    EXPECT_TRUE(stream.SetSize(30));
    EXPECT_EQ(30, stream.GetSize());
    EXPECT_EQ(30, stream.GetPosition());
    EXPECT_TRUE(stream.SetSize(10000)); // more than one block of zeros
    stream.Close();
    const std::string contents = ReadFile(base + "grow.bin");
    EXPECT_EQ(std::string(20, 'a') + std::string(10000 - 20, '\0'), contents);
}

TEST(CFileStream, SeekPastTheEndIsAcceptedAndWritingThereExtends) {
    const std::string base = MakeTestFolderText();
    CFileStream stream;
    ASSERT_TRUE(stream.Open(P(base + "gap.bin"), true));
    ASSERT_EQ(4, stream.Write("abcd", 4));
    EXPECT_TRUE(stream.Seek(10));
    EXPECT_EQ(10, stream.GetPosition());
    EXPECT_EQ(4, stream.GetSize());
    EXPECT_FALSE(stream.Seek(-1));
    EXPECT_EQ(1, stream.Write("z", 1));
    EXPECT_EQ(11, stream.GetSize());
    stream.Close();
    EXPECT_EQ(std::string("abcd") + std::string(6, '\0') + "z", ReadFile(base + "gap.bin"));
}

TEST(CFileStream, BadCountsAndBuffersTransferNothing) {
    const std::string base = MakeTestFolderText();
    CFileStream stream;
    ASSERT_TRUE(stream.Open(P(base + "counts.bin"), true));
    char byte = 'x';
    EXPECT_EQ(0, stream.Write(&byte, 0));
    EXPECT_EQ(0, stream.Write(&byte, -1));
    EXPECT_EQ(0, stream.Write(nullptr, 5));
    EXPECT_EQ(0, stream.GetSize());
    ASSERT_EQ(1, stream.Write(&byte, 1));
    ASSERT_TRUE(stream.Seek(0));
    EXPECT_EQ(0, stream.Read(&byte, -1));
    EXPECT_EQ(0, stream.Read(nullptr, 1));
    EXPECT_EQ(0, stream.ReadAt(&byte, -5, 1));
}

TEST(CFileStream, UnicodeFileNamesRoundTrip) {
    CPath path = MakeTestFolder();
    path.AppendWide(u"\u0441\u043e\u0441\u0442\u043e\u044f\u043d\u0438\u0435.sav");
    CFileStream writer;
    ASSERT_TRUE(writer.Open(path, true));
    ASSERT_EQ(5, writer.Write("state", 5));
    writer.Close();
    EXPECT_TRUE(common::FileExists(path));
    CFileStream reader;
    ASSERT_TRUE(reader.OpenExisting(path, false));
    char text[5] = {};
    EXPECT_EQ(5, reader.Read(text, 5));
    EXPECT_EQ("state", std::string(text, 5));
}

TEST(CFileStream, PositionsBeyondFourGigabytes) {
    const std::string base = MakeTestFolderText();
    const int64_t far = (int64_t(1) << 32) + 16;
    {
        CFileStream stream;
        ASSERT_TRUE(stream.Open(P(base + "sparse.bin"), true));
        ASSERT_TRUE(stream.Seek(far));
        EXPECT_EQ(far, stream.GetPosition());
        EXPECT_EQ(4, stream.Write("FAR!", 4));
        EXPECT_EQ(far + 4, stream.GetSize());
    }
    CFileStream stream;
    ASSERT_TRUE(stream.OpenExisting(P(base + "sparse.bin"), false));
    EXPECT_EQ(far + 4, stream.GetSize());
    char text[4] = {};
    EXPECT_EQ(4, stream.ReadAt(text, far, 4));
    EXPECT_EQ("FAR!", std::string(text, 4));
    EXPECT_EQ(far + 4, stream.GetPosition());
    stream.Close();
    EXPECT_TRUE(common::DeleteFileIfExists(P(base + "sparse.bin")));
}

TEST(CFileStream, ClosedStreamRefusesEverythingUntilOpenedAgain) {
    const std::string base = MakeTestFolderText();
    CFileStream stream;
    ASSERT_TRUE(stream.Open(P(base + "one.bin"), true));
    ASSERT_EQ(2, stream.Write("12", 2));
    EXPECT_TRUE(stream.Close());
    EXPECT_TRUE(stream.Close()) << "harmless";
    char byte = 0;
    EXPECT_FALSE(stream.IsOpen());
    EXPECT_FALSE(stream.CanSeek());
    EXPECT_FALSE(stream.CanRead());
    EXPECT_FALSE(stream.CanWrite());
    EXPECT_EQ(0, stream.GetSize());
    EXPECT_EQ(0, stream.GetPosition());
    EXPECT_FALSE(stream.Seek(0));
    EXPECT_FALSE(stream.SetSize(10));
    EXPECT_EQ(0, stream.Read(&byte, 1));
    EXPECT_EQ(0, stream.Write(&byte, 1));

    ASSERT_TRUE(stream.OpenExisting(common::CNarrowString((base + "one.bin").c_str()), false));
    EXPECT_EQ(2, stream.GetSize());
}

#ifndef _WIN32
TEST(CFileStream, FlushAndCloseReportBytesThatCouldNotBeWritten) {
    const std::string base = MakeTestFolderText();
    const std::string payload(100, 'x');
    for (const bool flushFirst : {true, false}) {
        SCOPED_TRACE(flushFirst ? "flush" : "close");
        CFileStream stream;
        ASSERT_TRUE(stream.Open(P(base + "full.bin"), true));
        // The bytes wait in the runtime's buffer: only the flush or close meets the full disk.
        CFileSizeLimit full(10);
        ASSERT_TRUE(full.IsSet());
        ASSERT_EQ(100, stream.Write(payload.data(), 100));
        if (flushFirst) {
            EXPECT_FALSE(stream.Flush());
            stream.Close();
        } else {
            EXPECT_FALSE(stream.Close());
        }
        EXPECT_FALSE(stream.IsOpen());
    }
}
#endif
