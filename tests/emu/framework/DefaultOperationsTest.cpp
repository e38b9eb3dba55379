#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

#include "common/CNarrowString.h"
#include "common/CSettingsRegistry.h"
#include "common/CTextConsole.h"
#include "emu/framework/COptionTree.h"
#include "emu/framework/CSelectorDevice.h"
#include "emu/framework/FrameworkTestSupport.h"

using test::Bytes;
using test::CTestStream;

namespace {

// Classes that override nothing: whatever they answer is the base's default.
class CBareObject : public emu::CObject {};
class CBareContainer : public emu::CObjectContainer {};
class CBareDevice : public emu::CDevice {};
class CBareSelector : public emu::CSelectorDevice {};

struct CKind {
    const char* m_name;
    std::function<emu::CObject*()> m_create;
    bool m_container;
    bool m_device;
};

const CKind kKinds[] = {
    {"object", [] { return new CBareObject(); }, false, false},
    {"container", [] { return new CBareContainer(); }, true, false},
    {"device", [] { return new CBareDevice(); }, true, true},
};

// The bytes of SaveData: nothing for objects, the two version chunks for a device.
Bytes OwnData(const CKind& kind) {
    Bytes bytes;
    if (kind.m_device)
        test::AppendDeviceData(bytes);
    return bytes;
}

TEST(DefaultOperationsTest, ClassesThatOverrideNothingAnswerTheBaseDefaults) {
    for (const CKind& kind : kKinds) {
        SCOPED_TRACE(kind.m_name);
        std::unique_ptr<emu::CObject> object(kind.m_create());

        // Properties: nothing added; a plain object refuses a missing registry
        // (a container answers for its children, and has none here).
        common::CSettingsRegistry registry;
        if (!kind.m_container) {
            EXPECT_FALSE(object->CollectProperties(nullptr, false));
        }
        EXPECT_TRUE(object->CollectProperties(&registry, false));
        EXPECT_TRUE(object->CollectProperties(&registry, true));
        EXPECT_TRUE(object->ValidateProperties(false));
        EXPECT_TRUE(object->ValidateProperties(true));

        // Start leaves the caller's rate alone; stop is harmless.
        int32_t rate = 4900;
        EXPECT_TRUE(object->Start(&rate));
        EXPECT_EQ(rate, 4900);
        object->Stop();

        // No menu kind gets an item.
        emu::COptionTree menu;
        for (int32_t menuKind = 0; menuKind <= 10; ++menuKind)
            object->BuildMenu(&menu, menuKind);
        EXPECT_EQ(menu.GetChildCount(), 0);

        EXPECT_FALSE(object->IsProcessor());
        EXPECT_EQ(object->IsDevice(), kind.m_device);

        // Own data: written, and read back consuming exactly those bytes.
        CTestStream out;
        common::CStreamHolder writer(&out.Stream());
        EXPECT_TRUE(object->SaveData(writer));
        EXPECT_EQ(out.GetBytes(), OwnData(kind));
        CTestStream in(OwnData(kind));
        common::CStreamHolder reader(&in.Stream());
        common::CNarrowString errorText("kept");
        EXPECT_TRUE(object->LoadData(reader, &errorText));
        EXPECT_EQ(in.GetPosition(), static_cast<int64_t>(OwnData(kind).size()));
        EXPECT_STREQ(errorText.GetNarrow(), "kept");

        // The name, empty until given.
        EXPECT_STREQ(object->GetName(), "");
        object->SetName("NAME");
        EXPECT_STREQ(object->GetName(), "NAME");

        common::CTextConsole console;
        object->SetConsole(&console);
        EXPECT_EQ(object->GetConsole(), &console);

        if (kind.m_container) {
            auto* container = static_cast<emu::CObjectContainer*>(object.get());
            EXPECT_TRUE(container->QueryTrue(nullptr));
            EXPECT_TRUE(container->QueryTrue(&errorText));
            EXPECT_STREQ(errorText.GetNarrow(), "kept");
        }
        if (kind.m_device) {
            auto* device = static_cast<emu::CDevice*>(object.get());
            EXPECT_EQ(device->HandleRequest(1, 2, 3, 4, 5, 6, 7, 8), 0u);
            EXPECT_FALSE(device->IsSelector());
            EXPECT_FALSE(device->HandleEvent(0, 0, 0));
            EXPECT_FALSE(device->HandleEvent(0xFFFFFFFFu, 1, 0xFFFFFFFFu));
        }
    }
}

TEST(DefaultOperationsTest, SelectorIsASelectorThatAcceptsEveryLoad) {
    CBareSelector selector;
    EXPECT_TRUE(selector.IsDevice());
    EXPECT_TRUE(selector.IsSelector());
    EXPECT_FALSE(selector.IsProcessor());
    EXPECT_TRUE(selector.QueryTrue(nullptr));
    common::CNarrowString errorText("kept");
    EXPECT_TRUE(selector.QueryTrue(&errorText));
    EXPECT_STREQ(errorText.GetNarrow(), "kept");
}

TEST(DefaultOperationsTest, MachineInterfaceWithoutHookAsksToPrintAndNeverBreaks) {
    test::CFakeMachine machine;
    for (bool request : {false, true}) {
        bool stop = request;
        bool print = false;
        EXPECT_EQ(machine.CheckBreak(&stop, &print), 0u);
        EXPECT_TRUE(print);
        EXPECT_EQ(stop, request);
    }
}

// A device that overrides only its own data: everything else it inherits must
// still work together, here the whole state round trip of a mixed tree.
class CDataOnlyDevice : public emu::CDevice {
public:
    bool SaveData(common::CStreamHolder& holder) override {
        return CDevice::SaveData(holder) && holder.WriteUInt8Field(m_value, common::CNarrowString("VALU"));
    }
    bool LoadData(common::CStreamHolder& holder, common::CNarrowString* errorText) override {
        return CDevice::LoadData(holder, errorText) && holder.ReadUInt8Field(m_value, common::CNarrowString("VALU"));
    }
    uint8_t m_value = 0;
};

TEST(DefaultOperationsTest, PartlyOverriddenTreeSavesLoadsAndSavesAgainIdentically) {
    auto build = [](CDataOnlyDevice*& data) {
        auto* root = new CBareDevice();
        root->SetName("ROOT");
        root->AddChild(new CBareObject(), "OBJ", nullptr);
        auto* container = new CBareContainer();
        root->AddChild(container, "BOX", nullptr);
        data = new CDataOnlyDevice();
        container->AddChild(data, "DATA", "D");
        return std::unique_ptr<emu::CDevice>(root);
    };
    CDataOnlyDevice* first = nullptr;
    std::unique_ptr<emu::CDevice> original = build(first);
    first->m_value = 0x5A;
    int32_t rate = 50;
    ASSERT_TRUE(original->Start(&rate));
    EXPECT_TRUE(original->Reset(emu::CDevice::kResetStarted));

    CTestStream saved;
    common::CStreamHolder writer(&saved.Stream());
    ASSERT_TRUE(original->SaveState(writer));
    original->Stop();

    CDataOnlyDevice* second = nullptr;
    std::unique_ptr<emu::CDevice> copy = build(second);
    CTestStream in(saved.GetBytes());
    common::CStreamHolder reader(&in.Stream());
    ASSERT_TRUE(copy->LoadState(reader, nullptr));
    EXPECT_EQ(second->m_value, 0x5A);

    CTestStream again;
    common::CStreamHolder rewriter(&again.Stream());
    ASSERT_TRUE(copy->SaveState(rewriter));
    EXPECT_EQ(again.GetBytes(), saved.GetBytes());
}

} // namespace
