#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "common/CNarrowString.h"
#include "common/CPath.h"
#include "common/CStream.h"
#include "common/CStringList.h"
#include "common/CValueList.h"
#include "common/CWideString.h"

using common::CList;
using common::CNarrowString;
using common::CString;
using common::CStringList;
using common::CValueList;
using common::CWideString;

namespace {

// A byte buffer behind the stream interface that can be told to fail.
class CTestStream : public common::CStream {
public:
    explicit CTestStream(std::vector<uint8_t> data = {}) : m_data(std::move(data)) {}

    bool IsOpen() const override { return true; }
    bool IsGrowable() const override { return true; }
    bool CanSeek() const override { return true; }
    bool CanRead() const override { return true; }
    bool CanWrite() const override { return true; }
    int64_t GetSize() const override { return static_cast<int64_t>(m_data.size()); }
    bool SetSize(int64_t size) override {
        m_data.resize(static_cast<size_t>(size));
        return true;
    }
    int64_t GetPosition() const override { return m_position; }
    bool Seek(int64_t position) override {
        m_position = position;
        return true;
    }
    int64_t Read(void* buffer, int64_t count) override {
        if (m_failReads || count <= 0)
            return 0;
        const int64_t n = std::min<int64_t>(count, GetSize() - m_position);
        std::memcpy(buffer, m_data.data() + m_position, static_cast<size_t>(n));
        m_position += n;
        return n;
    }
    int64_t Write(const void* buffer, int64_t count) override {
        if (count <= 0)
            return 0;
        const int64_t n = std::min<int64_t>(count, m_writeBudget);
        if (n == 0)
            return 0;
        m_writeBudget -= n;
        if (m_position + n > GetSize())
            m_data.resize(static_cast<size_t>(m_position + n));
        std::memcpy(m_data.data() + m_position, buffer, static_cast<size_t>(n));
        m_position += n;
        return n;
    }

    std::vector<uint8_t> m_data;
    int64_t m_position = 0;
    int64_t m_writeBudget = INT64_MAX;
    bool m_failReads = false;
};

std::string Text(CString* s) {
    return s ? s->GetNarrow() : "<null>";
}

std::vector<std::string> Contents(CList& list) {
    std::vector<std::string> out;
    for (int i = 0; i < list.GetCount(); ++i)
        out.push_back(Text(list.GetAt(i)));
    return out;
}

void Fill(CList& list, std::initializer_list<const char*> texts) {
    for (const char* t : texts)
        list.Add(CNarrowString(t));
}

// The behaviour both list kinds share, run over each.
template <typename L> class ListBothKinds : public ::testing::Test {};
using ListTypes = ::testing::Types<CStringList, CValueList<long long>>;
TYPED_TEST_SUITE(ListBothKinds, ListTypes);

} // namespace

TYPED_TEST(ListBothKinds, GetAtWalksBothWaysAndRefusesOutOfRange) {
    TypeParam list;
    Fill(list, {"a", "b", "c"});
    EXPECT_EQ("c", Text(list.GetAt(2)));
    EXPECT_EQ("b", Text(list.GetAt(1)));
    EXPECT_EQ("a", Text(list.GetAt(0)));
    EXPECT_EQ(nullptr, list.GetAt(3));
    EXPECT_EQ(nullptr, list.GetAt(-1));
    // A refused index leaves the cursor usable from where it stood.
    EXPECT_EQ("b", Text(list.GetAt(1)));
    EXPECT_EQ("a", Text(list.GetAt(0)));
    EXPECT_EQ("c", Text(list.GetAt(2)));
    EXPECT_EQ(nullptr, TypeParam().GetAt(0));
}

TYPED_TEST(ListBothKinds, AddAnswersIndexAndKeepsWidth) {
    TypeParam list;
    EXPECT_EQ(0, list.Add(CWideString(u"wide")));
    EXPECT_EQ(1, list.Add(CNarrowString("narrow")));
    EXPECT_EQ(2, list.Add(common::CPath(u"C:\\x")));
    EXPECT_EQ(2, list.GetAt(0)->GetKind());
    EXPECT_EQ(1, list.GetAt(1)->GetKind());
    EXPECT_EQ(2, list.GetAt(2)->GetKind()); // a path's copy is a plain wide string
    EXPECT_EQ("wide", Text(list.GetAt(0)));
    // The list holds a copy, not the argument.
    CNarrowString source("src");
    list.Add(source);
    source.AssignNarrow("changed");
    EXPECT_EQ("src", Text(list.GetAt(3)));
}

