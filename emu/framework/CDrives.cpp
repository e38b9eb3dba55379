#include "emu/framework/CDrives.h"

#include <string>

#include "common/CStreamHolder.h"
#include "common/CWideString.h"
#include "emu/framework/CMediaSlot.h"

namespace emu {

namespace {

const char* const kFieldPrefixes[CDrivesInterface::kKindCount] = {"FD", "HD", "CR", "CD"};
const char* const kMessageTags[CDrivesInterface::kKindCount] = {"FDD", "HDD", "CART", "CDD"};

const char* const kSectionName = "_DRIVES";
constexpr uint8_t kVersion = 0;

// The four field names of one slot.
struct CSlotFieldNames {
    CSlotFieldNames(int kind, int index) {
        const char* prefix = kFieldPrefixes[kind];
        const long i = static_cast<long>(index);
        file.Format("%sFLE%ld", prefix, i);
        size.Format("%sSIZ%ld", prefix, i);
        latch.Format("%sLCH%ld", prefix, i);
        read.Format("%sRDD%ld", prefix, i);
    }
    common::CNarrowString file;
    common::CNarrowString size;
    common::CNarrowString latch;
    common::CNarrowString read;
};

// The size as decimal text: the console's formatting has no portable 64-bit conversion.
std::string SizeText(int64_t size) {
    return std::to_string(static_cast<long long>(size));
}

} // namespace

CDrives::CDrives() : m_callback(nullptr), m_callbackUser(nullptr), m_imageCheck(nullptr), m_imageCheckUser(nullptr) {}

CDrives::~CDrives() {
    m_callback = nullptr;
    DestroyAll();
}

void CDrives::OnMediaChanged(CMediaSlot* slot, bool about) {
    if (m_callback != nullptr)
        m_callback(m_callbackUser, slot, about ? 1 : 0);
}

void CDrives::SetMediaChangeCallback(MediaChangeCallback callback, void* user) {
    m_callback = callback;
    m_callbackUser = user;
}

void CDrives::SetImageCheckCallback(ImageCheckCallback callback, void* user) {
    m_imageCheck = callback;
    m_imageCheckUser = user;
}

bool CDrives::FitsImage(CMediaSlot* slot, uint64_t size) {
    return m_imageCheck == nullptr || m_imageCheck(m_imageCheckUser, slot, size);
}

void CDrives::OnListedImageRefused(int kind, int index, const common::CPath& path, int64_t size) {
    // The file name alone keeps the line within the console's width.
    LogError("[%s_%ld ERROR] Image \"%s\" (%s bytes) fits no disk format; drive left empty!", kMessageTags[kind],
             static_cast<long>(index), common::CPath::GetFileName(path).GetNarrow(), SizeText(size).c_str());
}

bool CDrives::Start(int32_t* /*value*/) {
    ClearActivity();
    return true;
}

void CDrives::Stop() {}

bool CDrives::SaveData(common::CStreamHolder& holder) {
    const common::CNarrowString section(kSectionName);
    if (!holder.WriteUInt8Field(kVersion, common::CNarrowString("VER")) ||
        !holder.WriteMarker(common::CStreamHolder::kChunkBegin, section))
        return false;
    const int32_t total = static_cast<int32_t>(m_allSlots.size());
    if (!holder.WriteInt32Field(total, common::CNarrowString("DCNT")))
        return false;
    common::CNarrowString countName;
    for (int kind = 0; kind < kKindCount; ++kind) {
        const CKindRecord& record = m_kinds[kind];
        countName.Format("%sCNT", kFieldPrefixes[kind]);
        if (!holder.WriteInt32Field(record.count, countName))
            return false;
        for (int32_t i = 0; i < record.count; ++i) {
            const CMediaSlot* slot = i < static_cast<int32_t>(record.slots.size()) ? record.slots[i] : nullptr;
            if (slot == nullptr)
                return false;
            const CSlotFieldNames names(kind, i);
            const uint64_t size = static_cast<uint64_t>(slot->GetImageSize());
            const bool latch = slot->GetLatch();
            const bool read = slot->IsRead();
            if (!holder.WriteStringField(slot->GetPath(), names.file) || !holder.WriteUInt64Field(size, names.size) ||
                !holder.WriteBoolField(latch, names.latch) || !holder.WriteBoolField(read, names.read))
                return false;
        }
    }
    return holder.WriteMarker(common::CStreamHolder::kChunkEnd, section);
}

bool CDrives::LoadData(common::CStreamHolder& holder, common::CNarrowString* errorText) {
    const common::CNarrowString section(kSectionName);
    uint8_t version = 0xFF;
    if (!holder.ReadUInt8Field(version, common::CNarrowString("VER")) || version != kVersion ||
        !holder.ReadMarker(section, common::CStreamHolder::kChunkBegin, nullptr))
        return false;
    int32_t total = -1;
    if (!holder.ReadInt32Field(total, common::CNarrowString("DCNT")) ||
        total != static_cast<int32_t>(m_allSlots.size()))
        return false;

    // Remounting moves the last folder; a state load must not.
    const common::CPath lastPath(m_lastPath);
    const bool loaded = LoadSlots(holder, errorText);
    m_lastPath = lastPath;
    return loaded && holder.ReadMarker(section, common::CStreamHolder::kChunkEnd, nullptr);
}

bool CDrives::LoadSlots(common::CStreamHolder& holder, common::CNarrowString* errorText) {
    common::CNarrowString countName;
    for (int kind = 0; kind < kKindCount; ++kind) {
        CKindRecord& record = m_kinds[kind];
        countName.Format("%sCNT", kFieldPrefixes[kind]);
        int32_t count = -1;
        if (!holder.ReadInt32Field(count, countName) || count != record.count)
            return false;
        for (int32_t i = 0; i < record.count; ++i) {
            CMediaSlot* slot = i < static_cast<int32_t>(record.slots.size()) ? record.slots[i] : nullptr;
            if (slot == nullptr)
                return false;
            const CSlotFieldNames names(kind, i);
            common::CPath path;
            uint64_t size = 0;
            bool latch = false;
            bool read = false;
            if (!holder.ReadStringField(path, names.file) || !holder.ReadUInt64Field(size, names.size) ||
                !holder.ReadBoolField(latch, names.latch) || !holder.ReadBoolField(read, names.read))
                return false;
            // The image already mounted under the stored name stays open.
            if (path.CompareWideString(slot->GetPath()) != 0) {
                int64_t found = 0;
                if (!path.IsEmpty() && slot->CheckImage(path, &found) == CMediaSlot::kFitsNoFormat) {
                    const std::string sizeText = SizeText(found);
                    LogError("[%s_%ld ERROR] File \"%s\" of %s bytes fits no disk format!", kMessageTags[kind],
                             static_cast<long>(i), path.GetNarrow(), sizeText.c_str());
                    if (errorText != nullptr)
                        errorText->Format("file \"%s\" of %s bytes in drive %s_%ld fits no disk format",
                                          common::CPath::GetFileName(path).GetNarrow(), sizeText.c_str(),
                                          kMessageTags[kind], static_cast<long>(i));
                    return false;
                }
                slot->Close();
                if (!path.IsEmpty() && !slot->Open(path)) {
                    LogError("[%s_%ld ERROR] Can not load file \"%s\"!", kMessageTags[kind], static_cast<long>(i),
                             path.GetNarrow());
                    return false;
                }
            }
            if (static_cast<uint64_t>(slot->GetImageSize()) != size) {
                LogError("[%s_%ld ERROR] Incorrect file \"%s\" size (need %ld)!", kMessageTags[kind],
                         static_cast<long>(i), path.GetNarrow(),
                         static_cast<long>(static_cast<int32_t>(static_cast<uint32_t>(size))));
                return false;
            }
            if (i < kMaxListEntries)
                record.listLatch[i] = latch;
            slot->SetLatch(latch);
            slot->SetRead(true);
        }
    }
    return true;
}

} // namespace emu
