#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "MachineTestSupport.h"
#include "common/CBoundValue.h"
#include "common/CMemoryStream.h"
#include "common/CSettingsRegistry.h"
#include "common/CStreamHolder.h"
#include "common/CTextConsole.h"
#include "emu/framework/CBus.h"
#include "emu/framework/CDeviceParameter.h"
#include "emu/framework/CDeviceParameterList.h"
#include "emu/framework/CDrives.h"
#include "emu/framework/CInterrupts.h"
#include "emu/framework/CKeys.h"
#include "emu/framework/CMachine.h"
#include "emu/framework/CMemory.h"
#include "emu/framework/CMouse.h"
#include "emu/framework/COptionTree.h"
#include "emu/framework/CPorts.h"

using machinetest::CRecordingDevice;
using machinetest::CTestRenderer;
using machinetest::Log;

namespace {

bool AnyInput(void*, uint32_t, uint32_t, uint8_t*, uint8_t) {
    return true;
}
bool AnyOutput(void*, uint32_t, uint32_t, uint8_t*) {
    return true;
}
bool AnyRead(void*, uint32_t, uint32_t, uint8_t*, uint8_t) {
    return false;
}
bool AnyWrite(void*, uint32_t, uint32_t, uint8_t*) {
    return false;
}
bool AnyHook(void*, uint32_t, uint32_t, uint32_t, emu::CProcessorInterface*, uint64_t*) {
    return true;
}

// A built machine with two top-level devices A (holding A1) and B.
struct CTestTree {
    CTestTree() {
        EXPECT_TRUE(machine.Build());
        a = new CRecordingDevice(&log);
        a1 = new CRecordingDevice(&log);
        b = new CRecordingDevice(&log);
        EXPECT_TRUE(machine.AddDevice(a, "A", "A"));
        EXPECT_TRUE(a->AddChild(a1, "A1", "A1"));
        EXPECT_TRUE(machine.AddDevice(b, "B", "B"));
    }
    bool Start() {
        int32_t rate = 4900;
        return machine.Start(&rate);
    }

    Log log;
    emu::CMachine machine;
    CRecordingDevice* a;
    CRecordingDevice* a1;
    CRecordingDevice* b;
};

// The core's break hook: records each call and answers from the test's flags.
struct CHookRecord {
    std::vector<int32_t> modes;
    std::vector<bool> requests;
    bool breakResult = false;
};
uint32_t RecordingHook(void* user, bool* request, bool* result, int32_t mode) {
    auto* record = static_cast<CHookRecord*>(user);
    record->modes.push_back(mode);
    record->requests.push_back(*request);
    *result = record->breakResult;
    return record->breakResult ? 1 : 0;
}

// A device whose data records what the machine shows it during a state load.
class CStateProbe : public emu::CDevice {
public:
    bool LoadData(common::CStreamHolder& holder, common::CNarrowString* errorText) override {
        sawStateFlag = m_machine != nullptr && m_machine->GetStateFlag();
        if (auto* machine = dynamic_cast<emu::CMachine*>(m_machine))
            suspendCount = machine->GetSuspendCount();
        return CDevice::LoadData(holder, errorText);
    }
    bool sawStateFlag = false;
    int32_t suspendCount = -1;
};

std::vector<uint8_t> SaveMachine(emu::CMachine& machine) {
    common::CMemoryStream stream;
    stream.Create(0, -1);
    common::CStreamHolder holder(&stream);
    EXPECT_TRUE(machine.SaveState(holder));
    return std::vector<uint8_t>(stream.GetBuffer(), stream.GetBuffer() + stream.GetSize());
}

bool LoadMachine(emu::CMachine& machine, const std::vector<uint8_t>& bytes, common::CNarrowString* errorText) {
    common::CMemoryStream stream;
    stream.Create(0, -1);
    stream.Write(bytes.data(), static_cast<int64_t>(bytes.size()));
    stream.Seek(0);
    common::CStreamHolder holder(&stream);
    return machine.LoadState(holder, errorText);
}

} // namespace

