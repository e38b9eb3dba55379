#pragma once
// A control that holds a list of images and shows one of them, the current
// image, centred and drawn through its transparency mask.
#include <cstdint>

#include "gui/CControlInterface.h"

namespace common {
class CImage;
}

namespace gui {

class CPictureInterface : public virtual CControlInterface {
public:
    // Deletes every image and mask, then redraws.
    virtual void ClearImages() = 0;
    // Null while being destroyed or for an index outside the list.
    virtual common::CImage* GetImage(int32_t index) = 0;
    // Replaces the image at the index (the picture takes it, the old one is
    // deleted); false for a null image or a bad index.
    virtual bool SetImage(common::CImage* image, int32_t index) = 0;
    // Appends an image (which the picture then owns); its index, or -1 when refused.
    virtual int32_t AddImage(common::CImage* image) = 0;
    // Selects the image shown; the index is stored even when outside the list
    // (then nothing shows); true when it is inside.
    virtual bool SetCurrentImage(int32_t index) = 0;
};

} // namespace gui
