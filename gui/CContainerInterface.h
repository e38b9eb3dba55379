#pragma once
// A widget that holds child controls and arranges them with the dock layout.
// A container owns its children: it deletes them when it goes (DeleteChild,
// DeleteAllChildren and its destructor).
#include <cstdint>

#include "gui/CWidgetInterface.h"

namespace gui {

class CControlInterface;
class CFont;

class CContainerInterface : public virtual CWidgetInterface {
public:
    // Refresh of every child, first to last.
    virtual void BroadcastToChildren();
    // Takes ownership; false for null, the container itself or a child of another container.
    virtual bool AddChild(CControlInterface* child) = 0;
    // Gives up a child (its window destroyed, its parent cleared); the caller owns it again.
    virtual bool RemoveChild(CControlInterface* child) = 0;
    virtual bool DeleteChild(CControlInterface* child) = 0;
    virtual void DeleteAllChildren() = 0;
    virtual int32_t GetChildCount() const = 0;
    // Null for an index outside 0 .. count - 1.
    virtual CControlInterface* GetChild(int32_t index) const = 0;
    virtual void Layout() = 0;
    // The last visible child whose rectangle holds the point (client coordinates).
    virtual CControlInterface* GetChildAt(int32_t x, int32_t y) = 0;
    // The container's font, which children without a font of their own paint with.
    virtual CFont& GetFont() = 0;
    virtual void SetPadding(int32_t left, int32_t top, int32_t right, int32_t bottom) = 0;
    virtual void RequestLayout() = 0;
};

} // namespace gui
