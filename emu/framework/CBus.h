#pragma once
// The machine's bus service ("_BUS"): a clock that ticks once per audio sample
// at the machine's sound rate and drives periodic events and sound streams.
// One tick is itself the processor event "_BusFreqEvent" on the main
// processor's cycle-timed list, so bus events stay in step with emulated time.
//
// Timing of an event at rate R asking f Hz (f <= 0 asks every tick):
//   divider = floor(R / min(f, R)) ticks per firing,
//   effective frequency = round(R / divider)
// A sound stream is an event of 50 Hz whose firing fills one block of the
// stream's own clone of the host sound output through its producer.
//
// Start marker: an event added with start-now before the first tick after a
// start or rate change has none and fires on that first tick; every other
// event is left alone on tick 0 and counts down from the next.
//
// Registry: named callbacks ({target, kind, function} under a name) through
// which saved events, the bus's and the processor's, bind to live code again
// when a state is loaded. It is filled while the machine starts (the
// registering flag) and by Start itself ("_BusFreqEvent").
//
// State chunk "_EVT": "VER" u8 0, "CRFRQ" i32 rate, "CNFRQ" i32 tick counter,
//   "CNEVT" u32 count, then per event n: "DVEVT<n>" string (dotted name of its
//   owner), "NMEVT<n>" string (its name), "DTEVT<n>" blob 40: kind u32 (+0x100
//   without a start marker), effective frequency, divider, countdown,
//   requested frequency u32, stream word u32 ((bits << 24) | rate for a sound
//   stream, else 0), fire count u64, data0, data1 u32; little-endian.
//   Loading refuses a rate that SetRate does not choose, a divider or
//   effective frequency other than the rate gives the request, a countdown
//   outside 0 to the divider, and a request other than the one the same
//   device's running event makes.
//
// Emulation thread only; ticks, adding and removing events allocate nothing
// once the node list has grown.
#include <cstdint>

#include "common/CValueList.h"
#include "emu/framework/CBusInterface.h"
#include "emu/framework/CObject.h"
#include "emu/framework/CProcessorInterface.h"

namespace emu {

class CSoundOutput;

class CBus : public CBusInterface, public CObject {
public:
    // Any callback kept in the registry; cast back by kind.
    typedef void (*AnyFunction)();

    static constexpr uint32_t kKindPeriodic = 1;
    static constexpr uint32_t kKindSoundStream = 2;
    // Registry kinds.
    static constexpr uint32_t kCallbackBusEvent = 0;
    static constexpr uint32_t kCallbackSoundProducer = 1;
    static constexpr uint32_t kCallbackCpuEvent = 2;

    static constexpr int32_t kRequestEveryTick = 0x7FFFFFFF;
    static constexpr int32_t kSoundBlocksPerSecond = 50;
    static constexpr const char* kBusFreqEventName = "_BusFreqEvent";

    // One periodic event or sound stream; nodes are recycled through a free list.
    struct CPeriodicEvent {
        uint32_t m_kind;
        int32_t m_effectiveFrequency; // Hz actually achieved
        int32_t m_divider;            // ticks per firing
        int32_t m_countdown;          // ticks left until the next firing
        CPeriodicEvent* m_next;
        CPeriodicEvent* m_previous;
        CObject* m_user; // periodic event: the callback's first argument; not owned
        PeriodicCallback m_callback;
        uint64_t m_fireCount;
        const char* m_name;           // not owned
        int32_t m_requestedFrequency; // kRequestEveryTick for 0 or less; 50 for a stream
        uint32_t m_data[2];
        CBus* m_startMarker;     // null: fires on tick 0
        CSoundOutput* m_output;  // sound stream: owned
        CObject* m_producerUser; // sound stream: not owned
        SoundProducer m_producer;
        uint32_t m_streamRate;
        uint32_t m_streamBits;
    };

    // Registry entry (its name is the list item's name).
    struct CEvent {
        CObject* m_target; // not owned
        uint32_t m_kind;
        AnyFunction m_function;
    };

    CBus();
    ~CBus() override;

    // --- Bus interface -------------------------------------------------------------
    bool AddEvent(int32_t frequency, PeriodicCallback callback, CObject* user, const char* name, uint32_t data0,
                  uint32_t data1, bool startNow) override;
    bool AddSoundStream(uint32_t rate, uint32_t bits, SoundProducer producer, CObject* producerUser, const char* name,
                        uint32_t data0, uint32_t data1) override;
    // Inline and final: the timer channels ask for both on every tick.
    int32_t GetSampleRate() final { return m_rate; }
    uint32_t GetTickCounter() final { return m_tickCounter; }

