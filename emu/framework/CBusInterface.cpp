#include "emu/framework/CBusInterface.h"

namespace emu {

CBusInterface::CBusInterface() {}

CBusInterface::~CBusInterface() {}

} // namespace emu
