#pragma once
// What an interrupt controller offers the machine's interrupt-line service,
// which forwards line changes and acknowledges to its registered controllers
// in registration order until one takes the call.
#include <cstdint>

namespace emu {

class CInterruptControllerInterface {
public:
    CInterruptControllerInterface();
    virtual ~CInterruptControllerInterface();

    // Offers the best pending request (commit false) or acknowledges it
    // (commit true); the three outputs are filled by the controller. False
    // when this controller has nothing to offer.
    virtual bool Acknowledge(bool commit, int32_t* line, int32_t* vector, int32_t* address) = 0;
    // Raises or lowers a request line; true when this controller took the call.
    virtual bool SetRequestLine(uint32_t line, bool raise) = 0;
    // Whether that line's request (any line's, for a negative line) is pending.
    virtual bool IsRequestPending(int32_t line) = 0;
};

} // namespace emu
