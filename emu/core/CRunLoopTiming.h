#pragma once
// The timing record of the real-time run loop: the cycle budgets that belong
// to the emulated machine's timeline (saved with a whole state as the section
// "_EMUCORE") and the host-clock values that pace the frames (measured afresh
// at every loop start and after every load, never saved).
//
// A frame is 1/50 s of emulated time: "CPF" processor cycles run in "IPF"
// slices. Every slice is cut at the processor's next event, the part beyond
// it waiting in "PCR". The overshoot of a slice (zero or negative "PC") is
// carried into the next budget through "PFC", so no cycle is lost or gained.
//
// Section "_EMUCORE":
//   F0 "_EMUCORE", "VER" u8 1, "VERR" u8 2, "MAXS" u8 (1: a maximum-speed
//   loop wrote it), "PC" "PCR" "PI" i32, "PFC" "CPF" blob 8 (IEEE double,
//   little-endian), "IPF" "FI" i32, "RGRD" bool, "RGAD" u32, "RGPS" bool
//   (the re-entry guard), FF "_EMUCORE"
// Revision 1, without the guard, still loads, the guard then unarmed.
//
// Pacing: the loop sleeps in 1 ms steps while at least twice the measured
// cost of one sleep is left before the frame's deadline; a late frame moves
// the deadline to now + one frame instead of being caught up.
//
// Emulation thread only.
#include <cstdint>

namespace common {
class CNarrowString;
class CStreamHolder;
} // namespace common

namespace emu {

class CProcessorInterface;

class CRunLoopTiming {
public:
    static constexpr int32_t kFramesPerSecond = 50;
    // Frames of one speed measurement.
    static constexpr int32_t kSpeedWindowFrames = 50;
    // Speeds within these tenths of a percent show as exactly 100 %.
    static constexpr int32_t kSpeedExactLow = 992;
    static constexpr int32_t kSpeedExactHigh = 1018;

    // --- The machine's timeline (saved) ------------------------------------------
    int32_t m_sliceCycles = 0;       // "PC": cycles left in this slice; its overshoot once it ended
    int32_t m_deferredCycles = 0;    // "PCR": the slice's cycles beyond the next event
    int32_t m_slicesLeft = 0;        // "PI": slices still to run in this frame
    double m_fractionalCycles = 0.0; // "PFC": carried from slice to slice within a frame
    double m_cyclesPerFrame = 0.0;   // "CPF": processor frequency / 50
    int32_t m_slicesPerFrame = 1;    // "IPF"
    int32_t m_frameIndex = 0;        // "FI": frames counted in the speed window
    // The instruction that asked for a break before it ran, which runs once
    // without breaking when the loop goes on: armed ("RGRD"), its address
    // ("RGAD") and what the break check then answers ("RGPS"). The run loop
    // and the break hook keep it here, so that the state carries it as is.
    struct CReentryGuard {
        bool armed = false;
        uint32_t address = 0;
        bool pass = false;
    };
    CReentryGuard m_reentryGuard;

    // --- The host clock (not saved) ----------------------------------------------
    int64_t m_tickFrequency = 1;  // performance-counter ticks per second
    int64_t m_ticksPerMs = 1;     // at least 1
    int64_t m_ticksPerFrame = 1;  // at least 1
    int64_t m_sleepEstimate = 1;  // what a 1 ms sleep is expected to cost
    int64_t m_lastSleep = 1;      // the last measurement of one
    int64_t m_deadline = 0;       // counter value at which the next frame is due
    int64_t m_speedWindowEnd = 0; // counter value at which the speed window ends
    bool m_pacingCopy = false;    // the pacing switch the loop last acted on

    // The first frame: "CPF" from the processor's clock, the first slice's
    // budget and the fraction left over. slicesPerFrame below 1 counts as 1.
    void StartFrames(int32_t processorFrequency, int32_t slicesPerFrame);
    // Reads the counter frequency and times one 1 ms sleep; answers the
    // counter reading after the sleep.
    int64_t MeasureHostClock();
    // Deadline one frame after now; speed window one second after now.
    void StartPacing(int64_t now);

    // Cuts the slice at the processor's next event: the part beyond it moves
    // to "PCR" and the event counter is debited by what remains.
    void CutAtEvent(CProcessorInterface* processor);
    // The same rule for another budget (a slice saved by a break).
    static void CutAtEvent(CProcessorInterface* processor, int32_t* cycles, int32_t* deferred);
    // A slice has ended ("PC" holds its overshoot): carries it, counts the
    // slice and sets the next budget, cut at the next event. True when the
    // frame's slices are spent (the caller runs the frame end).
    bool NextSlice(CProcessorInterface* processor);

    // Waits for the frame's deadline as described above (only when
    // m_pacingCopy is set) and moves the deadline on; answers the counter
    // reading after the last sleep.
    int64_t Pace(int64_t now);
    // Ends a speed window at now: the measured speed in percent goes into
    // *speedPercent unless it cannot be told; the next window starts.
    void MeasureSpeed(int64_t now, int32_t* speedPercent);
    // A window that starts at now (after a pause: time spent parked is not speed).
    void RestartSpeedWindow(int64_t now);

    // The section; maxSpeed is the value of "MAXS".
    bool Write(common::CStreamHolder& holder, bool maxSpeed) const;
    // Reads the section written by Write, assigning each value as it arrives
    // (a failure keeps what was read before it); "MAXS" 1 fails with
    // "Enable "Max CPU Speed"!" in *errorText. The host clock is measured
    // again after the values. Values that the loop could not run with (no
    // slices per frame, a frame longer than twice the running one, slice
    // budgets beyond two frames, a frame count outside the speed window, a
    // non-finite double) fail the read.
    bool Read(common::CStreamHolder& holder, common::CNarrowString* errorText);
    // Whether the timeline values are ones the loop can run with: a frame
    // within a factor of two of `runningFrame` and no more slices to it than
    // `runningSlices` (those of the machine that loads them; 0 when none runs
    // yet), a slice and what it defers no longer than two such frames, so
    // that the next slice ends in time.
    bool IsPlausible(double runningFrame, int32_t runningSlices) const;
};

} // namespace emu
