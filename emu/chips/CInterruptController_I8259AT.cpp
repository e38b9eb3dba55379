#include "emu/chips/CInterruptController_I8259AT.h"

#include "emu/chips/CInterruptController_I8259.h"
#include "emu/framework/CInterrupts.h"

namespace emu {

CInterruptController_I8259AT::CInterruptController_I8259AT() : m_master(nullptr), m_slave(nullptr) {
    SetName("PIC I8259AT");
    SetShortName("PIC");
    m_master = new CInterruptController_I8259();
    AddChild(m_master, "PIC_A", "PIC_A");
    m_slave = new CInterruptController_I8259();
    AddChild(m_slave, "PIC_B", "PIC_B");
    m_slave->SetLineBase(kSlaveLineBase);
}

CInterruptController_I8259AT::~CInterruptController_I8259AT() {}

bool CInterruptController_I8259AT::Start(int32_t* value) {
    if (!CInterruptController::Start(value))
        return false;
    // The service must know only the pair, which routes to the two controllers.
    CInterrupts* interrupts = GetInterrupts();
    CInterruptControllerInterface* master = m_master;
    CInterruptControllerInterface* slave = m_slave;
    interrupts->UnregisterController(master);
    interrupts->UnregisterController(slave);
    return true;
}

bool CInterruptController_I8259AT::QueryTrue(common::CNarrowString* errorText) {
    return CInterruptController::QueryTrue(errorText);
}

bool CInterruptController_I8259AT::SetRequestLine(uint32_t line, bool raise) {
    if (line > kLastLine)
        return false;
    if (line < static_cast<uint32_t>(kSlaveLineBase) && line != kCascadeLine)
        return m_master->SetRequestLine(line, raise);
    // Pair line 2 is wired to slave line 1, like pair line 9.
    const uint32_t slaveLine = line == kCascadeLine ? 1 : line - kSlaveLineBase;
    if (!m_slave->SetRequestLine(slaveLine, raise))
        return false;
    // The cascade line follows the slave's output: up with any request, down
    // only when none is left, so that no other slave request is stranded.
    if (raise)
        m_master->SetRequestLine(kCascadeLine, true);
    else if (!m_slave->IsRequestPending(-1))
        m_master->SetRequestLine(kCascadeLine, false);
    return true;
}

bool CInterruptController_I8259AT::Acknowledge(bool commit, int32_t* line, int32_t* vector, int32_t* address) {
    int32_t masterLine = 0;
    int32_t masterVector = 0;
    int32_t masterAddress = 0;
    if (!m_master->Acknowledge(false, &masterLine, &masterVector, &masterAddress))
        return false;
    if (masterLine != static_cast<int32_t>(kCascadeLine)) {
        if (commit)
            return m_master->Acknowledge(true, line, vector, address);
        if (line != nullptr)
            *line = masterLine;
        if (vector != nullptr)
            *vector = masterVector;
        if (address != nullptr)
            *address = masterAddress;
        return true;
    }
    if (!m_slave->Acknowledge(false, line, vector, address)) {
        // Nothing behind the cascade line: it must not hold back the master's
        // lines of lower priority.
        return m_master->AcknowledgeExcept(1u << kCascadeLine, commit, line, vector, address);
    }
    if (!commit)
        return true;
    m_master->Acknowledge(true, &masterLine, &masterVector, &masterAddress);
    m_slave->Acknowledge(true, line, vector, address);
    // The slave still has requests: its output raises the cascade line again.
    if (m_slave->IsRequestPending(-1) && !m_master->IsRequestPending(static_cast<int32_t>(kCascadeLine)))
        m_master->SetRequestLine(kCascadeLine, true);
    return true;
}

bool CInterruptController_I8259AT::IsRequestPending(int32_t line) {
    if (line < kSlaveLineBase)
        return m_master->IsRequestPending(line);
    if (line <= static_cast<int32_t>(kLastLine))
        return m_slave->IsRequestPending(line - kSlaveLineBase);
    return false;
}

} // namespace emu
