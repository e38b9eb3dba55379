// The waveOut output's volume rule; plain C++, built everywhere.
#include "emu/host/CSoundOutput_WaveSound.h"

namespace emu {

uint32_t CSoundOutput_WaveSound::VolumeToGiveBack(uint32_t saved, uint32_t remembered) {
    uint32_t volume = saved != 0 ? saved : remembered;
    // A channel read as silent would stay silent for good: give it a little.
    if ((volume & 0xFFFF0000u) == 0)
        volume |= 0x10000000u;
    if ((volume & 0x0000FFFFu) == 0)
        volume |= 0x1000u;
    return volume;
}

std::atomic<uint32_t>& CSoundOutput_WaveSound::RememberedVolume() {
    static std::atomic<uint32_t> s_volume{0};
    return s_volume;
}

} // namespace emu
