#pragma once
// The I8253 programmable interval timer: three 16-bit counters
// (CTimerChannel_I8253, its children "PIT Channel 0" to "PIT Channel 2", all
// labelled "PIT" in trace lines) behind one control register.
//
//   register      write                          read
//   DATA 0..2     the channel's count            the channel's count or latch
//   MODE          control word, SC (bits 7-6)    0 (not readable, not traced)
//                 picks the channel; SC = 3 is
//                 read-back to channels 0, 1, 2
//                 by bits 1, 2, 3
//
// Korvet: the machine maps the chip into its memory-mapped I/O page (offsets
// 0-2 the channels' data, 3 the control word) and calls WriteMode, ReadData
// and WriteData itself. Channel 0 (2 MHz) is the speaker: it generates sound,
// keeps its waveform on a reload of the same count, and PPI_2 port C bit 3 is
// its output enable. Channel 1 runs at 2 MHz; channel 2 at 50 Hz raises
// interrupt line 5. The ports of ConnectModePort and the channels'
// ConnectDataPort serve machines with an I/O port decode.
//
// State: the chip's own section holds only the device data; each channel
// writes its own section.
#include <cstdint>

#include "emu/chips/CTimerChannel_I8253.h"
#include "emu/framework/CDevice.h"

namespace emu {

class CTimer_I8253 : public CDevice {
public:
    static constexpr int kChannels = 3;

    // Names the chip and creates its three channels as children.
    CTimer_I8253();
    ~CTimer_I8253() override;

    // Starts the channels; the rate becomes at least 2000 Hz.
    bool Start(int32_t* value) override;
    // Debug (kind 7): the channels' menus, then "Trace All", "Break On All",
    // "Select All" and "Clear All" over all three channels.
    void BuildMenu(COptionTree* menu, int32_t kind) override;

    // Channel 0 to 2; the caller keeps n in range.
    CTimerChannel_I8253* GetChannel(int n) const { return m_channels[n]; }
    // The control register: routes the word by SC.
    void WriteMode(uint8_t controlWord);
    // Declares the one-port "MODE" parameter (a negative port withdraws it).
    bool ConnectModePort(int32_t port);
    // CLK of all three channels.
    void SetClockFrequency(uint32_t hz);

    // "MODE" port handlers (context = the chip); size 1 only.
    static bool OnModeRead(void* context, uint32_t port, uint32_t size, uint8_t* value, uint8_t flag);
    static bool OnModeWrite(void* context, uint32_t port, uint32_t size, uint8_t* value);

private:
    CTimerChannel_I8253* m_channels[kChannels]; // owned as children
};

} // namespace emu
