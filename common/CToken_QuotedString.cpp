#include "common/CToken_QuotedString.h"

namespace common {

CToken_QuotedString::~CToken_QuotedString() = default;

} // namespace common
