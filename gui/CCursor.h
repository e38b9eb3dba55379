#pragma once
// A widget's mouse cursor: none of its own (kind 0), made from an image (1) or
// the system's hand (2). gui::Windows::CCursor holds the cursor handle and tells
// its widget just before and just after the cursor changes, so that the widget
// applies it at once while the mouse is over it.
#include <cstdint>

#include "gui/CColor.h"

namespace common {
class CImage;
}

namespace gui {

class CCursor {
public:
    enum : int32_t { kKindNone = 0, kKindImage = 1, kKindHand = 2 };

    // Takes the other cursor's kind and handle (an image handle is shared).
    virtual void Assign(const CCursor* other) = 0;
    virtual ~CCursor();
    // Back to no cursor of its own.
    virtual void Clear() = 0;
    // Kind 0 clears, kind 2 takes the system's hand cursor; true when done.
    virtual bool SetStandard(int32_t kind) = 0;
    // A 32 by 32 cursor from the image's top-left part: pixels of the white
    // colour are white, of the black colour black, of the transparent colour
    // transparent, of the inverting colour invert the screen. False, unchanged,
    // for an empty image or when the cursor cannot be made.
    virtual bool CreateFromImage(const common::CImage* image, int32_t hotX, int32_t hotY, const CColor& white,
                                 const CColor& black, const CColor& transparent, const CColor& inverting) = 0;
    // White and black as such, everything else transparent.
    virtual bool CreateFromImageDefault(const common::CImage* image, int32_t hotX, int32_t hotY);
    virtual int32_t GetKind() const = 0;

protected:
    CCursor() = default;
};

} // namespace gui
