#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <deque>
#include <vector>

#include "common/CRingBufferStream.h"

using common::CRingBufferStream;

namespace {

std::vector<uint8_t> Bytes(std::initializer_list<int> values) {
    std::vector<uint8_t> out;
    for (int v : values)
        out.push_back(static_cast<uint8_t>(v));
    return out;
}

// An attached ring of 8 bytes holding 1..6 at indexes 5, 6, 7, 0, 1, 2.
void MakeWrappedRing(CRingBufferStream& ring, uint8_t (&storage)[8]) {
    std::memset(storage, 0, sizeof(storage));
    ASSERT_TRUE(ring.Attach(storage, 8));
    uint8_t scratch[5] = {};
    ASSERT_EQ(5, ring.CopyIn(scratch, 5));
    ASSERT_EQ(5, ring.CopyOut(scratch, 5, true));
    const uint8_t held[6] = {1, 2, 3, 4, 5, 6};
    ASSERT_EQ(6, ring.CopyIn(held, 6));
}

} // namespace

TEST(CRingBufferStream, WrappedBytesComeOutInOrderAndGetBufferJoinsThem) {
    uint8_t storage[8];
    CRingBufferStream ring;
    MakeWrappedRing(ring, storage);
    EXPECT_EQ(Bytes({4, 5, 6, 0, 0, 1, 2, 3}), std::vector<uint8_t>(storage, storage + 8));
    EXPECT_EQ(6, ring.GetSize());

    std::vector<uint8_t> out(6);
    EXPECT_EQ(6, ring.CopyOut(out.data(), 6, false));
    EXPECT_EQ(Bytes({1, 2, 3, 4, 5, 6}), out);
    EXPECT_EQ(6, ring.GetSize()); // nothing consumed

    EXPECT_EQ(storage, ring.GetBuffer());
    EXPECT_EQ(Bytes({1, 2, 3, 4, 5, 6}), std::vector<uint8_t>(storage, storage + 6));
    EXPECT_EQ(6, ring.GetSize());

    ring.Discard(-1);
    EXPECT_EQ(0, ring.GetSize());
    const uint8_t marker = 0xEE;
    ASSERT_EQ(1, ring.CopyIn(&marker, 1));
    EXPECT_EQ(0xEE, storage[0]); // the head went back to the start
}

TEST(CRingBufferStream, ReadDoesNotConsumeAndSeekStaysWithinTheHeldBytes) {
    uint8_t storage[8];
    CRingBufferStream ring;
    MakeWrappedRing(ring, storage);
    uint8_t out[8] = {};
    ASSERT_TRUE(ring.Seek(2));
    EXPECT_EQ(4, ring.Read(out, 8)); // 3, 4, 5, 6 across the wrap
    EXPECT_EQ(Bytes({3, 4, 5, 6}), std::vector<uint8_t>(out, out + 4));
    EXPECT_EQ(6, ring.GetPosition());
    EXPECT_EQ(6, ring.GetSize());
    EXPECT_TRUE(ring.Seek(6));
    EXPECT_FALSE(ring.Seek(7));
    EXPECT_FALSE(ring.Seek(-1));

    EXPECT_EQ(0, ring.ReadAt(out, 9, 1));
    EXPECT_EQ(6, ring.GetPosition());
    EXPECT_EQ(0, ring.WriteAt(out, 7, 1));
    EXPECT_EQ(6, ring.GetPosition());
    EXPECT_EQ(0, ring.ReadAt(out, -1, 1));
    EXPECT_EQ(1, ring.ReadAt(out, 5, 1));
    EXPECT_EQ(6, out[0]);
}

TEST(CRingBufferStream, WriteOverwritesAndExtendsTheHeldBytes) {
    uint8_t storage[8];
    CRingBufferStream ring;
    MakeWrappedRing(ring, storage);
    const uint8_t patch[3] = {0xA1, 0xA2, 0xA3};
    // Does not fit in place from the head, but fits in the ring: it is made
    // contiguous first.
    EXPECT_EQ(3, ring.WriteAt(patch, 4, 3));
    EXPECT_EQ(7, ring.GetSize());
    std::vector<uint8_t> out(7);
    EXPECT_EQ(7, ring.CopyOut(out.data(), 7, false));
    EXPECT_EQ(Bytes({1, 2, 3, 4, 0xA1, 0xA2, 0xA3}), out);

    // A fixed ring cuts what does not fit.
    EXPECT_EQ(1, ring.WriteAt(patch, 7, 3));
    EXPECT_EQ(8, ring.GetSize());
}

TEST(CRingBufferStream, FixedRingRefusesToOverfill) {
    uint8_t storage[8];
    CRingBufferStream ring;
    MakeWrappedRing(ring, storage);
    const uint8_t more[3] = {7, 8, 9};
    EXPECT_EQ(0, ring.CopyIn(more, 3));
    EXPECT_EQ(2, ring.CopyIn(more, 2));
    EXPECT_EQ(8, ring.GetSize());
    std::vector<uint8_t> out(8);
    EXPECT_EQ(8, ring.CopyOut(out.data(), 100, true));
    EXPECT_EQ(Bytes({1, 2, 3, 4, 5, 6, 7, 8}), out);
    EXPECT_EQ(0, ring.GetSize());
}

