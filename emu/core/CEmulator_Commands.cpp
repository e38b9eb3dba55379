// The debugger console's command language: the lexer, the interpreter and
// its commands, and the current-instruction line.
//
//   HELP (H)  CLS  DASM  CPU  STEP (S)  STEPOVER (SO)  STEPOVEROVER (SOO)
//   BREAK  START  GO  SAVE  LOAD  MOUNT (M) [drive] file  INFO
//
// Tokens: words (a letter, then letters, digits and dots), numbers (digits),
// quoted strings (through the closing quote), the punctuation , . : and
// white space between them. Any other character is an illegal symbol.
// A line runs with coreLock held and the emulation parked; run-control
// commands leave their request in the run-control fields for the loop.
#include <string>

#include "common/CPath.h"
#include "common/CScopedLock.h"
#include "common/CStringList.h"
#include "common/CToken.h"
#include "common/CTokenList.h"
#include "common/ProgramFolders.h"
#include "emu/core/CEmulator.h"
#include "emu/framework/CComputer.h"
#include "emu/framework/CDrives.h"
#include "emu/framework/CMediaSlot.h"
#include "emu/framework/CProcessor.h"

namespace emu {

namespace {

enum : int32_t { kKindSpaces = 2, kKindPunctuation = 5, kKindNumber = 7, kKindQuoted = 8, kKindWord = 9 };

// Column widths beyond this are a disassembler's fault; they are cut.
constexpr int32_t kMaxColumnWidth = 256;

const char* const kHelpLines[] = {
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

// The C locale's classes, for 7-bit characters only.
bool IsSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}
bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}
bool IsLetter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

// Appends one column: its prefix, the text left-aligned in `width`
// characters, or its first width - 2 characters and two dots when it is
// longer (at least the two dots).
void AppendColumn(common::CNarrowString& line, const char* prefix, const common::CNarrowString& text, int32_t width,
                  const char* suffix) {
    line.AppendNarrow(prefix);
    const int32_t length = text.GetLength();
    int32_t shown = length;
    int32_t field = width;
    bool cut = false;
    if (length > width) {
        cut = true;
        field = width <= 1 ? 0 : width - 2;
        shown = field;
    }
    const char* chars = text.GetNarrow();
    std::string column(chars != nullptr ? chars : "", static_cast<size_t>(shown < 0 ? 0 : shown));
    if (static_cast<int32_t>(column.size()) < field)
        column.append(static_cast<size_t>(field) - column.size(), ' ');
    if (cut)
        column.append("..");
    line.AppendNarrow(column.c_str());
    line.AppendNarrow(suffix);
}

} // namespace

// The tokens of one command line and the line itself.
class CEmulator::CCommandLine {
public:
    CCommandLine(const common::CString& text) : m_text(text) {}
    int32_t GetParameterCount() const { return m_tokens.GetCount() - 2; }
    // The kind of token index (1: the command word), 0 when there is none.
    int GetKind(int index) {
        common::CToken* token = m_tokens.GetAt(index);
        return token != nullptr ? token->GetKind() : 0;
    }
    bool GetText(int index, common::CString& out) { return m_tokens.GetTokenText(index, m_text, out); }

    const common::CString& m_text;
    common::CTokenList m_tokens;
    common::CNarrowString m_word; // the command word, upper-cased
};

// --- Lexer ----------------------------------------------------------------------------

common::TokenRecognizer CEmulator::SelectTokenScanner(const char* c) {
    if (c == nullptr)
        return nullptr;
    // A line feed at the start of a token is an illegal symbol.
    if (*c == '\n')
        return &CEmulator::ScanLineEnd;
    if (IsSpace(*c))
        return &CEmulator::ScanSpaces;
    if (IsDigit(*c))
        return &CEmulator::ScanNumber;
    if (IsLetter(*c))
        return &CEmulator::ScanWord;
    if (*c == ',' || *c == '.' || *c == ':')
        return &CEmulator::ScanPunctuation;
    if (*c == '"')
        return &CEmulator::ScanQuotedString;
    return nullptr;
}

