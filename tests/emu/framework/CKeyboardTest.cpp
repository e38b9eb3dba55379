#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "FrameworkTestSupport.h"
#include "common/CBoundValue.h"
#include "common/CMemoryStream.h"
#include "common/CSettingsRegistry.h"
#include "common/CStreamHolder.h"
#include "emu/framework/CBus.h"
#include "emu/framework/CKeyboard.h"
#include "emu/framework/CKeys.h"
#include "emu/framework/CMachine.h"
#include "emu/framework/CMouse.h"
#include "emu/framework/CMouseEvent.h"
#include "emu/framework/COptionTree.h"

using emu::CKeyboard;
using emu::CMouseEvent;

namespace {

struct CKey {
    uint32_t key;
    uint32_t pressed;
    bool operator==(const CKey& other) const { return key == other.key && pressed == other.pressed; }
};

// A machine keyboard that records what reaches its emulated keys.
class CTestKeyboard : public CKeyboard {
public:
    explicit CTestKeyboard(bool offersMouse) {
        SetName("Keyboard");
        SetShortName("KBD");
        SetNumpadMouseAvailable(offersMouse);
    }
    void OnKeyEvent(uint32_t key, uint32_t pressed) override { keys.push_back({key, pressed}); }

    std::vector<CKey> keys;
};

// What a mouse listener saw.
struct CMoves {
    struct CMove {
        uint32_t buttons;
        double x;
        double y;
        int16_t x16;
        int16_t y16;
    };
    std::vector<CMove> moves;

    static void Listen(void* context, CMouseEvent* event) {
        static_cast<CMoves*>(context)->moves.push_back(
            {event->m_buttons, event->m_x, event->m_y, event->m_x16, event->m_y16});
    }
};

// A started machine with the keyboard and a mouse listener.
class KeyboardTest : public ::testing::Test {
protected:
    void StartWith(bool offersMouse, int32_t mode) {
        ASSERT_TRUE(m_machine.Build());
        m_keyboard = new CTestKeyboard(offersMouse);
        m_keyboard->SetNumpadMode(mode);
        ASSERT_TRUE(m_machine.AddDevice(m_keyboard, "Keyboard", "KBD"));
        m_machine.GetBusService()->SetRegistering(true);
        int32_t rate = 4900;
        ASSERT_TRUE(m_machine.Start(&rate));
        m_machine.GetBusService()->SetRegistering(false);
        m_machine.SetSoundRate(rate);
        ASSERT_TRUE(m_machine.GetMouseService()->AddListener(&m_moves, &CMoves::Listen));
    }
    void TearDown() override { m_machine.Stop(); }

    void Key(uint32_t key, bool pressed) { m_machine.KeyEvent(static_cast<int32_t>(key), pressed); }

    emu::CBus::CPeriodicEvent* RepeatEvent() {
        for (emu::CBus::CPeriodicEvent* e = m_machine.GetBusService()->GetFirstEvent(); e != nullptr; e = e->m_next)
            if (e->m_name != nullptr && std::strcmp(e->m_name, CKeyboard::kRepeatEventName) == 0)
                return e;
        return nullptr;
    }
    // Runs the bus until the repeat event has fired `count` more times.
    void RepeatTicks(int count) {
        emu::CBus::CPeriodicEvent* event = RepeatEvent();
        ASSERT_NE(nullptr, event);
        const uint64_t target = event->m_fireCount + static_cast<uint64_t>(count);
        for (int guard = 0; event->m_fireCount < target && guard < 100000; ++guard)
            m_machine.TickBus();
        ASSERT_EQ(target, event->m_fireCount);
    }

    emu::CMachine m_machine;
    CTestKeyboard* m_keyboard = nullptr; // owned by the machine
    CMoves m_moves;
};

std::vector<uint8_t> Save(emu::CMachine& machine) {
    common::CMemoryStream stream;
    stream.Create(0, -1);
    common::CStreamHolder holder(&stream);
    EXPECT_TRUE(machine.SaveState(holder));
    return std::vector<uint8_t>(stream.GetBuffer(), stream.GetBuffer() + stream.GetSize());
}

bool Load(emu::CMachine& machine, const std::vector<uint8_t>& bytes) {
    common::CMemoryStream stream;
    stream.Create(0, -1);
    stream.Write(bytes.data(), static_cast<int64_t>(bytes.size()));
    stream.Seek(0);
    common::CStreamHolder holder(&stream);
    common::CNarrowString error;
    return machine.LoadState(holder, &error);
}

} // namespace

TEST_F(KeyboardTest, KeysModeSendsEveryKeyToTheEmulatedKeyboard) {
    StartWith(true, CKeyboard::kNumpadKeys);
    for (uint32_t key : {65u, 97u, 98u, 101u, 108u}) {
        Key(key, true);
        Key(key, false);
    }
    const std::vector<CKey> expected = {{65, 1}, {65, 0},  {97, 1},  {97, 0},  {98, 1},
                                        {98, 0}, {101, 1}, {101, 0}, {108, 1}, {108, 0}};
    EXPECT_EQ(expected, m_keyboard->keys);
    EXPECT_TRUE(m_moves.moves.empty());
    // A held movement key does not repeat in this mode.
    Key(98, true);
    RepeatTicks(10);
    EXPECT_TRUE(m_moves.moves.empty());
}

