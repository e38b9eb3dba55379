#pragma once
// The portable control: its parent container, dock alignment and priority
// group, enabled flag, tooltip text and windowless flag. A control can change
// its parent only while it is not created. Changing the alignment or the
// priority group lays the parent out again.
#include <cstdint>

#include "common/CWideString.h"
#include "gui/CControlInterface.h"

namespace gui {

class CControl : public virtual CControlInterface {
public:
    CControl() = default;
    ~CControl() override;
    CControl(const CControl&) = delete;
    CControl& operator=(const CControl&) = delete;

    bool SetParent(CContainerInterface* container) override;
    // Nothing in the portable control.
    void Refresh() override {}
    void ApplyStoredRect(CContainerInterface* container) override;
    int32_t GetAlignment() const override { return m_alignment; }
    // Alignments 0, 5 and 6 drop the priority group.
    void SetAlignment(int32_t alignment) override;
    int32_t GetPriorityGroup() const override { return m_priorityGroup; }
    bool SetPriorityGroup(int32_t group) override;
    // With ancestors: also every ancestor control below the top-level window.
    bool IsEnabled(bool includeAncestors) override;
    void SetEnabled(bool enabled) override { m_enabled = enabled; }
    common::CWideString GetTooltipText() const override { return m_tooltipText; }
    void SetTooltipText(const common::CWideString& text) override;

    // The control repaint: nothing while invisible or locked; a control that is
    // also a container repaints as a container.
    bool Repaint(int32_t x, int32_t y, int32_t width, int32_t height, CRect* painted) override;
    bool IsWindowless() const override { return m_windowless; }
    // The container as a widget; null while the control is free.
    CWidgetInterface* GetParent() override;
    CWidgetInterface* HitTest(int32_t* x, int32_t* y) override;

    CContainerInterface* GetParentContainer() const { return m_parent; }

protected:
    // Lays the parent out again after a change of alignment or group.
    void LayoutParent();

    CContainerInterface* m_parent = nullptr; // the owning container; not owned
    int32_t m_alignment = 0;
    int32_t m_priorityGroup = 0;
    bool m_enabled = true;
    common::CWideString m_tooltipText;
    bool m_windowless = false;
};

} // namespace gui
