#pragma once
// "WaveSound": the block ring played through the waveOut functions on the wave
// mapper (Windows only; CSoundOutput_WaveSound_Win32.cpp). One prepared wave
// header per ring block; the completion callback counts finished blocks and
// keeps at least four in flight. The device volume is muted from opening
// until more than block count / 8 blocks have played, so the first blocks
// (the ring's start-up) make no click, and is given back then or at Close.
//
// Threads: the callback runs on the waveOut thread and, like Close, takes the
// output's lock; Close clears the open flag under it first, so a late
// callback counts nothing.
#include <atomic>
#include <cstdint>

#include "common/CCriticalSection.h"
#include "emu/host/CSoundOutput_Windowed.h"

namespace emu {

class CSoundOutput_WaveSound : public CSoundOutput_Windowed {
public:
    CSoundOutput_WaveSound();
    ~CSoundOutput_WaveSound() override;

    // Opens the wave mapper, mutes it, then the ring; false (everything
    // closed, the volume given back) on any failure, when a device is open
    // already, or when the rate is not a multiple of the block count.
    bool Open(uint32_t samplesPerSecond, uint32_t bits, uint32_t blockCount) override;
    void Close() override;
    bool WriteBlock(int32_t index) override;
    // A new "WaveSound" output with the same window handle.
    CSoundOutput* CreateInstance() override;
    const char* GetName() override { return "WaveSound"; }

    // The waveOut callback's work: a finished block of this output's device.
    static void WaveOutCallback(void* device, uint32_t message, uintptr_t instance, uintptr_t param1, uintptr_t param2);

    // The volume to set when it is given back: the saved one, else the
    // remembered one, each silent channel raised to 0x1000 (low word left,
    // high word right).
    static uint32_t VolumeToGiveBack(uint32_t saved, uint32_t remembered);

    bool IsVolumeSaved() const { return m_volumeSaved; }

private:
    void GiveVolumeBack();
    // The last non-zero volume read from any device (process-wide).
    static std::atomic<uint32_t>& RememberedVolume();

    bool m_open = false;              // completions are counted; guarded by m_lock
    common::CCriticalSection m_lock;  // the callback's and Close's
    void* m_device = nullptr;         // HWAVEOUT; closed by Close
    void* m_headers = nullptr;        // WAVEHDR[block count]; owned
    std::atomic<bool> m_ready{false}; // WriteBlock may submit
    bool m_volumeSaved = false;
    void* m_volumeDevice = nullptr; // device whose volume is set (the mapper before opening)
    uint32_t m_savedVolume = 0;
};

} // namespace emu
