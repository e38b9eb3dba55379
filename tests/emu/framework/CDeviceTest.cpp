#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/CBoundValue.h"
#include "common/CSettingsRegistry.h"
#include "common/CWideString.h"
#include "emu/framework/COptionTree.h"
#include "emu/framework/CSelectorDevice.h"
#include "emu/framework/FrameworkTestSupport.h"

using test::Bytes;
using test::CTestStream;

namespace {

typedef std::vector<std::string> Log;

// A device that records resets, starts, stops, menu calls and events, and
// publishes one check item per menu kind it is given.
class CTestDevice : public emu::CDevice {
public:
    explicit CTestDevice(Log* log = nullptr) : m_log(log) {}

    bool Reset(uint32_t flags) override {
        Record("reset " + std::to_string(flags));
        return m_resetResult && CDevice::Reset(flags);
    }
    bool Start(int32_t* value) override {
        Record("start");
        return CDevice::Start(value);
    }
    void Stop() override {
        CDevice::Stop();
        Record("stop");
    }
    void BuildMenu(emu::COptionTree* menu, int32_t kind) override {
        CDevice::BuildMenu(menu, kind);
        Record("menu " + std::to_string(kind));
        if (!m_addsItems || kind == kMenuDebugParent)
            return;
        // As a chip does: the node holding its items shows a mark while one is set.
        common::COptionNodeInterface* item =
            menu->CreateCheckItem(common::CNarrowString("Trace"), &m_trace, 1, nullptr, 0);
        menu->AddCheckedWhenNode(item, true);
    }
    bool HandleEvent(uint32_t event, uint8_t, uintptr_t) override {
        Record("event");
        return event == m_acceptedEvent;
    }

    void Record(const std::string& what) {
        if (m_log != nullptr)
            m_log->push_back(std::string(GetName()) + " " + what);
    }

