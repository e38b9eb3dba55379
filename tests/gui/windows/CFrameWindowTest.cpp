// The Win32 frame window: DPI measurement, its own window class, show states,
// the frame's messages, child layout and timers driven through the message loop.
#include "gui/windows/CFrameWindow.h"

#include <gtest/gtest.h>

#include <algorithm>

#include <commctrl.h>

#include "common/OsHelpers.h"
#include "common/ProgramFolders.h"
#include "gui/CMenuBar.h"
#include "gui/Units.h"
#include "gui/windows/CCursor.h"
#include "tests/gui/windows/Win32TestSupport.h"

namespace {

using guitest::DestroyFrame;
using guitest::Instance;
using guitest::PumpPending;
using guitest::StaticControl;
using guitest::TestFrame;
using guitest::WindowlessControl;

struct ClientRect {
    int32_t x, y, w, h;
};

// A child window's rectangle in its parent's client coordinates.
ClientRect ChildRect(HWND child) {
    RECT rect;
    GetWindowRect(child, &rect);
    POINT topLeft = {rect.left, rect.top};
    ScreenToClient(GetParent(child), &topLeft);
    return ClientRect{topLeft.x, topLeft.y, rect.right - rect.left, rect.bottom - rect.top};
}

TEST(Win32FrameWindowTest, OnlyTheFirstFrameMeasuresTheDpi) {
    TestFrame first(0, 0, 100, 100);
    const gui::Windows::CDpiValues measured = gui::Windows::Dpi();
    EXPECT_TRUE(measured.m_computed);
    EXPECT_TRUE(measured.m_realKnown);
    EXPECT_EQ(measured.m_layoutX, gui::Windows::LayoutDpiFor(measured.m_realX, measured.m_realX, measured.m_realY));
    gui::Windows::Dpi().m_layoutX = 555;
    TestFrame second(0, 0, 100, 100);
    EXPECT_EQ(gui::Windows::Dpi().m_layoutX, 555);
    gui::Windows::Dpi() = measured;
    // Millimetres go through the measured layout DPI.
    TestFrame sized(0, 0, 10, 10, gui::Windows::kUnitMillimetres);
    int32_t width = 0;
    sized.GetRect(nullptr, nullptr, &width, nullptr);
    int32_t expected = 10;
    gui::Windows::UnitsToPixels(&expected, nullptr, gui::Windows::kUnitMillimetres);
    EXPECT_EQ(width, expected);
}

TEST(Win32FrameWindowTest, CreationNeedsAnInstanceAndRegistersAClassOfItsOwn) {
    TestFrame frame(10, 10, 300, 200);
    frame.SetShowState(gui::CFrameWindow::kShowStored);
    EXPECT_FALSE(frame.Create());
    ASSERT_TRUE(frame.CreateForInstance(Instance()));
    EXPECT_TRUE(frame.IsCreated());
    ASSERT_NE(frame.GetWindowHandle(), nullptr);
    common::CWideString prefix;
    prefix.AssignWideString(common::ProgramName());
    prefix.AppendNarrow("_");
    EXPECT_EQ(frame.GetWindowClassName().Substring(0, prefix.GetLength())->CompareWideString(prefix), 0);
    EXPECT_TRUE(frame.CreateForInstance(Instance()));
    EXPECT_FALSE(frame.CreateForInstance(reinterpret_cast<HINSTANCE>(0x1234)));
    EXPECT_TRUE(frame.IsSetTimerRunning());
    EXPECT_TRUE(frame.IsQueueTimerRunning());

    // A second frame made within the same second still gets a class.
    TestFrame other(10, 10, 300, 200);
    ASSERT_TRUE(other.CreateForInstance(Instance()));
    EXPECT_NE(other.GetWindowClassName().CompareWideString(frame.GetWindowClassName()), 0);
    DestroyFrame(other);
    DestroyFrame(frame);
}

TEST(Win32FrameWindowTest, DestroyingAFramePostsQuitWithCodeZero) {
    TestFrame frame(10, 10, 300, 200);
    ASSERT_TRUE(frame.CreateForInstance(Instance()));
    PumpPending();
    DestroyWindow(frame.GetWindowHandle());
    EXPECT_FALSE(frame.IsCreated());
    EXPECT_FALSE(frame.IsSetTimerRunning());
    EXPECT_FALSE(frame.IsQueueTimerRunning());
    WPARAM code = 99;
    EXPECT_TRUE(PumpPending(&code));
    EXPECT_EQ(code, 0u);
}

TEST(Win32FrameWindowTest, ShowStatesPlaceAndShowTheWindow) {
    {
        TestFrame frame(10, 10, 300, 200);
        ASSERT_EQ(frame.GetShowState(), gui::CFrameWindow::kShowDefault);
        ASSERT_TRUE(frame.CreateForInstance(Instance()));
        EXPECT_EQ(frame.GetShowState(), gui::CFrameWindow::kShowStored);
        DestroyFrame(frame);
    }
    {
        TestFrame frame(0, 0, 300, 200);
        frame.SetShowState(gui::CFrameWindow::kShowCentred);
        ASSERT_TRUE(frame.CreateForInstance(Instance()));
        EXPECT_EQ(frame.GetShowState(), gui::CFrameWindow::kShowStored);
        const int32_t screenWidth = GetSystemMetrics(SM_CXSCREEN);
        const int32_t border = screenWidth - GetSystemMetrics(SM_CXMAXIMIZED);
        const int32_t extent = border > 0 ? screenWidth - 3 * border : screenWidth;
        int32_t x = 0;
        frame.GetRect(&x, nullptr, nullptr, nullptr);
        EXPECT_EQ(x, std::max(extent / 2 - 150, border > 0 ? border + border / 2 : 0));
        DestroyFrame(frame);
    }
    {
        TestFrame frame(0, 0, 300, 200);
        frame.SetShowState(gui::CFrameWindow::kShowMaximised);
        ASSERT_TRUE(frame.CreateForInstance(Instance()));
        EXPECT_NE(GetWindowLongW(frame.GetWindowHandle(), GWL_STYLE) & WS_MAXIMIZE, 0);
        EXPECT_EQ(frame.GetShowState(), gui::CFrameWindow::kShowMaximised);
        frame.SetVisible(true);
        EXPECT_TRUE(IsZoomed(frame.GetWindowHandle()));
        EXPECT_EQ(frame.GetShowState(), gui::CFrameWindow::kShowStored);
        DestroyFrame(frame);
    }
}

TEST(Win32FrameWindowTest, FrameLargerThanTheScreenIsCut) {
    TestFrame frame(0, 0, 5000, 4000);
    frame.SetShowState(gui::CFrameWindow::kShowCentred);
    ASSERT_TRUE(frame.CreateForInstance(Instance()));
    int32_t width = 0;
    int32_t height = 0;
    frame.GetRect(nullptr, nullptr, &width, &height);
    EXPECT_LE(width, GetSystemMetrics(SM_CXSCREEN));
    EXPECT_LE(height, GetSystemMetrics(SM_CYSCREEN));
    DestroyFrame(frame);
}

class Win32FrameMessageTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_frame = new TestFrame(10, 10, 400, 300);
        m_frame->SetShowState(gui::CFrameWindow::kShowStored);
    }
    void TearDown() override {
        DestroyFrame(*m_frame);
        delete m_frame;
    }
    HWND Window() const { return m_frame->GetWindowHandle(); }

    TestFrame* m_frame = nullptr;
};

