#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "MachineTestSupport.h"
#include "common/CMemoryStream.h"
#include "common/CStreamHolder.h"
#include "common/CStringList.h"
#include "common/CTextConsole.h"
#include "emu/framework/CBus.h"
#include "emu/framework/CComputer.h"
#include "emu/framework/CKeys.h"
#include "emu/framework/FrameworkTestSupport.h"

using machinetest::CRecordingDevice;
using machinetest::CTestComputer;
using machinetest::CTestProcessor;
using test::Bytes;
using test::CTestStream;

namespace {

// Only the configuration name is the model's own.
class CNamedComputer : public emu::CComputer {
public:
    const char* GetConfigName() override { return "korvet11"; }
};

// A processor that runs at the process-wide base frequency.
class CBaseClockProcessor : public CTestProcessor {
public:
    bool UsesBaseFrequency() override { return true; }
};

// The computer of the round-trip test: a processor, a device with a child, a
// disabled device, and the key state holding a key.
void BuildTestComputer(CTestComputer& computer) {
    ASSERT_TRUE(computer.Build());
    computer.SetName("Test PC");
    auto* cpu = new CTestProcessor();
    auto* video = new CRecordingDevice();
    auto* child = new CRecordingDevice();
    auto* spare = new CRecordingDevice();
    ASSERT_TRUE(computer.AddDevice(cpu, "CPU", "CPU"));
    ASSERT_TRUE(computer.AddDevice(video, "VIDEO", "VID"));
    ASSERT_TRUE(video->AddChild(child, "LINE", "LINE"));
    ASSERT_TRUE(computer.AddDevice(spare, "SPARE", "SPR"));
    spare->SetEnabled(false);
}

// Powers on as the core does: the bus registers the events added meanwhile.
bool PowerOn(emu::CComputer& computer) {
    computer.GetBusService()->SetRegistering(true);
    int32_t rate = 4900;
    const bool started = computer.Start(&rate);
    computer.GetBusService()->SetRegistering(false);
    return started;
}

// A whole state as the core writes it: the snapshot, then the machine.
Bytes SaveWholeState(emu::CComputer& computer) {
    CTestStream stream;
    common::CStreamHolder holder(&stream.Stream());
    EXPECT_TRUE(computer.SaveInitState(holder));
    EXPECT_TRUE(computer.SaveState(holder));
    return stream.GetBytes();
}

} // namespace

TEST(Computer, LogsTheStartAndTheStop) {
    common::CTextConsole console;
    CTestComputer computer;
    computer.SetConsole(&console);
    ASSERT_TRUE(computer.Build());
    computer.SetName("Korvet 1.1");
    EXPECT_STREQ("PC", computer.GetShortName());
    int32_t rate = 4900;
    EXPECT_TRUE(computer.Start(&rate));
    computer.Stop();
    const std::vector<std::string> expected = {"[INIT] Started emulation of Korvet 1.1", "[DONE] Emulation stopped!"};
    EXPECT_EQ(expected, machinetest::ConsoleLines(console));
}

TEST(Computer, StartLineComesAlsoForAFailedStart) {
    common::CTextConsole console;
    CTestComputer computer;
    computer.SetConsole(&console);
    ASSERT_TRUE(computer.Build());
    auto* broken = new CRecordingDevice();
    broken->m_startResult = false;
    ASSERT_TRUE(computer.AddDevice(broken, "BROKEN", "B"));
    int32_t rate = 4900;
    EXPECT_FALSE(computer.Start(&rate));
    ASSERT_EQ(1u, machinetest::ConsoleLines(console).size());
    computer.Stop();
}

TEST(Computer, ModelNamesFollowTheConfigurationName) {
    emu::CComputer base;
    EXPECT_EQ(nullptr, base.GetConfigName());
    EXPECT_EQ(nullptr, base.GetModelTag());
    EXPECT_EQ(nullptr, base.GetModelTitle());
    EXPECT_EQ(nullptr, base.GetSettingsName());
    EXPECT_EQ(nullptr, base.CreateSameModel());
    EXPECT_EQ(nullptr, base.CreateNextModel());
    bool separator = false;
    EXPECT_EQ(nullptr, base.QueryFalse33(0, &separator));
    EXPECT_EQ(0, base.QueryFalse34(-1));
    EXPECT_EQ(0, base.QueryFalse34(1));
    EXPECT_TRUE(base.UsesSyncFrequencySetting());
    EXPECT_FALSE(base.QueryFirstFlag());
    EXPECT_TRUE(base.QuerySecondFlag());

    CNamedComputer named;
    EXPECT_STREQ("korvet11", named.GetModelTag());
    EXPECT_STREQ("korvet11", named.GetModelTitle());
    EXPECT_STREQ("korvet11", named.GetSettingsName());

    // A family keeps one title for every model.
    CTestComputer family("korvet20", "korvet");
    EXPECT_STREQ("korvet", family.GetModelTitle());
    EXPECT_STREQ("korvet20", family.GetSettingsName());
}

