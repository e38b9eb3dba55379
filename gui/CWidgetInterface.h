#pragma once
// The root of the widget tree: what every widget, control, container, window
// and dialog answers, whichever window system shows it.
//
// Every kind of widget exists in three layers joined by virtual inheritance: a
// pure interface (this class and the other ...Interface classes), a portable
// class with the state and the logic that needs no window system (gui::CWidget,
// gui::CContainer, gui::CControl ...) and a Win32 class in gui::Windows that owns
// the window handle. One object carries exactly one copy of each interface, so
// any interface pointer converts to the object's single CWidgetInterface.
//
// Geometry is x, y, width, height in pixels relative to the parent's client
// origin (top-level windows: the screen). Operations that take a geometry also
// take a unit code (gui/Units.h). Event hooks are plain function pointers that
// answer true when they handled the event.
#include <cstdint>

namespace gui {

class CPainter;
class CCursor;
class CWindowInterface;
class CFrameWindowInterface;
struct CColor;
struct CRect;

class CWidgetInterface {
public:
    typedef bool (*MoveCallback)(CWidgetInterface* widget);
    typedef bool (*SizeCallback)(CWidgetInterface* widget);
    // The program's key code (common/KeyCodes.h; -1 stands for no key) and whether it went down.
    typedef bool (*KeyCallback)(CWidgetInterface* widget, int32_t keyCode, bool down);
    // x, y in the widget's client coordinates; the event codes are below.
    typedef bool (*MouseCallback)(CWidgetInterface* widget, int32_t x, int32_t y, int32_t event);

    // Mouse event codes.
    enum : int32_t {
        kMouseLeftDoubleClick = 0,
        kMouseLeftDown = 1,
        kMouseLeftUp = 2,
        kMouseRightDoubleClick = 3,
        kMouseRightDown = 4,
        kMouseRightUp = 5,
        kMouseMove = 6,
        kMouseMiddleDoubleClick = 7,
        kMouseMiddleDown = 8,
        kMouseMiddleUp = 9,
    };

    // Makes the widget live (the Win32 layer: attaches its window); true when it is.
    virtual bool Create() = 0;
    // Ends the live state (the Win32 layer: destroys or lets go of the window).
    virtual void Destroy() = 0;
    // Paints the part (x, y, width, height) of the widget and, for containers, the
    // children over it; a width or height below 0 means all of it. The union of
    // what was painted (painter coordinates, inclusive) goes to *painted when
    // painted is not null. True when anything was painted.
    virtual bool Repaint(int32_t x, int32_t y, int32_t width, int32_t height, CRect* painted) = 0;
    // Stores the placement read from the window; true when any value differed.
    virtual bool StorePlacement(int32_t x, int32_t y, int32_t width, int32_t height, bool visible) = 0;
    // Reads the window's placement back into the widget.
    virtual bool SyncFromWindow(bool position, bool size, bool visibility) = 0;
    // The painter that draws this widget and the widget's origin in it; null when none.
    virtual CPainter* GetPainter(int32_t* originX, int32_t* originY) = 0;
    virtual void LockRedraw(bool lock) = 0;
    virtual bool IsRedrawLocked(bool includeAncestors) const = 0;
    // The kept-apart rectangle when it is valid, else the current one; answers the valid word.
    virtual int32_t GetStoredRect(int32_t* x, int32_t* y, int32_t* width, int32_t* height) const = 0;
    virtual void OnMove() = 0;
    virtual void OnSize() = 0;
    // Draws the widget. widgetRect is the widget's whole area and updateRect the
    // part to draw, both in painter coordinates. With a measure record the call
    // is a request to measure instead: a control that can, writes four values
    // (the layout reads the first and third as widths) and answers true.
    virtual bool Paint(CPainter* painter, const CRect& widgetRect, const CRect& updateRect, CRect* measure) = 0;
    virtual bool OnMouse(int32_t x, int32_t y, int32_t event) = 0;
    virtual ~CWidgetInterface();
    virtual bool IsCreated() const = 0;
    // True for a widget that draws into its parent and has no window of its own.
    virtual bool IsWindowless() const = 0;
    virtual bool IsDialog() const = 0;
    virtual void Invalidate(int32_t x, int32_t y, int32_t width, int32_t height) = 0;
    virtual bool Close() = 0;
    // Reports a key; true when it was taken.
    virtual bool OnKey(int32_t keyCode, bool down) = 0;
    virtual void GetRect(int32_t* x, int32_t* y, int32_t* width, int32_t* height) const = 0;
    // The client area: its origin relative to the widget's own coordinates and its size.
    virtual bool GetClientRect(int32_t* x, int32_t* y, int32_t* width, int32_t* height) const = 0;
    virtual bool SetRect(int32_t x, int32_t y, int32_t width, int32_t height, int32_t unit) = 0;
    // A maximum below 1 means no maximum.
    virtual void GetSizeLimits(int32_t* minWidth, int32_t* minHeight, int32_t* maxWidth, int32_t* maxHeight) const = 0;
    virtual bool SetSizeLimits(int32_t minWidth, int32_t minHeight, int32_t maxWidth, int32_t maxHeight) = 0;
    // The widget's own flag; with ancestors, also every ancestor's up to the top-level window.
    virtual bool IsVisible(bool includeAncestors) = 0;
    virtual void SetVisible(bool visible) = 0;
    virtual CWidgetInterface* GetParent() = 0;
    virtual CWindowInterface* GetWindow() = 0;
    virtual CFrameWindowInterface* GetFrameWindow() = 0;
    // The deepest visible widget at the point, given in the parent's client
    // coordinates; the point comes back in that widget's own coordinates.
    virtual CWidgetInterface* HitTest(int32_t* x, int32_t* y) = 0;
    virtual void InvalidateAll() = 0;
    // Two words free for the owner.
    virtual uintptr_t& GetUserData() = 0;
    virtual uintptr_t& GetUserData2() = 0;
    // The widget's cursor object, made on first use.
    virtual CCursor* GetCursor() = 0;
    virtual void SetBackgroundColor(const CColor& colour) = 0;
    // False, writing nothing, when the widget has no background colour.
    virtual bool GetBackgroundColor(CColor* colour) const = 0;
    virtual void SetEraseBackground(bool erase) = 0;
    // The callback pointers, through which the owner sets them.
    virtual MoveCallback& OnMoveCallback() = 0;
    virtual SizeCallback& OnSizeCallback() = 0;
    virtual KeyCallback& OnKeyCallback() = 0;
    virtual MouseCallback& OnMouseCallback() = 0;
};

} // namespace gui
