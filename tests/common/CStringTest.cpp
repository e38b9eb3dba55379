#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "common/CNarrowString.h"
#include "common/CWideString.h"

using common::CNarrowString;
using common::CString;
using common::CWideString;
using common::WChar;
using common::WideText;

namespace {

std::string Text(const CString& s) {
    return s.GetNarrow();
}

std::string Bytes(const char* data, size_t length) {
    return std::string(data, length);
}

// "Привет" in code page 1251 and in code page 866.
const char kRussian1251[] = "\xCF\xF0\xE8\xE2\xE5\xF2";
const char kRussian866[] = "\x8F\xE0\xA8\xA2\xA5\xE2";

} // namespace

// ---- Behaviour shared by both widths -------------------------------------

template <typename T> class StringBothWidths : public ::testing::Test {};
using StringTypes = ::testing::Types<CNarrowString, CWideString>;
TYPED_TEST_SUITE(StringBothWidths, StringTypes);

TYPED_TEST(StringBothWidths, SubstringClipsAndThrowsBeyondEnd) {
    const TypeParam s("abcdef");
    struct Case {
        int pos, count;
        const char* expected;
    } cases[] = {{-2, 4, "ab"}, {2, 100, "cdef"}, {6, 1, ""}, {1, 0, ""}, {-5, 5, ""}, {0, 6, "abcdef"}, {3, -1, ""}};
    for (const Case& c : cases) {
        std::unique_ptr<TypeParam> sub(s.Substring(c.pos, c.count));
        EXPECT_EQ(c.expected, Text(*sub)) << c.pos << "," << c.count;
        EXPECT_EQ(s.GetKind(), sub->GetKind());
    }
    EXPECT_THROW(delete s.Substring(7, 1), std::out_of_range);
}

TYPED_TEST(StringBothWidths, EraseClipsAndThrowsBeyondEnd) {
    struct Case {
        int pos, count;
        const char* expected;
    } cases[] = {{-1, 2, "bc"}, {1, 100, "a"}, {0, 0, "abc"}, {-3, 3, "abc"}, {3, 5, "abc"}, {1, 1, "ac"}};
    for (const Case& c : cases) {
        TypeParam s("abc");
        s.Erase(c.pos, c.count);
        EXPECT_EQ(c.expected, Text(s)) << c.pos << "," << c.count;
    }
    TypeParam s("abc");
    EXPECT_THROW(s.Erase(4, 1), std::out_of_range);
    s.Erase(4, 0);
    EXPECT_EQ("abc", Text(s));
}

TYPED_TEST(StringBothWidths, InsertPlacesTextOrAppends) {
    struct Case {
        const char* start;
        int pos;
        const char* expected;
    } cases[] = {{"abc", 1, "aXYbc"},  {"abc", 3, "abcXY"}, {"abc", 9, "abcXY"},
                 {"abc", -3, "XYabc"}, {"", 5, "XY"},       {"abc", 0, "XYabc"}};
    for (const Case& c : cases) {
        TypeParam s(c.start);
        s.Insert("XY", c.pos);
        EXPECT_EQ(c.expected, Text(s)) << c.start << " at " << c.pos;
    }
    TypeParam s("abc");
    s.Insert(nullptr, 1);
    s.InsertChar('-', 2);
    EXPECT_EQ("ab-c", Text(s));
}

TYPED_TEST(StringBothWidths, FindAndReverseFindCoverTheirRanges) {
    const TypeParam s("a.b.c");
    EXPECT_EQ(3, s.ReverseFind('.', -1));
    EXPECT_EQ(1, s.ReverseFind('.', 3));
    EXPECT_EQ(3, s.ReverseFind('.', 99)); // beyond the length: whole string
    EXPECT_EQ(-1, s.ReverseFind('.', 0));
    EXPECT_EQ(3, s.Find('.', 2));
    EXPECT_EQ(1, s.Find('.', -7));
    EXPECT_EQ(-1, s.Find('.', 4));
    EXPECT_EQ(3, s.FindWide(u'.', 2));
    EXPECT_EQ(1, s.ReverseFindWide(u'.', 3));
    EXPECT_EQ(-1, TypeParam("abc").Find('x', 10));
    EXPECT_EQ(-1, TypeParam("").ReverseFind('x', -1));
    // A byte of 0x80 or more finds its unit on either width.
    const TypeParam russian(kRussian1251);
    EXPECT_EQ(2, russian.Find('\xE8', 0));
    EXPECT_EQ(5, russian.ReverseFindWide(WChar(0xF2), -1));
}

