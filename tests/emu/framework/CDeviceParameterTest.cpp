#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "emu/framework/FrameworkTestSupport.h"

using emu::CDeviceParameter;
using emu::CDeviceParameterList;
using test::Bytes;
using test::CTestStream;

namespace {

const uint64_t k2Pow32 = uint64_t(1) << 32;

TEST(ParameterDeclarationTest, EveryAddOperationMakesItsTypeWithItsHandlers) {
    CDeviceParameterList list;
    bool flag = false;
    uint64_t first = 3;
    uint64_t count = 2;
    ASSERT_TRUE(list.AddMemoryWindow("MEMORY", false, &flag, &first, &count, test::TestRead, nullptr));
    ASSERT_TRUE(list.AddPorts("P1", false, &flag, &first, &count, nullptr, test::TestOutput));
    ASSERT_TRUE(list.AddPorts2("P2", true, true, 0x10, 1, test::TestInput, test::TestOutput));
    ASSERT_TRUE(list.AddPorts3("P3", false, &flag, &first, &count, test::TestStatusInput, nullptr));
    ASSERT_TRUE(list.AddPortRange("P4", true, false, 0x20, 7, test::TestStatusInput, test::TestOutput));
    ASSERT_TRUE(list.AddPorts5("P5", true, true, 0x30, 1, test::TestOutput));
    ASSERT_TRUE(list.AddValue("IRQ", true, nullptr, &first));
    ASSERT_TRUE(list.AddValue2("DMA", false, &flag, &first, &count));
    ASSERT_TRUE(list.AddInterruptVector("V1", false, &flag, &first, &count, test::TestHook));
    ASSERT_TRUE(list.AddInterruptVector2("V2", false, 8, 1, test::TestHook));
    ASSERT_TRUE(list.AddInterruptTableEntry("T1", false, &flag, &first, &count, test::TestHook));
    ASSERT_TRUE(list.AddInterruptTableEntry2("T2", false, 9, 1, test::TestHook));

    struct Expect {
        const char* name;
        uint32_t type;
    };
    for (const Expect& e :
         {Expect{"MEMORY", 4}, Expect{"P1", 8}, Expect{"P2", 8}, Expect{"P3", 8}, Expect{"P4", 8}, Expect{"P5", 8},
          Expect{"IRQ", 1}, Expect{"DMA", 2}, Expect{"V1", 16}, Expect{"V2", 16}, Expect{"T1", 32}, Expect{"T2", 32}}) {
        CDeviceParameter* p = list.FindByName(e.name);
        ASSERT_NE(p, nullptr) << e.name;
        EXPECT_EQ(p->GetType(), e.type) << e.name;
        EXPECT_TRUE(p->IsEnabled()) << e.name;
        EXPECT_FALSE(p->IsApplied()) << e.name;
    }
    EXPECT_EQ(list.Find("P2")->GetInputHandler(), &test::TestInput);
    EXPECT_EQ(list.Find("P4")->GetInputHandler(), nullptr);
    EXPECT_EQ(list.Find("P4")->GetStatusInputHandler(), &test::TestStatusInput);
    EXPECT_EQ(list.Find("P5")->GetInputHandler(), nullptr);
    EXPECT_EQ(list.Find("P5")->GetOutputHandler(), &test::TestOutput);
    EXPECT_EQ(list.Find("MEMORY")->GetReadHandler(), &test::TestRead);
    EXPECT_EQ(list.Find("MEMORY")->GetWriteHandler(), nullptr);
    EXPECT_TRUE(list.Find("V2")->IsFixed());
    EXPECT_TRUE(list.Find("T2")->IsFixed());
    EXPECT_EQ(list.GetCount(), 12);
}

TEST(ParameterDeclarationTest, DeclarationsWithoutHandlerOrNameAreRefused) {
    CDeviceParameterList list;
    bool flag = false;
    uint64_t value = 0;
    EXPECT_FALSE(list.AddMemoryWindow("M", false, &flag, &value, &value, nullptr, nullptr));
    EXPECT_FALSE(list.AddPorts("P", false, &flag, &value, &value, nullptr, nullptr));
    EXPECT_FALSE(list.AddPorts2("P", true, true, 1, 1, nullptr, nullptr));
    EXPECT_FALSE(list.AddPorts3("P", false, &flag, &value, &value, nullptr, nullptr));
    EXPECT_FALSE(list.AddPortRange("P", true, true, 1, 1, nullptr, nullptr));
    EXPECT_FALSE(list.AddPorts5("P", true, true, 1, 1, nullptr));
    EXPECT_FALSE(list.AddInterruptVector("V", false, &flag, &value, &value, nullptr));
    EXPECT_FALSE(list.AddInterruptVector2("V", false, 1, 1, nullptr));
    EXPECT_FALSE(list.AddInterruptTableEntry("V", false, &flag, &value, &value, nullptr));
    EXPECT_FALSE(list.AddInterruptTableEntry2("V", false, 1, 1, nullptr));
    EXPECT_FALSE(list.AddValue("IRQ", false, nullptr, &value));
    EXPECT_FALSE(list.AddValue2("DMA", false, nullptr, &value, &value));
    EXPECT_FALSE(list.AddPorts2(nullptr, true, true, 1, 1, test::TestInput, nullptr));
    EXPECT_EQ(list.GetCount(), 0);
}

TEST(ParameterDeclarationTest, FlagTargetIsReadAsFixedAndCleared) {
    CDeviceParameterList list;
    bool flag = true;
    uint64_t line = 5;
    ASSERT_TRUE(list.AddValue("IRQ", false, &flag, &line));
    EXPECT_FALSE(flag);
    EXPECT_TRUE(list.Find("IRQ")->IsFixed());
    EXPECT_EQ(list.Find("IRQ")->GetDeclaredFirst(), 5u);
    EXPECT_EQ(list.Find("IRQ")->GetDeclaredSecond(), 1u);

    bool other = false;
    ASSERT_TRUE(list.AddValue("DMA", false, &other, &line));
    EXPECT_FALSE(list.Find("DMA")->IsFixed());
}

TEST(ParameterDeclarationTest, RefusedDeclarationLeavesTheListAndTheVariablesAlone) {
    CDeviceParameterList list;
    bool flag = true;
    uint64_t first = 1;
    uint64_t count = 1;
    ASSERT_TRUE(list.AddPorts("PORTS", true, &flag, &first, &count, test::TestInput, nullptr));
    CDeviceParameter* original = list.Find("PORTS");

    bool flag2 = true;
    EXPECT_FALSE(list.AddPorts("PORTS", true, &flag2, &first, &count, test::TestInput, nullptr));
    EXPECT_TRUE(flag2);
    EXPECT_EQ(list.Find("PORTS"), original);

    bool flag3 = true;
    EXPECT_FALSE(list.AddPorts("OTHER", true, &flag3, &first, &count, nullptr, nullptr));
    EXPECT_TRUE(flag3);
    EXPECT_EQ(list.GetCount(), 1);
}

TEST(ParameterDeclarationTest, ZeroCountsAreDeclaredAsOne) {
    CDeviceParameterList list;
    uint64_t first = 0x40;
    uint64_t count = 0;
    ASSERT_TRUE(list.AddPorts("A", true, nullptr, &first, &count, test::TestInput, nullptr));
    EXPECT_EQ(list.Find("A")->GetDeclaredSecond(), 1u);
    ASSERT_TRUE(list.AddPorts2("B", true, true, 0x41, 0, test::TestInput, nullptr));
    EXPECT_EQ(list.Find("B")->GetDeclaredSecond(), 1u);
    ASSERT_TRUE(list.AddInterruptVector2("C", true, 3, 0, test::TestHook));
    EXPECT_EQ(list.Find("C")->GetDeclaredSecond(), 1u);
    ASSERT_TRUE(list.AddPorts2("D", true, true, 0x42, k2Pow32, test::TestInput, nullptr));
    EXPECT_EQ(list.Find("D")->GetDeclaredSecond(), k2Pow32);
}

TEST(ParameterListTest, GetAtWalksInNameOrderFromTheCursor) {
    CDeviceParameterList list;
    const char* names[] = {"G", "B", "E", "A", "F", "C", "D"};
    for (const char* name : names)
        ASSERT_TRUE(list.AddPorts2(name, true, true, 1, 1, test::TestInput, nullptr));
    EXPECT_EQ(list.GetAt(-1), nullptr);
    EXPECT_EQ(list.GetAt(list.GetCount()), nullptr);
    std::string order;
    for (int i = 0; i < list.GetCount(); ++i)
        order += list.GetAt(i)->GetName().GetNarrow();
    EXPECT_EQ(order, "ABCDEFG");
    EXPECT_STREQ(list.GetAt(5)->GetName().GetNarrow(), "F");
    EXPECT_STREQ(list.GetAt(2)->GetName().GetNarrow(), "C");
    EXPECT_STREQ(list.GetAt(6)->GetName().GetNarrow(), "G");
    ASSERT_TRUE(list.Remove("C"));
    EXPECT_STREQ(list.GetAt(2)->GetName().GetNarrow(), "D");
}

TEST(ParameterListTest, TakeAndInsertMoveOwnership) {
    CDeviceParameterList list;
    ASSERT_TRUE(list.AddPorts2("A", true, true, 1, 1, test::TestInput, nullptr));
    CDeviceParameter* taken = list.Take("A");
    ASSERT_NE(taken, nullptr);
    EXPECT_EQ(list.Take("A"), nullptr);
    EXPECT_FALSE(list.Insert(nullptr, "A"));
    ASSERT_TRUE(list.Insert(taken, "Z"));
    EXPECT_EQ(list.Find("Z"), taken);
    auto* duplicate = new CDeviceParameter("Z", true, true, 0, 0);
    EXPECT_FALSE(list.Insert(duplicate, "Z"));
    delete duplicate;
    list.Clear();
    EXPECT_EQ(list.GetCount(), 0);
    EXPECT_EQ(list.GetAt(0), nullptr);
}

TEST(ParameterListTest, RemoveRestoresAnAppliedParameterAndAsksTheMachine) {
    CDeviceParameterList list;
    EXPECT_TRUE(list.Remove("NONE"));

    bool flag = false;
    uint64_t line = 4;
    ASSERT_TRUE(list.AddValue("IRQ", true, &flag, &line));
    emu::CParameterBinder binder;
    ASSERT_TRUE(binder.BindValue(list.Find("IRQ")));
    EXPECT_TRUE(flag);
    line = 9;
    test::CFakeMachine machine;
    list.SetMachine(&machine);
    EXPECT_TRUE(list.Remove("IRQ"));
    EXPECT_FALSE(flag);
    EXPECT_EQ(line, 4u);
    EXPECT_EQ(machine.m_bindRequests, std::vector<uint32_t>{0});
    EXPECT_EQ(list.Find("IRQ"), nullptr);
}

TEST(ParameterListTest, DeclarationWithAMachineAnswersItsBinding) {
    test::CFakeMachine machine;
    CDeviceParameterList list;
    list.SetMachine(&machine);
    ASSERT_TRUE(list.AddPorts2("PORTS", true, true, 1, 1, test::TestInput, nullptr));
    EXPECT_EQ(machine.m_bindRequests, std::vector<uint32_t>{8});
}

TEST(ParameterValueTest, FixedParameterAppliesOnlyItsDeclaredValues) {
    uint64_t first = 7;
    uint64_t second = 2;
    bool flag = true;
    CDeviceParameter fixed("F", false, &flag, &first, &second);
    ASSERT_TRUE(fixed.SetValue2Type());

    fixed.SetValue(true, 8, 2);
    EXPECT_FALSE(fixed.IsApplied());
    EXPECT_FALSE(flag);
    EXPECT_EQ(first, 7u);
    EXPECT_EQ(second, 2u);

    fixed.SetValue(true, 7, 2);
    EXPECT_TRUE(fixed.IsApplied());
    EXPECT_TRUE(flag);

    bool loose = false;
    CDeviceParameter loosePar("N", false, &loose, &first, &second);
    loosePar.SetValue(true, 11, 12);
    EXPECT_TRUE(loosePar.IsApplied());
    EXPECT_TRUE(loose);
    EXPECT_EQ(first, 11u);
    EXPECT_EQ(second, 12u);
    EXPECT_EQ(loosePar.GetCurrentFirst(), 11u);
    loosePar.SetValue(false, 1, 1);
    EXPECT_FALSE(loose);
    EXPECT_EQ(first, 7u);
    EXPECT_EQ(second, 2u);
}

TEST(ParameterValueTest, DisablingRestoresAndABindingSkipsTheParameter) {
    CDeviceParameterList list;
    bool flag = false;
    uint64_t value = 3;
    ASSERT_TRUE(list.AddValue("IRQ", true, &flag, &value));
    CDeviceParameter* p = list.Find("IRQ");
    emu::CParameterBinder binder;
    ASSERT_TRUE(binder.BindValue(p));
    value = 99;
    p->SetEnabled(false);
    EXPECT_FALSE(p->IsApplied());
    EXPECT_FALSE(flag);
    EXPECT_EQ(value, 3u);
    EXPECT_TRUE(binder.BindValue(p));
    EXPECT_FALSE(p->IsApplied());
    EXPECT_FALSE(flag);
}

TEST(ParameterValueTest, RestoreAllPutsTheDeclaredValuesBack) {
    CDeviceParameterList list;
    bool flagA = false;
    bool flagB = false;
    uint64_t a = 1;
    uint64_t b = 2;
    ASSERT_TRUE(list.AddValue("A", true, &flagA, &a));
    ASSERT_TRUE(list.AddValue("B", true, &flagB, &b));
    emu::CParameterBinder binder;
    binder.BindValue(list.Find("A"));
    binder.BindValue(list.Find("B"));
    a = 10;
    b = 20;
    list.RestoreAll();
    EXPECT_FALSE(flagA);
    EXPECT_FALSE(flagB);
    EXPECT_EQ(a, 1u);
    EXPECT_EQ(b, 2u);
    EXPECT_FALSE(list.Find("A")->IsApplied());
}

TEST(ParameterStateTest, ChunkIsTheSameTwentyEightBytesWithOrWithoutParameters) {
    const Bytes expected = {0xF0, 0x81, 0x85, 0x04, 0x00, 0x5F, 0x43, 0x46, 0x50, 0xF8, 0x81, 0x82, 0x03, 0x00,
                            0x56, 0x45, 0x52, 0x00, 0x00, 0xFF, 0x81, 0x85, 0x04, 0x00, 0x5F, 0x43, 0x46, 0x50};
    for (bool withParameters : {false, true}) {
        CDeviceParameterList list;
        if (withParameters)
            list.AddPorts2("PORTS", true, true, 0x10, 4, test::TestInput, test::TestOutput);
        CTestStream stream;
        common::CStreamHolder holder(&stream.Stream());
        ASSERT_TRUE(list.SaveData(holder));
        EXPECT_EQ(stream.GetBytes(), expected);
    }
    CDeviceParameterList list;
    CTestStream in(expected);
    common::CStreamHolder holder(&in.Stream());
    EXPECT_TRUE(list.LoadData(holder, nullptr));
}

TEST(ParameterStateTest, LoadRefusesAnyOtherChunk) {
    Bytes version1;
    test::AppendVersionChunk(version1, "_CFP", 1);
    Bytes otherName;
    test::AppendVersionChunk(otherName, "_CFQ");
    Bytes valid;
    test::AppendVersionChunk(valid, "_CFP");
    Bytes truncated(valid.begin(), valid.end() - 1);
    for (const Bytes& bytes : {version1, otherName, truncated}) {
        CDeviceParameterList list;
        CTestStream in(bytes);
        common::CStreamHolder holder(&in.Stream());
        EXPECT_FALSE(list.LoadData(holder, nullptr));
    }
}

class BinderTest : public ::testing::Test {
protected:
    emu::CParameterBinder m_binder;
    emu::CDevice m_device;
    test::CFakeMemory m_memory{16};
    test::CFakePorts m_ports;
    test::CFakeInterrupts m_interrupts;
    CDeviceParameterList& List() { return *m_device.GetParameters(); }
};

TEST_F(BinderTest, RefusesMissingServicesAndOtherTypes) {
    ASSERT_TRUE(List().AddPorts2("PORTS", true, true, 1, 1, test::TestInput, nullptr));
    CDeviceParameter* ports = List().Find("PORTS");
    EXPECT_FALSE(m_binder.BindPorts(nullptr, ports, &m_device));
    EXPECT_FALSE(m_binder.BindPorts(&m_ports, nullptr, &m_device));
    EXPECT_FALSE(m_binder.BindMemoryWindow(&m_memory, ports, &m_device));
    EXPECT_FALSE(m_binder.BindValue(ports));
    EXPECT_FALSE(m_binder.BindValue2(ports));
    EXPECT_FALSE(m_binder.BindInterruptVector(&m_interrupts, ports, &m_device));
    EXPECT_FALSE(m_binder.BindInterruptTableEntry(&m_interrupts, ports, &m_device));
    EXPECT_FALSE(ports->IsApplied());
}

TEST_F(BinderTest, MemoryWindowInstallsBothHandlersWithTheDeviceAsContext) {
    bool flag = true;
    uint64_t firstPage = 2;
    uint64_t pages = 3;
    ASSERT_TRUE(List().AddMemoryWindow("MEMORY", true, &flag, &firstPage, &pages, test::TestRead, test::TestWrite));
    ASSERT_TRUE(m_binder.BindMemoryWindow(&m_memory, List().Find("MEMORY"), &m_device));
    for (uint32_t page = 0; page < 16; ++page) {
        const bool inside = page >= 2 && page < 5;
        EXPECT_EQ(m_memory.m_pages[page].read, inside ? &test::TestRead : nullptr) << page;
        EXPECT_EQ(m_memory.m_pages[page].write, inside ? &test::TestWrite : nullptr) << page;
        EXPECT_EQ(m_memory.m_pages[page].readContext, inside ? static_cast<void*>(&m_device) : nullptr) << page;
    }
    EXPECT_TRUE(flag);
    EXPECT_TRUE(List().Find("MEMORY")->IsApplied());
}

TEST_F(BinderTest, MemoryWindowPastTheMapFailsAndIsNotApplied) {
    bool flag = true;
    uint64_t firstPage = 14;
    uint64_t pages = 4;
    ASSERT_TRUE(List().AddMemoryWindow("MEMORY", true, &flag, &firstPage, &pages, test::TestRead, test::TestWrite));
    EXPECT_FALSE(m_binder.BindMemoryWindow(&m_memory, List().Find("MEMORY"), &m_device));
    EXPECT_FALSE(flag);
    EXPECT_FALSE(List().Find("MEMORY")->IsApplied());
    // The pages before the end keep what was installed until the parameter is restored.
    EXPECT_EQ(m_memory.m_pages[15].read, &test::TestRead);
    EXPECT_TRUE(List().Find("MEMORY")->HasBinding());
    List().Find("MEMORY")->Restore();
    EXPECT_EQ(m_memory.m_pages[15].read, nullptr);
    EXPECT_FALSE(List().Find("MEMORY")->HasBinding());
}

TEST_F(BinderTest, PortsInstallInputAndOutputOnEveryPort) {
    ASSERT_TRUE(List().AddPorts2("A", true, true, 0x10, 2, test::TestInput, test::TestOutput));
    ASSERT_TRUE(List().AddPortRange("B", true, true, 0x20, 7, test::TestStatusInput, test::TestOutput));
    ASSERT_TRUE(List().AddPorts5("C", true, true, 0x30, 1, test::TestOutput));
    ASSERT_TRUE(m_binder.BindPorts(&m_ports, List().Find("A"), &m_device));
    ASSERT_TRUE(m_binder.BindPorts(&m_ports, List().Find("B"), &m_device));
    ASSERT_TRUE(m_binder.BindPorts(&m_ports, List().Find("C"), &m_device));
    EXPECT_EQ(m_ports.m_entries[0x10].input, &test::TestInput);
    EXPECT_EQ(m_ports.m_entries[0x11].output, &test::TestOutput);
    EXPECT_EQ(m_ports.m_entries[0x11].inputContext, static_cast<void*>(&m_device));
    EXPECT_FALSE(m_ports.HasInput(0x12));
    EXPECT_EQ(m_ports.m_entries[0x20].statusInput, &test::TestStatusInput);
    EXPECT_EQ(m_ports.m_entries[0x26].statusInput, &test::TestStatusInput);
    EXPECT_FALSE(m_ports.HasInput(0x27));
    EXPECT_EQ(m_ports.m_entries[0x30].output, &test::TestOutput);
    EXPECT_FALSE(m_ports.HasInput(0x30));
}

TEST_F(BinderTest, PortCountTargetOfZeroBindsOnePort) {
    bool flag = true;
    uint64_t first = 0x50;
    uint64_t count = 0;
    ASSERT_TRUE(List().AddPorts("PORTS", true, &flag, &first, &count, test::TestInput, nullptr));
    ASSERT_TRUE(m_binder.BindPorts(&m_ports, List().Find("PORTS"), &m_device));
    EXPECT_TRUE(m_ports.HasInput(0x50));
    EXPECT_FALSE(m_ports.HasInput(0x51));
    EXPECT_EQ(count, 1u);
    EXPECT_TRUE(flag);
}

TEST_F(BinderTest, PortRangesThatCannotBeInstalledFail) {
    ASSERT_TRUE(List().AddPorts2("WIDE", true, true, 0x10, k2Pow32, test::TestInput, nullptr));
    EXPECT_FALSE(m_binder.BindPorts(&m_ports, List().Find("WIDE"), &m_device));
    EXPECT_FALSE(m_ports.HasInput(0x10));

    ASSERT_TRUE(List().AddPorts2("TOP", true, true, 0xFFFE, 4, test::TestInput, nullptr));
    EXPECT_FALSE(m_binder.BindPorts(&m_ports, List().Find("TOP"), &m_device));
    EXPECT_TRUE(m_ports.HasInput(0xFFFE));
    EXPECT_TRUE(m_ports.HasInput(0xFFFF));
    EXPECT_FALSE(List().Find("TOP")->IsApplied());
}

TEST_F(BinderTest, InterruptVectorsFillTheirOwnTable) {
    ASSERT_TRUE(List().AddInterruptVector2("A", true, 0x10, 2, test::TestHook));
    ASSERT_TRUE(List().AddInterruptTableEntry2("B", true, 0x20, 0, test::OtherHook));
    ASSERT_TRUE(m_binder.BindInterruptVector(&m_interrupts, List().Find("A"), &m_device));
    ASSERT_TRUE(m_binder.BindInterruptTableEntry(&m_interrupts, List().Find("B"), &m_device));
    EXPECT_EQ(m_interrupts.m_tableA[0x10].hook, &test::TestHook);
    EXPECT_EQ(m_interrupts.m_tableA[0x11].context, static_cast<void*>(&m_device));
    EXPECT_EQ(m_interrupts.m_tableA[0x12].hook, nullptr);
    EXPECT_EQ(m_interrupts.m_tableB[0x20].hook, &test::OtherHook);
    EXPECT_EQ(m_interrupts.m_tableB[0x21].hook, nullptr);
    EXPECT_EQ(m_interrupts.m_tableB[0x10].hook, nullptr);
}

TEST_F(BinderTest, InterruptRangesThatCannotBeInstalledFail) {
    ASSERT_TRUE(List().AddInterruptVector2("HIGH", true, 0xFF, 2, test::TestHook));
    EXPECT_FALSE(m_binder.BindInterruptVector(&m_interrupts, List().Find("HIGH"), &m_device));
    EXPECT_EQ(m_interrupts.m_tableA[0xFF].hook, &test::TestHook);
    ASSERT_TRUE(List().AddInterruptVector2("NEGATIVE", true, 1, 0x80000000u, test::TestHook));
    EXPECT_FALSE(m_binder.BindInterruptVector(&m_interrupts, List().Find("NEGATIVE"), &m_device));
    EXPECT_EQ(m_interrupts.m_tableA[1].hook, nullptr);
}

TEST_F(BinderTest, ValueBindingAppliesTheDeclaredValues) {
    bool flag = true;
    uint64_t first = 6;
    uint64_t second = 0;
    ASSERT_TRUE(List().AddValue2("DMA", false, &flag, &first, &second));
    first = 100;
    ASSERT_TRUE(m_binder.BindValue2(List().Find("DMA")));
    EXPECT_TRUE(flag);
    EXPECT_EQ(first, 6u);
    EXPECT_EQ(second, 1u);
    EXPECT_EQ(List().Find("DMA")->GetCurrentFirst(), 6u);
}

// A device moves its resources while the machine runs: the old places must
// not keep handlers pointing at it.
class RebindTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_machine.m_root = &m_device;
        m_machine.Connect(&m_device);
        m_machine.m_running = true;
    }
    CDeviceParameterList& List() { return *m_device.GetParameters(); }

    emu::CDevice m_device;
    test::CFakeMachine m_machine;
};

