#pragma once
// A token of a command line: where its characters stand in the source line, how
// many there are, and the statement it belongs to. Each kind is its own class
// (CToken_Word, CToken_Number...); its length field is as wide as the kind needs
// and keeps only the low bits of a longer length.
#include <cstdint>

namespace common {

class CToken {
public:
    virtual ~CToken();
    // The kind code: 0 for this base, 3 to 11 for the concrete kinds.
    virtual int GetKind() const;
    // The statement token the token belongs to (a statement answers itself); null
    // when it belongs to none yet.
    virtual CToken* GetStatement() const = 0;
    virtual uint32_t GetLength() const = 0;
    // Keeps the low 8, 16 or 32 bits, as the kind's field is wide.
    virtual void SetLength(uint32_t length) = 0;
    virtual void SetStatement(CToken* statement) = 0;

    // Character position of the token's first character in its source line; -1
    // when the token has not been placed.
    int32_t GetPosition() const { return m_position; }
    void SetPosition(int32_t position) { m_position = position; }

    // A new token of kind 3, 4, 5, 6, 7, 8, 9 or 11 (position -1, length 0, no
    // statement; a statement gets index -1), owned by the caller; null for any
    // other kind.
    static CToken* Create(int kind);

    CToken(const CToken&) = delete;
    CToken& operator=(const CToken&) = delete;

protected:
    CToken() = default;

private:
    int32_t m_position = -1;
};

// The common body of the kinds that belong to a statement: a length field of
// type Length and a reference to the statement token (not owned: statements
// live in the same token list).
template <int Kind, typename Length> class CStatementMemberToken : public CToken {
public:
    int GetKind() const override { return Kind; }
    CToken* GetStatement() const override { return m_statement; }
    uint32_t GetLength() const override { return m_length; }
    void SetLength(uint32_t length) override { m_length = static_cast<Length>(length); }
    void SetStatement(CToken* statement) override { m_statement = statement; }

private:
    Length m_length = 0;
    CToken* m_statement = nullptr; // not owned
};

} // namespace common
