#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "common/CMemoryStream.h"

using common::CMemoryStream;

TEST(CMemoryStream, CreateChecksItsArguments) {
    CMemoryStream stream;
    EXPECT_FALSE(stream.Create(0, 0));
    EXPECT_FALSE(stream.Create(-1, -1));
    EXPECT_FALSE(stream.Create(CMemoryStream::kMaxBufferBytes + 1, 0));
    EXPECT_FALSE(stream.IsOpen());

    ASSERT_TRUE(stream.Create(0, -1));
    EXPECT_TRUE(stream.IsOpen());
    EXPECT_TRUE(stream.IsGrowable());
    EXPECT_EQ(0, stream.GetSize());
    EXPECT_EQ(1024, stream.GetCapacity());
    EXPECT_FALSE(stream.Create(10, 0)); // a buffer is present
    uint8_t other[4];
    EXPECT_FALSE(stream.Attach(other, 4));
}

TEST(CMemoryStream, FixedCreateHoldsZeroedDataThatNeverGrows) {
    CMemoryStream stream;
    ASSERT_TRUE(stream.Create(16, 0));
    EXPECT_FALSE(stream.IsGrowable());
    EXPECT_EQ(16, stream.GetSize());
    EXPECT_EQ(0, stream.GetPosition());
    uint8_t data[16];
    std::memset(data, 0xAA, sizeof(data));
    EXPECT_EQ(16, stream.Read(data, 16));
    EXPECT_EQ(std::vector<uint8_t>(16, 0), std::vector<uint8_t>(data, data + 16));
    EXPECT_FALSE(stream.SetSize(32));
    EXPECT_FALSE(stream.Grow(8));
    ASSERT_TRUE(stream.Seek(12));
    EXPECT_EQ(4, stream.Write("abcdefgh", 8)); // cut at the end of the storage
    EXPECT_EQ(16, stream.GetSize());
}

TEST(CMemoryStream, AutomaticGrowthStepFollowsTheDataSize) {
    struct Case {
        int64_t initial;
        int64_t expectedCapacity;
    };
    const Case cases[] = {
        {0, 65536},                             // 1025 bytes asked, 64 KiB given
        {65536, 65536 + 32768},                 // half of the data
        {2 * 1048576, 2 * 1048576 + 699050},    // a third
        {11 * 1048576, 11 * 1048576 + 2883584}, // a quarter
    };
    std::vector<uint8_t> bytes(1025, 0x5A);
    for (const Case& c : cases) {
        CMemoryStream stream;
        ASSERT_TRUE(stream.Create(c.initial, -1));
        ASSERT_TRUE(stream.Seek(c.initial));
        EXPECT_EQ(1025, stream.Write(bytes.data(), 1025)) << c.initial;
        EXPECT_EQ(c.initial + 1025, stream.GetSize()) << c.initial;
        EXPECT_EQ(c.expectedCapacity, stream.GetCapacity()) << c.initial;
    }
}

TEST(CMemoryStream, FixedGrowthStepIsRaisedToWhatTheWriteNeeds) {
    CMemoryStream stream;
    ASSERT_TRUE(stream.Create(0, 100));
    std::vector<uint8_t> bytes(1025, 1);
    EXPECT_EQ(1025, stream.Write(bytes.data(), 1025));
    EXPECT_EQ(1026, stream.GetCapacity());
    EXPECT_EQ(1, stream.Write(bytes.data(), 1));
    EXPECT_EQ(1026, stream.GetCapacity());
    EXPECT_EQ(1, stream.Write(bytes.data(), 1));
    EXPECT_EQ(1126, stream.GetCapacity()); // now the step wins
}

TEST(CMemoryStream, GrowingKeepsTheDataAndThePosition) {
    CMemoryStream stream;
    ASSERT_TRUE(stream.Create(0, -1));
    std::vector<uint8_t> data(200000);
    for (size_t i = 0; i < data.size(); ++i)
        data[i] = static_cast<uint8_t>(i * 31 + (i >> 8));
    for (size_t done = 0; done < data.size(); done += 1000)
        ASSERT_EQ(1000, stream.Write(data.data() + done, 1000));
    EXPECT_EQ(200000, stream.GetPosition());
    std::vector<uint8_t> back(data.size());
    EXPECT_EQ(200000, stream.ReadAt(back.data(), 0, 200000));
    EXPECT_EQ(data, back);
}

