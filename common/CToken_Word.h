#pragma once
// A word of letters, digits and ".".
#include "common/CToken.h"

namespace common {

class CToken_Word final : public CStatementMemberToken<9, uint16_t> {
public:
    CToken_Word() = default;
    ~CToken_Word() override;
};

} // namespace common
