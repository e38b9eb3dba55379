// POSIX side of the host file layer: UTF-16 paths become UTF-8 byte names.
#include "common/HostFiles.h"

#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

#include <cstdlib>
#include <limits>
#include <string>
#include <vector>

namespace common {

namespace {

constexpr char32_t kReplacement = 0xFFFD;

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

// UTF-16 up to its NUL to UTF-8; a lone surrogate becomes U+FFFD.
std::string ToUtf8(const WChar* text) {
    std::string out;
    if (!text)
        return out;
    for (size_t i = 0; text[i] != 0; ++i) {
        char32_t c = text[i];
        if (c >= 0xD800 && c <= 0xDBFF && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
            c = 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            ++i;
        } else if (c >= 0xD800 && c <= 0xDFFF) {
            c = kReplacement;
        }
        AppendUtf8(out, c);
    }
    return out;
}

// UTF-8 to UTF-16; a malformed sequence becomes U+FFFD.
WideText FromUtf8(const std::string& text) {
    WideText out;
    size_t i = 0;
    while (i < text.size()) {
        const unsigned char lead = static_cast<unsigned char>(text[i]);
        int extra = -1;
        char32_t c = 0;
        if (lead < 0x80) {
            extra = 0;
            c = lead;
        } else if (lead >= 0xC2 && lead <= 0xDF) {
            extra = 1;
            c = lead & 0x1F;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            extra = 2;
            c = lead & 0x0F;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            extra = 3;
            c = lead & 0x07;
        }
        bool valid = extra >= 0 && i + extra < text.size();
        for (int k = 1; valid && k <= extra; ++k) {
            const unsigned char next = static_cast<unsigned char>(text[i + k]);
            if ((next & 0xC0) != 0x80)
                valid = false;
            else
                c = (c << 6) | (next & 0x3F);
        }
        // Overlong forms, surrogates and values beyond U+10FFFF are refused.
        if (valid && ((extra == 2 && (c < 0x800 || (c >= 0xD800 && c <= 0xDFFF))) ||
                      (extra == 3 && (c < 0x10000 || c > 0x10FFFF))))
            valid = false;
        if (!valid) {
            out += static_cast<WChar>(kReplacement);
            ++i;
            continue;
        }
        i += extra + 1;
        if (c >= 0x10000) {
            c -= 0x10000;
            out += static_cast<WChar>(0xD800 + (c >> 10));
            out += static_cast<WChar>(0xDC00 + (c & 0x3FF));
        } else {
            out += static_cast<WChar>(c);
        }
    }
    return out;
}

bool IsFolderUtf8(const std::string& path) {
    struct stat info;
    return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

// A stdio file is handed out only for a regular file: fopen alone would open
// a folder for reading.
std::FILE* RequireRegular(std::FILE* file) {
    if (!file)
        return nullptr;
    struct stat info;
    if (fstat(fileno(file), &info) != 0 || !S_ISREG(info.st_mode)) {
        std::fclose(file);
        return nullptr;
    }
    return file;
}

} // namespace

bool QueryHostModulePath(WideText& path) {
    std::vector<char> buffer(1024);
    for (;;) {
        const ssize_t length = readlink("/proc/self/exe", buffer.data(), buffer.size());
        if (length <= 0)
            return false;
        if (static_cast<size_t>(length) < buffer.size()) {
            path = FromUtf8(std::string(buffer.data(), static_cast<size_t>(length)));
            return true;
        }
        if (buffer.size() >= 65536)
            return false;
        buffer.resize(buffer.size() * 2);
    }
}

// The host has no writable folder for all users; the user's local and roaming
// folders follow the XDG base-directory rules.
bool QueryHostAppDataFolder(AppDataKind kind, WideText& folder) {
    if (kind == AppDataKind::Common)
        return false;
    const char* variable = kind == AppDataKind::Local ? "XDG_DATA_HOME" : "XDG_CONFIG_HOME";
    std::string path;
    const char* value = std::getenv(variable);
    if (value && value[0] == '/') {
        path = value;
    } else {
        const char* home = std::getenv("HOME");
        if (!home || home[0] != '/')
            return false;
        path = home;
        path += kind == AppDataKind::Local ? "/.local/share" : "/.config";
    }
    if (!IsFolderUtf8(path) && mkdir(path.c_str(), 0777) != 0)
        return false;
    folder = FromUtf8(path);
    return true;
}

bool HostPathExists(const WChar* path) {
    struct stat info;
    return stat(ToUtf8(path).c_str(), &info) == 0;
}

bool HostPathExistsNarrow(const char* path) {
    struct stat info;
    return stat(path ? path : "", &info) == 0;
}

bool HostIsFolder(const WChar* path) {
    return IsFolderUtf8(ToUtf8(path));
}

bool HostCreateFolder(const WChar* path) {
    return mkdir(ToUtf8(path).c_str(), 0777) == 0;
}

bool HostDeleteFile(const WChar* path) {
    return unlink(ToUtf8(path).c_str()) == 0;
}

std::FILE* HostOpenFile(const WChar* path, const char* mode) {
    return RequireRegular(std::fopen(ToUtf8(path).c_str(), mode));
}

std::FILE* HostOpenFileNarrow(const char* path, const char* mode) {
    return RequireRegular(std::fopen(path ? path : "", mode));
}

bool HostSeekFile(std::FILE* file, int64_t position) {
    if (!file || position < 0 || position > std::numeric_limits<off_t>::max())
        return false;
    return fseeko(file, static_cast<off_t>(position), SEEK_SET) == 0;
}

bool HostSeekFileToEnd(std::FILE* file) {
    return file && fseeko(file, 0, SEEK_END) == 0;
}

} // namespace common
