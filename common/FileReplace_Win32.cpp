// Win32 side of file replacement.
#include "common/FileReplace.h"

#include <windows.h>

#include <io.h>

namespace common {

static_assert(sizeof(wchar_t) == sizeof(WChar), "Win32 wide text is UTF-16");

bool HostFlushFile(std::FILE* file) {
    if (!file)
        return false;
    const intptr_t handle = _get_osfhandle(_fileno(file));
    if (handle == -1)
        return false;
    return FlushFileBuffers(reinterpret_cast<HANDLE>(handle)) != 0;
}

bool HostReplaceFile(const WChar* source, const WChar* target) {
    if (!source || !target)
        return false;
    return MoveFileExW(reinterpret_cast<const wchar_t*>(source), reinterpret_cast<const wchar_t*>(target),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

} // namespace common
