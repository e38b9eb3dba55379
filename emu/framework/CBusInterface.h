#pragma once
// The bus clock as devices see it: periodic events timed by frequency rather
// than by processor cycles, and sound streams. The bus service implements it.
#include <cstdint>

namespace emu {

class CObject;

class CBusInterface {
public:
    // Periodic event callback: (the event's user, its number of firings so far,
    // its two data words); false ends the event.
    typedef bool (*PeriodicCallback)(CObject* user, uint64_t* fireCount, uint32_t* data);
    // Sound producer: fills up to `count` 32-bit samples between `low` and
    // `high` for one block (slots it leaves alone keep CSoundOutput::kNoSample),
    // given the stream's effective block rate and its two data words; false
    // ends the stream.
    typedef bool (*SoundProducer)(CObject* user, int32_t* samples, uint32_t count, int32_t low, int32_t high,
                                  int32_t frequency, uint32_t* data);

    CBusInterface();
    virtual ~CBusInterface();

    CBusInterface(const CBusInterface&) = delete;
    CBusInterface& operator=(const CBusInterface&) = delete;

    // Adds an event firing `frequency` times a second (0 or less: at every
    // tick), as close as whole ticks allow. startNow makes it fire at the next
    // tick; otherwise it fires a whole period from now. The name is kept, not
    // copied, and binds the event again when a state is loaded.
    virtual bool AddEvent(int32_t frequency, PeriodicCallback callback, CObject* user, const char* name, uint32_t data0,
                          uint32_t data1, bool startNow) = 0;
    // Clones the host output for a stream of `rate` samples a second of `bits`
    // bits and asks `producer` for a block fifty times a second. False without
    // a host output or when the clone cannot open.
    virtual bool AddSoundStream(uint32_t rate, uint32_t bits, SoundProducer producer, CObject* producerUser,
                                const char* name, uint32_t data0, uint32_t data1) = 0;
    // Ticks a second (Hz); 0 until the machine sets a rate.
    virtual int32_t GetSampleRate() = 0;
    // Ticks since the last start or rate change.
    virtual uint32_t GetTickCounter() = 0;
};

} // namespace emu
