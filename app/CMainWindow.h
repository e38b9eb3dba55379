#pragma once
// The program's only top-level window: the road by which every user action
// reaches the emulated computer. It embeds the emulator manager (settings,
// configurations, host outputs), shows the emulation screen, hands keys and
// mouse events to the computer, presents its frames from the 1-ms
// user-interface timer and carries the handlers of the menu bar's commands.
//
// Order of life: constructor (manager built) -> OnCreate (settings loaded,
// emulation screen, computer made with its idle emulation thread, menus built,
// timer added) -> Create (handles to the computer, auto-start) -> shown ->
// Destroy (computer removed, settings saved, WM_QUIT posted).
#include <cstdint>
#include <vector>

#include "app/CEmulatorManager.h"
#include "common/CImage.h"
#include "common/CNarrowString.h"
#include "common/CPath.h"
#include "gui/CButtonInterface.h"
#include "gui/CMenuItem.h"
#include "gui/windows/CFrameWindow.h"

namespace gui {
namespace Windows {
class CButton;
class CPanel;
class CLabel;
class CPicture;
} // namespace Windows
} // namespace gui

// <windows.h> maps CompareString to its W form, which hides the string
// family's own CompareString.
#undef CompareString

namespace emu {

class CEmulationScreen;
class CEmulator;
class CMainMenu;
class CMediaSlot;

class CMainWindow : public gui::Windows::CFrameWindow {
public:
    // Key codes of the state hot keys.
    static constexpr int32_t kKeyF11 = 0x7A;
    static constexpr int32_t kKeyF12 = 0x7B;

    CMainWindow(int32_t x, int32_t y, int32_t width, int32_t height, int32_t unit);
    ~CMainWindow() override;

    bool Create() override;
    void Destroy() override;
    void SetVisible(bool visible) override;
    bool OnCreate() override;
    void OnActivate(bool active) override;

    // The emulation thread's wait after every frame.
    static bool OnCoreWait(uint32_t limit);
    static bool OnKeyHook(gui::CWidgetInterface* widget, int32_t keyCode, bool pressed);
    static bool OnPaintScreen(gui::CWidgetInterface* widget, gui::CPainter* painter);
    static bool OnScreenMouse(gui::CWidgetInterface* widget, int32_t x, int32_t y, int32_t event);
    void InvalidateScreen();

    // User-interface timer and status refresh.
    static bool OnTimer(gui::CWidgetInterface* frame, uintptr_t userValue, void* callback);
    void UpdateTitle();
    // Tells the user which settings files could not be written (the manager's
    // list, plus `extra` when not empty); nothing when all were.
    void ReportUnsavedSettings(const common::CPath& extra);
    // A warning with one OK button, over this window.
    void ShowWarning(const common::CWideString& text, const common::CWideString& caption);
    void SyncWithCore(bool force);
    void UpdateToolbar();
    // A message box, once per run of the program, when the selected sound
    // output could not open (outputName null: nothing new to tell). The
    // notice waits until the window is shown; then it is posted, and the
    // message loop shows it.
    void TellSoundFailure(const char* outputName);
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    // Width in pixels of the toolbar's drive-row area: 460 at 96 dpi, scaled to
    // the screen once the DPI setup has run.
    static int32_t GetDriveAreaWidth();

    // Toolbar buttons: each fires the Emulation menu's item of the same name.
    static void OnStartButton(gui::CWidgetInterface* button);
    static void OnPauseButton(gui::CWidgetInterface* button);
    static void OnStopButton(gui::CWidgetInterface* button);
    static int32_t GetDriveIconIndex(const CMediaSlot* slot, int32_t lampPhase, bool running);

