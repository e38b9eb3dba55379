#include "emu/framework/PropertyTree.h"

#include "common/CSettingsRegistry.h"
#include "emu/framework/CObjectContainer.h"

namespace emu {

namespace {

CObject* ObjectOf(void* context) {
    return static_cast<CObject*>(context);
}

bool FindChildFor(void* context, common::CStream* stream, const common::CNarrowString& name, bool compare,
                  bool* changed) {
    auto* container = dynamic_cast<CObjectContainer*>(ObjectOf(context));
    if (container == nullptr)
        return false;
    CObject* child = container->FindChild(name.GetNarrow());
    return child != nullptr && TransferPropertyTree(child, stream, compare, changed);
}

bool ValidateChild(void* context, const common::CNarrowString* name, bool enabledOnly) {
    CObject* object = ObjectOf(context);
    if (object == nullptr)
        return false;
    return name != nullptr || object->ValidateProperties(enabledOnly);
}

bool TestChild(void* context, common::CStream* stream, const common::CNarrowString& name, bool compare, bool* changed) {
    CObject* object = ObjectOf(context);
    if (object == nullptr || object->GetNameString().CompareString(name) != 0)
        return false;
    return TransferPropertyTree(object, stream, compare, changed);
}

} // namespace

bool ExportPropertyTree(CObject* object, common::CSettingsRegistry* level, bool enabledOnly) {
    if (object == nullptr || level == nullptr)
        return false;
    object->CollectProperties(level, enabledOnly);
    auto* container = dynamic_cast<CObjectContainer*>(object);
    if (container == nullptr)
        return true;
    for (int i = 0; i < container->GetChildCount(); ++i) {
        CObject* child = container->GetChildAt(i);
        if (child == nullptr || !child->IsDevice() || (enabledOnly && !child->IsEnabled()))
            continue;
        auto* childLevel = new common::CSettingsRegistry();
        ExportPropertyTree(child, childLevel, enabledOnly);
        if (childLevel->GetValues().empty() && childLevel->GetChildren().empty()) {
            delete childLevel;
            continue;
        }
        if (level->InsertChild(child->GetNameString(), childLevel) == nullptr)
            return false;
    }
    return true;
}

bool TransferPropertyTree(CObject* object, common::CStream* stream, bool compare, bool* changed) {
    if (object == nullptr || stream == nullptr)
        return false;
    common::CSettingsRegistry level;
    if (!object->CollectProperties(&level, compare))
        return false;
    level.SetContext(object);
    if (compare) {
        level.SetSectionHandler(FindChildForCompare);
        level.SetSectionNotify(ValidateComparedChild);
        return level.LoadAndCompare(stream, changed, nullptr, nullptr);
    }
    level.SetSectionHandler(FindChildForLoad);
    level.SetSectionNotify(ValidateLoadedChild);
    return level.Load(stream, nullptr, nullptr);
}

bool FindChildForLoad(void* context, common::CStream* stream, const common::CNarrowString& name, bool* changed) {
    return FindChildFor(context, stream, name, false, changed);
}

bool FindChildForCompare(void* context, common::CStream* stream, const common::CNarrowString& name, bool* changed) {
    return FindChildFor(context, stream, name, true, changed);
}

bool ValidateLoadedChild(void* context, const common::CNarrowString* name) {
    return ValidateChild(context, name, false);
}

bool ValidateComparedChild(void* context, const common::CNarrowString* name) {
    return ValidateChild(context, name, true);
}

bool TestChildForLoad(void* context, common::CStream* stream, const common::CNarrowString& name, bool* changed) {
    return TestChild(context, stream, name, false, changed);
}

bool TestChildForCompare(void* context, common::CStream* stream, const common::CNarrowString& name, bool* changed) {
    return TestChild(context, stream, name, true, changed);
}

} // namespace emu
