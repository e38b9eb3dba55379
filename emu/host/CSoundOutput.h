#pragma once
// The host sound output as the bus drives it. The host variants (no sound,
// waveOut, DirectSound) implement it; the machine hands one to the bus as a
// prototype, and the bus clones it once per sound stream.
//
// A stream's blocks are filled through two staging arrays of 32-bit samples:
// the bus asks for the next array, its producer writes the samples it has
// (the output presets every slot with kNoSample), and the output converts the
// array into its next ring block, repeating the previous sample in the slots
// left at kNoSample, and plays it.
//
// Deleting an output closes it and frees its blocks.
#include <cstdint>

namespace emu {

class CSoundOutput {
public:
    // A staging slot without a sample.
    static constexpr int32_t kNoSample = 0x7FFFFFFF;

    CSoundOutput() = default;
    virtual ~CSoundOutput() = default;

    CSoundOutput(const CSoundOutput&) = delete;
    CSoundOutput& operator=(const CSoundOutput&) = delete;

    // A new, closed output of the same kind; null when none can be made. The
    // caller owns it.
    virtual CSoundOutput* CreateInstance() = 0;
    // Opens the output for `samplesPerSecond` samples of `bits` (8 or 16) bits
    // in `blockCount` blocks of samplesPerSecond / blockCount samples each.
    virtual bool Open(uint32_t samplesPerSecond, uint32_t bits, uint32_t blockCount) = 0;
    // Stops playing and fills every block with silence.
    virtual void Silence() = 0;
    // Switches to the other staging array and hands it out with the samples per
    // block and the lowest and highest sample values of the output format
    // (0 and 255 for 8 bits); null when the output is not open.
    virtual int32_t* NextStagingBuffer(uint32_t* count, int32_t* low, int32_t* high) = 0;
    // Converts the staging array last handed out into the next block and
    // queues it for playing.
    virtual void QueueStagingBuffer() = 0;
};

} // namespace emu
