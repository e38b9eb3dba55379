#pragma once
// One counter of the I8253 programmable interval timer, a device of its own
// owned by the chip (CTimer_I8253). It takes its control word from the chip
// and answers one 8-bit data register:
//
//   control word        7-6 SC    5-4 RL             3-1 M     0 BCD
//                       counter   0 latch the count  mode 0-5  decimal
//                       select    1 LSB only         (6 = 2,   counting
//                       3 = read- 2 MSB only          7 = 3)
//                       back      3 LSB then MSB
//   read-back (SC = 3)  bit 5 clear latches the count, bit 4 clear the status
//   status byte         7 OUT, 6 null count (a written count not yet taken),
//                       5-0 RL, M and BCD of the current control word
//
// The counter is not stepped pulse by pulse. It keeps the machine time (in
// base-frequency cycles) at which its count started and works out the count
// and the output level from the time elapsed whenever it is looked at: a
// register access, the per-tick "UpdateEvent", a sound block, a gate or enable
// change. One input pulse lasts BFRQ / CLK base cycles.
//
// Every rising edge of the output while the output enable OUTP is set is kept
// (INTC) and raised as a request on the "IRQ" line at the next tick.
//
// With sound generation (SNDG) the channel also registers the bus stream
// "SoundEvent" (44100 samples a second, 8 bits): each mode publishes a
// description of the waveform it produces from the moment its count was taken
// (start level, high and low shares of the count cycle), every tick records
// that description or the running rendering state in a slot, and each block
// is rendered from the slots one block (1/50 s) after its time.
//
// State (after the device data): "VER" u8 1, "SNDG" bool, with SNDG "SNDH"
// "SNDL" "SNDR" i64 and "SNDX" bool, then "ZCR" "CR" "CRT" "CE" "OL" "RSTA"
// "LSTA" "CWR" "LTCH" "INPT" "OUTP" "SGNL" "DWRS" "DRDS" "CRU", the doubles
// "CEH" "CEL" "CEHX" "CELX" as 8-byte blobs, "CER" "CES" "CECO" "LGAT" "MNOD"
// "INTC" "CEFF", blobs "STTM" "CETM", "BFRQ" "BFRO" u32, "SWCH"; with SNDG
// the block in progress: "SBFQ" i32 (blocks a second), "SBSZ" i64 (its
// samples, 0 when none), "SFSV" "SSSV" i32 (sample values), "SSLV" bool and,
// when SBSZ > 0, "SSLT", a blob of SBSZ slots of 27 bytes (changed, level,
// enabled, then high, low, remaining as i64 little-endian). Version 0, without
// the block, still loads: its first block after the load is not rendered.
//
// Emulation thread only; no lock. Counting allocates nothing; the slot table
// is allocated when the bus's block length changes.
#include <cstdint>
#include <vector>

#include "emu/framework/CDevice.h"

namespace common {
class COptionNode;
}

namespace emu {

class CTimerChannel_I8253 : public CDevice {
public:
    static constexpr uint32_t kDefaultClock = 2000000; // Hz, when the machine sets none
    static constexpr int32_t kMinimumRate = 2000;      // bus ticks a second the channel needs
    static constexpr uint32_t kSoundRate = 44100;
    static constexpr uint32_t kSoundBits = 8;
    static constexpr int64_t kMaxSlots = 66584576;
    static constexpr int kModes = 8;
    static constexpr int kMenuModes = 6; // modes 6 and 7 are 2 and 3 again

    // Control word fields.
    static constexpr uint8_t kSelectMask = 0xC0;
    static constexpr uint8_t kReadBack = 0xC0;
    static constexpr uint8_t kReadBackNoCount = 0x20;
    static constexpr uint8_t kReadBackNoStatus = 0x10;
    static constexpr uint8_t kReadLoadMask = 0x30;
    static constexpr uint8_t kBcd = 0x01;
    // Status and RSTA bits.
    static constexpr uint8_t kStatusOutput = 0x80;
    static constexpr uint8_t kNullCount = 0x40;
    static constexpr uint8_t kStatusControlMask = 0x3F;

