// Modal dialogs: the template dialog run over a frame window and ended by
// messages and by EndModal, its placement and caption, refused runs; the
// message box answered programmatically; the file dialog's filter and
// structure (without showing the system dialog).
#include "gui/windows/CDialog.h"

#include <gtest/gtest.h>

#include <string>

#include "gui/windows/CFileDialog.h"
#include "gui/windows/CMessageBox.h"
#include "gui/windows/COpenFileDialog.h"
#include "tests/gui/windows/Win32TestSupport.h"

namespace {

using guitest::DestroyFrame;
using guitest::Instance;
using guitest::TestFrame;

// What the timer does once the dialog's modal loop runs.
enum class Action { kCancel, kEndModal5, kMessageBoxYes, kMessageBoxNo };

gui::Windows::CDialog* g_dialog = nullptr;
Action g_action = Action::kCancel;
RECT g_seenRect = {};
std::u16string g_seenCaption;
int g_callbacks = 0;

const wchar_t kBoxCaption[] = L"Korvet test box";

void CALLBACK OnTimer(HWND, UINT, UINT_PTR id, DWORD) {
    KillTimer(nullptr, id);
    if (g_action == Action::kMessageBoxYes || g_action == Action::kMessageBoxNo) {
        HWND box = FindWindowW(L"#32770", kBoxCaption);
        if (box != nullptr)
            PostMessageW(box, WM_COMMAND, g_action == Action::kMessageBoxYes ? IDYES : IDNO, 0);
        return;
    }
    HWND window = g_dialog->GetWindowHandle();
    GetWindowRect(window, &g_seenRect);
    wchar_t caption[64] = {};
    GetWindowTextW(window, caption, 64);
    g_seenCaption = reinterpret_cast<const char16_t*>(caption);
    if (g_action == Action::kCancel)
        PostMessageW(window, WM_COMMAND, IDCANCEL, 0);
    else
        g_dialog->EndModal(5);
}

void CountCallback(gui::CWidgetInterface*) {
    ++g_callbacks;
}

class DialogTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_frame = new TestFrame(100, 50, 800, 600);
        ASSERT_TRUE(m_frame->CreateForInstance(Instance()));
        g_callbacks = 0;
        g_seenCaption.clear();
    }
    void TearDown() override {
        DestroyFrame(*m_frame);
        delete m_frame;
    }
    void RunWith(gui::Windows::CDialog* dialog, Action action) {
        g_dialog = dialog;
        g_action = action;
        SetTimer(nullptr, 0, 10, &OnTimer);
    }

    TestFrame* m_frame = nullptr;
};

TEST_F(DialogTest, CancelEndsTheDialogWithTwoAndItIsCentredOverTheParent) {
    ASSERT_TRUE(m_frame->SetRect(100, 50, 800, 600, 0));
    gui::Windows::CDialog dialog(300, 200);
    dialog.SetCaption(common::CWideString(u"About"));
    RunWith(&dialog, Action::kCancel);
    EXPECT_TRUE(dialog.RunModal(m_frame));
    EXPECT_EQ(dialog.GetResult(), 2);
    EXPECT_EQ(g_seenRect.left, 350);
    EXPECT_EQ(g_seenRect.top, 250);
    EXPECT_EQ(g_seenRect.right - g_seenRect.left, 300);
    EXPECT_EQ(g_seenCaption, u"About");
    EXPECT_FALSE(dialog.IsRunning());
    EXPECT_FALSE(dialog.IsCreated());
    EXPECT_EQ(dialog.GetParent(), nullptr);
}

TEST_F(DialogTest, EndModalKeepsTheCallersResultAndTheDialogRunsAgain) {
    gui::Windows::CDialog dialog(200, 100);
    RunWith(&dialog, Action::kEndModal5);
    EXPECT_TRUE(dialog.RunModalThen(m_frame, &CountCallback, true));
    EXPECT_EQ(dialog.GetResult(), 5);
    EXPECT_EQ(g_callbacks, 1);
    RunWith(&dialog, Action::kCancel);
    EXPECT_TRUE(dialog.RunModal(m_frame));
    EXPECT_EQ(dialog.GetResult(), 2);
}

TEST_F(DialogTest, RefusedRunsLeaveResultZeroAndCallNoCallback) {
    gui::Windows::CDialog dialog(200, 100);
    dialog.EndModal(7);
    EXPECT_FALSE(dialog.RunModal(nullptr));
    EXPECT_EQ(dialog.GetResult(), 0);
    TestFrame uncreated(0, 0, 100, 100);
    EXPECT_FALSE(dialog.RunModal(&uncreated));
    EXPECT_FALSE(dialog.RunModalThen(m_frame, &CountCallback, false));
    EXPECT_FALSE(dialog.RunModalThen(m_frame, nullptr, true));
    EXPECT_EQ(g_callbacks, 0);
}

