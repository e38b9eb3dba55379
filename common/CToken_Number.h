#pragma once
// A run of decimal digits.
#include "common/CToken.h"

namespace common {

class CToken_Number final : public CStatementMemberToken<7, uint16_t> {
public:
    CToken_Number() = default;
    ~CToken_Number() override;
};

} // namespace common
