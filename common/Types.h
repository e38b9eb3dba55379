#pragma once
// Basic types shared by every layer.
#include <cstddef>
#include <cstdint>
#include <string>

namespace common {

// One UTF-16 code unit. Wide text is UTF-16 on every build, whatever the size
// of the host's wchar_t; Win32 calls see it as wchar_t (16 bits there).
typedef char16_t WChar;
typedef std::u16string WideText;

} // namespace common

// printf-style format checking for the formatting functions.
#if defined(__GNUC__)
#define COMMON_PRINTF_FORMAT(fmt, args) __attribute__((format(gnu_printf, fmt, args)))
#else
#define COMMON_PRINTF_FORMAT(fmt, args)
#endif
