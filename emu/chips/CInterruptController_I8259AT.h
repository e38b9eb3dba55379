#pragma once
// Two Intel 8259 controllers cascaded as master and slave: sixteen request
// lines behind one controller interface.
//
//   Pair line   Controller line                 Trace name
//   0, 1, 3-7   master 0, 1, 3-7                IRQ_0 .. IRQ_7
//   2           slave 1 (as pair line 9)        IRQ_9
//   8-15        slave 0-7, cascaded into        IRQ_8 .. IRQ_15
//               master line 2
//
// The slave's output is master line 2: it is raised with every slave request
// and lowered once the slave holds no request any more. An acknowledge that
// reaches master line 2 is answered by the slave (its own line 0-7, vector and
// address from its own ICWs); while the slave has nothing to offer behind it
// (masked, still initialising, blocked by its own service), the master offers
// its other lines. The wiring is fixed; the ICW3 words of both are stored only.
//
// The children "PIC_A" (master) and "PIC_B" (slave) keep their own ports,
// registers, state chunks, settings and Debug menus; the pair's own data is
// the controller base's. Only the pair is registered with the interrupt
// service.
//
// Emulation thread only.
#include <cstdint>

#include "emu/framework/CInterruptController.h"

namespace emu {

class CInterruptController_I8259;

class CInterruptController_I8259AT : public CInterruptController {
public:
    static constexpr uint32_t kCascadeLine = 2;
    static constexpr int32_t kSlaveLineBase = 8;
    static constexpr uint32_t kLastLine = 15;

    CInterruptController_I8259AT();
    ~CInterruptController_I8259AT() override;

    // Starts both controllers, registers the pair and takes the controllers'
    // own registrations away again.
    bool Start(int32_t* value) override;
    bool QueryTrue(common::CNarrowString* errorText) override;

    bool Acknowledge(bool commit, int32_t* line, int32_t* vector, int32_t* address) override;
    // Lines above 15 are refused.
    bool SetRequestLine(uint32_t line, bool raise) override;
    // Negative: whether the master has any request.
    bool IsRequestPending(int32_t line) override;

    CInterruptController_I8259* GetMaster() const { return m_master; }
    CInterruptController_I8259* GetSlave() const { return m_slave; }

private:
    CInterruptController_I8259* m_master; // owned by the child list
    CInterruptController_I8259* m_slave;  // owned by the child list
};

} // namespace emu
