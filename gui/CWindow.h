#pragma once
// The portable window: caption and menu bar. A window owns its menu bar: it
// deletes the bar with itself or when another bar replaces it, which is allowed
// only before the window is created (the window system takes the bar's menu
// when it makes the window).
#include "common/CWideString.h"
#include "gui/CWindowInterface.h"

namespace gui {

class CWindow : public virtual CWindowInterface {
public:
    CWindow() = default;
    ~CWindow() override;
    CWindow(const CWindow&) = delete;
    CWindow& operator=(const CWindow&) = delete;

    common::CWideString GetCaption() const override { return m_caption; }
    void SetCaption(const common::CWideString& caption) override { m_caption = caption; }
    CMenuBar* GetMenuBar() override { return m_menuBar; }
    bool SetMenuBar(CMenuBar* menuBar) override;
    // The window itself.
    CWindowInterface* GetWindow() override { return this; }
    // The frame window of the window's parent; null without a parent.
    CFrameWindowInterface* GetFrameWindow() override;

protected:
    CMenuBar* m_menuBar = nullptr; // owned
    common::CWideString m_caption;
};

} // namespace gui
