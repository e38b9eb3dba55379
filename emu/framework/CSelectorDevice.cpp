#include "emu/framework/CSelectorDevice.h"

#include "common/CBoundValue.h"
#include "common/CSettingsRegistry.h"
#include "emu/framework/COptionTree.h"

namespace emu {

CSelectorDevice::CSelectorDevice() : m_selectedIndex(0), m_menuKind(0) {}

CSelectorDevice::~CSelectorDevice() {
    m_captions.DeleteAll();
}

bool CSelectorDevice::CollectProperties(common::CSettingsRegistry* registry, bool enabledOnly) {
    if (registry != nullptr) {
        if (common::CBoundValue* value = registry->AddBinding(common::CNarrowString("SelectedIndex")))
            value->BindInt32(&m_selectedIndex);
    }
    return CDevice::CollectProperties(registry, enabledOnly);
}

bool CSelectorDevice::ValidateProperties(bool enabledOnly) {
    if (IsValidIndex())
        return CDevice::ValidateProperties(enabledOnly);
    m_selectedIndex = 0;
    CDevice::ValidateProperties(enabledOnly);
    return false;
}

bool CSelectorDevice::Start(int32_t* value) {
    if (!IsValidIndex())
        return false;
    EnableSelectedOnly();
    m_started = true;
    return CObjectContainer::Start(value);
}

void CSelectorDevice::BuildMenu(COptionTree* menu, int32_t kind) {
    if (kind != m_menuKind && kind != kMenuDebug) {
        CObjectContainer::BuildMenu(menu, kind);
        return;
    }
    if (menu == nullptr)
        return;
    const bool ownKind = kind == m_menuKind;
    const int count = GetChildCount();
    const common::CNarrowString selected("Selected");
    bool addedAny = false;
    COptionTree* node = nullptr;
    for (int i = 0; i < count; ++i) {
        CObject* child = m_children[static_cast<size_t>(i)];
        if (child == nullptr)
            continue;
        if (node == nullptr)
            node = new COptionTree();
        if (ownKind && count > 1) {
            common::COptionNodeInterface* radio =
                node->CreateRadioItem(selected, reinterpret_cast<uint32_t*>(&m_selectedIndex), static_cast<uint32_t>(i),
                                      reinterpret_cast<uint8_t*>(&m_started), 0);
            node->AddCheckedWhenNode(radio, true);
            node->CreateUnnamedChild();
        }
        child->BuildMenu(node, kind);
        if (node->GetChildCount() == 0)
            continue;
        // A lone sub-menu is offered in place of the node that wraps it.
        common::COptionNodeInterface* used = node;
        if (node->GetChildCount() == 1 && node->GetChildAt(0)->GetChildCount() > 0) {
            used = node->RemoveChildAt(0);
            delete node;
        }
        node = nullptr;
        const common::CString* caption = ownKind ? m_captions.GetAt(i) : nullptr;
        if (caption != nullptr && !caption->IsEmpty())
            used->SetName(*caption);
        else
            used->SetName(child->GetNameString());
        if (ownKind && !addedAny && menu->GetChildCount() > 0)
            menu->CreateUnnamedChild();
        if (menu->AddChildChecked(used) == nullptr)
            delete used;
        addedAny = true;
    }
    delete node;
}

bool CSelectorDevice::QueryTrue(common::CNarrowString* /*errorText*/) {
    return true;
}

bool CSelectorDevice::IsSelector() const {
    return true;
}

bool CSelectorDevice::HandleEvent(uint32_t event, uint8_t flag, uintptr_t argument) {
    bool handled = false;
    for (CObject* child : m_children) {
        if (child == nullptr || !child->IsDevice() || !child->IsEnabled())
            continue;
        if (static_cast<CDevice*>(child)->HandleEvent(event, flag, argument))
            handled = true;
    }
    return handled;
}

bool CSelectorDevice::EnableSelectedOnly() {
    const bool valid = IsValidIndex();
    for (int i = 0; i < GetChildCount(); ++i) {
        if (CObject* child = m_children[static_cast<size_t>(i)])
            child->SetEnabled(valid && i == m_selectedIndex);
    }
    return valid;
}

void CSelectorDevice::SetCaption(int32_t index, const common::CString& caption) {
    if (index < 0 || index >= GetChildCount())
        return;
    const common::CNarrowString empty;
    while (m_captions.GetCount() <= index)
        m_captions.Add(empty);
    m_captions.GetAt(index)->AssignString(caption);
}

} // namespace emu
