// The timer's state sections, settings keys and Debug menus.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>

#include "I8253TestSupport.h"
#include "common/CSettingsRegistry.h"
#include "emu/framework/COptionTree.h"

using pittest::Bytes;
using pittest::CTimerRig;

namespace {

// A rig with every kind of channel busy: sound, a latch pending, interrupts.
void Exercise(CTimerRig& rig) {
    rig.Program(0, 3, 2000);
    rig.Channel(0)->SetSoundEnabled(true, 1, 0);
    rig.Program(1, 2, 77);
    rig.Program(2, 2, 0x25, true);
    rig.RunBlocks(2);
    rig.Run(1234);
    rig.Mode(0x40); // channel 1's count latched and unread
    rig.Mode(0x30); // channel 0: an LSB then MSB load half done
    rig.Out(pittest::kPortData, 0xD0);
}

void Configure(CTimerRig& rig) {
    rig.WithSound();
    rig.Channel(2)->SetClockFrequency(CTimerRig::kTestClock);
}

TEST(I8253State, SaveLoadSaveGivesTheSameBytesAndTheSameFuture) {
    CTimerRig rig;
    Configure(rig);
    ASSERT_TRUE(rig.Start());
    Exercise(rig);
    const Bytes saved = rig.SaveState();
    ASSERT_TRUE(rig.LoadState(saved));
    EXPECT_EQ(rig.SaveState(), saved);

    // A fresh machine takes the state and runs on exactly as the first.
    CTimerRig twin;
    Configure(twin);
    ASSERT_TRUE(twin.Start());
    ASSERT_TRUE(twin.LoadState(saved));
    EXPECT_EQ(twin.SaveState(), saved);
    const size_t rigBlocks = rig.m_sound.blocks.size();
    const size_t twinBlocks = twin.m_sound.blocks.size();
    const size_t rigIrqs = rig.m_irq.accepted.size();
    const size_t twinIrqs = twin.m_irq.accepted.size();
    rig.Out(pittest::kPortData, 0x07);
    twin.Out(pittest::kPortData, 0x07);
    rig.RunBlocks(3);
    twin.RunBlocks(3);
    ASSERT_EQ(rig.m_sound.blocks.size() - rigBlocks, 3u);
    ASSERT_EQ(twin.m_sound.blocks.size() - twinBlocks, 3u);
    for (size_t i = 1; i < 3; ++i)
        EXPECT_EQ(rig.m_sound.blocks[rigBlocks + i], twin.m_sound.blocks[twinBlocks + i]) << i;
    EXPECT_NE(rig.m_sound.blocks.back(), std::vector<int32_t>(882, 255)); // sound goes on after the load
    EXPECT_EQ(rig.m_irq.accepted.size() - rigIrqs, twin.m_irq.accepted.size() - twinIrqs);
    EXPECT_GT(rig.m_irq.accepted.size() - rigIrqs, 0u);
    for (int n = 0; n < 3; ++n) {
        EXPECT_EQ(rig.In(pittest::kPortData + n), twin.In(pittest::kPortData + n)) << n;
        EXPECT_EQ(rig.Status(n), twin.Status(n)) << n;
        EXPECT_EQ(rig.Count(n), twin.Count(n)) << n;
    }
}

TEST(I8253State, SoundFieldsFollowSndgOnlyInASoundChannel) {
    CTimerRig rig;
    rig.WithSound();
    ASSERT_TRUE(rig.Start());
    Bytes head;
    test::AppendDeviceData(head);
    test::AppendU8Field(head, "VER", 1);

    Bytes silent = head;
    test::AppendBoolField(silent, "SNDG", false);
    test::AppendBoolField(silent, "ZCR", false);
    const Bytes channel1 = proctest::SaveBytes(*rig.Channel(1));
    ASSERT_GT(channel1.size(), silent.size());
    EXPECT_EQ(Bytes(channel1.begin(), channel1.begin() + static_cast<long>(silent.size())), silent);

    Bytes sound = head;
    test::AppendBoolField(sound, "SNDG", true);
    sound.push_back(0xF8);
    test::AppendName(sound, "SNDH");
    sound.push_back(0x47); // signed 64 bits
    const Bytes channel0 = proctest::SaveBytes(*rig.Channel(0));
    ASSERT_GT(channel0.size(), sound.size());
    EXPECT_EQ(Bytes(channel0.begin(), channel0.begin() + static_cast<long>(sound.size())), sound);

    // A section of one kind does not load into a channel of the other.
    EXPECT_FALSE(proctest::LoadBytes(*rig.Channel(1), channel0));
    EXPECT_FALSE(proctest::LoadBytes(*rig.Channel(0), channel1));
    EXPECT_TRUE(proctest::LoadBytes(*rig.Channel(0), channel0));
    EXPECT_TRUE(proctest::LoadBytes(*rig.Channel(2), channel1));
}

TEST(I8253State, LoadRefusesAnotherVersionAndTruncatedSections) {
    CTimerRig rig;
    ASSERT_TRUE(rig.Start());
    rig.Program(1, 2, 77);
    const Bytes good = proctest::SaveBytes(*rig.Channel(1));
    Bytes head;
    test::AppendDeviceData(head);
    Bytes versioned = good;
    versioned[head.size() + 1 + 4 + 3 + 1] = 2; // the value byte of "VER"
    EXPECT_FALSE(proctest::LoadBytes(*rig.Channel(1), versioned));
    for (size_t cut : {head.size() + 4, good.size() / 2, good.size() - 1})
        EXPECT_FALSE(proctest::LoadBytes(*rig.Channel(1), Bytes(good.begin(), good.begin() + static_cast<long>(cut))))
            << cut;
    EXPECT_TRUE(proctest::LoadBytes(*rig.Channel(1), good));
}

TEST(I8253State, FailedLoadLeavesNoStaleSoundBuffer) {
    CTimerRig rig;
    Configure(rig);
    ASSERT_TRUE(rig.Start());
    Exercise(rig);
    Bytes saved = rig.SaveState();
    // The sound channel's "VER", just before its "SNDG" = true: the bus loads
    // (and replaces the stream's output), then the channel fails.
    Bytes marker;
    test::AppendU8Field(marker, "VER", 1);
    const long version = static_cast<long>(marker.size()) - 1;
    test::AppendBoolField(marker, "SNDG", true);
    const auto at = std::search(saved.begin(), saved.end(), marker.begin(), marker.end());
    ASSERT_NE(at, saved.end());
    at[version] = 2;
    EXPECT_FALSE(rig.LoadState(saved));
    const size_t blocks = rig.m_sound.blocks.size();
    rig.RunBlocks(3); // renders only into the new stream's arrays
    EXPECT_EQ(rig.m_sound.blocks.size() - blocks, 3u);
}

// The position of the value byte of an unsigned 8-bit field.
size_t FieldValue(const Bytes& bytes, const std::string& name) {
    Bytes field;
    field.push_back(0xF8);
    test::AppendName(field, name);
    field.push_back(0x00);
    for (size_t i = 0; i + field.size() < bytes.size(); ++i) {
        if (std::equal(field.begin(), field.end(), bytes.begin() + static_cast<long>(i)))
            return i + field.size();
    }
    ADD_FAILURE() << name;
    return 0;
}

TEST(I8253State, LoadingControlWordOfMode7SelectsTheSquareWave) {
    CTimerRig rig;
    ASSERT_TRUE(rig.Start());
    rig.Program(1, 3, 4); // 40 cycles a period
    const uint64_t start = rig.Now();
    Bytes saved = proctest::SaveBytes(*rig.Channel(1));
    saved[FieldValue(saved, "CWR")] = 0x7E; // channel 1, LSB then MSB, mode 7
    rig.Program(1, 0, 1000);
    ASSERT_TRUE(proctest::LoadBytes(*rig.Channel(1), saved));
    EXPECT_EQ(rig.Status(1) & 0x0E, 0x0E);
    for (uint64_t at : {45u, 65u, 85u, 105u}) {
        rig.Run(start + at - rig.Now());
        EXPECT_EQ(rig.Output(1), (at - 40) % 40 < 20) << at;
    }
}

std::set<std::string> KeysOf(emu::CTimerChannel_I8253* channel) {
    common::CSettingsRegistry registry;
    EXPECT_TRUE(channel->CollectProperties(&registry, false));
    std::set<std::string> keys;
    for (const auto& entry : registry.GetValues())
        keys.insert(entry.first.GetNarrow());
    return keys;
}

TEST(I8253State, SettingsKeysFollowTheChannelsLines) {
    CTimerRig rig;
    rig.WithSound();
    std::set<std::string> common;
    for (int mode = 0; mode < 6; ++mode) {
        common.insert("TraceModes" + std::to_string(mode));
        common.insert("BreakModes" + std::to_string(mode));
    }
    for (const char* key : {"TraceWriteMODE", "BreakWriteMODE", "TraceReadMODE", "BreakReadMODE", "TraceWriteDATA",
                            "BreakWriteDATA", "TraceReadDATA", "BreakReadDATA"})
        common.insert(key);
    EXPECT_EQ(KeysOf(rig.Channel(1)), common);
    std::set<std::string> sound = common;
    for (const char* key : {"TraceEnableSOUND", "BreakEnableSOUND", "TraceDisableSOUND", "BreakDisableSOUND"})
        sound.insert(key);
    EXPECT_EQ(KeysOf(rig.Channel(0)), sound);
    std::set<std::string> irq = common;
    irq.insert("TraceRaiseIRQ");
    irq.insert("BreakRaiseIRQ");
    EXPECT_EQ(KeysOf(rig.Channel(2)), irq);
    EXPECT_FALSE(rig.Channel(1)->CollectProperties(nullptr, false));
}

// --- Debug menus ---------------------------------------------------------------------------

std::string NameOf(common::COptionNodeInterface* node) {
    return node != nullptr ? node->GetName().GetNarrow() : "<null>";
}

common::COptionNodeInterface* Child(common::COptionNodeInterface* node, const std::string& name) {
    for (int32_t i = 0; node != nullptr && i < node->GetChildCount(); ++i) {
        if (NameOf(node->GetChildAt(i)) == name)
            return node->GetChildAt(i);
    }
    ADD_FAILURE() << "no " << name;
    return nullptr;
}

std::vector<std::string> ChildNames(common::COptionNodeInterface* node) {
    std::vector<std::string> names;
    for (int32_t i = 0; node != nullptr && i < node->GetChildCount(); ++i) {
        common::COptionNodeInterface* child = node->GetChildAt(i);
        const int32_t tag = child->GetTag();
        names.push_back(tag == 78 ? "<Select All>" : tag == 79 ? "<Clear All>" : NameOf(child));
    }
    return names;
}

class I8253Menu : public ::testing::Test {
protected:
    void SetUp() override {
        m_rig.WithSound();
        m_rig.m_machine.BuildMenu(&m_root, emu::CDevice::kMenuDebug);
        m_pit = Child(&m_root, "PIT I8253");
        for (int n = 0; n < 3; ++n)
            m_channels[n] = Child(m_pit, "PIT Channel " + std::to_string(n));
    }

