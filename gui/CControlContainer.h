#pragma once
// The portable part of a control that is also a container (the panel, for
// example). Its state is that of CControl and CContainer, which the Win32 class
// brings together with the Win32 widget.
#include "gui/CControlContainerInterface.h"

namespace gui {

class CControlContainer : public virtual CControlContainerInterface {
public:
    CControlContainer() = default;
    ~CControlContainer() override;
};

} // namespace gui
