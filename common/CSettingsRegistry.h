#pragma once
// A tree of named settings. Each level maps names to typed values (in practice
// values bound to the program's own variables, CBoundValue.h) and names to
// nested levels; the whole tree is saved to and loaded from a stream, loading
// writing the stored values straight into the bound variables. Names compare
// exactly, by unsigned bytes (NarrowStringLess).
//
// Stream format, integers little-endian:
//   header     the header text's characters, no terminator (absent when none)
//   body       u16 reserved word 0, u16 extension length (bytes to skip before
//              the first entry; written as 0), then entries:
//                01 name record, typed value record (CValue.h)
//                80 name record, nested body (never a header or trailer)
//              all value entries first in name order, then the sections in
//              name order, then the end byte FF
//   trailer    the trailer text's characters (absent when none)
// Settings files use the header "NUVINI" and no trailer. Example: "EmuFastInit"
// = true gives "NUVINI" 00 00 00 00 01 81 8A 0B 00 "EmuFastInit" 04 40 FF FF.
//
// Loading is forgiving about content and strict about form: unknown names are
// read and dropped, values the bound variable cannot take are left unassigned,
// and sections no handler takes are skipped whole; a damaged body, a wrong
// header or trailer or an unknown entry byte fails the load, keeping what was
// assigned before. Sections nest at most kMaxNestingDepth bodies deep (counted
// over every load running on the thread, handlers' nested loads included), so a
// crafted file cannot exhaust the stack.
#include <map>
#include <memory>

#include "common/CNarrowString.h"

namespace common {

class CBoundValue;
class CStream;
class CString;
class CValue;

class CSettingsRegistry {
public:
    // Reads the nested section `name` from the stream for the level's owner;
    // `changed` is the compare-load's flag (a scratch flag during a plain load).
    // False sends the stream back to the section's start, where it is skipped.
    typedef bool (*SectionHandler)(void* context, CStream* stream, const CNarrowString& name, bool* changed);
    // Told with a null name when the level's values are complete (before the
    // first section, or at the end of a level without sections) and with each
    // section's name once it is done; false fails the load.
    typedef bool (*SectionNotify)(void* context, const CNarrowString* name);

    typedef std::map<CNarrowString, std::unique_ptr<CValue>, NarrowStringLess> ValueMap;
    typedef std::map<CNarrowString, std::unique_ptr<CSettingsRegistry>, NarrowStringLess> ChildMap;

    // The deepest nesting of bodies a load accepts.
    static constexpr int kMaxNestingDepth = 64;

    CSettingsRegistry();
    virtual ~CSettingsRegistry();

    CSettingsRegistry(const CSettingsRegistry&) = delete;
    CSettingsRegistry& operator=(const CSettingsRegistry&) = delete;

    // Bind a program variable under a name and return its bound value (owned by
    // the registry); null for a null variable or a name already present, which
    // keeps its first binding.
    CBoundValue* BindBool(const CNarrowString& name, bool* variable);
    CBoundValue* BindUInt8(const CNarrowString& name, uint8_t* variable);
    CBoundValue* BindString(const CNarrowString& name, CString* variable);
    // Inserts an unbound value (type 0) for the caller to bind with one of
    // CBoundValue's Bind operations (the way to bind other types, such as a
    // signed 32-bit variable); null when the name is present.
    CBoundValue* AddBinding(const CNarrowString& name);

    // Takes ownership of `value` and files it under the name; when the name is
    // present (or value is null) the value is deleted, the existing entry stays
    // and the result is null.
    CValue* InsertValue(const CNarrowString& name, CValue* value);
    // The same for a nested level.
    CSettingsRegistry* InsertChild(const CNarrowString& name, CSettingsRegistry* child);

    CValue* FindValue(const CNarrowString& name) const;
    CSettingsRegistry* FindChild(const CNarrowString& name) const;
    const ValueMap& GetValues() const { return m_values; }
    const ChildMap& GetChildren() const { return m_children; }

    // Hooks for owners that walk a tree of their own; `context` goes to both.
    void SetSectionHandler(SectionHandler handler) { m_sectionHandler = handler; }
    void SetSectionNotify(SectionNotify notify) { m_sectionNotify = notify; }
    void SetContext(void* context) { m_context = context; }

    // Writes header, body and trailer (a null or empty header or trailer is
    // left out); false at the first write that falls short or a value without
    // a record (an unbound one).
    bool Save(CStream* stream, const char* header, const char* trailer) const;
    bool Load(CStream* stream, const char* header, const char* trailer);
    // Load that also sets *changed (never clears it) when a stored value of a
    // known name differs from the current one; section handlers receive `changed`.
    bool LoadAndCompare(CStream* stream, bool* changed, const char* header, const char* trailer);
    // Reads one body from the stream's position into a throw-away registry:
    // whether it parsed. Consumes exactly that body, end byte included.
    static bool CheckStream(CStream* stream);

    // Saves the tree as a whole file: the bytes are built in memory, written to
    // a temporary file beside `path` and put in its place only once they are
    // all on disk, so a failed save leaves the old file as it was.
    bool SaveToFile(const CString& path, const char* header, const char* trailer) const;

private:
    bool SaveBody(CStream* stream) const;
    bool LoadWith(CStream* stream, bool* changed, bool compare, const char* header, const char* trailer);
    bool LoadBody(CStream* stream, bool* changed, bool compare, const char* trailer);

    ValueMap m_values;
    ChildMap m_children;
    SectionHandler m_sectionHandler = nullptr;
    SectionNotify m_sectionNotify = nullptr;
    void* m_context = nullptr; // the owner's, never owned
};

} // namespace common
