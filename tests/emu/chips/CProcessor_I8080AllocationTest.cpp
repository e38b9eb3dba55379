// The 8080's slices allocate nothing: this program replaces the global
// allocation functions to count the calls while an exerciser runs.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>

#include "I8080MachineSupport.h"

namespace {
std::atomic<long> g_allocations{0};
} // namespace

void* operator new(std::size_t size) {
    g_allocations.fetch_add(1, std::memory_order_relaxed);
    if (void* p = std::malloc(size != 0 ? size : 1))
        return p;
    throw std::bad_alloc();
}
void* operator new[](std::size_t size) {
    return operator new(size);
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    g_allocations.fetch_add(1, std::memory_order_relaxed);
    return std::malloc(size != 0 ? size : 1);
}
void* operator new[](std::size_t size, const std::nothrow_t& tag) noexcept {
    return operator new(size, tag);
}
void operator delete(void* p) noexcept {
    std::free(p);
}
void operator delete[](void* p) noexcept {
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
    std::free(p);
}
void operator delete[](void* p, std::size_t) noexcept {
    std::free(p);
}
void operator delete(void* p, const std::nothrow_t&) noexcept {
    std::free(p);
}
void operator delete[](void* p, const std::nothrow_t&) noexcept {
    std::free(p);
}

TEST(I8080HotPath, SlicesAllocateNothing) {
    const std::vector<uint8_t> program = i8080test::ReadDataFile("CPUTEST.COM");
    ASSERT_FALSE(program.empty());
    i8080test::CTestMachine machine;
    ASSERT_TRUE(machine.PowerOn());
    ASSERT_TRUE(machine.LoadProgram(program));
    machine.m_cpm->m_text.reserve(1 << 16); // the console stand-in's own text
    machine.Slice(i8080test::CTestMachine::kFrameCycles);
    const long before = g_allocations.load();
    // Frames and odd slices that leave instructions deferred, BDOS output included.
    for (int i = 0; i < 100; ++i) {
        machine.Slice(i8080test::CTestMachine::kFrameCycles);
        machine.Slice(37);
    }
    EXPECT_EQ(before, g_allocations.load());
    EXPECT_FALSE(machine.m_cpm->m_text.empty());
}