TYPED_TEST(StringBothWidths, TrimRemovesCLocaleWhiteSpaceOnly) {
    struct Case {
        const char* start;
        const char* expected;
    } cases[] = {{"  a b \t", "a b"},       {"   ", ""}, {"", ""}, {"\n\v\f\rx\r\n", "x"}, {"x", "x"},
                 {"\xA0x\xA0", "\xA0x\xA0"}}; // no-break space is not white space in the "C" locale
    for (const Case& c : cases) {
        TypeParam s(c.start);
        s.Trim();
        EXPECT_EQ(c.expected, Text(s)) << c.start;
    }
}

TYPED_TEST(StringBothWidths, MakeUpperChangesOnlyAsciiLetters) {
    TypeParam s("az AZ 09 \xE0\xEF{");
    s.MakeUpper();
    EXPECT_EQ("AZ AZ 09 \xE0\xEF{", Text(s));
}

TYPED_TEST(StringBothWidths, TailEqualsComparesLastCharacters) {
    EXPECT_TRUE(TypeParam("file.sav").TailEquals(CNarrowString("x.sav"), 4));
    EXPECT_TRUE(TypeParam("file.sav").TailEquals(CWideString("x.sav"), 4));
    EXPECT_FALSE(TypeParam("file.sav").TailEquals(CWideString("x.sa_"), 4));
    EXPECT_TRUE(TypeParam("ab").TailEquals(CNarrowString("cd"), 5)); // both shorter, equal lengths
    EXPECT_FALSE(TypeParam("ab").TailEquals(CWideString("abc"), 5)); // both shorter, lengths differ
    EXPECT_TRUE(TypeParam("ab").TailEquals(CWideString("xyz"), 0));
    EXPECT_TRUE(TypeParam("abc").TailEquals(CNarrowString("abc"), 3)); // n equal to both lengths
}

TYPED_TEST(StringBothWidths, CharAtAnswersZeroOutsideTheText) {
    const TypeParam s("a\xE0");
    EXPECT_EQ('a', s.GetCharAt(0));
    EXPECT_EQ('\xE0', s.GetCharAt(1));
    EXPECT_EQ(WChar(0xE0), s.GetWideCharAt(1));
    EXPECT_EQ(0, s.GetCharAt(2));
    EXPECT_EQ(0, s.GetCharAt(-1));
    EXPECT_EQ(0, s.GetWideCharAt(2));
    EXPECT_EQ(0, s.GetWideCharAt(-1));
}

TYPED_TEST(StringBothWidths, EveryChangeRefreshesTheOtherWidth) {
    // Each step changes the text; the converted copy must follow every one.
    std::vector<std::function<void(CString&)>> steps = {
        [](CString& s) { s.AppendNarrow("x"); },
        [](CString& s) { s.AssignNarrow("hello world", 5); },
        [](CString& s) { s.AppendWide(u"!?"); },
        [](CString& s) { s.Insert("[", 0); },
        [](CString& s) { s.InsertChar(']', 99); },
        [](CString& s) { s.Erase(0, 1); },
        [](CString& s) { s.AppendString(CWideString(" tail ")); },
        [](CString& s) { s.Trim(); },
        [](CString& s) { s.MakeUpper(); },
        [](CString& s) { s.AppendNarrowString(CNarrowString("n")); },
        [](CString& s) { s.AppendWideString(CWideString("w")); },
        [](CString& s) { s.AppendFormat("%d", 42); },
        [](CString& s) { s.AssignWide(u"wide"); },
        [](CString& s) { s.AssignString(CNarrowString("narrow")); },
        [](CString& s) { s.AssignNarrowString(CNarrowString("ns")); },
        [](CString& s) { s.AssignWideString(CWideString("ws")); },
        [](CString& s) { s.Clear(); },
    };
    TypeParam s("start");
    std::string expected = "start";
    for (size_t i = 0; i < steps.size(); ++i) {
        // Build both caches, change, then read both widths again.
        (void)s.GetWide();
        (void)s.GetNarrow();
        steps[i](s);
        std::string narrow = s.GetNarrow();
        EXPECT_EQ(common::NarrowToWide(narrow.c_str()), WideText(s.GetWide())) << "step " << i;
        EXPECT_EQ(size_t(s.GetLength()), narrow.size()) << "step " << i;
        EXPECT_NE(expected, narrow) << "step " << i << " changed nothing";
        expected = narrow;
    }
    EXPECT_EQ("", expected);
}

TYPED_TEST(StringBothWidths, SelfOperationsStayConsistent) {
    TypeParam s("ab");
    s.AppendString(s);
    EXPECT_EQ("abab", Text(s));
    s.AssignString(s);
    EXPECT_EQ("abab", Text(s));
    s.AssignWide(s.GetWide() + 1);
    EXPECT_EQ("bab", Text(s));
    s.AssignNarrow(s.GetNarrow() + 1, -1);
    EXPECT_EQ("ab", Text(s));
    EXPECT_EQ(0, s.CompareString(s));
}

