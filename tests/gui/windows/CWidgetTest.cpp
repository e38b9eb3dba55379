// The Win32 widget: attaching windows, subclassing, the window procedure's
// dispatch of keys, mouse, geometry, paint, cursor, notifications and destruction.
#include "gui/windows/CWidget.h"

#include <gtest/gtest.h>

#include "common/KeyCodes.h"
#include "gui/windows/CCursor.h"
#include "tests/gui/windows/Win32TestSupport.h"

namespace {

using guitest::KeyEvent;
using guitest::MakeTopWindow;
using guitest::TestWidget;

bool g_keyDown[256];

SHORT FakeKeyState(int virtualKey) {
    return g_keyDown[virtualKey & 0xFF] ? static_cast<SHORT>(0x8000) : 0;
}

int g_countedPaints = 0;

LRESULT CALLBACK CountingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_PAINT)
        ++g_countedPaints;
    return DefWindowProcW(window, message, wParam, lParam);
}

const wchar_t* CountingClass() {
    static bool s_registered = false;
    if (!s_registered) {
        WNDCLASSEXW windowClass = {};
        windowClass.cbSize = sizeof(windowClass);
        windowClass.lpfnWndProc = CountingProc;
        windowClass.hInstance = guitest::Instance();
        windowClass.lpszClassName = L"KorvetGuiCountingWindow";
        s_registered = RegisterClassExW(&windowClass) != 0;
    }
    return L"KorvetGuiCountingWindow";
}

class Win32WidgetTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_window = MakeTopWindow();
        ASSERT_NE(m_window, nullptr);
        m_widget = new TestWidget(m_window);
        ASSERT_TRUE(m_widget->Create());
        for (bool& down : g_keyDown)
            down = false;
    }
    void TearDown() override {
        gui::Windows::SetKeyStateReader(nullptr);
        if (m_widget->GetWindowHandle() != nullptr)
            m_widget->Destroy();
        delete m_widget;
        if (IsWindow(m_window))
            DestroyWindow(m_window);
        guitest::PumpPending();
    }

    HWND m_window = nullptr;
    TestWidget* m_widget = nullptr;
};

TEST_F(Win32WidgetTest, CreateAttachesTheWindowOnce) {
    EXPECT_EQ(gui::Windows::CWidget::FromWindow(m_window), m_widget);
    EXPECT_EQ(m_widget->GetPreviousProcedure(), DefWindowProcW); // a toolkit class is not subclassed
    EXPECT_FALSE(m_widget->IsDestroyed());
    EXPECT_TRUE(m_widget->Create());
    EXPECT_EQ(m_widget->GetPreviousProcedure(), DefWindowProcW);
}

TEST_F(Win32WidgetTest, WidgetWithoutWindowIsNotCreated) {
    TestWidget lone(nullptr);
    EXPECT_FALSE(lone.Create());
    EXPECT_FALSE(lone.IsCreated());
    EXPECT_FALSE(lone.Close());
    int32_t x = 0;
    int32_t y = 0;
    int32_t w = 0;
    int32_t h = 0;
    EXPECT_FALSE(lone.GetClientRect(&x, &y, &w, &h));
    EXPECT_EQ(lone.GetSystemColor(0).m_argb, 0xFF000000u); // no frame window
}

TEST_F(Win32WidgetTest, StandardControlIsSubclassedAndGivenBackItsProcedure) {
    HWND control = CreateWindowExW(0, L"STATIC", L"hello", WS_CHILD, 0, 0, 50, 20, m_window, nullptr,
                                   guitest::Instance(), nullptr);
    ASSERT_NE(control, nullptr);
    const WNDPROC original = reinterpret_cast<WNDPROC>(GetWindowLongPtrW(control, GWLP_WNDPROC));
    TestWidget* widget = new TestWidget(control);
    ASSERT_TRUE(widget->Create());
    EXPECT_EQ(widget->GetPreviousProcedure(), original);
    EXPECT_EQ(reinterpret_cast<WNDPROC>(GetWindowLongPtrW(control, GWLP_WNDPROC)), gui::Windows::WindowProc);
    // What the widget does not handle reaches the control's own procedure.
    wchar_t text[16] = {};
    EXPECT_EQ(SendMessageW(control, WM_GETTEXT, 16, reinterpret_cast<LPARAM>(text)), 5);
    EXPECT_STREQ(text, L"hello");
    delete widget; // lets go of the window without destroying it
    EXPECT_TRUE(IsWindow(control));
    EXPECT_EQ(reinterpret_cast<WNDPROC>(GetWindowLongPtrW(control, GWLP_WNDPROC)), original);
    EXPECT_EQ(GetWindowLongPtrW(control, GWLP_USERDATA), 0);
    DestroyWindow(control);
}

