#include "emu/framework/CMediaSlot.h"

#include "emu/framework/CDrivesInterface.h"

namespace emu {

CMediaSlot::CMediaSlot(CDrivesInterface* owner)
    : m_owner(owner), m_latch(false), m_inUse(false), m_tag(0), m_mediaValid(false), m_examined(false),
      m_modified(false), m_written(false), m_read(false), m_readOnly(false), m_changed(false), m_removed(false) {}

CMediaSlot::~CMediaSlot() {
    if (!m_removed)
        MarkRemoved();
}

void CMediaSlot::MarkRemoved() {
    NotifyChanged(true);
    Close();
    m_removed = true;
    m_changed = true;
    NotifyChanged(false);
}

void CMediaSlot::ClearMediaFlags() {
    m_read = false;
    m_written = false;
    m_modified = false;
    m_examined = false;
    m_mediaValid = false;
    m_inUse = false;
}

void CMediaSlot::RememberFolder(const common::CPath& path) {
    if (path.IsEmpty() || m_owner == nullptr)
        return;
    int cut = path.ReverseFindWide(u'/');
    if (cut < 0)
        cut = path.ReverseFindWide(u'\\');
    common::CPath folder(path);
    if (cut >= 0)
        folder.Erase(cut + 1, folder.GetLength() - cut - 1);
    m_owner->SetLastPath(folder);
}

bool CMediaSlot::Open(const common::CPath& path) {
    // The folder is remembered even when the open fails, so that the next
    // dialog starts where the user last looked.
    RememberFolder(path);
    if (m_image.IsOpen() || !m_image.Open(path))
        return false;
    m_path = path;
    ClearMediaFlags();
    m_readOnly = !m_image.CanWrite();
    m_latch = true;
    NotifyChanged(false);
    return true;
}

bool CMediaSlot::Open(const common::CPath& path, int32_t /*unused1*/, int32_t /*unused2*/) {
    return Open(path);
}

CMediaSlot::MountResult CMediaSlot::CheckImage(const common::CPath& path, int64_t* size) {
    *size = 0;
    // Opened as the slot would open it, so that a file the slot could not
    // mount is never taken for one it can.
    CMediaFileStream probe;
    if (path.IsEmpty() || !probe.Open(path))
        return kCannotOpen;
    *size = probe.GetSize();
    probe.Close();
    if (*size < 0)
        return kCannotOpen;
    if (m_owner != nullptr && !m_owner->FitsImage(this, static_cast<uint64_t>(*size)))
        return kFitsNoFormat;
    return kMounted;
}

CMediaSlot::MountResult CMediaSlot::Replace(const common::CPath& path, int64_t* size) {
    RememberFolder(path);
    const MountResult checked = CheckImage(path, size);
    if (checked != kMounted)
        return checked;
    const common::CPath old(m_path);
    const bool oldLatch = m_latch;
    Close();
    if (Open(path))
        return kMounted;
    // The file went between the check and the mount: the old image comes back.
    if (!old.IsEmpty() && Open(old))
        SetLatch(oldLatch);
    RememberFolder(path);
    return kCannotOpen;
}

void CMediaSlot::Close() {
    if (!m_image.IsOpen())
        return;
    NotifyChanged(true);
    m_image.Close();
    m_path.Clear();
    ClearMediaFlags();
    m_readOnly = false;
    NotifyChanged(false);
}

void CMediaSlot::NotifyChanged(bool about) {
    if (!about)
        m_changed = true;
    if (m_owner != nullptr)
        m_owner->OnMediaChanged(this, about);
}

void CMediaSlot::SetLatch(bool value) {
    if (m_latch == value)
        return;
    NotifyChanged(true);
    m_latch = value;
    NotifyChanged(false);
}

void CMediaSlot::AddFileType(const common::CString& extension, const common::CString& description) {
    if (extension.IsEmpty())
        return;
    m_extensions.Add(extension);
    m_descriptions.Add(description.IsEmpty() ? extension : description);
}

bool CMediaSlot::GetFileType(int32_t index, common::CString& extension, common::CString& description) {
    if (index < 0 || index >= m_extensions.GetCount())
        return false;
    extension.AssignString(*m_extensions.GetAt(index));
    if (index < m_descriptions.GetCount())
        description.AssignString(*m_descriptions.GetAt(index));
    else
        description.AssignString(extension);
    return true;
}

common::CPath CMediaSlot::GetLastPath() const {
    return m_owner != nullptr ? m_owner->GetLastPath() : common::CPath();
}

void CMediaSlot::SetCaptions(const char* caption, const char* shortCaption) {
    if (caption == nullptr)
        m_caption.Clear();
    else
        m_caption.AssignNarrow(caption);
    if (shortCaption == nullptr)
        m_shortCaption.AssignString(m_caption);
    else
        m_shortCaption.AssignNarrow(shortCaption);
}

} // namespace emu
