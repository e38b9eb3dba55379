#pragma once
// A small machine for the interrupt controller tests: a processor stand-in
// with a chosen kind code, the controller under test on the port space, a
// console that collects trace lines, a break hook that can be told to break,
// and the controller's settings bound in a registry so that tests can set its
// trace and break flags by key.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "common/CMemoryStream.h"
#include "common/CNarrowString.h"
#include "common/CSettingsRegistry.h"
#include "common/CStreamHolder.h"
#include "common/CTextConsole.h"
#include "common/CValue.h"
#include "emu/framework/CInterrupts.h"
#include "emu/framework/CMachine.h"
#include "emu/framework/CPorts.h"
#include "emu/framework/ConsoleColors.h"
#include "emu/framework/FrameworkTestSupport.h"
#include "emu/framework/MachineTestSupport.h"

namespace pictest {

typedef test::Bytes Bytes;

// The processor stand-in, reporting the kind code the test asks for.
class CKindProcessor : public machinetest::CTestProcessor {
public:
    int32_t GetKindCode() override { return m_kind; }
    int32_t m_kind = 3; // the 8080's
};

// What an acknowledge through the interrupt service gave.
struct CAck {
    bool taken = false;
    int32_t line = -1;
    int32_t vector = -1;
    int32_t address = -1;
};

inline bool operator==(const CAck& a, const CAck& b) {
    return a.taken == b.taken && a.line == b.line && a.vector == b.vector && a.address == b.address;
}

inline std::ostream& operator<<(std::ostream& out, const CAck& a) {
    return out << (a.taken ? "taken" : "none") << " line " << a.line << " vector " << a.vector << " address "
               << a.address;
}

struct CTraceLine {
    std::string text;
    common::ARGB colour;
};

// A started machine with one controller device (created by the caller) whose
// ports, when it has them, start at kBasePort.
template <typename Controller> class CControllerMachine {
public:
    static constexpr uint32_t kBasePort = 0x20;

    explicit CControllerMachine(Controller* controller) : m_controller(controller) {
        EXPECT_TRUE(m_machine.Build());
        m_cpu = new CKindProcessor();
        EXPECT_TRUE(m_machine.AddDevice(m_cpu, "CPU", "CPU"));
        // Added under the names it gave itself.
        const std::string name = controller->GetName();
        const std::string shortName = controller->GetShortName();
        EXPECT_TRUE(m_machine.AddDevice(controller, name.c_str(), shortName.c_str()));
        m_machine.SetConsole(&m_console);
        m_machine.SetTraceLevel(&m_level);
        m_machine.SetBreakHook(BreakHook);
        m_machine.SetBreakHookUser(this);
        EXPECT_TRUE(controller->CollectProperties(&m_settings, false));
    }

    bool Start() {
        int32_t rate = 4900;
        return m_machine.Start(&rate);
    }

    emu::CInterrupts& Interrupts() { return *m_machine.GetInterruptsService(); }
    emu::CPorts& Ports() { return *m_machine.GetPortsService(); }

    void Out(uint32_t offset, uint8_t value) { Ports().OutputByte(kBasePort + offset, value); }
    uint8_t In(uint32_t offset, bool peek = false) {
        return Ports().InputByte(kBasePort + offset, peek ? 1 : 0, nullptr);
    }

    bool Raise(uint32_t line) { return Interrupts().SetRequestLine(line, true); }
    bool Lower(uint32_t line) { return Interrupts().SetRequestLine(line, false); }
    CAck Ack(bool commit) {
        CAck ack;
        ack.taken = Interrupts().AcknowledgeInterrupt(commit, &ack.line, &ack.vector, &ack.address);
        return ack;
    }

    // Sets a trace or break flag through its settings key.
    void SetFlag(const char* key, bool on = true) {
        common::CValue* value = m_settings.FindValue(common::CNarrowString(key));
        ASSERT_NE(nullptr, value) << key;
        EXPECT_TRUE(value->SetBool(on));
    }
    bool GetFlag(const char* key) {
        bool on = false;
        common::CValue* value = m_settings.FindValue(common::CNarrowString(key));
        EXPECT_NE(nullptr, value) << key;
        if (value != nullptr) {
            EXPECT_TRUE(value->GetBool(on));
        }
        return on;
    }

    // The console lines since the last call.
    std::vector<CTraceLine> TakeLines() {
        m_console.FlushPendingLines();
        std::vector<CTraceLine> lines;
        common::CNarrowString text;
        common::ARGB colour = 0;
        for (int32_t i = 0; m_console.GetLine(i, text, colour); ++i)
            lines.push_back({text.GetNarrow(), colour});
        m_console.Clear();
        return lines;
    }
    std::vector<std::string> TakeTexts() {
        std::vector<std::string> texts;
        for (const CTraceLine& line : TakeLines())
            texts.push_back(line.text);
        return texts;
    }

    // The controller's own state chunk.
    Bytes SaveController() {
        common::CMemoryStream stream;
        stream.Create(0, -1);
        common::CStreamHolder holder(&stream);
        EXPECT_TRUE(m_controller->SaveState(holder));
        return Bytes(stream.GetBuffer(), stream.GetBuffer() + stream.GetSize());
    }
    bool LoadController(const Bytes& bytes) {
        common::CMemoryStream stream;
        stream.Create(0, -1);
        if (!bytes.empty())
            stream.Write(bytes.data(), static_cast<int64_t>(bytes.size()));
        stream.Seek(0);
        common::CStreamHolder holder(&stream);
        return m_controller->LoadState(holder, nullptr);
    }

    // The core's hook: breaks in while m_breaks is set, as a debugger whose
    // processor could rewind (stop request kept, print flag cleared).
    static uint32_t BreakHook(void* user, bool* /*request*/, bool* print, int32_t /*mode*/) {
        auto* self = static_cast<CControllerMachine*>(user);
        ++self->m_breakChecks;
        if (!self->m_breaks)
            return 0;
        *print = false;
        return 1;
    }

    emu::CMachine m_machine;
    common::CTextConsole m_console;
    common::CSettingsRegistry m_settings;
    CKindProcessor* m_cpu;    // owned by the machine
    Controller* m_controller; // owned by the machine
    int32_t m_level = 0;
    bool m_breaks = false;
    int m_breakChecks = 0;
};

// A signed 32-bit field as the serializer writes it (the others are in FrameworkTestSupport.h).
inline void AppendI32Field(Bytes& out, const std::string& name, int32_t value) {
    out.push_back(0xF8);
    test::AppendName(out, name);
    out.push_back(0x43);
    const uint32_t bits = static_cast<uint32_t>(value);
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<uint8_t>(bits >> (8 * i)));
}

} // namespace pictest