// ---- Conversions ------------------------------------------------------------

TEST(StringConversion, RussianBytesSurviveNarrowWideNarrow) {
    for (const char* bytes : {kRussian1251, kRussian866}) {
        const CNarrowString narrow(bytes);
        const WChar* wide = narrow.GetWide();
        for (size_t i = 0; bytes[i]; ++i)
            EXPECT_EQ(WChar(static_cast<unsigned char>(bytes[i])), wide[i]);
        EXPECT_EQ(0, wide[6]);

        CWideString widened(bytes);
        EXPECT_STREQ(bytes, widened.GetNarrow());
        CNarrowString back;
        back.AssignWideString(widened);
        EXPECT_EQ(bytes, back.GetText());
        back.AssignString(CWideString(wide));
        EXPECT_EQ(bytes, back.GetText());
    }
}

TEST(StringConversion, WideToNarrowKeepsLowBytes) {
    const CWideString letters(u"\u0441\u0442");
    EXPECT_STREQ("AB", letters.GetNarrow());
    EXPECT_EQ('A', letters.GetCharAt(0));
    EXPECT_STREQ("\xC4", CNarrowString("\xC4").GetNarrow());
    EXPECT_EQ(WChar(0xC4), CNarrowString("\xC4").GetWide()[0]);
    // A unit whose low byte is 0 ends the narrow text.
    const CWideString cut(u"a\u0100b");
    EXPECT_STREQ("a", cut.GetNarrow());
    CNarrowString n;
    n.AssignWide(u"a\u0100b");
    EXPECT_EQ("a", n.GetText());
}

TEST(StringConversion, NullAndEmptyTextsReadAsTheSharedEmptyText) {
    CNarrowString n(nullptr);
    CWideString w(static_cast<const char*>(nullptr));
    EXPECT_TRUE(n.IsEmpty());
    EXPECT_TRUE(w.IsEmpty());
    EXPECT_EQ(common::EmptyWideText(), n.GetWide());
    EXPECT_EQ(common::EmptyNarrowText(), w.GetNarrow());
    n.AssignWide(nullptr);
    w.AssignWide(nullptr);
    n.AppendNarrow(nullptr);
    w.AppendNarrow(nullptr);
    EXPECT_EQ(0, n.CompareNarrow(nullptr));
    EXPECT_EQ(0, w.CompareNarrow(nullptr));
    EXPECT_EQ(0, n.CompareWide(nullptr));
    EXPECT_EQ(0, w.CompareWide(nullptr));
}

TEST(StringConversion, AssignNarrowHonoursLength) {
    CNarrowString n("keep");
    n.AssignNarrow(nullptr, 5);
    EXPECT_TRUE(n.IsEmpty());
    n.AssignNarrow("abc", 0);
    EXPECT_TRUE(n.IsEmpty());
    n.AssignNarrow("abc", 2);
    EXPECT_EQ("ab", n.GetText());
    n.AssignNarrow("a\0b", 3);
    EXPECT_EQ(Bytes("a\0b", 3), n.GetText());

    CWideString w("keep");
    w.AssignNarrow("abc", 2);
    EXPECT_EQ(WideText(u"ab"), w.GetText());
    w.AssignNarrow("abc", 0);
    EXPECT_TRUE(w.IsEmpty());
    w.AssignNarrow("\xE0\xE1", -1);
    EXPECT_EQ(WideText(u"\u00E0\u00E1"), w.GetText());
}

TEST(StringConversion, EmbeddedNulsFollowTheCopyRules) {
    CNarrowString n;
    n.AssignNarrow("a\0b", 3);
    EXPECT_EQ(3, n.GetLength());
    EXPECT_EQ(3, n.GetByteLength());
    EXPECT_EQ(WideText(u"a"), WideText(n.GetWide())); // the wide copy stops at the NUL
    EXPECT_EQ("a", CNarrowString(n).GetText());       // a copy stops at the first NUL
    CNarrowString whole("x");
    whole.AppendNarrowString(n); // a whole-text append keeps it
    EXPECT_EQ(Bytes("xa\0b", 4), whole.GetText());
    // Searching the wide copy never reads past it.
    EXPECT_EQ(-1, n.FindWide(u'b', 0));
    EXPECT_EQ(1, n.FindWide(0, 0));
    EXPECT_EQ(-1, n.ReverseFindWide(u'b', -1));
    EXPECT_EQ(2, n.Find('b', 0));
}