TYPED_TEST(ListBothKinds, RemoveRangeClipsAndKeepsCursorValid) {
    struct Case {
        int first, count;
        std::vector<std::string> left;
    } cases[] = {
        {1, 5, {"a"}},
        {-1, 2, {"b", "c", "d"}},
        {4, 1, {"a", "b", "c", "d"}},
        {0, 0, {"a", "b", "c", "d"}},
        {-5, 3, {"a", "b", "c", "d"}},
        {1, 2, {"a", "d"}},
        {0, 4, {}},
        {2, 0x7FFFFFFF, {"a", "b"}},
        {-0x7FFFFFFF, 0x7FFFFFFF, {"a", "b", "c", "d"}},
    };
    for (const Case& c : cases) {
        TypeParam list;
        Fill(list, {"a", "b", "c", "d"});
        list.GetAt(3); // leave the cursor somewhere else
        list.RemoveRange(c.first, c.count);
        EXPECT_EQ(c.left, Contents(list)) << c.first << "," << c.count;
        EXPECT_EQ(static_cast<int>(c.left.size()), list.GetCount());
    }
}

TYPED_TEST(ListBothKinds, CursorFollowsRemovalAndAdd) {
    TypeParam list;
    Fill(list, {"a", "b", "c"});
    list.RemoveRange(1, 1);
    EXPECT_EQ("c", Text(list.GetAt(1)));
    EXPECT_EQ("a", Text(list.GetAt(0)));
    list.RemoveRange(1, 1); // removes the last item: the cursor is unset
    EXPECT_EQ("a", Text(list.GetAt(0)));
    EXPECT_EQ(nullptr, list.GetAt(1));
    list.GetAt(0);
    list.Add(CNarrowString("z"));
    EXPECT_EQ("z", Text(list.GetAt(1)));
    list.RemoveAll();
    EXPECT_EQ(0, list.GetCount());
    EXPECT_EQ(nullptr, list.GetAt(0));
    EXPECT_EQ(0, list.Add(CNarrowString("again")));
    EXPECT_EQ("again", Text(list.GetAt(0)));
}

TYPED_TEST(ListBothKinds, BaseRemoveAllEmptiesThroughTheInterface) {
    TypeParam list;
    Fill(list, {"a", "b"});
    static_cast<CList&>(list).RemoveAll();
    EXPECT_EQ(0, list.GetCount());
}

TEST(CStringList, SeekToMovesCursorOnlyInRange) {
    CStringList list;
    Fill(list, {"a", "b", "c"});
    EXPECT_TRUE(list.SeekTo(2));
    EXPECT_FALSE(list.SeekTo(3));
    EXPECT_FALSE(list.SeekTo(-1));
    EXPECT_EQ("b", Text(list.GetAt(1)));
    EXPECT_FALSE(CStringList().SeekTo(0));
}

TEST(CStringList, SortIsByteOrderAndStable) {
    CStringList list;
    Fill(list, {"b", "a", "B"});
    list.GetAt(2);
    list.Sort();
    EXPECT_EQ((std::vector<std::string>{"B", "a", "b"}), Contents(list));

    // Equal texts of different widths keep their order.
    CStringList mixed;
    mixed.Add(CWideString(u"x"));
    mixed.Add(CNarrowString("a"));
    mixed.Add(CNarrowString("x"));
    mixed.Sort();
    EXPECT_EQ("a", Text(mixed.GetAt(0)));
    EXPECT_EQ(2, mixed.GetAt(1)->GetKind());
    EXPECT_EQ(1, mixed.GetAt(2)->GetKind());
    // Bytes sort unsigned: 0xE0 after 'z'.
    CStringList bytes;
    Fill(bytes, {"\xE0", "z"});
    bytes.Sort();
    EXPECT_EQ("z", Text(bytes.GetAt(0)));
}

TEST(CStringList, WriteTextLinesEndsEachLineWithCrLf) {
    CStringList list;
    Fill(list, {"ab", ""});
    CTestStream stream;
    EXPECT_TRUE(list.WriteTextLines(stream));
    EXPECT_EQ((std::vector<uint8_t>{0x61, 0x62, 0x0D, 0x0A, 0x0D, 0x0A}), stream.m_data);

    CTestStream empty;
    EXPECT_TRUE(CStringList().WriteTextLines(empty));
    EXPECT_TRUE(empty.m_data.empty());

    // A wide string goes out as the low bytes of its units.
    CStringList wide;
    wide.Add(CWideString(u"\u0441\u0442"));
    CTestStream wideOut;
    EXPECT_TRUE(wide.WriteTextLines(wideOut));
    EXPECT_EQ((std::vector<uint8_t>{0x41, 0x42, 0x0D, 0x0A}), wideOut.m_data);
}

