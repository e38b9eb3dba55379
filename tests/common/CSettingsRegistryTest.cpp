#include <gtest/gtest.h>

#include <cctype>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "common/CBoundValue.h"
#include "common/CMemoryStream.h"
#include "common/CNarrowString.h"
#include "common/COwnedValue.h"
#include "common/CSettingsRegistry.h"
#include "common/CWideString.h"

using common::CBoundValue;
using common::CMemoryStream;
using common::CNarrowString;
using common::COwnedValue;
using common::CSettingsRegistry;
using common::CStream;
using common::CString;
using common::CValue;
using common::CWideString;

namespace {

typedef std::vector<uint8_t> Bytes;

Bytes operator+(Bytes a, const Bytes& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

Bytes Text(const std::string& text) {
    return Bytes(text.begin(), text.end());
}

// The narrow name record of a text.
Bytes Name(const std::string& text) {
    const size_t n = text.size();
    const uint8_t low = static_cast<uint8_t>(n), high = static_cast<uint8_t>(n >> 8);
    return Bytes{0x81, static_cast<uint8_t>(0x81 ^ low ^ high), low, high} + Text(text);
}

const Bytes kBodyStart = {0x00, 0x00, 0x00, 0x00};
const Bytes kEnd = {0xFF};

Bytes ValueEntry(const std::string& name, const Bytes& record) {
    return Bytes{0x01} + Name(name) + record;
}

Bytes SectionEntry(const std::string& name, const Bytes& body) {
    return Bytes{0x80} + Name(name) + body;
}

const Bytes kTrue = {0x04, 0x40, 0xFF};
const Bytes kFalse = {0x04, 0x40, 0x00};

Bytes U8(uint8_t v) {
    return {0x00, 0x11, v};
}

Bytes U16(uint16_t v) {
    return {0x03, 0x12, static_cast<uint8_t>(v), static_cast<uint8_t>(v >> 8)};
}

Bytes S32(int32_t v) {
    const uint32_t u = static_cast<uint32_t>(v);
    return {0x07,
            0x34,
            static_cast<uint8_t>(u),
            static_cast<uint8_t>(u >> 8),
            static_cast<uint8_t>(u >> 16),
            static_cast<uint8_t>(u >> 24)};
}

Bytes Str(const std::string& text) {
    return Bytes{0x08, 0x80} + Name(text);
}

Bytes Saved(const CSettingsRegistry& registry, const char* header, const char* trailer, bool* result = nullptr) {
    CMemoryStream stream;
    EXPECT_TRUE(stream.Create(0, -1));
    const bool ok = registry.Save(&stream, header, trailer);
    if (result)
        *result = ok;
    return Bytes(stream.GetBuffer(), stream.GetBuffer() + stream.GetSize());
}

// A stream over a copy of the bytes, positioned at 0.
struct ByteStream {
    explicit ByteStream(const Bytes& bytes) : data(bytes) {
        data.push_back(0); // Attach needs a buffer even for no bytes; the size excludes it
        stream.Attach(data.data(), static_cast<int64_t>(bytes.size()));
    }
    int64_t Position() const { return stream.GetPosition(); }
    Bytes data;
    CMemoryStream stream;
};

// Records the notifications and answers them as told.
struct Recorder {
    std::vector<std::string> notices; // "<null>" or the section name
    std::vector<std::string> handled;
    bool notifyAnswer = true;
    bool* lastChangedPointer = nullptr;
    CSettingsRegistry* childForB = nullptr;

    static bool Notify(void* context, const CNarrowString* name) {
        Recorder* self = static_cast<Recorder*>(context);
        self->notices.push_back(name ? name->GetNarrow() : "<null>");
        return self->notifyAnswer;
    }
    // Takes only the section "B", loading it into childForB; refuses others
    // after reading a byte of them, so they must be skipped from their start.
    static bool Handle(void* context, CStream* stream, const CNarrowString& name, bool* changed) {
        Recorder* self = static_cast<Recorder*>(context);
        self->handled.push_back(name.GetNarrow());
        self->lastChangedPointer = changed;
        if (name.CompareNarrow("B") == 0 && self->childForB)
            return self->childForB->Load(stream, nullptr, nullptr);
        uint8_t byte = 0;
        stream->Read(&byte, 1);
        return false;
    }
};

} // namespace

// ---- Saving ------------------------------------------------------------------

TEST(CSettingsRegistrySave, EmuFastInitExampleByteForByte) {
    bool fastInit = true;
    CSettingsRegistry registry;
    ASSERT_NE(nullptr, registry.BindBool("EmuFastInit", &fastInit));
    const Bytes expected = Text("NUVINI") + Bytes{0x00, 0x00, 0x00, 0x00, 0x01, 0x81, 0x8A, 0x0B, 0x00} +
                           Text("EmuFastInit") + Bytes{0x04, 0x40, 0xFF, 0xFF};
    bool ok = false;
    EXPECT_EQ(expected, Saved(registry, "NUVINI", "", &ok));
    EXPECT_TRUE(ok);

    bool loaded = false;
    CSettingsRegistry other;
    other.BindBool("EmuFastInit", &loaded);
    ByteStream in(expected);
    EXPECT_TRUE(other.Load(&in.stream, "NUVINI", ""));
    EXPECT_TRUE(loaded);
    EXPECT_EQ(static_cast<int64_t>(expected.size()), in.Position());
}

TEST(CSettingsRegistrySave, ValuesInNameOrderThenSectionsWithoutHeaders) {
    uint8_t small = 7;
    int32_t number = -2;
    CNarrowString text("hi");
    bool flag = false;
    CSettingsRegistry registry;
    registry.BindUInt8("b", &small);
    registry.BindString("B", &text); // upper case sorts first (byte order)
    ASSERT_TRUE(registry.AddBinding("ab")->BindInt32(&number));
    CSettingsRegistry* child = registry.InsertChild("Child", new CSettingsRegistry());
    ASSERT_NE(nullptr, child);
    child->BindBool("F", &flag);
    registry.InsertChild("Empty", new CSettingsRegistry());

    const Bytes expected = Text("HDR") + kBodyStart + ValueEntry("B", Str("hi")) + ValueEntry("ab", S32(-2)) +
                           ValueEntry("b", U8(7)) + SectionEntry("Child", kBodyStart + ValueEntry("F", kFalse) + kEnd) +
                           SectionEntry("Empty", kBodyStart + kEnd) + kEnd + Text("TRL");
    EXPECT_EQ(expected, Saved(registry, "HDR", "TRL"));
    // A null header and trailer are left out like empty ones.
    EXPECT_EQ(Saved(registry, nullptr, nullptr), Saved(registry, "", ""));
}

TEST(CSettingsRegistrySave, FailsOnUnboundValueOrFullStream) {
    bool flag = true;
    CSettingsRegistry registry;
    registry.BindBool("A", &flag);
    registry.AddBinding("Z"); // never bound: has no record
    bool ok = true;
    Saved(registry, "NUVINI", nullptr, &ok);
    EXPECT_FALSE(ok);

    CSettingsRegistry good;
    good.BindBool("A", &flag);
    uint8_t room[8];
    CMemoryStream small;
    small.Attach(room, sizeof(room));
    EXPECT_FALSE(good.Save(&small, "NUVINI", nullptr));
}

// ---- Binding -------------------------------------------------------------------

TEST(CSettingsRegistryBind, SameNameTwiceKeepsTheFirstBinding) {
    bool first = false, second = false;
    CSettingsRegistry registry;
    CBoundValue* a = registry.BindBool("Key", &first);
    ASSERT_NE(nullptr, a);
    EXPECT_EQ(nullptr, registry.BindBool("Key", &second));
    EXPECT_EQ(nullptr, registry.AddBinding("Key"));
    EXPECT_EQ(a, registry.FindValue("Key"));
    EXPECT_EQ(&first, a->GetTarget());
    EXPECT_EQ(nullptr, registry.BindBool("Other", nullptr));
    EXPECT_EQ(nullptr, registry.FindValue("Other"));
    EXPECT_EQ(nullptr, registry.FindValue("key")); // case-sensitive

    EXPECT_EQ(nullptr, registry.InsertValue("Key", new COwnedValue())); // deleted, not leaked
    CSettingsRegistry* child = registry.InsertChild("C", new CSettingsRegistry());
    EXPECT_EQ(nullptr, registry.InsertChild("C", new CSettingsRegistry()));
    EXPECT_EQ(child, registry.FindChild("C"));
}

// ---- Loading ---------------------------------------------------------------------

TEST(CSettingsRegistryLoad, RoundTripsEveryBoundType) {
    bool flag = true;
    uint8_t small = 200;
    int32_t number = -123456;
    uint64_t big = 0xFEDCBA9876543210ull;
    CWideString text(u"C:\\games\\disk.kdi");
    CSettingsRegistry source;
    source.BindBool("Flag", &flag);
    source.BindUInt8("Small", &small);
    source.AddBinding("Number")->BindInt32(&number);
    source.AddBinding("Big")->BindUInt64(&big);
    source.BindString("Text", &text);
    const Bytes bytes = Saved(source, "NUVINI", nullptr);

    bool flag2 = false;
    uint8_t small2 = 0;
    int32_t number2 = 0;
    uint64_t big2 = 0;
    CNarrowString text2;
    CSettingsRegistry target;
    target.BindBool("Flag", &flag2);
    target.BindUInt8("Small", &small2);
    target.AddBinding("Number")->BindInt32(&number2);
    target.AddBinding("Big")->BindUInt64(&big2);
    target.BindString("Text", &text2);
    ByteStream in(bytes);
    ASSERT_TRUE(target.Load(&in.stream, "NUVINI", nullptr));
    EXPECT_TRUE(flag2);
    EXPECT_EQ(200, small2);
    EXPECT_EQ(-123456, number2);
    EXPECT_EQ(0xFEDCBA9876543210ull, big2);
    EXPECT_STREQ("C:\\games\\disk.kdi", text2.GetNarrow());
}

TEST(CSettingsRegistryLoad, HeaderMismatchFailsBeforeAnyValue) {
    const Bytes body = kBodyStart + ValueEntry("A", kTrue) + kEnd;
    for (const char* header : {"NUVINX", "nUVINI", "NUV"}) {
        bool flag = false;
        CSettingsRegistry registry;
        registry.BindBool("A", &flag);
        ByteStream in(Text(header) + body);
        EXPECT_FALSE(registry.Load(&in.stream, "NUVINI", nullptr)) << header;
        EXPECT_FALSE(flag) << header;
    }
}

TEST(CSettingsRegistryLoad, TrailerMustMatch) {
    bool flag = false;
    CSettingsRegistry registry;
    registry.BindBool("A", &flag);
    const Bytes bytes = kBodyStart + ValueEntry("A", kTrue) + kEnd + Text("END");
    ByteStream good(bytes);
    EXPECT_TRUE(registry.Load(&good.stream, nullptr, "END"));
    ByteStream bad(bytes);
    EXPECT_FALSE(registry.Load(&bad.stream, nullptr, "ENX"));
    ByteStream missing(kBodyStart + kEnd);
    EXPECT_FALSE(registry.Load(&missing.stream, nullptr, "END"));
}

TEST(CSettingsRegistryLoad, ForgivingAboutContent) {
    struct Row {
        const char* what;
        Bytes entries;
        uint8_t expected;
    };
    const Row rows[] = {
        {"unknown names are dropped", ValueEntry("Unknown", U8(9)) + ValueEntry("Known", U8(3)), 3},
        {"out of range is ignored", ValueEntry("Known", U16(300)), 1},
        {"wrong type is ignored", ValueEntry("Known", kTrue) + ValueEntry("Known", Str("x")), 1},
        {"other width in range is taken", ValueEntry("Known", S32(255)), 255},
        {"a key stored twice: the later wins", ValueEntry("Known", U8(4)) + ValueEntry("Known", U8(5)), 5},
        {"absent keys keep their value", ValueEntry("Other", U8(8)), 1},
    };
    for (const Row& row : rows) {
        uint8_t known = 1;
        CSettingsRegistry registry;
        registry.BindUInt8("Known", &known);
        ByteStream in(kBodyStart + row.entries + kEnd);
        EXPECT_TRUE(registry.Load(&in.stream, nullptr, nullptr)) << row.what;
        EXPECT_EQ(row.expected, known) << row.what;
    }
}

TEST(CSettingsRegistryLoad, StrictAboutFormKeepingEarlierValues) {
    struct Row {
        const char* what;
        Bytes bytes;
    };
    const Row rows[] = {
        {"reserved word not 0", Bytes{0x01, 0x00, 0x00, 0x00} + ValueEntry("A", U8(2)) + kEnd},
        {"unknown entry byte", kBodyStart + ValueEntry("A", U8(2)) + Bytes{0x02} + kEnd},
        {"bad value record", kBodyStart + ValueEntry("A", U8(2)) + ValueEntry("B", {0x05, 0x40, 0xFF}) + kEnd},
        {"pointer record", kBodyStart + ValueEntry("A", U8(2)) + ValueEntry("B", {0x01, 0x01}) + kEnd},
        {"missing end byte", kBodyStart + ValueEntry("A", U8(2))},
        {"broken name record", kBodyStart + ValueEntry("A", U8(2)) + Bytes{0x01, 0x81, 0x00, 0x01, 0x00}},
        {"damaged section", kBodyStart + ValueEntry("A", U8(2)) + SectionEntry("S", {0x00, 0x00, 0x00, 0x00, 0x07})},
    };
    for (const Row& row : rows) {
        uint8_t a = 1;
        CSettingsRegistry registry;
        registry.BindUInt8("A", &a);
        ByteStream in(row.bytes);
        EXPECT_FALSE(registry.Load(&in.stream, nullptr, nullptr)) << row.what;
        EXPECT_EQ(row.bytes[0] == 0x01 ? 1 : 2, a) << row.what;
    }
}

TEST(CSettingsRegistryLoad, ExtensionLengthIsSkipped) {
    uint8_t a = 0;
    CSettingsRegistry registry;
    registry.BindUInt8("A", &a);
    ByteStream in(Bytes{0x00, 0x00, 0x03, 0x00, 0xEE, 0xEE, 0xEE} + ValueEntry("A", U8(6)) + kEnd);
    EXPECT_TRUE(registry.Load(&in.stream, nullptr, nullptr));
    EXPECT_EQ(6, a);
}

TEST(CSettingsRegistryLoad, WideNameRecordsMatchNarrowKeys) {
    bool flag = false;
    CSettingsRegistry registry;
    registry.BindBool("AB", &flag);
    ByteStream in(kBodyStart + Bytes{0x01, 0x92, 0x96, 0x04, 0x00, 'A', 0x00, 'B', 0x00} + kTrue + kEnd);
    EXPECT_TRUE(registry.Load(&in.stream, nullptr, nullptr));
    EXPECT_TRUE(flag);
}

// ---- Sections ----------------------------------------------------------------------

TEST(CSettingsRegistrySections, UnhandledOrRefusedSectionsAreSkippedWhole) {
    uint8_t a = 0, inner = 0, bValue = 0;
    CSettingsRegistry childB;
    childB.BindUInt8("V", &bValue);
    Recorder recorder;
    recorder.childForB = &childB;
    const Bytes nested = kBodyStart + ValueEntry("V", U8(11)) +
                         SectionEntry("Deeper", kBodyStart + ValueEntry("V", U8(12)) + kEnd) + kEnd;
    // Sections before a value prove that skipping lands exactly after each body.
    const Bytes bytes = kBodyStart + SectionEntry("A", nested) +
                        SectionEntry("B", kBodyStart + ValueEntry("V", U8(21)) + kEnd) + SectionEntry("C", nested) +
                        ValueEntry("A", U8(5)) + kEnd;

    {
        CSettingsRegistry registry; // no handler at all
        registry.BindUInt8("A", &a);
        registry.BindUInt8("V", &inner);
        ByteStream in(bytes);
        EXPECT_TRUE(registry.Load(&in.stream, nullptr, nullptr));
        EXPECT_EQ(5, a);
        EXPECT_EQ(0, inner); // the sections' values were dropped
        EXPECT_EQ(static_cast<int64_t>(bytes.size()), in.Position());
    }
    a = 0;
    {
        CSettingsRegistry registry;
        registry.BindUInt8("A", &a);
        registry.SetSectionHandler(&Recorder::Handle);
        registry.SetContext(&recorder);
        ByteStream in(bytes);
        EXPECT_TRUE(registry.Load(&in.stream, nullptr, nullptr));
        EXPECT_EQ(5, a);
        EXPECT_EQ(21, bValue);
        EXPECT_EQ((std::vector<std::string>{"A", "B", "C"}), recorder.handled);
    }
}

TEST(CSettingsRegistrySections, HandlerThatReadsNothingGetsItsSectionSkipped) {
    uint8_t a = 0;
    CSettingsRegistry registry;
    registry.BindUInt8("A", &a);
    registry.SetSectionHandler([](void*, CStream*, const CNarrowString&, bool*) { return true; });
    ByteStream in(kBodyStart + SectionEntry("S", kBodyStart + ValueEntry("A", U8(1)) + kEnd) + ValueEntry("A", U8(2)) +
                  kEnd);
    EXPECT_TRUE(registry.Load(&in.stream, nullptr, nullptr));
    EXPECT_EQ(2, a);
}

TEST(CSettingsRegistrySections, NotifyWithoutSectionsOnceAfterTheEnd) {
    for (bool answer : {true, false}) {
        Recorder recorder;
        recorder.notifyAnswer = answer;
        CSettingsRegistry registry;
        registry.SetSectionNotify(&Recorder::Notify);
        registry.SetContext(&recorder);
        ByteStream in(kBodyStart + ValueEntry("X", U8(1)) + kEnd);
        EXPECT_EQ(answer, registry.Load(&in.stream, nullptr, nullptr));
        EXPECT_EQ((std::vector<std::string>{"<null>"}), recorder.notices);
    }
}

TEST(CSettingsRegistrySections, NotifyBeforeFirstSectionAndAfterEach) {
    Recorder recorder;
    CSettingsRegistry registry;
    registry.SetSectionNotify(&Recorder::Notify);
    registry.SetContext(&recorder);
    const Bytes empty = kBodyStart + kEnd;
    ByteStream in(kBodyStart + ValueEntry("X", U8(1)) + SectionEntry("S1", empty) + SectionEntry("S2", empty) + kEnd);
    EXPECT_TRUE(registry.Load(&in.stream, nullptr, nullptr));
    EXPECT_EQ((std::vector<std::string>{"<null>", "S1", "S2"}), recorder.notices);

    recorder.notices.clear();
    recorder.notifyAnswer = false;
    ByteStream again(kBodyStart + SectionEntry("S1", empty) + kEnd);
    EXPECT_FALSE(registry.Load(&again.stream, nullptr, nullptr));
    EXPECT_EQ((std::vector<std::string>{"<null>"}), recorder.notices);
}

TEST(CSettingsRegistrySections, CheckStreamConsumesExactlyOneBody) {
    const Bytes body = kBodyStart + ValueEntry("V", Str("text")) +
                       SectionEntry("N", kBodyStart + ValueEntry("W", kTrue) + kEnd) + kEnd;
    ByteStream in(body + Bytes{0x77});
    EXPECT_TRUE(CSettingsRegistry::CheckStream(&in.stream));
    EXPECT_EQ(static_cast<int64_t>(body.size()), in.Position());

    ByteStream broken(Bytes{0x00, 0x00, 0x00, 0x00, 0x01});
    EXPECT_FALSE(CSettingsRegistry::CheckStream(&broken.stream));
}

// ---- Deep nesting ---------------------------------------------------------------------

namespace {

// `depth` bodies, each but the innermost holding one section with the next.
Bytes NestedBodies(int depth) {
    Bytes bytes;
    for (int i = 1; i < depth; ++i)
        bytes = bytes + kBodyStart + Bytes{0x80} + Name("x");
    bytes = bytes + kBodyStart + kEnd;
    for (int i = 1; i < depth; ++i)
        bytes = bytes + kEnd;
    return bytes;
}

// Loads every section "x" through a fresh registry with the same handler, as
// an owner walking its own tree would.
bool LoadNestedThroughHandler(void*, CStream* stream, const CNarrowString&, bool*) {
    CSettingsRegistry child;
    child.SetSectionHandler(&LoadNestedThroughHandler);
    return child.Load(stream, nullptr, nullptr);
}

} // namespace

TEST(CSettingsRegistryNesting, RefusesNestingBeyondTheLimit) {
    const int limit = CSettingsRegistry::kMaxNestingDepth;
    {
        ByteStream in(NestedBodies(limit));
        CSettingsRegistry registry;
        EXPECT_TRUE(registry.Load(&in.stream, nullptr, nullptr));
    }
    {
        ByteStream in(NestedBodies(limit + 1));
        CSettingsRegistry registry;
        EXPECT_FALSE(registry.Load(&in.stream, nullptr, nullptr));
    }
    {
        ByteStream in(NestedBodies(limit + 1));
        EXPECT_FALSE(CSettingsRegistry::CheckStream(&in.stream));
    }
}

TEST(CSettingsRegistryNesting, CraftedDeepFileFailsWithoutExhaustingTheStack) {
    // 200,000 opened sections and never an end: a recursive reader without a
    // limit would need far more stack than any thread has.
    Bytes bytes;
    const Bytes level = kBodyStart + Bytes{0x80} + Name("x");
    bytes.reserve(level.size() * 200000);
    for (int i = 0; i < 200000; ++i)
        bytes.insert(bytes.end(), level.begin(), level.end());
    for (bool throughHandler : {false, true}) {
        ByteStream in(bytes);
        CSettingsRegistry registry;
        if (throughHandler)
            registry.SetSectionHandler(&LoadNestedThroughHandler);
        EXPECT_FALSE(registry.Load(&in.stream, nullptr, nullptr));
        // The limit applies afresh to the next load.
        ByteStream fine(NestedBodies(3));
        EXPECT_TRUE(registry.Load(&fine.stream, nullptr, nullptr));
    }
}

// ---- LoadAndCompare -----------------------------------------------------------------

TEST(CSettingsRegistryCompare, SetsChangedOnlyForDifferingKnownValues) {
    struct Row {
        const char* what;
        Bytes entries;
        bool changed;
    };
    const Row rows[] = {
        {"same values", ValueEntry("Small", U8(5)) + ValueEntry("Flag", kTrue) + ValueEntry("Text", Str("ab")), false},
        {"same integer in another width", ValueEntry("Small", S32(5)) + ValueEntry("Number", U8(7)), false},
        {"unknown names do not count", ValueEntry("Nobody", U8(1)), false},
        {"integer differs", ValueEntry("Small", U8(6)), true},
        {"out of range for the variable", ValueEntry("Small", U16(300)), true},
        {"negative for an unsigned variable", ValueEntry("Small", S32(-1)), true},
        {"bool differs", ValueEntry("Flag", kFalse), true},
        {"string differs", ValueEntry("Text", Str("ac")), true},
        {"bool stored for a string", ValueEntry("Text", kTrue), true},
        {"string stored for a bool", ValueEntry("Flag", Str("1")), true},
    };
    for (const Row& row : rows) {
        uint8_t small = 5;
        bool flag = true;
        int32_t number = 7;
        CNarrowString text("ab");
        CSettingsRegistry registry;
        registry.BindUInt8("Small", &small);
        registry.BindBool("Flag", &flag);
        registry.AddBinding("Number")->BindInt32(&number);
        registry.BindString("Text", &text);
        ByteStream in(Text("NUVINI") + kBodyStart + row.entries + kEnd);
        bool changed = false;
        EXPECT_TRUE(registry.LoadAndCompare(&in.stream, &changed, "NUVINI", nullptr)) << row.what;
        EXPECT_EQ(row.changed, changed) << row.what;
    }
}

TEST(CSettingsRegistryCompare, NeverClearsTheFlagAndPassesItToHandlers) {
    uint8_t small = 5;
    Recorder recorder;
    CSettingsRegistry registry;
    registry.BindUInt8("Small", &small);
    registry.SetSectionHandler(&Recorder::Handle);
    registry.SetContext(&recorder);
    const Bytes bytes = kBodyStart + ValueEntry("Small", U8(5)) + SectionEntry("S", kBodyStart + kEnd) + kEnd;

    bool changed = true;
    ByteStream in(bytes);
    EXPECT_TRUE(registry.LoadAndCompare(&in.stream, &changed, nullptr, nullptr));
    EXPECT_TRUE(changed);
    EXPECT_EQ(&changed, recorder.lastChangedPointer);

    // A plain load hands the handler a flag of its own.
    ByteStream again(bytes);
    EXPECT_TRUE(registry.Load(&again.stream, nullptr, nullptr));
    EXPECT_NE(nullptr, recorder.lastChangedPointer);
    EXPECT_NE(&changed, recorder.lastChangedPointer);
}

// ---- Settings files ---------------------------------------------------------------------

namespace {

// A fresh folder below the test scratch folder, ending with '/'.
std::string ScratchFolder() {
    const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name = std::string("values_") + info->name();
    for (char& c : name)
        if (!std::isalnum(static_cast<unsigned char>(c)))
            c = '_';
    const std::string folder = std::string(KORVET_TEST_TEMP) + "/" + name;
    std::error_code error;
    std::filesystem::remove_all(folder, error);
    std::filesystem::create_directories(folder, error);
    return folder + "/";
}

Bytes FileBytes(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

void WriteBytes(const std::string& path, const Bytes& bytes) {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

} // namespace

TEST(CSettingsRegistryFile, SaveToFileWritesAndReplaces) {
    const std::string path = ScratchFolder() + "emu.ini";
    WriteBytes(path, Text("old content that is longer than the new one"));
    bool fastInit = true;
    CSettingsRegistry registry;
    registry.BindBool("EmuFastInit", &fastInit);
    ASSERT_TRUE(registry.SaveToFile(CWideString(path.c_str()), "NUVINI", nullptr));
    EXPECT_EQ(Saved(registry, "NUVINI", nullptr), FileBytes(path));
    EXPECT_FALSE(std::filesystem::exists(path + ".tmp"));

    // A new file is created the same way.
    const std::string fresh = ScratchFolder() + "new.ini";
    ASSERT_TRUE(registry.SaveToFile(CNarrowString(fresh.c_str()), "NUVINI", nullptr));
    EXPECT_EQ(Saved(registry, "NUVINI", nullptr), FileBytes(fresh));
}

TEST(CSettingsRegistryFile, FailedSaveKeepsTheOldFile) {
    const std::string folder = ScratchFolder();
    const std::string path = folder + "emu.ini";
    const Bytes old = Text("NUVINI") + kBodyStart + ValueEntry("A", kTrue) + kEnd;
    WriteBytes(path, old);
    bool flag = false;

    // The tree cannot be written whole: an unbound value after a good one.
    CSettingsRegistry broken;
    broken.BindBool("A", &flag);
    broken.AddBinding("B");
    EXPECT_FALSE(broken.SaveToFile(CWideString(path.c_str()), "NUVINI", nullptr));
    EXPECT_EQ(old, FileBytes(path));
    EXPECT_FALSE(std::filesystem::exists(path + ".tmp"));

    // The temporary file cannot be made: its name is taken by a folder.
    CSettingsRegistry good;
    good.BindBool("A", &flag);
    std::filesystem::create_directory(path + ".tmp");
    EXPECT_FALSE(good.SaveToFile(CWideString(path.c_str()), "NUVINI", nullptr));
    EXPECT_EQ(old, FileBytes(path));

    // The file's folder does not exist.
    EXPECT_FALSE(good.SaveToFile(CWideString((folder + "missing/emu.ini").c_str()), "NUVINI", nullptr));
    EXPECT_FALSE(std::filesystem::exists(folder + "missing"));
}
