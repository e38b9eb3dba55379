#pragma once
// The Win32 pen: the portable properties plus the GDI handle, made when a
// painter first selects the pen and shared by every painter that selects it
// (counted by the use count). A property change makes the handle stale: when
// nobody uses it, it is deleted at once; otherwise the change is kept pending
// and the painters deselect it, the last of which lets it be deleted.
#include <cstdint>

#include "gui/CPen.h"
#include "gui/windows/CSharedGdiHandle.h"
#include "gui/windows/Win32Api.h"

namespace gui {
namespace Windows {

class CPen : public gui::CPen {
public:
    CPen() = default;
    explicit CPen(gui::CPainter* owner) : gui::CPen(owner) {}

    void Changed(uint32_t mask) override;

    // A painter selects the pen: the handle (made when there is none) with one
    // more use; null when it cannot be made.
    HPEN Acquire();
    // A painter deselects it: one use less (never below 0); the last use applies
    // a pending change.
    void Release();

    HPEN GetHandle() const { return m_gdi.Get(); }
    int32_t GetUseCount() const { return m_gdi.GetUseCount(); }

private:
    HPEN CreateHandle() const;

    CSharedGdiHandle<HPEN> m_gdi; // the handle, its users and a pending change
};

} // namespace Windows
} // namespace gui
