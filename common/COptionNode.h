#pragma once
// The option node: the model behind every menu that the machine and its devices
// publish. Items are built once, bound to the variables they show and change:
// a menu reads the live variables whenever it is shown, and a click changes them
// directly, so devices keep no menu update code.
//
// States are evaluated on demand. With no condition of its kind a state is the
// stored flag (checked only for a checkable node); otherwise it holds when the
// first of its conditions, tried in order, holds. A locked node (a separator) is
// never checked or enabled and accepts no conditions, actions or created children.
//
// No lock: the tree and its variables are used from one thread at a time.
#include <vector>

#include "common/COptionNodeInterface.h"
#include "common/COwnedValue.h"
#include "common/CWideString.h"

namespace common {

class COptionNode : public COptionNodeInterface {
public:
    COptionNode();
    ~COptionNode() override;

    bool AddChild(COptionNodeInterface* node) override;
    const CWideString& GetName() const override;
    void SetName(const CString& name) override;
    const CWideString& GetText() const override;
    void SetText(const CString& text) override;
    bool Activate() override;
    bool Notify(COptionNodeInterface* node) override;
    COptionNode* NewNode(const CString& name) override;
    int32_t GetChildCount() const override;
    COptionNodeInterface* GetChildAt(int32_t index) const override;
    COptionNodeInterface* AddChildChecked(COptionNodeInterface* node) override;
    COptionNode* CreateChild(const CString& name) override;
    COptionNode* CreateChildById(int32_t textId) override;
    COptionNode* CreateCheckItem(const CString& name, uint8_t* variable, uint8_t value, uint8_t* enableVariable,
                                 uint8_t enableValue) override;
    COptionNode* CreateCheckItemById(int32_t textId, uint8_t* variable, uint8_t value, uint8_t* enableVariable,
                                     uint8_t enableValue) override;
    COptionNode* CreateRadioItem(const CString& name, uint32_t* variable, uint32_t value, uint8_t* enableVariable,
                                 uint8_t enableValue) override;
    COptionNode* CreateRadioItemById(int32_t textId, uint32_t* variable, uint32_t value, uint8_t* enableVariable,
                                     uint8_t enableValue) override;
    COptionNode* CreateUnnamedChild() override;
    COptionNodeInterface* RemoveChildAt(int32_t index) override;
    void DeleteChildren() override;
    COptionNodeInterface* GetParent() const override;
    bool SetParent(COptionNodeInterface* parent) override;
    bool IsChecked() const override;
    bool IsCheckable() const override;
    bool GetCheckableFlag() const override;
    void SetChecked(bool checked) override;
    bool IsEnabled() const override;
    void SetEnabled(bool enabled) override;
    bool IsVisible() const override;
    void SetVisible(bool visible) override;
    bool IsLocked() const override;
    COwnedValue* GetValue() override;
    int32_t GetTag() const override;
    void SetNameById(int32_t textId) override;
    bool AddCheckedWhenNode(COptionNodeInterface* node, bool value) override;
    bool AddCheckedWhenCall(CallFunction function, uintptr_t argument, uint8_t value) override;
    bool AddCheckedWhenByte(uint8_t* variable, uint8_t value) override;
    bool AddCheckedWhenU32(uint32_t* variable, uint32_t value) override;
    bool AddEnabledWhenNode(COptionNodeInterface* node, bool value) override;
    bool AddEnabledWhenCall(CallFunction function, uintptr_t argument, uint8_t value) override;
    bool AddEnabledWhenByte(uint8_t* variable, uint8_t value) override;
    bool AddEnabledWhenU32(uint32_t* variable, uint32_t value) override;
    bool AddVisibleWhenNode(COptionNodeInterface* node, bool value) override;
    bool AddVisibleWhenByte(uint8_t* variable, uint8_t value) override;
    bool AddVisibleWhenU32(uint32_t* variable, uint32_t value) override;
    bool AddActionActivate(COptionNodeInterface* node) override;
    bool AddActionCall(CallFunction function, uintptr_t argument) override;
    bool AddActionSetChecked(COptionNodeInterface* node, bool value) override;
    bool AddActionToggleByte(uint8_t* variable) override;
    bool AddActionSetByte(uint8_t* variable, uint8_t value) override;
    bool AddActionSetBytes(uint8_t* first, uint8_t value, int32_t count) override;
    bool AddActionSetU32(uint32_t* variable, uint32_t value) override;
    void SetNotifyHandler(uintptr_t context, NotifyFunction function) override;

    // The address of the parent field.
    COptionNodeInterface** GetParentSlot();

private:
    // Kinds of conditions and actions; a condition uses 0, 1, 2 and 5.
    enum : int32_t {
        kSetU32 = 0,     // condition: *u32 == value; action: store value
        kSetByte = 1,    // condition: *byte == low byte; action: store it
        kNode = 2,       // condition: the node's same state; action: activate the node
        kToggleByte = 3, // action: flip bit 0 of the byte
        kSetChecked = 4, // action: activate the node when its checked state differs from value
        kCall = 5,       // condition: function(argument) == low byte; action: call it
    };
    enum State : uint8_t { kChecked = 1, kEnabled = 2, kVisible = 4 };

    struct CEntry {
        int32_t m_kind = 0;
        uintptr_t m_argument = 0;
        void* m_variable = nullptr;             // a byte or a 32-bit variable, not owned
        COptionNodeInterface* m_node = nullptr; // not owned
        CallFunction m_function = nullptr;
        uint32_t m_value = 0;
    };
    typedef std::vector<CEntry> Entries;

    bool Evaluate(const Entries& conditions, State state) const;
    bool Holds(const CEntry& entry, State state) const;
    // Appends a condition or action; false while locked or without a target.
    bool AddEntry(Entries& list, int32_t kind, void* variable, COptionNodeInterface* node, CallFunction function,
                  uintptr_t argument, uint32_t value);
    // This node's own flag as a byte variable, for a node condition on itself.
    uint8_t* FlagByte(bool& flag) { return reinterpret_cast<uint8_t*>(&flag); }

    std::vector<COptionNodeInterface*> m_children; // owned, in insertion order
    COptionNodeInterface* m_parent;                // not owned; null for a root
    CWideString m_name;
    CWideString m_text;
    COwnedValue m_value;
    int32_t m_nameTextId;
    bool m_checked;
    bool m_hasCheckedConditions;
    bool m_checkable; // the radio-style flag
    bool m_enabled;
    bool m_visible;
    bool m_locked; // a separator
    Entries m_checkedWhen;
    Entries m_enabledWhen;
    Entries m_visibleWhen;
    Entries m_actions;
    uintptr_t m_notifyContext;
    NotifyFunction m_notifyFunction;
    // States being evaluated and an activation in progress: a cycle of node
    // conditions or activate actions ends at the node where it began.
    mutable uint8_t m_evaluating;
    bool m_activating;
};

} // namespace common
