#include "emu/framework/CDiskController.h"

#include "common/CNarrowString.h"
#include "emu/framework/CDiskDrive.h"
#include "emu/framework/CMediaSlot.h"

namespace emu {

CDiskController::CDiskController() = default;

CDiskController::~CDiskController() = default;

void CDiskController::OnMediaChanged(int32_t /*drive*/) {}

bool CDiskController::GetGeometry(int32_t drive, bool validate, uint64_t* cylinders, uint64_t* heads, uint64_t* sectors,
                                  uint64_t* sectorSize) {
    const CDiskDrive* target = GetDrive(drive);
    if (target == nullptr)
        return false;
    if (validate)
        return true;
    if (target->GetImageSize() != 1474560)
        return false;
    *cylinders = 80;
    *heads = 2;
    *sectors = 18;
    *sectorSize = 512;
    return true;
}

bool CDiskController::FitsImageSize(int32_t drive, uint64_t size) {
    return GetDrive(drive) != nullptr && size == 1474560;
}

int32_t CDiskController::CheckSlotImage(CObjectContainer* root, CMediaSlot* slot, uint64_t size) {
    if (root == nullptr || slot == nullptr)
        return -1;
    for (int i = 0; i < root->GetChildCount(); ++i) {
        CObject* child = root->GetChildAt(i);
        auto* controller = dynamic_cast<CDiskController*>(child);
        if (controller != nullptr) {
            for (int32_t d = 0; d < controller->GetDriveCount(); ++d) {
                if (controller->GetDrive(d)->GetMediaSlot() == slot)
                    return controller->FitsImageSize(d, size) ? 1 : 0;
            }
        }
        const int32_t found = CheckSlotImage(dynamic_cast<CObjectContainer*>(child), slot, size);
        if (found >= 0)
            return found;
    }
    return -1;
}

void CDiskController::DriveNotify(int32_t /*drive*/, bool /*success*/) {}

int32_t CDiskController::DriveQuery(int32_t /*drive*/, const uint8_t* /*bytes*/, int32_t count,
                                    uint32_t /*requestedLow*/, uint32_t /*requestedHigh*/, uint32_t /*doneLow*/,
                                    uint32_t /*doneHigh*/) {
    return count;
}

CDiskDrive* CDiskController::CreateDrive(CMediaSlot* slot, int32_t index) {
    return new CDiskDrive(slot, this, index);
}

bool CDiskController::AddDrive(CMediaSlot* slot, const char* name, const char* shortName) {
    if (slot == nullptr || IsStarted())
        return false;
    const int32_t index = GetDriveCount();
    CDiskDrive* drive = CreateDrive(slot, index);
    if (drive == nullptr)
        return false;
    drive->SetCallbacks(OnDriveCallbackA, this, OnDriveCallbackB, this);
    common::CNarrowString defaultName;
    if (name == nullptr)
        defaultName.Format("drive%d", static_cast<int>(index));
    const char* childName = name != nullptr ? name : defaultName.GetNarrow();
    const char* childShortName = shortName != nullptr ? shortName : name;
    if (!AddChild(drive, childName, childShortName)) {
        delete drive;
        return false;
    }
    m_drives.push_back(drive);
    // The drive could not ask for the geometry while it was not yet in the
    // list; a changed slot makes it look again when it starts.
    if (!slot->IsMediaValid())
        slot->NotifyChanged(false);
    return true;
}

CDiskDrive* CDiskController::GetDrive(int32_t index) const {
    if (index < 0 || index >= GetDriveCount())
        return nullptr;
    return m_drives[static_cast<size_t>(index)];
}

void CDiskController::OnDriveCallbackA(void* controller, CDiskDrive* drive, bool success) {
    if (controller != nullptr && drive != nullptr)
        static_cast<CDiskController*>(controller)->DriveNotify(drive->GetIndex(), success);
}

int32_t CDiskController::OnDriveCallbackB(void* controller, CDiskDrive* drive, const uint8_t* bytes, int32_t count,
                                          uint64_t requested, uint64_t delivered) {
    if (controller == nullptr || drive == nullptr)
        return count;
    return static_cast<CDiskController*>(controller)
        ->DriveQuery(drive->GetIndex(), bytes, count, static_cast<uint32_t>(requested),
                     static_cast<uint32_t>(requested >> 32), static_cast<uint32_t>(delivered),
                     static_cast<uint32_t>(delivered >> 32));
}

} // namespace emu
