// Whole-state save and load: a state saved by one emulator loads into a fresh
// one and saves again to the same bytes; damaged files are refused with the
// reason and leave the emulation stopped.
#include <algorithm>
#include <fstream>
#include <iterator>
#include <memory>

#ifndef _WIN32
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#endif

#include <chrono>
#include <random>
#include <thread>

#include "CoreTestSupport.h"
#include "FileSizeLimit.h"
#include "common/CMemoryStream.h"
#include "common/CPath.h"
#include "emu/framework/CMediaSlot.h"
#include "emu/framework/MachineTestSupport.h"

namespace {

using coretest::CCoreFixture;
using coretest::CProbe;
using coretest::HasLine;
using machinetest::FirstDifference;

using coretest::Bytes;
using coretest::ReadFile;
using coretest::WriteFile;

bool Exists(const std::string& path) {
    std::error_code error;
    return std::filesystem::exists(path, error);
}

class EmulatorStateThreadTest : public CCoreFixture {
protected:
    void SetUp() override {
        m_location = std::make_unique<machinetest::CProgramLocation>(false);
        CCoreFixture::SetUp();
    }
    void TearDown() override {
        CCoreFixture::TearDown();
        m_location.reset();
    }
    std::string StateFile() const { return m_location->ProgramFolder() + "states/coretest.sav"; }

    // Runs a while, then stops inside a slice at a device break.
    void RunToDeviceBreak() {
        ASSERT_TRUE(m_core->Start(false, false));
        ASSERT_TRUE(Probe().m_writes.WaitFor(5));
        Probe().m_mode = CProbe::Mode::kBreakBefore;
        ASSERT_TRUE(Probe().m_breaks.WaitFor(1));
        Settle();
        ASSERT_TRUE(m_core->IsInBreak());
    }
    // A second emulator in this process, its thread running.
    void MakeSecondCore() {
        m_core->ShutdownThread();
        delete m_core;
        m_core = nullptr;
        MakeCore(true);
    }
    bool Load() { return m_core->LoadStateFromFile(common::CPath(), false); }
    bool Save() { return m_core->SaveStateToFile(common::CPath(), false); }

