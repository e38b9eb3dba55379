#pragma once
// The Win32 cursor object of a widget: a cursor kind and its handle. It calls
// its change callback with before = true just before the cursor changes and
// with false just after, so that the widget applies it at once while the mouse
// is over it. Handles of the system's standard cursors are never destroyed.
// A cursor made from an image (kind 1) may share its handle with copies made
// by Assign; the last holder destroys it.
#include <cstdint>

#include "gui/CCursor.h"
#include "gui/windows/Win32Api.h"

namespace gui {
namespace Windows {

class CCursor : public gui::CCursor {
public:
    typedef void (*ChangeCallback)(void* user, CCursor* cursor, bool before);

    CCursor(ChangeCallback callback, void* user) : m_callback(callback), m_user(user) {}
    // Releases the handle; tells nobody.
    ~CCursor() override;
    CCursor(const CCursor&) = delete;
    CCursor& operator=(const CCursor&) = delete;

    void Assign(const gui::CCursor* other) override;
    void Clear() override;
    bool CreateFromImage(const common::CImage* image, int32_t hotX, int32_t hotY, const gui::CColor& white,
                         const gui::CColor& black, const gui::CColor& transparent,
                         const gui::CColor& inverting) override;
    bool SetStandard(int32_t kind) override;
    int32_t GetKind() const override { return m_kind; }
    HCURSOR GetHandle() const { return m_handle; }

private:
    void Notify(bool before);
    void ReleaseHandle();

    ChangeCallback m_callback;
    void* m_user; // the widget; not owned
    int32_t m_kind = kKindNone;
    HCURSOR m_handle = nullptr;       // owned for kind 1 (shared by m_sharedCount)
    int32_t* m_sharedCount = nullptr; // owned with the last holder of a shared handle
};

} // namespace Windows
} // namespace gui
