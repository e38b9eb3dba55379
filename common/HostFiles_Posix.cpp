// POSIX side of the host file layer: UTF-16 paths become UTF-8 byte names.
#include "common/HostFiles.h"
#include "common/Utf8.h"

#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

#include <cstdlib>
#include <limits>
#include <string>
#include <vector>

namespace common {

namespace {

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
