#include "emu/framework/CMemory.h"

namespace emu {

CMemory::CMemory() {
    SetName("_MEM");
}

CMemory::~CMemory() {}

} // namespace emu
