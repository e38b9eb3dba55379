#include <gtest/gtest.h>

#include <atomic>

#include "common/CEvent.h"
#include "common/CWorkerThread.h"
#include "common/OsHelpers.h"

namespace {

using namespace common;

// What a test's thread function shares with the test.
struct Context {
    CWorkerThread* worker = nullptr;
    CEvent entered; // set when the function starts
    CEvent gate;    // the function waits on it where a test needs it held
    std::atomic<int> calls{0};
    std::atomic<int> iterations{0};
    std::atomic<bool> stop{false};
    std::atomic<int> pausePointResult{-1};
    uint32_t result = 0;
};

uint32_t ReturnResult(void* argument) {
    Context* context = static_cast<Context*>(argument);
    ++context->calls;
    context->entered.Set();
    return context->result;
}

uint32_t WaitForGate(void* argument) {
    Context* context = static_cast<Context*>(argument);
    ++context->calls;
    context->entered.Set();
    context->gate.Wait(-1);
    return 0;
}

// Waits for the gate, then asks for a pause point once and records its answer.
uint32_t GateThenPausePoint(void* argument) {
    Context* context = static_cast<Context*>(argument);
    context->entered.Set();
    context->gate.Wait(-1);
    context->pausePointResult = context->worker->PausePoint(true) ? 1 : 0;
    return 0;
}

// Parks unconditionally once, then returns.
uint32_t ParkOnce(void* argument) {
    Context* context = static_cast<Context*>(argument);
    context->entered.Set();
    context->pausePointResult = context->worker->PausePoint(false) ? 1 : 0;
    ++context->calls;
    return 0;
}

// A run loop with a safe point on every pass, until told to stop.
uint32_t RunLoop(void* argument) {
    Context* context = static_cast<Context*>(argument);
    context->entered.Set();
    while (!context->stop) {
        context->worker->PausePoint(true);
        ++context->iterations;
    }
    return 0;
}

// Polls (yielding, never sleeping) until the condition holds; false after a
// generous deadline so that a lost wake fails the test instead of hanging it.
template <typename Condition> bool Eventually(Condition condition) {
    int64_t frequency = 0;
    int64_t start = 0;
    HostPerformanceFrequency(&frequency);
    HostPerformanceCounter(&start);
    for (;;) {
        if (condition())
            return true;
        int64_t now = 0;
        HostPerformanceCounter(&now);
        if (now - start > frequency * 10)
            return false;
        SleepMs(0);
    }
}

TEST(WorkerThread, StartRunsFunctionAndStopCollectsIt) {
    Context context;
    CWorkerThread worker(WaitForGate, &context);
    EXPECT_FALSE(worker.Resume()); // not running yet
    ASSERT_TRUE(worker.Start(false, CWorkerThread::kPriorityNormal));
    ASSERT_TRUE(context.entered.Wait());
    EXPECT_TRUE(worker.IsRunning());
    EXPECT_FALSE(worker.IsPaused());
    EXPECT_FALSE(worker.Start(false, CWorkerThread::kPriorityNormal)); // already running
    EXPECT_FALSE(worker.Stop(0));                                      // the function does not end by itself
    EXPECT_TRUE(worker.IsRunning());
    context.gate.Set();
    EXPECT_TRUE(worker.Stop(-1)); // a timed-out stop left it stoppable
    EXPECT_FALSE(worker.IsRunning());
    EXPECT_EQ(1, context.calls);

    CWorkerThread empty(nullptr, nullptr);
    EXPECT_FALSE(empty.Start(false, CWorkerThread::kPriorityNormal));
    EXPECT_TRUE(empty.Stop(0));
    EXPECT_TRUE(empty.Terminate());
}

TEST(WorkerThread, EveryPriorityLevelStartsAndExitCodeFollowsResult) {
    // Levels 0 and 6 lie outside the five and keep the default priority; one
    // worker serves every run, so each start follows a finished run.
    Context context;
    CWorkerThread worker(ReturnResult, &context);
    for (int level = 0; level <= 6; ++level) {
        context.result = level == 0 ? 0 : 7;
        ASSERT_TRUE(worker.Start(false, level)) << level;
        ASSERT_TRUE(Eventually([&] { return !worker.IsRunning(); }));
        uint32_t code = 12345;
        ASSERT_TRUE(worker.GetExitCode(&code));
        EXPECT_EQ(level == 0 ? 0u : 0xFFFFFFFFu, code) << level;
        EXPECT_EQ(level + 1, context.calls);
    }
    EXPECT_TRUE(worker.Stop(-1)); // the function has returned: Stop closes at once
    uint32_t code = 0;
    EXPECT_FALSE(worker.GetExitCode(&code)); // the handles are gone
}

TEST(WorkerThread, StartedPausedCallsNothingUntilResumeOrStop) {
    Context context;
    CWorkerThread worker(ReturnResult, &context);
    ASSERT_TRUE(worker.Start(true, CWorkerThread::kPriorityNormal));
    EXPECT_TRUE(worker.IsRunning());
    EXPECT_TRUE(worker.IsPaused());
    EXPECT_FALSE(context.entered.Wait(20));
    EXPECT_EQ(0, context.calls);
    EXPECT_TRUE(worker.Resume());
    EXPECT_FALSE(worker.IsPaused());
    ASSERT_TRUE(context.entered.Wait());
    EXPECT_TRUE(worker.Stop(-1));

    ASSERT_TRUE(worker.Start(true, CWorkerThread::kPriorityNormal));
    EXPECT_TRUE(worker.Stop(-1)); // releases the thread, which runs its function once
    EXPECT_EQ(2, context.calls);
    EXPECT_FALSE(worker.IsPaused());
}

TEST(WorkerThread, PausePointWithoutPendingRequestDoesNotPark) {
    Context context;
    CWorkerThread worker(GateThenPausePoint, &context);
    context.worker = &worker;
    // No request at all.
    context.gate.Set();
    ASSERT_TRUE(worker.Start(false, CWorkerThread::kPriorityNormal));
    EXPECT_TRUE(worker.Stop(-1));
    EXPECT_EQ(0, context.pausePointResult);
    // A request withdrawn by Resume before the worker reaches its pause point.
    context.gate.Reset();
    context.pausePointResult = -1;
    ASSERT_TRUE(worker.Start(false, CWorkerThread::kPriorityNormal));
    worker.RequestPause();
    EXPECT_TRUE(worker.Resume()); // running, not parked: only clears the request
    context.gate.Set();
    EXPECT_TRUE(worker.Stop(-1));
    EXPECT_EQ(0, context.pausePointResult);
}

TEST(WorkerThread, RequestedPauseParksUntilResume) {
    Context context;
    CWorkerThread worker(RunLoop, &context);
    context.worker = &worker;
    ASSERT_TRUE(worker.Start(false, CWorkerThread::kPriorityNormal));
    ASSERT_TRUE(context.entered.Wait());
    worker.RequestPause();
    ASSERT_TRUE(Eventually([&] { return worker.IsPaused(); }));
    const int parkedAt = context.iterations;
    EXPECT_TRUE(worker.Resume());
    EXPECT_FALSE(worker.IsPaused());
    ASSERT_TRUE(Eventually([&] { return context.iterations > parkedAt + 1; }));
    // Each round races a request and its withdrawal against the worker's safe
    // point; a wake lost on the way to parking would stop the loop for good.
    for (int round = 0; round < 2000; ++round) {
        const int before = context.iterations;
        worker.RequestPause();
        ASSERT_TRUE(worker.Resume());
        ASSERT_TRUE(Eventually([&] { return context.iterations > before + 1; })) << "round " << round;
    }
    context.stop = true;
    EXPECT_TRUE(worker.Stop(-1));
}

TEST(WorkerThread, UnconditionalParkEndsByResumeStopOrDestruction) {
    Context context;
    {
        CWorkerThread worker(ParkOnce, &context);
        context.worker = &worker;
        for (int way = 0; way < 3; ++way) {
            context.pausePointResult = -1;
            ASSERT_TRUE(worker.Start(false, CWorkerThread::kPriorityNormal));
            ASSERT_TRUE(Eventually([&] { return worker.IsPaused(); }));
            EXPECT_EQ(way, context.calls);
            if (way == 0) {
                EXPECT_TRUE(worker.Resume());
            }
            if (way < 2) {
                EXPECT_TRUE(worker.Stop(-1));
                EXPECT_EQ(1, context.pausePointResult);
            }
        }
    } // the destructor releases the third park
    EXPECT_EQ(3, context.calls);
    EXPECT_EQ(1, context.pausePointResult);
}

TEST(WorkerThread, TerminateOfStuckWorker) {
    Context context;
    CWorkerThread worker(WaitForGate, &context);
    ASSERT_TRUE(worker.Start(false, CWorkerThread::kPriorityNormal));
    ASSERT_TRUE(context.entered.Wait());
    EXPECT_FALSE(worker.Stop(0));
#if defined(_WIN32)
    // The thread is killed where it waits; the worker is idle and can start again.
    EXPECT_TRUE(worker.Terminate());
    EXPECT_FALSE(worker.IsRunning());
    EXPECT_FALSE(worker.IsPaused());
    context.gate.Set();
    ASSERT_TRUE(worker.Start(false, CWorkerThread::kPriorityNormal));
    EXPECT_TRUE(worker.Stop(-1));
    EXPECT_EQ(2, context.calls);
#else
    // No safe way to kill a POSIX thread: refused, the worker is left as it was.
    EXPECT_FALSE(worker.Terminate());
    EXPECT_TRUE(worker.IsRunning());
    context.gate.Set();
    EXPECT_TRUE(worker.Stop(-1));
    EXPECT_EQ(1, context.calls);
#endif
}

} // namespace
