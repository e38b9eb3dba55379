#pragma once
// The string family's abstract interface: every name, key, caption and log line
// travels as a CString. Two widths exist: CNarrowString (bytes) and CWideString
// (UTF-16 units); every operation accepts either width and converts as needed.
//
// Conversions are the plain "C"-locale ones, coded here so that they do not
// depend on the host's C runtime or locale:
//   narrow -> wide: byte b becomes unit b (read as unsigned), up to the first NUL;
//   wide -> narrow: each unit keeps its low byte, up to the first unit whose
//   low byte is 0 (so U+0100 ends the narrow text).
// So single-byte Cyrillic text (code page 866/1251 bytes) survives narrow -> wide
// -> narrow unchanged, while a real Unicode letter such as U+0441 becomes 0x41.
//
// Formatting (Format, AppendFormat) is printf-style and identical on every build.
// The Windows size prefixes "I32" (32-bit) and "I64" (64-bit) work at run time
// on both builds (they are rewritten before formatting), but the compiler's
// format check rejects them on both, so literal formats use the standard forms:
// "%x" / "%.2x" with an unsigned (uint32_t) argument for 32-bit values, "%lld" /
// "%llx" with a (unsigned) long long for 64-bit ones. "%ld" takes a long, which
// is 64-bit natively and 32-bit on Win32: cast the argument to long. MinGW's
// check also flags "%zu": cast sizes to unsigned or unsigned long long.
#include <cstdarg>
#include <string>

#include "common/Types.h"

namespace common {

class CNarrowString;
class CWideString;

// The shared empty texts; never null, never written.
const char* EmptyNarrowText();
const WChar* EmptyWideText();

// Length of a NUL-terminated UTF-16 text in units; null counts as empty.
size_t WideTextLength(const WChar* text);
// The "C"-locale conversions described above (null reads as the empty text).
WideText NarrowToWide(const char* text);
std::string WideToNarrow(const WChar* text);
// Three-way orders: unsigned bytes (units) over the shorter length, then the
// length difference a - b. The mixed form reads b's bytes as units.
int CompareNarrowText(const char* a, size_t aLength, const char* b, size_t bLength);
int CompareWideText(const WChar* a, size_t aLength, const WChar* b, size_t bLength);
int CompareWideWithNarrow(const WChar* a, size_t aLength, const char* b, size_t bLength);
// The "C" locale's character classes, the same for bytes and units.
bool IsSpaceUnit(unsigned c);
unsigned ToUpperUnit(unsigned c);

class CString {
public:
    // 0 for this abstract base, 1 narrow, 2 wide (a path is wide).
    virtual int GetKind() const;
    virtual ~CString();
    virtual const void* GetData() const = 0;
    virtual int GetByteLength() const = 0;
    virtual int GetCharSize() const = 0;
    virtual int GetLength() const = 0;
    // A new string of the same width owned by the caller. A count below 1 or
    // pos + count <= 0 gives an empty string; a negative pos starts at 0 keeping
    // pos + count characters; the count is clipped at the end; a pos beyond the
    // length throws std::out_of_range.
    virtual CString* Substring(int pos, int count) const = 0;
    virtual bool IsEmpty() const = 0;
    virtual void Clear() = 0;
    // 0 for an index outside the text.
    virtual char GetCharAt(int index) const = 0;
    // Valid until the string changes or dies.
    virtual const char* GetNarrow() const = 0;
    // A null text or a length of 0 empties; a negative length takes the whole text.
    virtual void AssignNarrow(const char* text, int length = -1) = 0;
    virtual void AppendNarrow(const char* text) = 0;
    // A null text does nothing; pos at or beyond the length appends; a negative
    // pos inserts at the front.
    virtual void Insert(const char* text, int pos);
    virtual void InsertChar(char c, int pos);
    virtual int CompareNarrow(const char* text) const = 0;
    virtual WChar GetWideCharAt(int index) const = 0;
    // Valid until the string changes or dies.
    virtual const WChar* GetWide() const = 0;
    virtual void AssignWide(const WChar* text) = 0;
    virtual void AppendWide(const WChar* text) = 0;
    virtual int CompareWide(const WChar* text) const = 0;
    virtual void AssignString(const CString& other) = 0;
    virtual void AppendString(const CString& other) = 0;
    virtual int CompareString(const CString& other) const = 0;
    // Whether the last n characters of both strings are equal (true for n < 1;
    // when either is shorter than n, whether the lengths are equal).
    virtual bool TailEquals(const CString& other, int n) const;
    virtual void AssignNarrowString(const CNarrowString& other) = 0;
    virtual void AppendNarrowString(const CNarrowString& other) = 0;
    virtual int CompareNarrowString(const CNarrowString& other) const = 0;
    virtual void AssignWideString(const CWideString& other) = 0;
    virtual void AppendWideString(const CWideString& other) = 0;
    virtual int CompareWideString(const CWideString& other) const = 0;
    // Nothing for count < 1 or pos + count <= 0; a negative pos starts at 0;
    // clipped at the end; a start beyond the length throws std::out_of_range.
    virtual void Erase(int pos, int count) = 0;
    // Removes leading and trailing blanks, \t \n \v \f \r.
    virtual void Trim() = 0;
    // Upper-cases a to z only.
    virtual void MakeUpper() = 0;

    // First index at or after start holding c, else -1 (a negative start counts as 0).
    int Find(char c, int start = 0) const;
    // Last index before end holding c, else -1 (end outside 0..length: whole string).
    int ReverseFind(char c, int end = -1) const;
    int FindWide(WChar c, int start = 0) const;
    int ReverseFindWide(WChar c, int end = -1) const;

    // Appends printf-style text; a null format does nothing. A text longer than
    // 1,048,574 characters (or a formatting error) throws an empty const char*
    // and leaves the string as it was.
    void FormatV(const char* format, va_list args) COMMON_PRINTF_FORMAT(2, 0);
    // Clear, then FormatV.
    void Format(const char* format, ...) COMMON_PRINTF_FORMAT(2, 3);
    void AppendFormat(const char* format, ...) COMMON_PRINTF_FORMAT(2, 3);

protected:
    CString() = default;
    CString(const CString&) = default;
    CString& operator=(const CString&) = default;

    // The range Substring and Erase work on: false when it is empty; the start
    // may still lie beyond the text (the caller's std::string call throws then).
    static bool ClipRange(int pos, int count, size_t& start, size_t& length);

private:
    // Number of wide units a search may read from GetWide().
    int WideSearchLength(const WChar* wide) const;
};

// Sort order of string lists: a before b when a.CompareString(b) < 0; a null
// string sorts before any set one.
bool StringLess(const CString* a, const CString* b);

// Key orders of ordered maps: unsigned byte (unit) comparison over the shorter
// length, the shorter first on a tie. Use as std::map<CNarrowString, T, NarrowStringLess>.
struct NarrowStringLess {
    bool operator()(const CNarrowString& a, const CNarrowString& b) const;
};
struct WideStringLess {
    bool operator()(const CWideString& a, const CWideString& b) const;
};

} // namespace common
