#pragma once
// A portable widget joined to one Win32 window.
//
// A derived class creates the window (of a toolkit class or a standard
// control's class), stores the handle and calls Create, which attaches it: the
// window's GWLP_USERDATA then holds this object, and a standard control is
// subclassed so that its messages come here too. Every message of the window
// reaches HandleMessage through the one window procedure below; keyboard and
// mouse messages become the portable key and mouse events (and so the widget's
// callbacks), size and move messages keep the stored geometry in step with the
// window, and paint messages let the widget tree draw itself.
//
// Destroy destroys the window (its WM_DESTROY then lets the widget go) or, when
// the window is already being destroyed, only lets it go; either way the
// widget can be created again. The destructor destroys nothing but detaches the
// window, so a message that still comes never reaches a widget being taken apart.
#include <cstdint>

#include "gui/CColor.h"
#include "gui/CWidget.h"
#include "gui/windows/Win32Api.h"

namespace gui {
namespace Windows {

class CCursor;

// The window procedure of every toolkit window class and every subclassed control.
LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Reads the state of one virtual key as GetKeyState does (high bit: pressed).
typedef SHORT (*KeyStateReader)(int virtualKey);
// Test hook: replaces the reader of the modifier keys' state; null restores GetKeyState.
void SetKeyStateReader(KeyStateReader reader);

class CWidget : public virtual gui::CWidget {
public:
    CWidget() = default;
    ~CWidget() override;
    CWidget(const CWidget&) = delete;
    CWidget& operator=(const CWidget&) = delete;

    // One message of the widget's window and its result.
    virtual LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    // A WM_NOTIFY sent from this widget's window; true when handled (*result is returned).
    virtual bool OnNotify(NMHDR* header, LRESULT* result);
    // The module instance; null here (a frame answers its own, a control asks its parent).
    virtual HINSTANCE GetInstance();
    // System colours by index: 0 button text, 1 grey text, 2 button highlight, 3 button shadow.
    virtual gui::CColor GetSystemColor(int32_t index);
    // Turns (*x, *y) into the offset from the centre of the window and puts the
    // mouse pointer back on that centre; false when it cannot.
    virtual bool SetCursorPosition(int32_t* x, int32_t* y);

    bool Create() override;
    void Destroy() override;
    bool SyncFromWindow(bool position, bool size, bool visibility) override;
    gui::CPainter* GetPainter(int32_t* originX, int32_t* originY) override;
    bool Paint(gui::CPainter* painter, const gui::CRect& widgetRect, const gui::CRect& updateRect,
               gui::CRect* measure) override;
    bool IsWindowless() const override { return false; }
    // Redraws the whole window now (the rectangle is not used); a windowless
    // widget asks its parent.
    void Invalidate(int32_t x, int32_t y, int32_t width, int32_t height) override;
    bool Close() override;
    bool GetClientRect(int32_t* x, int32_t* y, int32_t* width, int32_t* height) const override;
    bool SetRect(int32_t x, int32_t y, int32_t width, int32_t height, int32_t unit) override;
    bool IsVisible(bool includeAncestors) override { return gui::CWidget::IsVisible(includeAncestors); }
    void SetVisible(bool visible) override;
    gui::CCursor* GetCursor() override;

    HWND GetWindowHandle() const { return m_window; }
    WNDPROC GetPreviousProcedure() const { return m_previousProc; }
    // The cursor object without making one.
    CCursor* GetCursorObject() const { return m_cursor; }
    bool IsDestroyed() const { return m_destroyed; }

    // The widget attached to the window; null when none is.
    static CWidget* FromWindow(HWND window);

protected:
    // Messages nobody handled: the previous window procedure, or 0 without one.
    LRESULT DefaultHandling(UINT message, WPARAM wParam, LPARAM lParam);
    // A key message as key events; true when they were taken.
    bool HandleKey(WPARAM wParam, LPARAM lParam, bool down);
    // The window's rectangle in the widget's coordinates (a top-level window's
    // are the screen's); false when it cannot be read.
    virtual bool ReadWindowRect(int32_t* x, int32_t* y, int32_t* width, int32_t* height) const;
    // Moves the window to a rectangle in the widget's coordinates.
    virtual void PlaceWindow(int32_t x, int32_t y, int32_t width, int32_t height);
    // For destructors: no more callbacks, and the window no longer leads here.
    void BeginTeardown();

    CCursor* m_cursor = nullptr;      // owned; made by GetCursor
    HWND m_window = nullptr;          // destroyed by Destroy, never by the destructor
    WNDPROC m_previousProc = nullptr; // where unhandled messages go
    bool m_detached = false;          // WM_DESTROY came: only let the window go
    bool m_moving = false;            // SetRect is moving the window itself
    bool m_destroyed = true;

private:
    // Lets go of the window: the user-data word cleared and a subclassed control's
    // own procedure put back.
    void DetachWindow();
    static void ApplyCursor(void* user, CCursor* cursor, bool before);
};

} // namespace Windows
} // namespace gui