TEST_F(Win32FrameMessageTest, KeyboardDoesNotOpenTheMenuBar) {
    ASSERT_TRUE(m_frame->CreateForInstance(Instance()));
    EXPECT_EQ(SendMessageW(Window(), WM_SYSCOMMAND, SC_KEYMENU, 0), 0);
}

int g_chosen = -2;

bool Choose(gui::CMenuItem* item, int32_t index, int32_t mode, uintptr_t) {
    if (mode == gui::CMenuItem::kModeCommand)
        g_chosen = item->DataValue() * 10 + index;
    return true;
}

TEST_F(Win32FrameMessageTest, MenuChoiceReachesTheItemByPosition) {
    gui::CMenuBar* bar = new gui::CMenuBar(m_frame);
    ASSERT_TRUE(m_frame->SetMenuBar(bar));
    for (int i = 0; i < 3; ++i) {
        gui::CMenuItem* item = bar->AddItem(common::CWideString("Item"));
        ASSERT_NE(item, nullptr);
        item->DataValue() = i;
        item->GetHandler() = &Choose;
    }
    ASSERT_TRUE(m_frame->CreateForInstance(Instance()));
    EXPECT_EQ(GetMenu(Window()), bar->GetHandle());
    gui::CMenuBar* late = new gui::CMenuBar;
    EXPECT_FALSE(m_frame->SetMenuBar(late)); // refused once created
    delete late;
    EXPECT_TRUE(m_frame->SetMenuBar(bar));
    EXPECT_EQ(m_frame->GetMenuBar(), bar);
    g_chosen = -2;
    SendMessageW(Window(), WM_MENUCOMMAND, 1, reinterpret_cast<LPARAM>(bar->GetHandle()));
    EXPECT_EQ(g_chosen, 10 - 1); // item 1, as the entry itself (index -1)

    // A menu without menu data is left alone.
    g_chosen = -2;
    HMENU foreign = CreatePopupMenu();
    SendMessageW(Window(), WM_MENUCOMMAND, 0, reinterpret_cast<LPARAM>(foreign));
    EXPECT_EQ(g_chosen, -2);
    DestroyMenu(foreign);
}

