#include "common/CToken_Kind6.h"

namespace common {

CToken_Kind6::~CToken_Kind6() = default;

} // namespace common
