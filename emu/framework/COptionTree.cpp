#include "emu/framework/COptionTree.h"

namespace emu {

COptionTree::COptionTree() {}

COptionTree::~COptionTree() {}

} // namespace emu
