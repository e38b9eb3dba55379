#pragma once
// Wide string of UTF-16 units with a cached narrow (low-byte) copy built on demand.
// File names and captions are wide; CPath derives from it.
#include <memory>
#include <string>

#include "common/CString.h"

namespace common {

class CWideString : public CString {
public:
    CWideString();
    // The narrow text converted byte by byte (null gives an empty string).
    CWideString(const char* text);
    // The UTF-16 text up to its NUL (null gives an empty string): CWideString(u"...").
    CWideString(const WChar* text);
    // Copies the other's text up to its first NUL.
    CWideString(const CWideString& other);
    CWideString& operator=(const CWideString& other);
    ~CWideString() override;

    // A copy of a with the narrow text appended (null text: a plain copy).
    static CWideString Concat(const CWideString& a, const char* text);

    int GetKind() const override;
    const void* GetData() const override;
    int GetByteLength() const override;
    int GetCharSize() const override;
    int GetLength() const override;
    CWideString* Substring(int pos, int count) const override;
    bool IsEmpty() const override;
    void Clear() override;
    char GetCharAt(int index) const override;
    const char* GetNarrow() const override;
    void AssignNarrow(const char* text, int length = -1) override;
    void AppendNarrow(const char* text) override;
    int CompareNarrow(const char* text) const override;
    WChar GetWideCharAt(int index) const override;
    const WChar* GetWide() const override;
    void AssignWide(const WChar* text) override;
    void AppendWide(const WChar* text) override;
    int CompareWide(const WChar* text) const override;
    void AssignString(const CString& other) override;
    void AppendString(const CString& other) override;
    int CompareString(const CString& other) const override;
    void AssignNarrowString(const CNarrowString& other) override;
    void AppendNarrowString(const CNarrowString& other) override;
    int CompareNarrowString(const CNarrowString& other) const override;
    void AssignWideString(const CWideString& other) override;
    void AppendWideString(const CWideString& other) override;
    int CompareWideString(const CWideString& other) const override;
    void Erase(int pos, int count) override;
    void Trim() override;
    void MakeUpper() override;

    // The whole UTF-16 text, embedded NULs included.
    const WideText& GetText() const { return m_text; }

protected:
    // Subclasses that edit m_text directly call this afterwards: the narrow
    // copy no longer matches.
    void DropCache();

    WideText m_text;
    // Owned narrow copy of m_text up to its first NUL, NUL-terminated, or null.
    mutable std::unique_ptr<char[]> m_narrow;
};

} // namespace common
