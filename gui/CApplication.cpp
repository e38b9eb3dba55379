#include "gui/CApplication.h"

namespace gui {

CApplication::~CApplication() = default;

} // namespace gui
