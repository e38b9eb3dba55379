#include "emu/framework/CObjectContainer.h"

#include "common/CStreamHolder.h"
#include "common/CString.h"

namespace emu {

namespace {

const uint8_t kStateVersion = 0;

} // namespace

CObjectContainer::CObjectContainer() {}

CObjectContainer::~CObjectContainer() {
    for (CObject* child : m_children)
        delete child;
    m_children.clear();
}

CObject* CObjectContainer::FindUnnamed() {
    if (m_name.IsEmpty())
        return this;
    for (CObject* child : m_children) {
        if (child == nullptr)
            continue;
        if (CObject* found = child->FindUnnamed())
            return found;
    }
    return nullptr;
}

CObject* CObjectContainer::FindDuplicateName(NameMap& names, bool rejectUnnamed) {
    if (CObject* found = CObject::FindDuplicateName(names, rejectUnnamed))
        return found;
    for (CObject* child : m_children) {
        if (child == nullptr)
            continue;
        if (CObject* found = child->FindDuplicateName(names, rejectUnnamed))
            return found;
    }
    return nullptr;
}

bool CObjectContainer::CollectProperties(common::CSettingsRegistry* registry, bool enabledOnly) {
    bool result = true;
    for (CObject* child : m_children) {
        if (child == nullptr || (enabledOnly && !child->IsEnabled()))
            continue;
        if (!child->CollectProperties(registry, enabledOnly))
            result = false;
    }
    return result;
}

bool CObjectContainer::ValidateProperties(bool enabledOnly) {
    bool result = true;
    for (CObject* child : m_children) {
        if (child == nullptr || (enabledOnly && !child->IsEnabled()))
            continue;
        if (!child->ValidateProperties(enabledOnly))
            result = false;
    }
    return result;
}

bool CObjectContainer::Start(int32_t* value) {
    for (CObject* child : m_children) {
        if (child == nullptr || !child->IsEnabled())
            continue;
        int32_t childValue = value != nullptr ? *value : 0;
        if (!child->Start(&childValue))
            return false;
        if (value != nullptr && childValue > *value)
            *value = childValue;
    }
    return true;
}

void CObjectContainer::Stop() {
    for (auto it = m_children.rbegin(); it != m_children.rend(); ++it) {
        if (*it != nullptr && (*it)->IsEnabled())
            (*it)->Stop();
    }
}

void CObjectContainer::BuildMenu(COptionTree* menu, int32_t kind) {
    for (CObject* child : m_children) {
        if (child != nullptr)
            child->BuildMenu(menu, kind);
    }
}

bool CObjectContainer::SaveState(common::CStreamHolder& holder) {
    const common::CNarrowString version("_VER");
    const common::CNarrowString enabled("_ENBL");
    if (!holder.WriteMarker(common::CStreamHolder::kChunkBegin, m_name) ||
        !holder.WriteUInt8Field(kStateVersion, version) || !holder.WriteBoolField(m_enabled, enabled) ||
        !SaveData(holder))
        return false;
    for (CObject* child : m_children) {
        if (child == nullptr)
            return false;
        if (child->IsEnabled() && !child->SaveState(holder))
            return false;
    }
    return holder.WriteMarker(common::CStreamHolder::kChunkEnd, m_name);
}

bool CObjectContainer::LoadState(common::CStreamHolder& holder, common::CNarrowString* errorText) {
    const common::CNarrowString versionName("_VER");
    const common::CNarrowString enabledName("_ENBL");
    uint8_t version = 0xFF;
    if (!holder.ReadMarker(m_name, common::CStreamHolder::kChunkBegin, nullptr) ||
        !holder.ReadUInt8Field(version, versionName) || version != kStateVersion ||
        !holder.ReadBoolField(m_enabled, enabledName) || !LoadData(holder, errorText))
        return false;
    // A child's enabled flag is read when its turn comes: a state loaded into an
    // earlier sibling may have changed it.
    for (CObject* child : m_children) {
        if (child == nullptr)
            return false;
        if (child->IsEnabled() && !child->LoadState(holder, errorText))
            return false;
    }
    if (!holder.ReadMarker(m_name, common::CStreamHolder::kChunkEnd, nullptr))
        return false;
    return QueryTrue(errorText);
}

void CObjectContainer::SetConsole(common::CTextConsole* console) {
    CObject::SetConsole(console);
    for (CObject* child : m_children) {
        if (child != nullptr)
            child->SetConsole(console);
    }
}

bool CObjectContainer::QueryTrue(common::CNarrowString* /*errorText*/) {
    return true;
}

bool CObjectContainer::AddChild(CObject* child, const char* name, const char* shortName) {
    // A child held by another container (or the container itself) would be
    // deleted twice and make the walks circular.
    if (child == nullptr || child == this || child->m_parent != nullptr)
        return false;
    if (name != nullptr)
        child->m_name.AssignNarrow(name);
    if (shortName != nullptr)
        child->m_shortName.AssignNarrow(shortName);
    m_children.push_back(child);
    child->SetConsole(m_console);
    child->m_parent = this;
    return true;
}

void CObjectContainer::DeleteChildren() {
    for (CObject* child : m_children)
        delete child;
    m_children.clear();
}

CObject* CObjectContainer::FindChild(const char* name) const {
    for (CObject* child : m_children) {
        if (child != nullptr && child->m_name.CompareNarrow(name) == 0)
            return child;
    }
    return nullptr;
}

void CObjectContainer::BuildChildName(common::CString& out) const {
    out.AssignNarrowString(m_name);
    for (const CObjectContainer* ancestor = m_parent; ancestor != nullptr; ancestor = ancestor->m_parent) {
        if (ancestor->m_parent != nullptr)
            FormatChildName(out, ancestor->m_name.GetNarrow());
    }
}

void CObjectContainer::FormatChildName(common::CString& out, const char* text) {
    out.AppendFormat(".%s", text != nullptr ? text : "");
}

CObject* CObjectContainer::GetChildAt(int index) const {
    if (index < 0 || index >= GetChildCount())
        return nullptr;
    return m_children[static_cast<size_t>(index)];
}

} // namespace emu
