#include "gui/windows/CFileDialog.h"

#include <commdlg.h>

namespace gui {
namespace Windows {

CFileDialog::CFileDialog(int32_t mode) {
    m_mode = mode;
    m_geometryFromWindow = true;
}

CFileDialog::~CFileDialog() = default;

std::vector<wchar_t> CFileDialog::MakeFilterBuffer(const common::CWideString& text) {
    const int length = text.GetLength();
    std::vector<wchar_t> buffer(static_cast<size_t>(length) + 1, 0);
    const common::WChar* characters = text.GetWide();
    for (int i = 0; i < length; ++i)
        buffer[static_cast<size_t>(i)] = characters[i] == u'\n' ? 0 : static_cast<wchar_t>(characters[i]);
    return buffer;
}

bool CFileDialog::PrepareStruct(OPENFILENAMEW* data, HWND owner, wchar_t* file, const wchar_t* filter) {
    *data = OPENFILENAMEW();
    data->lStructSize = sizeof(OPENFILENAMEW);
    data->hwndOwner = owner;
    data->lpstrFile = file;
    data->nMaxFile = kFileBufferLength;
    if (m_mode == kModeOpen)
        data->Flags = OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY;
    else if (m_mode == kModeSave)
        data->Flags = OFN_PATHMUSTEXIST | OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY;
    else
        return false;
    data->lpstrFilter = filter;
    data->nFilterIndex = 1;
    data->lpstrInitialDir = reinterpret_cast<LPCWSTR>(m_path.GetWide());
    data->lCustData = reinterpret_cast<LPARAM>(this);
    data->lpfnHook = &CFileDialog::HookProc;
    data->Flags |= OFN_EXPLORER | OFN_ENABLEHOOK;
    return true;
}

bool CFileDialog::Run(gui::CWidgetInterface* parent) {
    m_result = kResultNone;
    CWidget* owner = UsableParent(parent);
    if (owner == nullptr)
        return false;
    std::vector<wchar_t> file(kFileBufferLength, 0);
    const std::vector<wchar_t> filter = MakeFilterBuffer(BuildFilterText());
    OPENFILENAMEW data;
    if (!PrepareStruct(&data, owner->GetWindowHandle(), file.data(), filter.data()))
        return false;
    BeginRun(owner);
    const BOOL chosen = m_mode == kModeOpen ? GetOpenFileNameW(&data) : GetSaveFileNameW(&data);
    ReleaseSystemWindow();
    EndRun();
    if (chosen) {
        file[kFileBufferLength - 1] = 0;
        m_path = common::CPath(reinterpret_cast<const common::WChar*>(file.data()));
        m_result = kResultOk;
    } else {
        m_result = kResultCancel;
    }
    return true;
}

bool CFileDialog::RunThen(gui::CWidgetInterface* parent, RunThenCallback callback, bool modal) {
    if (parent == nullptr || callback == nullptr || !modal)
        return false;
    const bool ran = Run(parent);
    if (ran)
        callback(this);
    return ran;
}

UINT_PTR CALLBACK CFileDialog::HookProc(HWND hook, UINT message, WPARAM, LPARAM lParam) {
    if (message != WM_INITDIALOG)
        return FALSE;
    const OPENFILENAMEW* data = reinterpret_cast<const OPENFILENAMEW*>(lParam);
    CFileDialog* dialog = data != nullptr ? reinterpret_cast<CFileDialog*>(data->lCustData) : nullptr;
    if (dialog == nullptr || dialog->m_runParent == nullptr) {
        EndDialog(hook, 2);
        return TRUE;
    }
    HWND parentWindow = dialog->m_runParent->GetWindowHandle();
    // With the explorer style the hook window is a child of the system dialog.
    HWND window = hook;
    while (window != parentWindow && ::GetParent(window) != parentWindow && ::GetParent(window) != nullptr)
        window = ::GetParent(window);
    dialog->m_window = window;
    if (!dialog->Create()) {
        EndDialog(hook, 2);
        return TRUE;
    }
    return FALSE;
}

} // namespace Windows
} // namespace gui
