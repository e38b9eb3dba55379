#include "emu/framework/CDrivesInterface.h"

#include <algorithm>
#include <memory>

#include "common/CFileStream.h"
#include "common/CSettingsRegistry.h"
#include "common/ProgramFolders.h"
#include "emu/framework/CMediaSlot.h"

namespace emu {

namespace {

const char* const kKindNames[CDrivesInterface::kKindCount] = {"FDD", "HDD", "CART", "CDROM"};
const char* const kSettingsPrefixes[CDrivesInterface::kKindCount] = {"fdd", "hdd", "cart", "cdd"};

const char* const kSettingsHeader = "NUVINI";
const char* const kSettingsTrailer = "";

bool Erase(CDrivesInterface::SlotList& list, const CMediaSlot* slot) {
    const auto it = std::find(list.begin(), list.end(), slot);
    if (it == list.end())
        return false;
    list.erase(it);
    return true;
}

void AddUnique(CDrivesInterface::SlotList& list, CMediaSlot* slot) {
    if (slot != nullptr && std::find(list.begin(), list.end(), slot) == list.end())
        list.push_back(slot);
}

} // namespace

CDrivesInterface::CDrivesInterface() = default;

CDrivesInterface::~CDrivesInterface() {
    ResetAllCounts();
    DestroyAll();
}

void CDrivesInterface::OnMediaChanged(CMediaSlot* /*slot*/, bool /*about*/) {}

bool CDrivesInterface::FitsImage(CMediaSlot* /*slot*/, uint64_t /*size*/) {
    return true;
}

void CDrivesInterface::OnListedImageRefused(int /*kind*/, int /*index*/, const common::CPath& /*path*/,
                                            int64_t /*size*/) {}

bool CDrivesInterface::SetFloppyCount(int32_t count) {
    return SetKindCount(kFloppy, count);
}

bool CDrivesInterface::SetHardDiskCount(int32_t count) {
    return SetKindCount(kHardDisk, count);
}

bool CDrivesInterface::SetCartridgeCount(int32_t count) {
    return SetKindCount(kCartridge, count);
}

bool CDrivesInterface::SetCdromCount(int32_t count) {
    return SetKindCount(kCdrom, count);
}

bool CDrivesInterface::SetKindCount(int kind, int32_t count) {
    if (!IsKind(kind))
        return false;
    CKindRecord& record = m_kinds[kind];
    if (count < 0 || count == static_cast<int32_t>(record.slots.size()))
        return false;
    OnMediaChanged(nullptr, true);
    while (static_cast<int32_t>(record.slots.size()) > count) {
        if (!RemoveSlot(&record.slots, record.slots.back()))
            return false;
    }
    record.count = count;
    while (static_cast<int32_t>(record.slots.size()) < count) {
        CMediaSlot* slot = new CMediaSlot(this);
        record.slots.push_back(slot);
        m_allSlots.push_back(slot);
    }
    OnMediaChanged(nullptr, false);
    return true;
}

void CDrivesInterface::ResetAllCounts() {
    for (int kind = 0; kind < kKindCount; ++kind)
        SetKindCount(kind, 0);
}

void CDrivesInterface::DestroyAll() {
    SlotList owned;
    for (CMediaSlot* slot : m_allSlots)
        AddUnique(owned, slot);
    for (CKindRecord& record : m_kinds) {
        for (CMediaSlot* slot : record.slots)
            AddUnique(owned, slot);
        record.slots.clear();
        record.count = 0;
    }
    for (CMediaSlot* slot : m_removed)
        AddUnique(owned, slot);
    m_allSlots.clear();
    m_removed.clear();
    for (CMediaSlot* slot : owned) {
        slot->Detach();
        delete slot;
    }
}

int CDrivesInterface::FindKindOf(const CMediaSlot* slot) const {
    for (int kind = 0; kind < kKindCount; ++kind) {
        const SlotList& slots = m_kinds[kind].slots;
        if (std::find(slots.begin(), slots.end(), slot) != slots.end())
            return kind;
    }
    return -1;
}

bool CDrivesInterface::RemoveSlot(SlotList* list, CMediaSlot* slot) {
    if (list == nullptr || slot == nullptr)
        return false;
    // Both lists are checked before either changes, so a refused removal
    // leaves the drive set as it was.
    if (std::find(list->begin(), list->end(), slot) == list->end())
        return false;
    if (list != &m_allSlots && std::find(m_allSlots.begin(), m_allSlots.end(), slot) == m_allSlots.end())
        return false;
    Erase(*list, slot);
    Erase(m_allSlots, slot);
    // A slot removed through the all-slots list leaves its kind too, so that
    // no list keeps a slot that is gone.
    for (CKindRecord& record : m_kinds) {
        Erase(record.slots, slot);
        record.count = static_cast<int32_t>(record.slots.size());
    }
    m_removed.push_back(slot);
    slot->MarkRemoved();
    return true;
}

bool CDrivesInterface::AppendSlots(SlotList* list, CMediaSlot* slot) {
    if (list == nullptr || slot == nullptr)
        return false;
    list->push_back(slot);
    if (list != &m_allSlots)
        m_allSlots.push_back(slot);
    for (CKindRecord& record : m_kinds)
        record.count = static_cast<int32_t>(record.slots.size());
    return true;
}

CMediaSlot* CDrivesInterface::FindFirstSlotOfKind(common::CNarrowString& name, const char* floppyName,
                                                  const char* hardDiskName, const char* cartridgeName,
                                                  const char* cdromName) {
    if (name.GetLength() < 3)
        return nullptr;
    name.MakeUpper();
    const char* const names[kKindCount] = {floppyName, hardDiskName, cartridgeName, cdromName};
    for (int kind = 0; kind < kKindCount; ++kind) {
        const char* kindName = names[kind] != nullptr ? names[kind] : kKindNames[kind];
        if (name.CompareNarrow(kindName) == 0)
            return m_kinds[kind].slots.empty() ? nullptr : m_kinds[kind].slots.front();
    }
    return nullptr;
}

bool CDrivesInterface::IsAnyActive() const {
    for (const CMediaSlot* slot : m_allSlots) {
        if (slot->IsRead() || slot->IsWritten())
            return true;
    }
    return false;
}

void CDrivesInterface::ClearActivity() {
    m_unreadyDriveAsked = false;
    for (CMediaSlot* slot : m_allSlots) {
        slot->SetRead(false);
        slot->SetWritten(false);
    }
}

CMediaSlot* CDrivesInterface::GetSlot(int index) const {
    if (index < 0 || index >= static_cast<int>(m_allSlots.size()))
        return nullptr;
    return m_allSlots[index];
}

CDrivesInterface::SlotList* CDrivesInterface::GetKindSlots(int kind) {
    return IsKind(kind) ? &m_kinds[kind].slots : nullptr;
}

CMediaSlot* CDrivesInterface::GetKindSlot(int kind, int index) const {
    if (!IsKind(kind) || index < 0 || index >= static_cast<int>(m_kinds[kind].slots.size()))
        return nullptr;
    return m_kinds[kind].slots[index];
}

int32_t CDrivesInterface::GetKindCount(int kind) const {
    return IsKind(kind) ? m_kinds[kind].count : 0;
}

CDrivesInterface::CKindRecord* CDrivesInterface::GetKindRecord(int kind) {
    return IsKind(kind) ? &m_kinds[kind] : nullptr;
}

namespace {

// The slots a kind's drive-list entries describe: its slot number, at most 8.
int ListedSlots(const CDrivesInterface::CKindRecord& record) {
    int n = std::min(static_cast<int>(record.slots.size()), static_cast<int>(record.count));
    return std::min(std::max(n, 0), static_cast<int>(CDrivesInterface::kMaxListEntries));
}

} // namespace

common::CSettingsRegistry* CDrivesInterface::BindSettings(bool all) {
    common::CSettingsRegistry* registry = new common::CSettingsRegistry();
    registry->BindString("lastPath", &m_lastPath);
    common::CNarrowString key;
    for (int kind = 0; kind < kKindCount; ++kind) {
        CKindRecord& record = m_kinds[kind];
        const char* prefix = kSettingsPrefixes[kind];
        const int listed = ListedSlots(record);
        if (record.listMax < listed)
            record.listMax = static_cast<uint8_t>(listed);
        key.Format("%sMax", prefix);
        registry->BindUInt8(key, &record.listMax);
        if (record.listMax > kMaxListEntries)
            record.listMax = kMaxListEntries;
        for (int i = 0; i < kMaxListEntries; ++i) {
            if (!all && i >= record.listMax)
                continue;
            key.Format("%s%.1ldLatch", prefix, static_cast<long>(i));
            registry->BindBool(key, &record.listLatch[i]);
            key.Format("%s%.1ldPath", prefix, static_cast<long>(i));
            registry->BindString(key, &record.listPath[i]);
        }
    }
    return registry;
}

bool CDrivesInterface::SaveSettings(const common::CPath& file) {
    if (file.IsEmpty())
        return false;
    for (CKindRecord& record : m_kinds) {
        const int listed = ListedSlots(record);
        if (record.listMax < listed)
            record.listMax = static_cast<uint8_t>(listed);
    }
    std::unique_ptr<common::CSettingsRegistry> registry(BindSettings(false));
    if (!registry)
        return false;
    for (CKindRecord& record : m_kinds) {
        const int listed = ListedSlots(record);
        for (int i = 0; i < listed; ++i) {
            const CMediaSlot* slot = record.slots[i];
            if (slot == nullptr)
                continue;
            record.listPath[i] = slot->GetPath();
            record.listLatch[i] = slot->GetLatch();
        }
    }
    // Entries beyond the slot number keep what was loaded, so the images of
    // drives this machine does not have survive the save.
    return registry->SaveToFile(file, kSettingsHeader, kSettingsTrailer);
}

bool CDrivesInterface::LoadSettings(const common::CPath& file) {
    m_lastPath = common::ProgramFolder();
    for (CKindRecord& record : m_kinds) {
        record.listMax = 0;
        for (int i = 0; i < kMaxListEntries; ++i) {
            record.listLatch[i] = false;
            record.listPath[i].Clear();
        }
    }
    if (file.IsEmpty())
        return false;
    common::CFileStream stream;
    if (!stream.OpenExisting(file, false))
        return false;
    std::unique_ptr<common::CSettingsRegistry> registry(BindSettings(true));
    if (!registry)
        return false;
    const bool result = registry->Load(&stream, kSettingsHeader, kSettingsTrailer);
    registry.reset();
    stream.Close();

    for (CKindRecord& record : m_kinds) {
        if (record.listMax > kMaxListEntries)
            record.listMax = kMaxListEntries;
    }
    if (m_lastPath.IsEmpty() || !common::FolderExists(m_lastPath))
        m_lastPath = common::ProgramFolder();
    const common::CPath lastPath(m_lastPath);
    for (int kind = 0; kind < kKindCount; ++kind) {
        CKindRecord& record = m_kinds[kind];
        const int listed = ListedSlots(record);
        for (int i = 0; i < listed; ++i) {
            CMediaSlot* slot = record.slots[i];
            if (slot == nullptr)
                continue;
            slot->Close();
            // A missing image leaves the slot empty without a word; one that no
            // disk format takes is named.
            int64_t size = 0;
            if (slot->CheckImage(record.listPath[i], &size) == CMediaSlot::kFitsNoFormat)
                OnListedImageRefused(kind, i, record.listPath[i], size);
            else
                slot->Open(record.listPath[i]);
            slot->SetLatch(record.listLatch[i]);
        }
    }
    // Mounting moved the last folder to each image's; the list's own wins.
    m_lastPath = lastPath;
    return result;
}

} // namespace emu
