// The controller's settings keys and Debug menu items: its 60 trace and break flags.
#include <initializer_list>

#include "common/CNarrowString.h"
#include "common/COptionNode.h"
#include "common/CSettingsRegistry.h"
#include "common/CWideString.h"
#include "emu/chips/CInterruptController_I8259.h"
#include "emu/framework/COptionTree.h"

namespace emu {

bool CInterruptController_I8259::CollectProperties(common::CSettingsRegistry* registry, bool enabledOnly) {
    if (!enabledOnly && registry != nullptr) {
        const auto bindLines = [registry](const char* format, bool* flags) {
            for (int32_t n = 0; n < kLines; ++n) {
                common::CNarrowString key;
                key.Format(format, static_cast<long>(n));
                registry->BindBool(key, &flags[n]);
            }
        };
        bindLines("TraceRaiseIRQ%ld", m_traceRaiseIRQ);
        bindLines("TraceProcessIRQ%ld", m_traceProcessIRQ);
        bindLines("BreakRaiseIRQ%ld", m_breakRaiseIRQ);
        bindLines("BreakProcessIRQ%ld", m_breakProcessIRQ);
        const struct {
            const char* key;
            bool* flag;
        } ports[] = {
            {"TraceReadPorts0", &m_traceReadPorts0},   {"TraceReadPorts1", &m_traceReadPorts1},
            {"TraceWritePorts0", &m_traceWritePorts0}, {"TraceWritePorts1", &m_traceWritePorts1},
            {"BreakReadPorts0", &m_breakReadPorts0},   {"BreakReadPorts1", &m_breakReadPorts1},
            {"BreakWritePorts0", &m_breakWritePorts0}, {"BreakWritePorts1", &m_breakWritePorts1},
        };
        for (const auto& entry : ports)
            registry->BindBool(common::CNarrowString(entry.key), entry.flag);
        // The word numbers in the keys count from 0: TraceWriteICW0 is ICW1.
        const auto bindWords = [registry](int32_t count, bool* trace, bool* brk, const char* traceFormat,
                                          const char* breakFormat) {
            for (int32_t n = 0; n < count; ++n) {
                common::CNarrowString key;
                key.Format(traceFormat, static_cast<long>(n));
                registry->BindBool(key, &trace[n]);
                key.Format(breakFormat, static_cast<long>(n));
                registry->BindBool(key, &brk[n]);
            }
        };
        bindWords(4, m_traceWriteICW, m_breakWriteICW, "TraceWriteICW%ld", "BreakWriteICW%ld");
        bindWords(3, m_traceWriteOCW, m_breakWriteOCW, "TraceWriteOCW%ld", "BreakWriteOCW%ld");
        const struct {
            const char* key;
            bool* flag;
        } reads[] = {
            {"TraceReadIRR", &m_traceReadIRR}, {"BreakReadIRR", &m_breakReadIRR}, {"TraceReadISR", &m_traceReadISR},
            {"BreakReadISR", &m_breakReadISR}, {"TraceReadIMR", &m_traceReadIMR}, {"BreakReadIMR", &m_breakReadIMR},
        };
        for (const auto& entry : reads)
            registry->BindBool(common::CNarrowString(entry.key), entry.flag);
    }
    return CInterruptController::CollectProperties(registry, enabledOnly);
}

namespace {

constexpr int32_t kTextSelectAll = 78;
constexpr int32_t kTextClearAll = 79;

uint8_t* FlagByte(bool* flag) {
    return reinterpret_cast<uint8_t*>(flag);
}

// A submenu whose check mark follows its items.
common::COptionNode* AddSubmenu(common::COptionNode* parent, const char* name) {
    common::COptionNode* node = parent->CreateChild(common::CWideString(name));
    if (node != nullptr)
        parent->AddCheckedWhenNode(node, true);
    return node;
}

void AddCheckItem(common::COptionNode* parent, const char* name, bool* flag) {
    common::COptionNode* item = parent->CreateCheckItem(common::CWideString(name), FlagByte(flag), 1, nullptr, 1);
    if (item != nullptr)
        parent->AddCheckedWhenNode(item, true);
}

// An action item that sets every flag of the group to the value.
void AddSetAction(common::COptionNode* item, bool* const* flags, int32_t count, uint8_t value) {
    if (item == nullptr)
        return;
    for (int32_t i = 0; i < count; ++i)
        item->AddActionSetByte(FlagByte(flags[i]), value);
}

// Separator, "Select All" and "Clear All" over the group.
void AddGroupActions(common::COptionNode* parent, bool* const* flags, int32_t count) {
    parent->CreateUnnamedChild();
    AddSetAction(parent->CreateChildById(kTextSelectAll), flags, count, 1);
    AddSetAction(parent->CreateChildById(kTextClearAll), flags, count, 0);
}

} // namespace

void CInterruptController_I8259::BuildFlagMenus(COptionTree* menu, bool brk) {
    bool* const writeIcw = brk ? m_breakWriteICW : m_traceWriteICW;
    bool* const writeOcw = brk ? m_breakWriteOCW : m_traceWriteOCW;
    bool* const readIrr = brk ? &m_breakReadIRR : &m_traceReadIRR;
    bool* const readIsr = brk ? &m_breakReadISR : &m_traceReadISR;
    bool* const readImr = brk ? &m_breakReadIMR : &m_traceReadIMR;
    if (common::COptionNode* node = AddSubmenu(menu, brk ? "Break On Registers" : "Trace Registers")) {
        AddCheckItem(node, "Write ICW1 (Start Initialization, Reset State)", &writeIcw[0]);
        AddCheckItem(node, "Write ICW2 (x86-IRQ base index, i8080-interrupt table MSB)", &writeIcw[1]);
        AddCheckItem(node, "Write ICW3 (Cascading MasterConfig/SlaveId)", &writeIcw[2]);
        AddCheckItem(node, "Write ICW4 (x86/i8080, AutoEOI, Full Nesting, M/S Buffering)", &writeIcw[3]);
        node->CreateUnnamedChild();
        AddCheckItem(node, "Write OCW1 (IRM - Interrupt Mask Register)", &writeOcw[0]);
        AddCheckItem(node, "Write OCW2 (EOI, AutoRotate, Priority)", &writeOcw[1]);
        AddCheckItem(node, "Write OCW3 (Polling, ReadMode, SpecialMask)", &writeOcw[2]);
        node->CreateUnnamedChild();
        AddCheckItem(node, "Read IRR (Interrupt Request Register)", readIrr);
        AddCheckItem(node, "Read IRR (Interrupt Service Register)", readIsr);
        AddCheckItem(node, "Read IRM (Interrupt Mask Register)", readImr);
        bool* const group[] = {&writeIcw[0], &writeIcw[1], &writeIcw[2], &writeIcw[3], &writeOcw[0],
                               &writeOcw[1], &writeOcw[2], readIrr,      readIsr,      readImr};
        AddGroupActions(node, group, 10);
    }
    bool* const writePort0 = brk ? &m_breakWritePorts0 : &m_traceWritePorts0;
    bool* const readPort0 = brk ? &m_breakReadPorts0 : &m_traceReadPorts0;
    bool* const writePort1 = brk ? &m_breakWritePorts1 : &m_traceWritePorts1;
    bool* const readPort1 = brk ? &m_breakReadPorts1 : &m_traceReadPorts1;
    if (common::COptionNode* node = AddSubmenu(menu, brk ? "Break On Ports" : "Trace Ports")) {
        AddCheckItem(node, "Write Port 0 (ICW1,OCW2,OCW3)", writePort0);
        AddCheckItem(node, "Read Port 0 (IRR,ISR,Polling)", readPort0);
        AddCheckItem(node, "Write Port 1 (ICW2,ICW3,ICW4,OCW1)", writePort1);
        AddCheckItem(node, "Read Port 1 (IMR)", readPort1);
        bool* const group[] = {writePort0, readPort0, writePort1, readPort1};
        AddGroupActions(node, group, 4);
    }
    bool* const raise = brk ? m_breakRaiseIRQ : m_traceRaiseIRQ;
    bool* const process = brk ? m_breakProcessIRQ : m_traceProcessIRQ;
    const auto addLines = [menu](const char* name, bool* flags) {
        common::COptionNode* node = AddSubmenu(menu, name);
        if (node == nullptr)
            return;
        bool* group[kLines];
        for (int32_t n = 0; n < kLines; ++n) {
            common::CNarrowString text;
            text.Format("IRQ Line %ld", static_cast<long>(n));
            AddCheckItem(node, text.GetNarrow(), &flags[n]);
            group[n] = &flags[n];
        }
        AddGroupActions(node, group, kLines);
    };
    addLines(brk ? "Break On Raise IRQ" : "Trace Raise IRQ", raise);
    addLines(brk ? "Break On Process IRQ" : "Trace Process IRQ", process);
    // "Trace All" / "Break On All": every flag of the kind.
    bool* all[30];
    int32_t count = 0;
    for (int32_t n = 0; n < kLines; ++n)
        all[count++] = &raise[n];
    for (int32_t n = 0; n < kLines; ++n)
        all[count++] = &process[n];
    for (bool* flag : {writePort0, readPort0, writePort1, readPort1, &writeIcw[0], &writeIcw[1], &writeIcw[2],
                       &writeIcw[3], &writeOcw[0], &writeOcw[1], &writeOcw[2], readIrr, readIsr, readImr})
        all[count++] = flag;
    AddSetAction(menu->CreateChild(common::CWideString(brk ? "Break On All" : "Trace All")), all, count, 1);
}

void CInterruptController_I8259::BuildMenu(COptionTree* menu, int32_t kind) {
    CInterruptController::BuildMenu(menu, kind);
    if (kind != kMenuDebug || menu == nullptr)
        return;
    BuildFlagMenus(menu, false);
    menu->CreateUnnamedChild();
    BuildFlagMenus(menu, true);
    menu->CreateUnnamedChild();
    bool* all[60];
    int32_t count = 0;
    const auto take = [&all, &count](bool* flags, int32_t n) {
        for (int32_t i = 0; i < n; ++i)
            all[count++] = &flags[i];
    };
    take(m_traceRaiseIRQ, kLines);
    take(m_traceProcessIRQ, kLines);
    take(m_breakRaiseIRQ, kLines);
    take(m_breakProcessIRQ, kLines);
    for (bool* flag : {&m_traceReadPorts0, &m_traceReadPorts1, &m_traceWritePorts0, &m_traceWritePorts1,
                       &m_breakReadPorts0, &m_breakReadPorts1, &m_breakWritePorts0, &m_breakWritePorts1})
        all[count++] = flag;
    take(m_traceWriteICW, 4);
    take(m_breakWriteICW, 4);
    take(m_traceWriteOCW, 3);
    take(m_breakWriteOCW, 3);
    for (bool* flag :
         {&m_traceReadIRR, &m_breakReadIRR, &m_traceReadISR, &m_breakReadISR, &m_traceReadIMR, &m_breakReadIMR})
        all[count++] = flag;
    AddSetAction(menu->CreateChildById(kTextSelectAll), all, count, 1);
    AddSetAction(menu->CreateChildById(kTextClearAll), all, count, 0);
}

} // namespace emu
