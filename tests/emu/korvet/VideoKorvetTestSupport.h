#pragma once
// Shared pieces of the Korvet video tests: a small machine with a
// cycle-counting processor at 2.5 MHz, the video wired as the Korvet machine
// wires it ("Video Device" / "VID", 4 pages, interrupt line 4), a renderer
// with real rows, a console for the trace lines and an interrupt recorder.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "TakeConsoleTexts.h"
#include "common/CMemoryStream.h"
#include "common/CNarrowString.h"
#include "common/CStreamHolder.h"
#include "common/CTextConsole.h"
#include "emu/framework/CBus.h"
#include "emu/framework/CInterrupts.h"
#include "emu/framework/CMachine.h"
#include "emu/framework/CMemory.h"
#include "emu/framework/ProcessorTestSupport.h"
#include "emu/framework/VideoTestSupport.h"
#include "emu/korvet/CVideo_Korvet.h"

namespace kvideotest {

typedef std::vector<uint8_t> Bytes;
using emu::CVideo_Korvet;

constexpr uint32_t kIrqLine = 4;
constexpr int32_t kWidth = CVideo_Korvet::kScreenWidth;
constexpr int32_t kHeight = CVideo_Korvet::kScreenHeight;

// The interrupt controller stand-in: records every raised line.
struct CIrqRecorder {
    static bool OnLine(void* id, uint32_t line, bool raise) {
        if (raise)
            static_cast<CIrqRecorder*>(id)->raised.push_back(line);
        return true;
    }
    std::vector<uint32_t> raised;
};

// The debugger breaks in at every break check.
inline uint32_t BreakingHook(void*, bool*, bool* print, int32_t) {
    *print = false;
    return 1;
}

class CKorvetVideoRig {
public:
    explicit CKorvetVideoRig(int32_t pages = 4, bool attach = true) {
        EXPECT_TRUE(m_machine.Build());
        m_machine.SetConsole(&m_console);
        m_cpu = new proctest::CCountingProcessor();
        m_cpu->SetFrequency(2500000);
        EXPECT_TRUE(m_machine.AddDevice(m_cpu, "CPU", "CPU"));
        m_video = new CVideo_Korvet();
        EXPECT_TRUE(m_machine.AddDevice(m_video, "Video Device", "VID"));
        EXPECT_TRUE(m_video->SetVramPageCount(pages));
        m_video->ConnectIrq(static_cast<int32_t>(kIrqLine), 1, true);
        EXPECT_TRUE(m_machine.GetMemoryService()->Allocate(0x10000, 0, 0));
        if (attach)
            m_machine.AttachHost(&m_renderer);
    }
    ~CKorvetVideoRig() {
        if (m_machine.IsStarted())
            m_machine.Stop();
        m_machine.AttachHost(nullptr);
    }
    CKorvetVideoRig(const CKorvetVideoRig&) = delete;
    CKorvetVideoRig& operator=(const CKorvetVideoRig&) = delete;

    // Starts as the core does (event names registered), then the processor's
    // event list: the render event fires once at cycle 0.
    bool Start() {
        m_machine.GetBusService()->SetRegistering(true);
        int32_t rate = 50;
        const bool started = m_machine.Start(&rate);
        m_machine.GetBusService()->SetRegistering(false);
        if (!started)
            return false;
        m_startRate = rate;
        EXPECT_TRUE(
            m_machine.GetInterruptsService()->RegisterController(&m_irq, nullptr, CIrqRecorder::OnLine, nullptr));
        m_machine.SetSoundRate(4900);
        m_cpu->StartEvents();
        TakeLines();
        return true;
    }

    // Runs the processor until its cycle count reaches `target`, firing the
    // due events on the way.
    void RunTo(uint64_t target) {
        while (m_cpu->GetCycleCount() < target) {
            const int32_t toEvent = m_cpu->GetCyclesToEvent();
            if (toEvent <= 0) {
                m_cpu->RunDueEvents();
                continue;
            }
            const uint64_t left = target - m_cpu->GetCycleCount();
            const int32_t budget = static_cast<int32_t>(left < static_cast<uint64_t>(toEvent) ? left : toEvent);
            if (m_cpu->DebitCyclesToEvent(m_cpu->Execute(budget)) <= 0)
                m_cpu->RunDueEvents();
        }
    }
    void Run(uint64_t cycles) { RunTo(m_cpu->GetCycleCount() + cycles); }
    // Runs to the next frame end: the event of frame line 305.
    void RunFrame() {
        const uint64_t frame = CVideo_Korvet::kFrameCycles;
        const uint64_t now = m_cpu->GetCycleCount();
        uint64_t end = (now / frame) * frame + (CVideo_Korvet::kFrameLines - 1) * CVideo_Korvet::kLineCycles;
        if (end <= now)
            end += frame;
        RunTo(end);
    }

    std::vector<std::string> TakeLines() { return testconsole::TakeConsoleTexts(m_console); }

    Bytes SaveVideo() {
        common::CMemoryStream stream;
        stream.Create(0, -1);
        common::CStreamHolder holder(&stream);
        EXPECT_TRUE(m_video->SaveState(holder));
        return Bytes(stream.GetBuffer(), stream.GetBuffer() + stream.GetSize());
    }
    bool LoadVideo(const Bytes& bytes) {
        common::CMemoryStream stream;
        stream.Create(0, -1);
        stream.Write(bytes.data(), static_cast<int64_t>(bytes.size()));
        stream.Seek(0);
        common::CStreamHolder holder(&stream);
        return m_video->LoadState(holder, nullptr);
    }

    common::ARGB Pixel(int32_t x, int32_t y) const {
        return m_renderer.m_pixels[static_cast<size_t>(y) * kWidth + static_cast<size_t>(x)];
    }

    common::CTextConsole m_console;
    videotest::CRowRenderer m_renderer; // declared before the machine: outlives it
    emu::CMachine m_machine;
    proctest::CCountingProcessor* m_cpu = nullptr; // owned by the machine
    CVideo_Korvet* m_video = nullptr;              // owned by the machine
    CIrqRecorder m_irq;
    int32_t m_startRate = 0;
};

// The value bytes after the type byte of the first field of that name.
inline size_t FieldValue(const Bytes& bytes, const std::string& name, size_t from = 0) {
    const size_t at = videotest::FindField(bytes, name, from);
    return at == std::string::npos ? at : at + 1;
}

} // namespace kvideotest
