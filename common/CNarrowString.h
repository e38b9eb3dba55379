#pragma once
// Narrow (8-bit) string: a byte string with a cached wide copy built on demand.
#include <memory>
#include <string>

#include "common/CString.h"

namespace common {

class CNarrowString : public CString {
public:
    CNarrowString();
    // The text up to its NUL; null gives an empty string.
    CNarrowString(const char* text);
    // Copies the other's text up to its first NUL.
    CNarrowString(const CNarrowString& other);
    CNarrowString& operator=(const CNarrowString& other);
    ~CNarrowString() override;

    int GetKind() const override;
    const void* GetData() const override;
    int GetByteLength() const override;
    int GetCharSize() const override;
    int GetLength() const override;
    CNarrowString* Substring(int pos, int count) const override;
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
    // In place (a position outside the text clamps to its ends); a NUL inserts nothing.
    void InsertChar(char c, int pos) override;
    void Trim() override;
    void MakeUpper() override;

    // The whole byte text, embedded NULs included.
    const std::string& GetText() const { return m_text; }

protected:
    // Called after every change of m_text: the wide copy no longer matches.
    void DropCache();

    std::string m_text;
    // Owned wide copy of m_text up to its first NUL, NUL-terminated, or null.
    mutable std::unique_ptr<WChar[]> m_wide;
};

} // namespace common
