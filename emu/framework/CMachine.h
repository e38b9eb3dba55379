#pragma once
// Root of an emulated machine: at once the root device of the device tree and
// the machine interface through which devices and the emulator core reach it.
// It owns the seven standard services (in a container of their own, so that
// their state chunks come first), the device tree, the list of processors and
// the parameter binder, and it runs the power cycle:
//
//   Build  creates the services "_BUS" "_MEM" "_PORT" "_INTR" "_KEYB" "_MOUSE"
//          and the drive set (the concrete machine then adds its devices)
//   Start  services, service hand-over, root device and devices, binding of
//          every parameter (reset 0x8E), then reset 0x140
//   Stop   device tree last to first, then the services
//
// State (written into the caller's open chunk):
//   field "VER" u8 0, the services container's chunk, the root device's chunk
// A load that fails after its version check has already changed part of the
// machine: it logs an error, puts the reason into the caller's error text and
// marks the machine (IsStatePartlyLoaded) so that the core restarts or reloads it.
//
// Host screen: the machine installs its reset callback in the renderer it is
// given and takes it out again when it lets the renderer go (another host,
// none, Shutdown or destruction), unless another machine has taken the
// renderer since. A renderer destroyed first must be detached (AttachHost(null)).
//
// Destruction: the services go first, then the device tree, so a device's
// destructor must not use a service.
//
// No lock of its own: the emulator core serialises every call.
#include <cstdint>
#include <vector>

#include "emu/framework/CDevice.h"
#include "emu/framework/CMachineInterface.h"
#include "emu/framework/CParameterBinder.h"

namespace emu {

class CMediaSlot;
struct CMouseEvent;
class CProcessor;
class CRenderer;
class CSoundOutput;

class CMachine : public CMachineInterface, public CDevice {
public:
    // The core's break hook (mode 0 from CheckBreak, -1 from PollBreak).
    typedef uint32_t (*BreakHook)(void* user, bool* request, bool* result, int32_t mode);

    // The services' own container: it owns them and saves them as one chunk.
    class CServices : public CObjectContainer {
    public:
        CServices();
        ~CServices() override;
        bool QueryTrue(common::CNarrowString* errorText) override;
    };

    // UI text of the "Stretch to Window" item in the Video menu.
    static constexpr int32_t kTextStretchToWindow = 44;
    static constexpr int32_t kMenuVideo = 3;

    CMachine();
    ~CMachine() override;

    // --- The machine interface -------------------------------------------------
    CProcessorInterface* GetMainProcessor() override;
    common::CTextConsole* GetConsole() override;
    bool GetStateFlag() override;
    bool PollBreak(uint32_t argument) override;
    void GetBaseFrequency(int64_t* out) final;
    void GetBaseCycleCount(int64_t* out) final;
    void GetBaseTime(int64_t* frequency, int64_t* cycles) final;
    bool BindParameters(CDeviceParameter* parameter) override;
    void NotifyInterruptRequest() override;
    uint32_t CheckBreak(bool* request, bool* result) override;
    void Suspend(bool on) override;

    // --- The root device -------------------------------------------------------
    // "StretchScreen" (settings only, not with enabledOnly), then the devices.
    bool CollectProperties(common::CSettingsRegistry* registry, bool enabledOnly) override;
    bool Start(int32_t* value) override;
    void Stop() override;
    // The devices' items; the Video menu also gets "Stretch to Window".
    void BuildMenu(COptionTree* menu, int32_t kind) override;
    bool SaveState(common::CStreamHolder& holder) override;
    bool LoadState(common::CStreamHolder& holder, common::CNarrowString* errorText) override;
    void SetConsole(common::CTextConsole* console) override;
    bool AddChild(CObject* child, const char* name, const char* shortName) override;
    void DeleteChildren() override;
    bool QueryTrue(common::CNarrowString* errorText) override;
    bool HandleEvent(uint32_t event, uint8_t flag, uintptr_t argument) override;

    // Adds a top-level device (a processor also joins the processor list).
    virtual bool AddDevice(CObject* device, const char* name, const char* shortName);
    // Empties the processor list and deletes every device.
    virtual void DeleteDevices();
    // Lets go of the host screen (its callback into the machine is cleared)
    // and deletes every device.
    virtual void Shutdown();
    // Creates the services; false when one cannot be added (the earlier ones stay).
    virtual bool Build();
    // Offers the event to every enabled top-level device, all of them even after
    // one took it; true when any did.
    virtual bool DispatchEvent(uint32_t event, uint8_t flag, uintptr_t argument);

