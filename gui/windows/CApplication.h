#pragma once
// The Win32 application: it keeps the start-up values that WinMain hands over,
// owns the main frame window, runs the message loop of the user-interface
// thread and tells the emulation thread whether that thread is idle.
//
// Idle tracking: a manual-reset event, reset while the loop dispatches and set
// once it has drained the queue (PeekMessage finds nothing), so a burst of
// messages counts as one busy period. WaitForIdle, called from another thread,
// polls it in 1-ms waits.
//
// Order of use (WinMain): construct; Startup with the start-up values (which
// runs the virtual Initialize, so a derived class can build its own main
// window first); when that succeeds, Run; then Quit, which closes the event and
// deletes the main window.
#include <atomic>
#include <cstdint>
#include <vector>

#include "common/CWideString.h"
#include "gui/CApplication.h"
#include "gui/windows/Win32Api.h"

namespace gui {

class CFrameWindowInterface;

namespace Windows {

class CFrameWindow;

class CApplication : public gui::CApplication {
public:
    // mainWindow: a Win32 frame window to use as the main window, or null.
    explicit CApplication(gui::CFrameWindowInterface* mainWindow = nullptr);
    // Deletes nothing: Quit does.
    ~CApplication() override;
    CApplication(const CApplication&) = delete;
    CApplication& operator=(const CApplication&) = delete;

    bool Startup(int32_t* exitCode, HINSTANCE instance, HINSTANCE previousInstance,
                 const std::vector<common::CWideString>& arguments, int showMode);

    // Without an instance: false. Makes a 320 by 200 main window when there is
    // none, gives it an empty menu bar when it has none, and creates its window.
    bool Initialize(int32_t* exitCode) override;
    int32_t Run() override;
    void Quit() override;
    void DestroyMainWindow() override;
    gui::CWidgetInterface* GetMainWindow() override;
    bool WaitForIdle(int32_t limit) override;

    CFrameWindow* GetMainFrame() const { return m_mainWindow; }
    HINSTANCE GetInstance() const { return m_instance; }
    HINSTANCE GetPreviousInstance() const { return m_previousInstance; }
    const std::vector<common::CWideString>& GetArguments() const { return m_arguments; }
    int GetShowMode() const { return m_showMode; }

protected:
    HINSTANCE m_instance = nullptr; // the module; not owned
    HINSTANCE m_previousInstance = nullptr; // kept, not used
    std::vector<common::CWideString> m_arguments;
    int m_showMode = 0;
    std::atomic<HANDLE> m_wakeEvent{nullptr}; // owned; set while the loop is idle
    std::atomic<int32_t> m_dispatchCount{0};  // messages the drain loop took after the first
    CFrameWindow* m_mainWindow = nullptr;     // owned; deleted by Quit
};

} // namespace Windows
} // namespace gui
