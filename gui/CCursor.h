#pragma once
// A widget's mouse cursor: none of its own (kind 0), made from an image (1) or
// the system's hand (2). gui::Windows::CCursor holds the cursor handle and tells
// its widget just before and just after the cursor changes, so that the widget
// applies it at once while the mouse is over it.
//
// So far this holds the standard shapes; cursors made from images join it later.
#include <cstdint>

namespace gui {

class CCursor {
public:
    enum : int32_t { kKindNone = 0, kKindImage = 1, kKindHand = 2 };

    virtual ~CCursor();
    // Back to no cursor of its own.
    virtual void Clear() = 0;
    // Kind 0 clears, kind 2 takes the system's hand cursor; true when done.
    virtual bool SetStandard(int32_t kind) = 0;
    virtual int32_t GetKind() const = 0;

protected:
    CCursor() = default;
};

} // namespace gui
