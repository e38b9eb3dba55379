#include "common/CNarrowString.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "common/CWideString.h"

namespace common {

CNarrowString::CNarrowString() = default;

CNarrowString::CNarrowString(const char* text) : m_text(text ? text : "") {}

CNarrowString::CNarrowString(const CNarrowString& other) : CString(), m_text(other.m_text.c_str()) {}

CNarrowString& CNarrowString::operator=(const CNarrowString& other) {
    if (this != &other)
        AssignNarrowString(other);
    return *this;
}

CNarrowString::~CNarrowString() = default;

void CNarrowString::DropCache() {
    m_wide.reset();
}

int CNarrowString::GetKind() const {
    return 1;
}

const void* CNarrowString::GetData() const {
    return m_text.c_str();
}

int CNarrowString::GetByteLength() const {
    return int(m_text.size());
}

int CNarrowString::GetCharSize() const {
    return 1;
}

int CNarrowString::GetLength() const {
    return int(m_text.size());
}

CNarrowString* CNarrowString::Substring(int pos, int count) const {
    std::unique_ptr<CNarrowString> result(new CNarrowString);
    size_t start, length;
    if (ClipRange(pos, count, start, length))
        result->m_text = m_text.substr(start, length);
    return result.release();
}

bool CNarrowString::IsEmpty() const {
    return m_text.empty();
}

void CNarrowString::Clear() {
    m_text.clear();
    DropCache();
}

char CNarrowString::GetCharAt(int index) const {
    if (index < 0 || size_t(index) >= m_text.size())
        return 0;
    return m_text[size_t(index)];
}

const char* CNarrowString::GetNarrow() const {
    return m_text.c_str();
}

void CNarrowString::AssignNarrow(const char* text, int length) {
    if (!text || length == 0) {
        Clear();
        return;
    }
    // Built aside first: text may point into this string.
    std::string copy = length < 0 ? std::string(text) : std::string(text, size_t(length));
    m_text.swap(copy);
    DropCache();
}

void CNarrowString::AppendNarrow(const char* text) {
    if (text)
        m_text.append(text);
    DropCache();
}

int CNarrowString::CompareNarrow(const char* text) const {
    if (!text)
        text = EmptyNarrowText();
    return CompareNarrowText(m_text.data(), m_text.size(), text, std::strlen(text));
}

WChar CNarrowString::GetWideCharAt(int index) const {
    return WChar(static_cast<unsigned char>(GetCharAt(index)));
}

const WChar* CNarrowString::GetWide() const {
    if (!m_wide) {
        // The copy covers the text up to its first NUL byte.
        size_t length = std::strlen(m_text.c_str());
        if (length == 0)
            return EmptyWideText();
        m_wide.reset(new WChar[length + 1]);
        for (size_t i = 0; i < length; ++i)
            m_wide[i] = WChar(static_cast<unsigned char>(m_text[i]));
        m_wide[length] = 0;
    }
    return m_wide.get();
}

void CNarrowString::AssignWide(const WChar* text) {
    // Converted before the cache is dropped: text may be that cache.
    std::string copy = WideToNarrow(text);
    m_text.swap(copy);
    DropCache();
}

void CNarrowString::AppendWide(const WChar* text) {
    std::string tail = WideToNarrow(text);
    m_text.append(tail);
    DropCache();
}

int CNarrowString::CompareWide(const WChar* text) const {
    if (!text)
        text = EmptyWideText();
    const char* own = m_text.c_str();
    return -CompareWideWithNarrow(text, WideTextLength(text), own, std::strlen(own));
}

void CNarrowString::AssignString(const CString& other) {
    AssignNarrow(other.GetNarrow(), -1);
}

void CNarrowString::AppendString(const CString& other) {
    AppendNarrow(other.GetNarrow());
}

int CNarrowString::CompareString(const CString& other) const {
    return -other.CompareNarrowString(*this);
}

void CNarrowString::AssignNarrowString(const CNarrowString& other) {
    AssignNarrow(other.m_text.c_str(), -1);
}

void CNarrowString::AppendNarrowString(const CNarrowString& other) {
    m_text.append(other.m_text);
    DropCache();
}

int CNarrowString::CompareNarrowString(const CNarrowString& other) const {
    return CompareNarrowText(m_text.data(), m_text.size(), other.m_text.data(), other.m_text.size());
}

void CNarrowString::AssignWideString(const CWideString& other) {
    AssignWide(other.GetText().c_str());
}

void CNarrowString::AppendWideString(const CWideString& other) {
    AppendWide(other.GetText().c_str());
}

int CNarrowString::CompareWideString(const CWideString& other) const {
    return CompareWide(other.GetText().c_str());
}

void CNarrowString::InsertChar(char c, int pos) {
    if (c == '\0')
        return;
    const size_t at = pos <= 0 ? 0 : std::min(static_cast<size_t>(pos), m_text.size());
    m_text.insert(at, 1, c);
    DropCache();
}

void CNarrowString::Erase(int pos, int count) {
    size_t start, length;
    if (!ClipRange(pos, count, start, length))
        return;
    m_text.erase(start, length);
    DropCache();
}

void CNarrowString::Trim() {
    size_t end = m_text.size();
    while (end > 0 && IsSpaceUnit(static_cast<unsigned char>(m_text[end - 1])))
        --end;
    if (end == 0) {
        Clear();
        return;
    }
    m_text.erase(end);
    size_t begin = 0;
    while (IsSpaceUnit(static_cast<unsigned char>(m_text[begin])))
        ++begin;
    m_text.erase(0, begin);
    DropCache();
}

void CNarrowString::MakeUpper() {
    if (m_text.empty())
        return;
    for (char& c : m_text)
        c = char(ToUpperUnit(static_cast<unsigned char>(c)));
    DropCache();
}

} // namespace common
