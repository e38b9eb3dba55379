#include "emu/framework/CInterrupts.h"

namespace emu {

CInterrupts::CInterrupts() {
    SetName("_INTR");
}

CInterrupts::~CInterrupts() {}

} // namespace emu
