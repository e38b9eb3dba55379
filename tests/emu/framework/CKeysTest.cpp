#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "FrameworkTestSupport.h"
#include "common/CNarrowString.h"
#include "common/CStreamHolder.h"
#include "emu/framework/CKeys.h"

using emu::CKeys;
using test::Bytes;
using test::CTestStream;

namespace {

// (listener id, key, pressed) of every call.
struct CCall {
    int listener;
    uint32_t key;
    uint32_t pressed;
    bool operator==(const CCall& o) const { return listener == o.listener && key == o.key && pressed == o.pressed; }
};
std::ostream& operator<<(std::ostream& out, const CCall& c) {
    return out << "{" << c.listener << " " << c.key << " " << c.pressed << "}";
}

struct CListenerLog {
    std::vector<CCall> calls;
};

struct CContext {
    CListenerLog* log;
    int id;
};

void Listen(void* context, uint32_t key, uint32_t pressed) {
    CContext* c = static_cast<CContext*>(context);
    c->log->calls.push_back(CCall{c->id, key, pressed});
}

void OtherListen(void* context, uint32_t key, uint32_t pressed) {
    CContext* c = static_cast<CContext*>(context);
    c->log->calls.push_back(CCall{c->id + 100, key, pressed});
}

Bytes SaveKeys(CKeys& keys) {
    CTestStream stream;
    common::CStreamHolder holder(&stream.Stream());
    EXPECT_TRUE(keys.SaveData(holder));
    return stream.GetBytes();
}

bool LoadKeys(CKeys& keys, const Bytes& bytes) {
    CTestStream stream(bytes);
    common::CStreamHolder holder(&stream.Stream());
    return keys.LoadData(holder, nullptr);
}

void AppendU32Field(Bytes& out, const std::string& name, uint32_t value) {
    out.push_back(0xF8);
    test::AppendName(out, name);
    out.push_back(0x03);
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

Bytes KeyChunk(const uint32_t (&masks)[8], uint8_t version = 0, const std::string& name = "_KEYS") {
    Bytes out;
    test::AppendBegin(out, name);
    test::AppendU8Field(out, "VER", version);
    for (int k = 0; k < 8; ++k)
        AppendU32Field(out, "L" + std::to_string(k), masks[k]);
    test::AppendEnd(out, name);
    return out;
}

} // namespace

TEST(CKeys, IsTheKeyboardServiceWithAnEmptyShortName) {
    CKeys keys;
    EXPECT_STREQ("_KEYB", keys.GetName());
    EXPECT_STREQ("", keys.GetShortName());
    EXPECT_FALSE(keys.IsAnyKeyDown());
}

TEST(CKeys, ListenersHearChangesOnlyInOrder) {
    CKeys keys;
    CListenerLog log;
    CContext first{&log, 1};
    CContext second{&log, 2};
    EXPECT_TRUE(keys.AddListener(&first, &Listen));
    EXPECT_TRUE(keys.AddListener(&second, &Listen));
    EXPECT_TRUE(keys.AddListener(&first, &Listen)); // the same pair stays single
    EXPECT_TRUE(keys.AddListener(&first, &OtherListen));
    EXPECT_EQ(3, keys.GetListenerCount());

    keys.SetKeyState(10, true);
    keys.SetKeyState(10, true);  // repeat: nobody
    keys.SetKeyState(11, false); // not down: nobody
    keys.SetKeyState(255, true); // no key
    keys.SetKeyState(10, false);
    EXPECT_EQ(std::vector<CCall>({{1, 10, 1}, {2, 10, 1}, {101, 10, 1}, {1, 10, 0}, {2, 10, 0}, {101, 10, 0}}),
              log.calls);
    EXPECT_EQ(0, keys.GetPressedCount());
    EXPECT_FALSE(keys.IsKeyDown(255));

    log.calls.clear();
    keys.RemoveListener(&second, &Listen);
    keys.RemoveListener(&second, &OtherListen); // not listed: nothing
    keys.SetKeyState(3, true);
    EXPECT_EQ(std::vector<CCall>({{1, 3, 1}, {101, 3, 1}}), log.calls);
}

TEST(CKeys, QueriesFollowTheTableAndTheCount) {
    CKeys keys;
    keys.SetKeyState(20, true);
    keys.SetKeyState(40, true);
    keys.SetKeyState(20, true);
    EXPECT_EQ(2, keys.GetPressedCount());
    EXPECT_TRUE(keys.IsKeyDown(20));
    EXPECT_FALSE(keys.IsKeyDown(21));
    EXPECT_TRUE(keys.IsEitherKeyDown(1, 40));
    EXPECT_FALSE(keys.IsEitherKeyDown(1, 2));
    EXPECT_TRUE(keys.IsAnyOfThreeKeysDown(1, 2, 20));
    EXPECT_FALSE(keys.IsAnyOfThreeKeysDown(1, 2, 3));
    EXPECT_TRUE(keys.IsAnyKeyDown());
}

TEST(CKeys, ReleaseAllKeysReleasesEachHeldKeyLowestFirst) {
    CKeys keys;
    CListenerLog log;
    CContext a{&log, 1};
    CContext b{&log, 2};
    keys.AddListener(&a, &Listen);
    keys.AddListener(&b, &Listen);
    keys.ReleaseAllKeys();
    EXPECT_TRUE(log.calls.empty());

    keys.SetKeyState(200, true);
    keys.SetKeyState(7, true);
    keys.SetKeyState(64, true);
    log.calls.clear();
    keys.ReleaseAllKeys();
    EXPECT_EQ(std::vector<CCall>({{1, 7, 0}, {2, 7, 0}, {1, 64, 0}, {2, 64, 0}, {1, 200, 0}, {2, 200, 0}}), log.calls);
    EXPECT_FALSE(keys.IsAnyKeyDown());
}

TEST(CKeys, StartClearsEverythingStopOnlyTheListeners) {
    CKeys keys;
    CListenerLog log;
    CContext a{&log, 1};
    keys.AddListener(&a, &Listen);
    keys.SetKeyState(5, true);
    keys.Stop();
    EXPECT_EQ(0, keys.GetListenerCount());
    EXPECT_TRUE(keys.IsKeyDown(5));

    keys.AddListener(&a, &Listen);
    int32_t rate = 4900;
    EXPECT_TRUE(keys.Start(&rate));
    EXPECT_EQ(4900, rate);
    EXPECT_EQ(0, keys.GetListenerCount());
    EXPECT_FALSE(keys.IsKeyDown(5));
    EXPECT_EQ(0, keys.GetPressedCount());
}

TEST(CKeys, StateHoldsOneBitPerKeyDown) {
    CKeys keys;
    keys.SetKeyState(5, true);
    keys.SetKeyState(70, true);
    keys.SetKeyState(255, true);
    EXPECT_EQ(KeyChunk({0x20, 0, 0x40, 0, 0, 0, 0, 0}), SaveKeys(keys));

    common::CNarrowString tag;
    CKeys::FormatKeyTag(tag, 7);
    EXPECT_EQ(0, tag.CompareNarrow("L7"));
}

TEST(CKeys, LoadRestoresTheTableWithoutCallingListeners) {
    CKeys keys;
    CListenerLog log;
    CContext a{&log, 1};
    keys.AddListener(&a, &Listen);
    keys.SetKeyState(1, true);
    log.calls.clear();

    ASSERT_TRUE(LoadKeys(keys, KeyChunk({0x80000000u, 0, 0, 0, 0, 0, 0, 0x3u})));
    EXPECT_TRUE(log.calls.empty());
    EXPECT_FALSE(keys.IsKeyDown(1));
    EXPECT_TRUE(keys.IsKeyDown(31));
    EXPECT_TRUE(keys.IsKeyDown(224));
    EXPECT_TRUE(keys.IsKeyDown(225));
    EXPECT_EQ(3, keys.GetPressedCount());
    keys.ReleaseAllKeys();
    EXPECT_EQ(3u, log.calls.size());
}

TEST(CKeys, LoadRefusesOtherVersionsAndNames) {
    const uint32_t none[8] = {};
    CKeys keys;
    EXPECT_FALSE(LoadKeys(keys, KeyChunk(none, 1)));
    EXPECT_FALSE(LoadKeys(keys, KeyChunk(none, 0, "_KEYZ")));
    EXPECT_TRUE(LoadKeys(keys, KeyChunk(none)));
}

TEST(CKeys, LoadFailingHalfWayKeepsTheCountTrue) {
    // Masks L0..L3 arrive, then the chunk breaks off: they stay applied and
    // count as keys down, so a later release-all reaches them.
    CKeys keys;
    Bytes head;
    test::AppendBegin(head, "_KEYS");
    test::AppendU8Field(head, "VER", 0);
    for (int k = 0; k < 4; ++k)
        AppendU32Field(head, "L" + std::to_string(k), 1);
    EXPECT_FALSE(LoadKeys(keys, head));
    EXPECT_EQ(4, keys.GetPressedCount());
    keys.ReleaseAllKeys();
    EXPECT_FALSE(keys.IsAnyKeyDown());
    EXPECT_FALSE(keys.IsKeyDown(96));
}

TEST(CKeys, ObjectChunkRoundTrip) {
    CKeys source;
    source.SetKeyState(42, true);
    CTestStream stream;
    {
        common::CStreamHolder holder(&stream.Stream());
        ASSERT_TRUE(source.SaveState(holder));
    }
    Bytes expected;
    test::AppendObjectHead(expected, "_KEYB", true);
    const Bytes chunk = KeyChunk({0, 1u << 10, 0, 0, 0, 0, 0, 0});
    expected.insert(expected.end(), chunk.begin(), chunk.end());
    test::AppendEnd(expected, "_KEYB");
    EXPECT_EQ(expected, stream.GetBytes());

    CKeys target;
    CTestStream in(expected);
    common::CStreamHolder holder(&in.Stream());
    ASSERT_TRUE(target.LoadState(holder, nullptr));
    EXPECT_TRUE(target.IsKeyDown(42));
    EXPECT_EQ(1, target.GetPressedCount());
}
