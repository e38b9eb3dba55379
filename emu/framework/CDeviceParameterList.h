#pragma once
// A device's parameters, one per name, in name order. Before the device knows
// its machine the list only collects declarations; afterwards every new
// declaration and every removal asks the machine to bind again, which takes
// effect while the machine runs.
//
// The list's part of the device's state is the chunk "_CFP" holding only the
// field "VER" = 0: declarations are made again by the devices and bound again
// when the machine starts, so no parameter is stored.
#include <map>

#include "common/CNarrowString.h"
#include "emu/framework/CDeviceParameterListInterface.h"

namespace common {
class CStreamHolder;
}

namespace emu {

class CMachineInterface;

class CDeviceParameterList : public CDeviceParameterListInterface {
public:
    CDeviceParameterList();
    ~CDeviceParameterList() override;

    bool AddMemoryWindow(const char* name, bool unconditional, bool* flagTarget, uint64_t* firstPageTarget,
                         uint64_t* pageCountTarget, CMemory::ReadHandler read, CMemory::WriteHandler write) override;
    bool AddPorts(const char* name, bool unconditional, bool* flagTarget, uint64_t* firstPortTarget,
                  uint64_t* countTarget, CPorts::InputHandler input, CPorts::OutputHandler output) override;
    bool AddPorts2(const char* name, bool unconditional, bool fixed, uint64_t firstPort, uint64_t count,
                   CPorts::InputHandler input, CPorts::OutputHandler output) override;
    bool AddPorts3(const char* name, bool unconditional, bool* flagTarget, uint64_t* firstPortTarget,
                   uint64_t* countTarget, CPorts::InputHandlerWithStatus input, CPorts::OutputHandler output) override;
    bool AddPortRange(const char* name, bool unconditional, bool fixed, uint64_t firstPort, uint64_t count,
                      CPorts::InputHandlerWithStatus input, CPorts::OutputHandler output) override;
    bool AddPorts5(const char* name, bool unconditional, bool fixed, uint64_t firstPort, uint64_t count,
                   CPorts::OutputHandler output) override;
    bool AddValue(const char* name, bool unconditional, bool* flagTarget, uint64_t* valueTarget) override;
    bool AddValue2(const char* name, bool unconditional, bool* flagTarget, uint64_t* firstTarget,
                   uint64_t* secondTarget) override;
    bool AddInterruptVector(const char* name, bool unconditional, bool* flagTarget, uint64_t* firstVectorTarget,
                            uint64_t* countTarget, CInterrupts::VectorHook hook) override;
    bool AddInterruptVector2(const char* name, bool unconditional, uint64_t firstVector, uint64_t count,
                             CInterrupts::VectorHook hook) override;
    bool AddInterruptTableEntry(const char* name, bool unconditional, bool* flagTarget, uint64_t* firstVectorTarget,
                                uint64_t* countTarget, CInterrupts::VectorHook hook) override;
    bool AddInterruptTableEntry2(const char* name, bool unconditional, uint64_t firstVector, uint64_t count,
                                 CInterrupts::VectorHook hook) override;
    // Takes the parameter out, restores it when it was applied (its handlers
    // leave their service), asks the machine to bind again (its answer is the
    // result) and deletes it.
    bool Remove(const char* name) override;
    CDeviceParameter* FindByName(const char* name) override;

    // The state chunk "_CFP".
    virtual bool SaveData(common::CStreamHolder& holder);
    virtual bool LoadData(common::CStreamHolder& holder, common::CNarrowString* errorText);
    // Every parameter not applied, flags cleared, targets back to the declared values.
    virtual void RestoreAll();

    CDeviceParameter* Find(const char* name) const;
    // Unlinks the parameter without deleting it; the caller owns it then.
    CDeviceParameter* Take(const char* name);
    // Files a parameter under the name and owns it; false for null or a name
    // already present (the caller keeps the parameter then).
    bool Insert(CDeviceParameter* parameter, const char* name);
    // The parameter at the index in name order; null outside 0 .. count-1. Walks
    // from the position reached last, so a walk by index is linear.
    CDeviceParameter* GetAt(int index);
    int GetCount() const { return static_cast<int>(m_parameters.size()); }
    // Deletes every parameter. Their handlers are left where they are: a list is
    // cleared when its device goes away, and the services may be gone already.
    void Clear();

    void SetMachine(CMachineInterface* machine) { m_machine = machine; }
    CMachineInterface* GetMachine() const { return m_machine; }

private:
    typedef std::map<common::CNarrowString, CDeviceParameter*, common::NarrowStringLess> Parameters;

    // Null names and names already declared are refused before anything is
    // made, so that a refused declaration leaves the device's variables alone.
    bool CanDeclare(const char* name) const;
    // The rest of every declaration: a refused type deletes the parameter (the
    // flag target gets back the value it had); otherwise it is enabled, filed
    // and, with a machine, bound.
    bool Declare(CDeviceParameter* parameter, bool typeAccepted, bool* flagTarget);

    Parameters m_parameters;           // owned parameters
    Parameters::iterator m_cursorNode; // the entry GetAt reached last
    int m_cursorIndex;                 // its index; -1 when there is no cursor
    CMachineInterface* m_machine;      // not owned; null until the device gets its services
};

} // namespace emu
