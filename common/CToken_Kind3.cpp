#include "common/CToken_Kind3.h"

namespace common {

CToken_Kind3::~CToken_Kind3() = default;

} // namespace common
