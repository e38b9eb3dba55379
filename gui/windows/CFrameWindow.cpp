#include "gui/windows/CFrameWindow.h"

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <ctime>

#include "common/CScopedLock.h"
#include "common/OsHelpers.h"
#include "common/ProgramFolders.h"
#include "gui/CMenuBar.h"
#include "gui/Units.h"

namespace gui {
namespace Windows {

namespace {

constexpr int kClassAttempts = 100;

// Set while a timer-queue callback posts, so that an overlapping one skips its tick.
std::atomic<bool>& PostingFlag() {
    static std::atomic<bool> s_posting(false);
    return s_posting;
}

void MeasureDpiOnce() {
    if (Dpi().m_computed)
        return;
    int32_t x = 0;
    int32_t y = 0;
    HDC screen = GetDC(nullptr);
    if (screen != nullptr) {
        x = GetDeviceCaps(screen, LOGPIXELSX);
        y = GetDeviceCaps(screen, LOGPIXELSY);
        ReleaseDC(nullptr, screen);
    }
    SetupDpi(x, y);
}

// A random word as the class name shows it: scaled to 32 bits, printed signed.
int32_t ScaledRandom() {
    const double value = std::rand() / 32767.0 * 4294967295.0;
    return static_cast<int32_t>(static_cast<uint32_t>(static_cast<int64_t>(value)));
}

uint32_t ToArgb(COLORREF colour) {
    return 0xFF000000u | (uint32_t(GetRValue(colour)) << 16) | (uint32_t(GetGValue(colour)) << 8) |
           uint32_t(GetBValue(colour));
}

} // namespace

CFrameWindow::CFrameWindow(int32_t x, int32_t y, int32_t width, int32_t height, int32_t unit) {
    // The DPI first, so that a rectangle in millimetres uses the screen's.
    MeasureDpiOnce();
    UnitsToPixels(&x, &y, unit);
    UnitsToPixels(&width, &height, unit);
    SetRect(x, y, width, height, kUnitPixels);
    PostingFlag() = false;
}

CFrameWindow::~CFrameWindow() {
    StopTimers();
    BeginTeardown();
}

bool CFrameWindow::CreateForInstance(HINSTANCE instance) {
    if (m_window != nullptr)
        return instance == m_instance;
    m_instance = instance;
    return Create();
}

bool CFrameWindow::RegisterOwnClass() {
    WNDCLASSEXW windowClass = {};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.style = CS_VREDRAW | CS_HREDRAW;
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = m_instance;
    windowClass.hIcon =
        m_iconId != 0 ? LoadIconW(m_instance, MAKEINTRESOURCEW(static_cast<WORD>(m_iconId & 0xFFFF))) : nullptr;
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);

