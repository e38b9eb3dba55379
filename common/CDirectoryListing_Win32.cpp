// Windows side of the folder search: FindFirstFileW / FindNextFileW.
#include <windows.h>

#include "common/CDirectoryListing.h"

namespace common {

namespace {

bool IsSeparator(WChar c) {
    return c == u'\\' || c == u'/';
}

} // namespace

bool HostScanFolder(const WChar* folder, const WChar* pattern, FolderEntryVisitor visit, void* context) {
    WideText search = folder ? folder : u"";
    const WChar* tail = pattern ? pattern : u"";
    if (!search.empty() && !IsSeparator(search.back()) && !IsSeparator(tail[0]))
        search += u'\\';
    search += tail;

    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW(reinterpret_cast<const wchar_t*>(search.c_str()), &data);
    if (find == INVALID_HANDLE_VALUE)
        return false;
    do {
        visit(context, reinterpret_cast<const WChar*>(data.cFileName),
              (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0);
    } while (FindNextFileW(find, &data));
    FindClose(find);
    return true;
}

} // namespace common
