#pragma once
// A recursive lock with a nesting count: the one lock type that every piece of
// state shared between threads is guarded by. The same thread may enter it again;
// each Enter is matched by one Leave.
#include <atomic>
#include <cstddef>
#include <cstdint>

namespace common {

class CCriticalSection {
public:
    CCriticalSection();
    ~CCriticalSection();
    CCriticalSection(const CCriticalSection&) = delete;
    CCriticalSection& operator=(const CCriticalSection&) = delete;

    // Takes the lock (waiting for another holder), then adds 1 to the count.
    void Enter();
    // Subtracts 1 from the count and releases one level of the lock. With a count
    // of 0 nobody holds the lock and nothing happens: releasing a lock that is not
    // held would corrupt it.
    void Leave();
    // Levels currently held (by whichever thread holds the lock); exact only for
    // the holder, a hint for anyone else.
    int32_t GetLockCount() const { return m_count.load(std::memory_order_relaxed); }

private:
    // Room for the host's lock object (a critical section or a recursive mutex),
    // so the header stays free of host headers.
    static constexpr size_t kStorageSize = 40;
    alignas(8) unsigned char m_storage[kStorageSize];
    // Written only by the holder; atomic so that a look from outside is no data race.
    std::atomic<int32_t> m_count{0};
};

} // namespace common