    std::unique_ptr<machinetest::CProgramLocation> m_location;
};

TEST_F(EmulatorStateThreadTest, ASaveWhileStoppedIsRefusedWithoutAFile) {
    EXPECT_FALSE(Save());
    EXPECT_FALSE(Exists(StateFile()));
    EXPECT_FALSE(HasLine(m_core->GetConsole(), "State saved to file \"coretest.sav\""));
}

TEST_F(EmulatorStateThreadTest, AStateLoadsIntoAFreshEmulatorAndSavesAgainToTheSameBytes) {
    RunToDeviceBreak();
    // A load marks every restored drive as read; here they have been read already.
    emu::CDrives* drives = m_computer->GetDrivesService();
    for (int i = 0; i < drives->GetSlotCount(); ++i)
        drives->GetSlot(i)->SetRead(true);
    ASSERT_TRUE(Save());
    EXPECT_TRUE(HasLine(m_core->GetConsole(), "State saved to file \"coretest.sav\""));
    EXPECT_TRUE(m_core->IsInBreak()) << "a save changes no run state";
    const Bytes saved = ReadFile(StateFile());
    ASSERT_FALSE(saved.empty());

    common::CMemoryStream stream;
    stream.Create(0, -1);
    ASSERT_TRUE(m_core->SaveStateToStream(&stream, false));
    EXPECT_EQ(Bytes(stream.GetBuffer(), stream.GetBuffer() + stream.GetSize()), saved);

    MakeSecondCore();
    ASSERT_TRUE(m_core->Start(true, false));
    ASSERT_TRUE(Load());
    EXPECT_TRUE(HasLine(m_core->GetConsole(), "State loaded from file \"coretest.sav\""));
    EXPECT_TRUE(m_core->IsInBreak()) << "a load in a break stays in the break";
    EXPECT_TRUE(m_core->IsStateLoaded());
    EXPECT_EQ(Pc(), coretest::kStoreAddress);
    std::filesystem::remove(StateFile());
    ASSERT_TRUE(Save());
    const Bytes again = ReadFile(StateFile());
    EXPECT_EQ(FirstDifference(again, saved), "none");

    // The loaded machine runs on from there.
    m_core->Resume();
    EXPECT_TRUE(Probe().m_writes.WaitFor(2));
}

TEST_F(EmulatorStateThreadTest, AKeyTypedJustBeforeASaveStillReachesTheMachine) {
    ASSERT_TRUE(m_core->Start(false, false));
    m_core->PauseAndWait();
    ASSERT_TRUE(m_core->PostKeyEvent('K', true));
    ASSERT_TRUE(Save());
    const int64_t frames = m_computer->m_frames.Get();
    m_core->ReleasePause();
    ASSERT_TRUE(m_computer->m_frames.WaitFor(frames + 3));
    EXPECT_TRUE(m_computer->GetKeysService()->IsKeyDown('K'));
}

TEST_F(EmulatorStateThreadTest, ALoadIntoAStoppedComputerStartsItAndItRuns) {
    RunToDeviceBreak();
    ASSERT_TRUE(Save());
    MakeSecondCore();
    ASSERT_FALSE(m_core->IsActive());
    ASSERT_TRUE(Load());
    EXPECT_TRUE(m_core->IsActive());
    EXPECT_FALSE(m_core->IsInBreak());
    EXPECT_TRUE(m_computer->m_frames.WaitForMore(2));
    EXPECT_TRUE(Probe().m_writes.WaitFor(1));
}

TEST_F(EmulatorStateThreadTest, ALoadWithoutAStateFileOnlySaysSo) {
    EXPECT_TRUE(Load());
    EXPECT_EQ(coretest::ConsoleLines(m_core->GetConsole()),
              std::vector<std::string>{
                  "State not loaded, because file \"coretest.sav\" does not exist (no state was saved?)"})
        << "a stopped emulation's console is cleared first";
    EXPECT_FALSE(m_core->IsActive());
}

TEST_F(EmulatorStateThreadTest, ASaveThatCannotBeWrittenLeavesNoFile) {
    ASSERT_TRUE(m_core->Start(false, false));
    const std::string missing = m_location->Base() + "missing/";
    EXPECT_FALSE(m_core->SaveStateToFile(common::CPath(missing.c_str()), false));
    EXPECT_FALSE(Exists(missing + "coretest.sav"));
    EXPECT_TRUE(HasLine(m_core->GetConsole(),
                        "![ERROR] Error while saving state to file \"coretest.sav\" (the file cannot be created)"));
    EXPECT_TRUE(m_core->IsActive()) << "the emulation goes on";
}

#ifndef _WIN32
TEST_F(EmulatorStateThreadTest, ASaveOntoAFullDiskKeepsTheOldStateAndSaysWhy) {
    ASSERT_TRUE(m_core->Start(false, false));
    ASSERT_TRUE(Save());
    const Bytes old = ReadFile(StateFile());
    ASSERT_GT(old.size(), 2u);
    {
        CFileSizeLimit full(old.size() / 2);
        ASSERT_TRUE(full.IsSet());
        EXPECT_FALSE(Save());
    }
    EXPECT_TRUE(ReadFile(StateFile()) == old) << "the old state is kept whole";
    EXPECT_FALSE(Exists(StateFile() + ".tmp"));
    EXPECT_TRUE(HasLine(m_core->GetConsole(), "![ERROR] Error while saving state to file \"coretest.sav\" (the file "
                                              "cannot be written, the disk may be full)"));
    EXPECT_TRUE(m_core->IsActive()) << "the emulation goes on";
}

// Whether the bytes are one whole state: its first and last records.
bool IsWholeState(const Bytes& bytes) {
    const std::string name = "NUVSTATE";
    const auto head = std::search(bytes.begin(), bytes.end(), name.begin(), name.end());
    return bytes.size() > 2 * name.size() && bytes[0] == 0xF0 && head == bytes.begin() + 5 &&
           std::equal(name.begin(), name.end(), bytes.end() - static_cast<std::ptrdiff_t>(name.size())) &&
           bytes[bytes.size() - name.size() - 5] == 0xFF;
}

// A process that saves its state over and over is killed at random moments;
// each time the state file is one whole state, old or new.
TEST(EmulatorStateStandaloneTest, ASaveKilledAtAnyMomentLeavesAWholeStateFile) {
    machinetest::CProgramLocation location(false);
    const std::string file = location.ProgramFolder() + "states/coretest.sav";
    std::mt19937 random(12345);
    for (int round = 0; round < 12; ++round) {
        SCOPED_TRACE(round);
        int ready[2];
        ASSERT_EQ(0, pipe(ready));
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            close(ready[0]);
            coretest::CTestManager manager;
            emu::CEmulator core(&manager, new coretest::CCoreTestComputer(), nullptr, nullptr, nullptr);
            core.SetSynchronization(false);
            if (!core.StartThreadOrRun() || !core.Start(false, false) || !core.SaveStateToFile(common::CPath(), false))
                _exit(1);
            const char one = 1;
            if (write(ready[1], &one, 1) != 1)
                _exit(1);
            for (;;)
                core.SaveStateToFile(common::CPath(), false);
        }
        close(ready[1]);
        char got = 0;
        const bool started = read(ready[0], &got, 1) == 1;
        close(ready[0]);
        if (started)
            std::this_thread::sleep_for(std::chrono::microseconds(random() % 20000));
        kill(child, SIGKILL);
        waitpid(child, nullptr, 0);
        ASSERT_TRUE(started);
        EXPECT_TRUE(IsWholeState(ReadFile(file))) << ReadFile(file).size() << " bytes";
    }
    // The survivor loads.
    coretest::CTestManager manager;
    emu::CEmulator core(&manager, new coretest::CCoreTestComputer(), nullptr, nullptr, nullptr);
    core.SetSynchronization(false);
    ASSERT_TRUE(core.StartThreadOrRun());
    EXPECT_TRUE(core.LoadStateFromFile(common::CPath(), false));
    EXPECT_TRUE(HasLine(core.GetConsole(), "State loaded from file \"coretest.sav\""));
    core.ShutdownThread();
}
#endif