bool CEmulator::ScanLineEnd(const char*, const char*, int, int32_t*) {
    return false;
}

bool CEmulator::ScanSpaces(const char* c, const char*, int, int32_t* kind) {
    if (c == nullptr || !IsSpace(*c))
        return false;
    *kind = kKindSpaces;
    return true;
}

bool CEmulator::ScanNumber(const char* c, const char*, int, int32_t* kind) {
    if (c == nullptr || !IsDigit(*c))
        return false;
    *kind = kKindNumber;
    return true;
}

bool CEmulator::ScanWord(const char* c, const char*, int, int32_t* kind) {
    if (c == nullptr || !(IsLetter(*c) || IsDigit(*c) || *c == '.'))
        return false;
    *kind = kKindWord;
    return true;
}

bool CEmulator::ScanPunctuation(const char* c, const char*, int accepted, int32_t* kind) {
    if (c == nullptr || accepted != 0)
        return false;
    *kind = kKindPunctuation;
    return true;
}

bool CEmulator::ScanQuotedString(const char* c, const char*, int accepted, int32_t* kind) {
    // The token ends right after its closing quote.
    if (c == nullptr || (accepted > 1 && c[-1] == '"'))
        return false;
    *kind = kKindQuoted;
    return true;
}

// --- Interpreter ------------------------------------------------------------------------

void CEmulator::ConsoleCommandCallback(void* context, const common::CString& line) {
    CEmulator* core = static_cast<CEmulator*>(context);
    if (core != nullptr)
        core->ExecuteConsoleCommand(line);
}

void CEmulator::PrintLine(const char* text) {
    m_console.AppendLine(common::CNarrowString(text), true);
}

void CEmulator::PrintStateError() {
    PrintLine(m_active ? "Error: Emulation should NOT be active to execute this command"
                       : "Error: Emulation should be active to execute this command");
}

void CEmulator::ExecuteConsoleCommand(const common::CString& line) {
    common::CScopedLock lock(&m_coreLock);
    if (!m_threadAlive)
        return;
    // Words and numbers keep their length in 16 bits, and the messages that
    // quote a line have a bound: a longer line is refused whole.
    if (line.GetLength() > kMaxCommandLineLength) {
        if (m_console.IsCentred()) {
            m_console.Clear();
            m_console.SetCentred(false);
        }
        PrintLine("Error: Command line too long");
        return;
    }
    CCommandLine command(line);
    const int32_t stop = command.m_tokens.Tokenize(line, &CEmulator::SelectTokenScanner, nullptr);
    // The first line with anything on it takes the centred banner away.
    const bool hasToken = stop >= 0 || command.m_tokens.GetCount() > 1;
    if (hasToken && m_console.IsCentred()) {
        m_console.Clear();
        m_console.SetCentred(false);
    }
    if (stop >= 0) {
        common::CNarrowString text;
        text.Format("Error: Illegal symbol at position %d", static_cast<int>(stop));
        m_console.AppendLine(text, true);
        return;
    }
    if (!hasToken)
        return;
    const int kind = command.GetKind(1);
    if (kind != kKindWord && kind != kKindPunctuation) {
        common::CNarrowString text;
        text.Format("Unknown command: %s", line.GetNarrow());
        m_console.AppendLine(text, true);
        return;
    }
    if (command.GetParameterCount() > 2) {
        PrintLine("Error: Too many parameters");
        return;
    }
    PauseAndWait();
    try {
        if (command.GetText(1, command.m_word))
            command.m_word.MakeUpper();
        else
            command.m_word.Clear();
        RunCommand(command);
    } catch (...) {
        ReleasePause();
        throw;
    }
    ReleasePause();
}

