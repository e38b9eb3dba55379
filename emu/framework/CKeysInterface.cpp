#include "emu/framework/CKeysInterface.h"

namespace emu {

CKeysInterface::CKeysInterface() = default;

CKeysInterface::~CKeysInterface() = default;

} // namespace emu