TEST(Computer, IdentityAndWideName) {
    emu::CComputer computer;
    computer.SetName("Korvet 2.0");
    common::CStringList list;
    computer.GetIdentityText(list);
    ASSERT_EQ(1, list.GetCount());
    common::CString* line = list.GetAt(0);
    ASSERT_NE(nullptr, line);
    EXPECT_STREQ("Computer \"Korvet 2.0\"", line->GetNarrow());
    EXPECT_EQ(2, line->GetCharSize());
    EXPECT_STREQ("Korvet 2.0", computer.GetWideName().GetNarrow());
}

TEST(Computer, FrequencyTextNamesTheMainProcessor) {
    emu::CComputer computer;
    ASSERT_TRUE(computer.Build());
    common::CNarrowString text("unchanged");
    computer.GetFrequencyText(text, 0);
    EXPECT_STREQ("unchanged", text.GetNarrow());

    auto* cpu = new CTestProcessor();
    ASSERT_TRUE(computer.AddDevice(cpu, "CPU", "CPU"));
    computer.GetFrequencyText(text, 0);
    EXPECT_STREQ("CPU=2.50 MHz", text.GetNarrow());

    int32_t rate = 4900;
    ASSERT_TRUE(computer.Start(&rate));
    cpu->SetEffectiveFrequency(1234567);
    computer.GetFrequencyText(text, 0);
    EXPECT_STREQ("CPU=1.23 MHz", text.GetNarrow());
    computer.Stop();

    emu::CComputer other;
    ASSERT_TRUE(other.Build());
    ASSERT_TRUE(other.AddDevice(new CBaseClockProcessor(), "CPU", "CPU"));
    other.GetFrequencyText(text, 0);
    EXPECT_STREQ("CPU=@2.50 MHz", text.GetNarrow());
}

TEST(Computer, DataEndsWithTheMachineChunk) {
    emu::CComputer computer;
    CTestStream stream;
    common::CStreamHolder holder(&stream.Stream());
    ASSERT_TRUE(computer.SaveData(holder));
    Bytes expected;
    test::AppendDeviceData(expected);
    test::AppendVersionChunk(expected, "_MCH");
    EXPECT_EQ(expected, stream.GetBytes());

    struct Case {
        const char* what;
        const char* name;
        uint8_t version;
        bool loads;
    };
    const Case cases[] = {
        {"as saved", "_MCH", 0, true},
        {"another version", "_MCH", 1, false},
        {"another chunk", "_MCX", 0, false},
    };
    for (const Case& c : cases) {
        Bytes bytes;
        test::AppendDeviceData(bytes);
        test::AppendVersionChunk(bytes, c.name, c.version);
        CTestStream input(bytes);
        common::CStreamHolder reader(&input.Stream());
        EXPECT_EQ(c.loads, computer.LoadData(reader, nullptr)) << c.what;
    }
    // A truncated chunk fails too.
    Bytes cut = expected;
    cut.resize(cut.size() - 3);
    CTestStream input(cut);
    common::CStreamHolder reader(&input.Stream());
    EXPECT_FALSE(computer.LoadData(reader, nullptr));
}

TEST(Computer, WholeStateLoadsIntoAFreshMachineAndSavesIdentically) {
    CTestComputer first;
    BuildTestComputer(first);
    ASSERT_TRUE(PowerOn(first));
    first.KeyEvent(40, true);
    first.GetProcessor(0)->AddWaitCycles(12345);
    const Bytes saved = SaveWholeState(first);
    first.Stop();
    // The state holds the snapshot, the services and the processor's event.
    for (const std::string text : {"_EMUINIT", "_BUS", "_DRIVES", "_MCH", "_CPU", "TestTick", "LINE"})
        EXPECT_NE(saved.end(), std::search(saved.begin(), saved.end(), text.begin(), text.end())) << text;

    CTestComputer second;
    BuildTestComputer(second);
    ASSERT_TRUE(PowerOn(second));
    CTestStream input(saved);
    common::CStreamHolder reader(&input.Stream());
    bool changed = true;
    ASSERT_TRUE(second.LoadInitState(reader, &changed));
    EXPECT_FALSE(changed);
    common::CNarrowString error("incorrect version or format");
    ASSERT_TRUE(second.LoadState(reader, &error)) << error.GetNarrow();
    EXPECT_EQ(static_cast<int64_t>(saved.size()), input.GetPosition());
    EXPECT_TRUE(second.GetKeysService()->IsKeyDown(40));

    EXPECT_EQ(saved, SaveWholeState(second));
    second.Stop();
}

TEST(Computer, StateOfAnotherConfigurationIsReportedAsChanged) {
    CTestComputer first;
    BuildTestComputer(first);
    static_cast<CRecordingDevice*>(first.FindChild("VIDEO"))->m_mode = 3;
    ASSERT_TRUE(PowerOn(first));
    const Bytes saved = SaveWholeState(first);
    first.Stop();

    CTestComputer second;
    BuildTestComputer(second);
    CTestStream input(saved);
    common::CStreamHolder reader(&input.Stream());
    bool changed = false;
    ASSERT_TRUE(second.LoadInitState(reader, &changed));
    EXPECT_TRUE(changed);
    // The saved configuration is applied, so the machine can restart in it.
    EXPECT_EQ(3, static_cast<CRecordingDevice*>(second.FindChild("VIDEO"))->m_mode);
    ASSERT_TRUE(PowerOn(second));
    common::CNarrowString error;
    EXPECT_TRUE(second.LoadState(reader, &error));
    second.Stop();
}
