#include "emu/framework/CDevice.h"

#include "common/CNarrowString.h"
#include "common/CStreamHolder.h"
#include "common/CTextConsole.h"
#include "emu/framework/CDeviceParameterList.h"
#include "emu/framework/COptionTree.h"
#include "emu/framework/ConsoleColors.h"

namespace emu {

namespace {

const char kChunkName[] = "_DEV";
const uint8_t kChunkVersion = 0;

const char kBreakMark[] = " BREAK";

// Appends the message to the text; a message too long for the string family
// leaves the text as it was, so the line still shows its label.
void AppendMessage(common::CNarrowString& text, const char* format, va_list args) {
    try {
        text.FormatV(format, args);
    } catch (const char*) {
    }
}

// An unlabelled console line; empty texts are dropped.
void AppendMessageLine(common::CTextConsole* console, common::ARGB colour, const char* format, va_list args) {
    if (console == nullptr)
        return;
    common::CNarrowString text;
    AppendMessage(text, format, args);
    if (!text.IsEmpty())
        console->AppendColoredLine(text, &colour, true);
}

} // namespace

CDevice::CDevice()
    : m_parameters(new CDeviceParameterList()), m_machine(nullptr), m_bus(nullptr), m_memory(nullptr), m_ports(nullptr),
      m_interrupts(nullptr), m_hostLink(nullptr), m_keys(nullptr), m_mouse(nullptr), m_drives(nullptr),
      m_started(false), m_irqFlag(false), m_irqLine(0) {}

CDevice::~CDevice() {
    delete m_parameters;
    m_parameters = nullptr;
}

bool CDevice::Start(int32_t* value) {
    m_started = true;
    return CObjectContainer::Start(value);
}

void CDevice::Stop() {
    CObjectContainer::Stop();
    m_parameters->RestoreAll();
    m_started = false;
}

void CDevice::BuildMenu(COptionTree* menu, int32_t kind) {
    if (kind != kMenuDebug) {
        CObjectContainer::BuildMenu(menu, kind);
        return;
    }
    if (menu == nullptr)
        return;
    // A node that a child left empty is kept for the next child.
    COptionTree* node = nullptr;
    for (CObject* child : m_children) {
        if (child == nullptr)
            continue;
        if (child->IsDevice() && static_cast<CDevice*>(child)->IsSelector()) {
            child->BuildMenu(menu, kind);
            continue;
        }
        if (node == nullptr)
            node = new COptionTree();
        child->BuildMenu(node, kind);
        if (node->GetChildCount() > 0) {
            node->SetName(child->GetNameString());
            if (menu->AddChildChecked(node) != nullptr)
                menu->AddCheckedWhenNode(node, true);
            else
                delete node;
            node = nullptr;
        }
        child->BuildMenu(menu, kMenuDebugParent);
    }
    delete node;
}

bool CDevice::IsDevice() const {
    return true;
}

bool CDevice::SaveData(common::CStreamHolder& holder) {
    const common::CNarrowString chunk(kChunkName);
    const common::CNarrowString version("VER");
    return m_parameters->SaveData(holder) && holder.WriteMarker(common::CStreamHolder::kChunkBegin, chunk) &&
           holder.WriteUInt8Field(kChunkVersion, version) &&
           holder.WriteMarker(common::CStreamHolder::kChunkEnd, chunk);
}

bool CDevice::LoadData(common::CStreamHolder& holder, common::CNarrowString* errorText) {
    const common::CNarrowString chunk(kChunkName);
    const common::CNarrowString versionName("VER");
    uint8_t version = 0xFF;
    return m_parameters->LoadData(holder, errorText) &&
           holder.ReadMarker(chunk, common::CStreamHolder::kChunkBegin, nullptr) &&
           holder.ReadUInt8Field(version, versionName) && version == kChunkVersion &&
           holder.ReadMarker(chunk, common::CStreamHolder::kChunkEnd, nullptr);
}

bool CDevice::Reset(uint32_t flags) {
    for (CObject* child : m_children) {
        if (child == nullptr || !child->IsDevice() || !child->IsEnabled())
            continue;
        if (!static_cast<CDevice*>(child)->Reset(flags))
            return false;
    }
    return true;
}

uint32_t CDevice::HandleRequest(uintptr_t /*request*/, uintptr_t /*a*/, uintptr_t /*b*/, uintptr_t /*c*/,
                                uintptr_t /*d*/, uintptr_t /*e*/, uintptr_t /*f*/, uintptr_t /*g*/) {
    return 0;
}

bool CDevice::IsSelector() const {
    return false;
}

bool CDevice::HandleEvent(uint32_t /*event*/, uint8_t /*flag*/, uintptr_t /*argument*/) {
    return false;
}

void CDevice::SetServices(CMachineInterface* machine, CBus* bus, CMemory* memory, CPorts* ports,
                          CInterrupts* interrupts, CRenderer* hostLink, CKeys* keys, CDrives* drives, CMouse* mouse) {
    m_machine = machine;
    m_bus = bus;
    m_memory = memory;
    m_ports = ports;
    m_interrupts = interrupts;
    m_hostLink = hostLink;
    m_keys = keys;
    m_mouse = mouse;
    m_drives = drives;
    m_parameters->SetMachine(machine);
}

void CDevice::SetIrq(int32_t line, bool flag, uint8_t parameterFlags) {
    if (!m_parameters->Remove("IRQ") || line < 0)
        return;
    m_irqFlag = flag;
    m_irqLine = static_cast<uint64_t>(static_cast<int64_t>(line));
    m_parameters->AddValue("IRQ", parameterFlags != 0, &m_irqFlag, &m_irqLine);
}

const char* CDevice::GetTraceLabel() const {
    return m_shortName.IsEmpty() ? m_name.GetNarrow() : m_shortName.GetNarrow();
}

void CDevice::AppendTraceLine(const char* mark, common::ARGB colour, const char* format, va_list args) {
    if (m_console == nullptr)
        return;
    // The prefix "[%s%s] " with the label and the mark, built without formatting.
    common::CNarrowString text;
    text.AppendNarrow("[");
    text.AppendNarrow(GetTraceLabel());
    text.AppendNarrow(mark);
    text.AppendNarrow("] ");
    AppendMessage(text, format, args);
    m_console->AppendColoredLine(text, &colour, true);
}

bool CDevice::TraceChecked(bool brk, bool stopRequest, common::ARGB plainColour, common::ARGB breakColour,
                           const char* format, va_list args) {
    if (!brk) {
        AppendTraceLine("", plainColour, format, args);
        return false;
    }
    // The line prints unless the check declines it: a check that answers
    // without a word (the debugger while the emulation is parked) still shows
    // the event that carries a break flag.
    bool stop = stopRequest;
    bool print = true;
    if (m_machine->CheckBreak(&stop, &print) != 0) {
        AppendTraceLine(kBreakMark, breakColour, format, args);
        return stop;
    }
    if (print)
        AppendTraceLine("", breakColour, format, args);
    return false;
}

bool CDevice::TraceRead(bool trace, bool brk, bool peek, const char* format, ...) {
    if (peek || !IsTraceActive(trace, brk))
        return false;
    va_list args;
    va_start(args, format);
    const bool stop =
        TraceChecked(brk, true, ConsoleColors[kColourRead], ConsoleColors[kColourAccessBreak], format, args);
    va_end(args);
    return stop;
}

bool CDevice::TraceWrite(bool trace, bool brk, bool peek, const char* format, ...) {
    if (peek || !IsTraceActive(trace, brk))
        return false;
    va_list args;
    va_start(args, format);
    const bool stop =
        TraceChecked(brk, true, ConsoleColors[kColourWrite], ConsoleColors[kColourAccessBreak], format, args);
    va_end(args);
    return stop;
}

bool CDevice::TraceRegisterRead(bool trace, bool brk, bool peek, const char* format, ...) {
    if (peek || !IsTraceActive(trace, brk))
        return false;
    va_list args;
    va_start(args, format);
    const bool stop =
        TraceChecked(brk, true, ConsoleColors[kColourTrace], ConsoleColors[kColourAccessBreak], format, args);
    va_end(args);
    return stop;
}

bool CDevice::TraceRegisterWrite(bool trace, bool brk, const char* format, ...) {
    if (m_machine == nullptr || !(trace || brk))
        return false;
    va_list args;
    va_start(args, format);
    const bool stop =
        TraceChecked(brk, true, ConsoleColors[kColourTrace], ConsoleColors[kColourAccessBreak], format, args);
    va_end(args);
    return stop;
}

bool CDevice::TraceOutput(bool trace, bool brk, bool stopRequest, bool peek, const char* format, ...) {
    if (peek || !IsTraceActive(trace, brk))
        return false;
    const common::ARGB breakColour = ConsoleColors[stopRequest ? kColourAccessBreak : kColourEventBreak];
    va_list args;
    va_start(args, format);
    const bool stop = TraceChecked(brk, stopRequest, ConsoleColors[kColourTrace], breakColour, format, args);
    va_end(args);
    return stop;
}

bool CDevice::TraceBreak(bool brk, const char* format, ...) {
    if (m_machine == nullptr || !brk)
        return false;
    va_list args;
    va_start(args, format);
    AppendTraceLine(kBreakMark, ConsoleColors[kColourAccessBreak], format, args);
    va_end(args);
    bool stop = true;
    bool print = true;
    return m_machine->CheckBreak(&stop, &print) != 0 && stop;
}

void CDevice::TraceInterrupt(bool trace, bool brk, const char* format, ...) {
    if (m_machine == nullptr || !(trace || brk))
        return;
    va_list args;
    va_start(args, format);
    TraceChecked(brk, false, ConsoleColors[kColourTrace], ConsoleColors[kColourEventBreak], format, args);
    va_end(args);
}

void CDevice::TraceState(bool trace, bool brk, bool peek, const char* format, ...) {
    if (peek || !IsTraceActive(trace, brk))
        return;
    va_list args;
    va_start(args, format);
    TraceChecked(brk, false, ConsoleColors[kColourTrace], ConsoleColors[kColourEventBreak], format, args);
    va_end(args);
}

void CDevice::TraceStatus(bool trace, bool peek, const char* format, ...) {
    if (peek || !IsTraceActive(trace, false))
        return;
    va_list args;
    va_start(args, format);
    AppendTraceLine("", ConsoleColors[kColourTrace], format, args);
    va_end(args);
}

void CDevice::TraceInfo(bool trace, const char* format, ...) {
    if (m_machine == nullptr || !trace)
        return;
    va_list args;
    va_start(args, format);
    AppendTraceLine("", ConsoleColors[kColourTrace], format, args);
    va_end(args);
}

void CDevice::ConsoleMessage(const char* format, ...) {
    if (m_machine == nullptr)
        return;
    va_list args;
    va_start(args, format);
    AppendMessageLine(m_machine->GetConsole(), ConsoleColors[kColourTrace], format, args);
    va_end(args);
}

void CDevice::ConsoleError(const char* format, ...) {
    if (m_machine == nullptr)
        return;
    va_list args;
    va_start(args, format);
    AppendMessageLine(m_machine->GetConsole(), ConsoleColors[kColourError], format, args);
    va_end(args);
}

} // namespace emu
