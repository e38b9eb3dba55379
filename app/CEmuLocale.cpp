#include "app/CEmuLocale.h"

namespace emu {

CEmuLocale::CEmuLocale() = default;

CEmuLocale::~CEmuLocale() = default;

} // namespace emu
