#include "gui/windows/CPicture.h"

#include "common/CImage.h"
#include "gui/CBrushInterface.h"
#include "gui/CPainter.h"

namespace gui {
namespace Windows {

CPicture::CPicture(int32_t x, int32_t y, int32_t width, int32_t height, common::CImage* first, int32_t alignment,
                   bool visible, int32_t unit)
    : CControl(x, y, width, height, alignment, visible, unit) {
    if (first != nullptr)
        AddImage(first);
}

CPicture::~CPicture() {
    m_destroying = true;
}

bool CPicture::Create() {
    if (IsCreated())
        return true;
    CWidget* parent = dynamic_cast<CWidget*>(GetParent());
    if (parent == nullptr || !parent->IsCreated() || parent->GetWindowHandle() == nullptr ||
        parent->GetInstance() == nullptr)
        return false;
    m_window = CreateWindowExW(0, L"STATIC", nullptr, WS_CHILD | WS_CLIPSIBLINGS | SS_NOTIFY | SS_OWNERDRAW, m_x, m_y,
                               m_width, m_height, parent->GetWindowHandle(), nullptr, parent->GetInstance(), nullptr);
    return CControl::Create();
}

bool CPicture::Paint(gui::CPainter* painter, const gui::CRect& widgetRect, const gui::CRect&, gui::CRect* measure) {
    if (measure != nullptr || m_painting || painter == nullptr)
        return false;
    common::CImage* image = GetImage(m_current);
    if (image == nullptr)
        return false;
    m_painting = true;
    const int32_t width = widgetRect.m_right - widgetRect.m_left + 1;
    const int32_t height = widgetRect.m_bottom - widgetRect.m_top + 1;
    const int32_t x = widgetRect.m_left + (width - image->GetWidth()) / 2;
    const int32_t y = widgetRect.m_top + (height - image->GetHeight()) / 2;
    const gui::CRect target(x, y, x + image->GetWidth() - 1, y + image->GetHeight() - 1);
    const COLORREF face = GetSysColor(COLOR_BTNFACE);
    painter->GetBrush()->SetColor(
        gui::CColor::FromArgb(0xFF000000u | (GetRValue(face) << 16) | (GetGValue(face) << 8) | GetBValue(face)));
    painter->FillRect(target.m_left, target.m_top, target.m_right, target.m_bottom);
    painter->DrawImage(image, nullptr, &target, GetMask(m_current));
    m_painting = false;
    return true;
}

} // namespace Windows
} // namespace gui
