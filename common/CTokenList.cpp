#include "common/CTokenList.h"

#include <cstring>
#include <iterator>
#include <memory>

#include "common/CString.h"
#include "common/CToken.h"
#include "common/CToken_Statement.h"

namespace common {

CTokenList::CTokenList() : m_cursor(m_tokens.end()), m_cursorIndex(-1) {}

CTokenList::~CTokenList() {
    RemoveAll();
}

void CTokenList::RemoveAll() {
    for (CToken* token : m_tokens)
        delete token;
    m_tokens.clear();
    m_cursor = m_tokens.end();
    m_cursorIndex = -1;
}

CToken* CTokenList::GetAt(int index) {
    if (index < 0 || index >= GetCount())
        return nullptr;
    if (m_cursorIndex == -1) {
        m_cursor = m_tokens.begin();
        m_cursorIndex = 0;
    }
    std::advance(m_cursor, index - m_cursorIndex);
    m_cursorIndex = index;
    return *m_cursor;
}

bool CTokenList::GetTokenText(int index, const CString& source, CString& out) {
    const char* text = source.GetNarrow();
    CToken* token = GetAt(index);
    if (!token || !text || source.IsEmpty())
        return false;
    const int64_t position = token->GetPosition();
    const int64_t length = token->GetLength();
    if (length <= 0 || position < 0 || position + length > source.GetLength())
        return false;
    // A wide source's narrow text may end early (at a unit whose low byte is 0).
    if (source.GetCharSize() != 1 && static_cast<size_t>(position + length) > std::strlen(text))
        return false;
    out.AssignNarrow(text + position, static_cast<int>(length));
    return true;
}

int32_t CTokenList::Tokenize(const CString& source, TokenChooser chooser, TokenFactory factory) {
    if (source.IsEmpty())
        return -1;
    const char* text = source.GetNarrow();
    if (!text || !chooser)
        return 0;
    if (!factory)
        factory = &CToken::Create;
    // A narrow source may hold NUL bytes, which are offered like any character.
    // A wide source's narrow copy ends at its first unit whose low byte is 0:
    // nothing past it can be read, so tokenising stops there.
    const int32_t sourceLength = source.GetLength();
    int32_t length = sourceLength;
    if (source.GetCharSize() != 1 && std::strlen(text) < static_cast<size_t>(length))
        length = static_cast<int32_t>(std::strlen(text));

    // The open statement joins the list with its first token; until then it is ours.
    std::unique_ptr<CToken_Statement> pending(new CToken_Statement(0));
    pending->SetPosition(0);
    CToken_Statement* statement = pending.get();
    int32_t pos = 0;
    // A statement spans what was tokenised of it, up to end.
    auto closeStatement = [&](int32_t end) {
        statement->SetLength(static_cast<uint32_t>(end - statement->GetPosition()));
    };

    while (pos < length) {
        TokenRecognizer recognizer = chooser(text + pos);
        if (!recognizer) {
            closeStatement(pos);
            return pos;
        }
        const int32_t start = pos;
        int32_t n = 0;
        int32_t kind = kTokenUnnamed;
        for (;;) {
            if (pos >= length) {
                recognizer(nullptr, text + start, n, &kind);
                break;
            }
            if (!recognizer(text + pos, text + start, n, &kind))
                break;
            ++pos;
            ++n;
        }
        if (n == 0 || kind == kTokenUnnamed) {
            closeStatement(start);
            return start;
        }
        if (kind == kTokenSkip)
            continue;
        if (kind == kTokenStatementEnd) {
            closeStatement(pos);
            const int32_t next = statement->GetIndex() + 1;
            pending.reset(new CToken_Statement(next)); // drops a statement that got no token
            pending->SetPosition(pos);
            statement = pending.get();
            continue;
        }
        CToken* token = factory(kind);
        if (!token) {
            closeStatement(start);
            return start;
        }
        if (pending)
            m_tokens.push_back(pending.release());
        token->SetLength(static_cast<uint32_t>(n));
        token->SetStatement(statement);
        token->SetPosition(start);
        m_tokens.push_back(token);
    }
    closeStatement(pos);
    return length < sourceLength ? length : -1;
}

} // namespace common