TEST_F(Win32WidgetTest, KeysAreReportedAsKeyCodes) {
    SendMessageW(m_window, WM_KEYDOWN, 'A', 0);
    SendMessageW(m_window, WM_KEYUP, VK_RETURN, 1 << 24); // extended Enter: the pad's
    SendMessageW(m_window, WM_KEYDOWN, 0x07, 0);          // no mapping: reported as 255
    ASSERT_EQ(m_widget->m_keys.size(), 3u);
    EXPECT_EQ(m_widget->m_keys[0].m_code, 'A');
    EXPECT_TRUE(m_widget->m_keys[0].m_down);
    EXPECT_EQ(m_widget->m_keys[1].m_code, 108);
    EXPECT_FALSE(m_widget->m_keys[1].m_down);
    EXPECT_EQ(m_widget->m_keys[2].m_code, 255);
}

TEST_F(Win32WidgetTest, ModifiersAreReportedPerSide) {
    gui::Windows::SetKeyStateReader(&FakeKeyState);
    // Right Alt alone: the left side as -1, then the right Alt.
    g_keyDown[VK_RMENU] = true;
    SendMessageW(m_window, WM_SYSKEYDOWN, VK_MENU, 1 << 24);
    ASSERT_EQ(m_widget->m_keys.size(), 2u);
    EXPECT_EQ(m_widget->m_keys[0].m_code, -1);
    EXPECT_EQ(m_widget->m_keys[1].m_code, common::kKeyCodeRightAlt);
    EXPECT_TRUE(m_widget->m_keys[1].m_down);
    g_keyDown[VK_RMENU] = false;
    m_widget->m_keys.clear();

    // Left Shift alone: only the left code.
    g_keyDown[VK_LSHIFT] = true;
    SendMessageW(m_window, WM_KEYDOWN, VK_SHIFT, 0);
    ASSERT_EQ(m_widget->m_keys.size(), 1u);
    EXPECT_EQ(m_widget->m_keys[0].m_code, common::kKeyCodeLeftShift);
    m_widget->m_keys.clear();

    // Both held, the left let go: the left release alone; then the right too.
    g_keyDown[VK_RSHIFT] = true;
    g_keyDown[VK_LSHIFT] = false;
    SendMessageW(m_window, WM_KEYUP, VK_SHIFT, 0);
    ASSERT_EQ(m_widget->m_keys.size(), 1u);
    EXPECT_EQ(m_widget->m_keys[0].m_code, common::kKeyCodeLeftShift);
    EXPECT_FALSE(m_widget->m_keys[0].m_down);
    m_widget->m_keys.clear();
    g_keyDown[VK_RSHIFT] = false;
    SendMessageW(m_window, WM_KEYUP, VK_SHIFT, 1 << 24);
    ASSERT_EQ(m_widget->m_keys.size(), 2u);
    EXPECT_EQ(m_widget->m_keys[0].m_code, common::kKeyCodeLeftShift);
    EXPECT_EQ(m_widget->m_keys[1].m_code, common::kKeyCodeRightShift);
    EXPECT_FALSE(m_widget->m_keys[1].m_down);
    m_widget->m_keys.clear();

    // A press that came after its key was let go again still counts, on the
    // side its message names: right Shift by scan code, right Ctrl by the
    // extended bit, left Alt by neither.
    SendMessageW(m_window, WM_KEYDOWN, VK_SHIFT, 0x36 << 16);
    SendMessageW(m_window, WM_KEYDOWN, VK_CONTROL, 1 << 24);
    SendMessageW(m_window, WM_SYSKEYDOWN, VK_MENU, 0x38 << 16);
    ASSERT_EQ(m_widget->m_keys.size(), 5u);
    EXPECT_EQ(m_widget->m_keys[1].m_code, common::kKeyCodeRightShift);
    EXPECT_EQ(m_widget->m_keys[3].m_code, common::kKeyCodeRightCtrl);
    EXPECT_EQ(m_widget->m_keys[4].m_code, common::kKeyCodeLeftAlt);
    EXPECT_TRUE(m_widget->m_keys[1].m_down && m_widget->m_keys[3].m_down && m_widget->m_keys[4].m_down);
}

