#include "emu/framework/CDeviceParameterListInterface.h"

namespace emu {

CDeviceParameterListInterface::CDeviceParameterListInterface() {}

CDeviceParameterListInterface::~CDeviceParameterListInterface() {}

} // namespace emu