// A valid state with one change made to it.
struct CDamage {
    const char* name;
    Bytes (*make)(const Bytes& valid);
    const char* reason;
};

Bytes NotAState(const Bytes&) {
    return Bytes{'h', 'e', 'l', 'l', 'o'};
}
// Cut inside the loop's section: nothing of the machine was read yet.
Bytes CutInTheLoopSection(const Bytes& valid) {
    const std::string name = "_EMUCORE";
    auto at = std::search(valid.begin(), valid.end(), name.begin(), name.end());
    return Bytes(valid.begin(), at);
}
// Cut inside the machine part: the machine was loaded in part and says so.
Bytes CutInTheMachine(const Bytes& valid) {
    return Bytes(valid.begin(), valid.begin() + static_cast<std::ptrdiff_t>(valid.size() * 2 / 3));
}
Bytes WithoutEnd(const Bytes& valid) {
    return Bytes(valid.begin(), valid.end() - 12);
}
// A field's value byte follows its name and its type byte.
void SetFieldByte(Bytes& bytes, const std::string& name, uint8_t value) {
    auto at = std::search(bytes.begin(), bytes.end(), name.begin(), name.end());
    if (at != bytes.end())
        at[static_cast<std::ptrdiff_t>(name.size()) + 1] = value;
}
// What a maximum-speed loop writes: its loop kind and its "MAXS".
Bytes MaxSpeedLoop(const Bytes& valid) {
    Bytes bytes = valid;
    SetFieldByte(bytes, "_MAXCPU_", 1);
    SetFieldByte(bytes, "MAXS", 1);
    return bytes;
}

TEST_F(EmulatorStateThreadTest, DamagedStatesAreRefusedWithTheirReasonAndStopTheEmulation) {
    RunToDeviceBreak();
    ASSERT_TRUE(Save());
    const Bytes valid = ReadFile(StateFile());
    const CDamage cases[] = {
        {"not a state", &NotAState, "incorrect version or format"},
        {"cut in the loop section", &CutInTheLoopSection, "incorrect version or format"},
        {"cut in the machine", &CutInTheMachine, "state loaded only in part, the machine must be restarted"},
        {"no end record", &WithoutEnd, "incorrect version or format"},
        {"maximum-speed loop", &MaxSpeedLoop, "Enable \"Max CPU Speed\"!"},
    };
    for (const CDamage& damage : cases) {
        SCOPED_TRACE(damage.name);
        ASSERT_TRUE(m_core->Start(false, false));
        ASSERT_TRUE(m_core->IsActive());
        WriteFile(StateFile(), damage.make(valid));
        EXPECT_FALSE(Load());
        EXPECT_TRUE(HasLine(m_core->GetConsole(), std::string("![ERROR] Error while loading state from file "
                                                              "\"coretest.sav\" (") +
                                                      damage.reason + ")"))
            << ::testing::PrintToString(coretest::ConsoleLines(m_core->GetConsole()));
        EXPECT_FALSE(m_core->IsActive()) << "a failed load leaves the emulation stopped";
        EXPECT_TRUE(m_core->IsStateLoaded());
        m_core->SetStateLoaded(false);
    }
}

// A save killed midway leaves "<state>.tmp"; the next start removes it.
TEST(EmulatorStateStandaloneTest, TheTemporaryOfAKilledSaveGoesAtTheNextStart) {
    machinetest::CProgramLocation location(false);
    const std::string temporary = location.ProgramFolder() + "states/coretest.sav.tmp";
    std::filesystem::create_directories(location.ProgramFolder() + "states");
    std::ofstream(temporary, std::ios::binary) << "NUVSTATE";
    coretest::CTestManager manager;
    emu::CEmulator core(&manager, new coretest::CCoreTestComputer(), nullptr, nullptr, nullptr);
    EXPECT_FALSE(Exists(temporary));
}

TEST(EmulatorStateStandaloneTest, AStateInTheProgramsStatesFolderIsFoundWhenTheDataFolderHasNone) {
    machinetest::CProgramLocation location(true);
    coretest::CTestManager manager;
    auto* computer = new coretest::CCoreTestComputer();
    emu::CEmulator core(&manager, computer, nullptr, nullptr, nullptr);
    core.SetSynchronization(false);
    ASSERT_TRUE(core.StartThreadOrRun());
    ASSERT_TRUE(core.Start(true, false));
    ASSERT_TRUE(core.SaveStateToFile(common::CPath(), false));
    const std::string saved = location.DataFolder() + "states/coretest.sav";
    ASSERT_TRUE(Exists(saved)) << "the writable folder of a program-files install";
    std::filesystem::create_directories(location.ProgramFolder() + "states");
    std::filesystem::rename(saved, location.ProgramFolder() + "states/coretest.sav");
    core.SetStateLoaded(false);
    EXPECT_TRUE(core.LoadStateFromFile(common::CPath(), false));
    EXPECT_TRUE(HasLine(core.GetConsole(), "State loaded from file \"coretest.sav\""));
    core.ShutdownThread();
}

} // namespace
