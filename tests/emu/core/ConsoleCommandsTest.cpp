// The debugger console's command language on an emulated computer whose thread
// runs: the interpreter's frame (splitting, parameter counts, messages, the
// centred banner, the pause), each command's texts and errors, run control
// on a real 8080, disk mounting, and the hot keys arriving through the core.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "ConsoleTestSupport.h"
#include "common/CNarrowString.h"
#include "common/CStringList.h"
#include "common/KeyCodes.h"
#include "emu/framework/CDrivesInterface.h"
#include "emu/framework/CMediaSlot.h"

using consoletest::CConsoleCore;
using consoletest::CConsoleMachine;
using Lines = std::vector<std::string>;

namespace {

const char* const kNotActive = "Error: Emulation should be active to execute this command";
const char* const kActive = "Error: Emulation should NOT be active to execute this command";
const char* const kTooMany = "Error: Too many parameters";

const Lines& HelpText() {
    static const Lines s_lines = {
        "Commands:",
        "  HELP (or H) - List of commands and keys",
        "  CLS      - Clear console",
        "  START    - Start/continue emulation and switch to emulation window             F5",
        "  GO       - Start/continue emulation and stay in console window                 Ctrl+F5",
        "             When starting emulation, break on the first CPU instruction.",
        "  BREAK    - Break emulation and switch to console window                        Ctrl+F12",
        "  DASM     - Disassemble current CPU instruction",
        "  CPU      - Show CPU state (registers, cycles etc.) ",
        "  STEP         (or S)   - Execute one CPU instruction                            F7",
        "  STEPOVER     (or SO)  - Execute until next CPU instruction (if can reach it)   F8",
        "  STEPOVEROVER (or SOO) - Execute until next CPU instruction (force it always)   Shift+F8",
        "  SAVE     - Save emulation state to file                                        F11",
        "  LOAD     - Load emulation state from file                                      F12",
        "Keys:",
        "  Up/Down              - Move one line up/down in console text",
        "  PageUp/PageDown      - Move one page up/down in console text",
        "  Ctrl+PageUp/PageDown - Move to first/last line in console text",
        "  Left/Right           - Move cursor by one symbol left/right in command line",
        "  Home/End             - Move cursor to first/last symbol in command line",
        "  Backspace            - Remove one symbol before cursor in command line",
        "  Delete               - Delete one symbol at cursor in command line",
        "  Escape               - Clear all text in command line",
        "  Enter                - Execute command in command line",
    };
    return s_lines;
}

std::string Last(const Lines& lines) {
    return lines.empty() ? "<none>" : lines.back();
}

// ---- the frame, with the machine powered off ----

TEST(ConsoleCommandsTest, FrameMessagesWhilePoweredOff) {
    CConsoleCore core(new CConsoleMachine());
    struct CCase {
        const char* line;
        Lines output;
    };
    const CCase cases[] = {
        {"help a b c", {kTooMany}},
        {"xyz 1 2 3", {kTooMany}},
        {"xyz", {"Unknown command: XYZ"}},
        {"Step1", {"Unknown command: STEP1"}},
        {"5 step", {"Unknown command: 5 step"}},
        {"\"help\"", {"Unknown command: \"help\""}},
        {".", {"Unknown command: ."}},
        {"load-x", {"Error: Illegal symbol at position 4"}},
        {"-", {"Error: Illegal symbol at position 0"}},
        {"info", {"Version: Release (with internal debugger support)"}},
        {"info 7", {"Version: Release (with internal debugger support)"}},
        {"INFO a, b", {kTooMany}}, // the comma counts as a parameter
        {"dasm", {kNotActive}},
        {"dasm 1", {kTooMany}},
        {"cpu", {kNotActive}},
        {"cpu 1", {kNotActive}}, // the state is tested first
        {"step", {kNotActive}},
        {"s 1", {kTooMany}},
        {"so", {kNotActive}},
        {"stepover", {kNotActive}},
        {"soo", {kNotActive}},
        {"stepoverover", {kNotActive}},
        {"save", {kNotActive}},
        {"break", {}},
        {"break 1", {kTooMany}},
        {"start 1", {kTooMany}},
        {"go x", {kTooMany}},
        {"load 1", {kTooMany}},
        {"mount", {"Error: Fewer parameters than needed"}},
        {"m", {"Error: Fewer parameters than needed"}},
    };
    for (const CCase& c : cases) {
        EXPECT_EQ(c.output, core.Run(c.line)) << c.line;
        EXPECT_EQ(0, core.m_core.GetPauseCount()) << c.line << ": the pause is always released";
    }
    EXPECT_FALSE(core.m_core.IsActive()) << "no command above powers the machine on";
}

TEST(ConsoleCommandsTest, LinesLongerThanATokenCanMeasureAreRefused) {
    CConsoleCore core(new CConsoleMachine());
    const std::string longest(0xFFFF, 'q');
    EXPECT_EQ((Lines{"Unknown command: " + std::string(0xFFFF, 'Q')}), core.Run(longest.c_str()));
    for (const std::string& line : {std::string(0x10000, 'q'), std::string((1 << 20) + 8, '7')}) {
        EXPECT_EQ((Lines{"Error: Command line too long"}), core.Run(line.c_str())) << line.size();
        EXPECT_EQ(0, core.m_core.GetPauseCount());
    }
}

TEST(ConsoleCommandsTest, HelpPrintsItsTwentyFourLines) {
    CConsoleCore core(new CConsoleMachine());
    for (const char* line : {"help", "h", "HeLp", "help a b", "H 1,"}) {
        EXPECT_EQ(HelpText(), core.Run(line)) << line;
    }
}

TEST(ConsoleCommandsTest, BlankLinesPrintNothingAndKeepTheBanner) {
    CConsoleCore core(new CConsoleMachine());
    emu::CDebugConsole& console = core.m_core.GetConsole();
    ASSERT_TRUE(console.IsCentred());
    const Lines banner = core.Lines();
    ASSERT_FALSE(banner.empty());
    for (const char* line : {"", "   ", "\t"}) {
        EXPECT_EQ(banner, core.Execute(line)) << "'" << line << "'";
        EXPECT_TRUE(console.IsCentred());
    }
}

TEST(ConsoleCommandsTest, FirstLineWithATokenClearsTheBanner) {
    for (const char* line : {"info", "load-x", "5"}) {
        CConsoleCore core(new CConsoleMachine());
        emu::CDebugConsole& console = core.m_core.GetConsole();
        ASSERT_TRUE(console.IsCentred());
        const Lines output = core.Execute(line);
        EXPECT_FALSE(console.IsCentred()) << line;
        ASSERT_EQ(1u, output.size()) << line << ": only the line's own output stays";
        // Later lines leave the console alone.
        const Lines more = core.Execute("info");
        EXPECT_EQ(2u, more.size()) << line;
    }
}

TEST(ConsoleCommandsTest, ClsClearsOnlyWithoutParameters) {
    CConsoleCore core(new CConsoleMachine());
    core.Run("info");
    EXPECT_EQ((Lines{"Version: Release (with internal debugger support)", kTooMany}), core.Execute("cls 1"));
    EXPECT_TRUE(core.Execute("cls").empty());
}

TEST(ConsoleCommandsTest, LinesAreDroppedWhileTheThreadIsNotAlive) {
    CConsoleCore core(new CConsoleMachine(), false);
    const Lines before = core.Lines();
    EXPECT_EQ(before, core.Execute("help"));
    EXPECT_EQ(before, core.Execute("load-x"));
    EXPECT_TRUE(core.m_core.GetConsole().IsCentred());
}

TEST(ConsoleCommandsTest, LoadRunsWhilePoweredOff) {
    CConsoleCore core(new CConsoleMachine());
    const Lines output = core.Run("load");
    ASSERT_FALSE(output.empty());
    EXPECT_EQ(0u, Last(output).find("State not loaded")) << Last(output);
}

// ---- run control on a real 8080 ----

TEST(ConsoleCommandsTest, GoStopsBeforeTheFirstInstructionAndPrintsIt) {
    CConsoleCore core(new CConsoleMachine());
    const Lines output = core.Run("go");
    EXPECT_TRUE(core.m_core.IsActive());
    EXPECT_TRUE(core.m_core.IsInBreak());
    EXPECT_TRUE(core.m_core.IsConsoleShown());
    EXPECT_TRUE(core.m_core.IsStatusChanged());
    EXPECT_EQ(0u, Last(output).find("[0000] 00 ")) << Last(output);
    EXPECT_EQ(0u, core.m_machine->m_cpu->GetCycleCount()) << "nothing executed";
    EXPECT_EQ(Last(output), Last(core.Run("dasm")));

    // While in the break: GO continues, GO again on a running machine does nothing.
    EXPECT_TRUE(core.Run("go").empty());
    EXPECT_FALSE(core.m_core.IsInBreak());
    EXPECT_TRUE(core.Run("go").empty());
    EXPECT_TRUE(core.m_core.IsActive());
}

TEST(ConsoleCommandsTest, StateAndDiskCommandsFollowThePowerState) {
    CConsoleCore core(new CConsoleMachine());
    ASSERT_TRUE(core.GoIntoBreak());
    EXPECT_EQ((Lines{kTooMany}), core.Run("cpu 1"));
    EXPECT_EQ((Lines{kActive}), core.Run("mount fdd x.img"));
    EXPECT_EQ((Lines{kActive}), core.Run("m"));
    EXPECT_EQ((Lines{kTooMany}), core.Run("save 1"));
}

// CPU prints the processor's two-line dump, and the break popup gets its
// register column; a processor without a register view has nothing to show.
TEST(ConsoleCommandsTest, CpuDumpsTheRegistersAndThePopupShowsThemInBreak) {
    CConsoleCore core(new CConsoleMachine());
    ASSERT_TRUE(core.GoIntoBreak());
    core.m_machine->m_cpu->SetBC(0x1234);
    EXPECT_EQ((Lines{"CPU I8080, Frequency=2500000, Cycles=0 (-0), Flags: ----- (02h)",
                     "    A=00h, BC=1234h, DE=0000h, HL=0000h, PC=0000h, SP=0000h"}),
              core.Run("cpu"));
    common::CStringList popup;
    emu::CEmulator::ForwardMachineCallInBreak(&core.m_core, &popup, nullptr);
    Lines column;
    for (int32_t i = 0; i < popup.GetCount(); ++i)
        column.push_back(popup.GetAt(i)->GetNarrow());
    EXPECT_EQ((Lines{"~CPU", "AF=0002h", "BC=1234h", "DE=0000h", "HL=0000h", "PC=0000h", "SP=0000h", "----- I+"}),
              column);

    // Running, the popup stays empty.
    core.Run("go");
    common::CStringList running;
    emu::CEmulator::ForwardMachineCallInBreak(&core.m_core, &running, nullptr);
    EXPECT_EQ(0, running.GetCount());

    CConsoleCore fake(new CConsoleMachine(CConsoleMachine::Cpu::kFake));
    ASSERT_TRUE(fake.GoIntoBreak());
    EXPECT_EQ((Lines{"[ERROR] Cannot dump CPU state"}), fake.Run("cpu"));
}

TEST(ConsoleCommandsTest, StepExecutesOneInstruction) {
    CConsoleCore core(new CConsoleMachine());
    ASSERT_TRUE(core.GoIntoBreak());
    // 0000: CALL 0010   0010: MVI A,5   RET
    core.m_machine->Poke(0x0000, {0xCD, 0x10, 0x00});
    core.m_machine->Poke(0x0010, {0x3E, 0x05, 0xC9});
    core.m_machine->m_cpu->SetPC(0x0000);

    core.Run("step");
    ASSERT_TRUE(core.WaitForBreak());
    EXPECT_EQ(0x0010, core.m_machine->m_cpu->GetPC());
    EXPECT_EQ(0u, Last(core.Lines()).find("[0010] 3E05 ")) << Last(core.Lines());

    core.Run("S");
    ASSERT_TRUE(core.WaitForBreak());
    EXPECT_EQ(0x0012, core.m_machine->m_cpu->GetPC());
    EXPECT_EQ(0u, core.m_core.GetPauseCount());
}

struct CRunToCase {
    const char* command;
    uint16_t start;
    std::vector<uint8_t> code; // at start
    uint16_t expected;
};

TEST(ConsoleCommandsTest, StepOverRunsToTheNextInstructionAfterACall) {
    const CRunToCase cases[] = {
        // a call is stepped over: its routine at 0200 runs and returns
        {"so", 0x0100, {0xCD, 0x00, 0x02}, 0x0103},
        {"stepover", 0x0100, {0xC4, 0x00, 0x02}, 0x0103}, // CNZ, taken (Z clear)
        // anything else runs one instruction
        {"so", 0x0100, {0x00}, 0x0101},
        {"so", 0x0100, {0xC3, 0x34, 0x12}, 0x1234},
        {"so", 0x0100, {0xCF}, 0x0008}, // RST 1 stops at the restart routine
        {"SO", 0x0100, {0xC9}, 0x0345}, // RET
        // always: to the next instruction whatever it is
        {"soo", 0x0100, {0xCD, 0x00, 0x02}, 0x0103},
        {"stepoverover", 0x0100, {0xCF}, 0x0101},
        // the run-to address wraps with the address mask
        {"so", 0xFFFE, {0xCD, 0x00}, 0x0001},
    };
    for (const CRunToCase& c : cases) {
        CConsoleCore core(new CConsoleMachine());
        ASSERT_TRUE(core.GoIntoBreak());
        core.m_machine->Poke(0x0200, {0xC9}); // RET
        core.m_machine->Poke(0x0008, {0xC9}); // the restart routine returns too
        core.m_machine->Poke(0x8000, {0x45, 0x03});
        core.m_machine->Poke(c.start, c.code);
        if (c.start == 0xFFFE) {
            core.m_machine->Poke(0x0000, {0x02}); // CALL 0200 spanning FFFE, FFFF, 0000
        }
        core.m_machine->m_cpu->SetSP(0x8000);
        core.m_machine->m_cpu->SetPC(c.start);
        core.Run(c.command);
        ASSERT_TRUE(core.WaitForBreak()) << c.command << " at " << c.start;
        EXPECT_EQ(c.expected, core.m_machine->m_cpu->GetPC()) << c.command << " at " << c.start;
        char prefix[8];
        std::snprintf(prefix, sizeof(prefix), "[%.4X]", static_cast<unsigned>(c.expected));
        EXPECT_EQ(0u, Last(core.Lines()).find(prefix)) << Last(core.Lines());
    }
}

TEST(ConsoleCommandsTest, StepOverOverOnAJumpToItselfRunsUntilBreak) {
    CConsoleCore core(new CConsoleMachine());
    ASSERT_TRUE(core.GoIntoBreak());
    core.m_machine->Poke(0x0100, {0xC3, 0x00, 0x01}); // JMP 0100
    core.m_machine->m_cpu->SetPC(0x0100);
    core.m_core.SetStatusChanged(false);
    core.Run("soo");
    // The run-to address 0103 never comes: the machine keeps running, and the
    // window is told so.
    const uint64_t cycles = core.m_machine->m_cpu->GetCycleCount();
    ASSERT_TRUE(consoletest::WaitFor([&] { return core.m_machine->m_cpu->GetCycleCount() > cycles + 1000; }));
    EXPECT_FALSE(core.m_core.IsInBreak());
    EXPECT_TRUE(core.m_core.IsStatusChanged());

    core.m_core.SetStatusChanged(false);
    const Lines output = core.Run("break");
    EXPECT_TRUE(core.m_core.IsInBreak());
    EXPECT_TRUE(core.m_core.IsStatusChanged());
    EXPECT_EQ(0u, Last(output).find("[0100] C30001 ")) << Last(output);
}

TEST(ConsoleCommandsTest, StartRunsFreelyAndBreakOrStepStopsIt) {
    CConsoleCore core(new CConsoleMachine());
    core.Run("start");
    EXPECT_TRUE(core.m_core.IsActive());
    EXPECT_FALSE(core.m_core.IsInBreak());
    EXPECT_FALSE(core.m_core.IsConsoleShown());
    ASSERT_TRUE(consoletest::WaitFor([&] { return core.m_machine->m_cpu->GetCycleCount() > 1000; }));

    // STEP on a running machine stops it after one more instruction.
    core.Run("step");
    ASSERT_TRUE(core.WaitForBreak());
    EXPECT_TRUE(core.m_core.IsConsoleShown());

    // START from the break continues on the emulation screen; BREAK comes back.
    EXPECT_TRUE(core.Run("start").empty());
    EXPECT_FALSE(core.m_core.IsInBreak());
    EXPECT_FALSE(core.m_core.IsConsoleShown());
    const Lines output = core.Run("break");
    EXPECT_TRUE(core.m_core.IsInBreak());
    EXPECT_TRUE(core.m_core.IsConsoleShown());
    ASSERT_EQ(1u, output.size());
    EXPECT_EQ('[', output[0][0]);
    EXPECT_EQ(104u, output[0].size());
}

TEST(ConsoleCommandsTest, SaveRunsWhileActive) {
    CConsoleCore core(new CConsoleMachine());
    ASSERT_TRUE(core.GoIntoBreak());
    const Lines output = core.Run("save");
    ASSERT_FALSE(output.empty());
    EXPECT_NE(kNotActive, Last(output));
    EXPECT_NE(kTooMany, Last(output));
    EXPECT_EQ(0, core.m_core.GetPauseCount());
}

// ---- hot keys through the core ----

TEST(ConsoleCommandsTest, HotKeysRunTheirCommandsThroughTheCore) {
    CConsoleCore core(new CConsoleMachine());
    ASSERT_TRUE(core.GoIntoBreak());
    core.m_machine->Poke(0x0000, {0xCD, 0x10, 0x00});
    core.m_machine->Poke(0x0010, {0xC9});
    core.m_machine->m_cpu->SetPC(0x0000);

    // F8 in the console steps over the call.
    core.m_core.PostKeyEvent(emu::CDebugConsole::kKeyF8, true);
    core.m_core.PostKeyEvent(emu::CDebugConsole::kKeyF8, false);
    ASSERT_TRUE(core.WaitForBreak());
    EXPECT_EQ(0x0003, core.m_machine->m_cpu->GetPC());

    // F5 shows the emulation screen and runs; Ctrl+F12 there breaks again.
    core.m_core.PostKeyEvent(emu::CDebugConsole::kKeyF5, true);
    core.m_core.PostKeyEvent(emu::CDebugConsole::kKeyF5, false);
    EXPECT_FALSE(core.m_core.IsConsoleShown());
    EXPECT_FALSE(core.m_core.IsInBreak());
    core.m_core.PostKeyEvent(common::kKeyCodeLeftCtrl, true);
    EXPECT_TRUE(core.m_core.PostKeyEvent(emu::CDebugConsole::kKeyF12, true)) << "F12 is never queued";
    core.m_core.PostKeyEvent(emu::CDebugConsole::kKeyF12, false);
    core.m_core.PostKeyEvent(common::kKeyCodeLeftCtrl, false);
    EXPECT_TRUE(core.m_core.IsInBreak());
    EXPECT_TRUE(core.m_core.IsConsoleShown());
}

// ---- disks ----

class ConsoleMountTest : public ::testing::Test {
protected:
    // A readable image file; its path.
    static std::string MakeImage(const std::string& folder, const char* name) {
        const std::string path = folder + name;
        FILE* file = std::fopen(path.c_str(), "wb");
        EXPECT_NE(nullptr, file);
        if (file != nullptr) {
            const std::vector<uint8_t> bytes(819200, 0xE5);
            std::fwrite(bytes.data(), 1, bytes.size(), file);
            std::fclose(file);
        }
        return path;
    }
    emu::CMediaSlot* Floppy(CConsoleCore& core, int index) {
        return core.m_machine->GetDrivesService()->GetKindSlot(emu::CDrivesInterface::kFloppy, index);
    }
};

TEST_F(ConsoleMountTest, MountsAQuotedPathInTheNamedDrive) {
    CConsoleCore core(new CConsoleMachine());
    const std::string path = MakeImage(core.m_location.Base(), "game.img");
    const std::string line = "mount fdd \"" + path + "\"";
    EXPECT_EQ((Lines{"Done: File \"game.img\" successfully mounted to drive fdd"}), core.Run(line.c_str()));
    ASSERT_NE(nullptr, Floppy(core, 0));
    EXPECT_TRUE(Floppy(core, 0)->IsOpen());
    EXPECT_TRUE(Floppy(core, 0)->GetLatch());
    EXPECT_FALSE(Floppy(core, 1)->IsOpen());

    // Mounting again replaces the image.
    const std::string other = MakeImage(core.m_location.Base(), "other.img");
    const std::string again = "M FDD \"" + other + "\"";
    EXPECT_EQ((Lines{"Done: File \"other.img\" successfully mounted to drive FDD"}), core.Run(again.c_str()));
    EXPECT_TRUE(Floppy(core, 0)->IsOpen());
}

TEST_F(ConsoleMountTest, BareNameIsFoundInTheProgramFolderForTheFirstDrive) {
    CConsoleCore core(new CConsoleMachine());
    MakeImage(core.m_location.ProgramFolder(), "game.img");
    EXPECT_EQ((Lines{"Done: File \"game.img\" successfully mounted to drive FirstDrive"}), core.Run("mount game.img"));
    EXPECT_TRUE(Floppy(core, 0)->IsOpen());
}

TEST_F(ConsoleMountTest, RefusesWrongDrivesAndFileNames) {
    CConsoleCore core(new CConsoleMachine());
    MakeImage(core.m_location.ProgramFolder(), "game.img");
    struct CCase {
        const char* line;
        const char* error;
    };
    const CCase cases[] = {
        {"mount xy game.img", "Error: Incorrect drive name!"},
        {"mount hdd game.img", "Error: Incorrect drive name!"}, // a kind without drives
        {"mount 12 game.img", "Error: Incorrect drive name!"},
        {"mount fdd missing.img", "Error: File not found!"},
        {"mount 123", "Error: Incorrect file name!"},
        {"mount fdd ,", "Error: Incorrect file name!"},
        {"mount \"\"", "Error: Incorrect file name!"},
        {"mount \"", "Error: Incorrect file name!"},
        {"mount a b c", kTooMany},
    };
    for (const CCase& c : cases) {
        EXPECT_EQ((Lines{c.error}), core.Run(c.line)) << c.line;
        EXPECT_FALSE(Floppy(core, 0)->IsOpen()) << c.line;
    }
}

TEST_F(ConsoleMountTest, MachineWithoutDrivesHasNoFirstDrive) {
    CConsoleCore core(new CConsoleMachine(CConsoleMachine::Cpu::k8080, 0));
    MakeImage(core.m_location.ProgramFolder(), "game.img");
    EXPECT_EQ((Lines{"Error: Incorrect drive name!"}), core.Run("mount game.img"));
    EXPECT_EQ((Lines{"Error: Incorrect drive name!"}), core.Run("mount fdd game.img"));
}

} // namespace
