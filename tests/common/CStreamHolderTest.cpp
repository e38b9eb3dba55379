#include "common/CStreamHolder.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "common/CFileStream.h"
#include "common/CMemoryStream.h"
#include "common/CNarrowString.h"
#include "common/CPath.h"
#include "common/CWideString.h"

// Tracks the largest single allocation, so that tests can show that a count
// announced by damaged input never reaches the allocator.
namespace {
std::atomic<size_t> g_largestAllocation{0};

void* TrackedAlloc(size_t size) {
    size_t seen = g_largestAllocation.load();
    while (size > seen && !g_largestAllocation.compare_exchange_weak(seen, size)) {
    }
    if (void* p = std::malloc(size ? size : 1))
        return p;
    throw std::bad_alloc();
}
} // namespace

void* operator new(size_t size) {
    return TrackedAlloc(size);
}
void* operator new[](size_t size) {
    return TrackedAlloc(size);
}
void* operator new(size_t size, const std::nothrow_t&) noexcept {
    return std::malloc(size ? size : 1);
}
void* operator new[](size_t size, const std::nothrow_t&) noexcept {
    return std::malloc(size ? size : 1);
}
void operator delete(void* p) noexcept {
    std::free(p);
}
void operator delete[](void* p) noexcept {
    std::free(p);
}
void operator delete(void* p, size_t) noexcept {
    std::free(p);
}
void operator delete[](void* p, size_t) noexcept {
    std::free(p);
}
void operator delete(void* p, const std::nothrow_t&) noexcept {
    std::free(p);
}
void operator delete[](void* p, const std::nothrow_t&) noexcept {
    std::free(p);
}

