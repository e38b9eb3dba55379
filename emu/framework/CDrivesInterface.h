#pragma once
// The drive set's slots and drive list, without the object part: four kinds
// of media, each with an ordered list of at most 8 slots, and the list of
// image paths and latches that the drive-list file keeps between runs.
//
// Kinds, in the order used everywhere (index, kind name, state field prefix,
// settings key prefix, message tag):
//   0 floppy disk  "FDD"    FD  fdd   FDD
//   1 hard disk    "HDD"    HD  hdd   HDD
//   2 cartridge    "CART"   CR  cart  CART
//   3 CD or DVD    "CDROM"  CD  cdd   CDD
//
// Drive-list file (settings registry format, header "NUVINI", no trailer),
// keys at the top level: "lastPath" (string), then per kind "fddMax" (u8, the
// entries kept, at most 8) and for each entry n "fdd<n>Latch" (bool) and
// "fdd<n>Path" (string); the other kinds use hdd, cart and cdd. Entry n
// belongs to slot n of the kind.
//
// A slot taken out of the lists (a kind shrinking, RemoveSlot) is closed and
// marked removed but stays allocated until the drive set itself is
// destroyed: a drive that still holds it reads the removed flag safely.
#include <cstdint>
#include <vector>

#include "common/CNarrowString.h"
#include "common/CPath.h"

namespace common {
class CSettingsRegistry;
}

namespace emu {

class CMediaSlot;

class CDrivesInterface {
public:
    typedef std::vector<CMediaSlot*> SlotList;

    enum Kind { kFloppy = 0, kHardDisk = 1, kCartridge = 2, kCdrom = 3 };
    static constexpr int kKindCount = 4;
    // Slots per kind, and entries per kind in the drive list.
    static constexpr int kMaxListEntries = 8;

    // One kind's slots and drive-list entries.
    struct CKindRecord {
        SlotList slots;      // not owned here: the all-slots list holds the same slots
        int32_t count = 0;   // always the length of slots
        uint8_t listMax = 0; // drive-list entries kept, 0..8
        bool listLatch[kMaxListEntries] = {};
        common::CPath listPath[kMaxListEntries];
    };

    CDrivesInterface();
    // A media-change notice: about is true before a change, false after it;
    // slot is null when a slot list changes. Ignored here.
    virtual void OnMediaChanged(CMediaSlot* slot, bool about);
    // Whether an image of `size` bytes suits the drive that the slot feeds,
    // asked before the image is mounted. The base takes every size.
    virtual bool FitsImage(CMediaSlot* slot, uint64_t size);
    // The drive list named an image for slot `index` of the kind whose size
    // fits no disk format; the slot is left empty. The base says nothing.
    virtual void OnListedImageRefused(int kind, int index, const common::CPath& path, int64_t size);
    // Sets every count to 0 (closing the slots, with notices that reach only
    // this class's OnMediaChanged) and frees every slot.
    virtual ~CDrivesInterface();

    CDrivesInterface(const CDrivesInterface&) = delete;
    CDrivesInterface& operator=(const CDrivesInterface&) = delete;

    // The slot count of one kind, between a before- and an after-notice with a
    // null slot. Shrinking removes slots from the end (closing their images);
    // growing appends empty slots; remaining slots keep their images. False,
    // without notices, for a negative count or the current one.
    bool SetFloppyCount(int32_t count);
    bool SetHardDiskCount(int32_t count);
    bool SetCartridgeCount(int32_t count);
    bool SetCdromCount(int32_t count);
    bool SetKindCount(int kind, int32_t count);
    // All four counts to 0, floppy first, with their notices.
    void ResetAllCounts();
    // Frees every slot (removed ones too) without notices; counts become 0.
    void DestroyAll();
    // Takes the slot out of the list, out of the all-slots list (where it must
    // be too, unless list is that list) and out of its kind's list, then closes
    // it and marks it removed, with the notices of a slot's end. False for a
    // null argument or a slot missing from the lists.
    bool RemoveSlot(SlotList* list, CMediaSlot* slot);
    // Appends the slot to the list and, unless that is the all-slots list, to
    // the all-slots list. False for a null argument.
    bool AppendSlots(SlotList* list, CMediaSlot* slot);
    // The first slot of the kind that the name selects, compared whole after
    // upper-casing the caller's name in place; null kind names stand for
    // "FDD", "HDD", "CART" and "CDROM". Null for a name shorter than 3
    // characters, an unknown name or a kind without slots.
    CMediaSlot* FindFirstSlotOfKind(common::CNarrowString& name, const char* floppyName = nullptr,
                                    const char* hardDiskName = nullptr, const char* cartridgeName = nullptr,
                                    const char* cdromName = nullptr);
    // Whether any slot shows read or write activity.
    bool IsAnyActive() const;
    // Clears the read and written flags of every slot, and the empty-drive note.
    void ClearActivity();
    // A controller was asked for a drive that cannot be read (no disk, or one
    // of no known format): the machine's start-up has reached its disks all the same.
    void NoteUnreadyDriveAsked() { m_unreadyDriveAsked = true; }
    bool WasUnreadyDriveAsked() const { return m_unreadyDriveAsked; }

    // A new registry (the caller deletes it) bound to the drive-list fields:
    // every entry with all, else only the entries below each kind's maximum.
    common::CSettingsRegistry* BindSettings(bool all);
    // Writes the drive list through a temporary file that replaces the old
    // one, so a failed save keeps the last good file. False for an empty path
    // or a failed write.
    bool SaveSettings(const common::CPath& file);
    // Resets the drive list to its defaults, reads the file and mounts the
    // listed images with their latches; an image whose size fits no disk
    // format is refused (OnListedImageRefused). The last path is not moved by
    // the mounting. The result is the registry load's (false for an empty path or
    // a file that does not open).
    bool LoadSettings(const common::CPath& file);

    // "Drive n": the n-th slot of the all-slots list; null outside it.
    CMediaSlot* GetSlot(int index) const;
    int GetSlotCount() const { return static_cast<int>(m_allSlots.size()); }
    SlotList* GetAllSlots() { return &m_allSlots; }
    // The slot list of a kind; null for an unknown kind.
    SlotList* GetKindSlots(int kind);
    // Null outside the kind's list or for an unknown kind.
    CMediaSlot* GetKindSlot(int kind, int index) const;
    // 0 for an unknown kind.
    int32_t GetKindCount(int kind) const;
    // Null for an unknown kind.
    CKindRecord* GetKindRecord(int kind);
    const common::CPath& GetLastPath() const { return m_lastPath; }
    void SetLastPath(const common::CString& path) { m_lastPath.AssignString(path); }

protected:
    static bool IsKind(int kind) { return kind >= 0 && kind < kKindCount; }
    // The kind whose list holds the slot; -1 when none does.
    int FindKindOf(const CMediaSlot* slot) const;

    SlotList m_allSlots; // owned, in creation order
    CKindRecord m_kinds[kKindCount];
    common::CPath m_lastPath; // with its trailing separator
    SlotList m_removed;       // owned: slots taken out of the lists, kept until the end
    // Emulation thread only, like the slots' activity flags.
    bool m_unreadyDriveAsked = false;
};

} // namespace emu
