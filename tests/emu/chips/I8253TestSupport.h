#pragma once
// A small framework machine around the I8253 timer for its tests: the real
// machine base with its bus, port space and interrupt lines, a processor that
// only counts cycles (2.5 MHz), an interrupt controller that records the
// lines raised, a sound output that keeps every block it is given, and the
// timer wired to I/O ports 0x40-0x42 (data) and 0x43 (control word).
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "TakeConsoleTexts.h"
#include "common/CMemoryStream.h"
#include "common/CStreamHolder.h"
#include "common/CTextConsole.h"
#include "emu/chips/CTimer_I8253.h"
#include "emu/framework/CBus.h"
#include "emu/framework/CInterrupts.h"
#include "emu/framework/CMachine.h"
#include "emu/framework/CPorts.h"
#include "emu/framework/ProcessorTestSupport.h"
#include "emu/host/CSoundOutput.h"

namespace pittest {

typedef std::vector<uint8_t> Bytes;

constexpr int32_t kCpuClock = 2500000;
constexpr uint32_t kPortData = 0x40; // channel n at 0x40 + n
constexpr uint32_t kPortMode = 0x43;
constexpr uint32_t kIrqLine = 5;

// A host output stand-in with two staging arrays, as the real outputs keep
// them: each queue converts the array the producer filled at the previous
// block (gaps repeat the sample before) and keeps it.
class CCaptureSoundOutput : public emu::CSoundOutput {
public:
    struct CShared {
        int created = 0;
        uint32_t rate = 0;
        uint32_t bits = 0;
        std::vector<std::vector<int32_t>> blocks;
    };

    explicit CCaptureSoundOutput(CShared* shared) : m_shared(shared) {}

    emu::CSoundOutput* CreateInstance() override {
        ++m_shared->created;
        return new CCaptureSoundOutput(m_shared);
    }
    bool Open(uint32_t rate, uint32_t bits, uint32_t blocks) override {
        m_shared->rate = rate;
        m_shared->bits = bits;
        const size_t count = blocks != 0 ? rate / blocks : 0;
        for (std::vector<int32_t>& array : m_arrays)
            array.assign(count, kNoSample);
        return count > 0;
    }
    void Silence() override {}
    int32_t* NextStagingBuffer(uint32_t* count, int32_t* low, int32_t* high) override {
        m_selector = !m_selector;
        std::vector<int32_t>& array = m_arrays[m_selector ? 1 : 0];
        *count = static_cast<uint32_t>(array.size());
        *low = 0;
        *high = 255;
        return array.data();
    }
    void QueueStagingBuffer() override {
        std::vector<int32_t>& array = m_arrays[m_selector ? 0 : 1];
        std::vector<int32_t> block(array.size());
        for (size_t i = 0; i < array.size(); ++i) {
            if (array[i] != kNoSample)
                m_previous = array[i];
            block[i] = m_previous;
            array[i] = kNoSample;
        }
        m_shared->blocks.push_back(block);
    }

private:
    CShared* m_shared; // the test's
    std::vector<int32_t> m_arrays[2];
    bool m_selector = false;
    int32_t m_previous = 128;
};

// The interrupt controller stand-in: records every raise, accepts while told to.
struct CIrqRecorder {
    static bool OnLine(void* id, uint32_t line, bool raise) {
        auto* self = static_cast<CIrqRecorder*>(id);
        self->calls.push_back(line);
        if (raise && self->accept)
            self->accepted.push_back(line);
        return self->accept;
    }
    std::vector<uint32_t> calls;
    std::vector<uint32_t> accepted;
    bool accept = true;
};

class CTimerRig {
public:
    // Clock of channels 0 and 1 (10 base cycles per pulse) unless a test sets
    // another; channel 2 keeps the default.
    static constexpr uint32_t kTestClock = 250000;

    // The sound streams clone `prototype` (the recording stand-in when null).
    explicit CTimerRig(emu::CSoundOutput* prototype = nullptr) {
        m_machine.SetSoundOutput(prototype != nullptr ? prototype : &m_prototype);
        EXPECT_TRUE(m_machine.Build());
        m_cpu = new proctest::CCountingProcessor();
        m_cpu->SetFrequency(kCpuClock);
        EXPECT_TRUE(m_machine.AddDevice(m_cpu, "CPU", "CPU"));
        m_pit = new emu::CTimer_I8253();
        EXPECT_TRUE(m_machine.AddDevice(m_pit, nullptr, nullptr));
        EXPECT_TRUE(m_pit->ConnectModePort(static_cast<int32_t>(kPortMode)));
        for (int n = 0; n < emu::CTimer_I8253::kChannels; ++n)
            EXPECT_TRUE(Channel(n)->ConnectDataPort(static_cast<int32_t>(kPortData + n)));
        Channel(0)->SetClockFrequency(kTestClock);
        Channel(1)->SetClockFrequency(kTestClock);
        EXPECT_TRUE(Channel(2)->ConnectIrq(static_cast<int32_t>(kIrqLine)));
        m_machine.SetConsole(&m_console);
    }
    ~CTimerRig() {
        if (m_machine.IsStarted())
            m_machine.Stop();
    }
    CTimerRig(const CTimerRig&) = delete;
    CTimerRig& operator=(const CTimerRig&) = delete;