TEST_F(Win32FrameMessageTest, MenuBarKeepsItsMenuWhenTheWindowGoes) {
    gui::CMenuBar* bar = new gui::CMenuBar(m_frame);
    ASSERT_TRUE(m_frame->SetMenuBar(bar));
    ASSERT_NE(bar->AddItem(common::CWideString("Item")), nullptr);
    ASSERT_TRUE(m_frame->CreateForInstance(Instance()));
    HMENU menu = bar->GetHandle();
    DestroyFrame(*m_frame);
    EXPECT_TRUE(IsMenu(menu));
    // Created again, the frame shows the same menu.
    ASSERT_TRUE(m_frame->Create());
    EXPECT_EQ(GetMenu(Window()), menu);
}

TEST_F(Win32FrameMessageTest, WindowlessChildUnderThePointerGivesItsCursor) {
    WindowlessControl* child = new WindowlessControl(0, 0, 400, 300, 0);
    ASSERT_TRUE(m_frame->AddChild(child));
    ASSERT_TRUE(m_frame->CreateForInstance(Instance()));
    POINT inside = {50, 50};
    ClientToScreen(Window(), &inside);
    ASSERT_TRUE(SetCursorPos(inside.x, inside.y)) << "the pointer cannot be moved here";
    POINT now;
    GetCursorPos(&now);
    ASSERT_TRUE(now.x == inside.x && now.y == inside.y) << "the pointer cannot be moved here";
    SetCursor(LoadCursorW(nullptr, IDC_ARROW));
    ASSERT_TRUE(child->GetCursor()->SetStandard(gui::CCursor::kKindHand));
    EXPECT_EQ(SendMessageW(Window(), WM_SETCURSOR, reinterpret_cast<WPARAM>(Window()), HTCLIENT), TRUE);
    EXPECT_EQ(GetCursor(), LoadCursorW(nullptr, IDC_HAND));
    // Back to the default shape: the container leaves the choice to the window's default.
    child->GetCursor()->Clear();
    SetCursor(LoadCursorW(nullptr, IDC_ARROW));
    SendMessageW(Window(), WM_SETCURSOR, reinterpret_cast<WPARAM>(Window()), HTCLIENT);
    EXPECT_NE(GetCursor(), LoadCursorW(nullptr, IDC_HAND));
}

int CursorCount() {
    const int count = ShowCursor(TRUE) - 1;
    ShowCursor(FALSE);
    return count;
}

void SetCursorCount(int count) {
    int current = CursorCount();
    while (current > count)
        current = ShowCursor(FALSE);
    while (current < count)
        current = ShowCursor(TRUE);
}

TEST_F(Win32FrameMessageTest, DeactivationBringsAHiddenCursorBack) {
    ASSERT_TRUE(m_frame->CreateForInstance(Instance()));
    const int start = CursorCount();
    SetCursorCount(-3);
    m_frame->m_activations.clear();
    SendMessageW(Window(), WM_ACTIVATE, WA_INACTIVE, 0);
    EXPECT_EQ(CursorCount(), 0);
    ASSERT_FALSE(m_frame->m_activations.empty());
    EXPECT_FALSE(m_frame->m_activations.front());
    SetCursorCount(2);
    SendMessageW(Window(), WM_ACTIVATE, WA_INACTIVE, 0);
    EXPECT_EQ(CursorCount(), 2);
    SetCursorCount(start);
    m_frame->m_activations.clear();
    SendMessageW(Window(), WM_ACTIVATE, WA_ACTIVE, 0);
    ASSERT_FALSE(m_frame->m_activations.empty());
    EXPECT_TRUE(m_frame->m_activations.front());
}

TEST_F(Win32FrameMessageTest, EraseBackgroundCanBeSwitchedOff) {
    ASSERT_TRUE(m_frame->CreateForInstance(Instance()));
    HDC dc = GetDC(Window());
    m_frame->SetEraseBackground(false);
    EXPECT_EQ(SendMessageW(Window(), WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0), -1);
    ReleaseDC(Window(), dc);
}

