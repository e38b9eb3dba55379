// The memory map's slow path, the port space and the interrupt lines allocate
// nothing on an access once their registrations are made. This program
// replaces the global allocation functions to count the calls.
#include <gtest/gtest.h>

#include "AllocationCounter.h"
#include "emu/framework/CInterrupts.h"
#include "emu/framework/CMemory.h"
#include "emu/framework/CPorts.h"
#include "emu/framework/MemoryTestSupport.h"

namespace {

bool ReadAnswer(void*, uint32_t address, uint32_t size, uint8_t* value, uint8_t) {
    for (uint32_t i = 0; i < size; ++i)
        value[i] = static_cast<uint8_t>(address + i);
    return (address & 1) == 0;
}
bool WriteAnswer(void*, uint32_t address, uint32_t, uint8_t*) {
    return (address & 1) == 0;
}
bool InputAnswer(void*, uint32_t port, uint32_t, uint8_t* value, uint8_t) {
    value[0] = static_cast<uint8_t>(port);
    return port % 3 != 0;
}
bool OutputAnswer(void*, uint32_t port, uint32_t, uint8_t*) {
    return port % 3 != 0;
}
bool LineAnswer(void*, uint32_t line, bool) {
    return line < 4;
}
bool AckAnswer(void*, bool, int32_t* line, int32_t*, int32_t*) {
    *line = 1;
    return true;
}
bool PendingAnswer(void*, int32_t line) {
    return line == 2;
}
bool Hook(void*, uint32_t, uint32_t, uint32_t, emu::CProcessorInterface*, uint64_t* out) {
    ++*out;
    return true;
}

TEST(ServiceAccessAllocationTest, AccessesAllocateNothing) {
    memtest::CRecordingMachine machine;
    emu::CMemory memory;
    ASSERT_TRUE(memory.Allocate(0x10000, 0, 0x1000));
    memory.SetReadHandler(4, 4, nullptr, ReadAnswer, true);
    memory.SetWriteHandler(4, 4, nullptr, WriteAnswer, true);
    memory.SetReadAlias(10, 4, 2);
    memory.SetWriteAlias(12, 5, 2);
    memory.SetPageAccess(0, 20, 1);
    emu::CPorts ports;
    ASSERT_TRUE(ports.SetInputHandler(0x10, nullptr, InputAnswer));
    ASSERT_TRUE(ports.SetOutputHandler(0x10, nullptr, OutputAnswer));
    emu::CInterrupts interrupts;
    interrupts.SetOwner(&machine);
    ASSERT_TRUE(interrupts.RegisterController(&machine, AckAnswer, LineAnswer, PendingAnswer));
    ASSERT_TRUE(interrupts.SetVectorHookB(7, nullptr, Hook));

    const long before = alloctest::g_allocations.load();
    uint32_t sum = 0;
    for (uint32_t a = 0; a < 0x12000; a += 3) {
        sum += memory.ReadByte(a, 0) + memory.ReadWord(a, 1) + memory.ReadDword(a, 0);
        memory.WriteByte(a, static_cast<uint8_t>(a));
        memory.WriteWord(a + 1, static_cast<uint16_t>(a));
        memory.WriteDword(a + 2, a);
    }
    memory.SwitchExtraArea(true);
    memory.SwitchExtraArea(false);
    for (uint32_t port = 0; port < 0x300; ++port) {
        uint8_t status = 0;
        sum +=
            ports.InputByte(port, 0, &status) + ports.InputWord(port, 0, &status) + ports.InputDword(port, 0, nullptr);
        ports.OutputByte(port, 1);
        ports.OutputWord(port, 2);
        ports.OutputDword(port, 3);
    }
    int32_t line = 0, vector = 0, address = 0;
    uint64_t out = 0;
    for (uint32_t l = 0; l < 8; ++l) {
        interrupts.SetRequestLine(l, true);
        interrupts.RaiseInterrupt(l, true);
        interrupts.AcknowledgeInterrupt(true, &line, &vector, &address);
        interrupts.SetRequestLine(l, false);
        interrupts.CallVectorHookB(7, 0, 0, &out);
        interrupts.CallVectorHookA(l, 0, 0, &out);
    }
    EXPECT_EQ(before, alloctest::g_allocations.load());
    EXPECT_NE(0u, sum);
    EXPECT_EQ(23, machine.m_interruptChecks); // three per line, but a pending line is not raised again
}

} // namespace
