#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "MediaTestSupport.h"
#include "common/CMemoryStream.h"
#include "emu/framework/CMediaFileStream.h"
#include "emu/framework/CMediaImageStream.h"

using emu::CMediaFileStream;
using emu::CMediaImageStream;
using test::PathOf;

namespace {

// A flat image of 2 heads, 9 sectors of 512 bytes per track, addressed the
// way a drive addresses an image without a geometry of its own.
constexpr uint64_t kHeads = 2;
constexpr uint64_t kSectors = 9;
constexpr uint64_t kSectorSize = 512;
constexpr uint64_t kCylinders = 4;

int64_t SectorOffset(uint64_t cylinder, uint64_t head, uint64_t sector) {
    return static_cast<int64_t>(((cylinder * kHeads + head) * kSectors + sector) * kSectorSize);
}

// A memory stream that counts its destructions.
class CCountedStream : public common::CMemoryStream {
public:
    explicit CCountedStream(int* deleted) : m_deleted(deleted) {}
    ~CCountedStream() override { ++*m_deleted; }

private:
    int* m_deleted;
};

// The forwarding stream with the open and close that a concrete image kind adds.
class CWrapper : public CMediaImageStream {
public:
    using CMediaImageStream::CMediaImageStream;
    bool Open(const common::CPath& /*path*/) override { return false; }
    void Close() override {}
};

} // namespace

TEST(CMediaFileStream, OpenRefusesEmptyMissingAndSecondOpens) {
    const std::string folder = test::MakeMediaFolder();
    test::WriteImage(folder + "a.img", 100);
    test::WriteImage(folder + "b.img", 200);

    CMediaFileStream stream;
    EXPECT_FALSE(stream.Open(common::CPath()));
    EXPECT_FALSE(stream.Open(PathOf(folder + "missing.img")));
    EXPECT_FALSE(stream.IsOpen());
    EXPECT_EQ(0, stream.GetSize());

    ASSERT_TRUE(stream.Open(PathOf(folder + "a.img")));
    EXPECT_TRUE(stream.IsOpen());
    EXPECT_TRUE(stream.CanWrite());
    EXPECT_EQ(100, stream.GetSize());
    EXPECT_FALSE(stream.Open(PathOf(folder + "b.img")));
    EXPECT_EQ(100, stream.GetSize()); // the first image stays

    stream.Close();
    EXPECT_FALSE(stream.IsOpen());
    EXPECT_EQ(0, stream.GetSize());
    EXPECT_FALSE(std::filesystem::exists(folder + "missing.img")); // never created
}

TEST(CMediaFileStream, SectorsByCylinderHeadAndSectorLandAtTheFlatOffset) {
    const std::string folder = test::MakeMediaFolder();
    const std::string path = folder + "disk.img";
    test::WriteImage(path, kCylinders * kHeads * kSectors * kSectorSize, 3);

    CMediaFileStream stream;
    ASSERT_TRUE(stream.Open(PathOf(path)));
    const std::string original = test::ReadWholeFile(path);

    struct CCase {
        uint64_t cylinder, head, sector;
    };
    const CCase cases[] = {{0, 0, 0}, {0, 1, 8}, {1, 0, 4}, {3, 1, 8}};
    for (const CCase& c : cases) {
        SCOPED_TRACE(testing::Message() << c.cylinder << "/" << c.head << "/" << c.sector);
        const int64_t offset = SectorOffset(c.cylinder, c.head, c.sector);
        std::vector<uint8_t> sector(kSectorSize);
        ASSERT_EQ(static_cast<int64_t>(kSectorSize), stream.ReadAt(sector.data(), offset, kSectorSize));
        EXPECT_EQ(0, std::memcmp(sector.data(), original.data() + offset, kSectorSize));

        std::vector<uint8_t> fill(kSectorSize, static_cast<uint8_t>(0xA0 + c.sector));
        ASSERT_EQ(static_cast<int64_t>(kSectorSize), stream.WriteAt(fill.data(), offset, kSectorSize));
        ASSERT_EQ(static_cast<int64_t>(kSectorSize), stream.ReadAt(sector.data(), offset, kSectorSize));
        EXPECT_EQ(fill, sector);
    }
    stream.Close();

    // Only the written sectors changed on disk.
    std::string expected = original;
    for (const CCase& c : cases)
        expected.replace(SectorOffset(c.cylinder, c.head, c.sector), kSectorSize, kSectorSize,
                         static_cast<char>(0xA0 + c.sector));
    EXPECT_EQ(expected, test::ReadWholeFile(path));
}

