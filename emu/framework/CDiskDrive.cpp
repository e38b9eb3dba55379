#include "emu/framework/CDiskDrive.h"

#include <cstring>

#include "common/CNarrowString.h"
#include "common/CStreamHolder.h"
#include "emu/framework/CBus.h"
#include "emu/framework/CDiskController.h"
#include "emu/framework/CDrivesInterface.h"
#include "emu/framework/CMediaSlot.h"

namespace emu {

namespace {

// A tag only has to differ from the last one: it wraps, whatever value a state loaded.
int64_t NextTag(int64_t tag) {
    return static_cast<int64_t>(static_cast<uint64_t>(tag) + 1);
}

const char kVersionName[] = "VER";
const uint8_t kVersion = 0;
const char kChunkName[] = "_DDRV";
const char kSeekEventName[] = "SeekEvent";
const char kReadEventName[] = "ReadEvent";

uint32_t LowWord(int64_t tag) {
    return static_cast<uint32_t>(static_cast<uint64_t>(tag));
}
uint32_t HighWord(int64_t tag) {
    return static_cast<uint32_t>(static_cast<uint64_t>(tag) >> 32);
}
int64_t TagOf(const uint32_t* data) {
    return static_cast<int64_t>((static_cast<uint64_t>(data[1]) << 32) | data[0]);
}

// a * b, false when it does not fit into 64 bits.
bool MultiplyChecked(uint64_t a, uint64_t b, uint64_t& out) {
    if (a != 0 && b > UINT64_MAX / a)
        return false;
    out = a * b;
    return true;
}

} // namespace

CDiskDrive::CDiskDrive(CMediaSlot* slot, CDiskController* controller, int32_t index)
    : m_controller(controller), m_index(index), m_slot(slot), m_imageSize(0), m_supported(false), m_detected(false),
      m_fixed(false), m_cylinders(0), m_heads(0), m_sectors(0), m_sectorSize(0), m_ready(false), m_writable(false),
      m_motor(false), m_seekState(SeekState::Idle), m_seekTarget(0), m_seekTag(0), m_readRequest(0), m_readDone(0),
      m_readTag(0), m_cylinder(0), m_head(0), m_sector(0), m_bytePosition(0), m_buffer(nullptr), m_bufferSize(0),
      m_bufferOffset(0), m_loaded(false), m_dirty(false), m_seekDone(nullptr), m_seekUser(nullptr),
      m_readDelivery(nullptr), m_readUser(nullptr) {
    if (m_slot != nullptr)
        CheckMedia();
}

CDiskDrive::~CDiskDrive() {
    FreeBuffer();
}

void CDiskDrive::SetCallbacks(SeekDoneCallback seekDone, void* seekUser, ReadDeliveryCallback readDelivery,
                              void* readUser) {
    m_seekDone = seekDone;
    m_seekUser = seekUser;
    m_readDelivery = readDelivery;
    m_readUser = readUser;
}

// --- Medium ---------------------------------------------------------------------------

CMediaStream* CDiskDrive::GetStream() const {
    return m_slot != nullptr ? m_slot->GetImage() : nullptr;
}

void CDiskDrive::FreeBuffer() {
    delete[] m_buffer;
    m_buffer = nullptr;
    m_bufferSize = 0;
    m_loaded = false;
    m_dirty = false;
}

void CDiskDrive::AttachMedia(CMediaSlot* slot) {
    FreeBuffer();
    m_slot = slot;
    m_imageSize = 0;
    m_supported = m_detected = m_fixed = false;
    m_ready = m_writable = false;
    m_motor = false;
    m_cylinders = m_heads = m_sectors = m_sectorSize = 0;
    m_cylinder = m_head = m_sector = 0;
    m_bytePosition = 0;
    m_bufferOffset = 0;
    CheckMedia();
}

void CDiskDrive::CheckMedia() {
    CMediaStream* stream = GetStream();
    m_imageSize = stream != nullptr && stream->IsOpen() ? static_cast<uint64_t>(stream->GetSize()) : 0;
    uint64_t cylinders = 0;
    uint64_t heads = 0;
    uint64_t sectors = 0;
    uint64_t sectorSize = 0;
    m_fixed = stream != nullptr && stream->GetGeometry(&cylinders, &heads, &sectors, &sectorSize);
    m_detected = m_fixed;
    if (!m_fixed)
        cylinders = heads = sectors = sectorSize = 0;

    bool supported = m_fixed;
    if (m_controller != nullptr) {
        uint64_t c = cylinders;
        uint64_t h = heads;
        uint64_t s = sectors;
        uint64_t z = sectorSize;
        supported = m_controller->GetGeometry(m_index, m_fixed, &c, &h, &s, &z);
        // A declared geometry must come back unchanged.
        if (supported && m_fixed && (c != cylinders || h != heads || s != sectors || z != sectorSize))
            supported = false;
        cylinders = c;
        heads = h;
        sectors = s;
        sectorSize = z;
    }
    // A geometry that cannot hold a sector is no geometry.
    if (cylinders == 0 || heads == 0 || sectors == 0 || sectorSize == 0 || sectorSize > kMaxSectorSize)
        supported = false;
    m_supported = supported;

    if (supported) {
        m_cylinders = cylinders;
        m_heads = heads;
        m_sectors = sectors;
        m_sectorSize = sectorSize;
        m_detected = true;
    } else {
        m_cylinders = m_heads = m_sectors = m_sectorSize = 0;
    }
    m_ready = m_writable = false;
    if (m_slot != nullptr) {
        m_slot->SetExamined(true);
        m_slot->SetMediaValid(supported);
        m_slot->SetChanged(false);
        if (supported && m_slot->IsMounted()) {
            m_writable = !m_slot->IsReadOnly() && stream->CanWrite();
            m_ready = true;
        }
    }
    if (m_controller != nullptr && m_controller->IsStarted())
        m_controller->OnMediaChanged(m_index);
}

void CDiskDrive::ReattachIfChanged() {
    if (m_drives == nullptr || m_slot == nullptr || !m_slot->IsChanged())
        return;
    AttachMedia(m_slot->IsRemoved() ? nullptr : m_slot);
}

bool CDiskDrive::CanWriteBack() const {
    const CMediaStream* stream = GetStream();
    return m_slot != nullptr && m_slot->IsMediaValid() && m_slot->IsMounted() && !m_slot->IsReadOnly() &&
           stream->CanWrite();
}

// --- Position -------------------------------------------------------------------------

bool CDiskDrive::IsValidPosition(uint64_t cylinder, uint64_t head, uint64_t sector) const {
    return cylinder < m_cylinders && head < m_heads && sector < m_sectors;
}

bool CDiskDrive::MoveTo(uint64_t cylinder, uint64_t head, uint64_t sector) {
    m_bytePosition = 0;
    if (!IsValidPosition(cylinder, head, sector))
        return false;
    if (cylinder == m_cylinder && head == m_head && sector == m_sector)
        return true;
    if (m_buffer != nullptr && m_dirty) {
        // A drive that may not write drops its changes; one that may keeps
        // the head where it is when the sector does not go out.
        if (m_writable && !FlushSector())
            return false;
    }
    m_cylinder = cylinder;
    m_head = head;
    m_sector = sector;
    m_loaded = false;
    m_dirty = false;
    return true;
}

bool CDiskDrive::SetCylinder(uint64_t cylinder) {
    return MoveTo(cylinder, m_head, m_sector);
}

bool CDiskDrive::SetHead(uint64_t head) {
    return MoveTo(m_cylinder, head, m_sector);
}

bool CDiskDrive::SetSector(uint64_t sector) {
    return MoveTo(m_cylinder, m_head, sector);
}

bool CDiskDrive::SetPosition(uint64_t cylinder, uint64_t head, uint64_t sector) {
    return MoveTo(cylinder, head, sector);
}

bool CDiskDrive::NextSector() {
    if (m_sector + 1 < m_sectors)
        return MoveTo(m_cylinder, m_head, m_sector + 1);
    if (m_head + 1 < m_heads)
        return MoveTo(m_cylinder, m_head + 1, 0);
    if (m_cylinder + 1 < m_cylinders)
        return MoveTo(m_cylinder + 1, 0, 0);
    return false;
}

uint64_t CDiskDrive::GetSectorOffset() const {
    return ((m_cylinder * m_heads + m_head) * m_sectors + m_sector) * m_sectorSize;
}

// --- Sector buffer --------------------------------------------------------------------

bool CDiskDrive::LoadSector() {
    if (m_loaded)
        return true;
    if (m_slot == nullptr || !m_slot->IsMediaValid() || !m_slot->IsMounted() || m_sectorSize == 0)
        return false;
    if (m_buffer != nullptr && m_bufferSize != m_sectorSize)
        FreeBuffer();
    if (m_buffer == nullptr) {
        m_buffer = new uint8_t[m_sectorSize];
        m_bufferSize = m_sectorSize;
    }
    CMediaStream* stream = GetStream();
    const uint64_t offset = GetSectorOffset();
    const int64_t size = static_cast<int64_t>(m_sectorSize);
    const int64_t read =
        m_fixed ? static_cast<int64_t>(stream->ReadSector(m_buffer, m_cylinder, m_head, m_sector, m_sectorSize))
                : stream->ReadAt(m_buffer, static_cast<int64_t>(offset), size);
    if (read > 0)
        m_slot->SetRead(true);
    if (read != size)
        return false;
    m_dirty = false;
    m_loaded = true;
    if (!m_fixed)
        m_bufferOffset = offset;
    return true;
}

bool CDiskDrive::FlushSector() {
    if (m_buffer == nullptr || !m_dirty || !m_loaded)
        return true;
    if (!CanWriteBack())
        return false;
    CMediaStream* stream = GetStream();
    const int64_t size = static_cast<int64_t>(m_bufferSize);
    const int64_t written =
        m_fixed ? static_cast<int64_t>(stream->WriteSector(m_buffer, m_cylinder, m_head, m_sector, m_bufferSize))
                : stream->WriteAt(m_buffer, static_cast<int64_t>(m_bufferOffset), size);
    if (written > 0) {
        m_slot->SetWritten(true);
        m_slot->SetModified(true);
    }
    if (written != size)
        return false;
    m_dirty = false;
    return true;
}

void CDiskDrive::DropBuffer() {
    FreeBuffer();
}

// --- Byte access ----------------------------------------------------------------------

int32_t CDiskDrive::Read(uint8_t* buffer, int32_t count, int32_t position) {
    if (!m_ready || buffer == nullptr || !LoadSector())
        return 0;
    const int32_t size = static_cast<int32_t>(m_sectorSize);
    if (position >= size) {
        m_bytePosition = size;
        return 0;
    }
    const int32_t from = position < 0 ? m_bytePosition : position;
    if (from < 0 || from >= size || count <= 0)
        return 0;
    const int32_t n = count < size - from ? count : size - from;
    std::memcpy(buffer, m_buffer + from, static_cast<size_t>(n));
    m_bytePosition = from + n;
    return n;
}

int32_t CDiskDrive::Write(const uint8_t* buffer, int32_t count, int32_t position) {
    if (!m_writable || buffer == nullptr || !LoadSector())
        return 0;
    const int32_t size = static_cast<int32_t>(m_sectorSize);
    if (position >= size) {
        m_bytePosition = size;
        return 0;
    }
    const int32_t from = position < 0 ? m_bytePosition : position;
    if (from < 0 || from >= size || count <= 0)
        return 0;
    const int32_t n = count < size - from ? count : size - from;
    std::memcpy(m_buffer + from, buffer, static_cast<size_t>(n));
    m_bytePosition = from + n;
    m_dirty = true;
    return n;
}

int32_t CDiskDrive::ReadByte(uint8_t* value, int32_t position) {
    return Read(value, 1, position);
}

int32_t CDiskDrive::WriteByte(uint8_t value, int32_t position) {
    return Write(&value, 1, position);
}

// --- Timed services -------------------------------------------------------------------

bool CDiskDrive::StartSeek(uint64_t target) {
    if (m_seekState != SeekState::Idle || m_bus == nullptr)
        return false;
    m_seekTarget = target;
    m_seekState = target < m_cylinder ? SeekState::SteppingDown : SeekState::SteppingUp;
    m_seekTag = NextTag(m_seekTag);
    return m_bus->AddEvent(kSeekFrequency, OnSeekEvent, this, kSeekEventName, LowWord(m_seekTag), HighWord(m_seekTag),
                           false);
}

bool CDiskDrive::OnSeekEvent(CObject* user, uint64_t* /*fireCount*/, uint32_t* data) {
    auto* drive = static_cast<CDiskDrive*>(user);
    if (drive == nullptr || TagOf(data) != drive->m_seekTag)
        return false;
    bool success = true;
    if (drive->m_cylinder != drive->m_seekTarget) {
        const uint64_t next = drive->m_seekTarget < drive->m_cylinder ? drive->m_cylinder - 1 : drive->m_cylinder + 1;
        if (drive->SetCylinder(next))
            return true; // one cylinder per event
        success = false;
    }
    if (drive->m_seekDone != nullptr) {
        drive->m_seekDone(drive->m_seekUser, drive, success);
        drive->m_seekTag = NextTag(drive->m_seekTag);
        drive->m_seekState = SeekState::Idle;
    } else {
        drive->m_seekState = success ? SeekState::Finished : SeekState::Failed;
    }
    return false;
}

bool CDiskDrive::StartRead(uint64_t count) {
    if (m_readRequest != 0 || m_bus == nullptr)
        return false;
    m_readRequest = count;
    m_readDone = 0;
    m_readTag = NextTag(m_readTag);
    return m_bus->AddEvent(kReadFrequency, OnReadEvent, this, kReadEventName, LowWord(m_readTag), HighWord(m_readTag),
                           false);
}

bool CDiskDrive::OnReadEvent(CObject* user, uint64_t* /*fireCount*/, uint32_t* data) {
    auto* drive = static_cast<CDiskDrive*>(user);
    if (drive == nullptr || TagOf(data) != drive->m_readTag)
        return false;
    const uint64_t remaining = drive->m_readRequest - drive->m_readDone;
    int64_t available = static_cast<int64_t>(drive->m_sectorSize) - drive->m_bytePosition;
    if (available == 0 && drive->NextSector())
        available = static_cast<int64_t>(drive->m_sectorSize);
    if (!drive->m_loaded)
        drive->LoadSector();
    if (remaining == 0 || drive->m_buffer == nullptr || !drive->m_ready || !drive->m_loaded || available <= 0) {
        if (drive->m_readDelivery == nullptr)
            return false;
        if (drive->m_readDelivery(drive->m_readUser, drive, nullptr, 0, drive->m_readRequest, drive->m_readDone) != 0)
            return true;
        drive->m_readTag = NextTag(drive->m_readTag);
        drive->m_readRequest = 0;
        return false;
    }
    int64_t n = available < static_cast<int64_t>(remaining) ? available : static_cast<int64_t>(remaining);
    if (drive->m_readDelivery != nullptr) {
        const int32_t taken = drive->m_readDelivery(drive->m_readUser, drive, drive->m_buffer + drive->m_bytePosition,
                                                    static_cast<int32_t>(n), drive->m_readRequest, drive->m_readDone);
        if (taken < 1)
            return true;
        if (taken < n)
            n = taken;
    }
    drive->m_readDone += static_cast<uint64_t>(n);
    drive->m_bytePosition += static_cast<int32_t>(n);
    return true;
}

// --- Device ---------------------------------------------------------------------------

bool CDiskDrive::Start(int32_t* value) {
    if (!CDevice::Start(value))
        return false;
    if (value != nullptr && *value < kMinimumRate)
        *value = kMinimumRate;
    m_seekState = SeekState::Idle;
    m_seekTag = 0;
    m_readTag = 0;
    m_readRequest = 0;
    m_motor = false;
    // Saved events of this drive must find their callbacks again when a state
    // is loaded, also when no seek or read ran while the machine started.
    if (m_bus != nullptr) {
        m_bus->RegisterBusEventCallback(kSeekEventName, OnSeekEvent, this);
        m_bus->RegisterBusEventCallback(kReadEventName, OnReadEvent, this);
    }
    ReattachIfChanged();
    return true;
}

void CDiskDrive::Stop() {
    m_seekTag = NextTag(m_seekTag);
    m_seekState = SeekState::Idle;
    m_readTag = NextTag(m_readTag);
    m_readRequest = 0;
    m_motor = false;
    if (m_loaded && m_dirty && CanWriteBack())
        FlushSector();
    FreeBuffer();
    CDevice::Stop();
}

bool CDiskDrive::Reset(uint32_t flags) {
    if ((flags & kResetMediaChanging) != 0 && m_loaded && m_dirty && CanWriteBack())
        FlushSector();
    ReattachIfChanged();
    return CDevice::Reset(flags);
}

bool CDiskDrive::SaveData(common::CStreamHolder& holder) {
    const common::CNarrowString chunk(kChunkName);
    const uint8_t seekState = static_cast<uint8_t>(m_seekState);
    return CDevice::SaveData(holder) && holder.WriteUInt8Field(kVersion, common::CNarrowString(kVersionName)) &&
           holder.WriteMarker(common::CStreamHolder::kChunkBegin, chunk) &&
           holder.WriteUInt64Field(m_imageSize, common::CNarrowString("DSZ")) &&
           holder.WriteBoolField(m_detected, common::CNarrowString("DTCT")) &&
           holder.WriteBoolField(m_supported, common::CNarrowString("SPRT")) &&
           holder.WriteBoolField(m_fixed, common::CNarrowString("FXED")) &&
           holder.WriteUInt64Field(m_heads, common::CNarrowString("HDS")) &&
           holder.WriteUInt64Field(m_cylinders, common::CNarrowString("CYS")) &&
           holder.WriteUInt64Field(m_sectors, common::CNarrowString("SES")) &&
           holder.WriteUInt64Field(m_sectorSize, common::CNarrowString("SSZ")) &&
           holder.WriteUInt64Field(m_head, common::CNarrowString("HDI")) &&
           holder.WriteUInt64Field(m_cylinder, common::CNarrowString("CYI")) &&
           holder.WriteUInt64Field(m_sector, common::CNarrowString("SEI")) &&
           holder.WriteInt32Field(m_bytePosition, common::CNarrowString("SCP")) &&
           holder.WriteBoolField(m_motor, common::CNarrowString("MTON")) &&
           holder.WriteUInt8Field(seekState, common::CNarrowString("SEKS")) &&
           holder.WriteUInt64Field(m_seekTarget, common::CNarrowString("SEKT")) &&
           holder.WriteInt64Field(m_seekTag, common::CNarrowString("SKTG")) &&
           holder.WriteUInt64Field(m_readRequest, common::CNarrowString("SRDS")) &&
           holder.WriteUInt64Field(m_readDone, common::CNarrowString("DRDS")) &&
           holder.WriteInt64Field(m_readTag, common::CNarrowString("RDTG")) &&
           holder.WriteMarker(common::CStreamHolder::kChunkEnd, chunk);
}

bool CDiskDrive::IsLoadedGeometrySafe() const {
    if (m_sectorSize > kMaxSectorSize || m_bytePosition < 0 || static_cast<uint64_t>(m_bytePosition) > m_sectorSize)
        return false;
    if (!m_supported)
        return true;
    if (m_cylinders == 0 || m_heads == 0 || m_sectors == 0 || m_sectorSize == 0 ||
        !IsValidPosition(m_cylinder, m_head, m_sector))
        return false;
    if (m_fixed)
        return true;
    // A flat image must hold every sector of the geometry.
    uint64_t bytes = 0;
    return MultiplyChecked(m_cylinders, m_heads, bytes) && MultiplyChecked(bytes, m_sectors, bytes) &&
           MultiplyChecked(bytes, m_sectorSize, bytes) && bytes <= m_imageSize;
}

bool CDiskDrive::LoadData(common::CStreamHolder& holder, common::CNarrowString* errorText) {
    const common::CNarrowString chunk(kChunkName);
    uint8_t version = 0xFF;
    if (!CDevice::LoadData(holder, errorText) || !holder.ReadUInt8Field(version, common::CNarrowString(kVersionName)) ||
        version != kVersion || !holder.ReadMarker(chunk, common::CStreamHolder::kChunkBegin, nullptr))
        return false;
    uint64_t imageSize = 0;
    if (!holder.ReadUInt64Field(imageSize, common::CNarrowString("DSZ")) || imageSize != m_imageSize)
        return false;
    FreeBuffer();
    if (!holder.ReadBoolField(m_detected, common::CNarrowString("DTCT")) ||
        !holder.ReadBoolField(m_supported, common::CNarrowString("SPRT")) ||
        !holder.ReadBoolField(m_fixed, common::CNarrowString("FXED")) ||
        !holder.ReadUInt64Field(m_heads, common::CNarrowString("HDS")) ||
        !holder.ReadUInt64Field(m_cylinders, common::CNarrowString("CYS")) ||
        !holder.ReadUInt64Field(m_sectors, common::CNarrowString("SES")) ||
        !holder.ReadUInt64Field(m_sectorSize, common::CNarrowString("SSZ")) ||
        !holder.ReadUInt64Field(m_head, common::CNarrowString("HDI")) ||
        !holder.ReadUInt64Field(m_cylinder, common::CNarrowString("CYI")) ||
        !holder.ReadUInt64Field(m_sector, common::CNarrowString("SEI")) ||
        !holder.ReadInt32Field(m_bytePosition, common::CNarrowString("SCP")))
        return false;
    // A damaged state must not size the buffer or place the byte position
    // outside it; such a drive reports no medium until it examines it again.
    if (!IsLoadedGeometrySafe()) {
        m_supported = false;
        m_cylinders = m_heads = m_sectors = m_sectorSize = 0;
        m_cylinder = m_head = m_sector = 0;
        m_bytePosition = 0;
        m_ready = m_writable = false;
        if (m_slot != nullptr)
            m_slot->SetMediaValid(false);
        return false;
    }
    if (!holder.ReadBoolField(m_motor, common::CNarrowString("MTON")))
        return false;
    if (m_slot != nullptr) {
        m_slot->SetExamined(true);
        m_slot->SetChanged(false);
        m_slot->SetMediaValid(m_supported);
        m_writable = m_supported && m_slot->IsMounted() && !m_slot->IsReadOnly() && GetStream()->CanWrite();
        m_ready = m_slot->IsMediaValid() && m_slot->IsMounted();
    } else {
        m_writable = m_ready = false;
    }
    uint8_t seekState = 0;
    if (!holder.ReadUInt8Field(seekState, common::CNarrowString("SEKS")) ||
        seekState > static_cast<uint8_t>(SeekState::SteppingUp))
        return false;
    m_seekState = static_cast<SeekState>(seekState);
    return holder.ReadUInt64Field(m_seekTarget, common::CNarrowString("SEKT")) &&
           holder.ReadInt64Field(m_seekTag, common::CNarrowString("SKTG")) &&
           holder.ReadUInt64Field(m_readRequest, common::CNarrowString("SRDS")) &&
           holder.ReadUInt64Field(m_readDone, common::CNarrowString("DRDS")) &&
           holder.ReadInt64Field(m_readTag, common::CNarrowString("RDTG")) &&
           holder.ReadMarker(chunk, common::CStreamHolder::kChunkEnd, nullptr);
}

void CDiskDrive::NoteAskedWhileNotReady() {
    if (m_slot != nullptr && m_slot->GetOwner() != nullptr)
        m_slot->GetOwner()->NoteUnreadyDriveAsked();
}

} // namespace emu
