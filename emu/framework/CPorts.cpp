#include "emu/framework/CPorts.h"

namespace emu {

CPorts::CPorts() {
    SetName("_PORT");
}

CPorts::~CPorts() {}

} // namespace emu