TEST(CMediaFileStream, PlainImagesHaveNoGeometryAndNoSectorTransfer) {
    const std::string folder = test::MakeMediaFolder();
    test::WriteImage(folder + "disk.img", 4096);
    CMediaFileStream stream;
    ASSERT_TRUE(stream.Open(PathOf(folder + "disk.img")));

    uint64_t cylinders = 11, heads = 22, sectors = 33, size = 44;
    EXPECT_FALSE(stream.GetGeometry(&cylinders, &heads, &sectors, &size));
    EXPECT_EQ(11u, cylinders);
    EXPECT_EQ(22u, heads);
    EXPECT_EQ(33u, sectors);
    EXPECT_EQ(44u, size);

    uint8_t buffer[512] = {};
    EXPECT_EQ(0u, stream.ReadSector(buffer, 0, 0, 0, sizeof(buffer)));
    EXPECT_EQ(0u, stream.WriteSector(buffer, 0, 0, 0, sizeof(buffer)));
}

TEST(CMediaFileStream, ReadOnlyImageOpensForReadingAndRefusesWrites) {
    const std::string folder = test::MakeMediaFolder();
    const std::string path = folder + "locked.img";
    test::WriteImage(path, 1024, 9);
    const std::string original = test::ReadWholeFile(path);
    test::CReadOnlyFile locked(path);
    ASSERT_FALSE(locked.Privileged()) << test::kWritesReadOnlyFiles;

    CMediaFileStream stream;
    ASSERT_TRUE(stream.Open(PathOf(path)));
    EXPECT_EQ(1024, stream.GetSize());
    uint8_t sector[512];
    EXPECT_EQ(512, stream.ReadAt(sector, 512, 512));
    EXPECT_EQ(0, std::memcmp(sector, original.data() + 512, 512));
    EXPECT_FALSE(stream.CanWrite());
    EXPECT_EQ(0, stream.WriteAt(sector, 0, 512));
    stream.Close();
    EXPECT_EQ(original, test::ReadWholeFile(path));
}

TEST(CMediaFileStream, FailedSeekMakesTransfersZero) {
    const std::string folder = test::MakeMediaFolder();
    test::WriteImage(folder + "disk.img", 64);
    CMediaFileStream stream;
    ASSERT_TRUE(stream.Open(PathOf(folder + "disk.img")));
    uint8_t byte = 0;
    EXPECT_EQ(0, stream.ReadAt(&byte, -1, 1));
    EXPECT_EQ(0, stream.WriteAt(&byte, -1, 1));
    EXPECT_EQ(0, stream.ReadAt(&byte, 64, 1)); // at the end: nothing to read
}

TEST(CMediaImageStream, WithoutAStreamEverythingIsClosedAndEmpty) {
    CWrapper stream;
    uint8_t byte = 0;
    EXPECT_FALSE(stream.IsOpen());
    EXPECT_FALSE(stream.CanRead());
    EXPECT_FALSE(stream.CanWrite());
    EXPECT_FALSE(stream.Seek(0));
    EXPECT_EQ(0, stream.GetSize());
    EXPECT_EQ(0, stream.Read(&byte, 1));
    EXPECT_EQ(0, stream.Write(&byte, 1));
    EXPECT_EQ(0, stream.ReadAt(&byte, 0, 1));
    EXPECT_EQ(0, stream.WriteAt(&byte, 0, 1));
}

TEST(CMediaImageStream, ForwardsToTheWrappedStreamAndDeletesItOnlyWhenOwned) {
    int deleted = 0;
    CCountedStream* kept = new CCountedStream(&deleted);
    ASSERT_TRUE(kept->Create(0, -1));
    {
        CWrapper stream(kept, false);
        EXPECT_EQ(4, stream.WriteAt("abcd", 0, 4));
        EXPECT_EQ(4, stream.GetSize());
        char out[2] = {};
        EXPECT_EQ(2, stream.ReadAt(out, 1, 2));
        EXPECT_EQ('b', out[0]);
        EXPECT_EQ('c', out[1]);
        EXPECT_EQ(3, stream.GetPosition());
    }
    EXPECT_EQ(0, deleted);
    { CWrapper owner(kept, true); }
    EXPECT_EQ(1, deleted);
}
