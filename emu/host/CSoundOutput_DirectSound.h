#pragma once
// "DirectSound": the block ring played through DirectSound (Windows only;
// CSoundOutput_DirectSound_Win32.cpp). A primary buffer set to the ring's PCM
// format and one looping secondary buffer as large as the whole ring. There
// is no completion callback: counting is off, so every converted block goes
// straight to WriteBlock, which reads the play and write cursors and copies
// the block a few slots ahead of the block being played. Needs the main
// window's handle for the cooperative level.
//
// Placement (PlanSlots, plain C++ in CSoundOutput_DirectSound.cpp): the cursor
// is the slot the next block goes to. The first block goes 6 slots past the
// block under the play cursor; in steady state each call fills one slot and
// the cursor stays 6 ahead. A cursor 10 to 15 ahead moves back by 2; one 16 or
// more ahead restarts at the play block. A cursor that has fallen behind makes
// the call fill every slot up to 5 ahead with the same block, skipping those
// nearer than the write cursor, and leaves the cursor 6 ahead.
//
// Threads: WriteBlock runs on the emulation thread and Silence on whichever
// thread pauses the bus's sound; an atomic busy flag makes the second caller
// return at once.
#include <atomic>
#include <cstdint>

#include "emu/host/CSoundOutput_Windowed.h"

struct IDirectSound;
struct IDirectSoundBuffer;

namespace emu {

class CSoundOutput_DirectSound : public CSoundOutput_Windowed {
public:
    // A call fills at most the slots 0 to 5 ahead of the play block.
    static constexpr int32_t kMaxPlannedSlots = 6;

    CSoundOutput_DirectSound();
    ~CSoundOutput_DirectSound() override;

    // False without a window handle, when open already, for a rate not a
    // multiple of the block count, and on any DirectSound failure (everything
    // is released then).
    bool Open(uint32_t samplesPerSecond, uint32_t bits, uint32_t blockCount) override;
    void Close() override;
    bool WriteBlock(int32_t index) override;
    // Stops the secondary buffer; the blocks stay, the next block plays again.
    void Silence() override;
    // A new "DirectSound" output with the same window handle.
    CSoundOutput* CreateInstance() override;
    const char* GetName() override { return "DirectSound"; }

    // The ring slots one block is copied into, in order, for the play and
    // write cursors (bytes); *cursor (-1: not placed yet) is the slot the
    // block goes to and receives the slot after the last one visited.
    // Returns the slot count (0 to kMaxPlannedSlots).
    static int32_t PlanSlots(uint32_t playPosition, uint32_t writePosition, int32_t blockLength, int32_t blockCount,
                             int32_t* cursor, int32_t slots[kMaxPlannedSlots]);

    int32_t GetCursor() const { return m_cursor; }

private:
    // Copies ring block `index` into secondary-buffer slot `slot`.
    void CopyToSlot(int32_t index, int32_t slot);

    std::atomic<bool> m_open{false};
    std::atomic<bool> m_busy{false};           // a WriteBlock or Silence runs
    IDirectSound* m_directSound = nullptr;     // owned; released by Close
    IDirectSoundBuffer* m_primary = nullptr;   // owned; released by Close
    IDirectSoundBuffer* m_secondary = nullptr; // owned; released by Close
    int32_t m_cursor = -1;
};

} // namespace emu
