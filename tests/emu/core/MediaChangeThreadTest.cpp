// Disk changes on a running machine: while an 8080 reads one sector after the
// other through the floppy controller, another thread loads, unloads and
// latches the drive every few milliseconds, each change made with the
// emulation held at its safe point. The guest must see every sector it reads
// whole from one disk or cut off by the change, never bytes of both disks
// and never bytes of neither.
//
// The guest (ports of the controller's 5-port layout at 10h, the probe at 20h):
//   0000  F3          DI
//   0001  3E 21       MVI A,21h      <- loop: drive 0, motor on
//   0003  D3 14       OUT 14h
//   0005  DB 13       IN 13h         the selection's busy handshake
//   0007  DB 13       IN 13h
//   0009  3E 01       MVI A,1
//   000B  D3 11       OUT 11h        SECTOR 1
//   000D  3E 80       MVI A,80h
//   000F  D3 13       OUT 13h        Read Sector
//   0011  11 00 01    LXI D,0100h    256 bytes
//   0014  DB 10       IN 10h         <- byte loop
//   0016  D3 20       OUT 20h        to the probe
//   0018  1B          DCX D
//   0019  7A          MOV A,D
//   001A  B3          ORA E
//   001B  C2 14 00    JNZ 0014h
//   001E  D3 21       OUT 21h        sector ends
//   0020  C3 01 00    JMP 0001h
#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <string>
#include <vector>

#include "CoreTestSupport.h"
#include "common/CPath.h"
#include "common/HostFiles.h"
#include "common/OsHelpers.h"
#include "emu/chips/CDiskController_WD179X.h"
#include "emu/chips/CProcessor_I8080.h"
#include "emu/core/CEmulator.h"
#include "emu/framework/CComputer.h"
#include "emu/framework/CDrives.h"
#include "emu/framework/CMediaSlot.h"
#include "emu/framework/CMemory.h"
#include "emu/framework/CPorts.h"

namespace {

// 82 cylinders, 2 heads, 20 sectors of 256 bytes.
constexpr size_t kImageSize = 839680;
constexpr int32_t kSectorSize = 256;
constexpr uint8_t kDiskA = 0xA5;
constexpr uint8_t kDiskB = 0x5A;
constexpr uint32_t kControllerPorts = 0x10;
constexpr uint32_t kProbeByte = 0x20;
constexpr uint32_t kProbeEnd = 0x21;

const std::vector<uint8_t>& Guest() {
    static const std::vector<uint8_t> s_program = {
        0xF3, 0x3E, 0x21, 0xD3, 0x14, 0xDB, 0x13, 0xDB, 0x13, 0x3E, 0x01, 0xD3, 0x11, 0x3E, 0x80, 0xD3, 0x13, 0x11,
        0x00, 0x01, 0xDB, 0x10, 0xD3, 0x20, 0x1B, 0x7A, 0xB3, 0xC2, 0x14, 0x00, 0xD3, 0x21, 0xC3, 0x01, 0x00};
    return s_program;
}

// Sorts every sector the guest read by what it holds.
class CSectorProbe : public emu::CDevice {
public:
    bool Start(int32_t* value) override {
        m_count = 0;
        return CDevice::Start(value) && m_ports->SetOutputHandler(kProbeByte, this, &CSectorProbe::OnByte) &&
               m_ports->SetOutputHandler(kProbeEnd, this, &CSectorProbe::OnEnd);
    }
    static bool OnByte(void* context, uint32_t, uint32_t, uint8_t* value) {
        CSectorProbe* self = static_cast<CSectorProbe*>(context);
        if (self->m_count < kSectorSize)
            self->m_bytes[self->m_count] = *value;
        ++self->m_count;
        return true;
    }
    static bool OnEnd(void* context, uint32_t, uint32_t, uint8_t*) {
        static_cast<CSectorProbe*>(context)->Classify();
        return true;
    }

    std::atomic<int64_t> m_wholeA{0};
    std::atomic<int64_t> m_wholeB{0};
    std::atomic<int64_t> m_cut{0}; // ended by a change, or no disk: zeros
    std::atomic<int64_t> m_torn{0};
    coretest::CCounter m_sectors;

private:
    void Classify() {
        int a = 0, b = 0, zero = 0;
        for (int32_t i = 0; i < kSectorSize; ++i) {
            a += m_bytes[i] == kDiskA;
            b += m_bytes[i] == kDiskB;
            zero += m_bytes[i] == 0;
        }
        if (m_count != kSectorSize || (a != 0 && b != 0) || a + b + zero != kSectorSize)
            ++m_torn;
        else if (a == kSectorSize)
            ++m_wholeA;
        else if (b == kSectorSize)
            ++m_wholeB;
        else
            ++m_cut;
        m_count = 0;
        m_sectors.Bump();
    }