    CTimerRig m_rig;
    emu::COptionTree m_root;
    common::COptionNodeInterface* m_pit = nullptr;
    common::COptionNodeInterface* m_channels[3] = {};
};

TEST_F(I8253Menu, ChannelMenusOfferTheirGroups) {
    EXPECT_EQ(ChildNames(m_channels[1]),
              (std::vector<std::string>{"Trace Ports", "Trace Modes", "Trace All", "", "Break On Ports",
                                        "Break On Modes", "Break On All"}));
    EXPECT_EQ(ChildNames(m_channels[0]),
              (std::vector<std::string>{"Trace Ports", "Trace Modes", "Trace Sound", "Trace All", "", "Break On Ports",
                                        "Break On Modes", "Break On Sound", "Break On All"}));
    EXPECT_EQ(ChildNames(m_channels[2])[2], "Trace IRQ");
    EXPECT_EQ(ChildNames(m_channels[2])[7], "Break On IRQ");
    EXPECT_EQ(ChildNames(Child(m_channels[1], "Trace Ports")),
              (std::vector<std::string>{"Write MODE", "Read MODE", "Write DATA", "Read DATA", "", "<Select All>",
                                        "<Clear All>"}));
    EXPECT_EQ(
        ChildNames(Child(m_channels[1], "Break On Modes")),
        (std::vector<std::string>{"0 - terminal counting", "1 - waiting multivibrator",
                                  "2 - impulse frequency generator", "3 - square wave generator", "4 - software strobe",
                                  "5 - hardware strobe", "", "<Select All>", "<Clear All>"}));
    EXPECT_EQ(ChildNames(Child(m_channels[0], "Trace Sound")),
              (std::vector<std::string>{"Enable SOUND", "Disable SOUND", "", "<Select All>", "<Clear All>"}));
    EXPECT_EQ(ChildNames(Child(m_channels[2], "Break On IRQ")),
              (std::vector<std::string>{"Raise IRQ", "", "<Select All>", "<Clear All>"}));
    const std::vector<std::string> pit = ChildNames(m_pit);
    ASSERT_EQ(pit.size(), 9u);
    EXPECT_EQ(std::vector<std::string>(pit.begin() + 3, pit.end()),
              (std::vector<std::string>{"", "Trace All", "Break On All", "", "<Select All>", "<Clear All>"}));
}

TEST_F(I8253Menu, ItemsSetFlagsAndCheckTheirMenus) {
    emu::CTimerChannel_I8253::CTraceFlags& flags = m_rig.Channel(1)->GetTraceFlags();
    common::COptionNodeInterface* ports = Child(m_channels[1], "Trace Ports");
    EXPECT_FALSE(ports->IsChecked());
    EXPECT_FALSE(m_channels[1]->IsChecked());
    Child(ports, "Write DATA")->Activate();
    EXPECT_TRUE(flags.TraceWriteDATA);
    EXPECT_TRUE(ports->IsChecked());
    EXPECT_TRUE(m_channels[1]->IsChecked());
    EXPECT_TRUE(m_pit->IsChecked());
    ports->GetChildAt(6)->Activate(); // Clear All
    EXPECT_FALSE(flags.TraceWriteDATA);
    EXPECT_FALSE(m_channels[1]->IsChecked());
    ports->GetChildAt(5)->Activate(); // Select All
    EXPECT_TRUE(flags.TraceWriteMODE && flags.TraceReadMODE && flags.TraceWriteDATA && flags.TraceReadDATA);
    EXPECT_FALSE(flags.BreakWriteMODE);

    Child(m_channels[1], "Break On All")->Activate();
    for (int mode = 0; mode < 6; ++mode)
        EXPECT_TRUE(flags.BreakModes[mode]) << mode;
    EXPECT_FALSE(flags.BreakModes[6]);
    EXPECT_TRUE(flags.BreakReadDATA);
    EXPECT_FALSE(flags.BreakEnableSOUND); // not offered: no sound on channel 1
    EXPECT_FALSE(flags.BreakRaiseIRQ);
}

TEST_F(I8253Menu, ChipEntriesCoverEveryChannel) {
    m_pit->GetChildAt(7)->Activate(); // Select All
    for (int n = 0; n < 3; ++n) {
        const emu::CTimerChannel_I8253::CTraceFlags& flags = m_rig.Channel(n)->GetTraceFlags();
        EXPECT_TRUE(flags.TraceWriteMODE && flags.BreakReadDATA && flags.TraceModes[5] && flags.BreakModes[0]) << n;
        EXPECT_EQ(flags.TraceEnableSOUND, n == 0) << n;
        EXPECT_EQ(flags.BreakDisableSOUND, n == 0) << n;
        EXPECT_EQ(flags.BreakRaiseIRQ, n == 2) << n;
    }
    m_pit->GetChildAt(8)->Activate(); // Clear All
    for (int n = 0; n < 3; ++n) {
        const emu::CTimerChannel_I8253::CTraceFlags& flags = m_rig.Channel(n)->GetTraceFlags();
        EXPECT_FALSE(flags.TraceWriteMODE || flags.BreakReadDATA || flags.TraceModes[5] || flags.TraceEnableSOUND ||
                     flags.BreakRaiseIRQ)
            << n;
        EXPECT_FALSE(m_channels[n]->IsChecked());
    }
    Child(m_pit, "Trace All")->Activate();
    EXPECT_TRUE(m_rig.Channel(2)->GetTraceFlags().TraceRaiseIRQ);
    EXPECT_FALSE(m_rig.Channel(2)->GetTraceFlags().BreakRaiseIRQ);
}

} // namespace
