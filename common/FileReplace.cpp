#include "common/FileReplace.h"

#include "common/HostFiles.h"

namespace common {

namespace {

WideText TemporaryOf(const WChar* path) {
    WideText temporary(path);
    temporary += u".tmp";
    return temporary;
}

} // namespace

bool RemoveStaleTemporary(const WChar* path) {
    if (!path || !*path)
        return true;
    const WideText temporary = TemporaryOf(path);
    return !HostPathExists(temporary.c_str()) || HostDeleteFile(temporary.c_str());
}

bool WriteFileReplacing(const WChar* path, const void* data, int64_t size) {
    if (!path || !*path || size < 0 || (size > 0 && !data))
        return false;
    const WideText temporary = TemporaryOf(path);
    std::FILE* file = HostOpenFile(temporary.c_str(), "w+b");
    if (!file)
        return false;
    // Written in pieces so that a size beyond size_t (a 32-bit build) cannot wrap.
    const unsigned char* bytes = static_cast<const unsigned char*>(data);
    bool ok = true;
    while (ok && size > 0) {
        const size_t piece = size > (1 << 20) ? size_t(1) << 20 : static_cast<size_t>(size);
        ok = std::fwrite(bytes, 1, piece, file) == piece;
        bytes += piece;
        size -= static_cast<int64_t>(piece);
    }
    ok = ok && std::fflush(file) == 0 && HostFlushFile(file);
    // A close can still report a failed write of the last buffered bytes.
    ok = (std::fclose(file) == 0) && ok;
    ok = ok && HostReplaceFile(temporary.c_str(), path);
    if (!ok)
        HostDeleteFile(temporary.c_str());
    return ok;
}

} // namespace common