    uint8_t m_bytes[kSectorSize] = {};
    int32_t m_count = 0;
};

// The 8080, two floppy drives behind the controller, and the probe.
class CReaderComputer : public emu::CComputer {
public:
    CReaderComputer() { SetName("Disk Reader"); }
    const char* GetConfigName() override { return "diskreader"; }

    bool Build() override {
        if (!CComputer::Build() || !GetDrivesService()->SetFloppyCount(2))
            return false;
        m_cpu = new emu::CProcessor_I8080();
        AddDevice(m_cpu, "CPU I8080", "CPU");
        auto* controller = new emu::CDiskController_WD179X();
        if (!controller->SetInterfaceMode(0) || !controller->ConnectIrq(7, true, true) ||
            !controller->ConnectPorts(static_cast<int32_t>(kControllerPorts)) ||
            !AddDevice(controller, nullptr, nullptr))
            return false;
        for (int32_t i = 0; i < 2; ++i)
            controller->AddDrive(Slot(i));
        m_probe = new CSectorProbe();
        return AddDevice(m_probe, "Probe", "PRB");
    }
    bool Start(int32_t* value) override {
        if (!GetMemoryService()->Allocate(0x10000, 0, 0) || !CComputer::Start(value))
            return false;
        GetMemoryService()->WriteBlock(0, Guest().data(), static_cast<uint32_t>(Guest().size()), 0);
        m_cpu->SetPC(0);
        return true;
    }
    emu::CMediaSlot* Slot(int32_t index) {
        return GetDrivesService()->GetKindSlot(emu::CDrivesInterface::kFloppy, index);
    }

    emu::CProcessor_I8080* m_cpu = nullptr; // owned by the machine
    CSectorProbe* m_probe = nullptr;        // owned by the machine
};

std::string MakeImage(const std::string& name, uint8_t fill) {
    const std::string folder = std::string(KORVET_TEST_TEMP) + "/mediachange/";
    common::HostCreateFolder(common::WideText(folder.begin(), folder.end()).c_str());
    const std::string path = folder + name;
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr)
        return std::string();
    const std::vector<uint8_t> bytes(kImageSize, fill);
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    std::fclose(file);
    return written ? path : std::string();
}

TEST(MediaChangeThreadTest, DiskChangesAtTheSafePointReachTheGuestWholeOrNotAtAll) {
    const std::string imageA = MakeImage("a.img", kDiskA);
    const std::string imageB = MakeImage("b.img", kDiskB);
    ASSERT_FALSE(imageA.empty());
    ASSERT_FALSE(imageB.empty());

    coretest::CTestManager manager;
    auto* computer = new CReaderComputer();
    emu::CEmulator core(&manager, computer, nullptr, nullptr, nullptr);
    core.SetSynchronization(false);
    ASSERT_TRUE(core.StartThreadOrRun());
    emu::CMediaSlot* slot = computer->Slot(0);
    ASSERT_NE(slot, nullptr);
    ASSERT_TRUE(slot->Open(common::CPath(imageA.c_str())));
    ASSERT_TRUE(core.Start(false, false));
    CSectorProbe& probe = *computer->m_probe;
    ASSERT_TRUE(probe.m_sectors.WaitForMore(2));

    // The front end's media commands: load the other disk, unload, flip the latch.
    bool nextIsB = true;
    for (int change = 0; change < 240; ++change) {
        {
            emu::CEmulator::CSafePoint hold(&core);
            // Load, latch off, latch on, load, latch off, unload.
            switch (change % 6) {
            case 0:
            case 3:
                slot->Close();
                slot->Open(common::CPath((nextIsB ? imageB : imageA).c_str()), 0, 0);
                nextIsB = !nextIsB;
                break;
            case 5:
                slot->Close();
                if (slot->GetLatch())
                    slot->SetLatch(false);
                break;
            default:
                slot->SetLatch(!slot->GetLatch());
                break;
            }
        }
        common::SleepMs(1 + change % 3);
        // The read the change cut short, then at least one whole one.
        ASSERT_TRUE(probe.m_sectors.WaitForMore(2)) << "the guest stopped reading at change " << change;
    }
    core.Stop();
    EXPECT_EQ(probe.m_torn.load(), 0);
    EXPECT_GT(probe.m_wholeA.load(), 0);
    EXPECT_GT(probe.m_wholeB.load(), 0);
    EXPECT_GT(probe.m_cut.load(), 0) << "no read met a change or an empty drive";
    // The machine goes with the thread.
    core.ShutdownThread();
}

} // namespace
