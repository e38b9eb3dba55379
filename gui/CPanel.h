#pragma once
// The portable panel: border style and the four side flags (all on at first).
// Its setters only store; the Win32 panel also lays out and redraws.
#include <cstdint>

#include "gui/CPanelInterface.h"

namespace gui {

class CPanel : public virtual CPanelInterface {
public:
    explicit CPanel(int32_t borderStyle = kBorderNone) : m_borderStyle(borderStyle) {}
    ~CPanel() override;

    int32_t GetBorderStyle() const override { return m_borderStyle; }
    void SetBorderStyle(int32_t style) override { m_borderStyle = style; }
    void SetBorderSides(bool left, bool top, bool right, bool bottom) override;

    bool HasLeftBorder() const { return m_left; }
    bool HasTopBorder() const { return m_top; }
    bool HasRightBorder() const { return m_right; }
    bool HasBottomBorder() const { return m_bottom; }

protected:
    int32_t m_borderStyle;
    bool m_left = true;
    bool m_top = true;
    bool m_right = true;
    bool m_bottom = true;
};

} // namespace gui