TEST(Machine, BuildCreatesTheSevenServicesUnderTheirStateNames) {
    emu::CMachine machine;
    EXPECT_EQ(nullptr, machine.GetBusService());
    ASSERT_TRUE(machine.Build());

    const char* names[] = {"_BUS", "_MEM", "_PORT", "_INTR", "_KEYB", "_MOUSE", ""};
    emu::CMachine::CServices& services = machine.GetServices();
    ASSERT_EQ(7, services.GetChildCount());
    for (int i = 0; i < 7; ++i)
        EXPECT_STREQ(names[i], services.GetChildAt(i)->GetName()) << i;
    EXPECT_EQ(services.GetChildAt(0), static_cast<emu::CObject*>(machine.GetBusService()));
    EXPECT_EQ(services.GetChildAt(1), static_cast<emu::CObject*>(machine.GetMemoryService()));
    EXPECT_EQ(services.GetChildAt(2), static_cast<emu::CObject*>(machine.GetPortsService()));
    EXPECT_EQ(services.GetChildAt(3), static_cast<emu::CObject*>(machine.GetInterruptsService()));
    EXPECT_EQ(services.GetChildAt(4), static_cast<emu::CObject*>(machine.GetKeysService()));
    EXPECT_EQ(services.GetChildAt(5), static_cast<emu::CObject*>(machine.GetMouseService()));
    EXPECT_EQ(services.GetChildAt(6), static_cast<emu::CObject*>(machine.GetDrivesService()));
    EXPECT_EQ(&machine, machine.GetInterruptsService()->GetOwner());
    // The root device is the machine's from construction on.
    EXPECT_EQ(&machine, machine.GetMachine());

    // Building again replaces the services.
    ASSERT_TRUE(machine.Build());
    EXPECT_EQ(7, machine.GetServices().GetChildCount());
}

TEST(Machine, ConsoleReachesServicesAndDevices) {
    common::CTextConsole console;
    CTestTree tree;
    tree.machine.SetConsole(&console);
    EXPECT_EQ(&console, tree.machine.GetConsole());
    EXPECT_EQ(&console, tree.machine.GetKeysService()->GetConsole());
    EXPECT_EQ(&console, tree.a1->GetConsole());

    // A machine given its console first hands it to the services it builds.
    emu::CMachine machine;
    machine.SetConsole(&console);
    ASSERT_TRUE(machine.Build());
    EXPECT_EQ(&console, machine.GetDrivesService()->GetConsole());
}

TEST(Machine, StartHandsOverServicesBindsAndResetsInOrder) {
    CTestTree tree;
    tree.b->SetEnabled(false);
    ASSERT_TRUE(tree.Start());
    const Log expected = {"A start", "A1 start", "A reset 8E", "A1 reset 8E", "A reset 140", "A1 reset 140"};
    EXPECT_EQ(expected, tree.log);
    EXPECT_TRUE(tree.machine.IsStarted());
    // From now on the memory map reports page changes to the machine.
    EXPECT_EQ(&tree.machine, tree.machine.GetMemoryService()->GetMachine());

    EXPECT_EQ(&tree.machine, tree.a1->GetMachine());
    EXPECT_EQ(tree.machine.GetBusService(), tree.a1->GetBus());
    EXPECT_EQ(tree.machine.GetMemoryService(), tree.a1->GetMemory());
    EXPECT_EQ(tree.machine.GetPortsService(), tree.a1->GetPorts());
    EXPECT_EQ(tree.machine.GetInterruptsService(), tree.a1->GetInterrupts());
    EXPECT_EQ(tree.machine.GetKeysService(), tree.a1->GetKeys());
    EXPECT_EQ(tree.machine.GetMouseService(), tree.a1->GetMouse());
    EXPECT_EQ(tree.machine.GetDrivesService(), tree.a1->GetDrives());
    // A disabled device and its subtree receive nothing.
    EXPECT_EQ(nullptr, tree.b->GetMachine());

    tree.log.clear();
    tree.machine.Stop();
    const Log stopped = {"A1 stop", "A stop"};
    EXPECT_EQ(stopped, tree.log);
    EXPECT_FALSE(tree.machine.IsStarted());
}

TEST(Machine, StartOfAnEmptyMachineSucceeds) {
    emu::CMachine machine;
    ASSERT_TRUE(machine.Build());
    int32_t rate = 4900;
    EXPECT_TRUE(machine.Start(&rate));
    machine.Stop();
}