    // Run control.
    static bool OnMenuStart(gui::CMenuItem* item, int32_t index, int32_t mode, uintptr_t argument);
    static bool OnMenuPause(gui::CMenuItem* item, int32_t index, int32_t mode, uintptr_t argument);
    static bool OnMenuStop(gui::CMenuItem* item, int32_t index, int32_t mode, uintptr_t argument);
    // Emulation, View, Settings, Input, Video and Sound handlers.
    static bool OnMenuExit(gui::CMenuItem* item, int32_t index, int32_t mode, uintptr_t argument);
    static bool OnMenuSynchronization(gui::CMenuItem* item, int32_t index, int32_t mode, uintptr_t argument);
    static bool OnMenuFastInit(gui::CMenuItem* item, int32_t index, int32_t mode, uintptr_t argument);
    static bool OnMenuEmulationScreen(gui::CMenuItem* item, int32_t index, int32_t mode, uintptr_t argument);
    static bool OnMenuConsoleWindow(gui::CMenuItem* item, int32_t index, int32_t mode, uintptr_t argument);
    static bool OnMenuToolbar(gui::CMenuItem* item, int32_t index, int32_t mode, uintptr_t argument);
    static bool OnMenuSettingsToggle(gui::CMenuItem* item, int32_t index, int32_t mode, uintptr_t argument);
    static bool OnMenuCaptureMouse(gui::CMenuItem* item, int32_t index, int32_t mode, uintptr_t argument);
    static bool OnMenuSelectRenderer(gui::CMenuItem* item, int32_t index, int32_t mode, uintptr_t argument);
    static bool OnMenuSelectSound(gui::CMenuItem* item, int32_t index, int32_t mode, uintptr_t argument);
    static bool OnMenuSelectMachine(gui::CMenuItem* item, int32_t index, int32_t mode, uintptr_t argument);
    static bool OnMenuLanguage(gui::CMenuItem* item, int32_t index, int32_t mode, uintptr_t argument);
    // Re-captions the window in the current language: every menu text that
    // has a text id (the Drives menu included) and the toolbar's buttons.
    void ApplyLanguage();
    static bool OnMenuOptionItem(gui::CMenuItem* item, int32_t index, int32_t mode, uintptr_t argument);
    // Update callback of a configuration's sub-model submenu: checked while
    // that configuration is the selected one.
    static bool OnMenuComputerSubmodel(gui::CMenuItem* item, int32_t index);
    // Help: the About box, always enabled.
    static bool OnMenuAbout(gui::CMenuItem* item, int32_t index, int32_t mode, uintptr_t argument);
    // State save and load.
    static bool OnMenuSaveState(gui::CMenuItem* item, int32_t index, int32_t mode, uintptr_t argument);
    static bool OnMenuLoadState(gui::CMenuItem* item, int32_t index, int32_t mode, uintptr_t argument);
    static common::CPath MakeEmptyPath();
    // Media commands.
    static bool OnMenuDriveLoadFromFile(gui::CMenuItem* item, int32_t index, int32_t mode, uintptr_t argument);
    static bool OnMenuDriveUnload(gui::CMenuItem* item, int32_t index, int32_t mode, uintptr_t argument);
    static bool OnMenuDriveLatch(gui::CMenuItem* item, int32_t index, int32_t mode, uintptr_t argument);
    static bool OnDriveIconMouse(gui::CWidgetInterface* widget, int32_t x, int32_t y, int32_t event);
    // Rebuilds the toolbar's drive row from the current computer's drives
    // (the Drives menu calls this with the group of each drive).
    void ClearDriveRow();
    void AddDriveRowLabel(const char* text);
    void AddDriveRowPicture(int32_t drive, int32_t indexInGroup, int32_t kind);
    void AddDriveRowDivider();
    // A cartridge's own kind label replaces the group's "ROM:".
    void SetDriveRowLabelText(CMediaSlot* slot);
    // Drive kinds, which choose the icon strip.
    enum : int32_t { kDriveKindFloppy, kDriveKindHardDisk, kDriveKindCartridge, kDriveKindCdDrive };
    // The drive's picture in the current row; null when it has none.
    gui::Windows::CPicture* GetDrivePicture(int32_t drive) const;
    // Sets a drive's picture to the icon of its slot's state and, when asked,
    // its tooltip to the image path.
    void RefreshDrivePicture(int32_t drive, bool withTooltip);
    // Every drive's picture and tooltip from its slot (after the core changed
    // the drives: a state load, the console's MOUNT).
    void RefreshDriveRow();
    // Advances the drive lamps (every drive's picture state when fullRefresh).
    void BlinkDriveActivity(bool fullRefresh);

