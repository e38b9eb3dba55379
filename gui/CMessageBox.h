#pragma once
// The portable message box: text and kind, and the forwarding of the dialog's
// run operations to the box's own. It cannot show itself.
#include "gui/CDialog.h"
#include "gui/CMessageBoxInterface.h"

namespace gui {

class CMessageBox : public virtual CDialog, public virtual CMessageBoxInterface {
public:
    CMessageBox() = default;
    ~CMessageBox() override;

    bool ShowThen(CWidgetInterface* parent, RunThenCallback callback, const common::CWideString& text,
                  const common::CWideString& caption) override;
    const common::CWideString& GetText() const override { return m_text; }
    void SetText(const common::CWideString& text) override { m_text = text; }
    int32_t GetKind() const override { return m_kind; }
    void SetKind(int32_t kind) override { m_kind = kind; }
    bool Show(CWidgetInterface* parent, const common::CWideString& text, const common::CWideString& caption) override;
    // False: the portable box cannot show itself.
    bool Run(CWidgetInterface* parent) override;
    bool RunModal(CWidgetInterface* parent) override { return Run(parent); }
    bool RunModalThen(CWidgetInterface* parent, RunThenCallback callback, bool modal) override {
        return RunThen(parent, callback, modal);
    }

    // The answer for a value that the system's message box returned.
    static int32_t AnswerOf(int value);

protected:
    common::CWideString m_text;
    int32_t m_kind = kKindYesNo;
};

} // namespace gui