void CEmulator::RunCommand(CCommandLine& command) {
    const common::CNarrowString& word = command.m_word;
    const bool hasParameters = command.GetParameterCount() > 0;
    auto is = [&word](const char* name) { return word.CompareNarrow(name) == 0; };

    if (is("HELP") || is("H")) {
        CommandHelp();
    } else if (is("CLS")) {
        if (hasParameters)
            PrintLine("Error: Too many parameters");
        else
            m_console.Clear();
    } else if (is("DASM")) {
        common::CNarrowString line;
        if (hasParameters)
            PrintLine("Error: Too many parameters");
        else if (FormatCurrentInstruction(line))
            m_console.AppendLine(line, true);
        else
            PrintStateError();
    } else if (is("CPU")) {
        CommandCpu(command);
    } else if (is("S") || is("STEP")) {
        CommandStep(command);
    } else if (is("SO") || is("STEPOVER")) {
        CommandStepOver(command, false);
    } else if (is("SOO") || is("STEPOVEROVER")) {
        CommandStepOver(command, true);
    } else if (is("BREAK")) {
        CommandBreak(command);
    } else if (is("START")) {
        CommandStart(command);
    } else if (is("GO")) {
        CommandGo(command);
    } else if (is("SAVE")) {
        if (!m_active)
            PrintStateError();
        else if (hasParameters)
            PrintLine("Error: Too many parameters");
        else
            SaveStateToFile(common::CPath(), true);
    } else if (is("LOAD")) {
        if (hasParameters)
            PrintLine("Error: Too many parameters");
        else
            LoadStateFromFile(common::CPath(), true);
    } else if (is("MOUNT") || is("M")) {
        CommandMount(command);
    } else if (is("INFO")) {
        PrintLine("Version: Release (with internal debugger support)");
    } else {
        common::CNarrowString text("Unknown command: ");
        text.AppendNarrowString(word);
        m_console.AppendLine(text, true);
    }
}

void CEmulator::CommandHelp() {
    common::CStringList lines;
    for (const char* line : kHelpLines)
        lines.Add(common::CNarrowString(line));
    m_console.AppendLines(lines);
}

void CEmulator::CommandCpu(CCommandLine& command) {
    if (!m_active) {
        PrintStateError();
        return;
    }
    if (command.GetParameterCount() > 0) {
        PrintLine("Error: Too many parameters");
        return;
    }
    CProcessor* processor = m_machine != nullptr ? m_machine->GetProcessor(0) : nullptr;
    common::CStringList lines;
    if (processor == nullptr ||
        !processor->HandleEvent(CDevice::kEventDumpState, 0, reinterpret_cast<uintptr_t>(&lines))) {
        PrintLine("[ERROR] Cannot dump CPU state");
        return;
    }
    for (int32_t i = 0; i < lines.GetCount(); ++i)
        m_console.AppendLine(*lines.GetAt(i), true);
}

void CEmulator::CommandStep(CCommandLine& command) {
    if (command.GetParameterCount() > 0) {
        PrintLine("Error: Too many parameters");
        return;
    }
    if (!m_inRunLoop) {
        PrintStateError();
        return;
    }
    CancelStep();
    RequestSteps(1, m_runToMode, m_runToAddress);
    CProcessor* processor = m_machine->GetProcessor(0);
    if (processor != nullptr)
        ArmReentryGuard(processor->GetProgramCounter());
    m_attention = true;
    Resume();
}