TEST(Machine, FailedStartLeavesTheMemoryMapUnlinked) {
    CTestTree tree;
    tree.b->m_startResult = false;
    EXPECT_FALSE(tree.Start());
    EXPECT_EQ(nullptr, tree.machine.GetMemoryService()->GetMachine());
    // Nothing was bound or reset.
    for (const std::string& line : tree.log)
        EXPECT_EQ(std::string::npos, line.find("reset")) << line;
    tree.machine.Stop();
}

TEST(Machine, BindParametersRebindsOnlyTheChangedTypeWhileRunning) {
    CTestTree tree;
    // Before the start nothing is bound or reset.
    EXPECT_TRUE(tree.machine.BindParameters(nullptr));
    EXPECT_TRUE(tree.log.empty());

    ASSERT_TRUE(tree.Start());
    tree.log.clear();
    // A port range declared while the machine runs is bound at once (reset 0x84).
    ASSERT_TRUE(tree.a1->GetParameters()->AddPorts2("PORTS", true, true, 0x10, 4, AnyInput, AnyOutput));
    const Log expected = {"A reset 84", "A1 reset 84", "B reset 84"};
    EXPECT_EQ(expected, tree.log);
    emu::CDeviceParameter* ports = tree.a1->GetParameters()->Find("PORTS");
    ASSERT_NE(nullptr, ports);
    EXPECT_TRUE(ports->IsApplied());

    // Each type is answered with its own reset word.
    emu::CDeviceParameter value("V", true, false, 0, 1);
    emu::CDeviceParameter value2("V2", true, false, 0, 1);
    emu::CDeviceParameter window("W", true, false, 0, 1);
    emu::CDeviceParameter range("P", true, false, 0, 1);
    emu::CDeviceParameter vectorA("IA", true, false, 0, 1);
    emu::CDeviceParameter vectorB("IB", true, false, 0, 1);
    emu::CDeviceParameter words("X", true, false, 0, 1);
    ASSERT_TRUE(value.SetValueType());
    ASSERT_TRUE(value2.SetValue2Type());
    ASSERT_TRUE(window.SetMemoryWindowType(AnyRead, AnyWrite));
    ASSERT_TRUE(range.SetPortType(AnyInput, AnyOutput));
    ASSERT_TRUE(vectorA.SetInterruptVectorType(AnyHook));
    ASSERT_TRUE(vectorB.SetInterruptTableType(AnyHook));
    ASSERT_TRUE(words.SetType64(1, 2));
    struct Case {
        emu::CDeviceParameter* parameter;
        uint32_t word;
    };
    const Case cases[] = {{nullptr, 0x8E}, {&value, 0x88},   {&value2, 0x80},  {&window, 0x82},
                          {&range, 0x84},  {&vectorA, 0x88}, {&vectorB, 0x88}, {&words, 0x80}};
    for (const Case& c : cases) {
        tree.log.clear();
        EXPECT_TRUE(tree.machine.BindParameters(c.parameter));
        ASSERT_EQ(3u, tree.log.size());
        EXPECT_EQ("A reset " + machinetest::Hex(c.word), tree.log.front());
    }
    EXPECT_TRUE(ports->IsApplied());
    tree.machine.Stop();
}

TEST(Machine, UnknownParameterTypeFailsBindingAndStart) {
    CTestTree tree;
    auto* odd = new emu::CDeviceParameter("ODD", true, false, 1, 2);
    ASSERT_TRUE(odd->SetType64(1, 2));
    ASSERT_TRUE(tree.a1->GetParameters()->Insert(odd, "ODD"));
    EXPECT_FALSE(tree.Start());
    tree.machine.Stop();
}

TEST(Machine, KeyEventsReachTheKeyState) {
    emu::CMachine machine;
    ASSERT_TRUE(machine.Build());
    emu::CKeys* keys = machine.GetKeysService();
    machine.KeyEvent(65, true);
    machine.KeyEvent(66, true);
    EXPECT_TRUE(keys->IsKeyDown(65));
    EXPECT_EQ(2, keys->GetPressedCount());
    machine.KeyEvent(66, false);
    EXPECT_FALSE(keys->IsKeyDown(66));
    // A negative code pressed goes to the key state, which ignores code 255.
    machine.KeyEvent(-1, true);
    EXPECT_EQ(1, keys->GetPressedCount());
    // A negative code released lets go of every key.
    machine.KeyEvent(-1, false);
    EXPECT_EQ(0, keys->GetPressedCount());
}