TEST_F(KeyboardTest, MovementKeysStepAndRepeatWhileHeld) {
    StartWith(true, CKeyboard::kNumpadMouse);
    struct CStep {
        uint32_t key;
        int x;
        int y;
    };
    const CStep steps[] = {{97, -10, 10}, {98, 0, 10},     {99, 10, 10},  {100, -10, 0},
                           {102, 10, 0},  {103, -10, -10}, {104, 0, -10}, {105, 10, -10}};
    for (const CStep& step : steps) {
        SCOPED_TRACE(step.key);
        m_moves.moves.clear();
        Key(step.key, true);
        ASSERT_EQ(1u, m_moves.moves.size());
        EXPECT_EQ(step.x, m_moves.moves[0].x);
        EXPECT_EQ(step.y, m_moves.moves[0].y);
        EXPECT_EQ(step.x, m_moves.moves[0].x16);
        EXPECT_EQ(step.y, m_moves.moves[0].y16);
        Key(step.key, false);
    }
    // Presses stayed away from the emulated keyboard; releases went through.
    ASSERT_EQ(8u, m_keyboard->keys.size());
    for (const CKey& key : m_keyboard->keys)
        EXPECT_EQ(0u, key.pressed);

    // Held: once at the press, again on the fifth tick, then on every tick.
    m_moves.moves.clear();
    Key(98, true);
    RepeatTicks(4);
    EXPECT_EQ(1u, m_moves.moves.size());
    RepeatTicks(1);
    EXPECT_EQ(2u, m_moves.moves.size());
    RepeatTicks(3);
    ASSERT_EQ(5u, m_moves.moves.size());
    EXPECT_EQ(10, m_moves.moves.back().y);
    Key(98, false);
    RepeatTicks(6);
    EXPECT_EQ(5u, m_moves.moves.size());
}

TEST_F(KeyboardTest, AnotherMovementKeyTakesOverTheRepetition) {
    StartWith(true, CKeyboard::kNumpadMouse);
    Key(98, true);
    RepeatTicks(3);
    Key(104, true); // fresh countdown
    m_moves.moves.clear();
    RepeatTicks(4);
    EXPECT_TRUE(m_moves.moves.empty());
    RepeatTicks(1);
    ASSERT_EQ(1u, m_moves.moves.size());
    EXPECT_EQ(-10, m_moves.moves[0].y);
    Key(98, false); // not the repeating key
    RepeatTicks(2);
    ASSERT_EQ(3u, m_moves.moves.size());
    EXPECT_EQ(-10, m_moves.moves.back().y);
    Key(104, false);
    RepeatTicks(2);
    EXPECT_EQ(3u, m_moves.moves.size());
}

TEST_F(KeyboardTest, FiveAndEnterAreTheButtons) {
    StartWith(true, CKeyboard::kNumpadMouse);
    Key(101, true);
    Key(108, true);
    Key(101, false);
    Key(108, false);
    ASSERT_EQ(4u, m_moves.moves.size());
    const uint32_t buttons[] = {1, 3, 2, 0};
    for (size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(buttons[i], m_moves.moves[i].buttons);
        EXPECT_EQ(0, m_moves.moves[i].x);
        EXPECT_EQ(0, m_moves.moves[i].y16);
    }
    // Only the releases reach the emulated keyboard.
    const std::vector<CKey> released = {{101, 0}, {108, 0}};
    EXPECT_EQ(released, m_keyboard->keys);
    // Other keys, the keypad's operators included, still go through.
    m_keyboard->keys.clear();
    for (uint32_t key : {65u, 106u, 107u, 109u}) {
        Key(key, true);
        Key(key, false);
    }
    EXPECT_EQ(8u, m_keyboard->keys.size());
    EXPECT_EQ(4u, m_moves.moves.size());
}

TEST_F(KeyboardTest, KeyHeldBeforeTheModeChangeIsReleased) {
    StartWith(true, CKeyboard::kNumpadKeys);
    Key(101, true);
    m_keyboard->SetNumpadMode(CKeyboard::kNumpadMouse);
    m_machine.KeyEvent(-1, false); // release every key
    const std::vector<CKey> expected = {{101, 1}, {101, 0}};
    EXPECT_EQ(expected, m_keyboard->keys);
}