namespace {

using common::CMemoryStream;
using common::CNarrowString;
using common::CStreamHolder;
using common::CWideString;
using Bytes = std::vector<uint8_t>;

Bytes Contents(CMemoryStream& stream) {
    return Bytes(stream.GetBuffer(), stream.GetBuffer() + stream.GetSize());
}

// A growing stream and its holder, for writing.
struct Writer {
    CMemoryStream stream;
    CStreamHolder holder{&stream};
    Writer() { stream.Create(0, -1); }
    Bytes Get() { return Contents(stream); }
};

// Given bytes read in place through an attached buffer.
struct Reader {
    Bytes data;
    CMemoryStream stream;
    CStreamHolder holder{&stream};
    explicit Reader(Bytes bytes) : data(std::move(bytes)) {
        data.reserve(data.size() + 1); // never a null buffer, even when empty
        stream.Attach(data.data(), static_cast<int64_t>(data.size()));
    }
};

// The worked byte examples of the format, each written and read back.
struct Example {
    const char* what;
    std::function<bool(CStreamHolder&)> write;
    std::function<bool(CStreamHolder&)> read;
    Bytes bytes;
};

bool WriteVer(CStreamHolder& h) {
    return h.WriteUInt8Field(uint8_t(1), CNarrowString("VER"));
}
bool ReadVer(CStreamHolder& h) {
    uint8_t v = 0;
    return h.ReadUInt8Field(v, CNarrowString("VER")) && v == 1;
}

TEST(CStreamHolder, WorkedExamplesAreWrittenByteForByteAndReadBack) {
    const CNarrowString dev("_DEV");
    const std::vector<Example> examples = {
        {"u8 field VER = 1", WriteVer, ReadVer, {0xF8, 0x81, 0x82, 0x03, 0x00, 0x56, 0x45, 0x52, 0x00, 0x01}},
        {"chunk _DEV",
         [&](CStreamHolder& h) { return h.WriteMarker(0xF0, dev) && WriteVer(h) && h.WriteMarker(0xFF, dev); },
         [&](CStreamHolder& h) {
             return h.ReadMarker(dev, 0xF0, nullptr) && ReadVer(h) && h.ReadMarker(dev, 0xFF, nullptr);
         },
         {0xF0, 0x81, 0x85, 0x04, 0x00, 0x5F, 0x44, 0x45, 0x56, 0xF8, 0x81, 0x82, 0x03, 0x00,
          0x56, 0x45, 0x52, 0x00, 0x01, 0xFF, 0x81, 0x85, 0x04, 0x00, 0x5F, 0x44, 0x45, 0x56}},
        {"wide name AB",
         [](CStreamHolder& h) { return common::WriteStringRecord(h.GetStream(), CWideString(u"AB")); },
         [](CStreamHolder& h) { return h.ReadNameAndCompare(CWideString(u"AB")); },
         {0x92, 0x96, 0x04, 0x00, 0x41, 0x00, 0x42, 0x00}},
        {"narrow string field P = ab",
         [](CStreamHolder& h) { return h.WriteStringField(CNarrowString("ab"), CNarrowString("P")); },
         [](CStreamHolder& h) {
             CNarrowString v;
             return h.ReadStringField(v, CNarrowString("P")) && v.CompareNarrow("ab") == 0;
         },
         {0xF8, 0x81, 0x80, 0x01, 0x00, 0x50, 0x80, 0x03, 0x00, 0x00, 0x00, 0x61, 0x62, 0x00}},
        {"i32 field X = -2",
         [](CStreamHolder& h) { return h.WriteInt32Field(int32_t(-2), CNarrowString("X")); },
         [](CStreamHolder& h) {
             int32_t v = 0;
             return h.ReadInt32Field(v, CNarrowString("X")) && v == -2;
         },
         {0xF8, 0x81, 0x80, 0x01, 0x00, 0x58, 0x43, 0xFE, 0xFF, 0xFF, 0xFF}},
        {"empty narrow name",
         [](CStreamHolder& h) { return common::WriteStringRecord(h.GetStream(), CNarrowString()); },
         [](CStreamHolder& h) { return h.ReadNameAndCompare(CNarrowString("")); },
         {0x81, 0x81, 0x00, 0x00}},
    };
    for (const Example& e : examples) {
        SCOPED_TRACE(e.what);
        Writer w;
        ASSERT_TRUE(e.write(w.holder));
        EXPECT_EQ(e.bytes, w.Get());
        Reader r(e.bytes);
        EXPECT_TRUE(e.read(r.holder));
        EXPECT_EQ(r.stream.GetSize(), r.stream.GetPosition());
    }
}

TEST(CStreamHolder, NameRecordsAtTheLengthLimit) {
    Writer w;
    ASSERT_TRUE(common::WriteStringRecord(&w.stream, CNarrowString(std::string(300, 'n').c_str())));
    const Bytes header = w.Get();
    EXPECT_EQ((Bytes{0x81, 0xAC, 0x2C, 0x01}), Bytes(header.begin(), header.begin() + 4));

    const CNarrowString longest(std::string(0xFFFF, 'x').c_str());
    Writer big;
    ASSERT_TRUE(common::WriteStringRecord(&big.stream, longest));
    Reader r(big.Get());
    std::unique_ptr<common::CString> back(common::ReadStringRecord(&r.stream, nullptr));
    ASSERT_TRUE(back);
    EXPECT_EQ(0, back->CompareString(longest));

    Writer tooLong;
    EXPECT_FALSE(common::WriteStringRecord(&tooLong.stream, CNarrowString(std::string(0x10000, 'x').c_str())));
    EXPECT_EQ(0, tooLong.stream.GetSize());
}

TEST(CStreamHolder, IntegerAndBoolFieldsRoundTripAtTheirLimits) {
    const CNarrowString n("N");
    Writer w;
    ASSERT_TRUE(w.holder.WriteUInt8Field(uint8_t(0xFF), n) && w.holder.WriteUInt16Field(uint16_t(0xBEEF), n) &&
                w.holder.WriteUInt32Field(uint32_t(0xDEADBEEF), n) &&
                w.holder.WriteUInt64Field(uint64_t(0xFEDCBA9876543210ull), n) &&
                w.holder.WriteInt8Field(int8_t(-128), n) && w.holder.WriteInt16Field(int16_t(-32768), n) &&
                w.holder.WriteInt32Field(int32_t(INT32_MIN), n) && w.holder.WriteInt64Field(int64_t(INT64_MIN), n) &&
                w.holder.WriteBoolField(true, n) && w.holder.WriteBoolField(false, n));
    Reader r(w.Get());
    uint8_t u8 = 0;
    uint16_t u16 = 0;
    uint32_t u32 = 0;
    uint64_t u64 = 0;
    int8_t i8 = 0;
    int16_t i16 = 0;
    int32_t i32 = 0;
    int64_t i64 = 0;
    bool yes = false, no = true;
    ASSERT_TRUE(r.holder.ReadUInt8Field(u8, n) && r.holder.ReadUInt16Field(u16, n) &&
                r.holder.ReadUInt32Field(u32, n) && r.holder.ReadUInt64Field(u64, n) && r.holder.ReadInt8Field(i8, n) &&
                r.holder.ReadInt16Field(i16, n) && r.holder.ReadInt32Field(i32, n) && r.holder.ReadInt64Field(i64, n) &&
                r.holder.ReadBoolField(yes, n) && r.holder.ReadBoolField(no, n));
    EXPECT_EQ(0xFF, u8);
    EXPECT_EQ(0xBEEF, u16);
    EXPECT_EQ(0xDEADBEEFu, u32);
    EXPECT_EQ(0xFEDCBA9876543210ull, u64);
    EXPECT_EQ(-128, i8);
    EXPECT_EQ(-32768, i16);
    EXPECT_EQ(INT32_MIN, i32);
    EXPECT_EQ(INT64_MIN, i64);
    EXPECT_TRUE(yes);
    EXPECT_FALSE(no);
}

TEST(CStreamHolder, BoolAndSignedByteAreInterchangeable) {
    const CNarrowString n("B");
    Writer w;
    ASSERT_TRUE(w.holder.WriteInt8Field(int8_t(-7), n) && w.holder.WriteBoolField(true, n));
    Reader r(w.Get());
    bool b = false;
    int8_t i8 = 0;
    EXPECT_TRUE(r.holder.ReadBoolField(b, n) && b); // any non-zero byte is true
    EXPECT_TRUE(r.holder.ReadInt8Field(i8, n));
    EXPECT_EQ(1, i8);
}

TEST(CStreamHolder, StringFieldsKeepTheirWidthAndCyrillicText) {
    const CWideString russian(u"Корвет");
    Writer w;
    ASSERT_TRUE(w.holder.WriteStringField(russian, CNarrowString("W")));
    ASSERT_TRUE(w.holder.WriteStringField(CNarrowString(""), CNarrowString("E")));
    const Bytes wideField = {0xF8, 0x81, 0x80, 0x01, 0x00, 0x57, 0x81, 0x07, 0x00, 0x00, 0x00, 0x1A, 0x04,
                             0x3E, 0x04, 0x40, 0x04, 0x32, 0x04, 0x35, 0x04, 0x42, 0x04, 0x00, 0x00};
    const Bytes emptyField = {0xF8, 0x81, 0x80, 0x01, 0x00, 0x45, 0x80, 0x01, 0x00, 0x00, 0x00, 0x00};
    Bytes expected = wideField;
    expected.insert(expected.end(), emptyField.begin(), emptyField.end());
    EXPECT_EQ(expected, w.Get());

    Reader r(w.Get());
    CWideString wide;
    CNarrowString empty("stale");
    ASSERT_TRUE(r.holder.ReadStringField(wide, CNarrowString("W")));
    EXPECT_EQ(0, wide.CompareString(russian));
    ASSERT_TRUE(r.holder.ReadStringField(empty, CNarrowString("E")));
    EXPECT_TRUE(empty.IsEmpty());

    // Into the other width, the string's own conversion applies (low bytes).
    Reader r2(wideField);
    CNarrowString narrow;
    ASSERT_TRUE(r2.holder.ReadStringField(narrow, CNarrowString("W")));
    EXPECT_EQ(0, narrow.CompareNarrow("\x1A\x3E\x40\x32\x35\x42"));
}

TEST(CStreamHolder, ReadStringRecordMakesTheRecordsKindOrFillsTheGivenString) {
    Writer w;
    ASSERT_TRUE(common::WriteStringRecord(&w.stream, CWideString(u"Диск")));
    ASSERT_TRUE(common::WriteStringRecord(&w.stream, CNarrowString("abc")));
    Reader r(w.Get());
    std::unique_ptr<common::CString> wide(common::ReadStringRecord(&r.stream, nullptr));
    ASSERT_TRUE(wide);
    EXPECT_EQ(2, wide->GetKind());
    EXPECT_EQ(0, wide->CompareString(CWideString(u"Диск")));
    CWideString into;
    EXPECT_EQ(&into, common::ReadStringRecord(&r.stream, &into));
    EXPECT_EQ(0, into.CompareNarrow("abc"));
    EXPECT_EQ(nullptr, common::ReadStringRecord(nullptr, nullptr));
}

TEST(CStreamHolder, BlobsAndNestedChunksRoundTrip) {
    const CNarrowString outer("_MACH"), name("MEM");
    const CWideString inner(u"_ДИСК");
    const uint8_t data[5] = {1, 2, 3, 4, 5};
    Writer w;
    ASSERT_TRUE(w.holder.WriteMarker(0xF0, outer) && w.holder.WriteMarker(0xF0, inner) &&
                w.holder.WriteBlobField(data, 5, name) && w.holder.WriteBlobField(nullptr, 0, name) &&
                w.holder.WriteMarker(0xFF, inner) && w.holder.WriteMarker(0xFF, outer));
    Reader r(w.Get());
    uint8_t back[5] = {};
    CNarrowString seen;
    ASSERT_TRUE(r.holder.ReadMarker(outer, 0xF0, nullptr));
    ASSERT_TRUE(r.holder.ReadMarker(outer, 0xF0, &seen));                 // any name is taken with a name out
    EXPECT_EQ(0, seen.CompareString(CNarrowString("_\x14\x18\x21\x1A"))); // low bytes of the wide name
    ASSERT_TRUE(r.holder.ReadBlobField(back, 5, name) && r.holder.ReadBlobField(nullptr, 0, name));
    EXPECT_EQ(0, std::memcmp(data, back, 5));
    ASSERT_TRUE(r.holder.ReadMarker(inner, 0xFF, nullptr) && r.holder.ReadMarker(outer, 0xFF, nullptr));
}

TEST(CStreamHolder, WritersRefuseWhatCannotBeStoredBeforeWritingAnything) {
    Writer w;
    uint8_t byte = 0;
    EXPECT_FALSE(w.holder.WriteBlobField(&byte, -1, CNarrowString("B")));
    EXPECT_FALSE(w.holder.WriteBlobField(&byte, int64_t(1) << 32, CNarrowString("B")));
    EXPECT_FALSE(w.holder.WriteBlobField(nullptr, 1, CNarrowString("B")));
    EXPECT_EQ(0, w.stream.GetSize());
    CStreamHolder nowhere(nullptr);
    EXPECT_FALSE(nowhere.WriteUInt8Field(byte, CNarrowString("B")));
    EXPECT_FALSE(nowhere.ReadUInt8Field(byte, CNarrowString("B")));
}

// A stream whose chosen write falls short while every later one succeeds.
class ShortWriteStream : public CMemoryStream {
public:
    explicit ShortWriteStream(int failingWrite) : m_failingWrite(failingWrite) { Create(0, -1); }
    int64_t Write(const void* buffer, int64_t count) override {
        return ++m_writes == m_failingWrite ? 0 : CMemoryStream::Write(buffer, count);
    }

private:
    int m_failingWrite;
    int m_writes = 0;
};

TEST(CStreamHolder, AFieldFailsWhenAnyOfItsWritesFallsShort) {
    for (int failing = 1; failing <= 5; ++failing) { // marker, name head, name text, type, value
        SCOPED_TRACE(failing);
        ShortWriteStream stream(failing);
        CStreamHolder holder(&stream);
        EXPECT_FALSE(holder.WriteUInt16Field(uint16_t(7), CNarrowString("VER")));
    }
}

struct DeleteCounter : CMemoryStream {
    explicit DeleteCounter(int& count) : m_count(count) {}
    ~DeleteCounter() override { ++m_count; }
    int& m_count;
};

TEST(CStreamHolder, DeletesItsStreamOnlyWhenItOwnsIt) {
    int deleted = 0;
    DeleteCounter kept(deleted);
    { CStreamHolder borrowed(&kept); }
    EXPECT_EQ(0, deleted);
    { CStreamHolder owner(new DeleteCounter(deleted), true); }
    EXPECT_EQ(1, deleted);
}

// Bad input. Each case is a byte stream and a read that must refuse it.
struct BadInput {
    const char* what;
    Bytes bytes;
    std::function<bool(CStreamHolder&)> read;
};

bool ReadNarrowString(CStreamHolder& h) {
    CNarrowString v;
    return h.ReadStringField(v, CNarrowString("P"));
}

bool ReadWideString(CStreamHolder& h) {
    CWideString v;
    return h.ReadStringField(v, CNarrowString("P"));
}

TEST(CStreamHolder, RefusesDamagedRecordsWithoutHugeAllocations) {
    const Bytes p = {0xF8, 0x81, 0x80, 0x01, 0x00, 0x50}; // field marker and name "P"
    auto field = [&](Bytes rest) {
        Bytes b = p;
        b.insert(b.end(), rest.begin(), rest.end());
        return b;
    };
    auto readU8 = [](CStreamHolder& h) {
        uint8_t v;
        return h.ReadUInt8Field(v, CNarrowString("P"));
    };
    auto readBlob = [](CStreamHolder& h) {
        uint8_t buffer[4] = {0xAA, 0xAA, 0xAA, 0xAA};
        const bool ok = h.ReadBlobField(buffer, 4, CNarrowString("P"));
        return ok || buffer[0] != 0xAA; // the caller's buffer stays untouched
    };
    const std::vector<BadInput> cases = {
        {"empty stream", {}, readU8},
        {"wrong field marker", {0xF0, 0x81, 0x80, 0x01, 0x00, 0x50, 0x00, 0x01}, readU8},
        {"wrong check byte", {0xF8, 0x81, 0x81, 0x01, 0x00, 0x50, 0x00, 0x01}, readU8},
        {"kind byte without bit 7", {0xF8, 0x01, 0x00, 0x01, 0x00, 0x50, 0x00, 0x01}, readU8},
        {"narrow kind with wide characters", {0xF8, 0x91, 0x90, 0x01, 0x00, 0x50, 0x00, 0x01}, readU8},
        {"unknown kind", {0xF8, 0x83, 0x82, 0x01, 0x00, 0x50, 0x00, 0x01}, readU8},
        {"name longer than the stream", {0xF8, 0x81, 0x81, 0xFF, 0xFF, 0x50}, readU8},
        {"other name", field({0x00, 0x01}),
         [](CStreamHolder& h) {
             uint8_t v;
             return h.ReadUInt8Field(v, CNarrowString("Q"));
         }},
        {"unsigned read as signed", field({0x00, 0x01}),
         [](CStreamHolder& h) {
             int8_t v;
             return h.ReadInt8Field(v, CNarrowString("P"));
         }},
        {"no widening", field({0x00, 0x01}),
         [](CStreamHolder& h) {
             uint16_t v;
             return h.ReadUInt16Field(v, CNarrowString("P"));
         }},
        {"value cut short", field({0x03, 0x01, 0x02}),
         [](CStreamHolder& h) {
             uint32_t v;
             return h.ReadUInt32Field(v, CNarrowString("P"));
         }},
        {"string of 4 Gi characters", field({0x80, 0xFF, 0xFF, 0xFF, 0xFF, 0x61, 0x00}), ReadNarrowString},
        {"string of 2 Gi characters", field({0x80, 0xFF, 0xFF, 0xFF, 0x7F, 0x61, 0x00}), ReadNarrowString},
        {"wide string count fits only as bytes", field({0x81, 0x04, 0x00, 0x00, 0x00, 0x61, 0x00, 0x00, 0x00}),
         ReadWideString},
        {"wide string of 2 Gi units", field({0x81, 0xFF, 0xFF, 0xFF, 0x7F, 0x61, 0x00}), ReadWideString},
        {"string count 0", field({0x80, 0x00, 0x00, 0x00, 0x00}), ReadNarrowString},
        {"string without terminator", field({0x80, 0x02, 0x00, 0x00, 0x00, 0x61, 0x62}), ReadNarrowString},
        {"string with embedded zero", field({0x80, 0x03, 0x00, 0x00, 0x00, 0x61, 0x00, 0x00}), ReadNarrowString},
        {"string of 3-byte characters", field({0x82, 0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00}), ReadNarrowString},
        {"blob read as string", field({0xC0, 0xFF, 0xFF, 0xFF, 0xFF, 0x00}), ReadNarrowString},
        {"blob of another size", field({0xC0, 0x03, 0x00, 0x00, 0x00, 1, 2, 3}), readBlob},
        {"blob longer than the stream", field({0xC0, 0x04, 0x00, 0x00, 0x00, 1, 2, 3}), readBlob},
        {"string read as blob", field({0x80, 0x04, 0x00, 0x00, 0x00, 1, 2, 3, 0}), readBlob},
        {"chunk end for a chunk start",
         {0xFF, 0x81, 0x80, 0x01, 0x00, 0x50},
         [](CStreamHolder& h) { return h.ReadMarker(CNarrowString("P"), 0xF0, nullptr); }},
        {"chunk of another name",
         {0xF0, 0x81, 0x80, 0x01, 0x00, 0x51},
         [](CStreamHolder& h) { return h.ReadMarker(CNarrowString("P"), 0xF0, nullptr); }},
        {"marker on an empty stream",
         {},
         [](CStreamHolder& h) {
             CNarrowString any;
             return h.ReadMarker(CNarrowString("P"), 0xF0, &any);
         }},
    };
    for (const BadInput& c : cases) {
        SCOPED_TRACE(c.what);
        Reader r(c.bytes);
        g_largestAllocation = 0;
        EXPECT_FALSE(c.read(r.holder));
        EXPECT_LT(g_largestAllocation.load(), size_t(1) << 16);
        EXPECT_LE(r.stream.GetPosition(), r.stream.GetSize());
    }
}

TEST(CStreamHolder, AFieldOfAnotherNameIsConsumedUpToItsName) {
    Reader r({0xF8, 0x81, 0x82, 0x03, 0x00, 0x56, 0x45, 0x52, 0x00, 0x01});
    uint8_t v = 0;
    EXPECT_FALSE(r.holder.ReadUInt8Field(v, CNarrowString("ver"))); // names are case-sensitive
    EXPECT_EQ(8, r.stream.GetPosition());
    EXPECT_EQ(0, v);
}

// A small state-like record, committed once as written by the native build,
// so that every build proves it writes and reads the very same bytes.
struct Sample {
    uint8_t ver = 0;
    bool enabled = false;
    uint16_t pc = 0;
    uint32_t freq = 0;
    uint64_t cycles = 0;
    int8_t temp = 0;
    int16_t offset = 0;
    int32_t x = 0;
    int64_t delta = 0;
    CNarrowString model;
    CWideString title;
    CWideString disk;
    uint8_t rom[16] = {};
};

Sample ExpectedSample() {
    Sample s;
    s.ver = 0;
    s.enabled = true;
    s.pc = 0xF800;
    s.freq = 2500000;
    s.cycles = 0x0123456789ABCDEFull;
    s.temp = -5;
    s.offset = -300;
    s.x = -2;
    s.delta = -1234567890123456789ll;
    s.model.AssignNarrow("Korvet 2.0");
    s.title.AssignWide(u"Корвет ПК8020");
    s.disk.AssignWide(u"Диск А: игры");
    for (int i = 0; i < 16; ++i)
        s.rom[i] = static_cast<uint8_t>(i * 17);
    return s;
}

// One function serves both directions, so the field order cannot drift.
template <bool kWrite> bool TransferSample(CStreamHolder& h, Sample& s) {
    const CNarrowString top("SAMPLE");
    const CWideString drive(u"_ДИСК");
    if (kWrite) {
        return h.WriteMarker(0xF0, top) && h.WriteUInt8Field(s.ver, CNarrowString("_VER")) &&
               h.WriteBoolField(s.enabled, CNarrowString("_ENBL")) && h.WriteUInt16Field(s.pc, CNarrowString("PC")) &&
               h.WriteUInt32Field(s.freq, CNarrowString("FREQ")) &&
               h.WriteUInt64Field(s.cycles, CNarrowString("CYCLES")) &&
               h.WriteInt8Field(s.temp, CNarrowString("TEMP")) && h.WriteInt16Field(s.offset, CNarrowString("OFFS")) &&
               h.WriteInt32Field(s.x, CNarrowString("X")) && h.WriteInt64Field(s.delta, CNarrowString("DELTA")) &&
               h.WriteStringField(s.model, CNarrowString("MODEL")) &&
               h.WriteStringField(s.title, CNarrowString("TITLE")) && h.WriteMarker(0xF0, drive) &&
               h.WriteStringField(s.disk, CWideString(u"ИМЯ")) && h.WriteMarker(0xFF, drive) &&
               h.WriteBlobField(s.rom, 16, CNarrowString("ROM")) && h.WriteMarker(0xFF, top);
    }
    return h.ReadMarker(top, 0xF0, nullptr) && h.ReadUInt8Field(s.ver, CNarrowString("_VER")) &&
           h.ReadBoolField(s.enabled, CNarrowString("_ENBL")) && h.ReadUInt16Field(s.pc, CNarrowString("PC")) &&
           h.ReadUInt32Field(s.freq, CNarrowString("FREQ")) && h.ReadUInt64Field(s.cycles, CNarrowString("CYCLES")) &&
           h.ReadInt8Field(s.temp, CNarrowString("TEMP")) && h.ReadInt16Field(s.offset, CNarrowString("OFFS")) &&
           h.ReadInt32Field(s.x, CNarrowString("X")) && h.ReadInt64Field(s.delta, CNarrowString("DELTA")) &&
           h.ReadStringField(s.model, CNarrowString("MODEL")) && h.ReadStringField(s.title, CNarrowString("TITLE")) &&
           h.ReadMarker(drive, 0xF0, nullptr) && h.ReadStringField(s.disk, CWideString(u"ИМЯ")) &&
           h.ReadMarker(drive, 0xFF, nullptr) && h.ReadBlobField(s.rom, 16, CNarrowString("ROM")) &&
           h.ReadMarker(top, 0xFF, nullptr);
}

void ExpectSampleEquals(const Sample& a, const Sample& b) {
    EXPECT_EQ(a.ver, b.ver);
    EXPECT_EQ(a.enabled, b.enabled);
    EXPECT_EQ(a.pc, b.pc);
    EXPECT_EQ(a.freq, b.freq);
    EXPECT_EQ(a.cycles, b.cycles);
    EXPECT_EQ(a.temp, b.temp);
    EXPECT_EQ(a.offset, b.offset);
    EXPECT_EQ(a.x, b.x);
    EXPECT_EQ(a.delta, b.delta);
    EXPECT_EQ(0, a.model.CompareString(b.model));
    EXPECT_EQ(0, a.title.CompareString(b.title));
    EXPECT_EQ(0, a.disk.CompareString(b.disk));
    EXPECT_EQ(0, std::memcmp(a.rom, b.rom, sizeof(a.rom)));
}

std::string SampleFilePath() {
    std::string path = KORVET_TEST_DATA_DIR "CStreamHolderSample.rec";
#ifdef _WIN32
    if (!path.empty() && path[0] == '/')
        path.insert(0, "Z:"); // Wine sees the Linux root as drive Z:
#endif
    return path;
}

TEST(CStreamHolder, WritesTheCommittedSampleRecordFileExactly) {
    common::CFileStream file;
    ASSERT_TRUE(file.OpenExisting(common::CPath(SampleFilePath().c_str()), false)) << SampleFilePath();
    Bytes committed(static_cast<size_t>(file.GetSize()));
    ASSERT_EQ(file.GetSize(), file.Read(committed.data(), file.GetSize()));

    Sample written = ExpectedSample();
    Writer w;
    ASSERT_TRUE(TransferSample<true>(w.holder, written));
    EXPECT_EQ(committed, w.Get());

    ASSERT_TRUE(file.Seek(0));
    CStreamHolder fromFile(&file);
    Sample read;
    ASSERT_TRUE(TransferSample<false>(fromFile, read));
    ExpectSampleEquals(ExpectedSample(), read);
    EXPECT_EQ(file.GetSize(), file.GetPosition());
}

TEST(CStreamHolder, EveryTruncationOfARecordIsRefused) {
    Sample sample = ExpectedSample();
    Writer w;
    ASSERT_TRUE(TransferSample<true>(w.holder, sample));
    const Bytes whole = w.Get();
    for (size_t cut = 0; cut < whole.size(); ++cut) {
        Reader r(Bytes(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(cut)));
        Sample back;
        EXPECT_FALSE(TransferSample<false>(r.holder, back)) << "cut at " << cut;
    }
}

} // namespace
