#pragma once
// Shared pieces of the processor and bus tests: a processor whose Execute
// only counts cycles, a device whose callbacks record their firings, a host
// sound output stand-in, and a small machine with a bus, a memory map and a
// device tree ("Board" holding "Timer" and "Video") behind the machine interface.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "common/CStreamHolder.h"
#include "emu/framework/CBus.h"
#include "emu/framework/CDevice.h"
#include "emu/framework/CMachineInterface.h"
#include "emu/framework/CMemory.h"
#include "emu/framework/CProcessor.h"
#include "emu/framework/FrameworkTestSupport.h"
#include "emu/host/CSoundOutput.h"

namespace proctest {

// The processor base with an execution core that only counts cycles, and
// access to the bookkeeping the real cores keep.
class CCountingProcessor : public emu::CProcessor {
public:
    int32_t Execute(int32_t budget) override {
        m_cycles += static_cast<uint64_t>(budget);
        return budget;
    }
    void Advance(uint64_t cycles) { m_cycles += cycles; }
    void EnterSlice(int32_t budget) {
        m_inSlice = true;
        m_sliceBudget = m_sliceLeft = budget;
    }
    void SpendInSlice(int32_t cycles) { m_sliceLeft -= cycles; }
    void SetFault(bool on) { m_fault = on; }
    double GetRatio() const { return m_ratio; }
    int32_t GetSliceLeft() const { return m_sliceLeft; }
    int32_t GetWaitCycles() const { return m_waitCycles; }
};

// A device whose event callbacks record what they see.
class CRecorder : public emu::CDevice {
public:
    struct CFiring {
        uint64_t cycle;
        uint32_t data0;
        uint32_t data1;
    };

    static bool OnCycleEvent(emu::CObject* user, int32_t* period, uint32_t* data, emu::CProcessorInterface* cpu) {
        auto* self = static_cast<CRecorder*>(user);
        self->m_firings.push_back(CFiring{cpu->GetCycleCount(), data[0], data[1]});
        if (self->m_changePeriod)
            *period = self->m_newPeriod;
        return static_cast<int32_t>(self->m_firings.size()) < self->m_keepFor;
    }
    static bool OtherCycleEvent(emu::CObject* user, int32_t* period, uint32_t* data, emu::CProcessorInterface* cpu) {
        return OnCycleEvent(user, period, data, cpu);
    }
    static bool OnBusEvent(emu::CObject* user, uint64_t* fireCount, uint32_t* data) {
        auto* self = static_cast<CRecorder*>(user);
        self->m_busFirings.push_back(*fireCount);
        self->m_lastData[0] = data[0];
        self->m_lastData[1] = data[1];
        return static_cast<int32_t>(self->m_busFirings.size()) < self->m_keepFor;
    }
    static bool OnSound(emu::CObject* user, int32_t* samples, uint32_t count, int32_t low, int32_t high,
                        int32_t frequency, uint32_t* /*data*/) {
        auto* self = static_cast<CRecorder*>(user);
        self->m_soundCalls.push_back(frequency);
        for (uint32_t i = 0; i < count; i += 2)
            samples[i] = (i / 2) % 2 == 0 ? low : high;
        return static_cast<int32_t>(self->m_soundCalls.size()) < self->m_keepFor;
    }

    std::vector<CFiring> m_firings;
    std::vector<uint64_t> m_busFirings;
    std::vector<int32_t> m_soundCalls;
    uint32_t m_lastData[2] = {0, 0};
    bool m_changePeriod = false; // store m_newPeriod into the period
    int32_t m_newPeriod = 0;
    int32_t m_keepFor = 0x7FFFFFFF; // the callback answers false from this firing on
};

// Host sound output stand-in; every clone reports into the prototype's counters.
class CFakeSoundOutput : public emu::CSoundOutput {
public:
    struct CShared {
        int created = 0;
        int deleted = 0;
        int opened = 0;
        int queued = 0;
        int silenced = 0;
        bool openResult = true;
        uint32_t lastRate = 0;
        uint32_t lastBits = 0;
        uint32_t lastBlocks = 0;
    };

    explicit CFakeSoundOutput(CShared* shared) : m_shared(shared) {}
    ~CFakeSoundOutput() override {
        if (m_clone)
            ++m_shared->deleted;
    }

