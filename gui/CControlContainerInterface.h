#pragma once
// A control that is also a container (a panel, for example).
#include "gui/CContainerInterface.h"
#include "gui/CControlInterface.h"

namespace gui {

class CControlContainerInterface : public virtual CControlInterface, public virtual CContainerInterface {};

} // namespace gui
