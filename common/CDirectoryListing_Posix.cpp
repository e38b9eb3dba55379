// POSIX side of the folder search: opendir / readdir, with stat where the entry
// type is not given. Paths go to the host as UTF-8; the pattern's wildcards
// follow the Windows ones (* and ?, letters compared without case, a trailing
// ".*" also matching a name without extension).
#include <dirent.h>
#include <sys/stat.h>
#include <sys/types.h>

#include <string>

#include "common/CDirectoryListing.h"

namespace common {

namespace {

bool IsSeparator(WChar c) {
    return c == u'\\' || c == u'/';
}

void AppendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

// UTF-16 to UTF-8; a lone surrogate becomes U+FFFD.
std::string ToUtf8(const WideText& text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        char32_t c = text[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
            c = 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            ++i;
        } else if (c >= 0xD800 && c <= 0xDFFF) {
            c = 0xFFFD;
        }
        AppendUtf8(out, c);
    }
    return out;
}

// UTF-8 to UTF-16; a malformed sequence becomes U+FFFD.
WideText FromUtf8(const char* text) {
    WideText out;
    const unsigned char* p = reinterpret_cast<const unsigned char*>(text);
    while (*p) {
        const unsigned char lead = *p;
        int extra = lead < 0x80                    ? 0
                    : lead >= 0xC2 && lead <= 0xDF ? 1
                    : lead >= 0xE0 && lead <= 0xEF ? 2
                    : lead >= 0xF0 && lead <= 0xF4 ? 3
                                                   : -1;
        char32_t c = extra == 0 ? lead : extra == 1 ? lead & 0x1F : extra == 2 ? lead & 0x0F : lead & 0x07;
        bool valid = extra >= 0;
        for (int k = 1; valid && k <= extra; ++k) {
            if ((p[k] & 0xC0) != 0x80)
                valid = false;
            else
                c = (c << 6) | (p[k] & 0x3F);
        }
        if (valid && ((extra == 2 && (c < 0x800 || (c >= 0xD800 && c <= 0xDFFF))) ||
                      (extra == 3 && (c < 0x10000 || c > 0x10FFFF))))
            valid = false;
        if (!valid) {
            out += u'\xFFFD';
            ++p;
            continue;
        }
        if (c >= 0x10000) {
            out += static_cast<WChar>(0xD800 + ((c - 0x10000) >> 10));
            out += static_cast<WChar>(0xDC00 + ((c - 0x10000) & 0x3FF));
        } else {
            out += static_cast<WChar>(c);
        }
        p += extra + 1;
    }
    return out;
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

    const std::string hostFolder = ToUtf8(path);
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
