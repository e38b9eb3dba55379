// The 8080's slices allocate nothing: this program replaces the global
// allocation functions to count the calls while an exerciser runs.
#include <gtest/gtest.h>

#include "AllocationCounter.h"
#include "I8080MachineSupport.h"

TEST(I8080HotPath, SlicesAllocateNothing) {
    const std::vector<uint8_t> program = i8080test::ReadDataFile("CPUTEST.COM");
    ASSERT_FALSE(program.empty());
    i8080test::CTestMachine machine;
    ASSERT_TRUE(machine.PowerOn());
    ASSERT_TRUE(machine.LoadProgram(program));
    machine.m_cpm->m_text.reserve(1 << 16); // the console stand-in's own text
    machine.Slice(i8080test::CTestMachine::kFrameCycles);
    const long before = alloctest::g_allocations.load();
    // Frames and odd slices that leave instructions deferred, BDOS output included.
    for (int i = 0; i < 100; ++i) {
        machine.Slice(i8080test::CTestMachine::kFrameCycles);
        machine.Slice(37);
    }
    EXPECT_EQ(before, alloctest::g_allocations.load());
    EXPECT_FALSE(machine.m_cpm->m_text.empty());
}
