#include "gui/CPicture.h"

#include "common/CImage.h"
#include "common/CIndexedImage_1Bpp.h"

namespace gui {

CPicture::~CPicture() {
    m_destroying = true;
    for (common::CImage* mask : m_masks)
        delete mask;
    for (common::CImage* image : m_images)
        delete image;
}

void CPicture::ClearImages() {
    for (common::CImage* mask : m_masks)
        delete mask;
    for (common::CImage* image : m_images)
        delete image;
    m_masks.clear();
    m_images.clear();
    Refresh();
}

common::CImage* CPicture::GetImage(int32_t index) {
    if (m_destroying || index < 0 || index >= GetImageCount())
        return nullptr;
    return m_images[static_cast<size_t>(index)];
}

common::CImage* CPicture::GetMask(int32_t index) {
    if (m_destroying || index < 0 || index >= GetImageCount())
        return nullptr;
    return m_masks[static_cast<size_t>(index)];
}

bool CPicture::SetImage(common::CImage* image, int32_t index) {
    if (m_destroying || image == nullptr || index < 0 || index >= GetImageCount())
        return false;
    const size_t at = static_cast<size_t>(index);
    common::CImage* oldImage = m_images[at];
    common::CImage* oldMask = m_masks[at];
    m_images[at] = image;
    m_masks[at] = image->CreateMask(nullptr);
    if (oldImage != image)
        delete oldImage;
    delete oldMask;
    if (index == m_current)
        Refresh();
    return true;
}

int32_t CPicture::AddImage(common::CImage* image) {
    if (m_destroying || image == nullptr)
        return -1;
    m_images.push_back(image);
    m_masks.push_back(image->CreateMask(nullptr));
    const int32_t index = GetImageCount() - 1;
    if (index == m_current)
        Refresh();
    return index;
}

bool CPicture::SetCurrentImage(int32_t index) {
    if (index != m_current) {
        m_current = index;
        Refresh();
    }
    return index >= 0 && index < GetImageCount();
}

} // namespace gui
