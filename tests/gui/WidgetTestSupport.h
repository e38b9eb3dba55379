#pragma once
// Portable stand-ins for the window-system layer, so that the portable widget,
// container, control and frame logic runs natively: a widget with a settable
// client area that records its paints and invalidations, a painter that counts,
// and ready-made control, container, control-container and frame classes.
#include <cstdint>
#include <vector>

#include "gui/CContainer.h"
#include "gui/CControl.h"
#include "gui/CControlContainer.h"
#include "gui/CFrameWindow.h"
#include "gui/CPainter.h"
#include "gui/CRect.h"
#include "gui/CWidget.h"

namespace guitest {

class FakePainter : public gui::CPainter {
public:
    void OnFontChanged(uint32_t) override {}
    void OnPenChanged(uint32_t) override {}
    void OnBrushChanged(uint32_t) override {}
    gui::CFontInterface* GetFont() override { return nullptr; }
    gui::CPenInterface* GetPen() override { return nullptr; }
    gui::CBrushInterface* GetBrush() override { return nullptr; }
    bool MoveTo(int32_t, int32_t) override { return true; }
    bool LineTo(int32_t, int32_t) override { return true; }
    bool GetTextExtent(const common::CWideString&, int32_t*, int32_t*) override { return false; }
    int DrawText(const common::CWideString&, int32_t, int32_t) override { return 0; }
    int DrawTextFlags(const common::CWideString&, int32_t, int32_t, int32_t, int32_t, int32_t) override { return 0; }
    bool Rectangle(int32_t, int32_t, int32_t, int32_t) override { return true; }
    bool OutlineRect(int32_t, int32_t, int32_t, int32_t) override { return true; }
    bool FillRect(int32_t, int32_t, int32_t, int32_t) override { return true; }
    bool DrawImage(const common::CImage*, const gui::CRect*, const gui::CRect*, const common::CImage*) override {
        return true;
    }
    bool Begin() override {
        if (m_refuse)
            return false;
        m_painting = true;
        ++m_begins;
        return true;
    }
    void End() override { m_painting = false; }
    bool IsPainting() const override { return m_painting; }

    bool m_refuse = false;
    bool m_painting = false;
    int m_begins = 0;
};

struct PaintCall {
    gui::CWidgetInterface* m_widget;
    gui::CRect m_whole;
    gui::CRect m_dirty;
};

// The window-system slots of a widget, answered from plain fields.
class FakeWidget : public virtual gui::CWidget {
public:
    bool SyncFromWindow(bool, bool, bool) override { return false; }
    bool Paint(gui::CPainter*, const gui::CRect& whole, const gui::CRect& dirty, gui::CRect* measure) override {
        if (measure != nullptr) {
            if (!m_measures)
                return false;
            *measure = m_measure;
            return true;
        }
        if (m_paintLog != nullptr)
            m_paintLog->push_back(PaintCall{this, whole, dirty});
        return m_paints;
    }
    void Invalidate(int32_t, int32_t, int32_t, int32_t) override { ++m_invalidations; }
    bool Close() override { return false; }
    bool GetClientRect(int32_t* x, int32_t* y, int32_t* width, int32_t* height) const override {
        ++m_clientRectReads;
        if (!m_hasClient)
            return false;
        *x = m_clientX;
        *y = m_clientY;
        *width = m_clientWidth >= 0 ? m_clientWidth : m_width;
        *height = m_clientHeight >= 0 ? m_clientHeight : m_height;
        return true;
    }
    gui::CCursor* GetCursor() override { return nullptr; }
    gui::CPainter* GetPainter(int32_t* x, int32_t* y) override {
        if (m_ownPainter == nullptr)
            return gui::CWidget::GetPainter(x, y);
        *x = 0;
        *y = 0;
        return m_ownPainter;
    }