TEST_F(RebindTest, MovedMemoryWindowLeavesNoHandlerOnTheOldPages) {
    bool flag = true;
    uint64_t first = 4;
    uint64_t pages = 2;
    ASSERT_TRUE(List().AddMemoryWindow("MEMORY", true, &flag, &first, &pages, test::TestRead, test::TestWrite));
    EXPECT_EQ(m_machine.m_memory.m_pages[4].read, &test::TestRead);
    ASSERT_TRUE(List().Remove("MEMORY"));
    flag = true;
    first = 10;
    ASSERT_TRUE(List().AddMemoryWindow("MEMORY", true, &flag, &first, &pages, test::TestRead, test::TestWrite));
    for (uint32_t page : {4u, 5u}) {
        EXPECT_EQ(m_machine.m_memory.m_pages[page].read, nullptr);
        EXPECT_EQ(m_machine.m_memory.m_pages[page].write, nullptr);
    }
    EXPECT_EQ(m_machine.m_memory.m_pages[10].read, &test::TestRead);
    EXPECT_EQ(m_machine.m_memory.m_pages[11].write, &test::TestWrite);
}

TEST_F(RebindTest, WithdrawnPortsAndVectorsStopAnswering) {
    ASSERT_TRUE(List().AddPorts2("PORTS", true, true, 0x60, 4, test::TestInput, test::TestOutput));
    ASSERT_TRUE(List().AddInterruptVector2("IRQ", true, 5, 1, test::TestHook));
    ASSERT_TRUE(m_machine.m_ports.HasInput(0x63));
    ASSERT_EQ(m_machine.m_interrupts.m_tableA[5].hook, &test::TestHook);

    ASSERT_TRUE(List().Remove("PORTS"));
    ASSERT_TRUE(List().AddPorts2("PORTS", true, true, 0x70, 1, test::TestInput, test::TestOutput));
    ASSERT_TRUE(List().Remove("IRQ"));
    ASSERT_TRUE(List().AddInterruptVector2("IRQ", true, 6, 1, test::TestHook));
    for (uint32_t port = 0x60; port < 0x64; ++port) {
        EXPECT_FALSE(m_machine.m_ports.HasInput(port)) << port;
        EXPECT_EQ(m_machine.m_ports.m_entries[port].output, nullptr) << port;
    }
    EXPECT_TRUE(m_machine.m_ports.HasInput(0x70));
    EXPECT_EQ(m_machine.m_interrupts.m_tableA[5].hook, nullptr);
    EXPECT_EQ(m_machine.m_interrupts.m_tableA[6].hook, &test::TestHook);
}