TEST_F(Win32FrameMessageTest, SystemColoursComeFromTheSystem) {
    const COLORREF text = GetSysColor(COLOR_BTNTEXT);
    const gui::CColor colour = m_frame->GetSystemColor(0);
    EXPECT_FALSE(colour.m_none);
    EXPECT_EQ(colour.m_argb, 0xFF000000u | (GetRValue(text) << 16) | (GetGValue(text) << 8) | GetBValue(text));
    EXPECT_EQ(m_frame->GetSystemColor(9).m_argb, 0xFF000000u);
    StaticControl* child = new StaticControl(0, 0, 10, 10, 0);
    m_frame->AddChild(child);
    EXPECT_EQ(child->GetSystemColor(3).m_argb, m_frame->GetSystemColor(3).m_argb);
}

TEST_F(Win32FrameMessageTest, ChildrenAreCreatedAndDockedAndFollowTheSize) {
    StaticControl* toolbar = new StaticControl(0, 0, 0, 30, 3);
    StaticControl* screen = new StaticControl(0, 0, 0, 0, 6);
    ASSERT_TRUE(m_frame->AddChild(toolbar));
    ASSERT_TRUE(m_frame->AddChild(screen));
    ASSERT_TRUE(m_frame->CreateForInstance(Instance()));
    ASSERT_TRUE(toolbar->IsCreated());
    RECT client;
    GetClientRect(Window(), &client);
    ClientRect bar = ChildRect(toolbar->GetWindowHandle());
    ClientRect rest = ChildRect(screen->GetWindowHandle());
    EXPECT_EQ(bar.x, 0);
    EXPECT_EQ(bar.y, 0);
    EXPECT_EQ(bar.w, client.right);
    EXPECT_EQ(bar.h, 30);
    EXPECT_EQ(rest.y, 30);
    EXPECT_EQ(rest.h, client.bottom - 30);
    EXPECT_NE(GetWindowLongW(toolbar->GetWindowHandle(), GWL_STYLE) & WS_VISIBLE, 0);

    m_frame->SetRect(10, 10, 500, 400, 0);
    GetClientRect(Window(), &client);
    EXPECT_EQ(ChildRect(toolbar->GetWindowHandle()).w, client.right);
    EXPECT_EQ(ChildRect(screen->GetWindowHandle()).h, client.bottom - 30);

    // Padding moves the children inside the client area.
    m_frame->SetPadding(5, 6, 5, 5);
    bar = ChildRect(toolbar->GetWindowHandle());
    EXPECT_EQ(bar.x, 5);
    EXPECT_EQ(bar.y, 6);
    EXPECT_EQ(bar.w, client.right - 10);
    int32_t x = -1;
    int32_t y = -1;
    toolbar->GetRect(&x, &y, nullptr, nullptr);
    EXPECT_EQ(x, 0);
    EXPECT_EQ(y, 0);

    // Hiding a docked child lays the others out again.
    toolbar->SetVisible(false);
    EXPECT_EQ(ChildRect(screen->GetWindowHandle()).y, 6);
}

TEST_F(Win32FrameMessageTest, OwnerDrawMessagesAreReflectedToTheirControl) {
    StaticControl* child = new StaticControl(0, 0, 50, 50, 0);
    ASSERT_TRUE(m_frame->AddChild(child));
    ASSERT_TRUE(m_frame->CreateForInstance(Instance()));
    child->m_drawItems = 0;
    DRAWITEMSTRUCT item = {};
    item.CtlType = ODT_STATIC;
    item.hwndItem = child->GetWindowHandle();
    EXPECT_EQ(SendMessageW(Window(), WM_DRAWITEM, 0, reinterpret_cast<LPARAM>(&item)), TRUE);
    EXPECT_EQ(child->m_drawItems, 1);
    item.CtlType = ODT_MENU;
    SendMessageW(Window(), WM_DRAWITEM, 0, reinterpret_cast<LPARAM>(&item));
    EXPECT_EQ(child->m_drawItems, 1);
}