    void SetStoredRect(int32_t x, int32_t y, int32_t width, int32_t height) {
        m_storedX = x;
        m_storedY = y;
        m_storedWidth = width;
        m_storedHeight = height;
        m_storedValid = 1;
    }
    int32_t GetRedrawLockCount() const { return m_redrawLockCount; }

    bool m_hasClient = true;
    int32_t m_clientX = 0;
    int32_t m_clientY = 0;
    int32_t m_clientWidth = -1; // -1: the widget's own width
    int32_t m_clientHeight = -1;
    mutable int m_clientRectReads = 0;
    int m_invalidations = 0;
    bool m_paints = true;
    bool m_measures = false;
    gui::CRect m_measure;
    std::vector<PaintCall>* m_paintLog = nullptr;
    gui::CPainter* m_ownPainter = nullptr; // not owned
};

class FakeControl : public gui::CControl, public FakeWidget {
public:
    // A control of the given size and alignment, visible; *deleted is set when it goes.
    explicit FakeControl(int32_t width = 0, int32_t height = 0, int32_t alignment = 0, bool* deleted = nullptr)
        : m_deleted(deleted) {
        m_alignment = alignment;
        m_visible = true;
        SetRect(0, 0, width, height, 0);
        SetConstructionRect(0, 0, width, height);
    }
    ~FakeControl() override {
        if (m_deleted != nullptr)
            *m_deleted = true;
    }
    gui::CWidgetInterface* GetParent() override { return gui::CControl::GetParent(); }
    bool IsWindowless() const override { return gui::CControl::IsWindowless(); }
    void SetWindowless(bool windowless) { m_windowless = windowless; }
    void SetConstruction(int32_t x, int32_t y, int32_t width, int32_t height) {
        SetConstructionRect(x, y, width, height);
    }

    bool* m_deleted;
};

class FakeContainer : public gui::CContainer, public FakeWidget {
public:
    FakeContainer(int32_t width = 400, int32_t height = 300) {
        m_visible = true;
        SetRect(0, 0, width, height, 0);
    }
    bool IsWindowless() const override { return false; }
};

class FakeControlContainer : public gui::CControlContainer,
                             public gui::CContainer,
                             public gui::CControl,
                             public FakeWidget {
public:
    FakeControlContainer(int32_t width, int32_t height, int32_t alignment = 0) {
        m_alignment = alignment;
        m_visible = true;
        SetRect(0, 0, width, height, 0);
    }
    gui::CWidgetInterface* GetParent() override { return gui::CControl::GetParent(); }
    bool IsWindowless() const override { return gui::CControl::IsWindowless(); }
    bool Repaint(int32_t x, int32_t y, int32_t width, int32_t height, gui::CRect* painted) override {
        return gui::CContainer::Repaint(x, y, width, height, painted);
    }
    gui::CWidgetInterface* HitTest(int32_t* x, int32_t* y) override { return gui::CContainer::HitTest(x, y); }
    void Refresh() override { BroadcastToChildren(); }
};

// The window slots are answered here: the portable window owns a menu bar,
// whose menus exist only on Windows.
class FakeFrame : public gui::CFrameWindow, public gui::CContainer, public FakeWidget {
public:
    bool OnCreate() override { return true; }
    common::CWideString GetCaption() const override { return common::CWideString(); }
    void SetCaption(const common::CWideString&) override {}
    gui::CMenuBar* GetMenuBar() override { return nullptr; }
    bool SetMenuBar(gui::CMenuBar*) override { return false; }
    bool IsWindowless() const override { return false; }
    gui::CWindowInterface* GetWindow() override { return this; }
    gui::CFrameWindowInterface* GetFrameWindow() override { return this; }
    bool StartTimers(bool resync) override {
        ++m_startCalls;
        if (!m_startSucceeds)
            return false;
        return gui::CFrameWindow::StartTimers(resync);
    }
    bool RunPass() { return ProcessTimers(); }
    common::CTimerList& Timers() { return m_timers; }

    int m_startCalls = 0;
    bool m_startSucceeds = true;
};

} // namespace guitest
