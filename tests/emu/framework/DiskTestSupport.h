#pragma once
// Shared pieces of the disk drive and disk controller tests: a real machine
// with a drive set of floppy slots and one controller holding a drive per
// slot, a controller with a tiny test geometry that records the drives'
// callbacks, image files in a scratch folder and state save/load helpers.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "common/CMemoryStream.h"
#include "common/CStreamHolder.h"
#include "emu/framework/CBus.h"
#include "emu/framework/CDiskController.h"
#include "emu/framework/CDiskDrive.h"
#include "emu/framework/CDrives.h"
#include "emu/framework/CMachine.h"
#include "emu/framework/CMediaSlot.h"
#include "emu/framework/MediaTestSupport.h"

namespace disktest {

typedef std::vector<uint8_t> Bytes;

// The test geometry: 4 cylinders, 2 heads, 3 sectors of 16 bytes.
constexpr uint64_t kCylinders = 4;
constexpr uint64_t kHeads = 2;
constexpr uint64_t kSectors = 3;
constexpr uint64_t kSectorSize = 16;
constexpr uint64_t kImageSize = kCylinders * kHeads * kSectors * kSectorSize;

// Knows the test geometry besides the base's 1.44 MB image, and records the
// drives' timed-service callbacks.
class CTestController : public emu::CDiskController {
public:
    struct COffer {
        int32_t drive;
        int32_t count;
        uint64_t requested;
        uint64_t done;
        Bytes bytes;
    };

    bool GetGeometry(int32_t drive, bool validate, uint64_t* cylinders, uint64_t* heads, uint64_t* sectors,
                     uint64_t* sectorSize) override {
        const emu::CDiskDrive* target = GetDrive(drive);
        if (!validate && target != nullptr && target->GetImageSize() == kImageSize) {
            *cylinders = kCylinders;
            *heads = kHeads;
            *sectors = kSectors;
            *sectorSize = kSectorSize;
            return true;
        }
        return CDiskController::GetGeometry(drive, validate, cylinders, heads, sectors, sectorSize);
    }
    void DriveNotify(int32_t drive, bool success) override {
        m_notices.push_back({drive, success});
        CDiskController::DriveNotify(drive, success);
    }
    int32_t DriveQuery(int32_t drive, const uint8_t* bytes, int32_t count, uint32_t requestedLow,
                       uint32_t requestedHigh, uint32_t doneLow, uint32_t doneHigh) override {
        COffer offer{drive, count, (static_cast<uint64_t>(requestedHigh) << 32) | requestedLow,
                     (static_cast<uint64_t>(doneHigh) << 32) | doneLow, Bytes()};
        if (bytes != nullptr)
            offer.bytes.assign(bytes, bytes + count);
        m_offers.push_back(offer);
        const int32_t answer = m_takeAtMost >= 0 && count > m_takeAtMost ? m_takeAtMost : count;
        return CDiskController::DriveQuery(drive, bytes, answer, requestedLow, requestedHigh, doneLow, doneHigh);
    }
    void OnMediaChanged(int32_t drive) override { m_mediaChanges.push_back(drive); }

