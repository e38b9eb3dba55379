#include "gui/CCursor.h"

namespace gui {

CCursor::~CCursor() = default;

bool CCursor::CreateFromImageDefault(const common::CImage* image, int32_t hotX, int32_t hotY) {
    const CColor white = CColor::FromArgb(0xFFFFFFFF);
    const CColor black = CColor::FromArgb(0xFF000000);
    return CreateFromImage(image, hotX, hotY, white, black, white, black);
}

} // namespace gui
