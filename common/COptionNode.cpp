#include "common/COptionNode.h"

#include <utility>

#include "common/CLocale.h"

namespace common {

static_assert(sizeof(bool) == 1, "node conditions read the node's own flags as bytes");

COptionNode::COptionNode()
    : m_parent(nullptr), m_nameTextId(-1), m_checked(false), m_hasCheckedConditions(false), m_checkable(false),
      m_enabled(true), m_visible(true), m_locked(false), m_notifyContext(0), m_notifyFunction(nullptr), m_evaluating(0),
      m_activating(false) {}

COptionNode::~COptionNode() {
    DeleteChildren();
    // A node deleted directly must not stay among its parent's children.
    if (m_parent) {
        COptionNodeInterface* parent = m_parent;
        m_parent = nullptr;
        for (int32_t i = 0; i < parent->GetChildCount(); ++i) {
            if (parent->GetChildAt(i) == this) {
                parent->RemoveChildAt(i);
                break;
            }
        }
    }
}

// ---- Tree -------------------------------------------------------------------

bool COptionNode::AddChild(COptionNodeInterface* node) {
    if (!node)
        return false;
    bool present = false;
    for (COptionNodeInterface* child : m_children)
        present = present || child == node;
    if (present) {
        node->SetParent(this);
        return true;
    }
    // This node or an ancestor as a child would make a cycle.
    for (COptionNodeInterface* p = this; p; p = p->GetParent())
        if (p == node)
            return false;
    // One owner only: a node under two parents would be deleted twice.
    if (COptionNodeInterface* former = node->GetParent()) {
        for (int32_t i = 0; i < former->GetChildCount(); ++i) {
            if (former->GetChildAt(i) == node) {
                former->RemoveChildAt(i);
                break;
            }
        }
    }
    m_children.push_back(node);
    node->SetParent(this);
    return true;
}

const CWideString& COptionNode::GetName() const {
    return m_name;
}

void COptionNode::SetName(const CString& name) {
    if (&name != &m_name)
        m_name.AssignWide(name.GetWide());
}

const CWideString& COptionNode::GetText() const {
    return m_text;
}

void COptionNode::SetText(const CString& text) {
    if (&text != &m_text)
        m_text.AssignWide(text.GetWide());
}

bool COptionNode::Notify(COptionNodeInterface* node) {
    if (!node)
        node = this;
    if (m_notifyFunction) {
        m_notifyFunction(m_notifyContext, node);
        return true;
    }
    return m_parent ? m_parent->Notify(node) : false;
}

COptionNode* COptionNode::NewNode(const CString& name) {
    COptionNode* node = new COptionNode();
    node->SetName(name);
    return node;
}

int32_t COptionNode::GetChildCount() const {
    return static_cast<int32_t>(m_children.size());
}

COptionNodeInterface* COptionNode::GetChildAt(int32_t index) const {
    if (index < 0 || index >= GetChildCount())
        return nullptr;
    return m_children[static_cast<size_t>(index)];
}

COptionNodeInterface* COptionNode::AddChildChecked(COptionNodeInterface* node) {
    return AddChild(node) ? node : nullptr;
}

COptionNode* COptionNode::CreateChild(const CString& name) {
    if (m_locked)
        return nullptr;
    COptionNode* child = new COptionNode();
    if (!AddChild(child)) {
        delete child;
        return nullptr;
    }
    child->SetName(name);
    return child;
}

COptionNode* COptionNode::CreateChildById(int32_t textId) {
    COptionNode* child = CreateChild(CLocale::GetText(textId));
    if (child)
        child->m_nameTextId = textId;
    return child;
}

COptionNode* COptionNode::CreateCheckItem(const CString& name, uint8_t* variable, uint8_t value,
                                          uint8_t* enableVariable, uint8_t enableValue) {
    if (!variable)
        return nullptr;
    COptionNode* child = CreateChild(name);
    if (!child)
        return nullptr;
    child->m_hasCheckedConditions = true;
    child->AddCheckedWhenByte(variable, value);
    child->AddActionToggleByte(variable);
    if (enableVariable)
        child->AddEnabledWhenByte(enableVariable, enableValue);
    return child;
}

COptionNode* COptionNode::CreateCheckItemById(int32_t textId, uint8_t* variable, uint8_t value, uint8_t* enableVariable,
                                              uint8_t enableValue) {
    COptionNode* child = CreateCheckItem(CLocale::GetText(textId), variable, value, enableVariable, enableValue);
    if (child)
        child->m_nameTextId = textId;
    return child;
}

COptionNode* COptionNode::CreateRadioItem(const CString& name, uint32_t* variable, uint32_t value,
                                          uint8_t* enableVariable, uint8_t enableValue) {
    if (!variable)
        return nullptr;
    COptionNode* child = CreateChild(name);
    if (!child)
        return nullptr;
    child->m_checkable = true;
    child->AddCheckedWhenU32(variable, value);
    child->AddActionSetU32(variable, value);
    if (enableVariable)
        child->AddEnabledWhenByte(enableVariable, enableValue);
    return child;
}

COptionNode* COptionNode::CreateRadioItemById(int32_t textId, uint32_t* variable, uint32_t value,
                                              uint8_t* enableVariable, uint8_t enableValue) {
    COptionNode* child = CreateRadioItem(CLocale::GetText(textId), variable, value, enableVariable, enableValue);
    if (child)
        child->m_nameTextId = textId;
    return child;
}

COptionNode* COptionNode::CreateUnnamedChild() {
    COptionNode* child = CreateChild(CWideString());
    if (child)
        child->m_locked = true;
    return child;
}

COptionNodeInterface* COptionNode::RemoveChildAt(int32_t index) {
    if (index < 0 || index >= GetChildCount())
        return nullptr;
    COptionNodeInterface* child = m_children[static_cast<size_t>(index)];
    m_children.erase(m_children.begin() + index);
    // Cleared so that adding it back (here or elsewhere) really adds it.
    child->SetParent(nullptr);
    return child;
}

void COptionNode::DeleteChildren() {
    std::vector<COptionNodeInterface*> children;
    children.swap(m_children);
    for (COptionNodeInterface* child : children) {
        child->SetParent(nullptr);
        delete child;
    }
}

COptionNodeInterface* COptionNode::GetParent() const {
    return m_parent;
}

bool COptionNode::SetParent(COptionNodeInterface* parent) {
    m_parent = parent;
    return true;
}

COptionNodeInterface** COptionNode::GetParentSlot() {
    return &m_parent;
}

// ---- States -----------------------------------------------------------------

bool COptionNode::IsChecked() const {
    if (m_locked)
        return false;
    if (m_checkedWhen.empty())
        return m_checked && IsCheckable();
    return Evaluate(m_checkedWhen, kChecked);
}

bool COptionNode::IsCheckable() const {
    return m_hasCheckedConditions || m_checkable;
}

bool COptionNode::GetCheckableFlag() const {
    return m_checkable;
}

void COptionNode::SetChecked(bool checked) {
    m_checked = checked;
}

bool COptionNode::IsEnabled() const {
    if (m_locked)
        return false;
    if (m_enabledWhen.empty())
        return m_enabled;
    return Evaluate(m_enabledWhen, kEnabled);
}

void COptionNode::SetEnabled(bool enabled) {
    m_enabled = enabled;
}

bool COptionNode::IsVisible() const {
    if (m_visibleWhen.empty())
        return m_visible;
    return Evaluate(m_visibleWhen, kVisible);
}

void COptionNode::SetVisible(bool visible) {
    m_visible = visible;
}

bool COptionNode::IsLocked() const {
    return m_locked;
}

COwnedValue* COptionNode::GetValue() {
    return &m_value;
}

int32_t COptionNode::GetTag() const {
    return m_nameTextId;
}

void COptionNode::SetNameById(int32_t textId) {
    m_nameTextId = textId;
    if (textId >= 0)
        m_name = CLocale::GetText(textId);
}

bool COptionNode::Evaluate(const Entries& conditions, State state) const {
    // Re-entered through a cycle of node conditions: the cycle does not hold.
    if (m_evaluating & state)
        return false;
    m_evaluating |= state;
    bool result = false;
    for (const CEntry& entry : conditions) {
        if (Holds(entry, state)) {
            result = true;
            break;
        }
    }
    m_evaluating &= static_cast<uint8_t>(~state);
    return result;
}

bool COptionNode::Holds(const CEntry& entry, State state) const {
    switch (entry.m_kind) {
    case kSetU32:
        return *static_cast<const uint32_t*>(entry.m_variable) == entry.m_value;
    case kSetByte:
        return *static_cast<const uint8_t*>(entry.m_variable) == static_cast<uint8_t>(entry.m_value);
    case kNode:
        if (state == kChecked)
            return entry.m_node->IsChecked();
        return state == kEnabled ? entry.m_node->IsEnabled() : entry.m_node->IsVisible();
    case kCall:
        // Functions never decide visibility.
        return state != kVisible &&
               static_cast<uint8_t>(entry.m_function(entry.m_argument)) == static_cast<uint8_t>(entry.m_value);
    default:
        return false;
    }
}

// ---- Activation -------------------------------------------------------------

bool COptionNode::Activate() {
    if (IsLocked() || !IsEnabled() || !IsVisible() || GetChildCount() > 0)
        return false;
    // Re-entered through a cycle of activate actions: nothing more to run.
    if (m_activating)
        return false;
    m_activating = true;
    bool changed = false;
    for (const CEntry& action : m_actions) {
        switch (action.m_kind) {
        case kSetU32: {
            uint32_t* variable = static_cast<uint32_t*>(action.m_variable);
            if (*variable != action.m_value) {
                *variable = action.m_value;
                changed = true;
            }
            break;
        }
        case kSetByte: {
            uint8_t* variable = static_cast<uint8_t*>(action.m_variable);
            const uint8_t value = static_cast<uint8_t>(action.m_value);
            if (*variable != value) {
                *variable = value;
                changed = true;
            }
            break;
        }
        case kNode:
            if (action.m_node->Activate())
                changed = true;
            break;
        case kToggleByte:
            *static_cast<uint8_t*>(action.m_variable) ^= 1;
            changed = true;
            break;
        case kSetChecked: {
            const uint8_t wanted = static_cast<uint8_t>(action.m_value);
            if (static_cast<uint8_t>(action.m_node->IsChecked()) != wanted) {
                action.m_node->Activate();
                changed = static_cast<uint8_t>(action.m_node->IsChecked()) == wanted;
            }
            break;
        }
        case kCall:
            // The function answers whether it changed something.
            if (action.m_function(action.m_argument))
                changed = true;
            break;
        default:
            break;
        }
    }
    m_activating = false;
    return changed;
}

// ---- Adders -----------------------------------------------------------------

bool COptionNode::AddEntry(Entries& list, int32_t kind, void* variable, COptionNodeInterface* node,
                           CallFunction function, uintptr_t argument, uint32_t value) {
    // Each entry has exactly one target: a variable, a node or a function.
    if (m_locked || (!variable && !node && !function))
        return false;
    CEntry entry;
    entry.m_kind = kind;
    entry.m_variable = variable;
    entry.m_node = node;
    entry.m_function = function;
    entry.m_argument = argument;
    entry.m_value = value;
    list.push_back(entry);
    if (&list == &m_checkedWhen)
        m_hasCheckedConditions = true;
    return true;
}

bool COptionNode::AddCheckedWhenNode(COptionNodeInterface* node, bool value) {
    if (m_locked)
        return false;
    if (node == this)
        return AddCheckedWhenByte(FlagByte(m_checked), value);
    return AddEntry(m_checkedWhen, kNode, nullptr, node, nullptr, 0, value);
}

bool COptionNode::AddCheckedWhenCall(CallFunction function, uintptr_t argument, uint8_t value) {
    return AddEntry(m_checkedWhen, kCall, nullptr, nullptr, function, argument, value);
}

bool COptionNode::AddCheckedWhenByte(uint8_t* variable, uint8_t value) {
    return AddEntry(m_checkedWhen, kSetByte, variable, nullptr, nullptr, 0, value);
}

bool COptionNode::AddCheckedWhenU32(uint32_t* variable, uint32_t value) {
    return AddEntry(m_checkedWhen, kSetU32, variable, nullptr, nullptr, 0, value);
}

bool COptionNode::AddEnabledWhenNode(COptionNodeInterface* node, bool value) {
    if (m_locked)
        return false;
    if (node == this)
        return AddEnabledWhenByte(FlagByte(m_enabled), value);
    return AddEntry(m_enabledWhen, kNode, nullptr, node, nullptr, 0, value);
}

bool COptionNode::AddEnabledWhenCall(CallFunction function, uintptr_t argument, uint8_t value) {
    return AddEntry(m_enabledWhen, kCall, nullptr, nullptr, function, argument, value);
}

bool COptionNode::AddEnabledWhenByte(uint8_t* variable, uint8_t value) {
    return AddEntry(m_enabledWhen, kSetByte, variable, nullptr, nullptr, 0, value);
}

bool COptionNode::AddEnabledWhenU32(uint32_t* variable, uint32_t value) {
    return AddEntry(m_enabledWhen, kSetU32, variable, nullptr, nullptr, 0, value);
}

bool COptionNode::AddVisibleWhenNode(COptionNodeInterface* node, bool value) {
    if (m_locked)
        return false;
    if (node == this)
        return AddVisibleWhenByte(FlagByte(m_visible), value);
    return AddEntry(m_visibleWhen, kNode, nullptr, node, nullptr, 0, value);
}

bool COptionNode::AddVisibleWhenByte(uint8_t* variable, uint8_t value) {
    return AddEntry(m_visibleWhen, kSetByte, variable, nullptr, nullptr, 0, value);
}

bool COptionNode::AddVisibleWhenU32(uint32_t* variable, uint32_t value) {
    return AddEntry(m_visibleWhen, kSetU32, variable, nullptr, nullptr, 0, value);
}

bool COptionNode::AddActionActivate(COptionNodeInterface* node) {
    if (node == this)
        return false;
    return AddEntry(m_actions, kNode, nullptr, node, nullptr, 0, 0);
}

bool COptionNode::AddActionCall(CallFunction function, uintptr_t argument) {
    return AddEntry(m_actions, kCall, nullptr, nullptr, function, argument, 0);
}

bool COptionNode::AddActionSetChecked(COptionNodeInterface* node, bool value) {
    if (node == this)
        return false;
    return AddEntry(m_actions, kSetChecked, nullptr, node, nullptr, 0, value);
}

bool COptionNode::AddActionToggleByte(uint8_t* variable) {
    return AddEntry(m_actions, kToggleByte, variable, nullptr, nullptr, 0, 0);
}

bool COptionNode::AddActionSetByte(uint8_t* variable, uint8_t value) {
    return AddEntry(m_actions, kSetByte, variable, nullptr, nullptr, 0, value);
}

bool COptionNode::AddActionSetBytes(uint8_t* first, uint8_t value, int32_t count) {
    if (m_locked || !first || count < 1)
        return false;
    for (int32_t i = 0; i < count; ++i)
        AddActionSetByte(first + i, value);
    return true;
}

bool COptionNode::AddActionSetU32(uint32_t* variable, uint32_t value) {
    return AddEntry(m_actions, kSetU32, variable, nullptr, nullptr, 0, value);
}

void COptionNode::SetNotifyHandler(uintptr_t context, NotifyFunction function) {
    m_notifyContext = context;
    m_notifyFunction = function;
}

} // namespace common