TEST(Machine, DispatchEventAsksEveryEnabledDevice) {
    CTestTree tree;
    auto* c = new CRecordingDevice(&tree.log);
    ASSERT_TRUE(tree.machine.AddDevice(c, "C", "C"));
    tree.a->m_acceptedEvent = 7;
    tree.b->SetEnabled(false);
    EXPECT_TRUE(tree.machine.DispatchEvent(7, 0, 0));
    // Only the top-level devices are asked, all of them, the disabled one not.
    const Log expected = {"A event 7", "C event 7"};
    EXPECT_EQ(expected, tree.log);
    EXPECT_FALSE(tree.machine.DispatchEvent(8, 0, 0));

    emu::CMachine empty;
    EXPECT_FALSE(empty.DispatchEvent(7, 0, 0));
}

TEST(Machine, SuspendNeverGoesBelowZero) {
    emu::CMachine machine;
    machine.Suspend(false);
    EXPECT_EQ(0, machine.GetSuspendCount());
    machine.Suspend(true);
    machine.Suspend(true);
    EXPECT_EQ(2, machine.GetSuspendCount());
    machine.Suspend(false);
    EXPECT_EQ(1, machine.GetSuspendCount());
}

TEST(Machine, BreakChecksGoThroughTheCoresHook) {
    emu::CMachine machine;
    bool request = true;
    bool result = false;
    // Without a hook: no break, the result flag set.
    EXPECT_EQ(0u, machine.CheckBreak(&request, &result));
    EXPECT_TRUE(result);
    EXPECT_TRUE(machine.PollBreak(0));

    CHookRecord record;
    machine.SetBreakHook(RecordingHook);
    machine.SetBreakHookUser(&record);
    record.breakResult = true;
    request = true;
    EXPECT_EQ(1u, machine.CheckBreak(&request, &result));
    EXPECT_FALSE(machine.PollBreak(0));
    record.breakResult = false;
    EXPECT_TRUE(machine.PollBreak(0));
    // While suspended the request is cleared before the hook sees it.
    machine.Suspend(true);
    request = true;
    machine.CheckBreak(&request, &result);
    EXPECT_FALSE(request);

    const std::vector<int32_t> modes = {0, -1, -1, 0};
    const std::vector<bool> requests = {true, false, false, false};
    EXPECT_EQ(modes, record.modes);
    EXPECT_EQ(requests, record.requests);
}

TEST(Machine, ProcessorListFollowsTheDevices) {
    emu::CMachine machine;
    ASSERT_TRUE(machine.Build());
    EXPECT_EQ(nullptr, machine.GetMainProcessor());
    int64_t value = -1;
    machine.GetBaseFrequency(&value);
    EXPECT_EQ(0, value);

    auto* plain = new CRecordingDevice();
    auto* cpu = new machinetest::CTestProcessor();
    ASSERT_TRUE(machine.AddDevice(plain, "DEV", "DEV"));
    ASSERT_TRUE(machine.AddDevice(cpu, "CPU", "CPU"));
    EXPECT_EQ(1, machine.GetProcessorCount());
    EXPECT_EQ(cpu, machine.GetProcessor(0));
    EXPECT_EQ(static_cast<emu::CProcessorInterface*>(cpu), machine.GetMainProcessor());
    EXPECT_EQ(nullptr, machine.GetProcessor(-1));
    EXPECT_EQ(nullptr, machine.GetProcessor(1));

    emu::CProcessor::SetProcessBaseFrequency(2500000);
    machine.GetBaseFrequency(&value);
    EXPECT_EQ(2500000, value);
    int64_t frequency = -1;
    int64_t cycles = -1;
    machine.GetBaseTime(&frequency, &cycles);
    EXPECT_EQ(2500000, frequency);
    EXPECT_EQ(static_cast<int64_t>(cpu->GetNominalCycleCount()), cycles);

    machine.DeleteDevices();
    EXPECT_EQ(0, machine.GetProcessorCount());
    EXPECT_EQ(0, machine.GetChildCount());
    machine.GetBaseTime(&frequency, &cycles);
    EXPECT_EQ(0, frequency) << "no processor is asked once the devices are gone";
    EXPECT_EQ(0, cycles);
}