    Log* m_log;
    bool m_resetResult = true;
    bool m_addsItems = true;
    uint8_t m_trace = 0;
    uint32_t m_acceptedEvent = 0xFFFFFFFF;
};

CTestDevice* AddDevice(emu::CObjectContainer& parent, const char* name, Log* log) {
    auto* device = new CTestDevice(log);
    parent.AddChild(device, name, nullptr);
    return device;
}

std::string NameOf(const common::COptionNodeInterface* node) {
    return node->GetName().GetNarrow();
}

TEST(DeviceTest, BaseDefaults) {
    emu::CDevice device;
    EXPECT_TRUE(device.IsDevice());
    EXPECT_FALSE(device.IsSelector());
    EXPECT_FALSE(device.IsProcessor());
    EXPECT_FALSE(device.HandleEvent(1, 2, 3));
    EXPECT_EQ(device.HandleRequest(1, 2, 3, 4, 5, 6, 7, 8), 0u);
    EXPECT_FALSE(device.IsStarted());
    EXPECT_FALSE(device.GetIrqFlag());
    EXPECT_NE(device.GetParameters(), nullptr);
    EXPECT_EQ(device.GetMachine(), nullptr);
}

TEST(DeviceTest, DeviceWithoutChildrenStartsStopsAndRestoresItsTargets) {
    emu::CDevice device;
    bool flag = false;
    uint64_t line = 3;
    ASSERT_TRUE(device.GetParameters()->AddValue("IRQ", true, &flag, &line));
    EXPECT_TRUE(device.Reset(emu::CDevice::kResetStarted));
    int32_t rate = 4900;
    EXPECT_TRUE(device.Start(&rate));
    EXPECT_TRUE(device.IsStarted());
    emu::CParameterBinder binder;
    ASSERT_TRUE(binder.BindValue(device.GetParameters()->Find("IRQ")));
    line = 8;
    device.Stop();
    EXPECT_FALSE(device.IsStarted());
    EXPECT_FALSE(flag);
    EXPECT_EQ(line, 3u);
}

TEST(DeviceTest, SetServicesStoresEveryPointerWhereItBelongs) {
    // Stand-ins: only the addresses are compared.
    char slots[9];
    test::CFakeMachine machine;
    emu::CDevice device;
    auto* bus = reinterpret_cast<emu::CBus*>(&slots[1]);
    auto* memory = reinterpret_cast<emu::CMemory*>(&slots[2]);
    auto* ports = reinterpret_cast<emu::CPorts*>(&slots[3]);
    auto* interrupts = reinterpret_cast<emu::CInterrupts*>(&slots[4]);
    auto* hostLink = reinterpret_cast<emu::CRenderer*>(&slots[5]);
    auto* keys = reinterpret_cast<emu::CKeys*>(&slots[6]);
    auto* drives = reinterpret_cast<emu::CDrives*>(&slots[7]);
    auto* mouse = reinterpret_cast<emu::CMouse*>(&slots[8]);
    device.SetServices(&machine, bus, memory, ports, interrupts, hostLink, keys, drives, mouse);
    EXPECT_EQ(device.GetMachine(), &machine);
    EXPECT_EQ(device.GetBus(), bus);
    EXPECT_EQ(device.GetMemory(), memory);
    EXPECT_EQ(device.GetPorts(), ports);
    EXPECT_EQ(device.GetInterrupts(), interrupts);
    EXPECT_EQ(device.GetHostLink(), hostLink);
    EXPECT_EQ(device.GetKeys(), keys);
    EXPECT_EQ(device.GetDrives(), drives);
    EXPECT_EQ(device.GetMouse(), mouse);
    EXPECT_EQ(device.GetParameters()->GetMachine(), &machine);
}

TEST(DeviceResetTest, EveryWordReachesTheEnabledDevicesInTreeOrderUnchanged) {
    Log log;
    emu::CDevice root;
    CTestDevice* a = AddDevice(root, "A", &log);
    AddDevice(*a, "A1", &log);
    a->AddChild(new emu::CObjectContainer(), "NOTADEVICE", nullptr);
    CTestDevice* b = AddDevice(root, "B", &log);
    AddDevice(*b, "B1", &log);
    b->SetEnabled(false);
    AddDevice(root, "C", &log);

    const uint32_t words[] = {0x8E, 0x140, 0x82, 0x84, 0x88, 0x80, 0x02, 0x100, 0x200, 0x40, 0xFFFF};
    Log expected;
    for (uint32_t word : words) {
        ASSERT_TRUE(root.Reset(word));
        for (const char* name : {"A", "A1", "C"})
            expected.push_back(std::string(name) + " reset " + std::to_string(word));
    }
    EXPECT_EQ(log, expected);
}

TEST(DeviceResetTest, ResetStopsAtTheFirstDeviceThatFails) {
    Log log;
    emu::CDevice root;
    AddDevice(root, "A", &log);
    AddDevice(root, "B", &log)->m_resetResult = false;
    AddDevice(root, "C", &log);
    EXPECT_FALSE(root.Reset(0x140));
    EXPECT_EQ(log, (Log{"A reset 320", "B reset 320"}));
}

TEST(DeviceLifecycleTest, DisabledChildIsNeitherStartedNorStopped) {
    Log log;
    emu::CDevice root;
    AddDevice(root, "A", &log);
    AddDevice(root, "B", &log)->SetEnabled(false);
    AddDevice(root, "C", &log);
    int32_t rate = 0;
    ASSERT_TRUE(root.Start(&rate));
    root.Stop();
    EXPECT_EQ(log, (Log{"A start", "C start", "C stop", "A stop"}));
}

TEST(DeviceStateTest, OwnDataIsTheParameterChunkThenTheDeviceChunk) {
    emu::CDevice device;
    device.SetName("DEV");
    device.GetParameters()->AddPorts2("PORTS", true, true, 1, 1, test::TestInput, nullptr);
    Bytes expected;
    test::AppendObjectHead(expected, "DEV", true);
    test::AppendDeviceData(expected);
    test::AppendEnd(expected, "DEV");

    CTestStream out;
    common::CStreamHolder writer(&out.Stream());
    ASSERT_TRUE(device.SaveState(writer));
    EXPECT_EQ(out.GetBytes(), expected);

    const Bytes deviceChunk = {0xF0, 0x81, 0x85, 0x04, 0x00, 0x5F, 0x44, 0x45, 0x56, 0xF8, 0x81, 0x82, 0x03, 0x00,
                               0x56, 0x45, 0x52, 0x00, 0x00, 0xFF, 0x81, 0x85, 0x04, 0x00, 0x5F, 0x44, 0x45, 0x56};
    EXPECT_TRUE(std::search(expected.begin(), expected.end(), deviceChunk.begin(), deviceChunk.end()) !=
                expected.end());

    CTestStream in(expected);
    common::CStreamHolder reader(&in.Stream());
    EXPECT_TRUE(device.LoadState(reader, nullptr));
}

TEST(DeviceStateTest, LoadRefusesADeviceChunkOfAnotherVersionOrOrder) {
    Bytes version1;
    test::AppendVersionChunk(version1, "_CFP");
    test::AppendVersionChunk(version1, "_DEV", 1);
    Bytes swapped;
    test::AppendVersionChunk(swapped, "_DEV");
    test::AppendVersionChunk(swapped, "_CFP");
    for (const Bytes& bytes : {version1, swapped}) {
        emu::CDevice device;
        CTestStream in(bytes);
        common::CStreamHolder reader(&in.Stream());
        EXPECT_FALSE(device.LoadData(reader, nullptr));
    }
}

TEST(DeviceMenuTest, DebugMenuHasOneSubMenuPerChildWithItems) {
    Log log;
    emu::CDevice root;
    AddDevice(root, "FIRST", &log);
    AddDevice(root, "QUIET", &log)->m_addsItems = false;
    CTestDevice* last = AddDevice(root, "LAST", &log);
    emu::COptionTree menu;
    root.BuildMenu(&menu, emu::CDevice::kMenuDebug);

    ASSERT_EQ(menu.GetChildCount(), 2);
    EXPECT_EQ(NameOf(menu.GetChildAt(0)), "FIRST");
    EXPECT_EQ(NameOf(menu.GetChildAt(1)), "LAST");
    EXPECT_EQ(NameOf(menu.GetChildAt(1)->GetChildAt(0)), "Trace");
    // Each child is asked for its items, then once more for the parent menu.
    EXPECT_EQ(log, (Log{"FIRST menu 7", "FIRST menu 8", "QUIET menu 7", "QUIET menu 8", "LAST menu 7", "LAST menu 8"}));
    // The menu shows a mark while any of its sub-menus does.
    EXPECT_FALSE(menu.IsChecked());
    last->m_trace = 1;
    EXPECT_TRUE(menu.GetChildAt(1)->IsChecked());
    EXPECT_TRUE(menu.IsChecked());
}

TEST(DeviceMenuTest, OtherKindsGoToEveryChildUnchanged) {
    Log log;
    emu::CDevice root;
    AddDevice(root, "A", &log);
    AddDevice(root, "B", &log)->SetEnabled(false);
    emu::COptionTree menu;
    root.BuildMenu(&menu, 3);
    EXPECT_EQ(log, (Log{"A menu 3", "B menu 3"}));
    EXPECT_EQ(menu.GetChildCount(), 2);
}

TEST(DeviceIrqTest, SetIrqDeclaresTheLineAsAPlainValue) {
    emu::CDevice device;
    device.SetIrq(5, true, 0);
    emu::CDeviceParameter* irq = device.GetParameters()->Find("IRQ");
    ASSERT_NE(irq, nullptr);
    EXPECT_EQ(irq->GetType(), emu::CDeviceParameter::kTypeValue);
    EXPECT_EQ(irq->GetDeclaredFirst(), 5u);
    EXPECT_TRUE(irq->IsFixed());
    EXPECT_EQ(device.GetIrqLine(), 5u);
    EXPECT_FALSE(device.GetIrqFlag());

    device.SetIrq(-1, true, 1);
    EXPECT_EQ(device.GetParameters()->Find("IRQ"), nullptr);
}

class SelectorTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_selector.SetName("SEL");
        for (const char* name : {"ZERO", "ONE", "TWO"})
            m_children.push_back(AddDevice(m_selector, name, &m_log));
    }

    Log m_log;
    emu::CSelectorDevice m_selector;
    std::vector<CTestDevice*> m_children;
};

