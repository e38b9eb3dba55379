#include "emu/host/CSoundOutput.h"

#include <cstring>
#include <new>
#include <thread>
#include <utility>

namespace emu {

namespace {

constexpr int32_t kBlocksPerInFlightCap = 6; // at most block count / 6 blocks in flight
constexpr int32_t kTopUpTarget = 5;          // a conversion tops the blocks in flight up to 5
constexpr int32_t kRefillTarget = 4;         // a completion tops them up to 4

inline void StoreSample16(uint8_t* block, int32_t i, int32_t value) {
    const int16_t sample = static_cast<int16_t>(value);
    std::memcpy(block + static_cast<size_t>(i) * 2, &sample, sizeof(sample));
}

} // namespace

CSoundOutput::CSoundOutput() = default;

CSoundOutput::~CSoundOutput() {
    CloseRing();
}

bool CSoundOutput::WriteBlock(int32_t /*index*/) {
    return false;
}

bool CSoundOutput::Open(uint32_t samplesPerSecond, uint32_t bits, uint32_t blockCount) {
    const int32_t rate = static_cast<int32_t>(samplesPerSecond);
    const int32_t sampleBits = static_cast<int32_t>(bits);
    const int32_t count = static_cast<int32_t>(blockCount);
    // A refused second Open leaves the running ring and its counters alone.
    if (m_blockCount > 0)
        return false;
    m_submittedBlocks.store(0, std::memory_order_release);
    m_completedBlocks.store(0, std::memory_order_release);
    m_blockLength = 0;
    if (rate <= 0 || (sampleBits != 8 && sampleBits != 16) || count <= 0 || count > rate)
        return false;

    const int32_t samplesPerBlock = rate / count;
    const size_t bytesPerSample = sampleBits == 16 ? 2 : 1;
    const size_t blockLength = static_cast<size_t>(samplesPerBlock) * bytesPerSample;
    const uint64_t ringBytes = static_cast<uint64_t>(blockLength) * static_cast<uint64_t>(count);
    if (ringBytes > static_cast<uint64_t>(SIZE_MAX / 2))
        return false;
    std::unique_ptr<int32_t[]> stagingA(new (std::nothrow) int32_t[static_cast<size_t>(samplesPerBlock)]);
    std::unique_ptr<int32_t[]> stagingB(new (std::nothrow) int32_t[static_cast<size_t>(samplesPerBlock)]);
    std::unique_ptr<uint8_t[]> storage(new (std::nothrow) uint8_t[static_cast<size_t>(ringBytes)]);
    std::vector<uint8_t*> blocks;
    if (!stagingA || !stagingB || !storage)
        return false;
    try {
        blocks.resize(static_cast<size_t>(count));
    } catch (const std::bad_alloc&) {
        return false;
    }

    m_sampleRate = rate;
    m_bits = sampleBits;
    m_blockCount = count;
    m_writeIndex = 0;
    m_stagingSelector = true;
    m_samplesPerBlock = samplesPerBlock;
    for (int32_t i = 0; i < samplesPerBlock; ++i)
        stagingA[i] = stagingB[i] = kNoSample;
    m_staging[0] = std::move(stagingA);
    m_staging[1] = std::move(stagingB);

    if (sampleBits == 8) {
        if (m_highValue == 0)
            m_highValue = 255;
    } else {
        if (m_lowValue == 0)
            m_lowValue = -32768;
        if (m_highValue == 0)
            m_highValue = 32767;
    }
    for (int32_t b = 0; b < count; ++b) {
        uint8_t* block = storage.get() + static_cast<size_t>(b) * blockLength;
        blocks[static_cast<size_t>(b)] = block;
        if (sampleBits == 8) {
            std::memset(block, static_cast<uint8_t>(m_lowValue), blockLength);
        } else {
            for (int32_t i = 0; i < samplesPerBlock; ++i)
                StoreSample16(block, i, m_lowValue);
        }
    }
    m_blocks = std::move(blocks);
    m_blockStorage = std::move(storage);
    m_blockLength = static_cast<int32_t>(blockLength);
    if (m_highValue < m_lowValue)
        std::swap(m_lowValue, m_highValue);
    m_lastSample = m_lowValue;
    m_busy.store(kIdle, std::memory_order_release);
    m_counting = true;
    m_stopped.store(false, std::memory_order_release);
    return true;
}

void CSoundOutput::Close() {
    CloseRing();
}

void CSoundOutput::CloseRing() {
    m_stopped.store(true, std::memory_order_release);
    m_blockLength = 0;
    m_staging[0].reset();
    m_staging[1].reset();
    m_blocks.clear();
    m_blockStorage.reset();
    m_blockCount = 0;
    // The range follows the bits of the next opening, not those of this one.
    m_lowValue = 0;
    m_highValue = 0;
}

CSoundOutput* CSoundOutput::CreateInstance() {
    return new (std::nothrow) CSoundOutput();
}

void CSoundOutput::Silence() {
    m_stopped.store(true, std::memory_order_release);
    for (uint8_t* block : m_blocks)
        std::memset(block, 0, static_cast<size_t>(m_blockLength));
}

const uint8_t* CSoundOutput::GetBlock(int32_t index) const {
    if (index < 0 || index >= m_blockCount)
        return nullptr;
    return m_blocks[static_cast<size_t>(index)];
}

int32_t* CSoundOutput::NextStagingBuffer(uint32_t* count, int32_t* low, int32_t* high) {
    m_stagingSelector = !m_stagingSelector;
    *count = static_cast<uint32_t>(m_samplesPerBlock);
    *low = m_lowValue;
    *high = m_highValue;
    return m_staging[m_stagingSelector ? 1 : 0].get();
}

void CSoundOutput::QueueStagingBuffer() {
    if (m_blockCount <= 0)
        return;
    int32_t expected = kIdle;
    while (!m_busy.compare_exchange_weak(expected, kConverting, std::memory_order_acq_rel)) {
        if (expected == kConverting)
            return;
        // A completion is refilling the ring: it copies at most a few blocks.
        expected = kIdle;
        std::this_thread::yield();
    }
    m_stopped.store(false, std::memory_order_release);

    // The producer holds A while the selector is false, so this converts the
    // array it filled the time before.
    int32_t* source = m_staging[m_stagingSelector ? 0 : 1].get();
    uint8_t* block = BlockAt(m_writeIndex);
    const int32_t low = m_lowValue;
    const int32_t high = m_highValue;
    int32_t last = m_lastSample;
    if (m_bits == 8) {
        for (int32_t i = 0; i < m_samplesPerBlock; ++i) {
            const int32_t value = source[i];
            if (value >= low && value <= high) {
                last = value;
                source[i] = kNoSample;
            }
            block[i] = static_cast<uint8_t>(last);
        }
    } else {
        for (int32_t i = 0; i < m_samplesPerBlock; ++i) {
            const int32_t value = source[i];
            if (value >= low && value <= high) {
                last = value;
                source[i] = kNoSample;
            }
            StoreSample16(block, i, last);
        }
    }
    m_lastSample = last;

    if (!m_counting) {
        WriteBlock(m_writeIndex);
        AdvanceWriteIndex();
    } else {
        int32_t inFlight = BlocksInFlight();
        if (inFlight < m_blockCount / kBlocksPerInFlightCap) {
            if (WriteBlock(m_writeIndex))
                CountSubmitted();
            AdvanceWriteIndex();
            // Too few in flight: the device would run dry before the next
            // block, so copies of this one fill the gap.
            while (inFlight < kTopUpTarget) {
                std::memcpy(BlockAt(m_writeIndex), block, static_cast<size_t>(m_blockLength));
                if (!WriteBlock(m_writeIndex))
                    break;
                CountSubmitted();
                AdvanceWriteIndex();
                ++inFlight;
            }
        }
        // else: the device is far behind; the block is dropped.
    }
    m_busy.store(kIdle, std::memory_order_release);
}

void CSoundOutput::OnBlockDone() {
    m_completedBlocks.fetch_add(1, std::memory_order_acq_rel);
    if (m_blockLength == 0)
        return;
    int32_t expected = kIdle;
    if (!m_busy.compare_exchange_strong(expected, kRefilling, std::memory_order_acq_rel))
        return; // a conversion runs; it tops the ring up itself
    int32_t inFlight = BlocksInFlight();
    const uint8_t* last = BlockAt(m_writeIndex == 0 ? m_blockCount - 1 : m_writeIndex - 1);
    while (inFlight < kRefillTarget) {
        std::memcpy(BlockAt(m_writeIndex), last, static_cast<size_t>(m_blockLength));
        if (m_stopped.load(std::memory_order_acquire))
            break;
        if (!WriteBlock(m_writeIndex))
            break;
        CountSubmitted();
        AdvanceWriteIndex();
        ++inFlight;
    }
    m_busy.store(kIdle, std::memory_order_release);
}

} // namespace emu
