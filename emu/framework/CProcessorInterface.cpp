#include "emu/framework/CProcessorInterface.h"

namespace emu {

CProcessorInterface::CProcessorInterface() : m_cyclesToEvent(kNoEvent) {}

CProcessorInterface::~CProcessorInterface() {}

} // namespace emu
