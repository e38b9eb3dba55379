#include "gui/windows/CCursor.h"

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
