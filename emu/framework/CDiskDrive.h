#pragma once
// One disk drive between a disk controller and one media slot of the drive
// set. The drive learns the image's geometry (from the image itself or from
// its controller, which derives it from the image size), keeps the head
// position and holds exactly one sector of the image in a buffer that is
// loaded on demand and written back when the position moves away from a
// changed sector.
//
// Sector addressing: an image that declares its own geometry is read and
// written by cylinder, head and sector through the media stream; any other
// image is a flat file at ((cylinder * heads + head) * sectors + sector) *
// sectorSize. A drive without a usable image refuses every position.
//
// Two timed services serve controllers that stream: a seek that steps one
// cylinder per bus event ("SeekEvent", 1000 Hz) and a read that offers sector
// bytes to a callback per bus event ("ReadEvent", 1000 Hz). Every event
// carries a generation tag in its two data words; an event whose tag is no
// longer the drive's current one is stale and ends itself.
//
// Media changes: the machine resets its devices with 0x200 before a slot's
// medium changes (a changed sector is written back) and with 0x40 after it
// (a slot marked changed is examined again).
//
// State data, after the device base's: "VER" u8 0, then the chunk "_DDRV":
//   "DSZ" u64 image size, "DTCT" bool, "SPRT" bool, "FXED" bool, "HDS" u64,
//   "CYS" u64, "SES" u64, "SSZ" u64, "HDI" u64, "CYI" u64, "SEI" u64,
//   "SCP" i32 byte position, "MTON" bool, "SEKS" u8 seek state, "SEKT" u64,
//   "SKTG" i64, "SRDS" u64, "DRDS" u64, "RDTG" i64.
// A state saved with an image of another size is refused.
//
// Emulation thread only; the buffer is allocated once per medium.
#include <cstdint>

#include "emu/framework/CDevice.h"

namespace emu {

class CDiskController;
class CMediaSlot;
class CMediaStream;

class CDiskDrive : public CDevice {
public:
    // Told when a timed seek ends.
    typedef void (*SeekDoneCallback)(void* user, CDiskDrive* drive, bool success);
    // Offered the bytes of a timed read (count 0 when the read ends); answers
    // how many it took.
    typedef int32_t (*ReadDeliveryCallback)(void* user, CDiskDrive* drive, const uint8_t* bytes, int32_t count,
                                            uint64_t requested, uint64_t delivered);

    enum class SeekState : int32_t {
        Idle = 0,
        Finished = 1, // ended well and nobody was told
        Failed = 2,   // ended badly and nobody was told
        SteppingDown = 3,
        SteppingUp = 4,
    };

    static constexpr int32_t kSeekFrequency = 1000;
    static constexpr int32_t kReadFrequency = 1000;
    static constexpr int32_t kMinimumRate = 50;
    // The largest sector a state may name: larger ones are refused when loading.
    static constexpr uint64_t kMaxSectorSize = 65536;

    // All zero, no buffer; the media check runs when a slot is given.
    CDiskDrive(CMediaSlot* slot, CDiskController* controller, int32_t index);
    // Frees the buffer without writing it back.
    ~CDiskDrive() override;

    bool Start(int32_t* value) override;
    // Ends the timed services, writes a changed sector back and frees the buffer.
    void Stop() override;
    // 0x200 writes a changed sector back; then a slot marked changed is
    // examined again (a removed slot counts as none).
    bool Reset(uint32_t flags) override;
    bool SaveData(common::CStreamHolder& holder) override;
    bool LoadData(common::CStreamHolder& holder, common::CNarrowString* errorText) override;

    void SetCallbacks(SeekDoneCallback seekDone, void* seekUser, ReadDeliveryCallback readDelivery, void* readUser);

    // Takes the slot (or none) without writing the buffer back, forgets the
    // geometry and position, and examines the medium.
    void AttachMedia(CMediaSlot* slot);

    // Moving the head. The byte position becomes 0 first, even when the call
    // fails. False for a position outside the geometry or when a changed
    // sector cannot be written back (the head then stays).
    bool SetCylinder(uint64_t cylinder);
    bool SetHead(uint64_t head);
    bool SetSector(uint64_t sector);
    bool SetPosition(uint64_t cylinder, uint64_t head, uint64_t sector);
    // The next sector in cylinder, head, sector order; false at the end of the disk.
    bool NextSector();
    uint64_t GetSectorOffset() const;

