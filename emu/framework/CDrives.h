#pragma once
// The machine's drive set service: the slots and drive list of
// CDrivesInterface as an object of the machine's service tree. It passes every
// media-change notice to the callback the machine installs, and saves its
// slots in the state.
//
// State data (record format of CStreamHolder.h), inside the object's chunk;
// %ld is the slot's index within its kind, from 0:
//   "VER" u8 0, F0 "_DRIVES", "DCNT" i32 (all slots),
//   per kind: "FDCNT" i32 (the kind's count), then per slot "FDFLE%ld"
//   (wide string, image path, empty for none), "FDSIZ%ld" (u64, image size),
//   "FDLCH%ld" (bool, latch), "FDRDD%ld" (bool, read activity);
//   the other kinds use HD, CR and CD; FF "_DRIVES".
#include <cstdint>

#include "emu/framework/CDrivesInterface.h"
#include "emu/framework/CObject.h"

namespace emu {

class CDrives : public CDrivesInterface, public CObject {
public:
    // about is 1 before a change and 0 after it; slot is null when a slot list changes.
    typedef void (*MediaChangeCallback)(void* user, CMediaSlot* slot, uint8_t about);
    // Whether an image of `size` bytes suits the drive that the slot feeds.
    typedef bool (*ImageCheckCallback)(void* user, CMediaSlot* slot, uint64_t size);

    // No slots, no callback, an empty name.
    CDrives();
    // The slots go without any notice reaching the callback.
    ~CDrives() override;

    void OnMediaChanged(CMediaSlot* slot, bool about) override;
    // The installed check's answer; every size fits without one.
    bool FitsImage(CMediaSlot* slot, uint64_t size) override;
    // One console line naming the drive, the file (its name) and its size.
    void OnListedImageRefused(int kind, int index, const common::CPath& path, int64_t size) override;
    // Power-on: clears the read and written flags of every slot.
    bool Start(int32_t* value) override;
    void Stop() override;
    bool SaveData(common::CStreamHolder& holder) override;
    // Restores each slot's image (remounting when the path differs), checks
    // its size and restores its latch; every restored slot is marked read. The
    // last path never moves. The first mismatch fails, leaving the slots
    // restored so far as they are. An image whose size fits no disk format
    // fails the load with that reason in *errorText; the slot keeps its image.
    bool LoadData(common::CStreamHolder& holder, common::CNarrowString* errorText) override;

    // The callback with its user pointer; null removes it.
    void SetMediaChangeCallback(MediaChangeCallback callback, void* user);
    void SetImageCheckCallback(ImageCheckCallback callback, void* user);

private:
    // The kinds' counts and slots, between "DCNT" and the section's end.
    bool LoadSlots(common::CStreamHolder& holder, common::CNarrowString* errorText);

    MediaChangeCallback m_callback;  // null until the machine installs it
    void* m_callbackUser;            // the machine; not owned
    ImageCheckCallback m_imageCheck; // null until the machine installs it
    void* m_imageCheckUser;          // the machine; not owned
};

} // namespace emu
