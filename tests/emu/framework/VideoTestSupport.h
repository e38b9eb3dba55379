#pragma once
// Shared pieces of the video tests: a renderer that owns its pixel rows and
// records frame ends, a small display that draws known lines, and a machine
// with a cycle-counting processor, the display and the renderer attached.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <vector>

#include "common/CMemoryStream.h"
#include "common/CStreamHolder.h"
#include "emu/framework/CBus.h"
#include "emu/framework/CMachine.h"
#include "emu/framework/CMemory.h"
#include "emu/framework/CVideo.h"
#include "emu/framework/ProcessorTestSupport.h"
#include "emu/host/CRenderer.h"

namespace videotest {

typedef std::vector<uint8_t> Bytes;

// A renderer with real rows: SetSize allocates them, then starts the line record.
class CRowRenderer : public emu::CRenderer {
public:
    bool SetSize(int32_t width, int32_t height, bool clientSized) override {
        ++m_setSizeCalls;
        m_pixels.assign(static_cast<size_t>(width) * static_cast<size_t>(height), 0u);
        auto* rows = new common::ARGB*[height > 0 ? height : 1];
        for (int32_t y = 0; y < height; ++y)
            rows[y] = m_pixels.data() + static_cast<size_t>(y) * static_cast<size_t>(width);
        SetRows(width, height, rows);
        return emu::CRenderer::SetSize(width, height, clientSized);
    }
    void EndFrame(bool flag, float aspect) override {
        m_endFrameAspects.push_back(aspect);
        emu::CRenderer::EndFrame(flag, aspect);
    }

    // Presentation as the windowed renderers do it: the changed bits go.
    void Present() {
        for (uint8_t& flags : m_lineFlags)
            flags = static_cast<uint8_t>(flags & ~kLineChanged);
        m_changedLineCount = 0;
        m_frameDirty = false;
    }
    // Sets the drawn bit without the bookkeeping of MarkLineDrawn.
    void ForceDrawnBit(int32_t line) { m_lineFlags[line & kLineIndexMask] |= kLineDrawn; }

    std::vector<common::ARGB> m_pixels;
    std::vector<float> m_endFrameAspects;
    int m_setSizeCalls = 0;
};

// A display whose line n is filled with 0xFF000000 | (n << 8) | page byte n,
// installing the timing it is given at start.
class CTestDisplay : public emu::CVideo {
public:
    struct CCall {
        int32_t line;
        int32_t width;
        bool row;
        bool force;
        uint64_t cycle;
    };

    CTestDisplay() { m_timing = {16, 8, 10, 50, kTimingCpuLineEvent}; }

    bool Start(int32_t* value) override {
        if (!CVideo::Start(value))
            return false;
        return !m_installTiming ||
               SetTiming(m_timing.width, m_timing.height, m_timing.lines, m_timing.rate, m_timing.kind);
    }
    bool RenderLine(int32_t line, int32_t /*reserved*/, int32_t width, uint32_t* row, bool force) override {
        emu::CProcessorInterface* cpu = m_machine != nullptr ? m_machine->GetMainProcessor() : nullptr;
        m_calls.push_back(CCall{line, width, row != nullptr, force, cpu != nullptr ? cpu->GetCycleCount() : 0});
        if (row == nullptr)
            return false;
        const uint8_t* memory = GetCurrentPageMemory();
        const uint32_t byte = memory != nullptr && line < GetPageSize() ? memory[line] : 0;
        std::fill(row, row + width, 0xFF000000u | (static_cast<uint32_t>(line) << 8) | byte);
        return true;
    }
    void OnFramePhase(int32_t phase, int32_t count) override {
        m_phases.push_back(phase);
        EXPECT_EQ(count, 4);
    }

    // The lines drawn into rows, in order.
    std::vector<int32_t> DrawnLines() const {
        std::vector<int32_t> lines;
        for (const CCall& call : m_calls)
            if (call.row)
                lines.push_back(call.line);
        return lines;
    }
    void ClearRecords() {
        m_calls.clear();
        m_phases.clear();
    }

    using CVideo::IsCurrentTag;

    struct CTiming {
        int32_t width, height, lines, rate, kind;
    } m_timing;
    bool m_installTiming = true;
    std::vector<CCall> m_calls;
    std::vector<int32_t> m_phases;
};

// A built machine: processor "CPU" at 2.5 MHz, the display "Video" ("VID")
// with a 1 KB page mapped at 0x4000 (mask 0x3FF), the renderer attached.
class CVideoRig {
public:
    static constexpr int32_t kClock = 2500000;
    static constexpr uint32_t kWindowAddress = 0x4000;

