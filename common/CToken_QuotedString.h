#pragma once
// A double-quoted string, both quotes included.
#include "common/CToken.h"

namespace common {

class CToken_QuotedString final : public CStatementMemberToken<8, uint32_t> {
public:
    CToken_QuotedString() = default;
    ~CToken_QuotedString() override;
};

} // namespace common
