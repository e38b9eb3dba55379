#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "common/CNarrowString.h"
#include "common/CWideString.h"

using common::CNarrowString;
using common::CWideString;
using common::WideText;

namespace {

// The size-prefixed formats are passed through a variable: the compiler's
// format check rejects "I32"/"I64" in literals, yet table formats may hold them.
const char* Runtime(const char* format) {
    return format;
}

constexpr int kLimit = 1048574; // the longest text a format may produce

} // namespace

TEST(StringFormat, LengthsAroundTheBufferSizesComeOutWhole) {
    for (int length : {0, 1, 1022, 1023, 1024, 2046, 2047, 2048, 4095, 4096, 100000}) {
        const std::string body(size_t(length), 'x');
        CNarrowString s("old");
        s.Format("%s", body.c_str());
        EXPECT_EQ(body, s.GetText()) << length;
        s.AppendFormat("%s|", body.c_str());
        EXPECT_EQ(size_t(2 * length + 1), s.GetText().size()) << length;
    }
}

TEST(StringFormat, TextUpToTheLimitIsAppendedBeyondItThrows) {
    CNarrowString s;
    s.Format("%*s", kLimit, "");
    EXPECT_EQ(size_t(kLimit), s.GetText().size());

    CNarrowString kept("kept");
    try {
        kept.AppendFormat("%*s", kLimit + 1, "");
        FAIL() << "no exception";
    } catch (const char* error) {
        EXPECT_STREQ("", error);
    }
    EXPECT_EQ("kept", kept.GetText());

    CWideString cleared(u"gone");
    EXPECT_THROW(cleared.Format("%*s", kLimit + 1, ""), const char*);
    EXPECT_TRUE(cleared.IsEmpty());
}

TEST(StringFormat, NullFormatDoesNothing) {
    const char* none = nullptr;
    CNarrowString s("abc");
    s.Format(none);
    EXPECT_TRUE(s.IsEmpty());
    s.AssignNarrow("abc");
    s.AppendFormat(none);
    EXPECT_EQ("abc", s.GetText());
}

TEST(StringFormat, SizePrefixesMeanTheSameOnEveryBuild) {
    CNarrowString s;
    s.Format(Runtime("%s%.2I32x%s%s"), "<", 0xAu, ">", "|");
    EXPECT_EQ("<0a>|", s.GetText());
    s.Format(Runtime("%I32u %I32d %08I32X"), 4000000000u, -7, 0xBEEFu);
    EXPECT_EQ("4000000000 -7 0000BEEF", s.GetText());
    s.Format(Runtime("%I64d %I64x %-4I64u|"), -1234567890123LL, 0x123456789ABCULL, 5ULL);
    EXPECT_EQ("-1234567890123 123456789abc 5   |", s.GetText());
    s.Format(Runtime("%%I32x %d"), 3);
    EXPECT_EQ("%I32x 3", s.GetText());
    // A long format with prefixes takes the heap copy.
    std::string longFormat(300, '.');
    longFormat += "%I64u";
    s.Format(Runtime(longFormat.c_str()), 18446744073709551615ULL);
    EXPECT_EQ(std::string(300, '.') + "18446744073709551615", s.GetText());
}

TEST(StringFormat, StandardConversionsMatchAcrossBuilds) {
    CNarrowString s;
    s.Format("%ld %ld %lu", long(-5), long(2147483647), static_cast<unsigned long>(4294967295u));
    EXPECT_EQ("-5 2147483647 4294967295", s.GetText());
    s.Format("%lld %llx %.2x %04X", -9000000000LL, 0xFEDCBA9876ULL, 7u, 0xABu);
    EXPECT_EQ("-9000000000 fedcba9876 07 00AB", s.GetText());
    s.Format("%5.1f|%-3c|%s", 2.5, 'q', "\xE0\xE1");
    EXPECT_EQ("  2.5|q  |\xE0\xE1", s.GetText());
}

TEST(StringFormat, WideStringsReceiveTheConvertedText) {
    CWideString w(u"[");
    w.AppendFormat("%s-%d", "\xE0\xEF", 5);
    EXPECT_EQ(WideText(u"[\u00E0\u00EF-5"), w.GetText());
    w.Format("%s", std::string(1500, 'w').c_str());
    EXPECT_EQ(1500, w.GetLength());
}
