#pragma once
// A token of kind 3, which the command language does not produce.
#include "common/CToken.h"

namespace common {

class CToken_Kind3 final : public CStatementMemberToken<3, uint8_t> {
public:
    CToken_Kind3() = default;
    ~CToken_Kind3() override;
};

} // namespace common
