#pragma once
// A list of named values: each item is an owned name string with a value of type
// T beside it (a console line with its colour, a named bus callback). Addressed
// by index through a cached cursor, like the string list; never sorted.
#include <list>

#include "common/CList.h"
#include "common/CString.h"

namespace common {

template <typename T> class CValueList : public CList {
public:
    struct CItem {
        CString* m_name; // owned
        T m_value;
    };

    CValueList() : m_cursor(m_items.end()), m_cursorIndex(-1) {}
    ~CValueList() override { RemoveAll(); }

    // The item's name.
    CString* GetAt(int index) override {
        CItem* item = GetItemAt(index);
        return item ? item->m_name : nullptr;
    }
    // Appends a copy of the name with a zero (value-initialised) value.
    int Add(const CString& name) override { return AddItem(name, T{}); }
    int GetCount() const override { return static_cast<int>(m_items.size()); }
    void RemoveRange(int first, int count) override {
        RemoveItems(m_items, m_cursor, m_cursorIndex, first, count, [](CItem& item) { delete item.m_name; });
    }
    void RemoveAll() override {
        for (CItem& item : m_items)
            delete item.m_name;
        m_items.clear();
        m_cursor = m_items.end();
        m_cursorIndex = -1;
    }
    // The items keep their order.
    void Sort() override {}

    // Appends a copy of the name (of the same width) with the value; answers its index.
    int AddItem(const CString& name, const T& value) {
        m_items.push_back(CItem{name.Substring(0, name.GetLength()), value});
        m_cursorIndex = -1;
        return static_cast<int>(m_items.size()) - 1;
    }
    // The item at the index, null when out of range; valid until it is removed.
    CItem* GetItemAt(int index) { return WalkTo(m_items, m_cursor, m_cursorIndex, index) ? &*m_cursor : nullptr; }

private:
    typedef std::list<CItem> Items;

    Items m_items;
    typename Items::iterator m_cursor; // the item last visited by index
    int m_cursorIndex;                 // its index, -1 when no cursor is set
};

} // namespace common
