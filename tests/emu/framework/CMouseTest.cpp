#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "FrameworkTestSupport.h"
#include "common/CStreamHolder.h"
#include "emu/framework/CMouse.h"

using emu::CMouse;
using emu::CMouseEvent;
using test::Bytes;
using test::CTestStream;

namespace {

typedef std::vector<std::pair<int, const void*>> Calls;

struct CContext {
    Calls* calls;
    int id;
};

void Listen(void* context, CMouseEvent* event) {
    CContext* c = static_cast<CContext*>(context);
    c->calls->emplace_back(c->id, event);
}

void OtherListen(void* context, CMouseEvent* event) {
    CContext* c = static_cast<CContext*>(context);
    c->calls->emplace_back(c->id + 100, event);
}

// The service never looks inside the record; any storage gives it an address.
CMouseEvent* RecordAt(void* storage) {
    return static_cast<CMouseEvent*>(storage);
}

Bytes MouseChunk(uint8_t version = 0, const std::string& name = "_MOUS") {
    Bytes out;
    test::AppendBegin(out, name);
    test::AppendU8Field(out, "VER", version);
    test::AppendEnd(out, name);
    return out;
}

bool LoadMouse(CMouse& mouse, const Bytes& bytes) {
    CTestStream stream(bytes);
    common::CStreamHolder holder(&stream.Stream());
    return mouse.LoadData(holder, nullptr);
}

} // namespace

TEST(CMouse, IsTheMouseServiceWithAnEmptyShortName) {
    CMouse mouse;
    EXPECT_STREQ("_MOUSE", mouse.GetName());
    EXPECT_STREQ("", mouse.GetShortName());
    double storage[4] = {};
    mouse.DeliverMouseEvent(RecordAt(storage)); // nobody listens: nothing happens
    EXPECT_EQ(0, mouse.GetListenerCount());
}

TEST(CMouse, EventsReachEveryListenerInOrderOnce) {
    CMouse mouse;
    Calls calls;
    CContext a{&calls, 1};
    CContext b{&calls, 2};
    EXPECT_TRUE(mouse.AddListener(&a, &Listen));
    EXPECT_TRUE(mouse.AddListener(&b, &Listen));
    EXPECT_TRUE(mouse.AddListener(&a, &Listen));
    EXPECT_TRUE(mouse.AddListener(&a, &OtherListen));
    EXPECT_EQ(3, mouse.GetListenerCount());

    double storage[4] = {};
    CMouseEvent* event = RecordAt(storage);
    mouse.DeliverMouseEvent(event);
    EXPECT_EQ(Calls({{1, event}, {2, event}, {101, event}}), calls);

    calls.clear();
    mouse.RemoveListener(&a, &Listen);
    mouse.RemoveListener(&b, &OtherListen); // not listed
    mouse.DeliverMouseEvent(event);
    EXPECT_EQ(Calls({{2, event}, {101, event}}), calls);
}

TEST(CMouse, StartAndStopDropTheListeners) {
    CMouse mouse;
    Calls calls;
    CContext a{&calls, 1};
    mouse.AddListener(&a, &Listen);
    int32_t rate = 50;
    EXPECT_TRUE(mouse.Start(&rate));
    EXPECT_EQ(50, rate);
    EXPECT_EQ(0, mouse.GetListenerCount());
    mouse.AddListener(&a, &Listen);
    mouse.Stop();
    EXPECT_EQ(0, mouse.GetListenerCount());
}

TEST(CMouse, StateChunkHoldsOnlyItsVersion) {
    CMouse mouse;
    CTestStream stream;
    {
        common::CStreamHolder holder(&stream.Stream());
        ASSERT_TRUE(mouse.SaveState(holder));
    }
    Bytes expected;
    test::AppendObjectHead(expected, "_MOUSE", true);
    const Bytes chunk = MouseChunk();
    expected.insert(expected.end(), chunk.begin(), chunk.end());
    test::AppendEnd(expected, "_MOUSE");
    EXPECT_EQ(expected, stream.GetBytes());

    EXPECT_TRUE(LoadMouse(mouse, MouseChunk()));
    EXPECT_FALSE(LoadMouse(mouse, MouseChunk(1)));
    EXPECT_FALSE(LoadMouse(mouse, MouseChunk(0, "_MOUSE")));
}
