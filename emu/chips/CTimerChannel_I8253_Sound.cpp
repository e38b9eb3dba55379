// The channel's life cycle and its sound: the per-tick event, the slots it
// records and the rendering of each block from them.
#include <cmath>
#include <limits>
#include <new>

#include "emu/chips/CTimerChannel_I8253.h"
#include "emu/framework/CBus.h"

namespace emu {

namespace {

// A length in samples: a whole number of signed 32-bit range, widened.
int64_t ToSamples(double x) {
    if (std::isnan(x))
        return 0;
    if (x <= static_cast<double>(std::numeric_limits<int32_t>::min()))
        return std::numeric_limits<int32_t>::min();
    if (x >= static_cast<double>(std::numeric_limits<int32_t>::max()))
        return std::numeric_limits<int32_t>::max();
    return static_cast<int32_t>(x);
}

// The length of a phase that takes `share` of a count cycle lasting
// `samples`; a negative share is a phase that does not end (-1) however
// short the cycle.
int64_t RoundedLength(double share, double samples) {
    return share < 0.0 ? -1 : ToSamples(std::floor(samples * share + 0.5));
}
int64_t CeilLength(double share, double samples) {
    return share < 0.0 ? -1 : ToSamples(std::ceil(samples * share));
}

} // namespace

// --- Life cycle --------------------------------------------------------------------------------

void CTimerChannel_I8253::ResetCounter() {
    m_regs = CRegisters();
    m_regs.OUTP = !m_soundGeneration; // a sound channel is silent until the machine enables it
    m_wave.CECO = false;
    m_wave.CES = false;
    m_wave.CER = true;
    if (m_clock == 0)
        m_clock = kDefaultClock;
    m_generator = &CTimerChannel_I8253::GenerateSilence;
    CheckBaseFrequency();
    m_regs.STTM = GetNow();
}

void CTimerChannel_I8253::FreeSlots() {
    delete[] m_slots;
    m_slots = nullptr;
}

void CTimerChannel_I8253::DropSoundBuffer() {
    m_soundBuffer = nullptr;
    m_soundBufferSamples = 0;
    m_slotsValid = false;
    FreeSlots();
}

void CTimerChannel_I8253::ResetSound() {
    DropSoundBuffer();
    m_SNDX = false;
    m_SNDH = m_SNDL = m_SNDR = 0;
    m_wave = CWaveform();
}

bool CTimerChannel_I8253::Start(int32_t* value) {
    if (!CDevice::Start(value))
        return false;
    if (value != nullptr && *value < kMinimumRate)
        *value = kMinimumRate;
    ResetSound();
    ResetCounter();
    if (m_bus == nullptr)
        return false;
    if (m_soundGeneration && !m_bus->AddSoundStream(kSoundRate, kSoundBits, OnSoundEvent, this, "SoundEvent", 0, 0))
        return false;
    if (!m_bus->AddEvent(-1, OnUpdateEvent, this, "UpdateEvent", 0, 0, true))
        return false;
    m_raisedIrqCount = 0;
    return true;
}

void CTimerChannel_I8253::Stop() {
    DropSoundBuffer();
    CDevice::Stop();
}

// --- Per tick ------------------------------------------------------------------------------------

bool CTimerChannel_I8253::OnUpdateEvent(CObject* user, uint64_t* /*fireCount*/, uint32_t* /*data*/) {
    auto* self = static_cast<CTimerChannel_I8253*>(user);
    self->Update();
    if (self->m_regs.INTC != 0) // nothing to raise on most ticks
        self->RaiseInterrupts();
    if (self->m_soundGeneration)
        self->StoreSoundSample();
    return true;
}

void CTimerChannel_I8253::StoreSoundSample() {
    if (!m_soundGeneration || m_soundBuffer == nullptr || m_slots == nullptr || m_bus == nullptr ||
        m_blockFrequency <= 0)
        return;
    // Both divisions below are kept from the tick before: the quotient while
    // rate and block frequency stay, the remainder one step on while the
    // counter goes up by one.
    const int32_t rate = m_bus->GetSampleRate();
    if (rate != m_positionRate || m_blockFrequency != m_positionBlockFrequency) {
        m_positionRate = rate;
        m_positionBlockFrequency = m_blockFrequency;
        m_ticksPerBlock = rate / m_blockFrequency;
        m_positionTick = 0;
        m_position = 0;
    }
    const int32_t ticksPerBlock = m_ticksPerBlock;
    if (ticksPerBlock <= 0)
        return;
    // The first tick of a block fills the highest slot. The tick counter is
    // taken unsigned, so that it stays in step past 2^31 ticks.
    const uint32_t tick = m_bus->GetTickCounter();
    const uint32_t ticks = static_cast<uint32_t>(ticksPerBlock);
    uint32_t position;
    if (tick != 0 && tick - 1 == m_positionTick)
        position = m_position + 1 == ticks ? 0 : m_position + 1;
    else
        position = tick % ticks;
    m_positionTick = tick;
    m_position = position;
    const int64_t index = static_cast<int64_t>(ticksPerBlock) - 1 - position;
    if (index >= m_soundBufferSamples)
        return;
    CSlot& slot = m_slots[index];
    slot.changed = m_wave.CER;
    if (m_wave.CER) {
        m_wave.CER = false;
        const double seconds = m_regs.BFRQ != 0 ? m_regs.CETM / m_regs.BFRQ : 0.0; // one count cycle
        const double samples = seconds * static_cast<double>(m_soundBufferSamples) * m_blockFrequency;
        int64_t high;
        int64_t low;
        if (m_wave.CECO) {
            const int64_t period = ToSamples(std::floor(samples + 0.5));
            low = period / 2;
            high = period - low;
        } else {
            high = RoundedLength(m_wave.CEH, samples);
            low = RoundedLength(m_wave.CEL, samples);
        }
        if (high == 0 && low == 0)
            high = low = -1; // shorter than a sample: a constant level
        m_SNDH = high;
        m_SNDL = low;
        m_SNDR = m_wave.CES ? high : low;
        if (!m_wave.CECO) {
            m_SNDH = CeilLength(m_wave.CEHX, samples);
            m_SNDL = CeilLength(m_wave.CELX, samples);
            if (m_SNDH == 0 && m_SNDL == 0)
                m_SNDH = m_SNDL = -1;
        }
        slot.level = m_wave.CES;
    } else {
        slot.level = m_SNDX;
    }
    slot.high = m_SNDH;
    slot.low = m_SNDL;
    slot.remaining = m_SNDR;
    slot.enabled = m_regs.OUTP;
    m_slotsValid = true;
}

// --- Per block -----------------------------------------------------------------------------------

bool CTimerChannel_I8253::OnSoundEvent(CObject* user, int32_t* samples, uint32_t count, int32_t first, int32_t second,
                                       int32_t frequency, uint32_t* /*data*/) {
    auto* self = static_cast<CTimerChannel_I8253*>(user);
    if (!self->m_soundGeneration)
        return false;
    if (self->m_soundBuffer != nullptr && self->m_slotsValid)
        self->RenderBlock();
    const int64_t length = count;
    if (length != self->m_soundBufferSamples) {
        self->FreeSlots();
        self->m_slotsValid = false;
        if (length > 0 && length <= kMaxSlots)
            self->m_slots = new (std::nothrow) CSlot[static_cast<size_t>(length)]();
    }
    self->m_soundBuffer = samples;
    self->m_soundBufferSamples = length;
    self->m_firstSampleValue = first;
    self->m_secondSampleValue = second;
    self->m_blockFrequency = frequency;
    self->Update();
    return true;
}

void CTimerChannel_I8253::RenderBlock() {
    if (m_bus == nullptr || m_blockFrequency <= 0 || m_slots == nullptr)
        return;
    const int64_t ticks = m_bus->GetSampleRate() / m_blockFrequency;
    const int64_t slots = ticks < m_soundBufferSamples ? ticks : m_soundBufferSamples;
    if (slots <= 0)
        return;
    // Rendering always starts from the state recorded at the block's first tick.
    m_slots[slots - 1].changed = true;
    int32_t* out = m_soundBuffer;
    int64_t rest = m_soundBufferSamples;
    for (int64_t i = slots - 1; i >= 0; --i) {
        const int64_t share = rest / (i + 1);
        rest -= share;
        const CSlot& slot = m_slots[i];
        if (slot.changed) {
            m_SNDX = slot.level;
            m_SNDH = slot.high;
            m_SNDL = slot.low;
            m_SNDR = slot.remaining;
        }
        RenderShare(out, share, slot.enabled);
        out += share;
    }
}

void CTimerChannel_I8253::RenderShare(int32_t* out, int64_t share, bool enabled) {
    // A negative length read as an unsigned count is a phase that does not end.
    uint64_t remaining = static_cast<uint64_t>(m_SNDR);
    auto flip = [&]() {
        m_SNDX = !m_SNDX;
        remaining = static_cast<uint64_t>(m_SNDX ? m_SNDH : m_SNDL);
        if (remaining == 0)
            remaining = 1;
    };
    uint64_t left = static_cast<uint64_t>(share);
    while (left > 0) {
        if (remaining == 0)
            flip();
        const int32_t value = m_SNDX && enabled ? m_firstSampleValue : m_secondSampleValue;
        const uint64_t run = left < remaining ? left : remaining;
        for (uint64_t n = 0; n < run; ++n)
            *out++ = value;
        left -= run;
        remaining -= run;
    }
    if (remaining == 0)
        flip();
    m_SNDR = static_cast<int64_t>(remaining);
}

} // namespace emu
