#pragma once
// A widget that lives inside a container: it has a parent, a dock alignment and
// a priority group for the dock layout (see CContainer), an enabled state and a
// tooltip text. The interface keeps the rectangle given to the control's
// constructor (in pixels), which the dock layout reads for alignment 15.
#include <cstdint>

#include "common/CWideString.h"
#include "gui/CWidgetInterface.h"

namespace gui {

class CContainerInterface;
class CFont;

class CControlInterface : public virtual CWidgetInterface {
public:
    // Stores the owning container; refused (false) once the control is created.
    virtual bool SetParent(CContainerInterface* container) = 0;
    // Redraws the control.
    virtual void Refresh() = 0;
    // The widget's IsWindowless.
    virtual bool IsWindowlessControl() const;
    // Places the control at its stored rectangle (alignment 0 in the dock layout).
    virtual void ApplyStoredRect(CContainerInterface* container) = 0;
    // The font to paint with: the font of the nearest ancestor container, up to and
    // including the top-level window, that is not in its default state; null when none.
    virtual CFont* GetPaintFont();
    virtual int32_t GetAlignment() const = 0;
    virtual void SetAlignment(int32_t alignment) = 0;
    virtual int32_t GetPriorityGroup() const = 0;
    // False when refused (a non-zero group for alignment 0, 5 or 6, or a group outside 0..4).
    virtual bool SetPriorityGroup(int32_t group) = 0;
    virtual bool IsEnabled(bool includeAncestors) = 0;
    virtual void SetEnabled(bool enabled) = 0;
    virtual common::CWideString GetTooltipText() const = 0;
    virtual void SetTooltipText(const common::CWideString& text) = 0;

    // The rectangle given to the constructor, in pixels.
    void GetConstructionRect(int32_t* x, int32_t* y, int32_t* width, int32_t* height) const;

protected:
    void SetConstructionRect(int32_t x, int32_t y, int32_t width, int32_t height);

private:
    int32_t m_constructX = 0;
    int32_t m_constructY = 0;
    int32_t m_constructWidth = 0;
    int32_t m_constructHeight = 0;
};

} // namespace gui
