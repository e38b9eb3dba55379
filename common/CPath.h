#pragma once
// A file or folder name: a wide string with a few path operations of its own.
// Both separators, backslash and slash, are understood when a path is taken
// apart; composed paths use common::PathSeparator() (ProgramFolders.h).
#include "common/CWideString.h"

namespace common {

class CPath : public CWideString {
public:
    CPath();
    // The narrow text converted byte by byte (null gives an empty path).
    CPath(const char* text);
    // The UTF-16 text up to its NUL (null gives an empty path).
    CPath(const WChar* text);
    // Copies the other's text up to its first NUL.
    CPath(const CPath& other);
    explicit CPath(const CWideString& other);
    // The component with that 0-based index of source, components being the
    // stretches between separators. An empty source, a negative index, an index
    // beyond the last component or an empty component give an empty path.
    CPath(const CString& source, int index);
    CPath& operator=(const CPath& other);
    ~CPath() override;

    // The text after the last backslash or slash of source (all of it when it
    // has neither).
    static CPath GetFileName(const CString& source);

    // New paths owned by the caller: a copy, and an empty path.
    virtual CPath* Clone() const;
    virtual CPath* CreateEmpty() const;

    // Moves up one folder in place, looking only at PathSeparator():
    // 'a\b\c.txt' -> 'a\b\', 'a\b\' -> 'a\', 'abc\' -> '', 'a\..\' -> 'a\..\..\'.
    // False when the path holds no separator.
    bool MoveToParentFolder();
};

} // namespace common
