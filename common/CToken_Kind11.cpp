#include "common/CToken_Kind11.h"

namespace common {

CToken_Kind11::~CToken_Kind11() = default;

} // namespace common