void CEmulator::CommandStepOver(CCommandLine& command, bool always) {
    if (command.GetParameterCount() > 0) {
        PrintLine("Error: Too many parameters");
        return;
    }
    if (!m_inRunLoop) {
        PrintStateError();
        return;
    }
    CancelStep();
    CProcessor* processor = m_machine->GetProcessor(0);
    if (processor == nullptr)
        return;
    const uint32_t pc = processor->GetProgramCounter();
    uint32_t kind = 0;
    uint32_t widths[CProcessorInterface::kDisassemblyColumns] = {};
    common::CString* columns[CProcessorInterface::kDisassemblyColumns] = {};
    const int32_t length = processor->Disassemble(columns, &kind, widths);
    const bool call = (kind & (CProcessorInterface::kDisassembledCall | CProcessorInterface::kDisassembledTransfer)) ==
                      CProcessorInterface::kDisassembledCall;
    // Run to the next instruction after a call (any instruction for SOO),
    // else until the program counter leaves this one.
    if (length >= 1 && (always || call))
        RequestSteps(-1, 1, (pc + static_cast<uint32_t>(length)) & processor->GetAddressMask());
    else
        RequestSteps(-1, 0, pc);
    ArmReentryGuard(pc);
    m_attention = true;
    Resume();
}

void CEmulator::CommandBreak(CCommandLine& command) {
    if (command.GetParameterCount() > 0) {
        PrintLine("Error: Too many parameters");
        return;
    }
    if (m_active && !m_inBreak) {
        Break(false);
        m_statusChanged = true;
    }
    if (m_active && !m_consoleShown) {
        ShowConsole(true, false);
        m_statusChanged = true;
    }
    common::CNarrowString line;
    if (FormatCurrentInstruction(line))
        m_console.AppendLine(line, true);
}

void CEmulator::CommandStart(CCommandLine& command) {
    if (command.GetParameterCount() > 0) {
        PrintLine("Error: Too many parameters");
        return;
    }
    if (m_active && m_consoleShown) {
        ShowConsole(false, false);
        m_statusChanged = true;
    }
    if (m_active && m_inBreak) {
        Resume();
        m_statusChanged = true;
    }
    if (!m_active) {
        Start(false, false);
        m_statusChanged = true;
    }
}

void CEmulator::CommandGo(CCommandLine& command) {
    if (command.GetParameterCount() > 0) {
        PrintLine("Error: Too many parameters");
        return;
    }
    if (m_active && m_inBreak) {
        Resume();
        m_statusChanged = true;
    }
    if (!m_active) {
        Start(true, true);
        common::CNarrowString line;
        if (FormatCurrentInstruction(line))
            m_console.AppendLine(line, true);
        m_statusChanged = true;
    }
}

void CEmulator::CommandMount(CCommandLine& command) {
    const int32_t parameters = command.GetParameterCount();
    if (m_active) {
        PrintStateError();
        return;
    }
    if (parameters < 1) {
        PrintLine("Error: Fewer parameters than needed");
        return;
    }
    CMediaSlot* slot = nullptr;
    common::CNarrowString driveName("FirstDrive");
    if (parameters == 2) {
        CDrives* drives = m_machine != nullptr ? m_machine->GetDrivesService() : nullptr;
        if (drives == nullptr) {
            PrintLine("Error: No drives found!");
            return;
        }
        if (!command.GetText(2, driveName)) {
            PrintLine("Error: Incorrect drive name!");
            return;
        }
        common::CNarrowString kindName(driveName);
        slot = drives->FindFirstSlotOfKind(kindName);
    } else {
        slot = GetDrive(0);
    }
    if (slot == nullptr) {
        PrintLine("Error: Incorrect drive name!");
        return;
    }

    const int fileToken = parameters == 1 ? 2 : 3;
    const int kind = command.GetKind(fileToken);
    common::CNarrowString text;
    if ((kind != kKindQuoted && kind != kKindWord) || !command.GetText(fileToken, text)) {
        PrintLine("Error: Incorrect file name!");
        return;
    }
    if (kind == kKindQuoted) {
        // Without its quotes (an unclosed string loses its last character).
        const int32_t length = text.GetLength();
        if (length >= 2) {
            common::CString* inner = text.Substring(1, length - 2);
            text.AssignString(*inner);
            delete inner;
        } else {
            text.Clear();
        }
    }
    common::CPath path(text.GetNarrow());
    if (path.IsEmpty()) {
        PrintLine("Error: Incorrect file name!");
        return;
    }
    if (!common::FileExists(path)) {
        common::CPath found;
        if (m_machine == nullptr || !m_machine->FindFile(common::CPath::GetFileName(path), found)) {
            PrintLine("Error: File not found!");
            return;
        }
        path = found;
    }
    // The drive examines the image only when the machine runs: a size that no
    // disk format has is refused now, not found unusable by the guest later.
    // A refused file leaves the mounted image in the drive.
    int64_t size = 0;
    const CMediaSlot::MountResult mounted = slot->Replace(path, &size);
    if (mounted == CMediaSlot::kCannotOpen) {
        PrintLine("Error: Can not mount file to drive.");
        return;
    }
    if (mounted == CMediaSlot::kFitsNoFormat) {
        common::CNarrowString refused;
        refused.Format("Error: Image size (%s bytes) fits no disk format of the drive!",
                       std::to_string(static_cast<long long>(size)).c_str());
        PrintLine(refused.GetNarrow());
        return;
    }
    if (!slot->GetLatch())
        slot->SetLatch(true);
    m_drivesChanged = true;
    m_statusChanged = true;
    common::CNarrowString fileName;
    fileName.AssignString(common::CPath::GetFileName(path));
    common::CNarrowString done;
    done.Format("Done: File \"%s\" successfully mounted to drive %s", fileName.GetNarrow(), driveName.GetNarrow());
    m_console.AppendLine(done, true);
}

