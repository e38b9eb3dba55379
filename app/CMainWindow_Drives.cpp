// The Drives menu, the drive lamps and the media commands: one submenu per
// drive of the current computer (Load From File, Unload, Latch), numbered over
// all kinds in the order floppy, hard disk, cartridge, CD/DVD; every item
// carries its drive number as its data value.
#include "app/CMainWindow.h"

#include "app/CMainMenu.h"
#include "app/TextIds.h"
#include "common/CLocale.h"
#include "common/CNarrowString.h"
#include "common/COptionNodeInterface.h"
#include "common/CWideString.h"
#include "common/ProgramFolders.h"
#include "emu/core/CEmulator.h"
#include "emu/framework/CMediaSlot.h"

#include <commdlg.h>

namespace emu {

namespace {

constexpr int32_t kExecute = gui::CMenuItem::kModeCommand;
constexpr int32_t kUpdate = gui::CMenuItem::kModeUpdate;
// A lit lamp's phase is the drive number minus this.
constexpr int32_t kLampLit = 1000;

// One drive submenu: Load From File, Unload, separator, Latch.
bool AddDriveSubmenu(gui::CPopupMenu* drives, const common::CWideString& text, int32_t drive) {
    gui::CPopupMenu* submenu = CMainMenu::AddSubmenu(drives, text);
    if (submenu == nullptr)
        return false;
    submenu->DataValue() = drive;
    gui::CMenuItem* load = submenu->AddItemByTextId(TextId::kLoadFromFile);
    gui::CMenuItem* unload = submenu->AddItemByTextId(TextId::kUnload);
    const bool separator = submenu->AddSeparator(false) != nullptr;
    gui::CMenuItem* latch = submenu->AddCheckItemByTextId(TextId::kLatch);
    if (load == nullptr || unload == nullptr || !separator || latch == nullptr)
        return false;
    load->DataValue() = unload->DataValue() = latch->DataValue() = drive;
    load->GetHandler() = &CMainWindow::OnMenuDriveLoadFromFile;
    unload->GetHandler() = &CMainWindow::OnMenuDriveUnload;
    latch->GetHandler() = &CMainWindow::OnMenuDriveLatch;
    return true;
}

// The slot of a drive item's drive; null without a computer or slot.
CMediaSlot* SlotOf(CMainWindow* main, gui::CMenuItem* item) {
    if (main == nullptr || main->GetComputer() == nullptr)
        return nullptr;
    return main->GetComputer()->GetDrive(item->DataValue());
}

// Builds the open-file dialog's filter: the slot's types, then "All Files".
std::u16string MakeFilter(CMediaSlot* slot) {
    std::u16string filter;
    auto add = [&filter](const common::CWideString& description, const common::CWideString& pattern) {
        filter += description.GetText();
        filter.push_back(u'\0');
        filter += pattern.GetText();
        filter.push_back(u'\0');
    };
    if (slot != nullptr) {
        for (int32_t i = 0;; ++i) {
            common::CNarrowString extension;
            common::CNarrowString description;
            if (!slot->GetFileType(i, extension, description))
                break;
            common::CWideString pattern("*.");
            pattern.AppendNarrowString(extension);
            add(common::CWideString(description.GetNarrow()), pattern);
        }
        add(common::CLocale::GetText(TextId::kAllFiles), common::CWideString("*.*"));
    }
    filter.push_back(u'\0');
    return filter;
}

} // namespace

void CMainMenu::BuildDrivesMenu() {
    if (m_drivesMenu == nullptr)
        return;
    m_drivesMenu->RemoveAllItems();
    CMainWindow* window = GetMainWindow();
    if (window == nullptr || window->GetComputer() == nullptr)
        return;
    CEmulator* computer = window->GetComputer();
    int32_t f = 0;
    int32_t h = 0;
    int32_t c = 0;
    int32_t d = 0;
    const int32_t total = computer->GetDriveCounts(&f, &h, &c, &d);

    bool built = true;
    common::CNarrowString cartridgeName;
    for (int32_t i = 0; built && i < c; ++i) {
        CMediaSlot* slot = computer->GetDrive(f + h + i);
        if (slot != nullptr && !slot->GetShortCaption().IsEmpty())
            cartridgeName.AssignNarrowString(slot->GetCaption());
        common::CWideString text;
        if (cartridgeName.IsEmpty()) {
            text = common::CLocale::GetText(TextId::kFirstCartridge + i);
        } else {
            common::CNarrowString formatted;
            formatted.Format("%s %.ld", cartridgeName.GetNarrow(), static_cast<long>(i + 1));
            text = common::CWideString(formatted.GetNarrow());
        }
        built = AddDriveSubmenu(m_drivesMenu, text, f + h + i);
    }
    if (built && c != 0 && total != c)
        AddSeparator(m_drivesMenu);
    for (int32_t i = 0; built && i < f; ++i) {
        if (i == 2 && h == 0)
            AddSeparator(m_drivesMenu);
        built = AddDriveSubmenu(m_drivesMenu, common::CLocale::GetText(TextId::kFirstFloppyDrive + i), i);
    }
    if (built && f != 0 && (h > 0 || d > 0))
        AddSeparator(m_drivesMenu);
    for (int32_t i = 0; built && i < h; ++i)
        built = AddDriveSubmenu(m_drivesMenu, common::CLocale::GetText(TextId::kFirstHardDrive + i), f + i);
    if (built && h != 0 && d > 0)
        AddSeparator(m_drivesMenu);
    for (int32_t i = 0; built && i < d; ++i)
        built = AddDriveSubmenu(m_drivesMenu, common::CLocale::GetText(TextId::kFirstCdDrive + i), f + h + c + i);
    if (!built) {
        m_drivesMenu->RemoveAllItems();
        return;
    }

    common::COptionNodeInterface* options = computer->GetOptionMenu(CEmulator::kMenuDrives);
    if (options != nullptr && options->GetChildCount() > 0) {
        m_drivesMenu->AddSeparator(true);
        BuildMenuFromOptionTree(options, m_drivesMenu, false);
    } else {
        RemoveTrailingSeparator(m_drivesMenu);
    }

    // Every lamp starts dark: its phase is its drive number.
    window->BlinkDriveActivity(true);
}

void CMainWindow::BlinkDriveActivity(bool fullRefresh) {
    if (m_computer == nullptr)
        return;
    int32_t f = 0;
    int32_t h = 0;
    int32_t c = 0;
    int32_t d = 0;
    const int32_t total = m_computer->GetDriveCounts(&f, &h, &c, &d);
    if (total <= 0)
        return;
    if (m_lampPhases.size() != static_cast<size_t>(total)) {
        m_lampPhases.resize(static_cast<size_t>(total));
        for (int32_t n = 0; n < total; ++n)
            m_lampPhases[static_cast<size_t>(n)] = n;
    }
    (void)fullRefresh; // the drive row's pictures are redrawn from these phases
    for (int32_t n = 0; n < total; ++n) {
        CMediaSlot* slot = m_computer->GetDrive(n);
        if (slot == nullptr)
            continue;
        int32_t& phase = m_lampPhases[static_cast<size_t>(n)];
        if (slot->IsInUse()) {
            slot->SetInUse(false);
            phase += phase >= 0 ? -kLampLit : kLampLit;
        } else if (phase < 0) {
            phase += kLampLit;
        }
    }
}

bool CMainWindow::LoadImageIntoDrive(int32_t, CMediaSlot* slot) {
    const std::u16string filter = MakeFilter(slot);
    common::CPath start;
    if (slot == nullptr) {
        common::InitAppFolders();
        start = common::ProgramFolder();
    } else {
        start = slot->GetLastPath();
    }
    wchar_t fileName[MAX_PATH] = {};
    OPENFILENAMEW dialog = {};
    dialog.lStructSize = sizeof(dialog);
    dialog.hwndOwner = GetWindowHandle();
    dialog.lpstrFilter = reinterpret_cast<const wchar_t*>(filter.c_str());
    dialog.lpstrFile = fileName;
    dialog.nMaxFile = MAX_PATH;
    dialog.lpstrInitialDir = start.IsEmpty() ? nullptr : reinterpret_cast<const wchar_t*>(start.GetWide());
    dialog.Flags = OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY;

    const bool inBreak = m_computer->IsInBreak();
    if (m_computer->IsActive() && !inBreak)
        m_computer->Break(false);
    const bool chosen = GetOpenFileNameW(&dialog) != FALSE;
    if (m_computer->IsActive() && !inBreak && m_computer->IsInBreak())
        m_computer->Resume();

    if (!chosen || slot == nullptr)
        return false;
    const common::CPath path(reinterpret_cast<const common::WChar*>(fileName));
    if (!common::FileExists(path))
        return false;
    slot->Close();
    slot->Open(path, 0, 0);
    return true;
}

void CMainWindow::ToggleLatch(CMediaSlot* slot) {
    if (slot == nullptr)
        return;
    // The slot brackets the change with its two notices itself.
    slot->SetLatch(!slot->GetLatch());
}

bool CMainWindow::OnMenuDriveLoadFromFile(gui::CMenuItem* item, int32_t, int32_t mode, uintptr_t) {
    CMainWindow* main = FromMenuItem(item);
    CMediaSlot* slot = SlotOf(main, item);
    if (mode == kUpdate) {
        CMainMenu::ApplyState(item, slot != nullptr, false);
        return true;
    }
    if (mode != kExecute || main == nullptr || main->m_computer == nullptr)
        return false;
    CMainMenu::ApplyState(item, false, false);
    if (main->LoadImageIntoDrive(item->DataValue(), slot))
        main->BlinkDriveActivity(true);
    item->UpdateAll();
    return true;
}

bool CMainWindow::OnMenuDriveUnload(gui::CMenuItem* item, int32_t, int32_t mode, uintptr_t) {
    CMainWindow* main = FromMenuItem(item);
    CMediaSlot* slot = SlotOf(main, item);
    if (mode == kUpdate) {
        CMainMenu::ApplyState(item, slot != nullptr && slot->IsOpen(), false);
        return true;
    }
    if (mode != kExecute || main == nullptr || main->m_computer == nullptr)
        return false;
    CMainMenu::ApplyState(item, false, false);
    if (slot != nullptr) {
        slot->Close();
        if (slot->GetLatch())
            ToggleLatch(slot);
    }
    item->UpdateAll();
    return true;
}

bool CMainWindow::OnMenuDriveLatch(gui::CMenuItem* item, int32_t, int32_t mode, uintptr_t) {
    CMainWindow* main = FromMenuItem(item);
    CMediaSlot* slot = SlotOf(main, item);
    if (mode == kUpdate) {
        CMainMenu::ApplyState(item, slot != nullptr, slot != nullptr && slot->GetLatch());
        return true;
    }
    if (mode != kExecute || main == nullptr || main->m_computer == nullptr)
        return false;
    CMainMenu::ApplyState(item, false, slot != nullptr && slot->GetLatch());
    ToggleLatch(slot);
    item->UpdateAll();
    return true;
}

} // namespace emu
