#pragma once
// The abstract list of strings addressed by index, and the cursor walk that its
// implementations share. Each list keeps the position it visited last, so that
// walking it by increasing or decreasing index costs one step per call.
#include <algorithm>
#include <cstdint>
#include <iterator>

namespace common {

class CString;

class CList {
public:
    // The string at the index (a value list answers the item's name); null when
    // the index is negative or not below the count. Moves the cursor.
    virtual CString* GetAt(int index) = 0;
    // Appends a copy of the string (of the same width) and answers its index.
    virtual int Add(const CString& string) = 0;
    virtual ~CList();
    virtual int GetCount() const = 0;
    // Removes the items first .. first + count - 1, clipped to the list; nothing
    // happens when that range holds no item.
    virtual void RemoveRange(int first, int count) = 0;
    virtual void RemoveAll();
    virtual void Sort() = 0;

    CList(const CList&) = delete;
    CList& operator=(const CList&) = delete;

protected:
    CList() = default;

    // Moves the cursor (an iterator of items with its index, -1 when unset) to the
    // item at index, stepping from where the cursor stands. False, cursor
    // unchanged, when the index is out of range.
    template <typename Items>
    static bool WalkTo(Items& items, typename Items::iterator& cursor, int& cursorIndex, int index) {
        if (index < 0 || static_cast<size_t>(index) >= items.size())
            return false;
        if (cursorIndex == -1) {
            cursor = items.begin();
            cursorIndex = 0;
        }
        std::advance(cursor, index - cursorIndex);
        cursorIndex = index;
        return true;
    }

    // The common RemoveRange: frees each removed item with release(item), then
    // leaves the cursor on the item that followed the range (unset at the end).
    template <typename Items, typename Release>
    static void RemoveItems(Items& items, typename Items::iterator& cursor, int& cursorIndex, int first, int count,
                            Release release) {
        const int64_t size = static_cast<int64_t>(items.size());
        const int64_t last64 = static_cast<int64_t>(first) + count - 1;
        if (count < 1 || first >= size || last64 < 0)
            return;
        const int last = static_cast<int>(std::min(last64, size - 1));
        const int start = std::max(first, 0);
        WalkTo(items, cursor, cursorIndex, start);
        for (int i = start; i <= last; ++i) {
            release(*cursor);
            cursor = items.erase(cursor);
        }
        cursorIndex = cursor == items.end() ? -1 : start;
    }
};

} // namespace common
