// The Korvet machine's start: memory, the computer's start, the model's ROM,
// the mapped handlers and the first map. The emulated-BIOS model has no ROM:
// the machine programs the chips as the BIOS would and boots the program
// whose header opens the image in the first floppy drive.
//
// Boot header, little-endian at the start of the image (it is loaded too):
//   +0 load address   +2 start address   +4 length in KB
#include "common/CPath.h"
#include "emu/chips/CInterruptController_I8259.h"
#include "emu/chips/CProcessor_I8080.h"
#include "emu/chips/CTimer_I8253.h"
#include "emu/framework/CDrives.h"
#include "emu/framework/CMediaSlot.h"
#include "emu/framework/CMemory.h"
#include "emu/korvet/CMachine_Korvet.h"
#include "emu/korvet/CSoftware_Korvet.h"
#include "emu/korvet/CVideo_Korvet.h"

namespace emu {

namespace {

// SYSREG values of the first maps.
const uint32_t kSysregRom = 0x00;  // map 0
const uint32_t kSysregBios = 0x14; // map 5

const uint32_t kBootUnit = 1024;

// One little-endian header word; 0 unless both bytes arrive.
uint16_t ReadHeaderWord(CMediaSlot* slot, int64_t position) {
    uint8_t bytes[2] = {0, 0};
    const int64_t read = slot->GetImage()->ReadAt(bytes, position, 2);
    if (read > 0)
        slot->SetRead(true);
    return read == 2 ? static_cast<uint16_t>(bytes[0] | (bytes[1] << 8)) : 0;
}

} // namespace

bool CMachine_Korvet::Start(int32_t* value) {
    if (m_cpu == nullptr || m_software == nullptr || m_serviceMemory == nullptr || m_model >= kModelCount)
        return false;
    // Nothing is told of the new layout before the devices are started.
    m_serviceMemory->SetMachine(nullptr);
    if (!m_serviceMemory->Allocate(kMemorySize, 0, 0))
        return false;
    if (!CComputer::Start(value))
        return false;

    int32_t scratch = 0;
    int32_t& rate = value != nullptr ? *value : scratch;
    if (m_model == kModelBios) {
        if (rate < kRateBios)
            rate = kRateBios;
    } else {
        if (rate < kRateRom)
            rate = kRateRom;
        if (!LoadRom())
            return false;
    }

    if (!InstallMemoryHandlers())
        return false;
    m_soundControl = 0;
    m_mapNumber = 0;
    if (m_model != kModelBios) {
        SelectMemoryMap(kSysregRom);
        return true;
    }
    SelectMemoryMap(kSysregBios);
    ProgramBiosChips();
    return BootFromFloppy();
}

bool CMachine_Korvet::LoadRom() {
    const common::CNarrowString description("Main ROM");
    int used = 0;
    switch (m_model) {
    case kModelKorvet11:
        used = LoadFileToMemory(kRomImage, kRomMinSize, kRomMaxSize, description, common::CPath(u"korvet11.rom"));
        break;
    case kModelKorvet20:
        used = LoadFileToMemory(kRomImage, kRomMinSize, kRomMaxSize, description, common::CPath(u"korvet2.rom"),
                                common::CPath(u"korvet20.rom"));
        break;
    case kModelKontur20:
        used = LoadFileToMemory(kRomImage, kKonturRomMinSize, kRomMaxSize, description, common::CPath(u"kontur.rom"),
                                common::CPath(u"kontur2.rom"), common::CPath(u"kontur20.rom"));
        break;
    default:
        break;
    }
    return used != 0;
}

bool CMachine_Korvet::InstallMemoryHandlers() {
    const uint32_t ramBlocks = kRamSize / CMemory::kPageSize;
    const uint32_t romBlocks = kRomMaxSize / CMemory::kPageSize;
    CMemory* memory = m_serviceMemory;
    if (!memory->SetPageAccess(3, 0, ramBlocks) || !memory->SetPageAccess(1, ramBlocks, romBlocks))
        return false;
    InstallMapHandlers();
    return true;
}

void CMachine_Korvet::ProgramBiosChips() {
    m_timer->GetChannel(2)->WriteMode(0xB5);
    m_timer->GetChannel(0)->WriteMode(0x36);
    m_pic->WritePort0(0xF6);
    m_pic->WritePort1(0x02);
    m_pic->WritePort1(0xF7);
    m_pic->WritePort0(0x0A);
    for (uint32_t entry = 0; entry < 16; ++entry)
        m_video->WriteLut(entry, entry < 8 ? entry : 15);
    m_video->WriteVireg(0x20);
    m_video->WriteNcreg(0x82);
}

bool CMachine_Korvet::BootFromFloppy() {
    CDrives* drives = GetDrivesService();
    CMediaSlot* slot = drives != nullptr ? drives->GetKindSlot(CDrivesInterface::kFloppy, 0) : nullptr;
    if (slot == nullptr || !slot->IsOpen() || !slot->IsMediaValid() || !slot->GetLatch()) {
        LogError("[ERROR] Insert system disk to floppy disk drive and restart computer...");
        return false;
    }

    const uint16_t load = ReadHeaderWord(slot, 0);
    const uint16_t start = ReadHeaderWord(slot, 2);
    const uint16_t length = ReadHeaderWord(slot, 4);
    uint32_t size = static_cast<uint32_t>(length) * kBootUnit;
    if (size > kRamSize - load || static_cast<int64_t>(size) > slot->GetImageSize())
        size = 0;
    if (load == 0 || start == 0 || length == 0 || start < load || start >= load + size) {
        LogError("[ERROR] Non-system floppy disk or incorrect disk format!");
        return false;
    }

    const int64_t read = slot->GetImage()->ReadAt(Ram() + load, 0, size);
    if (read > 0)
        slot->SetRead(true);
    if (read < static_cast<int64_t>(size)) {
        LogError("[ERROR] Can not read floppy disk image!");
        return false;
    }

    m_cpu->SetPC(start);
    m_cpu->SetSP(kBootStack);
    const common::CPath file = common::CPath::GetFileName(slot->GetPath());
    LogMessage("[INIT] Boot from file \"%s\" with start at %.4lXh (pos=%.4lXh, size=%ld)", file.GetNarrow(),
               static_cast<unsigned long>(start), static_cast<unsigned long>(load), static_cast<long>(size));
    m_software->InstallTrapAtStart(1);
    slot->SetInUse(true);
    return true;
}

} // namespace emu
