#include "gui/windows/CFont.h"

namespace gui {
namespace Windows {

CFont::~CFont() {
    if (m_handle != nullptr)
        DeleteObject(m_handle);
}

void CFont::Changed(uint32_t mask) {
    // A colour or mode change alone needs no new handle.
    if (mask == kChangedColor) {
        gui::CFont::Changed(mask);
        return;
    }
    if (m_handle != nullptr && m_useCount != 0) {
        m_pending |= mask;
        gui::CFont::Changed(mask);
        return;
    }
    if (m_handle != nullptr) {
        DeleteObject(m_handle);
        m_handle = nullptr;
        m_pending = 0;
        return;
    }
    gui::CFont::Changed(mask);
}

HFONT CFont::Acquire() {
    if (m_handle == nullptr) {
        m_handle = CreateHandle();
        if (m_handle == nullptr)
            return nullptr;
        m_useCount = 0;
        m_pending = 0;
    }
    ++m_useCount;
    return m_handle;
}

void CFont::Release() {
    if (m_useCount > 0)
        --m_useCount;
    if (m_useCount == 0 && m_pending != 0) {
        const uint32_t pending = m_pending;
        m_pending = 0;
        Changed(pending);
    }
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
