// Through the emulator core's own run loop, state file and load: a Korvet
// stopped at a frame end (mid-boot with the floppy busy, in the ROM's memory
// test, with a key held) or inside a slice at a device's break, saved, and
// loaded into a fresh core runs on ten emulated seconds exactly as the core
// that saved it.
#include <atomic>
#include <chrono>
#include <string>
#include <thread>

#include "CoreTestSupport.h"
#include "common/CMemoryStream.h"
#include "common/CPath.h"
#include "emu/chips/CDiskController_WD179X.h"
#include "emu/framework/CMediaSlot.h"
#include "emu/framework/CProcessor.h"
#include "emu/korvet/KorvetTestSupport.h"

namespace {

using coretest::Bytes;
using emu::CMachine_Korvet;
using machinetest::FirstDifference;

constexpr uint64_t kSecond = 2500000;
constexpr uint64_t kRunOn = 10 * kSecond;
constexpr int kStatusRegister = 3;

// The front end's wait callback, once per frame end on the emulation thread:
// at the first frame end at or past the target cycle it asks for a break, as
// a device does, so that both runs stop at the same point of their timeline.
std::atomic<emu::CEmulator*> s_core{nullptr};
std::atomic<uint64_t> s_target{0};

bool AtFrameEnd(uint32_t /*timeoutMs*/) {
    emu::CEmulator* core = s_core.load();
    const uint64_t target = s_target.load();
    if (core != nullptr && target != 0 && core->GetMachine()->GetProcessor(0)->GetCycleCount() >= target) {
        s_target = 0;
        emu::CEmulator::BreakRequestCallback(core, nullptr, nullptr, 0);
    }
    return true;
}

struct CInstant {
    uint32_t model;
    uint64_t at; // cycles after power-on, rounded up to a frame end
    int32_t key; // held from a second before the save, 0 for none
    // Instead of at a frame end, stop at the floppy controller's first STATUS
    // read after `at`, inside a slice, the instruction waiting to run again.
    bool statusBreak;
};

class EmulatorContinuityTest : public ::testing::Test {
protected:
    void SetUp() override { m_location = std::make_unique<machinetest::CProgramLocation>(false); }
    void TearDown() override {
        DeleteCore();
        m_location.reset();
    }

    void MakeCore(uint32_t model, bool mount = true) {
        m_core = new emu::CEmulator(&m_manager, CMachine_Korvet::CreateModel(model), nullptr,
                                    new korvettest::CSilentSoundOutput(), nullptr);
        m_core->SetSynchronization(false);
        m_core->SetWaitCallback(&AtFrameEnd);
        s_core = m_core;
        ASSERT_TRUE(m_core->StartThreadOrRun());
        if (!mount)
            return;
        m_core->ExecuteConsoleCommand(common::CNarrowString(("mount fdd \"" + m_image + "\"").c_str()));
        ASSERT_TRUE(m_core->GetDrive(0) != nullptr && m_core->GetDrive(0)->IsOpen())
            << coretest::LastLine(m_core->GetConsole());
    }
    void DeleteCore() {
        s_core = nullptr;
        if (m_core == nullptr)
            return;
        m_core->ShutdownThread();
        delete m_core;
        m_core = nullptr;
    }
    uint64_t Cycles() { return m_core->GetMachine()->GetProcessor(0)->GetCycleCount(); }
    // Runs (from a break, or from power-on) to the first frame end at or past `target`.
    void RunUntil(uint64_t target, bool start) {
        s_target = target;
        if (start)
            ASSERT_TRUE(m_core->Start(false, false));
        else
            m_core->Resume();
        WaitForBreak();
    }
    void WaitForBreak() {
        const auto limit = std::chrono::steady_clock::now() + std::chrono::minutes(5);
        while (!(m_core->IsInBreak() && m_core->IsParked()) && std::chrono::steady_clock::now() < limit)
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        ASSERT_TRUE(m_core->IsInBreak() && m_core->IsParked());
    }
    // With the break flag still set: the read that broke goes through once,
    // the next one breaks; then the flag is cleared. The state there.
    Bytes RunToNextStatusBreak(const CInstant& c) {
        if (!c.statusBreak)
            return Bytes();
        s_target = Cycles() + kRunOn;
        m_core->Resume();
        WaitForBreak();
        Korvet()->GetFdc()->GetBreakReadFlags()[kStatusRegister] = false;
        return Save();
    }
    Bytes Ram() {
        emu::CMemory* memory = m_core->GetMachine()->GetMemoryService();
        return Bytes(memory->GetRamBase(), memory->GetRamBase() + memory->GetSize());
    }
    CMachine_Korvet* Korvet() { return static_cast<CMachine_Korvet*>(m_core->GetMachine()); }
    // The whole state through the core; the drives' activity lamps are no
    // machine state (a restored slot lights its read lamp).
    Bytes Save() {
        m_core->GetMachine()->GetDrivesService()->ClearActivity();
        common::CMemoryStream stream;
        stream.Create(0, -1);
        EXPECT_TRUE(m_core->SaveStateToStream(&stream, false));
        return Bytes(stream.GetBuffer(), stream.GetBuffer() + stream.GetSize());
    }

