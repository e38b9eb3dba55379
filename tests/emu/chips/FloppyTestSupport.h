#pragma once
// The floppy controller in a small framework machine: four floppy slots, the
// controller's ports at kBase (5-port layout), its interrupt on line 7
// recorded by a stand-in interrupt controller, a console for trace lines, and
// a scratch copy of the machine's system disk.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "TakeConsoleTexts.h"
#include "common/CTextConsole.h"
#include "emu/chips/CDiskController_WD179X.h"
#include "emu/framework/CInterrupts.h"
#include "emu/framework/CPorts.h"
#include "emu/framework/DiskTestSupport.h"

namespace floppytest {

using disktest::Bytes;

constexpr uint32_t kBase = 0x10;
constexpr uint32_t kIrqLine = 7;

// Register offsets of the 5-port layout.
enum : uint32_t { kData = 0, kSector = 1, kTrack = 2, kCommand = 3, kStatus = 3, kDrive = 4 };

// The system disk: 80 cylinders, 2 heads, 5 sectors of 1024 bytes.
constexpr uint64_t kSystemSize = 819200;
constexpr uint32_t kSystemSectorSize = 1024;

inline uint64_t SystemOffset(uint32_t track, uint32_t head, uint32_t sector) {
    return ((static_cast<uint64_t>(track) * 2 + head) * 5 + (sector - 1)) * kSystemSectorSize;
}

// A writable copy of the shared system disk in the folder (the shared file
// itself is never opened by the emulation).
inline std::string CopySystemDisk(const std::string& folder, const std::string& name = "system.kdi") {
    const std::string source = std::string(KORVET_SHARED_DATA) + "/disks/system.kdi";
    const std::string target = folder + name;
    std::error_code error;
    std::filesystem::copy_file(source, target, std::filesystem::copy_options::overwrite_existing, error);
    std::filesystem::permissions(target, std::filesystem::perms::owner_read | std::filesystem::perms::owner_write,
                                 std::filesystem::perm_options::add, error);
    return target;
}

// Records every change of an interrupt line.
struct CLineRecorder {
    static bool Acknowledge(void*, bool, int32_t*, int32_t*, int32_t*) { return false; }
    static bool Line(void* id, uint32_t line, bool raise) {
        auto* self = static_cast<CLineRecorder*>(id);
        self->changes.emplace_back(line, raise);
        if (line == kIrqLine)
            self->raised = raise;
        return true;
    }
    static bool Pending(void*, int32_t) { return false; }

    std::vector<std::pair<uint32_t, bool>> changes;
    bool raised = false;
};

class CFloppyRig : public disktest::CDiskRig<emu::CDiskController_WD179X> {
public:
    explicit CFloppyRig(int32_t interfaceMode = 0) : CDiskRig(4) {
        EXPECT_TRUE(controller->SetInterfaceMode(interfaceMode));
        EXPECT_TRUE(controller->ConnectIrq(static_cast<int32_t>(kIrqLine), true, true));
        EXPECT_TRUE(controller->ConnectPorts(static_cast<int32_t>(kBase)));
        machine.SetConsole(&console);
    }
    // The machine lets go of the console before it goes.
    ~CFloppyRig() {
        Stop();
        machine.SetConsole(nullptr);
    }

    // Starts the machine and listens to the interrupt lines.
    bool Start() {
        if (!CDiskRig::Start())
            return false;
        return machine.GetInterruptsService()->RegisterController(&lines, CLineRecorder::Acknowledge,
                                                                  CLineRecorder::Line, CLineRecorder::Pending);
    }

    uint8_t In(uint32_t offset, bool peek = false) {
        return machine.GetPortsService()->InputByte(kBase + offset, peek ? 1 : 0, nullptr);
    }
    void Out(uint32_t offset, uint8_t value) { machine.GetPortsService()->OutputByte(kBase + offset, value); }

    // Selects the drive with the head (motor on) and lets the selection's busy
    // handshake pass, as the disk software does by polling STATUS.
    void Select(uint32_t drive, uint32_t head = 0) {
        Out(kDrive, static_cast<uint8_t>((1u << drive) | (head << 4) | 0x20));
        In(kStatus);
        In(kStatus);
    }
    // A command followed by STATUS polls until BUSY clears (at most a few).
    uint8_t Run(uint8_t command) {
        Out(kCommand, command);
        uint8_t status = In(kStatus);
        for (int i = 0; i < 4 && (status & 0x01) != 0; ++i)
            status = In(kStatus);
        return status;
    }
    void Seek(uint8_t track) {
        Out(kData, track);
        Run(0x18);
    }
    Bytes ReadBytes(size_t count) {
        Bytes bytes;
        for (size_t i = 0; i < count; ++i)
            bytes.push_back(In(kData));
        return bytes;
    }
    // Seek, sector, Read Sector and the sector's bytes.
    Bytes ReadSector(uint8_t track, uint8_t sector, size_t count = kSystemSectorSize) {
        Seek(track);
        Out(kSector, sector);
        Out(kCommand, 0x80);
        return ReadBytes(count);
    }

    std::vector<std::string> TakeLines() { return testconsole::TakeConsoleTexts(console); }

    common::CTextConsole console;
    CLineRecorder lines;
};

} // namespace floppytest
