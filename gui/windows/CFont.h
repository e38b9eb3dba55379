#pragma once
// The Win32 font: the portable properties plus the GDI handle, made when a
// painter first selects the font and shared by every painter that selects it
// (counted by the use count). A property change makes the handle stale: when
// nobody uses it, it is deleted at once; otherwise the change is kept pending
// and the painters deselect it, the last of which lets it be deleted.
#include <cstdint>

#include "gui/CFont.h"
#include "gui/windows/CSharedGdiHandle.h"
#include "gui/windows/Win32Api.h"

namespace gui {
namespace Windows {

class CFont : public gui::CFont {
public:
    CFont() = default;
    explicit CFont(gui::CPainter* owner) : gui::CFont(owner) {}

    void Changed(uint32_t mask) override;

    // A painter selects the font: the handle (made when there is none) with one
    // more use; null when it cannot be made.
    HFONT Acquire();
    // A painter deselects it: one use less (never below 0); the last use applies
    // a pending change.
    void Release();

    HFONT GetHandle() const { return m_gdi.Get(); }
    int32_t GetUseCount() const { return m_gdi.GetUseCount(); }

private:
    HFONT CreateHandle() const;

    CSharedGdiHandle<HFONT> m_gdi; // the handle, its users and a pending change
};

} // namespace Windows
} // namespace gui
