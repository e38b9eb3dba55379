#pragma once
// The GDI handle behind a font, pen or brush: made when a painter first selects
// the object and shared by every painter that selects it (the use count). A
// property change makes the handle stale: with no user it is deleted at once;
// otherwise the change waits until the last user deselects it.
#include <cstdint>

#include "gui/windows/Win32Api.h"

namespace gui {
namespace Windows {

template <typename THandle>
class CSharedGdiHandle {
public:
    // What a property change did to the handle.
    enum class Change { NoHandle, Pending, Deleted };

    CSharedGdiHandle() = default;
    CSharedGdiHandle(const CSharedGdiHandle&) = delete;
    CSharedGdiHandle& operator=(const CSharedGdiHandle&) = delete;
    ~CSharedGdiHandle() {
        if (m_handle != nullptr)
            DeleteObject(m_handle);
    }

    Change OnChanged(uint32_t mask) {
        if (m_handle != nullptr && m_useCount != 0) {
            m_pending |= mask;
            return Change::Pending;
        }
        if (m_handle != nullptr) {
            DeleteObject(m_handle);
            m_handle = nullptr;
            m_pending = 0;
            return Change::Deleted;
        }
        return Change::NoHandle;
    }

    // One more use of the handle, made by make() when there is none; null when
    // it cannot be made.
    template <typename TMake>
    THandle Acquire(TMake make) {
        if (m_handle == nullptr) {
            m_handle = make();
            if (m_handle == nullptr)
                return nullptr;
            m_useCount = 0;
            m_pending = 0;
        }
        ++m_useCount;
        return m_handle;
    }

    // One use less (never below 0); answers the change mask that waited for the
    // last use to end (0 when none), which the owner then applies.
    uint32_t Release() {
        if (m_useCount > 0)
            --m_useCount;
        if (m_useCount != 0 || m_pending == 0)
            return 0;
        const uint32_t pending = m_pending;
        m_pending = 0;
        return pending;
    }

    THandle Get() const { return m_handle; }
    int32_t GetUseCount() const { return m_useCount; }

private:
    THandle m_handle = nullptr; // owned
    int32_t m_useCount = 0;     // painters that have the handle selected
    uint32_t m_pending = 0;     // change mask waiting for the last use to end
};

} // namespace Windows
} // namespace gui
