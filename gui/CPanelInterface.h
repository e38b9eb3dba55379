#pragma once
// A bordered container control: it holds other widgets and draws a raised,
// sunken, etched or bump border on the sides that are switched on.
#include <cstdint>

#include "gui/CControlContainerInterface.h"

namespace gui {

class CPanelInterface : public virtual CControlContainerInterface {
public:
    enum : int32_t { kBorderNone = 0, kBorderRaised = 1, kBorderSunken = 2, kBorderEtched = 3, kBorderBump = 4 };

    virtual int32_t GetBorderStyle() const = 0;
    virtual void SetBorderStyle(int32_t style) = 0;
    virtual void SetBorderSides(bool left, bool top, bool right, bool bottom) = 0;
};

} // namespace gui
