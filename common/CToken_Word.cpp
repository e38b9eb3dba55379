#include "common/CToken_Word.h"

namespace common {

CToken_Word::~CToken_Word() = default;

} // namespace common
