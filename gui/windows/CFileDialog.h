#pragma once
// The Win32 file dialog: GetOpenFileNameW or GetSaveFileNameW over a parent
// window, with the filter text of the portable file dialog, centred over the
// parent by a hook that attaches the system dialog's window to this widget.
#include <vector>

#include "gui/CFileDialog.h"
#include "gui/windows/CDialog.h"
#include <commdlg.h>

namespace gui {
namespace Windows {

class CFileDialog : public gui::CFileDialog, public gui::Windows::CDialog {
public:
    static constexpr DWORD kFileBufferLength = 2048;

    explicit CFileDialog(int32_t mode);
    ~CFileDialog() override;

    // True when the system dialog was shown and closed (result 1 chosen, 2
    // cancelled or failed); false (result 0) without a usable parent or for an
    // unknown mode.
    bool Run(gui::CWidgetInterface* parent) override;
    bool RunThen(gui::CWidgetInterface* parent, RunThenCallback callback, bool modal) override;
    bool RunModal(gui::CWidgetInterface* parent) override { return Run(parent); }
    bool RunModalThen(gui::CWidgetInterface* parent, RunThenCallback callback, bool modal) override {
        return RunThen(parent, callback, modal);
    }
    bool Show(gui::CWidgetInterface* parent, const common::CPath& path) override {
        return gui::CFileDialog::Show(parent, path);
    }
    bool ShowThen(gui::CWidgetInterface* parent, RunThenCallback callback, const common::CPath& path) override {
        return gui::CFileDialog::ShowThen(parent, callback, path);
    }
    bool EndModal(int32_t result) override { return gui::Windows::CDialog::EndModal(result); }
    int32_t GetResult() const override { return gui::CFileDialog::GetResult(); }
    int32_t GetPlacement() const override { return gui::CFileDialog::GetPlacement(); }
    bool IsDialog() const override { return true; }

    // The filter text as lpstrFilter wants it: each line feed a NUL, one more NUL at the end.
    static std::vector<wchar_t> MakeFilterBuffer(const common::CWideString& text);
    // Fills the structure for a run over the owner (file and filter buffers
    // given); false for an unknown mode.
    bool PrepareStruct(OPENFILENAMEW* data, HWND owner, wchar_t* file, const wchar_t* filter);

    static UINT_PTR CALLBACK HookProc(HWND hook, UINT message, WPARAM wParam, LPARAM lParam);
};

} // namespace Windows
} // namespace gui
