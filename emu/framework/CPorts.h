#pragma once
// The machine's I/O port service ("_PORT"): ports 0 to 65535, each with an
// input and an output handler registered by a device (through its port
// parameter, which the parameter binder binds when the machine starts).
//
// Look-up: index = port & port mask & size mask; the high byte picks one of
// 256 page pointers, the low byte the entry. A page of 256 entries exists only
// where a handler was registered. An access nobody answers goes to the
// fallback handlers, and then reads 0xFF (status 0) or is dropped. Multi-byte
// accesses are offered whole first, then split into smaller ones, low part first.
//
// State chunk "_PORTS": "VER" u8 0; registrations are not saved.
//
// Emulation thread only; accesses neither allocate nor lock.
#include <cstdint>

#include "emu/framework/CObject.h"

namespace emu {

class CPorts : public CObject {
public:
    static constexpr uint32_t kLastPort = 0xFFFF;
    static constexpr uint8_t kDefaultInput = 0xFF;

    // Fills `size` bytes (little-endian) for an input from `port`; flag 1 is a
    // peek. False: not taken.
    typedef bool (*InputHandler)(void* context, uint32_t port, uint32_t size, uint8_t* value, uint8_t flag);
    // The same, also reporting a status byte (preset to 0 by the caller).
    typedef bool (*InputHandlerWithStatus)(void* context, uint32_t port, uint32_t size, uint8_t* value, uint8_t flag,
                                           uint8_t* status);
    typedef bool (*OutputHandler)(void* context, uint32_t port, uint32_t size, uint8_t* value);

    CPorts();
    ~CPorts() override;

    // Drops every registration and fallback; the masks go back to 0xFFFF.
    bool Start(int32_t* value) override;
    // Drops every registration and fallback; the masks stay.
    void Stop() override;
    bool SaveData(common::CStreamHolder& holder) override;
    bool LoadData(common::CStreamHolder& holder, common::CNarrowString* errorText) override;
    // As Stop.
    void ReleasePages();

    // Registrations: false for a port above 65535 (or when a page cannot be
    // allocated). A null handler changes nothing and answers true. The last
    // registration wins; registering one input kind removes the other kind.
    virtual bool SetInputHandler(uint32_t port, void* context, InputHandler handler);
    virtual bool SetInputHandlerWithStatus(uint32_t port, void* context, InputHandlerWithStatus handler);
    virtual bool SetOutputHandler(uint32_t port, void* context, OutputHandler handler);
    // Take a port's input handler (either kind) or output handler away again,
    // so that a device whose port parameter is withdrawn stops answering there.
    // False for a port above 65535.
    virtual bool RemoveInputHandler(uint32_t port);
    virtual bool RemoveOutputHandler(uint32_t port);

    // Accesses. `status` (may be null) is set to 0 before any handler runs; a
    // status handler may set it. Inputs nobody answers give 0xFF per byte.
    uint8_t InputByte(uint32_t port, uint8_t flag, uint8_t* status);
    uint16_t InputWord(uint32_t port, uint8_t flag, uint8_t* status);
    uint32_t InputDword(uint32_t port, uint8_t flag, uint8_t* status);
    void OutputByte(uint32_t port, uint8_t value);
    void OutputWord(uint32_t port, uint16_t value);
    void OutputDword(uint32_t port, uint32_t value);

    // Handlers asked when a port's own handler is missing or declines (null:
    // none). Start and Stop clear them.
    void SetFallbackInput(void* context, InputHandler handler, InputHandlerWithStatus statusHandler);
    void SetFallbackOutput(void* context, OutputHandler handler);
    // Masks applied to the port before the look-up (all 0xFFFF after Start).
    void SetMasks(uint32_t portMask, uint32_t byteMask, uint32_t wordMask, uint32_t dwordMask);

private:
    struct CInputEntry {
        void* context;
        InputHandler handler;
        InputHandlerWithStatus statusHandler;
    };
    struct COutputEntry {
        void* context;
        OutputHandler handler;
    };

    static constexpr uint32_t kPages = 256;

    CInputEntry* FindInput(uint32_t index) const {
        CInputEntry* page = m_inputPages[(index >> 8) & 0xFF];
        return page != nullptr ? page + (index & 0xFF) : nullptr;
    }
    COutputEntry* FindOutput(uint32_t index) const {
        COutputEntry* page = m_outputPages[(index >> 8) & 0xFF];
        return page != nullptr ? page + (index & 0xFF) : nullptr;
    }
    CInputEntry* MakeInput(uint32_t port);
    bool Input(uint32_t port, uint32_t size, uint32_t sizeMask, uint8_t* value, uint8_t flag, uint8_t* status);
    bool Output(uint32_t port, uint32_t size, uint32_t sizeMask, uint8_t* value);

    uint8_t m_defaultInput;
    void* m_fallbackContext; // not owned
    InputHandler m_fallbackInput;
    InputHandlerWithStatus m_fallbackStatusInput;
    void* m_fallbackOutputContext; // not owned
    OutputHandler m_fallbackOutput;
    CInputEntry* m_inputPages[kPages];   // owned, allocated on first registration
    COutputEntry* m_outputPages[kPages]; // owned, allocated on first registration
    uint32_t m_portMask;
    uint32_t m_byteMask;
    uint32_t m_wordMask;
    uint32_t m_dwordMask;
};

} // namespace emu
