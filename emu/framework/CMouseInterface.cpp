#include "emu/framework/CMouseInterface.h"

namespace emu {

CMouseInterface::CMouseInterface() = default;

CMouseInterface::~CMouseInterface() = default;

} // namespace emu
