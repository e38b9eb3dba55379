// The emulator settings file: defaults, the round trip of every key, the
// repairs made after loading and the one-load rule.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdio>
#include <string>

#include "app/CEmulatorManager.h"
#include "app/CEmulatorSettings.h"
#include "common/CLocale.h"
#include "tests/app/AppTestSupport.h"

namespace {

using apptest::CProgramFolder;
using emu::CEmulatorManager;
using emu::CEmulatorSettings;

TEST(CEmulatorSettingsTest, MissingFileKeepsDefaults) {
    CProgramFolder folder("settings-defaults");
    CEmulatorManager manager;
    CEmulatorSettings::Load(manager);
    EXPECT_TRUE(manager.guiMaximizeOnStartup);
    EXPECT_TRUE(manager.guiShowToolbar);
    EXPECT_TRUE(manager.EmuCaptureMouseOnDblClick);
    EXPECT_FALSE(manager.guiAutoStartEmulation);
    EXPECT_FALSE(manager.EmuFastInit);
    EXPECT_FALSE(manager.dbgIgnoreConsoleDupStr);
    EXPECT_EQ(manager.EmuSyncFreq, 0);
    EXPECT_TRUE(manager.EmuDefaultConfig.IsEmpty());
    EXPECT_TRUE(manager.EmuDefaultSound.IsEmpty());
    EXPECT_EQ(manager.GetSelectedSoundOutput(), 1);
    EXPECT_EQ(manager.GetSelectedRenderer(), 0);
    EXPECT_EQ(manager.guiLanguadge, common::CLocale::GetLanguage());
}

TEST(CEmulatorSettingsTest, EveryKeySurvivesSaveAndLoad) {
    CProgramFolder folder("settings-roundtrip");
    {
        CEmulatorManager manager;
        manager.guiMaximizeOnStartup = false;
        manager.guiAutoStartEmulation = true;
        manager.guiShowToolbar = false;
        manager.EmuFastInit = true;
        manager.EmuCaptureMouseOnDblClick = false;
        manager.dbgIgnoreConsoleDupStr = true;
        manager.EmuSyncFreq = 3;
        manager.EmuDefaultConfig.AssignNarrow("kontur20");
        manager.EmuDefaultSound.AssignNarrow("DirectSound");
        manager.EmuDefaultScreen.AssignNarrow("WinGDI");
        ASSERT_TRUE(CEmulatorSettings::Save(manager));
    }
    EXPECT_TRUE(apptest::FileExistsNarrow(folder.GetFolder() + "KorvetEmu.ini"));
    CEmulatorManager manager;
    CEmulatorSettings::Load(manager);
    EXPECT_FALSE(manager.guiMaximizeOnStartup);
    EXPECT_TRUE(manager.guiAutoStartEmulation);
    EXPECT_FALSE(manager.guiShowToolbar);
    EXPECT_TRUE(manager.EmuFastInit);
    EXPECT_FALSE(manager.EmuCaptureMouseOnDblClick);
    EXPECT_TRUE(manager.dbgIgnoreConsoleDupStr);
    EXPECT_EQ(manager.EmuSyncFreq, 3);
    EXPECT_EQ(manager.EmuDefaultConfig.CompareNarrow("kontur20"), 0);
    EXPECT_EQ(manager.GetSelectedSoundOutput(), 2);
    EXPECT_EQ(manager.EmuDefaultSound.CompareNarrow("DirectSound"), 0);
}

TEST(CEmulatorSettingsTest, FileStartsWithHeader) {
    CProgramFolder folder("settings-header");
    CEmulatorManager manager;
    ASSERT_TRUE(CEmulatorSettings::Save(manager));
    std::FILE* file = std::fopen((folder.GetFolder() + "KorvetEmu.ini").c_str(), "rb");
    ASSERT_NE(file, nullptr);
    char header[6] = {};
    EXPECT_EQ(std::fread(header, 1, 6, file), 6u);
    std::fclose(file);
    EXPECT_EQ(std::string(header, 6), "NUVINI");
}

// A file that cannot be replaced (a folder stands in its place) fails the save
// and is left as it was.
TEST(CEmulatorSettingsTest, ASaveThatCannotReplaceTheFileFails) {
    CProgramFolder folder("settings-blocked");
    const std::string blocked = folder.GetFolder() + "KorvetEmu.ini";
    ASSERT_TRUE(CreateDirectoryA(blocked.c_str(), nullptr));
    CEmulatorManager manager;
    EXPECT_FALSE(CEmulatorSettings::Save(manager));
    EXPECT_FALSE(apptest::FileExistsNarrow(blocked + ".tmp"));
    RemoveDirectoryA(blocked.c_str());
}

// Values out of range and names no output has are repaired after loading.
TEST(CEmulatorSettingsTest, LoadRepairsValuesAndNames) {
    struct Case {
        int32_t syncFrequency;
        int32_t language;
        const char* sound;
        const char* screen;
        int32_t expectedSound;
        const char* expectedSoundName;
    };
    const Case cases[] = {
        {7, 2, "Beeper", "Plotter", 1, "WaveSound"},
        {-1, -5, "No Sound", "", 0, "No Sound"},
        {4, 1, "", "WinGDI", 1, "WaveSound"},
    };
    for (const Case& c : cases) {
        CProgramFolder folder("settings-repair");
        {
            CEmulatorManager manager;
            manager.EmuSyncFreq = c.syncFrequency;
            manager.guiLanguadge = c.language;
            manager.EmuDefaultSound.AssignNarrow(c.sound);
            manager.EmuDefaultScreen.AssignNarrow(c.screen);
            ASSERT_TRUE(CEmulatorSettings::Save(manager));
        }
        CEmulatorManager manager;
        CEmulatorSettings::Load(manager);
        const int32_t expectedSync = c.syncFrequency >= 0 && c.syncFrequency <= 4 ? c.syncFrequency : 0;
        EXPECT_EQ(manager.EmuSyncFreq, expectedSync) << c.syncFrequency;
        EXPECT_GE(manager.guiLanguadge, 0);
        EXPECT_LE(manager.guiLanguadge, 1);
        EXPECT_EQ(manager.GetSelectedSoundOutput(), c.expectedSound) << c.sound;
        EXPECT_EQ(manager.EmuDefaultSound.CompareNarrow(c.expectedSoundName), 0) << c.sound;
        EXPECT_EQ(manager.GetSelectedRenderer(), 0) << c.screen;
        if (manager.GetRendererCount() > 0) {
            EXPECT_EQ(manager.EmuDefaultScreen.CompareNarrow("WinGDI"), 0) << c.screen;
        }
    }
}

TEST(CEmulatorSettingsTest, ForeignHeaderChangesNoValue) {
    CProgramFolder folder("settings-foreign");
    std::FILE* file = std::fopen((folder.GetFolder() + "KorvetEmu.ini").c_str(), "wb");
    ASSERT_NE(file, nullptr);
    std::fputs("NOTINIxxxxxxxxxxxxxxxx", file);
    std::fclose(file);
    CEmulatorManager manager;
    CEmulatorSettings::Load(manager);
    EXPECT_TRUE(manager.guiMaximizeOnStartup);
    EXPECT_EQ(manager.GetSelectedSoundOutput(), 1);
    EXPECT_EQ(manager.EmuDefaultSound.CompareNarrow("WaveSound"), 0);
}

TEST(CEmulatorSettingsTest, SecondLoadChangesNothing) {
    CProgramFolder folder("settings-once");
    CEmulatorManager manager;
    CEmulatorSettings::Load(manager);
    {
        CEmulatorManager writer;
        writer.guiShowToolbar = false;
        ASSERT_TRUE(CEmulatorSettings::Save(writer));
    }
    CEmulatorSettings::Load(manager);
    EXPECT_TRUE(manager.guiShowToolbar);
}

} // namespace
