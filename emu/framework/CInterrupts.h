#pragma once
// The machine's interrupt-line service ("_INTR"). Devices raise and lower
// numbered request lines through it; the processor asks it to acknowledge an
// interrupt. Both are forwarded to the interrupt controllers that registered
// with it, in registration order, until one takes the call (the pending test
// is answered by the first controller that has one). Every raise also makes
// every processor look for an interrupt at its next instruction boundary,
// through the owner machine, whether a controller took the line or not.
//
// It also keeps two tables of 256 vector hooks (A and B) that the parameter
// binder fills from devices' interrupt-vector parameters.
//
// State chunk "_INTRS": "VER" u8 0; registrations and hooks are not saved.
//
// Emulation thread only; no call allocates (but a registration) or locks.
#include <cstdint>
#include <vector>

#include "emu/framework/CObject.h"

namespace emu {

class CMachineInterface;
class CProcessorInterface;

class CInterrupts : public CObject {
public:
    static constexpr uint32_t kLastVector = 255;
    // Out value preset of the two hook tables.
    static constexpr uint64_t kHookADefault = 100;
    static constexpr uint64_t kHookBDefault = 0;

    // Called for a vector with two pass-through values and the main processor
    // (or null); may set the 64-bit out value.
    typedef bool (*VectorHook)(void* context, uint32_t vector, uint32_t a, uint32_t b, CProcessorInterface* processor,
                               uint64_t* out);
    // A controller's three operations, called with its id.
    typedef bool (*AcknowledgeCallback)(void* id, bool commit, int32_t* line, int32_t* vector, int32_t* address);
    typedef bool (*LineCallback)(void* id, uint32_t line, bool raise);
    typedef bool (*PendingCallback)(void* id, int32_t line);

    CInterrupts();
    ~CInterrupts() override;

    // Clears every vector hook and empties the controller list.
    bool Start(int32_t* value) override;
    // Empties the controller list.
    void Stop() override;
    bool SaveData(common::CStreamHolder& holder) override;
    bool LoadData(common::CStreamHolder& holder, common::CNarrowString* errorText) override;

    // The machine told about every raise; not owned.
    void SetOwner(CMachineInterface* owner) { m_owner = owner; }
    CMachineInterface* GetOwner() const { return m_owner; }

    // Appends a new id (true). An id already present is not replaced: true only
    // when all three callbacks equal the stored ones. A null callback is skipped
    // by the walks that need it.
    bool RegisterController(void* id, AcknowledgeCallback acknowledge, LineCallback line, PendingCallback pending);
    // Removes the record with that id; nothing when absent.
    void UnregisterController(void* id);
    int32_t GetControllerCount() const { return static_cast<int32_t>(m_controllers.size()); }

    // The first controller that offers a request (and, with commit, acknowledges
    // it) answers true; false when none has one.
    bool AcknowledgeInterrupt(bool commit, int32_t* line, int32_t* vector, int32_t* address);
    // The first controller that takes the line answers true; a raise then asks
    // the owner for an interrupt check in any case.
    bool SetRequestLine(uint32_t line, bool raise);
    // check false: SetRequestLine(line, true). Otherwise the interrupt check is
    // requested first, and a line already pending is not raised again (true).
    bool RaiseInterrupt(uint32_t line, bool check);
    // The first controller with a pending test answers; false without one.
    bool IsInterruptPending(int32_t line);

    // Store the hook with its context for the vector in the first (A) or the
    // second (B) table; a null hook clears the entry. False for a vector above 255.
    virtual bool SetVectorHookA(uint32_t vector, void* context, VectorHook hook);
    virtual bool SetVectorHookB(uint32_t vector, void* context, VectorHook hook);
    // Call the vector's hook with the main processor. The out value (may be
    // null) is preset to 100 (A) or 0 (B); false for a vector above 255 or
    // without a hook, else the hook's answer.
    bool CallVectorHookA(uint32_t vector, uint32_t a, uint32_t b, uint64_t* out);
    bool CallVectorHookB(uint32_t vector, uint32_t a, uint32_t b, uint64_t* out);

private:
    struct CHook {
        void* context;
        VectorHook handler;
    };
    struct CController {
        void* id;
        AcknowledgeCallback acknowledge;
        PendingCallback pending;
        LineCallback line;
    };

    void ClearHooks();
    bool CallHook(const CHook* table, uint32_t vector, uint32_t a, uint32_t b, uint64_t* out, uint64_t preset);
    void RequestInterruptCheck();

    CMachineInterface* m_owner; // not owned
    CHook m_hooksA[kLastVector + 1];
    CHook m_hooksB[kLastVector + 1];
    std::vector<CController> m_controllers; // in registration order
};

} // namespace emu
