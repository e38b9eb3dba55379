#pragma once
// The machine's I/O port service ("_PORT"): ports 0 to 65535, each with an
// input and an output handler. This class declares the part of the service
// that the parameter binder registers device handlers through; the port space
// proper completes it.
#include <cstdint>

#include "emu/framework/CObject.h"

namespace emu {

class CPorts : public CObject {
public:
    static constexpr uint32_t kLastPort = 0xFFFF;

    // Fills `size` bytes (little-endian) for an input from `port`; flag 1 is a
    // peek. False: not taken.
    typedef bool (*InputHandler)(void* context, uint32_t port, uint32_t size, uint8_t* value, uint8_t flag);
    // The same, also reporting a status byte (preset to 0 by the caller).
    typedef bool (*InputHandlerWithStatus)(void* context, uint32_t port, uint32_t size, uint8_t* value, uint8_t flag,
                                           uint8_t* status);
    typedef bool (*OutputHandler)(void* context, uint32_t port, uint32_t size, uint8_t* value);

    CPorts();
    ~CPorts() override;

    // Registrations: false for a port above 65535. Registering one input kind
    // for a port replaces the other kind there.
    virtual bool SetInputHandler(uint32_t port, void* context, InputHandler handler) = 0;
    virtual bool SetInputHandlerWithStatus(uint32_t port, void* context, InputHandlerWithStatus handler) = 0;
    virtual bool SetOutputHandler(uint32_t port, void* context, OutputHandler handler) = 0;
    // Take a port's input handler (either kind) or output handler away again,
    // so that a device whose port parameter is withdrawn stops answering there.
    // False for a port above 65535.
    virtual bool RemoveInputHandler(uint32_t port) = 0;
    virtual bool RemoveOutputHandler(uint32_t port) = 0;
};

} // namespace emu
