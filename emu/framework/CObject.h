#pragma once
// Root of the emulation object tree. Every service and device of a machine is
// an object: it has a name (also the name of its state chunk), a short name
// that trace lines print in brackets, a parent container, the shared console
// and an enabled flag that the parent's walks (start, stop, reset, state save
// and load) respect.
//
// State chunk of one object (record format of CStreamHolder.h):
//   F0 name, field "_VER" (u8, always 0), field "_ENBL" (bool), own data
//   (SaveData), [container: the chunks of the enabled children], FF name
// A load requires exactly what the save wrote; nothing is skipped or searched.
#include <cstdint>
#include <map>

#include "common/CNarrowString.h"
#include "common/Types.h"
#include "emu/framework/ConsoleColors.h"

namespace common {
class CSettingsRegistry;
class CStreamHolder;
class CTextConsole;
} // namespace common

namespace emu {

class CObjectContainer;
class COptionTree;

class CObject {
public:
    // Working map of FindDuplicateName: a name and the object that used it first.
    typedef std::map<common::CNarrowString, CObject*, common::NarrowStringLess> NameMap;

    // Colour of LogError lines (ARGB).
    static constexpr common::ARGB kErrorColour = ConsoleColors[kColourError];

    CObject();

    CObject(const CObject&) = delete;
    CObject& operator=(const CObject&) = delete;

    // Itself when its name is empty, else null (a container also asks its children).
    virtual CObject* FindUnnamed();
    // Itself when it is unnamed and rejectUnnamed is set, or when its name is
    // already in the map (the later of two objects of one name); else null after
    // recording the name (a container then asks its children).
    virtual CObject* FindDuplicateName(NameMap& names, bool rejectUnnamed);
    // Adds the object's settable values to the registry level as bound values
    // (a name already there keeps its first binding); false for no registry.
    virtual bool CollectProperties(common::CSettingsRegistry* registry, bool enabledOnly);
    // Checks and corrects the collected values; false when one had to be corrected.
    virtual bool ValidateProperties(bool enabledOnly);
    virtual ~CObject();
    // `value` is the synchronisation rate in Hz, in and out: an object that needs
    // a finer rate raises it. False when the object cannot start.
    virtual bool Start(int32_t* value);
    virtual void Stop();
    virtual void BuildMenu(COptionTree* menu, int32_t kind);
    virtual bool IsProcessor() const;
    virtual bool IsDevice() const;
    // The object's chunk (see above).
    virtual bool SaveState(common::CStreamHolder& holder);
    // Reads the object's chunk. errorText is the caller's message for a failed
    // load; it is passed on unchanged so that a subclass may put a reason in it.
    virtual bool LoadState(common::CStreamHolder& holder, common::CNarrowString* errorText);
    // The object's own data inside its chunk; the base writes and reads nothing.
    virtual bool SaveData(common::CStreamHolder& holder);
    virtual bool LoadData(common::CStreamHolder& holder, common::CNarrowString* errorText);
    // The name's text; the empty text when there is none.
    virtual const char* GetName() const;
    virtual void SetConsole(common::CTextConsole* console);

    // checkUnnamed alone: FindUnnamed. Otherwise FindDuplicateName over a fresh
    // map, rejecting unnamed objects when both flags are set (with checkUnnamed
    // false an empty name counts as a name, so a second unnamed object is a duplicate).
    CObject* FindNameConflict(bool checkUnnamed, bool checkDuplicates);
    // Always false; a device uses it as the initial value of one of its flags.
    static bool ReturnZero();

    // One line on the object's console (SetConsole): a message in the console's
    // default colour, even when empty; an error in the error colour, dropped
    // when empty. Without a console nothing is printed.
    void LogMessage(const char* format, ...) COMMON_PRINTF_FORMAT(2, 3);
    void LogError(const char* format, ...) COMMON_PRINTF_FORMAT(2, 3);

    const common::CNarrowString& GetNameString() const { return m_name; }
    const common::CNarrowString& GetShortNameString() const { return m_shortName; }
    const char* GetShortName() const { return m_shortName.GetNarrow(); }
    // A null text empties the name.
    void SetName(const char* name) { m_name.AssignNarrow(name); }
    void SetShortName(const char* shortName) { m_shortName.AssignNarrow(shortName); }
    CObjectContainer* GetParent() const { return m_parent; }
    common::CTextConsole* GetConsole() const { return m_console; }
    bool IsEnabled() const { return m_enabled; }
    void SetEnabled(bool enabled) { m_enabled = enabled; }

protected:
    common::CNarrowString m_name;
    common::CNarrowString m_shortName;
    CObjectContainer* m_parent;      // the container holding this object; not owned
    common::CTextConsole* m_console; // shared console; not owned
    bool m_enabled;

private:
    friend class CObjectContainer;
};

} // namespace emu
