#include "common/CWideString.h"

#include <cstring>
#include <utility>

#include "common/CNarrowString.h"

namespace common {

CWideString::CWideString() = default;

CWideString::CWideString(const char* text) : m_text(NarrowToWide(text)) {}

CWideString::CWideString(const WChar* text) : m_text(text ? text : EmptyWideText()) {}

CWideString::CWideString(const CWideString& other) : CString(), m_text(other.m_text.c_str()) {}

CWideString& CWideString::operator=(const CWideString& other) {
    if (this != &other)
        AssignWideString(other);
    return *this;
}

CWideString::~CWideString() = default;

CWideString CWideString::Concat(const CWideString& a, const char* text) {
    CWideString result(a);
    if (text)
        result.AppendNarrow(text);
    return result;
}

void CWideString::DropCache() {
    m_narrow.reset();
}

int CWideString::GetKind() const {
    return 2;
}

const void* CWideString::GetData() const {
    return m_text.c_str();
}

int CWideString::GetByteLength() const {
    return int(m_text.size() * 2);
}

int CWideString::GetCharSize() const {
    return 2;
}

int CWideString::GetLength() const {
    return int(m_text.size());
}

CWideString* CWideString::Substring(int pos, int count) const {
    std::unique_ptr<CWideString> result(new CWideString);
    size_t start, length;
    if (ClipRange(pos, count, start, length))
        result->m_text = m_text.substr(start, length);
    return result.release();
}

bool CWideString::IsEmpty() const {
    return m_text.empty();
}

void CWideString::Clear() {
    m_text.clear();
    DropCache();
}

char CWideString::GetCharAt(int index) const {
    return char(GetWideCharAt(index) & 0xFF);
}

const char* CWideString::GetNarrow() const {
    if (!m_narrow) {
        std::string copy = WideToNarrow(m_text.c_str());
        if (copy.empty())
            return EmptyNarrowText();
        m_narrow.reset(new char[copy.size() + 1]);
        std::memcpy(m_narrow.get(), copy.c_str(), copy.size() + 1);
    }
    return m_narrow.get();
}

void CWideString::AssignNarrow(const char* text, int length) {
    WideText copy = NarrowToWide(text);
    if (copy.empty() || length == 0) {
        Clear();
        return;
    }
    if (length > 0 && size_t(length) < copy.size())
        copy.resize(size_t(length));
    m_text.swap(copy);
    DropCache();
}

void CWideString::AppendNarrow(const char* text) {
    m_text.append(NarrowToWide(text));
    DropCache();
}

int CWideString::CompareNarrow(const char* text) const {
    if (!text)
        text = EmptyNarrowText();
    return CompareWideWithNarrow(m_text.data(), m_text.size(), text, std::strlen(text));
}

WChar CWideString::GetWideCharAt(int index) const {
    if (index < 0 || size_t(index) >= m_text.size())
        return 0;
    return m_text[size_t(index)];
}

const WChar* CWideString::GetWide() const {
    return m_text.c_str();
}

void CWideString::AssignWide(const WChar* text) {
    // Copied aside first: text may point into this string.
    WideText copy(text ? text : EmptyWideText());
    m_text.swap(copy);
    DropCache();
}

void CWideString::AppendWide(const WChar* text) {
    if (text)
        m_text.append(text);
    DropCache();
}

int CWideString::CompareWide(const WChar* text) const {
    if (!text)
        text = EmptyWideText();
    return CompareWideText(m_text.data(), m_text.size(), text, WideTextLength(text));
}

void CWideString::AssignString(const CString& other) {
    AssignWide(other.GetWide());
}

void CWideString::AppendString(const CString& other) {
    AppendWide(other.GetWide());
}

int CWideString::CompareString(const CString& other) const {
    return CompareWide(other.GetWide());
}

void CWideString::AssignNarrowString(const CNarrowString& other) {
    AssignNarrow(other.GetText().c_str(), -1);
}

void CWideString::AppendNarrowString(const CNarrowString& other) {
    AppendNarrow(other.GetText().c_str());
}

int CWideString::CompareNarrowString(const CNarrowString& other) const {
    return CompareNarrow(other.GetText().c_str());
}

void CWideString::AssignWideString(const CWideString& other) {
    AssignWide(other.m_text.c_str());
}

void CWideString::AppendWideString(const CWideString& other) {
    m_text.append(other.m_text);
    DropCache();
}

int CWideString::CompareWideString(const CWideString& other) const {
    return CompareWideText(m_text.data(), m_text.size(), other.m_text.data(), other.m_text.size());
}

void CWideString::Erase(int pos, int count) {
    size_t start, length;
    if (!ClipRange(pos, count, start, length))
        return;
    m_text.erase(start, length);
    DropCache();
}

void CWideString::Trim() {
    size_t end = m_text.size();
    while (end > 0 && IsSpaceUnit(m_text[end - 1]))
        --end;
    if (end == 0) {
        Clear();
        return;
    }
    m_text.erase(end);
    size_t begin = 0;
    while (IsSpaceUnit(m_text[begin]))
        ++begin;
    m_text.erase(0, begin);
    DropCache();
}

void CWideString::MakeUpper() {
    if (m_text.empty())
        return;
    for (WChar& c : m_text)
        c = WChar(ToUpperUnit(c));
    DropCache();
}

} // namespace common
