#pragma once
// The mouse service as event senders see it.
namespace emu {

// The mouse event record; the emulator core defines it. The service only
// passes its address on.
struct CMouseEvent;

class CMouseInterface {
public:
    CMouseInterface();
    virtual ~CMouseInterface();

    CMouseInterface(const CMouseInterface&) = delete;
    CMouseInterface& operator=(const CMouseInterface&) = delete;

    // Hands the record to every listener.
    virtual void DeliverMouseEvent(CMouseEvent* event) = 0;
};

} // namespace emu
