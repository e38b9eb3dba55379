#include <gtest/gtest.h>

#include <vector>

#include "emu/framework/CPorts.h"
#include "emu/framework/MemoryTestSupport.h"

namespace {

using emu::CPorts;

// A port handler that records its calls; it answers sizes from `sizes`
// (bit n set: answers size n) with `value` + port offset in each byte.
struct CPortProbe {
    struct CCall {
        uint32_t port;
        uint32_t size;
        uint8_t flag;
        uint32_t value;
    };
    uint32_t sizes = 0xFFFFFFFF;
    uint8_t value = 0x40;
    uint8_t status = 0;
    std::vector<CCall> calls;

    static bool Input(void* context, uint32_t port, uint32_t size, uint8_t* value, uint8_t flag) {
        CPortProbe* self = static_cast<CPortProbe*>(context);
        self->calls.push_back({port, size, flag, 0});
        if ((self->sizes & (1u << size)) == 0)
            return false;
        for (uint32_t i = 0; i < size; ++i)
            value[i] = static_cast<uint8_t>(self->value + (port & 0xF) + i);
        return true;
    }
    static bool StatusInput(void* context, uint32_t port, uint32_t size, uint8_t* value, uint8_t flag,
                            uint8_t* status) {
        CPortProbe* self = static_cast<CPortProbe*>(context);
        EXPECT_EQ(0, *status); // preset by the service
        *status = self->status;
        return Input(context, port, size, value, flag);
    }
    static bool Output(void* context, uint32_t port, uint32_t size, uint8_t* value) {
        CPortProbe* self = static_cast<CPortProbe*>(context);
        uint32_t data = 0;
        for (uint32_t i = 0; i < size; ++i)
            data |= static_cast<uint32_t>(value[i]) << (8 * i);
        self->calls.push_back({port, size, 0, data});
        return (self->sizes & (1u << size)) != 0;
    }
};

class PortsTest : public ::testing::Test {
protected:
    CPorts m_ports;
    CPortProbe m_probe;
};

TEST_F(PortsTest, FreshServiceAnswersFFWithStatusZero) {
    for (uint32_t port : {0u, 0x10u, 0xFFu, 0x1234u, 0xFFFFu}) {
        uint8_t status = 0x5A;
        EXPECT_EQ(0xFF, m_ports.InputByte(port, 0, &status)) << port;
        EXPECT_EQ(0, status);
    }
    EXPECT_EQ(0xFFFF, m_ports.InputWord(0x20, 0, nullptr));
    EXPECT_EQ(0xFFFFFFFFu, m_ports.InputDword(0x30, 0, nullptr));
    m_ports.OutputDword(0x30, 0x12345678); // dropped
}

TEST_F(PortsTest, HandlerAnswersAndDeclinedInputFallsThrough) {
    ASSERT_TRUE(m_ports.SetInputHandler(0x10, &m_probe, CPortProbe::Input));
    EXPECT_EQ(0x40, m_ports.InputByte(0x10, 1, nullptr));
    ASSERT_EQ(1u, m_probe.calls.size());
    EXPECT_EQ(1, m_probe.calls[0].flag);
    m_probe.sizes = 0;
    EXPECT_EQ(0xFF, m_ports.InputByte(0x10, 0, nullptr));
    // With a fallback, the fallback decides.
    CPortProbe fallback;
    fallback.value = 0x70;
    m_ports.SetFallbackInput(&fallback, CPortProbe::Input, nullptr);
    EXPECT_EQ(0x70, m_ports.InputByte(0x10, 0, nullptr));
    EXPECT_EQ(0x71, m_ports.InputByte(0x21, 0, nullptr)); // no page at all
    fallback.sizes = 0;
    EXPECT_EQ(0xFF, m_ports.InputByte(0x10, 0, nullptr));
}

TEST_F(PortsTest, StatusHandlerReportsItsStatus) {
    CPortProbe fallback;
    fallback.status = 3;
    m_probe.status = 9;
    ASSERT_TRUE(m_ports.SetInputHandlerWithStatus(0x300, &m_probe, CPortProbe::StatusInput));
    m_ports.SetFallbackInput(&fallback, nullptr, CPortProbe::StatusInput);
    uint8_t status = 0;
    EXPECT_EQ(0x40, m_ports.InputByte(0x300, 0, &status));
    EXPECT_EQ(9, status);
    EXPECT_EQ(0x41, m_ports.InputByte(0x301, 0, &status));
    EXPECT_EQ(3, status);
}

TEST_F(PortsTest, RegistrationsReplaceAndRefuse) {
    CPortProbe other;
    other.value = 0x60;
    ASSERT_TRUE(m_ports.SetInputHandler(0x10, &m_probe, CPortProbe::Input));
    EXPECT_TRUE(m_ports.SetInputHandler(0x10, &other, nullptr)); // a null handler changes nothing
    EXPECT_EQ(0x40, m_ports.InputByte(0x10, 0, nullptr));
    // One input kind replaces the other.
    ASSERT_TRUE(m_ports.SetInputHandlerWithStatus(0x10, &other, CPortProbe::StatusInput));
    EXPECT_EQ(0x60, m_ports.InputByte(0x10, 0, nullptr));
    ASSERT_TRUE(m_ports.SetInputHandler(0x10, &m_probe, CPortProbe::Input));
    EXPECT_EQ(0x40, m_ports.InputByte(0x10, 0, nullptr));
    EXPECT_FALSE(m_ports.SetInputHandler(65536, &m_probe, CPortProbe::Input));
    EXPECT_FALSE(m_ports.SetInputHandlerWithStatus(65536, &m_probe, CPortProbe::StatusInput));
    EXPECT_FALSE(m_ports.SetOutputHandler(static_cast<uint32_t>(-1), &m_probe, CPortProbe::Output));
    EXPECT_TRUE(m_ports.SetOutputHandler(65535, &m_probe, CPortProbe::Output));
    EXPECT_FALSE(m_ports.RemoveInputHandler(65536));
    EXPECT_FALSE(m_ports.RemoveOutputHandler(65536));
}

TEST_F(PortsTest, RemovedHandlersStopAnswering) {
    m_ports.SetInputHandler(0x10, &m_probe, CPortProbe::Input);
    m_ports.SetOutputHandler(0x10, &m_probe, CPortProbe::Output);
    ASSERT_TRUE(m_ports.RemoveInputHandler(0x10));
    ASSERT_TRUE(m_ports.RemoveOutputHandler(0x10));
    EXPECT_TRUE(m_ports.RemoveInputHandler(0x5000)); // nothing there
    EXPECT_EQ(0xFF, m_ports.InputByte(0x10, 0, nullptr));
    m_ports.OutputByte(0x10, 1);
    EXPECT_TRUE(m_probe.calls.empty());
}

TEST_F(PortsTest, WideInputsAreOfferedWholeThenAssembled) {
    m_ports.SetInputHandler(0x80, &m_probe, CPortProbe::Input);
    m_ports.SetInputHandler(0x81, &m_probe, CPortProbe::Input);
    EXPECT_EQ(0x4140, m_ports.InputWord(0x80, 0, nullptr));
    ASSERT_EQ(1u, m_probe.calls.size());
    EXPECT_EQ(2u, m_probe.calls[0].size);
    // Refusing size 2 but answering bytes gives port and port + 1.
    m_probe.sizes = 1u << 1;
    m_probe.calls.clear();
    EXPECT_EQ(0x4140, m_ports.InputWord(0x80, 0, nullptr));
    ASSERT_EQ(3u, m_probe.calls.size());
    EXPECT_EQ(0x81u, m_probe.calls[2].port);
    // A dword of bytes: two words, each refused, then four bytes; 0x82 and 0x83 answer FF.
    EXPECT_EQ(0xFFFF4140u, m_ports.InputDword(0x80, 0, nullptr));
}

TEST_F(PortsTest, OutputsGoToHandlerThenFallbackThenSplit) {
    CPortProbe fallback;
    ASSERT_TRUE(m_ports.SetOutputHandler(0x42, &m_probe, CPortProbe::Output));
    m_ports.SetFallbackOutput(&fallback, CPortProbe::Output);
    m_ports.OutputByte(0x42, 0x99);
    ASSERT_EQ(1u, m_probe.calls.size());
    EXPECT_EQ(0x99u, m_probe.calls[0].value);
    EXPECT_TRUE(fallback.calls.empty());
    m_probe.sizes = 0;
    m_ports.OutputByte(0x42, 0x98);
    ASSERT_EQ(1u, fallback.calls.size());
    EXPECT_EQ(0x98u, fallback.calls[0].value);
    // Neither takes a dword: two words, then four bytes, low part first.
    fallback.sizes = 1u << 1;
    fallback.calls.clear();
    m_ports.OutputDword(0x42, 0x44332211);
    std::vector<uint32_t> bytes;
    for (const CPortProbe::CCall& call : fallback.calls) {
        if (call.size == 1)
            bytes.push_back(call.port << 8 | call.value);
    }
    EXPECT_EQ((std::vector<uint32_t>{0x4211, 0x4322, 0x4433, 0x4544}), bytes);
}

TEST_F(PortsTest, MasksPickTheEntryButHandlersSeeTheCallersPort) {
    m_ports.SetInputHandler(0x12, &m_probe, CPortProbe::Input);
    m_ports.SetMasks(0xFF, 0xFFFF, 0xFFFF, 0xFFFF);
    EXPECT_EQ(0x42, m_ports.InputByte(0x3412, 0, nullptr));
    ASSERT_EQ(1u, m_probe.calls.size());
    EXPECT_EQ(0x3412u, m_probe.calls[0].port);
    // Start puts the masks back and drops every registration.
    int32_t rate = 4900;
    ASSERT_TRUE(m_ports.Start(&rate));
    EXPECT_EQ(0xFF, m_ports.InputByte(0x12, 0, nullptr));
    m_ports.SetInputHandler(0x12, &m_probe, CPortProbe::Input);
    EXPECT_EQ(0xFF, m_ports.InputByte(0x3412, 0, nullptr));
}

TEST_F(PortsTest, StopDropsRegistrationsAndFallbacks) {
    m_ports.SetInputHandler(0x12, &m_probe, CPortProbe::Input);
    m_ports.SetFallbackInput(&m_probe, CPortProbe::Input, nullptr);
    m_ports.Stop();
    EXPECT_EQ(0xFF, m_ports.InputByte(0x12, 0, nullptr));
    EXPECT_EQ(0xFF, m_ports.InputByte(0x13, 0, nullptr));
    EXPECT_TRUE(m_probe.calls.empty());
}

TEST_F(PortsTest, StateHoldsOnlyItsVersion) {
    m_ports.SetInputHandler(0x12, &m_probe, CPortProbe::Input);
    const test::Bytes saved = memtest::SaveBytes(m_ports);
    test::Bytes expected;
    test::AppendVersionChunk(expected, "_PORTS");
    EXPECT_EQ(expected, saved);
    ASSERT_TRUE(memtest::LoadBytes(m_ports, saved));
    EXPECT_EQ(saved, memtest::SaveBytes(m_ports));
    EXPECT_EQ(0x42, m_ports.InputByte(0x12, 0, nullptr)); // registrations untouched
    test::Bytes wrong;
    test::AppendVersionChunk(wrong, "_PORTS", 1);
    EXPECT_FALSE(memtest::LoadBytes(m_ports, wrong));
    test::Bytes misnamed;
    test::AppendVersionChunk(misnamed, "_PORT");
    EXPECT_FALSE(memtest::LoadBytes(m_ports, misnamed));
}

} // namespace
