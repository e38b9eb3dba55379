#include "common/CToken_Punctuation.h"

namespace common {

CToken_Punctuation::~CToken_Punctuation() = default;

} // namespace common
