#pragma once
// The console colours of device trace and log lines (ARGB 0xAARRGGBB), by the
// kind of line. The two break entries hold the same colour but stay apart: one
// marks events that ask no stop, the other accesses that the break left undone.
#include <cstdint>

#include "common/CImage.h"

namespace emu {

enum ConsoleColorIndex : int32_t {
    kColourRead = 0,        // plain line of a read access
    kColourWrite = 1,       // plain line of a write access
    kColourTrace = 2,       // plain line of any other trace, and console messages
    kColourEventBreak = 3,  // break line of an event that asks no stop
    kColourAccessBreak = 4, // break line of an access that asks a stop
    kColourError = 5,       // error messages
    kConsoleColourCount = 6
};

// A constant table: initialised before any code runs, so no start-up order matters.
inline constexpr common::ARGB ConsoleColors[kConsoleColourCount] = {
    0xFFAFAF73u, 0xFF00C896u, 0xFF9696FFu, 0xFFFF4B4Bu, 0xFFFF4B4Bu, 0xFFFF3C3Cu,
};

} // namespace emu