TEST(CRingBufferStream, DiscardDropsFromTheHeadAndKeepsThePositionWithinTheData) {
    uint8_t storage[8];
    CRingBufferStream ring;
    MakeWrappedRing(ring, storage);
    ASSERT_TRUE(ring.Seek(6));
    ring.Discard(4);
    EXPECT_EQ(2, ring.GetSize());
    EXPECT_EQ(2, ring.GetPosition());
    uint8_t out[2] = {};
    EXPECT_EQ(2, ring.CopyOut(out, 2, false));
    EXPECT_EQ(Bytes({5, 6}), std::vector<uint8_t>(out, out + 2));
    ring.Discard(100);
    EXPECT_EQ(0, ring.GetSize());
    EXPECT_EQ(0, ring.GetPosition());
    EXPECT_EQ(0, ring.Read(out, 1));
}

TEST(CRingBufferStream, SetSizeMakesTheWholeRingHeld) {
    uint8_t storage[8];
    CRingBufferStream ring;
    MakeWrappedRing(ring, storage);
    EXPECT_FALSE(ring.SetSize(16)); // an attached ring keeps its length
    EXPECT_EQ(6, ring.GetSize());
    EXPECT_TRUE(ring.SetSize(8));
    EXPECT_EQ(8, ring.GetSize());
    uint8_t out[8] = {};
    EXPECT_EQ(8, ring.CopyOut(out, 8, false));
    EXPECT_EQ(Bytes({1, 2, 3, 4, 5, 6}), std::vector<uint8_t>(out, out + 6));

    CRingBufferStream growable;
    ASSERT_TRUE(growable.Create(0, -1));
    EXPECT_TRUE(growable.SetSize(100));
    EXPECT_EQ(100, growable.GetSize());
    EXPECT_FALSE(growable.SetSize(-1));
}

TEST(CRingBufferStream, GrowableRingMatchesAQueueOverManyRounds) {
    CRingBufferStream ring;
    ASSERT_TRUE(ring.Create(0, -1));
    std::deque<uint8_t> expected;
    uint32_t seed = 12345;
    auto next = [&seed]() {
        seed = seed * 1103515245u + 12345u;
        return seed >> 16;
    };
    uint8_t counter = 0;
    std::vector<uint8_t> chunk, out;
    for (int round = 0; round < 400; ++round) {
        chunk.resize(next() % 3000);
        for (uint8_t& b : chunk)
            b = counter++;
        ASSERT_EQ(static_cast<int64_t>(chunk.size()), ring.CopyIn(chunk.data(), static_cast<int64_t>(chunk.size())));
        expected.insert(expected.end(), chunk.begin(), chunk.end());

        const int64_t take = next() % 3000;
        out.assign(static_cast<size_t>(take), 0);
        const int64_t got = ring.CopyOut(out.data(), take, (round % 5) != 0);
        ASSERT_EQ(std::min<int64_t>(take, static_cast<int64_t>(expected.size())), got);
        for (int64_t i = 0; i < got; ++i)
            ASSERT_EQ(expected[static_cast<size_t>(i)], out[static_cast<size_t>(i)]) << "round " << round;
        if ((round % 5) != 0)
            expected.erase(expected.begin(), expected.begin() + got);
        ASSERT_EQ(static_cast<int64_t>(expected.size()), ring.GetSize());
    }
    // Everything left reads back through the stream interface too.
    std::vector<uint8_t> rest(expected.size());
    EXPECT_EQ(static_cast<int64_t>(rest.size()), ring.ReadAt(rest.data(), 0, static_cast<int64_t>(rest.size())));
    EXPECT_TRUE(std::equal(rest.begin(), rest.end(), expected.begin()));
}

TEST(CRingBufferStream, WriteGrowsAnEmptyGrowableRing) {
    CRingBufferStream ring;
    ASSERT_TRUE(ring.Create(0, -1));
    std::vector<uint8_t> data(5000, 0x3C);
    EXPECT_EQ(5000, ring.Write(data.data(), 5000));
    EXPECT_EQ(5000, ring.GetSize());
    EXPECT_EQ(5000, ring.GetPosition());
    std::vector<uint8_t> out(5000);
    EXPECT_EQ(5000, ring.CopyOut(out.data(), 5000, true));
    EXPECT_EQ(data, out);
    EXPECT_EQ(0, ring.GetPosition());
}

TEST(CRingBufferStream, ReleaseEmptiesTheRing) {
    uint8_t storage[8];
    CRingBufferStream ring;
    MakeWrappedRing(ring, storage);
    ring.Release();
    EXPECT_FALSE(ring.IsOpen());
    EXPECT_EQ(0, ring.GetSize());
    EXPECT_EQ(nullptr, ring.GetBuffer());
    uint8_t out[1];
    EXPECT_EQ(0, ring.CopyOut(out, 1, true));
    EXPECT_EQ(0, ring.CopyIn(out, 1)); // no storage to grow into
    ASSERT_TRUE(ring.Create(4, 0));
    EXPECT_EQ(0, ring.GetSize());
}

TEST(CRingBufferStream, BadCountsTransferNothing) {
    uint8_t storage[8];
    CRingBufferStream ring;
    MakeWrappedRing(ring, storage);
    uint8_t byte = 0;
    EXPECT_EQ(0, ring.CopyIn(&byte, -1));
    EXPECT_EQ(0, ring.CopyIn(nullptr, 1));
    EXPECT_EQ(0, ring.CopyOut(&byte, -1, true));
    EXPECT_EQ(0, ring.Read(&byte, -1));
    EXPECT_EQ(0, ring.Write(&byte, -1));
    EXPECT_EQ(6, ring.GetSize());
}
