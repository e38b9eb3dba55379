#pragma once
// A list of owned strings (dialog filters, directory listings, console lines),
// addressed by index through a cached cursor. It can write itself to a stream as
// CR LF text lines and collect a hex dump of a stream's bytes.
#include <cstdint>
#include <list>

#include "common/CList.h"

namespace common {

class CNarrowString;
class CStream;

class CStringList : public CList {
public:
    CStringList();
    ~CStringList() override;

    CString* GetAt(int index) override;
    // The copy is made with Substring, so a wide string (or a path) stays wide.
    int Add(const CString& string) override;
    int GetCount() const override;
    void RemoveRange(int first, int count) override;
    void RemoveAll() override;
    // Stable sort in StringLess order (byte or unit order, upper case first).
    void Sort() override;

    // Deletes every string and empties the list.
    void DeleteAll();
    // Moves the cursor to the index; false (cursor unchanged) when out of range.
    bool SeekTo(int index);
    // Writes every string as its narrow text followed by CR LF; false at the first
    // short write (what was written stays in the stream).
    bool WriteTextLines(CStream& stream);
    // Appends lines of itemsPerLine bytes read from the stream's position to its
    // end, each byte as prefix, two lower-case hex digits, suffix and separator.
    // Only an item width of 1 is supported. Answers the number of bytes dumped, or
    // -1 for another width, itemsPerLine < 1 or a failed read (lines already added
    // stay).
    int FormatHexDump(CStream& stream, int itemWidth, int itemsPerLine, const CNarrowString& separator,
                      const CNarrowString& prefix, const CNarrowString& suffix);

private:
    typedef std::list<CString*> Items;

    Items m_items;            // owned strings, in insertion order
    Items::iterator m_cursor; // the item last visited by index
    int m_cursorIndex;        // its index, -1 when no cursor is set
};

// Appends prefix, the value as (at least) two lower-case hex digits, suffix and
// separator to the line: one hex-dump item.
void AppendHexByteText(CString& line, const CNarrowString& prefix, uint32_t value, const CNarrowString& suffix,
                       const CNarrowString& separator);

} // namespace common
