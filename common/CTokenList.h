#pragma once
// Splits a command line into typed tokens. The list knows no characters itself:
// a chooser picks a recogniser for the character at which a run starts, and the
// recogniser accepts characters one at a time and names the kind of the run.
// Statement tokens (kind 4) group the tokens of one statement; a line without
// statement ends gives one statement token at index 0, then the line's tokens.
#include <cstdint>
#include <list>

namespace common {

class CString;
class CToken;
class CToken_Statement;

// Kind codes a recogniser may report besides the kinds of tokens it makes.
constexpr int32_t kTokenUnnamed = 0;      // the run is an error
constexpr int32_t kTokenSkip = 2;         // the run is skipped (white space)
constexpr int32_t kTokenStatementEnd = 4; // the run ends the current statement

// Offered character c (null once the text has ended while the run was still
// being accepted), the run's first character, the number of characters accepted
// so far in the run; sets *kind while accepting. Answers whether c belongs to the run.
typedef bool (*TokenRecognizer)(const char* c, const char* runStart, int accepted, int32_t* kind);
// The recogniser for a run starting at c, or null when no token can start there.
typedef TokenRecognizer (*TokenChooser)(const char* c);
// A new token of the kind, or null.
typedef CToken* (*TokenFactory)(int kind);

class CTokenList {
public:
    CTokenList();
    virtual ~CTokenList();
    CTokenList(const CTokenList&) = delete;
    CTokenList& operator=(const CTokenList&) = delete;

    // Appends the tokens of the source's narrow text; a null factory means
    // CToken::Create. Answers -1 on success (an empty source adds nothing), else
    // the character position at which tokenising stopped (0 without a chooser);
    // tokens appended before a failure stay. A wide source whose narrow text
    // ends early (at a unit whose low byte is 0) stops there. Token positions
    // count from the start of the source, so blanks before the first token
    // change nothing.
    int32_t Tokenize(const CString& source, TokenChooser chooser, TokenFactory factory);

    int GetCount() const { return static_cast<int>(m_tokens.size()); }
    // The token at the 0-based index, null when the index is out of range;
    // stepping from the token reached last. Owned by the list.
    CToken* GetAt(int index);
    // Sets out to the token's characters in the source; false (out unchanged)
    // when there is no such token, it is empty or unplaced, or it runs past the source.
    bool GetTokenText(int index, const CString& source, CString& out);
    // Deletes every token.
    void RemoveAll();

private:
    typedef std::list<CToken*> Tokens;

    Tokens m_tokens;           // owned
    Tokens::iterator m_cursor; // the token reached last by index
    int m_cursorIndex;         // its index, -1 when unset
};

} // namespace common
