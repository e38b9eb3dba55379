// A Korvet 2.0 on its thread, driven from the test thread as a user drives it
// from the window: console commands (run control, state save and load, the
// dumps), keys tapped and held, the console view and the stop and start, in a
// seeded random order. A watchdog thread fails the run when one operation
// does not return within its limit, naming it. The normal suite drives it for
// seconds; the long build for minutes.
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <memory>
#include <random>
#include <thread>

#include "CoreTestSupport.h"
#include "emu/framework/MachineTestSupport.h"
#include "emu/host/CSoundOutput.h"
#include "emu/korvet/CMachine_Korvet.h"

#ifndef KORVET_STRESS_SECONDS
#define KORVET_STRESS_SECONDS 8
#endif
// The long build's test has a name of its own: CTest keys tests by name, and
// one name for both would give the short run the long one's labels.
#if KORVET_STRESS_SECONDS > 60
#define KORVET_STRESS_SUITE EmulatorStressLong
#else
#define KORVET_STRESS_SUITE EmulatorStressThreadTest
#endif

namespace {

typedef std::vector<uint8_t> Bytes;
typedef std::chrono::steady_clock Clock;

// Far above what any single operation needs, even under the sanitizers.
constexpr int kOperationLimitSeconds = 30;

coretest::CCounter* g_frames = nullptr;
bool CountFrame(uint32_t /*timeoutMs*/) {
    if (g_frames != nullptr)
        g_frames->Bump();
    return true;
}

// Fails the process when the operation under way takes too long: a stuck
// thread cannot be recovered, and a hang would only end at the suite's limit.
class CWatchdog {
public:
    CWatchdog() : m_thread([this] { Watch(); }) {}
    ~CWatchdog() {
        m_done = true;
        m_thread.join();
    }
    void Begin(const char* operation) {
        m_operation = operation;
        m_started = Clock::now().time_since_epoch().count();
    }
    void End() {
        const Clock::duration taken = Clock::now().time_since_epoch() - Clock::duration(m_started.load());
        if (taken > m_slowest) {
            m_slowest = taken;
            m_slowestOperation = m_operation.load();
        }
        m_operation = nullptr;
    }
    // The longest operation so far, for the log.
    double SlowestSeconds() const { return std::chrono::duration<double>(m_slowest).count(); }
    const char* SlowestOperation() const { return m_slowestOperation != nullptr ? m_slowestOperation : "-"; }

private:
    void Watch() {
        while (!m_done) {
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
            const char* operation = m_operation.load();
            const Clock::duration taken = Clock::now().time_since_epoch() - Clock::duration(m_started.load());
            if (operation != nullptr && taken > std::chrono::seconds(kOperationLimitSeconds)) {
                std::fprintf(stderr, "Watchdog: \"%s\" has not returned after %d s\n", operation,
                             kOperationLimitSeconds);
                std::fflush(stderr);
                std::abort();
            }
        }
    }

