#include "emu/host/CSoundOutput_Windowed.h"

namespace emu {

CSoundOutput_Windowed::CSoundOutput_Windowed() = default;

CSoundOutput_Windowed::~CSoundOutput_Windowed() = default;

} // namespace emu
