#pragma once
// The Win32 brush: the portable properties plus the GDI handle, made when a
// painter first selects the brush and shared by every painter that selects it
// (counted by the use count). A property change makes the handle stale: when
// nobody uses it, it is deleted at once; otherwise the change is kept pending
// and the painters deselect it, the last of which lets it be deleted.
#include <cstdint>

#include "gui/CBrush.h"
#include "gui/windows/Win32Api.h"

namespace gui {
namespace Windows {

class CBrush : public gui::CBrush {
public:
    CBrush() = default;
    explicit CBrush(gui::CPainter* owner) : gui::CBrush(owner) {}
    // Deletes the handle.
    ~CBrush() override;

    void Changed(uint32_t mask) override;

    // A painter selects the brush: the handle (made when there is none) with one
    // more use; null when it cannot be made.
    HBRUSH Acquire();
    // A painter deselects it: one use less (never below 0); the last use applies
    // a pending change.
    void Release();

    HBRUSH GetHandle() const { return m_handle; }
    int32_t GetUseCount() const { return m_useCount; }

private:
    HBRUSH CreateHandle() const;

    HBRUSH m_handle = nullptr; // owned
    int32_t m_useCount = 0;    // painters that have the handle selected
    uint32_t m_pending = 0;    // change mask waiting for the last use to end
};

} // namespace Windows
} // namespace gui
