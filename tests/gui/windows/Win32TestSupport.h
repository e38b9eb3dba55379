#pragma once
// Helpers for the Win32 toolkit tests: a plain window class routed through the
// toolkit's window procedure, a child control on the system's STATIC class, a
// windowless control, and message pumping that swallows the WM_QUIT every
// destroyed frame window posts.
#include <cstdint>
#include <vector>

#include "gui/windows/CControl.h"
#include "gui/windows/CFrameWindow.h"
#include "gui/windows/CWidget.h"
#include "gui/windows/Win32Api.h"

namespace guitest {

inline HINSTANCE Instance() {
    return GetModuleHandleW(nullptr);
}

// A window class whose procedure is the toolkit's; registered once.
inline const wchar_t* ToolkitClass() {
    static bool s_registered = false;
    if (!s_registered) {
        WNDCLASSEXW windowClass = {};
        windowClass.cbSize = sizeof(windowClass);
        windowClass.lpfnWndProc = gui::Windows::WindowProc;
        windowClass.hInstance = Instance();
        windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        windowClass.lpszClassName = L"KorvetGuiTestWindow";
        s_registered = RegisterClassExW(&windowClass) != 0;
    }
    return L"KorvetGuiTestWindow";
}

inline HWND MakeTopWindow(const wchar_t* className = nullptr, int x = 10, int y = 10, int width = 200,
                          int height = 100) {
    return CreateWindowExW(0, className != nullptr ? className : ToolkitClass(), L"test", WS_OVERLAPPEDWINDOW, x, y,
                           width, height, nullptr, nullptr, Instance(), nullptr);
}

// Dispatches everything pending; answers whether a WM_QUIT was among it.
inline bool PumpPending(WPARAM* quitCode = nullptr) {
    bool quit = false;
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            quit = true;
            if (quitCode != nullptr)
                *quitCode = message.wParam;
            continue;
        }
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return quit;
}

struct KeyEvent {
    int32_t m_code;
    bool m_down;
};

// A bare Win32 widget on a window made by the test.
class TestWidget : public gui::Windows::CWidget {
public:
    explicit TestWidget(HWND window) { m_window = window; }
    bool Repaint(int32_t, int32_t, int32_t, int32_t, gui::CRect*) override {
        ++m_repaints;
        return false;
    }
    gui::CWidgetInterface* HitTest(int32_t*, int32_t*) override { return nullptr; }
    bool OnKey(int32_t code, bool down) override {
        m_keys.push_back(KeyEvent{code, down});
        return m_takeKeys;
    }
    bool OnMouse(int32_t x, int32_t y, int32_t event) override {
        m_mouseX = x;
        m_mouseY = y;
        m_mouseEvent = event;
        return true;
    }
    bool OnNotify(NMHDR*, LRESULT* result) override {
        ++m_notifies;
        *result = 42;
        return true;
    }
    void Attach(HWND window) { m_window = window; }

    int m_repaints = 0;
    std::vector<KeyEvent> m_keys;
    bool m_takeKeys = true;
    int32_t m_mouseX = 0;
    int32_t m_mouseY = 0;
    int32_t m_mouseEvent = -1;
    int m_notifies = 0;
};

// A child control on the system's STATIC class, made as the toolkit's panel makes its window.
class StaticControl : public gui::Windows::CControl {
public:
    StaticControl(int32_t x, int32_t y, int32_t width, int32_t height, int32_t alignment, bool visible = true,
                  int32_t unit = 0)
        : CControl(x, y, width, height, alignment, visible, unit) {}
    bool Create() override {
        if (IsCreated())
            return true;
        gui::Windows::CWidget* parent = dynamic_cast<gui::Windows::CWidget*>(GetParent());
        if (parent == nullptr || !parent->IsCreated() || parent->GetWindowHandle() == nullptr)
            return false;
        m_window = CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_CLIPSIBLINGS | SS_NOTIFY | SS_OWNERDRAW, m_x, m_y,
                                   m_width, m_height, parent->GetWindowHandle(), nullptr, GetInstance(), nullptr);
        return CControl::Create();
    }
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == WM_DRAWITEM)
            ++m_drawItems;
        return CControl::HandleMessage(message, wParam, lParam);
    }
    bool OnMouse(int32_t x, int32_t y, int32_t event) override {
        m_mouseX = x;
        m_mouseY = y;
        m_mouseEvent = event;
        return true;
    }

    int m_drawItems = 0;
    int32_t m_mouseX = 0;
    int32_t m_mouseY = 0;
    int32_t m_mouseEvent = -1;
};

// A control without a window of its own.
class WindowlessControl : public StaticControl {
public:
    WindowlessControl(int32_t x, int32_t y, int32_t width, int32_t height, int32_t alignment)
        : StaticControl(x, y, width, height, alignment) {
        m_windowless = true;
    }
    bool Create() override { return CControl::Create(); }
};

// A frame window that records what reaches it.
class TestFrame : public gui::Windows::CFrameWindow {
public:
    TestFrame(int32_t x, int32_t y, int32_t width, int32_t height, int32_t unit = 0, bool* deleted = nullptr)
        : CFrameWindow(x, y, width, height, unit), m_deleted(deleted) {}
    ~TestFrame() override {
        if (m_deleted != nullptr)
            *m_deleted = true;
    }
    void OnActivate(bool active) override { m_activations.push_back(active); }
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == WM_APP && m_onApp != nullptr)
            m_onApp(this);
        if (message == WM_CLOSE)
            ForgetShownWindow();
        return CFrameWindow::HandleMessage(message, wParam, lParam);
    }
    bool ProcessTimersNow() { return ProcessTimers(); }
    void ForgetShownWindow();

    bool* m_deleted;
    std::vector<bool> m_activations;
    void (*m_onApp)(TestFrame* frame) = nullptr;
};

// Drops the visible style bit without unmapping: the X server without a window
// manager would make Wine wait two seconds for a shown top-level window to be
// withdrawn when it is destroyed. Only for the tests' speed.
inline void ForgetShown(HWND window) {
    SetWindowLongW(window, GWL_STYLE, GetWindowLongW(window, GWL_STYLE) & ~WS_VISIBLE);
}

// Destroys the frame's window and swallows the WM_QUIT it posts.
inline void DestroyFrame(gui::Windows::CFrameWindow& frame) {
    if (frame.GetWindowHandle() != nullptr) {
        ForgetShown(frame.GetWindowHandle());
        DestroyWindow(frame.GetWindowHandle());
    }
    PumpPending();
}

inline void TestFrame::ForgetShownWindow() {
    ForgetShown(GetWindowHandle());
}

} // namespace guitest