TEST_F(SelectorTest, StartsOnlyTheSelectedChild) {
    m_selector.SetSelectedIndex(1);
    int32_t rate = 0;
    ASSERT_TRUE(m_selector.Start(&rate));
    EXPECT_TRUE(m_selector.IsStarted());
    EXPECT_EQ(m_log, Log{"ONE start"});
    EXPECT_FALSE(m_children[0]->IsEnabled());
    EXPECT_TRUE(m_children[1]->IsEnabled());
    EXPECT_FALSE(m_children[2]->IsEnabled());
}

TEST_F(SelectorTest, RefusesToStartWithAnIndexOutsideItsChildren) {
    for (int32_t index : {3, -1}) {
        m_selector.SetSelectedIndex(index);
        int32_t rate = 0;
        EXPECT_FALSE(m_selector.Start(&rate)) << index;
        EXPECT_FALSE(m_selector.IsStarted());
        EXPECT_TRUE(m_log.empty());
        for (CTestDevice* child : m_children)
            EXPECT_TRUE(child->IsEnabled());
    }
    emu::CSelectorDevice empty;
    int32_t rate = 0;
    EXPECT_FALSE(empty.Start(&rate));
    EXPECT_FALSE(empty.EnableSelectedOnly());
}

TEST_F(SelectorTest, EnableSelectedOnlyDisablesAllForABadIndex) {
    m_selector.SetSelectedIndex(2);
    EXPECT_TRUE(m_selector.EnableSelectedOnly());
    EXPECT_TRUE(m_children[2]->IsEnabled());
    EXPECT_FALSE(m_children[0]->IsEnabled());
    m_selector.SetSelectedIndex(-1);
    EXPECT_FALSE(m_selector.EnableSelectedOnly());
    for (CTestDevice* child : m_children)
        EXPECT_FALSE(child->IsEnabled());
}