    // The main window that a menu item belongs to; null when none.
    static CMainWindow* FromMenuItem(gui::CMenuItem* item);
    static CMainWindow* FromWidget(gui::CWidgetInterface* widget);

    CEmulatorManager& GetManager() { return m_manager; }
    CEmulator* GetComputer() const { return m_computer; }
    CEmulator** GetComputerSlot() { return &m_computer; }
    int32_t GetSelectedConfig() const { return m_selectedConfig; }
    void SetSelectedConfig(int32_t index) { m_selectedConfig = index; }
    CMainMenu* GetMainMenu();
    CEmulationScreen* GetScreen() const { return m_screen; }
    gui::Windows::CPanel* GetToolbar() const { return m_toolbar; }
    gui::Windows::CButton* GetStartButton() const { return m_startButton; }
    gui::Windows::CButton* GetPauseButton() const { return m_pauseButton; }
    gui::Windows::CButton* GetStopButton() const { return m_stopButton; }
    gui::Windows::CPanel* GetDriveArea() const { return m_driveArea; }
    const common::CNarrowString& GetTitle() const { return m_title; }
    bool IsMouseMode() const { return m_mouseMode; }
    // Lamp phase of a drive (the drive number while dark, minus 1000 while lit).
    int32_t GetLampPhase(int32_t drive) const;

private:
    // The toolbar with its buttons, dividers and drive-row area; false when
    // the window refuses one of them.
    bool BuildToolbar();
    // One toolbar button of the run-control row.
    gui::Windows::CButton* AddToolbarButton(int32_t textId, gui::CButtonInterface::ClickCallback callback,
                                            common::CImage* icon, bool enabled, int32_t priorityGroup);
    bool AddToolbarSeparator(int32_t priorityGroup);
    // Fires one of the Emulation menu's run-control items from a toolbar button.
    static void FireRunItem(gui::CWidgetInterface* button, int32_t which);

    // The renderer that shows the current view; null when nothing is shown.
    CRenderer* PickRenderer();
    // Gives the mouse back: standard cursor, capture released, cursor shown.
    void ReleaseMouse(bool leaveMouseMode);
    // After a change of renderer: the views let go of the emulation screen's
    // window, which is made anew (an OpenGL pixel format cannot be taken back)
    // and handed to the computer; its first paint is filled black.
    void RenewScreenWindow();
    // Stores the main window as the sound output's window when it needs one.
    void HandWindowToSound(CSoundOutput* output);
    // Mounts a chosen image into a drive (the file dialog's part of Load From File).
    bool LoadImageIntoDrive(int32_t drive, CMediaSlot* slot);
    // Flips the drive's latch with the emulation held at its safe point.
    void ToggleLatch(CMediaSlot* slot);

    common::CNarrowString m_title;
    gui::Windows::CPanel* m_toolbar = nullptr; // toolbar widgets: owned by the widget tree
    gui::Windows::CButton* m_startButton = nullptr;
    gui::Windows::CButton* m_pauseButton = nullptr;
    gui::Windows::CButton* m_stopButton = nullptr;
    gui::Windows::CPanel* m_separators[3] = {nullptr, nullptr, nullptr};
    gui::Windows::CPanel* m_driveArea = nullptr;
    CEmulationScreen* m_screen = nullptr; // owned by the widget tree
    int32_t m_selectedConfig = -1;
    bool m_firstPaintPending = false;
    // The window's own message that shows the sound notice.
    static constexpr UINT kTellSoundFailureMessage = WM_APP + 1;
    void ShowPendingSoundFailure();

    const char* m_pendingSoundFailure = nullptr; // the output's static name, not yet told
    bool m_soundNoticePosted = false;
    bool m_soundFailureTold = false;
    bool m_mouseMode = false;
    bool m_cursorChanged = false;
    CEmulatorManager m_manager;
    CEmulator* m_computer = nullptr;   // created and deleted through the manager
    std::vector<int32_t> m_lampPhases; // per drive number
    // Per drive number, and the current group's label: owned by the drive-row area.
    std::vector<gui::Windows::CPicture*> m_drivePictures;
    gui::Windows::CLabel* m_driveRowLabel = nullptr;
    uint64_t m_timer = 0;
};

} // namespace emu