    emu::CSoundOutput* CreateInstance() override {
        auto* clone = new CFakeSoundOutput(m_shared);
        clone->m_clone = true;
        ++m_shared->created;
        return clone;
    }
    bool Open(uint32_t rate, uint32_t bits, uint32_t blocks) override {
        ++m_shared->opened;
        m_shared->lastRate = rate;
        m_shared->lastBits = bits;
        m_shared->lastBlocks = blocks;
        m_samples.assign(blocks != 0 ? rate / blocks : 0, kNoSample);
        return m_shared->openResult;
    }
    void Silence() override { ++m_shared->silenced; }
    int32_t* NextStagingBuffer(uint32_t* count, int32_t* low, int32_t* high) override {
        *count = static_cast<uint32_t>(m_samples.size());
        *low = 0;
        *high = 255;
        return m_samples.empty() ? nullptr : m_samples.data();
    }
    void QueueStagingBuffer() override { ++m_shared->queued; }

private:
    CShared* m_shared; // the test's
    bool m_clone = false;
    std::vector<int32_t> m_samples;
};

// A machine root holding a bus, a memory map, a processor and the devices
// "Board", "Board"."Timer" and "Board"."Video". The services are children of
// the root, as in a machine, so dotted names resolve as they do there.
class CRig : public emu::CMachineInterface, public emu::CDevice {
public:
    static constexpr int32_t kClock = 2500000;

    CRig() {
        SetName("Machine");
        m_bus = new emu::CBus();
        m_memory = new emu::CMemory();
        m_cpu = new CCountingProcessor();
        m_board = new CRecorder();
        m_timer = new CRecorder();
        m_video = new CRecorder();
        AddChild(m_bus, "_BUS", nullptr);
        AddChild(m_memory, "_MEM", nullptr);
        AddChild(m_cpu, nullptr, nullptr);
        AddChild(m_board, "Board", nullptr);
        m_board->AddChild(m_timer, "Timer", nullptr);
        m_board->AddChild(m_video, "Video", nullptr);
        Connect(m_cpu);
        Connect(m_board);
        Connect(m_timer);
        Connect(m_video);
        m_cpu->SetFrequency(kClock);
    }

    // Starts the services and the processor; the memory map gets `size` bytes.
    void Power(uint32_t memorySize = 0x10000) {
        int32_t rate = 4900;
        ASSERT_TRUE(m_bus->Start(&rate));
        ASSERT_TRUE(m_memory->Start(&rate));
        ASSERT_TRUE(m_memory->Allocate(memorySize, 0, 0));
        ASSERT_TRUE(m_cpu->Start(&rate));
        ASSERT_TRUE(m_cpu->Reset(emu::CDevice::kResetMemoryChanged));
    }

    void Connect(emu::CDevice* device) {
        device->SetServices(this, m_bus, m_memory, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr);
    }

    emu::CProcessorInterface* GetMainProcessor() override { return m_cpu; }
    common::CTextConsole* GetConsole() override { return nullptr; }
    bool GetStateFlag() override { return false; }
    bool PollBreak(uint32_t) override { return true; }
    void GetBaseFrequency(int64_t* out) override { *out = m_cpu->GetBaseFrequency(); }
    void GetBaseCycleCount(int64_t* out) override { *out = static_cast<int64_t>(m_cpu->GetNominalCycleCount()); }
    bool BindParameters(emu::CDeviceParameter*) override { return true; }
    void NotifyInterruptRequest() override { m_cpu->SetChwiFlag(); }
    void Suspend(bool) override {}

    // Owned by the rig as its children.
    emu::CBus* m_bus;
    emu::CMemory* m_memory;
    CCountingProcessor* m_cpu;
    CRecorder* m_board;
    CRecorder* m_timer;
    CRecorder* m_video;
};

// The object's own data (its chunks) as bytes.
inline test::Bytes SaveBytes(emu::CObject& object) {
    test::CTestStream stream;
    common::CStreamHolder holder(&stream.Stream());
    EXPECT_TRUE(object.SaveData(holder));
    return stream.GetBytes();
}

// Loads the object's own data; true when it succeeded and used every byte.
inline bool LoadBytes(emu::CObject& object, const test::Bytes& bytes) {
    test::CTestStream stream(bytes);
    common::CStreamHolder holder(&stream.Stream());
    common::CNarrowString error;
    return object.LoadData(holder, &error) && stream.GetPosition() == static_cast<int64_t>(bytes.size());
}

} // namespace proctest
