// The debugger console's lexer: the token kinds and extents that the chooser
// and its recognisers give the tokenizer, and the positions of illegal symbols.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/CNarrowString.h"
#include "common/CToken.h"
#include "common/CTokenList.h"
#include "emu/core/CEmulator.h"

namespace {

struct CTok {
    int kind;
    std::string text;
    bool operator==(const CTok& other) const { return kind == other.kind && text == other.text; }
};

std::ostream& operator<<(std::ostream& out, const CTok& token) {
    return out << token.kind << ":'" << token.text << "'";
}

enum { kPunctuation = 5, kNumber = 7, kQuoted = 8, kWord = 9 };

// The tokens after the statement token, and the tokenizer's result.
std::vector<CTok> Lex(const std::string& line, int32_t* result = nullptr) {
    const common::CNarrowString source(line.c_str());
    common::CTokenList tokens;
    const int32_t stop = tokens.Tokenize(source, &emu::CEmulator::SelectTokenScanner, nullptr);
    if (result != nullptr)
        *result = stop;
    std::vector<CTok> out;
    if (tokens.GetCount() > 0) {
        EXPECT_EQ(4, tokens.GetAt(0)->GetKind()) << "the statement token comes first";
    }
    for (int i = 1; i < tokens.GetCount(); ++i) {
        common::CNarrowString text;
        EXPECT_TRUE(tokens.GetTokenText(i, source, text));
        out.push_back({tokens.GetAt(i)->GetKind(), text.GetNarrow()});
    }
    return out;
}

TEST(ConsoleLexerTest, LinesSplitIntoTypedTokens) {
    struct CCase {
        const char* line;
        std::vector<CTok> tokens;
    };
    const CCase cases[] = {
        {"help", {{kWord, "help"}}},
        {"help 1,2", {{kWord, "help"}, {kNumber, "1"}, {kPunctuation, ","}, {kNumber, "2"}}},
        {"a.b.c", {{kWord, "a.b.c"}}},
        {".5", {{kPunctuation, "."}, {kNumber, "5"}}},
        {"12ab", {{kNumber, "12"}, {kWord, "ab"}}},
        {"x1.y2", {{kWord, "x1.y2"}}},
        {"::", {{kPunctuation, ":"}, {kPunctuation, ":"}}},
        {"mount \"my disk.img\"", {{kWord, "mount"}, {kQuoted, "\"my disk.img\""}}},
        {"\"\"", {{kQuoted, "\"\""}}},
        {"\"a\"b", {{kQuoted, "\"a\""}, {kWord, "b"}}},
        {"\"open to the end", {{kQuoted, "\"open to the end"}}},
        {"\"a-b\\c\"", {{kQuoted, "\"a-b\\c\""}}},
        {"so\tx", {{kWord, "so"}, {kWord, "x"}}},
        {"   cls", {{kWord, "cls"}}},
        {"cls \n", {{kWord, "cls"}}}, // a line feed inside a run of spaces
        {"A9z", {{kWord, "A9z"}}},
    };
    for (const CCase& c : cases) {
        int32_t result = 0;
        EXPECT_EQ(c.tokens, Lex(c.line, &result)) << c.line;
        EXPECT_EQ(-1, result) << c.line;
    }
}

TEST(ConsoleLexerTest, QuotedStringKeepsItsLength) {
    const common::CNarrowString source("\"my disk.img\"");
    common::CTokenList tokens;
    ASSERT_EQ(-1, tokens.Tokenize(source, &emu::CEmulator::SelectTokenScanner, nullptr));
    ASSERT_EQ(2, tokens.GetCount());
    EXPECT_EQ(13u, tokens.GetAt(1)->GetLength());
}

TEST(ConsoleLexerTest, EmptyAndBlankLinesGiveNoTokens) {
    for (const char* line : {"", " ", "   \t  "}) {
        int32_t result = 0;
        EXPECT_TRUE(Lex(line, &result).empty()) << "'" << line << "'";
        EXPECT_EQ(-1, result) << "'" << line << "'";
    }
}

TEST(ConsoleLexerTest, IllegalSymbolStopsAtItsPosition) {
    struct CCase {
        const char* line;
        int32_t position;
    };
    const CCase cases[] = {
        {"load-x", 4}, {"-", 0},   {"_a", 0},     {"a/b", 1}, {"a\\b", 1},  {"1+2", 1}, {"(x)", 0},      {"x=1", 1},
        {"a;", 1},     {"'q'", 0}, {"a \xC0", 2}, {"\n", 0},  {"cls\n", 3}, {"x @", 2}, {"mount a$", 7},
    };
    for (const CCase& c : cases) {
        int32_t result = -1;
        Lex(c.line, &result);
        EXPECT_EQ(c.position, result) << c.line;
    }
}

TEST(ConsoleLexerTest, ChooserPicksByFirstCharacter) {
    const char line[] = "\n a1,\"-";
    EXPECT_EQ(&emu::CEmulator::ScanLineEnd, emu::CEmulator::SelectTokenScanner(line + 0));
    EXPECT_EQ(&emu::CEmulator::ScanSpaces, emu::CEmulator::SelectTokenScanner(line + 1));
    EXPECT_EQ(&emu::CEmulator::ScanWord, emu::CEmulator::SelectTokenScanner(line + 2));
    EXPECT_EQ(&emu::CEmulator::ScanNumber, emu::CEmulator::SelectTokenScanner(line + 3));
    EXPECT_EQ(&emu::CEmulator::ScanPunctuation, emu::CEmulator::SelectTokenScanner(line + 4));
    EXPECT_EQ(&emu::CEmulator::ScanQuotedString, emu::CEmulator::SelectTokenScanner(line + 5));
    EXPECT_EQ(nullptr, emu::CEmulator::SelectTokenScanner(line + 6));
}

TEST(ConsoleLexerTest, RecognisersRefuseTheEndOfLineAndKeepTheKind) {
    const common::TokenRecognizer recognisers[] = {
        &emu::CEmulator::ScanLineEnd, &emu::CEmulator::ScanSpaces,      &emu::CEmulator::ScanNumber,
        &emu::CEmulator::ScanWord,    &emu::CEmulator::ScanPunctuation, &emu::CEmulator::ScanQuotedString,
    };
    const char start[] = "x";
    for (common::TokenRecognizer recognise : recognisers) {
        int32_t kind = 77;
        EXPECT_FALSE(recognise(nullptr, start, 1, &kind));
        EXPECT_EQ(77, kind);
    }
    int32_t kind = 77;
    const char digits[] = "5a";
    EXPECT_FALSE(emu::CEmulator::ScanNumber(digits + 1, digits, 1, &kind));
    EXPECT_EQ(77, kind) << "a refused character leaves the kind alone";
    EXPECT_TRUE(emu::CEmulator::ScanNumber(digits, digits, 0, &kind));
    EXPECT_EQ(kNumber, kind);
}

} // namespace