    std::atomic<bool> m_done{false};
    std::atomic<const char*> m_operation{nullptr};
    std::atomic<Clock::rep> m_started{0};
    Clock::duration m_slowest{0};
    const char* m_slowestOperation = nullptr;
    std::thread m_thread;
};

TEST(KORVET_STRESS_SUITE, ConsoleAndKeyboardForAWhileNeverHangTheCore) {
    machinetest::CProgramLocation location(false);
    {
        std::ifstream rom(std::string(KORVET_SHARED_DATA) + "/roms/korvet20.rom", std::ios::binary);
        const Bytes bytes((std::istreambuf_iterator<char>(rom)), std::istreambuf_iterator<char>());
        ASSERT_FALSE(bytes.empty());
        std::ofstream file(location.ProgramFolder() + "korvet20.rom", std::ios::binary);
        file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    }
    coretest::CTestManager manager;
    coretest::CCounter frames;
    g_frames = &frames;
    auto* core = new emu::CEmulator(&manager, emu::CMachine_Korvet::CreateModel(emu::CMachine_Korvet::kModelKorvet20),
                                    nullptr, new emu::CSoundOutput(), nullptr);
    core->SetWaitCallback(&CountFrame);
    ASSERT_TRUE(core->StartThreadOrRun());
    ASSERT_TRUE(core->Start(false, false));

    static const char* const kCommands[] = {"BREAK", "GO",   "STEP", "STEPOVER", "SOO",  "CPU",  "DASM",
                                            "HELP",  "INFO", "CLS",  "SAVE",     "LOAD", "START", "NONSENSE"};
    static const int32_t kKeys[] = {'A', 'P', 'C', 'M', 'N', '0', ' ', 0x0D, 0x1B, 0xE0, 0xE2, 0x70, 0x28};
    std::mt19937 random(20261207);
    auto pick = [&random](int count) { return static_cast<int>(random() % static_cast<uint32_t>(count)); };

    uint64_t operations = 0;
    {
        CWatchdog watchdog;
        const Clock::time_point end = Clock::now() + std::chrono::seconds(KORVET_STRESS_SECONDS);
        while (Clock::now() < end) {
            const int kind = pick(21);
            if (kind < 8) {
                const int32_t key = kKeys[pick(sizeof(kKeys) / sizeof(kKeys[0]))];
                watchdog.Begin("PostKeyEvent");
                core->PostKeyEvent(key, true);
                if (kind >= 4) {
                    // Held for up to a frame and a half.
                    watchdog.End();
                    std::this_thread::sleep_for(std::chrono::milliseconds(pick(30)));
                    watchdog.Begin("PostKeyEvent");
                }
                core->PostKeyEvent(key, false);
            } else if (kind < 15) {
                const char* command = kCommands[pick(sizeof(kCommands) / sizeof(kCommands[0]))];
                watchdog.Begin(command);
                core->ExecuteConsoleCommand(common::CNarrowString(command));
            } else if (kind == 15) {
                watchdog.Begin("Break");
                core->Break(false);
            } else if (kind == 16) {
                watchdog.Begin("Resume");
                core->Resume();
            } else if (kind == 17) {
                watchdog.Begin("ShowConsole");
                core->ShowConsole(pick(2) == 0, false);
            } else if (kind == 18) {
                watchdog.Begin("Stop");
                core->Stop();
                watchdog.Begin("Start");
                core->Start(false, false);
            } else if (kind == 19) {
                watchdog.Begin("SetSynchronization");
                core->SetSynchronization(pick(2) == 0);
            } else {
                watchdog.Begin("PauseAndWait");
                core->PauseAndWait();
                core->ReleasePause();
            }
            watchdog.End();
            ++operations;
            if (pick(4) == 0)
                std::this_thread::sleep_for(std::chrono::milliseconds(pick(20)));
        }

        // Whatever the series left, the machine runs on and stops at once. A
        // step asked for last may not have run yet, and GO leaves a pending
        // step alone: it would break again after GO, so it is cancelled first.
        watchdog.Begin("Resume at the end");
        core->CancelStep();
        core->Resume();
        core->ExecuteConsoleCommand(common::CNarrowString("GO"));
        watchdog.End();
        EXPECT_TRUE(frames.WaitForMore(5)) << "the machine runs frames again";
        const Clock::time_point before = Clock::now();
        watchdog.Begin("Stop at the end");
        core->Stop();
        watchdog.End();
        EXPECT_FALSE(core->IsActive());
        EXPECT_LT(Clock::now() - before, std::chrono::seconds(5));
        watchdog.Begin("ShutdownThread");
        core->ShutdownThread();
        watchdog.End();
        std::printf("%llu operations, the slowest \"%s\" %.3f s\n", static_cast<unsigned long long>(operations),
                    watchdog.SlowestOperation(), watchdog.SlowestSeconds());
    }
    delete core;
    g_frames = nullptr;
    EXPECT_GT(operations, 0u);
}

} // namespace
