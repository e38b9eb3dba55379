#include "gui/windows/CApplication.h"

#include "common/OsHelpers.h"
#include "gui/CMenuBar.h"
#include "gui/Units.h"
#include "gui/windows/CFrameWindow.h"

namespace gui {
namespace Windows {

namespace {

constexpr int32_t kFirstPhasePasses = 4;

} // namespace

CApplication::CApplication(gui::CFrameWindowInterface* mainWindow) {
    common::InitializeSystem();
    m_mainWindow = dynamic_cast<CFrameWindow*>(mainWindow);
}

CApplication::~CApplication() = default;

bool CApplication::Startup(int32_t* exitCode, HINSTANCE instance, HINSTANCE previousInstance,
                           const std::vector<common::CWideString>& arguments, int showMode) {
    m_instance = instance;
    m_previousInstance = previousInstance;
    m_arguments = arguments;
    m_showMode = showMode;
    return Initialize(exitCode);
}

bool CApplication::Initialize(int32_t* exitCode) {
    if (exitCode != nullptr)
        *exitCode = -1;
    if (m_instance == nullptr)
        return false;
    if (m_mainWindow == nullptr)
        m_mainWindow = new CFrameWindow(0, 0, 320, 200, kUnitPixels);
    if (m_mainWindow->GetMenuBar() == nullptr) {
        gui::CMenuBar* menuBar = new gui::CMenuBar(m_mainWindow);
        if (!m_mainWindow->SetMenuBar(menuBar)) {
            delete menuBar;
            Quit();
            return false;
        }
    }
    if (!m_mainWindow->CreateForInstance(m_instance)) {
        Quit();
        return false;
    }
    if (exitCode != nullptr)
        *exitCode = 0;
    return true;
}

int32_t CApplication::Run() {
    if (m_mainWindow == nullptr)
        return -1;
    m_mainWindow->SetVisible(true);
    HANDLE event = m_wakeEvent.load();
    if (event == nullptr) {
        event = CreateEventW(nullptr, TRUE, TRUE, nullptr);
        m_wakeEvent = event;
    } else {
        SetEvent(event);
    }

    MSG message = {};
    if (event == nullptr) {
        // GetMessage answers -1 on failure, which ends the loop as well.
        while (GetMessageW(&message, nullptr, 0, 0) > 0) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    } else {
        bool quit = false;
        while (!quit && GetMessageW(&message, nullptr, 0, 0) > 0) {
            ResetEvent(event);
            for (;;) {
                TranslateMessage(&message);
                DispatchMessageW(&message);
                if (!PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE | PM_NOYIELD)) {
                    SetEvent(event);
                    break;
                }
                if (message.message == WM_QUIT) {
                    SetEvent(event);
                    quit = true;
                    break;
                }
                ++m_dispatchCount;
            }
        }
    }

    HANDLE old = m_wakeEvent.exchange(nullptr);
    if (old != nullptr)
        CloseHandle(old);
    return static_cast<int32_t>(message.wParam);
}

void CApplication::Quit() {
    HANDLE event = m_wakeEvent.exchange(nullptr);
    if (event != nullptr) {
        SetEvent(event);
        CloseHandle(event);
    }
    if (m_mainWindow != nullptr) {
        delete m_mainWindow;
        m_mainWindow = nullptr;
    }
}

void CApplication::DestroyMainWindow() {
    if (m_mainWindow != nullptr && m_mainWindow->GetWindowHandle() != nullptr)
        DestroyWindow(m_mainWindow->GetWindowHandle());
}

gui::CWidgetInterface* CApplication::GetMainWindow() {
    return m_mainWindow;
}

bool CApplication::WaitForIdle(int32_t limit) {
    if (limit == 0)
        return true;
    // Counts one 1-ms wait against the limit; false once it is used up.
    auto countDown = [&limit]() {
        if (limit == -1)
            return true;
        --limit;
        return limit > 0;
    };
    for (int32_t pass = 0; pass < kFirstPhasePasses; ++pass) {
        for (HANDLE event = m_wakeEvent.load(); event != nullptr; event = m_wakeEvent.load()) {
            Sleep(0);
            if (WaitForSingleObject(event, 1) != WAIT_TIMEOUT)
                return true;
            if (!countDown())
                return false;
        }
    }
    for (HANDLE event = m_wakeEvent.load(); event != nullptr; event = m_wakeEvent.load()) {
        m_dispatchCount = 0;
        Sleep(0);
        if (WaitForSingleObject(event, 1) != WAIT_TIMEOUT)
            return true;
        if (m_dispatchCount.load() == 0)
            return true;
        if (!countDown())
            return false;
    }
    return true;
}

} // namespace Windows
} // namespace gui
