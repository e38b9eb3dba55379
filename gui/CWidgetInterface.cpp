#include "gui/CWidgetInterface.h"

namespace gui {

CWidgetInterface::~CWidgetInterface() = default;

} // namespace gui
