// Typed text arrives whole: a line typed at the CP/M prompt at a fast human
// pace, a key every 4 frames of 1/50 s as the core's input queue delivers
// them, held under a frame (press and release together), 20 or 60 ms, or
// 100 ms past the next key's press, from start phases spread evenly over one
// frame, must appear after the prompt exactly, each character once. The long
// build sweeps 100 phases on both boot paths; the normal suite a few on the
// emulated BIOS, and presses a key between the two reads of one scan. Then
// the faults of keys that came late, chords, Russian letters and the state.
#include <gtest/gtest.h>

#include <string>

#include "KorvetScreenText.h"
#include "KorvetTestSupport.h"
#include "emu/framework/DiskTestSupport.h"
#include "emu/korvet/CKeyboard_Korvet.h"
#include "emu/korvet/CVideo_Korvet.h"

#ifndef KORVET_TYPING_LONG
#define KORVET_TYPING_LONG 0
#endif

using emu::CMachine_Korvet;
using korvettest::CKorvetRig;

namespace {

const uint64_t kSecond = 2500000;
const uint64_t kFrame = kSecond / 50;
const char kLine[] = "PACMAN BOOKKEEPER 0123456789 QUICK FOX";

std::string ScreenRow(CKorvetRig& rig, int32_t row) {
    return korvettest::ScreenRow(rig.Machine().GetVideo(), row);
}

int32_t PromptRow(CKorvetRig& rig) {
    return korvettest::PromptRow(rig.Machine().GetVideo());
}

// Boots the model from the system disk to the prompt; the state there.
korvettest::Bytes BootToPrompt(CKorvetRig& rig) {
    rig.InstallModelRom();
    EXPECT_TRUE(rig.Build());
    const korvettest::Bytes disk = korvettest::ReadFile(korvettest::SharedData() + "disks/system.kdi");
    EXPECT_TRUE(!disk.empty() && rig.Mount(0, rig.MakeImage("system.kdi", disk)));
    EXPECT_TRUE(rig.PowerOn());
    for (uint64_t run = 0; run < 15 * kSecond && PromptRow(rig) < 0; run += kSecond / 4)
        rig.Run(kSecond / 4);
    rig.Run(kSecond / 2);
    EXPECT_GE(PromptRow(rig), 0);
    return rig.Save();
}

// Types the line from `phase` cycles into a frame; the prompt row before and
// after, with the line put into the first after the prompt.
void TypeLine(CKorvetRig& rig, uint64_t phase, std::string* expected, std::string* typed) {
    rig.Run(phase);
    const int32_t row = PromptRow(rig);
    ASSERT_GE(row, 0);
    *expected = ScreenRow(rig, row);
    const size_t length = sizeof(kLine) - 1;
    expected->replace(expected->find_last_of('>') + 1, length, kLine);
    // Key i goes down at frame 4 i and up 5, 3, 0 or 1 frames later: one in
    // four held past the next key's press (unless that is the same key),
    // which comes up after it.
    static const size_t kHeldFrames[] = {5, 3, 0, 1};
    auto held = [](size_t i) { return i % 4 == 0 && kLine[i + 1] == kLine[i] ? 1 : kHeldFrames[i % 4]; };
    for (size_t frame = 0; frame <= 4 * length + 5; ++frame) {
        for (size_t i = frame >= 5 ? (frame - 5) / 4 : 0; i < length && 4 * i <= frame; ++i) {
            if (4 * i == frame)
                rig.Machine().KeyEvent(kLine[i], true);
            if (4 * i + held(i) == frame)
                rig.Machine().KeyEvent(kLine[i], false);
        }
        rig.Run(kFrame);
    }
    // A few frames more for anything that should not come.
    rig.Run(10 * kFrame);
    *typed = ScreenRow(rig, row);
}

void TypeFromPhases(uint32_t model, int phases) {
    CKorvetRig rig(model);
    const korvettest::Bytes prompt = BootToPrompt(rig);
    for (int i = 0; i < phases; ++i) {
        ASSERT_TRUE(rig.Load(prompt));
        const uint64_t phase = kFrame * static_cast<uint64_t>(i) / static_cast<uint64_t>(phases);
        std::string expected;
        std::string typed;
        TypeLine(rig, phase, &expected, &typed);
        EXPECT_EQ(typed, expected) << rig.Machine().GetName() << " phase " << phase;
    }
}

#if KORVET_TYPING_LONG
TEST(KorvetTyping, LineArrivesWholeFromEveryPhaseOnBothBootPaths) {
    TypeFromPhases(CMachine_Korvet::kModelBios, 100);
    TypeFromPhases(CMachine_Korvet::kModelKorvet20, 100);
}
#else
// Runs instruction by instruction until the BIOS has read the first half of
// the keyboard window (offset 0x07F), the start of its scan, then `cycles` more.
void RunIntoScan(CKorvetRig& rig, uint64_t cycles) {
    emu::CProcessor_I8080* cpu = rig.Machine().GetCpu();
    emu::CKeyboard_Korvet* keyboard = rig.Machine().GetKeyboard();
    keyboard->SetKeyTrace(emu::CKeyboard_Korvet::kTraceEvery);
    rig.TakeLines();
    bool started = false;
    const uint64_t end = cpu->GetCycleCount() + 2 * kFrame;
    uint64_t until = end;
    while (cpu->GetCycleCount() < until) {
        // One instruction at a time, as the debugger's step runs it.
        if (cpu->DebitCyclesToEvent(cpu->Execute(0)) <= 0)
            cpu->RunDueEvents();
        for (const std::string& line : rig.TakeLines()) {
            if (!started && line.find("[0x007F]") != std::string::npos) {
                started = true;
                until = cpu->GetCycleCount() + cycles;
            }
        }
    }
    keyboard->SetKeyTrace(emu::CKeyboard_Korvet::kTraceNever);
    ASSERT_TRUE(started);
}

TEST(KorvetTyping, LineArrivesWholeFromSeveralPhases) {
    TypeFromPhases(CMachine_Korvet::kModelBios, 4);
}

// A key that goes down between the scan's read of the first half and its read
// of the second (0x13F, 27 cycles later) waits for the next scan. Misread as a
// key of the second half, it made the BIOS type the string that its key table
// points at in the program area: with a Ctrl+C left there, CP/M warm-booted.
TEST(KorvetTyping, KeyPressedInsideAScanWaitsForTheNext) {
    CKorvetRig rig(CMachine_Korvet::kModelBios);
    const korvettest::Bytes prompt = BootToPrompt(rig);
    for (uint64_t delay : {0, 12}) {
        ASSERT_TRUE(rig.Load(prompt));
        rig.Write(0x467, 0x03);
        rig.Write(0x468, 0x00);
        const int32_t row = PromptRow(rig);
        std::string expected = ScreenRow(rig, row);
        expected[expected.find_last_of('>') + 1] = 'A';
        RunIntoScan(rig, delay);
        rig.Machine().KeyEvent('A', true);
        rig.Run(5 * kFrame);
        rig.Machine().KeyEvent('A', false);
        rig.Run(25 * kFrame);
        EXPECT_EQ(PromptRow(rig), row) << "delay " << delay;
        EXPECT_EQ(ScreenRow(rig, row), expected) << "delay " << delay;
    }
}

// The character codes after the prompt on its row, up to the first blank cell.
std::string Typed(CKorvetRig& rig, int32_t row) {
    emu::CVideo_Korvet* video = rig.Machine().GetVideo();
    std::string text;
    for (int32_t i = 3; i < emu::CVideo_Korvet::kTextColumns; ++i) {
        const int code = video->GetTextCell(row * emu::CVideo_Korvet::kTextColumns + i) & 0xFF;
        if (code == 0 || code == ' ')
            break;
        text.push_back(static_cast<char>(code));
    }
    return text;
}

struct CKeyStep {
    uint32_t key;
    bool pressed;
    int frames; // run after the event
};

void Play(CKorvetRig& rig, std::initializer_list<CKeyStep> steps) {
    for (const CKeyStep& step : steps) {
        rig.Machine().KeyEvent(step.key, step.pressed);
        rig.Run(static_cast<uint64_t>(step.frames) * kFrame);
    }
}

const uint32_t kLeftShift = 0xE0;
const uint32_t kLeftAlt = 0xE4;  // the Korvet's Russian/Latin key
const uint32_t kCapsLock = 0x14; // its lock key
const uint32_t kF6 = 0x75;
const uint32_t kF7 = 0x76;

// Keys typed faster than the BIOS scans (each down and up for 5 to 30 ms,
// the next at once, or all in one frame) wait for the scans: late, but each
// one arrives, in order.
TEST(KorvetTyping, LineTypedFasterThanTheScansArrivesWhole) {
    for (uint32_t model : {CMachine_Korvet::kModelBios, CMachine_Korvet::kModelKorvet20}) {
        CKorvetRig rig(model);
        const korvettest::Bytes prompt = BootToPrompt(rig);
        for (uint64_t tapMs : {0, 5, 10, 15, 30}) {
            ASSERT_TRUE(rig.Load(prompt));
            const int32_t row = PromptRow(rig);
            ASSERT_GE(row, 0);
            std::string expected = ScreenRow(rig, row);
            expected.replace(expected.find_last_of('>') + 1, sizeof(kLine) - 1, kLine);
            for (const char* key = kLine; *key != 0; ++key) {
                Play(rig, {{uint32_t(*key), true, 0}});
                rig.Run(tapMs * kSecond / 1000);
                Play(rig, {{uint32_t(*key), false, 0}});
                rig.Run(tapMs * kSecond / 1000);
            }
            for (uint64_t waited = 0; ScreenRow(rig, row) != expected && waited < 5 * kSecond; waited += kFrame)
                rig.Run(kFrame);
            rig.Run(10 * kFrame);
            EXPECT_EQ(expected, ScreenRow(rig, row)) << rig.Machine().GetName() << ", taps of " << tapMs << " ms";
        }
    }
}

// A script of eight command lines, 320 keys at 12 ms each, is typed far
// ahead of the prompt, across the commands' disk reads: every line arrives.
TEST(KorvetTyping, ScriptTypedAheadAcrossCommandsArrivesWhole) {
    CKorvetRig rig(CMachine_Korvet::kModelBios);
    BootToPrompt(rig);
    std::string script;
    for (char first = 'A'; first <= 'H'; ++first)
        script += first + std::string(kLine) + "\r";
    for (char key : script) {
        rig.Machine().KeyEvent(uint32_t(key), true);
        rig.Machine().KeyEvent(uint32_t(key), false);
        rig.Run(12 * kSecond / 1000);
    }
    // The screen keeps the last five lines, each followed by CP/M's "PACMAN?".
    auto lastLineShown = [&rig]() {
        const int32_t row = PromptRow(rig);
        return row >= 3 && ScreenRow(rig, row - 3).find("HPACMAN") != std::string::npos;
    };
    for (uint64_t waited = 0; waited < 30 * kSecond && !lastLineShown(); waited += kSecond)
        rig.Run(kSecond);
    const int32_t last = PromptRow(rig);
    ASSERT_GE(last, 15);
    for (int32_t line = 0; line < 5; ++line) {
        const std::string row = ScreenRow(rig, last - 3 * (5 - line));
        EXPECT_EQ(row.substr(0, 3 + sizeof(kLine)), std::string("A>>") + char('D' + line) + kLine) << row;
    }
}

// A tap before the program first reads the keyboard is gone by then, as on
// the machine: the Korvet 2.0 ROM reads it only when CP/M is up, seconds on.
TEST(KorvetTyping, TapDuringBootIsNotSeenByTheFirstScan) {
    CKorvetRig rig(CMachine_Korvet::kModelKorvet20);
    rig.InstallModelRom();
    ASSERT_TRUE(rig.Build());
    const korvettest::Bytes disk = korvettest::ReadFile(korvettest::SharedData() + "disks/system.kdi");
    ASSERT_TRUE(rig.Mount(0, rig.MakeImage("system.kdi", disk)));
    ASSERT_TRUE(rig.PowerOn());
    rig.Machine().GetKeyboard()->SetKeyTrace(emu::CKeyboard_Korvet::kTraceNonZero);
    rig.Run(2 * kFrame);
    Play(rig, {{'A', true, 3}, {'A', false, 0}});
    rig.TakeLines();
    for (uint64_t run = 0; run < 12 * kSecond && PromptRow(rig) < 0; run += kSecond / 4)
        rig.Run(kSecond / 4);
    EXPECT_GE(PromptRow(rig), 0);
    EXPECT_EQ(0u, rig.TakeLines().size()) << "a read saw the key";
}

// A program that reads one row without pause sees Space go down within a
// frame of the host's press and come up within a frame of its release.
// Runs `program` at 0100h in map 7 (RAM below, the keyboard window at F800h)
// in place of the BIOS at its prompt.
template <size_t N> void RunInsteadOfTheBios(CKorvetRig& rig, const uint8_t (&program)[N]) {
    for (size_t i = 0; i < N; ++i)
        rig.Ram()[0x100 + i] = program[i];
    emu::CProcessor_I8080* cpu = rig.Machine().GetCpu();
    while (cpu->GetPaidCycles() != 0) // the instruction the slice deferred
        cpu->DebitCyclesToEvent(cpu->Execute(0));
    rig.Machine().SelectMemoryMap(7 << 2);
    cpu->SetPC(0x100);
}

TEST(KorvetTyping, TightLoopReaderSeesPressAndReleaseWithinAFrame) {
    CKorvetRig rig(CMachine_Korvet::kModelBios);
    BootToPrompt(rig);
    // DI; loop: LDA F840h (row 6); STA 0200h; JMP loop
    RunInsteadOfTheBios(rig, {0xF3, 0x3A, 0x40, 0xF8, 0x32, 0x00, 0x02, 0xC3, 0x01, 0x01});
    uint8_t& seen = rig.Ram()[0x200];
    rig.Run(3 * kFrame);
    ASSERT_EQ(0x00, seen);
    const uint64_t kStep = 500;
    for (const bool pressed : {true, false}) {
        rig.Machine().KeyEvent(' ', pressed);
        uint64_t waited = 0;
        while (waited <= 2 * kFrame && seen != (pressed ? 0x80 : 0x00)) {
            rig.Run(kStep);
            waited += kStep;
        }
        EXPECT_LE(waited, kFrame) << (pressed ? "press" : "release");
        rig.Run(6 * kFrame - waited); // Space held 120 ms
    }
}

// Shift tapped while a key stays held (a game's arrow, say): a program that
// reads the modifier row without pause sees Shift come up within a frame.
TEST(KorvetTyping, ModifierTappedWhileAKeyIsHeldComesUpAtOnce) {
    CKorvetRig rig(CMachine_Korvet::kModelBios);
    BootToPrompt(rig);
    // DI; loop: LDA F880h (row 7); STA 0200h; JMP loop
    RunInsteadOfTheBios(rig, {0xF3, 0x3A, 0x80, 0xF8, 0x32, 0x00, 0x02, 0xC3, 0x01, 0x01});
    uint8_t& seen = rig.Ram()[0x200];
    Play(rig, {{'A', true, 10}, {kLeftShift, true, 5}});
    ASSERT_EQ(0x01, seen);
    rig.Machine().KeyEvent(kLeftShift, false);
    uint64_t waited = 0;
    for (; waited <= 20 * kFrame && seen != 0; waited += 500)
        rig.Run(500);
    EXPECT_LE(waited, kFrame);
}

// A program that stops reading for 0.6 s: Space tapped early in the pause is
// not seen when it reads again, Enter pressed then and still held is.
TEST(KorvetTyping, TapWhileTheProgramDoesNotReadIsNotSeenLater) {
    CKorvetRig rig(CMachine_Korvet::kModelBios);
    BootToPrompt(rig);
    // DI; LXI B,FFFFh; spin: DCX B; MOV A,B; ORA C; JNZ spin;
    // loop: LDA F840h (row 6); LXI H,0200h; ORA M; MOV M,A; JMP loop
    RunInsteadOfTheBios(rig, {0xF3, 0x01, 0xFF, 0xFF, 0x0B, 0x78, 0xB1, 0xC2, 0x04, 0x01, 0x3A,
                              0x40, 0xF8, 0x21, 0x00, 0x02, 0xB6, 0x77, 0xC3, 0x0A, 0x01});
    rig.Ram()[0x200] = 0;
    rig.Run(5 * kFrame);
    Play(rig, {{' ', true, 3}, {' ', false, 2}, {'\r', true, 50}});
    EXPECT_EQ(0x01, rig.Ram()[0x200]);
}

// Shift and a key as a quick chord sends them, Shift up first, split over
// the frames every way: the letter comes out small each time.
TEST(KorvetTyping, ChordArrivesWholeWhateverTheFrameSplit) {
    CKorvetRig rig(CMachine_Korvet::kModelBios);
    BootToPrompt(rig);
    const int32_t row = PromptRow(rig);
    ASSERT_GE(row, 0);
    for (int split = 0; split < 8; ++split) {
        Play(rig, {{kLeftShift, true, split & 1},
                   {'A', true, (split >> 1) & 1},
                   {kLeftShift, false, (split >> 2) & 1},
                   {'A', false, 4}});
    }
    rig.Run(10 * kFrame);
    EXPECT_EQ("aaaaaaaa", Typed(rig, row));
}

// A tap still waiting for the next scan is part of the state: loaded, it
// types its letter as it would have, and the state saves back the same.
TEST(KorvetTyping, WaitingTapSurvivesASaveAndLoad) {
    CKorvetRig rig(CMachine_Korvet::kModelBios);
    BootToPrompt(rig);
    const int32_t row = PromptRow(rig);
    ASSERT_GE(row, 0);
    Play(rig, {{'Q', true, 0}, {'Q', false, 0}});
    const korvettest::Bytes waiting = rig.Save();
    rig.Run(10 * kFrame);
    const std::string typed = Typed(rig, row);
    EXPECT_EQ("Q", typed);
    ASSERT_TRUE(rig.Load(waiting));
    EXPECT_EQ(waiting, rig.Save());
    rig.Run(10 * kFrame);
    EXPECT_EQ(typed, Typed(rig, row));
}

// Keys typed ahead and still waiting in a state arrive after a load, and as
// soon, when the state's countdown to the next event was set to its largest
// value: no save writes one past the nearest event, and the machine neither
// falls silent for it nor runs otherwise than from the unchanged state.
TEST(KorvetTyping, WaitingKeysArriveWhateverCountdownTheStateHolds) {
    CKorvetRig rig(CMachine_Korvet::kModelBios);
    BootToPrompt(rig);
    const int32_t row = PromptRow(rig);
    ASSERT_GE(row, 0);
    for (const char* key = "BCDEFGHIJK"; *key != 0; ++key)
        Play(rig, {{uint32_t(*key), true, 0}, {uint32_t(*key), false, 0}});
    rig.Run(kFrame + 777);
    const korvettest::Bytes waiting = rig.Save();
    korvettest::Bytes silencing = waiting;
    ASSERT_TRUE(disktest::PatchField(silencing, "CBEVT", disktest::LittleEndian(0x7FFFFFFF, 4)));
    ASSERT_TRUE(rig.Load(waiting));
    rig.Run(2 * kSecond);
    EXPECT_EQ("BCDEFGHIJK", Typed(rig, row));
    const korvettest::Bytes after = rig.Save();
    ASSERT_TRUE(rig.Load(silencing));
    rig.Run(2 * kSecond);
    EXPECT_EQ("BCDEFGHIJK", Typed(rig, row));
    EXPECT_EQ(machinetest::FirstDifference(rig.Save(), after), "none");
}

// Shift chords as a script sends them, Shift up before the letter, each
// chord 3 ms long, come out small one after another; also as a busy host
// passes them on, where a Shift release read after the next press is dropped
// (every other chord's) and four chords land in one frame.
TEST(KorvetTyping, ChordsAtMachineSpeedKeepTheirShift) {
    CKorvetRig rig(CMachine_Korvet::kModelBios);
    const korvettest::Bytes prompt = BootToPrompt(rig);
    for (const bool busyHost : {false, true}) {
        ASSERT_TRUE(rig.Load(prompt));
        const int32_t row = PromptRow(rig);
        ASSERT_GE(row, 0);
        for (char letter = 'A'; letter <= 'J'; ++letter) {
            const bool dropRelease = busyHost && (letter & 1) != 0;
            for (const CKeyStep& step :
                 {CKeyStep{kLeftShift, true, 0}, CKeyStep{uint32_t(letter), true, 0},
                  CKeyStep{dropRelease ? 0u : kLeftShift, false, 0}, CKeyStep{uint32_t(letter), false, 0}}) {
                if (step.key != 0)
                    rig.Machine().KeyEvent(step.key, step.pressed);
                if (!busyHost)
                    rig.Run(kSecond / 1000);
            }
            if (busyHost && (letter - 'A') % 4 == 3)
                rig.Run(kFrame);
        }
        rig.Run(50 * kFrame);
        EXPECT_EQ("abcdefghij", Typed(rig, row)) << (busyHost ? "busy host" : "every event 1 ms apart");
    }
}

// Russian letters at the CP/M prompt: with the Korvet's Russian/Latin key
// (left Alt) held, with it and the lock key latched, and back to Latin; F6
// and F7 give ^ and _, and Ch and the hard sign in Russian.
TEST(KorvetTyping, RussianLettersWhileHeldAndLatched) {
    CKorvetRig rig(CMachine_Korvet::kModelBios);
    BootToPrompt(rig);
    const int32_t row = PromptRow(rig);
    ASSERT_GE(row, 0);
    auto tap = [&](uint32_t key) { Play(rig, {{key, true, 2}, {key, false, 3}}); };
    auto latch = [&]() {
        Play(rig, {{kLeftAlt, true, 2}, {kCapsLock, true, 2}, {kCapsLock, false, 2}, {kLeftAlt, false, 3}});
    };
    Play(rig, {{kLeftAlt, true, 2}});
    for (uint32_t key : {uint32_t('A'), uint32_t('B'), uint32_t('C'), kF6, kF7})
        tap(key);
    Play(rig, {{kLeftAlt, false, 3}});
    for (uint32_t key : {uint32_t('A'), kF6, kF7})
        tap(key);
    latch();
    for (uint32_t key : {'A', 'B', 'C'})
        tap(key);
    latch();
    tap('A');
    rig.Run(10 * kFrame);
    // Russian capitals in the upper half of the 8-bit set: A, B, Ts, Ch, the hard sign.
    EXPECT_EQ("\xE1\xE2\xE3\xFE\xFF"
              "A^_"
              "\xE1\xE2\xE3"
              "A",
              Typed(rig, row));
}
#endif

} // namespace
