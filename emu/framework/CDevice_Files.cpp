// The device base's file operations: finding a file that belongs to the
// emulated hardware (a ROM image, say) by its bare name, and copying it into
// the machine's memory with size checks and one log line per outcome.
//
// Search order, first in the program folder, then in the program's writable
// folder when that exists (it is the same folder for a program outside the
// program-files folders, which then is searched twice):
//   configs\<configuration name>\name, configs\<model tag>\name, configs\name, name
// The two model names come from the machine when it is a computer; a device
// of any other machine (or of none yet) searches without them.
#include "common/CFileStream.h"
#include "common/ProgramFolders.h"
#include "emu/framework/CComputer.h"
#include "emu/framework/CDevice.h"
#include "emu/framework/CMemory.h"

namespace emu {

namespace {

const char16_t kConfigsFolder[] = u"configs";
const char16_t kDataFolder[] = u"NUVKeltoEmu";
const int kNameCount = 5;

// "configs", or "configs" + separator + the model name when there is one.
common::CWideString ConfigsFolder(const char* modelName) {
    common::CWideString folder(kConfigsFolder);
    if (modelName != nullptr && *modelName != '\0') {
        folder.AppendString(common::PathSeparator());
        folder.AppendNarrow(modelName);
    }
    return folder;
}

// Tries the four candidates below one folder.
bool FindIn(const common::CPath& folder, const char* configName, const char* modelTag, const common::CPath& name,
            common::CPath& out) {
    const common::CWideString none;
    const common::CWideString subFolders[] = {ConfigsFolder(configName), ConfigsFolder(modelTag),
                                              common::CWideString(kConfigsFolder), none};
    for (const common::CWideString& subFolder : subFolders) {
        const common::CPath candidate = common::MakePath(folder, subFolder, name, none);
        if (common::FileExists(candidate)) {
            out = candidate;
            return true;
        }
    }
    return false;
}

} // namespace

bool CDevice::FindFile(const common::CPath& name, common::CPath& out) {
    out.Clear();
    if (name.IsEmpty())
        return false;
    // Only a computer knows its model names.
    CComputer* computer = dynamic_cast<CComputer*>(m_machine);
    const char* configName = computer != nullptr ? computer->GetConfigName() : nullptr;
    const char* modelTag = computer != nullptr ? computer->GetModelTag() : nullptr;
    if (FindIn(common::ProgramFolder(), configName, modelTag, name, out))
        return true;
    const common::CPath dataFolder = common::MakeDataPath(kDataFolder, false);
    if (common::FolderExists(dataFolder) && FindIn(dataFolder, configName, modelTag, name, out))
        return true;
    out.Clear();
    return false;
}

int CDevice::FindFileLogged(common::CFileStream& stream, const common::CNarrowString& description,
                            const common::CPath& name1, const common::CPath& name2, const common::CPath& name3,
                            const common::CPath& name4, const common::CPath& name5, bool logLoaded) {
    stream.Close();
    if (name1.IsEmpty())
        return 0;
    const common::CPath* names[kNameCount] = {&name1, &name2, &name3, &name4, &name5};
    int tried = 0;
    for (int i = 0; i < kNameCount && !names[i]->IsEmpty(); ++i) {
        tried = i + 1;
        common::CPath path;
        // A file that is empty or does not open counts as missing.
        if (FindFile(*names[i], path) && stream.OpenExisting(path, false) && stream.GetSize() != 0) {
            if (logLoaded)
                LogMessage("[INIT] Loaded file \"%s\" (%s)", names[i]->GetNarrow(), description.GetNarrow());
            return i + 1;
        }
        stream.Close();
    }
    if (tried == 1) {
        LogError("[ERROR] File \"%s\" (%s) not found!", name1.GetNarrow(), description.GetNarrow());
        return 0;
    }
    LogError("[ERROR] No one of files found (%s): ", description.GetNarrow());
    for (int i = 0; i < tried; ++i)
        LogError("   \"%s\"%s", names[i]->GetNarrow(), i + 1 < tried ? " or " : "");
    return 0;
}

int64_t CDevice::LoadFoundFile(uint32_t position, uint32_t minimumSize, uint32_t maximumSize,
                               const common::CNarrowString& description, const common::CPath& name1,
                               const common::CPath& name2, const common::CPath& name3, const common::CPath& name4,
                               const common::CPath& name5, int& used) {
    used = 0;
    common::CFileStream stream;
    const int index = FindFileLogged(stream, description, name1, name2, name3, name4, name5, false);
    if (index == 0)
        return 0;
    const common::CPath* names[kNameCount] = {&name1, &name2, &name3, &name4, &name5};
    const char* name = names[index - 1]->GetNarrow();
    const int64_t size = stream.GetSize();
    if (minimumSize != 0 && size < static_cast<int64_t>(minimumSize)) {
        LogError("[ERROR] File \"%s\" is too small to be loaded (<%ld)!", name, static_cast<long>(minimumSize));
        return 0;
    }
    if (maximumSize != 0 && size > static_cast<int64_t>(maximumSize)) {
        LogError("[ERROR] File \"%s\" is too big to be loaded (>%ld)!", name, static_cast<long>(maximumSize));
        return 0;
    }
    if (m_memory == nullptr || !m_memory->LoadBytes(&stream, position, 1, 1)) {
        LogError("[ERROR] Can not load file \"%s\" to memory at position %llXh (%s)!", name,
                 static_cast<unsigned long long>(position), description.GetNarrow());
        return 0;
    }
    LogMessage("[INIT] File \"%s\" loaded to memory at position %llXh (%s)", name,
               static_cast<unsigned long long>(position), description.GetNarrow());
    used = index;
    return size;
}

int CDevice::LoadFileToMemory(uint32_t position, uint32_t minimumSize, uint32_t maximumSize,
                              const common::CNarrowString& description, const common::CPath& name1,
                              const common::CPath& name2, const common::CPath& name3, const common::CPath& name4,
                              const common::CPath& name5) {
    int used = 0;
    LoadFoundFile(position, minimumSize, maximumSize, description, name1, name2, name3, name4, name5, used);
    return used;
}

int64_t CDevice::LoadFileToMemoryAt(uint32_t position, uint32_t minimumSize, uint32_t maximumSize,
                                    const common::CNarrowString& description, const common::CPath& name1,
                                    const common::CPath& name2, const common::CPath& name3, const common::CPath& name4,
                                    const common::CPath& name5) {
    int used = 0;
    return LoadFoundFile(position, minimumSize, maximumSize, description, name1, name2, name3, name4, name5, used);
}

int CDevice::FindAndLoadFile(uint32_t endPosition, uint32_t minimumSize, uint32_t maximumSize,
                             const common::CNarrowString& description, const common::CPath& name1,
                             const common::CPath& name2, const common::CPath& name3, const common::CPath& name4,
                             const common::CPath& name5) {
    int64_t size = 0;
    {
        common::CFileStream stream;
        if (FindFileLogged(stream, description, name1, name2, name3, name4, name5, false) == 0)
            return 0;
        size = stream.GetSize();
    }
    if (size > static_cast<int64_t>(endPosition))
        return 0;
    return LoadFileToMemory(endPosition - static_cast<uint32_t>(size), minimumSize, maximumSize, description, name1,
                            name2, name3, name4, name5);
}

bool CDevice::LoadInterleavedFiles(uint32_t position, const common::CNarrowString& description,
                                   const common::CPath& nameEven, const common::CPath& nameOdd,
                                   const common::CPath& alternativeEven, const common::CPath& alternativeOdd) {
    const common::CPath none;
    common::CFileStream even;
    common::CFileStream odd;
    if (FindFileLogged(even, description, nameEven, alternativeEven, none, none, none, false) == 0 ||
        FindFileLogged(odd, description, nameOdd, alternativeOdd, none, none, none, false) == 0)
        return false;
    if (even.GetSize() != odd.GetSize()) {
        LogError("[ERROR] Files \"%s\" and \"%s\" should have equal sizes!", nameEven.GetNarrow(), nameOdd.GetNarrow());
        return false;
    }
    const common::CPath* failed = nullptr;
    if (m_memory == nullptr || !m_memory->LoadBytes(&even, position, 1, 2))
        failed = &nameEven;
    else if (!m_memory->LoadBytes(&odd, position + 1, 1, 2))
        failed = &nameOdd;
    if (failed != nullptr) {
        LogError("[ERROR] Can not load file \"%s\" to memory at position %llXh (%s)!", failed->GetNarrow(),
                 static_cast<unsigned long long>(position), description.GetNarrow());
        return false;
    }
    LogMessage("[INIT] Files \"%s\" and \"%s\" loaded to memory at position %llXh (%s)", nameEven.GetNarrow(),
               nameOdd.GetNarrow(), static_cast<unsigned long long>(position), description.GetNarrow());
    return true;
}

} // namespace emu
