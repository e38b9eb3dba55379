#include <gtest/gtest.h>

#include <string>

#include "common/CBoundValue.h"
#include "common/CSettingsRegistry.h"
#include "emu/framework/CDevice.h"
#include "emu/framework/FrameworkTestSupport.h"
#include "emu/framework/PropertyTree.h"

using test::Bytes;
using test::CTestStream;

namespace {

// A device with one unsigned 8-bit property whose check clamps it to a limit.
class CPropDevice : public emu::CDevice {
public:
    explicit CPropDevice(const char* key = "N", uint8_t value = 0) : m_key(key), m_value(value) {}

    bool CollectProperties(common::CSettingsRegistry* registry, bool enabledOnly) override {
        if (registry != nullptr && m_key != nullptr)
            registry->BindUInt8(common::CNarrowString(m_key), &m_value);
        return CDevice::CollectProperties(registry, enabledOnly);
    }
    bool ValidateProperties(bool enabledOnly) override {
        ++m_checks;
        bool ok = CDevice::ValidateProperties(enabledOnly);
        if (m_value > m_limit) {
            m_value = m_limit;
            ok = false;
        }
        return ok;
    }

    const char* m_key;
    uint8_t m_value;
    uint8_t m_limit = 255;
    int m_checks = 0;
};

CPropDevice* AddProp(emu::CObjectContainer& parent, const char* name, const char* key = "N", uint8_t value = 0) {
    auto* device = new CPropDevice(key, value);
    parent.AddChild(device, name, nullptr);
    return device;
}

// Registry body bytes.
Bytes Body(uint16_t extension = 0) {
    return Bytes{0x00, 0x00, static_cast<uint8_t>(extension & 0xFF), static_cast<uint8_t>(extension >> 8)};
}
void AppendU8Entry(Bytes& out, const std::string& name, uint8_t value) {
    out.push_back(0x01);
    test::AppendName(out, name);
    out.push_back(0x00); // check byte of type 0x11
    out.push_back(0x11);
    out.push_back(value);
}
void AppendSection(Bytes& out, const std::string& name, const Bytes& body) {
    out.push_back(0x80);
    test::AppendName(out, name);
    out.insert(out.end(), body.begin(), body.end());
}
Bytes Ended(Bytes body) {
    body.push_back(0xFF);
    return body;
}

bool Transfer(emu::CObject& object, const Bytes& bytes, bool compare = false, bool* changed = nullptr,
              int64_t* position = nullptr) {
    CTestStream stream(bytes);
    const bool result = emu::TransferPropertyTree(&object, &stream.Stream(), compare, changed);
    if (position != nullptr)
        *position = stream.GetPosition();
    return result;
}

uint8_t ValueOf(common::CSettingsRegistry& level, const char* name) {
    common::CValue* value = level.FindValue(common::CNarrowString(name));
    uint8_t out = 0xEE;
    if (value != nullptr)
        value->GetUInt8(out);
    return out;
}

TEST(PropertyExportTest, DeviceWhoseChildrenAddNothingGivesALevelWithoutChildren) {
    emu::CDevice root;
    AddProp(root, "A", nullptr);
    root.AddChild(new emu::CDevice(), "B", nullptr);
    common::CSettingsRegistry level;
    ASSERT_TRUE(emu::ExportPropertyTree(&root, &level, false));
    EXPECT_TRUE(level.GetValues().empty());
    EXPECT_TRUE(level.GetChildren().empty());
    EXPECT_FALSE(emu::ExportPropertyTree(&root, nullptr, false));
    EXPECT_FALSE(emu::ExportPropertyTree(nullptr, &level, false));
}

TEST(PropertyExportTest, RootLevelKeepsTheFirstBindingAndEachDeviceItsOwn) {
    emu::CDevice root;
    CPropDevice* a = AddProp(root, "A", "N", 1);
    CPropDevice* b = AddProp(root, "B", "N", 2);
    root.AddChild(new emu::CObjectContainer(), "SERVICE", nullptr);
    common::CSettingsRegistry level;
    ASSERT_TRUE(emu::ExportPropertyTree(&root, &level, false));

    EXPECT_EQ(level.GetValues().size(), 1u);
    EXPECT_EQ(ValueOf(level, "N"), 1);
    ASSERT_EQ(level.GetChildren().size(), 2u);
    common::CSettingsRegistry* levelA = level.FindChild(common::CNarrowString("A"));
    common::CSettingsRegistry* levelB = level.FindChild(common::CNarrowString("B"));
    ASSERT_NE(levelA, nullptr);
    ASSERT_NE(levelB, nullptr);
    levelB->FindValue(common::CNarrowString("N"))->SetUInt8(20);
    EXPECT_EQ(b->m_value, 20);
    EXPECT_EQ(a->m_value, 1);
    EXPECT_EQ(level.FindChild(common::CNarrowString("SERVICE")), nullptr);
}

TEST(PropertyExportTest, TwoChildrenOfOneNameFailAndKeepTheFirst) {
    emu::CDevice root;
    AddProp(root, "A", "N", 1);
    AddProp(root, "A", "M", 2);
    AddProp(root, "C", "K", 3);
    common::CSettingsRegistry level;
    EXPECT_FALSE(emu::ExportPropertyTree(&root, &level, false));
    common::CSettingsRegistry* levelA = level.FindChild(common::CNarrowString("A"));
    ASSERT_NE(levelA, nullptr);
    EXPECT_EQ(ValueOf(*levelA, "N"), 1);
    EXPECT_EQ(levelA->FindValue(common::CNarrowString("M")), nullptr);
    EXPECT_EQ(level.FindChild(common::CNarrowString("C")), nullptr);
}

// The snapshot of a saved state names the enabled devices only; the settings
// file names every device.
TEST(PropertyExportTest, DisabledDeviceTakesPartOnlyWhenAllDevicesAreAsked) {
    emu::CDevice root;
    AddProp(root, "ON", "N", 1);
    CPropDevice* off = AddProp(root, "OFF", "M", 2);
    AddProp(*off, "INNER", "K", 3);
    off->SetEnabled(false);

    common::CSettingsRegistry all;
    ASSERT_TRUE(emu::ExportPropertyTree(&root, &all, false));
    EXPECT_NE(all.FindChild(common::CNarrowString("OFF")), nullptr);
    EXPECT_EQ(ValueOf(all, "M"), 2);
    EXPECT_EQ(ValueOf(all, "K"), 3);

    common::CSettingsRegistry enabled;
    ASSERT_TRUE(emu::ExportPropertyTree(&root, &enabled, true));
    EXPECT_EQ(enabled.FindChild(common::CNarrowString("OFF")), nullptr);
    EXPECT_EQ(enabled.FindValue(common::CNarrowString("M")), nullptr);
    EXPECT_EQ(enabled.FindValue(common::CNarrowString("K")), nullptr);
    EXPECT_NE(enabled.FindChild(common::CNarrowString("ON")), nullptr);
}

TEST(PropertyTransferTest, EmptyBodyAssignsNothingAndAnswersTheObjectsCheck) {
    const Bytes empty = {0x00, 0x00, 0x00, 0x00, 0xFF};
    CPropDevice device("N", 7);
    EXPECT_TRUE(Transfer(device, empty));
    EXPECT_EQ(device.m_checks, 1);
    device.m_limit = 5;
    EXPECT_FALSE(Transfer(device, empty));
    EXPECT_EQ(device.m_value, 5);
}

TEST(PropertyTransferTest, ExtensionBytesAreSkippedAndUnknownNamesDropped) {
    Bytes body = Body(2);
    body.push_back(0xAA);
    body.push_back(0xBB);
    AppendU8Entry(body, "UNKNOWN", 9);
    AppendU8Entry(body, "N", 42);
    CPropDevice device("N", 0);
    int64_t position = 0;
    const Bytes bytes = Ended(body);
    EXPECT_TRUE(Transfer(device, bytes, false, nullptr, &position));
    EXPECT_EQ(device.m_value, 42);
    EXPECT_EQ(position, static_cast<int64_t>(bytes.size()));
}

TEST(PropertyTransferTest, SectionsGoToTheChildOfTheirNameAndUnknownOnesAreSkipped) {
    emu::CDevice root;
    CPropDevice* a = AddProp(root, "A", "N");
    CPropDevice* b = AddProp(root, "B", "N");
    Bytes sectionA = Body();
    AppendU8Entry(sectionA, "N", 11);
    Bytes ghost = Body();
    AppendU8Entry(ghost, "N", 99);
    Bytes sectionB = Body();
    AppendU8Entry(sectionB, "N", 22);

    Bytes body = Body();
    AppendU8Entry(body, "N", 5);
    AppendSection(body, "A", Ended(sectionA));
    AppendSection(body, "GHOST", Ended(ghost));
    AppendSection(body, "B", Ended(sectionB));
    ASSERT_TRUE(Transfer(root, Ended(body)));
    EXPECT_EQ(a->m_value, 11);
    EXPECT_EQ(b->m_value, 22);
}

TEST(PropertyTransferTest, ChildFailingItsCheckKeepsItsValuesAndTheParentGoesOn) {
    emu::CDevice root;
    CPropDevice* a = AddProp(root, "A", "N");
    a->m_limit = 100;
    CPropDevice* inner = AddProp(*a, "INNER", "K");
    CPropDevice* b = AddProp(root, "B", "N");

    Bytes innerBody = Body();
    AppendU8Entry(innerBody, "K", 9);
    Bytes sectionA = Body();
    AppendU8Entry(sectionA, "N", 200);
    AppendSection(sectionA, "INNER", Ended(innerBody));
    Bytes sectionB = Body();
    AppendU8Entry(sectionB, "N", 33);
    Bytes body = Body();
    AppendSection(body, "A", Ended(sectionA));
    AppendSection(body, "B", Ended(sectionB));

    ASSERT_TRUE(Transfer(root, Ended(body)));
    EXPECT_EQ(a->m_value, 100);   // assigned, then corrected by its own check
    EXPECT_EQ(inner->m_value, 0); // the rest of A's section was skipped
    EXPECT_EQ(b->m_value, 33);
}

TEST(PropertyTransferTest, DamagedBodiesFail) {
    CPropDevice device;
    const Bytes reserved = {0x01, 0x00, 0x00, 0x00, 0xFF};
    const Bytes badTag = {0x00, 0x00, 0x00, 0x00, 0x02, 0xFF};
    const Bytes truncated = {0x00, 0x00, 0x00, 0x00, 0x01, 0x81};
    const Bytes noEnd = {0x00, 0x00, 0x00, 0x00};
    for (const Bytes& bytes : {reserved, badTag, truncated, noEnd})
        EXPECT_FALSE(Transfer(device, bytes));
    EXPECT_FALSE(emu::TransferPropertyTree(nullptr, nullptr, false, nullptr));
}

TEST(PropertyTransferTest, CompareModeSetsChangedOnlyForADifferentValue) {
    emu::CDevice root;
    CPropDevice* a = AddProp(root, "A", "N", 5);
    Bytes same = Body();
    AppendU8Entry(same, "N", 5);
    bool changed = false;
    ASSERT_TRUE(Transfer(root, Ended(same), true, &changed));
    EXPECT_FALSE(changed);

    Bytes different = Body();
    AppendU8Entry(different, "N", 6);
    ASSERT_TRUE(Transfer(root, Ended(different), true, &changed));
    EXPECT_TRUE(changed);
    EXPECT_EQ(a->m_value, 6);

    // A later equal value never clears it.
    ASSERT_TRUE(Transfer(root, Ended(different), true, &changed));
    EXPECT_TRUE(changed);
}

TEST(PropertyTransferTest, CompareModeLeavesDisabledDescendantsOutOfTheLevel) {
    emu::CDevice root;
    CPropDevice* on = AddProp(root, "ON", "N", 1);
    CPropDevice* off = AddProp(root, "OFF", "M", 2);
    off->SetEnabled(false);

    Bytes offSection = Body();
    AppendU8Entry(offSection, "M", 8);
    Bytes body = Body();
    AppendU8Entry(body, "M", 7);
    AppendU8Entry(body, "N", 3);
    AppendSection(body, "OFF", Ended(offSection));
    bool changed = false;
    ASSERT_TRUE(Transfer(root, Ended(body), true, &changed));
    EXPECT_TRUE(changed);
    EXPECT_EQ(on->m_value, 3);
    // "M" at the top is not collected from the disabled device; its own
    // section still reaches it through its own transfer.
    EXPECT_EQ(off->m_value, 8);

    off->m_value = 2;
    Bytes topOnly = Body();
    AppendU8Entry(topOnly, "M", 7);
    ASSERT_TRUE(Transfer(root, Ended(topOnly), false));
    EXPECT_EQ(off->m_value, 7);
}

TEST(PropertyTransferTest, ExportedTreeSavedAndLoadedRestoresEveryValue) {
    auto build = [](emu::CDevice& root, uint8_t base) {
        CPropDevice* a = AddProp(root, "A", "N", base);
        AddProp(*a, "A1", "K", base + 1);
        AddProp(root, "B", "N", base + 2);
    };
    emu::CDevice source;
    build(source, 10);
    common::CSettingsRegistry level;
    ASSERT_TRUE(emu::ExportPropertyTree(&source, &level, false));
    CTestStream stream;
    ASSERT_TRUE(level.Save(&stream.Stream(), nullptr, nullptr));

    emu::CDevice target;
    build(target, 0);
    ASSERT_TRUE(Transfer(target, stream.GetBytes()));
    auto* a = static_cast<CPropDevice*>(target.FindChild("A"));
    EXPECT_EQ(a->m_value, 10);
    EXPECT_EQ(static_cast<CPropDevice*>(a->FindChild("A1"))->m_value, 11);
    EXPECT_EQ(static_cast<CPropDevice*>(target.FindChild("B"))->m_value, 12);
}

TEST(PropertyTransferTest, HandlersAndNotifiersFollowTheirContract) {
    emu::CDevice root;
    root.SetName("ROOT");
    CPropDevice* a = AddProp(root, "A", "N");
    Bytes section = Body();
    AppendU8Entry(section, "N", 4);
    const Bytes bytes = Ended(section);
    const common::CNarrowString nameA("A");
    const common::CNarrowString nameRoot("ROOT");
    emu::CObject* rootObject = &root;
    emu::CObject* objectA = a;

    CTestStream stream(bytes);
    bool changed = false;
    EXPECT_FALSE(emu::FindChildForLoad(nullptr, &stream.Stream(), nameA, &changed));
    EXPECT_FALSE(emu::FindChildForLoad(rootObject, &stream.Stream(), nameRoot, &changed));
    EXPECT_TRUE(emu::FindChildForLoad(rootObject, &stream.Stream(), nameA, &changed));
    EXPECT_EQ(a->m_value, 4);

    CTestStream again(bytes);
    a->m_value = 0;
    EXPECT_FALSE(emu::TestChildForCompare(objectA, &again.Stream(), nameRoot, &changed));
    EXPECT_TRUE(emu::TestChildForCompare(objectA, &again.Stream(), nameA, &changed));
    EXPECT_TRUE(changed);
    EXPECT_EQ(a->m_value, 4);

    EXPECT_FALSE(emu::ValidateLoadedChild(nullptr, nullptr));
    EXPECT_TRUE(emu::ValidateLoadedChild(rootObject, &nameA));
    a->m_limit = 1;
    EXPECT_FALSE(emu::ValidateComparedChild(rootObject, nullptr));
    EXPECT_EQ(a->m_value, 1);
}

} // namespace
