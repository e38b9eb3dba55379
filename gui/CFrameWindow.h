#pragma once
// The portable frame window: the frame's timer list with its lock, and the show
// state that the window system uses when it makes and first shows the window.
//
// Timers run on the user-interface thread: the Win32 frame drives ProcessTimers
// about every millisecond, and each timer fires its callback at its own rate.
// The frame's lock is held for the whole pass, so AddTimer and RemoveTimer from
// another thread wait for a running pass instead of changing the list under it.
// On the thread that runs the pass (that is, from a timer callback) AddTimer is
// refused and RemoveTimer takes effect when the pass ends (the timer's callback
// is not called again); a pass started while one runs (a modal loop inside a
// callback) returns at once.
#include <cstdint>
#include <vector>

#include "common/CCriticalSection.h"
#include "common/CTimerList.h"
#include "gui/CFrameWindowInterface.h"

namespace gui {

class CFrameWindow : public virtual CFrameWindowInterface {
public:
    // Show states: where the window is created and how it is first shown.
    enum : int32_t {
        kShowDefault = 0,   // the system places it; becomes 1
        kShowStored = 1,    // the stored position and size
        kShowCentred = 2,   // centred on the screen; becomes 1
        kShowMaximised = 3, // centred, created maximised, shown maximised; becomes 1
        kShowMinimised = 4, // centred, created minimised, shown minimised; becomes 1
    };

    explicit CFrameWindow(int32_t showState = kShowDefault);
    ~CFrameWindow() override;
    CFrameWindow(const CFrameWindow&) = delete;
    CFrameWindow& operator=(const CFrameWindow&) = delete;

    // periodMs 1..1000 gives round(1000 / periodMs) fires per second. When the
    // window is created the system timers are started too; if they cannot be,
    // the timer is taken out again and the answer is 0.
    uint64_t AddTimer(int32_t periodMs, TimerCallback callback, uintptr_t userValue) override;
    void RemoveTimer(uint64_t timer) override;
    // The portable part: false without timers; re-bases them on the counter when asked.
    virtual bool StartTimers(bool resync);
    CFrameWindowInterface* GetFrameWindow() override { return this; }

    int32_t GetShowState() const { return m_showState; }
    void SetShowState(int32_t showState) { m_showState = showState; }
    bool IsTimerBusy() const { return m_timerBusy; }
    bool HasTimers() const { return m_timers.HasActiveTimers(); }

protected:
    // One pass over the due timers; false when it was nested in a running pass.
    bool ProcessTimers();
    // True when the calling thread is inside this frame's timer pass.
    bool IsPassOnThisThread() const;

    common::CTimerList m_timers; // guarded by m_timerLock
    common::CCriticalSection m_timerLock;
    bool m_timerBusy = false; // set on the user-interface thread while a pass runs
    int32_t m_showState;

private:
    static bool TimerTrampoline(uintptr_t frame, uintptr_t userValue, uintptr_t callback, uint64_t* fireCount);
    bool IsActiveTimer(const common::CTimerList::CTimer* timer) const;

    std::vector<common::CTimerList::CTimer*> m_pendingRemovals; // removed from a callback; not owned
};

} // namespace gui
