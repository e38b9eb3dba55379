#include "emu/framework/CInterruptControllerInterface.h"

namespace emu {

CInterruptControllerInterface::CInterruptControllerInterface() {}

CInterruptControllerInterface::~CInterruptControllerInterface() {}

} // namespace emu