TEST_F(SelectorTest, PropertyCheckResetsABadIndex) {
    m_selector.SetSelectedIndex(2);
    EXPECT_TRUE(m_selector.ValidateProperties(false));
    m_selector.SetSelectedIndex(3);
    EXPECT_FALSE(m_selector.ValidateProperties(false));
    EXPECT_EQ(m_selector.GetSelectedIndex(), 0);
}

TEST_F(SelectorTest, SelectedIndexIsASigned32BitPropertyThatKeepsAnEarlierBinding) {
    common::CSettingsRegistry registry;
    ASSERT_TRUE(m_selector.CollectProperties(&registry, false));
    common::CValue* value = registry.FindValue(common::CNarrowString("SelectedIndex"));
    ASSERT_NE(value, nullptr);
    EXPECT_EQ(value->GetType(), common::CValue::kTypeInt32);
    ASSERT_TRUE(value->SetInt32(2));
    EXPECT_EQ(m_selector.GetSelectedIndex(), 2);

    common::CSettingsRegistry other;
    int32_t earlier = 0;
    other.AddBinding(common::CNarrowString("SelectedIndex"))->BindInt32(&earlier);
    ASSERT_TRUE(m_selector.CollectProperties(&other, false));
    other.FindValue(common::CNarrowString("SelectedIndex"))->SetInt32(1);
    EXPECT_EQ(earlier, 1);
    EXPECT_EQ(m_selector.GetSelectedIndex(), 2);
}