TEST_F(KeyboardTest, AvailabilityIsFixedWhileStarted) {
    StartWith(false, CKeyboard::kNumpadKeys);
    EXPECT_EQ(nullptr, RepeatEvent());
    EXPECT_FALSE(m_keyboard->SetNumpadMouseAvailable(true));
    EXPECT_FALSE(m_keyboard->IsNumpadMouseAvailable());
    m_machine.Stop();
    EXPECT_TRUE(m_keyboard->SetNumpadMouseAvailable(true));
    int32_t rate = 4900;
    ASSERT_TRUE(m_machine.Start(&rate));
    EXPECT_EQ(4900, rate);
    EXPECT_NE(nullptr, RepeatEvent());
}

TEST(Keyboard, PropertyCheckBringsAnUnofferedOrUnknownModeBack) {
    struct CCase {
        bool offered;
        int32_t mode;
        bool valid;
        int32_t after;
    };
    const CCase cases[] = {
        {false, 1, false, 0}, {true, 2, false, 0}, {true, -1, false, 0}, {true, 1, true, 1}, {false, 0, true, 0},
    };
    for (const CCase& c : cases) {
        CTestKeyboard keyboard(c.offered);
        keyboard.SetNumpadMode(c.mode);
        EXPECT_EQ(c.valid, keyboard.ValidateProperties(false)) << c.mode;
        EXPECT_EQ(c.after, keyboard.GetNumpadMode()) << c.mode;
    }
}

TEST(Keyboard, NumpadModeIsASignedSetting) {
    CTestKeyboard keyboard(true);
    common::CSettingsRegistry settings;
    EXPECT_TRUE(keyboard.CollectProperties(&settings, false));
    common::CValue* value = settings.FindValue(common::CNarrowString("NumpadMode"));
    ASSERT_NE(nullptr, value);
    EXPECT_EQ(0x34, value->GetType());
    EXPECT_TRUE(value->SetInt32(1));
    EXPECT_EQ(1, keyboard.GetNumpadMode());
    common::CSettingsRegistry enabled;
    keyboard.CollectProperties(&enabled, true);
    EXPECT_EQ(nullptr, enabled.FindValue(common::CNarrowString("NumpadMode")));
}

TEST(Keyboard, InputMenuOffersTheNumpadUsageOnlyWhenAvailable) {
    CTestKeyboard offered(true);
    emu::COptionTree input;
    offered.BuildMenu(&input, CKeyboard::kMenuInput);
    ASSERT_EQ(1, input.GetChildCount());
    common::COptionNodeInterface* usage = input.GetChildAt(0);
    EXPECT_EQ(CKeyboard::kTextNumpadUsage, usage->GetTag()); // "Numpad Usage"
    ASSERT_EQ(3, usage->GetChildCount());
    EXPECT_EQ(CKeyboard::kTextDefault, usage->GetChildAt(0)->GetTag());
    EXPECT_TRUE(usage->GetChildAt(1)->IsLocked());
    EXPECT_EQ(CKeyboard::kTextAsMouse, usage->GetChildAt(2)->GetTag());
    EXPECT_FALSE(input.IsChecked());
    usage->GetChildAt(2)->Activate();
    EXPECT_EQ(CKeyboard::kNumpadMouse, offered.GetNumpadMode());
    EXPECT_TRUE(usage->IsChecked());
    EXPECT_TRUE(input.IsChecked());
    usage->GetChildAt(0)->Activate();
    EXPECT_EQ(CKeyboard::kNumpadKeys, offered.GetNumpadMode());

    CTestKeyboard plain(false);
    emu::COptionTree none;
    plain.BuildMenu(&none, CKeyboard::kMenuInput);
    EXPECT_EQ(0, none.GetChildCount());
    offered.BuildMenu(&none, 7);
    EXPECT_EQ(0, none.GetChildCount());
}

TEST(Keyboard, StateIsAVersionChunkAfterTheDeviceData) {
    CTestKeyboard keyboard(false);
    test::CTestStream out;
    common::CStreamHolder writer(&out.Stream());
    ASSERT_TRUE(keyboard.SaveData(writer));
    test::Bytes expected;
    test::AppendDeviceData(expected);
    test::AppendVersionChunk(expected, "_KEYBD");
    EXPECT_EQ(expected, out.GetBytes());

    test::CTestStream in(expected);
    common::CStreamHolder reader(&in.Stream());
    EXPECT_TRUE(keyboard.LoadData(reader, nullptr));

    test::Bytes other;
    test::AppendDeviceData(other);
    test::AppendVersionChunk(other, "_KEYBD", 1);
    test::CTestStream bad(other);
    common::CStreamHolder badReader(&bad.Stream());
    EXPECT_FALSE(keyboard.LoadData(badReader, nullptr));
}

TEST_F(KeyboardTest, MachineStateWithTheRepeatEventLoadsAndSavesTheSameBytes) {
    StartWith(true, CKeyboard::kNumpadMouse);
    Key(98, true);
    RepeatTicks(2);
    const std::vector<uint8_t> first = Save(m_machine);
    ASSERT_TRUE(Load(m_machine, first));
    EXPECT_EQ(first, Save(m_machine));
    ASSERT_NE(nullptr, RepeatEvent());
}
