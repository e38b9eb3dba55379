// A state saved at any moment and loaded into a fresh machine of the same
// model runs on exactly as the machine that saved it: after ten emulated
// seconds both save the same bytes. The instants: mid-boot with the floppy
// busy, at the prompt, with a key held; none on a frame or slice boundary.
// A state written before the sound block was kept still loads.
#include <string>

#include "KorvetTestSupport.h"

namespace {

using machinetest::FirstDifference;
using emu::CMachine_Korvet;
using korvettest::Bytes;
using korvettest::CKorvetRig;

constexpr uint64_t kSecond = 2500000;
constexpr uint64_t kRunOn = 10 * kSecond;

// Slices as the run loop cuts them, at the next event, the last one ending
// at `target` so that the save falls inside what would be a slice.
void RunTo(CKorvetRig& rig, uint64_t target) {
    emu::CProcessor_I8080* cpu = rig.Machine().GetCpu();
    while (cpu->GetCycleCount() < target) {
        const int32_t counter = cpu->GetCyclesToEvent();
        const uint64_t left = target - cpu->GetCycleCount();
        const int32_t budget = static_cast<uint64_t>(counter) < left ? counter : static_cast<int32_t>(left);
        if (cpu->DebitCyclesToEvent(cpu->Execute(budget)) <= 0)
            cpu->RunDueEvents();
    }
}

struct CInstant {
    uint32_t model;
    uint64_t at;     // cycles after power-on
    int32_t key;     // held from kKeyLead before the save, 0 for none
    bool diskBusy;   // the floppy was active in the quarter second before the save
};

constexpr uint64_t kKeyLead = kSecond / 5 + 321;

void CheckContinuity(const CInstant& c) {
    SCOPED_TRACE("model " + std::to_string(c.model) + " at " + std::to_string(c.at) + " cycles, key " +
                 std::to_string(c.key));
    Bytes saved;
    Bytes image;
    Bytes after;
    std::string path;
    {
        CKorvetRig a(c.model);
        a.InstallModelRom();
        path = a.MakeImage("system.kdi", korvettest::ReadFile(korvettest::SharedData() + "disks/system.kdi"));
        ASSERT_TRUE(a.Build());
        ASSERT_TRUE(a.Mount(0, path));
        ASSERT_TRUE(a.PowerOn());
        if (c.key != 0) {
            RunTo(a, c.at - kKeyLead);
            a.Machine().KeyEvent(c.key, true);
        }
        RunTo(a, c.at - kSecond / 4);
        a.Machine().GetDrivesService()->ClearActivity();
        RunTo(a, c.at);
        EXPECT_EQ(a.Machine().GetDrivesService()->IsAnyActive(), c.diskBusy);
        saved = a.Save();
        image = korvettest::ReadFile(path);
        RunTo(a, a.Machine().GetCpu()->GetCycleCount() + kRunOn);
        after = a.Save();
    }
    // Each machine stands alone, as in the program: the processor's fast
    // paths are process-wide. The image is as it was at the save.
    CKorvetRig b(c.model);
    b.InstallModelRom();
    korvettest::WriteFile(path, image);
    ASSERT_TRUE(b.Build());
    ASSERT_TRUE(b.Mount(0, path));
    ASSERT_TRUE(b.PowerOn());
    ASSERT_TRUE(b.Load(saved));
    EXPECT_EQ(FirstDifference(b.Save(), saved), "none") << "saved again at once";
    RunTo(b, b.Machine().GetCpu()->GetCycleCount() + kRunOn);
    EXPECT_EQ(FirstDifference(b.Save(), after), "none") << "ten seconds on";
}

#ifdef KORVET_CONTINUITY_LONG
// Every model at each kind of instant.
TEST(KorvetContinuity, EveryModelRunsOnFromALoadedStateAsTheRunThatSavedIt) {
    const CInstant instants[] = {
        {CMachine_Korvet::kModelBios, kSecond / 2 + 777, 0, true},
        {CMachine_Korvet::kModelBios, 3 * kSecond + 12345, 0, false},
        {CMachine_Korvet::kModelBios, 4 * kSecond + 12345, 'A', false},
        {CMachine_Korvet::kModelKorvet11, 9 * kSecond + kSecond / 2 + 777, 0, true},
        {CMachine_Korvet::kModelKorvet11, 12 * kSecond + 12345, 0, false},
        {CMachine_Korvet::kModelKorvet11, 13 * kSecond + 12345, 'A', false},
        {CMachine_Korvet::kModelKorvet20, 8 * kSecond + kSecond / 2 + 777, 0, true},
        {CMachine_Korvet::kModelKorvet20, 15 * kSecond + 12345, 0, false},
        {CMachine_Korvet::kModelKorvet20, 16 * kSecond + 12345, 'A', false},
        {CMachine_Korvet::kModelKontur20, 10 * kSecond + kSecond / 2 + 777, 0, true},
        {CMachine_Korvet::kModelKontur20, 13 * kSecond + 12345, 0, false},
        {CMachine_Korvet::kModelKontur20, 20 * kSecond + 777, 'A', false},
    };
    for (const CInstant& instant : instants)
        CheckContinuity(instant);
}
#else
// One instant of each kind, on the models that reach them soonest, and the
// Korvet 2.0 in its memory test.
TEST(KorvetContinuity, ALoadedStateRunsOnAsTheRunThatSavedIt) {
    const CInstant instants[] = {
        {CMachine_Korvet::kModelBios, kSecond / 2 + 777, 0, true},
        {CMachine_Korvet::kModelBios, 2 * kSecond + 777, 'A', false},
        {CMachine_Korvet::kModelKorvet20, 2 * kSecond + 12345, 0, false},
    };
    for (const CInstant& instant : instants)
        CheckContinuity(instant);
}

// Two machines of one process side by side, taking turns every frame: the
// loaded one runs as the one that saved, though the processors' direct
// memory paths are shared by the process. The Korvet 2.0 without a disk, from
// its memory test through its search for one (the not-ready blink).
TEST(KorvetContinuity, ALoadedMachineRunsAsTheSavingOneBesideIt) {
    CKorvetRig a(CMachine_Korvet::kModelKorvet20);
    CKorvetRig b(CMachine_Korvet::kModelKorvet20);
    a.InstallModelRom();
    ASSERT_TRUE(a.BuildAndPowerOn());
    RunTo(a, 5 * kSecond);
    ASSERT_TRUE(b.BuildAndPowerOn());
    ASSERT_TRUE(b.Load(a.Save()));
    for (uint64_t at = 5 * kSecond; at < 5 * kSecond + kRunOn; at += kSecond / 50 + 7) {
        RunTo(a, at);
        RunTo(b, at);
    }
    EXPECT_EQ(FirstDifference(b.Save(), a.Save()), "none");
}

// A Korvet 2.0 state of the format before the timer kept its sound block and
// the floppy controller its blink count (both records at version 0), saved
// 1.5 s after power-on without a disk: it loads, and the machine runs on as
// one that ran there from power-on.
TEST(KorvetContinuity, AStateOfTheEarlierFormatStillLoads) {
    const Bytes old = korvettest::ReadFile(std::string(KORVET_TEST_DATA_DIR) + "korvet20-state-v0.sav");
    ASSERT_FALSE(old.empty());
    Bytes fresh;
    uint64_t at = 0;
    {
        CKorvetRig a(CMachine_Korvet::kModelKorvet20);
        a.InstallModelRom();
        ASSERT_TRUE(a.BuildAndPowerOn());
        ASSERT_TRUE(a.Load(old));
        at = a.Machine().GetCpu()->GetCycleCount();
        EXPECT_EQ(at, 3750352u);
        RunTo(a, at + kSecond);
        fresh = Bytes(a.Ram(), a.Ram() + 0x10000);
    }
    CKorvetRig b(CMachine_Korvet::kModelKorvet20);
    b.InstallModelRom();
    ASSERT_TRUE(b.BuildAndPowerOn());
    b.Run(3750333);
    ASSERT_EQ(b.Machine().GetCpu()->GetCycleCount(), at);
    RunTo(b, at + kSecond);
    EXPECT_TRUE(Bytes(b.Ram(), b.Ram() + 0x10000) == fresh) << "the old state's machine runs as the original";
}
#endif

} // namespace
