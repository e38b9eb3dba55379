#pragma once
// A device that runs exactly one of its child devices: the one at the index of
// its property "SelectedIndex", which the "Selected" radio items of its menu
// also set while it is stopped. The choice takes effect at the next start.
#include "common/CStringList.h"
#include "emu/framework/CDevice.h"

namespace emu {

class CSelectorDevice : public CDevice {
public:
    CSelectorDevice();
    ~CSelectorDevice() override;

    // "SelectedIndex" (signed 32-bit), then the children's properties.
    bool CollectProperties(common::CSettingsRegistry* registry, bool enabledOnly) override;
    // An index outside the child list is reset to 0 and reported with false.
    bool ValidateProperties(bool enabledOnly) override;
    // Refuses an index outside the child list; otherwise enables the selected
    // child, disables the others and starts the selected one.
    bool Start(int32_t* value) override;
    // For its menu kind and for Debug: one sub-menu per child (captions[i] or the
    // child's name); for its own kind with several children each sub-menu starts
    // with a "Selected" radio item and a separator. Other kinds go to every child.
    void BuildMenu(COptionTree* menu, int32_t kind) override;
    bool QueryTrue(common::CNarrowString* errorText) override;
    bool IsSelector() const override;
    // Every enabled child device is asked; true when any took the event.
    bool HandleEvent(uint32_t event, uint8_t flag, uintptr_t argument) override;

    // Enables the child at the selected index and disables every other one;
    // false (all disabled) when the index is outside the list.
    bool EnableSelectedOnly();
    // The menu caption of the child at the index; nothing for an index outside
    // the child list.
    void SetCaption(int32_t index, const common::CString& caption);

    int32_t GetSelectedIndex() const { return m_selectedIndex; }
    void SetSelectedIndex(int32_t index) { m_selectedIndex = index; }
    int32_t GetMenuKind() const { return m_menuKind; }
    void SetMenuKind(int32_t kind) { m_menuKind = kind; }

protected:
    bool IsValidIndex() const { return m_selectedIndex >= 0 && m_selectedIndex < GetChildCount(); }

    int32_t m_selectedIndex;
    common::CStringList m_captions; // optional captions by child index
    int32_t m_menuKind;
};

} // namespace emu
