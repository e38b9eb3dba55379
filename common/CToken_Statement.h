#pragma once
// A statement: the span of a command line that its tokens belong to. It is its
// own statement and carries its index (0 for the first statement of a line).
#include "common/CToken.h"

namespace common {

class CToken_Statement final : public CToken {
public:
    explicit CToken_Statement(int32_t index = -1) : m_index(index) {}
    ~CToken_Statement() override;

    int GetKind() const override;
    // The statement itself.
    CToken* GetStatement() const override;
    uint32_t GetLength() const override;
    void SetLength(uint32_t length) override;
    // A statement belongs to no other statement: does nothing.
    void SetStatement(CToken* statement) override;

    int32_t GetIndex() const { return m_index; }

private:
    uint32_t m_length = 0;
    int32_t m_index;
};

} // namespace common
