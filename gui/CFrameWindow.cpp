#include "gui/CFrameWindow.h"

#include <cmath>

#include "common/CScopedLock.h"

namespace gui {

namespace {

// The timer passes running on this thread, innermost first; a callback can run a
// modal loop in which another frame's pass runs.
struct CPassMark {
    const CFrameWindow* m_frame;
    CPassMark* m_previous;
};

thread_local CPassMark* t_passes = nullptr;

} // namespace

CFrameWindow::CFrameWindow(int32_t showState) : m_showState(showState) {}

CFrameWindow::~CFrameWindow() {
    m_timers.Clear();
}

bool CFrameWindow::IsPassOnThisThread() const {
    for (const CPassMark* mark = t_passes; mark != nullptr; mark = mark->m_previous) {
        if (mark->m_frame == this)
            return true;
    }
    return false;
}

bool CFrameWindow::IsActiveTimer(const common::CTimerList::CTimer* timer) const {
    for (const common::CTimerList::CTimer* entry = m_timers.GetFirstActive(); entry != nullptr; entry = entry->m_next) {
        if (entry == timer)
            return true;
    }
    return false;
}

bool CFrameWindow::TimerTrampoline(uintptr_t frame, uintptr_t userValue, uintptr_t callback, uint64_t*) {
    TimerCallback function = reinterpret_cast<TimerCallback>(callback);
    if (function == nullptr)
        return true;
    CFrameWindow* self = reinterpret_cast<CFrameWindow*>(frame);
    return function(self, userValue, reinterpret_cast<void*>(callback));
}

uint64_t CFrameWindow::AddTimer(int32_t periodMs, TimerCallback callback, uintptr_t userValue) {
    if (periodMs < 1 || periodMs > 1000)
        return 0;
    int32_t rate = static_cast<int32_t>(std::floor(1000.0 / periodMs + 0.5));
    if (rate < 1)
        rate = 1;
    // From a callback of this frame the list is being walked: waiting for the
    // pass to end would never return, and changing the list would break the walk.
    if (IsPassOnThisThread())
        return 0;
    common::CScopedLock lock(&m_timerLock);
    common::CTimerList::CTimer* timer =
        m_timers.Add(rate, &CFrameWindow::TimerTrampoline, reinterpret_cast<uintptr_t>(this), userValue,
                     reinterpret_cast<uintptr_t>(callback));
    if (timer == nullptr)
        return 0;
    if (IsCreated() && !StartTimers(false)) {
        m_timers.Remove(timer);
        return 0;
    }
    return static_cast<uint64_t>(reinterpret_cast<uintptr_t>(timer));
}

void CFrameWindow::RemoveTimer(uint64_t timer) {
    if (timer == 0)
        return;
    common::CTimerList::CTimer* entry = reinterpret_cast<common::CTimerList::CTimer*>(static_cast<uintptr_t>(timer));
    common::CScopedLock lock(&m_timerLock);
    if (!IsActiveTimer(entry))
        return;
    if (IsPassOnThisThread()) {
        // Unlinking now would break the running walk: silence it and unlink after the pass.
        entry->m_callback = nullptr;
        m_pendingRemovals.push_back(entry);
        return;
    }
    m_timers.Remove(entry);
}

bool CFrameWindow::StartTimers(bool resync) {
    common::CScopedLock lock(&m_timerLock);
    if (!m_timers.HasActiveTimers())
        return false;
    if (resync)
        m_timers.Resync();
    return true;
}

bool CFrameWindow::ProcessTimers() {
    if (m_timerBusy)
        return false;
    m_timerBusy = true;
    CPassMark mark{this, t_passes};
    t_passes = &mark;
    {
        common::CScopedLock lock(&m_timerLock);
        m_timers.Process(nullptr);
        for (common::CTimerList::CTimer* entry : m_pendingRemovals)
            m_timers.Remove(entry);
        m_pendingRemovals.clear();
    }
    t_passes = mark.m_previous;
    m_timerBusy = false;
    return true;
}

} // namespace gui
