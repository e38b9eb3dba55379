#pragma once
// The user-interface timers of a frame window: each timer fires its callback a
// given number of times per second, measured on the performance counter. The
// owner runs Process about every millisecond; it runs the due timers, drops those
// whose callback asks to end, and says how long the owner may wait until the
// next one is due.
//
// Times are counter ticks kept relative to the list's last counter value, so a
// change of the counter's frequency only rescales them. The list has no lock of
// its own: every call comes from one thread, and a callback must not add or
// remove timers of its own list (it ends its own timer by returning false).
#include <cstdint>

namespace common {

class CTimerList {
public:
    // Returns true to keep the timer, false to have it removed. The fire count
    // counts the fires whose callback returned true.
    typedef bool (*TimerCallback)(uintptr_t argument1, uintptr_t argument2, uintptr_t argument3, uint64_t* fireCount);
    // Told after each pass how long the owner may wait: milliseconds, -1 for no timer.
    typedef void (*WaitCallback)(void* context, int32_t waitMs);

    struct CTimer {
        bool m_inUse = false;
        int32_t m_rate = 0;      // fires per second
        int64_t m_period = 1;    // counter ticks between fires, at least 1
        int64_t m_remaining = 0; // ticks from the list's last counter value until due
        CTimer* m_next = nullptr;
        CTimer* m_previous = nullptr;
        uintptr_t m_argument1 = 0;
        uintptr_t m_argument2 = 0;
        uintptr_t m_argument3 = 0;
        TimerCallback m_callback = nullptr;
        uint64_t m_fireCount = 0;
    };

    // The rate a timer gets when asked for a rate below 1: due at every pass.
    static constexpr int32_t kEveryPassRate = 0x7FFFFFFF;

    CTimerList();
    ~CTimerList();
    CTimerList(const CTimerList&) = delete;
    CTimerList& operator=(const CTimerList&) = delete;

    // Appends a timer firing rate times per second (rate < 1: at every pass), due
    // one period from now. Null when the performance counter cannot be read.
    CTimer* Add(int32_t rate, TimerCallback callback, uintptr_t argument1, uintptr_t argument2, uintptr_t argument3);
    // Unlinks an active timer and keeps it for reuse; ignores null and spare timers.
    void Remove(CTimer* timer);
    // Runs the due timers. The wait until the next one (ms, -1 when no timer is
    // left) goes to the wait callback and to *waitMs when given. False only when
    // the counter cannot be read.
    bool Process(int32_t* waitMs);
    // Re-bases every active timer on the counter as it reads now.
    void Resync();
    // Re-bases every active timer on the given counter frequency and reading.
    void SetTimeBase(int64_t frequency, int64_t counter);
    void SetWaitCallback(WaitCallback callback, void* context);
    // Deletes every active timer.
    void ClearActive();
    // Deletes every spare timer.
    void FreeSpare();
    void Clear();

    bool HasActiveTimers() const { return m_activeHead != nullptr; }
    CTimer* GetFirstActive() const { return m_activeHead; }
    CTimer* GetFirstSpare() const { return m_freeList; }

private:
    void Rescale(int64_t frequency);

    CTimer* m_activeHead; // owned, in the order the timers were added
    CTimer* m_activeTail;
    CTimer* m_freeList;    // owned spare timers, linked through m_next
    int64_t m_frequency;   // counter ticks per second, as last read
    int64_t m_lastCounter; // counter at the last pass that ran timers, or the last re-basing
    WaitCallback m_waitCallback;
    void* m_waitContext; // not owned
    int64_t m_nextDue;   // ticks from m_lastCounter to the earliest timer; 0 = unknown
};

} // namespace common
