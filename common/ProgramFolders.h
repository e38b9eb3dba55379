#pragma once
// The program's folders and the file-system tests built on them.
//
// Six process-wide paths are computed once, from the program's own file name
// and the host's application-data folder (HostFiles.h). The program writes into
// the folder "NUVKeltoEmu" below the application-data folder only when it is
// installed below a folder whose name begins with "PROGRAM FILES" (any case,
// e.g. 'C:\Program Files (x86)\Emu\emu.exe'); anywhere else it writes into its
// own folder. Callers ask MakeDataPath("NUVKeltoEmu", create) for that folder
// and compose their file names in it with MakePath.
#include "common/CPath.h"

namespace common {

// Computes the six paths below on the first call; later calls return at once.
// Every accessor calls it, so the paths are never seen uncomputed.
void InitAppFolders();
// Test hook: forget the computed paths so that the next InitAppFolders computes
// them again (after injecting a module path or data folder in HostFiles.h).
void ResetAppFolders();

// One character, the separator found before the program's file name (a
// backslash when there was none).
const CPath& PathSeparator();
// The program file's folder, ending with the separator.
const CPath& ProgramFolder();
// The program's file name without folder and extension.
const CPath& ProgramName();
// The program file's extension without the dot (empty when it has none).
const CPath& ProgramExtension();
// The host's application-data folder (all users, else the user's local, else
// roaming), ending with the separator; empty when the host gives none.
const CPath& AppDataFolder();
// AppDataFolder() for a program below "PROGRAM FILES", else ProgramFolder().
const CPath& DataFolder();

// folder + (subFolder + separator when not empty) + name + ("." + extension
// when not empty). No separator is put after folder: folders end with one.
CPath MakePath(const CWideString& folder, const CWideString& subFolder, const CWideString& name,
               const CWideString& extension);
// The folder for the program's writable files: ProgramFolder() itself when the
// data folder is empty or is the program folder; otherwise the data folder with
// subFolder (or, when that is empty, the program name) and a separator, created
// when `create` is set and it is missing. A failed creation gives ProgramFolder().
CPath MakeDataPath(const CWideString& subFolder, bool create);
// The same below AppDataFolder(), whether or not the program is a program-files one.
CPath MakeUserFolderPath(const CWideString& subFolder, bool create);
// Replaces the program folder (when folder is not empty; a separator is first
// appended to the caller's object when it ends with none) and the program name
// (when name is not empty). With `create` an empty folder fails and a missing
// one is created; a failed creation returns false and changes nothing.
bool SetProgramLocation(CPath& folder, const CWideString& name, bool create);

// True when the file opens for reading (it is closed again at once); false for
// an empty string or a folder. A narrow string is handed to the host as bytes.
bool FileExists(const CString& path);
bool FileExists_Path(const CPath& path);
bool FileExists_Path2(const CPath& path);
// True when the path names an existing folder.
bool FolderExists(const CString& path);
// Creates the last level of the path; true also when the folder already exists.
bool CreateFolder(const CString& path);
// True when the file was deleted or does not exist (an empty path counts as
// absent); false when it still opens for reading afterwards.
bool DeleteFileIfExists(const CString& path);

} // namespace common
