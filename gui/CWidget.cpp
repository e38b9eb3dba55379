#include "gui/CWidget.h"

#include "gui/CFrameWindowInterface.h"
#include "gui/CWindowInterface.h"
#include "gui/Units.h"

namespace gui {

namespace {

int32_t ClampSize(int32_t size, int32_t minimum, int32_t maximum) {
    if (size < minimum)
        size = minimum;
    if (maximum >= 1 && size > maximum)
        size = maximum;
    return size;
}

} // namespace

CWidget::~CWidget() {
    m_eventsDisabled = true;
}

bool CWidget::Create() {
    m_created = true;
    // The widget's own wishes, which the window is brought in line with once its
    // actual placement has been read.
    const int32_t x = m_x;
    const int32_t y = m_y;
    const int32_t width = m_width;
    const int32_t height = m_height;
    const bool visible = m_visible;
    if (SyncFromWindow(true, true, true)) {
        SetRect(x, y, width, height, Windows::kUnitPixels);
        SetVisible(visible);
    }
    return true;
}

void CWidget::Destroy() {
    m_created = false;
}

bool CWidget::StorePlacement(int32_t x, int32_t y, int32_t width, int32_t height, bool visible) {
    const bool changed = x != m_x || y != m_y || width != m_width || height != m_height || visible != m_visible;
    m_x = x;
    m_y = y;
    m_width = width;
    m_height = height;
    m_visible = visible;
    return changed;
}

CPainter* CWidget::GetPainter(int32_t* originX, int32_t* originY) {
    CWidgetInterface* parent = GetParent();
    if (parent == nullptr)
        return nullptr;
    int32_t x = 0;
    int32_t y = 0;
    CPainter* painter = parent->GetPainter(&x, &y);
    if (painter == nullptr)
        return nullptr;
    if (IsWindowless()) {
        x += m_x;
        y += m_y;
        int32_t clientX = 0;
        int32_t clientY = 0;
        int32_t clientWidth = 0;
        int32_t clientHeight = 0;
        if (parent->GetClientRect(&clientX, &clientY, &clientWidth, &clientHeight)) {
            x += clientX;
            y += clientY;
        }
    }
    if (originX != nullptr)
        *originX = x;
    if (originY != nullptr)
        *originY = y;
    return painter;
}

void CWidget::LockRedraw(bool lock) {
    if (lock)
        ++m_redrawLockCount;
    else if (m_redrawLockCount > 0)
        --m_redrawLockCount;
}

bool CWidget::IsRedrawLocked(bool) const {
    return m_redrawLockCount > 0;
}

int32_t CWidget::GetStoredRect(int32_t* x, int32_t* y, int32_t* width, int32_t* height) const {
    if (m_storedValid == 0) {
        GetRect(x, y, width, height);
        return m_storedValid;
    }
    if (x != nullptr)
        *x = m_storedX;
    if (y != nullptr)
        *y = m_storedY;
    if (width != nullptr)
        *width = m_storedWidth;
    if (height != nullptr)
        *height = m_storedHeight;
    return m_storedValid;
}

void CWidget::OnMove() {
    if (m_onMove != nullptr && !m_eventsDisabled)
        m_onMove(this);
}

void CWidget::OnSize() {
    if (m_onSize != nullptr && !m_eventsDisabled)
        m_onSize(this);
}

bool CWidget::OnMouse(int32_t x, int32_t y, int32_t event) {
    if (m_onMouse == nullptr || m_eventsDisabled)
        return false;
    return m_onMouse(this, x, y, event);
}

bool CWidget::OnKey(int32_t keyCode, bool down) {
    if (m_onKey == nullptr || m_eventsDisabled)
        return false;
    return m_onKey(this, keyCode, down);
}

void CWidget::GetRect(int32_t* x, int32_t* y, int32_t* width, int32_t* height) const {
    if (x != nullptr)
        *x = m_x;
    if (y != nullptr)
        *y = m_y;
    if (width != nullptr)
        *width = m_width;
    if (height != nullptr)
        *height = m_height;
}

bool CWidget::SetRect(int32_t x, int32_t y, int32_t width, int32_t height, int32_t unit) {
    Windows::UnitsToPixels(&x, &y, unit);
    Windows::UnitsToPixels(&width, &height, unit);
    return SetRectPixels(x, y, width, height);
}

bool CWidget::SetRectPixels(int32_t x, int32_t y, int32_t width, int32_t height, bool notify) {
    m_storedValid = 0;
    bool moved = false;
    bool sized = false;
    if (x != m_x || y != m_y) {
        m_x = x;
        m_y = y;
        moved = true;
    }
    if (width >= 0) {
        width = ClampSize(width, m_minWidth, m_maxWidth);
        if (width != m_width) {
            m_width = width;
            sized = true;
        }
    }
    if (height >= 0) {
        height = ClampSize(height, m_minHeight, m_maxHeight);
        if (height != m_height) {
            m_height = height;
            sized = true;
        }
    }
    if (notify && moved)
        OnMove();
    if (notify && sized)
        OnSize();
    return moved || sized;
}

bool CWidget::SetPosition(int32_t x, int32_t y) {
    const int32_t oldX = m_x;
    const int32_t oldY = m_y;
    SetRect(x, y, m_width, m_height, Windows::kUnitPixels);
    return m_x != oldX || m_y != oldY;
}

bool CWidget::SetSize(int32_t width, int32_t height) {
    const int32_t oldWidth = m_width;
    const int32_t oldHeight = m_height;
    SetRect(m_x, m_y, width, height, Windows::kUnitPixels);
    return m_width != oldWidth || m_height != oldHeight;
}

void CWidget::GetSizeLimits(int32_t* minWidth, int32_t* minHeight, int32_t* maxWidth, int32_t* maxHeight) const {
    if (minWidth != nullptr)
        *minWidth = m_minWidth;
    if (minHeight != nullptr)
        *minHeight = m_minHeight;
    if (maxWidth != nullptr)
        *maxWidth = m_maxWidth;
    if (maxHeight != nullptr)
        *maxHeight = m_maxHeight;
}

bool CWidget::SetSizeLimits(int32_t minWidth, int32_t minHeight, int32_t maxWidth, int32_t maxHeight) {
    bool valid = true;
    int32_t* values[] = {&minWidth, &minHeight, &maxWidth, &maxHeight};
    for (int32_t* value : values) {
        if (*value < 0) {
            *value = 0;
            valid = false;
        }
    }
    if (maxWidth >= 1 && maxWidth < minWidth) {
        const int32_t swap = maxWidth;
        maxWidth = minWidth;
        minWidth = swap;
    }
    if (maxHeight >= 1 && maxHeight < minHeight) {
        const int32_t swap = maxHeight;
        maxHeight = minHeight;
        minHeight = swap;
    }
    m_minWidth = minWidth;
    m_minHeight = minHeight;
    m_maxWidth = maxWidth;
    m_maxHeight = maxHeight;
    const int32_t width = ClampSize(m_width, m_minWidth, m_maxWidth);
    const int32_t height = ClampSize(m_height, m_minHeight, m_maxHeight);
    if (width != m_width || height != m_height)
        SetRect(m_x, m_y, width, height, Windows::kUnitPixels);
    return valid;
}

bool CWidget::IsVisible(bool includeAncestors) {
    if (!m_visible)
        return false;
    if (!includeAncestors)
        return true;
    CWidgetInterface* top = GetWindow();
    CWidgetInterface* widget = this;
    // The bound only guards against a broken parent chain.
    for (int depth = 0; depth < 4096 && widget != top; ++depth) {
        CWidgetInterface* parent = widget->GetParent();
        if (parent == nullptr)
            break;
        if (!parent->IsVisible(false))
            return false;
        widget = parent;
    }
    return true;
}

CWindowInterface* CWidget::GetWindow() {
    CWidgetInterface* parent = GetParent();
    return parent != nullptr ? parent->GetWindow() : nullptr;
}

CFrameWindowInterface* CWidget::GetFrameWindow() {
    CWindowInterface* window = GetWindow();
    return window != nullptr ? window->GetFrameWindow() : nullptr;
}

void CWidget::InvalidateAll() {
    Invalidate(0, 0, -1, -1);
}

void CWidget::SetBackgroundColor(const CColor& colour) {
    if (colour.SameAs(m_background))
        return;
    m_background = colour;
    Invalidate(0, 0, -1, -1);
}

bool CWidget::GetBackgroundColor(CColor* colour) const {
    if (m_background.m_none)
        return false;
    if (colour != nullptr)
        *colour = CColor::FromArgb(m_background.m_argb);
    return true;
}

} // namespace gui