TEST(CMemoryStream, AttachedBufferIsUsedInPlaceAndNeverGrows) {
    uint8_t buffer[100] = {};
    CMemoryStream stream;
    EXPECT_FALSE(stream.Attach(nullptr, 10));
    EXPECT_FALSE(stream.Attach(buffer, -1));
    ASSERT_TRUE(stream.Attach(buffer, 100));
    EXPECT_FALSE(stream.IsGrowable());
    EXPECT_EQ(buffer, stream.GetBuffer());
    EXPECT_EQ(5, stream.WriteAt("0123456789", 95, 10));
    EXPECT_EQ(100, stream.GetSize());
    EXPECT_EQ(100, stream.GetPosition());
    EXPECT_EQ(0, std::memcmp(buffer + 95, "01234", 5));
    EXPECT_FALSE(stream.SetSize(200));
    EXPECT_FALSE(stream.SetSize(50));
    EXPECT_TRUE(stream.SetSize(100));

    buffer[0] = 42;
    stream.Release(); // the caller's bytes stay
    EXPECT_EQ(42, buffer[0]);
    EXPECT_FALSE(stream.IsOpen());
    EXPECT_EQ(0, stream.GetSize());
    EXPECT_EQ(0, stream.GetCapacity());
    EXPECT_TRUE(stream.Create(8, 0)); // usable again
}

TEST(CMemoryStream, SeekAndReadAtStayWithinTheData) {
    uint8_t buffer[10] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9};
    CMemoryStream stream;
    ASSERT_TRUE(stream.Attach(buffer, 10));
    EXPECT_TRUE(stream.Seek(10));
    EXPECT_FALSE(stream.Seek(11));
    EXPECT_FALSE(stream.Seek(-1));
    EXPECT_EQ(10, stream.GetPosition());

    uint8_t out[4] = {};
    ASSERT_TRUE(stream.Seek(3));
    EXPECT_EQ(0, stream.ReadAt(out, 11, 1));
    EXPECT_EQ(10, stream.GetPosition());
    EXPECT_EQ(0, stream.WriteAt(out, 11, 1));
    EXPECT_EQ(10, stream.GetPosition());
    EXPECT_EQ(0, stream.ReadAt(out, -1, 1));
    EXPECT_EQ(0, stream.WriteAt(out, -1, 1));
    EXPECT_EQ(10, stream.GetPosition());

    EXPECT_EQ(2, stream.ReadAt(out, 8, 4)); // cut at the end
    EXPECT_EQ(8, out[0]);
    EXPECT_EQ(9, out[1]);
    EXPECT_EQ(0, stream.Read(out, 1));
}

TEST(CMemoryStream, FieldWidthsRoundTrip) {
    CMemoryStream stream;
    ASSERT_TRUE(stream.Create(0, -1));
    const uint8_t data[15] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15};
    const int widths[] = {1, 2, 4, 8, 3, 15};
    for (int width : widths)
        ASSERT_EQ(width, stream.Write(data, width));
    ASSERT_TRUE(stream.Seek(0));
    for (int width : widths) {
        uint8_t back[15] = {};
        ASSERT_EQ(width, stream.Read(back, width));
        EXPECT_EQ(0, std::memcmp(data, back, static_cast<size_t>(width))) << width;
    }
    EXPECT_EQ(33, stream.GetSize());
}

TEST(CMemoryStream, SetSizeReallocatesAGrowableBuffer) {
    CMemoryStream stream;
    ASSERT_TRUE(stream.Create(0, -1));
    ASSERT_EQ(6, stream.Write("abcdef", 6));
    EXPECT_FALSE(stream.SetSize(-1));
    ASSERT_TRUE(stream.SetSize(10));
    EXPECT_EQ(10, stream.GetSize());
    EXPECT_EQ(10, stream.GetCapacity());
    EXPECT_EQ(6, stream.GetPosition());
    char data[10];
    ASSERT_EQ(10, stream.ReadAt(data, 0, 10));
    EXPECT_EQ(0, std::memcmp(data, "abcdef\0\0\0\0", 10));

    ASSERT_TRUE(stream.SetSize(3));
    EXPECT_EQ(3, stream.GetPosition()); // cut with the data
    ASSERT_TRUE(stream.SetSize(0));
    EXPECT_EQ(1024, stream.GetCapacity());
    EXPECT_EQ(0, stream.GetPosition());
}

TEST(CMemoryStream, BadCountsAndBuffersTransferNothing) {
    CMemoryStream stream;
    char byte = 'x';
    EXPECT_EQ(0, stream.Write(&byte, 1)); // no storage
    EXPECT_EQ(0, stream.Read(&byte, 1));
    ASSERT_TRUE(stream.Create(4, 0));
    EXPECT_EQ(0, stream.Write(&byte, -3));
    EXPECT_EQ(0, stream.Write(nullptr, 1));
    EXPECT_EQ(0, stream.Read(&byte, -3));
    EXPECT_EQ(0, stream.Read(nullptr, 1));
    EXPECT_EQ(0, stream.GetPosition());
    EXPECT_EQ(4, stream.GetSize());
}
