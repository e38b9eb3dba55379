#pragma once
// A Win32 window: the portable window (caption, menu bar) over a Win32
// container. Its caption goes to the window text.
#include "gui/CWindow.h"
#include "gui/windows/CContainer.h"

namespace gui {
namespace Windows {

class CWindow : public gui::CWindow, public CContainer {
public:
    CWindow() = default;
    ~CWindow() override;

    bool Create() override;
    // True: a plain window has nothing to build before its window exists.
    bool OnCreate() override { return true; }
    void SetCaption(const common::CWideString& caption) override;
    gui::CWindowInterface* GetWindow() override { return this; }
    // The frame window of the window's parent; null without a parent.
    gui::CFrameWindowInterface* GetFrameWindow() override;
};

} // namespace Windows
} // namespace gui