// Without a test reader the sides come from the thread's key state as of the
// message handled: with right Shift still down there, letting go of the left
// reports the left alone, whatever the keys are now.
TEST_F(Win32WidgetTest, ModifierSidesAreReadAsOfTheMessage) {
    BYTE state[256] = {};
    state[VK_SHIFT] = 0x80;
    state[VK_RSHIFT] = 0x80;
    ASSERT_TRUE(SetKeyboardState(state));
    SendMessageW(m_window, WM_KEYUP, VK_SHIFT, 0x2A << 16);
    state[VK_SHIFT] = 0;
    state[VK_RSHIFT] = 0;
    SetKeyboardState(state);
    ASSERT_EQ(m_widget->m_keys.size(), 1u);
    EXPECT_EQ(m_widget->m_keys[0].m_code, common::kKeyCodeLeftShift);
    EXPECT_FALSE(m_widget->m_keys[0].m_down);
}

TEST_F(Win32WidgetTest, MouseCoordinatesAreSignExtended) {
    SendMessageW(m_window, WM_LBUTTONDOWN, 0, MAKELPARAM(-5, 7));
    EXPECT_EQ(m_widget->m_mouseX, -5);
    EXPECT_EQ(m_widget->m_mouseY, 7);
    EXPECT_EQ(m_widget->m_mouseEvent, gui::CWidgetInterface::kMouseLeftDown);
    SendMessageW(m_window, WM_MBUTTONUP, 0, MAKELPARAM(1, -2));
    EXPECT_EQ(m_widget->m_mouseY, -2);
    EXPECT_EQ(m_widget->m_mouseEvent, gui::CWidgetInterface::kMouseMiddleUp);
}

int g_moves = 0;
int g_sizes = 0;

TEST_F(Win32WidgetTest, OwnMovesAreNotFedBackButOutsideMovesAre) {
    g_moves = 0;
    g_sizes = 0;
    m_widget->OnMoveCallback() = [](gui::CWidgetInterface*) { return ++g_moves > 0; };
    m_widget->OnSizeCallback() = [](gui::CWidgetInterface*) { return ++g_sizes > 0; };
    EXPECT_TRUE(m_widget->SetRect(30, 40, 220, 120, 0));
    EXPECT_EQ(g_moves, 1);
    EXPECT_EQ(g_sizes, 1);
    RECT rect;
    GetWindowRect(m_window, &rect);
    EXPECT_EQ(rect.left, 30);
    EXPECT_EQ(rect.right - rect.left, 220);

    MoveWindow(m_window, 50, 60, 220, 120, FALSE);
    EXPECT_EQ(g_moves, 2);
    EXPECT_EQ(g_sizes, 1);
    int32_t x = 0;
    int32_t y = 0;
    m_widget->GetRect(&x, &y, nullptr, nullptr);
    EXPECT_EQ(x, 50);
    EXPECT_EQ(y, 60);
}

TEST_F(Win32WidgetTest, NegativeSizesKeepTheWindowSize) {
    m_widget->SetRect(30, 40, 220, 120, 0);
    EXPECT_TRUE(m_widget->SetRect(30, 40, -1, -1, 0));
    RECT rect;
    GetWindowRect(m_window, &rect);
    EXPECT_EQ(rect.right - rect.left, 220);
    EXPECT_EQ(rect.bottom - rect.top, 120);
    m_widget->SetRect(35, 40, -1, 100, 0);
    GetWindowRect(m_window, &rect);
    EXPECT_EQ(rect.left, 35);
    EXPECT_EQ(rect.right - rect.left, 220);
    EXPECT_EQ(rect.bottom - rect.top, 100);
}

TEST_F(Win32WidgetTest, SizeLimitsRaiseTheTrackingSizesOnly) {
    MINMAXINFO info = {};
    info.ptMinTrackSize = {100, 80};
    info.ptMaxTrackSize = {1000, 800};
    EXPECT_EQ(SendMessageW(m_window, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info)), 0);
    EXPECT_EQ(info.ptMinTrackSize.x, 100);
    EXPECT_EQ(info.ptMaxTrackSize.y, 800);
    m_widget->SetSizeLimits(150, 50, 900, 2048);
    SendMessageW(m_window, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info));
    EXPECT_EQ(info.ptMinTrackSize.x, 150);
    EXPECT_EQ(info.ptMinTrackSize.y, 80);
    EXPECT_EQ(info.ptMaxTrackSize.x, 1000);
    EXPECT_EQ(info.ptMaxTrackSize.y, 2048);
}

TEST(Win32WidgetPaintTest, LockedRedrawAnswersPaintWithoutThePreviousProcedure) {
    HWND window = MakeTopWindow(CountingClass());
    ASSERT_NE(window, nullptr);
    TestWidget widget(window);
    ASSERT_TRUE(widget.Create());
    g_countedPaints = 0;
    widget.LockRedraw(true);
    EXPECT_EQ(SendMessageW(window, WM_PAINT, 0, 0), 0);
    EXPECT_EQ(g_countedPaints, 0);
    EXPECT_EQ(widget.m_repaints, 0);
    widget.LockRedraw(false);
    SendMessageW(window, WM_PAINT, 0, 0);
    EXPECT_EQ(g_countedPaints, 1);
    EXPECT_EQ(widget.m_repaints, 1);
    widget.Destroy();
    EXPECT_FALSE(IsWindow(window));
    guitest::PumpPending();
}

