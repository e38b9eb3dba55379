#include "common/CPath.h"

#include "common/ProgramFolders.h"

namespace common {

namespace {

bool IsSeparator(WChar c) {
    return c == u'\\' || c == u'/';
}

} // namespace

CPath::CPath() = default;

CPath::CPath(const char* text) : CWideString(text) {}

CPath::CPath(const WChar* text) : CWideString(text) {}

CPath::CPath(const CPath& other) : CWideString(other) {}

CPath::CPath(const CWideString& other) : CWideString(other) {}

CPath::CPath(const CString& source, int index) {
    const WChar* text = source.GetWide();
    const size_t length = WideTextLength(text);
    if (length == 0 || index < 0)
        return;
    size_t start = 0;
    for (int component = 0; component < index; ++component) {
        while (start < length && !IsSeparator(text[start]))
            ++start;
        if (start == length)
            return; // fewer components than asked for
        ++start;
    }
    size_t end = start;
    while (end < length && !IsSeparator(text[end]))
        ++end;
    m_text.assign(text + start, end - start);
}

CPath& CPath::operator=(const CPath& other) {
    CWideString::operator=(other);
    return *this;
}

CPath::~CPath() = default;

CPath CPath::GetFileName(const CString& source) {
    const WChar* text = source.GetWide();
    size_t start = WideTextLength(text);
    while (start > 0 && !IsSeparator(text[start - 1]))
        --start;
    CPath name;
    name.AssignWide(text + start);
    return name;
}

CPath* CPath::Clone() const {
    return new CPath(*this);
}

CPath* CPath::CreateEmpty() const {
    return new CPath();
}

bool CPath::MoveToParentFolder() {
    const CPath& separator = PathSeparator();
    if (separator.GetLength() != 1)
        return false;
    const WChar c = separator.GetText()[0];
    const int last = ReverseFindWide(c);
    if (last < 0)
        return false;
    const int length = GetLength();
    if (last != length - 1) {
        Erase(last + 1, length - last - 1); // drop the file or folder name
        return true;
    }
    const int previous = ReverseFindWide(c, last);
    const int distance = last - previous;
    if (distance == 2 || distance == 3) {
        // A trailing '.' or '..' cannot be removed by cutting: climb with '..'.
        const WideText& text = GetText();
        const bool dot = text[previous + 1] == u'.';
        const bool dotDot = distance == 3 && dot && text[previous + 2] == u'.';
        if ((distance == 2 && dot) || dotDot) {
            const WChar climb[] = {u'.', u'.', c, 0};
            AppendWide(climb);
            return true;
        }
    }
    Erase(previous + 1, length - previous - 1);
    return true;
}

} // namespace common