    explicit CVideoRig(CTestDisplay* display = new CTestDisplay(), uint32_t extraBytes = 0) : m_display(display) {
        EXPECT_TRUE(m_machine.Build());
        m_cpu = new proctest::CCountingProcessor();
        m_cpu->SetFrequency(kClock);
        EXPECT_TRUE(m_machine.AddDevice(m_cpu, "CPU", "CPU"));
        EXPECT_TRUE(m_machine.AddDevice(m_display, "Video", "VID"));
        EXPECT_TRUE(m_display->SetPageSizeAt(0, 1, 0x3FF));
        EXPECT_TRUE(m_display->SetPageMemoryWindow(0, kWindowAddress / 1024, 1, true, 0));
        EXPECT_TRUE(m_machine.GetMemoryService()->Allocate(0x10000, 0, extraBytes));
        m_machine.AttachHost(&m_renderer);
    }
    ~CVideoRig() {
        if (m_machine.IsStarted())
            m_machine.Stop();
        m_machine.AttachHost(nullptr);
    }

    bool Start() {
        int32_t rate = 4900;
        if (!m_machine.Start(&rate))
            return false;
        m_machine.SetSoundRate(rate);
        m_cpu->StartEvents();
        return true;
    }
    // Runs the processor for `cycles`, firing the due events on the way.
    void Run(uint64_t cycles) {
        const uint64_t end = m_cpu->GetCycleCount() + cycles;
        while (m_cpu->GetCycleCount() < end) {
            const int32_t toEvent = m_cpu->GetCyclesToEvent();
            if (toEvent <= 0) {
                m_cpu->RunDueEvents();
                continue;
            }
            const uint64_t left = end - m_cpu->GetCycleCount();
            const int32_t budget = static_cast<int32_t>(std::min<uint64_t>(static_cast<uint64_t>(toEvent), left));
            if (m_cpu->DebitCyclesToEvent(m_cpu->Execute(budget)) <= 0)
                m_cpu->RunDueEvents();
        }
    }
    // A byte written by the processor through the memory map.
    void Write(uint32_t address, uint8_t value) { m_machine.GetMemoryService()->WriteByte(address, value); }
    uint8_t Read(uint32_t address) { return m_machine.GetMemoryService()->ReadByte(address, 0); }

    Bytes SaveDisplay() {
        common::CMemoryStream stream;
        stream.Create(0, -1);
        common::CStreamHolder holder(&stream);
        EXPECT_TRUE(m_display->SaveState(holder));
        return Bytes(stream.GetBuffer(), stream.GetBuffer() + stream.GetSize());
    }
    bool LoadDisplay(const Bytes& bytes) {
        common::CMemoryStream stream;
        stream.Create(0, -1);
        stream.Write(bytes.data(), static_cast<int64_t>(bytes.size()));
        stream.Seek(0);
        common::CStreamHolder holder(&stream);
        return m_display->LoadState(holder, nullptr);
    }

    CRowRenderer m_renderer; // declared first: outlives the machine
    emu::CMachine m_machine;
    CTestDisplay* m_display;             // owned by the machine
    proctest::CCountingProcessor* m_cpu; // owned by the machine
};

// The position just after the name record of the first record (field 0xF8 or
// chunk start 0xF0) with this name at or after `from`.
inline size_t FindField(const Bytes& bytes, const std::string& name, size_t from = 0, uint8_t marker = 0xF8) {
    for (size_t i = from; i + 5 + name.size() <= bytes.size(); ++i) {
        if (bytes[i] != marker || bytes[i + 1] != 0x81 || bytes[i + 3] != name.size() || bytes[i + 4] != 0)
            continue;
        if (std::equal(name.begin(), name.end(), bytes.begin() + static_cast<std::ptrdiff_t>(i + 5)))
            return i + 5 + name.size();
    }
    return std::string::npos;
}

// The first field of that name inside the chunk (after its start record).
inline size_t FindFieldInChunk(const Bytes& bytes, const std::string& chunk, const std::string& name) {
    const size_t start = FindField(bytes, chunk, 0, 0xF0);
    return start == std::string::npos ? start : FindField(bytes, name, start);
}

// Overwrites `count` little-endian value bytes of the named field of the
// chunk (the bytes after its type byte).
inline void PatchValue(Bytes& bytes, const std::string& chunk, const std::string& name, uint64_t value, int count) {
    const size_t at = FindFieldInChunk(bytes, chunk, name);
    ASSERT_NE(at, std::string::npos) << name;
    for (int i = 0; i < count; ++i)
        bytes[at + 1 + static_cast<size_t>(i)] = static_cast<uint8_t>(value >> (8 * i));
}

} // namespace videotest