TEST(StringConversion, ConcatAppendsNarrowText) {
    const CWideString base(u"C:\\data");
    EXPECT_EQ(WideText(u"C:\\data\\\u00E0.dsk"), CWideString::Concat(base, "\\\xE0.dsk").GetText());
    EXPECT_EQ(WideText(u"C:\\data"), CWideString::Concat(base, nullptr).GetText());
}

TEST(StringConversion, KindsAndSizes) {
    const CNarrowString n("abc");
    const CWideString w("abc");
    EXPECT_EQ(1, n.GetKind());
    EXPECT_EQ(2, w.GetKind());
    EXPECT_EQ(1, n.GetCharSize());
    EXPECT_EQ(2, w.GetCharSize());
    EXPECT_EQ(3, n.GetByteLength());
    EXPECT_EQ(6, w.GetByteLength());
    EXPECT_EQ(0, std::memcmp(u"abc", w.GetData(), 6));
    EXPECT_EQ(0, std::memcmp("abc", n.GetData(), 3));
}

// ---- Orders -----------------------------------------------------------------

TEST(StringOrder, NarrowComparesUnsignedBytesThenLength) {
    EXPECT_LT(CNarrowString("ab").CompareNarrowString(CNarrowString("abc")), 0);
    EXPECT_LT(CNarrowString("abc").CompareNarrowString(CNarrowString("b")), 0);
    EXPECT_GT(CNarrowString("\xE0").CompareNarrowString(CNarrowString("z")), 0);
    EXPECT_GT(CNarrowString("\xE0").CompareNarrow("z"), 0);
    EXPECT_EQ(0, CNarrowString("abc").CompareNarrow("abc"));

    CNarrowString nul;
    nul.AssignNarrow("a\0b", 3);
    EXPECT_GT(nul.CompareNarrowString(CNarrowString("a")), 0);
    CNarrowString nul2;
    nul2.AssignNarrow("a\0a", 3);
    EXPECT_GT(nul.CompareNarrowString(nul2), 0);
    EXPECT_LT(CNarrowString("a").CompareNarrowString(nul), 0);

    std::map<CNarrowString, int, common::NarrowStringLess> keys;
    for (const char* k : {"b", "\xE0", "abc", "ab", "B"})
        keys[CNarrowString(k)] = 0;
    std::vector<std::string> order;
    for (const auto& entry : keys)
        order.push_back(entry.first.GetText());
    EXPECT_EQ((std::vector<std::string>{"B", "ab", "abc", "b", "\xE0"}), order);
}

TEST(StringOrder, WideComparesUnitsThenLength) {
    EXPECT_GT(CWideString(u"\u0441").CompareWideString(CWideString(u"z")), 0);
    EXPECT_LT(CWideString(u"ab").CompareWide(u"abc"), 0);
    EXPECT_GT(CWideString(u"\u00E0").CompareNarrow("z"), 0);
    common::WideStringLess less;
    EXPECT_TRUE(less(CWideString(u"z"), CWideString(u"\u0441")));
    EXPECT_FALSE(less(CWideString(u"a"), CWideString(u"a")));
}

TEST(StringOrder, MixedWidthsCompareInTheWideDomain) {
    const CNarrowString n("\xE0");
    const CWideString same(u"\u00E0");
    const CWideString cyr(u"\u0441");
    EXPECT_EQ(0, n.CompareString(same));
    EXPECT_EQ(0, same.CompareString(n));
    EXPECT_LT(n.CompareString(cyr), 0);
    EXPECT_GT(cyr.CompareString(n), 0);
    EXPECT_LT(n.CompareWide(u"\u0441"), 0);
    EXPECT_LT(n.CompareWideString(cyr), 0);
    EXPECT_GT(cyr.CompareNarrowString(n), 0);
    EXPECT_LT(CNarrowString("abc").CompareString(CWideString("abd")), 0);
    EXPECT_GT(CWideString("abd").CompareString(CNarrowString("abc")), 0);
    EXPECT_LT(CNarrowString("ab").CompareWide(u"abc"), 0);
}

TEST(StringOrder, StringLessPutsNullFirst) {
    const CNarrowString a("a");
    const CWideString b("b");
    EXPECT_TRUE(common::StringLess(&a, &b));
    EXPECT_FALSE(common::StringLess(&b, &a));
    EXPECT_TRUE(common::StringLess(nullptr, &a));
    EXPECT_FALSE(common::StringLess(&a, nullptr));
    EXPECT_FALSE(common::StringLess(nullptr, nullptr));
    EXPECT_FALSE(common::StringLess(&a, &a));
}