TEST_F(SelectorTest, OwnMenuKindOffersARadioItemPerChild) {
    const int32_t kind = 5;
    m_selector.SetMenuKind(kind);
    m_selector.SetCaption(1, common::CNarrowString("Second"));
    m_selector.SetCaption(7, common::CNarrowString("ignored"));
    emu::COptionTree menu;
    menu.CreateChild(common::CNarrowString("Existing"));
    m_selector.BuildMenu(&menu, kind);

    ASSERT_EQ(menu.GetChildCount(), 5);
    EXPECT_TRUE(menu.GetChildAt(1)->IsLocked());
    EXPECT_EQ(NameOf(menu.GetChildAt(2)), "ZERO");
    EXPECT_EQ(NameOf(menu.GetChildAt(3)), "Second");
    EXPECT_EQ(NameOf(menu.GetChildAt(4)), "TWO");
    common::COptionNodeInterface* sub = menu.GetChildAt(4);
    ASSERT_EQ(sub->GetChildCount(), 3);
    common::COptionNodeInterface* radio = sub->GetChildAt(0);
    EXPECT_EQ(NameOf(radio), "Selected");
    EXPECT_TRUE(sub->GetChildAt(1)->IsLocked());
    EXPECT_EQ(NameOf(sub->GetChildAt(2)), "Trace");

    // Choosing the item selects its child, only while the selector is stopped.
    EXPECT_FALSE(radio->IsChecked());
    EXPECT_TRUE(radio->Activate());
    EXPECT_EQ(m_selector.GetSelectedIndex(), 2);
    EXPECT_TRUE(radio->IsChecked());
    EXPECT_TRUE(sub->IsChecked());
    int32_t rate = 0;
    ASSERT_TRUE(m_selector.Start(&rate));
    EXPECT_FALSE(menu.GetChildAt(2)->GetChildAt(0)->IsEnabled());
}

TEST_F(SelectorTest, OneChildGetsNoRadioItemAndALoneSubMenuReplacesItsWrapper) {
    const int32_t kind = 5;
    emu::CSelectorDevice single;
    single.SetMenuKind(kind);
    CTestDevice* only = AddDevice(single, "ONLY", nullptr);
    only->m_addsItems = false;
    auto* grandchild = AddDevice(*only, "INNER", nullptr);
    (void)grandchild;

    emu::COptionTree menu;
    single.BuildMenu(&menu, emu::CDevice::kMenuDebug);
    // Debug: ONLY's node holds the sub-menu "INNER" alone, which takes its place
    // under the child's name.
    ASSERT_EQ(menu.GetChildCount(), 1);
    EXPECT_EQ(NameOf(menu.GetChildAt(0)), "ONLY");
    EXPECT_EQ(NameOf(menu.GetChildAt(0)->GetChildAt(0)), "Trace");

    emu::COptionTree own;
    only->m_addsItems = true;
    single.BuildMenu(&own, kind);
    ASSERT_EQ(own.GetChildCount(), 1);
    EXPECT_EQ(NameOf(own.GetChildAt(0)), "ONLY");
    EXPECT_EQ(NameOf(own.GetChildAt(0)->GetChildAt(0)), "Trace");
}

TEST_F(SelectorTest, SelectorInsideADeviceBuildsItsDebugItemsDirectly) {
    emu::CDevice root;
    auto* selector = new emu::CSelectorDevice();
    root.AddChild(selector, "SEL", nullptr);
    AddDevice(*selector, "A", nullptr);
    AddDevice(*selector, "B", nullptr);
    emu::COptionTree menu;
    root.BuildMenu(&menu, emu::CDevice::kMenuDebug);
    ASSERT_EQ(menu.GetChildCount(), 2);
    EXPECT_EQ(NameOf(menu.GetChildAt(0)), "A");
    EXPECT_EQ(NameOf(menu.GetChildAt(1)), "B");
}

TEST_F(SelectorTest, EventsGoToEveryEnabledChild) {
    m_children[0]->m_acceptedEvent = 9;
    m_children[1]->SetEnabled(false);
    EXPECT_TRUE(m_selector.HandleEvent(9, 0, 0));
    EXPECT_EQ(m_log, (Log{"ZERO event", "TWO event"}));
    EXPECT_FALSE(m_selector.HandleEvent(1, 0, 0));
    EXPECT_TRUE(m_selector.IsSelector());
    EXPECT_TRUE(m_selector.QueryTrue(nullptr));
}

} // namespace
