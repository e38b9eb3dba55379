#include "gui/windows/CContainer.h"

#include "gui/CControlInterface.h"
#include "gui/windows/CCursor.h"

namespace gui {
namespace Windows {

CContainer::~CContainer() {
    BeginTeardown();
}

bool CContainer::Create() {
    if (!CWidget::Create())
        return false;
    if (!m_painter.IsPainting())
        m_painter.SetWindow(m_window);
    for (int32_t i = 0; i < GetChildCount(); ++i) {
        CControlInterface* child = GetChild(i);
        if (child == nullptr || child->IsCreated())
            continue;
        if (!child->Create()) {
            Destroy();
            return false;
        }
    }
    SyncFromWindow(true, true, true);
    Layout();
    return true;
}

void CContainer::DestroyChildren() {
    for (int32_t i = 0; i < GetChildCount(); ++i) {
        if (CControlInterface* child = GetChild(i))
            child->Destroy();
    }
}

void CContainer::Destroy() {
    DestroyChildren();
    CWidget::Destroy();
}

gui::CPainter* CContainer::GetPainter(int32_t* originX, int32_t* originY) {
    if (m_window == nullptr)
        return nullptr;
    if (!m_painter.IsPainting())
        m_painter.SetWindow(m_window);
    if (originX != nullptr)
        *originX = 0;
    if (originY != nullptr)
        *originY = 0;
    return &m_painter;
}

bool CContainer::GetClientRect(int32_t* x, int32_t* y, int32_t* width, int32_t* height) const {
    if (!CWidget::GetClientRect(x, y, width, height))
        return false;
    *x += m_paddingLeft;
    *y += m_paddingTop;
    *width -= m_paddingLeft + m_paddingRight;
    *height -= m_paddingTop + m_paddingBottom;
    if (*width < 0)
        *width = 0;
    if (*height < 0)
        *height = 0;
    return true;
}

bool CContainer::OnMouse(int32_t x, int32_t y, int32_t event) {
    int32_t clientX = 0;
    int32_t clientY = 0;
    int32_t clientWidth = 0;
    int32_t clientHeight = 0;
    if (!GetClientRect(&clientX, &clientY, &clientWidth, &clientHeight)) {
        clientX = 0;
        clientY = 0;
    }
    const int32_t innerX = x - clientX;
    const int32_t innerY = y - clientY;
    CControlInterface* child = GetChildAt(innerX, innerY);
    if (child != nullptr && child->IsWindowless()) {
        if (dynamic_cast<CWidget*>(child) == nullptr)
            return true;
        int32_t childX = 0;
        int32_t childY = 0;
        child->GetRect(&childX, &childY, nullptr, nullptr);
        int32_t localX = innerX - childX;
        int32_t localY = innerY - childY;
        int32_t originX = 0;
        int32_t originY = 0;
        int32_t width = 0;
        int32_t height = 0;
        if (child->GetClientRect(&originX, &originY, &width, &height)) {
            localX -= originX;
            localY -= originY;
        }
        return child->OnMouse(localX, localY, event);
    }
    return gui::CWidget::OnMouse(x, y, event);
}

void CContainer::OnMove() {
    Layout();
    gui::CWidget::OnMove();
}

void CContainer::OnSize() {
    Layout();
    gui::CWidget::OnSize();
}

bool CContainer::HandleSetCursor(LRESULT* result) {
    if (m_window == nullptr || IsIconic(m_window))
        return false;
    POINT point;
    if (GetCursorPos(&point) && ScreenToClient(m_window, &point)) {
        int32_t clientX = 0;
        int32_t clientY = 0;
        int32_t clientWidth = 0;
        int32_t clientHeight = 0;
        if (!GetClientRect(&clientX, &clientY, &clientWidth, &clientHeight)) {
            clientX = 0;
            clientY = 0;
        }
        CControlInterface* child = GetChildAt(point.x - clientX, point.y - clientY);
        if (child != nullptr && child->IsWindowless()) {
            CWidget* widget = dynamic_cast<CWidget*>(child);
            CCursor* cursor = widget != nullptr ? widget->GetCursorObject() : nullptr;
            if (cursor == nullptr || cursor->GetKind() == gui::CCursor::kKindNone)
                return false;
            SetCursor(cursor->GetHandle());
            *result = TRUE;
            return true;
        }
    }
    if (m_cursor != nullptr && m_cursor->GetHandle() != nullptr) {
        SetCursor(m_cursor->GetHandle());
        *result = TRUE;
        return true;
    }
    return false;
}

bool CContainer::ReflectDrawItem(WPARAM wParam, LPARAM lParam) {
    const DRAWITEMSTRUCT* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
    if (item == nullptr || item->CtlType == ODT_MENU)
        return false;
    for (int32_t i = 0; i < GetChildCount(); ++i) {
        CWidget* child = dynamic_cast<CWidget*>(GetChild(i));
        if (child != nullptr && child->GetWindowHandle() != nullptr && child->GetWindowHandle() == item->hwndItem)
            SendMessageW(item->hwndItem, WM_DRAWITEM, wParam, lParam);
    }
    return true;
}

LRESULT CContainer::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    LRESULT result = 0;
    switch (message) {
    case WM_SETCURSOR:
        if (HandleSetCursor(&result))
            return result;
        break;
    case WM_DRAWITEM:
        if (ReflectDrawItem(wParam, lParam))
            return TRUE;
        break;
    default:
        break;
    }
    return CWidget::HandleMessage(message, wParam, lParam);
}

} // namespace Windows
} // namespace gui
