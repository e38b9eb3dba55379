#include "gui/CCursor.h"

namespace gui {

CCursor::~CCursor() = default;

} // namespace gui