    // Trace and break flags, bound to settings keys of the same names ("%ld"
    // appended to the mode flags) and to the Debug menu's check items.
    struct CTraceFlags {
        bool TraceWriteMODE = false;
        bool BreakWriteMODE = false;
        bool TraceReadMODE = false;
        bool BreakReadMODE = false;
        bool TraceWriteDATA = false;
        bool BreakWriteDATA = false;
        bool TraceReadDATA = false;
        bool BreakReadDATA = false;
        bool TraceEnableSOUND = false;
        bool BreakEnableSOUND = false;
        bool TraceDisableSOUND = false;
        bool BreakDisableSOUND = false;
        bool TraceModes[kModes] = {};
        bool BreakModes[kModes] = {};
        bool TraceRaiseIRQ = false;
        bool BreakRaiseIRQ = false;
    };

    // The byte toggles of the data register. A write in RL 3 goes LSB, then
    // MSB awaited; a read in RL 3 goes LSB, then MSB. Idle takes RL again.
    enum class WriteState : uint8_t { Idle = 0, LsbOnly = 1, MsbOnly = 2, LsbThenMsb = 3, MsbAwaited = 4 };
    enum class ReadState : uint8_t { Idle = 0, Lsb = 1, Msb = 2, LsbThenMsb = 3 };

    // A mode function: from the current time and count, the new count, the
    // number of output flips to apply and (the result) the output level.
    typedef bool (CTimerChannel_I8253::*Generator)(double now, uint16_t& count, uint64_t& toggles);

    CTimerChannel_I8253();
    ~CTimerChannel_I8253() override;

    // --- Device operations ----------------------------------------------------------
    bool CollectProperties(common::CSettingsRegistry* registry, bool enabledOnly) override;
    bool ValidateProperties(bool enabledOnly) override;
    // Resets the counter and the sound state, registers the stream (SNDG) and
    // the per-tick event; raises the rate to at least 2000 Hz.
    bool Start(int32_t* value) override;
    void Stop() override;
    void BuildMenu(COptionTree* menu, int32_t kind) override;
    bool SaveData(common::CStreamHolder& holder) override;
    bool LoadData(common::CStreamHolder& holder, common::CNarrowString* errorText) override;

    // --- Registers and lines --------------------------------------------------------
    // The control word for this channel: 1 after a mode set, 0 after a latch command.
    uint8_t WriteMode(uint8_t controlWord);
    void WriteData(uint8_t value);
    // A peek (the debugger's look) changes nothing and traces nothing.
    uint8_t ReadData(bool peek);
    void WriteGate(bool level);
    // The output enable (sound-enable line); the two bytes go to the output
    // trace as its stop request and peek flag.
    void SetSoundEnabled(bool enable, uint8_t stopRequest, uint8_t peek);
    void SetOutput(bool level);
    // Brings count and output up to the machine's current time.
    void Update();
    // Re-bases the timing on another base frequency from the given time.
    void SetBaseFrequency(uint64_t frequency, int64_t time, bool update);

    // Declared resources. A negative line or port withdraws the parameter.
    bool ConnectIrq(int32_t line);
    bool ConnectDataPort(int32_t port);
    bool ConnectDma(int32_t line);

    // --- Configuration the machine sets before start ----------------------------------
    void SetChannelIndex(int32_t index) { m_channelIndex = index; }
    int32_t GetChannelIndex() const { return m_channelIndex; }
    void SetSoundGeneration(bool on) { m_soundGeneration = on; }
    bool GetSoundGeneration() const { return m_soundGeneration; }
    // 0 means 2,000,000 Hz from the next start.
    void SetClockFrequency(uint32_t hz) { m_clock = hz; }
    uint32_t GetClockFrequency() const { return m_clock; }
    // Modes 2 and 3: a reload of the count in use keeps the running waveform.
    void SetKeepWaveformOnSameCount(bool on) { m_keepWaveformOnSameCount = on; }
    bool GetKeepWaveformOnSameCount() const { return m_keepWaveformOnSameCount; }

    // --- Inspection -------------------------------------------------------------------
    bool IsSoundEnabled() const { return m_regs.OUTP; }
    bool GetOutputLevel() const { return m_regs.SGNL; }
    int32_t GetConnectedIrq() const { return m_connectedIrq; }
    uint32_t GetRaisedIrqCount() const { return m_raisedIrqCount; }
    CTraceFlags& GetTraceFlags() { return m_flags; }

    // --- Menu actions for the chip's own entries ----------------------------------------
    // Choosing the node sets every trace (or break) flag the channel's menu
    // offers, or clears both kinds.
    void AddTraceAllActions(common::COptionNode* node);
    void AddBreakAllActions(common::COptionNode* node);
    void AddClearAllActions(common::COptionNode* node);