    m_className.Clear();
    for (int attempt = 0; attempt < kClassAttempts; ++attempt) {
        common::InitAppFolders();
        m_className.AssignWideString(common::ProgramName());
        // Seeded once per creation: a second frame made within the same second then
        // draws on past the name the first one took instead of trying it again.
        if (attempt == 0)
            std::srand(static_cast<unsigned>(std::time(nullptr)));
        const int32_t first = ScaledRandom();
        const int32_t second = ScaledRandom();
        char suffix[40];
        std::snprintf(suffix, sizeof(suffix), "_%d_%d", static_cast<int>(second), static_cast<int>(first));
        m_className.AppendNarrow(suffix);
        windowClass.lpszClassName = reinterpret_cast<LPCWSTR>(m_className.GetWide());
        if (RegisterClassExW(&windowClass) != 0)
            return true;
        m_className.Clear();
    }
    return false;
}

bool CFrameWindow::Create() {
    if (IsCreated())
        return true;
    if (m_instance == nullptr)
        return false;
    if (m_onCreatePending) {
        m_onCreatePending = false;
        if (!OnCreate())
            return false;
    }
    if (!RegisterOwnClass())
        return false;

    int32_t x = 0;
    int32_t y = 0;
    int32_t width = 0;
    int32_t height = 0;
    GetRect(&x, &y, &width, &height);
    const int32_t screenWidth = GetSystemMetrics(SM_CXSCREEN);
    const int32_t screenHeight = GetSystemMetrics(SM_CYSCREEN);
    const int32_t borderX = screenWidth - GetSystemMetrics(SM_CXMAXIMIZED);
    const int32_t borderY = screenHeight - GetSystemMetrics(SM_CYMAXIMIZED);
    int32_t extentX = screenWidth;
    int32_t extentY = screenHeight;
    int32_t minX = 0;
    int32_t minY = 0;
    if (borderX > 0) {
        extentX -= 3 * borderX;
        minX = borderX + borderX / 2;
    }
    if (borderY > 0) {
        extentY -= 3 * borderY;
        minY = borderY + borderY / 2;
    }
    if (width > extentX || height > extentY) {
        SetSize(width > extentX ? extentX : width, height > extentY ? extentY : height);
        GetRect(&x, &y, &width, &height);
    }
    int32_t centreX = extentX / 2 - width / 2;
    int32_t centreY = extentY / 2 - height / 2;
    if (centreX < minX)
        centreX = minX;
    if (centreY < minY)
        centreY = minY;

    DWORD style = WS_OVERLAPPEDWINDOW;
    bool systemPlaces = false;
    switch (m_showState) {
    case kShowDefault:
        systemPlaces = true;
        m_showState = kShowStored;
        break;
    case kShowCentred:
        SetPosition(centreX, centreY);
        m_showState = kShowStored;
        break;
    case kShowMaximised:
        SetPosition(centreX, centreY);
        style |= WS_MAXIMIZE;
        break;
    case kShowMinimised:
        SetPosition(centreX, centreY);
        style |= WS_MINIMIZE;
        break;
    default:
        break;
    }
    GetRect(&x, &y, &width, &height);

    HMENU menu = m_menuBar != nullptr ? m_menuBar->GetHandle() : nullptr;
    m_window = CreateWindowExW(0, reinterpret_cast<LPCWSTR>(m_className.GetWide()),
                               reinterpret_cast<LPCWSTR>(m_caption.GetWide()), style, systemPlaces ? CW_USEDEFAULT : x,
                               systemPlaces ? CW_USEDEFAULT : y, width, height, nullptr, menu, m_instance, nullptr);
    // A window that could not be made is not destroyed (which would post WM_QUIT).
    if (m_window == nullptr)
        return false;
    SyncFromWindow(true, true, true);
    if (!CContainer::Create())
        return false;
    if (m_window != nullptr && !m_caption.IsEmpty())
        SetWindowTextW(m_window, reinterpret_cast<LPCWSTR>(m_caption.GetWide()));
    return StartTimers(true);
}

void CFrameWindow::Destroy() {
    StopTimers();
    // The menu bar owns its menu: taken off the window, it outlives the window
    // (which would destroy it) and serves again if the frame is created again.
    if (m_window != nullptr && m_menuBar != nullptr && IsWindow(m_window) &&
        GetMenu(m_window) == m_menuBar->PeekHandle() && m_menuBar->PeekHandle() != nullptr)
        SetMenu(m_window, nullptr);
    CContainer::Destroy();
    PostQuitMessage(0);
}

void CFrameWindow::SetVisible(bool visible) {
    if (IsVisible(false) == visible)
        return;
    gui::CWidget::SetVisible(visible);
    if (!IsCreated() || m_window == nullptr)
        return;
    if (!visible) {
        ShowWindow(m_window, SW_HIDE);
        return;
    }
    switch (m_showState) {
    case kShowDefault:
    case kShowStored:
    case kShowCentred:
        ShowWindow(m_window, SW_SHOW);
        break;
    case kShowMaximised:
        ShowWindow(m_window, SW_MAXIMIZE);
        m_showState = kShowStored;
        break;
    case kShowMinimised:
        ShowWindow(m_window, SW_SHOWMINIMIZED);
        m_showState = kShowStored;
        break;
    default:
        break;
    }
    UpdateWindow(m_window);
}

// ---- Timers ------------------------------------------------------------------------

bool CFrameWindow::StartTimers(bool resync) {
    if (m_window == nullptr)
        return true;
    if (resync) {
        common::CScopedLock lock(&m_timerLock);
        m_timers.Resync();
    }
    if (m_timerId == 0)
        m_timerId = SetTimer(m_window, 0, 1, &CFrameWindow::TimerProc);
    if (m_timerQueue == nullptr) {
        m_timerQueue = CreateTimerQueue();
        if (m_timerQueue != nullptr && m_queueTimer == nullptr) {
            if (!CreateTimerQueueTimer(&m_queueTimer, m_timerQueue, &CFrameWindow::TimerQueueCallback, &m_window, 1, 1,
                                       0))
                m_queueTimer = nullptr;
        }
    }
    return m_timerId != 0 || m_queueTimer != nullptr;
}

void CFrameWindow::StopTimers() {
    if (m_timerQueue != nullptr) {
        // Both deletions wait for a callback that is running.
        if (m_queueTimer != nullptr) {
            DeleteTimerQueueTimer(m_timerQueue, m_queueTimer, INVALID_HANDLE_VALUE);
            m_queueTimer = nullptr;
        }
        DeleteTimerQueueEx(m_timerQueue, INVALID_HANDLE_VALUE);
        m_timerQueue = nullptr;
    }
    if (m_timerId != 0) {
        // The timer was asked for with id 0 (SetTimer answers another non-zero value
        // for a window timer), so it is killed by that id.
        if (m_window != nullptr)
            KillTimer(m_window, 0);
        m_timerId = 0;
    }
}

void CALLBACK CFrameWindow::TimerQueueCallback(PVOID parameter, BOOLEAN) {
    std::atomic<bool>& posting = PostingFlag();
    if (posting.exchange(false))
        return;
    HWND window = *static_cast<HWND*>(parameter);
    if (window == nullptr)
        return;
    posting = true;
    PostMessageW(window, WM_TIMER, 0, reinterpret_cast<LPARAM>(&CFrameWindow::TimerProc));
    posting = false;
}

void CALLBACK CFrameWindow::TimerProc(HWND window, UINT, UINT_PTR, DWORD) {
    CFrameWindow* frame = dynamic_cast<CFrameWindow*>(CWidget::FromWindow(window));
    if (frame != nullptr)
        frame->ProcessTimers();
}

// ---- Messages --------------------------------------------------------------------

void CFrameWindow::OnActivate(bool) {}

gui::CColor CFrameWindow::GetSystemColor(int32_t index) {
    switch (index) {
    case 0:
        return gui::CColor::FromArgb(ToArgb(GetSysColor(COLOR_BTNTEXT)));
    case 1:
        return gui::CColor::FromArgb(ToArgb(GetSysColor(COLOR_GRAYTEXT)));
    case 2:
        return gui::CColor::FromArgb(ToArgb(GetSysColor(COLOR_BTNHIGHLIGHT)));
    case 3:
        return gui::CColor::FromArgb(ToArgb(GetSysColor(COLOR_BTNSHADOW)));
    default:
        return gui::CColor::FromArgb(gui::CColor::kOpaqueBlack);
    }
}

LRESULT CFrameWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    LRESULT result = 0;
    switch (message) {
    case WM_ERASEBKGND:
        if (!GetEraseBackground())
            return -1;
        break;
    case WM_SYSCOMMAND:
        // The low four bits of the command are the system's own.
        if ((wParam & 0xFFF0) == SC_KEYMENU)
            return 0;
        break;
    case WM_MENUCOMMAND: {
        MENUINFO info = {};
        info.cbSize = sizeof(info);
        info.fMask = MIM_MENUDATA;
        if (GetMenuInfo(reinterpret_cast<HMENU>(lParam), &info) && info.dwMenuData != 0) {
            gui::CPopupMenu* menu = reinterpret_cast<gui::CPopupMenu*>(info.dwMenuData);
            const int32_t position =
                common::GetPlatformId() == 1 ? static_cast<int32_t>(HIWORD(wParam)) : static_cast<int32_t>(wParam);
            menu->Command(position);
        }
        break;
    }
    case WM_ACTIVATE:
        if (LOWORD(wParam) != WA_INACTIVE) {
            OnActivate(true);
        } else {
            // A cursor hidden while the frame was active comes back; any other
            // display count stays as it was.
            int count = ShowCursor(TRUE);
            if (count > 0)
                ShowCursor(FALSE);
            while (count < 0)
                count = ShowCursor(TRUE);
            OnActivate(false);
        }
        break;
    case WM_SETCURSOR:
        if (HandleSetCursor(&result))
            return result;
        break;
    case WM_DRAWITEM:
        if (ReflectDrawItem(wParam, lParam))
            return TRUE;
        break;
    default:
        break;
    }
    return CWidget::HandleMessage(message, wParam, lParam);
}

} // namespace Windows
} // namespace gui
