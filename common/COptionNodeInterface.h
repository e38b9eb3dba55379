#pragma once
// The option node interface: one entry of a menu model. A node has a caption,
// ordered children that it owns, and states (checked, enabled, visible) that are
// worked out from conditions on live program variables each time they are asked
// for; activating it runs actions on those variables. COptionNode implements it.
#include <cstdint>

namespace common {

class COwnedValue;
class CString;
class CWideString;

class COptionNodeInterface {
public:
    // A condition or action function: called with the entry's argument.
    typedef bool (*CallFunction)(uintptr_t argument);
    // Told about a node (the one where a Notify began, or the one named).
    typedef void (*NotifyFunction)(uintptr_t context, COptionNodeInterface* node);

    // Takes ownership of the node, detaching it from a former parent; true when it
    // is (or already was) a child. False for null, this node or one of its ancestors.
    virtual bool AddChild(COptionNodeInterface* node) = 0;
    virtual const CWideString& GetName() const = 0;
    virtual void SetName(const CString& name) = 0;
    virtual const CWideString& GetText() const = 0;
    virtual void SetText(const CString& text) = 0;
    // Deletes the whole subtree.
    virtual ~COptionNodeInterface();
    // Runs the actions of an unlocked, enabled, visible, childless node; true when
    // they changed something.
    virtual bool Activate() = 0;
    // Calls the nearest notify function up the parent chain with the node (null:
    // this node); false when no node on the way has one.
    virtual bool Notify(COptionNodeInterface* node) = 0;
    // A free-standing node owned by the caller.
    virtual COptionNodeInterface* NewNode(const CString& name) = 0;
    virtual int32_t GetChildCount() const = 0;
    // Null for an index out of range.
    virtual COptionNodeInterface* GetChildAt(int32_t index) const = 0;
    // AddChild; the node when it succeeded, else null.
    virtual COptionNodeInterface* AddChildChecked(COptionNodeInterface* node) = 0;

    // The creators below make an owned child; null while this node is locked.
    virtual COptionNodeInterface* CreateChild(const CString& name) = 0;
    // Named by the UI text of the id, which is kept as the child's tag.
    virtual COptionNodeInterface* CreateChildById(int32_t textId) = 0;
    // Checked while *variable == value; activating it flips bit 0 of *variable;
    // with an enable variable, enabled only while it equals enableValue.
    virtual COptionNodeInterface* CreateCheckItem(const CString& name, uint8_t* variable, uint8_t value,
                                                  uint8_t* enableVariable, uint8_t enableValue) = 0;
    virtual COptionNodeInterface* CreateCheckItemById(int32_t textId, uint8_t* variable, uint8_t value,
                                                      uint8_t* enableVariable, uint8_t enableValue) = 0;
    // Radio-style: checked while *variable == value; activating it stores value.
    virtual COptionNodeInterface* CreateRadioItem(const CString& name, uint32_t* variable, uint32_t value,
                                                  uint8_t* enableVariable, uint8_t enableValue) = 0;
    virtual COptionNodeInterface* CreateRadioItemById(int32_t textId, uint32_t* variable, uint32_t value,
                                                      uint8_t* enableVariable, uint8_t enableValue) = 0;
    // A locked child with an empty name: a separator.
    virtual COptionNodeInterface* CreateUnnamedChild() = 0;
    // Takes the child out (its parent cleared) and hands it to the caller; null for
    // an index out of range.
    virtual COptionNodeInterface* RemoveChildAt(int32_t index) = 0;
    virtual void DeleteChildren() = 0;
    virtual COptionNodeInterface* GetParent() const = 0;
    // Stores the parent pointer only (AddChild and RemoveChildAt keep it right).
    virtual bool SetParent(COptionNodeInterface* parent) = 0;

    virtual bool IsChecked() const = 0;
    // Has checked conditions or the radio-style flag.
    virtual bool IsCheckable() const = 0;
    // The radio-style flag alone.
    virtual bool GetCheckableFlag() const = 0;
    virtual void SetChecked(bool checked) = 0;
    virtual bool IsEnabled() const = 0;
    virtual void SetEnabled(bool enabled) = 0;
    virtual bool IsVisible() const = 0;
    virtual void SetVisible(bool visible) = 0;
    virtual bool IsLocked() const = 0;
    // A value carried with the node; the node itself never reads it.
    virtual COwnedValue* GetValue() = 0;
    // The UI text id the name came from, -1 when it was given as text.
    virtual int32_t GetTag() const = 0;
    // Keeps the id; a non-negative id also renames the node with its UI text.
    virtual void SetNameById(int32_t textId) = 0;

    // Condition adders: the state holds while any of its conditions holds. Every
    // adder answers false, adding nothing, while the node is locked or for a null
    // target. A node condition on this node itself reads its own stored flag.
    virtual bool AddCheckedWhenNode(COptionNodeInterface* node, bool value) = 0;
    virtual bool AddCheckedWhenCall(CallFunction function, uintptr_t argument, uint8_t value) = 0;
    virtual bool AddCheckedWhenByte(uint8_t* variable, uint8_t value) = 0;
    virtual bool AddCheckedWhenU32(uint32_t* variable, uint32_t value) = 0;
    virtual bool AddEnabledWhenNode(COptionNodeInterface* node, bool value) = 0;
    virtual bool AddEnabledWhenCall(CallFunction function, uintptr_t argument, uint8_t value) = 0;
    virtual bool AddEnabledWhenByte(uint8_t* variable, uint8_t value) = 0;
    virtual bool AddEnabledWhenU32(uint32_t* variable, uint32_t value) = 0;
    virtual bool AddVisibleWhenNode(COptionNodeInterface* node, bool value) = 0;
    virtual bool AddVisibleWhenByte(uint8_t* variable, uint8_t value) = 0;
    virtual bool AddVisibleWhenU32(uint32_t* variable, uint32_t value) = 0;

    // Action adders, run in order by Activate. Activate and set-checked refuse
    // this node itself.
    virtual bool AddActionActivate(COptionNodeInterface* node) = 0;
    virtual bool AddActionCall(CallFunction function, uintptr_t argument) = 0;
    virtual bool AddActionSetChecked(COptionNodeInterface* node, bool value) = 0;
    virtual bool AddActionToggleByte(uint8_t* variable) = 0;
    virtual bool AddActionSetByte(uint8_t* variable, uint8_t value) = 0;
    // One set-byte action for each of count bytes from first; false for count < 1.
    virtual bool AddActionSetBytes(uint8_t* first, uint8_t value, int32_t count) = 0;
    virtual bool AddActionSetU32(uint32_t* variable, uint32_t value) = 0;
    virtual void SetNotifyHandler(uintptr_t context, NotifyFunction function) = 0;

protected:
    COptionNodeInterface() = default;
    COptionNodeInterface(const COptionNodeInterface&) = delete;
    COptionNodeInterface& operator=(const COptionNodeInterface&) = delete;
};

} // namespace common
