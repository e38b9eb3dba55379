// Host threads of the worker over POSIX threads. A handle is a record shared by
// the owner and the thread, freed by whichever lets go last, so the owner may
// close it while the thread is still on its way out.
#include <pthread.h>

#include <atomic>
#include <new>

#include "common/CEvent.h"
#include "common/CWorkerThread.h"

namespace common {

namespace {

struct HostThread {
    pthread_t id;
    CWorkerThread* worker;          // not owned
    CEvent ended;                   // set once the thread procedure has returned
    uint32_t exitCode = 0;          // written before ended is set
    std::atomic<int> references{2}; // the owner's handle and the running thread
};

void Release(HostThread* thread) {
    if (thread->references.fetch_sub(1, std::memory_order_acq_rel) == 1)
        delete thread;
}

void* ThreadEntry(void* record) {
    HostThread* thread = static_cast<HostThread*>(record);
    thread->exitCode = CWorkerThread::ThreadProc(thread->worker);
    thread->ended.Set();
    Release(thread);
    return nullptr;
}

inline HostThread* Host(void* handle) {
    return static_cast<HostThread*>(handle);
}

} // namespace

void* CWorkerThread::CreateHostThread(CWorkerThread* worker) {
    HostThread* thread = new (std::nothrow) HostThread;
    if (thread == nullptr)
        return nullptr;
    if (!thread->ended.IsValid()) {
        delete thread;
        return nullptr;
    }
    thread->worker = worker;
    if (pthread_create(&thread->id, nullptr, ThreadEntry, thread) != 0) {
        delete thread;
        return nullptr;
    }
    return thread;
}

void CWorkerThread::SetHostThreadPriority(void*, int) {
    // Ordinary POSIX threads share one scheduling priority; raising it needs
    // privileges the emulator does not have, so every level runs at the default.
}

bool CWorkerThread::WaitHostThread(void* thread, int32_t timeoutMs) {
    return Host(thread)->ended.Wait(timeoutMs);
}

bool CWorkerThread::TerminateHostThread(void*) {
    // No safe way to kill a POSIX thread: cancelling it would leave its locks
    // and the objects it works on in an unknown state.
    return false;
}

bool CWorkerThread::GetHostThreadExitCode(void* thread, uint32_t* code) {
    if (!Host(thread)->ended.Wait(0))
        return false;
    if (code != nullptr)
        *code = Host(thread)->exitCode;
    return true;
}

void CWorkerThread::CloseHostThread(void* handle) {
    HostThread* thread = Host(handle);
    // An ended thread is joined (it is only returning); one still running is
    // left to finish on its own.
    if (thread->ended.Wait(0))
        pthread_join(thread->id, nullptr);
    else
        pthread_detach(thread->id);
    Release(thread);
}

} // namespace common