    // --- Callbacks ----------------------------------------------------------------------
    // "DATA" port handlers (context = the channel); size 1 only.
    static bool OnDataRead(void* context, uint32_t port, uint32_t size, uint8_t* value, uint8_t flag);
    static bool OnDataWrite(void* context, uint32_t port, uint32_t size, uint8_t* value);
    // The per-tick event: update, raise pending interrupts, record a sound slot.
    static bool OnUpdateEvent(CObject* user, uint64_t* fireCount, uint32_t* data);
    // The stream's producer: renders the previous block, keeps the new one.
    static bool OnSoundEvent(CObject* user, int32_t* samples, uint32_t count, int32_t first, int32_t second,
                             int32_t frequency, uint32_t* data);

    static const char* GetModeName(int mode);

private:
    // Counter registers (datasheet and state names); defaults are the start values.
    struct CRegisters {
        bool ZCR = false;  // the count register was loaded with 0 and holds 65535
        uint16_t CR = 0;   // count register (binary)
        uint8_t CRT = 0;   // LSB kept while the MSB is awaited
        uint16_t CE = 0;   // counting element (binary)
        uint16_t OL = 0;   // output latch
        uint8_t RSTA = 0;  // bit 6: a written count waits to be taken
        uint8_t LSTA = 0;  // latched status byte
        uint8_t CWR = 0;   // last mode-setting control word
        bool LTCH = false; // a count or a status is latched and unread
        bool INPT = true;  // gate
        bool OUTP = true;  // output enable
        bool SGNL = false; // output level
        bool SWCH = false; // the output changed since the mode write
        WriteState DWRS = WriteState::Idle;
        ReadState DRDS = ReadState::Idle; // DRDS bits 1-0 of the state
        bool statusLatched = false;       // DRDS bit 2
        uint16_t CRU = 0;                 // count in use
        bool LGAT = false;                // false: a rising gate waits to trigger
        bool MNOD = true;                 // no count written since the mode write
        uint32_t INTC = 0;                // rising edges not yet raised
        int64_t CEFF = 0;                 // whole periods counted (modes 2, 3)
        double STTM = 0.0;                // base cycle at which the count started
        double CETM = 0.0;                // base cycles of one count cycle; 0 idle
        uint32_t BFRQ = 0;                // base frequency the timing refers to
        uint64_t BFRO = 0;                // base frequency last seen
    };
    // Waveform description published by the mode functions: shares of CETM
    // (negative: the phase does not end) and the start level.
    struct CWaveform {
        double CEH = -1.0;  // first high phase
        double CEL = -1.0;  // first low phase
        double CEHX = -1.0; // every later high phase
        double CELX = -1.0; // every later low phase
        bool CER = true;    // changed since the last recorded slot
        bool CES = false;   // start level
        bool CECO = false;  // a square wave split into two halves in samples
    };
    // One tick's record for the renderer.
    struct CSlot {
        bool changed;
        bool level;
        bool enabled;
        int64_t high;
        int64_t low;
        int64_t remaining;
    };
    // Square-wave flag argument of Describe.
    enum class Square { Keep, Off, On };

    // --- The sound block in progress in the state (CTimerChannel_I8253_State.cpp) ------------
    bool SaveSoundBlock(common::CStreamHolder& holder);
    bool LoadSoundBlock(common::CStreamHolder& holder);

    // --- Counting (CTimerChannel_I8253.cpp) ----------------------------------------------
    double GetNow() const;
    // Step 1 of Update: re-bases when the machine's base frequency changed.
    void CheckBaseFrequency();
    void Rebase(uint64_t frequency, double time);
    // Applies the flips and the new level, counting rising edges while enabled.
    void ApplyOutput(bool level, uint64_t toggles);
    void AddEdges(uint64_t edges);
    void RaiseInterrupts();
    void LatchCount();
    void LatchStatus();
    WriteState GetWriteLoad() const { return static_cast<WriteState>((m_regs.CWR & kReadLoadMask) >> 4); }
    ReadState GetReadLoad() const { return static_cast<ReadState>((m_regs.CWR & kReadLoadMask) >> 4); }
    int GetMode() const { return (m_regs.CWR >> 1) & 7; }
    bool IsBcd() const { return (m_regs.CWR & kBcd) != 0; }
    // The count as the data register shows it (0 for a loaded 0, packed BCD).
    uint16_t GetReadValue(uint16_t count) const;
    void SelectGenerator();
    void TakeCount(double now, bool plusOne);
    double GetElapsed(double now) const;
    // Input pulses gone by since the count started, e x CRU / CETM.
    double GetPulses(double now) const;
    // The remaining count ceil((1 - e / CETM) x CRU), as a double.
    double GetRemaining(double now) const;
    void Describe(bool level, double high, double low, double highNext, double lowNext, Square square, bool always);

