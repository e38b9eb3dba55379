#pragma once
// A token of kind 6, which the command language does not produce.
#include "common/CToken.h"

namespace common {

class CToken_Kind6 final : public CStatementMemberToken<6, uint8_t> {
public:
    CToken_Kind6() = default;
    ~CToken_Kind6() override;
};

} // namespace common
