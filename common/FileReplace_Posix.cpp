// POSIX side of file replacement: UTF-16 paths become UTF-8 byte names.
#include "common/FileReplace.h"

#include <unistd.h>

#include <cstdio>
#include <string>

namespace common {

namespace {

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

// The same UTF-16 to UTF-8 naming as the host file layer uses for opening, so
// that a file opened by a name is the one renamed by it; a lone surrogate
// becomes U+FFFD.
std::string ToUtf8(const WChar* text) {
    std::string out;
    for (size_t i = 0; text[i] != 0; ++i) {
        char32_t c = text[i];
        if (c >= 0xD800 && c <= 0xDBFF && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
            c = 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            ++i;
        } else if (c >= 0xD800 && c <= 0xDFFF) {
            c = 0xFFFD;
        }
        AppendUtf8(out, c);
    }
    return out;
}

} // namespace

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
