#pragma once
// The application object: the root of a toolkit program. It owns the main frame
// window, runs the message loop of the user-interface thread and tells other
// threads whether that thread is idle. gui::Windows::CApplication implements it.
#include <cstdint>

namespace gui {

class CWidgetInterface;

class CApplication {
public:
    // Prepares the program; *exitCode is the code to end with when false.
    virtual bool Initialize(int32_t* exitCode) = 0;
    // Shows the main window and runs the message loop; the loop's exit code.
    virtual int32_t Run() = 0;
    // Releases what Initialize and Run left: the idle event and the main window.
    virtual void Quit() = 0;
    virtual ~CApplication();
    virtual void DestroyMainWindow() = 0;
    // The main window as a widget; null when there is none.
    virtual CWidgetInterface* GetMainWindow() = 0;
    // Called from another thread: waits at most limit 1-ms steps (-1: no limit, 0:
    // none) for the user-interface thread to have drained its message queue; true
    // when it was found idle.
    virtual bool WaitForIdle(int32_t limit) = 0;
};

} // namespace gui