    // --- Service life cycle and state ------------------------------------------------
    // Tick counter 0, sound running; registers "_BusFreqEvent".
    bool Start(int32_t* value) override;
    // Deletes every stream's output and every node; rate and tick counter 0.
    void Stop() override;
    bool SaveData(common::CStreamHolder& holder) override;
    bool LoadData(common::CStreamHolder& holder, common::CNarrowString* errorText) override;

    // Snaps the rate up to 4900, 11050, 14700, 22050 or 44100 Hz, re-times every
    // event and, with a processor, puts the tick on its event list as
    // "_BusFreqEvent" (replacing one added before). Answers 1 with a processor,
    // else the samples per 1/50 s of the snapped rate.
    int32_t SetRate(int32_t rate, CProcessorInterface* processor);
    // One bus tick: counts down every event and fires the due ones.
    void Tick();
    // Pausing silences every stream's output; while paused, filled blocks are
    // not queued (the producers still run).
    void SetSoundPaused(bool paused);
    bool IsSoundPaused() const { return m_soundPaused; }
    // The host output every stream clones; null: no streams. Not owned.
    void SetSoundOutput(CSoundOutput* prototype) { m_prototype = prototype; }
    CSoundOutput* GetSoundOutput() const { return m_prototype; }
    // The name of the selected output when it could not open a stream since
    // the last clear (the stream then plays into a silent output); null otherwise.
    const char* GetFailedSoundOutput() const { return m_failedSoundOutput; }
    void ClearFailedSoundOutput() { m_failedSoundOutput = nullptr; }
    // While set (the machine starting) every added event registers its callback.
    void SetRegistering(bool on) { m_registering = on; }
    bool IsRegistering() const { return m_registering; }

    // The processor cycles between two ticks at the bus's rate.
    int32_t GetTickPeriod(int32_t processorFrequency) const;
    // The processor-event callback of the bus tick; user is the bus.
    static bool OnBusFreqEvent(CObject* user, int32_t* period, uint32_t* data, CProcessorInterface* processor);
    // The sound pump of a stream node, once per block.
    bool OnSoundStreamEvent(CPeriodicEvent* stream);

    // --- Registry --------------------------------------------------------------------
    // Keyed by the target's object name and the callback name: true when the
    // same entry is there already or has been added; false when the target's
    // name belongs to another object, or the name is taken with another kind
    // or function.
    bool RegisterCallback(const char* name, const CEvent& entry);
    // False for a null name, function or target.
    bool RegisterBusEventCallback(const char* name, PeriodicCallback callback, CObject* target);
    bool RegisterSoundCallback(const char* name, SoundProducer producer, CObject* target);
    bool RegisterCpuEventCallback(const char* name, CProcessorInterface::EventCallback callback, CObject* target);
    // The first entry of the owner (dotted name) and callback name: its entry
    // and the registry's own copy of the name, valid as long as the bus lives.
    bool FindCallback(const char* owner, const char* name, CEvent* entry, const char** registryName);
    // The same, true only for a processor-event entry.
    bool FindCpuEventCallback(const char* owner, const char* name, CEvent* entry, const char** registryName);
    int32_t GetCallbackCount() const { return m_registry.GetCount(); }

    // --- Inspection --------------------------------------------------------------------
    CPeriodicEvent* GetFirstEvent() const { return m_firstEvent; }
    int32_t GetEventCount() const;

    // The dotted name of any object (CObjectContainer::BuildChildName for an
    // object that is not a container); the empty text for null.
    static void BuildObjectName(const CObject* object, common::CString& out);

private:
    CPeriodicEvent* TakeFreeNode();
    void Append(CPeriodicEvent* node);
    // Unlinks the node, deletes a stream's output and puts it on the free list.
    void Release(CPeriodicEvent* node);
    void ReleaseAll();
    void FreeNodes();
    void Retime(CPeriodicEvent* node);

    common::CValueList<CEvent> m_registry;
    CPeriodicEvent* m_firstEvent; // owned nodes, in order
    CPeriodicEvent* m_lastEvent;
    CPeriodicEvent* m_freeEvents; // owned, linked through m_next
    int32_t m_rate;               // Hz
    uint32_t m_tickCounter;
    bool m_soundPaused;
    CSoundOutput* m_prototype;                 // the host's; not owned
    const char* m_failedSoundOutput = nullptr; // the output's static name; not owned
    bool m_registering;
};

} // namespace emu
