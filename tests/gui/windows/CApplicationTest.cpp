// The application object: start-up, the message loop and its exit code, the
// idle handshake with another thread, and the end of the main window.
#include "gui/windows/CApplication.h"

#include <gtest/gtest.h>

#include <thread>

#include "common/CEvent.h"
#include "gui/CMenuBar.h"
#include "tests/gui/windows/Win32TestSupport.h"

namespace {

using guitest::Instance;
using guitest::PumpPending;
using guitest::TestFrame;

const std::vector<common::CWideString> kNoArguments;

TEST(Win32ApplicationTest, WithoutAnInstanceNothingStarts) {
    gui::Windows::CApplication application;
    int32_t exitCode = 5;
    EXPECT_FALSE(application.Initialize(&exitCode));
    EXPECT_EQ(exitCode, -1);
    EXPECT_EQ(application.GetMainWindow(), nullptr);
    EXPECT_EQ(application.Run(), -1);
    EXPECT_TRUE(application.WaitForIdle(0));
    EXPECT_TRUE(application.WaitForIdle(5)); // no loop runs: nothing to wait for
    application.Quit();
}

TEST(Win32ApplicationTest, StartupMakesAMainWindowWithAnEmptyMenuBar) {
    gui::Windows::CApplication application;
    int32_t exitCode = -5;
    ASSERT_TRUE(application.Startup(&exitCode, Instance(), nullptr, kNoArguments, SW_SHOWNORMAL));
    EXPECT_EQ(exitCode, 0);
    gui::Windows::CFrameWindow* frame = application.GetMainFrame();
    ASSERT_NE(frame, nullptr);
    EXPECT_EQ(application.GetMainWindow(), static_cast<gui::CWidgetInterface*>(frame));
    ASSERT_NE(frame->GetMenuBar(), nullptr);
    EXPECT_EQ(frame->GetMenuBar()->GetItemCount(), 0);
    EXPECT_EQ(GetMenu(frame->GetWindowHandle()), frame->GetMenuBar()->GetHandle());
    int32_t width = 0;
    int32_t height = 0;
    frame->GetRect(nullptr, nullptr, &width, &height);
    EXPECT_EQ(width, 320);
    EXPECT_EQ(height, 200);
    EXPECT_EQ(application.GetShowMode(), SW_SHOWNORMAL);
    guitest::DestroyFrame(*frame);
    application.Quit();
    EXPECT_EQ(application.GetMainWindow(), nullptr);
}

TEST(Win32ApplicationTest, GivenMainWindowKeepsItsMenuBar) {
    bool deleted = false;
    TestFrame* frame = new TestFrame(0, 0, 300, 200, 0, &deleted);
    gui::CMenuBar* bar = new gui::CMenuBar(frame);
    ASSERT_TRUE(frame->SetMenuBar(bar));
    gui::Windows::CApplication application(frame);
    int32_t exitCode = -1;
    ASSERT_TRUE(application.Startup(&exitCode, Instance(), nullptr, kNoArguments, SW_SHOW));
    EXPECT_EQ(application.GetMainFrame(), frame);
    EXPECT_EQ(frame->GetMenuBar(), bar);

    // Closing the window ends the loop with exit code 0.
    PostMessageW(frame->GetWindowHandle(), WM_CLOSE, 0, 0);
    EXPECT_EQ(application.Run(), 0);
    EXPECT_FALSE(frame->IsCreated());
    EXPECT_FALSE(deleted);
    application.Quit();
    EXPECT_TRUE(deleted);
}

TEST(Win32ApplicationTest, QuitFoundWhileDrainingEndsTheLoopWithItsCode) {
    TestFrame* frame = new TestFrame(0, 0, 300, 200);
    frame->m_onApp = [](TestFrame*) { PostQuitMessage(5); };
    gui::Windows::CApplication application(frame);
    int32_t exitCode = -1;
    ASSERT_TRUE(application.Startup(&exitCode, Instance(), nullptr, kNoArguments, SW_SHOW));
    PostMessageW(frame->GetWindowHandle(), WM_APP, 0, 0);
    EXPECT_EQ(application.Run(), 5);
    EXPECT_TRUE(application.WaitForIdle(-1)); // the loop is over: nothing to wait for
    guitest::DestroyFrame(*frame);
    application.Quit();
}

// The user-interface thread parks in a handler until the test's other thread
// has looked at the idle state.
common::CEvent* g_busy = nullptr;
common::CEvent* g_release = nullptr;

TEST(Win32ApplicationTest, OtherThreadSeesBusyAndThenIdle) {
    common::CEvent busy;
    common::CEvent release;
    g_busy = &busy;
    g_release = &release;
    TestFrame* frame = new TestFrame(0, 0, 300, 200);
    frame->m_onApp = [](TestFrame*) {
        g_busy->Set();
        g_release->Wait(10000);
    };
    gui::Windows::CApplication application(frame);
    int32_t exitCode = -1;
    ASSERT_TRUE(application.Startup(&exitCode, Instance(), nullptr, kNoArguments, SW_SHOW));
    HWND window = frame->GetWindowHandle();
    PostMessageW(window, WM_APP, 0, 0);

    bool busySeen = true;
    bool idleSeen = false;
    std::thread watcher([&] {
        busy.Wait(10000);
        busySeen = !application.WaitForIdle(1); // one 1-ms wait, then gives up
        release.Set();
        idleSeen = application.WaitForIdle(-1);
        PostMessageW(window, WM_CLOSE, 0, 0);
    });
    EXPECT_EQ(application.Run(), 0);
    watcher.join();
    EXPECT_TRUE(busySeen);
    EXPECT_TRUE(idleSeen);
    application.Quit();
    g_busy = nullptr;
    g_release = nullptr;
}

TEST(Win32ApplicationTest, DestroyMainWindowEndsTheLoop) {
    TestFrame* frame = new TestFrame(0, 0, 300, 200);
    gui::Windows::CApplication application(frame);
    int32_t exitCode = -1;
    ASSERT_TRUE(application.Startup(&exitCode, Instance(), nullptr, kNoArguments, SW_SHOW));
    application.DestroyMainWindow();
    EXPECT_FALSE(frame->IsCreated());
    WPARAM code = 9;
    EXPECT_TRUE(PumpPending(&code));
    EXPECT_EQ(code, 0u);
    application.Quit();
}

} // namespace
