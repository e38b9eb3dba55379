#pragma once
// The UI text ids: every caption of the window, its menus, dialogs and message
// boxes is one of these, looked up in the current language through
// common::CLocale::GetText. CLocale_Eng and CLocale_Rus hold the texts.
#include <cstdint>

namespace emu {
namespace TextId {

constexpr int32_t kLanguage = 0; // the language submenu of the Settings menu
constexpr int32_t kAuthor = 1;
constexpr int32_t kVersion = 2;
constexpr int32_t kCountry = 3; // the author's country, About box
constexpr int32_t kAbout = 4;
constexpr int32_t kAboutItem = 5; // "About...", Help menu

// Emulation menu; Start, Stop and Pause are also the toolbar buttons.
constexpr int32_t kEmulation = 6;
constexpr int32_t kStart = 7;
constexpr int32_t kStop = 8;
constexpr int32_t kPause = 9;
constexpr int32_t kSynchronization = 10;
constexpr int32_t kFastInitialization = 11;
constexpr int32_t kSaveState = 12;
constexpr int32_t kLoadState = 13;
constexpr int32_t kExit = 14;

// Menu-bar submenus.
constexpr int32_t kComputer = 15;
constexpr int32_t kDrives = 16;
constexpr int32_t kVideo = 17;
constexpr int32_t kSound = 18;
constexpr int32_t kInput = 19;
constexpr int32_t kDebug = 20;
constexpr int32_t kView = 21;
constexpr int32_t kSettings = 22;
constexpr int32_t kHelp = 23;

// View and Settings items.
constexpr int32_t kMaximizeOnStartup = 24;
constexpr int32_t kAutoStartEmulation = 25;
constexpr int32_t kToolbar = 26;
constexpr int32_t kEmulationScreen = 27;
constexpr int32_t kConsoleWindow = 28;
constexpr int32_t kCaptureMouseOnDblClick = 29;

// Items of each drive submenu.
constexpr int32_t kLoadFromFile = 30;
constexpr int32_t kUnload = 31;
constexpr int32_t kLatch = 32;

// Published by the computer into its option menus.
constexpr int32_t kSyncFrequency = 33;
constexpr int32_t kFirstSyncRate = 34; // 34..38, one per "EmuSyncFreq" value 0..4
constexpr int32_t kSyncRateCount = 5;
constexpr int32_t kIgnoreConsoleDuplicates = 39;

// Option-menu texts of the framework and the devices.
constexpr int32_t kFrameRendering = 40;
constexpr int32_t kScanlineRendering = 41;
constexpr int32_t kAspectRatio = 42;
constexpr int32_t kAspectDefault = 43;
constexpr int32_t kStretchToWindow = 44;

// Drive submenus, four of each kind: the drive's index within its kind is added.
constexpr int32_t kFirstCartridge = 45;
constexpr int32_t kFirstFloppyDrive = 49;
constexpr int32_t kFirstHardDrive = 53;
constexpr int32_t kFirstCdDrive = 57;
constexpr int32_t kDrivesPerKind = 4;

constexpr int32_t kFirstEnableChannel = 61; // 61..65, channels 0..4
constexpr int32_t kEnableSound = 66;
constexpr int32_t kEnableNoise = 67;
constexpr int32_t kYm2149Mode = 68;

// State save and load confirmations.
constexpr int32_t kLoadStateQuestion = 69;
constexpr int32_t kSaveStateQuestion = 70;
constexpr int32_t kConfirmation = 71;
// Button texts that no command shows.
constexpr int32_t kToMemory = 72;
constexpr int32_t kToFile = 73;
constexpr int32_t kCancel = 74;
constexpr int32_t kFromMemory = 75;
constexpr int32_t kFromFile = 76;

constexpr int32_t kSelectMachine = 77;
constexpr int32_t kSelectAll = 78;
constexpr int32_t kClearAll = 79;
constexpr int32_t kRenderer = 80; // the word after each renderer name, Video menu
constexpr int32_t kRate48000 = 81;
constexpr int32_t kRate44100 = 82;
constexpr int32_t kRate22050 = 83;
constexpr int32_t kRate16000 = 84;
constexpr int32_t kSpeed = 85;               // status text
constexpr int32_t kMouseCapturedSuffix = 86; // caption suffix while the mouse is captured
constexpr int32_t kVramPageCount = 87;
constexpr int32_t kDownKeyAsNum5 = 88;
constexpr int32_t kAlternateColors = 89;
constexpr int32_t kMode512x256Mono = 90;
constexpr int32_t kMode256x256Halftone = 91;
constexpr int32_t kMode256x256Color = 92;
constexpr int32_t kJoystickOnNumPad = 93;
constexpr int32_t kNormalize = 94;
constexpr int32_t kChipFrequency = 95;
constexpr int32_t kNumpadUsage = 96;
constexpr int32_t kNumpadDefault = 97;
constexpr int32_t kNumpadAsMouse = 98;
constexpr int32_t kHalftoneMonitor = 99;
constexpr int32_t kLightCgaColors = 100;
constexpr int32_t kCgaExtensions = 101;
constexpr int32_t kComposite160x200 = 102;
constexpr int32_t kTandyModes = 103;
constexpr int32_t kClickRus = 104;
constexpr int32_t kClickLat = 105;
constexpr int32_t kCpuModel = 106;
constexpr int32_t kCpuFrequency = 107;
constexpr int32_t kRamSize = 108;
constexpr int32_t kSubmodelBios = 109;

// The ids 0..kLastOrdinary form one unbroken range.
constexpr int32_t kLastOrdinary = 109;

// File dialog entries.
constexpr int32_t kAllFiles = 10000;
constexpr int32_t kAllSupportedFiles = 10001;

// Message boxes.
constexpr int32_t kSettingsNotSaved = 10100;
constexpr int32_t kImageNotOpened = 10101;
constexpr int32_t kImageFitsNoFormat = 10102;
// The unit after an image's size in the message above.
constexpr int32_t kBytes = 10103;

} // namespace TextId
} // namespace emu