TEST_F(DialogTest, MessageBoxAnswers) {
    EXPECT_EQ(gui::Windows::CMessageBox::StyleOf(0), static_cast<UINT>(MB_YESNO));
    EXPECT_EQ(gui::Windows::CMessageBox::StyleOf(1), static_cast<UINT>(MB_YESNO | MB_ICONQUESTION));
    EXPECT_EQ(gui::Windows::CMessageBox::StyleOf(2), static_cast<UINT>(MB_YESNO | MB_ICONINFORMATION));
    EXPECT_EQ(gui::Windows::CMessageBox::StyleOf(3), static_cast<UINT>(MB_OK | MB_ICONWARNING));
    EXPECT_EQ(gui::Windows::CMessageBox::StyleOf(9), static_cast<UINT>(MB_YESNO));
    const int returned[] = {0, IDOK, IDCANCEL, IDABORT, IDRETRY, IDIGNORE, IDYES, IDNO, 8};
    const int32_t answers[] = {0, 1, 2, 0, 0, 0, 1, 3, 0};
    for (size_t i = 0; i < sizeof(returned) / sizeof(returned[0]); ++i)
        EXPECT_EQ(gui::CMessageBox::AnswerOf(returned[i]), answers[i]) << returned[i];

    gui::Windows::CMessageBox box;
    box.SetKind(gui::CMessageBoxInterface::kKindQuestion);
    RunWith(&box, Action::kMessageBoxYes);
    const common::CWideString caption(reinterpret_cast<const char16_t*>(kBoxCaption));
    EXPECT_TRUE(box.Show(m_frame, common::CWideString(u"SAVE emulation state?"), caption));
    EXPECT_EQ(box.GetResult(), 1);
    RunWith(&box, Action::kMessageBoxNo);
    EXPECT_TRUE(box.ShowThen(m_frame, &CountCallback, common::CWideString(u"Again?"), caption));
    EXPECT_EQ(box.GetResult(), 3);
    EXPECT_EQ(g_callbacks, 1);
    EXPECT_FALSE(box.Run(nullptr));
    EXPECT_EQ(box.GetResult(), 0);
}

std::u16string Flatten(const std::vector<wchar_t>& buffer) {
    std::u16string text;
    for (wchar_t c : buffer)
        text.push_back(c == 0 ? u'|' : static_cast<char16_t>(c));
    return text;
}

TEST(FileDialogTest, FilterBufferOfTheFloppyTypes) {
    gui::Windows::COpenFileDialog dialog;
    dialog.AddFilter(common::CWideString(u"kdi"), common::CWideString(u"Korvet Disk Images"));
    dialog.AddFilter(common::CWideString(u"img"), common::CWideString(u"Raw Disk Images"));
    dialog.AddFilter(common::CWideString(u"ima"), common::CWideString(u"Raw Disk Images"));
    dialog.AddFilter(common::CWideString(u"dsk"), common::CWideString(u"Raw Disk Images"));
    dialog.AddFilter(common::CWideString(u"*"), common::CWideString(u"All Files"));
    dialog.AddFilter(common::CWideString(u""), common::CWideString(u"Ignored"));
    EXPECT_EQ(dialog.GetFilterCount(), 5);
    const common::CWideString text =
        dialog.BuildFilterText(common::CWideString(u"All Files"), common::CWideString(u"All Supported Files"));
    EXPECT_EQ(Flatten(gui::Windows::CFileDialog::MakeFilterBuffer(text)),
              u"All Supported Files|*.kdi;*.img;*.ima;*.dsk;|"
              u"Korvet Disk Images (*.kdi)|*.kdi|"
              u"Raw Disk Images (*.img,*.ima,*.dsk)|*.img;*.ima;*.dsk|"
              u"All Files (*.*)|*.*||");
}

TEST(FileDialogTest, StructureOfAnOpenRun) {
    gui::Windows::COpenFileDialog dialog;
    dialog.SetFileName(common::CPath(u"C:\\disks"));
    wchar_t file[gui::Windows::CFileDialog::kFileBufferLength] = {};
    const wchar_t filter[] = L"A\0*.*\0";
    OPENFILENAMEW data;
    HWND owner = reinterpret_cast<HWND>(0x1234);
    ASSERT_TRUE(dialog.PrepareStruct(&data, owner, file, filter));
    EXPECT_EQ(data.lStructSize, 88u);
    EXPECT_EQ(data.hwndOwner, owner);
    EXPECT_EQ(data.nMaxFile, 2048u);
    EXPECT_EQ(data.Flags, static_cast<DWORD>(0x1804 | 0x80020));
    EXPECT_EQ(data.nFilterIndex, 1u);
    EXPECT_EQ(std::wstring(data.lpstrInitialDir), L"C:\\disks");
    EXPECT_NE(data.lpfnHook, nullptr);
    EXPECT_EQ(data.lpstrTitle, nullptr);
    EXPECT_EQ(data.lpstrDefExt, nullptr);
    gui::Windows::CFileDialog save(gui::CFileDialogInterface::kModeSave);
    ASSERT_TRUE(save.PrepareStruct(&data, owner, file, filter));
    EXPECT_EQ(data.Flags, static_cast<DWORD>(0x806 | 0x80020));
    gui::Windows::CFileDialog odd(5);
    EXPECT_FALSE(odd.PrepareStruct(&data, owner, file, filter));
}

TEST(FileDialogTest, RefusedWithoutAUsableParent) {
    gui::Windows::COpenFileDialog dialog;
    EXPECT_FALSE(dialog.Show(nullptr, common::CPath(u"C:\\")));
    EXPECT_EQ(dialog.GetResult(), 0);
    TestFrame uncreated(0, 0, 100, 100);
    EXPECT_FALSE(dialog.Run(&uncreated));
    EXPECT_FALSE(dialog.RunThen(&uncreated, &CountCallback, false));
}

} // namespace
