#include "common/CString.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>

#include "common/CNarrowString.h"
#include "common/CWideString.h"

namespace common {

namespace {

// The formatter's stack buffer; texts up to kStackBufferSize - 2 characters
// never touch the heap.
constexpr size_t kStackBufferSize = 1024;
constexpr size_t kFirstHeapSize = 2048;
// Sizes up to this one may still double after a failed attempt.
constexpr size_t kLastDoublingSize = 0xFFFFF;
// Stack room for a format whose size prefixes had to be rewritten.
constexpr size_t kFormatCopySize = 256;

const char* const kFlagChars = "-+ #0'";

// Skips the flags, width and precision of a conversion; p is just past '%'.
const char* SkipToSize(const char* p) {
    while (*p && std::strchr(kFlagChars, *p))
        ++p;
    while (*p == '*' || (*p >= '0' && *p <= '9'))
        ++p;
    if (*p == '.') {
        ++p;
        while (*p == '*' || (*p >= '0' && *p <= '9'))
            ++p;
    }
    return p;
}

bool IsSizePrefix(const char* p, char first, char second) {
    return p[0] == 'I' && p[1] == first && p[2] == second;
}

// Rewrites the Windows runtime's size prefixes "I32" (dropped: int is 32 bits
// on every build) and "I64" (-> "ll") so that every build's vsnprintf reads them
// alike. Returns the format itself when it holds none; otherwise the copy, kept
// in stackCopy when it fits, else in heapCopy. The copy is never longer than
// the format.
const char* RewriteSizePrefixes(const char* format, char* stackCopy, size_t stackSize, std::string& heapCopy) {
    bool found = false;
    for (const char* p = format; *p && !found;) {
        if (*p++ != '%')
            continue;
        if (*p == '%') {
            ++p;
            continue;
        }
        p = SkipToSize(p);
        found = IsSizePrefix(p, '3', '2') || IsSizePrefix(p, '6', '4');
    }
    if (!found)
        return format;

    size_t formatLength = std::strlen(format);
    char* out = stackCopy;
    if (formatLength >= stackSize) {
        heapCopy.resize(formatLength + 1);
        out = &heapCopy[0];
    }
    char* const copy = out;
    for (const char* p = format; *p;) {
        char c = *p++;
        *out++ = c;
        if (c != '%')
            continue;
        if (*p == '%') {
            *out++ = *p++;
            continue;
        }
        const char* size = SkipToSize(p);
        while (p < size)
            *out++ = *p++;
        if (IsSizePrefix(p, '3', '2')) {
            p += 3;
        } else if (IsSizePrefix(p, '6', '4')) {
            *out++ = 'l';
            *out++ = 'l';
            p += 3;
        }
    }
    *out = 0;
    return copy;
}

} // namespace

const char* EmptyNarrowText() {
    static const char s_empty[1] = {0};
    return s_empty;
}

const WChar* EmptyWideText() {
    static const WChar s_empty[1] = {0};
    return s_empty;
}

size_t WideTextLength(const WChar* text) {
    if (!text)
        return 0;
    const WChar* p = text;
    while (*p)
        ++p;
    return size_t(p - text);
}

WideText NarrowToWide(const char* text) {
    WideText result;
    if (!text)
        return result;
    size_t length = std::strlen(text);
    result.resize(length);
    for (size_t i = 0; i < length; ++i)
        result[i] = WChar(static_cast<unsigned char>(text[i]));
    return result;
}

std::string WideToNarrow(const WChar* text) {
    std::string result;
    if (!text)
        return result;
    // A unit whose low byte is 0 (U+0100...) ends the narrow text as its NUL.
    for (const WChar* p = text; *p && (*p & 0xFF); ++p)
        result.push_back(char(*p & 0xFF));
    return result;
}

int CompareNarrowText(const char* a, size_t aLength, const char* b, size_t bLength) {
    size_t common = std::min(aLength, bLength);
    if (common) {
        int r = std::memcmp(a, b, common);
        if (r)
            return r;
    }
    return int(aLength) - int(bLength);
}

int CompareWideText(const WChar* a, size_t aLength, const WChar* b, size_t bLength) {
    size_t common = std::min(aLength, bLength);
    for (size_t i = 0; i < common; ++i) {
        if (a[i] != b[i])
            return a[i] < b[i] ? -1 : 1;
    }
    return int(aLength) - int(bLength);
}

int CompareWideWithNarrow(const WChar* a, size_t aLength, const char* b, size_t bLength) {
    size_t common = std::min(aLength, bLength);
    for (size_t i = 0; i < common; ++i) {
        unsigned ua = a[i];
        unsigned ub = static_cast<unsigned char>(b[i]);
        if (ua != ub)
            return ua < ub ? -1 : 1;
    }
    return int(aLength) - int(bLength);
}

bool IsSpaceUnit(unsigned c) {
    return c == ' ' || (c >= '\t' && c <= '\r');
}

unsigned ToUpperUnit(unsigned c) {
    return (c >= 'a' && c <= 'z') ? c - ('a' - 'A') : c;
}

int CString::GetKind() const {
    return 0;
}

CString::~CString() = default;

bool CString::ClipRange(int pos, int count, size_t& start, size_t& length) {
    long long first = pos;
    long long end = first + count;
    if (count < 1 || end <= 0)
        return false;
    if (first < 0)
        first = 0;
    start = size_t(first);
    length = size_t(end - first);
    return true;
}

void CString::Insert(const char* text, int pos) {
    if (!text)
        return;
    if (IsEmpty()) {
        AssignNarrow(text, -1);
        return;
    }
    int length = GetLength();
    if (pos >= length) {
        AppendNarrow(text);
        return;
    }
    std::unique_ptr<CString> tail(Substring(pos, length - pos));
    Erase(pos, length - pos);
    AppendNarrow(text);
    AppendString(*tail);
}

void CString::InsertChar(char c, int pos) {
    const char text[2] = {c, 0};
    Insert(text, pos);
}

bool CString::TailEquals(const CString& other, int n) const {
    if (n < 1)
        return true;
    int length = GetLength();
    int otherLength = other.GetLength();
    if (length < n || otherLength < n)
        return length == otherLength;
    int size = GetCharSize();
    if (size == other.GetCharSize()) {
        if (size == 1)
            return std::memcmp(GetNarrow() + length - n, other.GetNarrow() + otherLength - n, size_t(n)) == 0;
        return CompareWideText(GetWide() + length - n, size_t(n), other.GetWide() + otherLength - n, size_t(n)) == 0;
    }
    std::unique_ptr<CString> tail(Substring(length - n, n));
    std::unique_ptr<CString> otherTail(other.Substring(otherLength - n, n));
    return tail->CompareString(*otherTail) == 0;
}

int CString::WideSearchLength(const WChar* wide) const {
    int length = GetLength();
    if (GetCharSize() == 2)
        return length;
    // A narrow string's wide copy ends at its first NUL byte; never read past
    // the copy's terminator.
    size_t copyLength = WideTextLength(wide) + 1;
    return copyLength < size_t(length) ? int(copyLength) : length;
}

int CString::Find(char c, int start) const {
    if (GetCharSize() != 1)
        return FindWide(WChar(static_cast<unsigned char>(c)), start);
    int length = GetLength();
    if (start < 0)
        start = 0;
    const char* text = GetNarrow();
    for (int i = start; i < length; ++i) {
        if (text[i] == c)
            return i;
    }
    return -1;
}

int CString::ReverseFind(char c, int end) const {
    if (GetCharSize() != 1)
        return ReverseFindWide(WChar(static_cast<unsigned char>(c)), end);
    int length = GetLength();
    int from = (end >= 0 && end <= length) ? end - 1 : length - 1;
    const char* text = GetNarrow();
    for (int i = from; i >= 0; --i) {
        if (text[i] == c)
            return i;
    }
    return -1;
}

int CString::FindWide(WChar c, int start) const {
    if (start < 0)
        start = 0;
    if (start >= GetLength())
        return -1;
    const WChar* text = GetWide();
    int length = WideSearchLength(text);
    for (int i = start; i < length; ++i) {
        if (text[i] == c)
            return i;
    }
    return -1;
}

int CString::ReverseFindWide(WChar c, int end) const {
    int length = GetLength();
    int from = (end >= 0 && end <= length) ? end - 1 : length - 1;
    if (from < 0)
        return -1;
    const WChar* text = GetWide();
    from = std::min(from, WideSearchLength(text) - 1);
    for (int i = from; i >= 0; --i) {
        if (text[i] == c)
            return i;
    }
    return -1;
}

void CString::FormatV(const char* format, va_list args) {
    if (!format)
        return;
    char formatCopy[kFormatCopySize];
    std::string formatHeap;
    const char* fmt = RewriteSizePrefixes(format, formatCopy, sizeof formatCopy, formatHeap);

    char stackBuffer[kStackBufferSize];
    va_list attempt;
    va_copy(attempt, args);
    int needed = std::vsnprintf(stackBuffer, kStackBufferSize - 1, fmt, attempt);
    va_end(attempt);
    if (needed >= 0 && size_t(needed) <= kStackBufferSize - 2) {
        AppendNarrow(stackBuffer);
        return;
    }

    size_t size = (needed >= 0 && size_t(needed) >= kFirstHeapSize) ? size_t(needed) + 1 : kFirstHeapSize;
    for (;;) {
        std::unique_ptr<char[]> buffer(new char[size]);
        va_copy(attempt, args);
        int result = std::vsnprintf(buffer.get(), size - 1, fmt, attempt);
        va_end(attempt);
        if (result > 0 && size_t(result) < size - 1) {
            AppendNarrow(buffer.get());
            return;
        }
        if (size > kLastDoublingSize)
            throw static_cast<const char*>("");
        size *= 2;
    }
}

void CString::Format(const char* format, ...) {
    Clear();
    va_list args;
    va_start(args, format);
    try {
        FormatV(format, args);
    } catch (...) {
        va_end(args);
        throw;
    }
    va_end(args);
}

void CString::AppendFormat(const char* format, ...) {
    va_list args;
    va_start(args, format);
    try {
        FormatV(format, args);
    } catch (...) {
        va_end(args);
        throw;
    }
    va_end(args);
}

bool StringLess(const CString* a, const CString* b) {
    if (!a)
        return b != nullptr;
    if (!b)
        return false;
    return a->CompareString(*b) < 0;
}

bool NarrowStringLess::operator()(const CNarrowString& a, const CNarrowString& b) const {
    return a.CompareNarrowString(b) < 0;
}

bool WideStringLess::operator()(const CWideString& a, const CWideString& b) const {
    return a.CompareWideString(b) < 0;
}

} // namespace common
