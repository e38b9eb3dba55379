#pragma once
// The Win32 modal dialog. A template dialog is built in memory (no resources)
// and run with DialogBoxIndirectParamW; its child widgets are created as in any
// window when WM_INITDIALOG arrives, and it is centred over its parent. The
// window keeps the system's dialog procedure: messages reach the widget through
// DialogProc, and what the widget leaves unhandled answers FALSE so that the
// dialog manager does its own work (Enter, Escape and the close box end the
// dialog with 1 or 2). The message box and the file dialog reuse its run state
// and result but show a system dialog instead.
#include <cstdint>

#include "gui/CDialog.h"
#include "gui/windows/CWindow.h"
#include "gui/windows/Win32Api.h"

namespace gui {
namespace Windows {

class CDialog : public virtual gui::CDialog, public CWindow {
public:
    // Placement 1, no size (the system dialogs set their own).
    CDialog();
    // Placement 1 and a size in pixels.
    CDialog(int32_t width, int32_t height);
    CDialog(int32_t x, int32_t y, int32_t width, int32_t height, int32_t placement);
    ~CDialog() override;

    bool RunModalThen(gui::CWidgetInterface* parent, RunThenCallback callback, bool modal) override;
    // Stores the result; a running template dialog ends with code 1, 2 or 0xFFFF.
    bool EndModal(int32_t result) override;
    bool RunModal(gui::CWidgetInterface* parent) override;
    // WM_COMMAND IDOK and IDCANCEL end the dialog with 1 and 2; the rest goes to the container.
    virtual LRESULT HandleDialogMessage(UINT message, WPARAM wParam, LPARAM lParam);
    // The parent's instance during a run, null otherwise.
    virtual HINSTANCE GetInstanceHandle() { return m_instance; }

    // The contents step, run inside WM_INITDIALOG (or the file dialog's hook):
    // attach the window, take its geometry when asked, centre over the parent,
    // create the children and lay them out.
    bool Create() override;
    void Destroy() override;
    bool IsDialog() const override { return true; }
    gui::CWidgetInterface* GetParent() override;
    bool OnCreate() override { return true; }
    HINSTANCE GetInstance() override { return m_instance; }

    bool IsRunning() const { return m_running; }

    static INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK NullWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

protected:
    // The parent as a created Win32 widget with an instance and a window; null when it is not.
    static CWidget* UsableParent(gui::CWidgetInterface* parent);
    // The dialog fields of a run: the parent's instance and the parent, placement marked visible.
    void BeginRun(CWidget* parent);
    void EndRun();
    // After a system dialog closed: lets go of its window and the children.
    void ReleaseSystemWindow();

    bool m_running = false;
    HINSTANCE m_instance = nullptr;
    CWidget* m_runParent = nullptr; // not owned
    bool m_geometryFromWindow = false;
};

} // namespace Windows
} // namespace gui
