#include "common/CToken.h"

#include "common/CToken_Kind11.h"
#include "common/CToken_Kind3.h"
#include "common/CToken_Kind6.h"
#include "common/CToken_Number.h"
#include "common/CToken_Punctuation.h"
#include "common/CToken_QuotedString.h"
#include "common/CToken_Statement.h"
#include "common/CToken_Word.h"

namespace common {

CToken::~CToken() = default;

int CToken::GetKind() const {
    return 0;
}

CToken* CToken::Create(int kind) {
    switch (kind) {
    case 3:
        return new CToken_Kind3;
    case 4:
        return new CToken_Statement;
    case 5:
        return new CToken_Punctuation;
    case 6:
        return new CToken_Kind6;
    case 7:
        return new CToken_Number;
    case 8:
        return new CToken_QuotedString;
    case 9:
        return new CToken_Word;
    case 11:
        return new CToken_Kind11;
    default:
        return nullptr;
    }
}

} // namespace common
