#pragma once
// Runs one function on a thread of its own. The owner may ask it to pause at
// points the function chooses (RequestPause; the function calls PausePoint),
// resume it, wait for its end with a time-out (Stop) and, as a last resort,
// terminate it.
//
// Protocol: the owner sets its own command flags and calls RequestPause; the
// function calls PausePoint(true) at its safe points and parks there; the owner
// changes the shared state and calls Resume. A function that parks
// unconditionally (PausePoint(false)) waits until the owner resumes or stops it.
// To end the worker the owner makes the function return and calls Stop.
//
// The pause request, the paused flag and the wake event are only ever changed
// together under the worker's lock, so a Resume or Stop that comes while the
// worker is on its way to park is never lost: either the worker sees the request
// gone and does not park, or it is already marked paused and the owner wakes it.
// The owner's operations come from one owning thread: Stop, Terminate and
// GetExitCode wait on the thread handle outside the lock.
#include <atomic>
#include <cstdint>

#include "common/CCriticalSection.h"

namespace common {

class CEvent;

class CWorkerThread {
public:
    typedef uint32_t (*ThreadFunction)(void* argument);

    // Priority levels for Start; any other level keeps the host's default.
    enum {
        kPriorityIdle = 1,
        kPriorityBelowNormal = 2,
        kPriorityNormal = 3,
        kPriorityAboveNormal = 4,
        kPriorityTimeCritical = 5,
    };

    // Creates no thread. A null function is allowed; the worker then cannot start.
    CWorkerThread(ThreadFunction function, void* argument);
    // Stop without a time limit; Terminate when that fails.
    ~CWorkerThread();
    CWorkerThread(const CWorkerThread&) = delete;
    CWorkerThread& operator=(const CWorkerThread&) = delete;

    // Starts the thread (parked until Resume when startPaused). False when it
    // already runs, when there is no function, or when the host refuses. Natively
    // the priority level is accepted and ignored.
    bool Start(bool startPaused, int priority);
    // Asks the function to park at its next PausePoint; does not wait for it.
    void RequestPause();
    // Called by the function on the worker thread. With onlyWhenRequested and no
    // pending request: false at once. Otherwise consumes the request and parks
    // until Resume or Stop: true when woken, false when the worker is not running
    // or the wait failed. True at once when already marked paused.
    bool PausePoint(bool onlyWhenRequested);
    // Clears a pending request and wakes a parked worker. False when not running,
    // without a wake event, or when the host refuses to signal it; true otherwise
    // (also when the worker was not parked).
    bool Resume();
    // Wakes a parked worker and waits up to timeoutMs (negative: no limit) for the
    // function to return; it is not interrupted. True when the thread has ended
    // (the handles are then closed), false when it has not (handles kept, so a
    // later Stop or Terminate still works).
    bool Stop(int32_t timeoutMs);
    // Last resort after Stop failed. On Win32 the thread is killed (exit code
    // 0xFFFFFFFF) and the worker is idle again. A POSIX host has no safe way to
    // kill a thread: there Terminate of a running thread fails (false) and
    // changes nothing, so the owner keeps waiting with Stop instead of freeing
    // state the function still uses. With no running thread it only closes the
    // handles left from an earlier run and answers true everywhere.
    bool Terminate();

    // True from a successful Start until the function returns (or Terminate).
    bool IsRunning();
    // True while the worker is parked (or started paused and not yet resumed).
    bool IsPaused();
    // The ended thread's exit code (0 when the function returned 0, 0xFFFFFFFF
    // otherwise); false while it still runs or when there is no thread to ask.
    bool GetExitCode(uint32_t* code);

    // The thread procedure; public only so that the host's thread entry can reach it.
    static uint32_t ThreadProc(void* worker);

private:
    // Host threads, one implementation per platform. A handle is an opaque pointer.
    static void* CreateHostThread(CWorkerThread* worker);
    static void SetHostThreadPriority(void* thread, int priority);
    // True when the thread ended within the time-out (negative: no limit).
    static bool WaitHostThread(void* thread, int32_t timeoutMs);
    static bool TerminateHostThread(void* thread);
    static bool GetHostThreadExitCode(void* thread, uint32_t* code);
    static void CloseHostThread(void* thread);

    void CloseHandles();

    void* m_thread;          // owned host thread handle; null when there is none
    CEvent* m_runEvent;      // owned manual-reset wake event; null when there is none
    CCriticalSection m_lock; // guards every field below and the two handles
    ThreadFunction m_function;
    void* m_argument;  // not owned
    uint32_t m_result; // the function's last result; 1 until it has returned
    bool m_running;
    bool m_paused;
    // Written only under the lock; atomic so that PausePoint(true) can skip the
    // lock on the hot path when no pause is pending.
    std::atomic<bool> m_pauseRequested;
};

} // namespace common
