#pragma once
// Replacing a file whole, so that a failed save never leaves it empty or
// half-written: the new bytes go to a temporary file beside it, are forced to
// disk, and only then take the old file's place in one host call.
#include <cstdint>
#include <cstdio>

#include "common/Types.h"

namespace common {

// Forces the file's buffered and cached bytes out to the disk; false when the
// host reports an error (also for a null file).
bool HostFlushFile(std::FILE* file);
// Moves the file `source` to `target`, replacing an existing target in one
// step; false when the host refuses, in which case the target is untouched.
bool HostReplaceFile(const WChar* source, const WChar* target);

// Makes `data` (size bytes) the whole content of the file at `path`: writes it
// to "<path>.tmp", flushes it to disk and replaces the file with it. On any
// failure the temporary file is removed and the file at `path` is untouched.
bool WriteFileReplacing(const WChar* path, const void* data, int64_t size);

// Removes the "<path>.tmp" that a save killed midway left beside the file;
// the program calls it at start for each file it saves, since a temporary is
// never read back. False when one is there and cannot be removed.
bool RemoveStaleTemporary(const WChar* path);

} // namespace common
