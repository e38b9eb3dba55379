// Host threads of the worker over the C runtime's _beginthreadex.
#include <process.h>
#include <windows.h>

#include "common/CWorkerThread.h"

namespace common {

namespace {

unsigned __stdcall ThreadEntry(void* worker) {
    // Returning ends the thread through _endthreadex with this code.
    return CWorkerThread::ThreadProc(worker);
}

} // namespace

void* CWorkerThread::CreateHostThread(CWorkerThread* worker) {
    const uintptr_t handle = _beginthreadex(nullptr, 0, ThreadEntry, worker, 0, nullptr);
    return reinterpret_cast<void*>(handle);
}

void CWorkerThread::SetHostThreadPriority(void* thread, int priority) {
    int level;
    switch (priority) {
    case kPriorityIdle:
        level = THREAD_PRIORITY_IDLE;
        break;
    case kPriorityBelowNormal:
        level = THREAD_PRIORITY_BELOW_NORMAL;
        break;
    case kPriorityNormal:
        level = THREAD_PRIORITY_NORMAL;
        break;
    case kPriorityAboveNormal:
        level = THREAD_PRIORITY_ABOVE_NORMAL;
        break;
    case kPriorityTimeCritical:
        level = THREAD_PRIORITY_TIME_CRITICAL;
        break;
    default:
        return;
    }
    SetThreadPriority(static_cast<HANDLE>(thread), level);
}

bool CWorkerThread::WaitHostThread(void* thread, int32_t timeoutMs) {
    const DWORD limit = timeoutMs < 0 ? INFINITE : static_cast<DWORD>(timeoutMs);
    return WaitForSingleObject(static_cast<HANDLE>(thread), limit) == WAIT_OBJECT_0;
}

bool CWorkerThread::TerminateHostThread(void* thread) {
    return TerminateThread(static_cast<HANDLE>(thread), 0xFFFFFFFFu) != FALSE;
}

bool CWorkerThread::GetHostThreadExitCode(void* thread, uint32_t* code) {
    DWORD exitCode = 0;
    if (!GetExitCodeThread(static_cast<HANDLE>(thread), &exitCode) || exitCode == STILL_ACTIVE)
        return false;
    if (code != nullptr)
        *code = exitCode;
    return true;
}

void CWorkerThread::CloseHostThread(void* thread) {
    CloseHandle(static_cast<HANDLE>(thread));
}

} // namespace common