    void CheckContinuity(const CInstant& c) {
        SCOPED_TRACE("model " + std::to_string(c.model) + " at " + std::to_string(c.at) + " cycles, key " +
                     std::to_string(c.key));
        static const char* const kRoms[] = {nullptr, "korvet11.rom", "korvet20.rom", "kontur.rom"};
        if (kRoms[c.model] != nullptr)
            coretest::WriteFile(m_location->ProgramFolder() + kRoms[c.model],
                                coretest::ReadFile(std::string(KORVET_SHARED_DATA) + "/roms/" + kRoms[c.model]));
        m_image = m_location->Base() + "disks/system.kdi";
        korvettest::WriteFile(m_image, coretest::ReadFile(std::string(KORVET_SHARED_DATA) + "/disks/system.kdi"));

        MakeCore(c.model);
        if (c.key != 0) {
            RunUntil(c.at - kSecond, true);
            // Posted while the machine runs with the console hidden, so that it
            // goes through the input queue and reaches the machine at a frame
            // end; in a break the core drops it, and a shown console takes it.
            s_target = c.at;
            m_core->ShowConsole(false, false);
            m_core->Resume();
            ASSERT_TRUE(m_core->PostKeyEvent(c.key, true));
            WaitForBreak();
            ASSERT_TRUE(m_core->GetMachine()->GetKeysService()->IsKeyDown(static_cast<uint8_t>(c.key)))
                << "the key is held in the saved state";
        } else {
            RunUntil(c.at, true);
        }
        if (c.statusBreak) {
            bool* breakRead = Korvet()->GetFdc()->GetBreakReadFlags();
            breakRead[kStatusRegister] = true;
            const uint64_t before = Cycles();
            m_core->Resume();
            WaitForBreak();
            ASSERT_GT(Cycles(), before);
        }
        Bytes saved;
        {
            m_core->GetMachine()->GetDrivesService()->ClearActivity();
            ASSERT_TRUE(m_core->SaveStateToFile(common::CPath(), false));
            saved = coretest::ReadFile(StateFile(c.model));
        }
        // A load lets every key go at the first frame end; the saving run's
        // host does the same here, so that both runs go on alike.
        if (c.key != 0)
            m_core->ResetInputQueue();
        const Bytes image = coretest::ReadFile(m_image);
        const Bytes atNextBreak = RunToNextStatusBreak(c);
        RunUntil(Cycles() + kRunOn, false);
        const Bytes after = Save();
        DeleteCore();

        coretest::WriteFile(m_image, image);
        MakeCore(c.model);
        ASSERT_TRUE(m_core->Start(true, false));
        Korvet()->GetFdc()->GetBreakReadFlags()[kStatusRegister] = c.statusBreak;
        ASSERT_TRUE(m_core->LoadStateFromFile(common::CPath(), false));
        ASSERT_TRUE(m_core->IsInBreak());
        EXPECT_EQ(FirstDifference(Save(), saved), "none") << "saved again at once";
        EXPECT_EQ(FirstDifference(RunToNextStatusBreak(c), atNextBreak), "none")
            << "the STATUS read that broke runs once, then the next one breaks";
        RunUntil(Cycles() + kRunOn, false);
        EXPECT_EQ(FirstDifference(Save(), after), "none") << "ten seconds on";
        DeleteCore();
    }
    std::string StateFile(uint32_t model) const {
        static const char* const kNames[] = {"korvet", "korvet11", "korvet20", "kontur20"};
        return m_location->ProgramFolder() + "states/" + kNames[model] + ".sav";
    }

