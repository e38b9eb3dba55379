#pragma once
// Device base of every interrupt controller: when it starts it registers its
// controller interface with the machine's interrupt-line service, through
// three plain trampolines that take the interface as their id.
//
// Own data after the device base's: chunk "_INTRD" with "VER" u8 0; a derived
// controller appends its registers after it.
#include <cstdint>

#include "emu/framework/CDevice.h"
#include "emu/framework/CInterruptControllerInterface.h"

namespace emu {

class CInterrupts;

class CInterruptController : public CDevice, public CInterruptControllerInterface {
public:
    CInterruptController();
    ~CInterruptController() override;

    // The device start; when it succeeds, the registration with the machine's
    // interrupt service (false without one).
    bool Start(int32_t* value) override;
    bool SaveData(common::CStreamHolder& holder) override;
    bool LoadData(common::CStreamHolder& holder, common::CNarrowString* errorText) override;

    // Defaults: nothing to offer, no line taken.
    bool Acknowledge(bool commit, int32_t* line, int32_t* vector, int32_t* address) override;
    bool SetRequestLine(uint32_t line, bool raise) override;

    // The registration alone.
    bool RegisterWith(CInterrupts* interrupts);

    // The id is the controller's interface.
    static bool AcknowledgeTrampoline(void* id, bool commit, int32_t* line, int32_t* vector, int32_t* address);
    static bool SetRequestLineTrampoline(void* id, uint32_t line, bool raise);
    static bool IsRequestPendingTrampoline(void* id, int32_t line);
};

} // namespace emu