    bool GenerateSilence(double now, uint16_t& count, uint64_t& toggles);
    bool GenerateSamplesMode0(double now, uint16_t& count, uint64_t& toggles);
    bool GenerateSamplesMode1(double now, uint16_t& count, uint64_t& toggles);
    bool GenerateSamplesMode2(double now, uint16_t& count, uint64_t& toggles);
    bool GenerateSamplesMode3(double now, uint16_t& count, uint64_t& toggles);
    bool GenerateSamplesMode4(double now, uint16_t& count, uint64_t& toggles);
    bool GenerateSamplesMode5(double now, uint16_t& count, uint64_t& toggles);
    // Modes 2 and 3 share the period arithmetic; the result is the input
    // pulses gone by in the current period, or a negative value while idle.
    double RunPeriodic(double now, uint16_t& count, uint64_t& toggles, bool square);
    // WholePeriods(pulses / CRU), mostly without dividing.
    int64_t GetWholePeriods(double pulses);
    // Modes 4 and 5 share the count down to the strobe; the result is the output level.
    bool RunStrobe(double now, uint16_t& count);

    // --- Sound (CTimerChannel_I8253_Sound.cpp) --------------------------------------------
    void ResetCounter();
    void ResetSound();
    void DropSoundBuffer();
    void FreeSlots();
    void StoreSoundSample();
    void RenderBlock();
    void RenderShare(int32_t* out, int64_t share, bool enabled);

    // --- Menus (CTimerChannel_I8253_State.cpp) ----------------------------------------------
    // The flags the Debug menu offers, trace or break kind; the count.
    int GetOfferedFlags(bool breakKind, bool** out);
    bool HasIrq() const { return m_connectedIrq >= 0; }
    void BuildFlagMenu(COptionTree* menu, bool breakKind);

    CTraceFlags m_flags;
    int32_t m_channelIndex;
    uint64_t m_irqLine;  // "IRQ" parameter value target
    bool m_irqConnected; // "IRQ" parameter flag target
    int32_t m_connectedIrq;
    uint64_t m_dmaLine;  // "DMA" parameter value target, never used
    bool m_dmaConnected; // "DMA" parameter flag target
    uint32_t m_raisedIrqCount;
    bool m_soundGeneration; // SNDG

    // Sound rendering.
    int32_t* m_soundBuffer;       // the bus's staging array; filled at the next block
    int64_t m_soundBufferSamples; // its length
    int32_t m_firstSampleValue;   // a high phase while enabled
    int32_t m_secondSampleValue;  // everything else
    int32_t m_blockFrequency;     // blocks a second
    // The slot position of the last recorded tick: m_position is m_positionTick
    // modulo m_ticksPerBlock, the rate over the block frequency of the key.
    int32_t m_positionRate;
    int32_t m_positionBlockFrequency;
    int32_t m_ticksPerBlock;
    uint32_t m_positionTick;
    uint32_t m_position;
    // 1 / m_reciprocalCount, for the whole periods of the count in use.
    uint16_t m_reciprocalCount;
    double m_reciprocal;
    int64_t m_SNDH;               // samples of each following high phase
    int64_t m_SNDL;               // samples of each following low phase
    int64_t m_SNDR;               // samples left in the phase being rendered
    CSlot* m_slots;               // owned; m_soundBufferSamples entries
    bool m_slotsValid;
    // Where a block in progress when a state was loaded is rendered: the bus's
    // staging array of the saving run is gone, its timeline is not.
    std::vector<int32_t> m_loadedBlock;
    bool m_SNDX; // level of the phase being rendered

    CRegisters m_regs;
    Generator m_generator;
    CWaveform m_wave;
    bool m_keepWaveformOnSameCount;
    uint32_t m_clock; // CLK, Hz
};

} // namespace emu
