#include "app/CEmulatorSettings.h"

#include <memory>

#include "app/CEmulatorManager.h"
#include "common/CBoundValue.h"
#include "common/CFileStream.h"
#include "common/CLocale.h"
#include "common/CSettingsRegistry.h"
#include "common/CWideString.h"
#include "common/FileReplace.h"
#include "common/ProgramFolders.h"
#include "emu/host/CRenderer.h"
#include "emu/host/CSoundOutput.h"

namespace emu {

namespace {

void BindInt32(common::CSettingsRegistry& registry, const char* name, int32_t* variable) {
    common::CBoundValue* value = registry.AddBinding(name);
    if (value != nullptr)
        value->BindInt32(variable);
}

} // namespace

common::CSettingsRegistry* CEmulatorSettings::RegisterKeys(CEmulatorManager& manager) {
    common::CSettingsRegistry* registry = new common::CSettingsRegistry();
    registry->BindBool("EmuCaptureMouseOnDblClick", &manager.EmuCaptureMouseOnDblClick);
    registry->BindBool("EmuFastInit", &manager.EmuFastInit);
    registry->BindString("EmuDefaultConfig", &manager.EmuDefaultConfig);
    registry->BindString("EmuDefaultSound", &manager.EmuDefaultSound);
    registry->BindString("EmuDefaultScreen", &manager.EmuDefaultScreen);
    BindInt32(*registry, "EmuSyncFreq", &manager.EmuSyncFreq);
    registry->BindBool("guiMaximizeOnStartup", &manager.guiMaximizeOnStartup);
    registry->BindBool("guiAutoStartEmulation", &manager.guiAutoStartEmulation);
    registry->BindBool("guiShowToolbar", &manager.guiShowToolbar);
    BindInt32(*registry, "guiLanguadge", &manager.guiLanguadge);
    registry->BindBool("dbgIgnoreConsoleDupStr", &manager.dbgIgnoreConsoleDupStr);
    return registry;
}

common::CPath CEmulatorSettings::GetWritePath(bool createFolder) {
    common::InitAppFolders();
    const common::CPath folder = common::MakeDataPath(common::CWideString(kFolderName), createFolder);
    return common::MakePath(folder, common::CWideString(), common::ProgramName(), common::CWideString("ini"));
}

common::CPath CEmulatorSettings::GetReadPath() {
    const common::CPath path = GetWritePath(false);
    if (common::FileExists(path))
        return path;
    return common::MakePath(common::ProgramFolder(), common::CWideString(), common::ProgramName(),
                            common::CWideString("ini"));
}

void CEmulatorSettings::Load(CEmulatorManager& manager) {
    if (manager.IsSettingsLoaded())
        return;
    manager.SetSettingsLoaded(true);

    // A save killed midway leaves its temporary beside the file; nothing reads it.
    common::RemoveStaleTemporary(GetWritePath(false).GetWide());
    common::CFileStream file;
    if (!file.OpenExisting(GetReadPath(), false))
        return;
    {
        std::unique_ptr<common::CSettingsRegistry> registry(RegisterKeys(manager));
        registry->Load(&file, kHeader, nullptr);
    }

    if (manager.EmuSyncFreq < 0 || manager.EmuSyncFreq >= kSyncFrequencyCount)
        manager.EmuSyncFreq = 0;
    if (manager.guiLanguadge < 0 || manager.guiLanguadge >= common::CLocale::kLanguageCount ||
        common::CLocale::GetLanguageName(manager.guiLanguadge) == nullptr)
        manager.guiLanguadge = 0;
    common::CLocale::SelectLanguage(manager.guiLanguadge);

    std::vector<CSoundOutput*>& outputs = manager.GetSoundOutputList();
    int32_t sound = outputs.size() > 1 ? 1 : 0;
    if (!manager.EmuDefaultSound.IsEmpty()) {
        for (size_t i = 0; i < outputs.size(); ++i) {
            if (outputs[i] != nullptr && manager.EmuDefaultSound.CompareNarrow(outputs[i]->GetName()) == 0) {
                sound = static_cast<int32_t>(i);
                break;
            }
        }
    }
    if (static_cast<size_t>(sound) < outputs.size() && outputs[sound] != nullptr) {
        manager.m_selectedSound = sound;
        manager.EmuDefaultSound.AssignNarrow(outputs[sound]->GetName());
    } else {
        manager.m_selectedSound = 0;
    }

    std::vector<CRenderer*>& renderers = manager.GetRendererList();
    int32_t screen = 0;
    if (!manager.EmuDefaultScreen.IsEmpty()) {
        for (size_t i = 0; i < renderers.size(); ++i) {
            if (renderers[i] != nullptr && manager.EmuDefaultScreen.CompareNarrow(renderers[i]->GetName()) == 0) {
                screen = static_cast<int32_t>(i);
                break;
            }
        }
    }
    if (static_cast<size_t>(screen) < renderers.size() && renderers[screen] != nullptr) {
        manager.m_selectedRenderer = screen;
        manager.EmuDefaultScreen.AssignNarrow(renderers[screen]->GetName());
    } else {
        manager.m_selectedRenderer = 0;
    }
    file.Close();
}

bool CEmulatorSettings::Save(CEmulatorManager& manager) {
    // The file is replaced whole: a failed write keeps the last good one.
    std::unique_ptr<common::CSettingsRegistry> registry(RegisterKeys(manager));
    return registry->SaveToFile(GetWritePath(true), kHeader, nullptr);
}

} // namespace emu
