#pragma once
// The portable picture: the owned images with their masks (made from each
// image's colour key; none without a key, so such an image is drawn opaque)
// and the current index. Redrawing is the control's Refresh.
#include <cstdint>
#include <vector>

#include "gui/CPictureInterface.h"

namespace gui {

class CPicture : public virtual CPictureInterface {
public:
    CPicture() = default;
    // Deletes every mask, then every image.
    ~CPicture() override;
    CPicture(const CPicture&) = delete;
    CPicture& operator=(const CPicture&) = delete;

    void ClearImages() override;
    common::CImage* GetImage(int32_t index) override;
    bool SetImage(common::CImage* image, int32_t index) override;
    int32_t AddImage(common::CImage* image) override;
    bool SetCurrentImage(int32_t index) override;

    int32_t GetImageCount() const { return static_cast<int32_t>(m_images.size()); }
    int32_t GetCurrentImage() const { return m_current; }
    // The mask of the image at the index; null when it has none.
    common::CImage* GetMask(int32_t index);

protected:
    std::vector<common::CImage*> m_images; // owned
    std::vector<common::CImage*> m_masks;  // owned; as long as m_images
    bool m_destroying = false;
    int32_t m_current = 0;
};

} // namespace gui
