#pragma once
// Shared pieces of the memory map, port space and interrupt-line tests: a
// machine stand-in that records what the services tell it, a processor that
// records page notifications, and a save/load helper for service chunks.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "common/CStreamHolder.h"
#include "emu/framework/CDevice.h"
#include "emu/framework/CMachineInterface.h"
#include "emu/framework/CProcessor.h"
#include "emu/framework/FrameworkTestSupport.h"

namespace memtest {

// The processor base, recording the pages the memory map reports changed.
class CNotifiedProcessor : public emu::CProcessor {
public:
    void NotifyValue(int32_t value) override { m_notified.push_back(value); }
    std::vector<int32_t> m_notified;
};

// A machine root: counts interrupt-check requests and records the reset words
// its device tree receives; its main processor is optional.
class CRecordingMachine : public emu::CMachineInterface, public emu::CDevice {
public:
    emu::CProcessorInterface* GetMainProcessor() override { return m_processor; }
    common::CTextConsole* GetConsole() override { return nullptr; }
    bool GetStateFlag() override { return false; }
    bool PollBreak(uint32_t) override { return true; }
    void GetBaseFrequency(int64_t* out) override { *out = 0; }
    void GetBaseCycleCount(int64_t* out) override { *out = 0; }
    bool BindParameters(emu::CDeviceParameter*) override { return true; }
    void NotifyInterruptRequest() override { ++m_interruptChecks; }
    void Suspend(bool) override {}

    bool Reset(uint32_t flags) override {
        m_resets.push_back(flags);
        return emu::CDevice::Reset(flags);
    }

    emu::CProcessorInterface* m_processor = nullptr; // not owned
    int m_interruptChecks = 0;
    std::vector<uint32_t> m_resets;
};

// Writes the object's own data (its service chunk) and answers the bytes.
inline test::Bytes SaveBytes(emu::CObject& object) {
    test::CTestStream stream;
    common::CStreamHolder holder(&stream.Stream());
    EXPECT_TRUE(object.SaveData(holder));
    return stream.GetBytes();
}

// Loads the object's own data from the bytes; true when the whole load
// succeeded and used every byte.
inline bool LoadBytes(emu::CObject& object, const test::Bytes& bytes) {
    test::CTestStream stream(bytes);
    common::CStreamHolder holder(&stream.Stream());
    const bool ok = object.LoadData(holder, nullptr);
    return ok && stream.GetPosition() == static_cast<int64_t>(bytes.size());
}

} // namespace memtest
