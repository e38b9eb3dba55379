#pragma once
// The host's file system as the foundation library sees it: the program's own
// file name, the application-data folders, path attributes, one-level folder
// creation, file deletion and stdio files opened by name with 64-bit
// positioning. Paths are UTF-16 on every build; the POSIX side hands them to
// the host as UTF-8 and compares names case-sensitively.
//
// Tests must never see the real user's folders: they inject the module path
// and the application-data folder here, then call common::ResetAppFolders()
// (ProgramFolders.h) so that the program folders are computed again.
#include <cstdint>
#include <cstdio>

#include "common/Types.h"

namespace common {

// The shell's application-data folders, in the order the program tries them.
enum class AppDataKind {
    Common,  // for all users
    Local,   // the user's local (non-roaming) one
    Roaming, // the user's roaming one
};

// The program's full file name; false when the host cannot give it. Answers
// the injected path while one is set (an injected empty path means failure).
bool GetModuleFilePath(WideText& path);
// One application-data folder, as the host gives it (the local and roaming
// ones are created when missing); false when there is none. While a folder is
// injected, Common answers it and Local and Roaming fail; an injected empty
// folder makes all three fail.
bool GetAppDataFolder(AppDataKind kind, WideText& folder);

// Test hooks: inject or forget the module path and the application-data folder.
void SetModulePathOverride(const WideText& path);
void ClearModulePathOverride();
void SetDataFolderOverride(const WideText& folder);
void ClearDataFolderOverride();

// The raw host answers behind GetModuleFilePath and GetAppDataFolder.
bool QueryHostModulePath(WideText& path);
bool QueryHostAppDataFolder(AppDataKind kind, WideText& folder);

// The path names something that exists (a file, a folder, anything). The
// narrow form takes the host's own byte text.
bool HostPathExists(const WChar* path);
bool HostPathExistsNarrow(const char* path);
// The path names an existing folder.
bool HostIsFolder(const WChar* path);
// Creates one folder level (the parent must exist); false when the host refuses.
bool HostCreateFolder(const WChar* path);
// Deletes a file (not a folder); false when the host refuses.
bool HostDeleteFile(const WChar* path);

// Opens a stdio file with mode "rb", "r+b" or "w+b"; null on failure. A folder
// or any other non-regular file never opens. The narrow form takes the host's
// own byte text.
std::FILE* HostOpenFile(const WChar* path, const char* mode);
std::FILE* HostOpenFileNarrow(const char* path, const char* mode);
// 64-bit absolute positioning; false when the runtime reports an error. The
// position itself is read with common::GetFilePosition (OsHelpers.h).
bool HostSeekFile(std::FILE* file, int64_t position);
bool HostSeekFileToEnd(std::FILE* file);

} // namespace common