    // --- Processors ------------------------------------------------------------
    int32_t GetProcessorCount() const { return static_cast<int32_t>(m_processors.size()); }
    // Null for an index outside the list.
    CProcessor* GetProcessor(int32_t index) const;

    // --- Host side ---------------------------------------------------------------
    // Makes the renderer the host screen (null: none). The previous host
    // screen's callback into this machine is cleared; the devices get the new
    // pointer and, while the machine runs, reset 0x100.
    void AttachHost(CRenderer* host);
    CRenderer* GetHost() const { return m_host; }
    void SetSoundOutput(CSoundOutput* output);
    CSoundOutput* GetSoundOutput() const { return m_soundOutput; }
    void SetSoundRate(int32_t rate);
    void TickBus();
    void SetSoundPaused(bool paused);
    // A negative code with pressed false releases every key.
    void KeyEvent(int32_t code, bool pressed);
    // Handed to the mouse listeners unchanged.
    void MouseEvent(CMouseEvent* event);

    // --- The core's hooks ----------------------------------------------------------
    void SetBreakHook(BreakHook hook) { m_breakHook = hook; }
    void SetBreakHookUser(void* user) { m_breakHookUser = user; }
    BreakHook GetBreakHook() const { return m_breakHook; }
    void* GetBreakHookUser() const { return m_breakHookUser; }
    // The core sets it while it restarts the machine for a state load.
    void SetStateFlag(bool on) { m_stateFlag = on; }
    int32_t GetSuspendCount() const { return m_suspendCount; }
    // A state load failed after it had begun to change the machine; cleared by
    // the next successful start or state load.
    bool IsStatePartlyLoaded() const { return m_statePartlyLoaded; }

    // --- Services ------------------------------------------------------------------
    bool GetStretchScreen() const { return m_stretchScreen; }
    void SetStretchScreen(bool on) { m_stretchScreen = on; }
    CServices& GetServices() { return m_services; }
    CBus* GetBusService() const { return m_serviceBus; }
    CMemory* GetMemoryService() const { return m_serviceMemory; }
    CPorts* GetPortsService() const { return m_servicePorts; }
    CInterrupts* GetInterruptsService() const { return m_serviceInterrupts; }
    CKeys* GetKeysService() const { return m_serviceKeys; }
    CMouse* GetMouseService() const { return m_serviceMouse; }
    CDrives* GetDrivesService() const { return m_serviceDrives; }

    // Callbacks installed elsewhere, with the machine as user.
    static void OnMediaChanged(void* machine, CMediaSlot* slot, uint8_t about);
    // Whether a disk controller of the machine takes an image of `size` bytes
    // in the drive that the slot feeds; a slot no controller uses takes any.
    static bool OnImageCheck(void* machine, CMediaSlot* slot, uint64_t size);
    static void OnHostAttached(void* machine);
    static bool OnHostLinkHook(uintptr_t machine);

protected:
    // Hands the services to the device and every enabled device below it
    // (parents first); a null or disabled device and its subtree get nothing.
    void ConnectDevices(CDevice* device, CMachineInterface* machine, CBus* bus, CMemory* memory, CPorts* ports,
                        CInterrupts* interrupts, CRenderer* hostLink, CKeys* keys, CDrives* drives);
    // Binds the parameters of the device's subtree (filter 0: all, else only
    // that type); false at the first refused one.
    bool ApplyParameters(CDevice* device, uint32_t filter);
    // The reset word that follows a binding of the filter's type.
    static uint32_t ResetWordFor(uint32_t filter);
    // Takes this machine's callback out of the host screen, if it still holds it.
    void ReleaseHost();
    // Adds one service to the container and records it; deletes it on failure.
    template <typename T> bool AddService(T*& slot);

    int32_t m_suspendCount;
    bool m_stretchScreen;
    CServices m_services;
    CParameterBinder m_binder;
    // The services, owned by m_services; null until Build.
    CBus* m_serviceBus;
    CMemory* m_serviceMemory;
    CPorts* m_servicePorts;
    CInterrupts* m_serviceInterrupts;
    CKeys* m_serviceKeys;
    CMouse* m_serviceMouse;
    CDrives* m_serviceDrives;
    std::vector<CProcessorInterface*> m_processors; // the devices' interfaces; not owned
    // The first of them when it is a CProcessor, asked without a virtual call
    // for the base time that every timer update reads; not owned.
    CProcessor* m_mainCpu;
    bool m_stateFlag;
    bool m_statePartlyLoaded;
    CRenderer* m_host;           // the host screen; not owned
    CSoundOutput* m_soundOutput; // the host's prototype output; not owned
    void* m_breakHookUser;       // the core; not owned
    BreakHook m_breakHook;
};

} // namespace emu
