#pragma once
// One punctuation character: "," "." or ":".
#include "common/CToken.h"

namespace common {

class CToken_Punctuation final : public CStatementMemberToken<5, uint8_t> {
public:
    CToken_Punctuation() = default;
    ~CToken_Punctuation() override;
};

} // namespace common
