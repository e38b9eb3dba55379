#include "gui/windows/CMessageBox.h"

namespace gui {
namespace Windows {

CMessageBox::CMessageBox() {
    m_geometryFromWindow = true;
}

CMessageBox::~CMessageBox() = default;

UINT CMessageBox::StyleOf(int32_t kind) {
    switch (kind) {
    case kKindQuestion:
        return MB_YESNO | MB_ICONQUESTION;
    case kKindInformation:
        return MB_YESNO | MB_ICONINFORMATION;
    case kKindWarning:
        return MB_OK | MB_ICONWARNING;
    default:
        return MB_YESNO;
    }
}

bool CMessageBox::Run(gui::CWidgetInterface* parent) {
    m_result = kResultNone;
    CWidget* owner = UsableParent(parent);
    if (owner == nullptr)
        return false;
    const common::CWideString caption = GetCaption();
    MSGBOXPARAMSW params = {};
    params.cbSize = sizeof(params);
    params.hwndOwner = owner->GetWindowHandle();
    params.hInstance = owner->GetInstance();
    params.lpszText = reinterpret_cast<LPCWSTR>(m_text.GetWide());
    params.lpszCaption = reinterpret_cast<LPCWSTR>(caption.GetWide());
    params.dwStyle = StyleOf(m_kind);
    BeginRun(owner);
    const int value = MessageBoxIndirectW(&params);
    EndRun();
    m_result = AnswerOf(value);
    return value != 0;
}

bool CMessageBox::RunThen(gui::CWidgetInterface* parent, RunThenCallback callback, bool modal) {
    if (parent == nullptr || callback == nullptr || !modal)
        return false;
    const bool ran = Run(parent);
    if (ran)
        callback(this);
    return ran;
}

} // namespace Windows
} // namespace gui
