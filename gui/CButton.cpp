#include "gui/CButton.h"

#include "common/CImage.h"

namespace gui {

CButton::~CButton() {
    delete m_image;
}

void CButton::SetImage(common::CImage* image) {
    if (image == m_image)
        return;
    delete m_image;
    m_image = image;
}

} // namespace gui