    // Channel 0 generates sound (as in the Korvet); call before Start.
    void WithSound(uint32_t clock = 2000000, bool keepWaveform = true) {
        Channel(0)->SetSoundGeneration(true);
        Channel(0)->SetClockFrequency(clock);
        Channel(0)->SetKeepWaveformOnSameCount(keepWaveform);
    }

    // Starts the machine as the core does: registering the events' names,
    // then the bus rate, then the processor's event list.
    bool Start(int32_t rate = 44100) {
        m_machine.GetBusService()->SetRegistering(true);
        int32_t value = 4900;
        const bool started = m_machine.Start(&value);
        m_machine.GetBusService()->SetRegistering(false);
        if (!started)
            return false;
        m_startRate = value;
        EXPECT_TRUE(
            m_machine.GetInterruptsService()->RegisterController(&m_irq, nullptr, CIrqRecorder::OnLine, nullptr));
        m_machine.SetSoundRate(rate);
        m_cpu->StartEvents();
        return true;
    }

    // Runs the processor's slices for that many cycles, firing due events.
    void Run(uint64_t cycles) {
        const uint64_t target = m_cpu->GetCycleCount() + cycles;
        while (m_cpu->GetCycleCount() < target) {
            int32_t budget = m_cpu->GetCyclesToEvent();
            if (budget <= 0) {
                m_cpu->RunDueEvents();
                continue;
            }
            const uint64_t left = target - m_cpu->GetCycleCount();
            if (static_cast<uint64_t>(budget) > left)
                budget = static_cast<int32_t>(left);
            const int32_t used = m_cpu->Execute(budget);
            if (m_cpu->DebitCyclesToEvent(used) <= 0)
                m_cpu->RunDueEvents();
        }
    }
    // Runs whole sound blocks of the bus at its rate.
    void RunBlocks(int blocks) {
        const int32_t rate = m_machine.GetBusService()->GetSampleRate();
        const uint64_t tickCycles = static_cast<uint64_t>((kCpuClock + rate / 2) / rate);
        Run(static_cast<uint64_t>(blocks) * static_cast<uint64_t>(rate / 50) * tickCycles);
    }
    uint64_t Now() { return m_cpu->GetCycleCount(); }

    // Port accesses as the processor makes them.
    void Out(uint32_t port, uint8_t value) { m_machine.GetPortsService()->OutputByte(port, value); }
    uint8_t In(uint32_t port) { return m_machine.GetPortsService()->InputByte(port, 0, nullptr); }
    uint8_t Peek(uint32_t port) { return m_machine.GetPortsService()->InputByte(port, 1, nullptr); }
    void Mode(uint8_t word) { Out(kPortMode, word); }
    // Sets channel n's mode, with RL = 3, and writes the count LSB then MSB.
    void Program(int n, int mode, uint16_t count, bool bcd = false) {
        Mode(static_cast<uint8_t>((n << 6) | 0x30 | (mode << 1) | (bcd ? 1 : 0)));
        Out(kPortData + n, static_cast<uint8_t>(count));
        Out(kPortData + n, static_cast<uint8_t>(count >> 8));
    }
    // Latches and reads channel n's count (RL = 3 assumed).
    uint16_t Count(int n) {
        Mode(static_cast<uint8_t>(n << 6));
        const uint8_t low = In(kPortData + n);
        return static_cast<uint16_t>(low | (In(kPortData + n) << 8));
    }
    // The read-back status byte of channel n.
    uint8_t Status(int n) {
        Mode(static_cast<uint8_t>(0xE0 | (2 << n)));
        return In(kPortData + n);
    }
    bool Output(int n) { return (Status(n) & 0x80) != 0; }

    emu::CTimerChannel_I8253* Channel(int n) { return m_pit->GetChannel(n); }

    std::vector<std::string> TakeLines() { return testconsole::TakeConsoleTexts(m_console); }

    Bytes SaveState() {
        common::CMemoryStream stream;
        stream.Create(0, -1);
        common::CStreamHolder holder(&stream);
        EXPECT_TRUE(m_machine.SaveState(holder));
        return Bytes(stream.GetBuffer(), stream.GetBuffer() + stream.GetSize());
    }
    bool LoadState(const Bytes& bytes) {
        common::CMemoryStream stream;
        stream.Create(0, -1);
        stream.Write(bytes.data(), static_cast<int64_t>(bytes.size()));
        stream.Seek(0);
        common::CStreamHolder holder(&stream);
        common::CNarrowString error;
        return m_machine.LoadState(holder, &error);
    }

    CCaptureSoundOutput::CShared m_sound; // outlives the stream outputs
    CCaptureSoundOutput m_prototype{&m_sound};
    common::CTextConsole m_console;
    CIrqRecorder m_irq;
    emu::CMachine m_machine;
    proctest::CCountingProcessor* m_cpu = nullptr; // owned by the machine
    emu::CTimer_I8253* m_pit = nullptr;            // owned by the machine
    int32_t m_startRate = 0;
};

} // namespace pittest
