// Win32 side of the host file layer: UTF-16 paths go to the wide API calls.
#include "common/HostFiles.h"

#include <windows.h>

#include <shlobj.h>

#include <vector>

namespace common {

namespace {

static_assert(sizeof(wchar_t) == sizeof(WChar), "Win32 wide text is UTF-16");

const wchar_t* AsWide(const WChar* text) {
    return reinterpret_cast<const wchar_t*>(text ? text : u"");
}

WideText FromWide(const wchar_t* text) {
    return WideText(reinterpret_cast<const WChar*>(text));
}

} // namespace

bool QueryHostModulePath(WideText& path) {
    std::vector<wchar_t> buffer(1024);
    for (;;) {
        const DWORD length = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0)
            return false;
        // A full buffer means the name was cut short: try again with more room.
        if (length < buffer.size() - 1) {
            buffer[length] = 0;
            path = FromWide(buffer.data());
            return true;
        }
        if (buffer.size() >= 32768)
            return false;
        buffer.resize(buffer.size() * 2);
    }
}

bool QueryHostAppDataFolder(AppDataKind kind, WideText& folder) {
    wchar_t buffer[MAX_PATH + 1] = {};
    bool found = false;
    switch (kind) {
    case AppDataKind::Common:
        found = SHGetFolderPathW(nullptr, CSIDL_COMMON_APPDATA, reinterpret_cast<HANDLE>(-1), 0, buffer) == S_OK;
        break;
    case AppDataKind::Local:
        found = SHGetSpecialFolderPathW(nullptr, buffer, CSIDL_LOCAL_APPDATA, TRUE) != FALSE;
        break;
    case AppDataKind::Roaming:
        found = SHGetSpecialFolderPathW(nullptr, buffer, CSIDL_APPDATA, TRUE) != FALSE;
        break;
    }
    if (!found || buffer[0] == 0)
        return false;
    folder = FromWide(buffer);
    return true;
}

bool HostPathExists(const WChar* path) {
    return GetFileAttributesW(AsWide(path)) != INVALID_FILE_ATTRIBUTES;
}

bool HostPathExistsNarrow(const char* path) {
    return GetFileAttributesA(path ? path : "") != INVALID_FILE_ATTRIBUTES;
}

bool HostIsFolder(const WChar* path) {
    const DWORD attributes = GetFileAttributesW(AsWide(path));
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool HostCreateFolder(const WChar* path) {
    return CreateDirectoryW(AsWide(path), nullptr) != FALSE;
}

bool HostDeleteFile(const WChar* path) {
    return DeleteFileW(AsWide(path)) != FALSE;
}

std::FILE* HostOpenFile(const WChar* path, const char* mode) {
    wchar_t wideMode[8] = {};
    for (int i = 0; mode && mode[i] != 0 && i < 7; ++i)
        wideMode[i] = static_cast<wchar_t>(static_cast<unsigned char>(mode[i]));
    return _wfopen(AsWide(path), wideMode);
}

std::FILE* HostOpenFileNarrow(const char* path, const char* mode) {
    return std::fopen(path ? path : "", mode);
}

bool HostSeekFile(std::FILE* file, int64_t position) {
    return file && position >= 0 && _fseeki64(file, position, SEEK_SET) == 0;
}

bool HostSeekFileToEnd(std::FILE* file) {
    return file && _fseeki64(file, 0, SEEK_END) == 0;
}

} // namespace common
