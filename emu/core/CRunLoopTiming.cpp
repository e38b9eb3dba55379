#include "emu/core/CRunLoopTiming.h"

#include <cmath>
#include <cstdint>

#include "common/CNarrowString.h"
#include "common/CStreamHolder.h"
#include "common/LittleEndian.h"
#include "common/OsHelpers.h"
#include "emu/framework/CProcessorInterface.h"

namespace emu {

namespace {

const char kSectionName[] = "_EMUCORE";
constexpr uint8_t kVersion = 1;
constexpr uint8_t kRevision = 2;
// Before the re-entry guard was kept.
constexpr uint8_t kRevisionWithoutGuard = 1;

typedef common::CNarrowString CName;

int32_t RoundHalfUp(double value) {
    return static_cast<int32_t>(std::floor(value + 0.5));
}

// Doubles travel as their IEEE bytes, lowest first, whatever the host's order.
bool WriteDouble(common::CStreamHolder& holder, double value, const char* name) {
    uint8_t bytes[8];
    common::StoreLittleDouble(bytes, value);
    return holder.WriteBlobField(bytes, sizeof(bytes), CName(name));
}

bool ReadDouble(common::CStreamHolder& holder, double& value, const char* name) {
    uint8_t bytes[8];
    if (!holder.ReadBlobField(bytes, sizeof(bytes), CName(name)))
        return false;
    value = common::LoadLittleDouble(bytes);
    return true;
}

} // namespace

void CRunLoopTiming::StartFrames(int32_t processorFrequency, int32_t slicesPerFrame) {
    m_slicesPerFrame = slicesPerFrame < 1 ? 1 : slicesPerFrame;
    m_cyclesPerFrame = static_cast<double>(processorFrequency) / kFramesPerSecond;
    m_sliceCycles = RoundHalfUp(m_cyclesPerFrame / m_slicesPerFrame);
    m_fractionalCycles = m_cyclesPerFrame - m_sliceCycles;
    m_deferredCycles = 0;
    m_slicesLeft = m_slicesPerFrame;
    m_frameIndex = 0;
}

int64_t CRunLoopTiming::MeasureHostClock() {
    int64_t frequency = 0;
    common::GetPerformanceFrequency(&frequency);
    m_tickFrequency = frequency > 0 ? frequency : 1;
    m_ticksPerMs = m_tickFrequency / 1000 > 0 ? m_tickFrequency / 1000 : 1;
    m_ticksPerFrame = m_tickFrequency / kFramesPerSecond > 0 ? m_tickFrequency / kFramesPerSecond : 1;
    int64_t before = 0;
    int64_t after = 0;
    common::GetPerformanceCounter(&before);
    common::SleepMs(1);
    common::GetPerformanceCounter(&after);
    const int64_t slept = after - before;
    m_sleepEstimate = m_lastSleep = slept > m_ticksPerMs ? slept : m_ticksPerMs;
    return after;
}

void CRunLoopTiming::StartPacing(int64_t now) {
    m_deadline = now + m_ticksPerFrame;
    m_speedWindowEnd = now + m_tickFrequency;
}

void CRunLoopTiming::CutAtEvent(CProcessorInterface* processor, int32_t* cycles, int32_t* deferred) {
    const int32_t counter = processor->GetCyclesToEvent();
    if (counter < *cycles) {
        *deferred = *cycles - counter;
        *cycles = counter;
        processor->SetCyclesToEvent(0);
    } else {
        processor->SetCyclesToEvent(counter - *cycles);
        *deferred = 0;
    }
}

void CRunLoopTiming::CutAtEvent(CProcessorInterface* processor) {
    CutAtEvent(processor, &m_sliceCycles, &m_deferredCycles);
}

bool CRunLoopTiming::NextSlice(CProcessorInterface* processor) {
    m_fractionalCycles += m_sliceCycles;
    --m_slicesLeft;
    m_sliceCycles = 0;
    int32_t budget = 0;
    if (m_slicesLeft <= 0) {
        // The overshoot of the whole frame (cut toward zero) shortens the next one.
        m_slicesLeft = 0;
        m_sliceCycles = static_cast<int32_t>(m_fractionalCycles);
        m_fractionalCycles = m_cyclesPerFrame;
        budget = RoundHalfUp(m_cyclesPerFrame / m_slicesPerFrame);
    } else if (m_fractionalCycles > 0) {
        budget = RoundHalfUp(m_fractionalCycles / m_slicesLeft);
    }
    m_sliceCycles += budget;
    m_fractionalCycles -= budget;
    CutAtEvent(processor);
    return m_slicesLeft == 0;
}

int64_t CRunLoopTiming::Pace(int64_t now) {
    if (!m_pacingCopy) {
        m_deadline = now + m_ticksPerFrame;
        return now;
    }
    while (m_deadline - now >= 2 * m_sleepEstimate) {
        common::SleepMs(1);
        int64_t after = now;
        common::GetPerformanceCounter(&after);
        const int64_t measured = (after - now + m_lastSleep) / 2;
        m_lastSleep = measured > m_ticksPerMs ? measured : m_ticksPerMs;
        m_sleepEstimate = m_lastSleep;
        now = after;
    }
    m_sleepEstimate -= m_sleepEstimate >> 4;
    if (m_sleepEstimate < m_ticksPerMs)
        m_sleepEstimate = m_ticksPerMs;
    if (m_deadline > now)
        m_deadline += m_ticksPerFrame;
    else
        m_deadline = now + m_ticksPerFrame;
    return now;
}

void CRunLoopTiming::MeasureSpeed(int64_t now, int32_t* speedPercent) {
    // Lateness of the window's end in 0.1 ms, split so that a long gap cannot
    // overflow the multiplication.
    const int64_t gap = now - m_speedWindowEnd;
    const int64_t late = gap / m_tickFrequency * 10000 + gap % m_tickFrequency * 10000 / m_tickFrequency;
    const int64_t divisor = late + 10000;
    if (divisor > 0) {
        const int64_t tenths = 10000000 / divisor;
        if (tenths >= kSpeedExactLow && tenths <= kSpeedExactHigh) {
            *speedPercent = 100;
        } else {
            const int64_t percent = tenths / 10;
            if (percent != 0)
                *speedPercent = percent > INT32_MAX ? INT32_MAX : static_cast<int32_t>(percent);
        }
    }
    RestartSpeedWindow(now);
}

void CRunLoopTiming::RestartSpeedWindow(int64_t now) {
    m_frameIndex = 0;
    m_speedWindowEnd = now + m_tickFrequency;
}

bool CRunLoopTiming::IsPlausible(double runningFrame, int32_t runningSlices) const {
    constexpr int32_t kLimit = INT32_MAX / 4;
    // Within a factor of two of the running frame: a frame of a few cycles
    // would leave the machine standing still, as would slices of none.
    if (!std::isfinite(m_cyclesPerFrame) || m_cyclesPerFrame <= 0 || m_cyclesPerFrame > kLimit ||
        (runningFrame > 0 && (m_cyclesPerFrame > 2 * runningFrame || 2 * m_cyclesPerFrame < runningFrame)) ||
        (runningSlices > 0 && m_slicesPerFrame > runningSlices))
        return false;
    const double longest = 2 * m_cyclesPerFrame + 1;
    return std::isfinite(m_fractionalCycles) && std::fabs(m_fractionalCycles) <= longest && m_slicesPerFrame >= 1 &&
           m_slicesPerFrame <= kLimit && m_slicesLeft >= 0 && m_slicesLeft <= m_slicesPerFrame &&
           m_sliceCycles >= -longest && m_sliceCycles <= longest && m_deferredCycles >= 0 &&
           m_deferredCycles <= longest && m_frameIndex >= 0 && m_frameIndex < kSpeedWindowFrames;
}

bool CRunLoopTiming::Write(common::CStreamHolder& holder, bool maxSpeed) const {
    const uint8_t maxs = maxSpeed ? 1 : 0;
    return holder.WriteMarker(common::CStreamHolder::kChunkBegin, CName(kSectionName)) &&
           holder.WriteUInt8Field(kVersion, CName("VER")) && holder.WriteUInt8Field(kRevision, CName("VERR")) &&
           holder.WriteUInt8Field(maxs, CName("MAXS")) && holder.WriteInt32Field(m_sliceCycles, CName("PC")) &&
           holder.WriteInt32Field(m_deferredCycles, CName("PCR")) &&
           holder.WriteInt32Field(m_slicesLeft, CName("PI")) && WriteDouble(holder, m_fractionalCycles, "PFC") &&
           WriteDouble(holder, m_cyclesPerFrame, "CPF") && holder.WriteInt32Field(m_slicesPerFrame, CName("IPF")) &&
           holder.WriteInt32Field(m_frameIndex, CName("FI")) &&
           holder.WriteBoolField(m_reentryGuard.armed, CName("RGRD")) &&
           holder.WriteUInt32Field(m_reentryGuard.address, CName("RGAD")) &&
           holder.WriteBoolField(m_reentryGuard.pass, CName("RGPS")) &&
           holder.WriteMarker(common::CStreamHolder::kChunkEnd, CName(kSectionName));
}

bool CRunLoopTiming::Read(common::CStreamHolder& holder, common::CNarrowString* errorText) {
    uint8_t version = 0;
    uint8_t revision = 0;
    uint8_t maxs = 0;
    if (!holder.ReadMarker(CName(kSectionName), common::CStreamHolder::kChunkBegin, nullptr) ||
        !holder.ReadUInt8Field(version, CName("VER")) || version == 0 ||
        !holder.ReadUInt8Field(revision, CName("VERR")) ||
        (revision != kRevision && revision != kRevisionWithoutGuard) || !holder.ReadUInt8Field(maxs, CName("MAXS")) ||
        maxs > 1)
        return false;
    if (maxs == 1) {
        // The state comes from a maximum-speed loop, which this system does not run.
        if (errorText != nullptr)
            errorText->AssignNarrow("Enable \"Max CPU Speed\"!");
        return false;
    }
    const double runningFrame = m_cyclesPerFrame;
    const int32_t runningSlices = m_slicesPerFrame;
    if (!holder.ReadInt32Field(m_sliceCycles, CName("PC")) || !holder.ReadInt32Field(m_deferredCycles, CName("PCR")) ||
        !holder.ReadInt32Field(m_slicesLeft, CName("PI")) || !ReadDouble(holder, m_fractionalCycles, "PFC") ||
        !ReadDouble(holder, m_cyclesPerFrame, "CPF") || !holder.ReadInt32Field(m_slicesPerFrame, CName("IPF")) ||
        !holder.ReadInt32Field(m_frameIndex, CName("FI")) || !IsPlausible(runningFrame, runningSlices))
        return false;
    m_reentryGuard = CReentryGuard();
    if (revision != kRevisionWithoutGuard && (!holder.ReadBoolField(m_reentryGuard.armed, CName("RGRD")) ||
                                              !holder.ReadUInt32Field(m_reentryGuard.address, CName("RGAD")) ||
                                              !holder.ReadBoolField(m_reentryGuard.pass, CName("RGPS"))))
        return false;
    MeasureHostClock();
    return holder.ReadMarker(CName(kSectionName), common::CStreamHolder::kChunkEnd, nullptr);
}

} // namespace emu
