#pragma once
// The layer of the sound outputs that need the host's main window (waveOut,
// DirectSound): they answer IsWindowless with false, so the front end sets
// their window handle before handing them on, and their CreateInstance copies
// the handle into the clone.
#include "emu/host/CSoundOutput.h"

namespace emu {

class CSoundOutput_Windowed : public CSoundOutput {
public:
    CSoundOutput_Windowed();
    ~CSoundOutput_Windowed() override;

    bool IsWindowless() override { return false; }
};

} // namespace emu
