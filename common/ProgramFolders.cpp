#include "common/ProgramFolders.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <string>

#include "common/HostFiles.h"

namespace common {

namespace {

struct Folders {
    bool computed = false;
    CPath separator;
    CPath programFolder;
    CPath programName;
    CPath programExtension;
    CPath appDataFolder;
    CPath dataFolder;
};

Folders& TheFolders() {
    static Folders s_folders;
    return s_folders;
}

// The folder just below the drive (component 1) begins, upper-cased, with
// "PROGRAM FILES": 'Program Files' and 'Program Files (x86)' both count.
bool IsProgramFilesFolder(const CPath& programFolder) {
    static const char kProgramFiles[] = "PROGRAM FILES";
    const size_t prefix = sizeof(kProgramFiles) - 1;
    std::string name = CPath(programFolder, 1).GetNarrow();
    for (char& c : name)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return name.compare(0, prefix, kProgramFiles) == 0 && name.size() >= prefix;
}

// Last index of either separator, -1 when there is none.
int LastSeparator(const CString& text) {
    return std::max(text.ReverseFindWide(u'\\'), text.ReverseFindWide(u'/'));
}

void Compute(Folders& f) {
    f.separator.AssignWide(u"\\");
    WideText module;
    if (!GetModuleFilePath(module) || module.empty())
        return;

    f.programFolder.AssignWide(module.c_str());
    const int dot = f.programFolder.ReverseFindWide(u'.');
    const int separator = LastSeparator(f.programFolder);
    if (dot > separator) {
        f.programExtension.AssignWide(f.programFolder.GetText().c_str() + dot + 1);
        f.programFolder.Erase(dot, f.programFolder.GetLength() - dot);
    }
    if (separator < 0) {
        // A bare file name: all of it is the name and there is no folder.
        f.programName.AssignString(f.programFolder);
        f.programFolder.Clear();
    } else {
        const WChar c[] = {f.programFolder.GetText()[separator], 0};
        f.separator.AssignWide(c);
        f.programName.AssignWide(f.programFolder.GetText().c_str() + separator + 1);
        f.programFolder.Erase(separator + 1, f.programFolder.GetLength() - separator - 1);
    }

    static const AppDataKind kOrder[] = {AppDataKind::Common, AppDataKind::Local, AppDataKind::Roaming};
    for (AppDataKind kind : kOrder) {
        WideText folder;
        if (GetAppDataFolder(kind, folder) && !folder.empty()) {
            f.appDataFolder.AssignWide(folder.c_str());
            break;
        }
    }
    const WChar sep = f.separator.GetText()[0];
    if (f.appDataFolder.ReverseFindWide(sep) != f.appDataFolder.GetLength() - 1)
        f.appDataFolder.AppendString(f.separator);

    f.dataFolder = IsProgramFilesFolder(f.programFolder) ? f.appDataFolder : f.programFolder;
}

// MakeDataPath and MakeUserFolderPath below `base`.
CPath MakeWritableFolder(const CPath& base, const CWideString& subFolder, bool create) {
    const Folders& f = TheFolders();
    CPath candidate;
    if (!subFolder.IsEmpty()) {
        candidate = MakePath(base, subFolder, CWideString(), CWideString());
    } else {
        if (f.programName.IsEmpty())
            return f.programFolder;
        candidate = MakePath(base, f.programName, CWideString(), CWideString());
    }
    if (create && !FolderExists(candidate) && !CreateFolder(candidate))
        return f.programFolder;
    return candidate;
}

bool OpensForReading(const CString& path) {
    if (path.IsEmpty())
        return false;
    std::FILE* file =
        path.GetCharSize() == 1 ? HostOpenFileNarrow(path.GetNarrow(), "rb") : HostOpenFile(path.GetWide(), "rb");
    if (!file)
        return false;
    std::fclose(file);
    return true;
}

} // namespace

void InitAppFolders() {
    Folders& f = TheFolders();
    if (f.computed)
        return;
    f.computed = true;
    Compute(f);
}

void ResetAppFolders() {
    TheFolders() = Folders();
}

const CPath& PathSeparator() {
    InitAppFolders();
    return TheFolders().separator;
}

const CPath& ProgramFolder() {
    InitAppFolders();
    return TheFolders().programFolder;
}

const CPath& ProgramName() {
    InitAppFolders();
    return TheFolders().programName;
}

const CPath& ProgramExtension() {
    InitAppFolders();
    return TheFolders().programExtension;
}

const CPath& AppDataFolder() {
    InitAppFolders();
    return TheFolders().appDataFolder;
}

const CPath& DataFolder() {
    InitAppFolders();
    return TheFolders().dataFolder;
}

CPath MakePath(const CWideString& folder, const CWideString& subFolder, const CWideString& name,
               const CWideString& extension) {
    CPath path(folder);
    if (!subFolder.IsEmpty()) {
        path.AppendWideString(subFolder);
        path.AppendString(PathSeparator());
    }
    path.AppendWideString(name);
    if (!extension.IsEmpty()) {
        path.AppendWide(u".");
        path.AppendWideString(extension);
    }
    return path;
}

CPath MakeDataPath(const CWideString& subFolder, bool create) {
    InitAppFolders();
    const Folders& f = TheFolders();
    if (f.dataFolder.IsEmpty() || f.dataFolder.CompareWideString(f.programFolder) == 0)
        return f.programFolder;
    return MakeWritableFolder(f.dataFolder, subFolder, create);
}

CPath MakeUserFolderPath(const CWideString& subFolder, bool create) {
    InitAppFolders();
    const Folders& f = TheFolders();
    if (f.appDataFolder.IsEmpty())
        return f.programFolder;
    return MakeWritableFolder(f.appDataFolder, subFolder, create);
}

bool SetProgramLocation(CPath& folder, const CWideString& name, bool create) {
    InitAppFolders();
    Folders& f = TheFolders();
    if (create && folder.IsEmpty())
        return false;
    if (!folder.IsEmpty()) {
        const int length = folder.GetLength();
        if (LastSeparator(folder) != length - 1)
            folder.AppendString(f.separator);
        if (create && !FolderExists(folder) && !CreateFolder(folder))
            return false;
        f.programFolder = folder;
    }
    if (!name.IsEmpty())
        f.programName.AssignWideString(name);
    return true;
}

bool FileExists(const CString& path) {
    return OpensForReading(path);
}

bool FileExists_Path(const CPath& path) {
    return OpensForReading(path);
}

bool FileExists_Path2(const CPath& path) {
    return OpensForReading(path);
}

bool FolderExists(const CString& path) {
    return !path.IsEmpty() && HostIsFolder(path.GetWide());
}

bool CreateFolder(const CString& path) {
    if (path.IsEmpty())
        return false;
    return HostCreateFolder(path.GetWide()) || FolderExists(path);
}

bool DeleteFileIfExists(const CString& path) {
    if (path.IsEmpty())
        return true;
    if (HostDeleteFile(path.GetWide()))
        return true;
    return !OpensForReading(path);
}

} // namespace common
