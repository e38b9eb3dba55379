#include "common/CToken_Statement.h"

namespace common {

CToken_Statement::~CToken_Statement() = default;

int CToken_Statement::GetKind() const {
    return 4;
}

CToken* CToken_Statement::GetStatement() const {
    return const_cast<CToken_Statement*>(this);
}

uint32_t CToken_Statement::GetLength() const {
    return m_length;
}

void CToken_Statement::SetLength(uint32_t length) {
    m_length = length;
}

void CToken_Statement::SetStatement(CToken*) {}

} // namespace common