    // The sector buffer: loads the current sector (true at once when it is
    // loaded), writes a changed one back, or drops it without writing.
    bool LoadSector();
    bool FlushSector();
    void DropBuffer();

    // Copy up to count bytes out of or into the current sector from position
    // (negative: the byte position); the byte position then follows the copy.
    // The count copied.
    int32_t Read(uint8_t* buffer, int32_t count, int32_t position);
    int32_t Write(const uint8_t* buffer, int32_t count, int32_t position);
    int32_t ReadByte(uint8_t* value, int32_t position);
    int32_t WriteByte(uint8_t value, int32_t position);

    // The timed services; false while one of the kind is running or without a bus.
    bool StartSeek(uint64_t target);
    bool StartRead(uint64_t count);
    static bool OnSeekEvent(CObject* user, uint64_t* fireCount, uint32_t* data);
    static bool OnReadEvent(CObject* user, uint64_t* fireCount, uint32_t* data);

    CDiskController* GetController() const { return m_controller; }
    int32_t GetIndex() const { return m_index; }
    CMediaSlot* GetMediaSlot() const { return m_slot; }
    uint64_t GetImageSize() const { return m_imageSize; }
    // The controller's geometry rules may grow an image; they report its new size here.
    void SetImageSize(uint64_t size) { m_imageSize = size; }
    bool IsSupported() const { return m_supported; }
    bool IsDetected() const { return m_detected; }
    bool IsFixed() const { return m_fixed; }
    bool IsReady() const { return m_ready; }
    // A controller selected this drive while it cannot be read: tells the
    // drive set, whose start-up then counts as having reached its disks.
    void NoteAskedWhileNotReady();
    bool IsWritable() const { return m_writable; }
    bool IsMotorOn() const { return m_motor; }
    uint64_t GetCylinders() const { return m_cylinders; }
    uint64_t GetHeads() const { return m_heads; }
    uint64_t GetSectors() const { return m_sectors; }
    uint64_t GetSectorSize() const { return m_sectorSize; }
    uint64_t GetCylinder() const { return m_cylinder; }
    uint64_t GetHead() const { return m_head; }
    uint64_t GetSector() const { return m_sector; }
    int32_t GetBytePosition() const { return m_bytePosition; }
    bool IsLoaded() const { return m_loaded; }
    bool IsDirty() const { return m_dirty; }
    SeekState GetSeekState() const { return m_seekState; }
    uint64_t GetSeekTarget() const { return m_seekTarget; }
    uint64_t GetReadRequest() const { return m_readRequest; }
    uint64_t GetReadDone() const { return m_readDone; }

private:
    // Image size, geometry from the stream or the controller, the slot's
    // flags, ready and writable; tells a running controller at the end.
    void CheckMedia();
    // The slot again when it is marked changed (none when it was removed).
    void ReattachIfChanged();
    bool IsValidPosition(uint64_t cylinder, uint64_t head, uint64_t sector) const;
    bool MoveTo(uint64_t cylinder, uint64_t head, uint64_t sector);
    // The slot may take the buffer back: usable, mounted, not read-only, writable stream.
    bool CanWriteBack() const;
    CMediaStream* GetStream() const;
    void FreeBuffer();
    // The loaded values of a state describe a buffer and a position this
    // drive can use safely.
    bool IsLoadedGeometrySafe() const;

    CDiskController* m_controller; // the owner; not owned, may be null
    int32_t m_index;
    CMediaSlot* m_slot; // the drive set's; not owned, may be null
    uint64_t m_imageSize;
    bool m_supported;
    bool m_detected;
    bool m_fixed;
    uint64_t m_cylinders;
    uint64_t m_heads;
    uint64_t m_sectors;
    uint64_t m_sectorSize;
    bool m_ready;
    bool m_writable;
    bool m_motor;
    SeekState m_seekState;
    uint64_t m_seekTarget;
    int64_t m_seekTag;
    uint64_t m_readRequest;
    uint64_t m_readDone;
    int64_t m_readTag;
    uint64_t m_cylinder;
    uint64_t m_head;
    uint64_t m_sector;
    int32_t m_bytePosition;
    uint8_t* m_buffer; // owned, sector-size bytes; null until first loaded
    uint64_t m_bufferSize;
    uint64_t m_bufferOffset;
    bool m_loaded;
    bool m_dirty;
    SeekDoneCallback m_seekDone;
    void* m_seekUser; // not owned
    ReadDeliveryCallback m_readDelivery;
    void* m_readUser; // not owned
};

} // namespace emu
