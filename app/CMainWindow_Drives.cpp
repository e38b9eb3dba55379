// The Drives menu, the drive lamps and the media commands: one submenu per
// drive of the current computer (Load From File, Unload, Latch), numbered over
// all kinds in the order floppy, hard disk, cartridge, CD/DVD; every item
// carries its drive number as its data value.
#include "app/CMainWindow.h"

#include <string>

#include "app/CMainMenu.h"
#include "app/TextIds.h"
#include "common/CLocale.h"
#include "common/CNarrowString.h"
#include "common/COptionNodeInterface.h"
#include "common/CWideString.h"
#include "common/HostFiles.h"
#include "common/ProgramFolders.h"
#include "emu/core/CEmulator.h"
#include "emu/framework/CComputer.h"
#include "emu/framework/CMediaSlot.h"
#include "gui/windows/COpenFileDialog.h"

namespace emu {

namespace {

constexpr int32_t kExecute = gui::CMenuItem::kModeCommand;
constexpr int32_t kUpdate = gui::CMenuItem::kModeUpdate;
// A lit lamp's phase is the drive number minus this.
constexpr int32_t kLampLit = 1000;

// One drive submenu: Load From File, Unload, separator, Latch. A caption
// from a text id keeps the id, so a language switch re-captions it.
bool AddDriveSubmenu(gui::CPopupMenu* drives, const common::CWideString& text, int32_t drive, int32_t textId = -1) {
    gui::CPopupMenu* submenu = CMainMenu::AddSubmenu(drives, text);
    if (submenu == nullptr)
        return false;
    submenu->SetTextId(textId);
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

} // namespace

void CMainMenu::BuildDrivesMenu() {
    if (m_drivesMenu == nullptr)
        return;
    m_drivesMenu->RemoveAllItems();
    CMainWindow* window = GetMainWindow();
    if (window == nullptr)
        return;
    window->ClearDriveRow();
    if (window->GetComputer() == nullptr)
        return;
    CEmulator* computer = window->GetComputer();
    int32_t f = 0;
    int32_t h = 0;
    int32_t c = 0;
    int32_t d = 0;
    const int32_t total = computer->GetDriveCounts(&f, &h, &c, &d);

    bool built = true;
    common::CNarrowString cartridgeName;
    if (c != 0)
        window->AddDriveRowLabel("ROM:");
    for (int32_t i = 0; built && i < c; ++i) {
        CMediaSlot* slot = computer->GetDrive(f + h + i);
        window->AddDriveRowPicture(f + h + i, i, CMainWindow::kDriveKindCartridge);
        window->SetDriveRowLabelText(slot);
        if (slot != nullptr && !slot->GetShortCaption().IsEmpty())
            cartridgeName.AssignNarrowString(slot->GetCaption());
        common::CWideString text;
        int32_t textId = -1;
        if (cartridgeName.IsEmpty()) {
            textId = TextId::kFirstCartridge + i;
            text = common::CLocale::GetText(textId);
        } else {
            common::CNarrowString formatted;
            formatted.Format("%s %.ld", cartridgeName.GetNarrow(), static_cast<long>(i + 1));
            text = common::CWideString(formatted.GetNarrow());
        }
        built = AddDriveSubmenu(m_drivesMenu, text, f + h + i, textId);
    }
    if (built && c != 0) {
        window->AddDriveRowDivider();
        if (total != c)
            AddSeparator(m_drivesMenu);
    }
    if (built && f != 0)
        window->AddDriveRowLabel("FDD:");
    for (int32_t i = 0; built && i < f; ++i) {
        window->AddDriveRowPicture(i, i, CMainWindow::kDriveKindFloppy);
        if (i == 2 && h == 0)
            AddSeparator(m_drivesMenu);
        built = AddDriveSubmenu(m_drivesMenu, common::CLocale::GetText(TextId::kFirstFloppyDrive + i), i,
                                TextId::kFirstFloppyDrive + i);
    }
    if (built && f != 0) {
        window->AddDriveRowDivider();
        if (h > 0 || d > 0)
            AddSeparator(m_drivesMenu);
    }
    if (built && h != 0)
        window->AddDriveRowLabel("HDD:");
    for (int32_t i = 0; built && i < h; ++i) {
        window->AddDriveRowPicture(f + i, i, CMainWindow::kDriveKindHardDisk);
        built = AddDriveSubmenu(m_drivesMenu, common::CLocale::GetText(TextId::kFirstHardDrive + i), f + i,
                                TextId::kFirstHardDrive + i);
    }
    if (built && h != 0) {
        window->AddDriveRowDivider();
        if (d > 0)
            AddSeparator(m_drivesMenu);
    }
    if (built && d != 0)
        window->AddDriveRowLabel("DVD:");
    for (int32_t i = 0; built && i < d; ++i) {
        window->AddDriveRowPicture(f + h + c + i, i, CMainWindow::kDriveKindCdDrive);
        built = AddDriveSubmenu(m_drivesMenu, common::CLocale::GetText(TextId::kFirstCdDrive + i), f + h + c + i,
                                TextId::kFirstCdDrive + i);
    }
    if (built && d != 0)
        window->AddDriveRowDivider();
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
    for (int32_t n = 0; n < total; ++n) {
        CMediaSlot* slot = m_computer->GetDrive(n);
        if (slot == nullptr)
            continue;
        int32_t& phase = m_lampPhases[static_cast<size_t>(n)];
        bool redraw = fullRefresh;
        if (slot->IsInUse()) {
            slot->SetInUse(false);
            phase += phase >= 0 ? -kLampLit : kLampLit;
            redraw = true;
        } else if (phase < 0) {
            phase += kLampLit;
            redraw = true;
        }
        if (redraw)
            RefreshDrivePicture(n, false);
    }
}

void CMainWindow::RefreshDriveRow() {
    for (size_t n = 0; n < m_drivePictures.size(); ++n)
        RefreshDrivePicture(static_cast<int32_t>(n), true);
}

bool CMainWindow::LoadImageIntoDrive(int32_t, CMediaSlot* slot) {
    gui::Windows::COpenFileDialog dialog;
    common::CPath start;
    if (slot == nullptr) {
        common::InitAppFolders();
        start = common::ProgramFolder();
    } else {
        for (int32_t i = 0;; ++i) {
            common::CNarrowString extension;
            common::CNarrowString description;
            if (!slot->GetFileType(i, extension, description))
                break;
            dialog.AddFilter(common::CWideString(extension.GetNarrow()), common::CWideString(description.GetNarrow()));
        }
        dialog.AddFilter(common::CWideString("*"), common::CLocale::GetText(TextId::kAllFiles));
        start = slot->GetLastPath();
    }

    const bool inBreak = m_computer->IsInBreak();
    if (m_computer->IsActive() && !inBreak)
        m_computer->Break(false);
    const bool shown = dialog.Show(this, start);
    if (m_computer->IsActive() && !inBreak && m_computer->IsInBreak())
        m_computer->Resume();

    if (!shown || dialog.GetResult() != gui::CDialogInterface::kResultOk || slot == nullptr)
        return false;
    const common::CPath path = dialog.GetFileName();
    // A file that is there but does not open (no read permission) is refused
    // with its reason below, not passed over in silence.
    if (path.IsEmpty() || !common::HostPathExists(path.GetWide()))
        return false;
    // The old image's stream and the drive's sector buffer go while the
    // emulation stands at its safe point, never under a running access. The
    // drive examines an image only when the machine runs: a file that does not
    // open, or whose size no disk format has, is refused before the old image
    // goes, so the drive keeps it.
    CMediaSlot::MountResult mounted;
    int64_t size = 0;
    {
        CEmulator::CSafePoint hold(m_computer);
        mounted = slot->Replace(path, &size);
    }
    if (mounted != CMediaSlot::kMounted) {
        const bool fitsNoFormat = mounted == CMediaSlot::kFitsNoFormat;
        common::CWideString text(
            common::CLocale::GetText(fitsNoFormat ? TextId::kImageFitsNoFormat : TextId::kImageNotOpened));
        text.AppendWide(u"\n");
        text.AppendString(path);
        if (fitsNoFormat) {
            text.AppendFormat("\n%s ", std::to_string(static_cast<long long>(size)).c_str());
            text.AppendString(common::CLocale::GetText(TextId::kBytes));
        }
        common::CWideString caption;
        caption.AssignString(m_manager.GetTitle());
        ShowWarning(text, caption);
    }
    return true;
}

void CMainWindow::ToggleLatch(CMediaSlot* slot) {
    if (slot == nullptr)
        return;
    CEmulator::CSafePoint hold(m_computer);
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
    if (main->LoadImageIntoDrive(item->DataValue(), slot)) {
        main->RefreshDrivePicture(item->DataValue(), true);
        main->BlinkDriveActivity(true);
    }
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
        {
            CEmulator::CSafePoint hold(main->m_computer);
            slot->Close();
            if (slot->GetLatch())
                slot->SetLatch(false);
        }
        main->RefreshDrivePicture(item->DataValue(), true);
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
    main->ToggleLatch(slot);
    main->RefreshDrivePicture(item->DataValue(), false);
    item->UpdateAll();
    return true;
}

} // namespace emu
