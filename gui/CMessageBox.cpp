#include "gui/CMessageBox.h"

namespace gui {

CMessageBox::~CMessageBox() = default;

bool CMessageBox::ShowThen(CWidgetInterface* parent, RunThenCallback callback, const common::CWideString& text,
                           const common::CWideString& caption) {
    SetText(text);
    SetCaption(caption);
    return RunThen(parent, callback, true);
}

bool CMessageBox::Show(CWidgetInterface* parent, const common::CWideString& text, const common::CWideString& caption) {
    SetText(text);
    SetCaption(caption);
    return Run(parent);
}

bool CMessageBox::Run(CWidgetInterface*) {
    return false;
}

int32_t CMessageBox::AnswerOf(int value) {
    switch (value) {
    case 1: // OK
    case 6: // Yes
        return kResultOk;
    case 2: // Cancel
        return kResultCancel;
    case 7: // No
        return kResultNo;
    default:
        return kResultNone;
    }
}

} // namespace gui
