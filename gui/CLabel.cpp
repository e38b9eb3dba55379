#include "gui/CLabel.h"

namespace gui {

CLabel::~CLabel() = default;

} // namespace gui
