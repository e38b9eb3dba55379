// A Korvet 2.0 on the emulation thread: it powers on from its ROM, runs
// frames, stops in the debugger, and its whole state saved to a file loads
// into a fresh emulator that saves it again to the same bytes.
#include <fstream>

#include "CoreTestSupport.h"
#include "common/CPath.h"
#include "emu/framework/CDrives.h"
#include "emu/framework/CMediaSlot.h"

namespace {

using coretest::Bytes;
using coretest::ReadFile;

// A sound output with no device behind it, as on a server: every open fails.
class CDeadSoundOutput : public emu::CSoundOutput {
public:
    bool Open(uint32_t, uint32_t, uint32_t) override { return false; }
    emu::CSoundOutput* CreateInstance() override { return new CDeadSoundOutput(); }
    const char* GetName() override { return "DeadSound"; }
};

class EmulatorKorvetThreadTest : public coretest::CKorvetCoreFixture {};

TEST_F(EmulatorKorvetThreadTest, ARunningKorvetSavesAStateThatAFreshOneLoadsAndSavesAlike) {
    MakeCore();
    ASSERT_TRUE(m_core->Start(false, false));
    ASSERT_TRUE(m_frames.WaitForMore(20));
    m_core->Break(false);
    ASSERT_TRUE(m_core->IsInBreak());
    // A load marks every restored drive as read; here they have been read already.
    emu::CDrives* drives = m_core->GetMachine()->GetDrivesService();
    for (int i = 0; i < drives->GetSlotCount(); ++i)
        drives->GetSlot(i)->SetRead(true);
    ASSERT_TRUE(m_core->SaveStateToFile(common::CPath(), false));
    EXPECT_TRUE(coretest::HasLine(m_core->GetConsole(), "State saved to file \"korvet20.sav\""));
    const Bytes saved = ReadFile(StateFile());
    ASSERT_FALSE(saved.empty());
    DeleteCore();

    MakeCore();
    ASSERT_TRUE(m_core->Start(true, false));
    ASSERT_TRUE(m_core->LoadStateFromFile(common::CPath(), false));
    EXPECT_TRUE(coretest::HasLine(m_core->GetConsole(), "State loaded from file \"korvet20.sav\""));
    EXPECT_TRUE(m_core->IsInBreak());
    std::filesystem::remove(StateFile());
    ASSERT_TRUE(m_core->SaveStateToFile(common::CPath(), false));
    EXPECT_TRUE(ReadFile(StateFile()) == saved) << "the state saved again differs";

    m_core->Resume();
    EXPECT_TRUE(m_frames.WaitForMore(5)) << "the loaded machine runs on";
}

void WriteImage(const std::string& path, int64_t size) {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(std::string(static_cast<size_t>(size), '\xE5').data(), size);
}

std::string Narrow(const common::CString& text) {
    common::CNarrowString narrow;
    narrow.AssignString(text);
    return narrow.GetNarrow();
}

// Images of sizes that no disk format has are said so at mount, with their
// size, and the disk in the drive stays; a slightly short one is grown to the
// full format and mounted.
TEST_F(EmulatorKorvetThreadTest, AnImageThatFitsNoDiskFormatIsRefusedAtMount) {
    MakeCore();
    struct CCase {
        int64_t size;
        const char* line;
    };
    const CCase cases[] = {
        {1000, "Error: Image size (1000 bytes) fits no disk format of the drive!"},
        {5 << 20, "Error: Image size (5242880 bytes) fits no disk format of the drive!"},
        {800000, "Done: File \"disk.img\" successfully mounted to drive fdd"},
        {819200, "Done: File \"disk.img\" successfully mounted to drive fdd"},
    };
    const std::string path = m_location->Base() + "disk.img";
    const std::string old = m_location->Base() + "old.img";
    WriteImage(old, 819200);
    for (const CCase& c : cases) {
        SCOPED_TRACE(c.size);
        emu::CMediaSlot* slot = m_core->GetDrive(0);
        ASSERT_NE(nullptr, slot);
        ASSERT_TRUE(slot->Open(common::CPath(old.c_str())));
        WriteImage(path, c.size);
        m_core->ExecuteConsoleCommand(common::CNarrowString(("mount fdd \"" + path + "\"").c_str()));
        EXPECT_EQ(coretest::ConsoleLines(m_core->GetConsole()).back(), c.line);
        const bool usable = c.line[0] == 'D';
        EXPECT_EQ(usable ? path : old, Narrow(slot->GetPath()));
        EXPECT_TRUE(slot->GetLatch());
        if (usable) {
            ASSERT_TRUE(m_core->Start(false, false));
            ASSERT_TRUE(m_frames.WaitForMore(2));
            EXPECT_TRUE(slot->IsMediaValid());
            EXPECT_EQ(819200, slot->GetImageSize()) << "a short image grows to the full format";
            m_core->Stop();
        }
        slot->Close();
    }
}

// A drive list naming an image that no disk format takes: at start one
// console line names the drive, the file and its size, and the drive stays
// empty; the other drives mount their images.
TEST_F(EmulatorKorvetThreadTest, AListedImageThatFitsNoDiskFormatIsNamedAtStart) {
    const std::string small = m_location->Base() + "small.img";
    const std::string full = m_location->Base() + "full.img";
    WriteImage(small, 1000);
    WriteImage(full, 819200);
    std::filesystem::create_directories(m_location->ProgramFolder() + "settings");
    {
        emu::CDrives list;
        ASSERT_TRUE(list.SetFloppyCount(2));
        ASSERT_TRUE(list.GetSlot(0)->Open(common::CPath(small.c_str())));
        ASSERT_TRUE(list.GetSlot(1)->Open(common::CPath(full.c_str())));
        ASSERT_TRUE(list.SaveSettings(emu::CComputer::MakeSettingsPath("korvet", "drv", true)));
    }
    MakeCore();
    EXPECT_TRUE(coretest::HasLine(
        m_core->GetConsole(), "![FDD_0 ERROR] Image \"small.img\" (1000 bytes) fits no disk format; drive left empty!"))
        << ::testing::PrintToString(coretest::ConsoleLines(m_core->GetConsole()));
    EXPECT_FALSE(m_core->GetDrive(0)->IsOpen());
    EXPECT_TRUE(m_core->GetDrive(1)->IsOpen());
}

// A state naming an image that no disk format takes fails to load with that
// reason, as any damaged part of a state does.
TEST_F(EmulatorKorvetThreadTest, AStateWhoseImageFitsNoDiskFormatFailsWithThatReason) {
    const std::string path = m_location->Base() + "disk.img";
    WriteImage(path, 819200);
    MakeCore();
    ASSERT_TRUE(m_core->GetDrive(0)->Open(common::CPath(path.c_str())));
    ASSERT_TRUE(m_core->Start(true, false));
    ASSERT_TRUE(m_core->SaveStateToFile(common::CPath(), false));
    m_core->Stop();
    m_core->GetDrive(0)->Close();
    WriteImage(path, 1000);
    EXPECT_FALSE(m_core->LoadStateFromFile(common::CPath(), false));
    EXPECT_TRUE(coretest::HasLine(m_core->GetConsole(),
                                  "![ERROR] Error while loading state from file \"korvet20.sav\" (file \"disk.img\" "
                                  "of 1000 bytes in drive FDD_0 fits no disk format; state loaded only in part, the "
                                  "machine must be restarted)"))
        << ::testing::PrintToString(coretest::ConsoleLines(m_core->GetConsole()));
    EXPECT_FALSE(m_core->GetDrive(0)->IsOpen());
}

// A whole state loaded into a stopped machine that then cannot start is
// refused with the start's own reason, not as a damaged file.
TEST_F(EmulatorKorvetThreadTest, ALoadIntoAMachineThatCannotStartGivesTheStartsReason) {
    const std::string disk = m_location->Base() + "system.kdi";
    coretest::WriteFile(disk, ReadFile(std::string(KORVET_SHARED_DATA) + "/disks/system.kdi"));
    struct CCase {
        uint32_t model;
        const char* file;
        const char* reason;
    };
    const CCase cases[] = {
        {emu::CMachine_Korvet::kModelBios, "korvet.sav",
         "Insert system disk to floppy disk drive and restart computer..."},
        {emu::CMachine_Korvet::kModelKorvet20, "korvet20.sav",
         "No one of files found (Main ROM): \"korvet2.rom\" or \"korvet20.rom\""},
    };
    for (const CCase& c : cases) {
        SCOPED_TRACE(c.file);
        m_model = c.model;
        MakeCore();
        ASSERT_TRUE(m_core->GetDrive(0)->Open(common::CPath(disk.c_str())));
        ASSERT_TRUE(m_core->Start(false, false));
        ASSERT_TRUE(m_core->SaveStateToFile(common::CPath(), false));
        m_core->Stop();
        // What the start needs goes: the disk, or the ROM image.
        if (c.model == emu::CMachine_Korvet::kModelBios)
            m_core->GetDrive(0)->Close();
        else
            std::filesystem::remove(m_location->ProgramFolder() + "korvet20.rom");
        EXPECT_FALSE(m_core->LoadStateFromFile(common::CPath(), false));
        EXPECT_TRUE(
            coretest::HasLine(m_core->GetConsole(), std::string("![ERROR] Error while loading state from file \"") +
                                                        c.file + "\" (" + c.reason + ")"))
            << ::testing::PrintToString(coretest::ConsoleLines(m_core->GetConsole()));
        EXPECT_FALSE(m_core->IsActive());
        DeleteCore();
    }
}

TEST_F(EmulatorKorvetThreadTest, TheStatusTextNamesTheModelAndItsSpeedWhileItRuns) {
    MakeCore();
    ASSERT_TRUE(m_core->Start(false, false));
    ASSERT_TRUE(m_frames.WaitForMore(2));
    common::CNarrowString text;
    m_core->FormatStatusText(text);
    EXPECT_NE(std::string(text.GetNarrow()).find(", Speed="), std::string::npos) << text.GetNarrow();
    // Stopped in the debugger it shows the registers but no speed.
    m_core->Break(false);
    m_core->FormatStatusText(text);
    EXPECT_NE(std::string(text.GetNarrow()).find("SYSREG="), std::string::npos) << text.GetNarrow();
    EXPECT_EQ(std::string(text.GetNarrow()).find(", Speed="), std::string::npos) << text.GetNarrow();
    m_core->Resume();
    m_core->Stop();
    EXPECT_FALSE(m_core->IsActive());
}

// With no disk in any drive the ROM's first look at its boot drive ends the
// unpaced start, well before the time bound would.
TEST_F(EmulatorKorvetThreadTest, FastInitialisationEndsWhenTheRomAsksForAnEmptyDrive) {
    MakeCore();
    m_core->SetSynchronization(true);
    m_core->SetFastInit(true);
    ASSERT_TRUE(m_core->Start(false, false));
    while (!m_core->IsPacing() && m_frames.Get() < emu::CEmulator::kFastInitFrameLimit)
        ASSERT_TRUE(m_frames.WaitForMore(1));
    EXPECT_TRUE(m_core->IsPacing());
    // The ROM looks at about frame 400; the bound is 750.
    EXPECT_LT(m_frames.Get(), emu::CEmulator::kFastInitFrameLimit - 100);
    m_core->Stop();
}

TEST_F(EmulatorKorvetThreadTest, AnOutputThatCannotOpenLeavesTheMachineRunningSilentAndSaysSo) {
    MakeCore(new CDeadSoundOutput());
    ASSERT_TRUE(m_core->Start(false, false));
    EXPECT_TRUE(m_frames.WaitForMore(5)) << "the machine runs without sound";
    EXPECT_TRUE(m_core->IsActive());
    EXPECT_EQ(
        coretest::CountLinesStartingWith(m_core->GetConsole(), "[WARN] Sound output \"DeadSound\" cannot be opened"),
        1);
    EXPECT_STREQ(m_core->TakeSoundFailure(), "DeadSound");
    EXPECT_EQ(m_core->TakeSoundFailure(), nullptr) << "told once";
    m_core->Stop();
}

// The front end counts its lateness; the loop takes the count at the next
// frame end (and waits longer for the user interface then).
TEST_F(EmulatorKorvetThreadTest, TheLoopTakesTheUiLatenessAtAFrameEnd) {
    MakeCore();
    ASSERT_TRUE(m_core->Start(false, false));
    ASSERT_TRUE(m_frames.WaitForMore(1));
    m_core->RaiseUiLateness();
    m_core->RaiseUiLateness();
    ASSERT_TRUE(m_frames.WaitForMore(2));
    EXPECT_EQ(m_core->GetUiLateness(), 0);
    m_core->Stop();
}

// The title's status text is built on the user-interface thread every second
// while the machine runs; under ThreadSanitizer no read of it may race the
// emulation thread's writes of the system register, VIREG or the sound state.
TEST_F(EmulatorKorvetThreadTest, StatusTextReadsNoRegisterTheRunningMachineWrites) {
    MakeCore();
    ASSERT_TRUE(m_core->Start(false, false));
    const int64_t target = m_frames.Get() + 100;
    int reads = 0;
    common::CWideString text;
    // Both conditions: a loaded host may give this thread few turns per frame.
    while (m_frames.Get() < target || reads < 100) {
        m_core->FormatStatusText(text);
        ++reads;
    }
    EXPECT_NE(std::u16string(text.GetText()).find(u"SYSREG="), std::u16string::npos);
    m_core->Stop();
}

} // namespace
