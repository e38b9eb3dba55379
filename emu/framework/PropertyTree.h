#pragma once
// Maps an object tree's properties onto a tree of settings registry levels and
// back. Each object adds its settable values to a registry level through
// CollectProperties (the level holds the values of the whole subtree, the first
// binding of a name winning); the settings tree nests one level per device,
// named after it.
//
// Export builds the tree that the machine settings file (enabledOnly false:
// every device) and the configuration snapshot of a saved state (enabledOnly
// true) are written from. With enabledOnly true a disabled device gets no level
// of its own either, so the snapshot names the enabled devices only.
//
// Transfer applies one registry body read from a stream: values go into the
// bound variables of the object and its descendants, each nested section goes
// to the direct child of that name (unknown names and sections are passed
// over), and every object checks and corrects its values once its own values
// are in. Mode "compare" (the snapshot) collects enabled objects only and sets
// *changed when a stored value differs from the current one.
namespace common {
class CNarrowString;
class CSettingsRegistry;
class CStream;
} // namespace common

namespace emu {

class CObject;

// Fills the level from the object's subtree; false for a null object or level,
// and when two direct device children share a name (the later one is left out,
// and so are the children after it).
bool ExportPropertyTree(CObject* object, common::CSettingsRegistry* level, bool enabledOnly);
// Applies the registry body at the stream's position to the object's subtree.
// compare false: every object, changed unused; true: enabled objects, with
// change detection into *changed (never cleared).
bool TransferPropertyTree(CObject* object, common::CStream* stream, bool compare, bool* changed);

// Section handlers (context: the object whose children take the sections):
// false when there is no direct child of that name, else the child's transfer.
bool FindChildForLoad(void* context, common::CStream* stream, const common::CNarrowString& name, bool* changed);
bool FindChildForCompare(void* context, common::CStream* stream, const common::CNarrowString& name, bool* changed);
// Section notifiers: true for a finished section; with a null name (the
// object's own values are in) the object's check.
bool ValidateLoadedChild(void* context, const common::CNarrowString* name);
bool ValidateComparedChild(void* context, const common::CNarrowString* name);
// Section handlers whose context is the named object itself: false when the
// object's name differs from the section's, else its own transfer.
bool TestChildForLoad(void* context, common::CStream* stream, const common::CNarrowString& name, bool* changed);
bool TestChildForCompare(void* context, common::CStream* stream, const common::CNarrowString& name, bool* changed);

} // namespace emu
