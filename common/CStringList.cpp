#include "common/CStringList.h"

#include "common/CNarrowString.h"
#include "common/CStream.h"

namespace common {

namespace {
const uint8_t kLineEnd[2] = {0x0D, 0x0A};
} // namespace

CStringList::CStringList() : m_cursor(m_items.end()), m_cursorIndex(-1) {}

CStringList::~CStringList() {
    DeleteAll();
}

CString* CStringList::GetAt(int index) {
    return WalkTo(m_items, m_cursor, m_cursorIndex, index) ? *m_cursor : nullptr;
}

int CStringList::Add(const CString& string) {
    m_items.push_back(string.Substring(0, string.GetLength()));
    m_cursorIndex = -1;
    return static_cast<int>(m_items.size()) - 1;
}

int CStringList::GetCount() const {
    return static_cast<int>(m_items.size());
}

void CStringList::RemoveRange(int first, int count) {
    RemoveItems(m_items, m_cursor, m_cursorIndex, first, count, [](CString* s) { delete s; });
}

void CStringList::RemoveAll() {
    DeleteAll();
}

void CStringList::Sort() {
    m_cursorIndex = -1;
    m_items.sort(StringLess);
}

void CStringList::DeleteAll() {
    for (CString* s : m_items)
        delete s;
    m_items.clear();
    m_cursor = m_items.end();
    m_cursorIndex = -1;
}

bool CStringList::SeekTo(int index) {
    return WalkTo(m_items, m_cursor, m_cursorIndex, index);
}

bool CStringList::WriteTextLines(CStream& stream) {
    CNarrowString line;
    for (const CString* s : m_items) {
        line.AssignString(*s);
        const int64_t length = line.GetLength();
        if (stream.Write(line.GetNarrow(), length) != length)
            return false;
        if (stream.Write(kLineEnd, 2) != 2)
            return false;
    }
    return true;
}

int CStringList::FormatHexDump(CStream& stream, int itemWidth, int itemsPerLine, const CNarrowString& separator,
                               const CNarrowString& prefix, const CNarrowString& suffix) {
    if (itemWidth != 1 || itemsPerLine < 1)
        return -1;
    CNarrowString line;
    int placesLeft = itemsPerLine;
    int total = 0;
    while (stream.GetPosition() < stream.GetSize()) {
        uint8_t byte = 0;
        if (stream.Read(&byte, 1) != 1)
            return -1;
        if (placesLeft == 0) {
            if (Add(line) < 0)
                return -1;
            line.Clear();
            placesLeft = itemsPerLine;
        }
        AppendHexByteText(line, prefix, byte, suffix, separator);
        ++total;
        --placesLeft;
    }
    if (!line.IsEmpty() && Add(line) < 0)
        return -1;
    return total;
}

void AppendHexByteText(CString& line, const CNarrowString& prefix, uint32_t value, const CNarrowString& suffix,
                       const CNarrowString& separator) {
    line.AppendFormat("%s%.2x%s%s", prefix.GetNarrow(), value, suffix.GetNarrow(), separator.GetNarrow());
}

} // namespace common