    std::unique_ptr<machinetest::CProgramLocation> m_location;
    coretest::CTestManager m_manager;
    emu::CEmulator* m_core = nullptr;
    std::string m_image;
};

#ifndef KORVET_CONTINUITY_LONG
// A Korvet 2.0 state file written before the run loop kept its re-entry guard
// and the chips their new fields ("_EMUCORE" revision 1, the timer channels'
// and the floppy controller's records at version 0), stopped at a frame end
// three seconds after power-on without a disk: it loads, and the machine runs
// on as one that ran there from power-on.
TEST_F(EmulatorContinuityTest, AStateFileOfTheEarlierFormatStillLoads) {
    constexpr uint64_t kSaved = 7550000;
    coretest::WriteFile(m_location->ProgramFolder() + "korvet20.rom",
                        coretest::ReadFile(std::string(KORVET_SHARED_DATA) + "/roms/korvet20.rom"));
    const Bytes old = coretest::ReadFile(std::string(KORVET_TEST_DATA_DIR) + "korvet20-core-v1.sav");
    ASSERT_FALSE(old.empty());
    korvettest::WriteFile(StateFile(CMachine_Korvet::kModelKorvet20), old);
    MakeCore(CMachine_Korvet::kModelKorvet20, false);
    ASSERT_TRUE(m_core->Start(true, false));
    ASSERT_TRUE(m_core->LoadStateFromFile(common::CPath(), false));
    EXPECT_TRUE(coretest::HasLine(m_core->GetConsole(), "State loaded from file \"korvet20.sav\""));
    ASSERT_EQ(Cycles(), kSaved);
    RunUntil(kSaved + kSecond, false);
    const uint64_t loadedAt = Cycles();
    const Bytes loaded = Ram();
    DeleteCore();

    MakeCore(CMachine_Korvet::kModelKorvet20, false);
    RunUntil(kSaved + kSecond, true);
    EXPECT_EQ(Cycles(), loadedAt);
    EXPECT_TRUE(Ram() == loaded) << "the old state's machine runs as the original";
}
#endif

#ifdef KORVET_CONTINUITY_LONG
// Every model: mid-boot with the floppy busy, at the prompt, with a key held,
// and inside a slice at a STATUS read of the booting floppy.
TEST_F(EmulatorContinuityTest, EveryModelRunsOnInTheCoreFromALoadedStateAsTheRunThatSavedIt) {
    const CInstant instants[] = {
        {CMachine_Korvet::kModelBios, kSecond / 2 + 777, 0, false},
        {CMachine_Korvet::kModelBios, 4 * kSecond, 'A', false},
        {CMachine_Korvet::kModelKorvet11, 9 * kSecond + kSecond / 2, 0, false},
        {CMachine_Korvet::kModelKorvet11, 13 * kSecond, 'A', false},
        {CMachine_Korvet::kModelKorvet20, 8 * kSecond + kSecond / 2, 0, false},
        {CMachine_Korvet::kModelKorvet20, 16 * kSecond, 'A', false},
        {CMachine_Korvet::kModelKontur20, 10 * kSecond + kSecond / 2, 0, false},
        {CMachine_Korvet::kModelKontur20, 20 * kSecond, 'A', false},
        {CMachine_Korvet::kModelBios, kSecond / 4, 0, true},
        {CMachine_Korvet::kModelKorvet11, 9 * kSecond + kSecond / 2, 0, true},
        {CMachine_Korvet::kModelKorvet20, 8 * kSecond + kSecond / 2, 0, true},
        {CMachine_Korvet::kModelKontur20, 10 * kSecond + kSecond / 2, 0, true},
    };
    for (const CInstant& instant : instants)
        CheckContinuity(instant);
}
#else
TEST_F(EmulatorContinuityTest, ALoadedStateRunsOnInTheCoreAsTheRunThatSavedIt) {
    const CInstant instants[] = {
        {CMachine_Korvet::kModelBios, kSecond / 2 + 777, 0, false},
        {CMachine_Korvet::kModelKorvet20, 2 * kSecond + 12345, 0, false},
        {CMachine_Korvet::kModelBios, 2 * kSecond, 'A', false},
        {CMachine_Korvet::kModelBios, kSecond / 4, 0, true},
    };
    for (const CInstant& instant : instants)
        CheckContinuity(instant);
}
#endif

} // namespace
