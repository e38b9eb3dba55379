#pragma once
// The host sound output as the bus drives it, and the output "No Sound" that
// plays nothing. The host variants (waveOut, DirectSound) derive from it; the
// machine hands one to the bus as a prototype, and the bus clones it once per
// sound stream and opens the clone with 50 blocks a second.
//
// An open output owns a ring of PCM blocks (unsigned bytes for 8 bits, signed
// 16-bit values for 16) and two staging arrays of 32-bit samples. Per block
// the bus asks for the next staging array, its producer writes the samples it
// has (every other slot keeps kNoSample), and QueueStagingBuffer converts the
// array the producer is NOT holding (so sound starts one block late) into the
// next ring block, repeating the previous sample in the slots that carry none,
// and hands it to the device.
//
// Counting (waveOut style, the default): submissions are counted against the
// completions the device reports through OnBlockDone; a block is dropped while
// block count / 6 blocks are in flight, and too few in flight are topped up
// with copies of the newest block. Without counting (DirectSound) every
// converted block goes straight to WriteBlock.
//
// Threads: QueueStagingBuffer runs on the emulation thread, OnBlockDone on the
// device's callback thread under the device output's lock. One atomic busy
// word lets exactly one of them work on the ring at a time: a conversion makes
// the refill skip, and a conversion that meets a running refill waits for it.
//
// Deleting an output closes it and frees its blocks.
#include <atomic>
#include <cstdint>
#include <memory>
#include <vector>

namespace emu {

class CSoundOutput {
public:
    // A staging slot without a sample.
    static constexpr int32_t kNoSample = 0x7FFFFFFF;

    CSoundOutput();
    virtual ~CSoundOutput();

    CSoundOutput(const CSoundOutput&) = delete;
    CSoundOutput& operator=(const CSoundOutput&) = delete;

    // Hands ring block `index` to the device; true when the device took it.
    // "No Sound" takes nothing.
    virtual bool WriteBlock(int32_t index);
    // Opens the ring for `samplesPerSecond` samples of `bits` (8 or 16) bits
    // in `blockCount` blocks of samplesPerSecond / blockCount samples each.
    // False (and the output stays closed) when it is open already, for a rate
    // below 1, other bits, or a block count below 1 or above the rate. Each
    // argument is taken as a signed 32-bit value.
    virtual bool Open(uint32_t samplesPerSecond, uint32_t bits, uint32_t blockCount);
    // Frees the ring; the output may be opened again.
    virtual void Close();
    virtual bool NotSupported5(int32_t /*value*/) { return false; }
    virtual bool NotSupported6(int32_t /*value0*/, int32_t /*value1*/) { return false; }
    // A new, closed output of the same kind, owned by the caller; null when
    // none can be made.
    virtual CSoundOutput* CreateInstance();
    // Whether the output plays without the main window's handle.
    virtual bool IsWindowless() { return true; }
    // Stops playing and fills every block with zero bytes.
    virtual void Silence();
    virtual const char* GetName() { return "No Sound"; }

    // Switches to the other staging array and hands it out with the samples per
    // block and the lowest and highest sample values of the output format
    // (0 and 255 for 8 bits); null when the output is not open.
    virtual int32_t* NextStagingBuffer(uint32_t* count, int32_t* low, int32_t* high);
    // Converts the staging array the producer does not hold into the next
    // block and submits it.
    virtual void QueueStagingBuffer();

    // The main window, for the outputs whose IsWindowless is false; not owned.
    void SetWindowHandle(void* window) { m_windowHandle = window; }
    void* GetWindowHandle() const { return m_windowHandle; }

    bool IsOpen() const { return m_blockCount > 0; }
    int32_t GetSampleRate() const { return m_sampleRate; }
    int32_t GetBits() const { return m_bits; }
    int32_t GetBlockCount() const { return m_blockCount; }
    int32_t GetSamplesPerBlock() const { return m_samplesPerBlock; }
    int32_t GetBlockLength() const { return m_blockLength; }
    int32_t GetWriteIndex() const { return m_writeIndex; }
    int32_t GetLowValue() const { return m_lowValue; }
    int32_t GetHighValue() const { return m_highValue; }
    // Ring block `index` (block length bytes), or null.
    const uint8_t* GetBlock(int32_t index) const;
    uint64_t GetSubmittedBlocks() const { return m_submittedBlocks.load(std::memory_order_acquire); }
    uint64_t GetCompletedBlocks() const { return m_completedBlocks.load(std::memory_order_acquire); }
    bool IsStopped() const { return m_stopped.load(std::memory_order_acquire); }
    bool IsCounting() const { return m_counting; }

protected:
    // The device finished a block (device thread, under the device output's
    // lock): counts it and, unless a conversion runs, tops the blocks in
    // flight up to 4 with copies of the newest block.
    void OnBlockDone();
    void SetCounting(bool on) { m_counting = on; }
    uint8_t* BlockAt(int32_t index) const { return m_blocks[static_cast<size_t>(index)]; }

private:
    // Who works on the ring (the busy word).
    enum : int32_t { kIdle = 0, kConverting = 1, kRefilling = 2 };

    // Frees the ring: the part of Close every output runs.
    void CloseRing();
    void AdvanceWriteIndex() { m_writeIndex = m_writeIndex + 1 >= m_blockCount ? 0 : m_writeIndex + 1; }
    // Blocks handed to the device and not yet reported done (low 32 bits).
    int32_t BlocksInFlight() const {
        return static_cast<int32_t>(static_cast<uint32_t>(GetSubmittedBlocks() - GetCompletedBlocks()));
    }
    void CountSubmitted() { m_submittedBlocks.fetch_add(1, std::memory_order_acq_rel); }

    int32_t m_sampleRate = 0;
    int32_t m_bits = 0;
    int32_t m_blockCount = 0;                  // 0: closed
    std::vector<uint8_t*> m_blocks;            // into m_blockStorage
    std::unique_ptr<uint8_t[]> m_blockStorage; // owned: every block, one after another
    int32_t m_blockLength = 0;                 // bytes per block
    int32_t m_writeIndex = 0;
    std::unique_ptr<int32_t[]> m_staging[2]; // A and B; owned
    bool m_stagingSelector = true;           // false: the producer holds A
    int32_t m_lowValue = 0;
    int32_t m_highValue = 0;
    int32_t m_samplesPerBlock = 0;
    int32_t m_lastSample = 0;
    std::atomic<uint64_t> m_submittedBlocks{0};
    std::atomic<uint64_t> m_completedBlocks{0};
    std::atomic<int32_t> m_busy{kIdle};
    bool m_counting = false;
    std::atomic<bool> m_stopped{false};
    void* m_windowHandle = nullptr; // the host's main window; not owned
};

} // namespace emu