TEST_F(Win32WidgetTest, CursorObjectSetsTheCursor) {
    ASSERT_TRUE(m_widget->GetCursor()->SetStandard(gui::CCursor::kKindHand));
    EXPECT_EQ(SendMessageW(m_window, WM_SETCURSOR, reinterpret_cast<WPARAM>(m_window), HTCLIENT), TRUE);
    EXPECT_EQ(GetCursor(), LoadCursorW(nullptr, IDC_HAND));
    EXPECT_FALSE(m_widget->GetCursor()->SetStandard(5));
    m_widget->GetCursor()->Clear();
    EXPECT_EQ(m_widget->GetCursorObject()->GetKind(), gui::CCursor::kKindNone);
}

TEST_F(Win32WidgetTest, NotificationGoesToTheWidgetItCameFrom) {
    HWND other = MakeTopWindow();
    TestWidget source(other);
    ASSERT_TRUE(source.Create());
    NMHDR header = {};
    header.hwndFrom = other;
    EXPECT_EQ(SendMessageW(m_window, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&header)), 42);
    EXPECT_EQ(source.m_notifies, 1);
    EXPECT_EQ(m_widget->m_notifies, 0);
    source.Destroy();
}

TEST_F(Win32WidgetTest, DestroyedWindowLetsTheWidgetGoAndItCanBeCreatedAgain) {
    DestroyWindow(m_window);
    EXPECT_FALSE(m_widget->IsCreated());
    EXPECT_TRUE(m_widget->IsDestroyed());
    EXPECT_EQ(m_widget->GetWindowHandle(), nullptr);
    HWND fresh = MakeTopWindow();
    m_widget->Attach(fresh);
    ASSERT_TRUE(m_widget->Create());
    // Destroy destroys the window this time, since it did not go by itself.
    m_widget->Destroy();
    EXPECT_FALSE(IsWindow(fresh));
    EXPECT_FALSE(m_widget->IsCreated());
}

TEST_F(Win32WidgetTest, ClosingSendsCloseWhichDestroysTheWindow) {
    EXPECT_TRUE(m_widget->Close());
    EXPECT_FALSE(IsWindow(m_window));
    EXPECT_FALSE(m_widget->IsCreated());
}

TEST_F(Win32WidgetTest, CursorPositionIsGivenAsOffsetFromTheCentre) {
    RECT rect;
    GetWindowRect(m_window, &rect);
    POINT centre = {(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
    ScreenToClient(m_window, &centre);
    int32_t x = centre.x;
    int32_t y = centre.y;
    EXPECT_TRUE(m_widget->SetCursorPosition(&x, &y));
    EXPECT_EQ(x, 0);
    EXPECT_EQ(y, 0);
    x = centre.x + 3;
    y = centre.y - 4;
    m_widget->SetCursorPosition(&x, &y);
    EXPECT_EQ(x, 3);
    EXPECT_EQ(y, -4);
}

TEST_F(Win32WidgetTest, ClientRectangleAndVisibility) {
    int32_t x = -1;
    int32_t y = -1;
    int32_t w = 0;
    int32_t h = 0;
    ASSERT_TRUE(m_widget->GetClientRect(&x, &y, &w, &h));
    RECT client;
    GetClientRect(m_window, &client);
    EXPECT_EQ(x, 0);
    EXPECT_EQ(w, client.right);
    EXPECT_EQ(h, client.bottom);
    // Shown and hidden on a child window: a top-level window that is hidden again
    // makes the X server wait for a window manager that the tests do not run.
    HWND child =
        CreateWindowExW(0, L"STATIC", L"", WS_CHILD, 0, 0, 10, 10, m_window, nullptr, guitest::Instance(), nullptr);
    TestWidget widget(child);
    ASSERT_TRUE(widget.Create());
    EXPECT_FALSE(widget.IsVisible(false));
    widget.SetVisible(true);
    EXPECT_TRUE(IsWindowVisible(child) || !IsWindowVisible(m_window));
    EXPECT_NE(GetWindowLongW(child, GWL_STYLE) & WS_VISIBLE, 0);
    widget.SetVisible(false);
    EXPECT_EQ(GetWindowLongW(child, GWL_STYLE) & WS_VISIBLE, 0);
    widget.Destroy();
}

} // namespace