    std::vector<std::pair<int32_t, bool>> m_notices;
    std::vector<COffer> m_offers;
    std::vector<int32_t> m_mediaChanges;
    int32_t m_takeAtMost = -1; // the most bytes DriveQuery takes; -1: all
};

// A built machine with `slots` floppy slots and one controller (owned by the
// machine) holding one drive per slot.
template <typename Controller> class CDiskRig {
public:
    explicit CDiskRig(int32_t slots = 2) {
        EXPECT_TRUE(machine.Build());
        EXPECT_TRUE(Drives()->SetFloppyCount(slots));
        controller = new Controller();
        const bool named = controller->GetName()[0] != 0;
        EXPECT_TRUE(machine.AddDevice(controller, named ? nullptr : "CTRL", named ? nullptr : "CTRL"));
        for (int32_t i = 0; i < slots; ++i)
            EXPECT_TRUE(controller->AddDrive(Slot(i)));
    }
    ~CDiskRig() { Stop(); }

    CDiskRig(const CDiskRig&) = delete;
    CDiskRig& operator=(const CDiskRig&) = delete;

    // Starts the machine with the bus at 4900 Hz (4.9 ticks per millisecond).
    bool Start() {
        int32_t rate = 4900;
        m_started = machine.Start(&rate);
        machine.SetSoundRate(4900);
        return m_started;
    }
    void Stop() {
        if (m_started)
            machine.Stop();
        m_started = false;
    }

    emu::CDrives* Drives() { return machine.GetDrivesService(); }
    emu::CMediaSlot* Slot(int32_t index) { return Drives()->GetKindSlot(emu::CDrivesInterface::kFloppy, index); }
    emu::CDiskDrive* Drive(int32_t index) { return controller->GetDrive(index); }
    bool Mount(int32_t index, const std::string& path) { return Slot(index)->Open(test::PathOf(path)); }
    void Tick(int count = 1) {
        for (int i = 0; i < count; ++i)
            machine.TickBus();
    }

    emu::CMachine machine;
    Controller* controller; // owned by the machine
    bool m_started = false;
};

// A scratch image of the given size with the pattern of test::WriteImage.
inline std::string MakeImage(const std::string& folder, const std::string& name, size_t size, uint8_t seed = 0) {
    const std::string path = folder + name;
    test::WriteImage(path, size, seed);
    return path;
}

// A zero-filled image of any size, without writing its bytes.
inline std::string MakeSparseImage(const std::string& folder, const std::string& name, uint64_t size) {
    const std::string path = folder + name;
    test::WriteImage(path, 0);
    std::filesystem::resize_file(path, size);
    return path;
}

inline Bytes FileBytes(const std::string& path, uint64_t offset, uint64_t count) {
    const std::string all = test::ReadWholeFile(path);
    if (offset + count > all.size())
        return Bytes();
    return Bytes(all.begin() + static_cast<std::ptrdiff_t>(offset),
                 all.begin() + static_cast<std::ptrdiff_t>(offset + count));
}

// The object's own data as bytes.
inline Bytes SaveData(emu::CObject& object) {
    common::CMemoryStream stream;
    stream.Create(0, -1);
    common::CStreamHolder holder(&stream);
    EXPECT_TRUE(object.SaveData(holder));
    return Bytes(stream.GetBuffer(), stream.GetBuffer() + stream.GetSize());
}

// Loads the object's own data; true when it succeeded and used every byte.
inline bool LoadData(emu::CObject& object, const Bytes& bytes) {
    common::CMemoryStream stream;
    stream.Create(0, -1);
    if (!bytes.empty())
        stream.Write(bytes.data(), static_cast<int64_t>(bytes.size()));
    stream.Seek(0);
    common::CStreamHolder holder(&stream);
    common::CNarrowString error;
    return object.LoadData(holder, &error) && stream.GetPosition() == static_cast<int64_t>(bytes.size());
}

// Replaces the value bytes of the first field named `name` (record layout:
// F8, name record of 4 + length bytes, type byte, value).
inline bool PatchField(Bytes& bytes, const std::string& name, const Bytes& value) {
    for (size_t i = 0; i + 6 + name.size() < bytes.size(); ++i) {
        if (bytes[i] != 0xF8 || bytes[i + 3] != (name.size() & 0xFF) || bytes[i + 4] != (name.size() >> 8))
            continue;
        if (std::string(bytes.begin() + static_cast<std::ptrdiff_t>(i + 5),
                        bytes.begin() + static_cast<std::ptrdiff_t>(i + 5 + name.size())) != name)
            continue;
        const size_t at = i + 5 + name.size() + 1;
        if (at + value.size() > bytes.size())
            return false;
        std::copy(value.begin(), value.end(), bytes.begin() + static_cast<std::ptrdiff_t>(at));
        return true;
    }
    return false;
}

inline Bytes LittleEndian(uint64_t value, size_t size) {
    Bytes out;
    for (size_t i = 0; i < size; ++i)
        out.push_back(static_cast<uint8_t>(value >> (8 * i)));
    return out;
}

} // namespace disktest
