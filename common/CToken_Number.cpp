#include "common/CToken_Number.h"

namespace common {

CToken_Number::~CToken_Number() = default;

} // namespace common
