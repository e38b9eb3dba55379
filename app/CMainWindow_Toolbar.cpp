// The toolbar above the emulation screen: Start, Pause and Stop buttons that
// mirror the Emulation menu's run-control items, thin dividers between them,
// and the area that holds the drive rows.
#include "app/CMainWindow.h"

#include <cmath>

#include "app/CMainMenu.h"
#include "app/EmbeddedBitmaps.h"
#include "app/TextIds.h"
#include "common/CLocale.h"
#include "gui/Units.h"
#include "gui/windows/CButton.h"
#include "gui/windows/CPanel.h"

namespace emu {

namespace {

// Dock alignment codes and panel border styles used here.
constexpr int32_t kDockLeftFullHeight = 1;
constexpr int32_t kDockTop = 3;
constexpr int32_t kDockLeftMeasured = 15;
constexpr int32_t kBorderNone = 0;
constexpr int32_t kBorderEtched = 3;
// The Pause button and the divider after it give way first when the toolbar is narrow.
constexpr int32_t kPausePriorityGroup = 4;

enum RunItem : int32_t { kRunStart, kRunPause, kRunStop };

} // namespace

int32_t CMainWindow::GetDriveAreaWidth() {
    const gui::Windows::CDpiValues& dpi = gui::Windows::Dpi();
    if (!dpi.m_computed)
        return 460;
    const int32_t screenDpi = dpi.m_realKnown ? dpi.m_realX : dpi.m_layoutX;
    return static_cast<int32_t>(std::lround(460.0 * screenDpi / 96.0));
}

bool CMainWindow::BuildToolbar() {
    auto* toolbar = new gui::Windows::CPanel(gui::CRect(0, 0, 0, 72), kDockTop, kBorderEtched, m_manager.guiShowToolbar,
                                             gui::Windows::kUnitTenthMillimetres);
    if (!AddChild(toolbar)) {
        delete toolbar;
        return false;
    }
    m_toolbar = toolbar;

    m_startButton = AddToolbarButton(TextId::kStart, &CMainWindow::OnStartButton, LoadStartIcon(), true, 0);
    if (m_startButton == nullptr || !AddToolbarSeparator(0))
        return false;
    m_pauseButton =
        AddToolbarButton(TextId::kPause, &CMainWindow::OnPauseButton, LoadPauseIcon(), false, kPausePriorityGroup);
    if (m_pauseButton == nullptr || !AddToolbarSeparator(kPausePriorityGroup))
        return false;
    m_stopButton = AddToolbarButton(TextId::kStop, &CMainWindow::OnStopButton, LoadStopIcon(), false, 0);
    if (m_stopButton == nullptr || !AddToolbarSeparator(0))
        return false;

    auto* area = new gui::Windows::CPanel(0, 0, GetDriveAreaWidth(), 0, kDockLeftMeasured, kBorderNone, true);
    if (!m_toolbar->AddChild(area)) {
        delete area;
        return false;
    }
    m_driveArea = area;
    return true;
}

gui::Windows::CButton* CMainWindow::AddToolbarButton(int32_t textId, gui::CButtonInterface::ClickCallback callback,
                                                     common::CImage* icon, bool enabled, int32_t priorityGroup) {
    auto* button = new gui::Windows::CButton(8, 0, 16, 0, common::CLocale::GetText(textId), 0, kDockLeftMeasured, true,
                                             gui::Windows::kUnitMillimetres);
    button->GetClickAction().m_callback = callback;
    button->GetUserData() = reinterpret_cast<uintptr_t>(this);
    button->SetFlat(true);
    button->SetFocusable(false);
    button->SetImage(icon);
    if (!enabled)
        button->SetEnabled(false);
    if (priorityGroup != 0)
        button->SetPriorityGroup(priorityGroup);
    if (!m_toolbar->AddChild(button)) {
        delete button;
        return nullptr;
    }
    return button;
}

bool CMainWindow::AddToolbarSeparator(int32_t priorityGroup) {
    auto* separator = new gui::Windows::CPanel(0, 0, 2, 0, kDockLeftFullHeight, kBorderEtched, true);
    separator->SetBorderSides(true, false, false, false);
    if (priorityGroup != 0)
        separator->SetPriorityGroup(priorityGroup);
    if (!m_toolbar->AddChild(separator)) {
        delete separator;
        return false;
    }
    for (gui::Windows::CPanel*& slot : m_separators) {
        if (slot == nullptr) {
            slot = separator;
            break;
        }
    }
    return true;
}

void CMainWindow::FireRunItem(gui::CWidgetInterface* button, int32_t which) {
    CMainWindow* main = FromWidget(button);
    CMainMenu* menu = main != nullptr ? main->GetMainMenu() : nullptr;
    if (menu == nullptr)
        return;
    gui::CMenuItem* item = which == kRunStart   ? menu->m_startItem
                           : which == kRunPause ? menu->m_pauseItem
                                                : menu->m_stopItem;
    if (item != nullptr)
        item->Command(-1);
}

void CMainWindow::OnStartButton(gui::CWidgetInterface* button) {
    FireRunItem(button, kRunStart);
}

void CMainWindow::OnPauseButton(gui::CWidgetInterface* button) {
    FireRunItem(button, kRunPause);
}

void CMainWindow::OnStopButton(gui::CWidgetInterface* button) {
    FireRunItem(button, kRunStop);
}

void CMainWindow::ApplyLanguage() {
    if (GetMenuBar() != nullptr)
        GetMenuBar()->ReloadText();
    const struct {
        gui::Windows::CButton* button;
        int32_t textId;
    } captions[] = {{m_startButton, TextId::kStart}, {m_pauseButton, TextId::kPause}, {m_stopButton, TextId::kStop}};
    for (const auto& caption : captions) {
        if (caption.button != nullptr)
            caption.button->SetText(common::CLocale::GetText(caption.textId));
    }
}

void CMainWindow::UpdateToolbar() {
    CMainMenu* menu = GetMainMenu();
    if (menu == nullptr)
        return;
    if (m_startButton != nullptr && menu->m_startItem != nullptr)
        m_startButton->SetEnabled(menu->m_startItem->IsEnabled());
    if (m_pauseButton != nullptr && menu->m_pauseItem != nullptr) {
        m_pauseButton->SetEnabled(menu->m_pauseItem->IsEnabled());
        m_pauseButton->SetPushed(menu->m_pauseItem->IsChecked());
    }
    if (m_stopButton != nullptr && menu->m_stopItem != nullptr)
        m_stopButton->SetEnabled(menu->m_stopItem->IsEnabled());
}

} // namespace emu
