// POSIX side of file replacement: UTF-16 paths become UTF-8 byte names.
#include "common/FileReplace.h"
#include "common/Utf8.h"

#include <unistd.h>

#include <cstdio>
#include <string>

namespace common {

// The same UTF-8 naming as the host file layer uses for opening, so that a
// file opened by a name is the one renamed by it.
bool HostFlushFile(std::FILE* file) {
    return file && fsync(fileno(file)) == 0;
}

bool HostReplaceFile(const WChar* source, const WChar* target) {
    if (!source || !target)
        return false;
    // rename replaces an existing target atomically.
    return std::rename(ToUtf8(source).c_str(), ToUtf8(target).c_str()) == 0;
}

} // namespace common
