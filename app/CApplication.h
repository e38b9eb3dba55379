#pragma once
// The front end's application object: registers the two UI languages, makes
// the main window with its menu bar and lets the toolkit create it. The one
// instance lives in WinMain and is published in g_pApplication once start-up
// succeeded, so that the emulation thread can wait for the user interface.
#include <cstdint>

#include "gui/windows/CApplication.h"

// <windows.h> maps CompareString to its W form, which hides the string
// family's own CompareString.
#undef CompareString

namespace emu {

class CApplication : public gui::Windows::CApplication {
public:
    CApplication() = default;
    ~CApplication() override;

    bool Initialize(int32_t* exitCode) override;
};

} // namespace emu

// Null until Initialize has succeeded; read by the emulation thread's wait.
extern emu::CApplication* g_pApplication;