// --- Run-control requests and the current instruction -----------------------------------

void CEmulator::RequestSteps(int32_t steps, int32_t runToMode, uint32_t runToAddress) {
    m_runToMode = runToMode;
    m_runToAddress = runToAddress;
    m_stepsLeft = steps;
}

void CEmulator::ArmReentryGuard(uint32_t address) {
    const bool wasArmed = m_timing.m_reentryGuard.armed;
    m_timing.m_reentryGuard.armed = true;
    m_timing.m_reentryGuard.pass = !wasArmed;
    m_timing.m_reentryGuard.address = address;
}

bool CEmulator::FormatCurrentInstruction(common::CNarrowString& line) {
    if (!m_active || m_machine == nullptr)
        return false;
    CProcessor* processor = m_machine->GetProcessor(0);
    if (processor == nullptr)
        return false;
    line.Clear();
    common::CNarrowString texts[CProcessorInterface::kDisassemblyColumns];
    common::CString* columns[CProcessorInterface::kDisassemblyColumns];
    for (int i = 0; i < CProcessorInterface::kDisassemblyColumns; ++i)
        columns[i] = &texts[i];
    uint32_t kind = 0;
    uint32_t widths[CProcessorInterface::kDisassemblyColumns] = {};
    processor->Disassemble(columns, &kind, widths);
    int32_t width[CProcessorInterface::kDisassemblyColumns];
    for (int i = 0; i < CProcessorInterface::kDisassemblyColumns; ++i) {
        const int32_t w = static_cast<int32_t>(widths[i]);
        width[i] = w < 0 ? 0 : (w > kMaxColumnWidth ? kMaxColumnWidth : w);
    }
    if (texts[0].IsEmpty()) {
        const uint32_t pc = processor->GetProgramCounter();
        if (processor->GetAddressMask() <= 0xFFFF) {
            if (width[0] <= 0)
                width[0] = 4;
            texts[0].Format("%.4X", static_cast<unsigned>(pc));
        } else {
            if (width[0] <= 0)
                width[0] = 8;
            texts[0].Format("%.8X", static_cast<unsigned>(pc));
        }
    }
    static const char* const kPrefixes[CProcessorInterface::kDisassemblyColumns] = {"[",  " ", "  ", " ",
                                                                                    "  ", " ", " "};
    for (int i = 0; i < CProcessorInterface::kDisassemblyColumns; ++i)
        AppendColumn(line, kPrefixes[i], texts[i], width[i], i == 0 ? "]" : "");
    return true;
}

} // namespace emu
