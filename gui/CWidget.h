#pragma once
// The portable state every widget shares: geometry with size limits, a stored
// rectangle kept apart, visibility, a redraw lock, a background colour, two
// user words and the four event callbacks. The Win32 layer (gui::Windows::
// CWidget) joins it to a window and overrides what needs the window system.
//
// Geometry is in pixels, relative to the parent's client origin. SetRect
// converts from the unit given (gui/Units.h), keeps the size within the limits
// and reports a move or a size change through OnMove and OnSize, which call the
// callbacks unless events are disabled (the destructor disables them first).
#include <cstdint>

#include "gui/CColor.h"
#include "gui/CWidgetInterface.h"

namespace gui {

class CWidget : public virtual CWidgetInterface {
public:
    CWidget() = default;
    ~CWidget() override;
    CWidget(const CWidget&) = delete;
    CWidget& operator=(const CWidget&) = delete;

    // Marks the widget created, then reads the window's placement and applies the
    // widget's own rectangle and visibility to it again. True.
    bool Create() override;
    void Destroy() override;
    bool StorePlacement(int32_t x, int32_t y, int32_t width, int32_t height, bool visible) override;
    // The parent's painter; a windowless widget's origin is moved by its own
    // position and the parent's client origin.
    CPainter* GetPainter(int32_t* originX, int32_t* originY) override;
    void LockRedraw(bool lock) override;
    bool IsRedrawLocked(bool includeAncestors) const override;
    int32_t GetStoredRect(int32_t* x, int32_t* y, int32_t* width, int32_t* height) const override;
    void OnMove() override;
    void OnSize() override;
    bool OnMouse(int32_t x, int32_t y, int32_t event) override;
    bool IsCreated() const override { return m_created; }
    bool IsDialog() const override { return false; }
    bool OnKey(int32_t keyCode, bool down) override;
    void GetRect(int32_t* x, int32_t* y, int32_t* width, int32_t* height) const override;
    // Negative width or height: that size stays. True when anything changed.
    bool SetRect(int32_t x, int32_t y, int32_t width, int32_t height, int32_t unit) override;
    void GetSizeLimits(int32_t* minWidth, int32_t* minHeight, int32_t* maxWidth, int32_t* maxHeight) const override;
    // Negative values become 0 (and the answer is false); a maximum of at least 1
    // below its minimum is swapped with it; the current size is clamped.
    bool SetSizeLimits(int32_t minWidth, int32_t minHeight, int32_t maxWidth, int32_t maxHeight) override;
    bool IsVisible(bool includeAncestors) override;
    void SetVisible(bool visible) override { m_visible = visible; }
    CWidgetInterface* GetParent() override { return nullptr; }
    CWindowInterface* GetWindow() override;
    CFrameWindowInterface* GetFrameWindow() override;
    void InvalidateAll() override;
    uintptr_t& GetUserData() override { return m_userData; }
    uintptr_t& GetUserData2() override { return m_userData2; }
    void SetBackgroundColor(const CColor& colour) override;
    bool GetBackgroundColor(CColor* colour) const override;
    void SetEraseBackground(bool erase) override { m_eraseBackground = erase; }
    MoveCallback& OnMoveCallback() override { return m_onMove; }
    SizeCallback& OnSizeCallback() override { return m_onSize; }
    KeyCallback& OnKeyCallback() override { return m_onKey; }
    MouseCallback& OnMouseCallback() override { return m_onMouse; }

    bool SetPosition(int32_t x, int32_t y);
    bool SetSize(int32_t width, int32_t height);
    bool GetEraseBackground() const { return m_eraseBackground; }
    bool AreEventsDisabled() const { return m_eventsDisabled; }
    void SetEventsDisabled(bool disabled) { m_eventsDisabled = disabled; }

protected:
    // The portable steps of SetRect on a rectangle already in pixels; notify
    // false leaves OnMove and OnSize to the caller.
    bool SetRectPixels(int32_t x, int32_t y, int32_t width, int32_t height, bool notify = true);

    uintptr_t m_userData = 0;
    uintptr_t m_userData2 = 0;
    bool m_created = false;
    int32_t m_x = 0;
    int32_t m_y = 0;
    int32_t m_width = 0;
    int32_t m_height = 0;
    int32_t m_storedX = 0;
    int32_t m_storedY = 0;
    int32_t m_storedWidth = 0;
    int32_t m_storedHeight = 0;
    int32_t m_storedValid = 0;
    int32_t m_minWidth = 0;
    int32_t m_minHeight = 0;
    int32_t m_maxWidth = 0; // below 1: no maximum
    int32_t m_maxHeight = 0;
    bool m_visible = false;
    int32_t m_redrawLockCount = 0;
    CColor m_background;
    bool m_eraseBackground = true;
    bool m_eventsDisabled = false;
    MoveCallback m_onMove = nullptr;
    SizeCallback m_onSize = nullptr;
    KeyCallback m_onKey = nullptr;
    MouseCallback m_onMouse = nullptr;
};

} // namespace gui
