#pragma once
// A scratch program folder for front-end tests: the module path and the
// application-data folder are injected, so the program's folders, its
// settings file and its state files all lie below the test's own folder and
// never touch the user's.
#include <cstdio>
#include <string>

#include "common/CPath.h"
#include "common/HostFiles.h"
#include "common/ProgramFolders.h"
#include "common/Types.h"

namespace apptest {

inline common::WideText Widen(const std::string& text) {
    return common::WideText(text.begin(), text.end());
}

inline bool CopyBinaryFile(const std::string& from, const std::string& to) {
    std::FILE* in = std::fopen(from.c_str(), "rb");
    if (in == nullptr)
        return false;
    std::FILE* out = std::fopen(to.c_str(), "wb");
    if (out == nullptr) {
        std::fclose(in);
        return false;
    }
    char buffer[4096];
    size_t count = 0;
    bool ok = true;
    while ((count = std::fread(buffer, 1, sizeof(buffer), in)) > 0)
        ok = ok && std::fwrite(buffer, 1, count, out) == count;
    std::fclose(in);
    std::fclose(out);
    return ok;
}

inline bool FileExistsNarrow(const std::string& path) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr)
        return false;
    std::fclose(file);
    return true;
}

// A program folder "<temp>/frontend/<name>/" with the program "KorvetEmu.exe"
// in it, and the application-data folder "<temp>/frontend/<name>/appdata/".
// The data folder is then the program folder itself (only a program below a
// drive's "Program Files" folder writes to the application-data folder).
class CProgramFolder {
public:
    explicit CProgramFolder(const std::string& name) {
        const std::string root = std::string(KORVET_TEST_TEMP) + "/frontend";
        common::HostCreateFolder(Widen(root).c_str());
        m_base = root + "/" + name + "/";
        common::HostCreateFolder(Widen(m_base).c_str());
        m_folder = m_base;
        m_appData = m_base + "appdata/";
        common::HostCreateFolder(Widen(m_appData).c_str());
        std::remove((m_folder + "KorvetEmu.ini").c_str());
        std::remove((m_appData + "NUVKeltoEmu/KorvetEmu.ini").c_str());
        common::SetModulePathOverride(Widen(m_folder + "KorvetEmu.exe"));
        common::SetDataFolderOverride(Widen(m_appData));
        common::ResetAppFolders();
    }
    ~CProgramFolder() {
        common::ClearModulePathOverride();
        common::ClearDataFolderOverride();
        common::ResetAppFolders();
    }
    CProgramFolder(const CProgramFolder&) = delete;
    CProgramFolder& operator=(const CProgramFolder&) = delete;

    // Copies the shared ROM images beside the program (the program ships none).
    bool AddRoms() const {
        const std::string roms = std::string(KORVET_SHARED_DATA) + "/roms/";
        return CopyBinaryFile(roms + "korvet20.rom", m_folder + "korvet20.rom") &&
               CopyBinaryFile(roms + "korvet11.rom", m_folder + "korvet11.rom") &&
               CopyBinaryFile(roms + "kontur.rom", m_folder + "kontur.rom");
    }

    const std::string& GetFolder() const { return m_folder; }
    const std::string& GetAppData() const { return m_appData; }

private:
    std::string m_base;
    std::string m_folder;
    std::string m_appData;
};

} // namespace apptest
