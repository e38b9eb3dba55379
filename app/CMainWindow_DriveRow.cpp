// The toolbar's drive row: one small picture per drive of the current
// computer, grouped by kind behind a bold label ("ROM:", "FDD:", "HDD:",
// "DVD:"), showing the lever, the medium and the lamp. A double click on a
// picture loads an image into its drive; a right click toggles its latch.
#include "app/CMainWindow.h"

#include "app/EmbeddedBitmaps.h"
#include "emu/core/CEmulator.h"
#include "emu/framework/CMediaSlot.h"
#include "gui/CColor.h"
#include "gui/CCursor.h"
#include "gui/CFontInterface.h"
#include "gui/Units.h"
#include "gui/windows/CLabel.h"
#include "gui/windows/CPanel.h"
#include "gui/windows/CPicture.h"

namespace emu {

namespace {

constexpr int32_t kDockLeftFullHeight = 1;
constexpr int32_t kDockLeftMeasured = 15;
constexpr int32_t kBorderNone = 0;
constexpr int32_t kBorderEtched = 3;
constexpr int32_t kTextAlignLeft = 1;
constexpr int32_t kCursorHand = 2;
// Priority groups: labels give way first, then the later pictures of a group
// with their gaps, then the dividers.
constexpr int32_t kLabelGroup = 1;
constexpr int32_t kPictureGroup = 3;
constexpr int32_t kDividerGroup = 4;

// Label width in pixels and font size in points by screen DPI.
void DriveLabelLayout(int32_t* width, int32_t* fontSize) {
    const gui::Windows::CDpiValues& dpi = gui::Windows::Dpi();
    const int32_t screenDpi = !dpi.m_computed ? 96 : dpi.m_realKnown ? dpi.m_realX : dpi.m_layoutX;
    if (screenDpi > 130) {
        *width = 47;
        *fontSize = 8;
    } else if (screenDpi > 110) {
        *width = 44;
        *fontSize = 9;
    } else {
        *width = 42;
        *fontSize = 10;
    }
}

common::CImage* LoadDriveIcon(int32_t kind, int index) {
    switch (kind) {
    case CMainWindow::kDriveKindFloppy:
        return LoadDriveIconA(index);
    case CMainWindow::kDriveKindCartridge:
        return LoadDriveIconC(index);
    default:
        return LoadDriveIconB(index);
    }
}

// A panel that the area refuses is deleted and the build goes on.
void AddToArea(gui::Windows::CPanel* area, gui::Windows::CControl* element) {
    if (!area->AddChild(element))
        delete element;
}

gui::Windows::CPanel* MakeSpacer(int32_t width, int32_t priorityGroup) {
    auto* spacer = new gui::Windows::CPanel(0, 0, width, 0, kDockLeftFullHeight, kBorderNone, true);
    spacer->SetEraseBackground(true);
    if (priorityGroup != 0)
        spacer->SetPriorityGroup(priorityGroup);
    return spacer;
}

} // namespace

gui::Windows::CPicture* CMainWindow::GetDrivePicture(int32_t drive) const {
    if (drive < 0 || static_cast<size_t>(drive) >= m_drivePictures.size())
        return nullptr;
    return m_drivePictures[static_cast<size_t>(drive)];
}

void CMainWindow::ClearDriveRow() {
    // Pictures first forgotten, then deleted: no blink may draw into a deleted one.
    m_drivePictures.clear();
    m_driveRowLabel = nullptr;
    if (m_driveArea != nullptr)
        m_driveArea->DeleteAllChildren();
    int32_t total = 0;
    if (m_computer != nullptr) {
        int32_t f = 0, h = 0, c = 0, d = 0;
        total = m_computer->GetDriveCounts(&f, &h, &c, &d);
    }
    const size_t count = total > 0 ? static_cast<size_t>(total) : 0;
    m_drivePictures.assign(count, nullptr);
    // Every lamp of the new row starts dark: its phase is its drive number.
    m_lampPhases.resize(count);
    for (size_t n = 0; n < count; ++n)
        m_lampPhases[n] = static_cast<int32_t>(n);
}

void CMainWindow::AddDriveRowLabel(const char* text) {
    m_driveRowLabel = nullptr;
    if (m_driveArea == nullptr)
        return;
    AddToArea(m_driveArea, MakeSpacer(12, 0));
    int32_t width = 42;
    int32_t fontSize = 10;
    DriveLabelLayout(&width, &fontSize);
    auto* label = new gui::Windows::CLabel(0, 0, width, 0, common::CWideString(text), kDockLeftFullHeight, true);
    label->SetTextAlignment(kTextAlignLeft);
    label->GetFont().Set(gui::CFontInterface::kFamilyArial, fontSize, gui::CColor::FromArgb(gui::CColor::kOpaqueBlack));
    label->GetFont().SetStyleFlags(true, false);
    label->SetPriorityGroup(kLabelGroup);
    if (!m_driveArea->AddChild(label)) {
        delete label;
        return;
    }
    m_driveRowLabel = label;
}

void CMainWindow::AddDriveRowPicture(int32_t drive, int32_t indexInGroup, int32_t kind) {
    if (m_driveArea == nullptr || m_computer == nullptr)
        return;
    if (indexInGroup != 0)
        AddToArea(m_driveArea, MakeSpacer(indexInGroup % 2 != 0 ? 2 : 10, kPictureGroup));
    auto* picture =
        new gui::Windows::CPicture(0, 0, 9, 0, nullptr, kDockLeftMeasured, true, gui::Windows::kUnitMillimetres);
    for (int i = 0; i < kDrivePictureCount; ++i) {
        common::CImage* image = LoadDriveIcon(kind, i);
        if (image != nullptr && picture->AddImage(image) < 0)
            delete image;
    }
    CMediaSlot* slot = m_computer->GetDrive(drive);
    picture->SetCurrentImage(GetDriveIconIndex(slot, GetLampPhase(drive), m_computer->IsActive()));
    picture->GetUserData() = static_cast<uintptr_t>(drive);
    picture->OnMouseCallback() = &CMainWindow::OnDriveIconMouse;
    if (slot != nullptr && slot->IsOpen())
        picture->SetTooltipText(slot->GetPath());
    if (indexInGroup != 0)
        picture->SetPriorityGroup(kPictureGroup);
    if (!m_driveArea->AddChild(picture)) {
        delete picture;
        return;
    }
    picture->GetCursor()->SetStandard(kCursorHand);
    if (drive >= 0 && static_cast<size_t>(drive) < m_drivePictures.size())
        m_drivePictures[static_cast<size_t>(drive)] = picture;
}

void CMainWindow::AddDriveRowDivider() {
    if (m_driveArea == nullptr)
        return;
    AddToArea(m_driveArea, MakeSpacer(12, kDividerGroup));
    auto* line = new gui::Windows::CPanel(0, 0, 2, 0, kDockLeftFullHeight, kBorderEtched, true);
    line->SetBorderSides(true, false, false, false);
    line->SetPriorityGroup(kDividerGroup);
    AddToArea(m_driveArea, line);
}

void CMainWindow::SetDriveRowLabelText(CMediaSlot* slot) {
    if (m_driveRowLabel != nullptr && slot != nullptr && !slot->GetShortCaption().IsEmpty())
        m_driveRowLabel->SetText(common::CWideString(slot->GetShortCaption().GetNarrow()));
}

void CMainWindow::RefreshDrivePicture(int32_t drive, bool withTooltip) {
    gui::Windows::CPicture* picture = GetDrivePicture(drive);
    if (picture == nullptr || m_computer == nullptr)
        return;
    CMediaSlot* slot = m_computer->GetDrive(drive);
    picture->SetCurrentImage(GetDriveIconIndex(slot, GetLampPhase(drive), m_computer->IsActive()));
    if (withTooltip)
        picture->SetTooltipText(slot != nullptr && slot->IsOpen() ? common::CWideString(slot->GetPath())
                                                                  : common::CWideString());
}

bool CMainWindow::OnDriveIconMouse(gui::CWidgetInterface* widget, int32_t, int32_t, int32_t event) {
    CMainWindow* main = FromWidget(widget);
    if (main == nullptr || main->m_computer == nullptr)
        return false;
    const int32_t drive = static_cast<int32_t>(widget->GetUserData());
    CMediaSlot* slot = main->m_computer->GetDrive(drive);
    if (slot == nullptr)
        return false;
    if (event == gui::CWidgetInterface::kMouseLeftDoubleClick) {
        if (main->LoadImageIntoDrive(drive, slot)) {
            main->RefreshDrivePicture(drive, true);
            main->BlinkDriveActivity(true);
            main->SyncWithCore(true);
        }
        return true;
    }
    if (event == gui::CWidgetInterface::kMouseRightDown) {
        main->ToggleLatch(slot);
        main->BlinkDriveActivity(true);
        main->SyncWithCore(true);
        return true;
    }
    return false;
}

} // namespace emu
