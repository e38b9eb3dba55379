#pragma once
// One media slot of the drive set: a place for one image file (a floppy in
// its drive, a hard disk, a cartridge, a CD) and the flags that the drive set,
// the drives and the front end share about it.
//
// Every change of the medium or of the latch is announced to the owner as a
// pair of notices, OnMediaChanged(slot, true) before and (slot, false) after;
// the machine answers them by resetting its devices with 0x200 (write back
// buffered sectors) and 0x40 (examine changed media again). Open sends only
// the after-notice; Close, latch changes and removal send both.
//
// Flag names used by the drives: latch = "mounted", media valid = "usable",
// examined = "checked", changed = "change pending", in use = "access", read
// and written = the read and write activity lamps.
#include <cstdint>

#include "common/CNarrowString.h"
#include "common/CPath.h"
#include "common/CStringList.h"
#include "emu/framework/CMediaFileStream.h"

namespace emu {

class CDrivesInterface;

class CMediaSlot {
public:
    // Why an image is, or is not, mounted in place of the slot's.
    enum MountResult { kMounted = 0, kCannotOpen = 1, kFitsNoFormat = 2 };

    // An empty slot: no image, every flag false, tag 0.
    explicit CMediaSlot(CDrivesInterface* owner);
    // A slot still in the drive set's use announces its removal: before-notice,
    // Close (with its own pair), removed and changed set, after-notice.
    virtual ~CMediaSlot();

    CMediaSlot(const CMediaSlot&) = delete;
    CMediaSlot& operator=(const CMediaSlot&) = delete;

    // Mounts an existing image, latched. The owner's last path moves to the
    // file's folder first, even when the open then fails. False when an image
    // is mounted already (eject it first) or the file does not open. An image
    // that the host lets us read but not write is marked read-only, so that the
    // drive reports write protection instead of dropping the guest's writes.
    bool Open(const common::CPath& path);
    // The form the menu and the console call; the two further arguments are unused.
    bool Open(const common::CPath& path, int32_t unused1, int32_t unused2);
    // Whether the file opens and its size suits the slot's drive (asked of the
    // owner), without touching the mounted image; *size receives the file's
    // size (0 when it does not open).
    MountResult CheckImage(const common::CPath& path, int64_t* size);
    // Mounts the file in place of the slot's image, latched, once CheckImage
    // accepts it; a refused file leaves the image, latch and flags as they
    // were. The owner's last path moves to the file's folder in either case.
    MountResult Replace(const common::CPath& path, int64_t* size);
    // Ejects the image; nothing when none is mounted. The latch keeps its value.
    void Close();
    // after (false): marks the slot changed first; then tells the owner.
    void NotifyChanged(bool about);
    // Latches or unlatches the medium between the two notices; nothing when
    // the latch already has the value.
    void SetLatch(bool value);
    // The drives' name for SetLatch.
    void SetMounted(bool mounted) { SetLatch(mounted); }

    // File types offered by the open-file dialog; an empty extension is
    // ignored, an empty description stands for the extension itself.
    void AddFileType(const common::CString& extension, const common::CString& description);
    // False when there is no type at the index.
    bool GetFileType(int32_t index, common::CString& extension, common::CString& description);
    // The owner's last folder; empty without an owner.
    common::CPath GetLastPath() const;
    // A null caption empties it; a null short caption copies the caption.
    void SetCaptions(const char* caption, const char* shortCaption);

    CDrivesInterface* GetOwner() const { return m_owner; }
    // The stream the drives read and write.
    CMediaFileStream* GetImage() { return &m_image; }
    const CMediaFileStream* GetImage() const { return &m_image; }
    bool IsOpen() const { return m_image.IsOpen(); }
    // 0 when no image is mounted.
    int64_t GetImageSize() const { return m_image.IsOpen() ? m_image.GetSize() : 0; }
    const common::CPath& GetPath() const { return m_path; }
    const common::CNarrowString& GetCaption() const { return m_caption; }
    const common::CNarrowString& GetShortCaption() const { return m_shortCaption; }

    bool GetLatch() const { return m_latch; }
    bool IsMounted() const { return m_latch; }
    bool IsInUse() const { return m_inUse; }
    void SetInUse(bool value) { m_inUse = value; }
    int64_t GetTag() const { return m_tag; }
    void SetTag(int64_t value) { m_tag = value; }
    bool IsMediaValid() const { return m_mediaValid; }
    void SetMediaValid(bool value) { m_mediaValid = value; }
    bool IsExamined() const { return m_examined; }
    void SetExamined(bool value) { m_examined = value; }
    bool IsModified() const { return m_modified; }
    void SetModified(bool value) { m_modified = value; }
    bool IsWritten() const { return m_written; }
    void SetWritten(bool value) { m_written = value; }
    bool IsRead() const { return m_read; }
    void SetRead(bool value) { m_read = value; }
    bool IsReadOnly() const { return m_readOnly; }
    void SetReadOnly(bool value) { m_readOnly = value; }
    bool IsChanged() const { return m_changed; }
    void SetChanged(bool value) { m_changed = value; }
    // Set once the drive set has taken the slot out of its lists: a drive that
    // still holds it must treat it as empty. The drive set keeps such a slot
    // alive until it is destroyed itself, so reading the flag stays safe.
    bool IsRemoved() const { return m_removed; }

private:
    friend class CDrivesInterface;

    // Removal as the destructor announces it; the slot stays allocated.
    void MarkRemoved();
    // Forgets the owner, so that the slot's end sends no notice.
    void Detach() { m_owner = nullptr; }
    void ClearMediaFlags();
    // The owner's last path becomes the path's folder.
    void RememberFolder(const common::CPath& path);

    CDrivesInterface* m_owner; // the drive set; not owned, may be null
    CMediaFileStream m_image;
    common::CPath m_path; // empty while no image is mounted
    common::CStringList m_extensions;
    common::CStringList m_descriptions;
    common::CNarrowString m_caption;
    common::CNarrowString m_shortCaption;
    bool m_latch;
    bool m_inUse;
    int64_t m_tag;
    bool m_mediaValid;
    bool m_examined;
    bool m_modified;
    bool m_written;
    bool m_read;
    bool m_readOnly;
    bool m_changed;
    bool m_removed;
};

} // namespace emu