TEST_F(RebindTest, StoppingOrDisablingTakesTheHandlersOut) {
    ASSERT_TRUE(List().AddPorts2("PORTS", true, true, 0x60, 1, test::TestInput, nullptr));
    ASSERT_TRUE(List().AddInterruptTableEntry2("VEC", true, 7, 1, test::TestHook));
    List().Find("PORTS")->SetEnabled(false);
    EXPECT_FALSE(m_machine.m_ports.HasInput(0x60));
    EXPECT_EQ(m_machine.m_interrupts.m_tableB[7].hook, &test::TestHook);
    m_device.Stop();
    EXPECT_EQ(m_machine.m_interrupts.m_tableB[7].hook, nullptr);
}

TEST_F(RebindTest, RebindingKeepsAnOverlappingLaterDeviceInPlace) {
    auto* second = new emu::CDevice();
    m_device.AddChild(second, "SECOND", nullptr);
    m_machine.Connect(&m_device);
    ASSERT_TRUE(List().AddPorts2("PORTS", true, true, 0x80, 4, test::TestInput, nullptr));
    ASSERT_TRUE(second->GetParameters()->AddPorts2("PORTS", true, true, 0x82, 1, test::TestInput, nullptr));
    EXPECT_EQ(m_machine.m_ports.m_entries[0x82].inputContext, static_cast<void*>(second));
    // A full binding restores and installs every parameter in tree order again.
    ASSERT_TRUE(m_machine.BindParameters(nullptr));
    EXPECT_EQ(m_machine.m_ports.m_entries[0x82].inputContext, static_cast<void*>(second));
    EXPECT_EQ(m_machine.m_ports.m_entries[0x83].inputContext, static_cast<void*>(&m_device));
}

} // namespace