TEST(CStringList, WriteTextLinesStopsAtShortWrite) {
    CStringList list;
    Fill(list, {"abc", "def"});
    for (int budget : {0, 2, 4, 6, 9}) {
        CTestStream stream;
        stream.m_writeBudget = budget;
        EXPECT_FALSE(list.WriteTextLines(stream)) << budget;
        EXPECT_EQ(static_cast<size_t>(budget), stream.m_data.size());
    }
}

TEST(CStringList, FormatHexDumpSplitsLines) {
    CStringList list;
    CTestStream stream({0x00, 0x01, 0xFF});
    EXPECT_EQ(3, list.FormatHexDump(stream, 1, 2, CNarrowString(" "), CNarrowString(""), CNarrowString("")));
    EXPECT_EQ((std::vector<std::string>{"00 01 ", "ff "}), Contents(list));

    // Prefix and suffix wrap each byte; the dump starts at the stream's position
    // and appends to what the list holds.
    CTestStream rest({0x10, 0xAB, 0x0C});
    rest.Seek(1);
    EXPECT_EQ(2, list.FormatHexDump(rest, 1, 2, CNarrowString(","), CNarrowString("0x"), CNarrowString("h")));
    EXPECT_EQ((std::vector<std::string>{"00 01 ", "ff ", "0xabh,0x0ch,"}), Contents(list));
}

TEST(CStringList, FormatHexDumpRefusesAndFails) {
    const CNarrowString blank(" "), none("");
    CStringList list;
    CTestStream stream({1, 2, 3});
    EXPECT_EQ(-1, list.FormatHexDump(stream, 2, 2, blank, none, none));
    EXPECT_EQ(-1, list.FormatHexDump(stream, 1, 0, blank, none, none));
    EXPECT_EQ(0, stream.GetPosition()); // refused without reading
    CTestStream empty;
    EXPECT_EQ(0, list.FormatHexDump(empty, 1, 4, blank, none, none));
    EXPECT_EQ(0, list.GetCount());
    stream.m_failReads = true;
    EXPECT_EQ(-1, list.FormatHexDump(stream, 1, 4, blank, none, none));
    EXPECT_EQ(0, list.GetCount());
}

namespace {
struct CTestEvent {
    void* m_target;
    int m_kind;
    void (*m_function)();
};
void TestCallback() {}
} // namespace

TEST(CValueList, ItemsKeepTheirValues) {
    CValueList<long long> lines;
    EXPECT_EQ(0, lines.AddItem(CNarrowString("red"), 0xFFFF0000LL));
    EXPECT_EQ(1, lines.Add(CNarrowString("zero")));
    EXPECT_EQ(2, lines.AddItem(CWideString(u"wide"), -1));
    EXPECT_EQ(0xFFFF0000LL, lines.GetItemAt(0)->m_value);
    EXPECT_EQ(0, lines.GetItemAt(1)->m_value);
    EXPECT_EQ(-1, lines.GetItemAt(2)->m_value);
    EXPECT_EQ(2, lines.GetItemAt(2)->m_name->GetKind());
    EXPECT_EQ(nullptr, lines.GetItemAt(3));
    lines.GetItemAt(1)->m_value = 7;
    lines.Sort(); // value lists keep their order
    EXPECT_EQ("red", Text(lines.GetAt(0)));
    EXPECT_EQ(7, lines.GetItemAt(1)->m_value);

    CValueList<CTestEvent> events;
    int owner = 0;
    events.AddItem(CNarrowString("_BusFreqEvent"), CTestEvent{&owner, 2, &TestCallback});
    events.Add(CNarrowString("blank"));
    EXPECT_EQ(&owner, events.GetItemAt(0)->m_value.m_target);
    EXPECT_EQ(2, events.GetItemAt(0)->m_value.m_kind);
    EXPECT_EQ(&TestCallback, events.GetItemAt(0)->m_value.m_function);
    EXPECT_EQ(nullptr, events.GetItemAt(1)->m_value.m_target);
    events.RemoveRange(0, 1);
    EXPECT_EQ("blank", Text(events.GetAt(0)));
}
