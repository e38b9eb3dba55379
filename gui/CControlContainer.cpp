#include "gui/CControlContainer.h"

namespace gui {

CControlContainer::~CControlContainer() = default;

} // namespace gui
