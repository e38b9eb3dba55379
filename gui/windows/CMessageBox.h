#pragma once
// The Win32 message box, shown with MessageBoxIndirectW over its parent: Yes
// and No buttons, with no icon, a question mark or an information sign by kind.
#include "gui/CMessageBox.h"
#include "gui/windows/CDialog.h"

namespace gui {
namespace Windows {

class CMessageBox : public gui::CMessageBox, public gui::Windows::CDialog {
public:
    CMessageBox();
    ~CMessageBox() override;

    // False (answer 0) without a usable parent or when the box could not be shown.
    bool Run(gui::CWidgetInterface* parent) override;
    bool RunThen(gui::CWidgetInterface* parent, RunThenCallback callback, bool modal) override;
    bool RunModal(gui::CWidgetInterface* parent) override { return Run(parent); }
    bool RunModalThen(gui::CWidgetInterface* parent, RunThenCallback callback, bool modal) override {
        return RunThen(parent, callback, modal);
    }
    bool Show(gui::CWidgetInterface* parent, const common::CWideString& text,
              const common::CWideString& caption) override {
        return gui::CMessageBox::Show(parent, text, caption);
    }
    bool ShowThen(gui::CWidgetInterface* parent, RunThenCallback callback, const common::CWideString& text,
                  const common::CWideString& caption) override {
        return gui::CMessageBox::ShowThen(parent, callback, text, caption);
    }
    bool EndModal(int32_t result) override { return gui::Windows::CDialog::EndModal(result); }
    int32_t GetResult() const override { return gui::CMessageBox::GetResult(); }
    int32_t GetPlacement() const override { return gui::CMessageBox::GetPlacement(); }
    bool IsDialog() const override { return true; }
    void SetCaption(const common::CWideString& caption) override { gui::Windows::CDialog::SetCaption(caption); }
    common::CWideString GetCaption() const override { return gui::Windows::CDialog::GetCaption(); }

    // The MessageBoxIndirectW style of a kind.
    static UINT StyleOf(int32_t kind);
};

} // namespace Windows
} // namespace gui
