#pragma once
// The toolkit's top-level window: an overlapped window with a menu bar, a
// caption, an icon and a window class registered for it alone. It hosts the
// widget tree and drives the frame's timers, and destroying it ends the message
// loop (it posts WM_QUIT with exit code 0).
//
// Timers: two 1-ms sources drive the timer list on the user-interface thread, a
// SetTimer timer and a timer-queue timer whose callback, on a thread of the
// system's timer queue, only posts WM_TIMER messages naming TimerProc; the
// dispatch of those messages runs TimerProc on the user-interface thread.
//
// The first frame window constructed in the process measures the screen's DPI
// for the unit conversions (gui/Units.h).
#include <cstdint>

#include "common/CWideString.h"
#include "gui/CFrameWindow.h"
#include "gui/windows/CWindow.h"

namespace gui {
namespace Windows {

class CFrameWindow : public gui::CFrameWindow, public CWindow {
public:
    // The rectangle in the given unit; the window is not created yet.
    CFrameWindow(int32_t x, int32_t y, int32_t width, int32_t height, int32_t unit);
    // Stops the timers (waiting for a running timer-queue callback); the window
    // class stays registered.
    ~CFrameWindow() override;

    // When the window exists: true exactly for the instance it was made for.
    // Otherwise the instance is kept and Create runs.
    bool CreateForInstance(HINSTANCE instance);
    // OnCreate (once), a window class of its own, the window, the children and the timers.
    bool Create() override;
    // Timers stopped, children and window destroyed, WM_QUIT posted.
    void Destroy() override;
    // The first showing follows the show state (maximised or minimised states then become 1).
    void SetVisible(bool visible) override;
    // Starts both 1-ms sources when the window exists; true when at least one runs.
    bool StartTimers(bool resync) override;
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    // Called on activation and deactivation; nothing here.
    virtual void OnActivate(bool active);
    HINSTANCE GetInstance() override { return m_instance; }
    gui::CColor GetSystemColor(int32_t index) override;
    gui::CFrameWindowInterface* GetFrameWindow() override { return this; }

    int32_t GetIconId() const { return m_iconId; }
    void SetIconId(int32_t iconId) { m_iconId = iconId; }
    const common::CWideString& GetWindowClassName() const { return m_className; }
    bool IsSetTimerRunning() const { return m_timerId != 0; }
    bool IsQueueTimerRunning() const { return m_queueTimer != nullptr; }

    static void CALLBACK TimerProc(HWND window, UINT message, UINT_PTR id, DWORD time);
    static void CALLBACK TimerQueueCallback(PVOID parameter, BOOLEAN fired);

private:
    void StopTimers();
    bool RegisterOwnClass();

    HINSTANCE m_instance = nullptr; // the module; not owned
    int32_t m_iconId = 0; // resource id of the window icon (low 16 bits); 0 = none
    common::CWideString m_className;
    UINT_PTR m_timerId = 0;        // non-zero while the SetTimer timer runs
    HANDLE m_timerQueue = nullptr; // owned
    HANDLE m_queueTimer = nullptr; // owned, in m_timerQueue
    bool m_onCreatePending = true;
};

} // namespace Windows
} // namespace gui
