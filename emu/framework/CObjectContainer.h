#pragma once
// An object with an ordered list of owned children. The order of AddChild is
// the order of every walk: start (children in order, keeping the highest rate
// they ask for, stopping at the first failure), stop (last to first), menus,
// property collection and checking, console hand-over, and the state chunk,
// which holds the chunks of the enabled children after the object's own data.
#include <vector>

#include "emu/framework/CObject.h"

namespace common {
class CString;
}

namespace emu {

class CObjectContainer : public CObject {
public:
    CObjectContainer();
    ~CObjectContainer() override;

    CObject* FindUnnamed() override;
    CObject* FindDuplicateName(NameMap& names, bool rejectUnnamed) override;
    // Every child (only the enabled ones with enabledOnly) is asked, even after
    // a failure; true when all answered true.
    bool CollectProperties(common::CSettingsRegistry* registry, bool enabledOnly) override;
    bool ValidateProperties(bool enabledOnly) override;
    // The enabled children in order, each with a copy of the caller's value;
    // the caller's value takes the highest value a child reports. The first
    // child that fails ends the start with false (the started ones keep running).
    bool Start(int32_t* value) override;
    // The enabled children, last to first.
    void Stop() override;
    // Every child, enabled or not, with the same node and kind.
    void BuildMenu(COptionTree* menu, int32_t kind) override;
    bool SaveState(common::CStreamHolder& holder) override;
    bool LoadState(common::CStreamHolder& holder, common::CNarrowString* errorText) override;
    void SetConsole(common::CTextConsole* console) override;

    // The last step of LoadState; its answer is the load's result.
    virtual bool QueryTrue(common::CNarrowString* errorText);
    // Appends the child, names it when the texts are given (null keeps the
    // child's names), hands it the console and becomes its parent; the
    // container owns it from then on. False for a null child, the container
    // itself, or a child that already has a parent.
    virtual bool AddChild(CObject* child, const char* name, const char* shortName);
    virtual void DeleteChildren();

    // The first direct child whose name equals the text; grandchildren are not searched.
    CObject* FindChild(const char* name) const;
    // The dotted path name by which saved records find an object again: the
    // object's own name, then "." and the name of each ancestor that has a
    // parent itself (the root is left out). C in B in the root gives "C.B".
    void BuildChildName(common::CString& out) const;
    // Appends "." and the text.
    static void FormatChildName(common::CString& out, const char* text);

    int GetChildCount() const { return static_cast<int>(m_children.size()); }
    // Null for an index outside the list.
    CObject* GetChildAt(int index) const;

protected:
    std::vector<CObject*> m_children; // owned, in walk order
};

} // namespace emu
