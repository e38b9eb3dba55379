// The worker's protocol; the host thread itself lives in CWorkerThread_Win32.cpp
// and CWorkerThread_Posix.cpp. No operation waits while holding the lock.
#include "common/CWorkerThread.h"

#include <new>

#include "common/CEvent.h"
#include "common/CScopedLock.h"

namespace common {

namespace {
constexpr uint32_t kFailureCode = 0xFFFFFFFFu;
} // namespace

CWorkerThread::CWorkerThread(ThreadFunction function, void* argument)
    : m_thread(nullptr), m_runEvent(nullptr), m_function(function), m_argument(argument), m_result(1), m_running(false),
      m_paused(false), m_pauseRequested(false) {}

CWorkerThread::~CWorkerThread() {
    if (!Stop(-1))
        Terminate();
}

void CWorkerThread::CloseHandles() {
    delete m_runEvent;
    m_runEvent = nullptr;
    if (m_thread != nullptr) {
        CloseHostThread(m_thread);
        m_thread = nullptr;
    }
}

bool CWorkerThread::Start(bool startPaused, int priority) {
    CScopedLock hold(&m_lock);
    if (m_running)
        return false;
    if (m_function == nullptr) {
        m_result = 1;
        return false;
    }
    CloseHandles();
    m_pauseRequested.store(false, std::memory_order_relaxed);
    m_runEvent = new (std::nothrow) CEvent(!startPaused);
    if (m_runEvent == nullptr || !m_runEvent->IsValid()) {
        delete m_runEvent;
        m_runEvent = nullptr;
        return false;
    }
    // The new thread blocks on the lock until this start has finished.
    m_thread = CreateHostThread(this);
    if (m_thread == nullptr) {
        delete m_runEvent;
        m_runEvent = nullptr;
        m_paused = false;
        return false;
    }
    SetHostThreadPriority(m_thread, priority);
    m_running = true;
    m_paused = startPaused;
    return true;
}

void CWorkerThread::RequestPause() {
    CScopedLock hold(&m_lock);
    m_pauseRequested.store(true, std::memory_order_relaxed);
}

bool CWorkerThread::PausePoint(bool onlyWhenRequested) {
    // Hot path of a run loop: nothing pending, no lock. A request set just after
    // this look is seen at the next pause point.
    if (onlyWhenRequested && !m_pauseRequested.load(std::memory_order_relaxed))
        return false;
    CEvent* runEvent = nullptr;
    {
        CScopedLock hold(&m_lock);
        // Look again under the lock: a Resume may have withdrawn the request
        // since, and parking then would wait for a wake that never comes.
        if (onlyWhenRequested && !m_pauseRequested.load(std::memory_order_relaxed))
            return false;
        m_pauseRequested.store(false, std::memory_order_relaxed);
        if (!m_running || m_runEvent == nullptr)
            return false;
        if (m_paused)
            return true;
        // Reset and mark paused together: any Resume or Stop from now on sees the
        // flag and signals, and the manual-reset event keeps that signal until
        // the wait below takes it.
        if (!m_runEvent->Reset())
            return false;
        m_paused = true;
        runEvent = m_runEvent;
    }
    return runEvent->Wait(-1);
}

bool CWorkerThread::Resume() {
    CScopedLock hold(&m_lock);
    m_pauseRequested.store(false, std::memory_order_relaxed);
    if (!m_running || m_runEvent == nullptr)
        return false;
    if (m_paused) {
        m_paused = false;
        if (!m_runEvent->Set()) {
            m_paused = true;
            return false;
        }
    }
    return true;
}

bool CWorkerThread::Stop(int32_t timeoutMs) {
    void* thread = nullptr;
    {
        CScopedLock hold(&m_lock);
        if (!m_running) {
            CloseHandles();
            return true;
        }
        m_pauseRequested.store(false, std::memory_order_relaxed);
        if (m_paused && m_runEvent != nullptr && m_runEvent->Set())
            m_paused = false;
        if (m_thread == nullptr)
            return false;
        thread = m_thread;
    }
    WaitHostThread(thread, timeoutMs);
    CScopedLock hold(&m_lock);
    if (m_running)
        return false;
    CloseHandles();
    m_paused = false;
    return true;
}

bool CWorkerThread::Terminate() {
    void* thread = nullptr;
    {
        CScopedLock hold(&m_lock);
        if (!m_running) {
            CloseHandles();
            return true;
        }
        if (m_thread == nullptr || !TerminateHostThread(m_thread))
            return false;
        m_pauseRequested.store(false, std::memory_order_relaxed);
        if (m_paused && m_runEvent != nullptr && m_runEvent->Set())
            m_paused = false;
        delete m_runEvent;
        m_runEvent = nullptr;
        m_paused = false;
        m_running = false;
        thread = m_thread;
    }
    WaitHostThread(thread, 1);
    CScopedLock hold(&m_lock);
    // A Start in the meantime has already closed this handle and holds a new one.
    if (m_thread == thread) {
        CloseHostThread(m_thread);
        m_thread = nullptr;
    }
    return true;
}

bool CWorkerThread::IsRunning() {
    CScopedLock hold(&m_lock);
    return m_running;
}

bool CWorkerThread::IsPaused() {
    CScopedLock hold(&m_lock);
    return m_paused;
}

bool CWorkerThread::GetExitCode(uint32_t* code) {
    void* thread = nullptr;
    {
        CScopedLock hold(&m_lock);
        if (m_running || m_thread == nullptr)
            return false;
        thread = m_thread;
    }
    // The function has returned; the thread is at most on its way out.
    WaitHostThread(thread, -1);
    return GetHostThreadExitCode(thread, code);
}

uint32_t CWorkerThread::ThreadProc(void* object) {
    CWorkerThread* worker = static_cast<CWorkerThread*>(object);
    if (worker == nullptr)
        return kFailureCode;
    CEvent* runEvent = nullptr;
    ThreadFunction function = nullptr;
    void* argument = nullptr;
    {
        CScopedLock hold(&worker->m_lock);
        worker->m_result = 1;
        if (worker->m_function == nullptr) {
            worker->m_running = false;
            return kFailureCode;
        }
        runEvent = worker->m_runEvent;
        function = worker->m_function;
        argument = worker->m_argument;
    }
    // A worker started paused waits here until Resume or Stop.
    uint32_t result = 1;
    if (runEvent != nullptr && runEvent->Wait(-1))
        result = function(argument);
    CScopedLock hold(&worker->m_lock);
    worker->m_result = result;
    worker->m_paused = false;
    worker->m_running = false;
    return result != 0 ? kFailureCode : 0;
}

} // namespace common
