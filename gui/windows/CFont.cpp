#include "gui/windows/CFont.h"

namespace gui {
namespace Windows {

void CFont::Changed(uint32_t mask) {
    // A colour or mode change alone needs no new handle.
    if (mask == kChangedColor) {
        gui::CFont::Changed(mask);
        return;
    }
    if (m_gdi.OnChanged(mask) != CSharedGdiHandle<HFONT>::Change::Deleted)
        gui::CFont::Changed(mask);
}

HFONT CFont::Acquire() {
    return m_gdi.Acquire([this] { return CreateHandle(); });
}

void CFont::Release() {
    if (const uint32_t pending = m_gdi.Release())
        Changed(pending);
}

HFONT CFont::CreateHandle() const {
    LOGFONTW font = {};
    if (GetSize() > 0) {
        if (HDC screen = GetDC(nullptr)) {
            font.lfHeight = -MulDiv(GetSize(), GetDeviceCaps(screen, LOGPIXELSY), 72);
            ReleaseDC(nullptr, screen);
        }
    }
    int32_t style = 0;
    if (GetStyle(&style)) {
        font.lfWeight = (style & kStyleBold) != 0 ? FW_BOLD : FW_NORMAL;
        font.lfItalic = (style & kStyleItalic) != 0 ? TRUE : FALSE;
    }
    font.lfCharSet = DEFAULT_CHARSET;
    const wchar_t* face = nullptr;
    switch (GetFamily()) {
    case kFamilyArial:
        face = L"Arial";
        font.lfPitchAndFamily = VARIABLE_PITCH | FF_SWISS;
        break;
    case kFamilyCourierNew:
        face = L"Courier New";
        font.lfPitchAndFamily = FIXED_PITCH | FF_MODERN;
        break;
    case kFamilyTimes:
        face = L"Times New Roman";
        font.lfPitchAndFamily = VARIABLE_PITCH | FF_ROMAN;
        break;
    case kFamilySansSerif:
        face = L"Microsoft Sans Serif";
        font.lfPitchAndFamily = VARIABLE_PITCH | FF_SWISS;
        break;
    default:
        break;
    }
    if (face != nullptr)
        lstrcpynW(font.lfFaceName, face, LF_FACESIZE);
    return CreateFontIndirectW(&font);
}

} // namespace Windows
} // namespace gui
