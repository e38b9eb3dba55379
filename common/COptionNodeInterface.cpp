#include "common/COptionNodeInterface.h"

namespace common {

COptionNodeInterface::~COptionNodeInterface() = default;

} // namespace common
