#pragma once
// Base of every disk controller: it creates one CDiskDrive per media slot it
// is given, keeps them in a list (index = order of adding) and as its child
// devices, routes the drives' timed-service callbacks back to itself and
// answers the drives' question about their media: which geometry an image of
// a given size has, and whether a geometry that the image itself declares is
// acceptable. A concrete controller overrides the geometry rules and the
// media-change notice.
//
// Geometry query: `validate` set means the image declared its own geometry,
// which is only checked; otherwise the geometry follows from the drive's image
// size and is written to the outputs. The base knows one image, the 1.44 MB
// floppy (80 cylinders, 2 heads, 18 sectors of 512 bytes).
#include <cstdint>
#include <vector>

#include "emu/framework/CDevice.h"

namespace emu {

class CDiskDrive;
class CMediaSlot;

class CDiskController : public CDevice {
public:
    CDiskController();
    // The drives are children and go with the device tree; only the list is freed here.
    ~CDiskController() override;

    // A drive has examined its medium while the controller runs.
    virtual void OnMediaChanged(int32_t drive);
    // False for an index that names no drive of the list.
    virtual bool GetGeometry(int32_t drive, bool validate, uint64_t* cylinders, uint64_t* heads, uint64_t* sectors,
                             uint64_t* sectorSize);
    // Whether GetGeometry would find a geometry for an image of `size` bytes
    // in the drive, asked before the drive examines it (at mount); the image
    // is not touched. False for an index that names no drive.
    virtual bool FitsImageSize(int32_t drive, uint64_t size);
    // Whether an image of `size` bytes fits a geometry of the drive that the
    // slot feeds, looking for that drive among `root`'s devices: 1 yes, 0 no,
    // -1 when no controller's drive takes the slot.
    static int32_t CheckSlotImage(CObjectContainer* root, CMediaSlot* slot, uint64_t size);
    // A drive's timed seek has ended; the base does nothing.
    virtual void DriveNotify(int32_t drive, bool success);
    // A drive offers timed-read bytes; the base takes all of them.
    virtual int32_t DriveQuery(int32_t drive, const uint8_t* bytes, int32_t count, uint32_t requestedLow,
                               uint32_t requestedHigh, uint32_t doneLow, uint32_t doneHigh);
    // A new drive for the slot, owned by the caller.
    virtual CDiskDrive* CreateDrive(CMediaSlot* slot, int32_t index);

    // Adds a drive for the slot, named "drive<index>" unless a name is given
    // (the short name defaults to the name given). False for no slot or while
    // the controller runs. A slot whose medium is not yet known usable is
    // marked changed, so that the drive examines it when it starts.
    bool AddDrive(CMediaSlot* slot, const char* name = nullptr, const char* shortName = nullptr);

    int32_t GetDriveCount() const { return static_cast<int32_t>(m_drives.size()); }
    // Null outside the list.
    CDiskDrive* GetDrive(int32_t index) const;

    // The drives' callbacks, with the controller as user.
    static void OnDriveCallbackA(void* controller, CDiskDrive* drive, bool success);
    static int32_t OnDriveCallbackB(void* controller, CDiskDrive* drive, const uint8_t* bytes, int32_t count,
                                    uint64_t requested, uint64_t delivered);

protected:
    std::vector<CDiskDrive*> m_drives; // the children, in order; owned by the device tree
};

} // namespace emu
