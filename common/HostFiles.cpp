#include "common/HostFiles.h"

namespace common {

namespace {

struct Override {
    bool active = false;
    WideText text;
};

Override& ModulePathOverride() {
    static Override s_override;
    return s_override;
}

Override& DataFolderOverride() {
    static Override s_override;
    return s_override;
}

} // namespace

bool GetModuleFilePath(WideText& path) {
    const Override& injected = ModulePathOverride();
    if (injected.active) {
        path = injected.text;
        return !path.empty();
    }
    return QueryHostModulePath(path);
}

bool GetAppDataFolder(AppDataKind kind, WideText& folder) {
    const Override& injected = DataFolderOverride();
    if (injected.active) {
        folder = kind == AppDataKind::Common ? injected.text : WideText();
        return !folder.empty();
    }
    return QueryHostAppDataFolder(kind, folder);
}

void SetModulePathOverride(const WideText& path) {
    ModulePathOverride().active = true;
    ModulePathOverride().text = path;
}

void ClearModulePathOverride() {
    ModulePathOverride() = Override();
}

void SetDataFolderOverride(const WideText& folder) {
    DataFolderOverride().active = true;
    DataFolderOverride().text = folder;
}

void ClearDataFolderOverride() {
    DataFolderOverride() = Override();
}

} // namespace common
