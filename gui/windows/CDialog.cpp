#include "gui/windows/CDialog.h"

#include <cstring>
#include <vector>

namespace gui {
namespace Windows {

namespace {

void PutWord(std::vector<uint8_t>& bytes, size_t offset, uint32_t value, int size) {
    for (int i = 0; i < size; ++i)
        bytes[offset + static_cast<size_t>(i)] = static_cast<uint8_t>(value >> (8 * i));
}

} // namespace

CDialog::CDialog() = default;

CDialog::CDialog(int32_t width, int32_t height) {
    SetRect(0, 0, width, height, 0);
}

CDialog::CDialog(int32_t x, int32_t y, int32_t width, int32_t height, int32_t placement) {
    m_placement = placement;
    SetRect(x, y, width, height, 0);
}

CDialog::~CDialog() {
    BeginTeardown();
}

LRESULT CALLBACK CDialog::NullWindowProc(HWND, UINT, WPARAM, LPARAM) {
    return 0;
}

gui::CWidgetInterface* CDialog::GetParent() {
    return m_runParent;
}

CWidget* CDialog::UsableParent(gui::CWidgetInterface* parent) {
    CWidget* widget = dynamic_cast<CWidget*>(parent);
    if (widget == nullptr || !widget->IsCreated() || widget->GetInstance() == nullptr ||
        widget->GetWindowHandle() == nullptr)
        return nullptr;
    return widget;
}

void CDialog::BeginRun(CWidget* parent) {
    m_instance = parent->GetInstance();
    m_runParent = parent;
    int32_t x = 0;
    int32_t y = 0;
    int32_t width = 0;
    int32_t height = 0;
    GetRect(&x, &y, &width, &height);
    StorePlacement(x, y, width, height, true);
}

void CDialog::EndRun() {
    int32_t x = 0;
    int32_t y = 0;
    int32_t width = 0;
    int32_t height = 0;
    GetRect(&x, &y, &width, &height);
    StorePlacement(x, y, width, height, false);
    m_instance = nullptr;
    m_runParent = nullptr;
}

void CDialog::ReleaseSystemWindow() {
    if (m_window == nullptr && !IsCreated())
        return;
    // The system destroyed the window without telling the widget.
    m_detached = true;
    Destroy();
}

bool CDialog::RunModalThen(gui::CWidgetInterface* parent, RunThenCallback callback, bool modal) {
    if (parent == nullptr || callback == nullptr || !modal)
        return false;
    const bool ran = RunModal(parent);
    if (ran)
        callback(this);
    return ran;
}

bool CDialog::RunModal(gui::CWidgetInterface* parent) {
    m_result = kResultNone;
    if (m_running || parent == nullptr)
        return false;
    CWidget* owner = UsableParent(parent);
    if (owner == nullptr)
        return false;
    int32_t x = 0;
    int32_t y = 0;
    int32_t width = 0;
    int32_t height = 0;
    GetRect(&x, &y, &width, &height);
    // DLGTEMPLATE head, then no menu, the system's class and no title; the rest zero.
    std::vector<uint8_t> dialogTemplate(82, 0);
    PutWord(dialogTemplate, 0, WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME, 4);
    PutWord(dialogTemplate, 10, static_cast<uint32_t>(x) & 0xFFFF, 2);
    PutWord(dialogTemplate, 12, static_cast<uint32_t>(y) & 0xFFFF, 2);
    PutWord(dialogTemplate, 14, static_cast<uint32_t>(width) & 0xFFFF, 2);
    PutWord(dialogTemplate, 16, static_cast<uint32_t>(height) & 0xFFFF, 2);
    // DialogBoxIndirectParamW wants the template DWORD-aligned; a vector's block is.
    BeginRun(owner);
    m_running = true;
    INT_PTR code = -1;
    try {
        code = DialogBoxIndirectParamW(m_instance, reinterpret_cast<LPCDLGTEMPLATEW>(dialogTemplate.data()),
                                       owner->GetWindowHandle(), &CDialog::DialogProc, reinterpret_cast<LPARAM>(this));
    } catch (...) {
        m_running = false;
        EndRun();
        throw;
    }
    m_running = false;
    ReleaseSystemWindow();
    EndRun();
    if (code == 0 || code == -1) {
        m_result = kResultNone;
        return false;
    }
    return true;
}

INT_PTR CALLBACK CDialog::DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        CDialog* dialog = reinterpret_cast<CDialog*>(lParam);
        if (dialog == nullptr) {
            EndDialog(window, 0xFFFF);
            return TRUE;
        }
        dialog->m_window = window;
        if (!dialog->Create()) {
            EndDialog(window, 0xFFFF);
            return TRUE;
        }
        return FALSE;
    }
    CDialog* dialog = dynamic_cast<CDialog*>(CWidget::FromWindow(window));
    if (dialog == nullptr || dialog->GetWindowHandle() != window)
        return FALSE;
    return static_cast<INT_PTR>(dialog->HandleDialogMessage(message, wParam, lParam));
}

bool CDialog::Create() {
    if (IsCreated())
        return true;
    m_previousProc = &CDialog::NullWindowProc;
    if (m_geometryFromWindow) {
        m_geometryFromWindow = false;
        CWidget::SyncFromWindow(true, true, false);
    }
    if (GetPlacement() == kPlacementCentred && m_runParent != nullptr && m_runParent->IsCreated()) {
        int32_t x = 0;
        int32_t y = 0;
        int32_t width = 0;
        int32_t height = 0;
        m_runParent->GetRect(&x, &y, &width, &height);
        if (m_runParent->GetWindow() != dynamic_cast<gui::CWindowInterface*>(m_runParent)) {
            POINT point = {x, y};
            if (ClientToScreen(m_runParent->GetWindowHandle(), &point)) {
                x = point.x;
                y = point.y;
            }
        }
        int32_t ownX = 0;
        int32_t ownY = 0;
        int32_t ownWidth = 0;
        int32_t ownHeight = 0;
        GetRect(&ownX, &ownY, &ownWidth, &ownHeight);
        SetRect(x + (width - ownWidth) / 2, y + (height - ownHeight) / 2, ownWidth, ownHeight, 0);
    }
    return CWindow::Create();
}

void CDialog::Destroy() {
    if (m_window != nullptr && !m_detached && m_running) {
        m_running = false;
        EndDialog(m_window, 2);
        return;
    }
    CWindow::Destroy();
    m_instance = nullptr;
    m_runParent = nullptr;
}

bool CDialog::EndModal(int32_t result) {
    m_result = result;
    if (m_window != nullptr && m_running)
        EndDialog(m_window, result == kResultOk ? 1 : (result == kResultCancel ? 2 : 0xFFFF));
    return true;
}

LRESULT CDialog::HandleDialogMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_COMMAND) {
        if (LOWORD(wParam) == IDOK) {
            EndModal(kResultOk);
            return 1;
        }
        if (LOWORD(wParam) == IDCANCEL) {
            EndModal(kResultCancel);
            return 1;
        }
    }
    return CWindow::HandleMessage(message, wParam, lParam);
}

} // namespace Windows
} // namespace gui