TEST(Machine, HostScreenResetsTheRunningTree) {
    CTestRenderer host;
    CTestRenderer other;
    CTestTree tree;
    tree.machine.SetStretchScreen(false);
    tree.machine.AttachHost(&host);
    EXPECT_TRUE(tree.log.empty()); // not running: no reset
    EXPECT_EQ(&host, tree.a1->GetHostLink());

    ASSERT_TRUE(tree.Start());
    EXPECT_EQ(1, host.GetStretchMode());
    tree.log.clear();
    host.Resize();
    const Log resized = {"A reset 100", "A1 reset 100", "B reset 100"};
    EXPECT_EQ(resized, tree.log);

    tree.log.clear();
    tree.machine.AttachHost(&host); // the same host: nothing
    EXPECT_TRUE(tree.log.empty());

    tree.machine.AttachHost(&other);
    EXPECT_EQ(resized, tree.log);
    EXPECT_EQ(&other, tree.a1->GetHostLink());
    tree.machine.Stop();
}

TEST(Machine, ReplacedOrDetachedHostNoLongerCallsTheMachine) {
    CTestRenderer first;
    CTestRenderer second;
    {
        CTestTree tree;
        tree.machine.AttachHost(&first);
        EXPECT_EQ(&tree.machine, first.GetResetUser());
        tree.machine.AttachHost(&second);
        EXPECT_EQ(nullptr, first.GetResetCallback());
        EXPECT_EQ(&tree.machine, second.GetResetUser());
        tree.machine.AttachHost(nullptr);
        EXPECT_EQ(nullptr, second.GetResetCallback());

        tree.machine.AttachHost(&first);
        tree.machine.Shutdown();
        EXPECT_EQ(nullptr, first.GetResetCallback());
        EXPECT_EQ(nullptr, tree.machine.GetHost());
        EXPECT_EQ(0, tree.machine.GetChildCount());
        tree.machine.AttachHost(&second);
    }
    // The machine is gone: its host screen calls nobody.
    EXPECT_EQ(nullptr, second.GetResetCallback());
    second.Resize();
}

TEST(Machine, HostTakenOverByAnotherMachineKeepsTheNewLink) {
    CTestRenderer host;
    emu::CMachine next;
    {
        emu::CMachine previous;
        previous.AttachHost(&host);
        next.AttachHost(&host);
    }
    EXPECT_EQ(&next, host.GetResetUser());
    EXPECT_NE(nullptr, host.GetResetCallback());
}

TEST(Machine, StretchScreenIsASettingAndAVideoMenuItem) {
    CTestRenderer host;
    emu::CMachine machine;
    common::CSettingsRegistry settings;
    EXPECT_TRUE(machine.CollectProperties(&settings, false));
    ASSERT_NE(nullptr, settings.FindValue(common::CNarrowString("StretchScreen")));
    common::CSettingsRegistry snapshot;
    machine.CollectProperties(&snapshot, true);
    EXPECT_EQ(nullptr, snapshot.FindValue(common::CNarrowString("StretchScreen")));
    // A binding already there is kept.
    bool other = false;
    common::CSettingsRegistry taken;
    taken.BindBool(common::CNarrowString("StretchScreen"), &other);
    machine.CollectProperties(&taken, false);
    auto* bound = dynamic_cast<common::CBoundValue*>(taken.FindValue(common::CNarrowString("StretchScreen")));
    ASSERT_NE(nullptr, bound);

    machine.AttachHost(&host);
    emu::COptionTree video;
    machine.BuildMenu(&video, emu::CMachine::kMenuVideo);
    ASSERT_EQ(3, video.GetChildCount());
    EXPECT_TRUE(video.GetChildAt(0)->IsLocked());
    EXPECT_TRUE(video.GetChildAt(1)->IsLocked());
    common::COptionNodeInterface* item = video.GetChildAt(2);
    EXPECT_TRUE(item->IsChecked());
    item->Activate();
    EXPECT_FALSE(machine.GetStretchScreen());
    EXPECT_EQ(1, host.GetStretchMode());
    item->Activate();
    EXPECT_EQ(0, host.GetStretchMode());

    emu::COptionTree debug;
    machine.BuildMenu(&debug, 7);
    EXPECT_EQ(0, debug.GetChildCount());
}

