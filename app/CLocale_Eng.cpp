#include "app/CLocale_Eng.h"

#include "app/TextIds.h"

namespace emu {

namespace {

// Plain ASCII; the narrow assignment widens each byte to the UTF-16 unit of the
// same value, which is exact for ASCII. \t separates a menu text from its key.
const char* const kTexts[TextId::kLastOrdinary + 1] = {
    "Language",                                                 // 0
    "Author",                                                   // 1
    "Version",                                                  // 2
    "Russia",                                                   // 3
    "About",                                                    // 4
    "About...",                                                 // 5
    "Emulation",                                                // 6
    "Start",                                                    // 7
    "Stop",                                                     // 8
    "Pause",                                                    // 9
    "Synchronization",                                          // 10
    "Fast Initialization",                                      // 11
    "Save State\tF11",                                          // 12
    "Load State\tF12",                                          // 13
    "Exit",                                                     // 14
    "Computer",                                                 // 15
    "Drives",                                                   // 16
    "Video",                                                    // 17
    "Sound",                                                    // 18
    "Input",                                                    // 19
    "Debug",                                                    // 20
    "View",                                                     // 21
    "Settings",                                                 // 22
    "Help",                                                     // 23
    "Maximize window on startup",                               // 24
    "Auto-start emulation",                                     // 25
    "Toolbar",                                                  // 26
    "Emulation Screen",                                         // 27
    "Console Window",                                           // 28
    "Capture Mouse on DblClick",                                // 29
    "Load From File",                                           // 30
    "Unload",                                                   // 31
    "Latch",                                                    // 32
    "Sync Frequency",                                           // 33
    "2450 Hz (fastest emulation)",                              // 34
    "7350 Hz (fast emulation)",                                 // 35
    "14700 Hz (normal emulation)",                              // 36
    "22050 Hz (slow emulation)",                                // 37
    "44100 Hz (slowest emulation)",                             // 38
    "Ignore equal console strings",                             // 39
    "Frame Rendering",                                          // 40
    "Scanline Rendering",                                       // 41
    "Aspect Ratio",                                             // 42
    "Default",                                                  // 43
    "Stretch to Window",                                        // 44
    "Cartridge 1",                                              // 45
    "Cartridge 2",                                              // 46
    "Cartridge 3",                                              // 47
    "Cartridge 4",                                              // 48
    "Floppy Drive 1",                                           // 49
    "Floppy Drive 2",                                           // 50
    "Floppy Drive 3",                                           // 51
    "Floppy Drive 4",                                           // 52
    "Hard Drive 1",                                             // 53
    "Hard Drive 2",                                             // 54
    "Hard Drive 3",                                             // 55
    "Hard Drive 4",                                             // 56
    "CD/DVD Drive 1",                                           // 57
    "CD/DVD Drive 2",                                           // 58
    "CD/DVD Drive 3",                                           // 59
    "CD/DVD Drive 4",                                           // 60
    "Enable Channel 0",                                         // 61
    "Enable Channel 1",                                         // 62
    "Enable Channel 2",                                         // 63
    "Enable Channel 3",                                         // 64
    "Enable Channel 4",                                         // 65
    "Enable Sound",                                             // 66
    "Enable Noise",                                             // 67
    "YM-2149F Mode",                                            // 68
    "LOAD emulation state!",                                    // 69
    "SAVE emulation state?",                                    // 70
    "Confirmation",                                             // 71
    "to Memory",                                                // 72
    "to File",                                                  // 73
    "Cancel",                                                   // 74
    "from Memory",                                              // 75
    "from File",                                                // 76
    "Select Machine",                                           // 77
    "Select All",                                               // 78
    "Clear All",                                                // 79
    "renderer",                                                 // 80
    "48000 Hz",                                                 // 81
    "44100 Hz",                                                 // 82
    "22050 Hz",                                                 // 83
    "16000 Hz",                                                 // 84
    "Speed",                                                    // 85
    "   [press middle button or \"Win\" key to release mouse]", // 86
    "VRAM Page Count",                                          // 87
    "Down Key As Num5",                                         // 88
    "Alternate Colors",                                         // 89
    "512x256 (Black/White)",                                    // 90
    "256x256 (Halftone)",                                       // 91
    "256x256 (Color)",                                          // 92
    "Allow Joystick On NumPad",                                 // 93
    "Normalize (preliminary)",                                  // 94
    "Chip Frequency",                                           // 95
    "Numpad Usage",                                             // 96
    "Default",                                                  // 97
    "As Mouse",                                                 // 98
    "Halftone Display Monitor",                                 // 99
    "Light CGA Graphic Colors",                                 // 100
    "CGA Extensions",                                           // 101
    "Composite 160x200x16 Mode",                                // 102
    "Tandy / PCjr x16 Modes",                                   // 103
    "Click  RUS  (Russian)",                                    // 104
    "Click  LAT  (Latin)",                                      // 105
    "CPU Model",                                                // 106
    "CPU Frequency",                                            // 107
    "RAM Size",                                                 // 108
    "Submodel/BIOS",                                            // 109
};

} // namespace

CLocale_Eng::CLocale_Eng() = default;

CLocale_Eng::~CLocale_Eng() = default;

const char* CLocale_Eng::FindText(int32_t id) {
    if (id >= 0 && id <= TextId::kLastOrdinary)
        return kTexts[id];
    if (id == TextId::kAllFiles)
        return "All Files";
    if (id == TextId::kAllSupportedFiles)
        return "All Supported Files";
    if (id == TextId::kSettingsNotSaved)
        return "The settings could not be saved to these files:";
    if (id == TextId::kImageNotOpened)
        return "The image cannot be opened:";
    if (id == TextId::kImageFitsNoFormat)
        return "The size of the image fits no disk format of the drive:";
    if (id == TextId::kBytes)
        return "bytes";
    return nullptr;
}

bool CLocale_Eng::LookupText(int32_t id, common::CWideString& text) const {
    const char* found = FindText(id);
    if (!found)
        return false;
    text.AssignNarrow(found, -1);
    return true;
}

} // namespace emu
