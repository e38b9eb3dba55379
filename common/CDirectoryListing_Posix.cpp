// POSIX side of the folder search: opendir / readdir, with stat where the entry
// type is not given. Paths go to the host as UTF-8; the pattern's wildcards
// follow the Windows ones (* and ?, letters compared without case, a trailing
// ".*" also matching a name without extension).
#include <dirent.h>
#include <sys/stat.h>
#include <sys/types.h>

#include <string>

#include "common/CDirectoryListing.h"
#include "common/Utf8.h"

namespace common {

namespace {

bool IsSeparator(WChar c) {
    return c == u'\\' || c == u'/';
}

WChar Fold(WChar c) {
    return c >= u'a' && c <= u'z' ? static_cast<WChar>(c - u'a' + u'A') : c;
}

bool Matches(const WChar* pattern, const WChar* name) {
    // The last star seen and the name position it currently swallows up to.
    const WChar* star = nullptr;
    const WChar* resume = nullptr;
    while (*name) {
        if (*pattern == u'*') {
            star = pattern++;
            resume = name;
        } else if (*pattern == u'?' || (*pattern && Fold(*pattern) == Fold(*name))) {
            ++pattern;
            ++name;
        } else if (star) {
            pattern = star + 1;
            name = ++resume;
        } else {
            return false;
        }
    }
    while (*pattern == u'*')
        ++pattern;
    return *pattern == 0 || (pattern[0] == u'.' && pattern[1] == u'*' && pattern[2] == 0);
}

bool IsFolderEntry(const dirent* entry, const std::string& folder) {
#ifdef DT_DIR
    if (entry->d_type == DT_DIR)
        return true;
    if (entry->d_type != DT_UNKNOWN && entry->d_type != DT_LNK)
        return false;
#endif
    // Follows links, as a Windows listing reports a link to a folder as a folder.
    struct stat info;
    return stat((folder + entry->d_name).c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

} // namespace

bool HostScanFolder(const WChar* folder, const WChar* pattern, FolderEntryVisitor visit, void* context) {
    // A pattern may name sub-folders in front of its wildcard part.
    WideText path = folder ? folder : u"";
    WideText wildcard = pattern ? pattern : u"";
    const size_t cut = wildcard.find_last_of(u"\\/");
    if (cut != WideText::npos) {
        WideText prefix = wildcard.substr(0, cut + 1);
        for (WChar& c : prefix)
            if (c == u'\\')
                c = u'/';
        if (!path.empty() && !IsSeparator(path.back()) && prefix[0] != u'/')
            path += u'/';
        path += prefix;
        wildcard.erase(0, cut + 1);
    }
    if (!path.empty() && !IsSeparator(path.back()))
        path += u'/';

    const std::string hostFolder = ToUtf8(path.c_str());
    DIR* dir = opendir(hostFolder.c_str());
    if (!dir)
        return false;
    while (const dirent* entry = readdir(dir)) {
        const WideText name = FromUtf8(entry->d_name);
        if (Matches(wildcard.c_str(), name.c_str()))
            visit(context, name.c_str(), IsFolderEntry(entry, hostFolder));
    }
    closedir(dir);
    return true;
}

} // namespace common
