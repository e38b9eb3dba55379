#include "emu/framework/CMachineInterface.h"

namespace emu {

CMachineInterface::CMachineInterface() : m_traceLevel(nullptr) {}

CMachineInterface::~CMachineInterface() {}

void CMachineInterface::GetBaseTime(int64_t* frequency, int64_t* cycles) {
    GetBaseFrequency(frequency);
    GetBaseCycleCount(cycles);
}

uint32_t CMachineInterface::CheckBreak(bool* /*request*/, bool* result) {
    if (result != nullptr)
        *result = true;
    return 0;
}

} // namespace emu
