#include "common/CTimerList.h"

#include <cmath>

#include "common/OsHelpers.h"

namespace common {

namespace {

int64_t PeriodFor(int64_t frequency, int32_t rate) {
    const int64_t period = static_cast<int64_t>(std::floor(double(frequency) / double(rate) + 0.5));
    return period < 1 ? 1 : period;
}

// Milliseconds of a wait in counter ticks: -1 for none, else at least 1.
int32_t WaitToMs(int64_t wait, int64_t frequency) {
    if (wait <= 0)
        return -1;
    const double ms = std::floor(double(wait) / double(frequency) * 1000.0);
    if (ms < 1.0)
        return 1;
    return ms >= 2147483647.0 ? 2147483647 : static_cast<int32_t>(ms);
}

} // namespace

CTimerList::CTimerList()
    : m_activeHead(nullptr), m_activeTail(nullptr), m_freeList(nullptr), m_frequency(0), m_lastCounter(0),
      m_waitCallback(nullptr), m_waitContext(nullptr), m_nextDue(0) {}

CTimerList::~CTimerList() {
    Clear();
}

void CTimerList::Rescale(int64_t frequency) {
    for (CTimer* timer = m_activeHead; timer != nullptr; timer = timer->m_next) {
        const int64_t period = PeriodFor(frequency, timer->m_rate);
        timer->m_remaining = static_cast<int64_t>(
            std::floor(double(period) * (double(timer->m_remaining) / double(timer->m_period)) + 0.5));
        timer->m_period = period;
    }
}

CTimerList::CTimer* CTimerList::Add(int32_t rate, TimerCallback callback, uintptr_t argument1, uintptr_t argument2,
                                    uintptr_t argument3) {
    int64_t frequency = 0;
    int64_t now = 0;
    if (!GetPerformanceFrequency(&frequency) || !GetPerformanceCounter(&now) || frequency <= 0)
        return nullptr;
    if (m_activeHead == nullptr) {
        m_frequency = frequency;
        m_lastCounter = now;
    } else if (frequency != m_frequency) {
        Rescale(frequency);
        m_frequency = frequency;
        m_lastCounter = now;
        m_nextDue = 0;
    }

    CTimer* timer = m_freeList;
    if (timer != nullptr)
        m_freeList = timer->m_next;
    else
        timer = new CTimer;

    timer->m_inUse = true;
    timer->m_rate = rate < 1 ? kEveryPassRate : rate;
    timer->m_callback = callback;
    timer->m_argument1 = argument1;
    timer->m_argument2 = argument2;
    timer->m_argument3 = argument3;
    timer->m_fireCount = 0;
    timer->m_period = PeriodFor(m_frequency, timer->m_rate);
    // Counted from the last counter value, which the next pass subtracts.
    timer->m_remaining = timer->m_period + (now - m_lastCounter);

    timer->m_next = nullptr;
    timer->m_previous = m_activeTail;
    if (m_activeTail != nullptr)
        m_activeTail->m_next = timer;
    else
        m_activeHead = timer;
    m_activeTail = timer;
    m_nextDue = 0;
    return timer;
}

void CTimerList::Remove(CTimer* timer) {
    if (timer == nullptr || !timer->m_inUse)
        return;
    if (timer->m_previous != nullptr)
        timer->m_previous->m_next = timer->m_next;
    else
        m_activeHead = timer->m_next;
    if (timer->m_next != nullptr)
        timer->m_next->m_previous = timer->m_previous;
    else
        m_activeTail = timer->m_previous;
    timer->m_inUse = false;
    timer->m_previous = nullptr;
    timer->m_next = m_freeList;
    m_freeList = timer;
}

bool CTimerList::Process(int32_t* waitMs) {
    if (m_activeHead == nullptr) {
        m_nextDue = 0;
        if (m_waitCallback != nullptr)
            m_waitCallback(m_waitContext, -1);
        if (waitMs != nullptr)
            *waitMs = -1;
        return true;
    }
    int64_t frequency = 0;
    int64_t now = 0;
    if (!GetPerformanceFrequency(&frequency) || !GetPerformanceCounter(&now) || frequency <= 0)
        return false;
    if (frequency != m_frequency) {
        Rescale(frequency);
        m_frequency = frequency;
        m_lastCounter = now;
        m_nextDue = 0;
        return true;
    }

    const int64_t elapsed = now - m_lastCounter;
    if (elapsed == 0)
        return true;
    if (elapsed < 0) {
        // The counter went back: start counting from here.
        m_lastCounter = now;
        return true;
    }

    int64_t wait;
    if (elapsed < m_nextDue) {
        wait = m_nextDue - elapsed;
    } else {
        int64_t nearest = 0;
        CTimer* timer = m_activeHead;
        while (timer != nullptr) {
            CTimer* next = timer->m_next;
            timer->m_remaining -= elapsed;
            bool stays = true;
            if (timer->m_remaining <= 0) {
                // A timer without a callback only counts its fires.
                if (timer->m_callback == nullptr || timer->m_callback(timer->m_argument1, timer->m_argument2,
                                                                      timer->m_argument3, &timer->m_fireCount)) {
                    ++timer->m_fireCount;
                    // However late, one fire; the next is a full period from now.
                    timer->m_remaining = timer->m_period;
                } else {
                    Remove(timer);
                    stays = false;
                }
            }
            if (stays && (nearest == 0 || timer->m_remaining < nearest))
                nearest = timer->m_remaining;
            timer = next;
        }
        m_lastCounter = now;
        m_nextDue = nearest;
        wait = nearest;
    }

    if (m_waitCallback != nullptr || waitMs != nullptr) {
        const int32_t ms = WaitToMs(wait, m_frequency);
        if (m_waitCallback != nullptr)
            m_waitCallback(m_waitContext, ms);
        if (waitMs != nullptr)
            *waitMs = ms;
    }
    return true;
}

void CTimerList::Resync() {
    if (m_activeHead == nullptr)
        return;
    int64_t frequency = 0;
    int64_t now = 0;
    if (!GetPerformanceFrequency(&frequency) || !GetPerformanceCounter(&now) || frequency <= 0)
        return;
    SetTimeBase(frequency, now);
}

void CTimerList::SetTimeBase(int64_t frequency, int64_t counter) {
    if (frequency <= 0)
        return;
    Rescale(frequency);
    m_frequency = frequency;
    m_lastCounter = counter;
    m_nextDue = 0;
}

void CTimerList::SetWaitCallback(WaitCallback callback, void* context) {
    m_waitCallback = callback;
    m_waitContext = context;
}

void CTimerList::ClearActive() {
    CTimer* timer = m_activeHead;
    while (timer != nullptr) {
        CTimer* next = timer->m_next;
        delete timer;
        timer = next;
    }
    m_activeHead = nullptr;
    m_activeTail = nullptr;
    m_nextDue = 0;
}

void CTimerList::FreeSpare() {
    CTimer* timer = m_freeList;
    while (timer != nullptr) {
        CTimer* next = timer->m_next;
        delete timer;
        timer = next;
    }
    m_freeList = nullptr;
}

void CTimerList::Clear() {
    ClearActive();
    FreeSpare();
}

} // namespace common