TEST_F(Win32FrameMessageTest, MouseOverAWindowlessChildGoesToThatChild) {
    WindowlessControl* child = new WindowlessControl(20, 30, 40, 40, 0);
    ASSERT_TRUE(m_frame->AddChild(child));
    ASSERT_TRUE(m_frame->CreateForInstance(Instance()));
    ASSERT_TRUE(child->IsCreated());
    SendMessageW(Window(), WM_RBUTTONDOWN, 0, MAKELPARAM(25, 37));
    EXPECT_EQ(child->m_mouseX, 5);
    EXPECT_EQ(child->m_mouseY, 7);
    EXPECT_EQ(child->m_mouseEvent, gui::CWidgetInterface::kMouseRightDown);
    child->m_mouseEvent = -1;
    SendMessageW(Window(), WM_RBUTTONDOWN, 0, MAKELPARAM(5, 5));
    EXPECT_EQ(child->m_mouseEvent, -1);
}

TEST_F(Win32FrameMessageTest, ControlWithoutTooltipTextMakesNoTooltip) {
    StaticControl* plain = new StaticControl(0, 0, 20, 20, 0);
    StaticControl* tipped = new StaticControl(0, 0, 20, 20, 0);
    tipped->SetTooltipText(common::CWideString("Start"));
    ASSERT_TRUE(m_frame->AddChild(plain));
    ASSERT_TRUE(m_frame->AddChild(tipped));
    ASSERT_TRUE(m_frame->CreateForInstance(Instance()));
    EXPECT_EQ(plain->GetTooltipWindow(), nullptr);
    EXPECT_NE(tipped->GetTooltipWindow(), nullptr);
    EXPECT_EQ(SendMessageW(tipped->GetTooltipWindow(), TTM_GETTOOLCOUNT, 0, 0), 1);
    tipped->SetTooltipText(common::CWideString(""));
    EXPECT_EQ(SendMessageW(tipped->GetTooltipWindow(), TTM_GETTOOLCOUNT, 0, 0), 0);
}

// ---- Timers through the message loop -------------------------------------------------

int g_fires = 0;

bool QuitAfterFive(gui::CWidgetInterface*, uintptr_t, void*) {
    if (++g_fires == 5)
        PostQuitMessage(7);
    return true;
}

TEST_F(Win32FrameMessageTest, TimersFireThroughTheMessageLoop) {
    ASSERT_TRUE(m_frame->CreateForInstance(Instance()));
    g_fires = 0;
    ASSERT_NE(m_frame->AddTimer(1, &QuitAfterFive, 0), 0u);
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0)
        DispatchMessageW(&message);
    EXPECT_EQ(message.wParam, 7u);
    EXPECT_EQ(g_fires, 5);
}

int64_t g_counter = 0;

bool ReadCounter(int64_t* value) {
    *value = g_counter;
    return true;
}

bool ReadFrequency(int64_t* value) {
    *value = 1000;
    return true;
}

bool CountFire(gui::CWidgetInterface*, uintptr_t, void*) {
    ++g_fires;
    return true;
}

TEST_F(Win32FrameMessageTest, TimerQueueCallbackOnlyPostsATimerMessage) {
    ASSERT_TRUE(m_frame->CreateForInstance(Instance()));
    HWND window = Window();
    g_counter = 1000;
    common::SetPerformanceCounterOverride(&ReadCounter, &ReadFrequency);
    g_fires = 0;
    ASSERT_NE(m_frame->AddTimer(10, &CountFire, 0), 0u);
    PumpPending();
    g_counter += 10; // due now; the counter stands still from here
    gui::Windows::CFrameWindow::TimerQueueCallback(&window, TRUE);
    EXPECT_EQ(g_fires, 0); // posting runs nothing
    // The frame's own queue timer may post as well; each message names TimerProc.
    MSG message;
    bool found = false;
    while (PeekMessageW(&message, window, WM_TIMER, WM_TIMER, PM_REMOVE)) {
        if (message.lParam == reinterpret_cast<LPARAM>(&gui::Windows::CFrameWindow::TimerProc) &&
            message.wParam == 0)
            found = true;
        DispatchMessageW(&message);
    }
    EXPECT_TRUE(found);
    EXPECT_EQ(g_fires, 1); // the dispatch ran the list on this thread, once
    common::SetPerformanceCounterOverride(nullptr, nullptr);
}

TEST_F(Win32FrameMessageTest, TimerProcIgnoresWindowsThatAreNoFrame) {
    HWND plain = guitest::MakeTopWindow();
    guitest::TestWidget widget(plain);
    ASSERT_TRUE(widget.Create());
    gui::Windows::CFrameWindow::TimerProc(plain, WM_TIMER, 0, 0);
    gui::Windows::CFrameWindow::TimerProc(nullptr, WM_TIMER, 0, 0);
    widget.Destroy();
}

} // namespace
