// The program's entry: splits the wide command line, raises the system timer
// resolution for the whole run and drives the application object through
// start-up, message loop and shut-down.
#include <vector>

#include "app/CApplication.h"
#include "common/CWideString.h"
#include "gui/windows/Win32Api.h"

#include <mmsystem.h>
#include <shellapi.h>

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE previousInstance, PWSTR, int showCommand) {
    std::vector<common::CWideString> arguments;
    int count = 0;
    LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &count);
    if (argv != nullptr) {
        for (int i = 0; i < count; ++i)
            arguments.emplace_back(reinterpret_cast<const common::WChar*>(argv[i]));
        LocalFree(argv);
    }

    TIMECAPS caps = {};
    bool periodRaised = false;
    if (timeGetDevCaps(&caps, sizeof(caps)) == TIMERR_NOERROR)
        periodRaised = timeBeginPeriod(caps.wPeriodMin) == TIMERR_NOERROR;

    int32_t exitCode = -1;
    emu::CApplication application;
    if (!application.Startup(&exitCode, instance, previousInstance, arguments, showCommand))
        return exitCode;
    exitCode = application.Run();
    application.Quit();

    if (periodRaised)
        timeEndPeriod(caps.wPeriodMin);
    return exitCode;
}
