#pragma once
// The machine's interrupt-line service ("_INTR"). This class declares the part
// of the service that the parameter binder fills from devices' interrupt-vector
// parameters: two tables of 256 vector hooks. The interrupt lines proper
// complete it.
#include <cstdint>

#include "emu/framework/CObject.h"

namespace emu {

class CProcessorInterface;

class CInterrupts : public CObject {
public:
    static constexpr uint32_t kLastVector = 255;

    // Called for a vector with two pass-through values and the main processor
    // (or null); may set the 64-bit out value.
    typedef bool (*VectorHook)(void* context, uint32_t vector, uint32_t a, uint32_t b, CProcessorInterface* processor,
                               uint64_t* out);

    CInterrupts();
    ~CInterrupts() override;

    // Store the hook with its context for the vector in the first (A) or the
    // second (B) table; a null hook clears the entry. False for a vector above 255.
    virtual bool SetVectorHookA(uint32_t vector, void* context, VectorHook hook) = 0;
    virtual bool SetVectorHookB(uint32_t vector, void* context, VectorHook hook) = 0;
};

} // namespace emu
