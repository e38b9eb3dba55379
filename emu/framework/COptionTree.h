#pragma once
// The framework's option node: menu roots and the devices' sub-menus. It is a
// plain option node; only its destructor is its own.
#include "common/COptionNode.h"

namespace emu {

class COptionTree : public common::COptionNode {
public:
    COptionTree();
    ~COptionTree() override;
};

} // namespace emu
