#pragma once
// UTF-16 <-> UTF-8, the encoding of host file names on POSIX systems.
#include <string>

#include "common/Types.h"

namespace common {

// UTF-16 up to its NUL to UTF-8; a lone surrogate becomes U+FFFD.
std::string ToUtf8(const WChar* text);
// UTF-8 to UTF-16; a malformed sequence becomes U+FFFD.
WideText FromUtf8(const std::string& text);

} // namespace common
