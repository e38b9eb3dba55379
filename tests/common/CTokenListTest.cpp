// Command tokens: the scanner loop driven by recognisers like those of the
// debugger's command language, the token kinds and the indexed list.
#include <gtest/gtest.h>

#include <cctype>
#include <string>

#include "common/CNarrowString.h"
#include "common/CToken.h"
#include "common/CTokenList.h"
#include "common/CToken_Statement.h"
#include "common/CWideString.h"

using common::CNarrowString;
using common::CToken;
using common::CTokenList;
using common::TokenRecognizer;

namespace {

// The command language's recognisers: white space skipped, runs of digits,
// words of letters, digits and ".", single punctuation, double-quoted strings;
// a line feed fails the line.
int s_endCalls = 0;

bool RefuseAll(const char*, const char*, int, int32_t*) {
    return false;
}

bool Blanks(const char* c, const char*, int, int32_t* kind) {
    if (!c || !std::isspace(static_cast<unsigned char>(*c)) || *c == '\n')
        return false;
    *kind = common::kTokenSkip;
    return true;
}

bool Digits(const char* c, const char*, int, int32_t* kind) {
    if (!c) {
        ++s_endCalls;
        return false;
    }
    if (!std::isdigit(static_cast<unsigned char>(*c)))
        return false;
    *kind = 7;
    return true;
}

bool Word(const char* c, const char*, int, int32_t* kind) {
    if (!c) {
        ++s_endCalls;
        return false;
    }
    if (!std::isalnum(static_cast<unsigned char>(*c)) && *c != '.')
        return false;
    *kind = 9;
    return true;
}

bool Punctuation(const char* c, const char*, int accepted, int32_t* kind) {
    if (!c || accepted > 0)
        return false;
    *kind = 5;
    return true;
}

// From the opening quote through the closing one; an unclosed string stays unnamed.
bool Quoted(const char* c, const char* start, int accepted, int32_t* kind) {
    if (!c || (accepted > 1 && start[accepted - 1] == '"'))
        return false;
    *kind = accepted > 0 && *c == '"' ? 8 : 0;
    return true;
}

TokenRecognizer ChooseCommandRecognizer(const char* c) {
    const unsigned char u = static_cast<unsigned char>(*c);
    if (u == '\n')
        return &RefuseAll;
    if (std::isspace(u))
        return &Blanks;
    if (std::isdigit(u))
        return &Digits;
    if (std::isalpha(u))
        return &Word;
    if (u == ',' || u == '.' || u == ':')
        return &Punctuation;
    if (u == '"')
        return &Quoted;
    return nullptr;
}

// The command language plus ";" ending a statement and "?" naming no kind.
bool StatementEnd(const char* c, const char*, int accepted, int32_t* kind) {
    if (!c || accepted > 0)
        return false;
    *kind = common::kTokenStatementEnd;
    return true;
}

bool Unnamed(const char* c, const char*, int, int32_t*) {
    return c != nullptr;
}

TokenRecognizer ChooseWithStatements(const char* c) {
    if (*c == ';')
        return &StatementEnd;
    if (*c == '?')
        return &Unnamed;
    return ChooseCommandRecognizer(c);
}

// Accepts any run as a token of the kind in s_runKind.
int32_t s_runKind = 0;
bool AnyRun(const char* c, const char*, int, int32_t* kind) {
    if (!c)
        return false;
    *kind = s_runKind;
    return true;
}
TokenRecognizer ChooseAnyRun(const char*) {
    return &AnyRun;
}

CToken* NoNumbers(int kind) {
    return kind == 7 ? nullptr : CToken::Create(kind);
}

std::string TextOf(CTokenList& list, int index, const common::CString& source) {
    CNarrowString out("unchanged");
    if (!list.GetTokenText(index, source, out))
        return "<none>";
    return out.GetNarrow();
}

struct Expected {
    int kind;
    int position;
    unsigned length;
};

void ExpectTokens(CTokenList& list, std::initializer_list<Expected> expected) {
    ASSERT_EQ(static_cast<int>(expected.size()), list.GetCount());
    int i = 0;
    for (const Expected& e : expected) {
        CToken* token = list.GetAt(i);
        ASSERT_NE(nullptr, token);
        EXPECT_EQ(e.kind, token->GetKind()) << "token " << i;
        EXPECT_EQ(e.position, token->GetPosition()) << "token " << i;
        EXPECT_EQ(e.length, token->GetLength()) << "token " << i;
        ++i;
    }
}

TEST(CTokenTest, CreateMakesEachKnownKindUnplaced) {
    for (int kind : {3, 4, 5, 6, 7, 8, 9, 11}) {
        CToken* token = CToken::Create(kind);
        ASSERT_NE(nullptr, token) << kind;
        EXPECT_EQ(kind, token->GetKind());
        EXPECT_EQ(-1, token->GetPosition());
        EXPECT_EQ(0u, token->GetLength());
        if (kind == 4) {
            token->SetStatement(nullptr); // a statement is always its own
            EXPECT_EQ(token, token->GetStatement());
            EXPECT_EQ(-1, static_cast<common::CToken_Statement*>(token)->GetIndex());
        } else {
            EXPECT_EQ(nullptr, token->GetStatement());
        }
        delete token;
    }
    for (int kind : {-1, 0, 1, 2, 10, 12, 255})
        EXPECT_EQ(nullptr, CToken::Create(kind)) << kind;
}

TEST(CTokenTest, LengthKeepsTheLowBitsOfItsKindsWidth) {
    struct {
        int kind;
        uint32_t expected;
    } const cases[] = {{3, 0x78},   {5, 0x78},       {6, 0x78},        {7, 0x5678},
                       {9, 0x5678}, {8, 0x12345678}, {11, 0x12345678}, {4, 0x12345678}};
    for (const auto& c : cases) {
        CToken* token = CToken::Create(c.kind);
        token->SetLength(0x12345678);
        EXPECT_EQ(c.expected, token->GetLength()) << "kind " << c.kind;
        delete token;
    }
}

TEST(CTokenListTest, EmptyAndBlankLinesAddNothing) {
    CTokenList list;
    EXPECT_EQ(-1, list.Tokenize(CNarrowString(""), &ChooseCommandRecognizer, nullptr));
    EXPECT_EQ(0, list.GetCount());
    EXPECT_EQ(-1, list.Tokenize(CNarrowString("   \t "), &ChooseCommandRecognizer, nullptr));
    EXPECT_EQ(0, list.GetCount());
}

TEST(CTokenListTest, WordAndNumberFollowTheStatement) {
    CTokenList list;
    CNarrowString line("DASM 100");
    s_endCalls = 0;
    EXPECT_EQ(-1, list.Tokenize(line, &ChooseCommandRecognizer, nullptr));
    ExpectTokens(list, {{4, 0, 8}, {9, 0, 4}, {7, 5, 3}});
    EXPECT_EQ(1, s_endCalls) << "the run still open at the end is offered the end once";
    auto* statement = static_cast<common::CToken_Statement*>(list.GetAt(0));
    EXPECT_EQ(0, statement->GetIndex());
    EXPECT_EQ(statement, list.GetAt(1)->GetStatement());
    EXPECT_EQ(statement, list.GetAt(2)->GetStatement());
    EXPECT_EQ("DASM", TextOf(list, 1, line));
    EXPECT_EQ("100", TextOf(list, 2, line));
    EXPECT_EQ("DASM 100", TextOf(list, 0, line));
}

TEST(CTokenListTest, EveryKindOfTheCommandLanguage) {
    CTokenList list;
    CNarrowString line("LOAD \"a b.sav\",2:x1.y");
    EXPECT_EQ(-1, list.Tokenize(line, &ChooseCommandRecognizer, nullptr));
    ExpectTokens(list, {{4, 0, 21}, {9, 0, 4}, {8, 5, 9}, {5, 14, 1}, {7, 15, 1}, {5, 16, 1}, {9, 17, 4}});
    const char* texts[] = {"LOAD", "\"a b.sav\"", ",", "2", ":", "x1.y"};
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(texts[i], TextOf(list, i + 1, line));
}

TEST(CTokenListTest, LeadingBlanksStillGiveExactTokenText) {
    CTokenList list;
    CNarrowString line("   MOUNT  1 \"disk.img\"  ");
    EXPECT_EQ(-1, list.Tokenize(line, &ChooseCommandRecognizer, nullptr));
    ExpectTokens(list, {{4, 0, 24}, {9, 3, 5}, {7, 10, 1}, {8, 12, 10}});
    EXPECT_EQ("MOUNT", TextOf(list, 1, line));
    EXPECT_EQ("1", TextOf(list, 2, line));
    EXPECT_EQ("\"disk.img\"", TextOf(list, 3, line));
}

TEST(CTokenListTest, FailuresReportWhereTokenisingStopped) {
    struct {
        const char* line;
        int32_t result;
        int tokens; // statement included
    } const cases[] = {
        {"go $", 3, 2},       // no recogniser for "$"
        {"A\nB", 1, 2},       // a line feed is refused
        {"\n", 0, 0},         // a run of no characters
        {"S 1 \"open", 4, 3}, // an unclosed string names no kind: its start
        {"  ? x", 2, 0},      // a recogniser that names no kind
    };
    for (const auto& c : cases) {
        CTokenList list;
        EXPECT_EQ(c.result, list.Tokenize(CNarrowString(c.line), &ChooseWithStatements, nullptr)) << c.line;
        EXPECT_EQ(c.tokens, list.GetCount()) << c.line;
    }
}

TEST(CTokenListTest, MissingChooserStopsAtZero) {
    CTokenList list;
    EXPECT_EQ(0, list.Tokenize(CNarrowString("CPU"), nullptr, nullptr));
    EXPECT_EQ(0, list.GetCount());
}

TEST(CTokenListTest, FactoryWithoutTokenStopsAtTheRunsStart) {
    CTokenList list;
    EXPECT_EQ(5, list.Tokenize(CNarrowString("STEP 12"), &ChooseCommandRecognizer, &NoNumbers));
    ExpectTokens(list, {{4, 0, 5}, {9, 0, 4}});
}

TEST(CTokenListTest, LongRunsKeepTheLowBitsOfTheirLength) {
    const std::string run(300, '#');
    CTokenList list;
    s_runKind = 5;
    EXPECT_EQ(-1, list.Tokenize(CNarrowString(run.c_str()), &ChooseAnyRun, nullptr));
    ASSERT_EQ(2, list.GetCount());
    EXPECT_EQ(300u - 256u, list.GetAt(1)->GetLength());
    EXPECT_EQ(300u, list.GetAt(0)->GetLength());
    s_runKind = 8;
    list.RemoveAll();
    EXPECT_EQ(-1, list.Tokenize(CNarrowString(run.c_str()), &ChooseAnyRun, nullptr));
    EXPECT_EQ(300u, list.GetAt(1)->GetLength());
}

TEST(CTokenListTest, StatementEndsOpenNewStatements) {
    CTokenList list;
    CNarrowString line("A 1;;B");
    EXPECT_EQ(-1, list.Tokenize(line, &ChooseWithStatements, nullptr));
    // The empty statement between the two ends is not kept.
    ExpectTokens(list, {{4, 0, 4}, {9, 0, 1}, {7, 2, 1}, {4, 5, 1}, {9, 5, 1}});
    auto* first = static_cast<common::CToken_Statement*>(list.GetAt(0));
    auto* second = static_cast<common::CToken_Statement*>(list.GetAt(3));
    EXPECT_EQ(0, first->GetIndex());
    EXPECT_GT(second->GetIndex(), 0);
    EXPECT_EQ(first, list.GetAt(2)->GetStatement());
    EXPECT_EQ(second, list.GetAt(4)->GetStatement());
    EXPECT_EQ("B", TextOf(list, 4, line));
}

TEST(CTokenListTest, GetAtWalksBothWaysAndRefusesOutOfRange) {
    CTokenList list;
    list.Tokenize(CNarrowString("a b c d"), &ChooseCommandRecognizer, nullptr);
    ASSERT_EQ(5, list.GetCount());
    CToken* byIndex[5];
    for (int i = 0; i < 5; ++i)
        byIndex[i] = list.GetAt(i);
    for (int i : {4, 2, 3, 0, 1, 1, 4})
        EXPECT_EQ(byIndex[i], list.GetAt(i)) << i;
    EXPECT_EQ(nullptr, list.GetAt(5));
    EXPECT_EQ(nullptr, list.GetAt(-1));
    EXPECT_EQ(byIndex[3], list.GetAt(3)) << "a refused index leaves the walk intact";
}

TEST(CTokenListTest, TokenTextRefusesWhatIsNotThere) {
    CTokenList list;
    CNarrowString line("DASM 100");
    list.Tokenize(line, &ChooseCommandRecognizer, nullptr);
    EXPECT_EQ("<none>", TextOf(list, 3, line));
    EXPECT_EQ("<none>", TextOf(list, -1, line));
    EXPECT_EQ("<none>", TextOf(list, 2, CNarrowString("DASM 1")));
    EXPECT_EQ("<none>", TextOf(list, 1, CNarrowString("")));
}

TEST(CTokenListTest, TokenizeAppendsAndRemoveAllEmpties) {
    CTokenList list;
    list.Tokenize(CNarrowString("CPU"), &ChooseCommandRecognizer, nullptr);
    list.Tokenize(CNarrowString("GO 10"), &ChooseCommandRecognizer, nullptr);
    EXPECT_EQ(5, list.GetCount());
    list.RemoveAll();
    EXPECT_EQ(0, list.GetCount());
    EXPECT_EQ(nullptr, list.GetAt(0));
}

TEST(CTokenListTest, WideSourceIsTokenisedThroughItsNarrowText) {
    CTokenList list;
    common::CWideString line(u"S 12");
    EXPECT_EQ(-1, list.Tokenize(line, &ChooseCommandRecognizer, nullptr));
    ExpectTokens(list, {{4, 0, 4}, {9, 0, 1}, {7, 2, 2}});
    EXPECT_EQ("12", TextOf(list, 2, line));

    // U+0100 has no narrow form (its low byte ends the narrow text): tokenising stops there.
    CTokenList cut;
    common::CWideString unreadable(u"GO 1\u0100 2");
    EXPECT_EQ(4, cut.Tokenize(unreadable, &ChooseCommandRecognizer, nullptr));
    ExpectTokens(cut, {{4, 0, 4}, {9, 0, 2}, {7, 3, 1}});
    EXPECT_EQ("<none>", TextOf(cut, 2, common::CWideString(u"GO \u0100")));
}

} // namespace