TEST(Machine, MediaChangesResetTheTree) {
    CTestTree tree;
    ASSERT_TRUE(tree.Start());
    tree.log.clear();
    ASSERT_TRUE(tree.machine.GetDrivesService()->SetFloppyCount(1));
    const Log expected = {"A reset 200", "A1 reset 200", "B reset 200", "A reset 40", "A1 reset 40", "B reset 40"};
    EXPECT_EQ(expected, tree.log);
    emu::CMachine::OnMediaChanged(nullptr, nullptr, 1); // no machine: nothing
    tree.machine.Stop();
}

TEST(Machine, SoundCallsReachTheBus) {
    emu::CMachine machine;
    int dummy = 0;
    auto* output = reinterpret_cast<emu::CSoundOutput*>(&dummy); // stored, never used
    machine.SetSoundOutput(output);
    ASSERT_TRUE(machine.Build());
    EXPECT_EQ(output, machine.GetBusService()->GetSoundOutput());
    machine.SetSoundOutput(nullptr);
    EXPECT_EQ(nullptr, machine.GetBusService()->GetSoundOutput());
    machine.SetSoundRate(20000);
    EXPECT_EQ(22050, machine.GetBusService()->GetSampleRate());
    machine.SetSoundPaused(true);
    EXPECT_TRUE(machine.GetBusService()->IsSoundPaused());
    machine.TickBus();
    EXPECT_EQ(1u, machine.GetBusService()->GetTickCounter());
}

TEST(Machine, StateLoadsBackAndResetsWithFFFF) {
    CTestTree tree;
    auto* probe = new CStateProbe();
    ASSERT_TRUE(tree.machine.AddDevice(probe, "PROBE", "PROBE"));
    ASSERT_TRUE(tree.Start());
    const std::vector<uint8_t> bytes = SaveMachine(tree.machine);
    EXPECT_EQ(0, tree.machine.GetSuspendCount());

    tree.log.clear();
    common::CNarrowString error("incorrect version or format");
    EXPECT_TRUE(LoadMachine(tree.machine, bytes, &error));
    EXPECT_EQ("A reset FFFF", tree.log.front());
    EXPECT_TRUE(probe->sawStateFlag);
    EXPECT_EQ(1, probe->suspendCount);
    EXPECT_FALSE(tree.machine.GetStateFlag());
    EXPECT_EQ(0, tree.machine.GetSuspendCount());
    EXPECT_EQ(bytes, SaveMachine(tree.machine));

    // Another version is refused before anything is read.
    std::vector<uint8_t> other = bytes;
    ASSERT_EQ(0xF8, other[0]);
    other[9] = 1; // the value of the leading field "VER"
    tree.log.clear();
    EXPECT_FALSE(LoadMachine(tree.machine, other, &error));
    EXPECT_TRUE(tree.log.empty());
    EXPECT_FALSE(tree.machine.IsStatePartlyLoaded());
    tree.machine.Stop();
}

TEST(Machine, HalfLoadedStateIsReported) {
    common::CTextConsole console;
    CTestTree tree;
    tree.machine.SetConsole(&console);
    ASSERT_TRUE(tree.Start());
    std::vector<uint8_t> bytes = SaveMachine(tree.machine);
    bytes.resize(bytes.size() - 20); // the device tree's end is missing

    common::CNarrowString error("incorrect version or format");
    tree.log.clear();
    EXPECT_FALSE(LoadMachine(tree.machine, bytes, &error));
    EXPECT_TRUE(tree.machine.IsStatePartlyLoaded());
    EXPECT_STRNE("incorrect version or format", error.GetNarrow());
    EXPECT_TRUE(tree.log.empty()); // no reset of a half-loaded tree
    EXPECT_FALSE(tree.machine.GetStateFlag());
    EXPECT_EQ(0, tree.machine.GetSuspendCount());
    const std::vector<std::string> lines = machinetest::ConsoleLines(console);
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ('!', lines.back()[0]);

    // A restart clears the mark.
    tree.machine.Stop();
    ASSERT_TRUE(tree.Start());
    EXPECT_FALSE(tree.machine.IsStatePartlyLoaded());
    tree.machine.Stop();
}
