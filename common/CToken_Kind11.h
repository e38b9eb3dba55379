#pragma once
// A token of kind 11, which the command language does not produce.
#include "common/CToken.h"

namespace common {

class CToken_Kind11 final : public CStatementMemberToken<11, uint32_t> {
public:
    CToken_Kind11() = default;
    ~CToken_Kind11() override;
};

} // namespace common
