#include "gui/windows/CCursor.h"

#include "common/CImage.h"
#include "common/CIndexedImage_1Bpp.h"

namespace gui {
namespace Windows {

CCursor::~CCursor() {
    ReleaseHandle();
}

void CCursor::Notify(bool before) {
    if (m_callback != nullptr)
        m_callback(m_user, this, before);
}

void CCursor::ReleaseHandle() {
    if (m_kind == kKindImage && m_handle != nullptr) {
        bool last = true;
        if (m_sharedCount != nullptr) {
            --*m_sharedCount;
            last = *m_sharedCount <= 0;
        }
        if (last) {
            DestroyCursor(m_handle);
            delete m_sharedCount;
        }
    }
    m_handle = nullptr;
    m_sharedCount = nullptr;
}

void CCursor::Assign(const gui::CCursor* other) {
    const CCursor* source = dynamic_cast<const CCursor*>(other);
    if (source == nullptr || source == this || source->m_handle == m_handle)
        return;
    Notify(true);
    ReleaseHandle();
    m_kind = source->m_kind;
    m_handle = source->m_handle;
    if (m_kind == kKindImage && m_handle != nullptr) {
        CCursor* shared = const_cast<CCursor*>(source);
        if (shared->m_sharedCount == nullptr)
            shared->m_sharedCount = new int32_t(2);
        else
            ++*shared->m_sharedCount;
        m_sharedCount = shared->m_sharedCount;
    }
    Notify(false);
}

bool CCursor::CreateFromImage(const common::CImage* image, int32_t hotX, int32_t hotY, const gui::CColor& white,
                              const gui::CColor& black, const gui::CColor& transparent, const gui::CColor& inverting) {
    if (image == nullptr || image->GetWidth() == 0 || image->GetHeight() == 0)
        return false;
    common::CIndexedImage_1Bpp andMask;
    common::CIndexedImage_1Bpp xorMask;
    if (!andMask.Allocate(32, 32) || !xorMask.Allocate(32, 32))
        return false;
    auto matches = [](const gui::CColor& colour, common::ARGB pixel) {
        return !colour.m_none && colour.m_argb == pixel;
    };
    const bool noTransparent = transparent.SameAs(white);
    const bool noInverting = inverting.SameAs(black);
    for (int32_t y = 0; y < 32; ++y)
        for (int32_t x = 0; x < 32; ++x) {
            andMask.SetPixel(y, x, 1);
            xorMask.SetPixel(y, x, 0);
        }
    const int32_t width = image->GetWidth() < 32 ? image->GetWidth() : 32;
    const int32_t height = image->GetHeight() < 32 ? image->GetHeight() : 32;
    for (int32_t y = 0; y < height; ++y)
        for (int32_t x = 0; x < width; ++x) {
            common::ARGB pixel = 0;
            image->GetPixelARGB(y, x, pixel);
            int andBit = 1;
            int xorBit = 0;
            if (matches(white, pixel)) {
                andBit = 0;
                xorBit = 1;
            } else if (matches(black, pixel)) {
                andBit = 0;
                xorBit = 0;
            } else if (noTransparent || matches(transparent, pixel)) {
                andBit = 1;
                xorBit = 0;
            } else if (noInverting || matches(inverting, pixel)) {
                andBit = 1;
                xorBit = 1;
            }
            andMask.SetPixel(y, x, static_cast<uint32_t>(andBit));
            xorMask.SetPixel(y, x, static_cast<uint32_t>(xorBit));
        }
    HCURSOR handle = CreateCursor(GetModuleHandleW(nullptr), hotX, hotY, 32, 32, andMask.GetBits(), xorMask.GetBits());
    if (handle == nullptr)
        return false;
    Notify(true);
    ReleaseHandle();
    m_kind = kKindImage;
    m_handle = handle;
    Notify(false);
    return true;
}

void CCursor::Clear() {
    Notify(true);
    ReleaseHandle();
    m_kind = kKindNone;
    Notify(false);
}

bool CCursor::SetStandard(int32_t kind) {
    if (kind == m_kind)
        return true;
    Notify(true);
    ReleaseHandle();
    m_kind = kind;
    if (kind == kKindNone) {
        Clear();
        return true;
    }
    if (kind != kKindHand)
        return false;
    HCURSOR handle = LoadCursorW(nullptr, IDC_HAND);
    if (handle == nullptr)
        return false;
    Notify(true);
    m_kind = kKindHand;
    m_handle = handle;
    Notify(false);
    return true;
}

} // namespace Windows
} // namespace gui
